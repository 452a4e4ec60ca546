// The step loop: statuses and their values, input, pauses, errors, budget.
#include <stdexcept>

#include "engine/vm/tests/program.h"

namespace quendal::test {
namespace {

using P = Program;

class Step : public VmTest {
protected:
    uint16_t status() { return last = sim.step(), StepResultStatus(last); }
    uint16_t value() const { return StepResultValue(last); }
    StepResult last = 0;
};

TEST_F(Step, PageMarkerAndEndCarryTheLastMarker) {
    load(P().op(Op::PageMarker).word(7).end());
    EXPECT_EQ(sim.step(), MakeStepResult(StepPageMarker, 7));
    EXPECT_EQ(sim.step(), MakeStepResult(StepEnd, 7));
    EXPECT_EQ(sim.state().pc, kProgramStart);
    EXPECT_EQ(sim.step(), MakeStepResult(StepPageMarker, 7));
    sim.resetProgram();
    EXPECT_EQ(sim.lastPageMarker(), 0);
}

TEST_F(Step, PrintReturnsInTheSameStep) {
    load(P().op(Op::PageMarker).word(3).push(42).op(Op::PrintDecimal).push(1).end());
    EXPECT_EQ(status(), StepPageMarker);
    EXPECT_EQ(sim.step(), MakeStepResult(StepPrint, 3));
    EXPECT_STREQ(sim.getOutputString(), "42");
    EXPECT_EQ(status(), StepEnd);
    EXPECT_EQ(top(), 1);
}

TEST_F(Step, InputHandshake) {
    for (Op input : {Op::InputByte, Op::InputWord}) {
        load(P().op(Op::PageMarker).word(9).op(input).op(Op::PrintDecimal).end());
        EXPECT_EQ(status(), StepPageMarker);
        EXPECT_EQ(sim.step(), MakeStepResult(StepInput, 9));
        EXPECT_TRUE(sim.inputWaiting());
        EXPECT_EQ(sim.step(), MakeStepResult(StepInput, 9));
        EXPECT_EQ(sim.step(), MakeStepResult(StepInput, 9));
        sim.setInputValue(300);
        EXPECT_FALSE(sim.inputWaiting());
        EXPECT_EQ(status(), StepPrint);
        EXPECT_STREQ(sim.getOutputString(), input == Op::InputByte ? "44" : "300");
        EXPECT_EQ(status(), StepEnd);
    }
}

TEST_F(Step, ResetDropsAPendingInput) {
    load(P().op(Op::InputWord).end());
    EXPECT_EQ(status(), StepInput);
    sim.resetProgram();
    EXPECT_FALSE(sim.inputWaiting());
    EXPECT_EQ(status(), StepInput); // the program starts over and asks again
}

TEST_F(Step, WaitLoopHeadCountsOnlyAfterAConditionalJump) {
    // head: 253; b = user byte 0 == 3 ? ... ; counts up user byte 0 and loops while not 3.
    P p;
    uint16_t head = p.here();
    p.op(Op::WaitLoopHead);
    p.op(Op::PushUserByte, 0)
        .push(1)
        .op(Op::Add)
        .op(Op::SetUserByte, 0)
        .push(3)
        .op(Op::NotEqual)
        .jump(Op::JumpIfZero, 0);
    uint16_t jz = static_cast<uint16_t>(p.here() - 2);
    p.push(0).jump(Op::JumpIfZero, head);
    p.patch(jz, p.here());
    p.end();
    load(p);
    // The first pass reaches the head by falling in: no status.
    EXPECT_EQ(sim.step(), MakeStepResult(StepWaitLoop, 0));
    EXPECT_EQ(sim.getValue(MakeMapCode(MapByte, MapUserMemory, 0)), 1);
    EXPECT_EQ(status(), StepWaitLoop);
    EXPECT_EQ(sim.getValue(MakeMapCode(MapByte, MapUserMemory, 0)), 2);
    EXPECT_EQ(status(), StepEnd);
    EXPECT_EQ(sim.getValue(MakeMapCode(MapByte, MapUserMemory, 0)), 3);
}

TEST_F(Step, PausesWithAutoTiming) {
    sim.setOptions(kOptionAutoTiming);
    time.ticks = 20 * 1000;
    load(P().push(200)
             .op(Op::Pause)
             .push(3)
             .op(Op::Pause)
             .push(2)
             .op(Op::Pause)
             .op(Op::PageMarker)
             .word(1)
             .end());
    EXPECT_EQ(sim.step(), MakeStepResult(StepLongPause, 200));
    EXPECT_EQ(sim.getValue(MakeMapCode(MapWord, MapRegister, 7)), 1200);
    // Three ticks already go to the host, the clock refreshed at the step's start.
    EXPECT_EQ(sim.step(), MakeStepResult(StepLongPause, 3));
    EXPECT_EQ(sim.getValue(MakeMapCode(MapWord, MapRegister, 7)), 1003);
    EXPECT_TRUE(time.sleeps.empty());
    // Two ticks are slept inside the step, and hand back control.
    EXPECT_EQ(status(), StepWaitLoop);
    EXPECT_EQ(time.sleeps, std::vector<uint32_t>{40});
    EXPECT_EQ(sim.getValue(MakeMapCode(MapWord, MapRegister, 7)), 1002);
    EXPECT_EQ(status(), StepPageMarker);
}

TEST_F(Step, NegativePauseIsLongWithAutoTiming) {
    sim.setOptions(kOptionAutoTiming);
    load(P().push(-1).op(Op::Pause).end());
    EXPECT_EQ(sim.step(), MakeStepResult(StepLongPause, 0xFFFF));
}

TEST_F(Step, PausesTakeNoTimeWithoutAutoTiming) {
    time.ticks = 5000;
    time.clock.hour = 13;
    load(P().push(200).op(Op::Pause).push(100).op(Op::Pause).end());
    EXPECT_EQ(status(), StepEnd);
    EXPECT_TRUE(time.sleeps.empty());
    EXPECT_EQ(sim.getValue(MakeMapCode(MapWord, MapRegister, 7)), 0);
    EXPECT_EQ(sim.getValue(MakeMapCode(MapWord, MapRegister, 4)), 0);
}

TEST_F(Step, AutoTimingTakesTheHostClock) {
    sim.setOptions(kOptionAutoTiming);
    time.clock = Clock{13, 45, 30, 2, 24, 12, 26};
    time.ticks = 40 * 20 + 19;
    load(P().op(Op::PushRegister, 4).op(Op::PushRegister, 0).op(Op::PushRegister, 7).end());
    EXPECT_EQ(sim.getValue(MakeMapCode(MapByte, MapRegister, 3)), 2);
    time.ticks = 0x10000 * 20 + 60; // cut to 16 bits
    EXPECT_EQ(status(), StepEnd);
    EXPECT_EQ(entry(0), 3);
    EXPECT_EQ(entry(1), 26);
    EXPECT_EQ(entry(2), 13);
}

TEST_F(Step, LcdAndLedStatuses) {
    load(P().push('x').op(Op::LcdChar).op(Op::LedChanged).op(Op::PageMarker).word(2).end());
    EXPECT_EQ(sim.step(), MakeStepResult(StepLcdChanged, 0));
    EXPECT_EQ(sim.step(), MakeStepResult(StepLedChanged, 0));
    EXPECT_EQ(status(), StepPageMarker);
}

TEST_F(Step, ManyLcdCharactersDoNotMakeLaterStepsReportLcd) {
    // Seven times 10000 characters, then a print and a page marker.
    P p;
    uint16_t outer = p.here();
    p.push(0).op(Op::SetUserWord, 0);
    uint16_t inner = p.here();
    p.push('z').op(Op::LcdChar);
    p.op(Op::PushUserWord, 0).push(1).op(Op::Add).op(Op::SetUserWord, 0);
    p.op(Op::PushUserWord, 0).push(10000).op(Op::Less).jump(Op::JumpIfZero, 0);
    uint16_t innerExit = static_cast<uint16_t>(p.here() - 2);
    p.jump(Op::Jump, inner);
    p.patch(innerExit, p.here());
    p.op(Op::PushUserByte, 5).push(1).op(Op::Add).op(Op::SetUserByte, 5);
    p.op(Op::PushUserByte, 5).push(7).op(Op::Less).jump(Op::JumpIfZero, 0);
    uint16_t done = static_cast<uint16_t>(p.here() - 2);
    p.jump(Op::Jump, outer);
    p.patch(done, p.here());
    p.push(1).op(Op::PrintDecimal).op(Op::PageMarker).word(4).end();
    load(p);
    int lcdSteps = 0;
    while (status() == StepLcdChanged)
        ++lcdSteps;
    EXPECT_EQ(lcdSteps, 70000);
    EXPECT_EQ(sim.getLCD()->changeCount, 70000u);
    EXPECT_EQ(StepResultStatus(last), StepPrint);
    EXPECT_EQ(status(), StepPageMarker);
    EXPECT_EQ(status(), StepEnd);
}

TEST_F(Step, LoopOfShortPausesHandsBackControl) {
    sim.setOptions(kOptionAutoTiming);
    P p;
    uint16_t loop = p.here();
    p.push(1).op(Op::Pause).jump(Op::Jump, loop);
    load(p);
    EXPECT_EQ(sim.step(), MakeStepResult(StepWaitLoop, 0));
    EXPECT_EQ(time.sleeps, (std::vector<uint32_t>{20, 20}));
    EXPECT_EQ(status(), StepWaitLoop);
    EXPECT_EQ(time.sleeps.size(), 4u);
}

TEST_F(Step, DivisionByZeroRestoresTheStepStart) {
    load(P().push(5)
             .op(Op::PageMarker)
             .word(6)
             .push(1)
             .op(Op::SetUserByte, 0)
             .push(0)
             .op(Op::RandomSeed)
             .op(Op::Random)
             .push(0)
             .op(Op::Divide)
             .end());
    EXPECT_EQ(status(), StepPageMarker);
    const MachineState before = sim.state();
    EXPECT_EQ(sim.step(), MakeStepResult(StepError, 1));
    EXPECT_EQ(sim.state().pc, before.pc);
    EXPECT_EQ(sim.state().stack, before.stack);
    EXPECT_EQ(sim.state().seed, before.seed);
    // Changes other than pc, stack and seed stay.
    EXPECT_EQ(sim.getValue(MakeMapCode(MapByte, MapUserMemory, 0)), 1);
    // The same step fails again.
    EXPECT_EQ(sim.step(), MakeStepResult(StepError, 1));
}

TEST_F(Step, AddressBeyondMemoryIsError2) {
    // A jump to 8179 followed by a word operand fetch.
    P p;
    p.jump(Op::Jump, kMemorySize - 1).end();
    load(p);
    sim.memory()[kMemorySize - 1] = static_cast<uint8_t>(Op::PushWord);
    EXPECT_EQ(sim.step(), MakeStepResult(StepError, 2));
    EXPECT_EQ(sim.state().pc, kProgramStart);

    // Running off the end of memory.
    load(P().jump(Op::Jump, kMemorySize - 2));
    sim.memory()[kMemorySize - 2] = static_cast<uint8_t>(Op::Nop);
    sim.memory()[kMemorySize - 1] = static_cast<uint8_t>(Op::Nop);
    EXPECT_EQ(sim.step(), MakeStepResult(StepError, 2));

    // A table index beyond memory.
    load(P().push(5000).op(Op::TableRead).word(0).end());
    EXPECT_EQ(sim.step(), MakeStepResult(StepError, 2));
    EXPECT_EQ(top(), 0);

    // An unterminated text.
    load(P().jump(Op::Jump, kMemorySize - 3));
    sim.memory()[kMemorySize - 3] = static_cast<uint8_t>(Op::PrintText);
    sim.memory()[kMemorySize - 2] = 'a';
    sim.memory()[kMemorySize - 1] = 'b';
    EXPECT_EQ(sim.step(), MakeStepResult(StepError, 2));
}

TEST_F(Step, FailingHostServiceIsError0) {
    HostTime failing = time.host();
    failing.sleep = [](uint32_t) { throw std::runtime_error("no timer"); };
    Simulator broken{failing};
    broken.setOptions(kOptionAutoTiming);
    P p;
    p.push(3).push(2).op(Op::Pause).end();
    ASSERT_TRUE(broken.loadImage(p.bytes.data(), p.bytes.size(), 4));
    broken.resetProgram();
    EXPECT_EQ(broken.step(), MakeStepResult(StepError, 0));
    EXPECT_EQ(broken.state().pc, kProgramStart);
    EXPECT_EQ(broken.state().stack[0], 0);
}

TEST_F(Step, EndlessLoopReturnsAndContinuesExactly) {
    sim.setInstructionBudget(1000);
    // Counts user word 0 up forever.
    P p;
    uint16_t loop = p.here();
    p.op(Op::PushUserWord, 0).push(1).op(Op::Add).op(Op::SetUserWord, 0).jump(Op::Jump, loop);
    load(p);
    EXPECT_EQ(sim.step(), MakeStepResult(StepWaitLoop, 0));
    // Five instructions per turn: 1000 instructions are 200 turns.
    EXPECT_EQ(sim.getValue(MakeMapCode(MapWord, MapUserMemory, 0)), 200);
    EXPECT_EQ(sim.state().pc, loop);
    EXPECT_EQ(status(), StepWaitLoop);
    EXPECT_EQ(sim.getValue(MakeMapCode(MapWord, MapUserMemory, 0)), 400);
}

TEST_F(Step, BudgetCountsAcrossSilentEvents) {
    sim.setInstructionBudget(100);
    P p;
    uint16_t loop = p.here();
    p.push(1).op(Op::Pause).op(Op::SystemCall).word(391).jump(Op::Jump, loop);
    load(p);
    EXPECT_EQ(status(), StepWaitLoop);
}

TEST_F(Step, LedSystemCalls) {
    load(P().push(Simulator::ledSegments('A'))
             .op(Op::SystemCall)
             .word(kSysLedShiftIn)
             .push(5)
             .push(2)
             .push(3)
             .op(Op::SystemCall)
             .word(kSysLedNumber)
             .op(Op::LedChanged)
             .end());
    EXPECT_EQ(status(), StepLedChanged);
    const uint8_t* d = sim.getLED()->digits;
    std::vector<uint8_t> digits(d, d + 6);
    EXPECT_EQ(digits, (std::vector<uint8_t>{255, 130 & 0x7F, 164, 136, 255, 255}));
    EXPECT_EQ(top(), 3); // the call leaves the stack as it was
    sim.resetProgram();
    EXPECT_EQ(std::vector<uint8_t>(d, d + 6), std::vector<uint8_t>(6, 255));
}

TEST(LedDisplay, NumberFields) {
    Simulator sim{HostTime{}};
    auto digits = [&] {
        const uint8_t* d = sim.getLED()->digits;
        return std::vector<uint8_t>(d, d + 6);
    };
    sim.ledNumber(-7, 3, 0);
    EXPECT_EQ(digits(), (std::vector<uint8_t>{255, 253, 143, 255, 255, 255}));
    sim.ledReset();
    sim.ledNumber(-32768, 6, 0);
    EXPECT_EQ(digits(), (std::vector<uint8_t>{253, 133, 145, 143, 160, 128}));
    sim.ledReset();
    sim.ledNumber(0, 2, 0);
    EXPECT_EQ(digits(), (std::vector<uint8_t>{255, 130, 255, 255, 255, 255}));
    sim.ledReset();
    sim.ledNumber(-5, 4, 0); // minus once, then blanks
    EXPECT_EQ(digits(), (std::vector<uint8_t>{255, 255, 253, 164, 255, 255}));
    sim.ledNumber(1, 0, 0); // no places: nothing
    EXPECT_EQ(digits()[0], 255);
    EXPECT_EQ(Simulator::ledSegments('.'), 255);
    EXPECT_EQ(Simulator::ledSegments(0xFC), 163);
}

} // namespace
} // namespace quendal::test
