#include "Base/JsonFileWriter.h"

#include "Base/JsonFile.h"
#include "Base/Log.h"
#include "Base/UserFile.h"

#include <QFileInfo>

namespace Quickhalo {

JsonFileWriter::JsonFileWriter(QString path, std::function<QDateTime()> wallClock)
    : m_path(std::move(path))
    , m_wallClock(std::move(wallClock))
{
    m_worker.setMaxThreadCount(1);
}

JsonFileWriter::~JsonFileWriter()
{
    waitForWrites();
}

void JsonFileWriter::save(const QJsonValue& value)
{
    // The time for a kept copy's name is read here: the injected clock belongs to this thread.
    m_worker.start([this, value, now = m_wallClock()] {
        if (m_keepBeforeReplacing && !keepUnreadableFile(now))
            return;
        JsonFile::save(value, m_path);
    });
}

bool JsonFileWriter::load(qint64 maxBytes, const QString& what, const std::function<bool(const QByteArray&)>& use)
{
    const UserFile::ReadResult file = UserFile::read(m_path, maxBytes);
    if (file.status == UserFile::ReadResult::Status::missing || (file.isOk() && use(file.bytes)))
        return true;
    // An empty collection must not silently replace the user's: it is kept first.
    keepBeforeReplacing();
    Log::write(QStringLiteral("%1 could not be read (%2); starting with an empty list")
                   .arg(QFileInfo(m_path).fileName(), file.isOk() ? QStringLiteral("not ") + what : file.reason));
    return false;
}

void JsonFileWriter::waitForWrites()
{
    m_worker.waitForDone();
}

bool JsonFileWriter::keepUnreadableFile(const QDateTime& now)
{
    const QString name = QFileInfo(m_path).fileName();
    // Gone, or no file at all (the write refuses those): nothing of the user's to keep.
    if (QFileInfo(UserFile::resolvedTarget(m_path)).isFile()) {
        QString reason;
        const std::optional<QString> kept = UserFile::keepAside(m_path, now, &reason);
        if (!kept) {
            Log::write(QStringLiteral("failed to save %1: could not keep a copy of the file it would replace: %2")
                           .arg(name, reason));
            return false;
        }
        Log::write(QStringLiteral("kept the unreadable %1 as %2").arg(name, QFileInfo(*kept).fileName()));
    }
    m_keepBeforeReplacing = false;
    return true;
}

}
