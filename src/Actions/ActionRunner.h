#pragma once

#include "Platform/FrontmostApplication.h"
#include "Ring/RingServices.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

namespace Quickhalo {

class ApplicationLauncher;
class ClipboardAccess;
class ScreenCapture;
class ToastPresenter;

// Carries out a chosen slice and shows what the user should notice as a toast. Shell commands and
// user shortcuts run as processes; those are the user's and outlive the runner and Quickhalo.
// What it needs of the ring comes with each action; it never calls back into the ring.
class ActionRunner final : public ActionExecutor {
public:
    // What the runner reaches beyond processes; a missing one makes its actions say so in the log.
    struct Services {
        ApplicationLauncher* launcher = nullptr;
        VolumeControl* volume = nullptr;
        // Moves the target's window; shows its own toasts.
        std::function<bool(WindowPosition, const std::optional<TargetApplication>&)> snap = {};
        // Opens the tool's panel, its result going to the context's target; false when the tool
        // has no face yet.
        std::function<bool(BuiltinTool, const ActionContext&)> openTool = {};
        // Finds a program on $PATH; empty when missing.
        std::function<QString(const QString&)> findProgram = {};
        ScreenCapture* capture = nullptr;
        ClipboardAccess* clipboard = nullptr;
        // Puts a text on the clipboard for the user; the clipboard history takes it once.
        std::function<void(const QString&)> copyText = {};
        // Pastes what was just copied into the target, or confirms the copy with this text.
        std::function<void(const QString&, const std::optional<TargetApplication>&)> pasteOrToast = {};
    };

    // Shell slices run as `shell` -lc TEXT; shortcuts are the executable files in `shortcutsFolder`.
    ActionRunner(ToastPresenter& toasts, QString shell, QString shortcutsFolder);
    // With the user's login shell and the shortcuts folder under the configuration folder.
    explicit ActionRunner(ToastPresenter& toasts);

    void setServices(Services services) { m_services = std::move(services); }

    void run(const ActionKind& kind, const ActionContext& context) override;
    // An action with no ring behind it: no target, no origin.
    void run(const ActionKind& kind) { run(kind, {}); }

    // The address an URL slice opens: trimmed, "https://" put in front when it has no scheme
    // separator. Invalid when it does not parse.
    static QUrl addressFrom(const QString& text);
    // "#RRGGBB" from sRGB components, rounded half away from zero; components outside 0..1 are
    // clamped so that the text stays a colour.
    static QString hexColour(double red, double green, double blue);

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
    void runBuiltin(BuiltinTool tool, const ActionContext& context);
    // The tools the runner carries out itself; false for one it does not know.
    bool runToolAction(BuiltinTool tool, const ActionContext& context);
    void openApp(const QString& path);
    void openUrl(const QString& text);
    void toggleMuteWithPulse();
    void screenshot();
    void pickColour(const std::optional<TargetApplication>& target);
    void toggleVolumeMute();
    void snap(WindowPosition position, const std::optional<TargetApplication>& target);
    QString program(const QString& name) const;
    void notAvailable(const QString& what);

    Services m_services;
    ToastPresenter& m_toasts;
    QString m_shell;
    QString m_shortcutsFolder;
    // Context of the report connections, so that processes outliving the runner report nothing.
    QObject m_lifetime;
};

}
