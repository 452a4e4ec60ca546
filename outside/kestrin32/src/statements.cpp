// Statements, blocks, declarations and the checks made once the whole source is read.
#include <algorithm>
#include <functional>
#include <set>

#include "outside/kestrin32/src/parser.h"

namespace kestrin {
namespace detail {

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

namespace {

// Values a place holds after a store: a byte keeps the low byte, a bit reads -1 or 0.
std::pair<int32_t, int32_t> ValueRange(Area area) {
    switch (area) {
    case Area::UserByte:
    case Area::PortByte:
    case Area::Register:
        return {0, 255};
    case Area::UserBit:
    case Area::PortBit:
        return {-1, 0};
    default:
        return {-32768, 32767};
    }
}

} // namespace

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
    // Nor does a step that would carry the variable out of what it can hold: the wrapped value
    // would pass the test at the top again and the loop would never end.
    auto [low, high] = ValueRange(f->variable.area);
    const int32_t bound = f->step > 0 ? high - f->step : low - f->step;
    if (bound < -32768 || bound > 32767) {
        if ((bound < -32768) == (f->step > 0))
            emitJump(Op::Jump, f->second);
    } else {
        emitLoad(f->variable);
        emitExpr(*number(bound), 1);
        emit(f->step > 0 ? Op::LessEqual : Op::GreaterEqual);
        emitJump(Op::JumpIfZero, f->second);
    }
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
        if (owners[k] >= 0 || inner <= kGosubSlots)
            continue;
        // Follow the deepest calls down to the GOSUB that takes the fifth slot.
        size_t site = k;
        for (int level = 1; level <= kGosubSlots; ++level) {
            int entry = gosubs_[site].label;
            for (size_t j : sitesOf[entry]) {
                int target = gosubs_[j].label;
                if (labels_[target].address >= 0 && depth[target] == depth[entry] - 1) {
                    site = j;
                    break;
                }
            }
        }
        if (reported.insert(site).second)
            report(gosubs_[site].line, "GOSUB zu tief verschachtelt (mehr als 4 Ebenen)");
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
    keepFirstErrors();
    out.errors = std::move(errors_);
    out.errorCount = errorCount_;
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

} // namespace detail

using detail::Parser;

const std::vector<std::string_view>& Keywords() {
    static const std::vector<std::string_view> sorted = [] {
        auto k = detail::kKeywords;
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
