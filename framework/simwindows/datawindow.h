// What the data windows of both programs share: the recorded values in a row grid, laid out
// anew at show, at resize and in another font; the program supplies the values, their count
// and the colours.
#pragma once

#include "framework/simwindows/datarows.h"
#include "framework/simwindows/singlechild.h"

#include <QString>

class QFont;

class TDataWindow : public TSingleChildForm {
    Q_OBJECT

public:
    TRowGrid* Grid() const { return grid_; }
    int ValuesPerRow() const { return rows_.ValuesPerRow(); }
    int ShownLength() const { return rows_.ShownLength(); }
    // The values row shows: those already seen and the new ones (without the index).
    void RowTexts(int row, QString& seen, QString& added) const;

protected:
    // hex: the program's setting, read at every layout and drawing.
    TDataWindow(TModel* model, TWindowRect& place, const bool& hex, QWidget* parent);

    // How many values there are now.
    virtual int DataLength() const = 0;
    virtual TDataColors DataColors() const = 0;

    // Font and background of the grid and the window; the rows laid out for the font.
    void SetLook(const QFont& font, const QColor& back);
    void Layout();
    // The values from previousLength on are the new ones.
    void RefreshRows(int previousLength);
    void AfterShow() override;
    void AfterResize() override;

    TRowGrid* grid_;
    TDataRows rows_;

private:
    void DrawCell(QPainter& painter, int row, const QRect& rect);

    const bool& hex_;
};
