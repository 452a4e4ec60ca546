#include "platform/qt/keymap.h"

#include "platform/text.h"

#include <QKeyEvent>

namespace platform {

namespace {

// X11 and Wayland report evdev key codes + 8: the digit row is 10 ('1') to 19 ('0') whatever
// the layout, so Ctrl+Shift+3 stays the digit key even when the layout shifts it to '#'.
uint8_t DigitFromScanCode(quint32 scanCode) {
    if (scanCode >= 10 && scanCode <= 18)
        return static_cast<uint8_t>('1' + (scanCode - 10));
    if (scanCode == 19)
        return '0';
    return 0;
}

// Without a scan code (synthetic events), the shifted digits of the US layout.
uint8_t DigitFromShiftedSymbol(int key) {
    switch (key) {
    case Qt::Key_Exclam:
        return '1';
    case Qt::Key_At:
        return '2';
    case Qt::Key_NumberSign:
        return '3';
    case Qt::Key_Dollar:
        return '4';
    case Qt::Key_Percent:
        return '5';
    case Qt::Key_AsciiCircum:
        return '6';
    case Qt::Key_Ampersand:
        return '7';
    case Qt::Key_Asterisk:
        return '8';
    case Qt::Key_ParenLeft:
        return '9';
    case Qt::Key_ParenRight:
        return '0';
    default:
        return 0;
    }
}

uint8_t VirtualKeyOf(int key, bool keypad) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<uint8_t>(keypad ? 96 + (key - Qt::Key_0) : '0' + (key - Qt::Key_0));
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<uint8_t>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<uint8_t>(112 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Clear:
        return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Print:
        return 44;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Meta:
        return 91;
    case Qt::Key_Menu:
        return 93;
    case Qt::Key_NumLock:
        return 144;
    case Qt::Key_ScrollLock:
        return 145;
    case Qt::Key_Semicolon:
        return 186;
    case Qt::Key_Equal:
        return keypad ? 0 : 187;
    case Qt::Key_Plus:
        return keypad ? 107 : 187;
    case Qt::Key_Comma:
        return 188;
    case Qt::Key_Minus:
        return keypad ? 109 : 189;
    case Qt::Key_Period:
        return keypad ? 110 : 190;
    case Qt::Key_Slash:
        return keypad ? 111 : 191;
    case Qt::Key_Asterisk:
        return keypad ? 106 : 0;
    case Qt::Key_QuoteLeft:
        return 192;
    case Qt::Key_BracketLeft:
        return 219;
    case Qt::Key_Backslash:
        return 220;
    case Qt::Key_BracketRight:
        return 221;
    case Qt::Key_Apostrophe:
        return 222;
    default:
        return 0;
    }
}

} // namespace

char AnsiFromUnicode(char16_t unicode) {
    // C1 controls are never typed characters, though the code page keeps their bytes
    if (unicode >= 0x80 && unicode <= 0x9F)
        return 0;
    const std::optional<unsigned char> byte = UnicodeToWindows1252(unicode);
    return byte ? static_cast<char>(*byte) : 0;
}

KeyStroke MapKeyEvent(const QKeyEvent& event) {
    KeyStroke stroke;
    const Qt::KeyboardModifiers mods = event.modifiers();
    const int key = event.key();
    const QString text = event.text();
    if (text.size() == 1)
        stroke.character = AnsiFromUnicode(text.at(0).unicode());

    const bool printable = text.size() == 1 && text.at(0).unicode() >= 0x20 &&
                           text.at(0).unicode() != 0x7F && stroke.character != 0;
    const bool altGr = mods.testFlag(Qt::GroupSwitchModifier) ||
                       (mods.testFlag(Qt::ControlModifier) && mods.testFlag(Qt::AltModifier));
    if (mods.testFlag(Qt::ShiftModifier) || key == Qt::Key_Backtab)
        stroke.shift |= KeyShiftShift;
    if (printable && altGr && key != Qt::Key_Space) {
        stroke.virtualKey = 0;
        return stroke;
    }
    if (mods.testFlag(Qt::ControlModifier))
        stroke.shift |= KeyShiftCtrl;
    if (mods.testFlag(Qt::AltModifier))
        stroke.shift |= KeyShiftAlt;

    const bool keypad = mods.testFlag(Qt::KeypadModifier);
    stroke.virtualKey = VirtualKeyOf(key, keypad);
    // A key of the digit row is its digit whatever symbol the layout puts on it, shifted or
    // not (AZERTY types '&' on the 1 key, and Ctrl with it still means Ctrl+1).
    if (!keypad && !(key >= Qt::Key_0 && key <= Qt::Key_9)) {
        uint8_t digit = DigitFromScanCode(event.nativeScanCode());
        if (!digit && event.nativeScanCode() == 0 && mods.testFlag(Qt::ShiftModifier))
            digit = DigitFromShiftedSymbol(key);
        if (digit)
            stroke.virtualKey = digit;
    }
    return stroke;
}

} // namespace platform
