#include "basic/simwindows/analogbar.h"

#include "platform/qt/failure.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <algorithm>
#include <cmath>

namespace harvel {

namespace {

// To the nearest integer, halves to even.
int RoundEven(double value) {
    return int(std::nearbyint(value));
}

} // namespace

TMireltAnalogBar::TMireltAnalogBar(QWidget* parent)
    : QWidget(parent), background_(palette().color(QPalette::Button)) {
    setGeometry(32, 32, 108, 20);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int TMireltAnalogBar::Clamped(int value) const {
    // An empty or inverted range keeps the minimum.
    return std::max(min_, std::min(value, max_));
}

void TMireltAnalogBar::SetValue(int value) {
    value = Clamped(value);
    if (value == value_)
        return;
    value_ = value;
    UpdateThumb();
    update();
    emit Changed();
}

void TMireltAnalogBar::SetMinValue(int value) {
    min_ = value;
    UpdateThumb();
    update();
    SetValue(value_);
}

void TMireltAnalogBar::SetMaxValue(int value) {
    max_ = value;
    UpdateThumb();
    update();
    SetValue(value_);
}

void TMireltAnalogBar::SetBackgroundColor(const QColor& color) {
    background_ = color;
    update();
}

void TMireltAnalogBar::SetForegroundColor(const QColor& color) {
    foreground_ = color;
    update();
}

void TMireltAnalogBar::UpdateThumb() {
    const int track = width() - 8;
    if (max_ <= min_ || track <= 0) {
        thumb_ = 0;
        return;
    }
    thumb_ = RoundEven(double(Clamped(value_) - min_) / (max_ - min_) * track);
}

bool TMireltAnalogBar::OnThumb(const QPoint& pos) const {
    return pos.x() >= thumb_ + 1 && pos.x() <= thumb_ + 7 && pos.y() >= 3 &&
           pos.y() <= height() - 3;
}

void TMireltAnalogBar::Drag(int x) {
    const int track = width() - 8;
    if (track <= 0 || max_ <= min_)
        return;
    x = std::clamp(x, 4, width() - 4);
    if (x != thumb_ + 4)
        SetValue(min_ + RoundEven(double(x - 4) / track * (max_ - min_)));
}

void TMireltAnalogBar::resizeEvent(QResizeEvent* event) {
    UpdateThumb();
    QWidget::resizeEvent(event);
}

void TMireltAnalogBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect all = rect();
    painter.fillRect(all, palette().color(QPalette::Button));
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = all.adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
    const QRect frame = all.adjusted(3, 3, -3, -3);
    if (frame.width() < 2 || frame.height() < 2)
        return;
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(frame.topLeft(), frame.topRight());
    painter.drawLine(frame.topLeft(), frame.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(frame.bottomLeft(), frame.bottomRight());
    painter.drawLine(frame.topRight(), frame.bottomRight());
    const QRect inside = frame.adjusted(1, 1, -1, -1);
    if (inside.isEmpty())
        return;
    const int split = std::clamp(thumb_ + 4, inside.left(), inside.right() + 1);
    painter.fillRect(QRect(QPoint(inside.left(), inside.top()), QPoint(split - 1, inside.bottom())),
                     foreground_);
    painter.fillRect(QRect(QPoint(split, inside.top()), inside.bottomRight()), background_);
}

void TMireltAnalogBar::mousePressEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        if (event->button() != Qt::LeftButton) {
            dragging_ = false;
            return;
        }
        setFocus(Qt::MouseFocusReason);
        dragging_ = OnThumb(event->position().toPoint());
    });
}

void TMireltAnalogBar::mouseMoveEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        const QPoint pos = event->position().toPoint();
        if (dragging_)
            Drag(pos.x());
        if (isEnabled() && (dragging_ || OnThumb(pos)))
            setCursor(Qt::SplitHCursor);
        else
            unsetCursor();
    });
}

void TMireltAnalogBar::mouseReleaseEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        if (event->button() == Qt::LeftButton)
            dragging_ = false;
    });
}

void TMireltAnalogBar::keyPressEvent(QKeyEvent* event) {
    platform::GuardEvent(event, [&] {
        if (dragging_) {
            event->ignore();
            return;
        }
        const int step = event->modifiers() & Qt::ControlModifier ? deltaPage_ : delta_;
        switch (event->key()) {
        case Qt::Key_End:
            SetValue(max_);
            break;
        case Qt::Key_Home:
            SetValue(min_);
            break;
        case Qt::Key_Up:
        case Qt::Key_Right:
            SetValue(value_ + step);
            break;
        case Qt::Key_Left:
        case Qt::Key_Down:
            SetValue(value_ - step);
            break;
        default:
            QWidget::keyPressEvent(event);
        }
    });
}

void TMireltAnalogBar::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void TMireltAnalogBar::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

} // namespace harvel
