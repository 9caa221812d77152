#include "screens/state_machine.h"

#include "toolkit/e_button.h"

namespace Quillon::Selvane {

bool rememberButton(ButtonMachine& machine, EButton* button) {
    machine.button = button;
    return true;
}

void setCaption(ButtonMachine& machine, const char* caption) {
    if (machine.button) machine.button->setText(caption);
}

bool setWindowlessTimer(TimerMachine& machine, UINT interval, TIMERPROC callback) {
    const UINT_PTR id = SetTimer(nullptr, 0, interval, callback);
    if (!id) return false;
    machine.timerId = id;
    return true;
}

bool killWindowlessTimer(TimerMachine& machine) {
    KillTimer(nullptr, machine.timerId);
    return true;
}

}  // namespace Quillon::Selvane
