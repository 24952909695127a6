#include "settings/SettingsWindow.h"

#include "platform/x11/SymbolCatalogue.h"
#include "settings/SettingsManager.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int windowWidth = 350;
constexpr int windowHeight = 240;
} // namespace

SettingsContentView::SettingsContentView(std::function<void(bool)> onShowNotchChanged,
                                         SettingsManager& settings, QWidget* parent)
    : QWidget(parent)
    , onShowNotchChanged_(std::move(onShowNotchChanged))
    , settings_(settings)
    , showNotch_(new QCheckBox(QStringLiteral("Show notch overlay"), this))
    , sounds_(new QCheckBox(QStringLiteral("Enable sounds"), this)) {
    setFixedSize(windowWidth, windowHeight);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 20, 20, 20);
    outer->setSpacing(20);
    outer->setAlignment(Qt::AlignCenter);

    const QPalette pal = palette();
    QColor secondary = pal.color(QPalette::WindowText);
    secondary.setAlphaF(0.55);
    QColor tertiary = pal.color(QPalette::WindowText);
    tertiary.setAlphaF(0.35);

    auto* header = new QVBoxLayout();
    header->setSpacing(8);
    header->setAlignment(Qt::AlignHCenter);
    auto* symbol = new QLabel(this);
    symbol->setPixmap(
        SymbolCatalogue::pixmap(QStringLiteral("tray"), 32, secondary, devicePixelRatioF()));
    symbol->setAlignment(Qt::AlignHCenter);
    auto* title = new QLabel(QStringLiteral("Hodgebin"), this);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignHCenter);
    auto* caption =
        new QLabel(QStringLiteral("Clipboard history & file shelf in your notch"), this);
    QFont captionFont = caption->font();
    captionFont.setPointSizeF(captionFont.pointSizeF() * 0.85);
    caption->setFont(captionFont);
    caption->setStyleSheet(QStringLiteral("color: %1").arg(tertiary.name(QColor::HexArgb)));
    caption->setAlignment(Qt::AlignHCenter);
    header->addWidget(symbol);
    header->addWidget(title);
    header->addWidget(caption);
    outer->addLayout(header);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    outer->addWidget(divider);

    auto* form = new QFormLayout();
    form->addRow(showNotch_);
    form->addRow(sounds_);
    outer->addLayout(form);

    showNotch_->setChecked(settings_.showNotch());
    sounds_->setChecked(settings_.soundsEnabled());

    // Toggle to store: every click writes through.
    connect(showNotch_, &QCheckBox::clicked, this, [this](bool on) { settings_.setShowNotch(on); });
    connect(sounds_, &QCheckBox::clicked, this,
            [this](bool on) { settings_.setSoundsEnabled(on); });
    // Store to toggle, and the notch callback on every change of the value (not on first show).
    connect(&settings_, &SettingsManager::showNotchChanged, this, [this](bool on) {
        showNotch_->setChecked(on);
        if (onShowNotchChanged_) {
            onShowNotchChanged_(on);
        }
    });
    connect(&settings_, &SettingsManager::soundsEnabledChanged, sounds_, &QCheckBox::setChecked);
}

SettingsWindowController::SettingsWindowController(SettingsManager& settings, QObject* parent)
    : QObject(parent)
    , settings_(settings) {}

SettingsWindowController::~SettingsWindowController() {
    delete window_;
}

SettingsWindowController& SettingsWindowController::shared() {
    static auto* instance = new SettingsWindowController(SettingsManager::shared());
    return *instance;
}

void SettingsWindowController::show(std::function<void(bool)> onShowNotchChanged) {
    if (!window_) {
        // Titled and closable, never resized or minimised; closing only hides it.
        window_ = new SettingsContentView(std::move(onShowNotchChanged), settings_);
        window_->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
        window_->setWindowTitle(QStringLiteral("Hodgebin Settings"));
        window_->setAttribute(Qt::WA_DeleteOnClose, false);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            window_->move(area.center() - QPoint(windowWidth / 2, windowHeight / 2));
        }
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}
