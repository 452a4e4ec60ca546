#include "framework/mainframe.h"

#include "platform/system.h"

#include <QDir>
#include <QFileInfo>

QString DesktopFileName;

QString DefaultDesktopFileName() {
    QString dir = QDir::currentPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    const QFileInfo program(QString::fromStdString(platform::ProgramFilePath()));
    return dir + program.completeBaseName() + QStringLiteral(".DSK");
}
