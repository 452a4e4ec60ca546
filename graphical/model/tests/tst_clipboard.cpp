// Cells, blocks and tables copied to the platform clipboard and pasted back into a project,
// with undo and redo; the engine must compile like the pasted cells.
#include <QtTest>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "framework/utils.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/graphblock.h"
#include "graphical/tests/edittestmodel.h"
#include "platform/qt/dialogs.h"

using namespace edittest;

namespace {

QByteArray ClipboardBytes(const char* format) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data ? data->data(QString::fromLatin1(format)) : QByteArray();
}

QStringList BoxTexts(const platform::DialogRecorder& recorder) {
    QStringList texts;
    for (const auto& box : recorder.Boxes())
        texts << box.text;
    return texts;
}

const QString PasteError = QStringLiteral("Fehler bei Daten\xFC"
                                          "bernahme aus der Zwischenablage!");

} // namespace

class TestClipboard : public QObject {
    Q_OBJECT

    QTemporaryDir workDir_;
    std::unique_ptr<TestModel> model_;
    std::unique_ptr<platform::DialogRecorder> boxes_;
    NotificationRecorder view_;

    bool EngineOk() {
        QByteArray detail;
        const bool ok = EngineMatchesText(*model_, &detail);
        if (!ok)
            qWarning("%s", detail.constData());
        return ok;
    }

private slots:
    void initTestCase() {
        QVERIFY(LoadBlockCatalogue());
        QVERIFY(QDir::setCurrent(workDir_.path()));
    }
    void cleanupTestCase() { FreeBlockCatalogue(); }
    void init() {
        QGuiApplication::clipboard()->clear();
        boxes_ = std::make_unique<platform::DialogRecorder>();
        model_ = LoadModel(SampleProject());
        QVERIFY(model_);
        view_.SetModel(model_.get());
        view_.events.clear();
    }
    void cleanup() {
        view_.SetModel(nullptr);
        model_.reset();
        boxes_.reset();
    }

    void cellCarriesItsHeaderAndPastesAsANewCell() {
        model_->CopyCellToClipboard(1);
        const QByteArray copied = ClipboardBytes(CellClipboardFormat);
        QVERIFY(copied.startsWith("ID=1\r\nNAME=Eins\r\n\r\n#BLOCK_START\r\n"));
        QVERIFY(copied.endsWith("#BLOCK_END\r\n\r\n"));

        const QByteArray before = TextOf(*model_);
        model_->PasteCell(0);
        const QByteArray after = TextOf(*model_);
        TBlockList* pasted = model_->GetCell(0);
        QCOMPARE(pasted->CellNumber, uint16_t(4));
        QCOMPARE(pasted->Name, std::string("Zelle 4"));
        QCOMPARE(pasted->Count(), model_->FindCell(1)->Count());
        const TBlock* sum = pasted->FindBlock(Id(4, 3));
        QVERIFY(sum && sum->GetInput(1));
        QCOMPARE(sum->GetInput(1)->SourceId, Id(4, 2));
        QCOMPARE(view_.DataOf(nmCellInserted), std::vector<NotifyData>{4});
        QVERIFY(EngineOk());
        QVERIFY(BoxTexts(*boxes_).isEmpty());

        model_->Undo();
        QCOMPARE(TextOf(*model_), before);
        QVERIFY(EngineOk());
        model_->Redo();
        QCOMPARE(TextOf(*model_), after);
        QVERIFY(EngineOk());
    }

    void cellPasteThatFailsEndsWithThePastesMessage() {
        // The block's end is missing: the cell holds it, the paste tells of the failure.
        CopyLinesToClipboard(CellClipboardFormat,
                             {"ID=1", "NAME=x", "", "#BLOCK_START", "GraphBlock", "ID=65537",
                              "0,0,60,20", "TYPE=700"});
        model_->PasteCell(0);
        QCOMPARE(BoxTexts(*boxes_), QStringList{PasteError});
        QCOMPARE(model_->GetCell(0)->Count(), 1);
    }

    void nothingToPasteIsReported() {
        std::vector<TBlock*> selection = {model_->FindBlock(Id(1, 1))};
        QPoint where(-1, -1);
        const QByteArray before = TextOf(*model_);
        model_->PasteCell(0);
        model_->PasteBlocks(model_->FindCell(2), selection, where);
        model_->PasteTable();
        QCOMPARE(BoxTexts(*boxes_), (QStringList{PasteError, PasteError, PasteError}));
        QVERIFY(selection.empty());
        QCOMPARE(TextOf(*model_), before);
        QCOMPARE(model_->UndoCount(), 0);
        // Copying nothing leaves the clipboard alone.
        model_->CopyCellToClipboard(9);
        model_->CopyBlocksToClipboard(model_->FindCell(1), {});
        model_->CopyTableToClipboard(5);
        QVERIFY(!ClipboardHasLines(CellClipboardFormat));
        QVERIFY(!ClipboardHasLines(BlocksClipboardFormat));
        QVERIFY(!ClipboardHasLines(TableClipboardFormat));
    }

    void pastedBlocksLandBelowWithFreshNumbers() {
        TBlockList* source = model_->FindCell(1);
        // The sum without its second summand: that wire must not reach an unrelated block.
        model_->CopyBlocksToClipboard(source,
                                      {source->FindBlock(Id(1, 1)), source->FindBlock(Id(1, 3))});
        const QByteArray copied = ClipboardBytes(BlocksClipboardFormat);
        QVERIFY(copied.startsWith("#BLOCK_START\r\nGraphBlock\r\nID=65537\r\n"));
        QVERIFY(copied.contains("IN01=65538"));

        TBlockList* cell = model_->FindCell(2);
        const QByteArray before = TextOf(*model_);
        std::vector<TBlock*> selection;
        QPoint where;
        model_->PasteBlocks(cell, selection, where);
        QCOMPARE(selection.size(), size_t(2));
        QCOMPARE(selection[0]->ID, Id(2, 3));
        QCOMPARE(selection[1]->ID, Id(2, 5));
        QCOMPARE(where, QPoint(10, 70));
        QCOMPARE(selection[0]->Rect.Top, 70);
        const TBlock* sum = selection[1];
        QVERIFY(sum->GetInput(0));
        QCOMPARE(sum->GetInput(0)->SourceId, Id(2, 3));
        QVERIFY(!sum->GetInput(1));
        QVERIFY(EngineOk());
        const QByteArray once = TextOf(*model_);

        // A second copy goes below the first.
        model_->PasteBlocks(cell, selection, where);
        QCOMPARE(selection[0]->ID, Id(2, 6));
        QCOMPARE(selection[1]->ID, Id(2, 8));
        QCOMPARE(where, QPoint(10, 130));
        QVERIFY(EngineOk());

        model_->Undo();
        QCOMPARE(TextOf(*model_), once);
        model_->Undo();
        QCOMPARE(TextOf(*model_), before);
        QVERIFY(EngineOk());
        model_->Redo();
        QCOMPARE(TextOf(*model_), once);
        QVERIFY(EngineOk());
        QVERIFY(BoxTexts(*boxes_).isEmpty());
    }

    void cutBlocksPastedBackKeepTheirNumbersAndWires() {
        TBlockList* cell = model_->FindCell(1);
        // Block 4 takes its input from block 3, which stays.
        const std::vector<TBlock*> cut = {cell->FindBlock(Id(1, 2)), cell->FindBlock(Id(1, 4))};
        model_->CopyBlocksToClipboard(cell, cut);
        model_->DeleteBlocksWithUndo(cell, cut);
        const QByteArray deleted = TextOf(*model_);
        std::vector<TBlock*> selection;
        QPoint where;
        model_->PasteBlocks(cell, selection, where);
        QCOMPARE(selection.size(), size_t(2));
        QCOMPARE(selection[0]->ID, Id(1, 2));
        QCOMPARE(selection[1]->ID, Id(1, 4));
        const TInputLine* wire = selection[1]->GetInput(0);
        QVERIFY(wire);
        QCOMPARE(wire->SourceId, Id(1, 3));
        // The wire ends at the block's new place.
        const TRect& r = selection[1]->Rect;
        const QPoint end = wire->GetPoint(wire->PointCount - 1);
        QVERIFY(end.x() >= r.Left && end.x() <= r.Right && end.y() >= r.Top && end.y() <= r.Bottom);
        const QByteArray pasted = TextOf(*model_);
        QVERIFY(pasted.contains(QString("ID=65540\r\n%1,%2,%3,%4\r\nIN00=65539,")
                                    .arg(r.Left)
                                    .arg(r.Top)
                                    .arg(r.Right)
                                    .arg(r.Bottom)
                                    .toLatin1()));
        QVERIFY(EngineOk());

        model_->Undo();
        QCOMPARE(TextOf(*model_), deleted);
        model_->Redo();
        QCOMPARE(TextOf(*model_), pasted);
        QVERIFY(EngineOk());

        // Pasted once more, the numbers shift: the wire from outside would name the wrong
        // block and goes.
        model_->PasteBlocks(cell, selection, where);
        QCOMPARE(selection[1]->ID, Id(1, 8));
        QVERIFY(!selection[1]->GetInput(0));
        QVERIFY(EngineOk());
        QVERIFY(BoxTexts(*boxes_).isEmpty());
    }

    void pastedTextIsReadAsTheCellReadsIt() {
        TBlockList* cell = model_->FindCell(2);
        std::vector<TBlock*> selection;
        QPoint where;
        const QString cellError = QString::fromUtf8("Fehler bei Datenübernahme aus der "
                                                    "Zwischenablage!");
        const auto paste = [&](const TLines& text) {
            boxes_->Clear();
            CopyLinesToClipboard(BlocksClipboardFormat, text);
            model_->PasteBlocks(cell, selection, where);
            return BoxTexts(*boxes_);
        };
        const QByteArray before = TextOf(*model_);
        QCOMPARE(
            paste({"Kasten"}),
            (QStringList{QStringLiteral("Falscher Blockbeginn in Zeile:\rKasten"), cellError}));
        QCOMPARE(
            paste({"#BLOCK_START", "GraphBlock", "ID=x", "0,0,60,20", "TYPE=700", "#BLOCK_END"}),
            (QStringList{QString::fromUtf8("Ungültige Block-ID: ID=x!"), cellError}));
        QCOMPARE(TextOf(*model_), before);
        QCOMPARE(model_->UndoCount(), 0);

        // The blocks read before a bad one are pasted; the bad one is named.
        TLines text = GraphBlock({Id(1, 1), 700, {"3"}, {}, 10, 10});
        text.insert(text.end(), {"#BLOCK_START", "Kasten", "ID=65538", "#BLOCK_END"});
        QCOMPARE(paste(text),
                 (QStringList{QStringLiteral("Unbekannter Blocktyp Kasten!"), cellError}));
        QCOMPARE(selection.size(), size_t(1));
        // A block without its end marker is pasted, and the failure told.
        text = GraphBlock({Id(1, 1), 700, {"4"}, {}, 10, 10});
        text.resize(text.size() - 2);
        QCOMPARE(paste(text), QStringList{cellError});
        QCOMPARE(selection.size(), size_t(1));
        // A type the catalogue lacks is kept as the file keeps it, out of the engine.
        QCOMPARE(paste(GraphBlock({Id(1, 1), 9999, {"x"}, {}, 10, 10})),
                 QStringList{QStringLiteral("Unbekannter Blocktyp 9999!")});
        QCOMPARE(selection.size(), size_t(1));
        QVERIFY(!static_cast<TGraphBlock*>(selection[0])->InEngine);
        QCOMPARE(cell->Count(), 5);
        QVERIFY(EngineOk());
        // A parameter the engine refuses takes the paste back, and the failure is told.
        QCOMPARE(paste(GraphBlock({Id(1, 1), 101, {"99999999999"}, {}, 10, 10})),
                 QStringList{cellError});
        QVERIFY(selection.empty());
    }

    void pasteTheEngineRefusesLeavesTheProjectAsItWas() {
        // There are two byte ports: the engine refuses port 6, though it keeps the text.
        const TLines port = GraphBlock({Id(1, 1), 101, {"6"}, {}, 10, 10});
        TLines cellText = {"ID=1", "NAME=Port", ""};
        cellText.insert(cellText.end(), port.begin(), port.end());
        const QByteArray before = TextOf(*model_);
        std::vector<TBlock*> selection;
        QPoint where;
        CopyLinesToClipboard(BlocksClipboardFormat, port);
        model_->PasteBlocks(model_->FindCell(2), selection, where);
        CopyLinesToClipboard(CellClipboardFormat, cellText);
        model_->PasteCell(0);
        QCOMPARE(BoxTexts(*boxes_), (QStringList{PasteError, PasteError}));
        QVERIFY(selection.empty());
        QCOMPARE(TextOf(*model_), before);
        QCOMPARE(model_->UndoCount(), 0);
        QVERIFY(view_.events.empty());
        QVERIFY(EngineOk());
    }

    void pastedBlocksLandInsideTheCellsRange() {
        TBlockList* cell = model_->FindCell(2);
        TRect extent;
        QVERIFY(cell->InsertBlockFromLines(
            {"GraphBlock", "ID=" + std::to_string(Id(2, 9)), "10,1048500,70,1048540", "TYPE=700"},
            extent));
        cell->PushToEngine();
        model_->CopyBlocksToClipboard(model_->FindCell(1),
                                      {model_->FindBlock(Id(1, 1)), model_->FindBlock(Id(1, 3))});
        std::vector<TBlock*> selection;
        QPoint where;
        model_->PasteBlocks(cell, selection, where);
        QCOMPARE(selection.size(), size_t(2));
        for (const TBlock* block : selection) {
            QVERIFY(block->Rect.Bottom <= MaxCellCoordinate);
            QVERIFY(block->GetWiresRect().Bottom <= MaxCellCoordinate + 4);
        }
        QCOMPARE(where.y(), selection[0]->Rect.Top);
        QVERIFY(BoxTexts(*boxes_).isEmpty());
    }

    void pastedBlocksWithAPictureKeepTheirWireEnds() {
        QTemporaryDir bitmaps;
        QImage picture(50, 30, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(bitmaps.filePath("eigen.bmp")));
        BitmapDir = bitmaps.path();
        // Pasted 57 pixels down: the wire's points leave the grid, and there they stay.
        TLines text = GraphBlock({Id(1, 1), 700, {"1"}, {}, 10, 13});
        TLines own = GraphBlock({Id(1, 2), 104, {"1"}, {Id(1, 1)}, 110, 13});
        own.insert(own.end() - 2, "BmpFile=eigen.bmp");
        text.insert(text.end(), own.begin(), own.end());
        CopyLinesToClipboard(BlocksClipboardFormat, text);
        std::vector<TBlock*> selection;
        QPoint where;
        model_->PasteBlocks(model_->FindCell(2), selection, where);
        QCOMPARE(where, QPoint(10, 70));
        const QByteArray pasted = TextOf(*model_);
        model_->Undo();
        model_->Redo();
        QCOMPARE(TextOf(*model_), pasted);
        QCOMPARE(TextOf(*LoadModel(pasted)), pasted);
        BitmapDir.clear();
        QVERIFY(BoxTexts(*boxes_).isEmpty());
    }

    void undoingATablePasteTakesTheNameCounterBack() {
        model_->CopyTableToClipboard(1);
        const QByteArray before = TextOf(*model_);
        model_->PasteTable();
        const QByteArray pasted = TextOf(*model_);
        model_->Undo();
        QCOMPARE(TextOf(*model_), before);
        model_->Redo();
        QCOMPARE(TextOf(*model_), pasted);
        // also for a table that comes without its name line and is given one
        CopyLinesToClipboard(TableClipboardFormat, {"0 0", "3 3"});
        const QByteArray unnamed = TextOf(*model_);
        model_->PasteTable();
        model_->Undo();
        QCOMPARE(TextOf(*model_), unnamed);
    }

    void pastedNumbersStayInsideTheCell() {
        // A group spanning 60000 numbers fits nowhere beside block 10000.
        TLines text = GraphBlock({Id(1, 1), 700, {"1"}, {}, 10, 10});
        const TLines far = GraphBlock({Id(1, 60000), 700, {"2"}, {}, 110, 10});
        text.insert(text.end(), far.begin(), far.end());
        CopyLinesToClipboard(BlocksClipboardFormat, text);
        TBlockList* cell = model_->FindCell(2);
        TRect extent;
        QVERIFY(cell->InsertBlockFromLines(
            {"GraphBlock", "ID=" + std::to_string(Id(2, 10000)), "10,200,70,240", "TYPE=700"},
            extent));
        cell->PushToEngine();
        const QByteArray before = TextOf(*model_);
        std::vector<TBlock*> selection;
        QPoint where;
        model_->PasteBlocks(cell, selection, where);
        QVERIFY(selection.empty());
        QCOMPARE(TextOf(*model_), before);
        QCOMPARE(model_->UndoCount(), 0);
        QCOMPARE(BoxTexts(*boxes_).size(), 1);

        // In an empty cell the group starts at 1 and ends at 60000.
        model_->InsertNewCell(-1);
        TBlockList* empty = model_->GetCell(model_->CellCount() - 1);
        model_->PasteBlocks(empty, selection, where);
        QCOMPARE(selection.size(), size_t(2));
        QCOMPARE(selection[1]->LocalNumber(), uint16_t(60000));
    }

    void blocksSharingALocalNumberEachGetTheirOwn() {
        // Blocks copied from two cells share local number 2; one identifier twice clashes too,
        // and numbers 0 and 65535 fit no cell. The wire follows the block whose identifier it
        // names.
        const auto wiredPair = [](int32_t first, int32_t second) {
            TLines text = GraphBlock({first, 700, {"1"}, {}, 10, 10});
            const TLines other = GraphBlock({second, 104, {"3"}, {first}, 110, 10});
            text.insert(text.end(), other.begin(), other.end());
            return text;
        };
        TLines twice = GraphBlock({Id(1, 7), 700, {"1"}, {}, 10, 10});
        const TLines again = GraphBlock({Id(1, 7), 700, {"2"}, {}, 110, 10});
        twice.insert(twice.end(), again.begin(), again.end());

        TBlockList* cell = model_->FindCell(2);
        const QByteArray before = TextOf(*model_);
        std::vector<TBlock*> selection;
        QPoint where;
        const auto pastedAsThreeAndFour = [&](const TLines& text) {
            CopyLinesToClipboard(BlocksClipboardFormat, text);
            model_->PasteBlocks(cell, selection, where);
            return selection.size() == 2 && selection[0]->ID == Id(2, 3) &&
                   selection[1]->ID == Id(2, 4) && selection[1]->GetInput(0) &&
                   selection[1]->GetInput(0)->SourceId == Id(2, 3);
        };
        QVERIFY(pastedAsThreeAndFour(wiredPair(Id(2, 2), Id(1, 2))));
        QVERIFY(EngineOk());
        const QByteArray once = TextOf(*model_);

        CopyLinesToClipboard(BlocksClipboardFormat, twice);
        model_->PasteBlocks(cell, selection, where);
        QCOMPARE(selection.size(), size_t(2));
        QCOMPARE(selection[0]->ID, Id(2, 5));
        QCOMPARE(selection[1]->ID, Id(2, 6));
        QCOMPARE(cell->Count(), 6);
        const QByteArray both = TextOf(*model_);
        QVERIFY(EngineOk());

        model_->Undo();
        QCOMPARE(TextOf(*model_), once);
        model_->Undo();
        QCOMPARE(TextOf(*model_), before);
        QVERIFY(EngineOk());
        model_->Redo();
        model_->Redo();
        QCOMPARE(TextOf(*model_), both);
        QVERIFY(EngineOk());
        model_->Undo();
        model_->Undo();
        QCOMPARE(TextOf(*model_), before);
        QVERIFY(pastedAsThreeAndFour(wiredPair(Id(1, 0), Id(1, 65535))));
        QVERIFY(EngineOk());
        QVERIFY(BoxTexts(*boxes_).isEmpty());
    }

    void tableRoundTripGetsADefaultNameOnClash() {
        model_->CopyTableToClipboard(1);
        QCOMPARE(ClipboardBytes(TableClipboardFormat), QByteArray("Name=Kurve\r\n1\r\n4\r\n9\r\n"));
        const QByteArray before = TextOf(*model_);
        model_->PasteTable();
        QCOMPARE(model_->TableCount(), 2);
        QCOMPARE(model_->FindTable(2)->Name, std::string("Tabelle 2"));
        QCOMPARE(model_->TableNameCounter, uint16_t(3));
        QCOMPARE(*model_->FindTable(2)->Lines, (TLines{"1", "4", "9"}));
        QVERIFY(EngineOk());
        model_->Undo();
        QCOMPARE(model_->TableCount(), 1);
        model_->Redo();
        QCOMPARE(model_->FindTable(2)->Name, std::string("Tabelle 2"));

        // A name that is free stays.
        model_->RenameTableWithUndo(1, "Linie");
        model_->CopyTableToClipboard(1);
        model_->DeleteTable(1);
        model_->PasteTable();
        QCOMPARE(model_->FindTable(2)->Name, std::string("Linie"));

        // A cell's name is a label too: a table bringing it gets a default name.
        CopyLinesToClipboard(TableClipboardFormat, {"Name=eins", "5"});
        model_->PasteTable();
        QCOMPARE(model_->FindTable(3)->Name, std::string("Tabelle 3"));
        QVERIFY(before != TextOf(*model_));
        QVERIFY(BoxTexts(*boxes_).isEmpty());
    }
};

QTEST_MAIN(TestClipboard)
#include "tst_clipboard.moc"
