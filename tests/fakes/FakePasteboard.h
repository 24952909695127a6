#pragma once

#include "platform/Pasteboard.h"

#include <QMap>
#include <QSet>

#include <deque>
#include <optional>

// An in-memory clipboard with a change count. `copy` stands for another program taking the
// clipboard, named `owner` if it tells its name; failingTypes makes a type offered but
// unreadable (an owner that sends nothing). Our own writes reach `contents` only at commit, as
// they reach other programs, and are then owned by `ownName`.
//
// Reads run at once, unless a test holds them back (holdReads) to look at the time in between;
// finishReads then runs them in order. A held read finds the clipboard empty if it has changed
// since the read was asked for, as a real one that had not started does.
class FakePasteboard final : public Pasteboard, public PasteboardContents {
public:
    qint64 changeCount() const override { return count; }
    QList<QString> types() const override { return contents.keys(); }

    std::optional<QByteArray> dataForType(const QString& type) const override {
        ++reads;
        if (!contents.contains(type) || failingTypes.contains(type)) {
            return std::nullopt;
        }
        return contents.value(type);
    }

    std::optional<QString> stringForType(const QString& type) const override {
        const auto data = dataForType(type);
        if (!data) {
            return std::nullopt;
        }
        return QString::fromUtf8(*data);
    }

    QList<QUrl> readFileURLs() const override {
        const auto data = dataForType(PasteboardType::fileURL);
        return data ? fileURLsFromUriList(*data) : QList<QUrl>();
    }

    std::optional<QString> ownerName() const override { return owner; }

    void observeChanges(std::function<void()> changed) override { observer = std::move(changed); }

    void readContents(Read read, std::function<void()> done) override {
        held.push_back({count, std::move(read), std::move(done)});
        if (!holdReads) {
            finishReads();
        }
    }

    // Runs the reads held back so far, each with its completion, in the order asked.
    void finishReads() {
        while (!held.empty()) {
            HeldRead next = std::move(held.front());
            held.pop_front();
            if (next.change == count) {
                next.read(*this);
            } else {
                next.read(FakePasteboard());
            }
            next.done();
        }
    }

    qint64 clearContents() override {
        pending.emplace();
        changed();
        return count;
    }

    bool setString(const QString& string, const QString& type) override {
        writing().insert(type, string.toUtf8());
        return true;
    }

    bool setData(const QByteArray& data, const QString& type) override {
        writing().insert(type, data);
        return true;
    }

    bool writeFileURLs(const QList<QUrl>& urls) override {
        QByteArray list;
        for (const QUrl& url : urls) {
            list += url.toEncoded() + "\r\n";
        }
        writing().insert(PasteboardType::fileURL, list);
        return true;
    }

    void commit() override {
        if (pending) {
            contents = std::move(*pending);
            pending.reset();
            owner = ownName;
        }
    }

    // Another program copies: new contents, one change.
    void copy(const QMap<QString, QByteArray>& newContents,
              std::optional<QString> newOwner = std::nullopt) {
        contents = newContents;
        owner = std::move(newOwner);
        changed();
    }
    void copyText(const QString& text, std::optional<QString> newOwner = std::nullopt) {
        copy({{PasteboardType::string, text.toUtf8()}}, std::move(newOwner));
    }

    // Writes begun without clearContents start a new content all the same.
    QMap<QString, QByteArray>& writing() {
        if (!pending) {
            pending.emplace();
            changed();
        }
        return *pending;
    }

    void changed() {
        ++count;
        if (observer) {
            observer();
        }
    }

    struct HeldRead {
        qint64 change;
        Read read;
        std::function<void()> done;
    };

    qint64 count = 0;
    QMap<QString, QByteArray> contents;
    std::optional<QMap<QString, QByteArray>> pending;
    QSet<QString> failingTypes;
    std::optional<QString> owner;
    QString ownName = QStringLiteral("Hodgebin");
    mutable int reads = 0;
    bool holdReads = false;
    std::deque<HeldRead> held;
    std::function<void()> observer;
};
