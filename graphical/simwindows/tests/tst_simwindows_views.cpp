// The watch, terminal and recorded-data windows and the serial-input dialog, driven through
// their widgets with a real project model.
#include "framework/simwindows/rowgrid.h"
#include "framework/winregistry.h"
#include "graphical/dialogs/coloroptions.h"
#include "graphical/dialogs/moltraneinpdlg.h"
#include "graphical/model/quendalmodel.h"
#include "graphical/model/simulatoriostate.h"
#include "graphical/simwindows/fileform.h"
#include "graphical/simwindows/terminal.h"
#include "graphical/simwindows/watchfrm.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/help.h"
#include "platform/settings.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {

const QString Base = QStringLiteral("SOFTWARE\\Mirelt Electronic\\Tavrissel/plus");

std::unique_ptr<TWatchEntry> Watch(const std::string& name, int value, bool valid = true,
                                   bool changed = false) {
    auto watch = std::make_unique<TWatchEntry>();
    watch->Name = name;
    watch->Value = value;
    watch->Valid = valid;
    watch->Changed = changed;
    return watch;
}

// Pixels of about color inside rect of image (text edges are smoothed).
int CountColor(const QImage& image, const QRect& rect, const QColor& color) {
    int count = 0;
    for (int y = std::max(rect.top(), 0); y <= std::min(rect.bottom(), image.height() - 1); ++y)
        for (int x = std::max(rect.left(), 0); x <= std::min(rect.right(), image.width() - 1);
             ++x) {
            const QColor pixel = image.pixelColor(x, y);
            count += std::abs(pixel.red() - color.red()) < 100 &&
                     std::abs(pixel.green() - color.green()) < 100 &&
                     std::abs(pixel.blue() - color.blue()) < 100;
        }
    return count;
}

} // namespace

class TestSimWindowViews : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<QMdiArea> area_;
    std::unique_ptr<TQuendalModel> model_;
    std::vector<QUrl> helpPages_;
    platform::HelpOpener oldOpener_;

    std::string StorePath() const { return dir_.filePath("settings").toStdString(); }

private slots:
    void initTestCase() {
        QDir(dir_.path()).mkpath("Quendal.hlp");
        for (const char* page : {"12000.html", "13000.html", "14000.html"}) {
            QFile file(dir_.filePath(QStringLiteral("Quendal.hlp/") + page));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        platform::SetHelpFile(dir_.filePath("Quendal.hlp"));
        oldOpener_ = platform::SetHelpOpener([this](const QUrl& url) {
            helpPages_.push_back(url);
            return true;
        });
        // Plain colours that the pictures can be searched for.
        ColorOptions.SetColor(cnWatchBackgnd, 0xFFFFFF);
        ColorOptions.SetColor(cnWatchText, 0x000000);
        ColorOptions.SetColor(cnWatchInvalid, 0xFF0000);
        ColorOptions.SetColor(cnWatchChanged, 0x0000FF);
        ColorOptions.SetColor(cnTerminalBackgnd, 0x000000);
        ColorOptions.SetColor(cnTerminalText, 0x00FF00);
    }

    void cleanupTestCase() { platform::SetHelpOpener(oldOpener_); }

    void init() {
        area_ = std::make_unique<QMdiArea>();
        area_->resize(800, 600);
        area_->show();
        model_ = std::make_unique<TQuendalModel>();
        helpPages_.clear();
    }

    void cleanup() {
        delete WatchForm;
        delete TerminalForm;
        delete MoltraneFileForm;
        model_.reset();
        area_.reset();
        QFile::remove(QString::fromStdString(StorePath()));
    }

    void watchListFollowsTheModel() {
        TWatchForm* form = ShowWatchWindow(area_.get(), model_.get(), true);
        QCOMPARE(WatchForm, form);
        QCOMPARE(form->windowTitle(), QStringLiteral("\u00DCberwachte Variablen"));
        QCOMPARE(form->Grid()->RowCount(), 1);
        // An empty list offers neither command, from the keys or the popup.
        QVERIFY(!form->IsCommandEnabled(TWatchForm::cmSetWatchValue));
        QVERIFY(!form->IsCommandEnabled(TWatchForm::cmKillWatch));
        emit form->LocalMenu()->aboutToShow();
        for (QAction* action : form->LocalMenu()->actions())
            QVERIFY(!action->isEnabled());
        QCOMPARE(form->LocalMenu()->actions().at(0)->text(),
                 QStringLiteral("Wert ver\u00E4ndern..."));
        QCOMPARE(form->LocalMenu()->actions().at(1)->data().toInt(), 155);

        model_->Watches.push_back(Watch("Zaehler", 1));
        model_->Watches.push_back(Watch("Temperatur", 2));
        model_->Watches.push_back(Watch("Ausgang", 3));
        model_->NotifyViews(nmWatchAdded, 3);
        QCOMPARE(form->Grid()->RowCount(), 3);
        model_->NotifyViews(nmWatchSelected, 2);
        QCOMPARE(form->Grid()->CurrentRow(), 2);
        model_->NotifyViews(nmWatchSelected, 7);
        QCOMPARE(form->Grid()->CurrentRow(), 2);
        emit form->LocalMenu()->aboutToShow();
        for (QAction* action : form->LocalMenu()->actions())
            QVERIFY(action->isEnabled());

        // Up then Del removes the middle watch.
        form->Grid()->setFocus();
        QTest::keyClick(form->Grid(), Qt::Key_Up);
        QCOMPARE(form->Grid()->CurrentRow(), 1);
        QTest::keyClick(form->Grid(), Qt::Key_Delete);
        QCOMPARE(model_->WatchCount(), 2);
        QCOMPARE(model_->GetWatch(1)->Name, std::string("Ausgang"));
        QCOMPARE(form->Grid()->RowCount(), 2);

        QTest::keyClick(form->Grid(), Qt::Key_F1);
        QCOMPARE(helpPages_.size(), size_t(1));
        QVERIFY(helpPages_[0].toString().endsWith("12000.html"));
    }

    void enterAndDoubleClickEditTheCurrentWatch() {
        model_->Watches.push_back(Watch("A", 1));
        model_->Watches.push_back(Watch("B", 2));
        TWatchForm* form = ShowWatchWindow(area_.get(), model_.get(), true);
        std::vector<QString> asked;
        auto oldQuery = TWatchEntry::InputQuery;
        TWatchEntry::InputQuery = [&asked](const QString&, const QString&, const QString& value) {
            asked.push_back(value);
            return std::optional<QString>();
        };
        form->Grid()->setFocus();
        QTest::keyClick(form->Grid(), Qt::Key_Down);
        QTest::keyClick(form->Grid(), Qt::Key_Return);
        QTest::mouseDClick(form->Grid()->viewport(), Qt::LeftButton, {},
                           form->Grid()->RowRect(0).center());
        TWatchEntry::InputQuery = oldQuery;
        QCOMPARE(asked, (std::vector<QString>{"2", "1"}));
    }

    void nameColumnKeepsRoomForTheValues() {
        TWatchForm* form = ShowWatchWindow(area_.get(), model_.get(), true);
        form->resize(300, 150);
        QHeaderView* header = form->Header();
        header->resizeSection(0, 1000);
        const int limit = header->width() - 45;
        QCOMPARE(header->sectionSize(0), limit);
        QCOMPARE(form->ValueColumnX(), limit + 2);
        QCOMPARE(WatchNameColWidth, limit);
        QCOMPARE(header->sectionSize(0) + header->sectionSize(1), header->width());
        header->resizeSection(0, 80);
        QCOMPARE(form->ValueColumnX(), 82);
        header->resizeSection(0, 20);
        QCOMPARE(header->sectionSize(0), 65);
    }

    void valuesShowInTheirStateColour() {
        model_->Watches.push_back(Watch("N", 12345, true, true));
        model_->Watches.push_back(Watch("M", 67890, false, false));
        model_->Watches.push_back(Watch("O", 55555, true, false));
        TWatchForm* form = ShowWatchWindow(area_.get(), model_.get(), true);
        form->resize(300, 200);
        model_->NotifyViews(nmWatchAdded, 3);
        const QImage image = form->Grid()->viewport()->grab().toImage();
        auto valueArea = [&](int row) {
            QRect r = form->Grid()->RowRect(row);
            r.setLeft(form->ValueColumnX());
            return r.adjusted(0, 1, 0, -1);
        };
        const QColor red(255, 0, 0), blue(0, 0, 255);
        QVERIFY(CountColor(image, valueArea(0), red) > 0);
        QCOMPARE(CountColor(image, valueArea(0), blue), 0);
        QVERIFY(CountColor(image, valueArea(1), blue) > 0);
        QCOMPARE(CountColor(image, valueArea(1), red), 0);
        QCOMPARE(CountColor(image, valueArea(2), red) + CountColor(image, valueArea(2), blue), 0);
    }

    void watchSettingsReplaceTheSection() {
        platform::Settings store(StorePath());
        {
            TWinRegistry reg(store, Base);
            reg.WriteInteger("WatchWindow", "Stale", 7);
            WatchNameColWidth = 123;
            WatchWindowRect = {10, 20, 310, 220};
            WriteWatchSettings(reg);
        }
        TWinRegistry reg(store, Base);
        QCOMPARE(reg.ReadInteger("WatchWindow", "Stale", -5), -5);
        WatchNameColWidth = 0;
        WatchWindowRect = {};
        ReadWatchSettings(reg);
        QCOMPARE(WatchNameColWidth, 123);
        QCOMPARE(WatchWindowRect.Right, 310);
        QCOMPARE(WatchWindowRect.Bottom, 220);
        WatchWindowRect = {};
    }

    void terminalFollowsTheNewestLine() {
        TTerminalForm* form = ShowTerminalWindow(area_.get(), model_.get());
        QCOMPARE(form->windowTitle(), QStringLiteral("Tavrissel Ausgaben"));
        QVERIFY(!form->IsCommandEnabled(TTerminalForm::cmCopy));
        QVERIFY(!form->IsCommandEnabled(TTerminalForm::cmClearWindow));
        for (int i = 0; i < 60; ++i) {
            model_->TerminalLines.push_back("Zeile " + std::to_string(i));
            model_->NotifyViews(nmTerminalLine, i);
        }
        QCOMPARE(form->Grid()->RowCount(), 60);
        QCOMPARE(form->Grid()->CurrentRow(), 59);
        QVERIFY(form->Grid()->TopRow() > 0);
        QVERIFY(form->Grid()->RowRect(59).bottom() < form->Grid()->viewport()->height());
        // 80 characters and a margin fit the column.
        const int w = QFontMetrics(form->Grid()->font()).horizontalAdvance('W');
        QCOMPARE(form->Grid()->ColumnWidth(), 80 * w + 2);

        const QImage image = form->Grid()->viewport()->grab().toImage();
        QVERIFY(CountColor(image, form->Grid()->RowRect(59), QColor(0, 255, 0)) > 0);

        QVERIFY(form->IsCommandEnabled(TTerminalForm::cmClearWindow));
        form->DoCommand(TTerminalForm::cmClearWindow);
        QCOMPARE(model_->TerminalLineCount(), 0);
        QCOMPARE(form->Grid()->RowCount(), 1);
        QVERIFY(!form->IsCommandEnabled(TTerminalForm::cmCopy));
    }

    void terminalOutlivesItsModel() {
        model_->TerminalLines = {"alt"};
        TTerminalForm* form = ShowTerminalWindow(area_.get(), model_.get());
        QCOMPARE(form->Grid()->RowCount(), 1);
        QVERIFY(form->IsCommandEnabled(TTerminalForm::cmCopy));
        model_.reset();
        QCOMPARE(TerminalForm, form);
        QVERIFY(!form->IsCommandEnabled(TTerminalForm::cmCopy));
        form->Grid()->viewport()->grab();

        model_ = std::make_unique<TQuendalModel>();
        model_->TerminalLines = {"a", "b", "c"};
        form->AttachModel(model_.get());
        QCOMPARE(form->Grid()->RowCount(), 3);
        model_->TerminalLines.push_back("d");
        model_->NotifyViews(nmTerminalLine, 3);
        QCOMPARE(form->Grid()->CurrentRow(), 3);
    }

    void terminalHookOpensTheWindowOnce() {
        InstallTerminalHook(area_.get());
        QVERIFY(!TerminalForm);
        SimulatorWindows.ShowTerminal(model_.get());
        TTerminalForm* form = TerminalForm;
        QVERIFY(form);
        QVERIFY(form->isVisible());
        SimulatorWindows.ShowTerminal(model_.get());
        QCOMPARE(TerminalForm, form);
        QCOMPARE(area_->subWindowList().size(), 1);
        SimulatorWindows.ShowTerminal = nullptr;
    }

    void coloursAndFontsReachTheTerminal() {
        const TColorOptions saved = ColorOptions;
        model_->TerminalLines = {"WWWW"};
        TTerminalForm* form = ShowTerminalWindow(area_.get(), model_.get());
        // Colour numbers hold blue, green, red from the high byte down.
        ColorOptions.SetColor(cnTerminalText, 0x0000FFFF);
        ColorOptions.SetColor(cnTerminalBackgnd, 0x00FF0000);
        ColorOptions.Fonts[fvTerminal] = {QStringLiteral("DejaVu Sans Mono"), 14, 3};
        form->ColorsChanged();
        QCOMPARE(form->Grid()->font().pointSize(), 14);
        QVERIFY(form->Grid()->font().bold() && form->Grid()->font().italic());
        QCOMPARE(form->Grid()->RowHeight(), qRound(14 * form->Grid()->logicalDpiY() / 72.0) + 8);
        const QImage image = form->Grid()->viewport()->grab().toImage();
        const QRect row = form->Grid()->RowRect(0);
        QVERIFY(CountColor(image, row, QColor(255, 255, 0)) > 0);
        QVERIFY(CountColor(image, row, QColor(0, 0, 255)) > 0);
        QCOMPARE(CountColor(image, row, QColor(0, 255, 0)), 0);
        ColorOptions = saved;
    }

    void desktopReaderKnowsTheViews() {
        model_->TerminalLines = {"a", "b"};
        for (const char* name : {"TWatchForm", "TTerminalForm", "TMoltraneFileForm"})
            QVERIFY2(FindMDIChildClass(QString::fromLatin1(name)), name);
        TMDIChildForm* form = (*FindMDIChildClass("TTerminalForm"))(model_.get());
        QCOMPARE(TerminalForm, form);
        QCOMPARE(TerminalForm->Grid()->RowCount(), 2);
        delete form;
        QVERIFY(!TerminalForm);
    }

    void terminalCopiesAllLines() {
        model_->TerminalLines = {"eins", "zwei"};
        TTerminalForm* form = ShowTerminalWindow(area_.get(), model_.get());
        QApplication::clipboard()->clear();
        form->DoCommand(TTerminalForm::cmCopy);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("eins\r\nzwei\r\n"));
    }

    void dumpValuesAreSignedWordsInTheChosenBase() {
        HexOutput = false;
        QCOMPARE(FormatDumpValue(0xFFFF), QStringLiteral("     -1"));
        QCOMPARE(FormatDumpValue(0x8000), QStringLiteral(" -32768"));
        QCOMPARE(FormatDumpValue(1234), QStringLiteral("   1234"));
        HexOutput = true;
        QCOMPARE(FormatDumpValue(0xFFFF), QStringLiteral(" FFFF"));
        QCOMPARE(FormatDumpValue(0x1A), QStringLiteral(" 001A"));
        HexOutput = false;
    }

    void recordedDataShowsNewValuesApart() {
        TMoltraneFileForm* form = ShowFileWindow(area_.get(), model_.get());
        QCOMPARE(form->windowTitle(), QStringLiteral("Tavrissel Datenaufzeichnung"));
        QCOMPARE(form->Grid()->RowCount(), 1);
        QString seen, added;
        form->RowTexts(0, seen, added);
        QVERIFY(seen.isEmpty() && added.isEmpty());

        for (int i = 0; i < 30; ++i)
            model_->DataDump[size_t(i)] = uint16_t(i * 10);
        model_->DataDumpLength = 30;
        model_->PreviousDataDumpLength = 0;
        model_->NotifyViews(nmDataDump, 0);
        const int perRow = form->ValuesPerRow();
        QVERIFY(perRow >= 1 && perRow < 30);
        QCOMPARE(form->Grid()->RowCount(), (30 + perRow - 1) / perRow);
        QCOMPARE(form->Grid()->CurrentRow(), form->Grid()->RowCount() - 1);
        QCOMPARE(form->ShownLength(), 0);
        form->RowTexts(0, seen, added);
        QVERIFY(seen.isEmpty());
        QCOMPARE(added.size(), 7 * perRow);
        QCOMPARE(added.left(7), QStringLiteral("      0"));

        // The next step records three more: only those are new.
        for (int i = 30; i < 33; ++i)
            model_->DataDump[size_t(i)] = uint16_t(i);
        model_->PreviousDataDumpLength = 30;
        model_->DataDumpLength = 33;
        model_->NotifyViews(nmDataDump, 0);
        QCOMPARE(form->ShownLength(), 30);
        const int lastRow = 32 / perRow;
        form->RowTexts(lastRow, seen, added);
        QCOMPARE(added.right(7), QStringLiteral("     32"));
        QCOMPARE(seen.size() + added.size(), 7 * (33 - lastRow * perRow));
        QCOMPARE(added.size(), 7 * std::min(3, 33 - lastRow * perRow));
    }

    void recordedDataDrawsNewValuesInTheirColour() {
        ColorOptions.SetColor(cnDataBackgnd, 0xFFFFFF);
        ColorOptions.SetColor(cnDataText, 0x000000);
        ColorOptions.SetColor(cnDataIndex, 0xFF0000);
        ColorOptions.SetColor(cnDataChanged, 0x0000FF);
        TMoltraneFileForm* form = ShowFileWindow(area_.get(), model_.get());
        form->resize(435, 299);
        form->ColorsChanged();
        const QColor black(0, 0, 0), red(255, 0, 0), blue(0, 0, 255);
        QImage image = form->Grid()->viewport()->grab().toImage();
        QVERIFY(CountColor(image, form->Grid()->RowRect(0), black) > 0);
        QCOMPARE(CountColor(image, form->Grid()->RowRect(0), blue), 0);

        model_->DataDumpLength = 3 * form->ValuesPerRow();
        model_->PreviousDataDumpLength = 2 * form->ValuesPerRow();
        model_->NotifyViews(nmDataDump, 0);
        image = form->Grid()->viewport()->grab().toImage();
        for (int row = 0; row < 3; ++row) {
            const QRect r = form->Grid()->RowRect(row);
            QVERIFY(CountColor(image, r, blue) > 0);
            QCOMPARE(CountColor(image, r, black) > 0, row < 2);
            QCOMPARE(CountColor(image, r, red) > 0, row == 2);
        }
    }

    void storedRectanglePlacesTheViews() {
        WatchWindowRect = {15, 25, 315, 225};
        TWatchForm* form = ShowWatchWindow(area_.get(), model_.get(), true);
        QCOMPARE(form->geometry(), QRect(15, 25, 300, 200));
        form->resize(320, 210);
        QCOMPARE(WatchWindowRect.Right, 15 + 320);
        form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!WatchForm);
        QCOMPARE(WatchWindowRect.Bottom, 25 + 210);
        WatchWindowRect = {};
    }

    void helpTopicsByWindow() {
        model_->TerminalLines = {"x"};
        TTerminalForm* terminal = ShowTerminalWindow(area_.get(), model_.get());
        QTest::keyClick(terminal->Grid(), Qt::Key_F1);
        TMoltraneFileForm* data = ShowFileWindow(area_.get(), model_.get());
        QTest::keyClick(data->Grid(), Qt::Key_F1);
        QCOMPARE(helpPages_.size(), size_t(2));
        QVERIFY(helpPages_[0].toString().endsWith("13000.html"));
        QVERIFY(helpPages_[1].toString().endsWith("14000.html"));
    }

    void narrowingRecomputesTheLayout() {
        model_->DataDumpLength = 100;
        TMoltraneFileForm* form = ShowFileWindow(area_.get(), model_.get());
        form->resize(600, 300);
        const int wide = form->ValuesPerRow();
        form->resize(300, 300);
        const int narrow = form->ValuesPerRow();
        QVERIFY(narrow < wide);
        QCOMPARE(form->Grid()->RowCount(), (100 + narrow - 1) / narrow);
        // Too narrow for a single value: still one per row, no division by zero.
        form->setMinimumSize(0, 0);
        form->widget()->setMinimumSize(0, 0);
        form->resize(40, 300);
        QCOMPARE(form->ValuesPerRow(), 1);
        QCOMPARE(form->Grid()->RowCount(), 100);
        form->Grid()->viewport()->grab();
    }

    void inputDialogRefusesNonNumbers() {
        platform::DialogRecorder recorder;
        TMoltraneInputDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Eingabewert f\u00FCr Simulator"));
        QCOMPARE(dialog.CancelButton->text(), QStringLiteral("Simulation abbrechen"));
        dialog.show();
        dialog.EValue->setText("zwölf");
        QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QCOMPARE(recorder.Beeps(),
                 std::vector<platform::BeepKind>{platform::BeepKind::Exclamation});
        dialog.EValue->setText("99999999999");
        QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        dialog.EValue->setText("-4711");
        QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Value, -4711);
    }

    void inputHookAnswersTheDriver() {
        InstallMoltraneInputDialog(area_.get());
        QVERIFY(bool(SimulatorWindows.InputDialog));
        auto answer = [](const QString& text, bool ok) {
            QTimer::singleShot(0, [text, ok] {
                auto* dialog =
                    qobject_cast<TMoltraneInputDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                QCOMPARE(dialog->EValue->text(), QStringLiteral("17"));
                dialog->EValue->setText(text);
                QTest::mouseClick(ok ? dialog->OKButton : dialog->CancelButton, Qt::LeftButton);
            });
        };
        answer("25", true);
        QCOMPARE(SimulatorWindows.InputDialog(17), std::optional<int32_t>(25));
        answer("25", false);
        QCOMPARE(SimulatorWindows.InputDialog(17), std::optional<int32_t>());
        SimulatorWindows.InputDialog = nullptr;
    }
};

QTEST_MAIN(TestSimWindowViews)
#include "tst_simwindows_views.moc"
