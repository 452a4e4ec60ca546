// A program cell: the blocks of one engine page, their identifiers, placement, cell text,
// engine push and print-out.
#pragma once

#include <QImage>

#include "graphical/model/block.h"

class QPaintDevice;

// The clipboard formats of whole cells and of selected blocks (plain text under these names).
extern const char* const CellClipboardFormat;
extern const char* const BlocksClipboardFormat;

// How the cell reader found a block's section: as the block read it, and its number line.
struct TBlockNote : TBlock::TSectionRead {
    // No "ID=" line: the block is read with the number 0 and kept with a free one.
    bool IdLost = false;
    bool Moved() const { return Rect == TRectRead::Outside || Rect == TRectRead::Missing; }
};

// While a scope lives, the wires dropped from the blocks read or pushed are gathered; the
// outermost scope tells them when it ends, in one message per cell. A cell number other than 0
// names the cell they are told under, else each block's number does.
class TDroppedWires {
public:
    explicit TDroppedWires(uint16_t cell = 0);
    ~TDroppedWires();
    TDroppedWires(const TDroppedWires&) = delete;
    TDroppedWires& operator=(const TDroppedWires&) = delete;
    // False when no scope lives: the caller tells the wire itself.
    static bool Add(int32_t id, const std::string& input);

private:
    struct Entry {
        int32_t id;
        std::string input;
    };
    static inline TDroppedWires* outer_ = nullptr;
    uint16_t cell_;
    std::vector<Entry> entries_;
};

// An ordered list of blocks that owns them.
class TCustomBlockList {
public:
    void Add(std::unique_ptr<TBlock> block) { blocks_.push_back(std::move(block)); }
    TBlock* Get(int index) const {
        return index >= 0 && index < Count() ? blocks_[index].get() : nullptr;
    }
    int Count() const { return static_cast<int>(blocks_.size()); }
    int IndexOf(const TBlock* block) const;

protected:
    std::vector<std::unique_ptr<TBlock>> blocks_;
};

class TBlockList : public TCustomBlockList {
public:
    TBlockList(uint16_t cellNumber, EngineHandle engine);
    ~TBlockList();
    TBlockList(const TBlockList&) = delete;
    TBlockList& operator=(const TBlockList&) = delete;

    uint16_t CellNumber = 0;
    std::string Name;
    EngineHandle Engine = nullptr;

    // Compares the local number only.
    TBlock* FindBlock(int32_t id) const;
    int32_t NewBlockId() const;
    // First ID of n + 1 free local numbers in a row; 0 when the cell has no such run.
    int32_t FindFreeIdRun(int n) const;
    TBlock* InsertGraphBlock(int typeId, const TRect& area);
    TBlock* InsertCommentBlock(const TRect& area);
    bool DeleteBlock(int32_t id);
    bool InsertBlockFromLines(const TLines& lines, TRect& extent);
    bool ReplaceBlock(TBlock* old, std::unique_ptr<TBlock> replacement);
    void Clear();
    bool Assign(const TBlockList& source);
    // Drops every wire whose source block the cell lacks; report names each one in a message.
    void DropDanglingInputs(bool report = false);
    TRect GetBlockExtent(int32_t id) const;
    TRect GetCellExtent() const;
    void PlaceBlock(int index, const TRect& area);

    // Every block read is kept: one whose number is not valid in this cell, or is taken, gets a
    // free one, and one out of the cell's range a free place; the user is told of each.
    // finalNumber: the number the cell moves into after the read; the messages name it.
    bool LoadFromLines(bool withHeader, const TLines& lines, int cellOverride, int finalNumber = 0);
    bool SaveToLines(bool withHeader, TLines& lines) const;
    bool SaveSelectedToLines(const std::vector<TBlock*>& selection, TLines& lines) const;
    bool PushToEngine();

    void DrawBlocks(QPainter& canvas, const TRect& clip) const;
    void DrawWires(QPainter& canvas, const TRect& clip) const;
    void RenderCell(QPainter& canvas, int width, int height) const;
    // The cell on white, at least 600 pixels wide, at most the 2000 x 2000 drawing area.
    QImage CreateCellBitmap() const;
    void MarkBlock(QPainter& canvas, int32_t id) const;

private:
    int32_t MakeId(int local) const { return int32_t((uint32_t(CellNumber) << 16) | local); }
    // Appends blocks read, numbered and placed as LoadFromLines tells; false when the cell has
    // no room for one.
    bool AppendRead(std::vector<std::unique_ptr<TBlock>>& read,
                    const std::vector<TBlockNote>& notes, uint16_t shown);
    void PlaceMovedBlocks(std::vector<std::unique_ptr<TBlock>>& read,
                          const std::vector<TBlockNote>& notes) const;

    // While a large cell is pushed: its blocks by local number, the first of each.
    std::vector<TBlock*> lookup_;
};

// The block sections of a cell text from index on, as the cell reads them: every block read is
// appended, also one whose own lines failed or whose type is missing or unknown to the catalogue
// (reported unless read back), and one out of the cell's range, which keeps a new block's place
// (reported). A bad section start, class alias or "ID=" line is told and passed over up to the
// next block. False when a block could not be read or did not end properly.
bool ReadBlockSections(const TLines& lines, size_t index, EngineHandle engine,
                       std::vector<std::unique_ptr<TBlock>>& blocks);
// The message that a cell's text (from a file, the clipboard or undo) could not be read whole.
void ShowCellReadError(int number);
// The messages that a cell has no room for another block, and the project none for a cell.
void ShowTooManyBlocks();
void ShowCellNotInserted();
