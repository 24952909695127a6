// A small X client that drags files to other programs, as a file manager does: a window at the
// given place; a press on it starts a drag of the files (as text/uri-list and as their paths in
// plain text). It prints the action the drop ended with ("copy", "move", "link" or "none") and
// stays, serving the data, until it is stopped. It never takes the keyboard, so pressing on it
// leaves the focus where it was.
//
// Usage: hodgebin_drag_source X Y FILE...
//
// With --desktop instead it is the desktop's background: a window of the desktop type filling
// the screen in one colour, as a file manager's desktop is, so a black pill shows against it
// under compositing window managers, which paint the bare root black.

#include <QApplication>
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRasterWindow>
#include <QScreen>
#include <QUrl>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {

class DragSource final : public QWidget {
public:
    explicit DragSource(QStringList files)
        : files_(std::move(files)) {
        setWindowTitle(QStringLiteral("drag source"));
        setWindowFlags(Qt::Window | Qt::WindowDoesNotAcceptFocus);
        setAttribute(Qt::WA_ShowWithoutActivating);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::darkGreen); }

    void mousePressEvent(QMouseEvent*) override {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& file : files_) {
            urls.append(QUrl::fromLocalFile(file));
        }
        data->setUrls(urls);
        data->setText(files_.join(QLatin1Char('\n')));
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction);
        const char* name = action == Qt::CopyAction   ? "copy"
                           : action == Qt::MoveAction ? "move"
                           : action == Qt::LinkAction ? "link"
                                                      : "none";
        std::printf("%s\n", name);
        std::fflush(stdout);
        // The target reads the dragged data from us after the drop: stay until stopped.
    }

private:
    QStringList files_;
};

} // namespace

class Desktop final : public QRasterWindow {
public:
    Desktop() {
        setTitle(QStringLiteral("desktop"));
        setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
        // The type is read by the window manager when the window is mapped: set it between
        // making the native window and showing it.
        create();
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t* c = x11->connection();
        const auto atom = [c](const char* name) {
            xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
                c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
            const xcb_atom_t a = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
            std::free(reply);
            return a;
        };
        const xcb_atom_t type = atom("_NET_WM_WINDOW_TYPE_DESKTOP");
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, xcb_window_t(winId()),
                            atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &type);
        xcb_flush(c);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(QRect(QPoint(), size()), QColor(0x4a, 0x6f, 0xa5));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() == 2 && args[1] == QStringLiteral("--desktop")) {
        Desktop desktop;
        desktop.setGeometry(QGuiApplication::primaryScreen()->virtualGeometry());
        desktop.show();
        return app.exec();
    }
    if (args.size() < 4) {
        std::fputs("usage: hodgebin_drag_source X Y FILE...\n", stderr);
        return 2;
    }
    DragSource window(args.mid(3));
    window.setGeometry(args[1].toInt(), args[2].toInt(), 160, 100);
    window.show();
    return app.exec();
}
