#include "Platform/X11/X11MouseButtonSource.h"

#include <xcb/xinput.h>

#include <QString>

#include "Base/Log.h"
#include "Platform/X11/XcbReply.h"

namespace Quickhalo {

namespace {

constexpr std::uint8_t badAccess = 10;

QString describe(const xcb_generic_error_t& error)
{
    return error.error_code == badAccess ? QStringLiteral("another application holds it")
                                         : QStringLiteral("X11 error %1").arg(error.error_code);
}

}

X11MouseButtonSource::X11MouseButtonSource()
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        Log::write(QStringLiteral("cannot reach the X server; the mouse-button trigger is off"));
        return;
    }
    m_connection = connection;
    for (auto roots = xcb_setup_roots_iterator(xcb_get_setup(connection)); roots.rem > 0; xcb_screen_next(&roots))
        m_roots.push_back(roots.data->root);

    // 2.2: raw events reach the root also while another client grabs the pointer.
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_input_id);
    if (extension && extension->present) {
        XcbReply<xcb_input_xi_query_version_reply_t> version(
            xcb_input_xi_query_version_reply(connection, xcb_input_xi_query_version(connection, 2, 2), nullptr));
        if (version && (version->major_version > 2 || (version->major_version == 2 && version->minor_version >= 2)))
            m_inputOpcode = extension->major_opcode;
    }

    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, &m_queue, [this] { readEvents(); });
}

X11MouseButtonSource::~X11MouseButtonSource()
{
    stop();
    m_notifier.reset();
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool X11MouseButtonSource::intercept(int button, Handler handler)
{
    stop();
    if (!m_connection || button < 1 || button > 255)
        return false;
    const auto x11Button = static_cast<std::uint8_t>(button);
    if (!grab(x11Button))
        return false;
    install(Mode::intercepting, x11Button, std::move(handler));
    return true;
}

bool X11MouseButtonSource::watch(int button, Handler handler)
{
    stop();
    if (!m_connection || button < 1 || button > 255)
        return false;
    if (!m_inputOpcode) {
        Log::write(QStringLiteral("the X server has no XInput 2.2; mouse button %1 cannot be watched").arg(button));
        return false;
    }
    if (!selectRawButtons(true)) {
        selectRawButtons(false);
        return false;
    }
    install(Mode::watching, static_cast<std::uint8_t>(button), std::move(handler));
    return true;
}

void X11MouseButtonSource::stop()
{
    ++m_generation;
    m_handler = nullptr;
    if (m_mode == Mode::intercepting)
        ungrab(m_button);
    else if (m_mode == Mode::watching)
        selectRawButtons(false);
    m_mode = Mode::none;
    if (m_connection)
        xcb_flush(m_connection);
}

bool X11MouseButtonSource::grab(std::uint8_t button)
{
    // Asynchronous modes: the press activates a pointer grab that ends with the release, so both
    // come here once and no other client sees either.
    std::vector<xcb_void_cookie_t> cookies;
    for (const xcb_window_t root : m_roots)
        cookies.push_back(
            xcb_grab_button_checked(m_connection, 0, root, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE,
                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, button, XCB_MOD_MASK_ANY));
    bool succeeded = true;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (XcbReply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie)); error) {
            Log::write(QStringLiteral("cannot take mouse button %1 (%2)").arg(button).arg(describe(*error)));
            succeeded = false;
        }
    }
    if (!succeeded) {
        // Releases only this client's grabs; another client's grab of the button stays.
        ungrab(button);
        xcb_flush(m_connection);
    }
    return succeeded;
}

void X11MouseButtonSource::ungrab(std::uint8_t button)
{
    for (const xcb_window_t root : m_roots)
        xcb_ungrab_button(m_connection, button, root, XCB_MOD_MASK_ANY);
}

bool X11MouseButtonSource::selectRawButtons(bool on)
{
    // Master devices only: a press then arrives once, not once more from its physical device.
    struct {
        xcb_input_event_mask_t header;
        std::uint32_t bits;
    } mask { { static_cast<xcb_input_device_id_t>(XCB_INPUT_DEVICE_ALL_MASTER), 1 },
        on ? static_cast<std::uint32_t>(
            XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE)
           : 0u };
    bool succeeded = true;
    for (const xcb_window_t root : m_roots) {
        const auto cookie = xcb_input_xi_select_events_checked(m_connection, root, 1, &mask.header);
        if (XcbReply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie)); error) {
            Log::write(QStringLiteral("cannot %1 raw mouse buttons (%2)")
                           .arg(on ? QStringLiteral("select") : QStringLiteral("deselect"), describe(*error)));
            succeeded = false;
        }
    }
    return succeeded;
}

void X11MouseButtonSource::install(Mode mode, std::uint8_t button, Handler handler)
{
    m_mode = mode;
    m_button = button;
    m_handler = std::move(handler);
    // Waiting for a reply may have queued events inside xcb without waking the notifier.
    QMetaObject::invokeMethod(
        &m_queue, [this] { readEvents(); }, Qt::QueuedConnection);
}

void X11MouseButtonSource::readEvents()
{
    if (!m_connection)
        return;
    while (XcbReply<xcb_generic_event_t> event { xcb_poll_for_event(m_connection) })
        handleEvent(*event);
    if (xcb_connection_has_error(m_connection) && m_notifier && m_notifier->isEnabled()) {
        m_notifier->setEnabled(false);
        Log::write(QStringLiteral("lost the X server connection; the mouse-button trigger is off"));
    }
}

void X11MouseButtonSource::handleEvent(const xcb_generic_event_t& event)
{
    const auto type = static_cast<std::uint8_t>(event.response_type & 0x7f);
    if (m_mode == Mode::intercepting && (type == XCB_BUTTON_PRESS || type == XCB_BUTTON_RELEASE)) {
        // Other buttons pressed during the grab come here too; they are swallowed unreported.
        if (reinterpret_cast<const xcb_button_press_event_t&>(event).detail == m_button)
            report(type == XCB_BUTTON_PRESS);
        return;
    }
    if (m_mode != Mode::watching || type != XCB_GE_GENERIC)
        return;
    const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if (generic.extension != m_inputOpcode
        || (generic.event_type != XCB_INPUT_RAW_BUTTON_PRESS && generic.event_type != XCB_INPUT_RAW_BUTTON_RELEASE))
        return;
    if (reinterpret_cast<const xcb_input_raw_button_press_event_t&>(event).detail == m_button)
        report(generic.event_type == XCB_INPUT_RAW_BUTTON_PRESS);
}

void X11MouseButtonSource::report(bool pressed)
{
    // Out of the event loop's read, so that the handler may stop or restart this source freely.
    QMetaObject::invokeMethod(
        &m_queue,
        [this, pressed, generation = m_generation] {
            if (generation == m_generation && m_handler) {
                const auto handler = m_handler;
                handler(pressed);
            }
        },
        Qt::QueuedConnection);
}

}
