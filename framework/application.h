// The application object of both programs. Every exception that leaves a menu item, tool
// button, shortcut, dialog, timer or event handler ends in its notify(): it is shown with a
// beep in an error box, the operation is abandoned and the program goes on.
#pragma once

#include <QApplication>

#include <utility>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the exception now being handled (call it inside a catch block): a beep, then an
    // error box with the exception's text. While such a box is up, a further failure only beeps.
    static void HandleException();
};

// Runs the command of a menu item, tool button or shortcut. An exception it lets out is shown
// here, as notify() shows any other, before it could pass through the toolkit's own frames.
template <class Command> void RunCommand(Command&& command) {
    try {
        std::forward<Command>(command)();
    } catch (...) {
        TApplication::HandleException();
    }
}
