#include "editor/vedcontroller.h"

namespace ved {

TVedController::TVedController(TVedTimerDriver* timer) : timers_({}, timer) {
    timers_.OnAllTriggers = [this](TVedTimerPool&, int32_t handle, uint16_t interval,
                                   int32_t elapsed) {
        if (OnTimerTrigger)
            OnTimerTrigger(*this, handle, interval, elapsed);
    };
}

void TVedController::SetEpoch(int epoch) {
    if (epoch != epoch_ && epoch >= 1600 && epoch <= 3999)
        epoch_ = epoch;
}

void TVedController::ControlRemoved(TVedControlHandle control) {
    if (!control)
        return;
    for (TVedControlHandle* b : {&btnCancel_, &btnHelp_, &btnRestore_})
        if (*b == control)
            *b = nullptr;
}

bool TVedController::IsSpecialButton(TVedControlHandle control) const {
    return control && (control == btnCancel_ || control == btnHelp_ || control == btnRestore_);
}

} // namespace ved
