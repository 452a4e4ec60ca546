// The simulation driver: projects compiled into the engine and run batch by batch with
// breakpoints, run-to, input requests, terminal output, waits, pauses, errors, the data file,
// watches and the shared simulator I/O record; notifications observed by a view.
#include <QtTest>

#include <QClipboard>
#include <QDir>
#include <QTemporaryDir>

#include "graphical/model/blockcatalogue.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/model/simulatoriostate.h"
#include "graphical/simwindows/dportfrm.h"
#include "graphical/tests/projectfixture.h"
#include "platform/qt/dialogs.h"

using namespace fixture;

namespace {

struct CellSpec {
    int number;
    std::string name;
    std::vector<BlockSpec> blocks;
};

QByteArray ProjectText(const std::vector<CellSpec>& cells) {
    TLines lines = {"MIRELT Tavrissel plus - project file", "Version=1.0", "1", ""};
    for (const CellSpec& spec : cells) {
        std::vector<TLines> blocks;
        for (const BlockSpec& block : spec.blocks)
            blocks.push_back(GraphBlock(block));
        AppendCell(lines, Cell(spec.number, spec.name, blocks));
    }
    return Join(lines);
}

// Blocks of a cell: a source and the block it feeds.
BlockSpec Const(int cell, int local, int value) {
    return {Id(cell, local), 700, {std::to_string(value)}, {}};
}
BlockSpec Text(int cell, int local, const std::string& text) {
    return {Id(cell, local), 702, {text}, {}};
}
BlockSpec Fed(int cell, int local, int type, std::vector<std::string> param,
              std::vector<int32_t> inputs) {
    return {Id(cell, local), type, std::move(param), std::move(inputs)};
}
BlockSpec Print(int cell, int local, int source, const char* mode) {
    return Fed(cell, local, 900, {mode}, {Id(cell, source)});
}
BlockSpec ToDA(int cell, int local, int source, int port = 1) {
    return Fed(cell, local, 104, {std::to_string(port)}, {Id(cell, source)});
}
BlockSpec Goto(int cell, int local, const std::string& target) {
    return {Id(cell, local), 1000, {target}, {}};
}

// Three cells writing 1, 2 and 3 to D/A port 1; the third jumps back to the first.
std::vector<CellSpec> ThreeCells(bool loop) {
    std::vector<CellSpec> cells = {{1, "Eins", {Const(1, 1, 1), ToDA(1, 2, 1)}},
                                   {2, "Zwei", {Const(2, 1, 2), ToDA(2, 2, 1)}},
                                   {3, "Drei", {Const(3, 1, 3), ToDA(3, 2, 1)}}};
    if (loop)
        cells[2].blocks.push_back(Goto(3, 3, "Eins"));
    return cells;
}

// A pause of `ticks` (20 ms each), then 7 to D/A port 1.
CellSpec PauseCell(int ticks) {
    return {1,
            "Pause",
            {Const(1, 1, ticks), Fed(1, 2, 1006, {}, {Id(1, 1)}), Const(1, 3, 7), ToDA(1, 4, 3)}};
}

// Waits for input line 0, then 9 to D/A port 1.
CellSpec WaitCell() {
    return {1,
            "Warten",
            {Fed(1, 1, 100, {"1"}, {}), Fed(1, 2, 1005, {}, {Id(1, 1)}), Const(1, 3, 9),
             ToDA(1, 4, 3)}};
}

} // namespace

class TestSimulation : public QObject {
    Q_OBJECT

    QTemporaryDir workDir_;
    std::unique_ptr<TQuendalModel> model_;
    NotificationRecorder view_;

    // Loads and compiles a project; the driver is then Ready.
    bool Build(const std::vector<CellSpec>& cells) {
        view_.SetModel(nullptr);
        model_ = std::make_unique<TQuendalModel>();
        const QString path = workDir_.filePath("sim.mtp");
        if (!WriteFile(path, ProjectText(cells)) || !model_->LoadFromFile(path))
            return false;
        const bool ok =
            model_->LoadTablesIntoEngine() && MoltraneCompilerInit(model_->Engine) == 1 &&
            MoltraneCompile(model_->Engine) == 0 && MoltraneCompilerDone(model_->Engine) == 1;
        model_->ReleaseTableData();
        model_->SetCompiled(ok);
        if (!ok)
            qWarning("compile: %s", MoltraneGetErrorMessage(model_->Engine));
        view_.SetModel(model_.get());
        view_.events.clear();
        return ok;
    }

    // Runs batches until the driver leaves Running (at most `limit`).
    int RunBatches(int limit = 100) {
        int batches = 0;
        while (model_->SimState == ssRunning && batches < limit && model_->Step())
            ++batches;
        return batches;
    }

private slots:
    void initTestCase() {
        QVERIFY(LoadBlockCatalogue());
        QVERIFY(QDir::setCurrent(workDir_.path()));
    }
    void cleanupTestCase() {
        view_.SetModel(nullptr);
        model_.reset();
        FreeBlockCatalogue();
    }
    void init() {
        SimulatorIoState = TSimulatorIoState();
        SimulatorWindows = TSimulatorWindows();
        AutoTiming = false;
        SimulatedBeep = false;
        ApplicationBoard = false;
        SimOptionsChanged = true;
    }
    void cleanup() {
        delete DigitalPortForm;
        SimulatorWindows = TSimulatorWindows();
    }

    void commandsFollowTheState() {
        platform::DialogRecorder recorder;
        QVERIFY(Build(ThreeCells(false)));
        auto enabled = [&] {
            QString flags;
            for (int cmd : {int(cmRunToCell), int(cmRun), int(cmStep), int(cmReset), int(cmStop),
                            302, int(cmToggleBreakpoint)})
                flags += model_->IsSimCommandEnabled(cmd) ? '1' : '0';
            return flags;
        };
        QCOMPARE(enabled(), QStringLiteral("1110000"));
        model_->DoSimCommand(cmRun);
        QCOMPARE(enabled(), QStringLiteral("0000100"));
        QVERIFY(model_->IsSimulating());
        model_->DoSimCommand(cmStop);
        QCOMPARE(enabled(), QStringLiteral("1111000"));
        model_->DoSimCommand(cmReset);
        QCOMPARE(model_->SimState, ssReady);
        QVERIFY(!model_->IsSimulating());

        // A failed compile leaves nothing to run; commands that are not enabled do nothing.
        model_->SetCompiled(false);
        QCOMPARE(model_->SimState, ssChanged);
        QCOMPARE(enabled(), QStringLiteral("0000000"));
        model_->DoSimCommand(cmRun);
        QCOMPARE(model_->SimState, ssChanged);
        QVERIFY(!model_->Step());
        QVERIFY(model_->CanCompile());
    }

    void stepStopsAtEachCellMarker() {
        platform::DialogRecorder recorder;
        QVERIFY(Build(ThreeCells(false)));
        SimStatusChanged = false;
        model_->DoSimCommand(cmStep);
        QVERIFY(SimStatusChanged);
        QVERIFY(model_->Step());
        QCOMPARE(model_->SimState, ssStopped);
        QCOMPARE(model_->StoppedPosition(), 1);
        QCOMPARE(view_.DataOf(nmStepPosition), std::vector<NotifyData>{1});
        QVERIFY(!model_->Step()); // stopped: no batch

        view_.events.clear();
        model_->DoSimCommand(cmStep);
        QVERIFY(model_->Step());
        QCOMPARE(model_->StoppedPosition(), 2);
        QCOMPARE(SimulatorIoState.AnalogOut[0], uint8_t(1)); // cell 1 ran
        QCOMPARE(view_.DataOf(nmStepPosition), (std::vector<NotifyData>{1, 2}));
        QCOMPARE(view_.Count(nmWatchesRefreshed), 1);

        // Run drops the mark; batches while running move it silently; the end resets.
        view_.events.clear();
        model_->DoSimCommand(cmRun);
        QCOMPARE(view_.DataOf(nmStepPosition), std::vector<NotifyData>{2});
        QVERIFY(model_->Step());
        QCOMPARE(model_->SimState, ssRunning);
        QCOMPARE(model_->StepPosition, uint16_t(3));
        QCOMPARE(model_->StoppedPosition(), 0);
        QCOMPARE(view_.DataOf(nmStepPosition).size(), size_t(1));
        QVERIFY(model_->Step());
        QCOMPARE(model_->SimState, ssReady);
        QCOMPARE(model_->StepPosition, uint16_t(0));
        QCOMPARE(view_.DataOf(nmStepPosition), (std::vector<NotifyData>{2, 3}));
        QCOMPARE(view_.Count(nmSimulationReset), 1);
        QCOMPARE(SimulatorIoState.AnalogOut[0], uint8_t(0)); // the end resets the unit
        QCOMPARE(MessageBoxTexts(recorder), QStringList());
    }

    void programEndResetsThePortsOnShow() {
        platform::DialogRecorder recorder;
        QVERIFY(Build(
            {{1,
              "Setzen",
              {Const(1, 1, 255), Fed(1, 2, 101, {"1"}, {Id(1, 1)}), Const(1, 3, 7), ToDA(1, 4, 3)}},
             {2, "Ende", {Const(2, 1, 0), ToDA(2, 2, 1, 2)}}}));
        TDigitalPortForm* ports = ShowDigitalPortWindow(nullptr, false);
        auto led = [](int port) {
            return DigitalPortForm->grab().toImage().pixelColor(
                TDigitalPortForm::LedRect(port).center());
        };
        const QColor input = led(1);
        for (int i = 0; i < 2; ++i) {
            model_->DoSimCommand(cmStep);
            QVERIFY(model_->Step());
        }
        QCOMPARE(model_->StoppedPosition(), 2);
        QVERIFY(SimulatorIoState.PortIsOutput[0] && SimulatorIoState.PortLevel[7]);
        QVERIFY(led(1) != input);

        model_->DoSimCommand(cmStep);
        QVERIFY(model_->Step());
        QCOMPARE(model_->SimState, ssReady);
        for (size_t line = 0; line < 16; ++line) {
            QVERIFY(!SimulatorIoState.PortIsOutput[line]);
            QVERIFY(!SimulatorIoState.PortLevel[line]);
        }
        QCOMPARE(SimulatorIoState.AnalogOut[0], uint8_t(0));
        QCOMPARE(led(1), input);
        QCOMPARE(led(8), input);
        // A window opened after the end shows the reset unit as well.
        ports->close();
        QVERIFY(!DigitalPortForm);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ShowDigitalPortWindow(nullptr, false);
        QCOMPARE(led(1), input);
        QCOMPARE(MessageBoxTexts(recorder), QStringList());
    }

    void breakpointsAndRunTo() {
        platform::DialogRecorder recorder;
        QVERIFY(Build(ThreeCells(true)));
        QVERIFY(model_->AddBreakpoint(3));
        QVERIFY(model_->AddBreakpoint(3));
        QCOMPARE(model_->BreakpointCount, 1);
        QCOMPARE(view_.DataOf(nmBreakpointSet), std::vector<NotifyData>{3});

        model_->DoSimCommand(cmRun);
        RunBatches();
        QCOMPARE(model_->SimState, ssStopped);
        QCOMPARE(model_->StoppedPosition(), 3);
        QCOMPARE(SimulatorIoState.AnalogOut[0], uint8_t(2));

        // Run to cell 2 goes round through cell 1 and clears the target.
        model_->RunTo(2);
        QCOMPARE(model_->SimState, ssRunning);
        RunBatches();
        QCOMPARE(model_->StoppedPosition(), 2);
        QCOMPARE(model_->RunToCell, uint16_t(0));

        // No target and no breakpoint: the loop runs on.
        model_->ToggleBreakpoint(3);
        QCOMPARE(view_.DataOf(nmBreakpointRemoved), std::vector<NotifyData>{3});
        QVERIFY(!model_->HasBreakpoint(3));
        model_->DoSimCommand(cmRun);
        QCOMPARE(RunBatches(20), 20);
        QCOMPARE(model_->SimState, ssRunning);
        model_->DoSimCommand(cmStop);
        QCOMPARE(model_->SimState, ssStopped);

        model_->ToggleBreakpoint(0);
        QCOMPARE(model_->BreakpointCount, 0);
        model_->ToggleBreakpoint(1);
        QVERIFY(model_->HasBreakpoint(1));
        QVERIFY(!model_->RemoveBreakpoint(9));
        model_->ClearBreakpoints();
        QCOMPARE(model_->BreakpointCount, 0);
        QCOMPARE(view_.Count(nmBreakpointsCleared), 1);
        QCOMPARE(MessageBoxTexts(recorder), QStringList());
    }

    void breakpointListKeepsFiftyInAnyOrder() {
        platform::DialogRecorder recorder;
        QVERIFY(Build(ThreeCells(false)));
        for (int cell = 1; cell <= 50; ++cell)
            QVERIFY(model_->AddBreakpoint(cell));
        QVERIFY(!model_->AddBreakpoint(51));
        QCOMPARE(MessageBoxTexts(recorder), QStringList{"Zu viele Haltepunkte gesetzt!"});
        QCOMPARE(model_->BreakpointCount, 50);
        QVERIFY(!model_->HasBreakpoint(51));
        // The last entry fills the gap.
        QVERIFY(model_->RemoveBreakpoint(10));
        QCOMPARE(model_->Breakpoints[9], uint16_t(50));
        QCOMPARE(model_->BreakpointCount, 49);
        QVERIFY(model_->HasBreakpoint(49) && !model_->HasBreakpoint(10));
    }

    void inputAnsweredAndCancelled() {
        platform::DialogRecorder recorder;
        QVERIFY(Build({{1, "Frage", {Fed(1, 1, 901, {}, {}), ToDA(1, 2, 1)}},
                       {2, "Weiter", {Const(2, 1, 5), ToDA(2, 2, 1, 2)}}}));
        std::vector<int32_t> presets;
        std::optional<int32_t> answer = 300;
        SimulatorWindows.InputDialog = [&](int32_t preset) {
            presets.push_back(preset);
            return answer;
        };
        model_->DoSimCommand(cmStep);
        model_->Step();
        QCOMPARE(model_->StoppedPosition(), 1);
        model_->DoSimCommand(cmStep);
        QVERIFY(model_->Step());
        QCOMPARE(presets, std::vector<int32_t>{0});
        QCOMPARE(model_->LastInputValue, 300);
        QCOMPARE(model_->StoppedPosition(), 2);
        QCOMPARE(SimulatorIoState.AnalogOut[0], uint8_t(300 & 0xFF));

        // Cancelled: a beep and a stop; the next run asks again with the last value.
        model_->DoSimCommand(cmReset);
        model_->DoSimCommand(cmStep);
        model_->Step();
        answer.reset();
        recorder.Clear();
        model_->DoSimCommand(cmRun);
        QVERIFY(model_->Step());
        QCOMPARE(model_->SimState, ssStopped);
        QCOMPARE(recorder.Beeps(),
                 std::vector<platform::BeepKind>{platform::BeepKind::Exclamation});
        answer = 7;
        model_->DoSimCommand(cmStep);
        QVERIFY(model_->Step());
        QCOMPARE(presets, (std::vector<int32_t>{0, 300, 300}));
        QCOMPARE(SimulatorIoState.AnalogOut[0], uint8_t(7));
    }

    void terminalLines() {
        platform::DialogRecorder recorder;
        QVERIFY(Build({{1,
                        "Ausgabe",
                        {Text(1, 1, "A\tB"), Print(1, 2, 1, "2"), Text(1, 3, "1234567\t|"),
                         Print(1, 4, 3, "2"), Text(1, 5, "12345678\t|"), Print(1, 6, 5, "2"),
                         Text(1, 7, "abc"), Print(1, 8, 7, "1"), Const(1, 9, 13),
                         Fed(1, 10, 902, {}, {Id(1, 9)}), Const(1, 11, 10),
                         Fed(1, 12, 902, {}, {Id(1, 11)}), Text(1, 13, "de"), Print(1, 14, 13, "1"),
                         Text(1, 15, "f"), Print(1, 16, 15, "1")}}}));
        int shown = 0;
        SimulatorWindows.ShowTerminal = [&](TQuendalModel* model) {
            QCOMPARE(model, model_.get());
            ++shown;
        };
        model_->TerminalLines = {"alt"};
        model_->ClearTerminal();
        QCOMPARE(view_.DataOf(nmTerminalLine), std::vector<NotifyData>{-1});
        view_.events.clear();
        model_->DoSimCommand(cmRun);
        RunBatches();
        QCOMPARE(model_->SimState, ssReady);
        QCOMPARE(model_->TerminalLines,
                 (TLines{"A       B", "1234567 |", "12345678        |", "abc", "def"}));
        QVERIFY(shown >= 6);
        // Line 0 and 1 for the first print, then 1 and 2, 2 and 3, 3 ... 3 and 4, 4, 4.
        const std::vector<NotifyData> lines = view_.DataOf(nmTerminalLine);
        QCOMPARE(lines.front(), NotifyData(0));
        QCOMPARE(lines.back(), NotifyData(4));
        QVERIFY(std::is_sorted(lines.begin(), lines.end()));
        // A reset keeps the lines.
        model_->ResetSimulation();
        QCOMPARE(model_->TerminalLineCount(), 5);
        QCOMPARE(model_->GetTerminalLine(4), std::string("def"));
    }

    void terminalKeepsTheLastThousandLines() {
        platform::DialogRecorder recorder;
        QVERIFY(Build(
            {{1, "Schleife", {Text(1, 1, "x"), Print(1, 2, 1, "2"), Goto(1, 3, "Schleife")}}}));
        model_->DoSimCommand(cmRun);
        // The first batch stops at the first marker; each further one prints a line.
        for (int i = 0; i < 1000; ++i)
            QVERIFY(model_->Step());
        QCOMPARE(model_->TerminalLineCount(), 1000);
        const std::vector<NotifyData> before = view_.DataOf(nmTerminalLine);
        QVERIFY(std::find(before.begin(), before.end(), -1) == before.end());
        // Line 1001 (index 1000) is still kept; line 1002 trims.
        QVERIFY(model_->Step());
        QCOMPARE(model_->TerminalLineCount(), 1001);
        view_.events.clear();
        QVERIFY(model_->Step());
        QCOMPARE(model_->TerminalLineCount(), 1000);
        QCOMPARE(view_.DataOf(nmTerminalLine), (std::vector<NotifyData>{-1, 1000, 1001}));
        QCOMPARE(model_->TerminalLines.front(), std::string("x"));
        QCOMPARE(model_->TerminalLines.back(), std::string());
        QCOMPARE(model_->GetTerminalLine(1001), std::string());
    }

    void pauseWithoutAutoTimingTakesNoTime() {
        platform::DialogRecorder recorder;
        QVERIFY(Build({PauseCell(200), {2, "Danach", {}}}));
        int pumps = 0;
        SimulatorWindows.PumpMessages = [&] { ++pumps; };
        model_->DoSimCommand(cmStep);
        model_->Step();
        model_->DoSimCommand(cmStep);
        QVERIFY(model_->Step());
        QCOMPARE(pumps, 0);
        QCOMPARE(SimulatorIoState.AnalogOut[0], uint8_t(7));
    }

    void pauseWithAutoTimingCanBeStopped() {
        platform::DialogRecorder recorder;
        AutoTiming = true;
        QVERIFY(Build({PauseCell(200)}));
        std::vector<TSimState> seen;
        SimulatorWindows.PumpMessages = [&] {
            seen.push_back(model_->SimState);
            // A nested idle call runs no second batch.
            QVERIFY(!model_->Step());
            model_->DoSimCommand(cmStop);
        };
        model_->DoSimCommand(cmRun);
        QVERIFY(model_->Step()); // to the first marker
        QVERIFY(!model_->Step());
        QCOMPARE(seen, std::vector<TSimState>{ssPaused});
        QCOMPARE(model_->SimState, ssStopped);
        QCOMPARE(MessageBoxTexts(recorder), QStringList{"PAUSE: Abbruch durch Anwender"});
        QVERIFY(!model_->StepGuard);
    }

    void shortPauseIsWaitedOutByTheModelAndTheStepGoesOn() {
        platform::DialogRecorder recorder;
        AutoTiming = true;
        // 3 ticks: the shortest pause the engine hands over; the user is answered meanwhile.
        QVERIFY(Build({PauseCell(3), {2, "Danach", {}}}));
        int pausedPumps = 0;
        SimulatorWindows.PumpMessages = [&] { pausedPumps += model_->SimState == ssPaused; };
        model_->DoSimCommand(cmStep);
        QVERIFY(model_->Step());
        model_->DoSimCommand(cmStep);
        QVERIFY(model_->Step());
        QVERIFY(pausedPumps > 0);
        QCOMPARE(model_->SimState, ssStopped);
        QCOMPARE(model_->StoppedPosition(), 2);
        QCOMPARE(SimulatorIoState.AnalogOut[0], uint8_t(7));
        QCOMPARE(MessageBoxTexts(recorder), QStringList());
    }

    void pauseWithAutoTimingWaitsItOut() {
        platform::DialogRecorder recorder;
        AutoTiming = true;
        // 151 ticks of 20 ms: the shortest pause that ends the step.
        QVERIFY(Build({PauseCell(151)}));
        int pausedPumps = 0;
        SimulatorWindows.PumpMessages = [&] { pausedPumps += model_->SimState == ssPaused; };
        model_->DoSimCommand(cmStep);
        QVERIFY(model_->Step());
        model_->DoSimCommand(cmStep);
        QVERIFY(model_->Step());
        QVERIFY(pausedPumps > 0);
        // Back from Paused; the stepping batch ends after the pause.
        QCOMPARE(model_->SimState, ssStopped);
        QCOMPARE(model_->StoppedPosition(), 1);
        QCOMPARE(SimulatorIoState.AnalogOut[0], uint8_t(0));
        model_->DoSimCommand(cmRun);
        RunBatches();
        QCOMPARE(model_->SimState, ssReady);
        QCOMPARE(MessageBoxTexts(recorder), QStringList());
    }

    // The port window shows what the cell did before its pause while the pause lasts.
    void longPauseShowsTheOutputsBeforeIt() {
        platform::DialogRecorder recorder;
        AutoTiming = true;
        QVERIFY(Build({{1,
                        "Licht",
                        {Const(1, 1, 1), Fed(1, 2, 101, {"1"}, {Id(1, 1)}), Const(1, 3, 9),
                         ToDA(1, 4, 3), Const(1, 5, 500), Fed(1, 6, 1006, {}, {Id(1, 5)})}}}));
        int portRefreshes = 0;
        SimulatorWindows.DigitalPortRefresh = [&] { ++portRefreshes; };
        bool lit = false;
        int analog = -1;
        int refreshesBefore = -1;
        SimulatorWindows.PumpMessages = [&] {
            if (model_->SimState != ssPaused)
                return;
            lit = SimulatorIoState.PortIsOutput[0] && SimulatorIoState.PortLevel[0];
            analog = SimulatorIoState.AnalogOut[0];
            refreshesBefore = portRefreshes;
            model_->DoSimCommand(cmStop);
        };
        model_->DoSimCommand(cmRun);
        RunBatches();
        QVERIFY(lit);
        QCOMPARE(analog, 9);
        QVERIFY(refreshesBefore >= 1);
        QCOMPARE(MessageBoxTexts(recorder), QStringList{"PAUSE: Abbruch durch Anwender"});
    }

    void waitLoopTakesInputsAndStop() {
        platform::DialogRecorder recorder;
        const std::vector<CellSpec> cells = {WaitCell()};
        QVERIFY(Build(cells));
        int pumps = 0;
        SimulatorWindows.PumpMessages = [&] {
            if (++pumps == 3) {
                SimulatorIoState.PortLevel[0] = true;
                SimulatorIoState.PortChanged[0] = true;
                SimulatorIoState.PortChanged[1] = true;
                SimulatorIoState.PortIsOutput[1] = true;
            }
        };
        model_->DoSimCommand(cmRun);
        QVERIFY(model_->Step());
        QVERIFY(model_->Step());
        QCOMPARE(pumps, 3);
        QCOMPARE(SimulatorIoState.AnalogOut[0], uint8_t(0)); // the end resets the unit
        QCOMPARE(model_->SimState, ssReady);
        QVERIFY(!SimulatorIoState.PortChanged[0]);
        QVERIFY(SimulatorIoState.PortChanged[1]); // an output line is not sent

        SimulatorWindows.PumpMessages = [&] { model_->DoSimCommand(cmStop); };
        SimulatorIoState.PortLevel[0] = false;
        SimulatorIoState.PortChanged[0] = true;
        model_->DoSimCommand(cmRun);
        QVERIFY(model_->Step());
        QVERIFY(model_->Step());
        QCOMPARE(model_->SimState, ssStopped);
        QCOMPARE(MessageBoxTexts(recorder), QStringList{"WAIT: Abbruch durch Anwender"});
        QCOMPARE(model_->StoppedPosition(), 1);
    }

    // Stop and then reset, both delivered while the batch pumps: the batch ends at once and
    // leaves the reset program alone, with no position shown.
    void resetDuringWaitOrPauseEndsTheBatch() {
        platform::DialogRecorder recorder;
        QVERIFY(Build({WaitCell()}));
        int pumps = 0;
        SimulatorWindows.PumpMessages = [&] {
            if (++pumps == 1) {
                model_->DoSimCommand(cmStop);
                model_->DoSimCommand(cmReset);
            } else {
                SimulatorIoState.PortLevel[0] = true;
                SimulatorIoState.PortChanged[0] = true;
            }
        };
        model_->DoSimCommand(cmRun);
        QVERIFY(model_->Step());
        QVERIFY(!model_->Step());
        QCOMPARE(pumps, 1);
        QCOMPARE(model_->SimState, ssReady);
        QCOMPARE(model_->StepPosition, uint16_t(0));
        QCOMPARE(MessageBoxTexts(recorder), QStringList{"WAIT: Abbruch durch Anwender"});

        recorder.Clear();
        AutoTiming = true;
        SimOptionsChanged = true;
        QVERIFY(Build({PauseCell(151)}));
        SimulatorWindows.PumpMessages = [&] {
            if (model_->SimState == ssPaused) {
                model_->DoSimCommand(cmStop);
                model_->DoSimCommand(cmReset);
            }
        };
        model_->DoSimCommand(cmRun);
        QVERIFY(model_->Step());
        QVERIFY(!model_->Step());
        QCOMPARE(model_->SimState, ssReady);
        QCOMPARE(model_->StepPosition, uint16_t(0));
        QCOMPARE(SimulatorIoState.AnalogOut[0], uint8_t(0));
        QCOMPARE(MessageBoxTexts(recorder), QStringList{"PAUSE: Abbruch durch Anwender"});
    }

    void simulatorErrorStops() {
        platform::DialogRecorder recorder;
        QVERIFY(Build({{1,
                        "Teilen",
                        {Const(1, 1, 1), Const(1, 2, 0), Fed(1, 3, 203, {}, {Id(1, 1), Id(1, 2)}),
                         ToDA(1, 4, 3)}}}));
        model_->DoSimCommand(cmRun);
        SimStatusChanged = false;
        RunBatches();
        QCOMPARE(model_->SimState, ssStopped);
        QVERIFY(SimStatusChanged);
        QCOMPARE(MessageBoxTexts(recorder),
                 QStringList{"Es trat ein Simulationsfehler auf:\nDivision durch Null!"});
        QCOMPARE(recorder.Boxes().front().kind, platform::BoxKind::Error);
        // The position is the cell's, not the error code.
        QCOMPARE(model_->StoppedPosition(), 1);
    }

    void dataFileAndWatches() {
        platform::DialogRecorder recorder;
        QVERIFY(
            Build({{1,
                    "Datei",
                    {Fed(1, 1, 800, {}, {}), Const(1, 2, 1234), Fed(1, 3, 803, {}, {Id(1, 2)}),
                     Fed(1, 4, 805, {}, {}), Const(1, 5, 7), Fed(1, 6, 602, {"1"}, {Id(1, 5)})}},
                   {2, "Ende", {}}}));
        model_->Watches.push_back(TWatchEntry::CreateForBlock(model_->Engine, Id(1, 6)));
        QVERIFY(TWatchEntry::CreateForBlock(model_->Engine, Id(1, 2)) == nullptr);
        QCOMPARE(model_->GetWatch(0)->Name, std::string("WORD[1]"));
        QCOMPARE(model_->GetWatch(0)->Value, 0);
        model_->DoSimCommand(cmStep);
        model_->Step();
        view_.events.clear();
        model_->DoSimCommand(cmStep);
        QVERIFY(model_->Step());
        // The write ends the batch with the file copied.
        QCOMPARE(model_->DataDumpLength, 1);
        QCOMPARE(model_->PreviousDataDumpLength, 0);
        QCOMPARE(model_->GetDumpWord(0), uint16_t(1234));
        QCOMPARE(model_->GetDumpWord(1), uint16_t(0));
        QCOMPARE(view_.Count(nmDataDump), 1);
        model_->DoSimCommand(cmStep);
        QVERIFY(model_->Step());
        QCOMPARE(model_->GetWatch(0)->Value, 7);
        QVERIFY(model_->GetWatch(0)->Changed);
        QCOMPARE(model_->GetWatch(0)->ValueText(), std::string("7"));
        QVERIFY(view_.Count(nmWatchesRefreshed) >= 2);
    }

    void inputsReachTheEngineBeforeTheBatch() {
        platform::DialogRecorder recorder;
        QVERIFY(Build(ThreeCells(false)));
        int analogRefreshes = 0, portRefreshes = 0, lcdRefreshes = 0, ledRefreshes = 0;
        SimulatorWindows.AnalogPortRefresh = [&] { ++analogRefreshes; };
        SimulatorWindows.DigitalPortRefresh = [&] { ++portRefreshes; };
        SimulatorWindows.LcdRefresh = [&] { ++lcdRefreshes; };
        SimulatorWindows.LedRefresh = [&] { ++ledRefreshes; };
        SimulatorIoState.AnalogIn[2] = 77;
        SimulatorIoState.AnalogInChanged[2] = true;
        model_->DoSimCommand(cmStep);
        QVERIFY(model_->Step());
        QCOMPARE(MoltraneGetADC(model_->Engine, 2), 77);
        QVERIFY(!SimulatorIoState.AnalogInChanged[2]);
        QCOMPARE(analogRefreshes, 1);
        QCOMPARE(portRefreshes, 1);

        // A reset sends every A/D value and mirrors all outputs.
        model_->ResetSimulation();
        QCOMPARE(MoltraneGetADC(model_->Engine, 2), 77);
        QCOMPARE(lcdRefreshes, 1);
        QCOMPARE(ledRefreshes, 1);
        QVERIFY(SimulatorIoState.LcdChanged);
        QCOMPARE(uint8_t(SimulatorIoState.LcdText[0]), uint8_t(0xFF));
        QCOMPARE(SimulatorIoState.LcdText[32], ' ');
    }

    void optionsAndInitialPortsReachEveryEngine() {
        platform::DialogRecorder recorder;
        SimulatorIoState.InitialPortLevels = 0x0005;
        SimulatorIoState.InitialPortsPending = false;
        TQuendalModel fresh;
        QCOMPARE(MoltraneGetInitialPortState(fresh.Engine), uint16_t(5));
        QVERIFY(SimulatorIoState.PortLevel[0] && !SimulatorIoState.PortLevel[1] &&
                SimulatorIoState.PortLevel[2]);

        SimulatorIoState.InitialPortLevels = 0x0009;
        SimulatorIoState.InitialPortsPending = true;
        QVERIFY(fresh.LoadTablesIntoEngine());
        QCOMPARE(MoltraneGetInitialPortState(fresh.Engine), uint16_t(9));
        QVERIFY(!SimulatorIoState.InitialPortsPending);
        SimulatorIoState.InitialPortLevels = 0x0002;
        fresh.ResetSimulation();
        QCOMPARE(MoltraneGetInitialPortState(fresh.Engine), uint16_t(2));
        QVERIFY(SimulatorIoState.PortLevel[1]);

        // AutoTiming switched on after the compile reaches the engine with the reset: the
        // long pause is then handed to the driver.
        QVERIFY(Build({{1, "Pause", {Const(1, 1, 200), Fed(1, 2, 1006, {}, {Id(1, 1)})}}}));
        AutoTiming = true;
        SimOptionsChanged = false;
        model_->ResetSimulation();
        std::vector<TSimState> seen;
        SimulatorWindows.PumpMessages = [&] {
            seen.push_back(model_->SimState);
            model_->DoSimCommand(cmStop);
        };
        model_->DoSimCommand(cmRun);
        RunBatches();
        QCOMPARE(seen, std::vector<TSimState>{ssPaused});
    }

    void closeQueryWhileSimulating() {
        platform::DialogRecorder recorder;
        QVERIFY(Build(ThreeCells(false)));
        model_->DoSimCommand(cmRun);
        QVERIFY(!model_->CloseQuery());
        QCOMPARE(model_->SimState, ssStopped);
        QCOMPARE(recorder.Beeps().front(), platform::BeepKind::Exclamation);
        QVERIFY(recorder.Boxes().empty());

        recorder.QueueAnswer(platform::Button::No);
        QVERIFY(!model_->CloseQuery());
        QCOMPARE(MessageBoxTexts(recorder),
                 QStringList{"Soll die laufende Simulation abgebrochen werden?"});
        recorder.QueueAnswer(platform::Button::Yes);
        QVERIFY(model_->CloseQuery());
        QVERIFY(!model_->CanCompile());
    }

    void expandTabs() {
        QCOMPARE(ExpandTabs("a\tb"), std::string("a       b"));
        QCOMPARE(ExpandTabs("1234567\t"), std::string("1234567 "));
        QCOMPARE(ExpandTabs("12345678\t"), std::string("12345678        "));
        QCOMPARE(ExpandTabs("\t\t"), std::string(16, ' '));
        QCOMPARE(ExpandTabs("\xFC\tx"), std::string("\xFC       x"));
    }

    void terminalToClipboard() {
        QVERIFY(Build(ThreeCells(false)));
        model_->TerminalLines = {"eins", "zw\xF6lf", ""};
        model_->CopyTerminalToClipboard();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("eins\r\nzw\u00F6lf\r\n\r\n"));
    }
};

QTEST_MAIN(TestSimulation)
#include "tst_simulation.moc"
