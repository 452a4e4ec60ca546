#include "framework/utils.h"

#include "platform/qt/dialogs.h"
#include "platform/qt/help.h"
#include "platform/system.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <cstdarg>
#include <filesystem>
#include <system_error>

QString BitmapDir;
QString TableDir;
bool HelpUsed = false;

void ShowHelpTopic(int context) {
    if (platform::ShowHelpContext(context))
        HelpUsed = true;
}

bool HelpKey(const QKeyEvent* event, int context) {
    if (event->key() != Qt::Key_F1)
        return false;
    ShowHelpTopic(context);
    return true;
}

namespace {

// Lookup folders of the program; the file system compares names case-sensitively, so the
// whole program uses this one spelling.
const QString BitmapFolder = QStringLiteral("Bitmaps");
const QString TableFolder = QStringLiteral("Tables");

QString FindFile(const QString& name, const QString& folder, const QString& configuredDir) {
    const QString candidates[] = {name, folder + QLatin1Char('/') + name,
                                  QStringLiteral("../") + folder + QLatin1Char('/') + name};
    for (const QString& candidate : candidates) {
        // A folder of that name (also "Bitmaps/" itself for an empty name) is no match.
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return configuredDir + QLatin1Char('/') + name;
}

QString MakeRelative(const QString& name, const QString& configuredDir) {
    // Unset, the configured directory would claim every file of the root directory.
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || configuredDir.isEmpty())
        return name;
    if (name.left(slash) == configuredDir)
        return name.mid(slash + 1);
    return name;
}

} // namespace

void ShowError(const QString& msg) {
    platform::MessageBeep(platform::BeepKind::Exclamation);
    platform::MessageBox(platform::BoxKind::Error, msg,
                         static_cast<platform::Buttons>(platform::Button::Ok));
}

void ShowErrorFmt(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const QString text = QString::vasprintf(fmt, args);
    va_end(args);
    ShowError(text);
}

QString SystemErrorReason(int code) {
    return QString::fromStdString(platform::SystemErrorText(code));
}

QString FileErrorText(const QString& name, int code) {
    const QString reason = SystemErrorReason(code);
    return name.isEmpty() ? reason : name + QStringLiteral(": ") + reason;
}

QString ErrorText(const std::exception& error) {
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

QString FindBitmapFile(const QString& name) {
    return FindFile(name, BitmapFolder, BitmapDir);
}

QString FindTableFile(const QString& name) {
    return FindFile(name, TableFolder, TableDir);
}

QString MakeBitmapPathRelative(const QString& name) {
    return MakeRelative(name, BitmapDir);
}

QString MakeTablePathRelative(const QString& name) {
    return MakeRelative(name, TableDir);
}
