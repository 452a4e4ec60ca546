#include "framework/dialogs/colorpages.h"

#include <QComboBox>
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

#include <algorithm>
#include <array>
#include <cstdlib>

#include "editor/widgets/vedcaret.h"
#include "framework/dialogs/colorvalue.h"
#include "framework/dialogs/dialogplacement.h"
#include "framework/dialogs/fontchoice.h"
#include "framework/utils.h"
#include "platform/qt/ansi.h"
#include "platform/qt/failure.h"

namespace {

constexpr std::array<uint32_t, PaletteSize - 1> NamedColors = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

// Draws an entry as a black-framed swatch; entry 0 is white with "Vorgabe" centred.
class TColorItemDelegate : public QStyledItemDelegate {
public:
    TColorItemDelegate(const QMargins& inset, QObject* parent)
        : QStyledItemDelegate(parent), inset_(inset) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int entry = index.row();
        painter->save();
        painter->fillRect(option.rect, option.state & QStyle::State_Selected
                                           ? option.palette.highlight()
                                           : option.palette.base());
        const QRect swatch = option.rect.marginsRemoved(inset_).adjusted(0, 0, -1, -1);
        painter->fillRect(swatch, ColorValueToQColor(PaletteColor(entry)));
        painter->setPen(Qt::black);
        painter->drawRect(swatch);
        if (entry == 0)
            painter->drawText(swatch, Qt::AlignCenter, QStringLiteral("Vorgabe"));
        painter->restore();
    }

private:
    QMargins inset_;
};

} // namespace

uint32_t PaletteColor(int entry) {
    if (entry <= 0 || entry >= PaletteSize)
        return 0xFFFFFF;
    return NamedColors[static_cast<size_t>(entry - 1)];
}

int ColorComboIndex(uint32_t value) {
    const auto found = std::find(NamedColors.begin(), NamedColors.end(), value);
    return found == NamedColors.end() ? 0 : static_cast<int>(found - NamedColors.begin()) + 1;
}

void FillColorCombo(QComboBox* combo, const QMargins& inset) {
    combo->setItemDelegate(new TColorItemDelegate(inset, combo));
    combo->setIconSize(QSize(48, 12));
    for (int entry = 0; entry < PaletteSize; ++entry) {
        QPixmap swatch(48, 12);
        swatch.fill(ColorValueToQColor(PaletteColor(entry)));
        // a disabled box shows its colour too, not a greyed swatch
        QIcon icon(swatch);
        icon.addPixmap(swatch, QIcon::Disabled);
        combo->addItem(icon, entry == 0 ? QStringLiteral("Vorgabe") : QString());
    }
}

QString DescribeFont(const TViewFont& font) {
    QString text = QStringLiteral("%1, %2pt").arg(font.Name).arg(font.Size);
    if (font.Bold)
        text += QStringLiteral(", fett");
    if (font.Italic)
        text += QStringLiteral(", kursiv");
    return text;
}

QFont ToQFont(const TViewFont& font, TFontPitch pitch) {
    QFont result(pitch == TFontPitch::Fixed ? ved::TVedFixedFont::FamilyFor(font.Name) : font.Name);
    result.setPointSize(font.Size > 0 ? font.Size : 10);
    result.setBold(font.Bold);
    result.setItalic(font.Italic);
    return result;
}

TFontDialogRun TColorPagesDialog::FontDialog = [](const QFont& initial, QWidget* parent) {
    return RunFontDialog(initial, parent);
};

TColorPreviewer::TColorPreviewer(TColorPagesDialog* dialog, QWidget* parent)
    : QWidget(parent), dialog_(dialog) {
    setFixedSize(TColorPagesDialog::SampleWidth, TColorPagesDialog::SampleHeight);
}

void TColorPreviewer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    dialog_->PreviewerPaint(painter);
}

TColorPagesDialog::TColorPagesDialog(QWidget* owner, const QString& caption,
                                     const QString& fontButton, std::span<const TPageDef> pages,
                                     const QMargins& swatchInset, int helpContext,
                                     TColorPagesOptions options)
    : QDialog(owner), pages_(pages.begin(), pages.end()), helpContext_(helpContext),
      options_(options) {
    setWindowTitle(caption);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    PageControl1 = new QTabWidget(this);
    for (const TPageDef& page : pages_)
        PageControl1->addTab(new QWidget, page.Caption);
    PageControl1->setDocumentMode(true);
    // Every page's tab in view: the dialog is as wide as the tab row.
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setElideMode(Qt::ElideNone);

    LBFontColorItem = new QListWidget(this);
    LForeground = new QLabel(QStringLiteral("&Vordergrund:"), this);
    CBForeground = new QComboBox(this);
    FillColorCombo(CBForeground, swatchInset);
    LForeground->setBuddy(CBForeground);
    LBackground = new QLabel(QStringLiteral("&Hintergrund:"), this);
    CBBackground = new QComboBox(this);
    FillColorCombo(CBBackground, swatchInset);
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
    BFontSelect = new QPushButton(fontButton, this);

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

    connect(PageControl1, &QTabWidget::currentChanged, this,
            &TColorPagesDialog::PageControl1Change);
    connect(LBFontColorItem, &QListWidget::currentRowChanged, this,
            &TColorPagesDialog::LBFontColorItemClick);
    // Only the user's choice stores a colour, not the box following the selected item.
    connect(CBForeground, &QComboBox::activated, this,
            [this](int index) { RunCommand([&] { OnFGColorSelected(index); }); });
    connect(CBBackground, &QComboBox::activated, this,
            [this](int index) { RunCommand([&] { OnBGColorSelected(index); }); });
    ConnectCommand(BFontSelect, this, &TColorPagesDialog::BFontSelectClick);
    ConnectCommand(OKButton, this, &QDialog::accept);
    ConnectCommand(CancelButton, this, &QDialog::reject);
    ConnectCommand(ApplyButton, this, &TColorPagesDialog::DoApply);
    ConnectCommand(HelpButton, this, &TColorPagesDialog::HelpButtonClick);
}

bool TColorPagesDialog::Execute(QWidget* owner) {
    LoadWorkingCopy();
    FormShow();
    adjustSize();
    CenterOnOwner(this, owner);
    if (exec() != QDialog::Accepted)
        return false;
    DoApply();
    return true;
}

void TColorPagesDialog::FormShow() {
    ApplyButton->setEnabled(false);
    PageControl1Change(PageControl1->currentIndex());
    OKButton->setFocus();
}

void TColorPagesDialog::DoApply() {
    StoreWorkingCopy();
    if (OnApply)
        OnApply();
    ApplyButton->setEnabled(false);
}

const TColorItemRec* TColorPagesDialog::CurrentItem() const {
    const int row = LBFontColorItem->currentRow();
    const auto items = pages_[static_cast<size_t>(page_)].Items;
    if (row < 0 || row >= static_cast<int>(items.size()))
        return nullptr;
    return &items[static_cast<size_t>(row)];
}

void TColorPagesDialog::PageControl1Change(int page) {
    page_ = std::clamp(page, 0, static_cast<int>(pages_.size()) - 1);
    const QSignalBlocker blocker(LBFontColorItem);
    LBFontColorItem->clear();
    for (const TColorItemRec& item : pages_[static_cast<size_t>(page_)].Items)
        LBFontColorItem->addItem(platform::AnsiToQString(std::string(item.Label)));
    LBFontColorItem->setCurrentRow(0);
    LBFontColorItemClick();
}

// A colour shows the palette entry it equals; a box that cannot be edited shows entry 0
// unless the dialog shows such colours too.
void TColorPagesDialog::ShowColorBox(QComboBox* box, QLabel* label, int number) {
    box->setEnabled(number > 0);
    label->setEnabled(number > 0);
    const bool shown = number > 0 || (number < 0 && options_.DisabledBoxShowsColor);
    box->setCurrentIndex(shown ? ColorComboIndex(WorkColor(std::abs(number))) : 0);
}

void TColorPagesDialog::LBFontColorItemClick() {
    const TColorItemRec* item = CurrentItem();
    if (!item)
        return;
    ShowColorBox(CBForeground, LForeground, item->Foreground);
    ShowColorBox(CBBackground, LBackground, item->Background);
    BFontSelect->setEnabled(!options_.FontOnFirstItemOnly || LBFontColorItem->currentRow() == 0);
    ShowFont();
    Previewer->update();
}

void TColorPagesDialog::StoreColor(int number, int comboIndex) {
    if (number <= 0 || comboIndex < 0 || comboIndex >= PaletteSize)
        return;
    const uint32_t value = comboIndex == 0 ? DefaultColor(number) : PaletteColor(comboIndex);
    if (WorkColor(number) != value) {
        SetWorkColor(number, value);
        ApplyButton->setEnabled(true);
    }
    Previewer->update();
}

void TColorPagesDialog::OnFGColorSelected(int index) {
    if (const TColorItemRec* item = CurrentItem())
        StoreColor(item->Foreground, index);
}

void TColorPagesDialog::OnBGColorSelected(int index) {
    if (const TColorItemRec* item = CurrentItem())
        StoreColor(item->Background, index);
}

void TColorPagesDialog::ShowFont() {
    LSelectedFont->setText(DescribeFont(PageFont(page_)));
}

void TColorPagesDialog::BFontSelectClick() {
    const TViewFont current = PageFont(page_);
    const std::optional<QFont> chosen =
        ChooseFont(ToQFont(current, TFontPitch::Any), SampleFont(), this, FontDialog);
    if (!chosen)
        return;
    TViewFont changed = current;
    if (chosen->family() != current.Name)
        changed.Name = chosen->family().left(MaxViewFontNameLength);
    changed.Size = chosen->pointSize();
    changed.Bold = chosen->bold();
    changed.Italic = chosen->italic();
    if (changed == current)
        return;
    SetPageFont(page_, changed);
    ApplyButton->setEnabled(true);
    ShowFont();
    Previewer->update();
}

void TColorPagesDialog::HelpButtonClick() {
    ShowHelpTopic(helpContext_);
}

QFont TColorPagesDialog::SampleFont() const {
    return ToQFont(PageFont(page_), pages_[static_cast<size_t>(page_)].Pitch);
}

void TColorPagesDialog::PreviewerPaint(QPainter& painter) {
    const TColorItemRec* item = CurrentItem();
    if (!item)
        return;
    painter.fillRect(QRect(0, 0, SampleWidth, SampleHeight),
                     ColorValueToQColor(WorkColor(std::abs(item->Background))));
    painter.setPen(ColorValueToQColor(WorkColor(std::abs(item->Foreground))));
    painter.setFont(SampleFont());
    painter.drawText(QRect(0, 0, SampleWidth, SampleHeight), Qt::AlignCenter,
                     LBFontColorItem->currentItem()->text());
}
