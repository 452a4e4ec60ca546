// The simulator options (registry section "Simulator") and the environment options dialog,
// which edits them with the project-tree options and the display of block numbers. The
// compile dialog opens it in a port-only mode to ask for the download port.
#pragma once

#include "framework/dialogs/comportpage.h"

class QButtonGroup;
class QCheckBox;
class QWidget;
class TWinRegistry;

// Serial port 1-4 of the download; 0 or less: none chosen yet.
extern int COM;

// Reads the five simulator values with their defaults; the initial port levels are then sent
// before the next step.
void ReadSimulatorOptions(TWinRegistry& registry);
void WriteSimulatorOptions(TWinRegistry& registry);
// Each marks the options for sending to the engine only when the value changes.
void SetAutoTiming(bool value);
void SetSimulatedBeep(bool value);
void SetApplicationBoard(bool value);

class TEnvOptionDlg : public TPortOptionsDialog {
    Q_OBJECT

public:
    explicit TEnvOptionDlg(QWidget* owner = nullptr);

    bool GetApplicationBoard() const;
    void SetApplicationBoard(bool value);
    bool GetShowIndex() const;
    void SetShowIndex(bool value);
    bool GetExpandCells() const;
    void SetExpandCells(bool value);
    bool GetExpandTables() const;
    void SetExpandTables(bool value);
    bool GetOpenFirstCell() const;
    void SetOpenFirstCell(bool value);
    bool GetSynchronize() const;
    void SetSynchronize(bool value);
    bool GetAutoTiming() const;
    void SetAutoTiming(bool value);
    bool GetSaveAnalogIn() const;
    void SetSaveAnalogIn(bool value);

    void SetComOnly(bool flag) { SetPortOnly(flag); }
    bool ComOnly() const { return PortOnly(); }

    QWidget* ProjectPage = nullptr;
    QWidget* ProjectViewPage = nullptr;
    QWidget* MoltranePage = nullptr;
    QCheckBox* cbShowIndex = nullptr;
    QButtonGroup* rgApplicationBoard = nullptr;
    QCheckBox* cbSynchronizeCellsProject = nullptr;
    QCheckBox* cbExpandCells = nullptr;
    QCheckBox* cbExpandTables = nullptr;
    QCheckBox* cbOpenFirstCell = nullptr;
};
