#include "Platform/X11/X11ScreenLayout.h"

#include "Platform/X11/X11Connection.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include "Platform/X11/WorkArea.h"
#include "Platform/X11/XcbReply.h"

namespace Quickhalo {

namespace {

// Qt scales each screen about its top-left corner, which keeps its pixel position: a point's
// pixels are that corner plus the scaled distance from it.
QRect toPixels(const QRect& points, QPoint corner, double ratio)
{
    const auto pixel = [&](int point, int from) { return from + qRound((point - from) * ratio); };
    const int left = pixel(points.x(), corner.x());
    const int top = pixel(points.y(), corner.y());
    return { left, top, pixel(points.x() + points.width(), corner.x()) - left,
        pixel(points.y() + points.height(), corner.y()) - top };
}

// The inverse: pixels back to Qt's points about the same corner.
QRectF toPoints(const QRect& pixels, QPoint corner, double ratio)
{
    const auto point = [&](int pixel, int from) { return from + (pixel - from) / ratio; };
    const double left = point(pixels.x(), corner.x());
    const double top = point(pixels.y(), corner.y());
    return { left, top, point(pixels.x() + pixels.width(), corner.x()) - left,
        point(pixels.y() + pixels.height(), corner.y()) - top };
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    return X11Connection::internAtom(connection, name, true);
}

xcb_get_property_cookie_t askFor(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    return xcb_get_property(connection, 0, window, name, type, 0, 1024);
}

// The 32-bit values of a property asked for; nothing when the window or the property is missing.
std::optional<QList<quint32>> values(xcb_connection_t* connection, xcb_get_property_cookie_t cookie)
{
    xcb_generic_error_t* rawError = nullptr;
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, &rawError));
    // A client that went away meanwhile is no error worth reporting.
    XcbReply<xcb_generic_error_t> error(rawError);
    if (!reply || reply->type == XCB_ATOM_NONE || reply->format != 32)
        return std::nullopt;
    QList<quint32> list(xcb_get_property_value_length(reply.get()) / 4);
    if (!list.isEmpty())
        std::memcpy(list.data(), xcb_get_property_value(reply.get()), static_cast<std::size_t>(list.size()) * 4);
    return list;
}

// The struts of the managed windows on the current desktop or on all of them.
QList<WorkArea::Strut> currentStruts(xcb_connection_t* connection, xcb_window_t root, const QSize& desktop)
{
    const xcb_atom_t clientList = atom(connection, "_NET_CLIENT_LIST");
    const xcb_atom_t currentDesktop = atom(connection, "_NET_CURRENT_DESKTOP");
    const xcb_atom_t windowDesktop = atom(connection, "_NET_WM_DESKTOP");
    const xcb_atom_t strutPartial = atom(connection, "_NET_WM_STRUT_PARTIAL");
    const xcb_atom_t strut = atom(connection, "_NET_WM_STRUT");
    if (clientList == XCB_ATOM_NONE)
        return {};
    const auto clientsCookie = askFor(connection, root, clientList, XCB_ATOM_WINDOW);
    const auto currentCookie = askFor(connection, root, currentDesktop, XCB_ATOM_CARDINAL);
    const auto clients = values(connection, clientsCookie);
    const auto current = values(connection, currentCookie);
    if (!clients)
        return {};

    struct Asked {
        xcb_get_property_cookie_t desktop, partial, whole;
    };
    QList<Asked> asked;
    for (const quint32 client : *clients)
        asked.append({ askFor(connection, client, windowDesktop, XCB_ATOM_CARDINAL),
            askFor(connection, client, strutPartial, XCB_ATOM_CARDINAL),
            askFor(connection, client, strut, XCB_ATOM_CARDINAL) });
    constexpr quint32 allDesktops = 0xFFFFFFFF;
    QList<WorkArea::Strut> struts;
    for (const Asked& ask : asked) {
        const auto onDesktop = values(connection, ask.desktop);
        const auto partial = values(connection, ask.partial);
        const auto whole = values(connection, ask.whole);
        const bool isShown = !onDesktop || onDesktop->isEmpty() || !current || current->isEmpty()
            || onDesktop->first() == allDesktops || onDesktop->first() == current->first();
        if (!isShown)
            continue;
        // The partial form wins where a window sets both.
        if (partial)
            struts += WorkArea::fromProperty(*partial, desktop);
        else if (whole)
            struts += WorkArea::fromProperty(*whole, desktop);
    }
    return struts;
}

}

X11ScreenLayout::X11ScreenLayout()
    : X11ScreenLayout(X11Connection::qt())
{ }

X11ScreenLayout::X11ScreenLayout(xcb_connection_t* connection)
    : m_connection(connection)
    , m_watcher(std::make_unique<QObject>())
{
    if (!qGuiApp)
        return;
    if (m_connection && !xcb_connection_has_error(m_connection)) {
        // Qt already listens to the root window's properties; this only looks at them as they pass.
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_watchedAtoms = { X11Connection::internAtom(m_connection, "_NET_WORKAREA", false),
            X11Connection::internAtom(m_connection, "_NET_CLIENT_LIST", false),
            X11Connection::internAtom(m_connection, "_NET_CURRENT_DESKTOP", false) };
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_isFilterInstalled = true;
    }
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    QObject::connect(qGuiApp, &QGuiApplication::screenAdded, m_watcher.get(), [this](QScreen* screen) {
        watch(screen);
        m_frames.reset();
    });
    QObject::connect(qGuiApp, &QGuiApplication::screenRemoved, m_watcher.get(), [this] { m_frames.reset(); });
    QObject::connect(qGuiApp, &QGuiApplication::primaryScreenChanged, m_watcher.get(), [this] { m_frames.reset(); });
}

X11ScreenLayout::~X11ScreenLayout()
{
    if (m_isFilterInstalled && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11ScreenLayout::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t" || !message)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto* notify = static_cast<const xcb_property_notify_event_t*>(message);
    if (notify->window == m_root
        && std::find(m_watchedAtoms.begin(), m_watchedAtoms.end(), notify->atom) != m_watchedAtoms.end())
        m_frames.reset();
    return false;
}

void X11ScreenLayout::watch(QScreen* screen)
{
    QObject::connect(screen, &QScreen::geometryChanged, m_watcher.get(), [this] { m_frames.reset(); });
    QObject::connect(screen, &QScreen::availableGeometryChanged, m_watcher.get(), [this] { m_frames.reset(); });
}

QList<ScreenArea> X11ScreenLayout::screens() const
{
    QList<ScreenArea> list;
    if (!qGuiApp || !m_connection || xcb_connection_has_error(m_connection))
        return list;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    XcbReply<xcb_get_geometry_reply_t> rootGeometry(
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, root), nullptr));
    if (!rootGeometry)
        return list;
    const QSize desktop(rootGeometry->width, rootGeometry->height);
    const QList<WorkArea::Strut> struts = currentStruts(m_connection, root, desktop);
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect frame = toPixels(screen->geometry(), screen->geometry().topLeft(), screen->devicePixelRatio());
        list.append({ frame, WorkArea::of(frame, struts, desktop) });
    }
    return list;
}

DesktopFrames X11ScreenLayout::frames() const
{
    if (m_frames)
        return *m_frames;
    const QList<QScreen*> qtScreens = qGuiApp ? QGuiApplication::screens() : QList<QScreen*>();
    const QList<ScreenArea> areas = screens();
    QList<QRectF> frames;
    QList<QRectF> workAreas;
    for (qsizetype index = 0; index < qtScreens.size() && index < areas.size(); ++index) {
        const QRect points = qtScreens[index]->geometry();
        frames.append(QRectF(points));
        workAreas.append(toPoints(areas[index].workArea, points.topLeft(), qtScreens[index]->devicePixelRatio()));
    }
    m_frames = DesktopFrames::fromYDown(frames, workAreas);
    return *m_frames;
}

}
