// The list of watched simulator variables with their current values.
#pragma once

#include "framework/simwindows/watchwindow.h"

class QMdiArea;
class TQuendalModel;
class TWinRegistry;

class TWatchForm : public TWatchWindow {
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

protected:
    void AfterShow() override;
    void AfterClose() override;
    void DrawCell(QPainter& painter, int row, const QRect& rect) override;
    bool GridKeyDown(QKeyEvent* event) override;

private:
    TQuendalModel* QuendalModel() const;
    void UpdateRowCount();
};

extern TWatchForm* WatchForm;
// Settings section "WatchWindow".
extern TWindowRect WatchWindowRect;
extern int WatchNameColWidth;

// Creates the window for model in area, or brings the existing one to the front when activate.
TWatchForm* ShowWatchWindow(QMdiArea* area, TQuendalModel* model, bool activate);
void ReadWatchSettings(TWinRegistry& reg);
void WriteWatchSettings(TWinRegistry& reg);
