#pragma once

#include "Platform/WindowMover.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>

namespace Quickhalo {

class FakeWindowMover final : public WindowMover {
public:
    struct Window {
        QRect frame;
        bool movable = true;
        bool maximised = false;
        bool fullScreen = false;
        // The frame leaving those states restores, when set.
        std::optional<QRect> restoredFrame;
        // What the window manager makes of a request; by default it grants it.
        std::function<QRect(const QRect& current, const QRect& requested)> place;
    };

    std::map<quint64, Window> windows;
    QStringList calls; // "leave", "move x,y wxh", in order

    std::optional<QRect> frame(quint64 window) const override
    {
        const auto found = windows.find(window);
        return found == windows.end() ? std::nullopt : std::optional<QRect>(found->second.frame);
    }
    // As window managers do, a full-screen window offers no move until it leaves that state.
    bool isMovable(quint64 window) const override
    {
        const auto found = windows.find(window);
        return found != windows.end() && found->second.movable && !found->second.fullScreen;
    }
    void leaveMaximisedStates(quint64 window) override
    {
        calls.append(QStringLiteral("leave"));
        const auto found = windows.find(window);
        if (found == windows.end())
            return;
        Window& state = found->second;
        if ((state.maximised || state.fullScreen) && state.restoredFrame)
            state.frame = *state.restoredFrame;
        state.maximised = false;
        state.fullScreen = false;
    }
    std::optional<QRect> moveResize(quint64 window, const QRect& requested) override
    {
        calls.append(QStringLiteral("move %1,%2 %3x%4")
                         .arg(requested.x())
                         .arg(requested.y())
                         .arg(requested.width())
                         .arg(requested.height()));
        const auto found = windows.find(window);
        if (found == windows.end())
            return std::nullopt;
        Window& state = found->second;
        state.frame = state.place ? state.place(state.frame, requested) : requested;
        return state.frame;
    }
};

}
