#pragma once

#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

#include "Ring/RingServices.h"

namespace Quickhalo {

class MotionPreference;
class Preferences;
class ScreenLayout;
class WindowSystemInfo;

// Dims the whole screen behind the ring: a click-through window of translucent black that fades
// in, just below the ring's window. It shows nothing when the "ringBackdrop" preference is off or
// when no compositing manager runs (without one, the dimming would black the screen out). The
// window manager leaves it alone: its frame would catch the clicks meant to pass through.
class RingBackdrop final : public QWidget, public RingBackdropWindow {
    Q_OBJECT

public:
    static constexpr double dimming = 0.22;
    static constexpr int fadeInMilliseconds = 140;

    // It covers the screen the ring opens on, as `screens` tells.
    RingBackdrop(Preferences& preferences, WindowSystemInfo& windowSystem, MotionPreference& motion,
        const ScreenLayout& screens, QWidget* parent = nullptr);
    ~RingBackdrop() override;

    // The window to stay just below when shown: the ring's. Not owned; may be null.
    void setRingWindow(QWidget* ring);

    using QWidget::show;
    void show(QPointF around) override;
    void orderOut() override;

    // The black's opacity as painted now: 0 when hidden, `dimming` once faded in.
    double currentDimming() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Preferences& m_preferences;
    WindowSystemInfo& m_windowSystem;
    MotionPreference& m_motion;
    const ScreenLayout& m_screens;
    QPointer<QWidget> m_ring;
    QVariantAnimation m_fade;
    double m_progress = 0;
};

}
