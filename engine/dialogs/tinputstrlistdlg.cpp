#include "engine/dialogs/tinputstrlistdlg.h"

#include "engine/dialogs/editparam.h"
#include "engine/dialogs/tdllmainform.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace quendal {

TInputStrListDlg::TInputStrListDlg(QWidget* owner, int maxLength)
    : QDialog(owner), maxLength_(maxLength) {
    setWindowTitle(QStringLiteral("Blockeigenschaften"));
    auto* layout = new QVBoxLayout(this);
    label = new QLabel(QStringLiteral("Geben Sie zeilenweise die Bezeichner der Zellen ein, zu "
                                      "denen verzweigt werden soll:"),
                       this);
    label->setObjectName(QStringLiteral("label"));
    label->setWordWrap(true);
    memo = new QPlainTextEdit(this);
    memo->setObjectName(QStringLiteral("memo"));
    label->setBuddy(memo);
    layout->addWidget(label);
    layout->addWidget(memo);
    connect(AddOkCancel(*this, *layout), &QPushButton::clicked, this,
            &TInputStrListDlg::OkButtonClick);
}

void TInputStrListDlg::SetText(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    memo->setPlainText(lines);
}

QString TInputStrListDlg::Text() const {
    QString text = memo->toPlainText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

// The block keeps a bounded text; a longer list would lose its last names without a word.
void TInputStrListDlg::OkButtonClick() {
    if (platform::QStringToAnsiBytes(Text()).size() <= maxLength_) {
        accept();
        return;
    }
    platform::MessageBox(
        platform::BoxKind::Error,
        QStringLiteral("Die Liste ist zu lang: h\u00F6chstens %1 Zeichen.").arg(maxLength_),
        static_cast<platform::Buttons>(platform::Button::Ok));
    memo->setFocus();
}

bool dialogs::StringList(int maxLength, std::string& text) {
    TDllMainForm* owner = DllMainForm();
    if (owner == nullptr)
        return false;
    TInputStrListDlg dialog(owner, maxLength);
    dialog.SetText(platform::AnsiToQString(text));
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    text = platform::QStringToAnsi(dialog.Text());
    return true;
}

} // namespace quendal
