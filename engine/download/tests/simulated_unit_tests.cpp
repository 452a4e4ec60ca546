#include "engine/download/download.h"
#include "engine/download/simulated_unit.h"

#include "platform/serial.h"
#include "platform/system.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char** environ;

namespace {

using quendal::UnitProtocol;
using Phase = UnitProtocol::Phase;

std::vector<uint8_t> Feed(UnitProtocol& unit, const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> answers;
    for (uint8_t byte : bytes)
        if (auto answer = unit.receive(byte))
            answers.push_back(*answer);
    return answers;
}

TEST(UnitProtocol, IgnoresNoiseAndStartsOverOnANewDownload) {
    UnitProtocol unit;
    EXPECT_TRUE(Feed(unit, {0x55, 8, 0}).empty());
    EXPECT_EQ(unit.phase(), Phase::Idle);
    Feed(unit, {2, 0, 2, 7, 7});
    EXPECT_FALSE(unit.busy());
    // No firmware followed: the next start byte ends the first download.
    Feed(unit, {2, 0, 1, 9});
    EXPECT_EQ(unit.completedDownloads(), 1u);
    EXPECT_EQ(unit.program(), std::vector<uint8_t>{9});
    unit.finishTransfer();
    EXPECT_EQ(unit.completedDownloads(), 2u);
    unit.finishTransfer();
    EXPECT_EQ(unit.completedDownloads(), 2u);
}

// The program announces its device, serves one download and reports it.
TEST(SimulatedUnitProgram, ServesADownload) {
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::string program = platform::ProgramDirectory() + "tavrissel-simunit";
    char* argv[] = {program.data(), const_cast<char*>("--baud"), const_cast<char*>("0"),
                    const_cast<char*>("--once"), nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    FILE* output = fdopen(pipeFds[0], "r");
    ASSERT_NE(output, nullptr);

    char line[256] = {};
    ASSERT_NE(fgets(line, sizeof line, output), nullptr);
    std::string path(line);
    if (!path.empty() && path.back() == '\n')
        path.pop_back();
    platform::SerialHandle port = platform::SerialOpen(path);
    int result = -100;
    if (port) {
        std::vector<uint8_t> image(12, 0x11), firmware = {1, 2, 3};
        std::atomic<int32_t> count{0}, total{0}, cancel{0};
        result = quendal::Download(platform::SerialDescriptor(port), image.data(), 12,
                                   firmware.data(), 3, count, total, cancel);
        platform::SerialClose(port);
    }
    if (result != 15)
        kill(child, SIGTERM);
    EXPECT_EQ(result, 15) << path;

    std::string report;
    while (fgets(line, sizeof line, output))
        report += line;
    fclose(output);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NE(report.find("program 12 bytes (sum 00CC), firmware 3 bytes (sum 0006)"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("received 20 bytes, answered 18"), std::string::npos) << report;
}

} // namespace
