// Serial port with the semantics of the Win32 communication calls, over termios and poll.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

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
// for all bytes; readInterval == UINT32_MAX with zero totals returns at once with what is there.
struct SerialTimeouts {
    uint32_t readInterval = 0;
    uint32_t readTotalMultiplier = 0;
    uint32_t readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 0;
    uint32_t writeTotalConstant = 0;
};

// "COM1".."COM4" name devices through the settings store (default /dev/ttyS0..3); any other
// name is taken as a device path. Exclusive; nullptr when the device is missing or busy.
SerialHandle SerialOpen(const std::string& name);
// The device a "COMn" name stands for now.
std::string SerialDevicePath(const std::string& name);
bool SerialGetState(SerialHandle port, SerialState& state);
bool SerialSetState(SerialHandle port, const SerialState& state);
bool SerialGetTimeouts(SerialHandle port, SerialTimeouts& timeouts);
bool SerialSetTimeouts(SerialHandle port, const SerialTimeouts& timeouts);
// Reads up to count bytes within the time-outs; got may be 0, which is not a failure.
bool SerialRead(SerialHandle port, void* buffer, uint32_t count, uint32_t& got);
bool SerialWrite(SerialHandle port, const void* buffer, uint32_t count, uint32_t& written);
// Clears the error state; reports the bytes waiting in the input queue when asked.
bool SerialClearErrors(SerialHandle port, uint32_t* errors, uint32_t* inQueue);
void SerialClose(SerialHandle port);
// The text of the last failure on this thread (for messages).
std::string SerialLastError();

} // namespace platform
