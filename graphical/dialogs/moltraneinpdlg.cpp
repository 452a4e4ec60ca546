#include "graphical/dialogs/moltraneinpdlg.h"

#include "graphical/model/simulatoriostate.h"

std::optional<int32_t> ExecuteMoltraneInput(QWidget* owner, int32_t preset) {
    TMoltraneInputDialog dialog(owner);
    dialog.SetValue(preset);
    if (!dialog.Execute(owner))
        return std::nullopt;
    return dialog.Value;
}

void InstallMoltraneInputDialog(QWidget* owner) {
    SimulatorWindows.InputDialog = [owner](int32_t preset) {
        return ExecuteMoltraneInput(owner, preset);
    };
}
