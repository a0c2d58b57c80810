#pragma once

#include "Platform/InstalledApplications.h"

#include <QMutex>
#include <QSemaphore>

namespace Quickhalo {

class FakeInstalledApplications final : public InstalledApplications {
public:
    explicit FakeInstalledApplications(std::vector<InstalledApplication> applications = {})
        : m_applications(std::move(applications))
    { }

    // While set, listing waits for one release of it: a slow disk.
    QSemaphore* gate = nullptr;

    std::vector<InstalledApplication> list() const override
    {
        if (gate)
            gate->acquire();
        QMutexLocker lock(&m_mutex); // listed from a worker thread
        ++m_listCount;
        return m_applications;
    }

    std::optional<InstalledApplication> describe(const QString& path) const override
    {
        QMutexLocker lock(&m_mutex);
        for (const InstalledApplication& application : m_applications) {
            if (application.path == path)
                return application;
        }
        return std::nullopt;
    }

    int listCount() const
    {
        QMutexLocker lock(&m_mutex);
        return m_listCount;
    }

private:
    mutable QMutex m_mutex;
    std::vector<InstalledApplication> m_applications;
    mutable int m_listCount = 0;
};

}
