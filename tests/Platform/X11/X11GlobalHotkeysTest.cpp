#include "Platform/X11/X11GlobalHotkeys.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QKeyEvent>
#include <QRegularExpression>
#include <QTest>
#include <QWidget>

#include "Hotkey/HotkeyPreset.h"
#include "Platform/X11/XcbReply.h"
#include "support/DesktopTestSupport.h"

using namespace Quickhalo;
using namespace Quickhalo::Testing;

namespace {

constexpr std::uint16_t numLock = XCB_MOD_MASK_2; // where the test desktop's keymap puts it
constexpr std::uint16_t controlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

// Another X client on a connection of its own, grabbing Space on the root window.
class OtherClient {
public:
    OtherClient()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        EXPECT_EQ(xcb_connection_has_error(m_connection), 0);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_connection);
        if (XcbReply<xcb_keycode_t> codes(xcb_key_symbols_get_keycode(symbols, 0x0020)); codes)
            m_space = codes.get()[0];
        xcb_key_symbols_free(symbols);
        EXPECT_NE(m_space, XCB_NO_SYMBOL) << "no keycode for Space";
    }
    ~OtherClient()
    {
        for (const std::uint16_t modifiers : m_held)
            check(xcb_ungrab_key_checked(m_connection, m_space, m_root, modifiers));
        xcb_disconnect(m_connection);
    }
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    // Answers whether the server granted the grab; a refusal means someone else holds it.
    bool grab(std::uint16_t modifiers)
    {
        const bool granted = check(xcb_grab_key_checked(
            m_connection, 0, m_root, modifiers, m_space, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        if (granted)
            m_held.push_back(modifiers);
        return granted;
    }

    // Grabs Space with `modifiers` in every Lock / Num Lock variant, then lets go again.
    bool canGrabAllVariants(std::uint16_t modifiers)
    {
        bool all = true;
        for (const int extra : { 0, int { XCB_MOD_MASK_LOCK }, int { numLock }, XCB_MOD_MASK_LOCK | numLock })
            all = grab(static_cast<std::uint16_t>(modifiers | extra)) && all;
        for (const std::uint16_t held : m_held)
            check(xcb_ungrab_key_checked(m_connection, m_space, m_root, held));
        m_held.clear();
        return all;
    }

private:
    bool check(xcb_void_cookie_t cookie)
    {
        XcbReply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie));
        return !error;
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    xcb_keycode_t m_space = XCB_NO_SYMBOL;
    std::vector<std::uint16_t> m_held;
};

bool isNumLockOn()
{
    return runTool(QStringLiteral("xset"), { QStringLiteral("q") })
        .contains(QRegularExpression(QStringLiteral("Num Lock:\\s+on")));
}

class X11GlobalHotkeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(qtConnection(), nullptr) << "needs the X11 test desktop";
        m_hotkeys.setHandlers([this] { ++m_presses; }, [this] { ++m_releases; });
    }

    // Holds the keys through XTEST for `milliseconds`, lets go, and waits for stray events.
    void hold(const char* keys, int milliseconds = 300)
    {
        xdotool({ QStringLiteral("keydown"), QLatin1String(keys) });
        QTest::qWait(milliseconds);
        xdotool({ QStringLiteral("keyup"), QLatin1String(keys) });
        waitUntil([this] { return m_releases > 0; }, 2000);
        QTest::qWait(300);
    }

    X11GlobalHotkeys m_hotkeys;
    int m_presses = 0;
    int m_releases = 0;
};

TEST_F(X11GlobalHotkeysTest, OneHoldGivesOnePressAndOneRelease)
{
    ASSERT_TRUE(m_hotkeys.registerHotkey(HotkeyPresets::combination(HotkeyPreset::controlOptionSpace)).isRegistered);
    hold("ctrl+alt+space");
    EXPECT_EQ(m_presses, 1);
    EXPECT_EQ(m_releases, 1) << "the releases of Ctrl and Alt must not count";
}

TEST_F(X11GlobalHotkeysTest, AutoRepeatGivesPressesButOneRelease)
{
    ASSERT_TRUE(m_hotkeys.registerHotkey(HotkeyPresets::combination(HotkeyPreset::controlOptionSpace)).isRegistered);
    hold("ctrl+alt+space", 1500);
    ASSERT_GT(m_presses, 1) << "the server did not auto-repeat, so this proves nothing";
    EXPECT_EQ(m_releases, 1);
}

TEST_F(X11GlobalHotkeysTest, WorksWithNumLockOn)
{
    if (!isNumLockOn())
        xdotool({ QStringLiteral("key"), QStringLiteral("Num_Lock") });
    ASSERT_TRUE(waitUntil(isNumLockOn, 2000)) << "could not turn Num Lock on";
    ASSERT_TRUE(m_hotkeys.registerHotkey(HotkeyPresets::combination(HotkeyPreset::controlOptionSpace)).isRegistered);
    hold("ctrl+alt+space");
    EXPECT_EQ(m_presses, 1);
    EXPECT_EQ(m_releases, 1);
    xdotool({ QStringLiteral("key"), QStringLiteral("Num_Lock") });
    EXPECT_TRUE(waitUntil([] { return !isNumLockOn(); }, 2000));
}

TEST_F(X11GlobalHotkeysTest, ReportsTheKeysAlsoWhileOwnWindowHasFocus)
{
    struct KeyCountingWindow final : QWidget {
        // Ctrl and Alt go down before the grab takes over, so only Space counts.
        int spaceEvents = 0;
        void keyPressEvent(QKeyEvent* event) override { spaceEvents += event->key() == Qt::Key_Space; }
        void keyReleaseEvent(QKeyEvent* event) override { spaceEvents += event->key() == Qt::Key_Space; }
    } window;
    window.setGeometry(100, 100, 200, 200);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(waitUntil([&] { return window.isActiveWindow(); })) << "the window did not get focus";
    ASSERT_TRUE(m_hotkeys.registerHotkey(HotkeyPresets::combination(HotkeyPreset::controlOptionSpace)).isRegistered);
    hold("ctrl+alt+space");
    EXPECT_EQ(m_presses, 1);
    EXPECT_EQ(m_releases, 1);
    EXPECT_EQ(window.spaceEvents, 0) << "the shortcut reached the focused window as well";
}

class X11GlobalHotkeysPresetTest : public X11GlobalHotkeysTest,
                                   public ::testing::WithParamInterface<std::pair<HotkeyPreset, const char*>> { };

TEST_P(X11GlobalHotkeysPresetTest, RegistersAndFires)
{
    const auto [preset, keys] = GetParam();
    const auto modifiers = X11GlobalHotkeys::modifierMask(HotkeyPresets::combination(preset).keyboardModifiers());
    if (!OtherClient().canGrabAllVariants(modifiers)) {
        // openbox's default configuration binds Alt+Space itself.
        const auto registration = m_hotkeys.registerHotkey(HotkeyPresets::combination(preset));
        EXPECT_FALSE(registration.isRegistered);
        EXPECT_EQ(registration.status, XCB_ACCESS);
        GTEST_SKIP() << "another client (the window manager) holds " << keys << "; refused as it should be";
    }
    ASSERT_TRUE(m_hotkeys.registerHotkey(HotkeyPresets::combination(preset)).isRegistered);
    EXPECT_FALSE(OtherClient().grab(modifiers)) << "the grab is not in place";
    hold(keys);
    EXPECT_EQ(m_presses, 1) << keys;
    EXPECT_EQ(m_releases, 1) << keys;
}

INSTANTIATE_TEST_SUITE_P(Presets, X11GlobalHotkeysPresetTest,
    ::testing::Values(std::pair { HotkeyPreset::optionSpace, "alt+space" },
        std::pair { HotkeyPreset::controlOptionSpace, "ctrl+alt+space" },
        std::pair { HotkeyPreset::shiftCommandSpace, "shift+super+space" },
        std::pair { HotkeyPreset::controlShiftSpace, "ctrl+shift+space" }));

TEST_F(X11GlobalHotkeysTest, ACombinationHeldElsewhereIsRefusedAndNothingStaysGrabbed)
{
    {
        // Only one variant taken: the others are granted first and must be given back.
        OtherClient other;
        ASSERT_TRUE(other.grab(controlAlt | XCB_MOD_MASK_LOCK));
        const auto registration = m_hotkeys.registerHotkey(HotkeyPresets::combination(HotkeyPreset::controlOptionSpace));
        EXPECT_FALSE(registration.isRegistered);
        EXPECT_EQ(registration.status, XCB_ACCESS);
        EXPECT_FALSE(m_hotkeys.isRegistered());
    }
    EXPECT_TRUE(OtherClient().canGrabAllVariants(controlAlt)) << "a partial grab was left behind";
    hold("ctrl+alt+space");
    EXPECT_EQ(m_presses + m_releases, 0);
}

TEST_F(X11GlobalHotkeysTest, ARefusedPresetAlsoGivesUpThePreviousOne)
{
    ASSERT_TRUE(m_hotkeys.registerHotkey(HotkeyPresets::combination(HotkeyPreset::controlOptionSpace)).isRegistered);
    OtherClient other;
    ASSERT_TRUE(other.grab(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT));
    EXPECT_FALSE(m_hotkeys.registerHotkey(HotkeyPresets::combination(HotkeyPreset::controlShiftSpace)).isRegistered);
    EXPECT_TRUE(OtherClient().canGrabAllVariants(controlAlt));
}

TEST_F(X11GlobalHotkeysTest, UnregisterStopsEventsAndReleasesTheGrab)
{
    ASSERT_TRUE(m_hotkeys.registerHotkey(HotkeyPresets::combination(HotkeyPreset::controlOptionSpace)).isRegistered);
    m_hotkeys.unregisterHotkey();
    EXPECT_FALSE(m_hotkeys.isRegistered());
    EXPECT_TRUE(OtherClient().canGrabAllVariants(controlAlt));
    hold("ctrl+alt+space");
    EXPECT_EQ(m_presses + m_releases, 0);
}

TEST_F(X11GlobalHotkeysTest, DestructionReleasesTheGrab)
{
    {
        X11GlobalHotkeys hotkeys;
        ASSERT_TRUE(hotkeys.registerHotkey(HotkeyPresets::combination(HotkeyPreset::controlShiftSpace)).isRegistered);
        EXPECT_FALSE(OtherClient().grab(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT));
    }
    EXPECT_TRUE(OtherClient().canGrabAllVariants(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT));
}

}
