// The find and replace dialogs driving a real editor with real clicks; each Alt letter reaches
// its own control.
#include "editor/vedexcept.h"
#include "editor/widgets/vededit.h"
#include "editor/widgets/vedfinddialog.h"
#include "platform/qt/dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace ved;

class TestVedFindDialog : public QObject {
    Q_OBJECT

private slots:
    void findsWithOptions() {
        TVedEditor editor;
        editor.InsertText("Maus maus MAUS Mausefalle\nmaus");
        editor.SetCaretPosition(1, 1);
        TVedFindDialog dialog(&editor, false);
        dialog.show();
        QVERIFY(!dialog.FindButton()->isEnabled()); // nothing to look for yet
        QTest::keyClicks(dialog.FindEdit(), "maus");
        QVERIFY(dialog.FindButton()->isEnabled());
        dialog.MatchCaseBox()->setChecked(true);
        QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
        QCOMPARE(dialog.LastResult(), 0);
        QCOMPARE(editor.CaretPos(), 10);
        QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
        QCOMPARE(editor.CaretPara(), 2);
        // not found: a beep and a note, the selection stays
        platform::DialogRecorder recorder;
        QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
        QCOMPARE(dialog.LastResult(), -1);
        QCOMPARE(recorder.Beeps().size(), size_t(1));
        QVERIFY(dialog.ResultText().contains(QStringLiteral("nicht gefunden")));
        QCOMPARE(editor.SelectedText(), std::string("maus"));
        // from the start once, then on from the match
        dialog.MatchCaseBox()->setChecked(false);
        dialog.WholeWordsBox()->setChecked(true);
        dialog.FromStartBox()->setChecked(true);
        QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
        QCOMPARE(editor.CaretPos(), 5);
        QVERIFY(!dialog.FromStartBox()->isChecked());
        QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
        QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
        QCOMPARE(editor.CaretPos(), 15); // "MAUS", not "Mausefalle"
        // backwards from the caret: the match ending there first, then the one before
        dialog.BackwardsBox()->setChecked(true);
        QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
        QCOMPARE(editor.CaretPos(), 11);
        QTest::mouseClick(dialog.FindButton(), Qt::LeftButton);
        QCOMPARE(editor.CaretPos(), 6);
        QCOMPARE(dialog.Options(), soWholeWords | soBackwards);
    }

    void replaces() {
        TVedEditor editor;
        editor.InsertText("rot gelb rot\nrot");
        editor.SetCaretPosition(1, 1);
        int changes = 0; // the window hears of replacements as of typing
        editor.OnChange = [&](TVedCustomEditor&) { ++changes; };
        TVedFindDialog dialog(&editor, true);
        dialog.show();
        QTest::keyClicks(dialog.FindEdit(), "rot");
        dialog.ReplaceEdit()->setText(QStringLiteral("gr\u00FCn"));
        // the first click finds, the second replaces and finds the next
        QTest::mouseClick(dialog.ReplaceButton(), Qt::LeftButton);
        QCOMPARE(editor.Text(), std::string("rot gelb rot\nrot"));
        QCOMPARE(changes, 0);
        QTest::mouseClick(dialog.ReplaceButton(), Qt::LeftButton);
        QCOMPARE(editor.Text(), std::string("gr\xFCn gelb rot\nrot"));
        QCOMPARE(changes, 1);
        QCOMPARE(dialog.LastResult(), 1);
        QCOMPARE(editor.CaretPos(), 14);
        QTest::mouseClick(dialog.ReplaceAllButton(), Qt::LeftButton);
        QCOMPARE(dialog.LastResult(), 2);
        QCOMPARE(editor.Text(), std::string("gr\xFCn gelb gr\xFCn\ngr\xFCn"));
        QCOMPARE(changes, 2);
        QVERIFY(dialog.ResultText().contains(QStringLiteral("2")));
        // a replacement the code page cannot hold is refused
        platform::DialogRecorder recorder;
        dialog.ReplaceEdit()->setText(QStringLiteral("\u03A9"));
        dialog.FindEdit()->setText(QStringLiteral("gelb"));
        QTest::mouseClick(dialog.ReplaceAllButton(), Qt::LeftButton);
        QCOMPARE(recorder.Beeps().size(), size_t(1));
        QVERIFY(editor.Text().find("gelb") != std::string::npos);
        // an empty replacement removes
        dialog.ReplaceEdit()->clear();
        dialog.FromStartBox()->setChecked(true);
        QTest::mouseClick(dialog.ReplaceAllButton(), Qt::LeftButton);
        QCOMPARE(editor.Text(), std::string("gr\xFCn  gr\xFCn\ngr\xFCn"));
    }

    void everyAltLetterReachesItsOwnControl() {
        for (const bool replace : {false, true}) {
            TVedEditor editor;
            TVedFindDialog dialog(&editor, replace);
            dialog.FindEdit()->setText(QStringLiteral("x")); // enables the buttons
            dialog.show();
            dialog.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            platform::DialogRecorder recorder; // the clicked searches find nothing
            QList<QKeyCombination> used;
            for (QWidget* control : dialog.findChildren<QWidget*>()) {
                auto* label = qobject_cast<QLabel*>(control);
                auto* button = qobject_cast<QAbstractButton*>(control);
                const QKeySequence key = QKeySequence::mnemonic(label    ? label->text()
                                                                : button ? button->text()
                                                                         : QString());
                if (key.isEmpty())
                    continue;
                QVERIFY2(!used.contains(key[0]), qPrintable(key.toString()));
                used.push_back(key[0]);
                if (label) {
                    dialog.FindEdit()->setFocus();
                    QTest::keySequence(&dialog, key);
                    QVERIFY2(label->buddy()->hasFocus(), qPrintable(label->text()));
                } else {
                    QSignalSpy pressed(button, &QAbstractButton::pressed);
                    QTest::keySequence(&dialog, key);
                    QVERIFY2(pressed.count() == 1, qPrintable(button->text()));
                }
            }
            QCOMPARE(used.size(), replace ? 10 : 7);
        }
    }

    void editErrorsReachTheUser() {
        TVedEditor editor;
        editor.SetParaLengthLimit(7);
        editor.InsertText("ab ab");
        // replacing the selected match asks the room test
        editor.SetSelection(1, 1, true, 3, 1);
        TVedFindDialog dialog(&editor, true);
        dialog.FindEdit()->setText(QStringLiteral("ab"));
        dialog.ReplaceEdit()->setText(QStringLiteral("abcdef"));
        platform::DialogRecorder recorder;
        QTest::mouseClick(dialog.ReplaceButton(), Qt::LeftButton);
        QCOMPARE(dialog.LastResult(), int(VedErrParaLength));
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QVERIFY(editor.Text().find("abcdef") == std::string::npos);
    }
};

QTEST_MAIN(TestVedFindDialog)
#include "tst_vedfinddialog.moc"
