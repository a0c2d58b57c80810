#include "Config/DefaultConfig.h"
#include "Platform/Fake/FakeDefaultApplications.h"
#include "Platform/Qt/QtPointerLocation.h"
#include "Platform/X11/X11ClickWatcher.h"
#include "Platform/X11/X11ScreenLayout.h"
#include "Platform/X11/X11WindowSystemInfo.h"
#include "Ring/RingGlassStyle.h"
#include "Ring/RingPanel.h"
#include "Ring/RingView.h"
#include "RingFixture.h"
#include "support/DesktopTestSupport.h"
#include "support/MigrationsDone.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QScreen>

using namespace Quickhalo;
using namespace Quickhalo::Testing;

namespace {

// The real ring window on the test desktop, showing the default first ring, photographed from the
// screen. The pictures land in <build>/pictures for a person to look at.
class RingPictures : public ::testing::Test {
protected:
    RingPictures()
    {
        QDir().mkpath(outputFolder());
        volume.currentLevel = 0.6f;
        nowPlaying.currentTrack
            = NowPlayingTrack { QStringLiteral("Test Tone"), QStringLiteral("Quickhalo"), true, QString() };
        panel.setController(&controller);
        movePointer(screenCentre);
    }

    ~RingPictures() override { controller.close(); }

    static QString outputFolder() { return QStringLiteral(QUICKHALO_BINARY_DIR "/pictures"); }

    QImage photograph(const QString& name)
    {
        waitUntil([this] {
            auto* view = qobject_cast<RingView*>(panel.view());
            return view && !view->isAnimating() && view->paintCount() > 0;
        });
        QTest::qWait(150); // let the X server (and a compositor) show the last frame
        const QPoint topLeft = screenCentre - QPoint(RingPanel::panelSize / 2, RingPanel::panelSize / 2);
        const QImage image = QGuiApplication::primaryScreen()
                                 ->grabWindow(0, topLeft.x(), topLeft.y(), RingPanel::panelSize, RingPanel::panelSize)
                                 .toImage();
        EXPECT_TRUE(image.save(outputFolder() + QLatin1Char('/') + name + QStringLiteral(".png")));
        return image;
    }

    // The corners lie outside the ring's circle: there the desktop must show through.
    void expectCornersShowTheDesktop(const QImage& image)
    {
        const QColor desktop = screenPixel(QPoint(20, 20));
        for (const QPoint corner : { QPoint(4, 4), QPoint(555, 4), QPoint(4, 555), QPoint(555, 555) })
            EXPECT_EQ(image.pixelColor(corner), desktop) << corner.x() << "," << corner.y();
        EXPECT_NE(image.pixelColor(280, 280), desktop) << "the ring itself is drawn";
    }

    const QPoint screenCentre { 960, 540 };
    TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("prefs.conf")) };
    ConfigStore store { folder.path(), Testing::migrated(preferences),
        [] { return DefaultConfig::make(FakeDefaultApplications {}); } };
    FakeJournal journal;
    FakeRingBackdrop backdrop { journal };
    FakeRingSounds sounds { journal };
    FakeVolumeControl volume { journal };
    FakeNowPlaying nowPlaying { journal };
    FakeActionExecutor actions { journal };
    FakeFrontmostApplication frontmost;
    FakeClock clock;
    FakeBadgeSources badgeSources;
    QtPointerLocation pointer;
    X11WindowSystemInfo windowSystem;
    X11ClickWatcher clickWatcher;
    X11ScreenLayout screens;
    RingPanel panel { [this](QWidget* parent) -> QWidget* {
                         return new RingView(RingViewSources { controller, store, volume, nowPlaying, badgeSources,
                                                 preferences, [] { return false; } },
                             parent);
                     },
        windowSystem, clickWatcher, pointer, screens };
    RingController controller { store,
        RingControllerServices { panel, backdrop, sounds, volume, nowPlaying, actions, frontmost, pointer, clock } };
};

}

TEST_F(RingPictures, HubHighlightAndFlyoutWithoutACompositor)
{
    ASSERT_FALSE(windowSystem.isCompositing());
    controller.openPinned();
    ASSERT_FALSE(panel.isTranslucent());
    expectCornersShowTheDesktop(photograph(QStringLiteral("hub-opaque")));

    controller.handleKeyDown(Qt::Key_Down, QString()); // slot 1, the clipboard
    const QImage highlighted = photograph(QStringLiteral("highlighted-opaque"));
    expectCornersShowTheDesktop(highlighted);

    // The volume slot of the default first ring is slot 7, on the left.
    movePointer(screenCentre - QPoint(180, 0));
    clock.advance(1.0 / 60.0);
    ASSERT_TRUE(controller.flyout().has_value());
    const QImage flyout = photograph(QStringLiteral("flyout-opaque"));
    EXPECT_NE(flyout.pixelColor(280 - 211, 280), highlighted.pixelColor(280 - 211, 280)) << "the band is drawn";
}

TEST_F(RingPictures, GlassStylesUnderACompositor)
{
    QProcess compositor;
    compositor.start(QStringLiteral("xcompmgr"), QStringList {});
    ASSERT_TRUE(compositor.waitForStarted());
    ASSERT_TRUE(waitUntil([this] { return windowSystem.isCompositing(); }));

    controller.openPinned();
    EXPECT_TRUE(panel.isTranslucent());
    QList<QImage> styles;
    for (const RingGlassStyle style : RingGlassStyles::all()) {
        RingGlassStyles::store(preferences, style);
        styles << photograph(QStringLiteral("glass-") + RingGlassStyles::rawValue(style));
        expectCornersShowTheDesktop(styles.back());
    }
    // A band pixel away from symbols and lines gets darker from clear to light to dark.
    const QPoint band(280 + 150, 280 - 40);
    EXPECT_GT(qGray(styles[0].pixel(band)), qGray(styles[1].pixel(band)));
    EXPECT_GT(qGray(styles[1].pixel(band)), qGray(styles[2].pixel(band)));

    controller.handleKeyDown(Qt::Key_Down, QString());
    photograph(QStringLiteral("highlighted-translucent"));
    controller.close();
    compositor.terminate();
    compositor.waitForFinished(5000);
}
