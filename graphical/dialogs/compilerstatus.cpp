#include "graphical/dialogs/compilerstatus.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "framework/dialogs/dialogplacement.h"
#include "framework/utils.h"
#include "graphical/dialogs/environoptiondlg.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/model/simulatoriostate.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/failure.h"

namespace {

enum TCompileState {
    csDone = 0,
    csCompiling = 1,
    csLoadTables = 2,
    csDownloading = 3,
    csCompiled = 4,
    csFailed = 5,
    csDownloaded = 6,
    csCancelled = 7,
};

constexpr int StartDelayMs = 100;
constexpr int ProgressIntervalMs = 50;

void SetLine(QLabel* label, bool isError, const QString& text) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, isError ? Qt::red : Qt::black);
    label->setPalette(palette);
    label->setText(text);
    label->repaint();
}

QString EngineError(EngineHandle engine) {
    const char* message = MoltraneGetErrorMessage(engine);
    return message ? platform::AnsiToQString(std::string(message)) : QString();
}

} // namespace

TQuendalCompileThread::TQuendalCompileThread(TCompilerForm* form, TQuendalModel* model,
                                             bool download, platform::SerialHandle port)
    : form_(form), model_(model), download_(download), port_(port) {
    connect(this, &QThread::finished, this, &QObject::deleteLater);
}

void TQuendalCompileThread::Report(int state) {
    State = state;
    QMetaObject::invokeMethod(
        form_, [this, state] { form_->ThreadReport(this, state); }, Qt::BlockingQueuedConnection);
}

void TQuendalCompileThread::run() {
    const EngineHandle engine = model_->Engine;
    Report(csCompiling);
    if (MoltraneCompilerInit(engine) == 0) {
        Report(csFailed);
        return;
    }
    Result = MoltraneCompile(engine);
    if (Result != 0) {
        Report(csFailed);
        return;
    }
    if (isInterruptionRequested()) {
        Report(csCancelled);
        return;
    }
    if (model_->TableCount() > 0) {
        Report(csLoadTables);
        // A table failed: the dialog has told the user and finished.
        if (isInterruptionRequested())
            return;
    }
    if (MoltraneCompilerDone(engine) == 0) {
        Report(csFailed);
        return;
    }
    Report(csCompiled);
    if (isInterruptionRequested()) {
        Report(csCancelled);
        return;
    }
    if (download_) {
        Report(csDownloading);
        Result = MoltraneDownload(engine, reinterpret_cast<void*>(static_cast<intptr_t>(
                                              platform::SerialDescriptor(port_))));
        Report(csDownloaded);
        // A failed download has finished the dialog; nothing is reported after Finish.
        if (Result < 1)
            return;
    }
    if (isInterruptionRequested()) {
        Report(csCancelled);
        return;
    }
    Report(csDone);
}

TCompilerForm::TCompilerForm(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Compilieren"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto framed = [this](QLabel*& label, const QString& text) {
        auto* bevel = new QFrame(this);
        bevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        auto* layout = new QVBoxLayout(bevel);
        layout->setContentsMargins(4, 2, 4, 2);
        label = new QLabel(text, bevel);
        layout->addWidget(label);
        return bevel;
    };
    QFrame* bevel1 = framed(lProject, QStringLiteral("Projekt:"));
    QFrame* bevel2 = framed(lAction, QStringLiteral("Compiliere Projekt"));

    ProgressBevel = new QFrame(this);
    ProgressBevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ProgressBevel->hide();
    ctrlProgress = new QProgressBar(this);
    ctrlProgress->setRange(0, 100);
    ctrlProgress->setValue(0);
    lStatus1 = new QLabel(this);
    lStatus2 = new QLabel(this);
    bClose = new QPushButton(QStringLiteral("Abbrechen"), this);
    bClose->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bevel1);
    layout->addWidget(bevel2);
    layout->addWidget(ctrlProgress);
    layout->addWidget(lStatus1);
    layout->addWidget(lStatus2);
    layout->addWidget(bClose, 0, Qt::AlignHCenter);

    // The client area of the original layout, grown where the fonts here need more room.
    setFixedSize(sizeHint().expandedTo(QSize(396, 177)));
    CenterOnScreen(this, owner);

    ThreadTimer = new QTimer(this);
    ThreadTimer->setInterval(StartDelayMs);
    ConnectCommand(ThreadTimer, this, &TCompilerForm::ThreadTimerTimer);
    ConnectCommand(bClose, this, &TCompilerForm::bCloseClick);
}

TCompilerForm::~TCompilerForm() {
    ThreadTimer->stop();
    // Past Finish the worker reports nothing more; let it leave run() before its dialog goes.
    if (worker_)
        worker_->wait();
    if (ComHandle) {
        platform::SerialClose(ComHandle);
        ComHandle = nullptr;
    }
    if (Model)
        Model->SetCurrentItem(ErrorItem);
}

void TCompilerForm::SetModel(TQuendalModel* model) {
    Model = model;
    lProject->setText(QStringLiteral("Projekt: %1").arg(model ? model->GetDisplayName() : ""));
}

void TCompilerForm::SetAction(const QString& text) {
    lAction->setText(text);
    lAction->repaint();
}

void TCompilerForm::AppendAction(const QString& text) {
    SetAction(lAction->text() + text);
}

void TCompilerForm::SetStatus1(bool isError, const QString& text) {
    SetLine(lStatus1, isError, text);
}

void TCompilerForm::SetStatus2(bool isError, const QString& text) {
    SetLine(lStatus2, isError, text);
}

void TCompilerForm::Finish() {
    Thread = nullptr;
    ThreadFinished = true;
    ThreadTimer->stop();
    bClose->setText(QStringLiteral("OK"));
    closeAsOk_ = true;
    if (ComHandle) {
        platform::SerialClose(ComHandle);
        ComHandle = nullptr;
    }
    repaint();
}

void TCompilerForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!Model) {
        ShowError(QStringLiteral("Interner Fehler: Model nicht gesetzt!"));
        // Closed once the modal loop runs; closing inside the show would leave it waiting.
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return;
    }
    // Shown again (restored) after the end: nothing more to watch.
    if (!ThreadFinished)
        ThreadTimer->start();
}

void TCompilerForm::done(int result) {
    if (!CanClose())
        return;
    QDialog::done(result);
}

void TCompilerForm::closeEvent(QCloseEvent* event) {
    if (!CanClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TCompilerForm::ThreadTimerTimer() {
    if (ThreadStarted) {
        ShowProgress();
        return;
    }
    ThreadTimer->stop();
    if (DownloadAfterCompile) {
        if (COM <= 0) {
            TEnvOptionDlg options(this);
            options.SetAutoTiming(AutoTiming);
            options.SetCOM(COM);
            options.SetComOnly(true);
            if (!options.Execute(this)) {
                reject();
                return;
            }
            COM = options.GetCOM();
            ::SetAutoTiming(options.GetAutoTiming());
        }
        if (COM <= 0)
            return;
        const QString portName = QStringLiteral("COM%1").arg(COM);
        ComHandle = platform::SerialOpen(portName.toStdString());
        if (!ComHandle) {
            // The device behind the name and the system's reason, not a bare error number.
            const QString reason = QString::fromStdString(platform::SerialLastError());
            const QString device =
                QString::fromStdString(platform::SerialDevicePath(portName.toStdString()));
            ShowError(QStringLiteral("Fehler beim \u00D6ffnen der Schnittstelle %1: %2: %3")
                          .arg(portName, device, reason));
            reject();
            return;
        }
    }
    StartWorker();
}

void TCompilerForm::StartWorker() {
    // The compile takes the board and its options from the engine.
    Model->SendEngineOptions();
    try {
        Thread = new TQuendalCompileThread(this, Model, DownloadAfterCompile, ComHandle);
    } catch (const std::bad_alloc&) {
        ShowError(QStringLiteral("Fehler bei Erzeugung des sekund\u00E4ren Threads!"));
        // Nothing runs: the button closes the dialog.
        closeAsOk_ = false;
        return;
    }
    worker_ = Thread;
    ThreadStarted = true;
    Thread->start();
    ThreadTimer->setInterval(ProgressIntervalMs);
    ThreadTimer->start();
}

// A full bar means success: only the final report fills it.
void TCompilerForm::ShowProgress() {
    ctrlProgress->setValue(std::min(MoltraneGetProgress(Model->Engine), 99));
}

void TCompilerForm::ThreadReport(TQuendalCompileThread* thread, int state) {
    // A step may end between two polls; the bar shows where the engine stands now.
    ShowProgress();
    switch (state) {
    case csDone:
        ctrlProgress->setValue(100);
        platform::MessageBeep(platform::BeepKind::Asterisk);
        Finish();
        break;
    case csCompiling:
        SetAction(QStringLiteral("Compiliere..."));
        break;
    case csLoadTables:
        SetAction(QStringLiteral("Lade Tabellen..."));
        LoadTables(thread);
        break;
    case csDownloading:
        SetAction(QStringLiteral("\u00DCbertrage in Tavrissel-Unit..."));
        break;
    case csCompiled:
        AppendAction(QStringLiteral("fertig"));
        SetStatus1(false, QStringLiteral("Programml\u00E4nge %1 bytes")
                              .arg(MoltraneGetCodeLength(Model->Engine)));
        Model->SetCompiled(true);
        break;
    case csFailed: {
        platform::MessageBeep(platform::BeepKind::Exclamation);
        SetAction(QStringLiteral("Fertig"));
        const QString message = EngineError(Model->Engine);
        SetStatus1(true, message.isEmpty() ? QStringLiteral("Interner Fehler!") : message);
        ErrorItem = thread->Result;
        Model->SetCompiled(false);
        Finish();
        break;
    }
    case csDownloaded:
        ShowDownloadResult(thread->Result);
        break;
    case csCancelled:
        Finish();
        break;
    }
}

void TCompilerForm::LoadTables(TQuendalCompileThread* thread) {
    if (Model->LoadTablesIntoEngine())
        return;
    SetStatus1(true, EngineError(Model->Engine));
    platform::MessageBeep(platform::BeepKind::Exclamation);
    Finish();
    thread->requestInterruption();
}

void TCompilerForm::ShowDownloadResult(int32_t result) {
    if (result >= 1) {
        AppendAction(QStringLiteral("fertig"));
        SetStatus2(false, QStringLiteral("%1 bytes \u00FCbertragen").arg(result));
        return;
    }
    AppendAction(QStringLiteral("abgebrochen"));
    switch (result) {
    case -2:
        SetStatus2(true, QStringLiteral("Es trat ein Fehler beim Schreiben auf die serielle "
                                        "Schnittstelle auf!"));
        break;
    case -3:
        SetStatus2(true, QStringLiteral("Die Tavrissel-Unit antwortet nicht!"));
        break;
    case -4:
        SetStatus2(true, QStringLiteral("Es trat ein \u00DCbertragungsfehler auf!"));
        break;
    case -5:
        SetStatus2(true, QStringLiteral("Der Download wurde durch den Anwender abgebrochen!"));
        break;
    default:
        break;
    }
    platform::MessageBeep(platform::BeepKind::Exclamation);
    Finish();
}

void TCompilerForm::bCloseClick() {
    if (Thread) {
        Thread->requestInterruption();
        MoltraneBreak(Model->Engine);
        return;
    }
    if (closeAsOk_)
        accept();
    else
        reject();
}
