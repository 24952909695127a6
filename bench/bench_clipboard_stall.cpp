// The longest time the main thread is held up while other programs copy things that are slow to
// fetch: (a) an owner that offers text and never sends it, (b) a 50 MB text, (c) ten 4K
// screenshots copied back to back. Runs the real clipboard layer and history with their real
// timers on a throw-away Xvfb; the copies are made by xclip (and an owner of our own for (a))
// from a driver thread, while a 1 ms timer on the main thread records how late it fires, with
// and without the time the thread only waited for a processor (this machine may be shared).
#include "BenchSupport.h"
#include "E2eSession.h"
#include "EncodedImage.h"
#include "SelectionOwner.h"
#include "clipboard/ClipboardManager.h"
#include "platform/linux/QtMainQueue.h"
#include "platform/x11/X11Pasteboard.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTimer>

#include <atomic>
#include <mutex>
#include <thread>

namespace {

// What the driver thread may know of the history: written on the main thread only.
struct Observed {
    std::mutex mutex;
    QString newestText;
    qsizetype newestTextLength = 0;
    int entries = 0;
    std::atomic<qint64> lastChangeCount{0};

    void waitFor(const std::function<bool()>& condition) {
        E2eSession::waitUntil(
            [&] {
                std::lock_guard lock(mutex);
                return condition();
            },
            120000, 5);
    }
};

// A 3840 x 2160 picture with rows of "text" and some noise, so each one is different and its PNG
// is as large as a busy screenshot.
QByteArray screenshotPng(int seed) {
    QImage image(3840, 2160, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const bool textRow = y % 22 >= 8 && y % 22 < 18;
        for (int x = 0; x < image.width(); ++x) {
            const bool ink = textRow && (x / 7 + y / 22 + seed) % 11 < 6;
            const int noise = int(random.bounded(8));
            line[x] = ink ? qRgb(30 + noise, 30, 30) : qRgb(40 + y / 27, 60 + noise, 110);
        }
    }
    return encodeImage(image, "PNG");
}

struct Figures {
    double longestMs = 0;
    // The same, less the time the thread stood ready but had no processor: on a shared
    // machine that is the other programs' doing, not ours.
    double longestOwnMs = 0;
    int over16 = 0;
    double seconds = 0;
};

// Nanoseconds this thread has waited for a processor while ready to run.
qint64 runQueueWaitNs() {
    QFile file(QStringLiteral("/proc/thread-self/schedstat"));
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = file.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() : 0;
}

// Runs the driver on its own thread while the main thread turns its event loop; a timer due
// every millisecond measures how late the loop gets to it.
Figures measure(const std::function<void()>& driver) {
    Figures figures;
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 lastWait = runQueueWaitNs();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        const qint64 wait = runQueueWaitNs();
        const double gapMs = double(now - last) / 1e6;
        const double ownMs = double(now - last - (wait - lastWait)) / 1e6;
        figures.longestMs = std::max(figures.longestMs, gapMs);
        figures.longestOwnMs = std::max(figures.longestOwnMs, ownMs);
        figures.over16 += ownMs > 16 ? 1 : 0;
        last = now;
        lastWait = wait;
    });
    tick.start();
    std::atomic<bool> done{false};
    std::thread thread([&] {
        driver();
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    thread.join();
    tick.stop();
    figures.seconds = double(clock.nsecsElapsed()) / 1e9;
    return figures;
}

void print(const char* what, const Figures& f, int entries) {
    std::printf("  %-36s longest block %7.1f ms (%7.1f ms less waits for a processor), "
                "%3d such blocks over 16 ms, %4.1f s, %d entries\n",
                what, f.longestMs, f.longestOwnMs, f.over16, f.seconds, entries);
}

} // namespace

int main(int argc, char** argv) {
    E2eSession::Options options;
    options.windowManager = E2eSession::WindowManager::none;
    E2eSession desktop(options);
    if (!desktop.ok()) {
        std::fprintf(stderr, "no X server: %s\n", qPrintable(desktop.error()));
        return 1;
    }
    qputenv("DISPLAY", desktop.display().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);

    QtMainQueue queue;
    X11Pasteboard pasteboard(QGuiApplication::clipboard(), queue);
    NoWorkspace workspace;
    ClipboardManager manager(pasteboard, workspace, queue);
    Observed observed;
    QObject::connect(&manager, &ClipboardManager::itemsChanged, [&] {
        std::lock_guard lock(observed.mutex);
        observed.entries = int(manager.items().size());
        const bool text = !manager.items().isEmpty() &&
                          manager.items().first().content.kind() == ClipboardContent::Kind::text;
        const QString newest = text ? manager.items().first().content.textValue() : QString();
        observed.newestText = newest.left(64);
        observed.newestTextLength = newest.size();
    });
    QObject::connect(&manager, &ClipboardManager::lastChangeCountChanged,
                     [&] { observed.lastChangeCount = manager.lastChangeCount(); });
    manager.startPolling();

    // A marker copied last shows that everything before it has been dealt with.
    const auto copyMarker = [&](const QString& marker) {
        desktop.copyWithXclip(marker.toUtf8());
        observed.waitFor([&] { return observed.newestText == marker; });
    };
    const auto entries = [&] {
        std::lock_guard lock(observed.mutex);
        return observed.entries;
    };

    std::printf("bench_clipboard_stall: longest main-thread block while other programs copy\n");

    // What this machine does to a thread that has nothing to do, for comparison.
    const Figures quiet = measure([] { std::this_thread::sleep_for(std::chrono::seconds(5)); });
    print("(0) nothing copied, for comparison", quiet, 0);

    int before = entries();
    const Figures stalled = measure([&] {
        const qint64 seen = observed.lastChangeCount;
        SelectionOwner owner({{"UTF8_STRING", std::nullopt}, {"image/png", std::nullopt}});
        // Once the change is noticed, the read of the silent owner is under way; the owner keeps
        // the clipboard until the transfer has timed out.
        E2eSession::waitUntil([&] { return observed.lastChangeCount != seen; }, 10000, 5);
        std::this_thread::sleep_for(std::chrono::seconds(6));
        copyMarker(QStringLiteral("after the silent owner"));
    });
    print("(a) owner that never sends", stalled, entries() - before);

    QByteArray text;
    text.reserve(50 * 1024 * 1024);
    while (text.size() < 50 * 1024 * 1024) {
        text += "A line of a very long log file, copied whole from a terminal. 0123456789\n";
    }
    before = entries();
    const Figures large = measure([&] {
        desktop.copyWithXclip(text);
        observed.waitFor([&] { return observed.newestTextLength == text.size(); });
    });
    print("(b) 50 MB text", large, entries() - before);
    text.clear();

    QList<QByteArray> screenshots;
    qint64 pngBytes = 0;
    for (int i = 0; i < 10; ++i) {
        screenshots.append(screenshotPng(i));
        pngBytes += screenshots.last().size();
    }
    before = entries();
    const Figures images = measure([&] {
        for (const QByteArray& png : screenshots) {
            desktop.copyWithXclip(png, QStringLiteral("image/png"));
        }
        copyMarker(QStringLiteral("after the screenshots"));
    });
    print("(c) ten 4K screenshots", images, entries() - before);
    std::printf("  (the screenshots are %lld KB of PNG each on average)\n",
                static_cast<long long>(pngBytes / 10 / 1024));
    return 0;
}
