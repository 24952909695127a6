// Time from a clipboard change to the new entry, for a 10 MB text.
#include "BenchSupport.h"
#include "clipboard/ClipboardManager.h"
#include "fakes/ManualMainQueue.h"
#include "platform/linux/QtMainQueue.h"
#include "platform/x11/X11Pasteboard.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>

#include <unicode/unorm2.h>

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
    const bool haveDisplay = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (!haveDisplay) {
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
    } else {
        std::printf("  over X11 with xclip:                 skipped (no display)\n");
    }
    return 0;
}
