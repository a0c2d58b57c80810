#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace Quickhalo::UserFile {

// The one way the stores read and replace the user's files. Reads never block on a FIFO or a
// device and never take more than they asked for; writes either leave the new bytes in place or
// the old file untouched, never anything between.

struct ReadResult {
    enum class Status {
        ok,
        missing,    // nothing there, or a link to nothing
        notRegular, // a FIFO, device, socket or folder, or a link to one
        tooLarge,
        failed,     // permission, I/O error
    };
    Status status = Status::failed;
    QByteArray bytes; // only for `ok`
    QString reason;   // why not, for everything but `ok`

    bool isOk() const { return status == Status::ok; }
};

// Reads the whole regular file at `path` (a symbolic link to one is followed), refusing anything
// larger than `maxBytes` while reading, whatever size the file claims.
ReadResult read(const QString& path, qint64 maxBytes);

// Replaces the file at `path` with `bytes` atomically, creating missing parent folders. A link to
// a regular file keeps being a link: the file it points to is replaced, in its own folder, and
// keeps its permissions. Anything at `path` that is not a regular file (or a link to one) is left
// alone and refused. Every step is checked; on failure the temporary file is gone, the old file
// is byte-for-byte as it was, and the reason is returned.
std::optional<QString> write(const QString& path, const QByteArray& bytes);

// Keeps what is at `path` beside it (beside the file a link points to) under a dated name that
// was not taken before, "NAME.kept-YYYY-MM-DD-HHMMSS" with "-2", "-3"... when needed. Returns the
// copy's path, or nothing (with `reason` set) when no copy could be made.
std::optional<QString> keepAside(const QString& path, const QDateTime& now, QString* reason = nullptr);

// Removes what a write to `path` that was cut short may have left beside the file it replaces:
// files of exactly this module's temporary naming pattern, nothing else.
void removeLeftovers(const QString& path);

// Tells one version of a file from the next without reading it.
struct Identity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNanoseconds = 0;
    bool operator==(const Identity&) const = default;
};
// What is at `path` now (links followed); nothing when there is nothing.
std::optional<Identity> identify(const QString& path);

// The file a write to `path` would replace: `path` itself, or where its links lead.
QString resolvedTarget(const QString& path);

// For crash tests: called at each step of `write` so a test can kill the process right there.
enum class WriteStep { created, written, synced, linked, renamed };
using FaultHook = void (*)(WriteStep);
void setFaultHook(FaultHook hook);

}
