// Key events of the GUI in the form the editor's key tables use: a Windows virtual key code
// and a shift mask (2 Shift, 4 Ctrl, 8 Alt), plus the typed character as a Windows-1252
// byte. Modifiers come from the event itself, never from a global keyboard state, so that
// synthetic and headless events map the same way as real ones.
#pragma once

#include <cstdint>

class QKeyEvent;

namespace platform {

enum KeyShift : uint8_t {
    KeyShiftShift = 2,
    KeyShiftCtrl = 4,
    KeyShiftAlt = 8,
};

struct KeyStroke {
    uint8_t virtualKey = 0; // 0 when the key has no virtual key (or is an AltGr character)
    uint8_t shift = 0;      // KeyShift bits
    char character = 0;     // typed character in Windows-1252, 0 when none or not representable
};

// Maps a key press. A character typed with AltGr (reported as Ctrl+Alt or as the group
// switch) stays a character: no virtual key and no Ctrl or Alt in the mask, so that it never
// triggers a Ctrl or Alt binding.
KeyStroke MapKeyEvent(const QKeyEvent& event);

// The Windows-1252 byte of a Unicode character, 0 when it has none.
char AnsiFromUnicode(char16_t unicode);

} // namespace platform
