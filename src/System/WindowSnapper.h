#pragma once

#include "Config/Models.h"
#include "Platform/FrontmostApplication.h"

#include <QRect>
#include <QRectF>
#include <QThreadPool>

#include <optional>
#include <variant>

namespace Quickhalo {

class Accessibility;
class ScreenLayout;
class ToastPresenter;
class WindowMover;

// Moves and resizes the window the ring remembered so that its frame fills one of eight areas
// of its screen's work area. Keeps nothing between snaps: each one reads the window and the
// screens afresh. A snap waits for the window manager to act, so it comes in two halves: `plan`
// reads the permission and the screens on the main thread, `perform` does the waiting and may
// run on another thread; `snapInBackground` does both, the second on the snapper's own worker
// (one snap at a time), which its end waits for.
class WindowSnapper {
public:
    struct Plan {
        quint64 window = 0;
        QRect wanted; // the frame, y down, in the window system's pixels
    };

    WindowSnapper(WindowMover& mover, ScreenLayout& screens, Accessibility& accessibility, ToastPresenter& toasts);
    ~WindowSnapper();
    WindowSnapper(const WindowSnapper&) = delete;
    WindowSnapper& operator=(const WindowSnapper&) = delete;

    // True when the window now stands at `position`, or as near as its own size rules allow.
    // Otherwise false, after a toast that says why (none when there is no screen at all).
    bool snap(WindowPosition position, const std::optional<TargetApplication>& target);

    // Main thread. A plan, or the snap's result when it ended here (after its toast).
    std::variant<Plan, bool> plan(WindowPosition position, const std::optional<TargetApplication>& target);
    // Any thread: uses only the window mover and the toasts.
    bool perform(const Plan& plan);
    // Main thread; returns at once. False when the snap ended in planning (after its toast),
    // otherwise true and the window moves on the worker, which reports its own failures.
    bool snapInBackground(WindowPosition position, const std::optional<TargetApplication>& target);
    // Until the snaps under way have ended.
    void waitForBackgroundSnaps();

    // The area for `position` inside a screen's work area, both with y pointing up.
    static QRectF frame(WindowPosition position, const QRectF& visibleFrame);

private:
    WindowMover& m_mover;
    ScreenLayout& m_screens;
    Accessibility& m_accessibility;
    ToastPresenter& m_toasts;
    // Snaps wait for the window manager; never on the UI thread.
    QThreadPool m_worker;
};

}
