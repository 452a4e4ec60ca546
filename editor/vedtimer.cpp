#include "editor/vedtimer.h"

#include "editor/vedexcept.h"
#include "platform/system.h"

#include <algorithm>

namespace ved {

namespace {
constexpr int Slack = 27;       // ms a trigger may fire early
constexpr int MinimumStep = 55; // smallest period the pool uses
} // namespace

TVedTimerPool::TVedTimerPool(std::function<uint32_t()> tickCount, TVedTimerDriver* driver)
    : tickCount_(tickCount ? std::move(tickCount) : std::function<uint32_t()>(platform::TickCount)),
      driver_(driver) {}

TVedTimerPool::~TVedTimerPool() {
    period_ = 0;
    if (driver_)
        driver_->Stop();
}

int32_t TVedTimerPool::Now() const {
    return static_cast<int32_t>(tickCount_());
}

int TVedTimerPool::IndexOf(int32_t handle) const {
    for (size_t i = 0; i < triggers_.size(); ++i)
        if (triggers_[i]->handle == handle)
            return static_cast<int>(i);
    return -1;
}

int32_t TVedTimerPool::AddTrigger(uint16_t interval, TTriggerEvent event, bool repeat,
                                  bool enabled) {
    auto t = std::make_unique<Trigger>();
    t->enabled = enabled;
    t->handle = nextHandle_++;
    t->startTick = t->lastFired = Now();
    t->interval = interval;
    t->event = std::move(event);
    t->repeat = repeat;
    const int32_t handle = t->handle;
    triggers_.push_back(std::move(t));
    Restart();
    return handle;
}

void TVedTimerPool::RemoveTrigger(int32_t handle) {
    const int index = IndexOf(handle);
    if (index < 0)
        return;
    triggers_.erase(triggers_.begin() + index);
    Restart();
}

void TVedTimerPool::SetTriggerEnabled(int32_t handle, bool enabled) {
    const int index = IndexOf(handle);
    if (index < 0 || triggers_[static_cast<size_t>(index)]->enabled == enabled)
        return;
    triggers_[static_cast<size_t>(index)]->enabled = enabled;
    Restart();
}

void TVedTimerPool::Check() {
    const int32_t now = Now();
    // Events may add or remove triggers: walk a snapshot of the handles.
    std::vector<int32_t> handles;
    for (const auto& t : triggers_)
        handles.push_back(t->handle);
    for (int32_t handle : handles) {
        int index = IndexOf(handle);
        if (index < 0)
            continue;
        Trigger* t = triggers_[static_cast<size_t>(index)].get();
        if (!t->enabled ||
            static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(t->lastFired)) <
                t->interval - Slack)
            continue;
        t->lastFired = now;
        const uint16_t interval = t->interval;
        const int32_t elapsed =
            static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(t->startTick));
        const bool repeat = t->repeat;
        if (t->event) {
            TTriggerEvent event = t->event; // the trigger may go away while its event runs
            event(*this, handle, interval, elapsed);
        }
        if (OnAllTriggers)
            OnAllTriggers(*this, handle, interval, elapsed);
        if (!repeat)
            RemoveTrigger(handle);
    }
}

void TVedTimerPool::ComputePeriod() {
    const int32_t now = Now();
    int period = 65535;
    enabled_ = 0;
    for (const auto& t : triggers_) {
        if (!t->enabled)
            continue;
        ++enabled_;
        period = std::min<int>(period, t->interval);
        const int left = t->interval + static_cast<int32_t>(static_cast<uint32_t>(t->lastFired) -
                                                            static_cast<uint32_t>(now));
        period = std::min(period, std::max(left, 0));
    }
    if (enabled_ == 0) {
        period_ = 0;
        return;
    }
    period = std::max(period, MinimumStep);
    // a period that divides every interval keeps all triggers on time
    for (bool again = true; again;) {
        again = false;
        for (const auto& t : triggers_) {
            if (t->interval % period != 0 && period > MinimumStep) {
                period -= t->interval % period;
                again = true;
                break;
            }
        }
    }
    period_ = static_cast<uint16_t>(std::max(period, MinimumStep));
}

void TVedTimerPool::Restart() {
    ComputePeriod();
    if (!driver_)
        return;
    driver_->Stop();
    if (period_ != 0 && enabled_ != 0 && !driver_->Start(period_))
        throw ENoTimersAvailable();
}

} // namespace ved
