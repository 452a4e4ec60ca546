#include "framework/mrufilelist.h"
#include "framework/winregistry.h"
#include "platform/qt/dialogs.h"

#include <QMenu>
#include <QtTest>
#include <map>

namespace {

// Settings held in memory, as the list sees them.
class TMemorySections : public TSettingsSections {
public:
    std::map<QString, QString> strings;
    std::map<QString, int32_t> integers;

    QString ReadString(const QString& section, const QString& ident, const QString& def) override {
        const auto it = strings.find(section + QLatin1Char('/') + ident);
        return it == strings.end() ? def : it->second;
    }
    int32_t ReadInteger(const QString& section, const QString& ident, int32_t def) override {
        const auto it = integers.find(section + QLatin1Char('/') + ident);
        return it == integers.end() ? def : it->second;
    }
    void WriteString(const QString& section, const QString& ident, const QString& value) override {
        strings[section + QLatin1Char('/') + ident] = value;
    }
    void WriteInteger(const QString& section, const QString& ident, int32_t value) override {
        integers[section + QLatin1Char('/') + ident] = value;
    }
};

QString Name(int i) {
    return QStringLiteral("/home/u/projekt%1.mtp").arg(i);
}

} // namespace

class MruFileListTest : public QObject {
    Q_OBJECT

    QMenu* menu = nullptr;
    QAction* print = nullptr;
    QAction* exit = nullptr;
    TMRUFileList* list = nullptr;

    QList<QAction*> VisibleSlots() const {
        QList<QAction*> shown;
        for (int i = 0; i < TMRUFileList::MaxEntries; ++i) {
            if (list->Item(i) && list->Item(i)->isVisible())
                shown << list->Item(i);
        }
        return shown;
    }

private slots:
    void init() {
        menu = new QMenu;
        menu->addAction(QStringLiteral("&Öffnen"));
        print = menu->addAction(QStringLiteral("&Drucken"));
        exit = menu->addAction(QStringLiteral("&Beenden"));
        list = new TMRUFileList(menu);
        list->SetMRUItemCount(5);
        list->SetParentMenu(menu);
        list->SetInsertAfter(print);
        list->SetSeparatorBefore(true);
        list->SetHint(QStringLiteral("Diese Datei erneut öffnen"));
        list->Loaded();
    }

    void cleanup() {
        delete menu;
        menu = nullptr;
    }

    void itemsFollowTheInsertionPoint() {
        const QList<QAction*> actions = menu->actions();
        QCOMPARE(actions.size(), 3 + 1 + 5);
        QCOMPARE(actions[1], print);
        QVERIFY(actions[2]->isSeparator());
        QCOMPARE(actions[3]->objectName(), QStringLiteral("FileMRUItem0"));
        QCOMPARE(actions[7]->objectName(), QStringLiteral("FileMRUItem4"));
        QCOMPARE(actions[8], exit);
        QCOMPARE(actions[4]->statusTip(), QStringLiteral("Diese Datei erneut öffnen"));
        // Nothing listed yet: no slot and no separator shows.
        QVERIFY(VisibleSlots().isEmpty());
        QVERIFY(!list->Separator()->isVisible());
    }

    void newestFirstWithoutDuplicatesAtMostEight() {
        for (int i = 1; i <= 3; ++i)
            list->AddFile(Name(i));
        QCOMPARE(list->Names(), (QStringList{Name(3), Name(2), Name(1)}));
        list->AddFile(Name(1));
        QCOMPARE(list->Names(), (QStringList{Name(1), Name(3), Name(2)}));
        // Names differing in letter case are different files here.
        list->AddFile(Name(1).toUpper());
        QCOMPARE(list->Names().size(), 4);

        for (int i = 4; i <= 9; ++i)
            list->AddFile(Name(i));
        QCOMPARE(list->Names().size(), TMRUFileList::MaxEntries);
        QCOMPARE(list->Names().first(), Name(9));
        QVERIFY(!list->Names().contains(Name(2))); // the oldest went

        // Five slots show the five newest, numbered from 1.
        const QList<QAction*> shown = VisibleSlots();
        QCOMPARE(shown.size(), 5);
        QCOMPARE(shown[0]->text(), QStringLiteral("&1 ") + Name(9));
        QCOMPARE(shown[4]->text(), QStringLiteral("&5 ") + Name(5));
        QVERIFY(list->Separator()->isVisible());

        list->RemoveFile(Name(9));
        QCOMPARE(VisibleSlots()[0]->text(), QStringLiteral("&1 ") + Name(8));
    }

    void ampersandShowsAsItself() {
        list->AddFile(QStringLiteral("/daten/Kunz & Co.mtp"));
        QCOMPARE(list->Item(0)->text(), QStringLiteral("&1 /daten/Kunz && Co.mtp"));
        QCOMPARE(list->Item(0)->iconText(), QStringLiteral("1 /daten/Kunz & Co.mtp"));
    }

    void clickOpensAndRemoves() {
        QStringList opened;
        list->OnOpenFile = [&](const QString& name) { opened << name; };
        list->AddFile(Name(1));
        list->AddFile(Name(2));

        menu->popup(QPoint(10, 10));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QAction* second = list->Item(1);
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                          menu->actionGeometry(second).center());
        QCOMPARE(opened, QStringList{Name(1)});
        QCOMPARE(list->Names(), QStringList{Name(2)});
        QCOMPARE(VisibleSlots().size(), 1);
    }

    void failingOpenStillRemovesTheEntry() {
        platform::DialogRecorder dialogs;
        list->OnOpenFile = [](const QString&) {
            throw EFrameworkError(QStringLiteral("Datei fehlt"));
        };
        list->AddFile(Name(1));
        list->Item(0)->trigger();
        QVERIFY(list->Names().isEmpty());
        QCOMPARE(dialogs.Boxes().size(), size_t(1));
        QCOMPARE(dialogs.Boxes()[0].text, QStringLiteral("Datei fehlt"));
    }

    void settingsRoundTripAndHandEditedCount() {
        TMemorySections reg;
        list->AddFile(Name(1));
        list->AddFile(Name(2));
        list->AddFile(Name(3));
        list->SaveToRegistry(reg);
        QCOMPARE(reg.integers[QStringLiteral("MRUList/Count")], 3);
        QCOMPARE(reg.strings[QStringLiteral("MRUList/File1")], Name(3));
        for (int i = 4; i <= 8; ++i)
            QCOMPARE(reg.strings[QStringLiteral("MRUList/File%1").arg(i)], QString());

        TMRUFileList other;
        other.LoadFromRegistry(reg);
        QCOMPARE(other.Names(), list->Names());

        // Empty entries are skipped, and no more than eight are read whatever the count says.
        reg.strings[QStringLiteral("MRUList/File2")] = QString();
        for (int i = 4; i <= 20; ++i)
            reg.strings[QStringLiteral("MRUList/File%1").arg(i)] = Name(100 + i);
        reg.integers[QStringLiteral("MRUList/Count")] = 1000000;
        other.LoadFromRegistry(reg);
        QCOMPARE(other.Names().size(), 7);
        QCOMPARE(other.Names()[0], Name(3));
        QCOMPARE(other.Names()[1], Name(1));
        QCOMPARE(other.Names().last(), Name(108));

        reg.integers[QStringLiteral("MRUList/Count")] = -5;
        other.LoadFromRegistry(reg);
        QVERIFY(other.Names().isEmpty());
    }

    void shorteningLongPaths() {
        const QString shortName = QStringLiteral("/a/b.mtp");
        QCOMPARE(TMRUFileList::ShortenMRUPath(shortName), shortName);
        // One long folder and a short file name: the root, "..." and the last part.
        const QString folder(46, QLatin1Char('x'));
        const QString oneFolder = QStringLiteral("/") + folder + QStringLiteral("/abc.mtp");
        QCOMPARE(oneFolder.size(), 55);
        QCOMPARE(TMRUFileList::ShortenMRUPath(oneFolder), QStringLiteral("/.../abc.mtp"));
        // Several folders: the first cut that makes the caption fit.
        const QString deep = QStringLiteral("/home/benutzer/projekte/steuerung/anlage-nord/"
                                            "version-zwei/pumpe.mtp");
        const QString shortened = TMRUFileList::ShortenMRUPath(deep);
        QCOMPARE(shortened, QStringLiteral("/.../steuerung/anlage-nord/version-zwei/pumpe.mtp"));
        QVERIFY(shortened.size() <= 53);
        // No folder to cut at: the name stays whole.
        const QString flat = QStringLiteral("/") + QString(60, QLatin1Char('y'));
        QCOMPARE(TMRUFileList::ShortenMRUPath(flat), flat);
    }

    void removedSlotItemsMoveTheOthersUp() {
        QAction* first = list->Item(0);
        QAction* second = list->Item(1);
        delete first;
        QCOMPARE(list->Item(0), second);
        QCOMPARE(list->Item(4), nullptr);
    }

    void configurationErrors() {
        TMRUFileList fresh;
        QVERIFY_THROWS_EXCEPTION(EPropertyError, fresh.SetMRUItemCount(9));
        fresh.SetMRUItemCount(3);
        QVERIFY_THROWS_EXCEPTION(EPropertyError, fresh.SetMRUItemCount(4));
        QVERIFY_THROWS_EXCEPTION(EPropertyError, fresh.Loaded());
        fresh.SetParentMenu(menu);
        QMenu elsewhere;
        QAction* foreign = elsewhere.addAction(QStringLiteral("x"));
        QVERIFY_THROWS_EXCEPTION(EPropertyError, fresh.SetInsertAfter(foreign));
        fresh.SetInsertAfter(exit);
        fresh.SetParentMenu(&elsewhere); // the insertion point does not belong there
        QCOMPARE(fresh.InsertAfter(), nullptr);
    }
};

QTEST_MAIN(MruFileListTest)
#include "mrufilelist_test.moc"
