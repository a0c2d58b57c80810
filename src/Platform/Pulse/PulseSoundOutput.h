#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include <QByteArray>

#include "Platform/SoundOutput.h"

namespace Quickhalo {

// The sound output over libpulse (PulseAudio or PipeWire's pulse server): a client "Quickhalo"
// with one low-latency playback stream per voice, media role "event", over the connection
// Quickhalo shares with the session's server (PulseConnection). It never waits for the server;
// while there is none it drops what it is given (one log line).
class PulseSoundOutput final : public SoundOutput {
public:
    // `streamName` is what the server's stream lists show.
    explicit PulseSoundOutput(QByteArray streamName = QByteArrayLiteral("Ring sound"));
    ~PulseSoundOutput() override;
    PulseSoundOutput(const PulseSoundOutput&) = delete;
    PulseSoundOutput& operator=(const PulseSoundOutput&) = delete;

    bool start() override;
    void stop() override;
    bool isRunning() const override;
    void play(int voice, const std::vector<float>& samples) override;

private:
    struct Connection;

    QByteArray m_streamName;
    std::unique_ptr<Connection> m_connection;
    std::atomic<bool> m_reportedFailure = false; // for the whole life of the object, not per start
};

}
