// The source editor window: language by extension, untitled numbers, breakpoints following
// edits typed into the editor, enabling, closing and the desktop record.
#include "basic/editors/editorchild.h"
#include "framework/desktop.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/help.h"

#include <QClipboard>
#include <QMenu>

#include <QMdiArea>
#include <QPointer>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

using namespace harvel;

class TestEditorForm : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

    std::string File(const char* name, const std::string& text = "PRINT 1\r\n") {
        const std::string path = dir.filePath(name).toStdString();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    static TEditorForm* Open(const std::string& name = {}) {
        TEditorForm* form = TMDIChildForm::Create<TEditorForm>(nullptr, name);
        form->show();
        return form;
    }
    static std::vector<int32_t> Lines(TEditorForm& form) {
        std::vector<int32_t> lines;
        for (const auto& e : form.Breakpoints())
            lines.push_back(e->line);
        return lines;
    }

private slots:
    void initTestCase() { RegisterMDIChildClass<TEditorForm>("harvel::TEditorForm"); }

    void languageFollowsTheExtension() {
        EditorSettings().BASICFiles = "*.basic;*.BAS";
        EditorSettings().ASMFiles = "*.ASM *.S";
        struct Case {
            const char* name;
            TEditorForm::Language language;
        } cases[] = {{"a.bas", TEditorForm::LangBasic}, {"b.BASIC", TEditorForm::LangBasic},
                     {"c.ba", TEditorForm::LangNone},   {"d.asm", TEditorForm::LangAsm},
                     {"e.s", TEditorForm::LangAsm},     {"f.txt", TEditorForm::LangNone},
                     {"noext", TEditorForm::LangNone}};
        for (const Case& c : cases) {
            std::unique_ptr<TEditorForm> form(Open(File(c.name)));
            QVERIFY2(form->GetLanguage() == c.language, c.name);
            QCOMPARE(form->windowTitle(), QString::fromLatin1(c.name) + " - Editor");
        }
        std::unique_ptr<TEditorForm> untitled(Open());
        QCOMPARE(untitled->GetLanguage(), TEditorForm::LangNone);
        EditorSettings() = TEditorSettings();
    }

    void compilingIsForBasicOnly() {
        std::unique_ptr<TEditorForm> basic(Open(File("p.bas")));
        std::unique_ptr<TEditorForm> assembler(Open(File("p.asm")));
        std::unique_ptr<TEditorForm> empty(Open(File("e.bas", "")));
        QVERIFY(basic->IsCommandEnabled(250));
        QVERIFY(basic->IsCommandEnabled(251));
        QVERIFY(!assembler->IsCommandEnabled(250));
        QVERIFY(!assembler->IsCommandEnabled(251));
        QVERIFY(!empty->IsCommandEnabled(250));
        QVERIFY(!basic->IsCommandEnabled(100));
        QVERIFY(!basic->IsCommandEnabled(303));
    }

    void anEditAfterTheCompileNeedsANewOne() {
        std::unique_ptr<TEditorForm> form(Open(File("edit.bas", "PRINT 1\r\nPRINT 2\r\n")));
        form->DoCommand(250);
        QVERIFY(form->IsCommandEnabled(303));
        QVERIFY(form->IsCommandEnabled(304));
        form->TextEditor()->SetCaretPosition(2, 1);
        QTest::keyClick(form->TextEditor(), Qt::Key_Space);
        QVERIFY(!form->IsCommandEnabled(303));
        QVERIFY(!form->IsCommandEnabled(304));
        QVERIFY(!form->IsCommandEnabled(301));
        form->DoCommand(250);
        QVERIFY(form->IsCommandEnabled(303));
    }
    void untitledWindowsAreNumbered() {
        std::vector<std::unique_ptr<TEditorForm>> forms;
        for (int i = 1; i <= 50; ++i)
            forms.emplace_back(Open());
        QCOMPARE(forms[0]->windowTitle(), QStringLiteral("Unbenannt1 - Editor"));
        QCOMPARE(forms[48]->UntitledNumber(), 49);
        // the fiftieth shares slot 0
        QCOMPARE(forms[49]->UntitledNumber(), 0);
        QCOMPARE(forms[49]->windowTitle(), QStringLiteral("Unbenannt0 - Editor"));
        forms[4].reset();
        std::unique_ptr<TEditorForm> next(Open());
        QCOMPARE(next->UntitledNumber(), 5);
    }

    void breakpointsFollowTypedEdits() {
        std::unique_ptr<TEditorForm> form(Open(File("bp.bas", "a\r\nbb\r\ncc\r\ndd\r\n")));
        THiliteEditor* editor = form->TextEditor();
        for (int32_t line : {2, 3, 4})
            form->ToggleBreakpoint(line);
        QCOMPARE(Lines(*form), (std::vector<int32_t>{2, 3, 4}));
        form->ToggleBreakpoint(3);
        QCOMPARE(Lines(*form), (std::vector<int32_t>{2, 4}));
        form->ToggleBreakpoint(3);

        // Enter at the end of line 2: its statement stays, the lines below move
        editor->SetCaretPosition(2, 3);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(Lines(*form), (std::vector<int32_t>{2, 5, 4}));
        // Enter at the start of a line moves its breakpoint with the text
        editor->SetCaretPosition(4, 1);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(Lines(*form), (std::vector<int32_t>{2, 6, 5}));
        QCOMPARE(editor->GetPara(5), std::string("cc"));
        // joining two lines with breakpoints leaves one on the joined line
        editor->SetCaretPosition(6, 1);
        QTest::keyClick(editor, Qt::Key_Backspace);
        QCOMPARE(Lines(*form), (std::vector<int32_t>{2, 5}));
        // a deleted line takes its breakpoints along
        editor->SetSelection(5, 1, true, 1, 6);
        QTest::keyClick(editor, Qt::Key_Delete);
        QCOMPARE(editor->GetParaCount(), 5);
        QCOMPARE(Lines(*form), (std::vector<int32_t>{2}));
        editor->SetCaretPosition(3, 1);
        QTest::keyClick(editor, Qt::Key_Backspace);
        QCOMPARE(Lines(*form), (std::vector<int32_t>{2}));
        editor->SetCaretPosition(2, 1);
        QTest::keyClick(editor, Qt::Key_Backspace);
        QCOMPARE(Lines(*form), (std::vector<int32_t>{1}));

        QVERIFY(form->IsCommandEnabled(306));
        form->DoCommand(306);
        QVERIFY(form->Breakpoints().empty());
        QVERIFY(!form->IsCommandEnabled(306));

        // Enter in the indentation, or on the first non-blank, moves the statement down and its
        // breakpoint with it; Enter behind it leaves the breakpoint on its statement
        std::unique_ptr<TEditorForm> indented(
            Open(File("indent.bas", "DO\r\n  i = i + 1\r\nLOOP\r\n")));
        editor = indented->TextEditor();
        const auto enterAt = [&](int32_t line, int column) {
            editor->SetCaretPosition(line, column);
            QTest::keyClick(editor, Qt::Key_Return);
            return Lines(*indented);
        };
        indented->ToggleBreakpoint(2);
        QCOMPARE(enterAt(2, 2), (std::vector<int32_t>{3}));
        QCOMPARE(editor->GetPara(3), std::string("  i = i + 1"));
        // the caret stands on the statement's line: Ctrl+F8 removes the breakpoint there
        QVERIFY(indented->IsCommandEnabled(300));
        // undo and redo take the breakpoint along
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor->GetPara(2), std::string("  i = i + 1"));
        QCOMPARE(Lines(*indented), (std::vector<int32_t>{2}));
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(Lines(*indented), (std::vector<int32_t>{3}));
        QCOMPARE(enterAt(3, 3), (std::vector<int32_t>{4}));
        QCOMPARE(enterAt(4, 4), (std::vector<int32_t>{4}));
        QCOMPARE(editor->GetPara(4), std::string("  i"));
    }

    void closingAsksForChanges() {
        platform::DialogRecorder recorder;
        QPointer<TEditorForm> form = Open();
        form->TextEditor()->InsertText("x = 1");
        QVERIFY(form->IsCommandEnabled(100));
        recorder.QueueAnswer(platform::Button::Cancel);
        QVERIFY(!form->close());
        QCOMPARE(recorder.Boxes().back().text, QStringLiteral("Unbenannten Quelltext speichern?"));
        QVERIFY(form);

        std::string recent;
        form->OnAddToRecentFiles = [&](const std::string& name) { recent = name; };
        recorder.QueueAnswer(platform::Button::Yes);
        const QString target = dir.filePath("saved.bas");
        recorder.QueueSaveName(target);
        QVERIFY(form->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!form);
        QCOMPARE(recent, target.toStdString());
        std::ifstream in(target.toStdString(), std::ios::binary);
        std::string content((std::istreambuf_iterator<char>(in)), {});
        QVERIFY(content.rfind("x = 1", 0) == 0);

        QPointer<TEditorForm> named = Open(target.toStdString());
        named->TextEditor()->InsertText("y");
        recorder.QueueAnswer(platform::Button::No);
        QVERIFY(named->close());
        QCOMPARE(recorder.Boxes().back().text,
                 QStringLiteral("Änderungen in saved.bas speichern?"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!named);
    }

    void aSaveThatFailsAtTheCloseQuestionKeepsTheWindow() {
        // a folder that is gone fails the save whoever runs the test
        auto folder = std::make_unique<QTemporaryDir>();
        const std::string name = folder->filePath("weg.bas").toStdString();
        std::ofstream(name, std::ios::binary) << "PRINT 1\r\n";
        QPointer<TEditorForm> form = Open(name);
        form->TextEditor()->setFocus();
        QTest::keyClicks(form->TextEditor(), "X");
        folder.reset();
        platform::DialogRecorder recorder;
        recorder.QueueAnswer(platform::Button::Yes);
        QVERIFY(!form->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(form);
        QVERIFY(form->isVisible());
        QVERIFY(form->TextEditor()->GetModified());
        QCOMPARE(form->TextEditor()->GetLineString(1), std::string("XPRINT 1"));
        QCOMPARE(recorder.Boxes().size(), size_t(2));
        QVERIFY(recorder.Boxes()[1].text.contains(QStringLiteral("nicht gefunden")));
        form->TextEditor()->SetModified(false);
        delete form;
    }

    void aFailingPopupCommandIsShownAndThePopupGoesOn() {
        std::unique_ptr<TEditorForm> form(Open(File("lang.bas", "x\r\n")));
        QMenu* popup = form->LocalEditorPopup();
        int chosen = 0;
        connect(popup, &QMenu::triggered, [&] { ++chosen; });
        auto choose = [&](const QString& text) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(30, 5), QPoint(30, 5));
            QApplication::sendEvent(form->TextEditor(), &event);
            QTRY_VERIFY(popup->isVisible());
            for (QAction* action : popup->actions())
                if (action->text() == text)
                    QTest::mouseClick(popup, Qt::LeftButton, {},
                                      popup->actionGeometry(action).center());
            QTRY_VERIFY(!popup->isVisible());
        };
        platform::DialogRecorder recorder;
        // a line longer than the editor takes
        QApplication::clipboard()->setText(QString(400, QLatin1Char('A')));
        choose(QStringLiteral("Einfügen"));
        QCOMPARE(chosen, 1);
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(form->TextEditor()->GetLineString(1), std::string("x"));
        choose(QStringLiteral("Haltepunkt umschalten"));
        QCOMPARE(chosen, 2);
        QCOMPARE(Lines(*form), (std::vector<int32_t>{1}));
    }

    void printsAllOrTheSelectedPart() {
        std::unique_ptr<TEditorForm> form(
            Open(File("print.bas", "first line\r\n\tx\r\nthird line")));
        THiliteEditor* editor = form->TextEditor();
        QVERIFY(form->IsCommandEnabled(102));
        QCOMPARE(
            form->PrintLines(false),
            (std::vector<std::string>{"first line", std::string(8, ' ') + "x", "third line", ""}));
        editor->SetSelection(1, 7, true, 6, 3);
        QCOMPARE(form->PrintLines(true),
                 (std::vector<std::string>{"      line", std::string(8, ' ') + "x", "third"}));
        // no selection, nothing to print
        editor->SetSelection(2, 1, true, 1, 2);
        QVERIFY(form->PrintLines(true).empty());

        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = dir.filePath("out.pdf");
        printer.setOutputFileName(pdf);
        form->Print(printer, false);
        QCOMPARE(printer.docName(), QStringLiteral("print.bas aus Quorvin"));
        QVERIFY(QFileInfo(pdf).size() > 0);
    }

    void watchesTheWordAtTheCaret() {
        std::unique_ptr<TEditorForm> form(Open(File("w.bas", "value = 1 + 2\r\n")));
        int shown = 0;
        Linotrex().Views().ShowWatchWindow = [&] { ++shown; };
        form->TextEditor()->SetCaretPosition(1, 3);
        QVERIFY(form->IsCommandEnabled(302));
        form->DoCommand(302);
        QCOMPARE(shown, 1);
        QCOMPARE(Linotrex().Watches().size(), size_t(1));
        QCOMPARE(Linotrex().Watches()[0]->GetName(), std::string("value"));
        // a number is no variable
        form->TextEditor()->SetCaretPosition(1, 9);
        QVERIFY(!form->IsCommandEnabled(302));
        Linotrex().Watches().clear();
        Linotrex().Views().ShowWatchWindow = nullptr;
    }

    void f1OpensTheEditorsHelp() {
        QTemporaryDir help;
        platform::DialogRecorder recorder; // a missing page must not block the test
        QDir(help.path()).mkpath("harvel.hlp");
        std::ofstream(help.filePath("harvel.hlp/10000.html").toStdString()) << "x";
        std::ofstream(help.filePath("harvel.hlp/index.html").toStdString()) << "x";
        platform::SetHelpFile(help.filePath("harvel.hlp"));
        QStringList opened;
        platform::HelpOpener old = platform::SetHelpOpener([&](const QUrl& url) {
            opened << url.fileName();
            return true;
        });
        std::unique_ptr<TEditorForm> form(Open());
        QTest::keyClick(form->TextEditor(), Qt::Key_F1);
        QTest::keyClick(form->TextEditor(), Qt::Key_F1, Qt::ControlModifier);
        platform::SetHelpOpener(old);
        QCOMPARE(opened, (QStringList{"10000.html", "index.html"}));
        QVERIFY(recorder.Boxes().empty());
        // the key does not reach the text
        QCOMPARE(form->TextEditor()->GetByteCount(), 0);
    }

    void popupItemsFollowTheEnabling() {
        std::unique_ptr<TEditorForm> form(Open(File("pop.bas", "value = 1\r\n")));
        form->TextEditor()->SetCaretPosition(1, 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(30, 5), QPoint(30, 5));
        QApplication::sendEvent(form->TextEditor(), &event);
        QMenu* popup = form->LocalEditorPopup();
        QTRY_VERIFY(popup->isVisible());
        std::map<int, bool> enabled;
        for (QAction* action : popup->actions()) {
            enabled[action->data().toInt()] = action->isEnabled();
            if (action->menu())
                for (QAction* item : action->menu()->actions())
                    enabled[item->data().toInt()] = item->isEnabled();
        }
        popup->hide();
        QVERIFY(!enabled[152]); // no selection
        QVERIFY(!enabled[153]);
        QVERIFY(enabled[155]);
        QVERIFY(enabled[300]);
        QVERIFY(!enabled[301]); // not compiled
        QVERIFY(enabled[302]);
        QVERIFY(enabled[183]);
        QVERIFY(enabled[195]);
        // an item runs its command
        for (QAction* action : popup->actions())
            if (action->data().toInt() == 300)
                action->trigger();
        QCOMPARE(Lines(*form), (std::vector<int32_t>{1}));
    }

    void desktopRecordRestoresPlaceAndBreakpoints() {
        const std::string name = File("desk.bas", "a\r\nb\r\nc\r\nd\r\n");
        QMdiArea area;
        area.resize(800, 600);
        area.show();
        TDesktopWriter writer;
        QRect saved;
        {
            std::unique_ptr<TEditorForm> form(Open(name));
            area.addSubWindow(form.get());
            form->show();
            form->setGeometry(20, 30, 300, 200);
            saved = form->GetNormalBounds();
            form->TextEditor()->SetCaretPosition(3, 2);
            form->ToggleBreakpoint(2);
            form->ToggleBreakpoint(4);
            form->SaveDesktopRecord(writer);
            std::unique_ptr<TEditorForm> untitled(Open());
            area.addSubWindow(untitled.get());
            untitled->SaveDesktopRecord(writer);
            // the untitled number must be free again when the record is read
            QCOMPARE(untitled->UntitledNumber(), 1);
        }
        TDesktopReader reader(writer.Data());
        auto* restored =
            qobject_cast<TEditorForm*>(TMDIChildForm::LoadDesktopRecord(reader, &area, nullptr));
        QVERIFY(restored);
        restored->show();
        QCOMPARE(restored->SourceFileName(), name);
        QCOMPARE(restored->geometry(), saved);
        QCOMPARE(restored->TextEditor()->GetParaCount(), 5);
        int column = 0;
        QCOMPARE(restored->TextEditor()->GetCaretPosition(column), 3);
        QCOMPARE(column, 2);
        QCOMPARE(Lines(*restored), (std::vector<int32_t>{2, 4}));
        QCOMPARE(restored->Breakpoints()[0]->DisplayState(), 2);
        QCOMPARE(restored->GetLanguage(), TEditorForm::LangBasic);
        QCOMPARE(restored->windowTitle(), QStringLiteral("desk.bas - Editor"));

        // an untitled window keeps only its name and number
        auto* back =
            qobject_cast<TEditorForm*>(TMDIChildForm::LoadDesktopRecord(reader, &area, nullptr));
        QVERIFY(back);
        QVERIFY(reader.AtEnd());
        QCOMPARE(back->UntitledNumber(), 1);
        QCOMPARE(back->windowTitle(), QStringLiteral("Unbenannt1 - Editor"));
        delete restored;
        delete back;
    }
};

QTEST_MAIN(TestEditorForm)
#include "tst_editorchild.moc"
