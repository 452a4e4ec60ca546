// The exported functions: each checks its handles and hands the work to the engine object.
// Handles that name nothing make a call do nothing and answer 0, null or false.
#include "engine/include/quendal32.h"

#include "engine/factory.h"
#include "engine/moltrane.h"

#include <new>

using quendal::CBlock;
using quendal::CMoltranePage;

namespace {

CBlock* BlockOf(EngineHandle engine, BlockHandle handle) {
    return engine != nullptr ? engine->FindBlock(handle) : nullptr;
}

// Wires never cross pages: a page removed later would leave its partners' inputs dangling.
bool SamePage(BlockHandle a, BlockHandle b) {
    return (static_cast<uint32_t>(a) >> 16) == (static_cast<uint32_t>(b) >> 16);
}

} // namespace

extern "C" {

EngineHandle MoltraneCreate(void) {
    return new (std::nothrow) CMoltrane;
}

void MoltraneDestroy(EngineHandle engine) {
    delete engine;
}

const char* MoltraneGetErrorMessage(EngineHandle engine) {
    return engine != nullptr ? engine->ErrorText : nullptr;
}

int MoltraneAddPage(EngineHandle engine, int pageNumber, int afterPage) {
    if (engine == nullptr)
        return 0;
    try {
        return engine->AddPage(pageNumber, afterPage) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

void MoltraneRemovePage(EngineHandle engine, int pageNumber) {
    if (engine != nullptr)
        engine->RemovePage(pageNumber);
}

int MoltraneSetPageName(EngineHandle engine, int pageNumber, const char* name) {
    if (engine == nullptr)
        return 0;
    try {
        return engine->SetPageName(pageNumber, name) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

void MoltraneClearPage(EngineHandle engine, int pageNumber) {
    if (engine != nullptr)
        engine->ClearPage(pageNumber);
}

void MoltraneMovePage(EngineHandle engine, int pageNumber, int afterPage) {
    if (engine != nullptr)
        engine->MovePage(pageNumber, afterPage);
}

int MoltraneAddBlock(EngineHandle engine, int blockTypeId, BlockHandle block) {
    return engine != nullptr ? quendal::AddBlock(*engine, blockTypeId, block) : 0;
}

void MoltraneRemoveBlock(EngineHandle engine, BlockHandle block) {
    if (engine == nullptr)
        return;
    if (CMoltranePage* page =
            engine->FindPage(static_cast<int>(static_cast<uint32_t>(block) >> 16)))
        page->RemoveBlock(block);
}

bool MoltraneHasBlockUserBitmap(EngineHandle engine, BlockHandle block) {
    const CBlock* b = BlockOf(engine, block);
    return b != nullptr && b->HasUserBitmap();
}

bool MoltraneEditBlockParam(EngineHandle engine, BlockHandle block) {
    CBlock* b = BlockOf(engine, block);
    return b != nullptr && b->EditParam();
}

bool MoltraneSetBlockParam(EngineHandle engine, BlockHandle block, const char* text) {
    CBlock* b = BlockOf(engine, block);
    return b != nullptr && b->SetParam(text != nullptr ? text : "");
}

const char* MoltraneGetBlockParam(EngineHandle engine, BlockHandle block) {
    CBlock* b = BlockOf(engine, block);
    return b != nullptr ? b->GetParam() : nullptr;
}

const char* MoltraneGetIndexDescription(EngineHandle engine, BlockHandle block) {
    CBlock* b = BlockOf(engine, block);
    return b != nullptr ? b->GetIndexDescription() : nullptr;
}

bool MoltraneCanConnectBlocks(EngineHandle engine, BlockHandle source, BlockHandle dest) {
    const CBlock* s = BlockOf(engine, source);
    if (s == nullptr)
        return false;
    if (dest == 0)
        return s->CanConnect(nullptr);
    const CBlock* d = BlockOf(engine, dest);
    return d != nullptr && SamePage(source, dest) && d->CanConnect(s);
}

const char* MoltraneGetBlockInputMenu(EngineHandle engine, BlockHandle block) {
    const CBlock* b = BlockOf(engine, block);
    return b != nullptr ? b->InputNames() : nullptr;
}

const char* MoltraneGetBlockInputMenuFlags(EngineHandle engine, BlockHandle source,
                                           BlockHandle dest) {
    const CBlock* s = BlockOf(engine, source);
    const CBlock* d = BlockOf(engine, dest);
    if (s == nullptr || d == nullptr)
        return nullptr;
    d->InputMenuFlags(s, engine->InputMenuFlags);
    return engine->InputMenuFlags;
}

int MoltraneConnectBlocks(EngineHandle engine, BlockHandle source, BlockHandle dest, short input) {
    CBlock* s = BlockOf(engine, source);
    CBlock* d = BlockOf(engine, dest);
    if (s == nullptr || d == nullptr || !SamePage(source, dest))
        return 0;
    const int32_t result = d->Connect(s, input);
    return result < 0 ? 0 : result;
}

void MoltraneSplitBlockConnection(EngineHandle engine, BlockHandle dest, short input) {
    if (CBlock* d = BlockOf(engine, dest))
        d->DisconnectInput(input);
}

int MoltraneCompilerInit(EngineHandle engine) {
    return engine != nullptr ? engine->CompilerInit() : 0;
}

int MoltraneCompile(EngineHandle engine) {
    return engine != nullptr ? engine->Compile() : -1;
}

int MoltraneLoadTable(EngineHandle engine, const char* tableName, const char* tableText) {
    return engine != nullptr ? engine->LoadTable(tableName, tableText) : 0;
}

int MoltraneCompilerDone(EngineHandle engine) {
    return engine != nullptr ? engine->CompilerDone() : 0;
}

int MoltraneGetCodeLength(EngineHandle engine) {
    return engine != nullptr ? engine->CodeLength() : 0;
}

void MoltraneSetOptions(EngineHandle engine, int options) {
    if (engine == nullptr)
        return;
    engine->Options = options;
    engine->Sim.setOptions(options);
}

void MoltraneResetProgram(EngineHandle engine) {
    if (engine != nullptr)
        engine->Sim.resetProgram();
}

uint32_t MoltraneStep(EngineHandle engine) {
    return engine != nullptr ? engine->Sim.step() : quendal::MakeStepResult(quendal::StepError, 0);
}

const char* MoltraneGetSymbolicName(EngineHandle engine, BlockHandle block) {
    CBlock* b = BlockOf(engine, block);
    return b != nullptr ? b->GetSymbolicName() : nullptr;
}

MapCode MoltraneGetMapCode(EngineHandle engine, BlockHandle block) {
    const CBlock* b = BlockOf(engine, block);
    return b != nullptr ? b->GetMapCode() : 0;
}

int MoltraneGetValue(EngineHandle engine, MapCode mapCode) {
    return engine != nullptr ? engine->Sim.getValue(mapCode) : 0;
}

bool MoltraneSetValue(EngineHandle engine, MapCode mapCode, short value) {
    return engine != nullptr && engine->Sim.setValue(mapCode, value);
}

int MoltraneGetFileLength(EngineHandle engine) {
    return engine != nullptr ? engine->Sim.getFileLength() : 0;
}

void MoltraneDumpFile(EngineHandle engine, short* out) {
    if (engine != nullptr && out != nullptr)
        engine->Sim.dumpFile(out);
}

void MoltraneSetInputValue(EngineHandle engine, short value) {
    if (engine != nullptr)
        engine->Sim.setInputValue(value);
}

const char* MoltraneGetOutputString(EngineHandle engine) {
    return engine != nullptr ? engine->Sim.getOutputString() : nullptr;
}

int MoltraneGetPortState(EngineHandle engine) {
    return engine != nullptr ? engine->Sim.getPortState() : 0;
}

void MoltraneSetInitialPortState(EngineHandle engine, unsigned short levels) {
    if (engine != nullptr)
        engine->Sim.setInitialPortState(levels);
}

unsigned short MoltraneGetInitialPortState(EngineHandle engine) {
    return engine != nullptr ? engine->Sim.getInitialPortState() : 0;
}

void MoltraneSetPort(EngineHandle engine, unsigned short line, unsigned short level) {
    if (engine != nullptr)
        engine->Sim.setPort(line, level);
}

int MoltraneGetADC(EngineHandle engine, unsigned short channel) {
    return engine != nullptr ? engine->Sim.getADC(channel) : 0;
}

void MoltraneSetADC(EngineHandle engine, unsigned short channel, unsigned char value) {
    if (engine != nullptr)
        engine->Sim.setADC(channel, value);
}

int MoltraneGetDAC(EngineHandle engine, unsigned short channel) {
    return engine != nullptr ? engine->Sim.getDAC(channel) : 0;
}

const void* MoltraneGetLCD(EngineHandle engine) {
    return engine != nullptr ? engine->Sim.getLCD() : nullptr;
}

const unsigned char* MoltraneGetLED(EngineHandle engine) {
    return engine != nullptr ? engine->Sim.getLED()->digits : nullptr;
}

int MoltraneDownload(EngineHandle engine, void* serialPort) {
    const int descriptor = quendal::TerminalDescriptor(serialPort);
    if (engine == nullptr || descriptor < 0)
        return MoltraneDownloadWriteFailed;
    return quendal::Download(descriptor, engine->DownloadCompiler.Data,
                             static_cast<uint32_t>(engine->DownloadCompiler.Length),
                             engine->FirmwareBytes, static_cast<uint32_t>(engine->FirmwareCount),
                             engine->ProgressCount, engine->ProgressTotal, engine->BreakFlag);
}

int MoltraneGetProgress(EngineHandle engine) {
    return engine != nullptr ? engine->Progress() : 0;
}

void MoltraneBreak(EngineHandle engine) {
    if (engine != nullptr)
        engine->BreakFlag.store(1);
}

} // extern "C"
