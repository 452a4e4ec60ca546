#include "editor/widgets/vedfinddialog.h"

#include "editor/vedexcept.h"
#include "editor/widgets/vededit.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/failure.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ved {

namespace {

bool AllAnsi(const QString& text) {
    for (QChar c : text)
        if (!platform::IsAnsiCharacter(c))
            return false;
    return true;
}

} // namespace

TVedFindDialog::TVedFindDialog(TVedCustomEditor* editor, bool replace, QWidget* parent)
    : QDialog(parent), editor_(editor) {
    setWindowTitle(replace ? QStringLiteral("Ersetzen") : QStringLiteral("Suchen"));
    auto* form = new QFormLayout;
    findEdit_ = new QLineEdit;
    findEdit_->setMaxLength(255);
    form->addRow(QStringLiteral("&Suchen nach:"), findEdit_);
    if (replace) {
        replaceEdit_ = new QLineEdit;
        replaceEdit_->setMaxLength(255);
        form->addRow(QStringLiteral("Ersetzen &durch:"), replaceEdit_);
    }
    matchCase_ = new QCheckBox(QStringLiteral("Gro\u00DF-/&Kleinschreibung beachten"));
    wholeWords_ = new QCheckBox(QStringLiteral("Nur &ganze W\u00F6rter"));
    backwards_ = new QCheckBox(QStringLiteral("&R\u00FCckw\u00E4rts suchen"));
    fromStart_ = new QCheckBox(QStringLiteral("Vom &Anfang an"));
    inSelection_ = new QCheckBox(QStringLiteral("Nur in der &Markierung"));
    result_ = new QLabel;

    auto* buttons = new QDialogButtonBox;
    findButton_ = buttons->addButton(QStringLiteral("&Weitersuchen"), QDialogButtonBox::ActionRole);
    findButton_->setDefault(true);
    ConnectCommand(findButton_, this, &TVedFindDialog::FindNext);
    if (replace) {
        replaceButton_ =
            buttons->addButton(QStringLiteral("&Ersetzen"), QDialogButtonBox::ActionRole);
        replaceAllButton_ =
            buttons->addButton(QStringLiteral("A&lle ersetzen"), QDialogButtonBox::ActionRole);
        ConnectCommand(replaceButton_, this, &TVedFindDialog::ReplaceOnce);
        ConnectCommand(replaceAllButton_, this, &TVedFindDialog::ReplaceAll);
    }
    buttons->addButton(QStringLiteral("Schlie\u00DFen"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(findEdit_, &QLineEdit::textChanged, this, &TVedFindDialog::UpdateButtons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    for (QCheckBox* box : {matchCase_, wholeWords_, backwards_, fromStart_, inSelection_})
        layout->addWidget(box);
    layout->addWidget(result_);
    layout->addWidget(buttons);
    UpdateButtons();
}

int TVedFindDialog::Options() const {
    int options = 0;
    if (matchCase_->isChecked())
        options |= soMatchCase;
    if (wholeWords_->isChecked())
        options |= soWholeWords;
    if (backwards_->isChecked())
        options |= soBackwards;
    if (fromStart_->isChecked())
        options |= soFromScope;
    if (inSelection_->isChecked())
        options |= soInSelection;
    return options;
}

QString TVedFindDialog::ResultText() const {
    return result_->text();
}

void TVedFindDialog::UpdateButtons() {
    const bool any = !findEdit_->text().isEmpty();
    findButton_->setEnabled(any);
    if (replaceButton_) {
        replaceButton_->setEnabled(any);
        replaceAllButton_->setEnabled(any);
    }
}

void TVedFindDialog::FindNext() {
    Run(0);
}

void TVedFindDialog::ReplaceOnce() {
    Run(soReplaceOnce);
}

void TVedFindDialog::ReplaceAll() {
    Run(soReplaceAll);
}

void TVedFindDialog::Run(int extraOptions) {
    if (!editor_)
        return;
    const QString find = findEdit_->text();
    const QString with = replaceEdit_ ? replaceEdit_->text() : QString();
    if (!AllAnsi(find) || !AllAnsi(with)) { // such a text can be neither found nor stored
        platform::MessageBeep(platform::BeepKind::Default);
        result_->setText(QStringLiteral("Zeichen nicht darstellbar"));
        lastResult_ = -1;
        return;
    }
    try {
        editor_->ReportingChange([&] {
            lastResult_ = editor_->Replace(platform::QStringToAnsi(find),
                                           platform::QStringToAnsi(with), Options() | extraOptions);
        });
    } catch (const EEditorError& error) { // an editor without an error handler
        lastResult_ = error.ErrorCode();
        platform::MessageBox(platform::BoxKind::Error, QString::fromLocal8Bit(error.what()),
                             static_cast<platform::Buttons>(platform::Button::Ok));
        return;
    }
    // the next search goes on from the match, not from the start again
    fromStart_->setChecked(false);
    if (lastResult_ == -1) {
        platform::MessageBeep(platform::BeepKind::Default);
        result_->setText(QStringLiteral("\"%1\" nicht gefunden").arg(find));
    } else if (extraOptions == soReplaceAll && lastResult_ > 0) {
        result_->setText(QStringLiteral("%1 ersetzt").arg(lastResult_));
    } else {
        result_->clear();
    }
}

} // namespace ved
