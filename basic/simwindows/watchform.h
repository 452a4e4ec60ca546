// The watched variables of the BASIC program with their simulator values; the user adds,
// renames, deletes and changes them. The entries are the wrapper's watch list, which outlasts
// the window.
#pragma once

#include "basic/commands.h"
#include "framework/simwindows/watchwindow.h"

#include <string>

class QMdiArea;
class TWinRegistry;

namespace harvel {

class TLinotrex;

class TWatchForm : public TWatchWindow {
    Q_OBJECT

public:
    static constexpr int cmDeleteWatch = cmDelete;
    static constexpr int cmInsertWatch = 500;
    static constexpr int cmEditWatch = 501;
    static constexpr int cmChangeValue = 502;
    // Longest name kept from the settings.
    static constexpr int MaxNameLength = 42;

    explicit TWatchForm(TModel* model, QWidget* parent = nullptr);
    ~TWatchForm() override;

    bool Idle(QObject* sender) override;
    void DoCommand(int cmd) override;
    bool IsCommandEnabled(int cmd) override;
    void ColorsChanged() override;
    void RegisterInstance() override;

    // With ask, only a name confirmed in the input box is added.
    void AddWatch(const std::string& name, bool ask);
    // Renames, deletes (empty name) or, on the last row, adds an entry.
    void EditWatch(int row);
    void DeleteWatch(int row);
    void ChangeWatchValue(int row);
    // Redraws the rows whose entries changed at the last evaluation.
    void RepaintChangedWatches();
    // One row per entry and the empty row for a new name.
    void SyncRows();

protected:
    void AfterShow() override;
    void AfterClose() override;
    void DrawCell(QPainter& painter, int row, const QRect& rect) override;
    bool GridKeyDown(QKeyEvent* event) override;

private:
    bool HasEntry(int row) const;
    void GridDoubleClick();
};

extern TWatchForm* WatchForm;
// Settings section "WatchWindow".
extern TWindowRect WatchWindowRect;
extern int WatchNameColWidth;

// Creates the window in area, or brings the open one to the front when activate.
TWatchForm* ShowWatchWindow(QMdiArea* area, bool activate);
// Also replaces the watch list with the stored names.
// The window's stored place is taken only with withPlace.
void ReadWatchSettings(TWinRegistry& reg, bool withPlace = true);
void WriteWatchSettings(TWinRegistry& reg);
// The wrapper's hooks for repainting changed watches and showing the window.
void ConnectWatchWindow(QMdiArea* area, TLinotrex& wrapper);

} // namespace harvel
