// Blocks and wires of a program cell: the shared geometry on the 10-pixel grid, the abstract
// block with its text lines, the wire with its bends, and the tokenizer of the cell text.
// Texts are Windows-1252 byte strings; a text is a list of lines without line ends.
#pragma once

#include <QColor>
#include <QPoint>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/include/quendal32.h"

class QPainter;
class TBlockList;

using TLines = std::vector<std::string>;

// Raised for misuse the caller is to report ("Falscher Zieltyp", "Falsche BlockID ...").
class EBlockError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Undo and redo read back texts whose faults (a block without a type or of one the catalogue
// lacks, a picture that cannot be loaded) the user was told of when the text came in; while a
// scope lives, those faults are not reported again.
class TReadBackScope {
public:
    TReadBackScope() { ++depth_; }
    ~TReadBackScope() { --depth_; }
    TReadBackScope(const TReadBackScope&) = delete;
    TReadBackScope& operator=(const TReadBackScope&) = delete;
    static bool Active() { return depth_ > 0; }

private:
    static inline int depth_ = 0;
};

// The display settings the cells are drawn with; kept by the main window and its option
// dialogs, read by blocks, wires and cells.
struct TCellDisplay {
    bool CellAlignAtGrid = true;
    bool CellGridVisible = true;
    bool BlockIndicesVisible = false;
    QColor CellGridColor = Qt::black;
    QColor LineColorInt = Qt::blue;
    QColor LineColorText = Qt::green;
    QColor LineColorTime = Qt::red;
    QColor LineColorDate = Qt::red;
    QColor CellComment = Qt::black;
    QColor CellBackgnd = Qt::white;
    QColor IndexColor = Qt::white;
    QColor IndexBackgnd = Qt::gray;
    std::string CommentFontName = "MS Sans Serif";
    int CommentFontSize = 8;
    int CommentFontStyle = 0;
};
TCellDisplay& CellDisplay();

constexpr int GridSize = 10;
constexpr int MaxWirePoints = 21;
constexpr int MaxInputs = 16;

// A rectangle in cell pixels; Right and Bottom lie outside, as on the Windows canvas.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    void Offset(int dx, int dy) {
        Left += dx;
        Right += dx;
        Top += dy;
        Bottom += dy;
    }
    bool operator==(const TRect&) const = default;
};

// The area a cell is drawn in, on screen and in print.
constexpr int CellDrawingArea = 2000;
// The range of cell coordinates: far beyond the drawing area that pasting below the last
// block can grow, yet far from where sizes and offsets would overflow.
constexpr int MaxCellCoordinate = 1 << 20;
constexpr bool InCellRange(int64_t v) {
    return v >= -MaxCellCoordinate && v <= MaxCellCoordinate;
}
// The size update of a block: the rectangle takes the size at its top-left; a size that would
// carry it beyond the cell's range moves it back in.
void SetRectSize(TRect& r, int width, int height);
// The given top, or the one above it where a block of that height, snapped up to the grid,
// still lies inside the cell's range.
int TopInRange(int top, int height);
// How a rectangle line "left,top,right,bottom" was read into a rectangle.
enum class TRectRead {
    Whole,
    Part,    // a number is missing: the fields read are taken, the rectangle keeps its size
    Outside, // it lies outside the cell's range (a damaged file) and is not taken
    Missing, // the block's lines hold none: it keeps a new block's size
};
TRectRead ReadRectLine(std::string_view line, TRect& r);
// A line that stands for a rectangle: its text up to the first comma is a number.
bool IsRectLine(std::string_view line);

// Non-empty common area.
bool RectsIntersect(const TRect& a, const TRect& b);
// Union that ignores empty rectangles.
TRect UnionRects(const TRect& a, const TRect& b);

int SnapToGrid(int v);
int SnapToGridUp(int v);
void SnapRectToGrid(TRect& r);
// The rectangle moved by delta, snapped when aligning at the grid.
TRect MovedRect(const TRect& r, QPoint delta);
QPoint SnapPointToGrid(QPoint p);
void SnapRectToGridUp(TRect& r);
void NormalizeRect(TRect& r);
// 0: a lies left of b, 1 above, 2 right, 3 below; vertical wins ties.
int SideOf(QPoint a, QPoint b);
QPoint RectCenter(const TRect& r);
QPoint ConnectionPoint(const TRect& r, QPoint towards);

// A line that the project, cell or block reader takes as a section or block marker.
bool IsMarkerLine(std::string_view line);
// Where the block's section that holds line index ends: at the next block's start or its own
// end, or at the end of the lines.
size_t BlockSectionEnd(const TLines& lines, size_t index);

// Marker-safe form of a free text line (comment, parameter or table line). A marker line, a
// line that begins with the escape byte 0x1B, or one that holds a CR or LF is written as the
// escape byte followed by the line with 0x1B, CR and LF spelled 0x1B 0x1B, 0x1B "r", 0x1B "n";
// every other line stands as it is. Older texts never begin with that byte, so they read as
// before.
std::string EscapeTextLine(const std::string& line, bool force = false);
std::string UnescapeTextLine(const std::string& line);

// A line or name of a text as a message, a window title or a tree label shows it: its start, cut
// behind 80 characters, for a damaged file's line may be megabytes long.
QString MessageQuote(std::string_view text);
QString MessageQuote(const QString& text);

// Lines joined with CR LF after each, and a text split at CR LF or LF (no empty last line).
std::string JoinLines(const TLines& lines);
TLines SplitLines(const std::string& text);

// Texts on the platform clipboard as plain Windows-1252 bytes, CR LF after each line, under a
// format name of their own ("Tavrissel plus Cell", "... Blocks", "... Table").
void CopyLinesToClipboard(const char* format, const TLines& lines);
bool ClipboardHasLines(const char* format);
// False, and no lines, when the clipboard holds nothing under that name.
bool PasteLinesFromClipboard(const char* format, TLines& lines);

// Reads a line from the front, token by token. The line is read by position, never shortened:
// reading a line costs its length.
class TTokenString {
public:
    char Separator = ',';

    void SetText(std::string_view line) {
        text_.assign(line);
        position_ = 0;
    }
    void SetSeparator(char c) { Separator = c; }
    bool SkipPast(char c);
    bool NextToken(std::string& token);
    bool NextInt(int& value);
    bool HasMore() const { return position_ < text_.size(); }
    // The part not read yet.
    std::string_view Rest() const { return std::string_view(text_).substr(position_); }
    void SkipRest() { position_ = text_.size(); }

private:
    bool NextView(std::string_view& token);

    std::string text_;
    size_t position_ = 0;
};

// Decimal 32-bit number filling the whole text.
bool ParseInt(std::string_view text, int& value);

// How a wire text was read.
enum class TWireRead {
    Whole,
    Cut,    // more points than the store holds: the first 20 and the last are kept
    Failed, // a token that is not a number; the points read before it stay
};

// A wire from a source block's output into one input of its destination.
class TInputLine {
public:
    int32_t SourceId = 0;
    int8_t Kind = 0;
    int8_t InputLetter = 0;
    uint8_t EntrySide = 0;
    int32_t PointCount = 0;
    std::array<QPoint, MaxWirePoints> Points{};
    TRect Bounds;
    uint8_t HitKind = 0;
    int32_t Current = 0;
    bool Hidden = false;

    void AddPoint(QPoint p);
    void InsertBend(int x, int y);
    void DeleteCurrentBend();
    bool CanDeleteBend() const;
    void MoveCurrentPoint(QPoint p);
    QPoint GetPoint(int index) const { return Points[index]; }
    void RemoveDuplicatePoints();
    void MoveBends(QPoint offset);
    void MoveAll(QPoint offset);
    bool RouteStart(const TRect& sourceRect);
    bool RouteEnd(const TRect& destRect);
    void AdjustEnds(const TRect& sourceRect, const TRect& destRect);
    bool HitTest(QPoint p);
    bool Equals(const TInputLine& other) const;
    void Assign(const TInputLine& other);
    std::string AsText() const;
    TWireRead FromText(std::string_view text);

    void Draw(QPainter& canvas) const;
    void DrawSelected(QPainter& canvas) const;
    void DrawRubberBand(QPainter& canvas) const;
    void FixCornerAndContinue(QPainter& canvas, QPoint p);
    void DrawLastSegmentXor(QPainter& canvas) const;

    void UpdateBounds();
    void UpdateEntrySide();
};

// The abstract block: an identifier, a rectangle and its text lines.
class TBlock {
public:
    TBlock(int32_t id, EngineHandle engine);
    virtual ~TBlock() = default;
    TBlock(const TBlock&) = delete;
    TBlock& operator=(const TBlock&) = delete;

    int32_t ID = 0;
    TRect Rect{0, 0, 60, 20};

    // Copies this block into target; raises "Falscher Zieltyp" for a target of another class.
    virtual void AssignTo(TBlock& target) const;
    void Assign(const TBlock& source) { source.AssignTo(*this); }

    virtual TRect GetWiresRect() const { return {}; }
    virtual TInputLine* GetInput(int) const { return nullptr; }
    virtual void SetInputLine(int, std::unique_ptr<TInputLine>) {}
    virtual std::string ClassAlias() const { return "AbstractBlock"; }
    virtual int KindCode() const { return -1; }
    virtual bool RerouteWireStarts(const std::vector<TBlock*>&) { return false; }
    virtual bool RerouteWireEnds() { return false; }
    virtual bool CanEditData(int) const { return false; }
    virtual bool CanOverlap() const { return false; }
    virtual bool CanBeWireSource() const { return false; }
    virtual bool HasMapCode() const { return false; }
    virtual bool InputHitTest(QPoint, int& index, TInputLine*& wire) const;
    virtual bool DropInputsFrom(const std::vector<TBlock*>&) { return false; }
    virtual void DrawWires(QPainter&) const {}
    virtual void Draw(QPainter&) const {}
    virtual bool EditData(int, bool& changed);
    virtual bool HasInputFrom(const std::vector<TBlock*>&) const { return false; }
    virtual void ShowHelp() const {}
    virtual bool IntersectsRect(const TRect& r) const { return RectsIntersect(Rect, r); }
    virtual void ShiftIds(int32_t delta) { ID += delta; }
    virtual bool MoveBy(QPoint offset);
    virtual void MoveWithWires(QPoint offset);
    virtual bool MoveInGroup(const TBlockList&, const std::vector<TBlock*>&, QPoint) {
        return false;
    }
    virtual void UpdateSize() {}
    virtual void SetCellNumber(uint16_t cell);
    virtual void GetData(int, std::string&) const {}
    virtual bool SetData(int, const std::string&) { return false; }
    // The rectangle line, then the input lines: the program's own form, read by position.
    virtual bool LoadBaseLines(const TLines& lines, size_t& index);
    // Reads the block's own line at index (a parameter section runs up to end at most) and
    // steps behind what it read: None when the line is none of the block's kinds, Failed when
    // it is not read whole, Repeated when the block has that line already.
    enum class TOwnLine { None, Read, Failed, Repeated, Missing };
    virtual TOwnLine LoadOwnLine(const TLines&, size_t&, size_t) { return TOwnLine::None; }
    // Takes what it needs out of the lines no kind claimed (the rectangle aside), in order;
    // Failed when its own lines are not whole, Missing when one it needs is not there. Lines
    // left over are not the block's.
    virtual TOwnLine LoadFreeLines(std::vector<std::string_view>&) { return TOwnLine::Read; }
    virtual bool SaveBaseLines(TLines& lines) const;
    virtual bool SaveOwnLines(TLines&) const { return true; }
    // The cell is passed so that the connect pass can check each wire's source.
    virtual bool SyncWithEngine(bool, const TBlockList*) { return true; }
    virtual void RemoveFromEngine() {}
    virtual bool CanConnectFrom(const TBlock&) const { return false; }
    virtual bool ConnectInput(int, int&, std::unique_ptr<TInputLine>) { return false; }
    virtual std::string InputAsText(int) const { return {}; }
    // A new block of the same class (the virtual constructor).
    virtual std::unique_ptr<TBlock> CreateSame(int32_t id, EngineHandle engine) const = 0;

    // How a block's section was read beyond what LoadFromLines answers.
    struct TSectionRead {
        size_t Skip = size_t(-1); // a line passed over (the "ID=" line out of its place)
        TRectRead Rect = TRectRead::Whole;
        bool Damaged = false; // a line repeated or unknown, or a line the block needs missing
    };
    // Reads the block's section from index up to the next block's start or end, each line by
    // what it is, and steps to that marker. The first line of a number is the rectangle.
    bool LoadFromLines(const TLines& lines, size_t& index, TSectionRead* read = nullptr);
    bool SaveToLines(TLines& lines) const;
    TRect GetExtent() const { return UnionRects(Rect, GetWiresRect()); }
    bool WiresIntersect(const TRect& r) const { return RectsIntersect(GetWiresRect(), r); }
    QPoint GetCenter() const { return RectCenter(Rect); }
    uint16_t LocalNumber() const { return static_cast<uint16_t>(ID & 0xFFFF); }
};

// Block classes by alias, for the cell reader.
using TBlockFactory = std::unique_ptr<TBlock> (*)(int32_t id, EngineHandle engine);
TBlockFactory FindBlockClass(const std::string& alias);
