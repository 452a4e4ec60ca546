#include "platform/qt/help.h"

#include "platform/qt/dialogs.h"
#include "platform/system.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <mutex>

namespace platform {

namespace {

std::mutex helpMutex;
QString helpFile;
HelpOpener helpOpener;

QString DefaultHelpFile() {
    QFileInfo program(QString::fromStdString(ProgramFilePath()));
    return program.absolutePath() + "/" + program.completeBaseName() + ".hlp";
}

bool OpenPage(const QString& path) {
    HelpOpener opener;
    {
        std::lock_guard<std::mutex> lock(helpMutex);
        opener = helpOpener;
    }
    QUrl url = QUrl::fromLocalFile(path);
    return opener ? opener(url) : QDesktopServices::openUrl(url);
}

bool ShowPage(const QString& topic) {
    const QString folder = HelpFile();
    for (const QString& page : {topic, QStringLiteral("index.html")}) {
        if (page.isEmpty())
            continue;
        QFileInfo file(folder + "/" + page);
        if (file.isFile())
            return OpenPage(file.absoluteFilePath());
    }
    MessageBox(BoxKind::Error,
               QStringLiteral("Die Hilfedatei %1 wurde nicht gefunden.").arg(folder),
               static_cast<Buttons>(Button::Ok));
    return false;
}

} // namespace

void SetHelpFile(const QString& path) {
    std::lock_guard<std::mutex> lock(helpMutex);
    helpFile = path;
}

QString HelpFile() {
    {
        std::lock_guard<std::mutex> lock(helpMutex);
        if (!helpFile.isEmpty())
            return helpFile;
    }
    return DefaultHelpFile();
}

bool ShowHelpContext(int context) {
    return ShowPage(QString::number(context) + ".html");
}

bool ShowHelpContents() {
    return ShowPage(QString());
}

HelpOpener SetHelpOpener(HelpOpener opener) {
    std::lock_guard<std::mutex> lock(helpMutex);
    HelpOpener previous = std::move(helpOpener);
    helpOpener = std::move(opener);
    return previous;
}

} // namespace platform
