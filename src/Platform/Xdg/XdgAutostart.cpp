#include "Platform/Xdg/XdgAutostart.h"

#include "Base/UserFile.h"
#include "Platform/Xdg/DesktopEntry.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace Quickhalo {

namespace {

// An entry is on unless it says otherwise; one that cannot be read starts nothing.
bool entryIsOn(const QString& path)
{
    const std::optional<DesktopEntry> entry = DesktopEntry::load(path);
    if (!entry)
        return false;
    if (entry->hidden())
        return false;
    return !entry->contains(QStringLiteral("X-GNOME-Autostart-enabled"))
        || entry->boolean(QStringLiteral("X-GNOME-Autostart-enabled"));
}

bool somethingIsAt(const QString& path)
{
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

}

XdgAutostart::XdgAutostart(XdgEnvironment environment, QString executable)
    : m_environment(std::move(environment))
    , m_executable(std::move(executable))
{ }

QString XdgAutostart::entryPath() const
{
    return m_environment.configHome + QStringLiteral("/autostart/") + fileName;
}

QString XdgAutostart::systemEntryPath() const
{
    for (const QString& directory : m_environment.configDirs) {
        const QString path = directory + QStringLiteral("/autostart/") + fileName;
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

bool XdgAutostart::isEnabled() const
{
    const QString user = entryPath();
    if (somethingIsAt(user))
        return entryIsOn(user);
    const QString system = systemEntryPath();
    return !system.isEmpty() && entryIsOn(system);
}

std::optional<QString> XdgAutostart::setEnabled(bool enabled)
{
    const QString path = entryPath();
    if (enabled && m_executable.contains(u'%')) {
        // Written as "%%" the entry is correct, but GLib, and so GNOME, looks for a program of
        // that literal name and starts nothing.
        return QStringLiteral("Quickhalo's path %1 holds a '%', which desktop sessions cannot start. Move it to a "
                              "folder without one.")
            .arg(m_executable);
    }
    if (enabled || !systemEntryPath().isEmpty()) {
        // A system-wide entry can only be switched off by a user entry that hides it.
        if (const auto error = UserFile::write(path, entryText(m_executable, !enabled)))
            return QStringLiteral("Could not write %1: %2").arg(path, *error);
        return std::nullopt;
    }
    if (!somethingIsAt(path))
        return std::nullopt;
    if (::unlink(QFile::encodeName(path).constData()) != 0)
        return QStringLiteral("Could not remove %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    return std::nullopt;
}

QByteArray XdgAutostart::entryText(const QString& executable, bool hidden)
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Quickhalo\n"
                                  "Comment=A radial menu under the pointer\n");
    text += QStringLiteral("Exec=") + KeyFile::escapeString(KeyFile::quoteExecArgument(executable)) + u' '
        + startArgument + u'\n';
    text += QStringLiteral("Terminal=false\n");
    text += hidden ? QStringLiteral("Hidden=true\n") : QStringLiteral("X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

}
