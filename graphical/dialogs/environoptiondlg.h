// The simulator options (registry section "Simulator") and the environment options dialog,
// which edits them with the project-tree options and the display of block numbers. The
// compile dialog opens it in a port-only mode to ask for the download port.
#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QPushButton;
class QTabWidget;
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

class TEnvOptionDlg : public QDialog {
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
    // Ports 1-4; reading gives -1 when no port is selected.
    int GetCOM() const;
    void SetCOM(int value);

    void SetComOnly(bool flag);
    bool ComOnly() const { return comOnly_; }
    // Centred on the owner (or the screen), modal; true when closed with OK.
    bool Execute(QWidget* owner);

    QTabWidget* PageControl1 = nullptr;
    QWidget* ProjectPage = nullptr;
    QWidget* ProjectViewPage = nullptr;
    QWidget* MoltranePage = nullptr;
    QCheckBox* cbShowIndex = nullptr;
    QButtonGroup* rgApplicationBoard = nullptr;
    QCheckBox* cbSynchronizeCellsProject = nullptr;
    QCheckBox* cbExpandCells = nullptr;
    QCheckBox* cbExpandTables = nullptr;
    QCheckBox* cbOpenFirstCell = nullptr;
    QButtonGroup* RGComNumber = nullptr;
    QCheckBox* CBAutoTiming = nullptr;
    QCheckBox* CBSaveAnalogInPorts = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;

public slots:
    void done(int result) override;

private slots:
    void RGComNumberClick();
    void HelpButtonClick();

private:
    bool comOnly_ = false;
};
