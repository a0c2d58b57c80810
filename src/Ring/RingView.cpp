#include "Ring/RingView.h"

#include "Base/Preferences.h"
#include "Config/ConfigStore.h"
#include "Ring/HubButton.h"
#include "Ring/RingGlassStyle.h"

#include <QEasingCurve>
#include <QPainter>
#include <QVariantAnimation>

namespace Quickhalo {

namespace {
constexpr int openingMilliseconds = 240;
constexpr int highlightMilliseconds = 140;
constexpr int flyoutMilliseconds = 120;
constexpr int levelMilliseconds = 80;
constexpr double openingStartScale = 0.88;

// A spring with little bounce (response 0.16 s, damping 0.72) is close to a short overshoot.
QEasingCurve springCurve()
{
    QEasingCurve curve(QEasingCurve::OutBack);
    curve.setOvershoot(0.9);
    return curve;
}
}

RingView::RingView(RingViewSources sources, QWidget* parent)
    : QWidget(parent)
    , m_sources(std::move(sources))
    , m_badges(m_sources.badgeSources)
{
    setFixedSize(static_cast<int>(RingPainter::frameSize), static_cast<int>(RingPainter::frameSize));
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    m_frame.accent = palette().color(QPalette::Highlight);

    const QPoint centre(static_cast<int>(RingPainter::frameSize / 2), static_cast<int>(RingPainter::frameSize / 2));
    auto place = [this, centre](HubButton* button, int dx, int dy) {
        button->move(centre + QPoint(dx, dy) - QPoint(button->width() / 2, button->height() / 2));
    };
    m_previousTrack = new HubButton(QStringLiteral("backward.end.fill"), QStringLiteral("Previous"), 30, this);
    m_playPause = new HubButton(QStringLiteral("play.fill"), QStringLiteral("Play / Pause"), 30, this);
    m_nextTrack = new HubButton(QStringLiteral("forward.end.fill"), QStringLiteral("Next"), 30, this);
    m_previousRing = new HubButton(QStringLiteral("chevron.left"), QStringLiteral("Previous ring"), 26, this);
    m_repeat = new HubButton(QStringLiteral("arrow.counterclockwise"), QStringLiteral("Nothing to repeat"), 26, this);
    m_nextRing = new HubButton(QStringLiteral("chevron.right"), QStringLiteral("Next ring"), 26, this);
    place(m_previousTrack, -34, -4);
    place(m_playPause, 0, -4);
    place(m_nextTrack, 34, -4);
    place(m_previousRing, -29, 36);
    place(m_repeat, 0, 40);
    place(m_nextRing, 29, 36);

    NowPlayingControl& nowPlaying = m_sources.nowPlaying;
    RingController& controller = m_sources.controller;
    connect(m_previousTrack, &QAbstractButton::clicked, this, [&nowPlaying] { nowPlaying.previousTrack(); });
    connect(m_playPause, &QAbstractButton::clicked, this, [&nowPlaying] { nowPlaying.playPause(); });
    connect(m_nextTrack, &QAbstractButton::clicked, this, [&nowPlaying] { nowPlaying.nextTrack(); });
    connect(m_previousRing, &QAbstractButton::clicked, this, [&controller] { controller.switchRing(-1); });
    connect(m_nextRing, &QAbstractButton::clicked, this, [&controller] { controller.switchRing(+1); });
    connect(m_repeat, &QAbstractButton::clicked, this, [&controller] {
        if (const auto last = controller.lastSlice())
            controller.run(*last);
        else
            controller.close();
    });

    for (auto signal : { &RingController::stateChanged, &RingController::highlightedChanged,
             &RingController::currentRingChanged, &RingController::lastSliceIdChanged,
             &RingController::transientPageChanged, &RingController::flyoutChanged })
        connect(&controller, signal, this, &RingView::refresh);
    connect(&m_sources.configStore, &ConfigStore::configChanged, this, &RingView::refresh);
    connect(&m_sources.volume, &VolumeControl::changed, this, &RingView::refresh);
    connect(&m_sources.nowPlaying, &NowPlayingControl::changed, this, &RingView::refresh);
    connect(&m_sources.preferences, &Preferences::changed, this, &RingView::refresh);
    connect(&m_sources.badgeSources, &BadgeSources::changed, this, &RingView::refresh);

    m_scene = makeRingScene({ controller, m_sources.volume, m_sources.nowPlaying, m_badges,
        RingGlassStyles::stored(m_sources.preferences) });
    m_frame.flyoutShownLevel = m_scene.flyout ? m_scene.flyout->level : 0.0f;
    applyToButtons();
}

RingView::~RingView() = default;

bool RingView::isAnimating() const
{
    for (const QVariantAnimation* running : { m_opening, m_highlightFade, m_flyoutFade, m_levelEase }) {
        if (running && running->state() == QAbstractAnimation::Running)
            return true;
    }
    return false;
}

QVariantAnimation* RingView::animation(int milliseconds, std::function<void(double)> step)
{
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(milliseconds);
    connect(animation, &QVariantAnimation::valueChanged, this, [this, step = std::move(step)](const QVariant& value) {
        step(value.toDouble());
        update();
    });
    return animation;
}

void RingView::refresh()
{
    RingScene next = makeRingScene({ m_sources.controller, m_sources.volume, m_sources.nowPlaying, m_badges,
        RingGlassStyles::stored(m_sources.preferences) });
    if (next == m_scene)
        return;

    if (next.highlighted != m_scene.highlighted) {
        m_frame.fadingHighlight = m_scene.highlighted;
        if (!m_highlightFade) {
            m_highlightFade = animation(highlightMilliseconds, [this](double progress) {
                m_frame.highlightOpacity = progress;
                m_frame.fadingHighlightOpacity = 1.0 - progress;
            });
            m_highlightFade->setEasingCurve(QEasingCurve::OutCubic);
        }
        m_highlightFade->stop();
        m_frame.highlightOpacity = 0;
        m_frame.fadingHighlightOpacity = 1;
        m_highlightFade->start();
    }

    if (next.flyout.has_value() != m_scene.flyout.has_value() && next.flyout) {
        if (!m_flyoutFade)
            m_flyoutFade = animation(flyoutMilliseconds, [this](double progress) { m_frame.flyoutOpacity = progress; });
        m_frame.flyoutOpacity = 0;
        m_frame.flyoutShownLevel = next.flyout->level;
        m_flyoutFade->stop();
        m_flyoutFade->start();
    } else if (next.flyout && m_scene.flyout && next.flyout->level != m_scene.flyout->level) {
        const float from = m_frame.flyoutShownLevel;
        const float to = next.flyout->level;
        delete m_levelEase;
        m_levelEase = animation(levelMilliseconds, [this, from, to](double progress) {
            m_frame.flyoutShownLevel = from + (to - from) * static_cast<float>(progress);
        });
        m_levelEase->setEasingCurve(QEasingCurve::OutQuad);
        m_levelEase->start();
    }

    if (next.artworkFile != m_loadedArtwork) {
        m_loadedArtwork = next.artworkFile;
        m_frame.artwork = next.artworkFile.isEmpty() ? QImage() : QImage(next.artworkFile);
    }

    m_scene = std::move(next);
    applyToButtons();
    update();
}

void RingView::applyToButtons()
{
    const bool showHub = m_scene.centre == RingScene::Centre::hub;
    for (HubButton* button : { m_previousTrack, m_playPause, m_nextTrack, m_previousRing, m_nextRing, m_repeat })
        button->setVisible(showHub);
    m_playPause->setSymbol(m_scene.track && m_scene.track->isPlaying ? QStringLiteral("pause.fill")
                                                                       : QStringLiteral("play.fill"));
    m_repeat->setToolTip(m_scene.repeatHelp);
    m_repeat->setAccessibleName(m_scene.repeatHelp);
    m_repeat->setDimmed(!m_scene.canRepeat);
}

void RingView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    startOpening();
}

void RingView::startOpening()
{
    const bool reduceMotion = m_sources.reduceMotion && m_sources.reduceMotion();
    if (!m_opening) {
        m_opening = animation(openingMilliseconds, [this, reduceMotion](double progress) {
            m_frame.openingScale = reduceMotion ? 1.0 : openingStartScale + (1.0 - openingStartScale) * progress;
            m_frame.openingOpacity = std::min(1.0, progress * 1.6);
        });
        m_opening->setEasingCurve(reduceMotion ? QEasingCurve(QEasingCurve::Linear) : springCurve());
    }
    m_frame.openingScale = reduceMotion ? 1.0 : openingStartScale;
    m_frame.openingOpacity = 0;
    m_opening->stop();
    m_opening->start();
}

void RingView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    RingPainter::paint(painter, m_scene, m_frame);
    ++m_paintCount;
    Q_EMIT painted();
}

}
