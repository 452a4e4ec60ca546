#include "basic/dialogs/colorsettings.h"

#include "basic/editors/editorchild.h"
#include "basic/editors/hiltedit.h"
#include "framework/dialogs/colorvalue.h"
#include "framework/winregistry.h"

namespace harvel {

namespace {

constexpr TStoredColor System = 0x80000000u;
// system colour numbers
constexpr TStoredColor clWindow = System | 5, clWindowText = System | 8, clHighlight = System | 13,
                       clHighlightText = System | 14, clBtnFace = System | 15,
                       clBtnShadow = System | 16, clGrayText = System | 17, clBtnText = System | 18;
// fixed colours, 0x00BBGGRR
constexpr TStoredColor clBlack = 0x000000, clRed = 0x0000FF, clLime = 0x00FF00, clBlue = 0xFF0000,
                       clWhite = 0xFFFFFF, clSilver = 0xC0C0C0, clYellow = 0x00FFFF;

struct Entry {
    const char* name;
    TStoredColor defaultColor;
};

constexpr Entry kEntries[ColorCount] = {
    {"WatchBackgnd", clBtnFace},
    {"WatchText", clBtnText},
    {"WatchInvalid", clBtnShadow},
    {"WatchChanged", clRed},
    {"DataBackgnd", clBtnFace},
    {"DataText", clBtnText},
    {"DataIndex", clBtnShadow},
    {"DataChanged", clRed},
    {"MessageBackgnd", clBtnFace},
    {"MessageText", clBtnText},
    {"MessageError", clRed},
    {"TerminalBackgnd", clBlack},
    {"TerminalText", clLime},
    {"EditorText", clWindowText},
    {"EditorBackgnd", clWindow},
    {"EditorSelText", clHighlightText},
    {"EditorSelBackgnd", clHighlight},
    {"EditorHiliteString", clWindowText},
    {"EditorHiliteNumber", clWindowText},
    {"EditorHiliteComment", clGrayText},
    {"EditorHiliteSymbol", clWindowText},
    {"EditorHiliteKeyword", clWindowText},
    {"EditorHiliteIdentifier", clWindowText},
    {"EditorHiliteLabel", clWindowText},
    {"EditorActiveLineText", clWhite},
    {"EditorActiveLineBackgnd", clBlue},
    {"EditorBrkptText", clWhite},
    {"EditorBrkptBackgnd", clRed},
    {"EditorDisabledBrkptText", clBlack},
    {"EditorDisabledBrkptBackgnd", clSilver},
    {"EditorInvalidBrkptText", clBlack},
    {"EditorInvalidBrkptBackgnd", clYellow},
};

const char* const kFontViews[FontViewCount] = {"Editor", "Message", "Watch", "Terminal", "Data"};

} // namespace

TColorSettings::TColorSettings() {
    for (int i = 1; i <= ColorCount; ++i)
        (*this)[i] = Default(i);
}

const char* TColorSettings::Name(int index) {
    return kEntries[index - 1].name;
}
TStoredColor TColorSettings::Default(int index) {
    return kEntries[index - 1].defaultColor;
}

QColor TColorSettings::ToQColor(TStoredColor color) {
    return ColorValueToQColor(color);
}

TViewFont ToViewFont(const TFontRecord& font) {
    return {font.name, font.size, font.bold, font.italic};
}

TFontPitch ViewPitch(TFontView view) {
    return view == fvEditor ? TFontPitch::Fixed : TFontPitch::Any;
}

QFont TColorSettings::Font(TFontView view) const {
    return ToQFont(ToViewFont(fonts[static_cast<size_t>(view)]), ViewPitch(view));
}

QColor TColorSettings::Color(int index) const {
    return ToQColor((*this)[index]);
}

void TColorSettings::Load(TWinRegistry& reg) {
    const QString colors = QStringLiteral("Colors"), fontSection = QStringLiteral("Fonts");
    for (int i = 1; i <= ColorCount; ++i)
        (*this)[i] = static_cast<TStoredColor>(reg.ReadInteger(colors, QString::fromLatin1(Name(i)),
                                                               static_cast<int32_t>(Default(i))));
    for (int v = 0; v < FontViewCount; ++v) {
        const QString view = QString::fromLatin1(kFontViews[v]);
        TFontRecord& font = fonts[static_cast<size_t>(v)];
        font.name = reg.ReadString(fontSection, view + QStringLiteral("FontName"),
                                   QStringLiteral("Courier New"))
                        .left(31);
        font.size = reg.ReadInteger(fontSection, view + QStringLiteral("FontSize"), 10);
        // stored bit 0 italic, bit 1 bold
        const int style = reg.ReadInteger(fontSection, view + QStringLiteral("FontStyle"), 0);
        font.italic = style & 1;
        font.bold = style & 2;
    }
}

void TColorSettings::Save(TWinRegistry& reg) const {
    const QString colors = QStringLiteral("Colors"), fontSection = QStringLiteral("Fonts");
    for (int i = 1; i <= ColorCount; ++i)
        reg.WriteInteger(colors, QString::fromLatin1(Name(i)), static_cast<int32_t>((*this)[i]));
    for (int v = 0; v < FontViewCount; ++v) {
        const QString view = QString::fromLatin1(kFontViews[v]);
        const TFontRecord& font = fonts[static_cast<size_t>(v)];
        reg.WriteString(fontSection, view + QStringLiteral("FontName"), font.name.left(31));
        reg.WriteInteger(fontSection, view + QStringLiteral("FontSize"), font.size);
        reg.WriteInteger(fontSection, view + QStringLiteral("FontStyle"),
                         (font.italic ? 1 : 0) | (font.bold ? 2 : 0));
    }
}

TColorSettings& ColorSettings() {
    static TColorSettings settings;
    return settings;
}

void ApplyEditorColors(const TColorSettings& s) {
    THiliteColors& c = HiliteColors();
    c.activeLineBack = s.Color(clEditorActiveLineBackgnd);
    c.activeLineText = s.Color(clEditorActiveLineText);
    c.brkptBack = s.Color(clEditorBrkptBackgnd);
    c.brkptText = s.Color(clEditorBrkptText);
    c.disabledBrkptBack = s.Color(clEditorDisabledBrkptBackgnd);
    c.disabledBrkptText = s.Color(clEditorDisabledBrkptText);
    c.invalidBrkptBack = s.Color(clEditorInvalidBrkptBackgnd);
    c.invalidBrkptText = s.Color(clEditorInvalidBrkptText);
    c.token[hmNone] = QColor(); // the editor's font colour
    c.token[hmComment] = s.Color(clEditorHiliteComment);
    c.token[hmString] = s.Color(clEditorHiliteString);
    c.token[hmNumber] = s.Color(clEditorHiliteNumber);
    c.token[hmLabel] = s.Color(clEditorHiliteLabel);
    c.token[hmKeyword] = s.Color(clEditorHiliteKeyword);
    c.token[hmIdentifier] = s.Color(clEditorHiliteIdentifier);
    c.token[hmSymbol] = s.Color(clEditorHiliteSymbol);

    TEditorLook& look = EditorLook();
    look.text = s.Color(clEditorText);
    look.back = s.Color(clEditorBackgnd);
    look.selText = s.Color(clEditorSelText);
    look.selBack = s.Color(clEditorSelBackgnd);
    const TFontRecord& font = s.fonts[fvEditor];
    look.fontName = font.name;
    look.fontSize = font.size;
    look.bold = font.bold;
    look.italic = font.italic;
}

} // namespace harvel
