#include "App/TrayShell.h"

#include "App/TrayIconArt.h"

#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QPalette>
#include <QSystemTrayIcon>

namespace Quickhalo {

TrayShell::TrayShell(QObject* parent)
    : QObject(parent)
    , m_menu(std::make_unique<QMenu>())
{
    QAction* quit = m_menu->addAction(QStringLiteral("Quit"), qApp, &QCoreApplication::quit);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    m_icon = new QSystemTrayIcon(TrayIconArt::icon(QApplication::palette().color(QPalette::WindowText)), this);
    m_icon->setToolTip(QStringLiteral("Quickhalo"));
    m_icon->setContextMenu(m_menu.get());
}

TrayShell::~TrayShell() = default;

void TrayShell::show()
{
    // Shown even without a host: Qt embeds the icon when a tray appears later.
    m_icon->show();
}

bool TrayShell::hasTrayHost() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

}
