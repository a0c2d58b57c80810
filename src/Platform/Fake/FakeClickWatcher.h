#pragma once

#include <functional>
#include <utility>

#include "Platform/ClickWatcher.h"

namespace Quickhalo {

class FakeClickWatcher final : public ClickWatcher {
public:
    bool available = true;
    int startCount = 0;
    int stopCount = 0;

    bool start(std::function<void()> onClick) override
    {
        ++startCount;
        if (!available)
            return false;
        m_onClick = std::move(onClick);
        return true;
    }
    void stop() override
    {
        ++stopCount;
        m_onClick = nullptr;
    }
    bool isWatching() const override { return static_cast<bool>(m_onClick); }

    // A press outside the application, as the real watcher reports it.
    void simulateClickOutside()
    {
        if (m_onClick) {
            const auto onClick = m_onClick; // the handler may stop the watcher
            onClick();
        }
    }

private:
    std::function<void()> m_onClick;
};

}
