#pragma once

#include <QString>

#include <functional>
#include <memory>

// A live watch on one folder. The handler it was made with runs on the main thread once per
// batch of changes to the folder's entries (a file added, removed, moved in or out, or finished
// being written) or to the folder itself (deleted or moved away). Cancelling, or destroying the
// source, stops it for good.
class DirectorySource {
public:
    virtual ~DirectorySource() = default;
    virtual void cancel() = 0;
    virtual bool isCancelled() const = 0;
};

class DirectoryWatcher {
public:
    using Handler = std::function<void()>;

    virtual ~DirectoryWatcher() = default;

    // Starts watching the folder at path; nothing when it cannot be watched (missing,
    // unreadable, not a folder).
    virtual std::unique_ptr<DirectorySource> watch(const QString& path, Handler handler) = 0;
};
