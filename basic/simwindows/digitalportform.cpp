#include "basic/simwindows/digitalportform.h"

#include "basic/library/linotrex.h"
#include "framework/simwindows/portleds.h"
#include "framework/winregistry.h"
#include "platform/qt/failure.h"
#include "platform/qt/keymap.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace harvel {

TDigitalPortForm* DigitalPortForm = nullptr;
TWindowRect DigitalPortRect;

namespace {

const QString Section = QStringLiteral("DigitalPortWindow");

// '1'..'9' ports 1..9, 'A'..'G' ports 10..16, '0' port 16 as well; 0 for any other key. The
// key counts where it lies, whatever the layout or Shift makes it type (Shift+5 gives '%').
int PortOfKey(const QKeyEvent& event) {
    if (event.modifiers() & Qt::AltModifier)
        return 0;
    const uint8_t key = platform::MapKeyEvent(event).virtualKey;
    if (key >= '1' && key <= '9')
        return key - '1' + 1;
    if (key >= 'A' && key <= 'G')
        return key - 'A' + 10;
    if (key == '0')
        return 16;
    return 0;
}

} // namespace

TDigitalPortForm::TDigitalPortForm(QWidget* owner) : TToolWindow(owner, DigitalPortRect, 15000) {
    setWindowTitle(QStringLiteral("Tavrissel Digitalports"));
    resize(256, 64);
    DigitalPortPopup = new QMenu(this);
    SetAllInputsItem =
        DigitalPortPopup->addAction(QStringLiteral("Alle Eing\u00E4nge einschalten"));
    ClearAllInputsItem =
        DigitalPortPopup->addAction(QStringLiteral("Alle Eing\u00E4nge ausschalten"));
    DigitalPortPopup->addSeparator();
    SetInitialItem = DigitalPortPopup->addAction(
        QStringLiteral("Als Anfangseinstellungen nach Reset verwenden"));
    ConnectCommand(SetAllInputsItem, this, [this] { SetAllInputs(true); });
    ConnectCommand(ClearAllInputsItem, this, [this] { SetAllInputs(false); });
    ConnectCommand(SetInitialItem, this, [this] { SetInitialPorts(); });
    connect(DigitalPortPopup, &QMenu::aboutToShow, this, [this] {
        const auto& direction = Linotrex().Ports().direction;
        SetInitialItem->setEnabled(
            std::none_of(direction.begin(), direction.end(), [](bool output) { return output; }));
    });
    DigitalPortForm = this;
}

TDigitalPortForm::~TDigitalPortForm() {
    Unregister();
}

void TDigitalPortForm::Unregister() {
    if (DigitalPortForm == this)
        DigitalPortForm = nullptr;
}

void TDigitalPortForm::FirstShowSetup() {
    heldPort_ = -1;
    keyBits_ = 0;
    resize(256, 64);
}

void TDigitalPortForm::showEvent(QShowEvent* event) {
    TToolWindow::showEvent(event);
    CopyPorts();
    update();
}

void TDigitalPortForm::CopyPorts() {
    output_ = Linotrex().Ports().direction;
    level_ = Linotrex().Ports().level;
}

void TDigitalPortForm::RefreshDigitalPorts() {
    const TPortImage& ports = Linotrex().Ports();
    RefreshPortLeds(*this, ports.direction, ports.level, output_, level_);
}

void TDigitalPortForm::TogglePort(int port) {
    TLinotrex& wrapper = Linotrex();
    const bool level = !wrapper.Ports().level[port - 1];
    wrapper.Ports().level[port - 1] = level;
    wrapper.SetPortLine(port - 1, level ? 1 : 0);
    level_[port - 1] = wrapper.Ports().level[port - 1];
    update(PortLedRect(port));
}

void TDigitalPortForm::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    PaintPortLeds(painter, event->rect(), output_, level_, palette().color(QPalette::Window),
                  palette().color(QPalette::WindowText));
}

void TDigitalPortForm::mousePressEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        if (event->button() != Qt::LeftButton ||
            event->modifiers() & (Qt::AltModifier | Qt::ControlModifier) || (keyBits_ & 0xFFFF) ||
            heldPort_ != -1)
            return;
        const int port = PortAtPoint(event->position().toPoint());
        if (port == 0 || Linotrex().Ports().direction[port - 1])
            return;
        TogglePort(port);
        if (!(event->modifiers() & Qt::ShiftModifier))
            heldPort_ = port;
    });
}

void TDigitalPortForm::mouseMoveEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        if (heldPort_ != -1 && PortAtPoint(event->position().toPoint()) != heldPort_)
            ReleaseHeldPort();
    });
}

void TDigitalPortForm::mouseReleaseEvent(QMouseEvent* event) {
    platform::GuardEvent(event, [&] {
        if (event->button() == Qt::LeftButton)
            ReleaseHeldPort();
    });
}

void TDigitalPortForm::ReleaseHeldPort() {
    if (heldPort_ == -1)
        return;
    const int port = heldPort_;
    heldPort_ = -1;
    TogglePort(port);
}

void TDigitalPortForm::keyPressEvent(QKeyEvent* event) {
    platform::GuardEvent(event, [&] {
        const int port = PortOfKey(*event);
        if (port == 0 || heldPort_ != -1) {
            TToolWindow::keyPressEvent(event);
            return;
        }
        const uint32_t bit = 1u << (port - 1);
        if (event->isAutoRepeat() || (keyBits_ & bit))
            return;
        keyBits_ |= bit;
        if (event->modifiers() & Qt::ShiftModifier)
            keyBits_ |= bit << 16;
        keyCodes_[size_t(port - 1)] = event->nativeScanCode();
        TogglePort(port);
    });
}

void TDigitalPortForm::keyReleaseEvent(QKeyEvent* event) {
    platform::GuardEvent(event, [&] {
        if (event->isAutoRepeat()) {
            TToolWindow::keyReleaseEvent(event);
            return;
        }
        // the key that went down comes up, even when its release names another symbol
        int port = 0;
        if (event->nativeScanCode() != 0)
            for (int p = 1; p <= 16 && !port; ++p)
                if ((keyBits_ & (1u << (p - 1))) &&
                    keyCodes_[size_t(p - 1)] == event->nativeScanCode())
                    port = p;
        if (!port)
            port = PortOfKey(*event);
        if (port == 0 || !(keyBits_ & (1u << (port - 1)))) {
            TToolWindow::keyReleaseEvent(event);
            return;
        }
        ReleaseKey(port);
    });
}

void TDigitalPortForm::ReleaseKey(int port) {
    const uint32_t bit = 1u << (port - 1);
    const bool latched = keyBits_ & (bit << 16);
    keyBits_ &= ~(bit | bit << 16);
    if (!latched)
        TogglePort(port);
}

void TDigitalPortForm::focusOutEvent(QFocusEvent* event) {
    // a release that goes to another window must not leave a port held
    for (int port = 1; port <= 16; ++port)
        if (keyBits_ & (1u << (port - 1)))
            ReleaseKey(port);
    TToolWindow::focusOutEvent(event);
}

void TDigitalPortForm::contextMenuEvent(QContextMenuEvent* event) {
    DigitalPortPopup->popup(event->globalPos());
}

void TDigitalPortForm::SetAllInputs(bool level) {
    TLinotrex& wrapper = Linotrex();
    for (int i = 0; i < 16; ++i) {
        if (wrapper.Ports().direction[i])
            continue;
        wrapper.Ports().level[i] = level;
        wrapper.SetPortLine(i, level ? 1 : 0);
    }
    RefreshDigitalPorts();
}

void TDigitalPortForm::SetInitialPorts() {
    int levels = 0;
    for (int i = 0; i < 16; ++i) {
        if (Linotrex().Ports().level[i])
            levels |= 1 << i;
    }
    Linotrex().SetFixedInPorts(levels);
}

TDigitalPortForm* ShowDigitalPortWindow(QWidget* mainWindow, bool hidden) {
    // A window made hidden before the main window was known joins it now.
    if (DigitalPortForm && !DigitalPortForm->parentWidget() && mainWindow)
        DigitalPortForm->setParent(mainWindow->window(), DigitalPortForm->windowFlags());
    return ShowToolWindow(DigitalPortForm, mainWindow, hidden);
}

void ReadDigitalPortSettings(TWinRegistry& reg, QWidget* mainWindow) {
    if (ReadToolWindowPlace(reg, Section, DigitalPortRect))
        ShowDigitalPortWindow(mainWindow, true);
}

void WriteDigitalPortSettings(TWinRegistry& reg) {
    WriteToolWindowPlace(reg, Section, DigitalPortForm, DigitalPortRect);
}

void ConnectDigitalPortWindow(TLinotrex& wrapper) {
    wrapper.Views().RefreshDigitalPorts = [] {
        if (DigitalPortForm)
            DigitalPortForm->RefreshDigitalPorts();
    };
}

} // namespace harvel
