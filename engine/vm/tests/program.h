// Hand assembly of byte code for the tests, and a simulator with a clock the test controls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/vm/simulator.h"

namespace quendal::test {

class Program {
public:
    Program& op(Op o) {
        bytes.push_back(static_cast<uint8_t>(o));
        return *this;
    }
    Program& op(Op o, int operand) { return op(o).byte(operand); }
    Program& byte(int v) {
        bytes.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    Program& word(int v) {
        byte(static_cast<uint16_t>(v) >> 8);
        return byte(v & 0xFF);
    }
    Program& push(int v) { return op(Op::PushWord).word(v); }
    Program& jump(Op o, int target) { return op(o).word(target); }
    Program& text(const std::string& s) {
        op(Op::PrintText);
        for (char c : s)
            byte(static_cast<uint8_t>(c));
        return byte(0);
    }
    Program& end() { return op(Op::End); }
    // Memory address of the next byte.
    uint16_t here() const { return static_cast<uint16_t>(kProgramStart + bytes.size()); }
    // Sets the word operand whose first byte lies at memory address at.
    void patch(uint16_t at, int value) {
        bytes[at - kProgramStart] = static_cast<uint8_t>(static_cast<uint16_t>(value) >> 8);
        bytes[at - kProgramStart + 1] = static_cast<uint8_t>(value);
    }

    std::vector<uint8_t> bytes;
};

// Time that stands still unless the test moves it; sleeps are recorded, never slept.
struct FakeTime {
    uint32_t ticks = 0;
    Clock clock{};
    std::vector<uint32_t> sleeps;

    HostTime host() {
        HostTime t;
        t.tickCount = [this] { return ticks; };
        t.localTime = [this] { return clock; };
        t.sleep = [this](uint32_t ms) { sleeps.push_back(ms); };
        return t;
    }
};

class VmTest : public ::testing::Test {
protected:
    FakeTime time;
    Simulator sim{time.host()};

    // Loads the program as both images (code length = its size) and resets the unit.
    void load(const Program& p) { load(p, static_cast<uint16_t>(p.bytes.size())); }
    void load(const Program& p, uint16_t codeLength) {
        ASSERT_TRUE(sim.loadImage(p.bytes.data(), p.bytes.size(), codeLength));
        sim.resetProgram();
    }
    // Steps until the end of the program or an error, collecting printed text; answers the
    // last result.
    StepResult runToEnd(int maxSteps = 10000) {
        for (int i = 0; i < maxSteps; ++i) {
            StepResult r = sim.step();
            uint16_t status = StepResultStatus(r);
            if (status == StepPrint)
                printed += sim.getOutputString();
            if (status == StepEnd || status == StepError || status == StepInput)
                return r;
        }
        ADD_FAILURE() << "program did not end";
        return MakeStepResult(StepError, 0xEEEE);
    }
    // Runs p to its end and answers the top of the stack.
    int16_t eval(Program p) {
        load(p.end());
        EXPECT_EQ(StepResultStatus(runToEnd()), StepEnd);
        return top();
    }
    int16_t top() const { return sim.state().stack[0]; }
    int16_t entry(int i) const { return sim.state().stack[i]; }

    std::string printed;
};

} // namespace quendal::test
