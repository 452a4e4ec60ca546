// The program cell window driven through its painter with mouse events, its menus and its
// commands, against a loaded project and its engine.
#include <QDialog>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QtTest>

#include "framework/commands.h"
#include "framework/paintbox.h"
#include "framework/tests/eventloop.h"
#include "framework/utils.h"
#include "graphical/dialogs/coloroptions.h"
#include "graphical/editors/cellform.h"
#include "graphical/editors/mousetool.h"
#include "graphical/mainwindow/projectcontroller.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/graphblock.h"
#include "graphical/tests/edittestmodel.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/help.h"

using namespace edittest;

namespace {

void SendMouse(QWidget* target, QEvent::Type type, QPoint p, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(p), QPointF(target->mapToGlobal(p)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

QStringList Texts(const QMenu* menu, bool visibleOnly = true) {
    QStringList texts;
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator() && (!visibleOnly || a->isVisible()))
            texts << a->text();
    }
    return texts;
}

QAction* Item(const QMenu* menu, int tag) {
    for (QAction* a : menu->actions()) {
        if (a->data().toInt() == tag)
            return a;
    }
    return nullptr;
}

} // namespace

class TestCellForm : public QObject {
    Q_OBJECT

    QTemporaryDir workDir_;
    std::unique_ptr<TestModel> model_;
    std::unique_ptr<platform::DialogRecorder> boxes_;
    QMdiArea* area_ = nullptr;
    QPointer<TProgramCellForm> form_;
    uint64_t now_ = 1000;

    QWidget* Painter() const { return form_->CellPainter(); }
    void Press(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
        SendMouse(Painter(), QEvent::MouseButtonPress, p, b, b);
    }
    void Move(QPoint p) {
        SendMouse(Painter(), QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
    }
    void Release(QPoint p) {
        SendMouse(Painter(), QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    }
    void Drag(QPoint from, QPoint to) {
        Press(from);
        Move((from + to) / 2);
        Move(to);
        Release(to);
    }
    void Click(QPoint p) {
        Press(p);
        Release(p);
    }
    TProgramCellForm* Open(int cell) {
        auto* form = TMDIChildForm::Create<TProgramCellForm>(model_.get());
        area_->addSubWindow(form);
        form->ShowCell(cell);
        form->resize(400, 300);
        form->show();
        return form;
    }
    TBlock* Block(int cell, int local) { return model_->FindBlock(Id(cell, local)); }
    // The canvas shows the colour at (or beside) every few pixels along the points' segments,
    // the arrow head left out.
    bool Painted(const TInputLine& wire, QColor colour) {
        const QImage image = Painter()->grab(QRect(0, 0, 500, 500)).toImage();
        for (int i = 0; i + 1 < wire.PointCount; ++i) {
            const QLineF segment(wire.GetPoint(i), wire.GetPoint(i + 1));
            const qreal end = segment.length() - (i + 2 == wire.PointCount ? 14 : 0);
            for (qreal d = 2; d < end; d += 3) {
                const QPoint p = segment.pointAt(d / segment.length()).toPoint();
                bool hit = false;
                for (int dx = -1; dx <= 1; ++dx)
                    for (int dy = -1; dy <= 1; ++dy)
                        hit = hit || image.pixelColor(p + QPoint(dx, dy)) == colour;
                if (!hit)
                    return false;
            }
        }
        return true;
    }

private slots:
    void initTestCase() {
        QVERIFY(LoadBlockCatalogue());
        QVERIFY(QDir::setCurrent(workDir_.path()));
        RegisterProgramCellForm();
        TProgramCellForm::Clock = [this] { return now_; };
    }
    void cleanupTestCase() { FreeBlockCatalogue(); }
    void init() {
        boxes_ = std::make_unique<platform::DialogRecorder>();
        model_ = LoadModel(SampleProject());
        QVERIFY(model_);
        model_->ClearUndo();
        area_ = new QMdiArea;
        area_->resize(800, 600);
        area_->show();
        form_ = Open(2);
        QVERIFY(QTest::qWaitForWindowExposed(area_));
    }
    void cleanup() {
        delete area_;
        model_.reset();
        QVERIFY(form_.isNull());
        boxes_.reset();
    }

    void captionFollowsCellNameAndBreakpoint() {
        auto* form = TMDIChildForm::Create<TProgramCellForm>(model_.get());
        QCOMPARE(form->windowTitle(), QStringLiteral("Zelleneditor"));
        QCOMPARE(form->GetCellNumber(), 0);
        delete form;

        QCOMPARE(form_->windowTitle(), QStringLiteral("Programmzelleneditor - Zwei"));
        QVERIFY(form_->IsCommandEnabled(300));
        form_->DoCommand(300);
        QVERIFY(model_->HasBreakpoint(2));
        QCOMPARE(form_->windowTitle(), QStringLiteral("Programmzelleneditor - Zwei [Haltepunkt]"));
        QVERIFY(model_->RenameCellWithUndo(2, "Z\xFCnder"));
        QCOMPARE(form_->windowTitle(),
                 QStringLiteral("Programmzelleneditor - Z\u00FCnder [Haltepunkt]"));
        model_->ClearBreakpoints();
        QCOMPARE(form_->windowTitle(), QStringLiteral("Programmzelleneditor - Z\u00FCnder"));
    }

    void dragMovesABlockThroughTheModel() {
        TBlock* constant = Block(2, 1);
        const TRect before = constant->Rect;
        Drag({before.Left + 5, before.Top + 5}, {before.Left + 5, before.Top + 205});
        // The move lands on the grid.
        QCOMPARE(constant->Rect.Top, SnapToGrid(before.Top + 200));
        QCOMPARE(constant->Rect.Left, SnapToGrid(before.Left));
        QCOMPARE(model_->UndoCount(), 1);
        QVERIFY(!form_->MouseTool()->IsMoving());
        QVERIFY(form_->MouseTool()->Selection().empty());
        QVERIFY(boxes_->Beeps().empty());
        form_->DoCommand(150);
        QCOMPARE(constant->Rect, before);
    }

    void refusedMovesBeepAndLeaveTheBlocks() {
        TBlock* constant = Block(2, 1);
        TBlock* port = Block(2, 2);
        const TRect before = constant->Rect;
        // Onto the other block.
        Drag({before.Left + 5, before.Top + 5}, {port->Rect.Left + 15, port->Rect.Top + 5});
        // Partly beyond the drawing area.
        TBlock* low = model_->InsertGraphBlock(model_->FindCell(2), 700, {300, 1900, 400, 2000});
        QVERIFY(low);
        model_->ClearUndo();
        const TRect lowBefore = low->Rect;
        form_->SetScrollPosition({200, 2000});
        const QPoint grip = RectCenter(low->Rect);
        Drag(grip, grip + QPoint(0, 2000 - lowBefore.Bottom + 10));
        QCOMPARE(low->Rect, lowBefore);
        QCOMPARE(constant->Rect, before);
        QCOMPARE(model_->UndoCount(), 0);
        QCOMPARE(boxes_->Beeps(),
                 (std::vector<platform::BeepKind>{platform::BeepKind::Exclamation,
                                                  platform::BeepKind::Exclamation}));

        // A comment may lie over function blocks.
        form_->ShowCell(1);
        form_->SetScrollPosition({0, 0});
        TBlock* comment = Block(1, 5);
        const TRect c = comment->Rect;
        TBlock* sum = Block(1, 3);
        Drag({c.Left + 2, c.Top + 2},
             {c.Left + 2 + (sum->Rect.Left - c.Left), c.Top + 2 + (sum->Rect.Top - c.Top)});
        QVERIFY(RectsIntersect(comment->Rect, sum->Rect));
        QCOMPARE(model_->UndoCount(), 1);
    }

    void clickStartsAWireThatConnectsOnTheTarget() {
        TBlockList* cell = model_->FindCell(2);
        TBlock* constant = model_->InsertGraphBlock(cell, 700, {10, 300, 100, 400});
        TBlock* sum = model_->InsertGraphBlock(cell, 200, {300, 300, 400, 400});
        QVERIFY(constant && sum);
        model_->ClearUndo();
        const QPoint source = RectCenter(constant->Rect);
        // Released within 3 units: a click, no move.
        Press(source);
        Release(source + QPoint(2, -2));
        QCOMPARE(model_->UndoCount(), 0);
        QVERIFY(form_->MouseTool()->IsDrawingWire());
        QCOMPARE(form_->MouseTool()->NewWire()->SourceId, constant->ID);

        // A click beside the blocks adds a bend; the wire goes on.
        Move({200, 500});
        Click({200, 500});
        QVERIFY(form_->MouseTool()->IsDrawingWire());
        QCOMPARE(form_->MouseTool()->NewWire()->PointCount, 3);
        // The adder has no named inputs: it takes the wire at once.
        Click(RectCenter(sum->Rect));
        QVERIFY(!form_->MouseTool()->IsDrawingWire());
        QVERIFY(sum->GetInput(0));
        QCOMPARE(sum->GetInput(0)->SourceId, constant->ID);
        QCOMPARE(model_->UndoCount(), 1);
        QVERIFY(EngineMatchesText(*model_));
    }

    void refusedTargetBeepsAndKeepsDrawing() {
        TBlockList* cell = model_->FindCell(2);
        TBlock* a = model_->InsertGraphBlock(cell, 700, {10, 300, 100, 400});
        TBlock* b = model_->InsertGraphBlock(cell, 700, {300, 300, 400, 400});
        Click(RectCenter(a->Rect));
        QVERIFY(form_->MouseTool()->IsDrawingWire());
        Click(RectCenter(b->Rect));
        QVERIFY(form_->MouseTool()->IsDrawingWire());
        QCOMPARE(boxes_->Beeps(), std::vector<platform::BeepKind>{platform::BeepKind::Hand});
        // Between clicks no button is held: the mouse stays free for the menus.
        QVERIFY(!QWidget::mouseGrabber());
        // The right button drops the wire and the mouse.
        Press(RectCenter(b->Rect), Qt::RightButton);
        QVERIFY(!form_->MouseTool()->IsDrawingWire());
        QVERIFY(!form_->MouseTool()->InDrag());
        QVERIFY(!QWidget::mouseGrabber());
        form_->GraphBlockPopup()->close();
    }

    void wireBetweenClicksHoldsNoGrabAndLeavesNoTrace() {
        TBlock* a = model_->InsertGraphBlock(model_->FindCell(2), 700, {10, 200, 100, 300});
        QVERIFY(a);
        QScrollBar* v = form_->findChild<QScrollArea*>()->verticalScrollBar();
        const QImage before = Painter()->grab().toImage();
        auto plainMove = [&](QPoint p) {
            SendMouse(Painter(), QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton);
        };
        // Click, bend, moves without a button, a scroll there and back and repaints.
        Press(RectCenter(a->Rect));
        QVERIFY(QWidget::mouseGrabber() == Painter());
        Release(RectCenter(a->Rect));
        QVERIFY(!QWidget::mouseGrabber());
        plainMove({250, 260});
        QCOMPARE(form_->MouseTool()->NewWire()->GetPoint(1), QPoint(250, 260));
        Click({250, 260});
        QVERIFY(!QWidget::mouseGrabber());
        plainMove({300, 150});
        v->setValue(v->value() + 50);
        Painter()->repaint();
        v->setValue(v->value() - 50);
        plainMove({320, 120});
        Painter()->repaint();
        QVERIFY(form_->MouseTool()->IsDrawingWire());
        QVERIFY(Painter()->grab().toImage() != before);

        // Escape cancels like the right button; the drawing is as before.
        QTest::keyClick(form_->findChild<QScrollArea*>(), Qt::Key_Escape);
        QVERIFY(!form_->MouseTool()->IsDrawingWire());
        QCOMPARE(model_->UndoCount(), 1);
        QCOMPARE(Painter()->grab().toImage(), before);
    }

    void wireTakesNoMoreThanEighteenPoints() {
        TBlock* a = model_->InsertGraphBlock(model_->FindCell(2), 700, {10, 300, 100, 400});
        Click(RectCenter(a->Rect));
        for (int i = 0; i < 25; ++i)
            Click({500 + 10 * i, 600 + 20 * (i % 2)});
        QVERIFY(form_->MouseTool()->IsDrawingWire());
        QCOMPARE(form_->MouseTool()->NewWire()->PointCount, TMouseTool::MaxNewWirePoints);
    }

    void inputMenuChoosesOrCancels() {
        TBlockList* cell = model_->FindCell(2);
        TBlock* constant = model_->InsertGraphBlock(cell, 700, {10, 300, 100, 400});
        TBlock* sub = model_->InsertGraphBlock(cell, 201, {300, 300, 400, 400});
        QVERIFY(MoltraneGetBlockInputMenu(model_->Engine, sub->ID));
        model_->ClearUndo();
        Click(RectCenter(constant->Rect));

        QStringList shown;
        auto answer = [&](int index) {
            QTimer::singleShot(0, this, [&, index] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                QVERIFY(menu);
                shown = Texts(menu);
                if (index >= 0)
                    menu->actions().at(index)->trigger();
                menu->close();
            });
        };
        answer(-1);
        Click(RectCenter(sub->Rect));
        const QString names =
            QString::fromLatin1(MoltraneGetBlockInputMenu(model_->Engine, sub->ID));
        QCOMPARE(shown, names.split("\r\n", Qt::SkipEmptyParts));
        QCOMPARE(shown.size(), 2);
        QVERIFY(form_->MouseTool()->IsDrawingWire());
        QCOMPARE(model_->UndoCount(), 0);

        answer(1);
        Click(RectCenter(sub->Rect));
        QVERIFY(!form_->MouseTool()->IsDrawingWire());
        QVERIFY(sub->GetInput(1));
        QVERIFY(!sub->GetInput(0));
        QCOMPARE(sub->GetInput(1)->SourceId, constant->ID);
    }

    void blockMenuShowsEightNamesWithTheirFlags() {
        std::string names;
        for (int i = 0; i < 9; ++i)
            names += "In" + std::to_string(i) + "\r\n";
        int chosen = 0;
        QStringList shown;
        QList<bool> enabled;
        QTimer::singleShot(0, this, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            shown = Texts(menu);
            for (QAction* a : menu->actions())
                enabled << a->isEnabled();
            menu->actions().at(6)->trigger();
            menu->close();
        });
        chosen = form_->ExecuteBlockMenu(names, " * *     ");
        QCOMPARE(shown, (QStringList{"In0", "In1", "In2", "In3", "In4", "In5", "In6", "In7"}));
        QCOMPARE(enabled, (QList<bool>{true, false, true, false, true, true, true, true}));
        QCOMPARE(chosen, 6);

        // Fewer names hide the rest; closing without a click is a dismissal.
        QTimer::singleShot(0, this, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            shown = Texts(menu);
            menu->close();
        });
        chosen = form_->ExecuteBlockMenu("X\r\nY", "");
        QCOMPARE(shown, (QStringList{"X", "Y"}));
        QCOMPARE(chosen, TProgramCellForm::DismissedInput);
    }

    void indexLabelFollowsTheParameterThroughUndoAndRedo() {
        CellDisplay().BlockIndicesVisible = true;
        const auto hide = qScopeGuard([] { CellDisplay().BlockIndicesVisible = false; });
        form_->DoCommand(20100);
        TBlockList* cell = model_->FindCell(2);
        auto* port = static_cast<TGraphBlock*>(cell->Get(cell->Count() - 1));
        QCOMPARE(port->IndexLabel, std::string("1"));
        const QRect area(port->Rect.Left, port->Rect.Top, port->Rect.Width(), port->Rect.Height());
        auto shown = [&] { return Painter()->grab(area).toImage(); };
        const QImage one = shown();

        WhenShown<QDialog>([](QDialog& dialog) {
            auto* spin = dialog.findChild<QSpinBox*>();
            for (int i = 1; i < 12; ++i)
                QTest::keyClick(spin, Qt::Key_Up);
            for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
                if (button->text().remove('&') == QStringLiteral("OK"))
                    QTest::mouseClick(button, Qt::LeftButton);
            }
        });
        Press(RectCenter(port->Rect), Qt::RightButton);
        form_->GraphBlockPopup()->close();
        Item(form_->GraphBlockPopup(), 620)->trigger();
        QCOMPARE(port->IndexLabel, std::string("12"));
        const QImage twelve = shown();
        QVERIFY(twelve != one);

        form_->DoCommand(cmUndo);
        QCOMPARE(std::string(MoltraneGetBlockParam(model_->Engine, port->ID)), "1");
        QCOMPARE(port->IndexLabel, std::string("1"));
        QCOMPARE(shown(), one);
        form_->DoCommand(cmRedo);
        QCOMPARE(port->IndexLabel, std::string("12"));
        QCOMPARE(shown(), twelve);
        QVERIFY(boxes_->Boxes().empty());
    }

    void rubberBandSelectsTouchedBlocksForAlignment() {
        TBlock* constant = Block(2, 1); // (10,10)-(70,50)
        TBlock* port = Block(2, 2);     // (110,10)-(170,50)
        model_->MoveBlocks(model_->FindCell(2), {port}, {0, 30});
        model_->ClearUndo();
        QVERIFY(!form_->IsCommandEnabled(700));
        // The band only touches the constant's bottom and the port's left edge.
        Drag({0, constant->Rect.Bottom}, {port->Rect.Left, 80});
        QCOMPARE(form_->MouseTool()->Selection(), (std::vector<TBlock*>{constant, port}));
        QVERIFY(form_->IsCommandEnabled(700));
        QVERIFY(form_->IsCommandEnabled(155));
        form_->DoCommand(701);
        QCOMPARE(port->Rect.Top, constant->Rect.Top);
        QVERIFY(form_->MouseTool()->Selection().empty());
        QCOMPARE(model_->UndoCount(), 1);
    }

    void selectedGroupMovesTogether() {
        TBlock* constant = Block(2, 1);
        TBlock* port = Block(2, 2);
        const TRect c = constant->Rect;
        const TRect p = port->Rect;
        Drag({0, 0}, {200, 60});
        QCOMPARE(int(form_->MouseTool()->Selection().size()), 2);
        Drag(RectCenter(port->Rect), RectCenter(port->Rect) + QPoint(100, 100));
        QCOMPARE(constant->Rect.Left - c.Left, port->Rect.Left - p.Left);
        QCOMPARE(constant->Rect.Top - c.Top, port->Rect.Top - p.Top);
        QVERIFY(constant->Rect.Top - c.Top >= 90);
        QCOMPARE(model_->UndoCount(), 1);
        const QPoint start = port->GetInput(0)->GetPoint(0);
        // The wire between them still starts on the moved source's edge.
        const TRect& r = constant->Rect;
        QVERIFY(start.x() >= r.Left && start.x() <= r.Right && start.y() >= r.Top &&
                start.y() <= r.Bottom);
        QVERIFY(start.x() == r.Left || start.x() == r.Right || start.y() == r.Top ||
                start.y() == r.Bottom);
    }

    void wireEditSurvivesTheRemovalOfItsBlock() {
        TBlock* port = Block(2, 2);
        Press({90, 20});
        Move({90, 100});
        Release({90, 100});
        QVERIFY(form_->MouseTool()->IsEditingWire());
        // Another view deletes the block that owns the wire under edit.
        model_->DeleteBlocksWithUndo(model_->FindCell(2), {port});
        QVERIFY(!form_->MouseTool()->IsEditingWire());
        QVERIFY(!form_->IsCommandEnabled(630));
        Click({1000, 1000});
        form_->DoCommand(630);
        form_->DoCommand(631);
        QCOMPARE(model_->UndoCount(), 1);
        QVERIFY(boxes_->Boxes().empty());
    }

    void wireEditEndsQuietlyWithItsCellOrModel() {
        // The cell goes while one of its wires is under edit: the window moves on silently.
        Press({90, 20});
        Move({90, 100});
        Release({90, 100});
        QVERIFY(form_->MouseTool()->IsEditingWire());
        model_->DeleteCellWithUndo(2);
        QCOMPARE(form_->GetCellNumber(), 1);
        QVERIFY(!form_->MouseTool()->IsEditingWire());
        QVERIFY(boxes_->Boxes().empty());
        model_->Undo();
        QCOMPARE(model_->FindCell(2)->Count(), 2);

        // The model goes while a wire is drawn and another edited.
        form_->ShowCell(2);
        Press({90, 20});
        Release({90, 20});
        QVERIFY(form_->MouseTool()->IsEditingWire());
        model_.reset();
        QVERIFY(!form_->MouseTool()->IsEditingWire());
        QVERIFY(!form_->MouseTool()->Cell());
        QVERIFY(boxes_->Boxes().empty());
        QTRY_VERIFY(form_.isNull());
    }

    void gridFollowsTheOption() {
        auto colourAt = [&](QPoint p) {
            return Painter()->grab(QRect(p, QSize(1, 1))).toImage().pixelColor(0, 0);
        };
        const TCellDisplay saved = CellDisplay();
        const TColorOptions options = ColorOptions;
        // Applied colours and comment font reach an open window through ColorsChanged, as
        // the main window's apply calls it.
        ColorOptions.SetColor(cnCellGridColor, ColorValues::Navy);
        ColorOptions.SetColor(cnCellBackgnd, ColorValues::Yellow);
        ColorOptions.SetColor(cnLineColorInt, ColorValues::Red);
        ColorOptions.Fonts[fvCellComment] = {QStringLiteral("Courier"), 12, 3};
        form_->ColorsChanged();
        QCOMPARE(colourAt({300, 300}), QColor(0, 0, 128));
        QCOMPARE(colourAt({305, 305}), QColor(255, 255, 0));
        const TInputLine* wire = Block(2, 2)->GetInput(0);
        QVERIFY(wire);
        const QPoint end = wire->GetPoint(wire->PointCount - 1);
        QCOMPARE(colourAt(QPoint((wire->GetPoint(0).x() + end.x()) / 2, end.y())),
                 QColor(255, 0, 0));
        TBlock* comment = model_->InsertTextBlock(model_->FindCell(2), {10, 400, 200, 500});
        QVERIFY(comment);
        const auto* text = static_cast<TTextBlock*>(comment);
        QCOMPARE(text->FontName, std::string("Courier"));
        QCOMPARE(text->FontSize, 12);
        QCOMPARE(text->FontStyle, TTextBlock::Bold | TTextBlock::Italic);
        CellDisplay().CellGridVisible = false;
        model_->NotifyViews(nmGridOptions, 0);
        QCOMPARE(colourAt({300, 300}), QColor(255, 255, 0));

        // A window opened later paints with the table from its first paint.
        CellDisplay() = saved;
        auto* later = Open(1);
        QVERIFY(QTest::qWaitForWindowExposed(later));
        QCOMPARE(later->CellPainter()->grab(QRect(305, 305, 1, 1)).toImage().pixelColor(0, 0),
                 QColor(255, 255, 0));
        ColorOptions = options;
        CellDisplay() = saved;
    }

    void copyPasteAndDeleteSelection() {
        Drag({0, 0}, {200, 60});
        QCOMPARE(int(form_->MouseTool()->Selection().size()), 2);
        QVERIFY(form_->IsCommandEnabled(153));
        form_->DoCommand(153);
        QVERIFY(form_->IsCommandEnabled(154));
        form_->SetScrollPosition({0, 0});
        form_->DoCommand(154);
        TBlockList* cell = model_->FindCell(2);
        QCOMPARE(cell->Count(), 4);
        // The pasted blocks are the new selection, 20 below the lowest block.
        const auto& pasted = form_->MouseTool()->Selection();
        QCOMPARE(int(pasted.size()), 2);
        for (TBlock* b : pasted)
            QCOMPARE(b->Rect.Top, 70);

        form_->DoCommand(155);
        QCOMPARE(cell->Count(), 2);
        QVERIFY(form_->MouseTool()->Selection().empty());
        QVERIFY(EngineMatchesText(*model_));

        // Pasted far below the view: the view follows.
        TBlock* low = model_->InsertGraphBlock(cell, 700, {10, 1500, 100, 1600});
        QVERIFY(low);
        form_->DoCommand(154);
        QCOMPARE(form_->ScrollPosition().y(),
                 std::min(low->Rect.Bottom + 20 - 200,
                          form_->CellScroller()->verticalScrollBar()->maximum()));
        QVERIFY(boxes_->Boxes().empty());
    }

    void rightClickOpensTheMenuOfWhatLiesThere() {
        TBlock* port = Block(2, 2);
        Press(RectCenter(port->Rect), Qt::RightButton);
        QVERIFY(form_->GraphBlockPopup()->isVisible());
        QCOMPARE(form_->CurrentBlock(), port);
        QCOMPARE(Texts(form_->GraphBlockPopup()),
                 (QStringList{"Eigenschaften...", "Hilfe zum Blocktyp", "Bitmap \u00E4ndern...",
                              "Blockinhalt \u00FCberwachen"}));
        // The analog output can be watched.
        QVERIFY(Item(form_->GraphBlockPopup(), 500)->isEnabled());
        QVERIFY(Item(form_->GraphBlockPopup(), 622)->isEnabled());
        form_->GraphBlockPopup()->close();

        Press({1000, 1000}, Qt::RightButton);
        QVERIFY(form_->LocalMenu()->isVisible());
        QCOMPARE(form_->CurrentBlock(), nullptr);
        QCOMPARE(Texts(form_->LocalMenu()),
                 (QStringList{"Ausschneiden", "&Kopieren", "Einf\u00FCgen", "L\u00F6schen",
                              "Haltepunkt umschalten", "Bis hierher ausf\u00FChren"}));
        QVERIFY(!Item(form_->LocalMenu(), 152)->isEnabled());
        QVERIFY(Item(form_->LocalMenu(), 300)->isEnabled());
        form_->LocalMenu()->close();

        // The wire into the port, drawn from (70,20) to (110,20).
        Press({90, 20}, Qt::RightButton);
        QVERIFY(form_->LinePopupMenu()->isVisible());
        QVERIFY(Item(form_->LinePopupMenu(), 630)->isEnabled());
        Item(form_->LinePopupMenu(), 630)->trigger();
        form_->LinePopupMenu()->close();
        QVERIFY(!port->GetInput(0));
        QCOMPARE(model_->UndoCount(), 1);
        QVERIFY(!form_->IsCommandEnabled(630));
    }

    void wireEditAddsAndDeletesBends() {
        TBlock* port = Block(2, 2);
        // Grab the straight wire in its middle and pull a bend down.
        Press({90, 20});
        QVERIFY(form_->MouseTool()->IsEditingWire());
        Move({90, 100});
        Release({90, 100});
        QCOMPARE(form_->MouseTool()->EditedWire()->PointCount, 3);
        QCOMPARE(port->GetInput(0)->PointCount, 2);
        // A click elsewhere hands the edited wire to the model.
        Click({1000, 1000});
        QVERIFY(!form_->MouseTool()->IsEditingWire());
        QCOMPARE(port->GetInput(0)->PointCount, 3);
        QCOMPARE(model_->UndoCount(), 1);

        const QPoint bend = port->GetInput(0)->GetPoint(1);
        Press(bend, Qt::RightButton);
        QVERIFY(form_->LinePopupMenu()->isVisible());
        QVERIFY(Item(form_->LinePopupMenu(), 631)->isEnabled());
        Item(form_->LinePopupMenu(), 631)->trigger();
        form_->LinePopupMenu()->close();
        QCOMPARE(port->GetInput(0)->PointCount, 2);
        QCOMPARE(model_->UndoCount(), 2);
    }

    void editedWiresStayOnTheCanvas() {
        const TCellDisplay saved = CellDisplay();
        const auto restore = qScopeGuard([saved] { CellDisplay() = saved; });
        const QColor red(255, 0, 0);
        CellDisplay().LineColorInt = CellDisplay().LineColorText = red;
        CellDisplay().LineColorTime = CellDisplay().LineColorDate = red;
        TBlock* port = Block(2, 2);
        const QPoint middle = (port->GetInput(0)->GetPoint(0) + port->GetInput(0)->GetPoint(1)) / 2;
        QVERIFY(Painted(*port->GetInput(0), red));
        // A bend pulled out of the wire; a click elsewhere hands the wire to the model.
        Drag(middle, middle + QPoint(0, 100));
        Click({1000, 1000});
        QCOMPARE(port->GetInput(0)->PointCount, 3);
        QVERIFY(Painted(*port->GetInput(0), red));
        // The bend dragged on; a right click elsewhere ends the edit.
        const QPoint bend = port->GetInput(0)->GetPoint(1);
        Drag(bend, bend + QPoint(60, 0));
        Press({1000, 1000}, Qt::RightButton);
        form_->LocalMenu()->close();
        QCOMPARE(port->GetInput(0)->GetPoint(1), bend + QPoint(60, 0));
        QVERIFY(Painted(*port->GetInput(0), red));
        // The bend deleted from the wire's menu after a click on it, and again after an undo.
        Press(port->GetInput(0)->GetPoint(1));
        Release(port->GetInput(0)->GetPoint(1));
        Press(port->GetInput(0)->GetPoint(1), Qt::RightButton);
        Item(form_->LinePopupMenu(), 631)->trigger();
        form_->LinePopupMenu()->close();
        QCOMPARE(port->GetInput(0)->PointCount, 2);
        QVERIFY(Painted(*port->GetInput(0), red));
        form_->DoCommand(150);
        QCOMPARE(port->GetInput(0)->PointCount, 3);
        Press(port->GetInput(0)->GetPoint(1), Qt::RightButton);
        Item(form_->LinePopupMenu(), 631)->trigger();
        form_->LinePopupMenu()->close();
        QCOMPARE(port->GetInput(0)->PointCount, 2);
        QVERIFY(Painted(*port->GetInput(0), red));
    }

    void rubberLineLeavesAtTheOutputPoint() {
        TBlock* a = model_->InsertGraphBlock(model_->FindCell(2), 700, {10, 200, 100, 300});
        QVERIFY(a);
        const QImage before = Painter()->grab(QRect(0, 0, 500, 500)).toImage();
        // A click above the block's centre, then the mouse goes off to the right.
        Click({RectCenter(a->Rect).x(), a->Rect.Top + 3});
        SendMouse(Painter(), QEvent::MouseMove, {300, 250}, Qt::NoButton, Qt::NoButton);
        QCOMPARE(form_->MouseTool()->NewWire()->GetPoint(0), ConnectionPoint(a->Rect, {300, 250}));
        QVERIFY(Painter()->grab(QRect(0, 0, 500, 500)).toImage() != before);
        // The right button cancels it; nothing of it stays.
        Press({300, 250}, Qt::RightButton);
        form_->LocalMenu()->close();
        QVERIFY(!form_->MouseTool()->IsDrawingWire());
        QCOMPARE(Painter()->grab(QRect(0, 0, 500, 500)).toImage(), before);
    }

    void alignedGroupMoveSnapsEveryBlock() {
        TBlock* constant = Block(2, 1);
        TBlock* port = Block(2, 2);
        // The port lies off the grid, placed while aligning was off.
        CellDisplay().CellAlignAtGrid = false;
        model_->MoveBlocks(model_->FindCell(2), {port}, {3, 4});
        CellDisplay().CellAlignAtGrid = true;
        Drag({0, 0}, {250, 100});
        QCOMPARE(int(form_->MouseTool()->Selection().size()), 2);
        Drag(RectCenter(constant->Rect), RectCenter(constant->Rect) + QPoint(100, 100));
        for (const TBlock* block : {constant, port}) {
            QCOMPARE(block->Rect.Left, SnapToGrid(block->Rect.Left));
            QCOMPARE(block->Rect.Top, SnapToGrid(block->Rect.Top));
        }
        QVERIFY(port->Rect.Left - constant->Rect.Left > 90);
    }

    void whileSimulatingOnlyTheDebugCommandsWork() {
        TBlock* port = Block(2, 2);
        Press(RectCenter(port->Rect), Qt::RightButton);
        form_->GraphBlockPopup()->close();
        Drag({0, 0}, {200, 60});
        model_->SimState = ssStopped;
        for (int cmd : {102, 152, 153, 155, 601, 620, 621, 700, 20700, 29999})
            QVERIFY2(!form_->IsCommandEnabled(cmd), qPrintable(QString::number(cmd)));
        for (int cmd : {300, 301, 500, 622})
            QVERIFY2(form_->IsCommandEnabled(cmd), qPrintable(QString::number(cmd)));
        // Left presses do nothing then.
        const TRect before = port->Rect;
        Drag(RectCenter(port->Rect), RectCenter(port->Rect) + QPoint(0, 200));
        QCOMPARE(port->Rect, before);
        model_->SimState = ssChanged;
        QVERIFY(form_->IsCommandEnabled(20700));
        QVERIFY(form_->IsCommandEnabled(601));
    }

    void paletteCommandsInsertIntoTheVisibleArea() {
        form_->SetScrollPosition({500, 600});
        form_->DoCommand(20700);
        form_->DoCommand(29999);
        TBlockList* cell = model_->FindCell(2);
        QCOMPARE(cell->Count(), 4);
        const QRect visible(form_->ScrollPosition(), form_->CellScroller()->viewport()->size());
        for (int i = 2; i < 4; ++i) {
            const TRect& r = cell->Get(i)->Rect;
            QVERIFY(visible.contains(QPoint(r.Left, r.Top)));
        }
        QCOMPARE(cell->Get(3)->KindCode(), 1);
        QCOMPARE(model_->UndoCount(), 2);
    }

    void deletedCellsMoveTheWindowOn() {
        QPointer<TProgramCellForm> first = Open(1);
        QPointer<TProgramCellForm> last = Open(3);
        model_->DeleteCellWithUndo(1);
        QCOMPARE(first->GetCellNumber(), 2);
        model_->DeleteCellWithUndo(3);
        QCOMPARE(last->GetCellNumber(), 2);
        QCOMPARE(form_->GetCellNumber(), 2);
        model_->DeleteCellWithUndo(2);
        QTRY_VERIFY(first.isNull() && last.isNull() && form_.isNull());
        // The cells come back with undo; a new window shows one again.
        model_->Undo();
        form_ = Open(2);
        QCOMPARE(form_->GetCellNumber(), 2);
    }

    void removedSelectedBlocksLeaveTheSelection() {
        Drag({0, 0}, {200, 60});
        QCOMPARE(int(form_->MouseTool()->Selection().size()), 2);
        model_->DeleteBlocksWithUndo(model_->FindCell(2), {Block(2, 1)});
        QCOMPARE(form_->MouseTool()->Selection(), std::vector<TBlock*>{Block(2, 2)});
    }

    void dragOutsideScrollsInGrowingSteps() {
        form_->resize(300, 250);
        QTest::qWait(0);
        QScrollBar* h = form_->CellScroller()->horizontalScrollBar();
        QScrollBar* v = form_->CellScroller()->verticalScrollBar();
        h->setValue(h->maximum() - 70);
        v->setValue(0);
        // A rubber band dragged beyond the right edge.
        const QPoint start(h->value() + 50, 600 > 0 ? 100 : 0);
        Press(start);
        const int beyond = h->value() + form_->CellScroller()->viewport()->width() + 30;
        Move({beyond, 100});
        QVERIFY(form_->IsAutoScrolling());
        QVERIFY(form_->Idle(nullptr));
        QCOMPARE(h->value(), h->maximum() - 70);
        std::vector<int> intervals;
        std::vector<int> positions;
        for (int i = 0; i < 6; ++i) {
            now_ += 200;
            QVERIFY(form_->Idle(nullptr));
            intervals.push_back(form_->ScrollInterval());
            positions.push_back(h->maximum() - h->value());
        }
        QCOMPARE(intervals, (std::vector<int>{120, 90, 60, 30, 20, 20}));
        QCOMPARE(positions, (std::vector<int>{50, 30, 10, 0, 0, 0}));
        QCOMPARE(v->value(), 0);
        // Back inside the view the scrolling stops.
        Move({h->value() + 20, 100});
        QVERIFY(!form_->IsAutoScrolling());
        QVERIFY(!form_->Idle(nullptr));
        Release({h->value() + 20, 100});
    }

    void desktopKeepsCellAndScrollPosition() {
        form_->SetScrollPosition({120, 340});
        TDesktopWriter writer;
        form_->SaveDesktopRecord(writer);
        delete form_;
        TDesktopReader reader(writer.Data());
        auto* restored = qobject_cast<TProgramCellForm*>(
            TMDIChildForm::LoadDesktopRecord(reader, area_, model_.get()));
        QVERIFY(restored);
        form_ = restored;
        QCOMPARE(restored->GetCellNumber(), 2);
        QTRY_COMPARE(restored->ScrollPosition(), QPoint(120, 340));
        QVERIFY(boxes_->Boxes().empty());
    }

    void currentItemIsCrossedOut() {
        TBlock* port = Block(2, 2);
        auto redAt = [&](QPoint p) {
            const QImage image = Painter()->grab(QRect(0, 0, 300, 300)).toImage();
            return image.pixelColor(p) == QColor(Qt::red);
        };
        const QPoint onDiagonal(port->Rect.Left - 2, port->Rect.Top - 2);
        QVERIFY(!redAt(onDiagonal));
        model_->SetCurrentItem(port->ID);
        QVERIFY(redAt(onDiagonal));
        model_->SetCurrentItem(-1);
        QVERIFY(!redAt(onDiagonal));
    }

    void projectTreeReachesTheWindowThroughItsHooks() {
        RegisterProgramCellForm();
        QVERIFY(FindMDIChildClass(QStringLiteral("TProgramCellForm")));
        QCOMPARE(CellEditors.CellOf(form_), 2);
        CellEditors.ShowCell(form_, 3);
        QCOMPARE(form_->GetCellNumber(), 3);
        QCOMPARE(form_->windowTitle(), QStringLiteral("Programmzelleneditor - Drei"));
        TMDIChildForm* made = CellEditors.Create(model_.get());
        QCOMPARE(CellEditors.CellOf(made), 0);
        delete made;
        auto* other = new TMDIChildForm(model_.get());
        QCOMPARE(CellEditors.CellOf(other), -1);
        delete other;
    }

    void f1OpensTheWindowHelp() {
        QList<QUrl> opened;
        platform::SetHelpOpener([&](const QUrl& url) {
            opened << url;
            return true;
        });
        QDir(workDir_.path()).mkpath("Quendal.hlp");
        QFile page(workDir_.filePath("Quendal.hlp/10000.html"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        platform::SetHelpFile(workDir_.filePath("Quendal.hlp"));
        HelpUsed = false;
        // A program-wide F1 elsewhere does not take the window's key.
        QAction contents(QStringLiteral("Inhalt"), area_);
        contents.setShortcut(Qt::Key_F1);
        contents.setShortcutContext(Qt::ApplicationShortcut);
        area_->addAction(&contents);
        int contentsShown = 0;
        connect(&contents, &QAction::triggered, this, [&] { ++contentsShown; });
        form_->CellScroller()->setFocus();
        QTest::keyClick(form_->CellScroller(), Qt::Key_F1);
        QCOMPARE(contentsShown, 0);
        platform::SetHelpOpener({});
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened.first().toString().endsWith("10000.html"));
        QVERIFY(HelpUsed);
    }
};

QTEST_MAIN(TestCellForm)
#include "tst_cellwindow_cellform.moc"
