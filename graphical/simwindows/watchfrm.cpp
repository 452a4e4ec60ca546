#include "graphical/simwindows/watchfrm.h"

#include "framework/simwindows/rowgrid.h"
#include "framework/simwindows/singlechild.h"
#include "framework/simwindows/watchcolumns.h"
#include "framework/utils.h"
#include "framework/winregistry.h"
#include "graphical/dialogs/coloroptions.h"
#include "graphical/model/quendalmodel.h"
#include "platform/qt/ansi.h"

#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QPainter>
#include <algorithm>

TWatchForm* WatchForm = nullptr;

namespace {
// The desktop reader creates the window by its class name. The name is spelt out: the meta
// object may not be set up yet while static objects are initialised.
const bool registered = [] {
    RegisterMDIChildClass(QStringLiteral("TWatchForm"), [](TModel* model) -> TMDIChildForm* {
        return TMDIChildForm::Create<TWatchForm>(model);
    });
    return true;
}();
} // namespace
TWindowRect WatchWindowRect;
int WatchNameColWidth = 100;

TWatchForm::TWatchForm(TModel* model, QWidget* parent)
    : TWatchWindow(model, WatchWindowRect, QSize(240, 125), WatchNameColWidth, parent) {
    columns_->NameWidthChanged = [](int width) { WatchNameColWidth = width; };
    columns_->AddCommand(cmSetWatchValue, QStringLiteral("Wert ver\u00E4ndern..."),
                         QKeySequence(Qt::Key_Return));
    columns_->AddCommand(cmKillWatch, QStringLiteral("Bezeichner aus Liste l\u00F6schen"),
                         QKeySequence(Qt::Key_Delete));
    grid_->DoubleClick = [this] { DoCommand(cmSetWatchValue); };

    ColorsChanged();
    RegisterInstance();
}

TWatchForm::~TWatchForm() {
    ForgetChild(WatchForm, this);
}

TQuendalModel* TWatchForm::QuendalModel() const {
    return dynamic_cast<TQuendalModel*>(Model());
}

void TWatchForm::RegisterInstance() {
    WatchForm = this;
}

void TWatchForm::AfterShow() {
    columns_->LayoutColumns();
}

void TWatchForm::AfterClose() {
    ForgetChild(WatchForm, this);
}

void TWatchForm::ModelAttached() {
    UpdateRowCount();
}

void TWatchForm::UpdateRowCount() {
    const TQuendalModel* model = QuendalModel();
    grid_->SetRowCount(std::max(model ? model->WatchCount() : 0, 1));
    grid_->viewport()->update();
}

void TWatchForm::UpdateAspekt(int code, NotifyData data) {
    const TQuendalModel* model = QuendalModel();
    switch (code) {
    case nmWatchAdded:
    case nmWatchDeleted:
        UpdateRowCount();
        break;
    case nmWatchSelected:
        if (model && data >= 0 && data < model->WatchCount())
            grid_->SetCurrentRow(int(data));
        break;
    case nmWatchesRefreshed:
        for (int row = 0; model && row < model->WatchCount(); ++row) {
            if (model->GetWatch(row)->Changed)
                grid_->InvalidateRow(row);
        }
        break;
    default:
        break;
    }
}

void TWatchForm::DrawCell(QPainter& painter, int row, const QRect& rect) {
    const TQuendalModel* model = QuendalModel();
    if (!model || row >= model->WatchCount())
        return;
    const TWatchEntry* watch = model->GetWatch(row);
    painter.fillRect(rect, ViewColor(cnWatchBackgnd));
    painter.setPen(row == grid_->CurrentRow() ? ViewColor(cnWatchText) : ViewColor(cnWatchBackgnd));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    const int baseline = rect.top() + 2 + painter.fontMetrics().ascent();
    painter.setPen(ViewColor(cnWatchText));
    painter.drawText(rect.left() + 2, baseline, platform::AnsiToQString(watch->Name));
    painter.setPen(!watch->Valid    ? ViewColor(cnWatchInvalid)
                   : watch->Changed ? ViewColor(cnWatchChanged)
                                    : ViewColor(cnWatchText));
    painter.drawText(rect.left() + columns_->ValueColumnX(), baseline,
                     platform::AnsiToQString(watch->ValueText()));
}

bool TWatchForm::GridKeyDown(QKeyEvent* event) {
    if (HelpKey(event, 12000))
        return true;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (IsCommandEnabled(cmSetWatchValue))
            DoCommand(cmSetWatchValue);
        return true;
    case Qt::Key_Delete:
        if (IsCommandEnabled(cmKillWatch))
            DoCommand(cmKillWatch);
        return true;
    default:
        return false;
    }
}

bool TWatchForm::IsCommandEnabled(int cmd) {
    if (cmd == cmSetWatchValue || cmd == cmKillWatch) {
        const TQuendalModel* model = QuendalModel();
        return model && grid_->CurrentRow() < model->WatchCount();
    }
    return TMDIChildForm::IsCommandEnabled(cmd);
}

void TWatchForm::DoCommand(int cmd) {
    TQuendalModel* model = QuendalModel();
    const int row = grid_->CurrentRow();
    switch (cmd) {
    case cmSetWatchValue:
        if (IsCommandEnabled(cmd) && model->GetWatch(row)->EditValue())
            grid_->InvalidateRow(row);
        break;
    case cmKillWatch:
        if (IsCommandEnabled(cmd))
            model->DeleteWatch(row);
        break;
    default:
        TMDIChildForm::DoCommand(cmd);
    }
}

void TWatchForm::ColorsChanged() {
    columns_->SetViewFont(ViewFont(fvWatch), ViewColor(cnWatchBackgnd));
}

TWatchForm* ShowWatchWindow(QMdiArea* area, TQuendalModel* model, bool activate) {
    if (WatchForm) {
        if (activate) {
            WatchForm->showNormal();
            WatchForm->raise();
            if (area)
                area->setActiveSubWindow(WatchForm);
        }
        return WatchForm;
    }
    return CreateAtDefaultPlace<TWatchForm>(area, model);
}

void ReadWatchSettings(TWinRegistry& reg) {
    WatchWindowRect.Read(reg, "WatchWindow");
    WatchNameColWidth = reg.ReadInteger("WatchWindow", "NameColWidth", 100);
}

void WriteWatchSettings(TWinRegistry& reg) {
    if (WatchForm)
        WatchWindowRect = TWindowRect::FromNormalBounds(WatchForm->GetNormalBounds());
    reg.EraseSection("WatchWindow");
    WatchWindowRect.Write(reg, "WatchWindow");
    reg.WriteInteger("WatchWindow", "NameColWidth", WatchNameColWidth);
}
