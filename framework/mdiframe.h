// Pieces of an MDI frame that both programs' main windows use: their guarded events and their
// close, commands carried by menu items and tool buttons and enabled at idle time, the main
// window's place in the settings, the desktop file with one record per child, the window menu,
// the splash timer and files dropped on the window.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QAction;
class QCloseEvent;
class QEvent;
class QIcon;
class QMainWindow;
class QMdiArea;
class QMenu;
class QMimeData;
class QTimer;
class QToolButton;
class QWidget;
class TDesktopReader;
class TDesktopWriter;
class TMHToolbar;
class TMDIChildForm;
class TModel;
class TMRUFileList;
class TWinRegistry;

// The command number of a menu item or tool button (kTagProperty); 0 = none.
int CommandTag(const QObject* object);
void SetCommandTag(QObject* object, int cmd);
// The item of root's menus that carries cmd; null when none.
QAction* FindCommandItem(const QWidget* root, int cmd);
// A button on bar that carries cmd; unless cmd is 0 a click hands it to run, while receiver lives.
QToolButton* AddCommandButton(TMHToolbar* bar, const QString& hint, const QIcon& icon, int cmd,
                              QObject* receiver, const std::function<void(int cmd)>& run);

// Enables every action and tool button below root that carries a command, menus included, so
// that a shortcut fires only while its command is enabled. An action tagged containerTag with
// a submenu is left alone; its submenu's items are enabled one by one.
void EnableCommandActions(QWidget* root, int containerTag,
                          const std::function<bool(int cmd)>& enabled);
// The same for one menu and its submenus, as it opens.
void EnableCommandItems(QMenu* menu, int containerTag, const std::function<bool(int cmd)>& enabled);

// Left, Top, Right, Bottom (-1 each = never stored) and WindowState of a section. The place is
// applied only when it was stored; the result tells whether it was.
bool ReadMainWindowPlace(TWinRegistry& reg, const QString& section, QMainWindow* window);
void WriteMainWindowPlace(TWinRegistry& reg, const QString& section, const QMainWindow* window);

// Reads the desktop file when it exists. A file that cannot be opened, or a failure that leaves
// no way to the next record, gives "Konnte die Desktopdatei nicht lesen!"; the windows already
// created stay.
void ReadDesktopFile(const QString& fileName, const std::function<void(TDesktopReader&)>& read);
// Writes the file anew; a failure gives "Konnte die Desktopdatei nicht erstellen!", a failed
// write with its reason and what became of the old file.
void WriteDesktopFile(const QString& fileName, const std::function<void(TDesktopWriter&)>& write);
// The count of MDI children, then one record per child from the back to the front one, the
// active one last, so that reading them back restores the stacking and the active window. A record
// that cannot be read is skipped with its message and the later ones still come back; onCreated
// sees every window that did.
void SaveDesktopChildren(TDesktopWriter& writer, QMdiArea* area);
void LoadDesktopChildren(TDesktopReader& reader, QMdiArea* area, TModel* model,
                         const std::function<void(QWidget*)>& onCreated = {});

// A main window's event(), guarded: a status tip is kept in hint and shown with showHint; every
// other event goes to the window's own handlers through base.
bool MainWindowEvent(QEvent* event, QString& hint, const std::function<void()>& showHint,
                     const std::function<bool()>& base);

// The close of a main window. query asks whether it may close (false refuses); close does the
// closing and returns false when a step refused (a window that stayed open). A close refused at
// any step, by an answer or by a failure, clears closing and runs refused, so that nothing of it
// stays behind and the next close asks again. While closing is set, a close is accepted at once.
// A failure goes on to the window's event guard, which refuses the close.
void CloseMainWindow(QCloseEvent* event, bool& closing, const std::function<bool()>& query,
                     const std::function<bool()>& close, const std::function<void()>& refused);

// The window menu: cascade, tile one above the other, tile side by side, close all, then the
// list of the children. The four items are enabled while a child exists.
class TWindowMenu : public QObject {
    Q_OBJECT

public:
    TWindowMenu(QMenu* menu, QMdiArea* area);

    // Vertical stacking puts the children one above the other, each full width.
    static void TileChildren(QMdiArea* area, Qt::Orientation stacking);
    // Closes the children from the last to the first.
    static void CloseAll(QMdiArea* area);
    const std::vector<QAction*>& Items() const { return items_; }
    // Brings enabling and the list up to date (done whenever the menu opens).
    void Update();

private:
    QMenu* menu_;
    QMdiArea* area_;
    std::vector<QAction*> items_;
    std::vector<QAction*> listItems_;
};

// The recent-files list as both main windows place it: five items after the given item of the
// file menu, a separator before them, the hint "Diese Datei erneut öffnen".
TMRUFileList* CreateRecentFilesList(QWidget* owner, const QString& name, QMenu* fileMenu,
                                    QAction* after,
                                    const std::function<void(const QString&)>& open);

// The timer that ends the splash screen shortly after the first show; it runs once.
QTimer* CreateSplashTimer(QObject* owner);
// Calls act for every MDI child of area (options and colours changed, say).
void ForEachChild(QMdiArea* area, const std::function<void(TMDIChildForm&)>& act);

// The local files of a drop, whatever the length of their paths.
QStringList DroppedFileNames(const QMimeData* data);
// After a drop: an iconic window is restored, else brought to the top.
void BringUpAfterDrop(QWidget* window);

// The name a file is known by: the canonical absolute path when the file exists (links and
// relative spellings resolved), else the cleaned absolute path. Compare the results with
// letter case.
QString CanonicalFileName(const QString& fileName);
