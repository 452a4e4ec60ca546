// Square roots, random numbers and port writes through the library's C functions.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "outside/kestrin32/tests/session.h"

using kestrin::test::Session;

namespace {

// The numbers a program printed, separated by blanks.
std::vector<int> Numbers(const std::string& text) {
    std::vector<int> v;
    std::istringstream in(text);
    for (int n; in >> n;)
        v.push_back(n);
    return v;
}

} // namespace

TEST(KestrinFunctions, SquareRootIsExactOverTheWholeRange) {
    Session s;
    // Each word's root is printed; the run checks every value from 0 to 32767 and some below.
    ASSERT_TRUE(s.load("DIM x AS WORD, r AS WORD\r\nx = -3\r\n"
                       "#L\r\nr = SQR(x)\r\nIF r < 0 OR r * r > x AND x >= 0 THEN PRINT x\r\n"
                       "IF x >= 0 AND r < 181 AND (r + 1) * (r + 1) <= x THEN PRINT x\r\n"
                       "IF x < 0 AND r <> 0 THEN PRINT x\r\n"
                       "IF x = 32767 THEN END\r\nx = x + 1\r\nGOTO #L\r\n"));
    auto r = s.run(2000000);
    EXPECT_TRUE(r.ended());
    EXPECT_EQ(r.output, "");
    EXPECT_EQ(
        s.output("DIM a AS WORD\r\na = 15\r\nPRINT SQR(8); SQR(a); SQR(a + 1008); SQR(-32768); "
                 "SQR(1); SQR(0)\r\n"),
        "2331010\r\n"); // 2, 3, 31 (1023), 0, 1, 0
    EXPECT_EQ(s.compile("PRINT SQR(RND)\r\n") & 0xFFFF, LinotrexCompileErrors);
    EXPECT_STREQ(s.messages(), "Zeile 1: SQR mit RND oder RXD im Argument nicht erlaubt\r\n");
}

TEST(KestrinFunctions, RandomRangesReachEveryValue) {
    Session s;
    for (int n : {2, 3, 7, 10, 64, 100}) {
        const std::string src =
            "DIM i AS WORD, n AS WORD\r\nRANDOMIZE 77\r\nn = " + std::to_string(n) +
            "\r\nFOR i = 1 TO 500\r\nPRINT RND(" + std::to_string(n) +
            "); \" \"; RND(n); \" \";\r\nNEXT\r\n";
        std::vector<int> v = Numbers(s.output(src));
        ASSERT_EQ(v.size(), 1000u) << n;
        std::set<int> seen(v.begin(), v.end());
        EXPECT_EQ(seen.size(), static_cast<size_t>(n)) << n;
        EXPECT_GE(*seen.begin(), 0) << n;
        EXPECT_LT(*seen.rbegin(), n) << n;
    }
    std::set<int> negative;
    for (int k : Numbers(
             s.output("DIM i AS WORD\r\nFOR i = 1 TO 200\r\nPRINT RND(-5); \" \";\r\nNEXT\r\n")))
        negative.insert(k);
    EXPECT_EQ(negative, (std::set<int>{0, 1, 2, 3, 4}));
}

TEST(KestrinFunctions, RandomWithoutRandomizeAfterAResetIsNotStuck) {
    Session s;
    std::vector<int> v = Numbers(s.output("PRINT RND; \" \"; RND; \" \"; RND\r\n"));
    ASSERT_EQ(v.size(), 3u);
    EXPECT_NE(v[0], 0);
    EXPECT_NE(v[0], v[1]);
    EXPECT_NE(v[1], v[2]);
}

TEST(KestrinSymbols, OutputLinesRefuseLevelsFromOutside) {
    Session s;
    ASSERT_TRUE(s.load("PORT[2] = 1\r\nPAUSE 1\r\nPRINT PORT[2]; PORT[3]\r\n"));
    LinotrexHandle h = s.handle();
    LinotrexStep(h); // PORT[2] is an output now
    EXPECT_FALSE(LinotrexSetValue(h, MakeLinotrexMapCode(3, 2, 1), 0));
    EXPECT_FALSE(LinotrexSetValue(h, MakeLinotrexMapCode(2, 2, 0), 0));
    EXPECT_FALSE(LinotrexSetValue(h, MakeLinotrexMapCode(1, 2, 0), 0));
    EXPECT_TRUE(LinotrexSetValue(h, MakeLinotrexMapCode(3, 2, 2), 1));
    EXPECT_TRUE(LinotrexSetValue(h, MakeLinotrexMapCode(2, 2, 1), 5));
    EXPECT_EQ(LinotrexGetPortState(h), 0x00020506u);
    EXPECT_EQ(s.run().output, "-1-1\r\n");
}
