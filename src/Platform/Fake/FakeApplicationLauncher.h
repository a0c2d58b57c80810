#pragma once

#include <QStringList>

#include "Platform/ApplicationLauncher.h"

namespace Quickhalo {

// Records what it is asked to start; refuses with `refusal` when that is set.
class FakeApplicationLauncher final : public ApplicationLauncher {
public:
    QStringList launched;
    QList<QUrl> opened;
    QString refusal;

    void launch(const QString& path, Failure onFailure) override
    {
        launched << path;
        if (!refusal.isEmpty() && onFailure)
            onFailure(refusal);
    }
    void open(const QUrl& address, Failure onFailure) override
    {
        opened << address;
        if (!refusal.isEmpty() && onFailure)
            onFailure(refusal);
    }
};

}
