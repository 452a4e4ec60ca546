#include "engine/dialogs/tlcddlg.h"

#include "engine/dialogs/editparam.h"
#include "engine/dialogs/tdllmainform.h"
#include "platform/qt/ansi.h"

#include <QBoxLayout>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace quendal {

TLCDDlg::TLCDDlg(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Eigenschaften des LCD-Blockes"));
    auto* layout = new QVBoxLayout(this);
    label =
        new QLabel(QStringLiteral("Geben Sie die Ausgabemaske f\u00FCr den LCD-Block ein"), this);
    label->setObjectName(QStringLiteral("label"));
    layout->addWidget(label);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    ed1 = new QLineEdit(this);
    ed1->setObjectName(QStringLiteral("ed1"));
    ed2 = new QLineEdit(this);
    ed2->setObjectName(QStringLiteral("ed2"));
    for (QLineEdit* ed : {ed1, ed2}) {
        ed->setFont(fixed);
        ed->setMaxLength(kLineLength);
        layout->addWidget(ed);
    }
    label->setBuddy(ed1);
    connect(AddOkCancel(*this, *layout), &QPushButton::clicked, this, &QDialog::accept);
}

// A stored line may be longer than the display (the mask is set by text too); it shows whole
// rather than losing its end when the dialog is confirmed.
void TLCDDlg::SetMask(const QString& mask) {
    const qsizetype feed = mask.indexOf(u'\n');
    const QString first = feed < 0 ? QString() : mask.left(feed);
    const QString second = feed < 0 ? mask : mask.mid(feed + 1);
    ed1->setMaxLength(std::max<int>(kLineLength, first.size()));
    ed2->setMaxLength(std::max<int>(kLineLength, second.size()));
    ed1->setText(first);
    ed2->setText(second);
}

QString TLCDDlg::Mask() const {
    return ed1->text() + u'\n' + ed2->text();
}

bool dialogs::LcdMask(std::string& mask) {
    TDllMainForm* owner = DllMainForm();
    if (owner == nullptr)
        return false;
    TLCDDlg dialog(owner);
    dialog.SetMask(platform::AnsiToQString(mask));
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    mask = platform::QStringToAnsi(dialog.Mask());
    return true;
}

} // namespace quendal
