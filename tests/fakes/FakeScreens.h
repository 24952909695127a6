#pragma once

#include "platform/Screens.h"

// Screens a test arranges by hand, and a pointer it moves by hand. A change of either list
// announces itself as the desktop would.
class FakeScreens final : public Screens {
public:
    // One 1920 x 1080 screen with a 24-point top bar.
    FakeScreens() { list = {standard()}; }

    static Screen standard(const QString& name = QStringLiteral("HDMI-1"), double x = 0,
                           double width = 1920, double height = 1080, double bar = 24) {
        return Screen{name, QRectF(x, 0, width, height), QRectF(x, 0, width, height - bar), 60};
    }

    QList<Screen> screens() const override { return list; }
    std::optional<Screen> mainScreen() const override {
        if (list.isEmpty() || primary < 0 || primary >= list.size()) {
            return std::nullopt;
        }
        return list[primary];
    }
    QPointF mouseLocation() const override { return pointer; }

    void rearrange(QList<Screen> screens, int primaryIndex = 0) {
        list = std::move(screens);
        primary = primaryIndex;
        Q_EMIT screenParametersChanged();
    }

    QList<Screen> list;
    int primary = 0;
    QPointF pointer{0, 0};
};
