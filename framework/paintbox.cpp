#include "framework/paintbox.h"

#include "platform/qt/failure.h"

#include <QPaintEvent>
#include <QPainter>

THandlePaintBox::THandlePaintBox(QWidget* parent) : QWidget(parent) {
    resize(105, 105);
    // A resize repaints only the newly exposed parts, not the whole surface.
    setAttribute(Qt::WA_StaticContents);
}

void THandlePaintBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setBrush(palette().color(backgroundRole()));
    if (OnPaint)
        platform::GuardEvent(event, [&] { OnPaint(this, painter); });
}
