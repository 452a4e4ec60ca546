// The owner of the parameter dialogs and the QApplication: without one the dialogs cannot show,
// so the export answers false and leaves every text as it was.
#include "engine/include/quendal32.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

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

// The owner form comes with the first dialog and goes with the QApplication; a later
// QApplication gets a fresh one.
TEST(DialogsWithApplication, OwnerFormLivesWithTheApplication) {
    for (int round = 0; round < 2; ++round) {
        QPointer<QWidget> owner;
        {
            int argc = 1;
            char name[] = "dialogs_noapp_test";
            char* argv[] = {name, nullptr};
            QApplication app(argc, argv);
            EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()); // nothing made before use
            EngineHandle h = MoltraneCreate();
            ASSERT_EQ(MoltraneAddPage(h, 1, 0), 1);
            ASSERT_EQ(MoltraneAddBlock(h, 107, 0x10001), 1);
            QTimer timer;
            timer.setSingleShot(true);
            QObject::connect(&timer, &QTimer::timeout, [&] {
                QWidget* dialog = QApplication::activeModalWidget();
                if (dialog == nullptr)
                    return;
                owner = dialog->parentWidget();
                dialog->findChild<QLineEdit*>(QStringLiteral("ed2"))->setText(QStringLiteral("x"));
                dialog->findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
            });
            timer.start(0);
            EXPECT_TRUE(MoltraneEditBlockParam(h, 0x10001));
            EXPECT_EQ(std::string(MoltraneGetBlockParam(h, 0x10001)), "\nx");
            ASSERT_FALSE(owner.isNull());
            EXPECT_EQ(owner->windowTitle(), QStringLiteral("DllMainForm"));
            EXPECT_FALSE(owner->isVisible());
            MoltraneDestroy(h);
        }
        EXPECT_TRUE(owner.isNull()) << "round " << round;
    }
}
