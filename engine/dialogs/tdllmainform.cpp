#include "engine/dialogs/tdllmainform.h"

#include "engine/dialogs/tleddlg.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>
#include <QScreen>
#include <QThread>

#include <algorithm>

namespace quendal {

namespace {

TDllMainForm* mainForm = nullptr;

// Runs while the QApplication is torn down, so the widgets go while the GUI still exists; a
// later QApplication gets a fresh form.
void DeleteMainForm() {
    delete mainForm;
    mainForm = nullptr;
}

// Unloading the library must not leave the application a routine that is no longer mapped.
struct Unload {
    ~Unload() {
        if (mainForm != nullptr && QCoreApplication::instance() != nullptr) {
            qRemovePostRoutine(DeleteMainForm);
            DeleteMainForm();
        }
    }
} unload;

} // namespace

TDllMainForm::TDllMainForm() {
    setWindowTitle(QStringLiteral("DllMainForm"));
    ledDialog_ = new TLEDDlg(this);
}

TDllMainForm* DllMainForm() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr || QThread::currentThread() != app->thread())
        return nullptr;
    if (mainForm == nullptr) {
        mainForm = new TDllMainForm;
        qAddPostRoutine(DeleteMainForm);
    }
    return mainForm;
}

QPushButton* AddOkCancel(QDialog& dialog, QBoxLayout& layout) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), &dialog);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout.addLayout(row);
    return ok;
}

int ExecDialog(QDialog& dialog) {
    QWidget* window = QApplication::activeWindow();
    if (window != nullptr && window != &dialog) {
        dialog.adjustSize();
        QRect frame(QPoint(), dialog.size());
        frame.moveCenter(window->frameGeometry().center());
        if (const QScreen* screen = window->screen()) {
            const QRect area = screen->availableGeometry();
            frame.moveLeft(std::clamp(frame.left(), area.left(),
                                      std::max(area.left(), area.right() - frame.width())));
            frame.moveTop(std::clamp(frame.top(), area.top(),
                                     std::max(area.top(), area.bottom() - frame.height())));
        }
        dialog.move(frame.topLeft());
    }
    return dialog.exec();
}

} // namespace quendal
