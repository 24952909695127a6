#pragma once

#include "widgets/FadingSnapshot.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QPointer>
#include <QUuid>

#include <memory>
#include <optional>
#include <vector>

class BulletTextField;
class NotesEditor;
class NotesManager;
class QPropertyAnimation;
class QTextLayout;

// The scrolling list of the notes tab. Lines are painted (a list of thousands opens and types as
// fast as one of ten); the focused line carries the one line editor, placed over its text. Row
// heights are measured once per text and width and kept.
class NoteRowList final : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int horizontalPadding = 8;
    static constexpr int verticalPadding = 4;
    // How long the list scrolls to a new line.
    static constexpr int scrollAnimationMs = 250;

    NoteRowList(NotesManager& notes, NotesEditor& editor, QWidget* parent = nullptr);

    // The editor of the focused line (hidden while no line is focused).
    BulletTextField* field() const { return field_; }
    // A line's rectangle in the viewport, or an empty one for an unknown id.
    QRect rowRect(const QUuid& id) const;
    // Scrolls, when the line is not wholly in view, so that it sits at the bottom of the list.
    void scrollToBottomOf(const QUuid& id, bool animated);
    // Brings the focused line into view at once.
    void revealFocusedLine();
    // Lays a picture of the lines as they are now over the list, fading out (easing out) while
    // the lines that follow are already in place; nothing while the list is not on screen.
    void fadeOutCurrentLines(double seconds);
    // That picture while it fades; none once it has gone.
    FadingSnapshot* fadingLines() const { return fadingLines_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Row {
        QUuid id;
        qreal top = 0;
        qreal height = 0;
    };
    struct PaintedText {
        QString text;
        bool done = false;
        qreal width = 0;
        std::shared_ptr<QTextLayout> layout;
        quint64 pass = 0;
    };
    struct Measured {
        QString text;
        qint64 indent = 0;
        qreal width = 0;
        qreal textHeight = 0;
    };

    qreal rowWidth() const;
    qreal measuredTextHeight(const QUuid& id, const QString& text, qint64 indent);
    void relayout();
    void showOutsideChange();
    void attachField();
    void placeField();
    std::optional<qsizetype> rowAt(qreal contentY) const;

    NotesManager& notes_;
    NotesEditor& editor_;
    BulletTextField* field_;
    std::optional<QUuid> fieldId_;
    std::vector<Row> rows_;
    QHash<QUuid, qsizetype> rowIndex_;
    QHash<QUuid, Measured> measured_;
    // The text layouts of the lines painted last.
    QHash<QUuid, PaintedText> painted_;
    quint64 paintPass_ = 0;
    QPropertyAnimation* scrollAnimation_;
    bool attaching_ = false;
    QPointer<FadingSnapshot> fadingLines_;
};
