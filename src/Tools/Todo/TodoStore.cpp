#include "Tools/Todo/TodoStore.h"

#include "Base/JsonFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTimeZone>

#include <algorithm>

namespace Quickhalo {

namespace {

constexpr qint64 largestFile = 8 * 1024 * 1024;

QJsonArray toJson(const QList<TodoItem>& items)
{
    QJsonArray array;
    for (const TodoItem& item : items) {
        QJsonObject object { { QStringLiteral("id"), item.id.toString(QUuid::WithoutBraces).toUpper() },
            { QStringLiteral("text"), item.text }, { QStringLiteral("done"), item.done },
            { QStringLiteral("createdAt"), JsonFile::timeText(item.createdAt) } };
        if (item.doneAt)
            object.insert(QStringLiteral("doneAt"), JsonFile::timeText(*item.doneAt));
        array.append(object);
    }
    return array;
}

}

TodoStore::TodoStore(QString filePath, std::function<QDateTime()> clock)
    : m_clock(std::move(clock))
    , m_writer(std::move(filePath))
{
    load();
}

TodoStore::~TodoStore() = default;

int TodoStore::openCount() const
{
    return static_cast<int>(std::count_if(m_items.cbegin(), m_items.cend(), [](const TodoItem& item) { return !item.done; }));
}

std::optional<QList<TodoItem>> TodoStore::decode(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<TodoItem> items;
    for (const QJsonValue& element : document.array()) {
        if (!element.isObject())
            return std::nullopt;
        const QJsonObject object = element.toObject();
        const QUuid id = QUuid::fromString(object.value(QStringLiteral("id")).toString());
        const QJsonValue text = object.value(QStringLiteral("text"));
        const QJsonValue done = object.value(QStringLiteral("done"));
        const std::optional<QDateTime> created = JsonFile::time(object.value(QStringLiteral("createdAt")));
        const QJsonValue doneAtValue = object.value(QStringLiteral("doneAt"));
        const std::optional<QDateTime> doneAt = JsonFile::time(doneAtValue);
        if (id.isNull() || !text.isString() || !done.isBool() || !created || (!doneAtValue.isUndefined() && !doneAt))
            return std::nullopt;
        items.append({ id, text.toString(), done.toBool(), *created, doneAt });
    }
    return items;
}

QByteArray TodoStore::encode(const QList<TodoItem>& items)
{
    return JsonFile::encode(toJson(items));
}

void TodoStore::load()
{
    m_unreadable = !m_writer.load(largestFile, QStringLiteral("a to-do list"), [this](const QByteArray& bytes) {
        std::optional<QList<TodoItem>> read = decode(bytes);
        if (read) {
            m_items = std::move(*read);
        }
        return read.has_value();
    });
}

void TodoStore::save()
{
    m_writer.save(toJson(m_items));
    Q_EMIT itemsChanged();
}

void TodoStore::add(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return;
    // Whole seconds: what the file keeps.
    const QDateTime now = QDateTime::fromSecsSinceEpoch(m_clock().toSecsSinceEpoch(), QTimeZone::utc());
    m_items.prepend({ QUuid::createUuid(), trimmed, false, now, std::nullopt });
    save();
}

void TodoStore::toggle(const QUuid& id)
{
    const auto found = std::find_if(m_items.begin(), m_items.end(), [&id](const TodoItem& item) { return item.id == id; });
    if (found == m_items.end())
        return;
    found->done = !found->done;
    found->doneAt = found->done ? std::optional(QDateTime::fromSecsSinceEpoch(m_clock().toSecsSinceEpoch(), QTimeZone::utc()))
                                : std::nullopt;
    save();
}

void TodoStore::remove(const QUuid& id)
{
    m_items.removeIf([&id](const TodoItem& item) { return item.id == id; });
    save();
}

void TodoStore::clearDone()
{
    m_items.removeIf([](const TodoItem& item) { return item.done; });
    save();
}

void TodoStore::purgeOldDone(const QDateTime& now)
{
    const QDateTime local = now.toLocalTime();
    const QDateTime startOfToday(local.date(), QTime(0, 0), local.timeZone());
    const qsizetype before = m_items.size();
    m_items.removeIf([&](const TodoItem& item) { return item.done && item.doneAt.value_or(now) < startOfToday; });
    if (m_items.size() != before)
        save();
}

void TodoStore::move(const QList<int>& rows, int destination)
{
    QSet<int> moving;
    for (const int row : rows) {
        if (row >= 0 && row < m_items.size())
            moving.insert(row);
    }
    if (moving.isEmpty())
        return;
    destination = std::clamp(destination, 0, static_cast<int>(m_items.size()));
    QList<TodoItem> moved;
    QList<TodoItem> rest;
    int insertAt = 0;
    for (int i = 0; i < m_items.size(); ++i) {
        if (i == destination)
            insertAt = static_cast<int>(rest.size());
        (moving.contains(i) ? moved : rest).append(m_items[i]);
    }
    if (destination >= m_items.size())
        insertAt = static_cast<int>(rest.size());
    for (int i = 0; i < moved.size(); ++i)
        rest.insert(insertAt + i, moved[i]);
    m_items = std::move(rest);
    save();
}

}
