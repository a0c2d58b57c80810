#include "Actions/ConfigStore.h"
#include "Actions/DefaultConfig.h"
#include "App/CheckConfig.h"
#include "App/Log.h"
#include "App/Paths.h"
#include "App/Preferences.h"
#include "App/QuitOnSignals.h"
#include "App/TrayShell.h"
#include "Platform/X11/X11WindowSystemInfo.h"
#include "Platform/Xdg/XdgDefaultApplications.h"

#include <csignal>
#include <cstring>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

using namespace Quickhalo;

namespace {

QuickhaloConfig machineDefaults()
{
    const XdgDefaultApplications applications(XdgEnvironment::fromProcessEnvironment());
    return DefaultConfig::make(applications);
}

void wireSharedInstances()
{
    ConfigStore::setSharedFactory(
        [] { return std::make_unique<ConfigStore>(Paths::supportDirectory(), Preferences::shared(), &machineDefaults); });
}

void describeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral("Quickhalo: a radial menu under the pointer."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({ QStringLiteral("check-config"),
        QStringLiteral("Check a configuration file (default: the user's config.json), print it as it would be used "
                       "and report dropped slots. Exit 0: usable, 1: rejected, 2: unreadable.") });
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The file to check."), QStringLiteral("[FILE]"));
}

bool wantsCommandLineTool(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        for (const char* tool : { "--check-config", "--help", "-h", "--version", "-v", "--help-all" }) {
            if (std::strcmp(argument, tool) == 0)
                return true;
        }
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

int runTrayApplication(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quickhalo"));
    QApplication::setApplicationVersion(QStringLiteral(QUICKHALO_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quickhalo"));
    QApplication::setQuitOnLastWindowClosed(false);

    QuitOnSignals quitOnSignals({ SIGINT, SIGTERM });
    wireSharedInstances();

    TrayShell tray;
    tray.show();

    const X11WindowSystemInfo windowSystem;
    QString session = QStringLiteral("started %1 on %2").arg(QStringLiteral(QUICKHALO_VERSION), QGuiApplication::platformName());
    if (windowSystem.isConnected()) {
        const QString manager = windowSystem.windowManagerName();
        session += QStringLiteral(" (window manager: %1, compositor: %2)")
                       .arg(manager.isEmpty() ? QStringLiteral("none") : manager,
                           windowSystem.isCompositing() ? QStringLiteral("yes") : QStringLiteral("no"));
    }
    Log::write(session);
    if (!tray.hasTrayHost())
        Log::write(QStringLiteral("no system tray found; running without a tray icon"));

    const int status = QApplication::exec();
    Log::write(QStringLiteral("stopped"));
    return status;
}

}

int main(int argc, char** argv)
{
    if (wantsCommandLineTool(argc, argv))
        return runCommandLineTool(argc, argv);
    return runTrayApplication(argc, argv);
}
