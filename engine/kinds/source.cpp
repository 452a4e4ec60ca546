#include "engine/kinds/source.h"

#include "engine/compiler.h"
#include "engine/dialogs/editparam.h"
#include "engine/kinds/param.h"
#include "engine/vm/simulator.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace quendal {

namespace {

const ChannelKind kAdKind{"AD[%d]", MapAdc, 8, "Eigenschaften des A/D-Blocks"};

void EmitOp(CMoltraneCompiler& compiler, Op op, uint8_t operand) {
    compiler.Emit(op);
    compiler.Emit(operand);
}

void EmitPush(CMoltraneCompiler& compiler, uint16_t value) {
    compiler.Emit(Op::PushWord);
    compiler.EmitWord(value);
}

} // namespace

CADPortBlock::CADPortBlock(int32_t handle) : CChannelBlock(kAdKind, handle, OutNumber, true) {}

void CADPortBlock::EmitLoad(CMoltraneCompiler& compiler) {
    EmitOp(compiler, Op::PushAdc, ChannelOperand());
}

int32_t CFreqBlock::GetMapCode() const {
    return MakeMapCode(MapWord, MapRegister, static_cast<uint8_t>(Register::Frequency));
}

void CFreqBlock::EmitLoad(CMoltraneCompiler& compiler) {
    EmitOp(compiler, Op::PushRegister, static_cast<uint8_t>(Register::Frequency));
}

// Hour * 60 + minute.
void CTimeInfoBlock::EmitLoad(CMoltraneCompiler& compiler) {
    EmitOp(compiler, Op::PushRegister, static_cast<uint8_t>(Register::Hour));
    EmitPush(compiler, 60);
    compiler.Emit(Op::Multiply);
    EmitOp(compiler, Op::PushRegister, static_cast<uint8_t>(Register::Minute));
    compiler.Emit(Op::Add);
}

// Month * 31 + day.
void CDateInfoBlock::EmitLoad(CMoltraneCompiler& compiler) {
    EmitOp(compiler, Op::PushRegister, static_cast<uint8_t>(Register::Month));
    EmitPush(compiler, 31);
    compiler.Emit(Op::Multiply);
    EmitOp(compiler, Op::PushRegister, static_cast<uint8_t>(Register::Day));
    compiler.Emit(Op::Add);
}

void CTimerBlock::EmitLoad(CMoltraneCompiler& compiler) {
    EmitOp(compiler, Op::PushRegister, static_cast<uint8_t>(Register::Timer));
}

bool CConstValueBlock::SetParam(const char* text) {
    char copy[10];
    CopyParam(copy, text, 9);
    Value = static_cast<int16_t>(static_cast<uint16_t>(DecimalValue(copy)));
    std::snprintf(Text, sizeof Text, "%d", Value);
    return true;
}

void CConstValueBlock::EmitLoad(CMoltraneCompiler& compiler) {
    EmitPush(compiler, static_cast<uint16_t>(Value));
}

bool CConstCharBlock::SetParam(const char* text) {
    CopyParam(Text, text, 3);
    return true;
}

// A text shorter than two characters has no middle character: the value is 0.
void CConstCharBlock::EmitLoad(CMoltraneCompiler& compiler) {
    const char c = Text[0] != '\0' ? Text[1] : '\0';
    EmitPush(compiler, static_cast<unsigned char>(c));
}

bool CConstTextBlock::SetParam(const char* text) {
    CopyParam(Text, text, kMaxText);
    return true;
}

void CConstTextBlock::EmitLoad(CMoltraneCompiler& compiler) {
    for (const char* p = Text; *p != '\0'; ++p)
        compiler.Emit(static_cast<uint8_t>(*p));
}

// Two-digit fields at characters 1-2 and 4-5; a short text gives 0 for a missing field.
static uint8_t FieldValue(const char* text, int start) {
    for (int i = 0; i < start; ++i)
        if (text[i] == '\0')
            return 0;
    return static_cast<uint8_t>(DecimalValue(text + start, 2));
}

bool CConstTimeBlock::SetParam(const char* text) {
    CopyParam(Text, text, 9);
    Hour = FieldValue(Text, 0);
    Minute = FieldValue(Text, 3);
    return true;
}

void CConstTimeBlock::EmitLoad(CMoltraneCompiler& compiler) {
    EmitPush(compiler, static_cast<uint16_t>(Hour * 60 + Minute));
}

bool CConstDateBlock::SetParam(const char* text) {
    CopyParam(Text, text, 9);
    Day = FieldValue(Text, 0);
    Month = FieldValue(Text, 3);
    return true;
}

void CConstDateBlock::EmitLoad(CMoltraneCompiler& compiler) {
    EmitPush(compiler, static_cast<uint16_t>(Month * 31 + Day));
}

void CReadFileBlock::EmitLoad(CMoltraneCompiler& compiler) {
    EmitOp(compiler, Op::FileOp, static_cast<uint8_t>(FileOp::Read));
}

void CFileEOFBlock::EmitLoad(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::FileEnd);
}

int32_t CFileFreeBlock::GetMapCode() const {
    return MakeMapCode(MapWord, MapRegister, static_cast<uint8_t>(Register::FileFree));
}

void CFileFreeBlock::EmitLoad(CMoltraneCompiler& compiler) {
    EmitOp(compiler, Op::PushRegister, static_cast<uint8_t>(Register::FileFree));
}

// Both serial inputs read the low byte of the host's value; the word form is never emitted.
void CInputBlock::EmitLoad(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::InputByte);
}

void CGetBlock::EmitLoad(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::InputByte);
}

void CRXDBlock::EmitLoad(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::PushTrue);
}

bool CConstValueBlock::EditParam() {
    std::string text = Text;
    if (!dialogs::MaskInput(dialogs::MaskMode::Number, nullptr, 9, text))
        return false;
    SetParam(text.c_str());
    return true;
}

// The character goes into the text directly; a text too short to hold a middle character gets
// its quotes first, so the new character is not lost.
bool CConstCharBlock::EditParam() {
    char c = Text[0] != '\0' ? Text[1] : '\0';
    if (!dialogs::InputChar(c))
        return false;
    if (std::strlen(Text) < 3) {
        Text[0] = '\'';
        Text[2] = '\'';
        Text[3] = '\0';
    }
    Text[1] = c;
    return true;
}

bool CConstTextBlock::EditParam() {
    std::string text = Text;
    if (!dialogs::MaskInput(dialogs::MaskMode::Text, nullptr, kMaxText, text))
        return false;
    SetParam(text.c_str());
    return true;
}

bool CConstTimeBlock::EditParam() {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d%02d", Hour, Minute);
    std::string text = digits;
    if (!dialogs::MaskInput(dialogs::MaskMode::Time, nullptr, 5, text))
        return false;
    SetParam(text.c_str());
    return true;
}

bool CConstDateBlock::EditParam() {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d%02d", Day, Month);
    std::string text = digits;
    if (!dialogs::MaskInput(dialogs::MaskMode::Date, nullptr, 5, text))
        return false;
    SetParam(text.c_str());
    return true;
}

} // namespace quendal
