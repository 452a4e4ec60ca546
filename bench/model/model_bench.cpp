#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "bench/common/cellbench.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/tests/projectfixture.h"
#include "platform/qt/dialogs.h"

using namespace fixture;

namespace {

// Cells of constants wired into D/A ports, blocksPerCell blocks each.
QByteArray LargeProject(int cells, int blocksPerCell) {
    TLines lines = {"MIRELT Tavrissel plus - project file",
                    "Version=1.0",
                    "1",
                    "",
                    "#COMMENT_START",
                    "Grosses Projekt",
                    "#COMMENT_END",
                    ""};
    for (int c = 1; c <= cells; ++c) {
        std::vector<TLines> blocks;
        for (int pair = 0; pair < blocksPerCell / 2; ++pair) {
            const int x = (pair % 10) * 190 + 50, y = (pair / 10) * 60 + 10;
            const int32_t source = Id(c, 2 * pair + 1);
            blocks.push_back(GraphBlock({source, 700, {std::to_string(pair)}, {}, x, y}));
            blocks.push_back(GraphBlock({source + 1, 104, {"1"}, {source}, x + 100, y}));
        }
        const TLines cell = Cell(c, "Zelle " + std::to_string(c), blocks);
        lines.push_back("#CELL_START");
        lines.insert(lines.end(), cell.begin(), cell.end());
        lines.push_back("#CELL_END");
        lines.push_back("");
    }
    return Join(lines);
}

struct Project {
    QTemporaryDir dir;
    QString path = dir.filePath("gross.mtp");
    Project() { WriteFile(path, LargeProject(100, 50)); }
};

void BM_LoadProject(benchmark::State& state) {
    Project project;
    for (auto _ : state) {
        TQuendalModel model;
        if (!model.LoadFromFile(project.path) || model.CellCount() != 100) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(model.GetCell(99)->Count());
    }
    state.SetItemsProcessed(state.iterations() * 100 * 50);
}
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond);

void BM_SaveProject(benchmark::State& state) {
    Project project;
    TQuendalModel model;
    if (!model.LoadFromFile(project.path)) {
        state.SkipWithError("load failed");
        return;
    }
    for (auto _ : state) {
        if (!model.Save()) {
            state.SkipWithError("save failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * 100 * 50);
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

// Place 0 is the wire line of a few million points; the others follow LongLinePlace.
void BM_LoadLongLine(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("lang.mtp");
    WriteFile(path, LongLineProject(LongLinePlace(state.range(0))));
    // The wire's message is answered here: the benchmark measures the reading.
    platform::DialogRecorder boxes;
    for (auto _ : state) {
        TQuendalModel model;
        model.LoadFromFile(path);
        benchmark::DoNotOptimize(model.CellCount());
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
}
BENCHMARK(BM_LoadLongLine)
    ->ArgName("place")
    ->DenseRange(WireLine, SectionLine)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return cellbench::RunWithCatalogue(argc, argv);
}
