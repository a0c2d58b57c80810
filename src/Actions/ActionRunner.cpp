#include "Actions/ActionRunner.h"

#include "Actions/ErrorLineReader.h"
#include "Actions/ToastPresenter.h"
#include "App/Log.h"
#include "App/Paths.h"

#include <memory>
#include <utility>
#include <variant>

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>

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

void ActionRunner::run(const ActionKind& kind)
{
    if (const auto* shell = std::get_if<Actions::Shell>(&kind)) {
        runProcess(m_shell, { QStringLiteral("-lc"), shell->command }, QStringLiteral("Command failed"));
    } else if (const auto* shortcut = std::get_if<Actions::Shortcut>(&kind)) {
        runShortcut(shortcut->name);
    } else if (const auto* builtin = std::get_if<Actions::Builtin>(&kind)) {
        Log::write(
            QStringLiteral("the built-in tool “%1” is not available yet").arg(BuiltinTools::title(builtin->tool)));
    } else {
        Log::write(QStringLiteral("“%1” slices are not available yet").arg(KindTypes::label(KindTypes::of(kind))));
    }
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
