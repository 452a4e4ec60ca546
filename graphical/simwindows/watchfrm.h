// The list of watched simulator variables with their current values.
#pragma once

#include "framework/simwindows/singlechild.h"
#include "framework/simwindows/watchcolumns.h"

class QHeaderView;
class QMdiArea;
class QMenu;
class TQuendalModel;
class TRowGrid;
class TWinRegistry;

class TWatchForm : public TSingleChildForm {
    Q_OBJECT

public:
    static constexpr int cmSetWatchValue = 501;
    static constexpr int cmKillWatch = 155;

    explicit TWatchForm(TModel* model, QWidget* parent = nullptr);
    ~TWatchForm() override;

    void DoCommand(int cmd) override;
    bool IsCommandEnabled(int cmd) override;
    void UpdateAspekt(int code, NotifyData data) override;
    void ColorsChanged() override;
    void ModelAttached() override;
    void RegisterInstance() override;

    TRowGrid* Grid() const { return grid_; }
    QHeaderView* Header() const { return columns_->Header(); }
    QMenu* LocalMenu() const { return columns_->Menu(); }
    int ValueColumnX() const { return columns_->ValueColumnX(); }

protected:
    void AfterShow() override;
    void AfterClose() override;

private:
    TQuendalModel* QuendalModel() const;
    void UpdateRowCount();
    void DrawCell(QPainter& painter, int row, const QRect& rect);
    bool GridKeyDown(QKeyEvent* event);

    TWatchColumns* columns_;
    TRowGrid* grid_;
};

extern TWatchForm* WatchForm;
// Settings section "WatchWindow".
extern TWindowRect WatchWindowRect;
extern int WatchNameColWidth;

// Creates the window for model in area, or brings the existing one to the front when activate.
TWatchForm* ShowWatchWindow(QMdiArea* area, TQuendalModel* model, bool activate);
void ReadWatchSettings(TWinRegistry& reg);
void WriteWatchSettings(TWinRegistry& reg);
