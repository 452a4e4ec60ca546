// The exported C functions: each forwards to the library object behind the handle and keeps
// every exception inside the library.
#include "outside/kestrin32/include/kestrin32.h"

#include <new>

#include "outside/kestrin32/src/library.h"

struct KestrinLibrary {
    kestrin::Library library;
};

namespace {

template <typename F, typename R> R Guard(LinotrexHandle h, R failed, F&& f) {
    if (!h)
        return failed;
    try {
        return f(h->library);
    } catch (...) {
        return failed;
    }
}

template <typename F> void Guard(LinotrexHandle h, F&& f) {
    if (!h)
        return;
    try {
        f(h->library);
    } catch (...) {
    }
}

} // namespace

extern "C" {

LinotrexHandle LinotrexCreate(void) {
    return new (std::nothrow) KestrinLibrary;
}

void LinotrexDestroy(LinotrexHandle h) {
    delete h;
}

void LinotrexSetMemSourcePointer(LinotrexHandle h, const char* source) {
    Guard(h, [&](kestrin::Library& l) { l.setSource(source); });
}

void LinotrexSetCompilerMessageBuffer(LinotrexHandle h, char* buffer, int size) {
    Guard(h, [&](kestrin::Library& l) { l.setMessageBuffer(buffer, size); });
}

void LinotrexSetOptions(LinotrexHandle h, int options) {
    Guard(h, [&](kestrin::Library& l) { l.setOptions(options); });
}

int LinotrexCompile(LinotrexHandle h, const char*) {
    return Guard(h, int{LinotrexCompileOutOfMemory},
                 [](kestrin::Library& l) { return l.compile(); });
}

int LinotrexGetCodeLength(LinotrexHandle h) {
    return Guard(h, 0, [](kestrin::Library& l) { return l.codeLength(); });
}

int LinotrexGetSysCodeLength(LinotrexHandle h) {
    return Guard(h, 0, [](kestrin::Library& l) { return l.sysCodeLength(); });
}

void LinotrexResetProgram(LinotrexHandle h) {
    Guard(h, [](kestrin::Library& l) { l.reset(); });
}

uint32_t LinotrexStep(LinotrexHandle h) {
    return Guard(h, uint32_t{LinotrexEventError}, [](kestrin::Library& l) { return l.step(); });
}

const char* LinotrexGetOutputString(LinotrexHandle h) {
    return Guard(h, "", [](kestrin::Library& l) { return l.outputString(); });
}

void LinotrexSetInputValue(LinotrexHandle h, int16_t value) {
    Guard(h, [&](kestrin::Library& l) { l.setInputValue(value); });
}

void LinotrexSetADC(LinotrexHandle h, int channel, uint8_t value) {
    Guard(h, [&](kestrin::Library& l) { l.setAdc(channel, value); });
}

int LinotrexGetDAC(LinotrexHandle h, int channel) {
    return Guard(h, 0, [&](kestrin::Library& l) { return l.dac(channel); });
}

uint32_t LinotrexGetPortState(LinotrexHandle h) {
    return Guard(h, uint32_t{0}, [](kestrin::Library& l) { return l.portState(); });
}

int LinotrexGetInitialPortState(LinotrexHandle h) {
    return Guard(h, 0, [](kestrin::Library& l) { return l.initialPortState(); });
}

void LinotrexSetInitialPortState(LinotrexHandle h, int levels) {
    Guard(h, [&](kestrin::Library& l) { l.setInitialPortState(levels); });
}

int LinotrexIsValidBreakPoint(LinotrexHandle h, int line) {
    return Guard(h, 0, [&](kestrin::Library& l) { return l.isValidBreakPoint(line) ? 1 : 0; });
}

uint32_t LinotrexMapSymbol(LinotrexHandle h, const char* name) {
    return Guard(h, uint32_t{0}, [&](kestrin::Library& l) { return l.mapSymbol(name); });
}

int LinotrexGetValue(LinotrexHandle h, uint32_t symbol) {
    return Guard(h, 0, [&](kestrin::Library& l) { return l.value(symbol); });
}

int LinotrexSetValue(LinotrexHandle h, uint32_t symbol, int16_t value) {
    return Guard(h, 0, [&](kestrin::Library& l) { return l.setValue(symbol, value) ? 1 : 0; });
}

uint32_t MakeLinotrexMapCode(int kind, int area, int index) {
    return static_cast<uint32_t>(kind & 0xFF) << 24 | static_cast<uint32_t>(area & 0xFF) << 16 |
           static_cast<uint32_t>(index & 0xFFFF);
}

int LinotrexGetFileLength(LinotrexHandle h) {
    return Guard(h, 0, [](kestrin::Library& l) { return l.fileLength(); });
}

void LinotrexDumpFile(LinotrexHandle h, int16_t* words) {
    Guard(h, [&](kestrin::Library& l) { l.dumpFile(words); });
}

int LinotrexDownload(LinotrexHandle h, void* port) {
    return Guard(h, 0, [&](kestrin::Library& l) { return l.download(port); });
}

} // extern "C"
