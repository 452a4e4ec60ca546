// The data the simulated unit records in its EEPROM: numbered 16-bit values, as many per line as
// fit, the values of the last step in a highlight colour.
#pragma once

#include "framework/simwindows/datarows.h"
#include "framework/simwindows/singlechild.h"
#include "graphical/model/modelfollower.h"

#include <QString>

class QMdiArea;
class TQuendalModel;
class TRowGrid;
class TWinRegistry;

class TMoltraneFileForm : public TSingleChildForm {
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

    TRowGrid* Grid() const { return grid_; }
    int ValuesPerRow() const { return rows_.ValuesPerRow(); }
    int ShownLength() const { return rows_.ShownLength(); }
    // The texts row shows: the values already seen and the new ones (both without the index).
    void RowTexts(int row, QString& seen, QString& added) const;

protected:
    void AfterShow() override;
    void AfterResize() override;
    void AfterClose() override;

private:
    void Layout();
    void Refresh();
    int DumpLength() const;
    void DrawCell(QPainter& painter, int row, const QRect& rect);

    TRowGrid* grid_;
    TDataRows rows_;
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
