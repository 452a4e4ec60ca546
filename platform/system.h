// Small system services: program directory, clocks, sleep, system error texts and the
// write-access test.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Directory of the running executable, ending in "/".
std::string ProgramDirectory();
// Full path of the running executable.
std::string ProgramFilePath();
// Milliseconds since an arbitrary start, wrapping like the Win32 tick count.
uint32_t TickCount();
// Monotonic milliseconds with no wrap.
uint64_t MillisecondClock();
void SleepMilliseconds(uint32_t milliseconds);

// The German text of a system error number (errno), UTF-8, as both programs show it;
// "Systemfehler n" for a number without one.
std::string SystemErrorText(int code);
// 0 when this process may write the existing file at path, by the system's own test with
// its effective ids; else the reason (EACCES, EROFS, ENOENT, ...).
int WriteAccessError(const std::string& path);
// Reads the open file fd to its end, appending to content; 0, or the system error number.
int ReadAll(int fd, std::string& content);
// Writes all of data to the open file fd; 0, or the system error number. written, when
// given, is told how far it got.
int WriteAll(int fd, std::string_view data, size_t* written = nullptr);
// The whole file at path into content; 0, or the system error number.
int ReadWholeFile(const std::string& path, std::string& content);
// data as the whole file at path (created or emptied first); 0, or the system error number.
int WriteWholeFile(const std::string& path, std::string_view data);

} // namespace platform
