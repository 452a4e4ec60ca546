// A list of names, one per line.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace quendal {

class TInputStrListDlg : public QDialog {
public:
    TInputStrListDlg(QWidget* owner, int maxLength);
    // Lines end in CR LF as the block stores them; a lone LF or CR also ends a line.
    void SetText(const QString& text);
    QString Text() const;
    // Closes the dialog unless the list is too long to be stored whole.
    void OkButtonClick();

    QLabel* label;
    QPlainTextEdit* memo;

private:
    int maxLength_;
};

} // namespace quendal
