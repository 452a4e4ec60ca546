// Chooses a menu item as the user does: a click on its menu's title, then on the item.
#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

inline void ChooseMenuItem(QMenuBar* bar, QAction* item) {
    QVERIFY(item);
    QMenu* menu = nullptr;
    for (QObject* object : item->associatedObjects())
        if (auto* owner = qobject_cast<QMenu*>(object))
            menu = owner;
    QVERIFY(menu);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    QTRY_VERIFY(menu->isVisible());
    QVERIFY2(item->isEnabled(), qPrintable(item->text()));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    QTRY_VERIFY(!menu->isVisible());
}
