#pragma once

#include <optional>
#include <utility>

#include "Platform/MouseButtonSource.h"

namespace Quickhalo {

class FakeMouseButtonSource final : public MouseButtonSource {
public:
    enum class Mode { none, intercepting, watching };

    bool canIntercept = true;
    bool canWatch = true;
    int interceptAttempts = 0;
    int watchAttempts = 0;

    bool intercept(int button, Handler handler) override
    {
        stop();
        ++interceptAttempts;
        if (!canIntercept)
            return false;
        install(Mode::intercepting, button, std::move(handler));
        return true;
    }
    bool watch(int button, Handler handler) override
    {
        stop();
        ++watchAttempts;
        if (!canWatch)
            return false;
        install(Mode::watching, button, std::move(handler));
        return true;
    }
    void stop() override
    {
        m_mode = Mode::none;
        m_button.reset();
        m_handler = nullptr;
    }

    Mode mode() const { return m_mode; }
    std::optional<int> button() const { return m_button; }

    // The button going down or up, as the real source reports it; nothing when none is installed.
    void simulate(bool pressed)
    {
        if (m_handler) {
            const auto handler = m_handler; // the handler may reconfigure its owner
            handler(pressed);
        }
    }

private:
    void install(Mode mode, int button, Handler handler)
    {
        m_mode = mode;
        m_button = button;
        m_handler = std::move(handler);
    }

    Mode m_mode = Mode::none;
    std::optional<int> m_button;
    Handler m_handler;
};

}
