#include "Tools/Links/LinksStore.h"

#include "Base/JsonFile.h"
#include "Platform/WebRequests.h"
#include "Tools/Links/PageTitle.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

namespace Quickhalo {

namespace {

constexpr qint64 largestFile = 32 * 1024 * 1024;

QJsonArray toJson(const QList<LinkItem>& links)
{
    QJsonArray array;
    for (const LinkItem& link : links)
        array.append(QJsonObject { { QStringLiteral("id"), link.id.toString(QUuid::WithoutBraces).toUpper() },
            { QStringLiteral("title"), link.title }, { QStringLiteral("url"), link.url },
            { QStringLiteral("addedAt"), JsonFile::timeText(link.addedAt) } });
    return array;
}

LinksStore::Folded folded(const LinkItem& link)
{
    return { link.title.toCaseFolded(), link.url.toCaseFolded() };
}

}

LinksStore::LinksStore(QString filePath, WebRequests* web, std::function<QDateTime()> clock)
    : m_web(web)
    , m_clock(std::move(clock))
    , m_writer(std::move(filePath))
{
    load();
}

LinksStore::~LinksStore() = default;

std::optional<QUrl> LinksStore::webUrl(const QString& text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty())
        return std::nullopt;
    return url;
}

std::optional<QList<LinkItem>> LinksStore::decode(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<LinkItem> links;
    for (const QJsonValue& element : document.array()) {
        if (!element.isObject())
            return std::nullopt;
        const QJsonObject object = element.toObject();
        const QUuid id = QUuid::fromString(object.value(QStringLiteral("id")).toString());
        const QJsonValue title = object.value(QStringLiteral("title"));
        const QJsonValue url = object.value(QStringLiteral("url"));
        const std::optional<QDateTime> added = JsonFile::time(object.value(QStringLiteral("addedAt")));
        if (id.isNull() || !title.isString() || !url.isString() || !added)
            return std::nullopt;
        links.append({ id, title.toString(), url.toString(), *added });
    }
    return links;
}

QByteArray LinksStore::encode(const QList<LinkItem>& links)
{
    return JsonFile::encode(toJson(links));
}

void LinksStore::load()
{
    m_unreadable = !m_writer.load(largestFile, QStringLiteral("a list of links"), [this](const QByteArray& bytes) {
        std::optional<QList<LinkItem>> read = decode(bytes);
        if (read) {
            m_links = std::move(*read);
            refold();
        }
        return read.has_value();
    });
}

void LinksStore::save()
{
    m_lastSearch.reset();
    m_writer.save(toJson(m_links));
    Q_EMIT linksChanged();
}

void LinksStore::refold()
{
    m_lastSearch.reset();
    m_folded.clear();
    m_folded.reserve(m_links.size());
    for (const LinkItem& link : m_links)
        m_folded.append(folded(link));
}

std::optional<QUuid> LinksStore::add(const QString& url, const std::optional<QString>& title)
{
    const std::optional<QUrl> address = webUrl(url);
    if (!address)
        return std::nullopt;
    const QString absolute = address->toString(QUrl::FullyEncoded);
    for (qsizetype i = m_links.size() - 1; i >= 0; --i) {
        if (m_links[i].url == absolute) {
            m_titleFetches.erase(m_links[i].id);
            m_links.removeAt(i);
            m_folded.removeAt(i);
        }
    }
    const QString shownTitle = title && !title->isEmpty() ? *title : address->host();
    const QDateTime now = QDateTime::fromSecsSinceEpoch(m_clock().toSecsSinceEpoch(), QTimeZone::utc());
    const LinkItem link { QUuid::createUuid(), shownTitle, absolute, now };
    m_links.prepend(link);
    m_folded.prepend(folded(link));
    save();
    return link.id;
}

std::optional<QUuid> LinksStore::addAndFetchTitle(const QString& url)
{
    const std::optional<QUuid> id = add(url);
    if (!id || !m_web)
        return id;
    m_titleFetches[*id] = PageTitle::fetch(*m_web, QUrl(m_links.front().url), [this, id = *id](std::optional<QString> title) {
        // Later: this runs from the request, which the erase destroys.
        QMetaObject::invokeMethod(this, [this, id, title] {
            m_titleFetches.erase(id);
            if (title)
                rename(id, *title);
        }, Qt::QueuedConnection);
    });
    return id;
}

void LinksStore::rename(const QUuid& id, const QString& title)
{
    if (title.isEmpty())
        return;
    for (qsizetype i = 0; i < m_links.size(); ++i) {
        if (m_links[i].id == id) {
            m_links[i].title = title;
            m_folded[i] = folded(m_links[i]);
            save();
            return;
        }
    }
}

void LinksStore::remove(const QUuid& id)
{
    m_titleFetches.erase(id);
    for (qsizetype i = m_links.size() - 1; i >= 0; --i) {
        if (m_links[i].id == id) {
            m_links.removeAt(i);
            m_folded.removeAt(i);
        }
    }
    save();
}

QList<int> LinksStore::matching(const QString& query) const
{
    const QString needle = query.toCaseFolded();
    const auto matches = [&](int i) { return m_folded[i].title.contains(needle) || m_folded[i].url.contains(needle); };
    QList<int> rows;
    if (needle.isEmpty()) {
        rows.reserve(m_links.size());
        for (int i = 0; i < m_links.size(); ++i)
            rows.append(i);
    } else if (m_lastSearch && needle.startsWith(m_lastSearch->needle)) {
        // Typing on narrows what the last keystroke found; nothing else can match.
        for (const int i : m_lastSearch->rows) {
            if (matches(i))
                rows.append(i);
        }
    } else {
        for (int i = 0; i < m_folded.size(); ++i) {
            if (matches(i))
                rows.append(i);
        }
    }
    m_lastSearch = needle.isEmpty() ? std::nullopt : std::optional(Search { needle, rows });
    return rows;
}

}
