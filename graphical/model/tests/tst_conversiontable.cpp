// Lookup tables: their text, table files and the load into the engine.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "engine/include/quendal32.h"
#include "framework/utils.h"
#include "graphical/model/conversiontable.h"
#include "platform/qt/dialogs.h"

namespace {

TLines Saved(const TConversionTable& table) {
    TLines lines;
    table.SaveToLines(&lines);
    return lines;
}

std::unique_ptr<TConversionTable> Reloaded(const TConversionTable& table) {
    return TConversionTable::CreateFromLines(SplitLines(JoinLines(Saved(table))));
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList BoxTexts(const platform::DialogRecorder& recorder) {
    QStringList texts;
    for (const auto& box : recorder.Boxes())
        texts << box.text;
    return texts;
}

// Length of the code image after compiling an empty project with the given table.
int CodeLengthWith(const TConversionTable* table, bool* loaded = nullptr) {
    EngineHandle engine = MoltraneCreate();
    MoltraneCompilerInit(engine);
    MoltraneCompile(engine);
    const bool ok = table ? table->LoadIntoEngine(engine) : true;
    if (loaded)
        *loaded = ok;
    MoltraneCompilerDone(engine);
    const int length = MoltraneGetCodeLength(engine);
    MoltraneDestroy(engine);
    return length;
}

} // namespace

class TestConversionTable : public QObject {
    Q_OBJECT

    QTemporaryDir workDir_;

private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(workDir_.path())); }
    void cleanup() { TableDir.clear(); }

    void internalTableRoundTrips() {
        const TLines text = {"Name=Kennlinie", "1", "", "  -7",
                             "0x1F ; \xB0"
                             "C"};
        auto table = TConversionTable::CreateFromLines(text);
        QVERIFY(table->IsInternal);
        QCOMPARE(table->Name, std::string("Kennlinie"));
        QCOMPARE(*table->Lines, TLines(text.begin() + 1, text.end()));
        QCOMPARE(Saved(*table), text);
        TLines appended = {"vorher"};
        table->SaveToLines(&appended);
        QCOMPARE(appended.size(), text.size() + 1);
        table->SaveToLines(nullptr);

        auto empty = TConversionTable::CreateInternal("Leer");
        QCOMPARE(Saved(*empty), TLines{"Name=Leer"});
        QVERIFY(Reloaded(*empty)->Lines->empty());
    }

    void markerLikeLinesStayTableLines() {
        auto table = TConversionTable::CreateInternal("T");
        *table->Lines = {"Extern=daten.tab", "#TABLE_END", "#CELL_END", "\x1B", "Extern=x"};
        const TLines saved = Saved(*table);
        QVERIFY(saved[1].rfind("Extern=", 0) != 0);
        QCOMPARE(saved[5], std::string("Extern=x"));
        QVERIFY(std::find(saved.begin(), saved.end(), "#TABLE_END") == saved.end());
        auto again = Reloaded(*table);
        QVERIFY(again->IsInternal);
        QCOMPARE(*again->Lines, *table->Lines);
        QCOMPARE(Saved(*again), saved);
    }

    void tablesTravelThroughTheClipboard() {
        auto table = TConversionTable::CreateFromLines({"Name=T", "#TABLE_END", "1"});
        CopyLinesToClipboard(TableClipboardFormat, Saved(*table));
        TLines pasted;
        QVERIFY(PasteLinesFromClipboard("Tavrissel plus Table", pasted));
        auto copy = TConversionTable::CreateFromLines(pasted);
        QCOMPARE(copy->Name, table->Name);
        QCOMPARE(*copy->Lines, *table->Lines);
    }

    void namesAreKeptWhole() {
        const std::string name = std::string(150, 'n') + "=Ende";
        auto table = TConversionTable::CreateInternal(name);
        QCOMPARE(Reloaded(*table)->Name, name);
    }

    void textWithoutNameGivesTheEmptyTable() {
        auto table = TConversionTable::CreateFromLines({"Titel=x", "1", "2"});
        QVERIFY(table->IsInternal);
        QCOMPARE(table->Name, std::string("Tabelle ???"));
        QVERIFY(table->Lines->empty());
        QCOMPARE(TConversionTable::CreateFromLines({})->Name, std::string("Tabelle ???"));
    }

    void linesAreReplacedOnlyWhenChanged() {
        auto table = TConversionTable::CreateFromLines({"Name=T", "1", "2"});
        const TLines same = {"1", "2"};
        const TLines other = {"3"};
        const TLines none;
        QVERIFY(!table->SetLines(&same));
        QVERIFY(!table->SetLines(nullptr));
        QCOMPARE(*table->Lines, same);
        QVERIFY(table->SetLines(&other));
        TLines copy = {"alt"};
        table->GetLines(copy);
        QCOMPARE(copy, other);
        // An emptied editor empties the table.
        QVERIFY(table->SetLines(&none));
        QVERIFY(table->Lines->empty());
        QVERIFY(!table->SetLines(&none));

        auto external = TConversionTable::CreateExternal("E");
        QVERIFY(!external->SetLines(&other));
        copy = {"alt"};
        external->GetLines(copy);
        QCOMPARE(copy, TLines{"alt"});
    }

    void externalReferencesAreFoundAgain() {
        QTemporaryDir tables, elsewhere;
        TableDir = tables.path();
        WriteFile(tables.filePath("kurve.tab"), "1\r\n2\r\n3\r\n");
        WriteFile(elsewhere.filePath("fremd.tab"), "4\n5\n");

        platform::DialogRecorder recorder;
        auto table = TConversionTable::CreateFromLines({"Name=K", "Extern=kurve.tab"});
        QVERIFY(!table->IsInternal);
        QVERIFY(!table->Lines);
        QCOMPARE(Saved(*table), (TLines{"Name=K", "Extern=kurve.tab"}));
        QVERIFY(recorder.Boxes().empty());

        // Picked outside the table directory: stored with its path.
        TConversionTable::dlgOpenTable = [&](const QString& directory, const QString& file) {
            [&] {
                QCOMPARE(directory, tables.path());
                QCOMPARE(file, QStringLiteral("kurve.tab"));
            }();
            return std::optional<QString>(elsewhere.filePath("fremd.tab"));
        };
        QVERIFY(table->SelectExternalFile());
        QCOMPARE(table->ExternFile, elsewhere.filePath("fremd.tab").toStdString());
        auto again = Reloaded(*table);
        QCOMPARE(again->ExternFile, table->ExternFile);
        QVERIFY(again->LoadExternal());
        QCOMPARE(*again->Lines, (TLines{"4", "5"}));
        again->FreeExternal();
        QVERIFY(!again->Lines);

        // Picked inside: the bare name.
        TConversionTable::dlgOpenTable = [&](const QString&, const QString&) {
            return std::optional<QString>(tables.filePath("kurve.tab"));
        };
        QVERIFY(table->SelectExternalFile());
        QCOMPARE(table->ExternFile, std::string("kurve.tab"));

        // Cancelled, or a file that vanished.
        TConversionTable::dlgOpenTable = [](const QString&, const QString&) {
            return std::optional<QString>();
        };
        QVERIFY(!table->SelectExternalFile());
        TConversionTable::dlgOpenTable = [&](const QString&, const QString&) {
            return std::optional<QString>(tables.filePath("weg.tab"));
        };
        QVERIFY(!table->SelectExternalFile());
        QCOMPARE(table->ExternFile, std::string("kurve.tab"));
        QCOMPARE(
            BoxTexts(recorder),
            QStringList{
                QString::fromUtf8("Ungültige Tabellendatei %1!").arg(tables.filePath("weg.tab"))});
    }

    void missingTableFilesAreReported() {
        QTemporaryDir tables;
        TableDir = tables.path();
        platform::DialogRecorder recorder;
        auto table = TConversionTable::CreateFromLines({"Name=K", "Extern=fehlt.tab"});
        QCOMPARE(table->ExternFile, std::string("fehlt.tab"));
        table->SetExternFile("auch.tab");
        QCOMPARE(table->ExternFile, std::string("auch.tab"));
        QVERIFY(!table->LoadExternal());
        QCOMPARE(BoxTexts(recorder),
                 (QStringList{
                     QString::fromUtf8("Tabelle K: ungültige externe Tabellendatei:\rfehlt.tab"),
                     QString::fromUtf8("Ungültige Tabellendatei auch.tab!"),
                     QStringLiteral("Fehler beim Laden der externen Tabellendatei:\rauch.tab")}));
    }

    void tablesLoadIntoTheEngine() {
        const int base = CodeLengthWith(nullptr);
        auto table = TConversionTable::CreateFromLines({"Name=T", "1", "2", "-1", " ", ""});
        bool loaded = false;
        QCOMPARE(CodeLengthWith(table.get(), &loaded), base + 6);
        QVERIFY(loaded);

        // Blank lines only: nothing for the engine, which is never called.
        auto blank = TConversionTable::CreateFromLines({"Name=B", "  ", "", "\t"});
        QVERIFY(blank->LoadIntoEngine(nullptr));
        QVERIFY(TConversionTable::CreateInternal("L")->LoadIntoEngine(nullptr));

        auto bad = TConversionTable::CreateFromLines({"Name=F", "1", "x", "2"});
        CodeLengthWith(bad.get(), &loaded);
        QVERIFY(!loaded);
    }
};

QTEST_MAIN(TestConversionTable)
#include "tst_conversiontable.moc"
