#pragma once

#include <optional>

class QWindow;

// Small things Qt does not offer for a top-level window on X11. Without an X11 connection
// each does nothing and says so.
namespace Quickhalo::X11Window {

// Puts `window`, one the window manager leaves alone (X11BypassWindowManagerHint), directly
// beneath `reference` and the frame the window manager has put around it.
bool stackBelow(const QWindow& window, const QWindow& reference);

// Whether the X server gives this window the keyboard now. Qt's own idea can lag: a window hidden
// and shown again within moments keeps counting as focused in between. Nothing without X11.
std::optional<bool> hasInputFocus(const QWindow& window);

}
