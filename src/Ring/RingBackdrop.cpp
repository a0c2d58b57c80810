#include "Ring/RingBackdrop.h"

#include <QPainter>
#include <QWindow>

#include "Base/Preferences.h"
#include "Platform/MotionPreference.h"
#include "Platform/ScreenLayout.h"
#include "Platform/WindowSystemInfo.h"

namespace Quickhalo {

RingBackdrop::RingBackdrop(Preferences& preferences, WindowSystemInfo& windowSystem, MotionPreference& motion,
    const ScreenLayout& screens, QWidget* parent)
    : QWidget(parent,
        Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus
            | Qt::WindowTransparentForInput)
    , m_preferences(preferences)
    , m_windowSystem(windowSystem)
    , m_motion(motion)
    , m_screens(screens)
{
    setWindowTitle(QStringLiteral("Quickhalo backdrop"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    m_fade.setStartValue(0.0);
    m_fade.setEndValue(1.0);
    m_fade.setDuration(fadeInMilliseconds);
    connect(&m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_progress = value.toDouble();
        update();
    });
}

RingBackdrop::~RingBackdrop() = default;

void RingBackdrop::setRingWindow(QWidget* ring)
{
    m_ring = ring;
}

void RingBackdrop::show(QPointF around)
{
    if (!m_preferences.ringBackdrop() || !m_windowSystem.isCompositing())
        return;
    const DesktopFrames desktop = m_screens.frames();
    const std::optional<ScreenFrame> screen = desktop.screenAt(around);
    if (!screen)
        return;

    m_fade.stop();
    setGeometry(desktop.toWindowGeometry(screen->frame).toRect());
    m_progress = 0;
    QWidget::show();
    // Mapped last, it would cover the ring too.
    const QWidget* ring = m_ring.data();
    if (ring && ring->isVisible() && ring->windowHandle() && windowHandle())
        m_windowSystem.stackBelow(*windowHandle(), *ring->windowHandle());
    if (m_motion.prefersReducedMotion()) {
        m_progress = 1;
        update();
    } else {
        m_fade.start();
    }
}

void RingBackdrop::orderOut()
{
    m_fade.stop();
    hide();
    m_progress = 0;
}

double RingBackdrop::currentDimming() const
{
    return isVisible() ? dimming * m_progress : 0.0;
}

void RingBackdrop::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), QColor::fromRgbF(0, 0, 0, static_cast<float>(dimming * m_progress)));
}

}
