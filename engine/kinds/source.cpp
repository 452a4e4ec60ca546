#include "engine/kinds/source.h"

#include "engine/compiler.h"
#include "engine/vm/simulator.h"

#include <cstdio>

namespace quendal {

bool CADPortBlock::SetParam(const char* text) {
    Number.Set(text);
    return true;
}

const char* CADPortBlock::GetSymbolicName() {
    std::snprintf(Name, sizeof Name, "AD[%d]", Number.N);
    return Name;
}

int32_t CADPortBlock::GetMapCode() const {
    return MakeMapCode(MapByte, MapAdc, static_cast<uint16_t>(Number.N - 1));
}

int32_t CFreqBlock::GetMapCode() const {
    return MakeMapCode(MapWord, MapRegister, static_cast<uint8_t>(Register::Frequency));
}

CKeyboardBlock::CKeyboardBlock(int32_t handle, KindCounts& counts)
    : CSourceBlock(handle, OutNumber), counts_(counts) {
    counts_.Keyboard += 1;
}

CKeyboardBlock::~CKeyboardBlock() {
    counts_.Keyboard -= 1;
}

void EmitKeyboardLibrary(CMoltraneCompiler&) {}

int32_t CFileFreeBlock::GetMapCode() const {
    return MakeMapCode(MapWord, MapRegister, static_cast<uint8_t>(Register::FileFree));
}

} // namespace quendal
