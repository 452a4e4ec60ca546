#include "basic/library/linotrex.h"

#include "editor/widgets/vededit.h"
#include "framework/winregistry.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"
#include "platform/system.h"

#include <QCoreApplication>
#include <algorithm>
#include <new>
#include <optional>

namespace harvel {

using platform::BeepKind;
using platform::BoxKind;
using platform::Button;
using MessageKind = TLinotrexViews::MessageKind;

namespace {

constexpr platform::Buttons OkOnly = static_cast<platform::Buttons>(Button::Ok);

int LowWord(uint32_t v) {
    return static_cast<int>(v & 0xFFFF);
}
int HighWord(uint32_t v) {
    return static_cast<int>(v >> 16);
}

// The library's option bits for the two switches.
int OptionBits(bool autoTiming, bool simulatedBeep) {
    constexpr int autoTimingBits[2] = {0, LinotrexAutoTiming};
    constexpr int beepBits[2] = {0, LinotrexSimulatedBeep};
    return autoTimingBits[autoTiming ? 1 : 0] + beepBits[simulatedBeep ? 1 : 0];
}

} // namespace

// --- TSourceWindow

QString TSourceWindow::DisplayName() const {
    const std::string name = SourceFileName();
    return name.empty() ? QStringLiteral("Unbenannter Quelltext") : QString::fromLocal8Bit(name);
}

// --- TWatchEntry

TWatchEntry::TWatchEntry(LinotrexHandle handle, const std::string& name) : name_(name) {
    Evaluate(handle);
    // a new entry shows no change
    if (state_ == Changed)
        state_ = Unchanged;
    redraw_ = false;
}

void TWatchEntry::Evaluate(LinotrexHandle handle) {
    redraw_ = false;
    symbol_ = LinotrexMapSymbol(handle, name_.c_str());
    if (symbol_ != 0) {
        if (state_ != Unchanged)
            redraw_ = true;
        const int v = static_cast<int16_t>(LinotrexGetValue(handle, symbol_));
        if (v == value_) {
            state_ = Unchanged;
        } else {
            state_ = Changed;
            value_ = v;
            redraw_ = true;
        }
    } else {
        if (state_ != Invalid)
            redraw_ = true;
        state_ = Invalid;
        value_ = 0;
    }
}

QString TWatchEntry::GetText() const {
    return state_ == Invalid ? QStringLiteral("Fehler bei Auswertung") : QString::number(value_);
}

// --- TDownloadThread

TDownloadThread::TDownloadThread(TLinotrex& owner, LinotrexHandle handle,
                                 platform::SerialHandle port)
    : owner_(owner), handle_(handle), port_(port) {}

void TDownloadThread::run() {
    result_ = LinotrexDownload(
        handle_, reinterpret_cast<void*>(static_cast<intptr_t>(platform::SerialDescriptor(port_))));
    if (result_ <= 0)
        platform::SerialClearErrors(port_, nullptr, nullptr);
    const int result = result_;
    TLinotrex* owner = &owner_;
    QMetaObject::invokeMethod(
        owner, [owner, result] { owner->DownloadThreadReport(result); },
        Qt::BlockingQueuedConnection);
}

// --- TLinotrex

TLinotrex::TLinotrex() {
    handle_ = LinotrexCreate();
    if (!handle_)
        throw std::bad_alloc();
    LinotrexSetMemSourcePointer(handle_, nullptr);
    messages_.assign(MessageBufferSize, '\0');
    LinotrexSetCompilerMessageBuffer(handle_, messages_.data(), MessageBufferSize);
    SendOptions();
}

TLinotrex::~TLinotrex() {
    // The thread reports through a blocking call on this thread: let it run until it ends
    // instead of freeing the library under it.
    while (thread_ && !thread_->isFinished()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        platform::SleepMilliseconds(1);
    }
    if (thread_)
        thread_->wait();
    ClosePort();
    watches_.clear();
    if (handle_)
        LinotrexDestroy(handle_);
}

void TLinotrex::SendOptions() {
    LinotrexSetOptions(handle_, OptionBits(autoTiming_, simulatedBeep_));
}

void TLinotrex::Message(const QString& text, MessageKind kind) {
    if (views_.AddMessage)
        views_.AddMessage(text, kind);
}

void TLinotrex::ProcessMessages() {
    QCoreApplication::processEvents();
}

bool TLinotrex::BreakWithMessage(const QString& text) {
    platform::MessageBeep(BeepKind::Exclamation);
    platform::MessageBox(BoxKind::Information, text, OkOnly);
    runState_ = Halted;
    statusChanged_ = true;
    return false;
}

void TLinotrex::SetSource(TSourceWindow& editor) {
    const ved::TVedCustomEditor& text = editor.SourceEditor();
    source_.clear();
    source_.reserve(static_cast<size_t>(text.GetByteCount()) +
                    2 * static_cast<size_t>(text.GetParaCount()) + 1);
    nulLines_.clear();
    for (int32_t para = 1; para <= text.GetParaCount(); ++para) {
        const std::string line = text.GetPara(para);
        if (line.find('\0') != std::string::npos)
            nulLines_.push_back(para);
        source_ += line;
        source_ += "\r\n";
    }
    hasSource_ = true;
    LinotrexSetMemSourcePointer(handle_, nulLines_.empty() ? source_.c_str() : nullptr);
}

bool TLinotrex::AttachEditor(TSourceWindow* form) {
    if (attached_ && !DetachEditor(attached_))
        return false;
    attached_ = form;
    breakpoints_ = form ? &form->Breakpoints() : nullptr;
    if (breakpoints_) {
        for (auto& entry : *breakpoints_) {
            entry->checked = true;
            entry->valid = false;
            form->ShowBreakpointLine(entry->line, false);
        }
    }
    RefreshDAC();
    RefreshPorts();
    statusChanged_ = true;
    return true;
}

bool TLinotrex::DetachEditor(TSourceWindow* form) {
    if (!attached_ || form != attached_)
        return true;
    // A step or run under way keeps its window until it has stopped.
    if (busy_)
        return false;
    if (runState_ != Idle &&
        platform::MessageBox(BoxKind::Confirmation,
                             QStringLiteral("Soll die laufende Simulation abgebrochen werden?"),
                             Button::Yes | Button::No) != Button::Yes)
        return false;
    runState_ = Idle;
    const int32_t oldLine = execLine_;
    execLine_ = -1;
    if (oldLine > 0)
        attached_->ShowBreakpointLine(oldLine, false);
    if (breakpoints_) {
        for (auto& entry : *breakpoints_) {
            entry->checked = false;
            attached_->ShowBreakpointLine(entry->line, false);
        }
    }
    breakpoints_ = nullptr;
    attached_ = nullptr;
    statusChanged_ = true;
    return true;
}

void TLinotrex::EditorDestroyed(TSourceWindow* form) {
    if (!form || form != attached_)
        return;
    // a run going on without its window stops at its next check
    if (busy_)
        userBreak_ = true;
    runState_ = Idle;
    execLine_ = -1;
    breakpoints_ = nullptr;
    attached_ = nullptr;
    statusChanged_ = true;
}

void TLinotrex::SourceEdited(const TSourceWindow* form) {
    if (!form || form != attached_ || !compiled_ || busy_)
        return;
    compiled_ = false;
    statusChanged_ = true;
}

void TLinotrex::CompileSource() {
    if (!CanStartCommand())
        return;
    TBusyGuard busy(*this);
    Compile();
}

void TLinotrex::Compile() {
    messages_[0] = '\0';
    if (!hasSource_)
        throw std::runtime_error("Kein Quelltext gesetzt");
    if (views_.ClearMessages)
        views_.ClearMessages();
    if (views_.ShowMessageWindow)
        views_.ShowMessageWindow();
    const QString name =
        attached_ ? attached_->DisplayName() : QStringLiteral("Unbenannter Quelltext");
    Message(QStringLiteral("Compiliere %1").arg(name), MessageKind::Progress);
    ProcessMessages();

    std::string directory = attached_ ? attached_->SourceFileName() : std::string();
    const size_t cut = directory.find_last_of("/\\:");
    directory.erase(cut == std::string::npos ? 0 : cut + 1);
    const uint32_t result = nulLines_.empty()
                                ? static_cast<uint32_t>(LinotrexCompile(handle_, directory.c_str()))
                                : RefuseNulBytes(directory);
    compiled_ = LowWord(result) == LinotrexCompileOk;
    Reset(false);
    CheckBreakpoints();
    RefreshDAC();
    RefreshPorts();
    switch (LowWord(result)) {
    case LinotrexCompileOk: {
        const int code = LinotrexGetCodeLength(handle_) & 0xFFFF;
        const int sys = LinotrexGetSysCodeLength(handle_) & 0xFFFF;
        downloadSize_ = code + sys;
        Message(QStringLiteral("  fehlerfrei: %1 BASIC Bytes, %2 SYS Bytes").arg(code).arg(sys),
                MessageKind::Plain);
        break;
    }
    case LinotrexCompileErrors:
        Message(QStringLiteral("  %1 Fehler gefunden:").arg(HighWord(result)), MessageKind::Error);
        messages_[MessageBufferSize - 1] = '\0'; // never read past the buffer
        if (views_.AddCompilerErrors)
            views_.AddCompilerErrors(platform::AnsiToQString(std::string_view(messages_.data())));
        if (views_.GoToError)
            views_.GoToError();
        break;
    case LinotrexCompileOutOfMemory:
        Message(QStringLiteral("Interner Fehler: Outa mem yeah..."), MessageKind::Error);
        break;
    case LinotrexCompileReadError:
        Message(QStringLiteral("Fehler beim Dateilesen!"), MessageKind::Error);
        break;
    case LinotrexCompileWriteError:
        Message(QStringLiteral("Fehler beim Dateischreiben!"), MessageKind::Error);
        break;
    default:
        // a result this program does not know must not look like a silent success
        Message(QStringLiteral("Interner Fehler: unbekanntes Ergebnis %1 des Compilers")
                    .arg(LowWord(result)),
                MessageKind::Error);
        break;
    }
}

uint32_t TLinotrex::RefuseNulBytes(const std::string& directory) {
    // Given no text, the library drops the program it compiled last.
    LinotrexCompile(handle_, directory.c_str());
    // whole lines, as many as the buffer holds, in the library's own form
    size_t used = 0;
    for (const int32_t line : nulLines_) {
        const std::string text =
            "Zeile " + std::to_string(line) + ": unerwartetes Zeichen (Nullbyte)\r\n";
        if (used + text.size() + 1 > messages_.size())
            break;
        std::copy(text.begin(), text.end(), messages_.begin() + static_cast<ptrdiff_t>(used));
        used += text.size();
    }
    messages_[used] = '\0';
    const auto count = static_cast<uint32_t>(std::min<size_t>(nulLines_.size(), 0xFFFF));
    return count << 16 | LinotrexCompileErrors;
}

bool TLinotrex::OpenComPort() {
    if (port_)
        return true;
    // any number outside 1..4 counts as not chosen
    if ((portNumber_ < 1 || portNumber_ > 4) && !ChoosePort())
        return false;
    if (portNumber_ < 1 || portNumber_ > 4)
        return false;
    const std::string name = "COM" + std::to_string(portNumber_);
    port_ = portSettings_ ? platform::SerialOpen(name, *portSettings_) : platform::SerialOpen(name);
    if (!port_) {
        platform::MessageBeep(BeepKind::Hand);
        platform::MessageBox(
            BoxKind::Error,
            QStringLiteral("Konnte die %1 nicht öffnen!").arg(QString::fromLatin1(name.c_str())),
            OkOnly);
    }
    return port_ != nullptr;
}

bool TLinotrex::ChoosePort() {
    if (!views_.EditPortOnly)
        return EditOptions();
    int port = portNumber_;
    if (!views_.EditPortOnly(port))
        return false;
    SetComPort(port);
    return true;
}

void TLinotrex::ClosePort() {
    if (port_)
        platform::SerialClose(port_);
    port_ = nullptr;
}

void TLinotrex::StartDownload() {
    if (!compiled_ || !CanStartCommand())
        return;
    TBusyGuard busy(*this);
    if (!OpenComPort())
        return;
    Message(QStringLiteral("Übertrage %1 Bytes an die Tavrissel-Unit...").arg(downloadSize_),
            MessageKind::Progress);
    downloadActive_ = true;
    try {
        auto* thread = new TDownloadThread(*this, handle_, port_);
        thread_ = thread;
        connect(thread, &QThread::finished, this, &TLinotrex::DownloadDone);
        connect(thread, &QThread::finished, thread, &QObject::deleteLater);
        thread->start();
    } catch (...) {
        downloadActive_ = false;
        ClosePort();
        throw;
    }
}

void TLinotrex::DownloadThreadReport(int result) {
    if (result > 0) {
        if (views_.AppendToLastMessage)
            views_.AppendToLastMessage(QStringLiteral("fertig"));
        return;
    }
    QString text;
    switch (result) {
    case -4:
        text = QStringLiteral("  Übertragungsfehler!");
        break;
    case -3:
        text = QStringLiteral("  Die Tavrissel-Unit antwortet nicht!");
        break;
    case -2:
        text = QStringLiteral("  Fehler beim Schreiben auf die serielle Schnittstelle!");
        break;
    case -1:
        text = QStringLiteral("  Inkompatible Hardware, Tavrissel/BASIC Chip erforderlich!");
        break;
    default:
        text = QStringLiteral("  Fehler in der Kommunikation mit der Tavrissel-Unit!");
        break;
    }
    Message(text, MessageKind::Error);
}

void TLinotrex::DownloadDone() {
    downloadActive_ = false;
    // each download opens the port anew
    ClosePort();
    if (portPending_) {
        portPending_ = false;
        SetComPort(pendingPort_);
    }
}

void TLinotrex::ResetSimulation(bool keepLibraryState) {
    if (!CanStartCommand())
        return;
    TBusyGuard busy(*this);
    Reset(keepLibraryState);
}

void TLinotrex::Reset(bool keepLibraryState) {
    if (!keepLibraryState)
        LinotrexResetProgram(handle_);
    runState_ = Idle;
    SetExecLine(-1);
    statusChanged_ = true;
    RefreshDataFile();
    RefreshWatches();
    for (int channel = 0; channel < 8; ++channel)
        LinotrexSetADC(handle_, channel, ports_.analogIn[static_cast<size_t>(channel)]);
    RefreshDAC();
    RefreshPorts();
}

bool TLinotrex::SimulatorError(const QString& what) {
    platform::MessageBeep(BeepKind::Hand);
    platform::MessageBox(
        BoxKind::Error, QStringLiteral("Es trat ein Simulationsfehler auf:\n%1").arg(what), OkOnly);
    runState_ = Halted;
    statusChanged_ = true;
    return false;
}

bool TLinotrex::StepOnce() {
    if (!CanStartCommand())
        return false;
    TBusyGuard busy(*this);
    return Step();
}

bool TLinotrex::Step() {
    if (!compiled_)
        return false;
    // a break left over from an ended run must not stop this step's first WAIT
    if (runState_ < Running)
        userBreak_ = false;
    runState_ = std::max(runState_, SingleStep);
    // the state a WAIT interrupted, restored when the wait is over
    std::optional<RunState> beforeWait;
    bool again;
    do {
        again = false;
        for (size_t channel = 0; channel < 8; ++channel) {
            if (ports_.analogChanged[channel])
                LinotrexSetADC(handle_, static_cast<int>(channel), ports_.analogIn[channel]);
            ports_.analogChanged[channel] = false;
        }
        const uint32_t r = LinotrexStep(handle_);
        if (beforeWait && LowWord(r) != LinotrexEventWait) {
            runState_ = *beforeWait;
            beforeWait.reset();
            statusChanged_ = true;
        }
        switch (LowWord(r)) {
        case LinotrexEventEnd:
            Reset(true);
            break;
        case LinotrexEventStep:
        case LinotrexEventFileStep:
            RefreshWatches();
            RefreshDAC();
            RefreshPorts();
            SetExecLine(HighWord(r));
            if (LowWord(r) == LinotrexEventFileStep)
                RefreshDataFile();
            if (runState_ < Running)
                runState_ = Halted;
            break;
        case LinotrexEventInput: {
            runState_ = std::max(runState_, SingleStep);
            int value = lastInput_;
            if (views_.AskInput && views_.AskInput(value)) {
                lastInput_ = value;
                LinotrexSetInputValue(handle_, static_cast<int16_t>(value));
                again = true;
            } else {
                platform::MessageBeep(BeepKind::Exclamation);
                runState_ = Halted;
                statusChanged_ = true;
                return false;
            }
            break;
        }
        case LinotrexEventOutput:
            runState_ = std::max(runState_, SingleStep);
            if (views_.AddTerminalText)
                views_.AddTerminalText(
                    platform::AnsiToQString(std::string_view(LinotrexGetOutputString(handle_))));
            again = true;
            break;
        case LinotrexEventWait:
            again = true;
            if (!beforeWait) {
                beforeWait = runState_;
                runState_ = Waiting;
                statusChanged_ = true;
            }
            ProcessMessages();
            if (views_.Idle)
                views_.Idle();
            ProcessMessages();
            if (userBreak_)
                return BreakWithMessage(QStringLiteral("WAIT: Abbruch durch Anwender"));
            break;
        case LinotrexEventPause: {
            // a stop given before the pause still counts: the run ends here
            const RunState saved = runState_;
            runState_ = Waiting;
            statusChanged_ = true;
            const uint64_t end =
                platform::MillisecondClock() + static_cast<uint64_t>(HighWord(r)) * 20;
            for (;;) {
                if (userBreak_)
                    return BreakWithMessage(QStringLiteral("PAUSE: Abbruch durch Anwender"));
                if (platform::MillisecondClock() >= end)
                    break;
                platform::SleepMilliseconds(5);
                ProcessMessages();
                if (views_.Idle)
                    views_.Idle();
            }
            runState_ = saved;
            statusChanged_ = true;
            // the library reports the statement after the pause at its next call
            again = true;
            break;
        }
        case LinotrexEventError: {
            const int code = HighWord(r);
            return SimulatorError(code == 1 ? QStringLiteral("Division durch Null!")
                                  : code == 2
                                      ? QStringLiteral("Ungültiger Zugriff auf Tavrissel-EEPROM!")
                                      : QStringLiteral("Linotrex got stoned..."));
        }
        default:
            // an event this program does not know ends the step as an error would
            return SimulatorError(
                QStringLiteral("Unbekanntes Ereignis %1 der BASIC-Bibliothek").arg(LowWord(r)));
        }
    } while (again);
    statusChanged_ = true;
    return true;
}

void TLinotrex::RunTo(int32_t targetLine) {
    if (!compiled_ || !CanStartCommand())
        return;
    TBusyGuard busy(*this);
    const bool fromStart = runState_ == Idle;
    runState_ = Running;
    statusChanged_ = true;
    bool hit = false;
    userBreak_ = false;
    if (attached_)
        attached_->ShowBreakpointLine(execLine_, true);
    // From idle the program stands on its first statement, which no step reports: a
    // breakpoint or the target there stops the run before its first step.
    if (fromStart) {
        const int32_t start = StartLine(targetLine);
        if (start > 0 && (start == targetLine || HasBreakpointOn(start))) {
            execLine_ = start;
            hit = true;
        }
    }
    uint64_t last = 0;
    while (!hit) {
        if (!Step() || execLine_ == targetLine)
            break;
        hit = HasBreakpointOn(execLine_);
        const uint64_t now = platform::MillisecondClock();
        if (now - last > 200) {
            if (views_.Idle)
                views_.Idle();
            last = now;
        }
        ProcessMessages();
        if (userBreak_ || hit || execLine_ == -1 || !attached_)
            break;
    }
    if (runState_ > Halted)
        runState_ = Halted;
    if (attached_) {
        if (execLine_ >= 1)
            attached_->ShowBreakpointLine(0, false); // the whole text
        attached_->ShowBreakpointLine(execLine_, true);
    }
    statusChanged_ = true;
}

bool TLinotrex::HasBreakpointOn(int32_t line) const {
    return breakpoints_ && std::any_of(breakpoints_->begin(), breakpoints_->end(),
                                       [line](const auto& entry) { return entry->line == line; });
}

int32_t TLinotrex::StartLine(int32_t targetLine) const {
    // statements are compiled in text order: the first line a breakpoint may stand on
    int32_t limit = targetLine;
    if (breakpoints_)
        for (const auto& entry : *breakpoints_)
            limit = std::max(limit, entry->line);
    for (int32_t line = 1; line <= limit; ++line)
        if (LinotrexIsValidBreakPoint(handle_, line))
            return line;
    return 0;
}

QString TLinotrex::GetStatusText() {
    statusChanged_ = false;
    if (runState_ == Idle || !attached_)
        return QStringLiteral("Bereit");
    static const char* const states[] = {"", "Angehalten", "Einzelschritt", "In Ausführung",
                                         "WAIT"};
    return QStringLiteral("Simulator: %1 [%2]")
        .arg(attached_->DisplayName(), QString::fromUtf8(states[runState_]));
}

bool TLinotrex::IsCompiledFor(const TSourceWindow* form) const {
    return compiled_ && form && form == attached_;
}
bool TLinotrex::IsExecLine(const TSourceWindow* form, int32_t line) const {
    return form && form == attached_ && line == execLine_;
}
bool TLinotrex::IsRunningIn(const TSourceWindow* form) const {
    return form && form == attached_ && (runState_ == Running || runState_ == Waiting);
}
bool TLinotrex::IsSimulatingIn(const TSourceWindow* form) const {
    return form && form == attached_ && runState_ != Idle;
}
bool TLinotrex::IsValidBreakpointIn(const TSourceWindow* form, int32_t line) const {
    return IsCompiledFor(form) && LinotrexIsValidBreakPoint(handle_, line) != 0;
}

void TLinotrex::CheckBreakpoints() {
    if (!breakpoints_ || !attached_)
        return;
    for (auto& entry : *breakpoints_) {
        entry->checked = true;
        entry->valid = LinotrexIsValidBreakPoint(handle_, entry->line) != 0;
        attached_->ShowBreakpointLine(entry->line, false);
    }
}

void TLinotrex::SetExecLine(int32_t line) {
    if (runState_ != Running && attached_) {
        if (execLine_ > 0)
            attached_->ShowBreakpointLine(execLine_, false);
        const int32_t old = execLine_;
        execLine_ = line;
        if (line > 0 || old > 0)
            attached_->ShowBreakpointLine(line, line > 0);
    }
    execLine_ = line;
}

void TLinotrex::ShowLine(int32_t line, bool activate) {
    if (!attached_)
        return;
    attached_->ShowBreakpointLine(line, true);
    if (activate)
        attached_->BringToFront();
}

uint32_t TLinotrex::MapSymbol(const std::string& name) const {
    return LinotrexMapSymbol(handle_, name.c_str());
}
int TLinotrex::GetSymbolValue(uint32_t id) const {
    return LinotrexGetValue(handle_, id);
}

bool TLinotrex::SetSymbolValue(uint32_t id, int value) {
    // A run lets window messages in only between two library calls, so a value set from a
    // window during a run is taken between two steps, as while halted.
    if (!LinotrexSetValue(handle_, id, static_cast<int16_t>(value)))
        return false;
    RefreshWatches();
    RefreshDAC();
    RefreshPorts();
    return true;
}

void TLinotrex::SetPortLine(int line0to15, int level) {
    if (!LinotrexSetValue(handle_, MakeLinotrexMapCode(3, 2, line0to15),
                          static_cast<int16_t>(level & 0xFF)))
        platform::MessageBeep(BeepKind::Hand);
    RefreshWatches();
    RefreshPorts();
}

void TLinotrex::SetFixedInPorts(int levels) {
    LinotrexSetInitialPortState(handle_, levels & 0xFFFF);
}

void TLinotrex::SetComPort(int n) {
    // the running download keeps its port; the new one is taken when it ends
    if (downloadActive_) {
        pendingPort_ = n;
        portPending_ = true;
        return;
    }
    if (n == portNumber_)
        return;
    ClosePort();
    portNumber_ = n;
}

void TLinotrex::SetAutoTiming(bool on) {
    autoTiming_ = on;
    SendOptions();
}

void TLinotrex::SetSimulatedBeep(bool on) {
    simulatedBeep_ = on;
    SendOptions();
}

bool TLinotrex::EditOptions() {
    bool autoTiming = autoTiming_, beep = simulatedBeep_;
    int port = portNumber_;
    if (!views_.EditOptions || !views_.EditOptions(autoTiming, port, beep))
        return false;
    SetAutoTiming(autoTiming);
    SetComPort(port);
    SetSimulatedBeep(beep);
    return true;
}

void TLinotrex::LoadSettings(TWinRegistry& reg) {
    const QString section = QStringLiteral("Linotrex");
    autoTiming_ = reg.ReadBool(section, QStringLiteral("AutoTiming"), true);
    SetComPort(reg.ReadInteger(section, QStringLiteral("COM"), -1));
    simulatedBeep_ = reg.ReadBool(section, QStringLiteral("SimulatedBeep"), true);
    SendOptions(); // the library must run with the switches just read
    SetFixedInPorts(reg.ReadInteger(section, QStringLiteral("FixedInPorts"), 0));
    LinotrexResetProgram(handle_);
    RefreshPorts();
}

void TLinotrex::SaveSettings(TWinRegistry& reg) {
    const QString section = QStringLiteral("Linotrex");
    reg.WriteBool(section, QStringLiteral("AutoTiming"), autoTiming_);
    reg.WriteInteger(section, QStringLiteral("COM"), portNumber_);
    reg.WriteBool(section, QStringLiteral("SimulatedBeep"), simulatedBeep_);
    reg.WriteInteger(section, QStringLiteral("FixedInPorts"), LinotrexGetInitialPortState(handle_));
}

TWatchEntry& TLinotrex::AddWatch(const std::string& name) {
    watches_.push_back(std::make_unique<TWatchEntry>(handle_, name));
    return *watches_.back();
}

void TLinotrex::RefreshWatches() {
    for (auto& watch : watches_)
        watch->Evaluate(handle_);
    if (views_.RepaintChangedWatches)
        views_.RepaintChangedWatches();
}

void TLinotrex::RefreshDAC() {
    ports_.analogOut[0] = static_cast<uint8_t>(LinotrexGetDAC(handle_, 0));
    ports_.analogOut[1] = static_cast<uint8_t>(LinotrexGetDAC(handle_, 1));
    if (views_.RefreshAnalogPorts)
        views_.RefreshAnalogPorts();
}

void TLinotrex::RefreshPorts() {
    const uint32_t state = LinotrexGetPortState(handle_);
    for (size_t i = 0; i < 16; ++i) {
        ports_.direction[i] = (state >> (16 + i)) & 1;
        ports_.level[i] = (state >> i) & 1;
    }
    if (views_.RefreshDigitalPorts)
        views_.RefreshDigitalPorts();
}

void TLinotrex::RefreshDataFile() {
    data_.previousLength = data_.length;
    // the image holds 4096 words; a longer file is cut rather than overrunning it
    data_.length =
        std::clamp(LinotrexGetFileLength(handle_), 0, static_cast<int>(data_.words.size()));
    LinotrexDumpFile(handle_, data_.words.data());
    if (views_.RefreshDataWindow)
        views_.RefreshDataWindow();
}

namespace {
TLinotrexScope* innermostScope = nullptr;
}

TLinotrexScope::TLinotrexScope() : wrapper_(std::make_unique<TLinotrex>()), outer_(innermostScope) {
    innermostScope = this;
}

TLinotrexScope::~TLinotrexScope() {
    innermostScope = outer_;
}

TLinotrex& Linotrex() {
    if (innermostScope)
        return innermostScope->Wrapper();
    static TLinotrex wrapper;
    return wrapper;
}

} // namespace harvel
