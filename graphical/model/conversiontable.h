// A named lookup table of the project: its own lines, or a reference to a table file.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "graphical/model/block.h"

// The clipboard format of a table (plain text under this name).
extern const char* const TableClipboardFormat;

class TConversionTable {
public:
    static std::unique_ptr<TConversionTable> CreateExternal(const std::string& name);
    static std::unique_ptr<TConversionTable> CreateInternal(const std::string& name);
    static std::unique_ptr<TConversionTable> CreateFromLines(const TLines& lines);

    bool IsInternal = true;
    std::string Name;
    uint16_t Number = 0;
    // Bare name when the file lies in the table directory, else with its path.
    std::string ExternFile;
    // Present for internal tables, and for external ones while loaded for a compile.
    std::unique_ptr<TLines> Lines;

    void SaveToLines(TLines* lines) const;
    void GetLines(TLines& target) const;
    bool SetLines(const TLines* source);
    void SetExternFile(const std::string& name);
    bool SelectExternalFile();
    bool LoadExternal();
    bool LoadIntoEngine(EngineHandle engine) const;
    void FreeExternal();

    // The open dialog: started in the table directory with the current file; empty when
    // cancelled. Tests replace it.
    static std::function<std::optional<QString>(const QString& directory, const QString& file)>
        dlgOpenTable;
};
