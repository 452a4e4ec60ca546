// Compiles a project whose download image fills nearly all of the 8,100-byte code buffer.
#include "engine/include/quendal32.h"

#include <benchmark/benchmark.h>

#include <string>

#include <stdlib.h>
#include <unistd.h>

namespace {

BlockHandle Handle(int page, int number) {
    return static_cast<BlockHandle>(static_cast<uint32_t>(page) << 16 |
                                    static_cast<uint32_t>(number));
}

// Page after page of a chain: constants summed, the sum stored in a user word. Each page
// emits 4 chains * (6 * 3 + 5 + 2) = 100 bytes in the download image.
EngineHandle FullProject(int& downloadLength) {
    EngineHandle h = MoltraneCreate();
    for (int page = 1;; ++page) {
        MoltraneAddPage(h, page, page - 1);
        int number = 0;
        for (int chain = 0; chain < 4; ++chain) {
            const BlockHandle sum = Handle(page, ++number);
            MoltraneAddBlock(h, 200, sum);
            for (int i = 0; i < 6; ++i) {
                const BlockHandle c = Handle(page, ++number);
                MoltraneAddBlock(h, 700, c);
                MoltraneSetBlockParam(h, c, std::to_string(page * 10 + i).c_str());
                MoltraneConnectBlocks(h, c, sum, -1);
            }
            const BlockHandle store = Handle(page, ++number);
            MoltraneAddBlock(h, 602, store);
            MoltraneSetBlockParam(h, store, std::to_string(chain + 1).c_str());
            MoltraneConnectBlocks(h, sum, store, 0);
        }
        MoltraneCompilerInit(h);
        if (MoltraneCompile(h) != 0) { // one page too many: drop it again
            MoltraneRemovePage(h, page);
            break;
        }
    }
    MoltraneCompilerInit(h);
    MoltraneCompile(h);
    MoltraneCompilerDone(h);
    downloadLength = MoltraneGetCodeLength(h);
    return h;
}

// Both images with MoltraneCompilerDone (fixups, simulator memory, "CODE.TXT"), or only the
// two compile passes.
void Measure(benchmark::State& state, bool done) {
    char dir[] = "/tmp/compiler-bench-XXXXXX";
    if (mkdtemp(dir) == nullptr || chdir(dir) != 0) {
        state.SkipWithError("no working directory");
        return;
    }
    int length = 0;
    EngineHandle h = FullProject(length);
    for (auto _ : state) {
        MoltraneCompilerInit(h);
        if (MoltraneCompile(h) != 0 || (done && MoltraneCompilerDone(h) != 1)) {
            state.SkipWithError(MoltraneGetErrorMessage(h));
            break;
        }
    }
    state.counters["image_bytes"] = length;
    state.counters["compiles_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    MoltraneDestroy(h);
    unlink("CODE.TXT");
    rmdir(dir);
}
void BM_CompileFullImage(benchmark::State& state) {
    Measure(state, true);
}
BENCHMARK(BM_CompileFullImage)->Unit(benchmark::kMicrosecond);

void BM_CompilePassesOnly(benchmark::State& state) {
    Measure(state, false);
}
BENCHMARK(BM_CompilePassesOnly)->Unit(benchmark::kMicrosecond);

} // namespace
