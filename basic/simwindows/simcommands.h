// Run, single step and stop: every simulator window offers them for the program
// the wrapper runs, whatever window has the keys.
#pragma once

#include "basic/commands.h"
#include "basic/library/linotrex.h"

namespace harvel {

inline bool IsSimulatorCommand(int cmd) {
    return cmd == cmRun || cmd == cmStep || cmd == cmStop;
}

// Run and step while the program is halted, stop while it runs or waits.
inline bool SimulatorCommandEnabled(const TLinotrex& wrapper, int cmd) {
    const TLinotrex::RunState state = wrapper.GetRunState();
    if (cmd == cmStop)
        return state == TLinotrex::Running || state == TLinotrex::Waiting;
    return state == TLinotrex::Halted;
}

// Carries out one of the three while it is enabled.
inline void DoSimulatorCommand(TLinotrex& wrapper, int cmd) {
    if (!SimulatorCommandEnabled(wrapper, cmd))
        return;
    if (cmd == cmRun)
        wrapper.RunTo(-1);
    else if (cmd == cmStep)
        wrapper.StepOnce();
    else
        wrapper.UserBreak();
}

} // namespace harvel
