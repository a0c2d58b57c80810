#pragma once

#include "Ring/RingServices.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace Quickhalo {

class ToastPresenter;

// Carries out a chosen slice. Shell commands and user shortcuts run as processes whose failures
// are shown as toasts; those processes are the user's and outlive the runner and Quickhalo.
// The other kinds of slice are only logged as not available yet.
class ActionRunner final : public ActionExecutor {
public:
    // Shell slices run as `shell` -lc TEXT; shortcuts are the executable files in `shortcutsFolder`.
    ActionRunner(ToastPresenter& toasts, QString shell, QString shortcutsFolder);
    // With the user's login shell and the shortcuts folder under the configuration folder.
    explicit ActionRunner(ToastPresenter& toasts);

    void run(const ActionKind& kind) override;

    // Starts the program at the absolute path `executable` with `arguments` (no shell) and
    // returns at once. A failed start, a non-zero exit or a crash shows `failure` with the
    // reason or the first line of the error output; status 0 shows `success` when given. Then
    // `completion` gets the exit status. Nothing is reported once the runner is gone.
    void runProcess(const QString& executable, const QStringList& arguments, const QString& failure,
        std::optional<QString> success = {}, std::function<void(int)> completion = {});

    // `shellVariable` (the value of $SHELL) when it is the absolute path of an executable file,
    // otherwise /bin/sh.
    static QString loginShell(const QString& shellVariable);
    // $XDG_CONFIG_HOME/Quickhalo/shortcuts, by default ~/.config/Quickhalo/shortcuts.
    static QString defaultShortcutsFolder();

private:
    void runShortcut(const QString& name);

    ToastPresenter& m_toasts;
    QString m_shell;
    QString m_shortcutsFolder;
    // Context of the report connections, so that processes outliving the runner report nothing.
    QObject m_lifetime;
};

}
