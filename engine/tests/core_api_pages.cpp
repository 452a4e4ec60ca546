// Engine lifetime, pages, page names and the error text, through the exported functions.
#include "engine/tests/core_api_support.h"

#include <cstring>

using coretest::EngineTest;
using CorePages = EngineTest;

TEST_F(CorePages, ErrorMessageIsTheHandleAndStartsEmpty) {
    EXPECT_EQ(static_cast<const void*>(MoltraneGetErrorMessage(h)), static_cast<const void*>(h));
    EXPECT_STREQ(MoltraneGetErrorMessage(h), "");
}

TEST_F(CorePages, AddPageAtFrontAndBehindAnotherPage) {
    ASSERT_EQ(MoltraneAddPage(h, 1, 0), 1);
    ASSERT_EQ(MoltraneAddPage(h, 2, 1), 1);
    EXPECT_EQ(PageOrder(), (std::vector<int>{1, 2}));
    ASSERT_EQ(MoltraneAddPage(h, 5, 0), 1);
    EXPECT_EQ(PageOrder(), (std::vector<int>{5, 1, 2}));
    ASSERT_EQ(MoltraneAddPage(h, 6, 1), 1);
    EXPECT_EQ(PageOrder(), (std::vector<int>{5, 1, 6, 2}));
}

TEST_F(CorePages, MovePage) {
    for (int p : {1, 2, 3, 4})
        ASSERT_EQ(MoltraneAddPage(h, p, p - 1), 1);
    MoltraneMovePage(h, 2, 1); // already behind 1
    EXPECT_EQ(PageOrder(), (std::vector<int>{1, 2, 3, 4}));
    MoltraneMovePage(h, 1, 4); // behind the last page: to the tail
    EXPECT_EQ(PageOrder(), (std::vector<int>{2, 3, 4, 1}));
    MoltraneMovePage(h, 4, 0);
    EXPECT_EQ(PageOrder(), (std::vector<int>{4, 2, 3, 1}));
    MoltraneMovePage(h, 3, 3);
    MoltraneMovePage(h, 4, 0); // already in front
    EXPECT_EQ(PageOrder(), (std::vector<int>{4, 2, 3, 1}));
}

TEST_F(CorePages, UnknownPagesChangeNothing) {
    ASSERT_EQ(MoltraneAddPage(h, 1, 0), 1);
    ASSERT_EQ(MoltraneAddPage(h, 2, 1), 1);
    MoltraneMovePage(h, 9, 0);
    MoltraneMovePage(h, 2, 9);
    MoltraneMovePage(h, 1, 9);
    MoltraneRemovePage(h, 9);
    MoltraneClearPage(h, 9);
    EXPECT_EQ(MoltraneSetPageName(h, 9, "X"), 0);
    EXPECT_EQ(PageOrder(), (std::vector<int>{1, 2}));
    // A page whose afterPage does not exist stays at the end.
    ASSERT_EQ(MoltraneAddPage(h, 3, 42), 1);
    EXPECT_EQ(PageOrder(), (std::vector<int>{1, 2, 3}));
}

TEST_F(CorePages, PageNumbersThatCannotNameAPageAreRefused) {
    EXPECT_EQ(MoltraneAddPage(h, 0, 0), 0);
    EXPECT_EQ(MoltraneAddPage(h, 65536, 0), 0);
    EXPECT_EQ(MoltraneAddPage(h, -3, 0), 0);
    ASSERT_EQ(MoltraneAddPage(h, 7, 0), 1);
    EXPECT_EQ(MoltraneAddPage(h, 7, 0), 0); // a second page 7 could never be found
    EXPECT_EQ(PageOrder(), (std::vector<int>{7}));
}

TEST_F(CorePages, RemovePageTakesItsBlocksAlong) {
    ASSERT_EQ(MoltraneAddPage(h, 1, 0), 1);
    ASSERT_EQ(MoltraneAddPage(h, 2, 1), 1);
    const BlockHandle b = Add(600, 2, 1);
    MoltraneRemovePage(h, 2);
    EXPECT_EQ(MoltraneGetMapCode(h, b), 0);
    EXPECT_EQ(PageOrder(), (std::vector<int>{1}));
    // The number is free again.
    ASSERT_EQ(MoltraneAddPage(h, 2, 0), 1);
    EXPECT_EQ(MoltraneGetMapCode(h, b), 0);
    EXPECT_EQ(PageOrder(), (std::vector<int>{2, 1}));
}

TEST_F(CorePages, ClearPageKeepsPageAndName) {
    ASSERT_EQ(MoltraneAddPage(h, 1, 0), 1);
    ASSERT_EQ(MoltraneSetPageName(h, 1, "Start"), 1);
    const BlockHandle b = Add(602, 1, 1);
    MoltraneClearPage(h, 1);
    EXPECT_EQ(MoltraneGetSymbolicName(h, b), nullptr);
    EXPECT_EQ(PageOrder(), (std::vector<int>{1}));
    ASSERT_EQ(MoltraneAddPage(h, 2, 1), 1);
    EXPECT_EQ(MoltraneSetPageName(h, 2, "Start"), 0) << "the cleared page kept its name";
    // Blocks can be added to the cleared page again under the same handles.
    Add(602, 1, 1);
    EXPECT_STREQ(MoltraneGetSymbolicName(h, b), "WORD[1]");
}

TEST_F(CorePages, PageNamesAreUniqueAndCaseSensitive) {
    for (int p : {3, 4})
        ASSERT_EQ(MoltraneAddPage(h, p, 0), 1);
    ASSERT_EQ(MoltraneSetPageName(h, 4, "Anfang"), 1);
    EXPECT_EQ(MoltraneSetPageName(h, 3, "Anfang"), 0);
    EXPECT_EQ(MoltraneSetPageName(h, 4, "Anfang"), 1) << "its own name again";
    EXPECT_EQ(MoltraneSetPageName(h, 3, "ANFANG"), 1);
    // Clearing a name frees it; unnamed pages never clash with each other.
    EXPECT_EQ(MoltraneSetPageName(h, 4, nullptr), 1);
    EXPECT_EQ(MoltraneSetPageName(h, 3, nullptr), 1);
    EXPECT_EQ(MoltraneSetPageName(h, 3, "Anfang"), 1);
    // The engine keeps its own copy of the name.
    char name[] = "Schleife";
    EXPECT_EQ(MoltraneSetPageName(h, 4, name), 1);
    std::strcpy(name, "Anfang");
    EXPECT_EQ(MoltraneSetPageName(h, 4, "Schleife"), 1);
    EXPECT_EQ(MoltraneSetPageName(h, 4, "Anfang"), 0);
}

TEST_F(CorePages, ProgressAndBreakOnAnIdleEngine) {
    EXPECT_EQ(MoltraneGetProgress(h), 0);
    MoltraneBreak(h);
    EXPECT_EQ(MoltraneGetProgress(h), 0);
    // The next compile clears the break flag and runs to the end.
    ASSERT_EQ(MoltraneAddPage(h, 1, 0), 1);
    ASSERT_EQ(MoltraneCompilerInit(h), 1);
    EXPECT_EQ(MoltraneCompile(h), 0) << MoltraneGetErrorMessage(h);
    EXPECT_EQ(MoltraneGetProgress(h), 100);
}

TEST(CoreHandles, NullHandleIsHarmless) {
    EngineHandle h = nullptr;
    MoltraneDestroy(h);
    EXPECT_EQ(MoltraneGetErrorMessage(h), nullptr);
    EXPECT_EQ(MoltraneAddPage(h, 1, 0), 0);
    MoltraneRemovePage(h, 1);
    MoltraneClearPage(h, 1);
    MoltraneMovePage(h, 1, 0);
    EXPECT_EQ(MoltraneSetPageName(h, 1, "a"), 0);
    EXPECT_EQ(MoltraneAddBlock(h, 100, 0x10001), 0);
    MoltraneRemoveBlock(h, 0x10001);
    EXPECT_FALSE(MoltraneHasBlockUserBitmap(h, 0x10001));
    EXPECT_FALSE(MoltraneEditBlockParam(h, 0x10001));
    EXPECT_FALSE(MoltraneSetBlockParam(h, 0x10001, "1"));
    EXPECT_EQ(MoltraneGetBlockParam(h, 0x10001), nullptr);
    EXPECT_FALSE(MoltraneCanConnectBlocks(h, 0x10001, 0));
    EXPECT_EQ(MoltraneGetBlockInputMenuFlags(h, 0x10001, 0x10002), nullptr);
    EXPECT_EQ(MoltraneConnectBlocks(h, 0x10001, 0x10002, -1), 0);
    EXPECT_EQ(MoltraneGetProgress(h), 0);
    MoltraneBreak(h);
    EXPECT_EQ(MoltraneGetCodeLength(h), 0);
    EXPECT_EQ(MoltraneDownload(h, nullptr), -2);
}

TEST(CoreHandles, TwoEnginesAreIndependent) {
    EngineHandle a = MoltraneCreate();
    EngineHandle b = MoltraneCreate();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(MoltraneAddPage(a, 1, 0), 1);
    ASSERT_EQ(MoltraneSetPageName(a, 1, "Haupt"), 1);
    ASSERT_EQ(MoltraneAddPage(b, 1, 0), 1);
    EXPECT_EQ(MoltraneSetPageName(b, 1, "Haupt"), 1);
    ASSERT_EQ(MoltraneAddBlock(a, 600, 0x10001), 1);
    EXPECT_EQ(MoltraneGetMapCode(b, 0x10001), 0);
    MoltraneDestroy(a);
    MoltraneDestroy(b);
}
