#include "App/TrayShell.h"

#include "App/TrayIconArt.h"
#include "Hotkey/HotkeyManager.h"

#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QPalette>
#include <QSystemTrayIcon>

namespace Quickhalo {

TrayShell::TrayShell(HotkeyManager& hotkey, Actions actions, QObject* parent)
    : QObject(parent)
    , m_hotkey(hotkey)
    , m_actions(std::move(actions))
    , m_menu(std::make_unique<QMenu>())
{
    m_menu->setTitle(QStringLiteral("Quickhalo"));
    m_openRing = m_menu->addAction(QString(), this, [this] { m_actions.openRing(); });
    showPreset();
    connect(&m_hotkey, &HotkeyManager::presetChanged, this, &TrayShell::showPreset);

    m_menu->addSeparator();
    QAction* settings = m_menu->addAction(QStringLiteral("Settings…"), this, [this] { m_actions.openSettings(); });
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    QAction* quit = m_menu->addAction(QStringLiteral("Quit"), this, [this] { m_actions.quit(); });
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

void TrayShell::showPreset()
{
    m_openRing->setText(QStringLiteral("Open Quickhalo (%1)").arg(HotkeyPresets::title(m_hotkey.preset())));
}

}
