// The pieces of the single-instance MDI windows both programs share: a window that comes up on
// its own leaves the user's window active, an iconic one is restored without taking the keys,
// the closing place survives a window that never had one, the watch columns keep their
// minimum widths and their menu's enabling, and the rows of the grid windows are the font's
// character height plus 8 apart.
#include "framework/simwindows/rowgrid.h"
#include "framework/simwindows/singlechild.h"
#include "framework/simwindows/watchcolumns.h"

#include <QHeaderView>
#include <QMenu>
#include <QtTest>

namespace {

class TPlainForm : public TMDIChildForm {
public:
    explicit TPlainForm(TModel* model) : TMDIChildForm(model) { resize(300, 200); }
};

} // namespace

class TestSingleWindows : public QObject {
    Q_OBJECT

private slots:
    void aWindowComingUpOnItsOwnLeavesTheActiveOne() {
        QMdiArea area;
        area.resize(800, 600);
        area.show();
        auto* user = CreateAtDefaultPlace<TPlainForm>(&area, nullptr);
        QCOMPARE(area.activeSubWindow(), user);
        auto* own = CreateAtDefaultPlace<TPlainForm>(&area, nullptr, false);
        QCOMPARE(area.activeSubWindow(), user);
        QCOMPARE(area.subWindowList(QMdiArea::StackingOrder).last(), own);

        own->showMinimized();
        area.setActiveSubWindow(user);
        QCOMPARE(ShowSingleChild(own, &area, nullptr, false, true), own);
        QVERIFY(!own->isMinimized());
        QCOMPARE(area.activeSubWindow(), user);
        ShowSingleChild(own, &area, nullptr, true);
        QCOMPARE(area.activeSubWindow(), own);
    }

    void aClosingWindowWithoutPlaceKeepsTheStoredOne() {
        TWindowRect stored{10, 20, 310, 220};
        TPlainForm form(nullptr);
        KeepClosingPlace(stored, form);
        QCOMPARE(stored.Right, 310);
    }

    void rowsAreTheCharacterHeightPlusEightApart() {
        // 10 points at the screen's resolution (13 pixels at 96 dpi), not the line spacing
        const QFont font(QStringLiteral("Courier New"), 10);
        TRowGrid grid;
        grid.SetRowFont(font);
        const int pixels = qRound(10 * grid.logicalDpiY() / 72.0);
        QCOMPARE(grid.RowHeight(), pixels + 8);
        QFont big;
        big.setPixelSize(20);
        grid.SetRowFont(big);
        QCOMPARE(grid.RowHeight(), 28);
        // the watch window's header is one row high
        TWatchColumns columns(100);
        columns.SetViewFont(font, Qt::white);
        QCOMPARE(columns.Grid()->RowHeight(), pixels + 8);
        QCOMPARE(columns.Header()->height(), pixels + 8);
    }

    void watchColumnsKeepTheirMinimumsAndMenuEnabling() {
        TWatchColumns columns(200);
        int reported = -1;
        columns.NameWidthChanged = [&](int width) { reported = width; };
        columns.resize(400, 200);
        columns.show();
        QVERIFY(QTest::qWaitForWindowExposed(&columns));
        QCOMPARE(columns.Header()->sectionSize(0), 200);
        QCOMPARE(reported, 200);
        QCOMPARE(columns.ValueColumnX(), 202);
        // narrower: the value column keeps 45 pixels
        columns.resize(150, 200);
        QTest::qWait(1);
        QCOMPARE(columns.Header()->sectionSize(0), columns.Header()->width() - 45);
        // a name column dragged below 65 springs back
        columns.resize(400, 200);
        QTest::qWait(1);
        columns.Header()->resizeSection(0, 20);
        QCOMPARE(columns.Header()->sectionSize(0), 65);

        int done = 0;
        columns.IsCommandEnabled = [](int tag) { return tag == 2; };
        columns.DoCommand = [&](int tag) { done = tag; };
        columns.AddCommand(1, QStringLiteral("eins"), QKeySequence(Qt::Key_Insert));
        columns.AddCommand(2, QStringLiteral("zwei"), QKeySequence(Qt::Key_Delete));
        emit columns.Menu()->aboutToShow();
        const QList<QAction*> items = columns.Menu()->actions();
        QVERIFY(!items[0]->isEnabled());
        QVERIFY(items[1]->isEnabled());
        items[1]->trigger();
        QCOMPARE(done, 2);
    }
};

QTEST_MAIN(TestSingleWindows)
#include "tst_singlewindows.moc"
