#include "graphical/model/simulatoriostate.h"

TSimulatorIoState SimulatorIoState;

bool AutoTiming = true;
bool SimulatedBeep = true;
bool ApplicationBoard = false;
bool SimOptionsChanged = false;
bool SimStatusChanged = false;

TSimulatorWindows SimulatorWindows;

int SimulatorOptionWord() {
    return (AutoTiming ? 1 : 0) | (SimulatedBeep ? 2 : 0) | (ApplicationBoard ? 4 : 0);
}
