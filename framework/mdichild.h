// Base of every MDI document and tool window: a view of a model, command target, idle taker
// and writer and reader of its own desktop record.
#pragma once

#include "framework/desktop.h"
#include "framework/model.h"

#include <QMdiSubWindow>
#include <QRect>
#include <functional>

class QMdiArea;

enum TWindowState : int32_t { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

class TMDIChildForm : public QMdiSubWindow {
    Q_OBJECT

public:
    // Left, Top, Width and Height of this value leave the placement to the MDI area.
    static constexpr int32_t DefaultPosition = INT32_MIN;
    static constexpr int MinimumWidth = 240;
    static constexpr int MinimumHeight = 100;

    // Attaches the window to the model as a view (model may be null).
    explicit TMDIChildForm(TModel* model, QWidget* parent = nullptr);
    ~TMDIChildForm() override;

    // Constructs a window and runs ModelAttached once construction is complete.
    template <class T, class... Args> static T* Create(TModel* model, Args&&... args) {
        T* form = new T(model, std::forward<Args>(args)...);
        form->FinishCreate();
        return form;
    }

    TModel* Model() const { return model_; }

    virtual bool Idle(QObject* sender);
    virtual void DoCommand(int cmd);
    virtual bool IsCommandEnabled(int cmd);
    virtual void ModelDestroyed();
    virtual void ModelAttached();
    virtual void UpdateModel();
    // Whether UpdateModel has edits to hand over.
    virtual bool HasPendingEdits() const;
    virtual void UpdateAspekt(int code, NotifyData data);
    virtual void ColorsChanged();
    virtual void OptionsChanged();
    virtual void LoadDesktop(TDesktopReader& reader);
    virtual void RegisterInstance();
    virtual void SaveDesktop(TDesktopWriter& writer);

    // Placement of the next window created, shared by all window classes.
    static void SetNextPlacement(int32_t left, int32_t top, int32_t width, int32_t height,
                                 TWindowState state);
    static void GetNextPlacement(int32_t& left, int32_t& top, int32_t& width, int32_t& height,
                                 TWindowState& state);
    // The designed size of a window created without a stored one.
    void ResizeUnlessPlaced(int width, int height);

    // The normal (restored) rectangle, also while minimized or maximized; (-1, -1, -1, -1)
    // before the window has one.
    QRect GetNormalBounds() const;
    TWindowState FormWindowState() const;

    // This window's desktop record, framed so that a reader can skip it.
    void SaveDesktopRecord(TDesktopWriter& writer);
    // Reads one window record, creates the window in area with model and shows it. A record
    // that cannot be read is skipped with an error box; null then. A damaged frame leaves no
    // way to the next record and raises EDesktopError.
    static TMDIChildForm* LoadDesktopRecord(TDesktopReader& reader, QMdiArea* area, TModel* model);

    // Runs ModelAttached unless that happened already.
    void FinishCreate();

protected:
    // Places the window at its own stored rectangle; the MDI area's place is then left alone.
    void PlaceAt(const QRect& bounds);

    // Every handler of every window (show, resize, close, and those of the windows built on this
    // one) runs guarded here.
    bool event(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void TrackNormalBounds();
    // Moves (and if need be shrinks) the window into its MDI area's visible part.
    void KeepInsideArea();

    TModel* model_ = nullptr;
    bool attached_ = false;
    QRect normalBounds_;
    QRect initialBounds_;
    TWindowState initialState_ = wsNormal;
    bool stateApplied_ = false;
    bool ownPlace_ = false;
};

// Window classes by name, for the desktop reader. A class registers once at start-up.
using TMDIChildFactory = std::function<TMDIChildForm*(TModel*)>;
void RegisterMDIChildClass(const QString& className, TMDIChildFactory factory);
// Null when the name is not registered.
const TMDIChildFactory* FindMDIChildClass(const QString& className);

// Registers T under its spelt-out name. Programs call this at start, before the desktop is
// read: a registration left to a static object is lost when the linker drops its unit, and runs
// in no defined order with the meta objects.
template <class T> void RegisterMDIChildClass(const char* className) {
    RegisterMDIChildClass(QLatin1String(className), [](TModel* model) -> TMDIChildForm* {
        return TMDIChildForm::Create<T>(model);
    });
}

template <class T> void RegisterMDIChildClass() {
    RegisterMDIChildClass<T>(T::staticMetaObject.className());
}
