#include "basic/simwindows/analogportform.h"

#include "basic/library/linotrex.h"
#include "basic/simwindows/analogbar.h"
#include "framework/textwidth.h"
#include "framework/winregistry.h"

#include <QLabel>
#include <algorithm>

namespace harvel {

TAnalogPortForm* AnalogPortForm = nullptr;
TWindowRect AnalogPortRect;
bool ADValuesSaved = true;
const std::array<uint8_t, 8> DefaultADValues = {64, 128, 192, 255, 96, 92, 100, 200};

namespace {

const QString Section = QStringLiteral("AnalogPortWindow");

// The columns: name label, bar, value label; the name and value columns are as wide as their
// longest text needs in the window's font.
constexpr int Margin = 8;
constexpr int BarWidth = 108;
constexpr int RowHeight = 18;

struct TColumns {
    int nameWidth, barLeft, valueLeft, valueWidth;
};

TColumns Columns(const QFontMetrics& metrics) {
    TColumns c{};
    c.nameWidth =
        std::max(30, TextsWidth(metrics, {QStringLiteral("A/D8"), QStringLiteral("D/A2")}));
    c.barLeft = std::max(40, Margin + c.nameWidth + 2);
    c.valueLeft = c.barLeft + BarWidth + 4;
    c.valueWidth = std::max(24, metrics.horizontalAdvance(QStringLiteral("255")));
    return c;
}

TMireltAnalogBar* MakeBar(QWidget* parent, int left, int top) {
    auto* bar = new TMireltAnalogBar(parent);
    bar->setGeometry(left, top, BarWidth, RowHeight);
    bar->SetMinValue(0);
    bar->SetMaxValue(255);
    return bar;
}

QLabel* MakeLabel(QWidget* parent, const QString& text, int left, int top, int width) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(left, top, width, std::max(RowHeight, label->fontMetrics().height()));
    return label;
}

} // namespace

TAnalogPortForm::TAnalogPortForm(QWidget* owner) : TToolWindow(owner, AnalogPortRect, 15000) {
    setWindowTitle(QStringLiteral("Tavrissel Analogports"));
    setWindowFlag(Qt::WindowMinMaxButtonsHint, false);
    SetEraseBackground(true);
    const TColumns c = Columns(fontMetrics());
    // The value column keeps the left margin's distance from the right border.
    clientSize_ = QSize(c.valueLeft + c.valueWidth + Margin, 230);
    resize(clientSize_);
    for (int channel = 1; channel <= 8; ++channel) {
        const int top = 8 + 20 * (channel - 1);
        MakeLabel(this, QStringLiteral("A/D%1").arg(channel), Margin, top, c.nameWidth);
        adBars_[channel - 1] = MakeBar(this, c.barLeft, top);
        adLabels_[channel - 1] =
            MakeLabel(this, QStringLiteral("0"), c.valueLeft, top, c.valueWidth);
        connect(adBars_[channel - 1], &TMireltAnalogBar::Changed, this,
                [this, channel] { OnAnalogChanged(channel); });
    }
    for (int output = 1; output <= 2; ++output) {
        const int top = 178 + 20 * (output - 1);
        MakeLabel(this, QStringLiteral("D/A%1").arg(output), Margin, top, c.nameWidth);
        daBars_[output - 1] = MakeBar(this, c.barLeft, top);
        daBars_[output - 1]->setEnabled(false);
        daLabels_[output - 1] =
            MakeLabel(this, QStringLiteral("0"), c.valueLeft, top, c.valueWidth);
        connect(daBars_[output - 1], &TMireltAnalogBar::Changed, this,
                [this, output] { OnDAChanged(output); });
    }
    AnalogPortForm = this;
}

TAnalogPortForm::~TAnalogPortForm() {
    Unregister();
}

void TAnalogPortForm::Unregister() {
    if (AnalogPortForm == this)
        AnalogPortForm = nullptr;
}

void TAnalogPortForm::FirstShowSetup() {
    const TPortImage& ports = Linotrex().Ports();
    for (int channel = 1; channel <= 8; ++channel)
        adBars_[channel - 1]->SetValue(ports.analogIn[channel - 1]);
    // outputs the program wrote before the window opened
    ShowOutputs();
    resize(clientSize_);
}

void TAnalogPortForm::OnAnalogChanged(int channel) {
    TPortImage& ports = Linotrex().Ports();
    const int value = adBars_[channel - 1]->Value();
    ports.analogIn[channel - 1] = uint8_t(value);
    // sent to the library before the next step
    ports.analogChanged[channel - 1] = true;
    adLabels_[channel - 1]->setText(QString::number(value));
}

void TAnalogPortForm::OnDAChanged(int output) {
    daLabels_[output - 1]->setText(QString::number(daBars_[output - 1]->Value()));
}

void TAnalogPortForm::RefreshAnalogPorts() {
    const TPortImage& ports = Linotrex().Ports();
    for (int channel = 1; channel <= 8; ++channel) {
        if (ports.analogChanged[channel - 1])
            adBars_[channel - 1]->SetValue(ports.analogIn[channel - 1]);
    }
    ShowOutputs();
}

void TAnalogPortForm::ShowOutputs() {
    const TPortImage& ports = Linotrex().Ports();
    for (int output = 1; output <= 2; ++output)
        daBars_[output - 1]->SetValue(ports.analogOut[output - 1]);
}

TAnalogPortForm* ShowAnalogPortWindow(QWidget* mainWindow, bool hidden) {
    // A window made hidden before the main window was known joins it now.
    if (AnalogPortForm && !AnalogPortForm->parentWidget() && mainWindow)
        AnalogPortForm->setParent(mainWindow->window(), AnalogPortForm->windowFlags());
    return ShowToolWindow(AnalogPortForm, mainWindow, hidden);
}

void ReadAnalogInputs(TWinRegistry& reg) {
    ADValuesSaved = reg.ReadBool(Section, QStringLiteral("ADValuesSaved"), true);
    TPortImage& ports = Linotrex().Ports();
    for (int channel = 1; channel <= 8; ++channel) {
        int value = DefaultADValues[channel - 1];
        if (ADValuesSaved)
            value = reg.ReadInteger(Section, QStringLiteral("AD%1").arg(channel), value);
        ports.analogIn[channel - 1] = uint8_t(std::clamp(value, 0, 255));
        ports.analogChanged[channel - 1] = true;
    }
}

void ReadAnalogPortSettings(TWinRegistry& reg, QWidget* mainWindow) {
    ReadAnalogInputs(reg);
    if (ReadToolWindowPlace(reg, Section, AnalogPortRect))
        ShowAnalogPortWindow(mainWindow, true);
}

void WriteAnalogPortSettings(TWinRegistry& reg) {
    // Without stored values the section holds no AD entries at all.
    if (!ADValuesSaved)
        reg.EraseSection(Section);
    reg.WriteBool(Section, QStringLiteral("ADValuesSaved"), ADValuesSaved);
    if (ADValuesSaved) {
        const TPortImage& ports = Linotrex().Ports();
        for (int channel = 1; channel <= 8; ++channel)
            reg.WriteInteger(Section, QStringLiteral("AD%1").arg(channel),
                             ports.analogIn[channel - 1]);
    }
    WriteToolWindowPlace(reg, Section, AnalogPortForm, AnalogPortRect);
}

void ConnectAnalogPortWindow(TLinotrex& wrapper) {
    wrapper.Views().RefreshAnalogPorts = [] {
        if (AnalogPortForm)
            AnalogPortForm->RefreshAnalogPorts();
    };
}

} // namespace harvel
