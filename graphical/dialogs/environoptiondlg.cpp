#include "graphical/dialogs/environoptiondlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "framework/winregistry.h"
#include "graphical/model/simulatoriostate.h"

int COM = -1;

namespace {

const QString SimulatorSection = QStringLiteral("Simulator");

} // namespace

void ReadSimulatorOptions(TWinRegistry& registry) {
    AutoTiming = registry.ReadBool(SimulatorSection, QStringLiteral("AutoTiming"), true);
    SimulatedBeep = registry.ReadBool(SimulatorSection, QStringLiteral("SimulatedBeep"), true);
    ApplicationBoard =
        registry.ReadBool(SimulatorSection, QStringLiteral("ApplicationBoard"), false);
    COM = registry.ReadInteger(SimulatorSection, QStringLiteral("COM"), -1);
    SimulatorIoState.InitialPortLevels = static_cast<uint16_t>(
        registry.ReadInteger(SimulatorSection, QStringLiteral("FixedDigitalIn"), 0));
    SimulatorIoState.InitialPortsPending = true;
}

void WriteSimulatorOptions(TWinRegistry& registry) {
    registry.WriteBool(SimulatorSection, QStringLiteral("AutoTiming"), AutoTiming);
    registry.WriteBool(SimulatorSection, QStringLiteral("SimulatedBeep"), SimulatedBeep);
    registry.WriteBool(SimulatorSection, QStringLiteral("ApplicationBoard"), ApplicationBoard);
    registry.WriteInteger(SimulatorSection, QStringLiteral("COM"), COM);
    registry.WriteInteger(SimulatorSection, QStringLiteral("FixedDigitalIn"),
                          SimulatorIoState.InitialPortLevels);
}

void SetAutoTiming(bool value) {
    if (AutoTiming != value) {
        AutoTiming = value;
        SimOptionsChanged = true;
    }
}

void SetSimulatedBeep(bool value) {
    if (SimulatedBeep != value) {
        SimulatedBeep = value;
        SimOptionsChanged = true;
    }
}

void SetApplicationBoard(bool value) {
    if (ApplicationBoard != value) {
        ApplicationBoard = value;
        SimOptionsChanged = true;
    }
}

TEnvOptionDlg::TEnvOptionDlg(QWidget* owner) : TPortOptionsDialog(owner, false) {
    MoltranePage = PortPage;

    ProjectPage = new QWidget;
    auto* projectLayout = new QVBoxLayout(ProjectPage);
    cbShowIndex =
        new QCheckBox(QStringLiteral("&Nummer von Ports und Speicherzellen anzeigen"), ProjectPage);
    projectLayout->addWidget(cbShowIndex);
    auto* boardBox = new QGroupBox(QStringLiteral("LED-Modul an "), ProjectPage);
    auto* boardLayout = new QHBoxLayout(boardBox);
    rgApplicationBoard = new QButtonGroup(boardBox);
    const QStringList boards = {QStringLiteral("&Starter Board"),
                                QStringLiteral("&Application Board")};
    for (int i = 0; i < boards.size(); ++i) {
        auto* button = new QRadioButton(boards[i], boardBox);
        rgApplicationBoard->addButton(button, i);
        boardLayout->addWidget(button);
    }
    projectLayout->addWidget(boardBox);
    projectLayout->addStretch();
    AddPage(ProjectPage, QStringLiteral("Projekt"));

    ProjectViewPage = new QWidget;
    auto* viewLayout = new QVBoxLayout(ProjectViewPage);
    cbSynchronizeCellsProject = new QCheckBox(
        QStringLiteral("&Editor folgt im Projektfenster ausgew\u00E4hlter Programmzelle"),
        ProjectViewPage);
    viewLayout->addWidget(cbSynchronizeCellsProject);
    auto* groupBox1 =
        new QGroupBox(QStringLiteral("Beim \u00D6ffnen eines Projekts"), ProjectViewPage);
    auto* groupLayout = new QVBoxLayout(groupBox1);
    cbExpandCells = new QCheckBox(QStringLiteral("Baum der &Programmzellen aufklappen"), groupBox1);
    cbExpandTables =
        new QCheckBox(QStringLiteral("Baum der &Umsetzungstabellen aufklappen"), groupBox1);
    cbOpenFirstCell = new QCheckBox(QStringLiteral("Erste Programmzelle \u00F6ffnen"), groupBox1);
    groupLayout->addWidget(cbExpandCells);
    groupLayout->addWidget(cbExpandTables);
    groupLayout->addWidget(cbOpenFirstCell);
    viewLayout->addWidget(groupBox1);
    viewLayout->addStretch();
    AddPage(ProjectViewPage, QStringLiteral("Projekt\u00FCbersichtsfenster"));

    // The client area of the original layout, grown where the fonts here need more room.
    setFixedSize(sizeHint().expandedTo(QSize(346, 220)));
    SetComOnly(false);
}

bool TEnvOptionDlg::GetApplicationBoard() const {
    return rgApplicationBoard->checkedId() == 1;
}
void TEnvOptionDlg::SetApplicationBoard(bool value) {
    rgApplicationBoard->button(value ? 1 : 0)->setChecked(true);
}
bool TEnvOptionDlg::GetShowIndex() const {
    return cbShowIndex->isChecked();
}
void TEnvOptionDlg::SetShowIndex(bool value) {
    cbShowIndex->setChecked(value);
}
bool TEnvOptionDlg::GetExpandCells() const {
    return cbExpandCells->isChecked();
}
void TEnvOptionDlg::SetExpandCells(bool value) {
    cbExpandCells->setChecked(value);
}
bool TEnvOptionDlg::GetExpandTables() const {
    return cbExpandTables->isChecked();
}
void TEnvOptionDlg::SetExpandTables(bool value) {
    cbExpandTables->setChecked(value);
}
bool TEnvOptionDlg::GetOpenFirstCell() const {
    return cbOpenFirstCell->isChecked();
}
void TEnvOptionDlg::SetOpenFirstCell(bool value) {
    cbOpenFirstCell->setChecked(value);
}
bool TEnvOptionDlg::GetSynchronize() const {
    return cbSynchronizeCellsProject->isChecked();
}
void TEnvOptionDlg::SetSynchronize(bool value) {
    cbSynchronizeCellsProject->setChecked(value);
}
bool TEnvOptionDlg::GetAutoTiming() const {
    return CBAutoTiming->isChecked();
}
void TEnvOptionDlg::SetAutoTiming(bool value) {
    CBAutoTiming->setChecked(value);
}
bool TEnvOptionDlg::GetSaveAnalogIn() const {
    return CBSaveAnalogInPorts->isChecked();
}
void TEnvOptionDlg::SetSaveAnalogIn(bool value) {
    CBSaveAnalogInPorts->setChecked(value);
}
