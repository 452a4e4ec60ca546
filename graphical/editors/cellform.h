// The program cell editor: one cell of the project as a block diagram on a 2000 x 2000
// surface, edited with the mouse tool and the commands the main window routes here.
#pragma once

#include <QPoint>
#include <QRect>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/mdichild.h"
#include "graphical/model/block.h"

class QAction;
class QMenu;
class QScrollArea;
class THandlePaintBox;
class TBlockList;
class TMouseTool;
class TQuendalModel;

// Registers the window class for the desktop reader and fills the project tree's cell editor
// hooks. The program calls it once at start, before the desktop is read.
void RegisterProgramCellForm();

class TProgramCellForm : public TMDIChildForm {
    Q_OBJECT

public:
    static constexpr int CellSize = 2000;
    static constexpr int HelpContext = 10000;
    static constexpr int DismissedInput = -42;

    explicit TProgramCellForm(TModel* model, QWidget* parent = nullptr);
    ~TProgramCellForm() override;

    void ShowCell(int cellNumber);
    int GetCellNumber() const;
    TBlockList* Cell() const { return cell_; }
    void ShowAndFocus();

    bool Idle(QObject* sender) override;
    void DoCommand(int cmd) override;
    bool IsCommandEnabled(int cmd) override;
    void UpdateAspekt(int code, NotifyData data) override;
    void ColorsChanged() override;
    void ModelDestroyed() override;
    void LoadDesktop(TDesktopReader& reader) override;
    void SaveDesktop(TDesktopWriter& writer) override;

    // The input choice of a new wire: shows the names with their flags and returns the index
    // clicked, DismissedInput when the menu closed without a choice.
    int ExecuteBlockMenu(const std::string& menu, const std::string& flags);

    TMouseTool* MouseTool() const { return mouseTool_.get(); }
    QScrollArea* CellScroller() const { return cellScroller_; }
    THandlePaintBox* CellPainter() const { return cellPainter_; }
    QMenu* LocalMenu() const { return localMenu_; }
    QMenu* GraphBlockPopup() const { return graphBlockPopup_; }
    QMenu* DLLBlockPopupMenu() const { return dllBlockPopupMenu_; }
    QMenu* LinePopupMenu() const { return linePopupMenu_; }
    // The block under the last right click (null when it is gone).
    TBlock* CurrentBlock() const;
    bool IsAutoScrolling() const { return autoScrolling_; }
    int ScrollInterval() const { return scrollInterval_; }
    QPoint ScrollPosition() const;
    void SetScrollPosition(QPoint p);

    // Milliseconds for the auto-scroll pacing; tests drive it.
    static std::function<uint64_t()> Clock;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    TQuendalModel* QModel() const;
    void UpdateCaption();
    void CancelNewWire();
    void SetCapturing(bool on);
    void CellPainterPaint(QPainter& painter);
    void CellPainterMouseDown(QMouseEvent* event);
    void CellPainterMouseMove(QMouseEvent* event);
    void CellPainterMouseUp(QMouseEvent* event);
    bool FormKeyDown(QKeyEvent* event);
    void OnMenuCommand(QAction* action);
    void OnLocalMenuPopup(QMenu* menu);
    void OnBlockMenuItemClick(int index);
    void InvalidateCellRect(const TRect& r);
    void Paste();
    TRect VisibleArea() const;
    void ApplyPendingScroll();
    QAction* AddItem(QMenu* menu, const QString& caption, int tag, const QKeySequence& key = {});

    QScrollArea* cellScroller_ = nullptr;
    THandlePaintBox* cellPainter_ = nullptr;
    QMenu* localMenu_ = nullptr;
    QMenu* graphBlockPopup_ = nullptr;
    QMenu* dllBlockPopupMenu_ = nullptr;
    QMenu* linePopupMenu_ = nullptr;
    std::array<QAction*, 8> blockMenuItems_{};

    TBlockList* cell_ = nullptr;
    // The shown cell's place in the model's list, kept across list changes, so that a deleted
    // cell's window can go to the cell that stood before it.
    int cellIndex_ = -1;
    std::unique_ptr<TMouseTool> mouseTool_;
    bool menuTookClick_ = false;
    bool capturing_ = false;
    int32_t currentBlockId_ = 0;
    bool autoScrolling_ = false;
    int scrollInterval_ = 150;
    uint64_t nextScrollTime_ = 0;
    int chosenInput_ = DismissedInput;
    QPoint cursorInScroller_;
    QRect paintClip_;
    bool scrollPending_ = false;
    QPoint pendingScroll_;
};
