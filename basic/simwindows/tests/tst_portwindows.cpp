// The analog and digital port windows against the wrapper's port image and the library: mouse,
// keys and the popup drive the inputs, outputs shown from the first show, the value bar's edges,
// and the stored analog values.
#include "basic/editors/editorchild.h"
#include "basic/library/linotrex.h"
#include "basic/simwindows/analogbar.h"
#include "basic/simwindows/analogportform.h"
#include "basic/simwindows/digitalportform.h"
#include "framework/winregistry.h"
#include "platform/qt/help.h"
#include "platform/settings.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

using namespace harvel;

namespace {

QPoint CellCentre(int port) {
    return QPoint((port - 1) % 8 * 32 + 16, (port - 1) / 8 * 32 + 16);
}

// Levels of the 16 lines as the library holds them.
int LibraryLevels() {
    return int(LinotrexGetPortState(Linotrex().Handle()) & 0xFFFF);
}

} // namespace

class TestPortWindows : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    TDigitalPortForm* ShowDigital() {
        TDigitalPortForm* form = ShowDigitalPortWindow(nullptr);
        if (!QTest::qWaitForWindowExposed(form))
            qWarning("digital port window not exposed");
        return form;
    }

private slots:
    void initTestCase() {
        ConnectAnalogPortWindow(Linotrex());
        ConnectDigitalPortWindow(Linotrex());
    }

    void cleanup() {
        delete DigitalPortForm;
        delete AnalogPortForm;
        DigitalPortRect = AnalogPortRect = {};
        ADValuesSaved = true;
        for (int line = 0; line < 16; ++line)
            Linotrex().SetPortLine(line, 0);
        Linotrex().SetFixedInPorts(0);
    }

    void mouseClicksPulseOrLatchInputsOnly() {
        TDigitalPortForm* form = ShowDigital();
        QTest::mousePress(form, Qt::LeftButton, {}, CellCentre(3));
        QCOMPARE(LibraryLevels(), 0x0004);
        QVERIFY(Linotrex().Ports().level[2]);
        QCOMPARE(form->HeldPort(), 3);
        QTest::mouseRelease(form, Qt::LeftButton, {}, CellCentre(3));
        QCOMPARE(LibraryLevels(), 0);
        // leaving the cell ends the pulse as well
        QTest::mousePress(form, Qt::LeftButton, {}, CellCentre(3));
        QTest::mouseMove(form, CellCentre(4));
        QCOMPARE(LibraryLevels(), 0);
        QCOMPARE(form->HeldPort(), -1);
        QTest::mouseRelease(form, Qt::LeftButton, {}, CellCentre(4));
        QCOMPARE(LibraryLevels(), 0);

        QTest::mouseClick(form, Qt::LeftButton, Qt::ShiftModifier, CellCentre(3));
        QCOMPARE(LibraryLevels(), 0x0004);
        QCOMPARE(form->HeldPort(), -1);

        // an output line does not react
        Linotrex().Ports().direction[4] = true;
        QTest::mouseClick(form, Qt::LeftButton, Qt::ShiftModifier, CellCentre(5));
        QCOMPARE(LibraryLevels(), 0x0004);
        Linotrex().Ports().direction[4] = false;
    }

    void mouseHitsOnlyTheSixteenCells() {
        TDigitalPortForm* form = ShowDigital();
        form->resize(400, 64);
        // y 32 is the lower row's first line
        QTest::mouseClick(form, Qt::LeftButton, Qt::ShiftModifier, QPoint(16, 32));
        QCOMPARE(LibraryLevels(), 0x0100);
        QTest::mouseClick(form, Qt::LeftButton, Qt::ShiftModifier, QPoint(31, 31));
        QCOMPARE(LibraryLevels(), 0x0101);
        // beyond the eighth column there is no port
        QTest::mouseClick(form, Qt::LeftButton, Qt::ShiftModifier, QPoint(300, 16));
        QTest::mouseClick(form, Qt::LeftButton, Qt::ShiftModifier, QPoint(300, 40));
        QCOMPARE(LibraryLevels(), 0x0101);
    }

    void keysHoldOrLatchTheirPort() {
        TDigitalPortForm* form = ShowDigital();
        QTest::keyPress(form, Qt::Key_5);
        QCOMPARE(LibraryLevels(), 0x0010);
        // the repeated press of a held key changes nothing
        QTest::keyPress(form, Qt::Key_5);
        QCOMPARE(LibraryLevels(), 0x0010);
        QTest::keyRelease(form, Qt::Key_5);
        QCOMPARE(LibraryLevels(), 0);
        QTest::keyClick(form, Qt::Key_5, Qt::ShiftModifier);
        QCOMPARE(LibraryLevels(), 0x0010);
        QTest::keyClick(form, Qt::Key_G);
        QTest::keyClick(form, Qt::Key_0, Qt::ShiftModifier);
        QCOMPARE(LibraryLevels(), 0x8010);
        // with Alt the keys are not the ports'
        QTest::keyClick(form, Qt::Key_A, Qt::AltModifier | Qt::ShiftModifier);
        QCOMPARE(LibraryLevels(), 0x8010);
    }

    void popupSetsAllInputsAndTheResetLevels() {
        TDigitalPortForm* form = ShowDigital();
        Linotrex().Ports().direction[1] = true;
        emit form->DigitalPortPopup->aboutToShow();
        QVERIFY(!form->SetInitialItem->isEnabled());
        form->SetAllInputsItem->trigger();
        QCOMPARE(LibraryLevels(), 0xFFFF);
        emit form->DigitalPortPopup->aboutToShow();
        QVERIFY(form->SetInitialItem->isEnabled());
        Linotrex().SetPortLine(0, 0);
        form->SetInitialItem->trigger();
        QCOMPARE(LinotrexGetInitialPortState(Linotrex().Handle()), 0xFFFE);
        form->ClearAllInputsItem->trigger();
        QCOMPARE(LibraryLevels(), 0);
    }

    void dragAndKeysSetTheInputBeforeTheNextStep() {
        TEditorForm* source = TMDIChildForm::Create<TEditorForm>(nullptr, std::string());
        source->show();
        source->TextEditor()->InsertText("DIM a AS WORD\r\na = AD[2]\r\nDA[1] = AD[2]\r\n");
        source->DoCommand(250);
        QVERIFY(Linotrex().Compiled());
        TWatchEntry& a = Linotrex().AddWatch("a");

        Linotrex().Ports().analogIn[1] = 64;
        TAnalogPortForm* form = ShowAnalogPortWindow(nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(form));
        TMireltAnalogBar* bar = form->ADBar(2);
        QCOMPARE(bar->Value(), 64);
        QCOMPARE(bar->ThumbPos(), 25);
        const int y = bar->height() / 2;
        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(bar->ThumbPos() + 4, y));
        QVERIFY(bar->Dragging());
        QTest::mouseMove(bar, QPoint(500, y));
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(500, y));
        QCOMPARE(bar->Value(), 255);
        QCOMPARE(form->lblAD(2)->text(), QStringLiteral("255"));
        QVERIFY(Linotrex().Ports().analogChanged[1]);
        source->DoCommand(304);
        QCOMPARE(a.Value(), 255);

        QTest::keyClick(bar, Qt::Key_Home);
        QTest::keyClick(bar, Qt::Key_Right, Qt::ControlModifier);
        QTest::keyClick(bar, Qt::Key_Down);
        QCOMPARE(bar->Value(), 9);
        QCOMPARE(int(Linotrex().Ports().analogIn[1]), 9);
        source->DoCommand(304);
        QCOMPARE(form->DABar(1)->Value(), 9);
        QCOMPARE(form->lblDA(1)->text(), QStringLiteral("9"));
        QTest::keyClick(bar, Qt::Key_End);
        QCOMPARE(bar->Value(), 255);

        // F1 on a bar reaches the window's help topic
        QDir(dir_.path()).mkpath("Harvel.hlp");
        QFile page(dir_.filePath("Harvel.hlp/15000.html"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        platform::SetHelpFile(dir_.filePath("Harvel.hlp"));
        QUrl shown;
        auto old = platform::SetHelpOpener([&shown](const QUrl& url) {
            shown = url;
            return true;
        });
        QTest::keyClick(bar, Qt::Key_F1);
        platform::SetHelpOpener(old);
        QVERIFY2(shown.toString().endsWith("15000.html"), qPrintable(shown.toString()));

        delete source;
        Linotrex().Watches().clear();
    }

    void outputsWrittenBeforeTheWindowOpensShowAtOnce() {
        TEditorForm* source = TMDIChildForm::Create<TEditorForm>(nullptr, std::string());
        source->show();
        source->TextEditor()->InsertText("DA[1] = 77\r\nDA[2] = 3\r\nPRINT 1\r\n");
        source->DoCommand(250);
        QVERIFY(Linotrex().Compiled());
        source->DoCommand(304);
        source->DoCommand(304);
        QCOMPARE(LinotrexGetDAC(Linotrex().Handle(), 1), 3);
        TAnalogPortForm* form = ShowAnalogPortWindow(nullptr);
        QCOMPARE(form->DABar(1)->Value(), 77);
        QCOMPARE(form->lblDA(1)->text(), QStringLiteral("77"));
        QCOMPARE(form->DABar(2)->Value(), 3);
        delete source;
    }

    void degenerateBarKeepsItsMinimum() {
        TMireltAnalogBar bar;
        bar.SetMinValue(5);
        bar.SetMaxValue(5);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QSignalSpy changed(&bar, &TMireltAnalogBar::Changed);
        bar.SetValue(40);
        QTest::keyClick(&bar, Qt::Key_End);
        QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(4, 10));
        QTest::mouseMove(&bar, QPoint(100, 10));
        QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(100, 10));
        QCOMPARE(bar.Value(), 5);
        QCOMPARE(bar.ThumbPos(), 0);

        // narrower than the thumb: dragging leaves the minimum
        bar.SetMaxValue(100);
        bar.resize(6, 20);
        QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(3, 10));
        QTest::mouseMove(&bar, QPoint(5, 10));
        QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(bar.Value(), 5);
        QCOMPARE(bar.ThumbPos(), 0);
        QCOMPARE(changed.count(), 0);
        bar.grab(); // paints without a usable inside
    }

    void storedInputsComeBackWithADValuesSaved() {
        platform::Settings store(dir_.filePath("settings").toStdString());
        const QString key = QStringLiteral("SOFTWARE\\Mirelt Electronic\\Tavrissel/BASIC");
        TPortImage& ports = Linotrex().Ports();
        {
            TWinRegistry reg(store, key);
            ShowAnalogPortWindow(nullptr)->ADBar(3)->SetValue(17);
            WriteAnalogPortSettings(reg);
        }
        delete AnalogPortForm;
        ports.analogIn = {};
        ports.analogChanged = {};
        {
            TWinRegistry reg(store, key);
            ReadAnalogPortSettings(reg);
        }
        QCOMPARE(int(ports.analogIn[2]), 17);
        QVERIFY(ports.analogChanged[2]);
        // it was open: made again, hidden until the main window shows it
        QVERIFY(AnalogPortForm && !AnalogPortForm->isVisible());
        QCOMPARE(ShowAnalogPortWindow(nullptr)->ADBar(3)->Value(), 17);

        ADValuesSaved = false;
        delete AnalogPortForm;
        {
            TWinRegistry reg(store, key);
            WriteAnalogPortSettings(reg);
            QCOMPARE(reg.ReadInteger("AnalogPortWindow", "AD3", -1), -1);
            ADValuesSaved = true;
            ReadAnalogPortSettings(reg);
        }
        QVERIFY(!ADValuesSaved);
        QVERIFY(!AnalogPortForm);
        QCOMPARE(std::vector<int>(ports.analogIn.begin(), ports.analogIn.end()),
                 (std::vector<int>{64, 128, 192, 255, 96, 92, 100, 200}));
    }
};

QTEST_MAIN(TestPortWindows)
#include "tst_portwindows.moc"
