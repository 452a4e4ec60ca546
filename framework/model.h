// Document base: views, numbered notifications, undo and redo, load, save and close query.
#pragma once

#include <QString>
#include <cstdint>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class TMDIChildForm;
class TModel;

// Raised by the framework for misuse by a subclass (the text is shown as it is).
class EFrameworkError : public std::runtime_error {
public:
    explicit EFrameworkError(const QString& message)
        : std::runtime_error(message.toUtf8().toStdString()) {}
    QString Message() const { return QString::fromUtf8(what()); }
};

// Notification data: a number or the address of a record, as the code fixes.
using NotifyData = intptr_t;

// One recorded edit. Undoing it records its inverse on the other stack.
class TUndoAction {
public:
    TUndoAction() = default;
    virtual ~TUndoAction() = default;
    TUndoAction(const TUndoAction&) = delete;
    TUndoAction& operator=(const TUndoAction&) = delete;

    // Fills the inverse action with the document state as it is now, before the change.
    virtual void SaveRedoData(TUndoAction* redoAction, TModel* model);
    // Reverts (or, with isRedo, repeats) the edit; false when nothing was done.
    virtual bool UndoAction(TModel* model, bool isRedo);

    // Creates the inverse of type Inverse, lets SaveRedoData fill it and puts it on the
    // redo stack (or, when redoing, on the undo stack without touching the redo stack).
    template <class Inverse> void CreateRedoAction(TModel* model, bool isRedo) {
        CreateRedoAction(model, isRedo, std::make_unique<Inverse>());
    }
    void CreateRedoAction(TModel* model, bool isRedo, std::unique_ptr<TUndoAction> inverse);
};

// A view without a window (the project tree). It leaves its model when destroyed.
class TSpecialView {
public:
    TSpecialView() = default;
    virtual ~TSpecialView();
    TSpecialView(const TSpecialView&) = delete;
    TSpecialView& operator=(const TSpecialView&) = delete;

    virtual void DoCommand(int cmd);
    virtual bool IsCommandEnabled(int cmd);
    virtual void UpdateAspekt(int code, NotifyData data);
    // The model is going; Model() is already nil.
    virtual void ModelDestroyed();

    TModel* Model() const { return model_; }
    // Leaves the old model's list and joins the new one's.
    void SetModel(TModel* model);

private:
    friend class TModel;
    TModel* model_ = nullptr;
};

class TModel {
public:
    static constexpr int MaxUndo = 100;

    explicit TModel(bool autoFree);
    virtual ~TModel();
    TModel(const TModel&) = delete;
    TModel& operator=(const TModel&) = delete;

    // Frees the document data. The base destructor cannot reach a subclass's override, so a
    // subclass calls it from its own destructor.
    virtual void FreeData();
    virtual void UpdateFromViews();
    virtual void NotifyViews(int code, NotifyData data);
    virtual bool CloseQuery();
    virtual bool InitNew();
    virtual bool LoadFromFile(const QString& fileName);
    virtual bool Save();
    // With changeName false a copy is written under the new name; the model stays as it is.
    virtual bool SaveAs(bool changeName);
    virtual void GetFileDialogStrings(QString& filter, QString& defaultExt);
    virtual QString GetUntitledName();
    virtual void ClearUndo();

    void AddView(TMDIChildForm* view);
    void RemoveView(TMDIChildForm* view);
    void AddSpecialView(TSpecialView* view);
    void RemoveSpecialView(TSpecialView* view);
    TMDIChildForm* GetView(int index) const { return views_.at(static_cast<size_t>(index)); }
    int ViewCount() const { return static_cast<int>(views_.size()); }
    int SpecialViewCount() const { return static_cast<int>(specialViews_.size()); }

    void AddUndoAction(std::unique_ptr<TUndoAction> action, bool fromRedo);
    void AddRedoAction(std::unique_ptr<TUndoAction> action);
    bool CanUndo() const { return !undoStack_.empty(); }
    bool CanRedo() const { return !redoStack_.empty(); }
    void Undo();
    void Redo();
    int UndoCount() const { return static_cast<int>(undoStack_.size()); }
    int RedoCount() const { return static_cast<int>(redoStack_.size()); }

    void SetModifiedBeyondUndo() { modifiedBeyondUndo_ = true; }
    bool ModifiedBeyondUndo() const { return modifiedBeyondUndo_; }
    bool Modified() const { return modified_; }
    // Modified, or a view holds edits it has not handed over yet: what saving would store.
    bool HasUnsavedChanges() const;
    bool AutoFree() const { return autoFree_; }
    const QString& FileName() const { return fileName_; }
    void SetFileName(const QString& fileName) { fileName_ = fileName; }
    QString GetDisplayName();

protected:
    // For a subclass whose edits bypass the undo stacks.
    void SetModified(bool modified) { modified_ = modified; }
    virtual bool DoLoad(const QString& fileName);
    // The document's file content for a save as fileName; false (having told why) when nothing
    // is to be saved. The save itself writes the content.
    virtual bool DoSave(const QString& fileName, std::string& content);

private:
    // Writes DoSave's content as target; a failure is shown and leaves the model as it is.
    bool SaveTo(const QString& target);
    void PopAction(std::deque<std::unique_ptr<TUndoAction>>& stack, TUndoAction* action);
    void FreeIfUnused();

    QString fileName_;
    bool autoFree_ = false;
    std::vector<TMDIChildForm*> views_;
    std::vector<TSpecialView*> specialViews_;
    bool destroying_ = false;
    bool modified_ = false;
    bool modifiedBeyondUndo_ = false;
    std::deque<std::unique_ptr<TUndoAction>> undoStack_;
    std::deque<std::unique_ptr<TUndoAction>> redoStack_;
    int notifyDepth_ = 0;
    bool freePending_ = false;
};
