// The terminal window: the first output opens it, output continues the last line, at most
// 1000 lines are kept, the newest stays in view, commands, colours, help and the rectangle.
#include "basic/dialogs/colorsettings.h"
#include "basic/editors/editorchild.h"
#include "basic/library/linotrex.h"
#include "basic/simwindows/terminalform.h"
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

class TestTerminalForm : public QObject {
    Q_OBJECT

private:
    QMdiArea* area = nullptr;
    TEditorForm* editor = nullptr;

    void Compile(const std::string& text) {
        editor->TextEditor()->ClearAll(true);
        editor->TextEditor()->InsertText(text);
        editor->DoCommand(250);
        QVERIFY(Linotrex().Compiled());
    }
    static std::vector<std::string> Lines(std::initializer_list<const char*> lines) {
        return std::vector<std::string>(lines.begin(), lines.end());
    }
    static void AddLines(int count) {
        for (int i = 0; i < count; ++i)
            AddTerminalText(QStringLiteral("L%1\r\n").arg(i));
    }

private slots:
    void init() {
        area = new QMdiArea;
        area->resize(900, 700);
        area->show();
        ConnectTerminalWindow(area, Linotrex());
        editor = TMDIChildForm::Create<TEditorForm>(nullptr, std::string());
        area->addSubWindow(editor);
        editor->show();
    }
    void cleanup() {
        delete area; // with its windows
        QVERIFY(!TerminalForm);
        ClearTerminal();
    }

    // Runs first: the flag is set once, at program start.
    void firstOutputOpensTheWindowOnce() {
        platform::DialogRecorder dialogs;
        QVERIFY(OpenTerminalOnOutput());
        Compile("PRINT 6\r\nPRINT 7\r\n");
        Linotrex().RunTo(-1);
        QVERIFY(TerminalForm);
        QCOMPARE(TerminalLines(), Lines({"6", "7", ""}));
        QCOMPARE(TerminalForm->Grid()->RowCount(), 3);

        TerminalForm->close();
        QTRY_VERIFY(!TerminalForm);
        Linotrex().RunTo(-1);
        QVERIFY(!TerminalForm);
        QCOMPARE(TerminalLines(), Lines({"6", "7", "6", "7", ""}));
    }

    void outputContinuesTheLastLine() {
        ShowTerminalWindow(area, true);
        AddTerminalText("A");
        AddTerminalText("B\r\nC");
        QCOMPARE(TerminalLines(), Lines({"AB", "C"}));
        QCOMPARE(TerminalForm->Grid()->RowCount(), 2);
        QCOMPARE(TerminalForm->Grid()->CurrentRow(), 1);
        // A tab at 7 characters goes on to 16.
        AddTerminalText("\r\n1234567\tx");
        QCOMPARE(TerminalLines().back(), std::string("1234567") + std::string(9, ' ') + "x");
    }

    void keepsTheNewest1000LinesInView() {
        ShowTerminalWindow(area, true);
        AddLines(1001); // the 1002nd line is the empty one after the last CR LF
        QCOMPARE(TerminalLines().size(), TerminalLineLimit);
        QCOMPARE(TerminalLines().front(), std::string("L2"));
        TRowGrid* grid = TerminalForm->Grid();
        QCOMPARE(grid->RowCount(), 1000);
        QCOMPARE(grid->CurrentRow(), 999);
        const QRect newest = grid->RowRect(999);
        QVERIFY(newest.top() >= 0 && newest.bottom() < grid->viewport()->height());

        TerminalForm->close();
        QTRY_VERIFY(!TerminalForm);
        ClearTerminal();
        AddLines(1001);
        QCOMPARE(TerminalLines().size(), TerminalLineLimit);
        QCOMPARE(TerminalLines()[998], std::string("L1000"));
        ShowTerminalWindow(area, true);
        QCOMPARE(TerminalForm->Grid()->CurrentRow(), 999);
    }

    void commandsColoursAndHelp() {
        platform::DialogRecorder dialogs;
        ShowTerminalWindow(area, true);
        for (int cmd : {153, 160, 303, 304, 307})
            QVERIFY(!TerminalForm->IsCommandEnabled(cmd));

        Compile("PRINT 1\r\nPRINT 2\r\n");
        QVERIFY(Linotrex().StepOnce());
        QCOMPARE(Linotrex().GetRunState(), TLinotrex::Halted);
        QVERIFY(TerminalForm->IsCommandEnabled(304));
        QVERIFY(TerminalForm->IsCommandEnabled(303));
        QVERIFY(!TerminalForm->IsCommandEnabled(307));
        TerminalForm->DoCommand(304);
        QCOMPARE(TerminalLines(), Lines({"1", "2", ""}));

        TerminalForm->DoCommand(153);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("1\r\n2\r\n\r\n"));

        TColorSettings saved = ColorSettings();
        ColorSettings()[clTerminalBackgnd] = 0x00FF0000; // blue
        ColorSettings()[clTerminalText] = 0x000000FF;    // red
        AddTerminalText(QString(30, QChar('#')));
        TerminalForm->ColorsChanged();
        TRowGrid* grid = TerminalForm->Grid();
        const QImage image = grid->viewport()->grab().toImage();
        QCOMPARE(image.pixelColor(grid->RowRect(0).topLeft() + QPoint(1, 1)), QColor(Qt::blue));
        const QRect row = grid->RowRect(2);
        bool red = false;
        for (int y = row.top(); y <= row.bottom() && !red; ++y)
            for (int x = row.left() + 2; x < row.left() + 200 && !red; ++x)
                red = image.pixelColor(x, y).red() > 200 && image.pixelColor(x, y).blue() < 60;
        QVERIFY(red);
        ColorSettings() = saved;

        TerminalForm->DoCommand(160);
        QVERIFY(TerminalLines().empty());
        QCOMPARE(grid->RowCount(), 1);

        fixture::HelpCapture help("Harvel.hlp", "13000.html");
        QTest::keyClick(grid, Qt::Key_F1);
        QCOMPARE(help.Opened.size(), 1);
        QVERIFY(help.Opened[0].toString().endsWith("13000.html"));
    }

    void rectangleIsStoredAndApplied() {
        QTemporaryDir dir;
        platform::Settings store(dir.filePath("reg").toStdString());
        ShowTerminalWindow(area, true);
        TerminalForm->setGeometry(40, 50, 300, 200);
        {
            TWinRegistry reg(store, "Test");
            WriteTerminalSettings(reg);
        }
        TerminalForm->close();
        QTRY_VERIFY(!TerminalForm);
        TerminalWindowRect = TWindowRect();
        TWinRegistry reg(store, "Test");
        QCOMPARE(reg.ReadInteger("TerminalWindow", "Bottom", -1), 250);
        ReadTerminalSettings(reg);
        ShowTerminalWindow(area, true);
        QCOMPARE(TerminalForm->geometry(), QRect(40, 50, 300, 200));
        TerminalWindowRect = TWindowRect();
    }
};

QTEST_MAIN(TestTerminalForm)
#include "tst_terminalform.moc"
