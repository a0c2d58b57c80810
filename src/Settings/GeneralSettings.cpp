#include "Settings/GeneralSettings.h"

#include "Base/Preferences.h"
#include "Hotkey/HotkeyManager.h"
#include "Hotkey/HotkeyPreset.h"
#include "Hotkey/MouseTrigger.h"
#include "Hotkey/MouseTriggerMonitor.h"
#include "Platform/Accessibility.h"
#include "Platform/LoginItem.h"
#include "Ring/RingGlassStyle.h"
#include "Ring/RingServices.h"
#include "Ring/SymbolPainter.h"
#include "Tools/Clipboard/ClipboardStore.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace Quickhalo {

namespace {

// Captions and footers: small, secondary text.
QLabel* caption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    label->setFont(font);
    return label;
}

QString capitalised(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

}

GeneralSettings::GeneralSettings(GeneralSettingsServices services, QWidget* parent)
    : QWidget(parent)
    , m_services(std::move(services))
{
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);

    m_shortcut = new QComboBox(this);
    for (const HotkeyPreset preset : HotkeyPresets::all())
        m_shortcut->addItem(HotkeyPresets::title(preset));
    connect(m_shortcut, &QComboBox::activated, this, [this](int index) {
        m_services.hotkey.setPreset(HotkeyPresets::all().at(static_cast<std::size_t>(index)));
    });
    // A change made elsewhere (a second instance, say) shows here too.
    connect(&m_services.hotkey, &HotkeyManager::presetChanged, this,
        [this](HotkeyPreset preset) { m_shortcut->setCurrentIndex(static_cast<int>(preset)); });
    form->addRow(QStringLiteral("&Shortcut"), m_shortcut);
    QLabel* shortcutCaption = caption(QStringLiteral("Nothing happens? Another program or your desktop's own "
                                                     "shortcuts may already use that combination. Pick another."),
        this);
    shortcutCaption->setMinimumWidth(460);
    form->addRow(QString(), shortcutCaption);

    m_mouseButton = new QComboBox(this);
    for (const MouseTrigger trigger : MouseTriggers::all())
        m_mouseButton->addItem(MouseTriggers::label(trigger));
    connect(m_mouseButton, &QComboBox::activated, this, [this](int index) {
        MouseTriggers::store(m_services.preferences, MouseTriggers::all().at(static_cast<std::size_t>(index)));
        m_services.mouseTrigger.reconfigure();
    });
    form->addRow(QStringLiteral("&Mouse button"), m_mouseButton);

    m_autoPaste = new QCheckBox(QStringLiteral("Paste &automatically"), this);
    connect(m_autoPaste, &QCheckBox::toggled, this,
        [this](bool on) { m_services.preferences.setFlag(PreferenceKey::autoPaste, on); });
    form->addRow(m_autoPaste);
    form->addRow(caption(
        QStringLiteral("Pastes clipboard picks, calculator results and colours straight into the app you were using."),
        this));

    m_sounds = new QCheckBox(QStringLiteral("S&ounds"), this);
    connect(m_sounds, &QCheckBox::toggled, this, [this](bool on) {
        m_services.preferences.setFlag(PreferenceKey::ringSounds, on);
        if (on)
            m_services.sounds.play(RingSound::tick);
    });
    form->addRow(m_sounds);

    auto* glassRow = new QWidget(this);
    auto* glassLayout = new QHBoxLayout(glassRow);
    glassLayout->setContentsMargins(0, 0, 0, 0);
    glassLayout->setSpacing(0);
    m_glass = new QButtonGroup(this);
    m_glass->setExclusive(true);
    QPushButton* firstGlass = nullptr;
    for (const RingGlassStyle style : RingGlassStyles::all()) {
        auto* button = new QPushButton(capitalised(RingGlassStyles::rawValue(style)), glassRow);
        button->setCheckable(true);
        button->setAutoDefault(false);
        if (!firstGlass)
            firstGlass = button;
        m_glass->addButton(button, static_cast<int>(style));
        glassLayout->addWidget(button);
    }
    connect(m_glass, &QButtonGroup::idClicked, this,
        [this](int id) { RingGlassStyles::store(m_services.preferences, static_cast<RingGlassStyle>(id)); });
    auto* glassLabel = new QLabel(QStringLiteral("G&lass"), this);
    glassLabel->setBuddy(firstGlass);
    form->addRow(glassLabel, glassRow);

    m_backdrop = new QCheckBox(QStringLiteral("&Dim the screen behind the ring"), this);
    connect(m_backdrop, &QCheckBox::toggled, this,
        [this](bool on) { m_services.preferences.setFlag(PreferenceKey::ringBackdrop, on); });
    form->addRow(m_backdrop);

    m_launchAtLogin = new QCheckBox(QStringLiteral("Launch at log&in"), this);
    connect(m_launchAtLogin, &QCheckBox::clicked, this, &GeneralSettings::setLaunchAtLogin);
    form->addRow(m_launchAtLogin);
    m_loginError = caption(QString(), this);
    m_loginError->setForegroundRole(QPalette::Text);
    m_loginError->setStyleSheet(QStringLiteral("color: #c01c28;"));
    m_loginError->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_loginError->hide();
    form->addRow(m_loginError);

    auto* accessibility = new QGroupBox(QStringLiteral("Accessibility"), this);
    auto* accessibilityLayout = new QVBoxLayout(accessibility);
    auto* trustRow = new QHBoxLayout;
    m_trustedIcon = new QLabel(accessibility);
    m_trustedIcon->setFixedSize(18, 18);
    m_trustedText = new QLabel(accessibility);
    m_grantAccess = new QPushButton(QStringLiteral("Gran&t access…"), accessibility);
    connect(m_grantAccess, &QPushButton::clicked, this, [this] {
        m_services.accessibility.promptForTrust();
        if (m_services.showAccessibilityHelp)
            m_services.showAccessibilityHelp(this);
        checkPermission();
    });
    trustRow->addWidget(m_trustedIcon);
    trustRow->addWidget(m_trustedText, 1);
    trustRow->addWidget(m_grantAccess);
    accessibilityLayout->addLayout(trustRow);
    accessibilityLayout->addWidget(caption(QStringLiteral("Needed for pasting, moving windows and swallowing "
                                                          "mouse-button clicks. Quickhalo never records what you type."),
        accessibility));

    auto* clipboard = new QGroupBox(QStringLiteral("Clipboard"), this);
    auto* clipboardLayout = new QVBoxLayout(clipboard);
    m_clearClipboard = new QPushButton(QStringLiteral("&Clear clipboard history"), clipboard);
    connect(m_clearClipboard, &QPushButton::clicked, &m_services.clipboard, &ClipboardStore::clear);
    connect(&m_services.clipboard, &ClipboardStore::itemsChanged, this,
        [this] { m_clearClipboard->setEnabled(!m_services.clipboard.items().isEmpty()); });
    clipboardLayout->addWidget(m_clearClipboard, 0, Qt::AlignLeft);
    clipboardLayout->addWidget(
        caption(QStringLiteral("Clipboard history lives in memory only and skips password managers."), clipboard));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(accessibility);
    layout->addWidget(clipboard);
    layout->addStretch();

    m_permissionPoll = new QTimer(this);
    m_permissionPoll->setInterval(permissionPollMilliseconds);
    connect(m_permissionPoll, &QTimer::timeout, this, &GeneralSettings::checkPermission);

    // The stored preferences may change behind this tab (another window, a second instance).
    connect(&m_services.preferences, &Preferences::changed, this, [this] { showPreferences(); });
    reload();
}

void GeneralSettings::reload()
{
    showPreferences();
    const QSignalBlocker blocker(m_launchAtLogin);
    m_launchAtLogin->setChecked(m_services.loginItem.isEnabled());
    m_clearClipboard->setEnabled(!m_services.clipboard.items().isEmpty());
    showTrust(m_services.accessibility.isTrusted());
}

void GeneralSettings::showPreferences()
{
    const Preferences& preferences = m_services.preferences;
    const auto quietly = [](QWidget* widget, const auto& set) {
        const QSignalBlocker blocker(widget);
        set();
    };
    quietly(m_shortcut, [&] { m_shortcut->setCurrentIndex(static_cast<int>(m_services.hotkey.preset())); });
    quietly(m_mouseButton,
        [&] { m_mouseButton->setCurrentIndex(static_cast<int>(MouseTriggers::stored(preferences))); });
    quietly(m_autoPaste, [&] { m_autoPaste->setChecked(preferences.autoPaste()); });
    quietly(m_sounds, [&] { m_sounds->setChecked(preferences.ringSounds()); });
    quietly(m_backdrop, [&] { m_backdrop->setChecked(preferences.ringBackdrop()); });
    m_glass->button(static_cast<int>(RingGlassStyles::stored(preferences)))->setChecked(true);
}

void GeneralSettings::showTrust(bool trusted)
{
    m_trusted = trusted;
    m_trustedText->setText(trusted ? QStringLiteral("Granted") : QStringLiteral("Not granted"));
    const QColor colour = trusted ? QColor(0x2e, 0xc2, 0x7e) : QColor(0xe6, 0x61, 0x00);
    m_trustedIcon->setPixmap(SymbolPainter::pixmap(
        trusted ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("exclamationmark.triangle.fill"), 18, colour,
        devicePixelRatioF()));
}

void GeneralSettings::checkPermission()
{
    const bool trusted = m_services.accessibility.isTrusted();
    if (trusted == m_trusted)
        return;
    showTrust(trusted);
    m_services.mouseTrigger.reconfigure();
}

bool GeneralSettings::isPollingPermission() const
{
    return m_permissionPoll->isActive();
}

void GeneralSettings::setLaunchAtLogin(bool on)
{
    const std::optional<QString> error = m_services.loginItem.setEnabled(on);
    m_loginError->setText(error.value_or(QString()));
    m_loginError->setVisible(error.has_value());
    if (error) {
        const QSignalBlocker blocker(m_launchAtLogin);
        m_launchAtLogin->setChecked(m_services.loginItem.isEnabled());
    }
}

void GeneralSettings::showEvent(QShowEvent* event)
{
    // What the desktop or another program changed while the tab was away.
    reload();
    m_permissionPoll->start();
    QWidget::showEvent(event);
}

void GeneralSettings::hideEvent(QHideEvent* event)
{
    m_permissionPoll->stop();
    QWidget::hideEvent(event);
}

}
