#include "Tools/Links/LinksStore.h"

#include "Base/Log.h"
#include "Platform/Fake/FakeWebRequests.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QTimeZone>

using namespace Quickhalo;

namespace {

class LinksStoreTest : public ::testing::Test {
protected:
    std::unique_ptr<LinksStore> make()
    {
        return std::make_unique<LinksStore>(folder.filePath(QStringLiteral("links.json")), &web, [this] { return now; });
    }
    // Each saved link as "title <url>", in the file's order.
    QStringList onDisk()
    {
        store->waitForWrites();
        QStringList rows;
        for (const LinkItem& link : LinksStore::decode(folder.read(QStringLiteral("links.json"))).value_or(QList<LinkItem> {}))
            rows << link.title + QStringLiteral(" <") + link.url + u'>';
        return rows;
    }

    Testing::TemporaryFolder folder;
    Log::Capture log;
    FakeWebRequests web;
    QDateTime now { QDate(2026, 12, 11), QTime(9, 30, 15, 400), QTimeZone::utc() };
    std::unique_ptr<LinksStore> store = make();
};

}

TEST(LinksStoreWebUrl, TakesOnlyWebAddressesWithAHost)
{
    struct Case {
        const char* text;
        std::optional<const char*> url;
    };
    const Case cases[] = {
        { "  https://example.com/a?b=c \n", "https://example.com/a?b=c" },
        { "HTTP://Example.com", "http://example.com" },
        { "http://127.0.0.1:8080/x", "http://127.0.0.1:8080/x" },
        { "ftp://example.com/file", std::nullopt },
        { "example.com", std::nullopt },
        { "https://", std::nullopt },
        { "javascript:alert(1)", std::nullopt },
        { "file:///etc/passwd", std::nullopt },
        { "https://exa mple.com", std::nullopt },
        { "", std::nullopt },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<QUrl> url = LinksStore::webUrl(QString::fromUtf8(c.text));
        if (c.url) {
            ASSERT_TRUE(url);
            EXPECT_EQ(url->toString(QUrl::FullyEncoded), QString::fromUtf8(*c.url));
        } else {
            EXPECT_EQ(url, std::nullopt);
        }
    }
}

TEST_F(LinksStoreTest, NewestFirstOneEntryPerAddressAndTheFileAsSpecified)
{
    EXPECT_EQ(store->add(QStringLiteral("not a link")), std::nullopt);
    const auto first = store->add(QStringLiteral("https://example.com/a"), QStringLiteral("A"));
    store->add(QStringLiteral("https://example.org/"), QString());
    const auto again = store->add(QStringLiteral(" https://example.com/a "), QStringLiteral("A, newer"));
    ASSERT_TRUE(first && again);
    EXPECT_NE(*first, *again) << "a new id for the moved entry";
    EXPECT_EQ(onDisk(), (QStringList { QStringLiteral("A, newer <https://example.com/a>"),
                            QStringLiteral("example.org <https://example.org/>") }));

    const QString text = QString::fromUtf8(folder.read(QStringLiteral("links.json")));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\"addedAt\": \"2026-12-11T09:30:15Z\",\\s*\"id\": \"[0-9A-F-]{36}\",\\s*"
                                                  "\"title\": \"A, newer\",\\s*\"url\": \"https://example.com/a\""))
                    .match(text)
                    .hasMatch())
        << text.toStdString();
    store->waitForWrites();
    EXPECT_EQ(make()->links(), store->links()) << "whole seconds: what is kept reads back the same";
}

TEST_F(LinksStoreTest, RenameAndRemove)
{
    const QUuid id = *store->add(QStringLiteral("https://example.com"));
    store->add(QStringLiteral("https://example.net"));
    store->rename(id, QString());
    store->rename(QUuid::createUuid(), QStringLiteral("nobody"));
    EXPECT_EQ(onDisk()[1], QStringLiteral("example.com <https://example.com>"));
    store->rename(id, QStringLiteral("Example"));
    EXPECT_EQ(onDisk()[1], QStringLiteral("Example <https://example.com>"));
    store->remove(id);
    EXPECT_EQ(onDisk(), (QStringList { QStringLiteral("example.net <https://example.net>") }));
}

TEST_F(LinksStoreTest, ThePagesTitleReplacesTheHostUnlessTheLinkIsGone)
{
    const QUuid kept = *store->addAndFetchTitle(QStringLiteral("https://example.com/kept"));
    const QUuid gone = *store->addAndFetchTitle(QStringLiteral("https://example.com/gone"));
    ASSERT_EQ(web.requests.size(), 2);
    EXPECT_EQ(web.requests[0]->options.maxBytes, 65536);
    EXPECT_EQ(web.requests[0]->options.maxRedirects, 5);
    EXPECT_EQ(web.requests[0]->options.userAgent, "Mozilla/5.0");
    store->remove(gone);
    EXPECT_TRUE(web.requests[1]->abandoned) << "no download for a link that is gone";
    ASSERT_TRUE(web.answer({ {}, 200, "<title>Kept &amp; read</title>", "text/html" }));
    QCoreApplication::sendPostedEvents(store.get(), QEvent::MetaCall);
    EXPECT_EQ(onDisk(), (QStringList { QStringLiteral("Kept & read <https://example.com/kept>") }));
    EXPECT_EQ(store->links()[0].id, kept);

    // No title: the host stays.
    store->addAndFetchTitle(QStringLiteral("https://example.org/none"));
    ASSERT_TRUE(web.answer({ QStringLiteral("connection refused"), 0, {} }));
    QCoreApplication::sendPostedEvents(store.get(), QEvent::MetaCall);
    EXPECT_EQ(onDisk()[0], QStringLiteral("example.org <https://example.org/none>"));
}

TEST_F(LinksStoreTest, SearchesTitlesAndAddressesIgnoringCase)
{
    store->add(QStringLiteral("https://news.example.com/x"), QStringLiteral("Straße und Weg"));
    store->add(QStringLiteral("https://example.org/Recipes"), QStringLiteral("Soup"));
    store->add(QStringLiteral("https://example.net/"), QStringLiteral("CAFÉ"));
    struct Case {
        const char* query;
        QList<int> rows;
    };
    const Case cases[] = {
        { "", { 0, 1, 2 } },
        { "café", { 0 } },
        { "recipes", { 1 } },
        { "STRAßE", { 2 } },
        { "example", { 0, 1, 2 } },
        { "example.", { 0, 1, 2 } }, // typed on: narrowed from the last search
        { "example.o", { 1 } },
        { "exa", { 0, 1, 2 } }, // taken back: all again
        { "soup\nhttps", {} },
        { "nothing", {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        EXPECT_EQ(store->matching(QString::fromUtf8(c.query)), c.rows);
    }
    store->rename(store->links()[1].id, QStringLiteral("Broth"));
    EXPECT_EQ(store->matching(QStringLiteral("broth")), (QList<int> { 1 })) << "a rename is searched at once";
}

TEST_F(LinksStoreTest, AnUnreadableFileIsKeptAsideBeforeTheFirstSave)
{
    const QByteArray users = "[{\"id\": \"6F9619FF-8B86-D011-B42D-00C04FC964FF\", \"title\": \"x\", \"url\": \"https://a.b\"}]";
    folder.write(QStringLiteral("links.json"), users); // no addedAt: the whole file is unreadable
    store = make();
    EXPECT_TRUE(store->links().isEmpty());
    EXPECT_TRUE(store->startedFromUnreadableFile());
    store->add(QStringLiteral("https://example.com"));
    EXPECT_EQ(onDisk().size(), 1);
    const QStringList kept = QDir(folder.path()).entryList({ QStringLiteral("links.json.kept-*") }, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(folder.read(kept[0]), users);
}
