#pragma once
#include "app/program_data.h"
#include "screens/machine_events.h"
#include "screens/view/playback_controls.h"
#include "screens/view/viewing_layout.h"
#include "toolkit/e_button.h"
#include "toolkit/e_scroll_bar.h"

namespace Quillon::Selvane {

// Builds a Symulator or Player window from its screen's widget classes (W names them):
// the thirteen controls in order, each with its build action, then show, then the view
// goes home. The screens differ only in what RUN's and the Indicater's builds do.
template <class W, class RunStopBuild, class IndicaterBuild>
EWindow* buildViewingWindow(Playback& playback, RunStopBuild runStopBuild, IndicaterBuild indicaterBuild) {
    namespace L = ViewingLayout;
    auto* window = newScreenWindow<typename W::XGUI>(L::window);
    addControl<typename W::RunStop>(*window, L::runStop, runStopBuild);
    addControl<typename W::turnOpposite>(*window, L::turnOpposite);
    addControl<typename W::turnBelow>(*window, L::turnBelow);
    addControl<typename W::turnRight>(*window, L::turnRight);
    addControl<typename W::turnAbove>(*window, L::turnAbove);
    addControl<typename W::Indicater>(*window, L::indicater, [&](EHScrollBar* bar) {
        registerPositionBar(playback, bar);
        indicaterBuild();
    });
    addControl<typename W::REW>(*window, L::rew);
    addControl<typename W::Play_Pause>(*window, L::playPause,
                                       [&](EButton* button) { bindToggle(playback.playPause, button); });
    addControl<typename W::FastFoword>(*window, L::fastFoword);
    addControl<typename W::turnLeft>(*window, L::turnLeft);
    addControl<typename W::GO>(*window, L::go);
    addControl<typename W::BACK>(*window, L::back);
    addControl<typename W::HomePosition>(*window, L::homePosition);
    window->show(SW_SHOWNORMAL);
    initView(playback.view, window);
    viewingWindow = window;
    return window;
}

}  // namespace Quillon::Selvane
