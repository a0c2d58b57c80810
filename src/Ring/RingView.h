#pragma once

#include "Ring/RingPainter.h"
#include "Ring/RingScene.h"
#include "Ring/SliceBadgeProvider.h"

#include <QWidget>

#include <functional>

class QVariantAnimation;

namespace Quickhalo {

class ConfigStore;
class HubButton;
class Preferences;

struct RingViewSources {
    RingController& controller;
    ConfigStore& configStore;
    VolumeControl& volume;
    NowPlayingControl& nowPlaying;
    const BadgeSources& badgeSources;
    Preferences& preferences;
    std::function<bool()> reduceMotion;
};

// Draws the ring in its 560 x 560 frame from the models' state and repaints only when what it
// shows changes (a still pointer polled at 60 Hz causes no paint). It changes nothing itself
// except through the hub's buttons.
class RingView final : public QWidget {
    Q_OBJECT

public:
    explicit RingView(RingViewSources sources, QWidget* parent = nullptr);
    ~RingView() override;

    const RingScene& scene() const { return m_scene; }
    const RingPainter::Frame& frame() const { return m_frame; }
    int paintCount() const { return m_paintCount; }
    bool isAnimating() const;

    // The hub's buttons, for tests and accessibility.
    HubButton* previousTrackButton() const { return m_previousTrack; }
    HubButton* playPauseButton() const { return m_playPause; }
    HubButton* nextTrackButton() const { return m_nextTrack; }
    HubButton* previousRingButton() const { return m_previousRing; }
    HubButton* nextRingButton() const { return m_nextRing; }
    HubButton* repeatButton() const { return m_repeat; }

Q_SIGNALS:
    void painted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void applyToButtons();
    void startOpening();
    QVariantAnimation* animation(int milliseconds, std::function<void(double)> step);

    RingViewSources m_sources;
    SliceBadgeProvider m_badges;
    RingScene m_scene;
    RingPainter::Frame m_frame;
    QString m_loadedArtwork;
    int m_paintCount = 0;

    QVariantAnimation* m_opening = nullptr;
    QVariantAnimation* m_highlightFade = nullptr;
    QVariantAnimation* m_flyoutFade = nullptr;
    QVariantAnimation* m_levelEase = nullptr;

    HubButton* m_previousTrack = nullptr;
    HubButton* m_playPause = nullptr;
    HubButton* m_nextTrack = nullptr;
    HubButton* m_previousRing = nullptr;
    HubButton* m_nextRing = nullptr;
    HubButton* m_repeat = nullptr;
};

}
