#include "editor/paralist.h"

#include "editor/vedexcept.h"
#include "editor/vedutil.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace ved {

namespace {

bool HasTab(const char* text, int length) {
    return length > 0 && std::memchr(text, '\t', static_cast<size_t>(length)) != nullptr;
}

bool NoWrap(int32_t column) {
    return column <= 0 || column == INT32_MAX;
}

// Start of the line after the one starting at `start`, or `length` when the rest fits.
int NextLineStart(const char* t, int length, int start, int32_t column, bool tabs, int tabSize) {
    const int rest = length - start;
    int fit = tabs ? CharsInColumns(t + start, rest, column, tabSize) : std::min(column, rest);
    int candidate = start + std::max(fit, 1); // a line holds at least one character
    if (candidate >= length)
        return length;
    for (int i = candidate; i >= start; --i) {
        if (IsBlank(t[i]) || t[i] == '-') {
            // the new line starts after the blanks (or hyphen and blanks): trailing blanks
            // stay on the line
            int next = i + 1;
            while (next < length && IsBlank(t[next]))
                ++next;
            return next;
        }
    }
    return candidate;
}

// Runs an edit bracket: notify flag off and one undo group, both restored on every way out.
class CompoundScope {
public:
    CompoundScope(bool& notify, TUndoBuffer& undo)
        : notify_(notify), saved_(notify), undo_(undo), previous_(undo.BeginGroup()) {
        notify_ = false;
    }
    ~CompoundScope() {
        notify_ = saved_;
        undo_.EndGroup(previous_);
    }

private:
    bool& notify_;
    bool saved_;
    TUndoBuffer& undo_;
    bool previous_;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// TParaChange

void TParaChange::Adjust(int32_t& p, int32_t& x, int32_t paraCount) const {
    switch (kind) {
    case TParaChangeKind::InsertedText:
        if (p == paragraph && x >= position)
            x += count;
        break;
    case TParaChangeKind::DeletedText:
        if (p == paragraph && x >= position)
            x = x < position + count ? position : x - count;
        break;
    case TParaChangeKind::InsertedBreak:
        if (p > paragraph) {
            ++p;
        } else if (p == paragraph && x >= position) {
            p = paragraph + 1;
            x = x - position + 1 + indent;
        }
        break;
    case TParaChangeKind::InsertedPara:
        if (p >= paragraph)
            ++p;
        break;
    case TParaChangeKind::DeletedPara:
        if (p == paragraph)
            x = 1;
        else if (p > paragraph)
            --p;
        if (p > paraCount) {
            p = paraCount;
            x = 1;
        }
        break;
    case TParaChangeKind::JoinedPara:
        if (p == paragraph + 1) {
            p = paragraph;
            x += position - 1;
        } else if (p > paragraph + 1) {
            --p;
        }
        break;
    case TParaChangeKind::Rewrapped:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// TVedRingMember

TVedRingMember::~TVedRingMember() {
    LeaveRing();
}

void TVedRingMember::ParaListChanged(const TParaChange&, const TVedRingMember*) {}

void TVedRingMember::LeaveRing() {
    TParaList* list = list_;
    if (!list)
        return;
    if (next_ == this) {
        delete list;
    } else {
        if (list->owner_ == this)
            list->owner_ = next_;
        prev_->next_ = next_;
        next_->prev_ = prev_;
    }
    next_ = prev_ = this;
    list_ = nullptr;
}

void TVedRingMember::CreateParaList(bool wordWrap, uint16_t undoSize) {
    LeaveRing();
    list_ = new TParaList(this, wordWrap, undoSize);
}

void TVedRingMember::RenewParaList() {
    if (!list_) {
        CreateParaList(false, 8192);
        return;
    }
    const TParaList& old = *list_;
    const int32_t byteLimit = old.ByteLimit(), paraLimit = old.ParaLimit(),
                  lengthLimit = old.ParaLengthLimit(), column = old.WrapColumn();
    const bool wrap = old.WordWrap();
    const uint8_t tabSize = old.TabSize();
    const uint16_t undoSize = old.UndoBufferSize();
    CreateParaList(false, undoSize);
    list_->SetByteLimit(byteLimit);
    list_->SetParaLimit(paraLimit);
    list_->SetParaLengthLimit(lengthLimit);
    list_->wrapColumn_ = column;
    list_->tabSize_ = tabSize;
    list_->wordWrap_ = wrap;
}

void TVedRingMember::Attach(TVedRingMember& other) {
    if (&other == this || !other.list_ || other.list_ == list_)
        return;
    TParaList* list = other.list_;
    LeaveRing();
    list_ = list;
    TVedRingMember* owner = list->owner_;
    next_ = owner->next_;
    prev_ = owner;
    owner->next_->prev_ = this;
    owner->next_ = this;
    ParaListChanged(TParaChange{}, nullptr); // Rewrapped: recompute positions and refresh
}

// ---------------------------------------------------------------------------------------------
// TParaList: construction and node table

TParaList::TParaList(TVedRingMember* owner, bool wordWrap, uint16_t undoSize)
    : owner_(owner), wordWrap_(wordWrap) {
    nodes_.emplace_back(); // id 0 means none
    undo_.reset(new TUndoBuffer(this, undoSize));
    TParaNode* node = NewNode("", 0);
    node->linked_ = true;
    first_ = last_ = node;
    paraCount_ = 1;
    lineCount_ = 1;
}

TParaList::~TParaList() {
    undo_.reset(); // releases the nodes its records hold
    for (TParaNode* n = first_; n; n = n->next_)
        n->linked_ = false;
    nodes_.clear();
}

TParaNode* TParaList::NewNode(const char* text, int length) {
    try {
        auto node = std::make_unique<TParaNode>();
        node->text_.assign(text, static_cast<size_t>(length));
        uint32_t id;
        if (!freeIds_.empty()) {
            id = freeIds_.back();
            freeIds_.pop_back();
        } else {
            id = static_cast<uint32_t>(nodes_.size());
            nodes_.emplace_back();
        }
        node->id_ = id;
        nodes_[id] = std::move(node);
        return nodes_[id].get();
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
    }
}

TParaNode* TParaList::NodeById(uint32_t id) const {
    return id < nodes_.size() ? nodes_[id].get() : nullptr;
}

void TParaList::RetainNode(uint32_t id) {
    if (TParaNode* node = NodeById(id))
        ++node->refs_;
}

void TParaList::ReleaseNode(uint32_t id) {
    if (TParaNode* node = NodeById(id)) {
        --node->refs_;
        Collect(node);
    }
}

void TParaList::Collect(TParaNode* node) {
    if (node->linked_ || node->refs_ > 0)
        return;
    const uint32_t id = node->id_;
    if (cache_.node == node)
        InvalidateCache();
    nodes_[id].reset();
    freeIds_.push_back(id);
}

// ---------------------------------------------------------------------------------------------
// Lookups

void TParaList::InvalidateCache() {
    cache_ = LineCache{};
}

TParaList::LineCache TParaList::NearestStart(int32_t fromFirst, int32_t fromLast,
                                             int32_t fromCache) const {
    LineCache start{first_, 1, 1};
    int32_t best = fromFirst;
    if (fromLast < best) {
        start = {last_, paraCount_, lineCount_ - last_->LineCount() + 1};
        best = fromLast;
    }
    if (cache_.node && fromCache < best)
        start = cache_;
    return start;
}

TParaList::LineCache TParaList::Seek(int32_t target, bool byLine) {
    const auto start = [byLine](const LineCache& at) {
        return byLine ? at.firstLine : at.paragraph;
    };
    const auto span = [byLine](const TParaNode* node) { return byLine ? node->LineCount() : 1; };
    const int32_t count = byLine ? lineCount_ : paraCount_;
    if (target < 1 || target > count)
        return {};
    if (cache_.node && target >= start(cache_) && target < start(cache_) + span(cache_.node))
        return cache_;
    LineCache at = NearestStart(target - 1, count - target, std::abs(start(cache_) - target));
    while (start(at) + span(at.node) <= target) {
        at.firstLine += at.node->LineCount();
        at.node = at.node->next_;
        ++at.paragraph;
    }
    while (start(at) > target) {
        at.node = at.node->prev_;
        --at.paragraph;
        at.firstLine -= at.node->LineCount();
    }
    cache_ = at;
    return at;
}

bool TParaList::Locate(int32_t paragraph, TParaNode*& node, int32_t& firstLine) {
    const LineCache at = Seek(paragraph, false);
    if (!at.node)
        return false;
    node = at.node;
    firstLine = at.firstLine;
    return true;
}

bool TParaList::LocateLine(int32_t line, TParaNode*& node, int32_t& paragraph, int32_t& firstLine) {
    const LineCache at = Seek(line, true);
    if (!at.node)
        return false;
    node = at.node;
    paragraph = at.paragraph;
    firstLine = at.firstLine;
    return true;
}

TParaNode* TParaList::Node(int32_t paragraph) {
    TParaNode* node = nullptr;
    int32_t line;
    return Locate(paragraph, node, line) ? node : nullptr;
}

const char* TParaList::ParaText(int32_t paragraph, int& length) {
    TParaNode* node = Node(paragraph);
    length = node ? node->Length() : 0;
    return node ? node->Text() : "";
}

int TParaList::ParaLength(int32_t paragraph) {
    TParaNode* node = Node(paragraph);
    return node ? node->Length() : 0;
}

TParaNode* TParaList::GetLine(int32_t line, const char*& text, int& length) {
    TParaNode* node;
    int32_t paragraph, firstLine;
    if (!LocateLine(line, node, paragraph, firstLine)) {
        text = "";
        length = 0;
        return nullptr;
    }
    const int index = line - firstLine;
    const int start = node->LineStart(index);
    const int end = index + 1 < node->LineCount() ? node->LineStart(index + 1) : node->Length();
    text = node->Text() + start;
    length = end - start;
    return node;
}

int TParaList::LineLength(int32_t line) {
    const char* text;
    int length;
    GetLine(line, text, length);
    return length;
}

bool TParaList::LineOfPos(int32_t paragraph, int32_t position, int32_t& line, int32_t& column) {
    TParaNode* node;
    int32_t firstLine;
    if (!Locate(paragraph, node, firstLine))
        return false;
    const int offset = std::max(position, 1) - 1;
    int index = node->LineCount() - 1;
    while (index > 0 && node->LineStart(index) > offset)
        --index;
    line = firstLine + index;
    column = offset - node->LineStart(index) + 1;
    return true;
}

bool TParaList::ParaOfLine(int32_t line, int32_t& paragraph, int32_t& offset) {
    TParaNode* node;
    int32_t firstLine;
    if (!LocateLine(line, node, paragraph, firstLine))
        return false;
    offset = node->LineStart(line - firstLine);
    return true;
}

int TParaList::ColumnOfPos(const char* text, int length, int position) const {
    return ved::ColumnOfPos(text, length, position, tabSize_);
}

int TParaList::PosOfColumn(const char* text, int length, int column) const {
    return ved::PosOfColumn(text, length, column, tabSize_);
}

// ---------------------------------------------------------------------------------------------
// Wrapping

void TParaList::WrapWhole(TParaNode* node) {
    const int32_t column = EffectiveWrapColumn();
    node->lineStarts_.assign(1, 0);
    const int length = node->Length();
    if (NoWrap(column) || length == 0)
        return;
    const char* t = node->Text();
    const bool tabs = HasTab(t, length);
    for (int start = 0;;) {
        int next = NextLineStart(t, length, start, column, tabs, tabSize_);
        if (next >= length)
            break;
        node->lineStarts_.push_back(static_cast<uint16_t>(next));
        start = next;
    }
}

void TParaList::Rewrap(TParaNode* node, int32_t firstLine, int offset, int removed, int inserted,
                       bool whole) {
    const int oldCount = node->LineCount();
    const int32_t column = EffectiveWrapColumn();
    const char* t = node->Text();
    const int length = node->Length();
    const bool tabs = HasTab(t, length);
    int first, last;
    if (whole || NoWrap(column) || length == 0 || tabs || oldCount == 1) {
        // Tabs make every later line depend on its columns: wrap the whole paragraph.
        WrapWhole(node);
        first = 0;
        last = node->LineCount() - 1;
    } else {
        std::vector<uint16_t> old = std::move(node->lineStarts_);
        int k =
            static_cast<int>(std::upper_bound(old.begin(), old.end(), offset) - old.begin()) - 1;
        const int begin = std::max(k - 1, 0);
        std::vector<uint16_t>& starts = node->lineStarts_;
        starts.assign(old.begin(), old.begin() + begin + 1);
        const int shift = inserted - removed;
        const int changeEnd = offset + removed; // end of the change in old offsets
        size_t j = static_cast<size_t>(begin) + 1;
        bool resynced = false;
        last = -1;
        for (int start = starts.back();;) {
            const int next = NextLineStart(t, length, start, column, false, tabSize_);
            if (next >= length)
                break;
            while (j < old.size() && (old[j] < changeEnd || old[j] + shift < next))
                ++j;
            if (j < old.size() && old[j] + shift == next) {
                // the rest of the paragraph wraps as before, only shifted
                last = static_cast<int>(starts.size()) - 1;
                for (; j < old.size(); ++j)
                    starts.push_back(static_cast<uint16_t>(old[j] + shift));
                resynced = true;
                break;
            }
            starts.push_back(static_cast<uint16_t>(next));
            start = next;
        }
        if (!resynced)
            last = static_cast<int>(starts.size()) - 1;
        first = begin;
        last = std::max(last, std::min(k, node->LineCount() - 1));
    }
    const int newCount = node->LineCount();
    if (newCount != oldCount) {
        lineCount_ += newCount - oldCount;
        InvalidateCache();
        MarkChanged(firstLine + first, INT32_MAX);
    } else {
        MarkChanged(firstLine + first, firstLine + last);
    }
}

void TParaList::RewrapAll() {
    int32_t lines = 0;
    for (TParaNode* n = first_; n; n = n->next_) {
        WrapWhole(n);
        lines += n->LineCount();
    }
    lineCount_ = lines;
    InvalidateCache();
    MarkChanged(1, INT32_MAX);
    NotifyRing(TParaChange{}, nullptr);
}

void TParaList::MarkChanged(int32_t first, int32_t last) {
    if (changedFirst_ == 0) {
        changedFirst_ = first;
        changedLast_ = last;
    } else {
        changedFirst_ = std::min(changedFirst_, first);
        changedLast_ = std::max(changedLast_, last);
    }
}

void TParaList::BeginChange() {
    changedFirst_ = 0;
    changedLast_ = 0;
}

void TParaList::SetWordWrap(bool on) {
    if (on == wordWrap_)
        return;
    wordWrap_ = on;
    BeginChange();
    RewrapAll();
}

void TParaList::RewrapIfWrapping() {
    if (wordWrap_) {
        BeginChange();
        RewrapAll();
    }
}

void TParaList::SetWrapColumn(int32_t column) {
    if (column == wrapColumn_)
        return;
    wrapColumn_ = column;
    RewrapIfWrapping();
}

void TParaList::SetTabSize(uint8_t size) {
    if (size == tabSize_)
        return;
    tabSize_ = size;
    RewrapIfWrapping();
}

void TParaList::SetModified(bool modified) {
    modified_ = modified;
    if (!modified)
        undo_->MarkAllModified();
}

void TParaList::SetUndoBufferSize(uint16_t size) {
    undo_.reset();
    undo_.reset(new TUndoBuffer(this, size));
}

// ---------------------------------------------------------------------------------------------
// Limits and bookmarks

uint16_t TParaList::CheckRoom(int32_t paragraph, int32_t paragraphs, int64_t bytes) {
    if (paragraphs > 0 || paragraph > paraLimit_) {
        int64_t allowed = paraLimit_;
        if (paraLimit_ != NoLimit && paragraph <= paraLimit_ && last_->Length() == 0)
            ++allowed;
        if (static_cast<int64_t>(paraCount_) + paragraphs > allowed)
            return VedErrParaLimit;
    }
    if (byteCount_ + bytes > byteLimit_)
        return VedErrByteLimit;
    if (paragraph != 0 && paragraphs == 0) {
        // the stored length is 16-bit whatever the configured limit says
        const int64_t limit = std::min<int64_t>(paraLengthLimit_, MaxParaBytes);
        const TParaNode* node = Node(paragraph);
        if (node && node->Length() + bytes > limit)
            return VedErrParaLength;
    }
    return VedOk;
}

void TParaList::SetMarker(int n, int32_t paragraph, int32_t position) {
    if (n < 0 || n > 9)
        return;
    bookmarks_[n][0] = paragraph;
    bookmarks_[n][1] = position;
}

bool TParaList::SetMarkerAtLine(int n, int32_t line, int32_t column) {
    int32_t paragraph, offset;
    if (n < 0 || n > 9 || column < 1 || !ParaOfLine(line, paragraph, offset))
        return false;
    SetMarker(n, paragraph, offset + column);
    return true;
}

void TParaList::ClearMarker(int n) {
    SetMarker(n, 0, 0);
}

bool TParaList::GetMarker(int n, int32_t& paragraph, int32_t& position) const {
    if (n < 0 || n > 9 || bookmarks_[n][0] == 0)
        return false;
    paragraph = bookmarks_[n][0];
    position = bookmarks_[n][1];
    return true;
}

void TParaList::AdjustBookmarks(const TParaChange& c) {
    for (auto& mark : bookmarks_) {
        int32_t& p = mark[0];
        int32_t& x = mark[1];
        if (p == 0)
            continue;
        switch (c.kind) {
        case TParaChangeKind::DeletedText:
            if (p == c.paragraph && x >= c.position) {
                if (x < c.position + c.count)
                    p = x = 0;
                else
                    x -= c.count;
            }
            break;
        case TParaChangeKind::DeletedPara:
            if (p == c.paragraph)
                p = x = 0;
            else if (p > c.paragraph)
                --p;
            break;
        default:
            c.Adjust(p, x, paraCount_);
            break;
        }
    }
}

void TParaList::Changed(const TParaChange& change, TVedRingMember* actor) {
    if (!notify_)
        return;
    AdjustBookmarks(change);
    NotifyRing(change, actor);
}

void TParaList::NotifyRing(const TParaChange& change, TVedRingMember* actor) {
    // an editor of another text is no member of this ring: start from the owner then
    TVedRingMember* start = actor && actor->ParaList() == this ? actor : owner_;
    if (!start)
        return;
    TVedRingMember* m = start;
    do {
        m = m->RingNext();
        m->ParaListChanged(change, actor);
    } while (m != start);
}

// ---------------------------------------------------------------------------------------------
// Primitive steps

void TParaList::RecordPosition(int32_t paragraph, int32_t position) {
    if (Recording())
        undo_->AddRecord(utPosition, modified_, paragraph, position, nullptr, 0);
}

void TParaList::PInsertChars(TVedRingMember* actor, int32_t paragraph, int32_t position,
                             const char* text, int length) {
    ++revision_;
    TParaNode* node;
    int32_t firstLine;
    Locate(paragraph, node, firstLine);
    const bool was = modified_;
    node->text_.insert(static_cast<size_t>(position - 1), text, static_cast<size_t>(length));
    if (Recording())
        undo_->AddRecord(utInsertChars, was, paragraph, position, text, length);
    byteCount_ += length;
    modified_ = true;
    Rewrap(node, firstLine, position - 1, 0, length, false);
    Changed({TParaChangeKind::InsertedText, paragraph, position, length, 0}, actor);
}

void TParaList::PDeleteChars(TVedRingMember* actor, int32_t paragraph, int32_t position,
                             int count) {
    ++revision_;
    TParaNode* node;
    int32_t firstLine;
    Locate(paragraph, node, firstLine);
    const bool was = modified_;
    const std::string removed =
        node->text_.substr(static_cast<size_t>(position - 1), static_cast<size_t>(count));
    node->text_.erase(static_cast<size_t>(position - 1), static_cast<size_t>(count));
    if (Recording())
        undo_->AddRecord(utDeleteChars, was, paragraph, position, removed.data(), count);
    byteCount_ -= count;
    modified_ = true;
    Rewrap(node, firstLine, position - 1, count, 0, HasTab(removed.data(), count));
    Changed({TParaChangeKind::DeletedText, paragraph, position, count, 0}, actor);
}

void TParaList::PReplace(TVedRingMember* actor, int32_t paragraph, int32_t position, int count,
                         const char* text, int length) {
    ++revision_;
    TParaNode* node;
    int32_t firstLine;
    Locate(paragraph, node, firstLine);
    const bool was = modified_;
    const std::string old =
        node->text_.substr(static_cast<size_t>(position - 1), static_cast<size_t>(count));
    node->text_.replace(static_cast<size_t>(position - 1), static_cast<size_t>(count), text,
                        static_cast<size_t>(length));
    if (Recording()) {
        const bool nul = old.find('\0') != std::string::npos ||
                         std::memchr(text, 0, static_cast<size_t>(length)) != nullptr;
        if (nul) {
            // a replace record ends its texts with NUL: a text holding one goes in as a
            // deletion and an insertion instead
            const bool previous = undo_->BeginGroup();
            undo_->AddRecord(utDeleteChars, was, paragraph, position, old.data(), count);
            undo_->AddRecord(utInsertChars, was, paragraph, position, text, length);
            undo_->EndGroup(previous);
        } else {
            undo_->AddReplaceRecord(was, paragraph, position, old.data(), count, text, length);
        }
    }
    byteCount_ += length - count;
    modified_ = true;
    Rewrap(node, firstLine, position - 1, count, length, HasTab(old.data(), count));
    Changed({TParaChangeKind::DeletedText, paragraph, position, count, 0}, actor);
    Changed({TParaChangeKind::InsertedText, paragraph, position, length, 0}, actor);
}

void TParaList::PLink(TVedRingMember* actor, TParaNode* node, int32_t number, TUndoType type,
                      int32_t recordPara, bool record) {
    ++revision_;
    TParaNode* before = number <= paraCount_ ? Node(number) : nullptr;
    node->next_ = before;
    node->prev_ = before ? before->prev_ : last_;
    (node->prev_ ? node->prev_->next_ : first_) = node;
    (before ? before->prev_ : last_) = node;
    node->linked_ = true;
    WrapWhole(node);
    const bool was = modified_;
    ++paraCount_;
    byteCount_ += node->Length() + 2;
    lineCount_ += node->LineCount();
    InvalidateCache();
    if (record) {
        if (Recording())
            undo_->AddNodeRecord(type, was, recordPara, 1, node->id_);
        modified_ = true;
    }
    TParaNode* located;
    int32_t firstLine = 1;
    Locate(number, located, firstLine);
    MarkChanged(firstLine, INT32_MAX);
    Changed({TParaChangeKind::InsertedPara, number, 1, 0, 0}, actor);
}

void TParaList::PUnlink(TVedRingMember* actor, int32_t paragraph) {
    ++revision_;
    TParaNode* node;
    int32_t firstLine;
    Locate(paragraph, node, firstLine);
    (node->prev_ ? node->prev_->next_ : first_) = node->next_;
    (node->next_ ? node->next_->prev_ : last_) = node->prev_;
    node->next_ = node->prev_ = nullptr;
    const bool was = modified_;
    --paraCount_;
    byteCount_ -= node->Length() + 2;
    lineCount_ -= node->LineCount();
    InvalidateCache();
    // Recording may drop redo or old records that refer to this node; it counts as part of
    // the text until the new record holds it, so that dropping them cannot free it.
    if (Recording())
        undo_->AddNodeRecord(utDeletePara, was, paragraph, 1, node->id_);
    node->linked_ = false;
    modified_ = true;
    MarkChanged(firstLine, INT32_MAX);
    Collect(node); // freed unless a record holds it
    Changed({TParaChangeKind::DeletedPara, paragraph, 1, 0, 0}, actor);
}

// ---------------------------------------------------------------------------------------------
// Edits

namespace {
TParaNode* Require(TParaNode* node) {
    if (!node)
        throw EInvalidLineOrPara();
    return node;
}
} // namespace

uint16_t TParaList::InsertChars(TVedRingMember* actor, int32_t paragraph, int32_t position,
                                const char* text, int length) {
    TParaNode* node = Require(Node(paragraph));
    if (length <= 0)
        return VedOk;
    position = std::max(position, 1);
    const int paraLength = node->Length();
    const int64_t pad = position > paraLength + 1 ? int64_t(position) - paraLength - 1 : 0;
    if (uint16_t code = CheckRoom(paragraph, 0, pad + length))
        return code;
    BeginChange();
    try {
        if (pad == 0) {
            PInsertChars(actor, paragraph, position, text, length);
        } else {
            std::string padded(static_cast<size_t>(pad), ' ');
            padded.append(text, static_cast<size_t>(length));
            PInsertChars(actor, paragraph, paraLength + 1, padded.data(),
                         static_cast<int>(padded.size()));
        }
    } catch (const std::bad_alloc&) {
        return VedErrMemory;
    }
    return VedOk;
}

uint16_t TParaList::DeleteChars(TVedRingMember* actor, int32_t paragraph, int32_t position,
                                int count) {
    TParaNode* node = Require(Node(paragraph));
    position = std::max(position, 1);
    if (count <= 0 || position > node->Length())
        return VedOk;
    count = std::min(count, node->Length() - position + 1);
    BeginChange();
    try {
        PDeleteChars(actor, paragraph, position, count);
    } catch (const std::bad_alloc&) {
        return VedErrMemory;
    }
    return VedOk;
}

uint16_t TParaList::ReplaceChars(TVedRingMember* actor, int32_t paragraph, int32_t position,
                                 int count, const char* text, int length, bool roomTest) {
    TParaNode* node = Require(Node(paragraph));
    position = std::max(position, 1);
    if (position > node->Length())
        return count > 0 && length == 0 ? uint16_t(VedOk)
                                        : InsertChars(actor, paragraph, position, text, length);
    count = std::clamp(count, 0, node->Length() - position + 1);
    if (length > count) {
        if (!roomTest) {
            if (int64_t(node->Length()) + length - count > MaxParaBytes)
                return VedErrMemory;
        } else if (uint16_t code = CheckRoom(paragraph, 0, length - count)) {
            return code;
        }
    }
    BeginChange();
    try {
        PReplace(actor, paragraph, position, count, text, length);
    } catch (const std::bad_alloc&) {
        return VedErrMemory;
    }
    return VedOk;
}

uint16_t TParaList::NewParaBefore(TVedRingMember* actor, int32_t paragraph, const char* text,
                                  int length) {
    if (paragraph < 1 || paragraph > paraCount_ + 1)
        throw EInvalidLineOrPara();
    length = std::max(length, 0);
    if (uint16_t code = CheckRoom(paragraph, 1, int64_t(length) + 2))
        return code;
    if (length > std::min<int32_t>(paraLengthLimit_, MaxParaBytes))
        return VedErrParaLength;
    BeginChange();
    try {
        PLink(actor, NewNode(text, length), paragraph, utParaBefore, paragraph, true);
    } catch (const std::exception&) {
        return VedErrMemory;
    }
    return VedOk;
}

uint16_t TParaList::NewParaAfter(TVedRingMember* actor, int32_t paragraph, const char* text,
                                 int length) {
    Require(Node(paragraph));
    length = std::max(length, 0);
    if (uint16_t code = CheckRoom(paragraph, 1, int64_t(length) + 2))
        return code;
    if (length > std::min<int32_t>(paraLengthLimit_, MaxParaBytes))
        return VedErrParaLength;
    BeginChange();
    try {
        PLink(actor, NewNode(text, length), paragraph + 1, utParaAfter, paragraph, true);
    } catch (const std::exception&) {
        return VedErrMemory;
    }
    return VedOk;
}

uint16_t TParaList::DeletePara(TVedRingMember* actor, int32_t paragraph) {
    TParaNode* node = Require(Node(paragraph));
    if (paraCount_ == 1) // the text always keeps one paragraph
        return DeleteChars(actor, paragraph, 1, node->Length());
    BeginChange();
    PUnlink(actor, paragraph);
    return VedOk;
}

uint16_t TParaList::SplitPara(TVedRingMember* actor, int32_t paragraph, int32_t position,
                              int32_t indent, int tabSize, bool trimBlanks) {
    TParaNode* node = Require(Node(paragraph));
    const int length = node->Length();
    position = std::clamp(position, 1, length + 1);
    std::string indentText;
    if (position > 1 && indent > 0) {
        if (indent > MaxParaBytes)
            return VedErrParaLength;
        if (tabSize > 0)
            indentText.assign(static_cast<size_t>(indent / tabSize), '\t');
        indentText.append(static_cast<size_t>(tabSize > 0 ? indent % tabSize : indent), ' ');
    }
    const int indentLength = static_cast<int>(indentText.size());
    const int tailLength = length - position + 1;
    if (uint16_t code = CheckRoom(paragraph, 1, indentLength + 2))
        return code;
    if (tailLength + indentLength > std::min<int32_t>(paraLengthLimit_, MaxParaBytes))
        return VedErrParaLength;
    BeginChange();
    try {
        CompoundScope scope(notify_, *undo_);
        if (position == 1) {
            PLink(actor, NewNode("", 0), paragraph, utParaBefore, paragraph, true);
        } else {
            RecordPosition(paragraph, position);
            const int blanks = trimBlanks ? TrailingBlanks(node->Text(), position - 1) : 0;
            if (blanks == position - 1) {
                // Only blanks before the split: the paragraph moves down whole behind a new empty
                // one, so that an undo takes the empty one away and what marks it stays with it.
                PLink(actor, NewNode("", 0), paragraph, utParaBefore, paragraph, true);
                PDeleteChars(actor, paragraph + 1, 1, blanks);
            } else {
                const std::string tail = node->text_.substr(static_cast<size_t>(position - 1));
                PLink(actor, NewNode(tail.data(), tailLength), paragraph + 1, utParaAfter,
                      paragraph, true);
                if (tailLength + blanks > 0)
                    PDeleteChars(actor, paragraph, position - blanks, tailLength + blanks);
            }
            if (indentLength > 0)
                PInsertChars(actor, paragraph + 1, 1, indentText.data(), indentLength);
            RecordPosition(paragraph + 1, indentLength + 1);
        }
    } catch (const std::exception&) {
        return VedErrMemory;
    }
    Changed({TParaChangeKind::InsertedBreak, paragraph, position, 0, indentLength}, actor);
    return VedOk;
}

uint16_t TParaList::JoinPara(TVedRingMember* actor, int32_t paragraph, int32_t position) {
    TParaNode* node = Require(Node(paragraph));
    if (paragraph == paraCount_)
        return VedOk;
    const int length = node->Length();
    position = std::max(position, length + 1); // joining never cuts text off
    BeginChange();
    if (position == 1) {
        // an empty paragraph: deleting it is the join
        {
            CompoundScope scope(notify_, *undo_);
            PUnlink(actor, paragraph);
        }
        Changed({TParaChangeKind::JoinedPara, paragraph, 1, 0, 0}, actor);
        return VedOk;
    }
    TParaNode* next = Node(paragraph + 1);
    const int64_t gap = int64_t(position) - 1 - length;
    if (CheckRoom(paragraph, 0, next->Length() + gap) != VedOk)
        return VedErrJoinTooLong;
    try {
        std::string joined(static_cast<size_t>(gap), ' ');
        joined += next->text_;
        CompoundScope scope(notify_, *undo_);
        if (!joined.empty())
            PInsertChars(actor, paragraph, length + 1, joined.data(),
                         static_cast<int>(joined.size()));
        PUnlink(actor, paragraph + 1);
        RecordPosition(paragraph, position);
    } catch (const std::bad_alloc&) {
        return VedErrMemory;
    }
    Changed({TParaChangeKind::JoinedPara, paragraph, position, 0, 0}, actor);
    return VedOk;
}

uint16_t TParaList::DeleteRange(TVedRingMember* actor, int32_t p1, int32_t x1, int32_t p2,
                                int32_t x2) {
    Require(Node(p1));
    Require(Node(p2));
    if (p2 < p1 || (p1 == p2 && x2 < x1)) {
        std::swap(p1, p2);
        std::swap(x1, x2);
    }
    x1 = std::max(x1, 1);
    x2 = std::clamp(x2, 1, ParaLength(p2) + 1);
    if (p1 == p2)
        return x2 > x1 ? DeleteChars(actor, p1, x1, x2 - x1) : uint16_t(VedOk);
    BeginChange();
    const bool previous = undo_->BeginGroup();
    uint16_t code = VedOk;
    try {
        if (x1 == 1 && x2 == 1) {
            for (int32_t k = p1; k < p2; ++k)
                PUnlink(actor, p1);
        } else {
            const int length1 = ParaLength(p1);
            if (x1 <= length1)
                PDeleteChars(actor, p1, x1, length1 - x1 + 1);
            for (int32_t k = p1 + 1; k < p2; ++k)
                PUnlink(actor, p1 + 1);
            if (x2 > 1)
                PDeleteChars(actor, p1 + 1, 1, x2 - 1);
            const int32_t first = changedFirst_, last = changedLast_;
            code = JoinPara(actor, p1, x1);
            MarkChanged(first, last);
        }
    } catch (const std::bad_alloc&) {
        code = VedErrMemory;
    }
    undo_->EndGroup(previous);
    return code;
}

uint16_t TParaList::InsertText(TVedRingMember* actor, int32_t paragraph, int32_t position,
                               const char* text, int length, int32_t& endParagraph,
                               int32_t& endPosition) {
    Require(Node(paragraph));
    position = std::max(position, 1);
    endParagraph = paragraph;
    endPosition = position;
    if (length <= 0)
        return VedOk;
    if (!std::memchr(text, '\n', static_cast<size_t>(length)) &&
        !std::memchr(text, '\r', static_cast<size_t>(length))) {
        uint16_t code = InsertChars(actor, paragraph, position, text, length);
        if (code == VedOk)
            endPosition = position + length;
        return code;
    }
    int32_t startLine = 1, column;
    LineOfPos(paragraph, position, startLine, column);
    const bool previous = undo_->BeginGroup();
    uint16_t code = VedOk;
    int i = 0;
    while (i < length && code == VedOk) {
        // CR LF, a lone CR and a LF each end one line
        int end = i;
        while (end < length && !LineEndLength(text, length, end))
            ++end;
        const bool lineBreak = end < length;
        const int pieceLength = end - i;
        if (lineBreak && position == 1) {
            code = NewParaBefore(actor, paragraph, text + i, pieceLength);
            if (code == VedOk)
                ++paragraph;
        } else {
            if (pieceLength > 0) {
                code = InsertChars(actor, paragraph, position, text + i, pieceLength);
                if (code == VedOk)
                    position += pieceLength;
            }
            if (code == VedOk && lineBreak) {
                code = SplitPara(actor, paragraph, position, 0, 0, false);
                if (code == VedOk) {
                    ++paragraph;
                    position = 1;
                }
            }
        }
        i = lineBreak ? end + LineEndLength(text, length, end) : length;
    }
    undo_->EndGroup(previous);
    endParagraph = paragraph;
    endPosition = position;
    changedFirst_ = std::max(startLine - 1, 1);
    changedLast_ = INT32_MAX;
    return code;
}

uint16_t TParaList::AppendPara(const char* text, int length) {
    length = std::max(length, 0);
    if (uint16_t code = CheckRoom(paraCount_, 1, int64_t(length) + 2))
        return code;
    if (length > std::min<int32_t>(paraLengthLimit_, MaxParaBytes))
        return VedErrParaLength;
    BeginChange();
    try {
        PLink(nullptr, NewNode(text, length), paraCount_, utParaBefore, 0, false);
    } catch (const std::exception&) {
        return VedErrMemory;
    }
    return VedOk;
}

// ---------------------------------------------------------------------------------------------
// Undo and redo

bool TParaList::ReplayInsert(TVedRingMember* actor, int32_t p, int32_t position,
                             const std::string& text) {
    const TParaNode* node = Node(p);
    if (!node || position < 1 || position > node->Length() + 1)
        return false;
    PInsertChars(actor, p, position, text.data(), static_cast<int>(text.size()));
    return true;
}

bool TParaList::ReplayDelete(TVedRingMember* actor, int32_t p, int32_t position, int count) {
    const TParaNode* node = Node(p);
    if (!node || position < 1 || position - 1 + count > node->Length())
        return false;
    PDeleteChars(actor, p, position, count);
    return true;
}

bool TParaList::ReplayReplace(TVedRingMember* actor, int32_t p, int32_t position,
                              const std::string& removed, const std::string& inserted) {
    const TParaNode* node = Node(p);
    if (!node || position < 1 || position - 1 + static_cast<int>(removed.size()) > node->Length())
        return false;
    PReplace(actor, p, position, static_cast<int>(removed.size()), inserted.data(),
             static_cast<int>(inserted.size()));
    return true;
}

bool TParaList::ReplayLink(TVedRingMember* actor, uint32_t id, int32_t number, TUndoType type,
                           int32_t recordPara) {
    TParaNode* node = NodeById(id);
    if (!node || node->linked_ || number < 1 || number > paraCount_ + 1)
        return false;
    PLink(actor, node, number, type, recordPara, false);
    modified_ = true;
    return true;
}

bool TParaList::ReplayUnlink(TVedRingMember* actor, uint32_t id, int32_t number) {
    const TParaNode* node = NodeById(id);
    if (!node || paraCount_ < 2 || Node(number) != node)
        return false;
    PUnlink(actor, number);
    return true;
}

bool TParaList::ApplyUndo(TVedRingMember* actor, const TUndoRecord& r) {
    const int32_t p = r.paragraph;
    switch (r.type) {
    case utPosition:
        return true;
    case utInsertChars:
        return ReplayDelete(actor, p, r.position, static_cast<int>(r.data.size()));
    case utParaBefore:
    case utParaAfter:
        return ReplayUnlink(actor, r.node, r.type == utParaBefore ? p : p + 1);
    case utDeleteChars:
        return ReplayInsert(actor, p, r.position, r.data);
    case utDeletePara:
        return ReplayLink(actor, r.node, p, utParaBefore, p);
    case utReplace:
        return ReplayReplace(actor, p, r.position, r.newText, r.oldText);
    }
    return false;
}

bool TParaList::ApplyRedo(TVedRingMember* actor, const TUndoRecord& r, int32_t& paragraph,
                          int32_t& position) {
    const int32_t p = r.paragraph;
    paragraph = p;
    position = r.position;
    switch (r.type) {
    case utPosition:
        return true;
    case utInsertChars:
        if (!ReplayInsert(actor, p, r.position, r.data))
            return false;
        position = r.position + static_cast<int32_t>(r.data.size());
        return true;
    case utParaBefore:
    case utParaAfter:
        if (!ReplayLink(actor, r.node, r.type == utParaBefore ? p : p + 1, r.type, p))
            return false;
        paragraph = p + 1;
        position = 1;
        return true;
    case utDeleteChars:
        return ReplayDelete(actor, p, r.position, static_cast<int>(r.data.size()));
    case utDeletePara:
        if (!ReplayUnlink(actor, r.node, p))
            return false;
        paragraph = std::min(p, paraCount_);
        position = 1;
        return true;
    case utReplace:
        if (!ReplayReplace(actor, p, r.position, r.oldText, r.newText))
            return false;
        position = r.position + static_cast<int32_t>(r.newText.size());
        return true;
    }
    return false;
}

template <class Step>
bool TParaList::Replay(bool redo, int32_t& paragraph, int32_t& position, Step step) {
    const auto peek = [this, redo](uint8_t& group) {
        return redo ? undo_->PeekRedoGroup(group) : undo_->PeekUndoGroup(group);
    };
    uint8_t group, next;
    if (!peek(group))
        return false;
    BeginChange();
    undoing_ = true;
    TUndoRecord record;
    try {
        while (peek(next) && next == group)
            if (!step(record))
                break;
    } catch (...) {
        undoing_ = false;
        throw;
    }
    undoing_ = false;
    paragraph = std::clamp(paragraph, 1, paraCount_);
    position = std::max(position, 1);
    return true;
}

bool TParaList::Undo(TVedRingMember* actor, int32_t& paragraph, int32_t& position) {
    bool modified = modified_;
    const bool undone = Replay(false, paragraph, position, [&](TUndoRecord& record) {
        if (!undo_->TakeUndo(record))
            return false;
        ApplyUndo(actor, record);
        paragraph = record.paragraph;
        position = record.position;
        modified = record.modified;
        return true;
    });
    if (undone)
        modified_ = modified;
    return undone;
}

bool TParaList::Redo(TVedRingMember* actor, int32_t& paragraph, int32_t& position) {
    return Replay(true, paragraph, position, [&](TUndoRecord& record) {
        if (!undo_->TakeRedo(record, modified_))
            return false;
        ApplyRedo(actor, record, paragraph, position);
        return true;
    });
}

} // namespace ved
