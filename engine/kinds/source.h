// Kinds with a value and no inputs: A/D input, frequency, keypad, clock values, tick timer,
// constants, data-file reads and serial input.
#pragma once

#include "engine/block.h"
#include "engine/kinds/channel.h"
#include "engine/kinds/exmemory.h"

namespace quendal {

class CADPortBlock : public CChannelBlock<CSourceBlock> {
public:
    explicit CADPortBlock(int32_t handle);
    void EmitLoad(CMoltraneCompiler& compiler) override;
};

class CFreqBlock : public CSourceBlock {
public:
    explicit CFreqBlock(int32_t handle) : CSourceBlock(handle, OutNumber, true) {}
    const char* GetSymbolicName() override { return "FREQ [Hz]"; }
    int32_t GetMapCode() const override;
    void EmitLoad(CMoltraneCompiler& compiler) override;
};

// Counted in its engine: the keypad library is emitted while such blocks exist.
class CKeyboardBlock : public CSourceBlock {
public:
    CKeyboardBlock(int32_t handle, KindCounts& counts);
    ~CKeyboardBlock() override;
    virtual bool IsKeyboard() const { return true; }
    // Calls the keypad library's scan.
    void EmitLoad(CMoltraneCompiler& compiler) override;

private:
    KindCounts& counts_;
};

// The keypad routine library, jumped over to "KEYB_END".
void EmitKeyboardLibrary(CMoltraneCompiler& compiler);

class CTimeInfoBlock : public CSourceBlock {
public:
    explicit CTimeInfoBlock(int32_t handle) : CSourceBlock(handle, OutTime) {}
    void EmitLoad(CMoltraneCompiler& compiler) override;
};

class CDateInfoBlock : public CSourceBlock {
public:
    explicit CDateInfoBlock(int32_t handle) : CSourceBlock(handle, OutDate) {}
    void EmitLoad(CMoltraneCompiler& compiler) override;
};

class CTimerBlock : public CSourceBlock {
public:
    explicit CTimerBlock(int32_t handle) : CSourceBlock(handle, OutNumber) {}
    void EmitLoad(CMoltraneCompiler& compiler) override;
};

// A signed 16-bit number; its text always shows the stored value.
class CConstValueBlock : public CSourceBlock {
public:
    explicit CConstValueBlock(int32_t handle) : CSourceBlock(handle, OutNumber) { SetParam("0"); }
    bool SetParam(const char* text) override;
    bool EditParam() override;
    const char* GetParam() override { return Text; }
    void EmitLoad(CMoltraneCompiler& compiler) override;

    int16_t Value = 0;
    char Text[10] = {};
};

// A character in quotes, "'C'": the middle one is the value.
class CConstCharBlock : public CSourceBlock {
public:
    explicit CConstCharBlock(int32_t handle) : CSourceBlock(handle, OutNumber) { SetParam("'C'"); }
    bool SetParam(const char* text) override;
    bool EditParam() override;
    const char* GetParam() override { return Text; }
    void EmitLoad(CMoltraneCompiler& compiler) override;

    char Text[4] = {};
};

// Text for the print kind: its bytes are emitted bare, inside the print kind's text instruction.
class CConstTextBlock : public CSourceBlock {
public:
    static constexpr int kMaxText = 80;

    explicit CConstTextBlock(int32_t handle) : CSourceBlock(handle, OutText) { SetParam("TEXT"); }
    bool SetParam(const char* text) override;
    bool EditParam() override;
    const char* GetParam() override { return Text; }
    void EmitLoad(CMoltraneCompiler& compiler) override;

    char Text[kMaxText + 1] = {};
};

// "HH:MM"; the value is minutes since midnight.
class CConstTimeBlock : public CSourceBlock {
public:
    explicit CConstTimeBlock(int32_t handle) : CSourceBlock(handle, OutTime) { SetParam("00:00"); }
    bool SetParam(const char* text) override;
    bool EditParam() override;
    const char* GetParam() override { return Text; }
    void EmitLoad(CMoltraneCompiler& compiler) override;

    uint8_t Hour = 0;
    uint8_t Minute = 0;
    char Text[10] = {};
};

// "DD.MM"; the value is month * 31 + day.
class CConstDateBlock : public CSourceBlock {
public:
    explicit CConstDateBlock(int32_t handle) : CSourceBlock(handle, OutDate) { SetParam("01.01"); }
    bool SetParam(const char* text) override;
    bool EditParam() override;
    const char* GetParam() override { return Text; }
    void EmitLoad(CMoltraneCompiler& compiler) override;

    uint8_t Day = 0;
    uint8_t Month = 0;
    char Text[10] = {};
};

class CReadFileBlock : public CSourceBlock {
public:
    explicit CReadFileBlock(int32_t handle) : CSourceBlock(handle, OutNumber) {}
    void EmitLoad(CMoltraneCompiler& compiler) override;
};

class CFileEOFBlock : public CSourceBlock {
public:
    explicit CFileEOFBlock(int32_t handle) : CSourceBlock(handle, OutNumber) {}
    void EmitLoad(CMoltraneCompiler& compiler) override;
};

class CFileFreeBlock : public CSourceBlock {
public:
    explicit CFileFreeBlock(int32_t handle) : CSourceBlock(handle, OutNumber) {}
    const char* GetSymbolicName() override { return "FILEFREE"; }
    int32_t GetMapCode() const override;
    void EmitLoad(CMoltraneCompiler& compiler) override;
};

class CInputBlock : public CSourceBlock {
public:
    explicit CInputBlock(int32_t handle) : CSourceBlock(handle, OutNumber) {}
    void EmitLoad(CMoltraneCompiler& compiler) override;
};

class CGetBlock : public CSourceBlock {
public:
    explicit CGetBlock(int32_t handle) : CSourceBlock(handle, OutNumber) {}
    void EmitLoad(CMoltraneCompiler& compiler) override;
};

class CRXDBlock : public CSourceBlock {
public:
    explicit CRXDBlock(int32_t handle) : CSourceBlock(handle, OutNumber) {}
    void EmitLoad(CMoltraneCompiler& compiler) override;
};

} // namespace quendal
