#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

#include "support/TemporaryFolder.h"

namespace Quickhalo::Testing {

inline bool hasTodoman()
{
    return !QStandardPaths::findExecutable(QStringLiteral("todoman")).isEmpty();
}

// Runs the real todoman over the lists in `root`, with settings and a cache of its own in
// `folder`; answers what it printed. A failure is the test's.
inline QByteArray todoman(const TemporaryFolder& folder, const QString& root, const QStringList& arguments)
{
    folder.write(QStringLiteral("todoman/config/todoman/config.py"),
        QStringLiteral("path = \"%1/*\"\ndate_format = \"%Y-%m-%d\"\ntime_format = \"%H:%M\"\n").arg(root).toUtf8());
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("todoman/config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), folder.filePath(QStringLiteral("todoman/cache")));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("todoman"), arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
    return process.readAllStandardOutput();
}

}
