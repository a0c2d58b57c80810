#include "Base/UserFile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace Quickhalo::UserFile {

namespace {

FaultHook s_faultHook = nullptr;

void reached(WriteStep step)
{
    if (s_faultHook)
        s_faultHook(step);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

// Closes on every path out, so that no early return leaks a descriptor.
class Descriptor {
public:
    explicit Descriptor(int fd = -1)
        : m_fd(fd)
    {
    }
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    bool isValid() const { return m_fd >= 0; }
    // Closes now and tells whether the kernel reported a late write error.
    int close()
    {
        const int fd = std::exchange(m_fd, -1);
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }
    void reset(int fd = -1)
    {
        close();
        m_fd = fd;
    }

private:
    int m_fd;
};

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("it is a FIFO, not a regular file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("it is a device, not a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("it is a socket, not a regular file");
    return QStringLiteral("it is not a regular file");
}

const QString& temporaryMarker()
{
    static const QString marker = QStringLiteral(".quickhalo-");
    return marker;
}

// ".NAME.quickhalo-XXXXXX": hidden, and distinct from anything a person or another program names.
QString temporaryPrefix(const QString& folder, const QString& name)
{
    return folder + QStringLiteral("/.") + name + temporaryMarker();
}

QString randomSuffix()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
    return suffix;
}

// Read, not set and restored: umask() would change it for every thread for a moment.
mode_t currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return static_cast<mode_t>(mask);
            }
        }
    }
    return 022;
}

int writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;
        data += written;
        left -= written;
    }
    return 0;
}

void syncFolder(const QString& folder)
{
    // Makes the rename itself durable; a file system that cannot sync a folder loses nothing here.
    Descriptor directory(::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.isValid())
        ::fsync(directory.get());
}

// A new file beside `target` holding `bytes`, synced, with a temporary name; returns that name.
// With O_TMPFILE the file has no name until it is complete, so only the short moment between
// link and rename can leave one behind.
std::optional<QString> writeTemporary(const QString& folder, const QString& name, const QByteArray& bytes,
    std::optional<mode_t> mode, QString& reason)
{
    const QString prefix = temporaryPrefix(folder, name);
    // Giving an O_TMPFILE file its name goes through /proc; without /proc, use a named file.
    static const bool canNameAnonymousFiles = ::access("/proc/self/fd", X_OK) == 0;
    Descriptor file(canNameAnonymousFiles ? ::open(native(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666) : -1);
    const bool anonymous = file.isValid();
    QString temporary;
    if (!anonymous) {
        QByteArray pattern = native(prefix) + "XXXXXX";
        file.reset(::mkostemp(pattern.data(), O_CLOEXEC));
        if (!file.isValid()) {
            reason = systemError(errno);
            return std::nullopt;
        }
        temporary = QFile::decodeName(pattern);
        // mkostemp makes 0600; a new file gets what the umask allows, as any other program's would.
        if (!mode)
            mode = 0666 & ~currentUmask();
    }
    const auto fail = [&](int error) -> std::optional<QString> {
        reason = systemError(error);
        file.reset();
        if (!temporary.isEmpty())
            ::unlink(native(temporary).constData());
        return std::nullopt;
    };
    reached(WriteStep::created);
    if (mode && ::fchmod(file.get(), *mode) != 0)
        return fail(errno);
    if (const int error = writeAll(file.get(), bytes))
        return fail(error);
    reached(WriteStep::written);
    if (::fsync(file.get()) != 0)
        return fail(errno);
    reached(WriteStep::synced);
    if (anonymous) {
        const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(file.get());
        for (int attempt = 0; attempt < 100 && temporary.isEmpty(); ++attempt) {
            const QString candidate = prefix + randomSuffix();
            if (::linkat(AT_FDCWD, procPath.constData(), AT_FDCWD, native(candidate).constData(), AT_SYMLINK_FOLLOW) == 0)
                temporary = candidate;
            else if (errno != EEXIST)
                return fail(errno);
        }
        if (temporary.isEmpty())
            return fail(EEXIST);
    }
    reached(WriteStep::linked);
    if (const int error = file.close())
        return fail(error);
    return temporary;
}

}

QString resolvedTarget(const QString& path)
{
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info {};
        if (::lstat(native(current).constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        QByteArray link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(native(current).constData(), link.data(), static_cast<size_t>(link.size()));
        if (length <= 0)
            return current;
        link.truncate(length);
        const QString destination = QFile::decodeName(link);
        current = QDir::cleanPath(
            QDir::isAbsolutePath(destination) ? destination : QFileInfo(current).absolutePath() + QLatin1Char('/') + destination);
    }
    return current;
}

ReadResult read(const QString& path, qint64 maxBytes)
{
    ReadResult result;
    const QByteArray nativePath = native(path);
    // Looked at before opening: opening a device can already do something.
    struct stat info {};
    if (::stat(nativePath.constData(), &info) != 0) {
        const int error = errno;
        result.status = error == ENOENT ? ReadResult::Status::missing : ReadResult::Status::failed;
        result.reason = error == ENOENT ? QStringLiteral("no such file") : systemError(error);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.status = ReadResult::Status::notRegular;
        result.reason = kindOf(info.st_mode);
        return result;
    }
    // O_NONBLOCK: should it have become a FIFO in the meantime, opening does not wait for a writer.
    Descriptor file(::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.isValid()) {
        result.reason = systemError(errno);
        return result;
    }
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        result.status = ReadResult::Status::notRegular;
        result.reason = kindOf(info.st_mode);
        return result;
    }
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            result.reason = systemError(errno);
            return result;
        }
        if (got == 0)
            break;
        if (bytes.size() + got > maxBytes) {
            result.status = ReadResult::Status::tooLarge;
            result.reason = maxBytes % (1024 * 1024) == 0
                ? QStringLiteral("it is larger than %1 MiB").arg(maxBytes / (1024 * 1024))
                : QStringLiteral("it is larger than %1 bytes").arg(maxBytes);
            return result;
        }
        bytes.append(buffer, got);
    }
    result.status = ReadResult::Status::ok;
    result.bytes = std::move(bytes);
    return result;
}

std::optional<QString> write(const QString& path, const QByteArray& bytes)
{
    const QString target = resolvedTarget(path);
    const QFileInfo targetInfo(target);
    std::optional<mode_t> mode;
    struct stat info {};
    if (::lstat(native(target).constData(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            return kindOf(info.st_mode) + QStringLiteral("; it was left as it is");
        mode = info.st_mode & 07777;
    } else if (errno != ENOENT) {
        return systemError(errno);
    } else if (target != QFileInfo(path).absoluteFilePath()) {
        return QStringLiteral("it is a link to %1, which does not exist").arg(target);
    }

    const QString folder = targetInfo.absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("could not create the folder %1").arg(folder);

    QString reason;
    const std::optional<QString> temporary = writeTemporary(folder, targetInfo.fileName(), bytes, mode, reason);
    if (!temporary)
        return reason;
    if (::rename(native(*temporary).constData(), native(target).constData()) != 0) {
        const int error = errno;
        ::unlink(native(*temporary).constData());
        return systemError(error);
    }
    reached(WriteStep::renamed);
    syncFolder(folder);
    return std::nullopt;
}

std::optional<QString> keepAside(const QString& path, const QDateTime& now, QString* reason)
{
    const auto failed = [reason](const QString& why) -> std::optional<QString> {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    const QString target = resolvedTarget(path);
    struct stat info {};
    if (::lstat(native(target).constData(), &info) != 0)
        return failed(systemError(errno));
    if (!S_ISREG(info.st_mode))
        return failed(kindOf(info.st_mode));

    const QString stem = target + QStringLiteral(".kept-") + now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    for (int number = 1; number < 1000; ++number) {
        const QString candidate = number == 1 ? stem : stem + QLatin1Char('-') + QString::number(number);
        // A second name for the same bytes: nothing to copy, and the rename that replaces the
        // file later leaves this name on the old contents.
        if (::link(native(target).constData(), native(candidate).constData()) == 0) {
            syncFolder(QFileInfo(target).absolutePath());
            return candidate;
        }
        if (errno == EEXIST)
            continue;
        // Some file systems have no hard links: copy instead, never over anything.
        Descriptor source(::open(native(target).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (!source.isValid())
            return failed(systemError(errno));
        Descriptor copy(::open(native(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 0777));
        if (!copy.isValid()) {
            if (errno == EEXIST)
                continue;
            return failed(systemError(errno));
        }
        char buffer[65536];
        int error = 0;
        for (;;) {
            const ssize_t got = ::read(source.get(), buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                error = got < 0 ? errno : 0;
                break;
            }
            if ((error = writeAll(copy.get(), QByteArray::fromRawData(buffer, got))))
                break;
        }
        if (!error && ::fsync(copy.get()) != 0)
            error = errno;
        if (!error)
            error = copy.close();
        if (error) {
            copy.reset();
            ::unlink(native(candidate).constData());
            return failed(systemError(error));
        }
        return candidate;
    }
    return failed(QStringLiteral("every dated name is taken"));
}

void removeLeftovers(const QString& path)
{
    const QFileInfo target(resolvedTarget(path));
    const QString name = QLatin1Char('.') + target.fileName() + temporaryMarker();
    const QRegularExpression pattern(
        QLatin1Char('^') + QRegularExpression::escape(name) + QStringLiteral("[A-Za-z0-9]{6}$"));
    const QDir folder = target.absoluteDir();
    for (const QString& entry : folder.entryList({ name + QLatin1Char('*') }, QDir::Files | QDir::Hidden | QDir::System)) {
        if (!pattern.match(entry).hasMatch())
            continue;
        const QByteArray leftover = native(folder.filePath(entry));
        struct stat info {};
        if (::lstat(leftover.constData(), &info) == 0 && S_ISREG(info.st_mode))
            ::unlink(leftover.constData());
    }
}

std::optional<Identity> identify(const QString& path)
{
    struct stat info {};
    if (::stat(native(path).constData(), &info) != 0)
        return std::nullopt;
    return Identity { static_cast<quint64>(info.st_dev), static_cast<quint64>(info.st_ino), static_cast<qint64>(info.st_size),
        static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec };
}

void setFaultHook(FaultHook hook)
{
    s_faultHook = hook;
}

}
