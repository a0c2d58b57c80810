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
    bool stackBelow(const QWindow&, const QWindow&) const override { return false; }
    std::optional<bool> hasInputFocus(const QWindow&) const override { return std::nullopt; }
};

}
