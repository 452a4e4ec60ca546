// The unit's byte code: every opcode in one place.
#pragma once

#include <cstdint>

namespace quendal {

enum class Op : uint8_t {
    ClearStack = 1,          // all stack entries := 0
    Pause = 2,               // pause of b ticks (event)
    Jump = 3,                // w
    JumpIfZero = 4,          // w, b stays
    Gosub = 5,               // w
    Return = 6,              //
    Nop = 7,                 //
    SystemCall = 8,          // w (event)
    SkipByte = 9,            // n
    PushPortBit = 10,        // n
    PushPortByte = 11,       // n
    PushPort = 12,           //
    SetPortBit = 13,         // n, line becomes an output
    SetPortByte = 14,        // n, byte becomes output
    SetPort = 15,            // whole port becomes output
    PushAdc = 16,            // n
    SetDac = 17,             // n
    PushWord = 20,           // w
    PushUserBit = 21,        // n
    PushUserByte = 22,       // n
    PushUserWord = 23,       // n
    SetUserBit = 24,         // n
    SetUserByte = 25,        // n
    SetUserWord = 26,        // n
    TableRead = 27,          // w
    PushRegister = 28,       // n
    SetRegister = 29,        // n
    PrintDecimal = 30,       // (event)
    PrintText = 31,          // zero-terminated text (event)
    PrintChar = 32,          // (event)
    PushTrue = 33,           //
    InputByte = 34,          // (event)
    InputWord = 35,          // (event)
    SkipByte2 = 36,          // n
    PushTrue2 = 37,          //
    Not = 40,                //
    And = 41,                //
    Nand = 42,               //
    Or = 43,                 //
    Nor = 44,                //
    Xor = 45,                //
    ShiftLeft = 46,          //
    ShiftRight = 47,         // arithmetic
    RandomSeed = 48,         //
    Random = 49,             //
    Negate = 50,             //
    Add = 51,                //
    Subtract = 52,           //
    Multiply = 53,           //
    Divide = 54,             //
    Remainder = 55,          //
    Abs = 56,                //
    Sqrt = 57,               //
    Max = 58,                //
    Min = 59,                //
    Greater = 60,            //
    GreaterEqual = 61,       //
    Less = 62,               //
    LessEqual = 63,          //
    Equal = 64,              //
    NotEqual = 65,           //
    Sign = 66,               //
    FileOp = 70,             // n
    FileEnd = 71,            //
    SkipBaud = 72,           // n
    SkipWord = 73,           // w
    PushUserByteJumpEq = 74, // n, w
    PushUserWordJumpEq = 75, // n, w
    AddStoreByteJump = 76,   // n, w
    AddStoreWordJump = 77,   // n, w
    TogglePortBit = 80,      // n
    SetDirectionBit = 81,    // n
    ClearDirectionBit = 82,  // n
    ClearDirectionByte = 83, // n
    ClearDirections = 84,    //
    LedChanged = 249,        // (event, simulation image only)
    LcdSecondLine = 250,     // simulation image only
    LcdFirstLine = 251,      // simulation image only
    LcdChar = 252,           // simulation image only
    WaitLoopHead = 253,      // (event after a JumpIfZero, simulation image only)
    PageMarker = 254,        // w (event, simulation image only)
    End = 255,               // (event)
};

// Operands of the data-file opcode.
enum class FileOp : uint8_t {
    OpenKeep = 1,
    OpenEmpty = 2,
    OpenAppend = 3,
    Close = 4,
    Write = 5,
    Read = 6,
};

// System registers of opcodes 28 and 29.
enum class Register : uint8_t {
    Year = 0,
    Month = 1,
    Day = 2,
    Weekday = 3,
    Hour = 4,
    Minute = 5,
    Second = 6,
    Timer = 7,
    Tone = 8,
    Frequency = 9,
    FileFree = 11,
    FileWords = 12,
};

// System calls of opcode 8 served by the host.
inline constexpr uint16_t kSysLedNumber = 257;
inline constexpr uint16_t kSysLedShiftIn = 391;

} // namespace quendal
