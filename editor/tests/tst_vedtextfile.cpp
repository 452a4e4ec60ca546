// The text-file editor: loading, saving, backups and the limits on load; a small demo form.
#include "editor/vedexcept.h"
#include "editor/widgets/vededit.h"
#include "platform/qt/dialogs.h"
#include "platform/tests/writeprotect.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <filesystem>
#include <fstream>
#include <system_error>

using namespace ved;

namespace {

std::string ReadAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const QString& path, const std::string& bytes) {
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << bytes;
}

// A form holding the controller and one file editor, as the BASIC program's source window does.
struct FileForm {
    QWidget window;
    TVedControllerComponent* controller = new TVedControllerComponent(&window);
    TVedCustomTextFileEditor* editor = new TVedCustomTextFileEditor(&window);
    FileForm() {
        (new QVBoxLayout(&window))->addWidget(editor);
        window.resize(500, 300);
    }
};

} // namespace

class TestVedTextFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

private slots:
    void roundTripIsByteExact() {
        FileForm f;
        const std::string bytes = "eins\r\n\tzwei \xFC\r\n\r\n  drei\r\n";
        WriteAll(Path("a.txt"), bytes);
        f.editor->LoadFromFile(Path("a.txt").toStdString());
        QVERIFY(f.editor->IsOpen());
        QCOMPARE(f.editor->GetParaCount(), 5); // four lines and the final empty paragraph
        QCOMPARE(f.editor->GetPara(2), std::string("\tzwei \xFC"));
        QVERIFY(!f.editor->GetModified());
        QCOMPARE(f.editor->CaretPara(), 1); // a loaded file opens at its start
        QCOMPARE(f.editor->GetTopLine(), 1);
        f.editor->SaveToFile(Path("b.txt").toStdString());
        QCOMPARE(ReadAll(Path("b.txt")), bytes);
        // the name given to a save does not become the editor's file
        QCOMPARE(f.editor->FileName(), Path("a.txt").toStdString());
    }

    void lineBreaksAndParagraphs() {
        FileForm f;
        WriteAll(Path("c.txt"), "a\r\n\r\n");
        f.editor->LoadFromFile(Path("c.txt").toStdString());
        QCOMPARE(f.editor->GetParaCount(), 3);
        QCOMPARE(f.editor->Text(), std::string("a\n\n"));
        // LF only and no final break load the same lines; saving writes CR LF
        WriteAll(Path("d.txt"), "x\ny");
        f.editor->LoadFromFile(Path("d.txt").toStdString());
        QCOMPARE(f.editor->Text(), std::string("x\ny\n"));
        f.editor->SaveToFile(Path("d.txt").toStdString());
        QCOMPARE(ReadAll(Path("d.txt")), std::string("x\r\ny\r\n"));
        // an empty last paragraph writes no empty last line; a text ending in one does
        f.editor->Clear();
        f.editor->InsertText("p\n\nq");
        f.editor->SaveToFile(Path("e.txt").toStdString());
        QCOMPARE(ReadAll(Path("e.txt")), std::string("p\r\n\r\nq\r\n"));
    }

    void aLoneCREndsALineAsCRLFAndLFDo() {
        FileForm f;
        // a CR-only file, and CR, LF and CR LF mixed; the counted lines agree in the warning
        platform::DialogRecorder recorder;
        f.editor->SetParaLengthLimit(4);
        WriteAll(Path("cr.txt"), "a\rbb\r\rabcdef\r");
        f.editor->LoadFromFile(Path("cr.txt").toStdString());
        QCOMPARE(f.editor->Text(), std::string("a\nbb\n\nabcd\nef\n"));
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QVERIFY(recorder.Boxes()[0].text.endsWith(QStringLiteral("(Zeile 4).")));
        f.editor->SetParaLengthLimit(100);
        WriteAll(Path("mixed.txt"), "a\rb\nc\r\n\r\nd\n\re");
        f.editor->LoadFromFile(Path("mixed.txt").toStdString());
        QCOMPARE(f.editor->Text(), std::string("a\nb\nc\n\nd\n\ne\n"));
        // saved with the editor's own line end
        f.editor->SaveToFile(Path("mixed.txt").toStdString());
        QCOMPARE(ReadAll(Path("mixed.txt")), std::string("a\r\nb\r\nc\r\n\r\nd\r\n\r\ne\r\n"));
        // a pasted text splits the same way
        f.editor->Clear();
        QApplication::clipboard()->setText(QStringLiteral("x\ry\n\rz\r\n"));
        f.editor->PasteFromClipboard();
        QCOMPARE(f.editor->Text(), std::string("x\ny\n\nz\n"));
    }

    void saveFailureKeepsOriginal() {
        if (const std::string why = WriteProtectionUnavailable(); !why.empty())
            QSKIP(why.c_str());
        FileForm f;
        const QString target = Path("ro.txt");
        WriteAll(target, "original\r\n");
        f.editor->InsertText("neu");
        {
            // refused by the system's test for this user, whatever the owner bits say
            TWriteProtected protect(target);
            QVERIFY_THROWS_EXCEPTION(std::system_error, f.editor->SaveToFile(target.toStdString()));
        }
        QCOMPARE(ReadAll(target), std::string("original\r\n"));
        QVERIFY(f.editor->GetModified());
        QCOMPARE(
            QDir(dir_.path()).entryList({QStringLiteral("*ro.txt*")}, QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("ro.txt")});
        // a folder that does not exist: nothing is written anywhere
        QVERIFY_THROWS_EXCEPTION(std::system_error,
                                 f.editor->SaveToFile(Path("missing/x.txt").toStdString()));
    }

    void saveThroughALinkWritesItsTarget() {
        FileForm f;
        const QString real = Path("real.txt"), link = Path("link.txt");
        WriteAll(real, "alt\r\n");
        std::filesystem::create_symlink(real.toStdString(), link.toStdString());
        f.editor->LoadFromFile(link.toStdString());
        f.editor->SetCaretPosition(1, 1);
        f.editor->InsertText("neu ");
        f.editor->SetMakeBackup(true);
        f.editor->SaveToFile(link.toStdString());
        QVERIFY(std::filesystem::is_symlink(link.toStdString()));
        QCOMPARE(ReadAll(real), std::string("neu alt\r\n"));
        QCOMPARE(ReadAll(link), std::string("neu alt\r\n"));
        QCOMPARE(ReadAll(Path("real.BAK")), std::string("alt\r\n"));
    }

    void backupReplacesOlderBackup() {
        FileForm f;
        WriteAll(Path("PROG.BAS"), "alt\r\n");
        WriteAll(Path("PROG.BAK"), "uralt\r\n");
        f.editor->LoadFromFile(Path("PROG.BAS").toStdString());
        f.editor->SetCaretPosition(1, 1);
        f.editor->InsertText("neu ");
        f.editor->SetMakeBackup(true);
        f.editor->SaveToFile(Path("PROG.BAS").toStdString());
        QCOMPARE(ReadAll(Path("PROG.BAK")), std::string("alt\r\n"));
        QCOMPARE(ReadAll(Path("PROG.BAS")), std::string("neu alt\r\n"));
        // the saved file keeps the permissions the old one had
        QCOMPARE(std::filesystem::status(Path("PROG.BAS").toStdString()).permissions(),
                 std::filesystem::status(Path("PROG.BAK").toStdString()).permissions());
        QVERIFY(!f.editor->GetModified());
        // undoing after the save leaves the text modified
        f.editor->Undo();
        QVERIFY(f.editor->GetModified());
    }

    void failedLoadLeavesClosedAndEmpty() {
        FileForm f;
        WriteAll(Path("ok.txt"), "text\r\n");
        f.editor->SetFileName(Path("ok.txt").toStdString());
        f.editor->SetIsOpen(true);
        QVERIFY(f.editor->IsOpen());
        QVERIFY_THROWS_EXCEPTION(std::system_error,
                                 f.editor->LoadFromFile(Path("none.txt").toStdString()));
        QVERIFY(!f.editor->IsOpen());
        QCOMPARE(f.editor->Text(), std::string());
        // a file with more lines than allowed fails the same way
        WriteAll(Path("many.txt"), "1\r\n2\r\n3\r\n4\r\n");
        f.editor->SetParaLimit(3);
        QVERIFY_THROWS_EXCEPTION(EEditorError,
                                 f.editor->LoadFromFile(Path("many.txt").toStdString()));
        QVERIFY(!f.editor->IsOpen());
        QCOMPARE(f.editor->GetParaCount(), 1);
    }

    void cutOrSplitLinesAreReported() {
        FileForm f;
        platform::DialogRecorder recorder;
        f.editor->SetParaLengthLimit(20);
        WriteAll(Path("long.txt"), "kurz\r\neins zwei drei vier fuenf sechs\r\nende\r\n");
        f.editor->LoadFromFile(Path("long.txt").toStdString());
        QVERIFY(f.editor->IsOpen());
        QCOMPARE(f.editor->GetPara(2), std::string("eins zwei drei vier"));
        QCOMPARE(f.editor->GetPara(3), std::string("fuenf sechs"));
        QCOMPARE(f.editor->GetPara(4), std::string("ende"));
        const auto boxes = recorder.Boxes();
        QCOMPARE(boxes.size(), size_t(1));
        QCOMPARE(boxes[0].text, Path("long.txt") + QStringLiteral(": Zu lange Zeilen wurden beim "
                                                                  "Laden gek\u00FCrzt oder "
                                                                  "geteilt (Zeile 2)."));
        // a file within the limits loads silently
        recorder.Clear();
        f.editor->LoadFromFile(Path("ok.txt").toStdString());
        QVERIFY(recorder.Boxes().empty());
    }

    void fileNameRules() {
        FileForm f;
        f.editor->SetFileName("TEST.");
        QCOMPARE(f.editor->FileName(), std::string("TEST"));
        f.editor->SetFileName(".");
        QCOMPARE(f.editor->FileName(), std::string("."));
        f.editor->SetFileName("");
        f.editor->SetIsOpen(true);
        QVERIFY(!f.editor->IsOpen());
        // a new name closes without touching the text; closing discards it
        WriteAll(Path("n.txt"), "abc\r\n");
        f.editor->LoadFromFile(Path("n.txt").toStdString());
        f.editor->SetFileName(Path("N.TXT").toStdString()); // another file on this system
        QCOMPARE(f.editor->FileName(), Path("N.TXT").toStdString());
        QVERIFY(!f.editor->IsOpen());
        f.editor->LoadFromFile(Path("n.txt").toStdString());
        f.editor->SetFileName(Path("other.txt").toStdString());
        QVERIFY(!f.editor->IsOpen());
        QCOMPARE(f.editor->GetPara(1), std::string("abc"));
        f.editor->SetFileName(Path("n.txt").toStdString());
        f.editor->SetIsOpen(true);
        f.editor->SetIsOpen(false);
        QCOMPARE(f.editor->Text(), std::string());
        // a second editor of the same text takes the file name
        auto* second = new TVedCustomTextFileEditor(&f.window);
        second->Attach(f.editor);
        QCOMPARE(second->FileName(), f.editor->FileName());
    }

    void demoFormEditsAFile() {
        FileForm f;
        WriteAll(Path("demo.bas"), "10 PRINT \"HALLO\"\r\n20 GOTO 10\r\n");
        f.editor->SetFileName(Path("demo.bas").toStdString());
        f.editor->SetIsOpen(true);
        f.window.show();
        QApplication::setActiveWindow(&f.window);
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        f.editor->setFocus();
        QTest::keyClick(f.editor, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(f.editor, "30 END");
        QTest::keyClick(f.editor, Qt::Key_Return);
        QTest::keyClick(f.editor, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(f.editor, Qt::Key_Delete);
        QTest::keyClicks(f.editor, "5");
        QVERIFY(f.editor->GetModified());
        f.editor->SaveToFile(f.editor->FileName());
        QCOMPARE(ReadAll(Path("demo.bas")),
                 std::string("50 PRINT \"HALLO\"\r\n20 GOTO 10\r\n30 END\r\n"));
        QVERIFY(!f.editor->GetModified());
    }
};

QTEST_MAIN(TestVedTextFile)
#include "tst_vedtextfile.moc"
