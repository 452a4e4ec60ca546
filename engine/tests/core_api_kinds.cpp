// The kind table as the graphical program sees it through the exported functions: every
// BlockTypeId with its output type, inputs, input names, user-bitmap flag, watch name and
// MapCode.
#include "engine/tests/core_api_support.h"

#include <string>

namespace {

struct KindRow {
    int id;
    int out;     // OutputType
    int inputs;  // number of inputs
    int accepts; // input type mask: 1 numbers, 3 numbers and texts, 13 comparators
    const char* names;
    bool bitmap;
    int mapKind, mapArea, mapIndex; // 0, 0, 0: no MapCode
    const char* watch;              // null: no watch name
};

constexpr const char* AB = "a\r\nb\r\n";
constexpr const char* ABC = "a\r\nb\r\nc\r\n";
constexpr const char* AH = "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\n";

const KindRow kKinds[] = {
    {100, 1, 1, 1, nullptr, true, 3, 2, 0, "PORT[1]"},
    {101, 1, 1, 1, nullptr, true, 2, 2, 0, "BYTEPORT[1]"},
    {102, 1, 1, 1, nullptr, true, 1, 2, 0, "WORDPORT"},
    {103, 1, 0, 0, nullptr, true, 2, 3, 0, "AD[1]"},
    {104, 0, 1, 1, nullptr, true, 2, 4, 0, "DA[1]"},
    {105, 1, 0, 0, nullptr, true, 1, 5, 9, "FREQ [Hz]"},
    {106, 1, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {107, 0, 8, 1, AH, false, 0, 0, 0, nullptr},
    {108, 0, 3, 1, ABC, false, 0, 0, 0, nullptr},
    {109, 0, 3, 1, ABC, false, 0, 0, 0, nullptr},
    {200, 1, 20, 1, nullptr, false, 0, 0, 0, nullptr},
    {201, 1, 2, 1, AB, false, 0, 0, 0, nullptr},
    {202, 1, 20, 1, nullptr, false, 0, 0, 0, nullptr},
    {203, 1, 2, 1, AB, false, 0, 0, 0, nullptr},
    {204, 1, 2, 1, AB, false, 0, 0, 0, nullptr},
    {205, 1, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {206, 1, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {207, 1, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {208, 1, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {209, 1, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {210, 1, 20, 1, nullptr, false, 0, 0, 0, nullptr},
    {211, 1, 20, 1, nullptr, false, 0, 0, 0, nullptr},
    {212, 1, 2, 1, AB, false, 0, 0, 0, nullptr},
    {213, 1, 2, 1, AB, false, 0, 0, 0, nullptr},
    {214, 1, 3, 1, ABC, false, 0, 0, 0, nullptr},
    {215, 1, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {300, 1, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {301, 1, 20, 1, nullptr, false, 0, 0, 0, nullptr},
    {302, 1, 20, 1, nullptr, false, 0, 0, 0, nullptr},
    {303, 1, 20, 1, nullptr, false, 0, 0, 0, nullptr},
    {304, 1, 20, 1, nullptr, false, 0, 0, 0, nullptr},
    {305, 1, 20, 1, nullptr, false, 0, 0, 0, nullptr},
    {400, 1, 2, 13, AB, false, 0, 0, 0, nullptr},
    {401, 1, 2, 13, AB, false, 0, 0, 0, nullptr},
    {402, 1, 2, 13, AB, false, 0, 0, 0, nullptr},
    {403, 1, 2, 13, AB, false, 0, 0, 0, nullptr},
    {404, 1, 2, 13, AB, false, 0, 0, 0, nullptr},
    {405, 1, 2, 13, AB, false, 0, 0, 0, nullptr},
    {406, 1, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {407, 1, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {408, 1, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {409, 1, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {500, 1, 1, 1, nullptr, false, 2, 5, 6, "SEC"},
    {501, 1, 1, 1, nullptr, false, 2, 5, 5, "MIN"},
    {502, 1, 1, 1, nullptr, false, 2, 5, 4, "HOUR"},
    {503, 4, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {504, 1, 1, 1, nullptr, false, 2, 5, 2, "DAY"},
    {506, 1, 1, 1, nullptr, false, 2, 5, 1, "MONTH"},
    {507, 1, 1, 1, nullptr, false, 2, 5, 0, "YEAR"},
    {508, 8, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {509, 1, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {600, 1, 1, 1, nullptr, false, 3, 1, 0, "BIT[1]"},
    {601, 1, 1, 1, nullptr, false, 2, 1, 0, "BYTE[1]"},
    {602, 1, 1, 1, nullptr, false, 1, 1, 0, "WORD[1]"},
    {700, 1, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {701, 1, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {702, 2, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {703, 4, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {704, 8, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {800, 0, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {801, 0, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {802, 0, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {803, 0, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {804, 1, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {805, 0, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {806, 1, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {807, 1, 0, 0, nullptr, false, 1, 5, 11, "FILEFREE"},
    {900, 0, 1, 3, nullptr, false, 0, 0, 0, nullptr},
    {901, 1, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {902, 0, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {903, 1, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {904, 0, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {905, 1, 0, 0, nullptr, false, 0, 0, 0, nullptr},
    {1000, 0, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {1001, 0, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {1002, 0, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {1003, 0, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {1004, 0, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {1005, 0, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {1006, 0, 1, 1, nullptr, false, 0, 0, 0, nullptr},
    {1007, 0, 1, 1, nullptr, false, 0, 0, 0, nullptr},
};

class CoreKindTable : public coretest::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_EQ(MoltraneAddPage(h, 1, 0), 1);
        number = Add(700, 1, 1);
        text = Add(702, 1, 2);
        time = Add(703, 1, 3);
        comparator = Add(400, 1, 4);
        print = Add(900, 1, 5);
    }

    // The output type as a connection shows it: comparators take numbers, times and dates,
    // the print block numbers and texts.
    int OutputTypeOf(BlockHandle b) {
        if (!MoltraneCanConnectBlocks(h, b, 0))
            return 0;
        const BlockHandle probe = Add(400, 1, 900);
        int kind = MoltraneConnectBlocks(h, b, probe, 0) & 0xFFFF;
        MoltraneRemoveBlock(h, probe);
        if (kind == 0) {
            const BlockHandle p = Add(900, 1, 901);
            kind = MoltraneConnectBlocks(h, b, p, 0) & 0xFFFF;
            MoltraneRemoveBlock(h, p);
        }
        static const int typeOfKind[] = {0, 1, 2, 4, 8};
        return kind >= 0 && kind <= 4 ? typeOfKind[kind] : -1;
    }

    static std::string Expected(int inputs, bool accepted) {
        return std::string(static_cast<size_t>(inputs), accepted ? ' ' : '*');
    }

    BlockHandle number = 0, text = 0, time = 0, comparator = 0, print = 0;
};

} // namespace

TEST_F(CoreKindTable, EveryKindRowByRow) {
    int n = 100;
    for (const KindRow& row : kKinds) {
        SCOPED_TRACE("type " + std::to_string(row.id));
        const BlockHandle b = Add(row.id, 1, n++);
        EXPECT_EQ(OutputTypeOf(b), row.out);
        EXPECT_EQ(Flags(number, b), Expected(row.inputs, (row.accepts & 1) != 0));
        EXPECT_EQ(Flags(text, b), Expected(row.inputs, (row.accepts & 2) != 0));
        EXPECT_EQ(Flags(time, b), Expected(row.inputs, (row.accepts & 4) != 0));
        const char* names = MoltraneGetBlockInputMenu(h, b);
        if (row.names == nullptr)
            EXPECT_EQ(names, nullptr);
        else
            EXPECT_STREQ(names, row.names);
        EXPECT_EQ(MoltraneHasBlockUserBitmap(h, b), row.bitmap);
        const int map = row.mapKind << 24 | row.mapArea << 16 | row.mapIndex;
        EXPECT_EQ(MoltraneGetMapCode(h, b), map);
        const char* watch = MoltraneGetSymbolicName(h, b);
        if (row.watch == nullptr)
            EXPECT_EQ(watch, nullptr);
        else
            EXPECT_STREQ(watch, row.watch);
    }
}

TEST_F(CoreKindTable, TableHasEightyOneKinds) {
    EXPECT_EQ(std::size(kKinds), 81u);
}

TEST_F(CoreKindTable, UnknownIdsAnswerOneAndAddNothing) {
    for (int id : {505, 0, 99, 110, 216, 306, 410, 510, 603, 705, 808, 906, 1008, -1}) {
        SCOPED_TRACE(id);
        const BlockHandle b = Handle(1, 50);
        EXPECT_EQ(MoltraneAddBlock(h, id, b), 1);
        EXPECT_FALSE(MoltraneCanConnectBlocks(h, b, 0));
        EXPECT_EQ(MoltraneGetBlockInputMenuFlags(h, number, b), nullptr);
    }
}

TEST_F(CoreKindTable, BlockOnAMissingPageIsRefused) {
    EXPECT_EQ(MoltraneAddBlock(h, 700, Handle(3, 1)), 0);
    ASSERT_EQ(MoltraneAddPage(h, 3, 0), 1);
    EXPECT_FALSE(MoltraneCanConnectBlocks(h, Handle(3, 1), 0));
    EXPECT_EQ(MoltraneAddBlock(h, 700, Handle(3, 1)), 1);
    EXPECT_TRUE(MoltraneCanConnectBlocks(h, Handle(3, 1), 0));
}

// An operator with an exact number of inputs needs all of them once its value is used; one
// with "up to" inputs needs one. The compile says which.
TEST_F(CoreKindTable, ExactAndUpToInputCountsOfOperators) {
    struct Op {
        int id;
        bool exact;
    };
    // Kinds of two or more inputs, one of them wired.
    const Op ops[] = {{200, false}, {201, true},  {202, false}, {203, true},  {204, true},
                      {210, false}, {211, false}, {212, true},  {213, true},  {214, true},
                      {301, false}, {302, false}, {303, false}, {304, false}, {305, false},
                      {400, true},  {401, true},  {402, true},  {403, true},  {404, true},
                      {405, true}};
    MoltraneClearPage(h, 1);
    ASSERT_EQ(MoltraneAddPage(h, 2, 1), 1);
    int n = 1;
    for (const Op& op : ops) {
        SCOPED_TRACE("type " + std::to_string(op.id));
        MoltraneClearPage(h, 2);
        const BlockHandle value = Add(700, 2, n++);
        const BlockHandle block = Add(op.id, 2, n++);
        const BlockHandle da = Add(104, 2, n++);
        ASSERT_EQ(MoltraneConnectBlocks(h, value, block, 0), 0 << 16 | 1);
        ASSERT_EQ(MoltraneConnectBlocks(h, block, da, 0), 0 << 16 | 1);
        ASSERT_EQ(MoltraneCompilerInit(h), 1);
        const int result = MoltraneCompile(h);
        if (op.exact) {
            EXPECT_EQ(result, block);
            EXPECT_STREQ(MoltraneGetErrorMessage(h), "fehlende Eingangsverbindung");
        } else {
            EXPECT_EQ(result, 0) << MoltraneGetErrorMessage(h);
        }
    }
}
