#pragma once
#include "screens/program_data.h"
#include "screens/view/playback_controls.h"
#include "screens/view/viewing_layout.h"
#include "toolkit/e_button.h"
#include "toolkit/e_scroll_bar.h"

namespace Quillon::Selvane {

// Builds a Symulator or Player window from its screen's widget classes (GUI names them) and
// player P: the thirteen controls in order, each with its build action, then show, then the
// view goes home. The screens differ only in what RUN's and the Indicater's builds do.
template <class GUI, Playback& P, class RunStopBuild, class IndicaterBuild>
EWindow* buildViewingWindow(RunStopBuild runStopBuild, IndicaterBuild indicaterBuild) {
    namespace L = ViewingLayout;
    auto* window = newScreenWindow<typename GUI::XGUI>(L::window);
    addControl<typename GUI::RunStop>(*window, L::runStop, runStopBuild);
    addControl<typename GUI::turnOpposite>(*window, L::turnOpposite);
    addControl<typename GUI::turnBelow>(*window, L::turnBelow);
    addControl<typename GUI::turnRight>(*window, L::turnRight);
    addControl<typename GUI::turnAbove>(*window, L::turnAbove);
    addControl<typename GUI::Indicater>(*window, L::indicater, [&](EHScrollBar* bar) {
        registerPositionBar(P, bar);
        indicaterBuild();
    });
    addControl<typename GUI::REW>(*window, L::rew);
    addControl<typename GUI::Play_Pause>(*window, L::playPause,
                                         [](EButton* button) { fire(P.playPause, kPlayPause<P>, Event::Bind, button); });
    addControl<typename GUI::FastFoword>(*window, L::fastFoword);
    addControl<typename GUI::turnLeft>(*window, L::turnLeft);
    addControl<typename GUI::GO>(*window, L::go);
    addControl<typename GUI::BACK>(*window, L::back);
    addControl<typename GUI::HomePosition>(*window, L::homePosition);
    window->show(SW_SHOWNORMAL);
    initView(P.view, window);
    viewingWindow = window;
    return window;
}

}  // namespace Quillon::Selvane
