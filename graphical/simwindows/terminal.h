// The lines the simulated unit printed on its serial output.
#pragma once

#include "framework/simwindows/singlechild.h"
#include "graphical/model/modelfollower.h"

#include <string>
#include <vector>

class QMdiArea;
class TQuendalModel;
class TRowGrid;
class TWinRegistry;

class TTerminalForm : public TSingleChildForm {
    Q_OBJECT

public:
    static constexpr int cmCopy = 153;
    static constexpr int cmClearWindow = 160;

    explicit TTerminalForm(TModel* model, QWidget* parent = nullptr);
    ~TTerminalForm() override;

    // The window becomes a view of model (null: of none) and shows its lines.
    void AttachModel(TQuendalModel* model);
    TQuendalModel* QuendalModel() const;

    void DoCommand(int cmd) override;
    bool IsCommandEnabled(int cmd) override;
    void UpdateAspekt(int code, NotifyData data) override;
    void ColorsChanged() override;
    void ModelDestroyed() override;
    void RegisterInstance() override;

    // A line wraps into rows of this many characters, the width of the column.
    static constexpr int Columns = 80;

    TRowGrid* Grid() const { return grid_; }
    // Rows from the model's lines; the rows of line (or every row for -1) redrawn; the last
    // row current, so that the newest output stays in view.
    void Refresh(int line);
    // The text a row shows: its part of a wrapped line.
    std::string RowText(int row) const;

protected:
    void AfterShow() override;
    void AfterResize() override;
    void AfterClose() override;

private:
    void LayoutColumn();
    void DrawCell(QPainter& painter, int row, const QRect& rect);

    TRowGrid* grid_;
    TModelFollower follower_;
    // The first row of each line, and the row count after the last.
    std::vector<int> firstRows_;
};

extern TTerminalForm* TerminalForm;
// Settings section "TerminalWindow".
extern TWindowRect TerminalWindowRect;

TTerminalForm* ShowTerminalWindow(QMdiArea* area, TQuendalModel* model);
void ReadTerminalSettings(TWinRegistry& reg);
void WriteTerminalSettings(TWinRegistry& reg);
// Lets the simulation driver open the window in area when the unit prints.
void InstallTerminalHook(QMdiArea* area);
