#include "framework/application.h"

#include <csignal>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // A file that outgrows the size limit fails its write, not the program with the user's work.
    std::signal(SIGXFSZ, SIG_IGN);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        platform::EndFailedEvent(event);
        platform::ShowFailureLater();
    }
    return false;
}
