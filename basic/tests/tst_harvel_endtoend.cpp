// The BASIC program as a user drives it: the examples opened through the open command,
// compiled, run to their end, debugged with a breakpoint, a single step and a watch, a
// recording program's data window, a download to the simulated unit, and a second start that
// brings the source window back.
#include "basic/dialogs/linotrexinputdlg.h"
#include "basic/editors/editorchild.h"
#include "basic/library/linotrex.h"
#include "basic/mainwindow/mainform.h"
#include "basic/simwindows/fileform.h"
#include "basic/simwindows/messageform.h"
#include "basic/simwindows/terminalform.h"
#include "basic/simwindows/watchform.h"
#include "basic/tests/harvelstart.h"
#include "framework/mainframe.h"
#include "platform/qt/dialogs.h"
#include "platform/settings.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <memory>

using namespace harvel;

class TestHarvelEndToEnd : public QObject {
    Q_OBJECT

private:
    QTemporaryDir home, work;
    QString chosen; // what the open dialog answers

    TEditorForm* Open(TMainForm& form, const QString& path) {
        chosen = path;
        form.NamedItem("FileOpenItem")->trigger();
        return form.ActiveEditor();
    }
    // A shortcut as the user types it into a window brought to the front, after the idle call
    // that enables its item.
    static void Key(TMainForm& form, const QKeySequence& keys, QMdiSubWindow* into = nullptr) {
        if (into)
            form.MdiArea()->setActiveSubWindow(into);
        if (!form.isActiveWindow()) { // a dialog closed just now
            form.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&form));
        }
        form.AppIdle();
        QTest::keySequence(&form, keys);
    }
    static QString Example(const char* name) {
        return QStringLiteral(HARVEL_EXAMPLES_DIR "/") + QLatin1String(name);
    }
    static void PlaceCaretOn(TEditorForm* editor, int line, const char* word) {
        const std::string text = editor->TextEditor()->GetLineString(line);
        editor->TextEditor()->SetCaretPosition(line, int(text.find(word)) + 2);
    }

private slots:
    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", home.filePath("config").toLocal8Bit());
        qputenv("HOME", home.path().toLocal8Bit());
        QVERIFY(QDir::setCurrent(work.path()));
        DesktopFileName = DefaultDesktopFileName();
        QVERIFY(testing::InstallKeywordFile());
        TMainForm::ChooseOpenFile = [this](QWidget*) { return chosen; };
    }

    void theWholeRoad() {
        platform::DialogRecorder recorder; // no box may stop the road unseen
        TLinotrex& wrapper = Linotrex();
        auto form = testing::StartMainForm();

        // Open and compile.
        TEditorForm* editor = Open(*form, Example("lauflicht.bas"));
        QVERIFY(editor);
        QMdiSubWindow* target = editor;
        QCOMPARE(editor->windowTitle(), QStringLiteral("lauflicht.bas - Editor"));
        Key(*form, QKeySequence(Qt::CTRL | Qt::Key_F9), target);
        QVERIFY(MessageForm);
        QVERIFY2(Messages().back().text.startsWith("  fehlerfrei: "),
                 qPrintable(Messages().back().text));
        // The messages and the first output come up without taking the keys from the source.
        QCOMPARE(form->MdiArea()->activeSubWindow(), target);

        // Run to the end: the terminal shows every round.
        Key(*form, QKeySequence(Qt::Key_F9));
        QTRY_COMPARE_WITH_TIMEOUT(wrapper.GetRunState(), TLinotrex::Idle, 20000);
        QVERIFY(TerminalForm);
        QCOMPARE(form->MdiArea()->activeSubWindow(), target);
        std::vector<std::string> rounds;
        for (const std::string& line : TerminalLines())
            if (line.rfind("Runde", 0) == 0)
                rounds.push_back(line);
        QCOMPARE(rounds,
                 (std::vector<std::string>{"Runde 1 fertig", "Runde 2 fertig", "Runde 3 fertig"}));

        // A breakpoint on the PRINT of a round, run to it, watch the counter, step on.
        const int printLine = 21;
        QVERIFY(editor->TextEditor()->GetLineString(printLine).find("PRINT") != std::string::npos);
        PlaceCaretOn(editor, printLine, "PRINT");
        Key(*form, QKeySequence(Qt::CTRL | Qt::Key_F8), target);
        QCOMPARE(editor->Breakpoints().size(), size_t(1));
        Key(*form, QKeySequence(Qt::Key_F9), target);
        QCOMPARE(wrapper.ExecLine(), printLine);
        QVERIFY(editor->windowTitle().endsWith("Simulator"));
        PlaceCaretOn(editor, printLine, "runde;");
        Key(*form, QKeySequence(Qt::CTRL | Qt::Key_F7), target);
        QVERIFY(WatchForm);
        QCOMPARE(wrapper.Watches().size(), size_t(1));
        TWatchEntry& watch = *wrapper.Watches()[0];
        QCOMPARE(watch.GetName(), std::string("runde"));
        QCOMPARE(watch.GetText(), QStringLiteral("1"));
        Key(*form, QKeySequence(Qt::Key_F8), editor);
        QCOMPARE(wrapper.ExecLine(), printLine + 1);
        QCOMPARE(watch.GetState(), TWatchEntry::Unchanged);
        Key(*form, QKeySequence(Qt::Key_F8), target); // NEXT counts on
        QCOMPARE(watch.GetText(), QStringLiteral("2"));
        QCOMPARE(watch.GetState(), TWatchEntry::Changed);
        Key(*form, QKeySequence(Qt::CTRL | Qt::Key_F2), target);
        QCOMPARE(wrapper.GetRunState(), TLinotrex::Idle);

        // A program that records values; the data window shows them.
        const QString recording = work.filePath("aufzeichnung.bas");
        std::ofstream(recording.toStdString(), std::ios::binary)
            << "DIM n AS BYTE\r\nFOPEN WRITE\r\nFOR n = 1 TO 3\r\n  FWRITE n * 10\r\nNEXT\r\n"
               "FCLOSE\r\nEND\r\n";
        TEditorForm* recorder2 = Open(*form, recording);
        QVERIFY(recorder2 && recorder2 != editor);
        target = recorder2;
        Key(*form, QKeySequence(Qt::CTRL | Qt::Key_F9), target);
        QVERIFY(Messages().back().text.startsWith("  fehlerfrei: "));
        Key(*form, QKeySequence(Qt::Key_F9), target);
        QTRY_COMPARE_WITH_TIMEOUT(wrapper.GetRunState(), TLinotrex::Idle, 20000);
        Key(*form, QKeySequence(Qt::ALT | Qt::Key_4), target);
        QVERIFY(LinotrexFileForm);
        QCOMPARE(wrapper.Data().length, 3);
        QString seen, added;
        LinotrexFileForm->RowTexts(0, seen, added);
        QVERIFY2((seen + added).simplified().startsWith("10 20 30"),
                 qPrintable(seen + "|" + added));

        // INPUT asks through the input dialog; the answer is the secret number itself.
        TEditorForm* guess = Open(*form, Example("zahlenraten.bas"));
        QVERIFY(guess);
        target = guess;
        Key(*form, QKeySequence(Qt::CTRL | Qt::Key_F9), target);
        QVERIFY(Messages().back().text.startsWith("  fehlerfrei: "));
        ClearTerminal();
        int asked = 0;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<TLinotrexInputDlg*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            ++asked;
            const int secret = wrapper.GetSymbolValue(wrapper.MapSymbol("geheim"));
            dialog->EValue->setText(QString::number(secret));
            QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
        });
        answer.start(20);
        Key(*form, QKeySequence(Qt::Key_F9), target);
        QTRY_COMPARE_WITH_TIMEOUT(wrapper.GetRunState(), TLinotrex::Idle, 20000);
        answer.stop();
        QCOMPARE(asked, 1);
        const std::vector<std::string>& said = TerminalLines();
        QVERIFY(std::find(said.begin(), said.end(), "Ich denke mir eine Zahl von 1 bis 100.") !=
                said.end());
        QVERIFY(std::find(said.begin(), said.end(), "Beim ersten Versuch!") != said.end());

        // Download to the simulated unit through COM1.
        QProcess unit;
        unit.start(QStringLiteral(HARVEL_SIMUNIT), {QStringLiteral("--once")});
        QVERIFY(unit.waitForStarted());
        QVERIFY(unit.waitForReadyRead(5000));
        const QString device = QString::fromLocal8Bit(unit.readLine()).trimmed();
        QVERIFY(device.startsWith("/dev/"));
        platform::Settings::user().writeString("SOFTWARE\\Mirelt Electronic\\Tavrissel\\Ports",
                                               "COM1", device.toStdString());
        wrapper.SetComPort(1);
        Key(*form, QKeySequence(Qt::Key_F12), editor);
        QVERIFY(wrapper.DownloadActive());
        QTRY_VERIFY_WITH_TIMEOUT(!wrapper.DownloadActive(), 60000);
        QVERIFY2(Messages().back().text.endsWith("fertig"), qPrintable(Messages().back().text));
        QVERIFY(unit.waitForFinished(15000));
        const QString report = QString::fromLocal8Bit(unit.readAllStandardOutput());
        const QRegularExpressionMatch done =
            QRegularExpression(QStringLiteral("program (\\d+) bytes")).match(report);
        QVERIFY2(done.hasMatch(), qPrintable(report));
        QCOMPARE(done.captured(1).toInt(), wrapper.DownloadSize());

        // Close; the second start brings the source window back as it was.
        form->MdiArea()->setActiveSubWindow(editor);
        QVERIFY(TerminalForm);
        TerminalForm->raise(); // on top of the active window, as the first output leaves it
        PlaceCaretOn(editor, 13, "GOSUB");
        QVERIFY(form->close());
        form.reset();
        QVERIFY(QFile::exists(DesktopFileName));

        form = testing::StartMainForm();
        TEditorForm* again = nullptr;
        for (QMdiSubWindow* window : form->MdiArea()->subWindowList())
            if (auto* e = qobject_cast<TEditorForm*>(window))
                if (QString::fromStdString(e->TextEditor()->FileName()).endsWith("lauflicht.bas"))
                    again = e;
        QVERIFY(again);
        QCOMPARE(form->MdiArea()->activeSubWindow(), again);
        int column = 0;
        QCOMPARE(again->TextEditor()->GetCaretPosition(column), 13);
        QCOMPARE(column, 6);
        QCOMPARE(again->Breakpoints().size(), size_t(1));
        QCOMPARE(again->Breakpoints()[0]->line, printLine);
        QVERIFY(form->close());
        form.reset();
        for (const auto& box : recorder.Boxes())
            qWarning("box: %s", qPrintable(box.text));
        QVERIFY(recorder.Boxes().empty());
        wrapper.SetComPort(0);
    }
};

QTEST_MAIN(TestHarvelEndToEnd)
#include "tst_harvel_endtoend.moc"
