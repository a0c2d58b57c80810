#pragma once

#include <memory>
#include <vector>

#include <QObject>
#include <QString>

#include "Base/SharedInstance.h"
#include "Base/ToastPresenter.h"
#include "Tools/ToastPlacement.h"

namespace Quickhalo {

class Clock;
class PointerLocation;
class RepeatingTimer;
class ScreenLayout;
class ToastWindow;
class WindowSystemInfo;

// Shows one short-lived toast at a time just above the pointer: a fresh window each time, fully
// visible for `displaySeconds`, then faded out over `fadeSeconds`. A newer toast replaces the
// shown one at once and its timers with it. Its windows live on the main thread; show() may be
// called from any.
class Toast final : public QObject, public ToastPresenter, public Shared<Toast> {
    Q_OBJECT

public:
    static constexpr double displaySeconds = 1.4;
    static constexpr double fadeSeconds = 0.3;
    static constexpr double fadeStepSeconds = 1.0 / 60;

    Toast(PointerLocation& pointer, ScreenLayout& screens, WindowSystemInfo& windowSystem, Clock& clock);
    ~Toast() override;

    // Returns at once; off the main thread the toast follows on the main thread's next turn. The
    // shared toast is made on first use: make it on the main thread before any other thread shows one.
    void show(const QString& text, const QString& symbol) override;

    // The shown toast's window until it has faded out, else null.
    ToastWindow* window() const { return m_window.get(); }
    // How many toasts have been shown; the timers of all but the last are void.
    quint64 token() const { return m_token; }

private:
    void present(const QString& text, const QString& symbol);
    void startFade(quint64 token);
    void fadeStep(quint64 token);
    void close();

    PointerLocation& m_pointer;
    ScreenLayout& m_screens;
    WindowSystemInfo& m_windowSystem;
    Clock& m_clock;
    quint64 m_token = 0;
    std::unique_ptr<ToastWindow> m_window;
    std::unique_ptr<RepeatingTimer> m_timer; // the display delay, then the fade's steps
    double m_fadeStart = 0;
};

// Shows through Toast::shared(), for services made before the shared toast is.
class SharedToastPresenter final : public ToastPresenter {
public:
    void show(const QString& text, const QString& symbol) override { Toast::shared().show(text, symbol); }
};

}
