#include "Actions/ActionRunner.h"

#include "Actions/ErrorLineReader.h"
#include "Base/Log.h"
#include "Base/Paths.h"
#include "Base/ToastPresenter.h"
#include "Platform/ApplicationLauncher.h"
#include "Platform/ScreenCapture.h"
#include "Tools/ToolRegistry.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <type_traits>
#include <utility>
#include <variant>

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QUuid>

namespace Quickhalo {

namespace {
QString failureSymbol()
{
    return QStringLiteral("exclamationmark.triangle.fill");
}
QString successSymbol()
{
    return QStringLiteral("checkmark.circle.fill");
}
}

ActionRunner::ActionRunner(ToastPresenter& toasts, QString shell, QString shortcutsFolder)
    : m_toasts(toasts)
    , m_shell(std::move(shell))
    , m_shortcutsFolder(std::move(shortcutsFolder))
{ }

ActionRunner::ActionRunner(ToastPresenter& toasts)
    : ActionRunner(toasts, loginShell(qEnvironmentVariable("SHELL")), defaultShortcutsFolder())
{ }

void ActionRunner::run(const ActionKind& kind, const ActionContext& context)
{
    std::visit(
        [this, &context](const auto& action) {
            using Action = std::decay_t<decltype(action)>;
            if constexpr (std::is_same_v<Action, Actions::Shell>)
                runProcess(m_shell, { QStringLiteral("-lc"), action.command }, QStringLiteral("Command failed"));
            else if constexpr (std::is_same_v<Action, Actions::Shortcut>)
                runShortcut(action.name);
            else if constexpr (std::is_same_v<Action, Actions::Builtin>)
                runBuiltin(action.tool, context);
            else if constexpr (std::is_same_v<Action, Actions::App>)
                openApp(action.path);
            else if constexpr (std::is_same_v<Action, Actions::Url>)
                openUrl(action.address);
            else if constexpr (std::is_same_v<Action, Actions::Snap>)
                snap(action.position, context.target);
        },
        kind);
}

void ActionRunner::notAvailable(const QString& what)
{
    Log::write(what + QStringLiteral(" is not available yet"));
}

QString ActionRunner::program(const QString& name) const
{
    return m_services.findProgram ? m_services.findProgram(name) : QStandardPaths::findExecutable(name);
}

void ActionRunner::runBuiltin(BuiltinTool tool, const ActionContext& context)
{
    const ToolEntry& entry = ToolRegistry::entry(tool);
    switch (entry.run) {
    case ToolRun::action:
        if (!runToolAction(tool, context))
            notAvailable(QStringLiteral("the built-in tool “") + entry.title() + QStringLiteral("”"));
        return;
    case ToolRun::ring:
        // Navigation, not an action: the ring opens the tool's own ring itself.
        notAvailable(QStringLiteral("the ring of “") + entry.title() + QStringLiteral("” outside the ring"));
        return;
    case ToolRun::panel:
        if (!m_services.openTool || !m_services.openTool(tool, context))
            notAvailable(QStringLiteral("the built-in tool “") + entry.title() + QStringLiteral("”"));
        return;
    }
}

bool ActionRunner::runToolAction(BuiltinTool tool, const ActionContext& context)
{
    switch (tool) {
    case BuiltinTool::sleepDisplay: {
        const QString xset = program(QStringLiteral("xset"));
        runProcess(xset.isEmpty() ? QStringLiteral("/usr/bin/xset") : xset,
            { QStringLiteral("dpms"), QStringLiteral("force"), QStringLiteral("off") },
            QStringLiteral("Couldn't sleep display"));
        return true;
    }
    case BuiltinTool::mute:
        toggleMuteWithPulse();
        return true;
    case BuiltinTool::volume:
        toggleVolumeMute();
        return true;
    case BuiltinTool::screenshot:
        screenshot();
        return true;
    case BuiltinTool::colorPicker:
        pickColour(context.target);
        return true;
    default:
        return false;
    }
}

void ActionRunner::openApp(const QString& path)
{
    QString expanded = path;
    if (expanded == QLatin1String("~") || expanded.startsWith(QLatin1String("~/")))
        expanded = QDir::homePath() + expanded.mid(1);
    // Trailing separators would leave no last component to name.
    while (expanded.size() > 1 && expanded.endsWith(QLatin1Char('/')))
        expanded.chop(1);
    const QString name = QFileInfo(expanded).fileName();
    if (expanded.isEmpty() || !QFileInfo::exists(expanded)) {
        m_toasts.show(QStringLiteral("App not found: ") + name, failureSymbol());
        return;
    }
    if (!m_services.launcher) {
        notAvailable(QStringLiteral("launching applications"));
        return;
    }
    ToastPresenter& toasts = m_toasts;
    QPointer<QObject> alive(&m_lifetime);
    m_services.launcher->launch(expanded, [&toasts, alive, name](const QString& reason) {
        if (alive)
            toasts.show(QStringLiteral("Couldn't open ") + name + QStringLiteral(": ") + reason, failureSymbol());
    });
}

QUrl ActionRunner::addressFrom(const QString& text)
{
    QString trimmed = text.trimmed();
    if (!trimmed.contains(QLatin1String("://")))
        trimmed.prepend(QStringLiteral("https://"));
    const QUrl address(trimmed, QUrl::StrictMode);
    // "https://" alone, or a scheme with nothing after it, names nothing to open.
    if (!address.isValid() || address.scheme().isEmpty() || (address.host().isEmpty() && address.path().isEmpty()))
        return {};
    return address;
}

void ActionRunner::openUrl(const QString& text)
{
    const QUrl address = addressFrom(text);
    const QString invalid = QStringLiteral("Invalid URL");
    if (!address.isValid()) {
        m_toasts.show(invalid, failureSymbol());
        return;
    }
    if (!m_services.launcher) {
        notAvailable(QStringLiteral("opening addresses"));
        return;
    }
    ToastPresenter& toasts = m_toasts;
    QPointer<QObject> alive(&m_lifetime);
    m_services.launcher->open(address, [&toasts, alive, invalid](const QString& reason) {
        if (!alive)
            return;
        Log::write(QStringLiteral("cannot open an address: ") + reason);
        toasts.show(invalid, failureSymbol());
    });
}

void ActionRunner::toggleMuteWithPulse()
{
    // The scripting route of the mute tool: the sound server's own command-line client.
    const QString pactl = program(QStringLiteral("pactl"));
    const QString failure = QStringLiteral("Couldn't change volume");
    if (pactl.isEmpty()) {
        m_toasts.show(failure + QStringLiteral(": pactl is not installed"), failureSymbol());
        return;
    }
    ToastPresenter& toasts = m_toasts;
    QPointer<QObject> alive(&m_lifetime);
    runProcess(pactl, { QStringLiteral("set-sink-mute"), QStringLiteral("@DEFAULT_SINK@"), QStringLiteral("toggle") },
        failure, std::nullopt, [this, pactl, alive, &toasts, failure](int status) {
            if (status != 0 || !alive)
                return;
            auto* query = new QProcess;
            query->setStandardInputFile(QProcess::nullDevice());
            QObject::connect(query, &QProcess::finished, &m_lifetime, [query, &toasts, failure](int code) {
                const QString answer = QString::fromUtf8(query->readAllStandardOutput()).trimmed();
                query->deleteLater();
                // "Mute: yes" or "Mute: no"; the word is not translated.
                if (code != 0 || !answer.startsWith(QLatin1String("Mute:"))) {
                    toasts.show(failure, failureSymbol());
                    return;
                }
                const bool muted = answer.endsWith(QLatin1String("yes"));
                toasts.show(muted ? QStringLiteral("Muted") : QStringLiteral("Unmuted"),
                    muted ? QStringLiteral("speaker.slash.fill") : QStringLiteral("speaker.wave.2.fill"));
            });
            QObject::connect(
                query, &QProcess::errorOccurred, &m_lifetime, [query, &toasts, failure](QProcess::ProcessError error) {
                    if (error != QProcess::FailedToStart)
                        return;
                    query->deleteLater();
                    toasts.show(failure, failureSymbol());
                });
            query->start(pactl, { QStringLiteral("get-sink-mute"), QStringLiteral("@DEFAULT_SINK@") });
        });
}

void ActionRunner::toggleVolumeMute()
{
    VolumeControl* volume = m_services.volume;
    if (!volume) {
        notAvailable(QStringLiteral("the output volume"));
        return;
    }
    volume->refresh();
    if (!volume->isAdjustable()) {
        m_toasts.show(QStringLiteral("This output has no volume control"), failureSymbol());
        return;
    }
    volume->refresh();
    volume->setMuted(!volume->isMuted());
    const bool muted = volume->isMuted();
    m_toasts.show(muted ? QStringLiteral("Muted") : QStringLiteral("Unmuted"),
        muted ? QStringLiteral("speaker.slash.fill") : QStringLiteral("speaker.wave.2.fill"));
}

void ActionRunner::screenshot()
{
    ScreenCapture* capture = m_services.capture;
    ClipboardAccess* clipboard = m_services.clipboard;
    if (!capture || !clipboard) {
        notAvailable(QStringLiteral("taking screenshots"));
        return;
    }
    const quint64 before = clipboard->changeCount();
    ToastPresenter& toasts = m_toasts;
    QPointer<QObject> alive(&m_lifetime);
    capture->captureToClipboard([alive, &toasts, clipboard, before](ScreenCapture::Result result) {
        if (!alive)
            return;
        if (!result.succeeded) {
            toasts.show(QStringLiteral("Screenshot failed")
                    + (result.error.isEmpty() ? QString() : QStringLiteral(": ") + result.error),
                failureSymbol());
            return;
        }
        // An unchanged clipboard means the pick was cancelled.
        if (clipboard->changeCount() != before)
            toasts.show(QStringLiteral("Screenshot copied"), QStringLiteral("camera.viewfinder"));
    });
}

QString ActionRunner::hexColour(double red, double green, double blue)
{
    auto component = [](double value) {
        const long scaled = std::lround(std::clamp(value, 0.0, 1.0) * 255.0);
        return QStringLiteral("%1").arg(scaled, 2, 16, QLatin1Char('0')).toUpper();
    };
    return QStringLiteral("#") + component(red) + component(green) + component(blue);
}

void ActionRunner::pickColour(const std::optional<TargetApplication>& target)
{
    ScreenCapture* capture = m_services.capture;
    if (!capture || !m_services.copyText) {
        notAvailable(QStringLiteral("picking colours"));
        return;
    }
    QPointer<QObject> alive(&m_lifetime);
    capture->pickColour([this, alive, target](std::optional<ScreenCapture::Colour> colour) {
        if (!alive || !colour)
            return;
        const QString text = hexColour((*colour)[0], (*colour)[1], (*colour)[2]);
        m_services.copyText(text);
        const QString copied = QStringLiteral("Copied ") + text;
        if (m_services.pasteOrToast)
            m_services.pasteOrToast(copied, target);
        else
            m_toasts.show(copied, successSymbol());
    });
}

void ActionRunner::snap(WindowPosition position, const std::optional<TargetApplication>& target)
{
    if (!m_services.snap) {
        notAvailable(QStringLiteral("window snapping"));
        return;
    }
    m_services.snap(position, target);
}

void ActionRunner::runShortcut(const QString& name)
{
    const QString failure = QStringLiteral("Shortcut “") + name + QStringLiteral("” failed");
    // The name is joined to the folder, so anything but a plain file name could leave it.
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('/'))
        || name.contains(QChar(u'\0'))) {
        m_toasts.show(
            failure + QStringLiteral(": the name is not a file name in ") + m_shortcutsFolder, failureSymbol());
        return;
    }
    runProcess(m_shortcutsFolder + QLatin1Char('/') + name, {}, failure);
}

void ActionRunner::runProcess(const QString& executable, const QStringList& arguments, const QString& failure,
    std::optional<QString> success, std::function<void(int)> completion)
{
    // Nothing owns the process: deleting a running QProcess kills its child, so each one deletes
    // itself once its child has ended, and is left alone when Quickhalo quits first.
    auto* process = new QProcess;
    process->setProgram(executable);
    process->setArguments(arguments);
    // There is no input to give; an open pipe would hang a command that reads.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    // Its own session: signals meant for Quickhalo's terminal or process group miss the command.
    process->setChildProcessModifier([] { ::setsid(); });

    // Read as it comes, or a command that fills the pipe would stall before it ends.
    auto reader = std::make_shared<ErrorLineReader>();
    QObject::connect(process, &QProcess::readyReadStandardError, process,
        [process, reader] { reader->append(process->readAllStandardError()); });

    QObject::connect(
        process, &QProcess::errorOccurred, &m_lifetime, [this, process, failure](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                m_toasts.show(failure + QStringLiteral(": ") + process->errorString(), failureSymbol());
        });
    QObject::connect(process, &QProcess::finished, &m_lifetime,
        [this, process, reader, failure, success = std::move(success), completion = std::move(completion)](
            int exitCode, QProcess::ExitStatus exitStatus) {
            reader->append(process->readAllStandardError());
            const QString line = reader->finish();
            if (exitStatus == QProcess::CrashExit || exitCode != 0) {
                QString text = failure;
                if (!line.isEmpty())
                    text += QStringLiteral(": ") + line;
                m_toasts.show(text, failureSymbol());
            } else if (success) {
                m_toasts.show(*success, successSymbol());
            }
            if (completion)
                completion(exitCode);
        });

    QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            process->deleteLater();
    });
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->start();
}

QString ActionRunner::loginShell(const QString& shellVariable)
{
    const QFileInfo shell(shellVariable);
    if (!shellVariable.isEmpty() && QDir::isAbsolutePath(shellVariable) && shell.isFile() && shell.isExecutable())
        return shellVariable;
    return QStringLiteral("/bin/sh");
}

QString ActionRunner::defaultShortcutsFolder()
{
    return Paths::configDirectory() + QStringLiteral("/shortcuts");
}

}
