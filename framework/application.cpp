#include "framework/application.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        platform::EndFailedEvent(event);
        platform::ShowFailureLater();
    }
    return false;
}
