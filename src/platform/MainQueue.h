#pragma once

#include <QDateTime>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

// A timer scheduled on the main queue. The queue keeps it alive while it is scheduled, so a
// caller may drop its handle; invalidating stops any further firing and may be repeated.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};

// A piece of work handed to the background. Cancelling is for work that newer work replaces:
// work not yet started never starts, work under way may look at isCancelled() to stop early,
// and the completion of cancelled work never runs. Cancel on the main thread; the work itself
// may ask from its worker.
class BackgroundTask {
public:
    void cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool isCancelled() const { return cancelled_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> cancelled_{false};
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

    using BackgroundWork = std::function<void(const BackgroundTask&)>;

    // The one way off the main thread. Runs work on a worker thread and, once it has finished,
    // completion on the main thread, unless the task was cancelled by then. The work must touch
    // nothing the main thread uses: it reads only what it captured and hands its result over to
    // the completion. Work handed over in turn may run at once and finish in any order; work
    // that must run one piece at a time hands over the next piece from the completion.
    virtual std::shared_ptr<BackgroundTask> runInBackground(BackgroundWork work,
                                                            Work completion) = 0;

    // Runs work() (or work(task), to look at cancellation) on a worker thread, then
    // done(owner, result) on the main thread; done is skipped when the owner is gone by then.
    template <typename Owner, typename W, typename D>
    std::shared_ptr<BackgroundTask> asyncBackground(Owner* owner, W work, D done);
};

// Wraps work so that it holds owner weakly and does nothing once the owner is gone.
template <typename Owner, typename F> MainQueue::Work weakly(Owner* owner, F&& f) {
    return [guard = QPointer<Owner>(owner), f = std::forward<F>(f)]() mutable {
        if (guard) {
            f(guard.data());
        }
    };
}

template <typename Owner, typename W, typename D>
std::shared_ptr<BackgroundTask> MainQueue::asyncBackground(Owner* owner, W work, D done) {
    constexpr bool seesTask = std::is_invocable_v<W&, const BackgroundTask&>;
    using Result =
        typename std::conditional_t<seesTask, std::invoke_result<W&, const BackgroundTask&>,
                                    std::invoke_result<W&>>::type;
    // Written by the worker before the completion is queued, read by the completion after.
    auto result = std::make_shared<std::optional<Result>>();
    return runInBackground(
        [result, work = std::move(work)](const BackgroundTask& task) mutable {
            if constexpr (seesTask) {
                result->emplace(work(task));
            } else {
                result->emplace(work());
            }
        },
        weakly(owner, [result, done = std::move(done)](Owner* self) mutable {
            if (*result) {
                done(self, std::move(**result));
            }
        }));
}
