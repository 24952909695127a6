#include "X11TestDesktop.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {
std::unique_ptr<E2eSession> desktop;
}

E2eSession& x11TestDesktop() {
    return *desktop;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    {
        // The session needs a Qt core application for its process helpers; the GUI application
        // comes once the display exists.
        desktop = std::make_unique<E2eSession>();
    }
    if (!desktop->ok()) {
        fprintf(stderr, "cannot start the test desktop: %s\n", qPrintable(desktop->error()));
        return 1;
    }
    const QProcessEnvironment env = desktop->environment();
    for (const QString& key : env.keys()) {
        qputenv(key.toLocal8Bit().constData(), env.value(key).toLocal8Bit());
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    desktop.reset();
    return result;
}
