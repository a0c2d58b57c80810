#pragma once

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QFile>
#include <QString>

namespace Quickhalo::Testing {

// Device nodes need root (CI has it); FIFOs do not.
inline bool canMakeDevices()
{
    return ::geteuid() == 0;
}

// Makes `node` a FIFO (S_IFIFO) or a character device with /dev/zero's numbers (S_IFCHR): a node of
// the test's own, so that a wrong write replaces only it.
inline bool makeNode(const QString& node, mode_t type)
{
    return ::mknod(QFile::encodeName(node).constData(), type | 0600, makedev(1, 5)) == 0;
}

// What a store meets in place of its file, besides a regular file.
struct SpecialFileCase {
    const char* name;
    mode_t type;
    bool behindALink;
};
inline constexpr SpecialFileCase specialFileCases[] = {
    { "a FIFO", S_IFIFO, false },
    { "a link to a FIFO", S_IFIFO, true },
    { "a link to a device", S_IFCHR, true },
};

// Puts at `path` a node of `type`, or a link to one made at `node`. Answers where the node is.
inline QString placeNode(const QString& path, const QString& node, mode_t type, bool behindALink)
{
    QFile::remove(path);
    QFile::remove(node);
    const QString made = behindALink ? node : path;
    EXPECT_TRUE(makeNode(made, type)) << made.toStdString();
    if (behindALink) {
        EXPECT_TRUE(QFile::link(node, path));
    }
    return made;
}

// S_IFIFO, S_IFCHR, S_IFREG...: what is at `path` itself (links not followed); 0 for nothing.
inline mode_t fileTypeAt(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

}
