#include "engine/kinds/standalone.h"

#include "engine/compiler.h"
#include "engine/dialogs/editparam.h"
#include "engine/kinds/param.h"

namespace quendal {

void CFileOperationBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath&, NameList&,
                                       NameList&, int) {
    compiler.Emit(Op::FileOp);
    compiler.Emit(static_cast<uint8_t>(Operation));
}

bool CBaudBlock::SetParam(const char* text) {
    CopyParam(Text, text, 9);
    RateCode = DecimalValue(Text);
    return true;
}

// The unit's rate byte; a code other than 1, 2 or 4 sets 9600 bit/s, as the dialog shows it.
void CBaudBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath&, NameList&, NameList&,
                              int) {
    uint8_t rate = 192;
    switch (RateCode) {
    case 1:
        rate = 219;
        break;
    case 2:
        rate = 210;
        break;
    case 4:
        rate = 201;
        break;
    default:
        break;
    }
    compiler.Emit(Op::SkipBaud);
    compiler.Emit(rate);
}

bool CBaudBlock::EditParam() {
    std::string text;
    if (!dialogs::BaudRate(RateCode, text))
        return false;
    SetParam(text.c_str());
    return true;
}

} // namespace quendal
