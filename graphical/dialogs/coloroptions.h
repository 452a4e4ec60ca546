// The program-wide colours and fonts of the views: 21 colours and five fonts, kept in the
// registry sections "Colors" and "Fonts". Every view reads the live table; the colour and
// font dialog edits a copy of it and copies it back on apply.
#pragma once

#include "framework/dialogs/colorpages.h"
#include "framework/dialogs/colorvalue.h"

#include <QColor>
#include <QFont>
#include <QString>

#include <array>
#include <cstdint>

class TWinRegistry;

// A colour number of the class library: 0x00BBGGRR, or a system colour when the top bit is
// set (0x80000000 | system colour index).
using TColorValue = int32_t;

namespace ColorValues {
constexpr TColorValue Black = 0x000000;
constexpr TColorValue Maroon = 0x000080;
constexpr TColorValue Green = 0x008000;
constexpr TColorValue Olive = 0x008080;
constexpr TColorValue Navy = 0x800000;
constexpr TColorValue Purple = 0x800080;
constexpr TColorValue Teal = 0x808000;
constexpr TColorValue Gray = 0x808080;
constexpr TColorValue Silver = 0xC0C0C0;
constexpr TColorValue Red = 0x0000FF;
constexpr TColorValue Lime = 0x00FF00;
constexpr TColorValue Yellow = 0x00FFFF;
constexpr TColorValue Blue = 0xFF0000;
constexpr TColorValue Fuchsia = 0xFF00FF;
constexpr TColorValue Aqua = 0xFFFF00;
constexpr TColorValue White = 0xFFFFFF;
constexpr TColorValue SystemWindow = static_cast<TColorValue>(0x80000005u);
constexpr TColorValue SystemWindowText = static_cast<TColorValue>(0x80000008u);
constexpr TColorValue SystemButtonFace = static_cast<TColorValue>(0x8000000Fu);
constexpr TColorValue SystemButtonShadow = static_cast<TColorValue>(0x80000010u);
constexpr TColorValue SystemButtonText = static_cast<TColorValue>(0x80000012u);
} // namespace ColorValues

// Colour numbers 1..21 of the table.
enum TColorNumber {
    cnWatchBackgnd = 1,
    cnWatchText,
    cnWatchInvalid,
    cnWatchChanged,
    cnDataBackgnd,
    cnDataText,
    cnDataIndex,
    cnDataChanged,
    cnTerminalBackgnd,
    cnTerminalText,
    cnCellComment,
    cnCellBackgnd,
    cnCellGridColor,
    cnLineColorInt,
    cnLineColorText,
    cnLineColorTime,
    cnLineColorDate,
    cnIndexColor,
    cnIndexBackgnd,
    cnTableBackgnd,
    cnTableText
};
constexpr int ColorCount = 21;

// The views with a font of their own, in table order.
enum TFontView { fvCellComment, fvTable, fvWatch, fvTerminal, fvData };
constexpr int FontCount = 5;
constexpr int MaxFontNameLength = 31;

// Style number: 0 regular, 1 italic, 2 bold, 3 bold italic.
struct TFontEntry {
    QString Name;
    int Size = 10;
    int Style = 0;
    bool operator==(const TFontEntry&) const = default;
};

struct TColorOptions {
    std::array<TColorValue, ColorCount> Colors{}; // index = colour number - 1
    std::array<TFontEntry, FontCount> Fonts{};

    TColorValue Color(int number) const { return Colors[number - 1]; }
    void SetColor(int number, TColorValue value) { Colors[number - 1] = value; }
    bool operator==(const TColorOptions&) const = default;
};

// The live table every view reads.
extern TColorOptions ColorOptions;

TColorOptions DefaultColorOptions();
// Registry value name and default of colour number 1..21.
const char* ColorValueName(int number);
TColorValue DefaultColorValue(int number);
// The registry value names of a view's font ("CellCommentFontName", ...).
QString FontNameValue(TFontView view);
QString FontSizeValue(TFontView view);
QString FontStyleValue(TFontView view);

// A live colour by number, as the views paint it.
QColor ViewColor(int number);
// A font entry as the dialog edits it (bold for style bit 2, italic for style bit 1).
TViewFont ToViewFont(const TFontEntry& entry);
// The table and comment editors draw only fixed-pitch faces.
TFontPitch ViewPitch(TFontView view);
// The live font of a view, as it draws it.
QFont ViewFont(TFontView view);
// The style number of a Qt font.
int FontStyleOf(const QFont& font);

void ReadColorOptions(TWinRegistry& registry);
void WriteColorOptions(TWinRegistry& registry);
