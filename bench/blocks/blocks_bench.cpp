#include <benchmark/benchmark.h>

#include "bench/common/cellbench.h"
#include "engine/include/quendal32.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/blocklist.h"

namespace {

// A program cell's text: its header, then the block pairs.
TLines LargeCell(int pairs) {
    TLines lines = {"ID=1", "NAME=Gross", ""};
    const TLines blocks = cellbench::PairBlocks(pairs);
    lines.insert(lines.end(), blocks.begin(), blocks.end());
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
    return cellbench::RunWithCatalogue(argc, argv);
}
