// Saving never harms what the target path names: links, permissions, special files and
// files the save must not touch, and failures part way through.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "model/file_replace.h"
#include "model/star_data_file.h"
#include "tests/test_files.h"

namespace selvane {
namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

StarTable galaxy(int32_t stars) {
    StarTable t;
    EXPECT_TRUE(reallocateStars(t, stars));
    for (int32_t i = 0; i < stars; ++i) {
        t.mass[i] = 1.0 / (i + 3);
        t.displayX[i] = i * 0.7;
        t.velZ[i] = -i / 7.0;
    }
    return t;
}

SimulationParameters params() {
    SimulationParameters p;
    p.starSize = 20;
    p.recordingSpeed = 5;
    p.lightSpeed = 30;
    return p;
}

const std::string kOld = "1,20,5,30\r\n1,2,3,4,5,6,7\r\n";

TEST(StarDataSafeSaving, LongNamesAndLookalikeTemporaryFilesAreFine) {
    const fs::path dir = testFolder();
    // The longest name a folder takes still saves: the temporary name does not grow with it.
    const fs::path longName = dir / std::string(250, 'g');
    ASSERT_TRUE(saveStarData(longName, galaxy(2), params()));
    EXPECT_EQ(readFile(longName), formatStarData(galaxy(2), params()));

    // A file that happens to carry a temporary-looking name is no one's to overwrite.
    const fs::path target = dir / "galaxy.dat";
    writeFile(dir / "galaxy.dat.selvane-save.tmp", "someone else's");
    ASSERT_TRUE(saveStarData(target, galaxy(3), params()));
    EXPECT_EQ(readFile(dir / "galaxy.dat.selvane-save.tmp"), "someone else's");
    EXPECT_EQ(namesIn(dir), (std::set<std::string>{longName.filename().string(), "galaxy.dat",
                                                   "galaxy.dat.selvane-save.tmp"}));
}

TEST(StarDataSafeSaving, RefusedTargetsStayAsTheyWere) {
    const fs::path dir = testFolder();
    fs::create_directories(dir / "folder" / "inside");
    writeFile(dir / "file.txt", kOld);
    writeFile(dir / "locked.dat", kOld);
    fs::permissions(dir / "locked.dat", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::set<std::string> before = namesIn(dir);

    EXPECT_FALSE(saveStarData(dir / "folder", galaxy(3), params()));
    EXPECT_TRUE(fs::is_directory(dir / "folder" / "inside"));
    // A folder that cannot exist, since its parent is a file.
    EXPECT_FALSE(saveStarData(dir / "file.txt" / "sub" / "x", galaxy(3), params()));
    // Read-only, even for a user (root) the system would let write it.
    EXPECT_FALSE(saveStarData(dir / "locked.dat", galaxy(3), params()));

    // The same verdicts beforehand, with the reason, for callers that check first.
    EXPECT_EQ(replaceProblem(dir / "folder"), "is not a regular file");
    EXPECT_EQ(replaceProblem(dir / "file.txt" / "sub" / "x"), "has no folder to be made in");
    EXPECT_EQ(replaceProblem(dir / "locked.dat"), "is read-only");
    EXPECT_EQ(replaceProblem(dir / "file.txt"), "");
    EXPECT_EQ(replaceProblem(dir / "new.dat"), "");

    EXPECT_EQ(readFile(dir / "file.txt"), kOld);
    EXPECT_EQ(readFile(dir / "locked.dat"), kOld);
    EXPECT_EQ(namesIn(dir), before);
    fs::permissions(dir / "locked.dat", fs::perms::owner_write, fs::perm_options::add);
}

const size_t kFailingBlock = 2;
bool failBlock(size_t block) { return block != kFailingBlock; }

TEST(StarDataSafeSaving, WritesFailingPartWayKeepTheOldFile) {
    const fs::path dir = testFolder();
    const fs::path target = dir / "galaxy.dat";
    writeFile(target, kOld);
    const StarTable big = galaxy(5000);
    ASSERT_GT(formatStarData(big, params()).size(), (kFailingBlock + 1) * kReplaceBlockBytes);

    setWriteGate(&failBlock);
    const bool saved = saveStarData(target, big, params());
    setWriteGate(nullptr);
    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(target), kOld);
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"galaxy.dat"});

    // The same save with the writes left alone goes through.
    ASSERT_TRUE(saveStarData(target, big, params()));
    EXPECT_EQ(readFile(target), formatStarData(big, params()));
}

#ifndef _WIN32

mode_t modeOf(const fs::path& path) {
    struct stat st;
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode;
}

TEST(StarDataSafeSaving, LinksAndPermissionsAreKept) {
    const fs::path dir = testFolder();
    fs::create_directories(dir / "real");
    writeFile(dir / "real" / "galaxy.dat", kOld);
    ASSERT_EQ(::chmod((dir / "real" / "galaxy.dat").c_str(), 0640), 0);
    fs::create_symlink("real/galaxy.dat", dir / "link.dat");
    fs::create_symlink("link.dat", dir / "link-to-link.dat");
    fs::create_symlink("real/new.dat", dir / "dangling.dat");

    // Through a chain of links: the file they name gets the galaxy, the links stay links.
    ASSERT_TRUE(saveStarData(dir / "link-to-link.dat", galaxy(2), params()));
    EXPECT_TRUE(fs::is_symlink(dir / "link.dat"));
    EXPECT_TRUE(fs::is_symlink(dir / "link-to-link.dat"));
    EXPECT_EQ(readFile(dir / "real" / "galaxy.dat"), formatStarData(galaxy(2), params()));
    EXPECT_EQ(modeOf(dir / "real" / "galaxy.dat") & 07777, 0640u);

    // A link to nothing yet: the file is made where it points.
    ASSERT_TRUE(saveStarData(dir / "dangling.dat", galaxy(1), params()));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.dat"));
    EXPECT_EQ(readFile(dir / "real" / "new.dat"), formatStarData(galaxy(1), params()));
    EXPECT_EQ(namesIn(dir / "real"), (std::set<std::string>{"galaxy.dat", "new.dat"}));
}

TEST(StarDataSafeSaving, SpecialFilesAndHardLinksAreRefused) {
    const fs::path dir = testFolder();
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
    fs::create_symlink("pipe", dir / "link-to-pipe");
    writeFile(dir / "shared.dat", kOld);
    fs::create_hard_link(dir / "shared.dat", dir / "other-name.dat");
    const std::set<std::string> before = namesIn(dir);

    EXPECT_FALSE(saveStarData(dir / "pipe", galaxy(2), params()));
    EXPECT_FALSE(saveStarData(dir / "link-to-pipe", galaxy(2), params()));
    // Replacing one name would part it from the other: the two must keep one contents.
    EXPECT_FALSE(saveStarData(dir / "shared.dat", galaxy(2), params()));
    EXPECT_EQ(replaceProblem(dir / "link-to-pipe"), "is not a regular file");
    EXPECT_EQ(replaceProblem(dir / "shared.dat"), "has more than one name (hard links)");

    EXPECT_TRUE(S_ISFIFO(modeOf(dir / "pipe")));
    EXPECT_EQ(fs::hard_link_count(dir / "shared.dat"), 2u);
    EXPECT_EQ(readFile(dir / "other-name.dat"), kOld);
    EXPECT_EQ(namesIn(dir), before);
}

#endif

}  // namespace
}  // namespace selvane
