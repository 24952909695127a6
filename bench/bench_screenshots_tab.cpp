// Opening the drawer's screenshots tab: 50 screenshots at 3840 x 2160 already listed, the tab
// made and painted as the drawer does when its tab is chosen. Prints the time to the first
// painted frame and the memory the tab holds; then the same for a list of 500 entries, and how
// long the main thread is held up when a screenshot arrives while the tab is open; then 5,000
// screenshots written at once, and deleted again (only that, for as many as the first argument
// says, when there is one).

#include "BenchSupport.h"
#include "EncodedImage.h"
#include "clipboard/ClipboardManager.h"
#include "fakes/MemoryUserDefaults.h"
#include "notes/NotesManager.h"
#include "panel/PanelState.h"
#include "platform/NotificationCenter.h"
#include "platform/ScreenCapture.h"
#include "platform/linux/InotifyDirectoryWatcher.h"
#include "platform/linux/QtMainQueue.h"
#include "screenshots/ScreenshotCell.h"
#include "screenshots/ScreenshotManager.h"
#include "screenshots/ScreenshotsView.h"
#include "shelf/FileShelfManager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <malloc.h>
#include <thread>
#include <tuple>

namespace {

class FixedScreenCapture final : public ScreenCapture {
public:
    explicit FixedScreenCapture(QString path)
        : path_(std::move(path)) {}
    std::optional<QString> location() const override { return path_; }

private:
    QString path_;
};

// Something like a desktop: a gradient, windows, and lines of "text".
QImage screenLikePicture(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient background(0, 0, size.width(), size.height());
    background.setColorAt(0, QColor(40, 60, 110));
    background.setColorAt(1, QColor(120, 40, 90));
    p.fillRect(image.rect(), background);
    for (int w = 0; w < 6; ++w) {
        const QRect window(size.width() / 20 + w * size.width() / 8,
                           size.height() / 14 + w * size.height() / 9, size.width() * 5 / 12,
                           size.height() * 6 / 13);
        p.fillRect(window, QColor(245, 245, 245));
        for (int line = 0; line < window.height() / 22 - 3; ++line) {
            for (int word = 0; word < window.width() / 80; ++word) {
                p.fillRect(window.x() + 20 + word * 75, window.y() + 60 + line * 22,
                           30 + (word * 37 + line * 11) % 40, 12, QColor(30, 30, 30));
            }
        }
    }
    return image;
}

void writeFolder(const QString& dir, const QByteArray& bytes, int count) {
    for (int i = 0; i < count; ++i) {
        QFile file(QStringLiteral("%1/Screenshot_%2.png").arg(dir).arg(i, 3, 10, QLatin1Char('0')));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
}

// Processor time of the calling (main) thread in ms: the machine may be shared, so wall time
// alone misleads.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

bool runUntil(const std::function<bool()>& done, int timeoutMs = 120000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// The models a drawer view is made over; only the screenshot list matters here.
struct Models {
    Models(QtMainQueue& queue, InotifyDirectoryWatcher& watcher, const QString& folder)
        : capture(folder)
        , clipboard(pasteboard, workspace, queue)
        , shelf(&workspace, queue)
        , notes(defaults)
        , shots(queue, watcher, capture)
        , panelState(queue)
        , queue_(queue) {}

    DrawerContext context() {
        return {clipboard, shelf, notes, shots, panelState, center, queue_, workspace, pasteboard};
    }

    FixedScreenCapture capture;
    TransferPasteboard pasteboard;
    NoWorkspace workspace;
    MemoryUserDefaults defaults;
    NotificationCenter center;
    ClipboardManager clipboard;
    FileShelfManager shelf;
    NotesManager notes;
    ScreenshotManager shots;
    PanelState panelState;
    QtMainQueue& queue_;
};

// Counts the paint events the tab and its cells receive.
class PaintCounter final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
    int paints = 0;
};

void measureOpening(const char* label, Models& models) {
    residentBytes();
    const long long before = residentBytes();
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = threadCpuMs();
    auto view = std::make_unique<ScreenshotsView>(models.context());
    const double madeMs = timer.nsecsElapsed() / 1e6;
    const double madeCpu = threadCpuMs() - cpuStart;
    PaintCounter counter;
    view->installEventFilter(&counter);
    view->resize(380, 420);
    view->show();
    // The first frame is in once the window's paint has been delivered and flushed.
    runUntil([&] { return counter.paints > 0; });
    QCoreApplication::processEvents();
    const double paintedMs = timer.nsecsElapsed() / 1e6;
    const double paintedCpu = threadCpuMs() - cpuStart;
    const long long after = residentBytes();

    // The cells' thumbnails are made on workers once the cells are there.
    QElapsedTimer thumbnails;
    thumbnails.start();
    const double thumbnailStall =
        longestStallUntil([&] { return models.shots.thumbnails().pendingCount() == 0; });
    const double thumbnailMs = thumbnails.nsecsElapsed() / 1e6;
    const qint64 thumbnailBytes = models.shots.thumbnails().byteCount();
    const QList<ScreenshotItem>& items = models.shots.items();

    // Scrolling to the end paints cells not shown before.
    QScrollBar* bar = view->findChild<QScrollArea*>()->verticalScrollBar();
    QElapsedTimer scroll;
    scroll.start();
    bar->setValue(bar->maximum());
    view->repaint();
    const double scrollMs = scroll.nsecsElapsed() / 1e6;

    std::printf("%s\n", label);
    std::printf("  entries in the list           %lld\n", static_cast<long long>(items.size()));
    std::printf("  tab made                      %.1f ms wall, %.1f ms processor\n", madeMs,
                madeCpu);
    std::printf("  first frame painted           %.1f ms wall, %.1f ms processor after the tab was "
                "asked for\n",
                paintedMs, paintedCpu);
    std::printf("  repaint after scrolling down  %.1f ms\n", scrollMs);
    std::printf("  thumbnails of the %lld cells    in %.1f ms more, main thread blocked at most "
                "%.1f ms at a time (%.1f KB of pixels)\n",
                static_cast<long long>(view->cells().size()), thumbnailMs, thumbnailStall,
                thumbnailBytes / 1024.0);
    std::printf("  resident memory of the tab    %+.1f KB (widgets and the window's backing "
                "store; %.1f KB per cell)\n",
                (after - before) / 1024.0,
                items.isEmpty() ? 0.0 : (after - before) / 1024.0 / double(items.size()));
    view.reset();
    QCoreApplication::processEvents();
    std::printf("  resident after closing it     %+.1f KB\n", (residentBytes() - before) / 1024.0);
}

// Starts a new peak for residentAndPeakKb.
void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}

// Like longestStallUntil, and also the most processor time the main thread itself used within
// one gap between ticks: on a busy machine a long gap may be time the thread waited for a core.
std::pair<double, double> longestStallAndWorkUntil(const std::function<bool()>& done) {
    double longest = 0;
    double mostWork = 0;
    QElapsedTimer sinceTick;
    double cpuAtTick = threadCpuMs();
    QEventLoop loop;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longest = std::max(longest, double(sinceTick.nsecsElapsed()) / 1e6);
        const double cpu = threadCpuMs();
        mostWork = std::max(mostWork, cpu - cpuAtTick);
        cpuAtTick = cpu;
        sinceTick.restart();
        if (done()) {
            loop.quit();
        }
    });
    sinceTick.start();
    ticker.start();
    if (!done()) {
        loop.exec();
    }
    return {longest, mostWork};
}

// Thousands of screenshots written at once by another thread while the tab is open, then all
// deleted: how long until the list has them (and none), how long the main thread is held up at
// a time, its processor time, and the memory meanwhile and afterwards.
void measureBurst(QtMainQueue& queue, InotifyDirectoryWatcher& watcher, const QByteArray& png,
                  int count) {
    QTemporaryDir folder;
    Models models(queue, watcher, folder.path());
    runUntil([&] { return !models.shots.isLoading(); });
    ScreenshotsView view(models.context());
    view.resize(380, 420);
    view.show();
    QCoreApplication::processEvents();
    const long before = long(residentBytes() / 1024);
    resetPeak();

    QElapsedTimer timer;
    timer.start();
    double cpu = threadCpuMs();
    std::atomic<double> writtenMs{0};
    std::thread writer([&] {
        for (int i = 0; i < count; ++i) {
            QFile file(QStringLiteral("%1/Screenshot_%2.png")
                           .arg(folder.path())
                           .arg(i, 5, 10, QLatin1Char('0')));
            file.open(QIODevice::WriteOnly);
            file.write(png);
        }
        writtenMs = timer.nsecsElapsed() / 1e6;
    });
    auto [stall, work] =
        longestStallAndWorkUntil([&] { return models.shots.items().size() >= count; });
    const double listedMs = timer.nsecsElapsed() / 1e6;
    writer.join();
    // The thumbnails of the cells shown.
    const auto [thumbnailStall, thumbnailWork] =
        longestStallAndWorkUntil([&] { return models.shots.thumbnails().pendingCount() == 0; });
    stall = std::max(stall, thumbnailStall);
    work = std::max(work, thumbnailWork);
    const double mainCpu = threadCpuMs() - cpu;
    const auto [listed, peak] = residentAndPeakKb();

    std::printf("%d screenshots written at once while the tab is open (another thread writes "
                "them, in %.0f ms)\n",
                count, writtenMs.load());
    std::printf("  all listed after              %.0f ms (%.0f ms after the last was written)\n",
                listedMs, listedMs - writtenMs.load());
    std::printf("  main thread                   blocked at most %.1f ms at a time (busy %.1f ms "
                "of it at most), %.0f ms processor in all\n",
                stall, work, mainCpu);
    std::printf("  resident memory               peak %+ld KB, %+ld KB once listed (%.2f KB "
                "per screenshot); thumbnails %.0f KB\n",
                peak - before, listed - before, double(listed - before) / count,
                models.shots.thumbnails().byteCount() / 1024.0);

    timer.restart();
    cpu = threadCpuMs();
    for (int i = 0; i < count; ++i) {
        QFile::remove(QStringLiteral("%1/Screenshot_%2.png")
                          .arg(folder.path())
                          .arg(i, 5, 10, QLatin1Char('0')));
    }
    std::tie(stall, work) =
        longestStallAndWorkUntil([&] { return models.shots.items().isEmpty(); });
    std::printf("all of them deleted\n");
    std::printf("  the list empty after          %.0f ms; main thread blocked at most %.1f ms "
                "(busy %.1f ms of it), %.0f ms processor\n",
                timer.nsecsElapsed() / 1e6, stall, work, threadCpuMs() - cpu);
    QCoreApplication::processEvents();
    std::printf("  resident memory               %+ld KB against before the burst\n",
                long(residentBytes() / 1024) - before);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // As the program does at start (see main.cpp).
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    QApplication app(argc, argv);
    QtMainQueue queue;
    InotifyDirectoryWatcher watcher;

    if (argc > 1) {
        // Only the burst, in a fresh process.
        measureBurst(queue, watcher, encodeImage(screenLikePicture(QSize(1920, 1080)), "PNG"),
                     std::max(1, atoi(argv[1])));
        return 0;
    }
    const QByteArray png = encodeImage(screenLikePicture(QSize(3840, 2160)), "PNG");
    QTemporaryDir large;
    writeFolder(large.path(), png, 50);
    std::printf("bench_screenshots_tab: tab 380 x 420 on the %s platform; 50 screenshots of "
                "3840x2160 (PNG %.0f KB each)\n\n",
                qPrintable(QGuiApplication::platformName()), png.size() / 1024.0);

    {
        Models models(queue, watcher, large.path());
        runUntil([&] { return !models.shots.isLoading(); });
        // Warm up: fonts and the painter's paths are set up once per process.
        {
            ScreenshotsView warm(models.context());
            warm.grab();
        }
        measureOpening("50 screenshots of 3840x2160 listed", models);

        // A screenshot arrives while the tab is open: the decode is off the main thread, the
        // tab only inserts a cell and animates.
        ScreenshotsView view(models.context());
        view.resize(380, 420);
        view.show();
        QCoreApplication::processEvents();
        const qsizetype before = models.shots.items().size();
        QFile file(large.filePath(QStringLiteral("Screenshot_new.png")));
        file.open(QIODevice::WriteOnly);
        file.write(png);
        file.close();
        const double stall =
            longestStallUntil([&] { return models.shots.items().size() > before; });
        const double animating =
            longestStallUntil([&] { return view.cells().first()->opacity() >= 1.0; });
        std::printf("a 4K screenshot arriving while the tab is open\n");
        std::printf("  main thread blocked           at most %.1f ms at a time until listed, "
                    "%.1f ms while it animated in\n\n",
                    stall, animating);
    }

    // The tab's cost does not depend on the pictures' size, so the long list uses small ones.
    QTemporaryDir many;
    const QByteArray small = encodeImage(screenLikePicture(QSize(640, 360)), "PNG");
    writeFolder(many.path(), small, 500);
    {
        Models models(queue, watcher, many.path());
        runUntil([&] { return !models.shots.isLoading(); });
        // The start lists the newest 50; the first change in the folder brings the rest.
        QFile touch(many.filePath(QStringLiteral(".touch")));
        touch.open(QIODevice::WriteOnly);
        touch.close();
        QFile::remove(touch.fileName());
        runUntil([&] { return models.shots.items().size() >= 500; }, 30000);
        std::printf("\n");
        measureOpening("500 screenshots listed", models);
    }
    std::printf("\n");
    measureBurst(queue, watcher, encodeImage(screenLikePicture(QSize(1920, 1080)), "PNG"), 5000);
    return 0;
}
