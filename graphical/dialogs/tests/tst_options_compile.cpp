// The compile and download dialog on real projects: the worker compiles through the engine,
// loads tables, downloads over a pseudo-terminal to the simulated unit behind "COM1", and is
// cancelled with the dialog's button.
#include <QButtonGroup>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "framework/utils.h"
#include "graphical/dialogs/compilerstatus.h"
#include "graphical/dialogs/environoptiondlg.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/model/simulatoriostate.h"
#include "graphical/tests/projectfixture.h"
#include "platform/qt/dialogs.h"
#include "platform/settings.h"

// The graphical tests link only the program's units, so the simulated unit is built in here.
#include "engine/download/simulated_unit.cpp"

using namespace fixture;

namespace {

const std::string PortsKey = "SOFTWARE\\Mirelt Electronic\\Tavrissel\\Ports";

TLines CellLines(int number, const std::string& name, const std::vector<BlockSpec>& blocks) {
    std::vector<TLines> parts;
    for (const BlockSpec& block : blocks)
        parts.push_back(GraphBlock(block));
    TLines lines = {"#CELL_START"};
    const TLines cell = Cell(number, name, parts);
    lines.insert(lines.end(), cell.begin(), cell.end());
    lines.push_back("#CELL_END");
    lines.push_back("");
    return lines;
}

enum class Fault { None, EmptyJump, UnknownTarget };

// Two cells writing 1 and 2 to D/A port 1; with a table when tableLine is given. A faulty
// second cell jumps nowhere (the compile fails at that block) or to a cell that does not
// exist (the code cannot be finished).
QByteArray ProjectText(const std::string& tableLine = {}, Fault fault = Fault::None) {
    TLines lines = {"MIRELT Tavrissel plus - project file", "Version=1.0",
                    tableLine.empty() ? "2" : "3", ""};
    if (!tableLine.empty()) {
        for (const std::string& line : {std::string("#TABLE_START"), std::string("Name=Kurve"),
                                        tableLine, std::string("#TABLE_END"), std::string()})
            lines.push_back(line);
    }
    const BlockSpec one{Id(1, 1), 700, {"1"}, {}};
    const BlockSpec toDa{Id(1, 2), 104, {"1"}, {Id(1, 1)}};
    const BlockSpec two{Id(2, 1), 700, {"2"}, {}};
    const BlockSpec toDa2{Id(2, 2), 104, {"1"}, {Id(2, 1)}};
    std::vector<BlockSpec> second = {two, toDa2};
    if (fault == Fault::EmptyJump)
        second.push_back({Id(2, 3), 1000, {}, {}});
    if (fault == Fault::UnknownTarget)
        second.push_back({Id(2, 3), 1000, {"Nirgends"}, {}});
    for (const TLines& cell : {CellLines(1, "Eins", {one, toDa}), CellLines(2, "Zwei", second)})
        lines.insert(lines.end(), cell.begin(), cell.end());
    return Join(lines);
}

QColor TextColor(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

// What the dialog showed when it finished.
struct Outcome {
    int result = -1;
    QString action;
    QString status1;
    QString status2;
    QColor status1Color;
    QColor status2Color;
    QString buttonText;
    int progress = -1;
};

} // namespace

class TestCompileDialog : public QObject {
    Q_OBJECT

    QTemporaryDir workDir_;
    QTemporaryDir configDir_;
    std::unique_ptr<TQuendalModel> model_;
    NotificationRecorder view_;

    void Load(const QByteArray& text) {
        view_.SetModel(nullptr);
        model_ = std::make_unique<TQuendalModel>();
        const QString path = workDir_.filePath("Anlage.mtp");
        QVERIFY(WriteFile(path, text));
        QVERIFY(model_->LoadFromFile(path));
        view_.SetModel(model_.get());
        view_.events.clear();
    }

    // Runs the dialog modally; tick runs every few milliseconds while it is up, and the
    // finished dialog's "OK" is clicked once its labels have been taken.
    Outcome Run(bool download, const std::function<void(TCompilerForm&)>& tick = {}) {
        Outcome outcome;
        auto form = std::make_unique<TCompilerForm>();
        form->DownloadAfterCompile = download;
        form->SetModel(model_.get());
        QTimer timer;
        timer.setInterval(2);
        TCompilerForm* dialog = form.get();
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (tick)
                tick(*dialog);
            if (dialog->ThreadFinished && dialog->isVisible() &&
                QApplication::activeModalWidget() == dialog) {
                outcome.action = dialog->lAction->text();
                outcome.status1 = dialog->lStatus1->text();
                outcome.status2 = dialog->lStatus2->text();
                outcome.status1Color = TextColor(dialog->lStatus1);
                outcome.status2Color = TextColor(dialog->lStatus2);
                outcome.buttonText = dialog->bClose->text();
                outcome.progress = dialog->ctrlProgress->value();
                QTest::mouseClick(dialog->bClose, Qt::LeftButton);
            }
        });
        timer.start();
        outcome.result = form->exec();
        timer.stop();
        form.reset();
        return outcome;
    }

private slots:
    void initTestCase() {
        // The ports are found through the user's store: keep it in a folder of the test.
        qputenv("XDG_CONFIG_HOME", configDir_.path().toUtf8());
        QVERIFY(LoadBlockCatalogue());
        QVERIFY(QDir::setCurrent(workDir_.path()));
    }

    void cleanupTestCase() {
        view_.SetModel(nullptr);
        model_.reset();
        FreeBlockCatalogue();
    }

    void init() {
        SimulatorIoState = TSimulatorIoState();
        AutoTiming = true;
        SimulatedBeep = true;
        ApplicationBoard = false;
        COM = -1;
    }

    void withoutModelTellsAndCloses() {
        platform::DialogRecorder recorder;
        TCompilerForm form;
        QCOMPARE(form.exec(), int(QDialog::Rejected));
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes()[0].text, QStringLiteral("Interner Fehler: Model nicht gesetzt!"));
        QVERIFY(!form.ThreadStarted);
    }

    void compileOnlyWithoutTables() {
        Load(ProjectText());
        platform::DialogRecorder recorder;
        TCompilerForm probe;
        probe.SetModel(model_.get());
        QCOMPARE(probe.lProject->text(), QStringLiteral("Projekt: Anlage"));
        probe.SetModel(nullptr);

        const Outcome outcome = Run(false);
        QCOMPARE(outcome.result, int(QDialog::Accepted));
        // The table step would have replaced the action before "fertig".
        QCOMPARE(outcome.action, QStringLiteral("Compiliere...fertig"));
        const int length = MoltraneGetCodeLength(model_->Engine);
        QVERIFY(length > 0);
        QCOMPARE(outcome.status1, QStringLiteral("Programml\u00E4nge %1 bytes").arg(length));
        QCOMPARE(outcome.status1Color, QColor(Qt::black));
        QCOMPARE(outcome.buttonText, QStringLiteral("OK"));
        QCOMPARE(outcome.progress, 100);
        QCOMPARE(recorder.Beeps(), std::vector<platform::BeepKind>{platform::BeepKind::Asterisk});
        QVERIFY(recorder.Boxes().empty());
        QCOMPARE(model_->SimState, ssReady);
        QCOMPARE(model_->CurrentItem, -1);
        QCOMPARE(view_.DataOf(nmCurrentItem), (std::vector<NotifyData>{0, 1}));
    }

    // Over a main window away from the middle, the dialog opens in the middle of the screen.
    void opensInTheMiddleOfTheScreen() {
        Load(ProjectText());
        platform::DialogRecorder recorder;
        QWidget owner;
        owner.setGeometry(10, 10, 200, 150);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        TCompilerForm form(&owner);
        form.SetModel(model_.get());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QPoint offCentre =
            form.frameGeometry().center() - owner.screen()->geometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 2,
                 qPrintable(QString("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
        QTRY_VERIFY(form.ThreadFinished);
        QTest::mouseClick(form.bClose, Qt::LeftButton);
        QVERIFY(!form.isVisible());
    }

    void compileErrorHandsTheBlockOver() {
        Load(ProjectText({}, Fault::EmptyJump));
        platform::DialogRecorder recorder;
        const Outcome outcome = Run(false);
        QCOMPARE(outcome.result, int(QDialog::Accepted));
        QCOMPARE(outcome.action, QStringLiteral("Fertig"));
        const QString engineText = QString::fromLatin1(MoltraneGetErrorMessage(model_->Engine));
        QVERIFY(!engineText.isEmpty());
        QCOMPARE(outcome.status1, engineText);
        QCOMPARE(outcome.status1Color, QColor(Qt::red));
        QCOMPARE(recorder.Beeps(),
                 std::vector<platform::BeepKind>{platform::BeepKind::Exclamation});
        QCOMPARE(model_->CurrentItem, Id(2, 3));
        QCOMPARE(model_->SimState, ssChanged);
    }

    void unfinishedCodeNamesNoBlock() {
        Load(ProjectText({}, Fault::UnknownTarget));
        model_->SetCompiled(true);
        platform::DialogRecorder recorder;
        const Outcome outcome = Run(false);
        QCOMPARE(outcome.action, QStringLiteral("Fertig"));
        QCOMPARE(outcome.status1, QString::fromLatin1(MoltraneGetErrorMessage(model_->Engine)));
        QCOMPARE(outcome.status1Color, QColor(Qt::red));
        QCOMPARE(model_->CurrentItem, 0);
        QCOMPARE(model_->SimState, ssChanged);
    }

    void tablesAreLoadedBeforeTheCodeIsDone() {
        Load(ProjectText("10 20 30"));
        platform::DialogRecorder recorder;
        const Outcome outcome = Run(false);
        QCOMPARE(outcome.action, QStringLiteral("Lade Tabellen...fertig"));
        QVERIFY(outcome.status1.startsWith(QStringLiteral("Programml\u00E4nge ")));
        QCOMPARE(model_->SimState, ssReady);
        model_->ReleaseTableData();
    }

    void aFailingTableStopsTheCompile() {
        Load(ProjectText("10 kein Wert"));
        model_->SetCompiled(true);
        platform::DialogRecorder recorder;
        const Outcome outcome = Run(false);
        QCOMPARE(outcome.result, int(QDialog::Accepted));
        QCOMPARE(outcome.action, QStringLiteral("Lade Tabellen..."));
        const QString engineText = QString::fromLatin1(MoltraneGetErrorMessage(model_->Engine));
        QVERIFY(!engineText.isEmpty());
        QCOMPARE(outcome.status1, engineText);
        QCOMPARE(outcome.status1Color, QColor(Qt::red));
        QCOMPARE(recorder.Beeps(),
                 std::vector<platform::BeepKind>{platform::BeepKind::Exclamation});
        QCOMPARE(model_->CurrentItem, -1);
        model_->ReleaseTableData();
    }

    void downloadReachesTheUnit() {
        Load(ProjectText());
        quendal::PseudoTerminal pty;
        QVERIFY(pty.isOpen());
        platform::Settings::user().writeString(PortsKey, "COM1", pty.slavePath());
        quendal::SimulatedUnit unit(pty.master());
        unit.start();
        COM = 1;
        platform::DialogRecorder recorder;
        const Outcome outcome = Run(true);
        unit.stop();
        QCOMPARE(outcome.result, int(QDialog::Accepted));
        QCOMPARE(outcome.action, QStringLiteral("\u00DCbertrage in Tavrissel-Unit...fertig"));
        const int length = MoltraneGetCodeLength(model_->Engine);
        QCOMPARE(int(unit.protocol().program().size()), length);
        QVERIFY(outcome.status1.contains(QString::number(length)));
        QCOMPARE(outcome.status2, QStringLiteral("%1 bytes \u00FCbertragen").arg(length));
        QCOMPARE(outcome.status2Color, QColor(Qt::black));
        QCOMPARE(recorder.Beeps(), std::vector<platform::BeepKind>{platform::BeepKind::Asterisk});
        // The port was closed again: it opens once more.
        platform::SerialHandle again = platform::SerialOpen("COM1");
        QVERIFY(again);
        platform::SerialClose(again);
    }

    void progressFollowsTheDownload() {
        Load(ProjectText());
        quendal::PseudoTerminal pty;
        platform::Settings::user().writeString(PortsKey, "COM1", pty.slavePath());
        quendal::SimulatedUnit unit(pty.master());
        // Halfway through the code the unit waits until the bar has shown it.
        std::atomic<bool> shownHalfway{false};
        unit.setByteHook([&](const quendal::UnitProtocol& protocol) {
            if (protocol.announcedLength() == 0 ||
                protocol.program().size() != protocol.announcedLength() / 2)
                return;
            for (int i = 0; i < 60000 && !shownHalfway; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        unit.start();
        COM = 1;
        platform::DialogRecorder recorder;
        const Outcome outcome = Run(true, [&](TCompilerForm& dialog) {
            const int value = dialog.ctrlProgress->value();
            if (dialog.lAction->text().startsWith(QStringLiteral("\u00DCbertrage")) && value > 0 &&
                value < 100)
                shownHalfway = true;
        });
        unit.stop();
        QVERIFY(MoltraneGetCodeLength(model_->Engine) >= 4);
        QVERIFY(shownHalfway);
        QVERIFY(outcome.status2.endsWith(QStringLiteral("bytes \u00FCbertragen")));
        QCOMPARE(outcome.progress, 100);
    }

    void silentUnitIsReported() {
        Load(ProjectText());
        quendal::PseudoTerminal pty;
        platform::Settings::user().writeString(PortsKey, "COM1", pty.slavePath());
        quendal::SimulatedUnitOptions options;
        options.silent = true;
        quendal::SimulatedUnit unit(pty.master(), options);
        unit.start();
        COM = 1;
        platform::DialogRecorder recorder;
        const Outcome outcome = Run(true);
        unit.stop();
        QCOMPARE(outcome.action, QStringLiteral("\u00DCbertrage in Tavrissel-Unit...abgebrochen"));
        QCOMPARE(outcome.status2, QStringLiteral("Die Tavrissel-Unit antwortet nicht!"));
        QCOMPARE(outcome.status2Color, QColor(Qt::red));
        QCOMPARE(recorder.Beeps(),
                 std::vector<platform::BeepKind>{platform::BeepKind::Exclamation});
    }

    void wrongEchoIsReported() {
        Load(ProjectText());
        quendal::PseudoTerminal pty;
        platform::Settings::user().writeString(PortsKey, "COM1", pty.slavePath());
        quendal::SimulatedUnitOptions options;
        options.wrongEchoAt = 3;
        quendal::SimulatedUnit unit(pty.master(), options);
        unit.start();
        COM = 1;
        platform::DialogRecorder recorder;
        const Outcome outcome = Run(true);
        unit.stop();
        QCOMPARE(outcome.status2, QStringLiteral("Es trat ein \u00DCbertragungsfehler auf!"));
    }

    void cancelDuringDownload() {
        Load(ProjectText());
        quendal::PseudoTerminal pty;
        platform::Settings::user().writeString(PortsKey, "COM1", pty.slavePath());
        quendal::SimulatedUnit unit(pty.master());
        // The unit holds its first answer until the test has pressed the button. The button is
        // pressed only once a byte has come: the download starts by clearing the break flag.
        std::atomic<bool> cancelled{false}, holding{false};
        unit.setByteHook([&](const quendal::UnitProtocol&) {
            holding = true;
            for (int i = 0; i < 60000 && !cancelled; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        unit.start();
        COM = 1;
        platform::DialogRecorder recorder;
        bool stayedOpen = false;
        const Outcome outcome = Run(true, [&](TCompilerForm& dialog) {
            if (cancelled || !holding ||
                !dialog.lAction->text().startsWith(QStringLiteral("\u00DCbertrage")))
                return;
            QTest::keyClick(&dialog, Qt::Key_Escape);
            dialog.close();
            stayedOpen = dialog.isVisible();
            QCOMPARE(dialog.bClose->text(), QStringLiteral("Abbrechen"));
            QTest::mouseClick(dialog.bClose, Qt::LeftButton);
            stayedOpen = stayedOpen && dialog.isVisible();
            cancelled = true;
        });
        unit.stop();
        QVERIFY(cancelled);
        QVERIFY(stayedOpen);
        QCOMPARE(outcome.result, int(QDialog::Accepted));
        QCOMPARE(outcome.action, QStringLiteral("\u00DCbertrage in Tavrissel-Unit...abgebrochen"));
        QCOMPARE(outcome.status2,
                 QStringLiteral("Der Download wurde durch den Anwender abgebrochen!"));
        QCOMPARE(outcome.status2Color, QColor(Qt::red));
    }

    void unsetPortAsksForOneAndCancelEndsTheDialog() {
        Load(ProjectText());
        platform::DialogRecorder recorder;
        bool asked = false;
        const Outcome outcome = Run(true, [&](TCompilerForm&) {
            auto* options = qobject_cast<TEnvOptionDlg*>(QApplication::activeModalWidget());
            if (!options)
                return;
            asked = options->ComOnly() && !options->OKButton->isEnabled();
            QTest::mouseClick(options->CancelButton, Qt::LeftButton);
        });
        QVERIFY(asked);
        QCOMPARE(outcome.result, int(QDialog::Rejected));
        QCOMPARE(COM, -1);
        QCOMPARE(model_->SimState, ssChanged);
        QCOMPARE(model_->CurrentItem, -1);
    }

    void portChosenInTheOptionsIsUsed() {
        Load(ProjectText());
        quendal::PseudoTerminal pty;
        platform::Settings::user().writeString(PortsKey, "COM2", pty.slavePath());
        quendal::SimulatedUnit unit(pty.master());
        unit.start();
        platform::DialogRecorder recorder;
        const Outcome outcome = Run(true, [&](TCompilerForm&) {
            auto* options = qobject_cast<TEnvOptionDlg*>(QApplication::activeModalWidget());
            if (!options)
                return;
            QTest::mouseClick(options->RGComNumber->button(1), Qt::LeftButton);
            QTest::mouseClick(options->OKButton, Qt::LeftButton);
        });
        unit.stop();
        QCOMPARE(COM, 2);
        QCOMPARE(outcome.result, int(QDialog::Accepted));
        QCOMPARE(int(unit.protocol().program().size()), MoltraneGetCodeLength(model_->Engine));
    }

    void missingPortIsReportedAndNothingCompiles() {
        Load(ProjectText());
        platform::Settings::user().writeString(PortsKey, "COM3",
                                               workDir_.filePath("kein-geraet").toStdString());
        COM = 3;
        platform::DialogRecorder recorder;
        const Outcome outcome = Run(true);
        QCOMPARE(outcome.result, int(QDialog::Rejected));
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        // The device behind the name and the system's reason, in German.
        QCOMPARE(recorder.Boxes()[0].text,
                 QStringLiteral("Fehler beim \u00D6ffnen der Schnittstelle COM3: %1: Datei oder "
                                "Verzeichnis nicht gefunden")
                     .arg(workDir_.filePath("kein-geraet")));
        QCOMPARE(model_->SimState, ssChanged);
    }
};

QTEST_MAIN(TestCompileDialog)
#include "tst_options_compile.moc"
