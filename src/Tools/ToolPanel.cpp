#include "Tools/ToolPanel.h"

#include <QHash>
#include <QKeyEvent>
#include <QPointer>
#include <QVBoxLayout>

#include <cmath>

#include "Platform/PointerLocation.h"
#include "Platform/ScreenLayout.h"
#include "Tools/ToolPanelPlacement.h"

namespace Quickhalo {

namespace {

QHash<QString, QPointer<ToolPanel>>& registry()
{
    static QHash<QString, QPointer<ToolPanel>> panels;
    return panels;
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

void ToolPanel::showTool(
    const QString& id, const QString& title, QSizeF size, const Content& content, const Placement* placement)
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
    if (placement)
        panel->placeAtPointer(*placement);
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

void ToolPanel::placeAtPointer(const Placement& placement)
{
    const DesktopFrames desktop = placement.screens.frames();
    const QPointF origin
        = ToolPanelPlacement::origin(placement.pointer.location(), QSizeF(size()), desktop.screens, desktop.primary());
    // The content's top-left corner, y down.
    const QPointF topLeft = desktop.toWindowPosition(origin + QPointF(0, height()));
    setGeometry(QRect(topLeft.toPoint(), size()));
}

}
