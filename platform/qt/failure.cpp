#include "platform/qt/failure.h"

#include "platform/qt/dialogs.h"
#include "platform/savefile.h"
#include "platform/system.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

#include <exception>
#include <filesystem>
#include <system_error>

namespace platform {
namespace {

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
    } catch (const std::exception& error) {
        return ErrorText(error);
    } catch (...) {
        return QStringLiteral("Unbekannter Fehler");
    }
}

void ShowFailure() {
    ShowFailureText(CurrentFailureText());
}

void EndFailedEvent(QEvent* event) {
    event->setAccepted(event->type() != QEvent::Close);
}

void ShowFailureLater() {
    const QString text = CurrentFailureText();
    QTimer::singleShot(0, QCoreApplication::instance(), [text] { ShowFailureText(text); });
}

} // namespace platform

QString SystemErrorReason(int code) {
    return QString::fromStdString(platform::SystemErrorText(code));
}

QString FileErrorText(const QString& name, int code) {
    const QString reason = SystemErrorReason(code);
    return name.isEmpty() ? reason : name + QStringLiteral(": ") + reason;
}

QString SaveFailureText(const platform::SaveFailure& failure, const QString& kept) {
    const QString name = QDir::toNativeSeparators(QFile::decodeName(failure.path.c_str()));
    switch (failure.left) {
    case platform::SaveLeft::Untouched:
        break;
    case platform::SaveLeft::Unchanged:
        return QStringLiteral("Fehler beim Schreiben der Datei %1:\r%2\rDie Datei auf dem "
                              "Datentr\u00E4ger ist unver\u00E4ndert.")
            .arg(name, SystemErrorReason(failure.error));
    case platform::SaveLeft::Damaged:
        return QStringLiteral("Fehler beim Schreiben der Datei %1:\r%2\rDie Datei auf dem "
                              "Datentr\u00E4ger ist besch\u00E4digt!")
                   .arg(name, SystemErrorReason(failure.error)) +
               (kept.isEmpty() ? QString() : QStringLiteral("\r") + kept);
    }
    return FileErrorText(name, failure.error);
}

QString ErrorText(const std::exception& error) {
    if (const auto* save = dynamic_cast<const platform::ESaveError*>(&error))
        return SaveFailureText(save->Failure(), QString::fromUtf8(save->Kept()));
    const QString text = QString::fromLocal8Bit(error.what());
    const auto* system = dynamic_cast<const std::system_error*>(&error);
    if (!system || (system->code().category() != std::generic_category() &&
                    system->code().category() != std::system_category()))
        return text;
    if (const auto* file = dynamic_cast<const std::filesystem::filesystem_error*>(&error))
        return FileErrorText(QString::fromStdString(file->path1().string()),
                             system->code().value());
    // what() is "name: English reason"; the name stays, the reason is told in German.
    QString name = text;
    const QString english = QString::fromLocal8Bit(system->code().message());
    if (name.endsWith(english))
        name.chop(english.size());
    while (name.endsWith(QLatin1Char(' ')) || name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return FileErrorText(name, system->code().value());
}
