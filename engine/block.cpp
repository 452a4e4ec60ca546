#include "engine/block.h"

#include "engine/compiler.h"

namespace quendal {

int ConnectionKindOf(uint8_t outputType) {
    switch (outputType) {
    case OutNumber:
        return 1;
    case OutText:
        return 2;
    case OutTime:
        return 3;
    case OutDate:
        return 4;
    default:
        return 0;
    }
}

CBlock::CBlock(int32_t handle, uint8_t outputType, int16_t inputCount, const char* inputNames,
               bool userBitmap)
    : handle_(handle), outputType_(outputType), inputCount_(inputCount), inputNames_(inputNames),
      userBitmap_(userBitmap) {
    if (InputSlots() > 0)
        inputs_ = new CBlock* [InputSlots()] {};
}

CBlock::~CBlock() {
    delete[] inputs_;
}

int CBlock::InputType(int) const {
    return 0;
}

bool CBlock::CanConnect(const CBlock* source) const {
    if (source == nullptr)
        return outputType_ != OutNone;
    if (InputSlots() == 0 || connected_ >= InputSlots())
        return false;
    char flags[kMaxInputs + 1];
    InputMenuFlags(source, flags);
    for (const char* f = flags; *f != '\0'; ++f)
        if (*f == ' ')
            return true;
    return false;
}

bool CBlock::EditParam() {
    return false;
}
bool CBlock::SetParam(const char*) {
    return true;
}
const char* CBlock::GetParam() {
    return nullptr;
}
bool CBlock::IsComplete() const {
    return true;
}
void CBlock::GenerateCode(CMoltraneCompiler&, CompilePath&, NameList&, NameList&, int) {}
bool CBlock::IsStatementRoot() const {
    return false;
}
const char* CBlock::GetSymbolicName() {
    return nullptr;
}
int32_t CBlock::GetMapCode() const {
    return 0;
}
const char* CBlock::GetIndexDescription() {
    return nullptr;
}

void CBlock::Compile(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                     NameList& fixups, int debug) {
    if (OnPath(path))
        throw COMPILERERROR{handle_, kRecursion};
    if (!IsComplete())
        throw COMPILERERROR{handle_, kMissingInput};
    XXNode<CBlock>* node = path.Append(this, 0);
    GenerateCode(compiler, path, labels, fixups, debug);
    path.Unlink(node);
}

void CBlock::CompileConnected(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                              NameList& fixups, int debug) {
    for (int i = 0; i < InputSlots(); ++i)
        if (inputs_[i] != nullptr)
            inputs_[i]->Compile(compiler, path, labels, fixups, debug);
}

void CBlock::InputMenuFlags(const CBlock* source, char* out) const {
    const int n = InputSlots();
    for (int i = 0; i < n; ++i) {
        const bool accepts = source != nullptr && (InputType(i) & source->outputType_) != 0;
        out[i] = inputs_[i] == nullptr && accepts ? ' ' : '*';
    }
    out[n] = '\0';
}

int32_t CBlock::Connect(CBlock* source, int index) {
    const int n = InputSlots();
    if (source == nullptr)
        return -1;
    if (index == -1) {
        for (int i = 0; i < n && index == -1; ++i)
            if (inputs_[i] == nullptr)
                index = i;
    }
    if (index < 0 || index >= n || inputs_[index] != nullptr)
        return -1;
    inputs_[index] = source;
    connected_ += 1;
    source->outputUses_ += 1;
    return static_cast<int32_t>(index) << 16 | ConnectionKindOf(source->outputType_);
}

void CBlock::DisconnectInput(int index) {
    if (index < 0 || index >= InputSlots() || inputs_[index] == nullptr)
        return;
    inputs_[index]->outputUses_ -= 1;
    inputs_[index] = nullptr;
    connected_ -= 1;
}

void CBlock::DisconnectSource(const CBlock* removed) {
    if (connected_ == 0)
        return;
    for (int i = 0; i < InputSlots(); ++i)
        if (inputs_[i] == removed)
            DisconnectInput(i);
}

void CBlock::DisconnectAll() {
    if (connected_ == 0)
        return;
    for (int i = 0; i < InputSlots(); ++i)
        DisconnectInput(i);
}

void CSourceBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath&, NameList&, NameList&,
                                int) {
    EmitLoad(compiler);
}

void CSourceBlock::EmitLoad(CMoltraneCompiler&) {}

int CSinkBlock::InputType(int) const {
    return OutNumber;
}

bool CSinkBlock::IsStatementRoot() const {
    return Connected() > 0;
}

void CSinkBlock::GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                              NameList& fixups, int debug) {
    CompileInputs(compiler, path, labels, fixups, debug);
    EmitOperation(compiler);
}

void CSinkBlock::EmitOperation(CMoltraneCompiler&) {}

void CSinkBlock::CompileInputs(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                               NameList& fixups, int debug) {
    CompileConnected(compiler, path, labels, fixups, debug);
}

bool CStandaloneBlock::IsStatementRoot() const {
    return true;
}

} // namespace quendal
