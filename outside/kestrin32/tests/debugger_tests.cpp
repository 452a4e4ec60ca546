// Stepping, events, breakpoints, symbols and compiler messages as the debugger sees them.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "outside/kestrin32/tests/session.h"

using kestrin::test::RunResult;
using kestrin::test::Session;

namespace {

uint16_t Event(uint32_t r) {
    return static_cast<uint16_t>(r & 0xFFFF);
}
uint16_t Value(uint32_t r) {
    return static_cast<uint16_t>(r >> 16);
}

std::vector<std::pair<int, int>> Steps(Session& s, int count) {
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < count; ++i) {
        uint32_t r = LinotrexStep(s.handle());
        out.emplace_back(Event(r), Value(r));
    }
    return out;
}

using Steps_t = std::vector<std::pair<int, int>>;

} // namespace

TEST(KestrinStepping, EachStepRunsOneStatementAndNamesTheNextLine) {
    Session s;
    ASSERT_TRUE(s.load("DIM a AS WORD\r\na = 1\r\na = a + 1 : a = a * 3\r\n' nichts\r\n"
                       "PRINT a\r\n"));
    EXPECT_EQ(Steps(s, 6), (Steps_t{{1, 3}, {1, 3}, {1, 5}, {3, 5}, {3, 5}, {0, 0}}));
    EXPECT_EQ(s.value("a"), 6);
}

TEST(KestrinStepping, LoopsComeBackToTheirFirstStatement) {
    Session s;
    ASSERT_TRUE(s.load("DIM i AS WORD\r\nFOR i = 1 TO 2\r\n  i = i\r\nNEXT\r\nEND\r\n"));
    EXPECT_EQ(Steps(s, 6), (Steps_t{{1, 3}, {1, 4}, {1, 3}, {1, 4}, {1, 5}, {0, 0}}));
}

TEST(KestrinStepping, OutputOfALineEndingAtAStatementStartStillReportsThatLine) {
    Session s;
    ASSERT_TRUE(s.load("PRINT 1;\r\nPRINT 2;\r\n"));
    uint32_t r = LinotrexStep(s.handle());
    EXPECT_EQ(Event(r), LinotrexEventOutput);
    EXPECT_STREQ(LinotrexGetOutputString(s.handle()), "1");
    EXPECT_EQ(Steps(s, 3), (Steps_t{{1, 2}, {3, 2}, {0, 0}}));
    EXPECT_STREQ(LinotrexGetOutputString(s.handle()), "");
}

TEST(KestrinStepping, AnEndedProgramStartsAfreshAtTheNextStep) {
    Session s;
    ASSERT_TRUE(s.load("DIM a AS WORD\r\nPORT[1] = 1\r\na = a + 1\r\nPRINT a\r\n"));
    EXPECT_EQ(s.run().output, "1\r\n");
    // Outputs stay visible after the end until the program runs again.
    EXPECT_EQ(LinotrexGetPortState(s.handle()) & 1, 1u);
    EXPECT_EQ(s.run().output, "1\r\n");
}

TEST(KestrinStepping, LongRunsInsideOneStatementHandControlBack) {
    Session s;
    ASSERT_TRUE(s.load("PRINT 1\r\nDO\r\nLOOP\r\n"));
    RunResult r = s.run(5);
    EXPECT_EQ(r.output, "1\r\n");
    EXPECT_EQ(Event(r.last), LinotrexEventStep);
    EXPECT_EQ(Value(r.last), 3);
}

TEST(KestrinStepping, ErrorsRepeatFromTheStatementStart) {
    Session s;
    ASSERT_TRUE(s.load("DIM a AS WORD\r\nPRINT 5 / a\r\n"));
    uint32_t r = LinotrexStep(s.handle());
    EXPECT_EQ(Event(r), LinotrexEventError);
    EXPECT_EQ(Value(r), 1);
    EXPECT_EQ(LinotrexStep(s.handle()), r);
    // Setting the variable mends it and the same statement goes on.
    LinotrexSetValue(s.handle(), LinotrexMapSymbol(s.handle(), "A"), 2);
    EXPECT_EQ(s.run().output, "2\r\n");
}

TEST(KestrinStepping, AFailingStepKeepsTheInputItCompleted) {
    Session s;
    ASSERT_TRUE(s.load("PRINT 10 / RXD\r\n"));
    EXPECT_EQ(Steps(s, 2), (Steps_t{{2, 0}, {2, 0}}));
    LinotrexSetInputValue(s.handle(), 256); // the low byte is 0
    EXPECT_EQ(Steps(s, 2), (Steps_t{{0xFFFF, 1}, {0xFFFF, 1}}));
    LinotrexSetInputValue(s.handle(), 5);
    EXPECT_EQ(s.run().output, "2\r\n");
}

TEST(KestrinStepping, InputRepeatsUntilAValueIsGiven) {
    Session s;
    ASSERT_TRUE(s.load("DIM a AS WORD\r\nINPUT a\r\nPRINT a * 2\r\n"));
    EXPECT_EQ(Steps(s, 3), (Steps_t{{2, 0}, {2, 0}, {2, 0}}));
    LinotrexSetInputValue(s.handle(), -21);
    EXPECT_EQ(Steps(s, 1), (Steps_t{{1, 3}}));
    EXPECT_EQ(s.run().output, "-42\r\n");
}

TEST(KestrinStepping, PausesWaitForTheCaller) {
    Session s;
    ASSERT_TRUE(s.load("PAUSE 0\r\nPAUSE 200\r\nPAUSE -1\r\n"));
    EXPECT_EQ(Steps(s, 7), (Steps_t{{5, 0}, {1, 2}, {5, 200}, {1, 3}, {5, 65535}, {0, 0}, {5, 0}}));
}

TEST(KestrinStepping, AutoTimingTakesTheClockFromThePc) {
    Session s(LinotrexAutoTiming);
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    ASSERT_TRUE(s.load("PRINT YEAR; \"-\"; MONTH\r\n"));
    std::string expected = std::to_string(t.tm_year % 100) + "-" + std::to_string(t.tm_mon + 1);
    EXPECT_EQ(s.run().output, expected + "\r\n");
}

TEST(KestrinBreakpoints, ValidExactlyWhereAStatementStarts) {
    Session s;
    ASSERT_TRUE(s.load("DIM a AS WORD\r\n#Anfang\r\nIF a THEN\r\n  a = 1\r\nELSE\r\n  a = 2\r\n"
                       "ENDIF\r\n\r\nWAIT a\r\nDO\r\nLOOP UNTIL a\r\nCONST X = 1\r\nEND\r\n"));
    std::vector<int> valid;
    for (int line = -1; line <= 15; ++line)
        if (LinotrexIsValidBreakPoint(s.handle(), line))
            valid.push_back(line);
    EXPECT_EQ(valid, (std::vector<int>{3, 4, 6, 9, 11, 13}));
    EXPECT_EQ(s.compile("x = \r\n"), 1 | 1 << 16);
    EXPECT_FALSE(LinotrexIsValidBreakPoint(s.handle(), 1));
}

TEST(KestrinSymbols, DeclaredNamesAnyCaseAndResources) {
    Session s;
    ASSERT_TRUE(s.load("DIM Zaehler AS WORD, f AS BIT @ 33\r\nCONST K = 5\r\nZaehler = -7\r\n"
                       "f = 1\r\nPORT[3] = 1\r\nDA[2] = 77\r\n"));
    s.run();
    EXPECT_EQ(s.value("zaehler"), -7);
    EXPECT_EQ(s.value("ZAEHLER"), -7);
    EXPECT_EQ(s.value("F"), -1);
    EXPECT_EQ(s.value("bit[33]"), -1);
    EXPECT_EQ(s.value("BYTE[5]"), 1);
    EXPECT_EQ(s.value("port[3]"), 1);
    EXPECT_EQ(s.value("DA[2]"), 77);
    EXPECT_EQ(LinotrexMapSymbol(s.handle(), "K"), 0u);
    EXPECT_EQ(LinotrexMapSymbol(s.handle(), "nix"), 0u);
    EXPECT_EQ(LinotrexMapSymbol(s.handle(), "PORT[17]"), 0u);
    EXPECT_EQ(LinotrexMapSymbol(s.handle(), "WORD[1] + 1"), 0u);
    EXPECT_EQ(LinotrexMapSymbol(s.handle(), nullptr), 0u);
}

TEST(KestrinSymbols, SetValueChecksRanges) {
    Session s;
    ASSERT_TRUE(s.load("DIM b AS BYTE, w AS WORD, f AS BIT\r\nPRINT PORT[2]; b; w; f\r\n"));
    LinotrexHandle h = s.handle();
    uint32_t b = LinotrexMapSymbol(h, "b");
    EXPECT_FALSE(LinotrexSetValue(h, b, 256));
    EXPECT_FALSE(LinotrexSetValue(h, b, -1));
    EXPECT_TRUE(LinotrexSetValue(h, b, 255));
    EXPECT_TRUE(LinotrexSetValue(h, LinotrexMapSymbol(h, "w"), -300));
    EXPECT_FALSE(LinotrexSetValue(h, LinotrexMapSymbol(h, "f"), 2));
    EXPECT_TRUE(LinotrexSetValue(h, LinotrexMapSymbol(h, "f"), -1));
    EXPECT_FALSE(LinotrexSetValue(h, MakeLinotrexMapCode(3, 2, 1), 2));
    EXPECT_TRUE(LinotrexSetValue(h, MakeLinotrexMapCode(3, 2, 1), 1));
    EXPECT_FALSE(LinotrexSetValue(h, MakeLinotrexMapCode(3, 2, 16), 1));
    EXPECT_FALSE(LinotrexSetValue(h, MakeLinotrexMapCode(1, 1, 12), 1));
    EXPECT_FALSE(LinotrexSetValue(h, MakeLinotrexMapCode(2, 1, 24), 1));
    EXPECT_FALSE(LinotrexSetValue(h, MakeLinotrexMapCode(3, 1, 192), 1));
    EXPECT_FALSE(LinotrexSetValue(h, MakeLinotrexMapCode(1, 3, 8), 1));
    EXPECT_FALSE(LinotrexSetValue(h, MakeLinotrexMapCode(1, 5, 11), 1));
    EXPECT_FALSE(LinotrexSetValue(h, MakeLinotrexMapCode(1, 6, 0), 1));
    EXPECT_EQ(LinotrexGetValue(h, MakeLinotrexMapCode(1, 1, 12)), 0);
    EXPECT_TRUE(LinotrexSetValue(h, MakeLinotrexMapCode(1, 5, 0), 2026));
    EXPECT_EQ(LinotrexGetValue(h, MakeLinotrexMapCode(1, 5, 0)), 2026 % 256 % 100);
    EXPECT_EQ(s.run().output, "-1255-300-1\r\n");
    EXPECT_EQ(MakeLinotrexMapCode(3, 2, 15), 0x0302000Fu);
}

TEST(KestrinMessages, EveryErrorNamesItsLineInGerman) {
    Session s;
    const std::string src = "DIM a AS WORD\r\n"
                            "a = b\r\n"
                            "TIMER = 1\r\n"
                            "PRINT DA[1]\r\n"
                            "PORT[17] = 1\r\n"
                            "DIM print AS BYTE\r\n"
                            "DIM a AS BYTE\r\n"
                            "GOTO #Nirgends\r\n"
                            "NEXT\r\n"
                            "PRINT \"offen\r\n"
                            "a = 3 $ 4\r\n"
                            "FOR a = 1 TO 2 STEP a\r\n"
                            "WEND\r\n"
                            "IF a THEN\r\n"
                            "#Doppelt\r\n"
                            "#Doppelt\r\n";
    int r = s.compile(src);
    EXPECT_EQ(r & 0xFFFF, 1);
    EXPECT_EQ(r >> 16, 14);
    EXPECT_STREQ(s.messages(), "Zeile 2: unbekannter Name 'B'\r\n"
                               "Zeile 3: 'TIMER' kann nur gelesen werden\r\n"
                               "Zeile 4: 'DA[1]' kann nur geschrieben werden\r\n"
                               "Zeile 5: Index au\xDF"
                               "erhalb 1..16\r\n"
                               "Zeile 6: 'PRINT' ist ein Schl\xFCsselwort\r\n"
                               "Zeile 7: Name 'A' ist bereits vergeben\r\n"
                               "Zeile 8: Sprungmarke #NIRGENDS nicht definiert\r\n"
                               "Zeile 9: NEXT ohne FOR\r\n"
                               "Zeile 10: Text ohne schlie\xDF"
                               "endes Anf\xFChrungszeichen\r\n"
                               "Zeile 11: unerwartetes Zeichen '$'\r\n"
                               "Zeile 12: STEP muss eine Konstante ungleich 0 sein\r\n"
                               "Zeile 13: WEND ohne WHILE\r\n"
                               "Zeile 14: IF ohne ENDIF\r\n"
                               "Zeile 16: Sprungmarke #DOPPELT ist doppelt\r\n");
}

TEST(KestrinMessages, TheBufferTakesOnlyWholeLines) {
    LinotrexHandle h = LinotrexCreate();
    char buffer[40];
    std::memset(buffer, 'x', sizeof buffer);
    LinotrexSetCompilerMessageBuffer(h, buffer, 30);
    const char* src = "x = 1\r\ny = 2\r\n";
    LinotrexSetMemSourcePointer(h, src);
    EXPECT_EQ(LinotrexCompile(h, ""), 1 | 2 << 16);
    EXPECT_EQ(std::string(buffer), ""); // the first line needs 31 bytes and the zero
    EXPECT_EQ(buffer[1], 'x');
    LinotrexSetCompilerMessageBuffer(h, buffer, 32);
    EXPECT_EQ(LinotrexCompile(h, ""), 1 | 2 << 16);
    EXPECT_EQ(std::string(buffer), "Zeile 1: unbekannter Name 'X'\r\n");
    EXPECT_EQ(buffer[32], 'x');
    LinotrexDestroy(h);
}

TEST(KestrinMessages, AFailedCompileLeavesNothingToRun) {
    Session s;
    ASSERT_TRUE(s.load("DIM a AS WORD\r\na = 5\r\n"));
    EXPECT_GT(LinotrexGetCodeLength(s.handle()), 0);
    EXPECT_EQ(s.compile("DIM a AS WORD\r\na = \r\n") & 0xFFFF, 1);
    EXPECT_EQ(LinotrexGetCodeLength(s.handle()), 0);
    EXPECT_EQ(LinotrexStep(s.handle()), 0u);
    EXPECT_EQ(LinotrexMapSymbol(s.handle(), "a"), 0u);
    LinotrexSetMemSourcePointer(s.handle(), nullptr);
    EXPECT_EQ(LinotrexCompile(s.handle(), ""), LinotrexCompileReadError);
}

TEST(KestrinMessages, ProgramsBeyondTheMemoryAreRefused) {
    Session s;
    std::string src = "DIM a AS WORD\r\n";
    for (int i = 0; i < 1200; ++i)
        src += "a = a + 1\r\n";
    int r = s.compile(src);
    EXPECT_EQ(r, 1 | 1 << 16);
    EXPECT_NE(std::string(s.messages()).find("Programm zu lang"), std::string::npos);
}

// Another thread's reads see whole statements: the counter only ever grows, low and high
// byte together.
TEST(KestrinSymbols, ReadsFromAnotherThreadSeeWholeValues) {
    Session s;
    ASSERT_TRUE(s.load("DIM i AS WORD\r\ni = 250\r\n#L\r\ni = i + 1\r\nIF i < 2000 THEN #L\r\n"));
    std::atomic<bool> done{false};
    std::atomic<int> decreases{0}, reads{0};
    std::thread reader([&] {
        uint32_t id = LinotrexMapSymbol(s.handle(), "i");
        int last = 0;
        while (!done) {
            int v = LinotrexGetValue(s.handle(), id);
            if (v < last)
                ++decreases;
            last = v;
            ++reads;
        }
    });
    RunResult r = s.run(1000000);
    while (reads < 10) // make sure the reader ran at all
        std::this_thread::yield();
    done = true;
    reader.join();
    EXPECT_TRUE(r.ended());
    EXPECT_EQ(decreases, 0);
}
