// Whole-file reading and writing: content of any length, in both directions, and the system's
// error numbers.
#include "platform/system.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

std::filesystem::path TempFile(const char* name) {
    return std::filesystem::temp_directory_path() /
           (std::string(name) + "-" + std::to_string(::getpid()));
}

} // namespace

TEST(WholeFile, ContentLongerThanOneReadComesBackWhole) {
    const std::filesystem::path path = TempFile("tavrissel-wholefile");
    std::string data;
    for (int i = 0; i < 200000; ++i)
        data += static_cast<char>(i * 7);
    ASSERT_EQ(platform::WriteWholeFile(path.string(), data), 0);
    std::string back = "alt";
    ASSERT_EQ(platform::ReadWholeFile(path.string(), back), 0);
    EXPECT_EQ(back, data);
    // a shorter write leaves nothing of the longer one behind
    ASSERT_EQ(platform::WriteWholeFile(path.string(), "kurz"), 0);
    ASSERT_EQ(platform::ReadWholeFile(path.string(), back), 0);
    EXPECT_EQ(back, "kurz");
    std::filesystem::remove(path);
}

TEST(WholeFile, FailuresGiveTheSystemErrorNumber) {
    std::string content;
    EXPECT_EQ(platform::ReadWholeFile(TempFile("tavrissel-fehlt").string(), content), ENOENT);
    const std::string folder = std::filesystem::temp_directory_path().string();
    EXPECT_EQ(platform::ReadWholeFile(folder, content), EISDIR);
    EXPECT_EQ(platform::WriteWholeFile(folder, "x"), EISDIR);
    // an open file that cannot be written
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    EXPECT_EQ(platform::WriteAll(ends[0], "x"), EBADF);
    ::close(ends[0]);
    ::close(ends[1]);
}
