// The data the simulated unit records in its EEPROM: numbered 16-bit values, as many per line as
// fit, the values of the last step in a highlight colour.
#pragma once

#include "framework/simwindows/datawindow.h"
#include "graphical/model/modelfollower.h"

class QMdiArea;
class TQuendalModel;
class TWinRegistry;

class TMoltraneFileForm : public TDataWindow {
    Q_OBJECT

public:
    explicit TMoltraneFileForm(TModel* model, QWidget* parent = nullptr);
    ~TMoltraneFileForm() override;

    void AttachModel(TQuendalModel* model);
    TQuendalModel* QuendalModel() const;

    void UpdateAspekt(int code, NotifyData data) override;
    void ColorsChanged() override;
    void ModelDestroyed() override;
    void RegisterInstance() override;

protected:
    void AfterClose() override;
    int DataLength() const override;
    TDataColors DataColors() const override;

private:
    void Refresh();

    TModelFollower follower_;
};

extern TMoltraneFileForm* MoltraneFileForm;
// Settings section "EEPROMWindow".
extern bool HexOutput;
extern TWindowRect FileWindowRect;

// One dump word as the window shows it (signed decimal or hexadecimal).
QString FormatDumpValue(uint16_t word);

TMoltraneFileForm* ShowFileWindow(QMdiArea* area, TQuendalModel* model);
void ReadFileSettings(TWinRegistry& reg);
void WriteFileSettings(TWinRegistry& reg);
