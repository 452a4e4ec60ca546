#include "platform/serial.h"

#include "platform/serial_speed.h"
#include "platform/settings.h"
#include "platform/system.h"
#include "platform/text.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace platform {

// What the device holds of the port state: the flags and speed the state maps onto.
struct DeviceSettings {
    tcflag_t iflag = 0;
    tcflag_t oflag = 0;
    tcflag_t cflag = 0;
    uint32_t speed = 0;
    bool operator==(const DeviceSettings&) const = default;
};

struct SerialPort {
    int fd = -1;
    SerialTimeouts timeouts;
    // The state as last set, and what the device held right after. A device keeps less than
    // the state says (a pseudo-terminal forces 8 data bits without parity; DSR flow and the
    // line modes have no flags at all), so while the device is unchanged the state reads back
    // as it was set; after a change behind our back the device's flags decide.
    SerialState state;
    DeviceSettings applied;
    // Line error counters at the last SerialClearErrors.
    serial_icounter_struct counters{};
};

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kPortsKey[] = "SOFTWARE\\Mirelt Electronic\\Tavrissel\\Ports";
constexpr uint32_t kMaxTime = UINT32_MAX;

thread_local int lastError = 0;

bool fail(int code) {
    lastError = code;
    return false;
}

bool checkPort(SerialHandle port) {
    return port && port->fd >= 0 ? true : fail(EBADF);
}

// 1..4 for "COM1".."COM4".
std::optional<int> comNumber(const std::string& name) {
    if (name.size() != 4 || !EqualNoCase(name.substr(0, 3), "COM") || name[3] < '1' ||
        name[3] > '4')
        return std::nullopt;
    return name[3] - '0';
}

// Modem lines: a device without them (a pseudo-terminal) has nothing to switch.
bool setModemLine(int fd, int line, bool raised) {
    if (ioctl(fd, raised ? TIOCMBIS : TIOCMBIC, &line) == 0)
        return true;
    return errno == ENOTTY || errno == EINVAL || errno == ENOTSUP;
}

void readCounters(int fd, serial_icounter_struct& counters) {
    if (ioctl(fd, TIOCGICOUNT, &counters) != 0)
        counters = {};
}

// Milliseconds left until the deadline for poll(), rounded up so a wait never ends early.
int remainingMs(Clock::time_point deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return 0;
    return left > INT32_MAX ? INT32_MAX : static_cast<int>(left);
}

Clock::time_point after(uint64_t milliseconds) {
    return Clock::now() + std::chrono::milliseconds(milliseconds);
}

bool setRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    settings.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                          IXANY | IMAXBEL | IUCLC);
    settings.c_oflag &= ~OPOST;
    settings.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag |= CREAD | CLOCAL;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

bool readDevice(int fd, DeviceSettings& device) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    device.speed = LineSpeed(fd);
    if (device.speed == 0)
        return false;
    device.iflag = settings.c_iflag & (ICRNL | INLCR | IGNCR | INPCK | IXON | IXOFF);
    device.oflag = settings.c_oflag & OPOST;
    device.cflag = settings.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    return true;
}

// The state the device's flags stand for; what they cannot tell comes from known.
SerialState stateOf(const DeviceSettings& device, const SerialState& known) {
    SerialState state = known;
    state.baudRate = device.speed;
    switch (device.cflag & CSIZE) {
    case CS5:
        state.byteSize = 5;
        break;
    case CS6:
        state.byteSize = 6;
        break;
    case CS7:
        state.byteSize = 7;
        break;
    default:
        state.byteSize = 8;
        break;
    }
    if (!(device.cflag & PARENB))
        state.parity = Parity::None;
    else if (device.cflag & CMSPAR)
        state.parity = (device.cflag & PARODD) ? Parity::Mark : Parity::Space;
    else
        state.parity = (device.cflag & PARODD) ? Parity::Odd : Parity::Even;
    if (!(device.cflag & CSTOPB))
        state.stopBits = StopBits::One;
    else
        state.stopBits = state.byteSize == 5 ? StopBits::OneAndHalf : StopBits::Two;
    state.binary = !(device.iflag & (ICRNL | INLCR | IGNCR)) && !(device.oflag & OPOST);
    state.parityCheck = (device.iflag & INPCK) != 0;
    state.outX = (device.iflag & IXON) != 0;
    state.inX = (device.iflag & IXOFF) != 0;
    const bool hardwareFlow = (device.cflag & CRTSCTS) != 0;
    if (hardwareFlow != (known.outxCtsFlow || known.rtsControl == LineControl::Handshake)) {
        state.outxCtsFlow = hardwareFlow;
        if (!hardwareFlow && state.rtsControl == LineControl::Handshake)
            state.rtsControl = LineControl::Enable;
    }
    return state;
}

} // namespace

std::string SerialDevicePath(const std::string& name, const Settings& settings) {
    auto number = comNumber(name);
    if (!number)
        return name;
    const std::string valueName = "COM" + std::to_string(*number);
    try {
        auto configured = settings.readString(kPortsKey, valueName);
        if (configured && !configured->empty())
            return Windows1252ToUtf8(*configured);
    } catch (const SettingsError&) {
        // A value of the wrong type counts as not set.
    }
    return "/dev/ttyS" + std::to_string(*number - 1);
}

std::string SerialDevicePath(const std::string& name) {
    return SerialDevicePath(name, Settings::user());
}

SerialHandle SerialOpen(const std::string& name, const Settings& settings) {
    const std::string path = SerialDevicePath(name, settings);
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        lastError = errno;
        return nullptr;
    }
    auto refuse = [fd](int code) -> SerialHandle {
        ::close(fd);
        lastError = code;
        return nullptr;
    };
    if (!isatty(fd))
        return refuse(ENOTTY);
    // flock keeps out every other open through this layer (also by root, whom TIOCEXCL does
    // not stop); TIOCEXCL keeps out other programs.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return refuse(errno == EWOULDBLOCK ? EBUSY : errno);
    if (ioctl(fd, TIOCEXCL) != 0 || !setRaw(fd))
        return refuse(errno);
    auto* port = new SerialPort;
    port->fd = fd;
    if (!readDevice(fd, port->applied)) {
        int code = errno ? errno : EIO;
        delete port;
        return refuse(code);
    }
    port->state = stateOf(port->applied, SerialState{});
    readCounters(fd, port->counters);
    return port;
}

SerialHandle SerialOpen(const std::string& name) {
    return SerialOpen(name, Settings::user());
}

bool SerialGetState(SerialHandle port, SerialState& state) {
    if (!checkPort(port))
        return false;
    DeviceSettings device;
    if (!readDevice(port->fd, device))
        return fail(errno ? errno : EIO);
    state = device == port->applied ? port->state : stateOf(device, port->state);
    return true;
}

bool SerialSetState(SerialHandle port, const SerialState& state) {
    if (!checkPort(port))
        return false;
    if (state.byteSize < 5 || state.byteSize > 8 || state.baudRate == 0 ||
        static_cast<unsigned>(state.parity) > static_cast<unsigned>(Parity::Space) ||
        static_cast<unsigned>(state.stopBits) > static_cast<unsigned>(StopBits::Two) ||
        static_cast<unsigned>(state.dtrControl) > static_cast<unsigned>(LineControl::Toggle) ||
        static_cast<unsigned>(state.rtsControl) > static_cast<unsigned>(LineControl::Toggle))
        return fail(EINVAL);
    if ((state.stopBits == StopBits::OneAndHalf) !=
        (state.byteSize == 5 && state.stopBits != StopBits::One))
        return fail(EINVAL);
    termios previous{};
    if (tcgetattr(port->fd, &previous) != 0)
        return fail(errno);
    termios settings = previous;
    settings.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                          IXANY | IMAXBEL | IUCLC | INPCK | IGNPAR);
    settings.c_oflag &= ~(OPOST | ONLCR | OCRNL | ONLRET);
    settings.c_lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    settings.c_cflag |= CREAD | CLOCAL;
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    settings.c_cflag |= sizes[state.byteSize - 5];
    switch (state.parity) {
    case Parity::None:
        break;
    case Parity::Odd:
        settings.c_cflag |= PARENB | PARODD;
        break;
    case Parity::Even:
        settings.c_cflag |= PARENB;
        break;
    case Parity::Mark:
        settings.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case Parity::Space:
        settings.c_cflag |= PARENB | CMSPAR;
        break;
    }
    if (state.stopBits != StopBits::One)
        settings.c_cflag |= CSTOPB;
    if (!state.binary) {
        settings.c_iflag |= ICRNL;
        settings.c_oflag |= OPOST | ONLCR;
    }
    if (state.parityCheck)
        settings.c_iflag |= INPCK;
    if (state.outX)
        settings.c_iflag |= IXON;
    if (state.inX)
        settings.c_iflag |= IXOFF;
    if (state.outxCtsFlow || state.rtsControl == LineControl::Handshake)
        settings.c_cflag |= CRTSCTS;
    settings.c_cc[VSTART] = 0x11;
    settings.c_cc[VSTOP] = 0x13;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (tcsetattr(port->fd, TCSANOW, &settings) != 0)
        return fail(errno);
    if (!SetLineSpeed(port->fd, state.baudRate)) {
        int code = errno;
        tcsetattr(port->fd, TCSANOW, &previous);
        return fail(code);
    }
    if (!setModemLine(port->fd, TIOCM_DTR, state.dtrControl != LineControl::Disable) ||
        !setModemLine(port->fd, TIOCM_RTS, state.rtsControl != LineControl::Disable))
        return fail(errno);
    port->state = state;
    if (!readDevice(port->fd, port->applied))
        return fail(errno ? errno : EIO);
    return true;
}

bool SerialGetTimeouts(SerialHandle port, SerialTimeouts& timeouts) {
    if (!checkPort(port))
        return false;
    timeouts = port->timeouts;
    return true;
}

bool SerialSetTimeouts(SerialHandle port, const SerialTimeouts& timeouts) {
    if (!checkPort(port))
        return false;
    port->timeouts = timeouts;
    return true;
}

bool SerialRead(SerialHandle port, void* buffer, uint32_t count, uint32_t& got) {
    got = 0;
    if (!checkPort(port))
        return false;
    if (count == 0)
        return true;
    const SerialTimeouts& t = port->timeouts;
    const bool returnAtOnce =
        t.readInterval == kMaxTime && t.readTotalMultiplier == 0 && t.readTotalConstant == 0;
    // Waits for the first byte only, up to the constant.
    const bool firstByteOnly = t.readInterval == kMaxTime && t.readTotalMultiplier == kMaxTime &&
                               t.readTotalConstant > 0 && t.readTotalConstant < kMaxTime;
    const bool totalLimit = t.readTotalMultiplier != 0 || t.readTotalConstant != 0;
    const uint64_t total = firstByteOnly
                               ? t.readTotalConstant
                               : uint64_t(t.readTotalMultiplier) * count + t.readTotalConstant;
    const bool intervalLimit = t.readInterval != 0 && t.readInterval != kMaxTime;
    const auto deadline = after(total);
    Clock::time_point lastByte{};
    auto* bytes = static_cast<unsigned char*>(buffer);

    // Set when poll() reported the port readable: a read that then finds nothing means the
    // other end hung up, which must not turn into an endless empty wait.
    bool signalled = false;
    while (true) {
        ssize_t n = ::read(port->fd, bytes + got, count - got);
        if (n > 0) {
            got += static_cast<uint32_t>(n);
            lastByte = Clock::now();
            signalled = false;
            if (got == count || firstByteOnly)
                return true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return fail(errno);
        if (signalled)
            return fail(EIO);
        if (returnAtOnce)
            return true;
        int wait = -1;
        if (totalLimit)
            wait = remainingMs(deadline);
        if (intervalLimit && got > 0) {
            int gap = remainingMs(lastByte + std::chrono::milliseconds(t.readInterval));
            wait = wait < 0 ? gap : std::min(wait, gap);
        }
        if (wait == 0)
            return true;
        pollfd p{port->fd, POLLIN, 0};
        int ready = ::poll(&p, 1, wait);
        if (ready < 0 && errno != EINTR)
            return fail(errno);
        if (ready > 0 && (p.revents & POLLNVAL))
            return fail(EBADF);
        signalled = ready > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR));
    }
}

bool SerialWrite(SerialHandle port, const void* buffer, uint32_t count, uint32_t& written) {
    written = 0;
    if (!checkPort(port))
        return false;
    const SerialTimeouts& t = port->timeouts;
    const bool totalLimit = t.writeTotalMultiplier != 0 || t.writeTotalConstant != 0;
    const auto deadline = after(uint64_t(t.writeTotalMultiplier) * count + t.writeTotalConstant);
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    uint32_t accepted = 0;
    bool timedOut = false;
    while (accepted < count) {
        ssize_t n = ::write(port->fd, bytes + accepted, count - accepted);
        if (n > 0) {
            accepted += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            written = accepted; // what the driver took before the failure
            return fail(errno);
        }
        int wait = totalLimit ? remainingMs(deadline) : -1;
        if (wait == 0) {
            timedOut = true;
            break;
        }
        pollfd p{port->fd, POLLOUT, 0};
        int ready = ::poll(&p, 1, wait);
        if ((ready < 0 && errno != EINTR) ||
            (ready > 0 && (p.revents & (POLLERR | POLLNVAL | POLLHUP)) && !(p.revents & POLLOUT))) {
            written = accepted;
            return fail(ready < 0 ? errno : EIO);
        }
    }
    // The bytes have gone when the driver's output queue is empty.
    int queued = 0;
    while (ioctl(port->fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
        if (timedOut || (totalLimit && remainingMs(deadline) == 0))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (queued < 0 || static_cast<uint32_t>(queued) > accepted)
        queued = 0;
    written = accepted - static_cast<uint32_t>(queued);
    return true;
}

bool SerialClearErrors(SerialHandle port, uint32_t* errors, uint32_t* inQueue) {
    if (!checkPort(port))
        return false;
    if (errors) {
        serial_icounter_struct now{};
        readCounters(port->fd, now);
        const serial_icounter_struct& before = port->counters;
        uint32_t bits = 0;
        if (now.buf_overrun != before.buf_overrun)
            bits |= SerialErrorRxOver;
        if (now.overrun != before.overrun)
            bits |= SerialErrorOverrun;
        if (now.parity != before.parity)
            bits |= SerialErrorParity;
        if (now.frame != before.frame)
            bits |= SerialErrorFrame;
        if (now.brk != before.brk)
            bits |= SerialErrorBreak;
        port->counters = now;
        *errors = bits;
    } else {
        readCounters(port->fd, port->counters);
    }
    if (inQueue) {
        int waiting = 0;
        if (ioctl(port->fd, FIONREAD, &waiting) != 0)
            return fail(errno);
        *inQueue = waiting > 0 ? static_cast<uint32_t>(waiting) : 0;
    }
    return true;
}

void SerialClose(SerialHandle port) {
    if (!port)
        return;
    if (port->fd >= 0) {
        ioctl(port->fd, TIOCNXCL);
        ::close(port->fd);
    }
    delete port;
}

int SerialDescriptor(SerialHandle port) {
    return port ? port->fd : -1;
}

std::string SerialLastError() {
    return SystemErrorText(lastError);
}

int SerialLastErrorCode() {
    return lastError;
}

} // namespace platform
