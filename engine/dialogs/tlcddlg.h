// The LCD block's output mask: one edit per display line.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace quendal {

class TLCDDlg : public QDialog {
public:
    static constexpr int kLineLength = 16;

    explicit TLCDDlg(QWidget* owner);
    // The text before the first line feed goes to the first line, the rest to the second; a mask
    // without a line feed is all second line.
    void SetMask(const QString& mask);
    QString Mask() const;

    QLabel* label;
    QLineEdit* ed1;
    QLineEdit* ed2;
};

} // namespace quendal
