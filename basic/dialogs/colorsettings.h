// The BASIC program's 32 named colours and 5 view fonts, kept in the registry and handed to the
// windows that paint with them.
#pragma once

#include "framework/dialogs/colorpages.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <array>
#include <cstdint>

class TWinRegistry;

namespace harvel {

// Colour numbers (1-based, as the registry table counts them).
enum TColorIndex : int {
    clWatchBackgnd = 1,
    clWatchText,
    clWatchInvalid,
    clWatchChanged,
    clDataBackgnd,
    clDataText,
    clDataIndex,
    clDataChanged,
    clMessageBackgnd,
    clMessageText,
    clMessageError,
    clTerminalBackgnd,
    clTerminalText,
    clEditorText,
    clEditorBackgnd,
    clEditorSelText,
    clEditorSelBackgnd,
    clEditorHiliteString,
    clEditorHiliteNumber,
    clEditorHiliteComment,
    clEditorHiliteSymbol,
    clEditorHiliteKeyword,
    clEditorHiliteIdentifier,
    clEditorHiliteLabel,
    clEditorActiveLineText,
    clEditorActiveLineBackgnd,
    clEditorBrkptText,
    clEditorBrkptBackgnd,
    clEditorDisabledBrkptText,
    clEditorDisabledBrkptBackgnd,
    clEditorInvalidBrkptText,
    clEditorInvalidBrkptBackgnd,
    ColorCount = clEditorInvalidBrkptBackgnd
};

enum TFontView : int { fvEditor, fvMessage, fvWatch, fvTerminal, fvData, FontViewCount };

// A colour as stored: 0x00BBGGRR, or a system colour number with the high bit set.
using TStoredColor = uint32_t;

struct TFontRecord {
    QString name = QStringLiteral("Courier New"); // at most 31 characters
    int size = 10;
    bool bold = false;
    bool italic = false;
};

TViewFont ToViewFont(const TFontRecord& font);
// The source editor draws only fixed-pitch faces.
TFontPitch ViewPitch(TFontView view);

struct TColorSettings {
    std::array<TStoredColor, ColorCount> colors{};
    std::array<TFontRecord, FontViewCount> fonts{};

    TColorSettings(); // the defaults
    TStoredColor& operator[](int index) { return colors[static_cast<size_t>(index - 1)]; }
    TStoredColor operator[](int index) const { return colors[static_cast<size_t>(index - 1)]; }
    QColor Color(int index) const;
    // The view's font, as it draws it.
    QFont Font(TFontView view) const;

    static const char* Name(int index);
    static TStoredColor Default(int index);
    static QColor ToQColor(TStoredColor color);

    void Load(TWinRegistry& reg);
    void Save(TWinRegistry& reg) const;
};

// The program's settings.
TColorSettings& ColorSettings();

// Hands the editor colours and font to the highlighting editors' table and the editor windows.
void ApplyEditorColors(const TColorSettings& settings);

} // namespace harvel
