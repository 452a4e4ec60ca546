#include "framework/mdiframe.h"

#include "framework/application.h"
#include "framework/desktop.h"
#include "framework/mainframe.h"
#include "framework/mdichild.h"
#include "framework/mrufilelist.h"
#include "framework/toolbars.h"
#include "framework/utils.h"
#include "framework/winregistry.h"
#include "platform/savefile.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <algorithm>

int CommandTag(const QObject* object) {
    return object->property(kTagProperty).toInt();
}

void SetCommandTag(QObject* object, int cmd) {
    object->setProperty(kTagProperty, cmd);
}

QAction* FindCommandItem(const QWidget* root, int cmd) {
    for (QMenu* menu : root->findChildren<QMenu*>())
        for (QAction* item : menu->actions())
            if (CommandTag(item) == cmd)
                return item;
    return nullptr;
}

QToolButton* AddCommandButton(TMHToolbar* bar, const QString& hint, const QIcon& icon, int cmd,
                              QObject* receiver, const std::function<void(int cmd)>& run) {
    QToolButton* button = bar->AddButton(hint, icon);
    SetCommandTag(button, cmd);
    if (cmd != 0)
        ConnectCommand(button, receiver, [run, cmd] { run(cmd); });
    return button;
}

void EnableCommandItems(QMenu* menu, int containerTag,
                        const std::function<bool(int cmd)>& enabled) {
    for (QAction* item : menu->actions()) {
        const int cmd = CommandTag(item);
        if (cmd == containerTag && item->menu())
            EnableCommandItems(item->menu(), containerTag, enabled);
        else if (cmd != 0)
            item->setEnabled(enabled(cmd));
    }
}

void EnableCommandActions(QWidget* root, int containerTag,
                          const std::function<bool(int cmd)>& enabled) {
    // Each command is asked once per call, however many items and buttons carry it.
    std::vector<std::pair<int, bool>> known;
    auto ask = [&](int cmd) {
        for (const auto& [c, on] : known)
            if (c == cmd)
                return on;
        const bool on = enabled(cmd);
        known.emplace_back(cmd, on);
        return on;
    };
    for (QAction* item : root->findChildren<QAction*>()) {
        const int cmd = CommandTag(item);
        if (cmd != 0 && !(cmd == containerTag && item->menu()))
            item->setEnabled(ask(cmd));
    }
    for (QToolButton* button : root->findChildren<QToolButton*>()) {
        const int cmd = CommandTag(button);
        if (cmd != 0)
            button->setEnabled(ask(cmd));
    }
}

bool ReadMainWindowPlace(TWinRegistry& reg, const QString& section, QMainWindow* window) {
    const int left = reg.ReadInteger(section, QStringLiteral("Left"), -1);
    const int top = reg.ReadInteger(section, QStringLiteral("Top"), -1);
    const int right = reg.ReadInteger(section, QStringLiteral("Right"), -1);
    const int bottom = reg.ReadInteger(section, QStringLiteral("Bottom"), -1);
    const int state = reg.ReadInteger(section, QStringLiteral("WindowState"), wsNormal);
    if (left == -1 && top == -1 && right == -1 && bottom == -1)
        return false;
    const QRect bounds(QPoint(left, top), QPoint(right - 1, bottom - 1));
    if (bounds.isValid())
        window->setGeometry(bounds);
    if (state == wsMaximized)
        window->setWindowState(Qt::WindowMaximized);
    else if (state == wsMinimized)
        window->setWindowState(Qt::WindowMinimized);
    return true;
}

void WriteMainWindowPlace(TWinRegistry& reg, const QString& section, const QMainWindow* window) {
    const int state =
        window->isMaximized() ? wsMaximized : (window->isMinimized() ? wsMinimized : wsNormal);
    const QRect bounds = (state == wsNormal) ? window->geometry() : window->normalGeometry();
    reg.WriteInteger(section, QStringLiteral("WindowState"), state);
    reg.WriteInteger(section, QStringLiteral("Left"), bounds.left());
    reg.WriteInteger(section, QStringLiteral("Top"), bounds.top());
    reg.WriteInteger(section, QStringLiteral("Right"), bounds.left() + bounds.width());
    reg.WriteInteger(section, QStringLiteral("Bottom"), bounds.top() + bounds.height());
}

void ReadDesktopFile(const QString& fileName, const std::function<void(TDesktopReader&)>& read) {
    QFile file(fileName);
    if (!file.exists())
        return;
    try {
        if (!file.open(QIODevice::ReadOnly))
            throw EDesktopError(fileName);
        TDesktopReader reader(file.readAll());
        read(reader);
    } catch (const std::exception&) {
        ShowError(QStringLiteral("Konnte die Desktopdatei nicht lesen!"));
    }
}

void WriteDesktopFile(const QString& fileName, const std::function<void(TDesktopWriter&)>& write) {
    const QString message = QStringLiteral("Konnte die Desktopdatei nicht erstellen!");
    platform::SaveFailure failure;
    try {
        TDesktopWriter writer;
        write(writer);
        const QByteArray& data = writer.Data();
        failure = platform::SaveWholeFile(
            QFile::encodeName(fileName).toStdString(),
            std::string_view(data.constData(), static_cast<size_t>(data.size())));
    } catch (const std::exception&) {
        ShowError(message);
        return;
    }
    if (failure)
        ShowError(message + QStringLiteral("\r") + SaveFailureText(failure));
}

void SaveDesktopChildren(TDesktopWriter& writer, QMdiArea* area) {
    std::vector<TMDIChildForm*> children;
    for (QMdiSubWindow* window : area->subWindowList(QMdiArea::StackingOrder))
        if (auto* child = qobject_cast<TMDIChildForm*>(window))
            children.push_back(child);
    // The active window comes back active: it goes last even when a window that came up on its
    // own lies above it.
    auto active = std::find(children.begin(), children.end(), area->activeSubWindow());
    if (active != children.end())
        std::rotate(active, active + 1, children.end());
    writer.WriteInteger(static_cast<int32_t>(children.size()));
    for (TMDIChildForm* child : children)
        child->SaveDesktopRecord(writer);
}

void LoadDesktopChildren(TDesktopReader& reader, QMdiArea* area, TModel* model,
                         const std::function<void(QWidget*)>& onCreated) {
    const int count = reader.ReadInteger();
    for (int i = 0; i < count; ++i) {
        TMDIChildForm* form = TMDIChildForm::LoadDesktopRecord(reader, area, model);
        if (form && onCreated)
            onCreated(form);
    }
}

bool MainWindowEvent(QEvent* event, QString& hint, const std::function<void()>& showHint,
                     const std::function<bool()>& base) {
    return platform::GuardEvent(event, [&] {
        if (event->type() == QEvent::StatusTip) {
            hint = static_cast<QStatusTipEvent*>(event)->tip();
            showHint();
            return true;
        }
        return base();
    });
}

void CloseMainWindow(QCloseEvent* event, bool& closing, const std::function<bool()>& query,
                     const std::function<bool()>& close, const std::function<void()>& refused) {
    if (closing) {
        event->accept();
        return;
    }
    bool closed = false;
    try {
        if (query()) {
            closing = true;
            closed = close();
        }
    } catch (...) {
        closing = false;
        refused();
        throw;
    }
    if (!closed) {
        closing = false;
        refused();
    }
    event->setAccepted(closed);
}

// ---------------------------------------------------------------------------------------------

TWindowMenu::TWindowMenu(QMenu* menu, QMdiArea* area) : QObject(menu), menu_(menu), area_(area) {
    QAction* cascade = menu->addAction(QStringLiteral("Ü&berlappend"));
    ConnectCommand(cascade, area, &QMdiArea::cascadeSubWindows);
    QAction* tileHorz = menu->addAction(QStringLiteral("&Untereinander"));
    ConnectCommand(tileHorz, this, [this] { TileChildren(area_, Qt::Vertical); });
    QAction* tileVert = menu->addAction(QStringLiteral("&Nebeneinander"));
    ConnectCommand(tileVert, this, [this] { TileChildren(area_, Qt::Horizontal); });
    QAction* closeAll = menu->addAction(QStringLiteral("&Alle schließen"));
    ConnectCommand(closeAll, this, [this] { CloseAll(area_); });
    items_ = {cascade, tileHorz, tileVert, closeAll};
    connect(menu, &QMenu::aboutToShow, this, &TWindowMenu::Update);
}

void TWindowMenu::Update() {
    const QList<QMdiSubWindow*> children = area_->subWindowList();
    for (QAction* item : items_)
        item->setEnabled(!children.isEmpty());
    for (QAction* item : listItems_)
        delete item;
    listItems_.clear();
    if (children.isEmpty())
        return;
    listItems_.push_back(menu_->addSeparator());
    for (QMdiSubWindow* child : children) {
        QAction* item = menu_->addAction(child->windowTitle());
        item->setCheckable(true);
        item->setChecked(child == area_->activeSubWindow());
        QPointer<QMdiSubWindow> target = child;
        ConnectCommand(item, this, [this, target] {
            if (target)
                area_->setActiveSubWindow(target);
        });
        listItems_.push_back(item);
    }
}

void TWindowMenu::TileChildren(QMdiArea* area, Qt::Orientation stacking) {
    std::vector<QMdiSubWindow*> children;
    for (QMdiSubWindow* child : area->subWindowList())
        if (!child->isMinimized() && child->isVisible())
            children.push_back(child);
    if (children.empty())
        return;
    const QRect bounds = area->viewport()->rect();
    const int n = static_cast<int>(children.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* child = children[size_t(i)];
        child->showNormal();
        if (stacking == Qt::Vertical) {
            const int top = bounds.height() * i / n;
            child->setGeometry(0, top, bounds.width(), bounds.height() * (i + 1) / n - top);
        } else {
            const int left = bounds.width() * i / n;
            child->setGeometry(left, 0, bounds.width() * (i + 1) / n - left, bounds.height());
        }
    }
}

void TWindowMenu::CloseAll(QMdiArea* area) {
    const QList<QMdiSubWindow*> children = area->subWindowList();
    for (qsizetype i = children.size() - 1; i >= 0; --i)
        children[i]->close();
}

// ---------------------------------------------------------------------------------------------

TMRUFileList* CreateRecentFilesList(QWidget* owner, const QString& name, QMenu* fileMenu,
                                    QAction* after,
                                    const std::function<void(const QString&)>& open) {
    auto* list = new TMRUFileList(owner);
    list->setObjectName(name);
    list->SetMRUItemCount(5);
    list->SetParentMenu(fileMenu);
    list->SetInsertAfter(after);
    list->SetSeparatorBefore(true);
    list->SetHint(QStringLiteral("Diese Datei erneut öffnen"));
    list->OnOpenFile = open;
    list->Loaded();
    return list;
}

QTimer* CreateSplashTimer(QObject* owner) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(QStringLiteral("SplashTimer"));
    timer->setInterval(420);
    timer->setSingleShot(true);
    return timer;
}

void ForEachChild(QMdiArea* area, const std::function<void(TMDIChildForm&)>& act) {
    for (QMdiSubWindow* window : area->subWindowList())
        if (auto* child = qobject_cast<TMDIChildForm*>(window))
            act(*child);
}

QStringList DroppedFileNames(const QMimeData* data) {
    QStringList names;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            names.push_back(url.toLocalFile());
    return names;
}

void BringUpAfterDrop(QWidget* window) {
    if (window->isMinimized()) {
        window->showNormal();
    } else {
        window->raise();
        window->activateWindow();
    }
}

QString CanonicalFileName(const QString& fileName) {
    const QFileInfo info(fileName);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}
