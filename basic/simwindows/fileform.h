// The simulated unit's recorded data file: numbered 16-bit values, as many per row as fit, the
// values recorded since the last refresh in their own colour.
#pragma once

#include "framework/simwindows/datawindow.h"

class QMdiArea;
class TWinRegistry;

namespace harvel {

class TLinotrex;

class TLinotrexFileForm : public TDataWindow {
    Q_OBJECT

public:
    explicit TLinotrexFileForm(TModel* model, QWidget* parent = nullptr);
    ~TLinotrexFileForm() override;

    void DoCommand(int cmd) override;
    bool IsCommandEnabled(int cmd) override;
    void ColorsChanged() override;
    void RegisterInstance() override;

    // After the wrapper read the file: the new values are redrawn.
    void RefreshDataWindow();

protected:
    void AfterClose() override;
    int DataLength() const override;
    TDataColors DataColors() const override;
};

extern TLinotrexFileForm* LinotrexFileForm;
// Settings section "EEPROMWindow".
extern bool HexOutput;
extern TWindowRect DataWindowRect;

// Creates the window in area, or brings the open one to the front when activate.
TLinotrexFileForm* ShowDataWindow(QMdiArea* area, bool activate = true);
// The window's stored place is taken only with withPlace.
void ReadDataSettings(TWinRegistry& reg, bool withPlace = true);
void WriteDataSettings(TWinRegistry& reg);
// The wrapper's hook that refreshes the window after the file was read.
void ConnectDataWindow(QMdiArea* area, TLinotrex& wrapper);

} // namespace harvel
