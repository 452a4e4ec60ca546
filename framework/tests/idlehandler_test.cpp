// The idle calls of a main window: after events only (not a blinking caret's), again at once
// while more is wanted, and the enabling brought up to date before a key reaches a shortcut.
#include "framework/idlehandler.h"
#include "platform/qt/idlequiet.h"

#include <QAction>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QtTest>

namespace {

// Runs the event loop as a program does (waiting when nothing is left to do).
void RunLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

class TestIdleHandler : public QObject {
    Q_OBJECT

private slots:
    void runsAfterEventsAndAgainWhileMoreIsWanted() {
        QWidget window;
        int calls = 0;
        int more = 0;
        TIdleHandler idle(&window, [&] {
            ++calls;
            return more-- > 0;
        });
        idle.Start();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        RunLoop(100);
        QVERIFY(calls > 0);

        // nothing happens: no calls but the one after the event that ended the last loop
        int before = calls;
        RunLoop(300);
        QVERIFY(calls - before <= 1);

        // nor from a timer whose ticks change nothing (a caret's blinking)
        QTimer blink;
        MarkIdleQuiet(&blink);
        blink.start(10);
        before = calls;
        RunLoop(300);
        QVERIFY(calls - before <= 1);
        blink.stop();

        // after an event, calls follow at once until the handler wants no more
        more = 3;
        QCoreApplication::postEvent(&window, new QEvent(QEvent::User));
        RunLoop(300);
        QVERIFY(more < 0);
        QCOMPARE(idle.Runs(), calls);

        idle.Stop();
        before = calls;
        QCoreApplication::postEvent(&window, new QEvent(QEvent::User));
        RunLoop(100);
        QCOMPARE(calls, before);
    }

    void aShortcutSeesTheEnablingOfTheChangeBeforeIt() {
        QWidget window;
        bool canSave = false;
        auto* save = new QAction(&window);
        save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
        save->setEnabled(false);
        window.addAction(save);
        int saved = 0;
        connect(save, &QAction::triggered, [&] { ++saved; });
        TIdleHandler idle(
            &window, [] { return false; }, [&] { save->setEnabled(canSave); });
        idle.Start();
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        // the change and the key come in one go, before the loop waits again
        canSave = true;
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(saved, 1);
        canSave = false;
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(saved, 1);
    }
};

QTEST_MAIN(TestIdleHandler)
#include "idlehandler_test.moc"
