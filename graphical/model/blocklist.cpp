#include "graphical/model/blocklist.h"

#include <QFont>
#include <QPainter>

#include <algorithm>

#include "framework/utils.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/graphblock.h"
#include "platform/qt/ansi.h"

const char* const CellClipboardFormat = "Tavrissel plus Cell";
const char* const BlocksClipboardFormat = "Tavrissel plus Blocks";

namespace {

constexpr int MaxLocalNumber = 65534;
constexpr int DrawingArea = 2000;
constexpr int TitleHeight = 30;

QString Ansi(const std::string& text) {
    return platform::AnsiToQString(text);
}

// The number behind a key of the given length, at most 10 characters of it.
bool NumberBehind(const std::string& line, size_t keyLength, int& value) {
    return line.size() > keyLength && ParseInt(line.substr(keyLength, 10), value);
}

bool IsUnknownType(const TBlock& block) {
    return block.KindCode() == 2 && static_cast<const TGraphBlock&>(block).UnknownType();
}

} // namespace

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
        ShowError(QString::fromUtf8("Einf\xC3\xBCgen nicht m\xC3\xB6glich:\r\n"
                                    "Zu viele Bl\xC3\xB6"
                                    "cke in dieser Programmzelle!"));
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

// Creates a block from its alias and "ID=" line and reads its lines; null after a message when
// the alias or the "ID=" line is bad. A rectangle out of the cell's range refuses the block
// (refused set). Index stops behind the block's lines.
std::unique_ptr<TBlock> ReadBlock(const TLines& lines, size_t& index, EngineHandle engine,
                                  bool& refused) {
    refused = false;
    const std::string alias = index < lines.size() ? lines[index] : std::string();
    TBlockFactory factory = FindBlockClass(alias);
    if (!factory) {
        ShowError(QStringLiteral("Unbekannter Blocktyp %1!").arg(Ansi(alias)));
        return nullptr;
    }
    ++index;
    int id = 0;
    if (index >= lines.size() || lines[index].compare(0, 3, "ID=") != 0 ||
        !NumberBehind(lines[index], 3, id)) {
        ShowError(QString::fromUtf8("Ung\xC3\xBCltige Block-ID: %1!")
                      .arg(Ansi(index < lines.size() ? lines[index] : std::string())));
        return nullptr;
    }
    ++index;
    TRect area;
    if (index < lines.size()) {
        // A short line leaves zeros, which are in range.
        ReadRectLine(lines[index], area);
        if (!RectInCellRange(area)) {
            refused = true;
            return nullptr;
        }
    }
    std::unique_ptr<TBlock> block = factory(id, engine);
    // Its own lines' result does not stop the reader: the block keeps what it read.
    block->LoadFromLines(lines, index);
    return block;
}

// Steps behind the next end marker, or up to the next block's start when that comes first;
// false when neither follows.
bool SkipToNextBlock(const TLines& lines, size_t& index) {
    while (index < lines.size() && lines[index] != "#BLOCK_END" && lines[index] != "#BLOCK_START")
        ++index;
    if (index >= lines.size())
        return false;
    if (lines[index] == "#BLOCK_END")
        ++index;
    return true;
}

} // namespace

bool ReadBlockSections(const TLines& lines, size_t index, EngineHandle engine,
                       std::vector<std::unique_ptr<TBlock>>& blocks, bool reportUnknownTypes) {
    bool result = true;
    while (index < lines.size()) {
        if (lines[index].empty()) {
            ++index;
            continue;
        }
        if (lines[index] != "#BLOCK_START") {
            ShowError(QStringLiteral("Falscher Blockbeginn in Zeile:\r%1").arg(Ansi(lines[index])));
            return false;
        }
        ++index;
        bool refused = false;
        std::unique_ptr<TBlock> block = ReadBlock(lines, index, engine, refused);
        if (!block && !refused)
            return false;
        if (block) {
            // Kept as read, drawn without a picture; its add pass fails.
            if (reportUnknownTypes && IsUnknownType(*block))
                ShowError(QStringLiteral("Unbekannter Blocktyp %1!")
                              .arg(static_cast<TGraphBlock&>(*block).TypeId));
            blocks.push_back(std::move(block));
        }
        if (refused || index >= lines.size() || lines[index] != "#BLOCK_END") {
            result = false;
            if (!SkipToNextBlock(lines, index))
                return false;
            continue;
        }
        ++index;
    }
    return result;
}

void ShowCellReadError(int number) {
    ShowError(QStringLiteral("Fehler beim Lesen der Programmzelle %1!").arg(number));
}

bool TBlockList::InsertBlockFromLines(const TLines& lines, TRect& extent) {
    if (lines.empty())
        return false;
    size_t index = 0;
    bool refused = false;
    std::unique_ptr<TBlock> block = ReadBlock(lines, index, Engine, refused);
    if (!block || FindBlock(block->ID))
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
    for (auto& block : blocks_) {
        if (block->KindCode() != 2)
            continue;
        for (int i = 0; i < MaxInputs; ++i) {
            const TInputLine* wire = block->GetInput(i);
            if (!wire || FindBlock(wire->SourceId))
                continue;
            if (report)
                ReportDroppedWire(block->ID, std::to_string(i));
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
                               bool reportUnknownTypes) {
    if (lines.empty())
        return false;
    size_t index = 0;
    if (withHeader) {
        auto keyOf = [](const std::string& line) { return line.substr(0, line.find('=')); };
        if (keyOf(lines[0]) == "ID") {
            int number = 0;
            if (!NumberBehind(lines[0], 3, number))
                return false;
            CellNumber = uint16_t(cellOverride > 0 ? cellOverride : number);
            ++index;
        }
        if (index >= lines.size() || keyOf(lines[index]) != "NAME" ||
            lines[index].find('=') == std::string::npos)
            return false;
        // The whole rest is the name, "=" included.
        Name = lines[index].substr(5);
        ++index;
    }
    std::vector<std::unique_ptr<TBlock>> read;
    bool result = ReadBlockSections(lines, index, Engine, read, reportUnknownTypes);
    // Local numbers taken, so that a large cell reads without a search per block.
    std::vector<bool> used(MaxLocalNumber + 2, false);
    for (const auto& block : blocks_)
        used[block->LocalNumber()] = true;
    for (auto& block : read) {
        const int32_t id = block->ID;
        if (cellOverride > 0)
            block->SetCellNumber(uint16_t(cellOverride));
        // A block of another cell would enter that cell's engine page; a second block of one
        // number would shadow the first.
        const uint16_t local = block->LocalNumber();
        if ((uint32_t(block->ID) >> 16) != CellNumber || local == 0 || local > MaxLocalNumber ||
            used[local]) {
            ShowError(QString::fromUtf8("Ung\xC3\xBCltige Block-ID: ID=%1!").arg(id));
            result = false;
            continue;
        }
        used[local] = true;
        Add(std::move(block));
    }
    // No wire comes from a block the cell does not hold.
    DropDanglingInputs(true);
    return result;
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
    MoltraneClearPage(Engine, CellNumber);
    MoltraneSetPageName(Engine, CellNumber, Name.c_str());
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
    const QString title = QStringLiteral("Zelle %1: \"%2\"").arg(CellNumber).arg(Ansi(Name));
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
    const int width = std::clamp(extent.Right, 600, DrawingArea);
    const int height = std::clamp(extent.Bottom, 0, DrawingArea) + TitleHeight;
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
