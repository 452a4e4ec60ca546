// Message boxes, beeps, the wait cursor and the save dialog: the one place every window uses
// to talk to the user. Tests install a handler that records each request and answers it.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

class QWidget;

namespace platform {

// The sound kinds of the Windows MessageBeep call.
enum class BeepKind { Default, Asterisk, Exclamation, Hand, Question };

// The icon and caption of a box: mtError, mtWarning, mtInformation, mtConfirmation.
enum class BoxKind { Error, Warning, Information, Confirmation };

enum class Button {
    None = 0,
    Ok = 1,
    Cancel = 2,
    Yes = 4,
    No = 8,
    Abort = 16,
    Retry = 32,
    Ignore = 64
};
using Buttons = unsigned;

inline constexpr Buttons operator|(Button a, Button b) {
    return static_cast<Buttons>(a) | static_cast<Buttons>(b);
}
inline constexpr Buttons operator|(Buttons a, Button b) {
    return a | static_cast<Buttons>(b);
}
inline constexpr bool HasButton(Buttons set, Button b) {
    return (set & static_cast<Buttons>(b)) != 0;
}

struct MessageBoxRequest {
    BoxKind kind = BoxKind::Information;
    QString caption;
    QString text;
    Buttons buttons = static_cast<Buttons>(Button::Ok);
};

// A save dialog. The filter has the Windows form "Text (*.ext)|*.ext|...".
struct SaveDialogRequest {
    QString title;
    QString fileName;
    QString filter;
    QString defaultExt;
};

// German caption of a box kind ("Fehler", "Warnung", "Information", "Bestätigen").
QString BoxCaption(BoxKind kind);

// The window a box or dialog opens over: the modal dialog that is open, else the program's
// main window (also when a tool window is active or none is), else the active window.
QWidget* DialogOwner();

void MessageBeep(BeepKind kind);
// Shows a modal box and returns the button pressed (the Cancel or No button, or the only
// button, when the box is closed otherwise). An empty caption takes the kind's caption.
Button MessageBox(BoxKind kind, const QString& text, Buttons buttons,
                  const QString& caption = QString());
// Runs a modal save dialog; empty when cancelled.
std::optional<QString> SaveFileDialog(const SaveDialogRequest& request);
// Translates a Windows filter ("Projekte (*.mtp)|*.mtp") into Qt's form ("Projekte (*.mtp)").
QString QtFileFilter(const QString& windowsFilter);

// Sets the hourglass while it lives and restores the previous cursor on every way out.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    // Number of wait cursors now alive; 0 when the normal cursor shows.
    static int Depth();
};

// Replaceable handlers. Installing one returns the previous handler; an empty handler restores
// the real behaviour.
using BeepHandler = std::function<void(BeepKind)>;
using MessageBoxHandler = std::function<Button(const MessageBoxRequest&)>;
using SaveDialogHandler = std::function<std::optional<QString>(const SaveDialogRequest&)>;
BeepHandler SetBeepHandler(BeepHandler handler);
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
SaveDialogHandler SetSaveDialogHandler(SaveDialogHandler handler);

// For tests: while it lives, records every beep, box and save dialog and answers them from
// queues (a box with no queued answer takes its default answer: Ok, else Cancel, else No).
class DialogRecorder {
public:
    struct Event {
        enum class Type { Beep, Box, SaveDialog } type = Type::Beep;
        BeepKind beep = BeepKind::Default;
        MessageBoxRequest box;
        SaveDialogRequest save;
    };

    DialogRecorder();
    ~DialogRecorder();
    DialogRecorder(const DialogRecorder&) = delete;
    DialogRecorder& operator=(const DialogRecorder&) = delete;

    void QueueAnswer(Button answer) { answers_.push_back(answer); }
    // The box in this place of the queue fails with an exception of this text, as any step of
    // the code that shows it could.
    void QueueFailure(const QString& text) { answers_.push_back(text); }
    // An empty name cancels the dialog.
    void QueueSaveName(const QString& name) { saveNames_.push_back(name); }

    const std::vector<Event>& Events() const { return events_; }
    std::vector<MessageBoxRequest> Boxes() const;
    std::vector<BeepKind> Beeps() const;
    void Clear() { events_.clear(); }

private:
    std::vector<Event> events_;
    std::vector<std::variant<Button, QString>> answers_;
    std::vector<QString> saveNames_;
    BeepHandler oldBeep_;
    MessageBoxHandler oldBox_;
    SaveDialogHandler oldSave_;
};

} // namespace platform
