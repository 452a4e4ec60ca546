#include "framework/desktop.h"

#include <QtTest>
#include <limits>

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void valuesComeBackAsWritten() {
        TDesktopWriter writer;
        writer.WriteInteger(std::numeric_limits<int32_t>::min());
        writer.WriteInteger(std::numeric_limits<int32_t>::max());
        writer.WriteBoolean(true);
        writer.WriteString(QStringLiteral("Zeile 1\nZeile 2 mit Überlänge \"S 3 x\""));
        writer.WriteString(QString());
        writer.WriteBytes(QByteArray("\0\xFF\n", 3));

        // Texts are stored in Windows-1252: "Ü" is one byte.
        QVERIFY(writer.Data().contains("\xDC"
                                       "berl"));
        TDesktopReader reader(writer.Data());
        QCOMPARE(reader.ReadInteger(), std::numeric_limits<int32_t>::min());
        QCOMPARE(reader.ReadInteger(), std::numeric_limits<int32_t>::max());
        QCOMPARE(reader.ReadBoolean(), true);
        QCOMPARE(reader.ReadString(), QStringLiteral("Zeile 1\nZeile 2 mit Überlänge \"S 3 x\""));
        QCOMPARE(reader.ReadString(), QString());
        QCOMPARE(reader.ReadBytes(), QByteArray("\0\xFF\n", 3));
        QVERIFY(reader.AtEnd());
        QVERIFY_THROWS_EXCEPTION(EDesktopError, reader.ReadInteger());
    }

    void wrongTypesAndDamageAreReported() {
        TDesktopWriter writer;
        writer.WriteString(QStringLiteral("text"));
        writer.WriteInteger(5);
        {
            TDesktopReader reader(writer.Data());
            QVERIFY_THROWS_EXCEPTION(EDesktopError, reader.ReadInteger());
        }
        {
            TDesktopReader reader(writer.Data());
            reader.ReadString();
            QVERIFY_THROWS_EXCEPTION(EDesktopError, reader.ReadBoolean());
        }
        const QByteArray bad[] = {"I 12x\n",  "I 99999999999\n", "S 50 short\n",
                                  "S -1 x\n", "B 2\n",           "I",
                                  "",         "R 99\nI 1\n",     "I 1"};
        for (const QByteArray& data : bad) {
            TDesktopReader reader(data);
            bool failed = false;
            try {
                if (data.startsWith('S'))
                    reader.ReadString();
                else if (data.startsWith('B'))
                    reader.ReadBoolean();
                else if (data.startsWith('R'))
                    reader.BeginRecord();
                else
                    reader.ReadInteger();
            } catch (const EDesktopError&) {
                failed = true;
            }
            QVERIFY2(failed, data.constData());
        }
    }

    void recordsBoundReadsAndSkipTheUnread() {
        TDesktopWriter writer;
        writer.BeginRecord();
        writer.WriteInteger(1);
        writer.BeginRecord(); // nested
        writer.WriteString(QStringLiteral("inner"));
        writer.WriteInteger(2);
        writer.EndRecord();
        writer.WriteInteger(3);
        writer.EndRecord();
        writer.BeginRecord();
        writer.WriteInteger(4);
        writer.EndRecord();

        TDesktopReader reader(writer.Data());
        reader.BeginRecord();
        QCOMPARE(reader.ReadInteger(), 1);
        reader.BeginRecord();
        QCOMPARE(reader.RecordDepth(), 2);
        QCOMPARE(reader.ReadString(), QStringLiteral("inner"));
        reader.EndRecord(); // skips the 2
        QCOMPARE(reader.ReadInteger(), 3);
        // Reading past the record's end fails even though more data follows.
        QVERIFY_THROWS_EXCEPTION(EDesktopError, reader.ReadInteger());
        reader.EndRecord();
        reader.BeginRecord();
        QCOMPARE(reader.ReadInteger(), 4);
        reader.EndRecord();
        QVERIFY(reader.AtEnd());

        // Leaving a failed record from any depth continues after it.
        TDesktopReader again(writer.Data());
        again.BeginRecord();
        again.ReadInteger();
        again.BeginRecord();
        again.LeaveRecordsTo(0);
        QCOMPARE(again.RecordDepth(), 0);
        again.BeginRecord();
        QCOMPARE(again.ReadInteger(), 4);
    }

    void unbalancedRecordsAreWriterErrors() {
        TDesktopWriter writer;
        QVERIFY_THROWS_EXCEPTION(EDesktopError, writer.EndRecord());
        writer.BeginRecord();
        QVERIFY_THROWS_EXCEPTION(EDesktopError, writer.Data());
    }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
