#include "Settings/SettingsWindow.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "Base/Preferences.h"
#include "Hotkey/HotkeyManager.h"
#include "Hotkey/HotkeyPreset.h"
#include "Hotkey/MouseTrigger.h"
#include "Hotkey/MouseTriggerMonitor.h"

namespace Quickhalo {

SettingsWindow::SettingsWindow(
    HotkeyManager& hotkey, MouseTriggerMonitor& mouseTrigger, Preferences& preferences, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_hotkey(hotkey)
    , m_mouseTrigger(mouseTrigger)
    , m_preferences(preferences)
{
    setWindowTitle(QStringLiteral("Quickhalo Settings"));
    auto* tabs = new QTabWidget(this);
    tabs->addTab(makeGeneralTab(), QStringLiteral("General"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    resize(640, 460);
}

SettingsWindow::~SettingsWindow() = default;

QWidget* SettingsWindow::makeGeneralTab()
{
    auto* tab = new QWidget;
    auto* form = new QFormLayout(tab);

    m_shortcut = new QComboBox(tab);
    for (const HotkeyPreset preset : HotkeyPresets::all())
        m_shortcut->addItem(HotkeyPresets::title(preset));
    m_shortcut->setCurrentIndex(static_cast<int>(m_hotkey.preset()));
    connect(m_shortcut, &QComboBox::activated, this, [this](int index) {
        m_hotkey.setPreset(HotkeyPresets::all().at(static_cast<std::size_t>(index)));
    });
    // A change made elsewhere (another window, a second instance) shows here too.
    connect(&m_hotkey, &HotkeyManager::presetChanged, this,
        [this](HotkeyPreset preset) { m_shortcut->setCurrentIndex(static_cast<int>(preset)); });
    form->addRow(QStringLiteral("Shortcut"), m_shortcut);
    auto* caption = new QLabel(
        QStringLiteral("Nothing happens? Another application or your desktop may already use that shortcut. Pick another."),
        tab);
    caption->setWordWrap(true);
    caption->setForegroundRole(QPalette::PlaceholderText);
    form->addRow(QString(), caption);

    m_mouseButton = new QComboBox(tab);
    for (const MouseTrigger trigger : MouseTriggers::all())
        m_mouseButton->addItem(MouseTriggers::label(trigger));
    m_mouseButton->setCurrentIndex(static_cast<int>(MouseTriggers::stored(m_preferences)));
    connect(m_mouseButton, &QComboBox::activated, this, [this](int index) {
        MouseTriggers::store(m_preferences, MouseTriggers::all().at(static_cast<std::size_t>(index)));
        m_mouseTrigger.reconfigure();
    });
    form->addRow(QStringLiteral("Mouse button"), m_mouseButton);
    return tab;
}

void SettingsWindow::present()
{
    show();
    raise();
    activateWindow();
}

}
