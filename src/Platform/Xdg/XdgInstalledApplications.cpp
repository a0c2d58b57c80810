#include "Platform/Xdg/XdgInstalledApplications.h"

#include "Platform/Xdg/ApplicationCatalog.h"

#include <algorithm>

namespace Quickhalo {

XdgInstalledApplications::XdgInstalledApplications(XdgEnvironment environment)
    : m_environment(std::move(environment))
{ }

std::vector<InstalledApplication> XdgInstalledApplications::list() const
{
    const Xdg::Catalog catalog(m_environment);
    std::vector<InstalledApplication> applications;
    for (const Xdg::InstalledEntry& installed : catalog.entries()) {
        const DesktopEntry& entry = installed.entry;
        if (entry.noDisplay() || !entry.isShownIn(m_environment.currentDesktops))
            continue;
        const QString name = entry.name(m_environment.locale);
        if (name.trimmed().isEmpty())
            continue;
        applications.push_back({ installed.path, name, entry.localeString(QStringLiteral("Icon"), m_environment.locale) });
    }
    std::stable_sort(applications.begin(), applications.end(), [](const auto& a, const auto& b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
    return applications;
}

std::optional<InstalledApplication> XdgInstalledApplications::describe(const QString& path) const
{
    const std::optional<DesktopEntry> entry = DesktopEntry::load(path);
    if (!entry || entry->type() != u"Application")
        return std::nullopt;
    const QString name = entry->name(m_environment.locale);
    if (name.trimmed().isEmpty())
        return std::nullopt;
    return InstalledApplication { path, name, entry->localeString(QStringLiteral("Icon"), m_environment.locale) };
}

}
