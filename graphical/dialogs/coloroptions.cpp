#include "graphical/dialogs/coloroptions.h"

#include "framework/winregistry.h"

namespace {

struct TColorDef {
    const char* Name;
    TColorValue Default;
};

using namespace ColorValues;

constexpr std::array<TColorDef, ColorCount> ColorDefs{{
    {"WatchBackgnd", SystemButtonFace},
    {"WatchText", SystemButtonText},
    {"WatchInvalid", SystemButtonShadow},
    {"WatchChanged", Red},
    {"DataBackgnd", SystemButtonFace},
    {"DataText", SystemButtonText},
    {"DataIndex", SystemButtonShadow},
    {"DataChanged", Red},
    {"TerminalBackgnd", Black},
    {"TerminalText", Lime},
    {"CellComment", SystemWindowText},
    {"CellBackgnd", SystemWindow},
    {"CellGridColor", SystemWindowText},
    {"LineColorInt", Blue},
    {"LineColorText", Green},
    {"LineColorTime", Red},
    {"LineColorDate", Red},
    {"IndexColor", White},
    {"IndexBackgnd", Gray},
    {"TableBackgnd", SystemWindow},
    {"TableText", SystemWindowText},
}};

struct TFontDef {
    const char* Prefix;
    const char* Name;
    int Size;
};

constexpr std::array<TFontDef, FontCount> FontDefs{{
    {"CellComment", "MS Sans Serif", 8},
    {"Table", "Courier New", 10},
    {"Watch", "Courier New", 10},
    {"Terminal", "Courier New", 10},
    {"Data", "Courier New", 10},
}};

const QString ColorsSection = QStringLiteral("Colors");
const QString FontsSection = QStringLiteral("Fonts");

} // namespace

TColorOptions ColorOptions = DefaultColorOptions();

TColorOptions DefaultColorOptions() {
    TColorOptions options;
    for (int i = 0; i < ColorCount; ++i)
        options.Colors[i] = ColorDefs[i].Default;
    for (int i = 0; i < FontCount; ++i)
        options.Fonts[i] = {QString::fromLatin1(FontDefs[i].Name), FontDefs[i].Size, 0};
    return options;
}

const char* ColorValueName(int number) {
    return ColorDefs[number - 1].Name;
}

TColorValue DefaultColorValue(int number) {
    return ColorDefs[number - 1].Default;
}

QString FontNameValue(TFontView view) {
    return QString::fromLatin1(FontDefs[view].Prefix) + QStringLiteral("FontName");
}

QString FontSizeValue(TFontView view) {
    return QString::fromLatin1(FontDefs[view].Prefix) + QStringLiteral("FontSize");
}

QString FontStyleValue(TFontView view) {
    return QString::fromLatin1(FontDefs[view].Prefix) + QStringLiteral("FontStyle");
}

QColor ViewColor(int number) {
    return ColorValueToQColor(ColorOptions.Color(number));
}

TViewFont ToViewFont(const TFontEntry& entry) {
    return {entry.Name, entry.Size, (entry.Style & 2) != 0, (entry.Style & 1) != 0};
}

TFontPitch ViewPitch(TFontView view) {
    return view == fvTable ? TFontPitch::Fixed : TFontPitch::Any;
}

QFont ViewFont(TFontView view) {
    return ToQFont(ToViewFont(ColorOptions.Fonts[view]), ViewPitch(view));
}

int FontStyleOf(const QFont& font) {
    return (font.italic() ? 1 : 0) | (font.bold() ? 2 : 0);
}

void ReadColorOptions(TWinRegistry& registry) {
    for (int number = 1; number <= ColorCount; ++number)
        ColorOptions.SetColor(
            number, registry.ReadInteger(ColorsSection, QString::fromLatin1(ColorValueName(number)),
                                         DefaultColorValue(number)));
    for (int i = 0; i < FontCount; ++i) {
        const auto view = static_cast<TFontView>(i);
        TFontEntry& font = ColorOptions.Fonts[i];
        font.Name = registry
                        .ReadString(FontsSection, FontNameValue(view),
                                    QString::fromLatin1(FontDefs[i].Name))
                        .left(MaxFontNameLength);
        if (font.Name.isEmpty())
            font.Name = QString::fromLatin1(FontDefs[i].Name);
        font.Size = registry.ReadInteger(FontsSection, FontSizeValue(view), FontDefs[i].Size);
        // A size or style edited by hand out of range would give an unusable font.
        if (font.Size <= 0 || font.Size > 200)
            font.Size = FontDefs[i].Size;
        font.Style = registry.ReadInteger(FontsSection, FontStyleValue(view), 0);
        if (font.Style < 0 || font.Style > 3)
            font.Style = 0;
    }
}

void WriteColorOptions(TWinRegistry& registry) {
    for (int number = 1; number <= ColorCount; ++number)
        registry.WriteInteger(ColorsSection, QString::fromLatin1(ColorValueName(number)),
                              ColorOptions.Color(number));
    for (int i = 0; i < FontCount; ++i) {
        const auto view = static_cast<TFontView>(i);
        const TFontEntry& font = ColorOptions.Fonts[i];
        registry.WriteString(FontsSection, FontNameValue(view), font.Name);
        registry.WriteInteger(FontsSection, FontSizeValue(view), font.Size);
        registry.WriteInteger(FontsSection, FontStyleValue(view), font.Style);
    }
}
