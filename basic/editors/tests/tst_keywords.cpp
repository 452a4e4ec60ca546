// The keyword file reader and the two token scanners.
#include "basic/editors/keywords.h"
#include "platform/qt/dialogs.h"

#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

using namespace harvel;

namespace {

struct Token {
    std::string text;
    int kind;
    bool operator==(const Token& o) const { return text == o.text && kind == o.kind; }
};

using Scanner = bool (*)(const TKeywordTables&, const char*, int&, int&, int, THiliteMode&);

// Every token of the line as the editor would ask for them, leading spaces trimmed off.
std::vector<Token> Tokens(Scanner scan, const TKeywordTables& tables, const std::string& line) {
    std::vector<Token> tokens;
    int end = 0;
    const int len = static_cast<int>(line.size());
    bool more = len > 0;
    int guard = 0;
    while (more && ++guard < 200) {
        int start = end;
        THiliteMode kind = hmNone;
        more = scan(tables, line.c_str(), start, end, len, kind);
        std::string text =
            line.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
        text.erase(0, text.find_first_not_of(' '));
        tokens.push_back({text, kind});
    }
    return tokens;
}

void Write(const QString& path, const std::string& bytes) {
    std::ofstream out(path.toLocal8Bit().toStdString(), std::ios::binary);
    out << bytes;
}

} // namespace

class TestKeywords : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    TKeywordTables tables;

    void Load(const std::string& content) {
        const QString path = dir.filePath(QStringLiteral("harvel.TOK"));
        Write(path, content);
        QVERIFY(LoadTokenFile(path.toLocal8Bit().toStdString(), tables));
    }

private slots:
    void readsSectionsWithCrLfLineEnds() {
        Load("; comment line with PRINT\r\n"
             "OUTSIDE words are ignored\r\n"
             "#BASIC_TOKENS print\tGoto\r\n"
             "\r\n"
             "; FOR is commented out\r\n"
             "if then [bracket 9nine\r\n"
             "#BASIC_TOKENS_END\r\n"
             "#ASM_TOKENS\r\n"
             "lda sta\r\n"
             "#ASM_TOKENS_END LATE\r\n"
             "#BASIC_TOKENS\r\nNEXT\r\n");
        for (const char* w : {"PRINT", "GOTO", "IF", "THEN", "NEXT"})
            QVERIFY2(tables.basicWords.Contains(w), w);
        for (const char* w : {"OUTSIDE", "FOR", "LDA", "LATE", "9NINE", "#BASIC_TOKENS"})
            QVERIFY2(!tables.basicWords.Contains(w), w);
        QVERIFY(tables.asmWords.Contains("LDA"));
        QVERIFY(tables.asmWords.Contains("STA"));
        QVERIFY(!tables.asmWords.Contains("PRINT"));
        // a CR left on the last word of a line would make it unfindable
        QVERIFY(tables.basicWords.words['G' - 'A'].find('\r') == std::string::npos);
        // stored under '[' but looked up under '_'
        QVERIFY(tables.basicWords.words['[' - 'A'].find("[BRACKET") != std::string::npos);
        QVERIFY(!tables.basicWords.Contains("[BRACKET"));
        QVERIFY(!tables.basicWords.Contains(""));
    }

    void cutsLongLines() {
        Load("#BASIC_TOKENS\n" + std::string(250, ' ') + "ABCDEFGH\n#BASIC_TOKENS_END\n");
        QVERIFY(tables.basicWords.Contains("ABCDE"));
        QVERIFY(!tables.basicWords.Contains("ABCDEFGH"));
    }

    void missingFileShowsTheErrorOnce() {
        platform::DialogRecorder recorder;
        tables.basicWords.Add("STALE");
        const std::string missing = dir.filePath("nothing.TOK").toLocal8Bit().toStdString();
        QVERIFY(!LoadTokenFile(missing, tables));
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QVERIFY(recorder.Boxes()[0].text.contains(QString::fromLocal8Bit(missing.c_str())));
        QVERIFY(recorder.Boxes()[0].text.contains(QStringLiteral("vordefinierten Wörtern")));
        QCOMPARE(recorder.Beeps().size(), size_t(1));
        QVERIFY(!tables.basicWords.Contains("STALE"));
        // every word is then an identifier
        QCOMPARE(Tokens(ScanBasicToken, tables, "PRINT"), (std::vector<Token>{{"PRINT", 6}}));
    }

    void shippedFileKnowsTheLanguage() {
        QVERIFY(LoadTokenFile(HARVEL_TOKEN_FILE, tables));
        for (const char* w : {"PRINT", "DIM", "WORD", "GOSUB", "WEND"})
            QVERIFY2(tables.basicWords.Contains(w), w);
    }

    void basicTokens() {
        Load("#BASIC_TOKENS\nPRINT DIM AS WORD\n#BASIC_TOKENS_END\n");
        using V = std::vector<Token>;
        QCOMPARE(Tokens(ScanBasicToken, tables, "  print x1_#a, \"hi\" ' note"),
                 (V{{"print", 5}, {"x1_#a", 6}, {",", 7}, {"\"hi\"", 2}, {"' note", 1}}));
        QCOMPARE(Tokens(ScanBasicToken, tables, "#Loop: GOTO #Loop"),
                 (V{{"#Loop", 4}, {":", 7}, {"GOTO", 6}, {"#Loop", 4}}));
        QCOMPARE(Tokens(ScanBasicToken, tables, "x=&H1fG+&b102"),
                 (V{{"x", 6}, {"=", 7}, {"&H1f", 3}, {"G", 6}, {"+", 7}, {"&b10", 3}, {"2", 3}}));
        // "&H" needs two more characters before it counts as a number
        QCOMPARE(Tokens(ScanBasicToken, tables, "a&H"), (V{{"a", 6}, {"&", 7}, {"H", 6}}));
        QCOMPARE(Tokens(ScanBasicToken, tables, "&HZ"), (V{{"&", 7}, {"HZ", 6}}));
        QCOMPARE(Tokens(ScanBasicToken, tables, "PRINT \"open"), (V{{"PRINT", 5}, {"\"open", 2}}));
        QCOMPARE(Tokens(ScanBasicToken, tables, "a<>b"),
                 (V{{"a", 6}, {"<", 0}, {">", 0}, {"b", 6}}));
        // a lone '#' at the end is no label
        QCOMPARE(Tokens(ScanBasicToken, tables, "1 #"), (V{{"1", 3}, {"#", 0}}));
        QCOMPARE(Tokens(ScanBasicToken, tables, "   "), (V{{"", 0}}));
    }

    void assemblerTokens() {
        Load("#ASM_TOKENS\nLDA\n#ASM_TOKENS_END\n#BASIC_TOKENS\nPRINT\n#BASIC_TOKENS_END\n");
        using V = std::vector<Token>;
        QCOMPARE(Tokens(ScanAsmToken, tables, " lda $1F,@17 : rest"),
                 (V{{"lda", 5}, {"$1F", 3}, {",", 7}, {"@17", 3}, {": rest", 1}}));
        QCOMPARE(Tokens(ScanAsmToken, tables, "* whole line"), (V{{"* whole line", 1}}));
        // '*' later in the line is a symbol
        QCOMPARE(Tokens(ScanAsmToken, tables, "PRINT 2*'a'"),
                 (V{{"PRINT", 6}, {"2", 3}, {"*", 7}, {"'a", 2}, {"'", 2}}));
        QCOMPARE(Tokens(ScanAsmToken, tables, "$G @8 '"),
                 (V{{"$", 7}, {"G", 6}, {"@", 7}, {"8", 3}, {"'", 2}}));
    }
};

QTEST_MAIN(TestKeywords)
#include "tst_keywords.moc"
