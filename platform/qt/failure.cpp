#include "platform/qt/failure.h"

#include "platform/qt/dialogs.h"

#include <QCoreApplication>
#include <QTimer>

#include <cerrno>
#include <exception>
#include <system_error>

namespace platform {
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

void ShowFailureText(const QString& text) {
    static bool showing = false;
    if (showing) {
        // a timer failing again behind the box: no second box above the first
        MessageBeep(BeepKind::Exclamation);
        return;
    }
    struct Showing {
        Showing() { showing = true; }
        ~Showing() { showing = false; }
    } box;
    MessageBeep(BeepKind::Exclamation);
    MessageBox(BoxKind::Error, text, static_cast<Buttons>(Button::Ok));
}

} // namespace

QString CurrentFailureText() {
    try {
        throw;
    } catch (const std::system_error& error) {
        return SystemErrorText(error);
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QStringLiteral("Unbekannter Fehler");
    }
}

void ShowFailure() {
    ShowFailureText(CurrentFailureText());
}

void ShowFailureLater() {
    const QString text = CurrentFailureText();
    QTimer::singleShot(0, QCoreApplication::instance(), [text] { ShowFailureText(text); });
}

} // namespace platform
