#include "editor/vedexcept.h"
#include "editor/vedutil.h"

#include <gtest/gtest.h>

#include <random>

using namespace ved;

namespace {
int Search(const std::string& text, std::string pattern, bool matchCase) {
    if (!matchCase)
        for (char& c : pattern)
            c = UpperAnsi(c);
    TSkipTable table = MakeSkipTable(pattern.data(), int(pattern.size()));
    return SearchText(text.data(), int(text.size()), pattern.data(), table, matchCase);
}
} // namespace

TEST(SearchTest, SkipTableTakesTheLastOccurrenceOfEachCharacter) {
    TSkipTable t = MakeSkipTable("abcab", 5);
    EXPECT_EQ(t.patternLength, 5);
    EXPECT_EQ(t.skip['a'], 1);
    EXPECT_EQ(t.skip['b'], 3);
    EXPECT_EQ(t.skip['c'], 2);
    EXPECT_EQ(t.skip['z'], 5);
    std::string long300(300, 'x');
    EXPECT_EQ(MakeSkipTable(long300.data(), 300).patternLength, 255);
}

TEST(SearchTest, FindsTheFirstMatchWithOrWithoutCase) {
    EXPECT_EQ(Search("hello world", "world", true), 6);
    EXPECT_EQ(Search("hello world", "WORLD", true), -1);
    EXPECT_EQ(Search("hello World", "world", false), 6);
    EXPECT_EQ(Search("abababc", "ababc", true), 2);
    EXPECT_EQ(Search("x", "x", true), 0);
    EXPECT_EQ(Search("abc", "", true), -1);
    EXPECT_EQ(Search("ab", "abc", true), -1);
    EXPECT_EQ(Search("Gr\xFC\xDF"
                     "e",
                     "GR\xDC\xDF", false),
              0); // Windows-1252 umlaut
    EXPECT_EQ(UpperAnsi('\xFF'), '\x9F');
    EXPECT_EQ(UpperAnsi('\xF7'), '\xF7'); // division sign has no case
}

TEST(SearchTest, AgreesWithAPlainSearchOnRandomTexts) {
    std::mt19937 random(5);
    for (int round = 0; round < 500; ++round) {
        std::string text, pattern;
        for (int i = int(random() % 60); i > 0; --i)
            text += "abAB"[random() % 4];
        for (int i = int(random() % 5) + 1; i > 0; --i)
            pattern += "abAB"[random() % 4];
        const auto expected = text.find(pattern);
        EXPECT_EQ(Search(text, pattern, true), expected == std::string::npos ? -1 : int(expected))
            << text << " / " << pattern;
    }
}

TEST(TextHelpersTest, ExpandsTabsAndCountsBlanks) {
    EXPECT_EQ(ExpandTabs("a\tbc\td", 6, 4), "a   bc  d");
    EXPECT_EQ(ExpandTabs("a\tb", 3, 0), "");
    EXPECT_EQ(TrailingBlanks("ab \t ", 5), 3);
    EXPECT_EQ(TrailingBlanks("   ", 3), 3);
    EXPECT_EQ(PadWithBlanks("ab", 4), "ab  ");
    EXPECT_EQ(PadWithBlanks("abcdef", 4), "abcdef");
    EXPECT_EQ(DisplayWidth("\t\t", 2, 8), 16);
    EXPECT_EQ(CharsInColumns("ab\tc", 4, 8, 8), 3);
    EXPECT_EQ(CharsInColumns("ab\tc", 4, 7, 8), 2);
}

TEST(TextHelpersTest, EditsNulTerminatedTexts) {
    char buffer[16] = "abcd";
    InsertChar(buffer, 2, 'X');
    EXPECT_STREQ(buffer, "abXcd");
    DeleteChar(buffer, 0);
    EXPECT_STREQ(buffer, "bXcd");
    DeleteChar(buffer, 10); // outside: nothing
    EXPECT_STREQ(buffer, "bXcd");
    EXPECT_EQ(FindChar(buffer, 'c'), 2);
    EXPECT_EQ(FindChar(buffer, 'q'), -1);
    EXPECT_EQ(FindText(buffer, "Xc"), 1);
    FillChars(buffer, 3, '-');
    EXPECT_STREQ(buffer, "---");
}

TEST(ExceptionsTest, EditorErrorsCarryTheirCodeAndMessage) {
    EEditorError e(VedErrParaLength);
    EXPECT_EQ(e.ErrorCode(), 268);
    EXPECT_STREQ(e.what(), "Current operation will exceed the maximum paragraph size");
    EXPECT_STREQ(VedErrorMessage(263), "insufficient memory for requested operation");
    EXPECT_STREQ(VedErrorMessage(266),
                 "Cannot join paragraphs. New paragraph size exceeds maximum paragraph size");
    EXPECT_STREQ(VedErrorMessage(1), "Unknown Error condition");
    EXPECT_THROW(throw EInvalidLineOrPara(), EEditorError);
    EXPECT_THROW(throw ENoControllerAssigned(), EVedException);
    EXPECT_STREQ(EInvalidLineOrCol().what(), "Invalid line or column");
}
