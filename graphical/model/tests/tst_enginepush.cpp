// A cell pushed into the block engine: the same code as the engine calls made by hand, and
// wires from a file checked before the engine sees them.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "engine/include/quendal32.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/blocklist.h"
#include "graphical/model/graphblock.h"
#include "platform/qt/dialogs.h"

namespace {

constexpr int32_t B1 = 65537, B2 = 65538, B3 = 65539;

TLines Block(const std::string& alias, int32_t id, const TLines& body) {
    TLines lines = {"#BLOCK_START", alias, "ID=" + std::to_string(id), "0,0,60,20"};
    lines.insert(lines.end(), body.begin(), body.end());
    lines.push_back("#BLOCK_END");
    return lines;
}

TLines Cell(std::initializer_list<TLines> blocks) {
    TLines lines = {"ID=1", "NAME=Haupt", ""};
    for (const TLines& block : blocks)
        lines.insert(lines.end(), block.begin(), block.end());
    return lines;
}

TLines Param(int type, const std::string& text) {
    return {"TYPE=" + std::to_string(type), "#DLLDATA_START", text, "#DLLDATA_END"};
}

QStringList BoxTexts(const platform::DialogRecorder& recorder) {
    QStringList texts;
    for (const auto& box : recorder.Boxes())
        texts << box.text;
    return texts;
}

// Compiles the engine's pages and returns the code file it writes.
QByteArray Compile(EngineHandle engine) {
    if (MoltraneCompilerInit(engine) != 1 || MoltraneCompile(engine) != 0 ||
        MoltraneCompilerDone(engine) != 1)
        return QByteArray("failed: ") + MoltraneGetErrorMessage(engine);
    QFile file("CODE.TXT");
    if (!file.open(QIODevice::ReadOnly))
        return "no CODE.TXT";
    return file.readAll();
}

} // namespace

class TestEnginePush : public QObject {
    Q_OBJECT

    QTemporaryDir workDir_;
    EngineHandle engine_ = nullptr;

private slots:
    void initTestCase() {
        QVERIFY(LoadBlockCatalogue());
        QVERIFY(QDir::setCurrent(workDir_.path()));
    }
    void cleanupTestCase() { FreeBlockCatalogue(); }
    void init() {
        engine_ = MoltraneCreate();
        QCOMPARE(MoltraneAddPage(engine_, 1, 0), 1);
    }
    void cleanup() { MoltraneDestroy(engine_); }

    void pushedCellCompilesLikeTheCallsByHand() {
        // Constant 5 into D/A port 1, with a comment beside them.
        const TLines text =
            Cell({Block("GraphBlock", B1, Param(700, "5")),
                  Block("GraphBlock", B2, {"IN00=65537,1:60,10,100,10", "TYPE=104"}),
                  Block("TextBlock", B3, {"Notiz", "Font=MS Sans Serif,8,0,0,0,0,0"})});
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true, text, 0));
        QVERIFY(cell.PushToEngine());
        const QByteArray pushed = Compile(engine_);
        QVERIFY2(!pushed.startsWith("failed") && !pushed.isEmpty(), pushed.constData());

        EngineHandle byHand = MoltraneCreate();
        MoltraneAddPage(byHand, 1, 0);
        MoltraneSetPageName(byHand, 1, "Haupt");
        QCOMPARE(MoltraneAddBlock(byHand, 700, B1), 1);
        QCOMPARE(MoltraneAddBlock(byHand, 104, B2), 1);
        QCOMPARE(MoltraneConnectBlocks(byHand, B1, B2, 0), 1);
        QVERIFY(MoltraneSetBlockParam(byHand, B1, "5"));
        const QByteArray expected = Compile(byHand);
        QVERIFY(MoltraneSetBlockParam(byHand, B1, "6"));
        const QByteArray other = Compile(byHand);
        MoltraneDestroy(byHand);
        QCOMPARE(pushed, expected);
        QVERIFY(other != expected);

        // A second push replaces the page's blocks instead of adding to them.
        QVERIFY(cell.PushToEngine());
        QCOMPARE(Compile(engine_), expected);
        QCOMPARE(MoltraneGetCodeLength(engine_), expected.count(' '));
    }

    void wiresThatCannotExistAreDropped() {
        platform::DialogRecorder recorder;
        const TLines text = Cell(
            {Block("GraphBlock", B1, Param(700, "5")), Block("GraphBlock", B2, Param(702, "T")),
             Block("TextBlock", B3, {"Notiz", "Font=MS Sans Serif,8,0,0,0,0,0"}),
             Block("GraphBlock", 65540,
                   {// no such input on a D/A port
                    "IN05=65537,1:0,0,9,9", "TYPE=104"}),
             Block("GraphBlock", 65541,
                   {// a block of another cell
                    "IN00=131073,1:0,0,9,9", "TYPE=104"}),
             Block("GraphBlock", 65542,
                   {// a text into a number input
                    "IN00=65538,2:0,0,9,9", "TYPE=104"}),
             Block("GraphBlock", 65543,
                   {// a comment has no output; nor has a missing block
                    "IN00=65539,1:0,0,9,9", "IN01=65599,1:0,0,9,9", "TYPE=200"}),
             Block("GraphBlock", 65544, {"IN00=65537,1:0,0,9,9", "TYPE=104"})});
        TBlockList cell(1, engine_);
        // The wire from the missing block goes when the cell is read.
        QVERIFY(cell.LoadFromLines(true, text, 0));
        QVERIFY(!cell.PushToEngine());
        const QStringList boxes = BoxTexts(recorder);
        // One message for the read, one listing the wires the push dropped.
        QCOMPARE(boxes.size(), 2);
        QVERIFY(boxes[0].contains("Block 7 ") && boxes[0].contains("Eingang 01"));
        for (const char* wire : {"Block 4, Eingang 05", "Block 5, Eingang 00",
                                 "Block 6, Eingang 00", "Block 7, Eingang 00"})
            QVERIFY(boxes[1].contains(wire));
        for (int32_t dest : {65540, 65541, 65542})
            QCOMPARE(static_cast<TGraphBlock*>(cell.FindBlock(dest))->InputCount, 0);
        // The engine saw none of them, only the sound wire.
        QCOMPARE(QByteArray(MoltraneGetBlockInputMenuFlags(engine_, B1, 65540)), QByteArray(" "));
        QCOMPARE(QByteArray(MoltraneGetBlockInputMenuFlags(engine_, B1, 65541)), QByteArray(" "));
        QCOMPARE(QByteArray(MoltraneGetBlockInputMenuFlags(engine_, B1, 65544)), QByteArray("*"));
        TLines saved;
        cell.SaveToLines(true, saved);
        QCOMPARE(std::count_if(saved.begin(), saved.end(),
                               [](const std::string& line) { return line.rfind("IN", 0) == 0; }),
                 1);

        // Pushed again, the cleaned cell is sound.
        recorder.Clear();
        QVERIFY(cell.PushToEngine());
        QVERIFY(recorder.Boxes().empty());
    }

    void inputsTheBlockCannotHaveAreReportedOnReading() {
        platform::DialogRecorder recorder;
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true,
                                   Cell({Block("GraphBlock", B1, Param(700, "5")),
                                         Block("GraphBlock", B2,
                                               {"IN16=65537,1:0,0,9,9", "IN99=65537,1:0,0,9,9",
                                                "IN-1=65537,1:0,0,9,9", "TYPE=200"})}),
                                   0));
        const QStringList boxes = BoxTexts(recorder);
        QCOMPARE(boxes.size(), 1);
        for (const char* wire :
             {"Block 2, Eingang 16", "Block 2, Eingang 99", "Block 2, Eingang -1"})
            QVERIFY(boxes[0].contains(wire));
        QCOMPARE(static_cast<TGraphBlock*>(cell.FindBlock(B2))->InputCount, 0);
        QVERIFY(cell.PushToEngine());
        QCOMPARE(QByteArray(MoltraneGetBlockInputMenuFlags(engine_, B1, B2)).left(2),
                 QByteArray("  "));
    }

    void connectionOfAnotherKindIsReported() {
        platform::DialogRecorder recorder;
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(
            true,
            Cell({Block("GraphBlock", B1, Param(700, "5")),
                  Block("GraphBlock", B2, {"IN00=65537,2:0,0,9,9", "TYPE=104"})}),
            0));
        QVERIFY(!cell.PushToEngine());
        QCOMPARE(BoxTexts(recorder), QStringList{"Fehler bei MoltraneConnectBlocks!"});
    }

    void anyFailingBlockFailsThePush() {
        // Port line 99 does not exist.
        QVERIFY(MoltraneAddBlock(engine_, 100, 65600) == 1);
        QVERIFY(!MoltraneSetBlockParam(engine_, 65600, "99"));
        MoltraneClearPage(engine_, 1);
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(true,
                                   Cell({Block("GraphBlock", B1, Param(100, "99")),
                                         Block("GraphBlock", B2, Param(700, "3"))}),
                                   0));
        QVERIFY(!cell.PushToEngine());
        QCOMPARE(QByteArray(MoltraneGetBlockParam(engine_, B2)), QByteArray("3"));

        // A block the engine cannot add (page missing) fails the push as well.
        TBlockList stray(5, engine_);
        QVERIFY(stray.LoadFromLines(false, {Block("GraphBlock", 5 * 65536 + 1, {"TYPE=700"})}, 0));
        QVERIFY(!stray.PushToEngine());
    }

    void parameterTextsReachTheEngineUnchanged() {
        TBlockList cell(1, engine_);
        QVERIFY(cell.LoadFromLines(
            true,
            Cell({Block("GraphBlock", B1, {"TYPE=702"}), Block("GraphBlock", B2, {"TYPE=107"})}),
            0));
        auto* text = static_cast<TGraphBlock*>(cell.Get(0));
        auto* lcd = static_cast<TGraphBlock*>(cell.Get(1));
        text->ParamText.clear();
        text->HasParam = true;
        lcd->ParamText = "Oben\nUnten";
        lcd->HasParam = true;

        TLines saved;
        cell.SaveToLines(true, saved);
        TBlockList reloaded(1, engine_);
        QVERIFY(reloaded.LoadFromLines(true, SplitLines(JoinLines(saved)), 0));
        QVERIFY(reloaded.PushToEngine());
        QCOMPARE(QByteArray(MoltraneGetBlockParam(engine_, B1)), QByteArray(""));
        QCOMPARE(QByteArray(MoltraneGetBlockParam(engine_, B2)), QByteArray("Oben\nUnten"));
    }

    void indexLabelsComeFromTheEngine() {
        TBlockList cell(1, engine_);
        TBlock* port = cell.InsertGraphBlock(100, {0, 0, 500, 500});
        QVERIFY(port != nullptr);
        auto* block = static_cast<TGraphBlock*>(port);
        QCOMPARE(block->IndexLabel, std::string("1"));
        QVERIFY(block->SetData(0, "12"));
        QCOMPARE(block->IndexLabel, std::string("12"));
        bool changed = true;
        block->UpdateIndexLabel(changed);
        QVERIFY(!changed);
        QVERIFY(block->CanBeWireSource());
        QVERIFY(block->HasMapCode());
        QVERIFY(block->CanEditData(0));
        QVERIFY(block->CanEditData(1));
    }

    void inputsAreConnectedThroughTheEngine() {
        TBlockList cell(1, engine_);
        TBlock* source = cell.InsertGraphBlock(700, {0, 0, 500, 500});
        TBlock* adder = cell.InsertGraphBlock(200, {0, 0, 500, 500});
        QVERIFY(adder->CanConnectFrom(*source));
        QVERIFY(!adder->CanConnectFrom(*adder));

        auto wire = std::make_unique<TInputLine>();
        wire->SourceId = source->ID;
        wire->AddPoint({0, 0});
        wire->AddPoint({10, 0});
        int index = -1;
        QVERIFY(adder->ConnectInput(0, index, std::move(wire)));
        QCOMPARE(index, 0);
        QCOMPARE(int(adder->GetInput(0)->InputLetter), -1);
        QCOMPARE(int(adder->GetInput(0)->Kind), 1);

        wire = std::make_unique<TInputLine>();
        wire->SourceId = source->ID;
        index = 3;
        QVERIFY(adder->ConnectInput(0, index, std::move(wire)));
        QCOMPARE(int(adder->GetInput(3)->InputLetter), 3);
        QCOMPARE(static_cast<TGraphBlock*>(adder)->InputCount, 2);

        index = 3;
        QVERIFY(adder->ConnectInput(2, index, nullptr));
        QVERIFY(adder->GetInput(3) == nullptr);
        QCOMPARE(QByteArray(MoltraneGetBlockInputMenuFlags(engine_, source->ID, adder->ID)).left(4),
                 QByteArray("*   "));
        index = 1;
        QVERIFY(!adder->ConnectInput(7, index, std::make_unique<TInputLine>()));
        QVERIFY(adder->GetInput(1) != nullptr);
    }

    void refusedConnectionKeepsTheInput() {
        TBlockList cell(1, engine_);
        TBlock* source = cell.InsertGraphBlock(700, {0, 0, 500, 500});
        TBlock* port = cell.InsertGraphBlock(104, {0, 0, 500, 500});
        TBlock* adder = cell.InsertGraphBlock(200, {0, 0, 500, 500});
        auto wireFrom = [](const TBlock* from) {
            auto wire = std::make_unique<TInputLine>();
            wire->SourceId = from->ID;
            wire->AddPoint({0, 0});
            wire->AddPoint({10, 0});
            return wire;
        };
        int index = 0;
        QVERIFY(adder->ConnectInput(0, index, wireFrom(source)));
        const TInputLine* kept = adder->GetInput(0);

        // A D/A port has no output: the engine refuses both forms of the request.
        for (int asked : {-1, 0}) {
            index = asked;
            QVERIFY(!adder->ConnectInput(0, index, wireFrom(port)));
            QCOMPARE(adder->GetInput(0), kept);
            QCOMPARE(adder->GetInput(0)->SourceId, source->ID);
            QCOMPARE(static_cast<TGraphBlock*>(adder)->InputCount, 1);
        }
    }
};

QTEST_MAIN(TestEnginePush)
#include "tst_enginepush.moc"
