#pragma once

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "Platform/GlobalHotkeys.h"

namespace Quickhalo {

class FakeGlobalHotkeys final : public GlobalHotkeys {
public:
    // When set, registrations are refused with this status (10 = BadAccess).
    std::optional<int> failingStatus;
    int handlerInstallCount = 0;
    int unregisterCount = 0;
    // Every combination asked for, refused ones included.
    std::vector<QKeyCombination> registrations;

    void setHandlers(std::function<void()> onPressed, std::function<void()> onReleased) override
    {
        ++handlerInstallCount;
        m_onPressed = std::move(onPressed);
        m_onReleased = std::move(onReleased);
    }

    Registration registerHotkey(QKeyCombination combination) override
    {
        registrations.push_back(combination);
        m_registered.reset();
        if (failingStatus)
            return { false, *failingStatus };
        m_registered = combination;
        return { true, 0 };
    }

    void unregisterHotkey() override
    {
        ++unregisterCount;
        m_registered.reset();
    }

    bool isRegistered() const override { return m_registered.has_value(); }
    std::optional<QKeyCombination> registered() const { return m_registered; }

    // As the X11 backend reports them: every press, auto-repeats included, and every release
    // of the shortcut while it is grabbed; nothing while it is not.
    void simulatePress()
    {
        if (m_registered && m_onPressed)
            m_onPressed();
    }
    void simulateRelease()
    {
        if (m_registered && m_onReleased)
            m_onReleased();
    }

private:
    std::optional<QKeyCombination> m_registered;
    std::function<void()> m_onPressed;
    std::function<void()> m_onReleased;
};

}
