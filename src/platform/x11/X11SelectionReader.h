#pragma once

#include "platform/Pasteboard.h"

#include <QHash>
#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include <xcb/xcb.h>

// Fetches what other programs put on the CLIPBOARD selection, on a thread of its own over an X
// connection of its own, so that an owner that is slow or never answers holds up nothing else.
// Reads run one at a time in the order asked; their completions are queued to the context
// object's thread in the same order.
class X11SelectionReader {
public:
    // A read asked for at one change of the clipboard asks for nothing more once
    // `currentChange` has moved on: the content it was meant for is gone (a transfer already
    // under way is finished). A transfer that stalls for longer than the time-out fails, and
    // the owner is then not asked for anything else in that read.
    X11SelectionReader(QObject* context, const std::atomic<qint64>& currentChange,
                       int transferTimeoutMs);
    ~X11SelectionReader();

    X11SelectionReader(const X11SelectionReader&) = delete;
    X11SelectionReader& operator=(const X11SelectionReader&) = delete;

    void read(qint64 change, Pasteboard::Read read, std::function<void()> done);

    // Larger transfers are given up: a hostile owner could otherwise send without end.
    static constexpr qsizetype maxTransferBytes = qsizetype(512) * 1024 * 1024;

private:
    class Contents;
    struct Job {
        qint64 change;
        Pasteboard::Read read;
        std::function<void()> done;
    };

    void run();
    xcb_atom_t atom(const QByteArray& name);
    QByteArray atomName(xcb_atom_t atom);
    // The bytes of one type from the owner, or nothing; `silent` is set on a time-out.
    std::optional<QByteArray> convert(xcb_atom_t target, qint64 change, bool& silent);
    // Waits for the first event that `match` accepts, dropping the others; null on a time-out
    // (then `timedOut` is set), a broken connection or shutdown. The caller frees the event.
    xcb_generic_event_t* waitForEvent(const std::function<bool(const xcb_generic_event_t&)>& match,
                                      bool& timedOut);
    // Reads our property whole and deletes it; its type is stored in `type`.
    std::optional<QByteArray> takeProperty(xcb_atom_t& type);

    QPointer<QObject> context_;
    const std::atomic<qint64>& currentChange_;
    const int timeoutMs_;
    // What our own copies are labelled with.
    const QString ownName_;

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t window_ = 0;
    xcb_atom_t clipboard_ = 0;
    // Each transfer uses the next of a few properties, so that a late answer to an abandoned
    // transfer is not taken for the answer to the current one.
    QList<xcb_atom_t> properties_;
    xcb_atom_t property_ = 0;
    int nextProperty_ = 0;
    xcb_atom_t incr_ = 0;
    QHash<QByteArray, xcb_atom_t> atoms_;
    QHash<xcb_atom_t, QByteArray> names_;
    int wakeFd_ = -1;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};
