// Kinds with inputs and no output: D/A output, LCD, beeper, LED display, data-file write,
// serial output and pause.
#pragma once

#include "engine/block.h"
#include "engine/kinds/exmemory.h"

namespace quendal {

inline constexpr const char* kNamesAB = "a\r\nb\r\n";
inline constexpr const char* kNamesABC = "a\r\nb\r\nc\r\n";
inline constexpr const char* kNamesAToH = "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\n";

class CDAPortBlock : public CSinkBlock {
public:
    explicit CDAPortBlock(int32_t handle) : CSinkBlock(handle, -1, nullptr, true) { SetParam("1"); }
    bool SetParam(const char* text) override;
    const char* GetParam() override { return Number.Text; }
    const char* GetIndexDescription() override { return Number.Text; }
    const char* GetSymbolicName() override;
    int32_t GetMapCode() const override;

    BlockNumber Number;

private:
    char Name[24] = {};
};

// Counted in its engine: the LCD library is emitted while such blocks exist.
class CLCDBlock : public CSinkBlock {
public:
    CLCDBlock(int32_t handle, KindCounts& counts);
    ~CLCDBlock() override;

private:
    KindCounts& counts_;
};

// The LCD routine library with its display start-up, jumped over to "LCD_END".
void EmitLcdLibrary(CMoltraneCompiler& compiler);

class CBeepBlock : public CSinkBlock {
public:
    explicit CBeepBlock(int32_t handle) : CSinkBlock(handle, 3, kNamesABC) {}
};

// Counted in its engine: the LED firmware is appended to the download while such blocks exist.
class CLEDBlock : public CSinkBlock {
public:
    CLEDBlock(int32_t handle, KindCounts& counts);
    ~CLEDBlock() override;

private:
    KindCounts& counts_;
};

class CWriteFileBlock : public CSinkBlock {
public:
    explicit CWriteFileBlock(int32_t handle) : CSinkBlock(handle, -1, nullptr) {}
};

// Prints numbers and texts.
class CPrintBlock : public CSinkBlock {
public:
    explicit CPrintBlock(int32_t handle) : CSinkBlock(handle, 1, nullptr) { SetParam("1"); }
    int InputType(int index) const override;
};

class CPutBlock : public CSinkBlock {
public:
    explicit CPutBlock(int32_t handle) : CSinkBlock(handle, 1, nullptr) {}
};

class CPauseBlock : public CSinkBlock {
public:
    explicit CPauseBlock(int32_t handle) : CSinkBlock(handle, -1, nullptr) {}
};

} // namespace quendal
