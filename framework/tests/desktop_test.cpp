#include "framework/desktop.h"
#include "framework/mdiframe.h"
#include "platform/qt/dialogs.h"
#include "platform/tests/sizelimit.h"
#include "platform/tests/writeprotect.h"

#include <QTemporaryDir>
#include <QtTest>
#include <limits>
#include <optional>

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

    void aDesktopFileTheDiskCannotHoldStaysAsItWas() {
        // a size limit stands in for a full disk, in a writable folder and in one that takes no
        // new files
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("test.DSK"));
        WriteDesktopFile(name, [](TDesktopWriter& writer) { writer.WriteInteger(1); });
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray old = file.readAll();
        file.close();
        for (const bool closedFolder : {false, true}) {
            std::optional<TClosedFolder> closed;
            if (closedFolder) {
                if (const std::string why = WriteProtectionUnavailable(); !why.empty())
                    QSKIP(why.c_str());
                closed.emplace(name);
            }
            TSizeLimit limit(5000);
            platform::DialogRecorder recorder;
            WriteDesktopFile(name, [](TDesktopWriter& writer) {
                writer.WriteString(QString(6000, QLatin1Char('x')));
            });
            QCOMPARE(recorder.Boxes().size(), size_t(1));
            QCOMPARE(recorder.Boxes()[0].text,
                     QStringLiteral("Konnte die Desktopdatei nicht erstellen!\rFehler beim "
                                    "Schreiben der Datei %1:\rDie Datei ist zu gro\u00DF\rDie "
                                    "Datei auf dem Datentr\u00E4ger ist unver\u00E4ndert.")
                         .arg(name));
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("test.DSK")});
    }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
