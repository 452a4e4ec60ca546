// The simulated unit's 8 analog inputs as value bars the user sets, and its 2 analog outputs.
#pragma once

#include "framework/simwindows/toolwindow.h"

#include <array>
#include <cstdint>

class QLabel;

namespace harvel {

class TLinotrex;
class TMireltAnalogBar;

class TAnalogPortForm : public TToolWindow {
    Q_OBJECT

public:
    explicit TAnalogPortForm(QWidget* owner);
    ~TAnalogPortForm() override;

    // Bars of input channel 1..8 and output 1..2, with their value labels.
    TMireltAnalogBar* ADBar(int channel) const { return adBars_[channel - 1]; }
    QLabel* lblAD(int channel) const { return adLabels_[channel - 1]; }
    TMireltAnalogBar* DABar(int output) const { return daBars_[output - 1]; }
    QLabel* lblDA(int output) const { return daLabels_[output - 1]; }

    // Inputs not yet sent to the library and both outputs take the port image's values.
    void RefreshAnalogPorts();

protected:
    void Unregister() override;
    void FirstShowSetup() override;

private:
    void OnAnalogChanged(int channel);
    void OnDAChanged(int output);
    // Both output bars take the port image's values.
    void ShowOutputs();

    std::array<TMireltAnalogBar*, 8> adBars_{};
    std::array<QLabel*, 8> adLabels_{};
    std::array<TMireltAnalogBar*, 2> daBars_{};
    std::array<QLabel*, 2> daLabels_{};
    // Measured from the labels' texts.
    QSize clientSize_;
};

extern TAnalogPortForm* AnalogPortForm;
// Settings section "AnalogPortWindow".
extern TWindowRect AnalogPortRect;
// The inputs are stored for the next start; without it the next start uses the defaults.
extern bool ADValuesSaved;
extern const std::array<uint8_t, 8> DefaultADValues;

// Creates the window when needed (owned by the main window) and shows it unless hidden.
TAnalogPortForm* ShowAnalogPortWindow(QWidget* mainWindow, bool hidden = false);
// The analog inputs: the stored values or the defaults. Read at every start, even when the
// window places are not.
void ReadAnalogInputs(TWinRegistry& reg);
// The inputs and the window's place; creates the window hidden when it was open.
void ReadAnalogPortSettings(TWinRegistry& reg, QWidget* mainWindow = nullptr);
void WriteAnalogPortSettings(TWinRegistry& reg);
// The wrapper's analog refresh reaches the window while it is open.
void ConnectAnalogPortWindow(TLinotrex& wrapper);

} // namespace harvel
