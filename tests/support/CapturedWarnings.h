#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <mutex>

// The warnings logged while one of these lives, in order.
class CapturedWarnings {
public:
    CapturedWarnings() {
        current() = this;
        previous_ = qInstallMessageHandler(&CapturedWarnings::collect);
    }
    ~CapturedWarnings() {
        qInstallMessageHandler(previous_);
        current() = nullptr;
    }
    CapturedWarnings(const CapturedWarnings&) = delete;
    CapturedWarnings& operator=(const CapturedWarnings&) = delete;

    QStringList messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    // The one warning that mentions what, or an empty string when none or several do.
    QString about(const QString& what) const {
        const QStringList matching = messages().filter(what);
        return matching.size() == 1 ? matching.first() : QString();
    }

private:
    static CapturedWarnings*& current() {
        static CapturedWarnings* instance = nullptr;
        return instance;
    }
    static void collect(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtDebugMsg || type == QtInfoMsg || current() == nullptr) {
            return;
        }
        std::lock_guard lock(current()->mutex_);
        current()->messages_.append(message);
    }

    QtMessageHandler previous_ = nullptr;
    mutable std::mutex mutex_;
    QStringList messages_;
};
