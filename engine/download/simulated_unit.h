// A stand-in for the controller unit on the far end of a pseudo-terminal: answers the download
// protocol and keeps what it was sent. Used by tests, benchmarks and tavrissel-simunit.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quendal {

struct SimulatedUnitOptions {
    // Pace like a serial line at this rate, 10 bits a byte in each direction; 0 answers at once.
    uint32_t baud = 0;
    // Take everything in but never answer.
    bool silent = false;
    // Answer the echoed byte with this index (0 is the length's high byte) with a wrong byte.
    int64_t wrongEchoAt = -1;
    // After this many received bytes, take nothing in and answer nothing.
    int64_t stopAfter = -1;
};

// The unit's side of the protocol, one byte at a time, without any I/O.
class UnitProtocol {
public:
    enum class Phase { Idle, LengthHigh, LengthLow, Code, AfterCode, FirmwareCount, Firmware };

    explicit UnitProtocol(const SimulatedUnitOptions& options = {}) : options_(options) {}

    // Takes one byte from the host; returns the byte to send back, if any.
    std::optional<uint8_t> receive(uint8_t byte);
    // Ends a download that sent no firmware block (the host has gone quiet).
    void finishTransfer();

    Phase phase() const { return phase_; }
    // Every byte taken in, in order.
    const std::vector<uint8_t>& received() const { return received_; }
    // The program and firmware of the latest download.
    const std::vector<uint8_t>& program() const { return program_; }
    const std::vector<uint8_t>& firmware() const { return firmware_; }
    uint32_t announcedLength() const { return length_; }
    uint32_t echoedCount() const { return echoed_; }
    uint32_t completedDownloads() const { return completed_; }
    // A download has started and has not yet finished.
    bool busy() const { return phase_ != Phase::Idle && phase_ != Phase::AfterCode; }

private:
    std::optional<uint8_t> echo(uint8_t byte);
    void complete();

    SimulatedUnitOptions options_;
    Phase phase_ = Phase::Idle;
    std::vector<uint8_t> received_;
    std::vector<uint8_t> program_;
    std::vector<uint8_t> firmware_;
    uint32_t length_ = 0;
    uint32_t firmwareLength_ = 0;
    uint32_t echoed_ = 0;
    uint32_t completed_ = 0;
};

// A pseudo-terminal pair: the unit talks on the master; the host opens slavePath. The slave is
// held open here, raw, so that the master never sees a hang-up between two host sessions.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isOpen() const { return master_ >= 0 && slave_ >= 0; }
    int master() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }
    // Lets go of the slave and waits until the host has closed it too, at most timeoutMs:
    // closing the master earlier would throw away answers the host has not read yet.
    void waitForHostClose(int timeoutMs);
    // Closes both ends: the host's writes then fail.
    void close();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

// Runs a UnitProtocol over a file descriptor (the pseudo-terminal's master), in a thread of
// its own or on the caller's.
class SimulatedUnit {
public:
    using Hook = std::function<void(const UnitProtocol&)>;

    SimulatedUnit(int fd, const SimulatedUnitOptions& options = {});
    ~SimulatedUnit();
    SimulatedUnit(const SimulatedUnit&) = delete;
    SimulatedUnit& operator=(const SimulatedUnit&) = delete;

    // Called on the unit's thread after each byte is taken in, before its answer is sent.
    void setByteHook(Hook hook) { byteHook_ = std::move(hook); }
    // Called when a download is complete: after the firmware, or after quietTime without a
    // firmware block.
    void setCompleteHook(Hook hook) { completeHook_ = std::move(hook); }
    void setQuietTime(std::chrono::milliseconds quiet) { quiet_ = quiet; }

    void start();
    // Stops and joins the thread; the protocol may be read afterwards.
    void stop();
    // Serves until stopFlag is set or the descriptor fails.
    void run(const std::atomic<bool>& stopFlag);

    const UnitProtocol& protocol() const { return protocol_; }

private:
    void take(uint8_t byte, std::chrono::steady_clock::time_point arrival);

    int fd_;
    SimulatedUnitOptions options_;
    UnitProtocol protocol_;
    Hook byteHook_;
    Hook completeHook_;
    std::chrono::milliseconds quiet_{500};
    std::chrono::nanoseconds byteTime_{0};
    std::chrono::steady_clock::time_point receiveEnd_{};
    std::chrono::steady_clock::time_point sendEnd_{};
    std::atomic<bool> stopFlag_{false};
    std::thread thread_;
};

} // namespace quendal
