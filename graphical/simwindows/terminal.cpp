#include "graphical/simwindows/terminal.h"

#include "framework/simwindows/rowgrid.h"
#include "framework/simwindows/singlechild.h"
#include "framework/winregistry.h"
#include "graphical/dialogs/coloroptions.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/model/simulatoriostate.h"
#include "platform/qt/ansi.h"

#include <QMdiArea>
#include <QPainter>
#include <algorithm>

TTerminalForm* TerminalForm = nullptr;

namespace {
// The desktop reader creates the window by its class name. The name is spelt out: the meta
// object may not be set up yet while static objects are initialised.
const bool registered = [] {
    RegisterMDIChildClass(QStringLiteral("TTerminalForm"), [](TModel* model) -> TMDIChildForm* {
        return TMDIChildForm::Create<TTerminalForm>(model);
    });
    return true;
}();
} // namespace
TWindowRect TerminalWindowRect;

// The base class holds no model: the window outlives projects and follows the open one.
TTerminalForm::TTerminalForm(TModel* model, QWidget* parent)
    : TSingleChildForm(nullptr, TerminalWindowRect, parent),
      follower_([this](int code, NotifyData data) { UpdateAspekt(code, data); },
                [this] { ModelDestroyed(); }) {
    grid_ = new TRowGrid;
    SetUpTerminalWindow(*this, grid_,
                        [this](QPainter& p, int row, const QRect& r) { DrawCell(p, row, r); });
    ColorsChanged();
    RegisterInstance();
    AttachModel(dynamic_cast<TQuendalModel*>(model));
}

TTerminalForm::~TTerminalForm() {
    ForgetChild(TerminalForm, this);
}

TQuendalModel* TTerminalForm::QuendalModel() const {
    return static_cast<TQuendalModel*>(follower_.Model());
}

void TTerminalForm::RegisterInstance() {
    TerminalForm = this;
}

void TTerminalForm::AttachModel(TQuendalModel* model) {
    follower_.SetModel(model);
    Refresh(-1);
}

void TTerminalForm::ModelDestroyed() {
    follower_.SetModel(nullptr);
    firstRows_.assign(1, 0);
    grid_->SetRowCount(1);
    grid_->viewport()->update();
}

void TTerminalForm::AfterShow() {
    LayoutColumn();
}

void TTerminalForm::AfterResize() {
    LayoutColumn();
}

void TTerminalForm::AfterClose() {
    ForgetChild(TerminalForm, this);
}

void TTerminalForm::LayoutColumn() {
    grid_->SetColumnWidth(80 * QFontMetrics(grid_->font()).horizontalAdvance(QLatin1Char('W')) + 2);
    Refresh(-1);
}

void TTerminalForm::Refresh(int line) {
    const TQuendalModel* model = QuendalModel();
    const int count = model ? model->TerminalLineCount() : 0;
    firstRows_.assign(1, 0);
    for (int i = 0; i < count; ++i) {
        const size_t length = model->TerminalLines[size_t(i)].size();
        const int rows = std::max(1, int((length + Columns - 1) / Columns));
        firstRows_.push_back(firstRows_.back() + rows);
    }
    grid_->SetRowCount(std::max(firstRows_.back(), 1));
    if (line >= 0 && line < count) {
        for (int row = firstRows_[size_t(line)]; row < firstRows_[size_t(line) + 1]; ++row)
            grid_->InvalidateRow(row);
    } else {
        grid_->viewport()->update();
    }
    grid_->SetCurrentRow(grid_->RowCount() - 1);
}

std::string TTerminalForm::RowText(int row) const {
    const TQuendalModel* model = QuendalModel();
    if (!model || row < 0 || firstRows_.size() < 2 || row >= firstRows_.back())
        return {};
    const auto next = std::upper_bound(firstRows_.begin(), firstRows_.end(), row);
    const size_t line = size_t(next - firstRows_.begin()) - 1;
    const size_t part = size_t(row - firstRows_[line]);
    const std::string text = model->GetTerminalLine(int(line));
    return part * Columns < text.size() ? text.substr(part * Columns, Columns) : std::string();
}

void TTerminalForm::UpdateAspekt(int code, NotifyData data) {
    if (code == nmTerminalLine)
        Refresh(int(data));
}

void TTerminalForm::DrawCell(QPainter& painter, int row, const QRect& rect) {
    painter.fillRect(rect, ViewColor(cnTerminalBackgnd));
    const std::string text = RowText(row);
    if (text.empty())
        return;
    painter.setPen(ViewColor(cnTerminalText));
    painter.drawText(rect.left() + 2, rect.top() + 2 + painter.fontMetrics().ascent(),
                     platform::AnsiToQString(text));
}

bool TTerminalForm::IsCommandEnabled(int cmd) {
    if (cmd == cmCopy || cmd == cmClearWindow) {
        const TQuendalModel* model = QuendalModel();
        return model && model->TerminalLineCount() > 0;
    }
    return TMDIChildForm::IsCommandEnabled(cmd);
}

void TTerminalForm::DoCommand(int cmd) {
    if (!IsCommandEnabled(cmd))
        return TMDIChildForm::DoCommand(cmd);
    if (cmd == cmCopy)
        QuendalModel()->CopyTerminalToClipboard();
    else if (cmd == cmClearWindow)
        QuendalModel()->ClearTerminal();
}

void TTerminalForm::ColorsChanged() {
    grid_->SetBackground(ViewColor(cnTerminalBackgnd));
    grid_->SetRowFont(ViewFont(fvTerminal));
    // The grid's own, not the window's: the frame and title bar keep the desktop's colours.
    QPalette pal = grid_->palette();
    pal.setColor(QPalette::Window, ViewColor(cnTerminalBackgnd));
    grid_->setPalette(pal);
    grid_->viewport()->update();
}

TTerminalForm* ShowTerminalWindow(QMdiArea* area, TQuendalModel* model) {
    if (TerminalForm) {
        TerminalForm->showNormal();
        TerminalForm->raise();
        if (area)
            area->setActiveSubWindow(TerminalForm);
        return TerminalForm;
    }
    return CreateAtDefaultPlace<TTerminalForm>(area, model);
}

void ReadTerminalSettings(TWinRegistry& reg) {
    TerminalWindowRect.Read(reg, "TerminalWindow");
}

void WriteTerminalSettings(TWinRegistry& reg) {
    if (TerminalForm)
        TerminalWindowRect = TWindowRect::FromNormalBounds(TerminalForm->GetNormalBounds());
    TerminalWindowRect.Write(reg, "TerminalWindow");
}

void InstallTerminalHook(QMdiArea* area) {
    SimulatorWindows.ShowTerminal = [area](TQuendalModel* model) {
        if (!TerminalForm)
            ShowTerminalWindow(area, model);
    };
}
