#include "engine/download/simulated_unit.h"

#include "engine/download/download.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

namespace quendal {

std::optional<uint8_t> UnitProtocol::receive(uint8_t byte) {
    if (options_.stopAfter >= 0 && static_cast<int64_t>(received_.size()) >= options_.stopAfter)
        return std::nullopt;
    received_.push_back(byte);
    switch (phase_) {
    case Phase::Idle:
    case Phase::AfterCode:
        if (byte == kProgramStartByte) {
            if (phase_ == Phase::AfterCode)
                complete();
            program_.clear();
            firmware_.clear();
            length_ = 0;
            phase_ = Phase::LengthHigh;
        } else if (byte == kFirmwareStartByte && phase_ == Phase::AfterCode) {
            firmware_.clear();
            phase_ = Phase::FirmwareCount;
        }
        // Anything else is line noise between downloads.
        return std::nullopt;
    case Phase::LengthHigh:
        length_ = static_cast<uint32_t>(byte) << 8;
        phase_ = Phase::LengthLow;
        return echo(byte);
    case Phase::LengthLow:
        length_ |= byte;
        phase_ = length_ != 0 ? Phase::Code : Phase::AfterCode;
        return echo(byte);
    case Phase::Code:
        program_.push_back(byte);
        if (program_.size() == length_)
            phase_ = Phase::AfterCode;
        return echo(byte);
    case Phase::FirmwareCount:
        firmwareLength_ = byte;
        if (firmwareLength_ == 0)
            complete();
        else
            phase_ = Phase::Firmware;
        return echo(byte);
    case Phase::Firmware:
        firmware_.push_back(byte);
        if (firmware_.size() == firmwareLength_)
            complete();
        return echo(byte);
    }
    return std::nullopt;
}

void UnitProtocol::finishTransfer() {
    if (phase_ == Phase::AfterCode)
        complete();
}

std::optional<uint8_t> UnitProtocol::echo(uint8_t byte) {
    if (options_.silent)
        return std::nullopt;
    bool wrong = static_cast<int64_t>(echoed_) == options_.wrongEchoAt;
    ++echoed_;
    return wrong ? static_cast<uint8_t>(byte ^ 0x5A) : byte;
}

void UnitProtocol::complete() {
    ++completed_;
    phase_ = Phase::Idle;
}

PseudoTerminal::PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return;
    char name[PATH_MAX];
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 ||
        ptsname_r(master_, name, sizeof name) != 0) {
        close();
        return;
    }
    slavePath_ = name;
    slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        close();
        return;
    }
    // No echo or line editing before the host sets the port up itself.
    termios raw{};
    if (tcgetattr(slave_, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(slave_, TCSANOW, &raw);
    }
}

PseudoTerminal::~PseudoTerminal() {
    close();
}

void PseudoTerminal::waitForHostClose(int timeoutMs) {
    if (slave_ >= 0)
        ::close(slave_);
    slave_ = -1;
    if (master_ < 0)
        return;
    // The master hangs up once no one holds the slave open.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return;
        pollfd entry{master_, 0, 0};
        int ready = poll(&entry, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR)
            return;
        if (ready > 0 && (entry.revents & (POLLHUP | POLLERR | POLLNVAL)))
            return;
    }
}

void PseudoTerminal::close() {
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
}

SimulatedUnit::SimulatedUnit(int fd, const SimulatedUnitOptions& options)
    : fd_(fd), options_(options), protocol_(options) {
    if (options.baud != 0)
        byteTime_ = std::chrono::nanoseconds(10'000'000'000LL / options.baud);
}

SimulatedUnit::~SimulatedUnit() {
    stop();
}

void SimulatedUnit::start() {
    stopFlag_ = false;
    thread_ = std::thread([this] { run(stopFlag_); });
}

void SimulatedUnit::stop() {
    stopFlag_ = true;
    if (thread_.joinable())
        thread_.join();
}

void SimulatedUnit::run(const std::atomic<bool>& stopFlag) {
    // Byte times of about a millisecond need sleeps that wake on time.
    prctl(PR_SET_TIMERSLACK, 1UL);
    auto lastActivity = std::chrono::steady_clock::now();
    while (!stopFlag) {
        pollfd entry{fd_, POLLIN, 0};
        // A unit's receiver sees a byte the moment its last bit is in; a sleeping thread wakes
        // tens of microseconds later, which the host would pay for every echoed byte. Right
        // after an answer, while the next byte is due, the line is watched awake.
        const bool watchAwake = byteTime_.count() != 0 &&
                                std::chrono::steady_clock::now() - lastActivity < 4 * byteTime_;
        int ready = poll(&entry, 1, watchAwake ? 0 : 20);
        if (ready == 0 && watchAwake) {
            std::this_thread::yield();
            continue;
        }
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (ready == 0) {
            if (protocol_.phase() == UnitProtocol::Phase::AfterCode &&
                std::chrono::steady_clock::now() - lastActivity >= quiet_) {
                protocol_.finishTransfer();
                if (completeHook_)
                    completeHook_(protocol_);
            }
            continue;
        }
        if (!(entry.revents & POLLIN))
            break;
        uint8_t buffer[256];
        ssize_t got = read(fd_, buffer, sizeof buffer);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0)
            break;
        auto arrival = std::chrono::steady_clock::now();
        for (ssize_t i = 0; i < got; ++i)
            take(buffer[i], arrival);
        lastActivity = std::chrono::steady_clock::now();
    }
}

namespace {

// Sleeping alone wakes tens of microseconds late, which at a millisecond a byte costs several
// percent of the line's speed; the last stretch is waited out awake.
void WaitUntil(std::chrono::steady_clock::time_point deadline) {
    constexpr auto kAwake = std::chrono::microseconds(200);
    if (deadline - std::chrono::steady_clock::now() > kAwake)
        std::this_thread::sleep_until(deadline - kAwake);
    while (std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
}

} // namespace

void SimulatedUnit::take(uint8_t byte, std::chrono::steady_clock::time_point arrival) {
    // A new download ends one that sent no firmware; report it before it is overwritten.
    if (byte == kProgramStartByte && protocol_.phase() == UnitProtocol::Phase::AfterCode) {
        protocol_.finishTransfer();
        if (completeHook_)
            completeHook_(protocol_);
    }
    uint32_t completedBefore = protocol_.completedDownloads();
    std::optional<uint8_t> answer = protocol_.receive(byte);
    if (byteHook_)
        byteHook_(protocol_);
    if (answer) {
        // The byte is on the wire from the moment the host wrote it (or from when the one
        // before it ended); its echo follows once it is in and the line back is free.
        if (byteTime_.count() != 0) {
            receiveEnd_ = std::max(arrival, receiveEnd_) + byteTime_;
            sendEnd_ = std::max(receiveEnd_, sendEnd_) + byteTime_;
            WaitUntil(sendEnd_);
        }
        while (write(fd_, &*answer, 1) < 0 && errno == EINTR) {
        }
    } else if (byteTime_.count() != 0) {
        receiveEnd_ = std::max(arrival, receiveEnd_) + byteTime_;
    }
    if (protocol_.completedDownloads() != completedBefore && completeHook_)
        completeHook_(protocol_);
}

} // namespace quendal
