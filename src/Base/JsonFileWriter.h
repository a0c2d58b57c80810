#pragma once

#include <QDateTime>
#include <QJsonValue>
#include <QString>
#include <QThreadPool>

#include <functional>

namespace Quickhalo {

// Saves one store's file off the main thread, in the order the saves were asked for. A file that
// was there but could not be used is kept aside (beside it, dated) just before it is first
// replaced; when no copy can be made it is not replaced at all. Destroying the writer waits for
// the saves under way.
class JsonFileWriter {
public:
    explicit JsonFileWriter(QString path, std::function<QDateTime()> wallClock = &QDateTime::currentDateTime);
    ~JsonFileWriter();

    const QString& path() const { return m_path; }

    // Call before the first save (the worker reads it), when what is at `path` was not read whole.
    void keepBeforeReplacing() { m_keepBeforeReplacing = true; }
    // Reads the file for `use`, which answers whether it could make sense of the bytes. A file
    // that is there but cannot be read or used is logged as `what` and kept before the first save;
    // the answer is then false. A missing file is nothing to use: true, and `use` is not called.
    bool load(qint64 maxBytes, const QString& what, const std::function<bool(const QByteArray&)>& use);
    // `value` is encoded and written on the worker.
    void save(const QJsonValue& value);
    // Blocks until everything asked for so far is on disk (or has failed and been logged).
    void waitForWrites();

private:
    bool keepUnreadableFile(const QDateTime& now);

    QString m_path;
    std::function<QDateTime()> m_wallClock;
    // Only the worker's tasks read and clear it once saving has begun.
    bool m_keepBeforeReplacing = false;
    QThreadPool m_worker;
};

}
