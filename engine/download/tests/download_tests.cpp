#include "engine/download/download.h"
#include "engine/download/simulated_unit.h"
#include "engine/download/tests/unitfixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <thread>
#include <vector>

namespace {

using quendal::SimulatedUnit;
using quendal::SimulatedUnitOptions;

std::vector<uint8_t> Bytes(size_t count, uint8_t seed) {
    std::vector<uint8_t> bytes(count);
    uint32_t state = seed;
    for (uint8_t& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(state >> 16);
    }
    return bytes;
}

// What the host must put on the wire for an image and its firmware.
std::vector<uint8_t> Wire(const std::vector<uint8_t>& image, const std::vector<uint8_t>& firmware) {
    std::vector<uint8_t> wire{2, static_cast<uint8_t>(image.size() >> 8),
                              static_cast<uint8_t>(image.size())};
    wire.insert(wire.end(), image.begin(), image.end());
    if (!firmware.empty()) {
        wire.push_back(8);
        wire.push_back(static_cast<uint8_t>(firmware.size()));
        wire.insert(wire.end(), firmware.begin(), firmware.end());
    }
    return wire;
}

class Download : public quendal::test::UnitOnTerminal {
protected:
    SimulatedUnit& startUnit(const SimulatedUnitOptions& options = {}) {
        return createUnit(options);
    }
    int download(const std::vector<uint8_t>& image, const std::vector<uint8_t>& firmware = {}) {
        if (unit)
            unit->start();
        int result = quendal::Download(port, image.data(), static_cast<uint32_t>(image.size()),
                                       firmware.data(), static_cast<uint32_t>(firmware.size()),
                                       count, total, cancel);
        if (unit)
            unit->stop();
        return result;
    }
    int percent() const { return total == 0 ? 0 : count * 100 / total; }
    // Bytes the host wrote that no unit has taken in.
    std::vector<uint8_t> leftover() {
        std::vector<uint8_t> bytes;
        pollfd entry{terminal.master(), POLLIN, 0};
        while (poll(&entry, 1, 200) > 0 && (entry.revents & POLLIN)) {
            uint8_t byte;
            if (read(terminal.master(), &byte, 1) != 1)
                break;
            bytes.push_back(byte);
        }
        return bytes;
    }

    std::atomic<int32_t> count{-7};
    std::atomic<int32_t> total{-7};
    std::atomic<int32_t> cancel{0};
};

TEST_F(Download, SendsStartByteLengthAndImage) {
    std::vector<uint8_t> image = Bytes(300, 1);
    startUnit();
    EXPECT_EQ(download(image), 300);
    const auto& protocol = unit->protocol();
    ASSERT_GE(protocol.received().size(), 3u);
    EXPECT_EQ(protocol.received()[0], 2);
    EXPECT_EQ(protocol.received()[1], 1);
    EXPECT_EQ(protocol.received()[2], 44);
    EXPECT_EQ(protocol.received(), Wire(image, {}));
    EXPECT_EQ(protocol.program(), image);
    EXPECT_TRUE(protocol.firmware().empty());
    EXPECT_EQ(protocol.echoedCount(), 302u);
    EXPECT_EQ(total, 300);
    EXPECT_EQ(count, 300);
    EXPECT_EQ(percent(), 100);
    EXPECT_TRUE(leftover().empty());
}

TEST_F(Download, FirmwareBlockFollowsTheImage) {
    std::vector<uint8_t> image = Bytes(300, 2), firmware = Bytes(20, 3);
    startUnit();
    EXPECT_EQ(download(image, firmware), 320);
    EXPECT_EQ(unit->protocol().received(), Wire(image, firmware));
    EXPECT_EQ(unit->protocol().program(), image);
    EXPECT_EQ(unit->protocol().firmware(), firmware);
    EXPECT_EQ(unit->protocol().completedDownloads(), 1u);
    EXPECT_EQ(total, 320);
    EXPECT_EQ(percent(), 100);

    // The largest firmware block the count byte can announce.
    std::vector<uint8_t> most = Bytes(255, 4);
    startUnit();
    EXPECT_EQ(download({0x33}, most), 256);
    EXPECT_EQ(unit->protocol().received(), Wire({0x33}, most));
}

TEST_F(Download, EmptyImageSendsOnlyItsLength) {
    startUnit();
    EXPECT_EQ(download({}), 0);
    EXPECT_EQ(unit->protocol().received(), (std::vector<uint8_t>{2, 0, 0}));
    EXPECT_EQ(total, 0);
}

TEST_F(Download, ProgressCountsAcknowledgedBytes) {
    std::vector<uint8_t> image = Bytes(40, 5), firmware = Bytes(10, 6);
    std::vector<int32_t> seen;
    size_t dataSeen = 0;
    startUnit().setByteHook([&](const quendal::UnitProtocol& unit) {
        // Data byte i arrives after the i before it were echoed and counted.
        size_t data = unit.program().size() + unit.firmware().size();
        if (data > dataSeen)
            seen.push_back(count.load());
        dataSeen = data;
    });
    ASSERT_EQ(download(image, firmware), 50);
    std::vector<int32_t> expected;
    for (int32_t i = 0; i < 50; ++i)
        expected.push_back(i);
    EXPECT_EQ(seen, expected);
}

TEST_F(Download, StaleInputIsDrainedFirst) {
    // Bytes the unit sent before the download must not be taken for echoes.
    const uint8_t stale[] = {0x55, 0x01, 0x2C, 0x00};
    ASSERT_EQ(write(terminal.master(), stale, sizeof stale), static_cast<ssize_t>(sizeof stale));
    std::vector<uint8_t> image = Bytes(30, 7);
    startUnit();
    EXPECT_EQ(download(image), 30);
    EXPECT_EQ(unit->protocol().program(), image);
}

TEST_F(Download, SetsThePortUp) {
    termios odd{};
    ASSERT_EQ(tcgetattr(port, &odd), 0);
    odd.c_cflag = (odd.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
    odd.c_iflag |= INPCK | IXON | IXOFF | ICRNL;
    odd.c_lflag |= ICANON | ECHO;
    cfsetospeed(&odd, B19200);
    ASSERT_EQ(tcsetattr(port, TCSANOW, &odd), 0);
    startUnit();
    ASSERT_EQ(download(Bytes(5, 8)), 5);

    termios state{};
    ASSERT_EQ(tcgetattr(port, &state), 0);
    EXPECT_EQ(cfgetospeed(&state), static_cast<speed_t>(B9600));
    EXPECT_EQ(state.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(state.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(state.c_iflag & (INPCK | IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(state.c_lflag & (ICANON | ECHO), 0u);
    // The descriptor stays the caller's.
    EXPECT_GE(fcntl(port, F_GETFD), 0);
}

TEST_F(Download, HandlesThatAreNoOpenTerminalAreRefused) {
    const quendal::test::NoTerminals bad;
    ASSERT_GE(bad.file, 0);
    for (void* h : bad.handles())
        EXPECT_EQ(quendal::TerminalDescriptor(h), -1);
    EXPECT_EQ(quendal::TerminalDescriptor(&bad), -1); // an address is no descriptor
    EXPECT_EQ(quendal::TerminalDescriptor(handle()), port);
    EXPECT_TRUE(bad.fileUntouched());
}

TEST_F(Download, SilentUnitFailsAtTheFirstEchoedByte) {
    SimulatedUnitOptions options;
    options.silent = true;
    startUnit(options);
    EXPECT_EQ(download(Bytes(300, 9)), quendal::DownloadNoEcho);
    EXPECT_EQ(unit->protocol().received(), (std::vector<uint8_t>{2, 1}));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(total, 300);
}

TEST_F(Download, UnitFallingSilentStopsTheDownloadThere) {
    SimulatedUnitOptions options;
    options.stopAfter = 13; // start, length and ten code bytes
    startUnit(options);
    std::vector<uint8_t> image = Bytes(100, 10);
    EXPECT_EQ(download(image), -3);
    EXPECT_EQ(count, 10);
    EXPECT_EQ(unit->protocol().program(), std::vector<uint8_t>(image.begin(), image.begin() + 10));
}

TEST_F(Download, WrongEchoFailsAtThatByte) {
    std::vector<uint8_t> image = Bytes(100, 11), firmware = Bytes(20, 12);
    const struct {
        int64_t at;
        int32_t counted;
    } cases[] = {{0, 0}, {1, 0}, {2, 0}, {52, 50}, {101, 99}, {102, 100}, {110, 107}, {122, 119}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at);
        SimulatedUnitOptions options;
        options.wrongEchoAt = c.at;
        startUnit(options);
        EXPECT_EQ(download(image, firmware), quendal::DownloadWrongEcho);
        EXPECT_EQ(count, c.counted);
        // Nothing follows the byte whose echo was wrong.
        EXPECT_EQ(unit->protocol().echoedCount(), static_cast<uint32_t>(c.at + 1));
        EXPECT_TRUE(leftover().empty());
    }
}

TEST_F(Download, BreakFromAnotherThreadStopsBeforeTheNextByte) {
    std::vector<uint8_t> image = Bytes(200, 13), firmware = Bytes(30, 14);
    for (size_t stopAt : {size_t{1}, size_t{77}, size_t{200 + 5}}) {
        SCOPED_TRACE(stopAt);
        cancel = 0;
        startUnit().setByteHook([&](const quendal::UnitProtocol& unit) {
            if (unit.program().size() + unit.firmware().size() == stopAt)
                cancel = 1;
        });
        EXPECT_EQ(download(image, firmware), quendal::DownloadCancelled);
        EXPECT_EQ(count, static_cast<int32_t>(stopAt));
        std::vector<uint8_t> wire = Wire(image, firmware);
        size_t sent = stopAt < image.size() ? 3 + stopAt : 5 + stopAt;
        EXPECT_EQ(unit->protocol().received(),
                  std::vector<uint8_t>(wire.begin(), wire.begin() + static_cast<long>(sent)));
        EXPECT_TRUE(leftover().empty());
    }
}

TEST_F(Download, BreakEndsTheDrainOfAUnitThatNeverStopsTalking) {
    std::atomic<bool> done{false};
    std::thread chatter([&] {
        // Keeps every drain read busy; once it has been heard a while, the user gives up.
        // Should the break go unheard, the chatter ends after a while and takes the break
        // back, so that a drain deaf to it fails the test instead of hanging it.
        for (int sent = 0; !done; ++sent) {
            if (sent == 1000) {
                cancel = 0;
                break;
            }
            uint8_t noise = 0x55;
            if (write(terminal.master(), &noise, 1) != 1)
                break;
            if (sent >= 5)
                cancel = 1;
            usleep(20'000);
        }
    });
    EXPECT_EQ(download(Bytes(10, 21)), quendal::DownloadCancelled);
    done = true;
    chatter.join();
    EXPECT_EQ(count, 0);
}

TEST_F(Download, BreakLeftFromEarlierIsCleared) {
    cancel = 1;
    startUnit();
    EXPECT_EQ(download(Bytes(10, 15)), 10);
    EXPECT_EQ(cancel, 0);
}

TEST_F(Download, PortWithoutFarEndFailsToWrite) {
    terminal.close();
    EXPECT_EQ(download(Bytes(10, 16)), quendal::DownloadWriteFailed);
    EXPECT_EQ(count, 0);
}

TEST_F(Download, RefusesWhatCannotBeAnnounced) {
    startUnit();
    std::vector<uint8_t> image = Bytes(10, 17), firmware = Bytes(256, 18);
    EXPECT_EQ(download(image, firmware), quendal::DownloadWriteFailed);
    EXPECT_TRUE(unit->protocol().received().empty());
    EXPECT_EQ(count, 0);
    EXPECT_EQ(total, 0);
    std::vector<uint8_t> huge(0x10000, 0x21);
    startUnit();
    EXPECT_EQ(download(huge), quendal::DownloadWriteFailed);
    EXPECT_TRUE(unit->protocol().received().empty());
    EXPECT_TRUE(leftover().empty());
}

TEST_F(Download, PlainCounterWords) {
    int32_t plainCount = -1, plainTotal = -1, plainBreak = 1;
    std::vector<uint8_t> image = Bytes(25, 19), firmware = Bytes(3, 20);
    startUnit().start();
    EXPECT_EQ(quendal::Download(port, image.data(), 25, firmware.data(), 3, plainCount, plainTotal,
                                plainBreak),
              28);
    unit->stop();
    EXPECT_EQ(plainCount, 28);
    EXPECT_EQ(plainTotal, 28);
    EXPECT_EQ(plainBreak, 0);
    EXPECT_EQ(unit->protocol().received(), Wire(image, firmware));
}

} // namespace
