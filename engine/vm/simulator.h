// The simulated controller unit: the machine plus everything a host sees of it, driven one
// step at a time. One object holds all simulator state of an engine.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/vm/machine.h"

namespace quendal {

// Engine option bits.
inline constexpr int32_t kOptionAutoTiming = 1;
inline constexpr int32_t kOptionSimulatedBeep = 2;
inline constexpr int32_t kOptionApplicationBoard = 4;

enum StepStatus : uint16_t {
    StepEnd = 0,
    StepPageMarker = 1,
    StepInput = 2,
    StepPrint = 3,
    StepWaitLoop = 4,
    StepLongPause = 5,
    StepFileChanged = 6,
    StepLcdChanged = 7,
    StepLedChanged = 8,
    StepError = 0xFFFF,
};

// Status in the low word, value in the high word.
using StepResult = uint32_t;
constexpr StepResult MakeStepResult(uint16_t status, uint16_t value) {
    return static_cast<uint32_t>(value) << 16 | status;
}
constexpr uint16_t StepResultStatus(StepResult r) {
    return static_cast<uint16_t>(r & 0xFFFF);
}
constexpr uint16_t StepResultValue(StepResult r) {
    return static_cast<uint16_t>(r >> 16);
}

// MapCode: kind << 24 | area << 16 | index.
enum MapKind : uint8_t { MapWord = 1, MapByte = 2, MapBit = 3 };
enum MapArea : uint8_t {
    MapUserMemory = 1,
    MapPort = 2,
    MapAdc = 3,
    MapDac = 4,
    MapRegister = 5,
};
constexpr int32_t MakeMapCode(uint8_t kind, uint8_t area, uint16_t index) {
    return static_cast<int32_t>(static_cast<uint32_t>(kind) << 24 |
                                static_cast<uint32_t>(area) << 16 | index);
}

// Six-digit LED display, index 0 the leftmost digit; a 0 bit lights a segment.
struct LedDigitBuffer {
    uint8_t digits[6];
};

// Wall clock and sleep as the simulator uses them with AutoTiming; tests put in their own.
struct HostTime {
    std::function<uint32_t()> tickCount; // milliseconds
    std::function<Clock()> localTime;
    std::function<void(uint32_t)> sleep; // milliseconds
    static HostTime System();
};

class Simulator {
public:
    // A step that has run this many instructions, or slept the short pauses' ticks, without an
    // event hands control back with the wait-loop status; the next step continues where it
    // stopped.
    static constexpr uint32_t kDefaultInstructionBudget = 1u << 20;
    // With AutoTiming only pauses up to this many ticks are slept inside the step; longer ones
    // go to the host (status 5), which keeps answering its user meanwhile.
    static constexpr uint16_t kShortPauseTicks = 2;

    Simulator();
    explicit Simulator(HostTime time);

    void setOptions(int32_t options) { options_ = options; }
    int32_t options() const { return options_; }
    void setInstructionBudget(uint32_t budget) { budget_ = budget ? budget : 1; }

    // Memory for the compiler: header and simulation image.
    uint8_t* memory() { return machine_.state.memory.data(); }
    const uint8_t* memory() const { return machine_.state.memory.data(); }
    static constexpr std::size_t memorySize() { return kMemorySize; }
    // Writes the header (code length = the download image's length with firmware, data-file
    // length 0) and the simulation image behind it. False when the image does not fit.
    bool loadImage(const uint8_t* image, std::size_t length, uint16_t codeLength);

    void resetProgram();
    StepResult step();

    int32_t getValue(int32_t mapCode) const;
    bool setValue(int32_t mapCode, int16_t value);

    int32_t getFileLength() const; // words
    void dumpFile(int16_t* out) const;
    void setInputValue(int16_t value);
    const char* getOutputString();

    int32_t getPortState() const;
    void setInitialPortState(uint16_t levels) { initialPortState_ = levels; }
    uint16_t getInitialPortState() const { return initialPortState_; }
    void setPort(uint16_t line, uint16_t level);
    int32_t getADC(uint16_t channel) const;
    void setADC(uint16_t channel, uint8_t value);
    int32_t getDAC(uint16_t channel) const;
    const LcdTextBuffer* getLCD() const { return &machine_.state.lcd; }
    const LedDigitBuffer* getLED() const { return &led_; }

    uint16_t lastPageMarker() const { return lastPageMarker_; }
    bool inputWaiting() const { return inputWaiting_; }
    const MachineState& state() const { return machine_.state; }

    // LED display operations behind the two system calls.
    void ledReset();
    void ledShiftIn(uint8_t segments);
    void ledNumber(int16_t value, int16_t places, int16_t pointPlace);
    static uint8_t ledSegments(uint8_t character);

private:
    struct SavedState {
        uint16_t pc;
        std::array<int16_t, kStackDepth> stack;
        int16_t seed;
    };

    void refreshClock();
    StepResult fail(uint16_t code);

    Machine machine_;
    HostTime time_;
    int32_t options_ = 0;
    uint32_t budget_ = kDefaultInstructionBudget;
    uint16_t initialPortState_ = 0;
    SavedState saved_{};
    uint8_t pendingInput_ = 0;
    bool inputWaiting_ = false;
    uint16_t lastPageMarker_ = 0;
    LedDigitBuffer led_{};
};

} // namespace quendal
