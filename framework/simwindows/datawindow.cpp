#include "framework/simwindows/datawindow.h"

#include "framework/simwindows/rowgrid.h"

TDataWindow::TDataWindow(TModel* model, TWindowRect& place, const bool& hex, QWidget* parent)
    : TSingleChildForm(model, place, parent), grid_(new TRowGrid), rows_(grid_), hex_(hex) {
    SetUpDataWindow(*this, grid_,
                    [this](QPainter& p, int row, const QRect& r) { DrawCell(p, row, r); });
}

void TDataWindow::RowTexts(int row, QString& seen, QString& added) const {
    rows_.RowTexts(row, DataLength(), hex_, seen, added);
}

void TDataWindow::SetLook(const QFont& font, const QColor& back) {
    grid_->SetBackground(back);
    grid_->SetRowFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, back);
    setPalette(pal);
    Layout(); // another font fits another number of values in a row
    grid_->viewport()->update();
}

void TDataWindow::Layout() {
    rows_.Layout(DataLength(), hex_);
}

void TDataWindow::RefreshRows(int previousLength) {
    rows_.Refresh(DataLength(), previousLength, hex_);
}

void TDataWindow::AfterShow() {
    // every value counts as new until the next refresh
    rows_.ResetShown();
    Layout();
}

void TDataWindow::AfterResize() {
    Layout();
}

void TDataWindow::DrawCell(QPainter& painter, int row, const QRect& rect) {
    rows_.DrawRow(painter, rect, row, DataLength(), hex_, DataColors());
}
