#include "Platform/X11/X11WindowMover.h"

#include "Platform/X11/X11Connection.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include <QGuiApplication>

#include "Base/Log.h"
#include "Platform/X11/XcbReply.h"

namespace Quickhalo {

namespace {

using Clock = std::chrono::steady_clock;

// How long a window manager may take to act on a request; a loaded machine needs a good part.
constexpr std::chrono::milliseconds settleTimeout(1000);
constexpr std::chrono::milliseconds pollInterval(10);
// Readings that must agree before a changed frame counts as the window manager's last word.
constexpr int stableReadings = 3;

constexpr std::array<const char*, 9> atomNames = {
    "_NET_WM_STATE",
    "_NET_WM_STATE_MAXIMIZED_VERT",
    "_NET_WM_STATE_MAXIMIZED_HORZ",
    "_NET_WM_STATE_FULLSCREEN",
    "_NET_MOVERESIZE_WINDOW",
    "_NET_FRAME_EXTENTS",
    "_NET_WM_ALLOWED_ACTIONS",
    "_NET_WM_ACTION_MOVE",
    "_NET_WM_ACTION_RESIZE",
};

// _NET_WM_STATE actions and the source indication of a pager, which acts for the user.
constexpr std::uint32_t stateRemove = 0;
constexpr std::uint32_t sourcePager = 2;
constexpr std::uint32_t gravityNorthWest = 1;
constexpr std::uint32_t moveResizeAll = (1u << 8) | (1u << 9) | (1u << 10) | (1u << 11);

// WM_SIZE_HINTS flags (ICCCM 4.1.2.3).
constexpr std::uint32_t hintMinSize = 1u << 4;
constexpr std::uint32_t hintMaxSize = 1u << 5;
constexpr std::uint32_t hintResizeIncrement = 1u << 6;
constexpr std::uint32_t hintBaseSize = 1u << 8;

struct Size {
    int width = 0;
    int height = 0;
};

int toInt(std::uint32_t value)
{
    return static_cast<int>(std::min<std::uint32_t>(value, 1u << 30));
}

}

// Where a client window is and what its frame and size rules add to it.
struct X11WindowMover::Placement {
    xcb_window_t root = XCB_WINDOW_NONE;
    QRect client; // with its own border, in root coordinates
    int border = 0;
    int left = 0, right = 0, top = 0, bottom = 0; // _NET_FRAME_EXTENTS
    Size minimum, maximum { 1 << 30, 1 << 30 }, increment { 1, 1 }, base;

    QRect frame() const { return client.adjusted(-left, -top, right, bottom); }
    bool hasSameDecoration(const Placement& other) const
    {
        return border == other.border && left == other.left && right == other.right && top == other.top
            && bottom == other.bottom;
    }

    // The inner size of the client whose frame would be `outer`.
    Size clientSize(const QRect& outer) const
    {
        return { std::max(1, outer.width() - left - right - 2 * border),
            std::max(1, outer.height() - top - bottom - 2 * border) };
    }

    // What an ICCCM window manager makes of a requested inner size: within the minimum and
    // maximum, then down to a whole number of increments above the base.
    Size constrained(Size size) const
    {
        auto fit = [](int value, int low, int high, int step, int from) {
            value = std::clamp(value, std::max(1, low), std::max(std::max(1, low), high));
            if (step > 1 && value > from)
                value = from + (value - from) / step * step;
            return std::max(value, std::max(1, low));
        };
        return { fit(size.width, minimum.width, maximum.width, increment.width, base.width),
            fit(size.height, minimum.height, maximum.height, increment.height, base.height) };
    }
};

X11WindowMover::X11WindowMover()
    : X11WindowMover(X11Connection::qt())
{ }

X11WindowMover::X11WindowMover(xcb_connection_t* connection)
    : m_connection(connection)
{
    static_assert(atomNames.size() == atomCount);
    if (!isConnected())
        return;
    std::array<xcb_intern_atom_cookie_t, atomCount> cookies {};
    for (std::size_t i = 0; i < atomCount; ++i)
        cookies.at(i) = xcb_intern_atom(
            m_connection, 0, static_cast<std::uint16_t>(std::strlen(atomNames.at(i))), atomNames.at(i));
    for (std::size_t i = 0; i < atomCount; ++i) {
        XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, cookies.at(i), nullptr));
        m_atoms.at(i) = reply ? reply->atom : xcb_atom_t { XCB_ATOM_NONE };
    }
}

bool X11WindowMover::isConnected() const
{
    return m_connection && !xcb_connection_has_error(m_connection);
}

std::optional<std::vector<std::uint32_t>> X11WindowMover::property(
    xcb_window_t window, xcb_atom_t name, xcb_atom_t type) const
{
    xcb_generic_error_t* rawError = nullptr;
    XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(m_connection, xcb_get_property(m_connection, 0, window, name, type, 0, 64), &rawError));
    XcbReply<xcb_generic_error_t> error(rawError);
    if (!reply || reply->type == XCB_ATOM_NONE)
        return std::nullopt;
    std::vector<std::uint32_t> values;
    if (reply->format == 32) {
        values.resize(static_cast<std::size_t>(xcb_get_property_value_length(reply.get())) / 4);
        if (!values.empty())
            std::memcpy(values.data(), xcb_get_property_value(reply.get()), values.size() * 4);
    }
    return values;
}

std::optional<X11WindowMover::Placement> X11WindowMover::placement(xcb_window_t window) const
{
    if (!isConnected())
        return std::nullopt;
    // Errors are taken here rather than left to reach Qt's event loop as warnings: a window that
    // has gone away is an ordinary answer.
    xcb_generic_error_t* rawError = nullptr;
    XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), &rawError));
    XcbReply<xcb_generic_error_t> geometryError(rawError);
    if (!geometry)
        return std::nullopt;
    rawError = nullptr;
    XcbReply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        m_connection, xcb_translate_coordinates(m_connection, window, geometry->root, 0, 0), &rawError));
    XcbReply<xcb_generic_error_t> originError(rawError);
    if (!origin)
        return std::nullopt;

    Placement placement;
    placement.root = geometry->root;
    placement.border = geometry->border_width;
    // The translated point is inside the border.
    placement.client = QRect(origin->dst_x - placement.border, origin->dst_y - placement.border,
        geometry->width + 2 * placement.border, geometry->height + 2 * placement.border);

    const auto extents = property(window, m_atoms[frameExtents], XCB_ATOM_CARDINAL);
    if (extents && extents->size() >= 4) {
        placement.left = toInt(extents->at(0));
        placement.right = toInt(extents->at(1));
        placement.top = toInt(extents->at(2));
        placement.bottom = toInt(extents->at(3));
    }

    const auto hints = property(window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS);
    if (hints && hints->size() >= 17) {
        const std::vector<std::uint32_t>& h = *hints;
        const std::uint32_t flags = h[0];
        if (flags & hintMinSize)
            placement.minimum = { toInt(h[5]), toInt(h[6]) };
        if (flags & hintMaxSize && h[7] > 0 && h[8] > 0)
            placement.maximum = { toInt(h[7]), toInt(h[8]) };
        if (flags & hintResizeIncrement)
            placement.increment = { std::max(1, toInt(h[9])), std::max(1, toInt(h[10])) };
        // Each of the base and the minimum size stands in for the other when it is missing.
        if (flags & hintBaseSize)
            placement.base = { toInt(h[15]), toInt(h[16]) };
        else
            placement.base = placement.minimum;
        if (!(flags & hintMinSize))
            placement.minimum = placement.base;
    }
    return placement;
}

std::optional<QRect> X11WindowMover::frame(quint64 window) const
{
    const auto found = placement(static_cast<xcb_window_t>(window));
    return found ? std::optional<QRect>(found->frame()) : std::nullopt;
}

bool X11WindowMover::isMovable(quint64 window) const
{
    if (!isConnected())
        return false;
    const auto actions = property(static_cast<xcb_window_t>(window), m_atoms[allowedActions], XCB_ATOM_ATOM);
    // A window manager that does not list allowed actions is asked anyway; an empty list is a no.
    if (!actions)
        return true;
    return std::any_of(actions->begin(), actions->end(),
        [this](std::uint32_t action) { return action == m_atoms[actionMove] || action == m_atoms[actionResize]; });
}

void X11WindowMover::sendToRoot(
    xcb_window_t root, xcb_window_t window, Atom message, const std::array<std::uint32_t, 5>& data)
{
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = m_atoms.at(message);
    std::copy(data.begin(), data.end(), event.data.data32);
    const auto cookie = xcb_send_event_checked(m_connection, 0, root,
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char*>(&event));
    XcbReply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie));
    if (error)
        Log::write(QStringLiteral("could not send %1 (X11 error %2)")
                       .arg(QLatin1String(atomNames.at(message)))
                       .arg(error->error_code));
}

void X11WindowMover::leaveMaximisedStates(quint64 window)
{
    const auto id = static_cast<xcb_window_t>(window);
    const auto found = placement(id);
    if (!found)
        return;
    const auto isHeld = [this, id] {
        const auto states = property(id, m_atoms[wmState], XCB_ATOM_ATOM);
        std::array<bool, 3> held {};
        if (!states)
            return held;
        for (const std::uint32_t state : *states) {
            held[0] = held[0] || state == m_atoms[wmStateMaximisedVertically];
            held[1] = held[1] || state == m_atoms[wmStateMaximisedHorizontally];
            held[2] = held[2] || state == m_atoms[wmStateFullScreen];
        }
        return held;
    };
    const auto any = [](const std::array<bool, 3>& held) { return held[0] || held[1] || held[2]; };
    const std::array<bool, 3> held = isHeld();
    if (!any(held))
        return;
    if (held[0] || held[1])
        sendToRoot(found->root, id, wmState,
            { stateRemove, m_atoms[wmStateMaximisedVertically], m_atoms[wmStateMaximisedHorizontally], sourcePager,
                0 });
    if (held[2])
        sendToRoot(found->root, id, wmState, { stateRemove, m_atoms[wmStateFullScreen], 0, sourcePager, 0 });
    xcb_flush(m_connection);
    // The move must not overtake the restore, or the restore undoes it.
    const auto deadline = Clock::now() + settleTimeout;
    while (any(isHeld()) && Clock::now() < deadline)
        std::this_thread::sleep_for(pollInterval);
}

std::optional<QRect> X11WindowMover::moveResize(quint64 window, const QRect& wanted)
{
    return moveResize(window, wanted, 1);
}

std::optional<QRect> X11WindowMover::moveResize(quint64 window, const QRect& wanted, int redecorations)
{
    const auto id = static_cast<xcb_window_t>(window);
    const auto start = placement(id);
    if (!start)
        return std::nullopt;
    const Size size = start->clientSize(wanted);
    const Size granted = start->constrained(size);
    const QRect expected(wanted.topLeft(),
        QSize(granted.width + start->left + start->right + 2 * start->border,
            granted.height + start->top + start->bottom + 2 * start->border));
    // Window managers drop a request for the geometry a window already has, so there would be
    // nothing to wait for.
    if (start->frame() == expected)
        return expected;

    sendToRoot(start->root, id, moveResizeWindow,
        { gravityNorthWest | moveResizeAll | (sourcePager << 12), static_cast<std::uint32_t>(wanted.x()),
            static_cast<std::uint32_t>(wanted.y()), static_cast<std::uint32_t>(size.width),
            static_cast<std::uint32_t>(size.height) });
    xcb_flush(m_connection);

    const QRect before = start->frame();
    QRect last = before;
    int agreeing = 0;
    const auto deadline = Clock::now() + settleTimeout;
    while (Clock::now() < deadline) {
        std::this_thread::sleep_for(pollInterval);
        const auto now = placement(id);
        if (!now)
            return std::nullopt;
        // A window just out of full screen may get its decoration back only now: the size sent
        // was for a frame without it, so ask again for the frame as it is.
        if (!now->hasSameDecoration(*start) && redecorations > 0)
            return moveResize(window, wanted, redecorations - 1);
        const QRect reading = now->frame();
        if (reading == expected)
            return reading;
        agreeing = reading == last ? agreeing + 1 : 0;
        last = reading;
        if (reading != before && agreeing + 1 >= stableReadings)
            return reading;
    }
    return last;
}

}
