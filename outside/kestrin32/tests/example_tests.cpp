// The shipped example programs and the keyword file, run and read as a user would.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "outside/kestrin32/src/compiler.h"
#include "outside/kestrin32/tests/session.h"

using kestrin::test::RunResult;
using kestrin::test::Session;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Example(const char* name) {
    return ReadFile(std::string(KESTRIN_SOURCE_DIR) + "/examples/basic/" + name);
}

void AddTicks(Session& s, int ticks) {
    uint32_t timer = MakeLinotrexMapCode(1, 5, 7);
    LinotrexSetValue(s.handle(), timer,
                     static_cast<int16_t>(LinotrexGetValue(s.handle(), timer) + ticks));
}

} // namespace

TEST(KestrinExamples, RunningLightWalksAndStops) {
    Session s;
    ASSERT_TRUE(s.load(Example("lauflicht.bas"))) << s.messages();
    LinotrexSetADC(s.handle(), 0, 64);
    RunResult r = s.run();
    ASSERT_TRUE(r.ended());
    EXPECT_EQ(r.output, "Runde 1 fertig\r\nRunde 2 fertig\r\nRunde 3 fertig\r\n");
    EXPECT_EQ(r.pauses.size(), 3u * 14u);
    EXPECT_EQ(r.pauses.front(), 6);
    EXPECT_EQ(LinotrexGetPortState(s.handle()), 0x00FF0000u);
}

TEST(KestrinExamples, DataLoggerRecordsTenValues) {
    Session s;
    ASSERT_TRUE(s.load(Example("messwert.bas"))) << s.messages();
    const uint8_t values[] = {100, 5, 250, 100, 100, 100, 100, 100, 100, 100, 100};
    LinotrexSetADC(s.handle(), 0, values[0]);
    int passes = 0;
    s.onWait = [&](Session& self) {
        // One wait per sample: a second goes by and the input changes.
        AddTicks(self, 50);
        LinotrexSetADC(self.handle(), 0, values[++passes]);
        return passes <= 10;
    };
    RunResult r = s.run();
    ASSERT_TRUE(r.ended());
    EXPECT_EQ(r.waits, 10);
    EXPECT_EQ(r.output, "Grenzwert verletzt: 5\r\nGrenzwert verletzt: 250\r\n"
                        "Minimum 5 Maximum 250 Mittel 105\r\nWerte in der Datei: 10\r\n"
                        "100,5,250,100,100,100,100,100,100,100\r\n");
    ASSERT_EQ(LinotrexGetFileLength(s.handle()), 10);
    int16_t words[4096];
    LinotrexDumpFile(s.handle(), words);
    EXPECT_EQ(words[2], 250);
}

TEST(KestrinExamples, GuessingGameAnswersEachTip) {
    Session s;
    ASSERT_TRUE(s.load(Example("zahlenraten.bas"))) << s.messages();
    // Without real time RANDOMIZE seeds 1808: 1808 * 251 is 60592, its high 15 bits 30296,
    // / 327 = 92, MOD 100 + 1 = 93.
    s.inputs = {50, 95, 93};
    RunResult r = s.run();
    ASSERT_TRUE(r.ended());
    EXPECT_EQ(r.output, "Ich denke mir eine Zahl von 1 bis 100.\r\n"
                        "Dein Tipp? zu klein\r\nDein Tipp? zu gross\r\nDein Tipp? richtig!\r\n"
                        "Nach 3 Versuchen.\r\n");
    EXPECT_EQ(r.pauses, (std::vector<int>{10}));
}

// The keyword file as the editor reads it: words between the section lines.
TEST(KestrinKeywordFile, ListsExactlyTheCompilersKeywords) {
    std::ifstream in(std::string(KESTRIN_SOURCE_DIR) + "/outside/kestrin32/harvel.TOK");
    ASSERT_TRUE(in);
    std::set<std::string> listed;
    bool inBasic = false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == ';')
            continue;
        if (!inBasic) {
            inBasic = line.find("#BASIC_TOKENS") != std::string::npos;
            continue;
        }
        if (line.find("#BASIC_TOKENS_END") != std::string::npos)
            break;
        std::istringstream words(line);
        for (std::string w; words >> w;)
            listed.insert(w);
    }
    std::set<std::string> keywords(kestrin::Keywords().begin(), kestrin::Keywords().end());
    EXPECT_EQ(listed, keywords);
}
