#include "Platform/X11/X11MouseButtonSource.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/XcbReply.h"
#include "support/DesktopTestSupport.h"

namespace Quickhalo {
namespace {

using Testing::clickAt;
using Testing::waitUntil;

// A window of this process under the pointer: what reaches it shows what other applications see.
class CountingWindow final : public QWidget {
public:
    std::map<Qt::MouseButton, int> presses;
    std::map<Qt::MouseButton, int> releases;

protected:
    void mousePressEvent(QMouseEvent* event) override { ++presses[event->button()]; }
    void mouseReleaseEvent(QMouseEvent* event) override { ++releases[event->button()]; }
};

Qt::MouseButton qtButton(int x11Button)
{
    switch (x11Button) {
    case 1:
        return Qt::LeftButton;
    case 2:
        return Qt::MiddleButton;
    case 3:
        return Qt::RightButton;
    case 8:
        return Qt::BackButton;
    case 9:
        return Qt::ForwardButton;
    default:
        return Qt::NoButton;
    }
}

// Another X client, for taking a button before the source does.
class OtherClient {
public:
    OtherClient()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        EXPECT_EQ(xcb_connection_has_error(m_connection), 0);
    }
    ~OtherClient() { xcb_disconnect(m_connection); }
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    // Answers the X11 error code, zero on success.
    int grab(int button)
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const auto cookie = xcb_grab_button_checked(m_connection, 0, root,
            XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC,
            XCB_NONE, XCB_NONE, static_cast<std::uint8_t>(button), XCB_MOD_MASK_ANY);
        XcbReply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie));
        return error ? error->error_code : 0;
    }

private:
    xcb_connection_t* m_connection;
};

constexpr int badAccess = 10;

class X11MouseButtonSourceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.setWindowTitle(QStringLiteral("mouse button source test"));
        window.setGeometry(200, 200, 320, 240);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        // Let the window manager settle the frame before reading the position.
        QTest::qWait(100);
        center = window.mapToGlobal(window.rect().center());
    }

    MouseButtonSource::Handler recorder()
    {
        return [this](bool pressed) { reports.push_back(pressed); };
    }

    // Clicks `button` over the window.
    void click(int button) { clickAt(center, button); }

    // A left click that the window must receive; X delivers in order, so once it is in, any
    // earlier click that was going to reach the window has reached it.
    void clickLeftAndWaitForIt()
    {
        const int before = window.presses[Qt::LeftButton];
        click(1);
        ASSERT_TRUE(waitUntil([&] { return window.presses[Qt::LeftButton] > before; }))
            << "the window did not receive a left click";
    }

    CountingWindow window;
    QPoint center;
    std::vector<bool> reports;
};

const std::vector<bool> oneClick { true, false };

class X11MouseButtonSourceButtonTest : public X11MouseButtonSourceTest, public ::testing::WithParamInterface<int> { };

TEST_P(X11MouseButtonSourceButtonTest, interceptingReportsOneClickAndSwallowsIt)
{
    const int button = GetParam();
    X11MouseButtonSource source;
    ASSERT_TRUE(source.intercept(button, recorder()));

    click(button);
    ASSERT_TRUE(waitUntil([&] { return reports.size() >= 2; })) << "the source reported " << reports.size();
    clickLeftAndWaitForIt();
    EXPECT_EQ(reports, oneClick);
    EXPECT_EQ(window.presses[qtButton(button)], 0) << "the press reached the window";
    EXPECT_EQ(window.releases[qtButton(button)], 0) << "the release reached the window";
}

TEST_P(X11MouseButtonSourceButtonTest, watchingReportsOneClickAndTheWindowGetsItToo)
{
    const int button = GetParam();
    X11MouseButtonSource source;
    ASSERT_TRUE(source.watch(button, recorder()));

    click(button);
    ASSERT_TRUE(waitUntil([&] { return reports.size() >= 2 && window.releases[qtButton(button)] >= 1; }))
        << "reports " << reports.size() << ", window releases " << window.releases[qtButton(button)];
    clickLeftAndWaitForIt();
    QTest::qWait(200); // a stray report for the left click would come from the source's own connection
    EXPECT_EQ(reports, oneClick);
    EXPECT_EQ(window.presses[qtButton(button)], 1);
}

INSTANTIATE_TEST_SUITE_P(TriggerButtons, X11MouseButtonSourceButtonTest, ::testing::Values(2, 8, 9));

TEST_F(X11MouseButtonSourceTest, otherButtonsPassUntouchedWhileIntercepting)
{
    X11MouseButtonSource source;
    ASSERT_TRUE(source.intercept(2, recorder()));

    click(3);
    clickLeftAndWaitForIt();
    EXPECT_EQ(window.presses[Qt::RightButton], 1);
    EXPECT_EQ(window.releases[Qt::RightButton], 1);
    EXPECT_EQ(window.releases[Qt::LeftButton], 1);

    // The source's events arrive in order: had it seen the left or right click, they would come first.
    click(2);
    ASSERT_TRUE(waitUntil([&] { return reports.size() >= 2; }));
    EXPECT_EQ(reports, oneClick);
}

TEST_F(X11MouseButtonSourceTest, aButtonHeldByAnotherClientCannotBeInterceptedAndNothingStaysGrabbed)
{
    X11MouseButtonSource source;
    {
        OtherClient other;
        ASSERT_EQ(other.grab(2), 0);
        EXPECT_FALSE(source.intercept(2, recorder()));
    }
    // The other client is gone, and with it its grab: the button must now be free for anyone.
    OtherClient third;
    EXPECT_EQ(third.grab(2), 0) << "the failed intercept left a grab behind";
}

TEST_F(X11MouseButtonSourceTest, aFailedInterceptReportsNothingAndTheClickReachesTheWindow)
{
    X11MouseButtonSource source;
    {
        OtherClient other;
        ASSERT_EQ(other.grab(9), 0);
        ASSERT_FALSE(source.intercept(9, recorder()));
    }
    click(9);
    ASSERT_TRUE(waitUntil([&] { return window.releases[Qt::ForwardButton] >= 1; }));
    QTest::qWait(200);
    EXPECT_TRUE(reports.empty());
}

TEST_F(X11MouseButtonSourceTest, aButtonTheSourceInterceptsIsTakenForOthers)
{
    X11MouseButtonSource source;
    ASSERT_TRUE(source.intercept(8, recorder()));
    OtherClient other;
    EXPECT_EQ(other.grab(8), badAccess);
}

TEST_F(X11MouseButtonSourceTest, stopReleasesTheButton)
{
    X11MouseButtonSource source;
    ASSERT_TRUE(source.intercept(2, recorder()));
    source.stop();

    click(2);
    ASSERT_TRUE(waitUntil([&] { return window.releases[Qt::MiddleButton] >= 1; }))
        << "the click did not reach the window after stop";
    EXPECT_EQ(window.presses[Qt::MiddleButton], 1);
    QTest::qWait(200);
    EXPECT_TRUE(reports.empty());
    OtherClient other;
    EXPECT_EQ(other.grab(2), 0);
}

TEST_F(X11MouseButtonSourceTest, switchingToWatchingReleasesTheGrab)
{
    X11MouseButtonSource source;
    ASSERT_TRUE(source.intercept(2, recorder()));
    ASSERT_TRUE(source.watch(2, recorder()));

    click(2);
    ASSERT_TRUE(waitUntil([&] { return reports.size() >= 2 && window.releases[Qt::MiddleButton] >= 1; }));
    EXPECT_EQ(reports, oneClick);
    EXPECT_EQ(window.presses[Qt::MiddleButton], 1);
}

TEST_F(X11MouseButtonSourceTest, stopEndsWatching)
{
    X11MouseButtonSource source;
    ASSERT_TRUE(source.watch(2, recorder()));
    source.stop();

    click(2);
    ASSERT_TRUE(waitUntil([&] { return window.releases[Qt::MiddleButton] >= 1; }));
    QTest::qWait(200);
    EXPECT_TRUE(reports.empty());
}

TEST(X11AccessibilityTest, trustedOnTheTestDesktop)
{
    EXPECT_TRUE(X11Accessibility().isTrusted());
}

TEST(X11AccessibilityTest, untrustedInAWaylandSessionOrWithoutX)
{
    const QByteArray waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    const QByteArray sessionType = qgetenv("XDG_SESSION_TYPE");
    struct Case {
        const char* waylandDisplay; // nullptr: unset
        const char* sessionType;
        bool trusted;
    };
    const std::vector<Case> cases {
        { "wayland-0", "wayland", false },
        { "wayland-0", "x11", true },
        { nullptr, "wayland", true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.waylandDisplay ? c.waylandDisplay : "(unset)") + " " + c.sessionType);
        if (c.waylandDisplay)
            qputenv("WAYLAND_DISPLAY", c.waylandDisplay);
        else
            qunsetenv("WAYLAND_DISPLAY");
        qputenv("XDG_SESSION_TYPE", c.sessionType);
        EXPECT_EQ(X11Accessibility().isTrusted(), c.trusted);
    }
    auto restore = [](const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    restore("WAYLAND_DISPLAY", waylandDisplay);
    restore("XDG_SESSION_TYPE", sessionType);

    xcb_connection_t* broken = xcb_connect("nowhere:0", nullptr);
    EXPECT_FALSE(X11Accessibility(broken).isTrusted());
    xcb_disconnect(broken);
    EXPECT_FALSE(X11Accessibility(nullptr).isTrusted());
}

}
}
