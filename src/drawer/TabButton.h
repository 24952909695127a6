#pragma once

#include <QAbstractButton>
#include <QString>

class QVariantAnimation;

// One button of the drawer's tab bar: a symbol and a title on a pill that is lit while the tab
// is active. The change between lit and unlit is animated when asked. It takes the keyboard
// with Tab (never with a click); Left and Right then ask for the neighbouring tab.
class TabButton final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr double switchAnimationDuration = 0.12;

    TabButton(const QString& title, const QString& icon, QWidget* parent = nullptr);

    QString title() const { return text(); }
    QString symbol() const { return icon_; }
    bool isActive() const { return active_; }
    void setActive(bool active, bool animated);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // Left (-1) or Right (+1) while the button has the keyboard.
    void stepRequested(int step);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString icon_;
    bool active_ = false;
    // How lit the button is drawn, 0 to 1; follows active_ through the animation.
    qreal lit_ = 0;
    QVariantAnimation* animation_;
};
