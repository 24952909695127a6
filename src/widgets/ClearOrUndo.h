#pragma once

#include <QObject>
#include <QString>

class QAbstractButton;
class QAction;
class QWidget;

// A tab's "Clear" button that, for the few seconds in which a clear can be taken back, reads
// "Undo" and takes it back, as Ctrl+Z anywhere in the tab's window does then.
class ClearOrUndo final : public QObject {
    Q_OBJECT
public:
    ClearOrUndo(QAbstractButton* button, const QString& clearTitle, QWidget* tab);

    // Shows the button as things stand: "Undo" while a clear can be taken back, else the clear
    // title while there is something to clear, else nothing.
    void show(bool undoOffered, bool hasContent);

Q_SIGNALS:
    void clearRequested();
    void undoRequested();

private:
    QAbstractButton* button_;
    QString clearTitle_;
    QAction* undoAction_;
    bool undoOffered_ = false;
};
