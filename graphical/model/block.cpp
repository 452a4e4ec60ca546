#include "graphical/model/block.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <typeinfo>

#include "platform/qt/ansi.h"

TCellDisplay& CellDisplay() {
    static TCellDisplay display;
    return display;
}

bool RectsIntersect(const TRect& a, const TRect& b) {
    return std::max(a.Left, b.Left) < std::min(a.Right, b.Right) &&
           std::max(a.Top, b.Top) < std::min(a.Bottom, b.Bottom);
}

TRect UnionRects(const TRect& a, const TRect& b) {
    if (a.IsEmpty())
        return b.IsEmpty() ? TRect{} : b;
    if (b.IsEmpty())
        return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

int SnapToGrid(int v) {
    const int h = GridSize / 2;
    int s = (v / GridSize) * GridSize + h;
    if (v - s > h)
        s += GridSize;
    return s;
}

int SnapToGridUp(int v) {
    int s = (v / GridSize) * GridSize + GridSize / 2;
    if (v > s)
        s += GridSize;
    return s;
}

void SnapRectToGrid(TRect& r) {
    r.Offset(SnapToGrid(r.Left) - r.Left, SnapToGrid(r.Top) - r.Top);
}

TRect MovedRect(const TRect& r, QPoint delta) {
    TRect moved = r;
    moved.Offset(delta.x(), delta.y());
    if (CellDisplay().CellAlignAtGrid)
        SnapRectToGrid(moved);
    return moved;
}

QPoint SnapPointToGrid(QPoint p) {
    return {SnapToGrid(p.x()), SnapToGrid(p.y())};
}

void SnapRectToGridUp(TRect& r) {
    r.Offset(SnapToGridUp(r.Left) - r.Left, SnapToGridUp(r.Top) - r.Top);
}

void NormalizeRect(TRect& r) {
    if (r.Left > r.Right)
        std::swap(r.Left, r.Right);
    if (r.Top > r.Bottom)
        std::swap(r.Top, r.Bottom);
}

int SideOf(QPoint a, QPoint b) {
    const int dx = a.x() - b.x();
    const int dy = a.y() - b.y();
    if (std::abs(dx) > std::abs(dy))
        return dx > 0 ? 2 : 0;
    return dy > 0 ? 3 : 1;
}

QPoint RectCenter(const TRect& r) {
    return {r.Left + (r.Right - r.Left) / 2, r.Top + (r.Bottom - r.Top) / 2};
}

QPoint ConnectionPoint(const TRect& r, QPoint towards) {
    const QPoint c = RectCenter(r);
    QPoint p;
    switch (SideOf(towards, c)) {
    case 0:
        p = {r.Left, c.y()};
        break;
    case 1:
        p = {c.x(), r.Top};
        break;
    case 2:
        p = {r.Right, c.y()};
        break;
    default:
        p = {c.x(), r.Bottom};
        break;
    }
    return CellDisplay().CellAlignAtGrid ? SnapPointToGrid(p) : p;
}

namespace {
constexpr char Escape = '\x1B';
}

size_t BlockSectionEnd(const TLines& lines, size_t index) {
    while (index < lines.size() && lines[index] != "#BLOCK_START" && lines[index] != "#BLOCK_END")
        ++index;
    return index;
}

bool IsMarkerLine(std::string_view line) {
    static constexpr std::string_view markers[] = {
        "#COMMENT_START", "#COMMENT_END", "#TABLE_START", "#TABLE_END",     "#CELL_START",
        "#CELL_END",      "#BLOCK_START", "#BLOCK_END",   "#DLLDATA_START", "#DLLDATA_END"};
    return !line.empty() && line[0] == '#' &&
           std::find(std::begin(markers), std::end(markers), line) != std::end(markers);
}

std::string EscapeTextLine(const std::string& line, bool force) {
    const bool needed = force || (!line.empty() && line[0] == Escape) || IsMarkerLine(line) ||
                        line.find_first_of("\r\n") != std::string::npos;
    if (!needed)
        return line;
    std::string out(1, Escape);
    for (char c : line) {
        if (c == Escape)
            out += "\x1B\x1B";
        else if (c == '\r')
            out += "\x1Br";
        else if (c == '\n')
            out += "\x1Bn";
        else
            out += c;
    }
    return out;
}

std::string UnescapeTextLine(const std::string& line) {
    if (line.empty() || line[0] != Escape)
        return line;
    std::string out;
    for (size_t i = 1; i < line.size(); ++i) {
        if (line[i] != Escape || i + 1 == line.size()) {
            out += line[i];
            continue;
        }
        const char next = line[++i];
        out += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
    }
    return out;
}

namespace {
constexpr qsizetype MostQuoted = 80;
}

QString MessageQuote(std::string_view text) {
    if (text.size() <= size_t(MostQuoted))
        return platform::AnsiToQString(text);
    return platform::AnsiToQString(text.substr(0, size_t(MostQuoted))) + QStringLiteral("...");
}

QString MessageQuote(const QString& text) {
    return text.size() <= MostQuoted ? text : text.left(MostQuoted) + QStringLiteral("...");
}

std::string JoinLines(const TLines& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

TLines SplitLines(const std::string& text) {
    TLines lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        size_t stop = end;
        if (stop > start && text[stop - 1] == '\r')
            --stop;
        lines.push_back(text.substr(start, stop - start));
        start = end + 1;
    }
    return lines;
}

void CopyLinesToClipboard(const char* format, const TLines& lines) {
    const std::string text = JoinLines(lines);
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(format), QByteArray(text.data(), qsizetype(text.size())));
    QGuiApplication::clipboard()->setMimeData(data);
}

bool ClipboardHasLines(const char* format) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasFormat(QString::fromLatin1(format));
}

bool PasteLinesFromClipboard(const char* format, TLines& lines) {
    lines.clear();
    if (!ClipboardHasLines(format))
        return false;
    const QByteArray bytes =
        QGuiApplication::clipboard()->mimeData()->data(QString::fromLatin1(format));
    lines = SplitLines(std::string(bytes.constData(), size_t(bytes.size())));
    return true;
}

bool ParseInt(std::string_view text, int& value) {
    if (text.empty())
        return false;
    const char* first = text.data();
    const char* last = first + text.size();
    if (*first == '+')
        ++first;
    int v = 0;
    auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last)
        return false;
    value = v;
    return true;
}

bool TTokenString::SkipPast(char c) {
    const size_t at = text_.find(c, position_);
    if (at == std::string::npos)
        return false;
    position_ = at + 1;
    return true;
}

bool TTokenString::NextView(std::string_view& token) {
    if (!HasMore())
        return false;
    size_t at = text_.find(Separator, position_);
    if (at == std::string::npos)
        at = text_.size();
    token = std::string_view(text_).substr(position_, at - position_);
    position_ = std::min(at + 1, text_.size());
    return true;
}

bool TTokenString::NextToken(std::string& token) {
    std::string_view view;
    if (!NextView(view))
        return false;
    token.assign(view);
    return true;
}

bool TTokenString::NextInt(int& value) {
    std::string_view token;
    return NextView(token) && ParseInt(token, value);
}

// ---- wires

void TInputLine::AddPoint(QPoint p) {
    if (PointCount >= MaxWirePoints)
        return;
    Points[PointCount] = p;
    Current = PointCount++;
    UpdateBounds();
    UpdateEntrySide();
}

void TInputLine::InsertBend(int x, int y) {
    if (PointCount >= MaxWirePoints || Current < 0 || Current >= PointCount)
        return;
    for (int i = PointCount; i > Current + 1; --i)
        Points[i] = Points[i - 1];
    ++PointCount;
    Points[++Current] = QPoint(x, y);
    HitKind = 1;
    UpdateBounds();
}

bool TInputLine::CanDeleteBend() const {
    return Current >= 1 && Current < PointCount - 1;
}

void TInputLine::DeleteCurrentBend() {
    if (!CanDeleteBend())
        return;
    for (int i = Current; i < PointCount - 1; ++i)
        Points[i] = Points[i + 1];
    --PointCount;
    UpdateBounds();
    UpdateEntrySide();
}

void TInputLine::MoveCurrentPoint(QPoint p) {
    if (Current < 0 || Current >= PointCount)
        return;
    Points[Current] = p;
    UpdateBounds();
}

void TInputLine::RemoveDuplicatePoints() {
    if (PointCount < 3)
        return;
    auto removeAt = [this](int at) {
        for (int i = at; i < PointCount - 1; ++i)
            Points[i] = Points[i + 1];
        --PointCount;
    };
    for (int i = PointCount - 2; i >= 1; --i) {
        if (Points[i] == Points[i + 1])
            removeAt(i);
    }
    if (PointCount >= 3 && Points[0] == Points[1])
        removeAt(1);
    UpdateBounds();
    UpdateEntrySide();
}

void TInputLine::MoveBends(QPoint offset) {
    if (PointCount < 3)
        return;
    for (int i = 1; i < PointCount - 1; ++i) {
        Points[i] += offset;
        if (CellDisplay().CellAlignAtGrid)
            Points[i] = SnapPointToGrid(Points[i]);
    }
    UpdateEntrySide();
    UpdateBounds();
}

void TInputLine::MoveAll(QPoint offset) {
    for (int i = 0; i < PointCount; ++i) {
        Points[i] += offset;
        if (CellDisplay().CellAlignAtGrid)
            Points[i] = SnapPointToGrid(Points[i]);
    }
    UpdateEntrySide();
    UpdateBounds();
}

bool TInputLine::RouteStart(const TRect& sourceRect) {
    if (PointCount < 2)
        return false;
    const QPoint p = ConnectionPoint(sourceRect, Points[1]);
    const bool changed = p != Points[0];
    Points[0] = p;
    UpdateBounds();
    // On a straight wire the start is also the second-last point.
    UpdateEntrySide();
    return changed;
}

bool TInputLine::RouteEnd(const TRect& destRect) {
    if (PointCount < 2)
        return false;
    const QPoint p = ConnectionPoint(destRect, Points[PointCount - 2]);
    const bool changed = p != Points[PointCount - 1];
    Points[PointCount - 1] = p;
    UpdateBounds();
    UpdateEntrySide();
    return changed;
}

namespace {

// Slides an end point along the block edge that faces its neighbour.
QPoint SlideAlongEdge(QPoint end, const TRect& r, QPoint neighbour) {
    const QPoint c = ConnectionPoint(r, neighbour);
    QPoint p = end;
    if (c.x() == r.Left || c.x() == r.Right) {
        p.setX(c.x());
        p.setY(std::clamp(end.y(), r.Top, std::max(r.Top, r.Bottom)));
    } else {
        p.setY(c.y());
        p.setX(std::clamp(end.x(), r.Left, std::max(r.Left, r.Right)));
    }
    return CellDisplay().CellAlignAtGrid ? SnapPointToGrid(p) : p;
}

} // namespace

void TInputLine::AdjustEnds(const TRect& sourceRect, const TRect& destRect) {
    if (PointCount < 2)
        return;
    Points[0] = SlideAlongEdge(Points[0], sourceRect, Points[1]);
    Points[PointCount - 1] =
        SlideAlongEdge(Points[PointCount - 1], destRect, Points[PointCount - 2]);
    UpdateBounds();
    UpdateEntrySide();
}

bool TInputLine::HitTest(QPoint p) {
    for (int i = 0; i < PointCount; ++i) {
        const QPoint q = Points[i];
        if (q.x() >= p.x() - 3 && q.x() < p.x() + 4 && q.y() >= p.y() - 3 && q.y() < p.y() + 4) {
            HitKind = 1;
            Current = i;
            return true;
        }
    }
    for (int i = 0; i + 1 < PointCount; ++i) {
        const int x0 = Points[i].x(), y0 = Points[i].y();
        const int x1 = Points[i + 1].x(), y1 = Points[i + 1].y();
        if (p.x() < std::min(x0, x1) - 4 || p.x() > std::max(x0, x1) + 4 ||
            p.y() < std::min(y0, y1) - 4 || p.y() > std::max(y0, y1) + 4)
            continue;
        const int dx = x1 - x0, dy = y1 - y0;
        bool hit;
        if (dx == 0)
            hit = std::abs(p.x() - x0) < 4;
        else if (dy == 0)
            hit = std::abs(p.y() - y0) < 4;
        else
            hit = std::abs(std::lrint(double(p.x() - x0) * dy / dx) + y0 - p.y()) < 4 ||
                  std::abs(std::lrint(double(p.y() - y0) * dx / dy) + x0 - p.x()) < 4;
        if (hit) {
            HitKind = 2;
            Current = i;
            return true;
        }
    }
    HitKind = 0;
    Current = -1;
    return false;
}

bool TInputLine::Equals(const TInputLine& other) const {
    return SourceId == other.SourceId && Kind == other.Kind && InputLetter == other.InputLetter &&
           PointCount == other.PointCount &&
           std::equal(Points.begin(), Points.begin() + PointCount, other.Points.begin());
}

void TInputLine::Assign(const TInputLine& other) {
    SourceId = other.SourceId;
    Kind = other.Kind;
    InputLetter = other.InputLetter;
    PointCount = other.PointCount;
    Points = other.Points;
    HitKind = other.HitKind;
    Current = other.Current;
    Hidden = other.Hidden;
    UpdateBounds();
    UpdateEntrySide();
}

std::string TInputLine::AsText() const {
    std::string text = std::to_string(SourceId) + "," +
                       std::to_string(int(uint8_t(Kind)) + 65536 * (int(InputLetter) + 1)) + ":";
    for (int i = 0; i < PointCount; ++i)
        text += std::to_string(Points[i].x()) + "," + std::to_string(Points[i].y()) + ",";
    if (PointCount > 0)
        text.pop_back();
    return text;
}

TWireRead TInputLine::FromText(std::string_view text) {
    TTokenString tokens;
    tokens.SetText(text);
    PointCount = 0;
    TWireRead result = TWireRead::Whole;
    int source = 0, kind = 0;
    tokens.SetSeparator(',');
    if (!tokens.NextInt(source)) {
        result = TWireRead::Failed;
    } else {
        SourceId = source;
        tokens.SetSeparator(':');
        if (!tokens.NextInt(kind))
            result = TWireRead::Failed;
    }
    if (result == TWireRead::Whole) {
        Kind = static_cast<int8_t>(kind & 0xFF);
        InputLetter = static_cast<int8_t>(((kind >> 16) & 0xFFFF) - 1);
        tokens.SetSeparator(',');
        while (tokens.HasMore()) {
            int x = 0, y = 0;
            // A point beyond the cell's range is a damaged number, as a token that is none.
            if (!tokens.NextInt(x) || !tokens.NextInt(y) || !InCellRange(x) || !InCellRange(y)) {
                result = TWireRead::Failed;
                break;
            }
            if (PointCount < MaxWirePoints) {
                Points[PointCount++] = QPoint(x, y);
                continue;
            }
            // The store keeps the first 20 points and the last, which lies on the destination.
            result = TWireRead::Cut;
            Points[MaxWirePoints - 1] = QPoint(x, y);
        }
    }
    UpdateEntrySide();
    UpdateBounds();
    return result;
}

void TInputLine::UpdateBounds() {
    if (PointCount < 2) {
        Bounds = {};
        return;
    }
    TRect r{Points[0].x(), Points[0].y(), Points[0].x(), Points[0].y()};
    for (int i = 1; i < PointCount; ++i) {
        r.Left = std::min(r.Left, Points[i].x());
        r.Top = std::min(r.Top, Points[i].y());
        r.Right = std::max(r.Right, Points[i].x());
        r.Bottom = std::max(r.Bottom, Points[i].y());
    }
    const int margin = InputLetter != -1 ? 20 : 4;
    Bounds = {r.Left - margin, r.Top - margin, r.Right + margin, r.Bottom + margin};
}

void TInputLine::UpdateEntrySide() {
    EntrySide = PointCount >= 2 ? SideOf(Points[PointCount - 2], Points[PointCount - 1]) : 0;
}

namespace {

QColor WireColor(int kind) {
    const TCellDisplay& d = CellDisplay();
    switch (kind) {
    case 2:
        return d.LineColorText;
    case 3:
        return d.LineColorTime;
    case 4:
        return d.LineColorDate;
    default:
        return d.LineColorInt;
    }
}

// Text placed at (x, y) as the Windows text alignment flags place it.
enum class HAlign { Left, Right };
enum class VAlign { Top, Bottom };

void DrawAlignedText(QPainter& canvas, int x, int y, const QString& text, HAlign h, VAlign v) {
    const QFontMetrics metrics(canvas.font());
    const int left = h == HAlign::Right ? x - metrics.horizontalAdvance(text) : x;
    const int baseline = v == VAlign::Top ? y + metrics.ascent() : y - metrics.descent();
    canvas.drawText(left, baseline, text);
}

QPolygon PointsPolygon(const std::array<QPoint, MaxWirePoints>& points, int count) {
    return QPolygon(QList<QPoint>(points.begin(), points.begin() + count));
}

QPen XorDottedPen() {
    QPen pen(CellDisplay().CellGridColor, 1, Qt::DotLine);
    return pen;
}

} // namespace

void TInputLine::Draw(QPainter& canvas) const {
    if (PointCount < 2 || Hidden)
        return;
    canvas.save();
    const QColor color = WireColor(Kind);
    canvas.setPen(QPen(color, 1));
    canvas.setBrush(color);
    canvas.drawPolyline(PointsPolygon(Points, PointCount));

    const QPoint t = Points[PointCount - 1];
    const QPoint s = Points[PointCount - 2];
    const int dx = t.x() - s.x(), dy = t.y() - s.y();
    double a;
    if (dx == 0)
        a = dy >= 0 ? -M_PI / 2 : M_PI / 2;
    else
        a = std::atan(double(dy) / dx);
    auto corner = [&](double angle) {
        const QPoint offset(int(std::lrint(12 * std::cos(angle))),
                            int(std::lrint(12 * std::sin(angle))));
        return dx <= 0 ? t + offset : t - offset;
    };
    const QPoint c1 = corner(a + M_PI / 10);
    const QPoint c2 = corner(a - M_PI / 10);
    const QPoint head[] = {c1, t, c2};
    canvas.drawPolygon(head, 3);

    if (InputLetter >= 0) {
        canvas.setBrush(Qt::NoBrush);
        const QPoint m((c1.x() + c2.x()) / 2, (c1.y() + c2.y()) / 2);
        const bool up = t.y() < s.y();
        const bool left = t.x() < s.x();
        const QString letter(QChar('a' + InputLetter));
        switch (EntrySide) {
        case 0:
            DrawAlignedText(canvas, m.x() + 2, up ? m.y() - 5 : m.y() + 5, letter, HAlign::Right,
                            up ? VAlign::Bottom : VAlign::Top);
            break;
        case 1:
            DrawAlignedText(canvas, left ? m.x() - 2 : m.x() + 2, m.y() - 2, letter,
                            left ? HAlign::Right : HAlign::Left, VAlign::Bottom);
            break;
        case 2:
            DrawAlignedText(canvas, m.x() - 2, up ? m.y() - 5 : m.y() + 5, letter, HAlign::Left,
                            up ? VAlign::Bottom : VAlign::Top);
            break;
        default:
            DrawAlignedText(canvas, left ? m.x() - 2 : m.x() + 2, m.y() + 2, letter,
                            left ? HAlign::Right : HAlign::Left, VAlign::Top);
            break;
        }
    }
    canvas.restore();
}

void TInputLine::DrawSelected(QPainter& canvas) const {
    if (PointCount < 2)
        return;
    canvas.save();
    canvas.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    canvas.setPen(XorDottedPen());
    canvas.setBrush(Qt::NoBrush);
    canvas.drawPolyline(PointsPolygon(Points, PointCount));
    for (int i = 0; i < PointCount; ++i)
        canvas.drawRect(Points[i].x() - 3, Points[i].y() - 3, 6, 6);
    canvas.restore();
}

void TInputLine::DrawRubberBand(QPainter& canvas) const {
    if (PointCount < 1)
        return;
    canvas.save();
    canvas.setPen(QPen(CellDisplay().CellGridColor, 1));
    if (PointCount >= 2)
        canvas.drawPolyline(PointsPolygon(Points, PointCount - 1));
    canvas.restore();
    DrawLastSegmentXor(canvas);
}

void TInputLine::FixCornerAndContinue(QPainter& canvas, QPoint p) {
    if (PointCount < 1)
        return;
    Points[PointCount - 1] = p;
    canvas.save();
    canvas.setPen(QPen(CellDisplay().CellGridColor, 1));
    if (PointCount >= 2)
        canvas.drawLine(Points[PointCount - 2], Points[PointCount - 1]);
    canvas.restore();
    AddPoint(p);
    DrawLastSegmentXor(canvas);
}

void TInputLine::DrawLastSegmentXor(QPainter& canvas) const {
    if (PointCount < 2)
        return;
    canvas.save();
    canvas.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    canvas.setPen(XorDottedPen());
    canvas.drawLine(Points[PointCount - 2], Points[PointCount - 1]);
    canvas.restore();
}

// ---- blocks

TBlock::TBlock(int32_t id, EngineHandle) : ID(id) {}

void TBlock::AssignTo(TBlock& target) const {
    if (typeid(target) != typeid(*this))
        throw EBlockError("Fehler bei T" + ClassAlias() + ".AssignTo: Falscher Zieltyp");
    target.Rect = Rect;
}

bool TBlock::InputHitTest(QPoint, int& index, TInputLine*& wire) const {
    index = -1;
    wire = nullptr;
    return false;
}

bool TBlock::EditData(int, bool& changed) {
    changed = false;
    return false;
}

bool TBlock::MoveBy(QPoint offset) {
    const TRect old = Rect;
    Rect.Offset(offset.x(), offset.y());
    if (CellDisplay().CellAlignAtGrid)
        SnapRectToGrid(Rect);
    return Rect.Left != old.Left || Rect.Top != old.Top;
}

void TBlock::MoveWithWires(QPoint offset) {
    Rect.Offset(offset.x(), offset.y());
    if (CellDisplay().CellAlignAtGrid)
        SnapRectToGrid(Rect);
}

void TBlock::SetCellNumber(uint16_t cell) {
    ID = static_cast<int32_t>((uint32_t(cell) << 16) | LocalNumber());
}

namespace {

// The first of a span of that length that ends at the range's end at the latest.
int FitInRange(int first, int length) {
    return int(std::min<int64_t>(first, int64_t(MaxCellCoordinate) - length));
}

} // namespace

void SetRectSize(TRect& r, int width, int height) {
    width = std::clamp(width, 0, MaxCellCoordinate);
    height = std::clamp(height, 0, MaxCellCoordinate);
    r.Left = FitInRange(r.Left, width);
    r.Top = FitInRange(r.Top, height);
    r.Right = r.Left + width;
    r.Bottom = r.Top + height;
}

int TopInRange(int top, int height) {
    return FitInRange(top, std::clamp(height, 0, MaxCellCoordinate) + GridSize);
}

TRectRead ReadRectLine(std::string_view line, TRect& r) {
    // Wide enough that no field read, nor a size added to it, overflows.
    int64_t fields[4] = {r.Left, r.Top, r.Right, r.Bottom};
    const int64_t width = int64_t(r.Right) - r.Left, height = int64_t(r.Bottom) - r.Top;
    TTokenString tokens;
    tokens.SetText(line);
    int read = 0;
    for (int value = 0; read < 4 && tokens.NextInt(value); ++read)
        fields[read] = value;
    if (read < 3)
        fields[2] = fields[0] + width;
    if (read < 4)
        fields[3] = fields[1] + height;
    if (!std::all_of(std::begin(fields), std::end(fields), InCellRange))
        return TRectRead::Outside;
    r = {int(fields[0]), int(fields[1]), int(fields[2]), int(fields[3])};
    return read == 4 ? TRectRead::Whole : TRectRead::Part;
}

bool IsRectLine(std::string_view line) {
    int value = 0;
    return ParseInt(line.substr(0, line.find(',')), value);
}

bool TBlock::LoadBaseLines(const TLines& lines, size_t& index) {
    if (index >= lines.size())
        return false;
    return ReadRectLine(lines[index++], Rect) == TRectRead::Whole;
}

bool TBlock::SaveBaseLines(TLines& lines) const {
    char line[64];
    std::snprintf(line, sizeof line, "%d,%d,%d,%d", Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
    lines.push_back(line);
    return true;
}

bool TBlock::LoadFromLines(const TLines& lines, size_t& index, TSectionRead* read) {
    TSectionRead own;
    if (read)
        own.Skip = read->Skip;
    const size_t end = BlockSectionEnd(lines, index);
    bool ok = true;
    // Each line by what it is: what no kind claims is the rectangle or free text.
    std::vector<std::string_view> free;
    for (size_t i = index; i < end;) {
        if (i == own.Skip) {
            ++i;
            continue;
        }
        const size_t at = i;
        switch (LoadOwnLine(lines, i, end)) {
        case TOwnLine::None:
            // A marker the block does not know is no text of it: a text's marker is escaped.
            if (IsMarkerLine(lines[i]))
                own.Damaged = true;
            else
                free.push_back(lines[i]);
            ++i;
            break;
        case TOwnLine::Failed:
            ok = false;
            break;
        case TOwnLine::Repeated:
        case TOwnLine::Missing:
            own.Damaged = true;
            break;
        case TOwnLine::Read:
            break;
        }
        if (i == at)
            ++i;
    }
    // The first line that stands for a rectangle is it; the own lines are read also behind a
    // damaged one, so the block keeps its type.
    auto rect = std::find_if(free.begin(), free.end(), [](std::string_view line) {
        TRect probe;
        return IsRectLine(line) && ReadRectLine(line, probe) != TRectRead::Part;
    });
    if (rect == free.end())
        rect = std::find_if(free.begin(), free.end(), IsRectLine);
    own.Rect = TRectRead::Missing;
    if (rect != free.end()) {
        own.Rect = ReadRectLine(*rect, Rect);
        // A copy of it where the text belongs is not taken for the text.
        const std::string_view line = *rect;
        free.erase(rect);
        if (!free.empty() && free.front() == line) {
            free.erase(free.begin());
            own.Damaged = true;
        }
    }
    const TOwnLine rest = LoadFreeLines(free);
    if (rest != TOwnLine::Read)
        ok = false;
    if (rest == TOwnLine::Missing || !free.empty())
        own.Damaged = true;
    UpdateSize();
    index = end;
    if (read)
        *read = own;
    return ok && own.Rect == TRectRead::Whole;
}

bool TBlock::SaveToLines(TLines& lines) const {
    lines.push_back(ClassAlias());
    lines.push_back("ID=" + std::to_string(ID));
    return SaveBaseLines(lines) && SaveOwnLines(lines);
}
