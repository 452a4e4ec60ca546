#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <memory>

#include "bench/common/cellbench.h"
#include "framework/paintbox.h"
#include "graphical/editors/cellform.h"
#include "graphical/editors/mousetool.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/quendalmodel.h"

namespace {

// A cell of constant and D/A port pairs joined by a wire with one bend, ten pairs a row.
QByteArray LargeProject(int pairs) {
    TLines lines = {"MIRELT Tavrissel plus - project file",
                    "Version=1.0",
                    "1",
                    "",
                    "#CELL_START",
                    "ID=1",
                    "NAME=Gross",
                    ""};
    const TLines blocks = cellbench::PairBlocks(pairs);
    lines.insert(lines.end(), blocks.begin(), blocks.end());
    lines.push_back("#CELL_END");
    return QByteArray::fromStdString(JoinLines(lines));
}

struct Window {
    QTemporaryDir dir;
    std::unique_ptr<TQuendalModel> model;
    TProgramCellForm* form = nullptr;

    explicit Window(int pairs) {
        static int argc = 1;
        static char name[] = "cellwindow_bench";
        static char* argv[] = {name, nullptr};
        static QApplication* app = [] {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            auto* a = new QApplication(argc, argv);
            LoadBlockCatalogue();
            return a;
        }();
        (void)app;
        const QString path = dir.filePath("gross.mtp");
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(LargeProject(pairs));
        file.close();
        model = std::make_unique<TQuendalModel>();
        model->LoadFromFile(path);
        form = TMDIChildForm::Create<TProgramCellForm>(model.get());
        form->ShowCell(1);
        form->resize(800, 600);
    }
    ~Window() {
        delete form;
        model.reset();
    }
};

// A full repaint of the 2000 x 2000 surface: grid, blocks and wires.
void BM_RepaintCell(benchmark::State& state) {
    Window w(int(state.range(0)));
    QImage image(TProgramCellForm::CellSize, TProgramCellForm::CellSize, QImage::Format_RGB32);
    for (auto _ : state) {
        w.form->CellPainter()->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["blocks"] = double(w.form->Cell()->Count());
}
BENCHMARK(BM_RepaintCell)->Arg(20)->Arg(200)->Unit(benchmark::kMillisecond);

// A rubber band over the whole cell selects every block.
void BM_RubberBandSelect(benchmark::State& state) {
    Window w(int(state.range(0)));
    TMouseTool* tool = w.form->MouseTool();
    for (auto _ : state) {
        TRect r;
        bool update = false;
        tool->MouseDown(1999, 1999, r, update);
        tool->MouseMove(0, 0);
        tool->MouseUp(0, 0);
        benchmark::DoNotOptimize(tool->Selection().size());
        tool->ClearSelection();
    }
}
BENCHMARK(BM_RubberBandSelect)->Arg(200)->Unit(benchmark::kMicrosecond);

} // namespace
