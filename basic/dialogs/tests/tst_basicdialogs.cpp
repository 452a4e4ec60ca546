// The BASIC program's dialogs driven through their buttons: the environment options fill
// from and write back the settings, the port-only mode the wrapper opens, the input dialog's
// 16-bit range and the colour dialog's apply.
#include "basic/dialogs/coloroptionsdlg.h"
#include "basic/dialogs/envoptiondlg.h"
#include "basic/dialogs/linotrexinputdlg.h"
#include "basic/editors/editorchild.h"
#include "basic/editors/hiltedit.h"
#include "basic/library/linotrex.h"
#include "basic/simwindows/analogportform.h"
#include "framework/tests/eventloop.h"
#include "platform/qt/dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

#include <functional>

using namespace harvel;

namespace {

void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class TestBasicDialogs : public QObject {
    Q_OBJECT

private slots:
    void envOptionsFillFromAndWriteBackTheSettings() {
        TEditorSettings& editor = EditorSettings();
        editor = TEditorSettings();
        editor.TabWidth = 4;
        editor.TabMode = 2; // aligned at the line above
        editor.BASICFiles = "*.BAS;*.BI";
        SyntaxHighlighting() = true;
        TLinotrex& wrapper = Linotrex();
        wrapper.SetAutoTiming(true);
        wrapper.SetSimulatedBeep(false);
        wrapper.SetComPort(7);
        ADValuesSaved = false;

        fixture::WhenShown<TEnvOptionDlg>([](TEnvOptionDlg* d) {
            QCOMPARE(d->PageControl1->currentWidget(), d->EditorPage);
            QCOMPARE(d->SETabWidth->value(), 4);
            QVERIFY(d->CBSmartIndent->isChecked());
            QVERIFY(!d->CBUseTabs->isEnabled());
            QVERIFY(d->CBSyntaxHilite->isChecked());
            QCOMPARE(d->EBasicFiles->text(), QStringLiteral("*.BAS;*.BI"));
            QVERIFY(d->CBAutoTiming->isChecked());
            QVERIFY(!d->CBSimulatedBeep->isChecked());
            QVERIFY(!d->CBSaveAnalogInPorts->isChecked());
            // A port outside 1..4 shows as none chosen.
            QCOMPARE(d->RGComNumber->checkedButton(), nullptr);

            Click(d->CBSmartIndent);
            QVERIFY(d->CBUseTabs->isEnabled());
            Click(d->CBUseTabs);
            QVERIFY(!d->CBSmartIndent->isEnabled());
            Click(d->CBSyntaxHilite);
            d->EASMFiles->setFocus();
            d->EASMFiles->selectAll();
            QTest::keyClicks(d->EASMFiles, QStringLiteral("*.S"));
            d->SETabWidth->setFocus();
            QTest::keyClick(d->SETabWidth, Qt::Key_Up);
            d->PageControl1->setCurrentWidget(d->LinotrexPage);
            Click(d->RGComNumber->button(2));
            Click(d->CBAutoTiming);
            Click(d->CBSimulatedBeep);
            Click(d->CBSaveAnalogInPorts);
            Click(d->OKButton);
        });
        QVERIFY(ExecuteEnvOptions(nullptr, false));
        QCOMPARE(editor.TabWidth, 5);
        QCOMPARE(int(editor.TabMode), 0);
        QCOMPARE(editor.ASMFiles, std::string("*.S"));
        QCOMPARE(editor.BASICFiles, std::string("*.BAS;*.BI"));
        QVERIFY(!SyntaxHighlighting());
        QCOMPARE(wrapper.PortNumber(), 3);
        QVERIFY(!wrapper.AutoTiming());
        QVERIFY(wrapper.SimulatedBeep());
        QVERIFY(ADValuesSaved);

        // Neither box checked gives fixed tabs; cancel changes nothing.
        fixture::WhenShown<TEnvOptionDlg>([](TEnvOptionDlg* d) {
            Click(d->CBUseTabs);
            Click(d->OKButton);
        });
        QVERIFY(ExecuteEnvOptions(nullptr, false));
        QCOMPARE(int(editor.TabMode), 1);
        fixture::WhenShown<TEnvOptionDlg>([](TEnvOptionDlg* d) {
            Click(d->CBUseTabs);
            QTest::keyClick(d, Qt::Key_Escape);
        });
        QVERIFY(!ExecuteEnvOptions(nullptr, false));
        QCOMPARE(int(editor.TabMode), 1);
    }

    void tabBoxesSayWhatTabDoes() {
        EditorSettings() = TEditorSettings();
        std::unique_ptr<TEditorForm> form(
            TMDIChildForm::Create<TEditorForm>(nullptr, std::string()));
        form->show();
        THiliteEditor* editor = form->TextEditor();
        auto tabOnSecondLine = [&] {
            editor->Clear();
            editor->InsertText("  Wort\r\n");
            editor->setFocus();
            QTest::keyClick(editor, Qt::Key_Tab);
            return editor->GetPara(2);
        };
        // by default Tab aligns at the line above, and that box is the one ticked
        QCOMPARE(tabOnSecondLine(), std::string("  "));
        bool aligned = false, tabs = true;
        fixture::WhenShown<TEnvOptionDlg>([&](TEnvOptionDlg* d) {
            aligned = d->CBSmartIndent->isChecked();
            tabs = d->CBUseTabs->isChecked();
            d->CBSmartIndent->setChecked(false);
            Click(d->CBUseTabs);
            Click(d->OKButton);
        });
        QVERIFY(ExecuteEnvOptions(nullptr, false));
        QVERIFY(aligned && !tabs);
        form->OptionsChanged();
        QCOMPARE(tabOnSecondLine(), std::string("\t"));
        // the align box gives the default back
        fixture::WhenShown<TEnvOptionDlg>([&](TEnvOptionDlg* d) {
            tabs = d->CBUseTabs->isChecked();
            d->CBUseTabs->setChecked(false);
            Click(d->CBSmartIndent);
            Click(d->OKButton);
        });
        QVERIFY(ExecuteEnvOptions(nullptr, false));
        QVERIFY(tabs);
        form->OptionsChanged();
        QCOMPARE(tabOnSecondLine(), std::string("  "));
        EditorSettings() = TEditorSettings();
    }

    void portOnlyModeShowsThePortPageAloneAndNeedsAPort() {
        TLinotrex& wrapper = Linotrex();
        wrapper.SetComPort(-1);
        wrapper.SetAutoTiming(true);
        ConnectEnvOptions(nullptr, wrapper);
        bool stillOpenAfterEnter = false;
        fixture::WhenShown<TEnvOptionDlg>([&](TEnvOptionDlg* d) {
            QCOMPARE(d->PageControl1->currentWidget(), d->LinotrexPage);
            QVERIFY(!d->PageControl1->isTabVisible(d->PageControl1->indexOf(d->EditorPage)));
            QVERIFY(!d->CBAutoTiming->isEnabled());
            QVERIFY(!d->CBSimulatedBeep->isEnabled());
            QVERIFY(!d->CBSaveAnalogInPorts->isEnabled());
            QVERIFY(!d->OKButton->isEnabled());
            QTest::keyClick(d, Qt::Key_Return);
            stillOpenAfterEnter = d->isVisible();
            Click(d->RGComNumber->button(1));
            QVERIFY(d->OKButton->isEnabled());
            Click(d->OKButton);
        });
        // The download's way in: the wrapper's hook.
        QVERIFY(wrapper.EditOptions());
        QVERIFY(stillOpenAfterEnter);
        QCOMPARE(wrapper.PortNumber(), 2);
        QVERIFY(wrapper.AutoTiming());

        fixture::WhenShown<TEnvOptionDlg>([](TEnvOptionDlg* d) {
            QVERIFY(d->OKButton->isEnabled());
            Click(d->RGComNumber->button(3));
            Click(d->OKButton);
        });
        QVERIFY(ExecuteEnvOptions(nullptr, true));
        QCOMPARE(wrapper.PortNumber(), 4);
        wrapper.Views().EditOptions = nullptr;
    }

    void inputDialogTakesOnlySixteenBitNumbers() {
        TLinotrex& wrapper = Linotrex();
        ConnectInputDialog(nullptr, wrapper);
        platform::DialogRecorder recorder;
        fixture::WhenShown<TLinotrexInputDlg>([&](TLinotrexInputDlg* d) {
            QCOMPARE(d->EValue->text(), QStringLiteral("12"));
            for (const char* text : {"40000", "-32769", "1x"}) {
                d->EValue->setText(QString::fromLatin1(text));
                Click(d->OKButton);
                QVERIFY2(d->isVisible(), text);
            }
            QCOMPARE(recorder.Beeps().size(), size_t(3));
            d->EValue->setText(QStringLiteral("-32768"));
            Click(d->OKButton);
        });
        int value = 12;
        QVERIFY(wrapper.Views().AskInput(value));
        QCOMPARE(value, -32768);

        fixture::WhenShown<TLinotrexInputDlg>([](TLinotrexInputDlg* d) { Click(d->CancelButton); });
        QVERIFY(!wrapper.Views().AskInput(value));
        QCOMPARE(value, -32768);
        wrapper.Views().AskInput = nullptr;
    }

    void colourApplyReachesTheSettingsAndTellsTheOwner() {
        ColorSettings() = TColorSettings();
        ColorSettings()[clEditorText] = 0x123456; // no palette colour
        int applied = 0;
        fixture::WhenShown<TColorOptionsDlg>([&](TColorOptionsDlg* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Farb- und Schrifteinstellungen "));
            QCOMPARE(d->LBFontColorItem->count(), 13);
            QCOMPARE(d->CBForeground->currentIndex(), 0);
            QVERIFY(d->BFontSelect->isEnabled());
            QVERIFY(!d->ApplyButton->isEnabled());
            // Keywords: own colour on the editor's background, no font of their own.
            d->LBFontColorItem->setCurrentRow(6);
            QVERIFY(!d->BFontSelect->isEnabled());
            QVERIFY(!d->CBBackground->isEnabled());
            QCOMPARE(d->CBBackground->currentIndex(), 0);
            d->CBForeground->setFocus();
            QTest::keyClick(d->CBForeground, Qt::Key_Down); // black
            QTest::keyClick(d->CBForeground, Qt::Key_Down); // maroon
            QVERIFY(d->ApplyButton->isEnabled());
            QCOMPARE(ColorSettings()[clEditorHiliteKeyword], TColorSettings::Default(22));
            Click(d->ApplyButton);
            QCOMPARE(ColorSettings()[clEditorHiliteKeyword], TStoredColor(0x000080));
            QCOMPARE(HiliteColors().token[hmKeyword], QColor(128, 0, 0));
            QCOMPARE(applied, 1);
            QVERIFY(!d->ApplyButton->isEnabled());
            // Changed again and cancelled: the applied value stays.
            QTest::keyClick(d->CBForeground, Qt::Key_Down);
            Click(d->CancelButton);
        });
        QVERIFY(!ExecuteColorOptions(nullptr, [&] { ++applied; }));
        QCOMPARE(ColorSettings()[clEditorHiliteKeyword], TStoredColor(0x000080));
        QCOMPARE(ColorSettings()[clEditorText], TStoredColor(0x123456));
        QCOMPARE(applied, 1);

        // OK applies; "Vorgabe" stores the colour's default.
        fixture::WhenShown<TColorOptionsDlg>([](TColorOptionsDlg* d) {
            d->PageControl1->setCurrentIndex(TColorOptionsDlg::OutputPageNo);
            QCOMPARE(d->CBForeground->currentIndex(), 11); // lime
            d->CBForeground->setFocus();
            QTest::keyClick(d->CBForeground, Qt::Key_Down);
            Click(d->OKButton);
        });
        QVERIFY(ExecuteColorOptions(nullptr, [&] { ++applied; }));
        QCOMPARE(ColorSettings()[clTerminalText], TStoredColor(0x00FFFF));
        QCOMPARE(applied, 2);
    }

    void editorPageSampleShowsTheFaceTheEditorDraws_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("substituted") << QStringLiteral("Courier New");
        QTest::newRow("proportional") << QStringLiteral("DejaVu Sans");
        QTest::newRow("not installed") << QStringLiteral("Tavrissel Fehlschrift");
    }

    void editorPageSampleShowsTheFaceTheEditorDraws() {
        QFETCH(QString, name);
        ColorSettings() = TColorSettings();
        ColorSettings().fonts[fvEditor].name = name;
        ColorSettings().fonts[fvEditor].bold = true;
        ApplyEditorColors(ColorSettings());
        std::unique_ptr<TEditorForm> form(TMDIChildForm::Create<TEditorForm>(nullptr));
        TColorOptionsDlg dialog;
        QCOMPARE(dialog.CurrentPage(), int(TColorOptionsDlg::EditorPageNo));
        const QFontInfo sample(dialog.SampleFont());
        const QFontInfo editor(form->TextEditor()->FixedFont().Font());
        ColorSettings() = TColorSettings();
        ApplyEditorColors(ColorSettings());
        QCOMPARE(sample.family(), editor.family());
        QCOMPARE(sample.styleName(), editor.styleName());
    }

    void fontChoiceIsCutAndStoredForThePage() {
        ColorSettings() = TColorSettings();
        TColorPagesDialog::FontDialog = [](const QFont& initial, QWidget*) {
            QFont chosen(initial);
            chosen.setFamily(QString(40, QLatin1Char('F')));
            chosen.setPointSize(14);
            chosen.setBold(true);
            return std::optional<QFont>(chosen);
        };
        TColorOptionsDlg dialog;
        dialog.show();
        dialog.PageControl1->setCurrentIndex(TColorOptionsDlg::MessagePageNo);
        QCOMPARE(dialog.LSelectedFont->text(), QStringLiteral("Courier New, 10pt"));
        Click(dialog.BFontSelect);
        const TFontRecord& font = dialog.WorkingCopy().fonts[fvMessage];
        QCOMPARE(font.name, QString(31, QLatin1Char('F')));
        QCOMPARE(font.size, 14);
        QVERIFY(font.bold && !font.italic);
        QCOMPARE(dialog.LSelectedFont->text(), QString(31, QLatin1Char('F')) + ", 14pt, fett");
        QCOMPARE(ColorSettings().fonts[fvMessage].size, 10);
        QVERIFY(dialog.ApplyButton->isEnabled());
    }
};

QTEST_MAIN(TestBasicDialogs)
#include "tst_basicdialogs.moc"
