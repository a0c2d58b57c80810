#include "Platform/Xdg/ApplicationCatalog.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

namespace Quickhalo::Xdg {

namespace {

bool isUsable(const DesktopEntry& entry, const XdgEnvironment& environment)
{
    if (entry.hidden() || entry.type() != u"Application")
        return false;
    const QString tryExec = entry.tryExec();
    return tryExec.isEmpty() || !findExecutable(tryExec, environment.executableDirs).isEmpty();
}

}

bool isExecutableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

QString findExecutable(const QString& program, const QStringList& directories)
{
    if (program.isEmpty())
        return {};
    if (QDir::isAbsolutePath(program))
        return isExecutableFile(program) ? program : QString();
    if (program.contains(u'/'))
        return {};
    for (const QString& directory : directories) {
        const QString candidate = directory + u'/' + program;
        if (isExecutableFile(candidate))
            return candidate;
    }
    return {};
}

// The data roots in precedence order; an entry's index here is its precedence.
QStringList dataRoots(const XdgEnvironment& environment)
{
    QStringList roots;
    if (!environment.dataHome.isEmpty())
        roots.append(environment.dataHome);
    for (const QString& directory : environment.dataDirs) {
        if (!directory.isEmpty())
            roots.append(directory);
    }
    return roots;
}

Catalog::Catalog(const XdgEnvironment& environment)
{
    QSet<QString> seenIds;
    const QStringList roots = dataRoots(environment);
    for (qsizetype index = 0; index < roots.size(); ++index) {
        const QDir applications(roots[index] + u"/applications");
        QStringList relativePaths;
        QDirIterator iterator(
            applications.path(), { QStringLiteral("*.desktop") }, QDir::Files, QDirIterator::Subdirectories);
        while (iterator.hasNext())
            relativePaths.append(applications.relativeFilePath(iterator.next()));
        relativePaths.sort();

        for (const QString& relativePath : relativePaths) {
            QString id = relativePath;
            id.replace(u'/', u'-');
            // An unusable entry still shadows the same ID further down, which is how a
            // user hides a system entry.
            if (seenIds.contains(id))
                continue;
            seenIds.insert(id);
            const QString path = QDir::cleanPath(applications.filePath(relativePath));
            std::optional<DesktopEntry> entry = DesktopEntry::load(path);
            if (!entry || !isUsable(*entry, environment))
                continue;
            m_indexById.insert(id, m_entries.size());
            m_entries.push_back({ id, path, index, std::move(*entry) });
        }
    }
}

const InstalledEntry* Catalog::find(const QString& id) const
{
    const auto it = m_indexById.constFind(id);
    return it == m_indexById.constEnd() ? nullptr : &m_entries[*it];
}

}
