// Numbered values: the port lines and the user memory as bits, bytes or words.
#pragma once

#include "engine/kinds/memory.h"
#include "engine/vm/opcodes.h"

namespace quendal {

// The number of a numbered kind: its text (at most 4 characters) and its decimal value.
struct BlockNumber {
    char Text[5] = "1";
    int32_t N = 1;
    void Set(const char* text);
};

class CExMemoryBlock : public CMemoryBlock {
public:
    CExMemoryBlock(int32_t handle, bool userBitmap, int32_t maximum, const char* prompt)
        : CMemoryBlock(handle, userBitmap), Maximum(maximum), Prompt(prompt) {}
    int InputType(int index) const override;
    // Stores the text and its number also when the number lies above the maximum.
    bool SetParam(const char* text) override;
    const char* GetParam() override { return Number.Text; }
    // The number from 1 to the maximum, offered with the prompt.
    bool EditParam() override;
    const char* GetIndexDescription() override { return GetParam(); }

    const int32_t Maximum;
    const char* const Prompt;
    BlockNumber Number;

protected:
    // The opcode with the number's index as operand; a number outside 1..maximum fails.
    void EmitNumbered(CMoltraneCompiler& compiler, Op op) const;
    // "FORMAT[n]" in this block's own buffer.
    const char* FormatName(const char* format);
    char Name[24] = {};
};

inline constexpr const char* kPortPrompt = "W\xE4hlen Sie die Portnummer aus:";
inline constexpr const char* kMemoryPrompt = "W\xE4hlen Sie die Speicherzelle aus:";

class CIOPortBlock : public CExMemoryBlock {
public:
    CIOPortBlock(int32_t handle, int32_t maximum)
        : CExMemoryBlock(handle, true, maximum, kPortPrompt) {}
};

class CBitPortBlock : public CIOPortBlock {
public:
    explicit CBitPortBlock(int32_t handle) : CIOPortBlock(handle, 16) { SetParam("1"); }
    const char* GetSymbolicName() override { return FormatName("PORT[%d]"); }
    int32_t GetMapCode() const override;
    void EmitLoad(CMoltraneCompiler& compiler) override { EmitNumbered(compiler, Op::PushPortBit); }
    void EmitStore(CMoltraneCompiler& compiler) override { EmitNumbered(compiler, Op::SetPortBit); }
};

class CBytePortBlock : public CIOPortBlock {
public:
    explicit CBytePortBlock(int32_t handle) : CIOPortBlock(handle, 2) { SetParam("1"); }
    const char* GetSymbolicName() override { return FormatName("BYTEPORT[%d]"); }
    int32_t GetMapCode() const override;
    void EmitLoad(CMoltraneCompiler& compiler) override {
        EmitNumbered(compiler, Op::PushPortByte);
    }
    void EmitStore(CMoltraneCompiler& compiler) override {
        EmitNumbered(compiler, Op::SetPortByte);
    }
};

// The whole port: no parameter, although its number text starts as "1" like the others.
class CWordPortBlock : public CIOPortBlock {
public:
    explicit CWordPortBlock(int32_t handle) : CIOPortBlock(handle, 1) {}
    bool SetParam(const char*) override { return true; }
    bool EditParam() override { return false; }
    const char* GetParam() override { return nullptr; }
    const char* GetIndexDescription() override { return nullptr; }
    const char* GetSymbolicName() override { return "WORDPORT"; }
    int32_t GetMapCode() const override;
    void EmitLoad(CMoltraneCompiler& compiler) override;
    void EmitStore(CMoltraneCompiler& compiler) override;
};

class CUserVariableBlock : public CExMemoryBlock {
public:
    CUserVariableBlock(int32_t handle, int32_t maximum)
        : CExMemoryBlock(handle, false, maximum, kMemoryPrompt) {}
};

class CUserBitBlock : public CUserVariableBlock {
public:
    explicit CUserBitBlock(int32_t handle) : CUserVariableBlock(handle, 192) { SetParam("1"); }
    const char* GetSymbolicName() override { return FormatName("BIT[%d]"); }
    int32_t GetMapCode() const override;
    void EmitLoad(CMoltraneCompiler& compiler) override { EmitNumbered(compiler, Op::PushUserBit); }
    void EmitStore(CMoltraneCompiler& compiler) override { EmitNumbered(compiler, Op::SetUserBit); }
};

class CUserByteBlock : public CUserVariableBlock {
public:
    explicit CUserByteBlock(int32_t handle) : CUserVariableBlock(handle, 24) { SetParam("1"); }
    const char* GetSymbolicName() override { return FormatName("BYTE[%d]"); }
    int32_t GetMapCode() const override;
    void EmitLoad(CMoltraneCompiler& compiler) override {
        EmitNumbered(compiler, Op::PushUserByte);
    }
    void EmitStore(CMoltraneCompiler& compiler) override {
        EmitNumbered(compiler, Op::SetUserByte);
    }
};

class CUserWordBlock : public CUserVariableBlock {
public:
    explicit CUserWordBlock(int32_t handle) : CUserVariableBlock(handle, 12) { SetParam("1"); }
    const char* GetSymbolicName() override { return FormatName("WORD[%d]"); }
    int32_t GetMapCode() const override;
    void EmitLoad(CMoltraneCompiler& compiler) override {
        EmitNumbered(compiler, Op::PushUserWord);
    }
    void EmitStore(CMoltraneCompiler& compiler) override {
        EmitNumbered(compiler, Op::SetUserWord);
    }
};

} // namespace quendal
