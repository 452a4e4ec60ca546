#include "basic/simwindows/fileform.h"

#include "basic/dialogs/colorsettings.h"
#include "basic/library/linotrex.h"
#include "basic/simwindows/simcommands.h"
#include "framework/simwindows/rowgrid.h"
#include "framework/simwindows/singlechild.h"
#include "framework/winregistry.h"

#include <QMdiArea>
#include <QPainter>
#include <algorithm>

namespace harvel {

TLinotrexFileForm* LinotrexFileForm = nullptr;
bool HexOutput = false;
TWindowRect DataWindowRect;

namespace {

const QString Section = QStringLiteral("EEPROMWindow");

} // namespace

TLinotrexFileForm::TLinotrexFileForm(TModel* model, QWidget* parent)
    : TDataWindow(model, DataWindowRect, HexOutput, parent) {
    rows_.Word = [](int i) { return uint16_t(Linotrex().Data().words[size_t(i)]); };
    ColorsChanged();
    RegisterInstance();
}

TLinotrexFileForm::~TLinotrexFileForm() {
    ForgetChild(LinotrexFileForm, this);
}

void TLinotrexFileForm::RegisterInstance() {
    LinotrexFileForm = this;
}

void TLinotrexFileForm::AfterClose() {
    ForgetChild(LinotrexFileForm, this);
}

int TLinotrexFileForm::DataLength() const {
    const TDataImage& data = Linotrex().Data();
    return std::clamp(data.length, 0, int(data.words.size()));
}

TDataColors TLinotrexFileForm::DataColors() const {
    const TColorSettings& colors = ColorSettings();
    return {colors.Color(clDataBackgnd), colors.Color(clDataText), colors.Color(clDataIndex),
            colors.Color(clDataChanged)};
}

void TLinotrexFileForm::RefreshDataWindow() {
    RefreshRows(Linotrex().Data().previousLength);
}

bool TLinotrexFileForm::IsCommandEnabled(int cmd) {
    if (IsSimulatorCommand(cmd))
        return SimulatorCommandEnabled(Linotrex(), cmd);
    return TMDIChildForm::IsCommandEnabled(cmd);
}

void TLinotrexFileForm::DoCommand(int cmd) {
    if (IsSimulatorCommand(cmd))
        DoSimulatorCommand(Linotrex(), cmd);
    else
        TMDIChildForm::DoCommand(cmd);
}

void TLinotrexFileForm::ColorsChanged() {
    SetLook(ColorSettings().Font(fvData), ColorSettings().Color(clDataBackgnd));
}

TLinotrexFileForm* ShowDataWindow(QMdiArea* area, bool activate) {
    return ShowSingleChild(LinotrexFileForm, area, nullptr, activate);
}

void ReadDataSettings(TWinRegistry& reg, bool withPlace) {
    if (withPlace)
        DataWindowRect.Read(reg, Section);
    HexOutput = reg.ReadBool(Section, QStringLiteral("HexOutput"), false);
}

void WriteDataSettings(TWinRegistry& reg) {
    if (LinotrexFileForm)
        KeepClosingPlace(DataWindowRect, *LinotrexFileForm);
    DataWindowRect.Write(reg, Section);
    reg.WriteBool(Section, QStringLiteral("HexOutput"), HexOutput);
}

void ConnectDataWindow(QMdiArea*, TLinotrex& wrapper) {
    wrapper.Views().RefreshDataWindow = [] {
        if (LinotrexFileForm)
            LinotrexFileForm->RefreshDataWindow();
    };
}

} // namespace harvel
