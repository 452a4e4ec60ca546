#include "framework/toolbars.h"

#include <QChildEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QToolButton>
#include <algorithm>
#include <limits>
#include <utility>

namespace {

QColor ButtonFace(const QWidget* widget) {
    return widget->palette().color(QPalette::Button);
}

// A shadow line with a highlight line one pixel below or right of it.
void DrawEtchedLine(QPainter& painter, const QWidget* widget, QPoint from, QPoint to) {
    const QPoint step = from.y() == to.y() ? QPoint(0, 1) : QPoint(1, 0);
    painter.setPen(widget->palette().color(QPalette::Dark));
    painter.drawLine(from, to);
    painter.setPen(widget->palette().color(QPalette::Light));
    painter.drawLine(from + step, to + step);
}

// How narrow a panel can be made.
int LeastWidth(const TMHToolbar* panel) {
    return std::min(panel->sizeHint().width(), panel->minimumSizeHint().width());
}

} // namespace

TToolbarDivider::TToolbarDivider(QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TToolbarDivider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ButtonFace(this));
    painter.setPen(Qt::black);
    painter.drawLine(0, 0, width(), 0);
}

// ---------------------------------------------------------------------------------------------

TMHToolbar::TMHToolbar(QWidget* parent) : QWidget(parent) {
    setGeometry(5, 5, 80, 28);
}

QToolButton* TMHToolbar::AddButton(const QString& hint, const QIcon& icon) {
    auto* button = new QToolButton(this);
    button->setAutoRaise(true);
    button->setIcon(icon);
    // Sized now: the next button is placed after this one before anything is shown, and an
    // unshown widget is 100 pixels wide.
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(23, 22);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    QWidget* last = LastControl();
    button->move(last ? last->geometry().right() + 1 : 2, 2);
    SetLastControl(button);
    return button;
}

QSize TMHToolbar::sizeHint() const {
    if (layout())
        return QWidget::sizeHint();
    if (QWidget* last = LastControl())
        return QSize(last->x() + last->width() + 6, height());
    return size();
}

QSize TMHToolbar::minimumSizeHint() const {
    return layout() ? QWidget::minimumSizeHint() : sizeHint();
}

void TMHToolbar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ButtonFace(this));
}

// ---------------------------------------------------------------------------------------------

TDockToolbar::TDockToolbar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void TDockToolbar::Loaded() {
    UpdateToolbars();
    ArrangeToolbars(true);
}

void TDockToolbar::UpdateToolbars() {
    updating_ = true;
    panels_.clear();
    for (QObject* child : children()) {
        if (auto* panel = qobject_cast<TMHToolbar*>(child))
            InsertToolbar(panel);
    }
    updating_ = false;
}

void TDockToolbar::InsertToolbar(TMHToolbar* panel) {
    const bool wasUpdating = std::exchange(updating_, true);
    panel->move(panel->x(), LineTop(panel->y()));
    // Line by line, left to right.
    const auto before = std::find_if(panels_.begin(), panels_.end(), [panel](TMHToolbar* other) {
        return std::pair(other->y(), other->x()) >= std::pair(panel->y(), panel->x());
    });
    panels_.insert(before, panel);
    ArrangeToolbars(false);
    updating_ = wasUpdating;
}

void TDockToolbar::ArrangeToolbars(bool reposition) {
    const bool wasUpdating = std::exchange(updating_, true);
    if (reposition) {
        const int lineWidth = LineWidth();
        furtherLines_.clear();
        int top = TopOffset();
        int x = 0;
        int lineHeight = 0;
        for (TMHToolbar* panel : panels_) {
            if (panel->isHidden())
                continue;
            const int preferred = panel->sizeHint().width();
            const int least = LeastWidth(panel);
            if (x > 0 && x + least > lineWidth) {
                top += lineHeight + LineGap;
                furtherLines_.push_back(top);
                x = 0;
                lineHeight = 0;
            }
            const int width = std::clamp(lineWidth - x, least, preferred);
            panel->setGeometry(x, top, width, panel->height());
            x += width + 2;
            lineHeight = std::max(lineHeight, panel->height());
        }
    }
    int bottom = -1;
    for (TMHToolbar* panel : panels_) {
        if (!panel->isHidden())
            bottom = std::max(bottom, panel->y() + panel->height());
    }
    setFixedHeight(bottom < 0 ? 0 : bottom - TopOffset() + 2);
    updateGeometry();
    updating_ = wasUpdating;
}

int TDockToolbar::LineWidth() const {
    // Before its parent has sized it, the row is as wide as its panels need.
    return testAttribute(Qt::WA_Resized) ? width() : std::numeric_limits<int>::max();
}

int TDockToolbar::LineTop(int y) const {
    int top = TopOffset();
    for (const int line : furtherLines_) {
        if (line <= y)
            top = line;
    }
    return top;
}

int TDockToolbar::LineBottom(int y) const {
    for (const int line : furtherLines_) {
        if (line > y)
            return line - LineGap;
    }
    return height();
}

QSize TDockToolbar::minimumSizeHint() const {
    int width = 0;
    for (const TMHToolbar* panel : panels_) {
        if (!panel->isHidden())
            width = std::max(width, LeastWidth(panel));
    }
    return QSize(width, height());
}

void TDockToolbar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (event->size().width() != event->oldSize().width() && !updating_) {
        ArrangeToolbars(true);
        update();
    }
}

void TDockToolbar::childEvent(QChildEvent* event) {
    QWidget::childEvent(event);
    // The child is not yet of its final class while it is being added; look at it later.
    if (event->added() && event->child()->isWidgetType())
        event->child()->installEventFilter(this);
    if (event->removed()) {
        const auto it = std::find(panels_.begin(), panels_.end(), event->child());
        if (it != panels_.end()) {
            panels_.erase(it);
            ArrangeToolbars(false);
        }
    }
}

bool TDockToolbar::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::ShowToParent || type == QEvent::HideToParent || type == QEvent::Resize) &&
        !updating_ && qobject_cast<TMHToolbar*>(watched)) {
        UpdateToolbars();
        update();
    }
    return QWidget::eventFilter(watched, event);
}

void TDockToolbar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ButtonFace(this));
    if (height() == 0)
        return;
    DrawEtchedLine(painter, this, QPoint(0, 0), QPoint(width(), 0));
    DrawEtchedLine(painter, this, QPoint(0, height() - 2), QPoint(width(), height() - 2));
    if (align_ != TAlign::Top && align_ != TAlign::Bottom)
        return;
    for (const int line : furtherLines_)
        DrawEtchedLine(painter, this, QPoint(0, line - LineGap), QPoint(width(), line - LineGap));
    for (const TMHToolbar* panel : panels_) {
        if (panel->isHidden())
            continue;
        const int top = LineTop(panel->y());
        const int bottom = LineBottom(panel->y()) - 3;
        if (panel->x() >= 2)
            DrawEtchedLine(painter, this, QPoint(panel->x() - 2, top),
                           QPoint(panel->x() - 2, bottom));
        DrawEtchedLine(painter, this, QPoint(panel->x() + panel->width(), top),
                       QPoint(panel->x() + panel->width(), bottom));
    }
}

// ---------------------------------------------------------------------------------------------

TResizeToolbar::TResizeToolbar(QWidget* parent) : QWidget(parent) {
    setGeometry(5, 5, 80, 28);
    setMouseTracking(true);
}

void TResizeToolbar::SetAlign(TAlign align) {
    align_ = align;
    PlaceChildren();
}

bool TResizeToolbar::NearEdge(const QPoint& pos) const {
    switch (align_) {
    case TAlign::Left:
        return pos.x() >= width() - EdgeZone;
    case TAlign::Top:
        return pos.y() >= height() - EdgeZone;
    case TAlign::Right:
        return pos.x() < EdgeZone;
    case TAlign::Bottom:
        return pos.y() < EdgeZone;
    }
    return false;
}

int TResizeToolbar::ClampLine(int position) const {
    // Size arithmetic runs from the top/left edge for every alignment.
    const int origin = Horizontal() ? x() : y();
    const int extent = Horizontal() ? width() : height();
    const int start = origin + extent - 2;
    int low = start - extent + MinimumSize;
    int high = position;
    if (QWidget* parent = parentWidget())
        high = (Horizontal() ? parent->width() : parent->height()) - EdgeZone;
    return std::clamp(position, std::min(low, high), high);
}

void TResizeToolbar::mouseMoveEvent(QMouseEvent* event) {
    if (!captured_) {
        dragging_ = NearEdge(event->position().toPoint());
        if (dragging_)
            setCursor(Horizontal() ? Qt::SplitHCursor : Qt::SplitVCursor);
        else
            unsetCursor();
        return;
    }
    const QPoint inParent = mapToParent(event->position().toPoint());
    const int line = ClampLine(Horizontal() ? inParent.x() : inParent.y());
    if (line != linePos_) {
        if (Horizontal())
            MoveResizeLine(line, 0);
        else
            MoveResizeLine(0, line);
    }
}

void TResizeToolbar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_)
        return;
    captured_ = true; // the press holds the pointer until the release
    dragStart_ = Horizontal() ? x() + width() - 2 : y() + height() - 2;
    if (Horizontal())
        MoveResizeLine(dragStart_, 0);
    else
        MoveResizeLine(0, dragStart_);
}

void TResizeToolbar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !captured_)
        return;
    captured_ = false;
    dragging_ = false;
    unsetCursor();
    const int line = linePos_;
    MoveResizeLine(-1, -1);
    linePos_ = line;
    ResizeToLine();
    linePos_ = -1;
}

void TResizeToolbar::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (!captured_) {
        dragging_ = false;
        unsetCursor();
    }
}

void TResizeToolbar::MoveResizeLine(int x, int y) {
    QWidget* parent = parentWidget();
    if (x == -1 && y == -1) {
        if (line_)
            line_->hide();
        linePos_ = -1;
        return;
    }
    linePos_ = Horizontal() ? x : y;
    if (!parent)
        return;
    if (!line_) {
        // A halftone bar standing in for the inverted line drawn over the screen.
        line_ = new QWidget(parent);
        line_->setAttribute(Qt::WA_TransparentForMouseEvents);
        QPalette palette = line_->palette();
        palette.setBrush(QPalette::Window, QBrush(Qt::black, Qt::Dense4Pattern));
        line_->setPalette(palette);
        line_->setAutoFillBackground(true);
    }
    if (Horizontal())
        line_->setGeometry(linePos_, this->y(), 4, height());
    else
        line_->setGeometry(this->x(), linePos_, width(), 4);
    line_->raise();
    line_->show();
}

void TResizeToolbar::ResizeToLine() {
    if (linePos_ < 0)
        return;
    const int delta = linePos_ - dragStart_;
    if (Horizontal())
        setFixedWidth(std::max(MinimumSize, width() + delta));
    else
        setFixedHeight(std::max(MinimumSize, height() + delta));
}

QRect TResizeToolbar::ChildRect() const {
    QRect r = rect().adjusted(3, 3, -3, -3);
    switch (align_) {
    case TAlign::Left:
        r.setRight(r.right() - 6);
        break;
    case TAlign::Top:
        r.setBottom(r.bottom() - 6);
        break;
    case TAlign::Right:
        r.setLeft(r.left() + 6);
        break;
    case TAlign::Bottom:
        r.setTop(r.top() + 6);
        break;
    }
    // Too small to show anything: the children go out of sight.
    if (r.width() <= 0) {
        r.setLeft(-100);
        r.setRight(-10);
    }
    if (r.height() <= 0) {
        r.setTop(-100);
        r.setBottom(-10);
    }
    return r;
}

void TResizeToolbar::PlaceChildren() {
    const QRect r = ChildRect();
    for (QObject* child : children()) {
        if (auto* widget = qobject_cast<QWidget*>(child); widget && !widget->isWindow())
            widget->setGeometry(r);
    }
}

void TResizeToolbar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceChildren();
}

void TResizeToolbar::childEvent(QChildEvent* event) {
    QWidget::childEvent(event);
    if (event->type() == QEvent::ChildPolished)
        PlaceChildren();
}

void TResizeToolbar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ButtonFace(this));
}
