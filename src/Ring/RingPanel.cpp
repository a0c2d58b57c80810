#include "Ring/RingPanel.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QWheelEvent>
#include <QWindow>

#include "Platform/ClickWatcher.h"
#include "Platform/PointerLocation.h"
#include "Platform/ScreenLayout.h"
#include "Platform/WindowSystemInfo.h"
#include "Ring/RingController.h"
#include "Ring/VolumeArc.h"

namespace Quickhalo {

namespace {

// What shows inside the round shape where the view leaves the panel uncovered.
const QColor opaqueBackground(24, 24, 28);

// Wheel notches arrive as multiples of 120 eighths of a degree.
constexpr double angleDeltaPerLine = 120;

// Digits come from the key code, so that the keypad and layouts with digits on the shifted level
// choose slots too; other keys give their text as if no Ctrl, Alt or Super were held.
QString textWithoutModifiers(const QKeyEvent& event)
{
    const int key = event.key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return QString(QChar(u'0' + (key - Qt::Key_0)));
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
            return QString(QChar(key)).toLower();
        return {};
    }
    return event.text();
}

}

RingPanel::RingPanel(ViewFactory makeView, WindowSystemInfo& windowSystem, ClickWatcher& clickWatcher,
    PointerLocation& pointer, const ScreenLayout& screens, QWidget* parent)
    : QWidget(parent,
        Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint
            | Qt::WindowDoesNotAcceptFocus)
    , m_makeView(std::move(makeView))
    , m_windowSystem(windowSystem)
    , m_clickWatcher(clickWatcher)
    , m_pointer(pointer)
    , m_screens(screens)
{
    setWindowTitle(QStringLiteral("Quickhalo"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(panelSize, panelSize);
    // Made now rather than at the first trigger, so that the ring appears without delay.
    prepareNativeWindow();
}

RingPanel::~RingPanel()
{
    // The watcher's handler would reach the controller, and through it this window.
    if (m_isWatchingClicks)
        m_clickWatcher.stop();
}

void RingPanel::setController(RingController* controller)
{
    disconnect(m_flyoutConnection);
    m_controller = controller;
    if (controller)
        m_flyoutConnection = connect(controller, &RingController::flyoutChanged, this, [this] { updateShape(); });
    updateShape();
}

QPointF RingPanel::clampIntoFrame(QPointF centre, const QRectF& frame)
{
    if (frame.width() > 2 * screenMargin)
        centre.setX(std::clamp(centre.x(), frame.x() + screenMargin, frame.x() + frame.width() - screenMargin));
    if (frame.height() > 2 * screenMargin)
        centre.setY(std::clamp(centre.y(), frame.y() + screenMargin, frame.y() + frame.height() - screenMargin));
    return centre;
}

QPointF RingPanel::placeCentre(std::optional<QPointF> requested, const DesktopFrames& desktop)
{
    const QPointF wanted = requested.value_or(m_pointer.location());
    const std::optional<ScreenFrame> screen = desktop.screenAt(wanted);
    if (!screen)
        return wanted;

    const QPointF centre = clampIntoFrame(wanted, screen->visibleFrame);
    // A ring opened at the pointer keeps the pointer on its centre.
    if (!requested && centre != wanted)
        m_pointer.moveTo(centre);
    return centre;
}

QPointF RingPanel::present(std::optional<QPointF> centre)
{
    const DesktopFrames desktop = m_screens.frames();
    const QPointF placed = placeCentre(centre, desktop);
    const QPointF topLeft = desktop.toWindowPosition(placed) - QPointF(panelSize, panelSize) / 2;
    if (!isVisible())
        prepareNativeWindow();
    setGeometry(QRect(topLeft.toPoint(), QSize(panelSize, panelSize)));
    replaceView();
    show();
    raise();
    return placed;
}

void RingPanel::replaceView()
{
    if (!m_makeView)
        return;
    QWidget* fresh = m_makeView(this);
    if (!fresh)
        return;
    if (fresh->parentWidget() != this)
        fresh->setParent(this);
    if (m_view) {
        // The old view may be the sender of what led here; it goes once that has returned.
        m_view->hide();
        m_view->deleteLater();
    }
    m_view = fresh;
    fresh->setGeometry(rect());
    fresh->show();
}

void RingPanel::prepareNativeWindow()
{
    const bool translucent = m_windowSystem.isCompositing();
    if (translucent != m_isTranslucent && testAttribute(Qt::WA_WState_Created)) {
        // The visual, with or without alpha, is fixed when the native window is made.
        destroy();
    }
    setAttribute(Qt::WA_TranslucentBackground, translucent);
    m_isTranslucent = translucent;
    create();

    if (QWindow* window = windowHandle(); window && window != m_filteredWindow) {
        window->installEventFilter(this);
        m_filteredWindow = window;
    }
    setAcceptsFocus(false);
    m_shapedFlyout.reset();
    updateShape(true);
}

QRegion RingPanel::shape() const
{
    const int radius = static_cast<int>(shapeRadius);
    QRegion region(QRect(panelSize / 2 - radius, panelSize / 2 - radius, 2 * radius, 2 * radius), QRegion::Ellipse);
    const RingController* controller = m_controller.data();
    if (controller && controller->flyout()) {
        // The volume flyout's band reaches past the ring.
        const VolumeArc::Band band { controller->flyout()->sliceIndex * 45.0 };
        QPolygonF outline;
        for (const VolumeArc::Band::Point& point : band.outline())
            outline << QPointF(point.x, point.y);
        QPainterPath bandPath;
        bandPath.addPolygon(outline);
        bandPath.closeSubpath();
        QPainterPathStroker margin;
        margin.setWidth(2 * shapeMargin);
        const QPainterPath grown = bandPath.united(margin.createStroke(bandPath));
        for (const QPolygonF& polygon : grown.toFillPolygons())
            region += QRegion(polygon.toPolygon(), Qt::WindingFill);
    }
    return region;
}

void RingPanel::updateShape(bool force)
{
    if (m_isTranslucent) {
        clearMask();
        return;
    }
    std::optional<int> flyout;
    if (const RingController* controller = m_controller.data(); controller && controller->flyout())
        flyout = controller->flyout()->sliceIndex;
    // The flyout announces every level change; the shape changes only with its slot.
    if (!force && flyout == m_shapedFlyout)
        return;
    m_shapedFlyout = flyout;
    setMask(shape());
}

void RingPanel::setAcceptsFocus(bool accepts)
{
    // QWidget::setWindowFlags would re-create and hide the window; the hint alone can change.
    overrideWindowFlags(windowFlags().setFlag(Qt::WindowDoesNotAcceptFocus, !accepts));
    if (QWindow* window = windowHandle())
        window->setFlag(Qt::WindowDoesNotAcceptFocus, !accepts);
}

void RingPanel::orderOut()
{
    hide();
    setAcceptsFocus(false);
}

void RingPanel::makeKeyAndOrderFront()
{
    if (!isVisible())
        return;
    setAcceptsFocus(true);
    raise();
    activateWindow();
}

bool RingPanel::isKeyWindow() const
{
    if (!isVisible() || !windowHandle())
        return false;
    // Qt's own answer lags when the ring is hidden and shown again within moments.
    if (const std::optional<bool> focused = m_windowSystem.hasInputFocus(*windowHandle()))
        return *focused;
    return QGuiApplication::focusWindow() == windowHandle();
}

void RingPanel::activateApplication()
{
    // On X11 an application is active through one of its windows: the panel is the one at hand.
    if (isVisible() && !isKeyWindow())
        activateWindow();
}

bool RingPanel::isApplicationActive() const
{
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

void RingPanel::watchClicksOutside(std::function<void()> onClick)
{
    m_isWatchingClicks = m_clickWatcher.start(std::move(onClick));
}

void RingPanel::stopWatchingClicksOutside()
{
    m_clickWatcher.stop();
    m_isWatchingClicks = false;
}

bool RingPanel::isInHub(QPointF position) const
{
    const QPointF offset = position - QPointF(width(), height()) / 2;
    return std::hypot(offset.x(), offset.y()) <= RingController::hubClickRadius;
}

bool RingPanel::routeLeftPress(QPointF position)
{
    RingController* controller = m_controller.data();
    if (!controller)
        return false;
    if (!isInHub(position)) {
        controller->handleClick();
        return true;
    }
    switch (controller->state()) {
    case RingController::State::holding:
        controller->becomeSticky();
        return false;
    case RingController::State::closed:
        controller->handleClick();
        return true;
    case RingController::State::sticky:
        return false;
    }
    return false;
}

bool RingPanel::eventFilter(QObject* watched, QEvent* event)
{
    // The window sees input before any child widget: the hub's buttons get a press only after
    // the controller has seen it.
    if (watched != m_filteredWindow || !m_controller)
        return QWidget::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        return mouse->button() == Qt::LeftButton && routeLeftPress(mouse->position());
    }
    case QEvent::MouseButtonDblClick: {
        // Its press has been routed already; the view sees only what the press let through.
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        return mouse->button() == Qt::LeftButton && !isInHub(mouse->position());
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (!m_controller->handleKeyDown(key->key(), textWithoutModifiers(*key)))
            QApplication::beep();
        return true;
    }
    case QEvent::Wheel: {
        const auto* wheel = static_cast<const QWheelEvent*>(event);
        if (const QPoint pixels = wheel->pixelDelta(); !pixels.isNull()) {
            m_controller->handleScroll(pixels.x(), pixels.y(), true);
        } else {
            const QPointF lines = QPointF(wheel->angleDelta()) / angleDeltaPerLine;
            m_controller->handleScroll(lines.x(), lines.y(), false);
        }
        return true;
    }
    default:
        return false;
    }
}

void RingPanel::paintEvent(QPaintEvent*)
{
    if (m_isTranslucent)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), opaqueBackground);
}

}
