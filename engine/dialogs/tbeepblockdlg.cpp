#include "engine/dialogs/tbeepblockdlg.h"

#include "engine/dialogs/editparam.h"
#include "engine/dialogs/tdllmainform.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>

namespace quendal {

namespace {

constexpr const char* kNotes[8] = {"C", "D", "E", "F", "G", "A", "H", "C'"};
constexpr int kTones[8] = {478, 426, 379, 358, 319, 284, 253, 239};

// The numbers become word operands of the tone register and the pause, and 87 of them at most
// six characters long always fit the block's text.
bool CellValue(const QString& text, int& value) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        value = 0;
        return true;
    }
    bool ok = false;
    value = trimmed.toInt(&ok);
    return ok && value >= 0 && value <= 65535;
}

QString CellText(const QTableWidget& grid, int row, int column) {
    const QTableWidgetItem* item = grid.item(row, column);
    return item != nullptr ? item->text() : QString();
}

} // namespace

TBeepBlockDlg::TBeepBlockDlg(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Eigenschaften des Tonausgabe-Blocks"));
    auto* layout = new QVBoxLayout(this);
    label = new QLabel(QStringLiteral("Geben Sie eine kurze Melodie ein:"), this);
    label->setObjectName(QStringLiteral("label"));
    layout->addWidget(label);

    auto* body = new QHBoxLayout;
    melody = new QTableWidget(kRows, kColumns, this);
    melody->setObjectName(QStringLiteral("melody"));
    melody->setHorizontalHeaderLabels(
        {QStringLiteral("Ton"), QStringLiteral("Tondauer"), QStringLiteral("Pause")});
    const int widths[kColumns] = {80, 83, 83};
    for (int column = 0; column < kColumns; ++column)
        melody->setColumnWidth(column, widths[column]);
    melody->setSelectionMode(QAbstractItemView::SingleSelection);
    melody->setCurrentCell(0, 0);
    label->setBuddy(melody);
    body->addWidget(melody);

    auto* notes = new QVBoxLayout;
    for (int i = 0; i < 8; ++i) {
        Button[i] = new QPushButton(QLatin1String(kNotes[i]), this);
        Button[i]->setObjectName(QStringLiteral("Button%1").arg(i + 1));
        Button[i]->setFocusPolicy(Qt::NoFocus);
        const int tone = kTones[i];
        connect(Button[i], &QPushButton::clicked, this, [this, tone] {
            const int row = melody->currentRow() < 0 ? 0 : melody->currentRow();
            melody->setItem(row, 0, new QTableWidgetItem(QString::number(tone)));
        });
        notes->addWidget(Button[i]);
    }
    notes->addStretch();
    body->addLayout(notes);
    layout->addLayout(body);
    connect(AddOkCancel(*this, *layout), &QPushButton::clicked, this,
            &TBeepBlockDlg::OkButtonClick);
}

void TBeepBlockDlg::SetMelody(const QString& text) {
    melody->clearContents();
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList numbers = text.split(blanks, Qt::SkipEmptyParts);
    for (int i = 0; i < numbers.size() && i < kRows * kColumns; ++i)
        melody->setItem(i / kColumns, i % kColumns, new QTableWidgetItem(numbers[i]));
}

QString TBeepBlockDlg::Melody() const {
    QString text;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            int value = 0;
            if (!CellValue(CellText(*melody, row, column), value))
                value = 0;
            text += QString::number(value) + u' ';
        }
    }
    return text;
}

TBeepBlockDlg::Cell TBeepBlockDlg::FirstBadCell() const {
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            int value = 0;
            if (!CellValue(CellText(*melody, row, column), value))
                return {row, column};
        }
    }
    return {};
}

void TBeepBlockDlg::OkButtonClick() {
    const Cell bad = FirstBadCell();
    if (bad.Row < 0) {
        accept();
        return;
    }
    melody->setCurrentCell(bad.Row, bad.Column);
    melody->setFocus();
    platform::MessageBox(
        platform::BoxKind::Error,
        QStringLiteral("Zeile %1, Spalte \"%2\": \"%3\" ist keine Zahl von 0 bis 65535.")
            .arg(bad.Row + 1)
            .arg(melody->horizontalHeaderItem(bad.Column)->text(),
                 CellText(*melody, bad.Row, bad.Column)),
        static_cast<platform::Buttons>(platform::Button::Ok));
}

bool dialogs::Melody(std::string& text) {
    TDllMainForm* owner = DllMainForm();
    if (owner == nullptr)
        return false;
    TBeepBlockDlg dialog(owner);
    dialog.SetMelody(platform::AnsiToQString(text));
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    text = platform::QStringToAnsi(dialog.Melody());
    return true;
}

} // namespace quendal
