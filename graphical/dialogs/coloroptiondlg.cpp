#include "graphical/dialogs/coloroptiondlg.h"

#include <QPainter>

#include <array>
#include <cstdlib>

#include "platform/qt/ansi.h"

namespace {

constexpr TColorItemRec CellItems[] = {
    {"Kommentar", cnCellComment, cnCellBackgnd},
    {"Gitter", cnCellGridColor, -cnCellBackgnd},
    {"Verbindung Zahl", cnLineColorInt, -cnCellBackgnd},
    {"Verbindung Text", cnLineColorText, -cnCellBackgnd},
    {"Verbindung Zeit", cnLineColorTime, -cnCellBackgnd},
    {"Verbindung Datum", cnLineColorDate, -cnCellBackgnd},
    {"Index der Blockressource", cnIndexColor, cnIndexBackgnd},
};
constexpr TColorItemRec TableItems[] = {{"Text", cnTableText, cnTableBackgnd}};
constexpr TColorItemRec WatchItems[] = {
    {"Text", cnWatchText, cnWatchBackgnd},
    {"Ung\xFCltiger Eintrag", cnWatchInvalid, -cnWatchBackgnd},
    {"Ge\xE4nderter Wert", cnWatchChanged, -cnWatchBackgnd},
};
constexpr TColorItemRec DataItems[] = {
    {"Text", cnDataText, cnDataBackgnd},
    {"Index", cnDataIndex, -cnDataBackgnd},
    {"Ge\xE4nderter Eintrag", cnDataChanged, -cnDataBackgnd},
};
constexpr TColorItemRec OutputItems[] = {{"Text", cnTerminalText, cnTerminalBackgnd}};

constexpr std::array<TFontView, 5> PageFonts = {fvCellComment, fvTable, fvWatch, fvData,
                                                fvTerminal};

const char* const SampleText = "Moltrane";
// Shared by the options dialogs.
constexpr int OptionsHelpContext = 20000;

std::array<TColorPagesDialog::TPageDef, 5> Pages() {
    auto page = [](int number, const char* caption, std::span<const TColorItemRec> items) {
        return TColorPagesDialog::TPageDef{platform::AnsiToQString(std::string(caption)), items,
                                           ViewPitch(PageFonts[static_cast<size_t>(number)])};
    };
    return {{page(TColorOptionsDlg::CellPageNo, "Programmzelle", CellItems),
             page(TColorOptionsDlg::TablePageNo, "Tabelle", TableItems),
             page(TColorOptionsDlg::WatchPageNo,
                  "\xDC"
                  "berwachung",
                  WatchItems),
             page(TColorOptionsDlg::DataPageNo, "Daten", DataItems),
             page(TColorOptionsDlg::OutputPageNo, "Terminal", OutputItems)}};
}

} // namespace

QString FontDescription(const TFontEntry& font) {
    return DescribeFont(ToViewFont(font));
}

TColorOptionsDlg::TColorOptionsDlg(QWidget* owner)
    : TColorPagesDialog(owner, QStringLiteral("Farben und Schriften"),
                        QStringLiteral("&Schriftart..."), Pages(), QMargins(2, 2, 2, 2),
                        OptionsHelpContext, {.DisabledBoxShowsColor = true}) {
    LoadWorkingCopy();
    FormShow();
}

uint32_t TColorOptionsDlg::WorkColor(int number) const {
    return static_cast<uint32_t>(work_.Color(number));
}

void TColorOptionsDlg::SetWorkColor(int number, uint32_t value) {
    work_.SetColor(number, static_cast<TColorValue>(value));
}

uint32_t TColorOptionsDlg::DefaultColor(int number) const {
    return static_cast<uint32_t>(DefaultColorValue(number));
}

TViewFont TColorOptionsDlg::PageFont(int page) const {
    return ToViewFont(work_.Fonts[PageFonts[static_cast<size_t>(page)]]);
}

void TColorOptionsDlg::SetPageFont(int page, const TViewFont& font) {
    work_.Fonts[PageFonts[static_cast<size_t>(page)]] = {
        font.Name, font.Size, (font.Italic ? 1 : 0) | (font.Bold ? 2 : 0)};
}

void TColorOptionsDlg::PreviewerPaint(QPainter& painter) {
    const TColorItemRec* item = CurrentItem();
    if (!item)
        return;
    const QRect area(0, 0, SampleWidth, SampleHeight);
    const int background = std::abs(item->Background);
    painter.fillRect(area, ColorValueToQColor(work_.Color(background)));
    const QColor foreground = ColorValueToQColor(work_.Color(item->Foreground));
    painter.setPen(foreground);

    switch (item->Foreground) {
    case cnCellGridColor:
        for (int i = 0; i < 13; ++i) {
            for (int j = 0; j < 3; ++j)
                painter.drawPoint(10 * i + 5, 10 * j + 1);
        }
        return;
    case cnLineColorInt:
    case cnLineColorText:
    case cnLineColorTime:
    case cnLineColorDate:
        painter.drawLine(20, 21, 130, 21);
        painter.drawLine(120, 16, 130, 21);
        painter.drawLine(120, 26, 130, 21);
        return;
    case cnIndexColor: {
        // The block's resource index as the cell shows it: a small label in its own colours.
        painter.setFont(ViewFont(fvCellComment));
        const QRect label(60, 13, 30, 17);
        painter.drawText(label, Qt::AlignCenter, QStringLiteral("12"));
        return;
    }
    default:
        break;
    }
    painter.setFont(SampleFont());
    // Horizontally centred on x 75, vertically in the sample.
    const int textWidth = painter.fontMetrics().horizontalAdvance(QString::fromLatin1(SampleText));
    painter.drawText(QRect(75 - textWidth / 2 - 1, 0, textWidth + 2, SampleHeight), Qt::AlignCenter,
                     QString::fromLatin1(SampleText));
}
