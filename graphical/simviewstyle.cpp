#include "graphical/simviewstyle.h"

#include "framework/winregistry.h"

#include <QApplication>
#include <QPalette>

namespace {

// System colour numbers as the settings store them.
constexpr uint32_t clBtnFace = 0x8000000F, clBtnShadow = 0x80000010, clBtnText = 0x80000012;
constexpr uint32_t clBlack = 0x000000, clRed = 0x0000FF, clLime = 0x00FF00;

QFont DefaultFont(const QString& family, int size) {
    QFont font(family);
    font.setPointSize(size);
    font.setStyleHint(QFont::Monospace);
    return font;
}

} // namespace

TSimViewStyle SimViewStyle = {
    ColorFromNumber(clBtnFace),    ColorFromNumber(clBtnText),     ColorFromNumber(clBtnShadow),
    ColorFromNumber(clRed),        ColorFromNumber(clBtnFace),     ColorFromNumber(clBtnText),
    ColorFromNumber(clBtnShadow),  ColorFromNumber(clRed),         ColorFromNumber(clBlack),
    ColorFromNumber(clLime),       DefaultFont("Courier New", 10), DefaultFont("Courier New", 10),
    DefaultFont("Courier New", 10)};

QColor ColorFromNumber(uint32_t number) {
    if (number & 0x80000000u) {
        // Before the application exists the palette is Qt's default one.
        const QPalette palette = qApp ? QApplication::palette() : QPalette();
        switch (number & 0xFF) {
        case 5:
            return palette.color(QPalette::Base);
        case 8:
            return palette.color(QPalette::Text);
        case 15:
            return palette.color(QPalette::Button);
        case 16:
            return palette.color(QPalette::Dark);
        case 18:
            return palette.color(QPalette::ButtonText);
        default:
            return palette.color(QPalette::WindowText);
        }
    }
    return QColor(int(number & 0xFF), int((number >> 8) & 0xFF), int((number >> 16) & 0xFF));
}

QFont FontFromSettings(const QString& name, int size, int style) {
    QFont font = DefaultFont(name, size > 0 ? size : 10);
    font.setItalic(style & 1);
    font.setBold(style & 2);
    return font;
}

void ReadSimViewStyle(TWinRegistry& reg) {
    auto color = [&reg](const char* name, uint32_t def) {
        return ColorFromNumber(uint32_t(reg.ReadInteger("Colors", name, int32_t(def))));
    };
    auto font = [&reg](const QString& view) {
        return FontFromSettings(reg.ReadString("Fonts", view + "FontName", "Courier New").left(31),
                                reg.ReadInteger("Fonts", view + "FontSize", 10),
                                reg.ReadInteger("Fonts", view + "FontStyle", 0) & 3);
    };
    TSimViewStyle& s = SimViewStyle;
    s.WatchBackgnd = color("WatchBackgnd", clBtnFace);
    s.WatchText = color("WatchText", clBtnText);
    s.WatchInvalid = color("WatchInvalid", clBtnShadow);
    s.WatchChanged = color("WatchChanged", clRed);
    s.DataBackgnd = color("DataBackgnd", clBtnFace);
    s.DataText = color("DataText", clBtnText);
    s.DataIndex = color("DataIndex", clBtnShadow);
    s.DataChanged = color("DataChanged", clRed);
    s.TerminalBackgnd = color("TerminalBackgnd", clBlack);
    s.TerminalText = color("TerminalText", clLime);
    s.WatchFont = font("Watch");
    s.TerminalFont = font("Terminal");
    s.DataFont = font("Data");
}
