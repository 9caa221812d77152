#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "engine/frame_file.h"
#include "engine/recording_summary.h"
#include "model/file_replace.h"
#include "model/recording_lock.h"
#include "model/star_data_file.h"
#include "tests/test_files.h"

namespace selvane {
namespace {

namespace fs = std::filesystem;

// Each test works in a directory of its own, named after the test.
class FrameFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::path(::testing::TempDir()) / (std::string("frame_file_") + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    std::string path(const std::string& name = "Recorder.wrk") const { return (dir_ / name).string(); }

    fs::path dir_;
};

std::string readAll(const std::string& path) {
    std::string bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}

void writeAll(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string int32Bytes(int32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
    return bytes;
}

std::string doubleBytes(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    std::string bytes(8, '\0');
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    return bytes;
}

std::string header(int32_t stars, int32_t frames) { return int32Bytes(stars) + int32Bytes(frames); }

int32_t headerFrames(const std::string& bytes) {
    if (bytes.size() < 8) return -1;
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= uint32_t(static_cast<unsigned char>(bytes[4 + i])) << (8 * i);
    return static_cast<int32_t>(bits);
}

// A table whose displayed positions are distinct for every star, plane and frame tag.
StarTable makeTable(int32_t n, double tag = 0) {
    StarTable table;
    EXPECT_TRUE(reallocateStars(table, n));
    for (int32_t i = 0; i < n; ++i) {
        table.displayX[i] = tag * 1000 + i + 0.25;
        table.displayY[i] = -(tag * 1000 + i + 0.5);
        table.displayZ[i] = tag * 1000 + i + 0.75;
    }
    return table;
}

void expectAllArraysSized(const StarTable& t) {
    const size_t n = static_cast<size_t>(t.starCount);
    for (const auto* a : {&t.displayX, &t.displayY, &t.displayZ, &t.posX, &t.posY, &t.posZ, &t.velX, &t.velY,
                          &t.velZ, &t.mass})
        EXPECT_EQ(a->size(), n);
}

TEST_F(FrameFileTest, WritesTheDocumentedLayoutByteForByte) {
    StarTable table = makeTable(1);
    table.displayX[0] = 1.0;
    table.displayY[0] = 2.0;
    table.displayZ[0] = 3.0;
    {
        FrameFile file(path());
        ASSERT_TRUE(file.createRecording(table));
        file.recordFrame(table);
        EXPECT_EQ(file.recordedFrames(), 1);
        EXPECT_EQ(file.framesInFile(), 1);
    }
    const std::string expected = header(1, 1) + doubleBytes(1.0) + doubleBytes(2.0) + doubleBytes(3.0);
    ASSERT_EQ(expected.size(), 32u);
    EXPECT_EQ(readAll(path()), expected);

    // Planar layout: every X, then every Y, then every Z of a frame.
    StarTable three = makeTable(3, 7);
    {
        FrameFile file(path("planar.wrk"));
        ASSERT_TRUE(file.createRecording(three));
        file.recordFrame(three);
    }
    std::string planar = header(3, 1);
    for (const auto* plane : {&three.displayX, &three.displayY, &three.displayZ})
        for (double v : *plane) planar += doubleBytes(v);
    EXPECT_EQ(readAll(path("planar.wrk")), planar);
}

TEST_F(FrameFileTest, FramesFollowOneAnotherAndTheHeaderCountsThem) {
    FrameFile file(path());
    StarTable table = makeTable(128);
    ASSERT_TRUE(file.createRecording(table));
    EXPECT_EQ(file.recordingStarCount(), 128);
    for (int k = 0; k < 5; ++k) {
        StarTable frame = makeTable(128, k);
        file.recordFrame(frame);
        EXPECT_EQ(file.framesInFile(), k + 1);
        EXPECT_TRUE(file.hasFrame(k));
        EXPECT_FALSE(file.hasFrame(k + 1));
    }
    file.closeRecording();
    EXPECT_FALSE(file.isOpen());
    const std::string bytes = readAll(path());
    ASSERT_EQ(bytes.size(), 15368u);
    EXPECT_EQ(bytes.substr(0, 8), header(128, 5));
    // Frame 3, star 10, Y plane starts at 8 + 24*128*3 + 8*128 + 8*10.
    EXPECT_EQ(bytes.substr(8 + 24 * 128 * 3 + 8 * 128 + 8 * 10, 8), doubleBytes(-(3 * 1000 + 10 + 0.5)));
}

TEST_F(FrameFileTest, RecordingWithoutFramesIsTheBareHeader) {
    {
        FrameFile file(path());
        ASSERT_TRUE(file.createRecording(makeTable(128)));
    }
    EXPECT_EQ(readAll(path()), header(128, 0));
}

TEST_F(FrameFileTest, CreateReplacesTheStreamAndStartsAnEmptyFile) {
    // The file is read only after closing: nothing forces buffered bytes out earlier.
    FrameFile file(path());
    StarTable table = makeTable(2);
    ASSERT_TRUE(file.createRecording(table));
    file.recordFrame(table);
    file.recordFrame(table);
    ASSERT_TRUE(file.createRecording(table));
    EXPECT_EQ(file.framesInFile(), 0);
    file.closeRecording();
    EXPECT_EQ(readAll(path()), header(2, 0)) << "a new recording holds none of the old frames";

    ASSERT_TRUE(file.createRecording(table));
    StarTable later = makeTable(2, 4);
    file.recordFrame(later);
    EXPECT_EQ(file.recordedFrames(), 3) << "the run's count goes on across recordings";
    EXPECT_EQ(file.framesInFile(), 1);
    file.closeRecording();
    std::string expected = header(2, 1);
    for (const auto* plane : {&later.displayX, &later.displayY, &later.displayZ})
        for (double v : *plane) expected += doubleBytes(v);
    EXPECT_EQ(readAll(path()), expected) << "the new frame goes first, with no gap";

    FrameFile elsewhere(path("missing_dir/x.wrk"));
    EXPECT_FALSE(elsewhere.createRecording(table));
    EXPECT_FALSE(elsewhere.isOpen());
    elsewhere.recordFrame(table);  // no file: counted, nothing written
    EXPECT_EQ(elsewhere.recordedFrames(), 1);
    EXPECT_EQ(elsewhere.framesInFile(), 0);
}

TEST_F(FrameFileTest, RoundTripKeepsEveryBitOfNaNInfinityAndSignedZero) {
    StarTable table = makeTable(6);
    uint64_t payloadBits = 0x7FF8DEADBEEF1234ull;  // quiet NaN with a payload
    double payloadNaN;
    std::memcpy(&payloadNaN, &payloadBits, sizeof payloadNaN);
    const double inf = std::numeric_limits<double>::infinity();
    table.displayX = {payloadNaN, -0.0, inf, -inf, std::numeric_limits<double>::denorm_min(), 1e308};
    table.displayY = {-payloadNaN, 0.0, -1.5, std::numeric_limits<double>::max(), 3.0, -0.0};
    table.displayZ = {std::numeric_limits<double>::lowest(), 2.0, payloadNaN, 0.1, -inf, 7.0};
    StarTable second = makeTable(6, 9);
    {
        FrameFile writer(path());
        ASSERT_TRUE(writer.createRecording(table));
        writer.recordFrame(table);
        writer.recordFrame(second);
    }
    StarTable replay = makeTable(6, 4);
    const StarTable before = replay;
    FrameFile reader(path());
    ASSERT_TRUE(reader.openRecording(replay));
    EXPECT_EQ(reader.replayFrames(), 2);
    EXPECT_TRUE(reader.hasFrame(1));
    EXPECT_FALSE(reader.hasFrame(2));
    EXPECT_TRUE(sameBits(replay.displayX, table.displayX));
    EXPECT_TRUE(sameBits(replay.displayY, table.displayY));
    EXPECT_TRUE(sameBits(replay.displayZ, table.displayZ));
    // Same star count: the simulation's own state is left alone.
    EXPECT_TRUE(sameBits(replay.posX, before.posX));
    EXPECT_TRUE(sameBits(replay.mass, before.mass));

    EXPECT_TRUE(reader.loadFrame(replay, 1));
    EXPECT_TRUE(sameBits(replay.displayX, second.displayX));
    EXPECT_TRUE(sameBits(replay.displayZ, second.displayZ));
    EXPECT_TRUE(reader.loadFrame(replay, 0));  // back again on the same stream
    EXPECT_TRUE(sameBits(replay.displayY, table.displayY));
}

TEST_F(FrameFileTest, FramesOutsideTheRecordingLeaveTheTableAlone) {
    StarTable table = makeTable(4, 1);
    {
        FrameFile writer(path());
        ASSERT_TRUE(writer.createRecording(table));
        writer.recordFrame(table);
    }
    StarTable replay = makeTable(4);
    FrameFile reader(path());
    ASSERT_TRUE(reader.openRecording(replay));
    StarTable marked = makeTable(4, 5);
    for (int32_t k : {-1, 1, 2, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()}) {
        StarTable t = marked;
        EXPECT_FALSE(reader.loadFrame(t, k)) << "frame " << k;
        EXPECT_TRUE(sameBits(t.displayX, marked.displayX)) << "frame " << k;
        EXPECT_TRUE(sameBits(t.displayY, marked.displayY)) << "frame " << k;
        EXPECT_TRUE(sameBits(t.displayZ, marked.displayZ)) << "frame " << k;
    }
    reader.closeRecording();
    StarTable t = marked;
    EXPECT_FALSE(reader.loadFrame(t, 0)) << "closed recording";
    EXPECT_TRUE(sameBits(t.displayX, marked.displayX));
}

TEST_F(FrameFileTest, PartialLastFrameFillsOnlyWhatIsThere) {
    // Frame 0 whole; frame 1 holds its 3 X values, one Y value and 4 stray bytes.
    std::string bytes = header(3, 2);
    for (int i = 0; i < 9; ++i) bytes += doubleBytes(100 + i);
    for (int i = 0; i < 4; ++i) bytes += doubleBytes(200 + i);
    bytes += std::string(4, '\x7F');
    writeAll(path(), bytes);

    StarTable table = makeTable(3);
    FrameFile reader(path());
    ASSERT_TRUE(reader.openRecording(table));
    EXPECT_EQ(reader.replayFrames(), 1) << "the header claims 2, the file holds 1";
    EXPECT_EQ(table.displayZ, (std::vector<double>{106, 107, 108}));

    StarTable marked = makeTable(3, 5);
    StarTable t = marked;
    EXPECT_FALSE(reader.loadFrame(t, 1));
    EXPECT_EQ(t.displayX, (std::vector<double>{200, 201, 202}));
    EXPECT_EQ(t.displayY, (std::vector<double>{203, marked.displayY[1], marked.displayY[2]}));
    EXPECT_EQ(t.displayZ, marked.displayZ);
}

TEST_F(FrameFileTest, EmptyGalaxyRecordsCountOnlyFrames) {
    StarTable empty;
    ASSERT_TRUE(reallocateStars(empty, 0));
    {
        FrameFile writer(path());
        ASSERT_TRUE(writer.createRecording(empty));
        for (int i = 0; i < 3; ++i) writer.recordFrame(empty);
    }
    EXPECT_EQ(readAll(path()), header(0, 3));

    StarTable table = makeTable(5);
    FrameFile reader(path());
    ASSERT_TRUE(reader.openRecording(table));
    EXPECT_EQ(reader.recordingStarCount(), 0);
    EXPECT_EQ(reader.replayFrames(), 3);
    EXPECT_EQ(table.starCount, 0);
    EXPECT_TRUE(table.present);
    expectAllArraysSized(table);
    EXPECT_TRUE(reader.loadFrame(table, 2));
}

// What another reader (or the file after a kill) sees while the recording is still open.
TEST_F(FrameFileTest, HeaderOnDiskMatchesTheFramesAfterEachFrame) {
    StarTable table = makeTable(5, 1);
    FrameFile writer(path());
    ASSERT_TRUE(writer.createRecording(table));
    for (int32_t frames = 0; frames <= 3; ++frames) {
        const RecordingSummary seen = inspectRecording(path());
        EXPECT_TRUE(seen.consistent);
        EXPECT_EQ(seen.headerFrames, frames);
        EXPECT_EQ(seen.framesInFile, frames);
        writer.recordFrame(table);
    }
}

#if !defined(_WIN32)
// A disk that fills mid-frame (here a file-size limit) leaves the frames before it, whole.
TEST_F(FrameFileTest, AFullDiskCutsTheRecordingBackToItsWholeFrames) {
    const int32_t stars = 1000;  // 24000 bytes a frame
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100000, 100000};
        setrlimit(RLIMIT_FSIZE, &limit);
        StarTable table = makeTable(stars, 2);
        FrameFile writer(path());
        if (!writer.createRecording(table)) _exit(3);
        for (int i = 0; i < 8; ++i) writer.recordFrame(table);
        StarTable replay = makeTable(stars);
        if (writer.framesInFile() != 4 || !writer.loadFrame(replay, 3)) _exit(4);
        // The lock stays with the cut recording: no second recorder or save comes in meanwhile.
        FrameFile second(path());
        if (second.createRecording(table) || replaceProblem(path()) != kRecordingInUse) _exit(5);
        _exit(writer.finishRecording() == 4 ? 0 : 6);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    const RecordingSummary seen = inspectRecording(path());
    EXPECT_TRUE(seen.consistent);
    EXPECT_EQ(seen.headerFrames, 4);
    EXPECT_EQ(fs::file_size(path()), 8u + 4u * 24u * stars);
}
#endif

// Two writers of one recording (two windows or runs in one folder): the second is refused
// before it empties anything, and the first records on.
TEST_F(FrameFileTest, ASecondWriterIsRefusedAndTheFirstRecordsOn) {
    StarTable table = makeTable(3, 1);
    FrameFile first(path()), second(path());
    ASSERT_TRUE(first.createRecording(table));
    first.recordFrame(table);
    EXPECT_FALSE(second.createRecording(makeTable(7)));
    EXPECT_FALSE(second.isOpen());
    first.recordFrame(table);
    first.closeRecording();
    const RecordingSummary seen = inspectRecording(path());
    EXPECT_TRUE(seen.consistent);
    EXPECT_EQ(seen.starCount, 3);
    EXPECT_EQ(seen.headerFrames, 2);
    EXPECT_TRUE(second.createRecording(table)) << "free again once the first is closed";
}

// A replay holds the recording shared: other replays come in, no writer does (no recorder, no
// save), and it stays held when the file is opened and closed elsewhere in the program.
TEST_F(FrameFileTest, AReplayKeepsEveryWriterOffItsRecording) {
    StarTable table = makeTable(4, 1);
    {
        FrameFile writer(path());
        ASSERT_TRUE(writer.createRecording(table));
        writer.recordFrame(table);
    }
    const std::string recorded = readAll(path());
    StarTable replay = makeTable(4);
    FrameFile player(path()), other(path()), writer(path());
    ASSERT_TRUE(player.openRecording(replay));
    ASSERT_TRUE(other.openRecording(replay)) << "replays share the recording";
    other.closeRecording();
    EXPECT_TRUE(inspectRecording(path()).consistent);
    EXPECT_FALSE(writer.createRecording(table));
    EXPECT_EQ(replaceProblem(path()), kRecordingInUse);
    EXPECT_FALSE(replaceFileContents(path(), "a galaxy"));
    EXPECT_EQ(readAll(path()), recorded);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1) << "no temporary left";
    player.closeRecording();
    EXPECT_EQ(replaceProblem(path()), "");
    EXPECT_TRUE(replaceFileContents(path(), "a galaxy")) << "free again once the replay is closed";
    EXPECT_EQ(readAll(path()), "a galaxy");
    EXPECT_TRUE(writer.createRecording(table));
}

// While a recorder records, a save onto its file is refused; a replay meanwhile follows the
// growing file and takes the lock once the recorder lets it go.
TEST_F(FrameFileTest, ARecordingInProgressIsReplacedByNoSave) {
    StarTable table = makeTable(3, 2);
    FrameFile recorder(path());
    ASSERT_TRUE(recorder.createRecording(table));
    recorder.recordFrame(table);
    EXPECT_EQ(replaceProblem(path()), kRecordingInUse);
    EXPECT_FALSE(replaceFileContents(path(), "a galaxy"));
    StarTable replay = makeTable(3);
    FrameFile player(path());
    ASSERT_TRUE(player.openRecording(replay));
    recorder.recordFrame(table);
    EXPECT_EQ(recorder.finishRecording(), 2);
    recorder.closeRecording();
    EXPECT_TRUE(player.loadFrame(replay, 0));
    EXPECT_EQ(replaceProblem(path()), kRecordingInUse) << "the replay holds the recording now";
    const RecordingSummary seen = inspectRecording(path());
    EXPECT_TRUE(seen.consistent);
    EXPECT_EQ(seen.headerFrames, 2);
}

#if !defined(_WIN32)  // Windows lets no other stream write while one records
// The end of a recording mends, under its lock, whatever lies beyond the frames the header can
// count: bytes past them, or a count ahead of them.
TEST_F(FrameFileTest, FinishingCutsTheRecordingToTheFramesItHolds) {
    StarTable table = makeTable(5, 3);
    FrameFile recorder(path());
    ASSERT_TRUE(recorder.createRecording(table));
    for (int i = 0; i < 3; ++i) recorder.recordFrame(table);
    const std::string whole = readAll(path());
    std::FILE* other = std::fopen(path().c_str(), "r+b");
    ASSERT_NE(other, nullptr);
    std::fseek(other, 0, SEEK_END);
    std::fwrite("stray", 1, 5, other);
    std::fseek(other, 4, SEEK_SET);
    std::fwrite(int32Bytes(9).data(), 1, 4, other);
    std::fclose(other);
    EXPECT_EQ(recorder.finishRecording(), 3);
    EXPECT_EQ(readAll(path()), whole);
}
#endif

// After replaying another galaxy's recording the table holds positions without masses or
// velocities: Save As writes nothing. A replay of the same star count keeps the galaxy whole.
TEST_F(FrameFileTest, ATableReplayingAnotherGalaxyIsNotSaved) {
    StarTable recorded = makeTable(3, 1);
    {
        FrameFile writer(path());
        ASSERT_TRUE(writer.createRecording(recorded));
        writer.recordFrame(recorded);
    }
    SimulationParameters params;
    params.starSize = 20;
    params.recordingSpeed = 5;
    StarTable galaxy = makeTable(3, 2);
    FrameFile reader(path());
    ASSERT_TRUE(reader.openRecording(galaxy));
    EXPECT_TRUE(saveStarData(path("same.txt"), galaxy, params));
    StarTable other = makeTable(5, 2);
    ASSERT_TRUE(reader.openRecording(other));
    EXPECT_FALSE(saveStarData(path("other.txt"), other, params));
    EXPECT_FALSE(fs::exists(path("other.txt")));
}

// A recording on a read-only file or medium still replays, and replaying writes nothing.
TEST_F(FrameFileTest, ReadOnlyRecordingReplaysAndStaysAsItWas) {
    StarTable table = makeTable(4, 3);
    {
        FrameFile writer(path());
        ASSERT_TRUE(writer.createRecording(table));
        writer.recordFrame(table);
        writer.recordFrame(table);
    }
    const std::string before = readAll(path());
    fs::permissions(path(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    StarTable replay = makeTable(1);
    FrameFile reader(path());
    ASSERT_TRUE(reader.openRecording(replay));
    EXPECT_EQ(reader.replayFrames(), 2);
    EXPECT_TRUE(reader.loadFrame(replay, 1));
    EXPECT_TRUE(sameBits(replay.displayX, table.displayX));
    EXPECT_FALSE(reader.writeFrame(replay, 2));
    reader.closeRecording();
    EXPECT_EQ(readAll(path()), before);
    fs::permissions(path(), fs::perms::owner_all);
}

TEST_F(FrameFileTest, MissingRecordingDoesNotOpen) {
    StarTable table = makeTable(3, 2);
    const StarTable before = table;
    FrameFile reader(path("absent.wrk"));
    EXPECT_FALSE(reader.openRecording(table));
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(reader.replayFrames(), 0);
    EXPECT_EQ(table.starCount, 3);
    EXPECT_TRUE(sameBits(table.displayX, before.displayX));
    EXPECT_FALSE(fs::exists(path("absent.wrk"))) << "opening must not create the file";
}

TEST_F(FrameFileTest, DamagedHeadersOpenWithCountsTheFileCanBack) {
    struct Case {
        const char* name;
        std::string bytes;
        int32_t stars;
        int32_t frames;
    };
    const std::string oneFrameOfTwo = std::string(48, '\0');
    const std::vector<Case> cases = {
        {"empty", "", 0, 0},
        {"three bytes", std::string("\x02\x00\x00", 3), 0, 0},
        {"seven bytes", header(2, 1).substr(0, 7), 0, 0},
        {"negative stars", header(-5, 3) + oneFrameOfTwo, 0, 0},
        {"negative frames", header(2, -4) + oneFrameOfTwo, 2, 0},
        {"huge frame count", header(2, 1000000000) + oneFrameOfTwo, 2, 1},
        {"frames cut short", header(2, 3) + oneFrameOfTwo + oneFrameOfTwo.substr(0, 47), 2, 1},
        {"huge stars tiny file", header(std::numeric_limits<int32_t>::max(), 5) + std::string(100, '\x01'), 0, 0},
        {"stars without a frame", header(1000, 1) + std::string(24 * 999, '\0'), 0, 0},
        {"most negative stars", header(std::numeric_limits<int32_t>::min(), 1), 0, 0},
        {"claimed frame without bytes", header(2, 1), 0, 0},
        {"frameless, stars past the limit", header(FrameFile::kFramelessStarLimit + 1, 0), 0, 0},
        {"frameless, largest stars", header(std::numeric_limits<int32_t>::max(), 0), 0, 0},
        {"frameless, largest galaxy", header(kMaxStars, 0), kMaxStars, 0},
        {"frameless, past the largest galaxy", header(kMaxStars + 1, 0), 0, 0},
        {"largest galaxy", header(kMaxStars, 1) + std::string(24 * kMaxStars, '\0'), kMaxStars, 1},
        {"past the largest galaxy, frame behind it", header(kMaxStars + 1, 2) + std::string(48 * (kMaxStars + 1), '\0'), 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeAll(path(), c.bytes);
        StarTable table = makeTable(2, 3);
        FrameFile reader(path());
        ASSERT_TRUE(reader.openRecording(table));
        EXPECT_TRUE(reader.isOpen());
        EXPECT_EQ(reader.recordingStarCount(), c.stars);
        EXPECT_EQ(reader.replayFrames(), c.frames);
        EXPECT_EQ(reader.framesInFile(), c.frames);
        EXPECT_EQ(table.starCount, c.stars);
        EXPECT_TRUE(table.present);
        expectAllArraysSized(table);
        // Loads anywhere stay within the arrays.
        for (int32_t k : {0, c.frames, c.frames + 1, std::numeric_limits<int32_t>::max()}) reader.loadFrame(table, k);
        expectAllArraysSized(table);
    }
}

TEST_F(FrameFileTest, FramesOfAnotherStarCountAreNeverWrittenOrRead) {
    StarTable table = makeTable(4);
    FrameFile file(path());
    ASSERT_TRUE(file.createRecording(table));
    file.recordFrame(table);
    StarTable composed = makeTable(5, 1);  // a Compose during the run
    file.recordFrame(composed);
    EXPECT_FALSE(file.writeFrame(composed, 0));
    EXPECT_EQ(file.recordedFrames(), 2);
    EXPECT_EQ(file.framesInFile(), 1);

    StarTable marked = composed;
    EXPECT_FALSE(file.loadFrame(marked, 0));
    EXPECT_TRUE(sameBits(marked.displayX, composed.displayX));
    EXPECT_TRUE(sameBits(marked.displayZ, composed.displayZ));

    // Back at the recording's size, recording goes on right after the last written frame.
    StarTable again = makeTable(4, 2);
    file.recordFrame(again);
    EXPECT_EQ(file.framesInFile(), 2);
    StarTable check = makeTable(4);
    EXPECT_TRUE(file.loadFrame(check, 1));
    EXPECT_TRUE(sameBits(check.displayX, again.displayX));
    file.closeRecording();
    const std::string bytes = readAll(path());
    EXPECT_EQ(bytes.size(), 8u + 2 * 96u);
    EXPECT_EQ(headerFrames(bytes), 2);
}

TEST_F(FrameFileTest, WriteFrameOverwritesOrAppendsButLeavesNoGaps) {
    StarTable table = makeTable(2);
    FrameFile file(path());
    ASSERT_TRUE(file.createRecording(table));
    EXPECT_FALSE(file.writeFrame(table, 1)) << "frame 0 is not there yet";
    EXPECT_FALSE(file.writeFrame(table, -1));
    EXPECT_EQ(file.framesInFile(), 0);
    EXPECT_TRUE(file.writeFrame(table, 0));
    EXPECT_EQ(file.framesInFile(), 1);
    StarTable other = makeTable(2, 6);
    EXPECT_TRUE(file.writeFrame(other, 0));
    EXPECT_EQ(file.framesInFile(), 1);
    StarTable check = makeTable(2);
    EXPECT_TRUE(file.loadFrame(check, 0));
    EXPECT_TRUE(sameBits(check.displayY, other.displayY));
    file.closeRecording();
    const std::string bytes = readAll(path());
    EXPECT_EQ(bytes.size(), 8u + 48u);
    EXPECT_EQ(headerFrames(bytes), 1);
}

TEST_F(FrameFileTest, RecordingStopsGrowingBeforeTheSizeLimit) {
    // Frames of 2 stars end at 56, 104 and 152 bytes; a frame ending at the limit is refused.
    const int64_t limit = 8 + 48 * 3;
    StarTable table = makeTable(2);
    FrameFile file(path(), limit);
    ASSERT_TRUE(file.createRecording(table));
    for (int i = 0; i < 5; ++i) file.recordFrame(table);
    EXPECT_EQ(file.recordedFrames(), 5);
    EXPECT_EQ(file.framesInFile(), 2);
    file.closeRecording();
    const std::string bytes = readAll(path());
    EXPECT_EQ(bytes.size(), 104u);
    EXPECT_EQ(headerFrames(bytes), 2);

    // The limit never rises above the 2 GiB ceiling.
    FrameFile large(path("large.wrk"), int64_t(1) << 40);
    StarTable one = makeTable(1);
    ASSERT_TRUE(large.createRecording(one));
    EXPECT_TRUE(large.writeFrame(one, 0));
    EXPECT_EQ(FrameFile::kRecordingByteLimit, int64_t(1) << 31);
}

TEST_F(FrameFileTest, OpeningAnotherStarCountRefitsTheWholeTable) {
    StarTable recorded = makeTable(3, 8);
    {
        FrameFile writer(path());
        ASSERT_TRUE(writer.createRecording(recorded));
        writer.recordFrame(recorded);
    }
    StarTable table = makeTable(7, 1);
    for (auto& v : table.velX) v = 9;
    for (auto& m : table.mass) m = 4;
    table.present = false;
    FrameFile reader(path());
    ASSERT_TRUE(reader.openRecording(table));
    EXPECT_EQ(table.starCount, 3);
    EXPECT_TRUE(table.present);
    expectAllArraysSized(table);
    EXPECT_TRUE(sameBits(table.displayX, recorded.displayX));
    EXPECT_TRUE(sameBits(table.posX, recorded.displayX));
    EXPECT_TRUE(sameBits(table.posY, recorded.displayY));
    EXPECT_TRUE(sameBits(table.posZ, recorded.displayZ));
    for (const auto* a : {&table.velX, &table.velY, &table.velZ, &table.mass})
        for (double v : *a) EXPECT_EQ(v, 0.0);

    // With no frame to show, a refitted table starts at zero.
    writeAll(path("bare.wrk"), header(0, 0));
    StarTable other = makeTable(2, 3);
    FrameFile bare(path("bare.wrk"));
    ASSERT_TRUE(bare.openRecording(other));
    EXPECT_EQ(other.starCount, 0);
    expectAllArraysSized(other);

    // A window closed before its first frame leaves only the header; its stars are kept.
    writeAll(path("bare.wrk"), header(3, 0));
    StarTable three = makeTable(2, 3);
    ASSERT_TRUE(bare.openRecording(three));
    EXPECT_EQ(bare.recordingStarCount(), 3);
    EXPECT_EQ(bare.replayFrames(), 0);
    EXPECT_EQ(three.starCount, 3);
    expectAllArraysSized(three);
    EXPECT_EQ(three.displayX, (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(three.posZ, (std::vector<double>{0, 0, 0}));
}

TEST_F(FrameFileTest, OpeningTheSameStarCountGivesFreshDisplayedArrays) {
    // Header only: nothing to load, so the displayed positions are zero, not stale.
    std::string bytes = header(2, 0) + std::string(48, '\x40');
    writeAll(path(), bytes);
    StarTable table = makeTable(2, 5);
    const StarTable before = table;
    FrameFile reader(path());
    ASSERT_TRUE(reader.openRecording(table));
    EXPECT_EQ(reader.replayFrames(), 0);
    EXPECT_EQ(table.displayX, (std::vector<double>{0, 0}));
    EXPECT_EQ(table.displayZ, (std::vector<double>{0, 0}));
    EXPECT_TRUE(sameBits(table.posY, before.posY));
    EXPECT_TRUE(sameBits(table.velX, before.velX));
}

// What loadFrame may leave in one plane after the file changed under the open stream: a
// prefix of values the file held (before or after the change, as a read buffer may still
// hold older bytes), then the table's own values untouched.
void expectPrefixFromFile(const std::vector<double>& got, const std::vector<double>& before,
                          const std::string& oldBytes, const std::string& newBytes, int64_t planeOffset,
                          bool whole) {
    bool inPrefix = true;
    for (size_t i = 0; i < got.size(); ++i) {
        const int64_t at = planeOffset + 8 * static_cast<int64_t>(i);
        bool fromFile = false;
        for (const std::string* bytes : {&oldBytes, &newBytes})
            if (at + 8 <= static_cast<int64_t>(bytes->size()) &&
                std::memcmp(bytes->data() + at, &got[i], 8) == 0)
                fromFile = true;
        const bool untouched = std::memcmp(&got[i], &before[i], 8) == 0;
        if (inPrefix && !fromFile) inPrefix = false;
        if (!inPrefix) {
            EXPECT_TRUE(untouched) << "star " << i << " holds neither the file's value nor its own";
        }
    }
    if (whole) {
        EXPECT_TRUE(inPrefix) << "a whole frame must come entirely from the file";
    }
}

TEST_F(FrameFileTest, ReplaySurvivesTheFileTruncatedGrownOrRewrittenWhileOpen) {
    constexpr int32_t n = 3;
    std::string original = header(n, 4);
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < 3 * n; ++i) original += doubleBytes(k * 100 + i + 1);
    std::string rewritten = header(5, 2);  // another galaxy: 5 stars, 2 frames
    for (int i = 0; i < 2 * 3 * 5; ++i) rewritten += doubleBytes(-(i + 1.5));
    struct Change {
        const char* name;
        std::string bytes;
    };
    const std::vector<Change> changes = {
        {"truncated to nothing", ""},
        {"truncated inside the header", original.substr(0, 5)},
        {"truncated inside frame 1", original.substr(0, 8 + 72 + 30)},
        {"truncated to two frames", original.substr(0, 8 + 2 * 72)},
        {"grown by a frame and a half", original + original.substr(8, 72 + 36)},
        {"rewritten with another header", rewritten},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        writeAll(path(), original);
        StarTable table = makeTable(n);
        FrameFile reader(path());
        ASSERT_TRUE(reader.openRecording(table));
        ASSERT_EQ(reader.replayFrames(), 4);
        EXPECT_TRUE(reader.loadFrame(table, 3));  // fill the stream's read buffer with the old bytes
        writeAll(path(), change.bytes);            // a second stream changes the file
        for (int32_t k : {0, 1, 2, 3, 4, 5, 6, -1, std::numeric_limits<int32_t>::max(),
                          std::numeric_limits<int32_t>::min()}) {
            SCOPED_TRACE(k);
            const StarTable marked = makeTable(n, 9);  // values no file here holds
            StarTable t = marked;
            const bool whole = reader.loadFrame(t, k);
            expectAllArraysSized(t);
            if (k < 0 || k > 6) {
                EXPECT_FALSE(whole);
                EXPECT_TRUE(sameBits(t.displayX, marked.displayX));
                continue;
            }
            const int64_t frame = 8 + 24 * n * static_cast<int64_t>(k);
            expectPrefixFromFile(t.displayX, marked.displayX, original, change.bytes, frame, whole);
            expectPrefixFromFile(t.displayY, marked.displayY, original, change.bytes, frame + 8 * n, whole);
            expectPrefixFromFile(t.displayZ, marked.displayZ, original, change.bytes, frame + 16 * n, whole);
        }
        // The open recording keeps its own star count and frame count whatever the file says now.
        EXPECT_EQ(reader.recordingStarCount(), n);
        EXPECT_EQ(reader.replayFrames(), 4);
        reader.closeRecording();
        // Opened again, the changed file is believed only as far as its length backs it.
        StarTable again = makeTable(n);
        ASSERT_TRUE(reader.openRecording(again));
        const int64_t len = static_cast<int64_t>(change.bytes.size());
        const int32_t stars = reader.recordingStarCount();
        if (stars > 0) {
            EXPECT_LE(8 + 24 * stars * int64_t(reader.replayFrames()), len);
        }
        expectAllArraysSized(again);
    }
}

TEST_F(FrameFileTest, ARecordingPathThatIsADirectoryFailsSoundly) {
    fs::create_directories(path());
    StarTable table = makeTable(2, 1);
    const StarTable before = table;
    FrameFile file(path());
    EXPECT_FALSE(file.createRecording(table));
    EXPECT_FALSE(file.isOpen());
    file.recordFrame(table);  // counted, written nowhere
    EXPECT_EQ(file.recordedFrames(), 1);
    EXPECT_EQ(file.framesInFile(), 0);
    EXPECT_FALSE(file.writeFrame(table, 0));
    EXPECT_FALSE(file.openRecording(table));
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.replayFrames(), 0);
    EXPECT_EQ(table.starCount, 2);
    EXPECT_TRUE(sameBits(table.displayX, before.displayX));
    EXPECT_TRUE(sameBits(table.posX, before.posX));
    EXPECT_TRUE(fs::is_directory(path())) << "the directory is left as it was";
    EXPECT_TRUE(fs::is_empty(path()));
}

TEST_F(FrameFileTest, ARecordingThatStopsGrowingKeepsItsHeaderTrueAtEveryLimit) {
    // Every limit from below the header to past three frames of 2 stars (48 bytes each).
    StarTable table = makeTable(2);
    for (int64_t limit = 0; limit <= 8 + 48 * 3 + 1; ++limit) {
        SCOPED_TRACE(limit);
        const int32_t fits = limit <= 8 ? 0 : static_cast<int32_t>(std::min<int64_t>((limit - 9) / 48, 3));
        {
            FrameFile file(path(), limit);
            ASSERT_TRUE(file.createRecording(table));
            for (int i = 0; i < 200; ++i) {
                StarTable frame = makeTable(2, i % 3 + 1);
                file.recordFrame(frame);
                if (i == 2) file.recordFrame(frame);  // frames keep coming after the limit
            }
            EXPECT_EQ(file.recordedFrames(), 201);
            EXPECT_EQ(file.framesInFile(), fits);
        }
        const std::string bytes = readAll(path());
        ASSERT_GE(bytes.size(), 8u);
        const int32_t frames = headerFrames(bytes);
        EXPECT_EQ(frames, fits);
        EXPECT_EQ(bytes.size(), 8u + 48u * static_cast<size_t>(frames)) << "header and length agree";
        // Every frame the header counts replays whole and as recorded.
        StarTable replay = makeTable(2);
        FrameFile reader(path());
        ASSERT_TRUE(reader.openRecording(replay));
        EXPECT_EQ(reader.replayFrames(), frames);
        for (int32_t k = 0; k < frames; ++k) {
            EXPECT_TRUE(reader.loadFrame(replay, k));
            EXPECT_TRUE(sameBits(replay.displayY, makeTable(2, k + 1).displayY)) << "frame " << k;
        }
    }
}

}  // namespace
}  // namespace selvane
