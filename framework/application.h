// The application object of both programs, and the one way a command source runs its command.
// Command sources (menu items, tool buttons, shortcuts) and event handlers catch where they run,
// before an exception could pass through the toolkit's own frames; notify() is the last net.
#pragma once

#include "platform/qt/failure.h" // RunCommand, ConnectCommand

#include <QApplication>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);

    // A failure that gets this far ends its event (a close is not done) and is shown once the
    // event loop is back.
    bool notify(QObject* receiver, QEvent* event) override;
};
