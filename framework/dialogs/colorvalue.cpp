#include "framework/dialogs/colorvalue.h"

#include <QApplication>
#include <QPalette>

QColor ColorValueToQColor(uint32_t value) {
    if (!(value & 0x80000000u))
        return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    const QPalette palette = QApplication::palette();
    switch (value & 0xFFu) {
    case 5: // window
        return palette.color(QPalette::Base);
    case 8: // window text
        return palette.color(QPalette::Text);
    case 13: // highlight
        return palette.color(QPalette::Highlight);
    case 14: // highlight text
        return palette.color(QPalette::HighlightedText);
    case 15: // button face
        return palette.color(QPalette::Button);
    case 16: // button shadow
        return palette.color(QPalette::Dark);
    case 17: { // grey text: half way from the text to its background, as readable as the
               // system's own grey (the style's disabled text can be too pale to read)
        const QColor text = palette.color(QPalette::Text), base = palette.color(QPalette::Base);
        return QColor((text.red() + base.red()) / 2, (text.green() + base.green()) / 2,
                      (text.blue() + base.blue()) / 2);
    }
    case 18: // button text
        return palette.color(QPalette::ButtonText);
    default:
        return palette.color(QPalette::WindowText);
    }
}
