// The compiler's inside: the parser with its symbol, label and block tables and the code it
// emits. Expressions and statements live in two files over this one class.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/vm/opcodes.h"
#include "outside/kestrin32/src/compiler.h"
#include "outside/kestrin32/src/scanner.h"

namespace kestrin::detail {

using quendal::Op;

inline constexpr int kStackEntries = 7;
inline constexpr int kGosubSlots = 4;
inline constexpr int kMaxErrors = 100;
inline constexpr int kMaxNesting = 100;
inline constexpr int kMaxNodes = 1000;

inline const std::vector<std::string_view> kKeywords = {
    "ABS",      "AD",      "AND",   "APPEND", "AS",       "BAUD",     "BEEP",  "BIT",       "BYTE",
    "BYTEPORT", "CONST",   "DA",    "DAY",    "DIM",      "DIR",      "DO",    "ELSE",      "END",
    "ENDIF",    "EOF",     "FALSE", "FCLOSE", "FILEFREE", "FILELEN",  "FOPEN", "FOR",       "FREAD",
    "FREQ",     "FWRITE",  "GET",   "GOSUB",  "GOTO",     "HOUR",     "IF",    "IN",        "INPUT",
    "LET",      "LOOP",    "MAX",   "MIN",    "MINUTE",   "MOD",      "MONTH", "NEXT",      "NOT",
    "ON",       "OR",      "OUT",   "PAUSE",  "PORT",     "PRINT",    "PUT",   "RANDOMIZE", "READ",
    "REM",      "RETURN",  "RND",   "RXD",    "SECOND",   "SGN",      "SHL",   "SHR",       "SQR",
    "STEP",     "TABLE",   "THEN",  "TIMER",  "TO",       "TOGGLE",   "TONE",  "TRUE",      "UNTIL",
    "WAIT",     "WEEKDAY", "WEND",  "WHILE",  "WORD",     "WORDPORT", "WRITE", "XOR",       "YEAR",
};

// Where a value lives and which instructions reach it.
enum class Area : uint8_t {
    UserWord,
    UserByte,
    UserBit,
    PortBit,
    PortByte,
    Port,
    Adc,
    Dac,
    Register
};

struct Place {
    Area area = Area::UserWord;
    uint8_t index = 0;
    bool readable = true;
    bool writable = true;
    std::string name;
};

struct Expr {
    enum class Kind : uint8_t {
        Number,
        Load,
        Unary,
        Binary,
        Random,
        RandomBelow,
        FileEnd,
        Receive,
        Table
    };
    Kind kind = Kind::Number;
    int16_t value = 0;
    Place place;
    Op op = Op::Nop;
    int label = -1; // table
    std::unique_ptr<Expr> a, b;
};
using ExprPtr = std::unique_ptr<Expr>;

inline Place tonePlace() {
    Place p;
    p.area = Area::Register;
    p.index = 8;
    return p;
}

inline bool HasSideEffects(const Expr& e) {
    if (e.kind == Expr::Kind::Random || e.kind == Expr::Kind::RandomBelow ||
        e.kind == Expr::Kind::Receive)
        return true;
    return (e.a && HasSideEffects(*e.a)) || (e.b && HasSideEffects(*e.b));
}

struct Failure {
    int line;
    std::string text;
};

struct Symbol {
    enum class Kind : uint8_t { Variable, Constant, Table } kind = Kind::Variable;
    Place place;
    int16_t value = 0;
    int label = -1;
    int tableSize = 0;
};

struct Label {
    std::string name; // empty for the compiler's own
    int address = -1;
    int order = 0; // statement count at the definition, for the GOSUB analysis
};

struct Fixup {
    size_t position;
    int label;
    int line;
};

struct GosubSite {
    int label;
    int line;
    int order;
};

struct Frame {
    enum class Kind : uint8_t { If, For, Do, While } kind = Kind::If;
    int line = 0;
    int first = -1;  // loop head, or the ELSE target
    int second = -1; // loop exit, or the end of the IF
    bool hasElse = false;
    Place variable;
    int16_t step = 1;
    ExprPtr limit;
};

inline int16_t Wrap(int32_t v) {
    return static_cast<int16_t>(static_cast<uint16_t>(v));
}
inline int16_t Truth(bool b) {
    return b ? -1 : 0;
}

class Parser {
public:
    explicit Parser(std::string_view source) : tokens_(Scan(source)) {}

    CompileOutput run();
    uint32_t resourceCode();

private:
    // Tokens
    const Token& peek(size_t ahead = 0) const {
        return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)];
    }
    const Token& next() {
        const Token& t = tokens_[pos_];
        if (pos_ + 1 < tokens_.size())
            ++pos_;
        return t;
    }
    bool isWord(std::string_view w, size_t ahead = 0) const {
        return peek(ahead).kind == TokenKind::Word && peek(ahead).text == w;
    }
    bool isSymbol(std::string_view s) const {
        return peek().kind == TokenKind::Symbol && peek().text == s;
    }
    bool atStatementEnd() const {
        return peek().kind == TokenKind::EndOfLine || peek().kind == TokenKind::EndOfText ||
               isSymbol(":") || isWord("ELSE");
    }
    // A token the scanner could not read explains itself better than what was expected.
    [[noreturn]] void fail(const std::string& text) const {
        throw Failure{peek().line, peek().kind == TokenKind::Bad ? peek().text : text};
    }
    void expectSymbol(std::string_view s) {
        if (!isSymbol(s))
            fail("'" + std::string(s) + "' erwartet");
        next();
    }
    void expectWord(std::string_view w) {
        if (!isWord(w))
            fail(std::string(w) + " erwartet");
        next();
    }
    std::string name();
    // Counts every error; keeps only the first kMaxErrors by line.
    void report(int line, std::string text);
    void keepFirstErrors();

    // Code
    void emit(uint8_t byte) {
        code_.push_back(byte);
        codeLine_.push_back(line_);
    }
    void emit(Op op) { emit(static_cast<uint8_t>(op)); }
    void emitWord(uint16_t w) {
        emit(static_cast<uint8_t>(w >> 8));
        emit(static_cast<uint8_t>(w));
    }
    uint16_t here() const {
        return static_cast<uint16_t>(std::min<size_t>(code_.size() + kCodeBase, 0xFFFF));
    }
    int newLabel() {
        labels_.push_back(Label{});
        return static_cast<int>(labels_.size()) - 1;
    }
    void define(int label) {
        labels_[label].address = here();
        labels_[label].order = statementCount_;
    }
    void emitJump(Op op, int label) {
        emit(op);
        fixups_.push_back(Fixup{code_.size(), label, peek().line});
        emitWord(0);
    }
    int userLabel(const std::string& name);

    // Declarations
    void declareName(const std::string& name);
    Place allocate(Area area, const std::string& name);

    // Expressions
    ExprPtr expression() { return parseOr(); }
    ExprPtr parseOr();
    ExprPtr parseAnd();
    ExprPtr parseCompare();
    ExprPtr parseShift();
    ExprPtr parseSum();
    ExprPtr parseProduct();
    ExprPtr parseUnary();
    ExprPtr parsePrimary();
    // Deep nesting and huge expressions are refused before they can exhaust the stack.
    struct Nesting {
        explicit Nesting(Parser& p) : parser(p) {
            if (parser.nesting_ >= kMaxNesting)
                parser.fail("zu tief geschachtelt");
            ++parser.nesting_;
        }
        ~Nesting() { --parser.nesting_; }
        Parser& parser;
    };
    ExprPtr node() {
        if (++nodes_ > kMaxNodes)
            fail("Ausdruck zu lang");
        return std::make_unique<Expr>();
    }
    ExprPtr number(int32_t v) {
        auto e = node();
        e->value = Wrap(v);
        return e;
    }
    ExprPtr unary(Op op, ExprPtr a);
    ExprPtr binary(Op op, ExprPtr a, ExprPtr b);
    int16_t constant();
    int constantIndex(int count);
    std::optional<Place> resource();
    Place target();
    void emitExpr(const Expr& e, int depth);
    void emitSqrt(const Expr& x, int depth);
    void emitRandomBelow(const Expr& n, int depth);
    void need(int depth) const {
        if (depth > kStackEntries)
            fail("Ausdruck zu komplex (mehr als 7 Stapelpl\xE4tze n\xF6tig)");
    }
    void emitLoad(const Place& p);
    void emitStore(const Place& p);
    void condition() { emitExpr(*expression(), 0); }

    // Statements
    void line();
    void statements(bool thenPart);
    void statement();
    void ifStatement();
    void forStatement();
    void nextStatement();
    void printStatement();
    void onStatement();
    void dimStatement();
    void tableStatement();
    void dirStatement();
    Frame* top(Frame::Kind kind, const char* message);
    void finish();

    std::vector<Token> tokens_;
    size_t pos_ = 0;
    std::vector<uint8_t> code_;
    std::vector<uint16_t> codeLine_;
    uint16_t line_ = 0; // line of the statement being compiled
    std::vector<Label> labels_;
    std::map<std::string, int> userLabels_;
    std::vector<Fixup> fixups_;
    std::vector<GosubSite> gosubs_;
    std::vector<Frame> frames_;
    std::map<std::string, Symbol> symbols_;
    std::vector<std::pair<int, std::vector<int16_t>>> tables_; // label, words
    std::array<bool, 192> usedBits_{};
    std::vector<std::pair<uint16_t, uint16_t>> starts_; // address, line
    std::vector<uint16_t> waitJumps_;
    std::vector<CompileMessage> errors_;
    int errorCount_ = 0;
    int statementCount_ = 0;
    int nesting_ = 0;
    int nodes_ = 0;           // expression nodes of the current statement
    bool structural_ = false; // the statement just parsed emits no steppable code
};

} // namespace kestrin::detail
