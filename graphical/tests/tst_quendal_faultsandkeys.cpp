// The graphical program under its own application object, as a user meets it in the table and
// comment windows: a paste from the menu that does not fit shows its error and the program goes
// on; a save over a project file this user may not write is refused; F9 and Esc reach the main
// window's simulator commands; a restart shows the restored windows from their stored top line;
// typing marks the project changed and Ctrl+S saves it.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "editor/vedexcept.h"
#include "framework/application.h"
#include "framework/mainframe.h"
#include "framework/tests/menuclick.h"
#include "framework/winregistry.h"
#include "graphical/editors/commentedit.h"
#include "graphical/editors/tableedit.h"
#include "graphical/mainwindow/projectcontroller.h"
#include "graphical/mainwindow/tavrisselform.h"
#include "graphical/model/quendalmodel.h"
#include "platform/qt/dialogs.h"
#include "platform/tests/sizelimit.h"
#include "platform/tests/writeprotect.h"

#include <optional>

namespace {

const QString Key = QLatin1String(MainRegistryKey);

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestQuendalFaultsAndKeys : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    // A project with one block, the table "10, 20, 30 / 40" and a comment of ten lines.
    QString WriteProject() {
        const QString fileName = dir_.filePath(QStringLiteral("texte.mtp"));
        TQuendalModel model;
        model.InitNew();
        model.InsertNewCell(0);
        model.InsertGraphBlock(model.GetCell(0), 700, TRect{10, 10, 70, 50});
        model.NewTable(true);
        model.SetTableData(model.GetTable(0), {"10, 20, 30", "40"});
        TLines comment;
        for (int i = 1; i <= 10; ++i)
            comment.push_back("Zeile " + std::to_string(i));
        model.SetComment(comment);
        model.SetFileName(fileName);
        return model.Save() ? fileName : QString();
    }
    static TTavrisselForm* Start() {
        auto* form = new TTavrisselForm;
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form))
            qWarning("main window not active");
        return form;
    }
    static TTableEditorForm* OpenTable(TTavrisselForm& form) {
        form.Controller()->EditTable(1);
        return qobject_cast<TTableEditorForm*>(form.MdiArea()->activeSubWindow());
    }
    static TCommentEditForm* OpenComment(TTavrisselForm& form) {
        form.Controller()->OpenComment();
        return qobject_cast<TCommentEditForm*>(form.MdiArea()->activeSubWindow());
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        qputenv("XDG_CONFIG_HOME", (dir_.path() + QStringLiteral("/config")).toLocal8Bit());
        QVERIFY(QDir::setCurrent(dir_.path()));
        TWinRegistry(Key).WriteBool(QStringLiteral("ProjectWindow"),
                                    QStringLiteral("AutoOpenFirstCell"), false);
    }
    void init() {
        DesktopFileName = dir_.filePath(QStringLiteral("quendal.DSK"));
        QFile::remove(DesktopFileName);
    }

    void pastingALineTooLongFromTheMenuShowsTheError() {
        std::unique_ptr<TTavrisselForm> form(Start());
        QVERIFY(form->OpenProject(WriteProject()));
        const std::vector<TTextEditForm*> windows = {OpenTable(*form), OpenComment(*form)};
        for (TTextEditForm* window : windows) {
            QVERIFY(window);
            form->MdiArea()->setActiveSubWindow(window);
            window->Editor()->setFocus();
            const std::string before = window->Editor()->Text();
            QApplication::clipboard()->setText(QString(300, QLatin1Char('A')));
            form->EnableButtons();
            {
                platform::DialogRecorder recorder;
                ChooseMenuItem(form->menuBar(), form->CommandItem(cmPaste));
                const auto& events = recorder.Events();
                QCOMPARE(events.size(), size_t(2));
                QCOMPARE(events[0].type, platform::DialogRecorder::Event::Type::Beep);
                QCOMPARE(events[1].box.kind, platform::BoxKind::Error);
                QCOMPARE(events[1].box.text,
                         QString::fromLatin1(ved::VedErrorMessage(ved::VedErrParaLength)));
            }
            QCOMPARE(window->Editor()->Text(), before);
            QVERIFY(!window->Editor()->GetModified());
            QVERIFY(!window->Changed());
            // the program goes on: a paste that fits goes in from the same menu item
            QApplication::clipboard()->setText(QStringLiteral("5"));
            ChooseMenuItem(form->menuBar(), form->CommandItem(cmPaste));
            QCOMPARE(window->Editor()->GetPara(1).substr(0, 1), std::string("5"));
            QVERIFY(window->Changed());
        }
        QVERIFY(form->Controller()->CloseProject(true));
    }

    void saveOverAProjectFileThisUserMayNotWriteIsRefused() {
        if (const std::string why = WriteProtectionUnavailable(); !why.empty())
            QSKIP(why.c_str());
        std::unique_ptr<TTavrisselForm> form(Start());
        const QString project = WriteProject();
        QVERIFY(form->OpenProject(project));
        const QByteArray old = Contents(project);
        form->Model()->InsertNewCell(1);
        QVERIFY(form->Model()->Modified());
        form->EnableButtons();
        {
            // the folder would let the new file replace the old one
            TWriteProtected protect(project);
            platform::DialogRecorder recorder;
            ChooseMenuItem(form->menuBar(), form->CommandItem(cmSave));
            const auto& events = recorder.Events();
            QCOMPARE(events.size(), size_t(2));
            QCOMPARE(events[0].type, platform::DialogRecorder::Event::Type::Beep);
            QCOMPARE(events[1].box.kind, platform::BoxKind::Error);
            QCOMPARE(events[1].box.text, project + QStringLiteral(": Zugriff verweigert"));
        }
        QCOMPARE(Contents(project), old);
        QVERIFY(form->Model()->Modified());
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).filter(".texte.mtp"),
                 QStringList());
        // once the file may be written, the same command saves it
        platform::DialogRecorder recorder;
        ChooseMenuItem(form->menuBar(), form->CommandItem(cmSave));
        QVERIFY(recorder.Events().empty());
        QCOMPARE(Contents(project).count("#CELL_START"), 2);
        QVERIFY(!form->Model()->Modified());
        QVERIFY(form->Controller()->CloseProject(true));
    }

    void aDiskFillingUpLeavesTheProjectAsItWas() {
        // a size limit stands in for a full disk, in a writable folder and in one that takes no
        // new files
        std::unique_ptr<TTavrisselForm> form(Start());
        const QString project = WriteProject();
        QVERIFY(form->OpenProject(project));
        const QByteArray old = Contents(project);
        form->Model()->SetComment(TLines(300, std::string(40, 'k')));
        form->EnableButtons();
        for (const bool closedFolder : {false, true}) {
            std::optional<TClosedFolder> closed;
            if (closedFolder) {
                if (const std::string why = WriteProtectionUnavailable(); !why.empty())
                    QSKIP(why.c_str());
                closed.emplace(project);
            }
            TSizeLimit limit(5000);
            platform::DialogRecorder recorder;
            ChooseMenuItem(form->menuBar(), form->CommandItem(cmSave));
            const auto& events = recorder.Events();
            QCOMPARE(events.size(), size_t(2));
            QCOMPARE(events[1].box.kind, platform::BoxKind::Error);
            QCOMPARE(events[1].box.text,
                     QStringLiteral("Fehler beim Schreiben der Datei %1:\rDie Datei ist zu "
                                    "gro\u00DF\rDie Datei auf dem Datentr\u00E4ger ist "
                                    "unver\u00E4ndert.")
                         .arg(project));
        }
        QCOMPARE(Contents(project), old);
        QVERIFY(form->Model()->Modified());
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).filter(".texte.mtp"),
                 QStringList());
        // the project goes elsewhere
        const QString other = dir_.filePath(QStringLiteral("anders.mtp"));
        platform::DialogRecorder recorder;
        recorder.QueueSaveName(other);
        ChooseMenuItem(form->menuBar(), form->CommandItem(cmSaveAs));
        QCOMPARE(Contents(other).count(QByteArray(40, 'k')), 300);
        QVERIFY(!form->Model()->Modified());
        QVERIFY(form->Controller()->CloseProject(true));
    }

    void aPasteFailingPartWayReachesTheTable() {
        std::unique_ptr<TTavrisselForm> form(Start());
        QVERIFY(form->OpenProject(WriteProject()));
        TTableEditorForm* window = OpenTable(*form);
        QVERIFY(window);
        window->Editor()->setFocus();
        QTRY_VERIFY(window->Editor()->hasFocus());
        // the first line goes in before the second one is found too long
        QApplication::clipboard()->setText(QStringLiteral("5\r\n") +
                                           QString(300, QLatin1Char('A')));
        {
            platform::DialogRecorder recorder;
            QTest::keyClick(window->Editor(), Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(recorder.Boxes().size(), size_t(1));
        }
        QCOMPARE(window->Editor()->GetPara(1), std::string("5"));
        QVERIFY(window->Changed());
        TQuendalModel* model = form->Model();
        const TConversionTable* table = model->GetTable(0);
        QVERIFY(window->close());
        TLines lines;
        QVERIFY(model->GetTableData(table, lines));
        QCOMPARE(lines.front(), std::string("5"));
        QVERIFY(form->Controller()->CloseProject(true));
    }

    void simulatorKeysReachTheMainWindowFromTheTextWindows() {
        std::unique_ptr<TTavrisselForm> form(Start());
        QVERIFY(form->OpenProject(WriteProject()));
        TQuendalModel* model = form->Model();
        const std::vector<TTextEditForm*> windows = {OpenTable(*form), OpenComment(*form)};
        for (TTextEditForm* window : windows) {
            QVERIFY(window);
            form->MdiArea()->setActiveSubWindow(window);
            window->Editor()->setFocus();
            QTRY_VERIFY(window->Editor()->hasFocus());
            const std::string text = window->Editor()->Text();
            model->SetCompiled(true);
            form->EnableButtons();
            QTest::keyClick(window->Editor(), Qt::Key_F9);
            QVERIFY(model->IsSimCommandEnabled(cmStop));
            form->EnableButtons();
            QTest::keyClick(window->Editor(), Qt::Key_Escape);
            QVERIFY(!model->IsSimCommandEnabled(cmStop));
            // the editor's own keys stay its own: Ctrl+Z undoes the typing, not a project edit
            QTest::keyClick(window->Editor(), Qt::Key_Home);
            QTest::keyClicks(window->Editor(), "7");
            form->EnableButtons();
            QTest::keyClick(window->Editor(), Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(window->Editor()->Text(), text);
            model->DoSimCommand(cmReset);
        }
        QVERIFY(form->Controller()->CloseProject(true));
    }

    void typingMarksTheProjectChangedAndCtrlSSavesIt() {
        const QString project = WriteProject();
        std::unique_ptr<TTavrisselForm> form(Start());
        QVERIFY(form->OpenProject(project));
        QLabel* changed = form->StatusPanel(0);
        QToolButton* save = form->CommandButton(cmSave);
        const std::vector<TTextEditForm*> windows = {OpenTable(*form), OpenComment(*form)};
        for (TTextEditForm* window : windows) {
            QVERIFY(window);
            form->MdiArea()->setActiveSubWindow(window);
            window->Editor()->setFocus();
            QTRY_VERIFY(window->Editor()->hasFocus());
            form->AppIdle();
            QVERIFY(!save->isEnabled());
            QCOMPARE(changed->text(), QString());
            QTest::keyClick(window->Editor(), Qt::Key_End);
            QTest::keyClicks(window->Editor(), "7");
            form->AppIdle();
            QCOMPARE(changed->text(), QStringLiteral("Ge\u00E4ndert"));
            QVERIFY(save->isEnabled());
            QTest::keyClick(window->Editor(), Qt::Key_S, Qt::ControlModifier);
            form->AppIdle();
            QCOMPARE(changed->text(), QString());
        }
        TQuendalModel saved;
        QVERIFY(saved.LoadFromFile(project));
        TLines table;
        QVERIFY(saved.GetTableData(saved.GetTable(0), table));
        QCOMPARE(table, (TLines{"10, 20, 307", "40"}));
        QCOMPARE(saved.Comment.front(), std::string("Zeile 17"));
        QVERIFY(form->close());
    }

    void restartShowsRestoredTextWindowsFromTheirTopLine() {
        const QString project = WriteProject();
        {
            std::unique_ptr<TTavrisselForm> form(Start());
            QVERIFY(form->OpenProject(project));
            OpenTable(*form)->Editor()->SetCaretPosition(2, 3);
            TCommentEditForm* comment = OpenComment(*form);
            comment->setGeometry(0, 0, 300, 120); // a few rows: the last line needs a scroll
            comment->Editor()->SetCaretPosition(1, 1);
            comment->Editor()->SetCaretPosition(10, 1);
            comment->Editor()->SetTopLine(2);
            QVERIFY(form->close());
        }
        std::unique_ptr<TTavrisselForm> form(Start());
        QCOMPARE(form->Model()->FileName(), project);
        TTableEditorForm* table = nullptr;
        TCommentEditForm* comment = nullptr;
        for (QMdiSubWindow* window : form->MdiArea()->subWindowList()) {
            if (auto* t = qobject_cast<TTableEditorForm*>(window))
                table = t;
            if (auto* c = qobject_cast<TCommentEditForm*>(window))
                comment = c;
        }
        QVERIFY(table && comment);
        QTRY_COMPARE(table->Editor()->GetTopLine(), 1);
        QVERIFY(!table->Editor()->verticalScrollBar()->isVisible());
        QTRY_COMPARE(comment->Editor()->GetTopLine(), 2);
        QScrollBar* bar = comment->Editor()->verticalScrollBar();
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->value(), 2);
        QCOMPARE(bar->maximum(),
                 comment->Editor()->GetLineCount() - comment->Editor()->VisibleRows() + 1);
        QVERIFY(form->close());
    }
};

int main(int argc, char* argv[]) {
    TApplication app(argc, argv);
    TestQuendalFaultsAndKeys test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_quendal_faultsandkeys.moc"
