// Expressions: parsing with constant folding, the unit's resources, and stack-checked code.
#include <algorithm>
#include <cstdlib>

#include "outside/kestrin32/src/parser.h"

namespace kestrin::detail {

void Parser::report(int line, std::string text) {
    ++errorCount_;
    errors_.push_back(CompileMessage{line, std::move(text)});
    if (errors_.size() >= 2 * kMaxErrors)
        keepFirstErrors();
}

// The first kMaxErrors by line, those of one line in the order found.
void Parser::keepFirstErrors() {
    std::stable_sort(
        errors_.begin(), errors_.end(),
        [](const CompileMessage& a, const CompileMessage& b) { return a.line < b.line; });
    if (errors_.size() > kMaxErrors)
        errors_.resize(kMaxErrors);
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
        case Op::Sqrt: {
            int r = 0;
            while ((r + 1) * (r + 1) <= v)
                ++r;
            return number(r);
        }
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
        int line = peek().line;
        ExprPtr a = expression();
        expectSymbol(")");
        // The square root's correction reads its argument again.
        if (op == Op::Sqrt && HasSideEffects(*a))
            throw Failure{line, "SQR mit RND oder RXD im Argument nicht erlaubt"};
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
            int line = peek().line;
            e->a = expression();
            expectSymbol(")");
            if (HasSideEffects(*e->a))
                throw Failure{line, "RND(n) mit RND oder RXD in n nicht erlaubt"};
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
        p.name.append(1, '[').append(std::to_string(p.index + 1)).append(1, ']');
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

// The instruction's root is one too high where x + 1 is a square; with R = MAX(root, 1) the
// result MAX(MIN(R, x / R), 0) is exact. The argument has no side effects, so it is read again.
void Parser::emitSqrt(const Expr& x, int depth) {
    auto root = [&](int at) {
        emitExpr(x, at);
        emit(Op::Sqrt);
        emitExpr(*number(1), at + 1);
        emit(Op::Max);
    };
    root(depth);
    emitExpr(x, depth + 1);
    root(depth + 2);
    emit(Op::Divide);
    emit(Op::Min);
    emitExpr(*number(0), depth + 1);
    emit(Op::Max);
}

// The generator's low bits repeat quickly, so RND(n) scales its high 15 bits into buckets of
// |-32768 / n| and takes the bucket number modulo n (0..|n|-1, and n = 0 divides by 0).
void Parser::emitRandomBelow(const Expr& n, int depth) {
    need(depth + 1);
    emit(Op::Random);
    emitExpr(*number(1), depth + 1);
    emit(Op::ShiftRight);
    emitExpr(*number(0x7FFF), depth + 1);
    emit(Op::And);
    if (n.kind == Expr::Kind::Number) {
        int bucket = n.value == 0 ? 0 : static_cast<int16_t>(std::abs(-32768 / n.value));
        emitExpr(*number(bucket), depth + 1);
    } else {
        emitExpr(*number(-32768), depth + 1);
        emitExpr(n, depth + 2);
        emit(Op::Divide);
        emit(Op::Abs);
    }
    emit(Op::Divide);
    emitExpr(n, depth + 1);
    emit(Op::Remainder);
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
        if (e.op == Op::Sqrt) {
            emitSqrt(*e.a, depth);
            break;
        }
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
        emitRandomBelow(*e.a, depth);
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

} // namespace kestrin::detail
