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
};

// Jump to the cell whose name the block holds.
class CGotoBlock : public CControlBlock {
public:
    static constexpr int kMaxTarget = 99;

    explicit CGotoBlock(int32_t handle, int16_t inputCount = 1)
        : CControlBlock(handle, inputCount) {}
    virtual uint8_t JumpOpcode() const { return static_cast<uint8_t>(Op::Jump); }

    char Target[kMaxTarget + 1] = {};
};

class CGosubBlock : public CGotoBlock {
public:
    explicit CGosubBlock(int32_t handle) : CGotoBlock(handle) {}
    uint8_t JumpOpcode() const override { return static_cast<uint8_t>(Op::Gosub); }
};

// Jump to the i-th of a list of cell names, i given by the selector input.
class COnGotoBlock : public CGotoBlock {
public:
    explicit COnGotoBlock(int32_t handle) : CGotoBlock(handle, -1) {}
};

class COnGosubBlock : public COnGotoBlock {
public:
    explicit COnGosubBlock(int32_t handle) : COnGotoBlock(handle) {}
    uint8_t JumpOpcode() const override { return static_cast<uint8_t>(Op::Gosub); }
};

class CReturnBlock : public CControlBlock {
public:
    explicit CReturnBlock(int32_t handle) : CControlBlock(handle, 1) {}
    virtual uint8_t FinalOpcode() const { return static_cast<uint8_t>(Op::Return); }
};

class CEndBlock : public CReturnBlock {
public:
    explicit CEndBlock(int32_t handle) : CReturnBlock(handle) {}
    uint8_t FinalOpcode() const override { return static_cast<uint8_t>(Op::End); }
};

class CWaitBlock : public CControlBlock {
public:
    explicit CWaitBlock(int32_t handle) : CControlBlock(handle, -1) {}
};

} // namespace quendal
