#include "graphical/simwindows/watchfrm.h"

#include "framework/simwindows/rowgrid.h"
#include "framework/simwindows/singlechild.h"
#include "framework/utils.h"
#include "framework/winregistry.h"
#include "graphical/dialogs/coloroptions.h"
#include "graphical/model/quendalmodel.h"
#include "platform/qt/ansi.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QPainter>
#include <QStandardItemModel>
#include <QVBoxLayout>
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

TWatchForm::TWatchForm(TModel* model, QWidget* parent) : TMDIChildForm(model, parent) {
    setWindowTitle(QStringLiteral("\u00DCberwachte Variablen"));
    ResizeUnlessPlaced(240, 125);

    auto* client = new QWidget;
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    header_ = new QHeaderView(Qt::Horizontal, client);
    auto* headerModel = new QStandardItemModel(0, 2, header_);
    headerModel->setHorizontalHeaderLabels({QStringLiteral("Variable"), QStringLiteral("Wert")});
    header_->setModel(headerModel);
    // The name column's minimum of 65 is kept in LayoutColumns: the header's minimum would
    // hold for the value column too.
    header_->setMinimumSectionSize(1);
    header_->resizeSection(0, WatchNameColWidth);
    header_->resizeSection(1, 100);
    header_->setSectionsClickable(false);
    header_->setFixedHeight(18);
    grid_ = new TRowGrid(client);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(header_);
    layout->addWidget(grid_);
    setWidget(client);

    menu_ = new QMenu(this);
    auto addItem = [this](int tag, const QString& text, const QKeySequence& key) {
        QAction* action = menu_->addAction(text);
        action->setData(tag);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, [this, tag] { DoCommand(tag); });
    };
    addItem(cmSetWatchValue, QStringLiteral("Wert ver\u00E4ndern..."),
            QKeySequence(Qt::Key_Return));
    addItem(cmKillWatch, QStringLiteral("Bezeichner aus Liste l\u00F6schen"),
            QKeySequence(Qt::Key_Delete));
    connect(menu_, &QMenu::aboutToShow, this, [this] {
        for (QAction* action : menu_->actions())
            action->setEnabled(IsCommandEnabled(action->data().toInt()));
    });
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { menu_->popup(grid_->mapToGlobal(pos)); });

    grid_->DrawCell = [this](QPainter& p, int row, const QRect& r) { DrawCell(p, row, r); };
    grid_->KeyDown = [this](QKeyEvent* event) { return GridKeyDown(event); };
    grid_->DoubleClick = [this] { DoCommand(cmSetWatchValue); };
    connect(header_, &QHeaderView::sectionResized, this, [this] { LayoutColumns(); });

    ColorsChanged();
    RegisterInstance();
}

TWatchForm::~TWatchForm() {
    if (WatchForm == this)
        WatchForm = nullptr;
}

TQuendalModel* TWatchForm::QuendalModel() const {
    return dynamic_cast<TQuendalModel*>(Model());
}

void TWatchForm::RegisterInstance() {
    WatchForm = this;
}

void TWatchForm::showEvent(QShowEvent* event) {
    if (!WatchWindowRect.Empty())
        setGeometry(WatchWindowRect.ToQRect());
    TMDIChildForm::showEvent(event);
    LayoutColumns();
}

void TWatchForm::resizeEvent(QResizeEvent* event) {
    TMDIChildForm::resizeEvent(event);
    LayoutColumns();
    KeepShownPlace(WatchWindowRect, *this);
}

void TWatchForm::closeEvent(QCloseEvent* event) {
    KeepClosingPlace(WatchWindowRect, *this);
    TMDIChildForm::closeEvent(event);
    if (event->isAccepted() && WatchForm == this)
        WatchForm = nullptr;
}

void TWatchForm::LayoutColumns() {
    if (layingOut_)
        return;
    layingOut_ = true;
    const int clientWidth = header_->width();
    // The value column keeps at least 45 pixels.
    const int nameWidth =
        std::max(std::min(std::max(header_->sectionSize(0), 65), clientWidth - 45), 0);
    if (header_->sectionSize(0) != nameWidth)
        header_->resizeSection(0, nameWidth);
    valueColumnX_ = nameWidth + 2;
    header_->resizeSection(1, std::max(clientWidth - nameWidth, 0));
    grid_->SetColumnWidth(grid_->viewport()->width());
    WatchNameColWidth = nameWidth;
    grid_->viewport()->update();
    layingOut_ = false;
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
    painter.drawText(rect.left() + valueColumnX_, baseline,
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
    grid_->SetBackground(ViewColor(cnWatchBackgnd));
    grid_->setFont(ViewFont(fvWatch));
    const int rowHeight = QFontMetrics(ViewFont(fvWatch)).height() + 8;
    grid_->SetRowHeight(rowHeight);
    header_->setFont(ViewFont(fvWatch));
    header_->setFixedHeight(rowHeight);
    grid_->viewport()->update();
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
