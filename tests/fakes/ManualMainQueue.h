#pragma once

#include "platform/MainQueue.h"

#include <deque>
#include <map>
#include <memory>

// A main queue whose clock moves only when a test advances it. Due work runs in time order, and
// work scheduled for the same moment runs in the order it was scheduled.
//
// Background work never runs at the call: it waits until the test lets time pass (advance,
// runPending) or calls runBackground. It then runs in the order it was handed over, and its
// completion is queued on the main queue at that moment, behind what is already due then. A test
// can hold the background back, so that time passes while work is still in flight. Cancelled
// work never runs and is not counted.
class ManualMainQueue final : public MainQueue {
public:
    ManualMainQueue();
    ~ManualMainQueue() override;

    QDateTime now() const override;
    double uptime() const override { return elapsed_; }
    void async(Work work) override;
    void asyncAfter(double seconds, Work work) override;
    std::shared_ptr<Timer> scheduledTimer(double interval, bool repeats, Work work) override;
    std::shared_ptr<BackgroundTask> runInBackground(BackgroundWork work, Work completion) override;

    // Moves the clock forward, running everything that falls due on the way.
    void advance(double seconds);
    // Runs work that is due now (queued with async, or scheduled with no delay).
    void runPending() { advance(0); }
    // Sets the wall clock without moving the monotonic clock (a user resetting the date).
    void setWallClock(const QDateTime& now);

    // Lets the worker finish everything handed to it so far, queuing the completions without
    // running them: the state between a background result and its arrival can be looked at.
    void runBackground();
    // The same, the last handed over first: workers may finish in any order.
    void runBackgroundInReverse();
    // While held, advance and runPending leave background work waiting for runBackground.
    void holdBackground(bool held) { backgroundHeld_ = held; }

    // Work not yet run: on the main queue (timers still valid) and in the background.
    int pendingCount() const;
    int backgroundCount() const;

private:
    class ManualTimer;
    struct Entry {
        Work work;
        std::shared_ptr<ManualTimer> timer;
    };
    using Key = std::pair<double, quint64>;

    void schedule(double due, Entry entry);

    double elapsed_ = 0;
    QDateTime wallClockBase_;
    double wallClockSetAt_ = 0;
    quint64 sequence_ = 0;
    std::map<Key, Entry> queue_;
    struct Background {
        std::shared_ptr<BackgroundTask> task;
        BackgroundWork work;
        Work completion;
    };
    std::deque<Background> background_;
    bool backgroundHeld_ = false;
};
