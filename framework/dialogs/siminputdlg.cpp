#include "framework/dialogs/siminputdlg.h"

#include "framework/dialogs/dialogplacement.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/failure.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TSimInputDialog::TSimInputDialog(QWidget* owner, int32_t minimum, int32_t maximum)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), minimum_(minimum),
      maximum_(maximum) {
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
    ConnectCommand(OKButton, this, &QDialog::accept);
    ConnectCommand(CancelButton, this, &QDialog::reject);
    auto* layout = new QGridLayout(this);
    layout->addWidget(label1, 0, 0, 1, 3);
    layout->addWidget(label2, 1, 0);
    layout->addWidget(EValue, 1, 1, 1, 2);
    layout->addWidget(OKButton, 2, 1);
    layout->addWidget(CancelButton, 2, 2);
    resize(260, 137);
}

void TSimInputDialog::SetValue(int32_t value) {
    Value = value;
    EValue->setText(QString::number(value));
    EValue->selectAll();
}

bool TSimInputDialog::Execute(QWidget* owner) {
    CenterOnOwner(this, owner);
    return exec() == QDialog::Accepted;
}

void TSimInputDialog::done(int result) {
    if (result == Accepted) {
        bool ok = false;
        const qlonglong value = EValue->text().trimmed().toLongLong(&ok);
        if (!ok || value < minimum_ || value > maximum_) {
            platform::MessageBeep(platform::BeepKind::Exclamation);
            EValue->setFocus();
            return;
        }
        Value = static_cast<int32_t>(value);
    }
    QDialog::done(result);
}
