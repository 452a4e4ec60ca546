#include "graphical/mainwindow/projectcontroller.h"

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

#include "framework/application.h"
#include "framework/commands.h"
#include "framework/desktop.h"
#include "framework/mdichild.h"
#include "framework/mrufilelist.h"
#include "framework/utils.h"
#include "framework/winregistry.h"
#include "graphical/editors/commentedit.h"
#include "graphical/editors/tableedit.h"
#include "graphical/model/blocklist.h"
#include "graphical/model/conversiontable.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/model/undoactions.h"
#include "graphical/simwindows/fileform.h"
#include "graphical/simwindows/terminal.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"

bool AutoExpandCells = true;
bool AutoExpandTables = false;
bool AutoOpenFirstCell = true;
bool AutoSynchronize = false;

TCellEditorHooks CellEditors;

const char* const TProjectController::DragFormat = "application/x-tavrissel-cell-drag";

namespace {

enum TTreeCommand : int {
    cmOpen = 600,
    cmInsertCell = 601,
    cmInsertTable = 602,
    cmInsertTableFile = 603,
};

enum TTreeImage : int {
    imFolderClosed = 0,
    imFolderOpen = 1,
    imComment = 2,
    imCell = 3,
    imTable = 4,
    imTableFile = 5,
};

const QString Section = QStringLiteral("ProjectWindow");
const QString RootText = QStringLiteral("Kommentar zum Programm");
const QString TablesText = QStringLiteral("Umsetzungstabellen");
const QString CellsText = QStringLiteral("Programmzellen");

uint32_t Hi(uint32_t data) {
    return data >> 16;
}

uint32_t Lo(uint32_t data) {
    return data & 0xFFFF;
}

uint32_t MakeData(uint32_t hi, uint32_t lo) {
    return (hi << 16) | (lo & 0xFFFF);
}

// Keeps a flag set for the lifetime of the guard.
class TFlagGuard {
public:
    explicit TFlagGuard(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~TFlagGuard() { flag_ = old_; }

private:
    bool& flag_;
    bool old_;
};

QIcon ImageIcon(const QTreeWidget* tree, int image) {
    static const QStyle::StandardPixmap pictures[] = {
        QStyle::SP_DirClosedIcon,          QStyle::SP_DirOpenIcon,
        QStyle::SP_FileDialogInfoView,     QStyle::SP_FileIcon,
        QStyle::SP_FileDialogDetailedView, QStyle::SP_FileLinkIcon};
    return tree->style()->standardIcon(pictures[std::clamp(image, 0, 5)]);
}

// The image shows as the node's icon, the state as its text: red with a breakpoint, bold at
// the step position.
void SetImage(QTreeWidgetItem* node, int image) {
    node->setData(0, TProjectController::ImageRole, image);
    node->setIcon(0, ImageIcon(node->treeWidget(), image));
}

void SetState(QTreeWidgetItem* node, int state) {
    node->setData(0, TProjectController::StateRole, state);
    QFont font = node->font(0);
    font.setBold(state == 2);
    node->setFont(0, font);
    node->setForeground(0, state == 1 ? QBrush(Qt::red) : QBrush());
}

} // namespace

// ---------------------------------------------------------------------------------------------

QWidget* TProjectTreeDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const {
    auto* tree = qobject_cast<QTreeWidget*>(this->parent());
    QTreeWidgetItem* node = tree ? tree->itemFromIndex(index) : nullptr;
    if (!controller_->CanEditLabel(node))
        return nullptr;
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void TProjectTreeDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                        const QModelIndex& index) const {
    auto* tree = qobject_cast<QTreeWidget*>(parent());
    auto* line = qobject_cast<QLineEdit*>(editor);
    // Called from inside the view's own key and focus handling.
    if (tree && line)
        platform::GuardCallback(
            [&] { controller_->LabelEdited(tree->itemFromIndex(index), line->text()); });
}

// ---------------------------------------------------------------------------------------------

TProjectController::TProjectController(QTreeWidget* tree, QMenu* popup, TMRUFileList* mruList,
                                       QMdiArea* area)
    : tree_(tree), popup_(popup), mruList_(mruList), area_(area) {
    tree_->setHeaderHidden(true);
    tree_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    tree_->setItemDelegate(new TProjectTreeDelegate(this, tree_));
    tree_->setAcceptDrops(true);
    tree_->viewport()->setAcceptDrops(true);
    tree_->setExpandsOnDoubleClick(false);
    tree_->viewport()->installEventFilter(this);
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { RunCommand([&] { SelectionChanged(current); }); });
    connect(tree_, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* node) { Expanded(node, true); });
    connect(tree_, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* node) { Expanded(node, false); });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this,
            [this] { RunCommand([this] { OpenSelected(); }); });
    CloseProject(true);
    RebuildTree();
}

TProjectController::~TProjectController() {
    tree_->viewport()->removeEventFilter(this);
    FreeModel();
}

TQuendalModel* TProjectController::GetModel() const {
    return static_cast<TQuendalModel*>(Model());
}

QString TProjectController::GetProjectName() const {
    return Model() ? Model()->GetDisplayName() : QString();
}

bool TProjectController::HasCells() const {
    return GetModel() && GetModel()->CellCount() > 0;
}

uint32_t TProjectController::DataOf(const QTreeWidgetItem* node) {
    return node ? node->data(0, DataRole).toUInt() : 0;
}

// ---------------------------------------------------------------------------------------------
// Opening and closing

bool TProjectController::CreateModel() {
    try {
        auto* model = new TQuendalModel();
        SetModel(model);
        return true;
    } catch (const EAbort&) {
        return false;
    }
}

void TProjectController::FreeModel() {
    TModel* model = Model();
    if (!model)
        return;
    SetModel(nullptr);
    delete model;
    tablesNode_ = cellsNode_ = dragNode_ = nullptr;
}

bool TProjectController::OpenProject(const QString& name) {
    TFlagGuard guard(updating_);
    if (!name.isEmpty() && Model() && Model()->FileName() == name)
        return false;
    if (!CloseProject(false))
        return false;
    QApplication::processEvents();
    if (!CreateModel()) {
        RebuildTree();
        return false;
    }
    // A project that failed to load is half read: it goes, the loader has said why.
    if (!(name.isEmpty() ? Model()->InitNew() : Model()->LoadFromFile(name))) {
        FreeModel();
        RebuildTree();
        return false;
    }
    RebuildTree();
    if (MoltraneFileForm)
        MoltraneFileForm->AttachModel(GetModel());
    if (TerminalForm)
        TerminalForm->AttachModel(GetModel());
    if (AutoOpenFirstCell && HasCells()) {
        QTreeWidgetItem* first = cellsNode_->child(0);
        tree_->setCurrentItem(first);
        OpenCell(int(Lo(DataOf(first))));
    } else if (cellsNode_) {
        tree_->setCurrentItem(cellsNode_);
    }
    return true;
}

bool TProjectController::CloseProject(bool force) {
    if (!force) {
        if (!Model())
            return true;
        if (!Model()->CloseQuery())
            return false;
        if (mruList_ && !Model()->FileName().isEmpty())
            mruList_->AddFile(Model()->FileName());
    }
    FreeModel();
    RebuildTree();
    return true;
}

// ---------------------------------------------------------------------------------------------
// The tree

QTreeWidgetItem* TProjectController::NewNode(QTreeWidgetItem* parent, int index,
                                             const QString& text, uint32_t data, int image) {
    auto* node = new QTreeWidgetItem();
    node->setText(0, text);
    node->setData(0, DataRole, data);
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    if (!parent)
        tree_->insertTopLevelItem(index < 0 ? tree_->topLevelItemCount() : index, node);
    else
        parent->insertChild(index < 0 ? parent->childCount() : index, node);
    SetImage(node, image);
    SetState(node, 0);
    return node;
}

int TProjectController::FixedNodesWidth(const QTreeWidget& tree) {
    // The same nodes in a scratch tree of the same look, measured by the view itself.
    QTreeWidget scratch;
    scratch.setFont(tree.font());
    scratch.setIndentation(tree.indentation());
    scratch.setRootIsDecorated(tree.rootIsDecorated());
    scratch.setIconSize(tree.iconSize());
    scratch.setHeaderHidden(true);
    auto* root = new QTreeWidgetItem(&scratch, {RootText});
    root->setIcon(0, ImageIcon(&scratch, imComment));
    for (const QString& text : {TablesText, CellsText})
        (new QTreeWidgetItem(root, {text}))->setIcon(0, ImageIcon(&scratch, imFolderOpen));
    root->setExpanded(true);
    const QAbstractItemView& view = scratch;
    return view.sizeHintForColumn(0) + 2 * tree.frameWidth() +
           tree.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &tree);
}

void TProjectController::RebuildTree() {
    TFlagGuard guard(updating_);
    tree_->setUpdatesEnabled(false);
    tree_->clear();
    tablesNode_ = cellsNode_ = dragNode_ = nullptr;
    if (TQuendalModel* model = GetModel()) {
        QTreeWidgetItem* root = NewNode(nullptr, -1, RootText, MakeData(RootKind, 0), imComment);
        tablesNode_ = NewNode(root, -1, TablesText, MakeData(TableKind, 0), imFolderClosed);
        for (const auto& table : model->Tables)
            NewNode(tablesNode_, -1, MessageQuote(table->Name), MakeData(TableKind, table->Number),
                    table->IsInternal ? imTable : imTableFile);
        cellsNode_ = NewNode(root, -1, CellsText, MakeData(CellKind, 0), imFolderClosed);
        for (const auto& cell : model->Cells) {
            QTreeWidgetItem* node = NewNode(cellsNode_, -1, MessageQuote(cell->Name),
                                            MakeData(CellKind, cell->CellNumber), imCell);
            UpdateCellState(node);
        }
        root->setExpanded(true);
        SetExpanded(tablesNode_, AutoExpandTables);
        SetExpanded(cellsNode_, AutoExpandCells);
    }
    tree_->setUpdatesEnabled(true);
}

void TProjectController::SetExpanded(QTreeWidgetItem* node, bool expanded) {
    if (!node)
        return;
    node->setExpanded(expanded);
    Expanded(node, expanded);
}

void TProjectController::Expanded(QTreeWidgetItem* node, bool expanded) {
    if (node == tablesNode_ || node == cellsNode_)
        SetImage(node, expanded && node->childCount() > 0 ? imFolderOpen : imFolderClosed);
}

void TProjectController::FolderImage(QTreeWidgetItem* folder) {
    if (folder && folder->childCount() == 0)
        SetImage(folder, imFolderClosed);
}

QTreeWidgetItem* TProjectController::TableNode(int number) const {
    for (int i = 0; tablesNode_ && i < tablesNode_->childCount(); ++i) {
        if (int(Lo(DataOf(tablesNode_->child(i)))) == number)
            return tablesNode_->child(i);
    }
    return nullptr;
}

QTreeWidgetItem* TProjectController::CellNode(int number) const {
    for (int i = 0; cellsNode_ && i < cellsNode_->childCount(); ++i) {
        if (int(Lo(DataOf(cellsNode_->child(i)))) == number)
            return cellsNode_->child(i);
    }
    return nullptr;
}

QTreeWidgetItem* TProjectController::FindNode(uint32_t data) const {
    switch (Hi(data)) {
    case RootKind:
        return tree_->topLevelItem(0);
    case TableKind:
        return TableNode(int(Lo(data)));
    case CellKind:
        return CellNode(int(Lo(data)));
    default:
        ShowError(QStringLiteral("HiWord Zellenindex <> 0!"));
        return CellNode(int(Lo(data)));
    }
}

void TProjectController::RemoveNode(QTreeWidgetItem* node) {
    QTreeWidgetItem* folder = node->parent();
    const bool wasSelected = tree_->currentItem() == node;
    if (dragNode_ == node)
        dragNode_ = nullptr;
    delete node;
    FolderImage(folder);
    if (wasSelected)
        tree_->setCurrentItem(folder);
}

void TProjectController::RenumberTables() {
    for (int i = 0; tablesNode_ && i < tablesNode_->childCount(); ++i)
        tablesNode_->child(i)->setData(0, DataRole, MakeData(TableKind, uint32_t(i + 1)));
}

void TProjectController::UpdateCellState(QTreeWidgetItem* node) {
    TQuendalModel* model = GetModel();
    if (!model || !node)
        return;
    const int number = int(Lo(DataOf(node)));
    const int step = model->IsSimulating() ? model->StepPosition : 0;
    int state = 0;
    if (number != 0 && number == step) {
        state = 2;
        if (!updating_ || tree_->currentItem() != node)
            tree_->setCurrentItem(node);
        if (AutoSynchronize)
            ShowCell(number);
    } else if (model->HasBreakpoint(number)) {
        state = 1;
    }
    SetState(node, state);
}

void TProjectController::UpdateAllCellStates() {
    for (int i = 0; cellsNode_ && i < cellsNode_->childCount(); ++i)
        UpdateCellState(cellsNode_->child(i));
}

// ---------------------------------------------------------------------------------------------
// Notifications

void TProjectController::UpdateAspekt(int code, NotifyData data) {
    TQuendalModel* model = GetModel();
    if (!model)
        return;
    TFlagGuard guard(updating_);
    const int number = int(data);
    switch (code) {
    case nmCellInserted: {
        if (busy_)
            break;
        const int index = model->IndexOfCell(number);
        if (index < 0 || !cellsNode_ || index > cellsNode_->childCount()) {
            RebuildTree();
            break;
        }
        const TBlockList* cell = model->FindCell(number);
        QTreeWidgetItem* node = NewNode(cellsNode_, index, MessageQuote(cell->Name),
                                        MakeData(CellKind, uint32_t(number)), imCell);
        UpdateCellState(node);
        SetExpanded(cellsNode_, true);
        tree_->setCurrentItem(node);
        OpenCell(number);
        break;
    }
    case nmCellMoved: {
        if (busy_)
            break;
        QTreeWidgetItem* node = CellNode(int(Lo(uint32_t(data))));
        const int index = model->IndexOfCell(number);
        if (!node || index < 0) {
            RebuildTree();
            break;
        }
        const bool selected = tree_->currentItem() == node;
        cellsNode_->removeChild(node);
        cellsNode_->insertChild(std::min(index, cellsNode_->childCount()), node);
        if (selected)
            tree_->setCurrentItem(node);
        break;
    }
    case nmCellDeleted:
        if (busy_)
            break;
        if (QTreeWidgetItem* node = CellNode(number))
            RemoveNode(node);
        break;
    case nmCellRenamed:
        if (busy_)
            break;
        if (QTreeWidgetItem* node = CellNode(number); node && model->FindCell(number)) {
            node->setText(0, MessageQuote(model->FindCell(number)->Name));
            tree_->setCurrentItem(node);
        }
        break;
    case nmCurrentItem:
        if (data == 1 && model->CurrentItem >= 1) {
            const int cell = int(uint32_t(model->CurrentItem) >> 16);
            OpenCell(cell);
            if (TMDIChildForm* form = FindCellForm(cell))
                form->UpdateAspekt(code, data);
        }
        break;
    case nmBreakpointSet:
    case nmBreakpointRemoved:
    case nmStepPosition:
        UpdateAllCellStates();
        break;
    case nmBreakpointsCleared:
        UpdateAllCellStates();
        break;
    case nmTableInserted: {
        const int index = model->IndexOfTable(number);
        if (index < 0 || !tablesNode_ || index > tablesNode_->childCount()) {
            RebuildTree();
            break;
        }
        const TConversionTable* table = model->FindTable(number);
        QTreeWidgetItem* node = NewNode(tablesNode_, index, MessageQuote(table->Name),
                                        MakeData(TableKind, uint32_t(number)),
                                        table->IsInternal ? imTable : imTableFile);
        SetExpanded(tablesNode_, true);
        tree_->setCurrentItem(node);
        RenumberTables();
        break;
    }
    case nmTableRenamed:
        if (busy_)
            break;
        if (QTreeWidgetItem* node = TableNode(number); node && model->FindTable(number)) {
            node->setText(0, MessageQuote(model->FindTable(number)->Name));
            tree_->setCurrentItem(node);
        }
        break;
    case nmTableDeleting:
        if (QTreeWidgetItem* node = TableNode(number)) {
            RemoveNode(node);
            RenumberTables();
        }
        break;
    case 2015:
    case 2016:
    case 2017:
    case 2018:
    case 2030:
    case 2031:
    case 2032:
    case 2100:
    case 2101:
    case 2210:
    case 2215:
    case 2216:
    case 2217:
    case 2218:
    case 2220:
    case 2225:
        break;
    default:
        ShowError(QStringLiteral("UpdateAspekt nicht bearbeitet..."));
    }
}

// ---------------------------------------------------------------------------------------------
// Commands

void TProjectController::SelectedWords(uint32_t& hi, uint32_t& lo) const {
    const uint32_t data = DataOf(tree_->currentItem());
    hi = Hi(data);
    lo = Lo(data);
}

int TProjectController::InsertPosition() const {
    QTreeWidgetItem* node = tree_->currentItem();
    if (!node || !cellsNode_ || node->parent() != cellsNode_)
        return -1;
    return cellsNode_->indexOfChild(node) + 1;
}

bool TProjectController::IsCommandEnabled(int cmd) {
    TQuendalModel* model = GetModel();
    const bool sim = model && model->IsSimulating();
    uint32_t hi = 0, lo = 0;
    SelectedWords(hi, lo);
    switch (cmd) {
    case cmPrint:
        return model && hi == CellKind;
    case cmUndo:
        return model && !sim && model->CanUndo();
    case cmRedo:
        return model && !sim && model->CanRedo();
    case cmCut:
    case cmCopy:
    case cmDelete:
        return model && !sim && hi != RootKind && lo != 0;
    case cmPaste:
        // No paste while the simulation runs, of a table neither: it changes the program.
        return model && !sim &&
               ((hi == CellKind && ClipboardHasLines(CellClipboardFormat)) ||
                (hi == TableKind && ClipboardHasLines(TableClipboardFormat)));
    case cmToggleBreakpoint:
        return model && hi == CellKind && lo != 0;
    case cmRunToCell:
        return model && hi == CellKind && lo != 0 && model->IsSimCommandEnabled(cmRunToCell);
    case cmOpen:
        return model != nullptr;
    case cmInsertCell:
        return model && !sim && hi == CellKind;
    case cmInsertTable:
    case cmInsertTableFile:
        return model && !sim && hi == TableKind;
    default:
        return false;
    }
}

void TProjectController::DoCommand(int cmd) {
    TQuendalModel* model = GetModel();
    if (!model)
        return;
    uint32_t hi = 0, lo = 0;
    SelectedWords(hi, lo);
    const QTreeWidgetItem* node = tree_->currentItem();
    switch (cmd) {
    case cmPrint:
        model->PrintProgram(int(lo));
        break;
    case cmUndo:
        model->Undo();
        break;
    case cmRedo:
        model->Redo();
        break;
    case cmCut:
    case cmCopy:
    case cmDelete:
        if (lo == 0 || hi == RootKind)
            break;
        if (cmd != cmDelete) {
            if (hi == CellKind)
                model->CopyCellToClipboard(int(lo));
            else
                model->CopyTableToClipboard(int(lo));
        }
        if (cmd != cmCopy) {
            if (hi == CellKind)
                model->DeleteCellWithUndo(int(lo));
            else
                model->DeleteTable(int(lo));
        }
        break;
    case cmPaste:
        if (!IsCommandEnabled(cmPaste))
            break;
        if (hi == TableKind)
            model->PasteTable();
        else if (hi == CellKind)
            model->PasteCell(InsertPosition());
        break;
    case cmToggleBreakpoint:
        model->ToggleBreakpoint(int(lo));
        break;
    case cmRunToCell:
        model->RunTo(int(lo));
        break;
    case cmOpen:
        if (node && (node == tablesNode_ || node == cellsNode_))
            SetExpanded(const_cast<QTreeWidgetItem*>(node), !node->isExpanded());
        else
            OpenSelected();
        break;
    case cmInsertCell:
        if (hi == CellKind)
            model->InsertNewCell(InsertPosition());
        break;
    case cmInsertTable:
    case cmInsertTableFile:
        if (hi == TableKind)
            model->NewTable(cmd == cmInsertTable);
        break;
    default:
        break;
    }
}

bool TProjectController::HandleKey(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (IsCommandEnabled(cmOpen))
            DoCommand(cmOpen);
        return true;
    case Qt::Key_Insert:
        // One of the two at most: inserting a cell moves the selection to the new cell.
        if (IsCommandEnabled(cmInsertCell))
            DoCommand(cmInsertCell);
        else if (IsCommandEnabled(cmInsertTable))
            DoCommand(cmInsertTable);
        return true;
    case Qt::Key_Delete:
        if (IsCommandEnabled(cmDelete))
            DoCommand(cmDelete);
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Windows

void TProjectController::ShowForm(TMDIChildForm* form, bool focus) {
    if (area_ && !form->mdiArea())
        area_->addSubWindow(form);
    form->show();
    form->raise();
    if (area_)
        area_->setActiveSubWindow(form);
    if (!focus)
        tree_->setFocus();
}

TMDIChildForm* TProjectController::FindCellForm(int number) const {
    TModel* model = Model();
    if (!model || !CellEditors.CellOf)
        return nullptr;
    if (number <= 0 && area_) {
        auto* active = qobject_cast<TMDIChildForm*>(area_->activeSubWindow());
        if (active && active->Model() == model && CellEditors.CellOf(active) >= 0)
            return active;
    }
    for (int i = 0; i < model->ViewCount(); ++i) {
        TMDIChildForm* view = model->GetView(i);
        const int shown = CellEditors.CellOf(view);
        if (shown >= 0 && (number <= 0 || shown == number))
            return view;
    }
    return nullptr;
}

void TProjectController::OpenCell(int number) {
    TMDIChildForm* form = FindCellForm(number);
    if (!form)
        form = FindCellForm(0);
    if (!form && CellEditors.Create && GetModel()) {
        TMDIChildForm::SetNextPlacement(
            TMDIChildForm::DefaultPosition, TMDIChildForm::DefaultPosition,
            TMDIChildForm::DefaultPosition, TMDIChildForm::DefaultPosition, wsNormal);
        form = CellEditors.Create(GetModel());
    }
    if (!form)
        return;
    if (CellEditors.ShowCell)
        CellEditors.ShowCell(form, number);
    ShowForm(form, true);
}

void TProjectController::ShowCell(int number) {
    TMDIChildForm* form = FindCellForm(number);
    if (!form)
        form = FindCellForm(0);
    if (!form)
        return;
    if (CellEditors.ShowCell)
        CellEditors.ShowCell(form, number);
    ShowForm(form, false);
}

TMDIChildForm* TProjectController::NewCellEditor() {
    TQuendalModel* model = GetModel();
    if (!model || !CellEditors.Create)
        return nullptr;
    uint32_t hi = 0, lo = 0;
    SelectedWords(hi, lo);
    int number = hi == CellKind && lo != 0 ? int(lo) : 0;
    if (number == 0 && model->CellCount() > 0)
        number = model->GetCell(0)->CellNumber;
    TMDIChildForm::SetNextPlacement(TMDIChildForm::DefaultPosition, TMDIChildForm::DefaultPosition,
                                    TMDIChildForm::DefaultPosition, TMDIChildForm::DefaultPosition,
                                    wsNormal);
    TMDIChildForm* form = CellEditors.Create(model);
    if (CellEditors.ShowCell && number != 0)
        CellEditors.ShowCell(form, number);
    ShowForm(form, true);
    return form;
}

void TProjectController::OpenComment() {
    TModel* model = Model();
    if (!model)
        return;
    TMDIChildForm* form = nullptr;
    for (int i = 0; i < model->ViewCount() && !form; ++i)
        form = qobject_cast<TCommentEditForm*>(model->GetView(i));
    if (!form) {
        TMDIChildForm::SetNextPlacement(
            TMDIChildForm::DefaultPosition, TMDIChildForm::DefaultPosition,
            TMDIChildForm::DefaultPosition, TMDIChildForm::DefaultPosition, wsNormal);
        form = TMDIChildForm::Create<TCommentEditForm>(model);
    }
    ShowForm(form, true);
    static_cast<TCommentEditForm*>(form)->Editor()->setFocus();
}

void TProjectController::EditTable(int number) {
    TQuendalModel* model = GetModel();
    if (!model)
        return;
    TConversionTable* table = model->FindTable(number);
    if (!table) {
        ShowError(
            QStringLiteral("Fehler in TProjectController.EditTable: Tabelle nicht gefunden!"));
        return;
    }
    if (!table->IsInternal) {
        const std::string oldName = table->ExternFile;
        // Names differing only in case name different files here.
        if (table->SelectExternalFile() && table->ExternFile != oldName) {
            auto action = std::make_unique<TEditTableFileUndoAction>();
            action->SetUndoData(number, oldName);
            model->AddUndoAction(std::move(action), false);
            model->SetChanged();
        }
        return;
    }
    TTableEditorForm* form = nullptr;
    for (int i = 0; i < model->ViewCount() && !form; ++i) {
        auto* view = qobject_cast<TTableEditorForm*>(model->GetView(i));
        if (view && view->Table() == table)
            form = view;
    }
    if (!form) {
        TMDIChildForm::SetNextPlacement(
            TMDIChildForm::DefaultPosition, TMDIChildForm::DefaultPosition,
            TMDIChildForm::DefaultPosition, TMDIChildForm::DefaultPosition, wsNormal);
        form = TMDIChildForm::Create<TTableEditorForm>(model);
        if (area_)
            area_->addSubWindow(form);
        form->SetTable(table);
    }
    form->ShowAndFocus();
}

void TProjectController::OpenSelected() {
    QTreeWidgetItem* node = tree_->currentItem();
    if (!node || !Model() || node == tablesNode_ || node == cellsNode_)
        return;
    const uint32_t data = DataOf(node);
    switch (Hi(data)) {
    case RootKind:
        OpenComment();
        break;
    case TableKind:
        EditTable(int(Lo(data)));
        break;
    case CellKind:
        OpenCell(int(Lo(data)));
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Tree events

void TProjectController::SelectionChanged(QTreeWidgetItem* current) {
    if (!AutoSynchronize || updating_ || !current || current->parent() != cellsNode_ || !cellsNode_)
        return;
    ShowCell(int(Lo(DataOf(current))));
}

bool TProjectController::CanEditLabel(const QTreeWidgetItem* node) const {
    TQuendalModel* model = GetModel();
    return model && !model->IsSimulating() && node && node->parent() && node != tablesNode_ &&
           node != cellsNode_;
}

void TProjectController::LabelEdited(QTreeWidgetItem* node, const QString& text) {
    TQuendalModel* model = GetModel();
    if (!model || !node || !CanEditLabel(node))
        return;
    // The label may show a long name cut: left as shown, the name stays.
    if (text == node->text(0))
        return;
    TFlagGuard guard(updating_);
    const uint32_t data = DataOf(node);
    const int number = int(Lo(data));
    std::string name = platform::QStringToAnsi(text);
    const bool cell = Hi(data) == CellKind;
    if (!(cell ? model->CheckCellName(number, name) : model->CheckTableName(number, name))) {
        platform::MessageBeep(platform::BeepKind::Exclamation);
        return;
    }
    bool renamed = false;
    {
        TFlagGuard busy(busy_);
        renamed = cell ? model->RenameCellWithUndo(number, name)
                       : model->RenameTableWithUndo(number, name);
    }
    if (renamed)
        node->setText(0, MessageQuote(name));
}

bool TProjectController::DragOver(const QMimeData* mime, QTreeWidgetItem* target,
                                  Qt::KeyboardModifiers modifiers) {
    const QByteArray self = QByteArray::number(quintptr(this));
    if (!mime || mime->data(QString::fromLatin1(DragFormat)) != self || !dragNode_ || !target)
        return false;
    // Ctrl is sampled on every move, so pressing or releasing it switches at once.
    copyMode_ = modifiers.testFlag(Qt::ControlModifier);
    UpdateDragCursor();
    if (target->parent() != cellsNode_ && target != cellsNode_)
        return false;
    return target != dragNode_ || copyMode_;
}

bool TProjectController::Drop(const QMimeData* mime, QTreeWidgetItem* target,
                              Qt::KeyboardModifiers modifiers) {
    TQuendalModel* model = GetModel();
    if (!DragOver(mime, target, modifiers) || !model || model->IsSimulating())
        return false;
    const int source = int(Lo(DataOf(dragNode_)));
    const int dest = int(Lo(DataOf(target)));
    if (source == 0 || dest == 0)
        return false;
    if (copyMode_)
        model->CopyCell(source, dest);
    else
        model->MoveCellWithUndo(source, dest);
    return true;
}

void TProjectController::UpdateDragCursor() {
    if (QApplication::overrideCursor())
        QApplication::changeOverrideCursor(copyMode_ ? Qt::DragCopyCursor : Qt::DragMoveCursor);
}

bool TProjectController::eventFilter(QObject* watched, QEvent* event) {
    return platform::GuardEvent(event, [&] {
        if (watched != tree_->viewport())
            return QObject::eventFilter(watched, event);
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            QTreeWidgetItem* node = tree_->itemAt(mouse->position().toPoint());
            if (mouse->button() == Qt::LeftButton) {
                dragNode_ = node;
                dragPending_ = node && cellsNode_ && node->parent() == cellsNode_;
                pressPos_ = mouse->position().toPoint();
                copyMode_ = mouse->modifiers().testFlag(Qt::ControlModifier);
            } else if (mouse->button() == Qt::RightButton && popup_) {
                if (node)
                    tree_->setCurrentItem(node);
                popup_->popup(mouse->globalPosition().toPoint());
                return true;
            }
            break;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (!dragPending_ || !(mouse->buttons() & Qt::LeftButton) ||
                (mouse->position().toPoint() - pressPos_).manhattanLength() <
                    QApplication::startDragDistance())
                break;
            dragPending_ = false;
            auto* drag = new QDrag(tree_);
            auto* mime = new QMimeData();
            mime->setData(QString::fromLatin1(DragFormat), QByteArray::number(quintptr(this)));
            drag->setMimeData(mime);
            drag->exec(Qt::MoveAction | Qt::CopyAction,
                       copyMode_ ? Qt::CopyAction : Qt::MoveAction);
            return true;
        }
        case QEvent::MouseButtonRelease:
            dragPending_ = false;
            break;
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* move = static_cast<QDragMoveEvent*>(event);
            if (DragOver(move->mimeData(), tree_->itemAt(move->position().toPoint()),
                         move->modifiers())) {
                move->setDropAction(copyMode_ ? Qt::CopyAction : Qt::MoveAction);
                move->accept();
            } else {
                move->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (Drop(drop->mimeData(), tree_->itemAt(drop->position().toPoint()),
                     drop->modifiers())) {
                drop->setDropAction(copyMode_ ? Qt::CopyAction : Qt::MoveAction);
                drop->accept();
            } else {
                drop->ignore();
            }
            return true;
        }
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    });
}

// ---------------------------------------------------------------------------------------------
// Desktop and settings

void TProjectController::SaveDesktop(TDesktopWriter& writer) {
    if (TQuendalModel* model = GetModel())
        model->SaveDesktop(writer);
    else
        writer.WriteString(QString());
    if (!tree_) {
        writer.WriteInteger(0);
        return;
    }
    writer.WriteInteger(1);
    writer.WriteInteger(int32_t(DataOf(tree_->currentItem())));
    writer.WriteInteger(tablesNode_ && tablesNode_->isExpanded() ? 1 : 0);
    writer.WriteInteger(cellsNode_ && cellsNode_->isExpanded() ? 1 : 0);
}

bool TProjectController::LoadDesktop(TDesktopReader& reader) {
    TFlagGuard guard(updating_);
    FreeModel();
    if (!CreateModel()) {
        RebuildTree();
        return false;
    }
    const bool loaded = GetModel()->LoadDesktop(reader);
    if (!loaded)
        FreeModel();
    RebuildTree();
    // The tree's part is read in any case, so that the reader stays in step.
    if (reader.ReadInteger() != 0) {
        const uint32_t selected = uint32_t(reader.ReadInteger());
        const bool tables = reader.ReadInteger() != 0;
        const bool cells = reader.ReadInteger() != 0;
        if (!loaded)
            return false;
        if (QTreeWidgetItem* node = FindNode(selected))
            tree_->setCurrentItem(node);
        SetExpanded(tablesNode_, tables);
        SetExpanded(cellsNode_, cells);
    }
    return loaded;
}

void TProjectController::ReadOptions(TWinRegistry& reg) {
    AutoExpandCells = reg.ReadBool(Section, QStringLiteral("AutoExpandCells"), true);
    AutoExpandTables = reg.ReadBool(Section, QStringLiteral("AutoExpandTables"), false);
    AutoOpenFirstCell = reg.ReadBool(Section, QStringLiteral("AutoOpenFirstCell"), true);
    AutoSynchronize = reg.ReadBool(Section, QStringLiteral("AutoSynchronize"), false);
}

void TProjectController::WriteOptions(TWinRegistry& reg) {
    reg.WriteBool(Section, QStringLiteral("AutoExpandCells"), AutoExpandCells);
    reg.WriteBool(Section, QStringLiteral("AutoExpandTables"), AutoExpandTables);
    reg.WriteBool(Section, QStringLiteral("AutoOpenFirstCell"), AutoOpenFirstCell);
    reg.WriteBool(Section, QStringLiteral("AutoSynchronize"), AutoSynchronize);
}
