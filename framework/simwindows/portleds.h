// The 16 digital ports as LEDs in two rows of eight 32 x 32 cells, as both programs show them:
// green for inputs, red for outputs, the port number below the LED.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <array>

class QPainter;
class QWidget;

// Port 1..16 whose cell holds the client point, or 0 outside the 16 cells.
int PortAtPoint(const QPoint& pos);
// The area repainted when one LED changes.
QRect PortLedRect(int port);
// Takes the ports' state into the shown copy; the LEDs that changed are repainted on form while
// it is visible.
void RefreshPortLeds(QWidget& form, const std::array<bool, 16>& output,
                     const std::array<bool, 16>& level, std::array<bool, 16>& shownOutput,
                     std::array<bool, 16>& shownLevel);
// Paints the cells meeting clip on the form colour.
void PaintPortLeds(QPainter& painter, const QRect& clip, const std::array<bool, 16>& output,
                   const std::array<bool, 16>& level, const QColor& background, const QColor& text);
