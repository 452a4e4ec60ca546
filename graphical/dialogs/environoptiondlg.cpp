#include "graphical/dialogs/environoptiondlg.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "framework/dialogs/dialogplacement.h"
#include "framework/utils.h"
#include "framework/winregistry.h"
#include "graphical/model/simulatoriostate.h"
#include "platform/qt/help.h"

int COM = -1;

namespace {

const QString SimulatorSection = QStringLiteral("Simulator");
constexpr int HelpContext = 20000;

// A titled group of radio buttons in the given number of columns.
QButtonGroup* RadioGroup(QWidget* parent, QVBoxLayout* layout, const QString& title,
                         const QStringList& items, int columns) {
    auto* box = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(box);
    auto* group = new QButtonGroup(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], box);
        group->addButton(button, i);
        grid->addWidget(button, i / columns, i % columns);
    }
    layout->addWidget(box);
    return group;
}

// Selects item index, or nothing when it is out of range.
void SelectItem(QButtonGroup* group, int index) {
    if (QAbstractButton* button = group->button(index)) {
        button->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}

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

TEnvOptionDlg::TEnvOptionDlg(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Umgebungseinstellungen"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    PageControl1 = new QTabWidget(this);

    ProjectPage = new QWidget;
    auto* projectLayout = new QVBoxLayout(ProjectPage);
    cbShowIndex =
        new QCheckBox(QStringLiteral("&Nummer von Ports und Speicherzellen anzeigen"), ProjectPage);
    projectLayout->addWidget(cbShowIndex);
    rgApplicationBoard =
        RadioGroup(ProjectPage, projectLayout, QStringLiteral("LED-Modul an "),
                   {QStringLiteral("&Starter Board"), QStringLiteral("&Application Board")}, 2);
    projectLayout->addStretch();
    PageControl1->addTab(ProjectPage, QStringLiteral("Projekt"));

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
    PageControl1->addTab(ProjectViewPage, QStringLiteral("Projekt\u00FCbersichtsfenster"));

    MoltranePage = new QWidget;
    auto* moltraneLayout = new QVBoxLayout(MoltranePage);
    RGComNumber = RadioGroup(MoltranePage, moltraneLayout,
                             QStringLiteral("Schnittstelle f\u00FCr Tavrissel-Unit"),
                             {QStringLiteral("COM&1"), QStringLiteral("COM&2"),
                              QStringLiteral("COM&3"), QStringLiteral("COM&4")},
                             4);
    CBAutoTiming =
        new QCheckBox(QStringLiteral("&Simulatorzeit st\u00E4ndig aktualisieren"), MoltranePage);
    CBSaveAnalogInPorts = new QCheckBox(
        QStringLiteral("Werte analoger Eing\u00E4nge beim Programmende speichern"), MoltranePage);
    moltraneLayout->addWidget(CBAutoTiming);
    moltraneLayout->addWidget(CBSaveAnalogInPorts);
    moltraneLayout->addStretch();
    PageControl1->addTab(MoltranePage, QStringLiteral("Simulator und Lader"));

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    HelpButton = new QPushButton(QStringLiteral("&Hilfe"), this);
    HelpButton->setAutoDefault(false);
    CancelButton->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(HelpButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);

    // The client area of the original layout, grown where the fonts here need more room.
    setFixedSize(sizeHint().expandedTo(QSize(346, 220)));

    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpButton, &QPushButton::clicked, this, &TEnvOptionDlg::HelpButtonClick);
    connect(RGComNumber, &QButtonGroup::idClicked, this, &TEnvOptionDlg::RGComNumberClick);
    SetComOnly(false);
}

bool TEnvOptionDlg::GetApplicationBoard() const {
    return rgApplicationBoard->checkedId() == 1;
}
void TEnvOptionDlg::SetApplicationBoard(bool value) {
    SelectItem(rgApplicationBoard, value ? 1 : 0);
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

int TEnvOptionDlg::GetCOM() const {
    const int item = RGComNumber->checkedId();
    return item < 0 ? -1 : item + 1;
}

void TEnvOptionDlg::SetCOM(int value) {
    SelectItem(RGComNumber, value >= 1 && value <= 4 ? value - 1 : -1);
    if (comOnly_)
        OKButton->setEnabled(GetCOM() > 0);
}

void TEnvOptionDlg::SetComOnly(bool flag) {
    comOnly_ = flag;
    PageControl1->setTabVisible(PageControl1->indexOf(ProjectPage), !flag);
    PageControl1->setTabVisible(PageControl1->indexOf(ProjectViewPage), !flag);
    PageControl1->setCurrentWidget(flag ? MoltranePage : ProjectPage);
    CBAutoTiming->setEnabled(!flag);
    CBSaveAnalogInPorts->setEnabled(!flag);
    OKButton->setEnabled(!flag || GetCOM() > 0);
}

bool TEnvOptionDlg::Execute(QWidget* owner) {
    CenterOnOwner(this, owner);
    return exec() == QDialog::Accepted;
}

// The port-only mode cannot be confirmed without a port, not even by the Enter key.
void TEnvOptionDlg::done(int result) {
    if (result == QDialog::Accepted && comOnly_ && GetCOM() <= 0)
        return;
    QDialog::done(result);
}

void TEnvOptionDlg::RGComNumberClick() {
    OKButton->setEnabled(true);
}

void TEnvOptionDlg::HelpButtonClick() {
    HelpUsed = true;
    platform::ShowHelpContext(HelpContext);
}
