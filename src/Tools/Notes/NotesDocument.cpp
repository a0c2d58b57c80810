#include "Tools/Notes/NotesDocument.h"

#include "Base/Log.h"
#include "Base/UserFile.h"
#include "Platform/Clock.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringDecoder>

namespace Quickhalo {

namespace {

// Far more than anyone types into a scratch pad; anything larger is not read but kept.
constexpr qint64 largestFile = 16 * 1024 * 1024;

std::optional<QString> utf8Text(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

}

struct NotesDocument::Disk {
    UserFile::ReadResult file;
    std::optional<QString> text; // when the file is there and is UTF-8
    QString failure;             // why a save did not happen
    QString keptCopy;            // where a kept version went
};

NotesDocument::NotesDocument(QString path, Clock& clock, std::function<QDateTime()> wallClock)
    : m_path(std::move(path))
    , m_clock(clock)
    , m_wallClock(std::move(wallClock))
{
    m_worker.setMaxThreadCount(1);
    read([this](const Disk& disk) {
        if (disk.text) {
            m_text = *disk.text;
            m_knownBytes = disk.file.bytes;
        } else if (disk.file.status != UserFile::ReadResult::Status::missing) {
            m_startedUnreadable = true;
            m_keepBeforeWriting = true;
            Log::write(QStringLiteral("%1 could not be read (%2); it is kept before the notes are saved")
                           .arg(fileName, disk.file.isOk() ? QStringLiteral("not UTF-8 text") : disk.file.reason));
        }
        m_savedText = m_text;
        m_loaded = true;
        // The folder too: a save by any program replaces the file, and the watch on it goes.
        const QString folder = QFileInfo(m_path).absolutePath();
        if (QFileInfo::exists(folder))
            m_watcher.addPath(folder);
        if (QFileInfo::exists(m_path))
            m_watcher.addPath(m_path);
        Q_EMIT loaded(m_text);
    });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &NotesDocument::checkDisk);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!m_watcher.files().contains(m_path) && QFileInfo::exists(m_path))
            m_watcher.addPath(m_path);
        checkDisk();
    });
}

NotesDocument::~NotesDocument()
{
    m_pendingSave.reset();
    m_worker.waitForDone();
}

void NotesDocument::edit(const QString& text)
{
    if (!m_loaded)
        return;
    m_text = text;
    m_pendingSave = m_clock.startRepeating(saveDelay, [this] {
        m_pendingSave.reset();
        saveNow();
    });
}

void NotesDocument::close()
{
    m_pendingSave.reset();
    // An untouched note is not written back: a file that could not be read stays as it was.
    if (m_loaded && (m_text != m_savedText || !m_saveProblem.isEmpty()))
        saveNow();
}

void NotesDocument::waitForIdle()
{
    m_worker.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void NotesDocument::deliver(std::function<void()> onMain)
{
    QMetaObject::invokeMethod(this, std::move(onMain), Qt::QueuedConnection);
}

void NotesDocument::read(std::function<void(const Disk&)> done)
{
    m_worker.start([this, path = m_path, done = std::move(done)] {
        Disk disk { UserFile::read(path, largestFile), std::nullopt, {}, {} };
        if (disk.file.isOk())
            disk.text = utf8Text(disk.file.bytes);
        deliver([disk = std::move(disk), done] { done(disk); });
    });
}

void NotesDocument::saveNow()
{
    const QString text = m_text;
    const bool keepFirst = m_keepBeforeWriting;
    const bool otherVersion = m_keepingOtherVersion;
    // The worker's copy; the file it keeps is the one on disk when its turn comes.
    m_keepBeforeWriting = false;
    // The time for a kept copy's name is read here: the injected clock belongs to this thread.
    m_worker.start([this, path = m_path, text, keepFirst, otherVersion, now = m_wallClock()] {
        Disk disk;
        const QByteArray bytes = text.toUtf8();
        if (keepFirst && QFileInfo(UserFile::resolvedTarget(path)).isFile()) {
            QString reason;
            if (const std::optional<QString> kept = UserFile::keepAside(path, now, &reason))
                disk.keptCopy = *kept;
            else
                disk.failure = QStringLiteral("the file it would replace could not be kept aside (%1)").arg(reason);
        }
        if (disk.failure.isEmpty()) {
            if (const std::optional<QString> failed = UserFile::write(path, bytes))
                disk.failure = *failed;
        }
        deliver([this, disk, text, bytes, keepFirst, otherVersion] {
            const QString before = m_saveProblem;
            if (disk.failure.isEmpty()) {
                m_savedText = text;
                m_knownBytes = bytes;
                m_saveProblem.clear();
                if (!m_watcher.files().contains(m_path))
                    m_watcher.addPath(m_path);
                const QString folder = QFileInfo(m_path).absolutePath();
                if (!m_watcher.directories().contains(folder))
                    m_watcher.addPath(folder);
            } else {
                // Tried again with the next change or on close, keeping what is on disk first.
                m_keepBeforeWriting = m_keepBeforeWriting || keepFirst;
                m_saveProblem = disk.failure;
                Log::write(QStringLiteral("failed to save %1: %2").arg(fileName, disk.failure));
            }
            if (m_saveProblem != before)
                Q_EMIT saveProblemChanged();
            if (disk.failure.isEmpty() && keepFirst)
                m_keepingOtherVersion = m_keepBeforeWriting && m_keepingOtherVersion;
            if (!disk.keptCopy.isEmpty() && otherVersion) {
                m_conflictCopy = disk.keptCopy;
                Q_EMIT conflictKeptAside(disk.keptCopy);
            }
        });
    });
}

void NotesDocument::checkDisk()
{
    if (!m_loaded)
        return;
    read([this](const Disk& disk) {
        // Our own saves come back here too; only a version nobody here wrote counts.
        if (disk.file.status == UserFile::ReadResult::Status::missing || (disk.file.isOk() && disk.file.bytes == m_knownBytes))
            return;
        m_knownBytes = disk.file.bytes;
        const bool typedSinceSave = m_text != m_savedText || m_pendingSave;
        if (disk.text && !typedSinceSave) {
            m_text = *disk.text;
            m_savedText = m_text;
            Q_EMIT loaded(m_text);
            return;
        }
        // Their version is kept beside the file before ours replaces it.
        m_keepBeforeWriting = true;
        m_keepingOtherVersion = true;
        if (typedSinceSave) {
            m_pendingSave.reset();
            saveNow();
        }
    });
}

}
