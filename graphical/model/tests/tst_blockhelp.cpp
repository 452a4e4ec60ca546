// A block's help opens the topic of its kind; a comment's opens the comments' topic.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "framework/utils.h"
#include "graphical/model/graphblock.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/help.h"

class TestBlockHelp : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder_;
    QStringList opened_;

    void writePage(const QString& name) {
        QDir().mkpath(platform::HelpFile());
        QFile page(platform::HelpFile() + "/" + name);
        QVERIFY(page.open(QIODevice::WriteOnly));
    }

private slots:
    void init() {
        opened_.clear();
        HelpUsed = false;
        platform::SetHelpFile(folder_.path() + "/Quendal.hlp");
        platform::SetHelpOpener([this](const QUrl& url) {
            opened_ << QFileInfo(url.toLocalFile()).fileName();
            return true;
        });
    }
    void cleanup() { platform::SetHelpOpener({}); }

    void functionBlockOpensItsKindsTopic() {
        writePage("200.html");
        writePage("7000.html");
        TGraphBlock block((1 << 16) | 1, nullptr);
        block.TypeId = 200;
        block.ShowHelp();
        QCOMPARE(opened_, QStringList{"200.html"});
        QVERIFY(HelpUsed);
    }

    void commentOpensTheCommentTopic() {
        writePage("7000.html");
        TTextBlock comment((1 << 16) | 2, nullptr);
        comment.ShowHelp();
        QCOMPARE(opened_, QStringList{"7000.html"});
        QVERIFY(HelpUsed);
    }

    void missingHelpLeavesHelpUnused() {
        platform::SetHelpFile(folder_.path() + "/Missing.hlp");
        platform::DialogRecorder dialogs;
        TGraphBlock block((1 << 16) | 3, nullptr);
        block.TypeId = 700;
        block.ShowHelp();
        QVERIFY(opened_.isEmpty());
        QVERIFY(!HelpUsed);
        QCOMPARE(dialogs.Boxes().size(), size_t(1));
    }
};

QTEST_MAIN(TestBlockHelp)
#include "tst_blockhelp.moc"
