// Run (303), single step (304) and stop (307): every simulator window offers them for the program
// the wrapper runs, whatever window has the keys.
#pragma once

#include "basic/library/linotrex.h"

namespace harvel {

inline bool IsSimulatorCommand(int cmd) {
    return cmd == 303 || cmd == 304 || cmd == 307;
}

// Run and step while the program is halted, stop while it runs or waits.
inline bool SimulatorCommandEnabled(const TLinotrex& wrapper, int cmd) {
    const TLinotrex::RunState state = wrapper.GetRunState();
    if (cmd == 307)
        return state == TLinotrex::Running || state == TLinotrex::Waiting;
    return state == TLinotrex::Halted;
}

// Carries out one of the three while it is enabled.
inline void DoSimulatorCommand(TLinotrex& wrapper, int cmd) {
    if (!SimulatorCommandEnabled(wrapper, cmd))
        return;
    if (cmd == 303)
        wrapper.RunTo(-1);
    else if (cmd == 304)
        wrapper.StepOnce();
    else
        wrapper.UserBreak();
}

} // namespace harvel
