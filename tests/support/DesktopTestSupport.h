#pragma once

#include <functional>
#include <optional>

#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <QAbstractNativeEventFilter>
#include <QColor>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include "Platform/X11/X11WindowSystemInfo.h"
#include "Platform/X11/XcbReply.h"
#include "support/RunTool.h"
#include "support/Waiting.h"

namespace Quickhalo::Testing {

// Another client copying to the CLIPBOARD selection: xclip stays behind to serve it, so it must
// not hold this process's pipes.
inline void xclipCopy(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral("xclip"), QStringList { QStringLiteral("-selection"), QStringLiteral("clipboard") } + arguments);
    ASSERT_TRUE(process.waitForStarted());
    process.write(input);
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(10000));
}

// What another client reads from the CLIPBOARD selection. The event loop keeps running, in case
// this process is the one serving it.
inline QString xclipPaste()
{
    QProcess process;
    process.start(QStringLiteral("xclip"), { QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o") });
    EXPECT_TRUE(waitUntil([&] { return process.state() == QProcess::NotRunning; }, 10000));
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline void xdotool(const QStringList& arguments)
{
    runTool(QStringLiteral("xdotool"), arguments);
}

inline QPoint pointerPosition();

// Without --sync: xdotool's waits forever when the pointer is already there.
inline void movePointer(QPoint to)
{
    xdotool({ QStringLiteral("mousemove"), QString::number(to.x()), QString::number(to.y()) });
    EXPECT_TRUE(waitUntil([&] { return pointerPosition() == to; })) << "the pointer did not move";
}

inline void clickAt(QPoint at, int button = 1)
{
    movePointer(at);
    xdotool({ QStringLiteral("click"), QString::number(button) });
}

inline QPoint pointerPosition()
{
    const QString text = runTool(QStringLiteral("xdotool"), { QStringLiteral("getmouselocation") });
    const auto match = QRegularExpression(QStringLiteral("x:(-?\\d+) y:(-?\\d+)")).match(text);
    return match.hasMatch() ? QPoint(match.captured(1).toInt(), match.captured(2).toInt()) : QPoint(-1, -1);
}

inline QString hexId(WId id)
{
    return QStringLiteral("0x") + QString::number(id, 16);
}

// What the X server says about a window (xwininfo's absolute values are the client's own).
struct WindowReading {
    QRect geometry;
    int depth = 0;
    bool isViewable = false;
    std::optional<QRect> boundingShape; // set when the window has a bounding shape
};

inline WindowReading readWindow(WId id)
{
    const QString text
        = runTool(QStringLiteral("xwininfo"), { QStringLiteral("-shape"), QStringLiteral("-id"), hexId(id) });
    auto number = [&](const QString& label) {
        const auto match = QRegularExpression(label + QStringLiteral(":\\s+(-?\\d+)")).match(text);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    };
    WindowReading reading;
    reading.geometry
        = QRect(number(QStringLiteral("Absolute upper-left X")), number(QStringLiteral("Absolute upper-left Y")),
            number(QStringLiteral("Width")), number(QStringLiteral("Height")));
    reading.depth = number(QStringLiteral("Depth"));
    reading.isViewable = text.contains(QStringLiteral("IsViewable"));
    const auto shape
        = QRegularExpression(QStringLiteral("Window shape extents:\\s+(\\d+)x(\\d+)([+-]\\d+)([+-]\\d+)")).match(text);
    if (shape.hasMatch())
        reading.boundingShape = QRect(
            shape.captured(3).toInt(), shape.captured(4).toInt(), shape.captured(1).toInt(), shape.captured(2).toInt());
    return reading;
}

inline QString windowProperty(WId id, const QString& name)
{
    return runTool(QStringLiteral("xprop"), { QStringLiteral("-id"), hexId(id), name });
}

inline std::optional<WId> activeWindow()
{
    const QString text
        = runTool(QStringLiteral("xprop"), { QStringLiteral("-root"), QStringLiteral("_NET_ACTIVE_WINDOW") });
    const auto match = QRegularExpression(QStringLiteral("window id # (0x[0-9a-f]+)")).match(text);
    bool ok = false;
    const WId id = match.hasMatch() ? match.captured(1).toULongLong(&ok, 16) : 0;
    return ok && id != 0 ? std::optional<WId>(id) : std::nullopt;
}

// Managed windows from bottom to top, as the window manager stacks them.
inline QList<WId> stackingOrder()
{
    const QString text
        = runTool(QStringLiteral("xprop"), { QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING") });
    QList<WId> ids;
    const QRegularExpression hex(QStringLiteral("0x[0-9a-f]+"));
    for (auto it = hex.globalMatch(text); it.hasNext();)
        ids.append(it.next().captured(0).toULongLong(nullptr, 16));
    return ids;
}

inline xcb_connection_t* qtConnection()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The root's children from bottom to top: managed windows appear as their frames.
inline QList<WId> rootStackingOrder()
{
    xcb_connection_t* connection = qtConnection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr));
    QList<WId> ids;
    if (tree) {
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
            ids.append(children[i]);
    }
    return ids;
}

// The root's child that holds `window`: the window itself, or the frame a window manager put it in.
inline WId topLevelAncestor(WId window)
{
    xcb_connection_t* connection = qtConnection();
    auto id = static_cast<xcb_window_t>(window);
    for (;;) {
        XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, id), nullptr));
        if (!tree || tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE)
            return id;
        id = tree->parent;
    }
}

inline QColor screenPixel(QPoint at)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), 1, 1).toImage().pixelColor(0, 0);
}

inline bool isNear(const QColor& a, const QColor& b, int tolerance = 6)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

// Counts the XInput2 raw button presses that reach this process, when something here has
// selected them. Once the count moves, the click watcher has seen the press too.
class RawPressSpy final : public QAbstractNativeEventFilter {
public:
    RawPressSpy()
    {
        if (xcb_connection_t* connection = qtConnection()) {
            const char name[] = "XInputExtension";
            XcbReply<xcb_query_extension_reply_t> reply(
                xcb_query_extension_reply(connection, xcb_query_extension(connection, sizeof name - 1, name), nullptr));
            if (reply && reply->present)
                m_opcode = reply->major_opcode;
        }
        EXPECT_NE(m_opcode, 0) << "no XInput extension";
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~RawPressSpy() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    RawPressSpy(const RawPressSpy&) = delete;
    RawPressSpy& operator=(const RawPressSpy&) = delete;

    int presses = 0;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_ge_generic_event_t*>(message);
        if ((event->response_type & 0x7f) == XCB_GE_GENERIC && event->extension == m_opcode
            && event->event_type == XCB_INPUT_RAW_BUTTON_PRESS)
            ++presses;
        return false;
    }

private:
    std::uint8_t m_opcode = 0;
};

// A compositing manager for the span of a test; the desktop has none otherwise.
class Compositor {
public:
    Compositor()
    {
        m_process.start(QStringLiteral("xcompmgr"), QStringList {});
        EXPECT_TRUE(m_process.waitForStarted());
        EXPECT_TRUE(waitUntil([this] { return m_info.isCompositing(); })) << "xcompmgr did not take the screen";
    }
    ~Compositor()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
        EXPECT_TRUE(waitUntil([this] { return !m_info.isCompositing(); }));
    }
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

private:
    X11WindowSystemInfo m_info;
    QProcess m_process;
};

// An ordinary application window in one colour that counts the presses it gets.
class TargetWindow final : public QWidget {
public:
    TargetWindow(const QRect& geometry, const QColor& colour)
    {
        setWindowTitle(QStringLiteral("target"));
        QPalette palette;
        palette.setColor(QPalette::Window, colour);
        setPalette(palette);
        setAutoFillBackground(true);
        setGeometry(geometry);
    }
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        ++presses;
        event->accept();
    }
};

// An xterm running nothing but a long sleep: another application's window, focused.
class OtherApplicationWindow {
public:
    enum class Size { asGiven, fullScreen };

    explicit OtherApplicationWindow(const QRect& geometry, Size size = Size::asGiven)
    {
        const QString title = QStringLiteral("quickhalo-test-other");
        QStringList arguments { QStringLiteral("-fa"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("-title"),
            title, QStringLiteral("-geometry"),
            QStringLiteral("%1x%2+%3+%4")
                .arg(geometry.width() / 8)
                .arg(geometry.height() / 17)
                .arg(geometry.x())
                .arg(geometry.y()) };
        if (size == Size::fullScreen)
            arguments << QStringLiteral("-fullscreen");
        m_process.start(QStringLiteral("xterm"),
            arguments + QStringList { QStringLiteral("-e"), QStringLiteral("sleep"), QStringLiteral("600") });
        EXPECT_TRUE(m_process.waitForStarted());
        EXPECT_TRUE(waitUntil(
            [&] {
                const QString found
                    = runTool(QStringLiteral("xdotool"), { QStringLiteral("search"), QStringLiteral("--name"), title });
                m_id = found.section(QLatin1Char('\n'), 0, 0).toULongLong();
                return m_id != 0 && activeWindow() == m_id;
            },
            10000))
            << "the xterm did not come up focused";
    }
    ~OtherApplicationWindow()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    OtherApplicationWindow(const OtherApplicationWindow&) = delete;
    OtherApplicationWindow& operator=(const OtherApplicationWindow&) = delete;

    WId id() const { return m_id; }
    QRect geometry() const { return readWindow(m_id).geometry; }

private:
    QProcess m_process;
    WId m_id = 0;
};

}
