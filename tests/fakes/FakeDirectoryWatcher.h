#pragma once

#include "platform/DirectoryWatcher.h"

#include <QSet>
#include <QStringList>

#include <vector>

// Folder watches that tests fire by hand: `fire(path)` delivers one batch of changes to every
// live watch on that folder, as the real watcher would after the folder's entries changed.
class FakeDirectoryWatcher final : public DirectoryWatcher {
public:
    std::unique_ptr<DirectorySource> watch(const QString& path, Handler handler) override {
        requested.append(path);
        if (unwatchable.contains(path)) {
            return nullptr;
        }
        return std::make_unique<Source>(live_, path, std::move(handler));
    }

    void fire(const QString& path) {
        // Handlers may cancel watches, so the ones to call are picked first.
        std::vector<Handler> due;
        for (const Source* source : *live_) {
            if (source->path == path) {
                due.push_back(source->handler);
            }
        }
        for (const Handler& handler : due) {
            handler();
        }
    }

    int liveWatchCount(const QString& path) const {
        int count = 0;
        for (const Source* source : *live_) {
            count += source->path == path ? 1 : 0;
        }
        return count;
    }

    QStringList requested;
    QSet<QString> unwatchable;

private:
    struct Source final : DirectorySource {
        Source(std::shared_ptr<std::vector<Source*>> registry, QString p, Handler h)
            : live(registry)
            , path(std::move(p))
            , handler(std::move(h)) {
            registry->push_back(this);
        }
        ~Source() override { cancel(); }
        void cancel() override {
            if (auto registry = live.lock()) {
                std::erase(*registry, this);
            }
            live.reset();
        }
        bool isCancelled() const override { return live.expired(); }

        std::weak_ptr<std::vector<Source*>> live;
        QString path;
        Handler handler;
    };

    std::shared_ptr<std::vector<Source*>> live_ = std::make_shared<std::vector<Source*>>();
};
