// Caret descriptions and the caret pair the editor draws, the highlight colour pair and the
// font restricted to fixed-pitch families.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QStringList>

#include <functional>
#include <memory>

namespace ved {

enum class TVedCaretShape { csBlock, csHalfBlock, csVertLine, csHorzLine, csCustom, csBitmap };
enum class TVedCaretAlign { caLeft, caTop, caRight, caBottom, caCenter };

// How a caret looks. Shared by reference count (shared_ptr): whoever stores one holds it.
class TVedCaret {
public:
    TVedCaret() = default;
    explicit TVedCaret(TVedCaretShape shape) { SetShape(shape); }

    const QImage& Bitmap() const { return bitmap_; }
    void SetBitmap(const QImage& bitmap);
    int BitmapHotSpotX() const { return hotX_; }
    int BitmapHotSpotY() const { return hotY_; }
    void SetBitmapHotSpotX(int x);
    void SetBitmapHotSpotY(int y);
    TVedCaretShape Shape() const { return shape_; }
    void SetShape(TVedCaretShape shape);
    TVedCaretAlign Align() const { return align_; }
    void SetAlign(TVedCaretAlign align);
    int BlinkTime() const { return blinkTime_; } // ms; 0 = the platform's
    void SetBlinkTime(int ms);
    int CaretHeight() const { return height_; }
    void SetCaretHeight(int height);
    int CaretWidth() const { return width_; }
    void SetCaretWidth(int width);
    bool IsGray() const { return gray_; }
    void SetIsGray(bool gray);

    // Set by the caret pair that shows this caret.
    std::function<void()> OnChange;

private:
    friend class TVedCaretPair;
    void Notify() {
        if (OnChange)
            OnChange();
    }

    QImage bitmap_;
    int hotX_ = 0, hotY_ = 0;
    TVedCaretShape shape_ = TVedCaretShape::csVertLine;
    TVedCaretAlign align_ = TVedCaretAlign::caLeft;
    int blinkTime_ = 0;
    int height_ = 10;
    int width_ = 2;
    bool gray_ = false;
};

// The insert and overwrite carets of an editor and the geometry of the current one inside a
// character cell. The editor paints it; this class only says where and how.
class TVedCaretPair {
public:
    TVedCaretPair();
    ~TVedCaretPair();
    TVedCaretPair(const TVedCaretPair&) = delete;
    TVedCaretPair& operator=(const TVedCaretPair&) = delete;

    std::shared_ptr<TVedCaret> CaretIns() const { return ins_; }
    std::shared_ptr<TVedCaret> CaretOvr() const { return ovr_; }
    void SetCaretIns(std::shared_ptr<TVedCaret> caret);
    void SetCaretOvr(std::shared_ptr<TVedCaret> caret);
    bool InsertMode() const { return insertMode_; }
    void SetInsertMode(bool on);
    TVedCaret& Current() const { return insertMode_ ? *ins_ : *ovr_; }

    void SetCellSize(int height, int width);
    int CellHeight() const { return cellHeight_; }
    int CellWidth() const { return cellWidth_; }
    // Recomputes size and offset from the current caret and the cell.
    void CaretTypeHasChanged();
    // Rectangle of the caret for a cell whose top left corner is `cell`.
    QRect CaretRect(QPoint cell) const;
    QPoint Offset() const { return offset_; }

    std::function<void()> OnChange; // the editor repaints the caret

private:
    void Hook(TVedCaret& caret);

    std::shared_ptr<TVedCaret> ins_;
    std::shared_ptr<TVedCaret> ovr_;
    bool insertMode_ = true;
    int cellHeight_ = 10;
    int cellWidth_ = 10;
    QPoint offset_;
};

// A text and a background colour with defaults.
class TVedColors {
public:
    TVedColors(QColor defaultText, QColor defaultBack);
    QColor TextColor() const { return text_; }
    QColor BackColor() const { return back_; }
    bool UseDefault() const { return useDefault_; }
    void SetTextColor(QColor c);
    void SetBackColor(QColor c);
    void SetUseDefault(bool on);
    void Assign(const TVedColors& other);

    std::function<void()> OnColorChange;

private:
    void Notify() {
        if (OnColorChange)
            OnColorChange();
    }
    QColor defText_, defBack_, text_, back_;
    bool useDefault_ = true;
};

// A font limited to the fixed-pitch families of the screen.
class TVedFixedFont {
public:
    TVedFixedFont(); // the first fixed-pitch family
    const QFont& Font() const { return font_; }
    QColor Color() const { return color_; }
    QString Name() const { return font_.family(); }
    int Size() const { return font_.pointSize(); }
    void SetColor(QColor c);
    // A name outside the fixed-pitch list is ignored.
    void SetName(const QString& name);
    void SetSize(int points);
    void SetStyle(bool bold, bool italic);
    void Assign(const TVedFixedFont& other);
    // EInvalidFixedFont for a proportional family; the font then stays as it was.
    void Assign(const QFont& font);

    // The fixed-pitch families, in the platform's order, gathered once.
    static const QStringList& FixedPitchFamilies();
    // The fixed-pitch family a stored font name is drawn in: the name itself when it is one,
    // else the family the system takes for it when that is fixed-pitch, else the first one.
    // Whatever shows a fixed-pitch view's font resolves its name here.
    static QString FamilyFor(const QString& name);

    std::function<void()> OnChange;

private:
    void Notify() {
        if (OnChange)
            OnChange();
    }
    QFont font_;
    QColor color_ = Qt::black;
};

} // namespace ved
