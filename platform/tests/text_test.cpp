#include "platform/qt/ansi.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <set>

using namespace platform;

namespace {

std::string allBytes() {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    return all;
}

TEST(Windows1252Text, EveryByteMapsToItsOwnCodePointAndBack) {
    std::set<char32_t> seen;
    for (int b = 0; b < 256; ++b) {
        char32_t cp = Windows1252ToUnicode(static_cast<unsigned char>(b));
        EXPECT_TRUE(seen.insert(cp).second)
            << "byte " << b << " shares U+" << std::hex << uint32_t(cp);
        EXPECT_EQ(UnicodeToWindows1252(cp), static_cast<unsigned char>(b)) << b;
        EXPECT_TRUE(HasWindows1252Code(cp));
    }
    const std::string all = allBytes();
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
}

TEST(Windows1252Text, HighControlRangeUsesTheCodePagesCharacters) {
    EXPECT_EQ(Windows1252ToUtf8("\x80"), "\xE2\x82\xAC"); // euro sign
    EXPECT_EQ(Windows1252ToUtf8("\x84"), "\xE2\x80\x9E"); // low double quote
    EXPECT_EQ(Windows1252ToUtf8("\x8A"), "\xC5\xA0");     // S with caron
    EXPECT_EQ(Windows1252ToUtf8("\x99"), "\xE2\x84\xA2"); // trade mark
    EXPECT_EQ(Windows1252ToUtf8("\x9F"), "\xC5\xB8");     // Y with diaeresis
    EXPECT_EQ(Windows1252ToUtf8("\xFC\xDF"), "\xC3\xBC\xC3\x9F");
    // The five unassigned bytes stand for the C1 controls of the same number.
    for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(Windows1252ToUnicode(b), char32_t(b));
        EXPECT_EQ(UnicodeToWindows1252(char32_t(b)), b);
    }
    // The other C1 controls have no code: their bytes mean other characters.
    for (char32_t cp : {0x80, 0x82, 0x8A, 0x9F})
        EXPECT_FALSE(HasWindows1252Code(cp)) << std::hex << uint32_t(cp);
    EXPECT_EQ(UnicodeToWindows1252(0x20AC), 0x80);
    EXPECT_EQ(UnicodeToWindows1252(0x0178), 0x9F);
}

TEST(Windows1252Text, CharactersWithoutCodeBecomeQuestionMarks) {
    EXPECT_FALSE(HasWindows1252Code(0x0100));
    EXPECT_FALSE(HasWindows1252Code(0x65E5));
    EXPECT_FALSE(HasWindows1252Code(0x1F600));
    EXPECT_EQ(Utf8ToWindows1252("a\xE6\x97\xA5"
                                "b"),
              "a?b");                                        // one per character
    EXPECT_EQ(Utf8ToWindows1252("\xF0\x9F\x98\x80!"), "?!"); // outside the basic plane
    EXPECT_EQ(Utf8ToWindows1252("\xC2\x80"), "?");           // U+0080 has no code
    EXPECT_EQ(Utf8ToWindows1252("\xC2\x81"), "\x81");
}

TEST(Windows1252Text, MalformedUtf8NeverOverrunsAndGivesQuestionMarks) {
    EXPECT_EQ(Utf8ToWindows1252("\x80x"), "?x");              // stray continuation byte
    EXPECT_EQ(Utf8ToWindows1252("\xE2\x82"), "?");            // cut at the end
    EXPECT_EQ(Utf8ToWindows1252("\xE2\x82x"), "?x");          // cut inside the text
    EXPECT_EQ(Utf8ToWindows1252("\xC0\xBC"), "??");           // overlong '<'
    EXPECT_EQ(Utf8ToWindows1252("\xED\xA0\x80"), "???");      // surrogate
    EXPECT_EQ(Utf8ToWindows1252("\xF4\x90\x80\x80"), "????"); // beyond U+10FFFF
    EXPECT_EQ(Utf8ToWindows1252("\xFF\xFE"), "??");
    EXPECT_EQ(Utf8ToWindows1252(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Windows1252Text, CaseFoldingCoversTheCodePagesLetters) {
    EXPECT_TRUE(EqualNoCase("MainWindow", "MAINWINDOW"));
    EXPECT_TRUE(EqualNoCase("k\xFC"
                            "che",
                            "K\xDC"
                            "CHE"));
    EXPECT_TRUE(EqualNoCase("\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F"));
    EXPECT_FALSE(EqualNoCase("\xF7", "\xD7")); // division and multiplication signs differ
    EXPECT_FALSE(EqualNoCase("a", "ab"));
    EXPECT_FALSE(EqualNoCase("[", "{"));
}

TEST(AnsiQt, QStringRoundTripsEveryByte) {
    const std::string all = allBytes();
    QString text = AnsiToQString(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text.at(0xFC), QChar(0xFC));
    EXPECT_EQ(text.at(0x80), QChar(0x20AC));
    EXPECT_EQ(text.at(0x81), QChar(0x81));
    EXPECT_EQ(QStringToAnsi(text), all);
    EXPECT_EQ(QStringToAnsiBytes(text), QByteArray(all.data(), 256));
    EXPECT_EQ(AnsiToQString(QByteArray("Gr\xF6\xDF"
                                       "e")),
              QString::fromUtf8("Größe"));
}

TEST(AnsiQt, UnmappableCharactersBecomeOneQuestionMarkEach) {
    QString text = QString::fromUtf8("x\xE6\x97\xA5\xF0\x9F\x98\x80\xE2\x82\xACy");
    EXPECT_EQ(QStringToAnsi(text), "x??\x80y");
    QString lone;
    lone.append(QChar(0xD800)).append(QChar('a'));
    EXPECT_EQ(QStringToAnsiBytes(lone), QByteArray("?a"));
    EXPECT_TRUE(IsAnsiCharacter(QChar(0xFC)));
    EXPECT_TRUE(IsAnsiCharacter(QChar(0x20AC)));
    EXPECT_FALSE(IsAnsiCharacter(QChar(0x0100)));
    EXPECT_FALSE(IsAnsiCharacter(QChar(0xD800)));
}

} // namespace
