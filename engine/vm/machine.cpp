#include "engine/vm/machine.h"

#include <algorithm>

namespace quendal {

namespace {

constexpr uint32_t kMemoryEnd = static_cast<uint32_t>(kMemorySize);

int16_t Wrap(int value) {
    return static_cast<int16_t>(static_cast<uint16_t>(value));
}

int16_t Truth(bool value) {
    return value ? kTrue : 0;
}

} // namespace

void Machine::push(int16_t value) {
    auto& s = state.stack;
    for (int i = kStackDepth - 1; i > 0; --i)
        s[i] = s[i - 1];
    s[0] = value;
}

// After a two-operand instruction has put its result in b: the deeper entries move up one
// place and the last one keeps its value.
void Machine::pop() {
    auto& s = state.stack;
    for (int i = 1; i < kStackDepth - 1; ++i)
        s[i] = s[i + 1];
}

uint8_t Machine::fetchByte() {
    if (state.pc >= kMemoryEnd)
        throw VmError::BadAddress;
    return state.memory[state.pc++];
}

uint16_t Machine::fetchWord() {
    uint16_t high = fetchByte();
    return static_cast<uint16_t>(high << 8 | fetchByte());
}

void Machine::storeByte(uint8_t value) {
    if (state.pc >= kMemoryEnd)
        throw VmError::BadAddress;
    state.memory[state.pc++] = value;
}

uint16_t Machine::headerWord(int index) const {
    return static_cast<uint16_t>(state.memory[2 * index] << 8 | state.memory[2 * index + 1]);
}

// The header's code length is the download image's; the simulation image is longer, so the
// file moves behind whichever ends later and never overwrites simulation code.
uint16_t Machine::fileBaseFromHeader() const {
    uint32_t base = std::max<uint32_t>(headerWord(0) + uint32_t{kHeaderSize}, state.codeEnd);
    return static_cast<uint16_t>(std::min(base, kMemoryEnd));
}

uint16_t Machine::fileFreeWords() const {
    int free = static_cast<int>(kMemoryEnd) - state.fileBase - state.fileLength;
    return static_cast<uint16_t>(std::max(free, 0) / 2);
}

void Machine::clearStacks() {
    state.stack.fill(0);
    state.gosub.fill(0);
}

void Machine::resetLcd() {
    std::fill(state.lcd.text, state.lcd.text + kLcdSize / 2, 0xFF);
    std::fill(state.lcd.text + kLcdSize / 2, state.lcd.text + kLcdSize, ' ');
    state.lcd.changeCount = 0;
    state.lcd.writePosition = 0;
}

// The file starts where an open would put it: a write before any open must not land on the
// header and the code.
void Machine::resetFile() {
    state.fileBase = fileBaseFromHeader();
    state.filePosition = 0;
    state.fileLength = 0;
}

void Machine::completeInput(uint8_t opcode) {
    if (opcode == static_cast<uint8_t>(Op::InputByte))
        push(static_cast<int16_t>(state.inputValue & 0xFF));
    else
        push(state.inputValue);
}

void Machine::printChar(char c) {
    if (state.printLength < kPrintCapacity)
        state.printBuffer[state.printLength++] = c;
}

void Machine::printDecimal(int16_t value) {
    if (value == 0) {
        printChar('0');
        return;
    }
    int magnitude = value;
    if (magnitude < 0) {
        printChar('-');
        magnitude = -magnitude;
    }
    bool printed = false;
    for (int divisor = 10000; divisor > 0; divisor /= 10) {
        if (magnitude >= divisor || printed) {
            printChar(static_cast<char>('0' + magnitude / divisor));
            printed = true;
        }
        magnitude %= divisor;
    }
}

void Machine::pushRegister(uint8_t n) {
    const Clock& c = state.clock;
    switch (static_cast<Register>(n)) {
    case Register::Year:
        push(c.year);
        break;
    case Register::Month:
        push(c.month);
        break;
    case Register::Day:
        push(c.day);
        break;
    case Register::Weekday:
        push(c.weekday);
        break;
    case Register::Hour:
        push(c.hour);
        break;
    case Register::Minute:
        push(c.minute);
        break;
    case Register::Second:
        push(c.second);
        break;
    case Register::Timer:
        push(static_cast<int16_t>(state.timer));
        break;
    case Register::Frequency:
        push(static_cast<int16_t>(state.frequency));
        break;
    case Register::FileFree:
        push(static_cast<int16_t>(fileFreeWords()));
        break;
    case Register::FileWords:
        push(static_cast<int16_t>(state.fileLength / 2));
        break;
    default:
        break; // tone, 10 and above 12 push nothing
    }
}

void Machine::setRegister(uint8_t n) {
    Clock& c = state.clock;
    auto low = static_cast<uint8_t>(state.stack[0] & 0xFF);
    switch (static_cast<Register>(n)) {
    case Register::Year:
        c.year = low;
        break;
    case Register::Month:
        c.month = low;
        break;
    case Register::Day:
        c.day = low;
        break;
    case Register::Weekday:
        c.weekday = low;
        break;
    case Register::Hour:
        c.hour = low;
        break;
    case Register::Minute:
        c.minute = low;
        break;
    case Register::Second:
        c.second = low;
        break;
    // The sound hook of a real unit would get the tone here; this system makes no sound.
    case Register::Tone:
        state.tone = static_cast<uint16_t>(state.stack[0]);
        break;
    default:
        break;
    }
}

// The file operations move pc over the file and put it back afterwards.
void Machine::fileOperation(uint8_t n) {
    uint16_t savedPc = state.pc;
    switch (static_cast<FileOp>(n)) {
    case FileOp::OpenKeep:
        state.fileBase = fileBaseFromHeader();
        state.fileLength = headerWord(1);
        state.filePosition = 0;
        break;
    case FileOp::OpenEmpty:
        state.fileBase = fileBaseFromHeader();
        state.fileLength = 0;
        state.filePosition = 0;
        break;
    case FileOp::OpenAppend:
        state.fileBase = fileBaseFromHeader();
        state.fileLength = headerWord(1);
        state.filePosition = state.fileLength;
        break;
    case FileOp::Close:
        state.memory[2] = static_cast<uint8_t>(state.fileLength >> 8);
        state.memory[3] = static_cast<uint8_t>(state.fileLength);
        break;
    case FileOp::Write: {
        uint32_t address = uint32_t{state.fileBase} + state.filePosition;
        state.pc = static_cast<uint16_t>(std::min(address, kMemoryEnd));
        auto word = static_cast<uint16_t>(state.stack[0]);
        storeByte(static_cast<uint8_t>(word >> 8));
        storeByte(static_cast<uint8_t>(word));
        state.filePosition = static_cast<uint16_t>(state.filePosition + 2);
        state.fileLength = state.filePosition;
        break;
    }
    case FileOp::Read: {
        uint32_t address = uint32_t{state.fileBase} + state.filePosition;
        state.pc = static_cast<uint16_t>(std::min(address, kMemoryEnd));
        push(static_cast<int16_t>(fetchWord()));
        state.filePosition = static_cast<uint16_t>(state.filePosition + 2);
        break;
    }
    default:
        break;
    }
    state.pc = savedPc;
}

// pc lives in a local while instructions run, so the compiler keeps it in a register.
Event Machine::execute(uint32_t budget) {
    uint16_t pc = state.pc;
    Event event = run(pc, budget);
    state.pc = pc;
    return event;
}

inline Event Machine::run(uint16_t& pc, uint32_t budget) {
    auto& s = state.stack;
    const uint8_t* memory = state.memory.data();
    auto byte = [&]() -> uint8_t {
        if (pc >= kMemoryEnd)
            throw VmError::BadAddress;
        return memory[pc++];
    };
    auto word = [&]() -> uint16_t {
        uint16_t high = byte();
        return static_cast<uint16_t>(high << 8 | byte());
    };
    uint8_t previous = 0;
    uint32_t executed = 0;
    try {
        while (executed < budget) {
            uint8_t op = byte();
            ++executed;
            switch (static_cast<Op>(op)) {
            case Op::ClearStack:
                s.fill(0);
                break;
            case Op::Pause:
                return {EventKind::Pause, static_cast<uint16_t>(s[0]), executed};
            case Op::Jump:
                pc = word();
                break;
            case Op::JumpIfZero: {
                uint16_t target = word();
                if (s[0] == 0)
                    pc = target;
                break;
            }
            case Op::Gosub: {
                uint16_t target = word();
                for (auto& slot : state.gosub) {
                    if (slot == 0) {
                        slot = pc;
                        break;
                    }
                }
                pc = target;
                break;
            }
            case Op::Return:
                for (int i = kGosubDepth - 1; i >= 0; --i) {
                    if (state.gosub[i] != 0) {
                        pc = state.gosub[i];
                        state.gosub[i] = 0;
                        break;
                    }
                }
                break;
            case Op::Nop:
                break;
            case Op::SystemCall:
                return {EventKind::SystemCall, word(), executed};
            case Op::SkipByte:
            case Op::SkipByte2:
            case Op::SkipBaud:
                byte();
                break;
            case Op::SkipWord:
                word();
                break;
            case Op::PushPortBit: {
                uint8_t n = byte() & 31;
                push(Truth(n < 16 && (state.portValue >> n & 1)));
                break;
            }
            case Op::PushPortByte: {
                uint8_t n = byte();
                push(n < 2 ? static_cast<int16_t>(state.portValue >> 8 * n & 0xFF) : 0);
                break;
            }
            case Op::PushPort:
                push(static_cast<int16_t>(state.portValue));
                break;
            case Op::SetPortBit: {
                uint8_t n = byte() & 31;
                if (n < 16) {
                    auto mask = static_cast<uint16_t>(1u << n);
                    if (s[0] & 0xFF)
                        state.portValue |= mask;
                    else
                        state.portValue &= static_cast<uint16_t>(~mask);
                    state.portDirection |= mask;
                }
                break;
            }
            case Op::SetPortByte: {
                int shift = byte() != 0 ? 8 : 0;
                auto mask = static_cast<uint16_t>(0xFF << shift);
                state.portValue =
                    static_cast<uint16_t>((state.portValue & ~mask) | (s[0] & 0xFF) << shift);
                state.portDirection |= mask;
                break;
            }
            case Op::SetPort:
                state.portValue = static_cast<uint16_t>(s[0]);
                state.portDirection = 0xFFFF;
                break;
            case Op::PushAdc: {
                uint8_t n = byte();
                push(n < state.adc.size() ? state.adc[n] : 0);
                break;
            }
            case Op::SetDac: {
                uint8_t n = byte();
                if (n < state.dac.size())
                    state.dac[n] = static_cast<uint8_t>(s[0]);
                break;
            }
            case Op::PushWord:
                push(static_cast<int16_t>(word()));
                break;
            case Op::PushUserBit: {
                uint8_t n = byte();
                push(Truth(n < 8 * state.user.size() && (state.user[n / 8] >> (n & 7) & 1)));
                break;
            }
            case Op::PushUserByte: {
                uint8_t n = byte();
                push(n < state.user.size() ? state.user[n] : 0);
                break;
            }
            case Op::PushUserWord: {
                uint8_t n = byte();
                push(n < state.user.size() / 2
                         ? static_cast<int16_t>(state.user[2 * n] | state.user[2 * n + 1] << 8)
                         : 0);
                break;
            }
            case Op::SetUserBit: {
                uint8_t n = byte();
                if (n < 8 * state.user.size()) {
                    auto mask = static_cast<uint8_t>(1u << (n & 7));
                    if (s[0] != 0)
                        state.user[n / 8] |= mask;
                    else
                        state.user[n / 8] &= static_cast<uint8_t>(~mask);
                }
                break;
            }
            case Op::SetUserByte: {
                uint8_t n = byte();
                if (n < state.user.size())
                    state.user[n] = static_cast<uint8_t>(s[0]);
                break;
            }
            case Op::SetUserWord: {
                uint8_t n = byte();
                if (n < state.user.size() / 2) {
                    state.user[2 * n] = static_cast<uint8_t>(s[0]);
                    state.user[2 * n + 1] = static_cast<uint8_t>(static_cast<uint16_t>(s[0]) >> 8);
                }
                break;
            }
            case Op::TableRead: {
                uint16_t table = word();
                uint16_t back = pc;
                pc = static_cast<uint16_t>(table + 2 * s[0]);
                uint16_t value = word();
                pc = back;
                push(static_cast<int16_t>(value));
                break;
            }
            case Op::PushRegister:
                pushRegister(byte());
                break;
            case Op::SetRegister:
                setRegister(byte());
                break;
            case Op::PrintDecimal:
                printDecimal(s[0]);
                return {EventKind::Print, 0, executed};
            case Op::PrintText:
                for (uint8_t c = byte(); c != 0; c = byte())
                    printChar(static_cast<char>(c));
                return {EventKind::Print, 0, executed};
            case Op::PrintChar:
                printChar(static_cast<char>(s[0] & 0xFF));
                return {EventKind::Print, 0, executed};
            case Op::PushTrue:
            case Op::PushTrue2:
                push(kTrue);
                break;
            case Op::InputByte:
            case Op::InputWord:
                return {EventKind::Input, op, executed};
            case Op::Not:
                s[0] = static_cast<int16_t>(~s[0]);
                break;
            case Op::And:
                s[0] = static_cast<int16_t>(s[1] & s[0]);
                pop();
                break;
            case Op::Nand:
                s[0] = static_cast<int16_t>(~(s[1] & s[0]));
                pop();
                break;
            case Op::Or:
                s[0] = static_cast<int16_t>(s[1] | s[0]);
                pop();
                break;
            case Op::Nor:
                s[0] = static_cast<int16_t>(~(s[1] | s[0]));
                pop();
                break;
            case Op::Xor:
                s[0] = static_cast<int16_t>(s[1] ^ s[0]);
                pop();
                break;
            case Op::ShiftLeft: {
                int count = s[0] & 31;
                s[0] = count >= 16 ? 0 : Wrap(static_cast<uint16_t>(s[1]) << count);
                pop();
                break;
            }
            case Op::ShiftRight:
                s[0] = static_cast<int16_t>(s[1] >> (s[0] & 31));
                pop();
                break;
            case Op::RandomSeed:
                state.seed = s[0];
                if (state.seed == 0)
                    state.seed = static_cast<int16_t>(state.timer);
                if (state.seed == 0)
                    state.seed = 1808;
                break;
            case Op::Random:
                state.seed = Wrap(static_cast<uint16_t>(state.seed) * 251);
                push(state.seed);
                break;
            case Op::Negate:
                s[0] = Wrap(-s[0]);
                break;
            case Op::Add:
                s[0] = Wrap(s[1] + s[0]);
                pop();
                break;
            case Op::Subtract:
                s[0] = Wrap(s[1] - s[0]);
                pop();
                break;
            case Op::Multiply:
                s[0] = Wrap(s[1] * s[0]);
                pop();
                break;
            case Op::Divide:
                if (s[0] == 0)
                    throw VmError::DivisionByZero;
                s[0] = Wrap(s[1] / s[0]);
                pop();
                break;
            case Op::Remainder:
                if (s[0] == 0)
                    throw VmError::DivisionByZero;
                s[0] = Wrap(s[1] % s[0]);
                pop();
                break;
            case Op::Abs:
                s[0] = Wrap(s[0] < 0 ? -s[0] : s[0]);
                break;
            case Op::Sqrt:
                if (s[0] <= 0) {
                    s[0] = 0;
                } else {
                    int x = 1;
                    for (int i = 0; i < 10; ++i)
                        x = (x + s[0] / x) / 2;
                    s[0] = Wrap(x);
                }
                break;
            case Op::Max:
                s[0] = std::max(s[1], s[0]);
                pop();
                break;
            case Op::Min:
                s[0] = std::min(s[1], s[0]);
                pop();
                break;
            case Op::Greater:
                s[0] = Truth(s[1] > s[0]);
                pop();
                break;
            case Op::GreaterEqual:
                s[0] = Truth(s[1] >= s[0]);
                pop();
                break;
            case Op::Less:
                s[0] = Truth(s[1] < s[0]);
                pop();
                break;
            case Op::LessEqual:
                s[0] = Truth(s[1] <= s[0]);
                pop();
                break;
            case Op::Equal:
                s[0] = Truth(s[1] == s[0]);
                pop();
                break;
            case Op::NotEqual:
                s[0] = Truth(s[1] != s[0]);
                pop();
                break;
            case Op::Sign:
                s[0] = static_cast<int16_t>((s[0] > 0) - (s[0] < 0));
                break;
            case Op::FileOp: {
                uint16_t before = state.fileLength;
                uint8_t n = byte();
                state.pc = pc;
                fileOperation(n);
                if (state.fileLength != before)
                    return {EventKind::FileChanged, 0, executed};
                break;
            }
            case Op::FileEnd:
                push(Truth(state.filePosition >= state.fileLength));
                break;
            case Op::PushUserByteJumpEq:
            case Op::PushUserWordJumpEq: {
                uint8_t n = byte();
                uint16_t target = word();
                int16_t value = 0;
                if (op == static_cast<uint8_t>(Op::PushUserByteJumpEq))
                    value = n < state.user.size() ? state.user[n] : 0;
                else if (n < state.user.size() / 2)
                    value = static_cast<int16_t>(state.user[2 * n] | state.user[2 * n + 1] << 8);
                push(value);
                if (s[0] == s[1])
                    pc = target;
                break;
            }
            case Op::AddStoreByteJump:
            case Op::AddStoreWordJump: {
                uint8_t n = byte();
                uint16_t target = word();
                s[0] = Wrap(s[1] + s[0]);
                pop();
                if (op == static_cast<uint8_t>(Op::AddStoreByteJump)) {
                    if (n < state.user.size())
                        state.user[n] = static_cast<uint8_t>(s[0]);
                } else if (n < state.user.size() / 2) {
                    state.user[2 * n] = static_cast<uint8_t>(s[0]);
                    state.user[2 * n + 1] = static_cast<uint8_t>(static_cast<uint16_t>(s[0]) >> 8);
                }
                pc = target;
                break;
            }
            case Op::TogglePortBit: {
                uint8_t n = byte() & 31;
                if (n < 16)
                    state.portValue ^= static_cast<uint16_t>(1u << n);
                break;
            }
            case Op::SetDirectionBit: {
                uint8_t n = byte() & 31;
                if (n < 16)
                    state.portDirection |= static_cast<uint16_t>(1u << n);
                break;
            }
            case Op::ClearDirectionBit: {
                uint8_t n = byte() & 31;
                if (n < 16)
                    state.portDirection &= static_cast<uint16_t>(~(1u << n));
                break;
            }
            case Op::ClearDirectionByte:
                state.portDirection &= byte() != 0 ? 0x00FF : 0xFF00;
                break;
            case Op::ClearDirections:
                state.portDirection = 0;
                break;
            case Op::LedChanged:
                return {EventKind::LedChanged, 0, executed};
            case Op::LcdSecondLine:
                state.lcd.writePosition = kLcdSize / 2;
                break;
            case Op::LcdFirstLine:
                state.lcd.writePosition = 0;
                break;
            case Op::LcdChar: {
                LcdTextBuffer& lcd = state.lcd;
                lcd.writePosition %= kLcdSize;
                lcd.text[lcd.writePosition++] = static_cast<uint8_t>(s[0]);
                ++lcd.changeCount;
                return {EventKind::LcdChanged, 0, executed};
            }
            case Op::WaitLoopHead:
                if (previous == static_cast<uint8_t>(Op::JumpIfZero))
                    return {EventKind::WaitLoop, 0, executed};
                break;
            case Op::PageMarker:
                return {EventKind::PageMarker, word(), executed};
            case Op::End:
                return {EventKind::End, 0, executed};
            }
            previous = op;
        }
    } catch (VmError error) {
        return {EventKind::Error, static_cast<uint16_t>(error), executed};
    }
    return {EventKind::Budget, 0, executed};
}

} // namespace quendal
