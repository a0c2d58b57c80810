#include "Ring/RingView.h"

#include "Ring/HubButton.h"
#include "RingFixture.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTest>

using namespace Quickhalo;

namespace {

class RingViewTest : public ::testing::Test, protected Testing::RingFixture {
protected:
    std::unique_ptr<RingView> makeView(bool reduceMotion = false)
    {
        auto view = std::make_unique<RingView>(RingViewSources { controller, store, volume, nowPlaying, badgeSources,
            preferences, [reduceMotion] { return reduceMotion; } });
        view->show();
        finishAnimations(*view);
        return view;
    }

    static void finishAnimations(const RingView& view)
    {
        for (int i = 0; i < 200 && view.isAnimating(); ++i)
            QTest::qWait(10);
        QCoreApplication::processEvents();
    }

    // The view as it looks over a mid-grey desktop.
    static QImage render(RingView& view)
    {
        QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(128, 128, 128));
        view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }

    static int brightPixelsAround(const QImage& image, QPointF centre, int radius)
    {
        int bright = 0;
        for (int y = -radius; y <= radius; ++y) {
            for (int x = -radius; x <= radius; ++x) {
                const QColor colour = image.pixelColor(QPoint(static_cast<int>(centre.x()) + x, static_cast<int>(centre.y()) + y));
                if (colour.red() > 200 && colour.green() > 200 && colour.blue() > 200)
                    ++bright;
            }
        }
        return bright;
    }
};

}

TEST_F(RingViewTest, AStillPointerPolledAt60HzCausesNoPaint)
{
    controller.hotkeyPressed();
    pointAt(3);
    auto view = makeView();
    const int paints = view->paintCount();
    ASSERT_GT(paints, 0);

    clock.advance(1.0); // sixty polls of a pointer that does not move
    QTest::qWait(50);
    EXPECT_EQ(view->paintCount(), paints);

    pointAt(5);
    finishAnimations(*view);
    EXPECT_GT(view->paintCount(), paints) << "a new highlight repaints";
}

TEST_F(RingViewTest, SymbolsSitOnTheirCircleAndTheHighlightedWedgeStandsOut)
{
    controller.hotkeyPressed();
    pointAt(3);
    auto view = makeView();
    const QImage image = render(*view);
    image.save(QStringLiteral(QUICKHALO_BINARY_DIR "/ring-view-test.png"));

    for (int slot = 0; slot < 8; ++slot) {
        SCOPED_TRACE(slot);
        const QPointF centre = RingPainter::framePoint(slot * 45.0, RingPainter::ringRadius);
        const int bright = brightPixelsAround(image, centre, 12);
        if (view->scene().slots[static_cast<std::size_t>(slot)].isFilled) {
            EXPECT_GT(bright, 12) << "a symbol is drawn at radius 130";
        } else {
            EXPECT_LT(bright, 4) << "an empty slot only has a faint dot";
        }
    }

    // Sample each wedge between the symbol circle and the centre disc, away from symbols.
    const QColor highlighted = image.pixelColor(RingPainter::framePoint(3 * 45.0 + 12, 95).toPoint());
    for (const int other : { 0, 1, 2, 4, 5, 6, 7 }) {
        const QColor plain = image.pixelColor(RingPainter::framePoint(other * 45.0 + 12, 95).toPoint());
        const int difference = std::abs(highlighted.red() - plain.red()) + std::abs(highlighted.green() - plain.green())
            + std::abs(highlighted.blue() - plain.blue());
        EXPECT_GT(difference, 30) << "wedge " << other;
    }
    EXPECT_EQ(image.pixelColor(3, 3), QColor(128, 128, 128)) << "outside the ring nothing is painted";
}

TEST_F(RingViewTest, HubButtonsShowOnlyWithNothingHighlightedAndCarryTheirHelp)
{
    controller.openPinned();
    auto view = makeView();
    EXPECT_TRUE(view->repeatButton()->isVisible());
    EXPECT_EQ(view->repeatButton()->toolTip(), QStringLiteral("Nothing to repeat"));
    EXPECT_TRUE(view->repeatButton()->isDimmed());
    EXPECT_EQ(view->previousTrackButton()->toolTip(), QStringLiteral("Previous"));
    EXPECT_EQ(view->playPauseButton()->symbol(), QStringLiteral("play.fill"));

    nowPlaying.setTrack(NowPlayingTrack { QStringLiteral("Song"), QStringLiteral("Band"), true, QString() });
    EXPECT_EQ(view->playPauseButton()->symbol(), QStringLiteral("pause.fill"));

    QTest::mouseClick(view->nextTrackButton(), Qt::LeftButton);
    EXPECT_EQ(journal.count(QStringLiteral("nowPlaying.next")), 1);
    QTest::mouseClick(view->nextRingButton(), Qt::LeftButton);
    EXPECT_EQ(controller.currentRing(), 1);

    controller.handleKeyDown(Qt::Key_Down, QString());
    EXPECT_FALSE(view->repeatButton()->isVisible()) << "a highlighted slot shows its title instead";
}

TEST_F(RingViewTest, RepeatButtonRunsTheLastSliceOrCloses)
{
    controller.openPinned();
    controller.handleKeyDown(Qt::Key_unknown, QStringLiteral("1"));
    clock.runLater();
    controller.openPinned();
    auto view = makeView();
    EXPECT_EQ(view->repeatButton()->toolTip(), QStringLiteral("Repeat: Notes"));
    EXPECT_FALSE(view->repeatButton()->isDimmed());
    QTest::mouseClick(view->repeatButton(), Qt::LeftButton);
    EXPECT_EQ(controller.state(), RingController::State::closed);
    EXPECT_EQ(clock.runLater(), 1);
    EXPECT_EQ(actions.ran.back(), ActionKind(Actions::Builtin { BuiltinTool::notes }));
}

TEST_F(RingViewTest, OpeningScalesUnlessMotionIsReduced)
{
    controller.openPinned();
    for (const bool reduce : { false, true }) {
        SCOPED_TRACE(reduce);
        auto view = std::make_unique<RingView>(RingViewSources { controller, store, volume, nowPlaying, badgeSources,
            preferences, [reduce] { return reduce; } });
        view->show();
        QCoreApplication::processEvents();
        EXPECT_LT(view->frame().openingOpacity, 1.0) << "it fades in either way";
        if (reduce) {
            EXPECT_DOUBLE_EQ(view->frame().openingScale, 1.0);
        } else {
            EXPECT_LT(view->frame().openingScale, 0.95);
        }
        finishAnimations(*view);
        EXPECT_NEAR(view->frame().openingScale, 1.0, 1e-9);
        EXPECT_NEAR(view->frame().openingOpacity, 1.0, 1e-9);
    }
}
