// Operator, comparison and logic kinds: the fold over connected inputs, each operation's byte,
// results on the simulator, the table lookup and the value switch.
#include "engine/tests/kinds_support.h"

namespace kindstest {
namespace {

class OperatorKinds : public KindsTest {
protected:
    // Prints the result of `op` over the constants, wired to its inputs in order; returns the
    // printed text and leaves the download body in `code`.
    std::string Evaluate(int op, std::initializer_list<int> operands, Bytes* code = nullptr) {
        MoltraneClearPage(h, 1);
        const BlockHandle o = Add(op);
        short input = 0;
        for (int v : operands)
            Wire(Const(v), o, input++);
        const BlockHandle p = Add(900, "1");
        Wire(o, p);
        if (!Build(&lastError_)) {
            ADD_FAILURE() << lastError_;
            return "<failed>";
        }
        if (code != nullptr)
            *code = DownloadBody();
        const RunResult r = Run();
        return r.Failed ? "<error " + std::to_string(r.Error) + ">" : r.Output;
    }
};

TEST_F(OperatorKinds, EachOperationEmitsItsOpcodeBehindItsOperands) {
    struct Case {
        int id;
        int a, b;
        Bytes op;
    };
    const Case two[] = {
        {200, 2, 3, B({51})},     {201, 2, 3, B({52})},     {202, 2, 3, B({53})},
        {203, 2, 3, B({54})},     {204, 2, 3, B({55})},     {210, 2, 3, B({59})},
        {211, 2, 3, B({58})},     {212, 2, 3, B({46})},     {213, 2, 3, B({47})},
        {301, 2, 3, B({41})},     {303, 2, 3, B({43})},     {305, 2, 3, B({45})},
        {400, 2, 3, B({62})},     {401, 2, 3, B({63})},     {402, 2, 3, B({60})},
        {403, 2, 3, B({61})},     {404, 2, 3, B({64})},     {405, 2, 3, B({65})},
        {302, 2, 3, B({41, 40})}, {304, 2, 3, B({43, 40})},
    };
    for (const Case& c : two) {
        SCOPED_TRACE(c.id);
        Bytes code;
        Evaluate(c.id, {c.a, c.b}, &code);
        EXPECT_EQ(code, Cat({B({20, 0, 2, 20, 0, 3}), c.op, B({30})}));
    }
    const Case one[] = {
        {205, 4, 0, B({50})},           {206, 4, 0, B({56})},
        {207, 4, 0, B({66})},           {215, 4, 0, B({57})},
        {300, 4, 0, B({40})},           {406, 4, 0, B({20, 0, 0, 64})},
        {407, 4, 0, B({20, 0, 0, 65})}, {408, 4, 0, B({20, 0, 0, 60})},
        {409, 4, 0, B({20, 0, 0, 62})},
    };
    for (const Case& c : one) {
        SCOPED_TRACE(c.id);
        Bytes code;
        Evaluate(c.id, {c.a}, &code);
        EXPECT_EQ(code, Cat({B({20, 0, 4}), c.op, B({30})}));
    }
}

TEST_F(OperatorKinds, ResultsOnTheSimulator) {
    EXPECT_EQ(Evaluate(201, {5, 7}), "-2");
    EXPECT_EQ(Evaluate(213, {-8, 1}), "-4");
    EXPECT_EQ(Evaluate(211, {4, -9, 12, 2}), "12");
    EXPECT_EQ(Evaluate(401, {3, 3}), "-1");
    EXPECT_EQ(Evaluate(203, {1, 0}), "<error 1>");
    // The "lower zero" kind is true above zero, the "higher zero" kind below it.
    EXPECT_EQ(Evaluate(408, {5}), "-1");
    EXPECT_EQ(Evaluate(408, {-5}), "0");
    EXPECT_EQ(Evaluate(409, {5}), "0");
    EXPECT_EQ(Evaluate(409, {-5}), "-1");
}

TEST_F(OperatorKinds, NandAndNorNegateTheWholeFold) {
    EXPECT_EQ(Evaluate(302, {1, 3, 7}), "-2");
    EXPECT_EQ(Evaluate(302, {5}), "-6");
    EXPECT_EQ(Evaluate(304, {1, 2, 4}), "-8");
    Bytes code;
    Evaluate(304, {1, 2, 4}, &code);
    EXPECT_EQ(code, B({20, 0, 1, 20, 0, 2, 43, 20, 0, 4, 43, 40, 30}));
}

TEST_F(OperatorKinds, FoldSkipsGapsAndPassesASingleInput) {
    const BlockHandle add = Add(200);
    Wire(Const(10), add, 0);
    Wire(Const(20), add, 4);
    PrintLine(add);
    const BlockHandle single = Add(202);
    Wire(Const(3), single, 2);
    PrintLine(single);
    MustBuild();
    EXPECT_EQ(DownloadBody(), B({20, 0, 10, 20, 0,  20, 51, 30, 31, 13, 10, 0, //
                                 20, 0, 3,  30, 31, 13, 10, 0}));
    EXPECT_EQ(Run().Output, "30\r\n3\r\n");
}

TEST_F(OperatorKinds, ComparatorRefusesOperandsOfDifferentTypes) {
    const BlockHandle cmp = Add(400);
    const BlockHandle time = Add(703, "07:30");
    const BlockHandle date = Add(704, "24.12");
    Wire(time, cmp);
    EXPECT_FALSE(MoltraneCanConnectBlocks(h, date, cmp));
    EXPECT_TRUE(MoltraneCanConnectBlocks(h, Add(703, "08:00"), cmp));
}

TEST_F(OperatorKinds, OperatorMissingAnOperandFailsWhenUsed) {
    const BlockHandle sub = Add(201);
    Wire(Const(1), sub, 1);
    PrintLine(sub);
    ExpectBuildFails(sub, "fehlende Eingangsverbindung");
}

TEST_F(OperatorKinds, RandomGeneratorSeedsWithItsInputOrLoads) {
    const BlockHandle seeded = Add(208);
    Wire(Const(0), seeded);
    const BlockHandle next = Add(208);
    PrintLine(next);
    MustBuild();
    EXPECT_EQ(DownloadBody(), B({20, 0, 0, 48, 49, 30, 31, 13, 10, 0}));
    // Seed 0 with timer 0 seeds 1808; the next number is 1808 * 251 wrapped.
    EXPECT_EQ(Run().Output, "-4944\r\n");
}

class TableKind : public OperatorKinds {};

TEST_F(TableKind, ReadsTheWordAtItsIndexFromTheNamedTable) {
    const BlockHandle tab = Add(209, "Kurve");
    EXPECT_EQ(Param(tab), "Kurve");
    Wire(Const(2), tab);
    PrintLine(tab);
    EXPECT_EQ(MoltraneCompilerInit(h), 1);
    ASSERT_EQ(MoltraneCompile(h), 0) << MoltraneGetErrorMessage(h);
    ASSERT_EQ(MoltraneLoadTable(h, "Kurve", "10 -20 0x30 40"), 1);
    ASSERT_EQ(MoltraneCompilerDone(h), 1) << MoltraneGetErrorMessage(h);
    // Page code, end, then the table at code position 12: address 16.
    EXPECT_EQ(CodeDump(), B({20, 0,  2,    27,   0, 16,   30, 31, 13, 10, 0, 255, //
                             0,  10, 0xFF, 0xEC, 0, 0x30, 0,  40}));
    EXPECT_EQ(Run().Output, "48\r\n");
}

TEST_F(TableKind, WithoutANameTheCompileFailsWithTheBlock) {
    const BlockHandle tab = Add(209);
    EXPECT_EQ(Param(tab), "");
    Wire(Const(1), tab);
    PrintLine(tab);
    ExpectBuildFails(tab, "fehlender Parameter");
}

TEST_F(TableKind, UnknownTableFailsWhenTheImagesAreFinished) {
    const BlockHandle tab = Add(209, "Fehlt");
    Wire(Const(1), tab);
    PrintLine(tab);
    EXPECT_EQ(MoltraneCompilerInit(h), 1);
    ASSERT_EQ(MoltraneCompile(h), 0);
    EXPECT_EQ(MoltraneCompilerDone(h), 0);
    EXPECT_STREQ(MoltraneGetErrorMessage(h), "Sprungziel/Tabelle nicht definiert: Fehlt");
}

TEST_F(TableKind, NameIsCutAfter99Characters) {
    const std::string name(120, 'n');
    const BlockHandle tab = Add(209, name.c_str());
    EXPECT_EQ(Param(tab), name.substr(0, 99));
}

class ValueSwitchKind : public OperatorKinds {};

TEST_F(ValueSwitchKind, ChoosesAWhenCIsNotZeroElseB) {
    const BlockHandle sw = Add(214);
    Wire(Const(11), sw, 0);
    Wire(Const(22), sw, 1);
    const BlockHandle c = Add(602, "2");
    Wire(c, sw, 2);
    PrintLine(sw);
    MustBuild();
    // c; 4 else; c * 0; a; 3 end; else: b; end: 0 + the value.
    EXPECT_EQ(DownloadBody(), Cat({B({23, 1, 4}), Addr(15), B({20, 0, 0, 53, 20, 0, 11, 3}),
                                   Addr(18), B({20, 0, 22, 51, 30, 31, 13, 10, 0})}));
    EXPECT_EQ(Run().Output, "22\r\n");
    MoltraneResetProgram(h);
    MoltraneSetValue(h, 0x01010001, 5); // user word 2
    std::string out;
    for (int i = 0; i < 20; ++i) {
        const uint32_t s = MoltraneStep(h);
        if ((s & 0xFFFF) == 3)
            out += MoltraneGetOutputString(h);
        if ((s & 0xFFFF) == 0)
            break;
    }
    EXPECT_EQ(out, "11\r\n");
}

TEST_F(ValueSwitchKind, SwitchUsedByTwoStatementsJumpsWithinEachCopy) {
    const BlockHandle sw = Add(214);
    Wire(Const(1), sw, 0);
    Wire(Const(2), sw, 1);
    Wire(Const(0), sw, 2);
    PrintLine(sw);
    const BlockHandle neg = Add(205);
    Wire(sw, neg);
    PrintLine(neg);
    MustBuild();
    EXPECT_EQ(Run().Output, "2\r\n-2\r\n");
    const Bytes body = DownloadBody();
    // The second copy's jumps point behind the first copy's code.
    ASSERT_GT(body.size(), 31u);
    EXPECT_EQ(Bytes(body.begin() + 28, body.begin() + 31), Cat({B({4}), Addr(41)}));
}

TEST_F(ValueSwitchKind, SwitchAsSecondOperandLeavesNoConditionBehind) {
    for (int c : {1, 0}) {
        SCOPED_TRACE(c);
        MoltraneClearPage(h, 1);
        const BlockHandle sw = Add(214);
        Wire(Const(30), sw, 0);
        Wire(Const(40), sw, 1);
        Wire(Const(c), sw, 2);
        const BlockHandle sub = Add(201);
        Wire(Const(100), sub, 0);
        Wire(sw, sub, 1);
        PrintLine(sub);
        MustBuild();
        EXPECT_EQ(Run().Output, c != 0 ? "70\r\n" : "60\r\n");
    }
}

TEST_F(ValueSwitchKind, LabelsStayApartAcrossBlocksAndEngines) {
    // Two switches created, the first deleted, a third created: the remaining two still jump
    // within themselves, and a second engine numbers its own labels.
    const BlockHandle first = Add(214);
    const BlockHandle second = Add(214);
    MoltraneRemoveBlock(h, first);
    const BlockHandle third = Add(214);
    for (BlockHandle sw : {second, third}) {
        Wire(Const(sw == second ? 1 : 3), sw, 0);
        Wire(Const(sw == second ? 2 : 4), sw, 1);
        Wire(Const(sw == second ? 1 : 0), sw, 2);
        PrintLine(sw);
    }
    EngineHandle other = MoltraneCreate();
    MoltraneAddPage(other, 1, 0);
    MoltraneAddBlock(other, 214, Handle(1, 1));
    MustBuild();
    EXPECT_EQ(Run().Output, "1\r\n4\r\n");
    int labels = 0;
    for (auto* n = h->DownloadCompiler.LabelList.FirstNode; n != nullptr; n = n->Next)
        labels += n->Item[0] == '@';
    EXPECT_EQ(labels, 4);
    EXPECT_STREQ(h->DownloadCompiler.LabelList.FirstNode->Item, "@A1");
    MoltraneDestroy(other);
}

TEST_F(ValueSwitchKind, LabelNumbersAreWrittenInUpperCaseHex) {
    const BlockHandle sum = Add(200);
    for (int i = 0; i < 11; ++i) {
        const BlockHandle sw = Add(214);
        Wire(Const(i), sw, 0);
        Wire(Const(100), sw, 1);
        Wire(Const(1), sw, 2);
        Wire(sw, sum);
    }
    PrintLine(sum);
    MustBuild();
    EXPECT_EQ(Run().Output, "55\r\n");
    bool sawB = false;
    for (auto* n = h->SimulationCompiler.LabelList.FirstNode; n != nullptr; n = n->Next)
        sawB = sawB || std::string(n->Item) == "@BB";
    EXPECT_TRUE(sawB);
}

} // namespace
} // namespace kindstest
