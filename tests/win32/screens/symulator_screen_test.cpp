#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/fast_gravity_step.h"
#include "model/compose.h"
#include "screens/player/player_screen.h"
#include "screens/symulator/symulator_screen.h"
#include "screens/view/playback_controls.h"
#include "tests/test_files.h"
#include "tests/win32/screens/screen_fixture.h"

namespace Quillon::Selvane::Testing {
namespace {

void composeStars(const char* count) {
    selvane::FieldTexts fields;
    fields.numberOfStar = count;
    ASSERT_TRUE(selvane::composeGalaxy(fields, 1234, randomGenerator, starTable, simulationParameters));
}

std::vector<double> displayed() {
    std::vector<double> all = starTable.displayX;
    all.insert(all.end(), starTable.displayY.begin(), starTable.displayY.end());
    all.insert(all.end(), starTable.displayZ.begin(), starTable.displayZ.end());
    return all;
}

void scrollTo(HWND window, int position) {
    SendMessageA(window, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, kIndicater)));
}

int scrollPosition(HWND window) { return GetScrollPos(GetDlgItem(window, kIndicater), SB_CTL); }

using selvane::fileBytes;

// The table's galaxy stepped STEPS times by the core alone, as the batch runner steps it,
// and the frames it records.
struct CoreRun {
    selvane::StarTable end;
    std::vector<std::vector<double>> frames;
};

CoreRun runOnCore(int steps) {
    CoreRun run{starTable, {}};
    selvane::StepCounter counter;
    selvane::StepHooks hooks;
    hooks.recordFrame = [&run] {
        std::vector<double> frame = run.end.displayX;
        frame.insert(frame.end(), run.end.displayY.begin(), run.end.displayY.end());
        frame.insert(frame.end(), run.end.displayZ.begin(), run.end.displayZ.end());
        run.frames.push_back(frame);
    };
    for (int step = 0; step < steps; ++step) selvane::fastGravityStep(run.end, simulationParameters, counter, hooks);
    return run;
}

using SymulatorScreenTest = ScreenTest;

TEST_F(SymulatorScreenTest, LayoutNumbersTheThirteenControlsWithTheirCaptionsAndBounds) {
    composeStars("3");
    openSymulatorScreen();
    HWND window = viewing();
    ASSERT_TRUE(window);
    char caption[32] = {};
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Selvane");
    struct Expected { const char* text; RECT bounds; };
    const Expected controls[] = {
        {"RUN", {196, 382, 260, 441}}, {"x", {42, 399, 91, 420}},    {"v", {42, 420, 91, 443}},
        {">", {91, 399, 137, 420}},    {"^", {41, 377, 91, 399}},    {"", {261, 381, 466, 406}},
        {"<<", {262, 410, 328, 440}},  {">", {328, 410, 398, 440}},  {">>", {398, 410, 467, 440}},
        {"<", {0, 399, 42, 420}},      {"+", {146, 377, 193, 398}},  {"-", {146, 400, 193, 419}},
        {"HOME", {126, 421, 194, 441}},
    };
    for (int i = 0; i < 13; ++i) {
        SCOPED_TRACE(i + 1);
        const ControlSeen seen = seeControl(window, i + 1);
        EXPECT_EQ(seen.text, controls[i].text);
        EXPECT_STRCASEEQ(seen.systemClass.c_str(), i + 1 == kIndicater ? "ScrollBar" : "Button");
        EXPECT_EQ(seen.bounds.left, controls[i].bounds.left);
        EXPECT_EQ(seen.bounds.top, controls[i].bounds.top);
        EXPECT_EQ(seen.bounds.right, controls[i].bounds.right);
        EXPECT_EQ(seen.bounds.bottom, controls[i].bounds.bottom);
    }
    int low = -1, high = -1;
    GetScrollRange(GetDlgItem(window, kIndicater), SB_CTL, &low, &high);
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 100);
}

TEST_F(SymulatorScreenTest, RunAndStopStepTheGalaxyAndRecordEveryFifthStep) {
    composeStars("6");
    const CoreRun core = runOnCore(12);
    const selvane::StarTable& reference = core.end;
    const std::vector<std::vector<double>>& frames = core.frames;

    openSymulatorScreen();
    HWND window = viewing();
    ASSERT_TRUE(window);
    click(window, kRunStop);
    EXPECT_EQ(captionOf(window, kRunStop), "Stop");
    ASSERT_TRUE(pumpUntil([] { return stepCounter.steps == 12; }));
    click(window, kRunStop);
    EXPECT_EQ(captionOf(window, kRunStop), "RUN");
    pumpUntil([] { return false; }, 200);  // a while with the timer stopped
    EXPECT_EQ(stepCounter.steps, 12);
    EXPECT_EQ(displayed().front(), reference.displayX.front());

    DestroyWindow(window);  // closing ends the program and completes the recording
    WPARAM code = 1;
    EXPECT_TRUE(quitPosted(code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(workFile.isOpen());
    const std::vector<unsigned char> bytes = fileBytes("Recorder.wrk");
    ASSERT_EQ(bytes.size(), 8u + 24 * 6 * 2);
    const int32_t header[2] = {6, 2};
    EXPECT_EQ(std::memcmp(bytes.data(), header, 8), 0);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(std::memcmp(bytes.data() + 8, frames[0].data(), 144), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + 8 + 144, frames[1].data(), 144), 0);
}

// "<<", ">>" and ">" show a frame while a step is summed on the workers without waiting for
// it, and the step still moves, counts and records what the core alone records.
TEST_F(SymulatorScreenTest, FramesShowWhileAStepIsInFlightAndTheRecordingStaysTheCoresOwn) {
    selvane::FieldTexts fields;
    fields.numberOfStar = "24000";  // a step of a good part of a second: still summing after its tick
    fields.scale = "20000";         // room for them all
    fields.recordingSpeed = "1";
    ASSERT_TRUE(selvane::composeGalaxy(fields, 1234, randomGenerator, starTable, simulationParameters));
    const std::vector<std::vector<double>> frames = runOnCore(2).frames;

    openSymulatorScreen();
    HWND window = viewing();
    ASSERT_TRUE(window);
    simulationTimerProc(nullptr, WM_TIMER, 0, 0);
    ASSERT_TRUE(pumpUntil([] { return stepCounter.steps == 1; }));
    simulationTimerProc(nullptr, WM_TIMER, 0, 0);  // the second step, summing
    ASSERT_EQ(stepCounter.steps, 1);
    click(window, kRew);
    EXPECT_EQ(displayed(), frames[0]);
    click(window, kFastFoword);
    EXPECT_EQ(displayed(), frames[0]);
    click(window, kPlayPause);
    showNextFrame(Symulator::playback);  // a tick of the playback timer
    EXPECT_EQ(displayed(), frames[0]);
    EXPECT_EQ(stepCounter.steps, 1) << "a frame shown waited for the step in flight";
    ASSERT_TRUE(pumpUntil([] { return stepCounter.steps == 2; }));
    EXPECT_EQ(displayed(), frames[1]);

    DestroyWindow(window);
    const std::vector<unsigned char> bytes = fileBytes("Recorder.wrk");
    const size_t frameBytes = 24 * 24000;
    ASSERT_EQ(bytes.size(), 8 + 2 * frameBytes);
    EXPECT_EQ(std::memcmp(bytes.data() + 8, frames[0].data(), frameBytes), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + 8 + frameBytes, frames[1].data(), frameBytes), 0);
}

TEST_F(SymulatorScreenTest, PlaybackControlsMapFramesToTheScrollBarAndPauseAtTheEnd) {
    composeStars("4");
    openSymulatorScreen();
    HWND window = viewing();
    ASSERT_TRUE(window);
    std::vector<double> first, last;
    for (int step = 1; step <= 50; ++step) {
        simulationTimerProc(nullptr, WM_TIMER, 0, 0);
        if (step == 5) first = displayed();
    }
    last = displayed();
    ASSERT_EQ(workFile.framesInFile(), 10);

    click(window, kRew);
    EXPECT_EQ(displayed(), first);
    EXPECT_EQ(scrollPosition(window), 0);
    click(window, kFastFoword);
    EXPECT_EQ(displayed(), last);
    EXPECT_EQ(scrollPosition(window), 90);
    scrollTo(window, 50);
    EXPECT_EQ(Symulator::playback.playPosition, 4);
    EXPECT_EQ(scrollPosition(window), 50);

    click(window, kRew);
    click(window, kPlayPause);
    EXPECT_EQ(captionOf(window, kPlayPause), "II");
    ASSERT_TRUE(pumpUntil([&] { return captionOf(window, kPlayPause) == ">"; }));
    EXPECT_EQ(Symulator::playback.playPosition, 10);
    EXPECT_EQ(displayed(), last);

    // ">>" then ">": the last frame once more, then a pause at once.
    click(window, kRew);
    click(window, kFastFoword);
    click(window, kPlayPause);
    EXPECT_EQ(captionOf(window, kPlayPause), "II");
    ASSERT_TRUE(pumpUntil([&] { return captionOf(window, kPlayPause) == ">"; }));
    EXPECT_EQ(Symulator::playback.playPosition, 10);
    EXPECT_EQ(displayed(), last);
}

TEST_F(SymulatorScreenTest, WithNoFramesThePlayerControlsChangeNothing) {
    composeStars("4");
    openSymulatorScreen();
    HWND window = viewing();
    ASSERT_TRUE(window);
    const std::vector<double> shown = displayed();
    click(window, kRew);
    click(window, kFastFoword);
    scrollTo(window, 70);
    click(window, kPlayPause);
    EXPECT_EQ(scrollPosition(window), 0);
    EXPECT_EQ(displayed(), shown);
    EXPECT_EQ(captionOf(window, kPlayPause), ">");
}

TEST_F(SymulatorScreenTest, RecordingThatCannotBeWrittenLetsTheSimulationRunOn) {
    ASSERT_TRUE(CreateDirectoryA("Recorder.wrk", nullptr));
    composeStars("8");
    const std::vector<double> start = displayed();
    openSymulatorScreen();
    HWND window = viewing();
    ASSERT_TRUE(window);
    click(window, kRunStop);
    ASSERT_TRUE(pumpUntil([] { return stepCounter.steps >= 40; }));
    click(window, kRew);
    click(window, kPlayPause);
    scrollTo(window, 60);
    ASSERT_TRUE(pumpUntil([] { return stepCounter.steps >= 80; }));  // still stepping after the scrubbing
    click(window, kRunStop);
    EXPECT_NE(displayed(), start);
    EXPECT_EQ(scrollPosition(window), 0);  // no frame to show
    DestroyWindow(window);
    WPARAM code = 1;
    EXPECT_TRUE(quitPosted(code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(GetFileAttributesA("Recorder.wrk") & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(RemoveDirectoryA("Recorder.wrk"));
}

TEST_F(SymulatorScreenTest, CameraButtonsMoveOnlyThisScreensCamera) {
    composeStars("4");
    Player::view.camera.home();
    openSymulatorScreen();
    HWND window = viewing();
    ASSERT_TRUE(window);
    click(window, kGo);
    EXPECT_EQ(Symulator::view.camera.viewpoint[2], -980);
    click(window, kTurnLeft);
    EXPECT_LT(Symulator::view.camera.orientation[2][0], 0);
    click(window, kHomePosition);
    EXPECT_EQ(Symulator::view.camera.viewpoint[2], -1000);
    EXPECT_EQ(Symulator::view.camera.orientation[2][0], 0);
    click(window, kBack);
    EXPECT_EQ(Symulator::view.camera.viewpoint[2], -1020);
    EXPECT_EQ(Player::view.camera.viewpoint[2], -1000);
}

}  // namespace
}  // namespace Quillon::Selvane::Testing
