// Damages project files at random and checks how the program takes them.
//
//   project_fuzz [seed] [count]
//
// Each run takes one of the example projects or a project of one block of every kind, damages
// one to three of its lines (deleted, doubled, swapped with the next, the file cut there, a
// number replaced, a marker line inserted), opens it, saves it, opens the save and saves again.
// It checks that the second save equals the first, that the second open tells nothing but the
// faults that are told at every open, that every cell holds unique block numbers of its own and
// has its engine page; the cells of the damaged text are also pasted, as a cell and as blocks,
// and checked alike. A summary of the faults found goes to the standard output.
#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <random>
#include <set>

#include "graphical/model/blockcatalogue.h"
#include "graphical/model/conversiontable.h"
#include "graphical/model/graphblock.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/tests/projectfixture.h"
#include "platform/qt/dialogs.h"

namespace {

// What every open tells again, as long as the file holds it.
const QRegularExpression
    Lasting(QStringLiteral("Unbekannter Blocktyp|hat keinen Blocktyp|Bitmapdatei|Tabellendatei|"
                           "Fehler beim Lesen der Programmzelle"));

// One block of every kind the catalogue knows, and a comment, in rows of one cell.
QByteArray EveryKindProject() {
    std::vector<TLines> blocks;
    int local = 1;
    for (const auto& type : BlockCatalogue().Types()) {
        const int x = ((local - 1) % 10) * 100 + 10, y = ((local - 1) / 10) * 60 + 10;
        blocks.push_back(fixture::GraphBlock({fixture::Id(1, local), type->ID, {}, {}, x, y}));
        ++local;
    }
    blocks.push_back(fixture::CommentBlock(fixture::Id(1, local), "Alle Arten", 10, 1000));
    TLines lines = {"MIRELT Tavrissel plus - project file",
                    "Version=1.0",
                    "2",
                    "",
                    "#TABLE_START",
                    "Name=Tabelle 1",
                    "0 0",
                    "10 100",
                    "#TABLE_END",
                    ""};
    fixture::AppendCell(lines, fixture::Cell(1, "Alle", blocks));
    return fixture::Join(lines);
}

TLines Lines(const QByteArray& text) {
    return SplitLines(text.toStdString());
}

QByteArray Text(const TLines& lines) {
    return QByteArray::fromStdString(JoinLines(lines));
}

// One to three damages at random places.
TLines Damaged(TLines lines, std::mt19937& random) {
    static const char* const markers[] = {"#TABLE_START",   "#TABLE_END",   "#CELL_START",
                                          "#CELL_END",      "#BLOCK_START", "#BLOCK_END",
                                          "#DLLDATA_START", "#DLLDATA_END"};
    static const char* const numbers[] = {"0",           "-1",      "65535", "65536", "2147483647",
                                          "-2147483648", "1048576", "x",     ""};
    const int damages = 1 + int(random() % 3);
    for (int d = 0; d < damages && lines.size() > 4; ++d) {
        // Not the signature and version lines: those make a file no project file at all.
        const size_t at = 2 + random() % (lines.size() - 2);
        switch (random() % 6) {
        case 0:
            lines.erase(lines.begin() + std::ptrdiff_t(at));
            break;
        case 1:
            lines.insert(lines.begin() + std::ptrdiff_t(at), lines[at]);
            break;
        case 2:
            if (at + 1 < lines.size())
                std::swap(lines[at], lines[at + 1]);
            break;
        case 3:
            lines.resize(at);
            break;
        case 4: {
            // The number field at a random place of the line.
            static const QRegularExpression number(QStringLiteral("-?\\d+"));
            QString line = QString::fromLatin1(lines[at]);
            QList<QRegularExpressionMatch> found;
            for (auto match = number.globalMatch(line); match.hasNext();)
                found.push_back(match.next());
            if (found.isEmpty())
                break;
            const auto& match = found[qsizetype(random() % size_t(found.size()))];
            line.replace(match.capturedStart(), match.capturedLength(),
                         QLatin1String(numbers[random() % std::size(numbers)]));
            lines[at] = line.toLatin1().toStdString();
            break;
        }
        default:
            lines.insert(lines.begin() + std::ptrdiff_t(at),
                         markers[random() % std::size(markers)]);
            break;
        }
    }
    return lines;
}

class Run {
public:
    explicit Run(const QString& folder) : folder_(folder) {}

    // The faults found in one damaged text, each named by a short key.
    std::set<std::string> Check(const QByteArray& text) {
        faults_.clear();
        const QString first = folder_ + "/eins.mtp", second = folder_ + "/zwei.mtp";
        fixture::WriteFile(first, text);
        {
            platform::DialogRecorder boxes;
            TQuendalModel model;
            if (!model.LoadFromFile(first))
                return faults_;
            CheckCells(model, "open");
            if (!SaveTo(model, first + ".1"))
                Fault("first save fails");
        }
        const QByteArray saved = fixture::ReadFile(first + ".1");
        fixture::WriteFile(second, saved);
        {
            platform::DialogRecorder boxes;
            TQuendalModel model;
            if (!model.LoadFromFile(second))
                Fault("save does not open");
            for (const auto& box : boxes.Boxes()) {
                if (!box.text.contains(Lasting))
                    Fault("second open tells: " + Shape(box.text));
            }
            CheckCells(model, "reopen");
            SaveTo(model, second + ".1");
        }
        if (fixture::ReadFile(second + ".1") != saved)
            Fault("second save differs");
        CheckPastes(text);
        return faults_;
    }

private:
    void Fault(const std::string& key) { faults_.insert(key); }

    static bool SaveTo(TQuendalModel& model, const QString& name) {
        model.SetFileName(name);
        return model.Save();
    }

    // A message with its numbers and quoted lines taken out, so that alike ones count as one.
    static std::string Shape(const QString& text) {
        static const QRegularExpression numbers(QStringLiteral("-?\\d+"));
        QString shape = text.left(70);
        shape.replace(numbers, QStringLiteral("N"));
        shape.replace(QLatin1Char('\r'), QLatin1Char('|'));
        return shape.toStdString();
    }

    void CheckCells(TQuendalModel& model, const std::string& when) {
        std::set<int> numbers;
        for (int c = 0; c < model.CellCount(); ++c) {
            const TBlockList& cell = *model.GetCell(c);
            if (!numbers.insert(cell.CellNumber).second)
                Fault(when + ": cell number twice");
            // The page exists: adding it again is refused.
            if (MoltraneAddPage(model.Engine, cell.CellNumber, 0) != 0)
                Fault(when + ": cell without page");
            std::set<int> locals;
            for (int b = 0; b < cell.Count(); ++b) {
                const TBlock* block = cell.Get(b);
                if ((uint32_t(block->ID) >> 16) != cell.CellNumber || block->LocalNumber() == 0 ||
                    block->LocalNumber() == 0xFFFF)
                    Fault(when + ": block number of another cell");
                if (!locals.insert(block->LocalNumber()).second)
                    Fault(when + ": block number twice");
            }
        }
    }

    // Every table of the text pasted, every cell pasted as a cell and its blocks pasted into it.
    void CheckPastes(const QByteArray& text) {
        const TLines lines = Lines(text);
        platform::DialogRecorder boxes;
        TQuendalModel model;
        model.InitNew();
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i] == "#TABLE_START") {
                TLines table;
                for (++i; i < lines.size() && lines[i] != "#TABLE_END"; ++i)
                    table.push_back(lines[i]);
                CopyLinesToClipboard(TableClipboardFormat, table);
                model.PasteTable();
                continue;
            }
            if (lines[i] != "#CELL_START")
                continue;
            TLines cell;
            for (++i; i < lines.size() && lines[i] != "#CELL_END"; ++i)
                cell.push_back(lines[i]);
            CopyLinesToClipboard(CellClipboardFormat, cell);
            model.PasteCell(model.CellCount());
            const auto header = std::find(cell.begin(), cell.end(), "#BLOCK_START");
            CopyLinesToClipboard(BlocksClipboardFormat, TLines(header, cell.end()));
            std::vector<TBlock*> selection;
            QPoint where;
            if (model.CellCount() > 0)
                model.PasteBlocks(model.GetCell(model.CellCount() - 1), selection, where);
        }
        CheckCells(model, "paste");
        const QString first = folder_ + "/paste.mtp";
        SaveTo(model, first);
        TQuendalModel again;
        if (!again.LoadFromFile(first))
            Fault("pasted project does not open");
        SaveTo(again, first + ".1");
        if (fixture::ReadFile(first) != fixture::ReadFile(first + ".1"))
            Fault("pasted project: second save differs");
    }

    QString folder_;
    std::set<std::string> faults_;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const unsigned seed = argc > 1 ? unsigned(std::stoul(argv[1])) : 1;
    const int count = argc > 2 ? std::stoi(argv[2]) : 200;
    if (!LoadBlockCatalogue())
        return 1;
    std::vector<TLines> bases;
    const QDir examples(QStringLiteral(TAVRISSEL_SOURCE_DIR "/examples/quendal"));
    for (const QString& name : examples.entryList({QStringLiteral("*.mtp")}))
        bases.push_back(Lines(fixture::ReadFile(examples.filePath(name))));
    bases.push_back(Lines(EveryKindProject()));

    QTemporaryDir folder;
    Run run(folder.path());
    std::mt19937 random(seed);
    std::map<std::string, int> faults;
    std::map<std::string, QByteArray> examples_of;
    for (int i = 0; i < count; ++i) {
        const QByteArray text = Text(Damaged(bases[random() % bases.size()], random));
        for (const std::string& fault : run.Check(text)) {
            if (++faults[fault] == 1)
                examples_of[fault] = text;
        }
    }
    std::printf("seed %u, %d damaged projects, %zu kinds of fault\n", seed, count, faults.size());
    for (const auto& [fault, times] : faults) {
        std::printf("%6d  %s\n", times, fault.c_str());
        // The first text that showed it, kept for a closer look.
        const QString kept = QDir::temp().filePath(
            QStringLiteral("project_fuzz_%1.mtp").arg(std::hash<std::string>()(fault)));
        fixture::WriteFile(kept, examples_of[fault]);
        std::printf("        %s\n", qPrintable(kept));
    }
    FreeBlockCatalogue();
    return faults.empty() ? 0 : 2;
}
