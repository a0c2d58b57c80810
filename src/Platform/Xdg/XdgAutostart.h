#pragma once

#include "Platform/LoginItem.h"
#include "Platform/Xdg/XdgDefaultApplications.h"

namespace Quickhalo {

// Launch at login as an XDG autostart entry, "$XDG_CONFIG_HOME/autostart/quickhalo.desktop",
// which every freedesktop session manager starts. Enabled means the user's entry exists and
// is not switched off (Hidden=true, or GNOME's X-GNOME-Autostart-enabled=false); without a user
// entry a system-wide one in $XDG_CONFIG_DIRS decides.
class XdgAutostart final : public LoginItem {
public:
    static inline const QString fileName = QStringLiteral("quickhalo.desktop");
    // Passed by the entry, so that a Quickhalo already running when the session starts (restored
    // by the session manager, say) is left alone instead of being asked for its settings.
    static inline const QString startArgument = QStringLiteral("--autostart");

    // `executable` is what the entry starts: the program that is running.
    XdgAutostart(XdgEnvironment environment, QString executable);

    QString entryPath() const;
    bool isEnabled() const override;
    std::optional<QString> setEnabled(bool enabled) override;

    // The entry's text for `executable`; `hidden` writes one that switches off a system entry.
    static QByteArray entryText(const QString& executable, bool hidden = false);

private:
    QString systemEntryPath() const;

    XdgEnvironment m_environment;
    QString m_executable;
};

}
