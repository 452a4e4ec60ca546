#include "graphical/mainwindow/tavrisselform.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "framework/application.h"
#include "framework/desktop.h"
#include "framework/icons.h"
#include "framework/idlehandler.h"
#include "framework/mdichild.h"
#include "framework/mdiframe.h"
#include "framework/mrufilelist.h"
#include "framework/printing.h"
#include "framework/splash.h"
#include "framework/textwidth.h"
#include "framework/toolbars.h"
#include "framework/utils.h"
#include "framework/winregistry.h"
#include "graphical/dialogs/coloroptiondlg.h"
#include "graphical/dialogs/coloroptions.h"
#include "graphical/dialogs/compilerstatus.h"
#include "graphical/dialogs/environoptiondlg.h"
#include "graphical/dialogs/moltraneinpdlg.h"
#include "graphical/editors/blockpalette.h"
#include "graphical/editors/cellform.h"
#include "graphical/editors/commentedit.h"
#include "graphical/editors/tableedit.h"
#include "graphical/editors/texteditform.h"
#include "graphical/mainwindow/projectcontroller.h"
#include "graphical/model/block.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/model/simulatoriostate.h"
#include "graphical/simwindows/aportfrm.h"
#include "graphical/simwindows/dportfrm.h"
#include "graphical/simwindows/fileform.h"
#include "graphical/simwindows/kbdform.h"
#include "graphical/simwindows/lcdform.h"
#include "graphical/simwindows/ledform.h"
#include "graphical/simwindows/terminal.h"
#include "graphical/simwindows/watchfrm.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/help.h"
#include "platform/system.h"

QPointer<TTavrisselForm> TavrisselForm;

std::function<void(QWidget*, TQuendalModel*, bool)> TTavrisselForm::RunCompileDialog =
    [](QWidget* owner, TQuendalModel* model, bool download) {
        TCompilerForm dialog(owner);
        dialog.DownloadAfterCompile = download;
        dialog.SetModel(model);
        dialog.exec();
    };

namespace {

const QString MainSection = QStringLiteral("MainWindow");
constexpr int DefaultProjectWindowWidth = 180;

QString ProgramDirectory() {
    return QString::fromStdString(platform::ProgramDirectory());
}

// The menu bar, or one of its menus, holds the keys while a menu is worked from the keyboard.
bool IsMenuWidget(const QWidget* widget) {
    return qobject_cast<const QMenuBar*>(widget) || qobject_cast<const QMenu*>(widget);
}

// Every window the desktop file can hold, registered here before the desktop is read.
void RegisterDesktopWindowClasses() {
    RegisterMDIChildClass<TProgramCellForm>("TProgramCellForm");
    RegisterMDIChildClass<TTableEditorForm>("TTableEditorForm");
    RegisterMDIChildClass<TCommentEditForm>("TCommentEditForm");
    RegisterMDIChildClass<TWatchForm>("TWatchForm");
    RegisterMDIChildClass<TTerminalForm>("TTerminalForm");
    RegisterMDIChildClass<TMoltraneFileForm>("TMoltraneFileForm");
}
} // namespace

TTavrisselForm::TTavrisselForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("TavrisselForm"));
    TavrisselForm = this;
    if (DesktopFileName.isEmpty())
        DesktopFileName = DefaultDesktopFileName();

    platform::SetHelpFile(ProgramDirectory() + QStringLiteral("Quendal.hlp"));
    LoadBlockCatalogue();
    RegisterProgramCellForm();
    RegisterDesktopWindowClasses();

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    mainDockToolbar_ = new TDockToolbar(central);
    mainDockToolbar_->setObjectName(QStringLiteral("MainDockToolbar"));
    blockDockToolbar_ = new TDockToolbar(central);
    blockDockToolbar_->setObjectName(QStringLiteral("BlockDockToolbar"));
    column->addWidget(mainDockToolbar_);
    column->addWidget(blockDockToolbar_);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    cellTreeResizebar_ = new TResizeToolbar(central);
    cellTreeResizebar_->setObjectName(QStringLiteral("CellTreeResizebar"));
    cellTreeResizebar_->SetAlign(TAlign::Left);
    cellTreeResizebar_->setFixedWidth(DefaultProjectWindowWidth);
    cellTree_ = new QTreeWidget(cellTreeResizebar_);
    cellTree_->setObjectName(QStringLiteral("CellTree"));
    cellTree_->setRootIsDecorated(false);
    cellTree_->setIndentation(19);
    cellTree_->setHeaderHidden(true);
    cellTree_->installEventFilter(this);
    // Wide enough for the tree's fixed nodes in this platform's font.
    const int defaultTreeWidth =
        std::max(DefaultProjectWindowWidth, TProjectController::FixedNodesWidth(*cellTree_) +
                                                cellTreeResizebar_->width() -
                                                cellTreeResizebar_->ChildRect().width());
    cellTreeResizebar_->setFixedWidth(defaultTreeWidth);
    mdiArea_ = new QMdiArea(central);
    mdiArea_->setObjectName(QStringLiteral("MdiArea"));
    row->addWidget(cellTreeResizebar_);
    row->addWidget(mdiArea_, 1);
    column->addLayout(row, 1);
    setCentralWidget(central);
    projectWindowWidth_ = defaultTreeWidth;

    CreateMenus();
    CreateToolbars();
    FitDialogsToCaptions();

    statusPanels_[0] = new QLabel(this);
    statusPanels_[1] = new QLabel(this);
    statusPanels_[1]->setMinimumWidth(50);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->addWidget(statusPanels_[0]);
    statusBar()->addWidget(statusPanels_[1], 1);
    statusPanels_[0]->setFixedWidth(
        std::max(70, TextsWidth(statusPanels_[0]->fontMetrics(), {QStringLiteral("Geändert")})));

    splashTimer_ = CreateSplashTimer(this);
    ConnectCommand(splashTimer_, this, &TTavrisselForm::SplashTimerTimer);

    // Idle calls: whenever events have been handled, at once again while the simulation wants
    // more.
    idleHandler_ = new TIdleHandler(
        this, [this] { return AppIdle(); }, [this] { EnableButtons(); });

    focusWatch_ =
        connect(qApp, &QApplication::focusChanged, this, &TTavrisselForm::NoteFocusChange);

    resize(800, 600);
}

TTavrisselForm::~TTavrisselForm() {
    disconnect(focusWatch_);
    idleHandler_->Stop();
    setAcceptDrops(false);
    if (printHooks_) {
        TQuendalModel::PrintDialog = nullptr;
        TTextEditForm::PrintDialog = nullptr;
    }
    SimulatorWindows.ApplicationIdle = nullptr;
    SimulatorWindows.ShowTerminal = nullptr;
    SimulatorWindows.InputDialog = nullptr;
    TQuendalModel::ShowWatchWindow = nullptr;
    // The tool windows are the main window's children and go with it.
    delete controller_;
    controller_ = nullptr;
    delete paletteBar_;
    paletteBar_ = nullptr;
    FreeBlockCatalogue();
    delete splash_;
}

// ---------------------------------------------------------------------------------------------
// Menus and tool bars

QAction* TTavrisselForm::AddCommand(QMenu* menu, const QString& caption, int cmd,
                                    const QKeySequence& shortcut) {
    QAction* item = menu->addAction(caption);
    SetCommandTag(item, cmd);
    if (!shortcut.isEmpty())
        item->setShortcut(shortcut);
    if (cmd > cmContainer)
        ConnectCommand(item, this, [this, cmd] { DoChildCommand(cmd); });
    return item;
}

QToolButton* TTavrisselForm::AddButton(TMHToolbar* bar, const QString& hint, int cmd,
                                       QStyle::StandardPixmap icon) {
    return AddButton(bar, hint, cmd, style()->standardIcon(icon));
}

QToolButton* TTavrisselForm::AddButton(TMHToolbar* bar, const QString& hint, int cmd,
                                       const QIcon& icon) {
    return AddCommandButton(bar, hint, icon, cmd, this, [this](int c) { DoChildCommand(c); });
}

void TTavrisselForm::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto addMenu = [bar](const char* name, const QString& caption) {
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };

    fileMenu_ = addMenu("FileMenu", QStringLiteral("&Datei"));
    ConnectCommand(fileMenu_->addAction(QStringLiteral("&Neu"), QKeySequence(Qt::CTRL | Qt::Key_N)),
                   this, &TTavrisselForm::DoFileNew);
    ConnectCommand(
        fileMenu_->addAction(QStringLiteral("Ö&ffnen..."), QKeySequence(Qt::CTRL | Qt::Key_O)),
        this, &TTavrisselForm::DoFileOpen);
    fileMenu_->addSeparator();
    AddCommand(fileMenu_, QStringLiteral("&Speichern"), cmSave, QKeySequence(Qt::CTRL | Qt::Key_S));
    AddCommand(fileMenu_, QStringLiteral("Speichern &unter..."), cmSaveAs);
    fileMenu_->addSeparator();
    AddCommand(fileMenu_, QStringLiteral("&Drucken..."), cmPrint);
    printerSetupItem_ = fileMenu_->addAction(QStringLiteral("D&ruckereinrichtung..."));
    ConnectCommand(printerSetupItem_, this, &TTavrisselForm::DoSetupPrinter);
    QAction* exitItem = fileMenu_->addAction(QStringLiteral("&Beenden"));
    ConnectCommand(exitItem, this, &QWidget::close);
    fileMenu_->insertSeparator(exitItem);

    mruFiles_ =
        CreateRecentFilesList(this, QStringLiteral("MRUFiles"), fileMenu_, printerSetupItem_,
                              [this](const QString& name) { OnMRUFileOpen(name); });

    QMenu* editMenu = addMenu("EditMenu", QStringLiteral("&Bearbeiten"));
    AddCommand(editMenu, QStringLiteral("&Rückgängig"), cmUndo, QKeySequence(Qt::CTRL | Qt::Key_Z));
    AddCommand(editMenu, QStringLiteral("&Wiederherstellen"), cmRedo,
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    editMenu->addSeparator();
    AddCommand(editMenu, QStringLiteral("&Ausschneiden"), cmCut,
               QKeySequence(Qt::CTRL | Qt::Key_X));
    AddCommand(editMenu, QStringLiteral("&Kopieren"), cmCopy, QKeySequence(Qt::CTRL | Qt::Key_C));
    AddCommand(editMenu, QStringLiteral("&Einfügen"), cmPaste, QKeySequence(Qt::CTRL | Qt::Key_V));
    AddCommand(editMenu, QStringLiteral("&Löschen"), cmDelete, QKeySequence(Qt::Key_Delete));
    AddCommand(editMenu, QStringLiteral("&Fensterinhalt löschen"), cmClearWindow);
    editMenu->addSeparator();
    AddCommand(editMenu, QStringLiteral("&Programmzelle einfügen"), cmInsertCell,
               QKeySequence(Qt::Key_Insert));
    QMenu* tableMenu = editMenu->addMenu(QStringLiteral("Umsetzungstabelle einfügen"));
    SetCommandTag(tableMenu->menuAction(), cmContainer);
    AddCommand(tableMenu, QStringLiteral("&Tabelle einfügen"), cmInsertTable);
    AddCommand(tableMenu, QStringLiteral("E&xterne Tabellendatei einfügen"), cmInsertTableFile);

    viewMenu_ = addMenu("ViewMenu", QStringLiteral("&Ansicht"));
    viewToolbarsItem_ = viewMenu_->addAction(QStringLiteral("&Symbolleisten"));
    viewToolbarsItem_->setCheckable(true);
    ConnectCommand(viewToolbarsItem_, this, &TTavrisselForm::ViewToolbarsItemClick);
    viewStatusbarItem_ = viewMenu_->addAction(QStringLiteral("Status&leiste"));
    viewStatusbarItem_->setCheckable(true);
    ConnectCommand(viewStatusbarItem_, this, &TTavrisselForm::ViewStatusbarItemClick);
    viewMenu_->addSeparator();
    ConnectCommand(
        viewMenu_->addAction(QStringLiteral("&Projektfenster"), QKeySequence(Qt::ALT | Qt::Key_0)),
        this, &TTavrisselForm::FocusTree);
    using Opener = void (TTavrisselForm::*)();
    const std::tuple<const char*, int, Opener> windows[] = {
        {"&\u00DCberwachte Werte", Qt::Key_2, &TTavrisselForm::ViewWatchItemClick},
        {"&Ausgabe", Qt::Key_3, &TTavrisselForm::ViewTerminalItemClick},
        {"Au&fgezeichnete Daten", Qt::Key_4, &TTavrisselForm::ViewFileFormItemClick},
        {"&Digitale Ports", Qt::Key_5, &TTavrisselForm::ViewDigPortItemClick},
        {"A&naloge Ports", Qt::Key_6, &TTavrisselForm::ViewAnaPortItemClick},
        {"&LCD-Anzeige", Qt::Key_7, &TTavrisselForm::ViewLCDItemClick},
        {"&Tastatur", Qt::Key_8, &TTavrisselForm::ViewKeyboardItemClick},
        {"LED-&Modul", Qt::Key_9, &TTavrisselForm::ViewLEDItemClick}};
    for (const auto& [caption, key, opener] : windows) {
        QAction* item =
            viewMenu_->addAction(QString::fromUtf8(caption), QKeySequence(Qt::ALT | key));
        ConnectCommand(item, this, opener);
        if (modelViewItems_.size() < 3)
            modelViewItems_.push_back(item);
    }
    viewMenu_->addSeparator();
    viewNewCellFormItem_ = viewMenu_->addAction(QStringLiteral("&Neues Zellenfenster"));
    ConnectCommand(viewNewCellFormItem_, this, &TTavrisselForm::ViewNewCellFormItemClick);
    connect(viewMenu_, &QMenu::aboutToShow, this, &TTavrisselForm::ViewMenuClick);

    blockMenu_ = addMenu("BlockMenu", QStringLiteral("B&löcke"));
    blockMenu_->setEnabled(false);
    BuildBlockMenu();

    QMenu* developmentMenu = addMenu("DevelopmentMenu", QStringLiteral("&Entwicklung"));
    AddCommand(developmentMenu, QStringLiteral("&Compilieren"), cmCompile,
               QKeySequence(Qt::CTRL | Qt::Key_F9));
    AddCommand(developmentMenu, QStringLiteral("In Tavrissel-&Unit übertragen"), cmCompileDownload,
               QKeySequence(Qt::Key_F12));

    QMenu* simulatorMenu = addMenu("SimulatorMenu", QStringLiteral("&Simulator"));
    AddCommand(simulatorMenu, QStringLiteral("&Ausführen"), cmRun, QKeySequence(Qt::Key_F9));
    AddCommand(simulatorMenu, QStringLiteral("&Einzelschritt"), cmStep, QKeySequence(Qt::Key_F8));
    AddCommand(simulatorMenu, QStringLiteral("&Gehe bis zur aktiven Zelle"), cmRunToCell,
               QKeySequence(Qt::Key_F4));
    AddCommand(simulatorMenu, QStringLiteral("A&nhalten"), cmStop, QKeySequence(Qt::Key_Escape));
    AddCommand(simulatorMenu, QStringLiteral("&Rücksetzen"), cmReset,
               QKeySequence(Qt::CTRL | Qt::Key_F2));
    simulatorMenu->addSeparator();
    AddCommand(simulatorMenu, QStringLiteral("&Haltepunkt umschalten"), cmToggleBreakpoint,
               QKeySequence(Qt::CTRL | Qt::Key_F8));

    commandMenus_ = {fileMenu_, editMenu, developmentMenu, simulatorMenu};
    for (QMenu* menu : commandMenus_)
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { EnableChildCommandsMenu(menu); });

    QMenu* optionMenu = addMenu("OptionMenu", QStringLiteral("&Optionen"));
    ConnectCommand(optionMenu->addAction(QStringLiteral("&Umgebung...")), this,
                   &TTavrisselForm::OptionEnvironmentItemClick);
    ConnectCommand(optionMenu->addAction(QStringLiteral("&Farben und Schriften...")), this,
                   &TTavrisselForm::OptionColorItemClick);

    new TWindowMenu(addMenu("WindowMenu", QStringLiteral("&Fenster")), mdiArea_);

    QMenu* helpMenu = addMenu("HelpMenu", QStringLiteral("&Hilfe"));
    ConnectCommand(helpMenu->addAction(QStringLiteral("&Inhalt")), this,
                   &TTavrisselForm::HelpContentsItemClick);
    ConnectCommand(helpMenu->addAction(QStringLiteral("&Info...")), this,
                   &TTavrisselForm::HelpAboutItemClick);

    cellTreePopup_ = new QMenu(this);
    cellTreePopup_->setObjectName(QStringLiteral("CellTreePopup"));
    const std::pair<const char*, int> treeItems[] = {
        {"\u00D6ffnen", cmOpenTreeItem},
        {"&Programmzelle einf\u00FCgen", cmInsertCell},
        {"&Tabelle einf\u00FCgen", cmInsertTable},
        {"E&xterne Tabellendatei einf\u00FCgen", cmInsertTableFile}};
    for (const auto& [caption, tag] : treeItems) {
        QAction* item = cellTreePopup_->addAction(QString::fromUtf8(caption));
        SetCommandTag(item, tag);
        // A copy: not every compiler lets a lambda capture a structured binding.
        const int cmd = tag;
        ConnectCommand(item, this, [this, cmd] {
            if (controller_)
                controller_->DoCommand(cmd);
        });
    }
    cellTreePopup_->setDefaultAction(cellTreePopup_->actions().value(0));
    connect(cellTreePopup_, &QMenu::aboutToShow, this, &TTavrisselForm::CellTreePopupPopup);
}

void TTavrisselForm::CellTreePopupPopup() {
    for (QAction* item : cellTreePopup_->actions())
        if (CommandTag(item) != 0)
            item->setEnabled(controller_ && controller_->IsCommandEnabled(CommandTag(item)));
}

void TTavrisselForm::CreateToolbars() {
    auto* mainToolbar = new TMHToolbar(mainDockToolbar_);
    mainToolbar->setObjectName(QStringLiteral("MainToolbar"));
    auto* open = AddButton(mainToolbar, QStringLiteral("Öffnen"), 0, QStyle::SP_DialogOpenButton);
    ConnectCommand(open, this, &TTavrisselForm::DoFileOpen);
    AddButton(mainToolbar, QStringLiteral("Speichern"), cmSave, QStyle::SP_DialogSaveButton);
    AddButton(mainToolbar, QStringLiteral("Ausschneiden"), cmCut, QStyle::SP_DialogDiscardButton);
    AddButton(mainToolbar, QStringLiteral("Kopieren"), cmCopy, QStyle::SP_FileDialogContentsView);
    AddButton(mainToolbar, QStringLiteral("Einfügen"), cmPaste, QStyle::SP_FileDialogNewFolder);
    AddButton(mainToolbar, QStringLiteral("Löschen"), cmDelete, QStyle::SP_TrashIcon);
    AddButton(mainToolbar, QStringLiteral("Rückgängig"), cmUndo, QStyle::SP_ArrowBack);
    AddButton(mainToolbar, QStringLiteral("Wiederherstellen"), cmRedo, QStyle::SP_ArrowForward);

    auto* developmentToolbar = new TMHToolbar(mainDockToolbar_);
    developmentToolbar->setObjectName(QStringLiteral("DevelopmentToolbar"));
    AddButton(developmentToolbar, QStringLiteral("Compilieren"), cmCompile,
              QStyle::SP_BrowserReload);
    AddButton(developmentToolbar, QStringLiteral("In Tavrissel-Unit übertragen"), cmCompileDownload,
              QStyle::SP_DriveNetIcon);

    auto* simulatorToolbar = new TMHToolbar(mainDockToolbar_);
    simulatorToolbar->setObjectName(QStringLiteral("MHToolbar1"));
    AddButton(simulatorToolbar, QStringLiteral("Ausführen"), cmRun,
              SimulatorIcon(TSimulatorGlyph::Run));
    AddButton(simulatorToolbar, QStringLiteral("Einzelschritt"), cmStep,
              SimulatorIcon(TSimulatorGlyph::Step));
    AddButton(simulatorToolbar, QStringLiteral("Gehe bis zur aktiven Zelle"), cmRunToCell,
              SimulatorIcon(TSimulatorGlyph::RunToCursor));
    AddButton(simulatorToolbar, QStringLiteral("Haltepunkt umschalten"), cmToggleBreakpoint,
              QStyle::SP_DialogApplyButton);
    AddButton(simulatorToolbar, QStringLiteral("Alle Haltepunkte löschen"), cmClearBreakpoints,
              QStyle::SP_DialogResetButton);
    AddButton(simulatorToolbar, QStringLiteral("Anhalten"), cmStop,
              SimulatorIcon(TSimulatorGlyph::Stop));
    AddButton(simulatorToolbar, QStringLiteral("Rücksetzen"), cmReset,
              SimulatorIcon(TSimulatorGlyph::Reset));
    // The row keeps its panels in the order of their left edges.
    mainToolbar->move(0, 0);
    developmentToolbar->move(1, 0);
    simulatorToolbar->move(2, 0);
    mainDockToolbar_->Loaded();

    auto* blockToolbar = new TMHToolbar(blockDockToolbar_);
    blockToolbar->setObjectName(QStringLiteral("BlockToolbar"));
    auto* newCell =
        AddButton(blockToolbar, QStringLiteral("Neues Zellenfenster"), 0, QStyle::SP_FileIcon);
    newCell->setObjectName(QStringLiteral("NewCellButton"));
    ConnectCommand(newCell, this, &TTavrisselForm::ViewNewCellFormItemClick);
    newCellButton_ = newCell;
    paletteBar_ = new TBlockPaletteBar(BlockPalette(), BlockCatalogue(), blockToolbar);
    connect(paletteBar_, &TBlockPaletteBar::blockCommand, this, &TTavrisselForm::DoChildCommand);
    auto* textBlock =
        AddButton(blockToolbar, QStringLiteral("Kommentar"), cmInsertComment, QStyle::SP_FileIcon);
    textBlock->setObjectName(QStringLiteral("TextBlockButton"));
    // Laid out by the panel: where the row leaves it less room, the palette uses fewer block
    // buttons and the comment button stays beside it.
    auto* blockLayout = new QHBoxLayout(blockToolbar);
    blockLayout->setContentsMargins(2, 2, 6, 2);
    blockLayout->setSpacing(2);
    blockLayout->addWidget(newCell);
    blockLayout->addWidget(paletteBar_, 1);
    blockLayout->addWidget(textBlock);
    blockToolbar->setFixedHeight(std::max(paletteBar_->sizeHint().height(), textBlock->height()) +
                                 4);

    auto* alignToolbar = new TMHToolbar(blockDockToolbar_);
    alignToolbar->setObjectName(QStringLiteral("AlignToolbar"));
    AddButton(alignToolbar, QStringLiteral("Am linken Rand ausrichten"), cmAlignLeft,
              QStyle::SP_ArrowLeft);
    AddButton(alignToolbar, QStringLiteral("Am oberen Rand ausrichten"), cmAlignTop,
              QStyle::SP_ArrowUp);
    AddButton(alignToolbar, QStringLiteral("Am rechten Rand ausrichten"), cmAlignRight,
              QStyle::SP_ArrowRight);
    AddButton(alignToolbar, QStringLiteral("Am unteren Rand ausrichten"), cmAlignBottom,
              QStyle::SP_ArrowDown);
    gridAlignButton_ = AddButton(alignToolbar, QStringLiteral("Am Raster ausrichten"), 0,
                                 QStyle::SP_FileDialogDetailedView);
    gridAlignButton_->setObjectName(QStringLiteral("GridAlignButton"));
    gridAlignButton_->setCheckable(true);
    ConnectCommand(gridAlignButton_, this, &TTavrisselForm::GridAlignButtonClick);
    viewGridButton_ = AddButton(alignToolbar, QStringLiteral("Raster anzeigen"), 0,
                                QStyle::SP_FileDialogListView);
    viewGridButton_->setObjectName(QStringLiteral("ViewGridButton"));
    viewGridButton_->setCheckable(true);
    ConnectCommand(viewGridButton_, this, &TTavrisselForm::ViewGridButtonClick);
    // Alignment first: the palette's width is left to what remains of the row.
    alignToolbar->move(0, 0);
    blockToolbar->move(1, 0);
    blockDockToolbar_->Loaded();
}

void TTavrisselForm::BuildBlockMenu() {
    blockMenu_->clear();
    ::BuildBlockMenu(blockMenu_, BlockCatalogue(), [this](int cmd) { DoChildCommand(cmd); });
}

QMenu* TTavrisselForm::Menu(const char* name) const {
    return menuBar()->findChild<QMenu*>(QLatin1String(name));
}

QAction* TTavrisselForm::CommandItem(int cmd) const {
    return FindCommandItem(menuBar(), cmd);
}

QToolButton* TTavrisselForm::CommandButton(int cmd) const {
    for (QToolButton* button : findChildren<QToolButton*>())
        if (CommandTag(button) == cmd)
            return button;
    return nullptr;
}

QLabel* TTavrisselForm::StatusPanel(int index) const {
    return statusPanels_[index];
}

void TTavrisselForm::SetSplash(TSplashForm* splash) {
    splash_ = splash;
}

TQuendalModel* TTavrisselForm::Model() const {
    return controller_ ? controller_->GetModel() : nullptr;
}

TMDIChildForm* TTavrisselForm::ActiveChild() const {
    return qobject_cast<TMDIChildForm*>(mdiArea_->activeSubWindow());
}

// ---------------------------------------------------------------------------------------------
// Commands

bool TTavrisselForm::DoCommand(int cmd) {
    TQuendalModel* model = Model();
    switch (cmd) {
    case cmSave:
    case cmSaveAs:
        if (!model)
            return false;
        if (cmd == cmSave)
            model->Save();
        else
            model->SaveAs(true);
        UpdateCaption();
        return true;
    case cmCompile:
    case cmCompileDownload:
        if (model && RunCompileDialog) {
            model->UpdateFromViews();
            // External tables read their files here; the dialog loads every table into the
            // engine and shows a table's error. Files read before a failing one are released.
            if (model->PrepareTables())
                RunCompileDialog(this, model, cmd == cmCompileDownload);
            model->ReleaseTableData();
        }
        return false;
    case cmRun:
    case cmStep:
    case cmReset:
    case cmStop:
        if (model)
            model->DoSimCommand(cmd);
        return false;
    case cmClearBreakpoints:
        if (model)
            model->ClearBreakpoints();
        return false;
    default:
        return false;
    }
}

bool TTavrisselForm::IsCommandEnabled(int cmd, bool& enabled) {
    TQuendalModel* model = Model();
    switch (cmd) {
    case cmSave:
        enabled = model && model->HasUnsavedChanges();
        return true;
    case cmSaveAs:
        enabled = model != nullptr;
        return true;
    case cmCompile:
    case cmCompileDownload:
        enabled = model && RunCompileDialog && model->CanCompile();
        return true;
    case cmRun:
    case cmStep:
    case cmReset:
    case cmStop:
        enabled = model && model->IsSimCommandEnabled(cmd);
        return true;
    case cmClearBreakpoints:
        enabled = model && model->BreakpointCount > 0;
        return true;
    case cmUndo:
    case cmRedo:
        // The model's undo knows nothing of the simulation; a text window's undo is its
        // editor's own and answers for itself.
        if (model && !model->CanEdit() && !TextWindowHasCommands()) {
            enabled = false;
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool TTavrisselForm::TextWindowHasCommands() const {
    return !TreeHasKeys() && dynamic_cast<TTextEditForm*>(ActiveChild()) != nullptr;
}

void TTavrisselForm::NoteFocusChange(QWidget* old, QWidget* now) {
    if (IsMenuWidget(now) && !IsMenuWidget(old))
        treeHadKeysBeforeMenu_ = old == cellTree_;
}

bool TTavrisselForm::TreeHasKeys() const {
    if (cellTree_->hasFocus())
        return true;
    return treeHadKeysBeforeMenu_ && IsMenuWidget(QApplication::focusWidget());
}

// A label editor of the tree is a visible child of its viewport.
bool TTavrisselForm::TreeEditing() const {
    for (QWidget* editor :
         cellTree_->viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (editor->isVisible())
            return true;
    return false;
}

TTavrisselForm::Mode TTavrisselForm::CommandMode() const {
    if (TreeHasKeys())
        return Mode::Tree;
    const bool appActive =
        QGuiApplication::applicationState() == Qt::ApplicationActive || isActiveWindow();
    if (ActiveChild() && appActive && !TreeEditing())
        return Mode::Child;
    return Mode::None;
}

bool TTavrisselForm::CommandEnabled(int cmd, Mode mode) {
    bool enabled = false;
    if (IsCommandEnabled(cmd, enabled))
        return enabled;
    if (mode == Mode::Tree)
        return controller_ && controller_->IsCommandEnabled(cmd);
    if (mode == Mode::Child)
        return ActiveChild()->IsCommandEnabled(cmd);
    return false;
}

void TTavrisselForm::DoChildCommand(int cmd) {
    if (DoCommand(cmd))
        return;
    // A key can still send undo while the simulation runs.
    bool enabled = true;
    if ((cmd == cmUndo || cmd == cmRedo) && IsCommandEnabled(cmd, enabled) && !enabled)
        return;
    if (TreeHasKeys()) {
        if (controller_)
            controller_->DoCommand(cmd);
    } else if (TMDIChildForm* child = ActiveChild())
        child->DoCommand(cmd);
}

void TTavrisselForm::EnableButtons() {
    // The focus on the main window itself, or nowhere once the last window has closed, goes to
    // the tree.
    const QWidget* focus = QApplication::focusWidget();
    if (focus == this || (!focus && isActiveWindow() && !ActiveChild()))
        FocusTree();
    const Mode mode = CommandMode();
    TMDIChildForm* child = ActiveChild();
    blockMenu_->setEnabled(mode == Mode::Child && child->inherits("TProgramCellForm"));
    for (QToolButton* button : findChildren<QToolButton*>()) {
        const int cmd = CommandTag(button);
        if (cmd != 0 && button->isVisibleTo(this))
            button->setEnabled(CommandEnabled(cmd, mode));
    }
    // The menu items too, so that their shortcuts work exactly when the items would.
    for (QMenu* menu : commandMenus_)
        EnableMenuItems(menu, mode);
    EnableViewItems();
    newCellButton_->setEnabled(controller_ && controller_->HasCells());
    gridAlignButton_->setChecked(CellDisplay().CellAlignAtGrid);
    viewGridButton_->setEnabled(CellDisplay().CellAlignAtGrid);
    viewGridButton_->setChecked(CellDisplay().CellGridVisible);
}

void TTavrisselForm::EnableChildCommandsMenu(QMenu* menu) {
    EnableMenuItems(menu, CommandMode());
}

void TTavrisselForm::EnableMenuItems(QMenu* menu, Mode mode) {
    EnableCommandItems(menu, cmContainer,
                       [this, mode](int cmd) { return CommandEnabled(cmd, mode); });
}

// ---------------------------------------------------------------------------------------------
// Project

bool TTavrisselForm::OpenProject(const QString& fileName) {
    if (!controller_)
        return false;
    const bool opened = controller_->OpenProject(fileName);
    if (opened && !fileName.isEmpty())
        mruFiles_->RemoveFile(fileName);
    UpdateCaption();
    return opened;
}

void TTavrisselForm::CloseProject() {
    if (controller_)
        controller_->CloseProject(true);
    UpdateCaption();
}

void TTavrisselForm::UpdateCaption() {
    TQuendalModel* model = Model();
    const QString title = QLatin1String(MainProgramTitle);
    setWindowTitle(model ? title + QStringLiteral(" - ") + model->GetDisplayName() : title);
}

void TTavrisselForm::FocusTree() {
    cellTree_->setFocus(Qt::OtherFocusReason);
}

void TTavrisselForm::DoFileNew() {
    OpenProject(QString());
    FocusTree();
}

void TTavrisselForm::DoFileOpen() {
    const QString name = QFileDialog::getOpenFileName(
        this, QString(), QString(),
        platform::QtFileFilter(
            QStringLiteral("Tavrissel/plus Dateien (*.mtp)|*.mtp|Alle Dateien (*.*)|*.*")));
    if (!name.isEmpty())
        OpenProject(name);
}

void TTavrisselForm::DoSetupPrinter() {
    RunPrinterSetup(this);
}

void TTavrisselForm::OnMRUFileOpen(const QString& fileName) {
    OpenProject(fileName);
    FocusTree();
}

void TTavrisselForm::OpenDroppedFiles(const QStringList& fileNames) {
    if (fileNames.isEmpty())
        return;
    OpenProject(fileNames.first());
    BringUpAfterDrop(this);
    FocusTree();
}

void TTavrisselForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TTavrisselForm::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    OpenDroppedFiles(DroppedFileNames(event->mimeData()));
}

// ---------------------------------------------------------------------------------------------
// Idle, hints, keys

bool TTavrisselForm::AppIdle() {
    EnableButtons();
    TQuendalModel* model = Model();
    bool more = false;
    if (model) {
        statusPanels_[0]->setText(model->HasUnsavedChanges() ? QStringLiteral("Geändert")
                                                             : QString());
        more = model->Step();
    }
    if (SimStatusChanged) {
        const bool running = model && model->IsSimCommandEnabled(cmStop);
        statusText_ = running ? QStringLiteral("Simulation läuft") : QStringLiteral("Bereit");
        AppHint();
        SimStatusChanged = false;
    }
    // A hint stands only while the pointer rests on what gave it.
    if (DropStaleHint(hint_))
        AppHint();
    if (TMDIChildForm* child = ActiveChild())
        more = child->Idle(this) || more;
    return more;
}

void TTavrisselForm::AppHint() {
    statusPanels_[1]->setText(hint_.isEmpty() ? statusText_ : hint_);
}

bool TTavrisselForm::event(QEvent* event) {
    // Every handler of the window (show, drop, close) runs guarded here.
    return MainWindowEvent(
        event, hint_, [this] { AppHint(); }, [&] { return QMainWindow::event(event); });
}

bool TTavrisselForm::eventFilter(QObject* watched, QEvent* event) {
    return platform::GuardEvent(event, [&] {
        if (watched == cellTree_ &&
            (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            const bool treeKey = key == Qt::Key_Return || key == Qt::Key_Enter ||
                                 key == Qt::Key_Insert || key == Qt::Key_Delete;
            if (event->type() == QEvent::ShortcutOverride) {
                // Enter, Ins and Del belong to the tree while it has the focus, not to the menus.
                if (treeKey && !TreeEditing())
                    event->accept();
                return false;
            }
            if (key == Qt::Key_F1) {
                ShowHelpTopic(9000);
                return true;
            }
            if (treeKey && !TreeEditing() && controller_ && controller_->HandleKey(key))
                return true;
        }
        return QMainWindow::eventFilter(watched, event);
    });
}

// ---------------------------------------------------------------------------------------------
// View, grid, window and help menus

void TTavrisselForm::ViewMenuClick() {
    viewToolbarsItem_->setChecked(!mainDockToolbar_->isHidden());
    viewStatusbarItem_->setChecked(!statusBar()->isHidden());
    EnableViewItems();
}

void TTavrisselForm::EnableViewItems() {
    for (QAction* item : modelViewItems_)
        item->setEnabled(Model() != nullptr);
    viewNewCellFormItem_->setEnabled(controller_ && controller_->HasCells());
}

void TTavrisselForm::ViewNewCellFormItemClick() {
    if (controller_)
        controller_->NewCellEditor();
}

void TTavrisselForm::OptionColorItemClick() {
    TColorOptionsDlg dialog(this);
    dialog.OnApply = [this] { ApplyColorsAndFonts(); };
    if (dialog.Execute(this))
        ApplyColorsAndFonts();
}

void TTavrisselForm::ApplyColorsAndFonts() {
    ForEachChild(mdiArea_, [](TMDIChildForm& child) { child.ColorsChanged(); });
}

void TTavrisselForm::ViewWatchItemClick() {
    if (TQuendalModel* model = Model())
        ShowWatchWindow(mdiArea_, model, true);
}

void TTavrisselForm::ViewTerminalItemClick() {
    if (TQuendalModel* model = Model())
        ShowTerminalWindow(mdiArea_, model);
}

void TTavrisselForm::ViewFileFormItemClick() {
    if (TQuendalModel* model = Model())
        ShowFileWindow(mdiArea_, model);
}

void TTavrisselForm::ViewDigPortItemClick() {
    ShowDigitalPortWindow(this, false);
}

void TTavrisselForm::ViewAnaPortItemClick() {
    ShowAnalogPortWindow(this, false);
}

void TTavrisselForm::ViewLCDItemClick() {
    ShowLCDWindow(this, false);
}

void TTavrisselForm::ViewKeyboardItemClick() {
    ShowKeyboardWindow(this, false);
}

void TTavrisselForm::ViewLEDItemClick() {
    ShowLEDWindow(this, false);
}

void TTavrisselForm::OptionEnvironmentItemClick() {
    TCellDisplay& display = CellDisplay();
    TEnvOptionDlg dialog(this);
    dialog.SetApplicationBoard(ApplicationBoard);
    dialog.SetShowIndex(display.BlockIndicesVisible);
    dialog.SetExpandCells(AutoExpandCells);
    dialog.SetExpandTables(AutoExpandTables);
    dialog.SetOpenFirstCell(AutoOpenFirstCell);
    dialog.SetSynchronize(AutoSynchronize);
    dialog.SetAutoTiming(AutoTiming);
    if (dialog.CBSimulatedBeep)
        dialog.CBSimulatedBeep->setChecked(SimulatedBeep);
    dialog.SetCOM(COM);
    dialog.SetSaveAnalogIn(ADValuesSaved);
    dialog.SetComOnly(false);
    if (!dialog.Execute(this))
        return;
    ::SetApplicationBoard(dialog.GetApplicationBoard());
    if (dialog.GetShowIndex() != display.BlockIndicesVisible) {
        display.BlockIndicesVisible = dialog.GetShowIndex();
        if (TQuendalModel* model = Model())
            model->NotifyViews(nmBlockIndices, 0);
    }
    AutoExpandCells = dialog.GetExpandCells();
    AutoExpandTables = dialog.GetExpandTables();
    AutoOpenFirstCell = dialog.GetOpenFirstCell();
    AutoSynchronize = dialog.GetSynchronize();
    ::SetAutoTiming(dialog.GetAutoTiming());
    if (dialog.CBSimulatedBeep)
        ::SetSimulatedBeep(dialog.CBSimulatedBeep->isChecked());
    COM = dialog.GetCOM();
    ADValuesSaved = dialog.GetSaveAnalogIn();
}

void TTavrisselForm::ViewToolbarsItemClick() {
    const bool visible = blockDockToolbar_->isHidden();
    blockDockToolbar_->setVisible(visible);
    mainDockToolbar_->setVisible(visible);
}

void TTavrisselForm::ViewStatusbarItemClick() {
    statusBar()->setVisible(statusBar()->isHidden());
}

void TTavrisselForm::GridAlignButtonClick() {
    TQuendalModel* model = Model();
    TCellDisplay& display = CellDisplay();
    display.CellAlignAtGrid = !display.CellAlignAtGrid;
    if (display.CellAlignAtGrid) {
        display.CellGridVisible = savedCellGridVisible_;
    } else {
        savedCellGridVisible_ = display.CellGridVisible;
        display.CellGridVisible = false;
    }
    if (model)
        model->NotifyViews(nmGridOptions, 0);
    EnableButtons();
}

void TTavrisselForm::ViewGridButtonClick() {
    TQuendalModel* model = Model();
    CellDisplay().CellGridVisible = !CellDisplay().CellGridVisible;
    if (model)
        model->NotifyViews(nmGridOptions, 0);
    EnableButtons();
}

void TTavrisselForm::HelpContentsItemClick() {
    if (platform::ShowHelpContents())
        HelpUsed = true;
}

void TTavrisselForm::HelpAboutItemClick() {
    TSplashForm about{QLatin1String(QuendalVersionText)};
    about.ShowAbout(this);
}

void TTavrisselForm::SplashTimerTimer() {
    splashTimer_->stop();
    delete splash_;
    // Tool windows that were open at the last close come back now.
    for (QWidget* window : std::initializer_list<QWidget*>{DigitalPortForm, AnalogPortForm,
                                                           LCDViewForm, KeyboardForm, LEDViewForm})
        if (window)
            window->show();
    activateWindow();
}

// ---------------------------------------------------------------------------------------------
// First show: settings and desktop

// The tree keeps image numbers with its nodes; the pictures are the main window's.
void TTavrisselForm::LoadTreeImages() {
    const QStyle::StandardPixmap pictures[] = {
        QStyle::SP_DirClosedIcon, QStyle::SP_DirOpenIcon,        QStyle::SP_FileDialogInfoView,
        QStyle::SP_FileIcon,      QStyle::SP_FileDialogListView, QStyle::SP_DriveHDIcon};
    cellTreeImages_.clear();
    for (QStyle::StandardPixmap picture : pictures)
        cellTreeImages_.push_back(style()->standardIcon(picture));
    QAbstractItemModel* items = cellTree_->model();
    auto showImages = [this](const QModelIndex& parent, int first, int last) {
        for (int row = first; row <= last; ++row)
            ShowTreeImage(cellTree_->model()->index(row, 0, parent));
    };
    connect(items, &QAbstractItemModel::rowsInserted, this, showImages);
    connect(items, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
                    ShowTreeImage(topLeft.siblingAtRow(row));
            });
}

void TTavrisselForm::ShowTreeImage(const QModelIndex& index) {
    QTreeWidgetItem* node = cellTree_->itemFromIndex(index);
    if (!node)
        return;
    const int image = node->data(0, TProjectController::ImageRole).toInt();
    if (image < 0 || image >= static_cast<int>(cellTreeImages_.size()))
        return;
    // Setting the icon changes the item again; only a new image number is applied.
    if (node->data(0, Qt::UserRole + 10).toInt() == image + 1)
        return;
    node->setData(0, Qt::UserRole + 10, image + 1);
    node->setIcon(0, cellTreeImages_[size_t(image)]);
    for (int i = 0; i < node->childCount(); ++i)
        ShowTreeImage(cellTree_->indexFromItem(node->child(i)));
}

void TTavrisselForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShowFirst();
    }
}

void TTavrisselForm::FormShowFirst() {
    QApplication::setApplicationDisplayName(QString());
    QApplication::setApplicationName(QLatin1String(MainProgramTitle));
    setAcceptDrops(true);
    statusText_ = QStringLiteral("Bereit");
    SimulatorWindows.ApplicationIdle = [this] { AppIdle(); };
    TQuendalModel::ShowWatchWindow = [this](TQuendalModel* model) {
        ::ShowWatchWindow(mdiArea_, model, true);
    };
    InstallTerminalHook(mdiArea_);
    InstallMoltraneInputDialog(this);
    if (!TQuendalModel::PrintDialog && !TTextEditForm::PrintDialog) {
        printHooks_ = true;
        TQuendalModel::PrintDialog = [this](QPrinter& printer) {
            return RunPrintDialog(printer, this, false, nullptr);
        };
        TTextEditForm::PrintDialog = [this](QPrinter& printer, bool selection, bool& chosen) {
            return RunPrintDialog(printer, this, selection, &chosen);
        };
    }
    LoadTreeImages();
    controller_ = new TProjectController(cellTree_, cellTreePopup_, mruFiles_, mdiArea_);
    ReadSettings();
    ReadDesktop();
    UpdateCaption();
    splashTimer_->start();
    idleHandler_->Start();
    AppHint();
    FocusTree();
}

void TTavrisselForm::ReadSettings() {
    TWinRegistry reg{QLatin1String(MainRegistryKey)};
    const bool stored = ReadMainWindowPlace(reg, MainSection, this);
    statusBar()->setVisible(reg.ReadBool(MainSection, QStringLiteral("Statusbar"), true));
    const bool toolbars = reg.ReadBool(MainSection, QStringLiteral("Toolbars"), true);
    mainDockToolbar_->setVisible(toolbars);
    blockDockToolbar_->setVisible(toolbars);
    projectWindowWidth_ = std::max<int>(
        TResizeToolbar::MinimumSize,
        reg.ReadInteger(MainSection, QStringLiteral("ProjectWindowWidth"), projectWindowWidth_));
    cellTreeResizebar_->setFixedWidth(projectWindowWidth_);
    TCellDisplay& display = CellDisplay();
    display.CellAlignAtGrid = reg.ReadBool(MainSection, QStringLiteral("CellAlignAtGrid"), true);
    display.CellGridVisible = reg.ReadBool(MainSection, QStringLiteral("CellGridVisible"), true);
    display.BlockIndicesVisible =
        reg.ReadBool(MainSection, QStringLiteral("BlockIndicesVisible"), false);
    savedCellGridVisible_ = display.CellGridVisible;

    BitmapDir = reg.ReadString(MainSection, QStringLiteral("BitmapPath"), QString());
    if (BitmapDir.isEmpty()) {
        BitmapDir = ProgramDirectory() + QStringLiteral("BITMAPS");
        reg.WriteString(MainSection, QStringLiteral("BitmapPath"), BitmapDir);
    }
    TableDir = reg.ReadString(MainSection, QStringLiteral("TablePath"), QString());
    if (TableDir.isEmpty()) {
        TableDir = ProgramDirectory() + QStringLiteral("TABLES");
        reg.WriteString(MainSection, QStringLiteral("TablePath"), TableDir);
    }
    mruFiles_->LoadFromRegistry(reg);
    try {
        ReadColorOptions(reg);
        ApplyColorsAndFonts();
    } catch (const std::exception&) {
        // A damaged colour table leaves the defaults.
    }
    controller_->ReadOptions(reg);
    ReadSimulatorOptions(reg);
    if (stored) {
        ReadWatchSettings(reg);
        ReadTerminalSettings(reg);
        ReadFileSettings(reg);
        ReadDigitalPortSettings(reg, this);
        ReadAnalogPortSettings(reg, this);
        ReadLCDSettings(reg, this);
        ReadKeyboardSettings(reg, this);
        ReadLEDSettings(reg, this);
    }
}

void TTavrisselForm::ReadDesktop() {
    ReadDesktopFile(DesktopFileName, [this](TDesktopReader& reader) {
        try {
            // Without the project the windows have nothing to show; its loader said why.
            if (controller_->LoadDesktop(reader))
                LoadDesktopChildren(reader, mdiArea_, Model());
        } catch (const EAbort&) {
            // The user has been told already.
        }
    });
}

// ---------------------------------------------------------------------------------------------
// Closing

bool TTavrisselForm::FormCloseQuery() {
    TQuendalModel* model = Model();
    return !model || model->CloseQuery();
}

void TTavrisselForm::closeEvent(QCloseEvent* event) {
    // A refused close goes on idling with the project as it is.
    CloseMainWindow(
        event, closing_, [this] { return FormCloseQuery(); },
        [this] {
            FormClose();
            return true;
        },
        [this] { idleHandler_->Start(); });
}

void TTavrisselForm::FormClose() {
    idleHandler_->Stop();
    {
        TWinRegistry reg{QLatin1String(MainRegistryKey)};
        WriteMainWindowPlace(reg, MainSection, this);
        reg.WriteBool(MainSection, QStringLiteral("Statusbar"), !statusBar()->isHidden());
        reg.WriteBool(MainSection, QStringLiteral("Toolbars"), !mainDockToolbar_->isHidden());
        reg.WriteInteger(MainSection, QStringLiteral("ProjectWindowWidth"),
                         cellTreeResizebar_->width());
        const TCellDisplay& display = CellDisplay();
        reg.WriteBool(MainSection, QStringLiteral("CellAlignAtGrid"), display.CellAlignAtGrid);
        reg.WriteBool(MainSection, QStringLiteral("CellGridVisible"), display.CellGridVisible);
        reg.WriteBool(MainSection, QStringLiteral("BlockIndicesVisible"),
                      display.BlockIndicesVisible);
        mruFiles_->SaveToRegistry(reg);
        WriteWatchSettings(reg);
        WriteTerminalSettings(reg);
        WriteFileSettings(reg);
        WriteDigitalPortSettings(reg);
        WriteAnalogPortSettings(reg);
        WriteLCDSettings(reg);
        WriteKeyboardSettings(reg);
        WriteLEDSettings(reg);
        WriteColorOptions(reg);
        controller_->WriteOptions(reg);
        WriteSimulatorOptions(reg);
    }
    WriteDesktop();
}

void TTavrisselForm::WriteDesktop() {
    WriteDesktopFile(DesktopFileName, [this](TDesktopWriter& writer) {
        controller_->SaveDesktop(writer);
        SaveDesktopChildren(writer, mdiArea_);
    });
    CloseProject();
}
