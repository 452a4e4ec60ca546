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

int DataLength() {
    const TDataImage& data = Linotrex().Data();
    return std::clamp(data.length, 0, int(data.words.size()));
}

} // namespace

TLinotrexFileForm::TLinotrexFileForm(TModel* model, QWidget* parent)
    : TSingleChildForm(model, DataWindowRect, parent), grid_(new TRowGrid), rows_(grid_) {
    SetUpDataWindow(*this, grid_,
                    [this](QPainter& p, int row, const QRect& r) { DrawCell(p, row, r); });
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

void TLinotrexFileForm::AfterShow() {
    // every value counts as new until the next refresh
    rows_.ResetShown();
    Layout();
}

void TLinotrexFileForm::AfterResize() {
    Layout();
}

void TLinotrexFileForm::AfterClose() {
    ForgetChild(LinotrexFileForm, this);
}

void TLinotrexFileForm::Layout() {
    rows_.Layout(DataLength(), HexOutput);
}

void TLinotrexFileForm::RefreshDataWindow() {
    rows_.Refresh(DataLength(), Linotrex().Data().previousLength, HexOutput);
}

void TLinotrexFileForm::RowTexts(int row, QString& seen, QString& added) const {
    rows_.RowTexts(row, DataLength(), HexOutput, seen, added);
}

void TLinotrexFileForm::DrawCell(QPainter& painter, int row, const QRect& rect) {
    const TColorSettings& colors = ColorSettings();
    rows_.DrawRow(painter, rect, row, DataLength(), HexOutput,
                  {colors.Color(clDataBackgnd), colors.Color(clDataText), colors.Color(clDataIndex),
                   colors.Color(clDataChanged)});
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
    const QFont font = ColorSettings().Font(fvData);
    const QColor back = ColorSettings().Color(clDataBackgnd);
    grid_->SetBackground(back);
    grid_->SetRowFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, back);
    setPalette(pal);
    Layout(); // another font fits another number of values in a row
    grid_->viewport()->update();
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
