#include "engine/download/download.h"

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

void SetUpPort(platform::SerialHandle port) {
    // Failures here show up as a failed write or a missing echo right after.
    platform::SerialState state;
    platform::SerialGetState(port, state);
    state.baudRate = 9600;
    state.byteSize = 8;
    state.parity = platform::Parity::None;
    state.stopBits = platform::StopBits::One;
    state.binary = true;
    state.parityCheck = false;
    state.outxCtsFlow = false;
    state.outxDsrFlow = false;
    state.dtrControl = platform::LineControl::Disable;
    state.rtsControl = platform::LineControl::Disable;
    state.outX = false;
    state.inX = false;
    platform::SerialSetState(port, state);

    platform::SerialTimeouts timeouts;
    timeouts.readInterval = 0;
    timeouts.readTotalMultiplier = 50;
    timeouts.readTotalConstant = 1000;
    timeouts.writeTotalMultiplier = 0;
    timeouts.writeTotalConstant = 0;
    platform::SerialSetTimeouts(port, timeouts);
}

// Reads single bytes until one read brings none. A unit that keeps talking would hold us
// here for ever, so the break flag is honoured as well.
template <class Words> bool Drain(platform::SerialHandle port, Words& words) {
    for (;;) {
        if (words.breakSet())
            return false;
        uint8_t byte = 0;
        uint32_t got = 0;
        if (!platform::SerialRead(port, &byte, 1, got) || got == 0)
            return true;
    }
}

int SendRaw(platform::SerialHandle port, uint8_t byte) {
    uint32_t written = 0;
    if (!platform::SerialWrite(port, &byte, 1, written) || written == 0)
        return DownloadWriteFailed;
    return 0;
}

int SendEchoed(platform::SerialHandle port, uint8_t byte) {
    if (int result = SendRaw(port, byte))
        return result;
    uint8_t echo = 0;
    uint32_t got = 0;
    if (!platform::SerialRead(port, &echo, 1, got) || got == 0)
        return DownloadNoEcho;
    return echo == byte ? 0 : DownloadWrongEcho;
}

template <class Words>
int Run(platform::SerialHandle port, const uint8_t* image, uint32_t imageLength,
        const uint8_t* firmware, uint32_t firmwareCount, Words words) {
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

int Download(platform::SerialHandle port, const uint8_t* image, uint32_t imageLength,
             const uint8_t* firmware, uint32_t firmwareCount, std::atomic<int32_t>& progressCount,
             std::atomic<int32_t>& progressTotal, std::atomic<int32_t>& breakFlag) {
    return Run(port, image, imageLength, firmware, firmwareCount,
               AtomicWords{progressCount, progressTotal, breakFlag});
}

int Download(platform::SerialHandle port, const uint8_t* image, uint32_t imageLength,
             const uint8_t* firmware, uint32_t firmwareCount, int32_t& progressCount,
             int32_t& progressTotal, int32_t& breakFlag) {
    return Run(port, image, imageLength, firmware, firmwareCount,
               PlainWords{progressCount, progressTotal, breakFlag});
}

} // namespace quendal
