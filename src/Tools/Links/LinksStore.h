#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "Base/JsonFileWriter.h"
#include "Base/SharedInstance.h"

namespace Quickhalo {

class WebRequest;
class WebRequests;

struct LinkItem {
    QUuid id;
    QString title;
    QString url; // an absolute http or https address with a host
    QDateTime addedAt; // UTC, whole seconds
    bool operator==(const LinkItem&) const = default;
};

// The reading list in "links.json", newest first, one entry per address. Every change is saved at
// once. Main thread.
class LinksStore final : public QObject, public Shared<LinksStore> {
    Q_OBJECT

public:
    static inline const QString fileName = QStringLiteral("links.json");

    // Without `web`, links keep their provisional titles.
    LinksStore(QString filePath, WebRequests* web = nullptr,
        std::function<QDateTime()> clock = &QDateTime::currentDateTimeUtc);
    ~LinksStore() override;

    const QList<LinkItem>& links() const { return m_links; }
    bool startedFromUnreadableFile() const { return m_unreadable; }

    // Saves the address at the top (an address already saved moves there under a new id). Without
    // a title the host stands in. Nothing for text that is not a web address.
    std::optional<QUuid> add(const QString& url, const std::optional<QString>& title = std::nullopt);
    // As `add` without a title, then the page's own title replaces the host once it is fetched.
    std::optional<QUuid> addAndFetchTitle(const QString& url);
    void rename(const QUuid& id, const QString& title);
    void remove(const QUuid& id);

    // The positions in `links` of those whose title or address holds `query`, ignoring case, in
    // order; all of them for an empty query.
    QList<int> matching(const QString& query) const;

    void waitForWrites() { m_writer.waitForWrites(); }

    // Trimmed, parsed, http or https, with a host; nothing otherwise.
    static std::optional<QUrl> webUrl(const QString& text);
    static std::optional<QList<LinkItem>> decode(const QByteArray& bytes);
    static QByteArray encode(const QList<LinkItem>& links);

    struct Folded {
        QString title;
        QString url;
    };

Q_SIGNALS:
    void linksChanged();

private:
    void load();
    void save();
    void refold();

    WebRequests* m_web;
    std::function<QDateTime()> m_clock;
    QList<LinkItem> m_links;
    // Each link's title and address, case-folded once, so that a search is a plain scan.
    QList<Folded> m_folded;
    struct Search {
        QString needle;
        QList<int> rows;
    };
    mutable std::optional<Search> m_lastSearch; // until the links change
    std::map<QUuid, std::unique_ptr<WebRequest>> m_titleFetches;
    bool m_unreadable = false;
    JsonFileWriter m_writer;
};

}
