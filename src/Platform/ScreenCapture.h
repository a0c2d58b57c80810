#pragma once

#include <QString>

#include "Platform/Clipboard.h"

#include <array>
#include <functional>
#include <optional>

namespace Quickhalo {

// Interactive screen capture: the user picks an area or a window, or a point for its colour.
// Answers come on the main thread; a cancelled pick is not a failure.
class ScreenCapture {
public:
    struct Result {
        bool succeeded = true;
        QString error; // why it failed, when it did
    };
    // sRGB components, 0..1.
    using Colour = std::array<double, 3>;

    virtual ~ScreenCapture() = default;
    // Puts the picked picture on the clipboard; a cancelled pick succeeds without copying.
    virtual void captureToClipboard(std::function<void(Result)> done) = 0;
    virtual void pickColour(std::function<void(std::optional<Colour>)> done) = 0;
};

}
