#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>

// Keeps this thread's event loop turning until the condition holds. Nothing may block while the
// awaited work (a worker's result, another X client) needs the loop; the deadline only bounds a
// failing test.
inline bool processEventsUntil(const std::function<bool()>& condition, int timeoutMs = 10000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}
