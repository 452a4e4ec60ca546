// A number from 1 to a kind's maximum: port lines, channels and memory cells.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QSpinBox;

namespace quendal {

class TSelectNumberDlg : public QDialog {
public:
    explicit TSelectNumberDlg(QWidget* owner);
    void SetMax(int maximum);
    // Numbers outside 1..maximum show as the nearest one allowed.
    void SetNumber(const QString& text);
    QString Text() const;

    QLabel* label;
    // The up-down control with its buddy edit: Qt has both in one widget. The edit is read-only,
    // so the number changes only through the arrows.
    QSpinBox* spin;
    QLineEdit* ed;
};

} // namespace quendal
