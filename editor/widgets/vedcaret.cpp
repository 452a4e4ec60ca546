#include "editor/widgets/vedcaret.h"

#include "editor/vedexcept.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace ved {

// ---------------------------------------------------------------------------------------------
// TVedCaret

void TVedCaret::SetBitmap(const QImage& bitmap) {
    if (bitmap.isNull())
        return;
    bitmap_ = bitmap;
    Notify();
}

void TVedCaret::SetBitmapHotSpotX(int x) {
    if (x == hotX_)
        return;
    hotX_ = x;
    if (shape_ == TVedCaretShape::csBitmap)
        Notify();
}

void TVedCaret::SetBitmapHotSpotY(int y) {
    if (y == hotY_)
        return;
    hotY_ = y;
    if (shape_ == TVedCaretShape::csBitmap)
        Notify();
}

void TVedCaret::SetShape(TVedCaretShape shape) {
    if (shape == shape_)
        return;
    shape_ = shape;
    switch (shape) {
    case TVedCaretShape::csBlock:
        align_ = TVedCaretAlign::caLeft;
        break;
    case TVedCaretShape::csHalfBlock:
        align_ = TVedCaretAlign::caBottom;
        break;
    case TVedCaretShape::csVertLine:
        align_ = TVedCaretAlign::caLeft;
        width_ = 2;
        break;
    case TVedCaretShape::csHorzLine:
        align_ = TVedCaretAlign::caBottom;
        height_ = 2;
        break;
    case TVedCaretShape::csCustom:
        break;
    case TVedCaretShape::csBitmap:
        if (!bitmap_.isNull()) {
            height_ = bitmap_.height();
            width_ = bitmap_.width();
        }
        break;
    }
    Notify();
}

void TVedCaret::SetAlign(TVedCaretAlign align) {
    if (align == align_)
        return;
    align_ = align;
    Notify();
}

void TVedCaret::SetBlinkTime(int ms) {
    if (ms == blinkTime_ || ms < 0)
        return;
    blinkTime_ = ms;
    Notify();
}

void TVedCaret::SetCaretHeight(int height) {
    if (height == height_ || height <= 0)
        return;
    height_ = height;
    Notify();
}

void TVedCaret::SetCaretWidth(int width) {
    if (width == width_ || width <= 0)
        return;
    width_ = width;
    Notify();
}

void TVedCaret::SetIsGray(bool gray) {
    if (gray == gray_)
        return;
    gray_ = gray;
    Notify();
}

// ---------------------------------------------------------------------------------------------
// TVedCaretPair

TVedCaretPair::TVedCaretPair()
    : ins_(std::make_shared<TVedCaret>(TVedCaretShape::csVertLine)),
      ovr_(std::make_shared<TVedCaret>(TVedCaretShape::csBlock)) {
    Hook(*ins_);
    Hook(*ovr_);
    CaretTypeHasChanged();
}

TVedCaretPair::~TVedCaretPair() {
    ins_->OnChange = nullptr;
    ovr_->OnChange = nullptr;
}

void TVedCaretPair::Hook(TVedCaret& caret) {
    caret.OnChange = [this] { CaretTypeHasChanged(); };
}

void TVedCaretPair::SetCaretIns(std::shared_ptr<TVedCaret> caret) {
    if (!caret || caret == ins_)
        return;
    ins_->OnChange = nullptr;
    ins_ = std::move(caret);
    Hook(*ins_);
    if (insertMode_)
        CaretTypeHasChanged();
}

void TVedCaretPair::SetCaretOvr(std::shared_ptr<TVedCaret> caret) {
    if (!caret || caret == ovr_)
        return;
    ovr_->OnChange = nullptr;
    ovr_ = std::move(caret);
    Hook(*ovr_);
    if (!insertMode_)
        CaretTypeHasChanged();
}

void TVedCaretPair::SetInsertMode(bool on) {
    if (on == insertMode_)
        return;
    insertMode_ = on;
    CaretTypeHasChanged();
}

void TVedCaretPair::SetCellSize(int height, int width) {
    cellHeight_ = height;
    cellWidth_ = width;
    CaretTypeHasChanged();
}

void TVedCaretPair::CaretTypeHasChanged() {
    TVedCaret& c = Current();
    // the size follows the cell without telling anyone
    switch (c.shape_) {
    case TVedCaretShape::csBlock:
        c.height_ = cellHeight_;
        c.width_ = cellWidth_;
        break;
    case TVedCaretShape::csHalfBlock:
        c.height_ = cellHeight_ / 2;
        c.width_ = cellWidth_;
        break;
    case TVedCaretShape::csVertLine:
        c.height_ = cellHeight_;
        break;
    case TVedCaretShape::csHorzLine:
        c.width_ = cellWidth_;
        break;
    default:
        break;
    }
    int x = 0, y = 0;
    switch (c.align_) {
    case TVedCaretAlign::caLeft:
        y = (cellHeight_ - c.height_) / 2;
        break;
    case TVedCaretAlign::caTop:
        x = (cellWidth_ - c.width_) / 2;
        break;
    case TVedCaretAlign::caRight:
        x = cellWidth_ - c.width_;
        y = (cellHeight_ - c.height_) / 2;
        break;
    case TVedCaretAlign::caBottom:
        x = (cellWidth_ - c.width_) / 2;
        y = cellHeight_ - c.height_;
        break;
    case TVedCaretAlign::caCenter:
        x = (cellWidth_ - c.width_) / 2;
        y = (cellHeight_ - c.height_) / 2;
        break;
    }
    if (c.shape_ == TVedCaretShape::csBitmap) {
        x -= c.hotX_;
        y -= c.hotY_;
    }
    offset_ = QPoint(x, y);
    if (OnChange)
        OnChange();
}

QRect TVedCaretPair::CaretRect(QPoint cell) const {
    const TVedCaret& c = Current();
    return QRect(cell + offset_, QSize(c.width_, c.height_));
}

// ---------------------------------------------------------------------------------------------
// TVedColors

TVedColors::TVedColors(QColor defaultText, QColor defaultBack)
    : defText_(defaultText), defBack_(defaultBack), text_(defaultText), back_(defaultBack) {}

void TVedColors::SetTextColor(QColor c) {
    if (c == text_)
        return;
    if (c != defText_)
        useDefault_ = false;
    text_ = c;
    Notify();
}

void TVedColors::SetBackColor(QColor c) {
    if (c == back_)
        return;
    if (c != defBack_)
        useDefault_ = false;
    back_ = c;
    Notify();
}

void TVedColors::SetUseDefault(bool on) {
    useDefault_ = on;
    if (!on)
        return;
    text_ = defText_;
    back_ = defBack_;
    Notify();
}

void TVedColors::Assign(const TVedColors& other) {
    SetTextColor(other.text_);
    SetBackColor(other.back_);
}

// ---------------------------------------------------------------------------------------------
// TVedFixedFont

const QStringList& TVedFixedFont::FixedPitchFamilies() {
    static const QStringList families = [] {
        QStringList list;
        for (const QString& family : QFontDatabase::families())
            if (QFontDatabase::isFixedPitch(family))
                list << family;
        if (list.isEmpty()) // a platform without a font list still has its fixed font
            list << QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
        return list;
    }();
    return families;
}

QString TVedFixedFont::FamilyFor(const QString& name) {
    const QStringList& fixed = FixedPitchFamilies();
    if (fixed.contains(name))
        return name;
    const QString drawn = QFontInfo(QFont(name)).family();
    return fixed.contains(drawn) ? drawn : fixed.front();
}

TVedFixedFont::TVedFixedFont() {
    font_ = QFont(FixedPitchFamilies().front());
    font_.setPointSize(10);
    font_.setStyleHint(QFont::TypeWriter);
}

void TVedFixedFont::SetColor(QColor c) {
    color_ = c;
    Notify();
}

void TVedFixedFont::SetName(const QString& name) {
    if (!FixedPitchFamilies().contains(name))
        return;
    font_.setFamily(name);
    Notify();
}

void TVedFixedFont::SetSize(int points) {
    if (points <= 0)
        return;
    font_.setPointSize(points);
    Notify();
}

void TVedFixedFont::SetStyle(bool bold, bool italic) {
    font_.setBold(bold);
    font_.setItalic(italic);
    Notify();
}

void TVedFixedFont::Assign(const TVedFixedFont& other) {
    font_ = other.font_;
    color_ = other.color_;
    Notify();
}

void TVedFixedFont::Assign(const QFont& font) {
    if (!FixedPitchFamilies().contains(font.family()))
        throw EInvalidFixedFont();
    font_ = font;
    Notify();
}

} // namespace ved
