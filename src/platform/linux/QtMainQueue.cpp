#include "platform/linux/QtMainQueue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace {

// Qt's event queue synchronises inside Qt, where ThreadSanitizer cannot see it; these tell it of
// the hand-overs it makes: everything done before handOver(p) on one thread is seen by another
// after its takeOver(p).
#if defined(__SANITIZE_THREAD__)
void handOver(const void* p) {
    __tsan_release(const_cast<void*>(p));
}
void takeOver(const void* p) {
    __tsan_acquire(const_cast<void*>(p));
}
#else
void handOver(const void*) {}
void takeOver(const void*) {}
#endif

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

// The worker threads, started with the first piece of work. A pool of our own rather than
// QThreadPool: its hand-overs are standard mutexes, which ThreadSanitizer sees.
class QtMainQueue::Workers {
public:
    explicit Workers(int count)
        : count_(count) {}

    // Work still waiting is dropped; the work under way is waited for.
    ~Workers() {
        std::deque<std::function<void()>> dropped;
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            dropped.swap(waiting_);
        }
        wake_.notify_all();
        for (std::thread& thread : threads_) {
            thread.join();
        }
    }

    void start(std::function<void()> job) {
        {
            std::lock_guard lock(mutex_);
            waiting_.push_back(std::move(job));
        }
        if (threads_.empty()) {
            for (int i = 0; i < count_; ++i) {
                threads_.emplace_back([this] { run(); });
            }
        }
        wake_.notify_one();
    }

private:
    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
            if (stopping_) {
                return;
            }
            std::function<void()> job = std::move(waiting_.front());
            waiting_.pop_front();
            lock.unlock();
            job();
            job = nullptr;
            lock.lock();
        }
    }

    const int count_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> waiting_;
    bool stopping_ = false;
    // Touched by the main thread only.
    std::vector<std::thread> threads_;
};

QtMainQueue::QtMainQueue(QObject* parent)
    : QObject(parent)
    , workers_(std::make_unique<Workers>(std::clamp(QThread::idealThreadCount(), 1, 2))) {
    uptime_.start();
}

QtMainQueue::~QtMainQueue() {
    // The workers must be idle before this object goes, because they post their completions to
    // it; completions still queued then never run.
    workers_.reset();
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

// A finished piece of background work, posted to the main thread.
class QtMainQueue::Completion final : public QEvent {
public:
    static QEvent::Type eventType() {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }

    Completion(std::shared_ptr<BackgroundTask> task, Work work)
        : QEvent(eventType())
        , task_(std::move(task))
        , work_(std::move(work)) {
        handOver(this);
    }
    // Also when it never ran: what the work holds is let go on the main thread.
    ~Completion() override { takeOver(this); }

    void run() {
        if (!task_->isCancelled()) {
            work_();
        }
    }

private:
    std::shared_ptr<BackgroundTask> task_;
    Work work_;
};

bool QtMainQueue::event(QEvent* event) {
    takeOver(event);
    if (event->type() == Completion::eventType()) {
        static_cast<Completion*>(event)->run();
        return true;
    }
    return QObject::event(event);
}

std::shared_ptr<BackgroundTask> QtMainQueue::runInBackground(BackgroundWork work, Work completion) {
    auto task = std::make_shared<BackgroundTask>();
    workers_->start(
        [this, task, work = std::move(work), completion = std::move(completion)]() mutable {
            if (!task->isCancelled()) {
                work(*task);
            }
            // What the work captured is let go here, on the worker, before the hand-over. The
            // completion is handed over even when it will not run, so that what it holds is let
            // go on the main thread.
            work = nullptr;
            QCoreApplication::postEvent(this, new Completion(task, std::move(completion)));
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
