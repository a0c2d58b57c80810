#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace Quickhalo::Testing {

// A fresh folder per test, removed afterwards, with small helpers for writing and reading files.
class TemporaryFolder {
public:
    TemporaryFolder() { EXPECT_TRUE(m_dir.isValid()); }

    QString path() const { return m_dir.path(); }
    QString filePath(const QString& relative) const { return m_dir.filePath(relative); }

    QString write(const QString& relative, const QByteArray& bytes) const
    {
        const QString target = filePath(relative);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile file(target);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << target.toStdString();
        file.write(bytes);
        return target;
    }

    QByteArray read(const QString& relative) const
    {
        QFile file(filePath(relative));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll();
    }

    bool exists(const QString& relative) const { return QFileInfo::exists(filePath(relative)); }

private:
    QTemporaryDir m_dir;
};

}
