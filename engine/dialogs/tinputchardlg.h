// The character of a character constant.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace quendal {

class TInputCharDlg : public QDialog {
public:
    explicit TInputCharDlg(QWidget* owner);
    // The edit's first character, a blank when it is empty.
    QChar Character() const;

    QLabel* label;
    QLineEdit* ed;
};

} // namespace quendal
