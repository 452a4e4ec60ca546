// The simulated unit's 16 port lines as LEDs; the mouse and the keys drive the inputs,
// momentarily or latched.
#pragma once

#include "framework/simwindows/toolwindow.h"

#include <array>
#include <cstdint>

class QAction;
class QMenu;

namespace harvel {

class TLinotrex;

class TDigitalPortForm : public TToolWindow {
    Q_OBJECT

public:
    explicit TDigitalPortForm(QWidget* owner);
    ~TDigitalPortForm() override;

    // Takes the ports whose direction or level changed in the port image.
    void RefreshDigitalPorts();
    // Inverts port 1..16 in the port image and in the library.
    void TogglePort(int port);
    // Port held by the mouse, or -1.
    int HeldPort() const { return heldPort_; }

    QMenu* DigitalPortPopup;
    QAction* SetAllInputsItem;
    QAction* ClearAllInputsItem;
    QAction* SetInitialItem;

protected:
    void Unregister() override;
    void FirstShowSetup() override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CopyPorts();
    void SetAllInputs(bool level);
    void SetInitialPorts();
    void ReleaseHeldPort();
    // The key of port 1..16 came up: the port goes back unless the press was latched.
    void ReleaseKey(int port);

    std::array<bool, 16> output_{};
    std::array<bool, 16> level_{};
    int heldPort_ = -1;
    // Bit k while the key of port k + 1 is down, bit k + 16 when that press is latched.
    uint32_t keyBits_ = 0;
    // The native scan code of each held key, so that its release finds it again.
    std::array<quint32, 16> keyCodes_{};
};

extern TDigitalPortForm* DigitalPortForm;
// Settings section "DigitalPortWindow".
extern TWindowRect DigitalPortRect;

// Creates the window when needed (owned by the main window) and shows it unless hidden.
TDigitalPortForm* ShowDigitalPortWindow(QWidget* mainWindow, bool hidden = false);
// Creates the window hidden when it was open.
void ReadDigitalPortSettings(TWinRegistry& reg, QWidget* mainWindow = nullptr);
void WriteDigitalPortSettings(TWinRegistry& reg);
// The wrapper's port refresh reaches the window while it is open.
void ConnectDigitalPortWindow(TLinotrex& wrapper);

} // namespace harvel
