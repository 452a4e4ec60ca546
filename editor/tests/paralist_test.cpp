#include "editor/paralist.h"
#include "editor/vedexcept.h"
#include "textprobe.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace ved;
using vedtest::LinesOf;
using vedtest::Probe;
using vedtest::TextOf;

namespace {

class ParaListTest : public vedtest::ListTest {
protected:
    uint16_t Insert(int32_t p, int32_t x, const std::string& s) {
        return list().InsertChars(&editor, p, x, s.data(), int(s.size()));
    }
};

// Line starts of a paragraph wrapped from scratch, to compare incremental wrapping against.
std::vector<int> FreshStarts(const std::string& text, int column, uint8_t tabSize) {
    Probe other;
    other.CreateParaList(true, 0);
    TParaList& l = *other.ParaList();
    l.SetTabSize(tabSize);
    l.SetWrapColumn(column);
    l.InsertChars(&other, 1, 1, text.data(), int(text.size()));
    l.SetWrapColumn(column + 1); // force a full rewrap
    l.SetWrapColumn(column);
    std::vector<int> starts;
    for (int i = 0; i < l.Node(1)->LineCount(); ++i)
        starts.push_back(l.Node(1)->LineStart(i));
    return starts;
}

} // namespace

TEST_F(ParaListTest, NewListHoldsOneEmptyParagraphAndCountsNoBytes) {
    EXPECT_EQ(list().ParaCount(), 1);
    EXPECT_EQ(list().LineCount(), 1);
    EXPECT_EQ(list().ByteCount(), 0);
    EXPECT_FALSE(list().Modified());
    Load("ab\ncde");
    EXPECT_EQ(list().ParaCount(), 2);
    EXPECT_EQ(list().ByteCount(), 2 + 3 + 2); // text plus 2 per added paragraph
    EXPECT_TRUE(list().Modified());
}

TEST_F(ParaListTest, WrapsAtBlanksHyphensOrHardAtTheColumn) {
    list().SetWrapColumn(10);
    list().SetWordWrap(true);
    Load("aaaa bbbb cccc\naaaaaaaaaaaaaaa\nabc-defghijk\n               ");
    EXPECT_EQ(LinesOf(list()),
              (std::vector<std::string>{"aaaa bbbb ", "cccc", "aaaaaaaaaa", "aaaaa", "abc-",
                                        "defghijk", "               "}));
    EXPECT_EQ(list().LineCount(), 7);
}

TEST_F(ParaListTest, WrapColumnOfZeroOrBelowMeansNoWrap) {
    list().SetWordWrap(true);
    Load(std::string(300, 'x') + " " + std::string(300, 'y'));
    EXPECT_GT(list().LineCount(), 1);
    list().SetWrapColumn(0);
    EXPECT_EQ(list().LineCount(), 1);
    list().SetWrapColumn(-5);
    EXPECT_EQ(list().LineCount(), 1);
    EXPECT_EQ(Insert(1, 10, "more text"), 0);
    EXPECT_EQ(list().LineCount(), 1);
}

TEST_F(ParaListTest, TabsWrapByDisplayColumnsAndAWideTabStillMakesProgress) {
    list().SetWrapColumn(10);
    list().SetWordWrap(true);
    Load("ab\tcd\tef gh"); // columns: ab 2, tab to 8, cd 10, tab to 16 ...
    EXPECT_EQ(LinesOf(list()), (std::vector<std::string>{"ab\tcd\t", "ef gh"}));
    list().SetWrapColumn(3); // a tab of 8 columns is wider than the line
    std::vector<std::string> lines = LinesOf(list());
    std::string joined;
    for (const auto& l : lines) {
        EXPECT_FALSE(l.empty());
        joined += l;
    }
    EXPECT_EQ(joined, "ab\tcd\tef gh");
}

TEST_F(ParaListTest, WithoutWordWrapOnlyVeryLongParagraphsWrap) {
    list().SetParaLengthLimit(65535);
    Load(std::string(40000, 'q'));
    EXPECT_EQ(list().LineCount(), 2); // 32767 + rest
    EXPECT_EQ(list().LineLength(1), 32767);
}

TEST_F(ParaListTest, IncrementalRewrapMatchesAFullWrapAfterEveryEdit) {
    std::mt19937 random(1234);
    const int column = 12;
    list().SetWrapColumn(column);
    list().SetWordWrap(true);
    const char alphabet[] = "abc de-f  g\t";
    for (int step = 0; step < 2000; ++step) {
        const int length = list().ParaLength(1);
        if (length > 0 && random() % 3 == 0) {
            int x = int(random() % length) + 1;
            ASSERT_EQ(list().DeleteChars(&editor, 1, x, int(random() % 4) + 1), 0);
        } else {
            std::string s;
            for (int n = int(random() % 3) + 1; n > 0; --n)
                s += alphabet[random() % (sizeof alphabet - 1)];
            ASSERT_EQ(Insert(1, int(random() % (length + 1)) + 1, s), 0);
        }
        int paraLength;
        std::string text(list().ParaText(1, paraLength));
        std::vector<int> starts;
        for (int i = 0; i < list().Node(1)->LineCount(); ++i)
            starts.push_back(list().Node(1)->LineStart(i));
        ASSERT_EQ(starts, FreshStarts(text, column, 8)) << "step " << step << " text " << text;
        ASSERT_EQ(list().LineCount(), int(starts.size()));
    }
}

TEST_F(ParaListTest, LineAndColumnMappingWorksBothWays) {
    list().SetWrapColumn(8);
    list().SetWordWrap(true);
    Load("one two three four\n\nfive six seven eight nine\nten");
    int32_t line = 1;
    for (int32_t p = 1; p <= list().ParaCount(); ++p) {
        const int length = list().ParaLength(p);
        for (int32_t x = 1; x <= length + 1; ++x) {
            int32_t l, c, para, offset;
            ASSERT_TRUE(list().LineOfPos(p, x, l, c));
            ASSERT_TRUE(list().ParaOfLine(l, para, offset));
            EXPECT_EQ(para, p);
            EXPECT_EQ(offset + c, x) << p << "," << x;
            EXPECT_GE(l, line);
            line = l;
        }
    }
    EXPECT_EQ(line, list().LineCount());
    int32_t l, c;
    list().LineOfPos(1, 9, l, c); // "one two " | "three " ...
    EXPECT_EQ(l, 2);
    EXPECT_EQ(c, 1);
    const char* text;
    int length;
    EXPECT_EQ(list().GetLine(list().LineCount() + 1, text, length), nullptr);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(list().Node(0), nullptr);
    EXPECT_EQ(list().Node(list().ParaCount() + 1), nullptr);
}

TEST_F(ParaListTest, ColumnsCountTabsToTheNextStop) {
    const char* text = "a\tb";
    EXPECT_EQ(list().ColumnOfPos(text, 3, 0), 1);
    EXPECT_EQ(list().ColumnOfPos(text, 3, 2), 2);
    EXPECT_EQ(list().ColumnOfPos(text, 3, 3), 9);
    EXPECT_EQ(list().ColumnOfPos(text, 3, 5), 9 + 2); // width 9, two past the end
    EXPECT_EQ(list().PosOfColumn(text, 3, 9), 3);
    EXPECT_EQ(list().PosOfColumn(text, 3, 5), 2); // inside the tab
    EXPECT_EQ(list().ColumnOfPos("abc", 3, 3), 3);
}

TEST_F(ParaListTest, ParagraphLimitAllowsOneMoreWhenTheLastParagraphIsEmpty) {
    list().SetParaLimit(1000);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(list().AppendPara("x", 1), 0) << i;
    EXPECT_EQ(list().ParaCount(), 1001);
    EXPECT_EQ(list().AppendPara("x", 1), VedErrParaLimit);
    int32_t p, x;
    EXPECT_EQ(list().InsertText(&editor, 5, 1, "a\nb", 3, p, x), VedErrParaLimit);
    EXPECT_EQ(list().ParaCount(), 1001);
    EXPECT_FALSE(list().Modified()); // appending is loading, not editing
}

TEST_F(ParaListTest, ByteAndParagraphLengthLimitsRefuseTheWholeStep) {
    list().SetByteLimit(15);
    Load("0123456789");
    EXPECT_EQ(Insert(1, 1, "0123456789"), VedErrByteLimit);
    EXPECT_EQ(TextOf(list()), "0123456789");
    list().SetByteLimit(TParaList::NoLimit);
    list().SetParaLengthLimit(12);
    EXPECT_EQ(Insert(1, 1, "abc"), VedErrParaLength);
    EXPECT_EQ(Insert(1, 1, "ab"), 0);
    EXPECT_EQ(list().ReplaceChars(&editor, 1, 1, 1, "xy", 2), VedErrParaLength);
    EXPECT_EQ(list().ReplaceChars(&editor, 1, 1, 2, "xy", 2), 0);
    EXPECT_EQ(list().NewParaAfter(&editor, 1, "0123456789abc", 13), VedErrParaLength);
    EXPECT_EQ(TextOf(list()), "xy0123456789");
}

TEST_F(ParaListTest, ParagraphLengthNeverWrapsPastSixteenBits) {
    list().SetParaLengthLimit(100000); // stored as given, but a paragraph holds 65535 at most
    std::string big(65530, 'b');
    ASSERT_EQ(Insert(1, 1, big), 0);
    EXPECT_EQ(Insert(1, 1, "1234567"), VedErrParaLength);
    EXPECT_EQ(Insert(1, 70000, "x"), VedErrParaLength); // padding counts too
    EXPECT_EQ(list().SplitPara(&editor, 1, 2, 40, 0, false), VedErrParaLength);
    EXPECT_EQ(list().ParaLength(1), 65530);
    EXPECT_EQ(list().ParaCount(), 1);
}

TEST_F(ParaListTest, JoinAndAutoIndentRespectTheParagraphLimit) {
    list().SetParaLengthLimit(10);
    Load("abcdef\nghijk");
    EXPECT_EQ(list().JoinPara(&editor, 1, 7), VedErrJoinTooLong);
    EXPECT_EQ(list().JoinPara(&editor, 1, 1), VedErrJoinTooLong); // position is never inside
    EXPECT_EQ(TextOf(list()), "abcdef\nghijk");
    EXPECT_EQ(list().SplitPara(&editor, 2, 2, 7, 0, false), VedErrParaLength);
    EXPECT_EQ(list().SplitPara(&editor, 2, 2, 6, 0, false), 0);
    EXPECT_EQ(TextOf(list()), "abcdef\ng\n      hijk");
    EXPECT_EQ(list().DeleteChars(&editor, 1, 4, 3), 0);
    EXPECT_EQ(list().JoinPara(&editor, 1, 6), 0); // padded with two blanks
    EXPECT_EQ(TextOf(list()), "abc  g\n      hijk");
}

TEST_F(ParaListTest, SplitMovesTheTailAndWritesTheIndent) {
    Load("  abc   def");
    ASSERT_EQ(list().SplitPara(&editor, 1, 9, 10, 4, true), 0);
    EXPECT_EQ(TextOf(list()), "  abc\n\t\t  def");
    ASSERT_EQ(list().SplitPara(&editor, 2, 1, 3, 4, true), 0);
    EXPECT_EQ(TextOf(list()), "  abc\n\n\t\t  def"); // at position 1: empty paragraph before
    int32_t p, x;
    ASSERT_TRUE(list().Undo(&editor, p, x));
    ASSERT_TRUE(list().Undo(&editor, p, x));
    EXPECT_EQ(TextOf(list()), "  abc   def");
    EXPECT_EQ(p, 1);
    EXPECT_EQ(x, 9);
}

TEST_F(ParaListTest, RangeDeleteAndTextInsertAreSingleUndoSteps) {
    Load("first line\nsecond\nthird line");
    const std::string before = TextOf(list());
    ASSERT_EQ(list().DeleteRange(&editor, 1, 7, 3, 7), 0);
    EXPECT_EQ(TextOf(list()), "first line");
    int32_t p, x;
    ASSERT_TRUE(list().Undo(&editor, p, x));
    EXPECT_EQ(TextOf(list()), before);
    ASSERT_EQ(list().DeleteRange(&editor, 2, 1, 3, 1), 0); // whole paragraphs only
    EXPECT_EQ(TextOf(list()), "first line\nthird line");
    ASSERT_TRUE(list().Undo(&editor, p, x));
    ASSERT_EQ(list().InsertText(&editor, 2, 3, "A\r\nB\r\n\r\nC", 9, p, x), 0);
    EXPECT_EQ(TextOf(list()), "first line\nseA\nB\n\nCcond\nthird line");
    EXPECT_EQ(p, 5);
    EXPECT_EQ(x, 2);
    ASSERT_TRUE(list().Undo(&editor, p, x));
    EXPECT_EQ(TextOf(list()), before);
    ASSERT_TRUE(list().Redo(&editor, p, x));
    EXPECT_EQ(TextOf(list()), "first line\nseA\nB\n\nCcond\nthird line");
}

TEST_F(ParaListTest, BookmarksFollowEditsAndClearWithTheirText) {
    Load("0123456789\nabcdefghij\nlast");
    list().SetMarker(1, 2, 5); // on 'e'
    list().SetMarker(2, 2, 9); // on 'i'
    list().SetMarker(3, 3, 2);
    int32_t p, x;
    ASSERT_EQ(Insert(2, 1, "XY"), 0);
    ASSERT_TRUE(list().GetMarker(1, p, x));
    EXPECT_EQ(x, 7);
    ASSERT_EQ(list().DeleteChars(&editor, 2, 6, 3), 0); // deletes "def"... incl. marker 1
    EXPECT_FALSE(list().GetMarker(1, p, x));
    ASSERT_TRUE(list().GetMarker(2, p, x));
    EXPECT_EQ(x, 8);
    // a paragraph inserted above moves the bookmarks below it
    ASSERT_EQ(list().NewParaBefore(&editor, 1, "new", 3), 0);
    ASSERT_TRUE(list().GetMarker(2, p, x));
    EXPECT_EQ(p, 3);
    ASSERT_EQ(list().NewParaAfter(&editor, 3, "after", 5), 0);
    ASSERT_TRUE(list().GetMarker(3, p, x));
    EXPECT_EQ(p, 5);
    // a break before the bookmark carries it into the new paragraph
    ASSERT_EQ(list().SplitPara(&editor, 3, 3, 2, 0, false), 0);
    ASSERT_TRUE(list().GetMarker(2, p, x));
    EXPECT_EQ(p, 4);
    EXPECT_EQ(x, 8 - 3 + 1 + 2);
    // joining brings it back
    ASSERT_EQ(list().DeleteChars(&editor, 4, 1, 2), 0);
    ASSERT_EQ(list().JoinPara(&editor, 3, 3), 0);
    ASSERT_TRUE(list().GetMarker(2, p, x));
    EXPECT_EQ(p, 3);
    EXPECT_EQ(x, 8);
    ASSERT_EQ(list().DeletePara(&editor, 3), 0);
    EXPECT_FALSE(list().GetMarker(2, p, x));
    ASSERT_TRUE(list().GetMarker(3, p, x));
    EXPECT_EQ(p, 4);
    EXPECT_TRUE(list().SetMarkerAtLine(4, 2, 3));
    ASSERT_TRUE(list().GetMarker(4, p, x));
    EXPECT_EQ(p, 2);
    EXPECT_EQ(x, 3);
}

TEST_F(ParaListTest, EditorsOfOneRingFollowEachOthersEdits) {
    Probe second;
    second.Attach(editor);
    ASSERT_EQ(second.ParaList(), &list());
    Load("hello world\nsecond");
    second.caretPara = 1;
    second.caretPos = 7;
    ASSERT_EQ(Insert(1, 1, ">> "), 0);
    EXPECT_EQ(second.caretPos, 10);
    // the acting editor's own caret is its business
    editor.caretPara = 1;
    editor.caretPos = 1;
    ASSERT_EQ(list().InsertChars(&second, 1, 1, "!", 1), 0);
    EXPECT_EQ(editor.caretPos, 2);
    EXPECT_EQ(second.caretPos, 10);
    // inserted paragraphs push the caret down
    ASSERT_EQ(list().NewParaBefore(&editor, 1, "top", 3), 0);
    EXPECT_EQ(second.caretPara, 2);
    second.caretPara = 3;
    second.caretPos = 4;
    ASSERT_EQ(list().DeletePara(&editor, 3), 0);
    EXPECT_EQ(second.caretPara, 2);
    EXPECT_EQ(second.caretPos, 1);
    EXPECT_EQ(list().ParaCount(), 2);
    // notifications start after the actor and end with it
    second.seen.clear();
    editor.seen.clear();
    ASSERT_EQ(Insert(1, 1, "x"), 0);
    EXPECT_EQ(second.seen.size(), 1u);
    EXPECT_EQ(editor.seen.size(), 1u);
}

TEST_F(ParaListTest, TheLastEditorOfTheRingFreesTheList) {
    auto second = std::make_unique<Probe>();
    auto third = std::make_unique<Probe>();
    second->Attach(editor);
    third->Attach(*second);
    Load("shared");
    editor.LeaveRing(); // the owner leaves: the next editor owns the list
    EXPECT_EQ(editor.ParaList(), nullptr);
    ASSERT_NE(second->ParaList(), nullptr);
    EXPECT_TRUE(second->ParaList()->Owner() == second.get() ||
                second->ParaList()->Owner() == third.get());
    EXPECT_EQ(TextOf(*third->ParaList()), "shared");
    second.reset();
    EXPECT_EQ(third->ParaList()->Owner(), third.get());
    EXPECT_EQ(third->RingNext(), third.get());
    third.reset(); // frees the list (checked by the leak sanitizer)
    editor.CreateParaList(false, 8192);
}

TEST_F(ParaListTest, RenewedListKeepsTheSettings) {
    list().SetByteLimit(50000);
    list().SetParaLimit(1000);
    list().SetParaLengthLimit(200);
    list().SetWrapColumn(33);
    list().SetWordWrap(true);
    list().SetUndoBufferSize(4000);
    Load("text");
    editor.RenewParaList();
    EXPECT_EQ(TextOf(list()), "");
    EXPECT_EQ(list().ByteLimit(), 50000);
    EXPECT_EQ(list().ParaLimit(), 1000);
    EXPECT_EQ(list().ParaLengthLimit(), 200);
    EXPECT_EQ(list().WrapColumn(), 33);
    EXPECT_TRUE(list().WordWrap());
    EXPECT_EQ(list().UndoBufferSize(), 4000);
}

TEST_F(ParaListTest, BadParagraphNumbersRaise) {
    EXPECT_THROW(list().InsertChars(&editor, 2, 1, "x", 1), EInvalidLineOrPara);
    EXPECT_THROW(list().DeletePara(&editor, 0), EInvalidLineOrPara);
    EXPECT_THROW(list().NewParaBefore(&editor, 3, "x", 1), EInvalidLineOrPara);
    ASSERT_EQ(list().DeletePara(&editor, 1), 0); // the only paragraph stays, emptied
    EXPECT_EQ(list().ParaCount(), 1);
}

TEST_F(ParaListTest, EditsReportTheLinesToRepaint) {
    list().SetWrapColumn(10);
    list().SetWordWrap(true);
    Load("first\naaaa bbbb cccc dddd eeee ffff");
    ASSERT_EQ(LinesOf(list()).size(), 4u);    // first | aaaa bbbb | cccc dddd | eeee ffff
    ASSERT_EQ(Insert(2, 12, "x"), 0);         // "cxccc dddd " keeps its trailing blank on line 3
    EXPECT_EQ(list().ChangedFirst(), 2);      // from the line before the change
    EXPECT_EQ(list().ChangedLast(), 3);       // line 4 starts where it started, shifted by one
    ASSERT_EQ(Insert(2, 1, "zzzzzzzzz "), 0); // one more line
    EXPECT_EQ(list().ChangedFirst(), 2);
    EXPECT_EQ(list().ChangedLast(), INT32_MAX);
    EXPECT_EQ(list().LineCount(), 5);
}
