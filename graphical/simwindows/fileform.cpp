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
    : TSingleChildForm(nullptr, FileWindowRect, parent), grid_(new TRowGrid), rows_(grid_),
      follower_([this](int code, NotifyData data) { UpdateAspekt(code, data); },
                [this] { ModelDestroyed(); }) {
    SetUpDataWindow(*this, grid_,
                    [this](QPainter& p, int row, const QRect& r) { DrawCell(p, row, r); });
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

int TMoltraneFileForm::DumpLength() const {
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

void TMoltraneFileForm::AfterShow() {
    rows_.ResetShown();
    Layout();
}

void TMoltraneFileForm::AfterResize() {
    Layout();
}

void TMoltraneFileForm::AfterClose() {
    ForgetChild(MoltraneFileForm, this);
}

void TMoltraneFileForm::Layout() {
    rows_.Layout(DumpLength(), HexOutput);
}

void TMoltraneFileForm::Refresh() {
    const TQuendalModel* model = QuendalModel();
    rows_.Refresh(DumpLength(), model ? model->PreviousDataDumpLength : 0, HexOutput);
}

void TMoltraneFileForm::UpdateAspekt(int code, NotifyData) {
    if (code == nmDataDump)
        Refresh();
}

void TMoltraneFileForm::RowTexts(int row, QString& seen, QString& added) const {
    rows_.RowTexts(row, QuendalModel() ? DumpLength() : 0, HexOutput, seen, added);
}

void TMoltraneFileForm::DrawCell(QPainter& painter, int row, const QRect& rect) {
    rows_.DrawRow(painter, rect, row, DumpLength(), HexOutput,
                  {ViewColor(cnDataBackgnd), ViewColor(cnDataText), ViewColor(cnDataIndex),
                   ViewColor(cnDataChanged)});
}

void TMoltraneFileForm::ColorsChanged() {
    grid_->SetBackground(ViewColor(cnDataBackgnd));
    grid_->SetRowFont(ViewFont(fvData));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ViewColor(cnDataBackgnd));
    setPalette(pal);
    Layout(); // another font fits another number of values in a row
    grid_->viewport()->update();
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
