/* Exported interface of the block engine library libquendal32.so. Texts are zero-terminated
   Windows-1252 strings; every pointer returned stays owned by the engine and is valid until the
   next call that changes what it points to. */
#ifndef QUENDAL32_H
#define QUENDAL32_H

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define QUENDAL32_API __attribute__((visibility("default")))

/* The engine object's address; read as text it is the last error message. */
typedef struct CMoltrane* EngineHandle;
/* Page number in the high word, the block's number within the page in the low word. */
typedef int32_t BlockHandle;
/* kind << 24 | area << 16 | index of a simulator value. */
typedef int32_t MapCode;

QUENDAL32_API EngineHandle MoltraneCreate(void);
QUENDAL32_API void MoltraneDestroy(EngineHandle engine);
QUENDAL32_API const char* MoltraneGetErrorMessage(EngineHandle engine);
QUENDAL32_API int MoltraneAddPage(EngineHandle engine, int pageNumber, int afterPage);
QUENDAL32_API void MoltraneRemovePage(EngineHandle engine, int pageNumber);
QUENDAL32_API int MoltraneSetPageName(EngineHandle engine, int pageNumber, const char* name);
QUENDAL32_API void MoltraneClearPage(EngineHandle engine, int pageNumber);
QUENDAL32_API void MoltraneMovePage(EngineHandle engine, int pageNumber, int afterPage);
QUENDAL32_API int MoltraneAddBlock(EngineHandle engine, int blockTypeId, BlockHandle block);
QUENDAL32_API void MoltraneRemoveBlock(EngineHandle engine, BlockHandle block);
QUENDAL32_API bool MoltraneHasBlockUserBitmap(EngineHandle engine, BlockHandle block);
QUENDAL32_API bool MoltraneEditBlockParam(EngineHandle engine, BlockHandle block);
QUENDAL32_API bool MoltraneSetBlockParam(EngineHandle engine, BlockHandle block, const char* text);
QUENDAL32_API const char* MoltraneGetBlockParam(EngineHandle engine, BlockHandle block);
QUENDAL32_API const char* MoltraneGetIndexDescription(EngineHandle engine, BlockHandle block);
QUENDAL32_API bool MoltraneCanConnectBlocks(EngineHandle engine, BlockHandle source,
                                            BlockHandle dest);
QUENDAL32_API const char* MoltraneGetBlockInputMenu(EngineHandle engine, BlockHandle block);
QUENDAL32_API const char* MoltraneGetBlockInputMenuFlags(EngineHandle engine, BlockHandle source,
                                                         BlockHandle dest);
QUENDAL32_API int MoltraneConnectBlocks(EngineHandle engine, BlockHandle source, BlockHandle dest,
                                        short input);
QUENDAL32_API void MoltraneSplitBlockConnection(EngineHandle engine, BlockHandle dest, short input);
QUENDAL32_API int MoltraneCompilerInit(EngineHandle engine);
QUENDAL32_API int MoltraneCompile(EngineHandle engine);
QUENDAL32_API int MoltraneLoadTable(EngineHandle engine, const char* tableName,
                                    const char* tableText);
QUENDAL32_API int MoltraneCompilerDone(EngineHandle engine);
QUENDAL32_API int MoltraneGetCodeLength(EngineHandle engine);
QUENDAL32_API void MoltraneSetOptions(EngineHandle engine, int options);
QUENDAL32_API void MoltraneResetProgram(EngineHandle engine);
QUENDAL32_API uint32_t MoltraneStep(EngineHandle engine);
QUENDAL32_API const char* MoltraneGetSymbolicName(EngineHandle engine, BlockHandle block);
QUENDAL32_API MapCode MoltraneGetMapCode(EngineHandle engine, BlockHandle block);
QUENDAL32_API int MoltraneGetValue(EngineHandle engine, MapCode mapCode);
QUENDAL32_API bool MoltraneSetValue(EngineHandle engine, MapCode mapCode, short value);
QUENDAL32_API int MoltraneGetFileLength(EngineHandle engine);
QUENDAL32_API void MoltraneDumpFile(EngineHandle engine, short* out);
QUENDAL32_API void MoltraneSetInputValue(EngineHandle engine, short value);
QUENDAL32_API const char* MoltraneGetOutputString(EngineHandle engine);
QUENDAL32_API int MoltraneGetPortState(EngineHandle engine);
QUENDAL32_API void MoltraneSetInitialPortState(EngineHandle engine, unsigned short levels);
QUENDAL32_API unsigned short MoltraneGetInitialPortState(EngineHandle engine);
QUENDAL32_API void MoltraneSetPort(EngineHandle engine, unsigned short line, unsigned short level);
QUENDAL32_API int MoltraneGetADC(EngineHandle engine, unsigned short channel);
QUENDAL32_API void MoltraneSetADC(EngineHandle engine, unsigned short channel, unsigned char value);
QUENDAL32_API int MoltraneGetDAC(EngineHandle engine, unsigned short channel);
/* The simulated LCD: its first 64 bytes are the two lines of 32 characters. */
QUENDAL32_API const void* MoltraneGetLCD(EngineHandle engine);
/* The simulated LED display: six segment codes. */
QUENDAL32_API const unsigned char* MoltraneGetLED(EngineHandle engine);
/* Results of MoltraneDownload besides the positive number of bytes sent. */
enum {
    MoltraneDownloadWriteFailed = -2, /* a serial write failed, or serialPort is no open terminal */
    MoltraneDownloadNoEcho = -3,      /* the unit did not echo a byte in time */
    MoltraneDownloadWrongEcho = -4,   /* the echoed byte differs */
    MoltraneDownloadCancelled = -5    /* MoltraneBreak */
};
/* serialPort: the open terminal's file descriptor, (void*)(intptr_t)fd; the line is set to 9600
   8N1 here and the descriptor is never closed. */
QUENDAL32_API int MoltraneDownload(EngineHandle engine, void* serialPort);
QUENDAL32_API int MoltraneGetProgress(EngineHandle engine);
QUENDAL32_API void MoltraneBreak(EngineHandle engine);

#ifdef __cplusplus
}
#endif

#endif
