// The wrapper of the BASIC library: the only caller of Kestrin32. It feeds the library the
// text of the attached editor window, compiles, steps and runs it, keeps the run state, moves
// values between the library and the simulator windows, and downloads on a worker thread.
#pragma once

#include "kestrin32.h"
#include "platform/serial.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TWinRegistry;
namespace platform {
class Settings;
}
namespace ved {
class TVedCustomEditor;
}

namespace harvel {

// A watched variable.
class TWatchEntry {
public:
    enum State : uint8_t { Unchanged = 0, Changed = 1, Invalid = 2 };

    TWatchEntry(LinotrexHandle handle, const std::string& name);
    const std::string& GetName() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    void Evaluate(LinotrexHandle handle);
    QString GetText() const;

    int Value() const { return value_; }
    State GetState() const { return state_; }
    uint32_t SymbolId() const { return symbol_; }
    bool Redraw() const { return redraw_; }
    void SetRedraw(bool on) { redraw_ = on; }

private:
    std::string name_;
    int value_ = 0;
    State state_ = Unchanged;
    uint32_t symbol_ = 0;
    bool redraw_ = false;
};

// A breakpoint of an editor window.
struct TBrkptEntry {
    int32_t line = 0;
    bool checked = false; // the window is the attached, compiled one
    bool valid = false;   // the library's verdict, meaningful while checked
    // 1 valid, 2 unchecked, 3 invalid
    uint8_t DisplayState() const { return !checked ? 2 : valid ? 1 : 3; }
};
using TBrkptList = std::vector<std::unique_ptr<TBrkptEntry>>;

// What the wrapper needs of an editor window.
class TSourceWindow {
public:
    virtual ~TSourceWindow() = default;
    virtual ved::TVedCustomEditor& SourceEditor() = 0;
    virtual std::string SourceFileName() const = 0; // empty when untitled
    virtual TBrkptList& Breakpoints() = 0;
    // Repaints the line (all lines when it is outside the text); moves the caret there too.
    virtual void ShowBreakpointLine(int32_t line, bool moveCaret) = 0;
    virtual void BringToFront() = 0;
    // File name or "Unbenannter Quelltext".
    QString DisplayName() const;
};

// The windows the wrapper reports to; unset hooks are skipped.
struct TLinotrexViews {
    enum class MessageKind { Plain, Progress, Error };
    std::function<void()> ClearMessages;
    std::function<void()> ShowMessageWindow;
    std::function<void(const QString& text, MessageKind kind)> AddMessage;
    std::function<void(const QString& text)> AppendToLastMessage;
    std::function<void(const QString& lines)> AddCompilerErrors; // CR LF separated
    std::function<void()> GoToError;
    std::function<void(const QString& text)> AddTerminalText;
    std::function<void()> RepaintChangedWatches;
    std::function<void()> ShowWatchWindow;
    std::function<void()> RefreshDataWindow;
    std::function<void()> RefreshAnalogPorts;
    std::function<void()> RefreshDigitalPorts;
    // The input dialog: false on cancel.
    std::function<bool(int& value)> AskInput;
    // The environment dialog's simulator page, asked when a download has no port: false on
    // cancel. The program connects it in port-only mode (ConnectEnvOptions).
    std::function<bool(bool& autoTiming, int& port, bool& simulatedBeep)> EditOptions;
    // A question for the port alone; when set, it is asked instead of EditOptions.
    std::function<bool(int& port)> EditPortOnly;
    // The application's idle handler.
    std::function<void()> Idle;
};

// The simulated unit's ports and the recorded data as the windows show them.
struct TPortImage {
    std::array<bool, 16> direction{}; // true = output
    std::array<bool, 16> level{};
    std::array<uint8_t, 8> analogIn{};
    std::array<bool, 8> analogChanged{};
    std::array<uint8_t, 2> analogOut{};
};
struct TDataImage {
    std::array<int16_t, 4096> words{};
    int length = 0;
    int previousLength = 0;
};

class TLinotrex;

// Runs LinotrexDownload off the main thread and reports on it.
class TDownloadThread : public QThread {
    Q_OBJECT
public:
    TDownloadThread(TLinotrex& owner, LinotrexHandle handle, platform::SerialHandle port);
    int Result() const { return result_; }

protected:
    void run() override;

private:
    TLinotrex& owner_;
    LinotrexHandle handle_;
    platform::SerialHandle port_;
    int result_ = 0;
};

class TLinotrex : public QObject {
    Q_OBJECT
public:
    enum RunState : uint8_t { Idle = 0, Halted = 1, SingleStep = 2, Running = 3, Waiting = 4 };
    static constexpr int MessageBufferSize = 1042;

    TLinotrex();
    ~TLinotrex() override;
    TLinotrex(const TLinotrex&) = delete;
    TLinotrex& operator=(const TLinotrex&) = delete;

    TLinotrexViews& Views() { return views_; }
    TPortImage& Ports() { return ports_; }
    const TDataImage& Data() const { return data_; }
    // Where "COMn" names are looked up; the user's store when not set.
    void SetPortSettings(platform::Settings* settings) { portSettings_ = settings; }

    void SetSource(TSourceWindow& editor);
    bool AttachEditor(TSourceWindow* form);
    bool DetachEditor(TSourceWindow* form);
    // The window goes away without being asked: forget it and its breakpoints.
    void EditorDestroyed(TSourceWindow* form);
    void CompileSource();
    void StartDownload();
    void ResetSimulation(bool keepLibraryState);
    bool StepOnce();
    void RunTo(int32_t targetLine);
    void UserBreak() { userBreak_ = true; }
    // The attached window's text changed: it must be compiled again before it runs.
    void SourceEdited(const TSourceWindow* form);
    QString GetStatusText();

    bool IsCompiledFor(const TSourceWindow* form) const;
    bool IsExecLine(const TSourceWindow* form, int32_t line) const;
    bool IsRunningIn(const TSourceWindow* form) const;
    // Run state 3 or 4 in whichever window.
    bool IsRunning() const { return runState_ == Running || runState_ == Waiting; }
    bool IsSimulatingIn(const TSourceWindow* form) const;
    bool IsValidBreakpointIn(const TSourceWindow* form, int32_t line) const;
    void CheckBreakpoints();
    void SetExecLine(int32_t line);
    void ShowLine(int32_t line, bool activate);

    uint32_t MapSymbol(const std::string& name) const;
    int GetSymbolValue(uint32_t id) const;
    // Also during a run, between two steps. False, with nothing changed, when the library
    // refuses the value.
    bool SetSymbolValue(uint32_t id, int value);
    void SetPortLine(int line0to15, int level);
    void SetFixedInPorts(int levels);
    void SetComPort(int n);
    void SetAutoTiming(bool on);
    void SetSimulatedBeep(bool on);
    bool EditOptions();
    void LoadSettings(TWinRegistry& reg);
    void SaveSettings(TWinRegistry& reg);

    void RefreshWatches();
    void RefreshDAC();
    void RefreshPorts();
    void RefreshDataFile();

    // The watch list, evaluated against this wrapper's library.
    std::vector<std::unique_ptr<TWatchEntry>>& Watches() { return watches_; }
    TWatchEntry& AddWatch(const std::string& name);

    LinotrexHandle Handle() const { return handle_; }
    TSourceWindow* AttachedEditor() const { return attached_; }
    TBrkptList* ActiveBreakpoints() const { return breakpoints_; }
    int32_t ExecLine() const { return execLine_; }
    bool Compiled() const { return compiled_; }
    RunState GetRunState() const { return runState_; }
    bool StatusChanged() const { return statusChanged_; }
    bool DownloadActive() const { return downloadActive_; }
    // A compile, download, step, run or reset is on the call stack; no other may start.
    bool Busy() const { return busy_ > 0; }
    // Neither busy nor downloading: a command that calls the library may start.
    bool CanStartCommand() const { return busy_ == 0 && !downloadActive_; }
    int DownloadSize() const { return downloadSize_; }
    int PortNumber() const { return portNumber_; }
    bool PortOpen() const { return port_ != nullptr; }
    bool AutoTiming() const { return autoTiming_; }
    bool SimulatedBeep() const { return simulatedBeep_; }
    const char* MessageBuffer() const { return messages_.data(); }

private:
    friend class TDownloadThread;
    bool OpenComPort();
    void ClosePort();
    void SendOptions();
    void DownloadThreadReport(int result);
    void DownloadDone();
    void Compile();
    // Lists the NUL lines as compiler errors instead of compiling; the result as LinotrexCompile's.
    uint32_t RefuseNulBytes(const std::string& directory);
    void Reset(bool keepLibraryState);
    bool Step();
    bool ChoosePort();
    // Counts the simulator commands on the call stack. A command left by an exception leaves
    // its program halted, not running or pausing with nothing to end it.
    class TBusyGuard {
    public:
        explicit TBusyGuard(TLinotrex& owner)
            : owner_(owner), exceptions_(std::uncaught_exceptions()) {
            ++owner_.busy_;
        }
        ~TBusyGuard() {
            --owner_.busy_;
            if (std::uncaught_exceptions() > exceptions_ && owner_.runState_ > Halted) {
                owner_.runState_ = Halted;
                owner_.statusChanged_ = true;
            }
        }
        TBusyGuard(const TBusyGuard&) = delete;
        TBusyGuard& operator=(const TBusyGuard&) = delete;

    private:
        TLinotrex& owner_;
        int exceptions_;
    };
    void Message(const QString& text, TLinotrexViews::MessageKind kind);
    // Lets waiting window messages run; true when the user broke off.
    void ProcessMessages();
    bool BreakWithMessage(const QString& text);
    // The simulator error box with its reason; the run stops halted. Returns false.
    bool SimulatorError(const QString& what);
    bool HasBreakpointOn(int32_t line) const;
    // The line of the program's first statement, looked for up to the target and the last
    // breakpoint; 0 when none lies there.
    int32_t StartLine(int32_t targetLine) const;

    LinotrexHandle handle_ = nullptr;
    std::vector<char> messages_;
    std::string source_;
    bool hasSource_ = false;
    // Lines of the source holding NUL bytes: the library would take the first as the text's end.
    std::vector<int32_t> nulLines_;
    TSourceWindow* attached_ = nullptr;
    TBrkptList* breakpoints_ = nullptr;
    int32_t execLine_ = -1;
    bool compiled_ = false;
    RunState runState_ = Idle;
    bool statusChanged_ = true;
    bool userBreak_ = false;
    int downloadSize_ = 0;
    bool downloadActive_ = false;
    platform::SerialHandle port_ = nullptr;
    int portNumber_ = 0;
    int pendingPort_ = 0; // chosen during a download, taken when it ends
    bool portPending_ = false;
    int busy_ = 0;
    bool autoTiming_ = true;
    bool simulatedBeep_ = true;
    int lastInput_ = 0;
    platform::Settings* portSettings_ = nullptr;
    TLinotrexViews views_;
    TPortImage ports_;
    TDataImage data_;
    std::vector<std::unique_ptr<TWatchEntry>> watches_;
    QPointer<TDownloadThread> thread_;
};

// Gives the program's wrapper an owner: main() creates one after the application object, so
// the wrapper goes before it. Scopes nest; the innermost one is the program's wrapper.
class TLinotrexScope {
public:
    TLinotrexScope();
    ~TLinotrexScope();
    TLinotrexScope(const TLinotrexScope&) = delete;
    TLinotrexScope& operator=(const TLinotrexScope&) = delete;
    TLinotrex& Wrapper() { return *wrapper_; }

private:
    std::unique_ptr<TLinotrex> wrapper_;
    TLinotrexScope* outer_;
};

// The innermost scope's wrapper; without a scope, one created on first use and freed at exit.
TLinotrex& Linotrex();

} // namespace harvel
