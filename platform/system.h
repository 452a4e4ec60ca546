// Small system services: program directory, clocks, sleep.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Directory of the running executable, ending in "/".
std::string ProgramDirectory();
// Full path of the running executable.
std::string ProgramFilePath();
// Milliseconds since an arbitrary start, wrapping like the Win32 tick count.
uint32_t TickCount();
// Monotonic milliseconds with no wrap.
uint64_t MillisecondClock();
void SleepMilliseconds(uint32_t milliseconds);

} // namespace platform
