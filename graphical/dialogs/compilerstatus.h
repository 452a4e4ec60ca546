// The compile and download dialog: a worker thread runs the engine's compile and download,
// reports every step to the dialog on the GUI thread, and can be cancelled.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QThread>

#include <atomic>
#include <cstdint>

#include "platform/serial.h"

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class TCompilerForm;
class TQuendalModel;

class TQuendalCompileThread : public QThread {
    Q_OBJECT

public:
    // Everything the worker uses is set here, before it runs.
    TQuendalCompileThread(TCompilerForm* form, TQuendalModel* model, bool download,
                          platform::SerialHandle port);

    int State = 0;
    int32_t Result = 0;

protected:
    void run() override;

private:
    // Hands the current state to the dialog and waits until the dialog has shown it.
    void Report(int state);

    TCompilerForm* form_;
    TQuendalModel* model_;
    bool download_;
    platform::SerialHandle port_;
};

class TCompilerForm : public QDialog {
    Q_OBJECT

public:
    explicit TCompilerForm(QWidget* owner = nullptr);
    ~TCompilerForm() override;

    void SetModel(TQuendalModel* model);

    void SetAction(const QString& text);
    void AppendAction(const QString& text);
    void SetStatus1(bool isError, const QString& text);
    void SetStatus2(bool isError, const QString& text);
    void Finish();
    // The worker's report, run on the GUI thread.
    void ThreadReport(TQuendalCompileThread* thread, int state);

    TQuendalModel* Model = nullptr;
    bool DownloadAfterCompile = false;
    bool ThreadStarted = false;
    bool ThreadFinished = false;
    QPointer<TQuendalCompileThread> Thread;
    platform::SerialHandle ComHandle = nullptr;
    int32_t ErrorItem = -1;

    QLabel* lProject = nullptr;
    QLabel* lAction = nullptr;
    QFrame* ProgressBevel = nullptr;
    QProgressBar* ctrlProgress = nullptr;
    QLabel* lStatus1 = nullptr;
    QLabel* lStatus2 = nullptr;
    QPushButton* bClose = nullptr;
    QTimer* ThreadTimer = nullptr;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void ThreadTimerTimer();
    void bCloseClick();

private:
    bool CanClose() const { return ThreadStarted == ThreadFinished; }
    void StartWorker();
    void ShowProgress();
    void LoadTables(TQuendalCompileThread* thread);
    void ShowDownloadResult(int32_t result);

    // The worker, also after Finish, so that the dialog outlives its last steps.
    QPointer<TQuendalCompileThread> worker_;
    bool closeAsOk_ = false;
};
