#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "app/application.h"
#include "screens/program_data.h"
#include "app/shell.h"
#include "screens/timer_callbacks.h"
#include "screens/transitions.h"
#include "screens/initialise/initialise_machines.h"
#include "screens/player/player_machines.h"
#include "screens/symulator/symulator_machines.h"
#include "toolkit/e_window.h"

namespace Quillon::Selvane::Testing {

// What the screens' events were asked to do, in order; each stand-in may also act.
std::vector<std::string> screenEvents;
std::function<void()> afterEvent = [] {};

void record(const char* event) {
    screenEvents.push_back(event);
    afterEvent();
}

}  // namespace Quillon::Selvane::Testing

namespace Quillon::Selvane::Initialise {
void buildInitialiseScreen() { Testing::record("build initialise"); }
}  // namespace Quillon::Selvane::Initialise

namespace Quillon::Selvane::Symulator {
void openSymulator() { Testing::record("open symulator"); }
void onSimulationTimer() { Testing::record("simulation tick"); }
void onPlaybackTimer() { Testing::record("symulator playback tick"); }
}  // namespace Quillon::Selvane::Symulator

namespace Quillon::Selvane::Player {
void openPlayer() { Testing::record("open player"); }
void onPlaybackTimer() { Testing::record("player playback tick"); }
}  // namespace Quillon::Selvane::Player

namespace Quillon::Selvane::Testing {
namespace {

int count(const std::string& event) {
    int n = 0;
    for (const auto& e : screenEvents) n += e == event;
    return n;
}

// Ends a loop that would otherwise never stop, with a code no transition posts.
void CALLBACK watchdog(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(99); }

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        screenEvents.clear();
        afterEvent = [] {};
        starTable = {};
        simulationParameters = {};
    }
    void TearDown() override {
        workFile.closeRecording();
        DeleteFileA("Recorder.wrk");
        afterEvent = [] {};
    }
};

std::vector<StateMachine*> allMachines() {
    return {&Symulator::screenGate, &Symulator::simulationTimer, &Symulator::runStop,
            &Symulator::playPause,  &Symulator::playbackTimer,   &Initialise::screenGate,
            &Player::screenGate,    &Player::playPause,          &Player::playbackTimer};
}

TEST_F(ShellTest, StartUpSetsOnlyPendingStatesThenBuildsTheParameterScreen) {
    for (StateMachine* machine : allMachines()) machine->pending = machine->current = 7;
    std::vector<int> pendingAtBuild;
    afterEvent = [&] {
        for (StateMachine* machine : allMachines()) pendingAtBuild.push_back(machine->pending);
    };

    startUp();

    EXPECT_EQ(screenEvents, std::vector<std::string>{"build initialise"});
    EXPECT_EQ(pendingAtBuild, std::vector<int>(9, 0));  // Ready, Off and Unbound are all first
    for (StateMachine* machine : allMachines()) EXPECT_EQ(machine->current, 7);
}

TEST_F(ShellTest, ProgramKeepsItsArgumentsAndEndsWithTheQuitCodeOfTheTransition) {
    // The parameter screen starts a player timer; its third tick closes the program.
    afterEvent = [] {
        if (screenEvents.back() == "build initialise")
            SetTimer(nullptr, 0, 1, playerPlaybackTimerProc);
        if (count("player playback tick") == 3) quitApplication();
    };
    UINT_PTR guard = SetTimer(nullptr, 0, 5000, watchdog);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    char commandLine[] = "ignored -x";

    int exitCode = runProgram(instance, reinterpret_cast<HINSTANCE>(0x1234), commandLine, SW_HIDE);
    KillTimer(nullptr, guard);
    afterEvent = [] {};
    MSG leftover;
    while (PeekMessageA(&leftover, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {}

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(count("player playback tick"), 3);
    EXPECT_EQ(application.instance, instance);
    EXPECT_EQ(application.previousInstance, reinterpret_cast<HINSTANCE>(0x1234));
    EXPECT_EQ(application.commandLine, commandLine);
    EXPECT_EQ(application.showCommand, SW_HIDE);
}

TEST_F(ShellTest, LoopDeliversEveryWindowlessTimerAndReturnsTheQuitCode) {
    UINT_PTR timers[] = {SetTimer(nullptr, 0, 1, simulationTimerProc),
                         SetTimer(nullptr, 0, 1, symulatorPlaybackTimerProc),
                         SetTimer(nullptr, 0, 1, playerPlaybackTimerProc),
                         SetTimer(nullptr, 0, 5000, watchdog)};
    afterEvent = [] {
        if (count("simulation tick") && count("symulator playback tick") &&
            count("player playback tick"))
            PostQuitMessage(42);
    };

    int exitCode = runMessageLoop();
    for (UINT_PTR timer : timers) KillTimer(nullptr, timer);
    afterEvent = [] {};

    EXPECT_EQ(exitCode, 42);
}

TEST_F(ShellTest, ViewingScreensOpenOnlyForARunnableGalaxyAndOneAtATime) {
    simulationParameters.recordingSpeed = 5;
    simulationParameters.starSize = 20;
    openSymulatorScreen();
    starTable.starCount = -1;
    openSymulatorScreen();
    EXPECT_EQ(count("open symulator"), 0);

    ASSERT_TRUE(selvane::reallocateStars(starTable, 2));
    simulationParameters.recordingSpeed = 0;
    openSymulatorScreen();
    simulationParameters.recordingSpeed = 5;
    simulationParameters.starSize = std::nan("");
    openSymulatorScreen();
    EXPECT_EQ(count("open symulator"), 0);

    simulationParameters.starSize = 20;
    openSymulatorScreen();
    openPlayerScreen();
    EXPECT_EQ(count("open symulator"), 1);
    EXPECT_EQ(count("open player"), 1);

    // While a viewing window is open, neither button builds another.
    EWindow open;
    open.setGeometry(0, 0, 200, 100);
    open.show(SW_SHOWNORMAL);
    viewingWindow = &open;
    openSymulatorScreen();
    openPlayerScreen();
    viewingWindow = nullptr;
    EXPECT_EQ(count("open symulator"), 1);
    EXPECT_EQ(count("open player"), 1);
}

TEST_F(ShellTest, QuitClosesTheWorkFileAndPostsExitCodeZero) {
    ASSERT_TRUE(selvane::reallocateStars(starTable, 2));
    ASSERT_TRUE(workFile.createRecording(starTable));

    quitApplication();

    EXPECT_FALSE(workFile.isOpen());
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);

    quitApplication();  // with nothing open it still ends the program
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);
}

}  // namespace
}  // namespace Quillon::Selvane::Testing
