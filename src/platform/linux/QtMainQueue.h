#pragma once

#include "platform/MainQueue.h"

#include <QElapsedTimer>
#include <QObject>
#include <QThreadPool>

#include <set>

// The main queue bound to the Qt event loop.
class QtMainQueue final : public QObject, public MainQueue {
    Q_OBJECT
public:
    explicit QtMainQueue(QObject* parent = nullptr);
    ~QtMainQueue() override;

    QDateTime now() const override;
    double uptime() const override;
    void async(Work work) override;
    void asyncAfter(double seconds, Work work) override;
    std::shared_ptr<Timer> scheduledTimer(double interval, bool repeats, Work work) override;
    // On a small pool of its own, two threads at most: the program's only workers. Work not yet
    // started when the queue goes away is dropped; the destructor waits for the work that has
    // started, and completions still queued then never run.
    std::shared_ptr<BackgroundTask> runInBackground(BackgroundWork work, Work completion) override;

private:
    class QtTimer;
    friend class QtTimer;
    void release(QtTimer* timer);

    QElapsedTimer uptime_;
    // Scheduled timers stay alive here until they are invalidated or, for one-shots, fired.
    std::set<std::shared_ptr<QtTimer>> active_;
    QThreadPool workers_;
};
