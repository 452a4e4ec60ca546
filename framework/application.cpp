#include "framework/application.h"

#include "framework/utils.h"
#include "platform/qt/dialogs.h"

#include <cerrno>
#include <exception>
#include <system_error>

namespace {

// The German text of the file errors a user meets; others keep the system's own text.
const char* GermanErrorText(int code) {
    switch (code) {
    case EACCES:
    case EPERM:
        return "Zugriff verweigert";
    case ENOENT:
        return "Datei oder Verzeichnis nicht gefunden";
    case ENOTDIR:
        return "Pfad nicht gefunden";
    case EISDIR:
        return "Der Name bezeichnet ein Verzeichnis";
    case EROFS:
        return "Der Datenträger ist schreibgeschützt";
    case ENOSPC:
        return "Nicht genügend Speicherplatz auf dem Datenträger";
    case EIO:
        return "E/A-Fehler";
    default:
        return nullptr;
    }
}

// "name: Permission denied" becomes "name: Zugriff verweigert".
QString SystemErrorText(const std::system_error& error) {
    const QString text = QString::fromLocal8Bit(error.what());
    const char* german = error.code().category() == std::generic_category() ||
                                 error.code().category() == std::system_category()
                             ? GermanErrorText(error.code().value())
                             : nullptr;
    if (german == nullptr)
        return text;
    const QString english = QString::fromLocal8Bit(error.code().message());
    QString subject = text;
    if (subject.endsWith(english))
        subject.chop(english.size());
    while (subject.endsWith(QLatin1Char(' ')) || subject.endsWith(QLatin1Char(':')))
        subject.chop(1);
    const QString message = QString::fromUtf8(german);
    return subject.isEmpty() ? message : subject + QStringLiteral(": ") + message;
}

} // namespace

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
    } catch (const std::system_error& error) {
        text = SystemErrorText(error);
    } catch (const std::exception& error) {
        text = QString::fromLocal8Bit(error.what());
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
