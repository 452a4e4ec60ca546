// Without a QApplication the parameter dialogs cannot show: the export answers false, creates no
// widget and leaves every text as it was.
#include "engine/include/quendal32.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <string>

TEST(DialogsWithoutApplication, AnswerFalseAndStoreNothing) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    EngineHandle h = MoltraneCreate();
    ASSERT_EQ(MoltraneAddPage(h, 1, 0), 1);
    const struct {
        int Kind;
        const char* Text;
    } kinds[] = {
        {100, "3"},     {103, "2"}, {107, "a\nb"}, {108, "478 10 5"}, {109, "123456000000"},
        {209, "T"},     {700, "5"}, {701, "'x'"},  {702, "Hallo"},    {703, "12:00"},
        {704, "01.02"}, {900, "2"}, {904, "4"},    {1000, "Start"},   {1003, "A\r\nB"}};
    int number = 1;
    for (const auto& kind : kinds) {
        const BlockHandle block = 0x10000 | number++;
        ASSERT_EQ(MoltraneAddBlock(h, kind.Kind, block), 1);
        ASSERT_TRUE(MoltraneSetBlockParam(h, block, kind.Text));
        EXPECT_FALSE(MoltraneEditBlockParam(h, block)) << kind.Kind;
        EXPECT_EQ(std::string(MoltraneGetBlockParam(h, block)), kind.Text) << kind.Kind;
    }
    MoltraneDestroy(h);
}

// A QCoreApplication runs no widgets either.
TEST(DialogsWithoutApplication, CoreApplicationIsNotEnough) {
    int argc = 1;
    char name[] = "dialogs_noapp_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    EngineHandle h = MoltraneCreate();
    ASSERT_EQ(MoltraneAddPage(h, 1, 0), 1);
    ASSERT_EQ(MoltraneAddBlock(h, 107, 0x10001), 1);
    ASSERT_TRUE(MoltraneSetBlockParam(h, 0x10001, "LCD"));
    EXPECT_FALSE(MoltraneEditBlockParam(h, 0x10001));
    EXPECT_EQ(std::string(MoltraneGetBlockParam(h, 0x10001)), "LCD");
    MoltraneDestroy(h);
}
