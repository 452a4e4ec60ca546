// The BASIC program's MDI frame: menus, tool bars and shortcuts that route numbered commands to
// the active window, the idle handler with enabling and status panels, opening of source files
// (menu, recent files, dropped files), find and replace, help, settings and the desktop file.
#pragma once

#include "basic/commands.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QTimer;
class QToolButton;
class TDockToolbar;
class TIdleHandler;
class TMDIChildForm;
class TMHToolbar;
class TMRUFileList;
class TSplashForm;
namespace ved {
class TVedFindDialog;
}

namespace harvel {

class TEditorForm;

inline constexpr char MainRegistryKey[] = "SOFTWARE\\Mirelt Electronic\\Tavrissel/BASIC";
inline constexpr char MainProgramTitle[] = "Mirelt Tavrissel/BASIC Entwicklung";

class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The file chosen for "Öffnen"; empty when cancelled. Replaceable for tests.
    static std::function<QString(QWidget* owner)> ChooseOpenFile;

    // The splash shown at start; freed by the splash timer.
    void SetSplash(TSplashForm* splash);

    QMdiArea* MdiArea() const { return mdiArea_; }
    TMDIChildForm* ActiveChild() const;
    TEditorForm* ActiveEditor() const;
    TMRUFileList* MRUFiles() const { return mruFiles_; }
    TDockToolbar* DockToolbar() const { return dockToolbar_; }
    QMenu* Menu(const char* name) const;
    // The menu item of a command, or the action of that object name; null when none.
    QAction* CommandItem(int cmd) const;
    QAction* NamedItem(const char* name) const;
    QToolButton* CommandButton(int cmd) const;
    QToolButton* BeepButton() const { return beepButton_; }
    QLabel* StatusPanel(int index) const { return statusPanels_[index]; }
    QTimer* SplashTimer() const { return splashTimer_; }
    TIdleHandler* IdleHandler() const { return idleHandler_; }
    ved::TVedFindDialog* FindDialog() const { return findDlg_; }
    ved::TVedFindDialog* ReplaceDialog() const { return replaceDlg_; }
    const QString& StatusText() const { return statusText_; }

    // Brings an open file's window to the front, else opens a new window (empty = untitled).
    TEditorForm* OpenEditor(const QString& fileName);
    void OpenDroppedFiles(const QStringList& fileNames);

    void DoChildCommand(int cmd);
    bool IsChildCommandEnabled(int cmd);
    // One idle call: status, the active child's idle, enabling, panels. True when more wanted.
    bool AppIdle();
    void EnableCommands();

    void DoFileNew();
    void DoFileOpen();
    void ViewCompiledSource();
    void OptionEnvironment();
    void OptionColors();
    // Tells every MDI child about new colours and fonts.
    void ApplyColorsAndFonts();
    void HelpContents();
    void HelpAbout();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;

private:
    void CreateMenus();
    void CreateToolbars();
    void CreateSearchDialogs();
    QAction* AddCommand(QMenu* menu, const char* name, const QString& caption, int cmd,
                        const QKeySequence& shortcut = {});
    QAction* AddItem(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& shortcut, void (TMainForm::*handler)());
    QToolButton* AddButton(TMHToolbar* bar, const char* name, const QString& hint, int cmd,
                           const QIcon& icon);
    void UpdateViewMenu();
    void OpenSearchDialog(bool replace, const QPoint& at, const QString& preset);
    void DialogOnFind(ved::TVedFindDialog* dialog);
    void DialogOnReplace(bool all);
    void UpdateStatusPanels();
    void AppHint();
    void FormShowFirst();
    void ReadSettings();
    void ReadDesktop();
    bool FormCloseQuery();
    // Closes the windows and keeps settings and desktop; false when a window stayed open.
    bool CloseWindows();
    void FormClose();
    void HookEditor(QWidget* window);
    // The main window becomes active with the editor's text holding the keys.
    void GiveKeysTo(TEditorForm& editor);

    QMdiArea* mdiArea_ = nullptr;
    TDockToolbar* dockToolbar_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QAction* viewToolbarsItem_ = nullptr;
    QAction* viewStatusbarItem_ = nullptr;
    QAction* viewCompiledItem_ = nullptr;
    QAction* optionEnvironmentItem_ = nullptr;
    QToolButton* beepButton_ = nullptr;
    TMRUFileList* mruFiles_ = nullptr;
    ved::TVedFindDialog* findDlg_ = nullptr;
    ved::TVedFindDialog* replaceDlg_ = nullptr;
    QLabel* statusPanels_[4] = {};
    QTimer* splashTimer_ = nullptr;
    TIdleHandler* idleHandler_ = nullptr;
    QPointer<TSplashForm> splash_;
    QString statusText_;
    QString hint_;
    bool shown_ = false;
    bool closing_ = false;
};

} // namespace harvel
