// The byte-code machine: plain state and one execute loop that runs until an event.
// It knows nothing of pages, blocks or hosts; a host reacts to the returned event and calls
// execute again.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/vm/opcodes.h"

namespace quendal {

inline constexpr std::size_t kMemorySize = 8180;
inline constexpr uint16_t kHeaderSize = 4;   // code length word, data-file length word
inline constexpr uint16_t kProgramStart = 4; // first instruction behind the header
inline constexpr int kStackDepth = 7;
inline constexpr int kGosubDepth = 4;
inline constexpr uint32_t kPrintCapacity = 255; // characters between two collections
inline constexpr int kLcdSize = 64;             // two lines of 32 characters
inline constexpr int16_t kTrue = -1;

// Codes thrown out of an instruction; the host reports them.
enum class VmError : uint16_t {
    DivisionByZero = 1,
    BadAddress = 2,
};

// The simulated two-line LCD; the text comes first so that the buffer's address is the text's.
struct LcdTextBuffer {
    uint8_t text[kLcdSize];
    uint32_t changeCount;
    uint8_t writePosition;

    bool operator==(const LcdTextBuffer&) const = default;
};

// Clock registers, two-digit year.
struct Clock {
    uint8_t hour;
    uint8_t minute;
    uint8_t second;
    uint8_t weekday;
    uint8_t day;
    uint8_t month;
    uint8_t year;

    bool operator==(const Clock&) const = default;
};

struct MachineState {
    std::array<uint8_t, kMemorySize> memory;
    uint16_t pc;
    std::array<int16_t, kStackDepth> stack;  // [0] is the top (b), [1] the second (a)
    std::array<uint16_t, kGosubDepth> gosub; // return addresses, 0 = free
    uint16_t portValue;
    uint16_t portDirection; // 1 = output
    std::array<uint8_t, 8> adc;
    std::array<uint8_t, 2> dac;
    std::array<uint8_t, 24> user;
    int16_t seed;
    int16_t inputValue;
    uint16_t timer; // 20-ms ticks
    uint16_t tone;
    uint16_t frequency;
    Clock clock;
    uint16_t fileBase;
    uint16_t filePosition;
    uint16_t fileLength; // bytes
    // First address behind the loaded code; the data file is never placed below it.
    uint16_t codeEnd;
    char printBuffer[kPrintCapacity + 1];
    uint32_t printLength;
    LcdTextBuffer lcd;

    bool operator==(const MachineState&) const = default;
};

enum class EventKind : uint8_t {
    End,         // opcode 255 fetched; pc stands behind it
    PageMarker,  // value: page number
    Input,       // value: the input opcode, completed by completeInput
    Print,       // text was added to the print buffer
    WaitLoop,    // the wait-loop head was reached by a conditional jump
    Pause,       // value: ticks (b); the machine itself does not wait
    SystemCall,  // value: call number; arguments on the stack
    FileChanged, // the data-file length changed
    LcdChanged,  // a character went to the LCD
    LedChanged,  // the LED display was rewritten
    Error,       // value: VmError code; state as at the failure
    Budget,      // the instruction budget ran out without an event
};

struct Event {
    EventKind kind;
    uint16_t value;
    uint32_t executed; // instructions run by this call, the event's own included
};

class Machine {
public:
    MachineState state{};

    // Runs instructions from pc until an event or until budget instructions have run.
    Event execute(uint32_t budget);
    // Finishes an input instruction (opcode 34 or 35) by pushing state.inputValue.
    void completeInput(uint8_t opcode);

    // Reset parts shared by every host.
    void clearStacks();
    void resetLcd();
    void resetFile();

    // Data file placement: behind the header's code length, never inside the loaded code.
    uint16_t fileBaseFromHeader() const;
    uint16_t headerWord(int index) const;
    // Words of free data-file space, as system register 11 reports it.
    uint16_t fileFreeWords() const;

    void push(int16_t value);
    void pop();

private:
    Event run(uint16_t& pc, uint32_t budget);
    uint8_t fetchByte();
    uint16_t fetchWord();
    void storeByte(uint8_t value);
    void fileOperation(uint8_t n);
    void pushRegister(uint8_t n);
    void setRegister(uint8_t n);
    void printDecimal(int16_t value);
    void printChar(char c);
};

} // namespace quendal
