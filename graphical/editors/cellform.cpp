#include "graphical/editors/cellform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

#include "framework/application.h"
#include "framework/commands.h"
#include "framework/paintbox.h"
#include "framework/utils.h"
#include "graphical/dialogs/coloroptions.h"
#include "graphical/editors/mousetool.h"
#include "graphical/mainwindow/projectcontroller.h"
#include "graphical/model/blocklist.h"
#include "graphical/model/graphblock.h"
#include "graphical/model/quendalmodel.h"
#include "platform/qt/ansi.h"
#include "platform/system.h"

namespace {

enum TCellCommand : int {
    cmAddWatch = 500,
    cmNewCell = 601,
    cmProperties = 620,
    cmSelectGlyph = 621,
    cmBlockHelp = 622,
    cmSplitConnection = 630,
    cmDeleteBend = 631,
    cmAlignLeft = 700,
    cmAlignBottom = 703,
    cmFirstBlockType = 20000,
    cmCommentBlock = 29999,
};

constexpr int TagProperty = 0; // QAction property index for the command number
constexpr int FirstScrollInterval = 150;
constexpr int ScrollIntervalStep = 30;
constexpr int ShortestScrollInterval = 20;
constexpr int ScrollStep = 2 * GridSize;
constexpr int PasteMargin = 50;
constexpr int PasteScrollBack = 200;

int TagOf(const QAction* action) {
    return action->data().isValid() ? action->data().toInt() : TagProperty;
}

TRect Inflated(const TRect& r, int d) {
    return {r.Left - d, r.Top - d, r.Right + d, r.Bottom + d};
}

// The grid tile: background with one dot in the grid colour per grid step.
QImage GridTile(const QColor& background, const QColor& dot) {
    QImage tile(GridSize, GridSize, QImage::Format_RGB32);
    tile.fill(background);
    tile.setPixelColor(0, 0, dot);
    return tile;
}

} // namespace

std::function<uint64_t()> TProgramCellForm::Clock = [] { return platform::MillisecondClock(); };

TProgramCellForm::TProgramCellForm(TModel* model, QWidget* parent) : TMDIChildForm(model, parent) {
    setWindowTitle(QStringLiteral("Zelleneditor"));

    cellScroller_ = new QScrollArea;
    cellScroller_->setObjectName(QStringLiteral("CellScroller"));
    cellScroller_->setFrameShape(QFrame::NoFrame);
    cellScroller_->setFocusPolicy(Qt::StrongFocus);
    cellPainter_ = new THandlePaintBox;
    cellPainter_->setObjectName(QStringLiteral("CellPainter"));
    cellPainter_->setFixedSize(CellSize, CellSize);
    cellPainter_->setMouseTracking(true);
    cellPainter_->OnPaint = [this](THandlePaintBox*, QPainter& painter) {
        CellPainterPaint(painter);
    };
    cellScroller_->setWidget(cellPainter_);
    cellScroller_->horizontalScrollBar()->setSingleStep(GridSize);
    cellScroller_->verticalScrollBar()->setSingleStep(GridSize);
    cellPainter_->installEventFilter(this);
    cellScroller_->installEventFilter(this);
    cellScroller_->viewport()->installEventFilter(this);
    setWidget(cellScroller_);

    localMenu_ = new QMenu(this);
    localMenu_->setObjectName(QStringLiteral("LocalMenu"));
    AddItem(localMenu_, QStringLiteral("Ausschneiden"), cmCut, QKeySequence(Qt::CTRL | Qt::Key_X));
    AddItem(localMenu_, QStringLiteral("&Kopieren"), cmCopy, QKeySequence(Qt::CTRL | Qt::Key_C));
    AddItem(localMenu_, QStringLiteral("Einfügen"), cmPaste, QKeySequence(Qt::CTRL | Qt::Key_V));
    AddItem(localMenu_, QStringLiteral("Löschen"), cmDelete, QKeySequence(Qt::Key_Delete));
    localMenu_->addSeparator();
    AddItem(localMenu_, QStringLiteral("Haltepunkt umschalten"), cmToggleBreakpoint,
            QKeySequence(Qt::CTRL | Qt::Key_F8));
    AddItem(localMenu_, QStringLiteral("Bis hierher ausführen"), cmRunToCell,
            QKeySequence(Qt::Key_F4));

    graphBlockPopup_ = new QMenu(this);
    graphBlockPopup_->setObjectName(QStringLiteral("GraphBlockPopup"));
    AddItem(graphBlockPopup_, QStringLiteral("Eigenschaften..."), cmProperties);
    graphBlockPopup_->addSeparator();
    AddItem(graphBlockPopup_, QStringLiteral("Hilfe zum Blocktyp"), cmBlockHelp);
    AddItem(graphBlockPopup_, QStringLiteral("Bitmap ändern..."), cmSelectGlyph);
    graphBlockPopup_->addSeparator();
    AddItem(graphBlockPopup_, QStringLiteral("Blockinhalt überwachen"), cmAddWatch);

    dllBlockPopupMenu_ = new QMenu(this);
    dllBlockPopupMenu_->setObjectName(QStringLiteral("DLLBlockPopupMenu"));
    for (int i = 0; i < int(blockMenuItems_.size()); ++i) {
        QAction* item = dllBlockPopupMenu_->addAction(QString());
        item->setObjectName(QStringLiteral("BlockMenuItem%1").arg(i));
        ConnectCommand(item, this, [this, i] { OnBlockMenuItemClick(i); });
        blockMenuItems_[i] = item;
    }

    linePopupMenu_ = new QMenu(this);
    linePopupMenu_->setObjectName(QStringLiteral("LinePopupMenu"));
    AddItem(linePopupMenu_, QStringLiteral("Verbindung trennen"), cmSplitConnection);
    AddItem(linePopupMenu_, QStringLiteral("Knickpunkt entfernen"), cmDeleteBend);

    for (QMenu* menu : {localMenu_, graphBlockPopup_, linePopupMenu_})
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { OnLocalMenuPopup(menu); });

    mouseTool_ = std::make_unique<TMouseTool>(cellPainter_);
    mouseTool_->OnExecuteBlockMenu = [this](const std::string& menu, const std::string& flags) {
        return ExecuteBlockMenu(menu, flags);
    };
    ColorsChanged();
}

TProgramCellForm::~TProgramCellForm() {
    // The tool reaches into the cell's wires; it goes before the widgets.
    mouseTool_.reset();
}

QAction* TProgramCellForm::AddItem(QMenu* menu, const QString& caption, int tag,
                                   const QKeySequence& key) {
    QAction* item = menu->addAction(caption);
    item->setData(tag);
    // Shown in the menu only: the main window's menus own these keys and route the commands
    // here, so the window adds no second, ambiguous shortcut.
    if (!key.isEmpty())
        item->setShortcut(key);
    ConnectCommand(item, this, [this, item] { OnMenuCommand(item); });
    return item;
}

TQuendalModel* TProgramCellForm::QModel() const {
    return dynamic_cast<TQuendalModel*>(Model());
}

TBlock* TProgramCellForm::CurrentBlock() const {
    if (!cell_ || currentBlockId_ == 0)
        return nullptr;
    TBlock* block = cell_->FindBlock(currentBlockId_);
    return block && block->ID == currentBlockId_ ? block : nullptr;
}

void TProgramCellForm::ShowCell(int cellNumber) {
    if (cellNumber == GetCellNumber() && cell_)
        return;
    TQuendalModel* model = QModel();
    cell_ = model ? model->FindCell(cellNumber) : nullptr;
    cellIndex_ = cell_ ? model->IndexOfCell(cellNumber) : -1;
    currentBlockId_ = 0;
    autoScrolling_ = false;
    SetCapturing(false);
    mouseTool_->SetCell(model, cell_);
    UpdateCaption();
    cellPainter_->update();
}

int TProgramCellForm::GetCellNumber() const {
    return cell_ ? cell_->CellNumber : 0;
}

void TProgramCellForm::ShowAndFocus() {
    cellScroller_->setFocus();
    show();
}

void TProgramCellForm::UpdateCaption() {
    QString caption = QStringLiteral("Programmzelleneditor");
    if (cell_) {
        TQuendalModel* model = QModel();
        const bool breakpoint = model && model->HasBreakpoint(cell_->CellNumber);
        caption += QStringLiteral(" - %1%2").arg(
            MessageQuote(cell_->Name), breakpoint ? QStringLiteral(" [Haltepunkt]") : QString());
    }
    setWindowTitle(caption);
}

void TProgramCellForm::CellPainterPaint(QPainter& painter) {
    const TCellDisplay& display = CellDisplay();
    const QRect clip = paintClip_.isEmpty() ? cellPainter_->rect() : paintClip_;
    if (display.CellGridVisible) {
        const QImage tile = GridTile(display.CellBackgnd, display.CellGridColor);
        const int left = clip.left() / GridSize * GridSize;
        const int top = clip.top() / GridSize * GridSize;
        painter.drawTiledPixmap(QRect(left, top, clip.right() + 1 - left, clip.bottom() + 1 - top),
                                QPixmap::fromImage(tile));
    } else {
        painter.fillRect(clip, display.CellBackgnd);
    }
    if (cell_) {
        const TRect r{clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1};
        cell_->DrawBlocks(painter, r);
        cell_->DrawWires(painter, r);
    }
    mouseTool_->DrawFeedback(painter);
    TQuendalModel* model = QModel();
    if (cell_ && model && model->CurrentItem > 0)
        cell_->MarkBlock(painter, model->CurrentItem);
}

void TProgramCellForm::InvalidateCellRect(const TRect& r) {
    if (!r.IsEmpty())
        cellPainter_->update(QRect(r.Left, r.Top, r.Width() + 1, r.Height() + 1));
}

bool TProgramCellForm::eventFilter(QObject* watched, QEvent* event) {
    return platform::GuardEvent(event, [&] {
        if (watched == cellPainter_) {
            switch (event->type()) {
            case QEvent::Paint:
                // The painter's own clip is in device units; the event names the area in ours.
                paintClip_ = static_cast<QPaintEvent*>(event)->rect();
                break;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                CellPainterMouseDown(static_cast<QMouseEvent*>(event));
                return true;
            case QEvent::MouseMove:
                CellPainterMouseMove(static_cast<QMouseEvent*>(event));
                return true;
            case QEvent::MouseButtonRelease:
                CellPainterMouseUp(static_cast<QMouseEvent*>(event));
                return true;
            default:
                break;
            }
        } else if (event->type() == QEvent::ShortcutOverride) {
            // F1 is this window's own key, before any menu shortcut; so is Escape while a wire is
            // being drawn.
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_F1 || (key == Qt::Key_Escape && mouseTool_->IsDrawingWire()))
                event->accept();
        } else if (event->type() == QEvent::KeyPress) {
            if (FormKeyDown(static_cast<QKeyEvent*>(event)))
                return true;
        } else if (watched == cellScroller_->viewport() && event->type() == QEvent::Resize) {
            ApplyPendingScroll();
        }
        return TMDIChildForm::eventFilter(watched, event);
    });
}

bool TProgramCellForm::FormKeyDown(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && mouseTool_->IsDrawingWire()) {
        CancelNewWire();
        return true;
    }
    return HelpKey(event, HelpContext);
}

void TProgramCellForm::SetCapturing(bool on) {
    if (on == capturing_)
        return;
    capturing_ = on;
    // Only while a button is held: between the clicks of a new wire the menus stay usable.
    if (on)
        cellPainter_->grabMouse();
    else
        cellPainter_->releaseMouse();
}

void TProgramCellForm::CellPainterMouseDown(QMouseEvent* event) {
    TQuendalModel* model = QModel();
    if (!cell_ || !model)
        return;
    cellScroller_->setFocus();
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::RightButton && mouseTool_->IsDrawingWire())
        CancelNewWire();
    if (event->button() == Qt::LeftButton && !model->IsSimulating()) {
        TRect update;
        bool needUpdate = false;
        menuTookClick_ = false;
        mouseTool_->MouseDown(p.x(), p.y(), update, needUpdate);
        SetCapturing(mouseTool_->InDrag() && !menuTookClick_);
        if (needUpdate)
            InvalidateCellRect(update);
    }
    // A wire under edit keeps its menu: its commands are about that wire.
    if (!capturing_ && !mouseTool_->IsMoving() && !mouseTool_->IsDrawingWire() &&
        event->button() == Qt::RightButton) {
        TBlock* block = mouseTool_->BlockAt(p);
        currentBlockId_ = block ? block->ID : 0;
        QMenu* menu = localMenu_;
        if (block) {
            menu = graphBlockPopup_;
        } else if (mouseTool_->HitWireAt(p)) {
            menu = linePopupMenu_;
        }
        menu->popup(cellPainter_->mapToGlobal(p));
    }
}

void TProgramCellForm::CancelNewWire() {
    autoScrolling_ = false;
    TRect r;
    mouseTool_->CancelWire(r);
    InvalidateCellRect(r);
    SetCapturing(false);
}

void TProgramCellForm::CellPainterMouseMove(QMouseEvent* event) {
    // Between the clicks of a new wire the mouse moves without a button and without the grab.
    if ((!capturing_ && !mouseTool_->IsDrawingWire()) || !cell_ || !QModel())
        return;
    const QPoint p = event->position().toPoint();
    cursorInScroller_ = cellPainter_->mapTo(cellScroller_->viewport(), p);
    if (cellScroller_->viewport()->rect().contains(cursorInScroller_) || !capturing_) {
        autoScrolling_ = false;
        mouseTool_->MouseMove(p.x(), p.y());
    } else if (!autoScrolling_) {
        autoScrolling_ = true;
        scrollInterval_ = FirstScrollInterval;
        nextScrollTime_ = Clock();
    }
}

void TProgramCellForm::CellPainterMouseUp(QMouseEvent* event) {
    if (!capturing_ || event->button() != Qt::LeftButton || !cell_ || !QModel())
        return;
    autoScrolling_ = false;
    const QPoint p = event->position().toPoint();
    mouseTool_->MouseUp(p.x(), p.y());
    SetCapturing(false);
}

bool TProgramCellForm::Idle(QObject*) {
    if (!autoScrolling_)
        return false;
    const uint64_t now = Clock();
    if (now <= nextScrollTime_)
        return true;
    scrollInterval_ = std::max(ShortestScrollInterval, scrollInterval_ - ScrollIntervalStep);
    nextScrollTime_ = now + uint64_t(scrollInterval_);

    auto step = [](QScrollBar* bar, int cursor, int extent) {
        if (cursor < 0)
            return -std::min(bar->value() - bar->minimum(), ScrollStep);
        if (cursor >= extent && bar->value() < bar->maximum())
            return std::min(ScrollStep, bar->maximum() - bar->value());
        return 0;
    };
    QScrollBar* h = cellScroller_->horizontalScrollBar();
    QScrollBar* v = cellScroller_->verticalScrollBar();
    const QSize area = cellScroller_->viewport()->size();
    const int dx = step(h, cursorInScroller_.x(), area.width());
    const int dy = step(v, cursorInScroller_.y(), area.height());
    if (dx != 0 || dy != 0) {
        mouseTool_->HideFeedback();
        h->setValue(h->value() + dx);
        v->setValue(v->value() + dy);
        cellPainter_->repaint();
        mouseTool_->ShowFeedback();
    }
    return autoScrolling_;
}

QPoint TProgramCellForm::ScrollPosition() const {
    return {cellScroller_->horizontalScrollBar()->value(),
            cellScroller_->verticalScrollBar()->value()};
}

void TProgramCellForm::SetScrollPosition(QPoint p) {
    cellScroller_->horizontalScrollBar()->setValue(p.x());
    cellScroller_->verticalScrollBar()->setValue(p.y());
}

void TProgramCellForm::ApplyPendingScroll() {
    if (!scrollPending_)
        return;
    SetScrollPosition(pendingScroll_);
    // Until the scroll bars have their range the position cannot be taken.
    if (ScrollPosition() == pendingScroll_)
        scrollPending_ = false;
}

TRect TProgramCellForm::VisibleArea() const {
    const QPoint s = ScrollPosition();
    const QSize size = cellScroller_->viewport()->size();
    return {s.x(), s.y(), s.x() + size.width(), s.y() + size.height()};
}

void TProgramCellForm::Paste() {
    TQuendalModel* model = QModel();
    mouseTool_->ClearSelection();
    QPoint where;
    model->PasteBlocks(cell_, mouseTool_->Selection(), where);
    if (mouseTool_->Selection().empty())
        return;
    const TRect visible = VisibleArea();
    QPoint scroll = ScrollPosition();
    if (where.x() < visible.Left || where.x() > visible.Right - PasteMargin)
        scroll.setX(where.x() - PasteScrollBack);
    if (where.y() < visible.Top || where.y() > visible.Bottom - PasteMargin)
        scroll.setY(where.y() - PasteScrollBack);
    SetScrollPosition(scroll);
}

void TProgramCellForm::DoCommand(int cmd) {
    TQuendalModel* model = QModel();
    if (!cell_ || !model)
        return;
    if (cmd >= cmFirstBlockType && cmd <= cmCommentBlock) {
        if (isMinimized())
            showNormal();
        mouseTool_->EndWireEdit();
        const TRect visible = VisibleArea();
        if (cmd == cmCommentBlock)
            model->InsertTextBlock(cell_, visible);
        else
            model->InsertGraphBlock(cell_, cmd - cmFirstBlockType, visible);
        return;
    }
    TBlock* current = CurrentBlock();
    switch (cmd) {
    case cmPrint:
        model->PrintProgram(cell_->CellNumber);
        break;
    case cmUndo:
        model->Undo();
        break;
    case cmRedo:
        model->Redo();
        break;
    case cmCut: {
        const std::vector<TBlock*> selection = mouseTool_->Selection();
        mouseTool_->ClearSelection();
        model->CopyBlocksToClipboard(cell_, selection);
        model->DeleteBlocksWithUndo(cell_, selection);
        break;
    }
    case cmCopy:
        model->CopyBlocksToClipboard(cell_, mouseTool_->Selection());
        break;
    case cmPaste:
        mouseTool_->EndWireEdit();
        Paste();
        break;
    case cmDelete: {
        const std::vector<TBlock*> selection = mouseTool_->Selection();
        mouseTool_->ClearSelection();
        model->DeleteBlocksWithUndo(cell_, selection);
        break;
    }
    case cmToggleBreakpoint:
        model->ToggleBreakpoint(cell_->CellNumber);
        break;
    case cmRunToCell:
        model->RunTo(cell_->CellNumber);
        break;
    case cmAddWatch:
        if (current)
            model->AddWatch(current->ID);
        break;
    case cmNewCell:
        model->InsertNewCell(-1);
        break;
    case cmProperties:
    case cmSelectGlyph:
        if (current) {
            mouseTool_->EndWireEdit();
            model->EditBlock(cell_, cmd == cmProperties ? 0 : 1, current->ID);
        }
        break;
    case cmBlockHelp:
        if (current)
            current->ShowHelp();
        break;
    case cmSplitConnection:
        mouseTool_->RemoveWire();
        break;
    case cmDeleteBend:
        mouseTool_->LineDeleteBend();
        break;
    default:
        if (cmd >= cmAlignLeft && cmd <= cmAlignBottom) {
            const std::vector<TBlock*> selection = mouseTool_->Selection();
            mouseTool_->ClearSelection();
            model->AlignBlocks(cmd - cmAlignLeft, cell_, selection);
        } else {
            TMDIChildForm::DoCommand(cmd);
        }
        break;
    }
}

bool TProgramCellForm::IsCommandEnabled(int cmd) {
    TQuendalModel* model = QModel();
    if (!model)
        return false;
    TBlock* current = CurrentBlock();
    if (model->IsSimulating()) {
        switch (cmd) {
        case cmToggleBreakpoint:
            return cell_ != nullptr;
        case cmRunToCell:
            return cell_ && model->IsSimCommandEnabled(cmRunToCell);
        case cmAddWatch:
            return current && current->HasMapCode();
        case cmBlockHelp:
            return current != nullptr;
        default:
            return false;
        }
    }
    const int selected = int(mouseTool_->Selection().size());
    const bool moving = mouseTool_->IsMoving();
    if (cmd >= cmFirstBlockType && cmd <= cmCommentBlock)
        return cell_ != nullptr;
    switch (cmd) {
    case cmPrint:
        return cell_ != nullptr;
    case cmUndo:
        return model->CanUndo() && !mouseTool_->InOperation();
    case cmRedo:
        return model->CanRedo() && !mouseTool_->InOperation();
    case cmCut:
    case cmCopy:
    case cmDelete:
        return cell_ && !moving && selected >= 1;
    case cmPaste:
        return cell_ && ClipboardHasLines(BlocksClipboardFormat);
    case cmToggleBreakpoint:
        return cell_ != nullptr;
    case cmRunToCell:
        return cell_ && model->IsSimCommandEnabled(cmRunToCell);
    case cmAddWatch:
        return current && current->HasMapCode();
    case cmNewCell:
        return true;
    case cmProperties:
        return current && current->CanEditData(0);
    case cmSelectGlyph:
        return current && current->CanEditData(1);
    case cmBlockHelp:
        return current != nullptr;
    case cmSplitConnection:
        return cell_ && mouseTool_->HasHitWire();
    case cmDeleteBend:
        return cell_ && mouseTool_->CanDeleteBend();
    default:
        if (cmd >= cmAlignLeft && cmd <= cmAlignBottom)
            return cell_ && !moving && selected >= 2;
        return TMDIChildForm::IsCommandEnabled(cmd);
    }
}

void TProgramCellForm::OnMenuCommand(QAction* action) {
    const int tag = TagOf(action);
    if (tag != 0 && IsCommandEnabled(tag))
        DoCommand(tag);
}

void TProgramCellForm::OnLocalMenuPopup(QMenu* menu) {
    for (QAction* item : menu->actions()) {
        if (item->menu())
            OnLocalMenuPopup(item->menu());
        else if (TagOf(item) != 0)
            item->setEnabled(IsCommandEnabled(TagOf(item)));
    }
}

void TProgramCellForm::OnBlockMenuItemClick(int index) {
    chosenInput_ = index;
}

int TProgramCellForm::ExecuteBlockMenu(const std::string& menu, const std::string& flags) {
    std::vector<std::string> names;
    size_t from = 0;
    while (from < menu.size()) {
        size_t end = menu.find("\r\n", from);
        if (end == std::string::npos)
            end = menu.size();
        names.push_back(menu.substr(from, end - from));
        from = end + 2;
    }
    const int shown = std::min<int>(int(names.size()), int(blockMenuItems_.size()));
    for (int i = 0; i < int(blockMenuItems_.size()); ++i) {
        QAction* item = blockMenuItems_[i];
        item->setVisible(i < shown);
        if (i < shown) {
            item->setText(platform::AnsiToQString(names[i]));
            item->setEnabled(i >= int(flags.size()) || flags[i] != '*');
        }
    }
    chosenInput_ = DismissedInput;
    // The menu takes the mouse, and the click that opened it ends in the menu.
    SetCapturing(false);
    menuTookClick_ = true;
    dllBlockPopupMenu_->exec(QCursor::pos());
    QCoreApplication::processEvents();
    return chosenInput_;
}

void TProgramCellForm::UpdateAspekt(int code, NotifyData data) {
    TQuendalModel* model = QModel();
    switch (code) {
    case nmCellInserted:
    case nmCellMoved:
        cellIndex_ = cell_ && model ? model->IndexOfCell(cell_->CellNumber) : -1;
        break;
    case nmCellDeleted: {
        if (!cell_ || int(data) != cell_->CellNumber) {
            cellIndex_ = cell_ && model ? model->IndexOfCell(cell_->CellNumber) : -1;
            break;
        }
        // The cell has left the list already; nothing may keep pointing into it.
        TBlockList* next = nullptr;
        if (model)
            next = model->GetCell(cellIndex_ > 0 ? cellIndex_ - 1 : 0);
        cell_ = nullptr;
        autoScrolling_ = false;
        SetCapturing(false);
        mouseTool_->Detach();
        if (next) {
            ShowCell(next->CellNumber);
        } else {
            UpdateCaption();
            close();
        }
        break;
    }
    case nmCellRenamed:
        if (cell_ && int(data) == cell_->CellNumber)
            UpdateCaption();
        break;
    case nmBlocksInserted:
    case nmBlocksMoved:
    case nmBlocksRemoved:
    case nmBlockEdited:
    case 2030:
    case nmInputChanged:
    case 2032: {
        const auto* change = reinterpret_cast<const TModelChange*>(data);
        if (code == nmBlocksRemoved || code == nmBlockEdited) {
            mouseTool_->PruneSelection();
        }
        mouseTool_->ForgetLostWire();
        if (change && cell_ && change->Flag && change->CellNumber == cell_->CellNumber)
            InvalidateCellRect(UnionRects(change->OldRect, change->NewRect));
        break;
    }
    case nmCurrentItem:
        if (cell_ && model && model->CurrentItem > 0 &&
            (uint32_t(model->CurrentItem) >> 16) == cell_->CellNumber) {
            if (TBlock* block = cell_->FindBlock(model->CurrentItem))
                InvalidateCellRect(Inflated(block->Rect, 10));
        }
        break;
    case nmGridOptions:
    case nmBlockIndices:
        cellPainter_->update();
        break;
    case nmBreakpointSet:
    case nmBreakpointRemoved:
    case nmBreakpointsCleared:
        UpdateCaption();
        break;
    default:
        break;
    }
}

void TProgramCellForm::ColorsChanged() {
    // The cells draw with the colour options' live table and its comment font.
    TCellDisplay& display = CellDisplay();
    display.CellComment = ViewColor(cnCellComment);
    display.CellBackgnd = ViewColor(cnCellBackgnd);
    display.CellGridColor = ViewColor(cnCellGridColor);
    display.LineColorInt = ViewColor(cnLineColorInt);
    display.LineColorText = ViewColor(cnLineColorText);
    display.LineColorTime = ViewColor(cnLineColorTime);
    display.LineColorDate = ViewColor(cnLineColorDate);
    display.IndexColor = ViewColor(cnIndexColor);
    display.IndexBackgnd = ViewColor(cnIndexBackgnd);
    const TFontEntry& font = ColorOptions.Fonts[fvCellComment];
    display.CommentFontName = platform::QStringToAnsi(font.Name);
    display.CommentFontSize = font.Size;
    display.CommentFontStyle =
        ((font.Style & 2) ? TTextBlock::Bold : 0) | ((font.Style & 1) ? TTextBlock::Italic : 0);
    QPalette palette = cellPainter_->palette();
    palette.setColor(QPalette::Window, CellDisplay().CellBackgnd);
    cellPainter_->setPalette(palette);
    cellScroller_->setPalette(palette);
    cellScroller_->viewport()->setPalette(palette);
    cellPainter_->update();
}

void TProgramCellForm::ModelDestroyed() {
    // The cells go with the model; the tool must not reach into them any more.
    cell_ = nullptr;
    autoScrolling_ = false;
    SetCapturing(false);
    mouseTool_->Detach();
    TMDIChildForm::ModelDestroyed();
}

void TProgramCellForm::closeEvent(QCloseEvent* event) {
    mouseTool_->EndWireEdit();
    SetCapturing(false);
    TMDIChildForm::closeEvent(event);
}

void TProgramCellForm::SaveDesktop(TDesktopWriter& writer) {
    TMDIChildForm::SaveDesktop(writer);
    writer.WriteInteger(GetCellNumber());
    const QPoint s = ScrollPosition();
    writer.WriteInteger(int32_t((uint32_t(s.y()) << 16) | (uint32_t(s.x()) & 0xFFFF)));
}

void TProgramCellForm::LoadDesktop(TDesktopReader& reader) {
    TMDIChildForm::LoadDesktop(reader);
    const int32_t number = reader.ReadInteger();
    const uint32_t scroll = uint32_t(reader.ReadInteger());
    ShowCell(number);
    pendingScroll_ = QPoint(int(scroll & 0xFFFF), int(scroll >> 16));
    scrollPending_ = true;
    ApplyPendingScroll();
}

void RegisterProgramCellForm() {
    RegisterMDIChildClass<TProgramCellForm>("TProgramCellForm");
    CellEditors.Create = [](TQuendalModel* model) -> TMDIChildForm* {
        return TMDIChildForm::Create<TProgramCellForm>(model);
    };
    CellEditors.CellOf = [](TMDIChildForm* form) {
        auto* cellForm = qobject_cast<TProgramCellForm*>(form);
        return cellForm ? cellForm->GetCellNumber() : -1;
    };
    CellEditors.ShowCell = [](TMDIChildForm* form, int cellNumber) {
        if (auto* cellForm = qobject_cast<TProgramCellForm*>(form))
            cellForm->ShowCell(cellNumber);
    };
}
