#include "editor/vedcmd.h"

#include "editor/vedexcept.h"
#include "platform/savefile.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace ved {

namespace {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

TVedCmdRec Bind(uint8_t key, uint8_t shift, uint16_t command) {
    return TVedCmdRec{key, shift, 0, 0, command};
}

TVedCmdRec Sequence(uint8_t key1, uint8_t key2, uint16_t command) {
    return TVedCmdRec{key1, ssCtrl, key2, ssAnyCtrl, command};
}

constexpr uint8_t CtrlShift = ssCtrl | ssShift;

template <size_t N> void AddRows(TVedCommandTable& t, const TVedCmdRec (&rows)[N]) {
    for (const auto& r : rows)
        t.Add(r);
}

// The fourteen selection-extending rows that "Default" and "Grid" share, in their order.
void AddExtendRows(TVedCommandTable& t) {
    const TVedCmdRec rows[] = {
        Bind(vkLeft, ssShift, ccExtendLeft),      Bind(vkRight, ssShift, ccExtendRight),
        Bind(vkHome, ssShift, ccExtendHome),      Bind(vkEnd, ssShift, ccExtendEnd),
        Bind(vkLeft, CtrlShift, ccExtWordLeft),   Bind(vkRight, CtrlShift, ccExtWordRight),
        Bind(vkPrior, ssShift, ccExtendPgUp),     Bind(vkNext, ssShift, ccExtendPgDn),
        Bind(vkUp, ssShift, ccExtendUp),          Bind(vkDown, ssShift, ccExtendDown),
        Bind(vkHome, CtrlShift, ccExtFirstPage),  Bind(vkEnd, CtrlShift, ccExtLastPage),
        Bind(vkPrior, CtrlShift, ccExtTopOfPage), Bind(vkNext, CtrlShift, ccExtBotOfPage),
    };
    AddRows(t, rows);
}

void FillDefault(TVedCommandTable& t) {
    const TVedCmdRec rows[] = {
        Bind(vkLeft, 0, ccLeft),
        Bind(vkRight, 0, ccRight),
        Bind(vkLeft, ssCtrl, ccWordLeft),
        Bind(vkRight, ssCtrl, ccWordRight),
        Bind(vkHome, 0, ccHome),
        Bind(vkEnd, 0, ccEnd),
        Bind(vkDelete, 0, ccDel),
        Bind(vkBack, 0, ccBack),
        Bind(vkBack, ssShift, ccBack),
        Bind(vkPrior, ssCtrl, ccTopOfPage),
        Bind(vkNext, ssCtrl, ccBotOfPage),
        Bind(vkInsert, 0, ccIns),
        Bind('Z', ssCtrl, ccUndo),
        Bind(vkBack, ssAlt, ccRestore),
        Bind(vkUp, 0, ccUp),
        Bind(vkDown, 0, ccDown),
        Bind(vkReturn, ssCtrl, ccNewLine),
    };
    const TVedCmdRec rest[] = {
        Bind(vkDelete, ssShift, ccCut),
        Bind('X', ssCtrl, ccCut),
        Bind(vkInsert, ssCtrl, ccCopy),
        Bind('C', ssCtrl, ccCopy),
        Bind(vkInsert, ssShift, ccPaste),
        Bind('V', ssCtrl, ccPaste),
        Bind(vkPrior, 0, ccPrevPage),
        Bind(vkNext, 0, ccNextPage),
        Bind(vkHome, ssCtrl, ccFirstPage),
        Bind(vkEnd, ssCtrl, ccLastPage),
        Bind(vkTab, 0, ccTab),
        Bind(vkTab, ssCtrl, ccTab),
        Bind('Z', CtrlShift, ccRedo),
    };
    AddRows(t, rows);
    AddExtendRows(t);
    AddRows(t, rest);
    for (int i = 0; i < 10; ++i)
        t.Add(
            Bind(static_cast<uint8_t>('0' + i), ssCtrl, static_cast<uint16_t>(ccGotoMarker0 + i)));
    for (int i = 0; i < 10; ++i)
        t.Add(Bind(static_cast<uint8_t>('0' + i), CtrlShift,
                   static_cast<uint16_t>(ccSetMarker0 + i)));
}

void FillWordStar(TVedCommandTable& t) {
    const TVedCmdRec rows[] = {
        Bind('S', ssCtrl, ccLeft),     Bind('D', ssCtrl, ccRight),
        Bind('E', ssCtrl, ccUp),       Bind('X', ssCtrl, ccDown),
        Bind('R', ssCtrl, ccPrevPage), Bind('C', ssCtrl, ccNextPage),
        Bind('W', ssCtrl, ccScrollUp), Bind('Z', ssCtrl, ccScrollDown),
        Bind('A', ssCtrl, ccWordLeft), Bind('F', ssCtrl, ccWordRight),
        Sequence('Q', 'S', ccHome),    Bind('G', ssCtrl, ccDel),
        Bind('H', ssCtrl, ccBack),     Bind('Y', ssCtrl, ccDelLine),
        Sequence('Q', 'Y', ccDelEol),  Bind('V', ssCtrl, ccIns),
        Bind('T', ssCtrl, ccDelWord),  Bind('P', ssCtrl, ccCtrlChar),
        Sequence('Q', 'L', ccRestore), Sequence('Q', 'D', ccEnd),
    };
    AddRows(t, rows);
    for (int i = 0; i < 10; ++i)
        t.Add(
            Sequence('Q', static_cast<uint8_t>('0' + i), static_cast<uint16_t>(ccGotoMarker0 + i)));
    for (int i = 0; i < 10; ++i)
        t.Add(
            Sequence('K', static_cast<uint8_t>('0' + i), static_cast<uint16_t>(ccSetMarker0 + i)));
}

void FillGrid(TVedCommandTable& t) {
    const TVedCmdRec rows[] = {
        Bind(vkLeft, 0, ccLeft),
        Bind(vkRight, 0, ccRight),
        Bind(vkLeft, ssCtrl, ccPageLeft),
        Bind(vkRight, ssCtrl, ccPageRight),
        Bind(vkHome, 0, ccHome),
        Bind(vkEnd, 0, ccEnd),
        Bind(vkDelete, 0, ccDel),
        Bind(vkBack, 0, ccBack),
        Bind(vkNext, ssCtrl, ccBotOfPage),
        Bind(vkPrior, ssCtrl, ccTopOfPage),
        Bind(vkInsert, 0, ccIns),
        Bind('Z', ssCtrl, ccRestore),
        Bind(vkUp, 0, ccUp),
        Bind(vkDown, 0, ccDown),
        Bind(vkUp, ssCtrl, ccTopLeftCell),
        Bind(vkF2, 0, ccTableEdit),
    };
    const TVedCmdRec rest[] = {
        Bind('X', ssCtrl, ccCut),        Bind('C', ssCtrl, ccCopy),
        Bind('V', ssCtrl, ccPaste),      Bind(vkPrior, 0, ccPrevPage),
        Bind(vkNext, 0, ccNextPage),     Bind(vkHome, ssCtrl, ccFirstPage),
        Bind(vkEnd, ssCtrl, ccLastPage), Bind(vkDown, ssCtrl, ccBotRightCell),
    };
    AddRows(t, rows);
    AddExtendRows(t);
    AddRows(t, rest);
}

bool IsModifierKey(uint8_t key) {
    return key == vkShift || key == vkControl || key == vkMenu || key == vkCapital ||
           key == vkNumLock || key == vkScroll;
}

} // namespace

TVedCmdRec TVedCmdRec::FromKeyCode(uint32_t code, uint16_t command) {
    return TVedCmdRec{static_cast<uint8_t>(code), static_cast<uint8_t>(code >> 8),
                      static_cast<uint8_t>(code >> 16), static_cast<uint8_t>(code >> 24), command};
}

// ---------------------------------------------------------------------------------------------
// TVedCommandTable

TVedCommandTable::TVedCommandTable() : name_(VedString(STableUnknown)) {}

TVedCommandTable::TVedCommandTable(std::string name, bool active)
    : name_(std::move(name)), active_(active) {}

int TVedCommandTable::Add(const TVedCmdRec& entry) {
    entries_.push_back(entry);
    return Count() - 1;
}

int TVedCommandTable::Find(const TVedCmdRec& key) const {
    for (int i = 0; i < Count(); ++i)
        if (entries_[static_cast<size_t>(i)].SameKey(key))
            return i;
    return -1;
}

const TVedCmdRec& TVedCommandTable::Get(int index) const {
    return entries_.at(static_cast<size_t>(index));
}

void TVedCommandTable::Replace(int index, const TVedCmdRec& entry) {
    entries_.at(static_cast<size_t>(index)) = entry;
}

void TVedCommandTable::Delete(int index) {
    if (index < 0 || index >= Count())
        throw std::out_of_range("command table entry index out of range");
    entries_.erase(entries_.begin() + index);
}

std::string TVedCommandTable::SaveToText() const {
    std::string out = name_ + "\r\n";
    char line[64];
    for (const auto& e : entries_) {
        std::snprintf(line, sizeof line, "%4u%4u%4u%4u%6u\r\n", e.Key1, e.Shift1, e.Key2, e.Shift2,
                      e.Command);
        out += line;
    }
    return out;
}

void TVedCommandTable::LoadFromText(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::string name;
    std::vector<TVedCmdRec> entries;
    bool first = true;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (first) {
            name = line;
            first = false;
            continue;
        }
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        std::istringstream fields(line);
        long v[5];
        for (long& x : v)
            if (!(fields >> x))
                throw std::runtime_error("command table line " + std::to_string(number) +
                                         ": five numbers expected");
        std::string rest;
        if (fields >> rest)
            throw std::runtime_error("command table line " + std::to_string(number) +
                                     ": five numbers expected");
        for (int i = 0; i < 4; ++i)
            if (v[i] < 0 || v[i] > 255)
                throw std::runtime_error("command table line " + std::to_string(number) +
                                         ": key byte out of range");
        if (v[4] < 0 || v[4] > 65535)
            throw std::runtime_error("command table line " + std::to_string(number) +
                                     ": command out of range");
        entries.push_back(TVedCmdRec{static_cast<uint8_t>(v[0]), static_cast<uint8_t>(v[1]),
                                     static_cast<uint8_t>(v[2]), static_cast<uint8_t>(v[3]),
                                     static_cast<uint16_t>(v[4])});
    }
    if (first)
        throw std::runtime_error("command table file is empty");
    name_ = name;
    entries_ = std::move(entries);
}

void TVedCommandTable::LoadFromFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw std::system_error(errno ? errno : ENOENT, std::generic_category(), fileName);
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        throw std::system_error(EIO, std::generic_category(), fileName);
    LoadFromText(text.str());
}

void TVedCommandTable::SaveToFile(const std::string& fileName) const {
    if (const platform::SaveFailure failure = platform::SaveWholeFile(fileName, SaveToText()))
        throw platform::ESaveError(failure);
}

// ---------------------------------------------------------------------------------------------
// Built-in tables and the difference codec

bool IsBuiltInTableName(const std::string& name) {
    return SameName(name, VedString(STableDefault)) || SameName(name, VedString(STableWordStar)) ||
           SameName(name, VedString(STableGrid));
}

std::unique_ptr<TVedCommandTable> MakeBuiltInTable(const std::string& name) {
    std::unique_ptr<TVedCommandTable> t;
    if (SameName(name, VedString(STableDefault))) {
        t = std::make_unique<TVedCommandTable>(VedString(STableDefault), true);
        FillDefault(*t);
    } else if (SameName(name, VedString(STableWordStar))) {
        t = std::make_unique<TVedCommandTable>(VedString(STableWordStar), false);
        FillWordStar(*t);
    } else if (SameName(name, VedString(STableGrid))) {
        t = std::make_unique<TVedCommandTable>(VedString(STableGrid), false);
        FillGrid(*t);
    }
    return t;
}

TVedTableStream EncodeTable(const TVedCommandTable& table) {
    TVedTableStream s;
    s.name = table.TableName();
    s.isActive = table.IsActive();
    auto pair = [](const TVedCmdRec& e) {
        return std::make_pair(static_cast<int32_t>(e.KeyCode()), static_cast<int32_t>(e.Command));
    };
    std::unique_ptr<TVedCommandTable> builtIn = MakeBuiltInTable(table.TableName());
    if (!builtIn) {
        for (int i = 0; i < table.Count(); ++i)
            s.pairs.push_back(pair(table.Get(i)));
        return s;
    }
    for (int i = 0; i < builtIn->Count(); ++i)
        if (table.Find(builtIn->Get(i)) < 0)
            s.pairs.emplace_back(static_cast<int32_t>(builtIn->Get(i).KeyCode()), 0);
    for (int i = 0; i < table.Count(); ++i) {
        const TVedCmdRec& e = table.Get(i);
        const int j = builtIn->Find(e);
        if (j < 0 || builtIn->Get(j).Command != e.Command)
            s.pairs.push_back(pair(e));
    }
    return s;
}

std::unique_ptr<TVedCommandTable> DecodeTable(const TVedTableStream& s) {
    std::unique_ptr<TVedCommandTable> t = MakeBuiltInTable(s.name);
    const bool differences = t != nullptr;
    if (!t)
        t = std::make_unique<TVedCommandTable>();
    t->SetTableName(s.name);
    t->SetActive(s.isActive);
    for (const auto& [key, command] : s.pairs) {
        const TVedCmdRec e =
            TVedCmdRec::FromKeyCode(static_cast<uint32_t>(key), static_cast<uint16_t>(command));
        const int index = differences ? t->Find(e) : -1;
        if (index < 0)
            t->Add(e);
        else if (e.Command != 0)
            t->Replace(index, e);
        else
            t->Delete(index);
    }
    return t;
}

// ---------------------------------------------------------------------------------------------
// TVedCommandProcessor

TVedCommandProcessor::TVedCommandProcessor() {
    for (int id : {STableDefault, STableWordStar, STableGrid})
        tables_.push_back(MakeBuiltInTable(VedString(id)));
}

TVedCommandProcessor::~TVedCommandProcessor() = default;

TVedCommandTable& TVedCommandProcessor::Table(int index) const {
    if (index < 0 || index >= Count())
        throw ETableNotFound();
    return *tables_[static_cast<size_t>(index)];
}

TVedCommandTable* TVedCommandProcessor::GetCommandTable(const std::string& name) const {
    for (const auto& t : tables_)
        if (SameName(t->TableName(), name))
            return t.get();
    return nullptr;
}

bool TVedCommandProcessor::NameTaken(const std::string& name) const {
    return GetCommandTable(name) != nullptr;
}

void TVedCommandProcessor::AddCommand(const std::string& tableName, const TVedCmdRec& entry) {
    TVedCommandTable* t = GetCommandTable(tableName);
    if (!t)
        throw ETableNotFound();
    if (t->Find(entry) >= 0)
        throw EDuplicateCommand();
    t->Add(entry);
}

int TVedCommandProcessor::CreateCommandTable(const std::string& name, bool active) {
    return Add(std::make_unique<TVedCommandTable>(name, active));
}

int TVedCommandProcessor::Add(std::unique_ptr<TVedCommandTable> table) {
    std::string name = table->TableName();
    std::string stem = name;
    while (stem.size() >= 2 && std::isdigit(static_cast<unsigned char>(stem.back())))
        stem.pop_back();
    // A free stem keeps the name as given, digits included, unless that very name is taken.
    if (NameTaken(stem) || NameTaken(name)) {
        for (int n = 1;; ++n) {
            std::string candidate = stem + std::to_string(n);
            if (!NameTaken(candidate)) {
                name = candidate;
                break;
            }
        }
    }
    table->SetTableName(name);
    tables_.push_back(std::move(table));
    return Count() - 1;
}

void TVedCommandProcessor::Remove(int index) {
    if (index < 0 || index >= Count())
        throw ETableNotFound();
    tables_.erase(tables_.begin() + index);
}

void TVedCommandProcessor::Clear() {
    tables_.clear();
}

int TVedCommandProcessor::LoadCommandTable(const std::string& fileName) {
    auto table = std::make_unique<TVedCommandTable>();
    table->LoadFromFile(fileName);
    return Add(std::move(table));
}

void TVedCommandProcessor::SaveCommandTable(const std::string& tableName,
                                            const std::string& fileName) {
    if (TVedCommandTable* t = GetCommandTable(tableName))
        t->SaveToFile(fileName);
}

void TVedCommandProcessor::ResetState() {
    state_ = 0;
    pendingKey_ = 0;
    pendingShift_ = 0;
}

uint16_t TVedCommandProcessor::TranslateKey(uint8_t key, uint8_t shift) {
    if (IsModifierKey(key))
        return state_ == 1 ? ccConsumed : ccNotCommand;
    if (state_ == 2) {
        state_ = 0;
        return ccNotCommand;
    }
    const uint8_t mask = shift & (ssShift | ssCtrl | ssAlt);
    const bool sequence = state_ == 1;
    for (const auto& t : tables_) {
        if (!t->IsActive())
            continue;
        for (int i = 0; i < t->Count(); ++i) {
            const TVedCmdRec& e = t->Get(i);
            if (sequence) {
                if (e.Key1 != pendingKey_ || e.Shift1 != pendingShift_ || e.Key2 != key ||
                    !(e.Shift2 == mask || (e.Shift2 == ssAnyCtrl && (mask == 0 || mask == ssCtrl))))
                    continue;
                if (e.Command == ccNone)
                    break; // this table yields nothing: ask the next one
                state_ = e.Command == ccCtrlChar ? 2 : 0;
                return e.Command;
            }
            if (e.Key1 != key || e.Shift1 != mask)
                continue;
            if (e.Key2 != 0) {
                pendingKey_ = key;
                pendingShift_ = mask;
                state_ = 1;
                return ccConsumed;
            }
            if (e.Command == ccNone)
                break;
            state_ = e.Command == ccCtrlChar ? 2 : 0;
            return e.Command;
        }
    }
    state_ = 0;
    return sequence ? ccSequenceFail : ccNotCommand;
}

std::vector<TVedTableStream> TVedCommandProcessor::WriteTableList() const {
    std::vector<TVedTableStream> list;
    for (const auto& t : tables_)
        list.push_back(EncodeTable(*t));
    return list;
}

void TVedCommandProcessor::ReadTableList(const std::vector<TVedTableStream>& list) {
    Clear();
    ResetState();
    for (const auto& s : list)
        Add(DecodeTable(s));
}

} // namespace ved
