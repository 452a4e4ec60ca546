#include "framework/winregistry.h"
#include "platform/qt/dialogs.h"
#include "platform/settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {
const QString Base = QStringLiteral("SOFTWARE\\Mirelt Electronic\\Tavrissel/plus");
const std::string BaseKey = "SOFTWARE\\Mirelt Electronic\\Tavrissel/plus";
} // namespace

class WinRegistryTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::string StorePath() const { return dir.filePath(QStringLiteral("settings")).toStdString(); }

private slots:
    void init() { QFile::remove(QString::fromStdString(StorePath())); }

    void valuesKeepTheirTypes() {
        platform::Settings store(StorePath());
        auto owned = std::make_unique<TWinRegistry>(store, Base);
        TWinRegistry& reg = *owned;
        QVERIFY(store.keyExists(BaseKey));

        reg.WriteString(QStringLiteral("MainWindow"), QStringLiteral("Caption"),
                        QStringLiteral("Größe"));
        reg.WriteInteger(QStringLiteral("MainWindow"), QStringLiteral("Left"), -1);
        reg.WriteBool(QStringLiteral("MainWindow"), QStringLiteral("Visible"), true);
        reg.WriteBool(QStringLiteral("MainWindow"), QStringLiteral("Hidden"), false);
        const std::string section = BaseKey + "\\MainWindow";
        QCOMPARE(store.valueType(section, "Caption"), platform::SettingsType::String);
        QCOMPARE(store.readString(section, "Caption").value(), std::string("Gr\xF6\xDF"
                                                                           "e"));
        QCOMPARE(store.valueType(section, "Left"), platform::SettingsType::Integer);
        QCOMPARE(store.readInteger(section, "Visible").value(), 1);
        QCOMPARE(store.readInteger(section, "Hidden").value(), 0);

        QCOMPARE(reg.ReadString(QStringLiteral("MainWindow"), QStringLiteral("Caption"), QString()),
                 QStringLiteral("Größe"));
        QCOMPARE(reg.ReadInteger(QStringLiteral("MainWindow"), QStringLiteral("Left"), 5), -1);
        QCOMPARE(reg.ReadBool(QStringLiteral("MainWindow"), QStringLiteral("Visible"), false),
                 true);
        QCOMPARE(reg.ReadBool(QStringLiteral("MainWindow"), QStringLiteral("Hidden"), true), false);

        // Any non-zero integer reads as true; the last write wins.
        store.writeInteger(section, "Visible", 2);
        QCOMPARE(reg.ReadBool(QStringLiteral("MainWindow"), QStringLiteral("Visible"), false),
                 true);
        reg.WriteInteger(QStringLiteral("MainWindow"), QStringLiteral("Left"), 10);
        reg.WriteInteger(QStringLiteral("MainWindow"), QStringLiteral("Left"), 20);
        QCOMPARE(reg.ReadInteger(QStringLiteral("MainWindow"), QStringLiteral("Left"), 0), 20);

        // Writing is delayed: another program sees the values once the object is freed.
        platform::Settings again(StorePath());
        QVERIFY(!again.readInteger(section, "Left").has_value());
        owned.reset();
        TWinRegistry other(again, Base);
        QCOMPARE(other.ReadInteger(QStringLiteral("MainWindow"), QStringLiteral("Left"), 0), 20);
        QCOMPARE(
            other.ReadString(QStringLiteral("MainWindow"), QStringLiteral("Caption"), QString()),
            QStringLiteral("Größe"));
    }

    void missingValuesGiveTheDefaultAndCreateNothing() {
        platform::Settings store(StorePath());
        TWinRegistry reg(store, Base);
        QCOMPARE(
            reg.ReadString(QStringLiteral("Nowhere"), QStringLiteral("X"), QStringLiteral("d")),
            QStringLiteral("d"));
        QCOMPARE(reg.ReadInteger(QStringLiteral("Nowhere"), QStringLiteral("X"), 42), 42);
        QCOMPARE(reg.ReadBool(QStringLiteral("Nowhere"), QStringLiteral("X"), true), true);
        QVERIFY(!store.keyExists(BaseKey + "\\Nowhere"));
        reg.WriteInteger(QStringLiteral("Simulator"), QStringLiteral("Port"), 2);
        QCOMPARE(reg.ReadInteger(QStringLiteral("Simulator"), QStringLiteral("Other"), 7), 7);
    }

    void valuesOfAnotherTypeReadAsDefault() {
        platform::Settings store(StorePath());
        TWinRegistry reg(store, Base);
        const std::string section = BaseKey + "\\Colors";
        store.writeString(section, "Background", "blau");
        store.writeInteger(section, "Name", 17);
        QCOMPARE(reg.ReadInteger(QStringLiteral("Colors"), QStringLiteral("Background"), 99), 99);
        QCOMPARE(reg.ReadBool(QStringLiteral("Colors"), QStringLiteral("Background"), true), true);
        QCOMPARE(
            reg.ReadString(QStringLiteral("Colors"), QStringLiteral("Name"), QStringLiteral("d")),
            QStringLiteral("d"));
        // The values around the damaged one still read.
        reg.WriteInteger(QStringLiteral("Colors"), QStringLiteral("Text"), 3);
        QCOMPARE(reg.ReadInteger(QStringLiteral("Colors"), QStringLiteral("Text"), 0), 3);
    }

    void eraseSectionRemovesEverythingBelow() {
        platform::Settings store(StorePath());
        TWinRegistry reg(store, Base);
        reg.WriteInteger(QStringLiteral("Fonts"), QStringLiteral("Size"), 12);
        reg.WriteString(QStringLiteral("Fonts"), QStringLiteral("Name"), QStringLiteral("Courier"));
        store.writeInteger(BaseKey + "\\Fonts\\Editor", "Size", 9);
        reg.WriteInteger(QStringLiteral("Colors"), QStringLiteral("Text"), 1);

        reg.EraseSection(QStringLiteral("Fonts"));
        QCOMPARE(reg.ReadInteger(QStringLiteral("Fonts"), QStringLiteral("Size"), -1), -1);
        QCOMPARE(
            reg.ReadString(QStringLiteral("Fonts"), QStringLiteral("Name"), QStringLiteral("d")),
            QStringLiteral("d"));
        QVERIFY(!store.keyExists(BaseKey + "\\Fonts\\Editor"));
        QCOMPARE(reg.ReadInteger(QStringLiteral("Colors"), QStringLiteral("Text"), 0), 1);
    }

    void failedWritesAreReportedOnce() {
        // A store whose folder is a file can be neither created nor written.
        QFile blocker(dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        platform::Settings store(dir.filePath(QStringLiteral("blocker/settings")).toStdString());
        platform::DialogRecorder dialogs;
        {
            TWinRegistry reg(store, Base);
            reg.WriteInteger(QStringLiteral("MainWindow"), QStringLiteral("Left"), 1);
            reg.WriteString(QStringLiteral("MainWindow"), QStringLiteral("Name"),
                            QStringLiteral("x"));
            QCOMPARE(dialogs.Boxes().size(), size_t(0)); // written when the object goes
        }
        QCOMPARE(dialogs.Boxes().size(), size_t(1));
        QCOMPARE(dialogs.Boxes()[0].kind, platform::BoxKind::Error);
        // Nothing was kept.
        TWinRegistry again(store, Base);
        QCOMPARE(again.ReadInteger(QStringLiteral("MainWindow"), QStringLiteral("Left"), -7), -7);
    }

    void failureMessagesShowTheFileNameAsItIs() {
        // A settings "file" that is a folder cannot be read, so it must not be replaced.
        const QString folder = dir.filePath(QStringLiteral("Einstellungen für Jürgen"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/settings")));
        platform::Settings store((folder + QStringLiteral("/settings")).toStdString());
        platform::DialogRecorder dialogs;
        {
            TWinRegistry reg(store, Base);
            reg.WriteInteger(QStringLiteral("MainWindow"), QStringLiteral("Left"), 1);
        }
        QCOMPARE(dialogs.Boxes().size(), size_t(1));
        QVERIFY2(dialogs.Boxes()[0].text.contains(folder), qPrintable(dialogs.Boxes()[0].text));
    }
};

QTEST_MAIN(WinRegistryTest)
#include "winregistry_test.moc"
