// Key bindings of the editor: command codes, command tables and the command processor that
// translates key presses (virtual key, shift mask) into editor commands, with two-key
// sequences and a literal-next-key state.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ved {

// Editor command codes and the processor's extra results.
enum TVedCommandCode : uint16_t {
    ccNone = 0,
    ccBack = 1,
    ccBotOfPage = 2,
    ccBotRightCell = 3,
    ccCompleteDate = 4,
    ccCompleteTime = 5,
    ccCopy = 6,
    ccCtrlChar = 7,
    ccCut = 8,
    ccDec = 9,
    ccDel = 10,
    ccDelBol = 11,
    ccDelEol = 12,
    ccDelLine = 13,
    ccDelWord = 14,
    ccDown = 15,
    ccEnd = 16,
    ccExtendDown = 17,
    ccExtendEnd = 18,
    ccExtendHome = 19,
    ccExtendLeft = 20,
    ccExtendPgDn = 21,
    ccExtendPgUp = 22,
    ccExtendRight = 23,
    ccExtendUp = 24,
    ccExtBotOfPage = 25,
    ccExtFirstPage = 26,
    ccExtLastPage = 27,
    ccExtTopOfPage = 28,
    ccExtWordLeft = 29,
    ccExtWordRight = 30,
    ccFirstPage = 31,
    ccGotoMarker0 = 32, // .. ccGotoMarker0 + 9
    ccHome = 42,
    ccInc = 43,
    ccIns = 44,
    ccLastPage = 45,
    ccLeft = 46,
    ccNewLine = 47,
    ccNextPage = 48,
    ccPageLeft = 49,
    ccPageRight = 50,
    ccPaste = 51,
    ccPrevPage = 52,
    ccRedo = 53,
    ccRestore = 54,
    ccRight = 55,
    ccScrollDown = 56,
    ccScrollUp = 57,
    ccSetMarker0 = 58, // .. ccSetMarker0 + 9
    ccTab = 68,
    ccTableEdit = 69,
    ccTopLeftCell = 70,
    ccTopOfPage = 71,
    ccUndo = 72,
    ccUp = 73,
    ccWordLeft = 74,
    ccWordRight = 75,
    ccChar = 249,         // a typed character
    ccNotCommand = 252,   // the key goes on as an ordinary key
    ccSequenceFail = 254, // the second key did not complete a sequence
    ccConsumed = 255,     // first key of a sequence, or a modifier while one is pending
    ccUser = 256,         // first user command
};

// Shift mask bits of a key.
enum TVedShift : uint8_t {
    ssShift = 2,
    ssCtrl = 4,
    ssAlt = 8,
    ssAnyCtrl = 128, // second key: no modifier or Ctrl
};

// Virtual key codes the built-in tables use.
enum TVedKey : uint8_t {
    vkBack = 8,
    vkTab = 9,
    vkReturn = 13,
    vkShift = 16,
    vkControl = 17,
    vkMenu = 18,
    vkCapital = 20,
    vkPrior = 33,
    vkNext = 34,
    vkEnd = 35,
    vkHome = 36,
    vkLeft = 37,
    vkUp = 38,
    vkRight = 39,
    vkDown = 40,
    vkInsert = 45,
    vkDelete = 46,
    vkF2 = 113,
    vkNumLock = 144,
    vkScroll = 145,
};

// One key binding. Two entries are the same binding when their four key bytes are equal.
struct TVedCmdRec {
    uint8_t Key1 = 0;
    uint8_t Shift1 = 0;
    uint8_t Key2 = 0; // 0 = single key
    uint8_t Shift2 = 0;
    uint16_t Command = ccNone;

    // The four key bytes packed little-endian (Key1 in bits 0-7 .. Shift2 in bits 24-31).
    uint32_t KeyCode() const {
        return Key1 | Shift1 << 8 | Key2 << 16 | static_cast<uint32_t>(Shift2) << 24;
    }
    static TVedCmdRec FromKeyCode(uint32_t code, uint16_t command);
    bool SameKey(const TVedCmdRec& other) const { return KeyCode() == other.KeyCode(); }
    bool operator==(const TVedCmdRec&) const = default;
};

// A named, ordered list of bindings.
class TVedCommandTable {
public:
    TVedCommandTable(); // "(Unknown)", active
    TVedCommandTable(std::string name, bool active);

    const std::string& TableName() const { return name_; }
    void SetTableName(std::string name) { name_ = std::move(name); }
    bool IsActive() const { return active_; }
    void SetActive(bool active) { active_ = active; }

    int Add(const TVedCmdRec& entry);       // appends; returns its index
    int Find(const TVedCmdRec& key) const;  // by the four key bytes; -1 when absent
    const TVedCmdRec& Get(int index) const; // std::out_of_range outside 0..Count-1
    void Replace(int index, const TVedCmdRec& entry);
    void Delete(int index);
    void Clear() { entries_.clear(); }
    int Count() const { return static_cast<int>(entries_.size()); }

    // Text file: the table name, then per entry Key1, Shift1, Key2, Shift2 and the command,
    // right-aligned in widths 4, 4, 4, 4 and 6. Loading clears the table first.
    // Errors: std::system_error when the file cannot be read or written, std::runtime_error
    // for a malformed line.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;
    void LoadFromText(const std::string& text);
    std::string SaveToText() const;

private:
    std::string name_;
    bool active_ = true;
    std::vector<TVedCmdRec> entries_;
};

// Names of the built-in tables; a table of one of these names (case-insensitive) is stored
// as its differences from the built-in contents.
bool IsBuiltInTableName(const std::string& name);
// A fresh built-in table ("Default" active, "WordStar" and "Grid" inactive); null for any
// other name.
std::unique_ptr<TVedCommandTable> MakeBuiltInTable(const std::string& name);

// A table as stored: name, active flag and (key code, command) pairs.
struct TVedTableStream {
    std::string name;
    bool isActive = true;
    std::vector<std::pair<int32_t, int32_t>> pairs;
    bool operator==(const TVedTableStream&) const = default;
};

// Built-in tables become their differences: first (key, 0) for each built-in key no longer
// bound, then (key, command) for each entry not identical to a built-in one. Other tables
// store all their entries.
TVedTableStream EncodeTable(const TVedCommandTable& table);
// Inverse of EncodeTable.
std::unique_ptr<TVedCommandTable> DecodeTable(const TVedTableStream& stream);

class TVedCommandProcessor {
public:
    TVedCommandProcessor(); // "Default", "WordStar", "Grid"
    virtual ~TVedCommandProcessor();
    TVedCommandProcessor(const TVedCommandProcessor&) = delete;
    TVedCommandProcessor& operator=(const TVedCommandProcessor&) = delete;

    int Count() const { return static_cast<int>(tables_.size()); }
    TVedCommandTable& Table(int index) const; // ETableNotFound outside 0..Count-1
    // Case-insensitive lookup; null when absent.
    TVedCommandTable* GetCommandTable(const std::string& name) const;

    // Appends an entry to the named table: ETableNotFound when there is none,
    // EDuplicateCommand when the table binds the same keys already.
    void AddCommand(const std::string& tableName, const TVedCmdRec& entry);
    // A new empty table under a unique name; returns its index.
    int CreateCommandTable(const std::string& name, bool active);
    // Appends a table under a unique name: trailing digits are cut (while the name is at
    // least two characters long) to a stem; when the name is taken or the stem names a table,
    // stem1, stem2, ... are tried until one is free. Returns its index.
    int Add(std::unique_ptr<TVedCommandTable> table);
    // Removes and frees a table; ETableNotFound outside 0..Count-1.
    void Remove(int index);
    void Clear();

    // Reads a table text file into a new table and adds it; returns its index.
    virtual int LoadCommandTable(const std::string& fileName);
    // Writes the named table; nothing when there is none.
    virtual void SaveCommandTable(const std::string& tableName, const std::string& fileName);

    // Translates a key press into a command code, or 252 (not a command), 254 (sequence not
    // completed) or 255 (key consumed). `shift` holds the ssShift, ssCtrl, ssAlt bits.
    uint16_t TranslateKey(uint8_t key, uint8_t shift);
    void ResetState();
    int SequenceState() const { return state_; } // 0 idle, 1 sequence pending, 2 literal next

    // The tables as stored (written only when there is at least one) and read back: reading
    // replaces every table.
    std::vector<TVedTableStream> WriteTableList() const;
    void ReadTableList(const std::vector<TVedTableStream>& list);

private:
    bool NameTaken(const std::string& name) const;

    std::vector<std::unique_ptr<TVedCommandTable>> tables_;
    int state_ = 0;
    uint8_t pendingKey_ = 0;
    uint8_t pendingShift_ = 0;
};

} // namespace ved
