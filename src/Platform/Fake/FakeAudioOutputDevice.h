#pragma once

#include <vector>

#include "Platform/AudioOutputDevice.h"

namespace Quickhalo {

// Records what it is asked to write; a test plays the server by calling `report`.
class FakeAudioOutputDevice final : public AudioOutputDevice {
public:
    // Observations.
    int starts = 0;
    int stops = 0;
    int updateRequests = 0;
    std::vector<float> writtenVolumes;
    std::vector<bool> writtenMutes;

    void start(Handler handler) override
    {
        ++starts;
        m_handler = std::move(handler);
    }
    void stop() override
    {
        ++stops;
        m_handler = nullptr;
    }
    void requestUpdate() override { ++updateRequests; }
    void setVolume(float volume) override { writtenVolumes.push_back(volume); }
    void setMuted(bool muted) override { writtenMutes.push_back(muted); }

    bool isStarted() const { return m_handler != nullptr; }

    // The server's answer, as the real device delivers it on the main thread.
    void report(const AudioOutputState& state)
    {
        if (m_handler)
            m_handler(state);
    }
    void reportOutput(float volume, bool muted) { report(AudioOutputState { true, volume, muted }); }
    void reportNoOutput() { report(AudioOutputState {}); }

private:
    Handler m_handler;
};

}
