// Text store of the editor control: a doubly linked list of paragraphs with incremental word
// wrap, counts and limits, the modified flag, ten bookmarks and the undo history, shared by a
// ring of editors. Paragraphs, lines, positions and columns are 1-based. Text is Windows-1252
// bytes; paragraph lengths never exceed 65535 bytes.
#pragma once

#include "editor/undobuffer.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ved {

class TParaList;

// One paragraph: its text and the 0-based start offsets of its wrapped lines.
class TParaNode {
public:
    const char* Text() const { return text_.c_str(); }
    int Length() const { return static_cast<int>(text_.size()); }
    int LineCount() const { return static_cast<int>(lineStarts_.size()); }
    // Start offset of wrapped line `index` (0-based); entry 0 is 0.
    int LineStart(int index) const { return lineStarts_[static_cast<size_t>(index)]; }
    TParaNode* Next() const { return next_; }
    TParaNode* Prev() const { return prev_; }
    uint32_t Id() const { return id_; }

private:
    friend class TParaList;
    std::string text_;
    std::vector<uint16_t> lineStarts_{0};
    TParaNode* next_ = nullptr;
    TParaNode* prev_ = nullptr;
    uint32_t id_ = 0;
    int refs_ = 0;        // undo records referring to the node
    bool linked_ = false; // part of the text
};

// What an edit changed, as told to bookmarks and to every editor of the ring.
enum class TParaChangeKind {
    InsertedText,  // count characters inserted at (paragraph, position)
    DeletedText,   // count characters deleted at (paragraph, position)
    InsertedBreak, // paragraph split at position, the new paragraph starting with indent chars
    InsertedPara,  // a new paragraph took number `paragraph`
    DeletedPara,   // paragraph deleted
    JoinedPara,    // paragraph + 1 appended to paragraph at position
    Rewrapped,     // every paragraph rewrapped (wrap settings changed)
};

struct TParaChange {
    TParaChangeKind kind = TParaChangeKind::Rewrapped;
    int32_t paragraph = 0;
    int32_t position = 0;
    int32_t count = 0;
    int32_t indent = 0;

    // Moves an editor's (paragraph, position) so that it stays on the same text.
    // `paraCount` is the count after the change.
    void Adjust(int32_t& paragraph, int32_t& position, int32_t paraCount) const;
};

// An editor sharing a paragraph list with others. The members form a circular ring; the
// last member to leave frees the list.
class TVedRingMember {
public:
    TVedRingMember() = default;
    virtual ~TVedRingMember();
    TVedRingMember(const TVedRingMember&) = delete;
    TVedRingMember& operator=(const TVedRingMember&) = delete;

    TParaList* ParaList() const { return list_; }
    TVedRingMember* RingNext() const { return next_; }
    TVedRingMember* RingPrev() const { return prev_; }

    // Leaves the current ring and starts a new list of one empty paragraph owned by this member.
    void CreateParaList(bool wordWrap, uint16_t undoSize);
    // As CreateParaList, carrying over the limits, wrap and tab settings and the undo size.
    void RenewParaList();
    // Leaves the current ring and shares `other`'s list, linked after that list's owner.
    void Attach(TVedRingMember& other);
    // Unlinks from the ring; the last member frees the list, an owner hands it on.
    void LeaveRing();

    // Called on every member of the ring after the shared list changed, starting with the
    // member after `actor` (the member whose edit it was; may be null).
    virtual void ParaListChanged(const TParaChange& change, const TVedRingMember* actor);

private:
    TParaList* list_ = nullptr;
    TVedRingMember* next_ = this;
    TVedRingMember* prev_ = this;
};

class TParaList final : private TUndoNodeOwner {
public:
    static constexpr int32_t NoLimit = INT32_MAX;
    static constexpr int MaxParaBytes = 0xFFFF;

    // One empty paragraph and an undo buffer of `undoSize` bytes.
    TParaList(TVedRingMember* owner, bool wordWrap, uint16_t undoSize);
    ~TParaList();
    TParaList(const TParaList&) = delete;
    TParaList& operator=(const TParaList&) = delete;

    TVedRingMember* Owner() const { return owner_; }

    // --- counts and settings
    int32_t ParaCount() const { return paraCount_; }
    int32_t LineCount() const { return lineCount_; }
    // Text characters plus 2 per paragraph, 0 for the initial empty list.
    int32_t ByteCount() const { return byteCount_; }
    int32_t ParaLimit() const { return paraLimit_; }
    int32_t ByteLimit() const { return byteLimit_; }
    int32_t ParaLengthLimit() const { return paraLengthLimit_; }
    void SetParaLimit(int32_t v) { paraLimit_ = v; }
    void SetByteLimit(int32_t v) { byteLimit_ = v; }
    void SetParaLengthLimit(int32_t v) { paraLengthLimit_ = v; }
    bool WordWrap() const { return wordWrap_; }
    int32_t WrapColumn() const { return wrapColumn_; }
    uint8_t TabSize() const { return tabSize_; }
    // Each rewraps every paragraph (when wrapping) and tells the ring.
    void SetWordWrap(bool on);
    void SetWrapColumn(int32_t column);
    void SetTabSize(uint8_t size);
    // The wrap column a paragraph uses: WrapColumn with word wrap, else 32767.
    // 0 or below means no wrap.
    int32_t EffectiveWrapColumn() const { return wordWrap_ ? wrapColumn_ : 32767; }

    bool Modified() const { return modified_; }
    // Clearing also marks every undo record, so that undoing after a save leaves the text
    // modified.
    void SetModified(bool modified);
    // Counts the changes of the text itself; equal before and after an edit that changed nothing.
    uint32_t Revision() const { return revision_; }

    // --- undo
    TUndoBuffer& UndoBuffer() { return *undo_; }
    uint16_t UndoBufferSize() const { return undo_->Size(); }
    // A new buffer of that size; all history is lost.
    void SetUndoBufferSize(uint16_t size);
    bool CanUndo() const { return undo_->CanUndo(); }
    bool CanRedo() const { return undo_->CanRedo(); }
    // Undoes / redoes one record group; the caret position to go to comes back in
    // (paragraph, position). False when there is nothing to undo / redo.
    bool Undo(TVedRingMember* actor, int32_t& paragraph, int32_t& position);
    bool Redo(TVedRingMember* actor, int32_t& paragraph, int32_t& position);
    // Brackets several edits into one undo group (nested brackets form one group).
    bool BeginGroup() { return undo_->BeginGroup(); }
    void EndGroup(bool previous) { undo_->EndGroup(previous); }

    // --- queries
    TParaNode* Node(int32_t paragraph); // null outside 1..ParaCount
    const char* ParaText(int32_t paragraph, int& length);
    int ParaLength(int32_t paragraph);
    // Text of wrapped line `line`: null node and empty text outside 1..LineCount.
    TParaNode* GetLine(int32_t line, const char*& text, int& length);
    int LineLength(int32_t line);
    // Line holding (paragraph, position) and the position within that line (1-based).
    // Positions past the paragraph's end lie on its last line.
    bool LineOfPos(int32_t paragraph, int32_t position, int32_t& line, int32_t& column);
    // Paragraph of `line` and the 0-based offset of the line's start in it.
    bool ParaOfLine(int32_t line, int32_t& paragraph, int32_t& offset);
    int ColumnOfPos(const char* text, int length, int position) const;
    int PosOfColumn(const char* text, int length, int column) const;
    // First and last (global) line changed by the last edit; last is INT32_MAX when the
    // line count changed.
    int32_t ChangedFirst() const { return changedFirst_; }
    int32_t ChangedLast() const { return changedLast_; }

    // Room for `paragraphs` new paragraphs and `bytes` more bytes in `paragraph`:
    // 0, 265 (paragraph limit), 267 (byte limit) or 268 (paragraph length).
    uint16_t CheckRoom(int32_t paragraph, int32_t paragraphs, int64_t bytes);

    // --- bookmarks (0..9); paragraph 0 means not set
    void SetMarker(int n, int32_t paragraph, int32_t position);
    bool SetMarkerAtLine(int n, int32_t line, int32_t column);
    void ClearMarker(int n);
    bool GetMarker(int n, int32_t& paragraph, int32_t& position) const;

    // --- edits: each returns 0 or an error code (263, 265 to 268) and leaves the text as it
    // was before the failing step. `actor` is the editor making the change (may be null).
    // Inserts characters at (paragraph, position); a position past the end pads with blanks.
    uint16_t InsertChars(TVedRingMember* actor, int32_t paragraph, int32_t position,
                         const char* text, int length);
    // Deletes up to `count` characters at (paragraph, position).
    uint16_t DeleteChars(TVedRingMember* actor, int32_t paragraph, int32_t position, int count);
    // Replaces up to `count` characters at (paragraph, position) by `text`. Without the room
    // test (replace all) the limits are not asked; only a paragraph longer than its storage can
    // hold fails, with 263.
    uint16_t ReplaceChars(TVedRingMember* actor, int32_t paragraph, int32_t position, int count,
                          const char* text, int length, bool roomTest = true);
    // New paragraph with a text before paragraph (1..ParaCount+1) / after paragraph.
    uint16_t NewParaBefore(TVedRingMember* actor, int32_t paragraph, const char* text, int length);
    uint16_t NewParaAfter(TVedRingMember* actor, int32_t paragraph, const char* text, int length);
    // Deletes a paragraph; the only paragraph of the text is emptied instead.
    uint16_t DeletePara(TVedRingMember* actor, int32_t paragraph);
    // Splits the paragraph at `position`; the new paragraph starts with an indent of `indent`
    // columns (tabs of `tabSize` then blanks; blanks only for tab size 0). With `trimBlanks`
    // the blanks just before the split point are removed.
    uint16_t SplitPara(TVedRingMember* actor, int32_t paragraph, int32_t position, int32_t indent,
                       int tabSize, bool trimBlanks);
    // Appends paragraph + 1 to `paragraph` at `position` (padding with blanks): 266 when too long.
    uint16_t JoinPara(TVedRingMember* actor, int32_t paragraph, int32_t position);
    // Deletes from (p1, x1) up to (p2, x2).
    uint16_t DeleteRange(TVedRingMember* actor, int32_t p1, int32_t x1, int32_t p2, int32_t x2);
    // Inserts a text that may hold line breaks (LF, CR LF); returns where it ended.
    uint16_t InsertText(TVedRingMember* actor, int32_t paragraph, int32_t position,
                        const char* text, int length, int32_t& endParagraph, int32_t& endPosition);
    // Adds a paragraph before the last one, unrecorded (loading).
    uint16_t AppendPara(const char* text, int length);
    // Records a caret position in the undo history: undoing the group it starts returns there.
    void RecordPosition(int32_t paragraph, int32_t position);

private:
    friend class TVedRingMember;

    struct LineCache {
        TParaNode* node = nullptr;
        int32_t paragraph = 0;
        int32_t firstLine = 0; // global number of the node's first line
    };

    void RetainNode(uint32_t id) override;
    void ReleaseNode(uint32_t id) override;
    TParaNode* NewNode(const char* text, int length);
    void Collect(TParaNode* node);
    TParaNode* NodeById(uint32_t id) const;

    bool Locate(int32_t paragraph, TParaNode*& node, int32_t& firstLine);
    bool LocateLine(int32_t line, TParaNode*& node, int32_t& paragraph, int32_t& firstLine);
    // Where a walk to a target starts: the first, the last or the cached node, whichever the
    // given distances call nearest.
    LineCache NearestStart(int32_t fromFirst, int32_t fromLast, int32_t fromCache) const;
    // The node of paragraph `target`, or with `byLine` of line `target`, walked to from the
    // nearest start and cached; no node when there is none of that number.
    LineCache Seek(int32_t target, bool byLine);
    void InvalidateCache();

    void WrapWhole(TParaNode* node);
    // Rewraps after `removed` characters at `offset` were replaced by `inserted` ones, only
    // the lines up to where the old line starts line up again (all with `whole`).
    void Rewrap(TParaNode* node, int32_t firstLine, int offset, int removed, int inserted,
                bool whole);
    void RewrapAll();
    // A new wrap column or tab width moves the line breaks only while words wrap.
    void RewrapIfWrapping();
    void MarkChanged(int32_t first, int32_t last);
    void BeginChange();

    // Primitive steps: no checks; record undo unless undoing; rewrap, count and notify.
    void PInsertChars(TVedRingMember* actor, int32_t paragraph, int32_t position, const char* text,
                      int length);
    void PDeleteChars(TVedRingMember* actor, int32_t paragraph, int32_t position, int count);
    void PReplace(TVedRingMember* actor, int32_t paragraph, int32_t position, int count,
                  const char* text, int length);
    // Links `node` so that it becomes paragraph `number`; records `type` with `recordPara`.
    void PLink(TVedRingMember* actor, TParaNode* node, int32_t number, TUndoType type,
               int32_t recordPara, bool record);
    void PUnlink(TVedRingMember* actor, int32_t paragraph);
    bool Recording() const { return !undoing_; }

    void Changed(const TParaChange& change, TVedRingMember* actor);
    void AdjustBookmarks(const TParaChange& change);
    void NotifyRing(const TParaChange& change, TVedRingMember* actor);
    // The steps undo and redo take, each only where the record still fits the text.
    bool ReplayInsert(TVedRingMember* actor, int32_t p, int32_t position, const std::string& text);
    bool ReplayDelete(TVedRingMember* actor, int32_t p, int32_t position, int count);
    bool ReplayReplace(TVedRingMember* actor, int32_t p, int32_t position,
                       const std::string& removed, const std::string& inserted);
    bool ReplayLink(TVedRingMember* actor, uint32_t id, int32_t number, TUndoType type,
                    int32_t recordPara);
    bool ReplayUnlink(TVedRingMember* actor, uint32_t id, int32_t number);
    bool ApplyUndo(TVedRingMember* actor, const TUndoRecord& record);
    bool ApplyRedo(TVedRingMember* actor, const TUndoRecord& record, int32_t& paragraph,
                   int32_t& position);
    // Takes and applies the records of the group on top of the undo history (of the redo
    // history with `redo`) through `step`, recording off on every way out; false when there is
    // none. The caret ends inside the text.
    template <class Step> bool Replay(bool redo, int32_t& paragraph, int32_t& position, Step step);

    TVedRingMember* owner_;
    TParaNode* first_ = nullptr;
    TParaNode* last_ = nullptr;
    LineCache cache_;
    int32_t paraCount_ = 0;
    int32_t byteCount_ = 0;
    int32_t lineCount_ = 0;
    int32_t paraLimit_ = NoLimit;
    int32_t byteLimit_ = NoLimit;
    int32_t paraLengthLimit_ = 32767;
    bool wordWrap_ = false;
    int32_t wrapColumn_ = 80;
    uint8_t tabSize_ = 8;
    bool modified_ = false;
    uint32_t revision_ = 0;
    bool notify_ = true;
    bool undoing_ = false;
    int32_t changedFirst_ = 0;
    int32_t changedLast_ = 0;
    int32_t bookmarks_[10][2] = {};
    // Every node lives in this table, indexed by id (slot 0 unused); records refer to ids.
    std::vector<std::unique_ptr<TParaNode>> nodes_;
    std::vector<uint32_t> freeIds_;
    std::unique_ptr<TUndoBuffer> undo_;
};

} // namespace ved
