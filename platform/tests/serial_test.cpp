#include "platform/serial.h"
#include "platform/settings.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace platform;

namespace {

using Clock = std::chrono::steady_clock;

int64_t millisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A pseudo-terminal pair: the port opens the slave, the test plays the unit on the master.
class PtyPair {
public:
    PtyPair() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
            slavePath_ = ptsname(master_);
    }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool valid() const { return master_ >= 0 && !slavePath_.empty(); }
    int master() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }
    void closeMaster() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

    void send(const std::string& bytes) const {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            ASSERT_GT(n, 0) << strerror(errno);
            done += static_cast<size_t>(n);
        }
    }
    // Everything the port sent, reading until count bytes came or nothing came for waitMs.
    std::string receive(size_t count, int waitMs = 2000) const {
        std::string got;
        while (got.size() < count) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, waitMs) <= 0)
                break;
            char buffer[4096];
            ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0)
                break;
            got.append(buffer, static_cast<size_t>(n));
        }
        return got;
    }
    termios slaveSettings() const {
        termios settings{};
        tcgetattr(master_, &settings); // on a master this reads the slave's settings
        return settings;
    }

private:
    int master_ = -1;
    std::string slavePath_;
};

std::string allBytes() {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    return all;
}

class SerialTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty_.valid());
        port_ = SerialOpen(pty_.slavePath());
        ASSERT_NE(port_, nullptr) << SerialLastError();
    }
    void TearDown() override { SerialClose(port_); }

    void setTimeouts(uint32_t interval, uint32_t multiplier, uint32_t constant) {
        SerialTimeouts t;
        t.readInterval = interval;
        t.readTotalMultiplier = multiplier;
        t.readTotalConstant = constant;
        ASSERT_TRUE(SerialSetTimeouts(port_, t));
    }
    std::string read(uint32_t count) {
        std::vector<char> buffer(count + 1);
        uint32_t got = 12345;
        EXPECT_TRUE(SerialRead(port_, buffer.data(), count, got)) << SerialLastError();
        EXPECT_LE(got, count);
        return std::string(buffer.data(), std::min(got, count));
    }

    PtyPair pty_;
    SerialHandle port_ = nullptr;
};

// The settings the engine's download uses.
SerialState downloadState() {
    SerialState state;
    state.baudRate = 9600;
    state.byteSize = 8;
    state.parity = Parity::None;
    state.stopBits = StopBits::One;
    state.binary = true;
    state.dtrControl = LineControl::Disable;
    state.rtsControl = LineControl::Disable;
    return state;
}

void expectSameState(const SerialState& back, const SerialState& s) {
    EXPECT_EQ(back.baudRate, s.baudRate);
    EXPECT_EQ(back.byteSize, s.byteSize);
    EXPECT_EQ(back.parity, s.parity);
    EXPECT_EQ(back.stopBits, s.stopBits);
    EXPECT_EQ(back.binary, s.binary);
    EXPECT_EQ(back.parityCheck, s.parityCheck);
    EXPECT_EQ(back.outxCtsFlow, s.outxCtsFlow);
    EXPECT_EQ(back.outxDsrFlow, s.outxDsrFlow);
    EXPECT_EQ(back.dtrControl, s.dtrControl);
    EXPECT_EQ(back.rtsControl, s.rtsControl);
    EXPECT_EQ(back.outX, s.outX);
    EXPECT_EQ(back.inX, s.inX);
}

TEST_F(SerialTest, EveryByteValueCrossesBothWaysUnchanged) {
    ASSERT_TRUE(SerialSetState(port_, downloadState()));
    setTimeouts(0, 50, 1000);
    const std::string all = allBytes();

    pty_.send(all);
    EXPECT_EQ(read(256), all);
    // No echo came back to the unit.
    EXPECT_EQ(pty_.receive(1, 100), "");

    uint32_t written = 0;
    ASSERT_TRUE(SerialWrite(port_, all.data(), 256, written)) << SerialLastError();
    EXPECT_EQ(written, 256u);
    EXPECT_EQ(pty_.receive(256), all);
}

TEST_F(SerialTest, PortIsBinaryRightAfterOpening) {
    termios settings = pty_.slaveSettings();
    EXPECT_FALSE(settings.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(settings.c_oflag & OPOST);
    EXPECT_FALSE(settings.c_iflag & (ICRNL | IXON));
    setTimeouts(0, 0, 2000);
    pty_.send("\r\n\x03\x11\x13\x1A");
    EXPECT_EQ(read(6), "\r\n\x03\x11\x13\x1A");
}

TEST_F(SerialTest, TextModeTranslatesLineEnds) {
    SerialState state = downloadState();
    state.binary = false;
    ASSERT_TRUE(SerialSetState(port_, state));
    setTimeouts(0, 0, 2000);
    pty_.send("a\rb");
    EXPECT_EQ(read(3), "a\nb");
    uint32_t written = 0;
    ASSERT_TRUE(SerialWrite(port_, "x\n", 2, written));
    EXPECT_EQ(pty_.receive(3), "x\r\n");

    SerialState back;
    ASSERT_TRUE(SerialGetState(port_, back));
    EXPECT_FALSE(back.binary);
}

TEST_F(SerialTest, EmptyReadWaitsForTheTotalTimeout) {
    setTimeouts(0, 50, 100); // 4 bytes: 300 ms
    auto start = Clock::now();
    EXPECT_EQ(read(4), "");
    EXPECT_GE(millisecondsSince(start), 240);

    // Bytes that come in time are returned even when fewer than asked.
    setTimeouts(0, 0, 300);
    pty_.send("ab");
    start = Clock::now();
    EXPECT_EQ(read(10), "ab");
    EXPECT_GE(millisecondsSince(start), 240);
}

TEST_F(SerialTest, IntervalEndsReadAfterAGapButNotBeforeTheFirstByte) {
    setTimeouts(150, 0, 0);
    pty_.send("xyz");
    auto start = Clock::now();
    EXPECT_EQ(read(10), "xyz");
    EXPECT_GE(millisecondsSince(start), 120);

    // Without a total limit the interval only counts once a byte has come.
    std::thread late([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        pty_.send("12");
    });
    start = Clock::now();
    EXPECT_EQ(read(10), "12");
    EXPECT_GE(millisecondsSince(start), 320);
    late.join();

    // Bytes closer together than the interval keep the read going until all have come.
    setTimeouts(2000, 0, 0);
    std::thread trickle([this] {
        for (char c : std::string("abcde")) {
            pty_.send(std::string(1, c));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    EXPECT_EQ(read(5), "abcde");
    trickle.join();
}

TEST_F(SerialTest, ZeroTimeoutsWaitForEveryByte) {
    setTimeouts(0, 0, 0);
    std::thread unit([this] {
        for (int i = 0; i < 4; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            pty_.send("ab");
        }
    });
    EXPECT_EQ(read(8), "abababab");
    unit.join();
}

TEST_F(SerialTest, ImmediateAndFirstByteModes) {
    // Interval "forever" with zero totals returns at once with what is there.
    setTimeouts(UINT32_MAX, 0, 0);
    EXPECT_EQ(read(4), "");
    pty_.send("hi");
    std::string got;
    for (int i = 0; i < 2000 && got.size() < 2; ++i) {
        got += read(4);
        if (got.size() < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(got, "hi");

    // With a "forever" multiplier it waits up to the constant for the first byte only.
    setTimeouts(UINT32_MAX, UINT32_MAX, 200);
    auto start = Clock::now();
    EXPECT_EQ(read(4), "");
    EXPECT_GE(millisecondsSince(start), 160);

    setTimeouts(UINT32_MAX, UINT32_MAX, 20000);
    std::thread late([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pty_.send("k");
    });
    start = Clock::now();
    EXPECT_EQ(read(4), "k");
    EXPECT_LT(millisecondsSince(start), 15000); // did not wait out the constant
    late.join();
}

TEST_F(SerialTest, WriteTimeoutReportsWhatWent) {
    SerialTimeouts t;
    t.writeTotalConstant = 200;
    ASSERT_TRUE(SerialSetTimeouts(port_, t));
    // The unit reads nothing, so the buffers fill up.
    std::vector<char> big(4 * 1024 * 1024, 'x');
    uint32_t written = 0;
    auto start = Clock::now();
    ASSERT_TRUE(SerialWrite(port_, big.data(), static_cast<uint32_t>(big.size()), written));
    EXPECT_GE(millisecondsSince(start), 160);
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, big.size());
    EXPECT_EQ(pty_.receive(written).size(), written);
}

TEST_F(SerialTest, StateRoundTrips) {
    SerialState initial;
    ASSERT_TRUE(SerialGetState(port_, initial));
    ASSERT_TRUE(SerialSetState(port_, initial));
    SerialState again;
    ASSERT_TRUE(SerialGetState(port_, again));
    expectSameState(again, initial);

    std::vector<SerialState> states;
    for (uint32_t baud :
         {110u, 1200u, 2400u, 4800u, 9600u, 14400u, 19200u, 38400u, 57600u, 115200u, 230400u}) {
        SerialState s = downloadState();
        s.baudRate = baud;
        states.push_back(s);
    }
    SerialState odd;
    odd.byteSize = 7;
    odd.parity = Parity::Even;
    odd.stopBits = StopBits::Two;
    odd.parityCheck = true;
    odd.outX = true;
    odd.inX = true;
    states.push_back(odd);
    SerialState five;
    five.byteSize = 5;
    five.parity = Parity::Mark;
    five.stopBits = StopBits::OneAndHalf;
    five.outxCtsFlow = true;
    five.outxDsrFlow = true;
    five.dtrControl = LineControl::Handshake;
    five.rtsControl = LineControl::Toggle;
    states.push_back(five);
    SerialState six;
    six.byteSize = 6;
    six.parity = Parity::Space;
    six.rtsControl = LineControl::Handshake;
    six.binary = false;
    states.push_back(six);
    SerialState seven;
    seven.byteSize = 7;
    seven.parity = Parity::Odd;
    states.push_back(seven);

    for (const SerialState& s : states) {
        ASSERT_TRUE(SerialSetState(port_, s)) << s.baudRate << ": " << SerialLastError();
        SerialState back;
        ASSERT_TRUE(SerialGetState(port_, back));
        expectSameState(back, s);
    }
}

TEST_F(SerialTest, StateReachesTheDevice) {
    SerialState s;
    s.baudRate = 19200;
    s.byteSize = 7;
    s.parity = Parity::Odd;
    s.stopBits = StopBits::Two;
    s.parityCheck = true;
    s.outX = true;
    s.outxCtsFlow = true;
    ASSERT_TRUE(SerialSetState(port_, s));
    // A pseudo-terminal forces 8 data bits without parity; the other flags it keeps.
    termios settings = pty_.slaveSettings();
    EXPECT_TRUE(settings.c_cflag & CSTOPB);
    EXPECT_TRUE(settings.c_cflag & CRTSCTS);
    EXPECT_TRUE(settings.c_iflag & INPCK);
    EXPECT_TRUE(settings.c_iflag & IXON);
    EXPECT_FALSE(settings.c_iflag & IXOFF);
    EXPECT_EQ(cfgetospeed(&settings), speed_t(B19200));

    ASSERT_TRUE(SerialSetState(port_, downloadState()));
    settings = pty_.slaveSettings();
    EXPECT_FALSE(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS));
    EXPECT_FALSE(settings.c_iflag & (INPCK | IXON | IXOFF));
    EXPECT_FALSE(settings.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_EQ(cfgetospeed(&settings), speed_t(B9600));
}

TEST_F(SerialTest, ChangesBehindThePortsBackShowInTheState) {
    ASSERT_TRUE(SerialSetState(port_, downloadState()));
    termios settings = pty_.slaveSettings();
    settings.c_iflag |= IXON;
    settings.c_cflag |= CSTOPB;
    cfsetspeed(&settings, B4800);
    ASSERT_EQ(tcsetattr(pty_.master(), TCSANOW, &settings), 0);

    SerialState state;
    ASSERT_TRUE(SerialGetState(port_, state));
    EXPECT_TRUE(state.outX);
    EXPECT_EQ(state.stopBits, StopBits::Two);
    EXPECT_EQ(state.baudRate, 4800u);
    EXPECT_EQ(state.dtrControl, LineControl::Disable); // not a device flag: as set
}

TEST_F(SerialTest, InvalidStatesAreRefusedAndChangeNothing) {
    ASSERT_TRUE(SerialSetState(port_, downloadState()));
    SerialState bad = downloadState();
    bad.stopBits = StopBits::OneAndHalf; // only with 5 data bits
    EXPECT_FALSE(SerialSetState(port_, bad));
    EXPECT_EQ(SerialLastErrorCode(), EINVAL);
    bad = downloadState();
    bad.byteSize = 5;
    bad.stopBits = StopBits::Two;
    EXPECT_FALSE(SerialSetState(port_, bad));
    bad = downloadState();
    bad.byteSize = 9;
    EXPECT_FALSE(SerialSetState(port_, bad));
    bad = downloadState();
    bad.baudRate = 0;
    EXPECT_FALSE(SerialSetState(port_, bad));

    SerialState now;
    ASSERT_TRUE(SerialGetState(port_, now));
    EXPECT_EQ(now.baudRate, 9600u);
    EXPECT_EQ(now.byteSize, 8);
    EXPECT_EQ(now.stopBits, StopBits::One);
}

TEST_F(SerialTest, SecondOpenFailsUntilClosed) {
    EXPECT_EQ(SerialOpen(pty_.slavePath()), nullptr);
    EXPECT_EQ(SerialLastErrorCode(), EBUSY);
    EXPECT_FALSE(SerialLastError().empty());
    SerialClose(port_);
    port_ = SerialOpen(pty_.slavePath());
    EXPECT_NE(port_, nullptr) << SerialLastError();
}

TEST_F(SerialTest, InputQueueIsReported) {
    pty_.send("12345");
    uint32_t errors = 99, waiting = 0;
    for (int i = 0; i < 5000 && waiting < 5; ++i) {
        ASSERT_TRUE(SerialClearErrors(port_, &errors, &waiting));
        if (waiting < 5)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(waiting, 5u);
    EXPECT_EQ(errors, 0u);
    ASSERT_TRUE(SerialClearErrors(port_, nullptr, nullptr));
    setTimeouts(0, 0, 1000);
    EXPECT_EQ(read(5), "12345");
}

TEST_F(SerialTest, LostPeerIsAFailureNotAnEmptyRead) {
    setTimeouts(0, 0, 0); // would otherwise wait for ever
    pty_.closeMaster();
    char byte = 0;
    uint32_t got = 0;
    EXPECT_FALSE(SerialRead(port_, &byte, 1, got));
    EXPECT_EQ(got, 0u);
    uint32_t written = 0;
    EXPECT_FALSE(SerialWrite(port_, "x", 1, written));
    EXPECT_EQ(written, 0u);
}

TEST(SerialOpenFailures, MissingDeviceNonTerminalAndNullHandle) {
    EXPECT_EQ(SerialOpen("/dev/tavrissel-no-such-port"), nullptr);
    EXPECT_EQ(SerialLastErrorCode(), ENOENT);
    EXPECT_EQ(SerialLastError(), "Datei oder Verzeichnis nicht gefunden");

    std::string file = (fs::temp_directory_path() / "tavrissel-not-a-tty").string();
    std::ofstream(file) << "x";
    EXPECT_EQ(SerialOpen(file), nullptr);
    EXPECT_EQ(SerialLastErrorCode(), ENOTTY);
    fs::remove(file);

    SerialState state;
    EXPECT_FALSE(SerialGetState(nullptr, state));
    EXPECT_EQ(SerialLastErrorCode(), EBADF);
    uint32_t got = 0;
    EXPECT_FALSE(SerialRead(nullptr, &state, 1, got));
    SerialClose(nullptr);
}

TEST(SerialPortNames, ComPortsMapThroughTheSettings) {
    std::string dir = (fs::temp_directory_path() / "tavrissel-ports-XXXXXX").string();
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    Settings store(dir + "/registry.txt");
    const std::string key = "SOFTWARE\\Mirelt Electronic\\Tavrissel\\Ports";

    EXPECT_EQ(SerialDevicePath("COM1", store), "/dev/ttyS0");
    EXPECT_EQ(SerialDevicePath("com4", store), "/dev/ttyS3");
    EXPECT_EQ(SerialDevicePath("COM5", store), "COM5");
    EXPECT_EQ(SerialDevicePath("/dev/ttyUSB1", store), "/dev/ttyUSB1");

    PtyPair pty;
    ASSERT_TRUE(pty.valid());
    store.writeString(key, "COM2", pty.slavePath());
    store.writeString(key, "COM3", "");
    store.writeInteger(key, "COM4", 7); // wrong type: not set
    EXPECT_EQ(SerialDevicePath("COM2", store), pty.slavePath());
    EXPECT_EQ(SerialDevicePath("Com2", store), pty.slavePath());
    EXPECT_EQ(SerialDevicePath("COM3", store), "/dev/ttyS2");
    EXPECT_EQ(SerialDevicePath("COM4", store), "/dev/ttyS3");

    SerialHandle port = SerialOpen("COM2", store);
    ASSERT_NE(port, nullptr) << SerialLastError();
    uint32_t written = 0;
    ASSERT_TRUE(SerialWrite(port, "via COM2", 8, written));
    EXPECT_EQ(pty.receive(8), "via COM2");
    SerialClose(port);
    fs::remove_all(dir);
}

TEST(SerialPortNames, UserStoreDecidesForPlainOpen) {
    PtyPair pty;
    ASSERT_TRUE(pty.valid());
    const std::string key = "SOFTWARE\\Mirelt Electronic\\Tavrissel\\Ports";
    Settings& user = Settings::user();
    auto previous = user.readString(key, "COM4");
    user.writeString(key, "COM4", pty.slavePath());

    EXPECT_EQ(SerialDevicePath("COM4"), pty.slavePath());
    SerialHandle port = SerialOpen("COM4");
    EXPECT_NE(port, nullptr) << SerialLastError();
    if (port) {
        pty.send("u");
        SerialTimeouts t;
        t.readTotalConstant = 2000;
        SerialSetTimeouts(port, t);
        char byte = 0;
        uint32_t got = 0;
        EXPECT_TRUE(SerialRead(port, &byte, 1, got));
        EXPECT_EQ(got, 1u);
        EXPECT_EQ(byte, 'u');
    }
    SerialClose(port);

    if (previous)
        user.writeString(key, "COM4", *previous);
    else
        user.deleteValue(key, "COM4");
}

} // namespace
