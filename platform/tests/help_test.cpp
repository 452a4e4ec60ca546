#include "platform/qt/dialogs.h"
#include "platform/qt/help.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;

namespace {

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        helpFolder_ = folder_.path() + "/Quendal.hlp";
        SetHelpFile(helpFolder_);
        SetHelpOpener([this](const QUrl& url) {
            opened_.push_back(url.toLocalFile());
            return true;
        });
    }
    void TearDown() override {
        SetHelpOpener({});
        SetHelpFile(QString());
    }
    void WritePage(const QString& name) {
        QDir().mkpath(helpFolder_);
        QFile page(helpFolder_ + "/" + name);
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write("<html></html>");
    }

    QTemporaryDir folder_;
    QString helpFolder_;
    std::vector<QString> opened_;
    DialogRecorder dialogs_;
};

TEST_F(HelpTest, TopicPageOpensWhenPresent) {
    WritePage("index.html");
    WritePage("7000.html");
    EXPECT_TRUE(ShowHelpContext(7000));
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], helpFolder_ + "/7000.html");
    EXPECT_TRUE(dialogs_.Boxes().empty());
}

TEST_F(HelpTest, MissingTopicFallsBackToContents) {
    WritePage("index.html");
    EXPECT_TRUE(ShowHelpContext(20105));
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], helpFolder_ + "/index.html");
    EXPECT_TRUE(ShowHelpContents());
    EXPECT_EQ(opened_.back(), helpFolder_ + "/index.html");
}

TEST_F(HelpTest, MissingHelpIsReportedNotOpened) {
    EXPECT_FALSE(ShowHelpContext(9000));
    EXPECT_TRUE(opened_.empty());
    auto boxes = dialogs_.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, BoxKind::Error);
    EXPECT_TRUE(boxes[0].text.contains(helpFolder_));
}

TEST(HelpFileName, DefaultsToTheProgramNameBesideIt) {
    SetHelpFile(QString());
    EXPECT_TRUE(HelpFile().endsWith("/platform_tests.hlp")) << HelpFile().toStdString();
}

} // namespace
