// Byte-code instructions per second through the simulator step, without AutoTiming.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/vm/simulator.h"

namespace {

using namespace quendal;

struct Image {
    std::vector<uint8_t> bytes;
    uint64_t instructions = 0; // per run to the end

    void op(Op o) {
        bytes.push_back(static_cast<uint8_t>(o));
        ++instructions;
    }
    void op(Op o, uint8_t n) {
        op(o);
        bytes.push_back(n);
    }
    void opWord(Op o, uint16_t w) {
        op(o);
        bytes.push_back(static_cast<uint8_t>(w >> 8));
        bytes.push_back(static_cast<uint8_t>(w));
    }
    uint16_t here() const { return static_cast<uint16_t>(kProgramStart + bytes.size()); }
};

// A page as the compiler makes it from many small blocks: load, compute, compare, store.
Image StraightLine() {
    Image im;
    while (im.bytes.size() < 8000) {
        im.op(Op::PushUserWord, 0);
        im.opWord(Op::PushWord, 3);
        im.op(Op::Add);
        im.op(Op::SetUserWord, 0);
        im.op(Op::PushAdc, 1);
        im.opWord(Op::PushWord, 100);
        im.op(Op::Greater);
        im.op(Op::SetPortBit, 2);
        im.op(Op::PushUserByte, 4);
        im.op(Op::Not);
        im.op(Op::SetUserByte, 4);
    }
    im.op(Op::End);
    return im;
}

// A counting loop of 20000 turns.
Image Loop() {
    Image im;
    im.opWord(Op::PushWord, 0);
    im.op(Op::SetUserWord, 1);
    uint16_t loop = im.here();
    im.opWord(Op::PushWord, 0);
    im.op(Op::PushUserWord, 1);
    im.opWord(Op::PushWord, 3);
    im.op(Op::Multiply);
    im.op(Op::SetUserWord, 2);
    im.op(Op::PushUserWord, 1);
    im.opWord(Op::PushWord, 1);
    im.op(Op::Add);
    im.op(Op::SetUserWord, 1);
    im.op(Op::PushUserWord, 1);
    im.opWord(Op::PushWord, 20000);
    im.op(Op::Less);
    im.op(Op::Not);
    im.opWord(Op::JumpIfZero, loop);
    uint64_t head = 2;
    uint64_t body = im.instructions - head;
    im.op(Op::End);
    im.instructions = head + body * 20000 + 1;
    return im;
}

void Run(benchmark::State& state, const Image& im, int32_t checkCode, int32_t checkValue) {
    Simulator sim{HostTime{}};
    sim.loadImage(im.bytes.data(), im.bytes.size(), static_cast<uint16_t>(im.bytes.size()));
    sim.resetProgram();
    uint64_t total = 0;
    for (auto _ : state) {
        StepResult r;
        do {
            r = sim.step();
        } while (StepResultStatus(r) == StepWaitLoop);
        if (StepResultStatus(r) != StepEnd)
            state.SkipWithError("program did not end");
        total += im.instructions;
    }
    if (sim.getValue(checkCode) != checkValue)
        state.SkipWithError("wrong result");
    state.counters["instructions/s"] =
        benchmark::Counter(static_cast<double>(total), benchmark::Counter::kIsRate);
}

void BM_StraightLinePage(benchmark::State& state) {
    // Port line 2 is set when A/D channel 1 (always 0) is above 100: never.
    Run(state, StraightLine(), MakeMapCode(MapBit, MapPort, 2), 0);
}
void BM_CountingLoop(benchmark::State& state) {
    Run(state, Loop(), MakeMapCode(MapWord, MapUserMemory, 1), 20000);
}

BENCHMARK(BM_StraightLinePage);
BENCHMARK(BM_CountingLoop);

} // namespace
