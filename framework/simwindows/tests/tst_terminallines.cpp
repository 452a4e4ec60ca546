// The terminal line list and the data value formatting both programs' windows share.
#include "framework/simwindows/datarows.h"
#include "framework/simwindows/terminallines.h"

#include <QtTest>

class TestTerminalLines : public QObject {
    Q_OBJECT
private slots:
    void tabRules() {
        QCOMPARE(ExpandTabs("1234567\t|", TTabRule::NextStop), std::string("1234567 |"));
        QCOMPARE(ExpandTabs("1234567\t|", TTabRule::BlankThenStop),
                 std::string("1234567" + std::string(9, ' ') + "|"));
        QCOMPARE(ExpandTabs("a\tb", TTabRule::BlankThenStop), std::string("a       b"));
    }

    void crlfSplitOverTwoOutputs() {
        std::vector<std::string> lines;
        std::vector<uint8_t> marks;
        AppendTerminalText(lines, "A\r", TTabRule::NextStop, 1000, &marks, 1);
        const TTerminalChange change =
            AppendTerminalText(lines, "\nB\r\nC", TTabRule::NextStop, 1000, &marks, 0);
        QCOMPARE(lines, (std::vector<std::string>{"A", "B", "C"}));
        QCOMPARE(marks, (std::vector<uint8_t>{0, 0, 0}));
        QCOMPARE(change.first, 0);
        QCOMPARE(change.last, 2);
        QCOMPARE(JoinTerminalLines(lines), std::string("A\r\nB\r\nC\r\n"));
    }

    void keepsTheNewestLines() {
        std::vector<std::string> lines;
        std::vector<uint8_t> marks;
        for (int i = 0; i < 1001; ++i)
            AppendTerminalText(lines, std::to_string(i) + "\r\n", TTabRule::NextStop, 1000, &marks);
        QCOMPARE(lines.size(), size_t(1000));
        QCOMPARE(marks.size(), size_t(1000));
        QCOMPARE(lines.front(), std::string("2"));
        QCOMPARE(lines.back(), std::string());
    }

    void trimsOnlyOnceTheLastIndexPassesTheLimit() {
        std::vector<std::string> lines;
        TTerminalChange change;
        for (int i = 1; i <= 1000; ++i)
            change = AppendTerminalText(lines, "L" + std::to_string(i) + "\r\n", TTabRule::NextStop,
                                        1000);
        // line 1001 (index 1000) is the empty one after the last CR LF: still all kept
        QCOMPARE(lines.size(), size_t(1001));
        QVERIFY(!change.trimmed);
        change = AppendTerminalText(lines, "L1001\r\n", TTabRule::NextStop, 1000);
        QVERIFY(change.trimmed);
        QCOMPARE(lines.size(), size_t(1000));
        QCOMPARE(lines.front(), std::string("L3"));
        QCOMPARE(change.last, 1001);
    }

    void dataValuesFitTheirColumn() {
        QCOMPARE(FormatDataValue(0xFFFF, false), QStringLiteral("     -1"));
        QCOMPARE(FormatDataValue(0xFFFF, true), QStringLiteral(" FFFF"));
        QCOMPARE(DataValuesPerRow(5, 8, false), 1);
        QCOMPARE(DataValuesPerRow(10 + 4 * 8 + 3 * 5 * 8, 8, true), 3);
    }
};

QTEST_MAIN(TestTerminalLines)
#include "tst_terminallines.moc"
