// The highlighting editor paints token, breakpoint and execution-line colours and glyphs, and
// reports paragraph edits.
#include "basic/editors/hiltedit.h"
#include "basic/editors/keywords.h"

#include <QScrollBar>
#include <QtTest>
#include <map>

using namespace harvel;

namespace {

const QColor Back(255, 255, 255), Font(0, 0, 0);
const QColor KeywordColor(200, 0, 0), IdentColor(0, 0, 200), NumberColor(0, 150, 0);

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <
           30;
}

} // namespace

class TestHiliteEditor : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QWidget> window;
    THiliteEditor* editor = nullptr;
    TKeywordTables tables;
    std::map<int32_t, std::pair<bool, TBreakpointState>> marks;

    QImage Shot() { return editor->viewport()->grab().toImage(); }
    QRect RowCells(int row, int firstColumn, int columns) const {
        return QRect(editor->LeftMargin() + firstColumn * editor->CharWidth(),
                     row * editor->LineHeight(), columns * editor->CharWidth(),
                     editor->LineHeight());
    }
    QRect Margin(int row) const {
        // the caret may stand on the margin's last pixel column
        return QRect(0, row * editor->LineHeight(), editor->LeftMargin() - 2, editor->LineHeight());
    }
    static bool Has(const QImage& image, const QRect& r, QColor c) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (Near(image.pixelColor(x, y), c))
                    return true;
        return false;
    }
    static bool Only(const QImage& image, const QRect& r, QColor c) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (image.pixelColor(x, y) != c)
                    return false;
        return true;
    }

private slots:
    void init() {
        tables.basicWords.Clear();
        tables.basicWords.Add("PRINT");
        THiliteColors& c = HiliteColors();
        c.token.fill(QColor());
        c.token[hmKeyword] = KeywordColor;
        c.token[hmIdentifier] = IdentColor;
        c.token[hmNumber] = NumberColor;
        c.brkptBack = QColor(255, 0, 0);
        c.brkptText = QColor(255, 255, 255);
        c.activeLineBack = QColor(0, 0, 255);
        c.activeLineText = QColor(255, 255, 0);
        SyntaxHighlighting() = true;
        marks.clear();

        window = std::make_unique<QWidget>();
        new ved::TVedControllerComponent(window.get());
        editor = new THiliteEditor(window.get());
        editor->SetLeftMargin(18);
        QPalette pal = editor->palette();
        pal.setColor(QPalette::Base, Back);
        editor->setPalette(pal);
        editor->FixedFont().SetColor(Font);
        editor->resize(500, 300);
        window->resize(500, 300);
        editor->OnSyntaxScan = [this](const char* s, int& a, int& b, int n, THiliteMode& k) {
            return ScanBasicToken(tables, s, a, b, n, k);
        };
        editor->OnGetBrkptState = [this](int32_t line, bool& current, TBreakpointState& state) {
            auto it = marks.find(line);
            if (it != marks.end()) {
                current = it->second.first;
                state = it->second.second;
            }
        };
        editor->InsertText("PRINT value 42\r\nPRINT\r\nvalue\r\n" + std::string(120, 'x'));
        editor->SetCaretPosition(1, 1);
        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() { window.reset(); }

    void tokensTakeTheirColours() {
        const QImage image = Shot();
        QVERIFY(Has(image, RowCells(0, 0, 5), KeywordColor));
        QVERIFY(!Has(image, RowCells(0, 0, 5), IdentColor));
        QVERIFY(Has(image, RowCells(0, 6, 5), IdentColor));
        QVERIFY(Has(image, RowCells(0, 12, 2), NumberColor));
        QVERIFY(Only(image, RowCells(0, 20, 10), Back));
        QVERIFY(Only(image, Margin(0), Back));
    }

    void highlightingOffUsesTheFontColour() {
        SyntaxHighlighting() = false;
        editor->viewport()->update();
        const QImage image = Shot();
        QVERIFY(!Has(image, RowCells(0, 0, 14), KeywordColor));
        QVERIFY(!Has(image, RowCells(0, 0, 14), IdentColor));
        QVERIFY(Has(image, RowCells(0, 0, 5), Font));
    }

    void breakpointLinesTakeTheirPairAndGlyph() {
        marks[2] = {false, bsValid};
        marks[3] = {false, bsUnchecked};
        editor->viewport()->update();
        const QImage image = Shot();
        // the whole row in the breakpoint pair, no token colours
        QVERIFY(Has(image, RowCells(1, 0, 5), HiliteColors().brkptText));
        QVERIFY(!Has(image, RowCells(1, 0, 5), KeywordColor));
        QVERIFY(Only(image, RowCells(1, 10, 20), HiliteColors().brkptBack));
        // glyph 0 is red, glyph 1 grey
        QVERIFY(Has(image, Margin(1), QColor(255, 0, 0)));
        QVERIFY(Has(image, Margin(2), QColor(128, 128, 128)));
        QVERIFY(Only(image, RowCells(2, 10, 20), HiliteColors().disabledBrkptBack));
        QVERIFY(Only(image, Margin(0), Back));
    }

    void executionLineWinsOverBreakpoint() {
        marks[1] = {true, bsValid};
        editor->viewport()->update();
        const QImage image = Shot();
        QVERIFY(Only(image, RowCells(0, 20, 10), HiliteColors().activeLineBack));
        QVERIFY(Has(image, RowCells(0, 0, 5), HiliteColors().activeLineText));
        QVERIFY(Has(image, Margin(0), QColor(0, 160, 0)));  // the arrow
        QVERIFY(!Has(image, Margin(0), QColor(255, 0, 0))); // not the breakpoint glyph
    }

    void scrolledPastTheEndKeepsTheLineColour() {
        marks[2] = {false, bsValid};
        editor->horizontalScrollBar()->setValue(30);
        QTRY_COMPARE(editor->LeftColumn(), 30);
        editor->viewport()->update();
        const QImage image = Shot();
        QVERIFY(Only(image, RowCells(1, 0, 20), HiliteColors().brkptBack));
        QVERIFY(Only(image, RowCells(0, 0, 20), Back));
    }

    void scrolledTokensKeepTheirColours() {
        editor->horizontalScrollBar()->setValue(2);
        QTRY_COMPARE(editor->LeftColumn(), 2);
        editor->viewport()->update();
        const QImage image = Shot();
        // "INT" of PRINT, then " value"
        QVERIFY(Has(image, RowCells(0, 0, 3), KeywordColor));
        QVERIFY(!Has(image, RowCells(0, 0, 3), IdentColor));
        QVERIFY(Has(image, RowCells(0, 4, 5), IdentColor));
        QVERIFY(!Has(image, RowCells(0, 4, 5), KeywordColor));
    }

    void selectionOverridesTokenColours() {
        editor->SetSelection(1, 1, true, 6, 1);
        editor->setFocus();
        editor->SetHideSelection(false);
        editor->viewport()->update();
        const QImage image = Shot();
        QVERIFY(!Has(image, RowCells(0, 0, 5), KeywordColor));
        QVERIFY(Has(image, RowCells(0, 0, 5), editor->HighlightColors().BackColor()));
        QVERIFY(Has(image, RowCells(0, 6, 5), IdentColor));
    }

    void bookmarksToggleAndGiveWayToBreakpoints() {
        const QColor teal(0, 128, 128);
        editor->SetCaretPosition(2, 1);
        editor->SetMarker(4);
        QVERIFY(Has(Shot(), Margin(1), teal));
        marks[2] = {false, bsInvalid};
        editor->viewport()->update();
        QImage image = Shot();
        QVERIFY(!Has(image, Margin(1), teal));
        QVERIFY(Has(image, Margin(1), QColor(255, 255, 0)));
        // setting it again on the same paragraph clears it
        marks.clear();
        editor->SetMarker(4);
        QVERIFY(!Has(Shot(), Margin(1), teal));
        editor->SetMarkerAt(5, 3, 1);
        QVERIFY(Has(Shot(), Margin(2), teal));
        editor->SetMarkerAt(5, 3, 2);
        QVERIFY(!Has(Shot(), Margin(2), teal));
        // a cleared marker can no longer be reached
        editor->SetCaretPosition(1, 1);
        editor->GotoMarker(5);
        int column;
        QCOMPARE(editor->GetCaretPosition(column), 1);
    }

    void paragraphEditsAreReported() {
        QStringList events;
        editor->OnInsertedPara = [&](int32_t p, int pos, int) {
            events << QStringLiteral("ins %1:%2").arg(p).arg(pos);
        };
        editor->OnJoinedPara = [&](int32_t p, int pos) {
            events << QStringLiteral("join %1:%2").arg(p).arg(pos);
        };
        editor->OnDeletedPara = [&](int32_t p) { events << QStringLiteral("del %1").arg(p); };
        editor->setFocus();
        editor->SetCaretPosition(2, 6);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(editor->GetParaCount(), 5);
        QTest::keyClick(editor, Qt::Key_Backspace);
        QCOMPARE(editor->GetParaCount(), 4);
        // Enter at a line's end opens a new paragraph behind it
        QCOMPARE(events, (QStringList{"ins 3:1", "join 2:6"}));
        editor->SetCaretPosition(1, 3);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(events.mid(2), (QStringList{"ins 1:3"}));
    }
};

QTEST_MAIN(TestHiliteEditor)
#include "tst_hiltedit.moc"
