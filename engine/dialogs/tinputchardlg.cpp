#include "engine/dialogs/tinputchardlg.h"

#include "engine/dialogs/editparam.h"
#include "engine/dialogs/tdllmainform.h"
#include "platform/qt/ansi.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quendal {

TInputCharDlg::TInputCharDlg(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Eigenschaften des Blocks"));
    auto* layout = new QVBoxLayout(this);
    label = new QLabel(QStringLiteral("Geben Sie ein Zeichen ein:"), this);
    label->setObjectName(QStringLiteral("label"));
    ed = new QLineEdit(this);
    ed->setObjectName(QStringLiteral("ed"));
    ed->setMaxLength(1);
    label->setBuddy(ed);
    layout->addWidget(label);
    layout->addWidget(ed);
    connect(AddOkCancel(*this, *layout), &QPushButton::clicked, this, &QDialog::accept);
}

QChar TInputCharDlg::Character() const {
    const QString text = ed->text();
    return text.isEmpty() ? QChar(u' ') : text.front();
}

bool dialogs::InputChar(char& character) {
    TDllMainForm* owner = DllMainForm();
    if (owner == nullptr)
        return false;
    TInputCharDlg dialog(owner);
    if (character != '\0')
        dialog.ed->setText(platform::AnsiToQString(std::string_view(&character, 1)));
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    character = platform::QStringToAnsi(QString(dialog.Character()))[0];
    return true;
}

} // namespace quendal
