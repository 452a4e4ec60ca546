#include "engine/kinds/memory.h"

#include "engine/compiler.h"
#include "engine/vm/simulator.h"

namespace quendal {

bool CMemoryBlock::IsStatementRoot() const {
    return Connected() > 0 && OutputUses() == 0;
}

void CMemoryBlock::Compile(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                           NameList& fixups, int debug) {
    if (OnPath(path)) {
        EmitLoad(compiler);
        return;
    }
    XXNode<CBlock>* node = path.Append(this, 0);
    if (Connected() > 0) {
        CompileConnected(compiler, path, labels, fixups, debug);
        EmitStore(compiler);
    } else {
        EmitLoad(compiler);
    }
    path.Unlink(node);
}

void CMemoryBlock::EmitLoad(CMoltraneCompiler&) {}
void CMemoryBlock::EmitStore(CMoltraneCompiler&) {}

int CTimeOrDateInfoBlock::InputType(int) const {
    return OutNumber;
}

int32_t CTimeOrDateInfoBlock::GetMapCode() const {
    return MakeMapCode(MapByte, MapRegister, Register);
}

void CTimeOrDateInfoBlock::EmitLoad(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::PushRegister);
    compiler.Emit(Register);
}

void CTimeOrDateInfoBlock::EmitStore(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::SetRegister);
    compiler.Emit(Register);
}

int CRandBlock::InputType(int) const {
    return OutNumber;
}

void CRandBlock::EmitLoad(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Random);
}

void CRandBlock::EmitStore(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::RandomSeed);
}

} // namespace quendal
