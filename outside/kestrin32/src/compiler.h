// The BASIC compiler: source text in, byte code for the unit out, with the tables that the
// simulator and the debugger need (statement starts, wait loops, symbols).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

// The image starts at this machine address, behind the memory header.
inline constexpr uint16_t kCodeBase = 4;
// Room for the image: the machine's memory less the header.
inline constexpr uint32_t kMaxImage = 8180 - kCodeBase;

struct Program {
    std::vector<uint8_t> image; // instructions, the end opcode, then the tables
    uint16_t basicBytes = 0;    // instructions including the end opcode
    uint16_t tableBytes = 0;    // tables behind them
    // Source line of the statement starting at each machine address, 0 elsewhere.
    std::vector<uint16_t> statementLine;
    // Source line of every image byte, for a step that stops inside a statement.
    std::vector<uint16_t> codeLine;
    // Machine addresses of the conditional jumps that close a WAIT loop.
    std::vector<uint16_t> waitJumps;
    // Upper-case variable name -> map code of its memory cell.
    std::map<std::string, uint32_t> symbols;
};

struct CompileMessage {
    int line;
    std::string text; // Windows-1252
};

struct CompileOutput {
    Program program;
    std::vector<CompileMessage> errors; // the first ones by line; empty on success
    int errorCount = 0;                 // all errors found, also those not listed
};

CompileOutput Compile(std::string_view source);

// Map code of a resource written alone ("WORD[3]", "PORT[1]", "TIMER"); 0 when none.
uint32_t ResourceMapCode(std::string_view name);

// Every reserved word of the language, for the keyword file and for name checks.
const std::vector<std::string_view>& Keywords();

} // namespace kestrin
