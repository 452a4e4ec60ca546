// The mouse interaction of a program cell window: selecting blocks by click or rubber band,
// moving them, drawing new wires with bends and editing existing ones. Project changes go
// through the model's edit operations only.
#pragma once

#include <QPoint>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphical/model/block.h"

class QPainter;
class QWidget;
class TBlockList;
class TQuendalModel;

class TMouseTool {
public:
    static constexpr int ClickDistance = 3;
    static constexpr int MaxNewWirePoints = 18;
    static constexpr int CellArea = 2000;

    // The canvas is the widget the feedback is drawn on; it is asked to repaint whenever the
    // feedback changes, and its paint handler calls DrawFeedback.
    explicit TMouseTool(QWidget* canvas);
    ~TMouseTool();
    TMouseTool(const TMouseTool&) = delete;
    TMouseTool& operator=(const TMouseTool&) = delete;

    // Shows the input names (CR LF separated) with their flags and returns the chosen index;
    // below -1 when dismissed.
    std::function<int(const std::string& menu, const std::string& flags)> OnExecuteBlockMenu;

    void SetCell(TQuendalModel* model, TBlockList* cell);
    TBlockList* Cell() const { return cell_; }

    // Coordinates in cell units. MouseDown may ask for a repaint of updateRect.
    void MouseDown(int x, int y, TRect& updateRect, bool& needUpdate);
    void MouseMove(int x, int y);
    void MouseUp(int x, int y);

    void HideFeedback();
    void ShowFeedback();
    void DrawFeedback(QPainter& painter) const;

    bool InDrag() const { return rubberBand_ || moving_ || drawingWire_ || draggingWirePoint_; }
    bool InOperation() const { return moving_ || drawingWire_ || editingWire_; }
    bool IsMoving() const { return moving_; }
    bool IsDrawingWire() const { return drawingWire_; }
    bool IsEditingWire() const { return editingWire_; }
    bool IsBusy() const { return busy_; }
    bool HasHitWire() const { return hitWire_ != nullptr; }
    bool CanDeleteBend() const { return editedWire_ && editedWire_->CanDeleteBend(); }
    const std::vector<TBlock*>& Selection() const { return selection_; }
    std::vector<TBlock*>& Selection() { return selection_; }
    const TInputLine* NewWire() const { return newWire_.get(); }
    const TInputLine* EditedWire() const { return editedWire_.get(); }

    void ClearSelection();
    void CancelWire(TRect& r);
    void PruneSelection();
    void EndWireEdit();
    void RemoveWire();
    void LineDeleteBend();
    // Takes the wire under the point as the hit wire without dragging it (its menu's commands
    // then apply to it); false when no wire lies there.
    bool HitWireAt(QPoint p);
    // Drops a wire edit whose wire the model has replaced or removed meanwhile.
    void ForgetLostWire();
    // Lets go of a cell that is going away: all state is dropped, nothing is applied and
    // nothing of the cell is touched.
    void Detach();
    // The first block of the cell, in list order, whose rectangle holds the point.
    TBlock* BlockAt(QPoint p) const;
    // The first wire of the cell under the point; false when none.
    bool WireAt(QPoint p, int32_t& blockId, int& input, TInputLine*& wire) const;

private:
    void BeginWireEdit(int32_t blockId, int input, TInputLine* wire, bool dragging);
    void DropWireEdit();
    void Changed();
    bool ApplyMove(bool& click);
    void StartWire(QPoint p);
    void FinishWire(TBlock& target);
    void AddBend(QPoint p);

    QWidget* canvas_ = nullptr;
    TQuendalModel* model_ = nullptr;
    TBlockList* cell_ = nullptr;
    QPoint start_;
    QPoint current_;
    bool moving_ = false;
    bool rubberBand_ = false;
    std::vector<TBlock*> selection_;
    bool feedbackHidden_ = false;
    bool drawingWire_ = false;
    std::unique_ptr<TInputLine> newWire_;
    TRect sourceRect_;
    bool busy_ = false;
    int inputIndex_ = -1;
    TInputLine* hitWire_ = nullptr;
    std::unique_ptr<TInputLine> editedWire_;
    int32_t wireBlockId_ = 0;
    bool editingWire_ = false;
    bool draggingWirePoint_ = false;
};
