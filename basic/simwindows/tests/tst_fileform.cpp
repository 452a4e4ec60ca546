// The data recording window over the wrapper's data file: the empty file, a recorded -1 in
// decimal and hexadecimal, a window too narrow for a whole row of values, and a new font.
#include "basic/dialogs/colorsettings.h"
#include "basic/editors/editorchild.h"
#include "basic/library/linotrex.h"
#include "basic/simwindows/fileform.h"
#include "framework/simwindows/rowgrid.h"

#include <QMdiArea>
#include <QtTest>

using namespace harvel;

class TestFileForm : public QObject {
    Q_OBJECT

private:
    QMdiArea* area = nullptr;
    TLinotrexFileForm* form = nullptr;

    TLinotrex& L() { return Linotrex(); }

    void Record(const std::string& values) {
        auto* editor = TMDIChildForm::Create<TEditorForm>(nullptr, std::string());
        area->addSubWindow(editor);
        editor->show();
        editor->TextEditor()->InsertText("FOPEN WRITE\r\nFWRITE " + values + "\r\nFCLOSE\r\n");
        editor->DoCommand(250);
        QVERIFY(L().Compiled());
        L().RunTo(-1);
        QCOMPARE(L().GetRunState(), TLinotrex::Idle);
    }
    QString RowText(int row) {
        QString seen, added;
        form->RowTexts(row, seen, added);
        return seen + added;
    }

private slots:
    void init() {
        HexOutput = false;
        area = new QMdiArea;
        area->resize(800, 600);
        area->show();
        ConnectDataWindow(area, L());
        form = ShowDataWindow(area, true);
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }
    void cleanup() {
        delete area;
        area = nullptr;
        QVERIFY(!LinotrexFileForm);
        L().Views() = TLinotrexViews();
    }

    // runs first: nothing has been recorded yet
    void emptyFileSaysSo() {
        QCOMPARE(L().Data().length, 0);
        QCOMPARE(form->Grid()->RowCount(), 1);
        QCOMPARE(RowText(0), QString());
        ColorSettings()[clDataText] = 0x0000FF;
        ColorSettings()[clDataBackgnd] = 0xFFFFFF;
        form->ColorsChanged();
        const QImage image = form->Grid()->viewport()->grab().toImage();
        bool textDrawn = false;
        for (int y = 0; y < image.height() && !textDrawn; ++y)
            for (int x = 0; x < image.width() && !textDrawn; ++x) {
                const QColor c = image.pixelColor(x, y);
                textDrawn = c.red() > 200 && c.green() < 80 && c.blue() < 80;
            }
        QVERIFY(textDrawn);
        ColorSettings() = TColorSettings();
    }

    void minusOneInDecimalAndHexadecimal() {
        Record("-1");
        QCOMPARE(L().Data().length, 1);
        QCOMPARE(RowText(0), QStringLiteral("     -1"));
        // a window opened anew shows every value as new
        form->close();
        QTest::qWait(1);
        form = ShowDataWindow(area, true);
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QString seen, added;
        form->RowTexts(0, seen, added);
        QCOMPARE(added, QStringLiteral("     -1"));
        HexOutput = true;
        form->RefreshDataWindow();
        // four digits of the 16-bit word, not the sign-extended 32 bits
        QCOMPARE(RowText(0), QStringLiteral(" FFFF"));
    }

    void narrowWindowShowsOneValuePerRow() {
        Record("-1, 2, 3, 4, 5");
        form->setMinimumSize(0, 0);
        form->resize(30, 120);
        QTest::qWait(1);
        QVERIFY(form->ValuesPerRow() >= 1);
        QCOMPARE(form->Grid()->RowCount(), (5 + form->ValuesPerRow() - 1) / form->ValuesPerRow());
        QCOMPARE(form->ValuesPerRow(), 1);
        QCOMPARE(RowText(4), QStringLiteral("      5"));
        QVERIFY(!form->Grid()->viewport()->grab().isNull());
    }

    void anotherFontFitsAnotherCountOfValues() {
        Record("1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12");
        form->resize(500, 200);
        QTest::qWait(1);
        const int before = form->ValuesPerRow();
        ColorSettings().fonts[fvData].size = 20;
        form->ColorsChanged();
        QVERIFY2(form->ValuesPerRow() < before, qPrintable(QString::number(before)));
        ColorSettings() = TColorSettings();
    }
};

QTEST_MAIN(TestFileForm)
#include "tst_fileform.moc"
