#pragma once

#include "Ring/RingServices.h"
#include "Ring/SliceBadgeProvider.h"

namespace Quickhalo {

// Stand-ins for the system services the ring reads before their own models exist: they report
// that nothing is there, so the ring shows no track and no badges.

class UnavailableNowPlaying final : public NowPlayingControl {
public:
    void startPolling() override { }
    void stopPolling() override { }
    std::optional<NowPlayingTrack> track() const override { return std::nullopt; }
    void playPause() override { }
    void nextTrack() override { }
    void previousTrack() override { }
};

class UnavailableBadgeSources final : public BadgeSources {
public:
    std::optional<int> countdownRemaining() const override { return std::nullopt; }
    QString countdownDisplay() const override { return {}; }
    bool isPomodoroRunning() const override { return false; }
    QString pomodoroDisplay() const override { return {}; }
    int openTodoCount() const override { return 0; }
    VoiceMemoState voiceMemoState() const override { return VoiceMemoState::idle; }
};

}
