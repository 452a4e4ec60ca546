#include "basic/dialogs/coloroptionsdlg.h"

#include <array>

namespace harvel {

namespace {

constexpr int HelpContext = 21000;

constexpr TColorItemRec EditorItems[] = {
    {"Text", clEditorText, clEditorBackgnd},
    {"Gew\xE4hlter Text", clEditorSelText, clEditorSelBackgnd},
    {"Strings", clEditorHiliteString, -clEditorBackgnd},
    {"Zahlen", clEditorHiliteNumber, -clEditorBackgnd},
    {"Kommentare", clEditorHiliteComment, -clEditorBackgnd},
    {"Symbole", clEditorHiliteSymbol, -clEditorBackgnd},
    {"Schl\xFCsselw\xF6rter", clEditorHiliteKeyword, -clEditorBackgnd},
    {"Bezeichner", clEditorHiliteIdentifier, -clEditorBackgnd},
    {"Sprungziele", clEditorHiliteLabel, -clEditorBackgnd},
    {"Ausf\xFChrungszeile", clEditorActiveLineText, clEditorActiveLineBackgnd},
    {"Haltepunkt", clEditorBrkptText, clEditorBrkptBackgnd},
    {"Ausgeschalteter Haltepunkt", clEditorDisabledBrkptText, clEditorDisabledBrkptBackgnd},
    {"Ung\xFCltiger Haltepunkt", clEditorInvalidBrkptText, clEditorInvalidBrkptBackgnd},
};
constexpr TColorItemRec MessageItems[] = {
    {"Text", clMessageText, clMessageBackgnd},
    {"Fehler", clMessageError, -clMessageBackgnd},
};
constexpr TColorItemRec WatchItems[] = {
    {"Text", clWatchText, clWatchBackgnd},
    {"Ung\xFCltiger Eintrag", clWatchInvalid, -clWatchBackgnd},
    {"Ge\xE4nderter Wert", clWatchChanged, -clWatchBackgnd},
};
constexpr TColorItemRec OutputItems[] = {{"Text", clTerminalText, clTerminalBackgnd}};
constexpr TColorItemRec DataItems[] = {
    {"Text", clDataText, clDataBackgnd},
    {"Index", clDataIndex, -clDataBackgnd},
    {"Ge\xE4nderter Eintrag", clDataChanged, -clDataBackgnd},
};

constexpr std::array<TFontView, 5> PageFonts = {fvEditor, fvMessage, fvWatch, fvTerminal, fvData};

std::array<TColorPagesDialog::TPageDef, 5> Pages() {
    auto page = [](int number, const QString& caption, std::span<const TColorItemRec> items) {
        return TColorPagesDialog::TPageDef{caption, items,
                                           ViewPitch(PageFonts[static_cast<size_t>(number)])};
    };
    return {{page(TColorOptionsDlg::EditorPageNo, QStringLiteral("Editor"), EditorItems),
             page(TColorOptionsDlg::MessagePageNo, QStringLiteral("Meldungsfenster"), MessageItems),
             page(TColorOptionsDlg::WatchPageNo, QStringLiteral("Variablenfenster"), WatchItems),
             page(TColorOptionsDlg::OutputPageNo, QStringLiteral("Ausgabefenster"), OutputItems),
             page(TColorOptionsDlg::DataPageNo, QStringLiteral("Datenfenster"), DataItems)}};
}

} // namespace

TColorOptionsDlg::TColorOptionsDlg(QWidget* owner)
    : TColorPagesDialog(owner, QStringLiteral("Farb- und Schrifteinstellungen "),
                        QStringLiteral("Schriftart w\u00E4hlen..."), Pages(), QMargins(6, 1, 6, 1),
                        HelpContext, {.FontOnFirstItemOnly = true}) {
    LoadWorkingCopy();
    FormShow();
}

TViewFont TColorOptionsDlg::PageFont(int page) const {
    return ToViewFont(work_.fonts[PageFonts[static_cast<size_t>(page)]]);
}

void TColorOptionsDlg::SetPageFont(int page, const TViewFont& font) {
    TFontRecord& record = work_.fonts[PageFonts[static_cast<size_t>(page)]];
    record.name = font.Name.left(MaxViewFontNameLength);
    record.size = font.Size;
    record.bold = font.Bold;
    record.italic = font.Italic;
}

bool ExecuteColorOptions(QWidget* owner, const std::function<void()>& applied) {
    TColorOptionsDlg dialog(owner);
    dialog.OnApply = [applied] {
        ApplyEditorColors(ColorSettings());
        if (applied)
            applied();
    };
    return dialog.Execute(owner);
}

} // namespace harvel
