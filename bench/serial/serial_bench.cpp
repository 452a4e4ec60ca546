// One byte there and back over a pseudo-terminal, as the download does for every code byte:
// the port writes it, a unit thread on the other side echoes it, the port reads the echo.
// At 9600 baud a byte takes 1.04 ms on the wire; the host's share must be far below that.
#include "platform/serial.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace platform;

void SerialEchoRoundTrip(benchmark::State& state) {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    SerialHandle port = SerialOpen(ptsname(master));
    if (!port) {
        state.SkipWithError(SerialLastError().c_str());
        close(master);
        return;
    }
    SerialState settings;
    settings.baudRate = 9600;
    settings.dtrControl = LineControl::Disable;
    settings.rtsControl = LineControl::Disable;
    SerialSetState(port, settings);
    SerialTimeouts timeouts;
    timeouts.readTotalMultiplier = 50;
    timeouts.readTotalConstant = 1000;
    SerialSetTimeouts(port, timeouts);

    std::atomic<bool> stop{false};
    std::thread unit([&] {
        while (!stop) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0)
                continue;
            char byte;
            if (read(master, &byte, 1) == 1 && write(master, &byte, 1) != 1)
                break;
        }
    });

    unsigned char next = 0;
    for (auto _ : state) {
        unsigned char sent = next++;
        unsigned char echoed = 0;
        uint32_t count = 0;
        if (!SerialWrite(port, &sent, 1, count) || count != 1 ||
            !SerialRead(port, &echoed, 1, count) || count != 1 || echoed != sent) {
            state.SkipWithError("echo lost");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());

    stop = true;
    unit.join();
    SerialClose(port);
    close(master);
}
BENCHMARK(SerialEchoRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
