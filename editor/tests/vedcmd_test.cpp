#include "editor/vedcmd.h"
#include "editor/vedexcept.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

using namespace ved;

namespace {

class WordStarTest : public ::testing::Test {
protected:
    void SetUp() override {
        processor.GetCommandTable("Default")->SetActive(false);
        processor.GetCommandTable("wordstar")->SetActive(true);
    }
    uint16_t Key(uint8_t key, uint8_t shift = 0) { return processor.TranslateKey(key, shift); }
    TVedCommandProcessor processor;
};

} // namespace

TEST(CommandTablesTest, BuiltInTablesHaveTheirSizesAndActivity) {
    TVedCommandProcessor processor;
    ASSERT_EQ(processor.Count(), 3);
    EXPECT_EQ(processor.Table(0).TableName(), "Default");
    EXPECT_EQ(processor.Table(0).Count(), 64);
    EXPECT_TRUE(processor.Table(0).IsActive());
    EXPECT_EQ(processor.Table(1).TableName(), "WordStar");
    EXPECT_EQ(processor.Table(1).Count(), 40);
    EXPECT_FALSE(processor.Table(1).IsActive());
    EXPECT_EQ(processor.Table(2).TableName(), "Grid");
    EXPECT_EQ(processor.Table(2).Count(), 38);
    EXPECT_FALSE(processor.Table(2).IsActive());
    for (int t = 0; t < 3; ++t) // no table binds one key twice
        for (int i = 0; i < processor.Table(t).Count(); ++i)
            EXPECT_EQ(processor.Table(t).Find(processor.Table(t).Get(i)), i) << t << ":" << i;
    EXPECT_THROW(processor.Table(3), ETableNotFound);
}

TEST(CommandTablesTest, DefaultBindingsTranslate) {
    TVedCommandProcessor p;
    EXPECT_EQ(p.TranslateKey(vkLeft, 0), ccLeft);
    EXPECT_EQ(p.TranslateKey(vkLeft, ssCtrl | ssShift), ccExtWordLeft);
    EXPECT_EQ(p.TranslateKey('3', ssCtrl | ssShift), ccSetMarker0 + 3);
    EXPECT_EQ(p.TranslateKey('3', ssCtrl), ccGotoMarker0 + 3);
    EXPECT_EQ(p.TranslateKey(vkBack, ssAlt), ccRestore);
    EXPECT_EQ(p.TranslateKey('Z', ssCtrl | ssShift), ccRedo);
    EXPECT_EQ(p.TranslateKey(vkReturn, ssCtrl), ccNewLine);
    EXPECT_EQ(p.TranslateKey('A', 0), ccNotCommand);
    EXPECT_EQ(p.TranslateKey(vkShift, ssShift), ccNotCommand);
    EXPECT_EQ(p.TranslateKey(vkLeft, ssAlt | 0x40), ccNotCommand); // only Shift, Ctrl, Alt count
    EXPECT_EQ(p.TranslateKey(vkLeft, 0x40), ccLeft);
}

TEST_F(WordStarTest, TwoKeySequencesAcceptNoModifierOrCtrlOnTheSecondKey) {
    EXPECT_EQ(Key('Q', ssCtrl), ccConsumed);
    EXPECT_EQ(processor.SequenceState(), 1);
    EXPECT_EQ(Key('S'), ccHome);
    EXPECT_EQ(processor.SequenceState(), 0);
    EXPECT_EQ(Key('Q', ssCtrl), ccConsumed);
    EXPECT_EQ(Key('S', ssShift), ccSequenceFail);
    EXPECT_EQ(processor.SequenceState(), 0);
    EXPECT_EQ(Key('Q', ssCtrl), ccConsumed);
    EXPECT_EQ(Key('S', ssCtrl), ccHome);
    EXPECT_EQ(Key('K', ssCtrl), ccConsumed);
    EXPECT_EQ(Key('7'), ccSetMarker0 + 7);
    EXPECT_EQ(Key('Q', ssCtrl), ccConsumed);
    EXPECT_EQ(Key('D'), ccEnd);
    EXPECT_EQ(Key('S', ssCtrl), ccLeft); // single keys still work
}

TEST_F(WordStarTest, ModifierKeysKeepASequencePending) {
    EXPECT_EQ(Key(vkShift), ccNotCommand);
    EXPECT_EQ(Key('Q', ssCtrl), ccConsumed);
    EXPECT_EQ(Key(vkShift, ssShift), ccConsumed);
    EXPECT_EQ(Key(vkControl, ssCtrl), ccConsumed);
    EXPECT_EQ(processor.SequenceState(), 1);
    EXPECT_EQ(Key('Y'), ccDelEol);
}

TEST_F(WordStarTest, CtrlCharPassesTheNextKeyLiterally) {
    EXPECT_EQ(Key('P', ssCtrl), ccCtrlChar);
    EXPECT_EQ(processor.SequenceState(), 2);
    EXPECT_EQ(Key('S', ssCtrl), ccNotCommand); // bound, but taken literally
    EXPECT_EQ(Key('S', ssCtrl), ccLeft);
    EXPECT_EQ(Key('Q', ssCtrl), ccConsumed);
    processor.ResetState();
    EXPECT_EQ(Key('S'), ccNotCommand);
}

TEST(CommandTablesTest, FirstActiveTableInListOrderWins) {
    TVedCommandProcessor p;
    p.GetCommandTable("WordStar")->SetActive(true);
    EXPECT_EQ(p.TranslateKey('Z', ssCtrl), ccUndo);   // Default comes first
    EXPECT_EQ(p.TranslateKey('S', ssCtrl), ccLeft);   // only WordStar binds it
    EXPECT_EQ(p.TranslateKey(vkF2, 0), ccNotCommand); // Grid is inactive
    p.GetCommandTable("Default")->SetActive(false);
    p.GetCommandTable("grid")->SetActive(true);
    EXPECT_EQ(p.TranslateKey('Z', ssCtrl), ccScrollDown); // now WordStar's
    EXPECT_EQ(p.TranslateKey(vkF2, 0), ccTableEdit);
}

TEST(CommandTablesTest, AddedTablesGetUniqueNames) {
    TVedCommandProcessor p;
    EXPECT_EQ(p.Table(p.CreateCommandTable("Default", true)).TableName(), "Default1");
    EXPECT_EQ(p.Table(p.CreateCommandTable("default", true)).TableName(), "default2");
    EXPECT_EQ(p.Table(p.CreateCommandTable("Grid2", true)).TableName(), "Grid1");
    EXPECT_EQ(p.Table(p.CreateCommandTable("Foo2", true)).TableName(), "Foo2");
    EXPECT_EQ(p.Table(p.CreateCommandTable("Foo2", true)).TableName(), "Foo1");
    EXPECT_EQ(p.Table(p.CreateCommandTable("Foo2", true)).TableName(), "Foo3");
    EXPECT_EQ(p.Table(p.CreateCommandTable("7", true)).TableName(), "7");
    for (int i = 0; i < p.Count(); ++i)
        for (int j = i + 1; j < p.Count(); ++j)
            EXPECT_NE(p.GetCommandTable(p.Table(i).TableName()), &p.Table(j));
    p.Remove(0);
    EXPECT_EQ(p.Table(0).TableName(), "WordStar");
    EXPECT_THROW(p.Remove(50), ETableNotFound);
    auto unnamed = std::make_unique<TVedCommandTable>();
    EXPECT_EQ(unnamed->TableName(), "(Unknown)");
    EXPECT_TRUE(unnamed->IsActive());
}

TEST(CommandTablesTest, AddCommandChecksTableAndDuplicates) {
    TVedCommandProcessor p;
    const TVedCmdRec f5{116, 0, 0, 0, ccUser + 3};
    p.AddCommand("DEFAULT", f5);
    EXPECT_EQ(p.TranslateKey(116, 0), ccUser + 3);
    EXPECT_THROW(p.AddCommand("Default", TVedCmdRec{116, 0, 0, 0, ccCopy}), EDuplicateCommand);
    EXPECT_THROW(p.AddCommand("nope", f5), ETableNotFound);
    try {
        p.AddCommand("nope", f5);
    } catch (const ECmdProcessorError& e) {
        EXPECT_STREQ(e.what(), "Command table not found or command table index out of range");
    }
}

TEST(CommandCodecTest, UnchangedBuiltInTablesStoreNoDifferences) {
    TVedCommandProcessor p;
    for (const TVedTableStream& s : p.WriteTableList())
        EXPECT_TRUE(s.pairs.empty()) << s.name;
}

TEST(CommandCodecTest, DifferencesRebindRemoveAndAdd) {
    TVedCommandTable table("Default", true);
    auto builtIn = MakeBuiltInTable("Default");
    for (int i = 0; i < builtIn->Count(); ++i)
        table.Add(builtIn->Get(i));
    table.Replace(table.Find(TVedCmdRec{vkBack, ssAlt, 0, 0, 0}),
                  TVedCmdRec{vkBack, ssAlt, 0, 0, ccUndo});
    table.Delete(table.Find(TVedCmdRec{vkTab, ssCtrl, 0, 0, 0}));
    table.Add(TVedCmdRec{'Q', ssCtrl, 'X', ssAnyCtrl, ccDelLine});
    const TVedTableStream s = EncodeTable(table);
    ASSERT_EQ(s.pairs.size(), 3u);
    EXPECT_EQ(s.pairs[0], std::make_pair(int32_t(vkTab | ssCtrl << 8), int32_t(0)));
    EXPECT_EQ(s.pairs[1], std::make_pair(int32_t(2056), int32_t(ccUndo)));
    auto back = DecodeTable(s);
    ASSERT_EQ(back->Count(), table.Count());
    for (int i = 0; i < table.Count(); ++i) {
        const int j = back->Find(table.Get(i));
        ASSERT_GE(j, 0);
        EXPECT_EQ(back->Get(j).Command, table.Get(i).Command);
    }
    // the stored pair (2056, 72) alone rebinds Alt+Backspace to undo
    auto rebound = DecodeTable(TVedTableStream{"default", true, {{2056, 72}}});
    EXPECT_EQ(rebound->Count(), 64);
    EXPECT_EQ(rebound->Get(rebound->Find(TVedCmdRec{vkBack, ssAlt, 0, 0, 0})).Command, ccUndo);
    EXPECT_EQ(EncodeTable(*rebound).pairs, (std::vector<std::pair<int32_t, int32_t>>{{2056, 72}}));
}

TEST(CommandCodecTest, ProcessorRoundTripKeepsEveryTable) {
    TVedCommandProcessor p;
    p.GetCommandTable("Grid")->SetActive(true);
    p.GetCommandTable("WordStar")->Delete(0);
    const int mine = p.CreateCommandTable("Mine", false);
    p.Table(mine).Add(TVedCmdRec{'1', ssAlt, 0, 0, ccUser});
    p.Table(mine).Add(TVedCmdRec{'1', ssAlt, 0, 0, ccUser + 1}); // plain tables keep duplicates
    const auto stored = p.WriteTableList();
    TVedCommandProcessor q;
    q.ReadTableList(stored);
    ASSERT_EQ(q.Count(), 4);
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(q.Table(t).TableName(), p.Table(t).TableName());
        EXPECT_EQ(q.Table(t).IsActive(), p.Table(t).IsActive());
        ASSERT_EQ(q.Table(t).Count(), p.Table(t).Count()) << t;
        for (int i = 0; i < p.Table(t).Count(); ++i)
            EXPECT_EQ(q.Table(t).Get(i), p.Table(t).Get(i)) << t << ":" << i;
    }
    EXPECT_EQ(q.WriteTableList(), stored);
}

TEST(CommandFileTest, TextFileRoundTripsAndRejectsBadLines) {
    const std::string file =
        (std::filesystem::temp_directory_path() / "vedcmd_test_table.txt").string();
    TVedCommandProcessor p;
    p.SaveCommandTable("WordStar", file);
    std::ifstream in(file, std::ios::binary);
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    EXPECT_EQ(first, "WordStar\r");
    EXPECT_EQ(second, "  83   4   0   0    46\r"); // Ctrl+S -> ccLeft
    in.close();
    const int index = p.LoadCommandTable(file);
    EXPECT_EQ(p.Table(index).TableName(), "WordStar1");
    ASSERT_EQ(p.Table(index).Count(), 40);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(p.Table(index).Get(i), p.Table(1).Get(i));

    {
        std::ofstream bad(file, std::ios::binary | std::ios::trunc);
        bad << "Broken\n  1   2   3\n";
    }
    EXPECT_THROW(p.LoadCommandTable(file), std::runtime_error);
    {
        std::ofstream bad(file, std::ios::binary | std::ios::trunc);
        bad << "Broken\n  300   0   0   0   1\n";
    }
    EXPECT_THROW(p.LoadCommandTable(file), std::runtime_error);
    EXPECT_EQ(p.Count(), 4); // failed loads add nothing
    std::remove(file.c_str());
    EXPECT_THROW(p.LoadCommandTable(file), std::system_error);
    EXPECT_NO_THROW(p.SaveCommandTable("absent", file));
    EXPECT_FALSE(std::filesystem::exists(file));
}
