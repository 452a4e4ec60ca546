#include "engine/kinds/sink.h"

#include "engine/compiler.h"
#include "engine/dialogs/editparam.h"
#include "engine/kinds/param.h"
#include "engine/vm/simulator.h"

#include <initializer_list>

namespace quendal {

namespace {

const ChannelKind kDaKind{"DA[%d]", MapDac, 2, "Eigenschaften des D/A-Blocks"};

void EmitText(CMoltraneCompiler& compiler, std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes)
        compiler.Emit(b);
}

} // namespace

CDAPortBlock::CDAPortBlock(int32_t handle) : CChannelBlock(kDaKind, handle, -1, nullptr, true) {}

void CDAPortBlock::EmitOperation(CMoltraneCompiler& compiler) {
    const uint8_t channel = ChannelOperand();
    compiler.Emit(Op::SetDac);
    compiler.Emit(channel);
}

void CWriteFileBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::FileOp);
    compiler.Emit(static_cast<uint8_t>(FileOp::Write));
}

int CPrintBlock::InputType(int) const {
    return OutNumber | OutText;
}

bool CPrintBlock::SetParam(const char* text) {
    CopyParam(Text, text, 9);
    PrintMode = DecimalValue(Text);
    return true;
}

// A number prints as decimal text, followed by its own text instruction for the line end or tab;
// a text source emits its bare bytes, which this block wraps into one text instruction.
void CPrintBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                               NameList& fixups, int debug) {
    CBlock* source = Input(0);
    if (source == nullptr)
        return;
    if (source->GetOutputType() == OutText) {
        compiler.Emit(Op::PrintText);
        source->Compile(compiler, path, labels, fixups, debug);
        if (PrintMode == LineEnd)
            EmitText(compiler, {13, 10});
        else if (PrintMode == Tab)
            EmitText(compiler, {9});
        compiler.Emit(static_cast<uint8_t>(0));
        return;
    }
    source->Compile(compiler, path, labels, fixups, debug);
    compiler.Emit(Op::PrintDecimal);
    if (PrintMode == LineEnd)
        EmitText(compiler, {static_cast<uint8_t>(Op::PrintText), 13, 10, 0});
    else if (PrintMode == Tab)
        EmitText(compiler, {static_cast<uint8_t>(Op::PrintText), 9, 0});
}

void CPutBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::PrintChar);
}

void CPauseBlock::EmitOperation(CMoltraneCompiler& compiler) {
    compiler.Emit(Op::Pause);
}

bool CPrintBlock::EditParam() {
    std::string text;
    if (!dialogs::PrintMode(PrintMode, text))
        return false;
    SetParam(text.c_str());
    return true;
}

} // namespace quendal
