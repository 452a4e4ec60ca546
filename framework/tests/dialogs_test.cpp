#include "platform/qt/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using platform::BoxKind;
using platform::Button;

namespace {

// Presses the button labelled text on the next message box that opens.
void PressOnNextBox(const QString& text, QStringList* seenButtons = nullptr,
                    QString* seenTitle = nullptr) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        if (seenTitle)
            *seenTitle = box->windowTitle();
        QAbstractButton* wanted = nullptr;
        for (QAbstractButton* button : box->buttons()) {
            if (seenButtons)
                seenButtons->append(button->text());
            if (button->text() == text)
                wanted = button;
        }
        if (wanted)
            QTest::mouseClick(wanted, Qt::LeftButton);
        else
            QTest::keyClick(box, Qt::Key_Escape);
    });
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void realBoxAnswersWithThePressedButton() {
        QStringList buttons;
        QString title;
        PressOnNextBox(QStringLiteral("&Nein"), &buttons, &title);
        const Button answer = platform::MessageBox(
            BoxKind::Confirmation, QStringLiteral("Projekt wurde geändert. Speichern?"),
            Button::Yes | Button::No | Button::Cancel);
        QCOMPARE(answer, Button::No);
        QCOMPARE(title, QStringLiteral("Bestätigen"));
        buttons.sort();
        QCOMPARE(buttons, (QStringList{QStringLiteral("&Ja"), QStringLiteral("&Nein"),
                                       QStringLiteral("Abbrechen")}));

        PressOnNextBox(QStringLiteral("&Ja"));
        QCOMPARE(platform::MessageBox(BoxKind::Confirmation, QStringLiteral("?"),
                                      Button::Yes | Button::No | Button::Cancel),
                 Button::Yes);
    }

    void escapeGivesCancelOrNo() {
        PressOnNextBox(QString()); // no such button: Escape
        QCOMPARE(platform::MessageBox(BoxKind::Warning, QStringLiteral("x"),
                                      Button::Yes | Button::No | Button::Cancel),
                 Button::Cancel);
        QString title;
        PressOnNextBox(QStringLiteral("OK"), nullptr, &title);
        QCOMPARE(platform::MessageBox(BoxKind::Error, QStringLiteral("x"),
                                      static_cast<platform::Buttons>(Button::Ok),
                                      QStringLiteral("Eigener Titel")),
                 Button::Ok);
        QCOMPARE(title, QStringLiteral("Eigener Titel"));
    }

    void recorderAnswersInOrderAndRestoresTheHandlers() {
        {
            platform::DialogRecorder outer;
            {
                platform::DialogRecorder inner;
                inner.QueueAnswer(Button::Retry);
                platform::MessageBeep(platform::BeepKind::Hand);
                QCOMPARE(platform::MessageBox(BoxKind::Error, QStringLiteral("a"),
                                              Button::Retry | Button::Cancel),
                         Button::Retry);
                // Nothing queued: Cancel before No.
                QCOMPARE(platform::MessageBox(BoxKind::Error, QStringLiteral("b"),
                                              Button::Yes | Button::No | Button::Cancel),
                         Button::Cancel);
                QCOMPARE(inner.Beeps(), std::vector<platform::BeepKind>{platform::BeepKind::Hand});
                QCOMPARE(inner.Boxes().size(), size_t(2));
                QCOMPARE(inner.Boxes()[1].caption, QStringLiteral("Fehler"));
                QVERIFY(outer.Events().empty());
            }
            platform::MessageBeep(platform::BeepKind::Asterisk);
            QCOMPARE(outer.Beeps(), std::vector<platform::BeepKind>{platform::BeepKind::Asterisk});
        }
        // All gone: the real box shows again.
        PressOnNextBox(QStringLiteral("OK"));
        QCOMPARE(platform::MessageBox(BoxKind::Information, QStringLiteral("x"),
                                      static_cast<platform::Buttons>(Button::Ok)),
                 Button::Ok);
    }

    void waitCursorNestsAndRestores() {
        QVERIFY(!QApplication::overrideCursor());
        {
            platform::WaitCursor outer;
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            {
                platform::WaitCursor inner;
                QCOMPARE(platform::WaitCursor::Depth(), 2);
            }
            QCOMPARE(platform::WaitCursor::Depth(), 1);
            QVERIFY(QApplication::overrideCursor());
        }
        QCOMPARE(platform::WaitCursor::Depth(), 0);
        QVERIFY(!QApplication::overrideCursor());
    }

    void windowsFiltersBecomeQtFilters() {
        QCOMPARE(
            platform::QtFileFilter(QStringLiteral("Projekte (*.mtp)|*.mtp|Alle Dateien (*.*)|*.*")),
            QStringLiteral("Projekte (*.mtp);;Alle Dateien (*)"));
        QCOMPARE(platform::QtFileFilter(QStringLiteral("Quellen|*.bas;*.ASM")),
                 QStringLiteral("Quellen (*.bas *.ASM)"));
        QCOMPARE(platform::QtFileFilter(QString()), QString());
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
