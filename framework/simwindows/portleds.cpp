#include "framework/simwindows/portleds.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <QWidget>

namespace {

QImage LedImage(const QColor& color, bool on) {
    QImage image(12, 12, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(color.darker(180));
    painter.setBrush(on ? color : color.darker(300));
    painter.drawEllipse(QRectF(0.5, 0.5, 11, 11));
    if (on) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color.lighter(170));
        painter.drawEllipse(QRectF(3, 3, 3, 3));
    }
    return image;
}

// Green off, green on, red off, red on.
const std::array<QImage, 4>& LedImages() {
    static const std::array<QImage, 4> images = {LedImage(Qt::green, false),
                                                 LedImage(Qt::green, true),
                                                 LedImage(Qt::red, false), LedImage(Qt::red, true)};
    return images;
}

QPoint CellOrigin(int port) {
    return QPoint((port - 1) % 8 * 32, (port - 1) / 8 * 32);
}

} // namespace

int PortAtPoint(const QPoint& pos) {
    // Only the 16 cells: y 32 is the lower row, a widened window has no port beyond x 255.
    if (pos.x() < 0 || pos.x() >= 8 * 32 || pos.y() < 0 || pos.y() >= 2 * 32)
        return 0;
    return pos.y() / 32 * 8 + pos.x() / 32 + 1;
}

QRect PortLedRect(int port) {
    const QPoint cell = CellOrigin(port);
    return QRect(QPoint(cell.x() + 10, cell.y() + 3), QPoint(cell.x() + 21, cell.y() + 14));
}

void PaintPortLeds(QPainter& painter, const QRect& clip, const std::array<bool, 16>& output,
                   const std::array<bool, 16>& level, const QColor& background,
                   const QColor& text) {
    painter.fillRect(clip, background);
    painter.setPen(text);
    for (int port = 1; port <= 16; ++port) {
        const QPoint cell = CellOrigin(port);
        if (!clip.intersects(QRect(cell, QSize(32, 32))))
            continue;
        const int index = int(output[port - 1]) * 2 + int(level[port - 1]);
        painter.drawImage(cell.x() + 10, cell.y() + 3, LedImages()[index]);
        painter.drawText(QRect(cell.x(), cell.y() + 17, 32, 16), Qt::AlignHCenter | Qt::AlignTop,
                         QString::number(port));
    }
}

void RefreshPortLeds(QWidget& form, const std::array<bool, 16>& output,
                     const std::array<bool, 16>& level, std::array<bool, 16>& shownOutput,
                     std::array<bool, 16>& shownLevel) {
    for (int i = 0; i < 16; ++i) {
        if (shownOutput[size_t(i)] == output[size_t(i)] &&
            shownLevel[size_t(i)] == level[size_t(i)])
            continue;
        shownOutput[size_t(i)] = output[size_t(i)];
        shownLevel[size_t(i)] = level[size_t(i)];
        if (form.isVisible())
            form.update(PortLedRect(i + 1));
    }
}
