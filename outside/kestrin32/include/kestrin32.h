// Kestrin32: the BASIC compiler, simulator and downloader for the Tavrissel unit.
// Plain C interface; every function but LinotrexCreate and MakeLinotrexMapCode takes the
// handle from LinotrexCreate first. Texts are zero-terminated Windows-1252 strings.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(KESTRIN32_BUILDING)
#define KESTRIN32_API __attribute__((visibility("default")))
#else
#define KESTRIN32_API
#endif

// Opaque library handle; 0 is never a valid one.
typedef struct KestrinLibrary* LinotrexHandle;

// Option bits for LinotrexSetOptions.
enum { LinotrexAutoTiming = 1, LinotrexSimulatedBeep = 2 };

// Low word of LinotrexCompile's result.
enum {
    LinotrexCompileOk = 0,
    LinotrexCompileErrors = 1, // high word: number of errors
    LinotrexCompileOutOfMemory = 2,
    LinotrexCompileReadError = 3,
    LinotrexCompileWriteError = 4
};

// Low word of LinotrexStep's result.
enum {
    LinotrexEventEnd = 0,
    LinotrexEventStep = 1, // high word: source line
    LinotrexEventInput = 2,
    LinotrexEventOutput = 3,
    LinotrexEventWait = 4,
    LinotrexEventPause = 5,     // high word: ticks of 20 ms
    LinotrexEventFileStep = 6,  // high word: source line
    LinotrexEventError = 0xFFFF // high word: 1 division by zero, 2 memory access
};

KESTRIN32_API LinotrexHandle LinotrexCreate(void);
KESTRIN32_API void LinotrexDestroy(LinotrexHandle h);
KESTRIN32_API void LinotrexSetMemSourcePointer(LinotrexHandle h, const char* source);
KESTRIN32_API void LinotrexSetCompilerMessageBuffer(LinotrexHandle h, char* buffer, int size);
KESTRIN32_API void LinotrexSetOptions(LinotrexHandle h, int options);
KESTRIN32_API int LinotrexCompile(LinotrexHandle h, const char* directory);
KESTRIN32_API int LinotrexGetCodeLength(LinotrexHandle h);
KESTRIN32_API int LinotrexGetSysCodeLength(LinotrexHandle h);
KESTRIN32_API void LinotrexResetProgram(LinotrexHandle h);
KESTRIN32_API uint32_t LinotrexStep(LinotrexHandle h);
KESTRIN32_API const char* LinotrexGetOutputString(LinotrexHandle h);
KESTRIN32_API void LinotrexSetInputValue(LinotrexHandle h, int16_t value);
KESTRIN32_API void LinotrexSetADC(LinotrexHandle h, int channel, uint8_t value);
KESTRIN32_API int LinotrexGetDAC(LinotrexHandle h, int channel);
KESTRIN32_API uint32_t LinotrexGetPortState(LinotrexHandle h);
KESTRIN32_API int LinotrexGetInitialPortState(LinotrexHandle h);
KESTRIN32_API void LinotrexSetInitialPortState(LinotrexHandle h, int levels);
KESTRIN32_API int LinotrexIsValidBreakPoint(LinotrexHandle h, int line);
KESTRIN32_API uint32_t LinotrexMapSymbol(LinotrexHandle h, const char* name);
KESTRIN32_API int LinotrexGetValue(LinotrexHandle h, uint32_t symbol);
KESTRIN32_API int LinotrexSetValue(LinotrexHandle h, uint32_t symbol, int16_t value);
KESTRIN32_API uint32_t MakeLinotrexMapCode(int kind, int area, int index);
KESTRIN32_API int LinotrexGetFileLength(LinotrexHandle h);
KESTRIN32_API void LinotrexDumpFile(LinotrexHandle h, int16_t* words);
// Results of LinotrexDownload besides the positive number of bytes sent; 0 when nothing is
// compiled.
enum {
    LinotrexDownloadWriteFailed = -2, // a serial write failed, or port is no open terminal
    LinotrexDownloadNoAnswer = -3,    // the unit did not echo a byte in time
    LinotrexDownloadWrongEcho = -4    // transmission error
};
// port: the open terminal's file descriptor, (void*)(intptr_t)fd; the line is set to 9600 8N1
// here and the descriptor is never closed.
KESTRIN32_API int LinotrexDownload(LinotrexHandle h, void* port);

#ifdef __cplusplus
}
#endif
