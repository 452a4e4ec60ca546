#include "platform/text.h"

#include <array>

namespace platform {

namespace {

// 0x80..0x9F; the rest of the code page equals the first 256 code points.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        // Every code point of the code page lies in the basic plane.
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

} // namespace

char32_t Windows1252ToUnicode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

std::optional<unsigned char> UnicodeToWindows1252(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<unsigned char>(codePoint);
    for (size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == codePoint)
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

bool HasWindows1252Code(char32_t codePoint) {
    return UnicodeToWindows1252(codePoint).has_value();
}

std::string Windows1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char c : text)
        appendUtf8(out, Windows1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToWindows1252(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        // Length and the allowed range of the second byte rule out overlong forms, surrogates
        // and code points beyond U+10FFFF; a broken sequence gives one "?" for what it consumed.
        size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        char32_t cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0F;
            if (lead == 0xE0)
                low = 0xA0;
            if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
            if (lead == 0xF0)
                low = 0x90;
            if (lead == 0xF4)
                high = 0x8F;
        } else {
            out += '?';
            ++i;
            continue;
        }
        size_t used = 1;
        bool complete = true;
        while (used < length) {
            if (i + used >= text.size()) {
                complete = false;
                break;
            }
            const auto next = static_cast<unsigned char>(text[i + used]);
            const bool fits = used == 1 ? (next >= low && next <= high) : isContinuation(next);
            if (!fits) {
                complete = false;
                break;
            }
            cp = (cp << 6) | (next & 0x3F);
            ++used;
        }
        i += used;
        if (!complete) {
            out += '?';
            continue;
        }
        auto byte = UnicodeToWindows1252(cp);
        out += byte ? static_cast<char>(*byte) : '?';
    }
    return out;
}

unsigned char Windows1252ToUpper(unsigned char byte) {
    if (byte >= 'a' && byte <= 'z')
        return static_cast<unsigned char>(byte - 0x20);
    if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)
        return static_cast<unsigned char>(byte - 0x20);
    switch (byte) {
    case 0x9A: // š
    case 0x9C: // œ
    case 0x9E: // ž
        return static_cast<unsigned char>(byte - 0x10);
    case 0xFF: // ÿ
        return 0x9F;
    default:
        return byte;
    }
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Windows1252ToUpper(static_cast<unsigned char>(a[i])) !=
            Windows1252ToUpper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace platform
