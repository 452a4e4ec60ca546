// Kinds with inputs and no output: D/A output, LCD, beeper, LED display, data-file write,
// serial output and pause.
#pragma once

#include "engine/block.h"
#include "engine/kinds/channel.h"
#include "engine/kinds/exmemory.h"

namespace quendal {

inline constexpr const char* kNamesAB = "a\r\nb\r\n";
inline constexpr const char* kNamesABC = "a\r\nb\r\nc\r\n";
inline constexpr const char* kNamesAToH = "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\n";

class CDAPortBlock : public CChannelBlock<CSinkBlock> {
public:
    explicit CDAPortBlock(int32_t handle);
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

// Two display lines from a mask: plain characters, "#" a number and "$" a character from the
// next input. Counted in its engine: the LCD library is emitted while such blocks exist.
class CLCDBlock : public CSinkBlock {
public:
    static constexpr int kMaxMask = 39;

    CLCDBlock(int32_t handle, KindCounts& counts);
    ~CLCDBlock() override;
    bool SetParam(const char* text) override;
    bool EditParam() override;
    const char* GetParam() override { return Mask; }
    bool IsStatementRoot() const override { return true; }
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;

    char Mask[kMaxMask + 1] = {};

private:
    KindCounts& counts_;
};

// Character code the LCD controller shows for a character of the mask.
uint8_t LcdCharacter(uint8_t c);

// The LCD routine library with its display start-up, jumped over to "LCD_END".
void EmitLcdLibrary(CMoltraneCompiler& compiler);

// A tone from its inputs (tone, duration, pause), or else the stored melody.
class CBeepBlock : public CSinkBlock {
public:
    static constexpr int kMaxMelody = 599;

    explicit CBeepBlock(int32_t handle) : CSinkBlock(handle, 3, kNamesABC) {}
    bool SetParam(const char* text) override;
    bool EditParam() override;
    const char* GetParam() override { return Melody; }
    bool IsStatementRoot() const override { return true; }
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;

    char Melody[kMaxMelody + 1] = {};
};

// Six display places from a mask of six characters and six point flags; runs of "#" show the
// inputs as numbers. Counted in its engine: the LED firmware is appended to the download while
// such blocks exist.
class CLEDBlock : public CSinkBlock {
public:
    static constexpr int kMaxMask = 39;
    static constexpr int kPlaces = 6;

    CLEDBlock(int32_t handle, KindCounts& counts);
    ~CLEDBlock() override;
    bool SetParam(const char* text) override;
    bool EditParam() override;
    const char* GetParam() override { return Mask; }
    bool IsStatementRoot() const override { return true; }
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;

    char Mask[kMaxMask + 1] = {};
    // Decoded mask, index 0 the leftmost place.
    char Characters[kPlaces] = {' ', ' ', ' ', ' ', ' ', ' '};
    bool Points[kPlaces] = {};

private:
    KindCounts& counts_;
};

// Port lines the LED code drives: A and B low, then C high while the places are shifted in.
struct LedBoardLines {
    uint8_t A, B, C;
};
LedBoardLines LedLines(bool applicationBoard);

class CWriteFileBlock : public CSinkBlock {
public:
    explicit CWriteFileBlock(int32_t handle) : CSinkBlock(handle, -1, nullptr) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

// Prints numbers and texts, with an optional line end or tab behind.
class CPrintBlock : public CSinkBlock {
public:
    enum Mode { Plain = 1, LineEnd = 2, Tab = 4 };

    explicit CPrintBlock(int32_t handle) : CSinkBlock(handle, 1, nullptr) { SetParam("1"); }
    int InputType(int index) const override;
    bool SetParam(const char* text) override;
    bool EditParam() override;
    const char* GetParam() override { return Text; }
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;

    int32_t PrintMode = Plain;
    char Text[10] = {};
};

class CPutBlock : public CSinkBlock {
public:
    explicit CPutBlock(int32_t handle) : CSinkBlock(handle, 1, nullptr) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CPauseBlock : public CSinkBlock {
public:
    explicit CPauseBlock(int32_t handle) : CSinkBlock(handle, -1, nullptr) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

} // namespace quendal
