#include "outside/kestrin32/src/library.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>

#include "engine/download/download.h"
#include "outside/kestrin32/include/kestrin32.h"
#include "platform/system.h"

namespace kestrin {

using quendal::EventKind;
using quendal::Op;

namespace {

constexpr int kAutoTiming = 1;
constexpr uint16_t kMemoryEnd = static_cast<uint16_t>(quendal::kMemorySize);

uint32_t Result(uint16_t event, uint16_t value) {
    return static_cast<uint32_t>(value) << 16 | event;
}

quendal::Clock SystemLocalTime() {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    quendal::Clock c{};
    c.year = static_cast<uint8_t>(t.tm_year % 100);
    c.month = static_cast<uint8_t>(t.tm_mon + 1);
    c.day = static_cast<uint8_t>(t.tm_mday);
    c.weekday = static_cast<uint8_t>(t.tm_wday);
    c.hour = static_cast<uint8_t>(t.tm_hour);
    c.minute = static_cast<uint8_t>(t.tm_min);
    c.second = static_cast<uint8_t>(t.tm_sec);
    return c;
}

// Map code fields: kind in bits 24-31, area in 16-23, index in 0-15.
struct MapCode {
    int kind, area, index;
    explicit MapCode(uint32_t code)
        : kind(static_cast<int>(code >> 24)), area(static_cast<int>(code >> 16 & 0xFF)),
          index(static_cast<int>(code & 0xFFFF)) {}
};

enum Area { UserMemory = 1, Port = 2, Adc = 3, Dac = 4, Register = 5 };
enum Kind { Word = 1, Byte = 2, Bit = 3 };

} // namespace

TimeSource TimeSource::System() {
    return TimeSource{platform::TickCount, SystemLocalTime};
}

Library::Library() : time_(TimeSource::System()) {
    resetLocked(false);
}

void Library::setTimeSource(TimeSource time) {
    std::lock_guard lock(mutex_);
    time_ = time;
}

void Library::setSource(const char* source) {
    std::lock_guard lock(mutex_);
    source_ = source;
}

void Library::setMessageBuffer(char* buffer, int size) {
    std::lock_guard lock(mutex_);
    messages_ = size > 0 ? buffer : nullptr;
    messageSize_ = buffer ? size : 0;
    if (messages_)
        messages_[0] = 0;
}

void Library::setOptions(int options) {
    std::lock_guard lock(mutex_);
    options_ = options;
}

// Whole "Zeile N: text" lines, CR LF after each, as many as fit with the terminating zero.
void Library::writeMessages(const std::vector<CompileMessage>& errors) {
    if (!messages_)
        return;
    size_t used = 0;
    const auto room = static_cast<size_t>(messageSize_);
    for (const CompileMessage& e : errors) {
        std::string line = "Zeile " + std::to_string(e.line) + ": " + e.text + "\r\n";
        if (used + line.size() + 1 > room)
            break;
        std::memcpy(messages_ + used, line.data(), line.size());
        used += line.size();
    }
    messages_[used] = 0;
}

int Library::compile() {
    std::lock_guard lock(mutex_);
    if (messages_)
        messages_[0] = 0;
    // A failed compile leaves nothing to run.
    compiled_ = false;
    program_ = Program{};
    waitJump_.clear();
    breakLines_.clear();
    machine_.state.memory.fill(0);
    machine_.state.codeEnd = quendal::kProgramStart;
    resetLocked(false);
    if (!source_)
        return LinotrexCompileReadError;

    CompileOutput out;
    try {
        out = Compile(source_);
    } catch (const std::bad_alloc&) {
        return LinotrexCompileOutOfMemory;
    }
    if (!out.errors.empty()) {
        writeMessages(out.errors);
        return static_cast<int>(static_cast<uint32_t>(std::min(out.errorCount, 0xFFFF)) << 16 |
                                LinotrexCompileErrors);
    }
    program_ = std::move(out.program);
    auto& memory = machine_.state.memory;
    auto length = static_cast<uint16_t>(program_.image.size());
    memory[0] = static_cast<uint8_t>(length >> 8);
    memory[1] = static_cast<uint8_t>(length);
    std::copy(program_.image.begin(), program_.image.end(), memory.begin() + kCodeBase);
    machine_.state.codeEnd = static_cast<uint16_t>(kCodeBase + length);
    waitJump_.assign(program_.statementLine.size(), 0);
    for (uint16_t a : program_.waitJumps)
        waitJump_[a] = 1;
    for (uint16_t line : program_.statementLine) {
        if (line >= breakLines_.size())
            breakLines_.resize(line + 1u, false);
        breakLines_[line] = line != 0;
    }
    compiled_ = true;
    resetLocked(false);
    return 0;
}

int Library::codeLength() {
    std::lock_guard lock(mutex_);
    return compiled_ ? program_.basicBytes : 0;
}

int Library::sysCodeLength() {
    std::lock_guard lock(mutex_);
    return compiled_ ? program_.tableBytes : 0;
}

void Library::refreshClock() {
    if (!(options_ & kAutoTiming))
        return;
    machine_.state.clock = time_.localTime();
    machine_.state.timer = static_cast<uint16_t>(time_.tickCount() / 20);
}

// Memory keeps the program and the data file; everything else starts afresh.
void Library::resetLocked(bool keepAnalogInputs) {
    auto& s = machine_.state;
    machine_.clearStacks();
    machine_.resetLcd();
    // The kept file is there from the start, so FILELEN and FILEFREE count it before FOPEN.
    machine_.resetFile();
    s.fileBase = machine_.fileBaseFromHeader();
    s.fileLength = machine_.headerWord(1);
    s.pc = quendal::kProgramStart;
    s.portValue = initialPorts_;
    s.portDirection = 0;
    if (!keepAnalogInputs)
        s.adc.fill(0);
    s.dac.fill(0);
    s.user.fill(0);
    s.inputValue = 0;
    s.tone = 0;
    s.frequency = 0;
    s.printLength = 0;
    s.timer = 0;
    s.clock = quendal::Clock{};
    refreshClock();
    // An odd seed never reaches 0, so RND runs without RANDOMIZE too.
    s.seed = static_cast<int16_t>(s.timer | 1);
    pendingInput_ = 0;
    inputWaiting_ = false;
    restartPending_ = false;
    boundaryPending_ = false;
    fileChanged_ = false;
    currentLine_ = 0;
    output_.clear();
}

void Library::reset() {
    std::lock_guard lock(mutex_);
    resetLocked(false);
}

uint32_t Library::step() {
    std::lock_guard lock(mutex_);
    if (!compiled_)
        return Result(LinotrexEventEnd, 0);
    auto& s = machine_.state;
    output_.clear();
    if (restartPending_)
        resetLocked(true);
    auto stepDone = [&] {
        uint16_t event = fileChanged_ ? LinotrexEventFileStep : LinotrexEventStep;
        fileChanged_ = false;
        return Result(event, currentLine_);
    };
    if (boundaryPending_) {
        boundaryPending_ = false;
        return stepDone();
    }
    if (inputWaiting_)
        return Result(LinotrexEventInput, currentLine_);
    refreshClock();
    const uint16_t savedPc = s.pc;
    const auto savedStack = s.stack;
    const int16_t savedSeed = s.seed;
    // A failing step comes back to an input it completed, so the value is not lost.
    const uint8_t savedInput = pendingInput_;
    if (pendingInput_) {
        machine_.completeInput(pendingInput_);
        pendingInput_ = 0;
    }
    // An event that stops the step at a statement start leaves the step's end for the next call.
    auto noteBoundary = [&] {
        if (atStatement(s.pc)) {
            currentLine_ = program_.statementLine[s.pc];
            boundaryPending_ = true;
        }
    };
    for (uint32_t n = 0; n < kStepBudget; ++n) {
        const uint16_t pc = s.pc;
        const uint8_t opcode = pc < kMemoryEnd ? s.memory[pc] : 0;
        const quendal::Event ev = machine_.execute(1);
        switch (ev.kind) {
        case EventKind::End:
            restartPending_ = true;
            currentLine_ = 0;
            return Result(LinotrexEventEnd, 0);
        case EventKind::Input:
            pendingInput_ = static_cast<uint8_t>(ev.value);
            inputWaiting_ = true;
            return Result(LinotrexEventInput, currentLine_);
        case EventKind::Print:
            output_.assign(s.printBuffer, s.printLength);
            s.printLength = 0;
            noteBoundary();
            return Result(LinotrexEventOutput, currentLine_);
        case EventKind::Pause:
            // The caller waits the ticks out; without real time the timer advances by them.
            if (!(options_ & kAutoTiming))
                s.timer = static_cast<uint16_t>(s.timer + ev.value);
            noteBoundary();
            return Result(LinotrexEventPause, ev.value);
        case EventKind::FileChanged:
            fileChanged_ = true;
            break;
        case EventKind::Error:
            s.pc = savedPc;
            s.stack = savedStack;
            s.seed = savedSeed;
            pendingInput_ = savedInput;
            return Result(LinotrexEventError, ev.value);
        default:
            break;
        }
        if (opcode == static_cast<uint8_t>(Op::JumpIfZero) && pc < waitJump_.size() &&
            waitJump_[pc] && s.pc != pc + 3)
            return Result(LinotrexEventWait, currentLine_);
        if (atStatement(s.pc)) {
            currentLine_ = program_.statementLine[s.pc];
            return stepDone();
        }
    }
    // A long run inside one statement hands control back at that statement's line.
    if (s.pc >= kCodeBase && s.pc - kCodeBase < static_cast<int>(program_.codeLine.size()))
        currentLine_ = program_.codeLine[s.pc - kCodeBase];
    return stepDone();
}

const char* Library::outputString() {
    std::lock_guard lock(mutex_);
    return output_.c_str();
}

void Library::setInputValue(int16_t value) {
    std::lock_guard lock(mutex_);
    machine_.state.inputValue = value;
    inputWaiting_ = false;
}

void Library::setAdc(int channel, uint8_t value) {
    std::lock_guard lock(mutex_);
    if (channel >= 0 && channel < 8)
        machine_.state.adc[static_cast<size_t>(channel)] = value;
}

int Library::dac(int channel) {
    std::lock_guard lock(mutex_);
    return channel >= 0 && channel < 2 ? machine_.state.dac[static_cast<size_t>(channel)] : 0;
}

uint32_t Library::portState() {
    std::lock_guard lock(mutex_);
    return static_cast<uint32_t>(machine_.state.portDirection) << 16 | machine_.state.portValue;
}

int Library::initialPortState() {
    std::lock_guard lock(mutex_);
    return initialPorts_;
}

void Library::setInitialPortState(int levels) {
    std::lock_guard lock(mutex_);
    initialPorts_ = static_cast<uint16_t>(levels);
}

bool Library::isValidBreakPoint(int line) {
    std::lock_guard lock(mutex_);
    return compiled_ && line > 0 && static_cast<size_t>(line) < breakLines_.size() &&
           breakLines_[static_cast<size_t>(line)];
}

uint32_t Library::mapSymbol(const char* name) {
    if (!name)
        return 0;
    std::string key;
    for (const char* p = name; *p; ++p)
        if (*p != ' ' && *p != '\t')
            key += (*p >= 'a' && *p <= 'z') ? static_cast<char>(*p - 'a' + 'A') : *p;
    std::lock_guard lock(mutex_);
    if (!compiled_)
        return 0;
    if (auto it = program_.symbols.find(key); it != program_.symbols.end())
        return it->second;
    return ResourceMapCode(key);
}

int Library::value(uint32_t symbol) {
    std::lock_guard lock(mutex_);
    const auto& s = machine_.state;
    MapCode m(symbol);
    switch (m.area) {
    case UserMemory:
        if (m.kind == Word && m.index < 12)
            return static_cast<int16_t>(s.user[2 * m.index] | s.user[2 * m.index + 1] << 8);
        if (m.kind == Byte && m.index < 24)
            return s.user[m.index];
        if (m.kind == Bit && m.index < 192)
            return (s.user[m.index / 8] >> (m.index & 7) & 1) ? -1 : 0;
        return 0;
    case Port:
        if (m.kind == Word)
            return s.portValue;
        if (m.kind == Byte && m.index < 2)
            return s.portValue >> 8 * m.index & 0xFF;
        if (m.kind == Bit && m.index < 16)
            return s.portValue >> m.index & 1;
        return 0;
    case Adc:
        return m.index < 8 ? s.adc[m.index] : 0;
    case Dac:
        return m.index < 2 ? s.dac[m.index] : 0;
    case Register: {
        const auto& c = s.clock;
        const int clock[] = {c.year, c.month, c.day, c.weekday, c.hour, c.minute, c.second};
        if (m.index < 7)
            return clock[m.index];
        switch (m.index) {
        case 7:
            return s.timer;
        case 8:
            return s.tone;
        case 9:
            return s.frequency;
        case 11:
            return machine_.fileFreeWords();
        case 12:
            return s.fileLength / 2;
        default:
            return 0;
        }
    }
    default:
        return 0;
    }
}

bool Library::setValue(uint32_t symbol, int16_t v) {
    std::lock_guard lock(mutex_);
    auto& s = machine_.state;
    MapCode m(symbol);
    // A bit takes 0, 1, or -1 as BASIC writes true.
    if (m.kind == Bit && (v < -1 || v > 1))
        return false;
    if (m.kind == Byte && (v < 0 || v > 255))
        return false;
    switch (m.area) {
    case UserMemory:
        if (m.kind == Word && m.index < 12) {
            s.user[2 * m.index] = static_cast<uint8_t>(v);
            s.user[2 * m.index + 1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
            return true;
        }
        if (m.kind == Byte && m.index < 24) {
            s.user[m.index] = static_cast<uint8_t>(v);
            return true;
        }
        if (m.kind == Bit && m.index < 192) {
            auto mask = static_cast<uint8_t>(1u << (m.index & 7));
            s.user[m.index / 8] =
                static_cast<uint8_t>(v ? s.user[m.index / 8] | mask : s.user[m.index / 8] & ~mask);
            return true;
        }
        return false;
    case Port: {
        // Only input lines take a level from outside; the program drives its outputs.
        uint16_t lines = m.kind == Word ? 0xFFFF
                         : m.kind == Byte && m.index < 2
                             ? static_cast<uint16_t>(0xFF << 8 * m.index)
                         : m.kind == Bit && m.index < 16 ? static_cast<uint16_t>(1u << m.index)
                                                         : 0;
        if (s.portDirection & lines)
            return false;
        if (m.kind == Word) {
            s.portValue = static_cast<uint16_t>(v);
            return true;
        }
        if (m.kind == Byte && m.index < 2) {
            auto shift = 8 * m.index;
            s.portValue = static_cast<uint16_t>((s.portValue & ~(0xFF << shift)) | v << shift);
            return true;
        }
        if (m.kind == Bit && m.index < 16) {
            auto mask = static_cast<uint16_t>(1u << m.index);
            s.portValue = static_cast<uint16_t>(v ? s.portValue | mask : s.portValue & ~mask);
            return true;
        }
        return false;
    }
    case Adc:
    case Dac:
        if (m.index >= (m.area == Adc ? 8 : 2) || v < 0 || v > 255)
            return false;
        (m.area == Adc ? s.adc[m.index] : s.dac[m.index]) = static_cast<uint8_t>(v);
        return true;
    case Register: {
        auto low = static_cast<uint8_t>(v);
        auto& c = s.clock;
        switch (m.index) {
        case 0:
            c.year = static_cast<uint8_t>(low % 100);
            return true;
        case 1:
            c.month = low;
            return true;
        case 2:
            c.day = low;
            return true;
        case 3:
            c.weekday = low;
            return true;
        case 4:
            c.hour = low;
            return true;
        case 5:
            c.minute = low;
            return true;
        case 6:
            c.second = low;
            return true;
        case 7:
            s.timer = static_cast<uint16_t>(v);
            return true;
        case 8:
            s.tone = static_cast<uint16_t>(v);
            return true;
        case 9:
            s.frequency = static_cast<uint16_t>(v);
            return true;
        default:
            return false;
        }
    }
    default:
        return false;
    }
}

int Library::fileLengthLocked() const {
    return machine_.state.fileLength / 2;
}

int Library::fileLength() {
    std::lock_guard lock(mutex_);
    return compiled_ ? fileLengthLocked() : 0;
}

void Library::dumpFile(int16_t* words) {
    if (!words)
        return;
    std::lock_guard lock(mutex_);
    if (!compiled_)
        return;
    const auto& s = machine_.state;
    uint32_t base = s.fileBase;
    auto count = static_cast<uint32_t>(fileLengthLocked());
    count = std::min<uint32_t>(count, 4096);
    for (uint32_t i = 0; i < count && base + 2 * i + 1 < kMemoryEnd; ++i)
        words[i] = static_cast<int16_t>(s.memory[base + 2 * i] << 8 | s.memory[base + 2 * i + 1]);
}

int Library::download(void* port) {
    const int descriptor = quendal::TerminalDescriptor(port);
    if (descriptor < 0)
        return quendal::DownloadWriteFailed;
    std::vector<uint8_t> image;
    {
        std::lock_guard lock(mutex_);
        if (!compiled_)
            return 0;
        image = program_.image;
    }
    std::atomic<int32_t> progress{0}, total{0}, cancel{0};
    return quendal::Download(descriptor, image.data(), static_cast<uint32_t>(image.size()), nullptr,
                             0, progress, total, cancel);
}

} // namespace kestrin
