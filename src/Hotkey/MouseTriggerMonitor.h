#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "Base/SharedInstance.h"
#include "Hotkey/MouseTrigger.h"

namespace Quickhalo {

class Accessibility;
class Clock;
class MouseButtonSource;
class Preferences;
class RepeatingTimer;

// Reports the press and release of the chosen extra mouse button, like the hotkey does. With
// the accessibility permission it intercepts the button so that no application sees the click;
// without it, or when another application holds the button, it only watches and re-checks the
// permission every 2 seconds. It never prompts for the permission.
class MouseTriggerMonitor : public Shared<MouseTriggerMonitor> {
public:
    enum class Mode { off, intercepting, watching };

    static constexpr double trustPollInterval = 2.0;

    MouseTriggerMonitor(
        Preferences& preferences, MouseButtonSource& source, Accessibility& accessibility, Clock& clock);
    ~MouseTriggerMonitor();
    MouseTriggerMonitor(const MouseTriggerMonitor&) = delete;
    MouseTriggerMonitor& operator=(const MouseTriggerMonitor&) = delete;


    // Called on the main thread, at most once per press and once per release.
    void setOnPress(std::function<void()> onPress) { m_onPress = std::move(onPress); }
    void setOnRelease(std::function<void()> onRelease) { m_onRelease = std::move(onRelease); }

    // Re-reads the setting and sets everything up from scratch.
    void reconfigure();

    MouseTrigger trigger() const { return m_trigger; }
    Mode mode() const { return m_mode; }
    bool isDown() const { return m_isDown; }
    bool isPollingTrust() const { return m_trustTimer != nullptr; }

private:
    void teardown();
    void startTrustPolling();
    void handle(bool down);

    Preferences& m_preferences;
    MouseButtonSource& m_source;
    Accessibility& m_accessibility;
    Clock& m_clock;
    std::function<void()> m_onPress;
    std::function<void()> m_onRelease;
    MouseTrigger m_trigger = MouseTrigger::none;
    Mode m_mode = Mode::off;
    bool m_isDown = false;
    std::unique_ptr<RepeatingTimer> m_trustTimer;
};

}
