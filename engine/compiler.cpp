#include "engine/compiler.h"

#include "engine/kinds/sink.h"
#include "engine/kinds/source.h"
#include "engine/moltrane.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace quendal {

void CMoltraneCompiler::Bind(XXCollection<CMoltranePage>* pages, int32_t debugFlag) {
    PageList = pages;
    DebugFlag = debugFlag;
    Length = 0;
    LabelList.Clear();
    FixupList.Clear();
    names_.clear();
    labelCounter_ = 0;
}

const char* CMoltraneCompiler::KeepName(const char* name) {
    names_.emplace_back(name != nullptr ? name : "");
    return names_.back().c_str();
}

void CMoltraneCompiler::AddLabel(const char* name, int32_t position) {
    LabelList.Append(const_cast<char*>(KeepName(name)), position);
}

void CMoltraneCompiler::AddFixup(const char* name, int32_t position) {
    FixupList.Append(const_cast<char*>(KeepName(name)), position);
}

void CMoltraneCompiler::EmitPageMarker(int32_t pageNumber) {
    Emit(Op::PageMarker);
    EmitWord(static_cast<uint16_t>(pageNumber));
}

void CMoltraneCompiler::CompilePage(CMoltranePage& page) {
    if (page.Blocks.Count == 0)
        return;
    CompilePath path;
    // A block's compile may walk nothing of this list, so a plain node walk keeps the order
    // even when kinds use the list's cursor.
    for (XXNode<CBlock>* n = page.Blocks.FirstNode; n != nullptr; n = n->Next)
        if (n->Item->IsStatementRoot())
            n->Item->Compile(*this, path, LabelList, FixupList, DebugFlag);
}

void CMoltraneCompiler::CompileProgram(const KindCounts& counts,
                                       std::atomic<int32_t>& progressCount,
                                       const std::atomic<int32_t>& breakFlag) {
    try {
        if (counts.Lcd > 0)
            EmitLcdLibrary(*this);
        if (counts.Keyboard > 0)
            EmitKeyboardLibrary(*this);
        if (PageList != nullptr) {
            for (XXNode<CMoltranePage>* n = PageList->FirstNode; n != nullptr; n = n->Next) {
                if (breakFlag.load() != 0)
                    throw COMPILERERROR{-1, kMsgCancelled};
                if (n->Item->Name() != nullptr)
                    AddLabel(n->Item->Name(), Length);
                if (DebugFlag != 0)
                    EmitPageMarker(n->Key);
                CompilePage(*n->Item);
                progressCount.fetch_add(1);
            }
        }
        Emit(Op::End);
    } catch (const XXBufferOverflow&) {
        throw COMPILERERROR{-1, kMsgTooLong};
    }
}

void CMoltraneCompiler::LoadTable(const char* name, const char* text) {
    try {
        AddLabel(name, Length);
        myistrstream in(text);
        in.SkipWhite();
        for (int count = 0; !in.AtEnd() && count < kTableWords; ++count) {
            int32_t value = 0;
            if (!in.ReadInteger(value))
                throw COMPILERERROR{-1, kMsgTableError};
            EmitWord(static_cast<uint16_t>(value));
            in.SkipWhite();
        }
    } catch (const XXBufferOverflow&) {
        throw COMPILERERROR{-1, kMsgTooLong};
    }
}

void CMoltraneCompiler::ResolveFixups() {
    for (XXNode<char>* fixup = FixupList.FirstNode; fixup != nullptr; fixup = fixup->Next) {
        XXNode<char>* label = LabelList.FindByName(fixup->Item);
        if (label == nullptr) {
            std::snprintf(message_, sizeof message_, "%s: %s", kMsgUndefinedTarget, fixup->Item);
            throw COMPILERERROR{-1, message_};
        }
        try {
            PatchAddress(fixup->Key, label->Key);
        } catch (const XXBufferOverflow&) {
            throw COMPILERERROR{-1, kMsgTooLong};
        }
    }
}

} // namespace quendal

using quendal::COMPILERERROR;

int32_t CMoltrane::CompilerInit() {
    DownloadCompiler.Bind(&Pages, 0);
    SimulationCompiler.Bind(&Pages, 1);
    return 1;
}

int32_t CMoltrane::Compile() {
    try {
        // Both images walk every page: each page counts twice, so the bar runs once to 100.
        ProgressCount.store(0);
        ProgressTotal.store(2 * Pages.Count);
        BreakFlag.store(0);
        FirmwareCount = 0;
        const bool applicationBoard = (Options & quendal::kOptionApplicationBoard) != 0;
        DownloadCompiler.ApplicationBoard = applicationBoard ? 1 : 0;
        SimulationCompiler.ApplicationBoard = applicationBoard ? 1 : 0;
        DownloadCompiler.CompileProgram(Counts, ProgressCount, BreakFlag);
        SimulationCompiler.CompileProgram(Counts, ProgressCount, BreakFlag);
        if (Counts.Led > 0) {
            const std::string path =
                FirmwareDirectory.empty()
                    ? quendal::LedFirmwarePath(applicationBoard)
                    : FirmwareDirectory + "/" + quendal::LedFirmwareFileName(applicationBoard);
            const char* failure = quendal::ReadFirmwareFile(path, FirmwareBytes, FirmwareCount);
            if (failure != nullptr)
                throw COMPILERERROR{-1, failure};
        }
        if (ProgressTotal.load() == 0)
            ProgressTotal.store(1);
        ProgressCount.store(ProgressTotal.load());
        return 0;
    } catch (const COMPILERERROR& error) {
        SetError(error.Message);
        return error.Code;
    } catch (...) {
        SetError(quendal::kMsgUnknown);
        return -1;
    }
}

// Runs one step of the build: 1 on success, else 0 with the failure's message as the last error.
template <typename Work> static int32_t ReportedAsResult(CMoltrane& engine, Work work) {
    try {
        work();
        return 1;
    } catch (const COMPILERERROR& error) {
        engine.SetError(error.Message);
    } catch (...) {
        engine.SetError(quendal::kMsgUnknown);
    }
    return 0;
}

int32_t CMoltrane::LoadTable(const char* name, const char* text) {
    return ReportedAsResult(*this, [&] {
        DownloadCompiler.LoadTable(name, text);
        SimulationCompiler.LoadTable(name, text);
    });
}

// "CODE.TXT": every byte that goes to the unit as a decimal number and a blank, the download
// image first and then the LED firmware sent behind it. Written to a fresh temporary file and
// renamed over the old one, so that a failed write never leaves half a dump.
static bool WriteCodeDump(const uint8_t* code, int32_t codeLength, const uint8_t* firmware,
                          int32_t firmwareCount) {
    char tmpName[] = "CODE.TXT.XXXXXX";
    const int fd = mkstemp(tmpName);
    if (fd < 0)
        return false;
    std::FILE* f = fdopen(fd, "wb");
    if (f == nullptr) {
        close(fd);
        std::remove(tmpName);
        return false;
    }
    // Formatted into one buffer and written at once: the dump is part of every compile.
    std::string text;
    text.reserve(static_cast<size_t>(codeLength + firmwareCount) * 4);
    auto append = [&text](uint8_t byte) {
        char digits[4];
        auto end = std::to_chars(digits, digits + sizeof digits, static_cast<unsigned>(byte)).ptr;
        text.append(digits, end);
        text.push_back(' ');
    };
    for (int32_t i = 0; i < codeLength; ++i)
        append(code[i]);
    for (int32_t i = 0; i < firmwareCount; ++i)
        append(firmware[i]);
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    // mkstemp creates the file for the owner only; a dump is an ordinary file.
    if (ok)
        ok = chmod(tmpName, 0644) == 0 && std::rename(tmpName, "CODE.TXT") == 0;
    if (!ok)
        std::remove(tmpName);
    return ok;
}

int32_t CMoltrane::CompilerDone() {
    return ReportedAsResult(*this, [&] {
        DownloadCompiler.ResolveFixups();
        SimulationCompiler.ResolveFixups();
        if (!Sim.loadImage(SimulationCompiler.Data, static_cast<size_t>(SimulationCompiler.Length),
                           static_cast<uint16_t>(CodeLength())))
            throw COMPILERERROR{-1, quendal::kMsgTooLong};
        if (!WriteCodeDump(DownloadCompiler.Data, DownloadCompiler.Length, FirmwareBytes,
                           FirmwareCount))
            throw COMPILERERROR{-1, quendal::kMsgDumpNotWritten};
    });
}
