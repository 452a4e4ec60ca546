#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "engine/include/quendal32.h"
#include "graphical/blockcatalogue.h"
#include "graphical/blocklist.h"

namespace {

// Pairs of a constant and a D/A port joined by a wire with one bend, in rows of ten pairs.
TLines LargeCell(int pairs) {
    TLines lines = {"ID=1", "NAME=Gross", ""};
    for (int i = 0; i < pairs; ++i) {
        const int x = (i % 10) * 190 + 5, y = (i / 10) * 50 + 5;
        const int source = 65536 + 2 * i + 1;
        const auto rect = [](int left, int top) {
            return std::to_string(left) + "," + std::to_string(top) + "," +
                   std::to_string(left + 60) + "," + std::to_string(top + 40);
        };
        const TLines block = {"#BLOCK_START",
                              "GraphBlock",
                              "ID=" + std::to_string(source),
                              rect(x, y),
                              "TYPE=700",
                              "#DLLDATA_START",
                              std::to_string(i),
                              "#DLLDATA_END",
                              "#BLOCK_END",
                              "",
                              "#BLOCK_START",
                              "GraphBlock",
                              "ID=" + std::to_string(source + 1),
                              rect(x + 100, y),
                              "IN00=" + std::to_string(source) + ",1:" + std::to_string(x + 60) +
                                  "," + std::to_string(y + 20) + "," + std::to_string(x + 80) +
                                  "," + std::to_string(y + 20) + "," + std::to_string(x + 100) +
                                  "," + std::to_string(y + 20),
                              "TYPE=104",
                              "#BLOCK_END",
                              ""};
        lines.insert(lines.end(), block.begin(), block.end());
    }
    return lines;
}

struct Fixture {
    EngineHandle engine = MoltraneCreate();
    TLines text;
    Fixture(int pairs) : text(LargeCell(pairs)) { MoltraneAddPage(engine, 1, 0); }
    ~Fixture() { MoltraneDestroy(engine); }
};

void BM_LoadCellText(benchmark::State& state) {
    Fixture f(int(state.range(0)));
    const std::string file = JoinLines(f.text);
    for (auto _ : state) {
        TBlockList cell(1, f.engine);
        cell.LoadFromLines(true, SplitLines(file), 0);
        benchmark::DoNotOptimize(cell.Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK(BM_LoadCellText)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_SaveCellText(benchmark::State& state) {
    Fixture f(int(state.range(0)));
    TBlockList cell(1, f.engine);
    cell.LoadFromLines(true, f.text, 0);
    for (auto _ : state) {
        TLines lines;
        cell.SaveToLines(true, lines);
        benchmark::DoNotOptimize(JoinLines(lines).size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK(BM_SaveCellText)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_PushToEngine(benchmark::State& state) {
    Fixture f(int(state.range(0)));
    TBlockList cell(1, f.engine);
    cell.LoadFromLines(true, f.text, 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(cell.PushToEngine());
    state.SetItemsProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK(BM_PushToEngine)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_CellBitmap(benchmark::State& state) {
    Fixture f(int(state.range(0)));
    TBlockList cell(1, f.engine);
    cell.LoadFromLines(true, f.text, 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(cell.CreateCellBitmap().width());
    state.SetItemsProcessed(state.iterations() * state.range(0) * 2);
}
BENCHMARK(BM_CellBitmap)->Arg(500)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (!LoadBlockCatalogue())
        return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    FreeBlockCatalogue();
    return 0;
}
