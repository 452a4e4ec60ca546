// The controller every editor of a form shares: the key bindings (command processor with its
// tables), the insert mode that carries over between editors, the date epoch, the timer pool
// and the events the form may handle. Widget-free: the special buttons are referred to by an
// opaque handle of the control layer.
#pragma once

#include "editor/vedcmd.h"
#include "editor/vedtimer.h"

#include <cstdint>
#include <functional>
#include <string>

namespace ved {

class TVedController;

// A control of the form, as the control layer identifies it (for example its widget).
using TVedControlHandle = const void*;

using TDataErrorEvent =
    std::function<void(TVedController& sender, uint16_t errorCode, const std::string& message)>;
using TDelayNotifyEvent = std::function<void(TVedController& sender, uint16_t notifyCode)>;
using TPostEditEvent = std::function<void(TVedController& sender, TVedControlHandle gaining)>;
using TPreEditEvent = std::function<void(TVedController& sender, TVedControlHandle losing)>;
using TControllerTriggerEvent =
    std::function<void(TVedController& sender, int32_t handle, uint16_t interval, int32_t elapsed)>;

class TVedController {
public:
    // Built-in tables, sequence state idle, insert mode on. The timer pool runs on `timer`
    // (may be null until the control layer binds one).
    explicit TVedController(TVedTimerDriver* timer = nullptr);
    TVedController(const TVedController&) = delete;
    TVedController& operator=(const TVedController&) = delete;

    TVedCommandProcessor& EntryCommands() { return commands_; }
    TVedTimerPool& TimerPool() { return timers_; }

    int Epoch() const { return epoch_; }
    // Taken only when it differs and lies in 1600..3999.
    void SetEpoch(int epoch);

    // Insert mode shared by the form's editors: an editor leaving the focus stores its own.
    bool InsertMode() const { return insertMode_; }
    void SetInsertMode(bool on) { insertMode_ = on; }

    TVedControlHandle BtnCancel() const { return btnCancel_; }
    TVedControlHandle BtnHelp() const { return btnHelp_; }
    TVedControlHandle BtnRestore() const { return btnRestore_; }
    void SetBtnCancel(TVedControlHandle c) { btnCancel_ = c; }
    void SetBtnHelp(TVedControlHandle c) { btnHelp_ = c; }
    void SetBtnRestore(TVedControlHandle c) { btnRestore_ = c; }
    // A control removed from the form is no longer referenced.
    void ControlRemoved(TVedControlHandle control);
    // Whether the control is one of the three special buttons.
    bool IsSpecialButton(TVedControlHandle control) const;

    TDataErrorEvent OnError;
    TDelayNotifyEvent OnDelayNotify;
    TPostEditEvent OnPostEdit;
    TPreEditEvent OnPreEdit;
    TControllerTriggerEvent OnTimerTrigger; // every trigger of the pool, forwarded

private:
    TVedCommandProcessor commands_;
    TVedTimerPool timers_;
    int epoch_ = 1900;
    bool insertMode_ = true;
    TVedControlHandle btnCancel_ = nullptr;
    TVedControlHandle btnHelp_ = nullptr;
    TVedControlHandle btnRestore_ = nullptr;
};

} // namespace ved
