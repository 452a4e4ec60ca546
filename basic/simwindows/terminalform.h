// What the simulated BASIC program prints. The lines belong to the program and outlast the
// window; the first output opens it.
#pragma once

#include "basic/commands.h"
#include "framework/simwindows/singlechild.h"

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

class QMdiArea;
class TRowGrid;
class TWinRegistry;

namespace harvel {

class TLinotrex;

// At most this many lines are kept.
inline constexpr size_t TerminalLineLimit = 1000;

// The program's output lines (8-bit text) and their marks (1 highlighted).
const std::vector<std::string>& TerminalLines();
const std::vector<uint8_t>& TerminalMarks();
// Continues the last line; CR LF starts a new one. A null text does nothing.
void AddTerminalText(const QString& text, uint8_t mark = 0);
void ClearTerminal();
// Whether the next output opens the window (set at start, cleared by every output).
bool& OpenTerminalOnOutput();

class TTerminalForm : public TSingleChildForm {
    Q_OBJECT

public:
    explicit TTerminalForm(TModel* model, QWidget* parent = nullptr);
    ~TTerminalForm() override;

    void DoCommand(int cmd) override;
    bool IsCommandEnabled(int cmd) override;
    void ColorsChanged() override;
    void RegisterInstance() override;

    TRowGrid* Grid() const { return grid_; }
    // Row count from the list; rows first..last (every row for -1) redrawn; the last row
    // current.
    void Refresh(int first, int last);

protected:
    void AfterShow() override;
    void AfterResize() override;
    void AfterClose() override;

private:
    void LayoutColumn();
    void DrawCell(QPainter& painter, int row, const QRect& rect);

    TRowGrid* grid_;
    QColor textColor_;
};

// The open window, null while closed.
extern TTerminalForm* TerminalForm;
// Settings section "TerminalWindow".
extern TWindowRect TerminalWindowRect;

// Creates the window in area or brings the open one to the front (when asked).
TTerminalForm* ShowTerminalWindow(QMdiArea* area, bool activate);
void ReadTerminalSettings(TWinRegistry& reg);
void WriteTerminalSettings(TWinRegistry& reg);
// The wrapper's output goes to the list; the window opens in area.
void ConnectTerminalWindow(QMdiArea* area, TLinotrex& wrapper);

} // namespace harvel
