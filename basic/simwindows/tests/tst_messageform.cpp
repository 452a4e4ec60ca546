// The message window: compiler error lines walked by next and previous error, a line number
// leading to its source line, enabling, copy, colours, help and the stored rectangle.
#include "basic/dialogs/colorsettings.h"
#include "basic/editors/editorchild.h"
#include "basic/library/linotrex.h"
#include "basic/simwindows/messageform.h"
#include "framework/simwindows/rowgrid.h"
#include "framework/tests/helpcapture.h"
#include "framework/winregistry.h"
#include "platform/qt/dialogs.h"
#include "platform/settings.h"

#include <QClipboard>
#include <QMdiArea>
#include <QTemporaryDir>
#include <QtTest>

using namespace harvel;

class TestMessageForm : public QObject {
    Q_OBJECT

private:
    QMdiArea* area = nullptr;
    TEditorForm* editor = nullptr;

    int CaretLine() const {
        int column;
        return editor->TextEditor()->GetCaretPosition(column);
    }
    void Compile(const std::string& text) {
        editor->TextEditor()->ClearAll(true);
        editor->TextEditor()->InsertText(text);
        editor->DoCommand(250);
    }
    static int ErrorLines() {
        int count = 0;
        for (const TMessageLine& line : Messages())
            count += line.kind == mkCompilerError;
        return count;
    }

private slots:
    void init() {
        area = new QMdiArea;
        area->resize(900, 700);
        area->show();
        ConnectMessageWindow(area, Linotrex());
        editor = TMDIChildForm::Create<TEditorForm>(nullptr, std::string());
        area->addSubWindow(editor);
        editor->show();
    }
    void cleanup() {
        delete area; // with its windows
        QVERIFY(!MessageForm);
        ClearMessages();
    }

    void twoCompileErrorsAreWalkedByNextAndPrevious() {
        platform::DialogRecorder dialogs;
        Compile("DIM a AS WORD\r\na = 1\r\nzz = 1\r\na = 2\r\na = \r\n");
        QVERIFY(MessageForm);
        QCOMPARE(ErrorLines(), 2);
        QCOMPARE(dialogs.Beeps().size(), size_t(1)); // the "Fehler gefunden" line
        // The compile went to the first error and showed its line, keeping the editor behind.
        const int first = CurrentErrorLine();
        QCOMPARE(Messages()[size_t(first)].kind, mkCompilerError);
        QCOMPARE(MessageForm->Grid()->CurrentRow(), first);
        QCOMPARE(CaretLine(), 3);
        QCOMPARE(area->activeSubWindow(), MessageForm);
        QVERIFY(MessageForm->IsCommandEnabled(260));
        QVERIFY(!MessageForm->IsCommandEnabled(261));

        MessageForm->DoCommand(260);
        QVERIFY(CurrentErrorLine() > first);
        QCOMPARE(MessageForm->Grid()->CurrentRow(), CurrentErrorLine());
        QCOMPARE(CaretLine(), 5);
        QCOMPARE(area->activeSubWindow(), editor);
        QVERIFY(!HasNextError());
        QVERIFY(HasPreviousError());

        GoToError(-1, true);
        QCOMPARE(CurrentErrorLine(), first);
        QCOMPARE(CaretLine(), 3);

        // Cleared, nothing is left to walk, copy or clear.
        MessageForm->DoCommand(160);
        QVERIFY(Messages().empty());
        QCOMPARE(MessageForm->Grid()->RowCount(), 1);
        for (int cmd : {260, 261, 153, 160})
            QVERIFY(!MessageForm->IsCommandEnabled(cmd));
    }

    void compileBringsACoveredWindowUpAndLeavesTheKeys() {
        Compile("DIM a AS WORD\r\na = 1\r\n");
        QVERIFY(MessageForm);
        area->setActiveSubWindow(editor);
        editor->raise();
        Compile("DIM a AS WORD\r\na = 2\r\n");
        QCOMPARE(area->subWindowList(QMdiArea::StackingOrder).last(), MessageForm);
        QCOMPARE(area->activeSubWindow(), editor);
    }

    void lineNumberLeadsToItsSourceLine() {
        platform::DialogRecorder dialogs;
        std::string text = "DIM a AS WORD\r\n";
        for (int i = 2; i <= 20; ++i)
            text += "a = " + std::to_string(i) + "\r\n";
        Compile(text + "a = \r\n");
        QVERIFY(!Linotrex().Compiled());
        ClearMessages();
        AddCompilerErrors("Zeile 12: Fehler 7 in Spalte 30\r\nohne Nummer\r\nZeile 99999999999");
        QCOMPARE(ErrorLines(), 3);
        // Next walks every error line and stays on the last.
        QCOMPARE(CurrentErrorLine(), 0);
        for (int expected : {1, 2, 2}) {
            GoToError(1, false);
            QCOMPARE(CurrentErrorLine(), expected);
        }
        TRowGrid* grid = MessageForm->Grid();
        area->setActiveSubWindow(MessageForm);

        grid->SetCurrentRow(0);
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(CaretLine(), 12);
        QCOMPARE(area->activeSubWindow(), editor);

        // Rows without a usable number lead nowhere.
        editor->TextEditor()->SetCaretPosition(2, 1);
        for (int row : {1, 2}) {
            grid->SetCurrentRow(row);
            QTest::keyClick(grid, Qt::Key_Return);
            QCOMPARE(CaretLine(), 2);
        }
        // A double click on the first row does what Enter does.
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->RowRect(0).center());
        QCOMPARE(CaretLine(), 12);
    }

    void listOutlivesTheWindow() {
        platform::DialogRecorder dialogs;
        AddMessage("Compiliere x", mkProgress);
        ShowMessageWindow(area, true);
        MessageForm->close();
        QTRY_VERIFY(!MessageForm);
        AppendToLastMessage(" fertig");
        AddMessage("  Fehler!", mkError);
        QCOMPARE(dialogs.Beeps(), std::vector{platform::BeepKind::Exclamation});

        ShowMessageWindow(area, true);
        QCOMPARE(MessageForm->Grid()->RowCount(), 2);
        QCOMPARE(MessageForm->Grid()->CurrentRow(), 1);
        MessageForm->DoCommand(153);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("Compiliere x fertig\r\n  Fehler!\r\n"));

        // Appending with no line to continue keeps the text.
        ClearMessages();
        AppendToLastMessage("fertig");
        QCOMPARE(Messages().size(), size_t(1));
        QCOMPARE(Messages()[0].text, QStringLiteral("fertig"));
    }

    void colorsAndHelp() {
        TColorSettings saved = ColorSettings();
        ColorSettings()[clMessageBackgnd] = 0x00FF0000; // blue
        ColorSettings()[clMessageError] = 0x000000FF;   // red
        AddMessage(QString(30, QChar('#')), mkError);
        ShowMessageWindow(area, true);
        MessageForm->ColorsChanged();
        TRowGrid* grid = MessageForm->Grid();
        const QImage image = grid->viewport()->grab().toImage();
        QCOMPARE(image.pixelColor(grid->RowRect(2).center()), QColor(Qt::blue));
        bool red = false;
        const QRect row = grid->RowRect(0);
        for (int y = row.top(); y <= row.bottom() && !red; ++y)
            for (int x = row.left() + 16; x < row.left() + 200 && !red; ++x)
                red = image.pixelColor(x, y).red() > 200 && image.pixelColor(x, y).blue() < 60;
        QVERIFY(red);
        ColorSettings() = saved;

        fixture::HelpCapture help("Harvel.hlp", "11000.html");
        QTest::keyClick(grid, Qt::Key_F1);
        QCOMPARE(help.Opened.size(), 1);
        QVERIFY(help.Opened[0].toString().endsWith("11000.html"));
    }

    void rectangleIsStoredAndApplied() {
        QTemporaryDir dir;
        platform::Settings store(dir.filePath("reg").toStdString());
        ShowMessageWindow(area, true);
        MessageForm->setGeometry(20, 30, 400, 150);
        {
            TWinRegistry reg(store, "Test");
            WriteMessageSettings(reg);
        }
        MessageForm->close();
        QTRY_VERIFY(!MessageForm);
        MessageWindowRect = TWindowRect();
        TWinRegistry reg(store, "Test");
        QCOMPARE(reg.ReadInteger("MessageWindow", "Right", -1), 420);
        ReadMessageSettings(reg);
        ShowMessageWindow(area, true);
        QCOMPARE(MessageForm->geometry(), QRect(20, 30, 400, 150));
        MessageWindowRect = TWindowRect();
    }
};

QTEST_MAIN(TestMessageForm)
#include "tst_messageform.moc"
