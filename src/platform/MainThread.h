#pragma once

#include <QCoreApplication>
#include <QThread>

// Models belong to the main thread. Their mutators say so in debug builds, so that background
// work reaching back into a model fails on the spot instead of racing quietly.
inline void assertMainThread() {
    Q_ASSERT_X(!QCoreApplication::instance() ||
                   QThread::currentThread() == QCoreApplication::instance()->thread(),
               "assertMainThread", "a model was changed off the main thread");
}
