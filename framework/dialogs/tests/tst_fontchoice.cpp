// The font dialog as both programs run it, answered with real clicks: it opens at the font in
// use in that font's own style, and keeps of the stored font what the user left untouched.
#include "framework/dialogs/fontchoice.h"

#include <QDialogButtonBox>
#include <QFontInfo>
#include <QPushButton>
#include <QtTest>

#include "framework/tests/eventloop.h"

namespace {

QFont Stored(const char* family, int size, bool bold, bool italic) {
    QFont font(QString::fromLatin1(family));
    font.setPointSize(size);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void ClickOk(QFontDialog& fonts) {
    QTest::mouseClick(fonts.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
}

std::optional<QFont> Choose(const QFont& stored) {
    return ChooseFont(stored, nullptr, [](const QFont& initial, QWidget* parent) {
        return RunFontDialog(initial, parent);
    });
}

} // namespace

class TestFontChoice : public QObject {
    Q_OBJECT

private slots:
    void okWithoutAChangeKeepsTheStoredFont_data() {
        QTest::addColumn<QFont>("stored");
        // names that are not installed, and a family whose upright style is called "Book"
        QTest::newRow("MS Sans Serif") << Stored("MS Sans Serif", 8, false, false);
        QTest::newRow("DejaVu Sans") << Stored("DejaVu Sans", 10, false, false);
        QTest::newRow("bold italic") << Stored("DejaVu Sans", 9, true, true);
        QTest::newRow("italic, not installed") << Stored("Tavrissel Fehlschrift", 11, false, true);
    }

    void okWithoutAChangeKeepsTheStoredFont() {
        QFETCH(QFont, stored);
        QFont offered;
        fixture::WhenShown<QFontDialog>([&](QFontDialog& fonts) {
            offered = fonts.currentFont();
            ClickOk(fonts);
        });
        const std::optional<QFont> chosen = Choose(stored);
        QCOMPARE(offered.family(), QFontInfo(stored).family());
        QCOMPARE(offered.pointSize(), stored.pointSize());
        QCOMPARE(offered.bold(), stored.bold());
        QCOMPARE(offered.italic(), stored.italic());
        QVERIFY(chosen);
        QCOMPARE(chosen->family(), stored.family());
        QCOMPARE(chosen->pointSize(), stored.pointSize());
        QCOMPARE(chosen->bold(), stored.bold());
        QCOMPARE(chosen->italic(), stored.italic());
        QVERIFY(!chosen->underline());
    }

    void aChangeTakesOnlyWhatTheUserChanged() {
        const QFont stored = Stored("MS Sans Serif", 8, false, false);
        fixture::WhenShown<QFontDialog>([](QFontDialog& fonts) {
            QFont font = fonts.currentFont();
            font.setPointSize(12);
            fonts.setCurrentFont(font);
            ClickOk(fonts);
        });
        std::optional<QFont> chosen = Choose(stored);
        QVERIFY(chosen);
        QCOMPARE(chosen->family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(chosen->pointSize(), 12);
        QVERIFY(!chosen->italic() && !chosen->bold());

        fixture::WhenShown<QFontDialog>([](QFontDialog& fonts) { fonts.reject(); });
        QVERIFY(!Choose(stored));
    }
};

QTEST_MAIN(TestFontChoice)
#include "tst_fontchoice.moc"
