// Kinds with a value and no inputs: A/D input, frequency, keypad, clock values, tick timer,
// constants, data-file reads and serial input.
#pragma once

#include "engine/block.h"
#include "engine/kinds/exmemory.h"

namespace quendal {

class CADPortBlock : public CSourceBlock {
public:
    explicit CADPortBlock(int32_t handle) : CSourceBlock(handle, OutNumber, true) { SetParam("1"); }
    bool SetParam(const char* text) override;
    const char* GetParam() override { return Number.Text; }
    const char* GetIndexDescription() override { return Number.Text; }
    const char* GetSymbolicName() override;
    int32_t GetMapCode() const override;

    BlockNumber Number;

private:
    char Name[24] = {};
};

class CFreqBlock : public CSourceBlock {
public:
    explicit CFreqBlock(int32_t handle) : CSourceBlock(handle, OutNumber, true) {}
    const char* GetSymbolicName() override { return "FREQ [Hz]"; }
    int32_t GetMapCode() const override;
};

// Counted in its engine: the keypad library is emitted while such blocks exist.
class CKeyboardBlock : public CSourceBlock {
public:
    CKeyboardBlock(int32_t handle, KindCounts& counts);
    ~CKeyboardBlock() override;
    virtual bool IsKeyboard() const { return true; }

private:
    KindCounts& counts_;
};

// The keypad routine library, jumped over to "KEYB_END".
void EmitKeyboardLibrary(CMoltraneCompiler& compiler);

class CTimeInfoBlock : public CSourceBlock {
public:
    explicit CTimeInfoBlock(int32_t handle) : CSourceBlock(handle, OutTime) {}
};

class CDateInfoBlock : public CSourceBlock {
public:
    explicit CDateInfoBlock(int32_t handle) : CSourceBlock(handle, OutDate) {}
};

class CTimerBlock : public CSourceBlock {
public:
    explicit CTimerBlock(int32_t handle) : CSourceBlock(handle, OutNumber) {}
};

class CConstValueBlock : public CSourceBlock {
public:
    explicit CConstValueBlock(int32_t handle) : CSourceBlock(handle, OutNumber) { SetParam("0"); }
};

class CConstCharBlock : public CSourceBlock {
public:
    explicit CConstCharBlock(int32_t handle) : CSourceBlock(handle, OutNumber) { SetParam("'C'"); }
};

class CConstTextBlock : public CSourceBlock {
public:
    explicit CConstTextBlock(int32_t handle) : CSourceBlock(handle, OutText) { SetParam("TEXT"); }
};

class CConstTimeBlock : public CSourceBlock {
public:
    explicit CConstTimeBlock(int32_t handle) : CSourceBlock(handle, OutTime) { SetParam("00:00"); }
};

class CConstDateBlock : public CSourceBlock {
public:
    explicit CConstDateBlock(int32_t handle) : CSourceBlock(handle, OutDate) { SetParam("01.01"); }
};

class CReadFileBlock : public CSourceBlock {
public:
    explicit CReadFileBlock(int32_t handle) : CSourceBlock(handle, OutNumber) {}
};

class CFileEOFBlock : public CSourceBlock {
public:
    explicit CFileEOFBlock(int32_t handle) : CSourceBlock(handle, OutNumber) {}
};

class CFileFreeBlock : public CSourceBlock {
public:
    explicit CFileFreeBlock(int32_t handle) : CSourceBlock(handle, OutNumber) {}
    const char* GetSymbolicName() override { return "FILEFREE"; }
    int32_t GetMapCode() const override;
};

class CInputBlock : public CSourceBlock {
public:
    explicit CInputBlock(int32_t handle) : CSourceBlock(handle, OutNumber) {}
};

class CGetBlock : public CSourceBlock {
public:
    explicit CGetBlock(int32_t handle) : CSourceBlock(handle, OutNumber) {}
};

class CRXDBlock : public CSourceBlock {
public:
    explicit CRXDBlock(int32_t handle) : CSourceBlock(handle, OutNumber) {}
};

} // namespace quendal
