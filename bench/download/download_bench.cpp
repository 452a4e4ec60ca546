// Download throughput against a simulated unit pacing itself like a 9600 baud line.
#include "engine/download/download.h"
#include "engine/download/simulated_unit.h"
#include "platform/serial.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

constexpr uint32_t kBaud = 9600;

void BM_DownloadAt9600(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const auto imageLength = static_cast<uint32_t>(state.range(0));
    std::vector<uint8_t> image(imageLength);
    for (uint32_t i = 0; i < imageLength; ++i)
        image[i] = static_cast<uint8_t>(i * 31 + 7);

    quendal::PseudoTerminal terminal;
    platform::SerialHandle port =
        terminal.isOpen() ? platform::SerialOpen(terminal.slavePath()) : nullptr;
    if (!port) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    quendal::SimulatedUnitOptions options;
    options.baud = kBaud;

    double totalSeconds = 0, echoSeconds = 0;
    int64_t bytes = 0;
    std::vector<double> gaps; // between two code bytes
    for (auto _ : state) {
        quendal::SimulatedUnit unit(terminal.master(), options);
        std::vector<Clock::time_point> arrivals;
        arrivals.reserve(imageLength + 3);
        // The unit takes each byte in as soon as it is written and paces only its answers.
        unit.setByteHook([&](const quendal::UnitProtocol&) { arrivals.push_back(Clock::now()); });
        std::atomic<int32_t> count{0}, total{0}, cancel{0};
        unit.start();
        auto start = Clock::now();
        int result = quendal::Download(platform::SerialDescriptor(port), image.data(), imageLength,
                                       nullptr, 0, count, total, cancel);
        auto end = Clock::now();
        unit.stop();
        if (result != static_cast<int>(imageLength)) {
            state.SkipWithError("download failed");
            break;
        }
        std::chrono::duration<double> all = end - start, echo = end - arrivals.front();
        for (size_t i = 4; i < arrivals.size(); ++i)
            gaps.push_back(std::chrono::duration<double>(arrivals[i] - arrivals[i - 1]).count());
        state.SetIterationTime(all.count());
        totalSeconds += all.count();
        echoSeconds += echo.count();
        bytes += imageLength;
    }
    platform::SerialClose(port);

    // Each code byte crosses the line twice; start and length bytes come on top.
    double limit = imageLength / ((2.0 * imageLength + 5) * 10.0 / kBaud);
    double echoRate = echoSeconds > 0 ? bytes / echoSeconds : 0;
    state.counters["bytes_per_s"] = echoRate;
    state.counters["with_drain_bytes_per_s"] = totalSeconds > 0 ? bytes / totalSeconds : 0;
    state.counters["protocol_limit"] = limit;
    state.counters["percent_of_limit"] = 100.0 * echoRate / limit;
    // The typical byte, without the stalls of a busy machine's scheduler.
    if (!gaps.empty()) {
        std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
        state.counters["median_bytes_per_s"] = 1.0 / gaps[gaps.size() / 2];
    }
}

BENCHMARK(BM_DownloadAt9600)
    ->Arg(1000)
    ->Arg(8100)
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
