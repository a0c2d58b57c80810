#pragma once

#include "Platform/WindowSystemInfo.h"

namespace Quickhalo {

class FakeWindowSystemInfo final : public WindowSystemInfo {
public:
    bool connected = true;
    QString windowManager = QStringLiteral("FakeWM");
    bool compositing = false;

    bool isConnected() const override { return connected; }
    QString windowManagerName() const override { return windowManager; }
    bool isCompositing() const override { return compositing; }
};

}
