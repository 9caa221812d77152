#include "screens/view/playback_controls.h"

#include <limits>

#include "engine/playback.h"
#include "screens/program_data.h"
#include "toolkit/e_scroll_bar.h"

namespace Quillon::Selvane {

namespace {

// A frame goes into the displayed positions only: a step in flight reads the positions
// and masses and writes velocities of its own, and its end sets the displayed positions
// anew, so it neither sees the frame nor is waited for.
void loadFrame(int32_t k) { workFile.loadFrame(starTable, k); }

}  // namespace

int32_t playableFrames() { return workFile.framesInFile(); }

void registerPositionBar(Playback& playback, EHScrollBar* bar) {
    bar->setMin(0);
    bar->setMax(100);
    playback.positionBar = bar;
    playback.shownPosition = bar->getMin();
}

void scrollFromFrame(Playback& playback, int32_t k) {
    if (playback.positionBar) {
        EHScrollBar& bar = *playback.positionBar;
        playback.shownPosition = selvane::scrollPositionOfFrame(k, playableFrames(), bar.getMin(), bar.getMax());
        bar.setPos(playback.shownPosition);
    }
    playback.playPosition = k;
}

void showFirstFrame(Playback& playback) {
    if (playableFrames() < 1) return;
    loadFrame(0);
    scrollFromFrame(playback, 0);
    invalidateView(playback.view);
}

void showLastFrame(Playback& playback) {
    const int32_t frames = playableFrames();
    if (frames < 1) return;
    loadFrame(frames - 1);
    scrollFromFrame(playback, frames - 1);
    invalidateView(playback.view);
}

void showFrameAtScroll(Playback& playback, int32_t position) {
    if (!playback.positionBar) return;
    EHScrollBar& bar = *playback.positionBar;
    const int32_t frames = playableFrames();
    if (frames < 1) {
        bar.setPos(playback.shownPosition);  // nothing to show: the bar stays where it was
        return;
    }
    const int32_t k = selvane::frameAtScrollPosition(position, frames, bar.getMin(), bar.getMax());
    playback.shownPosition = position;
    loadFrame(k);
    playback.playPosition = k;
    invalidateView(playback.view);
}

bool showNextFrame(Playback& playback) {
    loadFrame(playback.playPosition);
    scrollFromFrame(playback, playback.playPosition);
    if (playback.playPosition < std::numeric_limits<int32_t>::max()) ++playback.playPosition;
    return playback.playPosition >= playableFrames();
}

}  // namespace Quillon::Selvane
