#pragma once

#include "Platform/DefaultApplications.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace Quickhalo {

// Where the XDG conventions look; injected so that tests can build a whole desktop in a folder.
struct XdgEnvironment {
    QString configHome;
    QStringList configDirs;
    QString dataHome;
    QStringList dataDirs;
    QStringList currentDesktops; // $XDG_CURRENT_DESKTOP, most specific first
    QStringList executableDirs; // $PATH
    QString locale; // POSIX locale name, such as "de_DE.UTF-8"
    QString alternativesDir = QStringLiteral("/etc/alternatives");

    static XdgEnvironment fromProcessEnvironment();
    // Applies the XDG base directory defaults; relative paths in the variables are ignored.
    static XdgEnvironment fromEnvironment(const QProcessEnvironment& environment);
};

// Default applications as desktop entries, mimeapps.list, xdg-terminals.list and Debian
// alternatives describe them. Reads the files anew on every call.
class XdgDefaultApplications final : public DefaultApplications {
public:
    explicit XdgDefaultApplications(XdgEnvironment environment);

    std::optional<DesktopApplication> find(ApplicationRole role) const override;

private:
    XdgEnvironment m_environment;
};

}
