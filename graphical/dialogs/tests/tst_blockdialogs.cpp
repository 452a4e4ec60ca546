// The block property dialogs driven by real key and mouse events.
#include <QtTest>

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "framework/tests/eventloop.h"
#include "framework/utils.h"
#include "graphical/dialogs/blockbmpdlg.h"
#include "graphical/dialogs/commentblockdialog.h"
#include "graphical/model/blockcatalogue.h"
#include "graphical/model/graphblock.h"
#include "platform/qt/dialogs.h"

namespace {

void SaveBitmap(const QString& path, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QVERIFY(image.save(path, "BMP"));
}

} // namespace

class TestBlockDialogs : public QObject {
    Q_OBJECT

    QTemporaryDir bitmaps_;

private slots:
    void initTestCase() {
        QVERIFY(LoadBlockCatalogue());
        BitmapDir = bitmaps_.path();
        SaveBitmap(bitmaps_.filePath("klein.bmp"), 30, 20);
        SaveBitmap(bitmaps_.filePath("gross.bmp"), 300, 150);
    }
    void cleanupTestCase() {
        BitmapDir.clear();
        FreeBlockCatalogue();
    }

    void commentDialogTakesTextAndFont() {
        TCommentBlockDlg dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Eigenschaften des Kommentarblocks"));
        dialog.SetText("alt");
        dialog.SetCommentFont(QFont("Arial", 8), Qt::black);
        int fontDialogs = 0;
        dialog.dlgFont = [&](QFont& font, QColor& color) {
            ++fontDialogs;
            font.setPointSize(14);
            font.setItalic(true);
            color = Qt::red;
            return true;
        };
        dialog.show();
        dialog.eCommentText->selectAll();
        QTest::keyClicks(dialog.eCommentText, "Gr");
        QTest::sendKeyEvent(QTest::Click, dialog.eCommentText, Qt::Key_unknown,
                            QString::fromUtf8("ö"), Qt::NoModifier);
        QTest::keyClicks(dialog.eCommentText, "sse");
        QTest::mouseClick(dialog.FontButton, Qt::LeftButton);
        QCOMPARE(fontDialogs, 1);
        QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Text(), QString::fromUtf8("Grösse"));
        QCOMPARE(dialog.CommentFont().pointSize(), 14);
        QVERIFY(dialog.CommentFont().italic());
        QCOMPARE(dialog.CommentColor(), QColor(Qt::red));

        // A cancelled font dialog keeps the font.
        dialog.dlgFont = [](QFont&, QColor&) { return false; };
        QTest::mouseClick(dialog.FontButton, Qt::LeftButton);
        QCOMPARE(dialog.CommentFont().pointSize(), 14);
    }

    void fontButtonAsksForFontAndColour() {
        TCommentBlockDlg dialog;
        dialog.SetCommentFont(QFont("Arial", 8), Qt::black);
        dialog.show();
        auto clickOk = [](QDialog& shown) {
            auto* box = shown.findChild<QDialogButtonBox*>();
            QVERIFY(box != nullptr);
            QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
        };
        bool colourAsked = false;
        fixture::WhenShown<QFontDialog>([&](QFontDialog& fonts) {
            QFont font = fonts.currentFont();
            font.setPointSize(40);
            font.setUnderline(true);
            fonts.setCurrentFont(font);
            fixture::WhenShown<QColorDialog>([&](QColorDialog& colours) {
                colourAsked = true;
                colours.setCurrentColor(QColor(0, 128, 0));
                clickOk(colours);
            });
            clickOk(fonts);
        });
        QTest::mouseClick(dialog.FontButton, Qt::LeftButton);
        QVERIFY(colourAsked);
        QCOMPARE(dialog.CommentColor(), QColor(0, 128, 0));
        QCOMPARE(dialog.CommentFont().pointSize(), 24);
        QVERIFY(dialog.CommentFont().underline());

        // Cancelling the colour keeps the colour, not the font.
        fixture::WhenShown<QFontDialog>([&](QFontDialog& fonts) {
            QFont font = fonts.currentFont();
            font.setPointSize(10);
            fonts.setCurrentFont(font);
            fixture::WhenShown<QColorDialog>([](QColorDialog& colours) { colours.reject(); });
            clickOk(fonts);
        });
        QTest::mouseClick(dialog.FontButton, Qt::LeftButton);
        QCOMPARE(dialog.CommentColor(), QColor(0, 128, 0));
        QCOMPARE(dialog.CommentFont().pointSize(), 10);
    }

    void commentBlockEditsThroughItsDialog() {
        TTextBlock comment(65537, nullptr);
        const int oldWidth = comment.Rect.Width();
        fixture::WhenShown<TCommentBlockDlg>([](TCommentBlockDlg& dialog) {
            dialog.dlgFont = [](QFont& font, QColor& color) {
                font.setBold(true);
                color = QColor(0, 0, 255);
                return true;
            };
            dialog.eCommentText->selectAll();
            QTest::keyClicks(dialog.eCommentText, "Ein deutlich laengerer Kommentar");
            QTest::mouseClick(dialog.FontButton, Qt::LeftButton);
            QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
        });
        bool changed = false;
        QVERIFY(comment.EditData(0, changed));
        QVERIFY(changed);
        QCOMPARE(comment.Text, std::string("Ein deutlich laengerer Kommentar"));
        QCOMPARE(comment.FontStyle, int(TTextBlock::Bold));
        QCOMPARE(comment.FontColor, 0xFF0000u);
        QVERIFY(comment.Rect.Width() > oldWidth);

        // OK without a change reports none; Cancel reports failure.
        fixture::WhenShown<TCommentBlockDlg>(
            [](TCommentBlockDlg& dialog) { QTest::mouseClick(dialog.OkButton, Qt::LeftButton); });
        QVERIFY(comment.EditData(0, changed));
        QVERIFY(!changed);
        fixture::WhenShown<TCommentBlockDlg>([](TCommentBlockDlg& dialog) {
            QTest::keyClicks(dialog.eCommentText, "x");
            QTest::mouseClick(dialog.CancelButton, Qt::LeftButton);
        });
        QVERIFY(!comment.EditData(0, changed));
        QCOMPARE(comment.Text, std::string("Ein deutlich laengerer Kommentar"));
        QVERIFY(!comment.EditData(1, changed));
    }

    void commentFontStaysAsStoredAfterOkWithoutAChange() {
        TTextBlock comment(65537, nullptr);
        QCOMPARE(comment.FontName, std::string("MS Sans Serif"));
        comment.FontColor = 0x80000008; // a system colour, which the colour dialog cannot show
        const std::string stored = comment.FontAsText();
        QFont offered;
        fixture::WhenShown<TCommentBlockDlg>([&](TCommentBlockDlg& dialog) {
            fixture::WhenShown<QFontDialog>([&](QFontDialog& fonts) {
                offered = fonts.currentFont();
                fixture::WhenShown<QColorDialog>([](QColorDialog& colours) {
                    QTest::mouseClick(
                        colours.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                        Qt::LeftButton);
                });
                QTest::mouseClick(
                    fonts.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                    Qt::LeftButton);
            });
            QTest::mouseClick(dialog.FontButton, Qt::LeftButton);
            QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
        });
        bool changed = true;
        QVERIFY(comment.EditData(0, changed));
        QVERIFY(!offered.italic() && !offered.bold());
        QCOMPARE(offered.pointSize(), 8);
        QVERIFY(!changed);
        QCOMPARE(comment.FontAsText(), stored);
    }

    void bitmapDialogPreviewsTheFile() {
        TBlockBitmapDlg dialog;
        dialog.show();
        QTest::keyClicks(dialog.eFileName, "klein.bmp");
        QCOMPARE(dialog.FileName(), QStringLiteral("klein.bmp"));
        QVERIFY(!dialog.PreviewImage->pixmap().isNull());
        QCOMPARE(dialog.PreviewImage->pixmap().size(), QSize(30, 20));

        // Larger pictures are shrunk into the preview.
        dialog.eFileName->clear();
        QTest::keyClicks(dialog.eFileName, "gross.bmp");
        QVERIFY(dialog.PreviewImage->pixmap().width() <= 98);

        dialog.eFileName->clear();
        QTest::keyClicks(dialog.eFileName, "nichtda.bmp");
        QVERIFY(dialog.PreviewImage->pixmap().isNull());
    }

    void bitmapDialogRefusesMissingFiles() {
        platform::DialogRecorder recorder;
        TBlockBitmapDlg dialog;
        dialog.show();
        QTest::keyClicks(dialog.eFileName, "nichtda.bmp");
        QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QCOMPARE(recorder.Boxes().size(), size_t(1));
        QCOMPARE(recorder.Boxes()[0].text,
                 QString::fromUtf8("nichtda.bmp ist keine gültige Bitmapdatei!"));
        QCOMPARE(recorder.Beeps().front(), platform::BeepKind::Exclamation);

        // An empty name means no own bitmap.
        dialog.eFileName->clear();
        QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void bitmapChosenOutsideKeepsItsPath() {
        QTemporaryDir elsewhere;
        const QString outside = elsewhere.filePath("fremd.bmp");
        SaveBitmap(outside, 40, 40);
        TBlockBitmapDlg dialog;
        QString started;
        dialog.dlgFileSelect = [&](const QString& start) {
            started = start;
            return std::optional<QString>(outside);
        };
        dialog.SetFileName("klein.bmp");
        dialog.show();
        QTest::mouseClick(dialog.bSelectFile, Qt::LeftButton);
        QCOMPARE(started, QStringLiteral("klein.bmp"));
        QCOMPARE(dialog.FileName(), outside);

        dialog.dlgFileSelect = [&](const QString&) {
            return std::optional<QString>(bitmaps_.filePath("klein.bmp"));
        };
        QTest::mouseClick(dialog.bSelectFile, Qt::LeftButton);
        QCOMPARE(dialog.FileName(), QStringLiteral("klein.bmp"));
    }

    void bitmapFoundInTheFoldersIsKeptByItsBareName() {
        // "Bitmaps/" beside the current directory is one of the bitmap folders.
        QTemporaryDir work;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.path()));
        QVERIFY(QDir(work.path()).mkpath("Bitmaps/sub") && QDir(work.path()).mkpath("andere"));
        SaveBitmap(work.filePath("Bitmaps/eigen.bmp"), 20, 20);
        SaveBitmap(work.filePath("Bitmaps/sub/tief.bmp"), 20, 20);
        SaveBitmap(work.filePath("andere/eigen.bmp"), 20, 20);
        TBlockBitmapDlg dialog;
        dialog.show();
        for (const char* typed : {"eigen.bmp", "Bitmaps/eigen.bmp"}) {
            dialog.eFileName->clear();
            QTest::keyClicks(dialog.eFileName, typed);
            QCOMPARE(dialog.FileName(), QStringLiteral("eigen.bmp"));
        }
        dialog.dlgFileSelect = [&](const QString&) {
            return std::optional<QString>(work.filePath("Bitmaps/eigen.bmp"));
        };
        QTest::mouseClick(dialog.bSelectFile, Qt::LeftButton);
        QCOMPARE(dialog.FileName(), QStringLiteral("eigen.bmp"));

        // A file the folders do not find by its bare name keeps its full path, also one whose
        // bare name finds another file.
        for (const char* typed : {"Bitmaps/sub/tief.bmp", "andere/eigen.bmp"}) {
            dialog.eFileName->clear();
            QTest::keyClicks(dialog.eFileName, typed);
            QCOMPARE(dialog.FileName(), work.filePath(QString::fromLatin1(typed)));
        }
        QVERIFY(QDir::setCurrent(previous));
    }

    void functionBlockTakesTheChosenBitmap() {
        auto block = TGraphBlock::CreateTyped(65537, nullptr, 700);
        fixture::WhenShown<TBlockBitmapDlg>([](TBlockBitmapDlg& dialog) {
            QTest::keyClicks(dialog.eFileName, "klein.bmp");
            QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
        });
        bool changed = false;
        QVERIFY(block->EditData(1, changed));
        QVERIFY(changed);
        QVERIFY(block->OwnBitmap);
        QCOMPARE(block->BmpFile, std::string("klein.bmp"));
        QCOMPARE(block->Rect.Width(), 30);

        fixture::WhenShown<TBlockBitmapDlg>([](TBlockBitmapDlg& dialog) {
            QCOMPARE(dialog.eFileName->text(), QStringLiteral("klein.bmp"));
            dialog.eFileName->clear();
            QTest::mouseClick(dialog.OkButton, Qt::LeftButton);
        });
        QVERIFY(block->EditData(1, changed));
        QVERIFY(!block->OwnBitmap);
        QCOMPARE(block->Bitmap(), GetBlockBitmap(700));

        fixture::WhenShown<TBlockBitmapDlg>([](TBlockBitmapDlg& dialog) {
            QTest::mouseClick(dialog.CancelButton, Qt::LeftButton);
        });
        QVERIFY(!block->EditData(1, changed));
        QVERIFY(!changed);
        QVERIFY_THROWS_EXCEPTION(EBlockError, block->SetData(2, "x"));
    }
};

QTEST_MAIN(TestBlockDialogs)
#include "tst_blockdialogs.moc"
