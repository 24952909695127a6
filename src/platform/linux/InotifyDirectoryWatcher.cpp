#include "platform/linux/InotifyDirectoryWatcher.h"

#include <QFile>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

constexpr uint32_t entryEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                 IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF;

class InotifySource final : public DirectorySource {
public:
    InotifySource(int fd, DirectoryWatcher::Handler handler)
        : fd_(fd)
        , handler_(std::move(handler))
        , notifier_(new QSocketNotifier(fd, QSocketNotifier::Read)) {
        QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this] { drain(); });
    }

    ~InotifySource() override { cancel(); }

    void cancel() override {
        if (fd_ < 0) {
            return;
        }
        // The handler may cancel from inside the notifier's own signal, so the notifier is not
        // deleted under its feet.
        notifier_->setEnabled(false);
        QObject::disconnect(notifier_, nullptr, nullptr, nullptr);
        notifier_->deleteLater();
        notifier_.clear();
        ::close(fd_);
        fd_ = -1;
        handler_ = nullptr;
    }

    bool isCancelled() const override { return fd_ < 0; }

private:
    void drain() {
        // Read everything pending: one batch, one call.
        alignas(inotify_event) char buffer[16 * 1024];
        bool changed = false;
        bool broken = false;
        while (true) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                break;
            }
            if (n <= 0) {
                broken = true;
                break;
            }
            for (ssize_t offset = 0; offset + ssize_t(sizeof(inotify_event)) <= n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
                // IN_Q_OVERFLOW means events were lost: look at the folder anyway.
                if ((event->mask & (entryEvents | IN_Q_OVERFLOW)) != 0) {
                    changed = true;
                }
                offset += ssize_t(sizeof(inotify_event)) + event->len;
            }
        }
        if (broken) {
            // A descriptor that fails to read would wake the loop forever.
            notifier_->setEnabled(false);
        }
        if (changed && handler_) {
            // The handler may destroy this source: nothing of it is touched afterwards.
            DirectoryWatcher::Handler handler = handler_;
            handler();
        }
    }

    int fd_;
    DirectoryWatcher::Handler handler_;
    QPointer<QSocketNotifier> notifier_;
};

} // namespace

std::unique_ptr<DirectorySource> InotifyDirectoryWatcher::watch(const QString& path,
                                                                Handler handler) {
    if (path.isEmpty()) {
        return nullptr;
    }
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    if (::inotify_add_watch(fd, QFile::encodeName(path).constData(), entryEvents | IN_ONLYDIR) <
        0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<InotifySource>(fd, std::move(handler));
}
