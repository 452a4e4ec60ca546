#include "engine/vm/simulator.h"

#include <algorithm>
#include <ctime>

#include "platform/system.h"

namespace quendal {

namespace {

constexpr uint8_t kLedDark = 0xFF;
constexpr uint8_t kLedMinus = 253;
constexpr uint8_t kLedPoint = 0x80; // cleared = point lit

constexpr uint8_t kLedDigits[10] = {130, 207, 145, 133, 204, 164, 160, 143, 128, 132};

} // namespace

HostTime HostTime::System() {
    HostTime t;
    t.tickCount = [] { return platform::TickCount(); };
    t.localTime = [] {
        std::time_t now = std::time(nullptr);
        std::tm tm{};
        localtime_r(&now, &tm);
        Clock c{};
        c.hour = static_cast<uint8_t>(tm.tm_hour);
        c.minute = static_cast<uint8_t>(tm.tm_min);
        c.second = static_cast<uint8_t>(tm.tm_sec);
        c.weekday = static_cast<uint8_t>(tm.tm_wday);
        c.day = static_cast<uint8_t>(tm.tm_mday);
        c.month = static_cast<uint8_t>(tm.tm_mon + 1);
        c.year = static_cast<uint8_t>(tm.tm_year % 100);
        return c;
    };
    t.sleep = [](uint32_t ms) { platform::SleepMilliseconds(ms); };
    return t;
}

Simulator::Simulator() : Simulator(HostTime::System()) {}

Simulator::Simulator(HostTime time) : time_(std::move(time)) {
    machine_.resetLcd();
    ledReset();
    machine_.state.pc = kProgramStart;
}

bool Simulator::loadImage(const uint8_t* image, std::size_t length, uint16_t codeLength) {
    if (length > kMemorySize - kHeaderSize)
        return false;
    auto& m = machine_.state.memory;
    m[0] = static_cast<uint8_t>(codeLength >> 8);
    m[1] = static_cast<uint8_t>(codeLength);
    m[2] = 0;
    m[3] = 0;
    std::copy(image, image + length, m.begin() + kHeaderSize);
    std::fill(m.begin() + kHeaderSize + static_cast<std::ptrdiff_t>(length), m.end(), 0);
    machine_.state.codeEnd = static_cast<uint16_t>(kHeaderSize + length);
    machine_.resetFile(); // a new image moves the file area behind it
    return true;
}

void Simulator::refreshClock() {
    if (time_.localTime)
        machine_.state.clock = time_.localTime();
    if (time_.tickCount)
        machine_.state.timer = static_cast<uint16_t>(time_.tickCount() / 20);
}

void Simulator::resetProgram() {
    MachineState& s = machine_.state;
    machine_.clearStacks();
    lastPageMarker_ = 0;
    pendingInput_ = 0;
    inputWaiting_ = false;
    s.inputValue = 0;
    s.printLength = 0;
    s.portValue = initialPortState_;
    s.portDirection = 0;
    s.adc.fill(0);
    s.dac.fill(0);
    s.user.fill(0);
    s.tone = 0;
    s.frequency = 0;
    if (options_ & kOptionAutoTiming) {
        refreshClock();
    } else {
        s.timer = 0;
        s.clock = Clock{};
    }
    machine_.resetFile();
    machine_.resetLcd();
    ledReset();
    s.pc = kProgramStart;
}

StepResult Simulator::fail(uint16_t code) {
    MachineState& s = machine_.state;
    s.pc = saved_.pc;
    s.stack = saved_.stack;
    s.seed = saved_.seed;
    return MakeStepResult(StepError, code);
}

StepResult Simulator::step() {
    MachineState& s = machine_.state;
    saved_ = {s.pc, s.stack, s.seed};
    const bool autoTiming = options_ & kOptionAutoTiming;
    try {
        if (autoTiming)
            refreshClock();
        if (pendingInput_ != 0) {
            if (inputWaiting_)
                return MakeStepResult(StepInput, lastPageMarker_);
            machine_.completeInput(pendingInput_);
            pendingInput_ = 0;
        }
        uint32_t budget = budget_;
        uint32_t sleptTicks = 0;
        for (;;) {
            Event e = machine_.execute(budget);
            budget -= std::min(budget, e.executed);
            switch (e.kind) {
            case EventKind::Pause:
                if (autoTiming && e.value > kShortPauseTicks) {
                    s.timer = static_cast<uint16_t>(s.timer + e.value);
                    return MakeStepResult(StepLongPause, e.value);
                }
                if (autoTiming) {
                    time_.sleep(uint32_t{e.value} * 20);
                    s.timer = static_cast<uint16_t>(s.timer + e.value);
                    // A loop of short pauses must not keep the host away for long.
                    sleptTicks += e.value;
                    if (sleptTicks >= kShortPauseTicks)
                        return MakeStepResult(StepWaitLoop, lastPageMarker_);
                }
                break;
            case EventKind::SystemCall:
                if (e.value == kSysLedNumber)
                    ledNumber(s.stack[2], s.stack[0], s.stack[1]);
                else if (e.value == kSysLedShiftIn)
                    ledShiftIn(static_cast<uint8_t>(s.stack[0]));
                break;
            case EventKind::Print:
                return MakeStepResult(StepPrint, lastPageMarker_);
            case EventKind::Input:
                pendingInput_ = static_cast<uint8_t>(e.value);
                inputWaiting_ = true;
                return MakeStepResult(StepInput, lastPageMarker_);
            case EventKind::LedChanged:
                return MakeStepResult(StepLedChanged, lastPageMarker_);
            case EventKind::WaitLoop:
            case EventKind::Budget:
                return MakeStepResult(StepWaitLoop, lastPageMarker_);
            case EventKind::PageMarker:
                lastPageMarker_ = e.value;
                return MakeStepResult(StepPageMarker, e.value);
            case EventKind::End:
                s.pc = kProgramStart;
                return MakeStepResult(StepEnd, lastPageMarker_);
            case EventKind::FileChanged:
                return MakeStepResult(StepFileChanged, lastPageMarker_);
            case EventKind::LcdChanged:
                return MakeStepResult(StepLcdChanged, lastPageMarker_);
            case EventKind::Error:
                return fail(e.value);
            }
            if (budget == 0)
                return MakeStepResult(StepWaitLoop, lastPageMarker_);
        }
    } catch (...) {
        return fail(0);
    }
}

int32_t Simulator::getValue(int32_t mapCode) const {
    const MachineState& s = machine_.state;
    const auto code = static_cast<uint32_t>(mapCode);
    const uint8_t kind = code >> 24;
    const uint8_t area = code >> 16 & 0xFF;
    // The whole index counts: a block keeps a refused number, and the low byte of its index
    // must not reach the value another block shows.
    const uint16_t n = code & 0xFFFF;
    switch (area) {
    case MapUserMemory:
        if (kind == MapWord && n < s.user.size() / 2)
            return s.user[2 * n] | s.user[2 * n + 1] << 8;
        if (kind == MapByte && n < s.user.size())
            return s.user[n];
        if (kind == MapBit && n < 8 * s.user.size())
            return (s.user[n / 8] >> (n & 7) & 1) ? -1 : 0;
        return 0;
    case MapPort: {
        if (kind == MapWord)
            return s.portValue;
        if (kind == MapByte)
            return n < 2 ? s.portValue >> 8 * n & 0xFF : 0;
        if (kind == MapBit && n < 16)
            return s.portValue >> n & 1;
        return 0;
    }
    case MapAdc:
        return n < s.adc.size() ? s.adc[n] : 0;
    case MapDac:
        return n < s.dac.size() ? s.dac[n] : 0;
    case MapRegister:
        switch (n) {
        case 0:
            return s.clock.year;
        case 1:
            return s.clock.month;
        case 2:
            return s.clock.day;
        case 3:
            return s.clock.weekday;
        case 4:
            return s.clock.hour;
        case 5:
            return s.clock.minute;
        case 6:
            return s.clock.second;
        case 7:
            return s.timer;
        case 8:
            return s.tone;
        case 9:
            return s.frequency;
        case 11:
            return machine_.fileFreeWords();
        case 12:
            return s.fileLength;
        default:
            return 0;
        }
    default:
        return 0;
    }
}

bool Simulator::setValue(int32_t mapCode, int16_t value) {
    MachineState& s = machine_.state;
    const auto code = static_cast<uint32_t>(mapCode);
    const uint8_t kind = code >> 24;
    const uint8_t area = code >> 16 & 0xFF;
    const uint16_t n = code & 0xFFFF; // the whole index counts, as in getValue
    if (kind == MapByte && (value < 0 || value > 255))
        return false;
    if (kind == MapBit && (value < 0 || value > 1))
        return false;
    const auto word = static_cast<uint16_t>(value);
    const auto low = static_cast<uint8_t>(word & 0xFF);
    switch (area) {
    case MapUserMemory:
        if (kind == MapWord) {
            if (n >= s.user.size() / 2)
                return false;
            s.user[2 * n] = low;
            s.user[2 * n + 1] = static_cast<uint8_t>(word >> 8);
        } else if (kind == MapByte) {
            if (n >= s.user.size())
                return false;
            s.user[n] = low;
        } else if (kind == MapBit) {
            if (n >= 8 * s.user.size())
                return false;
            auto mask = static_cast<uint8_t>(1u << (n & 7));
            if (value)
                s.user[n / 8] |= mask;
            else
                s.user[n / 8] &= static_cast<uint8_t>(~mask);
        }
        return true;
    case MapPort:
        if (kind == MapWord) {
            s.portValue = word;
        } else if (kind == MapByte) {
            if (n > 1)
                return false;
            int shift = 8 * n;
            s.portValue = static_cast<uint16_t>((s.portValue & ~(0xFF << shift)) | low << shift);
        } else if (kind == MapBit) {
            if (n >= 16)
                return false;
            auto mask = static_cast<uint16_t>(1u << n);
            s.portValue = static_cast<uint16_t>(value ? s.portValue | mask : s.portValue & ~mask);
        }
        return true;
    case MapAdc:
        if (n >= s.adc.size())
            return false;
        s.adc[n] = low;
        return true;
    case MapDac:
        if (n >= s.dac.size())
            return false;
        s.dac[n] = low;
        return true;
    case MapRegister:
        switch (n) {
        case 0:
            s.clock.year = low % 100;
            break;
        case 1:
            s.clock.month = low;
            break;
        case 2:
            s.clock.day = low;
            break;
        case 3:
            s.clock.weekday = low;
            break;
        case 4:
            s.clock.hour = low;
            break;
        case 5:
            s.clock.minute = low;
            break;
        case 6:
            s.clock.second = low;
            break;
        case 7:
            s.timer = word;
            break;
        case 8:
            s.tone = word;
            break;
        case 9:
            s.frequency = word;
            break;
        case 10:
        case 11:
        case 12:
            break; // read-only
        default:
            return false;
        }
        return true;
    default:
        return true;
    }
}

int32_t Simulator::getFileLength() const {
    return machine_.state.fileLength / 2;
}

void Simulator::dumpFile(int16_t* out) const {
    const auto& m = machine_.state.memory;
    const uint32_t base = machine_.fileBaseFromHeader();
    const int words = getFileLength();
    for (int i = 0; i < words; ++i) {
        uint32_t address = base + 2 * static_cast<uint32_t>(i);
        out[i] =
            address + 1 < kMemorySize ? static_cast<int16_t>(m[address] << 8 | m[address + 1]) : 0;
    }
}

void Simulator::setInputValue(int16_t value) {
    machine_.state.inputValue = value;
    inputWaiting_ = false;
}

const char* Simulator::getOutputString() {
    MachineState& s = machine_.state;
    s.printBuffer[s.printLength] = '\0';
    s.printLength = 0;
    return s.printBuffer;
}

int32_t Simulator::getPortState() const {
    const MachineState& s = machine_.state;
    return static_cast<int32_t>(static_cast<uint32_t>(s.portDirection) << 16 | s.portValue);
}

void Simulator::setPort(uint16_t line, uint16_t level) {
    const int bit = line & 31;
    if (bit >= 16)
        return;
    auto mask = static_cast<uint16_t>(1u << bit);
    uint16_t& port = machine_.state.portValue;
    port = static_cast<uint16_t>((level & 0xFF) ? port | mask : port & ~mask);
}

int32_t Simulator::getADC(uint16_t channel) const {
    return channel < machine_.state.adc.size() ? machine_.state.adc[channel] : 0;
}

void Simulator::setADC(uint16_t channel, uint8_t value) {
    if (channel < machine_.state.adc.size())
        machine_.state.adc[channel] = value;
}

int32_t Simulator::getDAC(uint16_t channel) const {
    return channel < machine_.state.dac.size() ? machine_.state.dac[channel] : 0;
}

void Simulator::ledReset() {
    std::fill(std::begin(led_.digits), std::end(led_.digits), kLedDark);
}

void Simulator::ledShiftIn(uint8_t segments) {
    std::copy_backward(led_.digits, led_.digits + 5, led_.digits + 6);
    led_.digits[0] = segments;
}

void Simulator::ledNumber(int16_t value, int16_t places, int16_t pointPlace) {
    int magnitude = value < 0 ? -int{value} : value;
    bool minusShown = false;
    for (int i = 1; i <= places; ++i) {
        if (magnitude != 0 || i <= pointPlace || i == 1) {
            uint8_t segments = kLedDigits[magnitude % 10];
            if (i == pointPlace)
                segments &= static_cast<uint8_t>(~kLedPoint);
            ledShiftIn(segments);
        } else if (value < 0 && !minusShown) {
            ledShiftIn(kLedMinus);
            minusShown = true;
        } else {
            ledShiftIn(kLedDark);
        }
        magnitude /= 10;
    }
}

uint8_t Simulator::ledSegments(uint8_t character) {
    if (character >= '0' && character <= '9')
        return kLedDigits[character - '0'];
    switch (character) {
    case '-':
        return 253;
    case 'A':
        return 136;
    case 'b':
        return 224;
    case 'C':
        return 178;
    case 'c':
        return 241;
    case 'd':
        return 193;
    case 'E':
        return 176;
    case 'F':
        return 184;
    case 'G':
        return 162;
    case 'H':
        return 200;
    case 'h':
        return 232;
    case 'I':
        return 250;
    case 'J':
        return 195;
    case 'L':
        return 242;
    case 'N':
        return 138;
    case 'n':
        return 233;
    case 'O':
        return 148;
    case 'o':
        return 225;
    case 'P':
        return 152;
    case 'q':
        return 140;
    case 'r':
        return 249;
    case 't':
        return 240;
    case 'U':
        return 194;
    case 'u':
        return 227;
    case 'Y':
        return 196;
    case '_':
        return 247;
    case 176:
        return 156; // degree sign
    case 181:
        return 216; // micro sign
    case 246:
        return 161; // o umlaut
    case 252:
        return 163; // u umlaut
    default:
        return kLedDark;
    }
}

} // namespace quendal
