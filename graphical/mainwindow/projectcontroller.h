// The project tree on the left of the main window: it owns the open project, shows its
// comment, tables and cells, follows the project's notifications, opens the editor windows
// for its items and carries out the commands the main window passes on while it has the focus.
#pragma once

#include "framework/model.h"

#include <QObject>
#include <QString>
#include <QStyledItemDelegate>
#include <functional>

class QMdiArea;
class QMenu;
class QMimeData;
class QTreeWidget;
class QTreeWidgetItem;
class TCommentEditForm;
class TDesktopReader;
class TDesktopWriter;
class TMDIChildForm;
class TMRUFileList;
class TQuendalModel;
class TWinRegistry;

// Program-wide options of the tree (registry section "ProjectWindow").
extern bool AutoExpandCells;
extern bool AutoExpandTables;
extern bool AutoOpenFirstCell;
extern bool AutoSynchronize;

// The cell editor windows as the tree uses them; the cell editor's unit fills the entries.
struct TCellEditorHooks {
    // A new cell editor of the model with default placement, not yet shown.
    std::function<TMDIChildForm*(TQuendalModel*)> Create;
    // The cell number a window shows; -1 when it is no cell editor.
    std::function<int(TMDIChildForm*)> CellOf;
    std::function<void(TMDIChildForm*, int cellNumber)> ShowCell;
};
extern TCellEditorHooks CellEditors;

class TProjectController : public QObject, public TSpecialView {
    Q_OBJECT

public:
    // Node data: high word the kind, low word the number.
    static constexpr uint32_t RootKind = 0xFFFF;
    static constexpr uint32_t TableKind = 0xFFFE;
    static constexpr uint32_t CellKind = 0;
    // Item roles: the node data, its image and its state image (indexes into the main
    // window's image lists).
    static constexpr int DataRole = Qt::UserRole;
    static constexpr int ImageRole = Qt::UserRole + 1;
    static constexpr int StateRole = Qt::UserRole + 2;
    // The drag of a cell, with this controller's address as its text.
    static const char* const DragFormat;

    TProjectController(QTreeWidget* tree, QMenu* popup, TMRUFileList* mruList, QMdiArea* area);
    ~TProjectController() override;

    bool OpenProject(const QString& name);
    bool CloseProject(bool force);

    TQuendalModel* GetModel() const;
    QString GetProjectName() const;
    bool HasCells() const;

    void OpenCell(int number);
    void ShowCell(int number);
    TMDIChildForm* FindCellForm(int number) const;
    void OpenComment();
    void EditTable(int number);
    void OpenSelected();
    TMDIChildForm* NewCellEditor();

    // Enter, Ins and Del of the main window; true when the key was taken.
    bool HandleKey(int key);

    void SaveDesktop(TDesktopWriter& writer);
    bool LoadDesktop(TDesktopReader& reader);

    void RebuildTree();
    QTreeWidgetItem* FindNode(uint32_t data) const;
    void SetExpanded(QTreeWidgetItem* node, bool expanded);

    void ReadOptions(TWinRegistry& reg);
    void WriteOptions(TWinRegistry& reg);

    void DoCommand(int cmd) override;
    bool IsCommandEnabled(int cmd) override;
    void UpdateAspekt(int code, NotifyData data) override;

    QTreeWidgetItem* TablesNode() const { return tablesNode_; }
    QTreeWidgetItem* CellsNode() const { return cellsNode_; }
    bool CopyMode() const { return copyMode_; }

    // Label editing, through the tree's item delegate.
    bool CanEditLabel(const QTreeWidgetItem* node) const;
    void LabelEdited(QTreeWidgetItem* node, const QString& text);

    // A cell dragged in this tree over target, and dropped there: true when accepted.
    bool DragOver(const QMimeData* mime, QTreeWidgetItem* target, Qt::KeyboardModifiers modifiers);
    bool Drop(const QMimeData* mime, QTreeWidgetItem* target, Qt::KeyboardModifiers modifiers);

    static uint32_t DataOf(const QTreeWidgetItem* node);
    // The width a tree like this one needs to show its fixed nodes whole, frame and a vertical
    // scroll bar included.
    static int FixedNodesWidth(const QTreeWidget& tree);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SelectionChanged(QTreeWidgetItem* current);
    void Expanded(QTreeWidgetItem* node, bool expanded);
    void SelectedWords(uint32_t& hi, uint32_t& lo) const;
    int InsertPosition() const;
    void UpdateCellState(QTreeWidgetItem* node);
    void UpdateAllCellStates();
    void RenumberTables();
    void FolderImage(QTreeWidgetItem* folder);
    void RemoveNode(QTreeWidgetItem* node);
    QTreeWidgetItem* NewNode(QTreeWidgetItem* parent, int index, const QString& text, uint32_t data,
                             int image);
    QTreeWidgetItem* TableNode(int number) const;
    QTreeWidgetItem* CellNode(int number) const;
    void ShowForm(TMDIChildForm* form, bool focus);
    void FreeModel();
    bool CreateModel();
    void UpdateDragCursor();

    QTreeWidget* tree_;
    QMenu* popup_;
    TMRUFileList* mruList_;
    QMdiArea* area_;
    bool updating_ = false;
    bool busy_ = false;
    bool copyMode_ = false;
    QTreeWidgetItem* tablesNode_ = nullptr;
    QTreeWidgetItem* cellsNode_ = nullptr;
    QTreeWidgetItem* dragNode_ = nullptr;
    QPoint pressPos_;
    bool dragPending_ = false;
};

// Hands label editing of the tree to the controller.
class TProjectTreeDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TProjectTreeDelegate(TProjectController* controller, QObject* parent)
        : QStyledItemDelegate(parent), controller_(controller) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    TProjectController* controller_;
};
