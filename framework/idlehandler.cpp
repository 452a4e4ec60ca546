#include "framework/idlehandler.h"

#include "platform/qt/failure.h"
#include "platform/qt/idlequiet.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QScopedValueRollback>

namespace {
const QEvent::Type IdleEvent = QEvent::Type(QEvent::registerEventType());
} // namespace

TIdleHandler::TIdleHandler(QObject* owner, std::function<bool()> idle, std::function<void()> enable)
    : QObject(owner), idle_(std::move(idle)), enable_(std::move(enable)) {
    setObjectName(QStringLiteral("IdleHandler"));
}

TIdleHandler::~TIdleHandler() {
    Stop();
}

void TIdleHandler::Start() {
    if (active_)
        return;
    active_ = true;
    pending_ = stale_ = true;
    QCoreApplication::instance()->installEventFilter(this);
    connect(QAbstractEventDispatcher::instance(thread()), &QAbstractEventDispatcher::aboutToBlock,
            this, &TIdleHandler::AboutToBlock);
}

void TIdleHandler::Stop() {
    if (!active_)
        return;
    active_ = false;
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
        disconnect(dispatcher, nullptr, this, nullptr);
}

void TIdleHandler::AboutToBlock() {
    if (!active_ || running_ || !pending_)
        return;
    QEvent run(IdleEvent);
    QCoreApplication::sendEvent(this, &run);
}

bool TIdleHandler::event(QEvent* event) {
    if (event->type() != IdleEvent)
        return QObject::event(event);
    pending_ = stale_ = false;
    ++runs_;
    bool more = false;
    {
        // Events while idle runs count: a pass that changes something is followed by one more,
        // a pass that changes nothing lets the loop wait. A failure's box is shown while the
        // guard still holds, so that the box's own loop does not call idle again.
        const QScopedValueRollback<bool> guard(running_, true);
        try {
            more = idle_();
        } catch (...) {
            platform::ShowFailure();
        }
    }
    if (more && active_) {
        pending_ = true;
        QAbstractEventDispatcher::instance(thread())->wakeUp();
    }
    return true;
}

bool TIdleHandler::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // The shortcut map looks at the enabling right after this.
        if (stale_ && enable_ && !running_) {
            {
                const QScopedValueRollback<bool> guard(running_, true);
                try {
                    enable_();
                } catch (...) {
                    platform::ShowFailureLater();
                }
            }
            stale_ = false;
        }
        pending_ = true;
        break;
    case QEvent::Timer:
        if (!IsIdleQuiet(watched))
            pending_ = stale_ = true;
        break;
    case QEvent::Paint:
    case QEvent::UpdateRequest:
    case QEvent::UpdateLater:
    case QEvent::LayoutRequest:
        // Drawing and layout follow changes; they make none.
        break;
    default:
        pending_ = stale_ = true;
        break;
    }
    return false;
}
