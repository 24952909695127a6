#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>

// A plain text button of the drawer: only its label is drawn (no frame, no desktop style), and
// it dims while pressed.
class DrawerTextButton final : public QAbstractButton {
public:
    DrawerTextButton(const QString& text, const QFont& font, const QColor& color,
                     QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
};
