// Serial port with the semantics of the Win32 communication calls, over termios and poll.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class Settings;

// Opaque handle of an open port; what the engine's download and the BASIC library receive.
struct SerialPort;
using SerialHandle = SerialPort*;

enum class Parity : uint8_t { None, Odd, Even, Mark, Space };
enum class StopBits : uint8_t { One, OneAndHalf, Two };
enum class LineControl : uint8_t { Disable, Enable, Handshake, Toggle };

// The port state (the DCB's fields that matter here).
struct SerialState {
    uint32_t baudRate = 9600;
    uint8_t byteSize = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    bool binary = true;
    bool parityCheck = false;
    bool outxCtsFlow = false;
    bool outxDsrFlow = false;
    LineControl dtrControl = LineControl::Enable;
    LineControl rtsControl = LineControl::Enable;
    bool outX = false; // XON/XOFF on output
    bool inX = false;  // XON/XOFF on input
};

// Time-outs in milliseconds with the Win32 meaning. A read waits at most
// readTotalMultiplier * bytes + readTotalConstant in all, and at most readInterval between two
// bytes once the first has come (0: no interval limit). Zero totals with readInterval 0 wait
// for all bytes; readInterval == UINT32_MAX with zero totals returns at once with what is there,
// and with readTotalMultiplier == UINT32_MAX and a constant below UINT32_MAX it returns what is
// there or waits up to the constant for the first byte. A write waits until its bytes have
// left, at most writeTotalMultiplier * bytes + writeTotalConstant (both 0: no limit); when
// that passes, written tells how many went.
struct SerialTimeouts {
    uint32_t readInterval = 0;
    uint32_t readTotalMultiplier = 0;
    uint32_t readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 0;
    uint32_t writeTotalConstant = 0;
};

// "COM1".."COM4" (in any case) name devices through the settings store: the string values
// "COM1".."COM4" of the key "SOFTWARE\Mirelt Electronic\Tavrissel\Ports" hold the device
// paths (for example "/dev/ttyUSB0"); a port without a value, or with an empty one, is
// /dev/ttyS0..3. Any other name is taken as a device path.
// The port is opened exclusively (no second open, also not by another process) and switched
// to binary mode; nullptr when the device is missing, busy or no terminal.
SerialHandle SerialOpen(const std::string& name);
SerialHandle SerialOpen(const std::string& name, const Settings& settings);
// The device a "COMn" name stands for now.
std::string SerialDevicePath(const std::string& name);
std::string SerialDevicePath(const std::string& name, const Settings& settings);
// Baud rates are any the driver accepts (at least the standard ones from 110 to 115200).
// 1.5 stop bits go with 5 data bits only, 2 stop bits with 6 to 8, as on Windows. Output
// flow by CTS and RTS handshake both mean hardware flow control (CRTSCTS); DSR output flow
// and the RTS toggle mode are kept in the state but the terminal layer has no such control
// (DTR handshake and RTS toggle hold the line raised).
bool SerialGetState(SerialHandle port, SerialState& state);
bool SerialSetState(SerialHandle port, const SerialState& state);
bool SerialGetTimeouts(SerialHandle port, SerialTimeouts& timeouts);
bool SerialSetTimeouts(SerialHandle port, const SerialTimeouts& timeouts);
// Reads up to count bytes within the time-outs; got may be 0, which is not a failure.
bool SerialRead(SerialHandle port, void* buffer, uint32_t count, uint32_t& got);
bool SerialWrite(SerialHandle port, const void* buffer, uint32_t count, uint32_t& written);
// Bits of the error word of SerialClearErrors, with the Win32 values.
constexpr uint32_t SerialErrorRxOver = 0x01;  // input buffer overflow
constexpr uint32_t SerialErrorOverrun = 0x02; // hardware overrun
constexpr uint32_t SerialErrorParity = 0x04;
constexpr uint32_t SerialErrorFrame = 0x08;
constexpr uint32_t SerialErrorBreak = 0x10;

// Clears the error state and reports the errors since the last call and the bytes waiting
// in the input queue, each when asked.
bool SerialClearErrors(SerialHandle port, uint32_t* errors, uint32_t* inQueue);
void SerialClose(SerialHandle port);
// The port's file descriptor, the operating system's handle of the open port; -1 for none.
int SerialDescriptor(SerialHandle port);
// The last failure on this thread (for messages): its German text (UTF-8) and its system
// error number.
std::string SerialLastError();
int SerialLastErrorCode();

} // namespace platform
