#pragma once

#include "Base/SharedInstance.h"
#include "Ring/RingServices.h"

namespace Quickhalo {

class AudioOutputDevice;
struct AudioOutputState;

// The default output's level and mute as the ring and the volume action see them: a cache that
// the device keeps current, written through with a 0.01 step so that a moving pointer writes
// only real changes. It never waits for the sound server. A level above 100 % reads as 1.0.
class SystemVolume final : public VolumeControl, public Shared<SystemVolume> {
    Q_OBJECT
    Q_PROPERTY(float level READ level NOTIFY changed)
    Q_PROPERTY(bool isMuted READ isMuted NOTIFY changed)
    Q_PROPERTY(bool isAdjustable READ isAdjustable NOTIFY changed)

public:
    // Smaller steps than this from the last level read or written are not sent.
    static constexpr float writeStep = 0.01f;

    // Starts following `device`, which must outlive this object.
    explicit SystemVolume(AudioOutputDevice& device, QObject* parent = nullptr);
    ~SystemVolume() override;


    // Asks for fresh readings; they arrive through `changed`.
    void refresh() override;
    float level() const override { return m_level; }
    bool isMuted() const override { return m_isMuted; }
    // False until the server has reported a default output, and while it has none.
    bool isAdjustable() const override { return m_isAdjustable; }
    void setLevel(float level) override;
    // Ignored while not adjustable: there is nothing to mute.
    void setMuted(bool muted) override;

private:
    void apply(const AudioOutputState& state);
    void update(float level, bool isMuted, bool isAdjustable);

    AudioOutputDevice& m_device;
    float m_level = 0;
    bool m_isMuted = false;
    bool m_isAdjustable = false;
    float m_lastWritten = -1; // the last level read from or written to the output
};

}
