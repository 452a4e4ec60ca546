// The watch window over a compiled program: adding, renaming, changing and deleting watches
// through its keys and input boxes, refused values, and the stored watch list.
#include "basic/editors/editorchild.h"
#include "basic/library/linotrex.h"
#include "basic/simwindows/watchform.h"
#include "framework/simwindows/rowgrid.h"
#include "framework/winregistry.h"
#include "platform/qt/dialogs.h"
#include "platform/settings.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>
#include <tuple>

using namespace harvel;

namespace {

struct AskedBox {
    QString caption, prompt, preset;
};

// Answers the next input box by typing text and pressing OK (or cancels it).
void AnswerInputBox(AskedBox* asked, const QString& text, bool ok = true) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!box) {
            AnswerInputBox(asked, text, ok);
            return;
        }
        auto* edit = box->findChild<QLineEdit*>();
        asked->caption = box->windowTitle();
        asked->prompt = box->labelText();
        asked->preset = edit->text();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, ok ? Qt::Key_Return : Qt::Key_Escape);
    });
}

} // namespace

class TestWatchForm : public QObject {
    Q_OBJECT

private:
    QMdiArea* area = nullptr;
    TEditorForm* editor = nullptr;
    TWatchForm* form = nullptr;

    TLinotrex& L() { return Linotrex(); }
    TRowGrid* Grid() { return form->Grid(); }
    int Value(const char* name) { return L().GetSymbolValue(L().MapSymbol(name)); }

private slots:
    void init() {
        L().Watches().clear();
        area = new QMdiArea;
        area->resize(800, 600);
        area->show();
        editor = TMDIChildForm::Create<TEditorForm>(nullptr, std::string());
        area->addSubWindow(editor);
        editor->show();
        editor->TextEditor()->InsertText(
            "DIM a AS WORD, b AS WORD, c AS BYTE\r\na = 5\r\nb = 7\r\nc = 9\r\nPRINT a\r\n");
        editor->DoCommand(250);
        QVERIFY(L().Compiled());
        L().RunTo(5);
        QCOMPARE(L().ExecLine(), 5);
        ConnectWatchWindow(area, L());
        form = ShowWatchWindow(area, true);
        QVERIFY(QTest::qWaitForWindowExposed(form));
        Grid()->setFocus();
    }
    void cleanup() {
        delete area;
        area = nullptr;
        QVERIFY(!WatchForm);
        L().Views() = TLinotrexViews();
        L().Watches().clear();
    }

    void watchIsAddedRenamedChangedAndDeleted() {
        AskedBox asked;
        QCOMPARE(Grid()->RowCount(), 1);
        QVERIFY(!form->IsCommandEnabled(TWatchForm::cmDeleteWatch));
        AnswerInputBox(&asked, "a");
        QTest::keyClick(Grid(), Qt::Key_Insert);
        QCOMPARE(asked.caption, QStringLiteral("Variable \u00FCberwachen"));
        QCOMPARE(asked.prompt, QStringLiteral("Geben Sie den Bezeichner ein:"));
        QCOMPARE(asked.preset, QString());
        QCOMPARE(L().Watches().size(), size_t(1));
        QCOMPARE(Grid()->RowCount(), 2);
        QCOMPARE(L().Watches()[0]->GetText(), QStringLiteral("5"));

        // the renamed row shows the new variable at once, and its value is the one changed
        Grid()->SetCurrentRow(0);
        AnswerInputBox(&asked, "b");
        QTest::keyClick(Grid(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(asked.preset, QStringLiteral("a"));
        TWatchEntry& watch = *L().Watches()[0];
        QCOMPARE(watch.GetName(), std::string("b"));
        QCOMPARE(watch.GetText(), QStringLiteral("7"));
        AnswerInputBox(&asked, "-12");
        QTest::keyClick(Grid(), Qt::Key_Return);
        QCOMPARE(asked.caption, QStringLiteral("Variable \u00E4ndern"));
        QCOMPARE(asked.prompt, QStringLiteral("Geben Sie den neuen Wert ein:"));
        QCOMPARE(asked.preset, QStringLiteral("7"));
        QCOMPARE(Value("b"), -12);
        QCOMPARE(Value("a"), 5);
        QCOMPARE(watch.GetText(), QStringLiteral("-12"));

        // deleting through the popup's item
        QAction* remove = nullptr;
        for (QAction* action : form->LocalMenu()->actions())
            if (action->data().toInt() == TWatchForm::cmDeleteWatch)
                remove = action;
        QVERIFY(remove);
        remove->trigger();
        QVERIFY(L().Watches().empty());
        QCOMPARE(Grid()->RowCount(), 1);
    }

    void valueOutsideItsVariableOrNoNumberIsRefused() {
        form->AddWatch("a", false);
        form->AddWatch("c", false);
        AskedBox asked, cancelled;
        // The box stays after each refusal and says why; here it is cancelled then.
        const char* const noNumber = "keine ganze Zahl von -32768 bis 32767";
        const char* const notTaken = "c nimmt den Wert";
        for (const auto& [row, text, why] : {std::tuple{0, "70000", noNumber},
                                             {0, "-32769", noNumber},
                                             {0, "zwei", noNumber},
                                             {1, "256", notTaken},
                                             {1, "-1", notTaken}}) {
            Grid()->SetCurrentRow(row);
            platform::DialogRecorder recorder;
            AnswerInputBox(&asked, text);
            AnswerInputBox(&cancelled, "", false);
            QTest::keyClick(Grid(), Qt::Key_Return);
            QCOMPARE(recorder.Beeps().size(), size_t(1));
            QCOMPARE(recorder.Boxes().size(), size_t(1));
            QVERIFY2(recorder.Boxes()[0].text.contains(QLatin1String(why)),
                     qPrintable(recorder.Boxes()[0].text));
            QCOMPARE(cancelled.preset, QString::fromLatin1(text));
            QCOMPARE(Value("a"), 5);
            QCOMPARE(Value("c"), 9);
        }
        Grid()->SetCurrentRow(0);
        AnswerInputBox(&asked, "-32768");
        QTest::keyClick(Grid(), Qt::Key_Return);
        QCOMPARE(Value("a"), -32768);
    }

    void valueChangedDuringARunIsTakenBetweenSteps() {
        editor->DoCommand(305);
        QVERIFY(editor->IsCommandEnabled(250)); // the text is editable again
        editor->TextEditor()->Clear();
        editor->TextEditor()->InsertText("DIM a AS WORD\r\nWHILE a <> 42\r\nWEND\r\nPRINT a\r\n");
        editor->DoCommand(250);
        QVERIFY(L().Compiled());
        form->AddWatch("a", false);
        Grid()->SetCurrentRow(0);
        platform::DialogRecorder recorder;
        bool offered = false, taken = false;
        // between two steps of the run, as the user chooses "Wert verändern..." in the window
        QTimer::singleShot(0, [&] {
            offered = L().IsRunning() && form->IsCommandEnabled(TWatchForm::cmChangeValue);
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
                QVERIFY(box);
                auto* edit = box->findChild<QLineEdit*>();
                edit->selectAll();
                QTest::keyClicks(edit, "42");
                QTest::keyClick(edit, Qt::Key_Return);
                taken = !box->isVisible();
                if (!taken) { // the run would wait for the value forever
                    box->reject();
                    L().UserBreak();
                }
            });
            QTest::keyClick(Grid(), Qt::Key_Return);
        });
        editor->DoCommand(303);
        QVERIFY(offered);
        QVERIFY(taken);
        QVERIFY(recorder.Events().empty());
        // the program saw the value and ran to its end
        QCOMPARE(L().GetRunState(), TLinotrex::Idle);
        QCOMPARE(L().Watches()[0]->GetText(), QStringLiteral("42"));
    }

    void unknownNameShowsTheErrorAndKeepsItsValue() {
        AskedBox asked;
        // a double click on the empty last row asks for a new name
        AnswerInputBox(&asked, "nothing");
        QTest::mouseDClick(Grid()->viewport(), Qt::LeftButton, {}, Grid()->RowRect(0).center());
        QCOMPARE(L().Watches().size(), size_t(1));
        QCOMPARE(L().Watches()[0]->GetText(), QStringLiteral("Fehler bei Auswertung"));
        Grid()->SetCurrentRow(0);
        QVERIFY(!form->IsCommandEnabled(TWatchForm::cmChangeValue));
        QVERIFY(form->IsCommandEnabled(TWatchForm::cmEditWatch));
        // Enter then edits the name; an empty name deletes the entry
        AnswerInputBox(&asked, "");
        QTest::keyClick(Grid(), Qt::Key_Return);
        QCOMPARE(asked.caption, QStringLiteral("Variable \u00FCberwachen"));
        QVERIFY(L().Watches().empty());
    }

    void sourceWindowWatchOpensTheWindowWithTheNewRow() {
        form->close();
        QTRY_VERIFY(!WatchForm);
        editor->TextEditor()->SetCaretPosition(2, 1);
        editor->DoCommand(302);
        QVERIFY(WatchForm);
        QTRY_COMPARE(WatchForm->Grid()->RowCount(), 2);
        QCOMPARE(L().Watches()[0]->GetText(), QStringLiteral("5"));
    }

    void settingsKeepTheListWithinWhatIsStored() {
        QTemporaryDir dir;
        platform::Settings store(dir.filePath("reg").toStdString());
        TWinRegistry reg(store, QStringLiteral("SOFTWARE\\Mirelt Electronic\\Tavrissel/BASIC"));
        const QString section = QStringLiteral("WatchWindow");
        reg.WriteInteger(section, "WatchCount", 2000000000);
        reg.WriteInteger(section, "NameColWidth", 120);
        reg.WriteString(section, "Watch1", QString(60, QLatin1Char('x')));
        reg.WriteString(section, "Watch2", QString());
        reg.WriteString(section, "Watch3", "a");
        ReadWatchSettings(reg);
        QCOMPARE(L().Watches().size(), size_t(2));
        QCOMPARE(L().Watches()[0]->GetName(), std::string(42, 'x'));
        QCOMPARE(L().Watches()[1]->GetText(), QStringLiteral("5"));
        QCOMPARE(WatchNameColWidth, 120);
        QCOMPARE(Grid()->RowCount(), 3);

        // the section is written anew: no name is left over from before
        reg.WriteString(section, "Watch9", "old");
        WriteWatchSettings(reg);
        QCOMPARE(reg.ReadInteger(section, "WatchCount", -1), 2);
        QCOMPARE(reg.ReadString(section, "Watch2", QString()), QStringLiteral("a"));
        QCOMPARE(reg.ReadString(section, "Watch3", "none"), QStringLiteral("none"));
        QCOMPARE(reg.ReadString(section, "Watch9", "none"), QStringLiteral("none"));
    }
};

QTEST_MAIN(TestWatchForm)
#include "tst_watchform.moc"
