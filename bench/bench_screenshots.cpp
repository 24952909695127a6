// Start-up cost of the screenshot list: a folder of 50 screenshots at 3840 x 2160, listed and
// watched, as the program does at launch, then every thumbnail made as a view asks for them.
// Prints time and memory, and how long the main thread's event loop is held up meanwhile.

#include "BenchSupport.h"
#include "EncodedImage.h"
#include "platform/Pasteboard.h"
#include "platform/ScreenCapture.h"
#include "platform/linux/InotifyDirectoryWatcher.h"
#include "platform/linux/QtMainQueue.h"
#include "screenshots/ScreenshotManager.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <malloc.h>

namespace {

constexpr int screenshotCount = 50;
const QSize screenSize(3840, 2160);

class FixedScreenCapture final : public ScreenCapture {
public:
    explicit FixedScreenCapture(QString path)
        : path_(std::move(path)) {}
    std::optional<QString> location() const override { return path_; }

private:
    QString path_;
};

// Counts what is offered, keeps nothing.
class MeasuringPasteboard final : public Pasteboard {
public:
    qint64 changeCount() const override { return count; }
    void observeChanges(std::function<void()>) override {}
    void readContents(Read, std::function<void()> done) override { done(); }
    qint64 clearContents() override { return ++count; }
    bool setString(const QString&, const QString&) override { return true; }
    bool setData(const QByteArray& data, const QString& type) override {
        std::printf("    offered %-10s %8.1f KB\n", qPrintable(type), data.size() / 1024.0);
        return true;
    }
    bool writeFileURLs(const QList<QUrl>&) override { return true; }
    void commit() override {}
    qint64 count = 0;
};

// Processor time of this process in ms: the machine may be shared, so wall time alone misleads.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Processor time of the calling thread in ms.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double longestStallWhileLoading(const ScreenshotManager& manager) {
    return longestStallUntil([&] { return !manager.isLoading(); });
}

// Starts a new peak: the kernel resets the peak resident size to the current one.
void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}

// Something like a desktop: a gradient, windows, and lines of "text".
QImage screenLikePicture() {
    QImage image(screenSize, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient background(0, 0, screenSize.width(), screenSize.height());
    background.setColorAt(0, QColor(40, 60, 110));
    background.setColorAt(1, QColor(120, 40, 90));
    p.fillRect(image.rect(), background);
    for (int w = 0; w < 6; ++w) {
        const QRect window(200 + w * 500, 150 + w * 250, 1600, 1000);
        p.fillRect(window, QColor(245, 245, 245));
        p.fillRect(window.x(), window.y(), window.width(), 40, QColor(60, 60, 60));
        for (int line = 0; line < 40; ++line) {
            for (int word = 0; word < 20; ++word) {
                p.fillRect(window.x() + 20 + word * 75, window.y() + 60 + line * 22,
                           30 + (word * 37 + line * 11) % 40, 12, QColor(30, 30, 30));
            }
        }
    }
    return image;
}

void writeFolder(const QString& dir, const QByteArray& bytes, const char* suffix) {
    for (int i = 0; i < screenshotCount; ++i) {
        QFile file(QStringLiteral("%1/Screenshot_%2.%3")
                       .arg(dir)
                       .arg(i, 2, 10, QLatin1Char('0'))
                       .arg(QLatin1String(suffix)));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
}

void measureStartup(const char* label, const QString& folder, QtMainQueue& queue,
                    InotifyDirectoryWatcher& watcher) {
    malloc_trim(0);
    resetPeak();
    const long rssBefore = residentAndPeakKb().first;
    FixedScreenCapture capture(folder);
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = cpuMs();
    const double mainCpuBefore = threadCpuMs();
    auto manager = std::make_unique<ScreenshotManager>(queue, watcher, capture);
    const double constructionMs = timer.nsecsElapsed() / 1e6;
    const double stallMs = longestStallWhileLoading(*manager);
    const double ms = timer.nsecsElapsed() / 1e6;
    const double cpu = cpuMs() - cpuBefore;
    const double mainCpu = threadCpuMs() - mainCpuBefore;
    const auto [rssAfter, peakAfter] = residentAndPeakKb();
    malloc_trim(0);
    const long rssTrimmed = residentAndPeakKb().first;

    // The thumbnails a view shows are made when it asks for them.
    QElapsedTimer thumbnailTimer;
    thumbnailTimer.start();
    const double thumbnailCpuBefore = cpuMs();
    for (const ScreenshotItem& item : manager->items()) {
        manager->thumbnails().thumbnail(item);
    }
    const double thumbnailStall =
        longestStallUntil([&] { return manager->thumbnails().pendingCount() == 0; });
    const double thumbnailMs = thumbnailTimer.nsecsElapsed() / 1e6;
    const double thumbnailCpu = cpuMs() - thumbnailCpuBefore;
    const qint64 thumbnailBytes = manager->thumbnails().byteCount();
    const qsizetype n = manager->items().size();
    const double fullKb = screenSize.width() * screenSize.height() * 4 / 1024.0;
    std::printf("%s\n", label);
    std::printf("  entries built                 %lld\n", static_cast<long long>(n));
    std::printf("  time to list them             %.1f ms wall, %.1f ms processor\n", ms, cpu);
    std::printf("  time to make every thumbnail  %.1f ms wall, %.1f ms processor (%.1f ms "
                "processor per screenshot); main thread blocked at most %.1f ms at a time\n",
                thumbnailMs, thumbnailCpu, n > 0 ? thumbnailCpu / double(n) : 0.0, thumbnailStall);
    std::printf("  main thread blocked at start  %.1f ms in the constructor, then at most %.1f ms "
                "at a time until all were in\n",
                constructionMs, stallMs);
    std::printf("  main thread processor         %.1f ms over the whole start\n", mainCpu);
    std::printf("  thumbnail pixels held         %.1f KB per screenshot\n",
                n > 0 ? thumbnailBytes / 1024.0 / double(n) : 0.0);
    std::printf("  resident memory of the list   %+ld KB (%.1f KB per screenshot; %+ld KB "
                "after malloc_trim)\n",
                rssAfter - rssBefore, n > 0 ? (rssAfter - rssBefore) / double(n) : 0.0,
                rssTrimmed - rssBefore);
    std::printf("  one full picture would be     %.1f KB\n", fullKb);
    std::printf("  peak resident while listing   %+ld KB over the start\n", peakAfter - rssBefore);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QtMainQueue queue;
    InotifyDirectoryWatcher watcher;

    const QImage picture = screenLikePicture();
    const QByteArray png = encodeImage(picture, "PNG");
    const QByteArray jpeg = encodeImage(picture, "JPG");
    QTemporaryDir pngDir;
    QTemporaryDir jpegDir;
    QTemporaryDir crowdedDir;
    writeFolder(pngDir.path(), png, "png");
    writeFolder(jpegDir.path(), jpeg, "jpg");
    writeFolder(crowdedDir.path(), png, "png");
    for (int i = 0; i < 10000; ++i) {
        QFile other(QStringLiteral("%1/file %2.txt").arg(crowdedDir.path()).arg(i));
        other.open(QIODevice::WriteOnly);
    }
    std::printf("bench_screenshots: %d screenshots of %dx%d (PNG %.0f KB, JPEG %.0f KB each)\n\n",
                screenshotCount, screenSize.width(), screenSize.height(), png.size() / 1024.0,
                jpeg.size() / 1024.0);

    // Warm up: image plugins and the painter are loaded once per process.
    {
        QTemporaryDir warm;
        writeFolder(warm.path(), encodeImage(QImage(64, 36, QImage::Format_RGB32), "JPG"), "jpg");
        FixedScreenCapture capture(warm.path());
        ScreenshotManager manager(queue, watcher, capture);
        longestStallWhileLoading(manager);
    }

    measureStartup("PNG screenshots", pngDir.path(), queue, watcher);
    measureStartup("JPEG screenshots", jpegDir.path(), queue, watcher);
    measureStartup("PNG screenshots among 10000 other files", crowdedDir.path(), queue, watcher);

    FixedScreenCapture capture(pngDir.path());
    ScreenshotManager manager(queue, watcher, capture);
    longestStallWhileLoading(manager);

    {
        std::printf("one new screenshot written into the watched folder\n");
        const qsizetype before = manager.items().size();
        QElapsedTimer sinceWritten;
        sinceWritten.start();
        QFile file(pngDir.filePath(QStringLiteral("Screenshot_new.png")));
        file.open(QIODevice::WriteOnly);
        file.write(png);
        file.close();
        const double stall = longestStallUntil([&] { return manager.items().size() > before; });
        std::printf("  in the list after             %.1f ms (%.0f ms of it the set delay)\n",
                    sinceWritten.nsecsElapsed() / 1e6, ScreenshotManager::additionDelay * 1e3);
        std::printf("  main thread blocked           at most %.1f ms at a time\n", stall);
    }

    MeasuringPasteboard pasteboard;
    QElapsedTimer timer;
    timer.start();
    const double cpuBefore = cpuMs();
    std::printf("copying one screenshot to the clipboard\n");
    ScreenshotItem::copyImage(manager.items().first(), pasteboard);
    std::printf("  time                          %.1f ms wall, %.1f ms processor\n",
                timer.nsecsElapsed() / 1e6, cpuMs() - cpuBefore);
    return 0;
}
