#include "graphical/dialogs/moltraneinpdlg.h"

#include "graphical/model/simulatoriostate.h"
#include "platform/qt/dialogs.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TMoltraneInputDialog::TMoltraneInputDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("Eingabewert f\u00FCr Simulator"));
    auto* label1 = new QLabel(QStringLiteral(
        "Zur Weiterf\u00FChrung der Simulation m\u00FCssen Sie jetzt die Zahl eingeben, die die "
        "Tavrissel Hardware \u00FCber die Schnittstelle empfangen w\u00FCrde:"));
    label1->setWordWrap(true);
    auto* label2 = new QLabel(QStringLiteral("Eingabewert:"));
    EValue = new QLineEdit;
    label2->setBuddy(EValue);
    OKButton = new QPushButton(QStringLiteral("OK"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Simulation abbrechen"));
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QGridLayout(this);
    layout->addWidget(label1, 0, 0, 1, 3);
    layout->addWidget(label2, 1, 0);
    layout->addWidget(EValue, 1, 1, 1, 2);
    layout->addWidget(OKButton, 2, 1);
    layout->addWidget(CancelButton, 2, 2);
    resize(260, 137);
}

void TMoltraneInputDialog::done(int result) {
    if (result == Accepted) {
        bool ok = false;
        const int32_t value = EValue->text().trimmed().toInt(&ok);
        if (!ok) {
            platform::MessageBeep(platform::BeepKind::Exclamation);
            EValue->setFocus();
            return;
        }
        Value = value;
    }
    QDialog::done(result);
}

std::optional<int32_t> ExecuteMoltraneInput(QWidget* owner, int32_t preset) {
    TMoltraneInputDialog dialog(owner);
    dialog.EValue->setText(QString::number(preset));
    dialog.EValue->selectAll();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Value;
}

void InstallMoltraneInputDialog(QWidget* owner) {
    SimulatorWindows.InputDialog = [owner](int32_t preset) {
        return ExecuteMoltraneInput(owner, preset);
    };
}
