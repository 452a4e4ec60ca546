// The graphical program's use of the simulator input dialog.
#pragma once

#include "framework/dialogs/siminputdlg.h"

#include <optional>

using TMoltraneInputDialog = TSimInputDialog;

// Runs the dialog with preset in the edit; the number entered, nothing when the simulation is
// to stop.
std::optional<int32_t> ExecuteMoltraneInput(QWidget* owner, int32_t preset);
// Makes the simulation driver ask through this dialog over owner.
void InstallMoltraneInputDialog(QWidget* owner);
