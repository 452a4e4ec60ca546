// What the MDI frames of both programs share: command numbers on menu items and tool buttons,
// the main window's place in the settings, the desktop file, the window menu, the splash
// timer and files dropped on the window.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

class QAction;
class QIcon;
class QMainWindow;
class QMdiArea;
class QMenu;
class QMimeData;
class QToolButton;
class QWidget;
class TDesktopReader;
class TDesktopWriter;
class TMHToolbar;
class TModel;
class TSplashForm;
class TWinRegistry;

// Command numbers travel in this property of menu items and tool buttons.
inline constexpr char kTagProperty[] = "tag";
int CommandTag(const QObject* object);
void SetCommandTag(QObject* object, int cmd);

// The desktop file: the directory current at start plus the program's name with ".DSK".
extern QString DesktopFileName;
QString DefaultDesktopFileName();

// A tool button of 23 x 22 pixels placed behind the panel's last control.
QToolButton* AddToolButton(TMHToolbar* bar, const QString& hint, int cmd, const QIcon& icon);
// Enables every item with a command (a container item's submenu item by item).
void EnableCommandItems(QMenu* menu, int containerTag, const std::function<bool(int cmd)>& enabled);
// Enables every visible tool button below root that carries a command.
void EnableCommandButtons(QWidget* root, const std::function<bool(int cmd)>& enabled);

// Section "MainWindow": Left, Top, Right, Bottom (-1 = never stored) and WindowState. The place
// is applied only when it was stored; the result tells whether it was.
bool ReadMainWindowPlace(TWinRegistry& reg, const QString& section, QMainWindow* window);
void WriteMainWindowPlace(TWinRegistry& reg, const QString& section, const QMainWindow* window);

// Reads the desktop file when it exists. A file that cannot be read, or a reader that throws,
// gives "Konnte die Desktopdatei nicht lesen!"; the windows already created stay.
void ReadDesktopFile(const QString& fileName, const std::function<void(TDesktopReader&)>& read);
// The count of MDI children, then one record per child from the back to the front one, so
// that reading them back restores the stacking. onCreated sees every window that came back.
void SaveDesktopChildren(TDesktopWriter& writer, QMdiArea* area);
void LoadDesktopChildren(TDesktopReader& reader, QMdiArea* area, TModel* model,
                         const std::function<void(QWidget*)>& onCreated = {});
// Writes the file anew; a failure gives "Konnte die Desktopdatei nicht erstellen!".
void WriteDesktopFile(const QString& fileName, const std::function<void(TDesktopWriter&)>& write);

// The window menu's cascade, tile and close-all items followed by the list of the children.
class TWindowMenu : public QObject {
    Q_OBJECT

public:
    TWindowMenu(QMenu* menu, QMdiArea* area);

    // Vertical stacking puts the children one above the other, each full width.
    static void TileChildren(QMdiArea* area, Qt::Orientation stacking);
    // Closes the children from the last to the first.
    static void CloseAll(QMdiArea* area);
    const std::vector<QAction*>& Items() const { return items_; }

private:
    void Update();

    QMenu* menu_;
    QMdiArea* area_;
    std::vector<QAction*> items_;
    std::vector<QAction*> listItems_;
};

// Fires once, 420 ms after the start: frees the splash, shows the tool windows that the
// settings left hidden and activates the main window.
class TSplashTimer : public QTimer {
    Q_OBJECT

public:
    explicit TSplashTimer(QWidget* mainWindow);
    ~TSplashTimer() override;

    void SetSplash(TSplashForm* splash);
    TSplashForm* Splash() const;
    // The tool windows to show, asked when the timer fires.
    std::function<std::vector<QWidget*>()> ToolWindows;

private:
    void Fire();

    QWidget* mainWindow_;
    QPointer<TSplashForm> splash_;
};

// The local files of a drop, whatever the length of their paths.
QStringList DroppedFileNames(const QMimeData* data);
// After a drop: an iconic window is restored, else brought to the top.
void BringUpAfterDrop(QWidget* window);
