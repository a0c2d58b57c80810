#include "App/AppServices.h"

#include "Actions/ActionRunner.h"
#include "App/ToolBadgeSources.h"
#include "App/UnavailableServices.h"
#include "Base/FileTrouble.h"
#include "Base/Paths.h"
#include "Base/Preferences.h"
#include "Config/ConfigStore.h"
#include "Config/DefaultConfig.h"
#include "Hotkey/HotkeyManager.h"
#include "Hotkey/MouseTriggerMonitor.h"
#include "Platform/DBus/DBusNotificationCenter.h"
#include "Platform/Pulse/PulseAudioOutputDevice.h"
#include "Platform/Pulse/PulseSoundOutput.h"
#include "Base/Log.h"
#include "Platform/DBus/LogindSleepWatcher.h"
#include "Platform/Ical/VdirReminders.h"
#include "Platform/Qt/QtClock.h"
#include "Platform/Systemd/SystemdAlarmScheduler.h"
#include "Platform/Qt/QtWebRequests.h"
#include "Platform/X11/X11Accessibility.h"
#include "Platform/X11/X11ClickWatcher.h"
#include "Platform/X11/X11Clipboard.h"
#include "Platform/X11/X11FrontmostApplication.h"
#include "Platform/X11/X11GlobalHotkeys.h"
#include "Platform/X11/X11MouseButtonSource.h"
#include "Platform/X11/X11PasteInput.h"
#include "Platform/X11/X11PointerLocation.h"
#include "Platform/X11/X11ScreenLayout.h"
#include "Platform/X11/X11WindowMover.h"
#include "Platform/X11/X11WindowSystemInfo.h"
#include "Platform/Xdg/GSettingsMotionPreference.h"
#include "Platform/Xdg/GioApplicationLauncher.h"
#include "Platform/Xdg/XdgAutostart.h"
#include "Platform/Xdg/XdgDefaultApplications.h"
#include "Platform/Xdg/XdgInstalledApplications.h"
#include "Ring/RingBackdrop.h"
#include "Ring/RingController.h"
#include "Ring/RingPanel.h"
#include "Ring/RingSounds.h"
#include "Ring/RingView.h"
#include "Settings/SettingsWindow.h"
#include "System/ExplainedAccessibility.h"
#include "System/GlassSound.h"
#include "System/Notifier.h"
#include "System/Paster.h"
#include "System/SystemVolume.h"
#include "System/WindowSnapper.h"
#include "Tools/Clipboard/ClipboardStore.h"
#include "Tools/Clock/AlarmStore.h"
#include "Tools/Clock/InProcessAlarmScheduler.h"
#include "Tools/Clock/PomodoroTool.h"
#include "Tools/Clock/StopwatchTool.h"
#include "Tools/Clock/TimerTool.h"
#include "Tools/Reminders/EnglishDateDetector.h"
#include "Tools/Reminders/RemindersStore.h"
#include "Tools/Todo/TodoStore.h"
#include "Tools/Links/CurrentTabReader.h"
#include "Tools/Links/LinksStore.h"
#include "Tools/Toast.h"
#include "Tools/ToolPanel.h"
#include "Tools/ToolViews.h"
#include "Tools/Units/CurrencyService.h"

#include <QCoreApplication>

namespace Quickhalo {

namespace {

// Banner, sound and toast.
void ringReminder(const ScheduledAlarm& alert)
{
    Notifier::shared().deliver(
        { alert.title, alert.body, QStringLiteral("alarm-clock-elapsed"), { { Notifier::alarmKey(), true } } });
}

// Banner, sound and toast, and a one-time alarm goes off.
void ringAlarm(const ScheduledAlarm& alarm)
{
    Notifier::shared().deliver(
        { alarm.title, alarm.body, QStringLiteral("alarm-clock-elapsed"), { { Notifier::alarmKey(), true } } });
    AlarmStore::shared().fired(QUuid::fromString(alarm.id));
}

}

struct AppServices::Parts {
    QtClock clock;
    X11PointerLocation pointer;
    X11WindowSystemInfo windowSystem;
    X11ClickWatcher clickWatcher;
    X11FrontmostApplication frontmost;
    X11GlobalHotkeys hotkeys;
    X11MouseButtonSource mouseButtons;
    X11Accessibility platformAccessibility;
    ExplainedAccessibility accessibility { platformAccessibility };
    PulseSoundOutput soundOutput;
    GSettingsMotionPreference motion;
    X11PasteInput pasteInput;
    GioApplicationLauncher launcher;
    SharedToastPresenter toasts;
    X11WindowMover windowMover;
    X11ScreenLayout screenLayout;
    WindowSnapper windowSnapper { windowMover, screenLayout, accessibility, toasts };
    ActionRunner actions { toasts };
    DBusNotificationCenter notificationCenter;
    PulseSoundOutput alarmOutput { QByteArrayLiteral("Alarm sound") };
    GlassSound alarmSound { alarmOutput, clock };
    // Without a user systemd: alarms ring only while Quickhalo runs.
    InProcessAlarmScheduler inProcessAlarms { clock, &ringAlarm };
    SystemdAlarmScheduler alarmScheduler { { .program = QCoreApplication::applicationFilePath() }, inProcessAlarms };
    // The reminders' alerts, in units of their own.
    InProcessAlarmScheduler inProcessReminders { clock, &ringReminder };
    SystemdAlarmScheduler reminderAlerts { { .program = QCoreApplication::applicationFilePath(),
                                               .unitPrefix = RemindersStore::alertUnitPrefix },
        inProcessReminders };
    // Its minute's timer did not count the time asleep: it looks at once instead.
    LogindSleepWatcher sleepWatcher;
    PulseAudioOutputDevice audioOutput;
    X11Clipboard clipboard;
    QtWebRequests web;
    UnavailableNowPlaying nowPlaying;
    ToolBadgeSources badges;
    // Made with the first links panel: it needs the clipboard history.
    std::unique_ptr<CurrentTabReader> tabs;
    CurrentTabReader& tabReader()
    {
        if (!tabs)
            tabs = std::make_unique<CurrentTabReader>(
                CurrentTabReader::Services { pasteInput, clipboard, clock, &ClipboardStore::shared(), &frontmost });
        return *tabs;
    }
    XdgAutostart loginItem { XdgEnvironment::fromProcessEnvironment(), QCoreApplication::applicationFilePath() };
    XdgInstalledApplications applications { XdgEnvironment::fromProcessEnvironment() };
    EnglishDateDetector dateDetector;
    // Made with the reminders store, where the preferences say.
    std::unique_ptr<VdirReminders> reminders;
    // Made with the ring controller, on first use.
    std::unique_ptr<RingPanel> panel;
    std::unique_ptr<RingBackdrop> backdrop;
};

namespace {

QuickhaloConfig machineDefaults()
{
    const XdgDefaultApplications applications(XdgEnvironment::fromProcessEnvironment());
    return DefaultConfig::make(applications);
}

}

AppServices::AppServices()
    : m_parts(std::make_unique<Parts>())
{
    Parts& parts = *m_parts;
    parts.sleepWatcher.onWake = [&parts] {
        parts.inProcessAlarms.check();
        parts.inProcessReminders.check();
    };
    own<ClipboardStore>([&parts] { return std::make_unique<ClipboardStore>(parts.clipboard, parts.clock); });
    own<Toast>([&parts] {
        return std::make_unique<Toast>(parts.pointer, parts.screenLayout, parts.windowSystem, parts.clock);
    });
    // Made here, on the main thread: processes report their failures from other threads.
    Toast::shared();
    own<Notifier>(
        [&parts] {
            return std::make_unique<Notifier>(parts.notificationCenter, Toast::shared(), parts.alarmSound, parts.clock);
        },
        [] { FileTrouble::shared().setPresenter({}); });
    // A file of the user's that could not be read or saved is worth a notification, not only a
    // log line nobody sees.
    FileTrouble::shared().setPresenter(
        [](const QString& title, const QString& body) { Notifier::shared().post(title, body); });
    own<ConfigStore>([] {
        return std::make_unique<ConfigStore>(Paths::supportDirectory(), Preferences::shared(), &machineDefaults);
    });
    own<CurrencyService>([&parts] {
        return std::make_unique<CurrencyService>(parts.web, parts.clock,
            Paths::supportDirectory() + QStringLiteral("/") + CurrencyService::fileName,
            [] { return CurrencyService::endpointsFrom(Preferences::shared()); });
    });
    // The clock tool's models run with its panel closed; their end of period is heard, posted
    // and toasted.
    const auto clockAlerts = [&parts] {
        return ClockAlerts { [] { Notifier::shared().requestAuthorizationIfNeeded(); },
            [&parts] { parts.alarmSound.play(); },
            [](const QString& title, const QString& body) { Notifier::shared().post(title, body); },
            [](const QString& text, const QString& symbol) { Toast::shared().show(text, symbol); } };
    };
    own<TimerTool>([&parts, clockAlerts] { return std::make_unique<TimerTool>(parts.clock, clockAlerts()); });
    own<StopwatchTool>([] { return std::make_unique<StopwatchTool>(); });
    own<PomodoroTool>([&parts, clockAlerts] {
        return std::make_unique<PomodoroTool>(Preferences::shared(), parts.clock, clockAlerts());
    });
    own<AlarmStore>([&parts] {
        return std::make_unique<AlarmStore>(parts.alarmScheduler,
            Paths::supportDirectory() + QStringLiteral("/") + AlarmStore::fileName,
            [] { Notifier::shared().requestAuthorizationIfNeeded(); });
    });
    own<RemindersStore>([&parts] {
        if (!parts.reminders) {
            const QString root = Preferences::shared().text(QStringLiteral("remindersRoot")).value_or(VdirReminders::defaultRoot());
            parts.reminders = std::make_unique<VdirReminders>(root);
        }
        return std::make_unique<RemindersStore>(
            *parts.reminders, Preferences::shared(), parts.dateDetector, &QDateTime::currentDateTime, &parts.reminderAlerts);
    });
    own<LinksStore>([&parts] {
        return std::make_unique<LinksStore>(Paths::supportDirectory() + QStringLiteral("/") + LinksStore::fileName, &parts.web);
    });
    own<TodoStore>([] {
        return std::make_unique<TodoStore>(Paths::supportDirectory() + QStringLiteral("/") + TodoStore::fileName);
    });
    own<SystemVolume>([&parts] { return std::make_unique<SystemVolume>(parts.audioOutput); });
    own<RingSounds>(
        [&parts] { return std::make_unique<RingSounds>(Preferences::shared(), parts.soundOutput, parts.clock); });
    // Made with the controller; ended after it, as endings run in reverse.
    m_endings.push_back([&parts] {
        parts.backdrop.reset();
        parts.panel.reset();
    });
    own<RingController>(
        [&parts] {
            Preferences& preferences = Preferences::shared();
            parts.badges.attach(TimerTool::shared(), PomodoroTool::shared());
            parts.badges.attach(TodoStore::shared());
            parts.panel = std::make_unique<RingPanel>(
                [&parts, &preferences](QWidget* parent) -> QWidget* {
                    return new RingView(RingViewSources { RingController::shared(), ConfigStore::shared(),
                                            SystemVolume::shared(), parts.nowPlaying, parts.badges, preferences,
                                            [&parts] { return parts.motion.prefersReducedMotion(); } },
                        parent);
                },
                parts.windowSystem, parts.clickWatcher, parts.pointer, parts.screenLayout);
            parts.backdrop
                = std::make_unique<RingBackdrop>(preferences, parts.windowSystem, parts.motion, parts.screenLayout);
            parts.backdrop->setRingWindow(parts.panel.get());
            auto controller = std::make_unique<RingController>(ConfigStore::shared(),
                RingControllerServices { *parts.panel, *parts.backdrop, RingSounds::shared(), SystemVolume::shared(),
                    parts.nowPlaying, parts.actions, parts.frontmost, parts.pointer, parts.clock });
            parts.panel->setController(controller.get());
            parts.actions.setServices({ .launcher = &parts.launcher,
                .volume = &SystemVolume::shared(),
                .snap =
                    [&parts](WindowPosition position, const std::optional<TargetApplication>& target) {
                        return parts.windowSnapper.snapInBackground(position, target);
                    },
                .openTool =
                    [&parts](BuiltinTool tool, const ActionContext& context) {
                        return ToolViews::open(tool,
                            { ClipboardStore::shared(),
                                [target = context.target](
                                    const QString& copiedToast) { Paster::shared().pasteOrToast(copiedToast, target); },
                                &parts.pointer, &parts.screenLayout, nullptr, nullptr, &parts.clock, &parts.clipboard,
                                [&parts](const QUrl& address) {
                                    parts.launcher.open(address, [](const QString& reason) {
                                        Log::write(QStringLiteral("cannot open a saved link: ") + reason);
                                        Toast::shared().show(QStringLiteral("Couldn't open the link"),
                                            QStringLiteral("exclamationmark.triangle.fill"));
                                    });
                                },
                                &parts.web, &parts.tabReader(), context.target });
                    },
                .clipboard = &parts.clipboard,
                .copyText = [](const QString& text) { ClipboardStore::shared().copy(text); },
                .pasteOrToast =
                    [](const QString& copiedToast, const std::optional<TargetApplication>& target) {
                        Paster::shared().pasteOrToast(copiedToast, target);
                    } });
            return controller;
        },
        [&parts] {
            if (parts.panel)
                parts.panel->setController(nullptr);
            parts.actions.setServices({});
        });
    own<HotkeyManager>([&parts] { return std::make_unique<HotkeyManager>(Preferences::shared(), parts.hotkeys); });
    own<MouseTriggerMonitor>([&parts] {
        return std::make_unique<MouseTriggerMonitor>(
            Preferences::shared(), parts.mouseButtons, parts.accessibility, parts.clock);
    });
    own<Paster>([&parts] {
        return std::make_unique<Paster>(Paster::Services {
            Preferences::shared(), parts.accessibility, parts.pasteInput, parts.toasts, parts.clock });
    });
}

AppServices::~AppServices()
{
    ToolPanel::destroyAll();
    // A snap under way may still want a toast.
    m_parts->windowSnapper.waitForBackgroundSnaps();
    for (auto ending = m_endings.rbegin(); ending != m_endings.rend(); ++ending)
        (*ending)();
}

void AppServices::fireAlarm(const QString& id)
{
    const std::optional<Alarm> alarm = AlarmStore::shared().alarm(QUuid::fromString(id));
    if (!alarm) {
        // A reminder's alert, unless this process rings those itself.
        if (const std::optional<ScheduledAlarm> alert = RemindersStore::shared().alert(id)) {
            if (m_parts->reminderAlerts.ringsWithoutQuickhalo())
                ringReminder(*alert);
            return;
        }
    }
    if (!alarm || !alarm->enabled) {
        Log::write(QStringLiteral("a timer fired for the alarm %1, which is gone or off").arg(id));
        return;
    }
    // Fallen back to ringing alarms here, this process rings it at its time itself.
    if (!m_parts->alarmScheduler.ringsWithoutQuickhalo())
        return;
    ringAlarm(AlarmStore::scheduled(*alarm));
}

Accessibility& AppServices::accessibility()
{
    return m_parts->accessibility;
}

std::unique_ptr<SettingsWindow> AppServices::makeSettingsWindow()
{
    Parts& parts = *m_parts;
    return std::make_unique<SettingsWindow>(SettingsServices {
        .general = { HotkeyManager::shared(), MouseTriggerMonitor::shared(), Preferences::shared(),
            ClipboardStore::shared(), parts.accessibility, parts.loginItem, RingSounds::shared(),
            &SettingsWindow::showAccessibilityHelp },
        .config = ConfigStore::shared(),
        .makeDefaultConfig = &machineDefaults,
        .applications = parts.applications,
        .pickFile = ApplicationChooser::fileDialog(),
    });
}

}
