#include "Platform/Xdg/DesktopEntry.h"

#include <algorithm>
#include <utility>

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>

namespace Quickhalo {

namespace {

bool isLocaleCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '@'
        || c == '.' || c == '-';
}

// Lenient enough for MIME types as keys ("image/svg+xml"), strict enough to reject binary noise.
bool isValidKey(QByteArrayView key)
{
    qsizetype baseEnd = key.indexOf('[');
    if (baseEnd < 0)
        baseEnd = key.size();
    if (baseEnd == 0)
        return false;
    for (const char c : key.first(baseEnd)) {
        if (c <= ' ' || c > '~' || c == ']')
            return false;
    }
    if (baseEnd == key.size())
        return true;
    const QByteArrayView locale = key.sliced(baseEnd + 1);
    if (locale.size() < 2 || !locale.endsWith(']'))
        return false;
    for (const char c : locale.chopped(1)) {
        if (!isLocaleCharacter(c))
            return false;
    }
    return true;
}

std::optional<QChar> escapedCharacter(QChar c)
{
    switch (c.unicode()) {
    case u's':
        return QChar(u' ');
    case u'n':
        return QChar(u'\n');
    case u't':
        return QChar(u'\t');
    case u'r':
        return QChar(u'\r');
    case u'\\':
        return QChar(u'\\');
    default:
        return std::nullopt;
    }
}

// The lookup keys for a localized key, most specific first.
QStringList localizedKeys(const QString& key, const QString& locale)
{
    QString language = locale;
    QString country;
    QString modifier;
    if (const qsizetype at = language.indexOf(u'@'); at >= 0) {
        modifier = language.mid(at + 1);
        language.truncate(at);
    }
    if (const qsizetype dot = language.indexOf(u'.'); dot >= 0)
        language.truncate(dot);
    if (const qsizetype underscore = language.indexOf(u'_'); underscore >= 0) {
        country = language.mid(underscore + 1);
        language.truncate(underscore);
    }

    QStringList keys;
    const auto localized = [&key](const QString& suffix) -> QString { return key + u'[' + suffix + u']'; };
    if (!language.isEmpty()) {
        if (!country.isEmpty() && !modifier.isEmpty())
            keys.append(localized(language + u'_' + country + u'@' + modifier));
        if (!country.isEmpty())
            keys.append(localized(language + u'_' + country));
        if (!modifier.isEmpty())
            keys.append(localized(language + u'@' + modifier));
        keys.append(localized(language));
    }
    keys.append(key);
    return keys;
}

}

namespace KeyFile {

std::optional<Group> readGroup(const QByteArray& bytes, QStringView groupName)
{
    std::optional<Group> group;
    bool inGroup = false;
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);

    while (!rest.isEmpty()) {
        const qsizetype newline = rest.indexOf('\n');
        QByteArrayView line = newline < 0 ? rest : rest.first(newline);
        rest = newline < 0 ? QByteArrayView() : rest.sliced(newline + 1);
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;

        if (line.startsWith('[')) {
            // A malformed header is a bad line, not the end of the current group.
            if (line.size() >= 2 && line.endsWith(']')) {
                inGroup = QString::fromUtf8(line.sliced(1, line.size() - 2)) == groupName;
                if (inGroup && !group)
                    group.emplace();
            }
            continue;
        }
        if (!inGroup)
            continue;

        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArrayView key = line.first(equals).trimmed();
        if (!isValidKey(key))
            continue;
        // The first of repeated keys wins, as in the first group of a repeated group.
        const QString keyString = QString::fromLatin1(key);
        if (!group->contains(keyString))
            group->insert(keyString, QString::fromUtf8(line.sliced(equals + 1).trimmed()));
    }
    return group;
}

std::optional<QByteArray> readFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > maximumFileSize)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The size can grow between the check and the read.
    QByteArray bytes = file.read(maximumFileSize + 1);
    if (bytes.size() > maximumFileSize)
        return std::nullopt;
    return bytes;
}

QString unescapeString(QStringView value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            if (const std::optional<QChar> replacement = escapedCharacter(value[i + 1])) {
                result.append(*replacement);
                ++i;
                continue;
            }
        }
        result.append(value[i]);
    }
    return result;
}

QString escapeString(QStringView value)
{
    QString result;
    result.reserve(value.size());
    for (const QChar c : value) {
        if (c == u'\\')
            result.append(u"\\\\");
        else if (c == u'\n')
            result.append(u"\\n");
        else if (c == u'\t')
            result.append(u"\\t");
        else if (c == u'\r')
            result.append(u"\\r");
        else
            result.append(c);
    }
    return result;
}

QString quoteExecArgument(QStringView argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool needsQuotes = argument.isEmpty()
        || std::any_of(argument.begin(), argument.end(), [](QChar c) { return reserved.contains(c); });
    QString result;
    if (needsQuotes)
        result.append(u'"');
    for (const QChar c : argument) {
        if (needsQuotes && (c == u'"' || c == u'`' || c == u'$' || c == u'\\'))
            result.append(u'\\');
        result.append(c);
        if (c == u'%')
            result.append(u'%');
    }
    if (needsQuotes)
        result.append(u'"');
    return result;
}

QStringList unescapeList(QStringView value)
{
    QStringList items;
    QString current;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u';') {
            if (!current.isEmpty())
                items.append(std::exchange(current, QString()));
            continue;
        }
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar next = value[i + 1];
            if (next == u';') {
                current.append(next);
                ++i;
                continue;
            }
            if (const std::optional<QChar> replacement = escapedCharacter(next)) {
                current.append(*replacement);
                ++i;
                continue;
            }
        }
        current.append(c);
    }
    if (!current.isEmpty())
        items.append(current);
    return items;
}

}

DesktopEntry::DesktopEntry(KeyFile::Group values)
    : m_values(std::move(values))
{ }

std::optional<DesktopEntry> DesktopEntry::parse(const QByteArray& bytes)
{
    std::optional<KeyFile::Group> group = KeyFile::readGroup(bytes, u"Desktop Entry");
    if (!group)
        return std::nullopt;
    return DesktopEntry(std::move(*group));
}

std::optional<DesktopEntry> DesktopEntry::load(const QString& path)
{
    const std::optional<QByteArray> bytes = KeyFile::readFile(path);
    if (!bytes)
        return std::nullopt;
    return parse(*bytes);
}

bool DesktopEntry::contains(const QString& key) const
{
    return m_values.contains(key);
}

QString DesktopEntry::string(const QString& key) const
{
    return KeyFile::unescapeString(m_values.value(key));
}

QStringList DesktopEntry::stringList(const QString& key) const
{
    return KeyFile::unescapeList(m_values.value(key));
}

bool DesktopEntry::boolean(const QString& key) const
{
    const QString value = m_values.value(key);
    return value == u"true" || value == u"1";
}

QString DesktopEntry::localeString(const QString& key, const QString& locale) const
{
    for (const QString& candidate : localizedKeys(key, locale)) {
        const auto it = m_values.constFind(candidate);
        if (it != m_values.constEnd())
            return KeyFile::unescapeString(*it);
    }
    return {};
}

QString DesktopEntry::name(const QString& locale) const
{
    return localeString(QStringLiteral("Name"), locale);
}

QString DesktopEntry::type() const
{
    return string(QStringLiteral("Type"));
}

QString DesktopEntry::exec() const
{
    return string(QStringLiteral("Exec"));
}

QString DesktopEntry::tryExec() const
{
    return string(QStringLiteral("TryExec"));
}

bool DesktopEntry::hidden() const
{
    return boolean(QStringLiteral("Hidden"));
}

bool DesktopEntry::noDisplay() const
{
    return boolean(QStringLiteral("NoDisplay"));
}

bool DesktopEntry::terminal() const
{
    return boolean(QStringLiteral("Terminal"));
}

QStringList DesktopEntry::categories() const
{
    return stringList(QStringLiteral("Categories"));
}

QStringList DesktopEntry::mimeTypes() const
{
    return stringList(QStringLiteral("MimeType"));
}

QStringList DesktopEntry::onlyShowIn() const
{
    return stringList(QStringLiteral("OnlyShowIn"));
}

QStringList DesktopEntry::notShowIn() const
{
    return stringList(QStringLiteral("NotShowIn"));
}

QString DesktopEntry::execProgram() const
{
    const QString command = exec();
    qsizetype i = 0;
    while (i < command.size() && command[i].isSpace())
        ++i;

    QString program;
    if (i < command.size() && command[i] == u'"') {
        // Inside quotes a backslash makes the next character literal.
        for (++i; i < command.size() && command[i] != u'"'; ++i) {
            if (command[i] == u'\\' && i + 1 < command.size())
                ++i;
            program.append(command[i]);
        }
        return program.replace(QStringLiteral("%%"), QStringLiteral("%"));
    }
    for (; i < command.size() && !command[i].isSpace(); ++i)
        program.append(command[i]);
    return program.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

bool DesktopEntry::isShownIn(const QStringList& currentDesktops) const
{
    const QStringList only = onlyShowIn();
    const QStringList excluded = notShowIn();
    for (const QString& desktop : currentDesktops) {
        if (only.contains(desktop))
            return true;
        if (excluded.contains(desktop))
            return false;
    }
    return only.isEmpty();
}

}
