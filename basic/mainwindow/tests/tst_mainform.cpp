// The BASIC program's main window: idle calls only after events, enabling without a source
// window, with one and before a shortcut, opening a file that is open already, the stored main
// rectangle, the desktop with a bad record, find and replace, prints from the printer set-up,
// the hint of a button under a menu, and closing during a download.
#include "basic/dialogs/coloroptionsdlg.h"
#include "basic/dialogs/envoptiondlg.h"
#include "basic/editors/editorchild.h"
#include "basic/library/linotrex.h"
#include "basic/mainwindow/mainform.h"
#include "basic/simwindows/analogportform.h"
#include "basic/simwindows/messageform.h"
#include "basic/tests/harvelstart.h"
#include "editor/widgets/vedfinddialog.h"
#include "engine/download/simulated_unit.h"
#include "framework/idlehandler.h"
#include "framework/mainframe.h"
#include "framework/mdichild.h"
#include "framework/mdiframe.h"
#include "framework/mrufilelist.h"
#include "framework/printing.h"
#include "framework/tests/eventloop.h"
#include "framework/tests/menuclick.h"
#include "framework/winregistry.h"
#include "platform/qt/dialogs.h"
#include "platform/settings.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <fstream>
#include <memory>

using namespace harvel;

class TestMainForm : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;

    QString File(const char* name, const std::string& text = "PRINT 1\r\n") {
        return testing::WriteSource(dir->filePath(QLatin1String(name)), text);
    }
    static QList<TEditorForm*> Editors(TMainForm& form) {
        QList<TEditorForm*> editors;
        for (QMdiSubWindow* window : form.MdiArea()->subWindowList(QMdiArea::StackingOrder))
            if (auto* editor = qobject_cast<TEditorForm*>(window))
                editors.push_back(editor);
        return editors;
    }
    static void CloseAndFree(std::unique_ptr<TMainForm>& form) {
        QVERIFY(form->close());
        form.reset();
    }

private slots:
    void initTestCase() {
        // The keyword file beside the program, under the program's name.
        QVERIFY(testing::InstallKeywordFile());
    }

    void init() {
        dir = std::make_unique<QTemporaryDir>();
        DesktopFileName = dir->filePath("harvel.DSK");
        TWinRegistry reg{QLatin1String(MainRegistryKey)};
        reg.EraseSection(QStringLiteral("MainWindow"));
        EditorSearch().findText.clear();
    }

    void idleRunsOnlyAfterEvents() {
        auto form = testing::StartMainForm();
        QTRY_VERIFY(!form->SplashTimer()->isActive());
        // at most the run after the event that ended the last loop
        QVERIFY(fixture::IdleRunsWhileQuiet(*form->IdleHandler()) <= 1);
        CloseAndFree(form);
    }

    void aBlinkingCaretDoesNotWakeTheIdleHandler() {
        auto form = testing::StartMainForm();
        TEditorForm* editor = form->OpenEditor(File("blink.bas"));
        QVERIFY(editor);
        editor->TextEditor()->setFocus();
        QTRY_VERIFY(editor->TextEditor()->hasFocus());
        QTRY_VERIFY(!form->SplashTimer()->isActive());
        // long enough for the caret to blink a few times
        QVERIFY(QApplication::cursorFlashTime() > 0);
        QVERIFY(fixture::IdleRunsWhileQuiet(*form->IdleHandler(),
                                            2 * QApplication::cursorFlashTime()) <= 1);
        CloseAndFree(form);
    }

    void endingWithAFailingSaveKeepsTheProgramAndTheText() {
        // a folder that is gone fails the save whoever runs the test
        QVERIFY(QDir(dir->path()).mkdir("weg"));
        auto form = testing::StartMainForm();
        TEditorForm* editor = form->OpenEditor(File("weg/ende.bas"));
        QVERIFY(editor);
        editor->TextEditor()->setFocus();
        QTest::keyClicks(editor->TextEditor(), "X");
        QVERIFY(QDir(dir->filePath("weg")).removeRecursively());
        platform::DialogRecorder recorder;
        recorder.QueueAnswer(platform::Button::Yes);
        ChooseMenuItem(form->menuBar(), form->NamedItem("FileExitItem"));
        QVERIFY(form->isVisible());
        QCOMPARE(Editors(*form), QList<TEditorForm*>{editor});
        QVERIFY(editor->TextEditor()->GetModified());
        QCOMPARE(editor->TextEditor()->GetLineString(1), std::string("XPRINT 1"));
        // the save's failure is shown as it happens, within the question
        QCOMPARE(recorder.Boxes().size(), size_t(2));
        QVERIFY(recorder.Boxes()[1].text.contains(QStringLiteral("ende.bas")));
        // once the text is given up, the program ends
        recorder.QueueAnswer(platform::Button::No);
        CloseAndFree(form);
    }

    void aShortcutFollowsTheChangeJustBeforeIt() {
        auto form = testing::StartMainForm();
        TEditorForm* editor = form->OpenEditor(File("p.bas"));
        QVERIFY(editor);
        form->AppIdle();
        QVERIFY(!form->CommandItem(cmSave)->isEnabled());
        editor->TextEditor()->setFocus();
        // Typing and saving in one go, with no idle call between them.
        QTest::keyClicks(editor->TextEditor(), "X");
        QTest::keySequence(form.get(), QKeySequence(Qt::CTRL | Qt::Key_S));
        QVERIFY(!editor->TextEditor()->GetModified());
        std::ifstream saved(dir->filePath("p.bas").toStdString());
        std::string first;
        std::getline(saved, first);
        QCOMPARE(first.substr(0, 8), std::string("XPRINT 1"));
        CloseAndFree(form);
    }

    void withoutSourceWindowOnlyUntaggedItemsAreEnabled() {
        auto form = testing::StartMainForm();
        int tagged = 0;
        for (QAction* item : form->findChildren<QAction*>()) {
            if (CommandItem(item) != 0) {
                ++tagged;
                QVERIFY2(!item->isEnabled(), qPrintable(item->objectName()));
            }
        }
        QCOMPARE(tagged, 25);
        for (int cmd : std::initializer_list<int>{cmSave, cmCut, cmCompile, cmNextError, cmRun,
                                                  cmClearBreakpoints, cmStop})
            QVERIFY(!form->CommandButton(cmd)->isEnabled());
        for (const char* name : {"FileNewItem", "FileOpenItem", "FileExitItem", "HelpAboutItem"})
            QVERIFY2(form->NamedItem(name)->isEnabled(), name);
        QVERIFY(!form->NamedItem("ViewCompiledItem")->isEnabled());
        QVERIFY(form->BeepButton()->isEnabled());

        // A source window enables its commands, and their shortcuts follow.
        TEditorForm* editor = form->OpenEditor(File("p.bas"));
        QVERIFY(editor);
        form->AppIdle();
        QVERIFY(form->CommandItem(cmCompile)->isEnabled());
        QVERIFY(form->CommandButton(cmCompile)->isEnabled());
        QVERIFY(!form->CommandItem(cmSave)->isEnabled());
        QCOMPARE(form->StatusPanel(0)->text(), QStringLiteral("    1:  1"));
        QCOMPARE(form->StatusPanel(2)->text(), QStringLiteral("Einfügen"));
        editor->TextEditor()->setFocus();
        QTest::keyClicks(editor->TextEditor(), "X");
        form->AppIdle();
        QVERIFY(form->CommandItem(cmSave)->isEnabled());
        QCOMPARE(form->StatusPanel(1)->text(), QStringLiteral("Geändert"));
        QTest::keySequence(form.get(), QKeySequence(Qt::CTRL | Qt::Key_S));
        QVERIFY(!editor->TextEditor()->GetModified());
        std::ifstream saved(dir->filePath("p.bas").toStdString());
        std::string first;
        std::getline(saved, first);
        QCOMPARE(first.substr(0, 8), std::string("XPRINT 1"));

        // The caret's column is its display column: a tab counts to the next tab stop.
        TEditorForm* tabbed = form->OpenEditor(File("t.bas", "\tX\r\n"));
        QVERIFY(tabbed);
        tabbed->TextEditor()->setFocus();
        QTest::keyClick(tabbed->TextEditor(), Qt::Key_End);
        form->AppIdle();
        QCOMPARE(form->StatusPanel(0)->text(), QStringLiteral("    1: 10"));
        CloseAndFree(form);
    }

    void anOpenFileIsFoundByItsRealPath() {
        auto form = testing::StartMainForm();
        const QString path = File("a.bas");
        TEditorForm* first = form->OpenEditor(path);
        TEditorForm* other = form->OpenEditor(File("b.bas"));
        QVERIFY(first && other && first != other);
        QCOMPARE(form->ActiveEditor(), other);

        QVERIFY(QFile::link(path, dir->filePath("link.bas")));
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(dir->path());
        QCOMPARE(form->OpenEditor(QStringLiteral("./sub/../a.bas")), first);
        QDir::setCurrent(cwd);
        QCOMPARE(form->ActiveEditor(), first);
        QCOMPARE(form->OpenEditor(dir->filePath("link.bas")), first);
        QCOMPARE(Editors(*form).size(), 2);

        // Names differing in case are other files; a new untitled text is always a new window.
        TEditorForm* upper = form->OpenEditor(File("A.bas"));
        QVERIFY(upper != first);
        QVERIFY(form->OpenEditor(QString()) != form->OpenEditor(QString()));
        QCOMPARE(Editors(*form).size(), 5);
        CloseAndFree(form);
    }

    void droppedFilesOpenWhateverTheirPathLength() {
        auto form = testing::StartMainForm();
        QVERIFY(QDir(dir->path()).mkpath(QString(150, QLatin1Char('d'))));
        const QString deep = File((QString(150, QLatin1Char('d')) + "/tief.bas").toLatin1());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(deep), QUrl::fromLocalFile(File("flach.bas"))});
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        QVERIFY(enter.isAccepted());
        QApplication::sendEvent(form.get(), &drop);
        const QList<TEditorForm*> editors = Editors(*form);
        QCOMPARE(editors.size(), 2);
        QCOMPARE(QString::fromLocal8Bit(editors[0]->TextEditor()->FileName()), deep);
        CloseAndFree(form);
    }

    void aNeverStoredRectangleKeepsTheDesignedPlace() {
        const QRect designed = TMainForm().geometry();
        {
            TWinRegistry reg{QLatin1String(MainRegistryKey)};
            for (const char* ident : {"Left", "Top", "Right", "Bottom"})
                reg.WriteInteger(QStringLiteral("MainWindow"), QLatin1String(ident), -1);
            reg.EraseSection(QStringLiteral("AnalogPortWindow"));
        }
        Linotrex().Ports().analogIn = {};
        auto form = testing::StartMainForm();
        QCOMPARE(form->geometry().size(), designed.size());
        // The analog inputs still start from their defaults.
        QCOMPARE(int(Linotrex().Ports().analogIn[0]), int(DefaultADValues[0]));
        form.reset();

        {
            TWinRegistry reg{QLatin1String(MainRegistryKey)};
            reg.WriteInteger(QStringLiteral("MainWindow"), QStringLiteral("Left"), 30);
            reg.WriteInteger(QStringLiteral("MainWindow"), QStringLiteral("Top"), 40);
            reg.WriteInteger(QStringLiteral("MainWindow"), QStringLiteral("Right"), 530);
            reg.WriteInteger(QStringLiteral("MainWindow"), QStringLiteral("Bottom"), 440);
        }
        form = testing::StartMainForm();
        QCOMPARE(form->geometry(), QRect(30, 40, 500, 400));
        form.reset();
    }

    void aBadDesktopRecordCostsOnlyItsWindow() {
        const QString a = File("a.bas"), gone = File("gone.bas"),
                      b = File("b.bas", "A=1\r\nB=2\r\n");
        auto form = testing::StartMainForm();
        form->OpenEditor(a);
        form->OpenEditor(gone);
        TEditorForm* front = form->OpenEditor(b);
        front->TextEditor()->SetCaretPosition(2, 3);
        front->ToggleBreakpoint(2);
        CloseAndFree(form);
        QVERIFY(QFile::exists(DesktopFileName));
        QVERIFY(QFile::remove(gone));

        platform::DialogRecorder recorder;
        form = testing::StartMainForm();
        const QList<TEditorForm*> editors = Editors(*form);
        QCOMPARE(editors.size(), 2);
        // Back to front as they were stored: the front window comes back last, on top.
        QCOMPARE(QString::fromStdString(editors[0]->TextEditor()->FileName()), a);
        QCOMPARE(QString::fromStdString(editors[1]->TextEditor()->FileName()), b);
        QCOMPARE(form->ActiveEditor(), editors[1]);
        int column = 0;
        QCOMPARE(editors[1]->TextEditor()->GetCaretPosition(column), 2);
        QCOMPARE(column, 3);
        QCOMPARE(editors[1]->Breakpoints().size(), size_t(1));
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QVERIFY(recorder.Boxes()[0].text.startsWith("Ein Fenster der Desktop-Datei"));
        // The restored windows still report to the recent files when closed.
        editors[0]->close();
        QCOMPARE(form->MRUFiles()->Names().value(0), a);
        // listed in the File menu right after its print item, behind a separator
        const QList<QAction*> items =
            form->findChild<QMenu*>(QStringLiteral("FileMenu"))->actions();
        const qsizetype print = items.indexOf(form->NamedItem("FilePrintItem"));
        QVERIFY(print >= 0 && print + 2 < items.size());
        QVERIFY(items[print + 1]->isSeparator());
        QVERIFY2(items[print + 2]->text().endsWith(QFileInfo(a).fileName()),
                 qPrintable(items[print + 2]->text()));
        QVERIFY(items.indexOf(form->NamedItem("FilePrinterSetupItem")) > print + 2);
        CloseAndFree(form);
    }

    void findAndReplaceGoThroughTheMainWindowsDialogs() {
        auto form = testing::StartMainForm();
        TEditorForm* editor = form->OpenEditor(File("f.bas", "PRINT ab\r\nab = 2\r\n"));
        form->AppIdle();
        form->CommandItem(cmFind)->trigger();
        ved::TVedFindDialog* find = form->FindDialog();
        QVERIFY(find->isVisible());
        find->FindEdit()->setText(QStringLiteral("ab"));
        find->FromStartBox()->setChecked(true);
        QTest::mouseClick(find->FindButton(), Qt::LeftButton);
        QVERIFY(!find->isVisible());
        QCOMPARE(EditorSearch().findText, std::string("ab"));
        int column = 0;
        QCOMPARE(editor->TextEditor()->GetCaretPosition(column), 1);
        form->AppIdle();
        QVERIFY(form->CommandItem(cmFindNext)->isEnabled());
        form->CommandItem(cmFindNext)->trigger();
        QCOMPARE(editor->TextEditor()->GetCaretPosition(column), 2);

        platform::DialogRecorder recorder;
        form->CommandItem(cmFindNext)->trigger();
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes()[0].text, QStringLiteral("Text ab nicht gefunden!"));

        form->CommandItem(cmReplace)->trigger();
        ved::TVedFindDialog* replace = form->ReplaceDialog();
        QVERIFY(replace->isVisible());
        replace->FindEdit()->setText(QStringLiteral("ab"));
        replace->ReplaceEdit()->setText(QStringLiteral("xy"));
        replace->FromStartBox()->setChecked(true);
        QTest::mouseClick(replace->ReplaceAllButton(), Qt::LeftButton);
        QCOMPARE(editor->TextEditor()->GetLineString(1), std::string("PRINT xy"));
        QCOMPARE(editor->TextEditor()->GetLineString(2), std::string("xy = 2"));
        recorder.Clear();
        QTest::mouseClick(replace->ReplaceAllButton(), Qt::LeftButton);
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes()[0].text, QStringLiteral("Text ab nicht gefunden!"));
        replace->hide();
        editor->TextEditor()->SetModified(false);
        CloseAndFree(form);
    }

    void optionItemsOpenTheirDialogs() {
        auto form = testing::StartMainForm();
        form->AppIdle();
        bool environment = false, colours = false;
        testing::AnswerModal<TEnvOptionDlg>([&](TEnvOptionDlg* dialog) {
            environment = true;
            dialog->reject();
        });
        form->NamedItem("OptionEnvironmentItem")->trigger();
        testing::AnswerModal<TColorOptionsDlg>([&](TColorOptionsDlg* dialog) {
            colours = true;
            dialog->reject();
        });
        form->NamedItem("OptionColorItem")->trigger();
        QVERIFY(environment && colours);
        CloseAndFree(form);
    }

    void printsStartFromThePrinterSetup() {
        auto form = testing::StartMainForm();
        TEditorForm* editor = form->OpenEditor(File("d.bas"));
        form->AppIdle();
        QPrinter* setUp = nullptr;
        testing::AnswerModal<QPageSetupDialog>([&](QPageSetupDialog* dialog) {
            setUp = dialog->printer();
            dialog->printer()->setPageOrientation(QPageLayout::Landscape);
            dialog->reject();
        });
        form->NamedItem("FilePrinterSetupItem")->trigger();
        QCOMPARE(setUp, &ProgramPrinter());
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
        testing::AnswerModal<QPrintDialog>([&](QPrintDialog* dialog) {
            orientation = dialog->printer()->pageLayout().orientation();
            dialog->reject();
        });
        editor->DoCommand(cmPrint);
        QCOMPARE(orientation, QPageLayout::Landscape);
        ProgramPrinter().setPageOrientation(QPageLayout::Portrait);
        CloseAndFree(form);
    }

    void aDropWhoseOpenFailsEndsThere() {
        auto form = testing::StartMainForm();
        platform::DialogRecorder recorder;
        recorder.QueueFailure(QStringLiteral("Oeffnen gescheitert"));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dir->filePath("fehlt.bas"))});
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &drop);
        QVERIFY(drop.isAccepted());
        QTRY_COMPARE(recorder.Boxes().size(), size_t(2));
        QCOMPARE(recorder.Boxes()[1].text, QStringLiteral("Oeffnen gescheitert"));
        QVERIFY(form->isVisible());
        CloseAndFree(form);
    }

    void aCloseRefusedByALaterStepAsksEachWindowAgain() {
        auto form = testing::StartMainForm();
        TEditorForm* older = form->OpenEditor(File("alt.bas"));
        TEditorForm* newer = form->OpenEditor(File("neu.bas"));
        QVERIFY(older && newer);
        for (TEditorForm* editor : {older, newer}) {
            editor->TextEditor()->setFocus();
            QTest::keyClicks(editor->TextEditor(), "X");
        }
        // the newer window is asked first and gives its changes up; the older one's question fails
        platform::DialogRecorder recorder;
        recorder.QueueAnswer(platform::Button::No);
        recorder.QueueFailure(QStringLiteral("Frage gescheitert"));
        QVERIFY(!form->close());
        QCOMPARE(Editors(*form).size(), 2);
        QTRY_COMPARE(recorder.Boxes().size(), size_t(3));
        QCOMPARE(recorder.Boxes()[2].text, QStringLiteral("Frage gescheitert"));
        // after more typing, the window that had agreed asks again as it closes
        recorder.Clear();
        newer->TextEditor()->setFocus();
        QTest::keyClicks(newer->TextEditor(), "Y");
        QVERIFY(!newer->close());
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QVERIFY(recorder.Boxes()[0].text.contains(QStringLiteral("neu.bas")));
        QCOMPARE(newer->TextEditor()->GetLineString(1), std::string("XYPRINT 1"));
        recorder.QueueAnswer(platform::Button::No);
        recorder.QueueAnswer(platform::Button::No);
        CloseAndFree(form);
    }

    void aHintLastsWhileThePointerRestsOnItsButton() {
        auto form = testing::StartMainForm();
        TEditorForm* editor = form->OpenEditor(File("h.bas"));
        QVERIFY(editor);
        form->AppIdle();
        QWindow* window = form->windowHandle();
        QMenu* develop = form->Menu("DevelopmentMenu");
        QAction* item = form->CommandItem(cmCompile);
        const QPoint title = form->menuBar()->mapTo(
            form.get(), form->menuBar()->actionGeometry(develop->menuAction()).center());
        QTest::mouseMove(window, title);
        QTest::mouseClick(window, Qt::LeftButton, {}, title);
        QTRY_VERIFY(develop->isVisible());
        // Compilieren chosen with the mouse; as the compile runs, the pointer is found on the
        // compile button that lay under the menu.
        QToolButton* button = form->CommandButton(cmCompile);
        const QPoint onButton = form->mapFromGlobal(button->mapToGlobal(button->rect().center()));
        const QPoint onItem = develop->actionGeometry(item).center();
        QTest::mouseMove(develop->windowHandle(), onItem);
        const QMetaObject::Connection arrive =
            connect(item, &QAction::triggered, this, [&] { QTest::mouseMove(window, onButton); });
        QTest::mouseClick(develop->windowHandle(), Qt::LeftButton, {}, onItem);
        disconnect(arrive);
        QTRY_VERIFY(!develop->isVisible());
        QCOMPARE(form->StatusPanel(3)->text(), QStringLiteral("Compilieren"));
        // on the source text the hint is gone
        QTest::mouseMove(window, editor->TextEditor()->mapTo(form.get(), QPoint(40, 40)));
        form->AppIdle();
        QCOMPARE(form->StatusPanel(3)->text(), form->StatusText());
        CloseAndFree(form);
    }

    void closingWaitsForTheDownload() {
        quendal::PseudoTerminal silent; // nobody answers on the other end
        QVERIFY(silent.isOpen());
        platform::Settings store(dir->filePath("ports").toStdString());
        store.writeString("SOFTWARE\\Mirelt Electronic\\Tavrissel\\Ports", "COM1",
                          silent.slavePath());
        TLinotrex& wrapper = Linotrex();
        wrapper.SetPortSettings(&store);
        auto form = testing::StartMainForm();
        wrapper.SetComPort(1); // after the settings are read
        form->OpenEditor(File("d.bas", "PRINT 1\r\nEND\r\n"));
        form->AppIdle();
        QTest::keySequence(form.get(), QKeySequence(Qt::Key_F12));
        QVERIFY(wrapper.DownloadActive());

        platform::DialogRecorder recorder;
        QVERIFY(!form->close());
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QVERIFY(recorder.Boxes()[0].text.startsWith("Die Anwendung kann nicht geschlossen"));
        QCOMPARE(Editors(*form).size(), 1);

        // The silent unit costs the library's time-out, not the program.
        QTRY_VERIFY_WITH_TIMEOUT(!wrapper.DownloadActive(), 10000);
        QCOMPARE(Messages().back().text, QStringLiteral("  Die Tavrissel-Unit antwortet nicht!"));
        QVERIFY(form->close());
        wrapper.SetComPort(0);
        wrapper.SetPortSettings(nullptr);
    }

private:
    static int CommandItem(const QAction* item) { return item->property(kTagProperty).toInt(); }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
