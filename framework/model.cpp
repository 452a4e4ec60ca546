#include "framework/model.h"

#include "framework/mdichild.h"
#include "framework/utils.h"
#include "platform/qt/dialogs.h"
#include "platform/savefile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

namespace {

QString ClassNameOf(const std::type_info& type) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    const QString name = QString::fromLatin1(status == 0 && demangled ? demangled : type.name());
    std::free(demangled);
    return name;
}

QString Address(const void* p) {
    return QStringLiteral("%1")
        .arg(reinterpret_cast<quintptr>(p), 8, 16, QLatin1Char('0'))
        .toUpper();
}

// The list errors of the views are reported, not raised: a beep and an error box.
void ReportListError(const QString& text) {
    platform::MessageBeep(platform::BeepKind::Default);
    platform::MessageBox(platform::BoxKind::Error, text,
                         static_cast<platform::Buttons>(platform::Button::Ok));
}

} // namespace

// ---------------------------------------------------------------------------------------------

void TUndoAction::SaveRedoData(TUndoAction*, TModel*) {}

bool TUndoAction::UndoAction(TModel*, bool) {
    return false;
}

void TUndoAction::CreateRedoAction(TModel* model, bool isRedo,
                                   std::unique_ptr<TUndoAction> inverse) {
    // Should filling or filing the inverse fail, the unique_ptr frees it on the way out.
    SaveRedoData(inverse.get(), model);
    if (isRedo)
        model->AddUndoAction(std::move(inverse), true);
    else
        model->AddRedoAction(std::move(inverse));
}

// ---------------------------------------------------------------------------------------------

TSpecialView::~TSpecialView() {
    if (model_)
        model_->RemoveSpecialView(this);
}

void TSpecialView::DoCommand(int) {}

bool TSpecialView::IsCommandEnabled(int) {
    return false;
}

void TSpecialView::UpdateAspekt(int, NotifyData) {}

void TSpecialView::ModelDestroyed() {}

void TSpecialView::SetModel(TModel* model) {
    if (model == model_)
        return;
    if (model_)
        model_->RemoveSpecialView(this);
    model_ = nullptr;
    if (model)
        model->AddSpecialView(this);
}

// ---------------------------------------------------------------------------------------------

TModel::TModel(bool autoFree) : autoFree_(autoFree) {}

TModel::~TModel() {
    destroying_ = true;
    const std::vector<TMDIChildForm*> views = views_;
    for (TMDIChildForm* view : views)
        view->ModelDestroyed();
    views_.clear();
    // Each special view hears of the end once; one may free another as it goes.
    while (!specialViews_.empty()) {
        TSpecialView* view = specialViews_.front();
        specialViews_.erase(specialViews_.begin());
        view->model_ = nullptr;
        view->ModelDestroyed();
    }
    ClearUndo();
}

void TModel::FreeData() {}

void TModel::UpdateFromViews() {
    const std::vector<TMDIChildForm*> views = views_;
    for (TMDIChildForm* view : views) {
        if (std::find(views_.begin(), views_.end(), view) != views_.end())
            view->UpdateModel();
    }
}

bool TModel::HasUnsavedChanges() const {
    return modified_ || std::any_of(views_.begin(), views_.end(), [](const TMDIChildForm* view) {
               return view->HasPendingEdits();
           });
}

void TModel::NotifyViews(int code, NotifyData data) {
    // Views may close during the notification: each one is called only while still attached,
    // and a model that loses its last view frees itself after the round.
    ++notifyDepth_;
    const std::vector<TMDIChildForm*> views = views_;
    for (TMDIChildForm* view : views) {
        if (std::find(views_.begin(), views_.end(), view) != views_.end())
            view->UpdateAspekt(code, data);
    }
    const std::vector<TSpecialView*> specials = specialViews_;
    for (TSpecialView* view : specials) {
        if (std::find(specialViews_.begin(), specialViews_.end(), view) != specialViews_.end())
            view->UpdateAspekt(code, data);
    }
    --notifyDepth_;
    if (notifyDepth_ == 0 && freePending_)
        FreeIfUnused();
}

bool TModel::CloseQuery() {
    UpdateFromViews();
    if (!modified_)
        return true;
    platform::MessageBeep(platform::BeepKind::Question);
    const platform::Button answer = platform::MessageBox(
        platform::BoxKind::Confirmation,
        QStringLiteral("%1 wurde geändert. Speichern?").arg(GetDisplayName()),
        platform::Button::Yes | platform::Button::No | platform::Button::Cancel);
    switch (answer) {
    case platform::Button::Yes:
        return Save();
    case platform::Button::No:
        return true;
    default:
        return false;
    }
}

bool TModel::InitNew() {
    return true;
}

bool TModel::LoadFromFile(const QString& fileName) {
    platform::WaitCursor wait;
    fileName_ = fileName;
    return DoLoad(fileName);
}

bool TModel::Save() {
    if (fileName_.isEmpty())
        return SaveAs(true);
    platform::WaitCursor wait;
    UpdateFromViews();
    const bool ok = SaveTo(fileName_);
    if (ok) {
        ClearUndo();
        modified_ = false;
    }
    return ok;
}

bool TModel::SaveAs(bool changeName) {
    QString filter;
    QString defaultExt;
    GetFileDialogStrings(filter, defaultExt);
    if (!filter.isEmpty() && !filter.endsWith(QLatin1Char('|')))
        filter += QLatin1Char('|');

    platform::SaveDialogRequest request;
    request.title = QStringLiteral("Speichere %1 als").arg(GetDisplayName());
    request.defaultExt = defaultExt;
    request.fileName = fileName_;
    request.filter = filter + QStringLiteral("Alle Dateien (*.*)|*.*");
    const std::optional<QString> newName = platform::SaveFileDialog(request);
    if (!newName || newName->isEmpty())
        return false;

    platform::WaitCursor wait;
    UpdateFromViews();
    const bool ok = SaveTo(*newName);
    if (ok && changeName) {
        ClearUndo();
        modified_ = false;
        fileName_ = *newName;
    }
    return ok;
}

void TModel::GetFileDialogStrings(QString&, QString&) {
    throw EFrameworkError(QStringLiteral("%1.GetFileDialogStrings nicht überschrieben")
                              .arg(ClassNameOf(typeid(*this))));
}

QString TModel::GetUntitledName() {
    return QStringLiteral("Unbenannt");
}

void TModel::ClearUndo() {
    undoStack_.clear();
    redoStack_.clear();
}

bool TModel::DoLoad(const QString&) {
    return true;
}

bool TModel::DoSave(const QString&, std::string&) {
    return true;
}

bool TModel::SaveTo(const QString& target) {
    std::string content;
    if (!DoSave(target, content)) // DoSave has told why
        return false;
    const platform::SaveFailure failure =
        platform::SaveWholeFile(QFile::encodeName(target).toStdString(), content);
    if (failure)
        ShowError(SaveFailureText(
            failure, QStringLiteral("%1 ist noch ge\u00F6ffnet; speichern Sie es unter einem "
                                    "anderen Namen.")
                         .arg(GetDisplayName())));
    return !failure;
}

QString TModel::GetDisplayName() {
    if (fileName_.isEmpty())
        return GetUntitledName();
    QString filter;
    QString defaultExt;
    GetFileDialogStrings(filter, defaultExt);
    QString name = QFileInfo(fileName_).fileName();
    const QString extension = QLatin1Char('.') + defaultExt;
    if (!defaultExt.isEmpty() && name.endsWith(extension, Qt::CaseInsensitive))
        name.chop(extension.size());
    return name;
}

void TModel::AddView(TMDIChildForm* view) {
    if (!view)
        return;
    if (std::find(views_.begin(), views_.end(), view) != views_.end()) {
        ReportListError(QStringLiteral("Model %1 [AddView]: View %2 schon enthalten")
                            .arg(Address(this), Address(view)));
        return;
    }
    views_.push_back(view);
}

void TModel::RemoveView(TMDIChildForm* view) {
    if (!view || destroying_)
        return;
    const auto it = std::find(views_.begin(), views_.end(), view);
    if (it == views_.end()) {
        ReportListError(QStringLiteral("Model %1 [RemoveView]: View %2 nicht enthalten")
                            .arg(Address(this), Address(view)));
        return;
    }
    views_.erase(it);
    if (views_.empty() && autoFree_) {
        freePending_ = true;
        if (notifyDepth_ == 0)
            FreeIfUnused();
    }
}

void TModel::FreeIfUnused() {
    freePending_ = false;
    if (views_.empty() && autoFree_)
        delete this;
}

void TModel::AddSpecialView(TSpecialView* view) {
    if (!view)
        return;
    if (std::find(specialViews_.begin(), specialViews_.end(), view) != specialViews_.end()) {
        ReportListError(QStringLiteral("Model %1 [AddSpecialView]: View %2 schon enthalten")
                            .arg(Address(this), Address(view)));
        return;
    }
    specialViews_.push_back(view);
    view->model_ = this;
}

void TModel::RemoveSpecialView(TSpecialView* view) {
    // Also while destroying: a view may free a special view as the model goes, and the
    // destructor must not reach it afterwards.
    if (!view)
        return;
    const auto it = std::find(specialViews_.begin(), specialViews_.end(), view);
    if (it != specialViews_.end())
        specialViews_.erase(it);
    if (view->model_ == this)
        view->model_ = nullptr;
}

void TModel::AddUndoAction(std::unique_ptr<TUndoAction> action, bool fromRedo) {
    if (!fromRedo)
        redoStack_.clear();
    modified_ = true;
    undoStack_.push_front(std::move(action));
    if (undoStack_.size() > static_cast<size_t>(MaxUndo)) {
        modifiedBeyondUndo_ = true;
        undoStack_.pop_back();
    }
}

void TModel::AddRedoAction(std::unique_ptr<TUndoAction> action) {
    redoStack_.push_front(std::move(action));
    if (redoStack_.size() > static_cast<size_t>(MaxUndo))
        redoStack_.pop_back();
}

void TModel::PopAction(std::deque<std::unique_ptr<TUndoAction>>& stack, TUndoAction* action) {
    // The action may have moved while it ran (its inverse landed on the same stack).
    const auto it = std::find_if(stack.begin(), stack.end(),
                                 [action](const auto& entry) { return entry.get() == action; });
    if (it != stack.end())
        stack.erase(it);
}

void TModel::Undo() {
    if (undoStack_.empty())
        throw EFrameworkError(QStringLiteral("TModel.Undo: keine Aktion vorhanden"));
    platform::WaitCursor wait;
    TUndoAction* action = undoStack_.front().get();
    try {
        const bool done = action->UndoAction(this, false);
        if (done && undoStack_.size() == 1 && !modifiedBeyondUndo_)
            modified_ = false;
    } catch (...) {
        PopAction(undoStack_, action);
        throw;
    }
    PopAction(undoStack_, action);
}

void TModel::Redo() {
    if (redoStack_.empty())
        throw EFrameworkError(QStringLiteral("TModel.Redo: keine Aktion vorhanden"));
    platform::WaitCursor wait;
    TUndoAction* action = redoStack_.front().get();
    try {
        if (action->UndoAction(this, true))
            modified_ = true;
    } catch (...) {
        PopAction(redoStack_, action);
        throw;
    }
    PopAction(redoStack_, action);
}
