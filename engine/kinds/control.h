// Control flow statements: jumps and calls to other cells, return, end and wait.
#pragma once

#include "engine/block.h"
#include "engine/vm/opcodes.h"

namespace quendal {

// A statement with an optional (or, for some kinds, required) number condition.
class CControlBlock : public CBlock {
public:
    CControlBlock(int32_t handle, int16_t inputCount)
        : CBlock(handle, OutNone, inputCount, nullptr, false) {}
    int InputType(int index) const override;
    bool IsStatementRoot() const override { return true; }
    // A kind with a required input cannot be compiled without it.
    bool IsComplete() const override;

protected:
    // The condition's code and a jump over the instruction of `skipped` bytes that follows when
    // the condition is 0; nothing without a condition.
    void EmitCondition(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                       NameList& fixups, int debug, int32_t skipped);
};

// Jump to the cell whose name the block holds.
class CGotoBlock : public CControlBlock {
public:
    static constexpr int kMaxTarget = 99;

    explicit CGotoBlock(int32_t handle, int16_t inputCount = 1)
        : CControlBlock(handle, inputCount) {}
    bool SetParam(const char* text) override;
    bool EditParam() override;
    const char* GetParam() override { return Target; }
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;
    virtual uint8_t JumpOpcode() const { return static_cast<uint8_t>(Op::Jump); }

    char Target[kMaxTarget + 1] = {};
};

class CGosubBlock : public CGotoBlock {
public:
    explicit CGosubBlock(int32_t handle) : CGotoBlock(handle) {}
    uint8_t JumpOpcode() const override { return static_cast<uint8_t>(Op::Gosub); }
};

// Jump to the i-th of a list of cell names, one per line, i given by the selector input.
class COnGotoBlock : public CGotoBlock {
public:
    explicit COnGotoBlock(int32_t handle) : CGotoBlock(handle, -1) {}
    // The names one per line.
    bool EditParam() override;
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;
};

class COnGosubBlock : public COnGotoBlock {
public:
    explicit COnGosubBlock(int32_t handle) : COnGotoBlock(handle) {}
    uint8_t JumpOpcode() const override { return static_cast<uint8_t>(Op::Gosub); }
};

class CReturnBlock : public CControlBlock {
public:
    explicit CReturnBlock(int32_t handle) : CControlBlock(handle, 1) {}
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;
    virtual uint8_t FinalOpcode() const { return static_cast<uint8_t>(Op::Return); }
};

class CEndBlock : public CReturnBlock {
public:
    explicit CEndBlock(int32_t handle) : CReturnBlock(handle) {}
    uint8_t FinalOpcode() const override { return static_cast<uint8_t>(Op::End); }
};

// Loops until its input is not 0.
class CWaitBlock : public CControlBlock {
public:
    explicit CWaitBlock(int32_t handle) : CControlBlock(handle, -1) {}
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;
};

} // namespace quendal
