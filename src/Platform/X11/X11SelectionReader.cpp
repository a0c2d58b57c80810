#include "Platform/X11/X11SelectionReader.h"

#include <poll.h>

#include <cstring>
#include <memory>

#include "Platform/X11/X11Connection.h"
#include "Platform/X11/XcbReply.h"

namespace Quickhalo {

namespace {

using Clock = std::chrono::steady_clock;
using Event = XcbReply<xcb_generic_event_t>;

constexpr std::uint8_t eventType(const xcb_generic_event_t* event)
{
    return event->response_type & 0x7f;
}

}

X11SelectionReader::X11SelectionReader(std::chrono::milliseconds timeout)
    : m_timeout(timeout)
{
    xcb_window_t root = XCB_WINDOW_NONE;
    m_connection = X11Connection::connectOwn(&root);
    if (!m_connection)
        return;
    // An unmapped window that only receives: the owner's answers land in its property.
    m_window = xcb_generate_id(m_connection);
    const std::uint32_t values[] = { 1, XCB_EVENT_MASK_PROPERTY_CHANGE };
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, root, -1, -1, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    m_clipboard = atom("CLIPBOARD");
    m_property = atom("QUICKHALO_SELECTION");
    m_incr = atom("INCR");
}

X11SelectionReader::~X11SelectionReader()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

xcb_atom_t X11SelectionReader::atom(const char* name)
{
    return X11Connection::internAtom(m_connection, name, false);
}

template<typename Predicate>
xcb_generic_event_t* X11SelectionReader::waitFor(Predicate wanted)
{
    const Clock::time_point deadline = Clock::now() + m_timeout;
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            if (wanted(event))
                return event;
            std::free(event);
        }
        if (xcb_connection_has_error(m_connection))
            return nullptr;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return nullptr;
        pollfd descriptor { xcb_get_file_descriptor(m_connection), POLLIN, 0 };
        ::poll(&descriptor, 1, static_cast<int>(left));
    }
}

std::optional<QByteArray> X11SelectionReader::takeProperty(xcb_atom_t* type)
{
    // First the size, then everything at once, deleting it: that deletion is also what tells an
    // incremental sender to go on.
    XcbReply<xcb_get_property_reply_t> size(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0), nullptr));
    if (!size)
        return std::nullopt;
    if (size->bytes_after > static_cast<std::uint32_t>(maximumBytes)) {
        xcb_delete_property(m_connection, m_window, m_property);
        return std::nullopt;
    }
    const std::uint32_t words = (size->bytes_after + 3) / 4;
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection,
        xcb_get_property(m_connection, 1, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, words), nullptr));
    if (!reply)
        return std::nullopt;
    *type = reply->type;
    const int length = xcb_get_property_value_length(reply.get());
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())), length);
}

std::optional<QByteArray> X11SelectionReader::convert(xcb_atom_t target)
{
    if (!m_connection || target == XCB_ATOM_NONE)
        return std::nullopt;
    // A late answer to an earlier, abandoned request must not pass for this one.
    while (xcb_generic_event_t* stale = xcb_poll_for_event(m_connection))
        std::free(stale);
    xcb_delete_property(m_connection, m_window, m_property);
    xcb_convert_selection(m_connection, m_window, m_clipboard, target, m_property, XCB_CURRENT_TIME);
    xcb_flush(m_connection);

    Event notified(waitFor([this, target](xcb_generic_event_t* event) {
        if (eventType(event) != XCB_SELECTION_NOTIFY)
            return false;
        const auto* notify = reinterpret_cast<xcb_selection_notify_event_t*>(event);
        return notify->requestor == m_window && notify->selection == m_clipboard && notify->target == target;
    }));
    if (!notified || reinterpret_cast<xcb_selection_notify_event_t*>(notified.get())->property == XCB_ATOM_NONE)
        return std::nullopt;

    xcb_atom_t type = XCB_ATOM_NONE;
    std::optional<QByteArray> value = takeProperty(&type);
    if (!value || type != m_incr)
        return value;

    // Incremental: each chunk arrives as a new value of the property; an empty one ends it.
    QByteArray whole;
    for (;;) {
        xcb_flush(m_connection);
        Event chunk(waitFor([this](xcb_generic_event_t* event) {
            if (eventType(event) != XCB_PROPERTY_NOTIFY)
                return false;
            const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
            return notify->window == m_window && notify->atom == m_property && notify->state == XCB_PROPERTY_NEW_VALUE;
        }));
        if (!chunk)
            return std::nullopt;
        const std::optional<QByteArray> part = takeProperty(&type);
        if (!part)
            return std::nullopt;
        if (part->isEmpty())
            return whole;
        if (whole.size() + part->size() > maximumBytes)
            return std::nullopt;
        whole += *part;
    }
}

std::optional<QByteArray> X11SelectionReader::convert(const QString& target)
{
    if (!m_connection)
        return std::nullopt;
    return convert(atom(target.toLatin1().constData()));
}

QStringList X11SelectionReader::targets()
{
    if (!m_connection)
        return {};
    const std::optional<QByteArray> list = convert(atom("TARGETS"));
    if (!list)
        return {};
    QStringList names;
    const auto count = static_cast<std::size_t>(list->size()) / sizeof(xcb_atom_t);
    std::vector<xcb_get_atom_name_cookie_t> cookies;
    cookies.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        xcb_atom_t target = XCB_ATOM_NONE;
        std::memcpy(&target, list->constData() + i * sizeof(xcb_atom_t), sizeof target);
        cookies.push_back(xcb_get_atom_name(m_connection, target));
    }
    for (const xcb_get_atom_name_cookie_t cookie : cookies) {
        XcbReply<xcb_get_atom_name_reply_t> reply(xcb_get_atom_name_reply(m_connection, cookie, nullptr));
        if (!reply)
            continue;
        const QString name =
            QString::fromLatin1(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
        if (!names.contains(name))
            names << name;
    }
    return names;
}

std::optional<QString> X11SelectionReader::text()
{
    const QStringList offered = targets();
    for (const char* utf8 : { "UTF8_STRING", "text/plain;charset=utf-8" }) {
        if (!offered.contains(QLatin1String(utf8)))
            continue;
        if (const std::optional<QByteArray> bytes = convert(QString::fromLatin1(utf8)))
            return QString::fromUtf8(*bytes);
    }
    if (offered.contains(QLatin1String("STRING"))) {
        if (const std::optional<QByteArray> bytes = convert(QStringLiteral("STRING")))
            return QString::fromLatin1(*bytes);
    }
    return std::nullopt;
}

}
