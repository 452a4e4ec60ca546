// The serial interface's transfer rate.
#pragma once

#include <QDialog>

class QLabel;
class QRadioButton;

namespace quendal {

class TBaudBlockDlg : public QDialog {
public:
    explicit TBaudBlockDlg(QWidget* owner);
    // Rate codes 1, 2, 4 and 8 for 1200 to 9600 bit/s; any other code shows 9600.
    void SetCode(int code);
    int Code() const;

    QLabel* label;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    QRadioButton* RadioButton4;
};

} // namespace quendal
