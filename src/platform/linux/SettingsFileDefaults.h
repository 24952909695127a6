#pragma once

#include "platform/UserDefaults.h"

#include <QList>
#include <QSettings>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// User defaults kept in an INI file (by default ~/.config/Hodgebin/Hodgebin.conf). Every write
// is synced at once; QSettings replaces the file atomically, so a crash never leaves half a file.
// A write that cannot reach the disk answers false; its value stays readable and is written
// with the next write that succeeds. Background writes go through a settings object of their
// own on one worker thread; QSettings keeps objects on the same file coherent across threads.
class SettingsFileDefaults final : public UserDefaults {
public:
    // The standard location under the XDG config home.
    SettingsFileDefaults();
    explicit SettingsFileDefaults(const QString& filePath);
    // Waits for the background writes.
    ~SettingsFileDefaults() override;

    QVariant objectForKey(const QString& key) const override;
    bool setBool(const QString& key, bool value) override;
    bool setInteger(const QString& key, qint64 value) override;
    bool setString(const QString& key, const QString& value) override;
    bool setData(const QString& key, const QByteArray& value) override;
    bool removeObject(const QString& key) override;
    void setDataInBackground(const QString& key, Produce produce, Done done) override;
    void waitForBackgroundWrites() override;

    QString filePath() const;
    // Where an unparseable settings file was copied before anything was written over it.
    QString backupPath() const { return backupPath_; }

    static QString standardFilePath();

private:
    bool write(const QString& key, const QVariant& value);
    bool sync();
    void preserveUnreadableFile(const QString& filePath);
    void runBackgroundWrites();

    struct Job {
        QString key;
        Produce produce;
        Done done;
    };

    std::unique_ptr<QSettings> settings_;
    QString backupPath_;
    // Where done callbacks are delivered: an object of the creating thread.
    std::unique_ptr<QObject> callerThread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    QList<Job> pending_;
    bool writing_ = false;
    bool stopping_ = false;
    // Started with the first background write.
    std::thread worker_;
};
