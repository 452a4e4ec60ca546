// Byte-code instructions per second as a host sees them: pages built and compiled through the
// exported functions, run with MoltraneStep without AutoTiming.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "engine/include/quendal32.h"

namespace {

constexpr int kAdd = 200, kUserWord = 602, kConst = 700, kGoto = 1000;
constexpr int kStatusEnd = 0, kStatusPageMarker = 1;

BlockHandle Handle(int page, int number) {
    return static_cast<BlockHandle>(page << 16 | number);
}

// Chains of "word 1 + constant -> word 2" on page 1: four instructions each, no jumps. With
// `loop` a goto block jumps back to the page's own name after the chains.
struct Project {
    EngineHandle h = MoltraneCreate();
    int chains = 0;
    bool ok = true;

    Project(int chainCount, bool loop) : chains(chainCount) {
        ok = MoltraneAddPage(h, 1, 0) == 1 && MoltraneSetPageName(h, 1, "L") == 1;
        int n = 1;
        for (int i = 0; i < chains && ok; ++i) {
            const BlockHandle load = Handle(1, n++), constant = Handle(1, n++),
                              add = Handle(1, n++), store = Handle(1, n++);
            ok = MoltraneAddBlock(h, kUserWord, load) == 1 &&
                 MoltraneAddBlock(h, kConst, constant) == 1 &&
                 MoltraneAddBlock(h, kAdd, add) == 1 && MoltraneAddBlock(h, kUserWord, store) == 1;
            ok = ok && MoltraneSetBlockParam(h, constant, "3") &&
                 MoltraneSetBlockParam(h, store, "2") &&
                 MoltraneConnectBlocks(h, load, add, 0) == (0 << 16 | 1) &&
                 MoltraneConnectBlocks(h, constant, add, 1) == (1 << 16 | 1) &&
                 MoltraneConnectBlocks(h, add, store, 0) == (0 << 16 | 1);
        }
        if (loop && ok) {
            ok = MoltraneAddBlock(h, kGoto, Handle(1, n)) == 1 &&
                 MoltraneSetBlockParam(h, Handle(1, n), "L");
        }
        ok = ok && MoltraneCompilerInit(h) == 1 && MoltraneCompile(h) == 0 &&
             MoltraneCompilerDone(h) == 1;
        // Eight bytes a chain, three for the goto, one for the end.
        ok = ok && MoltraneGetCodeLength(h) == 8 * chains + (loop ? 3 : 0) + 1;
        MoltraneResetProgram(h);
    }
    ~Project() { MoltraneDestroy(h); }
};

void Report(benchmark::State& state, uint64_t instructions) {
    state.counters["instructions/s"] =
        benchmark::Counter(static_cast<double>(instructions), benchmark::Counter::kIsRate);
}

// One pass of a page that fills the image: marker, chains, end.
void BM_StraightLinePageByExports(benchmark::State& state) {
    Project p(1000, false);
    if (!p.ok) {
        state.SkipWithError("project did not build");
        return;
    }
    uint64_t total = 0;
    for (auto _ : state) {
        if ((MoltraneStep(p.h) & 0xFFFF) != kStatusPageMarker ||
            (MoltraneStep(p.h) & 0xFFFF) != kStatusEnd) {
            state.SkipWithError("unexpected step status");
            break;
        }
        total += 4 * uint64_t(p.chains) + 2;
    }
    Report(state, total);
}

// A page that jumps to itself: each step is one turn, ended by the page marker.
void BM_PageLoopByExports(benchmark::State& state) {
    Project p(static_cast<int>(state.range(0)), true);
    if (!p.ok || (MoltraneStep(p.h) & 0xFFFF) != kStatusPageMarker) {
        state.SkipWithError("project did not build");
        return;
    }
    uint64_t total = 0;
    for (auto _ : state) {
        if ((MoltraneStep(p.h) & 0xFFFF) != kStatusPageMarker) {
            state.SkipWithError("unexpected step status");
            break;
        }
        total += 4 * uint64_t(p.chains) + 2; // the chains, the goto, the marker
    }
    Report(state, total);
}

BENCHMARK(BM_StraightLinePageByExports);
BENCHMARK(BM_PageLoopByExports)->Arg(10)->Arg(100);

} // namespace
