// Keyword tables read from the keyword file beside the program, and the BASIC and assembler
// scanners that split a line into coloured tokens for the highlighting editor.
#pragma once

#include "basic/editors/hiltedit.h"

#include <array>
#include <string>

namespace harvel {

// One string per first character 'A'..'_': " WORD1 WORD2 ... ", upper case.
struct TKeywordTable {
    std::array<std::string, 31> words;
    TKeywordTable() { Clear(); }
    void Clear() { words.fill(" "); }
    void Add(const std::string& upperWord);
    // `upperWord` without the surrounding spaces; empty words are never keywords.
    bool Contains(const std::string& upperWord) const;
};

struct TKeywordTables {
    TKeywordTable asmWords;
    TKeywordTable basicWords;
};

// The program's tables, filled once at start.
TKeywordTables& KeywordTables();

// The keyword file: the executable's name with the extension ".TOK".
std::string TokenFileName();

// Reads `fileName` into `tables` (which are cleared first). A missing file beeps, shows
// "Kann die Datei ... nicht öffnen!" and leaves the tables empty (false). Read errors throw
// std::runtime_error.
bool LoadTokenFile(const std::string& fileName, TKeywordTables& tables);
bool LoadTokenFile(); // the program's file into the program's tables

bool IsAsmKeyword(const std::string& upperWord);
bool IsBasicKeyword(const std::string& upperWord);

// Token scanners (the editor's OnSyntaxScan): from nStart, skip spaces, set nEnd behind the
// token and nHilite to its kind; true when more text follows.
bool ScanAsmToken(const TKeywordTables& tables, const char* s, int& nStart, int& nEnd, int nLen,
                  THiliteMode& nHilite);
bool ScanBasicToken(const TKeywordTables& tables, const char* s, int& nStart, int& nEnd, int nLen,
                    THiliteMode& nHilite);

} // namespace harvel
