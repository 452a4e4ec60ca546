// Pool of periodic and one-shot triggers multiplexed on one platform timer. The pool is
// driven by a tick source and a timer driver given to it, so that it runs without windows;
// the control binds it to a real timer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace ved {

class TVedTimerPool;

// (Sender, Handle, Interval, ElapsedTime)
using TTriggerEvent =
    std::function<void(TVedTimerPool& sender, int32_t handle, uint16_t interval, int32_t elapsed)>;

// The one platform timer behind a pool: it calls TVedTimerPool::Check every period.
class TVedTimerDriver {
public:
    virtual ~TVedTimerDriver() = default;
    // (Re)starts the timer; false when no timer is available.
    virtual bool Start(uint16_t periodMs) = 0;
    virtual void Stop() = 0;
};

class TVedTimerPool {
public:
    // `tickCount` gives milliseconds (wrapping like the system tick count); the default is the
    // platform's. `driver` may be null (then nothing is started).
    explicit TVedTimerPool(std::function<uint32_t()> tickCount = {},
                           TVedTimerDriver* driver = nullptr);
    ~TVedTimerPool();
    TVedTimerPool(const TVedTimerPool&) = delete;
    TVedTimerPool& operator=(const TVedTimerPool&) = delete;

    // Adds a trigger due every `interval` ms (once, without `repeat`); returns its handle.
    // Raises ENoTimersAvailable when the driver cannot start.
    int32_t AddTrigger(uint16_t interval, TTriggerEvent event, bool repeat, bool enabled = true);
    // Removes a trigger; unknown handles are ignored.
    void RemoveTrigger(int32_t handle);
    void SetTriggerEnabled(int32_t handle, bool enabled);

    // The timer message: fires every enabled trigger that is due (27 ms of slack), its own
    // event first, then OnAllTriggers; one-shot triggers are removed after firing. An exception
    // of an event passes to the caller, whose timer binding hands it to the application.
    void Check();

    uint16_t Period() const { return period_; } // 0 = stopped
    int EnabledCount() const { return enabled_; }
    int Count() const { return static_cast<int>(triggers_.size()); }

    TTriggerEvent OnAllTriggers;

private:
    struct Trigger {
        bool enabled = true;
        int32_t handle = 0;
        int32_t startTick = 0;
        uint16_t interval = 0;
        int32_t lastFired = 0;
        TTriggerEvent event;
        bool repeat = true;
    };

    int32_t Now() const;
    int IndexOf(int32_t handle) const;
    void ComputePeriod();
    void Restart();

    std::function<uint32_t()> tickCount_;
    TVedTimerDriver* driver_;
    std::vector<std::unique_ptr<Trigger>> triggers_;
    uint16_t period_ = 0;
    int enabled_ = 0;
    int32_t nextHandle_ = 1;
};

} // namespace ved
