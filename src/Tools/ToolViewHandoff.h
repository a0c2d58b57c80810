#pragma once

#include <QString>

#include <functional>

namespace Quickhalo {

// How a tool's view finishes once its result is on the clipboard: its panel closes, then the
// result is pasted where the user was, or the copy is confirmed.
struct ToolViewHandoff {
    std::function<void()> closePanel = {};
    std::function<void(const QString& copiedToast)> pasteOrToast = {};
};

}
