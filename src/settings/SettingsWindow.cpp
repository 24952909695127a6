#include "settings/SettingsWindow.h"

#include "settings/AutostartEntry.h"
#include "settings/SettingsManager.h"
#include "widgets/SymbolCatalogue.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int windowWidth = 350;
// Tall enough for the header and the two settings toggles; the window grows by what the
// "Start at login" row needs.
constexpr int windowHeight = 240;

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(alpha);
    return color;
}

QFont pixelFont(const QFont& base, int pixelSize, bool bold = false) {
    QFont font = base;
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}
bool isModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}
} // namespace

ShortcutRecorder::ShortcutRecorder(QWidget* parent)
    : QPushButton(parent) {
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] {
        if (!recording_) {
            startRecording();
        }
    });
    showShortcut();
}

void ShortcutRecorder::setShortcut(const QKeySequence& shortcut) {
    shortcut_ = shortcut;
    showShortcut();
}

void ShortcutRecorder::showShortcut() {
    setText(recording_            ? tr("Type a shortcut…")
            : shortcut_.isEmpty() ? tr("Record Shortcut")
                                  : shortcut_.toString(QKeySequence::NativeText));
}

void ShortcutRecorder::startRecording() {
    recording_ = true;
    setDown(true);
    showShortcut();
    setFocus(Qt::OtherFocusReason);
    // Keys the window would take for itself (Escape, Tab) come here while recording.
    grabKeyboard();
}

void ShortcutRecorder::stopRecording() {
    recording_ = false;
    setDown(false);
    releaseKeyboard();
    showShortcut();
}

bool ShortcutRecorder::event(QEvent* event) {
    // While recording every key is for the recorder, the window's own shortcuts included.
    if (recording_ && event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QPushButton::event(event);
}

void ShortcutRecorder::keyPressEvent(QKeyEvent* event) {
    if (!recording_) {
        QPushButton::keyPressEvent(event);
        return;
    }
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() &
        (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::ShiftModifier);
    if (isModifierKey(key) || key == 0 || key == Qt::Key_unknown) {
        return; // still waiting for the key the modifiers go with
    }
    if (key == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        stopRecording();
        Q_EMIT cancelled();
        return;
    }
    // A key that types a character is no shortcut on its own (nor with Shift): it would fire
    // in the middle of every word.
    const bool functionKey = key >= Qt::Key_F1 && key <= Qt::Key_F35;
    if (!functionKey &&
        (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0) {
        setText(tr("Hold Ctrl, Alt or Super with it"));
        return;
    }
    // Handed out as a copy: a receiver may set the shown shortcut on the way.
    const QKeySequence shortcut(QKeyCombination(modifiers, Qt::Key(key)));
    shortcut_ = shortcut;
    stopRecording();
    Q_EMIT recorded(shortcut);
}

void ShortcutRecorder::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    if (recording_) {
        stopRecording();
        Q_EMIT cancelled();
    }
}

SettingsContentView::SettingsContentView(SettingsManager& settings, AutostartEntry& autostart,
                                         QWidget* parent)
    : QWidget(parent)
    , settings_(settings)
    , autostart_(autostart)
    , showNotch_(new QCheckBox(tr("Show the pill"), this))
    , sounds_(new QCheckBox(tr("Enable sounds"), this))
    , startAtLogin_(new QCheckBox(tr("Start at login"), this)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 20, 20, 20);
    outer->setSpacing(20);

    const QColor text = palette().color(QPalette::WindowText);

    auto* header = new QVBoxLayout();
    header->setSpacing(8);
    auto* symbol = new QLabel(this);
    symbol->setPixmap(SymbolCatalogue::pixmap(QStringLiteral("tray"), 32, withAlpha(text, 0.55),
                                              devicePixelRatioF()));
    auto* title = new QLabel(tr("Hodgebin"), this);
    title->setFont(pixelFont(font(), 17, true));
    auto* caption =
        new QLabel(tr("Clipboard history & file shelf at the top of your screen"), this);
    caption->setFont(pixelFont(font(), 11));
    QPalette captionPalette = caption->palette();
    captionPalette.setColor(QPalette::WindowText, withAlpha(text, 0.35));
    caption->setPalette(captionPalette);
    for (QLabel* label : {symbol, title, caption}) {
        label->setAlignment(Qt::AlignHCenter);
        header->addWidget(label);
    }
    outer->addLayout(header);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    outer->addWidget(divider);

    // The toggles line up on the left of a column that is centred, like a form.
    auto* form = new QWidget(this);
    auto* toggles = new QVBoxLayout(form);
    toggles->setContentsMargins(0, 0, 0, 0);
    toggles->setSpacing(6);
    for (QCheckBox* toggle : {showNotch_, sounds_, startAtLogin_}) {
        toggle->setFont(pixelFont(font(), 13));
        // As wide as its label: a click beside it toggles nothing, so nothing may look as if.
        toggles->addWidget(toggle, 0, Qt::AlignLeft);
    }
    toggles->addSpacing(14);
    toggles->addWidget(makeShortcutRow());
    outer->addWidget(form, 0, Qt::AlignHCenter);
    outer->addStretch(1);

    showNotch_->setChecked(settings_.showNotch());
    sounds_->setChecked(settings_.soundsEnabled());
    refresh();

    // Toggle to store: every click writes through.
    connect(showNotch_, &QCheckBox::clicked, this, [this](bool on) { settings_.setShowNotch(on); });
    connect(sounds_, &QCheckBox::clicked, this,
            [this](bool on) { settings_.setSoundsEnabled(on); });
    // The autostart switch shows what is on disk, whether or not the write worked.
    connect(startAtLogin_, &QCheckBox::clicked, this, [this](bool on) {
        autostart_.setEnabled(on);
        refresh();
    });
    connect(&settings_, &SettingsManager::showNotchChanged, showNotch_, &QCheckBox::setChecked);
    connect(&settings_, &SettingsManager::soundsEnabledChanged, sounds_, &QCheckBox::setChecked);
    connect(&settings_, &SettingsManager::shortcutChanged, this,
            &SettingsContentView::showShortcutSetting);

    setFixedSize(windowWidth, qMax(windowHeight, sizeHint().height()));

    // Like any dialog: Escape closes it; Tab moves between the toggles and Space flips one.
    auto* closeAction = new QAction(this);
    closeAction->setShortcut(Qt::Key_Escape);
    closeAction->setShortcutContext(Qt::WindowShortcut);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    addAction(closeAction);
    showNotch_->setFocus(Qt::OtherFocusReason);
}

QWidget* SettingsContentView::makeShortcutRow() {
    // Below the toggles, on their left edge: a caption, the choice with the recorded
    // combination beside it while that is the choice, and a word on the desktop's shortcuts.
    auto* group = new QWidget(this);
    auto* column = new QVBoxLayout(group);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    auto* title = new QLabel(tr("Open the drawer with"), group);
    title->setFont(pixelFont(font(), 13));
    shortcutChoice_ = new QComboBox(group);
    shortcutChoice_->setFont(pixelFont(font(), 13));
    shortcutChoice_->addItem(tr("The ` key"));
    shortcutChoice_->addItem(tr("A recorded shortcut"));
    shortcutChoice_->addItem(tr("No shortcut"));
    title->setBuddy(shortcutChoice_);
    recorder_ = new ShortcutRecorder(group);
    recorder_->setFont(pixelFont(font(), 13));
    recorder_->setAccessibleName(tr("Recorded shortcut"));
    // The window keeps one size whichever choice is made.
    QSizePolicy keepSpace = recorder_->sizePolicy();
    keepSpace.setRetainSizeWhenHidden(true);
    keepSpace.setHorizontalPolicy(QSizePolicy::Expanding);
    recorder_->setSizePolicy(keepSpace);
    // The choice is read whole (the style's own measure cuts the longest one at this size);
    // the recorder takes the rest of the row.
    int longest = 0;
    for (int i = 0; i < shortcutChoice_->count(); ++i) {
        longest = std::max(
            longest,
            QFontMetrics(shortcutChoice_->font()).horizontalAdvance(shortcutChoice_->itemText(i)));
    }
    shortcutChoice_->setMinimumWidth(longest + 48);
    shortcutChoice_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    recorder_->setMinimumWidth(
        QFontMetrics(recorder_->font()).horizontalAdvance(QStringLiteral("Ctrl+Alt+F12")) + 32);

    auto* row = new QHBoxLayout();
    row->setSpacing(8);
    row->addWidget(shortcutChoice_);
    row->addWidget(recorder_);

    auto* hint = new QLabel(tr("Desktop shortcuts can run “hodgebin --toggle”."), group);
    hint->setFont(pixelFont(font(), 11));
    QPalette hintPalette = hint->palette();
    hintPalette.setColor(QPalette::WindowText,
                         withAlpha(palette().color(QPalette::WindowText), 0.5));
    hint->setPalette(hintPalette);

    column->addWidget(title);
    column->addLayout(row);
    column->addSpacing(2);
    column->addWidget(hint);

    showShortcutSetting();

    using Kind = SettingsManager::ShortcutKind;
    connect(shortcutChoice_, &QComboBox::activated, this, [this](int index) {
        const auto kind = Kind(index);
        if (kind == Kind::combination && settings_.shortcutCombination().isEmpty()) {
            // Nothing recorded yet: record first, the choice follows.
            recorder_->setVisible(true);
            recorder_->startRecording();
            return;
        }
        settings_.setShortcutKind(kind);
    });
    // The kind first, so that the recorder (which has the keyboard) never hides on the way.
    connect(recorder_, &ShortcutRecorder::recorded, this, [this](QKeySequence shortcut) {
        settings_.setShortcutKind(Kind::combination);
        settings_.setShortcutCombination(shortcut);
    });
    connect(recorder_, &ShortcutRecorder::cancelled, this, [this] {
        if (recorder_->hasFocus()) {
            shortcutChoice_->setFocus(Qt::OtherFocusReason);
        }
        showShortcutSetting();
    });
    return group;
}

void SettingsContentView::showShortcutSetting() {

    const auto kind = settings_.shortcutKind();
    shortcutChoice_->setCurrentIndex(int(kind));
    recorder_->setShortcut(settings_.shortcutCombination());
    recorder_->setVisible(kind == SettingsManager::ShortcutKind::combination);
}

void SettingsContentView::refresh() {
    startAtLogin_->setChecked(autostart_.isEnabled());
}

SettingsWindowController::SettingsWindowController(SettingsManager& settings,
                                                   AutostartEntry& autostart, QObject* parent)
    : QObject(parent)
    , settings_(settings)
    , autostart_(autostart) {}

SettingsWindowController::~SettingsWindowController() {
    delete window_;
}

void SettingsWindowController::show() {
    if (!window_) {
        // Titled and closable, never resized, minimised or maximised (said through the Motif
        // hints Qt sets from these flags, and a fixed size); closing only hides it.
        window_ = new SettingsContentView(settings_, autostart_);
        window_->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
        window_->setWindowTitle(SettingsContentView::tr("Hodgebin Settings"));
        window_->setAttribute(Qt::WA_DeleteOnClose, false);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), window_->size());
            frame.moveCenter(screen->availableGeometry().center());
            window_->move(frame.topLeft());
        }
    } else {
        window_->refresh();
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}
