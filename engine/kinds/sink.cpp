#include "engine/kinds/sink.h"

#include "engine/compiler.h"
#include "engine/vm/simulator.h"

#include <cstdio>

namespace quendal {

bool CDAPortBlock::SetParam(const char* text) {
    Number.Set(text);
    return true;
}

const char* CDAPortBlock::GetSymbolicName() {
    std::snprintf(Name, sizeof Name, "DA[%d]", Number.N);
    return Name;
}

int32_t CDAPortBlock::GetMapCode() const {
    return MakeMapCode(MapByte, MapDac, static_cast<uint16_t>(Number.N - 1));
}

CLCDBlock::CLCDBlock(int32_t handle, KindCounts& counts)
    : CSinkBlock(handle, 8, kNamesAToH), counts_(counts) {
    counts_.Lcd += 1;
}

CLCDBlock::~CLCDBlock() {
    counts_.Lcd -= 1;
}

void EmitLcdLibrary(CMoltraneCompiler&) {}

CLEDBlock::CLEDBlock(int32_t handle, KindCounts& counts)
    : CSinkBlock(handle, 3, kNamesABC), counts_(counts) {
    counts_.Led += 1;
}

CLEDBlock::~CLEDBlock() {
    counts_.Led -= 1;
}

int CPrintBlock::InputType(int) const {
    return OutNumber | OutText;
}

} // namespace quendal
