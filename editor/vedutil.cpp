#include "editor/vedutil.h"

#include "editor/vedexcept.h"

#include <cstring>

namespace ved {

const char* VedString(int id) {
    switch (id) {
    case SUnknownError:
        return "Unknown Error condition";
    case SDuplicateCommand:
        return "Duplicate command found while adding a new command to the table";
    case STableNotFound:
        return "Command table not found or command table index out of range";
    case SNoControllerAssigned:
        return "No Controller assigned";
    case SRegionTooLarge:
        return "Region is too large (> 64K)";
    case SNoTimersAvailable:
        return "No Window's timers are available";
    case SOutOfMemory:
        return "insufficient memory for requested operation";
    case STooManyParas:
        return "Current operation will exceed the maximum number of allowed paragraphs";
    case SJoinTooLong:
        return "Cannot join paragraphs. New paragraph size exceeds maximum paragraph size";
    case SByteLimit:
        return "Current operation will exceed the maximum editor text size";
    case SParaTooLong:
        return "Current operation will exceed the maximum paragraph size";
    case SInvalidLineOrPara:
        return "Invalid line or paragraph index";
    case SInvalidFixedFont:
        return "Invalid font assignment. Font must be a fixed font";
    case SInvalidFontParam:
        return "Invalid font assignemnt. Font must be a TFont or TVedFixedFont";
    case SInvalidLineOrCol:
        return "Invalid line or column";
    case STableDefault:
        return "Default";
    case STableWordStar:
        return "WordStar";
    case STableUnknown:
        return "(Unknown)";
    case STableGrid:
        return "Grid";
    case SYes:
        return "Y";
    case SNo:
        return "N";
    case STrue:
        return "T";
    case SFalse:
        return "F";
    default:
        return "";
    }
}

const char* VedErrorMessage(uint16_t code) {
    switch (code) {
    case VedErrMemory:
        return VedString(SOutOfMemory);
    case VedErrRegionTooLarge:
        return VedString(SRegionTooLarge);
    case VedErrParaLimit:
        return VedString(STooManyParas);
    case VedErrJoinTooLong:
        return VedString(SJoinTooLong);
    case VedErrByteLimit:
        return VedString(SByteLimit);
    case VedErrParaLength:
        return VedString(SParaTooLong);
    default:
        return VedString(SUnknownError);
    }
}

char UpperAnsi(char c) {
    auto u = static_cast<uint8_t>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
        return static_cast<char>(u - 0x20);
    switch (u) {
    case 0x9A:
        return '\x8A'; // s caron
    case 0x9C:
        return '\x8C'; // oe
    case 0x9E:
        return '\x8E'; // z caron
    case 0xFF:
        return '\x9F'; // y diaeresis
    default:
        return c;
    }
}

static int TabAdvance(int column0, int tabSize) {
    // column0 is the 0-based column before the tab
    return tabSize <= 0 ? 1 : tabSize - column0 % tabSize;
}

int DisplayWidth(const char* text, int length, int tabSize) {
    int width = 0;
    for (int i = 0; i < length; ++i)
        width += text[i] == '\t' ? TabAdvance(width, tabSize) : 1;
    return width;
}

int CharsInColumns(const char* text, int length, int columns, int tabSize) {
    int width = 0;
    int i = 0;
    for (; i < length; ++i) {
        int next = width + (text[i] == '\t' ? TabAdvance(width, tabSize) : 1);
        if (next > columns)
            break;
        width = next;
    }
    return i;
}

int ColumnOfPos(const char* text, int length, int position, int tabSize) {
    if (position <= 0)
        return 1;
    if (position == 1 || length <= 0)
        return position;
    if (position > length)
        return DisplayWidth(text, length, tabSize) + position - length;
    return DisplayWidth(text, position - 1, tabSize) + 1;
}

int PosOfColumn(const char* text, int length, int column, int tabSize) {
    if (column <= 1)
        return 1;
    int width = 0;
    for (int i = 0; i < length; ++i) {
        int next = width + (text[i] == '\t' ? TabAdvance(width, tabSize) : 1);
        if (next >= column)
            return i + 1;
        width = next;
    }
    return length + 1 + (column - 1 - width);
}

int TrailingBlanks(const char* text, int length) {
    int n = 0;
    while (n < length && IsBlank(text[length - 1 - n]))
        ++n;
    return n;
}

int LineEndLength(const char* text, int length, int index) {
    if (index < 0 || index >= length)
        return 0;
    if (text[index] == '\n')
        return 1;
    if (text[index] != '\r')
        return 0;
    return index + 1 < length && text[index + 1] == '\n' ? 2 : 1;
}

std::string ExpandTabs(const char* text, int length, int tabSize) {
    std::string out;
    if (tabSize <= 0)
        return out;
    for (int i = 0; i < length; ++i) {
        if (text[i] == '\t')
            out.append(static_cast<size_t>(TabAdvance(static_cast<int>(out.size()), tabSize)), ' ');
        else
            out.push_back(text[i]);
    }
    return out;
}

std::string PadWithBlanks(const std::string& text, int length) {
    std::string out = text;
    if (static_cast<int>(out.size()) < length)
        out.append(static_cast<size_t>(length) - out.size(), ' ');
    return out;
}

void FillChars(char* buffer, int count, char c) {
    if (count > 0)
        std::memset(buffer, c, static_cast<size_t>(count));
    buffer[count > 0 ? count : 0] = '\0';
}

void DeleteChar(char* text, int index) {
    size_t len = std::strlen(text);
    if (index < 0 || static_cast<size_t>(index) >= len)
        return;
    std::memmove(text + index, text + index + 1, len - static_cast<size_t>(index));
}

void InsertChar(char* text, int index, char c) {
    size_t len = std::strlen(text);
    if (index < 0 || static_cast<size_t>(index) > len)
        return;
    std::memmove(text + index + 1, text + index, len - static_cast<size_t>(index) + 1);
    text[index] = c;
}

int FindChar(const char* text, char c) {
    const char* p = std::strchr(text, c);
    return p && c != '\0' ? static_cast<int>(p - text) : -1;
}

int FindText(const char* text, const char* pattern) {
    const char* p = std::strstr(text, pattern);
    return p ? static_cast<int>(p - text) : -1;
}

TSkipTable MakeSkipTable(const char* pattern, int length) {
    TSkipTable table;
    int n = length < 255 ? (length < 0 ? 0 : length) : 255;
    table.patternLength = n;
    table.skip.fill(static_cast<uint8_t>(n));
    if (n >= 2)
        for (int i = 0; i < n - 1; ++i)
            table.skip[static_cast<uint8_t>(pattern[i])] = static_cast<uint8_t>(n - 1 - i);
    return table;
}

int SearchText(const char* text, int textLength, const char* pattern, const TSkipTable& table,
               bool matchCase) {
    const int n = table.patternLength;
    if (n <= 0 || textLength < n)
        return -1;
    auto at = [&](int i) { return matchCase ? text[i] : UpperAnsi(text[i]); };
    if (n == 1) {
        for (int i = 0; i < textLength; ++i)
            if (at(i) == pattern[0])
                return i;
        return -1;
    }
    const char last = pattern[n - 1];
    int end = n - 1; // index of the window's last character
    while (end < textLength) {
        char c = at(end);
        if (c == last) {
            int k = n - 2;
            while (k >= 0 && at(end - (n - 1) + k) == pattern[k])
                --k;
            if (k < 0)
                return end - (n - 1);
        }
        end += table.skip[static_cast<uint8_t>(c)];
    }
    return -1;
}

} // namespace ved
