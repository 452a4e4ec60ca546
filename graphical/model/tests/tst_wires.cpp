// Grid helpers, the tokenizer and wires: text, bends, hit tests, routing and drawing.
#include <QtTest>

#include <QImage>
#include <QPainter>

#include "graphical/model/block.h"

namespace {

TInputLine Wire(std::initializer_list<QPoint> points, int letter = -1, int kind = 1) {
    TInputLine wire;
    wire.InputLetter = static_cast<int8_t>(letter);
    wire.Kind = static_cast<int8_t>(kind);
    for (QPoint p : points)
        wire.AddPoint(p);
    return wire;
}

std::vector<QPoint> PointsOf(const TInputLine& wire) {
    return {wire.Points.begin(), wire.Points.begin() + wire.PointCount};
}

int CountPixels(const QImage& image, QRgb color, QRect area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) == color ? 1 : 0;
    return count;
}

} // namespace

class TestWires : public QObject {
    Q_OBJECT

private slots:
    void init() { CellDisplay() = TCellDisplay(); }

    void snapsToGridCentres() {
        for (int v = 0; v <= 9; ++v)
            QCOMPARE(SnapToGrid(v), 5);
        for (int v = 10; v <= 19; ++v)
            QCOMPARE(SnapToGrid(v), 15);
        QCOMPARE(SnapToGridUp(6), 15);
        QCOMPARE(SnapToGridUp(5), 5);
        QCOMPARE(SnapToGridUp(0), 5);

        TRect r{3, 17, 63, 37};
        SnapRectToGrid(r);
        QCOMPARE(r, (TRect{5, 15, 65, 35}));
        r = {6, 5, 66, 25};
        SnapRectToGridUp(r);
        QCOMPARE(r, (TRect{15, 5, 75, 25}));
        QCOMPARE(SnapPointToGrid(QPoint(21, 38)), QPoint(25, 35));

        TRect n{50, 40, 10, 20};
        NormalizeRect(n);
        QCOMPARE(n, (TRect{10, 20, 50, 40}));
    }

    void sidesAndConnectionPoints() {
        QCOMPARE(SideOf({0, 0}, {10, 0}), 0);
        QCOMPARE(SideOf({10, 0}, {0, 0}), 2);
        QCOMPARE(SideOf({0, 0}, {0, 10}), 1);
        QCOMPARE(SideOf({0, 10}, {0, 0}), 3);
        // Ties go to the vertical sides.
        QCOMPARE(SideOf({5, 5}, {0, 0}), 3);
        QCOMPARE(SideOf({-5, -5}, {0, 0}), 1);

        const TRect r{100, 100, 160, 120};
        CellDisplay().CellAlignAtGrid = false;
        QCOMPARE(ConnectionPoint(r, {0, 110}), QPoint(100, 110));
        QCOMPARE(ConnectionPoint(r, {300, 112}), QPoint(160, 110));
        QCOMPARE(ConnectionPoint(r, {130, 0}), QPoint(130, 100));
        QCOMPARE(ConnectionPoint(r, {130, 400}), QPoint(130, 120));
        CellDisplay().CellAlignAtGrid = true;
        QCOMPARE(ConnectionPoint(r, {0, 110}), QPoint(105, 115));
    }

    void tokenizerReadsFieldsAndStopsAtGarbage() {
        TTokenString tokens;
        tokens.SetText("12,-3,x,7");
        int v = 0;
        QVERIFY(tokens.NextInt(v));
        QCOMPARE(v, 12);
        QVERIFY(tokens.NextInt(v));
        QCOMPARE(v, -3);
        QVERIFY(!tokens.NextInt(v)); // consumed all the same
        QVERIFY(tokens.NextInt(v));
        QCOMPARE(v, 7);
        QVERIFY(!tokens.HasMore());
        v = 99;
        QVERIFY(!tokens.NextInt(v));
        QCOMPARE(v, 99);

        tokens.SetText("Font=Arial,8");
        QVERIFY(tokens.SkipPast('='));
        QCOMPARE(tokens.Rest(), std::string_view("Arial,8"));
        QVERIFY(!tokens.SkipPast(';'));
        QCOMPARE(tokens.Rest(), std::string_view("Arial,8"));
        std::string token;
        QVERIFY(tokens.NextToken(token));
        QCOMPARE(token, std::string("Arial"));
    }

    void wireTextRoundTrips() {
        TInputLine wire;
        QCOMPARE(wire.FromText("65538,1:100,55,150,55"), TWireRead::Whole);
        QCOMPARE(wire.SourceId, 65538);
        QCOMPARE(int(wire.Kind), 1);
        QCOMPARE(int(wire.InputLetter), -1);
        QCOMPARE(wire.PointCount, 2);
        QCOMPARE(wire.AsText(), std::string("65538,1:100,55,150,55"));
        QCOMPARE(wire.Bounds, (TRect{96, 51, 154, 59}));

        // Input b, text kind: the high word holds letter + 1.
        QCOMPARE(wire.FromText("131073,131074:5,5,5,45"), TWireRead::Whole);
        QCOMPARE(int(wire.InputLetter), 1);
        QCOMPARE(int(wire.Kind), 2);
        QCOMPARE(wire.AsText(), std::string("131073,131074:5,5,5,45"));
        QCOMPARE(wire.Bounds, (TRect{-15, -15, 25, 65}));

        // No points: the colon alone.
        QCOMPARE(wire.FromText("7,1:"), TWireRead::Whole);
        QCOMPARE(wire.PointCount, 0);
        QCOMPARE(wire.AsText(), std::string("7,1:"));
        QCOMPARE(wire.Bounds, TRect{});
    }

    void wireTextRejectsGarbageAndOverlongWires() {
        TInputLine wire;
        QCOMPARE(wire.FromText("65538,1:100,55,abc,55"), TWireRead::Failed);
        QCOMPARE(wire.PointCount, 1);
        QCOMPARE(wire.FromText("65538,1:100,55,150"), TWireRead::Failed);
        QCOMPARE(wire.FromText("x,1:1,2"), TWireRead::Failed);

        std::string text = "1,1:";
        for (int i = 0; i < 21; ++i)
            text += std::to_string(i) + "," + std::to_string(i) + ",";
        text.pop_back();
        QCOMPARE(wire.FromText(text), TWireRead::Whole);
        QCOMPARE(wire.PointCount, 21);
        QCOMPARE(wire.AsText(), text);
        // More points than the store holds: the first 20 and the last.
        QCOMPARE(wire.FromText(text + ",50,50"), TWireRead::Cut);
        QCOMPARE(wire.PointCount, 21);
        QCOMPARE(wire.Points[19], QPoint(19, 19));
        QCOMPARE(wire.Points[20], QPoint(50, 50));
        QCOMPARE(wire.FromText(text + ",50,50,x,1"), TWireRead::Failed);
    }

    void wirePointsBeyondTheCellRangeFail() {
        TInputLine wire;
        QCOMPARE(wire.FromText("65537,1:75,35,2147483647,35,-2147483648,35,115,35"),
                 TWireRead::Failed);
        QCOMPARE(wire.FromText("65537,1:75,35,1048577,35"), TWireRead::Failed);
        QCOMPARE(wire.FromText("65537,1:-1048576,35,1048576,35"), TWireRead::Whole);
    }

    void pointStoreHoldsTwentyOnePoints() {
        TInputLine wire;
        for (int i = 0; i < 25; ++i)
            wire.AddPoint({i, 0});
        QCOMPARE(wire.PointCount, 21);
        QCOMPARE(wire.Points[20], QPoint(20, 0));
        wire.Current = 3;
        wire.InsertBend(99, 99);
        QCOMPARE(wire.PointCount, 21);
        QCOMPARE(wire.Points[4], QPoint(4, 0));
    }

    void bendsAreInsertedAndDeleted() {
        TInputLine wire = Wire({{0, 0}, {100, 0}});
        QVERIFY(wire.HitTest({50, 2}));
        QCOMPARE(int(wire.HitKind), 2);
        QCOMPARE(wire.Current, 0);
        wire.InsertBend(50, 30);
        QCOMPARE(PointsOf(wire), (std::vector<QPoint>{{0, 0}, {50, 30}, {100, 0}}));
        QCOMPARE(wire.Current, 1);
        QCOMPARE(int(wire.HitKind), 1);
        QVERIFY(wire.CanDeleteBend());
        wire.MoveCurrentPoint({60, 40});
        QCOMPARE(wire.Bounds.Bottom, 44);
        wire.DeleteCurrentBend();
        QCOMPARE(PointsOf(wire), (std::vector<QPoint>{{0, 0}, {100, 0}}));
        wire.Current = 0;
        QVERIFY(!wire.CanDeleteBend());
        wire.Current = 1;
        QVERIFY(!wire.CanDeleteBend());
    }

    void duplicatePointsAreRemoved() {
        const QPoint a(0, 0), b(50, 0), c(50, 50);
        TInputLine wire = Wire({a, a, b, b, c});
        wire.RemoveDuplicatePoints();
        QCOMPARE(PointsOf(wire), (std::vector<QPoint>{a, b, c}));
        wire = Wire({a, a, a});
        wire.RemoveDuplicatePoints();
        QCOMPARE(PointsOf(wire), (std::vector<QPoint>{a, a}));
        wire = Wire({a, c, c});
        wire.RemoveDuplicatePoints();
        QCOMPARE(PointsOf(wire), (std::vector<QPoint>{a, c}));
    }

    void hitTestFindsPointsThenSegments() {
        TInputLine vertical = Wire({{10, 0}, {10, 100}});
        QVERIFY(vertical.HitTest({13, 50}));
        QCOMPARE(int(vertical.HitKind), 2);
        QVERIFY(!vertical.HitTest({14, 50}));
        QCOMPARE(int(vertical.HitKind), 0);
        QCOMPARE(vertical.Current, -1);
        QVERIFY(!vertical.HitTest({10, 105}));

        // Points win over segments; the hit box excludes its right and bottom edges.
        QVERIFY(vertical.HitTest({12, 97}));
        QCOMPARE(int(vertical.HitKind), 1);
        QCOMPARE(vertical.Current, 1);
        QVERIFY(vertical.HitTest({7, -3}));
        QCOMPARE(int(vertical.HitKind), 1);
        QCOMPARE(vertical.Current, 0);

        TInputLine diagonal = Wire({{0, 0}, {100, 50}, {100, 100}});
        QVERIFY(diagonal.HitTest({40, 22}));
        QCOMPARE(int(diagonal.HitKind), 2);
        QCOMPARE(diagonal.Current, 0);
        QVERIFY(!diagonal.HitTest({40, 27}));
        QVERIFY(diagonal.HitTest({102, 70}));
        QCOMPARE(diagonal.Current, 1);
    }

    void routingAnchorsEndsOnBlockEdges() {
        CellDisplay().CellAlignAtGrid = false;
        const TRect source{0, 0, 60, 20};
        const TRect dest{200, 100, 260, 120};
        TInputLine wire = Wire({{30, 30}, {120, 40}, {190, 110}});
        QVERIFY(wire.RouteStart(source));
        QCOMPARE(wire.Points[0], QPoint(60, 10));
        QVERIFY(!wire.RouteStart(source));
        QVERIFY(wire.RouteEnd(dest));
        QCOMPARE(wire.Points[2], QPoint(200, 110));
        QCOMPARE(int(wire.EntrySide), 0);
        QVERIFY(!wire.RouteEnd(dest));

        // A straight wire whose source moves below its end now arrives from below.
        TInputLine straight = Wire({{60, 10}, {200, 10}});
        QCOMPARE(int(straight.EntrySide), 0);
        QVERIFY(straight.RouteStart({170, 300, 230, 320}));
        QCOMPARE(straight.Points[0], QPoint(200, 300));
        QCOMPARE(int(straight.EntrySide), 3);

        // Sliding keeps the height on the edge, clamped to it.
        TInputLine slide = Wire({{70, 300}, {130, 250}, {190, 95}});
        slide.AdjustEnds(source, dest);
        QCOMPARE(slide.Points[0], QPoint(60, 20));
        QCOMPARE(slide.Points[2], QPoint(200, 120));

        CellDisplay().CellAlignAtGrid = true;
        TInputLine moved = Wire({{0, 0}, {33, 47}, {90, 90}});
        moved.MoveBends({10, 10});
        QCOMPARE(PointsOf(moved), (std::vector<QPoint>{{0, 0}, {45, 55}, {90, 90}}));
        moved.MoveAll({10, 0});
        QCOMPARE(PointsOf(moved), (std::vector<QPoint>{{15, 5}, {55, 55}, {105, 95}}));
    }

    void assignAndEquals() {
        TInputLine a = Wire({{0, 0}, {50, 0}}, 2, 3);
        a.SourceId = 65537;
        a.Hidden = true;
        TInputLine b;
        b.Assign(a);
        QVERIFY(b.Equals(a));
        QCOMPARE(b.Bounds, a.Bounds);
        b.Points[1] = {50, 10};
        QVERIFY(!b.Equals(a));
    }

    void drawsPolylineArrowAndLetter() {
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        TInputLine wire = Wire({{10, 20}, {100, 20}, {100, 80}}, 0, 2);
        {
            QPainter canvas(&image);
            wire.Draw(canvas);
        }
        const QRgb green = QColor(Qt::green).rgb();
        // Both segments in the text colour.
        for (int x = 10; x <= 100; x += 10)
            QCOMPARE(image.pixel(x, 20), green);
        for (int y = 20; y <= 66; y += 6)
            QCOMPARE(image.pixel(100, y), green);
        // The filled arrow head widens above the end point.
        QCOMPARE(image.pixel(98, 72), green);
        QCOMPARE(image.pixel(102, 72), green);
        QVERIFY(image.pixel(98, 60) != green);
        // Letter "a" stands on the head's base, right of the wire; nothing on the left.
        const QRgb white = QColor(Qt::white).rgb();
        QVERIFY(CountPixels(image, white, QRect(102, 50, 20, 18)) < 20 * 18 - 3);
        QCOMPARE(CountPixels(image, white, QRect(80, 50, 18, 18)), 18 * 18);

        // A hidden wire leaves the canvas alone.
        QImage blank(200, 100, QImage::Format_RGB32);
        blank.fill(Qt::white);
        wire.Hidden = true;
        {
            QPainter canvas(&blank);
            wire.Draw(canvas);
        }
        QCOMPARE(CountPixels(blank, QColor(Qt::white).rgb(), blank.rect()), 200 * 100);
    }

    void rubberBandFixesCorners() {
        CellDisplay().CellGridColor = QColor(200, 0, 0);
        QImage image(120, 60, QImage::Format_RGB32);
        image.fill(Qt::white);
        TInputLine wire = Wire({{10, 10}, {60, 10}});
        QPainter canvas(&image);
        wire.DrawRubberBand(canvas);
        wire.FixCornerAndContinue(canvas, {60, 40});
        canvas.end();
        QCOMPARE(wire.PointCount, 3);
        QCOMPARE(wire.Points[1], QPoint(60, 40));
        QCOMPARE(wire.Points[2], QPoint(60, 40));
        QCOMPARE(wire.Current, 2);
        // The fixed segment is solid in the grid colour.
        for (int x = 11; x < 59; ++x) {
            const int y = 10 + (x - 10) * 30 / 50;
            bool near = false;
            for (int dy = -1; dy <= 1; ++dy)
                near = near || image.pixel(x, y + dy) == qRgb(200, 0, 0);
            QVERIFY2(near, qPrintable(QString::number(x)));
        }

        // The last segment drawn twice in xor vanishes.
        QImage plain(120, 60, QImage::Format_RGB32);
        plain.fill(Qt::white);
        const QImage before = plain;
        wire.MoveCurrentPoint({100, 40});
        canvas.begin(&plain);
        wire.DrawLastSegmentXor(canvas);
        canvas.end();
        QVERIFY(plain != before);
        canvas.begin(&plain);
        wire.DrawLastSegmentXor(canvas);
        canvas.end();
        QCOMPARE(plain, before);
    }

    void selectionDrawnTwiceVanishes() {
        QImage image(120, 60, QImage::Format_RGB32);
        image.fill(Qt::white);
        const QImage before = image;
        TInputLine wire = Wire({{10, 10}, {100, 10}, {100, 50}});
        QPainter canvas(&image);
        wire.DrawSelected(canvas);
        canvas.end();
        QVERIFY(image != before);
        canvas.begin(&image);
        wire.DrawSelected(canvas);
        canvas.end();
        QCOMPARE(image, before);
    }
};

QTEST_MAIN(TestWires)
#include "tst_wires.moc"
