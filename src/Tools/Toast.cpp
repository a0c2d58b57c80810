#include "Tools/Toast.h"

#include <algorithm>
#include <cmath>

#include <QCoreApplication>
#include <QThread>

#include "Platform/Clock.h"
#include "Platform/PointerLocation.h"
#include "Platform/ScreenLayout.h"
#include "Platform/WindowSystemInfo.h"
#include "Tools/ToastWindow.h"

namespace Quickhalo {

namespace {
// The fade's last step lands on its end within rounding.
constexpr double fadeTolerance = 1e-6;
}

Toast::Toast(PointerLocation& pointer, ScreenLayout& screens, WindowSystemInfo& windowSystem, Clock& clock)
    : m_pointer(pointer)
    , m_screens(screens)
    , m_windowSystem(windowSystem)
    , m_clock(clock)
{
    // Windows and their timers belong to the main thread, wherever this was made.
    if (QCoreApplication* application = QCoreApplication::instance(); application && thread() != application->thread())
        moveToThread(application->thread());
}

Toast::~Toast() = default;

void Toast::show(const QString& text, const QString& symbol)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, text, symbol] { present(text, symbol); }, Qt::QueuedConnection);
        return;
    }
    present(text, symbol);
}

void Toast::present(const QString& text, const QString& symbol)
{
    const quint64 token = ++m_token;
    m_timer.reset();
    if (m_window)
        m_window->hide();

    auto window = std::make_unique<ToastWindow>(text, symbol, m_windowSystem.isCompositing());
    const QPointF pointer = m_pointer.location();
    const QSizeF size = window->size();
    const DesktopFrames desktop = m_screens.frames();
    const QPointF origin
        = ToastPlacement::origin(pointer, size, ToastPlacement::screenFor(pointer, desktop.screens, desktop.primary()));
    // The origin is the bottom-left corner, y up; Qt places the top-left corner, y down.
    const QPointF topLeft = desktop.toWindowPosition(origin) - QPointF(0, size.height());
    window->move(QPoint(static_cast<int>(std::lround(topLeft.x())), static_cast<int>(std::lround(topLeft.y()))));
    window->setWindowOpacity(1.0);
    window->show();
    window->raise();
    m_window = std::move(window);

    m_timer = m_clock.startRepeating(displaySeconds, [this, token] { startFade(token); });
}

void Toast::startFade(quint64 token)
{
    m_timer.reset();
    // Timers die with their toast; the token also voids a tick that was already under way.
    if (token != m_token || !m_window)
        return;
    m_fadeStart = m_clock.now();
    m_timer = m_clock.startRepeating(fadeStepSeconds, [this, token] { fadeStep(token); });
}

void Toast::fadeStep(quint64 token)
{
    if (token != m_token || !m_window) {
        m_timer.reset();
        return;
    }
    const double progress = (m_clock.now() - m_fadeStart) / fadeSeconds;
    if (progress >= 1.0 - fadeTolerance) {
        close();
        return;
    }
    m_window->setWindowOpacity(std::clamp(1.0 - progress, 0.0, 1.0));
}

void Toast::close()
{
    m_timer.reset();
    if (m_window)
        m_window->hide();
    m_window.reset();
}

}
