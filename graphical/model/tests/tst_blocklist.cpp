// The program cell: identifiers, placement, cell text, copies and print-out.
#include <QtTest>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>

#include "engine/include/quendal32.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/blocklist.h"
#include "graphical/model/graphblock.h"
#include "platform/qt/dialogs.h"

namespace {

constexpr int ConstValue = 700;
constexpr int DaPort = 104;

int32_t Id(int cell, int local) {
    return (cell << 16) | local;
}

void AddPlain(TBlockList& cell, int local, TRect rect = {0, 0, 60, 20}) {
    auto block = std::make_unique<TGraphBlock>(Id(cell.CellNumber, local), nullptr);
    block->Rect = rect;
    cell.Add(std::move(block));
}

QStringList BoxTexts(const platform::DialogRecorder& recorder) {
    QStringList texts;
    for (const auto& box : recorder.Boxes())
        texts << box.text;
    return texts;
}

// A cell of two function blocks joined by a wire and a comment, as a file holds it.
const TLines SampleCell = {"ID=1",
                           "NAME=Haupt=Zelle",
                           "",
                           "#BLOCK_START",
                           "GraphBlock",
                           "ID=65537",
                           "5,5,65,45",
                           "TYPE=700",
                           "#DLLDATA_START",
                           "42",
                           "#DLLDATA_END",
                           "#BLOCK_END",
                           "",
                           "#BLOCK_START",
                           "GraphBlock",
                           "ID=65538",
                           "105,5,165,45",
                           "IN00=65537,1:65,25,105,25",
                           "TYPE=104",
                           "#DLLDATA_START",
                           "2",
                           "#DLLDATA_END",
                           "#BLOCK_END",
                           "",
                           "#BLOCK_START",
                           "TextBlock",
                           "ID=65539",
                           "5,100,61,113",
                           "\x1B#CELL_END",
                           "Font=MS Sans Serif,8,0,0,0,0,0",
                           "#BLOCK_END",
                           ""};

// The cell text as saved after reading the given one.
TLines SavedAfterLoad(EngineHandle engine, const TLines& text, bool& read) {
    TBlockList cell(1, engine);
    read = cell.LoadFromLines(true, text, 0);
    TLines saved;
    cell.SaveToLines(true, saved);
    return saved;
}

} // namespace

class TestBlockList : public QObject {
    Q_OBJECT

    EngineHandle engine_ = nullptr;

    // The sample cell as saved: the catalogue and the font fix the blocks' sizes.
    TLines WholeSaved() {
        bool read = false;
        return SavedAfterLoad(engine_, SampleCell, read);
    }

    // The sample cell with one line replaced, read into an empty engine page; empty when the
    // read fails.
    TLines LoadSampleWith(TBlockList& cell, size_t line, const std::string& replacement) {
        TLines text = SampleCell;
        text[line] = replacement;
        MoltraneClearPage(engine_, 1);
        return cell.LoadFromLines(true, text, 0) ? text : TLines();
    }

private slots:
    void initTestCase() {
        QVERIFY(LoadBlockCatalogue());
        engine_ = MoltraneCreate();
        for (int page = 1; page <= 3; ++page)
            QCOMPARE(MoltraneAddPage(engine_, page, 0), 1);
    }
    void cleanupTestCase() {
        MoltraneDestroy(engine_);
        FreeBlockCatalogue();
    }
    void init() { CellDisplay() = TCellDisplay(); }

    void newCellIsNamedAfterItsNumber() {
        TBlockList cell(7, engine_);
        QCOMPARE(cell.Name, std::string("Zelle 7"));
        TLines lines;
        QVERIFY(cell.SaveToLines(true, lines));
        QCOMPARE(lines, (TLines{"ID=7", "NAME=Zelle 7", ""}));
    }

    void freeIdentifiers() {
        TBlockList cell(1, engine_);
        AddPlain(cell, 1);
        AddPlain(cell, 2);
        AddPlain(cell, 4);
        QCOMPARE(cell.NewBlockId(), Id(1, 3));
        QVERIFY(cell.FindBlock(Id(9, 4)) == cell.Get(2));

        TBlockList runs(1, engine_);
        AddPlain(runs, 1);
        AddPlain(runs, 3);
        QCOMPARE(runs.FindFreeIdRun(2), Id(1, 4));
        QCOMPARE(runs.FindFreeIdRun(0), Id(1, 2));

        // The last numbers of a cell never run into the next one.
        TBlockList high(1, engine_);
        AddPlain(high, 65530);
        QCOMPARE(high.FindFreeIdRun(65528), Id(1, 1));
        QCOMPARE(high.FindFreeIdRun(65529), 0);
        QCOMPARE(high.FindFreeIdRun(65534), 0);
    }

    void fullCellRefusesMoreBlocks() {
        TBlockList cell(2, engine_);
        for (int local = 1; local <= 65534; ++local)
            AddPlain(cell, local);
        platform::DialogRecorder recorder;
        QCOMPARE(cell.NewBlockId(), 0);
        QCOMPARE(BoxTexts(recorder),
                 QStringList{QString::fromUtf8("Einfügen nicht möglich:\r\nZu viele Blöcke in "
                                               "dieser Programmzelle!")});
        QVERIFY(cell.InsertCommentBlock({0, 0, 500, 500}) == nullptr);
        QCOMPARE(cell.Count(), 65534);
        QCOMPARE(cell.FindFreeIdRun(1), 0);
    }

    void placementFindsAFreeSpot() {
        TBlockList cell(1, engine_);
        AddPlain(cell, 1, {5, 5, 65, 25});
        AddPlain(cell, 2, {65, 5, 125, 25});
        AddPlain(cell, 3, {0, 0, 60, 20});
        cell.PlaceBlock(2, {0, 0, 500, 500});
        QCOMPARE(cell.Get(2)->Rect, (TRect{125, 5, 185, 25}));

        // Wraps when Left + 10 passes the area's right edge; the new row is one block lower.
        AddPlain(cell, 4, {0, 0, 60, 20});
        cell.PlaceBlock(3, {0, 0, 190, 500});
        QCOMPARE(cell.Get(3)->Rect, (TRect{5, 25, 65, 45}));

        // An area narrower than a block still ends.
        AddPlain(cell, 5, {0, 0, 60, 20});
        cell.PlaceBlock(4, {0, 0, 3, 500});
        QCOMPARE(cell.Get(4)->Rect.Left, 5);
        QVERIFY(!RectsIntersect(cell.Get(4)->Rect, cell.Get(0)->Rect));
        QVERIFY(!RectsIntersect(cell.Get(4)->Rect, cell.Get(3)->Rect));

        cell.PlaceBlock(99, {0, 0, 100, 100}); // ignored
    }

    void cellTextRoundTrips() {
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true, SampleCell, 0));
        QCOMPARE(cell.Name, std::string("Haupt=Zelle"));
        QCOMPARE(cell.Count(), 3);
        QCOMPARE(static_cast<TTextBlock*>(cell.Get(2))->Text, std::string("#CELL_END"));
        TLines saved;
        QVERIFY(cell.SaveToLines(true, saved));
        // The catalogue fixes the function blocks' sizes; everything else is byte for byte.
        auto expected = SampleCell;
        for (int i : {0, 1}) {
            const TRect& r = cell.Get(i)->Rect;
            expected[i == 0 ? 6 : 16] = std::to_string(r.Left) + "," + std::to_string(r.Top) + "," +
                                        std::to_string(r.Right) + "," + std::to_string(r.Bottom);
        }
        expected[27] = "5,100," + std::to_string(cell.Get(2)->Rect.Right) + "," +
                       std::to_string(cell.Get(2)->Rect.Bottom);
        QCOMPARE(saved, expected);
        QCOMPARE(JoinLines(saved).substr(0, 24), std::string("ID=1\r\nNAME=Haupt=Zelle\r\n"));

        // Selected blocks: the block part alone, in cell order.
        TLines selected;
        QVERIFY(cell.SaveSelectedToLines({cell.Get(2), cell.Get(0)}, selected));
        QCOMPARE(selected.front(), std::string("#BLOCK_START"));
        QCOMPARE(selected[1], std::string("GraphBlock"));
        TBlockList pasted(3, engine_);
        QVERIFY(pasted.LoadFromLines(false, selected, 3));
        QCOMPARE(pasted.Count(), 2);
        QCOMPARE(pasted.Get(0)->ID, Id(3, 1));
        QCOMPARE(pasted.Get(1)->KindCode(), 1);
    }

    void headerVariants() {
        TBlockList cell(4, engine_);
        QVERIFY(cell.LoadFromLines(true, {"NAME=Ohne Nummer", ""}, 0));
        QCOMPARE(cell.CellNumber, uint16_t(4));
        QCOMPARE(cell.Name, std::string("Ohne Nummer"));
        QVERIFY(cell.LoadFromLines(true, {"ID=9", "NAME=x"}, 0));
        QCOMPARE(cell.CellNumber, uint16_t(9));
        QVERIFY(cell.LoadFromLines(true, {"ID=9", "NAME=x"}, 2));
        QCOMPARE(cell.CellNumber, uint16_t(2));
        QVERIFY(!cell.LoadFromLines(true, {"ID=9", "TITEL=x"}, 0));
        QVERIFY(!cell.LoadFromLines(true, {}, 0));
    }

    void brokenCellTexts() {
        platform::DialogRecorder recorder;
        TBlockList cell(1, engine_);
        QVERIFY(!cell.LoadFromLines(false, {"#BLOCK_BEGIN"}, 0));
        QVERIFY(!cell.LoadFromLines(false, {"#BLOCK_START", "Kasten", "ID=65537"}, 0));
        QVERIFY(!cell.LoadFromLines(false, {"#BLOCK_START", "TextBlock", "Nummer=1"}, 0));
        QCOMPARE(BoxTexts(recorder),
                 (QStringList{QStringLiteral("Falscher Blockbeginn in Zeile:\r#BLOCK_BEGIN"),
                              QStringLiteral("Unbekannter Blocktyp Kasten!"),
                              QString::fromUtf8("Ungültige Block-ID: Nummer=1!")}));
        QCOMPARE(cell.Count(), 0);

        // A missing end marker fails without a message; the block read stays.
        recorder.Clear();
        TLines text(SampleCell.begin() + 3, SampleCell.begin() + 11);
        QVERIFY(!cell.LoadFromLines(false, text, 0));
        QCOMPARE(cell.Count(), 1);
        QVERIFY(recorder.Boxes().empty());

        // A comment without its font line keeps the default font and fails the cell's read;
        // the blocks behind it are read all the same.
        text = TLines(SampleCell.begin() + 3, SampleCell.end());
        text.erase(text.begin() + 26);
        text.insert(text.end(), {"#BLOCK_START", "GraphBlock", "ID=65540", "205,5,265,45",
                                 "TYPE=700", "#BLOCK_END"});
        TBlockList other(1, engine_);
        QVERIFY(!other.LoadFromLines(false, text, 0));
        QCOMPARE(other.Count(), 4);
        QCOMPARE(other.Get(3)->ID, Id(1, 4));
        QVERIFY(recorder.Boxes().empty());
    }

    void refusedBlockSectionsKeepTheBlocksBehind() {
        platform::DialogRecorder recorder;
        const TLines whole = WholeSaved();
        // The first block has lost its start marker, the second names an unknown class.
        TLines text = SampleCell;
        text[14] = "Kasten";
        text.erase(text.begin() + 3);
        bool read = true;
        const TLines saved = SavedAfterLoad(engine_, text, read);
        QVERIFY(!read);
        QCOMPARE(TLines(saved.begin() + 3, saved.end()), TLines(whole.begin() + 24, whole.end()));
    }

    void headerWithoutItsNameLineKeepsTheBlocks() {
        platform::DialogRecorder recorder;
        const TLines whole = WholeSaved();
        for (const TLines& header : {TLines{"ID=1"}, TLines{"ID=1", "ID=1", "NAME=Haupt=Zelle"}}) {
            TLines text = header;
            text.insert(text.end(), SampleCell.begin() + 2, SampleCell.end());
            bool read = true;
            const TLines saved = SavedAfterLoad(engine_, text, read);
            QVERIFY(!read);
            QCOMPARE(TLines(saved.begin() + 3, saved.end()),
                     TLines(whole.begin() + 3, whole.end()));
        }
    }

    void parameterTextWithoutItsEndStopsAtItsBlock() {
        platform::DialogRecorder recorder;
        TLines text = SampleCell;
        text.erase(text.begin() + 10);
        bool read = true;
        QCOMPARE(SavedAfterLoad(engine_, text, read), WholeSaved());
    }

    void blockStartAlwaysStartsABlock() {
        // A block cut off behind its number line: the intact block behind it is read.
        const TLines text = {"#BLOCK_START",   "GraphBlock", "ID=65540",      "#BLOCK_START",
                             "GraphBlock",     "ID=65541",   "315,15,375,55", "TYPE=700",
                             "#DLLDATA_START", "4715",       "#DLLDATA_END",  "#BLOCK_END"};
        platform::DialogRecorder recorder;
        MoltraneClearPage(engine_, 1);
        TBlockList cell(1, engine_);
        QVERIFY(!cell.LoadFromLines(false, text, 0));
        const auto* intact = static_cast<const TGraphBlock*>(cell.FindBlock(Id(1, 5)));
        QVERIFY(intact != nullptr);
        QCOMPARE(intact->Rect.Left, 315);
        QCOMPARE(intact->ParamText, std::string("4715"));
    }

    void blockWithoutItsNumberLineGetsAFreeOne() {
        platform::DialogRecorder recorder;
        TLines text = SampleCell;
        text.erase(text.begin() + 15); // block 2's "ID=65538"
        MoltraneClearPage(engine_, 1);
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true, text, 0));
        QCOMPARE(BoxTexts(recorder), QStringList{QString::fromUtf8(
                                         "Fehlende Block-ID! Der Block erhält die Nummer 2 in "
                                         "Zelle 1.")});
        TLines saved;
        cell.SaveToLines(true, saved);
        QCOMPARE(saved, WholeSaved());
    }

    void linesAreReadByWhatTheyAre() {
        platform::DialogRecorder recorder;
        // Block 2 without its rectangle: the wire line stays a wire, the block goes below.
        TLines text = SampleCell;
        text.erase(text.begin() + 16);
        MoltraneClearPage(engine_, 1);
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true, text, 0));
        QCOMPARE(BoxTexts(recorder), QStringList{QString::fromUtf8(
                                         "Block 2 in Zelle 1 hatte keine Koordinaten und wurde "
                                         "neu platziert!")});
        const TBlock* placed = cell.FindBlock(Id(1, 2));
        QVERIFY(placed->Rect.Top > cell.Get(2)->Rect.Bottom);
        QCOMPARE(placed->GetInput(0)->SourceId, Id(1, 1));
        // The comment's rectangle and text swapped, block 1's type line doubled: each line is
        // taken for what it is, the second copy is not taken.
        recorder.Clear();
        text = SampleCell;
        std::swap(text[27], text[28]);
        text.insert(text.begin() + 7, "TYPE=700");
        bool read = true;
        QCOMPARE(SavedAfterLoad(engine_, text, read), WholeSaved());
        QVERIFY(!read);
        QVERIFY(recorder.Boxes().empty());
    }

    void wireOfADamagedKindSavesAsRead() {
        TLines text = SampleCell;
        text[17] = "IN00=65537,255:65,25,105,25";
        bool read = false;
        QCOMPARE(SavedAfterLoad(engine_, text, read)[17], text[17]);
    }

    void wireOfAWrongKindTakesTheEnginesKind() {
        platform::DialogRecorder recorder;
        TBlockList cell(1, engine_);
        QVERIFY(!LoadSampleWith(cell, 17, "IN00=65537,3:65,25,105,25").empty());
        QVERIFY(!cell.PushToEngine());
        QCOMPARE(BoxTexts(recorder),
                 QStringList{QStringLiteral("Fehler bei MoltraneConnectBlocks!")});
        recorder.Clear();
        QVERIFY(cell.PushToEngine());
        QVERIFY(recorder.Boxes().empty());
        QCOMPARE(int(cell.FindBlock(Id(1, 2))->GetInput(0)->Kind), 1);
    }

    void unknownBlockTypeIsKeptOutsideTheEngine() {
        platform::DialogRecorder recorder;
        TBlockList cell(1, engine_);
        const TLines text = LoadSampleWith(cell, 7, "TYPE=505");
        QVERIFY(!text.empty());
        QCOMPARE(BoxTexts(recorder), QStringList{QStringLiteral("Unbekannter Blocktyp 505!")});
        // Kept as read, with the wire that comes from it.
        QCOMPARE(cell.Count(), 3);
        auto* unknown = static_cast<TGraphBlock*>(cell.FindBlock(Id(1, 1)));
        QVERIFY(unknown != nullptr && unknown->Bitmap() == nullptr);
        QVERIFY(cell.FindBlock(Id(1, 2))->GetInput(0) != nullptr);

        // The push leaves it and its wire out of the engine, quietly; the others go in.
        recorder.Clear();
        QVERIFY(!cell.PushToEngine());
        QVERIFY(recorder.Boxes().empty());
        QVERIFY(!unknown->InEngine);
        QVERIFY(MoltraneGetBlockParam(engine_, Id(1, 1)) == nullptr);
        QCOMPARE(QByteArray(MoltraneGetBlockParam(engine_, Id(1, 2))), QByteArray("2"));
        QVERIFY(cell.FindBlock(Id(1, 2))->GetInput(0) != nullptr);

        // Drawn as the yellow box with its parameter text, saved back unchanged.
        QImage image(80, 60, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            unknown->Draw(painter);
        }
        QCOMPARE(image.pixelColor(9, 9), QColor(Qt::yellow));
        TLines saved;
        QVERIFY(cell.SaveToLines(true, saved));
        QCOMPARE(TLines(saved.begin(), saved.begin() + 24),
                 TLines(text.begin(), text.begin() + 24));

        // Deleted and re-inserted from its text, it stays the same way.
        QVERIFY(cell.DeleteBlock(Id(1, 1)));
        TRect extent;
        QVERIFY(
            cell.InsertBlockFromLines({"GraphBlock", "ID=65537", "5,5,65,45", "TYPE=505"}, extent));
        QVERIFY(recorder.Boxes().empty());
        QCOMPARE(cell.Count(), 3);
    }

    void blockWithoutTypeIsKeptAndSavedWithoutOne() {
        platform::DialogRecorder recorder;
        TLines text = SampleCell;
        text.erase(text.begin() + 18); // block 2's "TYPE=104"
        MoltraneClearPage(engine_, 1);
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true, text, 0));
        QCOMPARE(BoxTexts(recorder),
                 QStringList{QStringLiteral("Block 2 in Zelle 1 hat keinen Blocktyp!")});
        QCOMPARE(cell.Count(), 3);
        auto* untyped = static_cast<TGraphBlock*>(cell.Get(1));
        QCOMPARE(untyped->ParamText, std::string("2"));
        QVERIFY(untyped->GetInput(0) != nullptr);
        QVERIFY(!cell.PushToEngine());
        QVERIFY(!untyped->InEngine);
        TLines saved;
        cell.SaveToLines(true, saved);
        QCOMPARE(TLines(saved.begin() + 13, saved.begin() + 23),
                 TLines(text.begin() + 13, text.begin() + 23));

        // Cut off behind its rectangle.
        recorder.Clear();
        TBlockList cut(1, engine_);
        QVERIFY(!cut.LoadFromLines(false, TLines(text.begin() + 3, text.begin() + 7), 0));
        QCOMPARE(cut.Count(), 1);
        QCOMPARE(BoxTexts(recorder),
                 QStringList{QStringLiteral("Block 1 in Zelle 1 hat keinen Blocktyp!")});
    }

    void blockOutOfTheCellsRangeIsKeptBelowTheOthers() {
        platform::DialogRecorder recorder;
        TLines text = SampleCell;
        text[6] = "5,5,65,9999999";
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true, text, 0));
        QCOMPARE(BoxTexts(recorder), QStringList{QString::fromUtf8(
                                         "Block 1 in Zelle 1 lag außerhalb der Zelle und wurde "
                                         "neu platziert!")});
        QCOMPARE(cell.Count(), 3);
        const TBlock* kept = cell.Get(0);
        QCOMPARE(kept->ID, Id(1, 1));
        // Its own size, on the grid, below the lowest block; the wire from it starts on it.
        QCOMPARE(kept->Rect.Top, SnapToGridUp(cell.Get(2)->Rect.Bottom + 20));
        QCOMPARE(kept->Rect.Left, 5);
        QCOMPARE(kept->Rect.Width(), GetBlockBitmap(ConstValue)->width());
        const TInputLine* wire = cell.Get(1)->GetInput(0);
        QVERIFY(wire != nullptr);
        QCOMPARE(wire->Points[0], ConnectionPoint(kept->Rect, wire->Points[1]));

        // Saved in its new place, it reads back as it stands.
        TLines saved;
        cell.SaveToLines(true, saved);
        TBlockList again(1, engine_);
        QVERIFY(again.LoadFromLines(true, saved, 0));
        TLines resaved;
        again.SaveToLines(true, resaved);
        QCOMPARE(resaved, saved);
        QCOMPARE(recorder.Boxes().size(), size_t(1));
    }

    void blockIdentifiersOutsideTheCellAreRenumbered() {
        // Page 2 exists: a block of cell 1 must not land in it.
        auto block = [](const std::string& id) {
            return TLines{"#BLOCK_START", "TextBlock", "ID=" + id,
                          "0,0,60,20",    "Notiz",     "Font=MS Sans Serif,8,0,0,0,0,0",
                          "#BLOCK_END",   ""};
        };
        TLines text = {"ID=1", "NAME=Haupt", ""};
        for (const char* id : {"65537", "131074", "65537", "65536", "131071", "65538"}) {
            const TLines lines = block(id);
            text.insert(text.end(), lines.begin(), lines.end());
        }
        // The last block is a value constant, so the push reaches the engine.
        text[text.size() - 7] = "GraphBlock";
        text[text.size() - 4] = "TYPE=700";
        text[text.size() - 3] = "#DLLDATA_START";
        text.insert(text.end() - 2, {"7", "#DLLDATA_END"});
        auto renumbered = [](std::initializer_list<std::pair<const char*, int>> ids, int cell) {
            QStringList texts;
            for (const auto& [id, local] : ids)
                texts << QString::fromUtf8("Ungültige Block-ID: ID=%1! Der Block erhält die "
                                           "Nummer %2 in Zelle %3.")
                             .arg(id)
                             .arg(local)
                             .arg(cell);
            return texts;
        };

        // Every block is kept; the valid numbers stay, the others take free ones behind them.
        platform::DialogRecorder recorder;
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true, text, 0));
        QCOMPARE(BoxTexts(recorder),
                 renumbered({{"131074", 3}, {"65537", 4}, {"65536", 5}, {"131071", 6}}, 1));
        QCOMPARE(cell.Count(), 6);
        const int32_t ids[] = {Id(1, 1), Id(1, 3), Id(1, 4), Id(1, 5), Id(1, 6), Id(1, 2)};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(cell.Get(i)->ID, ids[i]);
        QVERIFY(cell.PushToEngine());
        QCOMPARE(QByteArray(MoltraneGetBlockParam(engine_, Id(1, 2))), QByteArray("7"));
        QVERIFY(MoltraneGetBlockParam(engine_, Id(2, 2)) == nullptr);
        // The save holds them all, with numbers that read back without a message.
        TLines saved;
        cell.SaveToLines(true, saved);
        cell.Clear();
        recorder.Clear();
        TBlockList again(1, engine_);
        QVERIFY(again.LoadFromLines(true, saved, 0));
        QCOMPARE(again.Count(), 6);
        QVERIFY(recorder.Boxes().empty());
        again.Clear();

        // Read into another cell, the identifiers move there first.
        TBlockList moved(2, engine_);
        QVERIFY(moved.LoadFromLines(true, text, 2));
        QCOMPARE(BoxTexts(recorder),
                 renumbered({{"131073", 3}, {"131072", 4}, {"196607", 5}, {"131074", 6}}, 2));
        QCOMPARE(moved.Count(), 6);
        QCOMPARE(moved.Get(1)->ID, Id(2, 2));
    }

    void wiresFollowARenumberedSourceWhereItsIdIsOne() {
        // Block 1 twice, a block of cell 2, and the wires that name them.
        TLines text = {"ID=1", "NAME=Haupt", ""};
        for (const TLines& block :
             {TLines{"#BLOCK_START", "GraphBlock", "ID=65537", "5,5,65,45", "TYPE=700",
                     "#DLLDATA_START", "1", "#DLLDATA_END", "#BLOCK_END"},
              TLines{"#BLOCK_START", "GraphBlock", "ID=65537", "5,55,65,95", "TYPE=700",
                     "#DLLDATA_START", "2", "#DLLDATA_END", "#BLOCK_END"},
              TLines{"#BLOCK_START", "GraphBlock", "ID=131075", "5,105,65,145", "TYPE=700",
                     "#DLLDATA_START", "3", "#DLLDATA_END", "#BLOCK_END"},
              TLines{"#BLOCK_START", "GraphBlock", "ID=65540", "105,5,165,45",
                     "IN00=65537,1:65,25,105,25", "IN01=131075,1:65,125,105,35",
                     "IN03=65599,1:65,25,105,25", "TYPE=200", "#BLOCK_END"}})
            text.insert(text.end(), block.begin(), block.end());
        platform::DialogRecorder recorder;
        MoltraneClearPage(engine_, 1);
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true, text, 0));
        // The wires dropped are told in one message.
        QCOMPARE(BoxTexts(recorder),
                 (QStringList{QString::fromUtf8("Ungültige Block-ID: ID=65537! Der Block "
                                                "erhält die Nummer 2 in Zelle 1."),
                              QString::fromUtf8("Ungültige Block-ID: ID=131075! Der Block "
                                                "erhält die Nummer 3 in Zelle 1."),
                              QString::fromUtf8("In Zelle 1 wurden 2 ungültige Verbindungen "
                                                "entfernt:\rBlock 4, Eingang 00\rBlock 4, "
                                                "Eingang 03")}));
        // Block 1 twice: its wire could come from either. The block of cell 2 is the only one
        // of its ID: its wire follows it.
        const TBlock* sum = cell.FindBlock(Id(1, 4));
        QVERIFY(sum->GetInput(0) == nullptr);
        QCOMPARE(sum->GetInput(1)->SourceId, Id(1, 3));
        QVERIFY(sum->GetInput(3) == nullptr);
        QVERIFY(cell.PushToEngine());
        // The engine holds it at input 1.
        QCOMPARE(QByteArray(MoltraneGetBlockInputMenuFlags(engine_, Id(1, 3), Id(1, 4))).left(2),
                 QByteArray(" *"));
        cell.Clear();
    }

    void blocksAreInsertedAndDeleted() {
        MoltraneClearPage(engine_, 1);
        TBlockList cell(1, engine_);
        TBlock* first = cell.InsertGraphBlock(ConstValue, {0, 0, 500, 500});
        QVERIFY(first != nullptr);
        QCOMPARE(first->ID, Id(1, 1));
        QCOMPARE(static_cast<TGraphBlock*>(first)->ParamText, std::string("0"));
        TBlock* second = cell.InsertGraphBlock(ConstValue, {0, 0, 500, 500});
        QVERIFY(!RectsIntersect(first->Rect, second->Rect));
        // The engine refuses blocks of a page it does not have.
        TBlockList stray(9, engine_);
        QVERIFY(stray.InsertGraphBlock(ConstValue, {0, 0, 500, 500}) == nullptr);
        QCOMPARE(stray.Count(), 0);
        TBlock* comment = cell.InsertCommentBlock({0, 0, 500, 500});
        QCOMPARE(comment->ID, Id(1, 3));

        QVERIFY_THROWS_EXCEPTION(EBlockError, cell.DeleteBlock(Id(2, 1)));
        QVERIFY(cell.DeleteBlock(Id(1, 1)));
        QVERIFY(!cell.DeleteBlock(Id(1, 1)));
        QVERIFY(MoltraneGetBlockParam(engine_, Id(1, 1)) == nullptr);
        QVERIFY(MoltraneGetBlockParam(engine_, Id(1, 2)) != nullptr);

        TRect extent;
        TLines text;
        cell.Get(0)->SaveToLines(text);
        QVERIFY(!cell.InsertBlockFromLines(text, extent)); // number in use
        text[1] = "ID=65541";
        QVERIFY(cell.InsertBlockFromLines(text, extent));
        QCOMPARE(extent, cell.Get(2)->GetExtent());
        QVERIFY(MoltraneGetBlockParam(engine_, Id(1, 5)) != nullptr);
        cell.Clear();
        QCOMPARE(cell.Count(), 0);
        QVERIFY(MoltraneGetBlockParam(engine_, Id(1, 5)) == nullptr);
    }

    void copiedCellKeepsItsWiresInside() {
        TBlockList source(1, engine_);
        QVERIFY(source.LoadFromLines(true, SampleCell, 0));
        QVERIFY(source.PushToEngine());
        TBlockList copy(2, engine_);
        QVERIFY(copy.Assign(source));
        QCOMPARE(copy.Count(), 3);
        const TInputLine* wire = copy.Get(1)->GetInput(0);
        QCOMPARE(wire->SourceId, Id(2, 1));
        QCOMPARE(copy.Get(1)->ID, Id(2, 2));
        QVERIFY(copy.Get(1)->GetInput(0) != source.Get(1)->GetInput(0));
        // The engine holds the copy's own connection.
        QCOMPARE(QByteArray(MoltraneGetBlockInputMenuFlags(engine_, Id(2, 1), Id(2, 2))),
                 QByteArray("*"));
        QCOMPARE(QByteArray(MoltraneGetBlockParam(engine_, Id(2, 1))), QByteArray("42"));

        // A cell copied onto itself keeps its blocks.
        QVERIFY(copy.Assign(copy));
        QCOMPARE(copy.Count(), 3);
        QCOMPARE(copy.Get(1)->GetInput(0)->SourceId, Id(2, 1));
        QCOMPARE(QByteArray(MoltraneGetBlockParam(engine_, Id(2, 1))), QByteArray("42"));
    }

    void danglingInputsAreDropped() {
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true, SampleCell, 0));
        QVERIFY(cell.DeleteBlock(Id(1, 1)));
        cell.DropDanglingInputs();
        QCOMPARE(static_cast<TGraphBlock*>(cell.FindBlock(Id(1, 2)))->InputCount, 0);
    }

    void extentsAndMarks() {
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true, SampleCell, 0));
        QCOMPARE(cell.GetBlockExtent(Id(1, 9)), TRect{});
        const TRect wired = cell.GetBlockExtent(Id(1, 2));
        QCOMPARE(wired.Left, 61);
        TRect all = cell.GetCellExtent();
        QCOMPARE(all.Left, 5);
        QCOMPARE(all.Bottom, cell.Get(2)->Rect.Bottom);

        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter canvas(&image);
        cell.MarkBlock(canvas, Id(2, 1)); // another cell
        cell.MarkBlock(canvas, Id(1, 9)); // no such block
        canvas.end();
        QCOMPARE(image.pixel(5, 5), qRgb(255, 255, 255));
        canvas.begin(&image);
        cell.MarkBlock(canvas, Id(1, 1));
        canvas.end();
        const TRect& r = cell.Get(0)->Rect;
        QCOMPARE(image.pixel(r.Left - 3, r.Top - 3), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(r.Right + 3, r.Top - 3), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(r.Left + r.Width() / 2, r.Top + r.Height() / 2), qRgb(255, 0, 0));
    }

    void commentsArePrintedOnTop() {
        TBlockList cell(1, engine_);
        TLines text = {"NAME=x",           "",
                       "#BLOCK_START",     "TextBlock",
                       "ID=65537",         "10,10,20,20",
                       "XXXXXXXXXXXXXXXX", "Font=MS Sans Serif,20,255,1,0,0,0",
                       "#BLOCK_END",       "#BLOCK_START",
                       "GraphBlock",       "ID=65538",
                       "0,0,60,20",        "TYPE=700",
                       "#BLOCK_END"};
        QVERIFY(cell.LoadFromLines(true, text, 0));
        QImage image(300, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter canvas(&image);
            cell.DrawBlocks(canvas, {0, 0, 300, 100});
        }
        const TRect& comment = cell.Get(0)->Rect;
        const TRect& block = cell.Get(1)->Rect;
        int red = 0;
        for (int y = comment.Top; y < std::min(comment.Bottom, block.Bottom); ++y)
            for (int x = comment.Left; x < std::min(comment.Right, block.Right); ++x)
                red += qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) < 80 ? 1 : 0;
        QVERIFY(red > 10);

        // A clip rectangle that misses everything draws nothing.
        QImage blank(300, 100, QImage::Format_RGB32);
        blank.fill(Qt::white);
        {
            QPainter canvas(&blank);
            cell.DrawBlocks(canvas, {200, 80, 300, 100});
            cell.DrawWires(canvas, {200, 80, 300, 100});
        }
        QCOMPARE(blank.pixel(5, 5), qRgb(255, 255, 255));
    }

    void cellsTravelThroughTheClipboard() {
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true, SampleCell, 0));
        TLines saved;
        cell.SaveToLines(true, saved);
        CopyLinesToClipboard(CellClipboardFormat, saved);
        QVERIFY(ClipboardHasLines("Tavrissel plus Cell"));
        QVERIFY(!ClipboardHasLines(BlocksClipboardFormat));
        const QByteArray bytes =
            QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("Tavrissel plus Cell"));
        QCOMPARE(bytes.left(24), QByteArray("ID=1\r\nNAME=Haupt=Zelle\r\n"));
        QVERIFY(bytes.endsWith("#BLOCK_END\r\n\r\n"));
        TLines pasted;
        QVERIFY(PasteLinesFromClipboard(CellClipboardFormat, pasted));
        QCOMPARE(pasted, saved);
        QVERIFY(!PasteLinesFromClipboard(BlocksClipboardFormat, pasted));
        QVERIFY(pasted.empty());
    }

    void groupMovesCarryTheirWires() {
        CellDisplay().CellAlignAtGrid = false;
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true, SampleCell, 0));
        TBlock* source = cell.Get(0);
        TBlock* dest = cell.Get(1);
        TInputLine* wire = dest->GetInput(0);
        wire->Current = 0;
        wire->InsertBend(85, 25);
        QCOMPARE(wire->PointCount, 3);

        // Only the source moves: the start follows, the bend stays.
        source->MoveBy({0, 40});
        std::vector<TBlock*> selection{source};
        QVERIFY(dest->MoveInGroup(cell, selection, {0, 40}));
        QCOMPARE(wire->Points[0], ConnectionPoint(source->Rect, wire->Points[1]));
        QCOMPARE(wire->Points[1], QPoint(85, 25));

        // Both move: the bend moves with them.
        selection.push_back(dest);
        source->MoveBy({0, 10});
        dest->MoveBy({0, 10});
        QVERIFY(dest->MoveInGroup(cell, selection, {0, 10}));
        QCOMPARE(wire->Points[1], QPoint(85, 35));
        QCOMPARE(wire->Points[2], ConnectionPoint(dest->Rect, wire->Points[1]));

        // Neither moves: nothing to do.
        QVERIFY(!dest->MoveInGroup(cell, {}, {0, 0}));

        source->Rect.Offset(0, 100);
        QVERIFY(dest->RerouteWireStarts({source}));
        QVERIFY(!dest->RerouteWireStarts({dest}));

        int index = 0;
        TInputLine* hit = nullptr;
        QVERIFY(dest->InputHitTest(wire->Points[1], index, hit));
        QCOMPARE(index, 0);
        QCOMPARE(hit, wire);
        QVERIFY(!dest->InputHitTest({1000, 1000}, index, hit));
        QCOMPARE(index, -1);
        QVERIFY(hit == nullptr);
        QVERIFY(!cell.Get(2)->InputHitTest(wire->Points[1], index, hit));
    }

    void blocksAreReplacedInPlace() {
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true, SampleCell, 0));
        auto replacement = std::make_unique<TTextBlock>(Id(1, 7), nullptr);
        TBlock* raw = replacement.get();
        QVERIFY(cell.ReplaceBlock(cell.Get(1), std::move(replacement)));
        QCOMPARE(cell.Get(1), raw);
        TTextBlock stranger(Id(1, 8), nullptr);
        QVERIFY(!cell.ReplaceBlock(&stranger, std::make_unique<TTextBlock>(Id(1, 9), nullptr)));
        QCOMPARE(cell.Count(), 3);
    }

    void cellBitmapStaysInsideTheDrawingArea() {
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true, SampleCell, 0));
        QImage picture = cell.CreateCellBitmap();
        QCOMPARE(picture.width(), 600);
        QCOMPARE(picture.height(), cell.GetCellExtent().Bottom + 30);
        // The wire runs 30 pixels below its cell position, under the title.
        const TInputLine* wire = cell.Get(1)->GetInput(0);
        const QPoint p = wire->Points[0] + QPoint(8, 30);
        QCOMPARE(picture.pixel(p), QColor(Qt::blue).rgb());
        int title = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 200; ++x)
                title += picture.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
        QVERIFY(title > 50);

        AddPlain(cell, 50, {100000, 100000, 100060, 100020});
        picture = cell.CreateCellBitmap();
        QCOMPARE(picture.width(), 2000);
        QCOMPARE(picture.height(), 2030);
    }

    void printedTitleIsCutAsTheWindowTitles() {
        TBlockList cell(1, engine_);
        cell.Name = std::string(300, 'x');
        AddPlain(cell, 1, {1940, 0, 2000, 20});
        const QImage picture = cell.CreateCellBitmap();
        QCOMPARE(picture.width(), 2000);
        int far = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 1500; x < 2000; ++x)
                far += picture.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
        QCOMPARE(far, 0);
    }
};

QTEST_MAIN(TestBlockList)
#include "tst_blocklist.moc"
