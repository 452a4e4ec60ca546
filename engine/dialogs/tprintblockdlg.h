// What the serial print block appends to its output.
#pragma once

#include <QDialog>

class QLabel;
class QRadioButton;

namespace quendal {

class TPrintBlockDlg : public QDialog {
public:
    explicit TPrintBlockDlg(QWidget* owner);
    // 2 a line end, 4 a tab, anything else nothing.
    void SetMode(int mode);
    int Mode() const;

    QLabel* label;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
};

} // namespace quendal
