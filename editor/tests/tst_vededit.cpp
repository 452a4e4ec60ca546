// The editor control driven by real key and mouse events, headless.
#include "editor/vedexcept.h"
#include "editor/widgets/vededit.h"
#include "platform/qt/dialogs.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <climits>
#include <cmath>
#include <memory>
#include <optional>

using namespace ved;

namespace {

// A form as the programs build it: a controller component and the editors.
struct Form {
    QWidget window;
    TVedControllerComponent* controller = new TVedControllerComponent(&window);
    QVBoxLayout* layout = new QVBoxLayout(&window);
    TVedEditor* editor = new TVedEditor(&window);
    QList<uint16_t> errors;
    int changes = 0;

    Form() {
        layout->addWidget(editor);
        window.resize(400, 300);
        editor->Carets().CaretIns()->SetBlinkTime(30000); // no blinking during a test
        editor->Carets().CaretOvr()->SetBlinkTime(30000);
        editor->OnError = [this](TVedCustomEditor&, uint16_t& code) { errors << code; };
        editor->OnChange = [this](TVedCustomEditor&) { ++changes; };
    }
    bool Show() {
        window.show();
        QApplication::setActiveWindow(&window);
        if (!QTest::qWaitForWindowActive(&window))
            return false;
        editor->setFocus();
        QApplication::processEvents();
        return editor->hasFocus();
    }
    void Fill(int paragraphs, const std::string& prefix = "Zeile ") {
        for (int i = 1; i <= paragraphs; ++i)
            editor->AppendPara(prefix + std::to_string(i));
    }
};

int CountColor(const QImage& image, QColor color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == color)
                ++n;
    return n;
}

QPoint CellCenter(TVedCustomEditor* e, int32_t line, int column) {
    return QPoint(e->LeftMargin() + (column - 1 - e->LeftColumn()) * e->CharWidth() + 1,
                  int(line - e->GetTopLine()) * e->LineHeight() + e->LineHeight() / 2);
}

// A paint device that counts the text items painting hands its engine: a glyph run is one item,
// a character drawn on its own one item each.
class TextItemCounter : public QPaintDevice {
public:
    explicit TextItemCounter(QSize size) : size_(size) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    int TextItems() const { return engine_.items; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmWidthMM:
            return size_.width() * 254 / 960;
        case PdmHeightMM:
            return size_.height() * 254 / 960;
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        default:
            return QPaintDevice::metric(m);
        }
    }

private:
    struct Engine : QPaintEngine {
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}
        void drawRects(const QRectF*, int) override {}
        void drawTextItem(const QPointF&, const QTextItem&) override { ++items; }
        Type type() const override { return User; }
        int items = 0;
    };
    QSize size_;
    mutable Engine engine_;
};

} // namespace

// An editor keeping a mark per paragraph through the hooks, as the BASIC editor keeps its
// breakpoints: a mark moves with its paragraph, never with a break typed after its text.
class MarkingEditor : public TVedEditor {
public:
    using TVedEditor::TVedEditor;
    int32_t mark = 0;

protected:
    void InsertedPara(int32_t paragraph, int32_t position, int32_t) override {
        if (mark > paragraph || (mark == paragraph && position == 1))
            ++mark;
    }
    void DeletedPara(int32_t paragraph) override {
        if (mark > paragraph)
            --mark;
    }
    void JoinedPara(int32_t paragraph, int32_t) override {
        if (mark > paragraph)
            --mark;
    }
};

class TestVedEdit : public QObject {
    Q_OBJECT

private slots:
    void typingAndCaret() {
        Form f;
        QVERIFY(f.Show());
        QTest::keyClicks(f.editor, "Hallo");
        QCOMPARE(f.editor->Text(), std::string("Hallo"));
        QCOMPARE(f.editor->CaretPos(), 5 + 1);
        QVERIFY(f.editor->GetModified());
        QCOMPARE(f.changes, 5);
        QTest::keyClick(f.editor, Qt::Key_Left);
        QTest::keyClick(f.editor, Qt::Key_Left);
        QTest::keyClicks(f.editor, "x");
        QCOMPARE(f.editor->Text(), std::string("Halxlo"));
        QTest::keyClick(f.editor, Qt::Key_Return);
        QCOMPARE(f.editor->Text(), std::string("Halx\nlo"));
        QCOMPARE(f.editor->CaretPara(), 2);
        QCOMPARE(f.editor->CaretPos(), 1);
        QTest::keyClick(f.editor, Qt::Key_Backspace);
        QCOMPARE(f.editor->Text(), std::string("Halxlo"));
        QCOMPARE(f.editor->CaretPos(), 5);
        QTest::keyClick(f.editor, Qt::Key_Delete);
        QCOMPARE(f.editor->Text(), std::string("Halxo"));
        // overwrite mode replaces the character under the caret
        QTest::keyClick(f.editor, Qt::Key_Insert);
        QVERIFY(!f.editor->InsertMode());
        QTest::keyClicks(f.editor, "Y");
        QCOMPARE(f.editor->Text(), std::string("HalxY"));
        QTest::keyClick(f.editor, Qt::Key_Home);
        QCOMPARE(f.editor->CaretPos(), 1);
        QTest::keyClick(f.editor, Qt::Key_End);
        QCOMPARE(f.editor->CaretPos(), 6);
        // undo groups come back one by one; undo with nothing left beeps
        platform::DialogRecorder recorder;
        for (int i = 0; i < 20; ++i)
            QTest::keyClick(f.editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.editor->Text(), std::string(""));
        QVERIFY(!recorder.Beeps().empty());
        QTest::keyClick(f.editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.editor->Text(), std::string("Hallo"));
    }

    void typedRunsUndoAsOne() {
        Form f;
        QVERIFY(f.Show());
        QTest::keyClicks(f.editor, "Hallo Welt");
        QTest::keyClick(f.editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.editor->Text(), std::string(""));
        QTest::keyClick(f.editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.editor->Text(), std::string("Hallo Welt"));
        // a run typed elsewhere is a step of its own
        QTest::keyClick(f.editor, Qt::Key_Home);
        QTest::keyClicks(f.editor, ">> ");
        QTest::keyClick(f.editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.editor->Text(), std::string("Hallo Welt"));
        // overwriting a run, also one that grows the text past its end, undoes in one step
        QTest::keyClick(f.editor, Qt::Key_Home);
        QTest::keyClick(f.editor, Qt::Key_Right);
        QTest::keyClick(f.editor, Qt::Key_Right);
        QTest::keyClick(f.editor, Qt::Key_Right);
        QTest::keyClick(f.editor, Qt::Key_Right);
        QTest::keyClick(f.editor, Qt::Key_Right);
        QTest::keyClick(f.editor, Qt::Key_Right);
        QTest::keyClick(f.editor, Qt::Key_Insert);
        QTest::keyClicks(f.editor, "Wo");
        QCOMPARE(f.editor->Text(), std::string("Hallo Wolt"));
        QTest::keyClick(f.editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.editor->Text(), std::string("Hallo Welt"));
        QTest::keyClick(f.editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.editor->Text(), std::string("Hallo Wolt"));
        QTest::keyClick(f.editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.editor->Text(), std::string("Hallo Welt"));
        // typing over a selection is one step with the deletion
        f.editor->SetSelection(1, 1, true, 6, 1);
        QTest::keyClick(f.editor, Qt::Key_Insert);
        QTest::keyClicks(f.editor, "Xy");
        QCOMPARE(f.editor->Text(), std::string("Xy Welt"));
        QTest::keyClick(f.editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.editor->Text(), std::string("Hallo Welt"));
    }

    void deletingALineAgainAfterItsUndo() {
        Form f;
        QVERIFY(f.Show());
        f.Fill(3);
        for (int round = 0; round < 2; ++round) {
            f.editor->SetCaretPosition(2, 1);
            QTest::keyClick(f.editor, Qt::Key_Down, Qt::ShiftModifier);
            QTest::keyClick(f.editor, Qt::Key_Delete);
            QCOMPARE(f.editor->Text(), std::string("Zeile 1\nZeile 3\n"));
            QTest::keyClick(f.editor, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(f.editor->Text(), std::string("Zeile 1\nZeile 2\nZeile 3\n"));
        }
    }

    void scrollingLeavesNoCaretBehind() {
        Form f;
        f.window.resize(300, 200);
        QVERIFY(f.Show());
        f.Fill(60);
        f.editor->SetCaretPosition(1, 1);
        QApplication::processEvents();
        // what the screen shows after each scroll must be what a full repaint draws
        auto screen = [&] {
            QApplication::processEvents();
            return f.window.screen()->grabWindow(f.window.winId()).toImage();
        };
        const int32_t rows = f.editor->VisibleRows();
        for (int i = 0; i < rows + 3; ++i) {
            QTest::keyClick(f.editor, Qt::Key_Down);
            QApplication::processEvents(); // painted before the next scroll
        }
        QVERIFY(f.editor->GetTopLine() > 1);
        const QImage scrolled = screen();
        f.editor->viewport()->update();
        QCOMPARE(scrolled, screen());
        QWheelEvent wheel(QPointF(50, 50), f.editor->mapToGlobal(QPointF(50, 50)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        const int32_t top = f.editor->GetTopLine();
        QApplication::sendEvent(f.editor->viewport(), &wheel);
        QVERIFY(f.editor->GetTopLine() > top);
        const QImage wheeled = screen();
        f.editor->viewport()->update();
        QCOMPARE(wheeled, screen());
    }

    void undoingALineBreakReturnsToWhereItWasTyped() {
        Form f;
        QVERIFY(f.Show());
        f.editor->InsertText("eins\nzwei");
        for (int32_t column : {5, 3}) { // at the line's end and inside it
            f.editor->SetCaretPosition(1, column);
            QTest::keyClick(f.editor, Qt::Key_Return);
            QCOMPARE(f.editor->CaretPara(), 2);
            QTest::keyClick(f.editor, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(f.editor->Text(), std::string("eins\nzwei"));
            QCOMPARE(f.editor->CaretPara(), 1);
            QCOMPARE(f.editor->CaretPos(), column);
        }
    }

    void charactersWithoutCodeAreRefused() {
        Form f;
        QVERIFY(f.Show());
        platform::DialogRecorder recorder;
        QKeyEvent omega(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(0x03A9)));
        QApplication::sendEvent(f.editor, &omega);
        QCOMPARE(f.editor->Text(), std::string(""));
        QCOMPARE(recorder.Beeps().size(), size_t(1));
        QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_Udiaeresis, Qt::NoModifier,
                         QString(QChar(0x00FC)));
        QApplication::sendEvent(f.editor, &umlaut);
        QCOMPARE(f.editor->Text(), std::string("\xFC"));
        // composed text from an input method: the coded characters go in, the others beep
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("\u00E9\u20AC\u0101"));
        QApplication::sendEvent(f.editor, &composed);
        QCOMPARE(f.editor->Text(), std::string("\xFC\xE9\x80"));
        QCOMPARE(recorder.Beeps().size(), size_t(2));
        recorder.Clear();
        f.editor->SetCaretPosition(1, 2);
        f.editor->ExecuteCommand(ccDelEol, 0);
        // a paste with such a character is refused whole
        QApplication::clipboard()->setText(QStringLiteral("ab\u03A9"));
        QTest::keyClick(f.editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.editor->Text(), std::string("\xFC"));
        QCOMPARE(recorder.Beeps().size(), size_t(1));
    }

    void selectionAndClipboard() {
        Form f;
        QVERIFY(f.Show());
        f.editor->InsertText("eins zwei\r\ndrei");
        QCOMPARE(f.editor->GetParaCount(), 2);
        QTest::keyClick(f.editor, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(f.editor, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(f.editor->CaretPos(), 6);
        QTest::keyClick(f.editor, Qt::Key_Down, Qt::ShiftModifier);
        int32_t l1, l2;
        int c1, c2;
        QVERIFY(f.editor->GetSelection(l1, c1, l2, c2));
        QCOMPARE(l1, 1);
        QCOMPARE(c1, 6);
        QCOMPARE(l2, 2);
        QCOMPARE(c2, 5);
        QCOMPARE(f.editor->SelectedText(), std::string("zwei\r\ndrei"));
        QTest::keyClick(f.editor, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(f.editor->Text(), std::string("eins "));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("zwei\r\ndrei"));
        QTest::keyClick(f.editor, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(f.editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.editor->Text(), std::string("eins zwei\ndreizwei\ndrei"));
        // typing over a selection replaces it, also in overwrite mode
        QTest::keyClick(f.editor, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClick(f.editor, Qt::Key_Insert);
        QTest::keyClicks(f.editor, "Q");
        QCOMPARE(f.editor->Text(), std::string("eins zwei\ndreizwei\nQ"));
        // a plain move collapses the selection
        QTest::keyClick(f.editor, Qt::Key_Left, Qt::ShiftModifier);
        QVERIFY(f.editor->HasSelection());
        QTest::keyClick(f.editor, Qt::Key_Left);
        QVERIFY(!f.editor->HasSelection());
    }

    void backspaceNeverReachesRight() {
        Form f;
        QVERIFY(f.Show());
        f.editor->InsertText("ab\ncd");
        f.editor->SetWrapAtLeft(false);
        f.editor->SetCaretPosition(2, 1);
        QTest::keyClick(f.editor, Qt::Key_Backspace);
        QCOMPARE(f.editor->Text(), std::string("abcd"));
        QCOMPARE(f.editor->CaretPos(), 3);
        // with the caret past the end only the caret moves; the next line stays
        f.editor->SetCaretPosition(1, 5);
        f.editor->InsertText("\nef");
        f.editor->SetScrollPastEnd(true);
        f.editor->SetCaretPosition(1, 8);
        QTest::keyClick(f.editor, Qt::Key_Backspace);
        QCOMPARE(f.editor->Text(), std::string("abcd\nef"));
        QCOMPARE(f.editor->CaretPos(), 7);
        // at the very start nothing happens
        f.editor->SetCaretPosition(1, 1);
        QTest::keyClick(f.editor, Qt::Key_Backspace);
        QCOMPARE(f.editor->Text(), std::string("abcd\nef"));
    }

    void newLineAtEndKeepsMarks() {
        Form f;
        QVERIFY(f.Show());
        f.editor->InsertText("eins\n\ndrei");
        f.editor->SetCaretPosition(2, 1); // the empty line
        QTest::keyClick(f.editor, Qt::Key_2, Qt::ControlModifier | Qt::ShiftModifier);
        f.editor->SetCaretPosition(1, 5); // end of "eins"
        QTest::keyClick(f.editor, Qt::Key_1, Qt::ControlModifier | Qt::ShiftModifier);
        f.editor->SetCaretPosition(2, 1);
        QTest::keyClick(f.editor, Qt::Key_Return);
        f.editor->SetCaretPosition(1, 5);
        QTest::keyClick(f.editor, Qt::Key_Return);
        QCOMPARE(f.editor->Text(), std::string("eins\n\n\n\ndrei"));
        f.editor->SetCaretPosition(5, 1);
        QTest::keyClick(f.editor, Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(f.editor->CaretPara(), 3);
        QTest::keyClick(f.editor, Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(f.editor->CaretPara(), 1);
        QCOMPARE(f.editor->CaretPos(), 5);
        // a marker number comes from the key
        f.editor->SetCaretPosition(5, 1);
        QVERIFY(f.editor->ExecuteCommand(ccGotoMarker0, 'A'));
        QCOMPARE(f.editor->CaretPara(), 5);
        // splitting inside the text does move the tail's marks
        f.editor->SetCaretPosition(5, 2);
        QTest::keyClick(f.editor, Qt::Key_3, Qt::ControlModifier | Qt::ShiftModifier);
        f.editor->SetCaretPosition(5, 1);
        QTest::keyClick(f.editor, Qt::Key_Return);
        QTest::keyClick(f.editor, Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(f.editor->CaretPara(), 6);
        QCOMPARE(f.editor->CaretPos(), 2);
        // a split after nothing but blanks moves the whole line down: its undo brings the line
        // back with its mark
        f.editor->Clear();
        f.editor->InsertText("  vier");
        f.editor->SetCaretPosition(1, 3);
        QTest::keyClick(f.editor, Qt::Key_4, Qt::ControlModifier | Qt::ShiftModifier);
        f.editor->SetCaretPosition(1, 2);
        QTest::keyClick(f.editor, Qt::Key_Return);
        QCOMPARE(f.editor->Text(), std::string("\n vier"));
        QTest::keyClick(f.editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.editor->Text(), std::string("  vier"));
        f.editor->SetCaretPosition(1, 1);
        QTest::keyClick(f.editor, Qt::Key_4, Qt::ControlModifier);
        QCOMPARE(f.editor->CaretPos(), 3);
    }

    void paragraphHooksKeepMarks() {
        Form f;
        auto* editor = new MarkingEditor(&f.window);
        editor->OnError = [](TVedCustomEditor&, uint16_t&) {};
        f.layout->addWidget(editor);
        QVERIFY(f.Show());
        editor->setFocus();
        editor->InsertText("10 A=1\n\n30 END");
        editor->mark = 2; // on the empty line
        editor->SetCaretPosition(2, 1);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(editor->mark, 2);
        editor->mark = 1;
        editor->SetCaretPosition(1, 7);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(editor->mark, 1);
        // a break before the text moves it down with the text
        editor->SetCaretPosition(1, 1);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(editor->mark, 2);
        QCOMPARE(editor->GetPara(2), std::string("10 A=1"));
        // joining the line above it onto the one before moves it up
        editor->SetCaretPosition(2, 1);
        QTest::keyClick(editor, Qt::Key_Backspace);
        QCOMPARE(editor->mark, 1);
        QCOMPARE(editor->GetPara(1), std::string("10 A=1"));
    }

    void autoIndentAndTabs() {
        Form f;
        QVERIFY(f.Show());
        f.editor->SetAutoIndent(true);
        f.editor->SetTabType(TTabType::ttFixed);
        f.editor->SetTabSize(4);
        f.editor->SetWantTab(true);
        QTest::keyClicks(f.editor, "  ab");
        QTest::keyClick(f.editor, Qt::Key_Return);
        QTest::keyClicks(f.editor, "c");
        QCOMPARE(f.editor->Text(), std::string("  ab\n  c"));
        QTest::keyClick(f.editor, Qt::Key_Tab);
        QCOMPARE(f.editor->Text(), std::string("  ab\n  c "));
        f.editor->SetTabType(TTabType::ttReal);
        QTest::keyClick(f.editor, Qt::Key_Tab);
        QCOMPARE(f.editor->GetPara(2), std::string("  c \t"));
        QCOMPARE(f.editor->GetLineString(2), std::string("  c     "));
        // smart tabs line up with the words of the line above
        f.editor->Clear();
        f.editor->SetAutoIndent(false);
        f.editor->SetTabType(TTabType::ttSmart);
        f.editor->InsertText("abc   def  x\n");
        QTest::keyClick(f.editor, Qt::Key_Tab);
        QCOMPARE(f.editor->CaretPos(), 7);
        QTest::keyClick(f.editor, Qt::Key_Tab);
        QCOMPARE(f.editor->CaretPos(), 12);
        QTest::keyClick(f.editor, Qt::Key_Tab); // nothing further right: fixed steps of 4
        QCOMPARE(f.editor->CaretPos(), 13);
        QCOMPARE(f.editor->GetPara(2), std::string(12, ' '));
        // in overwrite mode the blanks replace as many characters
        f.editor->InsertText("\nabcdefgh");
        QTest::keyClick(f.editor, Qt::Key_Home);
        QTest::keyClick(f.editor, Qt::Key_Insert);
        f.editor->SetTabType(TTabType::ttFixed);
        QTest::keyClick(f.editor, Qt::Key_Tab);
        QCOMPARE(f.editor->GetPara(3), std::string("    efgh"));
    }

    void limitsReportErrors() {
        Form f;
        QVERIFY(f.Show());
        f.editor->SetByteLimit(50000);
        f.editor->SetParaLimit(1000);
        f.editor->SetParaLengthLimit(200);
        f.editor->InsertText(std::string(200, 'a'));
        QTest::keyClicks(f.editor, "b");
        QCOMPARE(f.errors, QList<uint16_t>{VedErrParaLength});
        QCOMPARE(f.editor->GetPara(1).size(), size_t(200));
        // a paste beyond the byte limit inserts nothing of it
        QTest::keyClick(f.editor, Qt::Key_Return);
        std::string big;
        for (int i = 0; i < 300; ++i)
            big += std::string(180, 'x') + "\r\n";
        QApplication::clipboard()->setText(QString::fromLatin1(big.c_str()));
        const int32_t before = f.editor->GetByteCount();
        QTest::keyClick(f.editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.errors.last(), uint16_t(VedErrByteLimit));
        QCOMPARE(f.editor->GetByteCount(), before);
        // without a handler the error is raised
        f.editor->OnError = nullptr;
        QVERIFY_THROWS_EXCEPTION(EEditorError, f.editor->DoOnError(VedErrJoinTooLong));
    }

    void scrollingKeepsCaretInView() {
        Form f;
        QVERIFY(f.Show());
        f.Fill(200);
        f.editor->ResetScrollBars(true);
        const int rows = f.editor->VisibleRows();
        QVERIFY(rows > 3 && rows < 100);
        QList<int32_t> tops;
        f.editor->OnTopLineChanged = [&](TVedCustomEditor&, int32_t line) { tops << line; };
        QTest::keyClick(f.editor, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(f.editor->GetCaretPosition(*std::make_unique<int>()), 201);
        QCOMPARE(f.editor->GetTopLine(), 201 - rows + 1);
        QCOMPARE(tops.last(), 201 - rows + 1);
        QCOMPARE(f.editor->verticalScrollBar()->value(), f.editor->verticalScrollBar()->maximum());
        QTest::keyClick(f.editor, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(f.editor->GetTopLine(), 1);
        // the wheel scrolls the view
        QWheelEvent wheel(QPointF(50, 50), f.editor->viewport()->mapToGlobal(QPointF(50, 50)),
                          QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(f.editor->viewport(), &wheel);
        QVERIFY(f.editor->GetTopLine() > 1);
        QCOMPARE(f.editor->CaretPara(), 1);
        QTest::keyClick(f.editor, Qt::Key_Home, Qt::ControlModifier);
        // a page down keeps the caret's row
        QTest::keyClick(f.editor, Qt::Key_Down);
        QTest::keyClick(f.editor, Qt::Key_Down);
        QTest::keyClick(f.editor, Qt::Key_PageDown);
        int column;
        QCOMPARE(f.editor->GetCaretPosition(column), 3 + rows - 1);
        QCOMPARE(f.editor->GetTopLine(), 1 + rows - 1);
        // the scroll bar moves the view, not the caret
        f.editor->verticalScrollBar()->setValue(50);
        QCOMPARE(f.editor->GetTopLine(), 50);
        QCOMPARE(f.editor->GetCaretPosition(column), 3 + rows - 1);
        // the caret back into view after a key
        QTest::keyClick(f.editor, Qt::Key_Right);
        QCOMPARE(f.editor->GetTopLine(), 3 + rows - 1);
        // Ctrl+PgDn from above the view puts the caret line last
        f.editor->verticalScrollBar()->setValue(120);
        QTest::keyClick(f.editor, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(f.editor->GetTopLine(), 3);
        QCOMPARE(f.editor->GetCaretPosition(column), 3 + rows - 1);
        // horizontal: a long line scrolls left and back
        f.editor->InsertText(std::string(300, 'w'));
        QVERIFY(f.editor->LeftColumn() > 0);
        QTest::keyClick(f.editor, Qt::Key_Home);
        QCOMPARE(f.editor->LeftColumn(), 0);
        QTest::keyClick(f.editor, Qt::Key_Down, Qt::ControlModifier); // no binding: nothing
        QTest::keyClick(f.editor, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    }

    void downOntoAShorterLineKeepsTheCaretInView() {
        Form f;
        QVERIFY(f.Show());
        f.editor->InsertText(std::string(300, 'a') + "\r\n" + std::string(100, 'b') + "\r\nc");
        f.editor->SetCaretPosition(1, 1);
        QTest::keyClick(f.editor, Qt::Key_End);
        QVERIFY(f.editor->LeftColumn() > 100);
        auto caretShown = [&] {
            int column;
            f.editor->GetCaretPosition(column);
            return column > f.editor->LeftColumn() &&
                   column <= f.editor->LeftColumn() + f.editor->VisibleColumns() &&
                   !f.editor->CaretRect().isNull();
        };
        QVERIFY(caretShown());
        // column 101 lies beyond the first columns: the view follows the caret
        QTest::keyClick(f.editor, Qt::Key_Down);
        QVERIFY(f.editor->VisibleColumns() < 100);
        QVERIFY(caretShown());
        QVERIFY(f.editor->LeftColumn() > 0);
        // column 2 shows from column 0: the view returns there
        QTest::keyClick(f.editor, Qt::Key_Down);
        QCOMPARE(f.editor->LeftColumn(), 0);
        QVERIFY(caretShown());
    }

    void enterInOverwriteModeDeletesTheSelectionFirst() {
        Form f;
        QVERIFY(f.Show());
        f.editor->InsertText("eins zwei\r\ndrei");
        QTest::keyClick(f.editor, Qt::Key_Insert);
        QVERIFY(!f.editor->InsertMode());
        f.editor->SetSelection(1, 6, true, 10, 1);
        QTest::keyClick(f.editor, Qt::Key_Return);
        QCOMPARE(f.editor->Text(), std::string("eins \ndrei"));
        QVERIFY(!f.editor->HasSelection());
        QCOMPARE(f.editor->CaretPara(), 2);
        QCOMPARE(f.editor->CaretPos(), 1);
        // one undo brings the selected text back
        QTest::keyClick(f.editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.editor->Text(), std::string("eins zwei\ndrei"));
    }

    void horizontalBarOnlyWhenNeeded() {
        Form f;
        f.window.resize(300 + 220 * 10, 300);
        QVERIFY(f.Show());
        f.editor->SetParaLengthLimit(200);
        QVERIFY(f.editor->VisibleColumns() > 200);
        QCOMPARE(f.editor->horizontalScrollBar()->maximum(), 0);
        f.editor->SetScrollBarsAlways(true);
        QCOMPARE(f.editor->horizontalScrollBar()->maximum(), 200);
        QVERIFY(f.editor->horizontalScrollBar()->isVisible());
        f.editor->SetScrollBars(TScrollStyle::ssNone);
        QVERIFY(!f.editor->ScrollBarsAlways());
        QVERIFY(!f.editor->verticalScrollBar()->isVisible());
    }

    void hugeTextScrollsWithScale() {
        Form f;
        QVERIFY(f.Show());
        for (int i = 0; i < 70000; ++i)
            f.editor->AppendPara("x");
        f.editor->ResetScrollBars(true);
        QScrollBar* bar = f.editor->verticalScrollBar();
        const int a = f.editor->GetLineCount() - f.editor->VisibleRows() + 1;
        const int scale = (a / 32768) * 2;
        QCOMPARE(bar->maximum(), a / scale);
        bar->setValue(bar->maximum());
        QCOMPARE(f.editor->GetTopLine(), f.editor->GetLineCount() - f.editor->VisibleRows() + 1);
        bar->setValue(100);
        QCOMPARE(f.editor->GetTopLine(), 100 * scale);
    }

    void wordWrapFollowsWindow() {
        Form f;
        QVERIFY(f.Show());
        f.editor->SetWordWrap(true);
        f.editor->SetWrapToWindow(true);
        QCOMPARE(f.editor->WrapColumn(), f.editor->VisibleColumns() - 2);
        std::string words;
        for (int i = 0; i < 40; ++i)
            words += "wort" + std::to_string(i) + " ";
        f.editor->InsertText(words);
        const int32_t lines = f.editor->GetLineCount();
        QVERIFY(lines > 2);
        for (int32_t l = 1; l <= lines; ++l)
            QVERIFY(f.editor->GetLineLength(l) <= f.editor->WrapColumn() + 1);
        f.window.resize(700, 300);
        QTRY_COMPARE(f.editor->WrapColumn(), f.editor->VisibleColumns() - 2);
        QVERIFY(f.editor->GetLineCount() < lines);
        // the horizontal bar is not needed while wrapping to the window
        QCOMPARE(f.editor->horizontalScrollBar()->maximum(), 0);
        // down through wrapped lines keeps the display column
        QTest::keyClick(f.editor, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(f.editor, Qt::Key_Right);
        QTest::keyClick(f.editor, Qt::Key_Down);
        int column;
        QCOMPARE(f.editor->GetCaretPosition(column), 2);
        QCOMPARE(column, 2);
        QCOMPARE(f.editor->CaretPara(), 1);
    }

    void paintingShowsSelectionAndCaret() {
        Form f;
        QVERIFY(f.Show());
        const QColor back(255, 0, 255);
        f.editor->HighlightColors().SetBackColor(back);
        f.editor->InsertText("Auswahl und Text");
        QImage plain = f.editor->viewport()->grab().toImage();
        QCOMPARE(CountColor(plain, back), 0);
        QTest::keyClick(f.editor, Qt::Key_Home, Qt::ShiftModifier);
        QImage selected = f.editor->viewport()->grab().toImage();
        QVERIFY(CountColor(selected, back) > 100);
        // hidden while another control has the focus
        auto* other = new QLineEdit(&f.window);
        f.layout->addWidget(other);
        other->setFocus();
        QApplication::processEvents();
        QCOMPARE(CountColor(f.editor->viewport()->grab().toImage(), back), 0);
        f.editor->SetHideSelection(false);
        QVERIFY(CountColor(f.editor->viewport()->grab().toImage(), back) > 100);
        // disabled: grey text, no selection
        f.editor->setEnabled(false);
        QCOMPARE(CountColor(f.editor->viewport()->grab().toImage(), back), 0);
        f.editor->setEnabled(true);

        // the caret: drawn only while focused, inverting its cell
        f.editor->setFocus();
        QApplication::processEvents();
        QTest::keyClick(f.editor, Qt::Key_End);
        const QRect caret = f.editor->CaretRect();
        QVERIFY(!caret.isEmpty());
        const QImage focused = f.editor->viewport()->grab().toImage();
        other->setFocus();
        QApplication::processEvents();
        const QImage unfocused = f.editor->viewport()->grab().toImage();
        const qreal dpr = focused.devicePixelRatio();
        const QPoint probe = (caret.center() * dpr);
        QVERIFY(focused.pixelColor(probe) != unfocused.pixelColor(probe));
        QCOMPARE(unfocused.pixelColor(probe), f.editor->palette().color(QPalette::Base));
    }

    void charactersStayOnTheirColumns() {
        // a font whose advance is the column width, and one a fraction off it, both made from
        // the first fixed-pitch family by stretching it
        auto fontWith = [](bool exact) -> std::optional<QFont> {
            QFont font(TVedFixedFont::FixedPitchFamilies().front());
            for (int pixels = 10; pixels <= 20; ++pixels)
                for (int stretch = 80; stretch <= 120; ++stretch) {
                    font.setPixelSize(pixels);
                    font.setStretch(stretch);
                    const qreal advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('W'));
                    const qreal off = std::abs(advance - std::round(advance));
                    if (exact ? off == 0 : off > 0.15 && off < 0.85)
                        return font;
                }
            return std::nullopt;
        };
        for (const bool exact : {true, false}) {
            const std::optional<QFont> found = fontWith(exact);
            QVERIFY2(found, exact ? "no exact font" : "no fractional font");
            const QFont font = *found;
            Form f;
            f.window.resize(900, 200);
            QVERIFY(f.Show());
            QVERIFY_THROWS_NO_EXCEPTION(f.editor->FixedFont().Assign(font));
            std::string text;
            for (int i = 0; i < 40; ++i)
                text += "|W";
            f.editor->InsertText(text); // the caret behind it
            QVERIFY(f.editor->VisibleColumns() > int(text.size()));
            const QImage image = f.editor->viewport()->grab().toImage();
            const int width = f.editor->CharWidth(), height = f.editor->LineHeight();
            auto cell = [&](int column) {
                return image.copy(f.editor->LeftMargin() + column * width, 0, width, height);
            };
            QVERIFY(CountColor(cell(1), f.editor->palette().color(QPalette::Base)) <
                    width * height);
            for (int column = 2; column < int(text.size()) - 1; ++column) // the caret follows
                QVERIFY2(cell(column) == cell(column % 2),
                         qPrintable(font.family() + QStringLiteral(" column %1").arg(column)));
        }
    }

    void aRowIsDrawnAsOneGlyphRunPerColour() {
        Form f;
        QVERIFY(f.Show());
        f.editor->InsertText("eins zwei drei vier\r\nf\xFCnf sechs");
        // a selection in the first row cuts it into three runs
        f.editor->SetSelection(1, 6, true, 10, 1);
        TextItemCounter counter(f.editor->viewport()->size());
        f.editor->viewport()->render(&counter);
        QCOMPARE(counter.TextItems(), 3 + 1);
    }

    void paintHookTakesOverRows() {
        Form f;
        QVERIFY(f.Show());
        f.Fill(3);
        QList<int32_t> seen;
        f.editor->OnDrawLine = [&](TVedCustomEditor&, QPainter& p, const TVedDrawLine& line,
                                   bool& wasDrawn) {
            seen << line.line;
            if (line.line == 2) {
                p.fillRect(line.rect, QColor(0, 255, 0));
                wasDrawn = true;
            }
        };
        const QImage image = f.editor->viewport()->grab().toImage();
        QVERIFY(seen.contains(1) && seen.contains(2) && seen.contains(3));
        QVERIFY(CountColor(image, QColor(0, 255, 0)) > 100);
    }

    void mouseSelects() {
        Form f;
        QVERIFY(f.Show());
        f.Fill(100, "wort eins ");
        f.editor->ResetScrollBars(true);
        QWidget* vp = f.editor->viewport();
        QTest::mouseClick(vp, Qt::LeftButton, {}, CellCenter(f.editor, 2, 3));
        QCOMPARE(f.editor->CaretPara(), 2);
        QCOMPARE(f.editor->CaretPos(), 3);
        // drag from line 1 column 1 to line 3 column 5
        QTest::mousePress(vp, Qt::LeftButton, {}, CellCenter(f.editor, 1, 1));
        QMouseEvent move(QEvent::MouseMove, CellCenter(f.editor, 3, 5),
                         vp->mapToGlobal(CellCenter(f.editor, 3, 5)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(vp, &move);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, CellCenter(f.editor, 3, 5));
        QCOMPARE(f.editor->SelectedText(), std::string("wort eins 1\r\nwort eins 2\r\nwort"));
        // in the margin, whole lines with the break after the last
        QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(2, CellCenter(f.editor, 2, 1).y()));
        QMouseEvent down(QEvent::MouseMove, QPoint(2, CellCenter(f.editor, 4, 1).y()),
                         vp->mapToGlobal(QPoint(2, CellCenter(f.editor, 4, 1).y())), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &down);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(2, CellCenter(f.editor, 4, 1).y()));
        QCOMPARE(f.editor->SelectedText(),
                 std::string("wort eins 2\r\nwort eins 3\r\nwort eins 4\r\n"));
        // double click: the word and the blanks after it
        QTest::mouseDClick(vp, Qt::LeftButton, {}, CellCenter(f.editor, 5, 7));
        QCOMPARE(f.editor->SelectedText(), std::string("eins "));
        QTest::mouseDClick(vp, Qt::LeftButton, {}, CellCenter(f.editor, 5, 6));
        QCOMPARE(f.editor->SelectedText(), std::string("eins "));
        QTest::mouseDClick(vp, Qt::LeftButton, {}, CellCenter(f.editor, 5, 1));
        QCOMPARE(f.editor->SelectedText(), std::string("wort "));
        // dragging below the view keeps scrolling on the timer
        QTest::mousePress(vp, Qt::LeftButton, {}, CellCenter(f.editor, 1, 1));
        const QPoint below(20, vp->height() + 30);
        QMouseEvent out(QEvent::MouseMove, below, vp->mapToGlobal(below), Qt::NoButton,
                        Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &out);
        const int32_t firstTop = f.editor->GetTopLine();
        QTRY_VERIFY(f.editor->GetTopLine() > firstTop + 2);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, below);
        const int32_t stopped = f.editor->GetTopLine();
        QTest::qWait(200);
        QCOMPARE(f.editor->GetTopLine(), stopped);
        QVERIFY(f.editor->HasSelection());
    }

    void twoEditorsShareText() {
        Form f;
        auto* second = new TVedEditor(&f.window);
        f.layout->addWidget(second);
        QVERIFY(f.Show());
        f.editor->InsertText("eins\nzwei\ndrei");
        second->Attach(f.editor);
        QCOMPARE(second->Text(), f.editor->Text());
        second->SetCaretPosition(1, 3);
        f.editor->SetCaretPosition(1, 1);
        QTest::keyClicks(f.editor, "ab");
        QCOMPARE(second->Text(), std::string("abeins\nzwei\ndrei"));
        QCOMPARE(second->CaretPos(), 5);
        QCOMPARE(f.editor->CaretPos(), 3);
        // deleting the other's paragraph moves its caret to the one taking its number
        second->SetCaretPosition(2, 3);
        f.editor->SetCaretPosition(2, 1);
        f.editor->ExecuteCommand(ccDelLine, 0);
        QCOMPARE(f.editor->Text(), std::string("abeins\ndrei"));
        QCOMPARE(second->CaretPara(), 2);
        QCOMPARE(second->CaretPos(), 1);
        // both see the shared modified flag; undo in the second undoes the first's typing
        QVERIFY(second->GetModified());
        second->setFocus();
        QTest::keyClick(second, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.editor->Text(), std::string("abeins\nzwei\ndrei"));
        // the last editor leaving frees the text; the first keeps working alone
        delete second;
        f.editor->setFocus();
        QTest::keyClicks(f.editor, "!");
        QVERIFY(f.editor->Text().find('!') != std::string::npos);
    }

    void statusAndEnterEvents() {
        Form f;
        QList<QPair<int32_t, int>> status;
        int entered = 0;
        f.editor->OnShowStatus = [&](TVedCustomEditor&, int32_t l, int c) {
            status << qMakePair(l, c);
        };
        f.editor->AfterEnter = [&](TVedCustomEditor&) { ++entered; };
        QList<uint16_t> user;
        f.editor->OnUserCommand = [&](TVedCustomEditor&, uint16_t c) { user << c; };
        QVERIFY(f.Show());
        QTRY_COMPARE(entered, 1);
        f.editor->SetWantTab(true);
        QTest::keyClicks(f.editor, "\tab");
        // the tab reaches column 9, two letters follow
        QTRY_COMPARE(status.last(), qMakePair(int32_t(1), 11));
        // the exit event follows the focus change
        int left = 0;
        bool focusWasGone = false;
        f.editor->AfterExit = [&](TVedCustomEditor& e) {
            ++left;
            focusWasGone = !e.hasFocus();
        };
        auto* other = new QLineEdit(&f.window);
        other->show();
        other->setFocus();
        QTRY_COMPARE(left, 1);
        QVERIFY(focusWasGone);
        QVERIFY(f.editor->ExecuteCommand(ccUser + 5, 0));
        QCOMPARE(user, QList<uint16_t>{uint16_t(ccUser + 5)});
        QVERIFY(!f.editor->ExecuteCommand(ccTableEdit, 0));
    }

    void editingCommands() {
        Form f;
        QVERIFY(f.Show());
        TVedEditor& e = *f.editor;
        e.InsertText("alpha beta, gamma\nzweite Zeile\ndritte");
        e.SetCaretPosition(1, 7);
        e.ExecuteCommand(ccDelWord, 0); // the word, up to the comma
        QCOMPARE(e.GetPara(1), std::string("alpha , gamma"));
        e.ExecuteCommand(ccDelWord, 0); // on a delimiter that is no blank: nothing
        QCOMPARE(e.GetPara(1), std::string("alpha , gamma"));
        e.ExecuteCommand(ccDelEol, 0);
        QCOMPARE(e.GetPara(1), std::string("alpha "));
        e.ExecuteCommand(ccDelEol, 0); // at the end: nothing
        QCOMPARE(e.GetParaCount(), 3);
        e.ExecuteCommand(ccDelBol, 0);
        QCOMPARE(e.GetPara(1), std::string(""));
        e.ExecuteCommand(ccDelLine, 0);
        QCOMPARE(e.Text(), std::string("zweite Zeile\ndritte"));
        e.SetCaretPosition(2, 3);
        e.ExecuteCommand(ccDelLine, 0); // the last line: its text only
        QCOMPARE(e.Text(), std::string("zweite Zeile\n"));
        // word moves
        e.SetCaretPosition(1, 1);
        e.ExecuteCommand(ccWordRight, 0);
        QCOMPARE(e.CaretPos(), 8);
        e.ExecuteCommand(ccWordRight, 0);
        e.ExecuteCommand(ccWordRight, 0); // from the end to the next line
        QCOMPARE(e.CaretPara(), 2);
        e.ExecuteCommand(ccWordLeft, 0); // from a paragraph start to the end of the one above
        QCOMPARE(e.CaretPara(), 1);
        QCOMPARE(e.CaretPos(), 13);
        e.ExecuteCommand(ccExtWordLeft, 0);
        QCOMPARE(e.SelectedText(), std::string("Zeile"));
        // right past the end goes on to the next line unless the caret may stand there
        e.SetCaretPosition(1, 13);
        e.ExecuteCommand(ccRight, 0);
        QCOMPARE(e.CaretPara(), 2);
        e.SetScrollPastEnd(true);
        e.SetCaretPosition(1, 13);
        e.ExecuteCommand(ccRight, 0);
        QCOMPARE(e.CaretPara(), 1);
        QCOMPARE(e.CaretPos(), 14);
        QTest::keyClicks(&e, "!");
        QCOMPARE(e.GetPara(1), std::string("zweite Zeile !"));
        // each editing command tells the form, moves do not
        const int before = f.changes;
        e.ExecuteCommand(ccLeft, 0);
        QCOMPARE(f.changes, before);
        e.ExecuteCommand(ccDel, 0);
        QCOMPARE(f.changes, before + 1);
        // read-only: no edits, backspace only moves, and a refused key reports no change
        e.SetReadOnly(true);
        const std::string text = e.Text();
        const int refused = f.changes;
        QTest::keyClicks(&e, "xyz");
        QTest::keyClick(&e, Qt::Key_Backspace);
        QTest::keyClick(&e, Qt::Key_Return);
        QTest::keyClick(&e, Qt::Key_Delete);
        QTest::keyClick(&e, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e.Text(), text);
        QVERIFY(!e.CanUndo());
        QCOMPARE(f.changes, refused);
    }

    void viewCommands() {
        Form f;
        QVERIFY(f.Show());
        f.Fill(100);
        f.editor->ResetScrollBars(true);
        const int rows = f.editor->VisibleRows();
        f.editor->SetCaretPosition(1, 1);
        f.editor->ExecuteCommand(ccScrollDown, 0);
        f.editor->ExecuteCommand(ccScrollDown, 0);
        QCOMPARE(f.editor->GetTopLine(), 3);
        QCOMPARE(f.editor->CaretPara(), 1); // the caret stays
        f.editor->ExecuteCommand(ccScrollUp, 0);
        QCOMPARE(f.editor->GetTopLine(), 2);
        f.editor->SetCaretPosition(5, 3);
        f.editor->ExecuteCommand(ccBotOfPage, 0);
        int column;
        QCOMPARE(f.editor->GetCaretPosition(column), 2 + rows - 1);
        QCOMPARE(column, 3);
        f.editor->ExecuteCommand(ccExtTopOfPage, 0);
        QCOMPARE(f.editor->GetCaretPosition(column), 2);
        int32_t l1, l2;
        int c1, c2;
        QVERIFY(f.editor->GetSelection(l1, c1, l2, c2));
        QCOMPARE(l2, 2 + rows - 1);
        // the top line follows edits above it
        f.editor->SetTopLine(50);
        f.editor->SetCaretPosition(50, 1);
        f.editor->ExecuteCommand(ccScrollDown, 0);
        QCOMPARE(f.editor->GetTopLine(), 51);
        QVERIFY_THROWS_EXCEPTION(EInvalidLineOrPara, f.editor->SetTopLine(500));
        QVERIFY_THROWS_EXCEPTION(EInvalidLineOrPara, f.editor->SetCaretPosition(0, 1));
        QVERIFY_THROWS_EXCEPTION(EInvalidLineOrCol, f.editor->SetMarkerAt(1, 1, 0));
    }

    void bookmarkGlyphsInMargin() {
        Form f;
        QVERIFY(f.Show());
        f.Fill(5);
        const QColor base = f.editor->palette().color(QPalette::Base);
        auto marginInk = [&] {
            const QImage image = f.editor->viewport()->grab().toImage();
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < (f.editor->LeftMargin() - 2) * image.devicePixelRatio(); ++x)
                    if (image.pixelColor(x, y) != base)
                        ++n;
            return n;
        };
        QCOMPARE(marginInk(), 0);
        f.editor->SetCaretPosition(3, 2);
        f.editor->SetMarker(4);
        QVERIFY(marginInk() > 20);
        f.editor->SetShowBookmarks(false);
        QCOMPARE(marginInk(), 0);
        f.editor->SetShowBookmarks(true);
        f.editor->ClearMarker(4);
        QCOMPARE(marginInk(), 0);
    }

    void controllerComesFromTheForm() {
        Form f;
        QVERIFY(f.Show());
        QCOMPARE(f.editor->Controller(), &f.controller->Controller());
        // the insert mode carries over through the controller
        QTest::keyClick(f.editor, Qt::Key_Insert);
        auto* other = new TVedEditor(&f.window);
        f.layout->addWidget(other);
        other->setFocus();
        QApplication::processEvents();
        QVERIFY(!other->InsertMode());
        // a controller that goes is forgotten; keys then only type
        delete f.controller;
        QCOMPARE(other->Controller(), nullptr);
        QTest::keyClicks(other, "ok");
        QTest::keyClick(other, Qt::Key_Left);
        QCOMPARE(other->Text(), std::string("ok"));
    }

    void unhandledErrorsShowAMessage() {
        Form f;
        QVERIFY(f.Show());
        f.editor->OnError = nullptr;
        f.editor->SetParaLengthLimit(3);
        platform::DialogRecorder recorder;
        QTest::keyClicks(f.editor, "abcd");
        QCOMPARE(f.editor->Text(), std::string("abc"));
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes()[0].text, QString::fromLatin1(VedErrorMessage(VedErrParaLength)));
    }

    void aPasteFailingPartWayReportsWhatItPutIn() {
        Form f;
        QVERIFY(f.Show());
        f.editor->OnError = nullptr; // the error goes on to the caller
        f.editor->SetParaLengthLimit(10);
        QApplication::clipboard()->setText(QStringLiteral("kurz\r\n") +
                                           QString(20, QLatin1Char('x')));
        platform::DialogRecorder recorder;
        QTest::keyClick(f.editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes()[0].text, QString::fromLatin1(VedErrorMessage(VedErrParaLength)));
        QCOMPARE(f.editor->Text(), std::string("kurz\n"));
        QCOMPARE(f.changes, 1);
        QVERIFY_THROWS_EXCEPTION(EEditorError, f.editor->ExecuteCommand(ccPaste, 0));
        QCOMPARE(f.editor->GetPara(1).substr(0, 4), std::string("kurz"));
        QCOMPARE(f.changes, 2);
    }

    void windowShortcutsDoNotStealBoundKeys() {
        Form f;
        int fired = 0;
        auto* action = new QAction(&f.window);
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
        action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, [&] { ++fired; });
        f.window.addAction(action);
        auto* other = new QAction(&f.window);
        other->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
        QObject::connect(other, &QAction::triggered, [&] { ++fired; });
        f.window.addAction(other);
        QVERIFY(f.Show());
        f.editor->InsertText("kopie");
        QTest::keyClick(f.editor, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClick(f.editor, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(fired, 0);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kopie"));
        QTest::keyClick(f.editor, Qt::Key_J, Qt::ControlModifier); // not bound: the window's
        QCOMPARE(fired, 1);
    }

    void windowKeysTheTableDoesNotBindReachTheWindow() {
        Form f;
        QStringList fired;
        auto bind = [&](const QKeySequence& keys) {
            auto* action = new QAction(&f.window);
            action->setShortcut(keys);
            QObject::connect(action, &QAction::triggered, [&fired, keys] {
                fired << keys.toString(QKeySequence::PortableText);
            });
            f.window.addAction(action);
        };
        for (const QKeySequence& keys :
             {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::Key_F9),
              QKeySequence(Qt::CTRL | Qt::Key_F9), QKeySequence(Qt::SHIFT | Qt::Key_F3),
              QKeySequence(Qt::CTRL | Qt::Key_Z)})
            bind(keys);
        QVERIFY(f.Show());
        QTest::keyClicks(f.editor, "ab");
        QTest::keyClick(f.editor, Qt::Key_Escape);
        QTest::keyClick(f.editor, Qt::Key_F9);
        QTest::keyClick(f.editor, Qt::Key_F9, Qt::ControlModifier);
        QTest::keyClick(f.editor, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(fired, QStringList({"Esc", "F9", "Ctrl+F9", "Shift+F3"}));
        QCOMPARE(f.editor->Text(), std::string("ab"));
        // the editor's own binding stays the editor's
        QTest::keyClick(f.editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(fired.size(), 4);
        QCOMPARE(f.editor->Text(), std::string(""));
    }

    // Hidden, an editor has no size of its own yet: a caret placed then must not scroll the
    // view that the window shows once it is laid out.
    void laidOutLateTheViewKeepsItsTopLine() {
        Form f;
        f.Fill(5);
        f.editor->SetTopLine(1);
        f.editor->SetCaretPosition(5, 1);
        QVERIFY(f.Show());
        QCOMPARE(f.editor->GetTopLine(), 1);
        QVERIFY(!f.editor->verticalScrollBar()->isVisible());
        // shrunk, the view follows the caret; grown again, it shows the text from the top
        f.window.resize(400, 60);
        QTRY_VERIFY(f.editor->GetTopLine() > 1);
        QVERIFY(f.editor->verticalScrollBar()->isVisible());
        f.window.resize(400, 300);
        QTRY_COMPARE(f.editor->GetTopLine(), 1);
        QTRY_VERIFY(!f.editor->verticalScrollBar()->isVisible());

        // a top line set while hidden is where the view starts, wherever the caret is
        Form g;
        g.Fill(100);
        g.editor->SetTopLine(20);
        g.editor->SetCaretPosition(80, 1);
        QVERIFY(g.Show());
        QCOMPARE(g.editor->GetTopLine(), 20);
        QVERIFY(g.editor->verticalScrollBar()->isVisible());
        QCOMPARE(g.editor->verticalScrollBar()->value(), 20);
        // without one, the view shows the caret placed while hidden
        Form h;
        h.Fill(100);
        h.editor->SetCaretPosition(80, 1);
        QVERIFY(h.Show());
        QVERIFY(h.editor->GetTopLine() <= 80);
        QVERIFY(h.editor->GetTopLine() + h.editor->VisibleRows() > 80);
    }

    void findAndReplace() {
        Form f;
        QVERIFY(f.Show());
        f.editor->InsertText("Der Hund und der hundert Hunde\nhund");
        f.editor->SetCaretPosition(1, 1);
        // nothing to find in an empty text
        QCOMPARE(f.editor->Replace("", "x", soReplaceAll), -1);
        QVERIFY(!f.editor->Search("", 0));
        QVERIFY(f.editor->Search("hund", 0));
        QCOMPARE(f.editor->SelectedText(), std::string("Hund"));
        QVERIFY(f.editor->Search("hund", soMatchCase));
        QCOMPARE(f.editor->CaretPos(), 22);
        // whole words skip "hundert" and "Hunde"; a match at the paragraph start counts
        f.editor->SetCaretPosition(1, 6);
        QVERIFY(f.editor->Search("hund", soWholeWords));
        QCOMPARE(f.editor->CaretPara(), 2);
        QCOMPARE(f.editor->SelectedText(), std::string("hund"));
        // backwards from the caret: the nearest match before it, caret at its start
        f.editor->SetCaretPosition(1, 25);
        QVERIFY(f.editor->Search("hund", soBackwards));
        QCOMPARE(f.editor->CaretPos(), 18);
        QCOMPARE(f.editor->SelectedText(), std::string("hund"));
        // replace once: the selected match, then the next one selected
        QCOMPARE(f.editor->Replace("hund", "Katze", soReplaceOnce), 1);
        QCOMPARE(f.editor->GetPara(1), std::string("Der Hund und der Katzeert Hunde"));
        QCOMPARE(f.editor->SelectedText(), std::string("Hund"));
        QCOMPARE(f.editor->CaretPos(), 31);
        // replace all within a selection keeps the adjusted selection
        f.editor->SetSelection(1, 1, true, 13, 1);
        QCOMPARE(f.editor->Replace("und", "&", soReplaceAll | soInSelection), 2);
        QCOMPARE(f.editor->GetPara(1), std::string("Der H& & der Katzeert Hunde"));
        QCOMPARE(f.editor->SelectedText(), std::string("Der H& &"));
        // an empty replacement removes the matches
        QCOMPARE(f.editor->Replace("e", "", soReplaceAll | soFromScope), 5);
        QCOMPARE(f.editor->Text(), std::string("Dr H& & dr Katzrt Hund\nhund"));
        QCOMPARE(f.editor->Replace("zzz", "", soReplaceAll), -1);
        QVERIFY(f.editor->Search("HUND", soFromScope | soBackwards));
        QCOMPARE(f.editor->CaretPara(), 2);
        // undo takes the replacements back
        f.editor->Undo();
        QVERIFY(f.editor->Text().find("e") != std::string::npos);
    }

    void replaceAllAsksNoRoomTestButFailsOnAFullParagraph() {
        Form f;
        QVERIFY(f.Show());
        f.editor->InsertText("Hund und Hund\nHund");
        // the limits stop typing, not replacing all
        f.editor->SetParaLengthLimit(13);
        f.editor->SetByteLimit(20);
        QCOMPARE(f.editor->Replace("Hund", "Katzenhund", soReplaceAll | soFromScope), 3);
        QCOMPARE(f.editor->Text(), std::string("Katzenhund und Katzenhund\nKatzenhund"));
        QVERIFY(f.errors.isEmpty());
        // a paragraph past what it can store ends the run with 263; earlier replacements stay
        f.editor->SetParaLengthLimit(32767);
        f.editor->SetByteLimit(INT32_MAX);
        std::string pairs;
        for (int i = 0; i < 300; ++i)
            pairs += "ab";
        f.editor->SetCaretPosition(2, 11);
        f.editor->InsertText("\n" + pairs);
        const std::string wide(255, 'w');
        QCOMPARE(f.editor->Replace("ab", wide, soReplaceAll | soFromScope), int(VedErrMemory));
        QCOMPARE(f.errors, QList<uint16_t>{VedErrMemory});
        const std::string last = f.editor->GetPara(3);
        QVERIFY(last.size() <= 0xFFFF && last.size() + 253 > 0xFFFF);
        QCOMPARE(last.substr(0, 255), wide);
    }
};

QTEST_MAIN(TestVedEdit)
#include "tst_vededit.moc"
