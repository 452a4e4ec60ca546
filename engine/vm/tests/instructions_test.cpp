// Instruction effects, run from loaded byte code.
#include "engine/vm/tests/program.h"

namespace quendal::test {
namespace {

using P = Program;

class Instructions : public VmTest {
protected:
    uint32_t PortDirection() const { return static_cast<uint32_t>(sim.getPortState()) >> 16; }
    int16_t binary(Op op, int a, int b) { return eval(P().push(a).push(b).op(op)); }
    int16_t unary(Op op, int b) { return eval(P().push(b).op(op)); }
};

TEST_F(Instructions, Arithmetic) {
    EXPECT_EQ(binary(Op::Subtract, 5, 3), 2);
    EXPECT_EQ(binary(Op::Add, 32767, 1), -32768);
    EXPECT_EQ(binary(Op::Multiply, 300, 300), static_cast<int16_t>(90000 & 0xFFFF));
    EXPECT_EQ(binary(Op::Divide, -7, 2), -3);
    EXPECT_EQ(binary(Op::Remainder, -7, 2), -1);
    EXPECT_EQ(binary(Op::Remainder, 7, -2), 1);
    EXPECT_EQ(binary(Op::Divide, -32768, -1), -32768);
    EXPECT_EQ(unary(Op::Negate, -32768), -32768);
    EXPECT_EQ(unary(Op::Negate, 5), -5);
    EXPECT_EQ(unary(Op::Abs, -9), 9);
    EXPECT_EQ(binary(Op::Max, -3, 2), 2);
    EXPECT_EQ(binary(Op::Min, -3, 2), -3);
    EXPECT_EQ(unary(Op::Sign, -300), -1);
    EXPECT_EQ(unary(Op::Sign, 0), 0);
    EXPECT_EQ(unary(Op::Sign, 12), 1);
}

TEST_F(Instructions, SquareRoot) {
    EXPECT_EQ(unary(Op::Sqrt, 10), 3);
    EXPECT_EQ(unary(Op::Sqrt, -4), 0);
    EXPECT_EQ(unary(Op::Sqrt, 0), 0);
    EXPECT_EQ(unary(Op::Sqrt, 1), 1);
    EXPECT_EQ(unary(Op::Sqrt, 32767), 181);
    EXPECT_EQ(unary(Op::Sqrt, 10000), 100);
}

TEST_F(Instructions, ShiftsAndLogic) {
    EXPECT_EQ(binary(Op::ShiftRight, 7, 2), 1);
    EXPECT_EQ(binary(Op::ShiftRight, -8, 1), -4);
    EXPECT_EQ(binary(Op::ShiftRight, -8, 20), -1);
    EXPECT_EQ(binary(Op::ShiftLeft, 1, 16), 0);
    EXPECT_EQ(binary(Op::ShiftLeft, 1, 15), -32768);
    EXPECT_EQ(binary(Op::ShiftLeft, 3, 0x102), 12); // only the low byte counts
    EXPECT_EQ(binary(Op::ShiftLeft, 1, 33), 2);     // count taken modulo 32
    EXPECT_EQ(unary(Op::Not, 0), -1);
    EXPECT_EQ(binary(Op::And, 0x0FF0, 0x00FF), 0x00F0);
    EXPECT_EQ(binary(Op::Nand, 0x0FF0, 0x00FF), static_cast<int16_t>(~0x00F0));
    EXPECT_EQ(binary(Op::Or, 0x0F00, 0x00F0), 0x0FF0);
    EXPECT_EQ(binary(Op::Nor, 0x0F00, 0x00F0), static_cast<int16_t>(~0x0FF0));
    EXPECT_EQ(binary(Op::Xor, 0x0FF0, 0x00FF), 0x0F0F);
}

TEST_F(Instructions, ComparisonsGiveMinusOneOrZero) {
    EXPECT_EQ(binary(Op::Greater, 5, 3), -1);
    EXPECT_EQ(binary(Op::Greater, -5, 3), 0);
    EXPECT_EQ(binary(Op::GreaterEqual, 3, 3), -1);
    EXPECT_EQ(binary(Op::Less, -5, 3), -1);
    EXPECT_EQ(binary(Op::LessEqual, 4, 3), 0);
    EXPECT_EQ(binary(Op::Equal, 4, 4), -1);
    EXPECT_EQ(binary(Op::NotEqual, 4, 4), 0);
}

TEST_F(Instructions, PushDropsTheSeventhAndPopKeepsIt) {
    P p;
    for (int v = 1; v <= 9; ++v)
        p.push(v);
    eval(p);
    for (int i = 0; i < kStackDepth; ++i)
        EXPECT_EQ(entry(i), 9 - i) << i;

    // 1..7 pushed: stack 7 6 5 4 3 2 1; add gives 13 and the deeper entries move up,
    // the last keeping its value.
    P q;
    for (int v = 1; v <= 7; ++v)
        q.push(v);
    eval(q.op(Op::Add));
    std::array<int16_t, kStackDepth> expected{13, 5, 4, 3, 2, 1, 1};
    EXPECT_EQ(sim.state().stack, expected);

    eval(P().push(4).push(5).op(Op::ClearStack));
    for (int i = 0; i < kStackDepth; ++i)
        EXPECT_EQ(entry(i), 0);
}

TEST_F(Instructions, JumpsTestTheTopWithoutPopping) {
    // b = 0: the jump skips the push of 99 and b stays.
    P p;
    p.push(0);
    p.op(Op::JumpIfZero);
    uint16_t operand = p.here();
    p.word(0).push(99);
    p.patch(operand, p.here());
    EXPECT_EQ(eval(p), 0);

    P q;
    q.push(1);
    q.op(Op::JumpIfZero);
    operand = q.here();
    q.word(0).push(99);
    q.patch(operand, q.here());
    EXPECT_EQ(eval(q), 99);
    EXPECT_EQ(entry(1), 1);

    P r;
    r.op(Op::Jump);
    operand = r.here();
    r.word(0).push(5);
    r.patch(operand, r.here());
    r.push(6);
    EXPECT_EQ(eval(r), 6);
    EXPECT_EQ(entry(1), 0);
}

// Five nested gosubs: the fifth return address is dropped and only four returns come back;
// a return with every slot free does nothing.
TEST_F(Instructions, GosubStackHoldsFourReturns) {
    P p;
    p.op(Op::Gosub);
    uint16_t call = p.here();
    p.word(0).op(Op::Return).push(10).end();
    // Routine k (1..4) calls routine k+1, then pushes k; routine 5 pushes 100.
    for (int k = 1; k <= 5; ++k) {
        p.patch(call, p.here());
        if (k < 5) {
            p.op(Op::Gosub);
            call = p.here();
            p.word(0).push(k).op(Op::Return);
        } else {
            p.push(100).op(Op::Return);
        }
    }
    load(p);
    EXPECT_EQ(StepResultStatus(runToEnd()), StepEnd);
    std::vector<int16_t> stack(sim.state().stack.begin(), sim.state().stack.begin() + 5);
    EXPECT_EQ(stack, (std::vector<int16_t>{10, 1, 2, 3, 100}));
    EXPECT_EQ(sim.state().gosub, (std::array<uint16_t, kGosubDepth>{}));
}

TEST_F(Instructions, UserMemoryOverlays) {
    // Word 1 := 0x1234 lies in bytes 2 (low) and 3 (high); bit 17 is bit 1 of byte 2.
    eval(P().push(0x1234)
             .op(Op::SetUserWord, 1)
             .op(Op::PushUserByte, 2)
             .op(Op::PushUserByte, 3)
             .op(Op::PushUserBit, 18)
             .op(Op::PushUserBit, 17));
    EXPECT_EQ(entry(0), 0);  // 0x34 bit 1 clear
    EXPECT_EQ(entry(1), -1); // 0x34 bit 2 set
    EXPECT_EQ(entry(2), 0x12);
    EXPECT_EQ(entry(3), 0x34);

    eval(P().push(1)
             .op(Op::SetUserBit, 191)
             .push(0x1FF)
             .op(Op::SetUserByte, 0)
             .op(Op::PushUserWord, 11)
             .op(Op::PushUserWord, 0));
    EXPECT_EQ(entry(0), 0xFF);
    EXPECT_EQ(entry(1), static_cast<int16_t>(0x8000));

    eval(
        P().push(-1).op(Op::SetUserWord, 5).push(0).op(Op::SetUserBit, 80).op(Op::PushUserWord, 5));
    EXPECT_EQ(top(), static_cast<int16_t>(0xFFFE));
}

TEST_F(Instructions, UserCompareAndCountJumps) {
    // 74: push user byte n, jump when it equals the value below (no pop).
    P p;
    p.push(7).op(Op::SetUserByte, 3).push(7);
    p.op(Op::PushUserByteJumpEq).byte(3);
    uint16_t operand = p.here();
    p.word(0).push(99);
    p.patch(operand, p.here());
    eval(p);
    EXPECT_EQ(entry(0), 7);
    EXPECT_EQ(entry(1), 7);

    // 77: add, store in user word, jump; used as a counting loop to 5.
    P q;
    q.push(0).op(Op::SetUserWord, 2);
    uint16_t loop = q.here();
    q.push(5).op(Op::PushUserWordJumpEq).byte(2);
    uint16_t exit = q.here();
    q.word(0).push(1).op(Op::AddStoreWordJump).byte(2).word(loop);
    q.patch(exit, q.here());
    eval(q);
    EXPECT_EQ(sim.getValue(MakeMapCode(MapWord, MapUserMemory, 2)), 5);

    eval(P().push(250)
             .push(10)
             .op(Op::AddStoreByteJump)
             .byte(4)
             .word(P().here() + 12)
             .push(1)
             .op(Op::PushUserByte, 4));
    EXPECT_EQ(top(), 4); // 260 in a byte
}

TEST_F(Instructions, PortsAndDirections) {
    sim.setInitialPortState(0x0003);
    eval(P().op(Op::PushPortBit, 1)
             .op(Op::PushPortBit, 2)
             .op(Op::PushPortBit, 33)
             .op(Op::PushPortBit, 17));
    EXPECT_EQ(entry(0), 0);  // bit 17 does not exist
    EXPECT_EQ(entry(1), -1); // 33 is bit 1
    EXPECT_EQ(entry(2), 0);
    EXPECT_EQ(entry(3), -1);

    eval(P().push(0x100)
             .op(Op::SetPortBit, 4)
             .push(1)
             .op(Op::SetPortBit, 5)
             .push(1)
             .op(Op::SetPortBit, 20));
    EXPECT_EQ(sim.getPortState(), (0x0030 << 16) | 0x0023);

    eval(P().push(0x1AB)
             .op(Op::SetPortByte, 7)
             .op(Op::PushPortByte, 1)
             .op(Op::PushPortByte, 0)
             .op(Op::PushPortByte, 2)
             .op(Op::PushPort));
    EXPECT_EQ(entry(0), static_cast<int16_t>(0xAB03));
    EXPECT_EQ(entry(1), 0);
    EXPECT_EQ(entry(2), 3);
    EXPECT_EQ(entry(3), 0xAB);
    EXPECT_EQ(PortDirection(), 0xFF00);

    eval(P().push(0x8001)
             .op(Op::SetPort)
             .op(Op::TogglePortBit, 0)
             .op(Op::TogglePortBit, 1)
             .op(Op::ClearDirectionBit, 15)
             .op(Op::ClearDirectionByte, 0));
    EXPECT_EQ(sim.getPortState(), static_cast<int32_t>(0x7F00u << 16 | 0x8002));

    eval(P().op(Op::SetDirectionBit, 3).op(Op::SetDirectionBit, 12).op(Op::ClearDirectionByte, 1));
    EXPECT_EQ(PortDirection(), 0x0008);
    eval(P().push(1).op(Op::SetPort).op(Op::ClearDirections));
    EXPECT_EQ(PortDirection(), 0);
}

TEST_F(Instructions, AnalogChannels) {
    load(P().op(Op::PushAdc, 7).op(Op::PushAdc, 0).push(0x1C8).op(Op::SetDac, 1).end());
    sim.setADC(7, 200);
    sim.setADC(0, 3);
    runToEnd();
    EXPECT_EQ(entry(2), 200);
    EXPECT_EQ(entry(1), 3);
    EXPECT_EQ(sim.getDAC(1), 0xC8);
    EXPECT_EQ(sim.getDAC(0), 0);
}

TEST_F(Instructions, SystemRegisters) {
    eval(P().push(0x163)
             .op(Op::SetRegister, 0)
             .push(12)
             .op(Op::SetRegister, 1)
             .push(500)
             .op(Op::SetRegister, 8)
             .push(77)
             .op(Op::SetRegister, 7)
             .op(Op::PushRegister, 0)
             .op(Op::PushRegister, 1)
             .op(Op::PushRegister, 8)
             .op(Op::PushRegister, 10)
             .op(Op::PushRegister, 13)
             .op(Op::PushRegister, 7));
    EXPECT_EQ(entry(0), 0);  // timer not writable by the program
    EXPECT_EQ(entry(1), 12); // tone, 10 and 13 push nothing
    EXPECT_EQ(entry(2), 0x63);
    EXPECT_EQ(sim.getValue(MakeMapCode(MapWord, MapRegister, 8)), 500);
}

TEST_F(Instructions, RandomGenerator) {
    eval(P().push(0).op(Op::RandomSeed).op(Op::Random));
    EXPECT_EQ(top(), -4944); // 1808 * 251 mod 65536
    EXPECT_EQ(entry(1), 0);

    // Seed 0 takes the timer when it runs.
    load(P().push(0).op(Op::RandomSeed).op(Op::Random).op(Op::Random).end());
    ASSERT_TRUE(sim.setValue(MakeMapCode(MapWord, MapRegister, 7), 3));
    runToEnd();
    EXPECT_EQ(entry(1), 753);
    EXPECT_EQ(entry(0), static_cast<int16_t>(753 * 251));

    // The sequence goes on across a reset.
    load(P().op(Op::Random).end());
    runToEnd();
    EXPECT_EQ(top(), static_cast<int16_t>(static_cast<uint16_t>(753 * 251) * 251));
}

TEST_F(Instructions, TableReadKeepsTheIndex) {
    P p;
    p.push(2).op(Op::TableRead);
    uint16_t operand = p.here();
    p.word(0).end();
    p.patch(operand, p.here());
    p.word(10).word(-20).word(0x1234);
    load(p);
    runToEnd();
    EXPECT_EQ(entry(0), 0x1234);
    EXPECT_EQ(entry(1), 2);
}

TEST_F(Instructions, SkippedOperands) {
    EXPECT_EQ(eval(P().push(1)
                       .op(Op::SkipByte, 20)
                       .op(Op::SkipBaud, 219)
                       .op(Op::SkipByte2, 20)
                       .op(Op::SkipWord)
                       .word(0x1400)
                       .op(Op::Nop)
                       .op(Op::SystemCall)
                       .word(5)),
              1);
    EXPECT_EQ(eval(P().op(Op::PushTrue).byte(19).op(Op::PushTrue2)), -1);
    EXPECT_EQ(entry(1), -1);
}

TEST_F(Instructions, DecimalPrint) {
    for (auto [value, text] : std::vector<std::pair<int, std::string>>{{0, "0"},
                                                                       {-305, "-305"},
                                                                       {1000, "1000"},
                                                                       {-32768, "-32768"},
                                                                       {32767, "32767"},
                                                                       {7, "7"}}) {
        printed.clear();
        eval(P().push(value).op(Op::PrintDecimal));
        EXPECT_EQ(printed, text);
    }
}

TEST_F(Instructions, PrintBufferHoldsAtMost255Characters) {
    P p;
    for (int i = 0; i < 30; ++i)
        p.text("0123456789");
    load(p.end());
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(StepResultStatus(sim.step()), StepPrint);
    std::string text = sim.getOutputString();
    EXPECT_EQ(text.size(), 255u);
    EXPECT_EQ(text.substr(250), "01234");
    EXPECT_STREQ(sim.getOutputString(), "");

    eval(P().push(0x141).op(Op::PrintChar).text("b\xFC"));
    EXPECT_EQ(printed, "Ab\xFC");
}

TEST_F(Instructions, LcdDebugOpcodes) {
    load(P().push('A')
             .op(Op::LcdChar)
             .op(Op::LcdSecondLine)
             .push('B')
             .op(Op::LcdChar)
             .op(Op::LcdFirstLine)
             .push('C')
             .op(Op::LcdChar)
             .end());
    EXPECT_EQ(sim.getLCD()->text[0], 0xFF);
    EXPECT_EQ(sim.getLCD()->text[40], ' ');
    runToEnd();
    const LcdTextBuffer* lcd = sim.getLCD();
    EXPECT_EQ(lcd->text[0], 'C');
    EXPECT_EQ(lcd->text[32], 'B');
    EXPECT_EQ(lcd->text[1], 0xFF);
    EXPECT_EQ(lcd->changeCount, 3u);
    EXPECT_EQ(lcd->writePosition, 1);
    EXPECT_EQ(static_cast<const void*>(lcd), static_cast<const void*>(lcd->text));
}

TEST_F(Instructions, LcdWritePositionWraps) {
    P p;
    p.op(Op::LcdSecondLine);
    for (int i = 0; i < 33; ++i)
        p.push('a' + i % 26).op(Op::LcdChar);
    load(p.end());
    runToEnd();
    EXPECT_EQ(sim.getLCD()->text[63], 'a' + 31 % 26);
    EXPECT_EQ(sim.getLCD()->text[0], 'a' + 32 % 26);
    EXPECT_EQ(sim.getLCD()->writePosition, 1);
}

} // namespace
} // namespace quendal::test
