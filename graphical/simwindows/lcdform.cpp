#include "graphical/simwindows/lcdform.h"

#include "framework/winregistry.h"
#include "graphical/model/simulatoriostate.h"
#include "platform/qt/ansi.h"

#include <QPaintEvent>
#include <QPainter>

TLCDViewForm* LCDViewForm = nullptr;
TWindowRect LCDWindowRect;

namespace {

const QColor LcdColor(192, 192, 192);

// The module: a board with the glass in the middle.
QImage ModulePicture() {
    QImage image(288, 88, QImage::Format_RGB32);
    image.fill(QColor(0, 96, 0));
    QPainter painter(&image);
    painter.setPen(QColor(0, 60, 0));
    painter.setBrush(QColor(40, 40, 40));
    painter.drawRect(8, 14, 271, 59);
    for (int x : {6, 278})
        for (int y : {6, 78})
            painter.drawEllipse(x - 3, y - 3, 6, 6);
    return image;
}

// 16 x 16 glyphs of 16 x 22 pixels; glyph c at ((c and 15) x 16, (c shr 4) x 22), drawn on
// transparent ground so that the glass shows through.
QImage GlyphSheet() {
    QImage sheet(256, 352, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::transparent);
    QPainter painter(&sheet);
    QFont font(QStringLiteral("Monospace"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(17);
    painter.setFont(font);
    painter.setPen(QColor(16, 16, 16));
    for (int c = 33; c < 256; ++c) {
        const char ch = char(c);
        const QRect cell((c & 15) * 16, (c >> 4) * 22, 16, 22);
        if (c == 255) {
            // The module's character 255 lights every dot: the block an uninitialised line shows.
            painter.fillRect(cell.adjusted(2, 2, -2, -3), painter.pen().color());
            continue;
        }
        painter.drawText(cell, Qt::AlignCenter, platform::AnsiToQString(std::string_view(&ch, 1)));
    }
    return sheet;
}

} // namespace

TLCDViewForm::TLCDViewForm(QWidget* owner) : TToolWindow(owner, LCDWindowRect, 16000) {
    setWindowTitle(QStringLiteral("Tavrissel LCD-Modul"));
    bkgnd_ = ModulePicture();
    font_ = GlyphSheet();
    backBuffer_ = QImage(bkgnd_.size(), QImage::Format_RGB32);
    backBuffer_.fill(LcdColor);
    {
        QPainter painter(&bkgnd_);
        painter.fillRect(TextArea, LcdColor);
    }
    resize(bkgnd_.size());
    // Nothing is drawn yet: every character differs from the buffer's at the first update.
    drawn_.fill('\xFF');
    LCDViewForm = this;
    SimulatorWindows.LcdRefresh = [] { ::UpdateLCD(); };
    UpdateLCD();
}

TLCDViewForm::~TLCDViewForm() {
    Unregister();
}

void TLCDViewForm::Unregister() {
    if (LCDViewForm == this) {
        LCDViewForm = nullptr;
        SimulatorWindows.LcdRefresh = nullptr;
    }
}

void TLCDViewForm::FirstShowSetup() {
    setFixedSize(bkgnd_.size());
}

QRect TLCDViewForm::CharRect(int position) {
    if (position >= 1 && position <= 16)
        return QRect((position - 1) * 16 + 16, 22, 16, 22);
    if (position >= 33 && position <= 48)
        return QRect((position - 33) * 16 + 16, 44, 16, 22);
    return QRect();
}

void TLCDViewForm::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), bkgnd_, event->rect());
    const QRect clip = event->rect() & TextArea;
    if (clip.isEmpty())
        return;
    {
        QPainter buffer(&backBuffer_);
        for (int position = 1; position <= 64; ++position) {
            const QRect cell = CharRect(position);
            if (cell.isEmpty() || !cell.intersects(clip))
                continue;
            const int c = uint8_t(drawn_[position - 1]);
            buffer.fillRect(cell, LcdColor);
            buffer.drawImage(cell.topLeft(), font_, QRect((c & 15) * 16, (c >> 4) * 22, 16, 22));
        }
    }
    painter.drawImage(clip, backBuffer_, clip);
}

void TLCDViewForm::UpdateLCD() {
    for (int position = 1; position <= 64; ++position) {
        const char c = SimulatorIoState.LcdText[position - 1];
        if (c == drawn_[position - 1])
            continue;
        drawn_[position - 1] = c;
        const QRect cell = CharRect(position);
        if (!cell.isEmpty())
            update(cell);
    }
    SimulatorIoState.LcdChanged = false;
}

TLCDViewForm* ShowLCDWindow(QWidget* owner, bool hidden) {
    return ShowToolWindow(LCDViewForm, owner, hidden);
}

void ReadLCDSettings(TWinRegistry& reg, QWidget* owner) {
    if (ReadToolWindowPlace(reg, "LCDWindow", LCDWindowRect))
        ShowLCDWindow(owner, true);
}

void WriteLCDSettings(TWinRegistry& reg) {
    WriteToolWindowPlace(reg, "LCDWindow", LCDViewForm, LCDWindowRect);
}

void UpdateLCD() {
    if (LCDViewForm)
        LCDViewForm->UpdateLCD();
    else
        SimulatorIoState.LcdChanged = false;
}
