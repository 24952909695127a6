// A program in front that goes fullscreen, as a video player or a slide show does: a white
// window, fullscreen from the start. A line on its input changes that: "normal" leaves
// fullscreen, "fullscreen" goes back.
//
// Usage: hodgebin_fullscreen_window

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("fullscreen window"));
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, Qt::white);
    window.setPalette(palette);
    window.showFullScreen();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &window, [&] {
        char line[64] = {};
        const ssize_t n = read(STDIN_FILENO, line, sizeof line - 1);
        if (n <= 0) {
            QApplication::quit();
            return;
        }
        const QByteArray command = QByteArray(line, int(n)).trimmed();
        if (command == "normal") {
            window.showNormal();
            window.setGeometry(100, 200, 600, 400);
        } else if (command == "fullscreen") {
            window.showFullScreen();
        }
    });
    return QApplication::exec();
}
