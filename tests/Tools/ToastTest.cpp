#include "Tools/Toast.h"

#include <thread>

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakeScreenLayout.h"
#include "Platform/Fake/FakeWindowSystemInfo.h"
#include "Ring/FakeRingServices.h"
#include "Tools/ToastWindow.h"

using namespace Quickhalo;

namespace {

QList<ToastWindow*> visibleToasts()
{
    QList<ToastWindow*> shown;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* toast = qobject_cast<ToastWindow*>(widget); toast && toast->isVisible())
            shown.append(toast);
    return shown;
}

class ToastTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(QGuiApplication::primaryScreen(), nullptr); }

    // The screen's size in Qt's y-down points.
    static QRect screenGeometry() { return QGuiApplication::primaryScreen()->geometry(); }
    // Points the fake pointer at `yDown`, given as Qt sees the screen.
    void pointAt(QPoint yDown) { pointer.position = QPointF(yDown.x(), screenGeometry().height() - yDown.y()); }

    // Qt's offscreen screen, one point to a pixel.
    static FakeScreenLayout qtScreens()
    {
        FakeScreenLayout layout;
        for (const QScreen* screen : QGuiApplication::screens())
            layout.list.append({ screen->geometry(), screen->availableGeometry() });
        return layout;
    }

    FakePointer pointer;
    FakeScreenLayout screens = qtScreens();
    FakeWindowSystemInfo windowSystem;
    FakeClock clock;
    Toast toast { pointer, screens, windowSystem, clock };
};

}

TEST_F(ToastTest, SitsAboveThePointerInsideTheScreen)
{
    const QRect screen = screenGeometry();
    struct Case {
        const char* name;
        QPoint pointer; // y down
        std::function<void(const QRect& window)> check;
    } cases[] = {
        { "in the middle", screen.center(),
            [&](const QRect& window) {
                EXPECT_EQ(window.y() + window.height(), screen.center().y() - 28) << "28 points above the pointer";
                EXPECT_NEAR(window.x() + window.width() / 2.0, screen.center().x(), 1.0) << "centred";
            } },
        { "5 points below the top", QPoint(screen.center().x(), 5),
            [&](const QRect& window) { EXPECT_EQ(window.y(), 8) << "flush 8 points below the top"; } },
        { "at the left edge", QPoint(0, screen.center().y()),
            [&](const QRect& window) { EXPECT_EQ(window.x(), 8) << "8 points inside the screen"; } },
        { "at the bottom-right corner", QPoint(screen.width() - 1, screen.height() - 1),
            [&](const QRect& window) {
                EXPECT_EQ(window.x() + window.width(), screen.width() - 8);
                EXPECT_EQ(window.y() + window.height(), screen.height() - 1 - 28);
            } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pointAt(c.pointer);
        toast.show(QStringLiteral("Pasted"), QStringLiteral("checkmark.circle.fill"));
        ASSERT_NE(toast.window(), nullptr);
        EXPECT_TRUE(toast.window()->isVisible());
        c.check(toast.window()->geometry());
    }
}

TEST_F(ToastTest, NewerToastReplacesTheOlderAtOnceAndKeepsItsFullTime)
{
    pointAt(QPoint(200, 300));
    toast.show(QStringLiteral("First"), QStringLiteral("checkmark.circle.fill"));
    const QPointer<ToastWindow> first = toast.window();
    ASSERT_TRUE(first);
    EXPECT_EQ(visibleToasts(), QList<ToastWindow*> { first.data() });

    clock.advance(0.5);
    pointAt(QPoint(400, 200));
    toast.show(QStringLiteral("Second"), QStringLiteral("exclamationmark.triangle.fill"));
    const QPointer<ToastWindow> second = toast.window();
    ASSERT_TRUE(second);
    const ToastWindow* firstWindow = first.data();
    EXPECT_TRUE(firstWindow == nullptr || !firstWindow->isVisible()) << "the first toast goes at once";
    EXPECT_EQ(visibleToasts(), QList<ToastWindow*> { second.data() });
    const ToastWindow* secondWindow = second.data();
    ASSERT_NE(secondWindow, nullptr);
    EXPECT_EQ(secondWindow->geometry().y() + secondWindow->height(), 200 - 28)
        << "placed at the pointer's new position";

    // The first toast's 1.4 s pass 0.9 s into the second; the second stays at full opacity.
    clock.advance(0.9 + 0.49);
    secondWindow = second.data();
    ASSERT_NE(secondWindow, nullptr);
    EXPECT_TRUE(secondWindow->isVisible());
    EXPECT_DOUBLE_EQ(secondWindow->windowOpacity(), 1.0);

    clock.advance(0.01 + 0.15); // 1.4 s of the second's own, then half its fade
    secondWindow = second.data();
    ASSERT_NE(secondWindow, nullptr);
    EXPECT_TRUE(secondWindow->isVisible());
    EXPECT_NEAR(secondWindow->windowOpacity(), 0.5, 0.06);

    clock.advance(0.16);
    EXPECT_TRUE(visibleToasts().isEmpty()) << "gone 1.7 s after it appeared";
    EXPECT_EQ(toast.window(), nullptr);
    EXPECT_EQ(clock.activeTimers(), 0U);
}

TEST_F(ToastTest, ShowsTheNewestWhenShownAgainWhileFading)
{
    pointAt(QPoint(300, 300));
    toast.show(QStringLiteral("First"), QStringLiteral("checkmark.circle.fill"));
    clock.advance(1.5); // fading
    toast.show(QStringLiteral("Second"), QStringLiteral("checkmark.circle.fill"));
    ASSERT_NE(toast.window(), nullptr);
    EXPECT_DOUBLE_EQ(toast.window()->windowOpacity(), 1.0) << "a new toast starts fully visible";
    clock.advance(1.39);
    ASSERT_NE(toast.window(), nullptr);
    EXPECT_EQ(visibleToasts().size(), 1);
    EXPECT_DOUBLE_EQ(toast.window()->windowOpacity(), 1.0);
    clock.advance(0.32);
    EXPECT_TRUE(visibleToasts().isEmpty());
}

TEST_F(ToastTest, ShownFromAnotherThreadAppearsOnTheMainThread)
{
    pointAt(QPoint(300, 300));
    std::thread worker([this] { toast.show(QStringLiteral("Screenshot copied"), QStringLiteral("camera")); });
    worker.join();
    EXPECT_EQ(toast.window(), nullptr) << "nothing is made off the main thread";
    QCoreApplication::processEvents();
    ASSERT_NE(toast.window(), nullptr);
    EXPECT_EQ(toast.window()->thread(), QCoreApplication::instance()->thread());
    EXPECT_EQ(toast.window()->lines(), QStringList { QStringLiteral("Screenshot copied") });
    EXPECT_EQ(toast.token(), 1U);
}

TEST_F(ToastTest, TextIsLimitedToTwoLines)
{
    const QString ellipsis(QChar(0x2026));
    const QString longSentence = QStringLiteral("Couldn't run the shortcut because the program it names is not "
                                                "executable, and nothing else can be done about it here");
    const QString oneLine = QStringLiteral("Invalid URL");
    const QString twoParagraphs = QStringLiteral("Exit status 2\nsh: line 1: nosuchprogram: not found");
    const QString threeLines = QStringLiteral("one\ntwo\nthree");

    pointAt(QPoint(300, 300));
    toast.show(oneLine, QStringLiteral("exclamationmark.triangle.fill"));
    const int oneLineHeight = toast.window()->height();
    EXPECT_EQ(toast.window()->lines(), QStringList { oneLine });

    toast.show(longSentence, QStringLiteral("exclamationmark.triangle.fill"));
    QStringList lines = toast.window()->lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(longSentence.startsWith(lines[0]));
    EXPECT_TRUE(lines[1].endsWith(ellipsis)) << lines[1].toStdString();
    EXPECT_GT(toast.window()->height(), oneLineHeight);
    EXPECT_LE(toast.window()->width(),
        ToastWindow::maximumTextWidth + ToastWindow::symbolPixelSize + ToastWindow::spacing
            + 2 * (ToastWindow::horizontalPadding + ToastWindow::outerPadding) + 1);

    toast.show(twoParagraphs, QStringLiteral("exclamationmark.triangle.fill"));
    EXPECT_EQ(toast.window()->lines(), twoParagraphs.split(QLatin1Char('\n')));

    // The third line joins the second, as it fits there.
    toast.show(threeLines, QStringLiteral("exclamationmark.triangle.fill"));
    EXPECT_EQ(toast.window()->lines(), (QStringList { QStringLiteral("one"), QStringLiteral("two three") }));
}

TEST_F(ToastTest, CapsuleShapedWithoutACompositorTranslucentWithOne)
{
    pointAt(QPoint(300, 300));
    for (const bool compositing : { false, true }) {
        SCOPED_TRACE(compositing ? "compositing" : "no compositor");
        windowSystem.compositing = compositing;
        toast.show(QStringLiteral("Pasted"), QStringLiteral("checkmark.circle.fill"));
        const ToastWindow* window = toast.window();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->isTranslucent(), compositing);
        EXPECT_EQ(window->testAttribute(Qt::WA_TranslucentBackground), compositing);
        const QRegion mask = window->mask();
        if (compositing) {
            EXPECT_TRUE(mask.isEmpty());
        } else {
            EXPECT_FALSE(mask.contains(QPoint(1, 1))) << "the corners are cut away";
            EXPECT_TRUE(mask.contains(window->rect().center()));
        }
        EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowTransparentForInput));
    }
}
