#include "platform/linux/SettingsFileDefaults.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

QString SettingsFileDefaults::standardFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Hodgebin/Hodgebin.conf");
}

SettingsFileDefaults::SettingsFileDefaults()
    : SettingsFileDefaults(standardFilePath()) {}

SettingsFileDefaults::SettingsFileDefaults(const QString& filePath)
    : settings_(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {
    settings_->setAtomicSyncRequired(true);
    // The file is parsed on first access; its status is known only after that.
    settings_->allKeys();
    if (settings_->status() == QSettings::FormatError) {
        preserveUnreadableFile(filePath);
    }
    callerThread_ = std::make_unique<QObject>();
    // A program that quits normally leaves nothing unwritten.
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QObject::connect(app, &QCoreApplication::aboutToQuit, callerThread_.get(),
                         [this] { waitForBackgroundWrites(); });
    }
}

SettingsFileDefaults::~SettingsFileDefaults() {
    {
        std::unique_lock lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void SettingsFileDefaults::setDataInBackground(const QString& key, Produce produce, Done done) {
    {
        std::unique_lock lock(mutex_);
        Job job{key, std::move(produce), std::move(done)};
        auto same = std::find_if(pending_.begin(), pending_.end(),
                                 [&key](const Job& waiting) { return waiting.key == key; });
        if (same != pending_.end()) {
            *same = std::move(job);
        } else {
            pending_.append(std::move(job));
        }
        if (!worker_.joinable()) {
            worker_ = std::thread([this] { runBackgroundWrites(); });
        }
    }
    changed_.notify_all();
}

void SettingsFileDefaults::waitForBackgroundWrites() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return pending_.isEmpty() && !writing_; });
}

void SettingsFileDefaults::runBackgroundWrites() {
    const QString path = filePath();
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !pending_.isEmpty(); });
        if (pending_.isEmpty()) {
            return;
        }
        Job job = pending_.takeFirst();
        writing_ = true;
        lock.unlock();

        const QByteArray data = job.produce();
        QDir().mkpath(QFileInfo(path).absolutePath());
        // A settings object of this thread, fresh for each write so its status is this write's.
        bool written = false;
        {
            QSettings settings(path, QSettings::IniFormat);
            settings.setAtomicSyncRequired(true);
            settings.setValue(job.key, data);
            settings.sync();
            written = settings.status() == QSettings::NoError;
        }
        if (job.done) {
            QMetaObject::invokeMethod(
                callerThread_.get(), [done = std::move(job.done), written] { done(written); },
                Qt::QueuedConnection);
        }

        lock.lock();
        writing_ = false;
        changed_.notify_all();
    }
}

QString SettingsFileDefaults::filePath() const {
    return settings_->fileName();
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
    QDir().mkpath(QFileInfo(settings_->fileName()).absolutePath());
    settings_->sync();
    if (settings_->status() == QSettings::NoError) {
        return true;
    }
    // QSettings keeps answering the first error it ever met (also a file it could not parse at
    // start), so its status cannot tell whether this write reached the disk. A fresh object on
    // the same file shares the values not yet written and reports on its own attempt to write
    // them; it takes over, so the next write is judged on its own too.
    auto fresh = std::make_unique<QSettings>(settings_->fileName(), QSettings::IniFormat);
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
