#include "basic/simwindows/watchform.h"

#include "basic/dialogs/colorsettings.h"
#include "basic/library/linotrex.h"
#include "basic/simwindows/simcommands.h"
#include "framework/simwindows/rowgrid.h"
#include "framework/simwindows/singlechild.h"
#include "framework/simwindows/watchcolumns.h"
#include "framework/utils.h"
#include "framework/winregistry.h"
#include "platform/qt/ansi.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/failure.h"

#include <QApplication>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <functional>

namespace harvel {

TWatchForm* WatchForm = nullptr;
TWindowRect WatchWindowRect;
int WatchNameColWidth = 100;

namespace {

const QString Section = QStringLiteral("WatchWindow");

// An input box whose OK goes through only when check finds nothing against the text; else it
// beeps, says why, and stays.
class TCheckedInputBox : public QInputDialog {
public:
    TCheckedInputBox(QWidget* owner, std::function<QString(const QString&)> check)
        : QInputDialog(owner), check_(std::move(check)) {}

    void done(int result) override {
        if (result == Accepted && check_) {
            bool checked = false;
            QString refusal;
            RunCommand([&] {
                refusal = check_(textValue());
                checked = true;
            });
            if (!checked) // the failure is shown; the box stays
                return;
            if (!refusal.isEmpty()) {
                platform::MessageBeep(platform::BeepKind::Exclamation);
                platform::MessageBox(platform::BoxKind::Warning, refusal,
                                     static_cast<platform::Buttons>(platform::Button::Ok));
                return;
            }
        }
        QInputDialog::done(result);
    }

private:
    std::function<QString(const QString&)> check_;
};

// A modal one-line input box; true on OK.
bool InputQuery(QWidget* owner, const QString& caption, const QString& prompt, QString& value,
                std::function<QString(const QString&)> check = {}) {
    TCheckedInputBox box(owner, std::move(check));
    box.setObjectName(QStringLiteral("WatchInputBox"));
    box.setInputMode(QInputDialog::TextInput);
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setTextValue(value);
    box.setOkButtonText(QStringLiteral("OK"));
    box.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (box.exec() != QDialog::Accepted)
        return false;
    value = box.textValue();
    return true;
}

bool AskName(QWidget* owner, QString& name) {
    return InputQuery(owner, QStringLiteral("Variable \u00FCberwachen"),
                      QStringLiteral("Geben Sie den Bezeichner ein:"), name);
}

QColor WatchColor(TColorIndex index) {
    return ColorSettings().Color(index);
}

} // namespace

TWatchForm::TWatchForm(TModel* model, QWidget* parent)
    : TWatchWindow(model, WatchWindowRect, QSize(260, 160), WatchNameColWidth, parent) {
    columns_->NameWidthChanged = [this](int width) {
        if (isVisible())
            WatchNameColWidth = width;
    };
    columns_->AddCommand(cmInsertWatch, QStringLiteral("Neuen Bezeichner einf\u00FCgen..."),
                         QKeySequence(Qt::Key_Insert));
    columns_->AddCommand(cmEditWatch, QStringLiteral("Bezeichner \u00E4ndern..."),
                         QKeySequence(Qt::CTRL | Qt::Key_Return));
    columns_->AddCommand(cmDeleteWatch, QStringLiteral("Bezeichner aus Liste l\u00F6schen"),
                         QKeySequence(Qt::Key_Delete));
    columns_->AddCommand(cmChangeValue, QStringLiteral("Wert ver\u00E4ndern..."),
                         QKeySequence(Qt::Key_Return));
    grid_->DoubleClick = [this] { GridDoubleClick(); };

    ColorsChanged();
    SyncRows();
    RegisterInstance();
}

TWatchForm::~TWatchForm() {
    ForgetChild(WatchForm, this);
}

void TWatchForm::RegisterInstance() {
    WatchForm = this;
}

bool TWatchForm::HasEntry(int row) const {
    return row >= 0 && row < int(Linotrex().Watches().size());
}

void TWatchForm::SyncRows() {
    const int rows = int(Linotrex().Watches().size()) + 1;
    if (grid_->RowCount() != rows)
        grid_->SetRowCount(rows);
}

void TWatchForm::AfterShow() {
    columns_->Header()->resizeSection(0, WatchNameColWidth);
    columns_->LayoutColumns();
    SyncRows();
    grid_->SetCurrentRow(0);
}

void TWatchForm::AfterClose() {
    ForgetChild(WatchForm, this);
}

void TWatchForm::DrawCell(QPainter& painter, int row, const QRect& rect) {
    const QColor back = WatchColor(clWatchBackgnd);
    painter.fillRect(rect, back);
    if (!HasEntry(row))
        return;
    const TWatchEntry& watch = *Linotrex().Watches()[size_t(row)];
    painter.setPen(row == grid_->CurrentRow() ? QColor(Qt::black) : back);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    const int baseline = rect.top() + 2 + painter.fontMetrics().ascent();
    painter.setPen(WatchColor(clWatchText));
    painter.drawText(rect.left() + 2, baseline, platform::AnsiToQString(watch.GetName()));
    painter.setPen(watch.GetState() == TWatchEntry::Invalid   ? WatchColor(clWatchInvalid)
                   : watch.GetState() == TWatchEntry::Changed ? WatchColor(clWatchChanged)
                                                              : WatchColor(clWatchText));
    painter.drawText(rect.left() + columns_->ValueColumnX(), baseline, watch.GetText());
}

bool TWatchForm::GridKeyDown(QKeyEvent* event) {
    if (HelpKey(event, 12000))
        return true;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter changes the value where it can, otherwise (and with Ctrl) edits the name
        if (!ctrl && IsCommandEnabled(cmChangeValue))
            DoCommand(cmChangeValue);
        else
            EditWatch(grid_->CurrentRow());
        return true;
    case Qt::Key_Insert:
        DoCommand(cmInsertWatch);
        return true;
    case Qt::Key_Delete:
        if (IsCommandEnabled(cmDeleteWatch))
            DoCommand(cmDeleteWatch);
        return true;
    default:
        return false;
    }
}

void TWatchForm::GridDoubleClick() {
    const int row = grid_->CurrentRow();
    if (!HasEntry(row) || (QApplication::keyboardModifiers() & Qt::ControlModifier))
        EditWatch(row);
    else if (IsCommandEnabled(cmChangeValue))
        ChangeWatchValue(row);
}

void TWatchForm::AddWatch(const std::string& name, bool ask) {
    QString text = platform::AnsiToQString(name);
    if (ask && !AskName(this, text))
        return;
    if (text.isEmpty())
        return;
    Linotrex().AddWatch(platform::QStringToAnsi(text));
    SyncRows();
    grid_->viewport()->update();
}

void TWatchForm::EditWatch(int row) {
    auto& watches = Linotrex().Watches();
    const bool existing = HasEntry(row);
    QString name = existing ? platform::AnsiToQString(watches[size_t(row)]->GetName()) : QString();
    if (!AskName(this, name))
        return;
    if (!existing) {
        AddWatch(platform::QStringToAnsi(name), false);
    } else if (name.isEmpty()) {
        DeleteWatch(row);
    } else {
        // the row shows the new variable at once, so that its value is the one changed
        TWatchEntry& watch = *watches[size_t(row)];
        watch.SetName(platform::QStringToAnsi(name));
        watch.Evaluate(Linotrex().Handle());
        grid_->InvalidateRow(row);
    }
}

void TWatchForm::DeleteWatch(int row) {
    auto& watches = Linotrex().Watches();
    if (!HasEntry(row))
        return;
    watches.erase(watches.begin() + row);
    SyncRows();
    grid_->viewport()->update();
}

void TWatchForm::ChangeWatchValue(int row) {
    if (!HasEntry(row))
        return;
    TLinotrex& wrapper = Linotrex();
    const TWatchEntry& watch = *wrapper.Watches()[size_t(row)];
    QString text = QString::number(watch.Value());
    // The variable of the name the row shows takes the value, also during a run; a refused
    // value keeps the box open and says why.
    const std::string name = watch.GetName();
    InputQuery(this, QStringLiteral("Variable \u00E4ndern"),
               QStringLiteral("Geben Sie den neuen Wert ein:"), text,
               [&wrapper, &name](const QString& entered) {
                   bool ok = false;
                   const int value = entered.trimmed().toInt(&ok);
                   if (!ok || value < -32768 || value > 32767)
                       return QStringLiteral(
                                  "\u201E%1\u201C ist keine ganze Zahl von -32768 bis 32767.")
                           .arg(entered.trimmed());
                   const QString variable = platform::AnsiToQString(name);
                   const uint32_t id = wrapper.MapSymbol(name);
                   if (id == 0)
                       return QStringLiteral("%1 ist im \u00FCbersetzten Programm nicht bekannt.")
                           .arg(variable);
                   if (!wrapper.SetSymbolValue(id, value))
                       return QStringLiteral(
                                  "%1 nimmt den Wert %2 nicht an: Bit-Variablen nehmen nur 0, 1 "
                                  "und -1, Byte-Variablen nur 0 bis 255, und Ausg\u00E4nge "
                                  "setzt allein das Programm.")
                           .arg(variable)
                           .arg(value);
                   return QString();
               });
    grid_->InvalidateRow(row);
}

void TWatchForm::RepaintChangedWatches() {
    SyncRows();
    const auto& watches = Linotrex().Watches();
    for (size_t row = 0; row < watches.size(); ++row) {
        if (watches[row]->Redraw())
            grid_->InvalidateRow(int(row));
    }
}

bool TWatchForm::Idle(QObject*) {
    SyncRows();
    return false;
}

bool TWatchForm::IsCommandEnabled(int cmd) {
    if (IsSimulatorCommand(cmd))
        return SimulatorCommandEnabled(Linotrex(), cmd);
    const int row = grid_->CurrentRow();
    switch (cmd) {
    case cmDeleteWatch:
    case cmEditWatch:
        return HasEntry(row);
    case cmInsertWatch:
        return true;
    case cmChangeValue:
        return HasEntry(row) &&
               Linotrex().Watches()[size_t(row)]->GetState() != TWatchEntry::Invalid;
    default:
        return TMDIChildForm::IsCommandEnabled(cmd);
    }
}

void TWatchForm::DoCommand(int cmd) {
    if (IsSimulatorCommand(cmd))
        return DoSimulatorCommand(Linotrex(), cmd);
    const int row = grid_->CurrentRow();
    switch (cmd) {
    case cmDeleteWatch:
        DeleteWatch(row);
        break;
    case cmInsertWatch:
        SyncRows();
        grid_->SetCurrentRow(grid_->RowCount() - 1);
        EditWatch(grid_->CurrentRow());
        break;
    case cmEditWatch:
        if (HasEntry(row))
            EditWatch(row);
        break;
    case cmChangeValue:
        if (IsCommandEnabled(cmd))
            ChangeWatchValue(row);
        break;
    default:
        TMDIChildForm::DoCommand(cmd);
    }
}

void TWatchForm::ColorsChanged() {
    columns_->SetViewFont(ColorSettings().Font(fvWatch), WatchColor(clWatchBackgnd));
}

TWatchForm* ShowWatchWindow(QMdiArea* area, bool activate) {
    return ShowSingleChild(WatchForm, area, nullptr, activate);
}

void ReadWatchSettings(TWinRegistry& reg, bool withPlace) {
    if (withPlace)
        WatchWindowRect.Read(reg, Section);
    WatchNameColWidth = reg.ReadInteger(Section, QStringLiteral("NameColWidth"), 100);
    const int count = reg.ReadInteger(Section, QStringLiteral("WatchCount"), 0);
    TLinotrex& wrapper = Linotrex();
    wrapper.Watches().clear();
    // A missing or empty name is skipped and the names behind it still count; a long run of
    // missing ones means a damaged count.
    constexpr int MaxGap = 100;
    for (int i = 1, gap = 0; i <= count && gap < MaxGap; ++i) {
        const QString name = reg.ReadString(Section, QStringLiteral("Watch%1").arg(i), QString());
        gap = name.isEmpty() ? gap + 1 : 0;
        std::string ansi = platform::QStringToAnsi(name);
        if (ansi.size() > size_t(TWatchForm::MaxNameLength))
            ansi.resize(size_t(TWatchForm::MaxNameLength));
        if (!ansi.empty())
            wrapper.AddWatch(ansi);
    }
    if (WatchForm)
        WatchForm->SyncRows();
}

void WriteWatchSettings(TWinRegistry& reg) {
    if (WatchForm)
        KeepClosingPlace(WatchWindowRect, *WatchForm);
    reg.EraseSection(Section);
    WatchWindowRect.Write(reg, Section);
    reg.WriteInteger(Section, QStringLiteral("NameColWidth"), WatchNameColWidth);
    const auto& watches = Linotrex().Watches();
    reg.WriteInteger(Section, QStringLiteral("WatchCount"), int(watches.size()));
    for (size_t i = 0; i < watches.size(); ++i)
        reg.WriteString(Section, QStringLiteral("Watch%1").arg(i + 1),
                        platform::AnsiToQString(watches[i]->GetName()));
}

void ConnectWatchWindow(QMdiArea* area, TLinotrex& wrapper) {
    wrapper.Views().RepaintChangedWatches = [] {
        if (WatchForm)
            WatchForm->RepaintChangedWatches();
    };
    wrapper.Views().ShowWatchWindow = [area] {
        TWatchForm* form = ShowWatchWindow(area, false);
        // the caller adds its watch after this returns
        QTimer::singleShot(0, form, [form] {
            form->SyncRows();
            form->Grid()->viewport()->update();
        });
    };
}

} // namespace harvel
