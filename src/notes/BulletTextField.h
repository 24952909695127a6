#pragma once

#include <QPlainTextEdit>

// The editor of one note line: it feels like a single line (Return never breaks it, pasted line
// breaks become spaces) but wraps long text and grows downwards instead of scrolling sideways.
// The keys an outliner needs become signals: Return submits, Tab indents, Shift-Tab outdents
// and Backspace in an empty field asks for the line to go. Tab never moves the focus.
class BulletTextField final : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit BulletTextField(QWidget* parent = nullptr);

    QString text() const { return toPlainText(); }
    // An outside change of the line: shown at once, with the caret after it. Equal text leaves
    // the field, its caret and its undo history alone.
    void setText(const QString& text);

    // A done line is struck through and dimmed; the text and the caret stay where they are.
    void setDone(bool done);
    bool isDone() const { return done_; }

    // Backspace as a command (an input method or a shortcut delivers it this way): in an empty
    // field it asks for the line to go, otherwise it deletes the character before the caret.
    void deleteBackward();

    // The height of the text wrapped at the field's width, at least one line.
    int contentHeight() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The text a paste would insert: line breaks of any kind become single spaces, so a pasted
    // paragraph stays one note line with all of its words.
    static QString singleLine(QString text);

Q_SIGNALS:
    void submitted();
    // Backspace in an empty field: the line should go.
    void emptyBackspaced();
    void indentRequested();
    void outdentRequested();
    // The user changed the text (never for a change made through setText).
    void textEdited(const QString& text);
    // The wrapped text needs another height.
    void contentHeightChanged(int height);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void insertFromMimeData(const QMimeData* source) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyStyle();
    void updateContentHeight();

    bool done_ = false;
    bool settingText_ = false;
    int lastContentHeight_ = -1;
};
