// Tokens of a BASIC source: words, numbers, strings, #labels and symbols, line by line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

enum class TokenKind : uint8_t {
    EndOfText,
    EndOfLine,
    Word,   // identifier or keyword, text upper-cased
    Number, // value in number
    String, // text without the quotes
    Label,  // #name, text upper-cased without '#'
    Symbol, // text: one of ( ) [ ] , ; : = + - * / @ < > <= >= <>
    Bad,    // a character the language does not know, or a broken number or string
};

struct Token {
    TokenKind kind = TokenKind::EndOfText;
    std::string text;
    int32_t number = 0;
    int line = 1;
};

// Splits the whole source; lines end with CR LF, LF or CR. A Bad token's text is the message.
std::vector<Token> Scan(std::string_view source);

} // namespace kestrin
