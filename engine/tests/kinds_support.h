// Helpers for the kind tests: pages built through the exported functions, the download image
// read back from "CODE.TXT", the simulation image from the engine and programs run on the
// simulator.
#pragma once

#include "engine/include/quendal32.h"
#include "engine/moltrane.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <stdlib.h>
#include <unistd.h>

namespace kindstest {

using Bytes = std::vector<uint8_t>;

inline Bytes B(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Big-endian word operand of an address, i.e. a code position + 4.
inline Bytes Addr(int codePosition) {
    const int a = codePosition + 4;
    return B({a >> 8 & 0xFF, a & 0xFF});
}

struct RunResult {
    std::string Output;
    std::vector<uint32_t> Statuses; // every step result, in order
    bool Ended = false;
    uint16_t Error = 0; // value of a 0xFFFF step
    bool Failed = false;
};

// One engine with page 1, in a working directory of its own (each test writes "CODE.TXT").
class KindsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        home_ = cwd;
        char dir[] = "/tmp/kinds-test-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        dir_ = dir;
        ASSERT_EQ(chdir(dir), 0);
        h = MoltraneCreate();
        ASSERT_NE(h, nullptr);
        ASSERT_EQ(MoltraneAddPage(h, 1, 0), 1);
    }
    void TearDown() override {
        MoltraneDestroy(h);
        for (const char* f : {"/CODE.TXT", "/LEDSTBRD.S19", "/LEDAPPBRD.S19"})
            unlink((dir_ + f).c_str());
        EXPECT_EQ(chdir(home_.c_str()), 0);
        rmdir(dir_.c_str());
    }

    static BlockHandle Handle(int page, int number) {
        return static_cast<BlockHandle>(static_cast<uint32_t>(page) << 16 |
                                        static_cast<uint32_t>(number));
    }

    // Adds a block of the kind on page 1 (or `page`) under the next free number.
    BlockHandle Add(int typeId, int page = 1) {
        const BlockHandle b = Handle(page, ++lastNumber_);
        EXPECT_EQ(MoltraneAddBlock(h, typeId, b), 1) << "type " << typeId;
        return b;
    }
    BlockHandle Add(int typeId, const char* param, int page = 1) {
        const BlockHandle b = Add(typeId, page);
        EXPECT_TRUE(MoltraneSetBlockParam(h, b, param)) << "type " << typeId << " " << param;
        return b;
    }
    BlockHandle Const(int value, int page = 1) {
        return Add(700, std::to_string(value).c_str(), page);
    }
    void Wire(BlockHandle source, BlockHandle dest, short input = -1) {
        EXPECT_NE(MoltraneConnectBlocks(h, source, dest, input), 0)
            << source << " -> " << dest << " input " << input;
    }
    std::string Param(BlockHandle b) {
        const char* p = MoltraneGetBlockParam(h, b);
        return p != nullptr ? std::string(p) : std::string("<null>");
    }

    // LED firmware files of one byte each (0xAB starter board, 0xCD application board) in the
    // test's directory, which the engine reads them from.
    void ProvideFirmware() {
        std::ofstream("LEDSTBRD.S19") << "S1040000AB50\r\nS9030000FC\r\n";
        std::ofstream("LEDAPPBRD.S19") << "S1040000CD2E\r\n";
        h->FirmwareDirectory = dir_;
    }

    // Init, compile, done: true when all three succeed; the message of a failure in `error`.
    bool Build(std::string* error = nullptr, int* code = nullptr) {
        EXPECT_EQ(MoltraneCompilerInit(h), 1);
        const int result = MoltraneCompile(h);
        if (code != nullptr)
            *code = result;
        if (result != 0) {
            if (error != nullptr)
                *error = MoltraneGetErrorMessage(h);
            return false;
        }
        if (MoltraneCompilerDone(h) != 1) {
            if (error != nullptr)
                *error = MoltraneGetErrorMessage(h);
            return false;
        }
        return true;
    }
    void MustBuild() { ASSERT_TRUE(Build(&lastError_)) << lastError_; }
    // Builds and expects the compile to fail with this code and message.
    void ExpectBuildFails(int code, const char* message) {
        std::string error;
        int result = 0;
        EXPECT_FALSE(Build(&error, &result));
        EXPECT_EQ(result, code);
        EXPECT_EQ(error, message);
    }

    // The download image as "CODE.TXT" holds it.
    static Bytes CodeDump() {
        Bytes out;
        std::ifstream in("CODE.TXT");
        int v = 0;
        while (in >> v)
            out.push_back(static_cast<uint8_t>(v));
        return out;
    }
    // The simulation image as the simulator's memory holds it behind the header.
    Bytes SimImage() const {
        const uint8_t* m = h->Sim.memory();
        return Bytes(m + 4, m + 4 + h->SimulationCompiler.Length);
    }
    // Code of page 1 alone: the download image without its end opcode; the simulation image
    // also without the page marker. Only for projects without libraries and one page.
    Bytes DownloadBody() {
        Bytes code = CodeDump();
        EXPECT_FALSE(code.empty());
        EXPECT_EQ(code.back(), 255);
        code.pop_back();
        return code;
    }
    Bytes SimBody() {
        Bytes code = SimImage();
        EXPECT_GE(code.size(), 4u);
        EXPECT_EQ(Bytes(code.begin(), code.begin() + 3), B({254, 0, 1}));
        EXPECT_EQ(code.back(), 255);
        return Bytes(code.begin() + 3, code.end() - 1);
    }

    // Runs the program from its start until the end opcode, an error or `maxSteps` steps;
    // serial input requests take the next of `inputs`.
    RunResult Run(std::deque<int16_t> inputs = {}, int maxSteps = 10000) {
        MoltraneResetProgram(h);
        return Continue(std::move(inputs), maxSteps);
    }

    // As Run, from where the program stands: after a reset and values set by the test.
    RunResult Continue(std::deque<int16_t> inputs = {}, int maxSteps = 10000) {
        RunResult r;
        for (int i = 0; i < maxSteps; ++i) {
            const uint32_t s = MoltraneStep(h);
            r.Statuses.push_back(s);
            const uint32_t status = s & 0xFFFF;
            if (status == 3) {
                r.Output += MoltraneGetOutputString(h);
            } else if (status == 2) {
                if (inputs.empty())
                    break;
                MoltraneSetInputValue(h, inputs.front());
                inputs.pop_front();
            } else if (status == 0) {
                r.Ended = true;
                break;
            } else if (status == 0xFFFF) {
                r.Failed = true;
                r.Error = static_cast<uint16_t>(s >> 16);
                break;
            }
        }
        return r;
    }

    // Value of a watched block after a run.
    int Value(BlockHandle b) { return MoltraneGetValue(h, MoltraneGetMapCode(h, b)); }

    // A page whose statement prints the value of `source` with a line end.
    BlockHandle PrintLine(BlockHandle source, int page = 1) {
        const BlockHandle p = Add(900, "2", page);
        Wire(source, p);
        return p;
    }

    EngineHandle h = nullptr;
    int lastNumber_ = 0;
    std::string lastError_;
    std::string dir_;

private:
    std::string home_;
};

} // namespace kindstest
