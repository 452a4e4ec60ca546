// The BASIC development program: splash, main window, message loop.
#include "basic/library/linotrex.h"
#include "basic/mainwindow/mainform.h"
#include "framework/application.h"
#include "framework/icons.h"
#include "framework/mainframe.h"
#include "framework/splash.h"
#include "platform/system.h"

int main(int argc, char* argv[]) {
    // A failing command shows its error and the program goes on.
    TApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1String(harvel::MainProgramTitle));
    QApplication::setWindowIcon(ApplicationIcon());
    // Standard dialogs and key names in German; without the files they stay English.
    InstallQtTranslations();
    // The desktop file lives in the directory that is current at start.
    DesktopFileName = DefaultDesktopFileName();
    // The wrapper comes after the application object and goes before it: its download
    // reports through the application's event loop.
    harvel::TLinotrexScope scope;
    harvel::TLinotrex& wrapper = scope.Wrapper();

    auto* splash = new TSplashForm(QLatin1String(HarvelVersionText));
    splash->ShowSplash();

    auto* form = new harvel::TMainForm;
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->SetSplash(splash);
    form->show();
    const int result = app.exec();
    // A download still under way reports to this thread: let it end while events still run.
    while (wrapper.DownloadActive()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        platform::SleepMilliseconds(1);
    }
    return result;
}
