#include "basic/dialogs/linotrexinputdlg.h"

#include <QPointer>

#include "basic/library/linotrex.h"

namespace harvel {

TLinotrexInputDlg::TLinotrexInputDlg(QWidget* owner) : TSimInputDialog(owner, -32768, 32767) {}

void ConnectInputDialog(QWidget* owner, TLinotrex& wrapper) {
    QPointer<QWidget> guarded(owner);
    wrapper.Views().AskInput = [guarded](int& value) {
        TLinotrexInputDlg dialog(guarded);
        dialog.SetValue(value);
        if (!dialog.Execute(guarded))
            return false;
        value = dialog.Value;
        return true;
    };
}

} // namespace harvel
