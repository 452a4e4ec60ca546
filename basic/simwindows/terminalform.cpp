#include "basic/simwindows/terminalform.h"

#include "basic/dialogs/colorsettings.h"
#include "basic/library/linotrex.h"
#include "basic/simwindows/simcommands.h"
#include "framework/simwindows/rowgrid.h"
#include "framework/simwindows/singlechild.h"
#include "framework/simwindows/terminallines.h"
#include "framework/winregistry.h"
#include "platform/qt/ansi.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMdiArea>
#include <QPainter>
#include <QPointer>
#include <algorithm>

namespace harvel {

TTerminalForm* TerminalForm = nullptr;
TWindowRect TerminalWindowRect;

namespace {

struct TTerminalList {
    std::vector<std::string> lines;
    std::vector<uint8_t> marks;
};

TTerminalList& List() {
    static TTerminalList list;
    return list;
}

QPointer<QMdiArea> terminalArea;

// The colour of highlighted lines.
constexpr TStoredColor MarkedColor = 0xFF00;

} // namespace

const std::vector<std::string>& TerminalLines() {
    return List().lines;
}

const std::vector<uint8_t>& TerminalMarks() {
    return List().marks;
}

bool& OpenTerminalOnOutput() {
    static bool open = true;
    return open;
}

void AddTerminalText(const QString& text, uint8_t mark) {
    if (text.isNull())
        return;
    TTerminalList& list = List();
    // Kept within the limit also while the window is closed, so that a long run cannot fill
    // the memory.
    const TTerminalChange change =
        AppendTerminalText(list.lines, platform::QStringToAnsi(text), TTabRule::BlankThenStop,
                           TerminalLineLimit, &list.marks, mark);
    if (TerminalForm) {
        if (change.trimmed)
            TerminalForm->Refresh(-1, -1);
        else
            TerminalForm->Refresh(change.first, change.last);
    } else if (OpenTerminalOnOutput()) {
        ShowTerminalWindow(terminalArea, false);
    }
    OpenTerminalOnOutput() = false;
}

void ClearTerminal() {
    List() = TTerminalList();
    if (TerminalForm)
        TerminalForm->Refresh(-1, -1);
}

TTerminalForm::TTerminalForm(TModel* model, QWidget* parent)
    : TSingleChildForm(model, TerminalWindowRect, parent) {
    grid_ = new TRowGrid;
    SetUpTerminalWindow(*this, grid_,
                        [this](QPainter& p, int row, const QRect& r) { DrawCell(p, row, r); });
    ColorsChanged();
    RegisterInstance();
    Refresh(-1, -1);
}

TTerminalForm::~TTerminalForm() {
    ForgetChild(TerminalForm, this);
}

void TTerminalForm::RegisterInstance() {
    TerminalForm = this;
}

void TTerminalForm::AfterShow() {
    LayoutColumn();
    Refresh(-1, -1);
}

void TTerminalForm::AfterResize() {
    LayoutColumn();
    grid_->SetCurrentRow(grid_->RowCount() - 1);
}

void TTerminalForm::AfterClose() {
    ForgetChild(TerminalForm, this);
}

void TTerminalForm::LayoutColumn() {
    grid_->SetColumnWidth(80 * QFontMetrics(grid_->font()).horizontalAdvance(QLatin1Char('W')) + 2);
}

void TTerminalForm::Refresh(int first, int last) {
    grid_->SetRowCount(std::max(int(TerminalLines().size()), 1));
    if (first < 0)
        grid_->viewport()->update();
    else
        for (int row = first; row <= last; ++row)
            grid_->InvalidateRow(row);
    grid_->SetCurrentRow(grid_->RowCount() - 1);
}

void TTerminalForm::DrawCell(QPainter& painter, int row, const QRect& rect) {
    painter.fillRect(rect, ColorSettings().Color(clTerminalBackgnd));
    const TTerminalList& list = List();
    if (row >= int(list.lines.size()))
        return;
    const bool marked = size_t(row) < list.marks.size() && list.marks[size_t(row)] == 1;
    painter.setPen(marked ? TColorSettings::ToQColor(MarkedColor) : textColor_);
    painter.drawText(rect.left() + 2, rect.top() + 2 + painter.fontMetrics().ascent(),
                     platform::AnsiToQString(list.lines[size_t(row)]));
}

bool TTerminalForm::IsCommandEnabled(int cmd) {
    if (IsSimulatorCommand(cmd))
        return SimulatorCommandEnabled(Linotrex(), cmd);
    switch (cmd) {
    case cmCopy:
    case cmClearWindow:
        return !TerminalLines().empty();
    default:
        return TMDIChildForm::IsCommandEnabled(cmd);
    }
}

void TTerminalForm::DoCommand(int cmd) {
    if (IsSimulatorCommand(cmd))
        return DoSimulatorCommand(Linotrex(), cmd);
    if (!IsCommandEnabled(cmd))
        return TMDIChildForm::DoCommand(cmd);
    switch (cmd) {
    case cmCopy:
        QGuiApplication::clipboard()->setText(
            platform::AnsiToQString(JoinTerminalLines(TerminalLines())));
        break;
    case cmClearWindow:
        ClearTerminal();
        break;
    default:
        TMDIChildForm::DoCommand(cmd);
    }
}

void TTerminalForm::ColorsChanged() {
    grid_->SetBackground(ColorSettings().Color(clTerminalBackgnd));
    textColor_ = ColorSettings().Color(clTerminalText);
    const QFont font = ColorSettings().Font(fvTerminal);
    grid_->SetRowFont(font);
    LayoutColumn();
    grid_->viewport()->update();
}

TTerminalForm* ShowTerminalWindow(QMdiArea* area, bool activate) {
    return ShowSingleChild(TerminalForm, area, nullptr, activate, true);
}

void ReadTerminalSettings(TWinRegistry& reg) {
    TerminalWindowRect.Read(reg, QStringLiteral("TerminalWindow"));
}

void WriteTerminalSettings(TWinRegistry& reg) {
    if (TerminalForm)
        KeepClosingPlace(TerminalWindowRect, *TerminalForm);
    TerminalWindowRect.Write(reg, QStringLiteral("TerminalWindow"));
}

void ConnectTerminalWindow(QMdiArea* area, TLinotrex& wrapper) {
    terminalArea = area;
    wrapper.Views().AddTerminalText = [](const QString& text) { AddTerminalText(text); };
}

} // namespace harvel
