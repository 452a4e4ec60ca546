// The number the simulated unit would receive on its serial interface, asked for while the
// simulation waits for it.
#pragma once

#include <QDialog>
#include <cstdint>
#include <limits>

class QLineEdit;
class QPushButton;

class TSimInputDialog : public QDialog {
    Q_OBJECT

public:
    // Only whole numbers from minimum to maximum are accepted.
    explicit TSimInputDialog(QWidget* owner = nullptr,
                             int32_t minimum = std::numeric_limits<int32_t>::min(),
                             int32_t maximum = std::numeric_limits<int32_t>::max());

    int32_t Value = 0;
    QLineEdit* EValue;
    QPushButton* OKButton;
    QPushButton* CancelButton;

    // The edit shows value in decimal, selected.
    void SetValue(int32_t value);
    // Centred on the owner (or the screen), modal; true on OK.
    bool Execute(QWidget* owner);
    // OK beeps and keeps the dialog open while the text is no number in range.
    void done(int result) override;

private:
    int32_t minimum_, maximum_;
};
