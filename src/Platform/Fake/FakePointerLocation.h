#pragma once

#include "Platform/PointerLocation.h"

namespace Quickhalo {

class FakePointerLocation final : public PointerLocation {
public:
    QPointF position;
    int moves = 0; // how often the pointer was put somewhere

    QPointF location() const override { return position; }
    void moveTo(QPointF point) override
    {
        position = point;
        ++moves;
    }
};

}
