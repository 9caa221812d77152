// Contents another program writes take their target's place as a save's do: after the same
// checks, through links, keeping the mode, and never leaving their temporary behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "model/file_replace.h"
#include "tests/test_files.h"

namespace selvane {
namespace {

namespace fs = std::filesystem;

// What the other program writes.
void put(const fs::path& path, const char* bytes) { std::ofstream(path, std::ios::binary) << bytes; }

TEST(PendingReplacement, TakesTheTargetsPlaceOnlyWhenCommitted) {
    const fs::path dir = testFolder();
    put(dir / "video.mp4", "old");
    {
        PendingReplacement dropped(dir / "video.mp4");
        ASSERT_EQ(dropped.problem(), "");
        EXPECT_EQ(dropped.temporary().parent_path(), dir);
        put(dropped.temporary(), "half");
    }
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"video.mp4"});
    EXPECT_EQ(readFile(dir / "video.mp4"), "old");

    PendingReplacement a(dir / "video.mp4"), b(dir / "video.mp4");
    ASSERT_NE(a.temporary(), b.temporary());  // two writers of one target never share a file
    put(a.temporary(), "new");
    ASSERT_TRUE(a.commit());
    EXPECT_EQ(readFile(dir / "video.mp4"), "new");
    // Made read-only while the other was written: refused at the end, the file as it was.
    fs::permissions(dir / "video.mp4", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    put(b.temporary(), "other");
    EXPECT_FALSE(b.commit());
    EXPECT_EQ(readFile(dir / "video.mp4"), "new");
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"video.mp4"});
    fs::permissions(dir / "video.mp4", fs::perms::owner_write, fs::perm_options::add);
}

#ifndef _WIN32
TEST(PendingReplacement, FollowsLinksKeepsTheModeAndRefusesFifos) {
    const fs::path dir = testFolder();
    put(dir / "real.mp4", "old");
    fs::permissions(dir / "real.mp4", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("real.mp4", dir / "link.mp4");
    fs::create_symlink("later.mp4", dir / "dangling.mp4");
    EXPECT_EQ(resolvedTarget(dir / "dangling.mp4"), dir / "later.mp4");

    PendingReplacement video(dir / "link.mp4");
    ASSERT_EQ(video.problem(), "");
    put(video.temporary(), "new");
    ASSERT_TRUE(video.commit());
    EXPECT_TRUE(fs::is_symlink(dir / "link.mp4"));
    EXPECT_EQ(readFile(dir / "real.mp4"), "new");
    EXPECT_EQ(fs::status(dir / "real.mp4").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    ASSERT_EQ(::mkfifo((dir / "fifo.mp4").c_str(), 0644), 0);
    const std::set<std::string> before = namesIn(dir);
    PendingReplacement fifo(dir / "fifo.mp4");
    EXPECT_EQ(fifo.problem(), "is not a regular file");
    EXPECT_TRUE(fifo.temporary().empty());
    EXPECT_FALSE(fifo.commit());
    EXPECT_EQ(namesIn(dir), before);
}
#endif

}  // namespace
}  // namespace selvane
