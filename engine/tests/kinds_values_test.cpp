// Port, clock, user variable and constant kinds: parameter texts, emitted bytes in both images,
// and programs run on the simulator.
#include "engine/tests/kinds_support.h"

namespace kindstest {
namespace {

class ValueKinds : public KindsTest {};

TEST_F(ValueKinds, SumOfTwoConstantsIsPrinted) {
    const BlockHandle a = Const(1200);
    const BlockHandle b = Const(-34);
    const BlockHandle sum = Add(200);
    Wire(a, sum);
    Wire(b, sum);
    const BlockHandle print = Add(900, "1");
    Wire(sum, print);
    MustBuild();
    const Bytes body = B({20, 0x04, 0xB0, 20, 0xFF, 0xDE, 51, 30});
    EXPECT_EQ(DownloadBody(), body);
    EXPECT_EQ(SimBody(), body);
    const RunResult r = Run();
    EXPECT_TRUE(r.Ended);
    EXPECT_EQ(r.Output, "1166");
}

TEST_F(ValueKinds, NumberedKindsLoadWithoutInputAndStoreWithIt) {
    // Without input: a load, compiled only where a statement uses it.
    struct Case {
        int id;
        const char* number;
        Bytes load;
        Bytes store;
    };
    const Case cases[] = {
        {100, "16", B({10, 15}), B({13, 15})}, {101, "2", B({11, 1}), B({14, 1})},
        {102, "1", B({12}), B({15})},          {600, "192", B({21, 191}), B({24, 191})},
        {601, "24", B({22, 23}), B({25, 23})}, {602, "12", B({23, 11}), B({26, 11})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        MoltraneClearPage(h, 1);
        const BlockHandle loaded = Add(c.id, c.number);
        PrintLine(loaded);
        const BlockHandle stored = Add(c.id, c.number);
        Wire(Const(7), stored);
        MustBuild();
        EXPECT_EQ(DownloadBody(), Cat({c.load, B({30, 31, 13, 10, 0, 20, 0, 7}), c.store}));
    }
}

TEST_F(ValueKinds, StoredValuesReachTheSimulatedUnit) {
    const BlockHandle word = Add(602, "3");
    Wire(Const(-2), word);
    const BlockHandle bit = Add(100, "5");
    Wire(Const(1), bit);
    const BlockHandle byte = Add(101, "2");
    Wire(Const(0x5A), byte);
    const BlockHandle da = Add(104, "2");
    Wire(Const(300), da);
    const BlockHandle hour = Add(502);
    Wire(Const(13), hour);
    MustBuild();
    EXPECT_TRUE(Run().Ended);
    EXPECT_EQ(Value(word), 0xFFFE);
    EXPECT_EQ(Value(bit), 1);
    EXPECT_EQ(Value(byte), 0x5A);
    EXPECT_EQ(MoltraneGetDAC(h, 1), 300 & 0xFF);
    EXPECT_EQ(Value(hour), 13);
    // Lines 4 and 8-15 became outputs.
    EXPECT_EQ(static_cast<uint32_t>(MoltraneGetPortState(h)) >> 16, 0xFF10u);
}

TEST_F(ValueKinds, MemoryKindFeedingAnotherStatementStoresThenPassesItsValueOn) {
    const BlockHandle word = Add(602, "1");
    Wire(Const(9), word);
    PrintLine(word);
    MustBuild();
    // Not a statement of its own: its output is used. The print stores and prints.
    EXPECT_EQ(DownloadBody(), B({20, 0, 9, 26, 0, 30, 31, 13, 10, 0}));
    const RunResult r = Run();
    EXPECT_EQ(r.Output, "9\r\n");
    EXPECT_EQ(Value(word), 9);
}

TEST_F(ValueKinds, SourcesEmitTheirLoads) {
    struct Case {
        int id;
        const char* param;
        Bytes load;
    };
    const Case cases[] = {
        {103, "8", B({16, 7})},
        {105, nullptr, B({28, 9})},
        {500, nullptr, B({28, 6})},
        {501, nullptr, B({28, 5})},
        {502, nullptr, B({28, 4})},
        {504, nullptr, B({28, 2})},
        {506, nullptr, B({28, 1})},
        {507, nullptr, B({28, 0})},
        {503, nullptr, B({28, 4, 20, 0, 60, 53, 28, 5, 51})},
        {508, nullptr, B({28, 1, 20, 0, 31, 53, 28, 2, 51})},
        {509, nullptr, B({28, 7})},
        {701, "'A'", B({20, 0, 65})},
        {701, "'\xE4'", B({20, 0, 0xE4})},
        {703, "07:30", B({20, 0x01, 0xC2})},
        {704, "24.12", B({20, 0x01, 0x8C})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        MoltraneClearPage(h, 1);
        const BlockHandle s = c.param != nullptr ? Add(c.id, c.param) : Add(c.id);
        // Times and dates go through a comparison with themselves, which any type passes.
        const BlockHandle user = Add(404);
        Wire(s, user);
        Wire(s, user);
        PrintLine(user);
        MustBuild();
        EXPECT_EQ(DownloadBody(), Cat({c.load, c.load, B({64, 30, 31, 13, 10, 0})}));
    }
}

TEST_F(ValueKinds, ClockAndInputsReadBackWhenRun) {
    const BlockHandle date = Add(508);
    const BlockHandle ad = Add(103, "3");
    const BlockHandle sum = Add(200);
    Wire(date, sum);
    Wire(ad, sum);
    PrintLine(sum);
    MustBuild();
    MoltraneResetProgram(h);
    MoltraneSetValue(h, 0x02050001, 12); // month
    MoltraneSetValue(h, 0x02050002, 24); // day
    MoltraneSetADC(h, 2, 200);
    EXPECT_EQ(Continue({}, 50).Output, "596\r\n"); // 12 * 31 + 24 + 200
}

TEST_F(ValueKinds, ValueConstantTextFollowsTheStoredValue) {
    const BlockHandle c = Add(700);
    EXPECT_EQ(Param(c), "0");
    EXPECT_TRUE(MoltraneSetBlockParam(h, c, "40000"));
    EXPECT_EQ(Param(c), "-25536");
    EXPECT_TRUE(MoltraneSetBlockParam(h, c, "12abc"));
    EXPECT_EQ(Param(c), "12");
    EXPECT_TRUE(MoltraneSetBlockParam(h, c, "x"));
    EXPECT_EQ(Param(c), "0");
    // Only nine characters count: "1234567890" is read as 123456789, wrapped to 16 bits.
    EXPECT_TRUE(MoltraneSetBlockParam(h, c, "1234567890"));
    EXPECT_EQ(Param(c), std::to_string(static_cast<int16_t>(123456789 & 0xFFFF)));
    PrintLine(c);
    MustBuild();
    EXPECT_EQ(DownloadBody(), B({20, 0xCD, 0x15, 30, 31, 13, 10, 0}));
}

TEST_F(ValueKinds, DefaultParametersAfterCreation) {
    EXPECT_EQ(Param(Add(100)), "1");
    EXPECT_EQ(Param(Add(101)), "1");
    EXPECT_EQ(Param(Add(102)), "<null>");
    EXPECT_EQ(Param(Add(103)), "1");
    EXPECT_EQ(Param(Add(104)), "1");
    EXPECT_EQ(Param(Add(105)), "<null>");
    EXPECT_EQ(Param(Add(600)), "1");
    EXPECT_EQ(Param(Add(700)), "0");
    EXPECT_EQ(Param(Add(701)), "'C'");
    EXPECT_EQ(Param(Add(702)), "TEXT");
    EXPECT_EQ(Param(Add(703)), "00:00");
    EXPECT_EQ(Param(Add(704)), "01.01");
}

TEST_F(ValueKinds, TextsAreCutToTheirLengths) {
    const BlockHandle text = Add(702, std::string(100, 'x').c_str());
    EXPECT_EQ(Param(text), std::string(80, 'x'));
    const BlockHandle ch = Add(701, "'AB'");
    EXPECT_EQ(Param(ch), "'AB");
    const BlockHandle time = Add(703, "12:34:56:78");
    EXPECT_EQ(Param(time), "12:34:56:");
    const BlockHandle port = Add(601);
    EXPECT_FALSE(MoltraneSetBlockParam(h, port, "123456"));
    EXPECT_EQ(Param(port), "1234");
    EXPECT_EQ(std::string(MoltraneGetIndexDescription(h, port)), "1234");
}

TEST_F(ValueKinds, NumberAboveMaximumIsRefusedButKept) {
    const BlockHandle bit = Add(100);
    EXPECT_FALSE(MoltraneSetBlockParam(h, bit, "17"));
    EXPECT_EQ(Param(bit), "17");
    EXPECT_TRUE(MoltraneSetBlockParam(h, bit, "16"));
    const BlockHandle word = Add(602);
    EXPECT_FALSE(MoltraneSetBlockParam(h, word, "13"));
    EXPECT_TRUE(MoltraneSetBlockParam(h, Add(103), "9")); // A/D and D/A accept anything
    EXPECT_TRUE(MoltraneSetBlockParam(h, Add(104), "3"));
    EXPECT_TRUE(MoltraneSetBlockParam(h, Add(102), "whatever"));
}

TEST_F(ValueKinds, NumberOutsideItsRangeFailsTheCompileWithTheBlock) {
    struct Case {
        int id;
        const char* number;
        bool sink;
    };
    const Case cases[] = {{100, "17", false},  {100, "0", false},  {101, "3", false},
                          {600, "193", false}, {601, "-1", false}, {602, "13", false},
                          {103, "9", false},   {103, "0", false},  {104, "3", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + " " + c.number);
        MoltraneClearPage(h, 1);
        const BlockHandle b = Add(c.id);
        MoltraneSetBlockParam(h, b, c.number);
        if (c.sink)
            Wire(Const(1), b);
        else
            PrintLine(b);
        ExpectBuildFails(b, "fehlender Parameter");
    }
}

TEST_F(ValueKinds, TextConstantIsWrappedByThePrintKind) {
    const BlockHandle text = Add(702, "Gr\xFC\xDF");
    const BlockHandle print = Add(900, "2");
    Wire(text, print);
    const BlockHandle tab = Add(900, "4");
    Wire(Add(702, "a"), tab);
    const BlockHandle plain = Add(900, "1");
    Wire(Add(702, ""), plain);
    MustBuild();
    EXPECT_EQ(DownloadBody(), B({31, 'G', 'r', 0xFC, 0xDF, 13, 10, 0, 31, 'a', 9, 0, 31, 0}));
    EXPECT_EQ(Run().Output, "Gr\xFC\xDF\r\na\t");
}

TEST_F(ValueKinds, CharacterConstantWithoutMiddleCharacterIsZero) {
    const BlockHandle c = Add(701, "'A'");
    PrintLine(c);
    EXPECT_TRUE(MoltraneSetBlockParam(h, c, ""));
    EXPECT_EQ(Param(c), "");
    MustBuild();
    EXPECT_EQ(DownloadBody(), B({20, 0, 0, 30, 31, 13, 10, 0}));
    EXPECT_TRUE(MoltraneSetBlockParam(h, c, "x"));
    MustBuild();
    EXPECT_EQ(DownloadBody(), B({20, 0, 0, 30, 31, 13, 10, 0}));
}

TEST_F(ValueKinds, TimeAndDateFieldsOfShortTexts) {
    // Missing fields count as 0 and nothing is read behind the text.
    const BlockHandle t = Add(703, "7");
    const BlockHandle d = Add(704, "05.1");
    const BlockHandle sum = Add(200);
    Wire(t, sum);
    Wire(d, sum);
    PrintLine(sum);
    MustBuild();
    EXPECT_EQ(DownloadBody(), B({20, 0x01, 0xA4, 20, 0, 36, 51, 30, 31, 13, 10, 0}));
}

TEST_F(ValueKinds, UnusedSourceIsNotCompiled) {
    Const(5);
    Add(103);
    Add(600); // memory kind with no input: no statement
    MustBuild();
    EXPECT_EQ(DownloadBody(), Bytes{});
    EXPECT_EQ(SimBody(), Bytes{});
}

} // namespace
} // namespace kindstest
