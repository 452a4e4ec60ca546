// Every construct of the language runs and shows its effect through the library's C functions.
#include <gtest/gtest.h>

#include "outside/kestrin32/tests/session.h"

using kestrin::test::RunResult;
using kestrin::test::Session;

namespace {

// Source lines joined with CR LF as the wrapper hands them over.
std::string Lines(std::initializer_list<const char*> lines) {
    std::string s;
    for (const char* l : lines)
        s += std::string(l) + "\r\n";
    return s;
}

} // namespace

TEST(KestrinDeclarations, VariablesOfEachWidthKeepTheirRange) {
    Session s;
    EXPECT_EQ(s.output(Lines({"DIM w AS WORD, b AS BYTE, f AS BIT", "w = 40000", "b = 300", "f = 5",
                              "PRINT w; \" \"; b; \" \"; f", "f = 0", "PRINT f"})),
              "-25536 44 -1\r\n0\r\n");
}

TEST(KestrinDeclarations, OverlaysShareTheirCells) {
    Session s;
    EXPECT_EQ(s.output(Lines({"DIM w AS WORD @ 2", "DIM lo AS BYTE @ 3, hi AS BYTE @ 4",
                              "DIM b0 AS BIT @ 17, b9 AS BIT @ 27", "w = &H0201 + &B1000000000",
                              "PRINT lo; \",\"; hi; \",\"; b0; \",\"; b9",
                              "PRINT WORD[2]; \",\"; BYTE[4]; \",\"; BIT[27]"})),
              "1,4,-1,-1\r\n1025,4,-1\r\n");
}

TEST(KestrinDeclarations, AutomaticPlacementAvoidsExplicitCells) {
    Session s;
    ASSERT_TRUE(s.load(Lines({"DIM a AS WORD @ 1", "DIM b AS WORD", "DIM c AS BYTE", "DIM d AS BIT",
                              "a = 1 : b = 2 : c = 3 : d = 1"})));
    s.run();
    EXPECT_EQ(s.value("a"), 1);
    EXPECT_EQ(s.value("B"), 2);
    EXPECT_EQ(s.value("c"), 3);
    EXPECT_EQ(s.value("d"), -1);
    // b sits in word 2, c in byte 5, d in the last bit
    EXPECT_EQ(LinotrexMapSymbol(s.handle(), "b"), MakeLinotrexMapCode(1, 1, 1));
    EXPECT_EQ(LinotrexMapSymbol(s.handle(), "c"), MakeLinotrexMapCode(2, 1, 4));
    EXPECT_EQ(LinotrexMapSymbol(s.handle(), "d"), MakeLinotrexMapCode(3, 1, 191));
}

TEST(KestrinDeclarations, MemoryRunsOutAfterTwelveWords) {
    Session s;
    std::string src;
    for (int i = 0; i < 13; ++i)
        src += "DIM v" + std::to_string(i) + " AS WORD\r\n";
    EXPECT_EQ(s.compile(src), 1 | 1 << 16);
    EXPECT_STREQ(s.messages(), "Zeile 13: kein Speicher mehr frei f\xFCr 'V12'\r\n");
}

TEST(KestrinDeclarations, ConstantsAndTables) {
    Session s;
    EXPECT_EQ(s.output(Lines({"CONST N = 3 * 4", "TABLE sq = 0, 1, 4, 9,", "  16, N * N",
                              "DIM i AS WORD", "FOR i = 0 TO 5", "PRINT sq(i); \" \";", "NEXT",
                              "PRINT", "PRINT 100 - sq(2) * 2 + sq(sq(2) - 1)"})),
              "0 1 4 9 16 144 \r\n101\r\n");
    EXPECT_EQ(LinotrexGetSysCodeLength(s.handle()), 12);
}

TEST(KestrinArithmetic, OperatorsFollowPrecedence) {
    Session s;
    EXPECT_EQ(s.output(Lines({"DIM a AS WORD, b AS WORD", "a = 7 : b = -3",
                              "PRINT a + b * 2; \",\"; (a + b) * 2; \",\"; a / b; \",\"; a MOD b",
                              "PRINT -a MOD 4; \",\"; a SHL 2; \",\"; b SHR 1; \",\"; 1 SHL 16",
                              "PRINT a > b; \",\"; a = 7 AND b < 0; \",\"; NOT a; \",\"; a XOR 5",
                              "PRINT a <= 7; a >= 8; a <> b; \",\"; 6 OR 1 AND 3"})),
              "1,8,-2,1\r\n-3,28,-2,0\r\n-1,-1,-8,2\r\n-10-1,7\r\n");
}

TEST(KestrinArithmetic, SixteenBitEdges) {
    Session s;
    EXPECT_EQ(s.output(Lines({"DIM a AS WORD", "a = 32767", "a = a + 1", "PRINT a", "a = -32768",
                              "PRINT a / -1; \",\"; ABS(a); \",\"; -a", "a = 300",
                              "PRINT a * a; \",\"; 65535; \",\"; &HFFFF"})),
              "-32768\r\n-32768,-32768,-32768\r\n24464,-1,-1\r\n");
}

TEST(KestrinArithmetic, Functions) {
    Session s;
    EXPECT_EQ(s.output(Lines({"DIM a AS WORD", "a = -9",
                              "PRINT ABS(a); SGN(a); SGN(0); SGN(4); \",\"; SQR(10); SQR(-4); "
                              "SQR(32767)",
                              "PRINT MAX(a, 3); \",\"; MIN(a, 3); \",\"; MAX(MIN(5, 2), 1)"})),
              "9-101,30181\r\n3,-9,2\r\n");
}

TEST(KestrinArithmetic, RandomNumbersRepeatAfterTheSameSeed) {
    Session s;
    std::string out =
        s.output(Lines({"DIM i AS WORD", "RANDOMIZE 7", "PRINT RND; \",\";",
                        "PRINT RND(10); \",\";", "RANDOMIZE 7", "PRINT RND", "FOR i = 1 TO 50",
                        "IF RND(6) > 5 OR RND(6) < 0 THEN PRINT \"X\"", "NEXT"}));
    // 7 * 251 = 1757; 1757 * 251 = 47791 (16 bits), its high 15 bits 23895 / 3276 = 7, MOD 10
    EXPECT_EQ(out, "1757,7,1757\r\n");
}

TEST(KestrinArithmetic, ShiftCountsAndRandomRangesAtTheirEdges) {
    Session s;
    EXPECT_EQ(s.output(Lines({"DIM n AS WORD, i AS WORD", "n = 16", "PRINT 1 SHL n; -8 SHR n",
                              "n = 32", "PRINT 1 SHL n; \",\"; -8 SHR n; \",\"; 3 SHL 33",
                              "RANDOMIZE 3", "FOR i = 1 TO 40",
                              "IF RND(-3) < 0 OR RND(-3) > 2 THEN PRINT \"X\"", "NEXT"})),
              "0-1\r\n1,-8,6\r\n");
    ASSERT_TRUE(s.load(Lines({"DIM n AS WORD", "PRINT RND(n)"})));
    RunResult r = s.run();
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(r.errorCode(), 1);
}

TEST(KestrinArithmetic, DivisionByZeroStopsWithErrorOne) {
    Session s;
    ASSERT_TRUE(s.load(Lines({"DIM a AS WORD", "PRINT 1", "a = 5 / a", "PRINT 2"})));
    RunResult r = s.run();
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(r.errorCode(), 1);
    EXPECT_EQ(r.output, "1\r\n");
}

TEST(KestrinArithmetic, ConstantDivisionByZeroIsACompileError) {
    Session s;
    EXPECT_EQ(s.compile("PRINT 1 / (2 - 2)\r\n") & 0xFFFF, 1);
    EXPECT_STREQ(s.messages(), "Zeile 1: Division durch Null\r\n");
}

TEST(KestrinArithmetic, ExpressionsBeyondSevenStackEntriesAreRefused) {
    Session s;
    ASSERT_TRUE(s.load("DIM a AS WORD\r\nPRINT a + (a + (a + (a + (a + (a + 1)))))\r\n"));
    EXPECT_EQ(s.compile("DIM a AS WORD\r\nPRINT a + (a + (a + (a + (a + (a + (a + 1))))))\r\n"),
              1 | 1 << 16);
    EXPECT_NE(std::string(s.messages()).find("Zeile 2: Ausdruck zu komplex"), std::string::npos);
}

TEST(KestrinArithmetic, TableReadsInsideDeepExpressionsKeepTheStackRight) {
    Session s;
    EXPECT_EQ(s.output(Lines({"TABLE t = 10, 20, 30", "DIM i AS WORD", "i = 2",
                              "PRINT 1 - t(i) + 5 * t(i - 1) - t(0); \",\"; t(t(0) / 10)",
                              "PRINT MAX(t(0), t(1)) - MIN(t(2), 1000)"})),
              "61,20\r\n-10\r\n");
}

TEST(KestrinControlFlow, IfOnOneLineWithElse) {
    Session s;
    EXPECT_EQ(s.output(Lines({"DIM a AS WORD", "FOR a = 1 TO 3",
                              "IF a = 2 THEN PRINT \"zwei\" : PRINT \"!\" ELSE PRINT a",
                              "IF a > 1 THEN IF a > 2 THEN PRINT \"gross\" ELSE PRINT \"mittel\"",
                              "NEXT a"})),
              "1\r\nzwei\r\n!\r\nmittel\r\n3\r\ngross\r\n");
}

TEST(KestrinControlFlow, BlockIfWithElseAndNesting) {
    Session s;
    EXPECT_EQ(
        s.output(Lines({"DIM a AS WORD", "FOR a = 1 TO 4", "IF a MOD 2 = 0 THEN", "  IF a = 4 THEN",
                        "    PRINT \"vier\"", "  ELSE", "    PRINT \"gerade\"", "  ENDIF", "ELSE",
                        "  PRINT \"ungerade\"", "END IF", "NEXT"})),
        "ungerade\r\ngerade\r\nungerade\r\nvier\r\n");
}

TEST(KestrinControlFlow, GotoGosubReturnEnd) {
    Session s;
    EXPECT_EQ(s.output(Lines({"GOSUB #Hallo", "GOTO #Weiter", "PRINT \"nie\"", "#Weiter",
                              "GOSUB #Hallo : PRINT \"ende\"", "END", "#Hallo: PRINT \"hallo\"",
                              "RETURN"})),
              "hallo\r\nhallo\r\nende\r\n");
}

TEST(KestrinControlFlow, OnGotoAndOnGosubPickTheNthTarget) {
    Session s;
    EXPECT_EQ(s.output(Lines({"DIM i AS WORD", "FOR i = 0 TO 3", "ON i GOSUB #A, #B, #C",
                              "ON i GOTO #X, #Y", "PRINT \"-\";", "GOTO #N", "#X: PRINT \"x\";",
                              "GOTO #N", "#Y: PRINT \"y\";", "#N", "NEXT", "END",
                              "#A: PRINT \"a\"; : RETURN", "#B: PRINT \"b\"; : RETURN",
                              "#C: PRINT \"c\"; : RETURN"})),
              "-axbyc-");
}

TEST(KestrinControlFlow, ForLoopsWithStepAndAtTheEndOfTheRange) {
    Session s;
    EXPECT_EQ(s.output(Lines({"DIM i AS WORD, b AS BYTE", "FOR i = 10 TO 1 STEP -4",
                              "PRINT i; \" \";", "NEXT", "FOR i = 32765 TO 32767",
                              "PRINT i; \" \";", "NEXT", "FOR b = 254 TO 255", "PRINT b; \" \";",
                              "NEXT", "FOR i = 5 TO 1", "PRINT \"nie\"", "NEXT", "PRINT i"})),
              "10 6 2 32765 32766 32767 254 255 5\r\n");
}

TEST(KestrinControlFlow, ForLoopsEndWhereTheNextStepWouldLeaveTheVariablesRange) {
    Session s;
    EXPECT_EQ(
        s.output(Lines({"DIM i AS WORD, b AS BYTE", "FOR i = 32764 TO 32767 STEP 2",
                        "PRINT i; \" \";", "NEXT", "PRINT i", "FOR i = 0 TO 32767 STEP 20000",
                        "PRINT i; \" \";", "NEXT", "PRINT i", "FOR i = -32765 TO -32768 STEP -2",
                        "PRINT i; \" \";", "NEXT", "PRINT i"})),
        "32764 32766 32766\r\n0 20000 20000\r\n-32765 -32767 -32767\r\n");
    EXPECT_EQ(s.output(Lines({"DIM b AS BYTE, f AS BIT", "FOR b = 250 TO 255 STEP 2",
                              "PRINT b; \" \";", "NEXT", "FOR b = 5 TO 0 STEP -2",
                              "PRINT b; \" \";", "NEXT", "FOR b = 253 TO 1000", "PRINT b; \" \";",
                              "NEXT", "FOR b = 1 TO 0 STEP -32768", "PRINT b; \" \";", "NEXT",
                              "FOR f = -1 TO 5", "PRINT f; \" \";", "NEXT", "PRINT b; f"})),
              "250 252 254 5 3 1 253 254 255 1 -1 0 10\r\n");
}

TEST(KestrinControlFlow, DoAndWhileLoops) {
    Session s;
    EXPECT_EQ(s.output(Lines({"DIM i AS WORD",
                              "i = 0",
                              "DO",
                              "i = i + 1",
                              "LOOP WHILE i < 3",
                              "PRINT i;",
                              "DO",
                              "i = i - 1",
                              "LOOP UNTIL i = 0",
                              "PRINT i;",
                              "DO WHILE i < 2",
                              "i = i + 1",
                              "LOOP",
                              "PRINT i;",
                              "DO UNTIL i >= 4",
                              "i = i + 1",
                              "LOOP",
                              "PRINT i;",
                              "WHILE i > 0",
                              "i = i - 3",
                              "WEND",
                              "PRINT i;",
                              "DO",
                              "i = i + 1",
                              "IF i = 5 THEN GOTO #Raus",
                              "LOOP",
                              "#Raus: PRINT i"})),
              "3024-25\r\n");
}

TEST(KestrinControlFlow, GosubNestingBeyondFourSlotsIsRefused) {
    Session s;
    auto chain = [](int depth) {
        std::string src = "GOSUB #S1\r\nEND\r\n";
        for (int i = 1; i <= depth; ++i) {
            src += "#S" + std::to_string(i) + "\r\n";
            if (i < depth)
                src += "GOSUB #S" + std::to_string(i + 1) + "\r\n";
            src += "PRINT " + std::to_string(i) + ";\r\nRETURN\r\n";
        }
        return src;
    };
    EXPECT_EQ(s.output(chain(4)), "4321");
    EXPECT_EQ(s.compile(chain(5)), 1 | 1 << 16);
    // The fifth call, in #S4, is named.
    EXPECT_STREQ(s.messages(), "Zeile 16: GOSUB zu tief verschachtelt (mehr als 4 Ebenen)\r\n");
    EXPECT_EQ(s.compile("#A\r\nGOSUB #B\r\nRETURN\r\n#B\r\nGOSUB #A\r\nRETURN\r\n") & 0xFFFF, 1);
    EXPECT_NE(std::string(s.messages()).find("rekursiver GOSUB"), std::string::npos);
}

TEST(KestrinInputOutput, InputGetPutAndRxd) {
    Session s;
    s.inputs = {1234, 300, 65, 66};
    EXPECT_EQ(s.output(Lines({"DIM a AS WORD, b AS BYTE", "INPUT a", "GET b", "PRINT a; \",\"; b",
                              "PUT RXD : PUT RXD + 1", "PRINT"})),
              "1234,44\r\nAC\r\n");
}

TEST(KestrinInputOutput, PrintSeparators) {
    Session s;
    EXPECT_EQ(s.output(Lines({"PRINT 1, 2; 3;", "PRINT \"\"; \"a\",", "PRINT", "PRINT \"x\""})),
              "1 23a \r\nx\r\n");
}

TEST(KestrinInputOutput, PortsAndDirections) {
    Session s;
    ASSERT_TRUE(s.load(Lines({"PORT[1] = 1", "PORT[16] = TRUE", "BYTEPORT[1] = BYTEPORT[1] OR 4",
                              "TOGGLE PORT[2]", "DIR PORT[9] OUT", "DIR BYTEPORT[2] IN",
                              "DIR PORT[16] OUT", "PRINT PORT[1]; PORT[5]; WORDPORT"})));
    RunResult r = s.run();
    ASSERT_TRUE(r.ended());
    uint32_t st = LinotrexGetPortState(s.handle());
    EXPECT_EQ(st & 0xFFFF, 0x8007u);
    EXPECT_EQ(st >> 16, 0x80FFu);
    EXPECT_EQ(r.output, "-10-32761\r\n");
    ASSERT_TRUE(s.load("WORDPORT = &H1234\r\nDIR WORDPORT IN\r\nDIR BYTEPORT[1] OUT\r\n"));
    s.run();
    EXPECT_EQ(LinotrexGetPortState(s.handle()), 0x00FF1234u);
}

TEST(KestrinInputOutput, AnalogInputsOutputsAndInitialPorts) {
    Session s;
    LinotrexSetInitialPortState(s.handle(), 0x0101);
    ASSERT_TRUE(s.load("DA[2] = AD[3] + 1\r\nDA[1] = 300\r\nPRINT PORT[9]; PORT[2]\r\n"));
    LinotrexSetADC(s.handle(), 2, 99);
    RunResult r = s.run();
    EXPECT_EQ(r.output, "-10\r\n");
    EXPECT_EQ(LinotrexGetDAC(s.handle(), 1), 100);
    EXPECT_EQ(LinotrexGetDAC(s.handle(), 0), 44);
    EXPECT_EQ(LinotrexGetInitialPortState(s.handle()), 0x0101);
}

TEST(KestrinInputOutput, ClockTimerToneAndBaud) {
    Session s;
    ASSERT_TRUE(s.load(Lines({"DIM t AS WORD", "YEAR = 126", "HOUR = 13 : MINUTE = 5",
                              "SECOND = 9 : DAY = 31 : MONTH = 12 : WEEKDAY = 4", "BAUD 2400",
                              "TONE = 440", "t = TIMER", "PAUSE 25", "BEEP 880, 3, 2",
                              "PRINT YEAR; MONTH; DAY; WEEKDAY; HOUR; MINUTE; SECOND; \",\"; "
                              "TIMER - t; \",\"; FREQ"})));
    RunResult r = s.run();
    EXPECT_EQ(r.output, "126123141359,30,0\r\n");
    EXPECT_EQ(r.pauses, (std::vector<int>{25, 3, 2}));
    EXPECT_EQ(LinotrexGetValue(s.handle(), MakeLinotrexMapCode(1, 5, 8)), 0); // tone off again
    EXPECT_NE(s.compile("BAUD 1000\r\n") & 0xFFFF, 0);
}

TEST(KestrinInputOutput, WaitReportsEachPassUntilTheConditionHolds) {
    Session s;
    ASSERT_TRUE(s.load("WAIT PORT[3]\r\nPRINT \"los\"\r\n"));
    int passes = 0;
    s.onWait = [&passes](Session& self) {
        // The third pass finds the line set.
        if (++passes == 3)
            LinotrexSetValue(self.handle(), MakeLinotrexMapCode(3, 2, 2), 1);
        return passes < 10;
    };
    RunResult r = s.run();
    EXPECT_TRUE(r.ended());
    EXPECT_EQ(r.waits, 3);
    EXPECT_EQ(r.output, "los\r\n");
}

TEST(KestrinDataFile, WriteReadAppendAndKeepAcrossReset) {
    Session s;
    ASSERT_TRUE(s.load(Lines({"DIM v AS WORD, m AS WORD", "INPUT m", "IF m = 1 THEN",
                              "  FOPEN WRITE : FWRITE 7, -2 : FCLOSE", "  PRINT FILELEN;",
                              "  FOPEN APPEND", "  FWRITE 300", "  FCLOSE", "ELSE", "  FOPEN READ",
                              "  WHILE NOT EOF : FREAD v : PRINT \",\"; v; : WEND", "ENDIF"})));
    s.inputs = {1};
    RunResult r = s.run();
    EXPECT_EQ(r.output, "2");
    EXPECT_EQ(r.fileEvents, 2); // both words of line 4 in one step, then the append
    ASSERT_EQ(LinotrexGetFileLength(s.handle()), 3);
    int16_t words[4096] = {};
    LinotrexDumpFile(s.handle(), words);
    EXPECT_EQ(words[0], 7);
    EXPECT_EQ(words[1], -2);
    EXPECT_EQ(words[2], 300);

    // The closed file survives a reset and is read back by the next run.
    LinotrexResetProgram(s.handle());
    EXPECT_EQ(LinotrexGetFileLength(s.handle()), 3);
    s.inputs = {0};
    r = s.run();
    EXPECT_EQ(r.output, ",7,-2,300");
    EXPECT_EQ(r.fileEvents, 0);
}

TEST(KestrinDataFile, UnclosedWritesAreLostAtReset) {
    Session s;
    ASSERT_TRUE(s.load("FOPEN WRITE : FWRITE 1 : FCLOSE\r\nFOPEN APPEND : FWRITE 2, 3\r\n"));
    s.run();
    EXPECT_EQ(LinotrexGetFileLength(s.handle()), 3);
    LinotrexResetProgram(s.handle());
    EXPECT_EQ(LinotrexGetFileLength(s.handle()), 1);
}

TEST(KestrinDataFile, FreeSpaceShrinksAndOverflowIsAMemoryError) {
    Session s;
    ASSERT_TRUE(s.load(Lines({"DIM f AS WORD", "f = FILEFREE", "FOPEN WRITE", "FWRITE 1",
                              "PRINT f - FILEFREE", "DO", "FWRITE 1", "LOOP"})));
    RunResult r = s.run(1000000);
    EXPECT_EQ(r.output, "1\r\n");
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(r.errorCode(), 2);
}

TEST(KestrinStatements, SmallFormsOfEachStatement) {
    Session s;
    s.inputs = {3, -4, 70, 71};
    EXPECT_EQ(
        s.output(Lines(
            {"REM Kommentar : PRINT \"nie\"", "DIM a AS WORD, b AS WORD", "LET a = FALSE",
             "INPUT a, b", "IF a > b GOTO #Gross", "PRINT \"klein\"", "#Gross PRINT a; b",
             "IF b < 0 THEN #Negativ", "PRINT \"nie\"", "#Negativ: GET a, b", "PUT a, b, 13, 10",
             "FOPEN WRITE : FWRITE 11, 12 : FCLOSE", "FOPEN READ : FREAD a, b", "PRINT a + b"})),
        "3-4\r\nFG\r\n23\r\n");
}

TEST(KestrinStatements, WholePortDirections) {
    Session s;
    ASSERT_TRUE(s.load("DIR WORDPORT OUT\r\nDIR PORT[3] IN\r\nDIR BYTEPORT[2] IN\r\n"));
    s.run();
    EXPECT_EQ(LinotrexGetPortState(s.handle()) >> 16, 0x00FBu);
}

TEST(KestrinMessages, EachMistakeGetsItsMessage) {
    const struct {
        const char* source;
        const char* message;
    } cases[] = {
        {"TABLE t = 1, 2, 3\r\nPRINT t(3)", "Zeile 2: Tabellenindex au\xDF"
                                            "erhalb 0..2"},
        {"CONST K = 1\r\nK = 2", "Zeile 2: 'K' ist keine Variable"},
        {"DIM a AS WORD\r\nCONST K = a", "Zeile 2: konstanter Ausdruck erwartet"},
        {"DIM a AS WORD @ 13", "Zeile 1: Speicherzelle au\xDF"
                               "erhalb 1..12"},
        {"PRINT &HZZ", "Zeile 1: ung\xFCltige Zahl &HZZ"},
        {"PRINT 70000", "Zeile 1: ung\xFCltige Zahl 70000"},
        {"TABLE t = 1, 2\r\nPRINT 1 + t(RND(2))",
         "Zeile 2: Tabellenindex mit RND oder RXD nur am Anfang eines Ausdrucks erlaubt"},
        {"DIM a AS WORD, b AS WORD\r\nFOR a = 1 TO 2\r\nNEXT b",
         "Zeile 3: NEXT passt nicht zur FOR-Variablen 'A'"},
        {"LOOP", "Zeile 1: LOOP ohne DO"},
        {"ELSE", "Zeile 1: ELSE ohne IF"},
        {"ENDIF", "Zeile 1: ENDIF ohne IF"},
        {"DO", "Zeile 1: DO ohne LOOP"},
        {"\r\nWHILE 1", "Zeile 2: WHILE ohne WEND"},
        {"IF 1 THEN\r\nELSE\r\nELSE\r\nENDIF", "Zeile 3: zweites ELSE zu einem IF"},
        {"GOTO Marke", "Zeile 1: Sprungmarke (#Name) erwartet"},
        {"42", "Zeile 1: Anweisung erwartet"},
        {"PRINT (1", "Zeile 1: ')' erwartet"},
        {"DIM a AS LONG", "Zeile 1: BIT, BYTE oder WORD erwartet"},
        {"FOPEN", "Zeile 1: READ, WRITE oder APPEND erwartet"},
        {"ON 1 PRINT", "Zeile 1: GOTO oder GOSUB erwartet"},
        {"DIM i AS WORD\r\nIF 1 THEN FOR i = 1 TO 2",
         "Zeile 2: Block in einzeiligem IF nicht abgeschlossen"},
        {"DO\r\nIF 1 THEN PRINT 1 ELSE LOOP",
         "Zeile 2: Block in einzeiligem IF nicht abgeschlossen"},
        {"IF 1 GOTO PRINT", "Zeile 1: Sprungmarke (#Name) erwartet"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        Session s;
        EXPECT_EQ(s.compile(c.source), 1 | 1 << 16);
        EXPECT_EQ(std::string(s.messages()), std::string(c.message) + "\r\n");
    }
}

TEST(KestrinMessages, HugeOrDeepExpressionsAreRefusedNotFatal) {
    Session s;
    EXPECT_EQ(s.compile("PRINT " + std::string(5000, '(') + "1" + std::string(5000, ')')),
              1 | 1 << 16);
    EXPECT_STREQ(s.messages(), "Zeile 1: zu tief geschachtelt\r\n");
    // 99 levels of parentheses are the most a source may nest.
    EXPECT_EQ(s.compile("PRINT " + std::string(99, '(') + "1" + std::string(99, ')')), 0);
    EXPECT_EQ(s.compile("PRINT " + std::string(100, '(') + "1" + std::string(100, ')')) & 0xFFFF,
              1);
    std::string sum = "DIM a AS WORD\r\nPRINT a";
    for (int i = 0; i < 20000; ++i)
        sum += " + a";
    EXPECT_EQ(s.compile(sum), 1 | 1 << 16);
    EXPECT_STREQ(s.messages(), "Zeile 2: Ausdruck zu lang\r\n");
    std::string ifs = "PRINT 1";
    for (int i = 0; i < 3000; ++i)
        ifs = "IF 1 THEN " + ifs;
    EXPECT_EQ(s.compile(ifs), 1 | 1 << 16);
    EXPECT_STREQ(s.messages(), "Zeile 1: zu tief geschachtelt\r\n");
    std::string text = "PRINT \"" + std::string(256, 'x') + "\"";
    EXPECT_EQ(s.compile(text), 1 | 1 << 16);
    EXPECT_STREQ(s.messages(), "Zeile 1: Text zu lang (h\xF6"
                               "chstens 255 Zeichen)\r\n");
}

// Random bytes and shuffled fragments of real statements: always an answer, never a crash.
TEST(KestrinMessages, GarbageSourcesAreAnsweredWithMessages) {
    const char* pieces[] = {"IF ",
                            "THEN",
                            "ELSE",
                            "ENDIF",
                            "FOR ",
                            "NEXT",
                            "DO",
                            "LOOP",
                            "#L",
                            "GOSUB #L",
                            "RETURN",
                            " = ",
                            "(",
                            ")",
                            "a",
                            "1",
                            "\r\n",
                            ":",
                            ",",
                            "TABLE t = 1",
                            "t(",
                            "PRINT ",
                            "\"x\"",
                            ";",
                            "DIM a AS WORD",
                            "WAIT ",
                            "ON a GOSUB #L",
                            "WORD[",
                            "]",
                            "-",
                            "NOT "};
    uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    Session s;
    for (int round = 0; round < 400; ++round) {
        std::string src;
        int length = static_cast<int>(next() % 60);
        for (int i = 0; i < length; ++i) {
            if (round % 2)
                src += static_cast<char>(1 + next() % 255);
            else
                src += pieces[next() % (sizeof pieces / sizeof *pieces)];
        }
        int r = s.compile(src);
        ASSERT_TRUE((r & 0xFFFF) == 0 || (r & 0xFFFF) == 1) << src;
        if ((r & 0xFFFF) == 1) {
            EXPECT_EQ(std::string(s.messages()).rfind("Zeile ", 0), 0u) << src;
        } else {
            RunResult run = s.run(2000);
            (void)run;
        }
    }
}

// Constant expressions are computed by the compiler; they must agree with the unit's results.
TEST(KestrinArithmetic, FoldedConstantsAgreeWithTheMachine) {
    const char* ops[] = {"+",   "-", "*",  "/", "MOD", "AND", "OR", "XOR", "SHL",
                         "SHR", "=", "<>", "<", "<=",  ">",   ">=", "MAX", "MIN"};
    const int values[] = {-32768, -7, -1, 0, 1, 3, 16, 17, 32767};
    for (int x : values) {
        for (int y : values) {
            std::string folded = "PRINT ", computed = "PRINT ";
            for (const char* op : ops) {
                std::string o = op;
                if ((o == "/" || o == "MOD") && y == 0)
                    continue;
                const std::string a = "(" + std::to_string(x) + ")";
                const std::string b = "(" + std::to_string(y) + ")";
                if (o == "MAX" || o == "MIN") {
                    folded += o + "(" + a + ", " + b + "); \",\"; ";
                    computed += o + "(x, y); \",\"; ";
                } else {
                    folded += a + " " + o + " " + b + "; \",\"; ";
                    computed += "x " + o + " y; \",\"; ";
                }
            }
            SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
            Session s;
            std::string head = "DIM x AS WORD, y AS WORD\r\nx = " + std::to_string(x) +
                               " : y = " + std::to_string(y) + "\r\n";
            std::string a = s.output(head + folded + "\r\n");
            int foldedLength = LinotrexGetCodeLength(s.handle());
            std::string b = s.output(head + computed + "\r\n");
            EXPECT_EQ(a, b);
            EXPECT_GT(a.size(), 20u);
            // Folding left one push per result instead of two loads and the operation.
            EXPECT_LT(foldedLength, LinotrexGetCodeLength(s.handle()));
        }
    }
    Session s;
    EXPECT_EQ(s.output("PRINT SQR(10); ABS(-32768); SGN(-5); NOT 0\r\n"), "3-32768-1-1\r\n");
}
