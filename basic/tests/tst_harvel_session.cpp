// The BASIC program as a user meets it, through its main window: a debugging session that a
// stray key leaves alone, a run that stops on the first statement, exit with several windows,
// settings at a start without a stored main window, port keys of any layout, a new or opened
// source taking the keys from a port window, text on its columns, the watch word at the caret,
// the printout and the About box.
#include "basic/editors/editorchild.h"
#include "basic/library/linotrex.h"
#include "basic/mainwindow/mainform.h"
#include "basic/simwindows/digitalportform.h"
#include "basic/simwindows/fileform.h"
#include "basic/simwindows/watchform.h"
#include "basic/tests/harvelstart.h"
#include "framework/mainframe.h"
#include "framework/mrufilelist.h"
#include "framework/printing.h"
#include "framework/splash.h"
#include "framework/winregistry.h"
#include "platform/qt/dialogs.h"

#include <QAction>
#include <QMdiArea>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <memory>

using namespace harvel;

class TestHarvelSession : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir;
    QTemporaryDir settings; // a store of its own: other test programs run beside this one

    QString File(const char* name, const std::string& text) {
        return testing::WriteSource(dir->filePath(QLatin1String(name)), text);
    }
    // A shortcut typed into the main window after the idle call that enables its item.
    static void Key(TMainForm& form, const QKeySequence& keys) {
        form.AppIdle();
        QTest::keySequence(&form, keys);
    }
    static QList<TEditorForm*> Editors(TMainForm& form) {
        QList<TEditorForm*> editors;
        for (QMdiSubWindow* window : form.MdiArea()->subWindowList())
            if (auto* editor = qobject_cast<TEditorForm*>(window))
                editors.push_back(editor);
        return editors;
    }
    static int PortLevels() { return int(LinotrexGetPortState(Linotrex().Handle()) & 0xFFFF); }

    const std::string program = "DIM n AS BYTE\r\nn = 5\r\nn = n + 1\r\nPRINT n\r\nEND\r\n";

private slots:
    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", settings.filePath(QStringLiteral("config")).toLocal8Bit());
        QVERIFY(testing::InstallKeywordFile());
    }

    void init() {
        dir = std::make_unique<QTemporaryDir>();
        DesktopFileName = dir->filePath("harvel.DSK");
        TWinRegistry reg{QLatin1String(MainRegistryKey)};
        for (const char* section : {"MainWindow", "WatchWindow", "EEPROMWindow"})
            reg.EraseSection(QLatin1String(section));
    }

    void aStrayKeyWhileHaltedKeepsTheSession() {
        auto form = testing::StartMainForm();
        TEditorForm* editor = form->OpenEditor(File("halt.bas", program));
        editor->TextEditor()->SetCaretPosition(3, 1);
        Key(*form, QKeySequence(Qt::CTRL | Qt::Key_F8));
        Key(*form, QKeySequence(Qt::CTRL | Qt::Key_F9));
        Key(*form, QKeySequence(Qt::Key_F9));
        TLinotrex& wrapper = Linotrex();
        QCOMPARE(wrapper.ExecLine(), 3);

        // the halted source is read-only: the letter changes nothing, and F8 goes on
        editor->TextEditor()->setFocus();
        QTest::keyClick(editor->TextEditor(), Qt::Key_Q);
        QCOMPARE(editor->TextEditor()->GetLineString(3), std::string("n = n + 1"));
        form->AppIdle();
        QVERIFY(form->CommandItem(cmStep)->isEnabled());
        Key(*form, QKeySequence(Qt::Key_F8));
        QCOMPARE(wrapper.ExecLine(), 4);

        // after a reset a real edit asks for a new compile
        Key(*form, QKeySequence(Qt::CTRL | Qt::Key_F2));
        form->AppIdle();
        QTest::keyClick(editor->TextEditor(), Qt::Key_Q);
        form->AppIdle();
        QVERIFY(!wrapper.Compiled());
        QVERIFY(!form->CommandItem(cmRun)->isEnabled());
        editor->TextEditor()->SetModified(false);
    }

    void aRunFromIdleStopsOnTheFirstStatement() {
        auto form = testing::StartMainForm();
        TEditorForm* editor = form->OpenEditor(File("first.bas", program));
        editor->TextEditor()->SetCaretPosition(2, 1);
        Key(*form, QKeySequence(Qt::CTRL | Qt::Key_F8));
        Key(*form, QKeySequence(Qt::CTRL | Qt::Key_F9));
        TLinotrex& wrapper = Linotrex();
        QVERIFY(!wrapper.IsValidBreakpointIn(editor, 1)); // the DIM makes no code
        Key(*form, QKeySequence(Qt::Key_F9));
        QCOMPARE(wrapper.GetRunState(), TLinotrex::Halted);
        QCOMPARE(wrapper.ExecLine(), 2);
        QCOMPARE(wrapper.GetSymbolValue(wrapper.MapSymbol("n")), 0);
        Key(*form, QKeySequence(Qt::Key_F8));
        QCOMPARE(wrapper.ExecLine(), 3);
        QCOMPARE(wrapper.GetSymbolValue(wrapper.MapSymbol("n")), 5);
        // the next run goes on from there to the end
        Key(*form, QKeySequence(Qt::Key_F9));
        QTRY_COMPARE(wrapper.GetRunState(), TLinotrex::Idle);
    }

    void exitAsksEveryWindowBeforeClosingAny() {
        auto form = testing::StartMainForm();
        const QString a = File("a.bas", "PRINT 1\r\n"), b = File("b.bas", "PRINT 2\r\n");
        form->OpenEditor(a);
        TEditorForm* changed = form->OpenEditor(b);
        TEditorForm* fresh = form->OpenEditor(QString());
        for (TEditorForm* editor : {changed, fresh}) {
            form->MdiArea()->setActiveSubWindow(editor);
            editor->TextEditor()->setFocus();
            QTest::keyClick(editor->TextEditor(), Qt::Key_X);
        }

        // the new text is asked first, then b.bas, whose Cancel keeps every window open
        {
            platform::DialogRecorder recorder;
            recorder.QueueAnswer(platform::Button::No);
            recorder.QueueAnswer(platform::Button::Cancel);
            QVERIFY(!form->close());
            QCOMPARE(recorder.Boxes().size(), size_t(2));
            QCOMPARE(recorder.Boxes()[1].text, QStringLiteral("Änderungen in b.bas speichern?"));
        }
        QCOMPARE(Editors(*form).size(), 3);

        // asked again: the new text is saved under a name, b.bas is left as it was
        const QString named = dir->filePath("neu.bas");
        {
            platform::DialogRecorder recorder;
            recorder.QueueAnswer(platform::Button::Yes);
            recorder.QueueSaveName(named);
            recorder.QueueAnswer(platform::Button::No);
            QVERIFY(form->close());
            QCOMPARE(recorder.Boxes().size(), size_t(2));
        }
        const QStringList recent = form->MRUFiles()->Names();
        for (const QString& name : {a, b, named})
            QVERIFY2(recent.contains(name), qPrintable(name));
        form.reset();

        form = testing::StartMainForm();
        QStringList restored;
        for (TEditorForm* editor : Editors(*form))
            restored << QString::fromLocal8Bit(editor->TextEditor()->FileName());
        restored.sort();
        QCOMPARE(restored, (QStringList{a, b, named}));
        form.reset();
    }

    void watchesAndHexOutputSurviveAStartWithoutMainRectangle() {
        {
            TWinRegistry reg{QLatin1String(MainRegistryKey)};
            reg.WriteInteger(QStringLiteral("WatchWindow"), QStringLiteral("WatchCount"), 3);
            reg.WriteString(QStringLiteral("WatchWindow"), QStringLiteral("Watch1"), "zahl");
            reg.WriteString(QStringLiteral("WatchWindow"), QStringLiteral("Watch3"), "bild");
            reg.WriteBool(QStringLiteral("EEPROMWindow"), QStringLiteral("HexOutput"), true);
        }
        HexOutput = false;
        auto form = testing::StartMainForm();
        const auto& watches = Linotrex().Watches();
        QCOMPARE(watches.size(), size_t(2)); // the missing second name leaves a gap
        QCOMPARE(watches[1]->GetName(), std::string("bild"));
        QVERIFY(HexOutput);
        QVERIFY(form->close());
        form.reset();
        TWinRegistry reg{QLatin1String(MainRegistryKey)};
        QCOMPARE(reg.ReadInteger(QStringLiteral("WatchWindow"), QStringLiteral("WatchCount"), 0),
                 2);
        QVERIFY(reg.ReadBool(QStringLiteral("EEPROMWindow"), QStringLiteral("HexOutput"), false));
        Linotrex().Watches().clear();
    }

    void portKeysCountWhereTheyLieOnTheKeyboard() {
        auto form = testing::StartMainForm();
        form->NamedItem("ViewDigPortItem")->trigger();
        TDigitalPortForm* ports = DigitalPortForm;
        QVERIFY(ports && QTest::qWaitForWindowExposed(ports));
        for (int line = 0; line < 16; ++line)
            Linotrex().SetPortLine(line, 0);
        // X11 key codes: 12 the '3' key, 14 the '5' key, 19 the '0' key
        const auto send = [ports](QEvent::Type type, int key, Qt::KeyboardModifiers mods,
                                  quint32 code, const QString& text) {
            QKeyEvent event(type, key, mods, code, 0, 0, text);
            QApplication::sendEvent(ports, &event);
        };
        // Shift+5 types '%' (US); Shift comes up first, so the release names '5'
        send(QEvent::KeyPress, Qt::Key_Percent, Qt::ShiftModifier, 14, "%");
        send(QEvent::KeyRelease, Qt::Key_5, Qt::NoModifier, 14, "5");
        QCOMPARE(PortLevels(), 0x0010);
        // Shift+0 types '=' (German)
        send(QEvent::KeyPress, Qt::Key_Equal, Qt::ShiftModifier, 19, "=");
        send(QEvent::KeyRelease, Qt::Key_Equal, Qt::ShiftModifier, 19, "=");
        QCOMPARE(PortLevels(), 0x8010);
        // a held '3' whose release comes as '#' still lets go, and the mouse works again
        send(QEvent::KeyPress, Qt::Key_3, Qt::NoModifier, 12, "3");
        QCOMPARE(PortLevels(), 0x8014);
        send(QEvent::KeyRelease, Qt::Key_NumberSign, Qt::ShiftModifier, 12, "#");
        QCOMPARE(PortLevels(), 0x8010);
        QTest::mouseClick(ports, Qt::LeftButton, Qt::ShiftModifier, QPoint(16, 16));
        QCOMPARE(PortLevels(), 0x8011);
        for (int line = 0; line < 16; ++line)
            Linotrex().SetPortLine(line, 0);
        delete DigitalPortForm;
    }

    void aNewOrOpenedSourceTakesTheKeysFromAPortWindow() {
        auto form = testing::StartMainForm();
        const QString chosen = File("offen.bas", "");
        const auto oldChoose = TMainForm::ChooseOpenFile;
        TMainForm::ChooseOpenFile = [chosen](QWidget*) { return chosen; };
        form->NamedItem("ViewDigPortItem")->trigger();
        TDigitalPortForm* ports = DigitalPortForm;
        // new, open, and open once more the file that is open already
        for (const auto key : {Qt::Key_N, Qt::Key_O, Qt::Key_O}) {
            ports->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(ports));
            QTest::keySequence(ports, QKeySequence(Qt::CTRL | key));
            // the window system's word on the active window comes with the pending events
            QCoreApplication::processEvents();
            TEditorForm* editor = form->ActiveEditor();
            QVERIFY(editor);
            QTRY_COMPARE(QApplication::activeWindow(), form.get());
            QVERIFY(editor->TextEditor()->hasFocus());
            QTest::keyClicks(QApplication::focusWidget(), "5");
            QCOMPARE(PortLevels(), 0);
        }
        QCOMPARE(Editors(*form).size(), 2);
        QCOMPARE(form->ActiveEditor()->TextEditor()->GetLineString(1), std::string("55"));
        TMainForm::ChooseOpenFile = oldChoose;
        delete DigitalPortForm;
        platform::DialogRecorder recorder;
        recorder.QueueAnswer(platform::Button::No);
        recorder.QueueAnswer(platform::Button::No);
        QVERIFY(form->close());
    }

    void colouredKeywordsStayOnTheirColumns() {
        auto form = testing::StartMainForm();
        // columns 0 and 60 hold an X in the font colour, a coloured keyword lies between
        std::string line = "X  PORT[16] = bild SHL 1";
        line.resize(60, ' ');
        line += "X";
        TEditorForm* editor = form->OpenEditor(File("cols.bas", line + "\r\n"));
        THiliteColors& colors = HiliteColors();
        const THiliteColors saved = colors;
        colors.token[hmKeyword] = Qt::red;
        colors.token[hmNumber] = Qt::blue;
        THiliteEditor* text = editor->TextEditor();
        text->SetCaretPosition(2, 1); // the caret off the row
        text->resize(QSize(70 * text->CharWidth() + 60, 200));
        const QImage shot = text->viewport()->grab().toImage();
        colors = saved;
        // both X look the same within their columns
        const auto cell = [&](int column) {
            return shot.copy(text->LeftMargin() + column * text->CharWidth(), 0, text->CharWidth(),
                             text->LineHeight());
        };
        QVERIFY(cell(0) != cell(1));
        QCOMPARE(cell(60), cell(0));
        QVERIFY(text->GetLineString(1) == line);
    }

    void aWatchTakesTheWordRightBeforeTheCaret() {
        auto form = testing::StartMainForm();
        TEditorForm* editor = form->OpenEditor(File("w.bas", "muster = 1\r\n"));
        Key(*form, QKeySequence(Qt::CTRL | Qt::Key_F9));
        form->MdiArea()->setActiveSubWindow(editor);
        editor->TextEditor()->SetCaretPosition(1, 7); // right behind "muster"
        Linotrex().Watches().clear();
        Key(*form, QKeySequence(Qt::CTRL | Qt::Key_F7));
        QCOMPARE(Linotrex().Watches().size(), size_t(1));
        QCOMPARE(Linotrex().Watches()[0]->GetName(), std::string("muster"));
        Linotrex().Watches().clear();
    }

    void thePrintoutHasMarginsAndAHeadingOnEveryPage() {
        auto form = testing::StartMainForm();
        std::string text;
        for (int i = 1; i <= 150; ++i)
            text += "PRINT " + std::to_string(i) + "\r\n";
        TEditorForm* editor = form->OpenEditor(File("liste.bas", text));
        const QString pdf = dir->filePath("liste.pdf");
        ProgramPrinter().setOutputFormat(QPrinter::PdfFormat);
        ProgramPrinter().setOutputFileName(pdf);
        testing::AnswerModal<QPrintDialog>([](QPrintDialog* dialog) { dialog->accept(); });
        form->AppIdle();
        form->CommandItem(cmPrint)->trigger();
        QVERIFY(QFileInfo(pdf).size() > 0);
        ProgramPrinter().setOutputFileName(QString());

        // the pages as painted: nothing outside the margins, a heading above the text
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QRect area = PrintArea(printer, PrintMargins);
        const QRect paintable = printer.pageLayout().paintRectPixels(printer.logicalDpiX());
        const double mm = printer.logicalDpiX() / 25.4;
        QCOMPARE(qRound((paintable.left() + area.left()) / mm), 20);
        QCOMPARE(qRound((paintable.top() + area.top()) / mm), 20);
        // a sheet at an eighth of the printer's resolution
        constexpr int Shrink = 8;
        QImage sheet(paintable.size() / Shrink, QImage::Format_RGB32);
        sheet.setDotsPerMeterX(qRound(printer.logicalDpiX() / 0.0254 / Shrink));
        sheet.setDotsPerMeterY(qRound(printer.logicalDpiY() / 0.0254 / Shrink));
        const QRect inside(area.topLeft() / Shrink, area.size() / Shrink);
        QPainter painter(&sheet);
        QStringList lines;
        for (int i = 1; i <= 150; ++i)
            lines << QStringLiteral("PRINT %1").arg(i);
        QList<QImage> painted;
        const QFont font = editor->TextEditor()->FixedFont().Font();
        sheet.fill(Qt::white);
        const int pages = PaintListing(painter, inside, font, "liste.bas", lines, [&] {
            painted << sheet.copy();
            sheet.fill(Qt::white);
        });
        painter.end();
        painted << sheet;
        QVERIFY(pages >= 2);
        QCOMPARE(painted.size(), pages);
        for (const QImage& shot : painted) {
            QRect ink;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    if (shot.pixel(x, y) != qRgb(255, 255, 255))
                        ink |= QRect(x, y, 1, 1);
            QVERIFY(inside.adjusted(-1, -1, 1, 1).contains(ink));
            // the heading's rule runs across the whole width, on top
            QVERIFY(ink.width() >= inside.width() - 2);
            QVERIFY(ink.top() < inside.top() + QFontMetrics(font, &sheet).height());
        }
    }

    void theAboutBoxNamesTheBasicProgram() {
        auto form = testing::StartMainForm();
        QString caption;
        testing::AnswerModal<TSplashForm>([&caption](TSplashForm* about) {
            caption = about->windowTitle();
            about->accept();
        });
        form->NamedItem("HelpAboutItem")->trigger();
        QCOMPARE(caption, QStringLiteral("Über die Tavrissel/BASIC Entwicklungsumgebung"));
    }
};

QTEST_MAIN(TestHarvelSession)
#include "tst_harvel_session.moc"
