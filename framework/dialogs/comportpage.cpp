#include "framework/dialogs/comportpage.h"

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
#include "platform/qt/failure.h"

namespace {

constexpr int HelpContext = 20000;

} // namespace

TPortOptionsDialog::TPortOptionsDialog(QWidget* owner, bool withBeep) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Umgebungseinstellungen"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    PageControl1 = new QTabWidget(this);

    PortPage = new QWidget;
    auto* portLayout = new QVBoxLayout(PortPage);
    auto* box = new QGroupBox(QStringLiteral("Schnittstelle f\u00FCr Tavrissel-Unit"), PortPage);
    auto* grid = new QGridLayout(box);
    RGComNumber = new QButtonGroup(box);
    for (int i = 0; i < 4; ++i) {
        auto* button = new QRadioButton(QStringLiteral("COM&%1").arg(i + 1), box);
        RGComNumber->addButton(button, i);
        grid->addWidget(button, 0, i);
    }
    portLayout->addWidget(box);
    CBAutoTiming =
        new QCheckBox(QStringLiteral("&Simulatorzeit st\u00E4ndig aktualisieren"), PortPage);
    portLayout->addWidget(CBAutoTiming);
    if (withBeep) {
        CBSimulatedBeep =
            new QCheckBox(QStringLiteral("&BEEP mit PC-Lautsprecher nachbilden"), PortPage);
        portLayout->addWidget(CBSimulatedBeep);
    }
    CBSaveAnalogInPorts = new QCheckBox(
        QStringLiteral("Werte analoger Eing\u00E4nge beim Programmende speichern"), PortPage);
    portLayout->addWidget(CBSaveAnalogInPorts);
    portLayout->addStretch();
    PageControl1->addTab(PortPage, QStringLiteral("Simulator und Lader"));

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

    ConnectCommand(OKButton, this, &QDialog::accept);
    ConnectCommand(CancelButton, this, &QDialog::reject);
    ConnectCommand(HelpButton, this, &TPortOptionsDialog::HelpButtonClick);
    connect(RGComNumber, &QButtonGroup::idClicked, this,
            [this] { RunCommand([this] { RGComNumberClick(); }); });
}

void TPortOptionsDialog::AddPage(QWidget* page, const QString& caption) {
    PageControl1->insertTab(PageControl1->indexOf(PortPage), page, caption);
    PageControl1->setCurrentIndex(0);
}

int TPortOptionsDialog::GetCOM() const {
    const int item = RGComNumber->checkedId();
    return item < 0 ? -1 : item + 1;
}

void TPortOptionsDialog::SetCOM(int value) {
    if (value >= 1 && value <= 4) {
        RGComNumber->button(value - 1)->setChecked(true);
    } else {
        // An exclusive group keeps one button checked unless told otherwise.
        RGComNumber->setExclusive(false);
        for (QAbstractButton* button : RGComNumber->buttons())
            button->setChecked(false);
        RGComNumber->setExclusive(true);
    }
    if (portOnly_)
        OKButton->setEnabled(GetCOM() > 0);
}

void TPortOptionsDialog::SetPortOnly(bool flag) {
    portOnly_ = flag;
    for (int i = 0; i < PageControl1->count(); ++i) {
        if (PageControl1->widget(i) != PortPage)
            PageControl1->setTabVisible(i, !flag);
    }
    PageControl1->setCurrentIndex(flag ? PageControl1->indexOf(PortPage) : 0);
    for (QCheckBox* box : {CBAutoTiming, CBSimulatedBeep, CBSaveAnalogInPorts}) {
        if (box)
            box->setEnabled(!flag);
    }
    OKButton->setEnabled(!flag || GetCOM() > 0);
}

bool TPortOptionsDialog::Execute(QWidget* owner) {
    CenterOnOwner(this, owner);
    return exec() == QDialog::Accepted;
}

void TPortOptionsDialog::done(int result) {
    if (result == QDialog::Accepted && portOnly_ && GetCOM() <= 0)
        return;
    QDialog::done(result);
}

void TPortOptionsDialog::RGComNumberClick() {
    OKButton->setEnabled(true);
}

void TPortOptionsDialog::HelpButtonClick() {
    ShowHelpTopic(HelpContext);
}
