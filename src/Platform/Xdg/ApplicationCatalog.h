#pragma once

#include "Platform/Xdg/DesktopEntry.h"
#include "Platform/Xdg/XdgDefaultApplications.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace Quickhalo::Xdg {

bool isExecutableFile(const QString& path);

// `program` as an absolute path, or looked up in `directories`; empty when not found.
QString findExecutable(const QString& program, const QStringList& directories);

// The data roots in precedence order; an entry's index here is its precedence.
QStringList dataRoots(const XdgEnvironment& environment);

struct InstalledEntry {
    QString id;
    QString path;
    qsizetype dataRootIndex = 0;
    DesktopEntry entry;
};

// The usable desktop entries, one per desktop-file ID.
class Catalog {
public:
    explicit Catalog(const XdgEnvironment& environment);

    const InstalledEntry* find(const QString& id) const;
    const std::vector<InstalledEntry>& entries() const { return m_entries; }

private:
    std::vector<InstalledEntry> m_entries;
    QHash<QString, std::size_t> m_indexById;
};

}
