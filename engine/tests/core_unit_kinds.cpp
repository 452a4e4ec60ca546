// The factory's kinds seen from inside: signed input counts, input types per input and the
// per-engine counts of the kinds that call for libraries or firmware.
#include "engine/factory.h"
#include "engine/kinds/control.h"
#include "engine/moltrane.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace quendal;

namespace {

struct Row {
    int id;
    int out;
    int inputCount; // negative: exactly, positive: up to
};

// Every kind of the table.
const Row kRows[] = {
    {100, 1, 1},   {101, 1, 1},   {102, 1, 1},  {103, 1, 0},  {104, 0, -1},  {105, 1, 0},
    {106, 1, 0},   {107, 0, 8},   {108, 0, 3},  {109, 0, 3},  {200, 1, 20},  {201, 1, -2},
    {202, 1, 20},  {203, 1, -2},  {204, 1, -2}, {205, 1, -1}, {206, 1, -1},  {207, 1, -1},
    {208, 1, 1},   {209, 1, -1},  {210, 1, 20}, {211, 1, 20}, {212, 1, -2},  {213, 1, -2},
    {214, 1, -3},  {215, 1, -1},  {300, 1, -1}, {301, 1, 20}, {302, 1, 20},  {303, 1, 20},
    {304, 1, 20},  {305, 1, 20},  {400, 1, -2}, {401, 1, -2}, {402, 1, -2},  {403, 1, -2},
    {404, 1, -2},  {405, 1, -2},  {406, 1, -1}, {407, 1, -1}, {408, 1, -1},  {409, 1, -1},
    {500, 1, 1},   {501, 1, 1},   {502, 1, 1},  {503, 4, 0},  {504, 1, 1},   {506, 1, 1},
    {507, 1, 1},   {508, 8, 0},   {509, 1, 0},  {600, 1, 1},  {601, 1, 1},   {602, 1, 1},
    {700, 1, 0},   {701, 1, 0},   {702, 2, 0},  {703, 4, 0},  {704, 8, 0},   {800, 0, 0},
    {801, 0, 0},   {802, 0, 0},   {803, 0, -1}, {804, 1, 0},  {805, 0, 0},   {806, 1, 0},
    {807, 1, 0},   {900, 0, 1},   {901, 1, 0},  {902, 0, 1},  {903, 1, 0},   {904, 0, 0},
    {905, 1, 0},   {1000, 0, 1},  {1001, 0, 1}, {1002, 0, 1}, {1003, 0, -1}, {1004, 0, -1},
    {1005, 0, -1}, {1006, 0, -1}, {1007, 0, 1},
};

int ExpectedInputType(int id) {
    if (id == 900)
        return 3;
    if (id >= 400 && id <= 405)
        return 13;
    return 1;
}

} // namespace

TEST(CoreFactory, SignedInputCountsAndInputTypes) {
    KindCounts counts;
    int rows = 0;
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.id);
        std::unique_ptr<CBlock> block(CreateBlock(row.id, 0x10000 | row.id, counts));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(block->Handle(), 0x10000 | row.id);
        EXPECT_EQ(block->GetOutputType(), row.out);
        EXPECT_EQ(block->GetInputCount(), row.inputCount);
        EXPECT_EQ(block->Connected(), 0);
        EXPECT_EQ(block->OutputUses(), 0);
        for (int i = 0; i < block->InputSlots(); ++i) {
            EXPECT_EQ(block->Input(i), nullptr);
            EXPECT_EQ(block->InputType(i), ExpectedInputType(row.id)) << "input " << i;
        }
        ++rows;
    }
    EXPECT_EQ(rows, 81);
    EXPECT_EQ(counts.Keyboard, 0);
    EXPECT_EQ(counts.Lcd, 0);
    EXPECT_EQ(counts.Led, 0);
}

TEST(CoreFactory, StatementRootsOfTheFamilies) {
    KindCounts counts;
    auto make = [&](int id, int n) { return std::unique_ptr<CBlock>(CreateBlock(id, n, counts)); };
    auto value = make(700, 1), word = make(602, 2), da = make(104, 3), add = make(200, 4);
    auto open = make(800, 5), go = make(1000, 6);
    EXPECT_FALSE(value->IsStatementRoot());
    EXPECT_FALSE(word->IsStatementRoot()) << "a memory kind without input only loads";
    EXPECT_FALSE(da->IsStatementRoot()) << "a sink without input";
    EXPECT_TRUE(open->IsStatementRoot());
    EXPECT_TRUE(go->IsStatementRoot()) << "control kinds always";
    word->Connect(value.get(), 0);
    EXPECT_TRUE(word->IsStatementRoot());
    da->Connect(word.get(), 0);
    EXPECT_FALSE(word->IsStatementRoot()) << "its value is used by the sink";
    EXPECT_TRUE(da->IsStatementRoot());
    add->Connect(value.get(), -1);
    EXPECT_FALSE(add->IsStatementRoot()) << "operators are compiled through their users";
    da->DisconnectAll();
    word->DisconnectAll();
    add->DisconnectAll();
    EXPECT_EQ(value->OutputUses(), 0);
    EXPECT_EQ(word->OutputUses(), 0);
}

TEST(CoreFactory, JumpOpcodes) {
    KindCounts counts;
    auto opcode = [&](int id) {
        std::unique_ptr<CBlock> b(CreateBlock(id, 1, counts));
        return static_cast<CGotoBlock*>(b.get())->JumpOpcode();
    };
    EXPECT_EQ(opcode(1000), 3);
    EXPECT_EQ(opcode(1001), 5);
    EXPECT_EQ(opcode(1003), 3);
    EXPECT_EQ(opcode(1004), 5);
    auto final = [&](int id) {
        std::unique_ptr<CBlock> b(CreateBlock(id, 1, counts));
        return static_cast<CReturnBlock*>(b.get())->FinalOpcode();
    };
    EXPECT_EQ(final(1002), 6);
    EXPECT_EQ(final(1007), 255);
}

TEST(CoreFactory, LibraryCountsArePerEngine) {
    CMoltrane a, b;
    ASSERT_TRUE(a.AddPage(1, 0));
    ASSERT_TRUE(b.AddPage(1, 0));
    EXPECT_EQ(AddBlock(a, IdKeyboard, 0x10001), 1);
    EXPECT_EQ(AddBlock(a, IdLCD, 0x10002), 1);
    EXPECT_EQ(AddBlock(a, IdLED, 0x10003), 1);
    EXPECT_EQ(AddBlock(a, IdLED, 0x10004), 1);
    EXPECT_EQ(a.Counts.Keyboard, 1);
    EXPECT_EQ(a.Counts.Lcd, 1);
    EXPECT_EQ(a.Counts.Led, 2);
    EXPECT_EQ(b.Counts.Keyboard + b.Counts.Lcd + b.Counts.Led, 0);
    a.Pages.FirstNode->Item->RemoveBlock(0x10003);
    EXPECT_EQ(a.Counts.Led, 1);
    a.ClearPage(1);
    EXPECT_EQ(a.Counts.Keyboard + a.Counts.Lcd + a.Counts.Led, 0);
    EXPECT_EQ(AddBlock(a, IdLCD, 0x10002), 1);
    a.RemovePage(1);
    EXPECT_EQ(a.Counts.Lcd, 0);
}

TEST(CoreFactory, MissingPageLeavesCountsAlone) {
    CMoltrane engine;
    EXPECT_EQ(AddBlock(engine, IdKeyboard, 0x20001), 0);
    EXPECT_EQ(engine.Counts.Keyboard, 0);
}

TEST(CoreEngine, ErrorTextIsCutAt255Bytes) {
    CMoltrane engine;
    const std::string longText(400, 'x');
    engine.SetError(longText.c_str());
    EXPECT_EQ(std::string(engine.ErrorText), std::string(255, 'x'));
    engine.SetError("kurz");
    EXPECT_STREQ(engine.ErrorText, "kurz");
    EXPECT_EQ(static_cast<const void*>(&engine), static_cast<const void*>(engine.ErrorText));
}
