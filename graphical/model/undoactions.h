// The undo actions of the graphical program. Each records just enough to restore the project
// as it was before one edit; undoing it first records its inverse on the other stack, so a
// redo is the undo of that inverse. Cells, blocks and tables are found again by number at undo
// time, never by pointer, so the actions survive deletion and re-creation of their objects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/model.h"
#include "graphical/model/block.h"

class TQuendalModel;
class TBlockList;

class TCellUndoAction : public TUndoAction {
public:
    uint16_t CellNumber = 0;
};

class TBlockUndoAction : public TUndoAction {
public:
    int32_t BlockID = 0;
};

class TCellDataUndoAction : public TCellUndoAction {
public:
    TLines Lines;
};

class TMultipleBlockUndoAction : public TCellDataUndoAction {
protected:
    // The block's text between its start and end markers and a blank line.
    void AddBlockLines(const TBlock& block);
};

class TRenameCellUndoAction : public TCellUndoAction {
public:
    std::string Name;
    void SetUndoData(const TBlockList& cell);
    void SaveRedoData(TUndoAction* redo, TModel* model) override;
    bool UndoAction(TModel* model, bool isRedo) override;
};

class TInsertCellUndoAction : public TCellUndoAction {
public:
    void SetUndoData(int cellNumber) { CellNumber = uint16_t(cellNumber); }
    void SaveRedoData(TUndoAction* redo, TModel* model) override;
    bool UndoAction(TModel* model, bool isRedo) override;
};

class TDeleteCellUndoAction : public TCellDataUndoAction {
public:
    int Position = 0;
    bool SetUndoData(TQuendalModel* model, int cellNumber);
    void SaveRedoData(TUndoAction* redo, TModel* model) override;
    bool UndoAction(TModel* model, bool isRedo) override;
};

class TMoveCellUndoAction : public TCellUndoAction {
public:
    int Position = 0;
    void SetUndoData(TQuendalModel* model, int cellNumber);
    void SaveRedoData(TUndoAction* redo, TModel* model) override;
    bool UndoAction(TModel* model, bool isRedo) override;
};

class TEditBlockUndoAction : public TBlockUndoAction {
public:
    uint8_t DataKind = 0;
    std::string Data;
    uint8_t Flag = 1;
    void SetUndoData(int32_t blockId, int kind, int flag, const std::string& data);
    void SaveRedoData(TUndoAction* redo, TModel* model) override;
    bool UndoAction(TModel* model, bool isRedo) override;
};

class TInsertBlockUndoAction : public TBlockUndoAction {
public:
    void SetUndoData(int32_t blockId) { BlockID = blockId; }
    void SaveRedoData(TUndoAction* redo, TModel* model) override;
    bool UndoAction(TModel* model, bool isRedo) override;
};

class TDeleteBlockUndoAction : public TBlockUndoAction {
public:
    TLines Lines;
    void SetUndoData(TQuendalModel* model, int32_t blockId);
    void SaveRedoData(TUndoAction* redo, TModel* model) override;
    bool UndoAction(TModel* model, bool isRedo) override;
};

class TInsertBlocksUndoAction : public TCellUndoAction {
public:
    std::string IDs;
    void SetUndoData(int32_t blockId);
    // The blocks named by IDs; false, after a message, when one is missing.
    bool FindBlocksToDelete(std::vector<TBlock*>& blocks, TQuendalModel* model) const;
    void SaveRedoData(TUndoAction* redo, TModel* model) override;
    bool UndoAction(TModel* model, bool isRedo) override;
};

class TDeleteBlocksUndoAction : public TMultipleBlockUndoAction {
public:
    // Where each deleted block stood in the cell, so that undo gives the same cell text.
    std::vector<int> Positions;
    // The blocks and every other block of the cell fed by one of them.
    void SetUndoData(const TBlockList& cell, const std::vector<TBlock*>& blocks);
    void SaveRedoData(TUndoAction* redo, TModel* model) override;
    bool UndoAction(TModel* model, bool isRedo) override;
};

class TMoveBlocksUndoAction : public TCellUndoAction {
public:
    TLines Lines;
    // Positions and wires of the blocks and of every block fed by one of them.
    void SetUndoData(const TBlockList& cell, const std::vector<TBlock*>& blocks);
    void SaveRedoData(TUndoAction* redo, TModel* model) override;
    bool UndoAction(TModel* model, bool isRedo) override;
};

class TWireUndoAction : public TBlockUndoAction {
public:
    // What the undo does: 0 connect, 1 set the path, 2 clear the input.
    uint8_t Mode = 0;
    int32_t InputIndex = 0;
    std::string InputText;
    // Mode is the wire operation about to run; the inverse is stored.
    bool SetUndoData(TQuendalModel* model, int mode, int32_t blockId, int input);
    void SaveRedoData(TUndoAction* redo, TModel* model) override;
    bool UndoAction(TModel* model, bool isRedo) override;
};

// The table-name counter goes back with the table: a table inserted and taken back again
// leaves the project's text as it was.
class TInsertTableUndoAction : public TUndoAction {
public:
    uint16_t TableNumber = 0;
    // The counter before the table came in.
    uint16_t Counter = 1;
    void SetUndoData(int number, uint16_t counter) {
        TableNumber = uint16_t(number);
        Counter = counter;
    }
    void SaveRedoData(TUndoAction* redo, TModel* model) override;
    bool UndoAction(TModel* model, bool isRedo) override;
};

class TRenameTableUndoAction : public TUndoAction {
public:
    uint16_t TableNumber = 0;
    std::string Name;
    void SetUndoData(int number, const std::string& name);
    void SaveRedoData(TUndoAction* redo, TModel* model) override;
    bool UndoAction(TModel* model, bool isRedo) override;
};

class TEditTableFileUndoAction : public TUndoAction {
public:
    uint16_t TableNumber = 0;
    std::string FileName;
    void SetUndoData(int number, const std::string& fileName);
    void SaveRedoData(TUndoAction* redo, TModel* model) override;
    bool UndoAction(TModel* model, bool isRedo) override;
};

class TDeleteTableUndoAction : public TUndoAction {
public:
    uint16_t TableNumber = 0;
    TLines Lines;
    // The counter while the table was there.
    uint16_t Counter = 1;
    bool SetUndoData(TQuendalModel* model, int number);
    void SaveRedoData(TUndoAction* redo, TModel* model) override;
    bool UndoAction(TModel* model, bool isRedo) override;
};

// The blocks of a block text (sections between start and end markers), read as the cell
// reads them; false when one fails.
bool ReadBlocksText(const TLines& lines, EngineHandle engine,
                    std::vector<std::unique_ptr<TBlock>>& blocks);
