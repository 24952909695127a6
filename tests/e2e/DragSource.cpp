// A small X client that drags files to other programs, as a file manager does: a window at the
// given place; a press on it starts a drag of the files (as text/uri-list and as their paths in
// plain text). It prints the action the drop ended with ("copy", "move", "link" or "none") and
// stays, serving the data, until it is stopped. It never takes the keyboard, so pressing on it
// leaves the focus where it was.
//
// Usage: hodgebin_drag_source X Y FILE...

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QWidget>

#include <cstdio>

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

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 4) {
        std::fputs("usage: hodgebin_drag_source X Y FILE...\n", stderr);
        return 2;
    }
    DragSource window(args.mid(3));
    window.setGeometry(args[1].toInt(), args[2].toInt(), 160, 100);
    window.show();
    return app.exec();
}
