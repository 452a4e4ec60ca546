#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include "basic/library/linotrex.h"
#include "basic/mainwindow/mainform.h"
#include "framework/idlehandler.h"
#include "framework/mainframe.h"
#include "framework/tests/eventloop.h"
#include "graphical/mainwindow/tavrisselform.h"

namespace {

constexpr int StartMs = 1500;
constexpr int QuietMs = 5000;
// Settings and desktop files go here.
QString DataDir;

double Seconds(const timeval& t) {
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

// A main window with a document open sits still: nothing runs, no input comes. Wake-ups are the
// main thread's waits that ended (voluntary context switches), CPU the whole process's time;
// both per second of the quiet stretch (targets: at most 5 wake-ups, at most 0.3 % CPU).
void MeasureIdle(benchmark::State& state, const TIdleHandler* idle) {
    fixture::RunLoop(StartMs); // the splash and the first idle calls pass
    rusage threadBefore{}, processBefore{}, threadAfter{}, processAfter{};
    getrusage(RUSAGE_THREAD, &threadBefore);
    getrusage(RUSAGE_SELF, &processBefore);
    const int runsBefore = idle->Runs();
    QElapsedTimer clock;
    clock.start();
    fixture::RunLoop(QuietMs);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    getrusage(RUSAGE_THREAD, &threadAfter);
    getrusage(RUSAGE_SELF, &processAfter);
    const double cpu = Seconds(processAfter.ru_utime) + Seconds(processAfter.ru_stime) -
                       Seconds(processBefore.ru_utime) - Seconds(processBefore.ru_stime);
    state.counters["wakeups_per_s"] =
        double(threadAfter.ru_nvcsw - threadBefore.ru_nvcsw) / seconds;
    state.counters["cpu_percent"] = 100.0 * cpu / seconds;
    state.counters["idle_runs_per_s"] = double(idle->Runs() - runsBefore) / seconds;
}

// A main window of kind Form, shown with open's document in it, measured while it sits still.
template <class Form, class Open>
void MeasureMainWindow(benchmark::State& state, const char* desktopFile, Open open) {
    for (auto _ : state) {
        DesktopFileName = QDir(DataDir).filePath(QLatin1String(desktopFile));
        auto* form = new Form;
        form->show();
        if (!open(*form))
            state.SkipWithError("example not opened");
        else
            MeasureIdle(state, form->IdleHandler());
        form->close();
        delete form;
    }
}

// The graphical program with the running-light project open in its tree.
void BM_QuendalIdle(benchmark::State& state) {
    MeasureMainWindow<TTavrisselForm>(state, "quendal.DSK", [](TTavrisselForm& form) {
        return form.OpenProject(QStringLiteral(QUENDAL_EXAMPLES_DIR "/Lauflicht.mtp"));
    });
}
BENCHMARK(BM_QuendalIdle)->Iterations(1)->Unit(benchmark::kMillisecond);

// The BASIC program with the running-light source open, its caret blinking.
void BM_HarvelIdle(benchmark::State& state) {
    harvel::TLinotrexScope scope;
    MeasureMainWindow<harvel::TMainForm>(state, "harvel.DSK", [](harvel::TMainForm& form) {
        return form.OpenEditor(QStringLiteral(HARVEL_EXAMPLES_DIR "/lauflicht.bas")) != nullptr;
    });
}
BENCHMARK(BM_HarvelIdle)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Offscreen unless a platform is asked for (a real display, say).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and desktop files go to a directory of their own.
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QDir(dir.path()).filePath(QStringLiteral("config")).toLocal8Bit());
    QApplication app(argc, argv);
    DataDir = dir.path();
    // The BASIC program's keyword file is read beside the program.
    const QString keywords = QCoreApplication::applicationFilePath() + QStringLiteral(".TOK");
    if (!QFile::exists(keywords))
        QFile::copy(QStringLiteral(HARVEL_TOKEN_FILE), keywords);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
