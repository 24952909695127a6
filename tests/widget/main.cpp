#include "fakes/FakePlatform.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    // The shared models that the code under test reaches are built over fakes that live for
    // the whole run; the screenshot folder is an empty one of our own, never the user's.
    QTemporaryDir screenshots;
    static FakePlatform platform;
    platform.screenCapture.answer = screenshots.path();
    Platform::install(platform.services());

    return RUN_ALL_TESTS();
}
