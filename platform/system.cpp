#include "platform/system.h"

#include <chrono>
#include <thread>
#include <unistd.h>

namespace platform {

std::string ProgramFilePath() {
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return {};
    return std::string(buffer, static_cast<size_t>(length));
}

std::string ProgramDirectory() {
    std::string path = ProgramFilePath();
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

uint64_t MillisecondClock() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint32_t TickCount() { return static_cast<uint32_t>(MillisecondClock()); }

void SleepMilliseconds(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace platform
