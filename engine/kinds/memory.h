// Kinds that hold a value: with an input wired they store it and pass it on, else they load it.
// Clock registers and the random generator.
#pragma once

#include "engine/block.h"

namespace quendal {

class CMemoryBlock : public CBlock {
public:
    CMemoryBlock(int32_t handle, bool userBitmap = false)
        : CBlock(handle, OutNumber, 1, nullptr, userBitmap) {}
    bool IsStatementRoot() const override;
    // Reached again along the chain under way, the block loads its stored value instead of
    // failing; every other use compiles the inputs and stores again.
    void Compile(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels, NameList& fixups,
                 int debug) override;
    virtual void EmitLoad(CMoltraneCompiler& compiler);
    // Stores the value on the stack and leaves it there as the block's output.
    virtual void EmitStore(CMoltraneCompiler& compiler);
};

// A clock register (opcodes 28/29 with the register number).
class CTimeOrDateInfoBlock : public CMemoryBlock {
public:
    CTimeOrDateInfoBlock(int32_t handle, uint8_t reg, const char* watchName)
        : CMemoryBlock(handle), Register(reg), WatchName(watchName) {}
    int InputType(int index) const override;
    const char* GetSymbolicName() override { return WatchName; }
    int32_t GetMapCode() const override;
    void EmitLoad(CMoltraneCompiler& compiler) override;
    void EmitStore(CMoltraneCompiler& compiler) override;

    const uint8_t Register;
    const char* const WatchName;
};

class CSecBlock : public CTimeOrDateInfoBlock {
public:
    explicit CSecBlock(int32_t handle) : CTimeOrDateInfoBlock(handle, 6, "SEC") {}
};
class CMinuteBlock : public CTimeOrDateInfoBlock {
public:
    explicit CMinuteBlock(int32_t handle) : CTimeOrDateInfoBlock(handle, 5, "MIN") {}
};
class CHourBlock : public CTimeOrDateInfoBlock {
public:
    explicit CHourBlock(int32_t handle) : CTimeOrDateInfoBlock(handle, 4, "HOUR") {}
};
class CDayBlock : public CTimeOrDateInfoBlock {
public:
    explicit CDayBlock(int32_t handle) : CTimeOrDateInfoBlock(handle, 2, "DAY") {}
};
class CMonthBlock : public CTimeOrDateInfoBlock {
public:
    explicit CMonthBlock(int32_t handle) : CTimeOrDateInfoBlock(handle, 1, "MONTH") {}
};
class CYearBlock : public CTimeOrDateInfoBlock {
public:
    explicit CYearBlock(int32_t handle) : CTimeOrDateInfoBlock(handle, 0, "YEAR") {}
};

// Loads the next random number; storing seeds the generator with the value.
class CRandBlock : public CMemoryBlock {
public:
    explicit CRandBlock(int32_t handle) : CMemoryBlock(handle) {}
    int InputType(int index) const override;
    void EmitLoad(CMoltraneCompiler& compiler) override;
    void EmitStore(CMoltraneCompiler& compiler) override;
};

} // namespace quendal
