#pragma once

#include <functional>
#include <optional>

#include <QPointer>
#include <QRectF>
#include <QRegion>
#include <QWidget>

#include "Ring/RingServices.h"

class QWindow;

namespace Quickhalo {

class ClickWatcher;
class PointerLocation;
class RingController;
class ScreenLayout;
class WindowSystemInfo;
struct DesktopFrames;

// The ring's window: a frameless 560-point square that hosts the ring view centred on the ring's
// origin and routes presses, keys and the wheel to the controller. The window manager leaves it
// alone (as it does menus), so it shows on every desktop, in no taskbar, above full-screen windows,
// exactly where it is put. It takes the keyboard only when asked to (a pinned ring). Translucent
// under a compositing manager, otherwise opaque inside a round window shape. It draws no ring.
class RingPanel final : public QWidget, public RingWindow {
    Q_OBJECT

public:
    using ViewFactory = std::function<QWidget*(QWidget* parent)>;

    static constexpr int panelSize = 560;
    // The ring stays this far inside the screen's work area on each axis wider than twice it.
    static constexpr double screenMargin = 176;
    // The window's shape without a compositing manager: the ring's outer edge and a little.
    static constexpr double ringOuterRadius = 176;
    static constexpr double shapeMargin = 4;
    static constexpr double shapeRadius = ringOuterRadius + shapeMargin;

    // The pointer and the screens place the ring and may move the pointer onto its centre.
    RingPanel(ViewFactory makeView, WindowSystemInfo& windowSystem, ClickWatcher& clickWatcher,
        PointerLocation& pointer, const ScreenLayout& screens, QWidget* parent = nullptr);
    ~RingPanel() override;

    // Where events go; not owned. Without one, events take their ordinary course.
    void setController(RingController* controller);
    // The view made at the last present, or null before the first.
    QWidget* view() const { return m_view; }
    bool isTranslucent() const { return m_isTranslucent; }

    // `centre` kept `screenMargin` inside `frame` on each axis longer than twice the margin.
    static QPointF clampIntoFrame(QPointF centre, const QRectF& frame);

    QPointF present(std::optional<QPointF> centre) override;
    void orderOut() override;
    void makeKeyAndOrderFront() override;
    bool isKeyWindow() const override;
    void activateApplication() override;
    bool isApplicationActive() const override;
    void watchClicksOutside(std::function<void()> onClick) override;
    void stopWatchingClicksOutside() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPointF placeCentre(std::optional<QPointF> requested, const DesktopFrames& desktop);
    void replaceView();
    void prepareNativeWindow();
    void updateShape(bool force = false);
    QRegion shape() const;
    void setAcceptsFocus(bool accepts);
    bool isInHub(QPointF position) const;
    bool routeLeftPress(QPointF position);

    ViewFactory m_makeView;
    WindowSystemInfo& m_windowSystem;
    ClickWatcher& m_clickWatcher;
    PointerLocation& m_pointer;
    const ScreenLayout& m_screens;
    QPointer<RingController> m_controller;
    QMetaObject::Connection m_flyoutConnection;
    QPointer<QWidget> m_view;
    QPointer<QWindow> m_filteredWindow;
    bool m_isTranslucent = false;
    bool m_isWatchingClicks = false;
    std::optional<int> m_shapedFlyout; // the flyout slot the current shape leaves room for
};

}
