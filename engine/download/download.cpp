#include "engine/download/download.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace quendal {

namespace {

// Counter access for the two ways the caller may keep its shared words.
struct AtomicWords {
    std::atomic<int32_t>& count;
    std::atomic<int32_t>& total;
    std::atomic<int32_t>& cancel;

    void setCount(int32_t value) { count.store(value); }
    void setTotal(int32_t value) { total.store(value); }
    void clearBreak() { cancel.store(0); }
    bool breakSet() const { return cancel.load() != 0; }
};

struct PlainWords {
    int32_t& count;
    int32_t& total;
    int32_t& cancel;

    void setCount(int32_t value) { std::atomic_ref<int32_t>(count).store(value); }
    void setTotal(int32_t value) { std::atomic_ref<int32_t>(total).store(value); }
    void clearBreak() { std::atomic_ref<int32_t>(cancel).store(0); }
    bool breakSet() const { return std::atomic_ref<int32_t>(cancel).load() != 0; }
};

// Read time-out of one byte: 50 ms per byte plus 1000 ms.
constexpr int kReadTimeoutMs = 1050;

void SetUpPort(int fd) {
    // Failures here show up as a failed write or a missing echo right after.
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return;
    cfmakeraw(&settings);
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    settings.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    tcsetattr(fd, TCSANOW, &settings);
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, TIOCMBIC, &lines);
}

// One byte within the read time-out; false when the read failed.
bool ReadByte(int fd, uint8_t& byte, bool& got) {
    got = false;
    pollfd entry{fd, POLLIN, 0};
    int ready;
    do
        ready = poll(&entry, 1, kReadTimeoutMs);
    while (ready < 0 && errno == EINTR);
    if (ready < 0 || (ready > 0 && (entry.revents & POLLNVAL)))
        return false;
    if (ready == 0)
        return true;
    ssize_t n;
    do
        n = read(fd, &byte, 1);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        return errno == EAGAIN;
    got = n == 1;
    // Readable but nothing to read: the far end has hung up.
    return n == 1 || !(entry.revents & (POLLHUP | POLLERR));
}

// Reads single bytes until one read brings none. A unit that keeps talking would hold us
// here for ever, so the break flag is honoured as well.
template <class Words> bool Drain(int fd, Words& words) {
    for (;;) {
        if (words.breakSet())
            return false;
        uint8_t byte = 0;
        bool got = false;
        if (!ReadByte(fd, byte, got) || !got)
            return true;
    }
}

int SendRaw(int fd, uint8_t byte) {
    for (;;) {
        ssize_t n = write(fd, &byte, 1);
        if (n == 1)
            return 0;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd entry{fd, POLLOUT, 0};
            if (poll(&entry, 1, -1) >= 0 && !(entry.revents & (POLLERR | POLLHUP | POLLNVAL)))
                continue;
        }
        return DownloadWriteFailed;
    }
}

int SendEchoed(int fd, uint8_t byte) {
    if (int result = SendRaw(fd, byte))
        return result;
    uint8_t echo = 0;
    bool got = false;
    if (!ReadByte(fd, echo, got) || !got)
        return DownloadNoEcho;
    return echo == byte ? 0 : DownloadWrongEcho;
}

template <class Words>
int Run(int port, const uint8_t* image, uint32_t imageLength, const uint8_t* firmware,
        uint32_t firmwareCount, Words words) {
    bool fits = imageLength <= kMaxImageLength && firmwareCount <= kMaxFirmwareCount;
    words.setCount(0);
    words.setTotal(fits ? static_cast<int32_t>(imageLength + firmwareCount) : 0);
    words.clearBreak();
    if (!fits)
        return DownloadWriteFailed;

    SetUpPort(port);
    if (!Drain(port, words))
        return DownloadCancelled;

    int32_t sent = 0;
    // Code and firmware bytes alike: the break flag before each, the progress after its echo.
    auto sendCounted = [&](const uint8_t* bytes, uint32_t count) {
        for (uint32_t i = 0; i < count; ++i) {
            if (words.breakSet())
                return static_cast<int>(DownloadCancelled);
            if (int result = SendEchoed(port, bytes[i]))
                return result;
            words.setCount(++sent);
        }
        return 0;
    };
    if (int result = SendRaw(port, kProgramStartByte))
        return result;
    if (int result = SendEchoed(port, static_cast<uint8_t>(imageLength >> 8)))
        return result;
    if (int result = SendEchoed(port, static_cast<uint8_t>(imageLength)))
        return result;
    if (int result = sendCounted(image, imageLength))
        return result;

    if (firmwareCount != 0) {
        if (int result = SendRaw(port, kFirmwareStartByte))
            return result;
        if (int result = SendEchoed(port, static_cast<uint8_t>(firmwareCount)))
            return result;
        if (int result = sendCounted(firmware, firmwareCount))
            return result;
    }
    return sent;
}

} // namespace

int TerminalDescriptor(const void* handle) {
    const auto value = reinterpret_cast<intptr_t>(handle);
    if (value < 0 || value > INT_MAX)
        return -1;
    const int fd = static_cast<int>(value);
    if (fcntl(fd, F_GETFD) < 0 || !isatty(fd))
        return -1;
    return fd;
}

int Download(int port, const uint8_t* image, uint32_t imageLength, const uint8_t* firmware,
             uint32_t firmwareCount, std::atomic<int32_t>& progressCount,
             std::atomic<int32_t>& progressTotal, std::atomic<int32_t>& breakFlag) {
    return Run(port, image, imageLength, firmware, firmwareCount,
               AtomicWords{progressCount, progressTotal, breakFlag});
}

int Download(int port, const uint8_t* image, uint32_t imageLength, const uint8_t* firmware,
             uint32_t firmwareCount, int32_t& progressCount, int32_t& progressTotal,
             int32_t& breakFlag) {
    return Run(port, image, imageLength, firmware, firmwareCount,
               PlainWords{progressCount, progressTotal, breakFlag});
}

} // namespace quendal
