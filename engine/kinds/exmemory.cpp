#include "engine/kinds/exmemory.h"

#include "engine/compiler.h"
#include "engine/dialogs/editparam.h"
#include "engine/kinds/param.h"
#include "engine/vm/simulator.h"

#include <cstdio>

namespace quendal {

void BlockNumber::Set(const char* text) {
    int i = 0;
    for (; text != nullptr && i < 4 && text[i] != '\0'; ++i)
        Text[i] = text[i];
    Text[i] = '\0';
    // Decimal value of the leading digits, after blanks and a sign, as atoi reads it.
    const char* p = Text;
    while (*p == ' ' || *p == '\t')
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    int32_t n = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        n = n * 10 + (*p - '0');
    N = negative ? -n : n;
}

// Index of a numbered value in its area: the number counts from 1.
static uint16_t IndexOf(const BlockNumber& number) {
    return static_cast<uint16_t>(number.N - 1);
}

int CExMemoryBlock::InputType(int) const {
    return OutNumber;
}

bool CExMemoryBlock::SetParam(const char* text) {
    Number.Set(text);
    return Number.N <= Maximum;
}

void CExMemoryBlock::EmitNumbered(CMoltraneCompiler& compiler, Op op) const {
    const uint8_t operand = NumberOperand(Handle(), Number.N, Maximum);
    compiler.Emit(op);
    compiler.Emit(operand);
}

void CWordPortBlock::EmitLoad(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::PushPort);
}

void CWordPortBlock::EmitStore(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::SetPort);
}

const char* CExMemoryBlock::FormatName(const char* format) {
    std::snprintf(Name, sizeof Name, format, Number.N);
    return Name;
}

int32_t CBitPortBlock::GetMapCode() const {
    return MakeMapCode(MapBit, MapPort, IndexOf(Number));
}
int32_t CBytePortBlock::GetMapCode() const {
    return MakeMapCode(MapByte, MapPort, IndexOf(Number));
}
int32_t CWordPortBlock::GetMapCode() const {
    return MakeMapCode(MapWord, MapPort, 0);
}
int32_t CUserBitBlock::GetMapCode() const {
    return MakeMapCode(MapBit, MapUserMemory, IndexOf(Number));
}
int32_t CUserByteBlock::GetMapCode() const {
    return MakeMapCode(MapByte, MapUserMemory, IndexOf(Number));
}
int32_t CUserWordBlock::GetMapCode() const {
    return MakeMapCode(MapWord, MapUserMemory, IndexOf(Number));
}

bool CExMemoryBlock::EditParam() {
    std::string text = Number.Text;
    if (!dialogs::SelectNumber("Blockparameter", Prompt, Maximum, text))
        return false;
    SetParam(text.c_str());
    return true;
}

} // namespace quendal
