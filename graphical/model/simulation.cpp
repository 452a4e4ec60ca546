// The simulation driver of the project model: batches of simulator steps from the idle
// handler, breakpoints and run-to, input requests, terminal output, and the mirrored I/O.
#include "graphical/model/quendalmodel.h"

#include <QApplication>
#include <QClipboard>

#include <chrono>
#include <cstring>
#include <thread>

#include "framework/utils.h"
#include "graphical/model/simulatoriostate.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"

namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void InformationBox(const QString& text) {
    platform::MessageBeep(platform::BeepKind::Exclamation);
    platform::MessageBox(platform::BoxKind::Information, text,
                         static_cast<platform::Buttons>(platform::Button::Ok));
}

class TStepGuard {
public:
    explicit TStepGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~TStepGuard() { flag_ = false; }
    TStepGuard(const TStepGuard&) = delete;
    TStepGuard& operator=(const TStepGuard&) = delete;

private:
    bool& flag_;
};

constexpr int MinPumpIntervalMs = 10;

// Copies an engine display buffer (none when null) and lets its window, if open, refresh.
template <typename T, size_t N>
void MirrorDisplay(const void* source, std::array<T, N>& target, bool& changed,
                   const std::function<void()>& refresh) {
    if (source) {
        std::memcpy(target.data(), source, sizeof target);
        changed = true;
    }
    if (refresh)
        refresh();
}

} // namespace

bool TQuendalModel::IsSimCommandEnabled(int cmd) const {
    switch (cmd) {
    case cmRunToCell:
    case cmRun:
    case cmStep:
        return SimState == ssReady || SimState == ssStopped;
    case cmReset:
        return SimState == ssStopped;
    case cmStop:
        return SimState == ssRunning || SimState == ssStepping || SimState == ssPaused;
    default:
        return false;
    }
}

void TQuendalModel::DoSimCommand(int cmd) {
    // A command that is not enabled would run an uncompiled or changed program.
    if (!IsSimCommandEnabled(cmd))
        return;
    switch (cmd) {
    case cmRun:
        SimState = ssRunning;
        SimStatusChanged = true;
        break;
    case cmStep:
        SimState = ssStepping;
        SimStatusChanged = true;
        break;
    case cmReset:
        ResetSimulation();
        break;
    case cmStop:
        SimState = ssStopped;
        SimStatusChanged = true;
        break;
    default:
        return;
    }
    if (SimState == ssRunning || SimState == ssStopped)
        NotifyViews(nmStepPosition, StepPosition);
}

void TQuendalModel::RunTo(int cellNumber) {
    if (!IsSimCommandEnabled(cmRunToCell))
        return;
    RunToCell = uint16_t(cellNumber);
    SimState = ssRunning;
    SimStatusChanged = true;
}

void TQuendalModel::SetCompiled(bool ok) {
    ResetSimulation();
    SimState = ok ? ssReady : ssChanged;
}

void TQuendalModel::PumpMessages() {
    if (SimulatorWindows.PumpMessages) {
        SimulatorWindows.PumpMessages();
        return;
    }
    const int64_t now = NowMs();
    if (now - lastPumpMs_ < MinPumpIntervalMs)
        return;
    lastPumpMs_ = now;
    QCoreApplication::processEvents();
    if (SimulatorWindows.ApplicationIdle)
        SimulatorWindows.ApplicationIdle();
    QCoreApplication::processEvents();
}

namespace {
// Pauses up to this many ticks continue the step after they are waited out; longer ones end it.
constexpr uint16_t HostPauseLimit = 150;
} // namespace

bool TQuendalModel::Step() {
    if ((SimState != ssRunning && SimState != ssStepping && SimState != ssPaused) || StepGuard)
        return false;
    TStepGuard guard(StepGuard);

    if (SimOptionsChanged) {
        MoltraneSetOptions(Engine, SimulatorOptionWord());
        SimOptionsChanged = false;
    }
    if (SimulatorIoState.InitialPortsPending) {
        MoltraneSetInitialPortState(Engine, SimulatorIoState.InitialPortLevels);
        SimulatorIoState.InitialPortsPending = false;
    }
    SendInputs();

    // The value of a pause or an error is no cell: the position stays the last marker's.
    uint16_t position = StepPosition;
    bool markerPassed = false;
    bool more = false;
    do {
        more = false;
        const uint32_t result = MoltraneStep(Engine);
        const uint16_t status = uint16_t(result & 0xFFFF);
        const uint16_t value = uint16_t(result >> 16);
        if (status != 5 && status != 0xFFFF)
            position = value;
        switch (status) {
        case 0:
            // Program end: the unit is reset and its windows show it so; nothing is left to
            // point at.
            ResetSimulation();
            return true;
        case 1:
            markerPassed = true;
            RefreshAnalogOut();
            RefreshPorts();
            break;
        case 2: {
            std::optional<int32_t> answer;
            if (SimulatorWindows.InputDialog)
                answer = SimulatorWindows.InputDialog(LastInputValue);
            if (answer) {
                LastInputValue = *answer;
                MoltraneSetInputValue(Engine, short(*answer & 0xFFFF));
                more = true;
            } else {
                platform::MessageBeep(platform::BeepKind::Exclamation);
                SimState = ssStopped;
                SimStatusChanged = true;
            }
            break;
        }
        case 3:
            TerminalOutput();
            more = true;
            break;
        case 4:
            more = true;
            PumpMessages();
            SendInputs();
            if (SimState != ssRunning && SimState != ssStepping) {
                InformationBox(QStringLiteral("WAIT: Abbruch durch Anwender"));
                // Reset (or compiled) meanwhile: nothing of this batch belongs to the new run.
                if (SimState != ssStopped)
                    return false;
                more = false;
            }
            break;
        case 5: {
            // What the program did before the pause stays on show while it lasts.
            RefreshAnalogOut();
            RefreshPorts();
            RefreshLcd();
            RefreshLed();
            RefreshWatches();
            const TSimState saved = SimState;
            SimState = ssPaused;
            const int64_t deadline = NowMs() + int64_t(value) * 20;
            while (deadline - NowMs() > 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                PumpMessages();
                SendInputs();
                // Stopped, or stopped and reset: the pause must not resume the old state.
                if (SimState != ssPaused) {
                    InformationBox(QStringLiteral("PAUSE: Abbruch durch Anwender"));
                    return false;
                }
            }
            SimState = saved;
            // A pause the unit's step once slept itself stays inside the step: stepping
            // still goes on to the next cell.
            more = value <= HostPauseLimit;
            break;
        }
        case 6:
            RefreshAnalogOut();
            RefreshPorts();
            RefreshDataDump();
            break;
        case 7:
            RefreshLcd();
            more = true;
            break;
        case 8:
            RefreshLed();
            more = true;
            break;
        case 0xFFFF: {
            const QString reason = value == 1   ? QStringLiteral("Division durch Null!")
                                   : value == 2 ? QStringLiteral("Ung\xFCltiger Zugriff auf "
                                                                 "Tavrissel-EEPROM!")
                                                : QStringLiteral("Moltrane got stoned...");
            ShowError(QStringLiteral("Es trat ein Simulationsfehler auf:\n%1").arg(reason));
            SimState = ssStopped;
            SimStatusChanged = true;
            break;
        }
        default:
            break;
        }
    } while (more);

    if (SimState == ssStepping) {
        SimState = ssStopped;
        SimStatusChanged = true;
    }
    // Breakpoints and the run-to target hold where their cell's marker is passed; 0 is none.
    if (markerPassed && position != 0 && (HasBreakpoint(position) || position == RunToCell)) {
        RunToCell = 0;
        SimState = ssStopped;
        SimStatusChanged = true;
    }
    if (SimState != ssRunning) {
        const uint16_t old = StepPosition;
        StepPosition = position;
        if (old > 0)
            NotifyViews(nmStepPosition, old);
        NotifyViews(nmStepPosition, StepPosition);
    }
    StepPosition = position;
    if (SimState != ssRunning)
        RefreshWatches();
    return true;
}

void TQuendalModel::ResetSimulation() {
    if (StepPosition > 0) {
        const uint16_t old = StepPosition;
        StepPosition = 0;
        NotifyViews(nmStepPosition, old);
    }
    // A reset loads the initial port levels and runs with the current options.
    SendEngineOptions();
    MoltraneResetProgram(Engine);
    for (unsigned short channel = 0; channel < 8; ++channel)
        MoltraneSetADC(Engine, channel, SimulatorIoState.AnalogIn[channel]);
    RefreshWatches();
    RefreshDataDump();
    RefreshAnalogOut();
    RefreshPorts();
    RefreshLcd();
    RefreshLed();
    NotifyViews(nmSimulationReset, 0);
    SimState = ssReady;
    SimStatusChanged = true;
}

void TQuendalModel::SendInputs() {
    TSimulatorIoState& io = SimulatorIoState;
    for (unsigned short channel = 0; channel < 8; ++channel) {
        if (io.AnalogInChanged[channel]) {
            MoltraneSetADC(Engine, channel, io.AnalogIn[channel]);
            io.AnalogInChanged[channel] = false;
        }
    }
    for (unsigned short line = 0; line < 16; ++line) {
        if (!io.PortIsOutput[line] && io.PortChanged[line]) {
            MoltraneSetPort(Engine, line, io.PortLevel[line] ? 1 : 0);
            io.PortChanged[line] = false;
        }
    }
}

void TQuendalModel::RefreshDataDump() {
    PreviousDataDumpLength = DataDumpLength;
    const int length = MoltraneGetFileLength(Engine) & 0xFFFF;
    if (length <= DataDumpSize) {
        DataDumpLength = length;
        MoltraneDumpFile(Engine, reinterpret_cast<short*>(DataDump.data()));
    } else {
        // More than the unit can hold: copy through a buffer of the full size.
        std::vector<short> words(size_t(length), 0);
        MoltraneDumpFile(Engine, words.data());
        std::memcpy(DataDump.data(), words.data(), sizeof(DataDump));
        DataDumpLength = DataDumpSize;
    }
    NotifyViews(nmDataDump, 0);
}

void TQuendalModel::RefreshAnalogOut() {
    for (unsigned short channel = 0; channel < 2; ++channel)
        SimulatorIoState.AnalogOut[channel] = uint8_t(MoltraneGetDAC(Engine, channel) & 0xFF);
    if (SimulatorWindows.AnalogPortRefresh)
        SimulatorWindows.AnalogPortRefresh();
}

void TQuendalModel::RefreshPorts() {
    const uint32_t state = uint32_t(MoltraneGetPortState(Engine));
    for (int line = 0; line < 16; ++line) {
        SimulatorIoState.PortIsOutput[size_t(line)] = (state >> (16 + line)) & 1;
        SimulatorIoState.PortLevel[size_t(line)] = (state >> line) & 1;
    }
    if (SimulatorWindows.DigitalPortRefresh)
        SimulatorWindows.DigitalPortRefresh();
}

void TQuendalModel::RefreshLcd() {
    MirrorDisplay(MoltraneGetLCD(Engine), SimulatorIoState.LcdText, SimulatorIoState.LcdChanged,
                  SimulatorWindows.LcdRefresh);
}

void TQuendalModel::RefreshLed() {
    MirrorDisplay(MoltraneGetLED(Engine), SimulatorIoState.LedDigits, SimulatorIoState.LedChanged,
                  SimulatorWindows.LedRefresh);
}

void TQuendalModel::RefreshWatches() {
    for (const auto& watch : Watches)
        watch->Refresh();
    NotifyViews(nmWatchesRefreshed, 0);
}

void TQuendalModel::TerminalOutput() {
    const char* output = MoltraneGetOutputString(Engine);
    if (!output)
        return;
    const TTerminalChange change =
        AppendTerminalText(TerminalLines, output, TTabRule::NextStop, size_t(MaxTerminalLines));
    if (change.trimmed)
        NotifyViews(nmTerminalLine, -1);
    if (SimulatorWindows.ShowTerminal)
        SimulatorWindows.ShowTerminal(this);
    for (int line = change.first; line <= change.last; ++line)
        NotifyViews(nmTerminalLine, line);
}

uint16_t TQuendalModel::GetDumpWord(int index) const {
    return index >= 0 && index < DataDumpLength ? DataDump[size_t(index)] : 0;
}

bool TQuendalModel::HasBreakpoint(int cell) const {
    for (int i = 0; i < BreakpointCount; ++i) {
        if (Breakpoints[size_t(i)] == cell)
            return true;
    }
    return false;
}

bool TQuendalModel::AddBreakpoint(int cell) {
    if (HasBreakpoint(cell))
        return true;
    if (BreakpointCount >= MaxBreakpoints) {
        ShowError(QStringLiteral("Zu viele Haltepunkte gesetzt!"));
        return false;
    }
    Breakpoints[size_t(BreakpointCount++)] = uint16_t(cell);
    NotifyViews(nmBreakpointSet, cell);
    return true;
}

bool TQuendalModel::RemoveBreakpoint(int cell) {
    for (int i = 0; i < BreakpointCount; ++i) {
        if (Breakpoints[size_t(i)] != cell)
            continue;
        Breakpoints[size_t(i)] = Breakpoints[size_t(BreakpointCount - 1)];
        --BreakpointCount;
        NotifyViews(nmBreakpointRemoved, cell);
        return true;
    }
    return false;
}

void TQuendalModel::ToggleBreakpoint(int cell) {
    if (cell == 0)
        return;
    if (!RemoveBreakpoint(cell))
        AddBreakpoint(cell);
}

void TQuendalModel::ClearBreakpoints() {
    BreakpointCount = 0;
    NotifyViews(nmBreakpointsCleared, 0);
}

void TQuendalModel::ClearTerminal() {
    TerminalLines.clear();
    NotifyViews(nmTerminalLine, -1);
}

void TQuendalModel::CopyTerminalToClipboard() const {
    QApplication::clipboard()->setText(platform::AnsiToQString(JoinTerminalLines(TerminalLines)));
}
