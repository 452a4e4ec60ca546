// The engine object behind one EngineHandle: the project's pages with their blocks, the two code
// generators, the LED firmware, the simulator and the progress of a compile or download.
#pragma once

#include "engine/block.h"
#include "engine/compiler.h"
#include "engine/containers.h"
#include "engine/download/download.h"
#include "engine/vm/simulator.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace quendal {

// One program cell: its name (the jump label of goto and gosub blocks) and its blocks keyed by
// BlockHandle. Deleting a page deletes its blocks.
class CMoltranePage {
public:
    CMoltranePage() = default;
    CMoltranePage(const CMoltranePage&) = delete;
    CMoltranePage& operator=(const CMoltranePage&) = delete;
    ~CMoltranePage();

    const char* Name() const { return name_; }
    void SetName(const char* name); // null clears it

    // The first block keyed by the whole handle.
    CBlock* FindBlock(int32_t handle) const;
    // Unlinks the block, frees its inputs and every input of this page that it fed, deletes it.
    void RemoveBlock(int32_t handle);
    void Clear() { Blocks.DeleteAll(); }

    XXCollection<CBlock> Blocks;

private:
    char* name_ = nullptr;
};

} // namespace quendal

struct CMoltrane {
    // Stays the first field: the handle doubles as the address of the last error text.
    char ErrorText[256] = {};
    int32_t Options = 0;
    quendal::XXCollection<quendal::CMoltranePage> Pages;
    quendal::CMoltraneCompiler DownloadCompiler;
    quendal::CMoltraneCompiler SimulationCompiler;
    uint8_t FirmwareBytes[quendal::kFirmwareAreaSize] = {};
    int32_t FirmwareCount = 0;
    quendal::Simulator Sim;
    // Written by the worker thread or the main thread while the other one reads them.
    std::atomic<int32_t> ProgressCount{0};
    std::atomic<int32_t> ProgressTotal{0};
    std::atomic<int32_t> BreakFlag{0};

    // Folder of the LED firmware files; empty: beside the running program.
    std::string FirmwareDirectory;

    // Blocks that call for the keypad and LCD libraries and the LED firmware.
    quendal::KindCounts Counts;
    // Texts handed out by the exports; each engine has its own, valid until the next call.
    char InputMenuFlags[quendal::kMaxInputs + 1] = {};

    CMoltrane() = default;
    CMoltrane(const CMoltrane&) = delete;
    CMoltrane& operator=(const CMoltrane&) = delete;
    ~CMoltrane() { Pages.DeleteAll(); }

    // Copies the message into ErrorText, cut to 255 bytes.
    void SetError(const char* message);

    quendal::CMoltranePage* FindPage(int32_t number) const;
    // The page that bears the name; pages without a name never match.
    quendal::CMoltranePage* FindPageByName(const char* name) const;
    // The block named by a handle: page by the high word, then the block by the whole handle.
    quendal::CBlock* FindBlock(int32_t handle) const;

    // Page operations; each answers false and changes nothing for a number that names no page.
    bool AddPage(int32_t number, int32_t afterPage);
    void RemovePage(int32_t number);
    bool SetPageName(int32_t number, const char* name);
    void ClearPage(int32_t number);
    void MovePage(int32_t number, int32_t afterPage);

    // Progress of the running compile or download in percent.
    int32_t Progress() const;

    // Building the images; each catches the engine's error records and answers as the
    // exported function of the same name does.
    int32_t CompilerInit();
    int32_t Compile();
    int32_t LoadTable(const char* name, const char* text);
    int32_t CompilerDone();
    int32_t CodeLength() const { return DownloadCompiler.Length + FirmwareCount; }
};
