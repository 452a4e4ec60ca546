// The project file read and written by the model: byte-identical round trips, the engine pages
// built in step with the cells, every load error with its message, the desktop part, and
// printing of cell pictures.
#include <QtTest>

#include <QDir>
#include <QPrinter>
#include <QTemporaryDir>

#include "framework/desktop.h"
#include "framework/utils.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/graphblock.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/model/simulatoriostate.h"
#include "graphical/tests/projectfixture.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"

using namespace fixture;

namespace {

const std::string Header = "MIRELT Tavrissel plus - project file";

TLines FirstCell() {
    TLines cell = Cell(5,
                       "Anfang Gr\xF6\xDF"
                       "e",
                       {GraphBlock({Id(5, 1), 700, {"42"}, {}, 10, 10}),
                        GraphBlock({Id(5, 2), 104, {"1"}, {Id(5, 1)}, 110, 10}),
                        CommentBlock(Id(5, 3), "Ausgabe auf D/A", 10, 100)});
    // A comment block's width follows its text in the font at hand: take the program's own.
    EngineHandle engine = MoltraneCreate();
    MoltraneAddPage(engine, 5, 0);
    {
        TBlockList measured(5, engine);
        if (measured.LoadFromLines(true, cell, 0) && measured.Count() == 3) {
            const TRect& r = measured.Get(2)->Rect;
            *std::find(cell.begin(), cell.end(), "10,100,66,113") =
                std::to_string(r.Left) + "," + std::to_string(r.Top) + "," +
                std::to_string(r.Right) + "," + std::to_string(r.Bottom);
        }
    }
    MoltraneDestroy(engine);
    return cell;
}

TLines SecondCell(int number = 2) {
    return Cell(number, "Ende",
                {GraphBlock({Id(number, 1), 602, {"3"}, {}, 10, 10}),
                 GraphBlock({Id(number, 2), 104, {"2"}, {Id(number, 1)}, 110, 10}),
                 GraphBlock({Id(number, 4),
                             1000,
                             {"Anfang Gr\xF6\xDF"
                              "e"},
                             {},
                             210,
                             10})});
}

// A project with a comment, an internal and an external table and two cells out of number
// order, in the program's own form.
TLines SampleProject() {
    TLines lines = {Header,
                    "Version=1.0",
                    "3",
                    "",
                    "#COMMENT_START",
                    "Z\xE4hler f\xFCr die T\xFCr",
                    "\x1B#COMMENT_END steht hier im Text",
                    "#COMMENT_START im Text",
                    "#COMMENT_END",
                    "",
                    "#TABLE_START",
                    "Name=Kennlinie \xC4",
                    "0;0",
                    "\x1B#TABLE_END",
                    "#TABLE_END",
                    "",
                    "#TABLE_START",
                    "Name=Extern",
                    "Extern=ext.tab",
                    "#TABLE_END",
                    ""};
    for (const TLines& cell : {FirstCell(), SecondCell()})
        AppendCell(lines, cell);
    return lines;
}

// An edit that undoes itself without a trace.
class DoneAction : public TUndoAction {
public:
    bool UndoAction(TModel*, bool) override { return true; }
};

QByteArray Compile(EngineHandle engine) {
    if (MoltraneCompilerInit(engine) != 1 || MoltraneCompile(engine) != 0 ||
        MoltraneCompilerDone(engine) != 1)
        return QByteArray("failed: ") + MoltraneGetErrorMessage(engine);
    return ReadFile("CODE.TXT");
}

// The cells pushed by hand into an engine of their own, their pages in the given order.
struct ReferenceEngine {
    EngineHandle engine = MoltraneCreate();
    std::vector<std::unique_ptr<TBlockList>> cells;
    bool pushed = true;

    explicit ReferenceEngine(const std::vector<TLines>& texts) {
        int previous = 0;
        for (const TLines& lines : texts) {
            const int number = std::stoi(lines[0].substr(3));
            cells.push_back(std::make_unique<TBlockList>(uint16_t(number), engine));
            pushed = pushed && MoltraneAddPage(engine, number, previous) == 1 &&
                     cells.back()->LoadFromLines(true, lines, 0) && cells.back()->PushToEngine();
            previous = number;
        }
    }
    ~ReferenceEngine() {
        cells.clear();
        MoltraneDestroy(engine);
    }
    ReferenceEngine(const ReferenceEngine&) = delete;
    ReferenceEngine& operator=(const ReferenceEngine&) = delete;
};

// A project of these cells, with no comment and no table.
TLines ProjectOf(const std::vector<TLines>& cells) {
    TLines project = {Header, "Version=1.0", "1", ""};
    for (const TLines& cell : cells)
        AppendCell(project, cell);
    return project;
}

// The sample project "Addierer" as bytes, for damaging.
QByteArray Addierer() {
    return ReadFile(QStringLiteral(TAVRISSEL_SOURCE_DIR "/examples/quendal/Addierer.mtp"));
}

// True when every wire of the project comes from a block of its cell.
bool EveryWireHasItsSource(const TQuendalModel& model) {
    for (const auto& cell : model.Cells) {
        for (int b = 0; b < cell->Count(); ++b) {
            for (int i = 0; i < MaxInputs; ++i) {
                const TInputLine* wire = cell->Get(b)->GetInput(i);
                if (wire && !cell->FindBlock(wire->SourceId))
                    return false;
            }
        }
    }
    return true;
}

} // namespace

class TestProjectFile : public QObject {
    Q_OBJECT

    QTemporaryDir workDir_;

    QString Path(const QString& name) const { return workDir_.filePath(name); }

    // Loads a project text; the boxes shown go to the recorder.
    bool Load(TQuendalModel& model, const TLines& lines, const QString& name = "p.mtp") {
        return Load(model, Join(lines), name);
    }
    bool Load(TQuendalModel& model, const QByteArray& text, const QString& name) {
        return WriteFile(Path(name), text) && model.LoadFromFile(Path(name));
    }

private slots:
    void initTestCase() {
        QVERIFY(LoadBlockCatalogue());
        QVERIFY(QDir::setCurrent(workDir_.path()));
        QVERIFY(WriteFile("ext.tab", "0;1\r\n"));
    }
    void cleanupTestCase() { FreeBlockCatalogue(); }

    void newModelIsEmptyAndUnchanged() {
        TQuendalModel model;
        QVERIFY(model.Engine != nullptr);
        QCOMPARE(model.SimState, ssChanged);
        QCOMPARE(model.TableNameCounter, uint16_t(1));
        QVERIFY(model.InitNew());
        QCOMPARE(model.Comment, (TLines{"Beschreiben Sie hier den Zweck",
                                        "und die Besonderheiten Ihres Programms..."}));
        QCOMPARE(model.GetDisplayName(), QStringLiteral("Unbenannte Programmdatei"));
        QVERIFY(!model.CanCompile());
        QVERIFY(model.GetCell(0) == nullptr && model.GetTable(-1) == nullptr);
        QCOMPARE(model.GetTerminalLine(3), std::string());
    }

    void loadAndSaveBackByteIdentical() {
        platform::DialogRecorder recorder;
        const TLines project = SampleProject();
        TQuendalModel model;
        QVERIFY(Load(model, project));
        QCOMPARE(MessageBoxTexts(recorder), QStringList());

        // What was read.
        QCOMPARE(model.TableNameCounter, uint16_t(3));
        QCOMPARE(model.Comment,
                 (TLines{"Z\xE4hler f\xFCr die T\xFCr", "#COMMENT_END steht hier im Text",
                         "#COMMENT_START im Text"}));
        QCOMPARE(model.TableCount(), 2);
        QCOMPARE(model.FindTable(1)->Name, std::string("Kennlinie \xC4"));
        QCOMPARE(*model.FindTable(1)->Lines, (TLines{"0;0", "#TABLE_END"}));
        QVERIFY(!model.FindTable(2)->IsInternal);
        QCOMPARE(model.FindTable(2)->Number, uint16_t(2));
        QVERIFY(model.FindTable(3) == nullptr && model.IndexOfTable(0) == -1);
        QCOMPARE(model.CellCount(), 2);
        QCOMPARE(model.GetCell(0)->CellNumber, uint16_t(5));
        QCOMPARE(model.GetCell(1)->CellNumber, uint16_t(2));
        QCOMPARE(model.FindCell(5)->Name, std::string("Anfang Gr\xF6\xDF"
                                                      "e"));
        QCOMPARE(model.IndexOfCell(2), 1);
        QCOMPARE(model.FindBlock(Id(2, 4)), model.GetCell(1)->Get(2));
        QVERIFY(model.FindBlock(Id(3, 1)) == nullptr && model.FindBlock(Id(2, 3)) == nullptr);
        QVERIFY(model.CanCompile());

        // Saved through the base (temporary file, then rename): the same bytes.
        QVERIFY(model.Save());
        QVERIFY(!model.Modified());
        QCOMPARE(ReadFile(Path("p.mtp")), Join(project));
        QCOMPARE(
            QDir(workDir_.path()).entryList(QStringList{".p.mtp*"}, QDir::Hidden | QDir::Files),
            QStringList());
    }

    void emptyCommentWritesNoSection() {
        platform::DialogRecorder recorder;
        TLines project = SampleProject();
        project.erase(project.begin() + 4, project.begin() + 10);
        TQuendalModel model;
        QVERIFY(Load(model, project));
        QVERIFY(model.Comment.empty());
        QCOMPARE(model.TableCount(), 2);
        QCOMPARE(model.CellCount(), 2);
        QVERIFY(model.Save());
        QCOMPARE(ReadFile(Path("p.mtp")), Join(project));
    }

    void engineHoldsTheFilesPagesInOrder() {
        platform::DialogRecorder recorder;
        TQuendalModel model;
        QVERIFY(Load(model, SampleProject()));
        const QByteArray loaded = Compile(model.Engine);
        QVERIFY2(!loaded.startsWith("failed"), loaded.constData());

        // The same cells pushed by hand, in file order, give the same code.
        ReferenceEngine reference({FirstCell(), SecondCell()});
        QVERIFY(reference.pushed);
        QCOMPARE(Compile(reference.engine), loaded);

        // Pages in the other order give other code, so the comparison means something.
        MoltraneMovePage(reference.engine, 5, 2);
        QVERIFY(Compile(reference.engine) != loaded);
        QCOMPARE(MessageBoxTexts(recorder), QStringList());
    }

    void loadErrors_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("clearsName");

        const QByteArray version =
            "MIRELT Tavrissel plus - project file\r\nVersion=1.0\r\n1\r\n\r\n";
        const QString file = Path("Pr\u00FCfung.mtp");
        QTest::newRow("signature case")
            << QByteArray("MIRELT TAVRISSEL plus - project file\r\n")
            << QString("%1 ist keine g\u00FCltige Projektdatei!").arg(file) << true;
        QTest::newRow("signature trailing blank")
            << QByteArray("MIRELT Tavrissel plus - project file \r\nVersion=1.0\r\n")
            << QString("%1 ist keine g\u00FCltige Projektdatei!").arg(file) << true;
        QTest::newRow("empty file")
            << QByteArray() << QString("%1 ist keine g\u00FCltige Projektdatei!").arg(file) << true;
        for (const char* bad : {"Version=1.1", "Version=2.0", "Version=1", "", "Version=1.x"}) {
            QTest::newRow(bad) << QByteArray("MIRELT Tavrissel plus - project file\r\n") + bad +
                                      "\r\n1\r\n"
                               << QString("%1 hat eine falsche Versionsnummer!").arg(file) << false;
        }
        QTest::newRow("no version line")
            << QByteArray("MIRELT Tavrissel plus - project file")
            << QString("%1 hat eine falsche Versionsnummer!").arg(file) << false;
        QTest::newRow("unknown section")
            << version + "#CELL_START \r\nID=1\r\n#CELL_END\r\n\r\n"
            << QString("Falscher Zellenbeginn in %1:\r#CELL_START ").arg(file) << false;
        QTest::newRow("no ID line") << version + "#CELL_START\r\nNAME=x\r\n#CELL_END\r\n"
                                    << QString("Falsche Zellen-ID in %1!").arg(file) << false;
        QTest::newRow("ID not a number") << version + "#CELL_START\r\nID=zwei\r\n#CELL_END\r\n"
                                         << QString("Falsche Zellen-ID in %1!").arg(file) << false;
        QTest::newRow("ID out of range") << version + "#CELL_START\r\nID=65535\r\n#CELL_END\r\n"
                                         << QString("Falsche Zellen-ID in %1!").arg(file) << false;
        QTest::newRow("ID lower case") << version + "#CELL_START\r\nid=2\r\n#CELL_END\r\n"
                                       << QString("Falsche Zellen-ID in %1!").arg(file) << false;
    }

    void loadErrors() {
        QFETCH(QByteArray, text);
        QFETCH(QString, message);
        QFETCH(bool, clearsName);
        platform::DialogRecorder recorder;
        const QString path = Path("Pr\u00FCfung.mtp");
        QVERIFY(WriteFile(path, text));
        TQuendalModel model;
        QVERIFY(!model.LoadFromFile(path));
        QCOMPARE(MessageBoxTexts(recorder), QStringList{message});
        QCOMPARE(recorder.Beeps().size(), size_t(1));
        QCOMPARE(model.FileName().isEmpty(), clearsName);
    }

    void missingFileIsReported() {
        platform::DialogRecorder recorder;
        TQuendalModel model;
        const QString path = Path("fehlt.mtp");
        QVERIFY(!model.LoadFromFile(path));
        QCOMPARE(MessageBoxTexts(recorder),
                 QStringList{QString("Datei %1 nicht gefunden").arg(path)});
        QVERIFY(!QFile::exists(path));
    }

    void lenientForms_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("counter");
        QTest::addColumn<int>("cells");
        QTest::addColumn<int>("tables");
        const QByteArray head = "MIRELT Tavrissel plus - project file\r\n";
        QTest::newRow("ends after counter") << head + "Version=1.0\r\n7\r\n" << 7 << 0 << 0;
        QTest::newRow("no counter line")
            << head + "Version=1.0\r\n\r\n#CELL_START\r\nID=3\r\nNAME=a"
                      "\r\n#CELL_END\r\n"
            << 1 << 1 << 0;
        QTest::newRow("version without key") << head + "1.0\r\n2\r\n" << 2 << 0 << 0;
        QTest::newRow("LF line ends") << head + "Version=1.0\n4\n\n#TABLE_START\nName=T\n1;2\n"
                                                "#TABLE_END\n"
                                      << 4 << 0 << 1;
        QTest::newRow("empty sections create nothing")
            << head + "Version=1.0\r\n1\r\n#TABLE_START\r\n#TABLE_END\r\n#CELL_START\r\nID=4\r\n"
                      "#CELL_END\r\n#TABLE_START\r\nName=T\r\n#TABLE_END\r\n"
            << 1 << 0 << 1;
        QTest::newRow("trailing end-of-file mark")
            << head + "Version=1.0\r\n1\r\n#TABLE_START\r\nName=T\r\n#TABLE_END\r\n\x1A" << 1 << 0
            << 1;
    }

    void lenientForms() {
        QFETCH(QByteArray, text);
        QFETCH(int, counter);
        QFETCH(int, cells);
        QFETCH(int, tables);
        platform::DialogRecorder recorder;
        QVERIFY(WriteFile(Path("l.mtp"), text));
        TQuendalModel model;
        QVERIFY(model.LoadFromFile(Path("l.mtp")));
        QCOMPARE(MessageBoxTexts(recorder), QStringList());
        QCOMPARE(int(model.TableNameCounter), counter);
        QCOMPARE(model.CellCount(), cells);
        QCOMPARE(model.TableCount(), tables);
        for (int i = 0; i < tables; ++i)
            QCOMPARE(int(model.GetTable(i)->Number), i + 1);
    }

    void failingCellIsReportedAndListed() {
        platform::DialogRecorder recorder;
        TLines project = {Header, "Version=1.0", "1", ""};
        // A block of an unknown type, then a cell that loads.
        AppendCell(project, Cell(7, "Kaputt", {GraphBlock({Id(7, 1), 4242, {}, {}, 10, 10})}));
        AppendCell(project, SecondCell());
        TQuendalModel model;
        QVERIFY(Load(model, project));
        const QStringList boxes = MessageBoxTexts(recorder);
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes.last(), QStringLiteral("Fehler beim Lesen der Programmzelle 7!"));
        QCOMPARE(model.CellCount(), 2);
        QCOMPARE(model.GetCell(0)->CellNumber, uint16_t(7));
        QCOMPARE(model.GetCell(1)->Count(), 3);
    }

    void parameterTheEngineRefusesOpensWithTheCellsMessage() {
        // Byte port 6 of two: the block keeps its text and the file is saved as read.
        platform::DialogRecorder recorder;
        const TLines project =
            ProjectOf({Cell(1, "Port", {GraphBlock({Id(1, 1), 101, {"6"}, {}, 10, 10})})});
        TQuendalModel model;
        QVERIFY(Load(model, project));
        QCOMPARE(MessageBoxTexts(recorder),
                 QStringList{QStringLiteral("Fehler beim Lesen der Programmzelle 1!")});
        QCOMPARE(model.GetCell(0)->Count(), 1);
        QVERIFY(model.Save());
        QCOMPARE(ReadFile(Path("p.mtp")).count("\r\n6\r\n"), 1);
    }

    void damagedCellKeepsWhatItHolds() {
        const QByteArray sample = Addierer();
        const QByteArray sumType = "TYPE=200\r\n";
        QVERIFY(sample.count(sumType) == 1);

        // A type the catalogue lacks: the block stays, out of the engine, and is saved back.
        {
            platform::DialogRecorder recorder;
            QByteArray damaged = sample;
            damaged.replace(sumType, "TYPE=9999\r\n");
            TQuendalModel model;
            QVERIFY(Load(model, damaged, "typ.mtp"));
            QCOMPARE(MessageBoxTexts(recorder),
                     (QStringList{QStringLiteral("Unbekannter Blocktyp 9999!"),
                                  QStringLiteral("Fehler beim Lesen der Programmzelle 1!")}));
            QCOMPARE(model.GetCell(0)->Count(), 6);
            QVERIFY(EveryWireHasItsSource(model));
            // The failed cell reached the engine with its name: the compile names the real
            // fault, not the jump to "Addieren".
            const QByteArray compiled = Compile(model.Engine);
            QVERIFY2(!compiled.contains("nicht definiert"), compiled.constData());
            QVERIFY(model.Save());
            // The block and the wires from it as they were read.
            const qsizetype at = damaged.indexOf("ID=65539");
            const QByteArray block = damaged.mid(at, damaged.indexOf("#BLOCK_END", at) - at);
            const QByteArray saved = ReadFile(Path("typ.mtp"));
            QVERIFY(saved.contains(block));
            QCOMPARE(saved.count("IN00=65539,1:"), 2);
            // Undoing the cell's delete brings the block back without telling of it again.
            model.DeleteCellWithUndo(1);
            model.Undo();
            QCOMPARE(model.GetCell(0)->Count(), 6);
            QCOMPARE(MessageBoxTexts(recorder).size(), 2);
        }

        // A wire of 30 points is cut to 21; the block keeps its type.
        {
            platform::DialogRecorder recorder;
            QByteArray damaged = sample;
            QByteArray points = "IN00=65537,1:80,40,";
            for (int i = 0; i < 28; ++i)
                points += QByteArray::number(90 + i) + ",40,";
            damaged.replace("IN00=65537,1:80,40,", points);
            TQuendalModel model;
            QVERIFY(Load(model, damaged, "draht.mtp"));
            QCOMPARE(MessageBoxTexts(recorder),
                     QStringList{QString::fromUtf8("Block 3 in Zelle 1: Verbindung an Eingang 00 "
                                                   "auf 21 Punkte gekürzt!")});
            const auto* sum = static_cast<const TGraphBlock*>(model.FindBlock(Id(1, 3)));
            QVERIFY(sum != nullptr);
            QCOMPARE(sum->TypeId, 200);
            QCOMPARE(sum->GetInput(0)->PointCount, 21);
            QCOMPARE(sum->GetInput(0)->GetPoint(20), QPoint(140, 70));
        }

        // A block out of the cell's range is kept with the wire from it.
        {
            platform::DialogRecorder recorder;
            QByteArray damaged = sample;
            damaged.replace("20,20,80,60\r\nTYPE=103", "20,20,80,9999999\r\nTYPE=103");
            TQuendalModel model;
            QVERIFY(Load(model, damaged, "quelle.mtp"));
            QCOMPARE(MessageBoxTexts(recorder),
                     QStringList{QString::fromUtf8("Block 1 in Zelle 1 lag außerhalb der Zelle und "
                                                   "wurde neu platziert!")});
            QCOMPARE(model.GetCell(0)->Count(), 6);
            QVERIFY(model.FindBlock(Id(1, 3))->GetInput(0) != nullptr);
            const QByteArray compiled = Compile(model.Engine);
            QVERIFY2(!compiled.startsWith("failed"), compiled.constData());
        }
    }

    void fileCutOffInsideASectionOpensWithWhatItHolds_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("marker");
        QTest::addColumn<int>("cells");
        const QByteArray sample = Addierer();
        // Cut inside the second cell, behind its first block.
        const qsizetype second = sample.indexOf("#CELL_START", sample.indexOf("#CELL_END"));
        QTest::newRow("cell") << sample.left(sample.indexOf("#BLOCK_END", second) + 12)
                              << QStringLiteral("#CELL_END") << 2;
        QTest::newRow("table") << QByteArray("MIRELT Tavrissel plus - project file\r\n"
                                             "Version=1.0\r\n1\r\n\r\n#TABLE_START\r\n"
                                             "Name=T\r\n1;2\r\n")
                               << QStringLiteral("#TABLE_END") << 0;
        QTest::newRow("comment") << sample.left(sample.indexOf("#COMMENT_END"))
                                 << QStringLiteral("#COMMENT_END") << 0;
    }

    void fileCutOffInsideASectionOpensWithWhatItHolds() {
        QFETCH(QByteArray, text);
        QFETCH(QString, marker);
        QFETCH(int, cells);
        platform::DialogRecorder recorder;
        TQuendalModel model;
        QVERIFY(Load(model, text, "kurz.mtp"));
        const QString path = Path("kurz.mtp");
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes().front().kind, platform::BoxKind::Warning);
        QCOMPARE(recorder.Boxes().front().text, QString("Fehlendes %1 in %2!").arg(marker, path));
        QCOMPARE(model.FileName(), path);
        QCOMPARE(model.CellCount(), cells);
        if (cells > 0) {
            QCOMPARE(model.GetCell(0)->Count(), 6);
            QCOMPARE(model.GetCell(1)->Count(), 1);
            QCOMPARE(model.GetCell(1)->Name, std::string("Nochmal"));
        } else if (marker == "#TABLE_END") {
            QCOMPARE(model.TableCount(), 1);
            QCOMPARE(*model.GetTable(0)->Lines, TLines{"1;2"});
        } else {
            QCOMPARE(model.Comment.size(), size_t(2));
        }
        QVERIFY(!model.Modified());
        QCOMPARE(ReadFile(path), text);
    }

    void rectangleOutOfTheCellsRangeIsBroughtIntoIt() {
        // Near the 32-bit limit: sizing such a block would overflow.
        for (const char* rect : {"2147483647,2147483647,-2147483648,-2147483648",
                                 "10,3000000,70,3000040", "-1048577,10,50,50"}) {
            platform::DialogRecorder recorder;
            TLines bad = GraphBlock({Id(7, 1), 700, {"1"}, {}, 10, 10});
            *std::find(bad.begin(), bad.end(), "10,10,70,50") = rect;
            TLines cell = GraphBlock({Id(7, 2), 700, {"2"}, {}, 110, 10});
            cell.insert(cell.begin(), bad.begin(), bad.end());
            TLines project = {Header, "Version=1.0", "1", ""};
            AppendCell(project, Cell(7, "Rand", {cell}));
            TQuendalModel model;
            QVERIFY(Load(model, project));
            QCOMPARE(MessageBoxTexts(recorder),
                     QStringList{QString::fromUtf8("Block 1 in Zelle 7 lag außerhalb der Zelle und "
                                                   "wurde neu platziert!")});
            QCOMPARE(model.GetCell(0)->Count(), 2);
            const TBlock* kept = model.GetCell(0)->Get(0);
            QCOMPARE(kept->ID, Id(7, 1));
            QVERIFY(kept->Rect.Top > 0 && kept->Rect.Bottom < 2000 && kept->Rect.Right < 2000);
            // The save holds it, with its parameter.
            QVERIFY(model.Save());
            const QByteArray saved = ReadFile(Path("p.mtp"));
            QVERIFY(saved.contains("ID=458753\r\n"));
            QVERIFY(saved.contains("\r\n#DLLDATA_START\r\n1\r\n#DLLDATA_END\r\n"));
        }
    }

    void fileCutOffBehindASectionStartOpens() {
        const QByteArray sample = Addierer();
        const qsizetype second = sample.indexOf("#CELL_START", sample.indexOf("#CELL_END"));
        const QByteArray head = "MIRELT Tavrissel plus - project file\r\nVersion=1.0\r\n1\r\n";
        for (const auto& [text, marker, cells] :
             {std::tuple{sample.left(second + 13), "#CELL_END", 1},
              std::tuple{sample.left(second + 14), "#CELL_END", 1},
              std::tuple{head + "#TABLE_START", "#TABLE_END", 0}}) {
            platform::DialogRecorder recorder;
            TQuendalModel model;
            QVERIFY(Load(model, text, "ende.mtp"));
            QCOMPARE(MessageBoxTexts(recorder),
                     QStringList{QString("Fehlendes %1 in %2!").arg(marker, Path("ende.mtp"))});
            QCOMPARE(model.CellCount(), cells);
        }
    }

    void longLinesAnywhereOpen_data() {
        QTest::addColumn<int>("place");
        QTest::newRow("wire") << int(WireLine);
        QTest::newRow("comment") << int(CommentLine);
        QTest::newRow("table") << int(TableLine);
        QTest::newRow("parameter") << int(ParameterLine);
        QTest::newRow("comment block") << int(CommentBlockText);
        QTest::newRow("cell name") << int(CellName);
        QTest::newRow("font") << int(FontLine);
        QTest::newRow("bitmap") << int(BitmapLine);
        QTest::newRow("rectangle") << int(RectangleLine);
    }

    void longLinesAnywhereOpen() {
        QFETCH(int, place);
        platform::DialogRecorder recorder;
        TQuendalModel model;
        QVERIFY(Load(model, LongLineProject(LongLinePlace(place)), "lang.mtp"));
        QCOMPARE(model.CellCount(), 1);
        const TBlockList& cell = *model.GetCell(0);
        QCOMPARE(cell.Count(), 3);
        const std::string text(LongLineLength, 'x');
        const auto* source = static_cast<const TGraphBlock*>(cell.Get(0));
        const auto* comment = static_cast<const TTextBlock*>(cell.Get(2));
        switch (place) {
        case WireLine: {
            // Every point read: the last one stays on the destination.
            const TInputLine* wire = cell.Get(1)->GetInput(0);
            QCOMPARE(wire->PointCount, MaxWirePoints);
            QCOMPARE(wire->GetPoint(MaxWirePoints - 1), QPoint(110, 20));
            QCOMPARE(MessageBoxTexts(recorder).size(), 1);
            break;
        }
        case CommentLine:
            QCOMPARE(model.Comment, TLines{text});
            break;
        case TableLine:
            QCOMPARE(*model.GetTable(0)->Lines, TLines{text});
            break;
        case ParameterLine:
            QCOMPARE(source->ParamText, text);
            break;
        case CommentBlockText:
            QCOMPARE(comment->Text, text);
            QVERIFY(comment->Rect.Right > 2000);
            break;
        case CellName:
            QCOMPARE(cell.Name, text);
            break;
        case FontLine:
            QCOMPARE(comment->FontName, text);
            // The font is looked up by the name's start.
            QVERIFY(comment->Font().family().size() < 10000);
            break;
        case BitmapLine:
            QCOMPARE(static_cast<const TGraphBlock*>(cell.Get(1))->BmpFile, text);
            QCOMPARE(MessageBoxTexts(recorder).size(), 1);
            QVERIFY(MessageBoxTexts(recorder).first().size() < 1000);
            break;
        default:
            QCOMPARE(cell.Get(1)->Rect.Left, 110);
            break;
        }
        // The save keeps the long line; of the wire, its points kept.
        QVERIFY(model.Save());
        const QByteArray saved = ReadFile(Path("lang.mtp"));
        if (place == WireLine)
            QVERIFY(saved.contains(
                QByteArray::fromStdString("\r\nIN00=" + cell.Get(1)->InputAsText(0) + "\r\n")));
        else if (place != RectangleLine) // the long text whole
            QCOMPARE(saved.count('x'), LongLineProject(LongLinePlace(place)).count('x'));
    }

    void longLineInAMessageIsCut() {
        platform::DialogRecorder recorder;
        TQuendalModel model;
        QVERIFY(!Load(model, LongLineProject(SectionLine), "lang.mtp"));
        QCOMPARE(MessageBoxTexts(recorder),
                 QStringList{QString("Falscher Zellenbeginn in %1:\r%2...")
                                 .arg(Path("lang.mtp"), QString(80, 'x'))});
    }

    void linesLikeMarkersAreWrittenAsTheyStand() {
        TLines cell =
            Cell(1, "#1 Zelle",
                 {GraphBlock({Id(1, 1), 702, {"# Text", "\x1B", "#CELL_END"}, {}, 10, 10}),
                  CommentBlock(Id(1, 2), "#1 Z\xE4hler", 10, 100)});
        TLines project = {Header,
                          "Version=1.0",
                          "1",
                          "",
                          "#COMMENT_START",
                          "#1 Z\xE4hler",
                          "#COMMENT_END",
                          "",
                          "#TABLE_START",
                          "Name=T",
                          "# Kopf",
                          "#",
                          "\x1B#TABLE_END",
                          "#TABLE_END",
                          ""};
        // Escaped: the reader would take them as markers, or as the escape.
        *std::find(cell.begin(), cell.end(), "\x1B") = "\x1B\x1B\x1B";
        *std::find(cell.begin(), cell.end(), "#CELL_END") = "\x1B#CELL_END";
        AppendCell(project, cell);
        platform::DialogRecorder recorder;
        TQuendalModel model;
        QVERIFY(Load(model, project));
        // Measured in the font at hand, the comment block's width is the program's own.
        const TRect& r = model.GetCell(0)->Get(1)->Rect;
        *std::find(project.begin(), project.end(), "10,100,66,113") =
            std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) +
            "," + std::to_string(r.Bottom);
        QCOMPARE(static_cast<TGraphBlock*>(model.GetCell(0)->Get(0))->ParamText,
                 std::string("# Text\r\n\x1B\r\n#CELL_END"));
        QCOMPARE(*model.GetTable(0)->Lines, (TLines{"# Kopf", "#", "#TABLE_END"}));
        QVERIFY(model.Save());
        QCOMPARE(ReadFile(Path("p.mtp")), Join(project));

        // Files of the earlier form escaped every line that began with "#": they read the same.
        TLines earlier = project;
        const auto cellStart = std::find(earlier.begin(), earlier.end(), "#CELL_START");
        for (auto line = earlier.begin() + 6; line != earlier.end(); ++line) {
            if (*line == "# Kopf" || *line == "#" || *line == "# Text" ||
                (line > cellStart && *line == "#1 Z\xE4hler"))
                line->insert(0, "\x1B");
        }
        TQuendalModel older;
        QVERIFY(Load(older, earlier, "alt.mtp"));
        QVERIFY(older.Save());
        QCOMPARE(ReadFile(Path("alt.mtp")), Join(project));
        QCOMPARE(MessageBoxTexts(recorder), QStringList());
    }

    void readFaultsAreToldAtEveryOpenButNotOnUndo() {
        TLines untyped = GraphBlock({Id(1, 2), 104, {}, {}, 110, 10});
        untyped.erase(std::find(untyped.begin(), untyped.end(), "TYPE=104"));
        TLines pictured = GraphBlock({Id(1, 1), 700, {"5"}, {}, 10, 10});
        pictured.insert(std::find(pictured.begin(), pictured.end(), "#BLOCK_END"),
                        "BmpFile=fehlt.bmp");
        const TLines project = ProjectOf({Cell(1, "Bild", {pictured, untyped})});
        const QStringList told = {QStringLiteral("Die Bitmapdatei %1 kann nicht geladen werden.")
                                      .arg(FindBitmapFile(QStringLiteral("fehlt.bmp"))),
                                  QStringLiteral("Block 2 in Zelle 1 hat keinen Blocktyp!"),
                                  QStringLiteral("Fehler beim Lesen der Programmzelle 1!")};
        platform::DialogRecorder recorder;
        for (int open = 0; open < 2; ++open) {
            recorder.Clear();
            TQuendalModel model;
            QVERIFY(Load(model, project));
            QCOMPARE(MessageBoxTexts(recorder), told);
            // The block without a type is saved as it was read.
            QVERIFY(model.Save());
            QCOMPARE(ReadFile(Path("p.mtp")), Join(project));
            model.DeleteCellWithUndo(1);
            model.Undo();
            model.Redo();
            model.Undo();
            QCOMPARE(model.GetCell(0)->Count(), 2);
            QCOMPARE(MessageBoxTexts(recorder), told);
        }
    }

    void duplicateCellNumberDoesNotClearTheFirstPage() {
        platform::DialogRecorder recorder;
        TLines project = {Header, "Version=1.0", "1", ""};
        AppendCell(project, FirstCell());
        // A default name follows the number.
        TLines again = FirstCell();
        again[1] = "NAME=Zelle 5";
        AppendCell(project, again);
        TQuendalModel model;
        QVERIFY(Load(model, project));
        QCOMPARE(model.GetCell(1)->Name, std::string("Zelle 1"));
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes().front().kind, platform::BoxKind::Warning);
        QCOMPARE(
            recorder.Boxes().front().text,
            QString::fromUtf8("Programmzelle 5 ist doppelt vorhanden und erhält die Nummer 1."));
        QCOMPARE(model.CellCount(), 2);
        // The first cell's page still holds its blocks; the second has a page of its own.
        QCOMPARE(QByteArray(MoltraneGetBlockParam(model.Engine, Id(5, 1))), QByteArray("42"));
        QCOMPARE(QByteArray(MoltraneGetBlockParam(model.Engine, Id(1, 1))), QByteArray("42"));
    }

    void damagedTablesKeepTheirLines_data() {
        QTest::addColumn<QByteArray>("tables");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("told");
        QTest::newRow("no end") << QByteArray("#TABLE_START|Name=A|0 0||#TABLE_START|Name=B|1 1|"
                                              "#TABLE_END")
                                << QStringList{"A:0 0", "B:1 1"}
                                << QStringLiteral("Fehlendes #TABLE_END in %1!");
        QTest::newRow("start twice")
            << QByteArray("#TABLE_START|#TABLE_START|Name=A|0 0|#TABLE_END") << QStringList{"A:0 0"}
            << QString();
        QTest::newRow("no name")
            << QByteArray("#TABLE_START|0 0|3 3|#TABLE_END") << QStringList{"Tabelle 4:0 0|3 3"}
            << QString::fromUtf8("Beschädigte Tabellen in %1 wurden mit allen Zeilen gelesen:\r"
                                 "Tabelle 4 (ohne Namen)");
    }

    void damagedTablesKeepTheirLines() {
        QFETCH(QByteArray, tables);
        QFETCH(QStringList, names);
        QFETCH(QString, told);
        platform::DialogRecorder recorder;
        TLines project = {Header, "Version=1.0", "4", ""};
        for (const QByteArray& line : tables.split('|'))
            project.push_back(line.toStdString());
        TQuendalModel model;
        QVERIFY(Load(model, project));
        QCOMPARE(MessageBoxTexts(recorder),
                 told.isEmpty() ? QStringList() : QStringList{told.arg(Path("p.mtp"))});
        QStringList read;
        for (int i = 0; i < model.TableCount(); ++i) {
            const TConversionTable* table = model.GetTable(i);
            QStringList lines;
            for (const std::string& line : *table->Lines)
                lines << QString::fromStdString(line);
            read << QString::fromStdString(table->Name) + ":" + lines.join('|');
        }
        QCOMPARE(read, names);
    }

    void blockRenumberedInASecondCellIsToldWhereItEndsUp() {
        platform::DialogRecorder recorder;
        const TLines first = Cell(1, "Eins", {GraphBlock({Id(1, 1), 700, {"1"}, {}, 10, 10})});
        const TLines second = Cell(1, "Zwei", {GraphBlock({Id(3, 1), 700, {"2"}, {}, 10, 10})});
        TQuendalModel model;
        QVERIFY(Load(model, ProjectOf({first, second})));
        QCOMPARE(MessageBoxTexts(recorder).first(),
                 QString::fromUtf8("Ungültige Block-ID: ID=196609! Der Block erhält die Nummer 1 "
                                   "in Zelle 2."));
        QCOMPARE(model.GetCell(1)->Get(0)->ID, Id(2, 1));
    }

    void secondCellOfOneNumberGetsAFreeNumber() {
        platform::DialogRecorder recorder;
        const auto twin = [](int number) {
            return Cell(number, "Zwilling",
                        {GraphBlock({Id(number, 1), 700, {"7"}, {}, 10, 10}),
                         GraphBlock({Id(number, 2), 104, {"1"}, {Id(number, 1)}, 110, 10})});
        };
        // The later cell 1 keeps its number: the twin takes one that no cell of the file names.
        const TLines one = Cell(1, "Eins", {GraphBlock({Id(1, 1), 700, {"1"}, {}, 10, 10})});
        TQuendalModel model;
        QVERIFY(Load(model, ProjectOf({FirstCell(), SecondCell(), twin(5), one})));
        QCOMPARE(MessageBoxTexts(recorder),
                 QStringList{QString::fromUtf8(
                     "Programmzelle 5 ist doppelt vorhanden und erhält die Nummer 3.")});
        QCOMPARE(model.CellCount(), 4);
        const TBlockList* moved = model.GetCell(2);
        QCOMPARE(moved->CellNumber, uint16_t(3));
        QCOMPARE(moved->Name, std::string("Zwilling"));
        QCOMPARE(moved->Get(1)->ID, Id(3, 2));
        QCOMPARE(moved->Get(1)->GetInput(0)->SourceId, Id(3, 1));
        QCOMPARE(model.GetCell(3)->CellNumber, uint16_t(1));
        // Every cell is compiled, each from its own page.
        ReferenceEngine reference({FirstCell(), SecondCell(), twin(3), one});
        QVERIFY(reference.pushed);
        QCOMPARE(Compile(model.Engine), Compile(reference.engine));
        QVERIFY(model.Save());
        QCOMPARE(ReadFile(Path("p.mtp")),
                 Join(ProjectOf({FirstCell(), SecondCell(), twin(3), one})));

        // Operations by number reach that cell alone.
        QVERIFY(model.RenameCellWithUndo(3, "Dritte"));
        QCOMPARE(model.GetCell(0)->Name, FirstCell()[1].substr(5));
        QCOMPARE(model.GetCell(2)->Name, std::string("Dritte"));
        model.DeleteCellWithUndo(3);
        QCOMPARE(model.CellCount(), 3);
        QCOMPARE(model.GetCell(0)->Count(), 3);
        QCOMPARE(QByteArray(MoltraneGetBlockParam(model.Engine, Id(5, 1))), QByteArray("42"));
        QVERIFY(!MoltraneGetBlockParam(model.Engine, Id(3, 1)));
        model.Undo();
        QCOMPARE(model.GetCell(2)->Name, std::string("Dritte"));
        QCOMPARE(QByteArray(MoltraneGetBlockParam(model.Engine, Id(3, 1))), QByteArray("7"));
        QCOMPARE(QByteArray(MoltraneGetBlockParam(model.Engine, Id(5, 1))), QByteArray("42"));
        QCOMPARE(MessageBoxTexts(recorder).size(), 1);
    }

    void restoredCellWhoseNumberIsTakenGetsAFreeOne() {
        TQuendalModel model;
        QVERIFY(Load(model, ProjectOf({FirstCell(), SecondCell()})));
        platform::DialogRecorder recorder;
        model.DeleteCellWithUndo(2);
        // Taken behind the undo stack's back.
        QVERIFY(model.CreateCellAt(-1, 2));
        model.Undo();
        QCOMPARE(MessageBoxTexts(recorder),
                 QStringList{QString::fromUtf8(
                     "Programmzelle 2 ist doppelt vorhanden und erhält die Nummer 1.")});
        QCOMPARE(model.CellCount(), 3);
        const TBlockList* restored = model.GetCell(1);
        QCOMPARE(restored->CellNumber, uint16_t(1));
        QCOMPARE(restored->Name, std::string("Ende"));
        QCOMPARE(restored->Get(1)->GetInput(0)->SourceId, Id(1, 1));
        QCOMPARE(QByteArray(MoltraneGetBlockParam(model.Engine, Id(1, 1))), QByteArray("3"));
        QCOMPARE(model.GetCell(2)->CellNumber, uint16_t(2));
        // The redo removes the cell that came back, not the one that took its number.
        model.Redo();
        QCOMPARE(model.CellCount(), 2);
        QCOMPARE(model.GetCell(1)->CellNumber, uint16_t(2));
        QCOMPARE(model.GetCell(1)->Count(), 0);
    }

    void cellAfterDuplicateFollowsInEngineOrder() {
        platform::DialogRecorder recorder;
        const TLines third = Cell(9, "Neun",
                                  {GraphBlock({Id(9, 1), 700, {"9"}, {}, 10, 10}),
                                   GraphBlock({Id(9, 2), 104, {"2"}, {Id(9, 1)}, 110, 10})});
        const TLines project = ProjectOf({SecondCell(), FirstCell(), SecondCell(), third});
        TQuendalModel model;
        QVERIFY(Load(model, project));
        QCOMPARE(MessageBoxTexts(recorder),
                 QStringList{QString::fromUtf8(
                     "Programmzelle 2 ist doppelt vorhanden und erhält die Nummer 1.")});
        QCOMPARE(model.CellCount(), 4);
        const QByteArray loaded = Compile(model.Engine);
        QVERIFY2(!loaded.startsWith("failed"), loaded.constData());

        // The pages stand in file order, the renumbered one in its place.
        ReferenceEngine reference({SecondCell(), FirstCell(), SecondCell(1), third});
        QVERIFY(reference.pushed);
        QCOMPARE(Compile(reference.engine), loaded);
    }

    void numbersAtTheRangeEndsReachAFixpoint() {
        // A block at the end of the range, one near the bottom, one beyond it that is placed
        // below them, and a wire whose points would overflow.
        TLines wired = GraphBlock({Id(1, 4), 104, {"1"}, {Id(1, 1)}, 110, 10});
        wired[4] = "IN00=65537,1:75,35,2147483647,35,-2147483648,35,115,35";
        TLines beyond = GraphBlock({Id(1, 3), 700, {"3"}, {}, 10, 10});
        beyond[3] = "10,10,70,5000000";
        TLines limit = GraphBlock({Id(1, 1), 700, {"1"}, {}, 10, 10});
        limit[3] = "1048570,20,1048576,60";
        TLines low = GraphBlock({Id(1, 2), 700, {"2"}, {}, 10, 10});
        low[3] = "10,1048500,70,1048540";
        platform::DialogRecorder recorder;
        TQuendalModel model;
        QVERIFY(Load(model, ProjectOf({Cell(1, "Eins", {limit, low, beyond, wired})})));
        const QStringList told = {
            QString::fromUtf8(
                "Block 3 in Zelle 1 lag außerhalb der Zelle und wurde neu platziert!"),
            QString::fromUtf8("Block 4 in Zelle 1: ungültige Verbindung an Eingang 00 entfernt!")};
        QCOMPARE(MessageBoxTexts(recorder), told);
        for (int i = 0; i < model.GetCell(0)->Count(); ++i)
            QVERIFY(model.GetCell(0)->Get(i)->Rect.Bottom <= MaxCellCoordinate &&
                    model.GetCell(0)->Get(i)->Rect.Right <= MaxCellCoordinate);
        QVERIFY(model.Save());
        const QByteArray saved = ReadFile(Path("p.mtp"));
        TQuendalModel again;
        QVERIFY(again.LoadFromFile(Path("p.mtp")));
        QCOMPARE(MessageBoxTexts(recorder), told);
        QVERIFY(again.Save());
        QCOMPARE(ReadFile(Path("p.mtp")), saved);
    }

    void secondCellOfOneNameBearsNoDefaultPageName() {
        // The engine gives the name to the first page alone; the second page keeps no name
        // of its past, so no jump reaches it by one.
        const auto named = [](int number) {
            return Cell(number, "Doppelt",
                        {GraphBlock({Id(number, 1), 700, {"1"}, {}, 10, 10}),
                         GraphBlock({Id(number, 2), 104, {"1"}, {Id(number, 1)}, 110, 10})});
        };
        const TLines jump =
            Cell(3, "Sprung", {GraphBlock({Id(3, 1), 1000, {"Zelle 2"}, {}, 10, 10})});
        TQuendalModel model;
        QVERIFY(Load(model, ProjectOf({named(1), named(2), jump})));
        QVERIFY(Compile(model.Engine).startsWith("failed"));
        QVERIFY(model.RenameCellWithUndo(2, "Zelle 2"));
        QVERIFY(!Compile(model.Engine).startsWith("failed"));
    }

    void saveWithoutNameFails() {
        platform::DialogRecorder recorder;
        recorder.QueueSaveName(QString());
        TQuendalModel model;
        QVERIFY(!model.Save());
    }

    void commentAndTableTextsSurviveUndo() {
        platform::DialogRecorder recorder;
        TQuendalModel model;
        QVERIFY(Load(model, SampleProject()));
        TLines comment = model.Comment;
        model.SetComment(comment);
        QVERIFY(!model.Modified());
        // An edit with undo, then the comment text without: undoing the edit keeps Modified.
        model.AddUndoAction(std::make_unique<DoneAction>(), false);
        comment.push_back("neu");
        model.SetComment(comment);
        QVERIFY(model.Modified());
        QVERIFY(model.ModifiedBeyondUndo());
        model.Undo();
        QVERIFY(!model.CanUndo());
        QVERIFY(model.Modified());

        TQuendalModel other;
        QVERIFY(Load(other, SampleProject()));
        TConversionTable* table = other.FindTable(1);
        QVERIFY(!other.SetTableData(table, *table->Lines));
        QVERIFY(!other.Modified());
        QVERIFY(other.SetTableData(table, TLines{"1;1"}));
        QVERIFY(other.Modified() && other.ModifiedBeyondUndo());
        TLines back;
        QVERIFY(other.GetTableData(table, back));
        QCOMPARE(back, TLines{"1;1"});

        // A table of another project is refused with its box.
        recorder.Clear();
        QVERIFY(!other.GetTableData(model.FindTable(1), back));
        QVERIFY(!other.SetTableData(model.FindTable(1), back));
        QCOMPARE(MessageBoxTexts(recorder), (QStringList{"GetTableData...", "SetTableData..."}));
    }

    void currentItemNotifiesBeforeAndAfter() {
        TQuendalModel model;
        NotificationRecorder view;
        view.SetModel(&model);
        model.SetCurrentItem(Id(2, 4));
        QCOMPARE(model.CurrentItem, Id(2, 4));
        QCOMPARE(view.events, (std::vector<std::pair<int, NotifyData>>{{2050, 0}, {2050, 1}}));
        view.SetModel(nullptr);
    }

    void desktopPart() {
        platform::DialogRecorder recorder;
        TQuendalModel model;
        QVERIFY(Load(model, SampleProject(), "d.mtp"));
        model.AddBreakpoint(5);
        model.AddBreakpoint(2);
        model.Watches.push_back(TWatchEntry::CreateForBlock(model.Engine, Id(2, 1)));
        QCOMPARE(model.GetWatch(0)->Name, std::string("WORD[3]"));
        TDesktopWriter writer;
        model.SaveDesktop(writer);

        TDesktopReader reader(writer.Data());
        TQuendalModel restored;
        QVERIFY(restored.LoadDesktop(reader));
        QCOMPARE(restored.FileName(), Path("d.mtp"));
        QCOMPARE(restored.CellCount(), 2);
        QCOMPARE(restored.BreakpointCount, 2);
        QVERIFY(restored.HasBreakpoint(5) && restored.HasBreakpoint(2));
        QCOMPARE(restored.WatchCount(), 1);
        QCOMPARE(restored.GetWatch(0)->Name, std::string("WORD[3]"));
        QCOMPARE(restored.GetWatch(0)->Code, model.GetWatch(0)->Code);
        QVERIFY(reader.AtEnd());
    }

    void desktopKeepsAtMostFiftyBreakpoints() {
        platform::DialogRecorder recorder;
        TQuendalModel model;
        QVERIFY(Load(model, SampleProject(), "d.mtp"));
        TDesktopWriter writer;
        writer.WriteString(Path("d.mtp"));
        writer.WriteInteger(60);
        for (int i = 1; i <= 60; ++i)
            writer.WriteInteger(i);
        writer.WriteInteger(0);
        TDesktopReader reader(writer.Data());
        QVERIFY(model.LoadDesktop(reader));
        QCOMPARE(model.BreakpointCount, 50);
        QVERIFY(model.HasBreakpoint(50) && !model.HasBreakpoint(51));
        QVERIFY(reader.AtEnd());
    }

    void desktopOfFailedOrUntitledProject() {
        platform::DialogRecorder recorder;
        TDesktopWriter writer;
        writer.WriteString(Path("weg.mtp"));
        writer.WriteInteger(0);
        writer.WriteInteger(0);
        TDesktopReader reader(writer.Data());
        TQuendalModel model;
        QVERIFY(!model.LoadDesktop(reader));
        QCOMPARE(MessageBoxTexts(recorder),
                 QStringList{QString("Datei %1 nicht gefunden").arg(Path("weg.mtp"))});

        TQuendalModel untitled;
        TDesktopWriter empty;
        untitled.SaveDesktop(empty);
        TDesktopReader emptyReader(empty.Data());
        QCOMPARE(emptyReader.ReadString(), QString());
        QVERIFY(emptyReader.AtEnd());
        TDesktopReader again(empty.Data());
        TQuendalModel fresh;
        QVERIFY(fresh.LoadDesktop(again));
        QCOMPARE(fresh.Comment.size(), size_t(2));
    }

    void printLayout() {
        const QSize page(500, 300);
        // 100 high: at 0; 150 high: 20 space, line, 20 space... fits at 140 (ends at 290).
        auto placed = LayoutPrintPages({{400, 100}, {600, 150}, {300, 100}, {200, 900}}, page);
        QCOMPARE(placed.size(), size_t(4));
        QCOMPARE(placed[0].Page, 0);
        QCOMPARE(placed[0].Y, 0);
        QVERIFY(!placed[0].SeparatorAbove);
        QCOMPARE(placed[1].Page, 0);
        QCOMPARE(placed[1].Y, 140);
        QVERIFY(placed[1].SeparatorAbove);
        QCOMPARE(placed[1].Width, 500); // cut to the page
        // Would end at 310 + 100 > 300: a new page.
        QCOMPARE(placed[2].Page, 1);
        QCOMPARE(placed[2].Y, 0);
        QVERIFY(!placed[2].SeparatorAbove);
        // Taller than the page: cut, on a page of its own.
        QCOMPARE(placed[3].Page, 2);
        QCOMPARE(placed[3].Height, 300);
        for (const TPrintPlacement& p : placed)
            QVERIFY(p.Y + p.Height <= page.height());
        // Exactly fitting: 100 + 20 + 20 + 160 = 300.
        auto exact = LayoutPrintPages({{100, 100}, {100, 160}}, page);
        QCOMPARE(exact[1].Page, 0);
        QCOMPARE(exact[1].Y, 140);
    }

    void printToPdf() {
        platform::DialogRecorder recorder;
        TQuendalModel model;
        QVERIFY(Load(model, SampleProject()));
        const QString pdf = Path("druck.pdf");
        QString docName;
        TQuendalModel::PrintDialog = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        model.PrintProgram(5);
        const QByteArray one = ReadFile(pdf);
        QVERIFY(one.startsWith("%PDF"));
        QCOMPARE(one.count("/Type /Page\n") + one.count("/Type /Page\r"), 1);
        QFile::remove(pdf);
        model.PrintProgram(0);
        QVERIFY(ReadFile(pdf).startsWith("%PDF"));

        // Cancelled: nothing printed.
        QFile::remove(pdf);
        TQuendalModel::PrintDialog = [](QPrinter&) { return false; };
        model.PrintProgram(0);
        QVERIFY(!QFile::exists(pdf));
        TQuendalModel::PrintDialog = nullptr;
        QCOMPARE(MessageBoxTexts(recorder), QStringList());
    }
};

QTEST_MAIN(TestProjectFile)
#include "tst_projectfile.moc"
