#include "outside/kestrin32/src/compiler.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <set>

#include "engine/vm/opcodes.h"
#include "outside/kestrin32/src/scanner.h"

namespace kestrin {

using quendal::Op;

namespace {

constexpr int kStackEntries = 7;
constexpr int kGosubSlots = 4;
constexpr int kMaxErrors = 100;
constexpr int kMaxNesting = 100;
constexpr int kMaxNodes = 1000;

const std::vector<std::string_view> kKeywords = {
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

Place tonePlace() {
    Place p;
    p.area = Area::Register;
    p.index = 8;
    return p;
}

bool HasSideEffects(const Expr& e) {
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
    int line = 0;
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

int16_t Wrap(int32_t v) {
    return static_cast<int16_t>(static_cast<uint16_t>(v));
}
int16_t Truth(bool b) {
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
    void report(int line, std::string text);

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
    int statementCount_ = 0;
    int nesting_ = 0;
    int nodes_ = 0;           // expression nodes of the current statement
    bool structural_ = false; // the statement just parsed emits no steppable code
};

void Parser::report(int line, std::string text) {
    if (errors_.size() < kMaxErrors)
        errors_.push_back(CompileMessage{line, std::move(text)});
}

std::string Parser::name() {
    if (peek().kind != TokenKind::Word)
        fail("Name erwartet");
    return next().text;
}

int Parser::userLabel(const std::string& name) {
    auto it = userLabels_.find(name);
    if (it != userLabels_.end())
        return it->second;
    int id = newLabel();
    labels_[id].name = name;
    userLabels_[name] = id;
    return id;
}

void Parser::declareName(const std::string& name) {
    if (std::binary_search(Keywords().begin(), Keywords().end(), name))
        fail("'" + name + "' ist ein Schl\xFCsselwort");
    if (symbols_.count(name))
        fail("Name '" + name + "' ist bereits vergeben");
}

// Words take an aligned word from the bottom, bytes an aligned byte, bits a free bit from the
// top, so that single bits do not split the space that words and bytes need.
Place Parser::allocate(Area area, const std::string& name) {
    int width = area == Area::UserWord ? 16 : area == Area::UserByte ? 8 : 1;
    Place p;
    p.area = area;
    p.name = name;
    auto freeAt = [&](int bit) {
        for (int k = 0; k < width; ++k)
            if (usedBits_[bit + k])
                return false;
        return true;
    };
    if (width == 1) {
        for (int bit = 191; bit >= 0; --bit) {
            if (freeAt(bit)) {
                usedBits_[bit] = true;
                p.index = static_cast<uint8_t>(bit);
                return p;
            }
        }
    } else {
        for (int bit = 0; bit + width <= 192; bit += width) {
            if (freeAt(bit)) {
                for (int k = 0; k < width; ++k)
                    usedBits_[bit + k] = true;
                p.index = static_cast<uint8_t>(bit / width);
                return p;
            }
        }
    }
    fail("kein Speicher mehr frei f\xFCr '" + name + "'");
}

// ---- expressions ----

ExprPtr Parser::unary(Op op, ExprPtr a) {
    if (a->kind == Expr::Kind::Number) {
        int v = a->value;
        switch (op) {
        case Op::Negate:
            return number(-v);
        case Op::Not:
            return number(~v);
        case Op::Abs:
            return number(v < 0 ? -v : v);
        case Op::Sign:
            return number((v > 0) - (v < 0));
        default:
            break;
        }
    }
    auto e = node();
    e->kind = Expr::Kind::Unary;
    e->op = op;
    e->a = std::move(a);
    return e;
}

ExprPtr Parser::binary(Op op, ExprPtr a, ExprPtr b) {
    if (a->kind == Expr::Kind::Number && b->kind == Expr::Kind::Number) {
        int x = a->value, y = b->value;
        switch (op) {
        case Op::Add:
            return number(x + y);
        case Op::Subtract:
            return number(x - y);
        case Op::Multiply:
            return number(x * y);
        case Op::Divide:
        case Op::Remainder:
            if (y == 0)
                fail("Division durch Null");
            return number(op == Op::Divide ? x / y : x % y);
        case Op::And:
            return number(x & y);
        case Op::Or:
            return number(x | y);
        case Op::Xor:
            return number(x ^ y);
        case Op::ShiftLeft:
            return number((y & 31) >= 16 ? 0 : static_cast<uint16_t>(x) << (y & 31));
        case Op::ShiftRight:
            return number(static_cast<int16_t>(x) >> (y & 31));
        case Op::Equal:
            return number(Truth(x == y));
        case Op::NotEqual:
            return number(Truth(x != y));
        case Op::Less:
            return number(Truth(x < y));
        case Op::LessEqual:
            return number(Truth(x <= y));
        case Op::Greater:
            return number(Truth(x > y));
        case Op::GreaterEqual:
            return number(Truth(x >= y));
        case Op::Max:
            return number(std::max(x, y));
        case Op::Min:
            return number(std::min(x, y));
        default:
            break;
        }
    }
    auto e = node();
    e->kind = Expr::Kind::Binary;
    e->op = op;
    e->a = std::move(a);
    e->b = std::move(b);
    return e;
}

ExprPtr Parser::parseOr() {
    ExprPtr e = parseAnd();
    while (isWord("OR") || isWord("XOR")) {
        Op op = next().text == "OR" ? Op::Or : Op::Xor;
        e = binary(op, std::move(e), parseAnd());
    }
    return e;
}

ExprPtr Parser::parseAnd() {
    ExprPtr e = parseCompare();
    while (isWord("AND")) {
        next();
        e = binary(Op::And, std::move(e), parseCompare());
    }
    return e;
}

ExprPtr Parser::parseCompare() {
    static const std::map<std::string, Op> ops = {{"=", Op::Equal},   {"<>", Op::NotEqual},
                                                  {"<", Op::Less},    {"<=", Op::LessEqual},
                                                  {">", Op::Greater}, {">=", Op::GreaterEqual}};
    ExprPtr e = parseShift();
    while (peek().kind == TokenKind::Symbol && ops.count(peek().text)) {
        Op op = ops.at(next().text);
        e = binary(op, std::move(e), parseShift());
    }
    return e;
}

ExprPtr Parser::parseShift() {
    ExprPtr e = parseSum();
    while (isWord("SHL") || isWord("SHR")) {
        Op op = next().text == "SHL" ? Op::ShiftLeft : Op::ShiftRight;
        e = binary(op, std::move(e), parseSum());
    }
    return e;
}

ExprPtr Parser::parseSum() {
    ExprPtr e = parseProduct();
    while (isSymbol("+") || isSymbol("-")) {
        Op op = next().text == "+" ? Op::Add : Op::Subtract;
        e = binary(op, std::move(e), parseProduct());
    }
    return e;
}

ExprPtr Parser::parseProduct() {
    ExprPtr e = parseUnary();
    while (isSymbol("*") || isSymbol("/") || isWord("MOD")) {
        const std::string& t = next().text;
        Op op = t == "*" ? Op::Multiply : t == "/" ? Op::Divide : Op::Remainder;
        e = binary(op, std::move(e), parseUnary());
    }
    return e;
}

ExprPtr Parser::parseUnary() {
    Nesting guard(*this);
    if (isSymbol("-")) {
        next();
        return unary(Op::Negate, parseUnary());
    }
    if (isSymbol("+")) {
        next();
        return parseUnary();
    }
    if (isWord("NOT")) {
        next();
        return unary(Op::Not, parseUnary());
    }
    return parsePrimary();
}

ExprPtr Parser::parsePrimary() {
    const Token& t = peek();
    if (t.kind == TokenKind::Number) {
        next();
        return number(t.number);
    }
    if (t.kind == TokenKind::Bad)
        fail(t.text);
    if (isSymbol("(")) {
        next();
        ExprPtr e = expression();
        expectSymbol(")");
        return e;
    }
    if (t.kind != TokenKind::Word)
        fail("Ausdruck erwartet");
    static const std::map<std::string, Op> oneArgument = {
        {"ABS", Op::Abs}, {"SGN", Op::Sign}, {"SQR", Op::Sqrt}};
    static const std::map<std::string, Op> twoArguments = {{"MAX", Op::Max}, {"MIN", Op::Min}};
    if (t.text == "TRUE" || t.text == "FALSE") {
        next();
        return number(t.text == "TRUE" ? -1 : 0);
    }
    if (oneArgument.count(t.text)) {
        Op op = oneArgument.at(next().text);
        expectSymbol("(");
        ExprPtr a = expression();
        expectSymbol(")");
        return unary(op, std::move(a));
    }
    if (twoArguments.count(t.text)) {
        Op op = twoArguments.at(next().text);
        expectSymbol("(");
        ExprPtr a = expression();
        expectSymbol(",");
        ExprPtr b = expression();
        expectSymbol(")");
        return binary(op, std::move(a), std::move(b));
    }
    auto simple = [&](Expr::Kind kind) {
        next();
        auto e = node();
        e->kind = kind;
        return e;
    };
    if (t.text == "RND") {
        auto e = simple(Expr::Kind::Random);
        if (isSymbol("(")) {
            next();
            e->kind = Expr::Kind::RandomBelow;
            e->a = expression();
            expectSymbol(")");
        }
        return e;
    }
    if (t.text == "EOF")
        return simple(Expr::Kind::FileEnd);
    if (t.text == "RXD")
        return simple(Expr::Kind::Receive);
    if (auto place = resource()) {
        if (!place->readable)
            fail("'" + place->name + "' kann nur geschrieben werden");
        auto e = node();
        e->kind = Expr::Kind::Load;
        e->place = *place;
        return e;
    }
    auto it = symbols_.find(t.text);
    if (it == symbols_.end())
        fail("unbekannter Name '" + t.text + "'");
    next();
    const Symbol& s = it->second;
    if (s.kind == Symbol::Kind::Constant)
        return number(s.value);
    if (s.kind == Symbol::Kind::Variable) {
        auto e = node();
        e->kind = Expr::Kind::Load;
        e->place = s.place;
        return e;
    }
    expectSymbol("(");
    auto e = node();
    e->kind = Expr::Kind::Table;
    e->label = s.label;
    e->a = expression();
    if (e->a->kind == Expr::Kind::Number && (e->a->value < 0 || e->a->value >= s.tableSize))
        fail("Tabellenindex au\xDF"
             "erhalb 0.." +
             std::to_string(s.tableSize - 1));
    expectSymbol(")");
    return e;
}

int16_t Parser::constant() {
    ExprPtr e = expression();
    if (e->kind != Expr::Kind::Number)
        fail("konstanter Ausdruck erwartet");
    return e->value;
}

// A 1-based resource index in brackets; returns it 0-based.
int Parser::constantIndex(int count) {
    expectSymbol("[");
    int line = peek().line;
    int v = constant();
    expectSymbol("]");
    if (v < 1 || v > count)
        throw Failure{line, "Index au\xDF"
                            "erhalb 1.." +
                                std::to_string(count)};
    return v - 1;
}

// The unit's resources by name; nothing is consumed when the word names none.
std::optional<Place> Parser::resource() {
    struct Indexed {
        Area area;
        int count;
        bool readable, writable;
    };
    static const std::map<std::string, Indexed> indexed = {
        {"PORT", {Area::PortBit, 16, true, true}}, {"BYTEPORT", {Area::PortByte, 2, true, true}},
        {"AD", {Area::Adc, 8, true, false}},       {"DA", {Area::Dac, 2, false, true}},
        {"BIT", {Area::UserBit, 192, true, true}}, {"BYTE", {Area::UserByte, 24, true, true}},
        {"WORD", {Area::UserWord, 12, true, true}}};
    static const std::map<std::string, std::array<int, 3>> registers = {
        {"YEAR", {0, 1, 1}},    {"MONTH", {1, 1, 1}},     {"DAY", {2, 1, 1}},
        {"WEEKDAY", {3, 1, 1}}, {"HOUR", {4, 1, 1}},      {"MINUTE", {5, 1, 1}},
        {"SECOND", {6, 1, 1}},  {"TIMER", {7, 1, 0}},     {"TONE", {8, 0, 1}},
        {"FREQ", {9, 1, 0}},    {"FILEFREE", {11, 1, 0}}, {"FILELEN", {12, 1, 0}}};
    if (peek().kind != TokenKind::Word)
        return std::nullopt;
    std::string word = peek().text;
    Place p;
    p.name = word;
    if (word == "WORDPORT") {
        next();
        p.area = Area::Port;
        return p;
    }
    if (auto r = registers.find(word); r != registers.end()) {
        next();
        p.area = Area::Register;
        p.index = static_cast<uint8_t>(r->second[0]);
        p.readable = r->second[1];
        p.writable = r->second[2];
        return p;
    }
    if (auto r = indexed.find(word); r != indexed.end()) {
        next();
        p.area = r->second.area;
        p.index = static_cast<uint8_t>(constantIndex(r->second.count));
        p.readable = r->second.readable;
        p.writable = r->second.writable;
        p.name += "[" + std::to_string(p.index + 1) + "]";
        return p;
    }
    return std::nullopt;
}

Place Parser::target() {
    if (auto place = resource()) {
        if (!place->writable)
            fail("'" + place->name + "' kann nur gelesen werden");
        return *place;
    }
    if (peek().kind != TokenKind::Word)
        fail("Variable erwartet");
    auto it = symbols_.find(peek().text);
    if (it == symbols_.end())
        fail("unbekannter Name '" + peek().text + "'");
    if (it->second.kind != Symbol::Kind::Variable)
        fail("'" + peek().text + "' ist keine Variable");
    next();
    return it->second.place;
}

void Parser::emitLoad(const Place& p) {
    switch (p.area) {
    case Area::UserWord:
        emit(Op::PushUserWord);
        break;
    case Area::UserByte:
        emit(Op::PushUserByte);
        break;
    case Area::UserBit:
        emit(Op::PushUserBit);
        break;
    case Area::PortBit:
        emit(Op::PushPortBit);
        break;
    case Area::PortByte:
        emit(Op::PushPortByte);
        break;
    case Area::Port:
        emit(Op::PushPort);
        return;
    case Area::Adc:
        emit(Op::PushAdc);
        break;
    case Area::Register:
        emit(Op::PushRegister);
        break;
    case Area::Dac:
        return; // write-only, refused by the parser
    }
    emit(p.index);
}

void Parser::emitStore(const Place& p) {
    switch (p.area) {
    case Area::UserWord:
        emit(Op::SetUserWord);
        break;
    case Area::UserByte:
        emit(Op::SetUserByte);
        break;
    case Area::UserBit:
        emit(Op::SetUserBit);
        break;
    case Area::PortBit:
        emit(Op::SetPortBit);
        break;
    case Area::PortByte:
        emit(Op::SetPortByte);
        break;
    case Area::Port:
        emit(Op::SetPort);
        return;
    case Area::Dac:
        emit(Op::SetDac);
        break;
    case Area::Register:
        emit(Op::SetRegister);
        break;
    case Area::Adc:
        return; // read-only, refused by the parser
    }
    emit(p.index);
}

// depth: values of this expression already on the stack below the new one.
void Parser::emitExpr(const Expr& e, int depth) {
    switch (e.kind) {
    case Expr::Kind::Number:
        need(depth + 1);
        emit(Op::PushWord);
        emitWord(static_cast<uint16_t>(e.value));
        break;
    case Expr::Kind::Load:
        need(depth + 1);
        emitLoad(e.place);
        break;
    case Expr::Kind::Unary:
        emitExpr(*e.a, depth);
        emit(e.op);
        break;
    case Expr::Kind::Binary:
        emitExpr(*e.a, depth);
        emitExpr(*e.b, depth + 1);
        emit(e.op);
        break;
    case Expr::Kind::Random:
        need(depth + 1);
        emit(Op::Random);
        break;
    case Expr::Kind::RandomBelow:
        need(depth + 2);
        emit(Op::Random);
        emit(Op::PushWord);
        emitWord(0x7FFF);
        emit(Op::And);
        emitExpr(*e.a, depth + 1);
        emit(Op::Remainder);
        break;
    case Expr::Kind::FileEnd:
        need(depth + 1);
        emit(Op::FileEnd);
        break;
    case Expr::Kind::Receive:
        need(depth + 1);
        emit(Op::InputByte);
        break;
    case Expr::Kind::Table:
        // The table read leaves its index below the value. Nothing of ours lies below at depth
        // 0; otherwise the index is folded away: (i - v) - i = -v.
        emitExpr(*e.a, depth);
        need(depth + 2);
        emitJump(Op::TableRead, e.label);
        if (depth > 0) {
            if (HasSideEffects(*e.a))
                fail("Tabellenindex mit RND oder RXD nur am Anfang eines Ausdrucks erlaubt");
            emit(Op::Subtract);
            emitExpr(*e.a, depth + 1);
            emit(Op::Subtract);
            emit(Op::Negate);
        }
        break;
    }
}

// ---- statements ----

Frame* Parser::top(Frame::Kind kind, const char* message) {
    if (frames_.empty() || frames_.back().kind != kind)
        fail(message);
    return &frames_.back();
}

void Parser::line() {
    try {
        if (peek().kind == TokenKind::Label) {
            std::string labelName = peek().text;
            int id = userLabel(labelName);
            if (labels_[id].address >= 0)
                fail("Sprungmarke #" + labelName + " ist doppelt");
            next();
            define(id);
            labels_[id].line = peek().line;
            if (isSymbol(":"))
                next();
        }
        if (peek().kind != TokenKind::EndOfLine && peek().kind != TokenKind::EndOfText)
            statements(false);
        if (peek().kind != TokenKind::EndOfLine && peek().kind != TokenKind::EndOfText)
            fail("Ende der Anweisung erwartet");
    } catch (const Failure& f) {
        report(f.line, f.text);
        while (peek().kind != TokenKind::EndOfLine && peek().kind != TokenKind::EndOfText)
            next();
    }
    if (peek().kind == TokenKind::EndOfLine)
        next();
}

void Parser::statements(bool thenPart) {
    for (;;) {
        if (!(thenPart && isWord("ELSE")))
            statement();
        if (isSymbol(":")) {
            next();
            continue;
        }
        return;
    }
}

void Parser::statement() {
    size_t entry = starts_.size();
    size_t size = code_.size();
    line_ = static_cast<uint16_t>(peek().line);
    starts_.emplace_back(here(), line_);
    structural_ = false;
    nodes_ = 0;
    ++statementCount_;

    const Token& t = peek();
    if (t.kind == TokenKind::Bad)
        fail(t.text);
    if (t.kind != TokenKind::Word)
        fail("Anweisung erwartet");
    const std::string w = t.text;
    auto endLoop = [&](Frame& f) {
        emitJump(Op::Jump, f.first);
        define(f.second);
    };

    if (w == "REM") {
        while (peek().kind != TokenKind::EndOfLine && peek().kind != TokenKind::EndOfText)
            next();
    } else if (w == "DIM") {
        dimStatement();
    } else if (w == "CONST") {
        next();
        std::string n = name();
        declareName(n);
        expectSymbol("=");
        Symbol s;
        s.kind = Symbol::Kind::Constant;
        s.value = constant();
        symbols_[n] = s;
    } else if (w == "TABLE") {
        tableStatement();
    } else if (w == "IF") {
        ifStatement();
    } else if (w == "ELSE") {
        next();
        Frame* f = top(Frame::Kind::If, "ELSE ohne IF");
        if (f->hasElse)
            fail("zweites ELSE zu einem IF");
        emitJump(Op::Jump, f->second);
        define(f->first);
        f->hasElse = true;
        structural_ = true;
    } else if (w == "ENDIF" || (w == "END" && isWord("IF", 1))) {
        next();
        if (w == "END")
            next();
        Frame* f = top(Frame::Kind::If, "ENDIF ohne IF");
        if (!f->hasElse)
            define(f->first);
        define(f->second);
        frames_.pop_back();
        structural_ = true;
    } else if (w == "END") {
        next();
        emit(Op::End);
    } else if (w == "GOTO" || w == "GOSUB") {
        next();
        if (peek().kind != TokenKind::Label)
            fail("Sprungmarke (#Name) erwartet");
        int id = userLabel(next().text);
        if (w == "GOSUB")
            gosubs_.push_back(GosubSite{id, t.line, statementCount_});
        emitJump(w == "GOTO" ? Op::Jump : Op::Gosub, id);
    } else if (w == "RETURN") {
        next();
        emit(Op::Return);
    } else if (w == "ON") {
        onStatement();
    } else if (w == "FOR") {
        forStatement();
    } else if (w == "NEXT") {
        nextStatement();
    } else if (w == "DO") {
        next();
        Frame f;
        f.kind = Frame::Kind::Do;
        f.line = t.line;
        f.first = newLabel();
        f.second = newLabel();
        define(f.first);
        structural_ = true;
        if (isWord("WHILE") || isWord("UNTIL")) {
            bool until = next().text == "UNTIL";
            structural_ = false;
            condition();
            if (until) {
                int body = newLabel();
                emitJump(Op::JumpIfZero, body);
                emitJump(Op::Jump, f.second);
                define(body);
            } else {
                emitJump(Op::JumpIfZero, f.second);
            }
        }
        frames_.push_back(std::move(f));
    } else if (w == "LOOP") {
        next();
        Frame* f = top(Frame::Kind::Do, "LOOP ohne DO");
        if (isWord("WHILE") || isWord("UNTIL")) {
            bool until = next().text == "UNTIL";
            condition();
            if (until) {
                emitJump(Op::JumpIfZero, f->first);
            } else {
                emitJump(Op::JumpIfZero, f->second);
                emitJump(Op::Jump, f->first);
            }
            define(f->second);
        } else {
            endLoop(*f);
            structural_ = true;
        }
        frames_.pop_back();
    } else if (w == "WHILE") {
        next();
        Frame f;
        f.kind = Frame::Kind::While;
        f.line = t.line;
        f.first = newLabel();
        f.second = newLabel();
        define(f.first);
        condition();
        emitJump(Op::JumpIfZero, f.second);
        frames_.push_back(std::move(f));
    } else if (w == "WEND") {
        next();
        endLoop(*top(Frame::Kind::While, "WEND ohne WHILE"));
        frames_.pop_back();
        structural_ = true;
    } else if (w == "WAIT") {
        next();
        int head = newLabel();
        define(head);
        condition();
        waitJumps_.push_back(here());
        emitJump(Op::JumpIfZero, head);
    } else if (w == "PAUSE") {
        next();
        emitExpr(*expression(), 0);
        emit(Op::Pause);
    } else if (w == "BEEP") {
        // The tone sounds for the duration, then an optional silence follows.
        next();
        emitExpr(*expression(), 0);
        emitStore(tonePlace());
        expectSymbol(",");
        emitExpr(*expression(), 0);
        emit(Op::Pause);
        emitExpr(*number(0), 0);
        emitStore(tonePlace());
        if (isSymbol(",")) {
            next();
            emitExpr(*expression(), 0);
            emit(Op::Pause);
        }
    } else if (w == "PRINT") {
        printStatement();
    } else if (w == "INPUT" || w == "GET" || w == "FREAD") {
        next();
        for (;;) {
            Place p = target();
            if (w == "FREAD") {
                emit(Op::FileOp);
                emit(static_cast<uint8_t>(quendal::FileOp::Read));
            } else {
                emit(w == "INPUT" ? Op::InputWord : Op::InputByte);
            }
            emitStore(p);
            if (!isSymbol(","))
                break;
            next();
        }
    } else if (w == "PUT" || w == "FWRITE") {
        next();
        for (;;) {
            emitExpr(*expression(), 0);
            if (w == "PUT") {
                emit(Op::PrintChar);
            } else {
                emit(Op::FileOp);
                emit(static_cast<uint8_t>(quendal::FileOp::Write));
            }
            if (!isSymbol(","))
                break;
            next();
        }
    } else if (w == "FOPEN") {
        next();
        quendal::FileOp mode;
        if (isWord("READ"))
            mode = quendal::FileOp::OpenKeep;
        else if (isWord("WRITE"))
            mode = quendal::FileOp::OpenEmpty;
        else if (isWord("APPEND"))
            mode = quendal::FileOp::OpenAppend;
        else
            fail("READ, WRITE oder APPEND erwartet");
        next();
        emit(Op::FileOp);
        emit(static_cast<uint8_t>(mode));
    } else if (w == "FCLOSE") {
        next();
        emit(Op::FileOp);
        emit(static_cast<uint8_t>(quendal::FileOp::Close));
    } else if (w == "BAUD") {
        next();
        int line = peek().line;
        int16_t rate = constant();
        static const std::map<int, uint8_t> codes = {
            {1200, 219}, {2400, 210}, {4800, 201}, {9600, 192}};
        if (!codes.count(static_cast<uint16_t>(rate)))
            throw Failure{line, "Baudrate 1200, 2400, 4800 oder 9600 erwartet"};
        emit(Op::SkipBaud);
        emit(codes.at(static_cast<uint16_t>(rate)));
    } else if (w == "RANDOMIZE") {
        next();
        emitExpr(atStatementEnd() ? *number(0) : *expression(), 0);
        emit(Op::RandomSeed);
    } else if (w == "TOGGLE") {
        next();
        if (!isWord("PORT"))
            fail("PORT[n] erwartet");
        Place p = *resource();
        emit(Op::TogglePortBit);
        emit(p.index);
    } else if (w == "DIR") {
        dirStatement();
    } else {
        if (w == "LET")
            next();
        Place p = target();
        expectSymbol("=");
        emitExpr(*expression(), 0);
        emitStore(p);
    }

    if (structural_ || code_.size() == size)
        starts_.erase(starts_.begin() + static_cast<long>(entry));
}

void Parser::dimStatement() {
    next();
    for (;;) {
        std::string n = name();
        declareName(n);
        expectWord("AS");
        Area area;
        int count;
        if (isWord("BIT")) {
            area = Area::UserBit;
            count = 192;
        } else if (isWord("BYTE")) {
            area = Area::UserByte;
            count = 24;
        } else if (isWord("WORD")) {
            area = Area::UserWord;
            count = 12;
        } else {
            fail("BIT, BYTE oder WORD erwartet");
        }
        next();
        Place p;
        if (isSymbol("@")) {
            // An explicit cell may overlay anything; automatic placement avoids it.
            next();
            int line = peek().line;
            int cell = constant();
            if (cell < 1 || cell > count)
                throw Failure{line, "Speicherzelle au\xDF"
                                    "erhalb 1.." +
                                        std::to_string(count)};
            p.area = area;
            p.name = n;
            p.index = static_cast<uint8_t>(cell - 1);
            int width = area == Area::UserWord ? 16 : area == Area::UserByte ? 8 : 1;
            for (int k = 0; k < width; ++k)
                usedBits_[p.index * width + k] = true;
        } else {
            p = allocate(area, n);
        }
        Symbol s;
        s.place = p;
        symbols_[n] = s;
        if (!isSymbol(","))
            return;
        next();
    }
}

void Parser::tableStatement() {
    next();
    std::string n = name();
    declareName(n);
    expectSymbol("=");
    std::vector<int16_t> words;
    for (;;) {
        words.push_back(constant());
        if (!isSymbol(","))
            break;
        next();
        while (peek().kind == TokenKind::EndOfLine) // a trailing comma continues the list
            next();
    }
    int id = newLabel();
    labels_[id].name = n;
    Symbol s;
    s.kind = Symbol::Kind::Table;
    s.label = id;
    s.tableSize = static_cast<int>(words.size());
    symbols_[n] = s;
    tables_.emplace_back(id, std::move(words));
}

void Parser::ifStatement() {
    Nesting guard(*this);
    int line = next().line;
    condition();
    int elseLabel = newLabel();
    int endLabel = newLabel();
    emitJump(Op::JumpIfZero, elseLabel);
    const bool viaGoto = isWord("GOTO");
    if (!viaGoto)
        expectWord("THEN");
    if (!viaGoto && (peek().kind == TokenKind::EndOfLine || peek().kind == TokenKind::EndOfText)) {
        Frame f;
        f.kind = Frame::Kind::If;
        f.line = line;
        f.first = elseLabel;
        f.second = endLabel;
        frames_.push_back(std::move(f));
        return;
    }
    // The one-line form: THEN [GOTO] #label or statements, then the same after ELSE.
    const size_t open = frames_.size();
    auto part = [&](bool thenPart) {
        if (isWord("GOTO") && thenPart)
            next();
        if (peek().kind == TokenKind::Label)
            emitJump(Op::Jump, userLabel(next().text));
        else if (viaGoto && thenPart)
            fail("Sprungmarke (#Name) erwartet");
        else
            statements(thenPart);
    };
    part(true);
    if (isWord("ELSE")) {
        next();
        emitJump(Op::Jump, endLabel);
        define(elseLabel);
        part(false);
    } else {
        define(elseLabel);
    }
    define(endLabel);
    if (frames_.size() != open) {
        frames_.resize(std::min(frames_.size(), open));
        throw Failure{line, "Block in einzeiligem IF nicht abgeschlossen"};
    }
    structural_ = false;
}

void Parser::forStatement() {
    int line = next().line;
    Frame f;
    f.kind = Frame::Kind::For;
    f.line = line;
    f.variable = target();
    if (!f.variable.readable)
        fail("'" + f.variable.name + "' kann nicht gelesen werden");
    expectSymbol("=");
    emitExpr(*expression(), 0);
    emitStore(f.variable);
    expectWord("TO");
    f.limit = expression();
    if (isWord("STEP")) {
        next();
        int stepLine = peek().line;
        ExprPtr s = expression();
        if (s->kind != Expr::Kind::Number || s->value == 0)
            throw Failure{stepLine, "STEP muss eine Konstante ungleich 0 sein"};
        f.step = s->value;
    }
    f.first = newLabel();
    f.second = newLabel();
    define(f.first);
    emitLoad(f.variable);
    emitExpr(*f.limit, 1);
    emit(f.step > 0 ? Op::LessEqual : Op::GreaterEqual);
    emitJump(Op::JumpIfZero, f.second);
    frames_.push_back(std::move(f));
}

void Parser::nextStatement() {
    next();
    Frame* f = top(Frame::Kind::For, "NEXT ohne FOR");
    if (peek().kind == TokenKind::Word && !isWord("ELSE")) {
        Place p = target();
        // The loop still closes here, so that one slip does not disturb every later block.
        if (p.area != f->variable.area || p.index != f->variable.index)
            report(peek().line, "NEXT passt nicht zur FOR-Variablen '" + f->variable.name + "'");
    }
    // A loop that reaches its limit ends there, so that a limit at the end of the value
    // range does not wrap around.
    emitLoad(f->variable);
    emitExpr(*f->limit, 1);
    emit(Op::NotEqual);
    emitJump(Op::JumpIfZero, f->second);
    emitLoad(f->variable);
    emitExpr(*number(f->step), 1);
    emit(Op::Add);
    emitStore(f->variable);
    emitJump(Op::Jump, f->first);
    define(f->second);
    frames_.pop_back();
}

void Parser::printStatement() {
    next();
    bool newLine = true;
    auto text = [&](const std::string& s) {
        if (s.empty())
            return;
        emit(Op::PrintText);
        for (char c : s)
            emit(static_cast<uint8_t>(c));
        emit(0);
    };
    while (!atStatementEnd()) {
        newLine = true;
        if (peek().kind == TokenKind::String) {
            std::string s = next().text;
            if (s.size() > 255)
                fail("Text zu lang (h\xF6"
                     "chstens 255 Zeichen)");
            text(s);
        } else {
            emitExpr(*expression(), 0);
            emit(Op::PrintDecimal);
        }
        if (isSymbol(";")) {
            next();
            newLine = false;
        } else if (isSymbol(",")) {
            next();
            text(" ");
            newLine = false;
        } else if (!atStatementEnd()) {
            fail("';' oder ',' erwartet");
        }
    }
    if (newLine)
        text("\r\n");
}

void Parser::onStatement() {
    next();
    ExprPtr e = expression();
    bool gosub = isWord("GOSUB");
    if (!gosub && !isWord("GOTO"))
        fail("GOTO oder GOSUB erwartet");
    int line = next().line;
    std::vector<int> targets;
    for (;;) {
        if (peek().kind != TokenKind::Label)
            fail("Sprungmarke (#Name) erwartet");
        targets.push_back(userLabel(next().text));
        if (!isSymbol(","))
            break;
        next();
    }
    // e - k reaches 0 at the k-th target; the value is kept on the stack between the tests.
    emitExpr(*e, 0);
    int after = newLabel();
    std::vector<int> calls;
    for (size_t k = 0; k < targets.size(); ++k) {
        emitExpr(*number(1), 1);
        emit(Op::Subtract);
        if (gosub) {
            calls.push_back(newLabel());
            emitJump(Op::JumpIfZero, calls.back());
        } else {
            emitJump(Op::JumpIfZero, targets[k]);
        }
    }
    if (gosub) {
        emitJump(Op::Jump, after);
        for (size_t k = 0; k < targets.size(); ++k) {
            define(calls[k]);
            gosubs_.push_back(GosubSite{targets[k], line, statementCount_});
            emitJump(Op::Gosub, targets[k]);
            emitJump(Op::Jump, after);
        }
    }
    define(after);
}

void Parser::dirStatement() {
    next();
    if (!isWord("PORT") && !isWord("BYTEPORT") && !isWord("WORDPORT"))
        fail("PORT[n], BYTEPORT[n] oder WORDPORT erwartet");
    Place p = *resource();
    bool out = isWord("OUT");
    if (!out && !isWord("IN"))
        fail("IN oder OUT erwartet");
    next();
    if (p.area == Area::PortBit) {
        emit(out ? Op::SetDirectionBit : Op::ClearDirectionBit);
        emit(p.index);
    } else if (!out) {
        if (p.area == Area::PortByte) {
            emit(Op::ClearDirectionByte);
            emit(p.index);
        } else {
            emit(Op::ClearDirections);
        }
    } else {
        int first = p.area == Area::PortByte ? p.index * 8 : 0;
        int count = p.area == Area::PortByte ? 8 : 16;
        for (int k = 0; k < count; ++k) {
            emit(Op::SetDirectionBit);
            emit(static_cast<uint8_t>(first + k));
        }
    }
}

// Unclosed blocks, jump targets and the static GOSUB depth.
void Parser::finish() {
    static const std::map<Frame::Kind, const char*> unclosed = {
        {Frame::Kind::If, "IF ohne ENDIF"},
        {Frame::Kind::For, "FOR ohne NEXT"},
        {Frame::Kind::Do, "DO ohne LOOP"},
        {Frame::Kind::While, "WHILE ohne WEND"}};
    for (const Frame& f : frames_)
        report(f.line, unclosed.at(f.kind));
    for (const Fixup& fx : fixups_)
        if (labels_[fx.label].address < 0 && !labels_[fx.label].name.empty())
            report(fx.line, "Sprungmarke #" + labels_[fx.label].name + " nicht definiert");

    // Each GOSUB belongs to the routine whose entry label stands last before it.
    std::vector<int> entries;
    for (const GosubSite& g : gosubs_)
        if (labels_[g.label].address >= 0)
            entries.push_back(g.label);
    std::sort(entries.begin(), entries.end(),
              [&](int x, int y) { return labels_[x].order < labels_[y].order; });
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    std::vector<int> owners(gosubs_.size());
    std::map<int, std::vector<size_t>> sitesOf;
    for (size_t k = 0; k < gosubs_.size(); ++k) {
        auto it = std::upper_bound(entries.begin(), entries.end(), gosubs_[k].order,
                                   [&](int order, int e) { return order < labels_[e].order; });
        owners[k] = it == entries.begin() ? -1 : *(it - 1);
        sitesOf[owners[k]].push_back(k);
    }
    std::map<int, int> depth; // entry -> slots it needs, -1 while being visited
    std::set<size_t> reported;
    std::function<int(int)> need = [&](int entry) -> int {
        if (auto it = depth.find(entry); it != depth.end())
            return it->second;
        depth[entry] = -1;
        int deepest = 1;
        for (size_t k : sitesOf[entry]) {
            const GosubSite& g = gosubs_[k];
            if (labels_[g.label].address < 0)
                continue;
            int inner = need(g.label);
            if (inner < 0) {
                if (reported.insert(k).second)
                    report(g.line, "rekursiver GOSUB zu #" + labels_[g.label].name);
                continue;
            }
            deepest = std::max(deepest, 1 + inner);
        }
        depth[entry] = deepest;
        return deepest;
    };
    for (size_t k = 0; k < gosubs_.size(); ++k) {
        const GosubSite& g = gosubs_[k];
        if (labels_[g.label].address < 0)
            continue;
        int inner = need(g.label);
        if (owners[k] < 0 && inner > kGosubSlots && reported.insert(k).second)
            report(g.line, "GOSUB zu tief verschachtelt (mehr als 4 Ebenen)");
    }
}

CompileOutput Parser::run() {
    while (peek().kind != TokenKind::EndOfText)
        line();
    emit(Op::End);
    CompileOutput out;
    Program& p = out.program;
    p.basicBytes = static_cast<uint16_t>(std::min<size_t>(code_.size(), 0xFFFF));
    for (auto& [label, words] : tables_) {
        define(label);
        for (int16_t w : words)
            emitWord(static_cast<uint16_t>(w));
    }
    finish();
    if (code_.size() > kMaxImage)
        report(tokens_.back().line, "Programm zu lang (" + std::to_string(code_.size()) + " von " +
                                        std::to_string(kMaxImage) + " Bytes)");
    std::stable_sort(
        errors_.begin(), errors_.end(),
        [](const CompileMessage& a, const CompileMessage& b) { return a.line < b.line; });
    out.errors = std::move(errors_);
    if (!out.errors.empty())
        return out;
    for (const Fixup& fx : fixups_) {
        auto target = static_cast<uint16_t>(labels_[fx.label].address);
        code_[fx.position] = static_cast<uint8_t>(target >> 8);
        code_[fx.position + 1] = static_cast<uint8_t>(target);
    }
    p.tableBytes = static_cast<uint16_t>(code_.size() - p.basicBytes);
    p.image = std::move(code_);
    p.codeLine = std::move(codeLine_);
    p.statementLine.assign(kCodeBase + p.image.size(), 0);
    for (auto [address, line] : starts_)
        p.statementLine[address] = line;
    p.waitJumps = std::move(waitJumps_);
    for (auto& [n, s] : symbols_) {
        if (s.kind != Symbol::Kind::Variable)
            continue;
        uint32_t kind = s.place.area == Area::UserWord ? 1 : s.place.area == Area::UserByte ? 2 : 3;
        p.symbols[n] = kind << 24 | 1u << 16 | s.place.index;
    }
    return out;
}

// The map code of a resource named alone, as "WORD[3]" or "TIMER"; 0 for anything else.
uint32_t Parser::resourceCode() {
    try {
        std::optional<Place> p = resource();
        if (!p || peek().kind != TokenKind::EndOfLine)
            return 0;
        auto code = [&](uint32_t kind, uint32_t area) {
            return kind << 24 | area << 16 | p->index;
        };
        switch (p->area) {
        case Area::UserWord:
            return code(1, 1);
        case Area::UserByte:
            return code(2, 1);
        case Area::UserBit:
            return code(3, 1);
        case Area::PortBit:
            return code(3, 2);
        case Area::PortByte:
            return code(2, 2);
        case Area::Port:
            return code(1, 2);
        case Area::Adc:
            return code(1, 3);
        case Area::Dac:
            return code(1, 4);
        case Area::Register:
            return code(1, 5);
        }
    } catch (const Failure&) {
    }
    return 0;
}

} // namespace

const std::vector<std::string_view>& Keywords() {
    static const std::vector<std::string_view> sorted = [] {
        auto k = kKeywords;
        std::sort(k.begin(), k.end());
        return k;
    }();
    return sorted;
}

CompileOutput Compile(std::string_view source) {
    return Parser(source).run();
}

uint32_t ResourceMapCode(std::string_view name) {
    return Parser(name).resourceCode();
}

} // namespace kestrin
