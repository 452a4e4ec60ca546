// The example projects shipped with the program: each loads, compiles and shows its effect
// when run; and the whole way a user takes through the main window with one of them.
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "framework/winregistry.h"
#include "graphical/dialogs/compilerstatus.h"
#include "graphical/editors/cellform.h"
#include "graphical/mainwindow/projectcontroller.h"
#include "graphical/mainwindow/tavrisselform.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/model/simulatoriostate.h"
#include "graphical/simwindows/dportfrm.h"
#include "platform/qt/dialogs.h"

namespace {

QString ExampleFile(const char* name) {
    return QStringLiteral(TAVRISSEL_SOURCE_DIR "/examples/quendal/") + QLatin1String(name);
}

QByteArray ReadAll(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The level of the byte port's eight lines as one number.
int PortByte() {
    int value = 0;
    for (int line = 0; line < 8; ++line)
        if (SimulatorIoState.PortLevel[size_t(line)])
            value |= 1 << line;
    return value;
}

// Runs the model's compiler as the compile dialog's worker does.
bool Compile(TQuendalModel& model) {
    const bool ok = model.LoadTablesIntoEngine() && MoltraneCompilerInit(model.Engine) == 1 &&
                    MoltraneCompile(model.Engine) == 0 && MoltraneCompilerDone(model.Engine) == 1;
    model.ReleaseTableData();
    model.SetCompiled(ok);
    if (!ok)
        qWarning("compile: %s", MoltraneGetErrorMessage(model.Engine));
    return ok;
}

// One step: the simulation runs up to the next cell and stops there.
void StepCell(TQuendalModel& model) {
    model.DoSimCommand(cmStep);
    for (int batches = 0; batches < 100 && model.SimState != ssStopped; ++batches)
        if (!model.Step())
            break;
}

} // namespace

class TestIntegrationExamples : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void examplesAreWindowsTextWithCrLf_data();
    void examplesAreWindowsTextWithCrLf();
    void wiresRunFromOutputToInput_data();
    void wiresRunFromOutputToInput();
    void runningLightWalksOverTheBytePort();
    void adderSendsTheSumToTheConverterAndTheTerminal();
    void userOpensCompilesAndRunsAnExampleInTheMainWindow();

private:
    QTemporaryDir dir_;
};

void TestIntegrationExamples::initTestCase() {
    QVERIFY(dir_.isValid());
    qputenv("XDG_CONFIG_HOME", (dir_.path() + QStringLiteral("/config")).toLocal8Bit());
    QVERIFY(QDir::setCurrent(dir_.path()));
    QVERIFY(LoadBlockCatalogue());
}

void TestIntegrationExamples::init() {
    SimulatorIoState = TSimulatorIoState();
    AutoTiming = false;
    SimOptionsChanged = true;
}

void TestIntegrationExamples::examplesAreWindowsTextWithCrLf_data() {
    QTest::addColumn<QString>("file");
    QTest::newRow("Lauflicht") << ExampleFile("Lauflicht.mtp");
    QTest::newRow("Addierer") << ExampleFile("Addierer.mtp");
}

void TestIntegrationExamples::examplesAreWindowsTextWithCrLf() {
    QFETCH(QString, file);
    const QByteArray data = ReadAll(file);
    QVERIFY(!data.isEmpty());
    QVERIFY(data.endsWith("\r\n"));
    QCOMPARE(data.count('\n'), data.count("\r\n"));
    // The German comment is Windows-1252, not UTF-8.
    QVERIFY(data.contains('\xE4') || data.contains('\xF6') || data.contains('\xFC'));
    QVERIFY(!data.contains("\xC3"));
}

void TestIntegrationExamples::wiresRunFromOutputToInput_data() {
    examplesAreWindowsTextWithCrLf_data();
}

// Each wire starts on its source's edge and ends on its block's edge, where drawing one puts
// its ends.
void TestIntegrationExamples::wiresRunFromOutputToInput() {
    QFETCH(QString, file);
    platform::DialogRecorder recorder;
    TQuendalModel model;
    QVERIFY(model.LoadFromFile(file));
    // The pins themselves, not their nearest grid points.
    const bool aligned = CellDisplay().CellAlignAtGrid;
    CellDisplay().CellAlignAtGrid = false;
    const auto restore = qScopeGuard([aligned] { CellDisplay().CellAlignAtGrid = aligned; });
    int wires = 0;
    for (int c = 0; c < model.CellCount(); ++c) {
        const TBlockList* cell = model.GetCell(c);
        for (int b = 0; b < cell->Count(); ++b) {
            const TBlock* block = cell->Get(b);
            for (int input = 0; input < MaxInputs; ++input) {
                const TInputLine* wire = block->GetInput(input);
                if (!wire)
                    continue;
                ++wires;
                const TBlock* source = cell->FindBlock(wire->SourceId);
                QVERIFY(source && source->ID == wire->SourceId);
                QVERIFY(wire->PointCount >= 2);
                const int last = wire->PointCount - 1;
                const QByteArray where =
                    QByteArray::number(block->ID) + " input " + QByteArray::number(input);
                QVERIFY2(wire->GetPoint(0) == ConnectionPoint(source->Rect, wire->GetPoint(1)),
                         where.constData());
                QVERIFY2(wire->GetPoint(last) ==
                             ConnectionPoint(block->Rect, wire->GetPoint(last - 1)),
                         where.constData());
            }
        }
    }
    QVERIFY(wires > 0);
    QVERIFY(recorder.Boxes().empty());
}

void TestIntegrationExamples::runningLightWalksOverTheBytePort() {
    platform::DialogRecorder recorder;
    TQuendalModel model;
    QVERIFY(model.LoadFromFile(ExampleFile("Lauflicht.mtp")));
    QCOMPARE(model.CellCount(), 8);
    QVERIFY(Compile(model));
    StepCell(model); // to the first cell
    std::vector<int> seen;
    for (int i = 0; i < 10; ++i) {
        StepCell(model);
        seen.push_back(PortByte());
    }
    // One line at a time, from line 1 to line 8 and round again.
    QCOMPARE(seen, (std::vector<int>{1, 2, 4, 8, 16, 32, 64, 128, 1, 2}));
    QVERIFY(recorder.Boxes().empty());
}

void TestIntegrationExamples::adderSendsTheSumToTheConverterAndTheTerminal() {
    platform::DialogRecorder recorder;
    TQuendalModel model;
    QVERIFY(model.LoadFromFile(ExampleFile("Addierer.mtp")));
    QVERIFY(Compile(model));
    SimulatorIoState.AnalogIn[0] = 30;
    SimulatorIoState.AnalogIn[1] = 12;
    SimulatorIoState.AnalogInChanged[0] = SimulatorIoState.AnalogInChanged[1] = true;
    StepCell(model);
    StepCell(model);
    QCOMPARE(int(SimulatorIoState.AnalogOut[0]), 42);

    SimulatorIoState.AnalogIn[1] = 100;
    SimulatorIoState.AnalogInChanged[1] = true;
    StepCell(model);
    StepCell(model);
    QCOMPARE(int(SimulatorIoState.AnalogOut[0]), 130);
    // Each sum stands on a line of its own, and the next one starts empty.
    QStringList terminal;
    for (int i = 0; i < model.TerminalLineCount(); ++i)
        terminal << QString::fromStdString(model.GetTerminalLine(i));
    const QString shown = terminal.join(u'|');
    QVERIFY2(terminal.size() >= 3 && terminal.back().isEmpty(), qPrintable(shown));
    terminal.removeLast();
    QVERIFY2(terminal.filter(QRegularExpression(QStringLiteral("^(42|130)$"))) == terminal,
             qPrintable(shown));
    QVERIFY2(terminal.contains(QStringLiteral("42")) && terminal.contains(QStringLiteral("130")),
             qPrintable(shown));
    QVERIFY(recorder.Boxes().empty());
}

void TestIntegrationExamples::userOpensCompilesAndRunsAnExampleInTheMainWindow() {
    platform::DialogRecorder recorder;
    TWinRegistry(QLatin1String(MainRegistryKey))
        .WriteBool(QStringLiteral("ProjectWindow"), QStringLiteral("AutoOpenFirstCell"), false);
    DesktopFileName = dir_.filePath(QStringLiteral("quendal.DSK"));
    // A copy, so that running leaves the shipped file alone.
    const QString project = dir_.filePath(QStringLiteral("Lauflicht.mtp"));
    QVERIFY(QFile::copy(ExampleFile("Lauflicht.mtp"), project));

    auto form = std::make_unique<TTavrisselForm>();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QVERIFY(form->OpenProject(project));
    form->Controller()->OpenCell(1);
    auto* cell = form->MdiArea()->findChild<TProgramCellForm*>();
    QVERIFY(cell);
    QCOMPARE(cell->GetCellNumber(), 1);

    // The real compile dialog; it is closed once its worker is done.
    bool closed = false;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<TCompilerForm*>(QApplication::activeModalWidget());
        if (dialog && dialog->ThreadFinished && dialog->bClose->isEnabled()) {
            QTest::mouseClick(dialog->bClose, Qt::LeftButton);
            closed = true;
        }
    });
    closer.start(10);
    form->EnableButtons();
    QToolButton* compile = form->CommandButton(cmCompile);
    QVERIFY(compile->isEnabled());
    QTest::mouseClick(compile, Qt::LeftButton);
    closer.stop();
    QVERIFY(closed);
    QVERIFY(recorder.Boxes().empty());

    TDigitalPortForm* ports = ShowDigitalPortWindow(form.get(), false);
    QVERIFY(ports);
    QVERIFY(QTest::qWaitForWindowExposed(ports));
    auto ledColour = [&](int port) {
        return ports->grab().toImage().pixelColor(TDigitalPortForm::LedRect(port).center());
    };

    // Single steps from the tool bar: the first reaches cell 1, the next runs it.
    for (int i = 0; i < 3; ++i) {
        form->EnableButtons();
        QToolButton* step = form->CommandButton(cmStep);
        QVERIFY(step->isEnabled());
        QTest::mouseClick(step, Qt::LeftButton);
        for (int idle = 0; idle < 100 && form->Model()->SimState != ssStopped; ++idle)
            form->AppIdle();
    }
    QCOMPARE(PortByte(), 2);
    ports->UpdateDigitalPorts();
    // Line 2 lit, its neighbours dark.
    QVERIFY(ledColour(2) != ledColour(1));
    QCOMPARE(ledColour(1), ledColour(3));
    QVERIFY(recorder.Boxes().empty());
}

QTEST_MAIN(TestIntegrationExamples)
#include "tst_integration_examples.moc"
