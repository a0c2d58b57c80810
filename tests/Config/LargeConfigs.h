#pragma once

#include "Config/Models.h"

namespace Quickhalo::Testing {

// Two configurations of a few megabytes, so that writing one takes long enough to be interrupted.
// Their ids are fixed so that separate processes build identical values.
inline QuickhaloConfig largeConfig(char fill)
{
    QuickhaloConfig config;
    for (int r = 0; r < 4; ++r) {
        RingPage ring { QUuid(QStringLiteral("{6a1f0c52-6b3e-4a8e-9c1d-2f3b4a5c6d%1}").arg(r, 2, 10, QLatin1Char('0'))),
            QString(64, QLatin1Char(fill)), {} };
        for (std::size_t s = 0; s < RingPage::slotCount; ++s) {
            ring.slices[s] = Slice { QUuid(QStringLiteral("{11111111-2222-4333-8444-5555555555%1}").arg(r * 10 + static_cast<int>(s), 2, 10, QLatin1Char('0'))),
                QString(100000, QLatin1Char(fill)), QStringLiteral("terminal"), Actions::Shell { QString(20000, QLatin1Char(fill)) } };
        }
        config.rings.push_back(ring);
    }
    return config;
}

}
