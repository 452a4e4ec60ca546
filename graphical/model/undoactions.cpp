#include "graphical/model/undoactions.h"

#include <algorithm>
#include <climits>

#include "framework/utils.h"
#include "graphical/model/blocklist.h"
#include "graphical/model/quendalmodel.h"
#include "platform/qt/ansi.h"

namespace {

TQuendalModel* Project(TModel* model) {
    return static_cast<TQuendalModel*>(model);
}

template <class T> T* As(TUndoAction* action) {
    return static_cast<T*>(action);
}

TRect Widened(TRect r) {
    if (r.IsEmpty())
        return r;
    const int margin = GridSize / 2 + 1;
    return {r.Left - margin, r.Top - margin, r.Right + margin, r.Bottom + margin};
}

} // namespace

bool ReadBlocksText(const TLines& lines, EngineHandle engine,
                    std::vector<std::unique_ptr<TBlock>>& blocks) {
    return ReadBlockSections(lines, 0, engine, blocks);
}

// ---- cells

void TMultipleBlockUndoAction::AddBlockLines(const TBlock& block) {
    Lines.push_back("#BLOCK_START");
    block.SaveToLines(Lines);
    Lines.push_back("#BLOCK_END");
    Lines.push_back("");
}

void TRenameCellUndoAction::SetUndoData(const TBlockList& cell) {
    CellNumber = cell.CellNumber;
    Name = cell.Name;
}

void TRenameCellUndoAction::SaveRedoData(TUndoAction* redo, TModel* model) {
    if (const TBlockList* cell = Project(model)->FindCell(CellNumber))
        As<TRenameCellUndoAction>(redo)->SetUndoData(*cell);
}

bool TRenameCellUndoAction::UndoAction(TModel* model, bool isRedo) {
    CreateRedoAction<TRenameCellUndoAction>(model, isRedo);
    return Project(model)->RenameCell(CellNumber, Name);
}

void TInsertCellUndoAction::SaveRedoData(TUndoAction* redo, TModel* model) {
    As<TDeleteCellUndoAction>(redo)->SetUndoData(Project(model), CellNumber);
}

bool TInsertCellUndoAction::UndoAction(TModel* model, bool isRedo) {
    CreateRedoAction<TDeleteCellUndoAction>(model, isRedo);
    return Project(model)->DeleteCell(CellNumber);
}

bool TDeleteCellUndoAction::SetUndoData(TQuendalModel* model, int cellNumber) {
    CellNumber = uint16_t(cellNumber);
    Position = model->IndexOfCell(cellNumber);
    const TBlockList* cell = model->GetCell(Position);
    if (!cell) {
        ShowError(QStringLiteral(
            "Interner Fehler in TDeleteCellUndoAction.SetUndoData: Zelle nicht gefunden!"));
        return false;
    }
    Lines.clear();
    cell->SaveToLines(true, Lines);
    return true;
}

void TDeleteCellUndoAction::SaveRedoData(TUndoAction* redo, TModel*) {
    As<TInsertCellUndoAction>(redo)->SetUndoData(CellNumber);
}

bool TDeleteCellUndoAction::UndoAction(TModel* model, bool isRedo) {
    TReadBackScope readBack;
    TQuendalModel* project = Project(model);
    // A cell that has taken the number meanwhile keeps it; this one comes back under another.
    int number = CellNumber;
    if (project->FindCell(number) && !project->NextFreeCellNumber(number))
        return false;
    const bool ok = project->ReadCellAt(Position, CellNumber, number, Lines);
    if (!project->FindCell(number))
        return false;
    // The redo removes the cell that came back.
    CellNumber = uint16_t(number);
    project->NotifyViews(nmCellInserted, CellNumber);
    CreateRedoAction<TInsertCellUndoAction>(model, isRedo);
    return ok;
}

void TMoveCellUndoAction::SetUndoData(TQuendalModel* model, int cellNumber) {
    CellNumber = uint16_t(cellNumber);
    Position = model->IndexOfCell(cellNumber);
}

void TMoveCellUndoAction::SaveRedoData(TUndoAction* redo, TModel* model) {
    As<TMoveCellUndoAction>(redo)->SetUndoData(Project(model), CellNumber);
}

bool TMoveCellUndoAction::UndoAction(TModel* model, bool isRedo) {
    CreateRedoAction<TMoveCellUndoAction>(model, isRedo);
    TQuendalModel* project = Project(model);
    return project->MoveCell(project->IndexOfCell(CellNumber), Position);
}

// ---- single blocks

void TEditBlockUndoAction::SetUndoData(int32_t blockId, int kind, int flag,
                                       const std::string& data) {
    BlockID = blockId;
    DataKind = uint8_t(kind);
    Flag = uint8_t(flag);
    Data = data;
}

void TEditBlockUndoAction::SaveRedoData(TUndoAction* redo, TModel* model) {
    std::string data;
    if (const TBlock* block = Project(model)->FindBlock(BlockID))
        block->GetData(DataKind, data);
    As<TEditBlockUndoAction>(redo)->SetUndoData(BlockID, DataKind, Flag, data);
}

bool TEditBlockUndoAction::UndoAction(TModel* model, bool isRedo) {
    TReadBackScope readBack;
    CreateRedoAction<TEditBlockUndoAction>(model, isRedo);
    TQuendalModel* project = Project(model);
    TBlock* block = project->FindBlock(BlockID);
    if (!block)
        return false;
    TModelChange change;
    change.CellNumber = uint16_t(uint32_t(BlockID) >> 16);
    change.BlockHandle = BlockID;
    change.Flag = Flag;
    change.OldRect = block->GetExtent();
    const bool ok = block->SetData(DataKind, Data);
    change.NewRect = block->GetExtent();
    project->SetChanged();
    project->NotifyViews(nmBlockEdited, NotifyData(&change));
    return ok;
}

void TInsertBlockUndoAction::SaveRedoData(TUndoAction* redo, TModel* model) {
    As<TDeleteBlockUndoAction>(redo)->SetUndoData(Project(model), BlockID);
}

bool TInsertBlockUndoAction::UndoAction(TModel* model, bool isRedo) {
    CreateRedoAction<TDeleteBlockUndoAction>(model, isRedo);
    return Project(model)->RemoveBlock(BlockID);
}

void TDeleteBlockUndoAction::SetUndoData(TQuendalModel* model, int32_t blockId) {
    BlockID = blockId;
    Lines.clear();
    if (const TBlock* block = model->FindBlock(blockId))
        block->SaveToLines(Lines);
}

void TDeleteBlockUndoAction::SaveRedoData(TUndoAction* redo, TModel*) {
    As<TInsertBlockUndoAction>(redo)->SetUndoData(BlockID);
}

bool TDeleteBlockUndoAction::UndoAction(TModel* model, bool isRedo) {
    TReadBackScope readBack;
    CreateRedoAction<TInsertBlockUndoAction>(model, isRedo);
    TQuendalModel* project = Project(model);
    TBlockList* cell = project->FindCell(int(uint32_t(BlockID) >> 16));
    if (!cell || Lines.empty())
        return false;
    TRect extent;
    if (!cell->InsertBlockFromLines(Lines, extent))
        return false;
    // The parameter and the wires reach the engine with the connect pass.
    cell->PushToEngine();
    project->SetChanged();
    TModelChange change;
    change.CellNumber = cell->CellNumber;
    change.BlockHandle = BlockID;
    change.NewRect = cell->GetBlockExtent(BlockID);
    project->NotifyViews(nmBlocksInserted, NotifyData(&change));
    return true;
}

// ---- groups of blocks

void TInsertBlocksUndoAction::SetUndoData(int32_t blockId) {
    if (!IDs.empty())
        IDs += ", ";
    IDs += std::to_string(blockId);
}

bool TInsertBlocksUndoAction::FindBlocksToDelete(std::vector<TBlock*>& blocks,
                                                 TQuendalModel* model) const {
    blocks.clear();
    const TBlockList* cell = model->FindCell(CellNumber);
    if (!cell)
        return false;
    TTokenString tokens;
    tokens.SetText(IDs);
    tokens.SetSeparator(',');
    std::string token;
    while (tokens.NextToken(token)) {
        token.erase(0, token.find_first_not_of(' '));
        int id = 0;
        if (!ParseInt(token, id)) {
            ShowError(QStringLiteral(
                "Fehler in TInsertBlocksUndoAction.FindBlocksToDelete: Auswertung ID!"));
            return false;
        }
        TBlock* block = cell->FindBlock(id);
        if (!block || block->ID != id) {
            ShowError(QStringLiteral(
                "Fehler in TInsertBlocksUndoAction.FindBlocksToDelete: Block nicht gefunden!"));
            return false;
        }
        blocks.push_back(block);
    }
    return true;
}

void TInsertBlocksUndoAction::SaveRedoData(TUndoAction* redo, TModel* model) {
    const TBlockList* cell = Project(model)->FindCell(CellNumber);
    if (!cell) {
        ShowError(QStringLiteral("Fehler in TInsertBlocksUndoAction.SaveRedoData: Zelle nicht "
                                 "gefunden!"));
        return;
    }
    std::vector<TBlock*> blocks;
    if (FindBlocksToDelete(blocks, Project(model)))
        As<TDeleteBlocksUndoAction>(redo)->SetUndoData(*cell, blocks);
}

bool TInsertBlocksUndoAction::UndoAction(TModel* model, bool isRedo) {
    TQuendalModel* project = Project(model);
    TBlockList* cell = project->FindCell(CellNumber);
    if (!cell) {
        ShowError(QStringLiteral("Fehler in TInsertBlocksUndoAction.UndoAction: Zelle nicht "
                                 "gefunden!"));
        return false;
    }
    std::vector<TBlock*> blocks;
    // Checked first: an inverse of a half-found group would restore blocks never removed.
    if (!FindBlocksToDelete(blocks, project))
        return false;
    CreateRedoAction<TDeleteBlocksUndoAction>(model, isRedo);
    return project->DeleteBlocks(cell, blocks);
}

void TDeleteBlocksUndoAction::SetUndoData(const TBlockList& cell,
                                          const std::vector<TBlock*>& blocks) {
    CellNumber = cell.CellNumber;
    Lines.clear();
    Positions.clear();
    for (const TBlock* block : blocks) {
        AddBlockLines(*block);
        Positions.push_back(cell.IndexOf(block));
    }
    for (int i = 0; i < cell.Count(); ++i) {
        const TBlock* block = cell.Get(i);
        if (std::find(blocks.begin(), blocks.end(), block) == blocks.end() &&
            block->HasInputFrom(blocks))
            AddBlockLines(*block);
    }
}

void TDeleteBlocksUndoAction::SaveRedoData(TUndoAction* redo, TModel* model) {
    auto* inverse = As<TInsertBlocksUndoAction>(redo);
    inverse->CellNumber = CellNumber;
    const TBlockList* cell = Project(model)->FindCell(CellNumber);
    std::vector<std::unique_ptr<TBlock>> blocks;
    ReadBlocksText(Lines, nullptr, blocks);
    for (const auto& block : blocks) {
        if (!cell || !cell->FindBlock(block->ID))
            inverse->SetUndoData(block->ID);
    }
}

bool TDeleteBlocksUndoAction::UndoAction(TModel* model, bool isRedo) {
    TReadBackScope readBack;
    CreateRedoAction<TInsertBlocksUndoAction>(model, isRedo);
    TQuendalModel* project = Project(model);
    project->SetChanged();
    TBlockList* cell = project->FindCell(CellNumber);
    if (!cell) {
        ShowError(QStringLiteral("Fehler in TDeleteBlocksUndoAction.UndoAction: Zelle nicht "
                                 "gefunden!"));
        return false;
    }
    std::vector<std::unique_ptr<TBlock>> blocks;
    if (!ReadBlocksText(Lines, cell->Engine, blocks))
        return false;
    TModelChange change;
    change.CellNumber = CellNumber;
    for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) {
        (*it)->SetCellNumber(CellNumber);
        change.NewRect = UnionRects(change.NewRect, (*it)->GetExtent());
        if (TBlock* old = cell->FindBlock((*it)->ID)) {
            change.OldRect = UnionRects(change.OldRect, old->GetExtent());
            cell->ReplaceBlock(old, std::move(*it));
        }
    }
    // The cell is rebuilt with the restored blocks back at their places.
    std::vector<std::unique_ptr<TBlock>> ordered;
    for (int i = 0; i < cell->Count(); ++i) {
        const TBlock* present = cell->Get(i);
        ordered.push_back(present->CreateSame(present->ID, cell->Engine));
        ordered.back()->Assign(*present);
    }
    std::vector<std::pair<int, size_t>> places;
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (blocks[i])
            places.emplace_back(i < Positions.size() ? Positions[i] : INT32_MAX, i);
    }
    std::sort(places.begin(), places.end());
    for (const auto& [position, i] : places) {
        const size_t at = std::min(size_t(std::max(position, 0)), ordered.size());
        ordered.insert(ordered.begin() + ptrdiff_t(at), std::move(blocks[i]));
    }
    TBlockList scratch(CellNumber, cell->Engine);
    for (auto& block : ordered)
        scratch.Add(std::move(block));
    const bool ok = cell->Assign(scratch);
    project->NotifyViews(nmBlocksInserted, NotifyData(&change));
    return ok;
}

void TMoveBlocksUndoAction::SetUndoData(const TBlockList& cell,
                                        const std::vector<TBlock*>& blocks) {
    CellNumber = cell.CellNumber;
    Lines.clear();
    for (int i = 0; i < cell.Count(); ++i) {
        const TBlock* block = cell.Get(i);
        if (std::find(blocks.begin(), blocks.end(), block) != blocks.end() ||
            block->HasInputFrom(blocks)) {
            Lines.push_back("ID=" + std::to_string(block->ID));
            block->SaveBaseLines(Lines);
        }
    }
}

void TMoveBlocksUndoAction::SaveRedoData(TUndoAction* redo, TModel* model) {
    auto* inverse = As<TMoveBlocksUndoAction>(redo);
    inverse->CellNumber = CellNumber;
    const TBlockList* cell = Project(model)->FindCell(CellNumber);
    for (const std::string& line : Lines) {
        int id = 0;
        if (!line.starts_with("ID=") || !ParseInt(line.substr(3), id))
            continue;
        const TBlock* block = cell ? cell->FindBlock(id) : nullptr;
        if (!block) {
            ShowError(QStringLiteral("Fehler in TMoveBlocksUndoAction.SaveRedoData: Block nicht "
                                     "gefunden!"));
            return;
        }
        inverse->Lines.push_back(line);
        block->SaveBaseLines(inverse->Lines);
    }
}

bool TMoveBlocksUndoAction::UndoAction(TModel* model, bool isRedo) {
    if (Lines.empty())
        return false;
    CreateRedoAction<TMoveBlocksUndoAction>(model, isRedo);
    TQuendalModel* project = Project(model);
    TBlockList* cell = project->FindCell(CellNumber);
    if (!cell) {
        ShowError(
            QStringLiteral("Fehler in TMoveBlocksUndoAction.UndoAction: Zelle nicht gefunden!"));
        return false;
    }
    TModelChange change;
    change.CellNumber = CellNumber;
    bool ok = true;
    size_t index = 0;
    while (ok && index < Lines.size()) {
        int id = 0;
        TBlock* block = nullptr;
        if (Lines[index].starts_with("ID=") && ParseInt(Lines[index].substr(3), id))
            block = cell->FindBlock(id);
        if (!block) {
            ShowError(QStringLiteral(
                "Fehler in TMoveBlocksUndoAction.UndoAction: Block nicht gefunden!"));
            ok = false;
            break;
        }
        ++index;
        change.OldRect = UnionRects(change.OldRect, block->GetExtent());
        ok = block->LoadBaseLines(Lines, index);
        change.NewRect = UnionRects(change.NewRect, block->GetExtent());
    }
    change.OldRect = Widened(change.OldRect);
    change.NewRect = Widened(change.NewRect);
    project->NotifyViews(nmBlocksMoved, NotifyData(&change));
    return ok;
}

// ---- wires

namespace {

int InverseWireMode(int mode) {
    return mode == 0 ? 2 : mode == 2 ? 0 : 1;
}

} // namespace

bool TWireUndoAction::SetUndoData(TQuendalModel* model, int mode, int32_t blockId, int input) {
    Mode = uint8_t(InverseWireMode(mode));
    BlockID = blockId;
    InputIndex = input;
    const TBlock* block = model->FindBlock(blockId);
    if (!block || block->ID != blockId) {
        ShowError(QStringLiteral("Fehler in TWireUndoAction.SetUndoData: Block nicht gefunden!"));
        return false;
    }
    InputText = block->InputAsText(input);
    return true;
}

void TWireUndoAction::SaveRedoData(TUndoAction* redo, TModel* model) {
    As<TWireUndoAction>(redo)->SetUndoData(Project(model), Mode, BlockID, InputIndex);
}

bool TWireUndoAction::UndoAction(TModel* model, bool isRedo) {
    CreateRedoAction<TWireUndoAction>(model, isRedo);
    TQuendalModel* project = Project(model);
    std::unique_ptr<TInputLine> wire;
    int8_t letter = 0;
    if (Mode < 2) {
        wire = std::make_unique<TInputLine>();
        if (wire->FromText(InputText) != TWireRead::Whole)
            return false;
        wire->UpdateBounds();
        letter = wire->InputLetter;
    }
    int input = InputIndex;
    const bool ok = project->ChangeWire(BlockID, Mode, std::move(wire), input);
    // The engine is told the input by number; the text keeps how it was chosen.
    if (ok && Mode == 0) {
        if (const TBlock* block = project->FindBlock(BlockID)) {
            if (TInputLine* restored = block->GetInput(input))
                restored->InputLetter = letter;
        }
    }
    return ok;
}

// ---- tables

void TInsertTableUndoAction::SaveRedoData(TUndoAction* redo, TModel* model) {
    As<TDeleteTableUndoAction>(redo)->SetUndoData(Project(model), TableNumber);
}

bool TInsertTableUndoAction::UndoAction(TModel* model, bool isRedo) {
    CreateRedoAction<TDeleteTableUndoAction>(model, isRedo);
    if (!Project(model)->eDeleteTable(TableNumber))
        return false;
    Project(model)->TableNameCounter = Counter;
    return true;
}

void TRenameTableUndoAction::SetUndoData(int number, const std::string& name) {
    TableNumber = uint16_t(number);
    Name = name;
}

void TRenameTableUndoAction::SaveRedoData(TUndoAction* redo, TModel* model) {
    if (const TConversionTable* table = Project(model)->FindTable(TableNumber))
        As<TRenameTableUndoAction>(redo)->SetUndoData(TableNumber, table->Name);
}

bool TRenameTableUndoAction::UndoAction(TModel* model, bool isRedo) {
    CreateRedoAction<TRenameTableUndoAction>(model, isRedo);
    return Project(model)->RenameTable(TableNumber, Name);
}

void TEditTableFileUndoAction::SetUndoData(int number, const std::string& fileName) {
    TableNumber = uint16_t(number);
    FileName = fileName;
}

void TEditTableFileUndoAction::SaveRedoData(TUndoAction* redo, TModel* model) {
    if (const TConversionTable* table = Project(model)->FindTable(TableNumber))
        As<TEditTableFileUndoAction>(redo)->SetUndoData(TableNumber, table->ExternFile);
}

bool TEditTableFileUndoAction::UndoAction(TModel* model, bool isRedo) {
    CreateRedoAction<TEditTableFileUndoAction>(model, isRedo);
    TConversionTable* table = Project(model)->FindTable(TableNumber);
    if (!table)
        return false;
    table->SetExternFile(FileName);
    Project(model)->SetChanged();
    return true;
}

bool TDeleteTableUndoAction::SetUndoData(TQuendalModel* model, int number) {
    TableNumber = uint16_t(number);
    Lines.clear();
    const TConversionTable* table = model->FindTable(number);
    if (!table) {
        ShowError(QStringLiteral(
            "Fehler in TDeleteTableUndoAction.SetUndoData: Tabelle nicht gefunden!"));
        return false;
    }
    table->SaveToLines(&Lines);
    Counter = model->TableNameCounter;
    return true;
}

void TDeleteTableUndoAction::SaveRedoData(TUndoAction* redo, TModel* model) {
    As<TInsertTableUndoAction>(redo)->SetUndoData(TableNumber, Project(model)->TableNameCounter);
}

bool TDeleteTableUndoAction::UndoAction(TModel* model, bool isRedo) {
    CreateRedoAction<TInsertTableUndoAction>(model, isRedo);
    std::unique_ptr<TConversionTable> table;
    try {
        table = TConversionTable::CreateFromLines(Lines);
    } catch (const std::exception& error) {
        ShowError(ErrorText(error));
        return false;
    }
    table->Number = TableNumber;
    Project(model)->InsertTable(std::move(table));
    Project(model)->TableNameCounter = Counter;
    return true;
}
