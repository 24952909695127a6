// How long the clipboard tab takes to lay out and paint a full history of 100 entries (half of
// them screen-sized images), and how long each frame of scrolling through it takes. With
// --screenshots DIR it also writes pictures of both tabs, empty, filled and hovered.
#include "BenchSupport.h"
#include "EncodedImage.h"
#include "clipboard/ClipboardHistoryList.h"
#include "clipboard/ClipboardHistoryView.h"
#include "clipboard/ClipboardManager.h"
#include "fakes/FakeDirectoryWatcher.h"
#include "fakes/FakeScreenCapture.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualMainQueue.h"
#include "fakes/MemoryUserDefaults.h"
#include "notes/NotesManager.h"
#include "panel/PanelState.h"
#include "platform/NotificationCenter.h"
#include "platform/x11/X11Workspace.h"
#include "screenshots/ScreenshotManager.h"
#include "shelf/FileShelfGrid.h"
#include "shelf/FileShelfManager.h"
#include "shelf/FileShelfView.h"
#include "widgets/DrawerStyle.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

QByteArray screenPng() {
    QImage image(3840, 2160, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 3840, 2160);
    sky.setColorAt(0, QColor(40, 60, 110));
    sky.setColorAt(1, QColor(220, 150, 90));
    painter.fillRect(image.rect(), sky);
    painter.fillRect(400, 300, 1600, 900, QColor(240, 240, 245));
    painter.end();
    return encodeImage(image, "png");
}

const char* const texts[] = {
    "git commit -m \"Fix the flaky clipboard test\"",
    "https://example.org/a/very/long/address/that/keeps/going?with=parameters&and=more",
    "Meeting notes\n- ship the drawer\n- look at the shelf\n- tidy the notes tab",
    "مرحبا بالعالم، هذا نص من اليمين إلى اليسار",
    "👩‍👩‍👧‍👦 🏳️‍🌈 👍🏽 family, flag and thumbs up",
    "SELECT name, count(*) FROM entries GROUP BY name ORDER BY 2 DESC;",
};

// The tab inside a surface of the drawer's colour, as the drawer shows it.
struct Surface {
    QWidget frame;
    explicit Surface(QWidget* content) {
        frame.setAutoFillBackground(true);
        QPalette palette = frame.palette();
        palette.setColor(QPalette::Window, DrawerStyle::background());
        frame.setPalette(palette);
        auto* layout = new QVBoxLayout(&frame);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(content);
        frame.resize(380, 420);
        frame.show();
        (void)QTest::qWaitForWindowExposed(&frame);
    }
    void save(const QString& path) { frame.grab().save(path); }
};

void hover(QWidget* viewport, QPoint point) {
    QTest::mouseMove(viewport, point);
    QApplication::processEvents();
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int shotsAt = int(args.indexOf(QStringLiteral("--screenshots")));
    const QString shots =
        shotsAt > 0 && shotsAt + 1 < args.size() ? args.at(shotsAt + 1) : QString();

    QTemporaryDir folder;
    ManualMainQueue queue;
    TransferPasteboard pasteboard;
    FakeWorkspace workspace;
    workspace.frontmost = QStringLiteral("Firefox");
    NotificationCenter notifications;
    MemoryUserDefaults defaults;
    FakeDirectoryWatcher watcher;
    FakeScreenCapture capture;
    capture.answer = folder.path();
    ClipboardManager clipboard(pasteboard, workspace, queue);
    X11Workspace desktop; // the icon theme's file icons
    FileShelfManager shelf(&desktop, queue);
    NotesManager notes(defaults);
    ScreenshotManager screenshots(queue, watcher, capture);
    PanelState panelState(queue);
    const DrawerContext ctx{clipboard,     shelf, notes,     screenshots, panelState,
                            notifications, queue, workspace, pasteboard};
    queue.holdBackground(true);

    if (!shots.isEmpty()) {
        QDir().mkpath(shots);
        Surface empty(new ClipboardHistoryView(ctx));
        empty.save(shots + QStringLiteral("/clipboard-empty.png"));
        Surface emptyShelf(new FileShelfView(ctx));
        emptyShelf.save(shots + QStringLiteral("/shelf-empty.png"));
    }

    const QByteArray png = screenPng();
    for (int i = 0; i < 100; ++i) {
        if (i % 2 == 0) {
            pasteboard.copy(PasteboardType::png, png);
        } else {
            pasteboard.copy(PasteboardType::string, QByteArray(texts[(i / 2) % std::size(texts)]));
        }
        clipboard.checkPasteboard();
        queue.advance(7);
    }
    clipboard.togglePin(clipboard.items().at(3).id);

    // Layout and first paint: the view as the drawer builds it when the tab comes up.
    auto start = std::chrono::steady_clock::now();
    auto* view = new ClipboardHistoryView(ctx);
    Surface surface(view);
    const double firstShow = secondsSince(start);
    start = std::chrono::steady_clock::now();
    surface.frame.grab();
    const double firstPaint = secondsSince(start);
    const int queued = queue.backgroundCount();

    // The thumbnails, on the workers (run here one after another to time them).
    start = std::chrono::steady_clock::now();
    queue.runBackground();
    queue.runPending();
    const double decode = secondsSince(start);

    start = std::chrono::steady_clock::now();
    surface.frame.grab();
    const double paintWithThumbnails = secondsSince(start);

    // Scrolling through the whole list, 40 points a frame, thumbnails decoded as they come up.
    QScrollBar* bar = view->list()->verticalScrollBar();
    std::vector<double> frames;
    double decodeWhileScrolling = 0;
    for (int value = 0; value <= bar->maximum(); value += 40) {
        bar->setValue(value);
        start = std::chrono::steady_clock::now();
        view->list()->viewport()->repaint();
        frames.push_back(secondsSince(start));
        const auto decodeStart = std::chrono::steady_clock::now();
        queue.runBackground();
        queue.runPending();
        decodeWhileScrolling += secondsSince(decodeStart);
    }
    std::sort(frames.begin(), frames.end());
    double total = 0;
    for (double f : frames) {
        total += f;
    }

    std::printf("clipboard tab, 100 entries (50 images of 3840x2160, 50 texts), 380x420:\n");
    std::printf("  build + lay out + show:        %7.2f ms\n", firstShow * 1000);
    std::printf("  first paint (placeholders):    %7.2f ms, %d thumbnails handed to workers\n",
                firstPaint * 1000, queued);
    std::printf("  decoding those thumbnails:     %7.2f ms of worker time\n", decode * 1000);
    std::printf("  paint with thumbnails:         %7.2f ms\n", paintWithThumbnails * 1000);
    std::printf("  scrolling, %zu frames:          median %.2f ms, worst %.2f ms, mean %.2f ms\n",
                frames.size(), frames[frames.size() / 2] * 1000, frames.back() * 1000,
                total / double(frames.size()) * 1000);
    std::printf("  worker time decoding while scrolling: %.0f ms\n", decodeWhileScrolling * 1000);

    if (!shots.isEmpty()) {
        bar->setValue(0);
        surface.save(shots + QStringLiteral("/clipboard-filled.png"));
        const QList<QUuid> ids = view->list()->rowIds();
        hover(view->list()->viewport(), view->list()->rowRect(ids.at(1)).center().toPoint());
        surface.save(shots + QStringLiteral("/clipboard-hovered.png"));
        hover(view->list()->viewport(), view->list()->rowRect(ids.at(0)).center().toPoint());
        surface.save(shots + QStringLiteral("/clipboard-hovered-pinned.png"));

        for (const char* name :
             {"Quarterly report.pdf", "holiday.jpg", "notes.txt",
              "a-really-long-file-name-that-wraps-over-two-lines.tar.gz", "Music", "build.sh"}) {
            const QString path = folder.filePath(QString::fromUtf8(name));
            if (QString::fromUtf8(name) == QStringLiteral("Music")) {
                QDir().mkpath(path);
            } else {
                QFile file(path);
                file.open(QIODevice::WriteOnly);
                file.write(QByteArray(1234 * int(strlen(name)), 'x'));
            }
            shelf.addFile(QUrl::fromLocalFile(path));
        }
        // One window at a time, so the pointer reaches the one in front.
        surface.frame.hide();
        auto* shelfView = new FileShelfView(ctx);
        Surface shelfSurface(shelfView);
        shelfSurface.save(shots + QStringLiteral("/shelf-filled.png"));
        const QRectF cell = shelfView->grid()->cellRect(shelf.files().at(1).id());
        hover(shelfView->grid()->viewport(), cell.center().toPoint());
        shelfSurface.save(shots + QStringLiteral("/shelf-hovered.png"));
    }
    return 0;
}
