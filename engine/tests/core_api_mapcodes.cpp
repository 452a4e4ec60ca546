// Numbered kinds: their number text, index description, watch name and MapCode.
#include "engine/tests/core_api_support.h"

namespace {

class CoreMapCodes : public coretest::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_EQ(MoltraneAddPage(h, 1, 0), 1);
    }
    static int Map(int kind, int area, int index) { return kind << 24 | area << 16 | index; }
};

} // namespace

TEST_F(CoreMapCodes, NumberedKindsFollowTheirNumber) {
    struct Case {
        int id;
        const char* number;
        int map;
        const char* watch;
    };
    const Case cases[] = {
        {100, "16", Map(3, 2, 15), "PORT[16]"},   {101, "2", Map(2, 2, 1), "BYTEPORT[2]"},
        {103, "8", Map(2, 3, 7), "AD[8]"},        {104, "2", Map(2, 4, 1), "DA[2]"},
        {600, "192", Map(3, 1, 191), "BIT[192]"}, {601, "24", Map(2, 1, 23), "BYTE[24]"},
        {602, "12", Map(1, 1, 11), "WORD[12]"},
    };
    int n = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const BlockHandle b = Add(c.id, 1, n++);
        EXPECT_STREQ(MoltraneGetBlockParam(h, b), "1");
        EXPECT_STREQ(MoltraneGetIndexDescription(h, b), "1");
        EXPECT_TRUE(MoltraneSetBlockParam(h, b, c.number));
        EXPECT_STREQ(MoltraneGetBlockParam(h, b), c.number);
        EXPECT_STREQ(MoltraneGetIndexDescription(h, b), c.number);
        EXPECT_EQ(MoltraneGetMapCode(h, b), c.map);
        EXPECT_STREQ(MoltraneGetSymbolicName(h, b), c.watch);
    }
}

TEST_F(CoreMapCodes, NumbersAboveTheMaximumAreRefusedButKept) {
    const BlockHandle bit = Add(100, 1, 1), word = Add(602, 1, 2), ad = Add(103, 1, 3);
    EXPECT_FALSE(MoltraneSetBlockParam(h, bit, "17"));
    EXPECT_STREQ(MoltraneGetBlockParam(h, bit), "17");
    EXPECT_STREQ(MoltraneGetSymbolicName(h, bit), "PORT[17]");
    EXPECT_FALSE(MoltraneSetBlockParam(h, word, "13"));
    EXPECT_TRUE(MoltraneSetBlockParam(h, word, "12"));
    // A/D and D/A take any number.
    EXPECT_TRUE(MoltraneSetBlockParam(h, ad, "9"));
    // At most four characters are kept.
    EXPECT_TRUE(MoltraneSetBlockParam(h, word, "0001234"));
    EXPECT_STREQ(MoltraneGetBlockParam(h, word), "0001");
    EXPECT_EQ(MoltraneGetMapCode(h, word), Map(1, 1, 0));
}

TEST_F(CoreMapCodes, WordPortHasNoParameter) {
    const BlockHandle port = Add(102, 1, 1);
    EXPECT_EQ(MoltraneGetBlockParam(h, port), nullptr);
    EXPECT_EQ(MoltraneGetIndexDescription(h, port), nullptr);
    EXPECT_TRUE(MoltraneSetBlockParam(h, port, "5"));
    EXPECT_EQ(MoltraneGetMapCode(h, port), Map(1, 2, 0));
    EXPECT_STREQ(MoltraneGetSymbolicName(h, port), "WORDPORT");
}

TEST_F(CoreMapCodes, WatchNamesOfOneFamilyDoNotOverwriteEachOther) {
    const BlockHandle a = Add(601, 1, 1), b = Add(601, 1, 2);
    ASSERT_TRUE(MoltraneSetBlockParam(h, a, "3"));
    ASSERT_TRUE(MoltraneSetBlockParam(h, b, "4"));
    const char* nameA = MoltraneGetSymbolicName(h, a);
    EXPECT_STREQ(MoltraneGetSymbolicName(h, b), "BYTE[4]");
    EXPECT_STREQ(nameA, "BYTE[3]");

    EngineHandle other = MoltraneCreate();
    ASSERT_EQ(MoltraneAddPage(other, 1, 0), 1);
    ASSERT_EQ(MoltraneAddBlock(other, 601, Handle(1, 1)), 1);
    ASSERT_TRUE(MoltraneSetBlockParam(other, Handle(1, 1), "20"));
    const char* otherName = MoltraneGetSymbolicName(other, Handle(1, 1));
    EXPECT_STREQ(MoltraneGetSymbolicName(h, a), "BYTE[3]");
    EXPECT_STREQ(otherName, "BYTE[20]");
    MoltraneDestroy(other);
}

TEST_F(CoreMapCodes, HandlesThatNameNoBlockAnswerNothing) {
    Add(602, 1, 1);
    EXPECT_EQ(MoltraneGetMapCode(h, Handle(1, 2)), 0);
    EXPECT_EQ(MoltraneGetSymbolicName(h, Handle(1, 2)), nullptr);
    EXPECT_EQ(MoltraneGetMapCode(h, Handle(2, 1)), 0);
    EXPECT_EQ(MoltraneGetSymbolicName(h, Handle(0, 1)), nullptr);
}

TEST_F(CoreMapCodes, RemovedBlockIsGone) {
    const BlockHandle b = Add(600, 1, 7);
    MoltraneRemoveBlock(h, b);
    EXPECT_EQ(MoltraneGetMapCode(h, b), 0);
    MoltraneRemoveBlock(h, b); // twice is harmless
}

// A refused number stays in the block, so its map code names a value beyond its area; the low
// byte or the low five bits of such an index must not reach a value that some other block shows.
TEST_F(CoreMapCodes, CodesOfRefusedNumbersReachNoOtherValue) {
    struct Case {
        int id;
        const char* refused;
        const char* alias; // the number whose value a wrapped index would reach
        short value;
    };
    const Case cases[] = {
        {600, "300", "44", 1}, {601, "257", "1", 77}, {602, "257", "1", 1234},
        {100, "33", "1", 1},   {101, "257", "1", 99},
    };
    int n = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refused);
        const BlockHandle refused = Add(c.id, 1, n++), alias = Add(c.id, 1, n++);
        EXPECT_FALSE(MoltraneSetBlockParam(h, refused, c.refused));
        ASSERT_TRUE(MoltraneSetBlockParam(h, alias, c.alias));
        const MapCode code = MoltraneGetMapCode(h, refused);
        ASSERT_NE(code, MoltraneGetMapCode(h, alias));
        ASSERT_TRUE(MoltraneSetValue(h, MoltraneGetMapCode(h, alias), c.value));
        EXPECT_EQ(MoltraneGetValue(h, code), 0);
        EXPECT_FALSE(MoltraneSetValue(h, code, 0));
        EXPECT_NE(MoltraneGetValue(h, MoltraneGetMapCode(h, alias)), 0);
    }
}
