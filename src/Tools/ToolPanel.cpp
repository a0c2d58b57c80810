#include "Tools/ToolPanel.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>

#include "Base/ScreenCoordinates.h"
#include "Platform/Qt/QtPointerLocation.h"
#include "Tools/ToolPanelPlacement.h"

namespace Quickhalo {

namespace {

QHash<QString, QPointer<ToolPanel>>& registry()
{
    static QHash<QString, QPointer<ToolPanel>> panels;
    return panels;
}

ToolPanelPlacement::Screen placementScreen(const QScreen& screen, double desktopHeight)
{
    auto yUp = [desktopHeight](const QRect& rect) {
        return QRectF(rect.x(), desktopHeight - (rect.y() + rect.height()), rect.width(), rect.height());
    };
    return { yUp(screen.geometry()), yUp(screen.availableGeometry()) };
}

}

ToolPanel::ToolPanel(const QString& id, const QString& title, QSizeF size, QWidget* content)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_id(id)
    , m_content(content)
{
    setWindowTitle(title);
    setObjectName(QStringLiteral("ToolPanel-") + id);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (content)
        layout->addWidget(content);
    setFixedSize(static_cast<int>(std::lround(size.width())), static_cast<int>(std::lround(size.height())));
}

void ToolPanel::showTool(const QString& id, const QString& title, QSizeF size, const Content& content)
{
    QPointer<ToolPanel>& registered = registry()[id];
    if (ToolPanel* existing = registered.data(); existing && existing->isVisible()) {
        existing->raise();
        existing->activateWindow();
        return;
    }
    // The closed panel goes with its view: the tool starts afresh, its store keeps the data.
    if (ToolPanel* closed = registered.data())
        closed->deleteLater();
    auto* panel = new ToolPanel(id, title, size, content ? content() : nullptr);
    registered = panel;
    panel->placeAtPointer();
    panel->show();
    panel->raise();
    panel->activateWindow();
}

void ToolPanel::closeTool(const QString& id)
{
    if (ToolPanel* panel = registry().value(id).data())
        panel->close();
}

ToolPanel* ToolPanel::panel(const QString& id)
{
    return registry().value(id).data();
}

void ToolPanel::destroyAll()
{
    for (const QPointer<ToolPanel>& panel : std::as_const(registry()))
        delete panel.data();
    registry().clear();
}

void ToolPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ToolPanel::placeAtPointer()
{
    const double desktopHeight = virtualDesktopHeight();
    QList<ToolPanelPlacement::Screen> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(placementScreen(*screen, desktopHeight));
    std::optional<ToolPanelPlacement::Screen> mainScreen;
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        mainScreen = placementScreen(*primary, desktopHeight);

    const QPointF pointer = ScreenCoordinates::toYUp(QPointF(QCursor::pos()), desktopHeight);
    const QPointF origin = ToolPanelPlacement::origin(pointer, QSizeF(size()), screens, mainScreen);
    // The content's top-left corner, y down.
    const QPointF topLeft = ScreenCoordinates::toYDown(origin + QPointF(0, height()), desktopHeight);
    setGeometry(QRect(topLeft.toPoint(), size()));
}

}
