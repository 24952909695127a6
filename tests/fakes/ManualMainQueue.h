#pragma once

#include "platform/MainQueue.h"

#include <map>
#include <memory>

// A main queue whose clock moves only when a test advances it. Due work runs in time order, and
// work scheduled for the same moment runs in the order it was scheduled.
class ManualMainQueue final : public MainQueue {
public:
    ManualMainQueue();
    ~ManualMainQueue() override;

    QDateTime now() const override;
    double uptime() const override { return elapsed_; }
    void async(Work work) override;
    void asyncAfter(double seconds, Work work) override;
    std::shared_ptr<Timer> scheduledTimer(double interval, bool repeats, Work work) override;

    // Moves the clock forward, running everything that falls due on the way.
    void advance(double seconds);
    // Runs work that is due now (queued with async, or scheduled with no delay).
    void runPending() { advance(0); }
    // Sets the wall clock without moving the monotonic clock (a user resetting the date).
    void setWallClock(const QDateTime& now);

    int pendingCount() const;

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
};
