// The project tree: what it shows for a project, how it follows the project's changes, its
// commands and keys, renaming in place, dragging cells and its desktop part.
#include <QtTest>

#include <QClipboard>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QTreeWidget>

#include <stdexcept>

#include "framework/desktop.h"
#include "framework/mrufilelist.h"
#include "framework/simwindows/rowgrid.h"
#include "framework/winregistry.h"
#include "graphical/editors/commentedit.h"
#include "graphical/editors/tableedit.h"
#include "graphical/mainwindow/projectcontroller.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/blocklist.h"
#include "graphical/model/conversiontable.h"
#include "graphical/simwindows/terminal.h"
#include "graphical/tests/edittestmodel.h"
#include "platform/qt/dialogs.h"
#include "platform/settings.h"

using namespace edittest;

// Stands in for the cell editor: remembers the cell it shows.
class FakeCellForm : public TMDIChildForm {
    Q_OBJECT
public:
    using TMDIChildForm::TMDIChildForm;
    int Cell = 0;
    QList<int> Notified;
    bool FailNotified = false;
    void UpdateAspekt(int code, NotifyData) override {
        Notified << code;
        if (FailNotified)
            throw std::runtime_error("Anzeige gescheitert");
    }
};

namespace {

constexpr uint32_t CellData(int n) {
    return uint32_t(n);
}
constexpr uint32_t TableData(int n) {
    return 0xFFFE0000u | uint32_t(n);
}

} // namespace

class TestProjectController : public QObject {
    Q_OBJECT

    QTemporaryDir workDir_;
    QString projectFile_;
    std::unique_ptr<QWidget> window_;
    QTreeWidget* tree_ = nullptr;
    QMdiArea* area_ = nullptr;
    QMenu* popup_ = nullptr;
    TMRUFileList* mru_ = nullptr;
    std::unique_ptr<TProjectController> controller_;
    std::unique_ptr<platform::DialogRecorder> boxes_;
    QList<FakeCellForm*> created_;

    TQuendalModel* Model() { return controller_->GetModel(); }
    QTreeWidgetItem* Cells() { return controller_->CellsNode(); }
    QTreeWidgetItem* Tables() { return controller_->TablesNode(); }
    static int Image(const QTreeWidgetItem* node) {
        return node->data(0, TProjectController::ImageRole).toInt();
    }
    static int State(const QTreeWidgetItem* node) {
        return node->data(0, TProjectController::StateRole).toInt();
    }
    static uint32_t Data(const QTreeWidgetItem* node) { return TProjectController::DataOf(node); }
    QStringList CellTexts() {
        QStringList texts;
        for (int i = 0; i < Cells()->childCount(); ++i)
            texts << Cells()->child(i)->text(0);
        return texts;
    }
    QStringList ModelCells() {
        QStringList names;
        for (const auto& cell : Model()->Cells)
            names << QString::fromStdString(cell->Name);
        return names;
    }
    QStringList BoxTexts() {
        QStringList texts;
        for (const auto& box : boxes_->Boxes())
            texts << box.text;
        boxes_->Clear();
        return texts;
    }
    FakeCellForm* ActiveCellForm() { return qobject_cast<FakeCellForm*>(area_->activeSubWindow()); }

    // The viewport's drag events end here; a synthesized drag event does not reach the
    // viewport's filters without a drag in progress.
    void SendDrag(QEvent::Type type, QTreeWidgetItem* target, Qt::KeyboardModifiers modifiers,
                  QMimeData& mime, bool* accepted = nullptr) {
        const bool ok = type == QEvent::Drop ? controller_->Drop(&mime, target, modifiers)
                                             : controller_->DragOver(&mime, target, modifiers);
        if (accepted)
            *accepted = ok;
    }
    QMimeData* DragMime() {
        auto* mime = new QMimeData();
        mime->setData(TProjectController::DragFormat,
                      QByteArray::number(quintptr(controller_.get())));
        return mime;
    }
    // Press, release, then the double-click press and its release, as the window system sends.
    void DoubleClick(QPoint at) {
        QTest::mouseClick(tree_->viewport(), Qt::LeftButton, {}, at);
        const QPointF global = tree_->viewport()->mapToGlobal(QPointF(at));
        QMouseEvent press(QEvent::MouseButtonDblClick, QPointF(at), global, Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tree_->viewport(), &press);
        QTest::mouseRelease(tree_->viewport(), Qt::LeftButton, {}, at);
    }
    // Types the name into the node's in-place editor; false when none opens.
    bool RenameInPlace(QTreeWidgetItem* node, const char* name) {
        tree_->setCurrentItem(node);
        tree_->setFocus();
        tree_->editItem(node);
        auto* editor = tree_->findChild<QLineEdit*>();
        if (!editor)
            return false;
        editor->selectAll();
        QTest::keyClicks(editor, name);
        QTest::keyClick(editor, Qt::Key_Return);
        return true;
    }
    void PressOn(QTreeWidgetItem* node, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mousePress(tree_->viewport(), Qt::LeftButton, modifiers,
                          tree_->visualItemRect(node).center());
        QTest::mouseRelease(tree_->viewport(), Qt::LeftButton, modifiers,
                            tree_->visualItemRect(node).center());
    }

private slots:
    void initTestCase() {
        QVERIFY(LoadBlockCatalogue());
        QVERIFY(QDir::setCurrent(workDir_.path()));
        projectFile_ = QDir::current().filePath("sample.mtp");
        QVERIFY(WriteFile(projectFile_, SampleProject()));
        CellEditors.Create = [this](TQuendalModel* model) -> TMDIChildForm* {
            auto* form = TMDIChildForm::Create<FakeCellForm>(model);
            created_ << form;
            return form;
        };
        CellEditors.CellOf = [](TMDIChildForm* form) {
            auto* cell = qobject_cast<FakeCellForm*>(form);
            return cell ? cell->Cell : -1;
        };
        CellEditors.ShowCell = [](TMDIChildForm* form, int number) {
            static_cast<FakeCellForm*>(form)->Cell = number;
        };
    }
    void cleanupTestCase() {
        CellEditors = {};
        FreeBlockCatalogue();
    }
    void init() {
        AutoExpandCells = true;
        AutoExpandTables = false;
        AutoOpenFirstCell = true;
        AutoSynchronize = false;
        boxes_ = std::make_unique<platform::DialogRecorder>();
        window_ = std::make_unique<QWidget>();
        auto* layout = new QHBoxLayout(window_.get());
        tree_ = new QTreeWidget();
        area_ = new QMdiArea();
        popup_ = new QMenu(window_.get());
        mru_ = new TMRUFileList(window_.get());
        layout->addWidget(tree_);
        layout->addWidget(area_, 1);
        window_->resize(900, 600);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        controller_ = std::make_unique<TProjectController>(tree_, popup_, mru_, area_);
        created_.clear();
        QVERIFY(controller_->OpenProject(projectFile_));
    }
    void cleanup() {
        controller_.reset();
        window_.reset();
        const QStringList texts = BoxTexts();
        for (const QString& text : texts)
            qWarning("unexpected box: %s", qPrintable(text));
        QVERIFY(texts.isEmpty());
        boxes_.reset();
    }

    void openingShowsTheProjectAndItsFirstCell() {
        QTreeWidgetItem* root = tree_->topLevelItem(0);
        QCOMPARE(tree_->topLevelItemCount(), 1);
        QCOMPARE(root->text(0), QStringLiteral("Kommentar zum Programm"));
        QCOMPARE(Data(root), 0xFFFF0000u);
        QCOMPARE(Image(root), 2);
        QCOMPARE(root->child(0), Tables());
        QCOMPARE(root->child(1), Cells());
        QCOMPARE(Tables()->text(0), QStringLiteral("Umsetzungstabellen"));
        QCOMPARE(Data(Tables()), 0xFFFE0000u);
        QCOMPARE(Cells()->text(0), QStringLiteral("Programmzellen"));
        QCOMPARE(Data(Cells()), 0u);
        QCOMPARE(Tables()->childCount(), 1);
        QCOMPARE(Tables()->child(0)->text(0), QStringLiteral("Kurve"));
        QCOMPARE(Data(Tables()->child(0)), TableData(1));
        QCOMPARE(Image(Tables()->child(0)), 4);
        QCOMPARE(CellTexts(), QStringList({"Eins", "Zwei", "Drei"}));
        QCOMPARE(Data(Cells()->child(2)), CellData(3));
        QCOMPARE(Image(Cells()->child(0)), 3);
        QVERIFY(Cells()->isExpanded());
        QCOMPARE(Image(Cells()), 1);
        QVERIFY(!Tables()->isExpanded());
        QCOMPARE(Image(Tables()), 0);
        QCOMPARE(tree_->currentItem(), Cells()->child(0));
        QCOMPARE(created_.size(), 1);
        QCOMPARE(created_[0]->Cell, 1);

        // The same file again changes nothing.
        TQuendalModel* model = Model();
        QVERIFY(!controller_->OpenProject(projectFile_));
        QCOMPARE(Model(), model);
        QCOMPARE(created_.size(), 1);
    }

    void closingAsksAndRemembersTheFile() {
        Model()->InsertNewCell(-1);
        boxes_->QueueAnswer(platform::Button::Cancel);
        QVERIFY(!controller_->CloseProject(false));
        QCOMPARE(BoxTexts().size(), 1);
        QVERIFY(Model());
        boxes_->QueueAnswer(platform::Button::No);
        QVERIFY(controller_->CloseProject(false));
        QCOMPARE(BoxTexts().size(), 1);
        QVERIFY(!Model());
        QCOMPARE(tree_->topLevelItemCount(), 0);
        QCOMPARE(mru_->Names().value(0), projectFile_);
        QVERIFY(!controller_->IsCommandEnabled(600));
        QVERIFY(controller_->OpenProject(QString()));
        QCOMPARE(tree_->currentItem(), Cells());
        QVERIFY(!controller_->HasCells());
    }

    void failedOpenLeavesTheTerminalEmpty() {
        Model()->TerminalLines = {"eins", "zwei", "drei"};
        TTerminalForm* terminal = ShowTerminalWindow(area_, Model());
        QCOMPARE(terminal->Grid()->RowCount(), 3);
        // The user works in another window while the project goes.
        controller_->OpenCell(2);
        QVERIFY(area_->activeSubWindow() != terminal);
        const QString damaged = QDir::current().filePath("damaged.mtp");
        QVERIFY(WriteFile(damaged, "kein Projekt\r\n"));
        QVERIFY(!controller_->OpenProject(damaged));
        QVERIFY(!Model());
        QCOMPARE(BoxTexts().size(), 1);
        QCOMPARE(TerminalForm, terminal);
        QCOMPARE(terminal->Grid()->RowCount(), 1);
        QCOMPARE(terminal->RowText(0), std::string());
        delete terminal;
    }

    void insertKeyInsertsWhatTheSelectionHolds() {
        tree_->setCurrentItem(Cells()->child(0));
        QVERIFY(controller_->IsCommandEnabled(601));
        QVERIFY(!controller_->IsCommandEnabled(602));
        QVERIFY(controller_->HandleKey(Qt::Key_Insert));
        QCOMPARE(Model()->CellCount(), 4);
        QCOMPARE(CellTexts(), ModelCells());
        QCOMPARE(tree_->currentItem(), Cells()->child(1));
        const int inserted = int(Data(Cells()->child(1)));
        QCOMPARE(inserted, int(Model()->GetCell(1)->CellNumber));
        QCOMPARE(ActiveCellForm()->Cell, inserted);
        QCOMPARE(Model()->TableCount(), 1);

        tree_->setCurrentItem(Tables()->child(0));
        QVERIFY(!controller_->IsCommandEnabled(601));
        QVERIFY(controller_->IsCommandEnabled(602));
        QVERIFY(controller_->IsCommandEnabled(603));
        QVERIFY(controller_->HandleKey(Qt::Key_Insert));
        QCOMPARE(Model()->CellCount(), 4);
        QCOMPARE(Model()->TableCount(), 2);
        QCOMPARE(Tables()->childCount(), 2);
        QCOMPARE(tree_->currentItem(), Tables()->child(1));
        QCOMPARE(Data(Tables()->child(1)), TableData(2));

        // The root takes neither.
        tree_->setCurrentItem(tree_->topLevelItem(0));
        QVERIFY(controller_->HandleKey(Qt::Key_Insert));
        QCOMPARE(Model()->CellCount(), 4);
        QCOMPARE(Model()->TableCount(), 2);
    }

    void deletingTheLastCellSelectsTheClosedFolder() {
        tree_->setCurrentItem(Tables()->child(0));
        QVERIFY(controller_->HandleKey(Qt::Key_Delete));
        QCOMPARE(Model()->TableCount(), 0);
        QCOMPARE(Tables()->childCount(), 0);
        QCOMPARE(tree_->currentItem(), Tables());
        QCOMPARE(Image(Tables()), 0);

        for (int left = 3; left > 0; --left) {
            tree_->setCurrentItem(Cells()->child(left - 1));
            QVERIFY(controller_->IsCommandEnabled(155));
            controller_->HandleKey(Qt::Key_Delete);
            QCOMPARE(Model()->CellCount(), left - 1);
            QCOMPARE(CellTexts(), ModelCells());
        }
        QCOMPARE(tree_->currentItem(), Cells());
        QCOMPARE(Image(Cells()), 0);
        QVERIFY(!controller_->IsCommandEnabled(155));

        // Undo brings a cell back into the tree at its place.
        controller_->DoCommand(150);
        QCOMPARE(CellTexts(), QStringList({"Eins"}));
    }

    void aLongNameIsShownCutAndKeptWhole() {
        const std::string name(100000, 'x');
        QByteArray text = SampleProject();
        text.replace("NAME=Zwei", QByteArray("NAME=") + name.c_str());
        QVERIFY(WriteFile(QDir::current().filePath("long.mtp"), text));
        QVERIFY(controller_->OpenProject(QDir::current().filePath("long.mtp")));
        QTreeWidgetItem* node = Cells()->child(1);
        QVERIFY(node->text(0).size() < 100);
        QVERIFY(node->text(0).startsWith(QStringLiteral("xxxx")));
        // an edit of the label that ends as it is shown renames nothing
        controller_->LabelEdited(node, node->text(0));
        QCOMPARE(Model()->FindCell(2)->Name, name);
    }

    void secondCellOfOneNumberGetsItsOwnNumber() {
        QByteArray text = SampleProject();
        const QByteArray twin = "#CELL_START\r\nID=2\r\nNAME=Zwilling\r\n\r\n#BLOCK_START\r\n"
                                "GraphBlock\r\nID=131073\r\n10,10,70,50\r\nTYPE=700\r\n"
                                "#BLOCK_END\r\n#CELL_END\r\n";
        text += twin;
        QVERIFY(WriteFile(QDir::current().filePath("twin.mtp"), text));
        QVERIFY(controller_->OpenProject(QDir::current().filePath("twin.mtp")));
        QCOMPARE(BoxTexts(), QStringList{QString::fromUtf8("Programmzelle 2 ist doppelt vorhanden "
                                                           "und erhält die Nummer 4.")});
        QCOMPARE(CellTexts(), QStringList({"Eins", "Zwei", "Drei", "Zwilling"}));
        QCOMPARE(Data(Cells()->child(3)), CellData(4));

        // Renamed in place, the node's own cell takes the name.
        QVERIFY(RenameInPlace(Cells()->child(3), "Vier"));
        QTRY_COMPARE(ModelCells(), QStringList({"Eins", "Zwei", "Drei", "Vier"}));
        QCOMPARE(CellTexts(), ModelCells());

        // Deleted, it goes alone; undo brings it back with its page.
        QTRY_VERIFY(!tree_->findChild<QLineEdit*>());
        tree_->setCurrentItem(Cells()->child(3));
        QVERIFY(controller_->HandleKey(Qt::Key_Delete));
        QCOMPARE(ModelCells(), QStringList({"Eins", "Zwei", "Drei"}));
        QCOMPARE(CellTexts(), ModelCells());
        controller_->DoCommand(150);
        QCOMPARE(ModelCells(), QStringList({"Eins", "Zwei", "Drei", "Vier"}));
        QCOMPARE(CellTexts(), ModelCells());
        QVERIFY(MoltraneGetBlockParam(Model()->Engine, int32_t(0x40001)) != nullptr);

        // Cut takes the cell it deletes.
        tree_->setCurrentItem(Cells()->child(3));
        controller_->DoCommand(152);
        QCOMPARE(CellTexts(), QStringList({"Eins", "Zwei", "Drei"}));
        QVERIFY(QGuiApplication::clipboard()
                    ->mimeData()
                    ->data(CellClipboardFormat)
                    .contains("NAME=Vier"));
        QVERIFY(BoxTexts().isEmpty());
    }

    void cutAndPasteCellKeepsTheTreeInStep() {
        tree_->setCurrentItem(Cells()->child(1));
        QVERIFY(controller_->IsCommandEnabled(152));
        controller_->DoCommand(152);
        QCOMPARE(CellTexts(), QStringList({"Eins", "Drei"}));
        tree_->setCurrentItem(Cells()->child(0));
        QVERIFY(controller_->IsCommandEnabled(154));
        controller_->DoCommand(154);
        QCOMPARE(Model()->CellCount(), 3);
        QCOMPARE(CellTexts(), ModelCells());
        // On the folder the cell goes to the end.
        tree_->setCurrentItem(Cells());
        controller_->DoCommand(154);
        QCOMPARE(CellTexts(), ModelCells());
        QCOMPARE(tree_->currentItem(), Cells()->child(3));
        // A cell on the clipboard cannot be pasted among the tables.
        tree_->setCurrentItem(Tables());
        QVERIFY(!controller_->IsCommandEnabled(154));
    }

    void renamingInPlaceKeepsTheNode() {
        QTreeWidgetItem* node = Cells()->child(1);
        QVERIFY(RenameInPlace(node, "Zweite"));
        QTRY_COMPARE(Model()->GetCell(1)->Name, std::string("Zweite"));
        QCOMPARE(Cells()->child(1), node);
        QCOMPARE(node->text(0), QStringLiteral("Zweite"));
        QCOMPARE(Model()->UndoCount(), 1);

        // A name taken by another cell is refused with the exclamation sound.
        QTRY_VERIFY(!tree_->findChild<QLineEdit*>());
        QVERIFY(RenameInPlace(node, "Drei"));
        QTRY_COMPARE(boxes_->Beeps().size(), size_t(1));
        QCOMPARE(Model()->GetCell(1)->Name, std::string("Zweite"));
        QCOMPARE(node->text(0), QStringLiteral("Zweite"));
        QCOMPARE(int(boxes_->Beeps()[0]), int(platform::BeepKind::Exclamation));
        boxes_->Clear();

        // Folders and the root are not renamed.
        QVERIFY(!controller_->CanEditLabel(Cells()));
        QVERIFY(!controller_->CanEditLabel(tree_->topLevelItem(0)));
        QVERIFY(controller_->CanEditLabel(Tables()->child(0)));

        // A rename from elsewhere (undo) reaches the node.
        controller_->DoCommand(150);
        QCOMPARE(node->text(0), QStringLiteral("Zwei"));
    }

    void tableNotificationsRenameAndRenumber() {
        Model()->NewTable(true);
        Model()->NewTable(true);
        QCOMPARE(Tables()->childCount(), 3);
        QVERIFY(Model()->RenameTableWithUndo(3, "Letzte"));
        QCOMPARE(Tables()->child(2)->text(0), QStringLiteral("Letzte"));
        QCOMPARE(tree_->currentItem(), Tables()->child(2));
        Model()->DeleteTable(1);
        QCOMPARE(Tables()->childCount(), 2);
        QCOMPARE(Data(Tables()->child(0)), TableData(1));
        QCOMPARE(Data(Tables()->child(1)), TableData(2));
        QCOMPARE(Tables()->child(1)->text(0), QStringLiteral("Letzte"));
        QCOMPARE(controller_->FindNode(TableData(2)), Tables()->child(1));
        QVERIFY(!controller_->FindNode(TableData(3)));
    }

    void breakpointsAndUnknownCodes() {
        tree_->setCurrentItem(Cells()->child(1));
        QVERIFY(controller_->IsCommandEnabled(300));
        controller_->DoCommand(300);
        QCOMPARE(State(Cells()->child(1)), 1);
        QCOMPARE(State(Cells()->child(0)), 0);
        QCOMPARE(Cells()->child(1)->foreground(0).color(), QColor(Qt::red));
        controller_->DoCommand(300);
        QCOMPARE(State(Cells()->child(1)), 0);
        tree_->setCurrentItem(Cells());
        QVERIFY(!controller_->IsCommandEnabled(300));

        Model()->NotifyViews(2017, 0);
        QVERIFY(BoxTexts().isEmpty());
        Model()->NotifyViews(4711, 0);
        QCOMPARE(BoxTexts(), QStringList({"UpdateAspekt nicht bearbeitet..."}));
        QCOMPARE(controller_->FindNode(0x12340002u), Cells()->child(1));
        QCOMPARE(BoxTexts(), QStringList({"HiWord Zellenindex <> 0!"}));
        controller_->EditTable(9);
        QCOMPARE(BoxTexts(),
                 QStringList({"Fehler in TProjectController.EditTable: Tabelle nicht gefunden!"}));
    }

    void openCommandOpensTheRightWindow() {
        tree_->setCurrentItem(Tables()->child(0));
        controller_->DoCommand(600);
        auto* table = qobject_cast<TTableEditorForm*>(area_->activeSubWindow());
        QVERIFY(table);
        QCOMPARE(table->Table(), Model()->FindTable(1));
        controller_->EditTable(1);
        int tableWindows = 0;
        for (QMdiSubWindow* window : area_->subWindowList())
            tableWindows += qobject_cast<TTableEditorForm*>(window) ? 1 : 0;
        QCOMPARE(tableWindows, 1);

        tree_->setCurrentItem(tree_->topLevelItem(0));
        controller_->HandleKey(Qt::Key_Return);
        QVERIFY(qobject_cast<TCommentEditForm*>(area_->activeSubWindow()));

        // A second cell reuses the open cell editor.
        tree_->setCurrentItem(Cells()->child(2));
        controller_->DoCommand(600);
        QCOMPARE(created_.size(), 1);
        QCOMPARE(ActiveCellForm()->Cell, 3);

        // Selecting the table showed it, which opened its folder.
        tree_->setCurrentItem(Tables());
        QVERIFY(Tables()->isExpanded());
        controller_->DoCommand(600);
        QVERIFY(!Tables()->isExpanded());
        QCOMPARE(Image(Tables()), 0);
        controller_->DoCommand(600);
        QVERIFY(Tables()->isExpanded());
        QCOMPARE(Image(Tables()), 1);
    }

    void mouseOpensItemsAndThePopup() {
        controller_->SetExpanded(Tables(), true);
        const QPoint table = tree_->visualItemRect(Tables()->child(0)).center();
        DoubleClick(table);
        auto* form = qobject_cast<TTableEditorForm*>(area_->activeSubWindow());
        QVERIFY(form);
        QCOMPARE(form->Table(), Model()->FindTable(1));

        // A folder is left alone by a double click.
        const bool expanded = Cells()->isExpanded();
        DoubleClick(tree_->visualItemRect(Cells()).center());
        QCOMPARE(Cells()->isExpanded(), expanded);

        popup_->addAction(QStringLiteral("Eintrag"));
        QTest::mouseClick(tree_->viewport(), Qt::RightButton, {},
                          tree_->visualItemRect(Cells()->child(1)).center());
        QTRY_VERIFY(popup_->isVisible());
        QCOMPARE(tree_->currentItem(), Cells()->child(1));
        popup_->hide();
    }

    void tableFileReferenceIsChosenAgain() {
        QVERIFY(WriteFile(QDir::current().filePath("a.tab"), "1\r\n2\r\n"));
        QVERIFY(WriteFile(QDir::current().filePath("b.tab"), "3\r\n4\r\n"));
        QString answer = QStringLiteral("a.tab");
        TConversionTable::dlgOpenTable = [&answer](const QString&, const QString&) {
            return std::optional<QString>(answer);
        };
        tree_->setCurrentItem(Tables());
        controller_->DoCommand(603);
        QCOMPARE(Model()->TableCount(), 2);
        QCOMPARE(Image(Tables()->child(1)), 5);
        const int undo = Model()->UndoCount();

        // The same file again records nothing.
        controller_->DoCommand(600);
        QCOMPARE(Model()->UndoCount(), undo);
        answer = QStringLiteral("b.tab");
        controller_->DoCommand(600);
        TConversionTable::dlgOpenTable = nullptr;
        QCOMPARE(Model()->UndoCount(), undo + 1);
        QVERIFY(QString::fromStdString(Model()->FindTable(2)->ExternFile).endsWith("b.tab"));
        controller_->DoCommand(150);
        QVERIFY(QString::fromStdString(Model()->FindTable(2)->ExternFile).endsWith("a.tab"));
        // No table window is opened for a reference.
        for (QMdiSubWindow* window : area_->subWindowList())
            QVERIFY(!qobject_cast<TTableEditorForm*>(window));
    }

    void currentItemOpensItsCell() {
        FakeCellForm* form = created_.value(0);
        QVERIFY(form);
        form->Notified.clear();
        Model()->SetCurrentItem(int32_t((3u << 16) | 1u));
        QCOMPARE(form->Cell, 3);
        // Twice from the project as a view, once more from the tree after showing the cell.
        QCOMPARE(form->Notified.count(nmCurrentItem), 3);
        Model()->SetCurrentItem(0);
        QCOMPARE(form->Cell, 3);
        QCOMPARE(form->Notified.count(nmCurrentItem), 5);
    }

    void synchronizingFollowsTheSelection() {
        AutoSynchronize = true;
        tree_->setCurrentItem(Cells()->child(1));
        QCOMPARE(created_[0]->Cell, 2);
        AutoSynchronize = false;
        tree_->setCurrentItem(Cells()->child(2));
        QCOMPARE(created_[0]->Cell, 2);
    }

    void aFailingSelectionOrRenameEndsInTheTree() {
        tree_->setCurrentItem(Cells()->child(0));
        tree_->setFocus();
        // the cell window fails to show the cell chosen with a key
        AutoSynchronize = true;
        const auto showCell = CellEditors.ShowCell;
        CellEditors.ShowCell = [](TMDIChildForm*, int) {
            throw std::runtime_error("Zelle gescheitert");
        };
        QTest::keyClick(tree_, Qt::Key_Down);
        CellEditors.ShowCell = showCell;
        QCOMPARE(tree_->currentItem(), Cells()->child(1));
        QCOMPARE(BoxTexts(), QStringList{QStringLiteral("Zelle gescheitert")});
        // a window fails as it is told of a name typed in the tree
        created_.value(0)->FailNotified = true;
        tree_->editItem(Cells()->child(1));
        auto* editor = tree_->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, "Zweite");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(boxes_->Boxes().size(), size_t(1));
        created_.value(0)->FailNotified = false;
        QCOMPARE(BoxTexts(), QStringList{QStringLiteral("Anzeige gescheitert")});
    }

    void draggingMovesAndCtrlCopies() {
        QTreeWidgetItem* first = Cells()->child(0);
        QTreeWidgetItem* third = Cells()->child(2);
        PressOn(first);
        std::unique_ptr<QMimeData> mime(DragMime());
        bool accepted = false;
        SendDrag(QEvent::DragMove, first, {}, *mime, &accepted);
        QVERIFY(!accepted);
        SendDrag(QEvent::DragMove, first, Qt::ControlModifier, *mime, &accepted);
        QVERIFY(accepted);
        QVERIFY(controller_->CopyMode());
        SendDrag(QEvent::DragMove, third, {}, *mime, &accepted);
        QVERIFY(accepted);
        QVERIFY(!controller_->CopyMode());
        SendDrag(QEvent::DragMove, Tables(), {}, *mime, &accepted);
        QVERIFY(!accepted);

        SendDrag(QEvent::Drop, third, {}, *mime, &accepted);
        QVERIFY(accepted);
        QCOMPARE(ModelCells(), QStringList({"Zwei", "Drei", "Eins"}));
        QCOMPARE(CellTexts(), ModelCells());

        PressOn(Cells()->child(0), Qt::ControlModifier);
        SendDrag(QEvent::DragMove, Cells()->child(2), Qt::ControlModifier, *mime, &accepted);
        QVERIFY(controller_->CopyMode());
        SendDrag(QEvent::Drop, Cells()->child(2), Qt::ControlModifier, *mime, &accepted);
        QCOMPARE(Model()->CellCount(), 4);
        QCOMPARE(CellTexts(), ModelCells());

        // Another tree's drag is refused.
        QMimeData foreign;
        foreign.setData(TProjectController::DragFormat, "1");
        SendDrag(QEvent::DragMove, Cells()->child(1), {}, foreign, &accepted);
        QVERIFY(!accepted);
    }

    void desktopRestoresSelectionAndFolders() {
        tree_->setCurrentItem(Tables()->child(0));
        controller_->SetExpanded(Tables(), true);
        controller_->SetExpanded(Cells(), false);
        TDesktopWriter writer;
        controller_->SaveDesktop(writer);

        controller_->OpenProject(QString());
        QCOMPARE(Model()->CellCount(), 0);
        TDesktopReader reader(writer.Data());
        QVERIFY(controller_->LoadDesktop(reader));
        QCOMPARE(Model()->FileName(), projectFile_);
        QCOMPARE(CellTexts(), QStringList({"Eins", "Zwei", "Drei"}));
        QCOMPARE(tree_->currentItem(), Tables()->child(0));
        QVERIFY(Tables()->isExpanded());
        QVERIFY(!Cells()->isExpanded());
        QCOMPARE(Image(Cells()), 0);
    }

    void optionsRoundTripThroughTheRegistry() {
        const QString file = QDir::current().filePath("settings.txt");
        platform::Settings store(file.toStdString());
        {
            TWinRegistry reg(store, QStringLiteral("SOFTWARE\\Test"));
            controller_->ReadOptions(reg);
            QVERIFY(AutoExpandCells && !AutoExpandTables && AutoOpenFirstCell && !AutoSynchronize);
            AutoExpandCells = false;
            AutoSynchronize = true;
            controller_->WriteOptions(reg);
            AutoExpandCells = true;
            AutoSynchronize = false;
            QCOMPARE(reg.ReadInteger("ProjectWindow", "AutoSynchronize", -1), 1);
            controller_->ReadOptions(reg);
        }
        QVERIFY(!AutoExpandCells);
        QVERIFY(AutoSynchronize);
        controller_->RebuildTree();
        QVERIFY(!Cells()->isExpanded());
    }
};

QTEST_MAIN(TestProjectController)
#include "tst_tree_projectcontroller.moc"
