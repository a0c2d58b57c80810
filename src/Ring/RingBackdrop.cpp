#include "Ring/RingBackdrop.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "Base/Preferences.h"
#include "Base/ScreenCoordinates.h"
#include "Platform/MotionPreference.h"
#include "Platform/Qt/QtPointerLocation.h"
#include "Platform/WindowSystemInfo.h"

namespace Quickhalo {

RingBackdrop::RingBackdrop(
    Preferences& preferences, WindowSystemInfo& windowSystem, MotionPreference& motion, QWidget* parent)
    : QWidget(parent,
        Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus
            | Qt::WindowTransparentForInput)
    , m_preferences(preferences)
    , m_windowSystem(windowSystem)
    , m_motion(motion)
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
    const QPointF point = ScreenCoordinates::toYDown(around, virtualDesktopHeight());
    const QScreen* screen = QGuiApplication::screenAt(point.toPoint());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;

    m_fade.stop();
    setGeometry(screen->geometry());
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
