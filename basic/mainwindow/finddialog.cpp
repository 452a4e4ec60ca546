#include "basic/mainwindow/finddialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace harvel {

TFindDialog::TFindDialog(bool replace, QWidget* parent) : QDialog(parent) {
    setWindowTitle(replace ? QStringLiteral("Ersetzen") : QStringLiteral("Suchen"));
    setModal(false);
    auto* form = new QFormLayout;
    findEdit_ = new QLineEdit;
    findEdit_->setObjectName(QStringLiteral("FindEdit"));
    findEdit_->setMaxLength(255);
    form->addRow(QStringLiteral("&Suchen nach:"), findEdit_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);

    matchCase_ = new QCheckBox(QStringLiteral("Gro\u00DF-/Klein&schreibung"));
    wholeWord_ = new QCheckBox(QStringLiteral("Nur &ganzes Wort suchen"));
    layout->addWidget(wholeWord_);
    layout->addWidget(matchCase_);
    if (!replace) {
        auto* direction = new QGroupBox(QStringLiteral("Richtung"));
        auto* row = new QHBoxLayout(direction);
        up_ = new QRadioButton(QStringLiteral("&Aufw\u00E4rts"));
        down_ = new QRadioButton(QStringLiteral("A&bw\u00E4rts"));
        down_->setChecked(true);
        row->addWidget(up_);
        row->addWidget(down_);
        layout->addWidget(direction);
    }

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    buttons->setObjectName(QStringLiteral("Buttons"));
    findNext_ = buttons->addButton(QStringLiteral("&Weitersuchen"), QDialogButtonBox::ActionRole);
    findNext_->setDefault(true);
    connect(findNext_, &QPushButton::clicked, this, &TFindDialog::Find);
    if (replace)
        return; // the replace dialog adds its own rows and buttons
    buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(findEdit_, &QLineEdit::textChanged, this, &TFindDialog::UpdateButtons);
    layout->addWidget(buttons);
    UpdateButtons();
}

QString TFindDialog::FindText() const {
    return findEdit_->text();
}

void TFindDialog::SetFindText(const QString& text) {
    findEdit_->setText(text);
}

bool TFindDialog::Down() const {
    return !up_ || !up_->isChecked();
}

bool TFindDialog::MatchCase() const {
    return matchCase_->isChecked();
}

bool TFindDialog::WholeWord() const {
    return wholeWord_->isChecked();
}

void TFindDialog::Execute(const QPoint& at) {
    move(at);
    show();
    raise();
    activateWindow();
    findEdit_->setFocus();
    findEdit_->selectAll();
}

void TFindDialog::UpdateButtons() {
    const bool any = !findEdit_->text().isEmpty();
    findNext_->setEnabled(any);
}

TReplaceDialog::TReplaceDialog(QWidget* parent) : TFindDialog(true, parent) {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    auto* form = static_cast<QFormLayout*>(layout->itemAt(0)->layout());
    replaceEdit_ = new QLineEdit;
    replaceEdit_->setObjectName(QStringLiteral("ReplaceEdit"));
    replaceEdit_->setMaxLength(255);
    form->addRow(QStringLiteral("&Ersetzen durch:"), replaceEdit_);

    auto* buttons = findChild<QDialogButtonBox*>(QStringLiteral("Buttons"));
    replace_ = buttons->addButton(QStringLiteral("&Ersetzen"), QDialogButtonBox::ActionRole);
    replaceAll_ =
        buttons->addButton(QStringLiteral("&Alle ersetzen"), QDialogButtonBox::ActionRole);
    buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    connect(replace_, &QPushButton::clicked, this, [this] { emit Replace(false); });
    connect(replaceAll_, &QPushButton::clicked, this, [this] { emit Replace(true); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto update = [this] {
        UpdateButtons();
        replace_->setEnabled(findNext_->isEnabled());
        replaceAll_->setEnabled(findNext_->isEnabled());
    };
    connect(FindEdit(), &QLineEdit::textChanged, this, update);
    layout->addWidget(buttons);
    update();
}

QString TReplaceDialog::ReplaceText() const {
    return replaceEdit_->text();
}

} // namespace harvel
