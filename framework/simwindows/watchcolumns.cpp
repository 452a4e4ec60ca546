#include "framework/simwindows/watchcolumns.h"

#include "framework/simwindows/rowgrid.h"
#include "platform/qt/failure.h"

#include <QHeaderView>
#include <QMenu>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <algorithm>

TWatchColumns::TWatchColumns(int nameWidth, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    header_ = new QHeaderView(Qt::Horizontal, this);
    auto* headerModel = new QStandardItemModel(0, 2, header_);
    headerModel->setHorizontalHeaderLabels({QStringLiteral("Variable"), QStringLiteral("Wert")});
    header_->setModel(headerModel);
    // The name column's minimum of 65 is kept in LayoutColumns: the header's minimum would
    // hold for the value column too.
    header_->setMinimumSectionSize(1);
    header_->resizeSection(0, nameWidth);
    header_->resizeSection(1, 100);
    header_->setSectionsClickable(false);
    header_->setFixedHeight(18);
    grid_ = new TRowGrid(this);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(header_);
    layout->addWidget(grid_);
    connect(header_, &QHeaderView::sectionResized, this, [this] { LayoutColumns(); });

    menu_ = new QMenu(this);
    connect(menu_, &QMenu::aboutToShow, this, [this] {
        for (QAction* action : menu_->actions())
            action->setEnabled(!IsCommandEnabled || IsCommandEnabled(action->data().toInt()));
    });
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { menu_->popup(grid_->mapToGlobal(pos)); });
}

void TWatchColumns::AddCommand(int tag, const QString& text, const QKeySequence& key) {
    QAction* action = menu_->addAction(text);
    action->setData(tag);
    action->setShortcut(key);
    // The grid takes the keys itself; the shortcut only shows in the menu.
    action->setShortcutContext(Qt::WidgetShortcut);
    ConnectCommand(action, this, [this, tag] {
        if (DoCommand)
            DoCommand(tag);
    });
}

void TWatchColumns::SetViewFont(const QFont& font, const QColor& background) {
    grid_->SetBackground(background);
    grid_->SetRowFont(font);
    header_->setFont(font);
    header_->setFixedHeight(grid_->RowHeight());
    grid_->viewport()->update();
}

void TWatchColumns::LayoutColumns() {
    if (layingOut_)
        return;
    layingOut_ = true;
    const int clientWidth = header_->width();
    const int nameWidth =
        std::max(std::min(std::max(header_->sectionSize(0), 65), clientWidth - 45), 0);
    if (header_->sectionSize(0) != nameWidth)
        header_->resizeSection(0, nameWidth);
    valueColumnX_ = nameWidth + 2;
    header_->resizeSection(1, std::max(clientWidth - nameWidth, 0));
    grid_->SetColumnWidth(grid_->viewport()->width());
    if (NameWidthChanged)
        NameWidthChanged(nameWidth);
    grid_->viewport()->update();
    layingOut_ = false;
}

void TWatchColumns::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutColumns();
}
