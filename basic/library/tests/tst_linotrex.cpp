// The wrapper driving the BASIC library for an editor window: compile, step, run, breakpoints,
// watches, input, output, simulator errors, settings and the download thread against the
// simulated unit.
#include "basic/editors/editorchild.h"
#include "basic/library/linotrex.h"
#include "engine/download/simulated_unit.h"
#include "framework/winregistry.h"
#include "platform/qt/dialogs.h"
#include "platform/settings.h"

#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <map>
#include <stdexcept>

using namespace harvel;
using Kind = TLinotrexViews::MessageKind;

namespace {

const char* kProgram = "DIM a AS WORD, b AS WORD\r\n"
                       "a = 1\r\n"
                       "b = a + 1\r\n"
                       "a = b * 3\r\n"
                       "PORT[3] = -1\r\n"
                       "PRINT a\r\n";

} // namespace

class TestLinotrex : public QObject {
    Q_OBJECT

private:
    TEditorForm* form = nullptr;
    QStringList messages, terminal, errors;
    int inputsAsked = 0;
    std::optional<int> inputAnswer;
    int goToError = 0;

    TLinotrex& L() { return Linotrex(); }

    void SetText(const std::string& text) {
        form->TextEditor()->ClearAll(true);
        form->TextEditor()->InsertText(text);
    }
    void Compile(const std::string& text) {
        SetText(text);
        form->DoCommand(250);
    }
    // The compiler error lines handed over at once, whole lines only; empty otherwise.
    QStringList Listed() const {
        if (errors.size() != 1 || !errors[0].endsWith("\r\n"))
            return {};
        return errors[0].split("\r\n", Qt::SkipEmptyParts);
    }

private slots:
    void init() {
        messages.clear();
        terminal.clear();
        errors.clear();
        inputsAsked = 0;
        goToError = 0;
        inputAnswer.reset();
        TLinotrexViews& v = L().Views();
        v = TLinotrexViews();
        v.AddMessage = [this](const QString& text, Kind kind) {
            messages << (kind == Kind::Error ? "E:" : kind == Kind::Progress ? "P:" : "") + text;
        };
        v.AppendToLastMessage = [this](const QString& text) { messages.last() += text; };
        v.AddCompilerErrors = [this](const QString& lines) { errors << lines; };
        v.GoToError = [this] { ++goToError; };
        v.AddTerminalText = [this](const QString& text) { terminal << text; };
        v.AskInput = [this](int& value) {
            ++inputsAsked;
            if (!inputAnswer)
                return false;
            value = *inputAnswer;
            return true;
        };
        form = TMDIChildForm::Create<TEditorForm>(nullptr, std::string());
        form->show();
    }
    void cleanup() {
        delete form;
        form = nullptr;
        QVERIFY(!L().AttachedEditor());
        L().Watches().clear();
    }

    void compileReportsSuccessAndErrors() {
        Compile(kProgram);
        QVERIFY(L().IsCompiledFor(form));
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages[0], QStringLiteral("P:Compiliere Unbenannter Quelltext"));
        const int code = LinotrexGetCodeLength(L().Handle());
        const int sys = LinotrexGetSysCodeLength(L().Handle());
        QCOMPARE(messages[1],
                 QStringLiteral("  fehlerfrei: %1 BASIC Bytes, %2 SYS Bytes").arg(code).arg(sys));
        QCOMPARE(L().DownloadSize(), code + sys);
        QVERIFY(L().DownloadSize() > 0);
        QCOMPARE(L().GetRunState(), TLinotrex::Idle);
        QCOMPARE(L().GetStatusText(), QStringLiteral("Bereit"));

        messages.clear();
        Compile("DIM a AS WORD\r\nzz = 1\r\na = \r\n");
        QVERIFY(!L().Compiled());
        QVERIFY(!L().IsCompiledFor(form));
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages[1].startsWith("E:  ") && messages[1].endsWith(" Fehler gefunden:"));
        QVERIFY(messages[1].mid(4).split(' ')[0].toInt() >= 1);
        QCOMPARE(errors.size(), 1);
        QVERIFY(!errors[0].isEmpty());
        QCOMPARE(goToError, 1);
        QVERIFY(!form->IsCommandEnabled(303));
        QVERIFY(!form->IsCommandEnabled(304));
    }

    void compileCountsErrorsPastTheListed() {
        // the undefined label on line 1 is found last, after 299 other errors
        std::string text = "GOTO #nirgends\r\n";
        for (int i = 0; i < 299; ++i)
            text += "zz = 1\r\n";
        Compile(text);
        QCOMPARE(messages.value(1), QStringLiteral("E:  300 Fehler gefunden:"));
        const QStringList listed = Listed();
        QVERIFY(listed.size() > 10 && listed.size() < 300);
        QCOMPARE(listed[0], QStringLiteral("Zeile 1: Sprungmarke #NIRGENDS nicht definiert"));
        for (int i = 1; i < listed.size(); ++i)
            QCOMPARE(listed[i], QStringLiteral("Zeile %1: unbekannter Name 'ZZ'").arg(i + 1));
    }

    void aBinaryFileCountsEveryLineWithNulBytes() {
        QTemporaryDir dir;
        const std::string path = dir.filePath("prog.bin").toStdString();
        {
            std::ofstream out(path, std::ios::binary);
            for (int i = 0; i < 300; ++i)
                out << std::string("\x7f"
                                   "ELF\x02\x01\x01\0\0\0\xff\n",
                                   12);
        }
        const std::unique_ptr<TEditorForm> binary(
            TMDIChildForm::Create<TEditorForm>(nullptr, path));
        binary->show();
        binary->DoCommand(250);
        QCOMPARE(messages.value(1), QStringLiteral("E:  300 Fehler gefunden:"));
        const QStringList listed = Listed();
        QVERIFY(listed.size() > 10 && listed.size() < 300);
        for (int i = 0; i < listed.size(); ++i)
            QCOMPARE(listed[i],
                     QStringLiteral("Zeile %1: unerwartetes Zeichen (Nullbyte)").arg(i + 1));
    }

    void stepsLineByLineWithWatches() {
        Compile(kProgram);
        TWatchEntry& a = L().AddWatch("a");
        TWatchEntry& bad = L().AddWatch("nothing");
        QCOMPARE(a.GetState(), TWatchEntry::Unchanged);
        QVERIFY(!a.Redraw());
        QCOMPARE(bad.GetText(), QStringLiteral("Fehler bei Auswertung"));
        QVERIFY(!bad.Redraw());

        QVERIFY(form->IsCommandEnabled(304));
        // a step runs line 2 and stands on the next one
        form->DoCommand(304);
        QCOMPARE(L().ExecLine(), 3);
        QCOMPARE(L().GetRunState(), TLinotrex::Halted);
        QCOMPARE(L().GetStatusText(),
                 QStringLiteral("Simulator: Unbenannter Quelltext [Angehalten]"));
        QVERIFY(L().IsExecLine(form, 3));
        QCOMPARE(a.GetState(), TWatchEntry::Changed);
        QCOMPARE(a.GetText(), QStringLiteral("1"));
        QVERIFY(a.Redraw());
        // while simulating the text is read-only and the caption says so
        QVERIFY(form->IsCommandEnabled(305));
        QVERIFY(form->Simulating());
        QVERIFY(form->TextEditor()->ReadOnly());
        QVERIFY(form->windowTitle().endsWith(" - Simulator"));
        QVERIFY(!form->IsCommandEnabled(155));

        form->DoCommand(304);
        QCOMPARE(L().ExecLine(), 4);
        QCOMPARE(a.GetState(), TWatchEntry::Unchanged);
        QVERIFY(a.Redraw()); // the change mark goes away
        form->DoCommand(304);
        form->DoCommand(304);
        QCOMPARE(L().ExecLine(), 6);
        QCOMPARE(a.Value(), 6);
        QVERIFY(L().Ports().direction[2]);
        QVERIFY(L().Ports().level[2]);
        QVERIFY(!L().Ports().direction[3]);

        form->DoCommand(305);
        QCOMPARE(L().GetRunState(), TLinotrex::Idle);
        QCOMPARE(L().ExecLine(), -1);
        QCOMPARE(a.Value(), 0);
        QVERIFY(!L().Ports().level[2]);
        QVERIFY(!form->IsCommandEnabled(305));
        QVERIFY(form->IsCommandEnabled(155));
        QVERIFY(!form->TextEditor()->ReadOnly());
        QVERIFY(form->windowTitle().endsWith(" - Editor"));
    }

    void runStopsAtBreakpointsAndAtTheEnd() {
        SetText(kProgram);
        form->TextEditor()->SetCaretPosition(4, 1);
        form->DoCommand(300);
        QCOMPARE(form->Breakpoints().size(), size_t(1));
        QVERIFY(!form->Breakpoints()[0]->checked);
        form->DoCommand(250);
        QVERIFY(form->Breakpoints()[0]->checked);
        QVERIFY(form->Breakpoints()[0]->valid);
        // line 1 only declares: no place to stop
        QVERIFY(!L().IsValidBreakpointIn(form, 1));
        QVERIFY(form->IsCommandEnabled(301));

        form->DoCommand(303);
        QCOMPARE(L().ExecLine(), 4);
        QCOMPARE(L().GetRunState(), TLinotrex::Halted);
        QVERIFY(terminal.isEmpty());

        form->DoCommand(303);
        QCOMPARE(L().ExecLine(), -1);
        QCOMPARE(L().GetRunState(), TLinotrex::Idle);
        QCOMPARE(terminal.join(QString()), QStringLiteral("6\r\n"));

        // run to the caret line
        form->TextEditor()->SetCaretPosition(3, 1);
        form->DoCommand(301);
        QCOMPARE(L().ExecLine(), 3);
        form->DoCommand(306);
        QVERIFY(form->Breakpoints().empty());
        form->DoCommand(303);
        QCOMPARE(L().ExecLine(), -1);
    }

    void inputAndOutputGoThroughTheWindows() {
        Compile("DIM v AS WORD\r\nINPUT v\r\nPRINT v * 2\r\nPRINT \"x\"; : PRINT \"y\"\r\n");
        inputAnswer = 21;
        form->DoCommand(303);
        QCOMPARE(inputsAsked, 1);
        QCOMPARE(terminal.join(QString()), QStringLiteral("42\r\nxy\r\n"));

        platform::DialogRecorder recorder;
        inputAnswer.reset();
        form->DoCommand(305);
        QVERIFY(!L().StepOnce());
        QCOMPARE(inputsAsked, 2);
        QCOMPARE(L().GetRunState(), TLinotrex::Halted);
        QCOMPARE(recorder.Beeps().size(), size_t(1));
    }

    void simulatorErrorHaltsWithItsMessage() {
        platform::DialogRecorder recorder;
        Compile("DIM z AS WORD\r\nz = 0\r\nPRINT 5 / z\r\n");
        form->DoCommand(303);
        QCOMPARE(L().GetRunState(), TLinotrex::Halted);
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes()[0].text,
                 QStringLiteral("Es trat ein Simulationsfehler auf:\nDivision durch Null!"));
        QCOMPARE(recorder.Beeps().size(), size_t(1));
    }

    void waitAndPauseKeepTheWindowsAlive() {
        platform::DialogRecorder recorder;
        Compile("DIR PORT[1] IN\r\nWAIT PORT[1]\r\nPAUSE 0\r\nPRINT 7\r\n");
        QVERIFY(L().Compiled());
        // the run calls the idle handler once before its first step; the next call comes from
        // inside the WAIT
        int runIdles = 0;
        L().Views().Idle = [&] {
            if (++runIdles == 2)
                L().UserBreak();
        };
        form->DoCommand(303);
        QCOMPARE(L().ExecLine(), 2);
        QCOMPARE(L().GetRunState(), TLinotrex::Halted);
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes()[0].text, QStringLiteral("WAIT: Abbruch durch Anwender"));
        QCOMPARE(recorder.Beeps().size(), size_t(1));

        // a single step afterwards waits until the line goes high
        int idles = 0;
        L().Views().Idle = [&] {
            if (++idles == 3)
                L().SetPortLine(0, 1);
        };
        while (L().ExecLine() != 4 && L().ExecLine() != -1 && L().StepOnce()) {
        }
        QCOMPARE(L().ExecLine(), 4);
        QVERIFY(idles >= 3);
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(L().GetRunState(), TLinotrex::Halted);
        form->DoCommand(303);
        QCOMPARE(terminal.join(QString()), QStringLiteral("7\r\n"));
    }

    void aStepLeftByAnExceptionStandsHalted() {
        Compile("PAUSE 50\r\nPRINT 1\r\n");
        L().Views().Idle = [] { throw std::runtime_error("idle"); };
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, L().StepOnce());
        L().Views().Idle = nullptr;
        QCOMPARE(L().GetRunState(), TLinotrex::Halted);
        QVERIFY(form->IsCommandEnabled(304));
    }

    void waitInAStepBlocksEveryOtherCommand() {
        std::unique_ptr<TEditorForm> other(
            TMDIChildForm::Create<TEditorForm>(nullptr, std::string()));
        other->TextEditor()->InsertText("PRINT 2\r\n");
        Compile("DIR PORT[1] IN\r\nWAIT PORT[1]\r\nPRINT 7\r\n");
        form->DoCommand(304);
        QCOMPARE(L().ExecLine(), 2);
        const int compiledMessages = int(messages.size());
        int idles = 0;
        std::map<int, bool> enabled, otherEnabled;
        QString status;
        TLinotrex::RunState state = TLinotrex::Idle;
        L().Views().Idle = [&] {
            if (++idles > 1)
                return;
            state = L().GetRunState();
            status = L().GetStatusText();
            for (int cmd : {250, 251, 301, 303, 304, 305, 307}) {
                enabled[cmd] = form->IsCommandEnabled(cmd);
                otherEnabled[cmd] = other->IsCommandEnabled(cmd);
            }
            // nothing that calls the library starts inside the step
            other->DoCommand(250);
            form->DoCommand(305);
            QVERIFY(!L().StepOnce());
            QVERIFY(!L().DetachEditor(form));
            // a value set between the wait's steps, as the watch window sets it, ends the wait
            QVERIFY(L().SetSymbolValue(L().MapSymbol("PORT[1]"), 1));
            QCOMPARE(L().GetSymbolValue(L().MapSymbol("PORT[1]")), 1);
        };
        form->DoCommand(304);
        QCOMPARE(state, TLinotrex::Waiting);
        QCOMPARE(status, QStringLiteral("Simulator: Unbenannter Quelltext [WAIT]"));
        for (int cmd : {250, 251, 301, 303, 304, 305}) {
            QVERIFY2(!enabled[cmd], qPrintable(QString::number(cmd)));
            QVERIFY2(!otherEnabled[cmd], qPrintable(QString::number(cmd)));
        }
        QVERIFY(enabled[307]);
        QVERIFY(otherEnabled[307]);
        QCOMPARE(int(messages.size()), compiledMessages);
        QCOMPARE(L().AttachedEditor(), form);
        QCOMPARE(L().ExecLine(), 3);
        QCOMPARE(L().GetRunState(), TLinotrex::Halted);
        // once the step is over the other window may compile again
        QVERIFY(other->IsCommandEnabled(250));
        QVERIFY(!other->IsCommandEnabled(303));
    }

    void stopFromAnyWindowEndsARunAcrossPauses() {
        std::unique_ptr<TEditorForm> other(
            TMDIChildForm::Create<TEditorForm>(nullptr, std::string()));
        other->TextEditor()->InsertText("PRINT 2\r\n");
        platform::DialogRecorder recorder;
        Compile("DIM i AS WORD\r\n#L\r\ni = i + 1\r\nPAUSE 2\r\nGOTO #L\r\n");
        int idles = 0;
        bool compileOffered = true, stopOffered = false;
        L().Views().Idle = [&] {
            if (++idles == 3) {
                compileOffered = other->IsCommandEnabled(250);
                stopOffered = other->IsCommandEnabled(307);
                other->DoCommand(250); // refused: the run goes on
                other->DoCommand(307);
            }
        };
        form->DoCommand(303);
        QVERIFY(!compileOffered);
        QVERIFY(stopOffered);
        QCOMPARE(L().AttachedEditor(), form);
        QCOMPARE(L().GetRunState(), TLinotrex::Halted);
        QVERIFY(idles >= 3 && idles < 10);
        QVERIFY(!other->IsCommandEnabled(307));
    }

    void aScopeOwnsTheWrapperWhileItLives() {
        TLinotrex* standing = &L();
        {
            TLinotrexScope scope;
            QCOMPARE(&Linotrex(), &scope.Wrapper());
            QVERIFY(&Linotrex() != standing);
            QVERIFY(Linotrex().Handle());
            // the scope's wrapper runs programs of its own
            std::unique_ptr<TEditorForm> inner(
                TMDIChildForm::Create<TEditorForm>(nullptr, std::string()));
            inner->TextEditor()->InsertText("PRINT 1\r\n");
            inner->DoCommand(250);
            QVERIFY(Linotrex().IsCompiledFor(inner.get()));
            QVERIFY(!standing->AttachedEditor());
        }
        QCOMPARE(&L(), standing);
    }

    void dataFileAndValuesReachTheWindows() {
        int dataRefreshes = 0, watchRepaints = 0;
        L().Views().RefreshDataWindow = [&] { ++dataRefreshes; };
        L().Views().RepaintChangedWatches = [&] { ++watchRepaints; };
        Compile("DIM w AS WORD\r\nFOPEN WRITE\r\nFWRITE 11, -2, w\r\nFCLOSE\r\nPRINT w\r\n");
        QVERIFY(L().Compiled());
        dataRefreshes = 0;
        form->TextEditor()->SetCaretPosition(4, 1);
        form->DoCommand(301);
        QCOMPARE(L().ExecLine(), 4);
        QVERIFY(dataRefreshes >= 1);
        QCOMPARE(L().Data().length, 3);
        QCOMPARE(L().Data().words[0], int16_t(11));
        QCOMPARE(L().Data().words[1], int16_t(-2));
        QCOMPARE(L().Data().words[2], int16_t(0));

        // a value set from a window shows in the watches and in the program
        TWatchEntry& w = L().AddWatch("w");
        const uint32_t id = L().MapSymbol("w");
        QVERIFY(id != 0);
        watchRepaints = 0;
        L().SetSymbolValue(id, -300);
        QCOMPARE(watchRepaints, 1);
        QCOMPARE(w.Value(), -300);
        QCOMPARE(L().GetSymbolValue(id), -300);
        form->DoCommand(303);
        QCOMPARE(terminal.join(QString()), QStringLiteral("-300\r\n"));
        // the file was kept; a reset keeps the previous length for the window
        form->DoCommand(305);
        QCOMPARE(L().Data().previousLength, 3);
        QCOMPARE(L().Data().length, 3);
    }

    void detachingWhileSimulatingAsks() {
        Compile(kProgram);
        form->DoCommand(304);
        platform::DialogRecorder recorder;
        recorder.QueueAnswer(platform::Button::No);
        QVERIFY(!L().DetachEditor(form));
        QCOMPARE(L().AttachedEditor(), form);
        QCOMPARE(recorder.Boxes()[0].text,
                 QStringLiteral("Soll die laufende Simulation abgebrochen werden?"));
        recorder.QueueAnswer(platform::Button::Yes);
        QVERIFY(L().DetachEditor(form));
        QVERIFY(!L().AttachedEditor());
        QVERIFY(!L().IsExecLine(form, 2));
    }

    void settingsRoundTrip() {
        QTemporaryDir dir;
        platform::Settings store(dir.filePath("settings").toStdString());
        TWinRegistry reg(store, QStringLiteral("SOFTWARE\\Mirelt Electronic\\Tavrissel/BASIC"));
        L().LoadSettings(reg);
        QVERIFY(L().AutoTiming());
        QVERIFY(L().SimulatedBeep());
        QCOMPARE(L().PortNumber(), -1);
        L().SetAutoTiming(false);
        L().SetComPort(3);
        L().SetFixedInPorts(0x0005);
        L().SaveSettings(reg);
        L().SetAutoTiming(true);
        L().SetComPort(1);
        L().SetFixedInPorts(0);
        L().LoadSettings(reg);
        QVERIFY(!L().AutoTiming());
        QCOMPARE(L().PortNumber(), 3);
        QCOMPARE(LinotrexGetInitialPortState(L().Handle()), 5);
        QVERIFY(L().Ports().level[0] && !L().Ports().level[1] && L().Ports().level[2]);
        L().SetFixedInPorts(0);
        L().SetAutoTiming(true);
        L().SetComPort(0);
    }

    void downloadRunsOnItsThreadAndReports() {
        quendal::PseudoTerminal terminalPair;
        QVERIFY(terminalPair.isOpen());
        QTemporaryDir dir;
        platform::Settings store(dir.filePath("ports").toStdString());
        store.writeString("SOFTWARE\\Mirelt Electronic\\Tavrissel\\Ports", "COM2",
                          terminalPair.slavePath());
        store.writeString("SOFTWARE\\Mirelt Electronic\\Tavrissel\\Ports", "COM3",
                          dir.filePath("missing").toStdString());
        L().SetPortSettings(&store);
        L().SetComPort(2);

        quendal::SimulatedUnit unit(terminalPair.master());
        unit.start();
        SetText(kProgram);
        form->DoCommand(251);
        // the thread cannot report before the main thread runs its events
        QVERIFY(L().DownloadActive());
        QVERIFY(L().PortOpen());
        for (int cmd : {250, 251, 303, 304, 305})
            QVERIFY(!form->IsCommandEnabled(cmd));
        QCOMPARE(messages.last(), QStringLiteral("P:Übertrage %1 Bytes an die Tavrissel-Unit...")
                                      .arg(L().DownloadSize()));
        // a port chosen meanwhile waits for the download's end
        L().SetComPort(3);
        QCOMPARE(L().PortNumber(), 2);
        QVERIFY(L().PortOpen());
        QTRY_VERIFY_WITH_TIMEOUT(!L().DownloadActive(), 30000);
        QVERIFY(!L().PortOpen());
        QCOMPARE(L().PortNumber(), 3);
        L().SetComPort(2);
        QVERIFY(messages.last().endsWith("...fertig"));
        unit.stop();
        QCOMPARE(unit.protocol().announcedLength(), uint32_t(L().DownloadSize()));

        // a wrong echo
        quendal::SimulatedUnitOptions wrong;
        wrong.wrongEchoAt = 3;
        quendal::SimulatedUnit badUnit(terminalPair.master(), wrong);
        badUnit.start();
        form->DoCommand(251);
        QTRY_VERIFY_WITH_TIMEOUT(!L().DownloadActive(), 30000);
        QCOMPARE(messages.last(), QStringLiteral("E:  Übertragungsfehler!"));
        badUnit.stop();

        // a port that does not open
        platform::DialogRecorder recorder;
        L().SetComPort(3);
        form->DoCommand(251);
        QVERIFY(!L().DownloadActive());
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes()[0].text, QStringLiteral("Konnte die COM3 nicht öffnen!"));

        // no port chosen: the options are asked for; a refusal downloads nothing
        int asked = 0;
        L().Views().EditOptions = [&](bool&, int&, bool&) { return ++asked, false; };
        L().SetComPort(0);
        form->DoCommand(251);
        QCOMPARE(asked, 1);
        QVERIFY(!L().DownloadActive());
        // a number outside 1..4 is not chosen either: the port alone is asked for
        int portAsked = 0;
        L().Views().EditPortOnly = [&](int& port) {
            ++portAsked;
            port = 2;
            return true;
        };
        L().SetComPort(7);
        quendal::SimulatedUnit thirdUnit(terminalPair.master());
        thirdUnit.start();
        form->DoCommand(251);
        QCOMPARE(portAsked, 1);
        QCOMPARE(asked, 1);
        QCOMPARE(L().PortNumber(), 2);
        QVERIFY(L().DownloadActive());
        QTRY_VERIFY_WITH_TIMEOUT(!L().DownloadActive(), 30000);
        thirdUnit.stop();
        QVERIFY(messages.last().endsWith("...fertig"));
        L().SetPortSettings(nullptr);
    }
};

QTEST_MAIN(TestLinotrex)
#include "tst_linotrex.moc"
