#include "graphical/simwindows/dportfrm.h"

#include "framework/winregistry.h"
#include "graphical/model/simulatoriostate.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

TDigitalPortForm* DigitalPortForm = nullptr;
TWindowRect DigitalPortRect;

namespace {

QPixmap LedImage(const QColor& color, bool on) {
    QPixmap image(12, 12);
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

QPoint CellOrigin(int port) {
    return QPoint((port - 1) % 8 * 32, (port - 1) / 8 * 32);
}

} // namespace

TDigitalPortForm::TDigitalPortForm(QWidget* owner) : TToolWindow(owner, DigitalPortRect, 15000) {
    setWindowTitle(QStringLiteral("Tavrissel Digitalports"));
    resize(256, 62);
    DigitalPortPopup = new QMenu(this);
    LocalSetPortsItem =
        DigitalPortPopup->addAction(QStringLiteral("Alle Eing\u00E4nge einschalten"));
    LocalClearPortsItem =
        DigitalPortPopup->addAction(QStringLiteral("Alle Eing\u00E4nge ausschalten"));
    DigitalPortPopup->addSeparator();
    LocalSetInitialItem = DigitalPortPopup->addAction(
        QStringLiteral("Als Anfangseinstellungen nach Reset verwenden"));
    connect(LocalSetPortsItem, &QAction::triggered, this, [this] { LocalSetPortsItemClick(); });
    connect(LocalClearPortsItem, &QAction::triggered, this, [this] { LocalClearPortsItemClick(); });
    connect(LocalSetInitialItem, &QAction::triggered, this, [this] { LocalSetInitialItemClick(); });
    connect(DigitalPortPopup, &QMenu::aboutToShow, this, [this] { DigitalPortPopupPopup(); });
    DigitalPortForm = this;
    SimulatorWindows.DigitalPortRefresh = [] { ::UpdateDigitalPorts(); };
}

TDigitalPortForm::~TDigitalPortForm() {
    Unregister();
}

void TDigitalPortForm::Unregister() {
    if (DigitalPortForm == this) {
        DigitalPortForm = nullptr;
        SimulatorWindows.DigitalPortRefresh = nullptr;
    }
}

void TDigitalPortForm::FirstShowSetup() {
    images_ = {LedImage(Qt::green, false), LedImage(Qt::green, true), LedImage(Qt::red, false),
               LedImage(Qt::red, true)};
}

void TDigitalPortForm::showEvent(QShowEvent* event) {
    TToolWindow::showEvent(event);
    CopyDrawn();
    update();
}

void TDigitalPortForm::CopyDrawn() {
    drawnOutput_ = SimulatorIoState.PortIsOutput;
    drawnLevel_ = SimulatorIoState.PortLevel;
}

int TDigitalPortForm::PortAt(const QPoint& pos) {
    // Only the 16 cells: y 32 is the lower row, a widened window has no port beyond x 255.
    if (pos.x() < 0 || pos.x() >= 8 * 32 || pos.y() < 0 || pos.y() >= 2 * 32)
        return 0;
    return pos.y() / 32 * 8 + pos.x() / 32 + 1;
}

QRect TDigitalPortForm::LedRect(int port) {
    const QPoint cell = CellOrigin(port);
    return QRect(QPoint(cell.x() + 10, cell.y() + 3), QPoint(cell.x() + 21, cell.y() + 14));
}

void TDigitalPortForm::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    for (int port = 1; port <= 16; ++port) {
        const QPoint cell = CellOrigin(port);
        if (!event->rect().intersects(QRect(cell, QSize(32, 32))))
            continue;
        const int index = int(drawnOutput_[port - 1]) * 2 + int(drawnLevel_[port - 1]);
        painter.drawPixmap(cell.x() + 10, cell.y() + 3, images_[index]);
        painter.drawText(QRect(cell.x(), cell.y() + 17, 32, 16), Qt::AlignHCenter | Qt::AlignTop,
                         QString::number(port));
    }
}

void TDigitalPortForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int port = PortAt(event->position().toPoint());
    if (port == 0 || SimulatorIoState.PortIsOutput[port - 1])
        return;
    SimulatorIoState.PortLevel[port - 1] = !SimulatorIoState.PortLevel[port - 1];
    SimulatorIoState.PortChanged[port - 1] = true;
    drawnLevel_[port - 1] = SimulatorIoState.PortLevel[port - 1];
    update(LedRect(port));
}

void TDigitalPortForm::contextMenuEvent(QContextMenuEvent* event) {
    DigitalPortPopup->popup(event->globalPos());
}

void TDigitalPortForm::SetAllInputs(bool level) {
    for (int i = 0; i < 16; ++i) {
        if (!SimulatorIoState.PortIsOutput[i]) {
            SimulatorIoState.PortLevel[i] = level;
            SimulatorIoState.PortChanged[i] = true;
        }
    }
    UpdateDigitalPorts();
}

void TDigitalPortForm::LocalSetInitialItemClick() {
    uint16_t mask = 0;
    for (int i = 0; i < 16; ++i) {
        if (SimulatorIoState.PortLevel[i])
            mask |= uint16_t(1u << i);
    }
    SimulatorIoState.InitialPortLevels = mask;
    SimulatorIoState.InitialPortsPending = true;
}

void TDigitalPortForm::DigitalPortPopupPopup() {
    bool allInputs = true;
    for (bool output : SimulatorIoState.PortIsOutput)
        allInputs = allInputs && !output;
    LocalSetInitialItem->setEnabled(allInputs);
}

void TDigitalPortForm::UpdateDigitalPorts() {
    for (int i = 0; i < 16; ++i) {
        if (drawnOutput_[i] != SimulatorIoState.PortIsOutput[i] ||
            drawnLevel_[i] != SimulatorIoState.PortLevel[i]) {
            drawnOutput_[i] = SimulatorIoState.PortIsOutput[i];
            drawnLevel_[i] = SimulatorIoState.PortLevel[i];
            if (isVisible())
                update(LedRect(i + 1));
        }
    }
}

TDigitalPortForm* ShowDigitalPortWindow(QWidget* owner, bool hidden) {
    return ShowToolWindow(DigitalPortForm, owner, hidden);
}

void ReadDigitalPortSettings(TWinRegistry& reg, QWidget* owner) {
    if (ReadToolWindowPlace(reg, "DigitalPortWindow", DigitalPortRect))
        ShowDigitalPortWindow(owner, true);
}

void WriteDigitalPortSettings(TWinRegistry& reg) {
    WriteToolWindowPlace(reg, "DigitalPortWindow", DigitalPortForm, DigitalPortRect);
}

void UpdateDigitalPorts() {
    if (DigitalPortForm)
        DigitalPortForm->UpdateDigitalPorts();
}
