#include "platform/linux/SettingsFileDefaults.h"

#include "platform/Logging.h"
#include "platform/MainQueue.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString statusName(QSettings::Status status) {
    switch (status) {
    case QSettings::NoError:
        return QStringLiteral("QSettings: no error");
    case QSettings::AccessError:
        return QStringLiteral("QSettings: access error");
    case QSettings::FormatError:
        return QStringLiteral("QSettings: format error");
    }
    return {};
}

// QSettings tells only that a write failed. Making a file of that size where it writes tells why:
// no folder, no permission, a read-only or full disk.
QString whyUnwritable(const QString& filePath, QSettings::Status status, qint64 bytes) {
    const auto reason = [&filePath, bytes]() -> QString {
        const QByteArray folder = QFile::encodeName(QFileInfo(filePath).absolutePath());
        struct stat st {};
        if (::stat(folder.constData(), &st) != 0) {
            return qt_error_string(errno);
        }
        if (!S_ISDIR(st.st_mode)) {
            return qt_error_string(ENOTDIR);
        }
        QByteArray scratch = folder + "/.hodgebin-write-check-XXXXXX";
        const int fd = ::mkostemp(scratch.data(), O_CLOEXEC);
        if (fd < 0) {
            return qt_error_string(errno);
        }
        const int error = ::posix_fallocate(fd, 0, std::max<qint64>(bytes, 1));
        ::close(fd);
        ::unlink(scratch.constData());
        return error != 0 ? qt_error_string(error) : QStringLiteral("the write failed");
    };
    return reason() + QStringLiteral(" (") + statusName(status) + QLatin1Char(')');
}

} // namespace

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

    // Why the latest write that failed, here or on the main thread, did not reach the disk.
    QString lastError() const {
        std::lock_guard lock(mutex_);
        return lastError_;
    }
    void setLastError(const QString& error) {
        std::lock_guard lock(mutex_);
        lastError_ = error;
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

    bool writeNow(const Job& job) {
        const QByteArray data = job.produce();
        QDir().mkpath(QFileInfo(path_).absolutePath());
        // A settings object of this thread, fresh for each write so its status is this write's.
        QSettings settings(path_, QSettings::IniFormat);
        settings.setAtomicSyncRequired(true);
        settings.setValue(job.key, data);
        settings.sync();
        if (settings.status() != QSettings::NoError) {
            setLastError(
                whyUnwritable(path_, settings.status(), QFileInfo(path_).size() + data.size()));
            return false;
        }
        return true;
    }

    const QString path_;
    mutable std::mutex mutex_;
    std::condition_variable idle_;
    QList<Job> pending_;
    QList<std::pair<Done, bool>> finished_;
    bool draining_ = false;
    QString lastError_;
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
        const bool kept = preserveFile(filePath, QStringLiteral("unreadable"));
        qCWarning(lcSettings).noquote()
            << QStringLiteral("The settings file \"%1\" could not be read in full (%2); %3")
                   .arg(filePath, statusName(QSettings::FormatError),
                        kept ? QStringLiteral("a copy of it as it was is kept at \"%1\"")
                                   .arg(backupPath_)
                             : QStringLiteral("no copy of it could be made"));
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

bool SettingsFileDefaults::preserveFile(const QString& filePath, const QString& reason) {
    // The next write replaces the file, and with it whatever QSettings did not keep: keep a copy
    // beside it first.
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = filePath + QLatin1Char('.') + reason + QLatin1Char('-') + stamp;
    QString backup = base;
    for (int n = 2; QFile::exists(backup); ++n) {
        backup = base + QLatin1Char('-') + QString::number(n);
    }
    QFile file(filePath);
    if (!file.copy(backup)) {
        qCWarning(lcSettings).noquote()
            << QStringLiteral("Could not copy the settings file \"%1\" to \"%2\": %3")
                   .arg(filePath, backup, file.errorString());
        return false;
    }
    backupPath_ = backup;
    return true;
}

void SettingsFileDefaults::keepOnlyKeys(const QStringList& known) {
    const auto isKnown = [&known](const QString& key) {
        return std::any_of(known.cbegin(), known.cend(), [&key](const QString& name) {
            return name.endsWith(QLatin1Char('*')) ? key.startsWith(QStringView(name).chopped(1))
                                                   : key == name;
        });
    };
    QStringList unknown;
    for (const QString& key : settings_->allKeys()) {
        if (!isKnown(key)) {
            unknown.append(key);
        }
    }
    if (unknown.isEmpty()) {
        return;
    }
    // A file that could not be parsed was copied at start, unknown keys and all.
    if (backupPath_.isEmpty() && !preserveFile(filePath_, QStringLiteral("unknown-keys"))) {
        return;
    }
    for (const QString& key : std::as_const(unknown)) {
        settings_->remove(key);
    }
    const bool written = sync();
    qCWarning(lcSettings).noquote()
        << QStringLiteral("The settings file \"%1\" held %2 keys that Hodgebin does not use; "
                          "they are left out of it %3 and kept in \"%4\"")
               .arg(filePath_, QString::number(unknown.size()),
                    written ? QStringLiteral("now") : QStringLiteral("at its next write"),
                    backupPath_);
}

QString SettingsFileDefaults::lastWriteError() const {
    return writer_->lastError();
}

QVariant SettingsFileDefaults::objectForKey(const QString& key) const {
    return settings_->value(key);
}

bool SettingsFileDefaults::sync(qint64 growth) {
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
    if (!written) {
        writer_->setLastError(
            whyUnwritable(filePath_, fresh->status(), QFileInfo(filePath_).size() + growth));
    }
    settings_ = std::move(fresh);
    return written;
}

bool SettingsFileDefaults::write(const QString& key, const QVariant& value) {
    settings_->setValue(key, value);
    return sync(value.toByteArray().size());
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
