#include "App/TrayShell.h"

#include "App/TrayIconArt.h"
#include "Hotkey/HotkeyManager.h"
#include "Tools/Clock/PomodoroTool.h"
#include "Tools/Clock/TimerTool.h"

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
    // Plain text lines: shown only while there is something to count.
    m_timerLine = m_menu->addAction(QString());
    m_pomodoroLine = m_menu->addAction(QString());
    for (QAction* line : { m_timerLine, m_pomodoroLine }) {
        line->setEnabled(false);
        line->setVisible(false);
    }

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

void TrayShell::followClock(TimerTool& timer, PomodoroTool& pomodoro)
{
    // The menu is published to the tray host over D-Bus: a change of text while it is closed
    // would be a message every second for nobody, so the text follows only while it is open.
    const auto show = [this, &timer, &pomodoro](bool always) {
        const bool appearing
            = m_timerLine->isVisible() != timer.isRunning() || m_pomodoroLine->isVisible() != pomodoro.isRunning();
        if (always || appearing || m_menu->isVisible()) {
            m_timerLine->setText(QStringLiteral("Timer: ") + timer.display());
            m_pomodoroLine->setText(pomodoro.menuLabel());
        }
        if (m_timerLine->isVisible() != timer.isRunning())
            m_timerLine->setVisible(timer.isRunning());
        if (m_pomodoroLine->isVisible() != pomodoro.isRunning())
            m_pomodoroLine->setVisible(pomodoro.isRunning());
    };
    connect(&timer, &TimerTool::remainingChanged, this, [show] { show(false); });
    connect(&pomodoro, &PomodoroTool::changed, this, [show] { show(false); });
    connect(m_menu.get(), &QMenu::aboutToShow, this, [show] { show(true); });
    show(true);
}

void TrayShell::showPreset()
{
    m_openRing->setText(QStringLiteral("Open Quickhalo (%1)").arg(HotkeyPresets::title(m_hotkey.preset())));
}

}
