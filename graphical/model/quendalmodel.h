// The project document of the graphical program: comment, lookup tables and program cells
// mirrored into one block engine, the project file, its part of the desktop file, printing,
// and the simulation driver that runs the compiled program in the engine's simulator.
#pragma once

#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/include/quendal32.h"
#include "framework/model.h"
#include "framework/simwindows/terminallines.h"
#include "graphical/model/block.h"
#include "graphical/model/blocklist.h"
#include "graphical/model/conversiontable.h"

class QPainter;
class QPagedPaintDevice;
class QPrinter;
class TDesktopReader;
class TDesktopWriter;

// Notification codes of the graphical program and what their data carry.
enum TModelNotification : int {
    nmCellInserted = 2000,       // cell number
    nmCellMoved = 2001,          // cell number
    nmCellDeleted = 2002,        // cell number
    nmCellRenamed = 2003,        // cell number
    nmBlocksInserted = 2015,     // TModelChange*
    nmBlocksMoved = 2016,        // TModelChange*
    nmBlocksRemoved = 2017,      // TModelChange*
    nmBlockEdited = 2018,        // TModelChange*
    nmInputChanged = 2031,       // TModelChange*
    nmCurrentItem = 2050,        // 0 before, 1 after the change
    nmGridOptions = 2100,        // 0
    nmBlockIndices = 2101,       // 0
    nmBreakpointSet = 2200,      // cell number
    nmBreakpointRemoved = 2201,  // cell number
    nmBreakpointsCleared = 2202, // 0
    nmStepPosition = 2205,       // cell number (old position to clear, new one to show)
    nmSimulationReset = 2210,    // 0
    nmWatchAdded = 2215,         // new watch count
    nmWatchSelected = 2216,      // index of the existing watch
    nmWatchesRefreshed = 2217,   // 0
    nmWatchDeleted = 2218,       // 0
    nmDataDump = 2220,           // 0
    nmTerminalLine = 2225,       // line index, -1 for all lines
    nmTableInserted = 2500,      // table number
    nmTableRenamed = 2501,       // table number
    nmTableDeleting = 2502,      // table number
};

// Passed by address with the block and wire notifications; valid during the call only.
// Views repaint the union of both rectangles.
struct TModelChange {
    uint16_t CellNumber = 0;
    int32_t BlockHandle = 0; // 0 when several blocks are concerned
    uint8_t Flag = 1;
    TRect OldRect; // vacated area, empty for inserts
    TRect NewRect; // covered area, empty for removals
};

enum TSimState : uint8_t {
    ssChanged = 0,
    ssReady = 1,
    ssRunning = 2,
    ssStepping = 3,
    ssStopped = 4,
    ssPaused = 5,
};

// Simulator commands of the main window, the cell window and the project tree.
enum TSimCommand : int {
    cmToggleBreakpoint = 300,
    cmRunToCell = 301,
    cmRun = 303,
    cmStep = 304,
    cmReset = 305,
    cmClearBreakpoints = 306,
    cmStop = 307,
};

// A silent end of a construction: the user has been told already.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Abort"; }
};

// A watched simulator value.
class TWatchEntry {
public:
    // Null when the block has no watchable value.
    static std::unique_ptr<TWatchEntry> CreateForBlock(EngineHandle engine, BlockHandle block);
    static std::unique_ptr<TWatchEntry> CreateFromDesktop(EngineHandle engine, MapCode mapCode,
                                                          const std::string& name);

    EngineHandle Engine = nullptr;
    std::string Name;
    bool Valid = true;
    bool Changed = false;
    int32_t Value = 0;
    MapCode Code = 0;

    std::string ValueText() const { return std::to_string(Value); }
    void Refresh();
    // Asks for a new value and writes it to the simulator; false when nothing changed.
    bool EditValue();
    // The lowest and highest value the simulator keeps for the map code's kind.
    static bool ValueRange(MapCode code, int32_t& low, int32_t& high);

    // The input box: the text entered, nothing when cancelled. Tests replace it.
    static std::function<std::optional<QString>(const QString& caption, const QString& prompt,
                                                const QString& value)>
        InputQuery;
};

// Cells are numbered 1 to this; the number is also the key of the cell's engine page.
constexpr int MaxCellNumber = 65534;

class TQuendalModel : public TModel {
public:
    static constexpr int MaxBreakpoints = 50;
    static constexpr int MaxTerminalLines = 1000;
    static constexpr int DataDumpSize = 4096;

    // Raises EAbort, after telling the user, when the engine cannot be created.
    TQuendalModel();
    ~TQuendalModel() override;

    void FreeData() override;
    bool CloseQuery() override;
    bool InitNew() override;
    void GetFileDialogStrings(QString& filter, QString& defaultExt) override;
    QString GetUntitledName() override;

    // Contents, by position (0-based; null or empty outside the range) and by number.
    TBlockList* GetCell(int index) const;
    int CellCount() const { return static_cast<int>(Cells.size()); }
    TConversionTable* GetTable(int index) const;
    int TableCount() const { return static_cast<int>(Tables.size()); }
    TWatchEntry* GetWatch(int index) const;
    int WatchCount() const { return static_cast<int>(Watches.size()); }
    std::string GetTerminalLine(int index) const;
    int TerminalLineCount() const { return static_cast<int>(TerminalLines.size()); }
    TBlockList* FindCell(int number) const;
    int IndexOfCell(int number) const;
    TConversionTable* FindTable(int number) const;
    int IndexOfTable(int number) const;
    TBlock* FindBlock(BlockHandle handle) const;

    void SetCurrentItem(int32_t item);
    void AssignComment(const TLines& lines) { Comment = lines; }
    void SetComment(const TLines& lines);

    // Reads the files of the external tables; the first that fails has told the user.
    bool PrepareTables();
    // Prepared tables into the engine in project order; the engine holds the first error.
    bool LoadTablesIntoEngine();
    void ReleaseTableData();
    bool GetTableData(const TConversionTable* table, TLines& lines);
    bool SetTableData(TConversionTable* table, const TLines& lines);
    bool CanCompile() const;
    // The simulator options and the initial port levels, sent before every compile and reset.
    void SendEngineOptions();

    void SaveDesktop(TDesktopWriter& writer);
    // False when the project named there did not load: the caller discards the model.
    bool LoadDesktop(TDesktopReader& reader);

    // Print dialog, then the cell's picture (0: all cells) to the chosen printer or PDF file.
    void PrintProgram(int cellNumber);
    void PrintPages(QPainter& painter, QPagedPaintDevice& device, int cellNumber);
    // Replaces the print dialog (tests): false when cancelled.
    static std::function<bool(QPrinter&)> PrintDialog;

    // Simulation driver.
    bool IsSimCommandEnabled(int cmd) const;
    void DoSimCommand(int cmd);
    void RunTo(int cellNumber);
    bool Step();
    void ResetSimulation();
    void SetCompiled(bool ok);
    void SetChanged() { SimState = ssChanged; }
    bool IsSimulating() const { return SimState != ssChanged && SimState != ssReady; }
    int StoppedPosition() const { return SimState == ssStopped ? StepPosition : 0; }
    uint16_t GetDumpWord(int index) const;
    bool AddBreakpoint(int cell);
    bool RemoveBreakpoint(int cell);
    void ToggleBreakpoint(int cell);
    void ClearBreakpoints();
    bool HasBreakpoint(int cell) const;
    void ClearTerminal();
    void CopyTerminalToClipboard() const;

    // Edit operations. Each records its undo action before the change, sets SimState to
    // Changed and notifies the views; all refuse while a simulation is under way.
    bool CanEdit() const { return !IsSimulating(); }

    bool NextFreeCellNumber(int& number) const;
    // Null when another cell has that number or the engine refuses the page.
    TBlockList* CreateCellAt(int index, int number);
    // A cell made at that position from a cell text with its header, which is read under the
    // text's number; when another cell has that number, the cell with its blocks and wires
    // takes the free number given, and the user is told after the read. A failed read is told
    // too, unless undo reads the cell back. False when the text was not read whole or the
    // cell could not be made.
    bool ReadCellAt(int index, int number, int given, const TLines& lines);
    void InsertNewCell(int index);
    void PasteCell(int index);
    void CopyCell(int sourceNumber, int targetNumber);
    void DeleteCellWithUndo(int number);
    bool DeleteCell(int number);
    void MoveCellWithUndo(int sourceNumber, int targetNumber);
    bool MoveCell(int from, int to);
    bool CheckCellName(int number, std::string& name) const;
    bool RenameCellWithUndo(int number, const std::string& name);
    bool RenameCell(int number, const std::string& name);

    void NewTable(bool internal);
    void PasteTable();
    void InsertTable(std::unique_ptr<TConversionTable> table);
    void DeleteTable(int number);
    bool eDeleteTable(int number);
    bool CheckTableName(int number, std::string& name) const;
    bool RenameTableWithUndo(int number, const std::string& name);
    bool RenameTable(int number, const std::string& name);
    bool SetTableFileWithUndo(int number, const std::string& fileName);
    void RenumberTables();

    TBlock* InsertTextBlock(TBlockList* cell, const TRect& area);
    TBlock* InsertGraphBlock(TBlockList* cell, int typeId, const TRect& area);
    void PasteBlocks(TBlockList* cell, std::vector<TBlock*>& selection, QPoint& where);
    // Mode 0 left, 1 top, 2 right, 3 bottom edges.
    void AlignBlocks(int mode, TBlockList* cell, const std::vector<TBlock*>& selection);
    void MoveBlocks(TBlockList* cell, const std::vector<TBlock*>& selection, QPoint offset);
    // Kind 0 the block's properties, 1 its bitmap.
    bool EditBlock(TBlockList* cell, int kind, BlockHandle handle);
    void DeleteBlocksWithUndo(TBlockList* cell, const std::vector<TBlock*>& selection);
    bool DeleteBlocks(TBlockList* cell, std::vector<TBlock*> selection);
    bool RemoveBlock(BlockHandle handle);
    // Input -1 takes the first free input; input then names the one the engine chose.
    bool ConnectWire(BlockHandle dest, int& input, std::unique_ptr<TInputLine> wire);
    bool MoveWire(BlockHandle dest, int input, std::unique_ptr<TInputLine> wire);
    bool SplitWire(BlockHandle dest, int input);
    // Mode 0 connect, 1 new path, 2 clear the input.
    bool ChangeWire(BlockHandle dest, int mode, std::unique_ptr<TInputLine> wire, int& input);

    void CopyCellToClipboard(int number);
    void CopyBlocksToClipboard(const TBlockList* cell, const std::vector<TBlock*>& selection);
    void CopyTableToClipboard(int number);

    void AddWatch(BlockHandle handle);
    void DeleteWatch(int index);
    // Opens the watch window; set by the main window.
    static std::function<void(TQuendalModel*)> ShowWatchWindow;

    EngineHandle Engine = nullptr;
    TLines Comment;
    std::vector<std::unique_ptr<TConversionTable>> Tables;
    std::vector<std::unique_ptr<TBlockList>> Cells;
    uint16_t TableNameCounter = 1;
    int32_t CurrentItem = 0;
    TSimState SimState = ssChanged;
    int32_t BreakpointCount = 0;
    std::array<uint16_t, MaxBreakpoints> Breakpoints{};
    uint16_t StepPosition = 0;
    uint16_t RunToCell = 0;
    bool StepGuard = false;
    int32_t LastInputValue = 0;
    std::vector<std::unique_ptr<TWatchEntry>> Watches;
    TLines TerminalLines;
    std::array<uint16_t, DataDumpSize> DataDump{};
    int32_t DataDumpLength = 0;
    int32_t PreviousDataDumpLength = 0;

protected:
    bool DoLoad(const QString& fileName) override;
    bool DoSave(const QString& fileName, std::string& data) override;

private:
    // The number of the cell before that position; 0 at the front.
    int PageBefore(int index) const;
    // The undo takes the table and the table-name counter back to the given value.
    void AppendTableWithUndo(std::unique_ptr<TConversionTable> table, uint16_t counter);
    bool ReadProject(const QString& fileName, const TLines& lines);
    // The next default name no table bears, for a table without a name line; the counter moves
    // past it.
    std::string FreshTableName();
    void PumpMessages();
    void SendInputs();
    void TerminalOutput();
    void RefreshDataDump();
    void RefreshAnalogOut();
    void RefreshPorts();
    void RefreshLcd();
    void RefreshLed();
    void RefreshWatches();

    // Waits and pauses pump messages at most this often (there is no peek without removal).
    int64_t lastPumpMs_ = -1000000;
};

// Where each cell picture goes on the printed pages (logical units at screen scale).
struct TPrintPlacement {
    int Page = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    bool SeparatorAbove = false; // a line at Y - 10
};

// Pictures one below the other, a separator line and 20 units between them, a new page when
// the next one does not fit; pictures larger than the page are cut to it.
std::vector<TPrintPlacement> LayoutPrintPages(const std::vector<QSize>& pictures, QSize page);
