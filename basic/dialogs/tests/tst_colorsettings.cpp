// Colour and font settings: defaults, registry round trip with the swapped style bits, and the
// editor window painting with the colours handed over.
#include "basic/dialogs/colorsettings.h"
#include "basic/editors/editorchild.h"
#include "framework/winregistry.h"
#include "platform/settings.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace harvel;

class TestColorSettings : public QObject {
    Q_OBJECT

private slots:
    void defaultsFollowTheTable() {
        const TColorSettings s;
        QCOMPARE(QString(TColorSettings::Name(1)), QStringLiteral("WatchBackgnd"));
        QCOMPARE(QString(TColorSettings::Name(ColorCount)),
                 QStringLiteral("EditorInvalidBrkptBackgnd"));
        QCOMPARE(s[clWatchBackgnd], TStoredColor(0x8000000F));
        QCOMPARE(s.Color(clEditorBrkptBackgnd), QColor(Qt::red));
        QCOMPARE(s.Color(clTerminalText), QColor(0, 255, 0));
        QCOMPARE(s.Color(clEditorActiveLineBackgnd), QColor(Qt::blue));
        QCOMPARE(s.Color(clEditorDisabledBrkptBackgnd), QColor(192, 192, 192));
        QCOMPARE(s.Color(clEditorBackgnd), QApplication::palette().color(QPalette::Base));
        QCOMPARE(s.fonts[fvData].name, QStringLiteral("Courier New"));
        QCOMPARE(s.fonts[fvData].size, 10);
    }

    void registryRoundTripSwapsStyleBits() {
        QTemporaryDir dir;
        platform::Settings store(dir.filePath("reg").toStdString());
        TWinRegistry reg(store, QStringLiteral("SOFTWARE\\Mirelt Electronic\\Tavrissel/BASIC"));
        reg.WriteInteger(QStringLiteral("Fonts"), QStringLiteral("EditorFontStyle"), 2);
        reg.WriteInteger(QStringLiteral("Fonts"), QStringLiteral("WatchFontStyle"), 1);
        reg.WriteString(QStringLiteral("Fonts"), QStringLiteral("DataFontName"),
                        QString(40, QLatin1Char('M')));
        reg.WriteInteger(QStringLiteral("Colors"), QStringLiteral("DataChanged"), 0x00563412);
        TColorSettings s;
        s.Load(reg);
        QVERIFY(s.fonts[fvEditor].bold && !s.fonts[fvEditor].italic);
        QVERIFY(!s.fonts[fvWatch].bold && s.fonts[fvWatch].italic);
        QCOMPARE(s.fonts[fvData].name.size(), 31);
        QCOMPARE(s.Color(clDataChanged), QColor(0x12, 0x34, 0x56));
        QCOMPARE(s[clWatchChanged], TStoredColor(0x0000FF));

        s.fonts[fvTerminal].bold = true;
        s.fonts[fvTerminal].italic = true;
        s[clMessageError] = 0x8000000F;
        s.Save(reg);
        QCOMPARE(reg.ReadInteger(QStringLiteral("Fonts"), QStringLiteral("TerminalFontStyle"), 0),
                 3);
        QCOMPARE(reg.ReadInteger(QStringLiteral("Fonts"), QStringLiteral("EditorFontStyle"), 0), 2);
        TColorSettings back;
        back.Load(reg);
        QCOMPARE(back[clMessageError], TStoredColor(0x8000000F));
        QCOMPARE(back.colors, s.colors);
    }

    void editorWindowPaintsWithTheColours() {
        TColorSettings s;
        s[clEditorBackgnd] = 0x00F0E0D0;
        s[clEditorDisabledBrkptBackgnd] = 0x00102030; // not compiled: unchecked
        ApplyEditorColors(s);
        std::unique_ptr<TEditorForm> form(TMDIChildForm::Create<TEditorForm>(nullptr));
        form->resize(400, 200);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        THiliteEditor* editor = form->TextEditor();
        editor->InsertText("a\r\nb\r\n");
        form->ToggleBreakpoint(2);
        const QImage image = editor->viewport()->grab().toImage();
        const int x = editor->LeftMargin() + 10 * editor->CharWidth();
        QCOMPARE(image.pixelColor(x, editor->LineHeight() / 2), QColor(0xD0, 0xE0, 0xF0));
        QCOMPARE(image.pixelColor(x, editor->LineHeight() * 3 / 2), QColor(0x30, 0x20, 0x10));
        ApplyEditorColors(TColorSettings());
    }
};

QTEST_MAIN(TestColorSettings)
#include "tst_colorsettings.moc"
