// Where failures end: every command source (menu item, button, shortcut) runs its command
// through RunCommand, every event handler that can fail through GuardEvent. A failure is shown
// with a beep and an error box with the exception's text (file errors in German); the operation
// is abandoned and the program goes on. While such a box is up, a further failure only beeps.
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QShortcut>
#include <QString>
#include <QTimer>

#include <exception>
#include <type_traits>
#include <utility>

namespace platform {
struct SaveFailure;
}

// The German text of a system error number (errno).
QString SystemErrorReason(int code);
// "name: reason", the reason the German text of a system error number.
QString FileErrorText(const QString& name, int code);
// The text a failed save is shown with: "name: reason", and, when the write had begun, whether
// the file on the disk is unchanged or damaged; kept (for a damaged file) tells where the
// content still is.
QString SaveFailureText(const platform::SaveFailure& failure, const QString& kept = {});
// The text a failure is shown with: a system error in German ("name: Zugriff verweigert"),
// a failed save as SaveFailureText, any other exception its own text.
QString ErrorText(const std::exception& error);

namespace platform {

// The text of the exception now being handled (call it inside a catch block).
QString CurrentFailureText();
// Shows the exception now being handled (inside a catch block) at once.
void ShowFailure();
// Takes the text of the exception now being handled and shows it once the event loop is back,
// not inside the delivery that failed (a paint or a mouse press must not open a modal box).
void ShowFailureLater();

// Marks an event whose handler failed: a close is refused (ignored, so the window stays); any
// other event is accepted, so that the toolkit does not hand it on to the parent widget.
void EndFailedEvent(QEvent* event);

// Runs an event handler, an event filter or an event() override. A failure it lets out ends
// the event where it failed (EndFailedEvent; a filter's or event()'s result is true, so that no
// other handler sees the event) and is shown once the event loop is back.
template <class Handler> auto GuardEvent(QEvent* event, Handler&& handler) {
    try {
        return handler();
    } catch (...) {
        EndFailedEvent(event);
        ShowFailureLater();
        if constexpr (!std::is_void_v<decltype(handler())>)
            return decltype(handler())(true);
    }
}

// Runs a callback the toolkit makes from inside its own event handling (a delegate handing
// over its editor's text, say). A failure is shown once the event loop is back.
template <class Callback> void GuardCallback(Callback&& callback) {
    try {
        std::forward<Callback>(callback)();
    } catch (...) {
        ShowFailureLater();
    }
}

} // namespace platform

// Runs a command. An exception it lets out is shown here, before it could pass through the
// toolkit's own frames.
template <class Command> void RunCommand(Command&& command) {
    try {
        std::forward<Command>(command)();
    } catch (...) {
        platform::ShowFailure();
    }
}

namespace platform {
template <class Receiver, class Command> auto CommandSlot(Receiver* receiver, Command command) {
    return [receiver, command] {
        RunCommand([&] {
            if constexpr (std::is_member_function_pointer_v<Command>)
                (receiver->*command)();
            else
                command();
        });
    };
}
} // namespace platform

// Connects a menu item, button, shortcut or timer to its command (a member function of receiver or
// a callable), run through RunCommand while receiver lives.
template <class Receiver, class Command>
QMetaObject::Connection ConnectCommand(QAction* action, Receiver* receiver, Command command) {
    return QObject::connect(action, &QAction::triggered, receiver,
                            platform::CommandSlot(receiver, std::move(command)));
}
template <class Receiver, class Command>
QMetaObject::Connection ConnectCommand(QAbstractButton* button, Receiver* receiver,
                                       Command command) {
    return QObject::connect(button, &QAbstractButton::clicked, receiver,
                            platform::CommandSlot(receiver, std::move(command)));
}
template <class Receiver, class Command>
QMetaObject::Connection ConnectCommand(QShortcut* shortcut, Receiver* receiver, Command command) {
    return QObject::connect(shortcut, &QShortcut::activated, receiver,
                            platform::CommandSlot(receiver, std::move(command)));
}
template <class Receiver, class Command>
QMetaObject::Connection ConnectCommand(QTimer* timer, Receiver* receiver, Command command) {
    return QObject::connect(timer, &QTimer::timeout, receiver,
                            platform::CommandSlot(receiver, std::move(command)));
}
