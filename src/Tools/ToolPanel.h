#pragma once

#include <QSizeF>
#include <QString>
#include <QWidget>

#include <functional>

namespace Quickhalo {

class PointerLocation;
class ScreenLayout;

// The small floating window every tool with a face opens in: one per tool id, above ordinary
// windows, kept on screen when another application takes the focus, closed by Escape. A tool
// opened again while its panel shows comes forward with everything typed into it; once closed,
// it comes back fresh, centred on the pointer.
class ToolPanel final : public QWidget {
    Q_OBJECT

public:
    using Content = std::function<QWidget*()>;
    // Where a new panel goes: centred on the pointer, inside its screen's work area.
    struct Placement {
        const PointerLocation& pointer;
        const ScreenLayout& screens;
    };

    // Main thread only. `size` is the content's, in points. Without a placement the window
    // system places the panel.
    static void showTool(const QString& id, const QString& title, QSizeF size, const Content& content,
        const Placement* placement = nullptr);
    // Closes the tool's panel if it has one; it stays registered until the tool is shown again.
    static void closeTool(const QString& id);
    // The registered panel, shown or closed; null when the tool was never shown.
    static ToolPanel* panel(const QString& id);
    // Destroys every panel; for shut-down and tests.
    static void destroyAll();

    QString toolId() const { return m_id; }
    QWidget* content() const { return m_content; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    ToolPanel(const QString& id, const QString& title, QSizeF size, QWidget* content);
    void placeAtPointer(const Placement& placement);

    QString m_id;
    QWidget* m_content = nullptr;
};

}
