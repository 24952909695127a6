#pragma once

#include <QDateTime>
#include <QPointer>

#include <functional>
#include <memory>

// A timer scheduled on the main queue. The queue keeps it alive while it is scheduled, so a
// caller may drop its handle; invalidating stops any further firing and may be repeated.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};

// The main thread's run loop and clock. Everything that waits or reads the time goes through
// here, so that tests can drive time by hand.
class MainQueue {
public:
    using Work = std::function<void()>;

    virtual ~MainQueue() = default;

    // Wall-clock time, as used for timestamps and age labels.
    virtual QDateTime now() const = 0;
    // Seconds on a monotonic clock, for animations and intervals.
    virtual double uptime() const = 0;

    // Runs work on the main thread after the current event has been handled.
    virtual void async(Work work) = 0;
    // Runs work on the main thread once, the given number of seconds from now.
    virtual void asyncAfter(double seconds, Work work) = 0;
    // Fires work every interval seconds (or once) until invalidated.
    virtual std::shared_ptr<Timer> scheduledTimer(double interval, bool repeats, Work work) = 0;
};

// Wraps work so that it holds owner weakly and does nothing once the owner is gone.
template <typename Owner, typename F> MainQueue::Work weakly(Owner* owner, F&& f) {
    return [guard = QPointer<Owner>(owner), f = std::forward<F>(f)]() mutable {
        if (guard) {
            f(guard.data());
        }
    };
}
