#pragma once

#include <QRect>
#include <QtGlobal>

#include <optional>

namespace Quickhalo {

// Reads and places another application's top-level window by its outer frame (the window
// manager's decorations included), in desktop pixels with y pointing down from the top-left
// corner of the desktop. Windows are named by the id the frontmost application gave.
class WindowMover {
public:
    virtual ~WindowMover() = default;
    // The outer frame, or nothing when the window does not exist (any more) or cannot be read.
    virtual std::optional<QRect> frame(quint64 window) const = 0;
    // False when the window manager allows neither moving nor resizing the window now.
    virtual bool isMovable(quint64 window) const = 0;
    // Takes the window out of the maximised and full-screen states, if it is in one, and returns
    // once the window manager has done so (or has had its chance to).
    virtual void leaveMaximisedStates(quint64 window) = 0;
    // Asks for the outer frame to become `frame`, waits for the window manager to act and answers
    // the frame read back, which may differ (size increments, minimum and maximum sizes, a
    // refusal); nothing when the window cannot be read any more.
    virtual std::optional<QRect> moveResize(quint64 window, const QRect& frame) = 0;
};

}
