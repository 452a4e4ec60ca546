#include "framework/icons.h"
#include "framework/toolbars.h"

#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A panel with n buttons of 23 pixels side by side, starting at 3.
TMHToolbar* PanelWithButtons(QWidget* row, int left, int buttons, int height = 28) {
    auto* panel = new TMHToolbar(row);
    panel->setGeometry(left, 0, 40, height);
    QToolButton* last = nullptr;
    for (int i = 0; i < buttons; ++i) {
        last = new QToolButton(panel);
        last->setGeometry(3 + 23 * i, 2, 23, 22);
    }
    panel->SetLastControl(last);
    return panel;
}

} // namespace

class ToolbarsTest : public QObject {
    Q_OBJECT

private slots:
    // A greyed simulator button must be told apart from an enabled one at a glance.
    void disabledSimulatorButtonsLookDifferent() {
        using G = TSimulatorGlyph;
        for (const G glyph : {G::Run, G::Step, G::RunToCursor, G::Stop, G::Reset}) {
            const QIcon icon = SimulatorIcon(glyph);
            const QImage normal = icon.pixmap(16, 16).toImage();
            const QImage disabled = icon.pixmap(QSize(16, 16), QIcon::Disabled).toImage();
            int saturated = 0, changed = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    saturated += QColor(normal.pixel(x, y)).hsvSaturation() > 128;
                    changed += normal.pixel(x, y) != disabled.pixel(x, y);
                }
            QVERIFY2(saturated > 10, "the enabled glyph is in colour");
            QVERIFY2(changed > 10, "the disabled glyph differs");
        }
    }

    void panelsAreLaidOutOnceAfterLoading() {
        QWidget window;
        auto* row = new TDockToolbar(&window);
        // Created out of order: the row sorts them by their left edge.
        TMHToolbar* second = PanelWithButtons(row, 200, 2);
        TMHToolbar* first = PanelWithButtons(row, 10, 3, 30);
        TMHToolbar* third = PanelWithButtons(row, 400, 1);
        row->Loaded();
        window.show();

        QCOMPARE(row->Panels(), (std::vector<TMHToolbar*>{first, second, third}));
        QCOMPARE(first->geometry(), QRect(0, 2, 3 + 69 + 6, 30));
        QCOMPARE(second->x(), first->x() + first->width() + 2);
        QCOMPARE(second->width(), 3 + 46 + 6);
        QCOMPARE(third->x(), second->x() + second->width() + 2);
        QCOMPARE(third->y(), 2);
        QCOMPARE(row->height(), 30 + 2);

        // Hiding a panel later moves no other; the height follows the tallest visible one.
        first->hide();
        QCOMPARE(second->x(), 0 + 78 + 2);
        QCOMPARE(third->x(), 80 + 55 + 2);
        QCOMPARE(row->height(), 28 + 2);
        second->hide();
        third->hide();
        QCOMPARE(row->height(), 0);
        second->show();
        QCOMPARE(row->height(), 28 + 2);
        QCOMPARE(second->x(), 80);

        // A resized panel changes the row height too.
        second->resize(second->width(), 40);
        QCOMPARE(row->height(), 42);
    }

    // Short of room, panels go onto further lines and keep them; a wider row takes them back.
    void panelsWrapOntoFurtherLinesWhileTheRowIsShort() {
        QWidget window;
        auto* row = new TDockToolbar(&window);
        TMHToolbar* first = PanelWithButtons(row, 0, 3, 30);
        TMHToolbar* second = PanelWithButtons(row, 100, 2);
        TMHToolbar* third = PanelWithButtons(row, 200, 1);
        row->Loaded();
        window.show();

        row->resize(150, row->height());
        QCOMPARE(second->pos(), QPoint(80, 2));
        QCOMPARE(third->pos(), QPoint(0, 2 + 30 + 2));
        QCOMPARE(row->height(), 34 + 28);
        third->hide();
        QCOMPARE(row->height(), 32);
        third->show();
        QCOMPARE(third->pos(), QPoint(0, 34));
        QCOMPARE(row->Panels(), (std::vector<TMHToolbar*>{first, second, third}));
        for (const TMHToolbar* panel : row->Panels())
            QVERIFY(row->rect().contains(panel->geometry()));

        row->resize(400, row->height());
        QCOMPARE(third->pos(), QPoint(80 + 55 + 2, 2));
        QCOMPARE(row->height(), 32);
        QCOMPARE(row->minimumSizeHint().width(), 78);
    }

    // A panel whose layout can narrow takes what remains of its line; the row is never
    // narrower than such a panel's least width, nor than a fixed panel.
    void aPanelThatCanNarrowTakesWhatRemainsOfItsLine() {
        QWidget window;
        auto* column = new QVBoxLayout(&window);
        column->setContentsMargins(0, 0, 0, 0);
        auto* row = new TDockToolbar(&window);
        column->addWidget(row);
        column->addStretch();
        PanelWithButtons(row, 0, 2);
        auto* panel = new TMHToolbar(row);
        panel->move(100, 0);
        auto* content = new QHBoxLayout(panel);
        content->setContentsMargins(2, 2, 6, 2);
        content->setSpacing(0);
        content->addSpacerItem(new QSpacerItem(200, 10, QSizePolicy::Preferred));
        auto* button = new QToolButton(panel);
        button->setFixedSize(23, 22);
        content->addWidget(button);
        row->Loaded();
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QCOMPARE(panel->geometry(), QRect(57, 2, 200 - 57, 28));
        window.resize(60, 100);
        QCOMPARE(panel->geometry(), QRect(0, 2 + 28 + 2, 60, 28));
        window.resize(10, 100);
        QCOMPARE(window.width(), 55);
        window.resize(400, 100);
        QCOMPARE(panel->geometry(), QRect(57, 2, 8 + 200 + 23, 28));
    }

    void bottomRowKeepsPanelsAtTheTop() {
        QWidget window;
        auto* row = new TDockToolbar(&window);
        row->SetAlign(TAlign::Bottom);
        TMHToolbar* panel = PanelWithButtons(row, 0, 1);
        row->Loaded();
        QCOMPARE(panel->y(), 0);
        QCOMPARE(row->Panels().size(), size_t(1));
        delete panel;
        QVERIFY(row->Panels().empty());
        QCOMPARE(row->height(), 0);
    }

    void dividerIsOneBlackLine() {
        TToolbarDivider divider;
        divider.resize(50, 10);
        QCOMPARE(divider.height(), 1);
        const QImage image = divider.grab().toImage();
        QCOMPARE(QColor(image.pixel(0, 0)), QColor(Qt::black));
        QCOMPARE(QColor(image.pixel(49, 0)), QColor(Qt::black));
    }

    void sidePanelResizesByDraggingItsEdge() {
        QWidget window;
        window.resize(600, 400);
        auto* panel = new TResizeToolbar(&window);
        panel->setGeometry(0, 0, 200, 400);
        auto* tree = new QWidget(panel);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(tree->geometry(), QRect(3, 3, 200 - 12, 400 - 6));

        // Only the last four pixels of the inner edge start a drag.
        QTest::mouseMove(panel, QPoint(150, 100));
        QVERIFY(!panel->Dragging());
        QTest::mouseMove(panel, QPoint(197, 100));
        QVERIFY(panel->Dragging());
        QCOMPARE(panel->cursor().shape(), Qt::SplitHCursor);

        QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, QPoint(197, 100));
        QTest::mouseMove(panel, QPoint(300, 100));
        QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, QPoint(300, 100));
        QCOMPARE(panel->width(), 200 + (300 - 198));
        QVERIFY(!panel->Dragging());
        QCOMPARE(tree->width(), panel->width() - 12);

        // Dragged far to the left, the panel stops at its minimum.
        const int edge = panel->width() - 2;
        QTest::mouseMove(panel, QPoint(edge, 50));
        QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, QPoint(edge, 50));
        QTest::mouseMove(panel, QPoint(-150, 50));
        QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, QPoint(-150, 50));
        QCOMPARE(panel->width(), TResizeToolbar::MinimumSize);
        // Too narrow for its children: they are placed out of sight.
        QVERIFY(tree->geometry().right() < 0);

        // Nor beyond the parent's right edge.
        QTest::mouseMove(panel, QPoint(8, 50));
        QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, QPoint(8, 50));
        QTest::mouseMove(panel, QPoint(5000, 50));
        QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, QPoint(5000, 50));
        QVERIFY(panel->width() <= window.width());
        QVERIFY(panel->width() > 500);
    }

    void topPanelResizesVertically() {
        QWidget window;
        window.resize(400, 400);
        auto* panel = new TResizeToolbar(&window);
        panel->SetAlign(TAlign::Top);
        panel->setGeometry(0, 0, 400, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseMove(panel, QPoint(200, 98));
        QCOMPARE(panel->cursor().shape(), Qt::SplitVCursor);
        QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, QPoint(200, 98));
        QTest::mouseMove(panel, QPoint(200, 148));
        QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, QPoint(200, 148));
        QCOMPARE(panel->height(), 150);
        QCOMPARE(panel->width(), 400);
    }
};

QTEST_MAIN(ToolbarsTest)
#include "toolbars_test.moc"
