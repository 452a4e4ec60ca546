// Colours and fonts of the simulation views (watch, recorded data, terminal), read from the
// settings sections "Colors" and "Fonts". Values are colour numbers as stored there: 0x00BBGGRR,
// or a system colour when the top bit is set.
#pragma once

#include <QColor>
#include <QFont>
#include <cstdint>

class TWinRegistry;

struct TSimViewStyle {
    QColor WatchBackgnd, WatchText, WatchInvalid, WatchChanged;
    QColor DataBackgnd, DataText, DataIndex, DataChanged;
    QColor TerminalBackgnd, TerminalText;
    QFont WatchFont, TerminalFont, DataFont;
};

extern TSimViewStyle SimViewStyle;

// A stored colour number as a colour; system colours come from the application palette.
QColor ColorFromNumber(uint32_t number);
// A stored font: style 1 italic, 2 bold, 3 both.
QFont FontFromSettings(const QString& name, int size, int style);
// Fills SimViewStyle from the settings with their defaults.
void ReadSimViewStyle(TWinRegistry& reg);
