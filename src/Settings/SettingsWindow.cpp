#include "Settings/SettingsWindow.h"

#include "Ring/SymbolPainter.h"
#include "Settings/RingEditor.h"
#include "Settings/RingsSettings.h"

#include <QEvent>
#include <QHideEvent>
#include <QMessageBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace Quickhalo {

SettingsWindow::SettingsWindow(SettingsServices services, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(title);
    m_editor = new RingEditor(services.config, services.makeDefaultConfig, this);
    m_general = new GeneralSettings(services.general, this);
    m_rings = new RingsSettings(*m_editor, services.general.preferences, services.applications,
        std::move(services.pickFile), this);

    m_tabs = new QTabWidget(this);
    m_tabs->addTab(m_general, QStringLiteral("&General"));
    m_tabs->addTab(m_rings, QStringLiteral("&Rings"));
    drawTabIcons();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    // The General tab fits 640 x 460; the Rings tab's live preview needs the extra width.
    resize(QSize(860, 500).expandedTo(minimumSizeHint()));
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::present()
{
    // Minimised, it would stay minimised through show() and raise().
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void SettingsWindow::hideEvent(QHideEvent* event)
{
    // Undo belongs to one opening of the window.
    if (!event->spontaneous())
        m_editor->forgetHistory();
    QWidget::hideEvent(event);
}

void SettingsWindow::drawTabIcons()
{
    const QColor text = palette().color(QPalette::WindowText);
    m_tabs->setTabIcon(0, SymbolPainter::icon(QStringLiteral("gearshape"), text));
    m_tabs->setTabIcon(1, SymbolPainter::icon(QStringLiteral("circle.grid.3x3"), text));
}

void SettingsWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange && m_tabs)
        drawTabIcons();
    QWidget::changeEvent(event);
}

void SettingsWindow::showAccessibilityHelp(QWidget* parent)
{
    QMessageBox::information(parent, QStringLiteral("Accessibility on Linux"),
        QStringLiteral("<p>On an X11 desktop Quickhalo needs no permission: it pastes, moves windows and takes the "
                       "mouse button through the X server's XTEST extension, which every usual X server has.</p>"
                       "<p>In a Wayland session these are not allowed to other programs. Quickhalo then copies "
                       "results instead of pasting them, does not move windows, and the mouse button only "
                       "watches. Log in to an X11 session (\"GNOME on Xorg\", \"Plasma (X11)\") to have them.</p>"));
}

}
