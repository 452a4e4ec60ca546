// Texts of the BASIC program's analog port window and status bar show whole in this platform's
// fonts.
#include "basic/mainwindow/mainform.h"
#include "basic/simwindows/analogbar.h"
#include "basic/simwindows/analogportform.h"
#include "basic/tests/harvelstart.h"
#include "framework/mainframe.h"
#include "framework/winregistry.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace harvel;

class TestTextSizes : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        qputenv("XDG_CONFIG_HOME", (dir_.path() + QStringLiteral("/config")).toLocal8Bit());
        DesktopFileName = dir_.filePath(QStringLiteral("harvel.DSK"));
        QVERIFY(testing::InstallKeywordFile());
    }

    void analogValuesAndStatusPanelsShowWhole() {
        TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* item = form.findChild<QAction*>(QStringLiteral("ViewAnaPortItem"));
        QVERIFY(item);
        item->trigger();
        TAnalogPortForm* window = AnalogPortForm;
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QRect inside = window->rect();
        for (int channel = 1; channel <= 8; ++channel) {
            QLabel* value = window->lblAD(channel);
            value->setText(QStringLiteral("255"));
            const int textRight =
                value->geometry().left() + value->fontMetrics().horizontalAdvance(value->text());
            // inside the label, and off the window's border
            QVERIFY(textRight <= value->geometry().right() + 1);
            QVERIFY(value->geometry().right() < inside.right());
            QVERIFY(!window->ADBar(channel)->geometry().intersects(value->geometry()));
        }
        window->close();

        QLabel* mode = form.StatusPanel(2);
        QVERIFY(mode->width() >=
                mode->fontMetrics().horizontalAdvance(QStringLiteral("Überschreiben")));
        QCOMPARE(form.statusBar()->geometry().bottom(), form.rect().bottom());
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(TestTextSizes)
#include "tst_textsizes.moc"
