#include "graphical/model/blocklist.h"

#include <QFont>
#include <QPainter>

#include <algorithm>
#include <unordered_map>

#include "framework/utils.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/graphblock.h"

const char* const CellClipboardFormat = "Tavrissel plus Cell";
const char* const BlocksClipboardFormat = "Tavrissel plus Blocks";

namespace {

constexpr int MaxLocalNumber = 65534;
constexpr int TitleHeight = 30;

// The number behind a key of the given length, at most 10 characters of it.
bool NumberBehind(const std::string& line, size_t keyLength, int& value) {
    return line.size() > keyLength && ParseInt(line.substr(keyLength, 10), value);
}

bool IsUnknownType(const TBlock& block) {
    return block.KindCode() == 2 && static_cast<const TGraphBlock&>(block).UnknownType();
}

} // namespace

TDroppedWires::TDroppedWires(uint16_t cell) : cell_(cell) {
    if (!outer_)
        outer_ = this;
}

bool TDroppedWires::Add(int32_t id, const std::string& input) {
    if (!outer_)
        return false;
    outer_->entries_.push_back({id, input});
    return true;
}

TDroppedWires::~TDroppedWires() {
    if (outer_ != this)
        return;
    outer_ = nullptr;
    // In the order the cells first came up, each with its wires in the order they went.
    constexpr int MostListed = 20;
    const auto cellOf = [this](const Entry& entry) {
        return cell_ ? int(cell_) : int(uint32_t(entry.id) >> 16);
    };
    std::vector<int> cells;
    for (const Entry& entry : entries_) {
        const int cell = cellOf(entry);
        if (std::find(cells.begin(), cells.end(), cell) == cells.end())
            cells.push_back(cell);
    }
    try {
        for (const int cell : cells) {
            QStringList listed;
            int count = 0;
            const Entry* only = nullptr;
            for (const Entry& entry : entries_) {
                if (cellOf(entry) != cell)
                    continue;
                only = &entry;
                if (++count <= MostListed)
                    listed << QStringLiteral("Block %1, Eingang %2")
                                  .arg(entry.id & 0xFFFF)
                                  .arg(QString::fromStdString(entry.input));
            }
            if (count == 1) {
                ShowDroppedWire(only->id & 0xFFFF, cell, only->input);
                continue;
            }
            if (count > MostListed)
                listed << QStringLiteral("... und %1 weitere").arg(count - MostListed);
            ShowError(QString::fromUtf8("In Zelle %1 wurden %2 ung\xC3\xBCltige Verbindungen "
                                        "entfernt:\r")
                          .arg(cell)
                          .arg(count) +
                      listed.join(QLatin1Char('\r')));
        }
    } catch (...) {
        // A message that cannot be shown must not leave the destructor.
    }
}

int TCustomBlockList::IndexOf(const TBlock* block) const {
    for (int i = 0; i < Count(); ++i) {
        if (blocks_[i].get() == block)
            return i;
    }
    return -1;
}

TBlockList::TBlockList(uint16_t cellNumber, EngineHandle engine)
    : CellNumber(cellNumber), Name("Zelle " + std::to_string(cellNumber)), Engine(engine) {}

TBlockList::~TBlockList() = default;

TBlock* TBlockList::FindBlock(int32_t id) const {
    const uint16_t local = uint16_t(id & 0xFFFF);
    if (!lookup_.empty())
        return lookup_[local];
    for (const auto& block : blocks_) {
        if (block->LocalNumber() == local)
            return block.get();
    }
    return nullptr;
}

int32_t TBlockList::NewBlockId() const {
    std::vector<bool> used(MaxLocalNumber + 2, false);
    for (const auto& block : blocks_)
        used[block->LocalNumber()] = true;
    int n = 1;
    while (n <= MaxLocalNumber && used[n])
        ++n;
    if (n > MaxLocalNumber) {
        ShowTooManyBlocks();
        return 0;
    }
    return MakeId(n);
}

int32_t TBlockList::FindFreeIdRun(int n) const {
    // The first start whose run s..s + n holds no used identifier; every start skipped on the
    // way has a used identifier inside its run.
    std::vector<int64_t> used;
    used.reserve(blocks_.size());
    for (const auto& block : blocks_)
        used.push_back(block->ID);
    std::sort(used.begin(), used.end());
    int64_t s = MakeId(1);
    for (int64_t id : used) {
        if (id < s)
            continue;
        if (id > s + n)
            break;
        s = id + 1;
    }
    // The run ends inside this cell's numbers.
    if ((s & 0xFFFF) == 0 || (s & 0xFFFF) + n > MaxLocalNumber)
        return 0;
    return int32_t(s);
}

TBlock* TBlockList::InsertGraphBlock(int typeId, const TRect& area) {
    const int32_t id = NewBlockId();
    if (id == 0)
        return nullptr;
    std::unique_ptr<TGraphBlock> block = TGraphBlock::CreateTyped(id, Engine, typeId);
    if (!block->SyncWithEngine(true, this))
        return nullptr;
    block->FetchParam();
    TBlock* added = block.get();
    Add(std::move(block));
    PlaceBlock(Count() - 1, area);
    return added;
}

TBlock* TBlockList::InsertCommentBlock(const TRect& area) {
    const int32_t id = NewBlockId();
    if (id == 0)
        return nullptr;
    try {
        auto block = std::make_unique<TTextBlock>(id, Engine);
        TBlock* added = block.get();
        Add(std::move(block));
        PlaceBlock(Count() - 1, area);
        return added;
    } catch (const std::exception&) {
        if (!blocks_.empty() && blocks_.back()->ID == id)
            blocks_.pop_back();
        return nullptr;
    }
}

bool TBlockList::DeleteBlock(int32_t id) {
    if ((uint32_t(id) >> 16) != CellNumber)
        throw EBlockError("Falsche BlockID in dieser Zelle");
    TBlock* block = FindBlock(id);
    if (!block)
        return false;
    const int index = IndexOf(block);
    std::unique_ptr<TBlock> removed = std::move(blocks_[index]);
    blocks_.erase(blocks_.begin() + index);
    removed->RemoveFromEngine();
    return true;
}

namespace {

// The section holds a line a block is made of, beside its alias and number.
bool HoldsBlockLines(const TLines& lines, size_t index, size_t end) {
    for (; index < end; ++index) {
        if (IsRectLine(lines[index]) || lines[index].starts_with("TYPE=") ||
            lines[index].starts_with("Font="))
            return true;
    }
    return false;
}

// Creates a block from its section (its alias, its "ID=" line and the rest up to the next
// block's start or end) and reads it; null after a message when the alias is unknown, the
// number line holds no number, or the section holds nothing a block is made of. A block whose
// number line is lost is kept with the number 0 (note.IdLost). A rectangle out of the cell's range,
// or none, is not taken: the block keeps the place of a new block. Index stops at the marker behind
// the section.
std::unique_ptr<TBlock> ReadBlock(const TLines& lines, size_t& index, EngineHandle engine,
                                  TBlockNote& note) {
    const size_t end = BlockSectionEnd(lines, index);
    const std::string alias = index < end ? lines[index] : std::string();
    TBlockFactory factory = FindBlockClass(alias);
    if (!factory) {
        ShowError(QStringLiteral("Unbekannter Blocktyp %1!").arg(MessageQuote(alias)));
        index = end;
        return nullptr;
    }
    ++index;
    // The "ID=" line in its place, else wherever it stands in the section; out of its place
    // only one of a number counts, for a comment's text may read so too.
    size_t idAt = index;
    while (idAt < end && !lines[idAt].starts_with("ID="))
        ++idAt;
    int id = 0;
    const bool numbered = idAt < end && NumberBehind(lines[idAt], 3, id);
    if (!numbered && idAt != index)
        idAt = end;
    if (!numbered) {
        // A number line that holds no number is refused, as is a section that holds no more
        // than its alias.
        if (idAt < end || !HoldsBlockLines(lines, index, end)) {
            ShowError(QString::fromUtf8("Ung\xC3\xBCltige Block-ID: %1!")
                          .arg(MessageQuote(index < end ? lines[index] : std::string())));
            index = end;
            return nullptr;
        }
        note.IdLost = true;
    }
    if (idAt == index)
        ++index;
    else if (idAt < end)
        note.Skip = idAt;
    std::unique_ptr<TBlock> block = factory(id, engine);
    // Its own lines' result does not stop the reader: the block keeps what it read.
    block->LoadFromLines(lines, index, &note);
    return block;
}

// A function block's type as its lines gave it, unless the text is read back.
void ReportBlockType(const TBlock& block) {
    if (block.KindCode() != 2 || TReadBackScope::Active())
        return;
    const auto& graph = static_cast<const TGraphBlock&>(block);
    if (!graph.HasType)
        ShowErrorFmt("Block %d in Zelle %d hat keinen Blocktyp!", block.LocalNumber(),
                     int(uint32_t(block.ID) >> 16));
    else if (graph.UnknownType())
        ShowError(QStringLiteral("Unbekannter Blocktyp %1!").arg(graph.TypeId));
}

// One message for each block kept against its lines: a new number (oldId differs from newId,
// or the block had none) or a new place. newId names the cell the block ends up in.
void ReportKeptBlock(const TBlockNote& note, int32_t oldId, int32_t newId) {
    const int local = newId & 0xFFFF, cell = int(uint32_t(newId) >> 16);
    const bool moved = note.Moved();
    const QString why = note.Rect == TRectRead::Missing
                            ? QString::fromUtf8("keine Koordinaten hatte")
                            : QString::fromUtf8("au\xC3\x9F"
                                                "erhalb der Zelle lag");
    if (!note.IdLost && oldId == newId) {
        if (note.Rect == TRectRead::Missing)
            ShowErrorFmt("Block %d in Zelle %d hatte keine Koordinaten und wurde neu platziert!",
                         local, cell);
        else
            ShowErrorFmt("Block %d in Zelle %d lag au\xC3\x9F"
                         "erhalb der Zelle und wurde neu platziert!",
                         local, cell);
        return;
    }
    const QString head = note.IdLost
                             ? QStringLiteral("Fehlende Block-ID!")
                             : QString::fromUtf8("Ung\xC3\xBCltige Block-ID: ID=%1!").arg(oldId);
    QString text = head + QString::fromUtf8(" Der Block erh\xC3\xA4lt die Nummer %1 in Zelle %2")
                              .arg(local)
                              .arg(cell);
    if (moved)
        text += QStringLiteral(" und wurde neu platziert, da er %1").arg(why);
    ShowError(text + QLatin1Char('.'));
}

// Steps behind the next end marker, or up to the next block's start when that comes first;
// false when neither follows.
bool SkipToNextBlock(const TLines& lines, size_t& index) {
    index = BlockSectionEnd(lines, index);
    if (index >= lines.size())
        return false;
    if (lines[index] == "#BLOCK_END")
        ++index;
    return true;
}

// The block sections as ReadBlockSections reads them, a note for each block read. A
// "#BLOCK_START" line always starts a block: it ends the one before it.
bool ReadSections(const TLines& lines, size_t index, EngineHandle engine,
                  std::vector<std::unique_ptr<TBlock>>& blocks, std::vector<TBlockNote>& notes) {
    bool result = true;
    while (index < lines.size()) {
        if (lines[index].empty()) {
            ++index;
            continue;
        }
        // What cannot be read is told and passed over: the blocks behind it are read.
        if (lines[index] != "#BLOCK_START") {
            ShowError(QStringLiteral("Falscher Blockbeginn in Zeile:\r%1")
                          .arg(MessageQuote(lines[index])));
            result = false;
            if (!SkipToNextBlock(lines, index))
                return false;
            continue;
        }
        ++index;
        TBlockNote note;
        std::unique_ptr<TBlock> block = ReadBlock(lines, index, engine, note);
        if (!block || note.Damaged)
            result = false;
        if (block) {
            // Kept as read; a block without a known type is drawn without a picture and its
            // add pass fails.
            ReportBlockType(*block);
            blocks.push_back(std::move(block));
            notes.push_back(note);
        }
        // Ended by its end marker, else by the next block's start or the text's end.
        if (index < lines.size() && lines[index] == "#BLOCK_END")
            ++index;
        else
            result = false;
    }
    return result;
}

} // namespace

bool ReadBlockSections(const TLines& lines, size_t index, EngineHandle engine,
                       std::vector<std::unique_ptr<TBlock>>& blocks) {
    std::vector<TBlockNote> notes;
    const size_t first = blocks.size();
    const bool result = ReadSections(lines, index, engine, blocks, notes);
    // A block without a number gets one where it lands.
    for (size_t i = 0; i < notes.size(); ++i) {
        if (notes[i].Moved() && !notes[i].IdLost)
            ReportKeptBlock(notes[i], blocks[first + i]->ID, blocks[first + i]->ID);
    }
    return result;
}

void ShowCellReadError(int number) {
    ShowError(QStringLiteral("Fehler beim Lesen der Programmzelle %1!").arg(number));
}

void ShowTooManyBlocks() {
    ShowError(QString::fromUtf8("Einf\xC3\xBCgen nicht m\xC3\xB6glich:\r\n"
                                "Zu viele Bl\xC3\xB6"
                                "cke in dieser Programmzelle!"));
}

void ShowCellNotInserted() {
    ShowError(QStringLiteral("Konnte keine neue Programmzelle einf\xFCgen!"));
}

bool TBlockList::InsertBlockFromLines(const TLines& lines, TRect& extent) {
    if (lines.empty())
        return false;
    size_t index = 0;
    TBlockNote note;
    std::unique_ptr<TBlock> block = ReadBlock(lines, index, Engine, note);
    if (!block || note.IdLost || FindBlock(block->ID))
        return false;
    TBlock* added = block.get();
    Add(std::move(block));
    extent = added->GetExtent();
    // A block of a type the catalogue lacks stays without its engine twin.
    if (!added->SyncWithEngine(true, this) && !IsUnknownType(*added)) {
        blocks_.pop_back();
        return false;
    }
    return true;
}

bool TBlockList::ReplaceBlock(TBlock* old, std::unique_ptr<TBlock> replacement) {
    const int index = IndexOf(old);
    if (index < 0)
        return false;
    blocks_[index] = std::move(replacement);
    return true;
}

void TBlockList::Clear() {
    for (auto& block : blocks_)
        block->RemoveFromEngine();
    blocks_.clear();
}

bool TBlockList::Assign(const TBlockList& source) {
    // Clearing first would free the blocks to be copied.
    if (&source == this)
        return PushToEngine();
    Clear();
    for (const auto& original : source.blocks_) {
        std::unique_ptr<TBlock> copy = original->CreateSame(original->ID, Engine);
        copy->Assign(*original);
        // After the copy, so that the copied wires come from this cell's blocks.
        copy->SetCellNumber(CellNumber);
        Add(std::move(copy));
    }
    return PushToEngine();
}

void TBlockList::DropDanglingInputs(bool report) {
    // A table of the local numbers, not a search for each wire.
    std::vector<bool> present(MaxLocalNumber + 2, false);
    for (const auto& block : blocks_)
        present[block->LocalNumber()] = true;
    for (auto& block : blocks_) {
        if (block->KindCode() != 2)
            continue;
        for (int i = 0; i < MaxInputs; ++i) {
            const TInputLine* wire = block->GetInput(i);
            if (!wire || present[wire->SourceId & 0xFFFF])
                continue;
            if (report)
                ReportDroppedWire(block->ID, i);
            block->SetInputLine(i, nullptr);
        }
    }
}

TRect TBlockList::GetBlockExtent(int32_t id) const {
    const TBlock* block = FindBlock(id);
    return block ? block->GetExtent() : TRect{};
}

TRect TBlockList::GetCellExtent() const {
    TRect extent;
    for (const auto& block : blocks_)
        extent = UnionRects(extent, block->GetExtent());
    return extent;
}

void TBlockList::PlaceBlock(int index, const TRect& area) {
    TBlock* block = Get(index);
    if (!block)
        return;
    TRect r = block->Rect;
    r.Offset(area.Left - r.Left, area.Top - r.Top);
    SnapRectToGridUp(r);
    bool rowStart = true;
    for (;;) {
        const TBlock* other = nullptr;
        for (const auto& candidate : blocks_) {
            if (candidate.get() != block && RectsIntersect(r, candidate->Rect)) {
                other = candidate.get();
                break;
            }
        }
        if (other) {
            r.Offset(other->Rect.Right - r.Left, 0);
            SnapRectToGridUp(r);
            rowStart = false;
        } else if (r.Left + 10 > area.Right && !rowStart) {
            r.Offset(area.Left - r.Left, r.Height());
            SnapRectToGridUp(r);
            rowStart = true;
        } else {
            // A free place, or a free row start in an area narrower than a block.
            break;
        }
    }
    block->Rect = r;
}

bool TBlockList::LoadFromLines(bool withHeader, const TLines& lines, int cellOverride,
                               int finalNumber) {
    if (lines.empty())
        return false;
    size_t index = 0;
    bool header = true;
    if (withHeader) {
        auto keyOf = [](const std::string& line) { return line.substr(0, line.find('=')); };
        if (keyOf(lines[0]) == "ID") {
            int number = 0;
            if (!NumberBehind(lines[0], 3, number))
                return false;
            CellNumber = uint16_t(cellOverride > 0 ? cellOverride : number);
            ++index;
        }
        // A header that lacks its name line, or holds more lines, fails; the blocks behind it
        // are read all the same.
        bool named = false, clean = true;
        for (; index < lines.size() && !lines[index].empty() && lines[index] != "#BLOCK_START";
             ++index) {
            if (!named && keyOf(lines[index]) == "NAME" &&
                lines[index].find('=') != std::string::npos) {
                // The whole rest is the name, "=" included.
                Name = lines[index].substr(5);
                named = true;
            } else {
                clean = false;
            }
        }
        header = named && clean;
    }
    const uint16_t shown = uint16_t(finalNumber > 0 ? finalNumber : CellNumber);
    TDroppedWires dropped(shown);
    std::vector<std::unique_ptr<TBlock>> read;
    std::vector<TBlockNote> notes;
    bool result = ReadSections(lines, index, Engine, read, notes) && header;
    if (cellOverride > 0) {
        for (auto& block : read)
            block->SetCellNumber(uint16_t(cellOverride));
    }
    if (!AppendRead(read, notes, shown))
        result = false;
    // No wire comes from a block the cell does not hold.
    DropDanglingInputs(true);
    return result;
}

namespace {

// Wires name their source by its ID: how many blocks that can feed a wire carry each one.
std::unordered_map<int32_t, int> CountSources(const std::vector<std::unique_ptr<TBlock>>& blocks) {
    std::unordered_map<int32_t, int> sources;
    for (const auto& block : blocks) {
        if (block->KindCode() == 2)
            ++sources[block->ID];
    }
    return sources;
}

// A wire follows its renumbered source; one whose ID several sources carried cannot tell which
// of them it came from, and goes.
void FollowRenumberedSources(const std::vector<std::unique_ptr<TBlock>>& blocks,
                             const std::unordered_map<int32_t, int>& sources,
                             const std::unordered_map<int32_t, int32_t>& renamed) {
    for (const auto& block : blocks) {
        for (int input = 0; block && input < MaxInputs; ++input) {
            TInputLine* wire = block->GetInput(input);
            if (!wire)
                continue;
            const auto carried = sources.find(wire->SourceId);
            if (carried != sources.end() && carried->second > 1) {
                ReportDroppedWire(block->ID, input);
                block->SetInputLine(input, nullptr);
            } else if (const auto to = renamed.find(wire->SourceId); to != renamed.end()) {
                wire->SourceId = to->second;
            }
        }
    }
}

} // namespace

bool TBlockList::AppendRead(std::vector<std::unique_ptr<TBlock>>& read,
                            const std::vector<TBlockNote>& notes, uint16_t shown) {
    const std::unordered_map<int32_t, int> sources = CountSources(read);
    std::vector<bool> used(MaxLocalNumber + 2, false);
    for (const auto& block : blocks_)
        used[block->LocalNumber()] = true;
    // The first block of each valid number keeps it; the others take free numbers after that, so
    // that no block takes a number that a later one carries. A block of another cell keeps its
    // local number where that is free.
    std::vector<int32_t> oldIds;
    std::vector<bool> renumber;
    for (const auto& block : read) {
        const uint16_t local = block->LocalNumber();
        oldIds.push_back(block->ID);
        renumber.push_back((uint32_t(block->ID) >> 16) != CellNumber || local == 0 ||
                           local > MaxLocalNumber || used[local]);
        if (!renumber.back())
            used[local] = true;
    }
    // Nor a number a wire from a block the text lacks names: the wire must not find a new one.
    for (const auto& block : read) {
        for (int input = 0; input < MaxInputs; ++input) {
            const TInputLine* wire = block->GetInput(input);
            if (wire && sources.find(wire->SourceId) == sources.end())
                used[wire->SourceId & 0xFFFF] = true;
        }
    }
    bool result = true;
    std::unordered_map<int32_t, int32_t> renamed;
    int next = 1;
    for (size_t i = 0; i < read.size(); ++i) {
        if (!renumber[i])
            continue;
        int local = read[i]->LocalNumber();
        if (local == 0 || local > MaxLocalNumber || used[size_t(local)]) {
            while (next <= MaxLocalNumber && used[size_t(next)])
                ++next;
            local = next;
        }
        if (local > MaxLocalNumber) {
            ShowTooManyBlocks();
            read[i].reset();
            result = false;
            continue;
        }
        used[size_t(local)] = true;
        read[i]->ID = MakeId(local);
        if (const auto carried = sources.find(oldIds[i]);
            !notes[i].IdLost && carried != sources.end() && carried->second == 1)
            renamed.emplace(oldIds[i], read[i]->ID);
    }
    for (size_t i = 0; i < read.size(); ++i) {
        if (read[i] && (renumber[i] || notes[i].Moved()))
            ReportKeptBlock(notes[i], oldIds[i],
                            int32_t((uint32_t(shown) << 16) | read[i]->LocalNumber()));
    }
    FollowRenumberedSources(read, sources, renamed);
    PlaceMovedBlocks(read, notes);
    for (auto& block : read) {
        if (block)
            Add(std::move(block));
    }
    return result;
}

void TBlockList::PlaceMovedBlocks(std::vector<std::unique_ptr<TBlock>>& read,
                                  const std::vector<TBlockNote>& notes) const {
    // In rows below every other block, where the user finds them.
    int bottom = 0;
    for (const auto& block : blocks_)
        bottom = std::max(bottom, block->Rect.Bottom);
    for (size_t i = 0; i < read.size(); ++i) {
        if (read[i] && !notes[i].Moved())
            bottom = std::max(bottom, read[i]->Rect.Bottom);
    }
    std::unordered_map<int32_t, const TBlock*> placed;
    int x = 0, y = bottom + 20, rowHeight = 0;
    for (size_t i = 0; i < read.size(); ++i) {
        if (!read[i] || !notes[i].Moved())
            continue;
        TRect r = read[i]->Rect;
        if (x > 0 && x + r.Width() > CellDrawingArea) {
            x = 0;
            y = std::min(y + rowHeight + 10, MaxCellCoordinate);
            rowHeight = 0;
        }
        // Below a block at the end of the range there is no room: the row keeps inside it.
        r.Offset(x - r.Left, TopInRange(y, r.Height()) - r.Top);
        SnapRectToGridUp(r);
        read[i]->Rect = r;
        read[i]->RerouteWireEnds();
        x = r.Right + 10;
        rowHeight = std::max(rowHeight, r.Height());
        placed.emplace(read[i]->ID, read[i].get());
    }
    // The wires from them start at their new places.
    for (const auto& block : read) {
        for (int input = 0; block && !placed.empty() && input < MaxInputs; ++input) {
            TInputLine* wire = block->GetInput(input);
            const auto source = wire ? placed.find(wire->SourceId) : placed.end();
            if (source != placed.end())
                wire->RouteStart(source->second->Rect);
        }
    }
}

bool TBlockList::SaveToLines(bool withHeader, TLines& lines) const {
    if (withHeader) {
        lines.push_back("ID=" + std::to_string(CellNumber));
        lines.push_back("NAME=" + Name);
        lines.push_back("");
    }
    for (const auto& block : blocks_) {
        lines.push_back("#BLOCK_START");
        block->SaveToLines(lines);
        lines.push_back("#BLOCK_END");
        lines.push_back("");
    }
    return true;
}

bool TBlockList::SaveSelectedToLines(const std::vector<TBlock*>& selection, TLines& lines) const {
    for (const auto& block : blocks_) {
        if (std::find(selection.begin(), selection.end(), block.get()) == selection.end())
            continue;
        lines.push_back("#BLOCK_START");
        block->SaveToLines(lines);
        lines.push_back("#BLOCK_END");
        lines.push_back("");
    }
    return true;
}

bool TBlockList::PushToEngine() {
    TDroppedWires dropped(CellNumber);
    MoltraneClearPage(Engine, CellNumber);
    // A name another page bears is refused: the page bears none rather than one of its past.
    if (!MoltraneSetPageName(Engine, CellNumber, Name.c_str()))
        MoltraneSetPageName(Engine, CellNumber, nullptr);
    // Every wire looks up its source: in a table for a large cell, not by a search each.
    struct Lookup {
        std::vector<TBlock*>& table;
        ~Lookup() { table = {}; }
    } lookup{lookup_};
    if (Count() > 64) {
        lookup_.assign(MaxLocalNumber + 2, nullptr);
        for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it)
            lookup_[(*it)->LocalNumber()] = it->get();
    }
    bool result = true;
    for (auto& block : blocks_) {
        if (!block->SyncWithEngine(true, this))
            result = false;
    }
    for (auto& block : blocks_) {
        if (!block->SyncWithEngine(false, this))
            result = false;
    }
    return result;
}

namespace {

void SetBlockFont(QPainter& canvas) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    canvas.setFont(font);
    canvas.setPen(QPen(CellDisplay().CellGridColor, 1));
}

} // namespace

void TBlockList::DrawBlocks(QPainter& canvas, const TRect& clip) const {
    canvas.save();
    SetBlockFont(canvas);
    // Comments lie on top of the function blocks.
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& block : blocks_) {
            if ((block->KindCode() == 1) == (pass == 1) && block->IntersectsRect(clip))
                block->Draw(canvas);
        }
    }
    canvas.restore();
}

void TBlockList::DrawWires(QPainter& canvas, const TRect& clip) const {
    canvas.save();
    SetBlockFont(canvas);
    for (const auto& block : blocks_) {
        if (block->WiresIntersect(clip))
            block->DrawWires(canvas);
    }
    canvas.restore();
}

void TBlockList::RenderCell(QPainter& canvas, int width, int height) const {
    canvas.save();
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(14);
    font.setBold(true);
    canvas.setFont(font);
    canvas.setPen(Qt::black);
    // Cut as the window titles cut it: a damaged file's name may be megabytes long.
    const QString title =
        QStringLiteral("Zelle %1: \"%2\"").arg(CellNumber).arg(MessageQuote(Name));
    canvas.drawText(0, QFontMetrics(font).ascent(), title);
    canvas.translate(0, TitleHeight);
    const TRect clip{0, 0, width, height - TitleHeight};
    canvas.setClipRect(QRect(0, 0, width, std::max(0, height - TitleHeight)));
    DrawBlocks(canvas, clip);
    DrawWires(canvas, clip);
    canvas.restore();
}

QImage TBlockList::CreateCellBitmap() const {
    const TRect extent = GetCellExtent();
    const int width = std::clamp(extent.Right, 600, CellDrawingArea);
    const int height = std::clamp(extent.Bottom, 0, CellDrawingArea) + TitleHeight;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter canvas(&image);
    RenderCell(canvas, width, height);
    return image;
}

void TBlockList::MarkBlock(QPainter& canvas, int32_t id) const {
    if ((uint32_t(id) >> 16) != CellNumber)
        return;
    const TBlock* block = FindBlock(id);
    if (!block)
        return;
    const TRect& r = block->Rect;
    canvas.save();
    canvas.setPen(QPen(Qt::red, 3));
    canvas.drawLine(r.Left - 3, r.Top - 3, r.Right + 3, r.Bottom + 3);
    canvas.drawLine(r.Left - 3, r.Bottom + 3, r.Right + 3, r.Top - 3);
    canvas.restore();
}
