#include "graphical/simwindows/fileform.h"

#include "framework/simwindows/rowgrid.h"
#include "framework/utils.h"
#include "framework/winregistry.h"
#include "graphical/dialogs/coloroptions.h"
#include "graphical/model/quendalmodel.h"
#include "platform/qt/help.h"

#include <QCloseEvent>
#include <QKeyEvent>
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

namespace {
int CharsPerValue() {
    return HexOutput ? 5 : 7;
}
} // namespace

QString FormatDumpValue(uint16_t word) {
    const int value = int16_t(word);
    char text[16];
    if (HexOutput)
        std::snprintf(text, sizeof text, "%5.4X", unsigned(uint16_t(value)));
    else
        std::snprintf(text, sizeof text, "%7d", value);
    return QString::fromLatin1(text);
}

TMoltraneFileForm::TMoltraneFileForm(TModel* model, QWidget* parent)
    : TMDIChildForm(nullptr, parent),
      follower_([this](int code, NotifyData data) { UpdateAspekt(code, data); }) {
    setWindowTitle(QStringLiteral("Tavrissel Datenaufzeichnung"));
    int32_t left, top, width, height;
    TWindowState state;
    GetNextPlacement(left, top, width, height, state);
    if (width < 1 || height < 1)
        resize(435, 299);
    grid_ = new TRowGrid;
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->DrawCell = [this](QPainter& p, int row, const QRect& r) { DrawCell(p, row, r); };
    grid_->KeyDown = [](QKeyEvent* event) {
        if (event->key() != Qt::Key_F1)
            return false;
        HelpUsed = true;
        platform::ShowHelpContext(14000);
        return true;
    };
    setWidget(grid_);
    ColorsChanged();
    RegisterInstance();
    AttachModel(dynamic_cast<TQuendalModel*>(model));
}

TMoltraneFileForm::~TMoltraneFileForm() {
    if (MoltraneFileForm == this)
        MoltraneFileForm = nullptr;
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
    hadModel_ = model != nullptr;
    Refresh();
}

void TMoltraneFileForm::ModelDestroyed() {
    follower_.SetModel(nullptr);
    hadModel_ = false;
    Layout();
    grid_->viewport()->update();
}

bool TMoltraneFileForm::Idle(QObject*) {
    if (hadModel_ && !follower_.Model())
        ModelDestroyed();
    return false;
}

void TMoltraneFileForm::showEvent(QShowEvent* event) {
    if (!FileWindowRect.Empty())
        setGeometry(FileWindowRect.ToQRect());
    TMDIChildForm::showEvent(event);
    shownLength_ = 0;
    Layout();
}

void TMoltraneFileForm::resizeEvent(QResizeEvent* event) {
    TMDIChildForm::resizeEvent(event);
    Layout();
    if (isVisible() && FormWindowState() == wsNormal)
        FileWindowRect = TWindowRect::FromNormalBounds(GetNormalBounds());
}

void TMoltraneFileForm::closeEvent(QCloseEvent* event) {
    if (!TWindowRect::FromNormalBounds(GetNormalBounds()).Empty())
        FileWindowRect = TWindowRect::FromNormalBounds(GetNormalBounds());
    TMDIChildForm::closeEvent(event);
    if (event->isAccepted() && MoltraneFileForm == this)
        MoltraneFileForm = nullptr;
}

void TMoltraneFileForm::Layout() {
    if (charWidth_ == 0)
        charWidth_ = std::max(QFontMetrics(grid_->font()).horizontalAdvance(QLatin1Char('8')), 1);
    const int clientWidth = grid_->viewport()->width();
    grid_->SetColumnWidth(clientWidth);
    // A window too narrow for one value still shows one per row instead of dividing by zero.
    valuesPerRow_ =
        std::max((clientWidth - 10 - 4 * charWidth_) / (CharsPerValue() * charWidth_), 1);
    grid_->SetRowCount(std::max((DumpLength() + valuesPerRow_ - 1) / valuesPerRow_, 1));
    grid_->SetCurrentRow(grid_->RowCount() - 1);
}

void TMoltraneFileForm::Refresh() {
    Layout();
    const int length = DumpLength();
    if (length > shownLength_) {
        for (int row = shownLength_ / valuesPerRow_; row <= length / valuesPerRow_; ++row)
            grid_->InvalidateRow(row);
    } else if (length < shownLength_) {
        for (int row = length / valuesPerRow_; row <= shownLength_ / valuesPerRow_; ++row)
            grid_->InvalidateRow(row);
    }
    const TQuendalModel* model = QuendalModel();
    shownLength_ = model ? std::clamp(model->PreviousDataDumpLength, 0, length) : 0;
}

void TMoltraneFileForm::UpdateAspekt(int code, NotifyData) {
    if (code == nmDataDump)
        Refresh();
}

void TMoltraneFileForm::RowTexts(int row, QString& seen, QString& added) const {
    seen.clear();
    added.clear();
    const TQuendalModel* model = QuendalModel();
    const int length = DumpLength();
    const int first = row * valuesPerRow_;
    const int last = std::min((row + 1) * valuesPerRow_ - 1, length - 1);
    for (int i = first; model && i <= last; ++i)
        (i < shownLength_ ? seen : added) += FormatDumpValue(model->GetDumpWord(i));
}

void TMoltraneFileForm::DrawCell(QPainter& painter, int row, const QRect& rect) {
    painter.fillRect(rect, ViewColor(cnDataBackgnd));
    const int baseline = rect.top() + 2 + painter.fontMetrics().ascent();
    if (DumpLength() <= 0) {
        if (row == 0) {
            painter.setPen(ViewColor(cnDataText));
            painter.drawText(rect.left() + 4, baseline,
                             QStringLiteral("Keine Daten aufgezeichnet"));
        }
        return;
    }
    char index[16];
    std::snprintf(index, sizeof index, "%4d", row * valuesPerRow_);
    painter.setPen(ViewColor(cnDataIndex));
    painter.drawText(rect.left() + 4, baseline, QString::fromLatin1(index));
    QString seen, added;
    RowTexts(row, seen, added);
    const int x = rect.left() + 4 * charWidth_ + 4;
    painter.setPen(ViewColor(cnDataText));
    painter.drawText(x, baseline, seen);
    painter.setPen(ViewColor(cnDataChanged));
    painter.drawText(x + charWidth_ * int(seen.size()), baseline, added);
}

void TMoltraneFileForm::ColorsChanged() {
    grid_->SetBackground(ViewColor(cnDataBackgnd));
    grid_->setFont(ViewFont(fvData));
    grid_->SetRowHeight(QFontMetrics(ViewFont(fvData)).height() + 8);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ViewColor(cnDataBackgnd));
    setPalette(pal);
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
    TMDIChildForm::SetNextPlacement(TMDIChildForm::DefaultPosition, TMDIChildForm::DefaultPosition,
                                    TMDIChildForm::DefaultPosition, TMDIChildForm::DefaultPosition,
                                    wsNormal);
    auto* form = TMDIChildForm::Create<TMoltraneFileForm>(model);
    if (area)
        area->addSubWindow(form);
    form->show();
    return form;
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
