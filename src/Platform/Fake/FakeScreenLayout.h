#pragma once

#include "Platform/ScreenLayout.h"

namespace Quickhalo {

class FakeScreenLayout final : public ScreenLayout {
public:
    QList<ScreenArea> list;
    QList<ScreenArea> screens() const override { return list; }
};

}
