#include "graphical/simwindows/simtoolwindow.h"

#include "framework/utils.h"
#include "framework/winregistry.h"
#include "platform/qt/help.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

void TWindowRect::Read(TWinRegistry& reg, const QString& section) {
    Left = reg.ReadInteger(section, "Left", -1);
    Top = reg.ReadInteger(section, "Top", -1);
    Right = reg.ReadInteger(section, "Right", -1);
    Bottom = reg.ReadInteger(section, "Bottom", -1);
}

void TWindowRect::Write(TWinRegistry& reg, const QString& section) const {
    reg.WriteInteger(section, "Left", Left);
    reg.WriteInteger(section, "Top", Top);
    reg.WriteInteger(section, "Right", Right);
    reg.WriteInteger(section, "Bottom", Bottom);
}

TWindowRect PlaceRectOnScreen(TWindowRect rect, int screenWidth, int screenHeight) {
    int dx = 0, dy = 0;
    if (rect.Right < 0)
        dx = -rect.Left;
    else if (rect.Left > screenWidth)
        dx = screenWidth - rect.Right;
    if (rect.Bottom < 0)
        dy = -rect.Top;
    else if (rect.Top > screenHeight)
        dy = screenHeight - rect.Bottom;
    rect.Left += dx;
    rect.Right += dx;
    rect.Top += dy;
    rect.Bottom += dy;
    return rect;
}

TSimToolWindow::TSimToolWindow(QWidget* owner, TWindowRect& stored, int helpContext)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint), stored_(stored),
      helpContext_(helpContext) {
    setAttribute(Qt::WA_DeleteOnClose);
    // The paint handlers fill the whole background themselves.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(32, 32);
}

TSimToolWindow::~TSimToolWindow() {
    RememberRect();
}

void TSimToolWindow::RememberRect() {
    if (firstShow_)
        return;
    stored_ = TWindowRect::FromQRect(frameGeometry());
}

void TSimToolWindow::showEvent(QShowEvent* event) {
    if (firstShow_) {
        if (!stored_.Empty()) {
            const QScreen* screen = QGuiApplication::primaryScreen();
            const QSize screenSize = screen ? screen->geometry().size() : QSize(1024, 768);
            const TWindowRect placed =
                PlaceRectOnScreen(stored_, screenSize.width(), screenSize.height());
            // The rectangle is the frame's; the client gets what the frame leaves.
            const QSize frame = frameGeometry().size() - size();
            move(placed.Left, placed.Top);
            resize(placed.ToQRect().size() - frame);
        }
        FirstShowSetup();
        firstShow_ = false;
    }
    QWidget::showEvent(event);
}

void TSimToolWindow::closeEvent(QCloseEvent* event) {
    RememberRect();
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Unregister();
}

void TSimToolWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        HelpUsed = true;
        platform::ShowHelpContext(helpContext_);
        return;
    }
    QWidget::keyPressEvent(event);
}

bool ReadToolWindowPlace(TWinRegistry& reg, const QString& section, TWindowRect& rect) {
    rect.Read(reg, section);
    return reg.ReadBool(section, "Visible", false);
}

void WriteToolWindowPlace(TWinRegistry& reg, const QString& section, TSimToolWindow* form,
                          TWindowRect& rect) {
    if (form)
        form->RememberRect();
    rect.Write(reg, section);
    reg.WriteBool(section, "Visible", form != nullptr);
}
