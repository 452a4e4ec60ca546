// The catalogue against the block engine: the same kinds, with the same inputs and outputs as
// the pictures show.
#include <QtTest>

#include <cstring>
#include <map>

#include "engine/include/quendal32.h"
#include "graphical/model/blockcatalogue.h"

class TestCatalogueEngine : public QObject {
    Q_OBJECT

    struct Shape {
        bool inputs;
        bool output;
    };

    // Every id the engine's factory builds a block for, with the block's shape.
    static std::map<int, Shape> EngineKinds() {
        std::map<int, Shape> kinds;
        EngineHandle engine = MoltraneCreate();
        if (engine == nullptr || MoltraneAddPage(engine, 1, 0) != 1) {
            return kinds;
        }
        BlockHandle block = (1 << 16) | 1;
        for (int id = 0; id < 2000; ++id) {
            if (MoltraneAddBlock(engine, id, block) != 1) {
                continue;
            }
            // Flags name one character per input; they exist only for a block that exists.
            const char* flags = MoltraneGetBlockInputMenuFlags(engine, block, block);
            if (flags != nullptr) {
                kinds[id] = {std::strlen(flags) > 0, MoltraneCanConnectBlocks(engine, block, 0)};
                MoltraneRemoveBlock(engine, block);
            }
        }
        MoltraneDestroy(engine);
        return kinds;
    }

private slots:
    void catalogueHoldsEveryEngineKindOnce() {
        std::map<int, Shape> engineKinds = EngineKinds();
        QCOMPARE(engineKinds.size(), size_t(81));

        TBlockCatalogue catalogue([](const QString& message) { QFAIL(qPrintable(message)); });
        QVERIFY(catalogue.Load(LoadImagesLibrary()));
        std::map<int, int> listed;
        for (const auto& group : catalogue.Groups()) {
            for (int i = 0; i < group->Count(); ++i) {
                ++listed[group->GetBlock(i)->ID];
            }
        }
        QCOMPARE(listed.size(), engineKinds.size());
        for (const auto& [id, count] : listed) {
            QVERIFY2(engineKinds.contains(id), qPrintable(QString::number(id)));
            QCOMPARE(count, 1);
        }

        // Stubs on the picture where the engine block takes inputs or gives an output.
        const QRgb magenta = qRgb(255, 0, 255);
        for (const auto& [id, shape] : engineKinds) {
            const QImage* picture = catalogue.GetBlockBitmap(id);
            QVERIFY(picture != nullptr);
            QVERIFY2((picture->pixel(0, 20) != magenta) == shape.inputs,
                     qPrintable(QString("inputs of %1").arg(id)));
            QVERIFY2((picture->pixel(59, 20) != magenta) == shape.output,
                     qPrintable(QString("output of %1").arg(id)));
        }
    }
};

QTEST_MAIN(TestCatalogueEngine)
#include "tst_catalogueengine.moc"
