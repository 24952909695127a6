#include "platform/linux/QtMainQueue.h"

#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {
int toMilliseconds(double seconds) {
    if (!(seconds > 0)) {
        return 0;
    }
    return int(std::min(std::lround(seconds * 1000.0), long(INT32_MAX)));
}
} // namespace

class QtMainQueue::QtTimer final : public Timer {
public:
    QtTimer(QtMainQueue* queue, double interval, bool repeats, Work work)
        : queue_(queue)
        , work_(std::move(work))
        , repeats_(repeats) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setSingleShot(!repeats);
        timer_.setInterval(toMilliseconds(interval));
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { fire(); });
        timer_.start();
    }

    void invalidate() override {
        if (!valid_) {
            return;
        }
        valid_ = false;
        timer_.stop();
        queue_->release(this);
    }

    bool isValid() const override { return valid_; }

private:
    void fire() {
        if (!valid_) {
            return;
        }
        // A one-shot is spent before it runs, so the work may schedule or inspect freely.
        Work work = work_;
        if (!repeats_) {
            invalidate();
        }
        work();
    }

    QtMainQueue* queue_;
    Work work_;
    QTimer timer_;
    bool repeats_;
    bool valid_ = true;
};

QtMainQueue::QtMainQueue(QObject* parent)
    : QObject(parent) {
    uptime_.start();
    workers_.setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 1, 2));
}

QtMainQueue::~QtMainQueue() {
    // Work still waiting is dropped; the workers must be idle before this object goes, because
    // they queue their completions on it.
    workers_.clear();
    workers_.waitForDone();
}

QDateTime QtMainQueue::now() const {
    return QDateTime::currentDateTime();
}

double QtMainQueue::uptime() const {
    return double(uptime_.nsecsElapsed()) / 1e9;
}

void QtMainQueue::async(Work work) {
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

void QtMainQueue::asyncAfter(double seconds, Work work) {
    QTimer::singleShot(toMilliseconds(seconds), Qt::PreciseTimer, this, std::move(work));
}

std::shared_ptr<BackgroundTask> QtMainQueue::runInBackground(BackgroundWork work, Work completion) {
    auto task = std::make_shared<BackgroundTask>();
    workers_.start(
        [this, task, work = std::move(work), completion = std::move(completion)]() mutable {
            if (!task->isCancelled()) {
                work(*task);
            }
            // What the work captured is let go here, on the worker, before the hand-over. The
            // completion is handed over even when it will not run, so that what it holds is let go
            // on the main thread.
            work = nullptr;
            QMetaObject::invokeMethod(
                this,
                [task, completion = std::move(completion)] {
                    if (!task->isCancelled()) {
                        completion();
                    }
                },
                Qt::QueuedConnection);
        });
    return task;
}

std::shared_ptr<Timer> QtMainQueue::scheduledTimer(double interval, bool repeats, Work work) {
    auto timer = std::make_shared<QtTimer>(this, interval, repeats, std::move(work));
    active_.insert(timer);
    return timer;
}

void QtMainQueue::release(QtTimer* timer) {
    // Defer the destruction: the timer may be releasing itself from inside its own callback.
    for (auto it = active_.begin(); it != active_.end(); ++it) {
        if (it->get() == timer) {
            std::shared_ptr<QtTimer> keep = *it;
            active_.erase(it);
            QMetaObject::invokeMethod(
                this, [keep] {}, Qt::QueuedConnection);
            return;
        }
    }
}
