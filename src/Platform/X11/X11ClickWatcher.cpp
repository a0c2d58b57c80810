#include "Platform/X11/X11ClickWatcher.h"

#include "Platform/X11/X11Connection.h"

#include <xcb/xinput.h>

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QRegion>
#include <QWindow>

#include "Base/Log.h"
#include "Platform/X11/XcbReply.h"

namespace Quickhalo {

namespace {

constexpr std::uint32_t leftButton = 1;
constexpr std::uint32_t rightButton = 3;

bool isOverOwnWindow(QPoint pointer)
{
    for (const QWindow* window : QGuiApplication::topLevelWindows()) {
        if (!window->isVisible() || window->flags().testFlag(Qt::WindowTransparentForInput))
            continue;
        if (!window->frameGeometry().contains(pointer))
            continue;
        // A shaped window (the opaque ring) takes no clicks outside its shape.
        const QRect client = window->geometry();
        const QRegion mask = window->mask();
        if (mask.isEmpty() || !client.contains(pointer) || mask.contains(pointer - client.topLeft()))
            return true;
    }
    return false;
}

}

X11ClickWatcher::X11ClickWatcher()
{
    xcb_connection_t* connection = X11Connection::qt();
    if (!connection || xcb_connection_has_error(connection))
        return;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_input_id);
    if (!extension || !extension->present) {
        Log::write(QStringLiteral("the X server has no XInput extension; clicks outside the ring cannot close it"));
        return;
    }
    // Qt has announced its XInput 2 version on this connection already (2.2 or later: raw events
    // reach every client, also while another one grabs the pointer). Announcing another could
    // change what Qt itself receives.
    m_connection = connection;
    m_inputOpcode = extension->major_opcode;
}

X11ClickWatcher::~X11ClickWatcher()
{
    stop();
}

bool X11ClickWatcher::start(std::function<void()> onClick)
{
    if (!m_connection)
        return false;
    ++m_generation;
    if (!m_isWatching && !selectRawPresses(true)) {
        selectRawPresses(false);
        return false;
    }
    m_isWatching = true;
    m_onClick = std::move(onClick);
    if (!m_isFilterInstalled) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_isFilterInstalled = true;
    }
    return true;
}

void X11ClickWatcher::stop()
{
    ++m_generation;
    m_onClick = nullptr;
    if (m_isWatching)
        selectRawPresses(false);
    m_isWatching = false;
    if (m_isFilterInstalled && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    m_isFilterInstalled = false;
}

bool X11ClickWatcher::selectRawPresses(bool on)
{
    // Master devices only: a press then arrives once, not once more from its physical device.
    struct {
        xcb_input_event_mask_t header;
        std::uint32_t bits;
    } mask { { static_cast<xcb_input_device_id_t>(XCB_INPUT_DEVICE_ALL_MASTER), 1 },
        on ? static_cast<std::uint32_t>(XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS) : 0u };
    bool succeeded = true;
    for (auto roots = xcb_setup_roots_iterator(xcb_get_setup(m_connection)); roots.rem > 0; xcb_screen_next(&roots)) {
        const auto cookie = xcb_input_xi_select_events_checked(m_connection, roots.data->root, 1, &mask.header);
        if (XcbReply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie)); error) {
            Log::write(QStringLiteral("could not %1 raw button presses (X11 error %2)")
                           .arg(on ? QStringLiteral("select") : QStringLiteral("deselect"))
                           .arg(error->error_code));
            succeeded = false;
        }
    }
    return succeeded;
}

bool X11ClickWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (!m_isWatching || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_GE_GENERIC)
        return false;
    const auto* generic = static_cast<const xcb_ge_generic_event_t*>(message);
    if (generic->extension != m_inputOpcode || generic->event_type != XCB_INPUT_RAW_BUTTON_PRESS)
        return false;
    const auto* press = static_cast<const xcb_input_raw_button_press_event_t*>(message);
    // Raw events carry no position: ask for the pointer now, as close to the press as it gets.
    if ((press->detail == leftButton || press->detail == rightButton) && !isOverOwnWindow(QCursor::pos())) {
        // Out of the event filter, so that the handler may hide and show windows freely.
        QMetaObject::invokeMethod(
            &m_queue,
            [this, generation = m_generation] {
                if (m_isWatching && generation == m_generation && m_onClick) {
                    const auto onClick = m_onClick; // the handler usually stops the watcher
                    onClick();
                }
            },
            Qt::QueuedConnection);
    }
    // Left for other filters: Qt itself does nothing with raw events.
    return false;
}

}
