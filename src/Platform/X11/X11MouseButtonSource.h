#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <xcb/xcb.h>

#include <QObject>
#include <QSocketNotifier>

#include "Platform/MouseButtonSource.h"

namespace Quickhalo {

// Intercepts a mouse button with a passive grab on the root windows (any modifiers), or watches
// it through XInput 2 raw events. Runs on a connection of its own: XInput 2 keeps one event mask
// per client, window and device, so selecting raw events on Qt's connection would overwrite the
// click watcher's selection; and the X server drops the grab by itself if this process dies.
class X11MouseButtonSource final : public MouseButtonSource {
public:
    X11MouseButtonSource();
    ~X11MouseButtonSource() override;
    X11MouseButtonSource(const X11MouseButtonSource&) = delete;
    X11MouseButtonSource& operator=(const X11MouseButtonSource&) = delete;

    bool intercept(int button, Handler handler) override;
    bool watch(int button, Handler handler) override;
    void stop() override;

private:
    enum class Mode { none, intercepting, watching };

    bool grab(std::uint8_t button);
    void ungrab(std::uint8_t button);
    bool selectRawButtons(bool on);
    void install(Mode mode, std::uint8_t button, Handler handler);
    void readEvents();
    void handleEvent(const xcb_generic_event_t& event);
    void report(bool pressed);

    xcb_connection_t* m_connection = nullptr;
    std::vector<xcb_window_t> m_roots;
    std::uint8_t m_inputOpcode = 0; // zero without XInput 2.2
    Mode m_mode = Mode::none;
    std::uint8_t m_button = 0;
    Handler m_handler;
    // Counts starts and stops so that an event queued before a stop is dropped.
    std::uint64_t m_generation = 0;
    QObject m_queue;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}
