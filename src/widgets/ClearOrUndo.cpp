#include "widgets/ClearOrUndo.h"

#include <QAbstractButton>
#include <QAction>
#include <QWidget>

ClearOrUndo::ClearOrUndo(QAbstractButton* button, const QString& clearTitle, QWidget* tab)
    : QObject(tab)
    , button_(button)
    , clearTitle_(clearTitle)
    , undoAction_(new QAction(tr("Undo"), tab)) {
    connect(button_, &QAbstractButton::clicked, this, [this] {
        if (undoOffered_) {
            Q_EMIT undoRequested();
        } else {
            Q_EMIT clearRequested();
        }
    });
    undoAction_->setShortcut(QKeySequence::Undo);
    undoAction_->setShortcutContext(Qt::WindowShortcut);
    undoAction_->setEnabled(false);
    connect(undoAction_, &QAction::triggered, this, &ClearOrUndo::undoRequested);
    tab->addAction(undoAction_);
}

void ClearOrUndo::show(bool undoOffered, bool hasContent) {
    undoOffered_ = undoOffered;
    button_->setText(undoOffered ? tr("Undo") : clearTitle_);
    button_->setVisible(undoOffered || hasContent);
    undoAction_->setEnabled(undoOffered);
}
