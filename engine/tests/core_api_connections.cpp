// Connection rules: input menu flags, can-connect, connect, split and removal.
#include "engine/tests/core_api_support.h"

namespace {

constexpr int kConstValue = 700, kConstText = 702, kConstTime = 703, kConstDate = 704;
constexpr int kAdd = 200, kSub = 201, kLower = 400, kDAPort = 104, kPrint = 900;
constexpr int kUserWord = 602;

class CoreConnections : public coretest::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_EQ(MoltraneAddPage(h, 1, 0), 1);
        ASSERT_EQ(MoltraneAddPage(h, 2, 1), 1);
    }
};

} // namespace

TEST_F(CoreConnections, ExactlyTwoNumberInputsFillUp) {
    const BlockHandle n1 = Add(kConstValue, 1, 1), n2 = Add(kConstValue, 1, 2);
    const BlockHandle n3 = Add(kConstValue, 1, 3), sub = Add(kSub, 1, 4);
    EXPECT_EQ(Flags(n1, sub), "  ");
    EXPECT_TRUE(MoltraneCanConnectBlocks(h, n1, sub));
    EXPECT_EQ(MoltraneConnectBlocks(h, n1, sub, 0), 0 << 16 | 1);
    EXPECT_EQ(Flags(n2, sub), "* ");
    EXPECT_EQ(MoltraneConnectBlocks(h, n2, sub, -1), 1 << 16 | 1);
    EXPECT_EQ(Flags(n3, sub), "**");
    EXPECT_FALSE(MoltraneCanConnectBlocks(h, n3, sub));
    // No free input left: nothing is connected.
    EXPECT_EQ(MoltraneConnectBlocks(h, n3, sub, -1), 0);
    MoltraneSplitBlockConnection(h, sub, 0);
    EXPECT_EQ(Flags(n3, sub), " *");
    EXPECT_EQ(MoltraneConnectBlocks(h, n3, sub, -1), 0 << 16 | 1);
}

TEST_F(CoreConnections, TextSourceIsRefusedByNumberInputs) {
    const BlockHandle text = Add(kConstText, 1, 1), sub = Add(kSub, 1, 2);
    const BlockHandle print = Add(kPrint, 1, 3);
    EXPECT_EQ(Flags(text, sub), "**");
    EXPECT_FALSE(MoltraneCanConnectBlocks(h, text, sub));
    // The print block takes numbers and texts.
    EXPECT_EQ(Flags(text, print), " ");
    EXPECT_TRUE(MoltraneCanConnectBlocks(h, text, print));
    EXPECT_EQ(MoltraneConnectBlocks(h, text, print, -1), 0 << 16 | 2);
}

TEST_F(CoreConnections, ConnectionKindFollowsSourceType) {
    const BlockHandle lower = Add(kLower, 1, 10), lower2 = Add(kLower, 1, 11);
    const BlockHandle time = Add(kConstTime, 1, 1), date = Add(kConstDate, 1, 2);
    EXPECT_EQ(MoltraneConnectBlocks(h, time, lower, -1), 0 << 16 | 3);
    EXPECT_EQ(MoltraneConnectBlocks(h, date, lower2, 1), 1 << 16 | 4);
}

TEST_F(CoreConnections, CanConnectWithoutDestinationAsksForAnOutput) {
    const BlockHandle value = Add(kConstValue, 1, 1), da = Add(kDAPort, 1, 2);
    EXPECT_TRUE(MoltraneCanConnectBlocks(h, value, 0));
    EXPECT_FALSE(MoltraneCanConnectBlocks(h, da, 0));
    // A block without inputs accepts nothing; its flags text is empty.
    EXPECT_FALSE(MoltraneCanConnectBlocks(h, value, value));
    EXPECT_EQ(Flags(value, value), "");
}

TEST_F(CoreConnections, ComparatorWantsOneTypeOnBothInputs) {
    const BlockHandle lower = Add(kLower, 1, 1), time = Add(kConstTime, 1, 2);
    const BlockHandle number = Add(kConstValue, 1, 3), time2 = Add(kConstTime, 1, 4);
    const BlockHandle text = Add(kConstText, 1, 5);
    EXPECT_EQ(Flags(text, lower), "**");
    EXPECT_EQ(Flags(number, lower), "  ");
    EXPECT_TRUE(MoltraneCanConnectBlocks(h, number, lower));
    ASSERT_EQ(MoltraneConnectBlocks(h, time, lower, 0), 0 << 16 | 3);
    // The flags still offer input b, but the types differ.
    EXPECT_EQ(Flags(number, lower), "* ");
    EXPECT_FALSE(MoltraneCanConnectBlocks(h, number, lower));
    EXPECT_TRUE(MoltraneCanConnectBlocks(h, time2, lower));
}

TEST_F(CoreConnections, RemovingASourceFreesOnlyItsInputs) {
    const BlockHandle a = Add(kConstValue, 1, 1), b = Add(kConstValue, 1, 2);
    const BlockHandle add = Add(kAdd, 1, 3), third = Add(kConstValue, 1, 4);
    ASSERT_EQ(MoltraneConnectBlocks(h, a, add, 0), 0 << 16 | 1);
    ASSERT_EQ(MoltraneConnectBlocks(h, b, add, 1), 1 << 16 | 1);
    ASSERT_EQ(MoltraneConnectBlocks(h, a, add, 2), 2 << 16 | 1);
    EXPECT_EQ(Flags(third, add).substr(0, 4), "*** ");
    MoltraneRemoveBlock(h, a);
    EXPECT_EQ(Flags(third, add).substr(0, 4), " *  ");
    // Both freed inputs count as free again: input 0 is the first free one.
    EXPECT_EQ(MoltraneConnectBlocks(h, third, add, -1), 0 << 16 | 1);
    EXPECT_EQ(MoltraneGetMapCode(h, a), 0);
}

TEST_F(CoreConnections, RemovingAUserLowersTheOutputUsesOfItsSource) {
    // A user word with its input wired is a statement of its own only while nothing uses its
    // output. Its operand is an incomplete subtraction, so compiling the word fails there.
    const BlockHandle sub = Add(kSub, 1, 1), word = Add(kUserWord, 1, 2);
    const BlockHandle da = Add(kDAPort, 1, 3);
    ASSERT_EQ(MoltraneConnectBlocks(h, sub, word, 0), 0 << 16 | 1);
    ASSERT_EQ(MoltraneConnectBlocks(h, word, da, 0), 0 << 16 | 1);
    MoltraneRemoveBlock(h, da);
    ASSERT_EQ(MoltraneCompilerInit(h), 1);
    EXPECT_EQ(MoltraneCompile(h), sub);
    EXPECT_STREQ(MoltraneGetErrorMessage(h), "fehlende Eingangsverbindung");
    // Once the word's own input is gone too, nothing on the page is a statement.
    MoltraneSplitBlockConnection(h, word, 0);
    ASSERT_EQ(MoltraneCompilerInit(h), 1);
    EXPECT_EQ(MoltraneCompile(h), 0);
}

TEST_F(CoreConnections, WiresNeverCrossPages) {
    const BlockHandle value = Add(kConstValue, 1, 1), sub = Add(kSub, 2, 1);
    EXPECT_FALSE(MoltraneCanConnectBlocks(h, value, sub));
    EXPECT_EQ(MoltraneConnectBlocks(h, value, sub, 0), 0);
    // Removing page 1 later must leave nothing dangling on page 2.
    MoltraneRemovePage(h, 1);
    const BlockHandle other = Add(kConstValue, 2, 2);
    EXPECT_EQ(Flags(other, sub), "  ");
}

TEST_F(CoreConnections, HandlesThatNameNoBlockDoNothing) {
    const BlockHandle value = Add(kConstValue, 1, 1), sub = Add(kSub, 1, 2);
    const BlockHandle ghost = Handle(1, 99), ghostPage = Handle(7, 1);
    EXPECT_FALSE(MoltraneCanConnectBlocks(h, ghost, sub));
    EXPECT_FALSE(MoltraneCanConnectBlocks(h, value, ghost));
    EXPECT_FALSE(MoltraneCanConnectBlocks(h, ghostPage, 0));
    EXPECT_EQ(MoltraneGetBlockInputMenuFlags(h, ghost, sub), nullptr);
    EXPECT_EQ(MoltraneGetBlockInputMenuFlags(h, value, ghostPage), nullptr);
    EXPECT_EQ(MoltraneConnectBlocks(h, ghost, sub, 0), 0);
    EXPECT_EQ(MoltraneConnectBlocks(h, value, ghost, 0), 0);
    MoltraneSplitBlockConnection(h, ghost, 0);
    MoltraneRemoveBlock(h, ghost);
    MoltraneRemoveBlock(h, ghostPage);
    EXPECT_EQ(MoltraneGetBlockInputMenu(h, ghost), nullptr);
    EXPECT_EQ(MoltraneGetIndexDescription(h, ghost), nullptr);
    EXPECT_EQ(MoltraneGetBlockParam(h, ghost), nullptr);
    EXPECT_FALSE(MoltraneSetBlockParam(h, ghost, "1"));
    EXPECT_FALSE(MoltraneEditBlockParam(h, ghost));
    EXPECT_FALSE(MoltraneHasBlockUserBitmap(h, ghostPage));
    EXPECT_EQ(Flags(value, sub), "  ");
}

TEST_F(CoreConnections, SplittingAFreeOrMissingInputChangesNothing) {
    const BlockHandle value = Add(kConstValue, 1, 1), sub = Add(kSub, 1, 2);
    ASSERT_EQ(MoltraneConnectBlocks(h, value, sub, 1), 1 << 16 | 1);
    MoltraneSplitBlockConnection(h, sub, 0);
    MoltraneSplitBlockConnection(h, sub, 5);
    MoltraneSplitBlockConnection(h, sub, -1);
    EXPECT_EQ(Flags(value, sub), " *");
    EXPECT_EQ(MoltraneConnectBlocks(h, value, sub, 7), 0);
    EXPECT_EQ(MoltraneConnectBlocks(h, value, sub, 1), 0) << "input 1 is taken";
}

TEST_F(CoreConnections, FlagsBufferBelongsToItsEngine) {
    EngineHandle other = MoltraneCreate();
    ASSERT_EQ(MoltraneAddPage(other, 1, 0), 1);
    ASSERT_EQ(MoltraneAddBlock(other, kConstValue, Handle(1, 1)), 1);
    ASSERT_EQ(MoltraneAddBlock(other, kAdd, Handle(1, 2)), 1);
    const BlockHandle value = Add(kConstValue, 1, 1), sub = Add(kSub, 1, 2);
    const char* mine = MoltraneGetBlockInputMenuFlags(h, value, sub);
    const char* theirs = MoltraneGetBlockInputMenuFlags(other, Handle(1, 1), Handle(1, 2));
    EXPECT_STREQ(mine, "  ");
    EXPECT_EQ(std::string(theirs), std::string(20, ' '));
    MoltraneDestroy(other);
}
