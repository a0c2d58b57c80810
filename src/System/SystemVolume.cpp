#include "System/SystemVolume.h"

#include <algorithm>
#include <cmath>

#include "Platform/AudioOutputDevice.h"

namespace Quickhalo {

SystemVolume::SystemVolume(AudioOutputDevice& device, QObject* parent)
    : VolumeControl(parent)
    , m_device(device)
{
    m_device.start([this](const AudioOutputState& state) { apply(state); });
}

SystemVolume::~SystemVolume()
{
    m_device.stop();
}

void SystemVolume::refresh()
{
    m_device.requestUpdate();
}

void SystemVolume::setLevel(float level)
{
    if (std::isnan(level))
        return;
    const float wanted = std::clamp(level, 0.0f, 1.0f);
    const bool reachesAnEnd = (wanted == 0.0f || wanted == 1.0f) && wanted != m_lastWritten;
    if (std::fabs(wanted - m_lastWritten) < writeStep && !reachesAnEnd)
        return;
    if (!m_isAdjustable)
        return;
    m_device.setVolume(wanted);
    // Moving the level is taken as wanting to hear it.
    if (m_isMuted)
        m_device.setMuted(false);
    m_lastWritten = wanted;
    update(wanted, false, true);
}

void SystemVolume::setMuted(bool muted)
{
    if (!m_isAdjustable)
        return;
    m_device.setMuted(muted);
    update(m_level, muted, true);
}

void SystemVolume::apply(const AudioOutputState& state)
{
    if (!state.hasOutput) {
        update(m_level, m_isMuted, false);
        return;
    }
    // Amplified levels read as full, and count as full for the write step, so that pushing the
    // slider to its top leaves them alone rather than pulling them down to 100 %.
    const float level = std::isnan(state.volume) ? 0.0f : std::clamp(state.volume, 0.0f, 1.0f);
    m_lastWritten = level;
    update(level, state.isMuted, true);
}

void SystemVolume::update(float level, bool isMuted, bool isAdjustable)
{
    if (level == m_level && isMuted == m_isMuted && isAdjustable == m_isAdjustable)
        return;
    m_level = level;
    m_isMuted = isMuted;
    m_isAdjustable = isAdjustable;
    Q_EMIT changed();
}

}
