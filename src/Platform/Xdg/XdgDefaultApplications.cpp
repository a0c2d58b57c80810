#include "Platform/Xdg/XdgDefaultApplications.h"

#include <cstddef>
#include <functional>
#include <tuple>
#include <utility>
#include <vector>

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include "Platform/Xdg/ApplicationCatalog.h"
#include "Platform/Xdg/DesktopEntry.h"

namespace Quickhalo {

namespace {

using Xdg::Catalog;
using Xdg::InstalledEntry;
using Xdg::dataRoots;
using Xdg::findExecutable;
using Xdg::isExecutableFile;

// Beyond this a symlink chain is taken to be a loop.
constexpr int maximumLinkHops = 40;


QStringList configRoots(const XdgEnvironment& environment)
{
    QStringList roots;
    if (!environment.configHome.isEmpty())
        roots.append(environment.configHome);
    for (const QString& directory : environment.configDirs) {
        if (!directory.isEmpty())
            roots.append(directory);
    }
    return roots;
}

// "<desktop>-<name>" for each current desktop in lower case, then the plain name.
QStringList desktopSpecificNames(const XdgEnvironment& environment, const QString& name)
{
    QStringList names;
    for (const QString& desktop : environment.currentDesktops)
        names.append(desktop.toLower() + u'-' + name);
    names.append(name);
    return names;
}


// Lower ranks win; nothing means "not a candidate".
using Ranking = std::function<std::optional<qsizetype>(const InstalledEntry&)>;

// Ties go to entries shown in menus, then to data-root precedence, then to the ID, so the
// answer never depends on directory listing order.
const InstalledEntry* pickBest(const Catalog& catalog, const Ranking& rank)
{
    const InstalledEntry* best = nullptr;
    std::tuple<qsizetype, bool, qsizetype, QString> bestKey;
    for (const InstalledEntry& candidate : catalog.entries()) {
        const std::optional<qsizetype> candidateRank = rank(candidate);
        if (!candidateRank)
            continue;
        auto key = std::make_tuple(*candidateRank, candidate.entry.noDisplay(), candidate.dataRootIndex, candidate.id);
        if (best == nullptr || key < bestKey) {
            best = &candidate;
            bestKey = std::move(key);
        }
    }
    return best;
}

// Discovery only offers entries meant for the current desktop.
const InstalledEntry* discover(const Catalog& catalog, const XdgEnvironment& environment, const Ranking& rank)
{
    return pickBest(catalog, [&](const InstalledEntry& candidate) -> std::optional<qsizetype> {
        if (!candidate.entry.isShownIn(environment.currentDesktops))
            return std::nullopt;
        return rank(candidate);
    });
}

// The mimeapps.list files (then the legacy defaults.list files) in precedence order.
class MimeAssociations {
public:
    explicit MimeAssociations(const XdgEnvironment& environment)
    {
        for (const QString& root : configRoots(environment))
            addLocation(root, 0, environment);
        const QStringList roots = dataRoots(environment);
        for (qsizetype index = 0; index < roots.size(); ++index)
            addLocation(roots[index] + u"/applications", index, environment);
        for (const QString& root : roots)
            addFile(root + u"/applications/defaults.list", false, 0);
    }

    // The first listed ID that is installed, in the first file whose list has one.
    const InstalledEntry* defaultFor(const QString& mimeType, const Catalog& catalog) const
    {
        for (const File& file : m_files) {
            for (const QString& id : KeyFile::unescapeList(file.defaults.value(mimeType))) {
                if (const InstalledEntry* entry = catalog.find(id))
                    return entry;
            }
        }
        return nullptr;
    }

    // Whether the entry handles the type once added and removed associations apply. A file's
    // associations reach only entries from its own data root or later ones.
    bool isAssociated(const InstalledEntry& candidate, const QString& mimeType) const
    {
        for (const File& file : m_files) {
            if (file.scope > candidate.dataRootIndex)
                continue;
            if (KeyFile::unescapeList(file.added.value(mimeType)).contains(candidate.id))
                return true;
            if (KeyFile::unescapeList(file.removed.value(mimeType)).contains(candidate.id))
                return false;
        }
        return candidate.entry.mimeTypes().contains(mimeType);
    }

private:
    struct File {
        KeyFile::Group defaults;
        KeyFile::Group added;
        KeyFile::Group removed;
        qsizetype scope = 0;
    };

    void addLocation(const QString& directory, qsizetype scope, const XdgEnvironment& environment)
    {
        const QString plainName = QStringLiteral("mimeapps.list");
        for (const QString& name : desktopSpecificNames(environment, plainName))
            addFile(directory + u'/' + name, name == plainName, scope);
    }

    // Desktop-specific files may only choose defaults.
    void addFile(const QString& path, bool mayAssociate, qsizetype scope)
    {
        const std::optional<QByteArray> bytes = KeyFile::readFile(path);
        if (!bytes)
            return;
        File file;
        file.defaults = KeyFile::readGroup(*bytes, u"Default Applications").value_or(KeyFile::Group());
        if (mayAssociate) {
            file.added = KeyFile::readGroup(*bytes, u"Added Associations").value_or(KeyFile::Group());
            file.removed = KeyFile::readGroup(*bytes, u"Removed Associations").value_or(KeyFile::Group());
        }
        file.scope = scope;
        m_files.push_back(std::move(file));
    }

    std::vector<File> m_files;
};

QString alternativeExecutable(const XdgEnvironment& environment, const QString& name)
{
    if (!environment.alternativesDir.isEmpty()) {
        const QString link = environment.alternativesDir + u'/' + name;
        if (isExecutableFile(link))
            return link;
    }
    return findExecutable(name, environment.executableDirs);
}

// The file names an alternative's symlink chain passes through, final target first. Debian's
// ".wrapper" scripts also answer to the name they wrap.
QStringList alternativeTargetNames(const XdgEnvironment& environment, const QString& alternative)
{
    QString start = environment.alternativesDir + u'/' + alternative;
    if (environment.alternativesDir.isEmpty() || !QFileInfo(start).isSymLink())
        start = findExecutable(alternative, environment.executableDirs);
    if (start.isEmpty())
        return {};

    QStringList chain;
    QFileInfo link(start);
    for (int hop = 0; hop < maximumLinkHops && link.isSymLink(); ++hop) {
        link.setFile(link.symLinkTarget());
        chain.prepend(link.fileName());
    }
    if (link.isSymLink() || !isExecutableFile(link.filePath()))
        return {};

    QStringList names;
    for (const QString& name : std::as_const(chain)) {
        if (name == alternative)
            continue;
        names.append(name);
        if (name.endsWith(u".wrapper"))
            names.append(name.chopped(8));
    }
    return names;
}

DesktopApplication applicationFor(const InstalledEntry& installed, const QString& locale)
{
    QString name = installed.entry.name(locale);
    if (name.isEmpty())
        name = QFileInfo(installed.path).completeBaseName();
    return { installed.path, name };
}

class Resolver {
public:
    explicit Resolver(const XdgEnvironment& environment)
        : m_environment(environment)
        , m_catalog(environment)
    { }

    const InstalledEntry* fileManager() const
    {
        return defaultOrDiscovered({ QStringLiteral("inode/directory") }, QStringLiteral("FileManager"));
    }

    const InstalledEntry* webBrowser() const
    {
        return defaultOrDiscovered({ QStringLiteral("x-scheme-handler/https"), QStringLiteral("x-scheme-handler/http"),
                                       QStringLiteral("text/html") },
            QStringLiteral("WebBrowser"));
    }

    const InstalledEntry* terminal() const
    {
        if (const InstalledEntry* listed = listedTerminal())
            return listed;
        if (const InstalledEntry* alternative = alternativeTerminal())
            return alternative;
        return discover(m_catalog, m_environment, [](const InstalledEntry& candidate) -> std::optional<qsizetype> {
            if (!candidate.entry.categories().contains(u"TerminalEmulator"))
                return std::nullopt;
            return 0;
        });
    }

    const InstalledEntry* systemMonitor() const
    {
        return discover(m_catalog, m_environment, [](const InstalledEntry& candidate) -> std::optional<qsizetype> {
            const QStringList categories = candidate.entry.categories();
            if (!categories.contains(u"System") || !categories.contains(u"Monitor"))
                return std::nullopt;
            return candidate.entry.terminal() ? 1 : 0;
        });
    }

private:
    // Defaults for every type come before discovery for any: a chosen default is the user's word.
    const InstalledEntry* defaultOrDiscovered(const QStringList& mimeTypes, const QString& category) const
    {
        const MimeAssociations associations(m_environment);
        for (const QString& mimeType : mimeTypes) {
            if (const InstalledEntry* chosen = associations.defaultFor(mimeType, m_catalog))
                return chosen;
        }
        const auto typeCount = mimeTypes.size();
        return discover(m_catalog, m_environment, [&](const InstalledEntry& candidate) -> std::optional<qsizetype> {
            for (qsizetype index = 0; index < typeCount; ++index) {
                if (associations.isAssociated(candidate, mimeTypes[index]))
                    return (candidate.entry.categories().contains(category) ? 0 : typeCount) + index;
            }
            return std::nullopt;
        });
    }

    const InstalledEntry* listedTerminal() const
    {
        const QString plainName = QStringLiteral("xdg-terminals.list");
        for (const QString& root : configRoots(m_environment)) {
            for (const QString& name : desktopSpecificNames(m_environment, plainName)) {
                const std::optional<QByteArray> bytes = KeyFile::readFile(root + u'/' + name);
                if (!bytes)
                    continue;
                for (const QByteArray& line : bytes->split('\n')) {
                    const QString id = QString::fromUtf8(line).trimmed();
                    if (id.isEmpty() || id.startsWith(u'#'))
                        continue;
                    if (const InstalledEntry* entry = m_catalog.find(id))
                        return entry;
                }
            }
        }
        return nullptr;
    }

    // The alternative is the administrator's explicit choice, so the entry naming its program
    // counts whatever desktop it is meant for.
    const InstalledEntry* alternativeTerminal() const
    {
        const QStringList names = alternativeTargetNames(m_environment, QStringLiteral("x-terminal-emulator"));
        if (names.isEmpty())
            return nullptr;
        return pickBest(m_catalog, [&names](const InstalledEntry& candidate) -> std::optional<qsizetype> {
            const qsizetype index = names.indexOf(QFileInfo(candidate.entry.execProgram()).fileName());
            if (index < 0)
                return std::nullopt;
            return index * 2 + (candidate.entry.categories().contains(u"TerminalEmulator") ? 0 : 1);
        });
    }

    const XdgEnvironment& m_environment;
    Catalog m_catalog;
};

QString absolutePathOr(const QString& value, const QString& fallback)
{
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return fallback;
}

QStringList absolutePathsOr(const QString& value, const QStringList& fallback)
{
    QStringList paths;
    for (const QString& path : value.split(u':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(path))
            paths.append(QDir::cleanPath(path));
    }
    return paths.isEmpty() ? fallback : paths;
}

}

XdgEnvironment XdgEnvironment::fromProcessEnvironment()
{
    return fromEnvironment(QProcessEnvironment::systemEnvironment());
}

XdgEnvironment XdgEnvironment::fromEnvironment(const QProcessEnvironment& environment)
{
    const auto variable = [&environment](const char* name) { return environment.value(QString::fromLatin1(name)); };
    const QString home = absolutePathOr(variable("HOME"), QDir::homePath());

    XdgEnvironment result;
    result.configHome = absolutePathOr(variable("XDG_CONFIG_HOME"), home + u"/.config");
    result.configDirs = absolutePathsOr(variable("XDG_CONFIG_DIRS"), { QStringLiteral("/etc/xdg") });
    result.dataHome = absolutePathOr(variable("XDG_DATA_HOME"), home + u"/.local/share");
    result.dataDirs = absolutePathsOr(
        variable("XDG_DATA_DIRS"), { QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share") });
    result.currentDesktops = variable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
    result.executableDirs = absolutePathsOr(
        variable("PATH"), { QStringLiteral("/usr/local/bin"), QStringLiteral("/usr/bin"), QStringLiteral("/bin") });
    for (const char* name : { "LC_ALL", "LC_MESSAGES", "LANG" }) {
        result.locale = variable(name);
        if (!result.locale.isEmpty())
            break;
    }
    return result;
}

XdgDefaultApplications::XdgDefaultApplications(XdgEnvironment environment)
    : m_environment(std::move(environment))
{ }

std::optional<DesktopApplication> XdgDefaultApplications::find(ApplicationRole role) const
{
    const Resolver resolver(m_environment);
    const InstalledEntry* found = nullptr;
    switch (role) {
    case ApplicationRole::fileManager:
        found = resolver.fileManager();
        break;
    case ApplicationRole::webBrowser:
        found = resolver.webBrowser();
        if (found == nullptr) {
            const QString browser = alternativeExecutable(m_environment, QStringLiteral("x-www-browser"));
            if (!browser.isEmpty())
                return DesktopApplication { browser, QStringLiteral("Web Browser") };
        }
        break;
    case ApplicationRole::terminal:
        found = resolver.terminal();
        if (found == nullptr) {
            const QString terminal = alternativeExecutable(m_environment, QStringLiteral("x-terminal-emulator"));
            if (!terminal.isEmpty())
                return DesktopApplication { terminal, QStringLiteral("Terminal") };
        }
        break;
    case ApplicationRole::systemMonitor:
        found = resolver.systemMonitor();
        break;
    }
    if (found == nullptr)
        return std::nullopt;
    return applicationFor(*found, m_environment.locale);
}

}
