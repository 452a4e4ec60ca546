// The main window as a user meets it: windows that come back from the desktop file, undo
// while the simulation runs, and damaged projects opened every way the program offers.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "framework/desktop.h"
#include "framework/mdichild.h"
#include "framework/simwindows/rowgrid.h"
#include "framework/winregistry.h"
#include "graphical/editors/cellform.h"
#include "graphical/mainwindow/projectcontroller.h"
#include "graphical/mainwindow/tavrisselform.h"
#include "graphical/model/blocklist.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/model/simulatoriostate.h"
#include "graphical/simwindows/fileform.h"
#include "graphical/simwindows/terminal.h"
#include "graphical/simwindows/watchfrm.h"
#include "platform/qt/dialogs.h"
#include "quendal32.h"

namespace {
const QString Key = QLatin1String(MainRegistryKey);

QStringList ChildClasses(const TTavrisselForm& form) {
    QStringList names;
    for (QMdiSubWindow* window : form.MdiArea()->subWindowList())
        names.push_back(QString::fromLatin1(window->metaObject()->className()));
    names.sort();
    return names;
}
} // namespace

class TestIntegrationMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyDesktopWindowComesBackAtTheNextStart();
    void undoIsDisabledWhileTheSimulationRuns();
    void damagedProjectLeavesNoProjectWhicheverWayItIsOpened_data();
    void damagedProjectLeavesNoProjectWhicheverWayItIsOpened();
    void desktopNamingAMissingProjectOpensNoneAndNoWindows();
    void toolbarButtonsSitTogetherInTheirPanels();
    void treeReadsItsPartOfTheDesktopEvenWithoutTheProject();
    void terminalKeepsTheNewestOutputInView();

private:
    QString WriteProject(const QString& name);
    QString WriteDamagedProject(const QString& name);
    TTavrisselForm* Start();

    QTemporaryDir dir_;
    QPointer<TTavrisselForm> form_;
};

void TestIntegrationMainWindow::initTestCase() {
    QVERIFY(dir_.isValid());
    qputenv("XDG_CONFIG_HOME", (dir_.path() + QStringLiteral("/config")).toLocal8Bit());
}

void TestIntegrationMainWindow::init() {
    TWinRegistry(Key).EraseSection(QStringLiteral("MRUList"));
    TWinRegistry(Key).WriteBool(QStringLiteral("ProjectWindow"),
                                QStringLiteral("AutoOpenFirstCell"), false);
    DesktopFileName = dir_.filePath(QStringLiteral("quendal.DSK"));
    QFile::remove(DesktopFileName);
}

void TestIntegrationMainWindow::cleanup() {
    delete form_;
}

QString TestIntegrationMainWindow::WriteProject(const QString& name) {
    const QString fileName = dir_.filePath(name);
    TQuendalModel model;
    model.InitNew();
    model.InsertNewCell(0);
    model.InsertGraphBlock(model.GetCell(0), 700, TRect{10, 10, 70, 50});
    model.SetFileName(fileName);
    return model.Save() ? fileName : QString();
}

// A good project whose cell has lost its number.
QString TestIntegrationMainWindow::WriteDamagedProject(const QString& name) {
    const QString good = WriteProject(QStringLiteral("good-") + name);
    QFile in(good);
    if (!in.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray data = in.readAll();
    const QString fileName = dir_.filePath(name);
    QFile out(fileName);
    QByteArray damaged = data;
    damaged.replace("#CELL_START\r\nID=1\r\n", "#CELL_START\r\nID=@@@\r\n");
    if (damaged == data || !out.open(QIODevice::WriteOnly) || out.write(damaged) < 0)
        return QString();
    return fileName;
}

TTavrisselForm* TestIntegrationMainWindow::Start() {
    form_ = new TTavrisselForm;
    form_->show();
    form_->activateWindow();
    if (!QTest::qWaitForWindowActive(form_))
        qWarning("main window not active");
    return form_;
}

void TestIntegrationMainWindow::everyDesktopWindowComesBackAtTheNextStart() {
    platform::DialogRecorder recorder;
    const QString name = WriteProject(QStringLiteral("desk.mtp"));
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(name));
    form->Controller()->OpenCell(1);
    ShowWatchWindow(form->MdiArea(), form->Model(), true);
    ShowTerminalWindow(form->MdiArea(), form->Model());
    ShowFileWindow(form->MdiArea(), form->Model());
    const QStringList opened = ChildClasses(*form);
    QCOMPARE(opened,
             (QStringList{QStringLiteral("TMoltraneFileForm"), QStringLiteral("TProgramCellForm"),
                          QStringLiteral("TTerminalForm"), QStringLiteral("TWatchForm")}));
    QVERIFY(form->close());
    delete form;
    QVERIFY(QFile::exists(DesktopFileName));

    form = Start();
    QVERIFY(form->Model());
    QCOMPARE(form->Model()->FileName(), name);
    QCOMPARE(ChildClasses(*form), opened);
    auto* cell = form->MdiArea()->findChild<TProgramCellForm*>();
    QVERIFY(cell);
    QCOMPARE(cell->GetCellNumber(), 1);
    QVERIFY(recorder.Boxes().empty());
}

void TestIntegrationMainWindow::undoIsDisabledWhileTheSimulationRuns() {
    platform::DialogRecorder recorder;
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(WriteProject(QStringLiteral("undo.mtp"))));
    TQuendalModel* model = form->Model();
    form->Controller()->OpenCell(1);
    auto* cell = form->MdiArea()->findChild<TProgramCellForm*>();
    QVERIFY(cell);
    form->MdiArea()->setActiveSubWindow(cell);
    cell->setFocus();
    QTRY_VERIFY(!form->CellTree()->hasFocus());

    TBlockList* blocks = model->GetCell(0);
    const int before = blocks->Count();
    model->InsertGraphBlock(blocks, 700, TRect{100, 10, 160, 50});
    QCOMPARE(blocks->Count(), before + 1);
    QVERIFY(model->CanUndo());
    form->EnableButtons();
    QToolButton* undo = form->CommandButton(cmUndo);
    QVERIFY(undo->isEnabled());

    model->SetCompiled(true);
    form->EnableButtons();
    QTest::mouseClick(form->CommandButton(cmRun), Qt::LeftButton);
    QVERIFY(!model->CanEdit());
    form->EnableButtons();
    QVERIFY(!undo->isEnabled());
    // Neither the key nor a direct command reaches the model.
    QTest::keyClick(cell, Qt::Key_Z, Qt::ControlModifier);
    form->DoChildCommand(cmUndo);
    QCOMPARE(blocks->Count(), before + 1);

    QTest::mouseClick(form->CommandButton(cmStop), Qt::LeftButton);
    form->EnableButtons();
    QTest::mouseClick(form->CommandButton(cmReset), Qt::LeftButton);
    QVERIFY(model->CanEdit());
    form->EnableButtons();
    QVERIFY(undo->isEnabled());
    QTest::mouseClick(undo, Qt::LeftButton);
    QCOMPARE(blocks->Count(), before);
    QVERIFY(recorder.Boxes().empty());
}

void TestIntegrationMainWindow::damagedProjectLeavesNoProjectWhicheverWayItIsOpened_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("open") << 0;
    QTest::newRow("recent files") << 1;
    QTest::newRow("dropped") << 2;
}

void TestIntegrationMainWindow::damagedProjectLeavesNoProjectWhicheverWayItIsOpened() {
    QFETCH(int, way);
    const QString name = WriteDamagedProject(QStringLiteral("damaged%1.mtp").arg(way));
    QVERIFY(!name.isEmpty());
    platform::DialogRecorder recorder;
    TTavrisselForm* form = Start();
    // A project open before must not survive either.
    QVERIFY(form->OpenProject(QString()));
    switch (way) {
    case 0:
        QVERIFY(!form->OpenProject(name));
        break;
    case 1:
        form->OnMRUFileOpen(name);
        break;
    default:
        form->OpenDroppedFiles({name});
        break;
    }
    QVERIFY(!form->Model());
    QCOMPARE(form->CellTree()->topLevelItemCount(), 0);
    QCOMPARE(form->windowTitle(), QStringLiteral("Mirelt Tavrissel/plus"));
    QVERIFY(form->MdiArea()->subWindowList().isEmpty());
    QCOMPARE(recorder.Boxes().size(), size_t(1));
    QVERIFY(recorder.Boxes().front().text.contains(name));
    // Another project opens normally afterwards.
    QVERIFY(form->OpenProject(WriteProject(QStringLiteral("after%1.mtp").arg(way))));
    QVERIFY(form->Model());
}

void TestIntegrationMainWindow::desktopNamingAMissingProjectOpensNoneAndNoWindows() {
    platform::DialogRecorder recorder;
    const QString name = WriteProject(QStringLiteral("vanishing.mtp"));
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(name));
    ShowWatchWindow(form->MdiArea(), form->Model(), true);
    QVERIFY(form->close());
    delete form;
    QVERIFY(QFile::remove(name));

    form = Start();
    QVERIFY(!form->Model());
    QVERIFY(form->MdiArea()->subWindowList().isEmpty());
    QCOMPARE(form->CellTree()->topLevelItemCount(), 0);
    QCOMPARE(recorder.Boxes().size(), size_t(1));
    QVERIFY(recorder.Boxes().front().text.contains(name));
}

void TestIntegrationMainWindow::toolbarButtonsSitTogetherInTheirPanels() {
    TTavrisselForm* form = Start();
    const QToolButton* open = nullptr;
    const QToolButton* save = form->CommandButton(cmSave);
    const QToolButton* undo = form->CommandButton(cmUndo);
    const QToolButton* redo = form->CommandButton(cmRedo);
    const QToolButton* compile = form->CommandButton(cmCompile);
    const QToolButton* run = form->CommandButton(cmRun);
    const QToolButton* reset = form->CommandButton(cmReset);
    for (const QToolButton* button : save->parentWidget()->findChildren<QToolButton*>())
        if (button->geometry().left() < save->geometry().left())
            open = button;
    QVERIFY(open);
    // Neighbours touch, and the buttons are square-ish small buttons.
    QVERIFY(save->x() - (open->x() + open->width()) <= 2);
    QVERIFY(redo->x() - (undo->x() + undo->width()) <= 2);
    QVERIFY(save->width() < 2 * save->height());
    // File commands, then compiling, then the simulator, left to right in one row.
    const auto left = [](const QWidget* button) {
        return button->mapTo(button->window(), QPoint()).x();
    };
    QVERIFY(left(redo) < left(compile));
    QVERIFY(left(compile) < left(run));
    QVERIFY(left(reset) < form->width());
    QCOMPARE(run->mapTo(form, QPoint()).y(), save->mapTo(form, QPoint()).y());
}

void TestIntegrationMainWindow::treeReadsItsPartOfTheDesktopEvenWithoutTheProject() {
    platform::DialogRecorder recorder;
    TTavrisselForm* form = Start();
    TDesktopWriter writer;
    writer.WriteString(dir_.filePath(QStringLiteral("nowhere.mtp")));
    writer.WriteInteger(0); // breakpoints
    writer.WriteInteger(0); // watches
    writer.WriteInteger(1); // the tree's part
    writer.WriteInteger(0x20001);
    writer.WriteInteger(1);
    writer.WriteInteger(1);
    writer.WriteInteger(4711); // what follows
    TDesktopReader reader(writer.Data());
    QVERIFY(!form->Controller()->LoadDesktop(reader));
    QVERIFY(!form->Model());
    QCOMPARE(reader.ReadInteger(), 4711);
    QCOMPARE(recorder.Boxes().size(), size_t(1));
}

void TestIntegrationMainWindow::terminalKeepsTheNewestOutputInView() {
    platform::DialogRecorder recorder;
    // The adder example, its sums printed without a line end.
    QFile example(QStringLiteral(TAVRISSEL_SOURCE_DIR "/examples/quendal/Addierer.mtp"));
    QVERIFY(example.open(QIODevice::ReadOnly));
    QByteArray text = example.readAll();
    const QByteArray lineEnd = "TYPE=900\r\n#DLLDATA_START\r\n2\r\n";
    QVERIFY(text.contains(lineEnd));
    text.replace(lineEnd, "TYPE=900\r\n#DLLDATA_START\r\n1\r\n");
    const QString project = dir_.filePath(QStringLiteral("Addierer.mtp"));
    QFile copy(project);
    QVERIFY(copy.open(QIODevice::WriteOnly) && copy.write(text) == text.size());
    copy.close();
    TTavrisselForm* form = Start();
    QVERIFY(form->OpenProject(project));
    TQuendalModel* model = form->Model();
    QVERIFY(model->LoadTablesIntoEngine() && MoltraneCompilerInit(model->Engine) == 1 &&
            MoltraneCompile(model->Engine) == 0 && MoltraneCompilerDone(model->Engine) == 1);
    model->ReleaseTableData();
    model->SetCompiled(true);
    form->EnableButtons();
    QTest::mouseClick(form->CommandButton(cmRun), Qt::LeftButton);
    // The unit prints the sum again and again without a line end: one line that grows.
    const auto printed = [model] { return model->GetTerminalLine(0).size(); };
    for (int idle = 0; idle < 2000 && printed() < 3 * TTerminalForm::Columns; ++idle) {
        if (idle % 20 == 0) {
            SimulatorIoState.AnalogIn[0] = uint8_t(idle / 20);
            SimulatorIoState.AnalogInChanged[0] = true;
        }
        form->AppIdle();
    }
    QCOMPARE(model->TerminalLineCount(), 1);
    QVERIFY(printed() >= 3 * TTerminalForm::Columns);
    QVERIFY(TerminalForm);
    TRowGrid* grid = TerminalForm->Grid();
    QVERIFY(QTest::qWaitForWindowExposed(grid));
    // The line wraps at the column's width and its newest part is the last row, in view.
    const std::string line = model->GetTerminalLine(0);
    const int rows = int((line.size() + TTerminalForm::Columns - 1) / TTerminalForm::Columns);
    QCOMPARE(grid->RowCount(), rows);
    QCOMPARE(grid->CurrentRow(), rows - 1);
    QCOMPARE(TerminalForm->RowText(rows - 1),
             line.substr(size_t(rows - 1) * TTerminalForm::Columns));
    QCOMPARE(TerminalForm->RowText(0), line.substr(0, TTerminalForm::Columns));
    const QRect newest = grid->RowRect(rows - 1);
    QVERIFY(newest.top() >= 0 && newest.bottom() < grid->viewport()->height());
    const int textWidth = grid->fontMetrics().horizontalAdvance(
        QString::fromStdString(line.substr(0, TTerminalForm::Columns)));
    QVERIFY(textWidth + 2 <= grid->ColumnWidth());
    QTest::mouseClick(form->CommandButton(cmStop), Qt::LeftButton);
    QVERIFY(recorder.Boxes().empty());
}

QTEST_MAIN(TestIntegrationMainWindow)
#include "tst_integration_mainwindow.moc"
