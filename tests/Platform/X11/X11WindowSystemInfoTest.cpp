#include "Platform/X11/X11WindowSystemInfo.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QThread>

using namespace Quickhalo;
using Testing::waitUntil;

TEST(X11WindowSystemInfo, SeesTheWindowManagerAndTheCompositor)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run inside scripts/test-desktop";
    const X11WindowSystemInfo info;
    ASSERT_TRUE(info.isConnected());
    EXPECT_EQ(info.windowManagerName(), QStringLiteral("Openbox"));
    EXPECT_FALSE(info.isCompositing());

    QProcess compositor;
    compositor.start(QStringLiteral("xcompmgr"), QStringList {});
    ASSERT_TRUE(compositor.waitForStarted());
    EXPECT_TRUE(waitUntil([&] { return info.isCompositing(); }));
    compositor.terminate();
    ASSERT_TRUE(compositor.waitForFinished(5000));
    EXPECT_TRUE(waitUntil([&] { return !info.isCompositing(); }));
}
