#pragma once

#include "Actions/Models.h"
#include "Platform/FrontmostApplication.h"

#include <QRectF>

#include <optional>

namespace Quickhalo {

class Accessibility;
class ScreenLayout;
class ToastPresenter;
class WindowMover;

// Moves and resizes the window the ring remembered so that its frame fills one of eight areas
// of its screen's work area. Keeps nothing between snaps: each one reads the window and the
// screens afresh. Main thread only; a snap waits briefly for the window manager to act.
class WindowSnapper {
public:
    WindowSnapper(WindowMover& mover, ScreenLayout& screens, Accessibility& accessibility, ToastPresenter& toasts);

    // True when the window now stands at `position`, or as near as its own size rules allow.
    // Otherwise false, after a toast that says why (none when there is no screen at all).
    bool snap(WindowPosition position, const std::optional<TargetApplication>& target);

    // The area for `position` inside a screen's work area, both with y pointing up.
    static QRectF frame(WindowPosition position, const QRectF& visibleFrame);

private:
    WindowMover& m_mover;
    ScreenLayout& m_screens;
    Accessibility& m_accessibility;
    ToastPresenter& m_toasts;
};

}
