#pragma once

#include <cstdint>

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QObject>

#include "Platform/ClickWatcher.h"

namespace Quickhalo {

// Watches XInput2 raw button presses on the root windows over Qt's own xcb connection; raw
// events reach every client that selects them, whichever window gets the click and whoever
// grabs the pointer. A press counts as outside when the pointer is then over none of this
// application's visible windows (input-transparent windows such as the backdrop do not count).
class X11ClickWatcher final : public ClickWatcher, private QAbstractNativeEventFilter {
public:
    X11ClickWatcher();
    ~X11ClickWatcher() override;
    X11ClickWatcher(const X11ClickWatcher&) = delete;
    X11ClickWatcher& operator=(const X11ClickWatcher&) = delete;

    bool start(std::function<void()> onClick) override;
    void stop() override;
    bool isWatching() const override { return m_isWatching; }

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    bool selectRawPresses(bool on);

    xcb_connection_t* m_connection = nullptr;
    std::uint8_t m_inputOpcode = 0;
    bool m_isWatching = false;
    bool m_isFilterInstalled = false;
    // Counts starts and stops so that a press queued before a stop is dropped.
    std::uint64_t m_generation = 0;
    std::function<void()> m_onClick;
    QObject m_queue;
};

}
