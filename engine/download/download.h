// Serial download of a code image to the unit and the reader of the LED display firmware.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace quendal {

// Results of Download besides the positive byte count; -1 is never returned.
enum DownloadResult : int {
    DownloadWriteFailed = -2, // a serial write failed or wrote nothing
    DownloadNoEcho = -3,      // no echo within the time-out, or the read failed
    DownloadWrongEcho = -4,   // the echoed byte differs from the byte sent
    DownloadCancelled = -5,   // the break flag was set
};

// Bytes that begin the two blocks on the wire; the unit does not echo them.
constexpr uint8_t kProgramStartByte = 2;
constexpr uint8_t kFirmwareStartByte = 8;
// The image length travels as two bytes, the firmware count as one.
constexpr uint32_t kMaxImageLength = 0xFFFF;
constexpr uint32_t kMaxFirmwareCount = 255;
constexpr size_t kFirmwareAreaSize = 256;

// The descriptor in a pointer-sized serial handle, or -1 when the handle is no open terminal.
int TerminalDescriptor(const void* handle);

// Sends the image and then, when firmwareCount is not 0, the firmware block over the open terminal
// descriptor of the caller, which stays open; the port is set to 9600 8N1 without flow control
// first and stale input is drained. progressTotal becomes imageLength + firmwareCount and
// progressCount counts the bytes acknowledged so far; breakFlag is cleared at the start and, when
// another thread sets it, the download stops before the next byte, or in the drain, with
// DownloadCancelled. Returns the number of bytes sent or a DownloadResult. An image longer than
// kMaxImageLength or firmware longer than kMaxFirmwareCount cannot be announced to the unit:
// nothing is written and the result is DownloadWriteFailed.
int Download(int descriptor, const uint8_t* image, uint32_t imageLength, const uint8_t* firmware,
             uint32_t firmwareCount, std::atomic<int32_t>& progressCount,
             std::atomic<int32_t>& progressTotal, std::atomic<int32_t>& breakFlag);
// The same for counters kept as plain aligned 32-bit words; each access is atomic.
int Download(int descriptor, const uint8_t* image, uint32_t imageLength, const uint8_t* firmware,
             uint32_t firmwareCount, int32_t& progressCount, int32_t& progressTotal,
             int32_t& breakFlag);

// Failure messages of the firmware reader (Windows-1252).
extern const char kFirmwareFileNotFound[]; // "Datei nicht gefunden"
extern const char kFirmwareInvalid[];      // "ungültiges S19-File"

// "LEDAPPBRD.S19" for the application board, else "LEDSTBRD.S19".
const char* LedFirmwareFileName(bool applicationBoard);
// The firmware file beside the running program; empty when the program's path is unknown.
std::string LedFirmwarePath(bool applicationBoard);

// Reads the data of the S1 records of an S-record file, in file order, into bytes and sets
// count. Returns nullptr on success, else one of the two messages above with count 0. Data
// beyond kMaxFirmwareCount bytes is refused, never cut.
const char* ReadFirmwareFile(const std::string& path, uint8_t (&bytes)[kFirmwareAreaSize],
                             int32_t& count);

} // namespace quendal
