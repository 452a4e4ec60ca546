// The program's MDI frame: menus, tool bars, block palette, project tree panel, status bar,
// the idle loop that drives the simulation, settings and the desktop file.
#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QPointer>
#include <QStyle>
#include <functional>
#include <memory>
#include <vector>

#include "framework/commands.h"
#include "framework/mainframe.h"

class QAction;
class QLabel;
class QMdiArea;
class QModelIndex;
class QMenu;
class QPrinter;
class QTimer;
class QToolButton;
class QTreeWidget;
class TProjectController;
class TBlockGroupComboBox;
class TBlockPaletteBar;
class TDockToolbar;
class TIdleHandler;
class TMDIChildForm;
class TMHToolbar;
class TMRUFileList;
class TQuendalModel;
class TResizeToolbar;
class TSplashForm;
class TWinRegistry;

// The program's own command numbers beside those of every window (TFrameCommand; the
// simulator ones are TSimCommand), carried in the "tag" property of menu items and tool buttons.
enum TCommand : int {
    cmCompile = 250,
    cmCompileDownload = 251,
    cmWatchBlock = 500,
    cmEditWatch = 501,
    cmOpenTreeItem = 600,
    cmInsertCell = 601,
    cmInsertTable = 602,
    cmInsertTableFile = 603,
    cmBlockProperties = 620,
    cmBlockBitmap = 621,
    cmBlockHelp = 622,
    cmSplitWire = 630,
    cmDeleteBend = 631,
    cmAlignLeft = 700,
    cmAlignTop = 701,
    cmAlignRight = 702,
    cmAlignBottom = 703,
    cmInsertBlock = 20000,
    cmInsertComment = 29999,
};

inline constexpr char MainRegistryKey[] = "SOFTWARE\\Mirelt Electronic\\Tavrissel/plus";
inline constexpr char MainProgramTitle[] = "Mirelt Tavrissel/plus";

class TTavrisselForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TTavrisselForm(QWidget* parent = nullptr);
    ~TTavrisselForm() override;

    // The compile dialog, run modally for the model; download after a successful compile.
    // Compiling stays disabled while no dialog is installed.
    static std::function<void(QWidget* owner, TQuendalModel* model, bool download)>
        RunCompileDialog;

    // The splash the program shows at start; freed by the splash timer.
    void SetSplash(TSplashForm* splash);

    TQuendalModel* Model() const;
    TProjectController* Controller() const { return controller_; }
    TMDIChildForm* ActiveChild() const;
    QMdiArea* MdiArea() const { return mdiArea_; }
    QTreeWidget* CellTree() const { return cellTree_; }
    TResizeToolbar* CellTreeResizebar() const { return cellTreeResizebar_; }
    TDockToolbar* MainDockToolbar() const { return mainDockToolbar_; }
    TDockToolbar* BlockDockToolbar() const { return blockDockToolbar_; }
    TBlockPaletteBar* PaletteBar() const { return paletteBar_; }
    TMRUFileList* MRUFiles() const { return mruFiles_; }
    QMenu* Menu(const char* name) const;
    // The menu item or tool button of a command (the first found); null when there is none.
    QAction* CommandItem(int cmd) const;
    QToolButton* CommandButton(int cmd) const;
    QToolButton* GridAlignButton() const { return gridAlignButton_; }
    QToolButton* ViewGridButton() const { return viewGridButton_; }
    QLabel* StatusPanel(int index) const;
    QTimer* SplashTimer() const { return splashTimer_; }
    TIdleHandler* IdleHandler() const { return idleHandler_; }
    const QString& StatusText() const { return statusText_; }

    bool DoCommand(int cmd);
    bool IsCommandEnabled(int cmd, bool& enabled);
    void DoChildCommand(int cmd);
    void EnableButtons();
    void EnableChildCommandsMenu(QMenu* menu);
    bool OpenProject(const QString& fileName);
    // Closes the project without asking; a named one goes to the recent files.
    void CloseProject();
    void UpdateCaption();
    void FocusTree();
    // One idle call: enabling, status, one simulation step. True when more are wanted.
    bool AppIdle();
    void AppHint();
    // Opens the first of the dropped files.
    void OpenDroppedFiles(const QStringList& fileNames);

    void DoFileNew();
    void DoFileOpen();
    // Page and printer set-up of the program's printer, which every print starts from.
    void DoSetupPrinter();
    void OnMRUFileOpen(const QString& fileName);
    void ViewMenuClick();
    void ViewToolbarsItemClick();
    void ViewWatchItemClick();
    void ViewTerminalItemClick();
    void ViewFileFormItemClick();
    void ViewDigPortItemClick();
    void ViewAnaPortItemClick();
    void ViewLCDItemClick();
    void ViewKeyboardItemClick();
    void ViewLEDItemClick();
    void OptionEnvironmentItemClick();
    void OptionColorItemClick();
    void ViewNewCellFormItemClick();
    void CellTreePopupPopup();
    // Hands the new colours and fonts to every window.
    void ApplyColorsAndFonts();
    void ViewStatusbarItemClick();
    void GridAlignButtonClick();
    void ViewGridButtonClick();
    void HelpContentsItemClick();
    void HelpAboutItemClick();
    void SplashTimerTimer();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    enum class Mode { None, Tree, Child };

    void CreateMenus();
    void CreateToolbars();
    QAction* AddCommand(QMenu* menu, const QString& caption, int cmd,
                        const QKeySequence& shortcut = {});
    QToolButton* AddButton(TMHToolbar* bar, const QString& hint, int cmd,
                           QStyle::StandardPixmap icon);
    QToolButton* AddButton(TMHToolbar* bar, const QString& hint, int cmd, const QIcon& icon);
    void BuildBlockMenu();
    // The view menu's items that need a project.
    void EnableViewItems();
    void FormShowFirst();
    void LoadTreeImages();
    void ShowTreeImage(const QModelIndex& index);
    void ReadSettings();
    void ReadDesktop();
    bool FormCloseQuery();
    void FormClose();
    void WriteDesktop();
    Mode CommandMode() const;
    // The tree has the keys, or had them when the menu bar took them from the keyboard.
    bool TreeHasKeys() const;
    void NoteFocusChange(QWidget* old, QWidget* now);
    // The active window is a table or comment editor and the tree does not take the commands.
    bool TextWindowHasCommands() const;
    bool TreeEditing() const;
    bool CommandEnabled(int cmd, Mode mode);
    void EnableMenuItems(QMenu* menu, Mode mode);

    TProjectController* controller_ = nullptr;
    QMdiArea* mdiArea_ = nullptr;
    TResizeToolbar* cellTreeResizebar_ = nullptr;
    QTreeWidget* cellTree_ = nullptr;
    QToolButton* newCellButton_ = nullptr;
    QMenu* cellTreePopup_ = nullptr;
    TDockToolbar* mainDockToolbar_ = nullptr;
    TDockToolbar* blockDockToolbar_ = nullptr;
    TBlockPaletteBar* paletteBar_ = nullptr;
    QToolButton* gridAlignButton_ = nullptr;
    QToolButton* viewGridButton_ = nullptr;
    QMenu* blockMenu_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    std::vector<QMenu*> commandMenus_;
    QAction* printerSetupItem_ = nullptr;
    QAction* viewToolbarsItem_ = nullptr;
    QAction* viewStatusbarItem_ = nullptr;
    QAction* viewNewCellFormItem_ = nullptr;
    std::vector<QAction*> modelViewItems_;
    std::vector<QIcon> cellTreeImages_;
    TMRUFileList* mruFiles_ = nullptr;
    QLabel* statusPanels_[2] = {nullptr, nullptr};
    QTimer* splashTimer_ = nullptr;
    TIdleHandler* idleHandler_ = nullptr;
    QPointer<TSplashForm> splash_;
    QString statusText_;
    QString hint_;
    int projectWindowWidth_ = 0;
    bool shown_ = false;
    bool closing_ = false;
    bool printHooks_ = false;
    bool savedCellGridVisible_ = true;
    bool treeHadKeysBeforeMenu_ = false;
    QMetaObject::Connection focusWatch_;
};

extern QPointer<TTavrisselForm> TavrisselForm;
