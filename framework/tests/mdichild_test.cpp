#include "framework/mdichild.h"
#include "framework/simwindows/singlechild.h"
#include "platform/qt/dialogs.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QPainter>
#include <QStyleOptionTitleBar>
#include <QtTest>

#include <stdexcept>
#include <utility>

using platform::DialogRecorder;

// A document of one number; views paint it.
class TCounterModel : public TModel {
public:
    TCounterModel() : TModel(false) {}
    int value = 0;
    void Increment() {
        ++value;
        NotifyViews(2000, value);
    }
};

class TCounterCanvas : public QWidget {
public:
    int paints = 0;
    int shown = -1;

protected:
    void paintEvent(QPaintEvent*) override {
        ++paints;
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.drawText(rect(), Qt::AlignCenter, QString::number(shown));
    }
};

// A window with a part of its own in the desktop record.
class TCounterForm : public TMDIChildForm {
    Q_OBJECT

public:
    explicit TCounterForm(TModel* model) : TMDIChildForm(model) {
        canvas = new TCounterCanvas;
        setWidget(canvas);
    }

    TCounterCanvas* canvas;
    QString note;
    int zoom = 1;
    int registered = 0;

    void UpdateAspekt(int code, NotifyData data) override {
        if (code == 2000) {
            canvas->shown = static_cast<int>(data);
            canvas->update();
        }
    }
    void SaveDesktop(TDesktopWriter& writer) override {
        TMDIChildForm::SaveDesktop(writer);
        writer.WriteString(note);
        writer.WriteInteger(zoom);
    }
    void LoadDesktop(TDesktopReader& reader) override {
        TMDIChildForm::LoadDesktop(reader);
        note = reader.ReadString();
        zoom = reader.ReadInteger();
    }
    void RegisterInstance() override { ++registered; }
};

// A second class whose record has no own part.
class TPlainForm : public TMDIChildForm {
    Q_OBJECT

public:
    explicit TPlainForm(TModel* model) : TMDIChildForm(model) { setWidget(new QWidget); }
};

// A single window whose attaching, resizing and accepted close fail once each, as its first
// show, a resize and a close hand it over.
class TFailingSingleForm : public TSingleChildForm {
    Q_OBJECT

public:
    TFailingSingleForm(TModel* model, TWindowRect& place) : TSingleChildForm(model, place) {
        setWidget(new QWidget);
    }
    int closes = 0;
    bool failResize = false;

    void ModelAttached() override { throw std::runtime_error("Anhaengen gescheitert"); }

protected:
    void AfterResize() override {
        if (std::exchange(failResize, false))
            throw std::runtime_error("Groesse gescheitert");
    }
    void AfterClose() override {
        if (++closes == 1)
            throw std::runtime_error("Schliessen gescheitert");
    }
};

// A single window at a place the test keeps.
class TPlacedSingleForm : public TSingleChildForm {
    Q_OBJECT

public:
    explicit TPlacedSingleForm(TWindowRect& place) : TSingleChildForm(nullptr, place) {
        setWidget(new QWidget);
    }

protected:
    void AfterClose() override {}
};

class MdiChildTest : public QObject {
    Q_OBJECT

    QMainWindow* frame = nullptr;
    QMdiArea* area = nullptr;

    TCounterForm* NewCounter(TModel* model, const QRect& r, TWindowState state = wsNormal) {
        TMDIChildForm::SetNextPlacement(r.left(), r.top(), r.width(), r.height(), state);
        auto* form = TMDIChildForm::Create<TCounterForm>(model);
        area->addSubWindow(form);
        form->show();
        return form;
    }

    QList<TCounterForm*> Counters() const {
        QList<TCounterForm*> forms;
        for (QMdiSubWindow* window : area->subWindowList(QMdiArea::CreationOrder)) {
            if (auto* form = qobject_cast<TCounterForm*>(window))
                forms << form;
        }
        return forms;
    }

private slots:
    void initTestCase() {
        RegisterMDIChildClass<TCounterForm>();
        RegisterMDIChildClass<TPlainForm>();
    }

    void init() {
        frame = new QMainWindow;
        area = new QMdiArea;
        frame->setCentralWidget(area);
        frame->resize(1000, 800);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
    }

    void cleanup() {
        delete frame;
        frame = nullptr;
        TMDIChildForm::SetNextPlacement(0, 0, 0, 0, wsNormal);
    }

    void aFailingHandlerOfAWindowEndsInTheWindow() {
        DialogRecorder dialogs;
        TCounterModel model;
        TWindowRect place;
        // made without Create: the first show attaches it
        auto* form = new TFailingSingleForm(&model, place);
        area->addSubWindow(form);
        form->show();
        QVERIFY(form->isVisible());
        form->failResize = true;
        form->resize(form->width() + 20, form->height());
        // the failed close is refused; the next one closes
        QPointer<TFailingSingleForm> alive = form;
        QVERIFY(!form->close());
        QVERIFY(alive && form->isVisible());
        QTRY_COMPARE(dialogs.Boxes().size(), size_t(3));
        QCOMPARE(dialogs.Boxes()[0].text, QStringLiteral("Anhaengen gescheitert"));
        QCOMPARE(dialogs.Boxes()[1].text, QStringLiteral("Groesse gescheitert"));
        QCOMPARE(dialogs.Boxes()[2].text, QStringLiteral("Schliessen gescheitert"));
        QVERIFY(form->close());
        QTRY_VERIFY(!alive);
    }

    void aBoxOverTheCloseButtonCostsNoClick() {
        TCounterForm* form = NewCounter(nullptr, QRect(20, 20, 300, 200));
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QStyleOptionTitleBar title;
        title.initFrom(form);
        title.subControls = QStyle::SC_All;
        title.titleBarFlags = form->windowFlags();
        title.titleBarState = int(form->windowState());
        title.rect = QRect(0, 0, form->width(),
                           form->style()->pixelMetric(QStyle::PM_TitleBarHeight, &title, form));
        const QRect button = form->style()->subControlRect(QStyle::CC_TitleBar, &title,
                                                           QStyle::SC_TitleBarCloseButton, form);
        QVERIFY(!button.isEmpty());
        QWindow* window = frame->windowHandle();
        const QPoint at = form->mapTo(frame, button.center());
        QTest::mouseMove(window, at);
        // a box comes up while the pointer rests on the button and is answered with the keys
        QTimer::singleShot(
            0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
        platform::MessageBox(platform::BoxKind::Information, QStringLiteral("Hinweis"),
                             static_cast<platform::Buttons>(platform::Button::Ok));
        QPointer<TCounterForm> alive = form;
        QTest::mouseClick(window, Qt::LeftButton, {}, at);
        QTRY_VERIFY(!alive);
    }

    void twoChildrenOfOneModelRepaintOnNotification() {
        TCounterModel model;
        TCounterForm* left = NewCounter(&model, QRect(0, 0, 400, 300));
        TCounterForm* right = NewCounter(&model, QRect(420, 0, 400, 300));
        QVERIFY(QTest::qWaitForWindowExposed(left));
        QTRY_VERIFY(left->canvas->paints > 0 && right->canvas->paints > 0);
        const int leftBefore = left->canvas->paints;
        const int rightBefore = right->canvas->paints;

        model.Increment();
        QTRY_VERIFY(left->canvas->paints > leftBefore);
        QTRY_VERIFY(right->canvas->paints > rightBefore);
        QCOMPARE(left->canvas->shown, 1);
        QCOMPARE(right->canvas->shown, 1);
        QCOMPARE(model.ViewCount(), 2);

        // Closing a window detaches it from the model.
        left->close();
        QTRY_COMPARE(model.ViewCount(), 1);
        delete right;
    }

    void placementOfTheNextWindow() {
        TCounterForm* placed = NewCounter(nullptr, QRect(30, 40, 350, 250));
        QCOMPARE(placed->geometry(), QRect(30, 40, 350, 250));
        QCOMPARE(placed->GetNormalBounds(), QRect(30, 40, 350, 250));

        // The placement stays for the next window until it is set again.
        int32_t l, t, w, h;
        TWindowState s;
        TMDIChildForm::GetNextPlacement(l, t, w, h, s);
        QCOMPARE(QRect(l, t, w, h), QRect(30, 40, 350, 250));

        // The default position leaves size and place to the MDI area.
        const int32_t d = TMDIChildForm::DefaultPosition;
        TMDIChildForm::SetNextPlacement(d, d, d, d, wsNormal);
        auto* fresh = TMDIChildForm::Create<TCounterForm>(nullptr);
        area->addSubWindow(fresh);
        fresh->show();
        QVERIFY(fresh->width() >= TMDIChildForm::MinimumWidth);
        QVERIFY(fresh->x() >= 0 && fresh->y() >= 0);
        QVERIFY(fresh->x() < area->width() && fresh->y() < area->height());
    }

    void minimumTrackingSize() {
        TCounterForm* form = NewCounter(nullptr, QRect(10, 10, 400, 300));
        QVERIFY(QTest::qWaitForWindowExposed(form));
        // Drag the lower right corner far up and left.
        const QPoint corner(form->width() - 1, form->height() - 1);
        QTest::mouseMove(form, corner); // hovering picks the resize operation
        QTest::mousePress(form, Qt::LeftButton, Qt::NoModifier, corner);
        QTest::mouseMove(form, corner - QPoint(380, 290));
        QTest::mouseRelease(form, Qt::LeftButton, Qt::NoModifier, corner - QPoint(380, 290));
        QCOMPARE(form->size(), QSize(TMDIChildForm::MinimumWidth, TMDIChildForm::MinimumHeight));
        form->resize(10, 10);
        QCOMPARE(form->size(), QSize(TMDIChildForm::MinimumWidth, TMDIChildForm::MinimumHeight));
    }

    void maximizedWindowKeepsItsRestoredRectangle() {
        TCounterForm* form = NewCounter(nullptr, QRect(50, 60, 300, 200));
        form->showMaximized();
        QVERIFY(form->geometry() != QRect(50, 60, 300, 200));
        QCOMPARE(form->GetNormalBounds(), QRect(50, 60, 300, 200));
        form->showMinimized();
        QCOMPARE(form->GetNormalBounds(), QRect(50, 60, 300, 200));
        form->showNormal();
        QCOMPARE(form->geometry(), QRect(50, 60, 300, 200));

        form->showMaximized();
        TDesktopWriter writer;
        form->SaveDesktopRecord(writer);
        TDesktopReader check(writer.Data());
        check.BeginRecord();
        QCOMPARE(check.ReadString(), QStringLiteral("TCounterForm"));
        QCOMPARE(check.ReadInteger(), 50);
        QCOMPARE(check.ReadInteger(), 60);
        QCOMPARE(check.ReadInteger(), 300);
        QCOMPARE(check.ReadInteger(), 200);
        QCOMPARE(check.ReadInteger(), int(wsMaximized));
        delete form;

        TDesktopReader reader(writer.Data());
        auto* back =
            qobject_cast<TCounterForm*>(TMDIChildForm::LoadDesktopRecord(reader, area, nullptr));
        QVERIFY(back);
        QVERIFY(back->isMaximized());
        QCOMPARE(back->FormWindowState(), wsMaximized);
        QCOMPARE(back->GetNormalBounds(), QRect(50, 60, 300, 200));
        back->showNormal();
        QCOMPARE(back->geometry(), QRect(50, 60, 300, 200));
    }

    void aSingleWindowAtItsKeptPlaceMaximizesAndMinimizes() {
        const QRect kept(40, 30, 300, 200);
        TWindowRect place = TWindowRect::FromQRect(kept);
        auto* form = new TPlacedSingleForm(place);
        area->addSubWindow(form);
        form->show();
        QCOMPARE(form->geometry(), kept);
        form->showMaximized();
        QVERIFY(form->isMaximized());
        QCOMPARE(form->geometry(), area->viewport()->rect());
        form->showNormal();
        QCOMPARE(form->geometry(), kept);
        form->showMinimized();
        QVERIFY(form->height() < kept.height());
        form->showNormal();
        QCOMPARE(form->geometry(), kept);
        QCOMPARE(place.ToQRect(), kept);
    }

    void windowWithoutHandleStoresItsCurrentRectangle() {
        TMDIChildForm::SetNextPlacement(0, 0, 0, 0, wsNormal);
        auto* form = TMDIChildForm::Create<TCounterForm>(nullptr);
        QCOMPARE(form->GetNormalBounds(), QRect(QPoint(-1, -1), QPoint(-1, -1)));
        form->setGeometry(7, 8, 260, 120);
        TDesktopWriter writer;
        form->SaveDesktopRecord(writer);
        TDesktopReader reader(writer.Data());
        reader.BeginRecord();
        reader.ReadString();
        QCOMPARE(reader.ReadInteger(), 7);
        QCOMPARE(reader.ReadInteger(), 8);
        QCOMPARE(reader.ReadInteger(), 260);
        QCOMPARE(reader.ReadInteger(), 120);
        delete form;

        // Placed but never shown: the placement is what it stores.
        TMDIChildForm::SetNextPlacement(30, 40, 270, 130, wsNormal);
        auto* unshown = TMDIChildForm::Create<TPlainForm>(nullptr);
        TDesktopWriter placed;
        unshown->SaveDesktopRecord(placed);
        TDesktopReader check(placed.Data());
        check.BeginRecord();
        QCOMPARE(check.ReadString(), QStringLiteral("TPlainForm"));
        QCOMPARE(check.ReadInteger(), 30);
        QCOMPARE(check.ReadInteger(), 40);
        QCOMPARE(check.ReadInteger(), 270);
        QCOMPARE(check.ReadInteger(), 130);
        delete unshown;
    }

    void desktopRoundTripOfSeveralWindows() {
        TCounterModel model;
        TCounterForm* a = NewCounter(&model, QRect(0, 0, 300, 200));
        a->note = QStringLiteral("Zelle Größe\nzwei Zeilen");
        a->zoom = 3;
        TCounterForm* b = NewCounter(&model, QRect(100, 50, 320, 240), wsNormal);
        b->zoom = 5;
        TMDIChildForm::SetNextPlacement(200, 100, 260, 150, wsNormal);
        auto* c = TMDIChildForm::Create<TPlainForm>(&model);
        area->addSubWindow(c);
        c->show();
        c->showMinimized();

        TDesktopWriter writer;
        for (QMdiSubWindow* window : area->subWindowList(QMdiArea::CreationOrder))
            static_cast<TMDIChildForm*>(window)->SaveDesktopRecord(writer);
        const QByteArray data = writer.Data();
        qDeleteAll(area->subWindowList());
        QCOMPARE(model.ViewCount(), 0);

        DialogRecorder dialogs;
        TDesktopReader reader(data);
        while (!reader.AtEnd())
            QVERIFY(TMDIChildForm::LoadDesktopRecord(reader, area, &model));
        QVERIFY(dialogs.Events().empty());
        QCOMPARE(model.ViewCount(), 3);
        const QList<TCounterForm*> counters = Counters();
        QCOMPARE(counters.size(), 2);
        QCOMPARE(counters[0]->note, QStringLiteral("Zelle Größe\nzwei Zeilen"));
        QCOMPARE(counters[0]->zoom, 3);
        QCOMPARE(counters[0]->registered, 1);
        QCOMPARE(counters[0]->geometry(), QRect(0, 0, 300, 200));
        QCOMPARE(counters[1]->zoom, 5);
        QCOMPARE(counters[1]->geometry(), QRect(100, 50, 320, 240));
        auto* plain = qobject_cast<TPlainForm*>(area->subWindowList(QMdiArea::CreationOrder).at(2));
        QVERIFY(plain);
        QVERIFY(plain->isMinimized());
        QCOMPARE(plain->GetNormalBounds(), QRect(200, 100, 260, 150));
        QCOMPARE(plain->Model(), &model);
        qDeleteAll(area->subWindowList());
    }

    void damagedOrUnknownRecordsAreSkipped() {
        TCounterForm* a = NewCounter(nullptr, QRect(0, 0, 300, 200));
        a->zoom = 11;
        TCounterForm* b = NewCounter(nullptr, QRect(10, 10, 300, 200));
        b->zoom = 22;
        TCounterForm* c = NewCounter(nullptr, QRect(20, 20, 300, 200));
        c->zoom = 33;
        TDesktopWriter writer;
        a->SaveDesktopRecord(writer);
        b->SaveDesktopRecord(writer);
        // A window of a class this program does not know.
        writer.BeginRecord();
        writer.WriteString(QStringLiteral("TFormOfAnotherVersion"));
        for (int i = 0; i < 5; ++i)
            writer.WriteInteger(0);
        writer.WriteString(QStringLiteral("its own part"));
        writer.EndRecord();
        c->SaveDesktopRecord(writer);
        qDeleteAll(area->subWindowList());

        // Damage the second window's own part.
        QByteArray data = writer.Data();
        const qsizetype at = data.indexOf("I 22\n");
        QVERIFY(at > 0);
        data[at] = 'X';

        DialogRecorder dialogs;
        TDesktopReader reader(data);
        int loaded = 0;
        while (!reader.AtEnd()) {
            if (TMDIChildForm::LoadDesktopRecord(reader, area, nullptr))
                ++loaded;
        }
        QCOMPARE(loaded, 2);
        const QList<TCounterForm*> counters = Counters();
        QCOMPARE(counters.size(), 2);
        QCOMPARE(counters[0]->zoom, 11);
        QCOMPARE(counters[1]->zoom, 33);
        QCOMPARE(counters[1]->geometry(), QRect(20, 20, 300, 200));
        const auto boxes = dialogs.Boxes();
        QCOMPARE(boxes.size(), size_t(2));
        QCOMPARE(boxes[0].kind, platform::BoxKind::Error);
        QVERIFY(boxes[1].text.contains(QStringLiteral("TFormOfAnotherVersion")));
        QCOMPARE(dialogs.Beeps().size(), size_t(2));

        // A damaged frame cannot be stepped over: the reader stops there.
        QByteArray broken = data;
        broken[0] = 'Q';
        TDesktopReader stopped(broken);
        QVERIFY_THROWS_EXCEPTION(EDesktopError,
                                 TMDIChildForm::LoadDesktopRecord(stopped, area, nullptr));
        QCOMPARE(area->subWindowList().size(), 2);
    }
};

QTEST_MAIN(MdiChildTest)
#include "mdichild_test.moc"
