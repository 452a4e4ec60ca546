// The messages of compiling and downloading. The list belongs to the program and outlasts the
// window; a compiler error line leads to its line in the source window.
#pragma once

#include "basic/commands.h"
#include "framework/simwindows/singlechild.h"

#include <QString>
#include <cstdint>
#include <vector>

class QMdiArea;
class TRowGrid;
class TWinRegistry;

namespace harvel {

class TLinotrex;

enum TMessageKind : uint8_t { mkPlain = 0, mkError = 1, mkProgress = 2, mkCompilerError = 3 };

struct TMessageLine {
    QString text;
    TMessageKind kind = mkPlain;
};

// The program's message list.
const std::vector<TMessageLine>& Messages();
void ClearMessages();
// An error beeps first.
void AddMessage(const QString& text, TMessageKind kind);
void AppendToLastMessage(const QString& text);
// Every CR LF separated line becomes a compiler error line.
void AddCompilerErrors(const QString& buffer);
bool HasNextError();
bool HasPreviousError();
// direction 0 first, +1 next, -1 previous error line; shows the window and the source line.
// With activate the source window comes to the front, else the message window.
void GoToError(int direction, bool activate);
// Index of the current compiler error line, -1 when there is none.
int CurrentErrorLine();
// The line number a compiler error line names (its first run of digits), -1 when none.
int SourceLineOf(const QString& text);

class TMessageForm : public TSingleChildForm {
    Q_OBJECT

public:
    explicit TMessageForm(TModel* model, QWidget* parent = nullptr);
    ~TMessageForm() override;

    void DoCommand(int cmd) override;
    bool IsCommandEnabled(int cmd) override;
    void ColorsChanged() override;
    void RegisterInstance() override;

    TRowGrid* Grid() const { return grid_; }
    // Row count from the list; row (every row for -1) redrawn; the last row current.
    void Refresh(int row);
    // The source line of the grid's current row, for a compiler error line.
    void ShowSource(bool activate);

protected:
    void AfterShow() override;
    void AfterResize() override;
    void AfterClose() override;

private:
    void LayoutColumn();
    void DrawCell(QPainter& painter, int row, const QRect& rect);

    TRowGrid* grid_;
};

// The open window, null while closed.
extern TMessageForm* MessageForm;
// Settings section "MessageWindow".
extern TWindowRect MessageWindowRect;

// Creates the window in area, or restores the open one and, when asked, brings it to the front.
TMessageForm* ShowMessageWindow(QMdiArea* area, bool activate);
void ReadMessageSettings(TWinRegistry& reg);
void WriteMessageSettings(TWinRegistry& reg);
// The wrapper's message hooks go to the list; the window opens in area.
void ConnectMessageWindow(QMdiArea* area, TLinotrex& wrapper);

} // namespace harvel
