#pragma once

#include "Platform/ScreenLayout.h"

namespace Quickhalo {

class FakeScreenLayout final : public ScreenLayout {
public:
    QList<ScreenArea> list;
    QList<ScreenArea> screens() const override { return list; }
    // The same screens, one point to a pixel.
    DesktopFrames frames() const override
    {
        QList<QRectF> frames;
        QList<QRectF> workAreas;
        for (const ScreenArea& screen : list) {
            frames.append(QRectF(screen.frame));
            workAreas.append(QRectF(screen.workArea));
        }
        return DesktopFrames::fromYDown(frames, workAreas);
    }
};

}
