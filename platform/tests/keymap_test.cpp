#include "platform/qt/keymap.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include <memory>

using platform::KeyStroke;
using platform::MapKeyEvent;

namespace {

// Key events need the GUI's input devices, which only a GUI application owns and frees.
class KeyMapTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "keymap_test";
            static char* argv[] = {name, nullptr};
            app = new QGuiApplication(argc, argv);
        }
    }
    static void TearDownTestSuite() {
        delete app;
        app = nullptr;
    }
    static inline QGuiApplication* app = nullptr;
};

KeyStroke Map(int key, Qt::KeyboardModifiers mods, const QString& text = {}, quint32 scan = 0) {
    QKeyEvent event(QEvent::KeyPress, key, mods, scan, 0, 0, text);
    return MapKeyEvent(event);
}

} // namespace

TEST_F(KeyMapTest, NavigationKeysAndModifiersTakeTheirVirtualKeys) {
    KeyStroke s = Map(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(s.virtualKey, 37);
    EXPECT_EQ(s.shift, 6);
    s = Map(Qt::Key_Backspace, Qt::AltModifier, "\b");
    EXPECT_EQ(s.virtualKey, 8);
    EXPECT_EQ(s.shift, 8);
    EXPECT_EQ(Map(Qt::Key_PageDown, Qt::NoModifier).virtualKey, 34);
    EXPECT_EQ(Map(Qt::Key_F2, Qt::NoModifier).virtualKey, 113);
    EXPECT_EQ(Map(Qt::Key_Return, Qt::ControlModifier).virtualKey, 13);
    EXPECT_EQ(Map(Qt::Key_Enter, Qt::KeypadModifier).virtualKey, 13);
    EXPECT_EQ(Map(Qt::Key_Shift, Qt::ShiftModifier).virtualKey, 16);
    EXPECT_EQ(Map(Qt::Key_Control, Qt::ControlModifier).virtualKey, 17);
    EXPECT_EQ(Map(Qt::Key_Alt, Qt::AltModifier).virtualKey, 18);
    s = Map(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(s.virtualKey, 9);
    EXPECT_EQ(s.shift, 2);
    s = Map(Qt::Key_Home, Qt::KeypadModifier); // keypad navigation maps like the main keys
    EXPECT_EQ(s.virtualKey, 36);
    EXPECT_EQ(s.shift, 0);
    EXPECT_EQ(Map(Qt::Key_5, Qt::KeypadModifier, "5").virtualKey, 101);
}

TEST_F(KeyMapTest, LettersAndDigitsKeepTheirKeyWithCtrl) {
    KeyStroke s = Map(Qt::Key_Z, Qt::ControlModifier, QString(QChar(26)));
    EXPECT_EQ(s.virtualKey, 'Z');
    EXPECT_EQ(s.shift, 4);
    s = Map(Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(s.virtualKey, '3');
    EXPECT_EQ(s.shift, 6);
}

TEST_F(KeyMapTest, ShiftedDigitSymbolsMapBackToTheDigitKey) {
    // a real X11 event carries the key code of the digit row
    KeyStroke s = Map(Qt::Key_section, Qt::ControlModifier | Qt::ShiftModifier, {}, 12);
    EXPECT_EQ(s.virtualKey, '3');
    EXPECT_EQ(s.shift, 6);
    EXPECT_EQ(Map(Qt::Key_Equal, Qt::ShiftModifier, "=", 19).virtualKey, '0');
    // a synthetic one without key code: the US layout's symbols
    EXPECT_EQ(Map(Qt::Key_NumberSign, Qt::ControlModifier | Qt::ShiftModifier).virtualKey, '3');
    EXPECT_EQ(Map(Qt::Key_ParenRight, Qt::ShiftModifier, ")").virtualKey, '0');
    // a layout with symbols on the unshifted digit row (AZERTY: '&' on the 1 key)
    s = Map(Qt::Key_Ampersand, Qt::ControlModifier, {}, 10);
    EXPECT_EQ(s.virtualKey, '1');
    EXPECT_EQ(s.shift, 4);
    s = Map(Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("\xC3\xA9"), 11);
    EXPECT_EQ(s.virtualKey, '2');
    EXPECT_EQ(s.character, '\xE9'); // still typed as the character
    // unshifted symbols stay what they are
    EXPECT_EQ(Map(Qt::Key_Slash, Qt::NoModifier, "/").virtualKey, 191);
    EXPECT_EQ(Map(Qt::Key_Ampersand, Qt::NoModifier, "&").virtualKey, 0);
}

TEST_F(KeyMapTest, AltGrCharactersStayCharacters) {
    KeyStroke s = Map(Qt::Key_BraceLeft, Qt::ControlModifier | Qt::AltModifier, "{");
    EXPECT_EQ(s.virtualKey, 0);
    EXPECT_EQ(s.shift, 0);
    EXPECT_EQ(s.character, '{');
    s = Map(Qt::Key_At, Qt::GroupSwitchModifier, "@");
    EXPECT_EQ(s.virtualKey, 0);
    EXPECT_EQ(s.character, '@');
    s = Map(Qt::Key_7, Qt::ControlModifier | Qt::AltModifier); // no character: a real chord
    EXPECT_EQ(s.virtualKey, '7');
    EXPECT_EQ(s.shift, 12);
}

TEST_F(KeyMapTest, TypedCharactersBecomeWindows1252Bytes) {
    EXPECT_EQ(Map(Qt::Key_Udiaeresis, Qt::NoModifier, QString::fromUtf8("\xC3\xBC")).character,
              '\xFC');
    EXPECT_EQ(Map(Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("\xE2\x82\xAC")).character,
              '\x80');
    EXPECT_EQ(Map(Qt::Key_A, Qt::ShiftModifier, "A").character, 'A');
    EXPECT_EQ(Map(Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x4E2D))).character, 0);
    EXPECT_EQ(platform::AnsiFromUnicode(0x0178), '\x9F');
    EXPECT_EQ(platform::AnsiFromUnicode(0x81), 0); // a hole of the code page
    // C1 controls stay untyped even where the code page has a character at that byte
    EXPECT_EQ(platform::AnsiFromUnicode(0x85), 0);
    EXPECT_EQ(platform::AnsiFromUnicode(0x2026), '\x85');
    EXPECT_EQ(platform::AnsiFromUnicode(0xD83D), 0); // half of a surrogate pair
}
