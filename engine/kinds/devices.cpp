// Keypad, LCD, beeper and LED display: the kinds and the routine libraries behind them.
#include "engine/compiler.h"
#include "engine/dialogs/editparam.h"
#include "engine/kinds/param.h"
#include "engine/kinds/sink.h"
#include "engine/kinds/source.h"
#include "engine/vm/simulator.h"

#include <iterator>

namespace quendal {

namespace {

// Scratch cells of the libraries: the character or command byte, the keypad value or the LCD
// register-select bits, and the number being printed.
constexpr uint8_t kCharByte = 22;
constexpr uint8_t kSelectByte = 23;
constexpr uint8_t kNumberWord = 10;

// LCD wiring: data nibble on the port's high byte (lines 8-11), register select bit 5 of that
// byte (line 13), enable on line 14, pulsed by toggling it twice.
constexpr uint8_t kLcdPortByte = 1;
constexpr uint8_t kLcdEnableLine = 14;
constexpr uint8_t kLcdRegisterSelect = 32;

void Push(CMoltraneCompiler& c, uint16_t value) {
    c.Emit(Op::PushWord);
    c.EmitWord(value);
}

void Op1(CMoltraneCompiler& c, Op op, uint8_t operand) {
    c.Emit(op);
    c.Emit(operand);
}

void Call(CMoltraneCompiler& c, const char* label) {
    c.Emit(Op::Gosub);
    c.EmitFixup(label);
}

void JumpTo(CMoltraneCompiler& c, Op op, const char* label) {
    c.Emit(op);
    c.EmitFixup(label);
}

// A byte for the display controller: into the scratch byte, then a call of `routine`.
void LcdSend(CMoltraneCompiler& c, uint16_t value, const char* routine) {
    Push(c, value);
    Op1(c, Op::SetUserByte, kCharByte);
    Call(c, routine);
}

void LcdPulseEnable(CMoltraneCompiler& c) {
    Op1(c, Op::TogglePortBit, kLcdEnableLine);
    Op1(c, Op::TogglePortBit, kLcdEnableLine);
}

// One nibble of the scratch byte onto the data lines, with the register-select bits.
void LcdWriteNibble(CMoltraneCompiler& c, Op extract, uint16_t operand) {
    Op1(c, Op::PushUserByte, kCharByte);
    Push(c, operand);
    c.Emit(extract);
    Op1(c, Op::PushUserByte, kSelectByte);
    c.Emit(Op::Or);
    Op1(c, Op::SetPortByte, kLcdPortByte);
    LcdPulseEnable(c);
}

struct KeyCheck {
    uint16_t Threshold;
    uint8_t Result;
    const char* Label;
};

// Keypad A/D values and their keys, in the order they are tried.
constexpr KeyCheck kKeyChecks[] = {
    {0, '*', nullptr},          {23, '7', "KEYB_CHECK_7"},  {46, '4', "KEYB_CHECK_4"},
    {68, '1', "KEYB_CHECK_1"},  {90, '0', "KEYB_CHECK_0"},  {111, '8', "KEYB_CHECK_8"},
    {132, '5', "KEYB_CHECK_5"}, {152, '2', "KEYB_CHECK_2"}, {173, '#', "KEYB_CHECK_CROSS"},
    {193, '9', "KEYB_CHECK_9"}, {214, '6', "KEYB_CHECK_6"}, {235, '3', "KEYB_CHECK_3"},
};

// A key matches when the A/D value lies within this distance of its threshold.
constexpr uint16_t kKeyTolerance = 3;

} // namespace

// ---- Keypad ------------------------------------------------------------------------------

CKeyboardBlock::CKeyboardBlock(int32_t handle, KindCounts& counts)
    : CSourceBlock(handle, OutNumber), counts_(counts) {
    counts_.Keyboard += 1;
}

CKeyboardBlock::~CKeyboardBlock() {
    counts_.Keyboard -= 1;
}

// The key's character code, or 0 when no key is pressed.
void CKeyboardBlock::EmitLoad(CMoltraneCompiler& compiler) {
    Call(compiler, "KEYB_SCAN");
}

void EmitKeyboardLibrary(CMoltraneCompiler& c) {
    JumpTo(c, Op::Jump, "KEYB_END");
    c.DefineLabel("KEYB_SCAN");
    Op1(c, Op::PushAdc, 7);
    Op1(c, Op::SetUserByte, kSelectByte);
    const int checks = static_cast<int>(std::size(kKeyChecks));
    for (int i = 0; i < checks; ++i) {
        const KeyCheck& k = kKeyChecks[i];
        if (k.Label != nullptr)
            c.DefineLabel(k.Label);
        if (i > 0) // the first check finds the value still on the stack
            Op1(c, Op::PushUserByte, kSelectByte);
        Push(c, k.Threshold);
        c.Emit(Op::Subtract);
        c.Emit(Op::Abs);
        Push(c, kKeyTolerance);
        c.Emit(Op::LessEqual);
        JumpTo(c, Op::JumpIfZero, i + 1 < checks ? kKeyChecks[i + 1].Label : "KEYB_NOKEYPRESSED");
        Push(c, k.Result);
        c.Emit(Op::Return);
    }
    c.DefineLabel("KEYB_NOKEYPRESSED");
    Push(c, 0);
    c.Emit(Op::Return);
    c.DefineLabel("KEYB_END");
}

// ---- LCD ---------------------------------------------------------------------------------

CLCDBlock::CLCDBlock(int32_t handle, KindCounts& counts)
    : CSinkBlock(handle, 8, kNamesAToH), counts_(counts) {
    counts_.Lcd += 1;
}

CLCDBlock::~CLCDBlock() {
    counts_.Lcd -= 1;
}

bool CLCDBlock::SetParam(const char* text) {
    CopyParam(Mask, text, kMaxMask);
    return true;
}

// Letters a-z are looked up in upper case; only the listed characters change, every other one
// goes to the display as written.
uint8_t LcdCharacter(uint8_t c) {
    const uint8_t upper = c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 'a' + 'A') : c;
    switch (upper) {
    case 176: // degree sign
        return 223;
    case 181: // micro sign
        return 228;
    case 196: // A umlaut
        return 225;
    case 214: // O umlaut
        return 239;
    case 220: // U umlaut
        return 245;
    case 223: // sharp s
        return 226;
    default:
        return c;
    }
}

void CLCDBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                             NameList& fixups, int debug) {
    Call(compiler, "LCD_GOTOLINE_1");
    int next = 0; // the input the next "#" or "$" takes
    for (const char* p = Mask; *p != '\0'; ++p) {
        const auto c = static_cast<uint8_t>(*p);
        if (c == '\n') {
            Call(compiler, "LCD_CLREOL");
            Call(compiler, "LCD_GOTOLINE_2");
        } else if (c == '#' || c == '$') {
            CBlock* source = next < InputSlots() ? Input(next) : nullptr;
            ++next;
            if (source == nullptr)
                continue;
            source->Compile(compiler, path, labels, fixups, debug);
            if (c == '#') {
                Op1(compiler, Op::SetUserWord, kNumberWord);
                Call(compiler, "LCD_OUTVAL");
            } else {
                Op1(compiler, Op::SetUserByte, kCharByte);
                Call(compiler, "LCD_WRITECHAR");
            }
        } else {
            LcdSend(compiler, LcdCharacter(c), "LCD_WRITECHAR");
        }
    }
    Call(compiler, "LCD_CLREOL");
}

void EmitLcdLibrary(CMoltraneCompiler& c) {
    const bool sim = c.DebugFlag != 0;
    // Start-up: port high byte 0, 8-bit mode, then the switch to 4-bit mode with one enable
    // pulse, 4-bit two-line mode, display on, cleared.
    Push(c, 0);
    Op1(c, Op::SetPortByte, kLcdPortByte);
    LcdSend(c, 56, "LCD_WRITECMD");
    Push(c, 2);
    Op1(c, Op::SetPortByte, kLcdPortByte);
    LcdPulseEnable(c);
    LcdSend(c, 40, "LCD_WRITECMD");
    LcdSend(c, 12, "LCD_WRITECMD");
    Call(c, "LCD_CLS");
    Push(c, 5);
    c.Emit(Op::Pause);
    JumpTo(c, Op::Jump, "LCD_END");

    c.DefineLabel("LCD_CLS");
    LcdSend(c, 2, "LCD_WRITECMD");
    LcdSend(c, 1, "LCD_WRITECMD");
    c.Emit(Op::Return);

    c.DefineLabel("LCD_GOTOLINE_1");
    if (sim)
        c.Emit(Op::LcdFirstLine);
    Push(c, 128);
    Op1(c, Op::SetUserByte, kCharByte);
    JumpTo(c, Op::Jump, "LCD_WRITECMD");

    c.DefineLabel("LCD_GOTOLINE_2"); // falls into LCD_WRITECMD
    if (sim)
        c.Emit(Op::LcdSecondLine);
    Push(c, 192);
    Op1(c, Op::SetUserByte, kCharByte);

    c.DefineLabel("LCD_WRITECMD");
    Push(c, 0);
    Op1(c, Op::SetUserByte, kSelectByte);
    JumpTo(c, Op::Jump, "LCD_WRITE");

    c.DefineLabel("LCD_WRITECHAR"); // falls into LCD_WRITE
    if (sim) {
        Op1(c, Op::PushUserByte, kCharByte);
        c.Emit(Op::LcdChar);
    }
    Push(c, kLcdRegisterSelect);
    Op1(c, Op::SetUserByte, kSelectByte);

    c.DefineLabel("LCD_WRITE");
    LcdWriteNibble(c, Op::ShiftRight, 4);
    LcdWriteNibble(c, Op::And, 15);
    c.Emit(Op::Return);

    c.DefineLabel("LCD_CLREOL");
    Push(c, ' ');
    Op1(c, Op::SetUserByte, kCharByte);
    for (int i = 0; i < 16; ++i)
        Call(c, "LCD_WRITECHAR");
    c.Emit(Op::Return);

    c.DefineLabel("LCD_OUTVAL");
    Push(c, 0);
    c.Emit(Op::Less);
    JumpTo(c, Op::JumpIfZero, "LCD_CHECK_VAL10000");
    LcdSend(c, '-', "LCD_WRITECHAR");

    // The magnitude into the number word, then the first place that holds a digit.
    struct Place {
        uint16_t Divisor;
        const char* Check;
        const char* Digit;
    };
    static constexpr Place places[] = {
        {10000, "LCD_CHECK_VAL10000", "LCD_VAL10000"},
        {1000, "LCD_CHECK_VAL1000", "LCD_VAL1000"},
        {100, "LCD_CHECK_VAL100", "LCD_VAL100"},
        {10, "LCD_CHECK_VAL10", "LCD_VAL10"},
    };
    for (int i = 0; i < 4; ++i) {
        c.DefineLabel(places[i].Check);
        if (i == 0) {
            Op1(c, Op::PushUserWord, kNumberWord);
            c.Emit(Op::Abs);
            Op1(c, Op::SetUserWord, kNumberWord);
        } else {
            Op1(c, Op::PushUserWord, kNumberWord);
        }
        Push(c, places[i].Divisor);
        c.Emit(Op::GreaterEqual);
        JumpTo(c, Op::JumpIfZero, i < 3 ? places[i + 1].Check : "LCD_VAL1");
        JumpTo(c, Op::Jump, places[i].Digit);
    }
    // Each place prints its digit and keeps the remainder, falling into the next place.
    for (const Place& place : places) {
        c.DefineLabel(place.Digit);
        Op1(c, Op::PushUserWord, kNumberWord);
        Push(c, place.Divisor);
        c.Emit(Op::Divide);
        Push(c, '0');
        c.Emit(Op::Add);
        Op1(c, Op::SetUserByte, kCharByte);
        Call(c, "LCD_WRITECHAR");
        Op1(c, Op::PushUserWord, kNumberWord);
        Push(c, place.Divisor);
        c.Emit(Op::Remainder);
        Op1(c, Op::SetUserWord, kNumberWord);
    }
    c.DefineLabel("LCD_VAL1");
    Op1(c, Op::PushUserWord, kNumberWord);
    Push(c, '0');
    c.Emit(Op::Add);
    Op1(c, Op::SetUserByte, kCharByte);
    Call(c, "LCD_WRITECHAR");
    c.Emit(Op::Return);

    c.DefineLabel("LCD_END");
}

// ---- Beeper ------------------------------------------------------------------------------

bool CBeepBlock::SetParam(const char* text) {
    CopyParam(Melody, text, kMaxMelody);
    return true;
}

namespace {

// Reads the melody's numbers one by one; stops at its end or at anything that is no number.
class MelodyReader {
public:
    explicit MelodyReader(const char* text) : p_(text) {}

    bool Next(int32_t& value) {
        while (*p_ == ' ' || *p_ == '\t' || *p_ == '\r' || *p_ == '\n')
            ++p_;
        const char* start = p_;
        if (*p_ == '-' || *p_ == '+')
            ++p_;
        if (*p_ < '0' || *p_ > '9') {
            p_ = start;
            return false;
        }
        while (*p_ >= '0' && *p_ <= '9')
            ++p_;
        value = DecimalValue(start, static_cast<int>(p_ - start));
        return true;
    }

private:
    const char* p_;
};

void EmitTone(CMoltraneCompiler& c) {
    Op1(c, Op::SetRegister, static_cast<uint8_t>(Register::Tone));
}

} // namespace

void CBeepBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                              NameList& fixups, int debug) {
    if (Connected() > 0) {
        if (Input(0) != nullptr)
            Input(0)->Compile(compiler, path, labels, fixups, debug);
        else
            Push(compiler, 0);
        EmitTone(compiler);
        if (Input(1) != nullptr) {
            Input(1)->Compile(compiler, path, labels, fixups, debug);
            compiler.Emit(Op::Pause);
            Push(compiler, 0);
            EmitTone(compiler);
        }
        if (Input(2) != nullptr) {
            Input(2)->Compile(compiler, path, labels, fixups, debug);
            compiler.Emit(Op::Pause);
        }
        return;
    }
    // Triples of tone, duration and pause; numbers missing from the last triple count as 0.
    MelodyReader reader(Melody);
    int32_t tone = 0;
    while (reader.Next(tone)) {
        int32_t duration = 0;
        int32_t pause = 0;
        if (reader.Next(duration))
            reader.Next(pause);
        if (tone == 0)
            continue;
        Push(compiler, static_cast<uint16_t>(tone));
        EmitTone(compiler);
        Push(compiler, static_cast<uint16_t>(duration));
        compiler.Emit(Op::Pause);
        Push(compiler, 0);
        EmitTone(compiler);
        Push(compiler, static_cast<uint16_t>(pause));
        compiler.Emit(Op::Pause);
    }
}

// ---- LED display -------------------------------------------------------------------------

CLEDBlock::CLEDBlock(int32_t handle, KindCounts& counts)
    : CSinkBlock(handle, 3, kNamesABC), counts_(counts) {
    counts_.Led += 1;
}

CLEDBlock::~CLEDBlock() {
    counts_.Led -= 1;
}

bool CLEDBlock::SetParam(const char* text) {
    CopyParam(Mask, text, kMaxMask);
    int length = 0;
    while (Mask[length] != '\0')
        ++length;
    for (int i = 0; i < kPlaces; ++i) {
        Characters[i] = i < length ? Mask[i] : ' ';
        Points[i] = kPlaces + i < length && Mask[kPlaces + i] == '1';
    }
    return true;
}

LedBoardLines LedLines(bool applicationBoard) {
    return applicationBoard ? LedBoardLines{13, 9, 14} : LedBoardLines{9, 13, 10};
}

// The places are shifted in from the right; a run of "#" shows the next input (from the right:
// a, b, c) as a number over the run's places, its point at the highest place flagged.
void CLEDBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                             NameList& fixups, int debug) {
    const LedBoardLines lines = LedLines(compiler.ApplicationBoard != 0);
    Push(compiler, 0);
    Op1(compiler, Op::SetPortBit, lines.A);
    Op1(compiler, Op::SetPortBit, lines.B);
    Push(compiler, 65535);
    Op1(compiler, Op::SetPortBit, lines.C);

    int next = 0;
    for (int i = kPlaces - 1; i >= 0;) {
        if (Characters[i] != '#') {
            uint8_t segments = Simulator::ledSegments(static_cast<uint8_t>(Characters[i]));
            if (Points[i])
                segments &= 0x7F;
            Push(compiler, segments);
            compiler.Emit(Op::SystemCall);
            compiler.EmitWord(kSysLedShiftIn);
            --i;
            continue;
        }
        int start = i;
        while (start > 0 && Characters[start - 1] == '#')
            --start;
        const int places = i - start + 1;
        int point = 0;
        for (int place = places; place >= 1 && point == 0; --place)
            if (Points[i - (place - 1)])
                point = place;
        CBlock* source = next < InputSlots() ? Input(next) : nullptr;
        ++next;
        if (source != nullptr) {
            source->Compile(compiler, path, labels, fixups, debug);
            Push(compiler, static_cast<uint16_t>(point));
            Push(compiler, static_cast<uint16_t>(places));
            compiler.Emit(Op::SystemCall);
            compiler.EmitWord(kSysLedNumber);
        }
        i = start - 1;
    }

    Push(compiler, 0);
    Op1(compiler, Op::SetPortBit, lines.C);
    if (debug != 0)
        compiler.Emit(Op::LedChanged);
}

bool CLCDBlock::EditParam() {
    std::string mask = Mask;
    if (!dialogs::LcdMask(mask))
        return false;
    SetParam(mask.c_str());
    return true;
}

bool CBeepBlock::EditParam() {
    std::string melody = Melody;
    if (!dialogs::Melody(melody))
        return false;
    SetParam(melody.c_str());
    return true;
}

bool CLEDBlock::EditParam() {
    std::string mask;
    if (!dialogs::LedMask(Characters, Points, mask))
        return false;
    SetParam(mask.c_str());
    return true;
}

} // namespace quendal
