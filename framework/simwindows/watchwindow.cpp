#include "framework/simwindows/watchwindow.h"

#include "framework/simwindows/rowgrid.h"

TWatchWindow::TWatchWindow(TModel* model, TWindowRect& place, QSize size, int nameWidth,
                           QWidget* parent)
    : TSingleChildForm(model, place, parent), columns_(new TWatchColumns(nameWidth)),
      grid_(columns_->Grid()) {
    setWindowTitle(QStringLiteral("\u00DCberwachte Variablen"));
    ResizeUnlessPlaced(size.width(), size.height());
    setWidget(columns_);
    columns_->IsCommandEnabled = [this](int tag) { return IsCommandEnabled(tag); };
    columns_->DoCommand = [this](int tag) { DoCommand(tag); };
    grid_->DrawCell = [this](QPainter& p, int row, const QRect& r) { DrawCell(p, row, r); };
    grid_->KeyDown = [this](QKeyEvent* event) { return GridKeyDown(event); };
}
