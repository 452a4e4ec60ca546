// The simulator input dialog: only numbers in its range close it with OK.
#include "framework/dialogs/siminputdlg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestSimInputDialog : public QObject {
    Q_OBJECT

private slots:
    void onlyNumbersInRangeAreTaken() {
        TSimInputDialog dialog(nullptr, -32768, 32767);
        dialog.SetValue(12);
        dialog.show();
        for (const char* text : {"abc", "70000", "-32769"}) {
            dialog.EValue->setText(QString::fromLatin1(text));
            QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
            QVERIFY2(dialog.isVisible(), text);
            QCOMPARE(dialog.Value, 12);
        }
        dialog.EValue->setText(QStringLiteral(" -32768"));
        QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Value, -32768);
    }
};

QTEST_MAIN(TestSimInputDialog)
#include "tst_siminputdlg.moc"
