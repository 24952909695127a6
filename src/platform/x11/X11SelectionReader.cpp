#include "platform/x11/X11SelectionReader.h"

#include "platform/MainQueue.h"
#include "platform/x11/X11ProgramName.h"
#include "platform/x11/X11Requests.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

namespace {

// Other programs name rich text differently; all of them carry RTF.
const QList<QByteArray> rtfTargets = {"text/rtf", "application/rtf", "text/richtext"};
// Plain text under the names X programs use, the UTF-8 ones first; STRING is Latin-1.
const QList<QByteArray> utf8TextTargets = {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain"};
const QByteArray latin1TextTarget = "STRING";

// A clipboard with nothing on it, for reads whose content has been replaced.
class NoContents final : public PasteboardContents {
public:
    QList<QString> types() const override { return {}; }
    std::optional<QByteArray> dataForType(const QString&) const override { return {}; }
    std::optional<QString> stringForType(const QString&) const override { return {}; }
    QList<QUrl> readFileURLs() const override { return {}; }
};

} // namespace

// The reader's own X connection and what it has learned of the server. Used by one read at a
// time, on whichever worker runs it; stopping and the current change may be set from the main
// thread at any time.
class X11SelectionReader::Connection {
public:
    explicit Connection(int transferTimeoutMs);
    ~Connection();

    // Calls read with what the clipboard holds for this change: nothing once it has moved on.
    void read(qint64 change, const Pasteboard::Read& read);
    // Ends the read under way at its next wait; nothing is asked for afterwards.
    void stop();

    std::atomic<qint64> currentChange{0};

    xcb_atom_t atom(const QByteArray& name);
    QByteArray atomName(xcb_atom_t atom);
    // The bytes of one type from the owner, or nothing; `silent` is set on a time-out.
    std::optional<QByteArray> convert(xcb_atom_t target, qint64 change, bool& silent);
    // The program that owns the clipboard, as its window and the server tell; nothing once the
    // clipboard has moved on from this change.
    std::optional<QString> ownerName(qint64 change);

private:
    // Waits for the first event that `match` accepts, dropping the others; null on a time-out
    // (then `timedOut` is set), a broken connection or shutdown. The caller frees the event.
    xcb_generic_event_t* waitForEvent(const std::function<bool(const xcb_generic_event_t&)>& match,
                                      bool& timedOut);
    // Reads our property whole and deletes it; its type is stored in `type`.
    std::optional<QByteArray> takeProperty(xcb_atom_t& type);

    const int timeoutMs_;
    // What our own copies are labelled with.
    const QString ownName_;
    std::atomic<bool> stopping_{false};
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
};

// The clipboard as one read sees it: the owner is asked for its types once, then for each type
// the reader wants. Used by that read only.
class X11SelectionReader::Contents final : public PasteboardContents {
public:
    Contents(Connection& reader, qint64 change)
        : reader_(reader)
        , change_(change) {}

    QList<QString> types() const override {
        QList<QString> names;
        for (const xcb_atom_t target : targets()) {
            names.append(QString::fromLatin1(reader_.atomName(target)));
        }
        return names;
    }

    std::optional<QByteArray> dataForType(const QString& type) const override {
        const QList<QByteArray> candidates =
            type == PasteboardType::rtf ? rtfTargets : QList<QByteArray>{type.toUtf8()};
        for (const QByteArray& candidate : candidates) {
            if (auto bytes = fetch(candidate); bytes && !bytes->isEmpty()) {
                return bytes;
            }
        }
        return std::nullopt;
    }

    std::optional<QString> stringForType(const QString& type) const override {
        if (type != PasteboardType::string) {
            const auto bytes = dataForType(type);
            return bytes ? std::optional<QString>(QString::fromUtf8(*bytes)) : std::nullopt;
        }
        for (const QByteArray& candidate : utf8TextTargets) {
            if (auto bytes = fetch(candidate); bytes && !bytes->isEmpty()) {
                return QString::fromUtf8(*bytes);
            }
        }
        if (auto bytes = fetch(latin1TextTarget); bytes && !bytes->isEmpty()) {
            return QString::fromLatin1(*bytes);
        }
        return std::nullopt;
    }

    QList<QUrl> readFileURLs() const override {
        const auto list = dataForType(PasteboardType::fileURL);
        return list ? fileURLsFromUriList(*list) : QList<QUrl>();
    }

    std::optional<QString> ownerName() const override { return reader_.ownerName(change_); }

private:
    const QList<xcb_atom_t>& targets() const {
        if (!targets_) {
            targets_.emplace();
            const auto bytes = reader_.convert(reader_.atom("TARGETS"), change_, silent_);
            if (bytes) {
                const auto* atoms = reinterpret_cast<const xcb_atom_t*>(bytes->constData());
                for (qsizetype i = 0; i < bytes->size() / qsizetype(sizeof(xcb_atom_t)); ++i) {
                    targets_->append(atoms[i]);
                }
            }
        }
        return *targets_;
    }

    // Only types the owner offers are asked for, and none once it has let one transfer stall.
    std::optional<QByteArray> fetch(const QByteArray& name) const {
        const xcb_atom_t target = reader_.atom(name);
        if (target == XCB_ATOM_NONE || !targets().contains(target) || silent_) {
            return std::nullopt;
        }
        return reader_.convert(target, change_, silent_);
    }

    Connection& reader_;
    const qint64 change_;
    mutable std::optional<QList<xcb_atom_t>> targets_;
    mutable bool silent_ = false;
};

X11SelectionReader::Connection::Connection(int transferTimeoutMs)
    : timeoutMs_(transferTimeoutMs)
    , ownName_(QCoreApplication::applicationName()) {
    connection_ = xcb_connect(nullptr, nullptr);
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (xcb_connection_has_error(connection_) == 0) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        window_ = xcb_generate_id(connection_);
        // Property changes tell us when the next piece of an incremental transfer is there.
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &events);
        clipboard_ = atom("CLIPBOARD");
        for (int i = 0; i < 4; ++i) {
            properties_.append(atom("HODGEBIN_SELECTION_" + QByteArray::number(i)));
        }
        incr_ = atom("INCR");
    }
}

X11SelectionReader::Connection::~Connection() {
    xcb_disconnect(connection_);
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
    }
}

void X11SelectionReader::Connection::stop() {
    stopping_ = true;
    if (wakeFd_ >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
    }
}

void X11SelectionReader::Connection::read(qint64 change, const Pasteboard::Read& read) {
    if (window_ != 0 && change == currentChange && !stopping_) {
        read(Contents(*this, change));
    } else {
        read(NoContents());
    }
}

std::optional<QString> X11SelectionReader::Connection::ownerName(qint64 change) {
    if (change != currentChange || stopping_ || window_ == 0) {
        return std::nullopt;
    }
    const XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        connection_, xcb_get_selection_owner(connection_, clipboard_), nullptr));
    if (!owner || owner->owner == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    const X11ProgramName::WindowProgram program =
        X11ProgramName::windowProgram(connection_, owner->owner, atom("_NET_WM_PID"));
    if (program.windowClass) {
        return program.windowClass;
    }
    return program.pid == ::getpid() ? ownName_ : X11ProgramName::processName(program.pid);
}

X11SelectionReader::X11SelectionReader(MainQueue& queue, int transferTimeoutMs)
    : queue_(queue)
    , connection_(std::make_shared<Connection>(transferTimeoutMs)) {}

X11SelectionReader::~X11SelectionReader() {
    connection_->stop();
    if (reading_) {
        reading_->cancel();
    }
}

void X11SelectionReader::setCurrentChange(qint64 change) {
    connection_->currentChange = change;
}

void X11SelectionReader::read(qint64 change, Pasteboard::Read read, std::function<void()> done) {
    waiting_.push_back({change, std::move(read), std::move(done)});
    if (!reading_) {
        startNext();
    }
}

void X11SelectionReader::startNext() {
    if (waiting_.empty()) {
        return;
    }
    Job job = std::move(waiting_.front());
    waiting_.pop_front();
    reading_ = queue_.runInBackground(
        [connection = connection_, change = job.change,
         read = std::move(job.read)](const BackgroundTask&) { connection->read(change, read); },
        [this, done = std::move(job.done)] {
            reading_.reset();
            startNext();
            // Last: the owner may let this reader go from its completion.
            done();
        });
}

xcb_atom_t X11SelectionReader::Connection::atom(const QByteArray& name) {
    if (const auto it = atoms_.constFind(name); it != atoms_.cend()) {
        return *it;
    }
    const xcb_atom_t a =
        internAtom(connection_, std::string_view(name.constData(), size_t(name.size())));
    atoms_.insert(name, a);
    return a;
}

QByteArray X11SelectionReader::Connection::atomName(xcb_atom_t atom) {
    if (const auto it = names_.constFind(atom); it != names_.cend()) {
        return *it;
    }
    const XcbReply<xcb_get_atom_name_reply_t> reply(
        xcb_get_atom_name_reply(connection_, xcb_get_atom_name(connection_, atom), nullptr));
    QByteArray name;
    if (reply) {
        name = QByteArray(xcb_get_atom_name_name(reply.get()),
                          xcb_get_atom_name_name_length(reply.get()));
    }
    names_.insert(atom, name);
    return name;
}

std::optional<QByteArray> X11SelectionReader::Connection::convert(xcb_atom_t target, qint64 change,
                                                                  bool& silent) {
    // Once the content has been replaced, asking would fetch the next owner's content instead.
    // A transfer already under way is finished: its owner may still send what it had.
    if (change != currentChange || stopping_) {
        return std::nullopt;
    }
    property_ = properties_[nextProperty_];
    nextProperty_ = (nextProperty_ + 1) % int(properties_.size());
    xcb_delete_property(connection_, window_, property_);
    xcb_convert_selection(connection_, window_, clipboard_, target, property_, XCB_CURRENT_TIME);
    xcb_flush(connection_);
    xcb_generic_event_t* event = waitForEvent(
        [&](const xcb_generic_event_t& e) {
            if ((e.response_type & 0x7f) != XCB_SELECTION_NOTIFY) {
                return false;
            }
            const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(e);
            return notify.requestor == window_ && notify.selection == clipboard_ &&
                   notify.target == target &&
                   (notify.property == property_ || notify.property == XCB_ATOM_NONE);
        },
        silent);
    if (event == nullptr) {
        return std::nullopt;
    }
    const xcb_atom_t answered = reinterpret_cast<xcb_selection_notify_event_t*>(event)->property;
    std::free(event);
    if (answered == XCB_ATOM_NONE) {
        return std::nullopt; // refused
    }
    xcb_atom_t type = XCB_ATOM_NONE;
    std::optional<QByteArray> bytes = takeProperty(type);
    if (!bytes || type != incr_) {
        return bytes;
    }
    // Incremental: the owner puts each piece in the property once we have deleted the last
    // one, and ends with an empty piece.
    QByteArray whole;
    while (true) {
        event = waitForEvent(
            [&](const xcb_generic_event_t& e) {
                if ((e.response_type & 0x7f) != XCB_PROPERTY_NOTIFY) {
                    return false;
                }
                const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(e);
                return notify.window == window_ && notify.atom == property_ &&
                       notify.state == XCB_PROPERTY_NEW_VALUE;
            },
            silent);
        if (event == nullptr) {
            return std::nullopt;
        }
        std::free(event);
        const std::optional<QByteArray> piece = takeProperty(type);
        if (!piece) {
            return std::nullopt;
        }
        if (piece->isEmpty()) {
            return whole;
        }
        if (whole.size() + piece->size() > maxTransferBytes) {
            return std::nullopt;
        }
        whole += *piece;
    }
}

xcb_generic_event_t* X11SelectionReader::Connection::waitForEvent(
    const std::function<bool(const xcb_generic_event_t&)>& match, bool& timedOut) {
    const QDeadlineTimer deadline(timeoutMs_);
    while (!stopping_) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            if (match(*event)) {
                return event;
            }
            std::free(event);
        }
        if (xcb_connection_has_error(connection_) != 0) {
            return nullptr;
        }
        if (deadline.hasExpired()) {
            timedOut = true;
            return nullptr;
        }
        pollfd fds[2] = {{xcb_get_file_descriptor(connection_), POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        ::poll(fds, wakeFd_ >= 0 ? 2 : 1, int(std::max<qint64>(1, deadline.remainingTime())));
        if ((fds[1].revents & POLLIN) != 0) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t read = ::read(wakeFd_, &count, sizeof count);
        }
    }
    return nullptr;
}

std::optional<QByteArray> X11SelectionReader::Connection::takeProperty(xcb_atom_t& type) {
    QByteArray bytes;
    uint32_t offset = 0; // in 32-bit units, as the protocol counts
    while (true) {
        // A quarter megabyte per request: the server answers other clients (our main thread
        // among them) between the pieces of a large property.
        const XcbReply<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(connection_,
                                   xcb_get_property(connection_, 0, window_, property_,
                                                    XCB_GET_PROPERTY_TYPE_ANY, offset, 1u << 16),
                                   nullptr));
        if (!reply) {
            return std::nullopt;
        }
        type = reply->type;
        const int length = xcb_get_property_value_length(reply.get());
        if (bytes.size() + length > maxTransferBytes) {
            return std::nullopt;
        }
        bytes.append(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
        if (reply->bytes_after == 0) {
            break;
        }
        offset += uint32_t(length) / 4;
    }
    xcb_delete_property(connection_, window_, property_);
    xcb_flush(connection_);
    return bytes;
}
