// Help requests go to a list instead of a browser; the help folder (a program's help file name,
// such as "Quendal.hlp") holds the one page asked for.
#pragma once

#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <QUrl>

#include "platform/qt/help.h"

namespace fixture {

class HelpCapture {
public:
    HelpCapture(const QString& folder, const QString& page) {
        QDir(dir_.path()).mkdir(folder);
        QFile file(dir_.filePath(folder + "/" + page));
        pageWritten_ = file.open(QIODevice::WriteOnly);
        file.close();
        platform::SetHelpFile(dir_.filePath(folder));
        platform::SetHelpOpener([this](const QUrl& url) {
            Opened.append(url);
            return true;
        });
    }
    ~HelpCapture() { Release(); }
    HelpCapture(const HelpCapture&) = delete;
    HelpCapture& operator=(const HelpCapture&) = delete;

    bool PageWritten() const { return pageWritten_; }
    // Later requests go to the browser again.
    void Release() { platform::SetHelpOpener({}); }

    QList<QUrl> Opened;

private:
    QTemporaryDir dir_;
    bool pageWritten_ = false;
};

} // namespace fixture
