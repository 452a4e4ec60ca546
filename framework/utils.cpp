#include "framework/utils.h"

#include "platform/qt/dialogs.h"
#include "platform/qt/help.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <cstdarg>

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

void ShowWarning(const QString& msg) {
    platform::MessageBeep(platform::BeepKind::Exclamation);
    platform::MessageBox(platform::BoxKind::Warning, msg,
                         static_cast<platform::Buttons>(platform::Button::Ok));
}

void ShowErrorFmt(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const QString text = QString::vasprintf(fmt, args);
    va_end(args);
    ShowError(text);
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
