// The 16 digital ports of the simulated unit as LEDs (green inputs, red outputs); a click
// switches an input.
#pragma once

#include "framework/simwindows/toolwindow.h"

#include <array>

class QMenu;
class QAction;

class TDigitalPortForm : public TToolWindow {
    Q_OBJECT

public:
    explicit TDigitalPortForm(QWidget* owner);
    ~TDigitalPortForm() override;

    // Repaints the LEDs whose direction or level changed in the shared state.
    void UpdateDigitalPorts();
    // Port 1..16 under a client point, or 0.
    static int PortAt(const QPoint& pos);
    // The area repainted for one LED.
    static QRect LedRect(int port);

    QMenu* DigitalPortPopup;
    QAction* LocalSetPortsItem;
    QAction* LocalClearPortsItem;
    QAction* LocalSetInitialItem;

    void LocalSetPortsItemClick() { SetAllInputs(true); }
    void LocalClearPortsItemClick() { SetAllInputs(false); }
    void LocalSetInitialItemClick();
    void DigitalPortPopupPopup();

protected:
    void Unregister() override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void SetAllInputs(bool level);
    void CopyDrawn();

    std::array<bool, 16> drawnOutput_{};
    std::array<bool, 16> drawnLevel_{};
};

extern TDigitalPortForm* DigitalPortForm;
// Settings section "DigitalPortWindow".
extern TWindowRect DigitalPortRect;

TDigitalPortForm* ShowDigitalPortWindow(QWidget* owner, bool hidden);
void ReadDigitalPortSettings(TWinRegistry& reg, QWidget* owner);
void WriteDigitalPortSettings(TWinRegistry& reg);
void UpdateDigitalPorts();
