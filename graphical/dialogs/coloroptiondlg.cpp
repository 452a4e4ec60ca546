#include "graphical/dialogs/coloroptiondlg.h"

#include <QComboBox>
#include <QFontDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>

#include <array>
#include <span>

#include "framework/dialogs/dialogplacement.h"
#include "framework/utils.h"
#include "platform/qt/ansi.h"
#include "platform/qt/help.h"

namespace {

using namespace ColorValues;

constexpr std::array<TColorValue, 16> NamedColors = {Black, Maroon,  Green,  Olive, Navy, Purple,
                                                     Teal,  Gray,    Silver, Red,   Lime, Yellow,
                                                     Blue,  Fuchsia, Aqua,   White};

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

const std::array<std::span<const TColorItemRec>, 5> PageItems = {
    std::span<const TColorItemRec>(CellItems), std::span<const TColorItemRec>(TableItems),
    std::span<const TColorItemRec>(WatchItems), std::span<const TColorItemRec>(DataItems),
    std::span<const TColorItemRec>(OutputItems)};

constexpr std::array<TFontView, 5> PageFonts = {fvCellComment, fvTable, fvWatch, fvData,
                                                fvTerminal};

const char* const SampleText = "Moltrane";
// Shared by the options dialogs.
constexpr int OptionsHelpContext = 20000;

// Draws a choice as a swatch filling the item; item 0 is white with "Vorgabe" centred.
class TColorItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int item = index.row();
        painter->save();
        if (option.state & QStyle::State_Selected)
            painter->fillRect(option.rect, option.palette.highlight());
        const QRect swatch = option.rect.adjusted(2, 2, -3, -3);
        painter->fillRect(swatch, item == 0 ? QColor(Qt::white)
                                            : ColorValueToQColor(NamedColors[item - 1]));
        painter->setPen(Qt::black);
        painter->drawRect(swatch);
        if (item == 0)
            painter->drawText(swatch, Qt::AlignCenter, QStringLiteral("Vorgabe"));
        painter->restore();
    }
};

// A swatch per choice; item 0 is white with the word "Vorgabe" on it.
void FillColorCombo(QComboBox* combo) {
    combo->setItemDelegate(new TColorItemDelegate(combo));
    combo->setIconSize(QSize(48, 12));
    QPixmap vorgabe(48, 12);
    vorgabe.fill(Qt::white);
    combo->addItem(QIcon(vorgabe), QStringLiteral("Vorgabe"));
    for (TColorValue value : NamedColors) {
        QPixmap swatch(48, 12);
        swatch.fill(ColorValueToQColor(value));
        combo->addItem(QIcon(swatch), QString());
    }
}

} // namespace

int ColorComboIndex(TColorValue value) {
    for (size_t i = 0; i < NamedColors.size(); ++i) {
        if (NamedColors[i] == value)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

QString FontDescription(const TFontEntry& font) {
    QString text = QStringLiteral("%1, %2pt").arg(font.Name).arg(font.Size);
    if (font.Style & 2)
        text += QStringLiteral(", fett");
    if (font.Style & 1)
        text += QStringLiteral(", kursiv");
    return text;
}

std::function<std::optional<QFont>(const QFont&, QWidget*)> TColorOptionsDlg::FontDialog =
    [](const QFont& initial, QWidget* parent) -> std::optional<QFont> {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent);
    if (!ok)
        return std::nullopt;
    return font;
};

TColorPreviewer::TColorPreviewer(TColorOptionsDlg* dialog, QWidget* parent)
    : QWidget(parent), dialog_(dialog) {
    setFixedSize(TColorOptionsDlg::SampleWidth, TColorOptionsDlg::SampleHeight);
}

void TColorPreviewer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    dialog_->PreviewerPaint(painter);
}

TColorOptionsDlg::TColorOptionsDlg(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Farben und Schriften"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    PageControl1 = new QTabWidget(this);
    for (const char* caption : {"Programmzelle", "Tabelle",
                                "\xDC"
                                "berwachung",
                                "Daten", "Terminal"})
        PageControl1->addTab(new QWidget, platform::AnsiToQString(std::string(caption)));
    PageControl1->setDocumentMode(true);

    LBFontColorItem = new QListWidget(this);
    LForeground = new QLabel(QStringLiteral("&Vordergrund:"), this);
    CBForeground = new QComboBox(this);
    FillColorCombo(CBForeground);
    LForeground->setBuddy(CBForeground);
    LBackground = new QLabel(QStringLiteral("&Hintergrund:"), this);
    CBBackground = new QComboBox(this);
    FillColorCombo(CBBackground);
    LBackground->setBuddy(CBBackground);

    GBSampleColor = new QGroupBox(QStringLiteral("Beispiel"), this);
    auto* sampleLayout = new QVBoxLayout(GBSampleColor);
    auto* sampleFrame = new QFrame(GBSampleColor);
    sampleFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PSample = sampleFrame;
    auto* frameLayout = new QVBoxLayout(sampleFrame);
    frameLayout->setContentsMargins(1, 1, 1, 1);
    Previewer = new TColorPreviewer(this, sampleFrame);
    frameLayout->addWidget(Previewer);
    sampleLayout->addWidget(sampleFrame, 0, Qt::AlignCenter);

    LSelectedFont = new QLabel(this);
    BFontSelect = new QPushButton(QStringLiteral("&Schriftart..."), this);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    ApplyButton = new QPushButton(QStringLiteral("\u00DC&bernehmen"), this);
    HelpButton = new QPushButton(QStringLiteral("&Hilfe"), this);
    for (QPushButton* button : {CancelButton, ApplyButton, HelpButton, BFontSelect})
        button->setAutoDefault(false);

    auto* colors = new QGridLayout;
    colors->addWidget(LForeground, 0, 0);
    colors->addWidget(CBForeground, 1, 0);
    colors->addWidget(LBackground, 2, 0);
    colors->addWidget(CBBackground, 3, 0);
    colors->addWidget(GBSampleColor, 4, 0);
    auto* middle = new QHBoxLayout;
    middle->addWidget(LBFontColorItem);
    middle->addLayout(colors);
    auto* font = new QHBoxLayout;
    font->addWidget(LSelectedFont, 1);
    font->addWidget(BFontSelect);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {OKButton, CancelButton, ApplyButton, HelpButton})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(middle);
    layout->addLayout(font);
    layout->addLayout(buttons);

    connect(PageControl1, &QTabWidget::currentChanged, this, &TColorOptionsDlg::PageControl1Change);
    connect(LBFontColorItem, &QListWidget::currentRowChanged, this,
            &TColorOptionsDlg::LBFontColorItemClick);
    // Only the user's choice stores a colour, not the combo following the selected item.
    connect(CBForeground, &QComboBox::activated, this, &TColorOptionsDlg::OnFGColorSelected);
    connect(CBBackground, &QComboBox::activated, this, &TColorOptionsDlg::OnBGColorSelected);
    connect(BFontSelect, &QPushButton::clicked, this, &TColorOptionsDlg::BFontSelectClick);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ApplyButton, &QPushButton::clicked, this, &TColorOptionsDlg::DoApply);
    connect(HelpButton, &QPushButton::clicked, this, &TColorOptionsDlg::HelpButtonClick);

    work_ = ColorOptions;
    FormShow();
}

bool TColorOptionsDlg::Execute(QWidget* owner) {
    work_ = ColorOptions;
    FormShow();
    adjustSize();
    CenterOnOwner(this, owner);
    if (exec() != QDialog::Accepted)
        return false;
    DoApply();
    return true;
}

void TColorOptionsDlg::FormShow() {
    ApplyButton->setEnabled(false);
    PageControl1Change(PageControl1->currentIndex());
}

void TColorOptionsDlg::DoApply() {
    ColorOptions = work_;
    if (OnApply)
        OnApply();
    ApplyButton->setEnabled(false);
}

const TColorItemRec* TColorOptionsDlg::CurrentItem() const {
    const int row = LBFontColorItem->currentRow();
    const auto items = PageItems[page_];
    if (row < 0 || row >= static_cast<int>(items.size()))
        return nullptr;
    return &items[row];
}

TFontView TColorOptionsDlg::PageFont() const {
    return PageFonts[page_];
}

void TColorOptionsDlg::PageControl1Change(int page) {
    page_ = std::clamp(page, 0, static_cast<int>(PageItems.size()) - 1);
    const QSignalBlocker blocker(LBFontColorItem);
    LBFontColorItem->clear();
    for (const TColorItemRec& item : PageItems[page_])
        LBFontColorItem->addItem(platform::AnsiToQString(std::string(item.Label)));
    LBFontColorItem->setCurrentRow(0);
    LBFontColorItemClick();
}

void TColorOptionsDlg::LBFontColorItemClick() {
    const TColorItemRec* item = CurrentItem();
    if (!item)
        return;
    CBForeground->setCurrentIndex(ColorComboIndex(work_.Color(item->Foreground)));
    CBBackground->setCurrentIndex(ColorComboIndex(work_.Color(std::abs(item->Background))));
    CBBackground->setEnabled(item->Background > 0);
    ShowFont();
    Previewer->update();
}

void TColorOptionsDlg::StoreColor(int number, int comboIndex) {
    if (comboIndex < 0 || comboIndex > static_cast<int>(NamedColors.size()))
        return;
    const TColorValue value =
        comboIndex == 0 ? DefaultColorValue(number) : NamedColors[comboIndex - 1];
    if (work_.Color(number) != value) {
        work_.SetColor(number, value);
        ApplyButton->setEnabled(true);
    }
    Previewer->update();
}

void TColorOptionsDlg::OnFGColorSelected(int index) {
    if (const TColorItemRec* item = CurrentItem())
        StoreColor(item->Foreground, index);
}

void TColorOptionsDlg::OnBGColorSelected(int index) {
    const TColorItemRec* item = CurrentItem();
    if (item && item->Background > 0)
        StoreColor(item->Background, index);
}

void TColorOptionsDlg::ShowFont() {
    LSelectedFont->setText(FontDescription(work_.Fonts[PageFont()]));
}

void TColorOptionsDlg::BFontSelectClick() {
    TFontEntry& entry = work_.Fonts[PageFont()];
    const std::optional<QFont> chosen = FontDialog(FontEntryToQFont(entry), this);
    if (!chosen)
        return;
    TFontEntry changed;
    changed.Name = chosen->family().left(MaxFontNameLength);
    changed.Size = chosen->pointSize() > 0 ? chosen->pointSize() : entry.Size;
    changed.Style = FontStyleOf(*chosen);
    if (changed == entry)
        return;
    entry = changed;
    ApplyButton->setEnabled(true);
    ShowFont();
    Previewer->update();
}

void TColorOptionsDlg::HelpButtonClick() {
    HelpUsed = true;
    platform::ShowHelpContext(OptionsHelpContext);
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
    painter.setFont(FontEntryToQFont(work_.Fonts[PageFont()]));
    // Horizontally centred on x 75, vertically in the sample.
    const int textWidth = painter.fontMetrics().horizontalAdvance(QString::fromLatin1(SampleText));
    painter.drawText(QRect(75 - textWidth / 2 - 1, 0, textWidth + 2, SampleHeight), Qt::AlignCenter,
                     QString::fromLatin1(SampleText));
}
