#pragma once

#include "platform/Screens.h"

// Screens a test arranges by hand, and a pointer it moves by hand. A change of the list
// announces itself as the desktop would.
class FakeScreens final : public Screens {
public:
    // One 1920 x 1080 screen with a 24-pixel top bar.
    FakeScreens() { list = {standard()}; }

    // A screen with its top-left corner at (x, y) and a bar along its top.
    static Screen standard(const QString& name = QStringLiteral("HDMI-1"), double x = 0,
                           double width = 1920, double height = 1080, double bar = 24,
                           double y = 0) {
        return Screen{name, QRectF(x, y, width, height), QRectF(x, y + bar, width, height - bar),
                      60};
    }

    QList<Screen> screens() const override { return list; }
    std::optional<Screen> primaryScreen() const override {
        if (list.isEmpty() || primary < 0 || primary >= list.size()) {
            return std::nullopt;
        }
        return list[primary];
    }
    std::optional<QPointF> cursorPosition() const override { return pointer; }

    bool seesPointerOnlyOverItsWindows() const override { return throughXWayland; }

    void rearrange(QList<Screen> screens, int primaryIndex = 0) {
        list = std::move(screens);
        primary = primaryIndex;
        Q_EMIT screensChanged();
    }

    QList<Screen> list;
    int primary = 0;
    // None: the pointer is over something the display cannot see.
    std::optional<QPointF> pointer = QPointF(0, 0);
    bool throughXWayland = false;
};
