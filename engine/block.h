// Block base class: inputs, wiring counts, connection rules and the recursion-safe compile.
#pragma once

#include "engine/containers.h"

#include <cstdint>

namespace quendal {

class CBlock;
class CMoltraneCompiler;

using CompilePath = XXCollection<CBlock>;
using NameList = XXCollection<char>;

// Data type of a block's output; an input's InputType is a mask of these bits.
enum OutputType : uint8_t {
    OutNone = 0,
    OutNumber = 1,
    OutText = 2,
    OutTime = 4,
    OutDate = 8,
};

// ConnectionKind of a source's output type: 1 number, 2 text, 3 time, 4 date, 0 other.
int ConnectionKindOf(uint8_t outputType);

// Longest input menu flag text: the commutative kinds have 20 inputs.
constexpr int kMaxInputs = 20;

// Blocks of kinds that pull in a routine library or the LED firmware; kept per engine.
struct KindCounts {
    int32_t Keyboard = 0;
    int32_t Lcd = 0;
    int32_t Led = 0;
};

class CBlock {
public:
    // inputCount: -n exactly n inputs (all required), +n up to n inputs, 0 none.
    // inputNames: constant text, each name followed by CR LF, or null.
    CBlock(int32_t handle, uint8_t outputType, int16_t inputCount, const char* inputNames,
           bool userBitmap);
    CBlock(const CBlock&) = delete;
    CBlock& operator=(const CBlock&) = delete;

    virtual int InputType(int index) const;
    virtual bool CanConnect(const CBlock* source) const;
    virtual bool EditParam();
    virtual bool SetParam(const char* text);
    virtual const char* GetParam();
    virtual bool IsComplete() const;
    virtual void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                              NameList& fixups, int debug);
    virtual bool IsStatementRoot() const;
    virtual void Compile(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                         NameList& fixups, int debug);
    virtual const char* GetSymbolicName();
    virtual int32_t GetMapCode() const;
    virtual const char* GetIndexDescription();
    virtual ~CBlock();

    // One character per input: ' ' when the input is free and accepts the source's type,
    // else '*'. out must hold kMaxInputs + 1 characters; the text is zero-terminated.
    void InputMenuFlags(const CBlock* source, char* out) const;

    // Connects input `index` (-1: the first free one) to source. Answers
    // index << 16 | ConnectionKind, or -1 when the input does not exist or is taken.
    int32_t Connect(CBlock* source, int index);
    void DisconnectInput(int index);
    void DisconnectSource(const CBlock* removed);
    void DisconnectAll();

    int32_t Handle() const { return handle_; }
    uint8_t GetOutputType() const { return outputType_; }
    int16_t GetInputCount() const { return inputCount_; }
    int InputSlots() const { return inputCount_ < 0 ? -inputCount_ : inputCount_; }
    const char* InputNames() const { return inputNames_; }
    CBlock* Input(int index) const { return inputs_[index]; }
    int16_t Connected() const { return connected_; }
    int16_t OutputUses() const { return outputUses_; }
    bool HasUserBitmap() const { return userBitmap_; }

    // Statements that throw this record name the failing block, or -1 for none.
    static constexpr const char* kRecursion = "ung\xFCltige Rekursion";
    static constexpr const char* kMissingInput = "fehlende Eingangsverbindung";

protected:
    // Compile of every connected input's source, in input order.
    void CompileConnected(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                          NameList& fixups, int debug);
    bool OnPath(const CompilePath& path) const { return path.FindNode(this) != nullptr; }

private:
    int32_t handle_;
    uint8_t outputType_;
    int16_t inputCount_;
    const char* inputNames_;
    CBlock** inputs_ = nullptr;
    int16_t connected_ = 0;
    int16_t outputUses_ = 0;
    bool userBitmap_;
};

// A value and no inputs.
class CSourceBlock : public CBlock {
public:
    CSourceBlock(int32_t handle, uint8_t outputType, bool userBitmap = false)
        : CBlock(handle, outputType, 0, nullptr, userBitmap) {}
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;
    // Emits the instructions that push the value.
    virtual void EmitLoad(CMoltraneCompiler& compiler);
};

// Inputs and no output: a statement as soon as one input is wired.
class CSinkBlock : public CBlock {
public:
    CSinkBlock(int32_t handle, int16_t inputCount, const char* inputNames, bool userBitmap = false)
        : CBlock(handle, OutNone, inputCount, inputNames, userBitmap) {}
    int InputType(int index) const override;
    bool IsStatementRoot() const override;
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;
    // The sink's own instructions, behind the code of its inputs.
    virtual void EmitOperation(CMoltraneCompiler& compiler);
    virtual void CompileInputs(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                               NameList& fixups, int debug);
};

// Neither inputs nor output: always a statement; the kinds emit their own code.
class CStandaloneBlock : public CBlock {
public:
    explicit CStandaloneBlock(int32_t handle) : CBlock(handle, OutNone, 0, nullptr, false) {}
    bool IsStatementRoot() const override;
};

} // namespace quendal
