#include "graphical/editors/mousetool.h"

#include <QPainter>
#include <QPen>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

#include "framework/utils.h"
#include "graphical/model/quendalmodel.h"
#include "platform/qt/dialogs.h"

namespace {

TRect Normalized(QPoint a, QPoint b) {
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()),
            std::max(a.y(), b.y())};
}

// Touching counts: a band whose edge lies on a block's edge selects it.
bool Touches(const TRect& a, const TRect& b) {
    return a.Left <= b.Right && b.Left <= a.Right && a.Top <= b.Bottom && b.Top <= a.Bottom;
}

bool InsideArea(const TRect& r) {
    return r.Left >= 0 && r.Top >= 0 && r.Right <= TMouseTool::CellArea &&
           r.Bottom <= TMouseTool::CellArea;
}

bool Holds(const TRect& r, QPoint p) {
    return p.x() >= r.Left && p.x() < r.Right && p.y() >= r.Top && p.y() < r.Bottom;
}

QPoint Snapped(QPoint p) {
    return CellDisplay().CellAlignAtGrid ? SnapPointToGrid(p) : p;
}

void DrawFocusRect(QPainter& painter, const TRect& r) {
    painter.drawRect(r.Left, r.Top, r.Width(), r.Height());
}

} // namespace

TMouseTool::TMouseTool(QWidget* canvas) : canvas_(canvas) {}

TMouseTool::~TMouseTool() {
    if (hitWire_)
        hitWire_->Hidden = false;
}

void TMouseTool::Changed() {
    if (canvas_)
        canvas_->update();
}

void TMouseTool::SetCell(TQuendalModel* model, TBlockList* cell) {
    ClearSelection();
    moving_ = false;
    rubberBand_ = false;
    feedbackHidden_ = false;
    busy_ = false;
    EndWireEdit();
    drawingWire_ = false;
    newWire_.reset();
    model_ = model;
    cell_ = cell;
    Changed();
}

void TMouseTool::ClearSelection() {
    if (!selection_.empty())
        Changed();
    selection_.clear();
}

TBlock* TMouseTool::BlockAt(QPoint p) const {
    if (!cell_)
        return nullptr;
    for (int i = 0; i < cell_->Count(); ++i) {
        TBlock* block = cell_->Get(i);
        if (Holds(block->Rect, p))
            return block;
    }
    return nullptr;
}

bool TMouseTool::WireAt(QPoint p, int32_t& blockId, int& input, TInputLine*& wire) const {
    if (!cell_)
        return false;
    for (int i = 0; i < cell_->Count(); ++i) {
        TBlock* block = cell_->Get(i);
        if (block->InputHitTest(p, input, wire)) {
            blockId = block->ID;
            return true;
        }
    }
    return false;
}

void TMouseTool::MouseDown(int x, int y, TRect& updateRect, bool& needUpdate) {
    if (busy_ || !cell_ || !model_)
        return;
    const QPoint p(x, y);
    start_ = current_ = p;

    // 1. A press on a selected block drags the selection.
    for (TBlock* block : selection_) {
        if (Holds(block->Rect, p)) {
            moving_ = true;
            return;
        }
    }

    // 2. A wire under edit: grab one of its points, or end the edit on a miss.
    if (editingWire_) {
        if (editedWire_->HitTest(p)) {
            if (editedWire_->HitKind == 2)
                editedWire_->InsertBend(x, y);
            draggingWirePoint_ = true;
            Changed();
            return;
        }
        updateRect = editedWire_->Bounds;
        const int32_t owner = wireBlockId_;
        EndWireEdit();
        if (TBlock* block = cell_->FindBlock(owner))
            updateRect = UnionRects(updateRect, block->GetExtent());
        needUpdate = true;
    }

    // 3. A block: the target of the wire being drawn, or the new selection.
    ClearSelection();
    if (TBlock* block = BlockAt(p)) {
        if (drawingWire_) {
            busy_ = true;
            FinishWire(*block);
            busy_ = false;
        } else {
            selection_ = {block};
            moving_ = true;
            rubberBand_ = false;
            Changed();
        }
        return;
    }

    // 4. Beside the blocks a wire being drawn takes a bend.
    if (drawingWire_) {
        AddBend(p);
        return;
    }

    // 5. An existing wire goes into edit.
    int32_t blockId = 0;
    int input = -1;
    TInputLine* wire = nullptr;
    if (WireAt(p, blockId, input, wire)) {
        BeginWireEdit(blockId, input, wire, true);
        if (editedWire_->HitKind == 2)
            editedWire_->InsertBend(x, y);
        if (TBlock* owner = cell_->FindBlock(blockId))
            updateRect = UnionRects(updateRect, owner->GetExtent());
        needUpdate = true;
        Changed();
        return;
    }

    // 6. Otherwise a rubber band.
    rubberBand_ = true;
    Changed();
}

void TMouseTool::AddBend(QPoint p) {
    if (!newWire_ || newWire_->PointCount >= MaxNewWirePoints)
        return;
    if (newWire_->PointCount == 2)
        newWire_->RouteStart(sourceRect_);
    // The rubber point stays last and follows the mouse; the bend goes before it.
    newWire_->MoveCurrentPoint(Snapped(p));
    newWire_->AddPoint(p);
    Changed();
}

void TMouseTool::MouseMove(int x, int y) {
    if (busy_ || !InDrag())
        return;
    current_ = QPoint(x, y);
    if (drawingWire_ && newWire_ && newWire_->PointCount > 0) {
        newWire_->Current = newWire_->PointCount - 1;
        newWire_->MoveCurrentPoint(current_);
        // Without bends the line leaves the block at the output point facing the mouse, where
        // the finished wire will start.
        if (newWire_->PointCount == 2)
            newWire_->RouteStart(sourceRect_);
    } else if (draggingWirePoint_ && editedWire_) {
        editedWire_->MoveCurrentPoint(current_);
    }
    Changed();
}

void TMouseTool::MouseUp(int x, int y) {
    if (busy_ || !cell_ || !model_)
        return;
    if (rubberBand_) {
        rubberBand_ = false;
        const TRect band = Normalized(start_, current_);
        for (int i = 0; i < cell_->Count(); ++i) {
            TBlock* block = cell_->Get(i);
            if (Touches(block->Rect, band))
                selection_.push_back(block);
        }
        Changed();
    }
    if (moving_) {
        bool click = false;
        ApplyMove(click);
        ClearSelection();
        moving_ = false;
        Changed();
        if (click)
            StartWire(QPoint(x, y));
    }
    if (draggingWirePoint_ && editedWire_) {
        editedWire_->MoveCurrentPoint(Snapped(QPoint(x, y)));
        TBlock* source = cell_->FindBlock(editedWire_->SourceId);
        TBlock* target = cell_->FindBlock(wireBlockId_);
        if (source && target)
            editedWire_->AdjustEnds(source->Rect, target->Rect);
        draggingWirePoint_ = false;
        Changed();
    }
}

bool TMouseTool::ApplyMove(bool& click) {
    const QPoint delta = current_ - start_;
    if (selection_.size() == 1 && std::abs(delta.x()) < ClickDistance &&
        std::abs(delta.y()) < ClickDistance) {
        click = true;
        newWire_ = std::make_unique<TInputLine>();
        newWire_->SourceId = selection_.front()->ID;
        return false;
    }
    // Each block snaps on its own, as the model moves it.
    bool moves = false;
    for (TBlock* block : selection_) {
        const TRect r = MovedRect(block->Rect, delta);
        moves = moves || !(r == block->Rect);
        bool refused = !InsideArea(r);
        for (int i = 0; !refused && !block->CanOverlap() && i < cell_->Count(); ++i) {
            TBlock* other = cell_->Get(i);
            if (other->CanOverlap() ||
                std::find(selection_.begin(), selection_.end(), other) != selection_.end())
                continue;
            refused = RectsIntersect(r, other->Rect);
        }
        if (refused) {
            platform::MessageBeep(platform::BeepKind::Exclamation);
            return false;
        }
    }
    if (!moves)
        return false;
    model_->MoveBlocks(cell_, selection_, delta);
    start_ = current_;
    return true;
}

void TMouseTool::StartWire(QPoint p) {
    if (!newWire_)
        return;
    TBlock* source = cell_->FindBlock(newWire_->SourceId);
    if (!source || source->ID != newWire_->SourceId || !Holds(source->Rect, p) ||
        !source->CanBeWireSource()) {
        newWire_.reset();
        return;
    }
    drawingWire_ = true;
    sourceRect_ = source->Rect;
    newWire_->AddPoint(ConnectionPoint(sourceRect_, p));
    newWire_->AddPoint(p);
    Changed();
}

void TMouseTool::FinishWire(TBlock& target) {
    TBlock* source = cell_->FindBlock(newWire_->SourceId);
    if (!source || !target.CanConnectFrom(*source)) {
        platform::MessageBeep(platform::BeepKind::Hand);
        return;
    }
    // A copy is finished, so that a dismissed menu leaves the drawn wire as it was.
    auto wire = std::make_unique<TInputLine>();
    wire->Assign(*newWire_);
    wire->PointCount = std::max(1, wire->PointCount - 1);
    wire->AddPoint(RectCenter(target.Rect));
    if (wire->PointCount == 2)
        wire->RouteStart(sourceRect_);
    wire->RouteEnd(target.Rect);

    int index = -1;
    if (const char* menu = MoltraneGetBlockInputMenu(cell_->Engine, target.ID)) {
        Changed();
        if (!OnExecuteBlockMenu)
            throw EBlockError("OnExecuteBlockMenu nicht zugewiesen");
        const char* flags = MoltraneGetBlockInputMenuFlags(cell_->Engine, source->ID, target.ID);
        index = OnExecuteBlockMenu(menu, flags ? flags : "");
        if (index < -1)
            return;
    }
    newWire_.reset();
    drawingWire_ = false;
    Changed();
    model_->ConnectWire(target.ID, index, std::move(wire));
}

void TMouseTool::CancelWire(TRect& r) {
    r = {sourceRect_.Left - 1, sourceRect_.Top - 1, sourceRect_.Right + 1, sourceRect_.Bottom + 1};
    if (newWire_)
        r = UnionRects(r, newWire_->Bounds);
    drawingWire_ = false;
    newWire_.reset();
    Changed();
}

void TMouseTool::PruneSelection() {
    if (!cell_) {
        selection_.clear();
        return;
    }
    std::erase_if(selection_, [this](TBlock* block) { return cell_->IndexOf(block) < 0; });
}

void TMouseTool::EndWireEdit() {
    if (!editingWire_ || !hitWire_ || !editedWire_) {
        editingWire_ = false;
        draggingWirePoint_ = false;
        hitWire_ = nullptr;
        editedWire_.reset();
        return;
    }
    editingWire_ = false;
    draggingWirePoint_ = false;
    hitWire_->Hidden = false;
    const bool changed = !editedWire_->Equals(*hitWire_);
    hitWire_ = nullptr;
    std::unique_ptr<TInputLine> edited = std::move(editedWire_);
    edited->Hidden = false;
    Changed();
    if (changed && model_)
        model_->MoveWire(wireBlockId_, inputIndex_, std::move(edited));
}

void TMouseTool::RemoveWire() {
    if (wireBlockId_ < 1 || inputIndex_ < 0 || !model_)
        return;
    const int32_t id = wireBlockId_;
    const int input = inputIndex_;
    // The hit wire is about to go; its edit ends unchanged.
    if (editedWire_ && hitWire_)
        editedWire_->Assign(*hitWire_);
    EndWireEdit();
    wireBlockId_ = 0;
    inputIndex_ = -1;
    model_->SplitWire(id, input);
}

void TMouseTool::LineDeleteBend() {
    if (wireBlockId_ < 1 || inputIndex_ < 0 || !model_ || !cell_)
        return;
    TBlock* block = cell_->FindBlock(wireBlockId_);
    if (!block || block->ID != wireBlockId_) {
        ShowError(QStringLiteral("Fehler in TMouseTool.LineDeleteBend: Block nicht gefunden!"));
        return;
    }
    TInputLine* input = block->GetInput(inputIndex_);
    if (!input) {
        ShowError(
            QStringLiteral("Fehler in TMouseTool.LineDeleteBend: Verbindung nicht gefunden!"));
        return;
    }
    auto wire = std::make_unique<TInputLine>();
    wire->Assign(editedWire_ ? *editedWire_ : *input);
    wire->Hidden = false;
    wire->DeleteCurrentBend();
    // The edit ends without its own change; the bend's removal is the one undo step.
    if (editedWire_ && hitWire_)
        editedWire_->Assign(*hitWire_);
    EndWireEdit();
    model_->MoveWire(block->ID, inputIndex_, std::move(wire));
}

bool TMouseTool::HitWireAt(QPoint p) {
    if (editingWire_ && editedWire_ && editedWire_->HitTest(p))
        return true;
    EndWireEdit();
    int32_t blockId = 0;
    int input = -1;
    TInputLine* wire = nullptr;
    if (!WireAt(p, blockId, input, wire))
        return false;
    BeginWireEdit(blockId, input, wire, false);
    Changed();
    return true;
}

// The hit wire hides while an edited copy of it is drawn in its place; the copy is shown.
void TMouseTool::BeginWireEdit(int32_t blockId, int input, TInputLine* wire, bool dragging) {
    wireBlockId_ = blockId;
    inputIndex_ = input;
    hitWire_ = wire;
    editedWire_ = std::make_unique<TInputLine>();
    editedWire_->Assign(*wire);
    editedWire_->Hidden = false;
    hitWire_->Hidden = true;
    editingWire_ = true;
    draggingWirePoint_ = dragging;
}

void TMouseTool::ForgetLostWire() {
    if (!hitWire_)
        return;
    TBlock* block = cell_ ? cell_->FindBlock(wireBlockId_) : nullptr;
    if (block && block->ID == wireBlockId_ && block->GetInput(inputIndex_) == hitWire_)
        return;
    DropWireEdit();
    Changed();
}

// Forgets the wire edit without handing it to the model.
void TMouseTool::DropWireEdit() {
    hitWire_ = nullptr;
    editedWire_.reset();
    editingWire_ = false;
    draggingWirePoint_ = false;
    wireBlockId_ = 0;
    inputIndex_ = -1;
}

void TMouseTool::Detach() {
    DropWireEdit();
    newWire_.reset();
    drawingWire_ = false;
    selection_.clear();
    moving_ = false;
    rubberBand_ = false;
    busy_ = false;
    model_ = nullptr;
    cell_ = nullptr;
    Changed();
}

void TMouseTool::HideFeedback() {
    feedbackHidden_ = true;
    Changed();
}

void TMouseTool::ShowFeedback() {
    feedbackHidden_ = false;
    Changed();
}

void TMouseTool::DrawFeedback(QPainter& painter) const {
    if (feedbackHidden_)
        return;
    painter.save();
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    if (rubberBand_)
        DrawFocusRect(painter, Normalized(start_, current_));
    const QPoint d = moving_ ? current_ - start_ : QPoint();
    for (const TBlock* block : selection_) {
        TRect r = block->Rect;
        r.Offset(d.x(), d.y());
        DrawFocusRect(painter, r);
    }
    // Drawn from the wire's points on every paint, never inverted: nothing stays behind.
    if (drawingWire_ && newWire_ && newWire_->PointCount >= 2) {
        const int last = newWire_->PointCount - 1;
        painter.setPen(QPen(CellDisplay().CellGridColor, 1));
        for (int i = 0; i + 1 < last; ++i)
            painter.drawLine(newWire_->GetPoint(i), newWire_->GetPoint(i + 1));
        painter.setPen(QPen(CellDisplay().CellGridColor, 1, Qt::DotLine));
        painter.drawLine(newWire_->GetPoint(last - 1), newWire_->GetPoint(last));
    }
    if (editingWire_ && editedWire_) {
        editedWire_->Draw(painter);
        editedWire_->DrawSelected(painter);
    }
    painter.restore();
}
