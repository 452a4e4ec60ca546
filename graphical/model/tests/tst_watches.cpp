// The watch list: watches added for blocks, read from the simulator after a step, and edited
// within the range of the value's kind.
#include <QtTest>

#include "graphical/model/blockcatalogue.h"
#include "graphical/model/simulatoriostate.h"
#include "graphical/tests/edittestmodel.h"
#include "platform/qt/dialogs.h"

using namespace edittest;

namespace {

// A word, a byte and a bit variable set from constants, an A/D input, and a second cell.
QByteArray VariablesProject() {
    TLines lines = {"MIRELT Tavrissel plus - project file", "Version=1.0", "1", ""};
    const std::vector<TLines> cells = {
        Cell(1, "Werte",
             {GraphBlock({Id(1, 1), 700, {"1000"}, {}, 10, 10}),
              GraphBlock({Id(1, 2), 602, {"3"}, {Id(1, 1)}, 110, 10}),
              GraphBlock({Id(1, 3), 700, {"200"}, {}, 10, 70}),
              GraphBlock({Id(1, 4), 601, {"2"}, {Id(1, 3)}, 110, 70}),
              GraphBlock({Id(1, 5), 700, {"1"}, {}, 10, 130}),
              GraphBlock({Id(1, 6), 600, {"4"}, {Id(1, 5)}, 110, 130}),
              GraphBlock({Id(1, 7), 103, {"1"}, {}, 10, 190})}),
        Cell(2, "Ende", {GraphBlock({Id(2, 1), 700, {"0"}, {}, 10, 10})}),
    };
    for (const TLines& cell : cells)
        AppendCell(lines, cell);
    return Join(lines);
}

} // namespace

class TestWatches : public QObject {
    Q_OBJECT

    QTemporaryDir workDir_;
    std::unique_ptr<TestModel> model_;
    NotificationRecorder view_;
    QStringList answers_;

    bool Compile() {
        const bool ok =
            model_->LoadTablesIntoEngine() && MoltraneCompilerInit(model_->Engine) == 1 &&
            MoltraneCompile(model_->Engine) == 0 && MoltraneCompilerDone(model_->Engine) == 1;
        model_->ReleaseTableData();
        model_->SetCompiled(ok);
        return ok;
    }

    // Runs the first cell: one step to its marker, one through it.
    void RunFirstCell() {
        for (int i = 0; i < 2; ++i) {
            model_->DoSimCommand(cmStep);
            model_->Step();
        }
    }

private slots:
    void initTestCase() {
        QVERIFY(LoadBlockCatalogue());
        QVERIFY(QDir::setCurrent(workDir_.path()));
        TWatchEntry::InputQuery = [this](const QString& caption, const QString& prompt,
                                         const QString& value) -> std::optional<QString> {
            if (caption != QStringLiteral("Variable \xE4ndern") ||
                prompt != QStringLiteral("Geben Sie den neuen Wert ein:") || value.isEmpty())
                return QStringLiteral("wrong box");
            if (answers_.isEmpty() || answers_.front() == QStringLiteral("<cancel>")) {
                if (!answers_.isEmpty())
                    answers_.removeFirst();
                return std::nullopt;
            }
            return answers_.takeFirst();
        };
    }
    void cleanupTestCase() { FreeBlockCatalogue(); }
    void init() {
        SimulatorIoState = TSimulatorIoState();
        SimulatorWindows = TSimulatorWindows();
        model_ = LoadModel(VariablesProject());
        QVERIFY(model_);
        view_.SetModel(model_.get());
        view_.events.clear();
        answers_.clear();
    }
    void cleanup() {
        view_.SetModel(nullptr);
        model_.reset();
        TQuendalModel::ShowWatchWindow = nullptr;
        SimulatorWindows = TSimulatorWindows();
    }

    void watchesAreAddedOnceAndDeleted() {
        int shown = 0;
        TQuendalModel::ShowWatchWindow = [&shown](TQuendalModel*) { ++shown; };
        model_->AddWatch(Id(1, 2));
        model_->AddWatch(Id(1, 4));
        QCOMPARE(model_->WatchCount(), 2);
        QCOMPARE(model_->GetWatch(0)->Name, std::string("WORD[3]"));
        QCOMPARE(model_->GetWatch(1)->Name, std::string("BYTE[2]"));
        QCOMPARE(view_.DataOf(nmWatchAdded), (std::vector<NotifyData>{1, 2}));
        QCOMPARE(shown, 2);

        // The same value again selects the watch there is.
        model_->AddWatch(Id(1, 2));
        QCOMPARE(model_->WatchCount(), 2);
        QCOMPARE(view_.DataOf(nmWatchSelected), std::vector<NotifyData>{0});
        // A constant has no watchable value.
        model_->AddWatch(Id(1, 1));
        QCOMPARE(model_->WatchCount(), 2);
        QCOMPARE(shown, 2);

        model_->DeleteWatch(2);
        model_->DeleteWatch(-1);
        QCOMPARE(view_.Count(nmWatchDeleted), 0);
        model_->DeleteWatch(0);
        QCOMPARE(model_->WatchCount(), 1);
        QCOMPARE(model_->GetWatch(0)->Name, std::string("BYTE[2]"));
        QCOMPARE(view_.Count(nmWatchDeleted), 1);
    }

    void watchesReadTheSimulatorAfterAStep() {
        platform::DialogRecorder recorder;
        QVERIFY(Compile());
        for (int local : {2, 4, 6})
            model_->AddWatch(Id(1, local));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(model_->GetWatch(i)->Value, 0);
        RunFirstCell();
        QCOMPARE(model_->GetWatch(0)->Value, 1000);
        QCOMPARE(model_->GetWatch(1)->Value, 200);
        // A set bit: the engine answers it as a non-zero word.
        QVERIFY(model_->GetWatch(2)->Value != 0);
        QVERIFY(model_->GetWatch(0)->Changed);
        QCOMPARE(model_->GetWatch(0)->ValueText(), std::string("1000"));
        // Read again without a change: no longer marked.
        model_->GetWatch(0)->Refresh();
        QCOMPARE(model_->GetWatch(0)->Value, 1000);
        QVERIFY(!model_->GetWatch(0)->Changed);
    }

    void editedValuesStayInTheirKindsRange() {
        platform::DialogRecorder recorder;
        QVERIFY(Compile());
        for (int local : {2, 4, 6})
            model_->AddWatch(Id(1, local));
        TWatchEntry* word = model_->GetWatch(0);
        TWatchEntry* byte = model_->GetWatch(1);
        TWatchEntry* bit = model_->GetWatch(2);

        answers_ = {"300", "255", "2", "1", "70000", "-1", "65535", "1000"};
        QVERIFY(!byte->EditValue());
        QCOMPARE(byte->Value, 0);
        QCOMPARE(MoltraneGetValue(model_->Engine, byte->Code), 0);
        QVERIFY(byte->EditValue());
        QCOMPARE(MoltraneGetValue(model_->Engine, byte->Code), 255);
        QVERIFY(byte->Changed);
        QVERIFY(!bit->EditValue());
        QVERIFY(bit->EditValue());
        QVERIFY(MoltraneGetValue(model_->Engine, bit->Code) != 0);
        QVERIFY(!word->EditValue());
        QVERIFY(!word->EditValue());
        QCOMPARE(word->Value, 0);
        QVERIFY(word->EditValue());
        QCOMPARE(MoltraneGetValue(model_->Engine, word->Code), 65535);
        QVERIFY(word->EditValue());
        word->Refresh();
        QCOMPARE(word->Value, 1000);
        QCOMPARE(recorder.Boxes().size(), size_t(4));
        QCOMPARE(recorder.Boxes().front().text,
                 QStringLiteral("Der Wert muss zwischen 0 und 255 liegen!"));

        // Not a number: a beep; cancel and an unchanged value: nothing.
        recorder.Clear();
        answers_ = {"zehn", "<cancel>", "1000"};
        QVERIFY(!word->EditValue());
        QCOMPARE(recorder.Beeps(),
                 std::vector<platform::BeepKind>{platform::BeepKind::Exclamation});
        QVERIFY(!word->EditValue());
        QVERIFY(!word->EditValue());
        QCOMPARE(word->Value, 1000);
        QVERIFY(recorder.Boxes().empty());
    }

    void editingAnAnalogInputUpdatesThePortWindow() {
        platform::DialogRecorder recorder;
        QVERIFY(Compile());
        model_->AddWatch(Id(1, 7));
        QCOMPARE(model_->GetWatch(0)->Name, std::string("AD[1]"));
        int refreshes = 0;
        SimulatorWindows.AnalogPortRefresh = [&refreshes] { ++refreshes; };
        answers_ = {"77", "77"};
        QVERIFY(model_->GetWatch(0)->EditValue());
        QCOMPARE(SimulatorIoState.AnalogIn[0], uint8_t(77));
        QCOMPARE(refreshes, 1);
        QVERIFY(!model_->GetWatch(0)->EditValue());
        QCOMPARE(refreshes, 1);
    }
};

QTEST_MAIN(TestWatches)
#include "tst_watches.moc"
