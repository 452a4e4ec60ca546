// Code generator: the code buffer of one image with its labels and fixups. The engine holds two,
// one for the download image and one for the simulation image (DebugFlag 1).
#pragma once

#include "engine/block.h"
#include "engine/containers.h"
#include "engine/vm/opcodes.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>

namespace quendal {

class CMoltranePage;

// Error record thrown inside the engine and caught at the exported interface. Code is the
// failing block's handle, or -1 when no block is to blame; Message is constant or lives in the
// compiler that threw it.
struct COMPILERERROR {
    int32_t Code;
    const char* Message;
};

// Messages of the compiler (Windows-1252).
inline constexpr const char* kMsgCancelled = "Abbruch durch Anwender";
inline constexpr const char* kMsgTooLong = "Programm zu lang";
inline constexpr const char* kMsgMissingParameter = "fehlender Parameter";
inline constexpr const char* kMsgTableError = "Fehler in Tabelle";
inline constexpr const char* kMsgUndefinedTarget = "Sprungziel/Tabelle nicht definiert";
inline constexpr const char* kMsgUnknown = "unbekannter Compilerfehler";
inline constexpr const char* kMsgDumpNotWritten = "CODE.TXT kann nicht geschrieben werden";

class CMoltraneCompiler : public XXBuffer<unsigned char> {
public:
    static constexpr int32_t kCodeCapacity = 8100;
    // Every address in the code is a memory address: the image stands behind a 4-byte header.
    static constexpr int32_t kImageOffset = 4;
    // A table holds at most this many numbers; further ones are ignored.
    static constexpr int kTableWords = 256;

    NameList LabelList; // (name, code position)
    NameList FixupList; // (name, position of a two-byte operand)
    int32_t DebugFlag = 0;
    XXCollection<CMoltranePage>* PageList = nullptr;
    // Board choice of the LED kind (the ApplicationBoard option), set at each compile.
    int32_t ApplicationBoard = 0;

    CMoltraneCompiler() { Allocate(kCodeCapacity); }

    // Binds to the pages, sets the image kind and empties code, labels and fixups.
    void Bind(XXCollection<CMoltranePage>* pages, int32_t debugFlag);

    // Emit operations of the kinds; each throws XXBufferOverflow when the buffer is full.
    void Emit(uint8_t byte) { Append(byte); }
    void Emit(Op op) { Append(static_cast<uint8_t>(op)); }
    void EmitWord(uint16_t word) { // big-endian, as the machine reads words
        Append(static_cast<uint8_t>(word >> 8));
        Append(static_cast<uint8_t>(word & 0xFF));
    }
    // A two-byte operand that receives the address of label `name` once labels are resolved.
    void EmitFixup(const char* name) {
        AddFixup(name, Length);
        EmitWord(0);
    }
    // A label at the current code position.
    void DefineLabel(const char* name) { AddLabel(name, Length); }
    // Current code position.
    int32_t Here() const { return Length; }
    // Memory address of a code position, as big-endian operand (backward jumps).
    void EmitAddress(int32_t codePosition) {
        EmitWord(static_cast<uint16_t>(codePosition + kImageOffset));
    }
    // Puts the address of codePosition into the two-byte operand at `position` (forward jumps
    // whose target is known once the code behind them is emitted).
    void PatchAddress(int32_t position, int32_t codePosition) {
        const int32_t address = codePosition + kImageOffset;
        At(position) = static_cast<uint8_t>(address >> 8);
        At(position + 1) = static_cast<uint8_t>(address & 0xFF);
    }
    void AddLabel(const char* name, int32_t position);
    void AddFixup(const char* name, int32_t position);
    // Simulation image only: 254 and the page number, so the simulator knows the running page.
    void EmitPageMarker(int32_t pageNumber);
    // Fresh number for labels that must be unique within this image (value switch kind).
    int32_t NewLabelNumber() { return ++labelCounter_; }

    // Compiles the libraries the counts call for and every page, then the end opcode.
    // progressCount rises by one per page; breakFlag is tested before each page.
    void CompileProgram(const KindCounts& counts, std::atomic<int32_t>& progressCount,
                        const std::atomic<int32_t>& breakFlag);
    // Every statement root of the page, in the order the blocks were added.
    void CompilePage(CMoltranePage& page);
    // Appends a table of at most 256 words under the label `name`.
    void LoadTable(const char* name, const char* text);
    // Writes the address of each fixup's label into the code.
    void ResolveFixups();

private:
    const char* KeepName(const char* name);

    std::deque<std::string> names_; // owned copies of every label and fixup name
    int32_t labelCounter_ = 0;
    char message_[256] = {};
};

} // namespace quendal
