#pragma once

#include "Ring/RingServices.h"

namespace Quickhalo {

// Stand-ins for the system services the ring reads before their own models exist: they report
// that nothing is there, so the ring shows no track.

class UnavailableNowPlaying final : public NowPlayingControl {
public:
    void startPolling() override { }
    void stopPolling() override { }
    std::optional<NowPlayingTrack> track() const override { return std::nullopt; }
    void playPause() override { }
    void nextTrack() override { }
    void previousTrack() override { }
};

}
