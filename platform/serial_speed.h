// Line speed of a terminal device in bits per second, any rate the driver accepts (not only
// the classic Bxxx set). Kept apart because the kernel's termios2 header clashes with
// <termios.h>.
#pragma once

#include <cstdint>

namespace platform {

bool SetLineSpeed(int fd, uint32_t bitsPerSecond);
// 0 when the speed cannot be read.
uint32_t LineSpeed(int fd);

} // namespace platform
