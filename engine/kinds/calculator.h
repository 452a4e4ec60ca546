// Operator kinds: number inputs, a number output, code of operands then operation.
#pragma once

#include "engine/block.h"
#include "engine/kinds/sink.h"
#include "engine/vm/opcodes.h"

namespace quendal {

class CCalculatorBlock : public CBlock {
public:
    CCalculatorBlock(int32_t handle, int16_t inputCount, const char* inputNames)
        : CBlock(handle, OutNumber, inputCount, inputNames, false) {}
    int InputType(int index) const override;
    // An operator whose value nobody uses needs no operands; otherwise all of an exact count,
    // or at least one.
    bool IsComplete() const override;
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;
    virtual void CompileOperands(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                                 NameList& fixups, int debug);
    virtual void EmitOperation(CMoltraneCompiler& compiler);
};

// One operand.
class CFxMathBlock : public CCalculatorBlock {
public:
    explicit CFxMathBlock(int32_t handle) : CCalculatorBlock(handle, -1, nullptr) {}
    void CompileOperands(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                         NameList& fixups, int debug) override;
};

// Two operands "a" and "b".
class CABMathBlock : public CCalculatorBlock {
public:
    explicit CABMathBlock(int32_t handle) : CCalculatorBlock(handle, -2, kNamesAB) {}
    void CompileOperands(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                         NameList& fixups, int debug) override;
};

// Compares numbers, times or dates, but only values of one type with each other.
class CComparatorBlock : public CABMathBlock {
public:
    explicit CComparatorBlock(int32_t handle) : CABMathBlock(handle) {}
    int InputType(int index) const override;
    bool CanConnect(const CBlock* source) const override;
};

// Up to 20 operands folded left to right by the operation.
class CCommutativBlock : public CCalculatorBlock {
public:
    explicit CCommutativBlock(int32_t handle) : CCalculatorBlock(handle, 20, nullptr) {}
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;
};

// a when c is not 0, else b.
class CValueSwitchBlock : public CCalculatorBlock {
public:
    explicit CValueSwitchBlock(int32_t handle) : CCalculatorBlock(handle, -3, kNamesABC) {}
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;
};

class CAddBlock : public CCommutativBlock {
public:
    explicit CAddBlock(int32_t handle) : CCommutativBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CSubBlock : public CABMathBlock {
public:
    explicit CSubBlock(int32_t handle) : CABMathBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CMulBlock : public CCommutativBlock {
public:
    explicit CMulBlock(int32_t handle) : CCommutativBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CDivBlock : public CABMathBlock {
public:
    explicit CDivBlock(int32_t handle) : CABMathBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CModBlock : public CABMathBlock {
public:
    explicit CModBlock(int32_t handle) : CABMathBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CNegBlock : public CFxMathBlock {
public:
    explicit CNegBlock(int32_t handle) : CFxMathBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CAbsBlock : public CFxMathBlock {
public:
    explicit CAbsBlock(int32_t handle) : CFxMathBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CSgnBlock : public CFxMathBlock {
public:
    explicit CSgnBlock(int32_t handle) : CFxMathBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

// Reads the word at index "input" of a table loaded under the block's name.
class CTabBlock : public CFxMathBlock {
public:
    static constexpr int kMaxName = 99;

    explicit CTabBlock(int32_t handle) : CFxMathBlock(handle) {}
    bool SetParam(const char* text) override;
    bool EditParam() override;
    const char* GetParam() override { return TableName; }
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;

    char TableName[kMaxName + 1] = {};
};

class CMinBlock : public CCommutativBlock {
public:
    explicit CMinBlock(int32_t handle) : CCommutativBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CMaxBlock : public CCommutativBlock {
public:
    explicit CMaxBlock(int32_t handle) : CCommutativBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CShlBlock : public CABMathBlock {
public:
    explicit CShlBlock(int32_t handle) : CABMathBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CShrBlock : public CABMathBlock {
public:
    explicit CShrBlock(int32_t handle) : CABMathBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CSqrtBlock : public CFxMathBlock {
public:
    explicit CSqrtBlock(int32_t handle) : CFxMathBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CNotBlock : public CFxMathBlock {
public:
    explicit CNotBlock(int32_t handle) : CFxMathBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CAndBlock : public CCommutativBlock {
public:
    explicit CAndBlock(int32_t handle) : CCommutativBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CNandBlock : public CCommutativBlock {
public:
    explicit CNandBlock(int32_t handle) : CCommutativBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;
};

class COrBlock : public CCommutativBlock {
public:
    explicit COrBlock(int32_t handle) : CCommutativBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CNorBlock : public CCommutativBlock {
public:
    explicit CNorBlock(int32_t handle) : CCommutativBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
    void GenerateCode(CMoltraneCompiler& compiler, CompilePath& path, NameList& labels,
                      NameList& fixups, int debug) override;
};

class CXorBlock : public CCommutativBlock {
public:
    explicit CXorBlock(int32_t handle) : CCommutativBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CLowerBlock : public CComparatorBlock {
public:
    explicit CLowerBlock(int32_t handle) : CComparatorBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CLowerSameBlock : public CComparatorBlock {
public:
    explicit CLowerSameBlock(int32_t handle) : CComparatorBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CHigherBlock : public CComparatorBlock {
public:
    explicit CHigherBlock(int32_t handle) : CComparatorBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CHigherSameBlock : public CComparatorBlock {
public:
    explicit CHigherSameBlock(int32_t handle) : CComparatorBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CEqualBlock : public CComparatorBlock {
public:
    explicit CEqualBlock(int32_t handle) : CComparatorBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CNotEqualBlock : public CComparatorBlock {
public:
    explicit CNotEqualBlock(int32_t handle) : CComparatorBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CZeroBlock : public CFxMathBlock {
public:
    explicit CZeroBlock(int32_t handle) : CFxMathBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CNotZeroBlock : public CFxMathBlock {
public:
    explicit CNotZeroBlock(int32_t handle) : CFxMathBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CLowerZeroBlock : public CFxMathBlock {
public:
    explicit CLowerZeroBlock(int32_t handle) : CFxMathBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

class CHigherZeroBlock : public CFxMathBlock {
public:
    explicit CHigherZeroBlock(int32_t handle) : CFxMathBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& compiler) override;
};

} // namespace quendal
