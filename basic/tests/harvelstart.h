// What the BASIC program's window tests share: the keyword file beside the test program, a
// shown and active main window, source files written into a test folder.
#pragma once

#include "basic/mainwindow/mainform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <memory>
#include <string>

namespace harvel::testing {

// The keyword file beside the program, under the program's name; false when it cannot be put.
inline bool InstallKeywordFile() {
    const QString beside = QCoreApplication::applicationFilePath() + QStringLiteral(".TOK");
    QFile::remove(beside);
    return QFile::copy(QStringLiteral(HARVEL_TOKEN_FILE), beside);
}

// The main window shown, active (so that shortcuts reach it) and through its first idle call.
inline std::unique_ptr<TMainForm> StartMainForm() {
    auto form = std::make_unique<TMainForm>();
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get()))
        qWarning("the main window is not active: shortcuts will not reach it");
    form->AppIdle();
    return form;
}

// Writes text, bytes as they are, to path and returns path.
inline QString WriteSource(const QString& path, const std::string& text) {
    std::ofstream(path.toStdString(), std::ios::binary) << text;
    return path;
}

// Runs act on the next modal dialog of kind T once it is up.
template <class T, class Act> void AnswerModal(Act act) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start(20);
}

} // namespace harvel::testing
