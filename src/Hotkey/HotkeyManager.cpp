#include "Hotkey/HotkeyManager.h"

#include <utility>

#include <QMetaObject>

#include "Base/Log.h"
#include "Base/Preferences.h"
#include "Hotkey/HotkeyPreset.h"
#include "Platform/GlobalHotkeys.h"

namespace Quickhalo {

HotkeyManager::HotkeyManager(Preferences& preferences, GlobalHotkeys& hotkeys, QObject* parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_hotkeys(hotkeys)
    , m_preset(HotkeyPresets::stored(preferences))
{
}

HotkeyManager::~HotkeyManager()
{
    if (m_isRegistered)
        m_hotkeys.unregisterHotkey();
    if (m_isHandlerInstalled)
        m_hotkeys.setHandlers({}, {});
}

void HotkeyManager::setPreset(HotkeyPreset preset)
{
    HotkeyPresets::store(m_preferences, preset);
    if (preset != m_preset) {
        m_preset = preset;
        Q_EMIT presetChanged(preset);
    }
    registerKey();
}

void HotkeyManager::installHandler()
{
    if (m_isHandlerInstalled)
        return;
    // Queued so that the callbacks run after the platform's dispatch has returned, in order;
    // the receiver context drops what is still queued when the manager goes away.
    m_hotkeys.setHandlers(
        [this] { QMetaObject::invokeMethod(this, &HotkeyManager::handlePress, Qt::QueuedConnection); },
        [this] { QMetaObject::invokeMethod(this, &HotkeyManager::handleRelease, Qt::QueuedConnection); });
    m_isHandlerInstalled = true;
}

void HotkeyManager::registerKey()
{
    if (m_isRegistered) {
        m_hotkeys.unregisterHotkey();
        m_isRegistered = false;
    }
    m_isDown = false;
    const GlobalHotkeys::Registration registration = m_hotkeys.registerHotkey(HotkeyPresets::combination(m_preset));
    m_isRegistered = registration.isRegistered;
    if (!m_isRegistered)
        Log::write(QStringLiteral("RegisterEventHotKey failed (%1); %2 may be taken")
                       .arg(registration.status)
                       .arg(HotkeyPresets::title(m_preset)));
}

void HotkeyManager::handlePress()
{
    if (m_isDown)
        return;
    m_isDown = true;
    if (onPress)
        onPress();
}

void HotkeyManager::handleRelease()
{
    if (!m_isDown)
        return;
    m_isDown = false;
    if (onRelease)
        onRelease();
}

}
