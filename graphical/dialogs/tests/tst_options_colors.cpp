// The program-wide colour and font table in the registry and the dialog that edits it:
// pages, items, colour combos, the font choice, the sample and apply versus cancel.
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFontDialog>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "framework/tests/eventloop.h"
#include "framework/tests/helpcapture.h"
#include "framework/utils.h"
#include "framework/winregistry.h"
#include "graphical/dialogs/coloroptiondlg.h"
#include "graphical/dialogs/coloroptions.h"
#include "platform/qt/help.h"
#include "platform/settings.h"

namespace {

const QString KeyPath = QStringLiteral("SOFTWARE\\Mirelt Electronic\\Tavrissel/plus");

QImage Sample(TColorOptionsDlg& dialog) {
    QImage image(TColorOptionsDlg::SampleWidth, TColorOptionsDlg::SampleHeight,
                 QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    dialog.PreviewerPaint(painter);
    return image;
}

// Chooses a colour the way the user does: the combo has focus and an arrow key moves it.
void ChooseNext(QComboBox* combo) {
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
}

} // namespace

class TestColorOptions : public QObject {
    Q_OBJECT

    // the font dialog the user meets; some tests answer it themselves
    const decltype(TColorOptionsDlg::FontDialog) realFontDialog_ = TColorOptionsDlg::FontDialog;

private slots:
    void init() {
        ColorOptions = DefaultColorOptions();
        TColorOptionsDlg::FontDialog = realFontDialog_;
    }

    void registryKeepsColorsAndFonts() {
        QTemporaryDir dir;
        const std::string file = dir.filePath("settings").toStdString();
        {
            platform::Settings store(file);
            TWinRegistry registry(store, KeyPath);
            ColorOptions.SetColor(cnTerminalText, ColorValues::Yellow);
            ColorOptions.Fonts[fvWatch] = {QStringLiteral("Liberation Mono"), 12, 3};
            WriteColorOptions(registry);
        }
        platform::Settings store(file);
        QCOMPARE(store.readInteger(KeyPath.toStdString() + "\\Colors", "TerminalText").value_or(0),
                 ColorValues::Yellow);
        QCOMPARE(store.readString(KeyPath.toStdString() + "\\Fonts", "WatchFontName")
                     .value_or(std::string()),
                 std::string("Liberation Mono"));
        ColorOptions = DefaultColorOptions();
        TWinRegistry registry(store, KeyPath);
        ReadColorOptions(registry);
        QCOMPARE(ColorOptions.Color(cnTerminalText), ColorValues::Yellow);
        QCOMPARE(ColorOptions.Color(cnTerminalBackgnd), ColorValues::Black);
        QCOMPARE(ColorOptions.Fonts[fvWatch], (TFontEntry{"Liberation Mono", 12, 3}));
        const QFont font = ViewFont(fvWatch);
        QVERIFY(font.bold());
        QVERIFY(font.italic());
    }

    void firstStartAndDamagedValuesGiveDefaults() {
        QTemporaryDir dir;
        platform::Settings store(dir.filePath("settings").toStdString());
        const std::string fonts = KeyPath.toStdString() + "\\Fonts";
        store.writeInteger(fonts, "TableFontStyle", 9);
        store.writeInteger(fonts, "TableFontSize", -4);
        store.writeString(fonts, "DataFontName", std::string(40, 'x'));
        ColorOptions.SetColor(cnWatchChanged, 0);
        TWinRegistry registry(store, KeyPath);
        ReadColorOptions(registry);
        QCOMPARE(ColorOptions.Color(cnWatchChanged), ColorValues::Red);
        QCOMPARE(ColorOptions.Color(cnWatchBackgnd), ColorValues::SystemButtonFace);
        QCOMPARE(ColorOptions.Fonts[fvCellComment], (TFontEntry{"MS Sans Serif", 8, 0}));
        QCOMPARE(ColorOptions.Fonts[fvTable], (TFontEntry{"Courier New", 10, 0}));
        QCOMPARE(ColorOptions.Fonts[fvData].Name, QString(31, 'x'));
    }

    void colorNumbersBecomeScreenColors() {
        QCOMPARE(ColorValueToQColor(ColorValues::Red), QColor(255, 0, 0));
        QCOMPARE(ColorValueToQColor(ColorValues::Navy), QColor(0, 0, 128));
        QCOMPARE(ColorValueToQColor(0x00336699), QColor(0x99, 0x66, 0x33));
        QCOMPARE(ColorValueToQColor(ColorValues::SystemWindow),
                 QApplication::palette().color(QPalette::Base));
    }

    void pagesListTheirItems() {
        TColorOptionsDlg dialog;
        QCOMPARE(dialog.LBFontColorItem->count(), 7);
        QCOMPARE(dialog.LBFontColorItem->item(6)->text(),
                 QStringLiteral("Index der Blockressource"));
        QCOMPARE(dialog.LBFontColorItem->currentRow(), 0);
        QCOMPARE(dialog.LSelectedFont->text(), QStringLiteral("MS Sans Serif, 8pt"));
        dialog.PageControl1->setCurrentIndex(TColorOptionsDlg::WatchPageNo);
        QCOMPARE(dialog.LBFontColorItem->count(), 3);
        QCOMPARE(dialog.LBFontColorItem->item(1)->text(),
                 QStringLiteral("Ung\u00FCltiger Eintrag"));
        QCOMPARE(dialog.LBFontColorItem->currentRow(), 0);
        // System colours are none of the sixteen.
        QCOMPARE(dialog.CBForeground->currentText(), QStringLiteral("Vorgabe"));
        QVERIFY(dialog.CBBackground->isEnabled());
        dialog.LBFontColorItem->setCurrentRow(2);
        QCOMPARE(dialog.CBForeground->currentIndex(), 10); // red
        QVERIFY(!dialog.CBBackground->isEnabled());
        dialog.PageControl1->setCurrentIndex(TColorOptionsDlg::OutputPageNo);
        QCOMPARE(dialog.CBForeground->currentIndex(), 11); // lime
        QCOMPARE(dialog.CBBackground->currentIndex(), 1);  // black
    }

    void disabledBackgroundBoxShowsTheBackgroundInUse() {
        ColorOptions.SetColor(cnCellBackgnd, ColorValues::Yellow);
        TColorOptionsDlg dialog;
        QCOMPARE(dialog.CBBackground->currentIndex(), 12);
        dialog.LBFontColorItem->setCurrentRow(1); // Gitter
        QVERIFY(!dialog.CBBackground->isEnabled());
        QCOMPARE(dialog.CBBackground->currentIndex(), 12);
        // drawn in its colour, not greyed
        const QImage box = dialog.CBBackground->grab().toImage();
        int yellow = 0;
        for (int y = 0; y < box.height(); ++y) {
            for (int x = 0; x < box.width(); ++x)
                yellow += box.pixelColor(x, y) == QColor(Qt::yellow);
        }
        QVERIFY(yellow > 100);
        dialog.PageControl1->setCurrentIndex(TColorOptionsDlg::DataPageNo);
        dialog.LBFontColorItem->setCurrentRow(1);
        QVERIFY(!dialog.CBBackground->isEnabled());
        QCOMPARE(dialog.CBBackground->currentIndex(), 0); // button face is none of the sixteen
    }

    void foreignColorShowsAsVorgabeAndChoosingItStoresTheDefault() {
        ColorOptions.SetColor(cnTableText, 0x123456);
        TColorOptionsDlg dialog;
        dialog.show();
        dialog.PageControl1->setCurrentIndex(TColorOptionsDlg::TablePageNo);
        QCOMPARE(dialog.CBForeground->currentIndex(), 0);
        QVERIFY(!dialog.ApplyButton->isEnabled());
        ChooseNext(dialog.CBForeground);
        ChooseNext(dialog.CBForeground);
        QCOMPARE(dialog.WorkingCopy().Color(cnTableText), ColorValues::Maroon);
        dialog.CBForeground->setFocus();
        QTest::keyClick(dialog.CBForeground, Qt::Key_Up);
        QTest::keyClick(dialog.CBForeground, Qt::Key_Up);
        QCOMPARE(dialog.CBForeground->currentIndex(), 0);
        QCOMPARE(dialog.WorkingCopy().Color(cnTableText), ColorValues::SystemWindowText);
    }

    void cancelLeavesTheLiveTable() {
        const TColorOptions before = ColorOptions;
        TColorOptionsDlg dialog;
        int applied = 0;
        dialog.OnApply = [&] { ++applied; };
        QTimer::singleShot(0, [&] {
            dialog.PageControl1->setCurrentIndex(TColorOptionsDlg::OutputPageNo);
            ChooseNext(dialog.CBForeground);
            ChooseNext(dialog.CBBackground);
            QVERIFY(dialog.ApplyButton->isEnabled());
            QTest::mouseClick(dialog.CancelButton, Qt::LeftButton);
        });
        QVERIFY(!dialog.Execute(nullptr));
        QCOMPARE(ColorOptions, before);
        QCOMPARE(applied, 0);
        QTimer::singleShot(0, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
        QVERIFY(!dialog.Execute(nullptr));
        QCOMPARE(ColorOptions, before);
    }

    void applyAndOkCopyTheWorkingTable() {
        TColorOptionsDlg dialog;
        int applied = 0;
        dialog.OnApply = [&] { ++applied; };
        QTimer::singleShot(0, [&] {
            dialog.PageControl1->setCurrentIndex(TColorOptionsDlg::DataPageNo);
            dialog.LBFontColorItem->setCurrentRow(2);
            // Red again: no change.
            dialog.CBForeground->setFocus();
            QTest::keyClick(dialog.CBForeground, Qt::Key_Down);
            QTest::keyClick(dialog.CBForeground, Qt::Key_Up);
            QCOMPARE(dialog.WorkingCopy().Color(cnDataChanged), ColorValues::Red);
            ChooseNext(dialog.CBForeground);
            QCOMPARE(dialog.WorkingCopy().Color(cnDataChanged), ColorValues::Lime);
            QVERIFY(dialog.ApplyButton->isEnabled());
            QCOMPARE(ColorOptions.Color(cnDataChanged), ColorValues::Red);
            QTest::mouseClick(dialog.ApplyButton, Qt::LeftButton);
            QCOMPARE(ColorOptions.Color(cnDataChanged), ColorValues::Lime);
            QCOMPARE(applied, 1);
            QVERIFY(!dialog.ApplyButton->isEnabled());
            ChooseNext(dialog.CBForeground);
            QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        });
        QVERIFY(dialog.Execute(nullptr));
        QCOMPARE(ColorOptions.Color(cnDataChanged), ColorValues::Yellow);
        QCOMPARE(applied, 2);
    }

    void fontChoiceGoesToThePagesFont() {
        QFont offered;
        TColorOptionsDlg::FontDialog = [&](const QFont& initial, QWidget*) {
            offered = initial;
            QFont chosen(QStringLiteral("DejaVu Sans"));
            chosen.setPointSize(12);
            chosen.setBold(true);
            chosen.setItalic(true);
            return std::optional<QFont>(chosen);
        };
        ColorOptions.Fonts[fvTerminal] = {QStringLiteral("Courier New"), 9, 1};
        TColorOptionsDlg dialog;
        dialog.show();
        dialog.PageControl1->setCurrentIndex(TColorOptionsDlg::OutputPageNo);
        QCOMPARE(dialog.LSelectedFont->text(), QStringLiteral("Courier New, 9pt, kursiv"));
        QTest::mouseClick(dialog.BFontSelect, Qt::LeftButton);
        QCOMPARE(offered.pointSize(), 9);
        QVERIFY(offered.italic());
        QVERIFY(!offered.bold());
        QCOMPARE(dialog.LSelectedFont->text(), QStringLiteral("DejaVu Sans, 12pt, fett, kursiv"));
        QCOMPARE(dialog.WorkingCopy().Fonts[fvTerminal], (TFontEntry{"DejaVu Sans", 12, 3}));
        QCOMPARE(dialog.WorkingCopy().Fonts[fvWatch], ColorOptions.Fonts[fvWatch]);
        QVERIFY(dialog.ApplyButton->isEnabled());

        dialog.DoApply();
        TColorOptionsDlg::FontDialog = [](const QFont& initial, QWidget*) {
            return std::optional<QFont>(initial);
        };
        QTest::mouseClick(dialog.BFontSelect, Qt::LeftButton);
        QVERIFY(!dialog.ApplyButton->isEnabled());
        TColorOptionsDlg::FontDialog = [](const QFont&, QWidget*) {
            return std::optional<QFont>();
        };
        QTest::mouseClick(dialog.BFontSelect, Qt::LeftButton);
        QCOMPARE(dialog.WorkingCopy().Fonts[fvTerminal], (TFontEntry{"DejaVu Sans", 12, 3}));
    }

    void fontDialogStartsAtTheFontInUseAndOkKeepsTheStoredOne_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("style");
        // names that are not installed: the views show another font, which may name its
        // upright style "Book"
        QTest::newRow("comment") << int(TColorOptionsDlg::CellPageNo) << int(fvCellComment)
                                 << QStringLiteral("MS Sans Serif") << 8 << 0;
        QTest::newRow("terminal, bold") << int(TColorOptionsDlg::OutputPageNo) << int(fvTerminal)
                                        << QStringLiteral("Tavrissel Fehlschrift") << 11 << 2;
        // the table editors draw a proportional name in a fixed-pitch face
        QTest::newRow("table, proportional") << int(TColorOptionsDlg::TablePageNo) << int(fvTable)
                                             << QStringLiteral("DejaVu Sans") << 10 << 0;
    }

    void fontDialogStartsAtTheFontInUseAndOkKeepsTheStoredOne() {
        QFETCH(int, page);
        QFETCH(int, view);
        QFETCH(QString, name);
        QFETCH(int, size);
        QFETCH(int, style);
        const TFontEntry stored{name, size, style};
        ColorOptions.Fonts[view] = stored;
        const QFontInfo used(ViewFont(TFontView(view)));
        TColorOptionsDlg dialog;
        dialog.show();
        dialog.PageControl1->setCurrentIndex(page);
        const QString described = dialog.LSelectedFont->text();
        QFont offered;
        fixture::WhenShown<QFontDialog>([&](QFontDialog& fonts) {
            offered = fonts.currentFont();
            QTest::mouseClick(fonts.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
        });
        QTest::mouseClick(dialog.BFontSelect, Qt::LeftButton);
        QCOMPARE(offered.family(), used.family());
        QCOMPARE(offered.pointSize(), stored.Size);
        QCOMPARE(offered.bold(), (stored.Style & 2) != 0);
        QCOMPARE(offered.italic(), (stored.Style & 1) != 0);
        QCOMPARE(dialog.WorkingCopy().Fonts[view], stored);
        QVERIFY(!dialog.ApplyButton->isEnabled());
        QCOMPARE(dialog.LSelectedFont->text(), described);
    }

    void sampleDrawsGridDotsAndWires() {
        ColorOptions.SetColor(cnCellBackgnd, ColorValues::White);
        ColorOptions.SetColor(cnCellGridColor, ColorValues::Blue);
        ColorOptions.SetColor(cnLineColorText, ColorValues::Green);
        TColorOptionsDlg dialog;
        dialog.LBFontColorItem->setCurrentRow(1);
        QImage image = Sample(dialog);
        for (int i : {0, 6, 12}) {
            for (int j : {0, 2})
                QCOMPARE(image.pixelColor(10 * i + 5, 10 * j + 1), QColor(Qt::blue));
        }
        QCOMPARE(image.pixelColor(6, 1), QColor(Qt::white));
        QCOMPARE(image.pixelColor(5, 31), QColor(Qt::white));

        dialog.LBFontColorItem->setCurrentRow(3);
        image = Sample(dialog);
        QCOMPARE(image.pixelColor(20, 21), QColor(0, 128, 0));
        QCOMPARE(image.pixelColor(75, 21), QColor(0, 128, 0));
        QCOMPARE(image.pixelColor(120, 16), QColor(0, 128, 0));
        QCOMPARE(image.pixelColor(120, 26), QColor(0, 128, 0));
        QCOMPARE(image.pixelColor(75, 30), QColor(Qt::white));
        QCOMPARE(image.pixelColor(10, 21), QColor(Qt::white));

        // A colour chosen shows in the sample before it is applied.
        ChooseNext(dialog.CBForeground);
        QCOMPARE(Sample(dialog).pixelColor(75, 21), QColor(128, 128, 0));
    }

    void sampleTextIsCentredOnTheItemsBackground() {
        ColorOptions.SetColor(cnWatchBackgnd, ColorValues::Yellow);
        ColorOptions.SetColor(cnWatchInvalid, ColorValues::Navy);
        TColorOptionsDlg dialog;
        dialog.PageControl1->setCurrentIndex(TColorOptionsDlg::WatchPageNo);
        dialog.LBFontColorItem->setCurrentRow(1);
        const QImage image = Sample(dialog);
        QCOMPARE(image.pixelColor(1, 1), QColor(255, 255, 0));
        int left = image.width(), right = -1, top = image.height(), bottom = -1;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y) != QColor(255, 255, 0)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
        }
        QVERIFY(right > left);
        QVERIFY(std::abs((left + right) / 2 - 75) <= 3);
        QVERIFY(top > 2 && bottom < image.height() - 2);
    }

    void helpButtonOpensTheOptionsTopic() {
        fixture::HelpCapture help("Quendal.hlp", "20000.html");
        QVERIFY(help.PageWritten());
        HelpUsed = false;
        TColorOptionsDlg dialog;
        dialog.show();
        QTest::mouseClick(dialog.HelpButton, Qt::LeftButton);
        help.Release();
        QCOMPARE(help.Opened.size(), 1);
        QVERIFY(help.Opened[0].toLocalFile().endsWith("20000.html"));
        QVERIFY(HelpUsed);
    }

    void comboItemsAreSwatches() {
        TColorOptionsDlg dialog;
        QComboBox* combo = dialog.CBForeground;
        QCOMPARE(combo->count(), 17);
        QCOMPARE(combo->itemText(0), QStringLiteral("Vorgabe"));
        auto drawItem = [&](int row) {
            QImage image(60, 16, QImage::Format_RGB32);
            image.fill(Qt::magenta);
            QPainter painter(&image);
            QStyleOptionViewItem option;
            option.rect = image.rect();
            option.palette = combo->palette();
            combo->itemDelegate()->paint(&painter, option, combo->model()->index(row, 0));
            return image;
        };
        QCOMPARE(drawItem(10).pixelColor(30, 8), QColor(255, 0, 0));
        QCOMPARE(drawItem(5).pixelColor(10, 5), QColor(0, 0, 128));
        const QImage vorgabe = drawItem(0);
        QCOMPARE(vorgabe.pixelColor(4, 4), QColor(Qt::white));
        int dark = 0;
        for (int x = 4; x < 56; ++x)
            dark += vorgabe.pixelColor(x, 8).lightness() < 128 ? 1 : 0;
        QVERIFY(dark > 0);
    }

    void fontDescriptionNamesTheStyle() {
        QCOMPARE(FontDescription({QStringLiteral("Arial"), 10, 0}), QStringLiteral("Arial, 10pt"));
        QCOMPARE(FontDescription({QStringLiteral("Arial"), 10, 2}),
                 QStringLiteral("Arial, 10pt, fett"));
        QCOMPARE(FontDescription({QStringLiteral("Arial"), 11, 3}),
                 QStringLiteral("Arial, 11pt, fett, kursiv"));
        QCOMPARE(ColorComboIndex(ColorValues::White), 16);
        QCOMPARE(ColorComboIndex(ColorValues::Black), 1);
        QCOMPARE(ColorComboIndex(ColorValues::SystemWindow), 0);
    }
};

QTEST_MAIN(TestColorOptions)
#include "tst_options_colors.moc"
