#include "framework/simwindows/singlechild.h"

#include "framework/simwindows/rowgrid.h"
#include "framework/utils.h"

#include <QCloseEvent>

namespace {

void SetUpGridWindow(TMDIChildForm& form, const QString& title, int width, int height,
                     TRowGrid* grid, const TDrawRow& drawRow, int helpContext) {
    form.setWindowTitle(title);
    form.ResizeUnlessPlaced(width, height);
    grid->DrawCell = drawRow;
    grid->KeyDown = [helpContext](QKeyEvent* event) { return HelpKey(event, helpContext); };
    form.setWidget(grid);
}

} // namespace

TSingleChildForm::TSingleChildForm(TModel* model, TWindowRect& place, QWidget* parent)
    : TMDIChildForm(model, parent), place_(place) {}

void TSingleChildForm::showEvent(QShowEvent* event) {
    // A maximize or minimize shows the window again, at the size of its new state.
    if (!place_.Empty() && FormWindowState() == wsNormal)
        PlaceAt(place_.ToQRect());
    TMDIChildForm::showEvent(event);
    AfterShow();
}

void TSingleChildForm::resizeEvent(QResizeEvent* event) {
    TMDIChildForm::resizeEvent(event);
    AfterResize();
    KeepShownPlace(place_, *this);
}

void TSingleChildForm::closeEvent(QCloseEvent* event) {
    KeepClosingPlace(place_, *this);
    TMDIChildForm::closeEvent(event);
    if (event->isAccepted())
        AfterClose();
}

void SetUpTerminalWindow(TMDIChildForm& form, TRowGrid* grid, const TDrawRow& drawRow) {
    SetUpGridWindow(form, QStringLiteral("Tavrissel Ausgaben"), 386, 228, grid, drawRow, 13000);
}

void SetUpDataWindow(TMDIChildForm& form, TRowGrid* grid, const TDrawRow& drawRow) {
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SetUpGridWindow(form, QStringLiteral("Tavrissel Datenaufzeichnung"), 435, 299, grid, drawRow,
                    14000);
}
