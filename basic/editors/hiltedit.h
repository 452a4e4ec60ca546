// The source editor control: the text-file editor painting each line token by token through a
// scanner its owner supplies, with breakpoint and execution-line glyphs in the margin and
// whole-line colours for those lines. It reports paragraph inserts, deletes and joins so that
// the owner can keep breakpoint lines in step with the text.
#pragma once

#include "editor/widgets/vededit.h"

#include <QColor>
#include <QImage>
#include <array>
#include <cstdint>
#include <functional>

namespace harvel {

// Breakpoint state of a line as the owner reports it.
using TBreakpointState = uint8_t;
enum : TBreakpointState { bsNone = 0, bsValid = 1, bsUnchecked = 2, bsInvalid = 3 };

// Token kinds.
using THiliteMode = uint8_t;
enum : THiliteMode {
    hmNone = 0,
    hmComment = 1,
    hmString = 2,
    hmNumber = 3,
    hmLabel = 4,
    hmKeyword = 5,
    hmIdentifier = 6,
    hmSymbol = 7
};

// The colours every highlighting editor paints with; kind 0 takes the editor's font colour.
struct THiliteColors {
    QColor activeLineBack{Qt::blue}, activeLineText{Qt::white};
    QColor brkptBack{Qt::red}, brkptText{Qt::white};
    QColor disabledBrkptBack{192, 192, 192}, disabledBrkptText{Qt::black};
    QColor invalidBrkptBack{Qt::yellow}, invalidBrkptText{Qt::black};
    std::array<QColor, 8> token{};
};
THiliteColors& HiliteColors();
// The environment option "syntax highlighting".
bool& SyntaxHighlighting();

using TGetBreakpointStateEvent =
    std::function<void(int32_t line, bool& bCurrent, TBreakpointState& state)>;
using TSyntaxScanEvent =
    std::function<bool(const char* s, int& nStart, int& nEnd, int nLen, THiliteMode& nHilite)>;
using TDeletedParagraphEvent = std::function<void(int32_t para)>;
using TInsertedParagraphEvent = std::function<void(int32_t para, int pos, int indent)>;
using TJoinedParagraphEvent = std::function<void(int32_t para, int pos)>;

class THiliteEditor : public ved::TVedCustomTextFileEditor {
    Q_OBJECT
public:
    explicit THiliteEditor(QWidget* parent = nullptr);

    TGetBreakpointStateEvent OnGetBrkptState;
    TSyntaxScanEvent OnSyntaxScan;
    TDeletedParagraphEvent OnDeletedPara;
    TInsertedParagraphEvent OnInsertedPara;
    TJoinedParagraphEvent OnJoinedPara;

    // Invalidates the line's row when it is visible.
    void RepaintLine(int32_t line);

    // Setting a bookmark on the paragraph that already holds it clears it.
    void SetMarker(int n) override;
    void SetMarkerAt(int n, int32_t line, int column) override;
    void ClearMarker(int n) override;

    // The glyph sheet: valid, unchecked and invalid breakpoint, execution line.
    static const QImage& BreakpointGlyphs();

protected:
    bool DoOnDrawLine(QPainter& painter, const ved::TVedDrawLine& line) override;
    void paintEvent(QPaintEvent* e) override;
    void DeletedPara(int32_t paragraph) override;
    void InsertedPara(int32_t paragraph, int32_t position, int32_t indent) override;
    void JoinedPara(int32_t paragraph, int32_t position) override;

private:
    void LineState(int32_t line, bool& current, TBreakpointState& state) const;
    void RepaintMarkerLine(int n);
};

} // namespace harvel
