#include "fakes/ManualMainQueue.h"

#include <algorithm>

class ManualMainQueue::ManualTimer final : public Timer {
public:
    ManualTimer(double interval, bool repeats)
        : interval(interval)
        , repeats(repeats) {}
    void invalidate() override { valid = false; }
    bool isValid() const override { return valid; }

    double interval;
    bool repeats;
    bool valid = true;
};

ManualMainQueue::ManualMainQueue()
    : wallClockBase_(QDate(2026, 1, 15), QTime(9, 0), Qt::UTC) {}

ManualMainQueue::~ManualMainQueue() = default;

QDateTime ManualMainQueue::now() const {
    return wallClockBase_.addMSecs(qint64((elapsed_ - wallClockSetAt_) * 1000.0));
}

void ManualMainQueue::setWallClock(const QDateTime& now) {
    wallClockBase_ = now;
    wallClockSetAt_ = elapsed_;
}

void ManualMainQueue::schedule(double due, Entry entry) {
    queue_.emplace(Key{due, sequence_++}, std::move(entry));
}

void ManualMainQueue::async(Work work) {
    schedule(elapsed_, {std::move(work), nullptr});
}

void ManualMainQueue::asyncAfter(double seconds, Work work) {
    schedule(elapsed_ + std::max(0.0, seconds), {std::move(work), nullptr});
}

std::shared_ptr<Timer> ManualMainQueue::scheduledTimer(double interval, bool repeats, Work work) {
    auto timer = std::make_shared<ManualTimer>(std::max(0.0, interval), repeats);
    schedule(elapsed_ + timer->interval, {std::move(work), timer});
    return timer;
}

std::shared_ptr<BackgroundTask> ManualMainQueue::runInBackground(BackgroundWork work,
                                                                 Work completion) {
    auto task = std::make_shared<BackgroundTask>();
    background_.push_back({task, std::move(work), std::move(completion)});
    return task;
}

int ManualMainQueue::backgroundCount() const {
    return int(std::count_if(background_.begin(), background_.end(),
                             [](const Background& b) { return !b.task->isCancelled(); }));
}

void ManualMainQueue::runBackground() {
    // Work handed over while this runs waits for the next call, as it would for a real worker.
    std::deque<Background> due;
    due.swap(background_);
    for (Background& b : due) {
        if (b.task->isCancelled()) {
            continue;
        }
        b.work(*b.task);
        async([task = b.task, completion = std::move(b.completion)] {
            if (!task->isCancelled()) {
                completion();
            }
        });
    }
}

void ManualMainQueue::runBackgroundInReverse() {
    std::reverse(background_.begin(), background_.end());
    runBackground();
}

void ManualMainQueue::advance(double seconds) {
    const double target = elapsed_ + std::max(0.0, seconds);
    // A tiny tolerance so that 0.1 + 0.2 style sums still reach work due "at" the target.
    const double epsilon = 1e-9;
    for (;;) {
        if (!backgroundHeld_) {
            runBackground();
        }
        if (queue_.empty() || queue_.begin()->first.first > target + epsilon) {
            break;
        }
        auto node = queue_.extract(queue_.begin());
        Entry entry = std::move(node.mapped());
        elapsed_ = std::max(elapsed_, node.key().first);
        if (entry.timer && !entry.timer->valid) {
            continue;
        }
        if (entry.timer) {
            if (entry.timer->repeats) {
                // A zero interval repeating timer would spin; treat it as a tick per step.
                const double next = elapsed_ + std::max(entry.timer->interval, 1e-6);
                schedule(next, {entry.work, entry.timer});
            } else {
                entry.timer->valid = false;
            }
        }
        entry.work();
    }
    elapsed_ = std::max(elapsed_, target);
}

int ManualMainQueue::pendingCount() const {
    int count = backgroundCount();
    for (const auto& [key, entry] : queue_) {
        if (!entry.timer || entry.timer->valid) {
            ++count;
        }
    }
    return count;
}
