#include "framework/mainframe.h"

#include "platform/system.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>
#include <memory>

QString DesktopFileName;

QString DefaultDesktopFileName() {
    QString dir = QDir::currentPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    const QFileInfo program(QString::fromStdString(platform::ProgramFilePath()));
    return dir + program.completeBaseName() + QStringLiteral(".DSK");
}

bool HintUnderPointer(const QString& hint) {
    if (QApplication::activePopupWidget())
        return true;
    for (const QWidget* widget = QApplication::widgetAt(QCursor::pos()); widget;
         widget = widget->parentWidget())
        if (widget->statusTip() == hint)
            return true;
    return false;
}

bool DropStaleHint(QString& hint) {
    if (hint.isEmpty() || HintUnderPointer(hint))
        return false;
    hint.clear();
    return true;
}

bool InstallQtTranslations(const QString& directory) {
    const QString folder =
        directory.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : directory;
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                          QStringLiteral("_"), folder))
        return false;
    QCoreApplication::installTranslator(translator.release());
    return true;
}
