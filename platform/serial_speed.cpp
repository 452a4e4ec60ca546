#include "platform/serial_speed.h"

#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

namespace platform {

namespace {

struct Rate {
    uint32_t bitsPerSecond;
    tcflag_t code;
};

// Rates with a classic code keep it, so that tools reading only the code see the rate.
constexpr Rate kClassicRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000}};

tcflag_t codeOf(uint32_t bitsPerSecond) {
    for (const Rate& rate : kClassicRates) {
        if (rate.bitsPerSecond == bitsPerSecond)
            return rate.code;
    }
    return BOTHER;
}

} // namespace

bool SetLineSpeed(int fd, uint32_t bitsPerSecond) {
    if (bitsPerSecond == 0) {
        errno = EINVAL;
        return false;
    }
    termios2 settings{};
    if (ioctl(fd, TCGETS2, &settings) != 0)
        return false;
    settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    const tcflag_t code = codeOf(bitsPerSecond);
    settings.c_cflag |= code | (code << IBSHIFT);
    settings.c_ispeed = bitsPerSecond;
    settings.c_ospeed = bitsPerSecond;
    if (ioctl(fd, TCSETS2, &settings) != 0)
        return false;
    // A driver that cannot reach the rate keeps another one; a UART's divider may miss it by
    // a little, which the other end tolerates.
    const uint64_t actual = LineSpeed(fd);
    const uint64_t wanted = bitsPerSecond;
    if (actual * 100 < wanted * 97 || actual * 100 > wanted * 103) {
        errno = EINVAL;
        return false;
    }
    return true;
}

uint32_t LineSpeed(int fd) {
    termios2 settings{};
    if (ioctl(fd, TCGETS2, &settings) != 0)
        return 0;
    return settings.c_ospeed;
}

} // namespace platform
