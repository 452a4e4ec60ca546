// One Kestrin32 library object: source, compiled program, simulated unit and the step loop
// that turns machine events into the BASIC debugger's events.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/vm/machine.h"
#include "outside/kestrin32/src/compiler.h"

namespace kestrin {

// Clock and tick source; tests put in their own.
struct TimeSource {
    uint32_t (*tickCount)() = nullptr; // milliseconds
    quendal::Clock (*localTime)() = nullptr;
    static TimeSource System();
};

class Library {
public:
    // Instructions one step may run without reaching a statement or an event.
    static constexpr uint32_t kStepBudget = 100000;

    Library();

    // Every public operation locks; the download copies the image and sends it unlocked.
    void setSource(const char* source);
    void setMessageBuffer(char* buffer, int size);
    void setOptions(int options);
    int compile();
    int codeLength();
    int sysCodeLength();
    void reset();
    uint32_t step();
    const char* outputString();
    void setInputValue(int16_t value);
    void setAdc(int channel, uint8_t value);
    int dac(int channel);
    uint32_t portState();
    int initialPortState();
    void setInitialPortState(int levels);
    bool isValidBreakPoint(int line);
    uint32_t mapSymbol(const char* name);
    int value(uint32_t symbol);
    bool setValue(uint32_t symbol, int16_t value);
    int fileLength();
    void dumpFile(int16_t* words);
    int download(void* port);

    void setTimeSource(TimeSource time);

private:
    void resetLocked(bool keepAnalogInputs);
    void refreshClock();
    int fileLengthLocked() const;
    void writeMessages(const std::vector<CompileMessage>& errors);
    bool atStatement(uint16_t address) const {
        return address < program_.statementLine.size() && program_.statementLine[address] != 0;
    }

    std::mutex mutex_;
    const char* source_ = nullptr;
    char* messages_ = nullptr;
    int messageSize_ = 0;
    int options_ = 3;
    TimeSource time_;

    bool compiled_ = false;
    Program program_;
    std::vector<uint8_t> waitJump_; // by machine address
    std::vector<bool> breakLines_;  // by source line
    quendal::Machine machine_;
    uint16_t initialPorts_ = 0;

    uint8_t pendingInput_ = 0;
    bool inputWaiting_ = false;
    bool restartPending_ = false;
    bool boundaryPending_ = false; // a statement start was reached by an output or pause
    bool fileChanged_ = false;
    uint16_t currentLine_ = 0;
    std::string output_;
};

} // namespace kestrin
