// The number the simulated unit would receive on its serial interface, asked for while the
// simulation waits for it.
#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

class TMoltraneInputDialog : public QDialog {
    Q_OBJECT

public:
    explicit TMoltraneInputDialog(QWidget* owner = nullptr);

    int32_t Value = 0;
    QLineEdit* EValue;
    QPushButton* OKButton;
    QPushButton* CancelButton;

    // OK is refused while the text is not a 32-bit integer.
    void done(int result) override;
};

// Runs the dialog with preset in the edit; the number entered, nothing when the simulation is
// to stop.
std::optional<int32_t> ExecuteMoltraneInput(QWidget* owner, int32_t preset);
// Makes the simulation driver ask through this dialog over owner.
void InstallMoltraneInputDialog(QWidget* owner);
