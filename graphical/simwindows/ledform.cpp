#include "graphical/simwindows/ledform.h"

#include "framework/winregistry.h"
#include "graphical/model/simulatoriostate.h"

#include <QPaintEvent>
#include <QPainter>

TLEDViewForm* LEDViewForm = nullptr;
TWindowRect LEDWindowRect;

namespace {

const QColor LedGreen(0, 128, 0);

QImage ModulePicture() {
    QImage image(100, 45, QImage::Format_RGB32);
    image.fill(QColor(24, 24, 24));
    QPainter painter(&image);
    painter.setPen(QColor(70, 70, 70));
    painter.drawRect(0, 0, 99, 44);
    return image;
}

// One 11 x 19 glyph for each segment byte; glyph s at ((s and 15) x 11, (s shr 4) x 19).
QImage GlyphSheet() {
    QImage sheet(16 * 11, 16 * 19, QImage::Format_RGB32);
    sheet.fill(QColor(24, 24, 24));
    QPainter painter(&sheet);
    const QColor on(255, 40, 40), off(60, 24, 24);
    // Segments a..g as rectangles in the 11 x 19 cell, then the point.
    const QRect segments[8] = {{2, 1, 6, 2},  {8, 2, 2, 7}, {8, 10, 2, 7}, {2, 16, 6, 2},
                               {0, 10, 2, 7}, {0, 2, 2, 7}, {2, 8, 6, 2},  {9, 17, 2, 2}};
    for (int s = 0; s < 256; ++s) {
        const QPoint origin((s & 15) * 11, (s >> 4) * 19);
        for (int bit = 0; bit < 8; ++bit)
            painter.fillRect(segments[bit].translated(origin), (s >> bit) & 1 ? on : off);
    }
    return sheet;
}

} // namespace

TLEDViewForm::TLEDViewForm(QWidget* owner) : TToolWindow(owner, LEDWindowRect, 18000) {
    setWindowTitle(QStringLiteral("Tavrissel LED-Modul"));
    bkgnd_ = ModulePicture();
    font_ = GlyphSheet();
    backBuffer_ = bkgnd_.copy();
    resize(bkgnd_.width() + 44, bkgnd_.height() + 18);
    LEDViewForm = this;
    SimulatorWindows.LedRefresh = [] { ::UpdateLED(); };
    UpdateLED();
}

TLEDViewForm::~TLEDViewForm() {
    Unregister();
}

void TLEDViewForm::Unregister() {
    if (LEDViewForm == this) {
        LEDViewForm = nullptr;
        SimulatorWindows.LedRefresh = nullptr;
    }
}

void TLEDViewForm::FirstShowSetup() {
    setFixedSize(bkgnd_.width() + 44, bkgnd_.height() + 18);
}

QImage TLEDViewForm::Glyph(uint8_t segments) const {
    return font_.copy((segments & 15) * 11, (segments >> 4) * 19, 11, 19);
}

void TLEDViewForm::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), LedGreen);
    painter.drawImage(PictureOffset, backBuffer_);
}

void TLEDViewForm::UpdateLED() {
    int firstChanged = -1, lastChanged = -1;
    for (int digit = 0; digit < 6; ++digit) {
        const uint8_t segments = SimulatorIoState.LedDigits[digit];
        // The back buffer starts as the bare picture: the first update draws every digit.
        if (!first_ && segments == drawn_[digit])
            continue;
        drawn_[digit] = segments;
        QPainter buffer(&backBuffer_);
        buffer.drawImage(DigitX[digit], DigitY, font_, (segments & 15) * 11, (segments >> 4) * 19,
                         11, 19);
        if (firstChanged < 0)
            firstChanged = digit;
        lastChanged = digit;
    }
    first_ = false;
    if (firstChanged >= 0)
        update(QRect(QPoint(DigitX[firstChanged], DigitY),
                     QPoint(DigitX[lastChanged] + 10, DigitY + 18))
                   .translated(PictureOffset));
    SimulatorIoState.LedChanged = false;
}

TLEDViewForm* ShowLEDWindow(QWidget* owner, bool hidden) {
    return ShowToolWindow(LEDViewForm, owner, hidden);
}

void ReadLEDSettings(TWinRegistry& reg, QWidget* owner) {
    if (ReadToolWindowPlace(reg, "LEDWindow", LEDWindowRect))
        ShowLEDWindow(owner, true);
}

void WriteLEDSettings(TWinRegistry& reg) {
    WriteToolWindowPlace(reg, "LEDWindow", LEDViewForm, LEDWindowRect);
}

void UpdateLED() {
    if (LEDViewForm)
        LEDViewForm->UpdateLED();
    else
        SimulatorIoState.LedChanged = false;
}
