// Icons both programs draw themselves: the program icon and the simulator buttons, in colour so
// that a disabled button looks different from an enabled one.
#pragma once

#include <QIcon>

enum class TSimulatorGlyph { Run, Step, RunToCursor, Stop, Reset };

// The unit with its display and port lights, for every window of the program.
QIcon ApplicationIcon();
QIcon SimulatorIcon(TSimulatorGlyph glyph);
