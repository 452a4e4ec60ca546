#include "editor/paralist.h"
#include "editor/undobuffer.h"
#include "textprobe.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace ved;
using vedtest::Probe;
using vedtest::TextOf;

namespace {

// Counts references the way the paragraph list does, to check what the buffer retains.
class RefCounter : public TUndoNodeOwner {
public:
    std::multiset<uint32_t> held;
    void RetainNode(uint32_t id) override { held.insert(id); }
    void ReleaseNode(uint32_t id) override {
        auto it = held.find(id);
        ASSERT_NE(it, held.end()) << "released twice: " << id;
        held.erase(it);
    }
};

class UndoTest : public vedtest::ListTest {
protected:
    void Load(const std::string& text) {
        ListTest::Load(text);
        list().SetUndoBufferSize(list().UndoBufferSize()); // forget the loading
        list().SetModified(false);
    }
    void Type(int32_t p, int32_t x, const std::string& s) {
        for (char c : s)
            ASSERT_EQ(list().InsertChars(&editor, p, x++, &c, 1), 0);
    }
    bool Undo() {
        int32_t p, x;
        return list().Undo(&editor, p, x);
    }
    bool Redo() {
        int32_t p, x;
        return list().Redo(&editor, p, x);
    }
};

} // namespace

TEST(UndoBufferTest, RecordsPackTheirFieldsLittleEndian) {
    RefCounter owner;
    TUndoBuffer buffer(&owner, 256);
    buffer.AddRecord(utInsertChars, true, 0x01020304, 7, "ab", 2);
    EXPECT_EQ(buffer.FreeBytes(), 256 - 16);
    TUndoRecord r;
    ASSERT_TRUE(buffer.TakeUndo(r));
    EXPECT_EQ(r.type, utInsertChars);
    EXPECT_TRUE(r.modified);
    EXPECT_EQ(r.paragraph, 0x01020304);
    EXPECT_EQ(r.position, 7);
    EXPECT_EQ(r.data, "ab");
    uint8_t raw[UndoHeaderSize];
    TUndoNode::WriteHeader(raw, 0x1234, utReplace, false, 9, -2, 3, 5);
    EXPECT_EQ(raw[0], 0x34);
    EXPECT_EQ(raw[1], 0x12);
    EXPECT_EQ(raw[2], 6);
    EXPECT_EQ(raw[3], 9);
    EXPECT_EQ(raw[4], 0xFE);
    EXPECT_EQ(raw[7], 0xFF);
    EXPECT_EQ(TUndoNode::DataLength(raw), 5);
}

TEST(UndoBufferTest, NodeRecordsHoldOneReferenceUntilDropped) {
    RefCounter owner;
    {
        TUndoBuffer buffer(&owner, 200);
        buffer.AddNodeRecord(utDeletePara, false, 1, 1, 42);
        buffer.AddNodeRecord(utParaBefore, false, 1, 1, 43);
        EXPECT_EQ(owner.held.size(), 2u);
        TUndoRecord r;
        ASSERT_TRUE(buffer.TakeUndo(r));
        EXPECT_EQ(r.node, 43u);
        EXPECT_EQ(owner.held.count(43), 1u);                  // a redo record still holds it
        buffer.AddRecord(utInsertChars, false, 1, 1, "x", 1); // discards the redo side
        EXPECT_EQ(owner.held.count(43), 0u);
        EXPECT_EQ(owner.held.count(42), 1u);
        for (int i = 0; i < 20; ++i) // fill up: the oldest groups go, with their nodes
            buffer.AddRecord(utInsertChars, false, i + 2, 1, "yyyy", 4);
        EXPECT_EQ(owner.held.count(42), 0u);
        buffer.AddNodeRecord(utDeletePara, false, 1, 1, 44);
    }
    EXPECT_TRUE(owner.held.empty()); // destruction releases the rest
}

TEST(UndoBufferTest, FullBufferDropsWholeOldGroupsInSteps) {
    RefCounter owner;
    TUndoBuffer buffer(&owner, 8192);
    std::string data(86, 'd'); // 100-byte records
    for (int i = 0; i < 81; ++i)
        buffer.AddRecord(utInsertChars, false, 1000 + i, 1, data.data(), int(data.size()));
    EXPECT_EQ(buffer.UndoCount(), 81);
    EXPECT_EQ(buffer.FreeBytes(), 92);
    buffer.AddRecord(utInsertChars, false, 5000, 1, data.data(), int(data.size()));
    // room was made up to a sixteenth of the block (512 bytes): five records went
    EXPECT_EQ(buffer.UndoCount(), 81 - 5 + 1);
    EXPECT_EQ(buffer.FreeBytes(), 92 + 5 * 100 - 100);
    TUndoRecord r;
    int last = 0;
    while (buffer.TakeUndo(r))
        last = r.paragraph;
    EXPECT_EQ(last, 1005); // the oldest survivor
}

TEST(UndoBufferTest, ARecordLargerThanTheBlockEmptiesTheHistoryAndBlocksTheGroup) {
    RefCounter owner;
    TUndoBuffer buffer(&owner, 100);
    buffer.AddRecord(utInsertChars, false, 1, 1, "abc", 3);
    bool previous = buffer.BeginGroup();
    buffer.AddRecord(utDeleteChars, false, 2, 1, "x", 1);
    std::string big(200, 'b');
    buffer.AddRecord(utInsertChars, false, 3, 1, big.data(), int(big.size()));
    EXPECT_FALSE(buffer.CanUndo());
    EXPECT_TRUE(buffer.NoRoom());
    buffer.AddRecord(utInsertChars, false, 4, 1, "y", 1); // refused within the group
    EXPECT_FALSE(buffer.CanUndo());
    buffer.EndGroup(previous);
    EXPECT_FALSE(buffer.NoRoom());
    buffer.AddRecord(utInsertChars, false, 5, 1, "z", 1);
    EXPECT_TRUE(buffer.CanUndo());
}

TEST(UndoBufferTest, GroupNumbersStayDistinctAfterTheCounterWraps) {
    RefCounter owner;
    TUndoBuffer buffer(&owner, 1000);
    buffer.AddRecord(utInsertChars, false, 1, 1, "a", 1);
    for (int i = 0; i < 255; ++i) // empty groups advance the counter all the way round
        buffer.EndGroup(buffer.BeginGroup());
    buffer.AddRecord(utInsertChars, false, 9, 9, "b", 1);
    uint8_t first, second;
    ASSERT_TRUE(buffer.PeekUndoGroup(second));
    TUndoRecord r;
    buffer.TakeUndo(r);
    ASSERT_TRUE(buffer.PeekUndoGroup(first));
    EXPECT_NE(first, second);
}

TEST_F(UndoTest, TypingAndBackspacingMergeIntoOneRecordEach) {
    Load("");
    Type(1, 1, "abc");
    EXPECT_EQ(list().UndoBuffer().UndoCount(), 1);
    for (int x = 3; x >= 1; --x)
        ASSERT_EQ(list().DeleteChars(&editor, 1, x, 1), 0);
    EXPECT_EQ(list().UndoBuffer().UndoCount(), 2);
    EXPECT_TRUE(Undo());
    EXPECT_EQ(TextOf(list()), "abc");
    EXPECT_TRUE(Undo());
    EXPECT_EQ(TextOf(list()), "");
    EXPECT_FALSE(Undo());
}

TEST_F(UndoTest, TypingElsewhereStartsANewGroup) {
    Load("hello world");
    Type(1, 3, "XX");
    Type(1, 10, "YY");
    EXPECT_EQ(list().UndoBuffer().UndoCount(), 2);
    int32_t p, x;
    ASSERT_TRUE(list().Undo(&editor, p, x));
    EXPECT_EQ(TextOf(list()), "heXXllo world");
    EXPECT_EQ(x, 10);
    ASSERT_TRUE(list().Undo(&editor, p, x));
    EXPECT_EQ(TextOf(list()), "hello world");
    EXPECT_EQ(x, 3);
    ASSERT_TRUE(list().Redo(&editor, p, x));
    EXPECT_EQ(TextOf(list()), "heXXllo world");
    EXPECT_EQ(p, 1);
    EXPECT_EQ(x, 5); // after the text put back
}

TEST_F(UndoTest, MergedReplacementsOfUnequalLengthUndoExactly) {
    Load("aaaa bbbb cccc");
    // replace "aaaa" by "X", then the next word in the text as it is now
    ASSERT_EQ(list().ReplaceChars(&editor, 1, 1, 4, "X", 1), 0);
    ASSERT_EQ(list().ReplaceChars(&editor, 1, 2, 5, "-longer-", 8), 0);
    EXPECT_EQ(TextOf(list()), "X-longer- cccc");
    EXPECT_EQ(list().UndoBuffer().UndoCount(), 1); // adjacent: one record
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(list()), "aaaa bbbb cccc");
    ASSERT_TRUE(Redo());
    EXPECT_EQ(TextOf(list()), "X-longer- cccc");
    // overwrite typing replaces one by one
    ASSERT_TRUE(Undo());
    for (int x = 6; x <= 9; ++x)
        ASSERT_EQ(list().ReplaceChars(&editor, 1, x, 1, "Z", 1), 0);
    EXPECT_EQ(TextOf(list()), "aaaa ZZZZ cccc");
    EXPECT_EQ(list().UndoBuffer().UndoCount(), 1);
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(list()), "aaaa bbbb cccc");
}

TEST_F(UndoTest, ReplacementsOfTextHoldingNulUndoExactly) {
    const std::string original("ab\0cd\0", 6);
    Load(original);
    // overwriting the NUL, then overwriting a letter by a NUL
    ASSERT_EQ(list().ReplaceChars(&editor, 1, 2, 2, "X", 1), 0);
    ASSERT_EQ(list().ReplaceChars(&editor, 1, 3, 1, "\0", 1), 0);
    EXPECT_EQ(TextOf(list()), std::string("aX\0d\0", 5));
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(list()), std::string("aXcd\0", 5));
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(list()), original);
    ASSERT_TRUE(Redo());
    ASSERT_TRUE(Redo());
    EXPECT_EQ(TextOf(list()), std::string("aX\0d\0", 5));
}

TEST_F(UndoTest, DeletingAParagraphAgainAfterItsUndoKeepsItsNode) {
    Load("eins\nzwei\ndrei");
    // the redo record of the first deletion refers to the node the second one deletes
    ASSERT_EQ(list().DeletePara(&editor, 2), 0);
    ASSERT_TRUE(Undo());
    ASSERT_EQ(list().DeletePara(&editor, 2), 0);
    EXPECT_EQ(TextOf(list()), "eins\ndrei");
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(list()), "eins\nzwei\ndrei");
    EXPECT_FALSE(Undo());
    // the same through a range of whole paragraphs
    ASSERT_EQ(list().DeleteRange(&editor, 1, 1, 3, 1), 0);
    ASSERT_TRUE(Undo());
    ASSERT_EQ(list().DeleteRange(&editor, 1, 1, 3, 1), 0);
    EXPECT_EQ(TextOf(list()), "drei");
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(list()), "eins\nzwei\ndrei");
}

TEST_F(UndoTest, DeletingAParagraphWhoseInsertionIsDroppedForRoomKeepsItsNode) {
    list().SetUndoBufferSize(128);
    Load("eins");
    ASSERT_EQ(list().NewParaAfter(&editor, 1, "neu", 3), 0); // the oldest group
    // separate groups fill the buffer until the next record needs the oldest one's room
    for (int x = 1; list().UndoBuffer().FreeBytes() >= 18; x += 2)
        ASSERT_EQ(list().InsertChars(&editor, 1, x, "a", 1), 0);
    ASSERT_EQ(list().DeletePara(&editor, 2), 0);
    ASSERT_TRUE(Undo());
    EXPECT_EQ(list().ParaCount(), 2);
    EXPECT_EQ(std::string(list().Node(2)->Text()), "neu");
}

TEST_F(UndoTest, DeletedParagraphSurvivesUndoAndANewEdit) {
    Load("one\ntwo\nthree");
    ASSERT_EQ(list().DeletePara(&editor, 2), 0);
    ASSERT_TRUE(Undo()); // back in the text, still referred to by the redo record
    EXPECT_EQ(TextOf(list()), "one\ntwo\nthree");
    Type(2, 4, "!"); // discards the redo record: the node must stay in the text
    EXPECT_EQ(TextOf(list()), "one\ntwo!\nthree");
    ASSERT_EQ(list().DeletePara(&editor, 2), 0);
    ASSERT_TRUE(Undo());
    ASSERT_TRUE(Redo());
    EXPECT_EQ(TextOf(list()), "one\nthree");
    list().SetUndoBufferSize(8192); // drops the record and frees the node it owns
    EXPECT_EQ(TextOf(list()), "one\nthree");
}

TEST_F(UndoTest, InsertedParagraphUndoneAndForgottenIsFreed) {
    Load("one");
    ASSERT_EQ(list().NewParaAfter(&editor, 1, "two", 3), 0);
    ASSERT_EQ(list().NewParaBefore(&editor, 1, "zero", 4), 0);
    ASSERT_TRUE(Undo());
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(list()), "one");
    Type(1, 1, ">"); // both nodes now belong to nobody and are freed (leak sanitizer)
    EXPECT_FALSE(list().CanRedo());
    ASSERT_TRUE(Undo());
    EXPECT_EQ(TextOf(list()), "one");
}

TEST_F(UndoTest, ModifiedFlagAfterSaveFollowsUndoAndRedo) {
    Load("text");
    Type(1, 5, "!");
    list().SetModified(false); // saved
    ASSERT_TRUE(Undo());
    EXPECT_TRUE(list().Modified());
    list().SetModified(false);
    ASSERT_TRUE(Redo());
    EXPECT_TRUE(list().Modified());
    ASSERT_TRUE(Undo());
    EXPECT_FALSE(list().Modified()); // the redo stored the flag as it was before it
}

TEST_F(UndoTest, ANewEditAfterUndoDiscardsTheRedoHistory) {
    Load("abc");
    Type(1, 4, "d");
    ASSERT_TRUE(Undo());
    EXPECT_TRUE(list().CanRedo());
    Type(1, 1, "x");
    EXPECT_FALSE(list().CanRedo());
    EXPECT_FALSE(Redo());
}

TEST_F(UndoTest, GroupsUndoAsOneAndLandOnTheGroupsFirstRecord) {
    Load("alpha\nbeta");
    bool previous = list().BeginGroup();
    Type(1, 1, "1");
    ASSERT_EQ(list().SplitPara(&editor, 2, 3, 0, 8, false), 0);
    ASSERT_EQ(list().DeletePara(&editor, 1), 0);
    list().EndGroup(previous);
    EXPECT_EQ(TextOf(list()), "be\nta");
    int32_t p, x;
    ASSERT_TRUE(list().Undo(&editor, p, x));
    EXPECT_EQ(TextOf(list()), "alpha\nbeta");
    EXPECT_EQ(p, 1);
    EXPECT_EQ(x, 1);
    EXPECT_FALSE(list().CanUndo());
    ASSERT_TRUE(list().Redo(&editor, p, x));
    EXPECT_EQ(TextOf(list()), "be\nta");
}

TEST_F(UndoTest, FillingTheBufferKeepsTheRecentHistoryConsistent) {
    list().SetUndoBufferSize(600);
    Load("x");
    const std::string start = TextOf(list());
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(list().NewParaAfter(&editor, list().ParaCount(), "para", 4), 0);
        Type(list().ParaCount(), 1, "ab ");
    }
    std::vector<std::string> states;
    int undone = 0;
    std::string before = TextOf(list());
    while (Undo()) {
        ++undone;
        ASSERT_NE(TextOf(list()), before);
        before = TextOf(list());
    }
    EXPECT_GT(undone, 5);
    EXPECT_LT(undone, 400); // the oldest were dropped
    while (Redo()) {
    }
    std::string expected = start;
    for (int i = 0; i < 200; ++i)
        expected += "\nab para";
    EXPECT_EQ(TextOf(list()), expected);
}

// A long random edit sequence: undoing everything restores the exact original and redoing
// everything restores the exact result. Replay a failure with the seed in the message.
TEST_F(UndoTest, RandomEditSequenceUndoesAndRedoesExactly) {
    for (uint32_t seed : {1u, 7u, 2024u, 99991u}) {
        editor.CreateParaList(seed % 2 == 0, 60000);
        list().SetWrapColumn(int(seed % 17) + 5);
        Load("The quick brown fox\njumps over\n\tthe lazy dog.\n\nEnd");
        const std::string original = TextOf(list());
        std::mt19937 random(seed);
        auto pick = [&](int n) { return n <= 0 ? 0 : int(random() % uint32_t(n)); };
        const char* words[] = {"a", "bc", " ", "\t", "de-f", "xyz ", "\xFC\xE4"};
        for (int step = 0; step < 600; ++step) {
            const int32_t p = pick(list().ParaCount()) + 1;
            const int length = list().ParaLength(p);
            const int32_t x = pick(length + 1) + 1;
            const std::string w = words[pick(7)];
            int32_t ep, ex;
            bool previous = false;
            const bool grouped = pick(10) == 0;
            if (grouped)
                previous = list().BeginGroup();
            switch (pick(10)) {
            case 0:
                list().InsertChars(&editor, p, x, w.data(), int(w.size()));
                break;
            case 1:
                list().InsertChars(&editor, p, x + pick(3), w.data(), int(w.size()));
                break;
            case 2:
                list().DeleteChars(&editor, p, x, pick(4) + 1);
                break;
            case 3:
                list().ReplaceChars(&editor, p, x, pick(3), w.data(), int(w.size()));
                break;
            case 4:
                list().SplitPara(&editor, p, x, pick(10), pick(2) * 4, pick(2));
                break;
            case 5:
                list().JoinPara(&editor, p, x + pick(3));
                break;
            case 6:
                list().DeletePara(&editor, p);
                break;
            case 7:
                list().NewParaBefore(&editor, p, w.data(), int(w.size()));
                break;
            case 8: {
                const int32_t p2 = pick(list().ParaCount()) + 1;
                list().DeleteRange(&editor, p, x, p2, pick(list().ParaLength(p2) + 1) + 1);
                break;
            }
            default:
                list().InsertText(&editor, p, x, "ab\r\ncd\n", 7, ep, ex);
                break;
            }
            if (grouped)
                list().EndGroup(previous);
            if (pick(8) == 0) { // now and then undo a little and redo it
                const std::string now = TextOf(list());
                if (Undo()) {
                    ASSERT_TRUE(Redo()) << "seed " << seed << " step " << step;
                    ASSERT_EQ(TextOf(list()), now) << "seed " << seed << " step " << step;
                }
            }
        }
        const std::string result = TextOf(list());
        ASSERT_LT(list().UndoBuffer().FreeBytes(), 60000);
        int undone = 0;
        while (Undo())
            ++undone;
        ASSERT_EQ(TextOf(list()), original) << "seed " << seed << " after " << undone;
        EXPECT_GT(undone, 300) << "seed " << seed; // the buffer kept the whole history
        ASSERT_FALSE(list().Modified()) << "seed " << seed;
        while (Redo()) {
        }
        ASSERT_EQ(TextOf(list()), result) << "seed " << seed;
        // line bookkeeping survived all of it
        int32_t lines = 0;
        for (int32_t p = 1; p <= list().ParaCount(); ++p)
            lines += list().Node(p)->LineCount();
        ASSERT_EQ(lines, list().LineCount()) << "seed " << seed;
    }
}
