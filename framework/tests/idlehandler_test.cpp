// The idle calls of a main window: after events only (not a blinking caret's), again at once
// while more is wanted, the enabling brought up to date before a key reaches a shortcut, and
// no calls behind the box of a failed one.
#include "framework/application.h"
#include "framework/idlehandler.h"
#include "framework/tests/eventloop.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/idlequiet.h"

#include <QAction>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <stdexcept>

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
        fixture::RunLoop(100);
        QVERIFY(calls > 0);

        // nothing happens: no calls but the one after the event that ended the last loop
        int before = calls;
        fixture::RunLoop(300);
        QVERIFY(calls - before <= 1);

        // nor from a timer whose ticks change nothing (a caret's blinking)
        QTimer blink;
        MarkIdleQuiet(&blink);
        blink.start(10);
        before = calls;
        fixture::RunLoop(300);
        QVERIFY(calls - before <= 1);
        blink.stop();

        // after an event, calls follow at once until the handler wants no more
        more = 3;
        QCoreApplication::postEvent(&window, new QEvent(QEvent::User));
        fixture::RunLoop(300);
        QVERIFY(more < 0);
        QCOMPARE(idle.Runs(), calls);

        idle.Stop();
        before = calls;
        QCoreApplication::postEvent(&window, new QEvent(QEvent::User));
        fixture::RunLoop(100);
        QCOMPARE(calls, before);
    }

    void aFailedIdleWaitsUntilItsBoxIsClosed() {
        QWidget window;
        int calls = 0;
        TIdleHandler idle(&window, [&]() -> bool {
            if (++calls == 1)
                throw std::runtime_error("Leerlauf gescheitert");
            return false;
        });
        int boxes = 0;
        int callsBehindTheBox = -1;
        platform::DialogRecorder recorder;
        platform::MessageBoxHandler recording;
        recording = platform::SetMessageBoxHandler([&](const platform::MessageBoxRequest& box) {
            ++boxes;
            // the box's own loop, with events coming while it is up
            const int before = calls;
            QTimer ticks;
            ticks.start(5);
            fixture::RunLoop(200);
            callsBehindTheBox = calls - before;
            return recording(box);
        });
        idle.Start();
        window.show();
        fixture::RunLoop(400);
        QCOMPARE(boxes, 1);
        QCOMPARE(callsBehindTheBox, 0);
        QCOMPARE(recorder.Boxes().front().text, QStringLiteral("Leerlauf gescheitert"));
        // once the box is closed, idle runs again
        QCoreApplication::postEvent(&window, new QEvent(QEvent::User));
        fixture::RunLoop(100);
        QVERIFY(calls > 1);
        QCOMPARE(boxes, 1);
        platform::SetMessageBoxHandler(recording);
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

// The programs' application object: a failure that escapes a handler ends in its notify().
int main(int argc, char* argv[]) {
    TApplication app(argc, argv);
    TestIdleHandler test;
    return QTest::qExec(&test, argc, argv);
}
#include "idlehandler_test.moc"
