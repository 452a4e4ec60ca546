// The graphical development program: splash, main window, message loop.
#include "framework/application.h"
#include "framework/icons.h"
#include "framework/splash.h"
#include "graphical/mainwindow/tavrisselform.h"

int main(int argc, char* argv[]) {
    // A failing command shows its error and the program goes on.
    TApplication app(argc, argv);
    // Standard dialogs and key names in German; without the files they stay English.
    InstallQtTranslations();
    // The desktop file lives in the directory that is current at start.
    DesktopFileName = DefaultDesktopFileName();
    QApplication::setApplicationName(QStringLiteral("Tavrissel/plus"));
    QApplication::setWindowIcon(ApplicationIcon());

    auto* splash = new TSplashForm(QLatin1String(QuendalVersionText));
    splash->ShowSplash();

    auto* form = new TTavrisselForm;
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->SetSplash(splash);
    form->show();
    return app.exec();
}
