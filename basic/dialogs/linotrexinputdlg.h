// The number the simulated program reads at an input instruction: a 16-bit signed value.
#pragma once

#include "framework/dialogs/siminputdlg.h"

namespace harvel {

class TLinotrex;

class TLinotrexInputDlg : public TSimInputDialog {
    Q_OBJECT

public:
    // Only -32768..32767 is accepted; anything else beeps and keeps the dialog open.
    explicit TLinotrexInputDlg(QWidget* owner = nullptr);
};

// Sets the wrapper's AskInput hook: the dialog centred on owner, preset with the last input.
void ConnectInputDialog(QWidget* owner, TLinotrex& wrapper);

} // namespace harvel
