// Building through the exported functions: tables, "CODE.TXT", the code length and the
// simulation memory.
#include "engine/tests/core_api_support.h"
#include "engine/tests/scratch_directory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

class CompilerApi : public coretest::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_TRUE(scratch_.made());
    }
    static std::string CodeTxt() {
        std::ifstream in("CODE.TXT", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    enginetest::ScratchDirectory scratch_{"/tmp/compiler-api-XXXXXX"};
};

} // namespace

TEST_F(CompilerApi, TablesFollowTheEndOpcode) {
    ASSERT_EQ(MoltraneAddPage(h, 1, 0), 1);
    ASSERT_EQ(MoltraneCompilerInit(h), 1);
    ASSERT_EQ(MoltraneCompile(h), 0);
    ASSERT_EQ(MoltraneLoadTable(h, "Tab", "1 2 -1"), 1);
    ASSERT_EQ(MoltraneLoadTable(h, "Hex", "0x1234\n65537"), 1);
    ASSERT_EQ(MoltraneCompilerDone(h), 1) << MoltraneGetErrorMessage(h);
    EXPECT_EQ(MoltraneGetCodeLength(h), 11);
    EXPECT_EQ(CodeTxt(), "255 0 1 0 2 255 255 18 52 0 1 ");
    EXPECT_EQ(MoltraneGetProgress(h), 100);
}

TEST_F(CompilerApi, BadTableSetsTheErrorText) {
    ASSERT_EQ(MoltraneCompilerInit(h), 1);
    ASSERT_EQ(MoltraneCompile(h), 0);
    EXPECT_EQ(MoltraneLoadTable(h, "Tab", "1,2"), 0);
    EXPECT_STREQ(MoltraneGetErrorMessage(h), "Fehler in Tabelle");
    EXPECT_EQ(MoltraneLoadTable(h, "Leer", ""), 1) << "an empty table is only a label";
    EXPECT_EQ(MoltraneLoadTable(h, "Null", nullptr), 1);
}

TEST_F(CompilerApi, ARecompileReplacesTheDump) {
    ASSERT_EQ(MoltraneCompilerInit(h), 1);
    ASSERT_EQ(MoltraneCompile(h), 0);
    ASSERT_EQ(MoltraneLoadTable(h, "Tab", "7"), 1);
    ASSERT_EQ(MoltraneCompilerDone(h), 1);
    EXPECT_EQ(CodeTxt(), "255 0 7 ");
    ASSERT_EQ(MoltraneCompilerInit(h), 1);
    ASSERT_EQ(MoltraneCompile(h), 0);
    ASSERT_EQ(MoltraneCompilerDone(h), 1);
    EXPECT_EQ(CodeTxt(), "255 ");
    EXPECT_EQ(MoltraneGetCodeLength(h), 1);
}

TEST_F(CompilerApi, SimulationRunsThePagesInOrder) {
    for (int p : {7, 3})
        ASSERT_EQ(MoltraneAddPage(h, p, p == 7 ? 0 : 7), 1);
    EXPECT_EQ(PageOrder(), (std::vector<int>{7, 3}));
}

TEST_F(CompilerApi, DumpThatCannotBeWrittenFailsTheFinish) {
    // A folder in the dump's place cannot be replaced by a file, whoever runs the test.
    std::filesystem::create_directory("CODE.TXT");
    std::ofstream("CODE.TXT/keep") << "x";
    ASSERT_EQ(MoltraneCompilerInit(h), 1);
    ASSERT_EQ(MoltraneCompile(h), 0);
    EXPECT_EQ(MoltraneCompilerDone(h), 0);
    EXPECT_STREQ(MoltraneGetErrorMessage(h), "CODE.TXT kann nicht geschrieben werden");
    // No temporary file is left behind.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        files += entry.path().filename() != "CODE.TXT";
    EXPECT_EQ(files, 0);
}
