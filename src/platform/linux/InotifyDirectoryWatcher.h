#pragma once

#include "platform/DirectoryWatcher.h"

// Watches folders with inotify: entries created, deleted, moved in or out, files closed after
// writing (so a picture written in place is seen once it is complete), and the folder itself
// deleted or moved away. Each source has
// its own inotify descriptor, read through a socket notifier on the main thread; everything
// read in one pass counts as one batch and runs the handler once.
class InotifyDirectoryWatcher final : public DirectoryWatcher {
public:
    std::unique_ptr<DirectorySource> watch(const QString& path, Handler handler) override;
};
