// Engine core through its exported functions: filling a page as the graphical program does,
// looking blocks up, and building images with tables.
#include "engine/include/quendal32.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

BlockHandle Handle(int page, int number) {
    return page << 16 | number;
}

// A cell of n blocks: chains of constant -> user word -> D/A output.
void FillPage(EngineHandle h, int page, int n) {
    for (int i = 1; i + 2 <= n; i += 3) {
        MoltraneAddBlock(h, 700, Handle(page, i));
        MoltraneAddBlock(h, 602, Handle(page, i + 1));
        MoltraneAddBlock(h, 104, Handle(page, i + 2));
        MoltraneConnectBlocks(h, Handle(page, i), Handle(page, i + 1), -1);
        MoltraneConnectBlocks(h, Handle(page, i + 1), Handle(page, i + 2), -1);
    }
}

void BM_PushCell(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    EngineHandle h = MoltraneCreate();
    MoltraneAddPage(h, 1, 0);
    for (auto _ : state) {
        MoltraneClearPage(h, 1);
        FillPage(h, 1, n);
    }
    state.SetItemsProcessed(state.iterations() * n);
    MoltraneDestroy(h);
}
BENCHMARK(BM_PushCell)->Arg(30)->Arg(300)->Arg(3000);

void BM_MapCodeLookup(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    EngineHandle h = MoltraneCreate();
    for (int p = 1; p <= 20; ++p) {
        MoltraneAddPage(h, p, p - 1);
        FillPage(h, p, n);
    }
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(MoltraneGetMapCode(h, Handle(20, 2 + 3 * (i % (n / 3)))));
        ++i;
    }
    MoltraneDestroy(h);
}
BENCHMARK(BM_MapCodeLookup)->Arg(30)->Arg(300);

void BM_BuildWithTables(benchmark::State& state) {
    const auto old = std::filesystem::current_path();
    char pattern[] = "/tmp/core-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::filesystem::current_path(pattern);
    std::string table;
    for (int i = 0; i < 256; ++i)
        table.append(std::to_string(i * 97 - 5000)).append(i % 16 == 15 ? "\r\n" : " ");
    char names[8][4] = {};
    for (int t = 0; t < 8; ++t)
        std::snprintf(names[t], sizeof names[t], "T%d", t);
    EngineHandle h = MoltraneCreate();
    for (int p = 1; p <= 10; ++p) {
        MoltraneAddPage(h, p, p - 1);
        FillPage(h, p, 60);
    }
    for (auto _ : state) {
        MoltraneCompilerInit(h);
        MoltraneCompile(h);
        for (int t = 0; t < 8; ++t)
            MoltraneLoadTable(h, names[t], table.c_str());
        benchmark::DoNotOptimize(MoltraneCompilerDone(h));
    }
    MoltraneDestroy(h);
    std::filesystem::current_path(old);
    std::filesystem::remove_all(pattern);
}
BENCHMARK(BM_BuildWithTables);

} // namespace
