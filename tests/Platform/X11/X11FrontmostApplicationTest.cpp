#include "Platform/X11/X11FrontmostApplication.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <QWidget>

using namespace Quickhalo;

namespace {
std::optional<TargetApplication> waitForFrontmost(const X11FrontmostApplication& reader,
    const std::function<bool(const TargetApplication&)>& wanted)
{
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        const auto front = reader.frontmost();
        if (front && wanted(*front))
            return front;
        QTest::qWait(50);
    }
    return reader.frontmost();
}
}

TEST(X11FrontmostApplication, NamesTheActiveWindowsProcessAndClass)
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run inside scripts/test-desktop";
    const X11FrontmostApplication reader;

    QProcess terminal;
    terminal.start(QStringLiteral("xterm"), { QStringLiteral("-fa"), QStringLiteral("DejaVu Sans Mono"),
                                                QStringLiteral("-e"), QStringLiteral("sleep 30") });
    ASSERT_TRUE(terminal.waitForStarted());
    const auto xterm = waitForFrontmost(reader, [&](const TargetApplication& front) {
        return front.processId == terminal.processId();
    });
    ASSERT_TRUE(xterm.has_value());
    EXPECT_EQ(xterm->windowClass, QStringLiteral("XTerm"));
    EXPECT_NE(xterm->windowId, 0u);
    EXPECT_NE(xterm->processId, reader.ownProcessId());

    // Our own window in front is recognised as ours.
    QWidget own;
    own.resize(200, 100);
    own.show();
    own.activateWindow();
    const auto ours = waitForFrontmost(reader, [&](const TargetApplication& front) {
        return front.processId == reader.ownProcessId();
    });
    ASSERT_TRUE(ours.has_value());
    EXPECT_EQ(ours->windowId, own.winId());

    terminal.kill();
    terminal.waitForFinished();
}
