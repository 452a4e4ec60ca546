// The editor control: properties, commands, editing, clipboard, bookmarks and undo.
#include "editor/widgets/vededit.h"

#include "editor/vedexcept.h"
#include "editor/vedutil.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/failure.h"
#include "platform/qt/idlequiet.h"
#include "platform/qt/keymap.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QScrollBar>

#include <algorithm>

namespace ved {

namespace {

const char DefaultDelimiters[] = {9,  39, 13, 10, 32, 44,  46,  47, 63, 59,  58, 96,
                                  34, 60, 62, 91, 93, 123, 125, 45, 61, 92,  43, 124,
                                  40, 41, 37, 64, 38, 94,  36,  35, 33, 126, 42};

// Longer texts reach the list in pieces of this size, none starting with a line break.
constexpr int InsertPiece = 61440;
constexpr int InsertPieceSlack = 4080;

} // namespace

TVedCustomEditor::TVedCustomEditor(QWidget* parent)
    : QAbstractScrollArea(parent),
      highlight_(QApplication::palette().color(QPalette::HighlightedText),
                 QApplication::palette().color(QPalette::Highlight)),
      delimiters_(DefaultDelimiters, sizeof DefaultDelimiters) {
    CreateParaList(false, 8192);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFrameShape(QFrame::StyledPanel);
    resize(200, 150);
    highlight_.OnColorChange = [this] { InvalidateAll(); };
    font_.OnChange = [this] { CalcMetrics(); };
    carets_.OnChange = [this] { UpdateCaret(); };
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            &TVedCustomEditor::OnVerticalScroll);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &TVedCustomEditor::OnHorizontalScroll);
    blinkTimer_.callOnTimeout(this, &TVedCustomEditor::BlinkTick);
    // Blinking only redraws the caret: idle calls need not follow it.
    MarkIdleQuiet(&blinkTimer_);
    autoScrollTimer_.setInterval(50);
    autoScrollTimer_.callOnTimeout(this, &TVedCustomEditor::AutoScrollTick);
    SetScrollBars(scrollBars_);
    LoadBookmarkGlyphs();
    CalcMetrics();
}

TVedCustomEditor::~TVedCustomEditor() {
    carets_.OnChange = nullptr;
    LeaveRing();
}

// ---------------------------------------------------------------------------------------------
// Properties

void TVedCustomEditor::SetByteLimit(int32_t limit) {
    if (limit >= 0)
        List().SetByteLimit(limit);
}

void TVedCustomEditor::SetHideSelection(bool on) {
    if (on == hideSelection_)
        return;
    hideSelection_ = on;
    InvalidateAll();
}

void TVedCustomEditor::SetInsertMode(bool on) {
    carets_.SetInsertMode(on);
    UpdateCaret();
}

void TVedCustomEditor::SetLeftMargin(int margin) {
    if (margin < 0 || margin == leftMargin_)
        return;
    leftMargin_ = margin;
    CalcMetrics();
}

void TVedCustomEditor::SetRightMargin(int margin) {
    if (margin < 0 || margin == rightMargin_)
        return;
    rightMargin_ = margin;
    CalcMetrics();
}

void TVedCustomEditor::SetParaLengthLimit(int limit) {
    if (limit < 1 || limit > 32767)
        return;
    List().SetParaLengthLimit(limit);
    UpdateScrollBars();
}

void TVedCustomEditor::SetParaLimit(int32_t limit) {
    if (limit > 0)
        List().SetParaLimit(limit);
}

void TVedCustomEditor::SetScrollBars(TScrollStyle style) {
    scrollBars_ = style;
    if (style == TScrollStyle::ssNone)
        scrollBarsAlways_ = false;
    const bool h = style == TScrollStyle::ssHorizontal || style == TScrollStyle::ssBoth;
    const bool v = style == TScrollStyle::ssVertical || style == TScrollStyle::ssBoth;
    const Qt::ScrollBarPolicy shown =
        scrollBarsAlways_ ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded;
    setHorizontalScrollBarPolicy(h ? shown : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(v ? shown : Qt::ScrollBarAlwaysOff);
    UpdateScrollBars();
}

void TVedCustomEditor::SetScrollBarsAlways(bool on) {
    scrollBarsAlways_ = on && scrollBars_ != TScrollStyle::ssNone;
    SetScrollBars(scrollBars_);
}

void TVedCustomEditor::SetScrollPastEnd(bool on) {
    scrollPastEnd_ = on;
    if (on && WordWrap())
        SetWordWrap(false);
}

void TVedCustomEditor::SetShowBookmarks(bool on) {
    if (on == showBookmarks_)
        return;
    showBookmarks_ = on;
    LoadBookmarkGlyphs();
    InvalidateAll();
}

void TVedCustomEditor::SetTabSize(int size) {
    if (size <= 0 || size > 255)
        return;
    List().SetTabSize(static_cast<uint8_t>(size));
    InvalidateAll();
}

void TVedCustomEditor::SetTabType(TTabType type) {
    tabType_ = type;
    InvalidateAll();
}

void TVedCustomEditor::SetUndoBufferSize(int size) {
    List().SetUndoBufferSize(static_cast<uint16_t>(std::clamp(size, 0, 0xFFFF)));
}

void TVedCustomEditor::SetWordWrap(bool on) {
    if (on) {
        wrapAtLeft_ = true;
        scrollPastEnd_ = false;
    }
    if (on == WordWrap())
        return;
    List().SetWordWrap(on); // every editor of the ring follows through its notification
    ApplyWrapToWindow();
    UpdateScrollBars();
}

void TVedCustomEditor::SetWrapAtLeft(bool on) {
    wrapAtLeft_ = on || WordWrap();
}

void TVedCustomEditor::SetWrapColumn(int column) {
    if (column <= 0)
        return;
    List().SetWrapColumn(column);
    UpdateScrollBars();
}

void TVedCustomEditor::SetWrapToWindow(bool on) {
    wrapToWindow_ = on;
    ApplyWrapToWindow();
}

void TVedCustomEditor::SetWordDelimiters(const std::string& delimiters) {
    if (!delimiters.empty())
        delimiters_ = delimiters;
}

bool TVedCustomEditor::IsDelimiter(char c) const {
    return delimiters_.find(c) != std::string::npos;
}

// ---------------------------------------------------------------------------------------------
// Positions

void TVedCustomEditor::LineOfPara(int32_t para, int32_t pos, int32_t& line, int& column) const {
    int32_t l = 1, c = 1;
    List().LineOfPos(para, pos, l, c);
    line = l;
    column = c;
}

void TVedCustomEditor::ParaOfLineCol(int32_t line, int column, int32_t& para, int32_t& pos) const {
    int32_t offset = 0;
    para = 1;
    List().ParaOfLine(line, para, offset);
    pos = offset + column;
}

int TVedCustomEditor::DisplayColumnOf(int32_t line, int column) const {
    const char* text;
    int length;
    List().GetLine(line, text, length);
    return ved::ColumnOfPos(text, length, column, TabSize());
}

int TVedCustomEditor::ColumnOfDisplay(int32_t line, int displayColumn) const {
    const char* text;
    int length;
    List().GetLine(line, text, length);
    return ved::PosOfColumn(text, length, displayColumn, TabSize());
}

int32_t TVedCustomEditor::CaretLine() const {
    int32_t line;
    int column;
    LineOfPara(caretPara_, caretPos_, line, column);
    return line;
}

int TVedCustomEditor::CaretDisplayColumn() const {
    int32_t line;
    int column;
    LineOfPara(caretPara_, caretPos_, line, column);
    return DisplayColumnOf(line, column);
}

int32_t TVedCustomEditor::GetCaretPosition(int& column) const {
    int32_t line;
    LineOfPara(caretPara_, caretPos_, line, column);
    return line;
}

void TVedCustomEditor::SetCaretPosition(int32_t line, int column) {
    if (line < 1 || line > GetLineCount() || column < 1)
        throw EInvalidLineOrPara();
    int32_t para, pos;
    ParaOfLineCol(line, column, para, pos);
    MoveCaret(para, pos, false);
}

bool TVedCustomEditor::GetSelection(int32_t& startLine, int& startColumn, int32_t& endLine,
                                    int& endColumn) const {
    if (!HasSelection())
        return false;
    LineOfPara(selStartPara_, selStartPos_, startLine, startColumn);
    LineOfPara(selEndPara_, selEndPos_, endLine, endColumn);
    return true;
}

void TVedCustomEditor::SetSelection(int32_t startLine, int startColumn, bool caretAtEnd,
                                    int endColumn, int32_t endLine) {
    if (GetByteCount() == 0)
        return;
    const int32_t lines = GetLineCount();
    startLine = std::clamp<int32_t>(startLine, 1, lines);
    endLine = std::clamp<int32_t>(endLine, 1, lines);
    startColumn = std::clamp(startColumn, 1, GetLineLength(startLine) + 1);
    endColumn = std::clamp(endColumn, 1, GetLineLength(endLine) + 1);
    int32_t p1, x1, p2, x2;
    ParaOfLineCol(startLine, startColumn, p1, x1);
    ParaOfLineCol(endLine, endColumn, p2, x2);
    if (caretAtEnd) {
        MoveCaret(p1, x1, false);
        MoveCaret(p2, x2, true);
    } else {
        MoveCaret(p2, x2, false);
        MoveCaret(p1, x1, true);
    }
}

std::string TVedCustomEditor::SelectedText() const {
    std::string out;
    for (int32_t p = selStartPara_; p <= selEndPara_ && HasSelection(); ++p) {
        int length;
        const char* text = List().ParaText(p, length);
        const int from = p == selStartPara_ ? std::min(selStartPos_ - 1, length) : 0;
        const int to = p == selEndPara_ ? std::min(selEndPos_ - 1, length) : length;
        if (p > selStartPara_)
            out += "\r\n";
        if (to > from)
            out.append(text + from, static_cast<size_t>(to - from));
    }
    return out;
}

std::string TVedCustomEditor::GetCurrentWord() const {
    int length;
    const char* text = List().ParaText(caretPara_, length);
    const int i = caretPos_ - 1;
    if (i >= length || IsDelimiter(text[i]))
        return {};
    int b = i, e = i;
    while (b > 0 && !IsDelimiter(text[b - 1]))
        --b;
    while (e < length && !IsDelimiter(text[e]))
        ++e;
    return std::string(text + b, static_cast<size_t>(e - b));
}

std::string TVedCustomEditor::GetLineString(int32_t line) const {
    if (line < 1 || line > GetLineCount())
        throw EInvalidLineOrPara();
    const char* text;
    int length;
    List().GetLine(line, text, length);
    return ExpandTabs(text, length, TabSize());
}

int TVedCustomEditor::GetLineLength(int32_t line) const {
    if (line < 1 || line > GetLineCount())
        throw EInvalidLineOrPara();
    return List().LineLength(line);
}

std::string TVedCustomEditor::GetPara(int32_t paragraph) const {
    if (paragraph < 1 || paragraph > GetParaCount())
        throw EInvalidLineOrPara();
    int length;
    const char* text = List().ParaText(paragraph, length);
    return std::string(text, static_cast<size_t>(length));
}

std::string TVedCustomEditor::Text() const {
    std::string out;
    for (int32_t p = 1; p <= GetParaCount(); ++p) {
        if (p > 1)
            out += '\n';
        out += GetPara(p);
    }
    return out;
}

void TVedCustomEditor::SetModified(bool modified) {
    if (modified == GetModified())
        return;
    List().SetModified(modified);
    TVedRingMember* m = this;
    do {
        if (auto* editor = dynamic_cast<TVedCustomEditor*>(m))
            editor->InvalidateAll();
        m = m->RingNext();
    } while (m != this);
}

void TVedCustomEditor::SetTopLine(int32_t line) {
    if (line < 1 || line > GetLineCount())
        throw EInvalidLineOrPara();
    ScrollText(0, line - topLine_);
    if (!isVisible()) { // the view shown later starts at this line
        topLineSet_ = true;
        caretPending_ = false;
    }
}

void TVedCustomEditor::ParaToLine(int32_t& paraLine, int32_t& posColumn) const {
    int32_t line;
    int column;
    LineOfPara(paraLine, posColumn, line, column);
    paraLine = line;
    posColumn = column;
}

bool TVedCustomEditor::CanUndo() const {
    return !GetReadOnly() && List().CanUndo();
}

bool TVedCustomEditor::CanRedo() const {
    return !GetReadOnly() && List().CanRedo();
}

// ---------------------------------------------------------------------------------------------
// Ring

void TVedCustomEditor::Attach(TVedCustomEditor* other) {
    if (!other || other == this)
        return;
    TVedRingMember::Attach(*other);
    caretPara_ = caretPos_ = anchorPara_ = anchorPos_ = 1;
    selStartPara_ = selStartPos_ = selEndPara_ = selEndPos_ = 1;
    SetTopLineInternal(1);
    leftColumn_ = 0;
    ResetScrollBars(true);
}

void TVedCustomEditor::ClearAll(bool refresh) {
    RenewParaList();
    caretPara_ = caretPos_ = anchorPara_ = anchorPos_ = 1;
    selStartPara_ = selStartPos_ = selEndPara_ = selEndPos_ = 1;
    SetTopLineInternal(1);
    leftColumn_ = 0;
    if (refresh)
        ResetScrollBars(true);
}

void TVedCustomEditor::ParaListChanged(const TParaChange& change, const TVedRingMember* actor) {
    const int32_t count = GetParaCount();
    const int32_t oldTop = topLine_;
    change.Adjust(topPara_, topPos_, count);
    if (actor != this) {
        change.Adjust(caretPara_, caretPos_, count);
        change.Adjust(selStartPara_, selStartPos_, count);
        change.Adjust(selEndPara_, selEndPos_, count);
        change.Adjust(anchorPara_, anchorPos_, count);
    }
    topPara_ = std::clamp<int32_t>(topPara_, 1, count);
    int column;
    LineOfPara(topPara_, std::max(topPos_, 1), topLine_, column);
    // a view at the start of the text stays there, whatever is inserted before its first line
    SetTopLineInternal(oldTop == 1 ? 1 : std::clamp<int32_t>(topLine_, 1, GetLineCount()));

    switch (change.kind) {
    case TParaChangeKind::InsertedText:
        InsertedText(change.paragraph, change.position, change.count);
        break;
    case TParaChangeKind::DeletedText:
        DeletedText(change.paragraph, change.position, change.count);
        break;
    case TParaChangeKind::InsertedBreak:
        InsertedPara(change.paragraph, change.position, change.indent);
        break;
    case TParaChangeKind::InsertedPara:
        InsertedPara(change.paragraph, 1, 0);
        break;
    case TParaChangeKind::DeletedPara:
        DeletedPara(change.paragraph);
        break;
    case TParaChangeKind::JoinedPara:
        JoinedPara(change.paragraph, change.position);
        break;
    case TParaChangeKind::Rewrapped:
        break;
    }

    if (change.kind == TParaChangeKind::Rewrapped || topLine_ != oldTop)
        InvalidateAll();
    else
        InvalidateLines(List().ChangedFirst(), List().ChangedLast());
    if (actor != this)
        UpdateCaret();
    UpdateScrollBars();
}

// ---------------------------------------------------------------------------------------------
// Caret and selection

void TVedCustomEditor::InvalidateSelectionChange(int32_t oldStartPara, int32_t oldStartPos,
                                                 int32_t oldEndPara, int32_t oldEndPos) {
    const bool oldEmpty = oldStartPara == oldEndPara && oldStartPos == oldEndPos;
    const bool newEmpty = !HasSelection();
    if (oldEmpty && newEmpty)
        return;
    auto lineOf = [this](int32_t p, int32_t x) {
        int32_t line;
        int column;
        LineOfPara(p, x, line, column);
        return line;
    };
    // the lines between where the old and the new selection differ
    auto span = [&](int32_t p1, int32_t x1, int32_t p2, int32_t x2) {
        if (p1 != p2 || x1 != x2)
            InvalidateLines(lineOf(p1, x1), lineOf(p2, x2));
    };
    if (oldEmpty) {
        span(selStartPara_, selStartPos_, selEndPara_, selEndPos_);
    } else if (newEmpty) {
        span(oldStartPara, oldStartPos, oldEndPara, oldEndPos);
    } else {
        span(oldStartPara, oldStartPos, selStartPara_, selStartPos_);
        span(oldEndPara, oldEndPos, selEndPara_, selEndPos_);
    }
}

void TVedCustomEditor::MoveCaret(int32_t para, int32_t pos, bool extend, bool pageMove,
                                 int32_t oldLine) {
    para = std::clamp<int32_t>(para, 1, GetParaCount());
    pos = std::clamp<int32_t>(pos, 1,
                              scrollPastEnd_ ? ParaLengthLimit() + 1 : List().ParaLength(para) + 1);
    const int32_t s1 = selStartPara_, x1 = selStartPos_, s2 = selEndPara_, x2 = selEndPos_;
    const int32_t oldCaretLine = CaretLine();
    caretPara_ = para;
    caretPos_ = pos;
    if (!extend) {
        anchorPara_ = para;
        anchorPos_ = pos;
    }
    if (PosBefore(caretPara_, caretPos_, anchorPara_, anchorPos_)) {
        selStartPara_ = caretPara_, selStartPos_ = caretPos_;
        selEndPara_ = anchorPara_, selEndPos_ = anchorPos_;
    } else {
        selStartPara_ = anchorPara_, selStartPos_ = anchorPos_;
        selEndPara_ = caretPara_, selEndPos_ = caretPos_;
    }
    InvalidateSelectionChange(s1, x1, s2, x2);
    MakeCaretVisible(pageMove, oldLine ? oldLine : oldCaretLine, oldCaretLine);
}

void TVedCustomEditor::MoveToLineDisplay(int32_t line, int displayColumn, bool extend,
                                         bool pageMove) {
    const int32_t oldLine = CaretLine();
    line = std::clamp<int32_t>(line, 1, GetLineCount());
    int column = ColumnOfDisplay(line, std::max(displayColumn, 1));
    const int length = List().LineLength(line);
    int32_t para, offset;
    List().ParaOfLine(line, para, offset);
    int limit = scrollPastEnd_ ? ParaLengthLimit() + 1 : length + 1;
    if (!scrollPastEnd_ && offset + length < List().ParaLength(para) && length > 0)
        limit = length; // a wrapped line's end is the next line's start
    column = std::clamp(column, 1, limit);
    MoveCaret(para, offset + column, extend, pageMove, oldLine);
}

void TVedCustomEditor::SetCaretPara(int32_t para, int32_t pos) {
    caretPara_ = anchorPara_ = selStartPara_ = selEndPara_ = para;
    caretPos_ = anchorPos_ = selStartPos_ = selEndPos_ = std::max<int32_t>(pos, 1);
}

void TVedCustomEditor::CollapseSelection() {
    MoveCaret(caretPara_, caretPos_, false);
}

void TVedCustomEditor::WordLeft(bool extend) {
    int length;
    const char* text = List().ParaText(caretPara_, length);
    int i = std::min(caretPos_ - 1, length); // characters before the caret
    if (caretPos_ == 1) {
        if (caretPara_ > 1)
            MoveCaret(caretPara_ - 1, List().ParaLength(caretPara_ - 1) + 1, extend);
        return;
    }
    while (i > 0 && IsDelimiter(text[i - 1]))
        --i;
    while (i > 0 && !IsDelimiter(text[i - 1]))
        --i;
    MoveCaret(caretPara_, i + 1, extend);
}

void TVedCustomEditor::WordRight(bool extend) {
    int length;
    const char* text = List().ParaText(caretPara_, length);
    if (caretPos_ > length) {
        if (caretPara_ < GetParaCount())
            MoveCaret(caretPara_ + 1, 1, extend);
        return;
    }
    int i = caretPos_ - 1;
    while (i < length && !IsDelimiter(text[i]))
        ++i;
    while (i < length && IsDelimiter(text[i]))
        ++i;
    MoveCaret(caretPara_, i + 1, extend);
}

void TVedCustomEditor::PageMove(int direction, bool extend) {
    MoveToLineDisplay(CaretLine() + direction * PageSize(), CaretDisplayColumn(), extend, true);
}

void TVedCustomEditor::GotoMarker(int n) {
    int32_t para, pos;
    if (n < 0 || n > 9 || !List().GetMarker(n, para, pos))
        return;
    MoveCaret(para, pos, false);
}

void TVedCustomEditor::SetMarker(int n) {
    if (n < 0 || n > 9)
        return;
    List().SetMarker(n, caretPara_, caretPos_);
    InvalidateAll();
}

void TVedCustomEditor::SetMarkerAt(int n, int32_t line, int column) {
    if (n > 9)
        return;
    if (line < 1 || line > GetLineCount() || column < 1)
        throw EInvalidLineOrCol();
    List().SetMarkerAtLine(n, line, column);
    InvalidateAll();
}

void TVedCustomEditor::ClearMarker(int n) {
    if (n < 10)
        List().ClearMarker(n);
    InvalidateAll();
}

// ---------------------------------------------------------------------------------------------
// Edits

uint16_t TVedCustomEditor::DeleteSelection() {
    if (!HasSelection())
        return VedOk;
    const int32_t p = selStartPara_, x = selStartPos_;
    const uint16_t code = List().DeleteRange(this, p, x, selEndPara_, selEndPos_);
    if (code == VedOk)
        SetCaretPara(p, x);
    return code;
}

void TVedCustomEditor::DeleteAtCaret() {
    if (GetReadOnly())
        return;
    const int32_t oldLine = CaretLine();
    uint16_t code;
    if (HasSelection()) {
        code = DeleteSelection();
    } else if (caretPos_ > List().ParaLength(caretPara_)) {
        code = caretPara_ < GetParaCount() ? List().JoinPara(this, caretPara_, caretPos_)
                                           : uint16_t(VedOk);
    } else {
        code = List().DeleteChars(this, caretPara_, caretPos_, 1);
    }
    SetCaretPara(caretPara_, caretPos_);
    DoOnError(code);
    MakeCaretVisible(false, oldLine, oldLine);
}

void TVedCustomEditor::BackSpace() {
    if (GetReadOnly()) {
        ExecuteCommand(ccLeft, 0);
        return;
    }
    if (HasSelection()) {
        DeleteAtCaret();
        return;
    }
    const int32_t oldLine = CaretLine();
    uint16_t code = VedOk;
    if (caretPos_ > 1) {
        // only ever the character left of the caret; blanks past the end are not text
        const int32_t pos = caretPos_ - 1;
        if (pos <= List().ParaLength(caretPara_))
            code = List().DeleteChars(this, caretPara_, pos, 1);
        SetCaretPara(caretPara_, pos);
    } else if (caretPara_ > 1) {
        // at a paragraph start the paragraph joins the one above, never the one below
        const int32_t para = caretPara_ - 1;
        const int32_t pos = List().ParaLength(para) + 1;
        code = List().JoinPara(this, para, pos);
        if (code == VedOk)
            SetCaretPara(para, pos);
    }
    DoOnError(code);
    MakeCaretVisible(false, oldLine, oldLine);
}

void TVedCustomEditor::TypeChar(char c) {
    if (GetReadOnly())
        return;
    const int32_t oldLine = CaretLine();
    // Only a replaced selection makes a group: plain typing stays outside one, so that the
    // undo buffer merges a run of typed characters into one record.
    const bool hadSelection = HasSelection();
    const bool previous = hadSelection ? List().BeginGroup() : false;
    uint16_t code = DeleteSelection();
    if (code == VedOk) {
        if (InsertMode() || hadSelection || caretPos_ > List().ParaLength(caretPara_))
            code = List().InsertChars(this, caretPara_, caretPos_, &c, 1);
        else
            code = List().ReplaceChars(this, caretPara_, caretPos_, 1, &c, 1);
        if (code == VedOk)
            SetCaretPara(caretPara_, caretPos_ + 1);
    }
    if (hadSelection)
        List().EndGroup(previous);
    DoOnError(code);
    MakeCaretVisible(false, oldLine, oldLine);
}

void TVedCustomEditor::NewLine(bool split) {
    const int32_t oldLine = CaretLine();
    uint16_t code = VedOk;
    // a selection goes first, in overwrite mode too
    if (!GetReadOnly())
        code = DeleteSelection();
    if (code == VedOk && split && !GetReadOnly()) {
        int length;
        const char* text = List().ParaText(caretPara_, length);
        int indent = 0;
        if (autoIndent_) {
            const char* line;
            int lineLength;
            int32_t offset, para;
            List().ParaOfLine(CaretLine(), para, offset);
            List().GetLine(CaretLine(), line, lineLength);
            int blanks = 0;
            const int upTo = std::min(caretPos_ - 1 - offset, lineLength);
            while (blanks < upTo && IsBlank(line[blanks]))
                ++blanks;
            indent = DisplayWidth(line, blanks, TabSize());
        }
        const int tabSize = tabType_ == TTabType::ttReal ? TabSize() : 0;
        std::string indentText;
        if (tabSize > 0)
            indentText.assign(static_cast<size_t>(indent / tabSize), '\t');
        indentText.append(static_cast<size_t>(tabSize > 0 ? indent % tabSize : indent), ' ');
        const int32_t para = caretPara_;
        if (caretPos_ > length) {
            // At the end a new paragraph follows: the marks anchored to this one stay here.
            code = List().CheckRoom(para, 1, int64_t(indentText.size()) + 2);
            if (code == VedOk) {
                const bool previous = List().BeginGroup();
                List().RecordPosition(para, caretPos_); // where an undo puts the caret back
                const int blanks = TrailingBlanks(text, length);
                if (blanks > 0)
                    code = List().DeleteChars(this, para, length - blanks + 1, blanks);
                if (code == VedOk)
                    code = List().NewParaAfter(this, para, indentText.data(),
                                               static_cast<int>(indentText.size()));
                List().EndGroup(previous);
                if (code == VedOk)
                    SetCaretPara(para + 1, static_cast<int32_t>(indentText.size()) + 1);
            }
        } else {
            code = List().SplitPara(this, para, caretPos_, indent, tabSize, true);
            if (code == VedOk)
                SetCaretPara(para + 1,
                             caretPos_ > 1 ? static_cast<int32_t>(indentText.size()) + 1 : 1);
        }
        DoOnError(code);
        MakeCaretVisible(false, oldLine, oldLine);
        return;
    }
    if (code != VedOk) {
        DoOnError(code);
        return;
    }
    if (caretPara_ < GetParaCount()) {
        MoveCaret(caretPara_ + 1, 1, false);
    } else {
        const int32_t last = GetLineCount();
        MoveToLineDisplay(last, DisplayColumnOf(last, List().LineLength(last) + 1), false);
    }
}

void TVedCustomEditor::Tab() {
    if (GetReadOnly())
        return;
    const bool previous = List().BeginGroup();
    uint16_t code = DeleteSelection();
    if (code == VedOk && tabType_ == TTabType::ttReal) {
        List().EndGroup(previous);
        TypeChar('\t');
        return;
    }
    const int32_t oldLine = CaretLine();
    const int size = std::max(TabSize(), 1);
    const int column = CaretDisplayColumn();
    int count = size * ((column - 1) / size + 1) - column + 1;
    if (tabType_ == TTabType::ttSmart) {
        auto nextWord = [&](int32_t line) {
            const std::string text = GetLineString(line);
            int i = column - 1;
            while (i < static_cast<int>(text.size()) && !IsBlank(text[static_cast<size_t>(i)]))
                ++i;
            while (i < static_cast<int>(text.size()) && IsBlank(text[static_cast<size_t>(i)]))
                ++i;
            return i < static_cast<int>(text.size()) && i > column - 1 ? i - (column - 1) : 0;
        };
        const int32_t line = CaretLine();
        int found = 0;
        if (caretPara_ != 1)
            found = nextWord(line - 1);
        else if (line < GetLineCount())
            found = nextWord(line + 1);
        if (found > 0)
            count = found;
    }
    if (code == VedOk) {
        const std::string blanks(static_cast<size_t>(count), ' ');
        if (!InsertMode() && caretPos_ <= List().ParaLength(caretPara_))
            code = List().DeleteChars(this, caretPara_, caretPos_, count);
        if (code == VedOk)
            code = List().InsertChars(this, caretPara_, caretPos_, blanks.data(), count);
        if (code == VedOk)
            SetCaretPara(caretPara_, caretPos_ + count);
    }
    List().EndGroup(previous);
    DoOnError(code);
    MakeCaretVisible(false, oldLine, oldLine);
}

void TVedCustomEditor::DeleteRangeTo(int32_t para, int32_t pos) {
    if (GetReadOnly())
        return;
    const int32_t oldLine = CaretLine();
    int32_t p1 = caretPara_, x1 = caretPos_, p2 = para, x2 = pos;
    if (PosBefore(p2, x2, p1, x1)) {
        std::swap(p1, p2);
        std::swap(x1, x2);
    }
    const uint16_t code = List().DeleteRange(this, p1, x1, p2, x2);
    if (code == VedOk)
        SetCaretPara(p1, x1);
    DoOnError(code);
    MakeCaretVisible(false, oldLine, oldLine);
}

void TVedCustomEditor::DeleteLine() {
    if (GetReadOnly())
        return;
    const int32_t line = CaretLine();
    int32_t p1, x1;
    ParaOfLineCol(line, 1, p1, x1);
    const bool previous = List().BeginGroup();
    MoveCaret(p1, x1, false);
    if (line == GetLineCount()) {
        int32_t p2, x2;
        ParaOfLineCol(line, List().LineLength(line) + 1, p2, x2);
        DeleteRangeTo(p2, x2);
    } else {
        int32_t p2, x2;
        ParaOfLineCol(line + 1, 1, p2, x2);
        DeleteRangeTo(p2, x2);
    }
    List().EndGroup(previous);
}

void TVedCustomEditor::DeleteWord() {
    if (GetReadOnly())
        return;
    if (HasSelection()) {
        DeleteAtCaret();
        return;
    }
    int length;
    const char* text = List().ParaText(caretPara_, length);
    int i = caretPos_ - 1;
    if (i >= length)
        return;
    while (i < length && !IsDelimiter(text[i]))
        ++i;
    while (i < length && IsBlank(text[i]))
        ++i;
    DeleteRangeTo(caretPara_, i + 1);
}

uint16_t TVedCustomEditor::InsertText(const std::string& text) {
    if (text.empty() || GetReadOnly())
        return VedOk;
    const int32_t oldLine = CaretLine();
    const bool previous = List().BeginGroup();
    uint16_t code = DeleteSelection();
    const int total = static_cast<int>(text.size());
    int start = 0;
    while (code == VedOk && start < total) {
        int end = std::min(start + InsertPiece, total);
        for (int moved = 0;
             end < total && moved < InsertPieceSlack &&
             (text[static_cast<size_t>(end)] == '\r' || text[static_cast<size_t>(end)] == '\n');
             ++moved)
            ++end;
        // a CR LF stays one line end
        if (end < total && LineEndLength(text.data(), total, end - 1) == 2)
            ++end;
        // a piece that cannot fit as a whole goes in not at all
        int32_t breaks = 0, bytes = 0;
        for (int i = start; i < end;) {
            const int lineEnd = LineEndLength(text.data(), end, i);
            breaks += lineEnd ? 1 : 0;
            bytes += lineEnd ? 0 : 1;
            i += std::max(lineEnd, 1);
        }
        if (breaks > 0 &&
            (code = List().CheckRoom(caretPara_, breaks, int64_t(bytes) + 2 * breaks)) != VedOk)
            break;
        int32_t endPara, endPos;
        code = List().InsertText(this, caretPara_, caretPos_, text.data() + start, end - start,
                                 endPara, endPos);
        if (code == VedOk)
            SetCaretPara(endPara, endPos);
        start = end;
    }
    List().EndGroup(previous);
    UpdateScrollBars();
    MakeCaretVisible(false, oldLine, oldLine);
    return code;
}

uint16_t TVedCustomEditor::AppendPara(const std::string& whole) {
    const int32_t linesBefore = GetLineCount();
    const char* text = whole.data();
    int remaining = static_cast<int>(whole.size());
    if (uint16_t code = List().CheckRoom(GetParaCount(), 1, int64_t(remaining) + 2))
        return code;
    uint16_t code = VedOk;
    bool first = true;
    do {
        int piece = remaining;
        const int limit = ParaLengthLimit();
        if (piece > limit) {
            piece = limit;
            int cut = piece;
            while (cut > 0 && !IsBlank(text[cut - 1]))
                --cut;
            if (cut > 0)
                piece = cut;
        }
        int stored = piece;
        if (trimWhiteSpace_)
            stored -= TrailingBlanks(text, piece);
        if (!first)
            code = List().CheckRoom(GetParaCount(), 1, int64_t(stored) + 2);
        if (code == VedOk)
            code = List().AppendPara(text, stored);
        text += piece;
        remaining -= piece;
        first = false;
    } while (code == VedOk && remaining > 0);
    if (GetLineCount() > visibleRows_ && linesBefore <= visibleRows_) {
        UpdateScrollBars();
        InvalidateAll();
    }
    return code;
}

// ---------------------------------------------------------------------------------------------
// Clipboard and undo

void TVedCustomEditor::CopyToClipboard() {
    if (!HasSelection())
        return;
    QApplication::clipboard()->setText(platform::AnsiToQString(SelectedText()));
}

void TVedCustomEditor::CutToClipboard() {
    if (!HasSelection() || GetReadOnly())
        return;
    CopyToClipboard();
    DeleteAtCaret();
    UpdateScrollBars();
}

void TVedCustomEditor::PasteFromClipboard() {
    if (GetReadOnly())
        return;
    const QString text = QApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    for (QChar c : text)
        if (!platform::IsAnsiCharacter(c)) { // never store a stand-in for it
            platform::MessageBeep(platform::BeepKind::Default);
            return;
        }
    DoOnError(InsertText(platform::QStringToAnsi(text)));
    UpdateScrollBars();
}

void TVedCustomEditor::Undo() {
    if (!CanUndo()) {
        platform::MessageBeep(platform::BeepKind::Default);
        return;
    }
    int32_t para = caretPara_, pos = caretPos_;
    List().Undo(this, para, pos);
    para = std::clamp<int32_t>(para, 1, GetParaCount());
    MoveCaret(para, std::max<int32_t>(pos, 1), false);
    InvalidateAll();
}

void TVedCustomEditor::Redo() {
    if (!CanRedo()) {
        platform::MessageBeep(platform::BeepKind::Default);
        return;
    }
    int32_t para = caretPara_, pos = caretPos_;
    List().Redo(this, para, pos);
    para = std::clamp<int32_t>(para, 1, GetParaCount());
    MoveCaret(para, std::max<int32_t>(pos, 1), false);
    InvalidateAll();
}

// ---------------------------------------------------------------------------------------------
// Events

void TVedCustomEditor::DoOnChange() {
    if (OnChange)
        OnChange(*this);
}

void TVedCustomEditor::DoOnError(uint16_t code) {
    if (code == VedOk)
        return;
    if (!OnError)
        throw EEditorError(code);
    OnError(*this, code);
}

void TVedCustomEditor::DoOnShowStatus(int32_t line, int column) {
    if (OnShowStatus)
        OnShowStatus(*this, line, column);
}

void TVedCustomEditor::DoOnTopLineChanged(int32_t line) {
    if (OnTopLineChanged)
        OnTopLineChanged(*this, line);
}

void TVedCustomEditor::DoOnUserCommand(uint16_t command) {
    if (OnUserCommand)
        OnUserCommand(*this, command);
}

// ---------------------------------------------------------------------------------------------
// Commands

void TVedCustomEditor::ReportingChange(const std::function<void()>& edit) {
    const uint32_t revision = List().Revision();
    try {
        edit();
    } catch (...) {
        // what the edit changed before its error stays in the text
        if (List().Revision() != revision)
            DoOnChange();
        throw;
    }
    if (List().Revision() != revision)
        DoOnChange();
}

bool TVedCustomEditor::ExecuteCommand(uint16_t command, char character) {
    if (command >= ccUser) {
        DoOnUserCommand(command);
        return true;
    }
    // only a command that changed the text reports a change: a refused key reports none
    bool handled = false;
    ReportingChange([&] { handled = DispatchCommand(command, character); });
    return handled;
}

bool TVedCustomEditor::DispatchCommand(uint16_t command, char character) {
    const int32_t line = CaretLine();
    const int column = CaretDisplayColumn();
    const int32_t lastRow = topLine_ + visibleRows_ - 1;
    const bool inView = line >= topLine_ && line <= lastRow;
    auto lineEnd = [this](int32_t l) {
        int32_t para, offset;
        List().ParaOfLine(l, para, offset);
        const int length = List().LineLength(l);
        return offset + length < List().ParaLength(para) && length > 0 ? length : length + 1;
    };
    auto toLineColumn = [this](int32_t l, int c, bool extend) {
        int32_t para, pos;
        ParaOfLineCol(l, c, para, pos);
        MoveCaret(para, pos, extend);
    };
    switch (command) {
    case ccBack:
        BackSpace();
        break;
    case ccBotOfPage:
    case ccExtBotOfPage:
        if (command == ccExtBotOfPage && !inView)
            return true;
        if (!inView)
            ScrollText(0, line - visibleRows_ + 1 - topLine_);
        MoveToLineDisplay(std::min<int32_t>(topLine_ + visibleRows_ - 1, GetLineCount()), column,
                          command == ccExtBotOfPage);
        break;
    case ccTopOfPage:
    case ccExtTopOfPage:
        if (command == ccExtTopOfPage && !inView)
            return true;
        if (!inView)
            ScrollText(0, line - topLine_);
        MoveToLineDisplay(topLine_, column, command == ccExtTopOfPage);
        break;
    case ccCopy:
        CopyToClipboard();
        break;
    case ccCtrlChar:
        break;
    case ccCut:
        CutToClipboard();
        break;
    case ccDel:
        DeleteAtCaret();
        break;
    case ccDelBol: {
        int32_t para, pos;
        ParaOfLineCol(line, 1, para, pos);
        if (List().LineLength(line) == 0 || (para == caretPara_ && pos == caretPos_))
            CollapseSelection();
        else
            DeleteRangeTo(para, pos);
        break;
    }
    case ccDelEol: {
        int32_t para, offset;
        List().ParaOfLine(line, para, offset);
        const int length = List().LineLength(line);
        if (length == 0 || caretPos_ > offset + length) {
            CollapseSelection();
        } else {
            int32_t endPara = para, endPos = offset + length + 1;
            if (endPos <= List().ParaLength(para)) // a wrapped line: up to the next line
                ParaOfLineCol(line + 1, 1, endPara, endPos);
            DeleteRangeTo(endPara, endPos);
        }
        break;
    }
    case ccDelLine:
        DeleteLine();
        break;
    case ccDelWord:
        DeleteWord();
        break;
    case ccDown:
    case ccExtendDown:
        MoveToLineDisplay(line + 1, column, command == ccExtendDown);
        break;
    case ccUp:
    case ccExtendUp:
        MoveToLineDisplay(line - 1, column, command == ccExtendUp);
        break;
    case ccEnd:
    case ccExtendEnd:
        toLineColumn(line, lineEnd(line), command == ccExtendEnd);
        break;
    case ccHome:
    case ccExtendHome:
        toLineColumn(line, 1, command == ccExtendHome);
        break;
    case ccLeft:
    case ccExtendLeft:
        if (caretPos_ > 1)
            MoveCaret(caretPara_, caretPos_ - 1, command == ccExtendLeft);
        else if (wrapAtLeft_ && caretPara_ > 1)
            MoveCaret(caretPara_ - 1, List().ParaLength(caretPara_ - 1) + 1,
                      command == ccExtendLeft);
        else
            MoveCaret(caretPara_, caretPos_, command == ccExtendLeft);
        break;
    case ccRight:
    case ccExtendRight: {
        const int length = List().ParaLength(caretPara_);
        if (caretPos_ <= length)
            MoveCaret(caretPara_, caretPos_ + 1, command == ccExtendRight);
        else if (scrollPastEnd_)
            MoveCaret(caretPara_, std::min(caretPos_ + 1, ParaLengthLimit() + 1),
                      command == ccExtendRight);
        else if (caretPara_ < GetParaCount())
            MoveCaret(caretPara_ + 1, 1, command == ccExtendRight);
        else
            MoveCaret(caretPara_, caretPos_, command == ccExtendRight);
        break;
    }
    case ccNextPage:
    case ccExtendPgDn:
        PageMove(1, command == ccExtendPgDn);
        break;
    case ccPrevPage:
    case ccExtendPgUp:
        PageMove(-1, command == ccExtendPgUp);
        break;
    case ccFirstPage:
    case ccExtFirstPage:
        MoveCaret(1, 1, command == ccExtFirstPage);
        break;
    case ccLastPage:
    case ccExtLastPage: {
        const int32_t last = GetLineCount();
        toLineColumn(last, List().LineLength(last) + 1, command == ccExtLastPage);
        break;
    }
    case ccWordLeft:
    case ccExtWordLeft:
        WordLeft(command == ccExtWordLeft);
        break;
    case ccWordRight:
    case ccExtWordRight:
        WordRight(command == ccExtWordRight);
        break;
    case ccIns:
        SetInsertMode(!InsertMode());
        break;
    case ccNewLine:
        NewLine(InsertMode() && !GetReadOnly());
        break;
    case ccPaste:
        PasteFromClipboard();
        break;
    case ccRedo:
        Redo();
        break;
    case ccUndo:
        Undo();
        break;
    case ccScrollDown:
        ScrollText(0, 1);
        break;
    case ccScrollUp:
        ScrollText(0, -1);
        break;
    case ccTab:
        Tab();
        break;
    case ccChar:
        TypeChar(character);
        break;
    default:
        if (command >= ccGotoMarker0 && command <= ccGotoMarker0 + 9) {
            GotoMarker(static_cast<unsigned char>(character) - '0');
            return true;
        }
        if (command >= ccSetMarker0 && command <= ccSetMarker0 + 9) {
            SetMarker(static_cast<unsigned char>(character) - '0');
            return true;
        }
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Keyboard and focus

bool TVedCustomEditor::focusNextPrevChild(bool next) {
    if (wantTab_)
        return false; // the Tab key is ours
    return QAbstractScrollArea::focusNextPrevChild(next);
}

TVedController* TVedCustomEditor::Controller() const {
    if (controller_)
        return controller_;
    return component_ ? &component_->Controller() : nullptr;
}

// The form that holds the control is the nearest parent with a controller component of its
// own: an MDI child window is a form of its own, though it is no top-level window.
TVedController* TVedCustomEditor::FindController() {
    if (controller_ || component_)
        return Controller();
    for (QWidget* form = parentWidget(); form && !component_; form = form->parentWidget()) {
        component_ =
            form->findChild<TVedControllerComponent*>(QString(), Qt::FindDirectChildrenOnly);
        if (form->isWindow())
            break;
    }
    return Controller();
}

void TVedCustomEditor::keyPressEvent(QKeyEvent* e) {
    // an edit error without a handler ends here as a message, as an unhandled error would
    try {
        HandleKey(e);
    } catch (const EEditorError& error) {
        platform::MessageBox(platform::BoxKind::Error, QString::fromLocal8Bit(error.what()),
                             static_cast<platform::Buttons>(platform::Button::Ok));
    } catch (...) {
        e->ignore();
        platform::ShowFailureLater();
    }
}

void TVedCustomEditor::HandleKey(QKeyEvent* e) {
    TVedController* controller = FindController();
    const platform::KeyStroke stroke = platform::MapKeyEvent(*e);
    uint16_t result = ccNotCommand;
    bool handled = false;
    const bool altOnly = (stroke.shift & platform::KeyShiftAlt) && stroke.virtualKey != 0;
    if (altOnly) {
        if (stroke.virtualKey == vkTab || stroke.virtualKey == vkMenu || !controller) {
            e->ignore();
            return;
        }
        result = controller->EntryCommands().TranslateKey(stroke.virtualKey, ssAlt);
        if (result != ccNone && ExecuteCommand(result, static_cast<char>(stroke.virtualKey)))
            e->accept();
        else
            e->ignore();
        return;
    }
    if (stroke.virtualKey != 0 && controller) {
        result = controller->EntryCommands().TranslateKey(stroke.virtualKey, stroke.shift);
        handled = ExecuteCommand(result, static_cast<char>(stroke.virtualKey));
    }
    if (!handled) {
        if (stroke.virtualKey == vkTab && wantTab_ && (stroke.shift & ~ssShift) == 0)
            handled = ExecuteCommand(ccTab, 0);
        else if (stroke.virtualKey == vkReturn && wantEnter_)
            handled = ExecuteCommand(ccNewLine, 0);
    }
    suppressChar_ = result == ccConsumed || stroke.virtualKey == vkBack;
    if (handled || suppressChar_) {
        e->accept();
        return;
    }
    const QString text = e->text();
    if (!text.isEmpty() && text.at(0).unicode() >= 32 && text.at(0).unicode() != 0x7F) {
        if (stroke.character != 0 && text.size() == 1)
            ExecuteCommand(ccChar, stroke.character);
        else // several characters (a composed key) or none with a code of its own
            TypeText(text);
        e->accept();
        return;
    }
    e->ignore();
}

// Typed text of any origin: each character with a Windows-1252 code goes in as typed; the
// others are refused with a beep.
void TVedCustomEditor::TypeText(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 32 || c.unicode() == 0x7F)
            continue;
        const char ansi = platform::AnsiFromUnicode(c.unicode());
        if (ansi != 0 && platform::IsAnsiCharacter(c))
            ExecuteCommand(ccChar, ansi);
        else
            platform::MessageBeep(platform::BeepKind::Default);
    }
}

void TVedCustomEditor::inputMethodEvent(QInputMethodEvent* e) {
    try {
        TypeText(e->commitString());
    } catch (const EEditorError& error) {
        platform::MessageBox(platform::BoxKind::Error, QString::fromLocal8Bit(error.what()),
                             static_cast<platform::Buttons>(platform::Button::Ok));
    } catch (...) {
        platform::ShowFailureLater();
    }
    e->accept();
}

QVariant TVedCustomEditor::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImCursorRectangle:
        return CaretRect();
    case Qt::ImFont:
        return font_.Font();
    case Qt::ImEnabled:
        return !GetReadOnly();
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void TVedCustomEditor::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    if (TVedController* controller = FindController())
        carets_.SetInsertMode(controller->InsertMode());
    RestartBlink();
    UpdateCaret();
    if (hideSelection_)
        InvalidateAll();
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (AfterEnter)
                AfterEnter(*this);
        },
        Qt::QueuedConnection);
}

void TVedCustomEditor::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    blinkTimer_.stop();
    viewport()->update(CaretRect());
    if (hideSelection_)
        InvalidateAll();
    if (TVedController* controller = Controller())
        controller->SetInsertMode(InsertMode());
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (AfterExit)
                AfterExit(*this);
        },
        Qt::QueuedConnection);
}

// Whether a key press is one of ours, so that no shortcut of the window takes it first.
// Asks the tables without running the processor, whose sequence state must not move twice.
bool TVedCustomEditor::WantsKey(const QKeyEvent& e) {
    const platform::KeyStroke stroke = platform::MapKeyEvent(e);
    if (stroke.virtualKey == 0)
        return stroke.character != 0;
    TVedController* controller = FindController();
    if (!controller)
        return false;
    TVedCommandProcessor& commands = controller->EntryCommands();
    if (commands.SequenceState() != 0)
        return true;
    const uint8_t mask = stroke.shift & (ssShift | ssCtrl | ssAlt);
    for (int t = 0; t < commands.Count(); ++t) {
        const TVedCommandTable& table = commands.Table(t);
        if (!table.IsActive())
            continue;
        for (int i = 0; i < table.Count(); ++i) {
            const TVedCmdRec& entry = table.Get(i);
            if (entry.Key1 == stroke.virtualKey && entry.Shift1 == mask)
                return entry.Command != ccNone;
        }
    }
    // Unbound keys the editor still uses: typed characters, and Tab and Enter when wanted.
    // Any other key (Esc, function keys) is left to the window's shortcuts.
    if (mask & (ssCtrl | ssAlt))
        return false;
    if (stroke.virtualKey == vkTab)
        return wantTab_;
    if (stroke.virtualKey == vkReturn)
        return wantEnter_;
    const auto c = static_cast<unsigned char>(stroke.character);
    return c >= 32 && c != 0x7F;
}

bool TVedCustomEditor::event(QEvent* e) {
    if (e->type() == QEvent::Show) {
        FindController();
        if (caretPending_) // placed while hidden
            MakeCaretVisible();
        caretPending_ = topLineSet_ = false;
    }
    if (e->type() == QEvent::ShortcutOverride && WantsKey(*static_cast<QKeyEvent*>(e))) {
        e->accept();
        return true;
    }
    if (e->type() == QEvent::EnabledChange || e->type() == QEvent::FontChange)
        InvalidateAll();
    return QAbstractScrollArea::event(e);
}

} // namespace ved
