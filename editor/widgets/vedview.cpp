// The editor control's view: metrics, scroll bars, keeping the caret in view, the mouse and
// painting.
#include "editor/widgets/vededit.h"

#include "editor/vedutil.h"
#include "platform/qt/ansi.h"
#include "platform/qt/failure.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>

#include <algorithm>

namespace ved {

// ---------------------------------------------------------------------------------------------
// Metrics and scroll bars

void TVedCustomEditor::CalcMetrics() {
    const QFontMetrics metrics(font_.Font());
    charWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('x')));
    lineHeight_ = metrics.height() + metrics.leading() + 1;
    glyphFont_ = QRawFont::fromFont(font_.Font());
    carets_.SetCellSize(lineHeight_, charWidth_);
    const QSize size = viewport()->size();
    visibleColumns_ = std::max(1, (size.width() - leftMargin_ - rightMargin_) / charWidth_);
    visibleRows_ = std::max(1, size.height() / lineHeight_);
    ApplyWrapToWindow();
    UpdateScrollBars();
    if (horizontalScrollBar()->maximum() == 0)
        leftColumn_ = 0;
    InvalidateAll();
}

void TVedCustomEditor::ApplyWrapToWindow() {
    if (wrapToWindow_ && WordWrap() && visibleColumns_ - 2 > 0 &&
        WrapColumn() != visibleColumns_ - 2)
        List().SetWrapColumn(visibleColumns_ - 2);
}

void TVedCustomEditor::UpdateScrollBars() {
    settingBars_ = true;
    const bool h = scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth;
    const bool v = scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth;
    QScrollBar* hb = horizontalScrollBar();
    int m = std::min(WordWrap() ? WrapColumn() : ParaLengthLimit(), 512);
    if (scrollBarsAlways_ && m <= 0)
        m = 1;
    if (!h || (visibleColumns_ >= m && !scrollBarsAlways_)) {
        hb->setRange(0, 0);
    } else {
        hb->setRange(0, m);
        hb->setPageStep(std::max(1, visibleColumns_ - 1));
        hb->setValue(leftColumn_);
    }
    QScrollBar* vb = verticalScrollBar();
    const int32_t lines = GetLineCount();
    const int32_t a = std::max<int32_t>(0, lines - visibleRows_ + 1);
    vScale_ = a > 32767 ? (a / 32768) * 2 : 1;
    if (!v) {
        vb->setRange(0, 0);
    } else if (lines <= visibleRows_ && topLine_ <= 1 && !scrollBarsAlways_) {
        vb->setRange(1, 1);
    } else {
        // a view scrolled beyond the text's end keeps a way back
        int max = std::max(a, topLine_) / vScale_;
        if (max <= 1 && scrollBarsAlways_)
            max = 2;
        vb->setRange(1, std::max(max, 1));
        vb->setPageStep(visibleRows_);
        vb->setValue(std::max(1, topLine_ / vScale_));
    }
    settingBars_ = false;
}

void TVedCustomEditor::ResetScrollBars(bool repaint) {
    CalcMetrics();
    UpdateScrollBars();
    if (repaint)
        InvalidateAll();
    UpdateCaret();
}

void TVedCustomEditor::SetTopLineInternal(int32_t line) {
    topLine_ = std::max<int32_t>(line, 1);
    int32_t offset = 0;
    if (List().ParaOfLine(topLine_, topPara_, offset))
        topPos_ = offset + 1;
}

void TVedCustomEditor::OnVerticalScroll(int value) {
    if (settingBars_)
        return;
    int32_t top;
    if (value <= 1)
        top = 1;
    else if (value >= verticalScrollBar()->maximum())
        top = std::max<int32_t>(1, GetLineCount() - visibleRows_ + 1);
    else
        top = int32_t(value) * vScale_;
    ScrollText(0, top - topLine_);
}

void TVedCustomEditor::OnHorizontalScroll(int value) {
    if (settingBars_)
        return;
    ScrollText(value - leftColumn_, 0);
}

void TVedCustomEditor::ScrollText(int columnDelta, int32_t lineDelta) {
    const int oldLeft = leftColumn_;
    const int32_t oldTop = topLine_;
    const QRect oldCaret = CaretRect().united(caretDrawn_);
    if (columnDelta < 0 && -columnDelta > leftColumn_)
        leftColumn_ = 0;
    else
        leftColumn_ += columnDelta;
    int32_t top = topLine_ + lineDelta;
    top = std::min<int32_t>(top, GetLineCount() - visibleRows_ + 1);
    SetTopLineInternal(std::max<int32_t>(top, 1));
    if (leftColumn_ == oldLeft && topLine_ == oldTop) {
        UpdateCaret();
        return;
    }
    UpdateScrollBars();
    const int dx = (oldLeft - leftColumn_) * charWidth_;
    const int dy = int(oldTop - topLine_) * lineHeight_;
    const QRect area(leftMargin_, 0, visibleColumns_ * charWidth_, visibleRows_ * lineHeight_);
    if (dx == 0 && std::abs(dy) < area.height()) {
        // the margin strip moves with the rows (bookmark glyphs)
        viewport()->scroll(0, dy, QRect(0, 0, viewport()->width(), area.height()));
        viewport()->update(
            QRect(0, area.height(), viewport()->width(), viewport()->height() - area.height()));
    } else if (dy == 0 && std::abs(dx) < area.width()) {
        viewport()->scroll(dx, 0, area);
    } else {
        InvalidateAll();
    }
    // the shifted pixels carry the caret along: repaint where it went
    viewport()->update(oldCaret.translated(dx, dy));
    UpdateCaret();
    if (topLine_ != oldTop)
        DoOnTopLineChanged(topLine_);
}

void TVedCustomEditor::MakeCaretVisible(bool pageMove, int32_t oldLine, int32_t oldCaretLine) {
    if (!isVisible()) {
        // not laid out yet: the view follows when it is shown, unless a top line was set
        caretPending_ = !topLineSet_;
        UpdateCaret();
        return;
    }
    const int32_t line = CaretLine();
    const int column = CaretDisplayColumn();
    const int32_t lastRow = topLine_ + visibleRows_ - 1;
    if (line >= topLine_ && line <= lastRow && column > leftColumn_ &&
        column <= leftColumn_ + visibleColumns_) {
        UpdateCaret();
        return;
    }
    int32_t top = topLine_;
    const bool wasVisible = oldLine >= topLine_ && oldLine <= lastRow;
    if (pageMove && wasVisible)
        top = line - (oldLine - topLine_);
    else if (line > lastRow)
        top = line - visibleRows_ + 1;
    else if (line < topLine_)
        top = line;
    if (line < top)
        top = line;
    if (line > top + visibleRows_ - 1)
        top = line - visibleRows_ + 1;
    top = std::max<int32_t>(top, 1);
    int left = leftColumn_;
    if (column <= leftColumn_)
        left = column > 2 ? column - 1 : 0;
    else if (column > leftColumn_ + visibleColumns_)
        left = column - visibleColumns_;
    // after a move to a later line the view returns to column 0, where the caret shows there
    if (oldCaretLine && line > oldCaretLine && left != leftColumn_ && column <= visibleColumns_)
        left = 0;
    ScrollText(left - leftColumn_, top - topLine_);
}

QRect TVedCustomEditor::CaretRect() const {
    const int32_t line = CaretLine();
    const int column = CaretDisplayColumn();
    if (line < topLine_ || line >= topLine_ + visibleRows_ || column <= leftColumn_ ||
        column > leftColumn_ + visibleColumns_)
        return {};
    const int x = (column - leftColumn_ - 1) * charWidth_ + leftMargin_;
    const int y = int(line - topLine_) * lineHeight_;
    const TVedCaret& caret = carets_.Current();
    const bool wide = caret.Shape() == TVedCaretShape::csBlock ||
                      caret.Shape() == TVedCaretShape::csHalfBlock ||
                      caret.Shape() == TVedCaretShape::csHorzLine || caret.CaretWidth() > 4;
    return carets_.CaretRect(QPoint(wide ? x : x - 1, y));
}

void TVedCustomEditor::UpdateCaret() {
    viewport()->update(caretDrawn_);
    caretDrawn_ = CaretRect();
    viewport()->update(caretDrawn_);
    RestartBlink();
    PostStatus();
}

void TVedCustomEditor::PostStatus() {
    if (statusPosted_)
        return;
    statusPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            statusPosted_ = false;
            DoOnShowStatus(CaretLine(), CaretDisplayColumn());
        },
        Qt::QueuedConnection);
}

void TVedCustomEditor::RestartBlink() {
    caretVisible_ = true;
    const TVedCaret& caret = carets_.Current();
    const int flash = caret.BlinkTime() > 0 ? caret.BlinkTime() * 2
                                            : QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash > 0)
        blinkTimer_.start(flash / 2);
    else
        blinkTimer_.stop();
}

void TVedCustomEditor::BlinkTick() {
    caretVisible_ = !caretVisible_;
    viewport()->update(CaretRect());
}

void TVedCustomEditor::InvalidateLines(int32_t first, int32_t last) {
    if (first > last)
        std::swap(first, last);
    const int32_t top = std::max(first, topLine_);
    const int32_t bottom = std::min<int64_t>(last, int64_t(topLine_) + visibleRows_);
    if (top > bottom)
        return;
    viewport()->update(QRect(0, int(top - topLine_) * lineHeight_, viewport()->width(),
                             int(bottom - top + 1) * lineHeight_));
}

void TVedCustomEditor::InvalidateAll() {
    viewport()->update();
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TVedCustomEditor::MouseToText(QPoint point, int32_t& line, int& column) const {
    const int height = viewport()->height();
    if (point.y() < 0) {
        line = topLine_ - 1;
    } else if (point.y() >= height) {
        line = topLine_ + visibleRows_;
    } else {
        const int row = point.y() / lineHeight_;
        line = topLine_ + std::min(row, visibleRows_ - 1);
    }
    line = std::clamp<int32_t>(line, 1, GetLineCount());
    int display;
    if (point.x() >= leftMargin_ + visibleColumns_ * charWidth_)
        display = leftColumn_ + visibleColumns_;
    else
        display = (point.x() + charWidth_ / 2 - leftMargin_) / charWidth_ + leftColumn_ + 1;
    column = display > 0 ? ColumnOfDisplay(line, display) : 1;
    column = std::max(column, 1);
    if (!scrollPastEnd_)
        column = std::min(column, List().LineLength(line) + 1);
}

void TVedCustomEditor::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    if (GetByteCount() == 0 && List().ParaLength(1) == 0)
        return;
    const bool extend = e->modifiers().testFlag(Qt::ShiftModifier);
    const QPoint point = e->position().toPoint();
    dragMargin_ = point.x() <= leftMargin_;
    int32_t line;
    int column;
    MouseToText(point, line, column);
    if (dragMargin_) {
        int32_t startLine, endLine;
        int c1, c2;
        dragAnchorLine_ = line;
        if (extend && GetSelection(startLine, c1, endLine, c2))
            dragAnchorLine_ = line >= startLine ? startLine : endLine;
        DragTo(point);
    } else {
        int32_t para, pos;
        ParaOfLineCol(line, column, para, pos);
        MoveCaret(para, pos, extend);
    }
    dragging_ = true;
    lastMouse_ = point;
    autoScrollTimer_.start();
}

void TVedCustomEditor::DragTo(QPoint point) {
    int32_t line;
    int column;
    MouseToText(point, line, column);
    if (!dragMargin_) {
        int32_t para, pos;
        ParaOfLineCol(line, column, para, pos);
        if (para != caretPara_ || pos != caretPos_)
            MoveCaret(para, pos, true);
        return;
    }
    // whole lines from the anchor line to the mouse line
    const int32_t lines = GetLineCount();
    auto startOf = [this](int32_t l, int32_t& p, int32_t& x) { ParaOfLineCol(l, 1, p, x); };
    auto afterLine = [&](int32_t l, int32_t& p, int32_t& x) {
        if (l >= lines)
            ParaOfLineCol(lines, List().LineLength(lines) + 1, p, x);
        else
            startOf(l + 1, p, x);
    };
    int32_t ap, ax, cp, cx;
    if (line >= dragAnchorLine_) {
        startOf(dragAnchorLine_, ap, ax);
        afterLine(line, cp, cx);
    } else {
        afterLine(dragAnchorLine_, ap, ax);
        startOf(line, cp, cx);
    }
    MoveCaret(ap, ax, false);
    MoveCaret(cp, cx, true);
}

void TVedCustomEditor::mouseMoveEvent(QMouseEvent* e) {
    const QPoint point = e->position().toPoint();
    if (dragging_ && (e->buttons() & Qt::LeftButton)) {
        lastMouse_ = point;
        DragTo(point);
        return;
    }
    const bool margin = point.x() <= leftMargin_;
    if (margin != marginMode_) {
        marginMode_ = margin;
        viewport()->setCursor(margin ? Qt::ArrowCursor : Qt::IBeamCursor);
    }
}

void TVedCustomEditor::AutoScrollTick() {
    if (!dragging_)
        return;
    // outside the text the view keeps moving towards the mouse
    if (!viewport()->rect().contains(lastMouse_))
        DragTo(lastMouse_);
}

void TVedCustomEditor::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        dragging_ = false;
        autoScrollTimer_.stop();
    }
    QAbstractScrollArea::mouseReleaseEvent(e);
}

void TVedCustomEditor::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || GetByteCount() == 0)
        return;
    const QPoint point = e->position().toPoint();
    const bool extend = e->modifiers().testFlag(Qt::ShiftModifier);
    int32_t line;
    int column;
    MouseToText(point, line, column);
    int32_t para, pos;
    ParaOfLineCol(line, column, para, pos);
    int32_t from, to;
    int32_t fromPara = para, toPara = para;
    if (point.x() <= leftMargin_) {
        from = 1;
        if (para < GetParaCount()) {
            toPara = para + 1;
            to = 1;
        } else {
            to = List().ParaLength(para) + 1;
        }
    } else {
        int length;
        const char* text = List().ParaText(para, length);
        int b = std::min(pos - 1, length);
        // from a delimiter back to the word before it; from inside a word to its start
        if (b == length || IsDelimiter(text[b]))
            while (b > 0 && IsDelimiter(text[b - 1]))
                --b;
        while (b > 0 && !IsDelimiter(text[b - 1]))
            --b;
        int end = std::min(pos - 1, length);
        while (end < length && !IsDelimiter(text[end]))
            ++end;
        while (end < length && IsBlank(text[end]))
            ++end;
        from = b + 1;
        to = end + 1;
    }
    if (extend && HasSelection()) {
        if (PosBefore(fromPara, from, selStartPara_, selStartPos_)) {
            MoveCaret(selEndPara_, selEndPos_, false);
            MoveCaret(fromPara, from, true);
        } else {
            MoveCaret(selStartPara_, selStartPos_, false);
            MoveCaret(
                toPara,
                std::max(to, PosBefore(toPara, to, selEndPara_, selEndPos_) ? selEndPos_ : to),
                true);
        }
    } else {
        MoveCaret(fromPara, from, false);
        MoveCaret(toPara, to, true);
    }
    dragging_ = false;
}

bool TVedCustomEditor::viewportEvent(QEvent* e) {
    // Painting and the mouse handlers run from here: a failure is shown, never let out.
    return platform::GuardEvent(e, [&] {
        if (e->type() == QEvent::Resize) {
            // a caret in view stays in view; a view not shown yet keeps its top line
            const bool follow = isVisible() && !CaretRect().isEmpty();
            CalcMetrics();
            // a grown view fills up with the lines above rather than leave rows empty
            ScrollText(0, 0);
            if (follow)
                MakeCaretVisible();
        }
        return QAbstractScrollArea::viewportEvent(e);
    });
}

// ---------------------------------------------------------------------------------------------
// Painting

void TVedCustomEditor::LoadBookmarkGlyphs() {
    if (!showBookmarks_) {
        markers_ = QImage();
        return;
    }
    // ten glyphs side by side: a small flag with the bookmark's digit
    constexpr int w = 11, h = 12;
    markers_ = QImage(w * 10, h, QImage::Format_ARGB32_Premultiplied);
    markers_.fill(Qt::transparent);
    QPainter p(&markers_);
    QFont font;
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    for (int i = 0; i < 10; ++i) {
        const QRect r(i * w, 0, w - 1, h - 1);
        p.setPen(Qt::black);
        p.setBrush(QColor(0, 128, 128));
        p.drawRoundedRect(r, 2, 2);
        p.setPen(Qt::white);
        p.drawText(r, Qt::AlignCenter, QString::number(i));
    }
}

bool TVedCustomEditor::DoOnDrawLine(QPainter& painter, const TVedDrawLine& line) {
    bool wasDrawn = false;
    if (OnDrawLine)
        OnDrawLine(*this, painter, line, wasDrawn);
    return wasDrawn;
}

void TVedCustomEditor::PaintRow(QPainter& painter, int row, int32_t line, bool drawSelection) {
    const QColor back = palette().color(QPalette::Base);
    const QRect rowRect(leftMargin_, row * lineHeight_, visibleColumns_ * charWidth_, lineHeight_);
    if (line > GetLineCount()) {
        painter.fillRect(rowRect, back);
        return;
    }
    const std::string expanded = GetLineString(line);
    const int start = std::min<int>(leftColumn_, static_cast<int>(expanded.size()));
    const int visible = std::min<int>(visibleColumns_, static_cast<int>(expanded.size()) - start);

    int32_t sLine = 0, eLine = 0;
    int sCol = 0, eCol = 0;
    if (drawSelection && HasSelection()) {
        int c1, c2;
        LineOfPara(selStartPara_, selStartPos_, sLine, c1);
        LineOfPara(selEndPara_, selEndPos_, eLine, c2);
        sCol = DisplayColumnOf(sLine, c1);
        eCol = DisplayColumnOf(eLine, c2);
    }
    TVedDrawLine info;
    info.rect = rowRect;
    info.text = expanded.data() + start;
    info.length = std::max(visible, 0);
    info.line = line;
    info.leftColumn = leftColumn_;
    info.visibleColumns = visibleColumns_;
    info.selBeginLine = sLine;
    info.selBeginColumn = sCol;
    info.selEndLine = eLine;
    info.selEndColumn = eCol;
    if (DoOnDrawLine(painter, info))
        return;

    painter.fillRect(rowRect, back);
    // selected display columns of this row, 0-based and half open
    int selFrom = 0, selTo = 0;
    if (sLine != 0 && line >= sLine && line <= eLine) {
        selFrom = line == sLine ? sCol - 1 : 0;
        selTo = line == eLine ? eCol - 1 : static_cast<int>(expanded.size()) + 1;
    }
    const QColor textColor =
        isEnabled() ? font_.Color() : palette().color(QPalette::Disabled, QPalette::Text);
    const QFontMetrics metrics(font_.Font());
    const int baseline = row * lineHeight_ + 1 + metrics.ascent();
    auto run = [&](int from, int to, bool selected) {
        from = std::max(from, leftColumn_);
        to = std::min(to, leftColumn_ + visibleColumns_);
        if (to <= from)
            return;
        const int x = leftMargin_ + (from - leftColumn_) * charWidth_;
        const QRect cell(x, row * lineHeight_, (to - from) * charWidth_, lineHeight_);
        if (selected)
            painter.fillRect(cell, highlight_.BackColor());
        const int textTo = std::min(to, static_cast<int>(expanded.size()));
        if (textTo > from) {
            painter.setPen(selected ? highlight_.TextColor() : textColor);
            DrawOnColumns(painter, x, baseline,
                          std::string_view(expanded.data() + from, size_t(textTo - from)));
        }
    };
    const int end = static_cast<int>(expanded.size());
    if (selTo > selFrom) {
        run(0, selFrom, false);
        run(selFrom, selTo, true);
        run(selTo, end, false);
    } else {
        run(0, end, false);
    }
}

void TVedCustomEditor::DrawOnColumns(QPainter& painter, int x, int baseline,
                                     std::string_view text) const {
    const QString chars = platform::AnsiToQString(text);
    const QList<quint32> glyphs = glyphFont_.glyphIndexesForString(chars);
    QList<quint32> placed;
    QList<QPointF> positions;
    placed.reserve(glyphs.size());
    positions.reserve(glyphs.size());
    for (int c = 0; c < glyphs.size(); ++c) {
        const int left = x + c * charWidth_;
        if (glyphs.at(c) != 0) {
            placed << glyphs.at(c);
            positions << QPointF(left, baseline);
        } else if (chars.at(c) != QLatin1Char(' ')) {
            // no glyph in the font: drawn from another one, on its column as well
            painter.drawText(left, baseline, QString(chars.at(c)));
        }
    }
    if (placed.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(glyphFont_);
    run.setGlyphIndexes(placed);
    run.setPositions(positions);
    painter.drawGlyphRun(QPointF(), run);
}

void TVedCustomEditor::paintEvent(QPaintEvent* e) {
    QPainter painter(viewport());
    painter.setFont(font_.Font());
    const QColor back = palette().color(QPalette::Base);
    const QRect clip = e->rect();
    const int textRight = leftMargin_ + visibleColumns_ * charWidth_;
    painter.fillRect(QRect(0, clip.top(), leftMargin_, clip.height()), back);
    painter.fillRect(QRect(textRight, clip.top(), viewport()->width() - textRight, clip.height()),
                     back);
    const bool drawSelection = isEnabled() && HasSelection() && (!hideSelection_ || hasFocus());
    const int firstRow = std::max(0, clip.top() / lineHeight_);
    const int lastRow = std::min(visibleRows_, clip.bottom() / lineHeight_);
    const int glyphWidth = markers_.width() / 10;
    for (int row = firstRow; row <= lastRow; ++row) {
        const int32_t line = topLine_ + row;
        PaintRow(painter, row, line, drawSelection);
        if (!showBookmarks_ || markers_.isNull() || glyphWidth > leftMargin_ ||
            line > GetLineCount())
            continue;
        for (int n = 0; n < 10; ++n) {
            int32_t para, pos, markLine;
            int column;
            if (!List().GetMarker(n, para, pos))
                continue;
            LineOfPara(para, pos, markLine, column);
            if (markLine != line)
                continue;
            const int top = row * lineHeight_;
            const int y = lineHeight_ >= markers_.height() + 2
                              ? top + (lineHeight_ - markers_.height()) / 2
                              : top;
            painter.drawImage(QPoint(1, y), markers_,
                              QRect(n * glyphWidth, 0, glyphWidth, markers_.height()));
            break;
        }
    }
    if (hasFocus() && caretVisible_) {
        const QRect caret = CaretRect();
        if (!caret.isNull()) {
            const TVedCaret& c = carets_.Current();
            if (c.Shape() == TVedCaretShape::csBitmap && !c.Bitmap().isNull()) {
                painter.drawImage(caret.topLeft(), c.Bitmap());
            } else {
                // inverted like a system caret, so that the character under it stays legible
                painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
                painter.fillRect(caret, c.IsGray() ? QColor(128, 128, 128) : QColor(Qt::white));
                painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            }
        }
    }
}

} // namespace ved
