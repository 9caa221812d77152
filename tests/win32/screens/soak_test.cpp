#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "model/compose.h"
#include "screens/player/player_screen.h"
#include "screens/symulator/symulator_screen.h"
#include "tests/test_files.h"
#include "tests/win32/screens/screen_fixture.h"

namespace Quillon::Selvane::Testing {
namespace {

// A 2000-star step sums 4 million pairs: a few dozen steps a second here, so a minute
// records a few hundred frames (tens of megabytes) while the controls move through them.
constexpr int32_t kSoakStars = 2000;
constexpr DWORD kSoakMilliseconds = 60000;
constexpr DWORD kWarmUpMilliseconds = 5000;
constexpr int64_t kFrameBytes = 24LL * kSoakStars;

// Private bytes and working set of this process.
PROCESS_MEMORY_COUNTERS memoryNow() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

unsigned long long kilobytes(SIZE_T bytes) { return static_cast<unsigned long long>(bytes / 1024); }

using selvane::fileBytes;

int32_t int32At(const std::vector<unsigned char>& bytes, size_t at) {
    int32_t value = 0;
    if (bytes.size() >= at + 4) std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

// FNV-1a over bytes, so a frame can be compared with the file without keeping a copy of it.
uint64_t fingerprint(const void* data, size_t size, uint64_t hash = 14695981039346656037ULL) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ULL;
    return hash;
}

// The displayed positions as a frame stores them: all x, all y, all z.
uint64_t frameFingerprint(const selvane::StarTable& table) {
    const size_t plane = table.displayX.size() * sizeof(double);
    uint64_t hash = fingerprint(table.displayX.data(), plane);
    hash = fingerprint(table.displayY.data(), plane, hash);
    return fingerprint(table.displayZ.data(), plane, hash);
}

// The recording as another reader sees it while the program still writes it: length and
// header frame count, through a handle that lets the writer go on.
bool peekRecording(int64_t& length, int32_t& headerFrames) {
    HANDLE file = CreateFileA("Recorder.wrk", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    int32_t header[2] = {};
    DWORD got = 0;
    const bool ok = GetFileSizeEx(file, &size) && ReadFile(file, header, sizeof header, &got, nullptr) && got == 8;
    CloseHandle(file);
    length = size.QuadPart;
    headerFrames = header[1];
    return ok;
}

void scrollTo(HWND window, int position) {
    SendMessageA(window, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, kIndicater)));
}

using SoakTest = ScreenTest;

TEST_F(SoakTest, RunningGalaxyWhileScrubbingTheRecordingStaysFlatAndLosesNothing) {
    selvane::FieldTexts fields;
    fields.numberOfStar = std::to_string(kSoakStars);
    fields.scale = "1000";  // room for every star
    ASSERT_TRUE(selvane::composeGalaxy(fields, 4321, randomGenerator, starTable, simulationParameters));
    ASSERT_EQ(starTable.starCount, kSoakStars);
    openSymulatorScreen();
    HWND window = viewing();
    ASSERT_TRUE(window);
    const int32_t offeredBefore = workFile.recordedFrames();  // the count runs over the program's life
    // Every frame the run offers, as it was when offered, to be found again in the file.
    std::vector<uint64_t> offered;
    offered.reserve(1 << 14);  // no growth of the test's own memory inside the measured span
    const std::function<void()> record = stepHooks.recordFrame;
    ASSERT_TRUE(record);
    const struct Restore {
        std::function<void()> hook;
        ~Restore() { stepHooks.recordFrame = hook; }
    } restore{record};
    stepHooks.recordFrame = [record, &offered] {
        record();
        if (offered.size() < offered.capacity()) offered.push_back(frameFingerprint(starTable));
    };
    click(window, kRunStop);
    ASSERT_EQ(captionOf(window, kRunStop), "Stop");

    const DWORD start = GetTickCount();
    PROCESS_MEMORY_COUNTERS warm{}, peak{};
    bool warmed = false;
    int32_t warmFrames = 0, lastFrames = 0;
    int action = 0;
    std::set<int32_t> positions;
    int peeks = 0;
    while (GetTickCount() - start < kSoakMilliseconds) {
        switch (action++ % 6) {  // scrub the growing recording as a person would
            case 0: click(window, kRew); break;
            case 1: click(window, kFastFoword); break;
            case 2: scrollTo(window, (action * 37) % 101); break;
            case 3: click(window, kPlayPause); break;
            case 4: scrollTo(window, 100); break;
            default: click(window, kPlayPause); break;
        }
        pumpUntil([] { return false; }, 40);
        const int32_t frames = workFile.framesInFile();
        ASSERT_GE(frames, lastFrames) << "the recording never shrinks";
        ASSERT_EQ(frames, workFile.recordedFrames() - offeredBefore) << "every frame offered is in the file";
        ASSERT_EQ(frames, stepCounter.steps / 5);
        ASSERT_EQ(starTable.displayX.size(), static_cast<size_t>(kSoakStars));
        lastFrames = frames;
        positions.insert(Symulator::playback.playPosition);
        int64_t length = 0;
        int32_t onDisk = -1;
        // Each frame's bytes reach the file before its count; the count may wait in the
        // buffer (before the first frame, the whole header may).
        if (frames > 0) {
            ASSERT_TRUE(peekRecording(length, onDisk));
            ASSERT_EQ(length, 8 + kFrameBytes * frames);
            ASSERT_TRUE(onDisk == frames || onDisk == frames - 1) << onDisk << " of " << frames;
            ++peeks;
        }
        const PROCESS_MEMORY_COUNTERS now = memoryNow();
        if (!warmed && GetTickCount() - start >= kWarmUpMilliseconds) {
            warm = now;
            peak = now;
            warmFrames = frames;
            warmed = true;
        }
        if (warmed) {
            peak.PagefileUsage = std::max(peak.PagefileUsage, now.PagefileUsage);
            peak.WorkingSetSize = std::max(peak.WorkingSetSize, now.WorkingSetSize);
        }
    }
    const DWORD soaked = GetTickCount() - start;
    const PROCESS_MEMORY_COUNTERS end = memoryNow();
    click(window, kRunStop);
    ASSERT_EQ(captionOf(window, kRunStop), "RUN");
    const int32_t frames = workFile.framesInFile();
    const int64_t steps = stepCounter.steps;
    std::printf("soak: %d stars for %lu ms: %lld steps, %d frames (%d after warm-up), %lld bytes recorded, "
                "%d frame positions shown, %d checks of the file\n"
                "soak: private bytes at %lu ms %llu KB, peak after %llu KB, end %llu KB\n"
                "soak: working set at %lu ms %llu KB, peak after %llu KB, end %llu KB\n",
                kSoakStars, static_cast<unsigned long>(soaked), static_cast<long long>(steps), frames,
                frames - warmFrames, 8 + kFrameBytes * frames, static_cast<int>(positions.size()), peeks,
                static_cast<unsigned long>(kWarmUpMilliseconds), kilobytes(warm.PagefileUsage),
                kilobytes(peak.PagefileUsage), kilobytes(end.PagefileUsage),
                static_cast<unsigned long>(kWarmUpMilliseconds), kilobytes(warm.WorkingSetSize),
                kilobytes(peak.WorkingSetSize), kilobytes(end.WorkingSetSize));
    std::fflush(stdout);
    EXPECT_GE(frames - warmFrames, 50) << "the galaxy really ran after the warm-up";
    EXPECT_GE(peeks, 200);
    EXPECT_GE(positions.size(), 20u) << "the controls really moved through the recording";
    // The recording grows by tens of megabytes; the process must not grow with it.
    EXPECT_LT(peak.PagefileUsage, warm.PagefileUsage + 4 * 1024 * 1024);
    EXPECT_LT(peak.WorkingSetSize, warm.WorkingSetSize + 8 * 1024 * 1024);

    DestroyWindow(window);  // closing completes the recording
    WPARAM code = 1;
    EXPECT_TRUE(quitPosted(code));
    EXPECT_FALSE(workFile.isOpen());
    EXPECT_EQ(stepCounter.steps, steps) << "no step after Stop";
    ASSERT_EQ(workFile.recordedFrames() - offeredBefore, frames);
    ASSERT_EQ(offered.size(), static_cast<size_t>(frames));
    const std::vector<unsigned char> bytes = fileBytes("Recorder.wrk");
    EXPECT_EQ(int32At(bytes, 0), kSoakStars);
    EXPECT_EQ(int32At(bytes, 4), frames);
    ASSERT_EQ(bytes.size(), static_cast<size_t>(8 + kFrameBytes * frames)) << "header and length agree";
    int32_t differing = 0;
    for (int32_t k = 0; k < frames; ++k)
        differing += fingerprint(bytes.data() + 8 + kFrameBytes * k, static_cast<size_t>(kFrameBytes)) != offered[k];
    EXPECT_EQ(differing, 0) << "of " << frames << " frames, each must hold what the run offered";
    EXPECT_NE(offered.front(), offered.back()) << "the galaxy moved";
}

TEST_F(SoakTest, PlayerGivenADirectoryAsItsRecordingEndsWithNoWindow) {
    ASSERT_TRUE(CreateDirectoryA("Recorder.wrk", nullptr));
    expectPlayerEndsWithNoWindow();
    EXPECT_FALSE(workFile.isOpen());
    EXPECT_TRUE(RemoveDirectoryA("Recorder.wrk"));
}

// Two stars, the second at x = 100 * (frame + 1); the file cut cutBytes short.
void writeCutRecording(int frames, size_t cutBytes) {
    std::vector<double> all;
    for (int k = 0; k < frames; ++k) all.insert(all.end(), {0, 100.0 * (k + 1), 0, 0, 0, 0});
    const int32_t header[2] = {2, frames};
    FILE* file = std::fopen("Recorder.wrk", "wb");
    ASSERT_TRUE(file);
    std::fwrite(header, 4, 2, file);
    std::fwrite(all.data(), 8, all.size(), file);
    std::fclose(file);
    std::vector<unsigned char> bytes = fileBytes("Recorder.wrk");
    bytes.resize(bytes.size() - cutBytes);
    file = std::fopen("Recorder.wrk", "wb");
    ASSERT_TRUE(file);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

TEST_F(SoakTest, PlayerGivenARecordingItMayNotReadEndsWithNoWindow) {
    writeCutRecording(2, 0);
    // Another program holds the file and shares it with no one.
    HANDLE holder = CreateFileA("Recorder.wrk", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    expectPlayerEndsWithNoWindow();
    EXPECT_FALSE(workFile.isOpen());
    CloseHandle(holder);
}

TEST_F(SoakTest, TruncatedRecordingReplaysToItsLastWholeFrame) {
    writeCutRecording(3, 20);  // frame 2 is cut short
    openPlayerScreen();
    HWND window = viewing();
    ASSERT_TRUE(window);
    ASSERT_EQ(starTable.starCount, 2);
    EXPECT_EQ(workFile.framesInFile(), 2);
    click(window, kPlayPause);
    ASSERT_TRUE(pumpUntil([&] { return captionOf(window, kPlayPause) == ">"; }));
    EXPECT_EQ(starTable.displayX[1], 200.0);
    click(window, kRew);
    EXPECT_EQ(starTable.displayX[1], 100.0);
    click(window, kFastFoword);
    EXPECT_EQ(starTable.displayX[1], 200.0);

    // Cut again while the Player has it open: scrubbing shows what is left, or keeps what it showed.
    writeCutRecording(1, 30);
    click(window, kRew);
    click(window, kFastFoword);
    scrollTo(window, 50);
    click(window, kPlayPause);
    ASSERT_TRUE(pumpUntil([&] { return captionOf(window, kPlayPause) == ">"; }));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(starTable.displayX.size(), 2u);
    const double shown = starTable.displayX[1];
    EXPECT_TRUE(shown == 100.0 || shown == 200.0) << shown;
}

}  // namespace
}  // namespace Quillon::Selvane::Testing
