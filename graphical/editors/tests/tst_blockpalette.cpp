#include <QtTest>

#include <QAbstractItemView>
#include <QMenu>
#include <QPainter>
#include <QToolButton>

#include "graphical/editors/blockpalette.h"
#include "graphical/tests/fakeimageslibrary.h"

namespace {

// Buttons standing in for the main window's tool bar.
struct Buttons {
    QWidget host;
    QToolButton back{&host};
    QToolButton forward{&host};
    std::vector<QToolButton*> blocks;

    Buttons() {
        for (int i = 0; i < 8; ++i) {
            blocks.push_back(new QToolButton(&host));
        }
        host.show();
    }
    std::vector<QAbstractButton*> List() const { return {blocks.begin(), blocks.end()}; }
    int Shown() const {
        return static_cast<int>(std::count_if(blocks.begin(), blocks.end(),
                                              [](QToolButton* b) { return b->isVisible(); }));
    }
    int Tag(int i) const { return blocks[i]->property(kTagProperty).toInt(); }
};

// A palette over a fake library of the given groups, bound to buttons and showing group 0.
struct BoundPalette {
    TBlockCatalogue catalogue{NoMessages()};
    TBlockPalette palette{catalogue};
    Buttons buttons;

    explicit BoundPalette(const std::vector<std::pair<std::string, int>>& groups) {
        QVERIFY(catalogue.Load(MakeFakeLibrary(groups)));
        palette.InitBlockPalette(&buttons.back, buttons.List(), &buttons.forward);
        palette.SelectBlockGroup(0);
    }
};

struct Recorder {
    QStringList messages;
    TBlockCatalogue::ErrorHandler Handler() {
        return [this](const QString& message) { messages << message; };
    }
};

} // namespace

class TestBlockPalette : public QObject {
    Q_OBJECT

private slots:
    void scrollsAGroupLargerThanThePalette() {
        TBlockCatalogue catalogue(NoMessages());
        QVERIFY(catalogue.Load(MakeFakeLibrary({{"A", 10}, {"B", 3}})));
        TBlockPalette palette(catalogue);
        Buttons buttons;
        palette.InitBlockPalette(&buttons.back, buttons.List(), &buttons.forward);

        palette.SelectBlockGroup(0);
        QCOMPARE(buttons.Shown(), 8);
        QCOMPARE(palette.VisibleCount(), 8);
        QVERIFY(buttons.forward.isEnabled());
        QVERIFY(!buttons.back.isEnabled());
        QCOMPARE(buttons.Tag(0), 20100);
        QCOMPARE(buttons.Tag(7), 20107);
        QCOMPARE(buttons.blocks[0]->toolTip(), QString("Typ 100"));

        palette.ScrollBlockPalette(true);
        QVERIFY(buttons.forward.isEnabled());
        QVERIFY(buttons.back.isEnabled());
        palette.ScrollBlockPalette(true);
        QVERIFY(!buttons.forward.isEnabled());
        QVERIFY(buttons.back.isEnabled());
        QCOMPARE(palette.FirstIndex(), 2);
        QCOMPARE(buttons.Tag(0), 20102);
        QCOMPARE(buttons.Tag(7), 20109);
        QCOMPARE(buttons.blocks[7]->toolTip(), QString("Typ 109"));

        // At the end the window stays put.
        palette.ScrollBlockPalette(true);
        QCOMPARE(palette.FirstIndex(), 2);
        palette.ScrollBlockPalette(false);
        palette.ScrollBlockPalette(false);
        palette.ScrollBlockPalette(false);
        QCOMPARE(palette.FirstIndex(), 0);
        QVERIFY(!buttons.back.isEnabled());
        QCOMPARE(buttons.Tag(0), 20100);

        // A small group hides the spare buttons and cannot scroll.
        palette.ScrollBlockPalette(true);
        palette.SelectBlockGroup(1);
        QCOMPARE(palette.FirstIndex(), 0);
        QCOMPARE(buttons.Shown(), 3);
        QVERIFY(buttons.blocks[2]->isVisible());
        QVERIFY(!buttons.blocks[3]->isVisible());
        QVERIFY(!buttons.forward.isEnabled());
        QVERIFY(!buttons.back.isEnabled());
        QCOMPARE(buttons.Tag(2), 20202);
        palette.ScrollBlockPalette(true);
        QCOMPARE(palette.FirstIndex(), 0);
    }

    // Fewer buttons in use keep the types shown as far as they fit; more fill up from the
    // group's end rather than leave buttons empty.
    void usableButtonsLimitThePalette() {
        BoundPalette bound({{"A", 10}});
        TBlockPalette& palette = bound.palette;
        const Buttons& buttons = bound.buttons;
        palette.SetUsableButtons(4);
        QCOMPARE(buttons.Shown(), 4);
        for (int i = 0; i < 7; ++i)
            palette.ScrollBlockPalette(true);
        QCOMPARE(palette.FirstIndex(), 6);
        QCOMPARE(buttons.Tag(3), 20109);
        QVERIFY(!buttons.forward.isEnabled());

        palette.SetUsableButtons(8);
        QCOMPARE(buttons.Shown(), 8);
        QCOMPARE(palette.FirstIndex(), 2);
        QCOMPARE(buttons.Tag(7), 20109);
        palette.SetUsableButtons(3);
        palette.SelectBlockGroup(0);
        QCOMPARE(buttons.Shown(), 3);
        QVERIFY(buttons.forward.isEnabled());
    }

    void groupOutsideTheListHidesEverything() {
        BoundPalette bound({{"A", 10}});
        TBlockPalette& palette = bound.palette;
        const Buttons& buttons = bound.buttons;
        palette.SelectBlockGroup(1);
        QCOMPARE(buttons.Shown(), 0);
        QVERIFY(!buttons.forward.isEnabled());
        QVERIFY(!buttons.back.isEnabled());
        // Scrolling afterwards must not bring the old group back.
        palette.ScrollBlockPalette(true);
        QVERIFY(!buttons.forward.isEnabled());
        QCOMPARE(buttons.Shown(), 0);
        palette.SelectBlockGroup(-1);
        QCOMPARE(buttons.Shown(), 0);
    }

    void nothingHappensWithoutButtons() {
        TBlockCatalogue catalogue(NoMessages());
        QVERIFY(catalogue.Load(MakeFakeLibrary({{"A", 10}})));
        TBlockPalette palette(catalogue);
        palette.SelectBlockGroup(0);
        palette.ScrollBlockPalette(true);
        QVERIFY(palette.CurrentGroup() == nullptr);

        Buttons buttons;
        palette.InitBlockPalette(&buttons.back, buttons.List(), &buttons.forward);
        palette.SelectBlockGroup(0);
        palette.DoneBlockPalette();
        buttons.blocks[0]->setProperty(kTagProperty, 1);
        palette.SelectBlockGroup(0);
        palette.UpdateBlockPalette();
        QCOMPARE(buttons.Tag(0), 1);
    }

    void emptyCatalogueShowsNoButtons() {
        TBlockCatalogue catalogue(NoMessages());
        QVERIFY(!catalogue.Load(nullptr));
        TBlockPalette palette(catalogue);
        Buttons buttons;
        palette.InitBlockPalette(&buttons.back, buttons.List(), &buttons.forward);
        palette.SelectBlockGroup(0);
        QCOMPARE(buttons.Shown(), 0);
        QVERIFY(!buttons.forward.isEnabled());
        QVERIFY(!buttons.back.isEnabled());

        TBlockGroupComboBox combo;
        combo.Fill(catalogue);
        QCOMPARE(combo.count(), 0);
        QMenu menu;
        BuildBlockMenu(&menu, catalogue, [](int) {});
        QVERIFY(menu.actions().isEmpty());

        // The whole palette shows and paints without a single group.
        TBlockPalette barPalette(catalogue);
        TBlockPaletteBar bar(barPalette, catalogue);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QVERIFY(!bar.grab().isNull());
        QCOMPARE(bar.CBBlockKategorie()->currentIndex(), -1);
        QVERIFY(!bar.BlockButton(0)->isVisible());
        QVERIFY(!bar.BlockForwardButton()->isEnabled());
        QTest::mouseClick(bar.BlockForwardButton(), Qt::LeftButton);
        QVERIFY(barPalette.CurrentGroup() == nullptr);
    }

    void missingGlyphIsReported() {
        Recorder errors;
        TBlockCatalogue catalogue(errors.Handler());
        auto library = MakeFakeLibrary({{"A", 2}});
        library->bitmaps.erase("G101");
        QVERIFY(catalogue.Load(std::move(library)));
        TBlockPalette palette(catalogue);
        Buttons buttons;
        palette.InitBlockPalette(&buttons.back, buttons.List(), &buttons.forward);
        palette.SelectBlockGroup(0);
        QCOMPARE(errors.messages, QStringList{"Konnte Bitmap G101 nicht finden!"});
        QVERIFY(!buttons.blocks[0]->icon().isNull());
        QVERIFY(buttons.blocks[1]->icon().isNull());
        QCOMPARE(buttons.Tag(1), 20101);
    }

    void glyphHalvesBecomeNormalAndDisabledLooks() {
        QImage glyph(8, 2, QImage::Format_RGB32);
        glyph.fill(qRgb(255, 0, 255));
        glyph.setPixel(1, 0, qRgb(200, 0, 0));
        glyph.setPixel(5, 0, qRgb(90, 90, 90));
        QIcon icon = GlyphIcon(glyph);
        QImage normal = icon.pixmap(QSize(4, 2), QIcon::Normal).toImage();
        QImage disabled = icon.pixmap(QSize(4, 2), QIcon::Disabled).toImage();
        QCOMPARE(normal.size(), QSize(4, 2));
        QCOMPARE(normal.pixel(1, 0), qRgb(200, 0, 0));
        QCOMPARE(qAlpha(normal.pixel(0, 0)), 0);
        QCOMPARE(disabled.pixel(1, 0), qRgb(90, 90, 90));
        QCOMPARE(qAlpha(disabled.pixel(0, 1)), 0);
    }

    void blockMenuFromTheImagesLibrary() {
        TBlockCatalogue catalogue(NoMessages());
        QVERIFY(catalogue.Load(LoadImagesLibrary()));
        QMenu menu;
        QList<int> dispatched;
        BuildBlockMenu(&menu, catalogue, [&](int command) { dispatched << command; });
        QCOMPARE(menu.actions().size(), 11);
        QSet<int> tags;
        int items = 0;
        for (int g = 0; g < menu.actions().size(); ++g) {
            QAction* groupAction = menu.actions()[g];
            QCOMPARE(groupAction->text(), catalogue.Group(g)->Caption);
            QCOMPARE(groupAction->statusTip(),
                     QString::fromUtf8("Einen Blocktyp dieser Gruppe wählen"));
            QMenu* groupMenu = groupAction->menu();
            QVERIFY(groupMenu != nullptr);
            for (int i = 0; i < groupMenu->actions().size(); ++i) {
                QAction* item = groupMenu->actions()[i];
                TBlockTyp* type = catalogue.Group(g)->GetBlock(i);
                QCOMPARE(item->text(), type->Name);
                QCOMPARE(item->property(kTagProperty).toInt(), 20000 + type->ID);
                QCOMPARE(item->statusTip(), QString::fromUtf8("Einen Block dieses Typs einfügen"));
                tags.insert(item->property(kTagProperty).toInt());
                ++items;
            }
        }
        QCOMPARE(items, 81);
        QCOMPARE(tags.size(), 81);

        menu.actions()[4]->menu()->actions()[5]->trigger();
        QCOMPARE(dispatched, QList<int>{20405});
    }

    void blockMenuSkipsEmptyGroups() {
        TBlockCatalogue catalogue(NoMessages());
        auto library = MakeFakeLibrary({{"A", 1}, {"B", 0}, {"C", 2}});
        library->blocks["B"] = "xy";
        QVERIFY(catalogue.Load(std::move(library)));
        QMenu menu;
        BuildBlockMenu(&menu, catalogue, [](int) {});
        QCOMPARE(menu.actions().size(), 2);
        QCOMPARE(menu.actions()[1]->text(), QString("Gruppe C"));
        // The combo box still lists the empty group.
        TBlockGroupComboBox combo;
        combo.Fill(catalogue);
        QCOMPARE(combo.count(), 3);
        QCOMPARE(combo.itemText(1), QString("Gruppe B"));
    }

    void groupItemsAreOwnerDrawn() {
        QImage bitmap(28, 16, QImage::Format_RGB32);
        bitmap.fill(qRgb(1, 2, 3));
        QPalette palette;
        palette.setColor(QPalette::Highlight, qRgb(0, 0, 200));
        palette.setColor(QPalette::Base, qRgb(250, 250, 250));
        palette.setColor(QPalette::HighlightedText, qRgb(255, 255, 255));

        for (bool selected : {false, true}) {
            QImage item(200, 18, QImage::Format_RGB32);
            item.fill(qRgb(9, 9, 9));
            QPainter painter(&item);
            TBlockGroupDelegate::PaintItem(&painter, QRect(0, 0, 200, 18), selected, palette,
                                           "Logik", bitmap);
            painter.end();
            QRgb background = selected ? qRgb(0, 0, 200) : qRgb(250, 250, 250);
            QCOMPARE(item.pixel(0, 0), background);
            QCOMPARE(item.pixel(199, 17), background);
            QCOMPARE(item.pixel(2, 0), qRgb(1, 2, 3));
            QCOMPARE(item.pixel(29, 15), qRgb(1, 2, 3));
            QCOMPARE(item.pixel(30, 0), background);
            // The caption is drawn from x = 32 on.
            bool text = false;
            for (int y = 0; y < 18; ++y) {
                for (int x = 0; x < 200; ++x) {
                    bool inCaption = item.pixel(x, y) != background && (x >= 30 || y >= 16);
                    text |= inCaption;
                    if (inCaption) {
                        QVERIFY2(x >= 32, qPrintable(QString("pixel at %1,%2").arg(x).arg(y)));
                    }
                }
            }
            QVERIFY(text);
        }

        // The item clip keeps a long caption inside its rectangle.
        QImage strip(100, 40, QImage::Format_RGB32);
        strip.fill(qRgb(9, 9, 9));
        QPainter painter(&strip);
        TBlockGroupDelegate::PaintItem(&painter, QRect(0, 10, 60, 18), false, palette,
                                       QString(50, 'W'), bitmap);
        painter.end();
        QCOMPARE(strip.pixel(60, 15), qRgb(9, 9, 9));
        QCOMPARE(strip.pixel(10, 9), qRgb(9, 9, 9));
        QCOMPARE(strip.pixel(10, 28), qRgb(9, 9, 9));

        TBlockGroupDelegate delegate;
        QCOMPARE(delegate.sizeHint(QStyleOptionViewItem(), QModelIndex()).height(), 18);
    }

    // The palette as the main window wires it, driven by clicks and keys.
    void paletteBarFollowsTheUser() {
        TBlockCatalogue catalogue(NoMessages());
        QVERIFY(catalogue.Load(LoadImagesLibrary()));
        TBlockPalette palette(catalogue);
        TBlockPaletteBar bar(palette, catalogue);
        bar.resize(bar.sizeHint());
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));

        QList<int> commands;
        connect(&bar, &TBlockPaletteBar::blockCommand, [&](int command) { commands << command; });
        QCOMPARE(bar.CBBlockKategorie()->count(), 11);
        QCOMPARE(bar.CBBlockKategorie()->maxVisibleItems(), 7);
        QCOMPARE(palette.CurrentGroup(), catalogue.Group(0));
        QTest::mouseClick(bar.BlockButton(0), Qt::LeftButton);
        QCOMPARE(commands, QList<int>{20000 + catalogue.Group(0)->GetBlock(0)->ID});

        // Arithmetic has more types than buttons.
        int arithmetic = 2;
        QVERIFY(catalogue.Group(arithmetic)->Count() > 8);
        bar.CBBlockKategorie()->setFocus();
        QTest::keyClick(bar.CBBlockKategorie(), Qt::Key_Down);
        QTest::keyClick(bar.CBBlockKategorie(), Qt::Key_Down);
        QCOMPARE(palette.CurrentGroup(), catalogue.Group(arithmetic));
        QVERIFY(bar.BlockForwardButton()->isEnabled());
        QTest::mouseClick(bar.BlockForwardButton(), Qt::LeftButton);
        QCOMPARE(palette.FirstIndex(), 1);
        QVERIFY(bar.BlockBackwardButton()->isEnabled());
        QTest::mouseClick(bar.BlockBackwardButton(), Qt::LeftButton);
        QCOMPARE(palette.FirstIndex(), 0);
        QVERIFY(!bar.BlockBackwardButton()->isEnabled());
        commands.clear();
        QTest::mouseClick(bar.BlockButton(7), Qt::LeftButton);
        QCOMPARE(commands, QList<int>{20000 + catalogue.Group(arithmetic)->GetBlock(7)->ID});
    }

    // Narrowed, the bar uses as many block buttons as fit, and every type stays in reach.
    void narrowPaletteBarKeepsEveryTypeInReach() {
        TBlockCatalogue catalogue(NoMessages());
        QVERIFY(catalogue.Load(LoadImagesLibrary()));
        TBlockPalette palette(catalogue);
        TBlockPaletteBar bar(palette, catalogue);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        const int arithmetic = 2;
        const int count = catalogue.Group(arithmetic)->Count();
        bar.CBBlockKategorie()->setCurrentIndex(arithmetic);
        emit bar.CBBlockKategorie()->activated(arithmetic);
        auto inside = [&bar] {
            for (const QWidget* control : bar.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (control->isVisible() && !bar.rect().contains(control->geometry()))
                    return false;
            return true;
        };

        bar.resize(bar.minimumSizeHint());
        QCOMPARE(palette.VisibleCount(), 1);
        QVERIFY(inside());
        QVERIFY(bar.BlockForwardButton()->x() > bar.BlockButton(0)->geometry().right());
        while (bar.BlockForwardButton()->isEnabled())
            QTest::mouseClick(bar.BlockForwardButton(), Qt::LeftButton);
        QCOMPARE(palette.FirstIndex(), count - 1);

        bar.resize(bar.sizeHint());
        QCOMPARE(palette.VisibleCount(), 8);
        QCOMPARE(palette.FirstIndex(), count - 8);
        QVERIFY(inside());
    }

    // Renders the palette of every group and keeps the pictures for a look.
    void screenshotsOfEveryGroup() {
        TBlockCatalogue catalogue(NoMessages());
        QVERIFY(catalogue.Load(LoadImagesLibrary()));
        TBlockPalette palette(catalogue);
        TBlockPaletteBar bar(palette, catalogue);
        bar.resize(bar.sizeHint());
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QDir().mkpath("screenshots");
        for (int g = 0; g < bar.CBBlockKategorie()->count(); ++g) {
            bar.CBBlockKategorie()->setCurrentIndex(g);
            emit bar.CBBlockKategorie()->activated(g);
            QImage shot = bar.grab().toImage();
            QVERIFY(!shot.isNull());
            QVERIFY(shot.save(QString("screenshots/palette-group-%1.png").arg(g + 1)));

            // Every shown button carries its type's glyph: the group colour of the glyph's
            // body appears inside the button.
            int shown = std::min(catalogue.Group(g)->Count(), 8);
            for (int i = 0; i < 8; ++i) {
                QToolButton* button = bar.BlockButton(i);
                QCOMPARE(button->isVisible(), i < shown);
                if (i >= shown) {
                    continue;
                }
                QImage glyph = catalogue.LoadResource(catalogue.Group(g)->GetBlock(i)->GlyphName);
                QRgb body = glyph.pixel(20, 3);
                QImage face = shot.copy(button->geometry());
                bool found = false;
                for (int y = 0; y < face.height() && !found; ++y) {
                    for (int x = 0; x < face.width() && !found; ++x) {
                        found = face.pixel(x, y) == body;
                    }
                }
                QVERIFY2(found, qPrintable(QString("group %1 button %2").arg(g).arg(i)));
            }
        }
    }
};

QTEST_MAIN(TestBlockPalette)
#include "tst_blockpalette.moc"
