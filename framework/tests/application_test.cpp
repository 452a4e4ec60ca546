// The application object and the guard of event handlers: an exception that an event handler
// lets out ends its event there (a close is refused) and is shown with a beep in an error box
// once the delivery is over; the program goes on.
#include "framework/application.h"
#include "platform/qt/dialogs.h"

#include <QCloseEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace {

// Fails on its first event, counts the ones after it.
class FailingOnce : public QObject {
public:
    int handled = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        if (handled++ == 0)
            throw std::runtime_error("Datei nicht gefunden");
        return true;
    }
};

// A window whose close handler fails.
class FailingWindow : public QWidget {
protected:
    void closeEvent(QCloseEvent*) override { throw std::runtime_error("Speichern gescheitert"); }
};

// Counts the keys that reach it.
class KeyCounter : public QWidget {
public:
    int keys = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        ++keys;
        event->accept();
    }
};

// A key handler that fails through the guard.
class FailingKeys : public QWidget {
protected:
    void keyPressEvent(QKeyEvent* event) override {
        platform::GuardEvent(event, [] { throw std::runtime_error("Taste gescheitert"); });
    }
};

// A filter that fails on keys, through the guard.
class FailingKeyFilter : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        return platform::GuardEvent(event, [event] {
            if (event->type() == QEvent::KeyPress)
                throw std::runtime_error("Filter gescheitert");
            return false;
        });
    }
};

} // namespace

class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void failingHandlerShowsItsErrorAndTheProgramGoesOn() {
        platform::DialogRecorder recorder;
        FailingOnce target;
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
        QTRY_COMPARE(target.handled, 2);
        const auto& events = recorder.Events();
        QTRY_COMPARE(events.size(), size_t(2));
        QCOMPARE(events[0].type, platform::DialogRecorder::Event::Type::Beep);
        QCOMPARE(events[1].box.kind, platform::BoxKind::Error);
        QCOMPARE(events[1].box.text, QStringLiteral("Datei nicht gefunden"));
    }

    void aFailedCloseIsRefused() {
        platform::DialogRecorder recorder;
        FailingWindow window;
        window.show();
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        QTRY_COMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes()[0].text, QStringLiteral("Speichern gescheitert"));
    }

    void aFailedKeyStopsWhereItFailed() {
        platform::DialogRecorder recorder;
        KeyCounter parent;
        auto* failing = new FailingKeys;
        failing->setParent(&parent);
        auto* filtered = new QWidget(&parent);
        FailingKeyFilter filter;
        filtered->installEventFilter(&filter);
        parent.show();
        // neither the failed handler's key nor the failed filter's reaches the parent
        QTest::keyClick(failing, Qt::Key_A);
        QTest::keyClick(filtered, Qt::Key_B);
        QCOMPARE(parent.keys, 0);
        QTRY_COMPARE(recorder.Boxes().size(), size_t(2));
        QCOMPARE(recorder.Boxes()[0].text, QStringLiteral("Taste gescheitert"));
        // a key that no handler takes still goes up as before
        QTest::keyClick(new QWidget(&parent), Qt::Key_C);
        QCOMPARE(parent.keys, 1);
    }

    void theBoxOfAFailedEventOpensAfterItsDelivery() {
        platform::DialogRecorder recorder;
        FailingOnce target;
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&target, &event);
        // the event ends there (only a close is refused), and no modal box opens inside its
        // delivery (a mouse press or a paint)
        QVERIFY(event.isAccepted());
        QVERIFY(recorder.Boxes().empty());
        QTRY_COMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes()[0].text, QStringLiteral("Datei nicht gefunden"));
    }

    void failingCommandShowsItsErrorWhereItRuns() {
        platform::DialogRecorder recorder;
        RunCommand([] { throw std::runtime_error("Schreibschutz"); });
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes()[0].text, QStringLiteral("Schreibschutz"));
    }

    void fileErrorIsShownInGerman() {
        platform::DialogRecorder recorder;
        RunCommand([] { throw std::system_error(EACCES, std::generic_category(), "/tmp/a.bas"); });
        RunCommand([] { throw std::system_error(EDOM, std::generic_category(), "b.bas"); });
        QCOMPARE(recorder.Boxes().size(), size_t(2));
        QCOMPARE(recorder.Boxes()[0].text, QStringLiteral("/tmp/a.bas: Zugriff verweigert"));
        // a number without a text of its own is named by its number, not in English
        QCOMPARE(recorder.Boxes()[1].text, QStringLiteral("b.bas: Systemfehler %1").arg(EDOM));
    }
};

int main(int argc, char* argv[]) {
    TApplication app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "application_test.moc"
