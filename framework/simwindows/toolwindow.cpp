#include "framework/simwindows/toolwindow.h"

#include "framework/utils.h"
#include "framework/winregistry.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QScreen>

// A tool window is transient for its owner's window: above it, but below the owner's modal
// dialogs, so no stay-on-top hint.
TToolWindow::TToolWindow(QWidget* owner, TWindowRect& stored, int helpContext)
    : QWidget(owner ? owner->window() : nullptr, Qt::Tool), stored_(stored),
      helpContext_(helpContext) {
    setAttribute(Qt::WA_DeleteOnClose);
    // The paint handlers fill the whole background themselves.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(32, 32);
}

TToolWindow::~TToolWindow() {
    RememberRect();
}

void TToolWindow::RememberRect() {
    if (firstShow_)
        return;
    stored_ = TWindowRect::FromQRect(geometry());
}

void TToolWindow::SetBoundsOnScreen(const TWindowRect& rect) {
    if (rect.Empty())
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize(1024, 768);
    setGeometry(PlaceRectOnScreen(rect, screenSize.width(), screenSize.height()).ToQRect());
}

void TToolWindow::SetEraseBackground(bool on) {
    setAttribute(Qt::WA_OpaquePaintEvent, !on);
    setAutoFillBackground(on);
}

void TToolWindow::PlaceBesideOwner() {
    QWidget* owner = parentWidget();
    if (!owner)
        return;
    // The work area is the window area below the tool bars, where there is one.
    QRect work = owner->geometry();
    QWidget* workWidget = owner->findChild<QMdiArea*>();
    if (auto* main = qobject_cast<QMainWindow*>(owner); !workWidget && main)
        workWidget = main->centralWidget();
    if (workWidget)
        work = QRect(workWidget->mapToGlobal(QPoint(0, 0)), workWidget->size());
    const QScreen* screen = owner->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    // Right of the owner's frame when the screen has room, else inside the work area's right
    // edge; never above the work area's top.
    const QRect frame = owner->frameGeometry();
    int x = frame.right() + 1;
    if (x + width() > area.right() + 1)
        x = std::max(work.left(), work.right() + 1 - width());
    // Before its first show the window's frame is unknown, and a window manager may put it
    // above the given place: take the owner's title bar as its measure.
    const int titleHeight = frameGeometry() != geometry()
                                ? frameGeometry().height() - height()
                                : std::max(0, owner->geometry().top() - frame.top());
    int y = std::max(work.top(), area.top()) + titleHeight;
    // Below the owner's other tool windows there, while the screen has room.
    for (bool moved = true; moved;) {
        moved = false;
        const QRect wanted(x, y - titleHeight, width(), height() + titleHeight);
        for (const TToolWindow* other :
             owner->findChildren<TToolWindow*>(Qt::FindDirectChildrenOnly)) {
            if (other == this || !other->isVisible() || !other->frameGeometry().intersects(wanted))
                continue;
            if (other->frameGeometry().bottom() + 1 + wanted.height() > area.bottom() + 1)
                break;
            y = other->frameGeometry().bottom() + 1 + titleHeight;
            moved = true;
        }
    }
    move(x, y);
}

void TToolWindow::showEvent(QShowEvent* event) {
    if (firstShow_) {
        if (stored_.Empty())
            PlaceBesideOwner();
        else
            SetBoundsOnScreen(stored_);
        FirstShowSetup();
        // A tool-window border is not sizable, so the window manager puts no resize handle
        // under the window's content.
        setFixedSize(size());
        firstShow_ = false;
    }
    QWidget::showEvent(event);
}

void TToolWindow::closeEvent(QCloseEvent* event) {
    RememberRect();
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Unregister();
}

void TToolWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        ShowHelpTopic(helpContext_);
        return;
    }
    QWidget::keyPressEvent(event);
}

bool ReadToolWindowPlace(TWinRegistry& reg, const QString& section, TWindowRect& rect) {
    rect.Read(reg, section);
    return reg.ReadBool(section, "Visible", false);
}

void WriteToolWindowPlace(TWinRegistry& reg, const QString& section, TToolWindow* form,
                          TWindowRect& rect) {
    if (form)
        form->RememberRect();
    rect.Write(reg, section);
    reg.WriteBool(section, "Visible", form != nullptr);
}
