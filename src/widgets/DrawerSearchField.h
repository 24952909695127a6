#pragma once

#include <QLineEdit>

class QPainter;

// The search field a tab shows at its top while the user searches (Ctrl+F). Down leaves it for
// the results; Return takes the first result (Shift+Return keeps the drawer open). Escape is
// left to the tab, which clears the search before it lets the drawer close.
class DrawerSearchField final : public QLineEdit {
    Q_OBJECT
public:
    explicit DrawerSearchField(QWidget* parent = nullptr);

    // Shows the field and gives it the keyboard, its text selected.
    void open();
    // Empties and hides the field; false when it was already closed and empty.
    bool dismiss();

    // What a tab says when nothing matches, painted centred in the area.
    static QString noMatchesText();
    static void paintNoMatches(QPainter& painter, const QRectF& area);

    QSize sizeHint() const override;

Q_SIGNALS:
    void moveDownRequested();
    void submitted(bool keepDrawerOpen);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
