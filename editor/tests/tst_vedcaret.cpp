// Carets, highlight colours and the fixed-pitch font.
#include "editor/vedexcept.h"
#include "editor/widgets/vedcaret.h"

#include <QFontDatabase>
#include <QTest>

using namespace ved;

class TestVedCaret : public QObject {
    Q_OBJECT

private slots:
    void shapesSetTheirDefaults() {
        TVedCaret caret;
        int notified = 0;
        caret.OnChange = [&] { ++notified; };
        caret.SetShape(TVedCaretShape::csCustom);
        caret.SetCaretWidth(7);
        caret.SetCaretWidth(0); // ignored
        QCOMPARE(caret.CaretWidth(), 7);
        caret.SetShape(TVedCaretShape::csVertLine);
        QCOMPARE(caret.CaretWidth(), 2);
        QCOMPARE(caret.Align(), TVedCaretAlign::caLeft);
        caret.SetShape(TVedCaretShape::csHorzLine);
        QCOMPARE(caret.CaretHeight(), 2);
        QCOMPARE(caret.Align(), TVedCaretAlign::caBottom);
        QCOMPARE(notified, 4);
        caret.SetCaretHeight(2); // unchanged: no notification
        QCOMPARE(notified, 4);
    }

    void pairFollowsCellAndMode() {
        TVedCaretPair pair;
        int changed = 0;
        pair.OnChange = [&] { ++changed; };
        pair.SetCellSize(16, 8);
        // insert: a vertical line of the cell's height at the left
        QCOMPARE(pair.CaretRect(QPoint(10, 20)), QRect(10, 20, 2, 16));
        pair.SetInsertMode(false);
        // overwrite: the whole cell
        QCOMPARE(pair.CaretRect(QPoint(10, 20)), QRect(10, 20, 8, 16));
        pair.CaretOvr()->SetShape(TVedCaretShape::csHalfBlock);
        QCOMPARE(pair.CaretRect(QPoint(0, 0)), QRect(0, 8, 8, 8));
        pair.CaretOvr()->SetShape(TVedCaretShape::csCustom);
        pair.CaretOvr()->SetCaretWidth(4);
        pair.CaretOvr()->SetCaretHeight(6);
        pair.CaretOvr()->SetAlign(TVedCaretAlign::caCenter);
        QCOMPARE(pair.Offset(), QPoint(2, 5));
        pair.CaretOvr()->SetAlign(TVedCaretAlign::caRight);
        QCOMPARE(pair.Offset(), QPoint(4, 5));
        QVERIFY(changed >= 6);
        // a new overwrite caret is shared, and the old one no longer reaches the pair
        auto old = pair.CaretOvr();
        auto block = std::make_shared<TVedCaret>(TVedCaretShape::csBlock);
        pair.SetCaretOvr(block);
        QCOMPARE(block.use_count(), 2);
        const int before = changed;
        old->SetCaretWidth(9);
        QCOMPARE(changed, before);
        QCOMPARE(pair.CaretRect(QPoint(0, 0)), QRect(0, 0, 8, 16));
    }

    void colorsKeepTheirDefaultFlag() {
        TVedColors colors(Qt::white, Qt::blue);
        int changes = 0;
        colors.OnColorChange = [&] { ++changes; };
        QVERIFY(colors.UseDefault());
        colors.SetBackColor(Qt::blue);
        QCOMPARE(changes, 0);
        colors.SetBackColor(Qt::red);
        QVERIFY(!colors.UseDefault());
        colors.SetBackColor(Qt::blue); // back to the default: the flag stays as it was
        QVERIFY(!colors.UseDefault());
        colors.SetTextColor(Qt::black);
        colors.SetUseDefault(true);
        QCOMPARE(colors.TextColor(), QColor(Qt::white));
        QCOMPARE(colors.BackColor(), QColor(Qt::blue));
        QCOMPARE(changes, 4);
    }

    void fontStaysFixedPitch() {
        TVedFixedFont font;
        QVERIFY(!TVedFixedFont::FixedPitchFamilies().isEmpty());
        QVERIFY(QFontDatabase::isFixedPitch(font.Name()) ||
                TVedFixedFont::FixedPitchFamilies().size() == 1);
        const QString before = font.Name();
        int changes = 0;
        font.OnChange = [&] { ++changes; };
        font.SetName(QStringLiteral("No Such Family 123"));
        QCOMPARE(font.Name(), before);
        QCOMPARE(changes, 0);
        QString proportional;
        for (const QString& family : QFontDatabase::families())
            if (!TVedFixedFont::FixedPitchFamilies().contains(family))
                proportional = family;
        QVERIFY2(!proportional.isEmpty(), "no proportional family");
        QVERIFY_THROWS_EXCEPTION(EInvalidFixedFont, font.Assign(QFont(proportional)));
        QCOMPARE(font.Name(), before);
        font.SetSize(14);
        QCOMPARE(font.Size(), 14);
        QCOMPARE(changes, 1);
    }
};

QTEST_MAIN(TestVedCaret)
#include "tst_vedcaret.moc"
