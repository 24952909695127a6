#include "platform/linux/SettingsFileDefaults.h"

#include "platform/MainQueue.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <condition_variable>
#include <mutex>

QString SettingsFileDefaults::standardFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Hodgebin/Hodgebin.conf");
}

// The background writes: those waiting, one per key, and the outcomes not yet delivered. Shared
// between the main thread and the write under way; one write runs at a time.
class SettingsFileDefaults::Writer {
public:
    explicit Writer(QString path)
        : path_(std::move(path)) {}

    // Main thread. Answers whether the caller must start a drain: none is under way.
    bool add(const QString& key, Produce produce, Done done) {
        std::lock_guard lock(mutex_);
        Job job{key, std::move(produce), std::move(done)};
        auto same = std::find_if(pending_.begin(), pending_.end(),
                                 [&key](const Job& waiting) { return waiting.key == key; });
        if (same != pending_.end()) {
            *same = std::move(job);
        } else {
            pending_.append(std::move(job));
        }
        if (draining_) {
            return false;
        }
        draining_ = true;
        return true;
    }

    // Worker: makes the waiting writes, oldest first, until none is left.
    void drain() {
        std::unique_lock lock(mutex_);
        while (!pending_.isEmpty()) {
            Job job = pending_.takeFirst();
            lock.unlock();
            const bool written = writeNow(job);
            lock.lock();
            if (job.done) {
                finished_.append({std::move(job.done), written});
            }
        }
        draining_ = false;
        idle_.notify_all();
    }

    void waitUntilIdle() {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return !draining_; });
    }

    // Main thread: runs the outcomes that are in, in the order of their writes.
    void deliver() {
        QList<std::pair<Done, bool>> ready;
        {
            std::lock_guard lock(mutex_);
            ready.swap(finished_);
        }
        for (auto& [done, written] : ready) {
            done(written);
        }
    }

private:
    struct Job {
        QString key;
        Produce produce;
        Done done;
    };

    bool writeNow(const Job& job) const {
        const QByteArray data = job.produce();
        QDir().mkpath(QFileInfo(path_).absolutePath());
        // A settings object of this thread, fresh for each write so its status is this write's.
        QSettings settings(path_, QSettings::IniFormat);
        settings.setAtomicSyncRequired(true);
        settings.setValue(job.key, data);
        settings.sync();
        return settings.status() == QSettings::NoError;
    }

    const QString path_;
    std::mutex mutex_;
    std::condition_variable idle_;
    QList<Job> pending_;
    QList<std::pair<Done, bool>> finished_;
    bool draining_ = false;
};

SettingsFileDefaults::SettingsFileDefaults(MainQueue& queue)
    : SettingsFileDefaults(standardFilePath(), queue) {}

SettingsFileDefaults::SettingsFileDefaults(const QString& filePath, MainQueue& queue)
    : queue_(queue)
    , settings_(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
    , filePath_(settings_->fileName())
    , writer_(std::make_shared<Writer>(filePath_)) {
    settings_->setAtomicSyncRequired(true);
    // The file is parsed on first access; its status is known only after that.
    settings_->allKeys();
    if (settings_->status() == QSettings::FormatError) {
        preserveUnreadableFile(filePath);
    }
    // A program that quits normally leaves nothing unwritten.
    if (QCoreApplication* app = QCoreApplication::instance()) {
        quitting_ = QObject::connect(app, &QCoreApplication::aboutToQuit,
                                     [writer = writer_] { writer->waitUntilIdle(); });
    }
}

SettingsFileDefaults::~SettingsFileDefaults() {
    QObject::disconnect(quitting_);
    // Outcomes not yet delivered are dropped with the writer.
    writer_->waitUntilIdle();
}

void SettingsFileDefaults::setDataInBackground(const QString& key, Produce produce, Done done) {
    if (!writer_->add(key, std::move(produce), std::move(done))) {
        return;
    }
    queue_.runInBackground([writer = writer_](const BackgroundTask&) { writer->drain(); },
                           [writer = std::weak_ptr<Writer>(writer_)] {
                               if (const auto alive = writer.lock()) {
                                   alive->deliver();
                               }
                           });
}

void SettingsFileDefaults::waitForBackgroundWrites() {
    writer_->waitUntilIdle();
    // The last drain may not have handed its completion over yet; the outcomes still arrive
    // later, on this thread.
    queue_.async([writer = std::weak_ptr<Writer>(writer_)] {
        if (const auto alive = writer.lock()) {
            alive->deliver();
        }
    });
}

void SettingsFileDefaults::preserveUnreadableFile(const QString& filePath) {
    // The first write would replace a file that QSettings could not parse, and with it whatever
    // the user had stored: keep a copy beside it first.
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString backup = filePath + QStringLiteral(".unreadable-") + stamp;
    if (QFile::copy(filePath, backup)) {
        backupPath_ = backup;
    }
}

QVariant SettingsFileDefaults::objectForKey(const QString& key) const {
    return settings_->value(key);
}

bool SettingsFileDefaults::sync() {
    QDir().mkpath(QFileInfo(filePath_).absolutePath());
    settings_->sync();
    if (settings_->status() == QSettings::NoError) {
        return true;
    }
    // QSettings keeps answering the first error it ever met (also a file it could not parse at
    // start), so its status cannot tell whether this write reached the disk. A fresh object on
    // the same file shares the values not yet written and reports on its own attempt to write
    // them; it takes over, so the next write is judged on its own too.
    auto fresh = std::make_unique<QSettings>(filePath_, QSettings::IniFormat);
    fresh->setAtomicSyncRequired(true);
    fresh->sync();
    const bool written = fresh->status() == QSettings::NoError;
    settings_ = std::move(fresh);
    return written;
}

bool SettingsFileDefaults::write(const QString& key, const QVariant& value) {
    settings_->setValue(key, value);
    return sync();
}

bool SettingsFileDefaults::setBool(const QString& key, bool value) {
    return write(key, value);
}

bool SettingsFileDefaults::setInteger(const QString& key, qint64 value) {
    return write(key, value);
}

bool SettingsFileDefaults::setString(const QString& key, const QString& value) {
    return write(key, value);
}

bool SettingsFileDefaults::setData(const QString& key, const QByteArray& value) {
    return write(key, value);
}

bool SettingsFileDefaults::removeObject(const QString& key) {
    settings_->remove(key);
    return sync();
}
