// The editor control: a paragraph-based plain-text editor with word wrap, a fixed-pitch font,
// insert and overwrite carets, bookmarks, undo, find and replace and the clipboard. Its key
// bindings come from the form's controller; its text is a paragraph list that several editors
// may share. Text is Windows-1252 inside; typing and pasting convert at the boundary.
#pragma once

#include "editor/paralist.h"
#include "editor/vedcontroller.h"
#include "editor/widgets/vedcaret.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRawFont>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace ved {

// Holds the form's controller: every editor of the form (its nearest parent with such a
// component, a window or an MDI child) that has none of its own takes it.
class TVedControllerComponent : public QObject {
    Q_OBJECT
public:
    explicit TVedControllerComponent(QObject* parent = nullptr) : QObject(parent) {}
    TVedController& Controller() { return controller_; }

private:
    TVedController controller_;
};

enum class TTabType { ttReal, ttFixed, ttSmart };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// Find and replace options.
enum TVedSearchOption : int {
    soBackwards = 0x02,
    soMatchCase = 0x04,
    soFromScope = 0x08,
    soReplaceOnce = 0x10,
    soReplaceAll = 0x20,
    soWholeWords = 0x40,
    soInSelection = 0x80,
};

// What the line painting hook gets for one row.
struct TVedDrawLine {
    QRect rect;
    const char* text = nullptr; // the row's text, tabs expanded, from the left column on
    int length = 0;
    int32_t line = 0;
    int leftColumn = 0;
    int visibleColumns = 0;
    int32_t selBeginLine = 0, selBeginColumn = 0, selEndLine = 0, selEndColumn = 0;
};

class TVedCustomEditor : public QAbstractScrollArea, public TVedRingMember {
    Q_OBJECT
public:
    explicit TVedCustomEditor(QWidget* parent = nullptr);
    ~TVedCustomEditor() override;

    // --- controller
    // The controller set, else the form's first controller component (forgotten when it goes).
    TVedController* Controller() const;
    void SetController(TVedController* controller) { controller_ = controller; }

    // --- properties
    bool BorderSingle() const { return frameShape() != QFrame::NoFrame; }
    void SetBorderSingle(bool single) {
        setFrameShape(single ? QFrame::StyledPanel : QFrame::NoFrame);
    }
    bool AutoIndent() const { return autoIndent_; }
    void SetAutoIndent(bool on) { autoIndent_ = on; }
    int32_t ByteLimit() const { return ParaList()->ByteLimit(); }
    virtual void SetByteLimit(int32_t limit);
    TVedCaretPair& Carets() { return carets_; }
    TVedFixedFont& FixedFont() { return font_; }
    TVedColors& HighlightColors() { return highlight_; }
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool on);
    bool InsertMode() const { return carets_.InsertMode(); }
    void SetInsertMode(bool on);
    int LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(int margin);
    int RightMargin() const { return rightMargin_; }
    void SetRightMargin(int margin);
    int ParaLengthLimit() const { return ParaList()->ParaLengthLimit(); }
    void SetParaLengthLimit(int limit);
    int32_t ParaLimit() const { return ParaList()->ParaLimit(); }
    void SetParaLimit(int32_t limit);
    bool ReadOnly() const { return GetReadOnly(); }
    void SetReadOnly(bool on) { readOnly_ = on; }
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle style);
    bool ScrollBarsAlways() const { return scrollBarsAlways_; }
    void SetScrollBarsAlways(bool on);
    bool ScrollPastEnd() const { return scrollPastEnd_; }
    void SetScrollPastEnd(bool on);
    bool ShowBookmarks() const { return showBookmarks_; }
    void SetShowBookmarks(bool on);
    int TabSize() const { return ParaList()->TabSize(); }
    void SetTabSize(int size);
    TTabType TabType() const { return tabType_; }
    void SetTabType(TTabType type);
    bool TrimWhiteSpace() const { return trimWhiteSpace_; }
    void SetTrimWhiteSpace(bool on) { trimWhiteSpace_ = on; }
    int UndoBufferSize() const { return ParaList()->UndoBufferSize(); }
    void SetUndoBufferSize(int size);
    bool WantEnter() const { return wantEnter_; }
    void SetWantEnter(bool on) { wantEnter_ = on; }
    bool WantTab() const { return wantTab_; }
    void SetWantTab(bool on) { wantTab_ = on; }
    bool WordWrap() const { return ParaList()->WordWrap(); }
    void SetWordWrap(bool on);
    bool WrapAtLeft() const { return wrapAtLeft_; }
    void SetWrapAtLeft(bool on);
    int WrapColumn() const { return ParaList()->WrapColumn(); }
    void SetWrapColumn(int column);
    bool WrapToWindow() const { return wrapToWindow_; }
    void SetWrapToWindow(bool on);
    const std::string& WordDelimiters() const { return delimiters_; }
    void SetWordDelimiters(const std::string& delimiters);
    bool IsDelimiter(char c) const;

    // --- events
    std::function<void(TVedCustomEditor&)> OnChange;
    std::function<void(TVedCustomEditor&, uint16_t& code)> OnError;
    std::function<void(TVedCustomEditor&, int32_t line, int column)> OnShowStatus;
    std::function<void(TVedCustomEditor&, int32_t line)> OnTopLineChanged;
    std::function<void(TVedCustomEditor&, uint16_t command)> OnUserCommand;
    std::function<void(TVedCustomEditor&, QPainter&, const TVedDrawLine&, bool& wasDrawn)>
        OnDrawLine;
    std::function<void(TVedCustomEditor&)> AfterEnter;
    std::function<void(TVedCustomEditor&)> AfterExit;

    // --- text and positions (lines, paragraphs, positions and columns are 1-based)
    uint16_t AppendPara(const std::string& text);
    void Clear() { ClearAll(true); }
    void ClearAll(bool refresh);
    bool CanUndo() const;
    bool CanRedo() const;
    int32_t GetCaretPosition(int& column) const;
    int CaretDisplayColumn() const;
    void SetCaretPosition(int32_t line, int column);
    int32_t CaretPara() const { return caretPara_; }
    int32_t CaretPos() const { return caretPos_; }
    bool GetSelection(int32_t& startLine, int& startColumn, int32_t& endLine, int& endColumn) const;
    void SetSelection(int32_t startLine, int startColumn, bool caretAtEnd, int endColumn,
                      int32_t endLine);
    bool HasSelection() const { return selStartPara_ != selEndPara_ || selStartPos_ != selEndPos_; }
    std::string SelectedText() const; // paragraphs joined with CR LF
    std::string GetCurrentWord() const;
    std::string GetLineString(int32_t line) const; // tabs expanded
    int GetLineLength(int32_t line) const;
    std::string GetPara(int32_t paragraph) const;
    int32_t GetParaCount() const { return ParaList()->ParaCount(); }
    int32_t GetLineCount() const { return ParaList()->LineCount(); }
    int32_t GetByteCount() const { return ParaList()->ByteCount(); }
    std::string Text() const; // paragraphs joined with '\n'
    bool GetModified() const { return ParaList()->Modified(); }
    void SetModified(bool modified);
    int32_t GetTopLine() const { return topLine_; }
    void SetTopLine(int32_t line);
    int LeftColumn() const { return leftColumn_; }
    int VisibleRows() const { return visibleRows_; }
    int VisibleColumns() const { return visibleColumns_; }
    int CharWidth() const { return charWidth_; }
    int LineHeight() const { return lineHeight_; }
    void GotoMarker(int n);
    void ParaToLine(int32_t& paraLine, int32_t& posColumn) const;
    uint16_t InsertText(const std::string& text);
    bool Search(const std::string& findText, int options);
    void ResetScrollBars(bool repaint);
    // Shares `other`'s text; this editor's own text is dropped.
    virtual void Attach(TVedCustomEditor* other);
    // Where the caret is drawn (viewport coordinates), empty when it is not shown.
    QRect CaretRect() const;
    bool CaretShown() const { return caretVisible_ && hasFocus(); }

    // --- overridable operations
    virtual void DoOnChange();
    virtual void DoOnError(uint16_t code);
    virtual void DoOnShowStatus(int32_t line, int column);
    virtual void DoOnTopLineChanged(int32_t line);
    virtual void DoOnUserCommand(uint16_t command);
    virtual void ScrollText(int columnDelta, int32_t lineDelta);
    virtual void ClearMarker(int n);
    virtual void CopyToClipboard();
    virtual void CutToClipboard();
    virtual void PasteFromClipboard();
    virtual bool ExecuteCommand(uint16_t command, char character);
    // Runs an edit and reports a change of the text (OnChange) when it made one, also when it
    // ends by an error, which then goes on to the caller.
    void ReportingChange(const std::function<void()>& edit);
    virtual void Redo();
    virtual int Replace(const std::string& findText, const std::string& replaceText, int options);
    virtual void SetMarker(int n);
    virtual void SetMarkerAt(int n, int32_t line, int column);
    virtual void Undo();

protected:
    // Hooks called on every editor of the ring after the shared text changed. InsertedPara:
    // the paragraph was split at the position, the new one starting with `indent` blanks; a
    // split at position 1 is a new paragraph taking that number. JoinedPara: paragraph + 1
    // was appended at the position.
    virtual void DeletedPara(int32_t /*paragraph*/) {}
    virtual void DeletedText(int32_t /*paragraph*/, int32_t /*position*/, int32_t /*count*/) {}
    virtual void InsertedPara(int32_t /*paragraph*/, int32_t /*position*/, int32_t /*indent*/) {}
    virtual void InsertedText(int32_t /*paragraph*/, int32_t /*position*/, int32_t /*count*/) {}
    virtual void JoinedPara(int32_t /*paragraph*/, int32_t /*position*/) {}
    // Paints one row itself; true when it did.
    virtual bool DoOnDrawLine(QPainter& painter, const TVedDrawLine& line);
    // Draws display characters from x on as one run of glyphs, each placed on its own column of
    // the character width: the font's own advance may differ from it by a fraction that would
    // add up along the text. Placed glyphs also skip the text layout a drawn string costs.
    void DrawOnColumns(QPainter& painter, int x, int baseline, std::string_view text) const;
    virtual bool GetReadOnly() const { return readOnly_; }

    void ParaListChanged(const TParaChange& change, const TVedRingMember* actor) override;

    bool event(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void HandleKey(QKeyEvent* e);
    void TypeText(const QString& text);
    bool WantsKey(const QKeyEvent& e);
    void inputMethodEvent(QInputMethodEvent* e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void scrollContentsBy(int, int) override {}
    bool focusNextPrevChild(bool next) override;

    TParaList& List() const { return *ParaList(); }

private:
    // --- positions
    void LineOfPara(int32_t para, int32_t pos, int32_t& line, int& column) const;
    void ParaOfLineCol(int32_t line, int column, int32_t& para, int32_t& pos) const;
    int DisplayColumnOf(int32_t line, int column) const;
    int ColumnOfDisplay(int32_t line, int displayColumn) const;
    int32_t CaretLine() const;
    bool PosBefore(int32_t p1, int32_t x1, int32_t p2, int32_t x2) const {
        return p1 < p2 || (p1 == p2 && x1 < x2);
    }

    // --- caret and selection
    void MoveCaret(int32_t para, int32_t pos, bool extend, bool pageMove = false,
                   int32_t oldLine = 0);
    void MoveToLineDisplay(int32_t line, int displayColumn, bool extend, bool pageMove = false);
    void SetCaretPara(int32_t para, int32_t pos); // after an edit: collapses the selection
    void CollapseSelection();
    void InvalidateSelectionChange(int32_t oldStartPara, int32_t oldStartPos, int32_t oldEndPara,
                                   int32_t oldEndPos);
    void WordLeft(bool extend);
    void WordRight(bool extend);
    void PageMove(int direction, bool extend);
    int PageSize() const { return visibleRows_ > 1 ? visibleRows_ - 1 : 1; }

    // --- edits
    bool DispatchCommand(uint16_t command, char character); // ExecuteCommand below the user range
    uint16_t DeleteSelection();
    void DeleteAtCaret();
    void BackSpace();
    void TypeChar(char c);
    void NewLine(bool split);
    void Tab();
    void DeleteRangeTo(int32_t para, int32_t pos); // from the caret
    void DeleteLine();
    void DeleteWord();

    // --- view
    void CalcMetrics();
    void UpdateScrollBars();
    void MakeCaretVisible(bool pageMove = false, int32_t oldLine = 0, int32_t oldCaretLine = 0);
    void UpdateCaret();
    void PostStatus();
    void InvalidateLines(int32_t first, int32_t last);
    void InvalidateAll();
    void ApplyWrapToWindow();
    void SetTopLineInternal(int32_t line);
    void OnVerticalScroll(int value);
    void OnHorizontalScroll(int value);
    void MouseToText(QPoint point, int32_t& line, int& column) const;
    void DragTo(QPoint point);
    void AutoScrollTick();
    void BlinkTick();
    void RestartBlink();
    void PaintRow(QPainter& painter, int row, int32_t line, bool drawSelection);
    void LoadBookmarkGlyphs();

    TVedController* FindController();

    TVedController* controller_ = nullptr;
    QPointer<TVedControllerComponent> component_;
    TVedCaretPair carets_;
    TVedFixedFont font_;
    TVedColors highlight_;

    bool autoIndent_ = false;
    bool hideSelection_ = true;
    int leftMargin_ = 15;
    int rightMargin_ = 5;
    bool readOnly_ = false;
    TScrollStyle scrollBars_ = TScrollStyle::ssBoth;
    bool scrollBarsAlways_ = false;
    bool scrollPastEnd_ = false;
    bool showBookmarks_ = true;
    TTabType tabType_ = TTabType::ttReal;
    bool trimWhiteSpace_ = true;
    bool wantEnter_ = true;
    bool wantTab_ = false;
    bool wrapAtLeft_ = true;
    bool wrapToWindow_ = false;
    std::string delimiters_;

    // caret, selection and anchor as (paragraph, position)
    int32_t caretPara_ = 1, caretPos_ = 1;
    int32_t selStartPara_ = 1, selStartPos_ = 1, selEndPara_ = 1, selEndPos_ = 1;
    int32_t anchorPara_ = 1, anchorPos_ = 1;

    // view
    int32_t topLine_ = 1;
    int32_t topPara_ = 1, topPos_ = 1; // where the top line starts, to follow edits
    int leftColumn_ = 0;
    int charWidth_ = 8;
    int lineHeight_ = 16;
    int visibleColumns_ = 1;
    int visibleRows_ = 1;
    int vScale_ = 1;
    bool settingBars_ = false;
    bool suppressChar_ = false;
    bool statusPosted_ = false;
    // while hidden: the caret moved out of the view / a top line was set
    bool caretPending_ = false;
    bool topLineSet_ = false;

    // caret drawing
    bool caretVisible_ = true; // blink phase
    QRect caretDrawn_;         // where the caret was last placed
    QTimer blinkTimer_;

    // mouse
    bool marginMode_ = false;
    bool dragging_ = false;
    bool dragMargin_ = false;
    int32_t dragAnchorLine_ = 0;
    QPoint lastMouse_;
    QTimer autoScrollTimer_;

    QImage markers_;
    QRawFont glyphFont_; // the fixed font's glyphs, placed on their columns
};

// The editor as forms place it.
class TVedEditor : public TVedCustomEditor {
    Q_OBJECT
public:
    using TVedCustomEditor::TVedCustomEditor;
};

// An editor bound to one text file, a paragraph per line.
class TVedCustomTextFileEditor : public TVedCustomEditor {
    Q_OBJECT
public:
    using TVedCustomEditor::TVedCustomEditor;

    const std::string& BackupExt() const { return backupExt_; }
    void SetBackupExt(const std::string& ext) { backupExt_ = ext.substr(0, 3); }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name);
    bool MakeBackup() const { return makeBackup_; }
    void SetMakeBackup(bool on) { makeBackup_ = on; }
    bool IsOpen() const { return isOpen_; }
    void SetIsOpen(bool open);

    // Throw std::system_error (file errors) or EEditorError (the text does not fit); a failed
    // load leaves the editor closed and empty, a failed save leaves the file as it was.
    virtual void LoadFromFile(const std::string& name);
    virtual void SaveToFile(const std::string& name);

    void Attach(TVedCustomEditor* other) override;

    // The name with a trailing '.' cut (a name of one '.' stays).
    static std::string CutTrailingDot(const std::string& name);

private:
    std::string backupExt_ = "BAK";
    std::string fileName_;
    bool makeBackup_ = false;
    bool isOpen_ = false;
};

} // namespace ved
