#include "App/AppDelegate.h"
#include "App/AppServices.h"
#include "App/CheckConfig.h"
#include "App/QuitOnSignals.h"
#include "App/FireAlarmCommand.h"
#include "App/ReminderCommand.h"
#include "App/SingleInstance.h"
#include "App/TrayShell.h"
#include "App/UnitsCommand.h"
#include "Base/Log.h"
#include "Base/Paths.h"
#include "Base/Preferences.h"
#include "Config/DefaultConfig.h"
#include "Hotkey/HotkeyManager.h"
#include "Hotkey/MouseTriggerMonitor.h"
#include "Platform/Qt/QtClock.h"
#include "Platform/Qt/QtWebRequests.h"
#include "Platform/X11/X11Connection.h"
#include "Platform/X11/X11WindowSystemInfo.h"
#include "Platform/Xdg/XdgAutostart.h"
#include "Platform/Xdg/XdgDefaultApplications.h"
#include "Ring/RingController.h"
#include "Ring/RingFontWarmUp.h"
#include "Settings/SettingsWindow.h"
#include "Tools/Calculator/Calculator.h"
#include "Tools/Clipboard/ClipboardStore.h"
#include "Tools/Clock/AlarmStore.h"
#include "Tools/Reminders/RemindersStore.h"
#include "Tools/Clock/PomodoroTool.h"
#include "Tools/Clock/TimerTool.h"

#include <csignal>
#include <algorithm>
#include <cstring>
#include <memory>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QEventLoop>
#include <QTextStream>

using namespace Quickhalo;

namespace {

QuickhaloConfig machineDefaults()
{
    const XdgDefaultApplications applications(XdgEnvironment::fromProcessEnvironment());
    return DefaultConfig::make(applications);
}

void describeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral("Quickhalo: a radial menu under the pointer."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({ QStringLiteral("check-config"),
        QStringLiteral("Check a configuration file (default: the user's config.json), print it as it would be used "
                       "and report dropped slots. Exit 0: usable, 1: rejected, 2: unreadable.") });
    parser.addOption({ QStringLiteral("calc"),
        QStringLiteral("Print the value of an arithmetic expression (+ - * / % ^ and brackets) and exit; the rest of "
                       "the command line is the expression. Exit 0: a value, 1: none, 2: no expression."),
        QStringLiteral("expression") });
    parser.addOption({ QStringLiteral("units"),
        QStringLiteral("Print a unit or currency conversion such as \"5 km in miles\" or \"10 usd to gbp\" and exit; "
                       "the rest of the command line is the phrase, after an optional --json. Exit 0: a result, "
                       "1: none, 2: no phrase."),
        QStringLiteral("phrase") });
    parser.addOption({ QStringLiteral("parse-reminder"),
        QStringLiteral("Print, as one JSON object, the reminder a typed line such as \"call mum tomorrow 6pm\" makes "
                       "(title, due, hasTime, match) and exit; the rest of the command line is the line, after an "
                       "optional --now ISO-8601 moment. Exit 0, or 2 for a bad --now."),
        QStringLiteral("text") });
    parser.addOption({ QStringLiteral("fire-alarm"),
        QStringLiteral("Ring the alarm with this id now, as its systemd timer does: in the Quickhalo that is running, "
                       "else as a notification. Exit 0: rung, 1: no such alarm or no notification server."),
        QStringLiteral("id") });
    parser.addOption({ QStringLiteral("open-ring"),
        QStringLiteral("Open the ring pinned at the pointer: one second after start, or at once in the Quickhalo "
                       "that is already running. Bind it to a desktop shortcut where the global shortcut cannot work.") });
    parser.addOption({ QStringLiteral("autostart"),
        QStringLiteral("Start as the login entry does: when Quickhalo already runs, do nothing.") });
    parser.addOption({ QStringLiteral("settings"),
        QStringLiteral("Open the settings window: of the Quickhalo that is already running, or of this one once it "
                       "has started. Starting Quickhalo again while it runs does the same.") });
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The file to check."), QStringLiteral("[FILE]"));
}

// The first `--NAME` or `--NAME=...` argument, or argc when there is none.
int argumentIndex(int argc, char** argv, const char* option)
{
    const std::size_t length = std::strlen(option);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], option, length) == 0 && (argv[i][length] == '\0' || argv[i][length] == '='))
            return i;
    }
    return argc;
}

// What follows the option at `index`, "--calc=2" counting as "--calc 2".
QStringList wordsAfter(int argc, char** argv, int index)
{
    QStringList words;
    if (const char* equals = std::strchr(argv[index], '='))
        words.append(QString::fromLocal8Bit(equals + 1));
    for (int i = index + 1; i < argc; ++i)
        words.append(QString::fromLocal8Bit(argv[i]));
    return words;
}

// Everything after --calc is the expression, joined by spaces, so that `--calc 2 + 3` needs no
// quotes and `--calc -2^2` is not taken for an option. It runs before any application object
// exists, so it needs no display.
int runCalculator(int argc, char** argv, int calc)
{
    const QStringList words = wordsAfter(argc, argv, calc);
    QTextStream err(stderr);
    if (words.isEmpty()) {
        err << "usage: quickhalo --calc EXPRESSION" << Qt::endl;
        return 2;
    }
    const Calculator::Outcome outcome = Calculator::evaluateExplained(words.join(QLatin1Char(' ')));
    if (!outcome.value) {
        err << "quickhalo: no result: " << Calculator::describe(outcome.failure) << Qt::endl;
        return 1;
    }
    QTextStream out(stdout);
    out << Calculator::format(*outcome.value) << '\n';
    return 0;
}

// Like --calc, but currencies need the network, so it runs a main loop (still without a display)
// and shares the tool's rates file.
int runUnits(int argc, char** argv, int units)
{
    const QStringList words = wordsAfter(argc, argv, units);
    // One short reason on standard error, not the service's log of each address it tried.
    const Log::Capture quiet;
    QCoreApplication app(argc, argv);
    QtClock clock;
    QtWebRequests web;
    Preferences preferences(Preferences::defaultFilePath());
    // Only a currency needs the service, and with it the rates file.
    std::optional<CurrencyService> currencies;
    const auto service = [&]() -> CurrencyService& {
        if (!currencies)
            currencies.emplace(web, clock, Paths::supportDirectory() + QStringLiteral("/") + CurrencyService::fileName,
                [&preferences] { return CurrencyService::endpointsFrom(preferences); });
        return *currencies;
    };
    std::optional<UnitsCommand::Outcome> outcome;
    QEventLoop loop;
    const auto pending = UnitsCommand::start(words, service, [&](const UnitsCommand::Outcome& answer) {
        outcome = answer;
        loop.quit();
    });
    if (!outcome)
        loop.exec();
    if (!outcome)
        return UnitsCommand::noResult;
    if (!outcome->out.isEmpty())
        QTextStream(stdout) << outcome->out << '\n';
    if (!outcome->err.isEmpty())
        QTextStream(stderr) << (outcome->exitCode == UnitsCommand::usage ? QString() : QStringLiteral("quickhalo: "))
                            << outcome->err << Qt::endl;
    return outcome->exitCode;
}

// Like --calc: everything after it is the line (after an optional --now), and no display is needed.
int runParseReminder(int argc, char** argv, int parse)
{
    QCoreApplication app(argc, argv);
    const ReminderCommand::Outcome outcome = ReminderCommand::run(wordsAfter(argc, argv, parse), QDateTime::currentDateTime());
    if (!outcome.out.isEmpty())
        QTextStream(stdout) << outcome.out << '\n';
    if (!outcome.err.isEmpty())
        QTextStream(stderr) << "quickhalo: " << outcome.err << Qt::endl;
    return outcome.exitCode;
}

int runFireAlarm(int argc, char** argv, int fire)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quickhalo"));
    const QStringList words = wordsAfter(argc, argv, fire);
    if (words.size() != 1) {
        QTextStream(stderr) << "usage: quickhalo --fire-alarm ID" << Qt::endl;
        return FireAlarmCommand::usage;
    }
    return FireAlarmCommand::run(words.constFirst());
}

bool hasArgument(int argc, char** argv, const char* wanted)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], wanted) == 0)
            return true;
    }
    return false;
}

// QApplication aborts when it cannot open the display; say so plainly instead. Platforms other
// than X11 (chosen through QT_QPA_PLATFORM) are left to Qt.
bool cannotOpenDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return false;
    xcb_window_t root = 0;
    xcb_connection_t* connection = X11Connection::connectOwn(&root);
    if (!connection)
        return true;
    xcb_disconnect(connection);
    return false;
}

// Without a display there is nothing to start, but a running Quickhalo can still be asked to
// open its ring: that request needs only the session bus.
int runWithoutDisplay(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString display = qEnvironmentVariable("DISPLAY");
    const QString problem = display.isEmpty() ? QStringLiteral("DISPLAY is not set")
                                              : QStringLiteral("cannot open the display \"%1\"").arg(display);
    const bool openRing = hasArgument(argc, argv, "--open-ring");
    if (!openRing && !hasArgument(argc, argv, "--settings")) {
        Log::write(problem + QStringLiteral("; Quickhalo needs an X11 session"));
        return 1;
    }
    QString error;
    const auto request = openRing ? SingleInstance::Request::openRing : SingleInstance::Request::openSettings;
    if (SingleInstance::ask(QDBusConnection::sessionBus(), request, &error))
        return 0;
    Log::write(QStringLiteral("%1, and no running Quickhalo answered: %2").arg(problem, error));
    return 1;
}

bool wantsCommandLineTool(int argc, char** argv)
{
    for (const char* tool : { "--check-config", "--help", "-h", "--version", "-v", "--help-all" }) {
        if (hasArgument(argc, argv, tool))
            return true;
    }
    return false;
}

int runCommandLineTool(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quickhalo"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUICKHALO_VERSION));
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        err << "quickhalo: --check-config takes at most one file" << Qt::endl;
        return CheckConfig::unreadable;
    }
    const QString path = files.isEmpty() ? Paths::supportDirectory() + QStringLiteral("/config.json") : files.first();
    return CheckConfig::run(path, &machineDefaults, out, err);
}

// A second process only passes its request on to the first. Started plainly (from the
// application menu, say), it opens the running one's settings: without a tray host that is the
// only way there.
int forwardToRunningInstance(const QStringList& arguments)
{
    if (arguments.contains(XdgAutostart::startArgument)) {
        Log::write(QStringLiteral("already running; nothing to start at login"));
        return 0;
    }
    const bool openRing = arguments.contains(AppDelegate::openRingArgument);
    QString error;
    const auto request = openRing ? SingleInstance::Request::openRing : SingleInstance::Request::openSettings;
    if (SingleInstance::ask(QDBusConnection::sessionBus(), request, &error))
        return 0;
    Log::write(QStringLiteral("cannot reach the running Quickhalo: %1").arg(error));
    return 1;
}

void logSession()
{
    const X11WindowSystemInfo windowSystem;
    QString session = QStringLiteral("started %1 on %2").arg(QStringLiteral(QUICKHALO_VERSION), QGuiApplication::platformName());
    if (windowSystem.isConnected()) {
        const QString manager = windowSystem.windowManagerName();
        session += QStringLiteral(" (window manager: %1, compositor: %2)")
                       .arg(manager.isEmpty() ? QStringLiteral("none") : manager,
                           windowSystem.isCompositing() ? QStringLiteral("yes") : QStringLiteral("no"));
    }
    Log::write(session);
}

int runTrayApplication(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quickhalo"));
    QApplication::setApplicationVersion(QStringLiteral(QUICKHALO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quickhalo"));
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList arguments = QCoreApplication::arguments();

    SingleInstance instance(QDBusConnection::sessionBus());
    switch (instance.claim()) {
    case SingleInstance::Claim::another:
        return forwardToRunningInstance(arguments);
    case SingleInstance::Claim::noBus:
        Log::write(QStringLiteral("no session bus; a second `quickhalo` cannot reach this one"));
        break;
    case SingleInstance::Claim::first:
        break;
    }

    RingFontWarmUp fontWarmUp;
    QuitOnSignals quitOnSignals({ SIGINT, SIGTERM });
    AppServices services;
    AppDelegate delegate({ ClipboardStore::shared(), RingController::shared(), HotkeyManager::shared(), MouseTriggerMonitor::shared(),
        services.accessibility(), Preferences::shared() });
    instance.onOpenRing = [&delegate] { delegate.openRingPinned(); };
    instance.onFireAlarm = [&services](const QString& id) { services.fireAlarm(id); };

    std::unique_ptr<SettingsWindow> settings;
    const auto openSettings = [&settings, &services] {
        if (!settings)
            settings = services.makeSettingsWindow();
        settings->present();
    };
    instance.onOpenSettings = openSettings;
    TrayShell tray(HotkeyManager::shared(),
        { [&delegate] { delegate.openRingPinned(); }, openSettings, [] { QCoreApplication::quit(); } });
    tray.followClock(TimerTool::shared(), PomodoroTool::shared());
    AlarmStore::shared().rescheduleAll();
    RemindersStore::shared().rescheduleAlerts();
    tray.show();

    delegate.applicationDidFinishLaunching(arguments);
    if (arguments.contains(QStringLiteral("--settings")))
        QMetaObject::invokeMethod(&app, openSettings, Qt::QueuedConnection);
    logSession();
    if (!tray.hasTrayHost())
        Log::write(QStringLiteral("no system tray found; running without a tray icon"));

    const int status = QApplication::exec();
    settings.reset();
    Log::write(QStringLiteral("stopped"));
    return status;
}

}

int main(int argc, char** argv)
{
    // The first of the two wins: what follows it is its own text, whatever it holds.
    const int calc = argumentIndex(argc, argv, "--calc");
    const int units = argumentIndex(argc, argv, "--units");
    const int reminder = argumentIndex(argc, argv, "--parse-reminder");
    const int first = std::min({ calc, units, reminder });
    if (first < argc && first == calc)
        return runCalculator(argc, argv, calc);
    if (first < argc && first == units)
        return runUnits(argc, argv, units);
    if (first < argc && first == reminder)
        return runParseReminder(argc, argv, reminder);
    if (const int fire = argumentIndex(argc, argv, "--fire-alarm"); fire < argc)
        return runFireAlarm(argc, argv, fire);
    if (wantsCommandLineTool(argc, argv))
        return runCommandLineTool(argc, argv);
    if (cannotOpenDisplay())
        return runWithoutDisplay(argc, argv);
    return runTrayApplication(argc, argv);
}
