#include "engine/download/download.h"

#include "platform/system.h"
#include "platform/text.h"

#include <filesystem>
#include <fstream>

namespace quendal {

const char kFirmwareFileNotFound[] = "Datei nicht gefunden";
const char kFirmwareInvalid[] = "ung\xFCltiges S19-File";

namespace {

// Longest line the unit's tools write; anything longer is not a record we know.
constexpr size_t kMaxLineLength = 255;

// The byte written as two hex digits at text[at], or -1.
int HexByte(const std::string& text, size_t at) {
    if (at + 2 > text.size())
        return -1;
    int high = platform::HexDigitValue(text[at]);
    int low = platform::HexDigitValue(text[at + 1]);
    return high < 0 || low < 0 ? -1 : high << 4 | low;
}

// Appends the data of one line; false when the line is not a usable record.
bool ReadLine(const std::string& line, uint8_t (&bytes)[kFirmwareAreaSize], int32_t& count) {
    if (line.size() > kMaxLineLength)
        return false;
    if ((line[0] != 'S' && line[0] != 's') || line.size() < 10)
        return false;
    // Header, count and end records carry no firmware.
    if (line[1] != '1')
        return true;
    // The count covers the two address bytes and the checksum besides the data.
    int recordLength = HexByte(line, 2);
    if (recordLength < 3)
        return false;
    size_t dataLength = static_cast<size_t>(recordLength - 3);
    if (static_cast<size_t>(count) + dataLength > kMaxFirmwareCount)
        return false;
    for (size_t i = 0; i < dataLength; ++i) {
        int byte = HexByte(line, 8 + 2 * i);
        if (byte < 0)
            return false;
        bytes[count++] = static_cast<uint8_t>(byte);
    }
    return true;
}

} // namespace

const char* LedFirmwareFileName(bool applicationBoard) {
    return applicationBoard ? "LEDAPPBRD.S19" : "LEDSTBRD.S19";
}

std::string LedFirmwarePath(bool applicationBoard) {
    // Without the program's own path there is no file to name: the reader then reports it
    // missing instead of looking in whatever directory is current.
    if (platform::ProgramFilePath().empty())
        return {};
    return platform::ProgramDirectory() + LedFirmwareFileName(applicationBoard);
}

const char* ReadFirmwareFile(const std::string& path, uint8_t (&bytes)[kFirmwareAreaSize],
                             int32_t& count) {
    count = 0;
    // A directory or device opens but is no file to read records from.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return kFirmwareFileNotFound;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return kFirmwareFileNotFound;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (!ReadLine(line, bytes, count)) {
            count = 0;
            return kFirmwareInvalid;
        }
    }
    if (file.bad()) {
        count = 0;
        return kFirmwareInvalid;
    }
    return nullptr;
}

} // namespace quendal
