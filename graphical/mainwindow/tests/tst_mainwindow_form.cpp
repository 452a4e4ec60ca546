// The main window started in-process: menus, command routing and enabling, the idle loop,
// settings and the desktop file, driven through its real buttons and menus.
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include "framework/desktop.h"
#include "framework/idlehandler.h"
#include "framework/mdichild.h"
#include "framework/mdiframe.h"
#include "framework/mrufilelist.h"
#include "framework/paintbox.h"
#include "framework/printing.h"
#include "framework/tests/eventloop.h"
#include "framework/tests/menuclick.h"
#include "framework/toolbars.h"
#include "framework/utils.h"
#include "framework/winregistry.h"
#include "graphical/dialogs/compilerstatus.h"
#include "graphical/dialogs/environoptiondlg.h"
#include "graphical/editors/blockpalette.h"
#include "graphical/editors/cellform.h"
#include "graphical/editors/tableedit.h"
#include "graphical/mainwindow/projectcontroller.h"
#include "graphical/mainwindow/tavrisselform.h"
#include "graphical/model/block.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/blocklist.h"
#include "graphical/model/graphblock.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/model/simulatoriostate.h"
#include "graphical/simwindows/aportfrm.h"
#include "graphical/simwindows/lcdform.h"
#include "graphical/simwindows/watchfrm.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/help.h"
#include "platform/system.h"

// A document window that records what reaches it and answers enabling from a list.
class TRecordingForm : public TMDIChildForm {
    Q_OBJECT

public:
    explicit TRecordingForm(TModel* model) : TMDIChildForm(model) { resize(300, 200); }

    void DoCommand(int cmd) override { commands.push_back(cmd); }
    bool IsCommandEnabled(int cmd) override {
        return std::find(enabled.begin(), enabled.end(), cmd) != enabled.end();
    }
    void UpdateAspekt(int code, NotifyData) override { notifications.push_back(code); }
    void SaveDesktop(TDesktopWriter& writer) override {
        TMDIChildForm::SaveDesktop(writer);
        writer.WriteString(windowTitle());
    }
    void LoadDesktop(TDesktopReader& reader) override {
        TMDIChildForm::LoadDesktop(reader);
        setWindowTitle(reader.ReadString());
    }

    std::vector<int> commands;
    std::vector<int> enabled;
    std::vector<int> notifications;
};

namespace {

const QString Key = QLatin1String(MainRegistryKey);
const QString Section = QStringLiteral("MainWindow");

QStringList BoxTexts(const platform::DialogRecorder& recorder) {
    QStringList texts;
    for (const auto& box : recorder.Boxes())
        texts << box.text;
    return texts;
}

// Opens a menu of the menu bar with a click on its title, as the user does.
void OpenMenu(TTavrisselForm& form, QMenu* menu) {
    QMenuBar* bar = form.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    QTRY_VERIFY(menu->isVisible());
}

// Drops data on target after its drag entered, as the desktop delivers them; whether the drag
// and the drop were accepted.
bool DropOn(QWidget* target, QMimeData& data) {
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return enter.isAccepted() && drop.isAccepted();
}

// A desktop file that breaks off inside its first window record.
bool WriteDamagedDesktop() {
    QFile file(DesktopFileName);
    return file.open(QIODevice::WriteOnly) && file.write("S 0 \nI 0\nI 2\nR 999\nI") > 0;
}

void CloseMenu(QMenu* menu) {
    menu->hide();
    QTRY_VERIFY(!menu->isVisible());
}

QAction* ItemWithText(QMenu* menu, const QString& text) {
    for (QAction* item : menu->actions())
        if (item->text() == text)
            return item;
    return nullptr;
}

void ClickItem(TTavrisselForm& form, QMenu* menu, QAction* item) {
    OpenMenu(form, menu);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

// Runs act once on the first modal dialog of type D while the timer lives.
template <class D> std::unique_ptr<QTimer> OnModal(std::function<void(D*)> act) {
    auto timer = std::make_unique<QTimer>();
    QTimer* t = timer.get();
    QObject::connect(t, &QTimer::timeout, [t, act] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            t->stop();
            act(dialog);
        }
    });
    timer->start(10);
    return timer;
}

TRecordingForm* AddChild(TTavrisselForm& form, const QString& title) {
    auto* child = TMDIChildForm::Create<TRecordingForm>(form.Model());
    child->setWindowTitle(title);
    form.MdiArea()->addSubWindow(child);
    child->show();
    form.MdiArea()->setActiveSubWindow(child);
    return child;
}

// Whether the control lies whole inside every widget between it and the window.
bool ShownWhole(const QWidget* control, const QWidget* window) {
    QRect rect = control->rect();
    for (const QWidget* widget = control; widget != window; widget = widget->parentWidget()) {
        rect.translate(widget->pos());
        if (!widget->parentWidget()->rect().contains(rect))
            return false;
    }
    return true;
}

// The tool-bar controls shown but cut off, and the panels lying over each other.
QStringList ToolbarControlsOutOfReach(TTavrisselForm& form) {
    QStringList out;
    for (TDockToolbar* row : {form.MainDockToolbar(), form.BlockDockToolbar()}) {
        for (QWidget* control : row->findChildren<QWidget*>()) {
            const bool isControl =
                qobject_cast<QAbstractButton*>(control) || qobject_cast<QComboBox*>(control);
            if (isControl && control->isVisibleTo(&form) && !ShownWhole(control, &form))
                out << control->objectName() + control->toolTip();
        }
        const std::vector<TMHToolbar*>& panels = row->Panels();
        for (size_t i = 0; i < panels.size(); ++i)
            for (size_t j = i + 1; j < panels.size(); ++j)
                if (panels[i]->geometry().intersects(panels[j]->geometry()))
                    out << panels[i]->objectName() + " over " + panels[j]->objectName();
    }
    return out;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstStartUsesDefaultsAndStoresDirectories();
    void menusCarryCommandsAndBlockTypes();
    void savingFollowsTheModifiedProject();
    void exitWithAFailingSaveStaysOpen();
    void commandsGoToTheActiveWindowUnlessTheTreeHasTheFocus();
    void simulatorCommandsRunInTheMainWindowAndPassOn();
    void compilingNeedsBlocksAndPreparesTheTables();
    void tableErrorIsShownInTheCompileDialog();
    void gridButtonsKeepTheGridChoiceWhileAlignmentIsOff();
    void closingWritesSettingsAndTheDesktopWhichTheNextStartRestores();
    void hiddenToolbarsComeBackFromTheViewMenu();
    void everyToolbarControlStaysInReachAtAnyWidth();
    void damagedDesktopIsReportedAndTheProgramRunsOn();
    void unwritableDesktopIsReportedAndTheProgramStillCloses();
    void droppingSeveralFilesOpensOnlyTheFirst();
    void failuresOfTheMainWindowsHandlersEndThere();
    void aCloseRefusedByALaterStepAsksAgain();
    void viewShortcutsWorkAsSoonAsAProjectExists();
    void theTreeTakesTheFocusWhenTheLastWindowCloses();
    void viewMenuOpensWindowsOfTheProject();
    void treeKeysAndPopupGoToTheProjectTree();
    void windowMenuArrangesAndClosesTheWindows();
    void helpKeyOfTheTreeOpensItsTopic();
    void toolWindowsComeBackAfterTheSplashOnlyWithAStoredMainWindow();
    void environmentOptionsShowTheSettingsAndApplyThemOnOk();
    void printerSetupIsKeptForThePrints();
    void pasteWaitsForTheSimulationToStop();
    void textWindowsUndoTheirOwnEditsWhileSimulating();
    void parameterChangeIsUndoneAndRedoneAlone();
    void typedConstantsReplaceTheShownValue();
    void shortcutsFollowTheCommandChainWithoutOpeningMenus();
    void idleRunsOnlyAfterEvents();
    void aHintLastsWhileThePointerRestsOnItsButton();
    void aShortcutFollowsTheChangeJustBeforeIt();
    void gridButtonsSnapAndShowTheGrid();
    void menusOpenedFromTheKeyboardServeWhatHadTheKeys();
    void boxesOpenOverTheMainWindow();
    void newWindowsLieInsideTheArea();
    // Last: the translations stay installed.
    void qtTextsAreGermanWhenTheTranslationsAreThere();

private:
    // A project with one cell holding one block (when withBlock) and an internal table of the
    // given line (when not empty), saved under name.
    QString WriteProject(const QString& name, bool withBlock, const std::string& tableLine = {});
    TTavrisselForm* Start();
    void Stop(TTavrisselForm* form);

    QTemporaryDir dir_;
    QPointer<TTavrisselForm> form_;
    std::function<void(QWidget*, TQuendalModel*, bool)> realCompileDialog_;
};

void TestMainWindow::initTestCase() {
    QVERIFY(dir_.isValid());
    // The settings store is read from here on first use.
    qputenv("XDG_CONFIG_HOME", (dir_.path() + QStringLiteral("/config")).toLocal8Bit());
    RegisterMDIChildClass<TRecordingForm>();
    realCompileDialog_ = TTavrisselForm::RunCompileDialog;
}

void TestMainWindow::init() {
    TWinRegistry(Key).EraseSection(Section);
    TWinRegistry(Key).EraseSection(QStringLiteral("MRUList"));
    // Opening a project shows its tree only, so that the tests' windows stay the only ones.
    TWinRegistry(Key).WriteBool(QStringLiteral("ProjectWindow"),
                                QStringLiteral("AutoOpenFirstCell"), false);
    DesktopFileName = dir_.filePath(QStringLiteral("quendal.DSK"));
    QFile::remove(DesktopFileName);
    CellDisplay().CellAlignAtGrid = true;
    CellDisplay().CellGridVisible = true;
    TTavrisselForm::RunCompileDialog = nullptr;
}

void TestMainWindow::cleanup() {
    delete form_;
    TTavrisselForm::RunCompileDialog = nullptr;
}

QString TestMainWindow::WriteProject(const QString& name, bool withBlock,
                                     const std::string& tableLine) {
    const QString fileName = dir_.filePath(name);
    TQuendalModel model;
    model.InitNew();
    model.InsertNewCell(0);
    if (withBlock)
        model.InsertGraphBlock(model.GetCell(0), 700, TRect{10, 10, 70, 50});
    if (!tableLine.empty()) {
        model.NewTable(true);
        model.SetTableData(model.GetTable(0), {tableLine});
    }
    model.SetFileName(fileName);
    if (!model.Save())
        return QString();
    return fileName;
}

TTavrisselForm* TestMainWindow::Start() {
    form_ = new TTavrisselForm;
    form_->show();
    form_->activateWindow();
    if (!QTest::qWaitForWindowActive(form_))
        qWarning("main window not active");
    return form_;
}

void TestMainWindow::Stop(TTavrisselForm* form) {
    QVERIFY(form->close());
    delete form;
}

void TestMainWindow::firstStartUsesDefaultsAndStoresDirectories() {
    platform::DialogRecorder recorder;
    auto* form = new TTavrisselForm;
    form_ = form;
    const QRect designBounds = form->geometry();
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    QCOMPARE(form->geometry().size(), designBounds.size());
    QCOMPARE(form->windowTitle(), QStringLiteral("Mirelt Tavrissel/plus"));
    QCOMPARE(form->StatusPanel(1)->text(), QStringLiteral("Bereit"));
    QVERIFY(form->CellTree()->hasFocus());
    QVERIFY(form->SplashTimer()->isActive());

    const QString programDir = QString::fromStdString(platform::ProgramDirectory());
    QCOMPARE(BitmapDir, programDir + QStringLiteral("BITMAPS"));
    QCOMPARE(TableDir, programDir + QStringLiteral("TABLES"));
    TWinRegistry reg(Key);
    QCOMPARE(reg.ReadString(Section, QStringLiteral("BitmapPath"), QString()), BitmapDir);
    QCOMPARE(reg.ReadString(Section, QStringLiteral("TablePath"), QString()), TableDir);
    QVERIFY(!form->MainDockToolbar()->isHidden());
    QVERIFY(!form->statusBar()->isHidden());
    QVERIFY(recorder.Boxes().empty());
}

void TestMainWindow::menusCarryCommandsAndBlockTypes() {
    TTavrisselForm* form = Start();
    QStringList captions;
    for (QAction* item : form->menuBar()->actions())
        captions << item->text();
    QCOMPARE(captions,
             (QStringList{"&Datei", "&Bearbeiten", "&Ansicht", "B&l\u00F6cke", "&Entwicklung",
                          "&Simulator", "&Optionen", "&Fenster", "&Hilfe"}));
    QCOMPARE(form->CommandItem(cmCompileDownload)->text(),
             QStringLiteral("In Tavrissel-&Unit \u00FCbertragen"));
    QCOMPARE(form->CommandItem(cmCompileDownload)->shortcut(), QKeySequence(Qt::Key_F12));
    QCOMPARE(form->CommandItem(cmRedo)->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    QCOMPARE(form->CommandButton(cmClearBreakpoints)->toolTip(),
             QStringLiteral("Alle Haltepunkte l\u00F6schen"));

    // Every catalogue type appears once in the block menu, under its group.
    QMenu* blockMenu = form->Menu("BlockMenu");
    QVERIFY(!blockMenu->isEnabled());
    int typesInMenu = 0;
    for (QAction* group : blockMenu->actions()) {
        QVERIFY(group->menu());
        for (QAction* item : group->menu()->actions()) {
            const int cmd = item->property(kTagProperty).toInt();
            TBlockTyp* type = FindBlockTyp(cmd - cmInsertBlock);
            QVERIFY(type);
            QCOMPARE(item->text(), type->Name);
            ++typesInMenu;
        }
    }
    QVERIFY(typesInMenu > 0);
    QCOMPARE(size_t(typesInMenu), BlockCatalogue().Types().size());

    // Without a project the file commands are disabled when the menu opens.
    QMenu* fileMenu = form->Menu("FileMenu");
    OpenMenu(*form, fileMenu);
    QVERIFY(!form->CommandItem(cmSaveAs)->isEnabled());
    CloseMenu(fileMenu);
    QVERIFY(form->OpenProject(QString()));
    OpenMenu(*form, fileMenu);
    QVERIFY(form->CommandItem(cmSaveAs)->isEnabled());
    QVERIFY(!form->CommandItem(cmSave)->isEnabled());
    CloseMenu(fileMenu);
    QVERIFY(form->windowTitle().startsWith(QStringLiteral("Mirelt Tavrissel/plus - ")));
}

void TestMainWindow::savingFollowsTheModifiedProject() {
    const QString name = WriteProject(QStringLiteral("save.mtp"), false);
    QVERIFY(!name.isEmpty());
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(name));
    QCOMPARE(form->windowTitle(),
             QStringLiteral("Mirelt Tavrissel/plus - ") + form->Model()->GetDisplayName());
    form->AppIdle();
    QToolButton* save = form->CommandButton(cmSave);
    QVERIFY(!save->isEnabled());
    QCOMPARE(form->StatusPanel(0)->text(), QString());

    form->Model()->InsertNewCell(1);
    QVERIFY(form->Model()->Modified());
    form->AppIdle();
    QCOMPARE(form->StatusPanel(0)->text(), QStringLiteral("Ge\u00E4ndert"));
    QVERIFY(save->isEnabled());
    QTest::mouseClick(save, Qt::LeftButton);
    QVERIFY(!form->Model()->Modified());
    form->AppIdle();
    QCOMPARE(form->StatusPanel(0)->text(), QString());

    TQuendalModel reread;
    QVERIFY(reread.LoadFromFile(name));
    QCOMPARE(reread.CellCount(), 2);
}

void TestMainWindow::exitWithAFailingSaveStaysOpen() {
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("weg")));
    const QString name = WriteProject(QStringLiteral("weg/ende.mtp"), false);
    QVERIFY(!name.isEmpty());
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(name));
    form->Model()->InsertNewCell(1);
    // the project's folder is gone: the save fails, whoever runs the test
    QVERIFY(QDir(dir_.filePath(QStringLiteral("weg"))).removeRecursively());
    platform::DialogRecorder recorder;
    recorder.QueueAnswer(platform::Button::Yes);
    ChooseMenuItem(form->menuBar(),
                   ItemWithText(form->findChild<QMenu*>(QStringLiteral("FileMenu")),
                                QStringLiteral("&Beenden")));
    QVERIFY(form->isVisible());
    QVERIFY(form->Model()->Modified());
    QCOMPARE(form->Model()->CellCount(), 2);
    const QStringList texts = BoxTexts(recorder);
    QCOMPARE(texts.size(), 2);
    QVERIFY(texts[1].contains(QStringLiteral("ende.mtp")));
}

void TestMainWindow::commandsGoToTheActiveWindowUnlessTheTreeHasTheFocus() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(QString()));
    TRecordingForm* child = AddChild(*form, QStringLiteral("Eins"));
    child->enabled = {cmCut};
    child->setFocus();
    QTRY_VERIFY(!form->CellTree()->hasFocus());

    form->EnableButtons();
    QToolButton* cut = form->CommandButton(cmCut);
    QVERIFY(cut->isEnabled());
    QVERIFY(!form->CommandButton(cmCopy)->isEnabled());
    QTest::mouseClick(cut, Qt::LeftButton);
    QCOMPARE(child->commands, std::vector<int>{cmCut});

    // The edit menu asks the same chain, into the table submenu as well.
    child->enabled = {cmCopy, cmInsertTableFile};
    QMenu* editMenu = form->Menu("EditMenu");
    OpenMenu(*form, editMenu);
    QVERIFY(form->CommandItem(cmCopy)->isEnabled());
    QVERIFY(!form->CommandItem(cmCut)->isEnabled());
    QVERIFY(form->CommandItem(cmInsertTableFile)->isEnabled());
    QVERIFY(!form->CommandItem(cmInsertTable)->isEnabled());
    CloseMenu(editMenu);

    // With the tree focused the window is out of the chain.
    form->FocusTree();
    QTRY_VERIFY(form->CellTree()->hasFocus());
    form->EnableButtons();
    QVERIFY(!cut->isEnabled());
    form->DoChildCommand(cmCopy);
    QCOMPARE(child->commands, std::vector<int>{cmCut});
}

void TestMainWindow::simulatorCommandsRunInTheMainWindowAndPassOn() {
    platform::DialogRecorder recorder;
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(QString()));
    TQuendalModel* model = form->Model();
    TRecordingForm* child = AddChild(*form, QStringLiteral("Sim"));
    child->setFocus();
    QTRY_VERIFY(!form->CellTree()->hasFocus());

    form->EnableButtons();
    QToolButton* run = form->CommandButton(cmRun);
    QToolButton* stop = form->CommandButton(cmStop);
    QVERIFY(!run->isEnabled());
    model->SetCompiled(true);
    form->EnableButtons();
    QVERIFY(run->isEnabled());
    QVERIFY(!stop->isEnabled());

    QTest::mouseClick(run, Qt::LeftButton);
    QVERIFY(model->IsSimCommandEnabled(cmStop));
    form->EnableButtons();
    QVERIFY(stop->isEnabled());
    QTest::mouseClick(stop, Qt::LeftButton);
    QCOMPARE(model->StoppedPosition(), int(model->StepPosition));
    QVERIFY(!model->IsSimCommandEnabled(cmStop));
    // Both reached the window after the main window ran them.
    QCOMPARE(child->commands, (std::vector<int>{cmRun, cmStop}));

    QVERIFY(SimStatusChanged);
    form->AppIdle();
    QVERIFY(!SimStatusChanged);
    QCOMPARE(form->StatusPanel(1)->text(), QStringLiteral("Bereit"));

    // Clearing breakpoints is enabled by a breakpoint and tells the views.
    QToolButton* clear = form->CommandButton(cmClearBreakpoints);
    form->EnableButtons();
    QVERIFY(!clear->isEnabled());
    QVERIFY(model->AddBreakpoint(1));
    form->EnableButtons();
    QVERIFY(clear->isEnabled());
    child->notifications.clear();
    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(model->BreakpointCount, 0);
    QVERIFY(std::count(child->notifications.begin(), child->notifications.end(),
                       int(nmBreakpointsCleared)) == 1);
    QVERIFY(recorder.Boxes().empty());
}

void TestMainWindow::compilingNeedsBlocksAndPreparesTheTables() {
    const QString empty = WriteProject(QStringLiteral("empty.mtp"), false);
    const QString full = WriteProject(QStringLiteral("full.mtp"), true);
    TTavrisselForm* form = Start();
    std::vector<bool> runs;
    TTavrisselForm::RunCompileDialog = [&runs](QWidget* owner, TQuendalModel* model,
                                               bool download) {
        QVERIFY(owner == TavrisselForm);
        QVERIFY(model->CanCompile());
        runs.push_back(download);
    };
    QToolButton* compile = form->CommandButton(cmCompile);
    QVERIFY(form->OpenProject(empty));
    form->EnableButtons();
    QVERIFY(!compile->isEnabled());

    QVERIFY(form->OpenProject(full));
    form->EnableButtons();
    QVERIFY(compile->isEnabled());
    QTest::mouseClick(compile, Qt::LeftButton);
    QTest::mouseClick(form->CommandButton(cmCompileDownload), Qt::LeftButton);
    QCOMPARE(runs, (std::vector<bool>{false, true}));

    // No compile while the simulation runs.
    form->Model()->SetCompiled(true);
    form->Model()->DoSimCommand(cmRun);
    form->EnableButtons();
    QVERIFY(!compile->isEnabled());

    // The empty project went to the recent files when the full one replaced it.
    QCOMPARE(form->MRUFiles()->Names().value(0), empty);
}

void TestMainWindow::tableErrorIsShownInTheCompileDialog() {
    const QString name = WriteProject(QStringLiteral("tabelle.mtp"), true, "1 2 A 3");
    TTavrisselForm::RunCompileDialog = realCompileDialog_;
    platform::DialogRecorder recorder;
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(name));
    form->EnableButtons();
    bool shown = false;
    int progress = -1;
    QString status;
    QColor color;
    QTimer watch;
    watch.setInterval(5);
    connect(&watch, &QTimer::timeout, this, [&] {
        auto* dialog = qobject_cast<TCompilerForm*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->ThreadFinished)
            return;
        shown = true;
        progress = dialog->ctrlProgress->value();
        status = dialog->lStatus1->text();
        color = dialog->lStatus1->palette().color(QPalette::WindowText);
        QTest::mouseClick(dialog->bClose, Qt::LeftButton);
    });
    watch.start();
    QTest::mouseClick(form->CommandButton(cmCompile), Qt::LeftButton);
    watch.stop();
    QVERIFY(shown);
    const QString engineText = QString::fromLatin1(MoltraneGetErrorMessage(form->Model()->Engine));
    QVERIFY(!engineText.isEmpty());
    QCOMPARE(status, engineText);
    QCOMPARE(color, QColor(Qt::red));
    // A full bar is for success only.
    QVERIFY(progress >= 0 && progress < 100);
    QCOMPARE(recorder.Beeps(), std::vector<platform::BeepKind>{platform::BeepKind::Exclamation});
    QVERIFY(recorder.Boxes().empty());
}

void TestMainWindow::gridButtonsKeepTheGridChoiceWhileAlignmentIsOff() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(QString()));
    TRecordingForm* child = AddChild(*form, QStringLiteral("Raster"));
    form->EnableButtons();
    QToolButton* align = form->GridAlignButton();
    QToolButton* grid = form->ViewGridButton();
    QVERIFY(align->isChecked());
    QVERIFY(grid->isEnabled());

    QTest::mouseClick(grid, Qt::LeftButton); // grid off
    QVERIFY(!CellDisplay().CellGridVisible);
    QTest::mouseClick(grid, Qt::LeftButton); // grid on again
    QVERIFY(CellDisplay().CellGridVisible);

    QTest::mouseClick(align, Qt::LeftButton);
    QVERIFY(!CellDisplay().CellAlignAtGrid);
    QVERIFY(!CellDisplay().CellGridVisible);
    QVERIFY(!grid->isEnabled());
    QVERIFY(!align->isChecked());
    QTest::mouseClick(align, Qt::LeftButton);
    QVERIFY(CellDisplay().CellAlignAtGrid);
    QVERIFY(CellDisplay().CellGridVisible);
    QVERIFY(grid->isChecked());
    QCOMPARE(
        std::count(child->notifications.begin(), child->notifications.end(), int(nmGridOptions)),
        4);
}

void TestMainWindow::closingWritesSettingsAndTheDesktopWhichTheNextStartRestores() {
    const QString name = WriteProject(QStringLiteral("desk.mtp"), true);
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(name));
    form->Model()->AddBreakpoint(1);
    AddChild(*form, QStringLiteral("Unten"));
    AddChild(*form, QStringLiteral("Oben"));
    form->setGeometry(30, 40, 700, 500);
    form->statusBar()->hide();
    CellDisplay().BlockIndicesVisible = true;
    Stop(form);

    TWinRegistry reg(Key);
    QCOMPARE(reg.ReadInteger(Section, QStringLiteral("Left"), -1), 30);
    QCOMPARE(reg.ReadInteger(Section, QStringLiteral("Top"), -1), 40);
    QCOMPARE(reg.ReadInteger(Section, QStringLiteral("Right"), -1), 730);
    QCOMPARE(reg.ReadInteger(Section, QStringLiteral("Bottom"), -1), 540);
    QCOMPARE(reg.ReadInteger(Section, QStringLiteral("WindowState"), -1), 0);
    QVERIFY(!reg.ReadBool(Section, QStringLiteral("Statusbar"), true));
    QVERIFY(reg.ReadBool(Section, QStringLiteral("BlockIndicesVisible"), false));
    QVERIFY(QFile::exists(DesktopFileName));
    CellDisplay().BlockIndicesVisible = false;

    platform::DialogRecorder recorder;
    form = Start();
    QCOMPARE(form->geometry(), QRect(30, 40, 700, 500));
    QVERIFY(form->statusBar()->isHidden());
    QVERIFY(CellDisplay().BlockIndicesVisible);
    QVERIFY(form->Model());
    QCOMPARE(form->Model()->FileName(), name);
    QVERIFY(form->Model()->HasBreakpoint(1));
    QStringList titles;
    for (QMdiSubWindow* window : form->MdiArea()->subWindowList(QMdiArea::StackingOrder))
        titles << window->windowTitle();
    QCOMPARE(titles, (QStringList{"Unten", "Oben"}));
    QVERIFY(recorder.Boxes().empty());
    CellDisplay().BlockIndicesVisible = false;
}

void TestMainWindow::hiddenToolbarsComeBackFromTheViewMenu() {
    TWinRegistry(Key).WriteBool(Section, QStringLiteral("Toolbars"), false);
    TTavrisselForm* form = Start();
    QVERIFY(form->MainDockToolbar()->isHidden());
    QVERIFY(form->BlockDockToolbar()->isHidden());

    QMenu* viewMenu = form->Menu("ViewMenu");
    OpenMenu(*form, viewMenu);
    QAction* toolbars = viewMenu->actions().value(0);
    QVERIFY(!toolbars->isChecked());
    QTest::mouseClick(viewMenu, Qt::LeftButton, {}, viewMenu->actionGeometry(toolbars).center());
    QTRY_VERIFY(!form->MainDockToolbar()->isHidden());
    QVERIFY(!form->BlockDockToolbar()->isHidden());
    Stop(form);
    QVERIFY(TWinRegistry(Key).ReadBool(Section, QStringLiteral("Toolbars"), false));
}

// At the first start's 800 pixels, at the smallest width and grown again, every tool-bar
// control is whole in the window; the comment button inserts a comment at the smallest width.
void TestMainWindow::everyToolbarControlStaysInReachAtAnyWidth() {
    TTavrisselForm* form = Start();
    QCOMPARE(form->width(), 800);
    QCOMPARE(ToolbarControlsOutOfReach(*form), QStringList());
    const int oneLine = form->BlockDockToolbar()->height();

    form->resize(1, form->height());
    QVERIFY(form->width() < 800);
    QTRY_COMPARE(ToolbarControlsOutOfReach(*form), QStringList());
    QVERIFY(form->BlockDockToolbar()->height() > oneLine);
    QVERIFY(form->OpenProject(WriteProject(QStringLiteral("kommentar.mtp"), true)));
    TBlockList* cell = form->Model()->GetCell(0);
    form->Controller()->OpenCell(cell->CellNumber);
    QTRY_VERIFY(qobject_cast<TProgramCellForm*>(form->ActiveChild()));
    form->EnableButtons();
    auto* comment = form->findChild<QToolButton*>(QStringLiteral("TextBlockButton"));
    QTest::mouseClick(comment, Qt::LeftButton);
    QCOMPARE(cell->Count(), 2);
    QCOMPARE(cell->Get(1)->KindCode(), 1);

    form->resize(1200, form->height());
    QTRY_COMPARE(form->BlockDockToolbar()->height(), oneLine);
    QCOMPARE(ToolbarControlsOutOfReach(*form), QStringList());
    QCOMPARE(BlockPalette().UsableButtons(), 8);

    // Tool bars hidden while the window narrows come back laid out for its width.
    QMenu* viewMenu = form->Menu("ViewMenu");
    ClickItem(*form, viewMenu, viewMenu->actions().value(0));
    QTRY_VERIFY(form->BlockDockToolbar()->isHidden());
    form->resize(1, form->height());
    ClickItem(*form, viewMenu, viewMenu->actions().value(0));
    QTRY_VERIFY(!form->BlockDockToolbar()->isHidden());
    QTRY_COMPARE(ToolbarControlsOutOfReach(*form), QStringList());
}

void TestMainWindow::damagedDesktopIsReportedAndTheProgramRunsOn() {
    QVERIFY(WriteDamagedDesktop());
    platform::DialogRecorder recorder;
    TTavrisselForm* form = Start();
    QCOMPARE(BoxTexts(recorder), QStringList{"Konnte die Desktopdatei nicht lesen!"});
    QCOMPARE(recorder.Boxes().front().kind, platform::BoxKind::Error);
    // The untitled project read before the damage stays.
    QVERIFY(form->Model());
    QVERIFY(form->Model()->FileName().isEmpty());
    QVERIFY(form->isVisible());
}

void TestMainWindow::unwritableDesktopIsReportedAndTheProgramStillCloses() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(QString()));
    DesktopFileName = dir_.filePath(QStringLiteral("missing/folder/quendal.DSK"));
    platform::DialogRecorder recorder;
    QVERIFY(form->close());
    // the box names the reason
    QCOMPARE(BoxTexts(recorder),
             QStringList{"Konnte die Desktopdatei nicht erstellen!\r" + DesktopFileName +
                         ": Datei oder Verzeichnis nicht gefunden"});
    QVERIFY(!form->Model());
}

void TestMainWindow::droppingSeveralFilesOpensOnlyTheFirst() {
    const QString first = WriteProject(QStringLiteral("erste.mtp"), false);
    const QString second = WriteProject(QStringLiteral("zweite.mtp"), true);
    TTavrisselForm* form = Start();
    QVERIFY(form->acceptDrops());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    QVERIFY(DropOn(form, data));
    QVERIFY(form->Model());
    QCOMPARE(form->Model()->FileName(), first);
    QVERIFY(form->CellTree()->hasFocus());
}

void TestMainWindow::failuresOfTheMainWindowsHandlersEndThere() {
    // the first show reads a damaged desktop, and the box telling so fails as well
    QVERIFY(WriteDamagedDesktop());
    platform::DialogRecorder recorder;
    recorder.QueueFailure(QStringLiteral("Anzeige gescheitert"));
    TTavrisselForm* form = Start();
    QVERIFY(form->isVisible());
    QTRY_COMPARE(BoxTexts(recorder),
                 (QStringList{QStringLiteral("Konnte die Desktopdatei nicht lesen!"),
                              QStringLiteral("Anzeige gescheitert")}));
    // a dropped file whose open fails ends with the drop
    recorder.Clear();
    recorder.QueueFailure(QStringLiteral("Oeffnen gescheitert"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(dir_.filePath(QStringLiteral("fehlt.mtp")))});
    // the drop ends where it failed
    QVERIFY(DropOn(form, data));
    QTRY_COMPARE(recorder.Boxes().size(), size_t(2));
    QCOMPARE(recorder.Boxes()[1].text, QStringLiteral("Oeffnen gescheitert"));
    QVERIFY(form->isVisible());
}

void TestMainWindow::aCloseRefusedByALaterStepAsksAgain() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(QString()));
    form->Model()->InsertNewCell(1);
    // the changes are given up, then the desktop cannot be written and its box fails
    DesktopFileName = dir_.filePath(QStringLiteral("missing/folder/quendal.DSK"));
    platform::DialogRecorder recorder;
    recorder.QueueAnswer(platform::Button::No);
    recorder.QueueFailure(QStringLiteral("Desktop gescheitert"));
    QVERIFY(!form->close());
    QVERIFY(form->isVisible());
    QVERIFY(form->Model() && form->Model()->Modified());
    QTRY_COMPARE(recorder.Boxes().size(), size_t(3));
    const QString question = recorder.Boxes()[0].text;
    QCOMPARE(recorder.Boxes()[2].text, QStringLiteral("Desktop gescheitert"));
    // the program goes on idling, and the next close asks again
    const int runs = form->IdleHandler()->Runs();
    QCoreApplication::postEvent(form, new QEvent(QEvent::User));
    fixture::RunLoop(50);
    QVERIFY(form->IdleHandler()->Runs() > runs);
    recorder.Clear();
    recorder.QueueAnswer(platform::Button::No);
    QVERIFY(form->close());
    QCOMPARE(BoxTexts(recorder),
             (QStringList{question, "Konnte die Desktopdatei nicht erstellen!\r" + DesktopFileName +
                                        ": Datei oder Verzeichnis nicht gefunden"}));
}

void TestMainWindow::viewShortcutsWorkAsSoonAsAProjectExists() {
    TTavrisselForm* form = Start();
    // the view menu was seen without a project
    QMenu* viewMenu = form->Menu("ViewMenu");
    OpenMenu(*form, viewMenu);
    CloseMenu(viewMenu);
    fixture::RunLoop(50);
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    form->FocusTree();
    QTRY_VERIFY(form->CellTree()->hasFocus());
    QTest::keyClick(form->CellTree(), Qt::Key_N, Qt::ControlModifier);
    QVERIFY(form->Model());
    QTest::keyClick(form->CellTree(), Qt::Key_2, Qt::AltModifier);
    QTest::keyClick(form->CellTree(), Qt::Key_3, Qt::AltModifier);
    QTest::keyClick(form->CellTree(), Qt::Key_4, Qt::AltModifier);
    QStringList titles;
    for (QMdiSubWindow* window : form->MdiArea()->subWindowList(QMdiArea::CreationOrder))
        titles << window->windowTitle();
    QCOMPARE(titles.size(), 3);
    QVERIFY(WatchForm && titles[0] == WatchForm->windowTitle());
    QVERIFY(titles[1].contains(QStringLiteral("Ausgaben")));
    QVERIFY(titles[2].contains(QStringLiteral("Datenaufzeichnung")));
}

void TestMainWindow::theTreeTakesTheFocusWhenTheLastWindowCloses() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(QString()));
    auto typeInto = [&](TRecordingForm* child) {
        auto* line = new QLineEdit;
        child->setWidget(line);
        line->setFocus();
        QTRY_VERIFY(line->hasFocus());
    };
    TRecordingForm* only = AddChild(*form, QStringLiteral("Eins"));
    typeInto(only);
    only->close();
    fixture::RunLoop(50);
    QTRY_VERIFY(form->CellTree()->hasFocus());
    // likewise after "Alle schliessen"
    AddChild(*form, QStringLiteral("A"));
    typeInto(AddChild(*form, QStringLiteral("B")));
    ChooseMenuItem(form->menuBar(), ItemWithText(form->Menu("WindowMenu"),
                                                 QString::fromUtf8("&Alle schlie\u00DFen")));
    QTRY_VERIFY(form->MdiArea()->subWindowList().isEmpty());
    QTRY_VERIFY(form->CellTree()->hasFocus());
}

void TestMainWindow::viewMenuOpensWindowsOfTheProject() {
    TTavrisselForm* form = Start();
    QMenu* viewMenu = form->Menu("ViewMenu");
    QAction* watches = nullptr;
    for (QAction* item : viewMenu->actions())
        if (item->shortcut() == QKeySequence(Qt::ALT | Qt::Key_2))
            watches = item;
    QVERIFY(watches);
    OpenMenu(*form, viewMenu);
    QVERIFY(!watches->isEnabled());
    CloseMenu(viewMenu);

    QVERIFY(form->OpenProject(QString()));
    OpenMenu(*form, viewMenu);
    QVERIFY(watches->isEnabled());
    QTest::mouseClick(viewMenu, Qt::LeftButton, {}, viewMenu->actionGeometry(watches).center());
    QTRY_VERIFY(WatchForm);
    QCOMPARE(WatchForm->Model(), static_cast<TModel*>(form->Model()));
    QVERIFY(form->MdiArea()->subWindowList().contains(WatchForm));
}

void TestMainWindow::toolWindowsComeBackAfterTheSplashOnlyWithAStoredMainWindow() {
    TTavrisselForm* form = Start();
    form->ViewLCDItemClick();
    QVERIFY(LCDViewForm);
    QVERIFY(LCDViewForm->isVisible());
    Stop(form);
    QVERIFY(!LCDViewForm);
    QVERIFY(
        TWinRegistry(Key).ReadBool(QStringLiteral("LCDWindow"), QStringLiteral("Visible"), false));

    form = Start();
    QVERIFY(LCDViewForm);
    QVERIFY(!LCDViewForm->isVisible());
    QVERIFY(form->SplashTimer()->isActive());
    QTRY_VERIFY(LCDViewForm->isVisible());
    Stop(form);

    // Without a stored main window the tool windows' settings are not read.
    TWinRegistry(Key).EraseSection(Section);
    form = Start();
    QVERIFY(!LCDViewForm);
}

void TestMainWindow::treeKeysAndPopupGoToTheProjectTree() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(QString()));
    TQuendalModel* model = form->Model();
    const int cells = model->CellCount();
    form->FocusTree();
    QTRY_VERIFY(form->CellTree()->hasFocus());
    QVERIFY(form->Controller()->IsCommandEnabled(cmInsertCell));
    // Ins reaches the tree although the menu carries it as a shortcut.
    QTest::keyClick(form->CellTree(), Qt::Key_Insert);
    QCOMPARE(model->CellCount(), cells + 1);

    // Every node shows the picture of its image number, also a node added later.
    std::vector<QTreeWidgetItem*> nodes;
    for (int i = 0; i < form->CellTree()->topLevelItemCount(); ++i)
        nodes.push_back(form->CellTree()->topLevelItem(i));
    for (size_t i = 0; i < nodes.size(); ++i)
        for (int c = 0; c < nodes[i]->childCount(); ++c)
            nodes.push_back(nodes[i]->child(c));
    QVERIFY(nodes.size() > 2);
    for (QTreeWidgetItem* node : nodes)
        QVERIFY2(!node->icon(0).isNull(), qPrintable(node->text(0)));

    // The tree's commands come from the tree's enabling, also on the tool bar.
    form->EnableButtons();
    QToolButton* paste = form->CommandButton(cmPaste);
    QCOMPARE(paste->isEnabled(), form->Controller()->IsCommandEnabled(cmPaste));
    QMenu* popup = form->findChild<QMenu*>(QStringLiteral("CellTreePopup"));
    QVERIFY(popup);
    popup->popup(form->CellTree()->mapToGlobal(QPoint(10, 10)));
    QTRY_VERIFY(popup->isVisible());
    for (QAction* item : popup->actions()) {
        const int cmd = item->property(kTagProperty).toInt();
        QCOMPARE(item->isEnabled(), form->Controller()->IsCommandEnabled(cmd));
    }
    QVERIFY(popup->actions().value(1)->isEnabled());
    QTest::mouseClick(popup, Qt::LeftButton, {},
                      popup->actionGeometry(popup->actions().value(1)).center());
    QTRY_COMPARE(model->CellCount(), cells + 2);
}

void TestMainWindow::windowMenuArrangesAndClosesTheWindows() {
    TTavrisselForm* form = Start();
    QMenu* windowMenu = form->Menu("WindowMenu");
    const QList<QAction*> items = windowMenu->actions().mid(0, 4);
    QCOMPARE(items.value(1)->text(), QStringLiteral("&Untereinander"));
    OpenMenu(*form, windowMenu);
    for (QAction* item : items)
        QVERIFY(!item->isEnabled());
    CloseMenu(windowMenu);

    QVERIFY(form->OpenProject(QString()));
    TRecordingForm* first = AddChild(*form, QStringLiteral("A"));
    TRecordingForm* second = AddChild(*form, QStringLiteral("B"));
    OpenMenu(*form, windowMenu);
    for (QAction* item : items)
        QVERIFY(item->isEnabled());
    // "Untereinander": full width, one above the other.
    QTest::mouseClick(windowMenu, Qt::LeftButton, {},
                      windowMenu->actionGeometry(items.value(1)).center());
    QTRY_VERIFY(!windowMenu->isVisible());
    const int width = form->MdiArea()->viewport()->width();
    QCOMPARE(first->width(), width);
    QCOMPARE(second->width(), width);
    QVERIFY(first->geometry().bottom() < second->geometry().top() ||
            second->geometry().bottom() < first->geometry().top());
    TWindowMenu::TileChildren(form->MdiArea(), Qt::Horizontal);
    QCOMPARE(first->height(), form->MdiArea()->viewport()->height());
    QVERIFY(first->geometry().right() < second->geometry().left() ||
            second->geometry().right() < first->geometry().left());

    QPointer<TRecordingForm> a = first, b = second;
    TWindowMenu::CloseAll(form->MdiArea());
    QTRY_VERIFY(!a && !b);
    QVERIFY(form->MdiArea()->subWindowList().isEmpty());
}

void TestMainWindow::helpKeyOfTheTreeOpensItsTopic() {
    const QString helpFile = dir_.filePath(QStringLiteral("help/Quendal.hlp"));
    QVERIFY(QDir().mkpath(helpFile));
    QFile page(helpFile + QStringLiteral("/9000.html"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html></html>");
    page.close();
    QList<QUrl> opened;
    platform::HelpOpener old = platform::SetHelpOpener([&opened](const QUrl& url) {
        opened << url;
        return true;
    });
    TTavrisselForm* form = Start();
    platform::SetHelpFile(helpFile);
    HelpUsed = false;
    form->FocusTree();
    QTRY_VERIFY(form->CellTree()->hasFocus());
    QTest::keyClick(form->CellTree(), Qt::Key_F1);
    platform::SetHelpOpener(old);
    QCOMPARE(opened.size(), 1);
    QVERIFY(opened.front().toLocalFile().endsWith(QStringLiteral("9000.html")));
    QVERIFY(HelpUsed);
}

void TestMainWindow::environmentOptionsShowTheSettingsAndApplyThemOnOk() {
    const QString simulator = QStringLiteral("Simulator");
    const QString tree = QStringLiteral("ProjectWindow");
    {
        TWinRegistry reg(Key);
        reg.WriteInteger(simulator, QStringLiteral("COM"), 3);
        reg.WriteBool(simulator, QStringLiteral("ApplicationBoard"), true);
        reg.WriteBool(Section, QStringLiteral("BlockIndicesVisible"), true);
        reg.WriteBool(tree, QStringLiteral("AutoExpandTables"), true);
        reg.WriteBool(tree, QStringLiteral("AutoSynchronize"), true);
    }
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(QString()));
    TRecordingForm* child = AddChild(*form, QStringLiteral("Optionen"));
    ADValuesSaved = true;
    const bool beep = SimulatedBeep;
    QMenu* optionMenu = form->Menu("OptionMenu");
    QAction* item = ItemWithText(optionMenu, QStringLiteral("&Umgebung..."));
    QVERIFY(item);

    struct Shown {
        int com = 0;
        bool board = false, index = false, tables = false, synchronize = false, analog = false,
             timing = false;
    } shown;
    auto read = [&shown](TEnvOptionDlg* dialog) {
        shown = {dialog->GetCOM(),         dialog->GetApplicationBoard(),
                 dialog->GetShowIndex(),   dialog->GetExpandTables(),
                 dialog->GetSynchronize(), dialog->GetSaveAnalogIn(),
                 dialog->GetAutoTiming()};
    };
    auto timer = OnModal<TEnvOptionDlg>([&](TEnvOptionDlg* dialog) {
        read(dialog);
        QTest::mouseClick(dialog->cbShowIndex, Qt::LeftButton);
        dialog->PageControl1->setCurrentWidget(dialog->PortPage);
        QTest::mouseClick(dialog->RGComNumber->buttons().value(0), Qt::LeftButton);
        QTest::mouseClick(dialog->CBSaveAnalogInPorts, Qt::LeftButton);
        QTest::mouseClick(dialog->OKButton, Qt::LeftButton);
    });
    ClickItem(*form, optionMenu, item);
    QTRY_VERIFY(!timer->isActive());
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(shown.com, 3);
    QVERIFY(shown.board && shown.index && shown.tables && shown.synchronize && shown.analog &&
            shown.timing);

    QCOMPARE(COM, 1);
    QVERIFY(!CellDisplay().BlockIndicesVisible);
    QCOMPARE(
        std::count(child->notifications.begin(), child->notifications.end(), int(nmBlockIndices)),
        1);
    QVERIFY(!ADValuesSaved);
    QVERIFY(ApplicationBoard && AutoExpandTables && AutoSynchronize && AutoTiming);
    QCOMPARE(SimulatedBeep, beep);

    // Shown again on reopening; cancel changes nothing.
    timer = OnModal<TEnvOptionDlg>([&](TEnvOptionDlg* dialog) {
        read(dialog);
        QTest::mouseClick(dialog->cbExpandTables, Qt::LeftButton);
        QTest::mouseClick(dialog->CancelButton, Qt::LeftButton);
    });
    ClickItem(*form, optionMenu, item);
    QTRY_VERIFY(!timer->isActive());
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(shown.com, 1);
    QVERIFY(!shown.index && !shown.analog && shown.tables);
    QVERIFY(AutoExpandTables);
    Stop(form);
    QCOMPARE(TWinRegistry(Key).ReadInteger(simulator, QStringLiteral("COM"), -1), 1);
    TWinRegistry(Key).EraseSection(simulator);
    TWinRegistry(Key).WriteBool(tree, QStringLiteral("AutoExpandTables"), false);
    TWinRegistry(Key).WriteBool(tree, QStringLiteral("AutoSynchronize"), false);
}

void TestMainWindow::printerSetupIsKeptForThePrints() {
    TTavrisselForm* form = Start();
    QMenu* fileMenu = form->Menu("FileMenu");
    QAction* setup = ItemWithText(fileMenu, QStringLiteral("D&ruckereinrichtung..."));
    QVERIFY(setup);
    QPrinter* setUp = nullptr;
    auto timer = OnModal<QPageSetupDialog>([&](QPageSetupDialog* dialog) {
        setUp = dialog->printer();
        dialog->reject();
    });
    ClickItem(*form, fileMenu, setup);
    QTRY_VERIFY(!timer->isActive());
    QCOMPARE(setUp, &ProgramPrinter());

    // A print starts from the set-up.
    ProgramPrinter().setPageOrientation(QPageLayout::Landscape);
    QVERIFY(form->OpenProject(WriteProject(QStringLiteral("druck.mtp"), true)));
    form->FocusTree();
    QTRY_VERIFY(form->CellTree()->hasFocus());
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    timer = OnModal<QPrintDialog>([&](QPrintDialog* dialog) {
        orientation = dialog->printer()->pageLayout().orientation();
        dialog->reject();
    });
    form->EnableButtons();
    ClickItem(*form, fileMenu, form->CommandItem(cmPrint));
    QTRY_VERIFY(!timer->isActive());
    QCOMPARE(orientation, QPageLayout::Landscape);
    ProgramPrinter().setPageOrientation(QPageLayout::Portrait);
}

void TestMainWindow::pasteWaitsForTheSimulationToStop() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(WriteProject(QStringLiteral("paste.mtp"), true, "1 2")));
    TQuendalModel* model = form->Model();
    model->CopyTableToClipboard(1);
    form->CellTree()->setCurrentItem(form->Controller()->TablesNode()->child(0));
    form->FocusTree();
    QTRY_VERIFY(form->CellTree()->hasFocus());
    form->EnableButtons();
    QToolButton* paste = form->CommandButton(cmPaste);
    QVERIFY(paste->isEnabled());
    QVERIFY(form->CommandItem(cmPaste)->isEnabled());

    model->SetCompiled(true);
    model->DoSimCommand(cmRun);
    form->EnableButtons();
    QVERIFY(!paste->isEnabled());
    QVERIFY(!form->CommandItem(cmPaste)->isEnabled());
    QTest::keyClick(form->CellTree(), Qt::Key_V, Qt::ControlModifier);
    form->DoChildCommand(cmPaste);
    QCOMPARE(model->TableCount(), 1);

    model->DoSimCommand(cmStop);
    model->DoSimCommand(cmReset);
    form->EnableButtons();
    QVERIFY(paste->isEnabled());
    QTest::keyClick(form->CellTree(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(model->TableCount(), 2);
}

// The project's undo waits for the simulation; a table editor's own undo does not.
void TestMainWindow::textWindowsUndoTheirOwnEditsWhileSimulating() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(WriteProject(QStringLiteral("undo.mtp"), true, "1 2")));
    TQuendalModel* model = form->Model();
    QVERIFY(model->InsertGraphBlock(model->GetCell(0), 700, TRect{110, 10, 170, 50}));
    form->Controller()->EditTable(1);
    auto* table = form->MdiArea()->findChild<TTableEditorForm*>();
    QVERIFY(table);
    QTRY_VERIFY(table->Editor()->hasFocus());
    QTest::keyClicks(table->Editor(), "3");
    model->SetCompiled(true);
    model->DoSimCommand(cmRun);
    form->EnableButtons();
    QToolButton* undo = form->CommandButton(cmUndo);
    QVERIFY(undo->isEnabled());
    QTest::mouseClick(undo, Qt::LeftButton);
    QCOMPARE(table->Editor()->GetPara(1), std::string("1 2"));
    form->EnableButtons();
    QVERIFY(form->CommandButton(cmRedo)->isEnabled());

    // A cell window's undo is the project's: it waits.
    QVERIFY(model->CanUndo());
    form->Controller()->OpenCell(model->GetCell(0)->CellNumber);
    QTRY_VERIFY(qobject_cast<TProgramCellForm*>(form->ActiveChild()));
    form->EnableButtons();
    QVERIFY(!undo->isEnabled());
}

// A wire drawn with the mouse, the port raised in the property dialog by keys; undo and
// redo from the keyboard take back and bring again the port alone.
void TestMainWindow::parameterChangeIsUndoneAndRedoneAlone() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(WriteProject(QStringLiteral("port.mtp"), false)));
    TQuendalModel* model = form->Model();
    TBlockList* cell = model->GetCell(0);
    auto* ad = static_cast<TGraphBlock*>(model->InsertGraphBlock(cell, 103, {10, 10, 70, 50}));
    TBlock* da = model->InsertGraphBlock(cell, 104, {110, 10, 170, 50});
    QVERIFY(ad && da);
    form->Controller()->OpenCell(cell->CellNumber);
    auto* window = qobject_cast<TProgramCellForm*>(form->ActiveChild());
    QVERIFY(window);
    QWidget* painter = window->CellPainter();
    QTest::mouseClick(painter, Qt::LeftButton, {}, QPoint(40, 30));
    QTest::mouseClick(painter, Qt::LeftButton, {}, QPoint(140, 30));
    QVERIFY(da->GetInput(0));
    const std::string before = ad->ParamText;

    QTest::mouseClick(painter, Qt::RightButton, {}, QPoint(40, 30));
    QTRY_VERIFY(window->GraphBlockPopup()->isVisible());
    const auto dialog = OnModal<QDialog>([](QDialog* d) {
        auto* number = d->findChild<QAbstractSpinBox*>();
        QVERIFY(number);
        QTest::keyClick(number, Qt::Key_Up);
        QTest::keyClick(number, Qt::Key_Up);
        QTest::keyClick(number, Qt::Key_Return);
    });
    for (QAction* item : window->GraphBlockPopup()->actions())
        if (item->data().toInt() == 620)
            QTest::mouseClick(window->GraphBlockPopup(), Qt::LeftButton, {},
                              window->GraphBlockPopup()->actionGeometry(item).center());
    const std::string raised = ad->ParamText;
    QVERIFY(raised != before);

    QWidget* keys = window->findChild<QScrollArea*>();
    QTRY_VERIFY(keys->hasFocus());
    form->EnableButtons();
    QTest::keyClick(keys, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(ad->ParamText, before);
    QVERIFY(da->GetInput(0));
    form->EnableButtons();
    QTest::keyClick(keys, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(ad->ParamText, raised);
    QVERIFY(da->GetInput(0));
}

// The constant dialogs open with their value selected: what is typed replaces it.
void TestMainWindow::typedConstantsReplaceTheShownValue() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(WriteProject(QStringLiteral("konstanten.mtp"), false)));
    TQuendalModel* model = form->Model();
    TBlockList* cell = model->GetCell(0);
    form->Controller()->OpenCell(cell->CellNumber);
    auto* window = qobject_cast<TProgramCellForm*>(form->ActiveChild());
    QVERIFY(window);
    QMenu* popup = window->GraphBlockPopup();
    const struct {
        int type;
        const char* keys;
        const char* param;
    } cases[] = {{700, "85", "85"}, {703, "1230", "12:30"}, {704, "2512", "25.12"}};
    int x = 10;
    for (const auto& constant : cases) {
        auto* block = static_cast<TGraphBlock*>(
            model->InsertGraphBlock(cell, constant.type, {x, 10, x + 60, 50}));
        QVERIFY(block);
        QTest::mouseClick(window->CellPainter(), Qt::RightButton, {}, QPoint(x + 30, 30));
        QTRY_VERIFY(popup->isVisible());
        const auto dialog = OnModal<QDialog>([&constant](QDialog* d) {
            QVERIFY(QTest::qWaitForWindowActive(d));
            QTest::keyClicks(QApplication::focusWidget(), constant.keys);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        for (QAction* item : popup->actions())
            if (item->data().toInt() == 620)
                QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(item).center());
        QCOMPARE(QString::fromStdString(block->ParamText), QLatin1String(constant.param));
        x += 100;
    }
}

void TestMainWindow::shortcutsFollowTheCommandChainWithoutOpeningMenus() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(WriteProject(QStringLiteral("tasten.mtp"), true)));
    TQuendalModel* model = form->Model();
    int compiles = 0;
    TTavrisselForm::RunCompileDialog = [&compiles](QWidget*, TQuendalModel*, bool) { ++compiles; };
    model->SetCompiled(true);
    // The simulator menu was seen once before the run, with stop disabled.
    QMenu* simulatorMenu = form->Menu("SimulatorMenu");
    OpenMenu(*form, simulatorMenu);
    QVERIFY(!form->CommandItem(cmStop)->isEnabled());
    CloseMenu(simulatorMenu);
    form->FocusTree();
    QTRY_VERIFY(form->CellTree()->hasFocus());
    form->EnableButtons();

    QTest::keyClick(form->CellTree(), Qt::Key_F9);
    QVERIFY(model->IsSimCommandEnabled(cmStop));
    form->EnableButtons();
    QTest::keyClick(form->CellTree(), Qt::Key_F9, Qt::ControlModifier);
    QCOMPARE(compiles, 0);
    QTest::keyClick(form->CellTree(), Qt::Key_Escape);
    QVERIFY(!model->IsSimCommandEnabled(cmStop));
    form->EnableButtons();
    QTest::keyClick(form->CellTree(), Qt::Key_F2, Qt::ControlModifier);
    QVERIFY(model->CanEdit());

    form->EnableButtons();
    QTest::keyClick(form->CellTree(), Qt::Key_F9, Qt::ControlModifier);
    QCOMPARE(compiles, 1);
    // Undo follows the tree's enabling: nothing to undo yet, then the inserted cell.
    const int cells = model->CellCount();
    QTest::keyClick(form->CellTree(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(model->CellCount(), cells);
    QTest::keyClick(form->CellTree(), Qt::Key_Insert);
    QCOMPARE(model->CellCount(), cells + 1);
    QVERIFY(model->CanUndo());
    form->EnableButtons();
    QTest::keyClick(form->CellTree(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(model->CellCount(), cells);
}

void TestMainWindow::gridButtonsSnapAndShowTheGrid() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(WriteProject(QStringLiteral("raster.mtp"), false)));
    form->Controller()->OpenCell(1);
    auto* cell = form->MdiArea()->findChild<TProgramCellForm*>();
    QVERIFY(cell);
    QVERIFY(QTest::qWaitForWindowExposed(cell));
    form->EnableButtons();
    QToolButton* align = form->GridAlignButton();
    QToolButton* grid = form->ViewGridButton();
    QCOMPARE(align->toolTip(), QStringLiteral("Am Raster ausrichten"));
    QCOMPARE(grid->toolTip(), QStringLiteral("Raster anzeigen"));
    auto picture = [cell] { return cell->CellPainter()->grab().toImage(); };
    const QImage withGrid = picture();

    QTest::mouseClick(grid, Qt::LeftButton);
    QVERIFY(CellDisplay().CellAlignAtGrid);
    QVERIFY(!CellDisplay().CellGridVisible);
    QTRY_VERIFY(picture() != withGrid);
    QTest::mouseClick(grid, Qt::LeftButton);
    QTRY_COMPARE(picture(), withGrid);

    QTest::mouseClick(align, Qt::LeftButton);
    QVERIFY(!CellDisplay().CellAlignAtGrid);
    QTest::mouseClick(align, Qt::LeftButton);
    QVERIFY(CellDisplay().CellAlignAtGrid);
    QVERIFY(CellDisplay().CellGridVisible);
}

void TestMainWindow::qtTextsAreGermanWhenTheTranslationsAreThere() {
    QVERIFY(!InstallQtTranslations(dir_.filePath(QStringLiteral("keine"))));
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFile::exists(folder + QStringLiteral("/qtbase_de.qm")))
        QSKIP("Qt's German translations are not installed");
    QVERIFY(InstallQtTranslations());
    TTavrisselForm* form = Start();
    QCOMPARE(form->CommandItem(cmSave)->shortcut().toString(QKeySequence::NativeText),
             QStringLiteral("Strg+S"));
    QCOMPARE(form->CommandItem(cmSave)->text(), QStringLiteral("&Speichern"));
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
}

void TestMainWindow::idleRunsOnlyAfterEvents() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(WriteProject(QStringLiteral("ruhe.mtp"), true)));
    QTRY_VERIFY(!form->SplashTimer()->isActive());
    // at most the run after the event that ended the last loop
    QVERIFY(fixture::IdleRunsWhileQuiet(*form->IdleHandler()) <= 1);
}

void TestMainWindow::aShortcutFollowsTheChangeJustBeforeIt() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(WriteProject(QStringLiteral("sofort.mtp"), true)));
    TQuendalModel* model = form->Model();
    model->SetCompiled(true);
    form->FocusTree();
    QTRY_VERIFY(form->CellTree()->hasFocus());
    form->AppIdle();
    QVERIFY(!form->CommandItem(cmStop)->isEnabled());
    // Run and stop in one go, with no idle call between them.
    QTest::keyClick(form->CellTree(), Qt::Key_F9);
    QVERIFY(model->IsSimCommandEnabled(cmStop));
    QTest::keyClick(form->CellTree(), Qt::Key_Escape);
    QVERIFY(!model->IsSimCommandEnabled(cmStop));
}

void TestMainWindow::aHintLastsWhileThePointerRestsOnItsButton() {
    TTavrisselForm* form = Start();
    QToolButton* button = form->CommandButton(cmCompile);
    QCursor::setPos(button->mapToGlobal(button->rect().center()));
    QStatusTipEvent tip(button->statusTip());
    QApplication::sendEvent(form, &tip);
    form->AppIdle();
    QCOMPARE(form->StatusPanel(1)->text(), button->statusTip());
    // the pointer left the button without the button being told: the hint still goes
    QCursor::setPos(form->CellTree()->mapToGlobal(QPoint(20, 20)));
    form->AppIdle();
    QCOMPARE(form->StatusPanel(1)->text(), QStringLiteral("Bereit"));
    Stop(form);
}

// Alt+letter hands the keys to the menu bar; the menu still serves the window that had them.
void TestMainWindow::menusOpenedFromTheKeyboardServeWhatHadTheKeys() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(WriteProject(QStringLiteral("alt.mtp"), false)));
    TQuendalModel* model = form->Model();
    TRecordingForm* child = AddChild(*form, QStringLiteral("Eins"));
    child->enabled = {cmDelete};
    QTreeWidget* tree = form->CellTree();
    QTreeWidgetItem* cells = form->Controller()->CellsNode();
    tree->setCurrentItem(cells->child(0));
    form->FocusTree();
    QTRY_VERIFY(tree->hasFocus());
    form->DoChildCommand(cmCopy);
    tree->setCurrentItem(cells);
    auto leaveMenu = [&](QMenu* menu) {
        QTest::keyClick(menu, Qt::Key_Escape);
        QTest::keyClick(form->menuBar(), Qt::Key_Escape);
        QTRY_VERIFY(tree->hasFocus());
    };

    QMenu* fileMenu = form->Menu("FileMenu");
    QTest::keyClick(tree, Qt::Key_D, Qt::AltModifier);
    QTRY_VERIFY(fileMenu->isVisible());
    QVERIFY(!tree->hasFocus());
    form->AppIdle();
    QVERIFY(form->CommandItem(cmPrint)->isEnabled());
    leaveMenu(fileMenu);

    QMenu* editMenu = form->Menu("EditMenu");
    QTest::keyClick(tree, Qt::Key_B, Qt::AltModifier);
    QTRY_VERIFY(editMenu->isVisible());
    // as the menu opens and at every idle call while it is open
    for (int pass = 0; pass < 2; ++pass) {
        QVERIFY(form->CommandItem(cmInsertCell)->isEnabled());
        QVERIFY(form->CommandItem(cmPaste)->isEnabled());
        QVERIFY(!form->CommandItem(cmDelete)->isEnabled());
        form->AppIdle();
    }
    const int count = model->CellCount();
    QTest::keyClick(editMenu, Qt::Key_E);
    QTRY_VERIFY(!editMenu->isVisible());
    QCOMPARE(model->CellCount(), count + 1);
    QVERIFY(child->commands.empty());

    // With the window holding the keys, delete is the window's, not the selected cell's.
    form->MdiArea()->setActiveSubWindow(child);
    child->setFocus();
    QTRY_VERIFY(child->hasFocus());
    tree->setCurrentItem(cells->child(0));
    QTest::keyClick(child, Qt::Key_B, Qt::AltModifier);
    QTRY_VERIFY(editMenu->isVisible());
    QVERIFY(!form->CommandItem(cmInsertCell)->isEnabled());
    QVERIFY(form->CommandItem(cmDelete)->isEnabled());
    QTest::keyClick(editMenu, Qt::Key_L);
    QTRY_VERIFY(!editMenu->isVisible());
    QCOMPARE(child->commands, std::vector<int>{cmDelete});
    QCOMPARE(model->CellCount(), count + 1);
}

// Also right after the open dialog closed, when no window is active yet.
void TestMainWindow::boxesOpenOverTheMainWindow() {
    const QString name = dir_.filePath(QStringLiteral("kaputt.mtp"));
    {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("kein Projekt\r\n");
    }
    TTavrisselForm* form = Start();
    form->setGeometry(10, 40, 520, 400);
    const QRect screen = form->screen()->geometry();
    QVERIFY((form->geometry().center() - screen.center()).manhattanLength() > 100);
    auto open = OnModal<QFileDialog>([name](QFileDialog* dialog) {
        // Typed into the name field: selectFile leaves a field that has the keys alone.
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(name);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QRect box;
    QString text;
    auto answer = OnModal<QMessageBox>([&](QMessageBox* shown) {
        box = shown->geometry();
        text = shown->text();
        shown->reject();
    });
    form->DoFileOpen();
    QVERIFY(!text.isEmpty());
    QVERIFY2((box.center() - form->geometry().center()).manhattanLength() < 30, qPrintable(text));
}

// Even in a main window at its smallest, a new window starts inside the area.
void TestMainWindow::newWindowsLieInsideTheArea() {
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(WriteProject(QStringLiteral("schmal.mtp"), false)));
    form->resize(1, 1);
    QTRY_VERIFY(form->MdiArea()->viewport()->width() < TMDIChildForm::MinimumWidth);
    QTreeWidget* tree = form->CellTree();
    form->FocusTree();
    QTRY_VERIFY(tree->hasFocus());
    tree->setCurrentItem(form->Controller()->CellsNode()->child(0));
    QTest::keyClick(tree, Qt::Key_Return);
    tree->setCurrentItem(tree->topLevelItem(0));
    QTest::keyClick(tree, Qt::Key_Return);
    const QList<QMdiSubWindow*> windows = form->MdiArea()->subWindowList();
    QCOMPARE(windows.size(), 2);
    for (QMdiSubWindow* window : windows)
        QVERIFY2(window->x() == 0 && window->y() >= 0, qPrintable(window->windowTitle()));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow_form.moc"
