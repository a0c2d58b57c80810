#include "System/WindowSnapper.h"

#include "Base/ScreenCoordinates.h"
#include "Base/ToastPresenter.h"
#include "Platform/Accessibility.h"
#include "Platform/ScreenLayout.h"
#include "Platform/WindowMover.h"

#include <algorithm>

namespace Quickhalo {

namespace {

QString warningSymbol()
{
    return QStringLiteral("exclamationmark.triangle.fill");
}

// Half-open, so that a point on the edge between two screens belongs to one of them only.
bool holds(const QRectF& area, QPointF point)
{
    return point.x() >= area.left() && point.x() < area.right() && point.y() >= area.top() && point.y() < area.bottom();
}

double overlap(const QRectF& a, const QRectF& b)
{
    const QRectF common = a.intersected(b);
    return common.isEmpty() ? 0.0 : common.width() * common.height();
}

// The screen holding the window's centre; else the one showing most of the window; else the
// primary screen.
qsizetype screenIndex(const QRectF& window, const QList<QRectF>& screens)
{
    for (qsizetype i = 0; i < screens.size(); ++i) {
        if (holds(screens.at(i), window.center()))
            return i;
    }
    qsizetype best = 0;
    double bestOverlap = 0.0;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const double shown = overlap(window, screens.at(i));
        if (shown > bestOverlap) {
            best = i;
            bestOverlap = shown;
        }
    }
    return best;
}

// Rounds the edges rather than the origin and size, so that two areas sharing an edge still
// share it in whole pixels.
QRect toPixels(const QRectF& area)
{
    const int left = qRound(area.left());
    const int top = qRound(area.top());
    return { left, top, qRound(area.right()) - left, qRound(area.bottom()) - top };
}

}

WindowSnapper::WindowSnapper(
    WindowMover& mover, ScreenLayout& screens, Accessibility& accessibility, ToastPresenter& toasts)
    : m_mover(mover)
    , m_screens(screens)
    , m_accessibility(accessibility)
    , m_toasts(toasts)
{
    m_worker.setMaxThreadCount(1);
}

QRectF WindowSnapper::frame(WindowPosition position, const QRectF& visibleFrame)
{
    const double x = visibleFrame.x();
    const double y = visibleFrame.y();
    const double w = visibleFrame.width();
    const double h = visibleFrame.height();
    const double midX = x + w / 2;
    const double midY = y + h / 2;
    switch (position) {
    case WindowPosition::maximize:
        return visibleFrame;
    case WindowPosition::topRight:
        return { midX, midY, w / 2, h / 2 };
    case WindowPosition::rightHalf:
        return { midX, y, w / 2, h };
    case WindowPosition::bottomRight:
        return { midX, y, w / 2, h / 2 };
    case WindowPosition::centre:
        return { midX - (2 * w / 3) / 2, midY - (3 * h / 4) / 2, 2 * w / 3, 3 * h / 4 };
    case WindowPosition::bottomLeft:
        return { x, y, w / 2, h / 2 };
    case WindowPosition::leftHalf:
        return { x, y, w / 2, h };
    case WindowPosition::topLeft:
        return { x, midY, w / 2, h / 2 };
    }
    return visibleFrame;
}

WindowSnapper::~WindowSnapper()
{
    waitForBackgroundSnaps();
}

bool WindowSnapper::snapInBackground(WindowPosition position, const std::optional<TargetApplication>& target)
{
    const std::variant<Plan, bool> planned = plan(position, target);
    if (const bool* result = std::get_if<bool>(&planned))
        return *result;
    m_worker.start([this, plan = std::get<Plan>(planned)] { perform(plan); });
    return true;
}

void WindowSnapper::waitForBackgroundSnaps()
{
    m_worker.waitForDone();
}

bool WindowSnapper::snap(WindowPosition position, const std::optional<TargetApplication>& target)
{
    const std::variant<Plan, bool> planned = plan(position, target);
    if (const bool* result = std::get_if<bool>(&planned))
        return *result;
    return perform(std::get<Plan>(planned));
}

std::variant<WindowSnapper::Plan, bool> WindowSnapper::plan(
    WindowPosition position, const std::optional<TargetApplication>& target)
{
    if (!m_accessibility.isTrusted()) {
        m_accessibility.promptForTrust();
        m_toasts.show(QStringLiteral("Quickhalo needs Accessibility access to move windows"), warningSymbol());
        return false;
    }
    const auto noWindow = [this] {
        m_toasts.show(QStringLiteral("No window to snap"), warningSymbol());
        return false;
    };
    if (!target || target->windowId == 0)
        return noWindow();
    const quint64 window = target->windowId;
    const std::optional<QRect> current = m_mover.frame(window);
    if (!current)
        return noWindow();

    const QList<ScreenArea> screens = m_screens.screens();
    if (screens.isEmpty())
        return false;
    // Areas are worked out with y up from the desktop's bottom edge, as the ring measures; the
    // window system measures down from the top.
    double desktopHeight = 0;
    for (const ScreenArea& screen : screens)
        desktopHeight = std::max(desktopHeight, static_cast<double>(screen.frame.y() + screen.frame.height()));
    QList<QRectF> screenFrames;
    for (const ScreenArea& screen : screens)
        screenFrames.append(ScreenCoordinates::toYUp(QRectF(screen.frame), desktopHeight));
    // The screen is the one the window is on now, before leaving a maximised state can put it
    // back somewhere else.
    const QRectF windowFrame = ScreenCoordinates::toYUp(QRectF(*current), desktopHeight);
    const ScreenArea& screen = screens.at(screenIndex(windowFrame, screenFrames));
    const QRectF area = frame(position, ScreenCoordinates::toYUp(QRectF(screen.workArea), desktopHeight));
    return Plan { window, toPixels(ScreenCoordinates::toYDown(area, desktopHeight)) };
}

bool WindowSnapper::perform(const Plan& plan)
{
    const auto noWindow = [this] {
        m_toasts.show(QStringLiteral("No window to snap"), warningSymbol());
        return false;
    };
    const auto cannotMove = [this] {
        m_toasts.show(QStringLiteral("This window can't be moved"), warningSymbol());
        return false;
    };
    const quint64 window = plan.window;
    const QRect& wanted = plan.wanted;
    // A maximised or full-screen window ignores moves, and window managers stop offering them.
    m_mover.leaveMaximisedStates(window);
    if (!m_mover.isMovable(window))
        return cannotMove();
    const std::optional<QRect> before = m_mover.frame(window);
    if (!before)
        return noWindow();
    const std::optional<QRect> after = m_mover.moveResize(window, wanted);
    if (!after)
        return noWindow();
    // A window may keep its own size (fixed sizes, character cells) but not stay where it was.
    if (*after == *before && after->topLeft() != wanted.topLeft())
        return cannotMove();
    return true;
}

}
