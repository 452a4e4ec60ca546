// One line of input: free text, a number, a time or a date, each checked before the dialog
// closes.
#pragma once

#include "engine/dialogs/editparam.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quendal {

class TMaskInputDlg : public QDialog {
public:
    explicit TMaskInputDlg(QWidget* owner);
    // Sets the mask and the label; an empty prompt takes the mode's own label. The edit's text
    // is set afterwards, so the mask can place it.
    void SetMode(dialogs::MaskMode mode, const QString& prompt = QString());
    // The edit's text; a time or date without the blanks of unfilled places.
    QString Text() const;
    // Closes the dialog when the text passes the mode's check, else beeps and stays open.
    void OkButtonClick();

    QLabel* label;
    QLineEdit* ed;
    QPushButton* OkButton;
    QPushButton* CancelButton;

private:
    dialogs::MaskMode mode_ = dialogs::MaskMode::Text;
};

// The check behind OK. complete: every required place of the mask is filled.
bool MaskTextAcceptable(dialogs::MaskMode mode, const QString& text, bool complete);

} // namespace quendal
