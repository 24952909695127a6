#include "settings/SettingsWindow.h"

#include "settings/AutostartEntry.h"
#include "settings/SettingsManager.h"
#include "widgets/SymbolCatalogue.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
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
} // namespace

SettingsContentView::SettingsContentView(SettingsManager& settings, AutostartEntry& autostart,
                                         QWidget* parent)
    : QWidget(parent)
    , settings_(settings)
    , autostart_(autostart)
    , showNotch_(new QCheckBox(QStringLiteral("Show the pill"), this))
    , sounds_(new QCheckBox(QStringLiteral("Enable sounds"), this))
    , startAtLogin_(new QCheckBox(QStringLiteral("Start at login"), this)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 20, 20, 20);
    outer->setSpacing(20);

    const QColor text = palette().color(QPalette::WindowText);

    auto* header = new QVBoxLayout();
    header->setSpacing(8);
    auto* symbol = new QLabel(this);
    symbol->setPixmap(SymbolCatalogue::pixmap(QStringLiteral("tray"), 32, withAlpha(text, 0.55),
                                              devicePixelRatioF()));
    auto* title = new QLabel(QStringLiteral("Hodgebin"), this);
    title->setFont(pixelFont(font(), 17, true));
    auto* caption = new QLabel(
        QStringLiteral("Clipboard history & file shelf at the top of your screen"), this);
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
        toggles->addWidget(toggle);
    }
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

    setFixedSize(windowWidth, qMax(windowHeight, sizeHint().height()));

    // Like any dialog: Escape closes it; Tab moves between the toggles and Space flips one.
    auto* closeAction = new QAction(this);
    closeAction->setShortcut(Qt::Key_Escape);
    closeAction->setShortcutContext(Qt::WindowShortcut);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    addAction(closeAction);
    showNotch_->setFocus(Qt::OtherFocusReason);
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
        window_->setWindowTitle(QStringLiteral("Hodgebin Settings"));
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
