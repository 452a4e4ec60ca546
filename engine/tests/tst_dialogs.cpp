// The parameter dialogs opened through MoltraneEditBlockParam and operated with real keys and
// clicks: what each stores on OK, what it refuses, and that Abbrechen stores nothing.
#include "engine/include/quendal32.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <string>

namespace QTest {
template <> inline char* toString(const std::string& text) {
    return toString(QByteArray::fromStdString(text));
}
} // namespace QTest

namespace {

constexpr BlockHandle kBlock = 0x10001;

QString Ansi(const char* text) {
    return platform::AnsiToQString(std::string_view(text));
}

template <class T> T* Child(QDialog& dialog, const char* name) {
    return dialog.findChild<T*>(QLatin1String(name));
}

void Click(QAbstractButton* button) {
    QVERIFY(button != nullptr);
    // near the left edge: radio buttons and check boxes answer only on their mark and text
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                      QPoint(std::min(8, button->width() / 2), button->height() / 2));
}

void ClickOk(QDialog& dialog) {
    Click(Child<QPushButton>(dialog, "OkButton"));
}

void ClickCancel(QDialog& dialog) {
    Click(Child<QPushButton>(dialog, "CancelButton"));
}

// Types text into a widget; characters outside ASCII go as key events that carry the text.
void Type(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, static_cast<char>(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Types into the grid's current cell: the first key opens the cell's editor, Return closes it.
void TypeIntoCell(QTableWidget* grid, const QString& text) {
    QTest::keyClick(grid, static_cast<char>(text.front().unicode()));
    auto* editor = grid->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor != nullptr);
    Type(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
}

// Replaces a line edit's whole text by typing, masked or not.
void Retype(QLineEdit* edit, const QString& text) {
    QVERIFY(edit != nullptr);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Home);
    Type(edit, text);
}

// One engine with a page and the block under test.
class Engine {
public:
    explicit Engine(int kind) : h_(MoltraneCreate()) {
        MoltraneAddPage(h_, 1, 0);
        MoltraneAddBlock(h_, kind, kBlock);
    }
    ~Engine() { MoltraneDestroy(h_); }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    void Set(const char* text) { QVERIFY(MoltraneSetBlockParam(h_, kBlock, text)); }
    std::string Param() const {
        const char* text = MoltraneGetBlockParam(h_, kBlock);
        return text != nullptr ? text : "<null>";
    }

    // Opens the block's dialog, hands it to operate as soon as it shows and answers what
    // MoltraneEditBlockParam answered. A dialog that operate leaves open is cancelled and fails
    // the test; opened says whether a dialog showed at all.
    bool Edit(const std::function<void(QDialog&)>& operate) {
        opened = false;
        bool leftOpen = false;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                return;
            opened = true;
            // focus follows clicks only in the active window
            dialog->activateWindow();
            if (QTest::qWaitForWindowActive(dialog))
                operate(*dialog);
            if (dialog->isVisible()) {
                leftOpen = true;
                dialog->reject();
            }
        });
        timer.start(0);
        const bool answer = MoltraneEditBlockParam(h_, kBlock);
        if (leftOpen)
            QTest::qFail("the dialog was left open", __FILE__, __LINE__);
        return answer;
    }

    bool opened = false;

private:
    EngineHandle h_;
};

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void numberedKindsOfferOneToTheirMaximum_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<int>("maximum");
        const QString block = QStringLiteral("Blockparameter");
        const QString port = Ansi("W\xE4hlen Sie die Portnummer aus:");
        const QString cell = Ansi("W\xE4hlen Sie die Speicherzelle aus:");
        const QString channel = Ansi("W\xE4hlen Sie eine Portnummer aus");
        QTest::newRow("bit port") << 100 << block << port << 16;
        QTest::newRow("byte port") << 101 << block << port << 2;
        QTest::newRow("A/D") << 103 << QStringLiteral("Eigenschaften des A/D-Blocks") << channel
                             << 8;
        QTest::newRow("D/A") << 104 << QStringLiteral("Eigenschaften des D/A-Blocks") << channel
                             << 2;
        QTest::newRow("user bit") << 600 << block << cell << 192;
        QTest::newRow("user byte") << 601 << block << cell << 24;
        QTest::newRow("user word") << 602 << block << cell << 12;
    }

    void numberedKindsOfferOneToTheirMaximum() {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QFETCH(QString, prompt);
        QFETCH(int, maximum);
        Engine engine(kind);
        const bool answer = engine.Edit([&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), caption);
            QCOMPARE(Child<QLabel>(dialog, "label")->text(), prompt);
            auto* spin = Child<QSpinBox>(dialog, "spin");
            auto* ed = Child<QLineEdit>(dialog, "ed");
            QVERIFY(spin != nullptr && ed != nullptr);
            QVERIFY(ed->isReadOnly());
            QCOMPARE(spin->minimum(), 1);
            QCOMPARE(spin->maximum(), maximum);
            QCOMPARE(ed->text(), QStringLiteral("1"));
            QTest::keyClick(spin, Qt::Key_Down); // stays at 1
            QTest::keyClick(spin, Qt::Key_Up);
            QTest::keyClick(spin, Qt::Key_Up);
            QTest::keyClick(spin, Qt::Key_Up); // past 2 for the kinds that stop there
            QTest::keyClicks(ed, "9");         // the edit takes no typing
            ClickOk(dialog);
        });
        QVERIFY(answer);
        QCOMPARE(engine.Param(), std::to_string(std::min(4, maximum)));
    }

    void aDialogOpensOverTheWindowTheUserWorksIn() {
        QWidget window;
        window.setGeometry(350, 250, 400, 300);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        Engine engine(100);
        engine.Edit([&](QDialog& dialog) {
            const QPoint offset = dialog.geometry().center() - window.geometry().center();
            QVERIFY2(offset.manhattanLength() < 40,
                     qPrintable(QStringLiteral("%1, %2").arg(offset.x()).arg(offset.y())));
            ClickCancel(dialog);
        });
        QVERIFY(engine.opened);
    }

    void numberAboveTheMaximumShowsTheMaximum() {
        Engine engine(100);
        QVERIFY(!MoltraneSetBlockParam(nullptr, kBlock, "17"));
        MoltraneSetBlockParam(nullptr, kBlock, "17");
        engine.Set("16");
        QVERIFY(engine.Edit([](QDialog& dialog) {
            QTest::keyClick(Child<QSpinBox>(dialog, "spin"), Qt::Key_Up);
            QCOMPARE(Child<QLineEdit>(dialog, "ed")->text(), QStringLiteral("16"));
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("16"));
    }

    void wordPortHasNoDialog() {
        Engine engine(102);
        QVERIFY(!engine.Edit([](QDialog& dialog) { dialog.reject(); }));
        QVERIFY(!engine.opened);
    }

    void valueConstantRefusesWhatIsNoSixteenBitNumber() {
        Engine engine(700);
        engine.Set("-123");
        platform::DialogRecorder recorder;
        QVERIFY(engine.Edit([&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Blockparameter"));
            QCOMPARE(Child<QLabel>(dialog, "label")->text(),
                     QStringLiteral("Geben Sie einen konstanten Wert von -32768 bis +32767 ein:"));
            auto* ed = Child<QLineEdit>(dialog, "ed");
            QCOMPARE(ed->text(), QStringLiteral("-123"));
            for (const char* refused : {"32768", "-32769", "99999", "-", ""}) {
                Retype(ed, QLatin1String(refused));
                ClickOk(dialog);
                QVERIFY2(dialog.isVisible(), refused);
            }
            QCOMPARE(recorder.Beeps(),
                     std::vector<platform::BeepKind>(5, platform::BeepKind::Exclamation));
            Retype(ed, QStringLiteral("-32768"));
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("-32768"));
        QVERIFY(engine.Edit([&](QDialog& dialog) {
            Retype(Child<QLineEdit>(dialog, "ed"), QStringLiteral("32767"));
            QTest::keyClick(Child<QLineEdit>(dialog, "ed"), Qt::Key_Return);
        }));
        QCOMPARE(engine.Param(), std::string("32767"));
        QCOMPARE(recorder.Beeps().size(), size_t(5));
    }

    void valueConstantEditsLikeATextField() {
        Engine engine(700);
        engine.Set("1");
        // What is typed over the value selected on entry replaces it.
        QVERIFY(engine.Edit([](QDialog& dialog) {
            auto* ed = Child<QLineEdit>(dialog, "ed");
            QTest::keyClicks(ed, "7");
            QCOMPARE(ed->text(), QStringLiteral("7"));
            QTest::keyClick(ed, Qt::Key_Return);
        }));
        QCOMPARE(engine.Param(), std::string("7"));
        QVERIFY(engine.Edit([](QDialog& dialog) {
            auto* ed = Child<QLineEdit>(dialog, "ed");
            QTest::keyClick(ed, Qt::Key_End);
            QTest::keyClick(ed, Qt::Key_Backspace);
            QTest::keyClicks(ed, "42");
            QCOMPARE(ed->text(), QStringLiteral("42"));
            QTest::keyClick(ed, Qt::Key_Return);
        }));
        QCOMPARE(engine.Param(), std::string("42"));
        engine.Set("1234");
        QVERIFY(engine.Edit([](QDialog& dialog) {
            auto* ed = Child<QLineEdit>(dialog, "ed");
            QTest::keyClick(ed, Qt::Key_Home);
            QTest::keyClick(ed, Qt::Key_Delete);
            QTest::keyClicks(ed, "-x"); // a letter is refused
            QTest::keyClick(ed, Qt::Key_Right, Qt::ShiftModifier);
            QTest::keyClicks(ed, "9");
            QTest::keyClick(ed, Qt::Key_End);
            QTest::keyClicks(ed, "0");
            QCOMPARE(ed->text(), QStringLiteral("-9340"));
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("-9340"));
        // A paste lands as the field shows it, blanks around it dropped.
        QApplication::clipboard()->setText(QStringLiteral(" 815 "));
        QVERIFY(engine.Edit([](QDialog& dialog) {
            auto* ed = Child<QLineEdit>(dialog, "ed");
            QTest::keyClick(ed, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(ed->text(), QStringLiteral("815"));
            QTest::keyClick(ed, Qt::Key_Home);
            QTest::keyClick(ed, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(ed->text(), QStringLiteral("815815"));
            QTest::keyClick(ed, Qt::Key_V, Qt::ControlModifier); // a seventh place is refused
            QCOMPARE(ed->text(), QStringLiteral("815815"));
            QTest::keyClick(ed, Qt::Key_Return); // out of range: stays open
            QVERIFY(dialog.isVisible());
            QTest::keyClick(ed, Qt::Key_Backspace);
            QTest::keyClick(ed, Qt::Key_Backspace);
            QTest::keyClick(ed, Qt::Key_Backspace);
            QTest::keyClick(ed, Qt::Key_Return);
        }));
        QCOMPARE(engine.Param(), std::string("815"));
    }

    void dateChecksDayAgainstMonth() {
        Engine engine(704);
        engine.Set("24.12");
        platform::DialogRecorder recorder;
        QVERIFY(engine.Edit([&](QDialog& dialog) {
            QCOMPARE(Child<QLabel>(dialog, "label")->text(),
                     QStringLiteral("Geben Sie ein Datum an:"));
            auto* ed = Child<QLineEdit>(dialog, "ed");
            QCOMPARE(ed->text(), QStringLiteral("24.12"));
            int beeps = 0;
            for (const char* refused : {"3002", "0005", "3104", "0113", "0100", "311"}) {
                Retype(ed, QLatin1String(refused));
                ClickOk(dialog);
                QVERIFY2(dialog.isVisible(), refused);
                QCOMPARE(recorder.Beeps().size(), size_t(++beeps));
            }
            Retype(ed, QStringLiteral("2902"));
            QCOMPARE(ed->text(), QStringLiteral("29.02"));
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("29.02"));
        QVERIFY(engine.Edit([&](QDialog& dialog) {
            Retype(Child<QLineEdit>(dialog, "ed"), QStringLiteral("3112"));
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("31.12"));
    }

    void timeChecksHourAndMinute() {
        Engine engine(703);
        engine.Set("07:30");
        platform::DialogRecorder recorder;
        QVERIFY(engine.Edit([&](QDialog& dialog) {
            QCOMPARE(Child<QLabel>(dialog, "label")->text(),
                     QStringLiteral("Geben Sie eine Uhrzeit an:"));
            auto* ed = Child<QLineEdit>(dialog, "ed");
            QCOMPARE(ed->text(), QStringLiteral("07:30"));
            for (const char* refused : {"2400", "2360", "235"}) {
                Retype(ed, QLatin1String(refused));
                ClickOk(dialog);
                QVERIFY2(dialog.isVisible(), refused);
            }
            QCOMPARE(recorder.Beeps().size(), size_t(3));
            Retype(ed, QStringLiteral("2359"));
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("23:59"));
        QVERIFY(engine.Edit([&](QDialog& dialog) {
            Retype(Child<QLineEdit>(dialog, "ed"), QStringLiteral("0000"));
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("00:00"));
    }

    void textKindsTakeTheLineAsTyped_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<int>("maxLength");
        QTest::newRow("text") << 702 << QStringLiteral("Geben Sie einen Text ein:") << 80;
        QTest::newRow("table") << 209
                               << QStringLiteral("Geben Sie den Bezeichner einer Tabelle ein:")
                               << 99;
        QTest::newRow("goto") << 1000 << QStringLiteral("Geben Sie den Bezeichner einer Zelle ein:")
                              << 99;
        QTest::newRow("gosub") << 1001
                               << QStringLiteral("Geben Sie den Bezeichner einer Zelle ein:") << 99;
    }

    void textKindsTakeTheLineAsTyped() {
        QFETCH(int, kind);
        QFETCH(QString, prompt);
        QFETCH(int, maxLength);
        Engine engine(kind);
        engine.Set("Alt");
        QVERIFY(engine.Edit([&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Blockparameter"));
            QCOMPARE(Child<QLabel>(dialog, "label")->text(), prompt);
            auto* ed = Child<QLineEdit>(dialog, "ed");
            QCOMPARE(ed->text(), QStringLiteral("Alt"));
            QCOMPARE(ed->maxLength(), maxLength);
            Retype(ed, Ansi("Gr\xFC\xDF Gott 7"));
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("Gr\xFC\xDF Gott 7"));
        // an empty name is allowed
        QVERIFY(engine.Edit([&](QDialog& dialog) {
            Retype(Child<QLineEdit>(dialog, "ed"), QString());
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string());
    }

    void characterConstantKeepsItsQuotes() {
        Engine engine(701);
        QVERIFY(engine.Edit([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Eigenschaften des Blocks"));
            QCOMPARE(Child<QLabel>(dialog, "label")->text(),
                     QStringLiteral("Geben Sie ein Zeichen ein:"));
            auto* ed = Child<QLineEdit>(dialog, "ed");
            QCOMPARE(ed->text(), QStringLiteral("C"));
            Retype(ed, Ansi("\xE4x")); // one character only
            QCOMPARE(ed->text(), Ansi("\xE4"));
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("'\xE4'"));
        QVERIFY(engine.Edit([](QDialog& dialog) {
            Retype(Child<QLineEdit>(dialog, "ed"), QString());
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("' '"));
        // a text too short for a middle character still takes the new one
        engine.Set("");
        QVERIFY(engine.Edit([](QDialog& dialog) {
            QCOMPARE(Child<QLineEdit>(dialog, "ed")->text(), QString());
            Retype(Child<QLineEdit>(dialog, "ed"), QStringLiteral("z"));
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("'z'"));
    }

    void lcdMaskSplitsIntoTwoLines() {
        Engine engine(107);
        engine.Set("AB\nCD#");
        QVERIFY(engine.Edit([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Eigenschaften des LCD-Blockes"));
            QCOMPARE(Child<QLabel>(dialog, "label")->text(),
                     Ansi("Geben Sie die Ausgabemaske f\xFCr den LCD-Block ein"));
            auto* ed1 = Child<QLineEdit>(dialog, "ed1");
            auto* ed2 = Child<QLineEdit>(dialog, "ed2");
            QCOMPARE(ed1->text(), QStringLiteral("AB"));
            QCOMPARE(ed2->text(), QStringLiteral("CD#"));
            Retype(ed1, QStringLiteral("Temperatur: 12345678")); // cut at 16
            Retype(ed2, Ansi("# \xB0"
                             "C $"));
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("Temperatur: 1234\n# \xB0"
                                             "C $"));
        // without a line feed the whole mask is the second line
        engine.Set("XYZ");
        QVERIFY(engine.Edit([](QDialog& dialog) {
            QCOMPARE(Child<QLineEdit>(dialog, "ed1")->text(), QString());
            QCOMPARE(Child<QLineEdit>(dialog, "ed2")->text(), QStringLiteral("XYZ"));
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("\nXYZ"));
        // a stored line longer than the display survives opening and confirming
        engine.Set("0123456789ABCDEFGHIJ\nx");
        QVERIFY(engine.Edit([](QDialog& dialog) { ClickOk(dialog); }));
        QCOMPARE(engine.Param(), std::string("0123456789ABCDEFGHIJ\nx"));
    }

    void melodyIsRebuiltFromTheGrid() {
        Engine engine(108);
        engine.Set("478 10 5 0 10 5");
        QVERIFY(engine.Edit([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Eigenschaften des Tonausgabe-Blocks"));
            QCOMPARE(Child<QLabel>(dialog, "label")->text(),
                     QStringLiteral("Geben Sie eine kurze Melodie ein:"));
            auto* grid = Child<QTableWidget>(dialog, "melody");
            QCOMPARE(grid->rowCount(), 29);
            QCOMPARE(grid->columnCount(), 3);
            QCOMPARE(grid->horizontalHeaderItem(1)->text(), QStringLiteral("Tondauer"));
            QCOMPARE(grid->columnWidth(0), 80);
            QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("478"));
            QCOMPARE(grid->item(1, 2)->text(), QStringLiteral("5"));
            QVERIFY(grid->item(2, 0) == nullptr);
            // a tone button writes into the current row's tone cell
            grid->setFocus();
            QTest::keyClick(grid, Qt::Key_Down);
            QTest::keyClick(grid, Qt::Key_Down);
            Click(Child<QPushButton>(dialog, "Button5"));
            QCOMPARE(Child<QPushButton>(dialog, "Button8")->text(), QStringLiteral("C'"));
            // typed duration and pause in the same row
            QTest::keyClick(grid, Qt::Key_Right);
            TypeIntoCell(grid, QStringLiteral("7"));
            QTest::keyClick(grid, Qt::Key_Right);
            TypeIntoCell(grid, QStringLiteral("3"));
            // the first row's tone replaced by the top C
            grid->setCurrentCell(0, 2);
            Click(Child<QPushButton>(dialog, "Button8"));
            ClickOk(dialog);
        }));
        std::string expected = "239 10 5 0 10 5 319 7 3 ";
        for (int row = 3; row < 29; ++row)
            expected += "0 0 0 ";
        QCOMPARE(engine.Param(), expected);
    }

    void melodyNamesTheCellThatHoldsNoNumber() {
        Engine engine(108);
        engine.Set("478 10 5");
        platform::DialogRecorder recorder;
        QVERIFY(engine.Edit([&](QDialog& dialog) {
            auto* grid = Child<QTableWidget>(dialog, "melody");
            grid->setItem(3, 2, new QTableWidgetItem(QStringLiteral("kurz")));
            ClickOk(dialog);
            QVERIFY(dialog.isVisible());
            QCOMPARE(recorder.Boxes().size(), size_t(1));
            const QString text = recorder.Boxes()[0].text;
            QVERIFY2(text.contains(QStringLiteral("Zeile 4")) &&
                         text.contains(QStringLiteral("\"Pause\"")) &&
                         text.contains(QStringLiteral("kurz")),
                     qPrintable(text));
            QCOMPARE(grid->currentRow(), 3);
            QCOMPARE(grid->currentColumn(), 2);
            // a number too large for the tone register is refused too
            grid->item(3, 2)->setText(QStringLiteral("70000"));
            ClickOk(dialog);
            QVERIFY(dialog.isVisible());
            QCOMPARE(recorder.Boxes().size(), size_t(2));
            grid->item(3, 2)->setText(QStringLiteral(" 65535 "));
            ClickOk(dialog);
        }));
        QVERIFY(engine.Param().starts_with("478 10 5 0 0 0 0 0 0 0 0 65535 0 0 0 "));
    }

    void ledMaskIsRebuiltFromEditsAndPoints() {
        Engine engine(109);
        engine.Set("##.###001000");
        QDialog* first = nullptr;
        QVERIFY(engine.Edit([&](QDialog& dialog) {
            first = &dialog;
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Eigenschaften des LED-Blockes"));
            QCOMPARE(Child<QLabel>(dialog, "label")->text(),
                     Ansi("Geben Sie die Ausgabemaske f\xFCr den LED-Block ein"));
            QCOMPARE(Child<QLineEdit>(dialog, "Edit3")->text(), QStringLiteral("."));
            QVERIFY(Child<QCheckBox>(dialog, "CheckBox3")->isChecked());
            QVERIFY(!Child<QCheckBox>(dialog, "CheckBox4")->isChecked());
            // before any edit is entered the buttons write into the first place
            Click(Child<QToolButton>(dialog, "SpeedButtonA"));
            QTest::mouseClick(Child<QLineEdit>(dialog, "Edit4"), Qt::LeftButton);
            Click(Child<QToolButton>(dialog, "SpeedButton9")); // carries the 8
            QTest::mouseClick(Child<QLineEdit>(dialog, "Edit6"), Qt::LeftButton);
            Click(Child<QToolButton>(dialog, "SpeedButtonGrad"));
            QTest::mouseClick(Child<QLineEdit>(dialog, "Edit3"), Qt::LeftButton);
            Click(Child<QToolButton>(dialog, "DigitButton"));
            Retype(Child<QLineEdit>(dialog, "Edit2"), QString());
            Click(Child<QCheckBox>(dialog, "CheckBox1"));
            Click(Child<QCheckBox>(dialog, "CheckBox3"));
            Click(Child<QCheckBox>(dialog, "CheckBox6"));
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("A #8#\xB0"
                                             "100001"));
        // the one LED dialog, preset anew: its buttons start again at the first place
        engine.Set("123456");
        QVERIFY(engine.Edit([&](QDialog& dialog) {
            QCOMPARE(&dialog, first);
            QVERIFY(!Child<QCheckBox>(dialog, "CheckBox1")->isChecked());
            Click(Child<QToolButton>(dialog, "SpeedButtonUe"));
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("\xFC"
                                             "23456000000"));
    }

    void printAndBaudBlocksChooseByRadioButton() {
        Engine print(900);
        print.Set("2");
        QVERIFY(print.Edit([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Parameter des RS232-Ausgabeblocks"));
            QVERIFY(Child<QRadioButton>(dialog, "RadioButton2")->isChecked());
            QCOMPARE(Child<QRadioButton>(dialog, "RadioButton2")->text(),
                     QStringLiteral("Zeilenvorschub "));
            Click(Child<QRadioButton>(dialog, "RadioButton3"));
            ClickOk(dialog);
        }));
        QCOMPARE(print.Param(), std::string("4"));
        print.Set("7");
        QVERIFY(print.Edit([](QDialog& dialog) {
            QVERIFY(Child<QRadioButton>(dialog, "RadioButton1")->isChecked());
            ClickOk(dialog);
        }));
        QCOMPARE(print.Param(), std::string("1"));

        Engine baud(904);
        QVERIFY(baud.Edit([](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Eigenschaften des Baudrate-Blocks"));
            QCOMPARE(Child<QLabel>(dialog, "label")->text(), Ansi("W\xE4hlen Sie eine \xDC"
                                                                  "bertragungsrate aus:"));
            QVERIFY(Child<QRadioButton>(dialog, "RadioButton4")->isChecked());
            QCOMPARE(Child<QRadioButton>(dialog, "RadioButton2")->text(),
                     QStringLiteral("2400 bit/s"));
            Click(Child<QRadioButton>(dialog, "RadioButton2"));
            ClickOk(dialog);
        }));
        QCOMPARE(baud.Param(), std::string("2"));
        baud.Set("3");
        QVERIFY(baud.Edit([](QDialog& dialog) {
            QVERIFY(Child<QRadioButton>(dialog, "RadioButton4")->isChecked());
            Click(Child<QRadioButton>(dialog, "RadioButton1"));
            ClickOk(dialog);
        }));
        QCOMPARE(baud.Param(), std::string("1"));
    }

    void nameListTakesOneNamePerLine_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("on goto") << 1003;
        QTest::newRow("on gosub") << 1004;
    }

    void nameListTakesOneNamePerLine() {
        QFETCH(int, kind);
        Engine engine(kind);
        engine.Set("Start\r\nEnde");
        platform::DialogRecorder recorder;
        QVERIFY(engine.Edit([&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Blockeigenschaften"));
            auto* memo = Child<QPlainTextEdit>(dialog, "memo");
            QCOMPARE(memo->toPlainText(), QStringLiteral("Start\nEnde"));
            memo->setFocus();
            QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClick(memo, Qt::Key_Return);
            Type(memo, Ansi("M\xE4rz "));
            // a list the block cannot hold whole is refused
            QTest::keyClicks(memo, QString(100, u'x'));
            ClickOk(dialog);
            QVERIFY(dialog.isVisible());
            QCOMPARE(recorder.Boxes().size(), size_t(1));
            for (int i = 0; i < 100; ++i)
                QTest::keyClick(memo, Qt::Key_Backspace);
            ClickOk(dialog);
        }));
        QCOMPARE(engine.Param(), std::string("Start\r\nEnde\r\nM\xE4rz "));
    }

    // Every kind with a dialog opens it; Abbrechen leaves the text as it was.
    void cancelStoresNothing_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        for (int kind : {100, 101, 103, 104, 600, 601, 602})
            QTest::newRow(qPrintable(QString::number(kind))) << kind << QStringLiteral("2");
        QTest::newRow("LCD") << 107 << QStringLiteral("a\nb");
        QTest::newRow("beeper") << 108 << QStringLiteral("478 10 5");
        QTest::newRow("LED") << 109 << QStringLiteral("1#####000000");
        QTest::newRow("table") << 209 << QStringLiteral("T1");
        QTest::newRow("value") << 700 << QStringLiteral("42");
        QTest::newRow("char") << 701 << QStringLiteral("'x'");
        QTest::newRow("text") << 702 << QStringLiteral("Hallo");
        QTest::newRow("time") << 703 << QStringLiteral("12:34");
        QTest::newRow("date") << 704 << QStringLiteral("05.06");
        QTest::newRow("print") << 900 << QStringLiteral("4");
        QTest::newRow("baud") << 904 << QStringLiteral("1");
        QTest::newRow("goto") << 1000 << QStringLiteral("Z");
        QTest::newRow("gosub") << 1001 << QStringLiteral("Z");
        QTest::newRow("on goto") << 1003 << QStringLiteral("A\r\nB");
        QTest::newRow("on gosub") << 1004 << QStringLiteral("A\r\nB");
    }

    void cancelStoresNothing() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        Engine engine(kind);
        const std::string before = platform::QStringToAnsi(text);
        engine.Set(before.c_str());
        QVERIFY(!engine.Edit([](QDialog& dialog) {
            QVERIFY(!dialog.parentWidget()->isVisible());
            QCOMPARE(dialog.parentWidget()->windowTitle(), QStringLiteral("DllMainForm"));
            QCOMPARE(Child<QPushButton>(dialog, "CancelButton")->text(),
                     QStringLiteral("Abbrechen"));
            for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
                if (!edit->isReadOnly())
                    Retype(edit, QStringLiteral("9"));
            }
            for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
                if (button->isCheckable())
                    Click(button);
            }
            ClickCancel(dialog);
        }));
        QVERIFY(engine.opened);
        QCOMPARE(engine.Param(), before);
    }

    void kindsWithoutParameterOpenNothing() {
        for (int kind : {105, 106, 200, 406, 800, 803, 901, 905, 1002, 1005, 1007}) {
            Engine engine(kind);
            QVERIFY(!engine.Edit([](QDialog& dialog) { dialog.reject(); }));
            QVERIFY2(!engine.opened, qPrintable(QString::number(kind)));
        }
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
