#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

#include "bench/common/cellbench.h"
#include "framework/idlehandler.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/model/simulatoriostate.h"

namespace {

// The running light with AutoTiming: every cell pauses 10 ticks in its loop. The model is
// stepped by the idle calls as the main window does, while a 10 ms timer stands for the user;
// the longest gap between two of its events is reported (target: at most 50 ms).
void BM_RunningLightTimerGap(benchmark::State& state) {
    TQuendalModel model;
    if (!model.LoadFromFile(QStringLiteral(EXAMPLES_DIR "/Lauflicht.mtp"))) {
        state.SkipWithError("example not loaded");
        return;
    }
    const bool compiled = model.LoadTablesIntoEngine() && MoltraneCompilerInit(model.Engine) == 1 &&
                          MoltraneCompile(model.Engine) == 0 &&
                          MoltraneCompilerDone(model.Engine) == 1;
    model.ReleaseTableData();
    model.SetCompiled(compiled);
    if (!compiled) {
        state.SkipWithError("example not compiled");
        return;
    }
    AutoTiming = true;
    SimOptionsChanged = true;
    for (auto _ : state) {
        model.DoSimCommand(cmRun);
        qint64 longest = 0;
        int ticks = 0;
        QElapsedTimer clock;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            longest = std::max(longest, clock.restart());
            ++ticks;
        });
        TIdleHandler stepper(nullptr, [&] { return model.Step(); });
        QTimer end;
        end.setSingleShot(true);
        QObject::connect(&end, &QTimer::timeout, [] { QCoreApplication::exit(0); });
        clock.start();
        user.start(10);
        stepper.Start();
        end.start(3000);
        QCoreApplication::exec();
        model.DoSimCommand(cmStop);
        state.counters["longest_gap_ms"] = double(longest);
        state.counters["timer_events"] = ticks;
    }
    AutoTiming = false;
}
BENCHMARK(BM_RunningLightTimerGap)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return cellbench::RunWithCatalogue(argc, argv);
}
