// Test kinds with known code and an engine that compiles them in a folder of its own.
#pragma once

#include "engine/factory.h"
#include "engine/kinds/calculator.h"
#include "engine/kinds/memory.h"
#include "engine/moltrane.h"

#include "engine/tests/scratch_directory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace compilertest {

using namespace quendal;
using Bytes = std::vector<int>;

// A statement that emits fixed bytes, or runs a hook with the compiler.
class StatementBlock : public CStandaloneBlock {
public:
    StatementBlock(int32_t handle, Bytes bytes) : CStandaloneBlock(handle), bytes_(bytes) {}
    StatementBlock(int32_t handle, std::function<void(CMoltraneCompiler&)> hook)
        : CStandaloneBlock(handle), hook_(std::move(hook)) {}
    void GenerateCode(CMoltraneCompiler& c, CompilePath&, NameList&, NameList&, int) override {
        for (int b : bytes_)
            c.Emit(static_cast<uint8_t>(b));
        if (hook_)
            hook_(c);
    }

private:
    Bytes bytes_;
    std::function<void(CMoltraneCompiler&)> hook_;
};

// A value that pushes its own byte.
class ValueBlock : public CSourceBlock {
public:
    ValueBlock(int32_t handle, uint8_t code) : CSourceBlock(handle, OutNumber), code_(code) {}
    void EmitLoad(CMoltraneCompiler& c) override { c.Emit(code_); }

private:
    uint8_t code_;
};

// A sink that emits 'P' behind its inputs.
class PrintLikeBlock : public CSinkBlock {
public:
    explicit PrintLikeBlock(int32_t handle, int16_t inputs = 1)
        : CSinkBlock(handle, inputs, nullptr) {}
    void EmitOperation(CMoltraneCompiler& c) override { c.Emit('P'); }
};

// A fold that emits '+' per operation.
class FoldBlock : public CCommutativBlock {
public:
    explicit FoldBlock(int32_t handle) : CCommutativBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& c) override { c.Emit('+'); }
};

// A two-operand operator that emits '-'.
class PairBlock : public CABMathBlock {
public:
    explicit PairBlock(int32_t handle) : CABMathBlock(handle) {}
    void EmitOperation(CMoltraneCompiler& c) override { c.Emit('-'); }
};

// A stored value: 'L' loads it, 'S' stores it.
class StoreBlock : public CMemoryBlock {
public:
    explicit StoreBlock(int32_t handle) : CMemoryBlock(handle) {}
    void EmitLoad(CMoltraneCompiler& c) override { c.Emit('L'); }
    void EmitStore(CMoltraneCompiler& c) override { c.Emit('S'); }
};

class CompilerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scratch_.made()); }

    CMoltranePage& Page(int number, const char* name = nullptr) {
        if (engine.FindPage(number) == nullptr) {
            const int last = engine.Pages.LastNode ? engine.Pages.LastNode->Key : 0;
            EXPECT_TRUE(engine.AddPage(number, last));
        }
        CMoltranePage* page = engine.FindPage(number);
        if (name != nullptr) {
            EXPECT_TRUE(engine.SetPageName(number, name));
        }
        return *page;
    }

    template <typename T, typename... Args> T* Put(int page, int number, Args&&... args) {
        const int32_t handle = page << 16 | number;
        auto* block = new T(handle, std::forward<Args>(args)...);
        Page(page).Blocks.Append(block, handle);
        return block;
    }

    // Compiles; answers the compile's result.
    int32_t Build() {
        EXPECT_EQ(engine.CompilerInit(), 1);
        return engine.Compile();
    }

    static Bytes Image(const CMoltraneCompiler& c) { return Bytes(c.Data, c.Data + c.Length); }

    static std::string CodeTxt() {
        std::ifstream in("CODE.TXT", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    static std::string Numbers(const Bytes& bytes) {
        std::string s;
        for (int b : bytes)
            s += std::to_string(b) + " ";
        return s;
    }

    Bytes Memory(int count) const {
        return Bytes(engine.Sim.memory(), engine.Sim.memory() + count);
    }

    enginetest::ScratchDirectory scratch_{"/tmp/compiler-test-XXXXXX"};
    const std::filesystem::path& dir_ = scratch_.path();
    CMoltrane engine;
};

} // namespace compilertest
