// Text helpers of the editor component: display columns, blanks, skip-table search,
// tab expansion and small NUL-terminated text operations. Texts are Windows-1252 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ved {

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Upper case of a Windows-1252 character (letters of ASCII and Latin-1, and the
// three lower-case letters of the 0x80 row).
char UpperAnsi(char c);

// Display width of the first `length` characters: a tab advances to the next multiple of
// `tabSize` (a tab size of 0 counts a tab as 1), any other character counts 1.
int DisplayWidth(const char* text, int length, int tabSize);

// Number of characters of `text` that fit in `columns` display columns.
int CharsInColumns(const char* text, int length, int columns, int tabSize);

// Display column (1-based) of the character at `position` (1-based). Position 0 gives 1;
// position 1 or an empty text gives the position; past the end the width of the whole
// text plus the excess.
int ColumnOfPos(const char* text, int length, int position, int tabSize);

// Inverse of ColumnOfPos: the position whose character covers display column `column`;
// past the end of the text the excess is added to length + 1.
int PosOfColumn(const char* text, int length, int column, int tabSize);

// Number of blanks (spaces, tabs) at the end of the first `length` characters.
int TrailingBlanks(const char* text, int length);

// Length of the line end at `index` (0-based): 2 for CR LF, 1 for a lone CR or a LF, 0 for
// any other character. A text holds as many lines as its line ends plus one.
int LineEndLength(const char* text, int length, int index);

// Text with every tab replaced by blanks up to the next multiple of `tabSize` (counted from
// the start of the text); empty for a tab size of 0.
std::string ExpandTabs(const char* text, int length, int tabSize);

// `text` padded with blanks to `length` characters (unchanged when already longer).
std::string PadWithBlanks(const std::string& text, int length);

// Fills `count` bytes with `c` and terminates them with a NUL (buffer holds count + 1).
void FillChars(char* buffer, int count, char c);
// Removes the character at `index` (0-based) of a NUL-terminated text.
void DeleteChar(char* text, int index);
// Inserts `c` at `index` of a NUL-terminated text; the buffer must have room for one more.
void InsertChar(char* text, int index, char c);
// 0-based position of `c` / `pattern` in a NUL-terminated text, -1 when absent.
int FindChar(const char* text, char c);
int FindText(const char* text, const char* pattern);

// Horspool skip table for a search pattern of at most 255 characters.
struct TSkipTable {
    std::array<uint8_t, 256> skip{};
    int patternLength = 0; // min(pattern length, 255)
};

TSkipTable MakeSkipTable(const char* pattern, int length);

// Searches `pattern` (length from the table) in `text`. With `matchCase` false every text
// character is upper-cased before comparing; the caller passes an upper-cased pattern.
// Returns the 0-based offset of the first match, or -1.
int SearchText(const char* text, int textLength, const char* pattern, const TSkipTable& table,
               bool matchCase);

} // namespace ved
