#include "basic/editors/keywords.h"

#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"
#include "platform/system.h"

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace harvel {

namespace {

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsWordStart(char c) {
    return IsLetter(c) || c == '_';
}
bool IsWordChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == '_' || c == '#';
}
bool IsBinDigit(char c) {
    return c == '0' || c == '1';
}
bool IsOctDigit(char c) {
    return c >= '0' && c <= '7';
}
bool IsHexDigit(char c) {
    c = Upper(c);
    return IsDigit(c) || (c >= 'A' && c <= 'F');
}
bool IsSymbol(char c) {
    return c != '\0' && std::strchr("$%&()*+,-./:;=@[]", c) != nullptr;
}

// Runs of characters of one class, bounded by the line's length.
template <class Pred> int Run(const char* s, int i, int len, Pred pred) {
    while (i < len && pred(s[i]))
        ++i;
    return i;
}

// A word from `i`: kind 5 when the table holds it, else 6.
int ScanWord(const TKeywordTable& table, const char* s, int i, int len, THiliteMode& kind) {
    const int end = Run(s, i, len, IsWordChar);
    std::string word;
    for (int k = i; k < end; ++k)
        word += Upper(s[k]);
    kind = table.Contains(word) ? hmKeyword : hmIdentifier;
    return end;
}

int SkipSpaces(const char* s, int i, int len) {
    return Run(s, i, len, [](char c) { return c == ' '; });
}

int OneCharacter(const char* s, int i, THiliteMode& kind) {
    kind = IsSymbol(s[i]) ? hmSymbol : hmNone;
    return i + 1;
}

// Where the token starts, behind the blanks from nStart; -1 at the line's end, which the scan
// ends with nothing to hilite.
int TokenStart(const char* s, int nStart, int nLen, int& nEnd, THiliteMode& nHilite) {
    const int i = SkipSpaces(s, nStart, nLen);
    if (i < nLen)
        return i;
    nHilite = hmNone;
    nEnd = nLen;
    return -1;
}

// What both languages scan alike: a decimal number, a word looked up in table, or a single
// character.
int CommonToken(const TKeywordTable& table, const char* s, int i, int len, THiliteMode& kind) {
    if (IsDigit(s[i])) {
        kind = hmNumber;
        return Run(s, i, len, IsDigit);
    }
    if (IsWordStart(s[i]))
        return ScanWord(table, s, i, len, kind);
    return OneCharacter(s, i, kind);
}

} // namespace

void TKeywordTable::Add(const std::string& upperWord) {
    if (upperWord.empty())
        return;
    const char first = upperWord[0];
    if (first < 'A' || first > '_')
        return;
    words[static_cast<size_t>(first - 'A')] += upperWord + " ";
}

bool TKeywordTable::Contains(const std::string& upperWord) const {
    if (upperWord.empty())
        return false;
    const char first = upperWord[0];
    // every first character that is not a letter shares the '_' string
    const size_t slot = (first >= 'A' && first <= 'Z') ? static_cast<size_t>(first - 'A')
                                                       : static_cast<size_t>('_' - 'A');
    return words[slot].find(" " + upperWord + " ") != std::string::npos;
}

TKeywordTables& KeywordTables() {
    static TKeywordTables tables;
    return tables;
}

std::string TokenFileName() {
    std::string name = platform::ProgramFilePath();
    const size_t slash = name.rfind('/');
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        name.erase(dot);
    return name + ".TOK";
}

bool LoadTokenFile(const std::string& fileName, TKeywordTables& tables) {
    tables.asmWords.Clear();
    tables.basicWords.Clear();
    std::ifstream in(fileName, std::ios::binary);
    if (!in.is_open()) {
        platform::MessageBeep(platform::BeepKind::Hand);
        platform::MessageBox(platform::BoxKind::Error,
                             QStringLiteral("Kann die Datei %1 mit den vordefinierten Wörtern "
                                            "nicht öffnen!")
                                 .arg(QString::fromLocal8Bit(fileName.c_str())),
                             static_cast<platform::Buttons>(platform::Button::Ok));
        return false;
    }
    enum { Outside, Asm, Basic } section = Outside;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > 255)
            line.resize(255);
        if (line.empty() || line[0] == ';')
            continue;
        if (section == Outside) {
            if (line.find("#ASM_TOKENS") != std::string::npos)
                section = Asm;
            else if (line.find("#BASIC_TOKENS") != std::string::npos)
                section = Basic;
            else
                continue;
        } else if (section == Asm && line.find("#ASM_TOKENS_END") != std::string::npos) {
            section = Outside;
            continue;
        } else if (section == Basic && line.find("#BASIC_TOKENS_END") != std::string::npos) {
            section = Outside;
            continue;
        }
        TKeywordTable& table = section == Asm ? tables.asmWords : tables.basicWords;
        size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
                ++i;
            std::string word;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t')
                word += Upper(line[i++]);
            table.Add(word);
        }
    }
    if (in.bad())
        throw std::runtime_error("Fehler beim Lesen von " + fileName);
    return true;
}

bool LoadTokenFile() {
    return LoadTokenFile(TokenFileName(), KeywordTables());
}

bool IsAsmKeyword(const std::string& upperWord) {
    return KeywordTables().asmWords.Contains(upperWord);
}
bool IsBasicKeyword(const std::string& upperWord) {
    return KeywordTables().basicWords.Contains(upperWord);
}

bool ScanAsmToken(const TKeywordTables& tables, const char* s, int& nStart, int& nEnd, int nLen,
                  THiliteMode& nHilite) {
    const int i = TokenStart(s, nStart, nLen, nEnd, nHilite);
    if (i < 0)
        return false;
    const char c = Upper(s[i]);
    if ((c == '*' && nStart == 0) || c == ':') {
        nHilite = hmComment;
        nEnd = nLen;
    } else if (c == '\'') {
        nHilite = hmString;
        nEnd = std::min(i + 2, nLen);
    } else if (c == '$' && i + 1 < nLen && IsHexDigit(s[i + 1])) {
        nHilite = hmNumber;
        nEnd = Run(s, i + 1, nLen, IsHexDigit);
    } else if (c == '@' && i + 1 < nLen && IsOctDigit(s[i + 1])) {
        nHilite = hmNumber;
        nEnd = Run(s, i + 1, nLen, IsOctDigit);
    } else {
        nEnd = CommonToken(tables.asmWords, s, i, nLen, nHilite);
    }
    return nEnd < nLen;
}

bool ScanBasicToken(const TKeywordTables& tables, const char* s, int& nStart, int& nEnd, int nLen,
                    THiliteMode& nHilite) {
    const int i = TokenStart(s, nStart, nLen, nEnd, nHilite);
    if (i < 0)
        return false;
    const char c = Upper(s[i]);
    if (c == '\'') {
        nHilite = hmComment;
        nEnd = nLen;
    } else if (c == '"') {
        nHilite = hmString;
        const char* close = static_cast<const char*>(
            std::memchr(s + i + 1, '"', static_cast<size_t>(nLen - i - 1)));
        nEnd = close ? static_cast<int>(close - s) + 1 : nLen;
    } else if (c == '#' && i + 1 < nLen && IsWordChar(s[i + 1])) {
        nHilite = hmLabel;
        nEnd = Run(s, i + 1, nLen, IsWordChar);
    } else if (c == '&') {
        const char radix = i + 2 < nLen ? Upper(s[i + 1]) : '\0';
        if (radix == 'B' && IsBinDigit(s[i + 2])) {
            nHilite = hmNumber;
            nEnd = Run(s, i + 2, nLen, IsBinDigit);
        } else if (radix == 'H' && IsHexDigit(s[i + 2])) {
            nHilite = hmNumber;
            nEnd = Run(s, i + 2, nLen, IsHexDigit);
        } else {
            nHilite = hmSymbol;
            nEnd = i + 1;
        }
    } else {
        nEnd = CommonToken(tables.basicWords, s, i, nLen, nHilite);
    }
    return nEnd < nLen;
}

} // namespace harvel
