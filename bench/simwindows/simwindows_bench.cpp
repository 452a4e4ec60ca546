#include "framework/simwindows/rowgrid.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/model/simulatoriostate.h"
#include "graphical/simwindows/fileform.h"
#include "graphical/simwindows/kbdform.h"
#include "graphical/simwindows/terminal.h"

#include <QApplication>
#include <QMdiArea>
#include <QMouseEvent>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "simwindows_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

struct Project {
    std::unique_ptr<QMdiArea> area = std::make_unique<QMdiArea>();
    std::unique_ptr<TQuendalModel> model = std::make_unique<TQuendalModel>();
    Project() {
        area->resize(1000, 800);
        area->show();
    }
};

// A full dump of 4096 words, the last step's values in the changed colour.
void BM_RepaintRecordedData(benchmark::State& state) {
    App();
    Project project;
    for (int i = 0; i < TQuendalModel::DataDumpSize; ++i)
        project.model->DataDump[size_t(i)] = uint16_t(i * 37);
    project.model->DataDumpLength = TQuendalModel::DataDumpSize;
    project.model->PreviousDataDumpLength = TQuendalModel::DataDumpSize - 100;
    TMoltraneFileForm* form = ShowFileWindow(project.area.get(), project.model.get());
    form->resize(900, int(state.range(0)));
    project.model->NotifyViews(nmDataDump, 0);
    for (auto _ : state) {
        QPixmap picture = form->Grid()->viewport()->grab();
        benchmark::DoNotOptimize(picture);
    }
    delete form;
}
BENCHMARK(BM_RepaintRecordedData)->Arg(300)->Arg(780)->Unit(benchmark::kMillisecond);

// One new line in a terminal that holds the full backlog: row count, scroll, repaint.
void BM_TerminalNewLine(benchmark::State& state) {
    App();
    Project project;
    for (int i = 0; i < TQuendalModel::MaxTerminalLines; ++i)
        project.model->TerminalLines.push_back("Messwert " + std::to_string(i));
    TTerminalForm* form = ShowTerminalWindow(project.area.get(), project.model.get());
    form->resize(600, 400);
    for (auto _ : state) {
        project.model->NotifyViews(nmTerminalLine, TQuendalModel::MaxTerminalLines - 1);
        QPixmap picture = form->Grid()->viewport()->grab();
        benchmark::DoNotOptimize(picture);
    }
    delete form;
}
BENCHMARK(BM_TerminalNewLine)->Unit(benchmark::kMicrosecond);

// A keypad key pressed and released with the mouse: two applies, two repaints.
void BM_KeypadPress(benchmark::State& state) {
    App();
    TKeyboardForm* form = ShowKeyboardWindow(nullptr, false);
    const QPointF pos = TKeyboardForm::Keys[4].Rect.center();
    for (auto _ : state) {
        QMouseEvent press(QEvent::MouseButtonPress, pos, form->mapToGlobal(pos), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, pos, form->mapToGlobal(pos), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(form, &release);
        QPixmap picture = form->grab();
        benchmark::DoNotOptimize(picture);
    }
    benchmark::DoNotOptimize(SimulatorIoState.AnalogIn[7]);
    delete form;
}
BENCHMARK(BM_KeypadPress)->Unit(benchmark::kMicrosecond);

} // namespace
