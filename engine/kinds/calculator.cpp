#include "engine/kinds/calculator.h"

#include "engine/compiler.h"
#include "engine/dialogs/editparam.h"
#include "engine/kinds/param.h"

#include <cstdio>

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

// The sign tests compare the operand with 0 as operand b.
static void EmitCompareWithZero(CMoltraneCompiler& compiler, Op compare) {
    compiler.Emit(Op::PushWord);
    compiler.EmitWord(0);
    compiler.Emit(compare);
}

void CAddBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Add);
}

void CSubBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Subtract);
}

void CMulBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Multiply);
}

void CDivBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Divide);
}

void CModBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Remainder);
}

void CNegBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Negate);
}

void CAbsBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Abs);
}

void CSgnBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Sign);
}

void CMinBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Min);
}

void CMaxBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Max);
}

void CShlBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::ShiftLeft);
}

void CShrBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::ShiftRight);
}

void CSqrtBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Sqrt);
}

void CNotBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Not);
}

void CAndBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::And);
}

void CNandBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::And);
}

void COrBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Or);
}

void CNorBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Or);
}

void CXorBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Xor);
}

void CLowerBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Less);
}

void CLowerSameBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::LessEqual);
}

void CHigherBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Greater);
}

void CHigherSameBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::GreaterEqual);
}

void CEqualBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Equal);
}

void CNotEqualBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::NotEqual);
}

void CZeroBlock::EmitOperation(CMoltraneCompiler& compiler) {
    EmitCompareWithZero(compiler, Op::Equal);
}

void CNotZeroBlock::EmitOperation(CMoltraneCompiler& compiler) {
    EmitCompareWithZero(compiler, Op::NotEqual);
}

void CLowerZeroBlock::EmitOperation(CMoltraneCompiler& compiler) {
    EmitCompareWithZero(compiler, Op::Greater);
}

void CHigherZeroBlock::EmitOperation(CMoltraneCompiler& compiler) {
    EmitCompareWithZero(compiler, Op::Less);
}

// NAND and NOR negate the fold over all inputs once, so they stay true to their names for more
// than two inputs.
void CNandBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                              NameList& fixups, int debug) {
    CCommutativBlock::GenerateCode(compiler, path, labels, fixups, debug);
    if (Connected() > 0)
        compiler.Emit(Op::Not);
}

void CNorBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                             NameList& fixups, int debug) {
    CCommutativBlock::GenerateCode(compiler, path, labels, fixups, debug);
    if (Connected() > 0)
        compiler.Emit(Op::Not);
}

bool CTabBlock::SetParam(const char* text) {
    CopyParam(TableName, text, kMaxName);
    return true;
}

void CTabBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                             NameList& fixups, int debug) {
    if (TableName[0] == '\0')
        throw COMPILERERROR{Handle(), kMsgMissingParameter};
    CompileOperands(compiler, path, labels, fixups, debug);
    compiler.Emit(Op::TableRead);
    compiler.EmitFixup(TableName);
}

// c; jump to "@A" when it is 0; a; jump to "@B"; "@A": b; "@B". The conditional jump leaves c on
// the stack, under the chosen value, where an operation taking the switch as its second operand
// would use it: the a branch turns c into 0 (c * 0), the b branch finds c = 0 already, and one
// addition at "@B" folds the 0 into the value. The labels get a fresh number each time the code
// is generated: a switch compiled for two statements places its labels twice, and each copy must
// jump within itself.
void CValueSwitchBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath& path,
                                     NameList& labels, NameList& fixups, int debug) {
    if (Connected() != InputSlots())
        return; // only an unused switch lacks an input, and it is never compiled
    char elseLabel[12];
    char endLabel[12];
    const int32_t number = compiler.NewLabelNumber();
    std::snprintf(elseLabel, sizeof elseLabel, "@A%X", static_cast<unsigned>(number));
    std::snprintf(endLabel, sizeof endLabel, "@B%X", static_cast<unsigned>(number));
    Input(2)->Compile(compiler, path, labels, fixups, debug);
    compiler.Emit(Op::JumpIfZero);
    compiler.EmitFixup(elseLabel);
    compiler.Emit(Op::PushWord);
    compiler.EmitWord(0);
    compiler.Emit(Op::Multiply);
    Input(0)->Compile(compiler, path, labels, fixups, debug);
    compiler.Emit(Op::Jump);
    compiler.EmitFixup(endLabel);
    compiler.DefineLabel(elseLabel);
    Input(1)->Compile(compiler, path, labels, fixups, debug);
    compiler.DefineLabel(endLabel);
    compiler.Emit(Op::Add);
}

bool CTabBlock::EditParam() {
    std::string text = TableName;
    if (!dialogs::MaskInput(dialogs::MaskMode::Text,
                            "Geben Sie den Bezeichner einer Tabelle ein:", kMaxName, text))
        return false;
    SetParam(text.c_str());
    return true;
}

} // namespace quendal
