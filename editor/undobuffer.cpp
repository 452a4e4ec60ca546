#include "editor/undobuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace ved {

bool TUndoNode::OwnsNode(const uint8_t* r) {
    TUndoType t = Type(r);
    return (t == utParaBefore || t == utParaAfter || t == utDeletePara) && DataLength(r) == 4;
}

void TUndoNode::WriteHeader(uint8_t* r, uint16_t prevSize, TUndoType type, bool modified,
                            uint8_t group, int32_t paragraph, int32_t position, uint16_t length) {
    Put16(r, prevSize);
    r[2] = static_cast<uint8_t>(type | (modified ? 0x80 : 0));
    r[3] = group;
    Put32(r + 4, static_cast<uint32_t>(paragraph));
    Put32(r + 8, static_cast<uint32_t>(position));
    Put16(r + 12, length);
}

void TUndoNode::Free(const uint8_t* r, TUndoNodeOwner* owner) {
    if (OwnsNode(r) && owner)
        owner->ReleaseNode(Node(r));
}

TUndoRecord TUndoNode::Read(const uint8_t* r) {
    TUndoRecord rec;
    rec.type = Type(r);
    rec.modified = Modified(r);
    rec.group = Group(r);
    rec.paragraph = Paragraph(r);
    rec.position = Position(r);
    const char* data = reinterpret_cast<const char*>(Data(r));
    int length = DataLength(r);
    if (OwnsNode(r)) {
        rec.node = Node(r);
    } else if (rec.type == utReplace) {
        // old text NUL new text NUL
        const char* split = static_cast<const char*>(std::memchr(data, 0, length));
        int oldLength = split ? static_cast<int>(split - data) : length;
        rec.oldText.assign(data, oldLength);
        if (oldLength + 1 < length)
            rec.newText.assign(data + oldLength + 1, length - oldLength - 2);
    } else {
        rec.data.assign(data, length);
    }
    return rec;
}

TUndoBuffer::TUndoBuffer(TUndoNodeOwner* owner, uint16_t size) : owner_(owner) {
    int bytes = size;
    while (bytes > 0) {
        try {
            block_.resize(static_cast<size_t>(bytes));
            break;
        } catch (const std::bad_alloc&) {
            bytes = bytes > UndoHeaderSize ? bytes - bytes / 2 : 0;
        }
    }
    blockSize_ = bytes;
}

TUndoBuffer::~TUndoBuffer() {
    Clear();
}

bool TUndoBuffer::BeginGroup() {
    bool previous = inGroup_;
    if (!inGroup_) {
        inGroup_ = true;
        NextGroup();
    }
    return previous;
}

void TUndoBuffer::EndGroup(bool previous) {
    inGroup_ = previous;
    if (!inGroup_)
        noRoom_ = false;
}

void TUndoBuffer::NextGroup() {
    ++group_;
    // After the counter wrapped, a new group must still differ from the record before it.
    if (undoCount_ != 0 && TUndoNode::Group(At(current_)) == group_)
        ++group_;
}

void TUndoBuffer::DiscardRedo() {
    int offset = undoBytes_;
    for (int i = 0; i < redoCount_; ++i) {
        TUndoNode::Free(At(offset), owner_);
        offset += TUndoNode::Size(At(offset));
    }
    redoCount_ = 0;
    redoBytes_ = 0;
}

void TUndoBuffer::Clear() {
    DiscardRedo();
    for (int offset = 0; offset < undoBytes_; offset += TUndoNode::Size(At(offset)))
        TUndoNode::Free(At(offset), owner_);
    undoBytes_ = 0;
    undoCount_ = 0;
    current_ = -1;
}

bool TUndoBuffer::MakeRoom(int bytes) {
    if (noRoom_)
        return false;
    if (bytes > blockSize_) {
        Clear();
        noRoom_ = inGroup_;
        return false;
    }
    if (FreeBytes() >= bytes)
        return true;
    const int target = std::max(bytes, blockSize_ / 16);
    int offset = 0;
    int dropped = 0;
    while (offset < undoBytes_ && blockSize_ - (undoBytes_ - offset) < target) {
        const uint8_t group = TUndoNode::Group(At(offset));
        while (offset < undoBytes_ && TUndoNode::Group(At(offset)) == group) {
            TUndoNode::Free(At(offset), owner_);
            offset += TUndoNode::Size(At(offset));
            ++dropped;
        }
    }
    if (offset >= undoBytes_) {
        undoBytes_ = 0;
        undoCount_ = 0;
        current_ = -1;
        noRoom_ = inGroup_;
        return !inGroup_;
    }
    std::memmove(At(0), At(offset), static_cast<size_t>(undoBytes_ - offset));
    undoBytes_ -= offset;
    current_ -= offset;
    undoCount_ -= dropped;
    TUndoNode::SetPrevSize(At(0), 0);
    return true;
}

uint8_t* TUndoBuffer::Append(TUndoType type, bool modified, int32_t paragraph, int32_t position,
                             int dataLength) {
    DiscardRedo();
    if (!inGroup_)
        NextGroup(); // each record outside a bracket is a group of its own
    // a record larger than the block (any data above 64K) empties the history here
    if (!MakeRoom(UndoHeaderSize + dataLength))
        return nullptr;
    const int offset = undoBytes_;
    const uint16_t prevSize =
        current_ < 0 ? 0 : static_cast<uint16_t>(TUndoNode::Size(At(current_)));
    uint8_t* r = At(offset);
    TUndoNode::WriteHeader(r, prevSize, type, modified, group_, paragraph, position,
                           static_cast<uint16_t>(dataLength));
    undoBytes_ += UndoHeaderSize + dataLength;
    current_ = offset;
    ++undoCount_;
    return r;
}

bool TUndoBuffer::TryMerge(TUndoType type, int32_t paragraph, int32_t position, const char* data,
                           int length) {
    if (inGroup_ || undoCount_ == 0 || length <= 0)
        return false;
    uint8_t* r = At(current_);
    if (TUndoNode::Type(r) != type || TUndoNode::Paragraph(r) != paragraph)
        return false;
    const int32_t curPos = TUndoNode::Position(r);
    const int curLength = TUndoNode::DataLength(r);
    bool append;
    if (type == utInsertChars && position == curPos + curLength)
        append = true;
    else if (type == utDeleteChars && position == curPos)
        append = true;
    else if (type == utDeleteChars && position + length == curPos)
        append = false;
    else
        return false;
    if (curLength + length > 0xFFFF)
        return false;
    DiscardRedo();
    if (FreeBytes() < length)
        return false;
    uint8_t* d = r + UndoHeaderSize;
    if (append) {
        std::memcpy(d + curLength, data, static_cast<size_t>(length));
    } else {
        std::memmove(d + length, d, static_cast<size_t>(curLength));
        std::memcpy(d, data, static_cast<size_t>(length));
        TUndoNode::SetPosition(r, position);
    }
    TUndoNode::SetDataLength(r, static_cast<uint16_t>(curLength + length));
    undoBytes_ += length;
    return true;
}

bool TUndoBuffer::TryMergeReplace(int32_t paragraph, int32_t position, const char* oldText,
                                  int oldLength, const char* newText, int newLength) {
    if (inGroup_ || undoCount_ == 0)
        return false;
    uint8_t* r = At(current_);
    if (TUndoNode::Type(r) != utReplace || TUndoNode::Paragraph(r) != paragraph)
        return false;
    TUndoRecord cur = TUndoNode::Read(r);
    // Adjacent in the text as it is now, that is after the current record's new text.
    // (Comparing against the old text's length is only right when both have equal length.)
    if (position != cur.position + static_cast<int32_t>(cur.newText.size()))
        return false;
    const int total = TUndoNode::DataLength(r) + oldLength + newLength;
    if (total > 0xFFFF)
        return false;
    DiscardRedo();
    if (FreeBytes() < oldLength + newLength)
        return false;
    std::string merged = cur.oldText;
    merged.append(oldText, static_cast<size_t>(oldLength));
    merged.push_back('\0');
    merged.append(cur.newText);
    merged.append(newText, static_cast<size_t>(newLength));
    merged.push_back('\0');
    std::memcpy(r + UndoHeaderSize, merged.data(), merged.size());
    TUndoNode::SetDataLength(r, static_cast<uint16_t>(merged.size()));
    undoBytes_ += oldLength + newLength;
    return true;
}

void TUndoBuffer::AddRecord(TUndoType type, bool modified, int32_t paragraph, int32_t position,
                            const char* data, int length) {
    if (length < 0)
        length = 0;
    if ((type == utInsertChars || type == utDeleteChars) &&
        TryMerge(type, paragraph, position, data, length))
        return;
    uint8_t* r = Append(type, modified, paragraph, position, length);
    if (r && length > 0)
        std::memcpy(r + UndoHeaderSize, data, static_cast<size_t>(length));
}

void TUndoBuffer::AddNodeRecord(TUndoType type, bool modified, int32_t paragraph, int32_t position,
                                uint32_t node) {
    uint8_t* r = Append(type, modified, paragraph, position, 4);
    if (!r)
        return;
    TUndoNode::Put32(r + UndoHeaderSize, node);
    if (owner_)
        owner_->RetainNode(node);
}

void TUndoBuffer::AddReplaceRecord(bool modified, int32_t paragraph, int32_t position,
                                   const char* oldText, int oldLength, const char* newText,
                                   int newLength) {
    if (TryMergeReplace(paragraph, position, oldText, oldLength, newText, newLength))
        return;
    uint8_t* r = Append(utReplace, modified, paragraph, position, oldLength + newLength + 2);
    if (!r)
        return;
    uint8_t* d = r + UndoHeaderSize;
    std::memcpy(d, oldText, static_cast<size_t>(oldLength));
    d[oldLength] = 0;
    std::memcpy(d + oldLength + 1, newText, static_cast<size_t>(newLength));
    d[oldLength + 1 + newLength] = 0;
}

bool TUndoBuffer::PeekUndoGroup(uint8_t& group) const {
    if (undoCount_ == 0)
        return false;
    group = TUndoNode::Group(At(current_));
    return true;
}

bool TUndoBuffer::PeekRedoGroup(uint8_t& group) const {
    if (redoCount_ == 0)
        return false;
    group = TUndoNode::Group(At(undoBytes_));
    return true;
}

bool TUndoBuffer::TakeUndo(TUndoRecord& record) {
    if (undoCount_ == 0)
        return false;
    const uint8_t* r = At(current_);
    record = TUndoNode::Read(r);
    const int size = TUndoNode::Size(r);
    --undoCount_;
    ++redoCount_;
    undoBytes_ -= size;
    redoBytes_ += size;
    current_ = undoCount_ == 0 ? -1 : current_ - TUndoNode::PrevSize(r);
    return true;
}

bool TUndoBuffer::TakeRedo(TUndoRecord& record, bool currentModified) {
    if (redoCount_ == 0)
        return false;
    uint8_t* r = At(undoBytes_);
    TUndoNode::SetModified(r, currentModified);
    record = TUndoNode::Read(r);
    const int size = TUndoNode::Size(r);
    current_ = undoBytes_;
    ++undoCount_;
    --redoCount_;
    undoBytes_ += size;
    redoBytes_ -= size;
    return true;
}

void TUndoBuffer::MarkAllModified() {
    const int end = undoBytes_ + redoBytes_;
    for (int offset = 0; offset < end; offset += TUndoNode::Size(At(offset)))
        TUndoNode::SetModified(At(offset), true);
}

} // namespace ved
