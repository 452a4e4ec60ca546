#include "graphical/editors/blockpalette.h"

#include <algorithm>

#include <QMenu>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QToolButton>

#include "framework/textwidth.h"
#include "platform/qt/ansi.h"
#include "platform/qt/failure.h"

// ---- TBlockPalette

void TBlockPalette::InitBlockPalette(QAbstractButton* backButton,
                                     std::vector<QAbstractButton*> blockButtons,
                                     QAbstractButton* forwardButton) {
    backButton_ = backButton;
    forwardButton_ = forwardButton;
    blockButtons_ = std::move(blockButtons);
    usableCount_ = static_cast<int>(blockButtons_.size());
    group_ = nullptr;
    visibleCount_ = 0;
    firstIndex_ = 0;
}

void TBlockPalette::DoneBlockPalette() {
    backButton_ = nullptr;
    forwardButton_ = nullptr;
    blockButtons_.clear();
    usableCount_ = 0;
    group_ = nullptr;
    visibleCount_ = 0;
    firstIndex_ = 0;
}

void TBlockPalette::SelectBlockGroup(int groupIndex) {
    if (backButton_ == nullptr || forwardButton_ == nullptr) {
        return;
    }
    TBlockGroupItem* group = catalogue_.Group(groupIndex);
    if (group == nullptr) {
        // Forget the old group as well, so that a later scroll cannot bring back its buttons.
        group_ = nullptr;
        visibleCount_ = 0;
        firstIndex_ = 0;
        for (QAbstractButton* button : blockButtons_) {
            button->hide();
        }
        backButton_->setEnabled(false);
        forwardButton_->setEnabled(false);
        return;
    }
    firstIndex_ = 0;
    group_ = group;
    visibleCount_ = std::min(group->Count(), usableCount_);
    ShowButtons();
    UpdateBlockPalette();
}

void TBlockPalette::SetUsableButtons(int count) {
    count = std::clamp(count, 0, static_cast<int>(blockButtons_.size()));
    if (count == usableCount_) {
        return;
    }
    usableCount_ = count;
    if (group_ == nullptr) {
        return;
    }
    visibleCount_ = std::min(group_->Count(), usableCount_);
    firstIndex_ = std::min(firstIndex_, group_->Count() - visibleCount_);
    ShowButtons();
    UpdateBlockPalette();
}

void TBlockPalette::ShowButtons() {
    for (int i = 0; i < static_cast<int>(blockButtons_.size()); ++i) {
        blockButtons_[i]->setVisible(i < visibleCount_);
    }
}

void TBlockPalette::ScrollBlockPalette(bool forward) {
    if (backButton_ == nullptr || forwardButton_ == nullptr) {
        return;
    }
    int count = group_ != nullptr ? group_->Count() : 0;
    if (forward) {
        if (count > firstIndex_ + visibleCount_) {
            ++firstIndex_;
        }
    } else if (firstIndex_ != 0) {
        --firstIndex_;
    }
    UpdateBlockPalette();
}

void TBlockPalette::UpdateBlockPalette() {
    if (backButton_ == nullptr || forwardButton_ == nullptr) {
        return;
    }
    int count = group_ != nullptr ? group_->Count() : 0;
    backButton_->setEnabled(count > visibleCount_ && firstIndex_ > 0);
    forwardButton_->setEnabled(count > visibleCount_ && count > firstIndex_ + visibleCount_);
    for (int i = 0; i < visibleCount_; ++i) {
        TBlockTyp* type = group_->GetBlock(firstIndex_ + i);
        QAbstractButton* button = blockButtons_[i];
        if (type == nullptr) {
            continue;
        }
        // Short hint only: the status bar stays empty for block buttons.
        button->setToolTip(type->Name);
        button->setStatusTip(QString());
        button->setProperty(kTagProperty, kInsertBlockCommand + type->ID);
        QImage glyph = catalogue_.LoadResource(type->GlyphName);
        if (glyph.isNull()) {
            button->setIcon(QIcon());
            catalogue_.ReportError(QStringLiteral("Konnte Bitmap %1 nicht finden!")
                                       .arg(platform::AnsiToQString(type->GlyphName)));
        } else {
            button->setIcon(GlyphIcon(glyph));
            button->setIconSize(QSize(glyph.width() / 2, glyph.height()));
        }
    }
}

TBlockPalette& BlockPalette() {
    static TBlockPalette palette(BlockCatalogue());
    return palette;
}

void InitBlockPalette(QAbstractButton* backButton, std::vector<QAbstractButton*> blockButtons,
                      QAbstractButton* forwardButton) {
    BlockPalette().InitBlockPalette(backButton, std::move(blockButtons), forwardButton);
}

void DoneBlockPalette() {
    BlockPalette().DoneBlockPalette();
}

void SelectBlockGroup(int groupIndex) {
    BlockPalette().SelectBlockGroup(groupIndex);
}

void ScrollBlockPalette(bool forward) {
    BlockPalette().ScrollBlockPalette(forward);
}

void UpdateBlockPalette() {
    BlockPalette().UpdateBlockPalette();
}

QIcon GlyphIcon(const QImage& glyph) {
    QImage masked = glyph.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = qRgb(255, 0, 255);
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x) {
            if (line[x] == transparent) {
                line[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    int half = masked.width() / 2;
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(masked.copy(0, 0, half, masked.height())), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(masked.copy(half, 0, half, masked.height())),
                   QIcon::Disabled);
    return icon;
}

// ---- group combo box

void TBlockGroupDelegate::PaintItem(QPainter* painter, const QRect& rect, bool selected,
                                    const QPalette& palette, const QString& caption,
                                    const QImage& bitmap) {
    painter->save();
    painter->setClipRect(rect);
    painter->fillRect(rect, selected ? palette.highlight() : palette.base());
    if (!bitmap.isNull()) {
        painter->drawImage(rect.left() + 2, rect.top(), bitmap);
    }
    painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
    painter->drawText(rect.adjusted(TextLeft, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, caption);
    painter->restore();
}

void TBlockGroupDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    if (!index.isValid()) {
        return;
    }
    PaintItem(painter, option.rect, option.state & QStyle::State_Selected, option.palette,
              index.data(Qt::DisplayRole).toString(), index.data(BitmapRole).value<QImage>());
}

QSize TBlockGroupDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width() + TextLeft, ItemHeight);
}

TBlockGroupComboBox::TBlockGroupComboBox(QWidget* parent) : QComboBox(parent) {
    setItemDelegate(new TBlockGroupDelegate(this));
    setMaxVisibleItems(7);
}

void TBlockGroupComboBox::Fill(const TBlockCatalogue& catalogue) {
    clear();
    for (const std::unique_ptr<TBlockGroupItem>& group : catalogue.Groups()) {
        addItem(group->Caption);
        setItemData(count() - 1, group->Bitmap, TBlockGroupDelegate::BitmapRole);
    }
}

QSize TBlockGroupComboBox::sizeHint() const {
    QStringList captions;
    for (int i = 0; i < count(); ++i) {
        captions << itemText(i);
    }
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QSize content(TBlockGroupDelegate::TextLeft + TextsWidth(fontMetrics(), captions),
                        TBlockGroupDelegate::ItemHeight);
    const QSize needed = style()->sizeFromContents(QStyle::CT_ComboBox, &option, content, this);
    return QComboBox::sizeHint().expandedTo(QSize(needed.width(), 0));
}

QSize TBlockGroupComboBox::minimumSizeHint() const {
    return QComboBox::minimumSizeHint().expandedTo(QSize(sizeHint().width(), 0));
}

void TBlockGroupComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    int index = currentIndex();
    if (index < 0) {
        return;
    }
    QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    field.setHeight(std::min(field.height(), TBlockGroupDelegate::ItemHeight));
    field.moveTop(option.rect.top() + (option.rect.height() - field.height()) / 2);
    TBlockGroupDelegate::PaintItem(
        &painter, field, hasFocus(), palette(), itemText(index),
        itemData(index, TBlockGroupDelegate::BitmapRole).value<QImage>());
}

// ---- block menu

void BuildBlockMenu(QMenu* blockMenu, const TBlockCatalogue& catalogue,
                    const std::function<void(int command)>& dispatch) {
    const QString groupHint =
        platform::AnsiToQString(std::string_view("Einen Blocktyp dieser Gruppe w\xE4hlen"));
    const QString typeHint =
        platform::AnsiToQString(std::string_view("Einen Block dieses Typs einf\xFCgen"));
    for (const std::unique_ptr<TBlockGroupItem>& group : catalogue.Groups()) {
        if (group->Count() == 0) {
            continue;
        }
        QMenu* groupMenu = blockMenu->addMenu(group->Caption);
        groupMenu->menuAction()->setStatusTip(groupHint);
        for (int i = 0; i < group->Count(); ++i) {
            TBlockTyp* type = group->GetBlock(i);
            int command = kInsertBlockCommand + type->ID;
            QAction* item = groupMenu->addAction(type->Name);
            item->setProperty(kTagProperty, command);
            item->setStatusTip(typeHint);
            ConnectCommand(item, blockMenu, [dispatch, command] { dispatch(command); });
        }
    }
}

// ---- palette bar

TBlockPaletteBar::TBlockPaletteBar(TBlockPalette& palette, const TBlockCatalogue& catalogue,
                                   QWidget* parent)
    : QWidget(parent), palette_(palette), combo_(new TBlockGroupComboBox(this)),
      backButton_(new QToolButton(this)), forwardButton_(new QToolButton(this)) {
    combo_->setObjectName(QStringLiteral("CBBlockKategorie"));
    combo_->setMinimumWidth(180);

    backButton_->setObjectName(QStringLiteral("BlockBackwardButton"));
    backButton_->setArrowType(Qt::LeftArrow);
    backButton_->setAutoRaise(true);

    std::vector<QAbstractButton*> buttons;
    for (int i = 0; i < 8; ++i) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("BlockButton%1").arg(i + 1));
        button->setAutoRaise(true);
        button->setIconSize(QSize(40, 24));
        blockButtons_.push_back(button);
        buttons.push_back(button);
        ConnectCommand(button, this, [this, button] {
            emit blockCommand(button->property(kTagProperty).toInt());
        });
    }

    forwardButton_->setObjectName(QStringLiteral("BlockForwardButton"));
    forwardButton_->setArrowType(Qt::RightArrow);
    forwardButton_->setAutoRaise(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    connect(combo_, &QComboBox::activated, this,
            [this](int index) { RunCommand([&] { CBBlockKategorieClick(index); }); });
    ConnectCommand(backButton_, this, [this] { SelectBlockButtonsClick(backButton_); });
    ConnectCommand(forwardButton_, this, [this] { SelectBlockButtonsClick(forwardButton_); });

    combo_->Fill(catalogue);
    palette_.InitBlockPalette(backButton_, buttons, forwardButton_);
    combo_->setCurrentIndex(0);
    palette_.SelectBlockGroup(0);
}

TBlockPaletteBar::~TBlockPaletteBar() {
    palette_.DoneBlockPalette();
}

namespace {
constexpr int PaletteGap = 1;

int ComboWidth(const QComboBox* combo) {
    return std::max(combo->sizeHint().width(), combo->minimumWidth());
}
} // namespace

int TBlockPaletteBar::WidthFor(int buttons) const {
    return ComboWidth(combo_) + PaletteGap + backButton_->sizeHint().width() + PaletteGap +
           buttons * (blockButtons_[0]->sizeHint().width() + PaletteGap) +
           forwardButton_->sizeHint().width();
}

QSize TBlockPaletteBar::sizeHint() const {
    const std::initializer_list<const QWidget*> controls = {combo_, backButton_, blockButtons_[0],
                                                            forwardButton_};
    int height = 0;
    for (const QWidget* control : controls) {
        height = std::max(height, control->sizeHint().height());
    }
    return QSize(WidthFor(static_cast<int>(blockButtons_.size())), height);
}

QSize TBlockPaletteBar::minimumSizeHint() const {
    return QSize(WidthFor(1), sizeHint().height());
}

void TBlockPaletteBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceControls();
}

// Left to right, each control centred in the bar's height; the block buttons that are in use
// keep their places while a group hides some of them, so the forward button does not wander.
void TBlockPaletteBar::PlaceControls() {
    int usable = static_cast<int>(blockButtons_.size());
    while (usable > 1 && WidthFor(usable) > width()) {
        --usable;
    }
    palette_.SetUsableButtons(usable);
    int x = 0;
    auto place = [this, &x](QWidget* control, int width) {
        const QSize size(width, control->sizeHint().height());
        control->setGeometry(x, (height() - size.height()) / 2, size.width(), size.height());
        x += size.width() + PaletteGap;
    };
    place(combo_, ComboWidth(combo_));
    place(backButton_, backButton_->sizeHint().width());
    for (int i = 0; i < usable; ++i) {
        place(blockButtons_[i], blockButtons_[i]->sizeHint().width());
    }
    place(forwardButton_, forwardButton_->sizeHint().width());
}

void TBlockPaletteBar::CBBlockKategorieClick(int index) {
    palette_.SelectBlockGroup(index);
}

void TBlockPaletteBar::SelectBlockButtonsClick(QAbstractButton* sender) {
    palette_.ScrollBlockPalette(sender == forwardButton_);
}
