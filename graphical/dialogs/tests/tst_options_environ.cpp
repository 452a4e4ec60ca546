// The simulator options in the registry and the environment options dialog, driven through
// its real buttons and keys.
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

#include "framework/tests/eventloop.h"
#include "framework/tests/helpcapture.h"
#include "framework/utils.h"
#include "framework/winregistry.h"
#include "graphical/dialogs/environoptiondlg.h"
#include "graphical/model/simulatoriostate.h"
#include "platform/qt/help.h"
#include "platform/settings.h"

namespace {

const QString KeyPath = QStringLiteral("SOFTWARE\\Mirelt Electronic\\Tavrissel/plus");

} // namespace

class TestEnvironOptions : public QObject {
    Q_OBJECT

private slots:
    void init() {
        AutoTiming = false;
        SimulatedBeep = false;
        ApplicationBoard = true;
        COM = 9;
        SimulatorIoState.InitialPortLevels = 0xFFFF;
        SimulatorIoState.InitialPortsPending = false;
        SimOptionsChanged = false;
    }

    void firstStartGivesDefaults() {
        QTemporaryDir dir;
        platform::Settings store(dir.filePath("settings").toStdString());
        TWinRegistry registry(store, KeyPath);
        ReadSimulatorOptions(registry);
        QVERIFY(AutoTiming);
        QVERIFY(SimulatedBeep);
        QVERIFY(!ApplicationBoard);
        QCOMPARE(COM, -1);
        QCOMPARE(SimulatorIoState.InitialPortLevels, uint16_t(0));
        QVERIFY(SimulatorIoState.InitialPortsPending);
    }

    void optionsSurviveWriteAndRead() {
        QTemporaryDir dir;
        const std::string file = dir.filePath("settings").toStdString();
        {
            platform::Settings store(file);
            TWinRegistry registry(store, KeyPath);
            AutoTiming = false;
            SimulatedBeep = true;
            ApplicationBoard = true;
            COM = 3;
            SimulatorIoState.InitialPortLevels = 0x8005;
            WriteSimulatorOptions(registry);
        }
        platform::Settings store(file);
        const std::string key = KeyPath.toStdString() + "\\Simulator";
        QCOMPARE(store.readInteger(key, "COM").value_or(0), 3);
        QCOMPARE(store.readInteger(key, "FixedDigitalIn").value_or(0), 0x8005);
        init();
        TWinRegistry registry(store, KeyPath);
        ReadSimulatorOptions(registry);
        QVERIFY(!AutoTiming);
        QVERIFY(SimulatedBeep);
        QVERIFY(ApplicationBoard);
        QCOMPARE(COM, 3);
        QCOMPARE(SimulatorIoState.InitialPortLevels, uint16_t(0x8005));
    }

    void settersMarkOnlyRealChanges() {
        SetAutoTiming(false);
        SetSimulatedBeep(false);
        SetApplicationBoard(true);
        QVERIFY(!SimOptionsChanged);
        SetAutoTiming(true);
        QVERIFY(SimOptionsChanged);
        QCOMPARE(SimulatorOptionWord(), 1 | 4);
        SimOptionsChanged = false;
        SetSimulatedBeep(true);
        QVERIFY(SimOptionsChanged);
        SimOptionsChanged = false;
        SetApplicationBoard(false);
        QVERIFY(SimOptionsChanged);
        QCOMPARE(SimulatorOptionWord(), 1 | 2);
    }

    void propertiesReadTheirControls() {
        TEnvOptionDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Umgebungseinstellungen"));
        QCOMPARE(dialog.PageControl1->currentWidget(), dialog.ProjectPage);
        dialog.SetCOM(3);
        QVERIFY(dialog.RGComNumber->button(2)->isChecked());
        QCOMPARE(dialog.GetCOM(), 3);
        for (int outside : {0, -1, 5, 17}) {
            dialog.SetCOM(outside);
            QCOMPARE(dialog.RGComNumber->checkedButton(), nullptr);
            QCOMPARE(dialog.GetCOM(), -1);
        }
        dialog.SetApplicationBoard(true);
        QVERIFY(dialog.GetApplicationBoard());
        QTest::mouseClick(dialog.rgApplicationBoard->button(0), Qt::LeftButton);
        QVERIFY(!dialog.GetApplicationBoard());
        dialog.SetExpandTables(true);
        QVERIFY(dialog.cbExpandTables->isChecked());
        QVERIFY(!dialog.GetExpandCells());
        dialog.SetSaveAnalogIn(true);
        QVERIFY(dialog.CBSaveAnalogInPorts->isChecked());
    }

    void okReturnsTrueWithTheEditedValues() {
        QWidget owner;
        owner.setGeometry(1000, 800, 400, 300);
        TEnvOptionDlg dialog(&owner);
        dialog.SetAutoTiming(true);
        QPoint shownAt;
        fixture::WhenShown<TEnvOptionDlg>([&](TEnvOptionDlg* shown) {
            shownAt = shown->pos();
            shown->PageControl1->setCurrentWidget(shown->MoltranePage);
            QTest::mouseClick(shown->CBAutoTiming, Qt::LeftButton);
            QTest::mouseClick(shown->RGComNumber->button(1), Qt::LeftButton);
            QTest::mouseClick(shown->OKButton, Qt::LeftButton);
        });
        QVERIFY(dialog.Execute(&owner));
        QCOMPARE(shownAt, QPoint(1200 - dialog.width() / 2, 950 - dialog.height() / 2));
        QVERIFY(!dialog.GetAutoTiming());
        QCOMPARE(dialog.GetCOM(), 2);
    }

    void escapeAndCancelReturnFalse() {
        QWidget owner;
        owner.setGeometry(0, 0, 100, 100);
        TEnvOptionDlg dialog(&owner);
        QPoint shownAt(-1, -1);
        fixture::WhenShown<TEnvOptionDlg>([&](TEnvOptionDlg* shown) {
            shownAt = shown->pos();
            QTest::keyClick(shown, Qt::Key_Escape);
        });
        QVERIFY(!dialog.Execute(&owner));
        QCOMPARE(shownAt, QPoint(0, 0));
        fixture::WhenShown<TEnvOptionDlg>(
            [](TEnvOptionDlg* shown) { QTest::mouseClick(shown->CancelButton, Qt::LeftButton); });
        QVERIFY(!dialog.Execute(&owner));
    }

    void portOnlyModeNeedsAPort() {
        TEnvOptionDlg dialog;
        dialog.SetAutoTiming(true);
        dialog.SetCOM(-1);
        dialog.SetComOnly(true);
        QVERIFY(dialog.ComOnly());
        QCOMPARE(dialog.PageControl1->currentWidget(), dialog.MoltranePage);
        QVERIFY(!dialog.PageControl1->isTabVisible(0));
        QVERIFY(!dialog.PageControl1->isTabVisible(1));
        QVERIFY(dialog.PageControl1->isTabVisible(2));
        QVERIFY(!dialog.CBAutoTiming->isEnabled());
        QVERIFY(!dialog.CBSaveAnalogInPorts->isEnabled());
        QVERIFY(!dialog.OKButton->isEnabled());
        bool stillOpenAfterEnter = false;
        fixture::WhenShown<TEnvOptionDlg>([&](TEnvOptionDlg* shown) {
            QTest::keyClick(shown, Qt::Key_Return);
            stillOpenAfterEnter = shown->isVisible();
            QTest::mouseClick(shown->RGComNumber->button(3), Qt::LeftButton);
            QVERIFY(shown->OKButton->isEnabled());
            QTest::mouseClick(shown->OKButton, Qt::LeftButton);
        });
        QVERIFY(dialog.Execute(nullptr));
        QVERIFY(stillOpenAfterEnter);
        QCOMPARE(dialog.GetCOM(), 4);
        QVERIFY(dialog.GetAutoTiming());

        dialog.SetComOnly(false);
        QCOMPARE(dialog.PageControl1->currentWidget(), dialog.ProjectPage);
        QVERIFY(dialog.PageControl1->isTabVisible(0));
        QVERIFY(dialog.CBAutoTiming->isEnabled());
    }

    void portOnlyModeWithAPortCanBeConfirmed() {
        TEnvOptionDlg dialog;
        dialog.SetCOM(2);
        dialog.SetComOnly(true);
        QVERIFY(dialog.OKButton->isEnabled());
    }

    void helpButtonOpensItsTopic() {
        fixture::HelpCapture help("Quendal.hlp", "20000.html");
        QVERIFY(help.PageWritten());
        HelpUsed = false;
        TEnvOptionDlg dialog;
        dialog.show();
        QTest::mouseClick(dialog.HelpButton, Qt::LeftButton);
        help.Release();
        QCOMPARE(help.Opened.size(), 1);
        QVERIFY(help.Opened[0].toLocalFile().endsWith("20000.html"));
        QVERIFY(HelpUsed);
        QVERIFY(dialog.isVisible());
    }
};

QTEST_MAIN(TestEnvironOptions)
#include "tst_options_environ.moc"
