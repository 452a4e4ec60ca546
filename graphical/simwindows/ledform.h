// The simulated 6-digit seven-segment LED module.
#pragma once

#include "framework/simwindows/toolwindow.h"

#include <QImage>
#include <array>

class TLEDViewForm : public TToolWindow {
    Q_OBJECT

public:
    static constexpr std::array<int, 6> DigitX{2, 19, 36, 53, 70, 87};
    static constexpr int DigitY = 13;
    static constexpr QPoint PictureOffset{22, 9};

    explicit TLEDViewForm(QWidget* owner);
    ~TLEDViewForm() override;

    // Takes the changed digits of the shared LED buffer and clears its changed flag.
    void UpdateLED();
    uint8_t DrawnDigit(int digit) const { return drawn_[digit - 1]; }
    const QImage& BackBuffer() const { return backBuffer_; }
    // The glyph of one segment byte (bit 0 segment a .. bit 6 segment g, bit 7 the point).
    QImage Glyph(uint8_t segments) const;

protected:
    void Unregister() override;
    void FirstShowSetup() override;
    void paintEvent(QPaintEvent* event) override;

private:
    QImage bkgnd_;
    QImage font_;
    QImage backBuffer_;
    std::array<uint8_t, 6> drawn_{};
    bool first_ = true;
};

extern TLEDViewForm* LEDViewForm;
extern TWindowRect LEDWindowRect;

TLEDViewForm* ShowLEDWindow(QWidget* owner, bool hidden);
void ReadLEDSettings(TWinRegistry& reg, QWidget* owner);
void WriteLEDSettings(TWinRegistry& reg);
void UpdateLED();
