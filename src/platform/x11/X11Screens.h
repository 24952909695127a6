#pragma once

#include "platform/Screens.h"

class QScreen;

// The screens Qt knows (from RandR), and the pointer.
class X11Screens final : public Screens {
    Q_OBJECT
public:
    explicit X11Screens(QObject* parent = nullptr);

    QList<Screen> screens() const override;
    std::optional<Screen> primaryScreen() const override;
    std::optional<QPointF> cursorPosition() const override;
    bool seesPointerOnlyOverItsWindows() const override;

    static Screen describe(const QScreen& screen);

private:
    void watch(QScreen* screen);
};
