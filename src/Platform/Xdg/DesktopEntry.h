#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace Quickhalo {

// The freedesktop key-file format shared by desktop entries, mimeapps.list and defaults.list.
namespace KeyFile {

// Key as written (with "[locale]" when localized) → value still escaped.
using Group = QHash<QString, QString>;

// Files beyond this size are not key files a desktop ships; refusing them bounds memory.
inline constexpr qint64 maximumFileSize = 4 * 1024 * 1024;

// The group's keys; nothing when the group is absent. Repeated keys keep their first value.
std::optional<Group> readGroup(const QByteArray& bytes, QStringView groupName);

// The bytes of a regular file no larger than maximumFileSize; nothing otherwise, so a FIFO or
// device placed among desktop files can neither block nor flood the reader.
std::optional<QByteArray> readFile(const QString& path);

// Resolves \s \n \t \r \\; any other backslash stays as written.
QString unescapeString(QStringView value);

// Splits on unescaped ';' (and resolves "\;"), dropping empty items.
QStringList unescapeList(QStringView value);

// The inverse of unescapeString: a value that reads back as `value`, on one line.
QString escapeString(QStringView value);

// One argument of an Exec line: quoted when it holds a reserved character, with '%' doubled so
// that it is never taken for a field code. Escape the whole line with escapeString afterwards.
QString quoteExecArgument(QStringView argument);

}

// The [Desktop Entry] group of a .desktop file.
class DesktopEntry {
public:
    // Nothing when there is no [Desktop Entry] group; otherwise whatever keys could be read.
    static std::optional<DesktopEntry> parse(const QByteArray& bytes);
    static std::optional<DesktopEntry> load(const QString& path);

    bool contains(const QString& key) const;
    QString string(const QString& key) const;
    QStringList stringList(const QString& key) const;
    bool boolean(const QString& key) const;

    // Looks up Key[lang_COUNTRY@MODIFIER], Key[lang_COUNTRY], Key[lang@MODIFIER], Key[lang],
    // then Key, for a POSIX locale name such as "sr_RS.UTF-8@latin".
    QString localeString(const QString& key, const QString& locale) const;

    QString name(const QString& locale = {}) const;
    QString type() const;
    QString exec() const;
    QString tryExec() const;
    bool hidden() const;
    bool noDisplay() const;
    bool terminal() const;
    QStringList categories() const;
    QStringList mimeTypes() const;
    QStringList onlyShowIn() const;
    QStringList notShowIn() const;

    // The program Exec starts: its first argument with Exec's quoting removed.
    QString execProgram() const;

    // currentDesktops is $XDG_CURRENT_DESKTOP split on ':'; the first desktop that OnlyShowIn or
    // NotShowIn names decides, otherwise the entry shows unless OnlyShowIn is present.
    bool isShownIn(const QStringList& currentDesktops) const;

private:
    explicit DesktopEntry(KeyFile::Group values);

    KeyFile::Group m_values;
};

}
