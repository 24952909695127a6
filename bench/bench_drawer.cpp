// The drawer on a real X server (run it under Xvfb, with a compositor for the fade to cost
// what it costs users): how long from a toggle to the drawer's first painted frame and to its
// window being exposed, and what the open and close animations cost: the frames they move in,
// against the frames a 60 Hz screen would show, and the CPU they take.

#include "app/AppModels.h"
#include "drawer/DropdownPanel.h"
#include "drawer/PanelContentView.h"
#include "fakes/FakePlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QScreen>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Counts what a window goes through: paints of the content, moves and exposures of the window.
class Watch final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched == content && firstPaintNs < 0) {
            firstPaintNs = clock.nsecsElapsed();
        }
        // A move the animation makes (the window manager's echo of it arrives spontaneously).
        if (event->type() == QEvent::Move && watched == window && !event->spontaneous()) {
            ++moves;
        }
        if (event->type() == QEvent::Expose && firstExposeNs < 0) {
            firstExposeNs = clock.nsecsElapsed();
        }
        return false;
    }
    void reset() {
        clock.start();
        firstPaintNs = firstExposeNs = -1;
        moves = 0;
    }
    QObject* content = nullptr;
    QObject* window = nullptr;
    QElapsedTimer clock;
    qint64 firstPaintNs = -1;
    qint64 firstExposeNs = -1;
    int moves = 0;
};

void spin(const std::function<bool()>& until, int timeoutMs = 3000) {
    QElapsedTimer t;
    t.start();
    while (!until() && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

struct Summary {
    double median = 0;
    double least = 0;
    double worst = 0;
};
Summary summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fputs("bench_drawer: needs an X display (run it under Xvfb)\n", stderr);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QTemporaryDir shots;
    FakePlatform fake;
    fake.screenCapture.answer = shots.path();
    const Platform platform = fake.services();
    AppModels models(platform);
    DropdownPanel panel(models.drawerContext());

    Watch watch;
    watch.content = panel.content();
    watch.window = &panel;
    panel.installEventFilter(&watch);
    panel.content()->installEventFilter(&watch);
    QCoreApplication::instance()->installEventFilter(&watch);

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRectF anchor(screen.center().x() - 12, screen.top(), 24, 24); // the top centre
    const double refresh = QGuiApplication::primaryScreen()->refreshRate();

    constexpr int rounds = 20;
    std::vector<double> toPaint, toExpose, inFrames, inCpu, outFrames, outCpu;
    for (int round = 0; round < rounds; ++round) {
        watch.reset();
        double cpu = cpuSeconds();
        panel.showBelow(anchor);
        spin([&] { return watch.firstPaintNs >= 0 && watch.firstExposeNs >= 0; });
        toPaint.push_back(watch.firstPaintNs / 1e6);
        toExpose.push_back(watch.firstExposeNs / 1e6);
        spin([&] { return panel.windowOpacity() >= 1.0 && watch.clock.elapsed() > 250; });
        inFrames.push_back(watch.moves);
        inCpu.push_back((cpuSeconds() - cpu) * 1000);

        watch.reset();
        cpu = cpuSeconds();
        panel.animateOut();
        spin([&] { return !panel.isVisible(); });
        outFrames.push_back(watch.moves);
        outCpu.push_back((cpuSeconds() - cpu) * 1000);
        spin([] { return false; }, 100);
    }

    const auto paint = summarise(toPaint);
    const auto expose = summarise(toExpose);
    const auto inF = summarise(inFrames);
    const auto outF = summarise(outFrames);
    const auto inC = summarise(inCpu);
    const auto outC = summarise(outCpu);
    std::printf("drawer, %d toggles on %s (%.0f Hz reported)\n", rounds,
                qPrintable(QGuiApplication::platformName()), refresh);
    std::printf("  toggle -> first paint of the content: median %.1f ms, worst %.1f ms\n",
                paint.median, paint.worst);
    std::printf("  toggle -> window exposed:             median %.1f ms, worst %.1f ms\n",
                expose.median, expose.worst);
    std::printf("  open animation (%.2f s): %.0f moves (fewest %.0f) of %.0f frames at 60 Hz; CPU "
                "median %.1f ms, worst %.1f ms\n",
                DropdownPanel::animateInDuration, inF.median, inF.least,
                DropdownPanel::animateInDuration * 60, inC.median, inC.worst);
    std::printf("  close animation (%.2f s): %.0f moves (fewest %.0f) of %.0f frames at 60 Hz; CPU "
                "median %.1f ms, worst %.1f ms\n",
                DropdownPanel::animateOutDuration, outF.median, outF.least,
                DropdownPanel::animateOutDuration * 60, outC.median, outC.worst);
    return 0;
}
