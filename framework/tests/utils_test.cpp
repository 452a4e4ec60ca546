#include "framework/paintbox.h"
#include "framework/splash.h"
#include "framework/textwidth.h"
#include "framework/utils.h"
#include "platform/qt/dialogs.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using platform::BeepKind;
using platform::BoxKind;
using platform::Button;

namespace {

void Touch(const QString& name) {
    QDir().mkpath(QFileInfo(name).path());
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// The bounding box of the pixels that differ between two images of one size.
QRect Difference(const QImage& a, const QImage& b) {
    QRect box;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

} // namespace

class UtilsTest : public QObject {
    Q_OBJECT

    QString startDir;

private slots:
    void initTestCase() { startDir = QDir::currentPath(); }
    void cleanup() {
        QDir::setCurrent(startDir);
        BitmapDir.clear();
        TableDir.clear();
    }

    void errorBoxesBeepFirst() {
        platform::DialogRecorder dialogs;
        ShowError(QStringLiteral("Tabelle nicht gefunden!"));
        ShowErrorFmt("Fehler in %s: Zelle %d", "TQuendalModel.eDeleteCell", 12);
        const auto& events = dialogs.Events();
        QCOMPARE(events.size(), size_t(4));
        QCOMPARE(events[0].type, platform::DialogRecorder::Event::Type::Beep);
        QCOMPARE(events[0].beep, BeepKind::Exclamation);
        QCOMPARE(events[1].box.kind, BoxKind::Error);
        QCOMPARE(events[1].box.buttons, static_cast<platform::Buttons>(Button::Ok));
        QCOMPARE(events[1].box.caption, QStringLiteral("Fehler"));
        QCOMPARE(events[1].box.text, QStringLiteral("Tabelle nicht gefunden!"));
        QCOMPARE(events[3].box.text,
                 QStringLiteral("Fehler in TQuendalModel.eDeleteCell: Zelle 12"));
    }

    void bitmapLookupOrder() {
        QTemporaryDir root;
        const QString work = root.filePath(QStringLiteral("work"));
        QDir().mkpath(work);
        BitmapDir = root.filePath(QStringLiteral("configured"));
        QDir::setCurrent(work);

        // Nowhere: the configured directory, even though the file is missing there.
        QCOMPARE(FindBitmapFile(QStringLiteral("pumpe.bmp")),
                 BitmapDir + QStringLiteral("/pumpe.bmp"));
        Touch(BitmapDir + QStringLiteral("/pumpe.bmp"));
        QCOMPARE(FindBitmapFile(QStringLiteral("pumpe.bmp")),
                 BitmapDir + QStringLiteral("/pumpe.bmp"));
        Touch(root.filePath(QStringLiteral("Bitmaps/pumpe.bmp")));
        QCOMPARE(FindBitmapFile(QStringLiteral("pumpe.bmp")),
                 QStringLiteral("../Bitmaps/pumpe.bmp"));
        Touch(work + QStringLiteral("/Bitmaps/pumpe.bmp"));
        QCOMPARE(FindBitmapFile(QStringLiteral("pumpe.bmp")), QStringLiteral("Bitmaps/pumpe.bmp"));
        Touch(work + QStringLiteral("/pumpe.bmp"));
        QCOMPARE(FindBitmapFile(QStringLiteral("pumpe.bmp")), QStringLiteral("pumpe.bmp"));
        // An absolute name that exists is taken as it is.
        const QString absolute = root.filePath(QStringLiteral("configured/pumpe.bmp"));
        QCOMPARE(FindBitmapFile(absolute), absolute);
        // The folder spelling is exact.
        Touch(work + QStringLiteral("/BITMAPS/ventil.bmp"));
        QCOMPARE(FindBitmapFile(QStringLiteral("ventil.bmp")),
                 BitmapDir + QStringLiteral("/ventil.bmp"));
        // Only files count: a folder of that name, or an empty name, is passed over.
        QVERIFY(QDir(work).mkdir(QStringLiteral("gauge.bmp")));
        Touch(work + QStringLiteral("/Bitmaps/gauge.bmp"));
        QCOMPARE(FindBitmapFile(QStringLiteral("gauge.bmp")), QStringLiteral("Bitmaps/gauge.bmp"));
        QCOMPARE(FindBitmapFile(QString()), BitmapDir + QStringLiteral("/"));
    }

    void tableLookupAndRelativeNames() {
        QTemporaryDir root;
        TableDir = root.filePath(QStringLiteral("tabellen"));
        QDir::setCurrent(root.path());
        Touch(TableDir + QStringLiteral("/kennlinie.tab"));
        const QString picked = TableDir + QStringLiteral("/kennlinie.tab");
        const QString stored = MakeTablePathRelative(picked);
        QCOMPARE(stored, QStringLiteral("kennlinie.tab"));
        QCOMPARE(FindTableFile(stored), picked);
        Touch(root.filePath(QStringLiteral("Tables/other.tab")));
        QCOMPARE(FindTableFile(QStringLiteral("other.tab")), QStringLiteral("Tables/other.tab"));

        // Only a file directly in the configured directory loses its folder.
        QCOMPARE(MakeTablePathRelative(TableDir + QStringLiteral("/sub/x.tab")),
                 TableDir + QStringLiteral("/sub/x.tab"));
        QCOMPARE(MakeTablePathRelative(TableDir.toUpper() + QStringLiteral("/x.tab")),
                 TableDir.toUpper() + QStringLiteral("/x.tab"));
        BitmapDir = QStringLiteral("/opt/bilder");
        QCOMPARE(MakeBitmapPathRelative(QStringLiteral("/opt/bilder/a.bmp")),
                 QStringLiteral("a.bmp"));
        QCOMPARE(MakeBitmapPathRelative(QStringLiteral("/opt/a.bmp")),
                 QStringLiteral("/opt/a.bmp"));
        // Without a configured directory nothing is shortened.
        BitmapDir.clear();
        QCOMPARE(MakeBitmapPathRelative(QStringLiteral("/a.bmp")), QStringLiteral("/a.bmp"));
    }

    void paintBoxPaintsThroughItsHandler() {
        THandlePaintBox box;
        QCOMPARE(box.size(), QSize(105, 105));
        QFont font = box.font();
        font.setPointSize(17);
        box.setFont(font);
        int calls = 0;
        int fontSize = 0;
        box.OnPaint = [&](THandlePaintBox* sender, QPainter& painter) {
            ++calls;
            QCOMPARE(sender, &box);
            fontSize = painter.font().pointSize();
            painter.fillRect(sender->rect(), Qt::red);
        };
        const QImage image = box.grab().toImage();
        QVERIFY(calls >= 1);
        QCOMPARE(fontSize, 17);
        QCOMPARE(QColor(image.pixel(50, 50)), QColor(Qt::red));
    }

    void splashCarriesTheVersionText() {
        const QImage plain = TSplashForm::SplashBitmap();
        TSplashForm splash(QString::fromLatin1(QuendalVersionText));
        const QRect text = Difference(plain, splash.Picture());
        QVERIFY(!text.isEmpty());
        QVERIFY(text.top() >= 70);
        QVERIFY(text.top() <= 80);
        QVERIFY(qAbs(text.center().x() - plain.width() / 2) <= 3);
        QVERIFY(text.width() > 60);

        // The other program's version draws another text on the same picture.
        TSplashForm basic(QString::fromLatin1(HarvelVersionText));
        QVERIFY(basic.Picture() != splash.Picture());
        QCOMPARE(QString::fromLatin1(HarvelVersionText), QStringLiteral("Version 1.33"));

        splash.ShowSplash();
        QVERIFY(splash.isVisible());
        QVERIFY(splash.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!splash.OKButton()->isVisible());
        QCOMPARE(splash.size(), splash.Panel1()->size());
    }

    void aBoxWhileTheSplashStandsIsNotHiddenBehindIt() {
        TSplashForm splash(QString::fromLatin1(HarvelVersionText));
        splash.ShowSplash();
        // a file of the restored desktop warns as the program starts
        bool splashShown = true;
        QTimer::singleShot(0, &splash, [&] {
            splashShown = splash.isVisible();
            QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return);
        });
        QCOMPARE(platform::MessageBox(BoxKind::Warning, QStringLiteral("Zu lange Zeilen"),
                                      static_cast<platform::Buttons>(Button::Ok)),
                 Button::Ok);
        QVERIFY(!splashShown);
        QVERIFY(!splash.isVisible());
    }

    void aboutBoxStaysOnScreenAndClosesWithOk() {
        QMainWindow main;
        main.setGeometry(0, 0, 120, 90);
        main.show();
        TSplashForm about(QString::fromLatin1(QuendalVersionText));
        QPoint shownAt(-1, -1);
        bool okVisible = false;
        QTimer::singleShot(0, &about, [&] {
            shownAt = about.pos();
            okVisible = about.OKButton()->isVisible();
            QTest::mouseClick(about.OKButton(), Qt::LeftButton);
        });
        about.ShowAbout(&main);
        QCOMPARE(about.result(), int(QDialog::Accepted));
        QCOMPARE(shownAt, QPoint(0, 0));
        QVERIFY(okVisible);
        QCOMPARE(about.windowTitle(),
                 QStringLiteral("Über die Tavrissel/plus Entwicklungsumgebung"));
        const QSize image = about.Picture().size();
        // As wide as the picture or, when that is more, as the caption needs; the picture centred.
        QCOMPARE(about.size(),
                 QSize(std::max(image.width() + 12, CaptionWidth(&about)), image.height() + 42));
        QCOMPARE(about.Panel1()->geometry(), QRect((about.width() - image.width() - 2) / 2, 5,
                                                   image.width() + 2, image.height() + 2));
        const QRect ok = about.OKButton()->geometry();
        QCOMPARE(ok.top(), image.height() + 2 + 10);
        QVERIFY(qAbs(ok.center().x() - about.width() / 2) <= 1);

        // Centred on a main window well inside the screen.
        main.setGeometry(300, 300, 1000, 800);
        about.PrepareAbout(&main);
        const QRect frame = main.frameGeometry();
        // Within the width of a window frame, which the platform may add after showing.
        QVERIFY(qAbs(about.x() - (frame.x() + (frame.width() - about.width()) / 2)) <= 8);
        QVERIFY(qAbs(about.y() - (frame.y() + (frame.height() - about.height()) / 2)) <= 30);
    }
};

QTEST_MAIN(UtilsTest)
#include "utils_test.moc"
