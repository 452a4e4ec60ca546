// The simulated unit's inputs and outputs as the simulator windows see them, the simulator
// options, and the windows the simulation driver talks to. One record for the whole program;
// everything runs on the GUI thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

struct TSimulatorIoState {
    std::array<uint8_t, 8> AnalogIn{};
    std::array<bool, 8> AnalogInChanged{};
    std::array<bool, 16> PortIsOutput{};
    std::array<bool, 16> PortLevel{};
    std::array<bool, 16> PortChanged{};
    std::array<uint8_t, 2> AnalogOut{};
    std::array<char, 64> LcdText{};
    bool LcdChanged = false;
    std::array<uint8_t, 6> LedDigits{};
    bool LedChanged = false;
    uint16_t InitialPortLevels = 0;
    bool InitialPortsPending = false;
};

extern TSimulatorIoState SimulatorIoState;

// Simulator options (registry section "Simulator"); SimOptionsChanged asks for them to be sent
// to the engine again.
extern bool AutoTiming;
extern bool SimulatedBeep;
extern bool ApplicationBoard;
extern bool SimOptionsChanged;
// The main window refreshes its status text when set and clears it.
extern bool SimStatusChanged;

// The engine's option word: bit 0 AutoTiming, bit 1 SimulatedBeep, bit 2 ApplicationBoard.
int SimulatorOptionWord();

class TQuendalModel;

// The simulator windows and services the driver calls. An empty entry stands for a closed
// window; each window fills its entry when it opens and clears it when it closes.
struct TSimulatorWindows {
    std::function<void()> AnalogPortRefresh;
    std::function<void()> DigitalPortRefresh;
    std::function<void()> LcdRefresh;
    std::function<void()> LedRefresh;
    // Creates and shows the terminal window when it is not open.
    std::function<void(TQuendalModel*)> ShowTerminal;
    // The serial-input dialog over the main window: the value entered, nothing when cancelled.
    std::function<std::optional<int32_t>(int32_t preset)> InputDialog;
    // The application's idle handler, run once while a wait or pause pumps messages.
    std::function<void()> ApplicationIdle;
    // Replaces the message pump of waits and pauses (pending events, idle call, events).
    std::function<void()> PumpMessages;
};

extern TSimulatorWindows SimulatorWindows;
