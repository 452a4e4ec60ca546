#include "engine/dialogs/tmaskinputdlg.h"

#include "engine/dialogs/tdllmainform.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"

#include <QBoxLayout>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QValidator>

namespace quendal {

using dialogs::MaskMode;

namespace {

// The dialog's edit selects its whole text when it is entered other than by a click, so that
// what the user types replaces it. Coming back to the window is no entry.
class TAutoSelectEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        if (!entered_ && event->reason() != Qt::MouseFocusReason)
            selectAll();
        entered_ = true;
    }
    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        if (event->reason() != Qt::ActiveWindowFocusReason &&
            event->reason() != Qt::PopupFocusReason)
            entered_ = false;
    }

private:
    bool entered_ = false;
};

// A value field edits as plain text: an optional sign, then digits. Blanks that come with a
// paste are dropped; anything else, or a seventh place, is refused as it is typed or pasted.
class TNumberValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override {
        for (int i = input.size() - 1; i >= 0; --i) {
            if (input[i].isSpace()) {
                input.remove(i, 1);
                if (i < pos)
                    --pos;
            }
        }
        // six places, as many as "-32768" takes
        static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]*$"));
        if (input.size() > 6 || !number.match(input).hasMatch())
            return Invalid;
        return MaskTextAcceptable(MaskMode::Number, input, true) ? Acceptable : Intermediate;
    }
};

} // namespace

TMaskInputDlg::TMaskInputDlg(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Blockparameter"));
    auto* layout = new QVBoxLayout(this);
    label = new QLabel(this);
    label->setObjectName(QStringLiteral("label"));
    ed = new TAutoSelectEdit(this);
    ed->setObjectName(QStringLiteral("ed"));
    label->setBuddy(ed);
    layout->addWidget(label);
    layout->addWidget(ed);
    OkButton = AddOkCancel(*this, *layout);
    CancelButton = findChild<QPushButton*>(QStringLiteral("CancelButton"));
    connect(OkButton, &QPushButton::clicked, this, &TMaskInputDlg::OkButtonClick);
    SetMode(MaskMode::Text);
}

// Masks in Qt's notation: "9" a required digit; a blank marks unfilled places. A number has
// no mask, so that the field holds no blanks and shows exactly the value.
void TMaskInputDlg::SetMode(MaskMode mode, const QString& prompt) {
    mode_ = mode;
    ed->setValidator(nullptr);
    ed->setMaxLength(32767);
    switch (mode) {
    case MaskMode::Text:
        ed->setInputMask(QString());
        label->setText(prompt.isEmpty() ? QStringLiteral("Geben Sie einen Text ein:") : prompt);
        break;
    case MaskMode::Number:
        ed->setInputMask(QString());
        ed->setValidator(new TNumberValidator(ed));
        label->setText(
            QStringLiteral("Geben Sie einen konstanten Wert von -32768 bis +32767 ein:"));
        break;
    case MaskMode::Time:
        ed->setInputMask(QStringLiteral("99:99; "));
        label->setText(QStringLiteral("Geben Sie eine Uhrzeit an:"));
        break;
    case MaskMode::Date:
        ed->setInputMask(QStringLiteral("99.99; "));
        label->setText(QStringLiteral("Geben Sie ein Datum an:"));
        break;
    }
}

QString TMaskInputDlg::Text() const {
    return ed->text();
}

void TMaskInputDlg::OkButtonClick() {
    if (MaskTextAcceptable(mode_, Text(), ed->hasAcceptableInput())) {
        accept();
        return;
    }
    platform::MessageBeep(platform::BeepKind::Exclamation);
    ed->setFocus();
}

bool MaskTextAcceptable(MaskMode mode, const QString& text, bool complete) {
    static constexpr int kMonthLength[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    switch (mode) {
    case MaskMode::Text:
        return true;
    case MaskMode::Number: {
        // A sign alone or nothing at all is no number; the mask allows six places, so the
        // value can lie outside 16 bits.
        static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+$"));
        if (!number.match(text).hasMatch())
            return false;
        const int value = text.toInt();
        return value >= -32768 && value <= 32767;
    }
    case MaskMode::Time: {
        if (!complete)
            return false;
        const int hour = text.mid(0, 2).toInt();
        const int minute = text.mid(3, 2).toInt();
        return hour <= 23 && minute < 60;
    }
    case MaskMode::Date: {
        if (!complete)
            return false;
        const int day = text.mid(0, 2).toInt();
        const int month = text.mid(3, 2).toInt();
        return month >= 1 && month <= 12 && day >= 1 && day <= kMonthLength[month - 1];
    }
    }
    return false;
}

bool dialogs::MaskInput(MaskMode mode, const char* prompt, int maxLength, std::string& text) {
    TDllMainForm* owner = DllMainForm();
    if (owner == nullptr)
        return false;
    TMaskInputDlg dialog(owner);
    dialog.SetMode(mode, prompt != nullptr ? platform::AnsiToQString(std::string_view(prompt))
                                           : QString());
    if (mode == MaskMode::Text)
        dialog.ed->setMaxLength(maxLength);
    dialog.ed->setText(platform::AnsiToQString(text));
    if (ExecDialog(dialog) != QDialog::Accepted)
        return false;
    text = platform::QStringToAnsi(dialog.Text());
    return true;
}

} // namespace quendal
