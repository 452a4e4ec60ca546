// The tool window base: placement on the screen, the same rectangle back after a restart, and
// its place beside the owner, below the owner's modal dialogs.
#include "framework/simwindows/toolwindow.h"
#include "framework/winregistry.h"
#include "platform/settings.h"

#include <QDialog>
#include <QMainWindow>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>

namespace {

TWindowRect StoredRect;
class TTestToolWindow* Instance = nullptr;

class TTestToolWindow : public TToolWindow {
public:
    explicit TTestToolWindow(QWidget* owner) : TToolWindow(owner, StoredRect, 15000) {
        resize(256, 62);
        Instance = this;
    }
    ~TTestToolWindow() override { Unregister(); }

protected:
    void Unregister() override {
        if (Instance == this)
            Instance = nullptr;
    }
};

} // namespace

class TestToolWindow : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        delete Instance;
        StoredRect = {};
    }

    void rectangleBelowTheScreenComesBackOnIt() {
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        StoredRect = {100, screen.height() + 500, 356, screen.height() + 562};
        TTestToolWindow* form = ShowToolWindow(Instance, nullptr, false);
        QCOMPARE(form->geometry(), QRect(100, screen.height() - 62, 256, 62));
    }

    void restartsKeepPlaceAndSize() {
        QTemporaryDir dir;
        platform::Settings store(dir.filePath("settings").toStdString());
        TWinRegistry reg(store, QStringLiteral("SOFTWARE\\Test"));
        StoredRect = {200, 150, 456, 212};
        for (int start = 0; start < 3; ++start) {
            TTestToolWindow* form = ShowToolWindow(Instance, nullptr, false);
            QVERIFY(QTest::qWaitForWindowExposed(form));
            QCOMPARE(form->geometry(), QRect(200, 150, 256, 62));
            WriteToolWindowPlace(reg, QStringLiteral("Tool"), form, StoredRect);
            delete form;
            StoredRect = {};
            QVERIFY(ReadToolWindowPlace(reg, QStringLiteral("Tool"), StoredRect));
        }
    }

    void firstPlaceIsBesideTheWorkAreaBelowModalDialogs() {
        QMainWindow main;
        main.menuBar()->addMenu(QStringLiteral("Datei"));
        main.setCentralWidget(new QWidget);
        main.setGeometry(0, 0, 500, 400);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        TTestToolWindow* form = ShowToolWindow(Instance, &main, false);
        QVERIFY(QTest::qWaitForWindowExposed(form));
        const QRect menus(main.menuBar()->mapToGlobal(QPoint(0, 0)), main.menuBar()->size());
        QVERIFY(!form->frameGeometry().intersects(menus));
        QVERIFY(form->geometry().top() >= main.centralWidget()->mapToGlobal(QPoint(0, 0)).y());
        // Above its owner only: a modal dialog of the owner is not covered.
        QVERIFY(!(form->windowFlags() & Qt::WindowStaysOnTopHint));
        QCOMPARE(form->windowHandle()->transientParent(), main.windowHandle());
    }

    void secondToolWindowOpensBelowTheFirst() {
        QMainWindow main;
        main.setCentralWidget(new QWidget);
        main.setGeometry(0, 0, 500, 400);
        main.show();
        TTestToolWindow* first = ShowToolWindow(Instance, &main, false);
        QVERIFY(QTest::qWaitForWindowExposed(first));
        Instance = nullptr;
        TTestToolWindow second(&main);
        second.show();
        QVERIFY(QTest::qWaitForWindowExposed(&second));
        QVERIFY(!second.frameGeometry().intersects(first->frameGeometry()));
        QCOMPARE(second.x(), first->x());
        delete first;
    }
};

QTEST_MAIN(TestToolWindow)
#include "tst_toolwindow.moc"
