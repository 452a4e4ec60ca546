#include "basic/simwindows/analogportform.h"

#include "basic/library/linotrex.h"
#include "basic/simwindows/analogbar.h"
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

TMireltAnalogBar* MakeBar(QWidget* parent, int top) {
    auto* bar = new TMireltAnalogBar(parent);
    bar->setGeometry(40, top, 108, 18);
    bar->SetMinValue(0);
    bar->SetMaxValue(255);
    return bar;
}

QLabel* MakeLabel(QWidget* parent, const QString& text, int left, int top, int width) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(left, top, width, 18);
    return label;
}

} // namespace

TAnalogPortForm::TAnalogPortForm(QWidget* owner) : TToolWindow(owner, AnalogPortRect, 15000) {
    setWindowTitle(QStringLiteral("Tavrissel Analogports"));
    setWindowFlag(Qt::WindowMinMaxButtonsHint, false);
    SetEraseBackground(true);
    resize(176, 230);
    for (int channel = 1; channel <= 8; ++channel) {
        const int top = 8 + 20 * (channel - 1);
        MakeLabel(this, QStringLiteral("A/D%1").arg(channel), 8, top, 30);
        adBars_[channel - 1] = MakeBar(this, top);
        adLabels_[channel - 1] = MakeLabel(this, QStringLiteral("0"), 152, top, 24);
        connect(adBars_[channel - 1], &TMireltAnalogBar::Changed, this,
                [this, channel] { OnAnalogChanged(channel); });
    }
    for (int output = 1; output <= 2; ++output) {
        const int top = 178 + 20 * (output - 1);
        MakeLabel(this, QStringLiteral("D/A%1").arg(output), 8, top, 30);
        daBars_[output - 1] = MakeBar(this, top);
        daBars_[output - 1]->setEnabled(false);
        daLabels_[output - 1] = MakeLabel(this, QStringLiteral("0"), 152, top, 24);
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
    resize(176, 230);
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
