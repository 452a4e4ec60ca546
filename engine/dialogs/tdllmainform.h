// The hidden form that owns every parameter dialog of the library, and the one LED dialog.
#pragma once

#include <QWidget>

class QBoxLayout;
class QDialog;
class QPushButton;

namespace quendal {

class TLEDDlg;

class TDllMainForm : public QWidget {
public:
    TDllMainForm();
    TLEDDlg* LedDialog() const { return ledDialog_; }

private:
    TLEDDlg* ledDialog_;
};

// The library's owner form, created on first use: a library must not make widgets before the
// host's QApplication exists. Null when no QApplication runs on the calling thread.
TDllMainForm* DllMainForm();

// Appends "OK" and "Abbrechen" to a dialog's layout; "Abbrechen" rejects. Answers the OK button,
// which each dialog connects itself (some check before they close).
QPushButton* AddOkCancel(QDialog& dialog, QBoxLayout& layout);

// Shows a dialog modally, centred over the window the user works in: its hidden owner form
// lies in the screen's corner.
int ExecDialog(QDialog& dialog);

} // namespace quendal
