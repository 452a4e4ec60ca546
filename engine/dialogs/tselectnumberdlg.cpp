#include "engine/dialogs/tselectnumberdlg.h"

#include "engine/dialogs/editparam.h"
#include "engine/dialogs/tdllmainform.h"
#include "platform/qt/ansi.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace quendal {

TSelectNumberDlg::TSelectNumberDlg(QWidget* owner) : QDialog(owner) {
    auto* layout = new QVBoxLayout(this);
    label = new QLabel(this);
    label->setObjectName(QStringLiteral("label"));
    spin = new QSpinBox(this);
    spin->setObjectName(QStringLiteral("spin"));
    spin->setMinimum(1);
    ed = spin->findChild<QLineEdit*>();
    ed->setObjectName(QStringLiteral("ed"));
    ed->setReadOnly(true);
    label->setBuddy(spin);
    layout->addWidget(label);
    layout->addWidget(spin);
    connect(AddOkCancel(*this, *layout), &QPushButton::clicked, this, &QDialog::accept);
}

void TSelectNumberDlg::SetMax(int maximum) {
    spin->setMaximum(maximum);
}

void TSelectNumberDlg::SetNumber(const QString& text) {
    spin->setValue(text.trimmed().toInt());
}

QString TSelectNumberDlg::Text() const {
    return ed->text();
}

bool dialogs::SelectNumber(const char* caption, const char* prompt, int maximum,
                           std::string& text) {
    TDllMainForm* owner = DllMainForm();
    if (owner == nullptr)
        return false;
    TSelectNumberDlg dialog(owner);
    dialog.setWindowTitle(platform::AnsiToQString(std::string_view(caption)));
    dialog.label->setText(platform::AnsiToQString(std::string_view(prompt)));
    dialog.SetMax(maximum);
    dialog.SetNumber(platform::AnsiToQString(text));
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    text = platform::QStringToAnsi(dialog.Text());
    return true;
}

} // namespace quendal
