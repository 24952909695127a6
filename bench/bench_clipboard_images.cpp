// Memory that the clipboard history keeps per captured screen-sized image, with 100 of them.
// Each is offered as PNG and as uncompressed TIFF, as Qt and GTK programs offer a copied image.
#include "BenchSupport.h"
#include "EncodedImage.h"
#include "clipboard/ClipboardManager.h"
#include "fakes/ManualMainQueue.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

namespace {

// Something like a screenshot: flat areas, gradients, a photo-like noisy patch.
QByteArray screenshotPng() {
    QImage image(3840, 2160, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, 2160);
    sky.setColorAt(0, QColor(40, 60, 110));
    sky.setColorAt(1, QColor(200, 210, 230));
    painter.fillRect(image.rect(), sky);
    QRandomGenerator random(7);
    for (int i = 0; i < 60; ++i) {
        painter.fillRect(random.bounded(3600), random.bounded(2000), 40 + random.bounded(900),
                         20 + random.bounded(500),
                         QColor(random.bounded(256), random.bounded(256), random.bounded(256)));
    }
    painter.end();
    for (int y = 1200; y < 1800; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 2400; x < 3400; ++x) {
            line[x] = qRgb(random.bounded(256), random.bounded(256), random.bounded(256));
        }
    }
    return encodeImage(image, "png");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QByteArray png = screenshotPng();
    const QByteArray tiff = encodeImage(QImage::fromData(png, "png"), "tiff");
    const int count = 100;

    TransferPasteboard pasteboard;
    NoWorkspace workspace;
    ManualMainQueue queue;
    ClipboardManager manager(pasteboard, workspace, queue);
    manager.startPolling();

    const long long before = residentBytes();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        pasteboard.copy({{PasteboardType::png, png}, {PasteboardType::tiff, tiff}});
        queue.advance(ClipboardManager::settleDelay);
    }
    const double captureSeconds = secondsSince(start);
    pasteboard.contents.clear();
    const long long captured = residentBytes();

    const auto thumbStart = std::chrono::steady_clock::now();
    for (const ClipboardItem& item : manager.items()) {
        item.content.imageValue()->thumbnail(QSize(120, 80));
    }
    const double thumbSeconds = secondsSince(thumbStart);
    const long long withThumbnails = residentBytes();

    const double mb = 1024.0 * 1024.0;
    std::printf("bench_clipboard_images: %d captured 3840x2160 images (PNG + TIFF offered) in the "
                "history\n",
                int(manager.items().size()));
    std::printf("  encoded PNG size:                       %8.2f MB\n", png.size() / mb);
    std::printf("  offered TIFF size (not read):           %8.2f MB\n", tiff.size() / mb);
    std::printf("  decoded bitmap size (not kept):         %8.2f MB\n", 3840.0 * 2160 * 4 / mb);
    std::printf("  retained per image after capture:       %8.2f MB\n",
                (captured - before) / mb / count);
    std::printf("  retained per image with its thumbnail:  %8.2f MB\n",
                (withThumbnails - before) / mb / count);
    std::printf("  capture time per image (header only):   %8.3f ms\n",
                captureSeconds * 1000 / count);
    std::printf("  thumbnail decode per image (once):      %8.1f ms\n",
                thumbSeconds * 1000 / count);
    return 0;
}
