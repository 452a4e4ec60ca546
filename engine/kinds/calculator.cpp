#include "engine/kinds/calculator.h"

#include "engine/compiler.h"

namespace quendal {

int CCalculatorBlock::InputType(int) const {
    return OutNumber;
}

bool CCalculatorBlock::IsComplete() const {
    if (OutputUses() == 0)
        return true;
    if (GetInputCount() < 0)
        return Connected() == InputSlots();
    return Connected() > 0;
}

void CCalculatorBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath& path,
                                    NameList& labels, NameList& fixups, int debug) {
    if (Connected() == 0)
        return;
    CompileOperands(compiler, path, labels, fixups, debug);
    EmitOperation(compiler);
}

void CCalculatorBlock::CompileOperands(CMoltraneCompiler&, CompilePath&, NameList&, NameList&,
                                       int) {}
void CCalculatorBlock::EmitOperation(CMoltraneCompiler&) {}

void CFxMathBlock::CompileOperands(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                                   NameList& fixups, int debug) {
    if (Input(0) != nullptr)
        Input(0)->Compile(compiler, path, labels, fixups, debug);
}

void CABMathBlock::CompileOperands(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                                   NameList& fixups, int debug) {
    for (int i = 0; i < 2; ++i)
        if (Input(i) != nullptr)
            Input(i)->Compile(compiler, path, labels, fixups, debug);
}

int CComparatorBlock::InputType(int) const {
    return OutNumber | OutTime | OutDate;
}

bool CComparatorBlock::CanConnect(const CBlock* source) const {
    if (!CABMathBlock::CanConnect(source))
        return false;
    if (source == nullptr)
        return true;
    for (int i = 0; i < InputSlots(); ++i)
        if (Input(i) != nullptr && Input(i)->GetOutputType() != source->GetOutputType())
            return false;
    return true;
}

void CCommutativBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath& path,
                                    NameList& labels, NameList& fixups, int debug) {
    bool first = true;
    for (int i = 0; i < InputSlots(); ++i) {
        if (Input(i) == nullptr)
            continue;
        Input(i)->Compile(compiler, path, labels, fixups, debug);
        if (!first)
            EmitOperation(compiler);
        first = false;
    }
}

} // namespace quendal
