// Texts of the main window, its tool windows and dialogs show whole in this platform's fonts;
// dialogs widened for their captions still open centred over the main window.
#include <QAction>
#include <QDialog>
#include <QFontDatabase>
#include <QMenu>
#include <QStatusBar>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "framework/desktop.h"
#include "framework/winregistry.h"
#include "graphical/editors/blockpalette.h"
#include "graphical/mainwindow/tavrisselform.h"
#include "graphical/model/block.h"
#include "graphical/model/blocklist.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/simwindows/aportfrm.h"

namespace {

// Room for the caption in the title font, with at least a frame button's width per button of
// a title bar that has the window icon and three buttons.
int TitleNeeds(const QWidget* window) {
    const QFontMetrics title(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    return title.horizontalAdvance(window->windowTitle()) + 4 * title.height();
}

// Runs act on the first modal dialog that comes up, then closes it.
void OnModal(const std::function<void(QDialog*)>& act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
            dialog->reject();
        }
    });
    timer->start(10);
}

} // namespace

class TestTextSizes : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        qputenv("XDG_CONFIG_HOME", (dir_.path() + QStringLiteral("/config")).toLocal8Bit());
        DesktopFileName = dir_.filePath(QStringLiteral("quendal.DSK"));
    }

    void treePaletteAndStatusBarShowTheirTexts() {
        TTavrisselForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.OpenProject(WriteProject()));
        QTreeWidget* tree = form.CellTree();
        QTreeWidgetItem* root = tree->topLevelItem(0);
        QVERIFY(root);
        for (QTreeWidgetItem* node : {root, root->child(0), root->child(1)}) {
            const QModelIndex index = tree->indexFromItem(node);
            QVERIFY2(tree->visualItemRect(node).left() + tree->sizeHintForIndex(index).width() <=
                         tree->viewport()->width(),
                     qPrintable(node->text(0)));
        }

        TBlockGroupComboBox* combo = form.PaletteBar()->CBBlockKategorie();
        QStyleOptionComboBox option;
        option.initFrom(combo);
        const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxEditField, combo);
        for (int i = 0; i < combo->count(); ++i)
            QVERIFY2(TBlockGroupDelegate::TextLeft +
                             combo->fontMetrics().horizontalAdvance(combo->itemText(i)) <=
                         field.width(),
                     qPrintable(combo->itemText(i)));

        // Nothing lies under the status bar.
        QCOMPARE(form.statusBar()->geometry().bottom(), form.rect().bottom());
    }

    void dialogsAreAsWideAsTheirCaptions() {
        TTavrisselForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.OpenProject(WriteProject()));

        // A parameter dialog of the engine library, as the block's properties open it.
        TQuendalModel* model = form.Model();
        TBlockList* cell = model->GetCell(0);
        QString caption;
        int width = 0, needs = 0;
        OnModal([&](QDialog* dialog) {
            caption = dialog->windowTitle();
            width = dialog->width();
            needs = TitleNeeds(dialog);
        });
        QVERIFY(cell && cell->FindBlock(blockId_));
        model->EditBlock(cell, 0, blockId_);
        QCOMPARE(caption, QStringLiteral("Eigenschaften des A/D-Blocks"));
        QVERIFY2(width >= needs, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needs)));

        // The About box from the help menu.
        auto* help = form.findChild<QMenu*>(QStringLiteral("HelpMenu"));
        QVERIFY(help);
        caption.clear();
        OnModal([&](QDialog* dialog) {
            caption = dialog->windowTitle();
            width = dialog->width();
            needs = TitleNeeds(dialog);
        });
        help->actions().last()->trigger();
        QVERIFY(caption.startsWith(QStringLiteral("Über die Tavrissel/")));
        QVERIFY2(width >= needs, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needs)));
    }

    void blockDialogsOpenCentredOverTheMainWindow() {
        TTavrisselForm form;
        form.setGeometry(10, 20, 500, 400);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.OpenProject(WriteProject()));
        TQuendalModel* model = form.Model();
        TBlockList* cell = model->GetCell(0);
        QVERIFY(cell);
        TBlock* comment = model->InsertTextBlock(cell, TRect{10, 80, 70, 100});
        QVERIFY(comment);
        // the engine's A/D dialog widens to its caption as it shows
        for (const int32_t id : {blockId_, comment->ID}) {
            form.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            QPoint offset(1000, 1000);
            OnModal([&](QDialog* dialog) {
                offset = dialog->frameGeometry().center() - form.frameGeometry().center();
            });
            model->EditBlock(cell, 0, id);
            QVERIFY2(offset.manhattanLength() < 30,
                     qPrintable(QStringLiteral("%1, %2").arg(offset.x()).arg(offset.y())));
        }
    }

    void toolWindowsAreNotSizable() {
        TTavrisselForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TAnalogPortForm* window = ShowAnalogPortWindow(&form, false);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QSize shown = window->size();
        // A window that cannot be sized gets no resize handle from the window manager.
        QCOMPARE(window->minimumSize(), shown);
        QCOMPARE(window->maximumSize(), shown);
        window->close();
    }

private:
    // A project with one cell holding an A/D block.
    QString WriteProject() {
        const QString fileName = dir_.filePath(QStringLiteral("sizes.mtp"));
        TQuendalModel model;
        model.InitNew();
        model.InsertNewCell(0);
        TBlock* block = model.InsertGraphBlock(model.GetCell(0), 103, TRect{10, 10, 70, 50});
        blockId_ = block ? block->ID : 0;
        model.SetFileName(fileName);
        return model.Save() ? fileName : QString();
    }

    QTemporaryDir dir_;
    int32_t blockId_ = 0;
};

QTEST_MAIN(TestTextSizes)
#include "tst_textsizes.moc"
