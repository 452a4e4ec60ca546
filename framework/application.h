// The application object of both programs. Every exception that leaves a menu item, tool
// button, shortcut, dialog, timer or event handler ends in its notify(): it is shown with a
// beep in an error box, the operation is abandoned and the program goes on.
#pragma once

#include <QApplication>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the exception now being handled (call it inside a catch block): a beep, then an
    // error box with the exception's text. While such a box is up, a further failure only beeps.
    static void HandleException();
};
