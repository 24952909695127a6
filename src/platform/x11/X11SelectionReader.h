#pragma once

#include "platform/Pasteboard.h"

#include <QHash>

#include <atomic>
#include <deque>
#include <memory>

#include <xcb/xcb.h>

class BackgroundTask;
class MainQueue;

// Fetches what other programs put on the CLIPBOARD selection, over an X connection of its own
// and on the main queue's workers, so that an owner that is slow or never answers holds up
// nothing else. Reads run one at a time in the order asked (the next is handed over when the
// last one's completion runs); their completions run on the main thread in the same order.
class X11SelectionReader {
public:
    // A transfer that stalls for longer than the time-out fails, and the owner is then not
    // asked for anything else in that read.
    X11SelectionReader(MainQueue& queue, int transferTimeoutMs);
    // A read under way is abandoned at its next wait, and no completion runs after this.
    ~X11SelectionReader();

    X11SelectionReader(const X11SelectionReader&) = delete;
    X11SelectionReader& operator=(const X11SelectionReader&) = delete;

    // The clipboard's content has changed. A read asked for at an earlier change asks for
    // nothing more: the content it was meant for is gone (a transfer already under way is
    // finished).
    void setCurrentChange(qint64 change);
    void read(qint64 change, Pasteboard::Read read, std::function<void()> done);

    // Larger transfers are given up: a hostile owner could otherwise send without end.
    static constexpr qsizetype maxTransferBytes = qsizetype(512) * 1024 * 1024;

private:
    class Connection;
    class Contents;
    struct Job {
        qint64 change;
        Pasteboard::Read read;
        std::function<void()> done;
    };

    void startNext();

    MainQueue& queue_;
    // Shared with the read under way, which may be the last to let it go.
    std::shared_ptr<Connection> connection_;
    // Main thread only.
    std::deque<Job> waiting_;
    std::shared_ptr<BackgroundTask> reading_;
};
