// tavrissel-simunit: a simulated controller unit on a pseudo-terminal. Prints the device to
// open as the serial port, then a line for every download it receives.
#include "engine/download/simulated_unit.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::atomic<bool> stopRequested{false};

void OnSignal(int) {
    stopRequested = true;
}

void Usage() {
    std::fprintf(stderr,
                 "usage: tavrissel-simunit [--baud N] [--silent] [--wrong-echo N] "
                 "[--stop-after N] [--once]\n"
                 "  --baud N        pace like a line at N baud (default 9600, 0: no pacing)\n"
                 "  --silent        take bytes in but never answer\n"
                 "  --wrong-echo N  answer echoed byte N (0: the length's high byte) wrongly\n"
                 "  --stop-after N  fall silent after N received bytes\n"
                 "  --once          exit after the first complete download\n");
}

bool ParseNumber(const char* text, long long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= 0;
}

unsigned Sum(const std::vector<uint8_t>& bytes) {
    unsigned sum = 0;
    for (uint8_t byte : bytes)
        sum = (sum + byte) & 0xFFFF;
    return sum;
}

} // namespace

int main(int argc, char** argv) {
    quendal::SimulatedUnitOptions options;
    options.baud = 9600;
    bool once = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        long long value = 0;
        bool takesNumber = arg == "--baud" || arg == "--wrong-echo" || arg == "--stop-after";
        if (takesNumber && (i + 1 >= argc || !ParseNumber(argv[++i], value))) {
            Usage();
            return 2;
        }
        if (arg == "--baud" && value <= 4'000'000)
            options.baud = static_cast<uint32_t>(value);
        else if (arg == "--wrong-echo")
            options.wrongEchoAt = value;
        else if (arg == "--stop-after")
            options.stopAfter = value;
        else if (arg == "--silent")
            options.silent = true;
        else if (arg == "--once")
            once = true;
        else {
            Usage();
            return 2;
        }
    }

    quendal::PseudoTerminal terminal;
    if (!terminal.isOpen()) {
        std::fprintf(stderr, "tavrissel-simunit: no pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    std::printf("%s\n", terminal.slavePath().c_str());
    std::fflush(stdout);

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    quendal::SimulatedUnit unit(terminal.master(), options);
    unit.setCompleteHook([once](const quendal::UnitProtocol& unit) {
        std::printf("download %u: program %zu bytes (sum %04X), firmware %zu bytes (sum %04X)\n",
                    unit.completedDownloads(), unit.program().size(), Sum(unit.program()),
                    unit.firmware().size(), Sum(unit.firmware()));
        std::fflush(stdout);
        if (once)
            stopRequested = true;
    });
    unit.run(stopRequested);
    if (once)
        terminal.waitForHostClose(10'000);

    const quendal::UnitProtocol& protocol = unit.protocol();
    if (protocol.busy())
        std::printf("incomplete: %zu of %u program bytes, %zu firmware bytes\n",
                    protocol.program().size(), protocol.announcedLength(),
                    protocol.firmware().size());
    std::printf("received %zu bytes, answered %u\n", protocol.received().size(),
                protocol.echoedCount());
    return 0;
}
