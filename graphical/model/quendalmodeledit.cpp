// The project's edit operations: cells, tables, blocks and wires changed together with their
// engine pages, each edit recorded as an undo action before it happens; the clipboard
// transfers and the watch list.
#include <QInputDialog>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <unordered_set>

#include "framework/utils.h"
#include "graphical/model/graphblock.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/model/simulatoriostate.h"
#include "graphical/model/undoactions.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"

namespace {

constexpr int MaxLocalNumber = 65534;

const QString PasteError = QStringLiteral("Fehler bei Daten\xFC"
                                          "bernahme aus der Zwischenablage!");

QString Ansi(const std::string& text) {
    return platform::AnsiToQString(text);
}

// Case-insensitive as the compiler's label space is treated here.
bool SameName(const std::string& a, const std::string& b) {
    return Ansi(a).compare(Ansi(b), Qt::CaseInsensitive) == 0;
}

// Default names of other items are reserved: "<prefix><number>" with another number.
bool IsOtherDefaultName(const std::string& name, const std::string& prefix, int number) {
    if (name.compare(0, prefix.size(), prefix) != 0)
        return false;
    int n = 0;
    return ParseInt(name.substr(prefix.size()), n) && n != number;
}

// A name must be new among its own kind and the other kind: cells and tables share the
// compiler's label space.
template <class Item, class Own, class Other>
bool IsUnusedName(const Item* item, const std::string& name, const Own& own, const Other& other) {
    if (name.empty())
        return false;
    for (const auto& o : own) {
        if (o.get() != item && SameName(o->Name, name))
            return false;
    }
    for (const auto& o : other) {
        if (SameName(o->Name, name))
            return false;
    }
    return true;
}

// What a user may name an item: an unused name that is no other item's default name.
template <class Item, class Own, class Other>
bool IsFreeName(const Item* item, const std::string& name, const std::string& defaultPrefix,
                int number, const Own& own, const Other& other) {
    return !IsOtherDefaultName(name, defaultPrefix, number) && IsUnusedName(item, name, own, other);
}

// With no item at all every name passes; a refused name gives way to the item's own.
template <class Item, class Own, class Other>
bool CheckName(const Item* item, std::string& name, const std::string& defaultPrefix, int number,
               const Own& own, const Other& other) {
    if (own.empty())
        return true;
    if (!item)
        return false;
    const bool ok = IsFreeName(item, name, defaultPrefix, number, own, other);
    if (!ok)
        name = item->Name;
    return ok;
}

TRect Widened(TRect r) {
    if (r.IsEmpty())
        return r;
    const int margin = GridSize / 2 + 1;
    return {r.Left - margin, r.Top - margin, r.Right + margin, r.Bottom + margin};
}

// Refuses an edit while the simulation runs: the engine's pages are in use.
bool Refused(const TQuendalModel& model) {
    if (model.CanEdit())
        return false;
    platform::MessageBeep(platform::BeepKind::Exclamation);
    return true;
}

// The action is recorded only when the rename took place: a refused rename changes nothing.
template <class Item, class Record, class Rename>
bool RenameWithUndo(TQuendalModel& model, const Item* item, const std::string& name, Record record,
                    Rename rename) {
    if (Refused(model) || !item)
        return false;
    if (item->Name == name)
        return true;
    std::unique_ptr<TUndoAction> action = record(*item);
    if (!rename())
        return false;
    model.AddUndoAction(std::move(action), false);
    return true;
}

void CopyToClipboard(const char* format, const TLines& lines) {
    CopyLinesToClipboard(format, lines);
    if (!ClipboardHasLines(format))
        throw std::runtime_error("Fehler beim Kopieren in die Zwischenablage");
}

// Whether the engine took the blocks with their parameters and wires, by its own answers at
// their push; a block of a type the catalogue lacks was told of when read and stays out.
template <class Blocks> bool EngineTookAll(const Blocks& blocks) {
    return std::none_of(blocks.begin(), blocks.end(), [](const auto& block) {
        return block->KindCode() == 2 && static_cast<const TGraphBlock&>(*block).EngineRefused;
    });
}

// Cuts, in the cell and in the engine, every wire that comes from one of the blocks.
void CutWiresFrom(TBlockList& cell, const std::vector<TBlock*>& blocks) {
    for (int i = 0; i < cell.Count(); ++i) {
        TBlock* block = cell.Get(i);
        if (std::find(blocks.begin(), blocks.end(), block) != blocks.end() ||
            block->KindCode() != 2)
            continue;
        auto* graph = static_cast<TGraphBlock*>(block);
        for (int input = 0; input < MaxInputs; ++input) {
            const TInputLine* wire = graph->GetInput(input);
            if (!wire || std::none_of(blocks.begin(), blocks.end(),
                                      [wire](const TBlock* b) { return b->ID == wire->SourceId; }))
                continue;
            if (graph->InEngine)
                MoltraneSplitBlockConnection(cell.Engine, graph->ID, short(input));
            graph->SetInputLine(input, nullptr);
        }
    }
}

} // namespace

// ---- cells

bool TQuendalModel::NextFreeCellNumber(int& number) const {
    std::vector<bool> used(MaxCellNumber + 2, false);
    for (const auto& cell : Cells)
        used[cell->CellNumber] = true;
    for (number = 1; number <= MaxCellNumber; ++number) {
        if (!used[size_t(number)])
            return true;
    }
    number = 0;
    return false;
}

int TQuendalModel::PageBefore(int index) const {
    const TBlockList* cell = GetCell(index - 1);
    return cell ? cell->CellNumber : 0;
}

TBlockList* TQuendalModel::CreateCellAt(int index, int number) {
    if (index < 0 || index > CellCount())
        index = CellCount();
    if (FindCell(number) || MoltraneAddPage(Engine, number, PageBefore(index)) == 0)
        return nullptr;
    auto cell = std::make_unique<TBlockList>(uint16_t(number), Engine);
    MoltraneSetPageName(Engine, number, cell->Name.c_str());
    TBlockList* created = cell.get();
    Cells.insert(Cells.begin() + index, std::move(cell));
    SetChanged();
    return created;
}

void TQuendalModel::InsertNewCell(int index) {
    if (Refused(*this))
        return;
    int number = 0;
    if (!NextFreeCellNumber(number) || !CreateCellAt(index, number)) {
        ShowCellNotInserted();
        return;
    }
    auto action = std::make_unique<TInsertCellUndoAction>();
    action->SetUndoData(number);
    AddUndoAction(std::move(action), false);
    NotifyViews(nmCellInserted, number);
}

void TQuendalModel::PasteCell(int index) {
    if (Refused(*this))
        return;
    TLines lines;
    if (!PasteLinesFromClipboard(CellClipboardFormat, lines)) {
        ShowError(PasteError);
        return;
    }
    platform::WaitCursor wait;
    const TSimState state = SimState;
    int number = 0;
    TBlockList* cell = nullptr;
    if (!NextFreeCellNumber(number) || !(cell = CreateCellAt(index, number))) {
        ShowCellNotInserted();
        return;
    }
    auto action = std::make_unique<TInsertCellUndoAction>();
    action->SetUndoData(number);
    // The undo action and the notification follow even when reading fails; a cell the engine
    // refuses is taken back without either.
    struct Finish {
        TQuendalModel* model;
        std::unique_ptr<TInsertCellUndoAction>& action;
        int number;
        bool dropped = false;
        ~Finish() {
            if (dropped)
                return;
            model->AddUndoAction(std::move(action), false);
            model->NotifyViews(nmCellInserted, number);
        }
    } finish{this, action, number};
    const std::string name = cell->Name;
    // A text with the header, or the blocks alone.
    const bool withHeader = !lines.empty() && lines[0] != "#BLOCK_START";
    bool read = false;
    {
        TDroppedWires dropped{uint16_t(number)};
        read = cell->LoadFromLines(withHeader, lines, number);
        cell->Name = name;
        MoltraneSetPageName(Engine, number, name.c_str());
        cell->DropDanglingInputs();
        cell->PushToEngine();
    }
    std::vector<const TBlock*> blocks;
    for (int i = 0; i < cell->Count(); ++i)
        blocks.push_back(cell->Get(i));
    if (!EngineTookAll(blocks)) {
        finish.dropped = true;
        Cells.erase(Cells.begin() + IndexOfCell(number));
        MoltraneRemovePage(Engine, number);
        SimState = state;
    }
    if (!read || finish.dropped)
        ShowError(PasteError);
}

void TQuendalModel::CopyCell(int sourceNumber, int targetNumber) {
    if (Refused(*this))
        return;
    const TBlockList* source = FindCell(sourceNumber);
    int number = 0;
    TBlockList* cell = nullptr;
    if (!source || !NextFreeCellNumber(number) ||
        !(cell = CreateCellAt(IndexOfCell(targetNumber), number))) {
        ShowCellNotInserted();
        return;
    }
    auto action = std::make_unique<TInsertCellUndoAction>();
    action->SetUndoData(number);
    AddUndoAction(std::move(action), false);
    cell->Assign(*source);
    NotifyViews(nmCellInserted, number);
}

void TQuendalModel::DeleteCellWithUndo(int number) {
    if (Refused(*this) || !FindCell(number))
        return;
    auto action = std::make_unique<TDeleteCellUndoAction>();
    if (!action->SetUndoData(this, number))
        return;
    AddUndoAction(std::move(action), false);
    RemoveBreakpoint(number);
    DeleteCell(number);
}

bool TQuendalModel::DeleteCell(int number) {
    const int index = IndexOfCell(number);
    if (index < 0)
        return false;
    std::unique_ptr<TBlockList> cell = std::move(Cells[size_t(index)]);
    Cells.erase(Cells.begin() + index);
    MoltraneRemovePage(Engine, number);
    // The page and its blocks are gone from the engine with it.
    for (int i = 0; i < cell->Count(); ++i) {
        if (cell->Get(i)->KindCode() == 2)
            static_cast<TGraphBlock*>(cell->Get(i))->InEngine = false;
    }
    NotifyViews(nmCellDeleted, number);
    RemoveBreakpoint(number);
    SetChanged();
    return true;
}

void TQuendalModel::MoveCellWithUndo(int sourceNumber, int targetNumber) {
    if (Refused(*this) || sourceNumber == targetNumber)
        return;
    const int from = IndexOfCell(sourceNumber);
    const int to = IndexOfCell(targetNumber);
    if (from < 0 || to < 0)
        return;
    auto action = std::make_unique<TMoveCellUndoAction>();
    action->SetUndoData(this, sourceNumber);
    AddUndoAction(std::move(action), false);
    MoveCell(from, to);
}

bool TQuendalModel::MoveCell(int from, int to) {
    if (from < 0 || from >= CellCount() || to < 0 || to >= CellCount())
        return false;
    std::unique_ptr<TBlockList> cell = std::move(Cells[size_t(from)]);
    Cells.erase(Cells.begin() + from);
    Cells.insert(Cells.begin() + to, std::move(cell));
    const TBlockList* moved = Cells[size_t(to)].get();
    MoltraneMovePage(Engine, moved->CellNumber, PageBefore(to));
    SetChanged();
    NotifyViews(nmCellMoved, moved->CellNumber);
    return true;
}

bool TQuendalModel::CheckCellName(int number, std::string& name) const {
    return CheckName(FindCell(number), name, "Zelle ", number, Cells, Tables);
}

bool TQuendalModel::RenameCellWithUndo(int number, const std::string& name) {
    return RenameWithUndo(
        *this, FindCell(number), name,
        [](const TBlockList& cell) {
            auto action = std::make_unique<TRenameCellUndoAction>();
            action->SetUndoData(cell);
            return action;
        },
        [&] { return RenameCell(number, name); });
}

bool TQuendalModel::RenameCell(int number, const std::string& name) {
    TBlockList* cell = FindCell(number);
    if (!cell)
        return false;
    for (const auto& table : Tables) {
        if (SameName(table->Name, name)) {
            ShowError(QStringLiteral("Der Name %1 geh\xF6rt schon einer Tabelle!").arg(Ansi(name)));
            return false;
        }
    }
    if (MoltraneSetPageName(Engine, number, name.c_str()) == 0)
        return false;
    cell->Name = name;
    SetChanged();
    NotifyViews(nmCellRenamed, number);
    return true;
}

// ---- tables

void TQuendalModel::NewTable(bool internal) {
    if (Refused(*this))
        return;
    const uint16_t counter = TableNameCounter;
    const std::string name = "Tabelle " + std::to_string(TableNameCounter);
    ++TableNameCounter;
    std::unique_ptr<TConversionTable> table =
        internal ? TConversionTable::CreateInternal(name) : TConversionTable::CreateExternal(name);
    if (!internal && !table->SelectExternalFile())
        return;
    AppendTableWithUndo(std::move(table), counter);
}

void TQuendalModel::PasteTable() {
    if (Refused(*this))
        return;
    TLines lines;
    if (!PasteLinesFromClipboard(TableClipboardFormat, lines) || lines.empty()) {
        ShowError(PasteError);
        return;
    }
    // A table without its name line keeps its lines under a new default name; the undo takes
    // the counter back to before it.
    const uint16_t counter = TableNameCounter;
    if (!lines[0].starts_with("Name="))
        lines.insert(lines.begin(), "Name=" + FreshTableName());
    std::unique_ptr<TConversionTable> table = TConversionTable::CreateFromLines(lines);
    AppendTableWithUndo(std::move(table), counter);
}

void TQuendalModel::AppendTableWithUndo(std::unique_ptr<TConversionTable> table, uint16_t counter) {
    const int number = TableCount() + 1;
    table->Number = uint16_t(number);
    InsertTable(std::move(table));
    auto action = std::make_unique<TInsertTableUndoAction>();
    action->SetUndoData(number, counter);
    AddUndoAction(std::move(action), false);
}

void TQuendalModel::InsertTable(std::unique_ptr<TConversionTable> table) {
    const int position = table->Number - 1;
    TConversionTable* inserted = table.get();
    if (position >= 0 && position <= TableCount())
        Tables.insert(Tables.begin() + position, std::move(table));
    else
        Tables.push_back(std::move(table));
    RenumberTables();
    SetChanged();
    // A table brought back by undo or pasted keeps its name wherever it lands, as table blocks
    // refer to it; only a name in use gives way to a new default name.
    while (!IsUnusedName(inserted, inserted->Name, Tables, Cells))
        inserted->Name = "Tabelle " + std::to_string(TableNameCounter++);
    NotifyViews(nmTableInserted, inserted->Number);
}

void TQuendalModel::DeleteTable(int number) {
    if (Refused(*this))
        return;
    auto action = std::make_unique<TDeleteTableUndoAction>();
    if (!action->SetUndoData(this, number))
        return;
    AddUndoAction(std::move(action), false);
    eDeleteTable(number);
}

bool TQuendalModel::eDeleteTable(int number) {
    const int index = IndexOfTable(number);
    if (index < 0) {
        ShowError(QStringLiteral("Fehler in TQuendalModel.eDeleteTable: Tabelle nicht gefunden!"));
        return false;
    }
    SetChanged();
    NotifyViews(nmTableDeleting, number);
    Tables.erase(Tables.begin() + index);
    RenumberTables();
    return true;
}

bool TQuendalModel::CheckTableName(int number, std::string& name) const {
    return CheckName(FindTable(number), name, "Tabelle ", number, Tables, Cells);
}

bool TQuendalModel::RenameTableWithUndo(int number, const std::string& name) {
    return RenameWithUndo(
        *this, FindTable(number), name,
        [number](const TConversionTable& table) {
            auto action = std::make_unique<TRenameTableUndoAction>();
            action->SetUndoData(number, table.Name);
            return action;
        },
        [&] { return RenameTable(number, name); });
}

bool TQuendalModel::RenameTable(int number, const std::string& name) {
    TConversionTable* table = FindTable(number);
    if (!table)
        return false;
    for (const auto& cell : Cells) {
        if (SameName(cell->Name, name)) {
            ShowError(
                QStringLiteral("Der Name %1 geh\xF6rt schon einer Programmzelle!").arg(Ansi(name)));
            return false;
        }
    }
    table->Name = name;
    SetChanged();
    NotifyViews(nmTableRenamed, number);
    return true;
}

bool TQuendalModel::SetTableFileWithUndo(int number, const std::string& fileName) {
    if (Refused(*this))
        return false;
    TConversionTable* table = FindTable(number);
    if (!table || table->IsInternal || table->ExternFile == fileName)
        return false;
    auto action = std::make_unique<TEditTableFileUndoAction>();
    action->SetUndoData(number, table->ExternFile);
    AddUndoAction(std::move(action), false);
    table->SetExternFile(fileName);
    SetChanged();
    return true;
}

void TQuendalModel::RenumberTables() {
    for (size_t i = 0; i < Tables.size(); ++i)
        Tables[i]->Number = uint16_t(i + 1);
}

// ---- blocks

namespace {

bool OwnsCell(const TQuendalModel& model, const TBlockList* cell) {
    return cell && std::any_of(model.Cells.begin(), model.Cells.end(),
                               [cell](const auto& own) { return own.get() == cell; });
}

// Moves pasted blocks into the cell's numbers. Blocks with distinct valid local numbers keep
// them when the cell has none of them (cut blocks pasted back), else their spacing as one run
// (the shift still to apply); blocks sharing a local number (copied from different cells, or
// one number twice) or carrying none a cell may hold each get the next free number, and a wire
// follows the first block that carried its source's identifier. False when the cell has no
// room.
bool RenumberSharedLocals(const TBlockList& cell, std::vector<std::unique_ptr<TBlock>>& blocks,
                          int32_t& shift) {
    std::set<uint16_t> locals;
    for (const auto& block : blocks)
        locals.insert(block->LocalNumber());
    if (locals.size() == blocks.size() && *locals.begin() != 0 &&
        *locals.rbegin() <= MaxLocalNumber) {
        for (auto& block : blocks)
            block->SetCellNumber(cell.CellNumber);
        shift = 0;
        if (std::none_of(locals.begin(), locals.end(),
                         [&cell](uint16_t local) { return cell.FindBlock(local); }))
            return true;
        const int32_t minId = (uint32_t(cell.CellNumber) << 16) | *locals.begin();
        const int span = *locals.rbegin() - *locals.begin();
        const int32_t first = cell.FindFreeIdRun(span);
        if (first == 0 || (first & 0xFFFF) + span > MaxLocalNumber)
            return false;
        shift = first - minId;
        return true;
    }
    std::vector<bool> used(MaxLocalNumber + 2, false);
    for (int i = 0; i < cell.Count(); ++i)
        used[cell.Get(i)->LocalNumber()] = true;
    std::map<int32_t, int32_t> renamed;
    std::vector<int32_t> fresh;
    int next = 1;
    for (const auto& block : blocks) {
        while (next <= MaxLocalNumber && used[size_t(next)])
            ++next;
        if (next > MaxLocalNumber)
            return false;
        used[size_t(next)] = true;
        fresh.push_back(int32_t((uint32_t(cell.CellNumber) << 16) | uint32_t(next)));
        renamed.emplace(block->ID, fresh.back());
    }
    for (size_t i = 0; i < blocks.size(); ++i) {
        TBlock& block = *blocks[i];
        block.ID = fresh[i];
        for (int input = 0; input < MaxInputs; ++input) {
            TInputLine* wire = block.GetInput(input);
            if (!wire)
                continue;
            const auto source = renamed.find(wire->SourceId);
            if (source == renamed.end())
                block.SetInputLine(input, nullptr);
            else
                wire->SourceId = source->second;
        }
    }
    shift = 0;
    return true;
}

// The pasted blocks' IDs, looked up once per wire.
std::unordered_set<int32_t> PastedIds(const std::vector<std::unique_ptr<TBlock>>& blocks) {
    std::unordered_set<int32_t> ids;
    for (const auto& block : blocks)
        ids.insert(block->ID);
    return ids;
}

// The lowest edge or wire point of the blocks.
int LowestPoint(const std::vector<std::unique_ptr<TBlock>>& blocks) {
    int lowest = -MaxCellCoordinate;
    for (const auto& block : blocks) {
        lowest = std::max(lowest, block->Rect.Bottom);
        for (int input = 0; input < MaxInputs; ++input) {
            const TInputLine* wire = block->GetInput(input);
            for (int i = 0; wire && i < wire->PointCount; ++i)
                lowest = std::max(lowest, wire->Points[size_t(i)].y());
        }
    }
    return lowest;
}

// Drops the pasted blocks' wires from blocks outside the group; with keepFromCell those from a
// block of the cell stay.
void DropWiresFromOutside(const TBlockList& cell, std::vector<std::unique_ptr<TBlock>>& blocks,
                          bool keepFromCell) {
    const std::unordered_set<int32_t> pasted = PastedIds(blocks);
    for (auto& block : blocks) {
        for (int input = 0; input < MaxInputs; ++input) {
            const TInputLine* wire = block->GetInput(input);
            if (!wire || pasted.count(wire->SourceId))
                continue;
            const TBlock* source = cell.FindBlock(wire->SourceId);
            if (!keepFromCell || !source || source->ID != wire->SourceId)
                block->SetInputLine(input, nullptr);
        }
    }
}

// The undo action and the notification of a block the cell made; null when it made none.
TBlock* RecordInsertedBlock(TQuendalModel& model, const TBlockList& cell, TBlock* block) {
    if (!block)
        return nullptr;
    auto action = std::make_unique<TInsertBlockUndoAction>();
    action->SetUndoData(block->ID);
    model.AddUndoAction(std::move(action), false);
    model.SetChanged();
    TModelChange change;
    change.CellNumber = cell.CellNumber;
    change.BlockHandle = block->ID;
    change.NewRect = block->GetExtent();
    model.NotifyViews(nmBlocksInserted, NotifyData(&change));
    return block;
}

} // namespace

TBlock* TQuendalModel::InsertTextBlock(TBlockList* cell, const TRect& area) {
    if (Refused(*this) || !OwnsCell(*this, cell))
        return nullptr;
    return RecordInsertedBlock(*this, *cell, cell->InsertCommentBlock(area));
}

TBlock* TQuendalModel::InsertGraphBlock(TBlockList* cell, int typeId, const TRect& area) {
    if (Refused(*this) || !OwnsCell(*this, cell))
        return nullptr;
    return RecordInsertedBlock(*this, *cell, cell->InsertGraphBlock(typeId, area));
}

void TQuendalModel::PasteBlocks(TBlockList* cell, std::vector<TBlock*>& selection, QPoint& where) {
    if (Refused(*this) || !OwnsCell(*this, cell))
        return;
    selection.clear();
    TLines lines;
    if (!PasteLinesFromClipboard(BlocksClipboardFormat, lines)) {
        ShowError(PasteError);
        return;
    }
    // Read as the cell reads its blocks, with the same messages; the wires dropped on the way
    // are told in one.
    TDroppedWires dropped(cell->CellNumber);
    std::vector<std::unique_ptr<TBlock>> blocks;
    const bool read = ReadBlockSections(lines, 0, Engine, blocks);
    if (blocks.empty()) {
        if (!read)
            ShowError(PasteError);
        return;
    }
    int minLeft = INT32_MAX, minTop = INT32_MAX;
    for (auto& block : blocks) {
        minLeft = std::min(minLeft, block->Rect.Left);
        minTop = std::min(minTop, block->Rect.Top);
    }
    // A wire from a block that is neither pasted nor in this cell would tie the copy to an
    // unrelated block.
    DropWiresFromOutside(*cell, blocks, true);
    int32_t shift = 0;
    if (!RenumberSharedLocals(*cell, blocks, shift)) {
        ShowTooManyBlocks();
        return;
    }
    int bottom = 0;
    for (int i = 0; i < cell->Count(); ++i)
        bottom = std::max(bottom, cell->Get(i)->Rect.Bottom);
    // Below the cell's blocks, as far as the cell's range leaves room for the group.
    const int down = int(std::min<int64_t>(int64_t(bottom) + 20 - minTop,
                                           int64_t(MaxCellCoordinate) - LowestPoint(blocks)));
    // Shifted numbers would tie a wire from a block outside the group to the wrong block.
    if (shift != 0) {
        DropWiresFromOutside(*cell, blocks, false);
        for (auto& block : blocks)
            block->ShiftIds(shift);
    }
    // Exactly by that distance: no grid snap. A wire from a block of the cell keeps its bends
    // and ends at the block's new place, as when the block is moved.
    const std::unordered_set<int32_t> pasted = PastedIds(blocks);
    for (auto& block : blocks) {
        if (down == 0)
            continue;
        block->Rect.Offset(0, down);
        for (int input = 0; input < MaxInputs; ++input) {
            TInputLine* wire = block->GetInput(input);
            if (!wire)
                continue;
            if (pasted.count(wire->SourceId)) {
                for (int i = 0; i < wire->PointCount; ++i)
                    wire->Points[size_t(i)] += QPoint(0, down);
                wire->UpdateBounds();
            } else {
                wire->RouteEnd(block->Rect);
            }
        }
    }
    where = QPoint(minLeft, minTop + down);
    TModelChange change;
    change.CellNumber = cell->CellNumber;
    for (auto& block : blocks) {
        selection.push_back(block.get());
        change.NewRect = UnionRects(change.NewRect, block->GetExtent());
        cell->Add(std::move(block));
    }
    cell->PushToEngine();
    // What the engine refuses takes the whole paste back: the cell stays as it was.
    if (!EngineTookAll(selection)) {
        for (const TBlock* block : selection)
            cell->DeleteBlock(block->ID);
        selection.clear();
        ShowError(PasteError);
        return;
    }
    auto action = std::make_unique<TInsertBlocksUndoAction>();
    action->CellNumber = cell->CellNumber;
    for (const TBlock* block : selection)
        action->SetUndoData(block->ID);
    AddUndoAction(std::move(action), false);
    SetChanged();
    NotifyViews(nmBlocksInserted, NotifyData(&change));
    if (!read)
        ShowError(PasteError);
}

namespace {

// Moves each block by its own offset; every block fed by a moved one follows with its wire
// ends. With a group offset the wires among the blocks move as one by it (their bends snap on
// their own), else block by block. The rectangles collect the areas before and after.
void MoveBlocksBy(TBlockList& cell, const std::vector<TBlock*>& blocks,
                  const std::vector<QPoint>& offsets, TModelChange& change,
                  std::optional<QPoint> groupOffset = std::nullopt) {
    std::vector<TBlock*> concerned;
    for (int i = 0; i < cell.Count(); ++i) {
        TBlock* block = cell.Get(i);
        if (std::find(blocks.begin(), blocks.end(), block) != blocks.end() ||
            block->HasInputFrom(blocks)) {
            concerned.push_back(block);
            change.OldRect = UnionRects(change.OldRect, block->GetExtent());
        }
    }
    const bool together = std::all_of(offsets.begin(), offsets.end(),
                                      [&offsets](QPoint p) { return p == offsets.front(); });
    if (together && !groupOffset)
        groupOffset = offsets.front();
    if (groupOffset) {
        for (size_t i = 0; i < blocks.size(); ++i)
            blocks[i]->Rect.Offset(offsets[i].x(), offsets[i].y());
        for (TBlock* block : concerned)
            block->MoveInGroup(cell, blocks, *groupOffset);
    } else {
        for (size_t i = 0; i < blocks.size(); ++i) {
            blocks[i]->Rect.Offset(offsets[i].x(), offsets[i].y());
            for (TBlock* block : concerned)
                block->MoveInGroup(cell, {blocks[i]}, offsets[i]);
        }
    }
    for (TBlock* block : concerned)
        change.NewRect = UnionRects(change.NewRect, block->GetExtent());
    change.OldRect = Widened(change.OldRect);
    change.NewRect = Widened(change.NewRect);
}

} // namespace

void TQuendalModel::AlignBlocks(int mode, TBlockList* cell, const std::vector<TBlock*>& selection) {
    if (Refused(*this) || !OwnsCell(*this, cell) || selection.size() < 2 || mode < 0 || mode > 3)
        return;
    auto edge = [mode](const TBlock* b) {
        switch (mode) {
        case 0:
            return b->Rect.Left;
        case 1:
            return b->Rect.Top;
        case 2:
            return b->Rect.Right;
        default:
            return b->Rect.Bottom;
        }
    };
    int target = edge(selection.front());
    for (const TBlock* block : selection)
        target = mode < 2 ? std::min(target, edge(block)) : std::max(target, edge(block));
    if (std::all_of(selection.begin(), selection.end(),
                    [&](const TBlock* b) { return edge(b) == target; }))
        return;
    auto action = std::make_unique<TMoveBlocksUndoAction>();
    action->SetUndoData(*cell, selection);
    AddUndoAction(std::move(action), false);
    std::vector<QPoint> offsets;
    for (const TBlock* block : selection) {
        const int d = target - edge(block);
        offsets.push_back(mode % 2 == 0 ? QPoint(d, 0) : QPoint(0, d));
    }
    TModelChange change;
    change.CellNumber = cell->CellNumber;
    MoveBlocksBy(*cell, selection, offsets, change);
    SetChanged();
    NotifyViews(nmBlocksMoved, NotifyData(&change));
}

void TQuendalModel::MoveBlocks(TBlockList* cell, const std::vector<TBlock*>& selection,
                               QPoint offset) {
    if (Refused(*this) || !OwnsCell(*this, cell) || selection.empty() || offset.isNull())
        return;
    // Aligning snaps every block's rectangle, not only the first one's.
    std::vector<QPoint> offsets;
    bool moves = false;
    for (const TBlock* block : selection) {
        const TRect r = MovedRect(block->Rect, offset);
        offsets.emplace_back(r.Left - block->Rect.Left, r.Top - block->Rect.Top);
        moves = moves || !offsets.back().isNull();
    }
    if (!moves)
        return;
    auto action = std::make_unique<TMoveBlocksUndoAction>();
    action->SetUndoData(*cell, selection);
    AddUndoAction(std::move(action), false);
    TModelChange change;
    change.CellNumber = cell->CellNumber;
    MoveBlocksBy(*cell, selection, offsets, change, offset);
    SetChanged();
    NotifyViews(nmBlocksMoved, NotifyData(&change));
}

bool TQuendalModel::EditBlock(TBlockList* cell, int kind, BlockHandle handle) {
    if (Refused(*this) || !OwnsCell(*this, cell))
        return false;
    TBlock* block = cell->FindBlock(handle);
    if (!block || !block->CanEditData(kind))
        return false;
    std::string old;
    block->GetData(kind, old);
    TModelChange change;
    change.CellNumber = cell->CellNumber;
    change.BlockHandle = handle;
    change.OldRect = block->GetExtent();
    bool changed = false;
    const bool accepted = block->EditData(kind, changed);
    // A parameter dialog reports a new size only; a new text is a change as well.
    std::string now;
    block->GetData(kind, now);
    if (!changed && !(accepted && now != old))
        return false;
    SetChanged();
    auto action = std::make_unique<TEditBlockUndoAction>();
    action->SetUndoData(handle, kind, 1, old);
    AddUndoAction(std::move(action), false);
    change.NewRect = block->GetExtent();
    NotifyViews(nmBlockEdited, NotifyData(&change));
    return true;
}

void TQuendalModel::DeleteBlocksWithUndo(TBlockList* cell, const std::vector<TBlock*>& selection) {
    if (Refused(*this) || !OwnsCell(*this, cell) || selection.empty())
        return;
    auto action = std::make_unique<TDeleteBlocksUndoAction>();
    action->SetUndoData(*cell, selection);
    AddUndoAction(std::move(action), false);
    DeleteBlocks(cell, selection);
}

bool TQuendalModel::DeleteBlocks(TBlockList* cell, std::vector<TBlock*> selection) {
    // A block named twice is deleted once.
    std::sort(selection.begin(), selection.end());
    selection.erase(std::unique(selection.begin(), selection.end()), selection.end());
    SetChanged();
    TModelChange change;
    change.CellNumber = cell->CellNumber;
    for (int i = 0; i < cell->Count(); ++i) {
        const TBlock* block = cell->Get(i);
        if (std::find(selection.begin(), selection.end(), block) != selection.end() ||
            block->HasInputFrom(selection))
            change.OldRect = UnionRects(change.OldRect, block->GetExtent());
    }
    // The fed blocks lose their wires first, so neither the cell nor the engine keeps a wire
    // from a block that is gone.
    CutWiresFrom(*cell, selection);
    bool ok = true;
    for (TBlock* block : selection) {
        const int32_t id = block->ID;
        if (!cell->DeleteBlock(id)) {
            ok = false;
            break;
        }
        if (CurrentItem == id)
            SetCurrentItem(-1);
    }
    cell->PushToEngine();
    NotifyViews(nmBlocksRemoved, NotifyData(&change));
    return ok;
}

bool TQuendalModel::RemoveBlock(BlockHandle handle) {
    TBlockList* cell = FindCell(int(uint32_t(handle) >> 16));
    TBlock* block = cell ? cell->FindBlock(handle) : nullptr;
    if (!block || block->ID != handle)
        return false;
    TModelChange change;
    change.CellNumber = cell->CellNumber;
    change.BlockHandle = handle;
    change.OldRect = block->GetExtent();
    CutWiresFrom(*cell, {block});
    if (!cell->DeleteBlock(handle))
        return false;
    if (CurrentItem == handle)
        SetCurrentItem(-1);
    SetChanged();
    NotifyViews(nmBlocksRemoved, NotifyData(&change));
    return true;
}

// ---- wires

bool TQuendalModel::ConnectWire(BlockHandle dest, int& input, std::unique_ptr<TInputLine> wire) {
    if (Refused(*this))
        return false;
    auto action = std::make_unique<TWireUndoAction>();
    if (input >= 0) {
        if (!action->SetUndoData(this, 0, dest, input))
            return false;
        if (!ChangeWire(dest, 0, std::move(wire), input))
            return false;
        AddUndoAction(std::move(action), false);
        return true;
    }
    // The engine picks the first free input; the action names the one it picked, which was
    // empty before.
    if (!ChangeWire(dest, 0, std::move(wire), input) || input < 0)
        return false;
    action->SetUndoData(this, 0, dest, input);
    action->InputText.clear();
    AddUndoAction(std::move(action), false);
    return true;
}

bool TQuendalModel::MoveWire(BlockHandle dest, int input, std::unique_ptr<TInputLine> wire) {
    if (Refused(*this))
        return false;
    auto action = std::make_unique<TWireUndoAction>();
    if (!action->SetUndoData(this, 1, dest, input))
        return false;
    AddUndoAction(std::move(action), false);
    return ChangeWire(dest, 1, std::move(wire), input);
}

bool TQuendalModel::SplitWire(BlockHandle dest, int input) {
    if (Refused(*this))
        return false;
    auto action = std::make_unique<TWireUndoAction>();
    if (!action->SetUndoData(this, 2, dest, input))
        return false;
    AddUndoAction(std::move(action), false);
    return ChangeWire(dest, 2, nullptr, input);
}

bool TQuendalModel::ChangeWire(BlockHandle dest, int mode, std::unique_ptr<TInputLine> wire,
                               int& input) {
    TBlockList* cell = FindCell(int(uint32_t(dest) >> 16));
    if (!cell) {
        ShowError(QStringLiteral("Fehler bei \xC4nderung Blockverbindung: Zelle nicht gefunden!"));
        return false;
    }
    TBlock* block = cell->FindBlock(dest);
    if (!block) {
        ShowError(QStringLiteral("Fehler bei \xC4nderung Blockverbindung: Block nicht gefunden!"));
        return false;
    }
    TModelChange change;
    change.CellNumber = cell->CellNumber;
    change.BlockHandle = dest;
    change.OldRect = block->GetExtent();
    if (mode == 1) {
        // A new path for the wire there: where it comes from and its kind stay.
        const TInputLine* present = block->GetInput(input);
        if (!present || !wire)
            return false;
        wire->SourceId = present->SourceId;
        wire->Kind = present->Kind;
        wire->InputLetter = present->InputLetter;
    }
    // The engine connects a free input only; the cell must not hold a wire it refused.
    if (mode == 0 && block->GetInput(input))
        return false;
    if (wire)
        wire->UpdateBounds();
    const bool ok = block->ConnectInput(mode, input, std::move(wire));
    if (!ok && mode == 0 && input >= 0 && input < MaxInputs)
        block->SetInputLine(input, nullptr);
    SetChanged();
    change.NewRect = block->GetExtent();
    NotifyViews(nmInputChanged, NotifyData(&change));
    return ok;
}

// ---- clipboard

void TQuendalModel::CopyCellToClipboard(int number) {
    const TBlockList* cell = FindCell(number);
    if (!cell)
        return;
    platform::WaitCursor wait;
    TLines lines;
    cell->SaveToLines(true, lines);
    CopyToClipboard(CellClipboardFormat, lines);
}

void TQuendalModel::CopyBlocksToClipboard(const TBlockList* cell,
                                          const std::vector<TBlock*>& selection) {
    if (!cell || selection.empty())
        return;
    platform::WaitCursor wait;
    TLines lines;
    cell->SaveSelectedToLines(selection, lines);
    CopyToClipboard(BlocksClipboardFormat, lines);
}

void TQuendalModel::CopyTableToClipboard(int number) {
    const TConversionTable* table = FindTable(number);
    if (!table)
        return;
    platform::WaitCursor wait;
    TLines lines;
    table->SaveToLines(&lines);
    CopyToClipboard(TableClipboardFormat, lines);
}

// ---- watches

std::function<void(TQuendalModel*)> TQuendalModel::ShowWatchWindow;

void TQuendalModel::AddWatch(BlockHandle handle) {
    std::unique_ptr<TWatchEntry> watch = TWatchEntry::CreateForBlock(Engine, handle);
    if (!watch)
        return;
    for (int i = 0; i < WatchCount(); ++i) {
        if (Watches[size_t(i)]->Code == watch->Code) {
            NotifyViews(nmWatchSelected, i);
            return;
        }
    }
    Watches.push_back(std::move(watch));
    if (ShowWatchWindow)
        ShowWatchWindow(this);
    NotifyViews(nmWatchAdded, WatchCount());
}

void TQuendalModel::DeleteWatch(int index) {
    if (index < 0 || index >= WatchCount())
        return;
    Watches.erase(Watches.begin() + index);
    NotifyViews(nmWatchDeleted, 0);
}

std::function<std::optional<QString>(const QString&, const QString&, const QString&)>
    TWatchEntry::InputQuery = [](const QString& caption, const QString& prompt,
                                 const QString& value) -> std::optional<QString> {
    bool ok = false;
    const QString text = QInputDialog::getText(platform::DialogOwner(), caption, prompt,
                                               QLineEdit::Normal, value, &ok);
    if (!ok)
        return std::nullopt;
    return text;
};

bool TWatchEntry::ValueRange(MapCode code, int32_t& low, int32_t& high) {
    low = 0;
    switch ((uint32_t(code) >> 24) & 0xFF) {
    case 1:
        high = 65535;
        return true;
    case 2:
        high = 255;
        return true;
    case 3:
        high = 1;
        return true;
    default:
        high = 0;
        return false;
    }
}

bool TWatchEntry::EditValue() {
    const std::optional<QString> text =
        InputQuery
            ? InputQuery(QStringLiteral("Variable \xE4ndern"),
                         QStringLiteral("Geben Sie den neuen Wert ein:"), QString::number(Value))
            : std::nullopt;
    if (!text)
        return false;
    bool number = false;
    const int value = text->trimmed().toInt(&number);
    if (!number) {
        platform::MessageBeep(platform::BeepKind::Exclamation);
        return false;
    }
    int32_t low = 0, high = 0;
    bool result = false;
    if (!ValueRange(Code, low, high) || value < low || value > high) {
        // The simulator takes 16 bits and keeps fewer for bytes and bits: it would cut.
        ShowError(QStringLiteral("Der Wert muss zwischen %1 und %2 liegen!").arg(low).arg(high));
    } else if (value != Value && MoltraneSetValue(Engine, Code, short(uint16_t(value)))) {
        Value = value;
        Changed = true;
        result = true;
    }
    // The edited value may have been an A/D input.
    bool analogChanged = false;
    for (unsigned short channel = 0; channel < 8; ++channel) {
        const int level = MoltraneGetADC(Engine, channel);
        if (level != SimulatorIoState.AnalogIn[channel]) {
            SimulatorIoState.AnalogIn[channel] = uint8_t(level);
            analogChanged = true;
        }
    }
    if (analogChanged && SimulatorWindows.AnalogPortRefresh)
        SimulatorWindows.AnalogPortRefresh();
    return result;
}
