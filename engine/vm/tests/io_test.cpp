// Data file, value access by map code, host accessors and reset.
#include "engine/vm/tests/program.h"

namespace quendal::test {
namespace {

using P = Program;

int32_t Code(uint8_t kind, uint8_t area, uint16_t index) {
    return MakeMapCode(kind, area, index);
}

class DataFile : public VmTest {
protected:
    std::vector<int16_t> dump() const {
        std::vector<int16_t> words(static_cast<std::size_t>(sim.getFileLength()));
        sim.dumpFile(words.data());
        return words;
    }
    P writer(std::initializer_list<int> values) {
        P p;
        p.op(Op::FileOp, 2);
        for (int v : values)
            p.push(v).op(Op::FileOp, 5);
        return p;
    }
};

TEST_F(DataFile, WriteCloseReadBack) {
    P p = writer({7, 9});
    p.op(Op::FileOp, 4).op(Op::FileOp, 1).op(Op::FileOp, 6).op(Op::FileOp, 6).op(Op::FileEnd);
    load(p.end());
    // Each write changes the length; open-empty on an empty file does not.
    EXPECT_EQ(StepResultStatus(sim.step()), StepFileChanged);
    EXPECT_EQ(sim.getFileLength(), 1);
    EXPECT_EQ(StepResultStatus(sim.step()), StepFileChanged);
    EXPECT_EQ(dump(), (std::vector<int16_t>{7, 9}));
    EXPECT_EQ(StepResultStatus(sim.step()), StepEnd);
    EXPECT_EQ(entry(0), -1);
    EXPECT_EQ(entry(1), 9);
    EXPECT_EQ(entry(2), 7);
    EXPECT_EQ(sim.getValue(Code(MapWord, MapRegister, 12)), 4);
}

TEST_F(DataFile, WordsAreStoredHighByteFirstBehindTheCode) {
    P p = writer({0x1234});
    load(p.end());
    runToEnd();
    uint16_t base = static_cast<uint16_t>(kHeaderSize + p.bytes.size());
    EXPECT_EQ(sim.memory()[base], 0x12);
    EXPECT_EQ(sim.memory()[base + 1], 0x34);
}

TEST_F(DataFile, ClosedFileSurvivesAReset) {
    P p = writer({-5, 300, 1});
    load(p.op(Op::FileOp, 4).end());
    runToEnd();
    EXPECT_EQ(sim.memory()[2] << 8 | sim.memory()[3], 6);
    sim.resetProgram();
    EXPECT_EQ(sim.getFileLength(), 0);
    EXPECT_EQ(sim.getValue(Code(MapWord, MapRegister, 12)), 0);

    // Reopen to read in the same memory (the program is not reloaded), then to append.
    P reader;
    reader.op(Op::FileOp, 1)
        .op(Op::FileOp, 6)
        .op(Op::FileOp, 6)
        .op(Op::FileOp, 6)
        .op(Op::FileEnd)
        .op(Op::FileOp, 3)
        .push(8)
        .op(Op::FileOp, 5)
        .end();
    std::copy(reader.bytes.begin(), reader.bytes.end(), sim.memory() + kProgramStart);
    // The reader is shorter than the writer, so its code stays below the file.
    ASSERT_LT(reader.bytes.size(), p.bytes.size());
    sim.resetProgram();
    EXPECT_EQ(StepResultStatus(sim.step()), StepFileChanged); // open keeping 6 bytes
    EXPECT_EQ(StepResultStatus(sim.step()), StepFileChanged); // the append
    EXPECT_EQ(entry(1), -1);
    EXPECT_EQ(entry(2), 1);
    EXPECT_EQ(entry(3), 300);
    EXPECT_EQ(entry(4), -5);
    EXPECT_EQ(dump(), (std::vector<int16_t>{-5, 300, 1, 8}));
}

TEST_F(DataFile, WriteInTheMiddleEndsTheFile) {
    P p = writer({1, 2, 3});
    p.op(Op::FileOp, 4).op(Op::FileOp, 1).op(Op::FileOp, 6).push(9).op(Op::FileOp, 5);
    load(p.end());
    runToEnd();
    EXPECT_EQ(dump(), (std::vector<int16_t>{1, 9}));
}

// The header's code length is the download image's, shorter than the simulation image; the
// file must start behind the simulation image, not inside it.
TEST_F(DataFile, NeverOverwritesTheSimulationCode) {
    P p = writer({0x0102, 0x0304});
    p.op(Op::FileOp, 4);
    for (int i = 0; i < 20; ++i)
        p.op(Op::Nop);
    p.end();
    std::vector<uint8_t> image = p.bytes;
    load(p, 2);
    runToEnd();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), sim.memory() + kProgramStart));
    EXPECT_EQ(dump(), (std::vector<int16_t>{0x0102, 0x0304}));
    const int base = kHeaderSize + static_cast<int>(image.size());
    EXPECT_EQ(sim.memory()[base + 2], 3);
    EXPECT_EQ(sim.getValue(Code(MapWord, MapRegister, 11)),
              (static_cast<int>(kMemorySize) - base - 4) / 2);
    // A code length beyond the image moves the file further back.
    load(writer({5}).end(), 1000);
    runToEnd();
    EXPECT_EQ(sim.memory()[kHeaderSize + 1000 + 1], 5);
}

// A program that writes before any open (a write block without an open block) must still land
// in the file area, not on the header and the code.
TEST_F(DataFile, WriteWithoutOpenStaysBehindTheCode) {
    P p;
    for (int v : {0x1111, 0x2222, 0x3333, 0x4444})
        p.push(v).op(Op::FileOp, 5);
    p.end();
    const std::vector<uint8_t> image = p.bytes;
    load(p);
    const uint8_t header[2] = {sim.memory()[0], sim.memory()[1]};
    EXPECT_EQ(StepResultStatus(runToEnd()), StepEnd);
    EXPECT_EQ(sim.memory()[0], header[0]);
    EXPECT_EQ(sim.memory()[1], header[1]);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), sim.memory() + kProgramStart));
    EXPECT_EQ(dump(), (std::vector<int16_t>{0x1111, 0x2222, 0x3333, 0x4444}));
    // Run again: the same code, so the same result.
    sim.resetProgram();
    EXPECT_EQ(StepResultStatus(runToEnd()), StepEnd);
    EXPECT_EQ(dump(), (std::vector<int16_t>{0x1111, 0x2222, 0x3333, 0x4444}));
    // A longer image loaded and run without a reset moves the file area behind it as well.
    P longer;
    for (int i = 0; i < 40; ++i)
        longer.op(Op::Nop);
    longer.push(0x5555).op(Op::FileOp, 5).end();
    ASSERT_TRUE(sim.loadImage(longer.bytes.data(), longer.bytes.size(),
                              static_cast<uint16_t>(longer.bytes.size())));
    EXPECT_EQ(StepResultStatus(runToEnd()), StepEnd);
    EXPECT_TRUE(std::equal(longer.bytes.begin(), longer.bytes.end(), sim.memory() + kProgramStart));
    EXPECT_EQ(dump(), (std::vector<int16_t>{0x5555}));
}

TEST_F(DataFile, FullMemoryIsError2AndKeepsTheWrittenWords) {
    P p;
    p.op(Op::FileOp, 2);
    uint16_t loop = p.here();
    p.push(0x55AA).op(Op::FileOp, 5).jump(Op::Jump, loop);
    load(p);
    const int capacity =
        (static_cast<int>(kMemorySize) - kHeaderSize - static_cast<int>(p.bytes.size())) / 2;
    StepResult r = 0;
    int steps = 0;
    while (StepResultStatus(r = sim.step()) == StepFileChanged)
        ++steps;
    EXPECT_EQ(r, MakeStepResult(StepError, 2));
    EXPECT_EQ(steps, capacity);
    EXPECT_EQ(sim.getFileLength(), capacity);
    EXPECT_EQ(sim.getValue(Code(MapWord, MapRegister, 11)), 0);
    EXPECT_EQ(sim.state().pc, loop + 5); // where the failed step began, behind the last write
}

TEST_F(DataFile, BrokenHeaderLengthIsNeverReadPastMemory) {
    load(P().op(Op::FileOp, 1).end());
    sim.memory()[2] = 0xFF;
    sim.memory()[3] = 0xFE;
    runToEnd();
    EXPECT_EQ(sim.getFileLength(), 0x7FFF);
    std::vector<int16_t> words(0x7FFF, -1);
    sim.dumpFile(words.data());
    EXPECT_EQ(words.back(), 0);
    EXPECT_EQ(sim.getValue(Code(MapWord, MapRegister, 11)), 0);
}

class ValueAccess : public VmTest {};

TEST_F(ValueAccess, UserMemory) {
    EXPECT_TRUE(sim.setValue(Code(MapWord, MapUserMemory, 3), -2));
    EXPECT_EQ(sim.getValue(Code(MapWord, MapUserMemory, 3)), 0xFFFE);
    EXPECT_EQ(sim.getValue(Code(MapByte, MapUserMemory, 6)), 0xFE);
    EXPECT_EQ(sim.getValue(Code(MapBit, MapUserMemory, 48)), 0);
    EXPECT_EQ(sim.getValue(Code(MapBit, MapUserMemory, 49)), -1);
    EXPECT_FALSE(sim.setValue(Code(MapByte, MapUserMemory, 3), 256));
    EXPECT_FALSE(sim.setValue(Code(MapByte, MapUserMemory, 3), -1));
    EXPECT_FALSE(sim.setValue(Code(MapBit, MapUserMemory, 3), 2));
    EXPECT_EQ(sim.getValue(Code(MapByte, MapUserMemory, 3)), 0);
    // Bit 263 lies outside the area; its low byte would name bit 7.
    EXPECT_FALSE(sim.setValue(Code(MapBit, MapUserMemory, 0x107), 1));
    EXPECT_EQ(sim.getValue(Code(MapByte, MapUserMemory, 0)), 0);
}

TEST_F(ValueAccess, IndicesOutsideTheirAreaAnswerZeroAndFalse) {
    const MachineState before = sim.state();
    EXPECT_FALSE(sim.setValue(Code(MapWord, MapUserMemory, 12), 5));
    EXPECT_FALSE(sim.setValue(Code(MapByte, MapUserMemory, 24), 5));
    EXPECT_FALSE(sim.setValue(Code(MapBit, MapUserMemory, 192), 1));
    EXPECT_FALSE(sim.setValue(Code(MapByte, MapPort, 2), 5));
    EXPECT_FALSE(sim.setValue(Code(MapBit, MapPort, 16), 1));
    EXPECT_FALSE(sim.setValue(Code(MapWord, MapAdc, 8), 5));
    EXPECT_FALSE(sim.setValue(Code(MapWord, MapDac, 2), 5));
    EXPECT_FALSE(sim.setValue(Code(MapWord, MapRegister, 13), 5));
    EXPECT_TRUE(before == sim.state());
    for (int32_t code : {Code(MapWord, MapUserMemory, 12), Code(MapByte, MapUserMemory, 200),
                         Code(MapBit, MapUserMemory, 255), Code(MapWord, MapAdc, 0xFFFF),
                         Code(MapWord, MapDac, 2), Code(MapWord, MapRegister, 10),
                         Code(MapWord, MapRegister, 99), Code(MapWord, 9, 0), Code(7, 1, 0)})
        EXPECT_EQ(sim.getValue(code), 0) << std::hex << code;
}

TEST_F(ValueAccess, Ports) {
    EXPECT_TRUE(sim.setValue(Code(MapWord, MapPort, 0), static_cast<int16_t>(0x8001)));
    EXPECT_EQ(sim.getValue(Code(MapWord, MapPort, 0)), 0x8001);
    EXPECT_EQ(sim.getValue(Code(MapBit, MapPort, 15)), 1);
    EXPECT_EQ(sim.getValue(Code(MapBit, MapPort, 14)), 0);
    EXPECT_FALSE(sim.setValue(Code(MapBit, MapPort, 3), 2));
    EXPECT_FALSE(sim.setValue(Code(MapBit, MapPort, 35), 1)); // not line 3
    EXPECT_EQ(sim.getValue(Code(MapBit, MapPort, 35)), 0);
    EXPECT_TRUE(sim.setValue(Code(MapBit, MapPort, 3), 1));
    EXPECT_TRUE(sim.setValue(Code(MapByte, MapPort, 1), 0x42));
    EXPECT_EQ(sim.getValue(Code(MapByte, MapPort, 1)), 0x42);
    EXPECT_EQ(sim.getValue(Code(MapByte, MapPort, 0)), 0x09);
    EXPECT_EQ(sim.getPortState(), 0x4209); // directions stay inputs
}

TEST_F(ValueAccess, AnalogAndRegisters) {
    EXPECT_TRUE(sim.setValue(Code(MapWord, MapAdc, 7), 0x1FF));
    EXPECT_EQ(sim.getADC(7), 0xFF);
    EXPECT_EQ(sim.getValue(Code(MapBit, MapAdc, 7)), 0xFF);
    EXPECT_TRUE(sim.setValue(Code(MapWord, MapDac, 1), 77));
    EXPECT_EQ(sim.getDAC(1), 77);
    EXPECT_TRUE(sim.setValue(Code(MapByte, MapRegister, 0), 99));
    EXPECT_EQ(sim.getValue(Code(MapByte, MapRegister, 0)), 99);
    EXPECT_TRUE(sim.setValue(Code(MapByte, MapRegister, 0), 126));
    EXPECT_EQ(sim.getValue(Code(MapByte, MapRegister, 0)), 26);
    EXPECT_TRUE(sim.setValue(Code(MapWord, MapRegister, 9), -1));
    EXPECT_EQ(sim.getValue(Code(MapWord, MapRegister, 9)), 0xFFFF);
    EXPECT_TRUE(sim.setValue(Code(MapWord, MapRegister, 12), 40)); // read-only
    EXPECT_EQ(sim.getValue(Code(MapWord, MapRegister, 12)), 0);
    // The program sees what the host wrote.
    load(P().op(Op::PushRegister, 9).op(Op::PushRegister, 5).end());
    sim.setValue(Code(MapByte, MapRegister, 5), 59);
    sim.setValue(Code(MapWord, MapRegister, 9), 1234);
    runToEnd();
    EXPECT_EQ(entry(0), 59);
    EXPECT_EQ(entry(1), 1234);
}

TEST_F(ValueAccess, HostAccessorsStayInRange) {
    const MachineState before = sim.state();
    sim.setADC(8, 1);
    sim.setADC(0xFFFF, 1);
    sim.setPort(20, 1);
    EXPECT_TRUE(before == sim.state());
    EXPECT_EQ(sim.getADC(8), 0);
    EXPECT_EQ(sim.getDAC(2), 0);
    EXPECT_EQ(sim.getDAC(0xFFFF), 0);

    sim.setPort(3, 1);
    sim.setPort(35, 1); // line & 31
    EXPECT_EQ(sim.getPortState(), 0x0008);
    sim.setPort(3, 0x100); // only the low byte of the level counts
    EXPECT_EQ(sim.getPortState(), 0);
}

TEST_F(ValueAccess, ResetPutsTheUnitIntoItsStartState) {
    P p;
    p.push(0x7F)
        .op(Op::SetPort)
        .push(9)
        .op(Op::SetDac, 0)
        .op(Op::SetUserByte, 1)
        .push(500)
        .op(Op::SetRegister, 8)
        .op(Op::SetRegister, 2)
        .op(Op::Gosub);
    uint16_t call = p.here();
    p.word(0)
        .text("hi")
        .push('q')
        .op(Op::LcdChar)
        .op(Op::FileOp, 2)
        .op(Op::FileOp, 5)
        .push(0)
        .op(Op::RandomSeed)
        .op(Op::Random)
        .op(Op::InputWord);
    p.patch(call, call + 2);
    load(p);
    sim.setInitialPortState(0x0180);
    sim.setADC(2, 50);
    for (int i = 0; i < 6 && StepResultStatus(sim.step()) != StepInput; ++i) {
    }
    ASSERT_TRUE(sim.inputWaiting());
    const int16_t seed = sim.state().seed;
    ASSERT_NE(seed, 0);

    sim.resetProgram();
    const MachineState& s = sim.state();
    EXPECT_EQ(s.pc, kProgramStart);
    EXPECT_EQ(sim.getPortState(), 0x0180);
    EXPECT_EQ(sim.getInitialPortState(), 0x0180);
    EXPECT_EQ(s.stack, (std::array<int16_t, kStackDepth>{}));
    EXPECT_EQ(s.gosub, (std::array<uint16_t, kGosubDepth>{}));
    EXPECT_EQ(s.user, (std::array<uint8_t, 24>{}));
    EXPECT_EQ(sim.getADC(2), 0);
    EXPECT_EQ(sim.getDAC(0), 0);
    EXPECT_EQ(s.tone, 0);
    EXPECT_EQ(s.clock.day, 0);
    EXPECT_EQ(s.fileLength, 0);
    EXPECT_EQ(s.fileBase, kHeaderSize + p.bytes.size());
    EXPECT_FALSE(sim.inputWaiting());
    EXPECT_STREQ(sim.getOutputString(), "");
    EXPECT_EQ(sim.getLCD()->text[0], 0xFF);
    EXPECT_EQ(sim.getLCD()->changeCount, 0u);
    EXPECT_EQ(s.seed, seed); // the random sequence goes on
}

// A second host runs the bare machine and answers its events itself.
TEST(MachineHost, EventsArePlainData) {
    Machine m;
    P p;
    p.push(12)
        .op(Op::Pause)
        .op(Op::SystemCall)
        .word(391)
        .op(Op::InputByte)
        .op(Op::Add)
        .op(Op::PageMarker)
        .word(0x1234)
        .end();
    std::copy(p.bytes.begin(), p.bytes.end(), m.state.memory.begin() + kProgramStart);
    m.state.pc = kProgramStart;

    Event e = m.execute(100);
    EXPECT_EQ(e.kind, EventKind::Pause);
    EXPECT_EQ(e.value, 12);
    EXPECT_EQ(e.executed, 2u);
    e = m.execute(100);
    EXPECT_EQ(e.kind, EventKind::SystemCall);
    EXPECT_EQ(e.value, 391);
    e = m.execute(100);
    EXPECT_EQ(e.kind, EventKind::Input);
    EXPECT_EQ(e.value, static_cast<uint8_t>(Op::InputByte));
    m.state.inputValue = 0x105;
    m.completeInput(static_cast<uint8_t>(e.value));
    e = m.execute(100);
    EXPECT_EQ(e.kind, EventKind::PageMarker);
    EXPECT_EQ(e.value, 0x1234);
    EXPECT_EQ(m.state.stack[0], 17);
    e = m.execute(1);
    EXPECT_EQ(e.kind, EventKind::End);
    e = m.execute(0);
    EXPECT_EQ(e.kind, EventKind::Budget);
    EXPECT_EQ(e.executed, 0u);
}

TEST(MachineHost, ImageThatDoesNotFitIsRefused) {
    Simulator sim{HostTime{}};
    std::vector<uint8_t> image(kMemorySize - kHeaderSize + 1, 7);
    EXPECT_FALSE(sim.loadImage(image.data(), image.size(), 10));
    image.pop_back();
    EXPECT_TRUE(sim.loadImage(image.data(), image.size(), 10));
    EXPECT_EQ(sim.memory()[0], 0);
    EXPECT_EQ(sim.memory()[1], 10);
    EXPECT_EQ(sim.memory()[kMemorySize - 1], 7);
}

} // namespace
} // namespace quendal::test
