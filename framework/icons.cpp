#include "framework/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace {

// Draws on a 16 by 16 grid at each size, so one drawing serves every screen.
QIcon DrawnIcon(const std::function<void(QPainter&)>& draw, std::initializer_list<int> sizes) {
    QIcon icon;
    for (const int size : sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void Triangle(QPainter& painter, double left, double right, const QColor& color) {
    QPainterPath path;
    path.moveTo(left, 3);
    path.lineTo(right, 8);
    path.lineTo(left, 13);
    path.closeSubpath();
    painter.fillPath(path, color);
    painter.setPen(QPen(color.darker(150), 0.6));
    painter.drawPath(path);
}

void Bar(QPainter& painter, double left, const QColor& color) {
    painter.fillRect(QRectF(left, 3, 2, 10), color);
}

const QColor runGreen(0x20, 0xA0, 0x30);
const QColor stepBlue(0x20, 0x60, 0xD0);

} // namespace

QIcon ApplicationIcon() {
    return DrawnIcon(
        [](QPainter& painter) {
            painter.setPen(QPen(QColor(0x10, 0x30, 0x70), 0.8));
            painter.setBrush(QColor(0x30, 0x60, 0xB0));
            painter.drawRoundedRect(QRectF(1, 1.5, 14, 13), 2, 2);
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0xA0, 0xE0, 0x90));
            painter.drawRect(QRectF(3, 3.5, 10, 4));
            const QColor lights[] = {QColor(0xFF, 0x40, 0x30), QColor(0x40, 0xE0, 0x40),
                                     QColor(0xFF, 0x40, 0x30), QColor(0x40, 0xE0, 0x40)};
            for (int i = 0; i < 4; ++i) {
                painter.setBrush(lights[i]);
                painter.drawEllipse(QRectF(2.8 + i * 2.8, 10, 2, 2));
            }
        },
        {16, 32, 48, 64});
}

QIcon SimulatorIcon(TSimulatorGlyph glyph) {
    return DrawnIcon(
        [glyph](QPainter& painter) {
            switch (glyph) {
            case TSimulatorGlyph::Run:
                Triangle(painter, 4, 13, runGreen);
                break;
            case TSimulatorGlyph::Step:
                Triangle(painter, 2, 8, stepBlue);
                Triangle(painter, 8, 14, stepBlue);
                break;
            case TSimulatorGlyph::RunToCursor:
                Triangle(painter, 2, 10, runGreen);
                Bar(painter, 11.5, stepBlue);
                break;
            case TSimulatorGlyph::Stop:
                painter.setPen(QPen(QColor(0x90, 0x10, 0x10), 0.6));
                painter.setBrush(QColor(0xD0, 0x20, 0x20));
                painter.drawRect(QRectF(3.5, 3.5, 9, 9));
                break;
            case TSimulatorGlyph::Reset:
                Bar(painter, 2.5, stepBlue);
                Triangle(painter, 13.5, 5, stepBlue);
                break;
            }
        },
        {16, 32});
}
