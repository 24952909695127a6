// Cost of a poll tick that finds the clipboard unchanged, over the X11 clipboard layer.
#include "BenchSupport.h"
#include "clipboard/ClipboardManager.h"
#include "fakes/ManualMainQueue.h"
#include "platform/linux/QtMainQueue.h"
#include "platform/x11/X11Pasteboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long long> allocations{0};
} // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QtMainQueue workers;
    X11Pasteboard pasteboard(QGuiApplication::clipboard(), workers);
    NoWorkspace workspace;
    ManualMainQueue queue;
    ClipboardManager manager(pasteboard, workspace, queue);
    pasteboard.clearContents();
    pasteboard.setString(QStringLiteral("already there"), PasteboardType::string);
    pasteboard.commit();
    manager.startPolling();

    const int ticks = 20'000'000;
    const long long allocationsBefore = allocations;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < ticks; ++i) {
        manager.checkPasteboard();
    }
    const double seconds = secondsSince(start);
    const long long allocated = allocations - allocationsBefore;

    std::printf("bench_clipboard_poll: unchanged poll tick on the %s clipboard\n",
                qPrintable(QGuiApplication::platformName()));
    std::printf("  time per tick:        %8.2f ns\n", seconds * 1e9 / ticks);
    std::printf("  allocations per tick: %8.4f\n", double(allocated) / ticks);
    std::printf("  entries recorded:     %8lld\n", (long long)manager.items().size());
    return 0;
}
