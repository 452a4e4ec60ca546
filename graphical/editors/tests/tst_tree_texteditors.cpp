// The table and comment editor windows: what they load, what they write back and when, their
// commands, printing a selection and their desktop record.
#include <QtTest>

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QMdiArea>
#include <QPointer>
#include <QPrinter>
#include <QTabWidget>

#include <stdexcept>

#include "framework/desktop.h"
#include "graphical/dialogs/coloroptiondlg.h"
#include "graphical/dialogs/coloroptions.h"
#include "graphical/editors/commentedit.h"
#include "graphical/editors/tableedit.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/tests/edittestmodel.h"
#include "platform/qt/dialogs.h"

using namespace edittest;

// A comment window whose hand-over of its lines fails while Fail is set.
class TFailingCommentForm : public TCommentEditForm {
    Q_OBJECT

public:
    using TCommentEditForm::TCommentEditForm;
    bool Fail = true;

protected:
    void SetLines(const TLines& lines) override {
        if (Fail)
            throw std::runtime_error("Uebergabe gescheitert");
        TCommentEditForm::SetLines(lines);
    }
};

class TestTextEditors : public QObject {
    Q_OBJECT

    QTemporaryDir workDir_;
    std::unique_ptr<TestModel> model_;
    std::unique_ptr<QMdiArea> area_;
    std::unique_ptr<platform::DialogRecorder> boxes_;

    TTableEditorForm* OpenTable(int number) {
        auto* form = TMDIChildForm::Create<TTableEditorForm>(model_.get());
        area_->addSubWindow(form);
        form->SetTable(model_->FindTable(number));
        form->ShowAndFocus();
        return form;
    }
    TCommentEditForm* OpenComment() {
        auto* form = TMDIChildForm::Create<TCommentEditForm>(model_.get());
        area_->addSubWindow(form);
        form->show();
        form->Editor()->setFocus();
        return form;
    }
    static QStringList Paras(ved::TVedEditor* editor) {
        QStringList paras;
        for (int32_t i = 1; i <= editor->GetParaCount(); ++i)
            paras << QString::fromStdString(editor->GetPara(i));
        return paras;
    }
    TLines TableLines(int number) {
        TLines lines;
        model_->GetTableData(model_->FindTable(number), lines);
        return lines;
    }

private slots:
    void initTestCase() {
        QVERIFY(LoadBlockCatalogue());
        QVERIFY(QDir::setCurrent(workDir_.path()));
        RegisterMDIChildClass<TTableEditorForm>("TTableEditorForm");
        RegisterMDIChildClass<TCommentEditForm>("TCommentEditForm");
    }
    void cleanupTestCase() { FreeBlockCatalogue(); }
    void init() {
        boxes_ = std::make_unique<platform::DialogRecorder>();
        model_ = LoadModel(SampleProject());
        QVERIFY(model_);
        area_ = std::make_unique<QMdiArea>();
        area_->resize(800, 600);
        area_->show();
        QVERIFY(QTest::qWaitForWindowExposed(area_.get()));
    }
    void cleanup() {
        area_.reset();
        model_.reset();
        for (const auto& box : boxes_->Boxes())
            qWarning("unexpected box: %s", qPrintable(box.text));
        QVERIFY(boxes_->Boxes().empty());
        boxes_.reset();
    }

    void tableWindowShowsTheTableAndNamesIt() {
        TTableEditorForm* form = OpenTable(1);
        QCOMPARE(form->windowTitle(), QStringLiteral("Tabelleneditor - Kurve"));
        QCOMPARE(Paras(form->Editor()), QStringList({"1", "4", "9"}));
        QVERIFY(!form->Changed());
        form->SetTable(nullptr);
        QCOMPARE(form->windowTitle(), QStringLiteral("Tabelleneditor"));
        QCOMPARE(form->Editor()->GetParaCount(), 1);
        QCOMPARE(form->Editor()->GetPara(1), std::string());
    }

    void typingAndClosingWritesTheTableBeyondUndo() {
        TTableEditorForm* form = OpenTable(1);
        form->Editor()->SetCaretPosition(3, 2);
        QTest::keyClick(form->Editor(), Qt::Key_Return);
        QTest::keyClicks(form->Editor(), "16");
        QVERIFY(form->Changed());
        QCOMPARE(TableLines(1), TLines({"1", "4", "9"}));
        // An undoable project edit first, so that undoing it all would clear the mark.
        model_->RenameTableWithUndo(1, "Quadrate");
        QPointer<TTableEditorForm> guard(form);
        form->close();
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(TableLines(1), TLines({"1", "4", "9", "16"}));
        while (model_->CanUndo())
            model_->Undo();
        QVERIFY(model_->Modified());
        QVERIFY(model_->ModifiedBeyondUndo());
    }

    void aCloseWhoseHandOverFailsKeepsTheWindowAndItsText() {
        auto* form = TMDIChildForm::Create<TFailingCommentForm>(model_.get());
        area_->addSubWindow(form);
        form->show();
        form->Editor()->setFocus();
        QTest::keyClicks(form->Editor(), "Neu");
        const TLines before = model_->Comment;
        QPointer<TFailingCommentForm> guard(form);
        QVERIFY(!form->close());
        QVERIFY(guard && form->isVisible() && form->Changed());
        QCOMPARE(model_->Comment, before);
        QTRY_COMPARE(boxes_->Boxes().size(), size_t(1));
        QCOMPARE(boxes_->Boxes()[0].text, QStringLiteral("Uebergabe gescheitert"));
        boxes_->Clear();
        // once the hand-over works, the close writes the text back
        form->Fail = false;
        QVERIFY(form->close());
        QTRY_VERIFY(guard.isNull());
        QVERIFY(!model_->Comment.empty());
        QCOMPARE(model_->Comment.front().substr(0, 3), std::string("Neu"));
    }

    void closingUnchangedLeavesTheProjectAlone() {
        TTableEditorForm* form = OpenTable(1);
        form->close();
        QVERIFY(!model_->ModifiedBeyondUndo());
        QVERIFY(!model_->Modified());
    }

    void savingStoresPendingLinesFirst() {
        TTableEditorForm* form = OpenTable(1);
        TCommentEditForm* comment = OpenComment();
        QTest::keyClicks(comment->Editor(), "Lauflicht");
        QTest::keyClick(form->Editor(), Qt::Key_Home);
        QTest::keyClick(form->Editor(), Qt::Key_Delete);
        QTest::keyClicks(form->Editor(), "2");
        model_->SetFileName(QDir::current().filePath("saved.mtp"));
        QVERIFY(model_->Save());
        QVERIFY(!form->Changed());
        QVERIFY(!comment->Changed());
        const QByteArray text = ReadFile(QDir::current().filePath("saved.mtp"));
        QVERIFY2(text.contains("Name=Kurve\r\n2\r\n4\r\n9") || text.contains("Name=Kurve\n2\n4\n9"),
                 text.constData());
        QVERIFY(text.contains("Lauflicht"));
        QCOMPARE(model_->Comment, TLines({"Lauflicht"}));
    }

    void textBeyondTheTypingLimitsIsKeptWhole() {
        TLines stored;
        for (int i = 1; i <= 1200; ++i)
            stored.push_back(std::to_string(i));
        stored[5] = std::string(246, '7') + " 8";
        stored[6] = "9  ";
        model_->SetTableData(model_->FindTable(1), stored);
        TTableEditorForm* form = OpenTable(1);
        QCOMPARE(form->Editor()->GetParaCount(), 1200);
        QCOMPARE(form->Editor()->GetPara(6), stored[5]);
        QCOMPARE(form->Editor()->GetPara(7), stored[6]);

        form->Editor()->SetCaretPosition(1, 2);
        QTest::keyClicks(form->Editor(), "0");
        form->UpdateModel();
        stored[0] = "10";
        QCOMPARE(TableLines(1), stored);
    }

    // The paragraphs are the lines, and a trailing line break is one more, empty line.
    void aTrailingLineBreakIsKept() {
        TCommentEditForm* comment = OpenComment();
        QTest::keyClicks(comment->Editor(), "Zeile");
        QTest::keyClick(comment->Editor(), Qt::Key_Return);
        comment->UpdateModel();
        QCOMPARE(model_->Comment, TLines({"Zeile", ""}));
        comment->close();
        comment = OpenComment();
        QCOMPARE(Paras(comment->Editor()), QStringList({"Zeile", ""}));
        QVERIFY(!comment->Editor()->CanUndo());
        QTest::keyClicks(comment->Editor(), "Erste ");
        comment->UpdateModel();
        QCOMPARE(model_->Comment, TLines({"Erste Zeile", ""}));
    }

    void emptyingTheEditorEmptiesTheTable() {
        TTableEditorForm* form = OpenTable(1);
        QTest::keyClick(form->Editor(), Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(form->Editor(), Qt::Key_Delete);
        QCOMPARE(Paras(form->Editor()), QStringList({""}));
        form->UpdateModel();
        QCOMPARE(TableLines(1), TLines());
        QVERIFY(model_->Modified());
    }

    void renamingChangesCaptionDeletingCloses() {
        model_->NewTable(true);
        QCOMPARE(model_->TableCount(), 2);
        TTableEditorForm* first = OpenTable(1);
        TTableEditorForm* second = OpenTable(2);
        const QString secondTitle = second->windowTitle();
        QVERIFY(model_->RenameTableWithUndo(1, "Wurzel"));
        QCOMPARE(first->windowTitle(), QStringLiteral("Tabelleneditor - Wurzel"));
        QCOMPARE(second->windowTitle(), secondTitle);
        QTest::keyClicks(first->Editor(), "7");
        QPointer<TTableEditorForm> firstGuard(first), secondGuard(second);
        model_->DeleteTable(1);
        QTRY_VERIFY(firstGuard.isNull());
        QVERIFY(!secondGuard.isNull());
        // The remaining table moved up to number 1 and still answers to its window.
        QCOMPARE(second->Table(), model_->FindTable(1));
        QVERIFY(model_->RenameTableWithUndo(1, "Neu"));
        QCOMPARE(second->windowTitle(), QStringLiteral("Tabelleneditor - Neu"));
    }

    void commandsFollowTheEditor() {
        TTableEditorForm* form = OpenTable(1);
        ved::TVedEditor* editor = form->Editor();
        QVERIFY(form->IsCommandEnabled(102));
        QVERIFY(!form->IsCommandEnabled(150));
        QVERIFY(!form->IsCommandEnabled(152));
        QVERIFY(!form->IsCommandEnabled(153));
        QVERIFY(form->IsCommandEnabled(155));
        QVERIFY(!form->IsCommandEnabled(600));
        QApplication::clipboard()->clear();
        QVERIFY(!form->IsCommandEnabled(154));

        QTest::keyClick(editor, Qt::Key_End, Qt::ShiftModifier);
        QVERIFY(form->IsCommandEnabled(152));
        QVERIFY(form->IsCommandEnabled(153));
        form->DoCommand(152);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1"));
        QCOMPARE(Paras(editor), QStringList({"", "4", "9"}));
        QVERIFY(form->IsCommandEnabled(150));
        QVERIFY(form->IsCommandEnabled(154));
        form->DoCommand(150);
        QCOMPARE(Paras(editor), QStringList({"1", "4", "9"}));
        QVERIFY(form->IsCommandEnabled(151));
        form->DoCommand(151);
        QCOMPARE(Paras(editor), QStringList({"", "4", "9"}));
        form->DoCommand(154);
        QCOMPARE(Paras(editor), QStringList({"1", "4", "9"}));
        editor->SetCaretPosition(2, 1);
        form->DoCommand(155);
        QCOMPARE(Paras(editor), QStringList({"1", "", "9"}));
        QVERIFY(form->Changed());
    }

    void printingASelectionBlanksBeforeItsStart() {
        TCommentEditForm* comment = OpenComment();
        QTest::keyClicks(comment->Editor(), "Anfang Mitte");
        QTest::keyClick(comment->Editor(), Qt::Key_Return);
        QTest::keyClicks(comment->Editor(), "zweite Zeile");
        QTest::keyClick(comment->Editor(), Qt::Key_Return);
        QTest::keyClicks(comment->Editor(), "dritte");
        comment->Editor()->SetSelection(1, 8, true, 7, 2);
        QCOMPARE(comment->PrintLines(true), QStringList({"       Mitte", "zweite"}));
        QCOMPARE(comment->PrintLines(false),
                 QStringList({"Anfang Mitte", "zweite Zeile", "dritte"}));

        bool offered = false;
        QString pdf = QDir::current().filePath("comment.pdf");
        TTextEditForm::PrintDialog = [&](QPrinter& printer, bool selection, bool& chosen) {
            offered = selection;
            chosen = true;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        comment->DoCommand(102);
        TTextEditForm::PrintDialog = nullptr;
        QVERIFY(offered);
        QVERIFY(QFileInfo(pdf).size() > 0);
    }

    void colorsComeFromTheTableSettings() {
        const TColorOptions saved = ColorOptions;
        TCommentEditForm* comment = OpenComment();
        ColorOptions.SetColor(cnTableBackgnd, ColorValues::Navy);
        ColorOptions.SetColor(cnTableText, ColorValues::Yellow);
        ColorOptions.Fonts[fvTable].Size = 14;
        ColorOptions.Fonts[fvTable].Style = 2;
        comment->ColorsChanged();
        ColorOptions = saved;
        QCOMPARE(comment->Editor()->palette().color(QPalette::Base), QColor(0, 0, 0x80));
        QCOMPARE(comment->Editor()->FixedFont().Color(), QColor(0xFF, 0xFF, 0));
        QCOMPARE(comment->Editor()->FixedFont().Size(), 14);
        QVERIFY(comment->Editor()->FixedFont().Font().bold());
    }

    void colourDialogSampleShowsTheFaceTheTextWindowsDraw() {
        const TColorOptions saved = ColorOptions;
        TCommentEditForm* comment = OpenComment();
        for (const char* name : {"Courier New", "DejaVu Sans", "Tavrissel Fehlschrift"}) {
            ColorOptions.Fonts[fvTable] = {QString::fromLatin1(name), 10, 1};
            comment->ColorsChanged();
            TColorOptionsDlg dialog;
            dialog.PageControl1->setCurrentIndex(TColorOptionsDlg::TablePageNo);
            const QFontInfo sample(dialog.SampleFont());
            const QFontInfo editor(comment->Editor()->FixedFont().Font());
            QCOMPARE(sample.family(), editor.family());
            QCOMPARE(sample.styleName(), editor.styleName());
        }
        ColorOptions = saved;
    }

    void commentLoadsAndDesktopRestoresTheTableAndCaret() {
        model_->AssignComment({"eins", "zwei"});
        TCommentEditForm* comment = OpenComment();
        QCOMPARE(Paras(comment->Editor()), QStringList({"eins", "zwei"}));

        model_->NewTable(true);
        TTableEditorForm* form = OpenTable(2);
        model_->SetTableData(model_->FindTable(2), {"10", "20", "30"});
        form->SetTable(model_->FindTable(2));
        form->Editor()->SetCaretPosition(3, 2);
        TDesktopWriter writer;
        form->SaveDesktopRecord(writer);
        form->close();

        TDesktopReader reader(writer.Data());
        TMDIChildForm* loaded = TMDIChildForm::LoadDesktopRecord(reader, area_.get(), model_.get());
        auto* table = qobject_cast<TTableEditorForm*>(loaded);
        QVERIFY(table);
        QCOMPARE(table->Table(), model_->FindTable(2));
        QCOMPARE(Paras(table->Editor()), QStringList({"10", "20", "30"}));
        int column = 0;
        QCOMPARE(table->Editor()->GetCaretPosition(column), 3);
        QCOMPARE(column, 2);
    }
};

QTEST_MAIN(TestTextEditors)
#include "tst_tree_texteditors.moc"
