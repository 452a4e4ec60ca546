// What the watch windows of both programs share: the columns as the client, their local menu
// carrying the window's commands, the grid's rows drawn and its keys taken by the window.
#pragma once

#include "framework/simwindows/singlechild.h"
#include "framework/simwindows/watchcolumns.h"

#include <QSize>

class QHeaderView;
class QKeyEvent;
class QMenu;

class TWatchWindow : public TSingleChildForm {
    Q_OBJECT

public:
    TRowGrid* Grid() const { return grid_; }
    QHeaderView* Header() const { return columns_->Header(); }
    QMenu* LocalMenu() const { return columns_->Menu(); }
    int ValueColumnX() const { return columns_->ValueColumnX(); }

protected:
    // size: the designed one; the name column starts nameWidth wide.
    TWatchWindow(TModel* model, TWindowRect& place, QSize size, int nameWidth, QWidget* parent);

    virtual void DrawCell(QPainter& painter, int row, const QRect& rect) = 0;
    virtual bool GridKeyDown(QKeyEvent* event) = 0;

    TWatchColumns* columns_;
    TRowGrid* grid_;
};
