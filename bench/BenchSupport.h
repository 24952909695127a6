#pragma once

#include "platform/Pasteboard.h"
#include "platform/Workspace.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QTimer>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <utility>

// Resident memory of this process, after handing freed heap back to the system.
inline long long residentBytes() {
    malloc_trim(0);
    std::ifstream statm("/proc/self/statm");
    long long size = 0;
    long long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// Resident and peak resident memory of this process, in KB.
inline std::pair<long, long> residentAndPeakKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    long rss = 0;
    long peak = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:")) {
                rss = line.mid(6).trimmed().split(' ').first().toLong();
            } else if (line.startsWith("VmHWM:")) {
                peak = line.mid(6).trimmed().split(' ').first().toLong();
            }
        }
    }
    return {rss, peak};
}

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs the event loop until done answers true. A timer ticks every millisecond meanwhile; the
// longest gap between ticks is the longest the loop could not turn (a click on the tray icon
// would have waited that long). In ms.
inline double longestStallUntil(const std::function<bool()>& done) {
    double longest = 0;
    QElapsedTimer sinceTick;
    QEventLoop loop;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, double(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
        if (done()) {
            loop.quit();
        }
    });
    sinceTick.start();
    ticker.start();
    if (!done()) {
        loop.exec();
    }
    return longest;
}

// A clipboard whose every read hands out a fresh copy of the bytes, as a transfer from
// another program does; it keeps nothing a reader took. Reads run at once, on the caller.
class TransferPasteboard final : public Pasteboard, public PasteboardContents {
public:
    qint64 changeCount() const override { return count; }
    void observeChanges(std::function<void()> changed) override { observer = std::move(changed); }
    void readContents(Read read, std::function<void()> done) override {
        read(*this);
        done();
    }
    QList<QString> types() const override { return contents.keys(); }
    std::optional<QByteArray> dataForType(const QString& type) const override {
        if (!contents.contains(type)) {
            return std::nullopt;
        }
        const QByteArray& bytes = contents[type];
        return QByteArray(bytes.constData(), bytes.size());
    }
    std::optional<QString> stringForType(const QString& type) const override {
        const auto bytes = dataForType(type);
        return bytes ? std::optional<QString>(QString::fromUtf8(*bytes)) : std::nullopt;
    }
    QList<QUrl> readFileURLs() const override { return {}; }
    qint64 clearContents() override {
        contents.clear();
        changed();
        return count;
    }
    bool setString(const QString& s, const QString& type) override {
        contents[type] = s.toUtf8();
        return true;
    }
    bool setData(const QByteArray& d, const QString& type) override {
        contents[type] = d;
        return true;
    }
    bool writeFileURLs(const QList<QUrl>&) override { return false; }
    void commit() override {}

    void copy(const QString& type, const QByteArray& bytes) {
        contents = {{type, bytes}};
        changed();
    }
    void copy(QMap<QString, QByteArray> offered) {
        contents = std::move(offered);
        changed();
    }
    void changed() {
        ++count;
        if (observer) {
            observer();
        }
    }

    std::function<void()> observer;
    qint64 count = 0;
    QMap<QString, QByteArray> contents;
};

class NoWorkspace final : public Workspace {
public:
    std::optional<QString> activeApplicationName() const override { return std::nullopt; }
    QIcon iconForFile(const QString&) const override { return {}; }
    qint64 fileSize(const QString&) const override { return 0; }
    void showInFileManager(const QList<QUrl>&) override {}
    bool openUrl(const QUrl&) override { return false; }
};
