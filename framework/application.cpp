#include "framework/application.h"

#include "framework/utils.h"
#include "platform/qt/dialogs.h"

#include <exception>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException();
    }
    return false;
}

void TApplication::HandleException() {
    static bool showing = false;
    QString text;
    try {
        throw;
    } catch (const std::exception& error) {
        text = ErrorText(error);
    } catch (...) {
        text = QStringLiteral("Unbekannter Fehler");
    }
    if (showing) {
        // a timer failing again behind the box: no second box above the first
        platform::MessageBeep(platform::BeepKind::Exclamation);
        return;
    }
    struct Showing {
        Showing() { showing = true; }
        ~Showing() { showing = false; }
    } box;
    ShowError(text);
}
