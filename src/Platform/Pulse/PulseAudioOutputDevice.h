#pragma once

#include <cstdint>
#include <memory>

#include <QString>

#include "Platform/AudioOutputDevice.h"

class QObject;

namespace Quickhalo {

// The default sink of a PulseAudio server (or PipeWire's pulse server), followed over the
// connection Quickhalo shares with that server (PulseConnection), on its thread: subscribed to
// sink and server events, back when the server is, with 100 % (PA_VOLUME_NORM) as volume 1.0.
class PulseAudioOutputDevice final : public AudioOutputDevice {
public:
    // `server` as libpulse names servers ("unix:/path"); empty for the session's own.
    explicit PulseAudioOutputDevice(QString server = {});
    ~PulseAudioOutputDevice() override;
    PulseAudioOutputDevice(const PulseAudioOutputDevice&) = delete;
    PulseAudioOutputDevice& operator=(const PulseAudioOutputDevice&) = delete;

    void start(Handler handler) override;
    void stop() override;
    void requestUpdate() override;
    void setVolume(float volume) override;
    void setMuted(bool muted) override;

private:
    struct Connection;

    void deliver(std::uint64_t connection, std::uint64_t writes, const AudioOutputState& state);

    QString m_server;
    Handler m_handler;
    std::unique_ptr<QObject> m_receiver; // on the main thread, where the states are delivered
    std::unique_ptr<Connection> m_connection;
    std::uint64_t m_connectionCount = 0;
};

}
