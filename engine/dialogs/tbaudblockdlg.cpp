#include "engine/dialogs/tbaudblockdlg.h"

#include "engine/dialogs/editparam.h"
#include "engine/dialogs/tdllmainform.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace quendal {

TBaudBlockDlg::TBaudBlockDlg(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Eigenschaften des Baudrate-Blocks"));
    auto* layout = new QVBoxLayout(this);
    label = new QLabel(QStringLiteral("W\u00E4hlen Sie eine \u00DCbertragungsrate aus:"), this);
    label->setObjectName(QStringLiteral("label"));
    layout->addWidget(label);
    QRadioButton** buttons[] = {&RadioButton1, &RadioButton2, &RadioButton3, &RadioButton4};
    const int rates[] = {1200, 2400, 4800, 9600};
    for (int i = 0; i < 4; ++i) {
        *buttons[i] = new QRadioButton(QStringLiteral("%1 bit/s").arg(rates[i]), this);
        (*buttons[i])->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        layout->addWidget(*buttons[i]);
    }
    connect(AddOkCancel(*this, *layout), &QPushButton::clicked, this, &QDialog::accept);
}

void TBaudBlockDlg::SetCode(int code) {
    (code == 1   ? RadioButton1
     : code == 2 ? RadioButton2
     : code == 4 ? RadioButton3
                 : RadioButton4)
        ->setChecked(true);
}

int TBaudBlockDlg::Code() const {
    return RadioButton1->isChecked()   ? 1
           : RadioButton2->isChecked() ? 2
           : RadioButton3->isChecked() ? 4
                                       : 8;
}

bool dialogs::BaudRate(int code, std::string& text) {
    TDllMainForm* owner = DllMainForm();
    if (owner == nullptr)
        return false;
    TBaudBlockDlg dialog(owner);
    dialog.SetCode(code);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    text = std::to_string(dialog.Code());
    return true;
}

} // namespace quendal
