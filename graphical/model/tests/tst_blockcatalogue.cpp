#include <QtTest>

#include "graphical/model/blockcatalogue.h"
#include "graphical/tests/fakeimageslibrary.h"
#include "platform/qt/dialogs.h"

namespace {

const QRgb kMagenta = qRgb(255, 0, 255);

struct Recorder {
    QStringList messages;
    TBlockCatalogue::ErrorHandler Handler() {
        return [this](const QString& message) { messages << message; };
    }
};

} // namespace

class TestBlockCatalogue : public QObject {
    Q_OBJECT

private slots:
    void parsesBlockLines() {
        auto type = TBlockTyp::Create("GLY_1|BLK_1|Gr\xF6\xDF"
                                      "er|402",
                                      nullptr);
        QVERIFY(type != nullptr);
        QCOMPARE(type->GlyphName, std::string("GLY_1"));
        QCOMPARE(type->BitmapName, std::string("BLK_1"));
        QCOMPARE(type->Name, QString::fromUtf8("Größer"));
        QCOMPARE(type->ID, 402);

        // Empty names are fields all the same; the id must be a whole number.
        type = TBlockTyp::Create("||x|7", nullptr);
        QVERIFY(type != nullptr);
        QVERIFY(type->BitmapName.empty());
        QCOMPARE(type->ID, 7);
        QVERIFY(TBlockTyp::Create("a|b|c", nullptr) == nullptr);
        QVERIFY(TBlockTyp::Create("a|b|c|", nullptr) == nullptr);
        QVERIFY(TBlockTyp::Create("a|b|c|12x", nullptr) == nullptr);
        QVERIFY(TBlockTyp::Create("a|b|c|1|2", nullptr) == nullptr);
        QVERIFY(TBlockTyp::Create("a|b|c|99999999999", nullptr) == nullptr);
        QVERIFY(TBlockTyp::Create("", nullptr) == nullptr);
    }

    void parsesGroupLines() {
        Recorder errors;
        TBlockCatalogue catalogue(errors.Handler());
        auto library = std::make_unique<FakeImagesLibrary>();
        library->bitmaps = {"K1"};
        std::string longCaption(300, 'x');
        library->groups = "K1|Eins|mit Strich\r\n"
                          "ohne Strich\r\n"
                          "K3|" +
                          longCaption + "\n";
        QVERIFY(catalogue.Load(std::move(library)));
        QCOMPARE(catalogue.Groups().size(), size_t(3));

        TBlockGroupItem* first = catalogue.Group(0);
        QCOMPARE(first->Key, std::string("K1"));
        QCOMPARE(first->Caption, QString("Eins|mit Strich"));
        QVERIFY(!first->Bitmap.isNull());

        TBlockGroupItem* second = catalogue.Group(1);
        QVERIFY(second->Key.empty());
        QVERIFY(second->Caption.isEmpty());
        QVERIFY(second->Bitmap.isNull());

        TBlockGroupItem* third = catalogue.Group(2);
        QCOMPARE(third->Caption.size(), 255);
        QVERIFY(third->Bitmap.isNull());
        // Only the group that names a missing bitmap complains.
        QCOMPARE(errors.messages,
                 QStringList{"Interner Fehler:\r\nKonnte Bitmap K3 nicht finden!"});
        QVERIFY(catalogue.Group(3) == nullptr);
        QVERIFY(catalogue.Group(-1) == nullptr);
    }

    void dropsDuplicateIdsWithAMessage() {
        Recorder errors;
        TBlockCatalogue catalogue(errors.Handler());
        auto library = MakeFakeLibrary({{"A", 2}, {"B", 1}});
        library->blocks["B"] = "GX|BX|Doppelt|101\r\nGY|BY|Neu|300\r\n";
        QVERIFY(catalogue.Load(std::move(library)));
        QCOMPARE(errors.messages, QStringList{"Blocktyp-ID 101 mehrfach gefunden!"});
        QCOMPARE(catalogue.Types().size(), size_t(3));
        QCOMPARE(catalogue.FindBlockTyp(101)->Name, QString("Typ 101"));
        QCOMPARE(catalogue.Group(1)->Count(), 1);
        QCOMPARE(catalogue.Group(1)->GetBlock(0)->ID, 300);
    }

    void errorsGoToTheErrorBoxByDefault() {
        platform::DialogRecorder recorder;
        TBlockCatalogue catalogue;
        auto library = MakeFakeLibrary({{"A", 1}});
        library->blocks["A"] = "G100|B100|Eins|100\r\nG100|B100|Nochmal|100\r\n";
        QVERIFY(catalogue.Load(std::move(library)));
        std::vector<platform::MessageBoxRequest> boxes = recorder.Boxes();
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].kind, platform::BoxKind::Error);
        QCOMPARE(boxes[0].text, QString("Blocktyp-ID 100 mehrfach gefunden!"));
        QCOMPARE(recorder.Beeps(),
                 std::vector<platform::BeepKind>{platform::BeepKind::Exclamation});
    }

    void malformedLineEndsOnlyItsGroup() {
        Recorder errors;
        TBlockCatalogue catalogue(errors.Handler());
        auto library = MakeFakeLibrary({{"A", 0}, {"B", 2}});
        library->blocks["A"] = "G1|B1|Eins|1\r\nkaputt\r\nG2|B2|Zwei|2\r\n";
        QVERIFY(catalogue.Load(std::move(library)));
        QVERIFY(errors.messages.isEmpty());
        QCOMPARE(catalogue.Group(0)->Count(), 1);
        QCOMPARE(catalogue.Group(0)->GetBlock(0)->ID, 1);
        QVERIFY(catalogue.FindBlockTyp(2) == nullptr);
        QCOMPARE(catalogue.Group(1)->Count(), 2);
        QVERIFY(catalogue.Group(0)->GetBlock(1) == nullptr);
        QVERIFY(catalogue.Group(0)->GetBlock(-1) == nullptr);
    }

    void shortOrMissingBlockListsGiveEmptyGroups() {
        TBlockCatalogue catalogue(NoMessages());
        auto library = MakeFakeLibrary({{"A", 0}, {"B", 0}, {"C", 0}, {"D", 1}});
        library->blocks["A"] = "\r\n";
        library->blocks["B"] = std::nullopt;
        library->blocks["C"] = "1|2";
        QVERIFY(catalogue.Load(std::move(library)));
        QCOMPARE(catalogue.Groups().size(), size_t(4));
        QCOMPARE(catalogue.Group(0)->Count(), 0);
        QCOMPARE(catalogue.Group(1)->Count(), 0);
        QCOMPARE(catalogue.Group(2)->Count(), 0);
        QCOMPARE(catalogue.Group(3)->Count(), 1);
    }

    void missingLibraryGivesAnEmptyCatalogue() {
        TBlockCatalogue catalogue(NoMessages());
        QVERIFY(catalogue.Load(MakeFakeLibrary({{"A", 3}})));
        QVERIFY(!catalogue.Load(nullptr));
        QVERIFY(catalogue.Groups().empty());
        QVERIFY(catalogue.Types().empty());
        QVERIFY(catalogue.FindBlockTyp(100) == nullptr);
        QVERIFY(catalogue.GetBlockBitmap(100) == nullptr);
        QVERIFY(catalogue.LoadResource("A").isNull());
        catalogue.Free();
        QVERIFY(LoadImagesLibrary("libnothere.so") == nullptr);
    }

    void cellBitmapsLoadOnceAndFallBack() {
        Recorder errors;
        TBlockCatalogue catalogue(errors.Handler());
        auto library = MakeFakeLibrary({{"A", 2}});
        library->blocks["A"] = "G100|B100|Eins|100\r\nG101|FEHLT|Zwei|101\r\nG102||Drei|102\r\n";
        std::shared_ptr<FakeLibraryLog> log = library->log;
        QVERIFY(catalogue.Load(std::move(library)));

        const QImage* bitmap = catalogue.GetBlockBitmap(100);
        QVERIFY(bitmap != nullptr);
        QCOMPARE(bitmap->size(), QSize(20, 16));
        QCOMPARE(catalogue.GetBlockBitmap(100), bitmap);
        QCOMPARE(log->bitmapRequests["B100"], 1);

        const QImage* fallback = catalogue.GetBlockBitmap(101);
        QVERIFY(fallback != nullptr);
        QCOMPARE(*fallback, BlockErrorBitmap());
        QCOMPARE(errors.messages,
                 QStringList{"Interner Fehler:\r\nKonnte Bitmap FEHLT nicht finden!"});
        QCOMPARE(catalogue.GetBlockBitmap(101), fallback);
        QCOMPARE(errors.messages.size(), 1);
        QCOMPARE(log->bitmapRequests["FEHLT"], 1);

        QVERIFY(catalogue.GetBlockBitmap(102) == nullptr);
        QVERIFY(catalogue.GetBlockBitmap(999) == nullptr);
    }

    void errorBitmapLooksLikeACellPicture() {
        QImage error = BlockErrorBitmap();
        QCOMPARE(error.size(), QSize(60, 40));
        QCOMPARE(error.pixel(0, 0), kMagenta);
        QVERIFY(error.pixel(30, 20) != kMagenta);
    }

    void reloadingReplacesTheCatalogue() {
        TBlockCatalogue catalogue(NoMessages());
        QVERIFY(catalogue.Load(MakeFakeLibrary({{"A", 3}})));
        QVERIFY(catalogue.Load(MakeFakeLibrary({{"B", 1}})));
        QCOMPARE(catalogue.Groups().size(), size_t(1));
        QCOMPARE(catalogue.Types().size(), size_t(1));
    }

    // The real library beside the test program.
    void loadsTheImagesLibrary() {
        Recorder errors;
        TBlockCatalogue catalogue(errors.Handler());
        QVERIFY(catalogue.Load(LoadImagesLibrary()));
        QVERIFY2(errors.messages.isEmpty(), qPrintable(errors.messages.join("; ")));
        QCOMPARE(catalogue.Groups().size(), size_t(11));
        QCOMPARE(catalogue.Types().size(), size_t(81));
        int listed = 0;
        for (const auto& group : catalogue.Groups()) {
            QVERIFY(group->Count() > 0);
            QVERIFY(!group->Caption.isEmpty());
            QCOMPARE(group->Bitmap.size(), QSize(28, 16));
            listed += group->Count();
        }
        QCOMPARE(listed, 81);

        // Every picture: cell bitmaps and glyphs on the transparency colour.
        for (const auto& type : catalogue.Types()) {
            const QImage* cell = type->GetBitmap();
            QVERIFY(cell != nullptr);
            QCOMPARE(cell->size(), QSize(60, 40));
            QCOMPARE(cell->pixel(0, 0), kMagenta);
            QCOMPARE(cell->pixel(59, 39), kMagenta);
            QVERIFY(*cell != BlockErrorBitmap());
            QImage glyph = catalogue.LoadResource(type->GlyphName);
            QCOMPARE(glyph.size(), QSize(80, 24));
            QCOMPARE(glyph.pixel(0, 0), kMagenta);
            QCOMPARE(glyph.pixel(40, 0), kMagenta);
        }
        QVERIFY(errors.messages.isEmpty());
        QCOMPARE(catalogue.FindBlockTyp(404)->Name, QString("Gleich"));
        QVERIFY(catalogue.FindBlockTyp(505) == nullptr);
        catalogue.Free();
        QVERIFY(catalogue.FindBlockTyp(404) == nullptr);
    }

    void programCatalogue() {
        QVERIFY(LoadBlockCatalogue());
        QVERIFY(FindBlockTyp(1007) != nullptr);
        QVERIFY(GetBlockBitmap(1007) != nullptr);
        FreeBlockCatalogue();
        QVERIFY(FindBlockTyp(1007) == nullptr);
        QVERIFY(GetBlockBitmap(1007) == nullptr);
    }
};

QTEST_MAIN(TestBlockCatalogue)
#include "tst_blockcatalogue.moc"
