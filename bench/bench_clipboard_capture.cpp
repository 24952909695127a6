// Time from a clipboard change to the new entry, for a 10 MB text; then, on a throw-away X
// server with the real timers, how many of 50 copies made 0.1 s apart become entries, how long
// each copy takes to reach the history, and how often the idle program wakes up.
#include "BenchSupport.h"
#include "E2eSession.h"
#include "clipboard/ClipboardManager.h"
#include "fakes/ManualMainQueue.h"
#include "platform/linux/QtMainQueue.h"
#include "platform/x11/X11Pasteboard.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>

#include <QDir>
#include <QFile>

#include <unicode/unorm2.h>
#include <xcb/xcb.h>

#include <poll.h>

#include <array>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

QByteArray tenMegabytes(const char* unit) {
    QByteArray text;
    const QByteArray line = QByteArray(unit) + '\n';
    while (text.size() < 10 * 1024 * 1024) {
        text += line;
    }
    return text;
}

// One capture after `previous` was the newest entry; milliseconds and entries added.
std::pair<double, int> captureAfter(const QByteArray& previous, const QByteArray& next) {
    TransferPasteboard pasteboard;
    NoWorkspace workspace;
    ManualMainQueue queue;
    ClipboardManager manager(pasteboard, workspace, queue);
    manager.startPolling();
    if (!previous.isEmpty()) {
        pasteboard.copy(PasteboardType::string, previous);
        manager.checkPasteboard();
    }
    const auto before = manager.items().size();
    pasteboard.copy(PasteboardType::string, next);
    const auto start = std::chrono::steady_clock::now();
    manager.checkPasteboard();
    return {secondsSince(start) * 1000, int(manager.items().size() - before)};
}

// Through the real X server: xclip owns the clipboard, we fetch the 10 MB from it.
void overX11(const QByteArray& text) {
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"),
                {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-i")});
    if (!xclip.waitForStarted(3000)) {
        std::printf("  over X11 with xclip:                 skipped (no xclip)\n");
        return;
    }
    QtMainQueue workers;
    X11Pasteboard pasteboard(QGuiApplication::clipboard(), workers);
    NoWorkspace workspace;
    ManualMainQueue queue;
    ClipboardManager manager(pasteboard, workspace, queue);
    manager.startPolling();
    xclip.write(text);
    xclip.closeWriteChannel();
    xclip.waitForFinished(10000);
    QDeadlineTimer deadline(10000);
    while (pasteboard.changeCount() == manager.lastChangeCount() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    const auto start = std::chrono::steady_clock::now();
    manager.checkPasteboard();
    // The fetch runs off the main thread; the entry arrives through the event loop.
    deadline = QDeadlineTimer(30000);
    while (manager.items().isEmpty() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    std::printf("  over X11, fetched from xclip:     %8.1f ms (%d entry)\n",
                secondsSince(start) * 1000, int(manager.items().size()));
}

constexpr int quickCopies = 50;
constexpr auto copySpacing = std::chrono::milliseconds(100);

// Another program that copies "copy 1" .. "copy 50", one every 0.1 s, and serves each text as
// UTF8_STRING until the next one replaces it. It notes when it took the clipboard for each.
class QuickCopier {
public:
    std::array<std::atomic<qint64>, quickCopies> copiedAtNs{};

    void run(std::chrono::steady_clock::time_point start) {
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        const xcb_window_t window = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        const xcb_atom_t clipboard = atom(c, "CLIPBOARD");
        const xcb_atom_t targets = atom(c, "TARGETS");
        const xcb_atom_t utf8 = atom(c, "UTF8_STRING");
        QByteArray text;
        for (int i = 0; i <= quickCopies; ++i) {
            // Serves requests until the next copy is due; the last 'copy' only serves a while.
            const auto due = start + copySpacing * (i == quickCopies ? i + 10 : i);
            while (std::chrono::steady_clock::now() < due) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    due - std::chrono::steady_clock::now());
                pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
                ::poll(&fd, 1, int(std::max<qint64>(1, left.count())));
                while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
                    if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
                        answer(c, *reinterpret_cast<xcb_selection_request_event_t*>(event), targets,
                               utf8, text);
                    }
                    std::free(event);
                }
            }
            if (i == quickCopies) {
                break;
            }
            text = "copy " + QByteArray::number(i + 1);
            copiedAtNs[i] = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                std::chrono::steady_clock::now().time_since_epoch())
                                .count();
            xcb_set_selection_owner(c, window, clipboard, XCB_CURRENT_TIME);
            xcb_flush(c);
        }
        xcb_disconnect(c);
    }

private:
    static xcb_atom_t atom(xcb_connection_t* c, const char* name) {
        auto* reply =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t a = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return a;
    }

    static void answer(xcb_connection_t* c, const xcb_selection_request_event_t& request,
                       xcb_atom_t targets, xcb_atom_t utf8, const QByteArray& text) {
        xcb_atom_t property = request.property;
        if (request.target == targets) {
            const xcb_atom_t list[] = {targets, utf8};
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                XCB_ATOM_ATOM, 32, 2, list);
        } else if (request.target == utf8) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, utf8, 8,
                                uint32_t(text.size()), text.constData());
        } else {
            property = XCB_ATOM_NONE;
        }
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = property;
        xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&notify));
        xcb_flush(c);
    }
};

// Context switches of every thread of this process so far: each one is a wake-up.
long long wakeUps() {
    long long total = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task) + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly)) {
            continue;
        }
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches") ||
                line.startsWith("nonvoluntary_ctxt_switches")) {
                total += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
            }
        }
    }
    return total;
}

// The real clipboard layer and history with their real timers, as the program runs them.
void quickCopiesOverX11() {
    QtMainQueue queue;
    X11Pasteboard pasteboard(QGuiApplication::clipboard(), queue);
    NoWorkspace workspace;
    ClipboardManager manager(pasteboard, workspace, queue);
    QuickCopier copier;
    // Milliseconds from each copy to its entry, by copy number.
    std::array<double, quickCopies> latencyMs{};
    latencyMs.fill(-1);
    QObject::connect(&manager, &ClipboardManager::itemsChanged, [&] {
        const qint64 now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::steady_clock::now().time_since_epoch())
                               .count();
        if (manager.items().isEmpty()) {
            return;
        }
        const QString text = manager.items().first().content.textValue();
        const int n = text.startsWith(QLatin1String("copy ")) ? text.mid(5).toInt() : 0;
        if (n >= 1 && n <= quickCopies && latencyMs[n - 1] < 0) {
            latencyMs[n - 1] = double(now - copier.copiedAtNs[n - 1]) / 1e6;
        }
    });
    manager.startPolling();

    const auto start = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    std::atomic<bool> done{false};
    std::thread thread([&] {
        copier.run(start);
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    thread.join();
    QDeadlineTimer settle(1000);
    while (!settle.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    // In order: the entries, oldest first, are copies with rising numbers.
    int recorded = 0;
    bool inOrder = true;
    int last = 0;
    for (auto it = manager.items().crbegin(); it != manager.items().crend(); ++it) {
        const QString text = it->content.textValue();
        const int n = text.startsWith(QLatin1String("copy ")) ? text.mid(5).toInt() : 0;
        if (n >= 1 && n <= quickCopies) {
            ++recorded;
            inOrder = inOrder && n > last;
            last = n;
        }
    }
    std::vector<double> seen;
    for (const double ms : latencyMs) {
        if (ms >= 0) {
            seen.push_back(ms);
        }
    }
    std::sort(seen.begin(), seen.end());
    QStringList lost;
    for (int i = 0; i < quickCopies; ++i) {
        if (latencyMs[i] < 0) {
            lost.append(QString::number(i + 1));
        }
    }
    std::printf("  %d copies 0.1 s apart by another program: %d recorded, %s%s%s\n", quickCopies,
                recorded, inOrder ? "in order" : "OUT OF ORDER",
                lost.isEmpty() ? "" : "; lost: copy ", qPrintable(lost.join(QStringLiteral(", "))));
    if (!seen.empty()) {
        std::printf("  copy -> entry:                     median %6.1f ms, max %6.1f ms\n",
                    seen[seen.size() / 2], seen.back());
    }

    // Idle: the history watching a clipboard that does not change.
    const int idleSeconds = 10;
    QTimer quit;
    quit.setSingleShot(true);
    QEventLoop loop;
    QObject::connect(&quit, &QTimer::timeout, &loop, &QEventLoop::quit);
    const long long before = wakeUps();
    quit.start(idleSeconds * 1000);
    loop.exec();
    const long long woken = wakeUps() - before;
    std::printf("  idle for %d s:                      %6.2f wake-ups/s (all threads, the one "
                "that ends the watch included)\n",
                idleSeconds, double(woken) / idleSeconds);
}

// The canonical decomposition, made by ICU: QString::normalized takes minutes on 10 MB.
QString decompose(const QString& text) {
    UErrorCode error = U_ZERO_ERROR;
    const UNormalizer2* nfd = unorm2_getNFDInstance(&error);
    QString out(text.size() * 3, Qt::Uninitialized);
    const int32_t length = unorm2_normalize(
        nfd, reinterpret_cast<const UChar*>(text.constData()), int32_t(text.size()),
        reinterpret_cast<UChar*>(out.data()), int32_t(out.size()), &error);
    out.resize(U_SUCCESS(error) ? length : 0);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    E2eSession::Options options;
    options.windowManager = E2eSession::WindowManager::none;
    E2eSession desktop(options);
    const bool haveDisplay = desktop.ok();
    if (haveDisplay) {
        qputenv("DISPLAY", desktop.display().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);

    const QByteArray ascii = tenMegabytes("The quick brown fox jumps over the lazy dog, again.");
    const QByteArray asciiOther =
        tenMegabytes("The quick brown fox jumps over the lazy cat, again.");
    const QByteArray accented =
        tenMegabytes("Fran\xc3\xa7ois a d\xc3\xa9j\xc3\xa0 vu l'\xc3\xa9t\xc3\xa9 "
                     "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82");
    const QByteArray accentedOther =
        tenMegabytes("Fran\xc3\xa7oise a d\xc3\xa9j\xc3\xa0 vu l'\xc3\xa9t\xc3\xa9 "
                     "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82");

    std::printf("bench_clipboard_capture: change to entry for a %.1f MB text\n",
                ascii.size() / 1048576.0);
    auto report = [](const char* what, std::pair<double, int> r) {
        std::printf("  %-34s %8.1f ms (%d entry)\n", what, r.first, r.second);
    };
    report("empty history:", captureAfter({}, ascii));
    report("after another 10 MB text:", captureAfter(asciiOther, ascii));
    report("accented, after another:", captureAfter(accentedOther, accented));
    report("repeat of the newest (no entry):", captureAfter(accented, accented));
    const QByteArray decomposed = decompose(QString::fromUtf8(accented)).toUtf8();
    report("same text decomposed (no entry):", captureAfter(accented, decomposed));
    if (haveDisplay) {
        overX11(accented);
        quickCopiesOverX11();
    } else {
        std::printf("  over X11:                            skipped (no X server: %s)\n",
                    qPrintable(desktop.error()));
    }
    return 0;
}
