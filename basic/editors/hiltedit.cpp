#include "basic/editors/hiltedit.h"

#include <QPaintEvent>
#include <QPainter>
#include <vector>

namespace harvel {

THiliteColors& HiliteColors() {
    static THiliteColors colors;
    return colors;
}

bool& SyntaxHighlighting() {
    static bool on = true;
    return on;
}

const QImage& THiliteEditor::BreakpointGlyphs() {
    static const QImage glyphs = [] {
        constexpr int w = 12, h = 12;
        QImage image(w * 4, h, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor fills[3] = {Qt::red, QColor(128, 128, 128), Qt::yellow};
        for (int i = 0; i < 3; ++i) {
            p.setPen(Qt::black);
            p.setBrush(fills[i]);
            p.drawEllipse(QRectF(i * w + 1.5, 1.5, w - 3, h - 3));
        }
        // the execution point: an arrow pointing at the line
        p.setPen(Qt::black);
        p.setBrush(QColor(0, 160, 0));
        const QPointF arrow[] = {
            {3 * w + 1.5, 2.5}, {3 * w + w - 1.5, h / 2.0}, {3 * w + 1.5, h - 2.5}};
        p.drawPolygon(arrow, 3);
        return image;
    }();
    return glyphs;
}

THiliteEditor::THiliteEditor(QWidget* parent) : TVedCustomTextFileEditor(parent) {}

void THiliteEditor::RepaintLine(int32_t line) {
    const int32_t top = GetTopLine();
    if (line < top || line >= top + VisibleRows())
        return;
    viewport()->update(QRect(0, (line - top) * LineHeight(), viewport()->width(), LineHeight()));
}

void THiliteEditor::RepaintMarkerLine(int n) {
    int32_t para, pos;
    if (!List().GetMarker(n, para, pos))
        return;
    int32_t line = para, column = pos;
    ParaToLine(line, column);
    RepaintLine(line);
}

void THiliteEditor::SetMarker(int n) {
    int32_t para, pos;
    RepaintMarkerLine(n);
    if (List().GetMarker(n, para, pos) && para == CaretPara())
        TVedCustomTextFileEditor::ClearMarker(n);
    else
        TVedCustomTextFileEditor::SetMarker(n);
    RepaintMarkerLine(n);
}

void THiliteEditor::SetMarkerAt(int n, int32_t line, int column) {
    int32_t para, pos;
    RepaintMarkerLine(n);
    // the paragraph that holds the given line
    int32_t targetPara = 0;
    for (int32_t p = 1; p <= GetParaCount(); ++p) {
        int32_t l = p, c = 1;
        ParaToLine(l, c);
        if (l > line)
            break;
        targetPara = p;
    }
    if (List().GetMarker(n, para, pos) && para == targetPara)
        TVedCustomTextFileEditor::ClearMarker(n);
    else
        TVedCustomTextFileEditor::SetMarkerAt(n, line, column);
    RepaintMarkerLine(n);
}

void THiliteEditor::ClearMarker(int n) {
    RepaintMarkerLine(n);
    TVedCustomTextFileEditor::ClearMarker(n);
}

void THiliteEditor::DeletedPara(int32_t paragraph) {
    if (OnDeletedPara)
        OnDeletedPara(paragraph);
}

void THiliteEditor::InsertedPara(int32_t paragraph, int32_t position, int32_t indent) {
    if (OnInsertedPara)
        OnInsertedPara(paragraph, position, indent);
}

void THiliteEditor::JoinedPara(int32_t paragraph, int32_t position) {
    if (OnJoinedPara)
        OnJoinedPara(paragraph, position);
}

void THiliteEditor::LineState(int32_t line, bool& current, TBreakpointState& state) const {
    current = false;
    state = bsNone;
    if (OnGetBrkptState)
        OnGetBrkptState(line, current, state);
}

bool THiliteEditor::DoOnDrawLine(QPainter& painter, const ved::TVedDrawLine& info) {
    const THiliteColors& colors = HiliteColors();
    const QColor back = palette().color(QPalette::Base);
    bool current;
    TBreakpointState state;
    LineState(info.line, current, state);

    // a marked line is drawn in its own pair of colours throughout
    bool marked = true;
    QColor lineText, lineBack;
    if (current) {
        lineText = colors.activeLineText;
        lineBack = colors.activeLineBack;
    } else if (state == bsValid) {
        lineText = colors.brkptText;
        lineBack = colors.brkptBack;
    } else if (state == bsUnchecked) {
        lineText = colors.disabledBrkptText;
        lineBack = colors.disabledBrkptBack;
    } else if (state == bsInvalid) {
        lineText = colors.invalidBrkptText;
        lineBack = colors.invalidBrkptBack;
    } else {
        marked = false;
        lineBack = back;
    }
    const QColor fontColor =
        isEnabled() ? FixedFont().Color() : palette().color(QPalette::Disabled, QPalette::Text);
    painter.fillRect(info.rect, lineBack);

    const std::string text = GetLineString(info.line);
    const int len = static_cast<int>(text.size());
    const int from = info.leftColumn;
    if (from >= len &&
        !(info.selBeginLine != 0 && info.line >= info.selBeginLine && info.line <= info.selEndLine))
        return true;

    // foreground and background per display column
    std::vector<QColor> fore(static_cast<size_t>(len) + 1, marked ? lineText : fontColor);
    std::vector<QColor> bg(static_cast<size_t>(len) + 1, lineBack);
    if (!marked && SyntaxHighlighting() && isEnabled() && OnSyntaxScan && len > 0) {
        int start = 0, end = 0;
        bool more = true;
        while (more && end < len) {
            start = end;
            THiliteMode kind = hmNone;
            more = OnSyntaxScan(text.c_str(), start, end, len, kind);
            if (end <= start)
                end = start + 1; // a scanner must make progress
            const QColor c = kind == hmNone || kind > hmSymbol || !colors.token[kind].isValid()
                                 ? fontColor
                                 : colors.token[kind];
            for (int k = start; k < end && k < len; ++k)
                fore[static_cast<size_t>(k)] = c;
        }
    }
    // the selection overrides token and line colours; a selection through the line's end also
    // marks the column behind it
    int selFrom = 0, selTo = 0;
    if (info.selBeginLine != 0 && info.line >= info.selBeginLine && info.line <= info.selEndLine) {
        selFrom = info.line == info.selBeginLine ? info.selBeginColumn - 1 : 0;
        selTo = info.line == info.selEndLine ? info.selEndColumn - 1 : len + 1;
        selTo = std::min(selTo, len + 1);
        for (int k = std::max(selFrom, 0); k < selTo; ++k) {
            fore[static_cast<size_t>(k)] = HighlightColors().TextColor();
            bg[static_cast<size_t>(k)] = HighlightColors().BackColor();
        }
    }

    const QFontMetrics metrics(FixedFont().Font());
    const int top = info.rect.top();
    const int baseline = top + 1 + metrics.ascent();
    const int last = std::min(std::max(len, selTo), from + info.visibleColumns);
    auto columnX = [&](int k) { return info.rect.left() + (k - from) * CharWidth(); };
    // the backgrounds first, then the text in runs of one colour: no fill covers a glyph that
    // reaches into the next column
    for (int k = from, runEnd; k < last; k = runEnd) {
        runEnd = k + 1;
        while (runEnd < last && bg[static_cast<size_t>(runEnd)] == bg[static_cast<size_t>(k)])
            ++runEnd;
        if (bg[static_cast<size_t>(k)] != lineBack)
            painter.fillRect(QRect(columnX(k), top, (runEnd - k) * CharWidth(), LineHeight()),
                             bg[static_cast<size_t>(k)]);
    }
    const int textEnd = std::min(last, len);
    for (int k = from, runEnd; k < textEnd; k = runEnd) {
        runEnd = k + 1;
        while (runEnd < textEnd &&
               fore[static_cast<size_t>(runEnd)] == fore[static_cast<size_t>(k)])
            ++runEnd;
        painter.setPen(fore[static_cast<size_t>(k)]);
        DrawOnColumns(painter, columnX(k), baseline,
                      std::string_view(text.data() + k, static_cast<size_t>(runEnd - k)));
    }
    return true;
}

void THiliteEditor::paintEvent(QPaintEvent* e) {
    TVedCustomTextFileEditor::paintEvent(e);
    // breakpoint and execution glyphs replace the base control's bookmark glyph on their rows
    if (!ShowBookmarks() || !OnGetBrkptState || e->rect().left() >= LeftMargin())
        return;
    const QImage& glyphs = BreakpointGlyphs();
    const int glyphWidth = glyphs.width() / 4;
    if (glyphWidth <= 0 || glyphWidth > LeftMargin())
        return;
    QPainter painter(viewport());
    const QColor back = palette().color(QPalette::Base);
    const int rows = std::min(VisibleRows(), e->rect().bottom() / LineHeight());
    for (int row = std::max(0, e->rect().top() / LineHeight()); row <= rows; ++row) {
        const int32_t line = GetTopLine() + row;
        if (line > GetLineCount())
            break;
        bool current;
        TBreakpointState state;
        LineState(line, current, state);
        int glyph = -1;
        if (current)
            glyph = 3;
        else if (state >= bsValid && state <= bsInvalid)
            glyph = state - 1;
        if (glyph < 0)
            continue;
        const int top = row * LineHeight();
        painter.fillRect(QRect(0, top, LeftMargin(), LineHeight()), back);
        const int y = LineHeight() >= glyphs.height() + 2
                          ? top + (LineHeight() - glyphs.height() + 1) / 2
                          : top;
        painter.drawImage(QPoint(2, y), glyphs,
                          QRect(glyph * glyphWidth, 0, glyphWidth, glyphs.height()));
    }
}

} // namespace harvel
