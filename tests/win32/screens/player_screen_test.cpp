#include <cstdio>

#include "screens/player/player_screen.h"
#include "screens/symulator/symulator_screen.h"
#include "tests/win32/screens/screen_fixture.h"

namespace Quillon::Selvane::Testing {
namespace {

// A recording of two stars: one standing at the origin, one at x = 100 * (frame + 1).
void writeRecording(int frames) {
    selvane::StarTable table;
    ASSERT_TRUE(selvane::reallocateStars(table, 2));
    selvane::FrameFile recording("Recorder.wrk");
    ASSERT_TRUE(recording.createRecording(table));
    for (int k = 0; k < frames; ++k) {
        table.displayX[1] = 100.0 * (k + 1);
        recording.recordFrame(table);
    }
}

using PlayerScreenTest = ScreenTest;

TEST_F(PlayerScreenTest, WithoutARecordingTheProgramEndsAndNoWindowAppears) {
    expectPlayerEndsWithNoWindow();
}

TEST_F(PlayerScreenTest, ReplaysTheRecordingAndDrawsItThroughItsOwnCamera) {
    writeRecording(3);
    Symulator::view.camera.home();
    openPlayerScreen();
    HWND window = viewing();
    ASSERT_TRUE(window);
    ASSERT_EQ(starTable.starCount, 2);
    EXPECT_EQ(starTable.displayX[1], 100.0);  // frame 0
    EXPECT_EQ(captionOf(window, kPlayPause), ">");

    // The star at the origin is a dot at the view's centre; the star at x = 100 lies right of it.
    EXPECT_EQ(pixelAt(window, 234, 187), kWhite);
    EXPECT_EQ(pixelAt(window, 100, 100), kBlack);
    EXPECT_EQ(pixelAt(window, 230, 183), kBlack);
    click(window, kTurnOpposite);  // every star is now behind the camera
    EXPECT_EQ(pixelAt(window, 234, 187), kBlack);
    click(window, kHomePosition);
    EXPECT_EQ(pixelAt(window, 234, 187), kWhite);
    click(window, kGo);
    EXPECT_EQ(Player::view.camera.viewpoint[2], -980);
    EXPECT_EQ(Symulator::view.camera.viewpoint[2], -1000);

    click(window, kRunStop);  // nothing runs in a replay
    EXPECT_EQ(captionOf(window, kRunStop), "RUN");
    EXPECT_EQ(stepCounter.steps, 0);

    click(window, kPlayPause);
    EXPECT_EQ(captionOf(window, kPlayPause), "II");
    ASSERT_TRUE(pumpUntil([&] { return captionOf(window, kPlayPause) == ">"; }));
    EXPECT_EQ(starTable.displayX[1], 300.0);
    EXPECT_EQ(GetScrollPos(GetDlgItem(window, kIndicater), SB_CTL), 67);  // 101 * 2 / 3

    // At the end, ">" shows nothing new, puts the bar at its right end and pauses again.
    click(window, kPlayPause);
    ASSERT_TRUE(pumpUntil([&] { return captionOf(window, kPlayPause) == ">"; }));
    EXPECT_EQ(starTable.displayX[1], 300.0);
    EXPECT_EQ(GetScrollPos(GetDlgItem(window, kIndicater), SB_CTL), 100);

    DestroyWindow(window);
    WPARAM code = 1;
    EXPECT_TRUE(quitPosted(code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(workFile.isOpen());
}

TEST_F(PlayerScreenTest, ARecordingClosedBeforeItsFirstFrameOpensWithItsStars) {
    writeRecording(0);
    openPlayerScreen();
    HWND window = viewing();
    ASSERT_TRUE(window);
    EXPECT_EQ(starTable.starCount, 2);
    click(window, kPlayPause);
    click(window, kFastFoword);
    EXPECT_EQ(captionOf(window, kPlayPause), ">");
    EXPECT_EQ(GetScrollPos(GetDlgItem(window, kIndicater), SB_CTL), 0);
}

}  // namespace
}  // namespace Quillon::Selvane::Testing
