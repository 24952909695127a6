#include "platform/linux/SettingsFileDefaults.h"

#include "platform/Logging.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <fcntl.h>
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
QString whyUnwritable(const QString& filePath, qint64 bytes) {
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
}

} // namespace

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
        const bool kept = preserveFile(filePath, QStringLiteral("unreadable"));
        qCWarning(lcSettings).noquote()
            << QStringLiteral("The settings file \"%1\" could not be read in full (%2); %3")
                   .arg(filePath, statusName(QSettings::FormatError),
                        kept ? QStringLiteral("a copy of it as it was is kept at \"%1\"")
                                   .arg(backupPath_)
                             : QStringLiteral("no copy of it could be made"));
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
            if (!written) {
                recordWriteError(path, settings.status(), QFileInfo(path).size() + data.size());
            }
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
    if (backupPath_.isEmpty() && !preserveFile(filePath(), QStringLiteral("unknown-keys"))) {
        return;
    }
    for (const QString& key : std::as_const(unknown)) {
        settings_->remove(key);
    }
    const bool written = sync();
    qCWarning(lcSettings).noquote()
        << QStringLiteral("The settings file \"%1\" held %2 keys that Hodgebin does not use; "
                          "they are left out of it %3 and kept in \"%4\"")
               .arg(filePath(), QString::number(unknown.size()),
                    written ? QStringLiteral("now") : QStringLiteral("at its next write"),
                    backupPath_);
}

void SettingsFileDefaults::recordWriteError(const QString& filePath, QSettings::Status status,
                                            qint64 bytes) {
    const QString error = whyUnwritable(filePath, bytes) + QStringLiteral(" (") +
                          statusName(status) + QLatin1Char(')');
    std::lock_guard lock(errorMutex_);
    lastWriteError_ = error;
}

QString SettingsFileDefaults::lastWriteError() const {
    std::lock_guard lock(errorMutex_);
    return lastWriteError_;
}

QVariant SettingsFileDefaults::objectForKey(const QString& key) const {
    return settings_->value(key);
}

bool SettingsFileDefaults::sync(qint64 growth) {
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
    if (!written) {
        recordWriteError(fresh->fileName(), fresh->status(),
                         QFileInfo(fresh->fileName()).size() + growth);
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
