#include "framework/mdichild.h"

#include "framework/utils.h"
#include "platform/qt/failure.h"

#include <QHash>
#include <QMdiArea>
#include <QMouseEvent>
#include <QShowEvent>
#include <algorithm>

namespace {

struct Placement {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    TWindowState state = wsNormal;
};

Placement& NextPlacement() {
    static Placement placement;
    return placement;
}

QHash<QString, TMDIChildFactory>& WindowClasses() {
    static QHash<QString, TMDIChildFactory> classes;
    return classes;
}

} // namespace

TMDIChildForm::TMDIChildForm(TModel* model, QWidget* parent)
    : QMdiSubWindow(parent), model_(model) {
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(MinimumWidth, MinimumHeight);

    int32_t left, top, width, height;
    GetNextPlacement(left, top, width, height, initialState_);
    if (width > 0 && height > 0) {
        initialBounds_ = QRect(left, top, width, height);
        setGeometry(initialBounds_);
    }
    if (model_)
        model_->AddView(this);
}

TMDIChildForm::~TMDIChildForm() {
    if (model_)
        model_->RemoveView(this);
}

void TMDIChildForm::FinishCreate() {
    if (attached_)
        return;
    attached_ = true;
    if (model_)
        ModelAttached();
}

bool TMDIChildForm::Idle(QObject*) {
    return false;
}

void TMDIChildForm::DoCommand(int) {}

bool TMDIChildForm::IsCommandEnabled(int) {
    return false;
}

void TMDIChildForm::ModelDestroyed() {
    model_ = nullptr;
    close();
}

void TMDIChildForm::ModelAttached() {}

void TMDIChildForm::UpdateModel() {}

bool TMDIChildForm::HasPendingEdits() const {
    return false;
}

void TMDIChildForm::UpdateAspekt(int, NotifyData) {}

void TMDIChildForm::ColorsChanged() {}

void TMDIChildForm::OptionsChanged() {}

void TMDIChildForm::LoadDesktop(TDesktopReader&) {
    RegisterInstance();
}

void TMDIChildForm::RegisterInstance() {}

void TMDIChildForm::SaveDesktop(TDesktopWriter& writer) {
    writer.WriteString(QString::fromLatin1(metaObject()->className()));
    // The normal rectangle brings a minimized or maximized window back at its restored place.
    const QRect r = normalBounds_.isValid() ? normalBounds_ : geometry();
    writer.WriteInteger(r.left());
    writer.WriteInteger(r.top());
    writer.WriteInteger(r.width());
    writer.WriteInteger(r.height());
    writer.WriteInteger(FormWindowState());
}

void TMDIChildForm::SaveDesktopRecord(TDesktopWriter& writer) {
    writer.BeginRecord();
    SaveDesktop(writer);
    writer.EndRecord();
}

TMDIChildForm* TMDIChildForm::LoadDesktopRecord(TDesktopReader& reader, QMdiArea* area,
                                                TModel* model) {
    const int depth = reader.RecordDepth();
    // A damaged frame leaves no way to find the next record; the caller stops there.
    reader.BeginRecord();
    TMDIChildForm* form = nullptr;
    try {
        const QString className = reader.ReadString();
        const TMDIChildFactory* factory = FindMDIChildClass(className);
        if (!factory)
            throw EDesktopError(QStringLiteral("Unbekannte Fensterklasse %1").arg(className));
        const int32_t left = reader.ReadInteger();
        const int32_t top = reader.ReadInteger();
        const int32_t width = reader.ReadInteger();
        const int32_t height = reader.ReadInteger();
        const int32_t state = reader.ReadInteger();
        if (state < wsNormal || state > wsMaximized)
            throw EDesktopError(QStringLiteral("Ungültiger Fensterzustand %1").arg(state));
        SetNextPlacement(left, top, width, height, static_cast<TWindowState>(state));
        form = (*factory)(model);
        if (area)
            area->addSubWindow(form);
        form->LoadDesktop(reader);
        reader.EndRecord();
    } catch (const std::exception& error) {
        delete form;
        reader.LeaveRecordsTo(depth);
        ShowError(QStringLiteral("Ein Fenster der Desktop-Datei wird übersprungen:\r\n%1")
                      .arg(ErrorText(error)));
        return nullptr;
    }
    form->show();
    return form;
}

void TMDIChildForm::SetNextPlacement(int32_t left, int32_t top, int32_t width, int32_t height,
                                     TWindowState state) {
    NextPlacement() = Placement{left, top, width, height, state};
}

void TMDIChildForm::GetNextPlacement(int32_t& left, int32_t& top, int32_t& width, int32_t& height,
                                     TWindowState& state) {
    const Placement& placement = NextPlacement();
    left = placement.left;
    top = placement.top;
    width = placement.width;
    height = placement.height;
    state = placement.state;
}

void TMDIChildForm::ResizeUnlessPlaced(int width, int height) {
    int32_t left, top, w, h;
    TWindowState state;
    GetNextPlacement(left, top, w, h, state);
    if (w < 1 || h < 1)
        resize(width, height);
}

QRect TMDIChildForm::GetNormalBounds() const {
    if (!normalBounds_.isValid())
        return QRect(QPoint(-1, -1), QPoint(-1, -1));
    return normalBounds_;
}

TWindowState TMDIChildForm::FormWindowState() const {
    const Qt::WindowStates state = windowState();
    if (state & Qt::WindowMinimized)
        return wsMinimized;
    if (state & Qt::WindowMaximized)
        return wsMaximized;
    return wsNormal;
}

void TMDIChildForm::PlaceAt(const QRect& bounds) {
    ownPlace_ = true;
    setGeometry(bounds);
}

void TMDIChildForm::KeepInsideArea() {
    QMdiArea* area = mdiArea();
    // A hidden area places its windows only as it shows.
    if (!area || !area->isVisible() ||
        (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        return;
    const QSize room = area->viewport()->size();
    QRect bounds = geometry();
    bounds.setSize(bounds.size().boundedTo(room).expandedTo(minimumSize()));
    bounds.moveLeft(std::max(0, std::min(bounds.left(), room.width() - bounds.width())));
    bounds.moveTop(std::max(0, std::min(bounds.top(), room.height() - bounds.height())));
    if (bounds != geometry())
        setGeometry(bounds);
}

void TMDIChildForm::TrackNormalBounds() {
    if (isVisible() && !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        normalBounds_ = geometry();
}

bool TMDIChildForm::event(QEvent* event) {
    return platform::GuardEvent(event, [&] { return QMdiSubWindow::event(event); });
}

void TMDIChildForm::moveEvent(QMoveEvent* event) {
    QMdiSubWindow::moveEvent(event);
    TrackNormalBounds();
}

void TMDIChildForm::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    TrackNormalBounds();
}

void TMDIChildForm::changeEvent(QEvent* event) {
    QMdiSubWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        TrackNormalBounds();
}

void TMDIChildForm::mousePressEvent(QMouseEvent* event) {
    // A title button acts on the control last hovered. A box shown while the pointer rested on
    // one leaves none hovered until the pointer moves, and the next click would be lost.
    QMouseEvent hover(QEvent::MouseMove, event->position(), event->globalPosition(), Qt::NoButton,
                      Qt::NoButton, event->modifiers());
    QMdiSubWindow::mouseMoveEvent(&hover);
    QMdiSubWindow::mousePressEvent(event);
}

void TMDIChildForm::showEvent(QShowEvent* event) {
    FinishCreate();
    QMdiSubWindow::showEvent(event);
    if (!stateApplied_) {
        // Placed only now: the MDI area places every window it receives unless it was moved.
        stateApplied_ = true;
        if (initialBounds_.isValid()) {
            setGeometry(initialBounds_);
            normalBounds_ = initialBounds_;
        } else if (!ownPlace_) {
            // The area's own placing puts a window wider than it partly left of it.
            KeepInsideArea();
        }
        if (initialState_ == wsMaximized)
            showMaximized();
        else if (initialState_ == wsMinimized)
            showMinimized();
        else
            TrackNormalBounds();
    }
}

void RegisterMDIChildClass(const QString& className, TMDIChildFactory factory) {
    WindowClasses().insert(className, std::move(factory));
}

const TMDIChildFactory* FindMDIChildClass(const QString& className) {
    const auto it = WindowClasses().constFind(className);
    return it == WindowClasses().constEnd() ? nullptr : &it.value();
}
