// Edit operations of the project model: each edit, its undo and its redo checked against the
// project text and against the engine, which must always compile like the cells it mirrors.
#include <QtTest>

#include <random>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "graphical/dialogs/commentblockdialog.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/graphblock.h"
#include "graphical/model/undoactions.h"
#include "graphical/tests/edittestmodel.h"
#include "platform/qt/dialogs.h"

using namespace edittest;

namespace {

QStringList BoxTexts(const platform::DialogRecorder& recorder) {
    QStringList texts;
    for (const auto& box : recorder.Boxes())
        texts << box.text;
    return texts;
}

std::unique_ptr<TInputLine> WireFrom(int32_t source, QPoint from, QPoint to) {
    auto wire = std::make_unique<TInputLine>();
    wire->SourceId = source;
    wire->AddPoint(from);
    wire->AddPoint(QPoint(to.x() - 20, from.y()));
    wire->AddPoint(QPoint(to.x() - 20, to.y()));
    wire->AddPoint(to);
    return wire;
}

// Types text into the first line edit of the modal dialog as soon as it shows, then presses
// the button with the given text.
void AnswerDialog(const QString& text, const QString& button) {
    QTimer::singleShot(0, [text, button] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        auto* edit = dialog->findChild<QLineEdit*>();
        if (edit) {
            edit->setFocus();
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Backspace);
            QTest::keyClicks(edit, text);
        }
        for (QPushButton* candidate : dialog->findChildren<QPushButton*>()) {
            if (candidate->text().remove('&') == button) {
                QTest::mouseClick(candidate, Qt::LeftButton);
                return;
            }
        }
        dialog->close();
    });
}

} // namespace

// Stops the test at the first failed round trip: later steps build on its result.
#define ROUND_TRIP(...)                                                                            \
    do {                                                                                           \
        RoundTrip(__VA_ARGS__);                                                                    \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

class TestEdit : public QObject {
    Q_OBJECT

    QTemporaryDir workDir_;
    std::unique_ptr<TestModel> model_;
    NotificationRecorder view_;
    std::unique_ptr<platform::DialogRecorder> boxes_;

    bool EngineOk() {
        QByteArray detail;
        const bool ok = EngineMatchesText(*model_, &detail);
        // Nothing the edit did, nor loading its result, may have needed a message.
        const bool quiet = boxes_->Boxes().empty();
        for (const auto& box : boxes_->Boxes())
            qWarning("box: %s", qPrintable(box.text));
        boxes_->Clear();
        if (!ok)
            qWarning("%s", detail.constData());
        return ok && quiet;
    }

    // Runs the edit, then undo and redo, checking the text and the engine after each step.
    // Returns the text after the edit.
    QByteArray RoundTrip(const std::function<void()>& edit, bool keepsCounter = true) {
        const int actions = 1;
        // Undoing a new table leaves the name counter advanced, as a name once given is spent.
        auto text = [&] {
            QByteArray t = TextOf(*model_);
            if (!keepsCounter) {
                QList<QByteArray> lines = t.split('\n');
                lines[2] = "<counter>";
                t = lines.join('\n');
            }
            return t;
        };
        const QByteArray before = text();
        const int undoBefore = model_->UndoCount();
        edit();
        const QByteArray after = text();
        [&] {
            QVERIFY2(after != before, "the edit changed nothing");
            QCOMPARE(model_->UndoCount(), undoBefore + actions);
            QVERIFY(EngineOk());
            for (int i = 0; i < actions; ++i)
                model_->Undo();
            QCOMPARE(text(), before);
            QVERIFY(EngineOk());
            for (int i = 0; i < actions; ++i)
                model_->Redo();
            QCOMPARE(text(), after);
            QVERIFY(EngineOk());
        }();
        return after;
    }

private slots:
    void initTestCase() {
        QVERIFY(LoadBlockCatalogue());
        QVERIFY(QDir::setCurrent(workDir_.path()));
    }
    void cleanupTestCase() { FreeBlockCatalogue(); }
    void init() {
        boxes_ = std::make_unique<platform::DialogRecorder>();
        model_ = LoadModel(SampleProject());
        QVERIFY(model_);
        view_.SetModel(model_.get());
        view_.events.clear();
        QVERIFY(EngineOk());
    }
    void cleanup() {
        view_.SetModel(nullptr);
        model_.reset();
        boxes_.reset();
    }

    void cellEditsUndoAndRedo() {
        ROUND_TRIP([&] { model_->InsertNewCell(1); });
        QCOMPARE(model_->GetCell(1)->CellNumber, uint16_t(4));
        QCOMPARE(model_->GetCell(1)->Name, std::string("Zelle 4"));
        QCOMPARE(model_->SimState, ssChanged);

        ROUND_TRIP([&] { model_->DeleteCellWithUndo(2); });
        QVERIFY(!model_->FindCell(2));
        ROUND_TRIP([&] { model_->MoveCellWithUndo(3, 1); });
        QCOMPARE(model_->IndexOfCell(3), 0);
        ROUND_TRIP([&] { model_->RenameCellWithUndo(1, "Anfang"); });
        QCOMPARE(model_->FindCell(1)->Name, std::string("Anfang"));
        ROUND_TRIP([&] { model_->CopyCell(1, 3); });
        QCOMPARE(model_->FindCell(2)->Count(), model_->FindCell(1)->Count());
        QCOMPARE(model_->IndexOfCell(2) + 1, model_->IndexOfCell(3));
    }

    void deletedCellComesBackWithItsWiresAndBreakpoint() {
        QVERIFY(model_->AddBreakpoint(1));
        const QByteArray before = TextOf(*model_);
        model_->DeleteCellWithUndo(1);
        QVERIFY(!model_->HasBreakpoint(1));
        QCOMPARE(view_.DataOf(nmCellDeleted), std::vector<NotifyData>{1});
        model_->Undo();
        QCOMPARE(TextOf(*model_), before);
        QCOMPARE(model_->IndexOfCell(1), 0);
        const TBlock* sum = model_->FindBlock(Id(1, 3));
        QVERIFY(sum && sum->GetInput(0) && sum->GetInput(1));
        QVERIFY(EngineOk());
    }

    void cellNumbersAreReused() {
        model_->DeleteCellWithUndo(2);
        model_->InsertNewCell(-1);
        QCOMPARE(model_->GetCell(model_->CellCount() - 1)->CellNumber, uint16_t(2));
        int next = 0;
        QVERIFY(model_->NextFreeCellNumber(next));
        QCOMPARE(next, 4);
    }

    void cellNamesAreChecked() {
        platform::DialogRecorder recorder;
        std::string name = "Zelle 7";
        QVERIFY(!model_->CheckCellName(1, name));
        QCOMPARE(name, std::string("Eins"));
        name = "Zelle 1";
        QVERIFY(model_->CheckCellName(1, name));
        name = "zwei";
        QVERIFY(!model_->CheckCellName(1, name));
        name = "";
        QVERIFY(!model_->CheckCellName(1, name));
        name = "kurve";
        QVERIFY(!model_->CheckCellName(1, name));
        name = "Neu";
        QVERIFY(!model_->CheckCellName(9, name));
        QCOMPARE(name, std::string("Neu"));

        // The engine refuses a name another page has: nothing changes, no undo.
        const QByteArray before = TextOf(*model_);
        QVERIFY(!model_->RenameCellWithUndo(1, "Zwei"));
        QCOMPARE(TextOf(*model_), before);
        QCOMPARE(model_->UndoCount(), 0);
        QVERIFY(EngineOk());

        // A table's name is a label as well.
        QVERIFY(!model_->RenameCellWithUndo(1, "Kurve"));
        QCOMPARE(TextOf(*model_), before);
        QCOMPARE(model_->UndoCount(), 0);
        QVERIFY(!model_->RenameTableWithUndo(1, "Drei"));
        QCOMPARE(model_->FindTable(1)->Name, std::string("Kurve"));
        QCOMPARE(BoxTexts(recorder).size(), 2);

        QVERIFY(model_->RenameCellWithUndo(1, "Eins"));
        QCOMPARE(model_->UndoCount(), 0);
    }

    void tableEditsUndoAndRedo() {
        ROUND_TRIP([&] { model_->NewTable(true); }, false);
        QCOMPARE(model_->FindTable(2)->Name, std::string("Tabelle 2"));
        QCOMPARE(model_->TableNameCounter, uint16_t(3));
        ROUND_TRIP([&] { model_->RenameTableWithUndo(1, "Linie"); });
        ROUND_TRIP([&] { model_->DeleteTable(1); });
        QCOMPARE(model_->FindTable(1)->Name, std::string("Tabelle 2"));
        QCOMPARE(view_.Count(nmTableDeleting), 3);
    }

    void tablesComeBackUnderTheirOwnNames() {
        auto names = [&] {
            QStringList list;
            for (const auto& table : model_->Tables)
                list << QString::fromStdString(table->Name);
            return list;
        };
        model_->NewTable(true);
        model_->NewTable(true);
        QCOMPARE(names(), QStringList({"Kurve", "Tabelle 2", "Tabelle 3"}));
        model_->DeleteTable(1);
        model_->DeleteTable(1);
        model_->Undo();
        QCOMPARE(names(), QStringList({"Tabelle 2", "Tabelle 3"}));
        model_->Undo();
        QCOMPARE(names(), QStringList({"Kurve", "Tabelle 2", "Tabelle 3"}));
        model_->Redo();
        model_->Redo();
        model_->Undo();
        QCOMPARE(names(), QStringList({"Tabelle 2", "Tabelle 3"}));

        // A paste keeps the name wherever the table lands; a name in use gives way.
        model_->CopyTableToClipboard(2);
        model_->DeleteTable(2);
        model_->PasteTable();
        model_->PasteTable();
        QCOMPARE(names(), QStringList({"Tabelle 2", "Tabelle 3", "Tabelle 4"}));
        QCOMPARE(model_->TableNameCounter, uint16_t(5));
        QVERIFY(EngineOk());
    }

    void externalTableReferenceUndoes() {
        platform::DialogRecorder recorder;
        QFile file(workDir_.filePath("a.tab"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("1\r\n2\r\n");
        file.close();
        QVERIFY(QFile::copy(workDir_.filePath("a.tab"), workDir_.filePath("b.tab")));
        auto table = TConversionTable::CreateExternal("Aussen");
        table->ExternFile = "a.tab";
        table->Number = 2;
        model_->InsertTable(std::move(table));
        ROUND_TRIP([&] { QVERIFY(model_->SetTableFileWithUndo(2, "b.tab")); });
        QCOMPARE(model_->FindTable(2)->ExternFile, std::string("b.tab"));
        QVERIFY(!model_->SetTableFileWithUndo(1, "b.tab"));
        QVERIFY(BoxTexts(recorder).isEmpty());
    }

    void blockInsertsUndoAndRedo() {
        TBlockList* cell = model_->FindCell(2);
        TBlock* block = nullptr;
        ROUND_TRIP([&] { block = model_->InsertGraphBlock(cell, 700, {10, 200, 300, 300}); });
        // The redo made the block anew under the same number.
        block = model_->FindBlock(Id(2, 3));
        QVERIFY(block);
        QCOMPARE(block->KindCode(), 2);
        ROUND_TRIP([&] { model_->InsertTextBlock(cell, {10, 300, 300, 400}); });
        QVERIFY(model_->FindBlock(Id(2, 4)));
        QCOMPARE(view_.Count(nmBlocksInserted), 2 * 2);
        QCOMPARE(view_.Count(nmBlocksRemoved), 2);

        // A cell of another model is not edited.
        TBlockList stranger(2, model_->Engine);
        QVERIFY(!model_->InsertGraphBlock(&stranger, 700, {0, 0, 100, 100}));
    }

    void deletingBlocksCutsTheWiresTheyFed() {
        TBlockList* cell = model_->FindCell(1);
        std::vector<TBlock*> selection = {cell->FindBlock(Id(1, 1)), cell->FindBlock(Id(1, 3))};
        model_->SetCurrentItem(Id(1, 3));
        const QByteArray before = TextOf(*model_);
        const QByteArray after = RoundTrip([&] { model_->DeleteBlocksWithUndo(cell, selection); });
        if (QTest::currentTestFailed())
            return;
        QVERIFY(!after.contains("IN00=65539"));
        // Undo restores the wires of the blocks they fed (Id(1, 4) took the sum).
        model_->Undo();
        QCOMPARE(TextOf(*model_), before);
        const TBlock* output = model_->FindBlock(Id(1, 4));
        QVERIFY(output->GetInput(0));
        QCOMPARE(output->GetInput(0)->SourceId, Id(1, 3));
        model_->Redo();
        QCOMPARE(model_->CurrentItem, -1);
        QVERIFY(!model_->FindBlock(Id(1, 4))->GetInput(0));
        QVERIFY(EngineOk());
    }

    void insertUndoFailsWhenABlockIsGone() {
        platform::DialogRecorder recorder;
        TBlockList* cell = model_->FindCell(2);
        auto action = std::make_unique<TInsertBlocksUndoAction>();
        action->CellNumber = 2;
        action->SetUndoData(Id(2, 1));
        action->SetUndoData(Id(2, 9));
        QCOMPARE(action->IDs, std::string("131073, 131081"));
        model_->AddUndoAction(std::move(action), false);
        const QByteArray before = TextOf(*model_);
        model_->Undo();
        QCOMPARE(TextOf(*model_), before);
        QCOMPARE(cell->Count(), 2);
        QCOMPARE(BoxTexts(recorder),
                 QStringList{QStringLiteral("Fehler in TInsertBlocksUndoAction.FindBlocksToDelete: "
                                            "Block nicht gefunden!")});
    }

    void undoActionsReportWhatTheyMiss() {
        platform::DialogRecorder recorder;
        QVERIFY(!model_->eDeleteTable(5));
        TDeleteCellUndoAction deleteCell;
        QVERIFY(!deleteCell.SetUndoData(model_.get(), 9));
        TDeleteTableUndoAction deleteTable;
        QVERIFY(!deleteTable.SetUndoData(model_.get(), 4));

        auto move = std::make_unique<TMoveBlocksUndoAction>();
        move->CellNumber = 1;
        move->Lines = {"ID=" + std::to_string(Id(1, 1)), "20,20,80,60",
                       "ID=" + std::to_string(Id(1, 30)), "0,0,10,10"};
        model_->AddUndoAction(std::move(move), false);
        model_->Undo();
        // The blocks before the missing one are restored.
        QCOMPARE(model_->FindBlock(Id(1, 1))->Rect, (TRect{20, 20, 80, 60}));

        auto blocks = std::make_unique<TDeleteBlocksUndoAction>();
        blocks->CellNumber = 8;
        model_->AddUndoAction(std::move(blocks), false);
        model_->Undo();
        QCOMPARE(
            BoxTexts(recorder),
            (QStringList{
                QStringLiteral("Fehler in TQuendalModel.eDeleteTable: Tabelle nicht gefunden!"),
                QStringLiteral("Interner Fehler in TDeleteCellUndoAction.SetUndoData: Zelle "
                               "nicht gefunden!"),
                QStringLiteral("Fehler in TDeleteTableUndoAction.SetUndoData: Tabelle nicht "
                               "gefunden!"),
                QStringLiteral("Fehler in TMoveBlocksUndoAction.SaveRedoData: Block nicht "
                               "gefunden!"),
                QStringLiteral("Fehler in TMoveBlocksUndoAction.UndoAction: Block nicht "
                               "gefunden!"),
                QStringLiteral("Fehler in TDeleteBlocksUndoAction.UndoAction: Zelle nicht "
                               "gefunden!")}));
    }

    void movesAndAlignmentsUndoAndRedo() {
        TBlockList* cell = model_->FindCell(1);
        TBlock* first = cell->FindBlock(Id(1, 1));
        TBlock* sum = cell->FindBlock(Id(1, 3));
        ROUND_TRIP([&] { model_->MoveBlocks(cell, {first}, QPoint(0, 20)); });
        // Moved, and snapped when aligning at the grid.
        QCOMPARE(first->Rect.Top, CellDisplay().CellAlignAtGrid ? SnapToGrid(30) : 30);
        // The wire into the sum now starts at the moved block.
        const QPoint start = sum->GetInput(0)->GetPoint(0);
        QVERIFY(start.y() >= first->Rect.Top && start.y() <= first->Rect.Bottom);

        ROUND_TRIP([&] { model_->MoveBlocks(cell, {first, sum}, QPoint(40, 0)); });
        TBlock* second = cell->FindBlock(Id(1, 2));
        ROUND_TRIP([&] { model_->AlignBlocks(2, cell, {first, second}); });
        QCOMPARE(first->Rect.Right, second->Rect.Right);
        const auto moves = view_.DataOf(nmBlocksMoved);
        QVERIFY(!moves.empty());

        // Already aligned: nothing recorded, nobody told.
        const int undo = model_->UndoCount();
        const int told = view_.Count(nmBlocksMoved);
        model_->AlignBlocks(2, cell, {first, second});
        model_->AlignBlocks(0, cell, {first});
        QCOMPARE(model_->UndoCount(), undo);
        QCOMPARE(view_.Count(nmBlocksMoved), told);
    }

    void blockDataEditsUndo() {
        TBlockList* cell = model_->FindCell(1);
        auto* comment = static_cast<TTextBlock*>(cell->FindBlock(Id(1, 5)));
        std::string old;
        comment->GetData(0, old);
        ROUND_TRIP([&] {
            auto action = std::make_unique<TEditBlockUndoAction>();
            action->SetUndoData(comment->ID, 0, 1, old);
            model_->AddUndoAction(std::move(action), false);
            QVERIFY(comment->SetData(0, "Zwei Summanden" + old.substr(old.find("\r\n"))));
        });
        QCOMPARE(comment->Text, std::string("Zwei Summanden"));

        auto* constant = static_cast<TGraphBlock*>(cell->FindBlock(Id(1, 1)));
        ROUND_TRIP([&] {
            auto action = std::make_unique<TEditBlockUndoAction>();
            action->SetUndoData(constant->ID, 0, 1, constant->ParamText);
            model_->AddUndoAction(std::move(action), false);
            QVERIFY(constant->SetData(0, "99"));
        });
        QCOMPARE(std::string(MoltraneGetBlockParam(model_->Engine, Id(1, 1))), "99");
    }

    void blockEditsThroughTheirDialogs() {
        TBlockList* cell = model_->FindCell(1);
        AnswerDialog(QStringLiteral("Zwei Summanden"), QStringLiteral("OK"));
        ROUND_TRIP([&] { QVERIFY(model_->EditBlock(cell, 0, Id(1, 5))); });
        QCOMPARE(static_cast<TTextBlock*>(cell->FindBlock(Id(1, 5)))->Text,
                 std::string("Zwei Summanden"));
        QCOMPARE(view_.Count(nmBlockEdited), 3);

        AnswerDialog(QStringLiteral("42"), QStringLiteral("OK"));
        ROUND_TRIP([&] { QVERIFY(model_->EditBlock(cell, 0, Id(1, 2))); });
        QCOMPARE(std::string(MoltraneGetBlockParam(model_->Engine, Id(1, 2))), "42");

        // Cancelled: nothing recorded.
        const int undo = model_->UndoCount();
        AnswerDialog(QStringLiteral("Anders"), QStringLiteral("Abbrechen"));
        QVERIFY(!model_->EditBlock(cell, 0, Id(1, 5)));
        QCOMPARE(model_->UndoCount(), undo);
        // A sum has no parameter to edit.
        QVERIFY(!model_->EditBlock(cell, 0, Id(1, 3)));
    }

    void wireEditsUndoAndRedo() {
        TBlockList* cell = model_->FindCell(2);
        TBlock* constant = model_->InsertGraphBlock(cell, 700, {10, 200, 300, 300});
        TBlock* sum = model_->InsertGraphBlock(cell, 200, {210, 200, 500, 300});
        QVERIFY(constant && sum);
        model_->ClearUndo();
        const QPoint from(constant->Rect.Right, constant->Rect.Top + 10);
        const QPoint to(sum->Rect.Left, sum->Rect.Top + 10);

        // The first free input: the undo finds the wire at the input the engine chose.
        int input = -1;
        ROUND_TRIP([&] {
            QVERIFY(model_->ConnectWire(sum->ID, input, WireFrom(constant->ID, from, to)));
        });
        QCOMPARE(input, 0);
        QCOMPARE(sum->GetInput(0)->PointCount, 4);
        QCOMPARE(sum->GetInput(0)->InputLetter, int8_t(-1));
        int second = 1;
        ROUND_TRIP(
            [&] { QVERIFY(model_->ConnectWire(sum->ID, second, WireFrom(Id(2, 1), from, to))); });

        auto path = WireFrom(constant->ID, from, to);
        path->InsertBend(to.x() - 20, to.y() + 30);
        ROUND_TRIP([&] { QVERIFY(model_->MoveWire(sum->ID, 0, std::move(path))); });
        ROUND_TRIP([&] { QVERIFY(model_->SplitWire(sum->ID, 0)); });
        QVERIFY(!sum->GetInput(0));
        QVERIFY(sum->GetInput(1));
        QCOMPARE(view_.Count(nmInputChanged) > 0, true);
    }

    void wireOntoATakenInputIsRefused() {
        const TBlock* sum = model_->FindBlock(Id(1, 3));
        const QByteArray before = TextOf(*model_);
        int input = 0;
        QVERIFY(!model_->ConnectWire(Id(1, 3), input,
                                     WireFrom(Id(1, 2), QPoint(70, 80), QPoint(110, 20))));
        QCOMPARE(sum->GetInput(0)->SourceId, Id(1, 1));
        QCOMPARE(TextOf(*model_), before);
        QCOMPARE(model_->UndoCount(), 0);
        QVERIFY(EngineOk());
    }

    void wireChangesReportMissingTargets() {
        platform::DialogRecorder recorder;
        int input = 0;
        QVERIFY(!model_->ChangeWire(Id(9, 1), 2, nullptr, input));
        QVERIFY(!model_->ChangeWire(Id(1, 40), 2, nullptr, input));
        QVERIFY(!model_->SplitWire(Id(1, 40), 0));
        QCOMPARE(BoxTexts(recorder),
                 (QStringList{QStringLiteral("Fehler bei \xC4nderung Blockverbindung: Zelle nicht "
                                             "gefunden!"),
                              QStringLiteral("Fehler bei \xC4nderung Blockverbindung: Block nicht "
                                             "gefunden!"),
                              QStringLiteral("Fehler in TWireUndoAction.SetUndoData: Block nicht "
                                             "gefunden!")}));
        QCOMPARE(model_->UndoCount(), 0);
    }

    void nothingIsEditedWhileSimulating() {
        platform::DialogRecorder recorder;
        model_->SimState = ssStopped;
        const QByteArray before = TextOf(*model_);
        TBlockList* cell = model_->FindCell(1);
        model_->InsertNewCell(0);
        model_->DeleteCellWithUndo(1);
        model_->MoveCellWithUndo(1, 2);
        QVERIFY(!model_->RenameCellWithUndo(1, "X"));
        model_->NewTable(true);
        model_->DeleteTable(1);
        QVERIFY(!model_->InsertGraphBlock(cell, 700, {0, 0, 100, 100}));
        model_->MoveBlocks(cell, {cell->Get(0)}, QPoint(10, 0));
        model_->DeleteBlocksWithUndo(cell, {cell->Get(0)});
        int input = 0;
        QVERIFY(!model_->SplitWire(Id(1, 3), input));
        std::vector<TBlock*> selection;
        QPoint where;
        model_->PasteBlocks(cell, selection, where);
        model_->PasteCell(0);
        model_->PasteTable();
        QCOMPARE(model_->UndoCount(), 0);
        model_->SimState = ssReady;
        QCOMPARE(TextOf(*model_), before);
        QVERIFY(recorder.Boxes().empty());
        QCOMPARE(int(recorder.Beeps().size()), 13);
    }

    // Seeded random edits, undos and redos; undoing everything gives the original text.
    void randomEditsUndoToTheOriginal_data() {
        QTest::addColumn<unsigned>("seed");
        for (unsigned seed : {1u, 7u, 42u, 1234u, 99991u})
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }
    void randomEditsUndoToTheOriginal() {
        QFETCH(unsigned, seed);
        platform::DialogRecorder recorder;
        std::mt19937 random(seed);
        auto pick = [&random](int n) { return n > 0 ? int(random() % unsigned(n)) : 0; };
        const QByteArray original = TextOf(*model_);
        for (int step = 0; step < 60; ++step) {
            const int count = model_->CellCount();
            TBlockList* cell = model_->GetCell(pick(count));
            std::vector<TBlock*> some;
            if (cell) {
                for (int i = 0; i < cell->Count(); ++i)
                    if (pick(2) == 0)
                        some.push_back(cell->Get(i));
            }
            switch (pick(14)) {
            case 0:
                model_->InsertNewCell(pick(count + 1));
                break;
            case 1:
                if (cell && count > 1)
                    model_->DeleteCellWithUndo(cell->CellNumber);
                break;
            case 2:
                if (cell)
                    model_->MoveCellWithUndo(cell->CellNumber,
                                             model_->GetCell(pick(count))->CellNumber);
                break;
            case 3:
                if (cell)
                    model_->RenameCellWithUndo(cell->CellNumber, "N" + std::to_string(step));
                break;
            case 4:
                if (cell)
                    model_->InsertGraphBlock(cell, pick(2) ? 700 : 200, {10, 200, 400, 400});
                break;
            case 5:
                if (cell && !some.empty())
                    model_->MoveBlocks(cell, some, QPoint(10 * pick(5), 10 * pick(5)));
                break;
            case 6:
                if (cell && !some.empty())
                    model_->DeleteBlocksWithUndo(cell, some);
                break;
            case 7:
                if (cell && some.size() >= 2)
                    model_->AlignBlocks(pick(4), cell, some);
                break;
            case 8:
                if (cell && cell->Count() >= 2) {
                    TBlock* source = cell->Get(pick(cell->Count()));
                    TBlock* dest = cell->Get(pick(cell->Count()));
                    if (dest->KindCode() == 2 && dest->CanConnectFrom(*source)) {
                        int input = -1;
                        model_->ConnectWire(dest->ID, input,
                                            WireFrom(source->ID, QPoint(source->Rect.Right, 15),
                                                     QPoint(dest->Rect.Left, 15)));
                    }
                }
                break;
            case 9:
                if (cell && cell->Count() > 0) {
                    TBlock* block = cell->Get(pick(cell->Count()));
                    for (int i = 0; i < MaxInputs; ++i) {
                        if (block->GetInput(i)) {
                            model_->SplitWire(block->ID, i);
                            break;
                        }
                    }
                }
                break;
            case 10:
                if (model_->TableCount() > 0 && pick(2))
                    model_->DeleteTable(1 + pick(model_->TableCount()));
                else
                    model_->NewTable(true);
                break;
            case 11:
                if (cell && !some.empty()) {
                    model_->CopyBlocksToClipboard(cell, some);
                    std::vector<TBlock*> pasted;
                    QPoint where;
                    model_->PasteBlocks(model_->GetCell(pick(count)), pasted, where);
                }
                break;
            case 12:
            case 13:
                if (model_->CanUndo() && pick(3))
                    model_->Undo();
                else if (model_->CanRedo())
                    model_->Redo();
                break;
            }
            QByteArray detail;
            QVERIFY2(EngineMatchesText(*model_, &detail),
                     qPrintable(QStringLiteral("step %1\n%2").arg(step).arg(detail)));
            QVERIFY2(
                recorder.Boxes().empty(),
                qPrintable(QStringLiteral("step %1: %2")
                               .arg(step)
                               .arg(recorder.Boxes().empty() ? QString()
                                                             : recorder.Boxes().front().text)));
        }
        while (model_->CanUndo())
            model_->Undo();
        QCOMPARE(Canonical(TextOf(*model_)), Canonical(original));
        QVERIFY(EngineOk());
    }

private:
    // Block sections of each cell in number order: an undone block deletion appends the
    // restored blocks to the cell's list.
    static QByteArray Canonical(const QByteArray& text) {
        const QList<QByteArray> lines = text.split('\n');
        QByteArray out;
        QList<QByteArray> blocks;
        QByteArray current;
        bool inBlock = false;
        auto flush = [&] {
            std::sort(blocks.begin(), blocks.end());
            for (const QByteArray& block : blocks)
                out += block;
            blocks.clear();
        };
        for (qsizetype n = 0; n < lines.size(); ++n) {
            const QByteArray& line = lines[n];
            // The name counter is not an edit's to give back.
            if (n == 2)
                continue;
            if (line.startsWith("#BLOCK_START"))
                inBlock = true;
            if (inBlock) {
                current += line + '\n';
                if (line.startsWith("#BLOCK_END")) {
                    inBlock = false;
                    blocks << current;
                    current.clear();
                }
                continue;
            }
            if (line.startsWith("#CELL_END"))
                flush();
            if (!line.trimmed().isEmpty())
                out += line + '\n';
        }
        return out;
    }
};

QTEST_MAIN(TestEdit)
#include "tst_edit.moc"
