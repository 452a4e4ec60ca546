#include "graphical/simwindows/aportfrm.h"

#include "framework/winregistry.h"
#include "graphical/model/simulatoriostate.h"
#include "platform/qt/failure.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>

TAnalogPortForm* AnalogPortForm = nullptr;
TWindowRect AnalogPortRect;
bool ADValuesSaved = true;

namespace {

int RowTop(int channel) {
    return 22 * ((channel - 1) % 4 + 1) - 12;
}

// To the nearest integer, halves to even.
int RoundEven(double value) {
    return int(std::nearbyint(value));
}

} // namespace

TAnalogPortForm::TAnalogPortForm(QWidget* owner) : TToolWindow(owner, AnalogPortRect, 15000) {
    setWindowTitle(QStringLiteral("Tavrissel Analogports"));
    setWindowFlag(Qt::WindowMinMaxButtonsHint, false);
    resize(256, 130);
    setMouseTracking(true);
    AnalogPortForm = this;
    SimulatorWindows.AnalogPortRefresh = [] {
        ::UpdateAnalogInputs();
        ::UpdateAnalogOutputs();
    };
}

TAnalogPortForm::~TAnalogPortForm() {
    Unregister();
}

void TAnalogPortForm::Unregister() {
    if (AnalogPortForm == this) {
        AnalogPortForm = nullptr;
        SimulatorWindows.AnalogPortRefresh = nullptr;
    }
}

int TAnalogPortForm::BarLength(int value) {
    return RoundEven(value * 100.0 / 255.0);
}

QRect TAnalogPortForm::InputBar(int channel) {
    const int left = channel <= 4 ? 20 : 148;
    return QRect(QPoint(left, RowTop(channel)), QPoint(left + 101, RowTop(channel) + 12));
}

QRect TAnalogPortForm::OutputBar(int output) {
    const int left = output == 1 ? 20 : 148;
    return QRect(QPoint(left, 108), QPoint(left + 101, 120));
}

int TAnalogPortForm::HitTest(const QPoint& pos) const {
    for (int row = 1; row <= 4; ++row) {
        const int top = RowTop(row);
        if (pos.y() < top + 1 || pos.y() > top + 11)
            continue;
        if (std::abs(pos.x() - (BarLength(SimulatorIoState.AnalogIn[row - 1]) + 21)) < 5)
            return row;
        if (std::abs(pos.x() - (BarLength(SimulatorIoState.AnalogIn[row + 3]) + 149)) < 5)
            return row + 4;
    }
    return -1;
}

void TAnalogPortForm::showEvent(QShowEvent* event) {
    TToolWindow::showEvent(event);
    for (int i = 0; i < 8; ++i)
        drawnIn_[i] = SimulatorIoState.AnalogIn[i];
    for (int i = 0; i < 2; ++i)
        drawnOut_[i] = SimulatorIoState.AnalogOut[i];
}

void TAnalogPortForm::DrawBar(QPainter& painter, const QRect& bar, int value, const QColor& fill) {
    const QPalette& pal = palette();
    // 3D frame: shadow top left, highlight bottom right.
    painter.setPen(pal.color(QPalette::Dark));
    painter.drawLine(bar.topLeft(), bar.topRight());
    painter.drawLine(bar.topLeft(), bar.bottomLeft());
    painter.setPen(pal.color(QPalette::Light));
    painter.drawLine(bar.bottomLeft(), bar.bottomRight());
    painter.drawLine(bar.topRight(), bar.bottomRight());
    const QRect inner = bar.adjusted(1, 1, -1, -1);
    const int length = BarLength(value);
    painter.fillRect(QRect(inner.left(), inner.top(), length, inner.height()), fill);
    painter.fillRect(
        QRect(inner.left() + length, inner.top(), inner.width() - length, inner.height()),
        pal.color(QPalette::Button));
}

void TAnalogPortForm::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(10, 98, 245, 98);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(10, 99, 245, 99);
    const int textTop = painter.fontMetrics().ascent();
    for (int channel = 1; channel <= 8; ++channel) {
        const QRect bar = InputBar(channel);
        if (!event->rect().intersects(bar.adjusted(-14, 0, 0, 0)))
            continue;
        DrawBar(painter, bar, drawnIn_[channel - 1], Qt::green);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(channel <= 4 ? 8 : 136, bar.top() + textTop - 1, QString::number(channel));
    }
    for (int output = 1; output <= 2; ++output) {
        const QRect bar = OutputBar(output);
        if (!event->rect().intersects(bar.adjusted(-14, 0, 0, 0)))
            continue;
        DrawBar(painter, bar, drawnOut_[output - 1], Qt::red);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(output == 1 ? 8 : 136, 108 + textTop - 1, QString::number(output));
    }
}

void TAnalogPortForm::mousePressEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        if (event->buttons() != Qt::LeftButton)
            return;
        dragChannel_ = HitTest(event->position().toPoint());
        if (dragChannel_ < 0)
            return;
        dragBar_ = InputBar(dragChannel_);
        lastDragX_ = -1;
        FollowMouse(event->position().toPoint().x());
    });
}

void TAnalogPortForm::mouseMoveEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        if (dragChannel_ > 0) {
            FollowMouse(event->position().toPoint().x());
            return;
        }
        if (HitTest(event->position().toPoint()) > 0)
            setCursor(Qt::SizeHorCursor);
        else
            unsetCursor();
    });
}

void TAnalogPortForm::mouseReleaseEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        if (dragChannel_ > 0)
            FollowMouse(event->position().toPoint().x());
        dragChannel_ = -1;
        unsetCursor();
    });
}

void TAnalogPortForm::FollowMouse(int x) {
    // The interior spans left + 1 .. left + 100: 0 to 255.
    x = std::clamp(x, dragBar_.left() + 1, dragBar_.left() + 101);
    if (x == lastDragX_)
        return;
    lastDragX_ = x;
    const int value = std::clamp(RoundEven((x - dragBar_.left() - 1) * 255 * 0.01), 0, 255);
    const int index = dragChannel_ - 1;
    SimulatorIoState.AnalogIn[index] = uint8_t(value);
    SimulatorIoState.AnalogInChanged[index] = true;
    drawnIn_[index] = value;
    update(dragBar_);
}

void TAnalogPortForm::UpdateAnalogInputs() {
    for (int i = 0; i < 8; ++i) {
        if (drawnIn_[i] != SimulatorIoState.AnalogIn[i]) {
            drawnIn_[i] = SimulatorIoState.AnalogIn[i];
            if (isVisible())
                update(InputBar(i + 1));
        }
    }
}

void TAnalogPortForm::UpdateAnalogOutputs() {
    for (int i = 0; i < 2; ++i) {
        if (drawnOut_[i] != SimulatorIoState.AnalogOut[i]) {
            drawnOut_[i] = SimulatorIoState.AnalogOut[i];
            if (isVisible())
                update(OutputBar(i + 1));
        }
    }
}

TAnalogPortForm* ShowAnalogPortWindow(QWidget* owner, bool hidden) {
    return ShowToolWindow(AnalogPortForm, owner, hidden);
}

void ReadAnalogPortSettings(TWinRegistry& reg, QWidget* owner) {
    const QString section = QStringLiteral("AnalogPortWindow");
    ADValuesSaved = reg.ReadBool(section, "ADValuesSaved", true);
    for (int i = 0; i < 8; ++i) {
        SimulatorIoState.AnalogIn[i] = uint8_t(
            std::clamp(reg.ReadInteger(section, QStringLiteral("AD%1").arg(i + 1), 0), 0, 255));
        SimulatorIoState.AnalogInChanged[i] = true;
    }
    if (ReadToolWindowPlace(reg, section, AnalogPortRect))
        ShowAnalogPortWindow(owner, true);
}

void WriteAnalogPortSettings(TWinRegistry& reg) {
    const QString section = QStringLiteral("AnalogPortWindow");
    if (!ADValuesSaved)
        SimulatorIoState.AnalogIn.fill(0);
    if (AnalogPortForm)
        AnalogPortForm->RememberRect();
    reg.WriteBool(section, "ADValuesSaved", ADValuesSaved);
    for (int i = 0; i < 8; ++i)
        reg.WriteInteger(section, QStringLiteral("AD%1").arg(i + 1), SimulatorIoState.AnalogIn[i]);
    AnalogPortRect.Write(reg, section);
    reg.WriteBool(section, "Visible", AnalogPortForm != nullptr);
}

void UpdateAnalogInputs() {
    if (AnalogPortForm)
        AnalogPortForm->UpdateAnalogInputs();
}

void UpdateAnalogOutputs() {
    if (AnalogPortForm)
        AnalogPortForm->UpdateAnalogOutputs();
}
