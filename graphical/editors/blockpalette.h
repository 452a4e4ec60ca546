// The block palette: the group combo box, eight block buttons with two scroll buttons, and the
// block menu, all filled from the block catalogue. A button or menu item carries the command
// 20000 + type id ("insert a block of that type") in its "tag" property.
#pragma once

#include <functional>
#include <vector>

#include <QComboBox>
#include <QStyledItemDelegate>
#include <QWidget>

#include "framework/mainframe.h"
#include "graphical/model/blockcatalogue.h"

class QAbstractButton;
class QMenu;
class QToolButton;

inline constexpr int kInsertBlockCommand = 20000;
inline constexpr int kInsertCommentCommand = 29999;

// The palette state: which group is shown on the block buttons and from which type on.
class TBlockPalette {
public:
    explicit TBlockPalette(TBlockCatalogue& catalogue) : catalogue_(catalogue) {}

    void InitBlockPalette(QAbstractButton* backButton, std::vector<QAbstractButton*> blockButtons,
                          QAbstractButton* forwardButton);
    void DoneBlockPalette();
    void SelectBlockGroup(int groupIndex);
    void ScrollBlockPalette(bool forward);
    void UpdateBlockPalette();
    // How many of the block buttons are in use, from the first on; the others stay hidden. The
    // types shown stay as far as they fit, and a larger palette fills up from the group's end.
    void SetUsableButtons(int count);

    TBlockGroupItem* CurrentGroup() const { return group_; }
    int VisibleCount() const { return visibleCount_; }
    int FirstIndex() const { return firstIndex_; }
    int UsableButtons() const { return usableCount_; }

private:
    // Shows the first VisibleCount buttons and hides the rest.
    void ShowButtons();

    TBlockCatalogue& catalogue_;
    QAbstractButton* backButton_ = nullptr;
    QAbstractButton* forwardButton_ = nullptr;
    std::vector<QAbstractButton*> blockButtons_;
    TBlockGroupItem* group_ = nullptr;
    int visibleCount_ = 0;
    int firstIndex_ = 0;
    int usableCount_ = 0;
};

// The program's palette over the program's catalogue.
TBlockPalette& BlockPalette();
void InitBlockPalette(QAbstractButton* backButton, std::vector<QAbstractButton*> blockButtons,
                      QAbstractButton* forwardButton);
void DoneBlockPalette();
void SelectBlockGroup(int groupIndex);
void ScrollBlockPalette(bool forward);
void UpdateBlockPalette();

// A palette glyph as button icon: the left half is the normal look, the right half the
// disabled one; magenta turns transparent.
QIcon GlyphIcon(const QImage& glyph);

// Paints a group item: the group bitmap at the left, the caption 32 pixels in; 18 pixels high.
class TBlockGroupDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int ItemHeight = 18;
    // Where the caption starts, right of the bitmap.
    static constexpr int TextLeft = 32;
    static constexpr int BitmapRole = Qt::UserRole + 1;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The owner-drawn look of one item, shared by the list and the closed combo box.
    static void PaintItem(QPainter* painter, const QRect& rect, bool selected,
                          const QPalette& palette, const QString& caption, const QImage& bitmap);
};

// The owner-drawn group combo box (7 visible items of height 18).
class TBlockGroupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TBlockGroupComboBox(QWidget* parent = nullptr);
    // The group captions in group order, with their bitmaps.
    void Fill(const TBlockCatalogue& catalogue);

    // Wide enough for the longest caption behind its bitmap.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The block menu: a submenu per group with types, an item per type; a click hands the item's
// command to dispatch.
void BuildBlockMenu(QMenu* blockMenu, const TBlockCatalogue& catalogue,
                    const std::function<void(int command)>& dispatch);

// The palette's controls in a row, wired as the main window wires them: the group combo
// "CBBlockKategorie", "BlockBackwardButton", "BlockButton1" .. "BlockButton8" and
// "BlockForwardButton". A click on a block button emits its command. Narrower than all eight
// block buttons need, it uses as many as fit, at least one.
class TBlockPaletteBar : public QWidget {
    Q_OBJECT
public:
    TBlockPaletteBar(TBlockPalette& palette, const TBlockCatalogue& catalogue,
                     QWidget* parent = nullptr);
    ~TBlockPaletteBar() override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    TBlockGroupComboBox* CBBlockKategorie() const { return combo_; }
    QToolButton* BlockBackwardButton() const { return backButton_; }
    QToolButton* BlockForwardButton() const { return forwardButton_; }
    QToolButton* BlockButton(int index) const { return blockButtons_[index]; }

signals:
    void blockCommand(int command);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // The width the bar needs with the given number of block buttons.
    int WidthFor(int buttons) const;
    void PlaceControls();
    void CBBlockKategorieClick(int index);
    void SelectBlockButtonsClick(QAbstractButton* sender);

    TBlockPalette& palette_;
    TBlockGroupComboBox* combo_;
    QToolButton* backButton_;
    QToolButton* forwardButton_;
    std::vector<QToolButton*> blockButtons_;
};
