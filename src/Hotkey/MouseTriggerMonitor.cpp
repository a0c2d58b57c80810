#include "Hotkey/MouseTriggerMonitor.h"

#include "Base/Log.h"
#include "Base/Preferences.h"
#include "Hotkey/MouseTrigger.h"
#include "Platform/Accessibility.h"
#include "Platform/Clock.h"
#include "Platform/MouseButtonSource.h"

namespace Quickhalo {

MouseTriggerMonitor::MouseTriggerMonitor(
    Preferences& preferences, MouseButtonSource& source, Accessibility& accessibility, Clock& clock)
    : m_preferences(preferences)
    , m_source(source)
    , m_accessibility(accessibility)
    , m_clock(clock)
{ }

MouseTriggerMonitor::~MouseTriggerMonitor()
{
    teardown();
}

void MouseTriggerMonitor::reconfigure()
{
    teardown();
    // The preferences answer none for an absent or unknown text.
    m_trigger = MouseTriggers::stored(m_preferences);
    const std::optional<int> button = MouseTriggers::x11Button(m_trigger);
    if (!button)
        return;
    auto handler = [this](bool down) { handle(down); };
    const bool trusted = m_accessibility.isTrusted();
    if (trusted && m_source.intercept(*button, handler)) {
        m_mode = Mode::intercepting;
        return;
    }
    if (m_source.watch(*button, handler))
        m_mode = Mode::watching;
    else
        Log::write(QStringLiteral("cannot watch the %1; the mouse-button trigger does nothing")
                       .arg(MouseTriggers::label(m_trigger).toLower()));
    // Only a missing permission is polled for. When another application holds the button,
    // retrying every tick would reset a press in progress and lose its release.
    if (!trusted)
        startTrustPolling();
}

void MouseTriggerMonitor::teardown()
{
    if (m_mode != Mode::off)
        m_source.stop();
    m_mode = Mode::off;
    m_trustTimer.reset();
    m_isDown = false;
}

void MouseTriggerMonitor::startTrustPolling()
{
    // The timer lives in this monitor, so a tick never outlives it.
    m_trustTimer = m_clock.startRepeating(trustPollInterval, [this] {
        if (m_accessibility.isTrusted())
            reconfigure();
    });
}

void MouseTriggerMonitor::handle(bool down)
{
    if (down == m_isDown)
        return;
    m_isDown = down;
    const auto& callback = down ? m_onPress : m_onRelease;
    if (callback)
        callback();
}

}
