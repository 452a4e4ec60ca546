// Control flow, data file and serial kinds: jumps to named cells, conditions, the wait loop,
// the data file and the serial interface, by their bytes and on the simulator.
#include "engine/tests/kinds_support.h"

#include <algorithm>

namespace kindstest {
namespace {

class ControlKinds : public KindsTest {
protected:
    BlockHandle Named(int page, const char* name, int after) {
        EXPECT_EQ(MoltraneAddPage(h, page, after), 1);
        EXPECT_EQ(MoltraneSetPageName(h, page, name), 1);
        return 0;
    }
    std::vector<std::string> Fixups() {
        std::vector<std::string> names;
        for (auto* n = h->DownloadCompiler.FixupList.FirstNode; n != nullptr; n = n->Next)
            names.emplace_back(n->Item);
        return names;
    }
};

TEST_F(ControlKinds, GotoWithoutAndWithCondition) {
    Named(2, "Ziel", 1);
    const BlockHandle go = Add(1000, "Ziel");
    EXPECT_EQ(Param(go), "Ziel");
    MustBuild();
    // Page 1 holds the jump; page 2 (empty) starts at code position 3: address 7.
    EXPECT_EQ(CodeDump(), Cat({B({3}), Addr(3), B({255})}));

    const BlockHandle cond = Add(602, "1");
    Wire(cond, go);
    MustBuild();
    // Condition, skip the jump when 0, the jump; "next" is the address right behind the jump.
    EXPECT_EQ(CodeDump(), Cat({B({23, 0, 4}), Addr(8), B({3}), Addr(8), B({255})}));
    const Bytes sim = SimImage();
    EXPECT_EQ(sim,
              Cat({B({254, 0, 1, 23, 0, 4}), Addr(11), B({3}), Addr(11), B({254, 0, 2, 255})}));
}

TEST_F(ControlKinds, GotoSkipsTheCellsInBetween) {
    Named(2, "Mitte", 1);
    Named(3, "Ende", 2);
    Add(1000, "Ende");
    PrintLine(Const(2, 2), 2);
    PrintLine(Const(3, 3), 3);
    MustBuild();
    EXPECT_EQ(Run().Output, "3\r\n");
}

TEST_F(ControlKinds, ConditionalGotoJumpsOnlyWhenTheConditionHolds) {
    Named(2, "Mitte", 1);
    Named(3, "Ende", 2);
    const BlockHandle go = Add(1000, "Ende");
    const BlockHandle bit = Add(600, "3");
    Wire(bit, go);
    PrintLine(Const(2, 2), 2);
    PrintLine(Const(3, 3), 3);
    MustBuild();
    EXPECT_EQ(Run().Output, "2\r\n3\r\n");
    MoltraneResetProgram(h);
    MoltraneSetValue(h, 0x03010002, 1); // user bit 3
    EXPECT_EQ(Continue({}, 50).Output, "3\r\n");
}

TEST_F(ControlKinds, GosubReturnsBehindTheCall) {
    Named(2, "Unter", 1);
    Add(1001, "Unter");
    PrintLine(Const(1));
    Add(1007);
    PrintLine(Const(2, 2), 2);
    Add(1002, 2);
    MustBuild();
    const RunResult r = Run();
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(r.Output, "2\r\n1\r\n");
}

TEST_F(ControlKinds, ReturnAndEndWithCondition) {
    const BlockHandle end = Add(1007);
    Wire(Const(0), end);
    const BlockHandle ret = Add(1002);
    Wire(Const(1), ret);
    MustBuild();
    EXPECT_EQ(DownloadBody(),
              Cat({B({20, 0, 0, 4}), Addr(7), B({255, 20, 0, 1, 4}), Addr(14), B({6})}));
}

TEST_F(ControlKinds, EmptyTargetFailsWithTheBlock) {
    for (int id : {1000, 1001, 1003, 1004}) {
        SCOPED_TRACE(id);
        MoltraneClearPage(h, 1);
        const BlockHandle b = Add(id);
        EXPECT_EQ(Param(b), "");
        if (id >= 1003)
            Wire(Const(0), b);
        ExpectBuildFails(b, "fehlender Parameter");
    }
}

TEST_F(ControlKinds, UnknownTargetFailsWhenTheImagesAreFinished) {
    Add(1001, "Nirgends");
    EXPECT_EQ(MoltraneCompilerInit(h), 1);
    ASSERT_EQ(MoltraneCompile(h), 0);
    EXPECT_EQ(MoltraneCompilerDone(h), 0);
    EXPECT_STREQ(MoltraneGetErrorMessage(h), "Sprungziel/Tabelle nicht definiert: Nirgends");
}

TEST_F(ControlKinds, TargetIsCutAfter99Characters) {
    const std::string name(150, 'z');
    EXPECT_EQ(Param(Add(1000, name.c_str())), name.substr(0, 99));
}

TEST_F(ControlKinds, OnGotoNamesOnePerLine) {
    const BlockHandle on = Add(1003, "Start\r\n\r\n  Ende \n\xE4pfel und Birnen");
    const BlockHandle sel = Add(602, "4");
    Wire(sel, on);
    EXPECT_EQ(MoltraneCompilerInit(h), 1);
    ASSERT_EQ(MoltraneCompile(h), 0) << MoltraneGetErrorMessage(h);
    // Blanks before a name are skipped, a trailing blank belongs to it, empty lines are dropped.
    EXPECT_EQ(Fixups(), (std::vector<std::string>{"Start", "Ende ", "\xE4pfel und Birnen"}));
    Bytes expected;
    for (int i = 0; i < 3; ++i) {
        const int at = 12 * i;
        expected = Cat({expected, B({23, 3, 20, 0, i, 64, 4}), Addr(at + 12), B({3, 0, 0})});
    }
    // Before the targets are resolved: the jump operands are still 0.
    const Bytes code(h->DownloadCompiler.Data, h->DownloadCompiler.Data + 36);
    EXPECT_EQ(code, expected);
}

TEST_F(ControlKinds, OnGosubCallsTheSelectedCell) {
    Named(2, "Null", 1);
    Named(3, "Eins", 2);
    const BlockHandle on = Add(1004, "Null\nEins");
    Wire(Const(1), on);
    Add(1007);
    PrintLine(Const(10, 2), 2);
    Add(1002, 2);
    PrintLine(Const(11, 3), 3);
    Add(1002, 3);
    MustBuild();
    EXPECT_EQ(Run().Output, "11\r\n");
}

TEST_F(ControlKinds, SelectorWithoutAMatchingNameFallsThrough) {
    Named(2, "Null", 1);
    const BlockHandle on = Add(1003, "Null");
    Wire(Const(5), on);
    PrintLine(Const(1));
    Add(1007);
    PrintLine(Const(2, 2), 2);
    MustBuild();
    EXPECT_EQ(Run().Output, "1\r\n");
}

TEST_F(ControlKinds, RequiredInputsOfControlKinds) {
    for (int id : {1003, 1005}) {
        SCOPED_TRACE(id);
        MoltraneClearPage(h, 1);
        const BlockHandle b = Add(id, "X");
        ExpectBuildFails(b, "fehlende Eingangsverbindung");
    }
}

TEST_F(ControlKinds, WaitLoopsBackToItsConditionOrTheMarker) {
    const BlockHandle wait = Add(1005);
    Wire(Add(600, "1"), wait);
    MustBuild();
    EXPECT_EQ(DownloadBody(), Cat({B({21, 0, 4}), Addr(0)}));
    // Simulation image: page marker, no-operation, loop head 253 at position 4.
    EXPECT_EQ(SimImage(), Cat({B({254, 0, 1, 0, 253, 21, 0, 4}), Addr(4), B({255})}));
}

TEST_F(ControlKinds, WaitReportsEachTurnUntilItsInputHolds) {
    const BlockHandle wait = Add(1005);
    Wire(Add(600, "1"), wait);
    PrintLine(Const(9));
    MustBuild();
    MoltraneResetProgram(h);
    EXPECT_EQ(MoltraneStep(h) & 0xFFFF, 1u); // page marker
    EXPECT_EQ(MoltraneStep(h) & 0xFFFF, 4u); // a turn of the loop, not its first entry
    EXPECT_EQ(MoltraneStep(h) & 0xFFFF, 4u);
    MoltraneSetValue(h, 0x03010000, 1);
    EXPECT_EQ(MoltraneStep(h) & 0xFFFF, 3u);
    EXPECT_STREQ(MoltraneGetOutputString(h), "9");
}

TEST_F(ControlKinds, PausePausesItsInputsTicks) {
    const BlockHandle pause = Add(1006);
    Wire(Const(25), pause);
    MustBuild();
    EXPECT_EQ(DownloadBody(), B({20, 0, 25, 2}));
}

class FileKinds : public ControlKinds {};

TEST_F(FileKinds, OperationsAndTheirBytes) {
    Add(800);
    Add(801);
    Add(802);
    Add(805);
    Wire(Const(3), Add(803));
    PrintLine(Add(804));
    PrintLine(Add(806));
    PrintLine(Add(807));
    MustBuild();
    EXPECT_EQ(DownloadBody(), B({70, 2,  70, 3,  70, 1,  70, 4,  20, 0,  3,  70, 5, //
                                 70, 6,  30, 31, 13, 10, 0,  71, 30, 31, 13, 10, 0, //
                                 28, 11, 30, 31, 13, 10, 0}));
}

TEST_F(FileKinds, WrittenWordsReadBack) {
    Add(800);
    Wire(Const(7), Add(803));
    Wire(Const(-9), Add(803));
    Add(805);
    Add(802);
    PrintLine(Add(804));
    PrintLine(Add(804));
    PrintLine(Add(806));
    MustBuild();
    const RunResult r = Run();
    EXPECT_EQ(r.Output, "7\r\n-9\r\n-1\r\n");
    EXPECT_EQ(MoltraneGetFileLength(h), 2);
    short data[2] = {};
    MoltraneDumpFile(h, data);
    EXPECT_EQ(data[0], 7);
    EXPECT_EQ(data[1], -9);
}

class SerialKinds : public ControlKinds {};

TEST_F(SerialKinds, PrintModesForNumbers) {
    const BlockHandle plain = Add(900);
    EXPECT_EQ(Param(plain), "1");
    Wire(Const(5), plain);
    Wire(Const(6), Add(900, "2"));
    Wire(Const(7), Add(900, "4"));
    Add(900, "2"); // no input: nothing
    MustBuild();
    EXPECT_EQ(DownloadBody(),
              B({20, 0, 5, 30, 20, 0, 6, 30, 31, 13, 10, 0, 20, 0, 7, 30, 31, 9, 0}));
    EXPECT_EQ(Run().Output, "56\r\n7\t");
}

TEST_F(SerialKinds, PrintModeTextIsCutAt9) {
    EXPECT_EQ(Param(Add(900, "2222222222222")), "222222222");
}

TEST_F(SerialKinds, InputGetPutAndReceive) {
    PrintLine(Add(901));
    PrintLine(Add(903));
    Wire(Const('A'), Add(902));
    PrintLine(Add(905));
    MustBuild();
    EXPECT_EQ(DownloadBody(), B({34, 30, 31, 13, 10, 0, 34, 30, 31, 13, 10, 0, 20, 0, 65, 32, //
                                 33, 30, 31, 13, 10, 0}));
    const RunResult r = Run({300, -1});
    EXPECT_EQ(r.Output, "44\r\n255\r\nA-1\r\n");
}

TEST_F(SerialKinds, BaudRateCodes) {
    const BlockHandle baud = Add(904);
    EXPECT_EQ(Param(baud), "8");
    const std::pair<const char*, int> cases[] = {{"1", 219}, {"2", 210}, {"4", 201},
                                                 {"8", 192}, {"3", 192}, {"", 192}};
    for (const auto& [text, rate] : cases) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(MoltraneSetBlockParam(h, baud, text));
        EXPECT_EQ(Param(baud), text);
        MustBuild();
        EXPECT_EQ(DownloadBody(), B({72, rate}));
    }
}

} // namespace
} // namespace kindstest
