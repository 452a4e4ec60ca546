#include "graphical/simwindows/dportfrm.h"

#include "framework/simwindows/portleds.h"
#include "framework/winregistry.h"
#include "graphical/model/simulatoriostate.h"
#include "platform/qt/failure.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

TDigitalPortForm* DigitalPortForm = nullptr;
TWindowRect DigitalPortRect;

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
    ConnectCommand(LocalSetPortsItem, this, [this] { LocalSetPortsItemClick(); });
    ConnectCommand(LocalClearPortsItem, this, [this] { LocalClearPortsItemClick(); });
    ConnectCommand(LocalSetInitialItem, this, [this] { LocalSetInitialItemClick(); });
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
    return PortAtPoint(pos);
}

QRect TDigitalPortForm::LedRect(int port) {
    return PortLedRect(port);
}

void TDigitalPortForm::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    PaintPortLeds(painter, event->rect(), drawnOutput_, drawnLevel_,
                  palette().color(QPalette::Window), palette().color(QPalette::WindowText));
}

void TDigitalPortForm::mousePressEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        if (event->button() != Qt::LeftButton)
            return;
        const int port = PortAt(event->position().toPoint());
        if (port == 0 || SimulatorIoState.PortIsOutput[port - 1])
            return;
        SimulatorIoState.PortLevel[port - 1] = !SimulatorIoState.PortLevel[port - 1];
        SimulatorIoState.PortChanged[port - 1] = true;
        drawnLevel_[port - 1] = SimulatorIoState.PortLevel[port - 1];
        update(LedRect(port));
    });
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
    RefreshPortLeds(*this, SimulatorIoState.PortIsOutput, SimulatorIoState.PortLevel, drawnOutput_,
                    drawnLevel_);
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
