#include "engine/kinds/control.h"

#include "engine/compiler.h"
#include "engine/dialogs/editparam.h"
#include "engine/kinds/param.h"

namespace quendal {

int CControlBlock::InputType(int) const {
    return OutNumber;
}

bool CControlBlock::IsComplete() const {
    return GetInputCount() >= 0 || Connected() == InputSlots();
}

void CControlBlock::EmitCondition(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                                  NameList& fixups, int debug, int32_t skipped) {
    if (Input(0) == nullptr)
        return;
    Input(0)->Compile(compiler, path, labels, fixups, debug);
    compiler.Emit(Op::JumpIfZero);
    compiler.EmitAddress(compiler.Here() + 2 + skipped);
}

bool CGotoBlock::SetParam(const char* text) {
    CopyParam(Target, text, kMaxTarget);
    return true;
}

void CGotoBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                              NameList& fixups, int debug) {
    if (Target[0] == '\0')
        throw COMPILERERROR{Handle(), kMsgMissingParameter};
    EmitCondition(compiler, path, labels, fixups, debug, 3);
    compiler.Emit(JumpOpcode());
    compiler.EmitFixup(Target);
}

// For each name of the list: selector = i, else on to the next name. Names are separated by
// control characters; blanks before a name are skipped, blanks inside and behind it belong to it.
void COnGotoBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                                NameList& fixups, int debug) {
    if (Target[0] == '\0')
        throw COMPILERERROR{Handle(), kMsgMissingParameter};
    const auto* p = reinterpret_cast<const unsigned char*>(Target);
    char name[kMaxTarget + 1];
    int32_t index = 0;
    while (*p != '\0') {
        while (*p != '\0' && *p <= 32)
            ++p;
        int n = 0;
        while (*p >= 32)
            name[n++] = static_cast<char>(*p++);
        name[n] = '\0';
        if (n == 0)
            continue;
        Input(0)->Compile(compiler, path, labels, fixups, debug);
        compiler.Emit(Op::PushWord);
        compiler.EmitWord(static_cast<uint16_t>(index));
        compiler.Emit(Op::Equal);
        compiler.Emit(Op::JumpIfZero);
        compiler.EmitAddress(compiler.Here() + 2 + 3);
        compiler.Emit(JumpOpcode());
        compiler.EmitFixup(name);
        ++index;
    }
}

void CReturnBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                                NameList& fixups, int debug) {
    EmitCondition(compiler, path, labels, fixups, debug, 1);
    compiler.Emit(FinalOpcode());
}

// The simulation image marks the loop head so that the simulator can report each turn; the
// no-operation byte before it keeps the first entry from counting as a turn.
void CWaitBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                              NameList& fixups, int debug) {
    if (debug != 0)
        compiler.Emit(static_cast<uint8_t>(0));
    const int32_t head = compiler.Here();
    if (debug != 0)
        compiler.Emit(Op::WaitLoopHead);
    Input(0)->Compile(compiler, path, labels, fixups, debug);
    compiler.Emit(Op::JumpIfZero);
    compiler.EmitAddress(head);
}

bool CGotoBlock::EditParam() {
    std::string text = Target;
    if (!dialogs::MaskInput(dialogs::MaskMode::Text,
                            "Geben Sie den Bezeichner einer Zelle ein:", kMaxTarget, text))
        return false;
    SetParam(text.c_str());
    return true;
}

bool COnGotoBlock::EditParam() {
    std::string text = Target;
    if (!dialogs::StringList(kMaxTarget, text))
        return false;
    SetParam(text.c_str());
    return true;
}

} // namespace quendal
