#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <functional>

// The program's own key-value store. Reads of a value that cannot be read as the asked type
// answer false, 0 or empty; writes are made durable at once. A write answers whether it reached
// the disk: one that did not is still readable here, and the store tries again to make it
// durable at its next write.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    // The stored value, or an invalid QVariant when the key was never written.
    virtual QVariant objectForKey(const QString& key) const = 0;

    virtual bool setBool(const QString& key, bool value) = 0;
    virtual bool setInteger(const QString& key, qint64 value) = 0;
    virtual bool setString(const QString& key, const QString& value) = 0;
    virtual bool setData(const QString& key, const QByteArray& value) = 0;
    virtual bool removeObject(const QString& key) = 0;

    // Stores the data that produce makes under key without holding up the caller: produce runs
    // and the data is written on another thread, then done(written) runs on the caller's
    // thread. A write of the same key that has not started yet is replaced by the later one
    // (its done is not called), so a quick series costs one write per write time, the newest.
    // produce may read only what it captured. This default writes at once.
    using Produce = std::function<QByteArray()>;
    using Done = std::function<void(bool written)>;
    virtual void setDataInBackground(const QString& key, Produce produce, Done done);
    // Returns once every background write handed over so far has been made or has failed.
    virtual void waitForBackgroundWrites() {}

    // Where the values are kept, and why the latest write that failed did not reach it: for
    // warnings, which name both.
    virtual QString location() const { return QStringLiteral("the settings"); }
    virtual QString lastWriteError() const { return QStringLiteral("the write failed"); }

    bool boolForKey(const QString& key) const;
    qint64 integerForKey(const QString& key) const;
    QString stringForKey(const QString& key) const;
    QByteArray dataForKey(const QString& key) const;
};
