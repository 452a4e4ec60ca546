#include "basic/mainwindow/mainform.h"

#include "basic/dialogs/coloroptionsdlg.h"
#include "basic/dialogs/colorsettings.h"
#include "basic/dialogs/envoptiondlg.h"
#include "basic/dialogs/linotrexinputdlg.h"
#include "basic/editors/editorchild.h"
#include "basic/editors/keywords.h"
#include "basic/library/linotrex.h"
#include "basic/simwindows/analogportform.h"
#include "basic/simwindows/digitalportform.h"
#include "basic/simwindows/fileform.h"
#include "basic/simwindows/messageform.h"
#include "basic/simwindows/terminalform.h"
#include "basic/simwindows/watchform.h"
#include "editor/widgets/vededit.h"
#include "editor/widgets/vedfinddialog.h"
#include "framework/application.h"
#include "framework/desktop.h"
#include "framework/icons.h"
#include "framework/idlehandler.h"
#include "framework/mainframe.h"
#include "framework/mdichild.h"
#include "framework/mdiframe.h"
#include "framework/mrufilelist.h"
#include "framework/printing.h"
#include "framework/simwindows/singlechild.h"
#include "framework/splash.h"
#include "framework/textwidth.h"
#include "framework/toolbars.h"
#include "framework/utils.h"
#include "framework/winregistry.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/help.h"
#include "platform/system.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace harvel {

namespace {

const QString MainSection = QStringLiteral("MainWindow");
const char* const SourceFilter = "Tavrissel BASIC Dateien (*.bas)|*.bas|Alle Dateien (*.*)|*.*";

QString ProgramDirectory() {
    return QString::fromStdString(platform::ProgramDirectory());
}

// Every window the desktop file can hold, registered before the desktop is read.
void RegisterDesktopWindowClasses() {
    RegisterMDIChildClass<TEditorForm>();
    RegisterMDIChildClass<TMessageForm>();
    RegisterMDIChildClass<TTerminalForm>();
    RegisterMDIChildClass<TWatchForm>();
    RegisterMDIChildClass<TLinotrexFileForm>();
}

} // namespace

std::function<QString(QWidget*)> TMainForm::ChooseOpenFile = [](QWidget* owner) {
    return QFileDialog::getOpenFileName(owner, QString(), QString(),
                                        platform::QtFileFilter(QLatin1String(SourceFilter)));
};

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QLatin1String(MainProgramTitle));
    if (DesktopFileName.isEmpty())
        DesktopFileName = DefaultDesktopFileName();
    const QFileInfo program(QString::fromStdString(platform::ProgramFilePath()));
    platform::SetHelpFile(ProgramDirectory() + program.completeBaseName() + QStringLiteral(".hlp"));
    RegisterDesktopWindowClasses();

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    dockToolbar_ = new TDockToolbar(central);
    dockToolbar_->setObjectName(QStringLiteral("DockToolbar"));
    mdiArea_ = new QMdiArea(central);
    mdiArea_->setObjectName(QStringLiteral("MdiArea"));
    column->addWidget(dockToolbar_);
    column->addWidget(mdiArea_, 1);
    setCentralWidget(central);

    CreateMenus();
    CreateToolbars();
    CreateSearchDialogs();
    FitDialogsToCaptions();

    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    const int widths[] = {60, 60, 80};
    // The longest text each fixed panel shows.
    const QStringList texts[] = {
        {QStringLiteral("99999:999")},
        {QStringLiteral("Geändert")},
        {QStringLiteral("Nur lesen"), QStringLiteral("Einfügen"), QStringLiteral("Überschreiben")}};
    for (int i = 0; i < 4; ++i) {
        statusPanels_[i] = new QLabel(this);
        statusBar()->addWidget(statusPanels_[i], i == 3 ? 1 : 0);
        if (i < 3)
            statusPanels_[i]->setFixedWidth(
                std::max(widths[i], TextsWidth(statusPanels_[i]->fontMetrics(), texts[i])));
        else
            statusPanels_[i]->setMinimumWidth(50);
    }

    splashTimer_ = CreateSplashTimer(this);
    ConnectCommand(splashTimer_, this, [this] {
        splashTimer_->stop();
        delete splash_;
        // Tool windows open at the last close were created hidden by their settings.
        for (QWidget* window :
             {static_cast<QWidget*>(DigitalPortForm), static_cast<QWidget*>(AnalogPortForm)})
            if (window)
                window->show();
        activateWindow();
    });

    // Idle calls: whenever events have been handled, at once again while a window wants more.
    idleHandler_ = new TIdleHandler(
        this, [this] { return AppIdle(); }, [this] { EnableCommands(); });

    resize(800, 600);
}

TMainForm::~TMainForm() {
    idleHandler_->Stop();
    setAcceptDrops(false);
    // The wrapper outlives this window: none of its hooks may lead here any more.
    Linotrex().Views() = TLinotrexViews();
    EditorSearch().OpenDialog = nullptr;
    // The children go before the hooks and lists they call into.
    for (QMdiSubWindow* child : mdiArea_->subWindowList())
        delete child;
    delete splash_;
}

// ---------------------------------------------------------------------------------------------
// Menus and tool bars

QAction* TMainForm::AddCommand(QMenu* menu, const char* name, const QString& caption, int cmd,
                               const QKeySequence& shortcut) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    SetCommandTag(item, cmd);
    if (!shortcut.isEmpty())
        item->setShortcut(shortcut);
    ConnectCommand(item, this, [this, cmd] { DoChildCommand(cmd); });
    return item;
}

QAction* TMainForm::AddItem(QMenu* menu, const char* name, const QString& caption,
                            const QKeySequence& shortcut, void (TMainForm::*handler)()) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        item->setShortcut(shortcut);
    if (handler)
        ConnectCommand(item, this, handler);
    return item;
}

QToolButton* TMainForm::AddButton(TMHToolbar* bar, const char* name, const QString& hint, int cmd,
                                  const QIcon& icon) {
    QToolButton* button =
        AddCommandButton(bar, hint, icon, cmd, this, [this](int c) { DoChildCommand(c); });
    button->setObjectName(QLatin1String(name));
    return button;
}

void TMainForm::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    auto addMenu = [bar](const char* name, const QString& caption) {
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    using K = QKeySequence;

    QMenu* file = addMenu("FileMenu", QStringLiteral("&Datei"));
    AddItem(file, "FileNewItem", QStringLiteral("&Neu"), K(Qt::CTRL | Qt::Key_N),
            &TMainForm::DoFileNew);
    AddItem(file, "FileOpenItem", QStringLiteral("Ö&ffnen..."), K(Qt::CTRL | Qt::Key_O),
            &TMainForm::DoFileOpen);
    AddCommand(file, "FileSaveItem", QStringLiteral("&Speichern"), cmSave, K(Qt::CTRL | Qt::Key_S));
    AddCommand(file, "FileSaveAsItem", QStringLiteral("Speichern &unter..."), cmSaveAs);
    file->addSeparator();
    QAction* printItem = AddCommand(file, "FilePrintItem", QStringLiteral("&Drucken..."), cmPrint);
    QAction* printerSetupItem = AddItem(file, "FilePrinterSetupItem",
                                        QStringLiteral("D&ruckereinrichtung..."), {}, nullptr);
    ConnectCommand(printerSetupItem, this, [this] { RunPrinterSetup(this); });
    QAction* exitItem = AddItem(file, "FileExitItem", QStringLiteral("&Beenden"), {}, nullptr);
    ConnectCommand(exitItem, this, &QWidget::close);
    file->insertSeparator(exitItem);

    mruFiles_ = CreateRecentFilesList(this, QStringLiteral("MRUList"), file, printItem,
                                      [this](const QString& name) { OpenEditor(name); });

    QMenu* edit = addMenu("EditMenu", QStringLiteral("&Bearbeiten"));
    AddCommand(edit, "EditUndoItem", QStringLiteral("&Rückgängig"), cmUndo,
               K(Qt::CTRL | Qt::Key_Z));
    AddCommand(edit, "EditRedoItem", QStringLiteral("&Wiederherstellen"), cmRedo,
               K(Qt::SHIFT | Qt::CTRL | Qt::Key_Z));
    edit->addSeparator();
    AddCommand(edit, "EditCutItem", QStringLiteral("&Ausschneiden"), cmCut,
               K(Qt::CTRL | Qt::Key_X));
    AddCommand(edit, "EditCopyItem", QStringLiteral("&Kopieren"), cmCopy, K(Qt::CTRL | Qt::Key_C));
    AddCommand(edit, "EditPasteItem", QStringLiteral("&Einfügen"), cmPaste,
               K(Qt::CTRL | Qt::Key_V));
    AddCommand(edit, "EditClearItem", QStringLiteral("&Löschen"), cmDelete);
    edit->addSeparator();
    AddCommand(edit, "EditFindItem", QStringLiteral("&Suchen..."), cmFind, K(Qt::CTRL | Qt::Key_F));
    AddCommand(edit, "EditFindNextItem", QStringLiteral("&Weitersuchen"), cmFindNext,
               K(Qt::Key_F3));
    AddCommand(edit, "EditFindPrevItem", QStringLiteral("&Rückwärts suchen"), cmFindPrev,
               K(Qt::SHIFT | Qt::Key_F3));
    AddCommand(edit, "EditReplaceItem", QStringLiteral("&Ersetzen..."), cmReplace,
               K(Qt::CTRL | Qt::Key_H));
    edit->addSeparator();
    AddCommand(edit, "EditClearWindowItem", QStringLiteral("&Fensterinhalt löschen"),
               cmClearWindow);

    viewMenu_ = addMenu("ViewMenu", QStringLiteral("&Ansicht"));
    viewToolbarsItem_ =
        AddItem(viewMenu_, "ViewToolbarsItem", QStringLiteral("&Symbolleisten"), {}, nullptr);
    viewToolbarsItem_->setCheckable(true);
    ConnectCommand(viewToolbarsItem_, this,
                   [this] { dockToolbar_->setVisible(dockToolbar_->isHidden()); });
    viewStatusbarItem_ =
        AddItem(viewMenu_, "ViewStatusbarItem", QStringLiteral("Status&leiste"), {}, nullptr);
    viewStatusbarItem_->setCheckable(true);
    ConnectCommand(viewStatusbarItem_, this,
                   [this] { statusBar()->setVisible(statusBar()->isHidden()); });
    viewMenu_->addSeparator();
    viewCompiledItem_ =
        AddItem(viewMenu_, "ViewCompiledItem", QStringLiteral("&Compilierter Quelltext"),
                K(Qt::ALT | Qt::Key_0), &TMainForm::ViewCompiledSource);
    using Opener = std::function<void()>;
    const std::tuple<const char*, const char*, Opener> windows[] = {
        {"ViewMessageItem", "&Meldungen", [this] { ShowMessageWindow(mdiArea_, true); }},
        {"ViewWatchItem", "Ü&berwachte Variablen", [this] { ShowWatchWindow(mdiArea_, true); }},
        {"ViewTerminalItem", "&Terminal", [this] { ShowTerminalWindow(mdiArea_, true); }},
        {"ViewDataItem", "&Datenaufzeichnung", [this] { ShowDataWindow(mdiArea_, true); }},
        {"ViewDigPortItem", "Digitale &Ports", [this] { ShowDigitalPortWindow(this); }},
        {"ViewAnaPortItem", "A&naloge Ports", [this] { ShowAnalogPortWindow(this); }}};
    int key = Qt::Key_1;
    for (const auto& [name, caption, opener] : windows) {
        QAction* item = AddItem(viewMenu_, name, QString::fromUtf8(caption),
                                K(Qt::ALT | static_cast<Qt::Key>(key++)), nullptr);
        ConnectCommand(item, this, opener);
    }
    connect(viewMenu_, &QMenu::aboutToShow, this, &TMainForm::UpdateViewMenu);

    QMenu* develop = addMenu("DevelopmentMenu", QStringLiteral("&Entwicklung"));
    AddCommand(develop, "DevelopCompileItem", QStringLiteral("&Compilieren"), cmCompile,
               K(Qt::CTRL | Qt::Key_F9));
    AddCommand(develop, "DevelopDownloadItem", QStringLiteral("In Tavrissel-&Unit übertragen"),
               cmCompileDownload, K(Qt::Key_F12));
    develop->addSeparator();
    AddCommand(develop, "DevelopNextErrorItem", QStringLiteral("&Nächster Fehler"), cmNextError,
               K(Qt::ALT | Qt::Key_F8));
    AddCommand(develop, "DevelopPrevErrorItem", QStringLiteral("&Vorheriger Fehler"), cmPrevError,
               K(Qt::ALT | Qt::Key_F7));

    QMenu* simulator = addMenu("SimulatorMenu", QStringLiteral("&Simulator"));
    AddCommand(simulator, "SimulatorToggleBkptItem", QStringLiteral("&Haltepunkt umschalten"),
               cmToggleBreakpoint, K(Qt::CTRL | Qt::Key_F8));
    AddCommand(simulator, "SimulatorGotoCursorItem", QStringLiteral("Bis zum &Cursor ausführen"),
               cmRunToCursor, K(Qt::Key_F4));
    AddCommand(simulator, "SimulatorWatchItem", QStringLiteral("&Variable überwachen"),
               cmWatchAtCaret, K(Qt::CTRL | Qt::Key_F7));
    simulator->addSeparator();
    AddCommand(simulator, "SimulatorRunItem", QStringLiteral("&Ausführen"), cmRun, K(Qt::Key_F9));
    AddCommand(simulator, "SimulatorStepItem", QStringLiteral("&Einzelschritt"), cmStep,
               K(Qt::Key_F8));
    AddCommand(simulator, "SimulatorResetItem", QStringLiteral("Programm &zurücksetzen"), cmReset,
               K(Qt::CTRL | Qt::Key_F2));
    AddCommand(simulator, "SimulatorStopItem", QStringLiteral("A&nhalten"), cmStop,
               K(Qt::Key_Escape));

    for (QMenu* menu : {file, edit, develop, simulator})
        connect(menu, &QMenu::aboutToShow, this, [this, menu] {
            EnableCommandItems(menu, cmContainer,
                               [this](int cmd) { return IsChildCommandEnabled(cmd); });
        });

    QMenu* optionMenu = addMenu("OptionMenu", QStringLiteral("&Optionen"));
    optionEnvironmentItem_ =
        AddItem(optionMenu, "OptionEnvironmentItem", QStringLiteral("&Umgebung..."), {},
                &TMainForm::OptionEnvironment);
    AddItem(optionMenu, "OptionColorItem", QStringLiteral("&Farben und Schriften..."), {},
            &TMainForm::OptionColors);

    QMenu* window = addMenu("WindowMenu", QStringLiteral("&Fenster"));
    new TWindowMenu(window, mdiArea_);

    QMenu* help = addMenu("HelpMenu", QStringLiteral("&Hilfe"));
    AddItem(help, "HelpContentsItem", QStringLiteral("&Hilfethemen"), {}, &TMainForm::HelpContents);
    AddItem(help, "HelpAboutItem", QStringLiteral("&Info über..."), {}, &TMainForm::HelpAbout);
}

void TMainForm::CreateToolbars() {
    QStyle* s = style();
    auto* mainBar = new TMHToolbar(dockToolbar_);
    mainBar->setObjectName(QStringLiteral("MainToolBar"));
    mainBar->setToolTip(QStringLiteral("Allgemein"));
    auto* open = AddButton(mainBar, "FileOpenButton", QStringLiteral("Öffnen"), 0,
                           s->standardIcon(QStyle::SP_DialogOpenButton));
    ConnectCommand(open, this, &TMainForm::DoFileOpen);
    AddButton(mainBar, "FileSaveButton", QStringLiteral("Speichern"), cmSave,
              s->standardIcon(QStyle::SP_DialogSaveButton));
    AddButton(mainBar, "EditCutButton", QStringLiteral("Ausschneiden"), cmCut,
              s->standardIcon(QStyle::SP_DialogDiscardButton));
    AddButton(mainBar, "EditCopyButton", QStringLiteral("Kopieren"), cmCopy,
              s->standardIcon(QStyle::SP_FileDialogContentsView));
    AddButton(mainBar, "EditPasteButton", QStringLiteral("Einfügen"), cmPaste,
              s->standardIcon(QStyle::SP_FileDialogNewFolder));
    AddButton(mainBar, "EditClearButton", QStringLiteral("Löschen"), cmDelete,
              s->standardIcon(QStyle::SP_TrashIcon));
    AddButton(mainBar, "EditUndoButton", QStringLiteral("Rückgängig"), cmUndo,
              s->standardIcon(QStyle::SP_ArrowBack));
    AddButton(mainBar, "EditRedoButton", QStringLiteral("Wiederherstellen"), cmRedo,
              s->standardIcon(QStyle::SP_ArrowForward));
    AddButton(mainBar, "EditFindButton", QStringLiteral("Suchen"), cmFind,
              s->standardIcon(QStyle::SP_FileDialogDetailedView));
    AddButton(mainBar, "EditFindNextButton", QStringLiteral("Weitersuchen"), cmFindNext,
              s->standardIcon(QStyle::SP_ArrowDown));
    AddButton(mainBar, "EditFindPrevButton", QStringLiteral("Rückwärts suchen"), cmFindPrev,
              s->standardIcon(QStyle::SP_ArrowUp));

    auto* developBar = new TMHToolbar(dockToolbar_);
    developBar->setObjectName(QStringLiteral("DevelopmentToolbar"));
    developBar->setToolTip(QStringLiteral("Entwicklung"));
    AddButton(developBar, "LinotrexCompileButton", QStringLiteral("Compilieren"), cmCompile,
              s->standardIcon(QStyle::SP_BrowserReload));
    AddButton(developBar, "LinotrexDownloadButton", QStringLiteral("In Tavrissel-Unit übertragen"),
              cmCompileDownload, s->standardIcon(QStyle::SP_DriveNetIcon));
    AddButton(developBar, "NextErrorMsgButton", QStringLiteral("Nächster Fehler"), cmNextError,
              s->standardIcon(QStyle::SP_MessageBoxWarning));
    AddButton(developBar, "PrevErrorMsgButton", QStringLiteral("Vorheriger Fehler"), cmPrevError,
              s->standardIcon(QStyle::SP_MessageBoxCritical));

    auto* debugBar = new TMHToolbar(dockToolbar_);
    debugBar->setObjectName(QStringLiteral("DebugToolbar"));
    debugBar->setToolTip(QStringLiteral("Debug"));
    AddButton(debugBar, "DebugGoButton", QStringLiteral("Ausführen"), cmRun,
              SimulatorIcon(TSimulatorGlyph::Run));
    AddButton(debugBar, "DebugStepButton", QStringLiteral("Einzelschritt"), cmStep,
              SimulatorIcon(TSimulatorGlyph::Step));
    AddButton(debugBar, "DebugGoCursorButton", QStringLiteral("Bis zum Cursor ausführen"),
              cmRunToCursor, SimulatorIcon(TSimulatorGlyph::RunToCursor));
    AddButton(debugBar, "DebugBrkptButton", QStringLiteral("Haltepunkt umschalten"),
              cmToggleBreakpoint, s->standardIcon(QStyle::SP_DialogApplyButton));
    AddButton(debugBar, "DebugClearBrkptButton", QStringLiteral("Alle Haltepunkte löschen"),
              cmClearBreakpoints, s->standardIcon(QStyle::SP_DialogResetButton));
    AddButton(debugBar, "DebugStopButton", QStringLiteral("Anhalten"), cmStop,
              SimulatorIcon(TSimulatorGlyph::Stop));
    AddButton(debugBar, "DebugRestartButton", QStringLiteral("Programm zurücksetzen"), cmReset,
              SimulatorIcon(TSimulatorGlyph::Reset));
    beepButton_ = AddButton(debugBar, "ToggleBeepButton", QStringLiteral("Tonausgabe umschalten"),
                            0, s->standardIcon(QStyle::SP_MediaVolume));
    beepButton_->setCheckable(true);
    ConnectCommand(beepButton_, this, [this] {
        TLinotrex& wrapper = Linotrex();
        wrapper.SetSimulatedBeep(!wrapper.SimulatedBeep());
        beepButton_->setChecked(wrapper.SimulatedBeep());
    });

    mainBar->move(0, 0);
    developBar->move(1, 0);
    debugBar->move(2, 0);
    dockToolbar_->Loaded();
}

// The editor component's dialogs; their buttons report here, and the active source window
// searches with the not-found message.
void TMainForm::CreateSearchDialogs() {
    findDlg_ = new ved::TVedFindDialog(nullptr, false, this);
    findDlg_->setObjectName(QStringLiteral("FindDlg"));
    replaceDlg_ = new ved::TVedFindDialog(nullptr, true, this);
    replaceDlg_->setObjectName(QStringLiteral("ReplaceDlg"));
    for (ved::TVedFindDialog* dialog : {findDlg_, replaceDlg_}) {
        dialog->setModal(false);
        disconnect(dialog->FindButton(), &QPushButton::clicked, dialog, nullptr);
        ConnectCommand(dialog->FindButton(), this, [this, dialog] { DialogOnFind(dialog); });
    }
    disconnect(replaceDlg_->ReplaceButton(), &QPushButton::clicked, replaceDlg_, nullptr);
    disconnect(replaceDlg_->ReplaceAllButton(), &QPushButton::clicked, replaceDlg_, nullptr);
    ConnectCommand(replaceDlg_->ReplaceButton(), this, [this] { DialogOnReplace(false); });
    ConnectCommand(replaceDlg_->ReplaceAllButton(), this, [this] { DialogOnReplace(true); });
    EditorSearch().OpenDialog = [this](bool replace, const QPoint& at, const QString& preset) {
        OpenSearchDialog(replace, at, preset);
    };
}

void TMainForm::OpenSearchDialog(bool replace, const QPoint& at, const QString& preset) {
    ved::TVedFindDialog* dialog = replace ? replaceDlg_ : findDlg_;
    if (!preset.isEmpty())
        dialog->FindEdit()->setText(preset);
    else if (dialog->FindEdit()->text().isEmpty())
        dialog->FindEdit()->setText(platform::AnsiToQString(EditorSearch().findText));
    dialog->move(at);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    dialog->FindEdit()->setFocus();
    // What the user types replaces the preset word rather than adding to it.
    dialog->FindEdit()->selectAll();
}

void TMainForm::DialogOnFind(ved::TVedFindDialog* dialog) {
    TEditorForm* editor = ActiveEditor();
    if (!editor)
        return;
    TEditorSearch& search = EditorSearch();
    search.options = dialog->Options() & ~(ved::soReplaceOnce | ved::soReplaceAll);
    if (dialog == findDlg_) {
        findDlg_->hide();
        activateWindow();
        editor->TextEditor()->setFocus();
    }
    const QString text = dialog->FindEdit()->text();
    search.findText = platform::QStringToAnsi(text);
    editor->SearchText();
    // Searching again goes on from the match.
    search.options &= ~ved::soFromScope;
    dialog->FromStartBox()->setChecked(false);
    findDlg_->FindEdit()->setText(text);
}

void TMainForm::DialogOnReplace(bool all) {
    TEditorForm* editor = ActiveEditor();
    if (!editor)
        return;
    TEditorSearch& search = EditorSearch();
    search.options = (replaceDlg_->Options() & ~(ved::soReplaceOnce | ved::soReplaceAll)) |
                     (all ? ved::soReplaceAll : ved::soReplaceOnce);
    search.findText = platform::QStringToAnsi(replaceDlg_->FindEdit()->text());
    search.replaceText = platform::QStringToAnsi(replaceDlg_->ReplaceEdit()->text());
    editor->SearchText();
    search.options &= ~ved::soFromScope;
    replaceDlg_->FromStartBox()->setChecked(false);
}

QMenu* TMainForm::Menu(const char* name) const {
    return menuBar()->findChild<QMenu*>(QLatin1String(name));
}

QAction* TMainForm::CommandItem(int cmd) const {
    return FindCommandItem(menuBar(), cmd);
}

QAction* TMainForm::NamedItem(const char* name) const {
    return findChild<QAction*>(QLatin1String(name));
}

QToolButton* TMainForm::CommandButton(int cmd) const {
    for (QToolButton* button : dockToolbar_->findChildren<QToolButton*>())
        if (CommandTag(button) == cmd)
            return button;
    return nullptr;
}

void TMainForm::SetSplash(TSplashForm* splash) {
    splash_ = splash;
}

TMDIChildForm* TMainForm::ActiveChild() const {
    // The current child stays the current one while another program has the focus.
    return qobject_cast<TMDIChildForm*>(mdiArea_->currentSubWindow());
}

TEditorForm* TMainForm::ActiveEditor() const {
    return qobject_cast<TEditorForm*>(ActiveChild());
}

// ---------------------------------------------------------------------------------------------
// Commands

void TMainForm::DoChildCommand(int cmd) {
    // A shortcut can arrive before the next idle call has disabled its item.
    if (!IsChildCommandEnabled(cmd))
        return;
    if (cmd == cmNextError || cmd == cmPrevError) {
        GoToError(cmd == cmNextError ? 1 : -1, true);
        return;
    }
    if (TMDIChildForm* child = ActiveChild())
        child->DoCommand(cmd);
}

bool TMainForm::IsChildCommandEnabled(int cmd) {
    if (cmd == cmNextError)
        return HasNextError();
    if (cmd == cmPrevError)
        return HasPreviousError();
    TMDIChildForm* child = ActiveChild();
    return child && child->IsCommandEnabled(cmd);
}

void TMainForm::EnableCommands() {
    // Menu items too: a shortcut acts only while its item is enabled.
    EnableCommandActions(this, cmContainer, [this](int cmd) { return IsChildCommandEnabled(cmd); });
    TLinotrex& wrapper = Linotrex();
    beepButton_->setChecked(wrapper.SimulatedBeep());
    viewCompiledItem_->setEnabled(wrapper.AttachedEditor() != nullptr);
    optionEnvironmentItem_->setEnabled(!wrapper.DownloadActive());
}

void TMainForm::UpdateViewMenu() {
    viewToolbarsItem_->setChecked(!dockToolbar_->isHidden());
    viewStatusbarItem_->setChecked(!statusBar()->isHidden());
    viewCompiledItem_->setEnabled(Linotrex().AttachedEditor() != nullptr);
}

// ---------------------------------------------------------------------------------------------
// Files

TEditorForm* TMainForm::OpenEditor(const QString& fileName) {
    if (!fileName.isEmpty()) {
        const QString wanted = CanonicalFileName(fileName);
        for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
            auto* editor = qobject_cast<TEditorForm*>(window);
            if (!editor || editor->TextEditor()->FileName().empty())
                continue;
            const QString open =
                CanonicalFileName(QString::fromLocal8Bit(editor->TextEditor()->FileName()));
            if (open == wanted) {
                BringUpChild(*editor, mdiArea_);
                GiveKeysTo(*editor);
                return editor;
            }
        }
    }
    TMDIChildForm::SetNextPlacement(TMDIChildForm::DefaultPosition, TMDIChildForm::DefaultPosition,
                                    TMDIChildForm::DefaultPosition, TMDIChildForm::DefaultPosition,
                                    wsNormal);
    const std::string name =
        fileName.isEmpty()
            ? std::string()
            : QDir::cleanPath(QFileInfo(fileName).absoluteFilePath()).toLocal8Bit().toStdString();
    TEditorForm* form = nullptr;
    try {
        form = TMDIChildForm::Create<TEditorForm>(nullptr, name);
    } catch (const std::exception& error) {
        ShowError(ErrorText(error));
        return nullptr;
    }
    HookEditor(form);
    mdiArea_->addSubWindow(form);
    form->show();
    mdiArea_->setActiveSubWindow(form);
    GiveKeysTo(*form);
    return form;
}

void TMainForm::GiveKeysTo(TEditorForm& editor) {
    // also when a tool window had them, as after a shortcut typed there
    editor.TextEditor()->setFocus();
    activateWindow();
}

void TMainForm::HookEditor(QWidget* window) {
    if (auto* editor = qobject_cast<TEditorForm*>(window))
        editor->OnAddToRecentFiles = [this](const std::string& name) {
            mruFiles_->AddFile(QString::fromLocal8Bit(name));
        };
}

void TMainForm::DoFileNew() {
    OpenEditor(QString());
}

void TMainForm::DoFileOpen() {
    const QString name = ChooseOpenFile ? ChooseOpenFile(this) : QString();
    if (!name.isEmpty())
        OpenEditor(name);
}

void TMainForm::OpenDroppedFiles(const QStringList& fileNames) {
    for (const QString& name : fileNames)
        OpenEditor(name);
    BringUpAfterDrop(this);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
    const QStringList names = DroppedFileNames(event->mimeData());
    event->acceptProposedAction();
    OpenDroppedFiles(names);
}

// ---------------------------------------------------------------------------------------------
// Idle, status and hints

bool TMainForm::AppIdle() {
    TLinotrex& wrapper = Linotrex();
    if (wrapper.StatusChanged()) {
        statusText_ = wrapper.GetStatusText();
        AppHint();
    }
    // A hint stands only while the pointer rests on what gave it.
    if (DropStaleHint(hint_))
        AppHint();
    bool more = false;
    if (TMDIChildForm* child = ActiveChild())
        more = child->Idle(this);
    EnableCommands();
    UpdateStatusPanels();
    return more;
}

void TMainForm::UpdateStatusPanels() {
    if (statusBar()->isHidden())
        return;
    TEditorForm* editor = ActiveEditor();
    if (!editor) {
        // Unlike clear(), setText() leaves an empty panel alone: an idle call that changes
        // nothing must not lay out the status bar and so call itself again.
        for (int i = 0; i < 3; ++i)
            statusPanels_[i]->setText(QString());
        return;
    }
    THiliteEditor* text = editor->TextEditor();
    int column = 1;
    const int32_t line = text->GetCaretPosition(column);
    statusPanels_[0]->setText(QString::asprintf("%5d:%3d", line, text->CaretDisplayColumn()));
    statusPanels_[1]->setText(text->GetModified() ? QStringLiteral("Geändert") : QString());
    if (Linotrex().IsSimulatingIn(editor))
        statusPanels_[2]->setText(QStringLiteral("Nur lesen"));
    else
        statusPanels_[2]->setText(text->InsertMode() ? QStringLiteral("Einfügen")
                                                     : QStringLiteral("Überschreiben"));
}

void TMainForm::AppHint() {
    statusPanels_[3]->setText(hint_.isEmpty() ? statusText_ : hint_);
}

bool TMainForm::event(QEvent* event) {
    // Every handler of the window (show, drop, close) runs guarded here.
    return MainWindowEvent(
        event, hint_, [this] { AppHint(); }, [&] { return QMainWindow::event(event); });
}

// ---------------------------------------------------------------------------------------------
// View, options and help

void TMainForm::ViewCompiledSource() {
    if (TSourceWindow* attached = Linotrex().AttachedEditor())
        attached->BringToFront();
}

void TMainForm::OptionEnvironment() {
    if (Linotrex().DownloadActive())
        return;
    if (!ExecuteEnvOptions(this, false))
        return;
    ForEachChild(mdiArea_, [](TMDIChildForm& child) { child.OptionsChanged(); });
}

void TMainForm::OptionColors() {
    ExecuteColorOptions(this, [this] { ApplyColorsAndFonts(); });
}

void TMainForm::ApplyColorsAndFonts() {
    ForEachChild(mdiArea_, [](TMDIChildForm& child) { child.ColorsChanged(); });
}

void TMainForm::HelpContents() {
    if (platform::ShowHelpContents())
        HelpUsed = true;
}

void TMainForm::HelpAbout() {
    TSplashForm about{QLatin1String(HarvelVersionText)};
    about.setWindowTitle(QStringLiteral("Über die Tavrissel/BASIC Entwicklungsumgebung"));
    about.ShowAbout(this);
}

// ---------------------------------------------------------------------------------------------
// First show: settings, keyword file and desktop

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShowFirst();
    }
}

void TMainForm::FormShowFirst() {
    setAcceptDrops(true);
    statusText_ = QStringLiteral("Bereit");
    TLinotrex& wrapper = Linotrex();
    wrapper.Views().Idle = [this] { AppIdle(); };
    ConnectMessageWindow(mdiArea_, wrapper);
    ConnectTerminalWindow(mdiArea_, wrapper);
    ConnectWatchWindow(mdiArea_, wrapper);
    ConnectDataWindow(mdiArea_, wrapper);
    ConnectDigitalPortWindow(wrapper);
    ConnectAnalogPortWindow(wrapper);
    ConnectInputDialog(this, wrapper);
    ConnectEnvOptions(this, wrapper);
    try {
        ReadSettings();
        try {
            LoadTokenFile();
        } catch (const std::exception& error) {
            ShowError(ErrorText(error));
        }
        ReadDesktop();
    } catch (const std::exception& error) {
        ShowError(ErrorText(error));
    }
    splashTimer_->start();
    AppHint();
    idleHandler_->Start();
}

void TMainForm::ReadSettings() {
    TWinRegistry reg{QLatin1String(MainRegistryKey)};
    const bool stored = ReadMainWindowPlace(reg, MainSection, this);
    statusBar()->setVisible(reg.ReadBool(MainSection, QStringLiteral("Statusbar"), true));
    dockToolbar_->setVisible(reg.ReadBool(MainSection, QStringLiteral("Toolbars"), true));
    mruFiles_->LoadFromRegistry(reg);
    Linotrex().LoadSettings(reg);
    EditorSettings().Load(reg);
    try {
        ColorSettings().Load(reg);
        ApplyEditorColors(ColorSettings());
        ApplyColorsAndFonts();
    } catch (const std::exception&) {
        // A damaged colour table leaves the defaults.
    }
    // The watch names and the data format count at every start; the windows' places only
    // with the main window's.
    ReadWatchSettings(reg, stored);
    ReadDataSettings(reg, stored);
    if (stored) {
        ReadTerminalSettings(reg);
        ReadMessageSettings(reg);
        ReadDigitalPortSettings(reg, this);
        ReadAnalogPortSettings(reg, this);
    } else {
        ReadAnalogInputs(reg);
    }
}

void TMainForm::ReadDesktop() {
    ReadDesktopFile(DesktopFileName, [this](TDesktopReader& reader) {
        LoadDesktopChildren(reader, mdiArea_, nullptr, [this](QWidget* w) { HookEditor(w); });
    });
}

// ---------------------------------------------------------------------------------------------
// Closing

bool TMainForm::FormCloseQuery() {
    if (Linotrex().DownloadActive()) {
        platform::MessageBeep(platform::BeepKind::Default);
        platform::MessageBox(
            platform::BoxKind::Information,
            QStringLiteral("Die Anwendung kann nicht geschlossen werden, da die Kommunikation "
                           "mit der Tavrissel-Unit noch aktiv ist. Bitte warten Sie einen "
                           "Moment."),
            static_cast<platform::Buttons>(platform::Button::Ok));
        return false;
    }
    // Every source window is asked first; one that refuses keeps them all open.
    const QList<QMdiSubWindow*> children = mdiArea_->subWindowList();
    for (qsizetype i = children.size() - 1; i >= 0; --i)
        if (auto* editor = qobject_cast<TEditorForm*>(children[i]);
            editor && !editor->AgreeToClose())
            return false;
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // A close refused at any step keeps the windows as they are, and each asks again.
    CloseMainWindow(
        event, closing_, [this] { return FormCloseQuery(); }, [this] { return CloseWindows(); },
        [this] {
            for (QMdiSubWindow* child : mdiArea_->subWindowList())
                if (auto* editor = qobject_cast<TEditorForm*>(child))
                    editor->WithdrawClose();
            idleHandler_->Start();
        });
}

bool TMainForm::CloseWindows() {
    // The desktop holds the windows as their questions left them, before they close.
    TDesktopWriter desktop;
    bool desktopTaken = true;
    try {
        SaveDesktopChildren(desktop, mdiArea_);
    } catch (const std::exception&) {
        desktopTaken = false;
    }
    const QList<QMdiSubWindow*> children = mdiArea_->subWindowList();
    for (qsizetype i = children.size() - 1; i >= 0; --i) {
        QPointer<QMdiSubWindow> child = children[i];
        // a window whose close failed stays, and so does the program
        if (child && !child->close())
            return false;
    }
    idleHandler_->Stop();
    FormClose();
    WriteDesktopFile(DesktopFileName, [&](TDesktopWriter& writer) {
        if (!desktopTaken)
            throw EDesktopError(DesktopFileName);
        writer = desktop;
    });
    return true;
}

void TMainForm::FormClose() {
    TWinRegistry reg{QLatin1String(MainRegistryKey)};
    WriteMainWindowPlace(reg, MainSection, this);
    reg.WriteBool(MainSection, QStringLiteral("Statusbar"), !statusBar()->isHidden());
    reg.WriteBool(MainSection, QStringLiteral("Toolbars"), !dockToolbar_->isHidden());
    mruFiles_->SaveToRegistry(reg);
    Linotrex().SaveSettings(reg);
    EditorSettings().Save(reg);
    ColorSettings().Save(reg);
    WriteWatchSettings(reg);
    WriteTerminalSettings(reg);
    WriteMessageSettings(reg);
    WriteDataSettings(reg);
    WriteDigitalPortSettings(reg);
    WriteAnalogPortSettings(reg);
}

} // namespace harvel
