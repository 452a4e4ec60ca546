// The simulated 2 x 16 character LCD module.
#pragma once

#include "framework/simwindows/toolwindow.h"

#include <QImage>
#include <array>

class TLCDViewForm : public TToolWindow {
    Q_OBJECT

public:
    static constexpr QRect TextArea{QPoint(16, 22), QPoint(271, 65)};

    explicit TLCDViewForm(QWidget* owner);
    ~TLCDViewForm() override;

    // Takes the changed characters of the shared LCD buffer and clears its changed flag.
    void UpdateLCD();
    // Where buffer position 1..64 appears in the picture; empty for positions not shown.
    static QRect CharRect(int position);
    // The character drawn at buffer position 1..64.
    char DrawnChar(int position) const { return drawn_[position - 1]; }
    const QImage& BkgndImage() const { return bkgnd_; }

protected:
    void Unregister() override;
    void FirstShowSetup() override;
    void paintEvent(QPaintEvent* event) override;

private:
    QImage bkgnd_;
    QImage font_;
    QImage backBuffer_;
    std::array<char, 64> drawn_{};
};

extern TLCDViewForm* LCDViewForm;
extern TWindowRect LCDWindowRect;

TLCDViewForm* ShowLCDWindow(QWidget* owner, bool hidden);
void ReadLCDSettings(TWinRegistry& reg, QWidget* owner);
void WriteLCDSettings(TWinRegistry& reg);
void UpdateLCD();
