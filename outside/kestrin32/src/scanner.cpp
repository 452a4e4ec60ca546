#include "outside/kestrin32/src/scanner.h"

namespace kestrin {

namespace {

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
    return IsWordStart(c) || IsDigit(c);
}
char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

int DigitValue(char c) {
    c = Upper(c);
    if (IsDigit(c))
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

} // namespace

std::vector<Token> Scan(std::string_view s) {
    std::vector<Token> out;
    int line = 1;
    size_t i = 0;
    auto add = [&](TokenKind kind, std::string text, int32_t number = 0) {
        out.push_back(Token{kind, std::move(text), number, line});
    };
    while (i < s.size()) {
        char c = s[i];
        if (c == '\r' || c == '\n') {
            add(TokenKind::EndOfLine, "");
            i += (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ? 2 : 1;
            ++line;
            continue;
        }
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        if (c == '\'') {
            while (i < s.size() && s[i] != '\r' && s[i] != '\n')
                ++i;
            continue;
        }
        if (c == '"') {
            size_t end = i + 1;
            while (end < s.size() && s[end] != '"' && s[end] != '\r' && s[end] != '\n')
                ++end;
            if (end >= s.size() || s[end] != '"') {
                add(TokenKind::Bad, "Text ohne schlie\xDF"
                                    "endes Anf\xFChrungszeichen");
                i = end;
                continue;
            }
            add(TokenKind::String, std::string(s.substr(i + 1, end - i - 1)));
            i = end + 1;
            continue;
        }
        if (c == '#' && i + 1 < s.size() && IsWordChar(s[i + 1])) {
            std::string name;
            for (++i; i < s.size() && IsWordChar(s[i]); ++i)
                name += Upper(s[i]);
            add(TokenKind::Label, name);
            continue;
        }
        if (IsDigit(c) ||
            (c == '&' && i + 1 < s.size() && (Upper(s[i + 1]) == 'H' || Upper(s[i + 1]) == 'B'))) {
            int base = 10;
            size_t start = i;
            if (c == '&') {
                base = Upper(s[i + 1]) == 'H' ? 16 : 2;
                i += 2;
            }
            int64_t value = 0;
            size_t digits = 0;
            while (i < s.size() && IsWordChar(s[i])) {
                int d = DigitValue(s[i]);
                if (d >= base) {
                    digits = 0;
                    break;
                }
                value = value * base + d;
                if (value > 65535) {
                    digits = 0;
                    break;
                }
                ++digits;
                ++i;
            }
            if (digits == 0) {
                while (i < s.size() && IsWordChar(s[i]))
                    ++i;
                add(TokenKind::Bad, "ung\xFCltige Zahl " + std::string(s.substr(start, i - start)));
                continue;
            }
            add(TokenKind::Number, std::string(s.substr(start, i - start)),
                static_cast<int32_t>(value));
            continue;
        }
        if (IsWordStart(c)) {
            std::string word;
            for (; i < s.size() && IsWordChar(s[i]); ++i)
                word += Upper(s[i]);
            add(TokenKind::Word, word);
            continue;
        }
        if ((c == '<' || c == '>') && i + 1 < s.size() &&
            (s[i + 1] == '=' || (c == '<' && s[i + 1] == '>'))) {
            add(TokenKind::Symbol, std::string(s.substr(i, 2)));
            i += 2;
            continue;
        }
        if (std::string_view("()[],;:=+-*/@<>").find(c) != std::string_view::npos) {
            add(TokenKind::Symbol, std::string(1, c));
            ++i;
            continue;
        }
        add(TokenKind::Bad, std::string("unerwartetes Zeichen '") + c + "'");
        ++i;
    }
    add(TokenKind::EndOfLine, "");
    add(TokenKind::EndOfText, "");
    return out;
}

} // namespace kestrin
