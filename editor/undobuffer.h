// Undo and redo history of one paragraph list, kept as variable-length records in a single
// memory block of fixed size. Records are grouped into edit groups; the oldest groups are
// dropped when room is needed.
//
// Record layout (packed, little-endian): previous record size (2), type in bits 0-6 and the
// list's modified flag before the edit in bit 7 (1), group (1), paragraph (4), position (4),
// data length (2), data. Records of types 2, 3 and 5 hold a 32-bit node id; each such record
// holds one reference on its node through TUndoNodeOwner, so a node lives as long as it is in
// the text or some record refers to it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ved {

enum TUndoType : uint8_t {
    utPosition = 0,    // caret position marker, no data
    utInsertChars = 1, // characters inserted at (paragraph, position)
    utParaBefore = 2,  // paragraph node inserted before the paragraph
    utParaAfter = 3,   // paragraph node inserted after the paragraph
    utDeleteChars = 4, // characters deleted at (paragraph, position)
    utDeletePara = 5,  // paragraph node deleted
    utReplace = 6,     // old text NUL new text NUL
};

constexpr int UndoHeaderSize = 14;

// Keeps the paragraph nodes that records refer to by id.
class TUndoNodeOwner {
public:
    virtual void RetainNode(uint32_t id) = 0;
    virtual void ReleaseNode(uint32_t id) = 0;

protected:
    ~TUndoNodeOwner() = default;
};

// One record as taken out of the buffer.
struct TUndoRecord {
    TUndoType type = utPosition;
    bool modified = false; // the list's flag before the edit
    uint8_t group = 0;
    int32_t paragraph = 0;
    int32_t position = 0;
    std::string data;    // characters (types 1, 4)
    uint32_t node = 0;   // node id (types 2, 3, 5)
    std::string oldText; // type 6
    std::string newText; // type 6
};

// Stateless accessor of the fields of a record in the block.
class TUndoNode {
public:
    static uint16_t PrevSize(const uint8_t* r) { return Get16(r); }
    static TUndoType Type(const uint8_t* r) { return static_cast<TUndoType>(r[2] & 0x7F); }
    static bool Modified(const uint8_t* r) { return (r[2] & 0x80) != 0; }
    static uint8_t Group(const uint8_t* r) { return r[3]; }
    static int32_t Paragraph(const uint8_t* r) { return static_cast<int32_t>(Get32(r + 4)); }
    static int32_t Position(const uint8_t* r) { return static_cast<int32_t>(Get32(r + 8)); }
    static uint16_t DataLength(const uint8_t* r) { return Get16(r + 12); }
    static const uint8_t* Data(const uint8_t* r) { return r + UndoHeaderSize; }
    static int Size(const uint8_t* r) { return UndoHeaderSize + DataLength(r); }
    static bool OwnsNode(const uint8_t* r);
    static uint32_t Node(const uint8_t* r) { return Get32(r + UndoHeaderSize); }

    static void SetPrevSize(uint8_t* r, uint16_t v) { Put16(r, v); }
    static void SetModified(uint8_t* r, bool m) {
        r[2] = static_cast<uint8_t>((r[2] & 0x7F) | (m ? 0x80 : 0));
    }
    static void SetPosition(uint8_t* r, int32_t v) { Put32(r + 8, static_cast<uint32_t>(v)); }
    static void SetDataLength(uint8_t* r, uint16_t v) { Put16(r + 12, v); }
    static void WriteHeader(uint8_t* r, uint16_t prevSize, TUndoType type, bool modified,
                            uint8_t group, int32_t paragraph, int32_t position, uint16_t length);
    // Releases the node a record refers to.
    static void Free(const uint8_t* r, TUndoNodeOwner* owner);
    static TUndoRecord Read(const uint8_t* r);

    static uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
    static uint32_t Get32(const uint8_t* p) {
        return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
    }
    static void Put16(uint8_t* p, uint16_t v) {
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
    }
    static void Put32(uint8_t* p, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
};

class TUndoBuffer {
public:
    // Allocates `size` bytes, halving on failure while above 14 bytes (0 = no undo).
    TUndoBuffer(TUndoNodeOwner* owner, uint16_t size);
    ~TUndoBuffer(); // drops every record, releasing the nodes they refer to
    TUndoBuffer(const TUndoBuffer&) = delete;
    TUndoBuffer& operator=(const TUndoBuffer&) = delete;

    uint16_t Size() const { return blockSize_; }

    // Opens an edit group unless one is open; returns the previous in-group flag, which is
    // handed back to EndGroup. Nested brackets form one group.
    bool BeginGroup();
    void EndGroup(bool previous);
    bool InGroup() const { return inGroup_; }

    // Records an edit. Outside a group, typing, deleting and replacing that continue the
    // current record are merged into it. A record without room is dropped silently. Any
    // recorded edit discards the redo history.
    void AddRecord(TUndoType type, bool modified, int32_t paragraph, int32_t position,
                   const char* data, int length);
    void AddNodeRecord(TUndoType type, bool modified, int32_t paragraph, int32_t position,
                       uint32_t node);
    void AddReplaceRecord(bool modified, int32_t paragraph, int32_t position, const char* oldText,
                          int oldLength, const char* newText, int newLength);

    bool CanUndo() const { return undoCount_ != 0; }
    bool CanRedo() const { return redoCount_ != 0; }
    // Group of the next record to undo / redo; false when there is none.
    bool PeekUndoGroup(uint8_t& group) const;
    bool PeekRedoGroup(uint8_t& group) const;
    // Moves one record back (undo) or forward (redo). Redo stores `currentModified` as the
    // record's modified bit.
    bool TakeUndo(TUndoRecord& record);
    bool TakeRedo(TUndoRecord& record, bool currentModified);

    void Clear();
    // Sets the modified bit of every record, undo and redo side.
    void MarkAllModified();

    int UndoCount() const { return undoCount_; }
    int RedoCount() const { return redoCount_; }
    int FreeBytes() const { return blockSize_ - undoBytes_; }
    bool NoRoom() const { return noRoom_; }

private:
    uint8_t* At(int offset) { return block_.data() + offset; }
    const uint8_t* At(int offset) const { return block_.data() + offset; }
    void NextGroup();
    void DiscardRedo();
    bool MakeRoom(int bytes);
    uint8_t* Append(TUndoType type, bool modified, int32_t paragraph, int32_t position,
                    int dataLength);
    bool TryMerge(TUndoType type, int32_t paragraph, int32_t position, const char* data,
                  int length);
    bool TryMergeReplace(int32_t paragraph, int32_t position, const char* oldText, int oldLength,
                         const char* newText, int newLength);

    TUndoNodeOwner* owner_;
    std::vector<uint8_t> block_;
    int blockSize_ = 0;
    int undoBytes_ = 0; // bytes of the undoable records, from the block start
    int redoBytes_ = 0; // bytes of the records after them
    int current_ = -1;  // offset of the last undoable record
    int undoCount_ = 0;
    int redoCount_ = 0;
    uint8_t group_ = 0;
    bool inGroup_ = false;
    bool noRoom_ = false;
};

} // namespace ved
