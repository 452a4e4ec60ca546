// Windows-1252 text, the 8-bit encoding of every text the programs keep.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The code point of a byte. The five bytes the code page leaves free (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) stand for the C1 controls of the same number, so every byte survives a round trip.
char32_t Windows1252ToUnicode(unsigned char byte);
// The byte of a code point, or nothing when the code page has none.
std::optional<unsigned char> UnicodeToWindows1252(char32_t codePoint);
bool HasWindows1252Code(char32_t codePoint);

std::string Windows1252ToUtf8(std::string_view text);
// Characters without a Windows-1252 code and malformed UTF-8 sequences become "?".
std::string Utf8ToWindows1252(std::string_view text);

// Upper case within the code page (letters whose capital has no code stay as they are).
unsigned char Windows1252ToUpper(unsigned char byte);
// Comparison without regard to case, as the registry compares key and value names.
bool EqualNoCase(std::string_view a, std::string_view b);

// The value of a hex digit of either case, or -1.
inline constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace platform
