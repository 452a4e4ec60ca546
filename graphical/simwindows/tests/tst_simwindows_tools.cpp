// The stay-on-top simulator windows: digital and analog ports, LCD, LED and keypad, driven with
// mouse and key events against the shared simulator state.
#include "framework/winregistry.h"
#include "graphical/model/simulatoriostate.h"
#include "graphical/simwindows/aportfrm.h"
#include "graphical/simwindows/dportfrm.h"
#include "graphical/simwindows/kbdform.h"
#include "graphical/simwindows/lcdform.h"
#include "graphical/simwindows/ledform.h"
#include "platform/qt/help.h"
#include "platform/settings.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Base = QStringLiteral("SOFTWARE\\Mirelt Electronic\\Tavrissel/plus");

QColor PixelAt(QWidget* widget, const QPoint& pos) {
    return widget->grab().toImage().pixelColor(pos);
}

} // namespace

class TestSimWindowTools : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::string StorePath() const { return dir_.filePath("settings").toStdString(); }

private slots:
    void init() {
        SimulatorIoState = TSimulatorIoState{};
        SimulatorWindows = TSimulatorWindows{};
        KeypadLockedKey = -1;
    }

    void cleanup() {
        delete DigitalPortForm;
        delete AnalogPortForm;
        delete LCDViewForm;
        delete LEDViewForm;
        delete KeyboardForm;
        QFile::remove(QString::fromStdString(StorePath()));
        DigitalPortRect = AnalogPortRect = LCDWindowRect = LEDWindowRect = KeyboardWindowRect = {};
    }

    void toolWindowsRememberPlaceAndVisibility() {
        platform::Settings store(StorePath());
        {
            TWinRegistry reg(store, Base);
            ShowLCDWindow(nullptr, false)->move(40, 50);
            ShowLEDWindow(nullptr, false);
            LEDViewForm->close();
            WriteLCDSettings(reg);
            WriteLEDSettings(reg);
            WriteDigitalPortSettings(reg);
        }
        delete LCDViewForm;
        LCDWindowRect = LEDWindowRect = {};
        TWinRegistry reg(store, Base);
        QCOMPARE(reg.ReadInteger("LCDWindow", "Visible", -1), 1);
        QCOMPARE(reg.ReadInteger("LEDWindow", "Visible", -1), 0);
        QCOMPARE(reg.ReadInteger("DigitalPortWindow", "Visible", -1), 0);
        ReadLCDSettings(reg, nullptr);
        ReadLEDSettings(reg, nullptr);
        ReadDigitalPortSettings(reg, nullptr);
        QVERIFY(LCDViewForm && !LCDViewForm->isVisible());
        QVERIFY(!LEDViewForm);
        QVERIFY(!DigitalPortForm);
        LCDViewForm->show();
        QCOMPARE(LCDViewForm->frameGeometry().topLeft(), QPoint(40, 50));
    }

    void f1OpensEachWindowsTopic() {
        std::vector<QUrl> pages;
        platform::SetHelpFile(dir_.filePath("Quendal.hlp"));
        QDir(dir_.path()).mkpath("Quendal.hlp");
        for (const char* page : {"15000.html", "16000.html", "17000.html", "18000.html"}) {
            QFile file(dir_.filePath(QStringLiteral("Quendal.hlp/") + page));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        auto old = platform::SetHelpOpener([&pages](const QUrl& url) {
            pages.push_back(url);
            return true;
        });
        QTest::keyClick(ShowAnalogPortWindow(nullptr, false), Qt::Key_F1);
        QTest::keyClick(ShowLCDWindow(nullptr, false), Qt::Key_F1);
        QTest::keyClick(ShowKeyboardWindow(nullptr, false), Qt::Key_F1);
        QTest::keyClick(ShowLEDWindow(nullptr, false), Qt::Key_F1);
        platform::SetHelpOpener(old);
        QCOMPARE(pages.size(), size_t(4));
        const char* expected[] = {"15000.html", "16000.html", "17000.html", "18000.html"};
        for (size_t i = 0; i < 4; ++i)
            QVERIFY2(pages[i].toString().endsWith(expected[i]), qPrintable(pages[i].toString()));
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 255);
    }

    void rectanglesComeBackOntoTheScreen() {
        const TWindowRect left = PlaceRectOnScreen({-500, 100, -200, 300}, 1024, 768);
        QCOMPARE(left.Left, 0);
        QCOMPARE(left.Right, 300);
        QCOMPARE(left.Top, 100);
        const TWindowRect below = PlaceRectOnScreen({100, 900, 400, 1000}, 1024, 768);
        QCOMPARE(below.Bottom, 768);
        QCOMPARE(below.Top, 668);
        QCOMPARE(below.Left, 100);
        const TWindowRect inside = PlaceRectOnScreen({10, 10, 200, 200}, 1024, 768);
        QCOMPARE(inside.Left, 10);
        QCOMPARE(inside.Top, 10);
        QVERIFY(TWindowRect{}.Empty());
    }

    void storedRectangleIsUsedAtTheFirstShow() {
        DigitalPortRect = {-400, 50, -100, 150};
        TDigitalPortForm* form = ShowDigitalPortWindow(nullptr, false);
        QCOMPARE(form->geometry().left(), 0);
        QCOMPARE(form->geometry().top(), 50);
        form->setGeometry(30, 40, 256, 62);
        form->close();
        QVERIFY(!DigitalPortForm);
        QCOMPARE(DigitalPortRect.Left, 30);
        QCOMPARE(DigitalPortRect.Top, 40);
    }

    void clickingSwitchesInputsOnly() {
        SimulatorIoState.PortIsOutput[2] = true;
        TDigitalPortForm* form = ShowDigitalPortWindow(nullptr, false);
        QCOMPARE(form->windowTitle(), QStringLiteral("Tavrissel Digitalports"));
        QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(16, 9));
        QVERIFY(SimulatorIoState.PortLevel[0]);
        QVERIFY(SimulatorIoState.PortChanged[0]);
        QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(3 * 32 - 16, 9));
        QVERIFY(!SimulatorIoState.PortLevel[2]);
        QVERIFY(!SimulatorIoState.PortChanged[2]);
        // Second row: port 9; the right button does nothing.
        QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(10, 40));
        QVERIFY(SimulatorIoState.PortLevel[8]);
        QTest::mouseClick(form, Qt::RightButton, {}, QPoint(10, 40));
        QVERIFY(SimulatorIoState.PortLevel[8]);
        QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(10, 40));
        QVERIFY(!SimulatorIoState.PortLevel[8]);
        QCOMPARE(TDigitalPortForm::PortAt({255, 63}), 16);
        // y 32 is the lower row; a widened window hits nothing right of the 16 cells.
        form->resize(400, 62);
        QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(40, 32));
        QVERIFY(SimulatorIoState.PortLevel[9]);
        QVERIFY(!SimulatorIoState.PortLevel[1]);
        QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(300, 40));
        QCOMPARE(
            std::count(SimulatorIoState.PortLevel.begin(), SimulatorIoState.PortLevel.end(), true),
            2); // ports 1 and 10
    }

    void ledsShowDirectionAndLevel() {
        TDigitalPortForm* form = ShowDigitalPortWindow(nullptr, false);
        const QPoint led1(16, 9);
        const QColor inputOff = PixelAt(form, led1);
        QTest::mouseClick(form, Qt::LeftButton, {}, led1);
        const QColor inputOn = PixelAt(form, led1);
        QVERIFY(inputOn.green() > inputOff.green());
        QCOMPARE(inputOn.red(), inputOn.blue());
        SimulatorIoState.PortIsOutput[0] = true;
        QVERIFY(bool(SimulatorWindows.DigitalPortRefresh));
        SimulatorWindows.DigitalPortRefresh();
        const QColor outputOn = PixelAt(form, led1);
        QVERIFY(outputOn.red() > outputOn.green());
        form->close();
        QVERIFY(!SimulatorWindows.DigitalPortRefresh);
    }

    void popupSetsInputsAndInitialState() {
        SimulatorIoState.PortIsOutput[5] = true;
        SimulatorIoState.PortLevel[5] = false;
        TDigitalPortForm* form = ShowDigitalPortWindow(nullptr, false);
        emit form->DigitalPortPopup->aboutToShow();
        QVERIFY(!form->LocalSetInitialItem->isEnabled());
        form->LocalSetPortsItem->trigger();
        for (int i = 0; i < 16; ++i)
            QCOMPARE(SimulatorIoState.PortLevel[size_t(i)], i != 5);
        QVERIFY(!SimulatorIoState.PortChanged[5]);
        form->LocalClearPortsItem->trigger();
        QVERIFY(!SimulatorIoState.PortLevel[0]);

        SimulatorIoState.PortIsOutput[5] = false;
        emit form->DigitalPortPopup->aboutToShow();
        QVERIFY(form->LocalSetInitialItem->isEnabled());
        QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(16, 9));   // port 1
        QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(250, 50)); // port 16
        form->LocalSetInitialItem->trigger();
        QCOMPARE(SimulatorIoState.InitialPortLevels, uint16_t(0x8001));
        QVERIFY(SimulatorIoState.InitialPortsPending);
    }

    void analogBarsStopAtTheirEnds() {
        TAnalogPortForm* form = ShowAnalogPortWindow(nullptr, false);
        QCOMPARE(form->windowTitle(), QStringLiteral("Tavrissel Analogports"));
        // Channel 1 at 0: its end is at x 21.
        QTest::mousePress(form, Qt::LeftButton, {}, QPoint(22, 16));
        QCOMPARE(form->DragChannel(), 1);
        QTest::mouseMove(form, QPoint(500, 16));
        QTest::mouseRelease(form, Qt::LeftButton, {}, QPoint(500, 16));
        QCOMPARE(int(SimulatorIoState.AnalogIn[0]), 255);
        QVERIFY(SimulatorIoState.AnalogInChanged[0]);
        QCOMPARE(form->DragChannel(), -1);
        // From 255 (end at 121) down past the left edge.
        QTest::mousePress(form, Qt::LeftButton, {}, QPoint(120, 16));
        QTest::mouseRelease(form, Qt::LeftButton, {}, QPoint(-40, 16));
        QCOMPARE(int(SimulatorIoState.AnalogIn[0]), 0);
        // Channel 7 (right column, third row) to the middle: Round(50 x 2.55) = 128.
        QTest::mousePress(form, Qt::LeftButton, {}, QPoint(150, 22 * 3 - 12 + 5));
        QCOMPARE(form->DragChannel(), 7);
        QTest::mouseRelease(form, Qt::LeftButton, {}, QPoint(149 + 50, 60));
        QCOMPARE(int(SimulatorIoState.AnalogIn[6]), 128);
        // 30 x 2.55 = 76.5 goes to the even neighbour.
        QTest::mousePress(form, Qt::LeftButton, {}, QPoint(149 + 50, 22 * 3 - 12 + 5));
        QTest::mouseRelease(form, Qt::LeftButton, {}, QPoint(149 + 30, 60));
        QCOMPARE(int(SimulatorIoState.AnalogIn[6]), 76);
        // The cursor offers sizing over a bar end only.
        QTest::mouseMove(form, QPoint(21, 16));
        QCOMPARE(form->cursor().shape(), Qt::SizeHorCursor);
        QTest::mouseMove(form, QPoint(90, 16));
        QCOMPARE(form->cursor().shape(), Qt::ArrowCursor);
        // Far from a bar end nothing is dragged.
        QTest::mousePress(form, Qt::LeftButton, {}, QPoint(100, 16));
        QCOMPARE(form->DragChannel(), -1);
        QTest::mouseRelease(form, Qt::LeftButton, {}, QPoint(100, 16));
        QCOMPARE(int(SimulatorIoState.AnalogIn[0]), 0);
    }

    void analogBarsShowTheSharedValues() {
        TAnalogPortForm* form = ShowAnalogPortWindow(nullptr, false);
        QCOMPARE(TAnalogPortForm::BarLength(255), 100);
        QCOMPARE(TAnalogPortForm::BarLength(0), 0);
        // 51 x 100 / 255 = 20 exactly; 127.5 rounds to the even neighbour.
        QCOMPARE(TAnalogPortForm::BarLength(51), 20);
        const QPoint inside(21 + 60, 108 + 6);
        const QColor before = PixelAt(form, inside);
        SimulatorIoState.AnalogOut[0] = 255;
        UpdateAnalogOutputs();
        const QColor after = PixelAt(form, inside);
        QVERIFY(after != before);
        QCOMPARE(after, QColor(Qt::red));
        SimulatorIoState.AnalogIn[3] = 255;
        SimulatorWindows.AnalogPortRefresh();
        QCOMPARE(PixelAt(form, QPoint(21 + 60, 22 * 4 - 12 + 6)), QColor(Qt::green));
    }

    void analogValuesSurviveARestartOnlyWhenSaved() {
        platform::Settings store(StorePath());
        TWinRegistry reg(store, Base);
        SimulatorIoState.AnalogIn = {1, 2, 3, 4, 5, 6, 7, 200};
        ADValuesSaved = true;
        WriteAnalogPortSettings(reg);
        SimulatorIoState = TSimulatorIoState{};
        ReadAnalogPortSettings(reg, nullptr);
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 200);
        QVERIFY(SimulatorIoState.AnalogInChanged[7]);
        QVERIFY(!AnalogPortForm);

        ADValuesSaved = false;
        ShowAnalogPortWindow(nullptr, false);
        WriteAnalogPortSettings(reg);
        QCOMPARE(reg.ReadInteger("AnalogPortWindow", "Visible", 0), 1);
        delete AnalogPortForm;
        SimulatorIoState.AnalogIn.fill(99);
        ReadAnalogPortSettings(reg, nullptr);
        QVERIFY(!ADValuesSaved);
        QCOMPARE(int(SimulatorIoState.AnalogIn[0]), 0);
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 0);
        // "Visible" creates the window hidden; the main window shows it later.
        QVERIFY(AnalogPortForm);
        QVERIFY(!AnalogPortForm->isVisible());
        ADValuesSaved = true;
    }

    void lcdShowsOnlyTheTwoVisibleLines() {
        TLCDViewForm* form = ShowLCDWindow(nullptr, false);
        QCOMPARE(form->windowTitle(), QStringLiteral("Tavrissel LCD-Modul"));
        QCOMPARE(form->size(), QSize(288, 88));
        const QImage blank = form->grab().toImage();
        SimulatorIoState.LcdText.fill(' ');
        SimulatorIoState.LcdText[16] = 'X'; // position 17: kept, not shown
        SimulatorIoState.LcdText[63] = 'Y';
        SimulatorIoState.LcdChanged = true;
        SimulatorWindows.LcdRefresh();
        QVERIFY(!SimulatorIoState.LcdChanged);
        QCOMPARE(form->DrawnChar(17), 'X');
        QCOMPARE(form->grab().toImage(), blank);

        SimulatorIoState.LcdText[0] = 'H';
        SimulatorIoState.LcdText[47] = 'W';
        UpdateLCD();
        const QImage shown = form->grab().toImage();
        auto differs = [&](const QRect& cell) { return shown.copy(cell) != blank.copy(cell); };
        QVERIFY(differs(TLCDViewForm::CharRect(1)));
        QVERIFY(differs(TLCDViewForm::CharRect(48)));
        QVERIFY(!differs(TLCDViewForm::CharRect(2)));
        QCOMPARE(TLCDViewForm::CharRect(48), QRect(15 * 16 + 16, 44, 16, 22));
        QVERIFY(TLCDViewForm::CharRect(17).isEmpty());
        QVERIFY(TLCDViewForm::CharRect(64).isEmpty());
    }

    void ledDigitsComeFromTheGlyphSheet() {
        SimulatorIoState.LedDigits = {0x06, 0x5B, 0, 0, 0, 0x3F};
        TLEDViewForm* form = ShowLEDWindow(nullptr, false);
        QCOMPARE(form->windowTitle(), QStringLiteral("Tavrissel LED-Modul"));
        auto digitImage = [&](int digit) {
            return form->BackBuffer().copy(TLEDViewForm::DigitX[size_t(digit - 1)],
                                           TLEDViewForm::DigitY, 11, 19);
        };
        QCOMPARE(digitImage(1), form->Glyph(0x06));
        QCOMPARE(digitImage(2), form->Glyph(0x5B));
        QCOMPARE(digitImage(6), form->Glyph(0x3F));
        QVERIFY(form->Glyph(0x06) != form->Glyph(0x5B));
        SimulatorIoState.LedDigits[3] = 0x7F;
        SimulatorIoState.LedChanged = true;
        SimulatorWindows.LedRefresh();
        QVERIFY(!SimulatorIoState.LedChanged);
        QCOMPARE(digitImage(4), form->Glyph(0x7F));
        QCOMPARE(form->DrawnDigit(4), uint8_t(0x7F));
        // The window shows the back buffer at (22, 9).
        const QImage window = form->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(window.copy(QRect(TLEDViewForm::PictureOffset + QPoint(53, 13), QSize(11, 19))),
                 form->Glyph(0x7F).convertToFormat(QImage::Format_RGB32));
    }

    void keypadDrivesAnalogInputEight() {
        TKeyboardForm* form = ShowKeyboardWindow(nullptr, false);
        QCOMPARE(form->windowTitle(), QStringLiteral("Tastatur"));
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 255);
        const QPoint star = TKeyboardForm::Keys[9].Rect.center();
        QTest::mousePress(form, Qt::LeftButton, {}, star);
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 0);
        QVERIFY(SimulatorIoState.AnalogInChanged[7]);
        QTest::mouseRelease(form, Qt::LeftButton, {}, star);
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 255);
        // Leaving the key releases it.
        QTest::mousePress(form, Qt::LeftButton, {}, TKeyboardForm::Keys[4].Rect.center());
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 132);
        QTest::mouseMove(form, QPoint(2, 2));
        QCOMPARE(form->PressedKey(), -1);
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 255);
        // The pressed key is highlighted.
        const QImage before = form->grab().toImage();
        QTest::mousePress(form, Qt::LeftButton, {}, TKeyboardForm::Keys[0].Rect.center());
        const QImage pressed = form->grab().toImage();
        QVERIFY(pressed.copy(TKeyboardForm::Keys[0].Rect) !=
                before.copy(TKeyboardForm::Keys[0].Rect));
        QCOMPARE(pressed.copy(TKeyboardForm::Keys[1].Rect),
                 before.copy(TKeyboardForm::Keys[1].Rect));
        QTest::mouseRelease(form, Qt::LeftButton, {}, TKeyboardForm::Keys[0].Rect.center());
        QCOMPARE(form->grab().toImage(), before);
    }

    void pcKeysHoldKeypadKeys() {
        TKeyboardForm* form = ShowKeyboardWindow(nullptr, false);
        QTest::keyPress(form, Qt::Key_5);
        QCOMPARE(form->KeyboardKey(), 5);
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 132);
        // While it is held the mouse cannot press another key.
        QTest::mousePress(form, Qt::LeftButton, {}, TKeyboardForm::Keys[0].Rect.center());
        QCOMPARE(form->PressedKey(), -1);
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 132);
        QTest::mouseRelease(form, Qt::LeftButton, {}, TKeyboardForm::Keys[0].Rect.center());
        QTest::keyRelease(form, Qt::Key_5);
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 255);

        QCOMPARE(TKeyboardForm::MapKey(Qt::Key_0, Qt::NoModifier), 11);
        QCOMPARE(TKeyboardForm::MapKey(Qt::Key_7, Qt::KeypadModifier), 7);
        QCOMPARE(TKeyboardForm::MapKey(Qt::Key_7, Qt::ControlModifier), -1);
        QCOMPARE(TKeyboardForm::MapKey(Qt::Key_Asterisk, Qt::KeypadModifier), 10);
        QCOMPARE(TKeyboardForm::MapKey(Qt::Key_Asterisk, Qt::ShiftModifier), 10);
        QCOMPARE(TKeyboardForm::MapKey(Qt::Key_NumberSign, Qt::NoModifier), 12);
        QCOMPARE(TKeyboardForm::MapKey(Qt::Key_A, Qt::NoModifier), -1);
        QTest::keyPress(form, Qt::Key_NumberSign);
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 173);
        QTest::keyRelease(form, Qt::Key_NumberSign);
    }

    void doubleClickLocksAKeyAcrossRestarts() {
        TKeyboardForm* form = ShowKeyboardWindow(nullptr, false);
        const QPoint nine = TKeyboardForm::Keys[8].Rect.center();
        QTest::mouseClick(form, Qt::LeftButton, {}, nine);
        QTest::mouseDClick(form, Qt::LeftButton, {}, nine);
        QCOMPARE(form->LockedKey(), 9);
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 193);
        // The next press is an ordinary one: pressing key 1 releases the locked 9.
        QTest::mousePress(form, Qt::LeftButton, {}, TKeyboardForm::Keys[0].Rect.center());
        QCOMPARE(form->LockedKey(), -1);
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 68);
        QTest::mouseRelease(form, Qt::LeftButton, {}, TKeyboardForm::Keys[0].Rect.center());
        QTest::mouseClick(form, Qt::LeftButton, {}, nine);
        QTest::mouseDClick(form, Qt::LeftButton, {}, nine);
        QCOMPARE(form->LockedKey(), 9);

        platform::Settings store(StorePath());
        {
            TWinRegistry reg(store, Base);
            WriteKeyboardSettings(reg);
        }
        delete form;
        KeypadLockedKey = -1;
        SimulatorIoState.AnalogIn[7] = 255;
        TWinRegistry reg(store, Base);
        QCOMPARE(reg.ReadInteger("KeyboardWindow", "KeyDown", -1), 9);
        QCOMPARE(reg.ReadInteger("KeyboardWindow", "Visible", 0), 1);
        ReadKeyboardSettings(reg, nullptr);
        QVERIFY(KeyboardForm);
        QCOMPARE(KeyboardForm->LockedKey(), 9);
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 193);

        // Double-clicking the locked key releases it.
        KeyboardForm->show();
        QTest::mouseClick(KeyboardForm, Qt::LeftButton, {}, nine);
        QTest::mouseDClick(KeyboardForm, Qt::LeftButton, {}, nine);
        QCOMPARE(KeyboardForm->LockedKey(), -1);
        QCOMPARE(int(SimulatorIoState.AnalogIn[7]), 255);
    }
};

QTEST_MAIN(TestSimWindowTools)
#include "tst_simwindows_tools.moc"
