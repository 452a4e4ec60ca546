#include "graphical/simwindows/fileform.h"

#include "framework/simwindows/rowgrid.h"
#include "framework/simwindows/singlechild.h"
#include "framework/winregistry.h"
#include "graphical/dialogs/coloroptions.h"
#include "graphical/model/quendalmodel.h"

#include <QMdiArea>
#include <QPainter>
#include <algorithm>

TMoltraneFileForm* MoltraneFileForm = nullptr;

namespace {
// The desktop reader creates the window by its class name. The name is spelt out: the meta
// object may not be set up yet while static objects are initialised.
const bool registered = [] {
    RegisterMDIChildClass(QStringLiteral("TMoltraneFileForm"), [](TModel* model) -> TMDIChildForm* {
        return TMDIChildForm::Create<TMoltraneFileForm>(model);
    });
    return true;
}();
} // namespace
bool HexOutput = false;
TWindowRect FileWindowRect;

QString FormatDumpValue(uint16_t word) {
    return FormatDataValue(word, HexOutput);
}

TMoltraneFileForm::TMoltraneFileForm(TModel* model, QWidget* parent)
    : TDataWindow(nullptr, FileWindowRect, HexOutput, parent),
      follower_([this](int code, NotifyData data) { UpdateAspekt(code, data); },
                [this] { ModelDestroyed(); }) {
    rows_.Word = [this](int i) { return QuendalModel()->GetDumpWord(i); };
    ColorsChanged();
    RegisterInstance();
    AttachModel(dynamic_cast<TQuendalModel*>(model));
}

TMoltraneFileForm::~TMoltraneFileForm() {
    ForgetChild(MoltraneFileForm, this);
}

TQuendalModel* TMoltraneFileForm::QuendalModel() const {
    return static_cast<TQuendalModel*>(follower_.Model());
}

void TMoltraneFileForm::RegisterInstance() {
    MoltraneFileForm = this;
}

int TMoltraneFileForm::DataLength() const {
    const TQuendalModel* model = QuendalModel();
    return model ? std::clamp(model->DataDumpLength, 0, TQuendalModel::DataDumpSize) : 0;
}

void TMoltraneFileForm::AttachModel(TQuendalModel* model) {
    follower_.SetModel(model);
    Refresh();
}

void TMoltraneFileForm::ModelDestroyed() {
    follower_.SetModel(nullptr);
    Layout();
    grid_->viewport()->update();
}

void TMoltraneFileForm::AfterClose() {
    ForgetChild(MoltraneFileForm, this);
}

void TMoltraneFileForm::Refresh() {
    const TQuendalModel* model = QuendalModel();
    RefreshRows(model ? model->PreviousDataDumpLength : 0);
}

void TMoltraneFileForm::UpdateAspekt(int code, NotifyData) {
    if (code == nmDataDump)
        Refresh();
}

TDataColors TMoltraneFileForm::DataColors() const {
    return {ViewColor(cnDataBackgnd), ViewColor(cnDataText), ViewColor(cnDataIndex),
            ViewColor(cnDataChanged)};
}

void TMoltraneFileForm::ColorsChanged() {
    SetLook(ViewFont(fvData), ViewColor(cnDataBackgnd));
}

TMoltraneFileForm* ShowFileWindow(QMdiArea* area, TQuendalModel* model) {
    if (MoltraneFileForm) {
        MoltraneFileForm->showNormal();
        MoltraneFileForm->raise();
        if (area)
            area->setActiveSubWindow(MoltraneFileForm);
        return MoltraneFileForm;
    }
    return CreateAtDefaultPlace<TMoltraneFileForm>(area, model);
}

void ReadFileSettings(TWinRegistry& reg) {
    HexOutput = reg.ReadBool("EEPROMWindow", "HexOutput", false);
    FileWindowRect.Read(reg, "EEPROMWindow");
}

void WriteFileSettings(TWinRegistry& reg) {
    if (MoltraneFileForm)
        FileWindowRect = TWindowRect::FromNormalBounds(MoltraneFileForm->GetNormalBounds());
    reg.WriteBool("EEPROMWindow", "HexOutput", HexOutput);
    FileWindowRect.Write(reg, "EEPROMWindow");
}
