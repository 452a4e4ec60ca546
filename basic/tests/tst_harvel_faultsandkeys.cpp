// The BASIC program under its own application object, as a user meets it: a save or a paste
// that fails shows its error and the program goes on with the window as it was; a folder that
// takes no new files gets the text saved without its backup, and says so; Esc from the
// source window stops a run; each source window keeps its own keys; a restart shows the
// restored source windows from their stored top line; a step or run over a PAUSE waits it
// out and goes on; a source holding a NUL byte is not compiled; a lone CR ends a line for the
// editor as for the compiler.
#include "basic/editors/editorchild.h"
#include "basic/library/linotrex.h"
#include "basic/mainwindow/mainform.h"
#include "basic/simwindows/messageform.h"
#include "basic/simwindows/terminalform.h"
#include "basic/tests/harvelstart.h"
#include "editor/vedexcept.h"
#include "editor/widgets/vedfinddialog.h"
#include "framework/application.h"
#include "framework/mainframe.h"
#include "framework/tests/menuclick.h"
#include "framework/winregistry.h"
#include "platform/qt/dialogs.h"
#include "platform/tests/sizelimit.h"
#include "platform/tests/writeprotect.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

using namespace harvel;

namespace {

std::string Contents(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Chooses the named item through its menu, as the user does.
void ChooseItem(TMainForm& form, const char* name) {
    ChooseMenuItem(form.menuBar(), form.NamedItem(name));
}

// The recorded events are a beep and then one error box with the text.
void ExpectBeepAndError(const platform::DialogRecorder& recorder, const QString& text) {
    const auto& events = recorder.Events();
    QCOMPARE(events.size(), size_t(2));
    QCOMPARE(events[0].type, platform::DialogRecorder::Event::Type::Beep);
    QCOMPARE(events[1].type, platform::DialogRecorder::Event::Type::Box);
    QCOMPARE(events[1].box.kind, platform::BoxKind::Error);
    QVERIFY2(events[1].box.text.contains(text), qPrintable(events[1].box.text));
}

} // namespace

class TestHarvelFaultsAndKeys : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    QTemporaryDir settings; // a store of its own: other test programs run beside this one

    QString File(const QString& name, const std::string& text) {
        return testing::WriteSource(dir->filePath(name), text);
    }
    static TEditorForm* Open(TMainForm& form, const QString& path) {
        TEditorForm* editor = form.OpenEditor(path);
        if (editor)
            editor->TextEditor()->setFocus();
        form.AppIdle();
        return editor;
    }

private slots:
    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", settings.filePath(QStringLiteral("config")).toLocal8Bit());
        QVERIFY(testing::InstallKeywordFile());
    }

    void init() {
        dir = std::make_unique<QTemporaryDir>();
        DesktopFileName = dir->filePath("harvel.DSK");
        TWinRegistry reg{QLatin1String(MainRegistryKey)};
        reg.EraseSection(QStringLiteral("MainWindow"));
        EditorSettings().BackupFiles = true;
    }

    void failedSaveLeavesFileAndWindowAsTheyWere() {
        if (const std::string why = WriteProtectionUnavailable(); !why.empty())
            QSKIP(why.c_str());
        auto form = testing::StartMainForm();
        const std::string old = "PRINT 1\r\n";
        const QString path = File("fest.bas", old);
        TEditorForm* editor = Open(*form, path);
        QVERIFY(editor);
        QTest::keyClicks(editor->TextEditor(), "X");
        form->AppIdle();

        // over a file this user may not write, whatever its owner may, in a folder that
        // would let the new file replace it
        {
            TWriteProtected protect(path);
            platform::DialogRecorder recorder;
            ChooseItem(*form, "FileSaveItem");
            ExpectBeepAndError(recorder, path + QStringLiteral(": Zugriff verweigert"));
        }
        QCOMPARE(Contents(path), old);
        QVERIFY(editor->TextEditor()->GetModified());
        QCOMPARE(editor->TextEditor()->GetPara(1), std::string("XPRINT 1"));
        // a refused save leaves no backup behind
        const QString backup = dir->filePath(QStringLiteral("fest.BAK"));
        QVERIFY(!QFile::exists(backup));

        // the program goes on: the same command saves once the file may be written; the backup
        // takes the file's name with the extension replaced, over an older write-protected one
        File("fest.BAK", "uralt\r\n");
        QVERIFY(QFile::setPermissions(backup, QFile::ReadOwner));
        platform::DialogRecorder recorder;
        ChooseItem(*form, "FileSaveItem");
        QVERIFY(recorder.Events().empty());
        QCOMPARE(Contents(path), std::string("XPRINT 1\r\n"));
        QCOMPARE(Contents(backup), old);
        QVERIFY(!QFile::exists(path + QStringLiteral(".BAK")));
        QVERIFY(!editor->TextEditor()->GetModified());
    }

    void aFolderTakingNoNewFilesGetsTheTextWithoutABackup() {
        if (const std::string why = WriteProtectionUnavailable(); !why.empty())
            QSKIP(why.c_str());
        auto form = testing::StartMainForm();
        const QString path = File("zu.bas", "PRINT 1\r\n");
        TEditorForm* editor = Open(*form, path);
        QVERIFY(editor);
        QTest::keyClicks(editor->TextEditor(), "X");
        form->AppIdle();
        {
            TClosedFolder closed(path);
            platform::DialogRecorder recorder;
            ChooseItem(*form, "FileSaveItem");
            const auto& events = recorder.Events();
            QCOMPARE(events.size(), size_t(1));
            QCOMPARE(events[0].box.kind, platform::BoxKind::Warning);
            QCOMPARE(events[0].box.text,
                     QStringLiteral("Es wurde keine Sicherungsdatei angelegt:\r%1: Zugriff "
                                    "verweigert\rDer Text ist gespeichert.")
                         .arg(dir->path()));
        }
        QCOMPARE(Contents(path), std::string("XPRINT 1\r\n"));
        QVERIFY(!editor->TextEditor()->GetModified());
        QVERIFY(!QFile::exists(dir->filePath(QStringLiteral("zu.BAK"))));
    }

    void aDiskFillingUpLeavesTheSourceAsItWas() {
        // a size limit stands in for a full disk, in a writable folder and in one that takes no
        // new files
        auto form = testing::StartMainForm();
        std::string old;
        for (int line = 1; line <= 300; ++line)
            old += "PRINT " + std::to_string(line) + "\r\n";
        const QString path = File("voll.bas", old);
        TEditorForm* editor = Open(*form, path);
        QVERIFY(editor);
        std::string added, saved;
        for (int line = 1; line <= 100; ++line) {
            added += "REM " + std::string(40, 'X') + "\n";
            saved += "REM " + std::string(40, 'X') + "\r\n";
        }
        editor->TextEditor()->InsertText(added);
        form->AppIdle();
        for (const bool closedFolder : {false, true}) {
            std::optional<TClosedFolder> closed;
            if (closedFolder) {
                if (const std::string why = WriteProtectionUnavailable(); !why.empty())
                    QSKIP(why.c_str());
                closed.emplace(path);
            }
            TSizeLimit limit(5000);
            platform::DialogRecorder recorder;
            ChooseItem(*form, "FileSaveItem");
            ExpectBeepAndError(recorder, QStringLiteral("Fehler beim Schreiben der Datei %1:\rDie "
                                                        "Datei ist zu gro\u00DF\rDie Datei auf dem "
                                                        "Datentr\u00E4ger ist unver\u00E4ndert.")
                                             .arg(path));
        }
        QCOMPARE(Contents(path), old);
        QVERIFY(editor->TextEditor()->GetModified());
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("voll.bas")});
        // the text goes elsewhere
        const QString other = dir->filePath(QStringLiteral("anders.bas"));
        platform::DialogRecorder recorder;
        recorder.QueueSaveName(other);
        ChooseItem(*form, "FileSaveAsItem");
        QCOMPARE(Contents(other), saved + old);
        QVERIFY(!editor->TextEditor()->GetModified());
    }

    void pastingALineTooLongFromTheMenuShowsTheError() {
        auto form = testing::StartMainForm();
        TEditorForm* editor = Open(*form, File("lang.bas", "PRINT 1\r\n"));
        QVERIFY(editor);
        QApplication::clipboard()->setText(QString(400, QLatin1Char('A')));
        form->AppIdle();
        {
            platform::DialogRecorder recorder;
            ChooseItem(*form, "EditPasteItem");
            ExpectBeepAndError(recorder,
                               QString::fromLatin1(ved::VedErrorMessage(ved::VedErrParaLength)));
        }
        QCOMPARE(editor->TextEditor()->Text(), std::string("PRINT 1\n"));
        QVERIFY(!editor->TextEditor()->GetModified());
        // the window goes on taking keys and commands
        QTest::keyClicks(editor->TextEditor(), "Z");
        QCOMPARE(editor->TextEditor()->GetPara(1), std::string("ZPRINT 1"));
        QApplication::clipboard()->setText(QStringLiteral("B"));
        form->AppIdle();
        ChooseItem(*form, "EditPasteItem");
        QCOMPARE(editor->TextEditor()->GetPara(1), std::string("ZBPRINT 1"));
    }

    void editsOfACompiledSourceAskForANewCompile() {
        platform::DialogRecorder recorder; // the compiler's messages stay quiet
        TLinotrex& wrapper = Linotrex();
        auto form = testing::StartMainForm();
        TEditorForm* editor = Open(*form, File("alt.bas", "PRINT 1\r\n"));
        QVERIFY(editor);
        ved::TVedCustomEditor* text = editor->TextEditor();
        auto compiled = [&] {
            QTest::keySequence(text, QKeySequence(Qt::CTRL | Qt::Key_F9));
            return wrapper.IsCompiledFor(editor);
        };
        // a paste whose second line is too long: its first line stays, the error shows
        QVERIFY(compiled());
        QApplication::clipboard()->setText(QStringLiteral("PRINT 2\r\n") +
                                           QString(300, QLatin1Char('A')));
        form->AppIdle();
        recorder.Clear();
        QTest::keyClick(text, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes()[0].text,
                 QString::fromLatin1(ved::VedErrorMessage(ved::VedErrParaLength)));
        QCOMPARE(text->GetPara(1), std::string("PRINT 2"));
        QVERIFY(!wrapper.IsCompiledFor(editor));
        // replacing from the replace dialog
        QVERIFY(compiled());
        ved::TVedFindDialog* dialog = form->ReplaceDialog();
        dialog->FindEdit()->setText(QStringLiteral("PRINT 2"));
        dialog->ReplaceEdit()->setText(QStringLiteral("PRINT 3"));
        dialog->FromStartBox()->setChecked(true);
        dialog->ReplaceAllButton()->click();
        QCOMPARE(text->GetPara(1), std::string("PRINT 3"));
        QVERIFY(!wrapper.IsCompiledFor(editor));
    }

    void typingInTheFindDialogReplacesThePresetWord() {
        auto form = testing::StartMainForm();
        TEditorForm* editor = Open(*form, File("suche.bas", "PRINT 1\r\n"));
        QVERIFY(editor);
        form->AppIdle();
        QTest::keySequence(editor->TextEditor(), QKeySequence(Qt::CTRL | Qt::Key_F));
        ved::TVedFindDialog* dialog = form->FindDialog();
        QTRY_VERIFY(dialog->isVisible());
        QCOMPARE(dialog->FindEdit()->text(), QStringLiteral("PRINT"));
        QTest::keyClicks(dialog->FindEdit(), QStringLiteral("LOOP"));
        QCOMPARE(dialog->FindEdit()->text(), QStringLiteral("LOOP"));
        dialog->close();
    }

    void escapeInTheSourceWindowStopsARun() {
        platform::DialogRecorder recorder; // the terminal and messages stay quiet
        TLinotrex& wrapper = Linotrex();
        auto form = testing::StartMainForm();
        const std::pair<const char*, const char*> programs[] = {
            {"schleife.bas", "DIM n AS WORD\r\nDO\r\n  n = n + 1\r\nLOOP\r\n"},
            {"warten.bas", "WAIT PORT[1]\r\nPRINT 1\r\n"},
            {"pause.bas", "PAUSE 60000\r\nPRINT 1\r\n"}};
        for (const auto& [name, text] : programs) {
            TEditorForm* editor = Open(*form, File(QLatin1String(name), text));
            QVERIFY(editor);
            form->AppIdle();
            QTest::keySequence(editor->TextEditor(), QKeySequence(Qt::CTRL | Qt::Key_F9));
            QVERIFY2(wrapper.IsCompiledFor(editor), name);
            QVERIFY(editor->TextEditor()->hasFocus());
            // Esc once the run shows its stop command; a stop from outside only if it never works
            bool escaped = false, forced = false;
            int ticks = 0;
            QTimer timer;
            connect(&timer, &QTimer::timeout, [&] {
                if (!escaped && wrapper.IsRunning() && form->CommandItem(cmStop)->isEnabled()) {
                    escaped = true;
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                } else if (++ticks > 500 && wrapper.IsRunning()) {
                    forced = true;
                    wrapper.UserBreak();
                }
            });
            timer.start(20);
            form->AppIdle();
            QTest::keySequence(editor->TextEditor(), QKeySequence(Qt::Key_F9));
            timer.stop();
            QVERIFY2(escaped && !forced, name);
            QVERIFY(!wrapper.IsRunning());
            QCOMPARE(wrapper.GetRunState(), TLinotrex::Halted);
            QVERIFY(!editor->TextEditor()->GetModified()); // Esc typed nothing
            form->DoChildCommand(cmReset);
        }
    }

    void stepAndRunWaitOutAPauseAndGoOn() {
        platform::DialogRecorder recorder;
        TLinotrex& wrapper = Linotrex();
        auto form = testing::StartMainForm();
        TEditorForm* editor = Open(*form, File("pause.bas", "DIM a AS WORD\r\n"
                                                            "a = 1\r\n"
                                                            "PAUSE 25\r\n"
                                                            "a = 2\r\n"
                                                            "PRINT a\r\n"
                                                            "PAUSE 60000\r\n"
                                                            "PRINT 3\r\n"));
        QVERIFY(editor);
        auto key = [&](const QKeySequence& keys) {
            form->AppIdle();
            QTest::keySequence(editor->TextEditor(), keys);
        };
        const QKeySequence step(Qt::Key_F8);
        key(QKeySequence(Qt::CTRL | Qt::Key_F9));
        QVERIFY(wrapper.IsCompiledFor(editor));
        for (int i = 0; i < 5 && wrapper.ExecLine() != 3; ++i)
            key(step);
        QCOMPARE(wrapper.ExecLine(), 3);

        // What the window shows while the pause runs; a second F8 there is refused.
        bool paused = false, stepOffered = true;
        QString status;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (paused || wrapper.GetRunState() != TLinotrex::Waiting)
                return;
            paused = true;
            form->AppIdle();
            stepOffered = form->CommandItem(cmStep)->isEnabled();
            status = form->StatusText();
            QTest::keyClick(editor->TextEditor(), Qt::Key_F8);
        });
        watch.start(5);
        key(step);
        watch.stop();
        QVERIFY(paused);
        QVERIFY(!stepOffered);
        QVERIFY2(status.endsWith(QStringLiteral("[WAIT]")), qPrintable(status));
        // back without further input, on the next statement, halted
        QCOMPARE(wrapper.ExecLine(), 4);
        QCOMPARE(wrapper.GetRunState(), TLinotrex::Halted);
        form->AppIdle();
        QVERIFY(form->StatusText().endsWith(QStringLiteral("[Angehalten]")));
        QVERIFY(form->CommandItem(cmStep)->isEnabled());

        // From a breakpoint on the pause, F4 runs over it to the caret.
        key(QKeySequence(Qt::CTRL | Qt::Key_F2));
        editor->TextEditor()->SetCaretPosition(3, 1);
        key(QKeySequence(Qt::CTRL | Qt::Key_F8));
        key(QKeySequence(Qt::Key_F9));
        QCOMPARE(wrapper.ExecLine(), 3);
        editor->TextEditor()->SetCaretPosition(5, 1);
        key(QKeySequence(Qt::Key_F4));
        QCOMPARE(wrapper.ExecLine(), 5);
        QCOMPARE(wrapper.GetRunState(), TLinotrex::Halted);

        // F9 from the breakpoint runs on into the long pause, which Esc ends.
        key(QKeySequence(Qt::CTRL | Qt::Key_F2));
        key(QKeySequence(Qt::Key_F9));
        QCOMPARE(wrapper.ExecLine(), 3);
        ClearTerminal();
        // Esc once the long pause shows its stop command; a stop from outside only if it never
        // works
        bool escaped = false, forced = false;
        int ticks = 0;
        QTimer escape;
        connect(&escape, &QTimer::timeout, [&] {
            if (!escaped && wrapper.GetRunState() == TLinotrex::Waiting &&
                wrapper.ExecLine() == 6 && form->CommandItem(cmStop)->isEnabled()) {
                escaped = true;
                QTest::keyClick(editor->TextEditor(), Qt::Key_Escape);
            } else if (++ticks > 1000 && wrapper.IsRunning()) {
                forced = true;
                wrapper.UserBreak();
            }
        });
        escape.start(20);
        key(QKeySequence(Qt::Key_F9));
        escape.stop();
        QVERIFY(escaped && !forced);
        QCOMPARE(wrapper.ExecLine(), 6);
        QCOMPARE(wrapper.GetRunState(), TLinotrex::Halted);
        QVERIFY(!TerminalLines().empty());
        QCOMPARE(TerminalLines().front(), std::string("2"));
        const auto boxes = recorder.Boxes();
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].text, QStringLiteral("PAUSE: Abbruch durch Anwender"));
        QVERIFY(!editor->TextEditor()->GetModified());
        key(QKeySequence(Qt::CTRL | Qt::Key_F2));
    }

    void aNulByteInTheSourceIsReportedOnItsLine() {
        platform::DialogRecorder recorder;
        TLinotrex& wrapper = Linotrex();
        auto form = testing::StartMainForm();
        // a good program compiled first, watched by the user
        TEditorForm* good = Open(*form, File("gut.bas", "DIM a AS WORD\r\na = 1\r\n"));
        QVERIFY(good);
        QTest::keySequence(good->TextEditor(), QKeySequence(Qt::CTRL | Qt::Key_F9));
        QVERIFY(wrapper.IsCompiledFor(good));
        TWatchEntry& watch = wrapper.AddWatch("a");
        wrapper.RefreshWatches();
        QCOMPARE(watch.GetText(), QStringLiteral("0"));
        // undeclared names behind the NUL: the library would never see them
        const std::string text =
            std::string("DIM a AS WORD\r\na = 1") + '\0' + "\r\nb = 2\r\nc = 3\r\n";
        TEditorForm* editor = Open(*form, File("nul.bas", text));
        QVERIFY(editor);
        form->AppIdle();
        QTest::keySequence(editor->TextEditor(), QKeySequence(Qt::CTRL | Qt::Key_F9));
        QStringList shown;
        for (const TMessageLine& line : Messages())
            shown << line.text;
        QVERIFY2(shown.filter(QStringLiteral("fehlerfrei")).isEmpty(), qPrintable(shown.join('|')));
        QCOMPARE(shown.mid(1, 2), (QStringList{QStringLiteral("  1 Fehler gefunden:"),
                                               QStringLiteral("Zeile 2: unerwartetes Zeichen "
                                                              "(Nullbyte)")}));
        QVERIFY(!wrapper.IsCompiledFor(editor));
        // nothing of the program compiled before is left to run or to watch
        QCOMPARE(watch.GetText(), QStringLiteral("Fehler bei Auswertung"));
        wrapper.Watches().clear();
        form->AppIdle();
        QVERIFY(!form->CommandItem(cmRun)->isEnabled());
        // the message window has led to the line
        int column = 0;
        QCOMPARE(editor->TextEditor()->GetCaretPosition(column), 2);
    }

    void aLoneCREndsALineForTheEditorAsForTheCompiler() {
        auto form = testing::StartMainForm();
        // the undeclared c behind LF, a lone CR and CR LF, then in a file of CRs only
        const struct {
            const char* name;
            std::string text;
            int line;
        } files[] = {{"gemischt.bas", "DIM a AS WORD\r\na = 1\nPRINT a\rPRINT 2\r\nc = 3\r\n", 5},
                     {"nurcr.bas", "DIM a AS WORD\ra = 1\rPRINT a\rc = 3\r", 4}};
        for (const auto& file : files) {
            TEditorForm* editor = Open(*form, File(file.name, file.text));
            QVERIFY(editor);
            QTest::keySequence(editor->TextEditor(), QKeySequence(Qt::CTRL | Qt::Key_F9));
            QStringList shown;
            for (const TMessageLine& line : Messages())
                shown << line.text;
            QCOMPARE(
                shown.mid(1, 2),
                (QStringList{QStringLiteral("  1 Fehler gefunden:"),
                             QStringLiteral("Zeile %1: unbekannter Name 'C'").arg(file.line)}));
            // the message window has led to the line that holds it
            int column = 0;
            QCOMPARE(editor->TextEditor()->GetCaretPosition(column), file.line);
            const std::string shownLine = editor->TextEditor()->GetLineString(file.line);
            QVERIFY2(shownLine == "c = 3", shownLine.c_str());
        }
    }

    void eachSourceWindowKeepsItsOwnKeys() {
        auto form = testing::StartMainForm();
        TEditorForm* first = Open(*form, File("a.bas", "PRINT 1\r\n"));
        TEditorForm* second = Open(*form, File("b.bas", "PRINT 2\r\n"));
        QVERIFY(first && second);
        ved::TVedCustomEditor* a = first->TextEditor();
        ved::TVedCustomEditor* b = second->TextEditor();
        auto focus = [&](TEditorForm* window) {
            form->MdiArea()->setActiveSubWindow(window);
            window->TextEditor()->setFocus();
            QTRY_VERIFY(window->TextEditor()->hasFocus());
        };
        // overwrite mode in one window leaves the other inserting, and comes back with the focus
        focus(first);
        QTest::keyClick(a, Qt::Key_Insert);
        QVERIFY(!a->InsertMode());
        focus(second);
        QVERIFY(b->InsertMode());
        QTest::keyClicks(b, "Z");
        QCOMPARE(b->GetPara(1), std::string("ZPRINT 2"));
        focus(first);
        QVERIFY(!a->InsertMode());
        QTest::keyClicks(a, "Q");
        QCOMPARE(a->GetPara(1), std::string("QRINT 1"));

        // a key sequence begun in one window is not finished by a key in the other
        for (ved::TVedCustomEditor* editor : {a, b})
            editor->Controller()->EntryCommands().GetCommandTable("WordStar")->SetActive(true);
        QTest::keyClick(a, Qt::Key_Q, Qt::ControlModifier);
        focus(second);
        QTest::keyClick(b, Qt::Key_End);
        QTest::keyClicks(b, "s");
        QCOMPARE(b->GetPara(1), std::string("ZPRINT 2s"));
        // the sequence goes on in its own window: Ctrl+Q, S is the line start there
        focus(first);
        QTest::keyClick(a, Qt::Key_S);
        QCOMPARE(a->CaretPos(), 1);
        QCOMPARE(a->GetPara(1), std::string("QRINT 1"));
    }

    void restartShowsRestoredSourcesFromTheirTopLine() {
        std::string longText;
        for (int i = 1; i <= 80; ++i)
            longText += "PRINT " + std::to_string(i) + "\r\n";
        const QString shortPath = File("kurz.bas", "PRINT 1\r\nPRINT 2\r\nPRINT 3\r\nPRINT 4\r\n");
        const QString longPath = File("lang.bas", longText);
        {
            auto form = testing::StartMainForm();
            TEditorForm* shortForm = Open(*form, shortPath);
            shortForm->TextEditor()->SetCaretPosition(4, 3);
            TEditorForm* longForm = Open(*form, longPath);
            longForm->TextEditor()->SetCaretPosition(6, 1);
            longForm->TextEditor()->SetTopLine(3);
            QVERIFY(form->close());
        }
        auto form = testing::StartMainForm();
        QCOMPARE(form->MdiArea()->subWindowList().size(), 2);
        for (QMdiSubWindow* window : form->MdiArea()->subWindowList()) {
            auto* editor = qobject_cast<TEditorForm*>(window)->TextEditor();
            const bool isLong = editor->GetParaCount() > 10;
            QTRY_COMPARE(editor->GetTopLine(), isLong ? 3 : 1);
            QScrollBar* bar = editor->verticalScrollBar();
            QCOMPARE(bar->isVisible(), isLong);
            if (isLong) {
                QCOMPARE(bar->value(), 3);
                QCOMPARE(bar->maximum(), editor->GetLineCount() - editor->VisibleRows() + 1);
            }
            int column = 0;
            QCOMPARE(editor->GetCaretPosition(column), isLong ? 6 : 4);
        }
        QVERIFY(form->close());
    }
};

int main(int argc, char* argv[]) {
    TApplication app(argc, argv);
    TestHarvelFaultsAndKeys test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_harvel_faultsandkeys.moc"
