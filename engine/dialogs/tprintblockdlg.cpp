#include "engine/dialogs/tprintblockdlg.h"

#include "engine/dialogs/editparam.h"
#include "engine/dialogs/tdllmainform.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace quendal {

namespace {

QRadioButton* AddRadio(QDialog& dialog, QBoxLayout& layout, const char* name, const QString& text) {
    auto* button = new QRadioButton(text, &dialog);
    button->setObjectName(QLatin1String(name));
    layout.addWidget(button);
    return button;
}

} // namespace

TPrintBlockDlg::TPrintBlockDlg(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Parameter des RS232-Ausgabeblocks"));
    auto* layout = new QVBoxLayout(this);
    label = new QLabel(QStringLiteral("W\u00E4hlen Sie aus, welches Steuerzeichen automatisch an "
                                      "die Ausgabe angeh\u00E4ngt werden soll:"),
                       this);
    label->setObjectName(QStringLiteral("label"));
    label->setWordWrap(true);
    layout->addWidget(label);
    RadioButton1 = AddRadio(*this, *layout, "RadioButton1", QStringLiteral("nichts"));
    RadioButton2 = AddRadio(*this, *layout, "RadioButton2", QStringLiteral("Zeilenvorschub "));
    RadioButton3 = AddRadio(*this, *layout, "RadioButton3", QStringLiteral("Tabulator"));
    connect(AddOkCancel(*this, *layout), &QPushButton::clicked, this, &QDialog::accept);
}

void TPrintBlockDlg::SetMode(int mode) {
    (mode == 2 ? RadioButton2 : mode == 4 ? RadioButton3 : RadioButton1)->setChecked(true);
}

int TPrintBlockDlg::Mode() const {
    return RadioButton2->isChecked() ? 2 : RadioButton3->isChecked() ? 4 : 1;
}

bool dialogs::PrintMode(int mode, std::string& text) {
    TDllMainForm* owner = DllMainForm();
    if (owner == nullptr)
        return false;
    TPrintBlockDlg dialog(owner);
    dialog.SetMode(mode);
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    text = std::to_string(dialog.Mode());
    return true;
}

} // namespace quendal
