#include "engine/download/download.h"

#include "platform/system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

using quendal::kFirmwareAreaSize;
using quendal::ReadFirmwareFile;

// An S-record with its count and checksum computed, as a tool would write it.
std::string Record(char type, uint16_t address, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> body{static_cast<uint8_t>(data.size() + 3),
                              static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
    body.insert(body.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t byte : body)
        sum += byte;
    body.push_back(static_cast<uint8_t>(~sum));
    std::string line = {'S', type};
    char hex[3];
    for (uint8_t byte : body) {
        std::snprintf(hex, sizeof hex, "%02X", byte);
        line += hex;
    }
    return line;
}

std::vector<uint8_t> Sequence(size_t count, uint8_t first) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(first + i * 7);
    return bytes;
}

class FirmwareReader : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("tavrissel-firmware-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        std::memset(bytes, 0xEE, sizeof bytes);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string write(const std::string& text, const char* name = "firmware.s19") {
        std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    const char* read(const std::string& path) { return ReadFirmwareFile(path, bytes, count); }
    const char* readText(const std::string& text) { return read(write(text)); }
    std::vector<uint8_t> result() const { return {bytes, bytes + count}; }

    // Writes data as a binary file and has objcopy turn it into S-records.
    std::string objcopy(const std::vector<uint8_t>& data, const char* extra = "") {
        std::string bin = (dir_ / "firmware.bin").string();
        std::string srec = (dir_ / "firmware-objcopy.s19").string();
        std::ofstream(bin, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<long>(data.size()));
        std::string command = "objcopy -I binary -O srec --srec-len=16 " + std::string(extra) +
                              " '" + bin + "' '" + srec + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return srec;
    }

    std::filesystem::path dir_;
    uint8_t bytes[kFirmwareAreaSize];
    int32_t count = -1;
};

TEST_F(FirmwareReader, JoinsTheDataOfS1RecordsInFileOrder) {
    std::vector<uint8_t> first = Sequence(16, 0x10), second = Sequence(4, 0xA0);
    // Addresses out of order: records are joined as they stand in the file.
    std::string text = Record('0', 0, {'L', 'E', 'D'}) + "\n" + Record('1', 0x0200, first) + "\n" +
                       Record('1', 0x0100, second) + "\n" + Record('9', 0, {}) + "\n";
    ASSERT_EQ(readText(text), nullptr);
    std::vector<uint8_t> expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(result(), expected);
}

TEST_F(FirmwareReader, AcceptsLowerCaseEmptyLinesAndCarriageReturns) {
    std::string data = Record('1', 0, {0xAB, 0xCD, 0xEF});
    std::string lower = "s" + data.substr(1, 3) + "0000abcdef00";
    std::string text = "\n\r\n" + data + "\r\n\r\n" + lower + "\n\n" + Record('9', 0, {});
    ASSERT_EQ(readText(text), nullptr);
    EXPECT_EQ(result(), (std::vector<uint8_t>{0xAB, 0xCD, 0xEF, 0xAB, 0xCD, 0xEF}));
}

TEST_F(FirmwareReader, IgnoresAddressesAndChecksumsButNotOtherRecordTypes) {
    // Wrong checksum, odd address: still data. An S2 record is not ours and gives nothing.
    std::string text = "S1050000123400\nS2060000001234FF\nS5030002FA\n";
    ASSERT_EQ(readText(text), nullptr);
    EXPECT_EQ(result(), (std::vector<uint8_t>{0x12, 0x34}));
}

TEST_F(FirmwareReader, RecordWithoutDataAddsNothing) {
    ASSERT_EQ(readText(Record('1', 0x10, {}) + "\n"), nullptr);
    EXPECT_EQ(count, 0);
}

TEST_F(FirmwareReader, MalformedLinesAreRefused) {
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"first character not S", ":10000000AABBCC\n"},
        {"leading blank", " " + Record('1', 0, {1, 2}) + "\n"},
        {"short line", "S1040000\n"},
        {"short end record", "S9030000\n"},
        {"count below three", "S1020000FD\n"},
        {"count not hex", "S1G40000AAFF\n"},
        {"data not hex", "S1050000AXBB00\n"},
        {"data cut short", "S10A0000AABBCC\n"},
        {"bad line after good ones", Record('1', 0, {1, 2, 3}) + "\nXYZ\n"},
        {"line too long", Record('1', 0, {1, 2, 3}) + std::string(250, '0') + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_STREQ(readText(c.text), "ung\xFCltiges S19-File");
        EXPECT_EQ(count, 0);
    }
}

TEST_F(FirmwareReader, RefusesMoreThanTheUnitCanBeSentInsteadOfCutting) {
    std::string text;
    for (int i = 0; i < 15; ++i)
        text += Record('1', static_cast<uint16_t>(i * 17), Sequence(17, static_cast<uint8_t>(i))) +
                "\n";
    ASSERT_EQ(readText(text), nullptr);
    EXPECT_EQ(count, 255);

    EXPECT_STREQ(readText(text + Record('1', 0x1000, {0x42}) + "\n"), quendal::kFirmwareInvalid);
    EXPECT_EQ(count, 0);
    // The area beyond the 256 bytes was never written: the 256th byte stays as filled.
    EXPECT_EQ(bytes[255], 0xEE);

    // One record whose count promises far more than a line may hold.
    EXPECT_STREQ(readText(Record('1', 0, Sequence(120, 1)) + "\n" +
                          Record('1', 0, Sequence(120, 2)) + "\n" +
                          Record('1', 0, Sequence(120, 3)) + "\n"),
                 quendal::kFirmwareInvalid);
}

TEST_F(FirmwareReader, MissingOrUnreadableFileIsNotFound) {
    EXPECT_STREQ(read((dir_ / "none.s19").string()), "Datei nicht gefunden");
    EXPECT_EQ(count, 0);
    EXPECT_STREQ(read(dir_.string()), quendal::kFirmwareFileNotFound);
    EXPECT_STREQ(read(""), quendal::kFirmwareFileNotFound);
}

TEST_F(FirmwareReader, ReadsWhatObjcopyWrites) {
    std::mt19937 random(1234);
    for (size_t size : {1u, 16u, 40u, 200u, 255u}) {
        SCOPED_TRACE(size);
        std::vector<uint8_t> data(size);
        for (uint8_t& byte : data)
            byte = static_cast<uint8_t>(random());
        ASSERT_EQ(read(objcopy(data)), nullptr);
        EXPECT_EQ(result(), data);
        ASSERT_EQ(read(objcopy(data, "--change-addresses 0xE000")), nullptr);
        EXPECT_EQ(result(), data);
    }
    EXPECT_STREQ(read(objcopy(std::vector<uint8_t>(256, 0x11))), quendal::kFirmwareInvalid);
    EXPECT_EQ(count, 0);
}

TEST(LedFirmwarePath, NamesTheBoardsFileBesideTheProgram) {
    EXPECT_EQ(quendal::LedFirmwarePath(true), platform::ProgramDirectory() + "LEDAPPBRD.S19");
    EXPECT_EQ(quendal::LedFirmwarePath(false), platform::ProgramDirectory() + "LEDSTBRD.S19");
}

} // namespace
