// Helpers for tests that drive the engine through its exported functions only.
#pragma once

#include "engine/include/quendal32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace coretest {

// One engine per test, destroyed at the end.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        h = MoltraneCreate();
        ASSERT_NE(h, nullptr);
    }
    void TearDown() override { MoltraneDestroy(h); }

    static BlockHandle Handle(int page, int number) {
        return static_cast<BlockHandle>(static_cast<uint32_t>(page) << 16 |
                                        static_cast<uint32_t>(number));
    }

    // Adds a block and checks that the engine took it.
    BlockHandle Add(int typeId, int page, int number) {
        const BlockHandle b = Handle(page, number);
        EXPECT_EQ(MoltraneAddBlock(h, typeId, b), 1) << "type " << typeId;
        return b;
    }

    std::string Flags(BlockHandle source, BlockHandle dest) {
        const char* f = MoltraneGetBlockInputMenuFlags(h, source, dest);
        return f != nullptr ? std::string(f) : std::string("<null>");
    }

    // Page numbers in the order the simulation image passes their markers.
    std::vector<int> PageOrder() {
        std::vector<int> order;
        EXPECT_EQ(MoltraneCompilerInit(h), 1);
        EXPECT_EQ(MoltraneCompile(h), 0) << MoltraneGetErrorMessage(h);
        EXPECT_EQ(MoltraneCompilerDone(h), 1) << MoltraneGetErrorMessage(h);
        MoltraneResetProgram(h);
        for (int guard = 0; guard < 1000; ++guard) {
            const uint32_t r = MoltraneStep(h);
            const uint32_t status = r & 0xFFFF;
            if (status == 1)
                order.push_back(static_cast<int>(r >> 16));
            else if (status == 0 || status == 0xFFFF)
                break;
        }
        return order;
    }

    EngineHandle h = nullptr;
};

} // namespace coretest
