#include "Ring/RingBackdrop.h"

#include <optional>

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "Base/Preferences.h"
#include "Platform/Fake/FakeClickWatcher.h"
#include "Platform/Fake/FakeMotionPreference.h"
#include "Platform/Qt/QtPointerLocation.h"
#include "Platform/X11/X11ScreenLayout.h"
#include "Platform/X11/X11WindowSystemInfo.h"
#include "Platform/Xdg/GSettingsMotionPreference.h"
#include "Ring/RingPanel.h"
#include "support/DesktopTestSupport.h"
#include "support/TemporaryFolder.h"

using namespace Quickhalo;
using namespace Quickhalo::Testing;

namespace {

// The ring's centre (y up) in the middle of the 1920 x 1080 test screen.
const QPointF ringCentre(960, 540);

class RingBackdropTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run inside scripts/test-desktop";
    }

    RingBackdropTest() { backdrop.setRingWindow(&panel); }
    ~RingBackdropTest() override
    {
        backdrop.orderOut();
        panel.orderOut();
    }

    bool isMapped(const QWidget& window) const { return readWindow(window.winId()).isViewable; }

    TemporaryFolder m_folder;
    Preferences preferences { m_folder.filePath(QStringLiteral("prefs.conf")) };
    X11WindowSystemInfo windowSystem;
    FakeMotionPreference motion;
    FakeClickWatcher clickWatcher;
    QtPointerLocation pointer;
    X11ScreenLayout screens;
    RingPanel panel { {}, windowSystem, clickWatcher, pointer, screens };
    RingBackdrop backdrop { preferences, windowSystem, motion, screens };
};

}

TEST_F(RingBackdropTest, DimsOnlyWithACompositorAndThePreferenceOn)
{
    struct Case {
        const char* name;
        bool compositing;
        std::optional<bool> preference; // none: the key is absent
        bool shows;
    } cases[] = {
        { "no compositor", false, std::nullopt, false },
        { "no compositor, preference on", false, true, false },
        { "compositor, preference absent", true, std::nullopt, true },
        { "compositor, preference on", true, true, true },
        { "compositor, preference off", true, false, false },
    };
    std::optional<Compositor> compositor;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.compositing && !compositor)
            compositor.emplace();
        if (c.preference)
            preferences.setFlag(PreferenceKey::ringBackdrop, *c.preference);
        else
            preferences.remove(PreferenceKey::ringBackdrop);

        backdrop.show(ringCentre);
        EXPECT_EQ(backdrop.isVisible(), c.shows);
        if (c.shows) {
            EXPECT_TRUE(waitUntil([&] { return isMapped(backdrop); }));
        }
        backdrop.orderOut();
    }
}

TEST_F(RingBackdropTest, CoversTheScreenJustBelowTheRingAndLetsClicksThrough)
{
    Compositor compositor;
    const QColor white(255, 255, 255);
    TargetWindow below(QRect(100, 100, 300, 200), white);
    below.show();
    const QPoint onBelow(250, 200);
    ASSERT_TRUE(waitUntil([&] { return isMapped(below) && isNear(screenPixel(onBelow), white); }));

    panel.present(ringCentre);
    ASSERT_TRUE(waitUntil([&] { return isMapped(panel); }));
    backdrop.show(ringCentre);
    ASSERT_TRUE(waitUntil([&] { return isMapped(backdrop); }));

    const WindowReading reading = readWindow(backdrop.winId());
    EXPECT_EQ(reading.geometry, QGuiApplication::primaryScreen()->geometry());
    EXPECT_EQ(reading.depth, 32) << "the dimming needs an alpha channel";

    const QList<WId> stack = rootStackingOrder();
    const auto backdropAt = stack.indexOf(backdrop.winId());
    ASSERT_GE(backdropAt, 0) << "the backdrop is not a child of the root";
    EXPECT_EQ(stack.indexOf(topLevelAncestor(panel.winId())), backdropAt + 1) << "not just below the ring";
    EXPECT_LT(stack.indexOf(topLevelAncestor(below.winId())), backdropAt) << "not above the other windows";

    // 22 % black over white, as the compositor shows it.
    const int dimmed = qRound(255 * (1 - RingBackdrop::dimming));
    EXPECT_TRUE(waitUntil([&] { return isNear(screenPixel(onBelow), QColor(dimmed, dimmed, dimmed), 4); }))
        << "the screen shows " << screenPixel(onBelow).name().toStdString();

    clickAt(onBelow);
    EXPECT_TRUE(waitUntil([&] { return below.presses == 1; })) << "the click did not pass through";
    EXPECT_TRUE(backdrop.isVisible());
}

TEST_F(RingBackdropTest, FadesInUnlessMotionIsReducedAndHidesAtOnce)
{
    Compositor compositor;
    for (const bool reduced : { false, true }) {
        SCOPED_TRACE(reduced);
        motion.reduced = reduced;
        backdrop.show(ringCentre);
        if (reduced) {
            EXPECT_EQ(backdrop.currentDimming(), RingBackdrop::dimming);
        } else {
            EXPECT_EQ(backdrop.currentDimming(), 0);
            EXPECT_TRUE(waitUntil([&] { return backdrop.currentDimming() == RingBackdrop::dimming; }));
        }

        backdrop.orderOut();
        EXPECT_FALSE(backdrop.isVisible());
        EXPECT_EQ(backdrop.currentDimming(), 0);
        EXPECT_TRUE(waitUntil([&] { return !isMapped(backdrop); }));
    }

    // Hidden halfway through the fade, it stays hidden.
    motion.reduced = false;
    backdrop.show(ringCentre);
    backdrop.orderOut();
    QTest::qWait(2 * RingBackdrop::fadeInMilliseconds);
    EXPECT_FALSE(backdrop.isVisible());
    EXPECT_EQ(backdrop.currentDimming(), 0);
}

TEST(GSettingsMotionPreference, FollowsTheOverrideThenTheDesktopsAnimationSetting)
{
    auto gsettings
        = [](const QStringList& arguments) { return runTool(QStringLiteral("gsettings"), arguments).trimmed(); };
    const QStringList key { QStringLiteral("org.gnome.desktop.interface"), QStringLiteral("enable-animations") };
    gsettings(QStringList { QStringLiteral("set") } + key + QStringList { QStringLiteral("false") });
    if (gsettings(QStringList { QStringLiteral("get") } + key) != QStringLiteral("false"))
        GTEST_SKIP() << "GNOME's interface settings cannot be written here (no dconf service)";

    const QByteArray savedOverride = qgetenv("QUICKHALO_REDUCE_MOTION");
    struct Case {
        const char* override; // null: unset
        bool animations;
        bool reduced;
    } cases[] = {
        { nullptr, false, true }, { nullptr, true, false }, { "1", true, true }, { "0", false, false },
        { "yes", false, true }, // not an override: the desktop decides
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.override ? c.override : "unset") << ", animations " << c.animations);
        gsettings(QStringList { QStringLiteral("set") } + key
            + QStringList { c.animations ? QStringLiteral("true") : QStringLiteral("false") });
        if (c.override)
            qputenv("QUICKHALO_REDUCE_MOTION", c.override);
        else
            qunsetenv("QUICKHALO_REDUCE_MOTION");
        const GSettingsMotionPreference preference;
        EXPECT_EQ(preference.prefersReducedMotion(), c.reduced);
    }

    gsettings(QStringList { QStringLiteral("reset") } + key);
    if (savedOverride.isNull())
        qunsetenv("QUICKHALO_REDUCE_MOTION");
    else
        qputenv("QUICKHALO_REDUCE_MOTION", savedOverride);
}
