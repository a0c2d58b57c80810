#include "Tools/Links/PageTitle.h"

#include "Platform/Qt/QtWebRequests.h"
#include "Platform/WebRequests.h"
#include "support/LocalHttpServer.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

using namespace Quickhalo;
using Quickhalo::Testing::LocalHttpServer;

TEST(PageTitle, FindsTheFirstTitleAndCleansItUp)
{
    struct Case {
        const char* html;
        std::optional<const char*> title;
    };
    const Case cases[] = {
        { "<html><head><title>Plain</title></head>", "Plain" },
        { "<TITLE lang=\"en\">\n  A &amp; B \n\n</TITLE>", "A & B" },
        { "<title>&quot;Q&quot; &#39;s&#39; &lt;tag&gt; &#x41;&#66; &mdash; &nbsp;end</title>", "\"Q\" 's' <tag> AB \u2014 end" },
        // Decoded once, as a browser shows it: the page says "&lt;" in words.
        { "<title>A &amp;lt; B</title>", "A &lt; B" },
        { "<title>&unknown; &#0; &#x110000;</title>", "&unknown; \uFFFD \uFFFD" },
        { "<title>first</title><title>second</title>", "first" },
        { "<title>   \n\t </title>", std::nullopt },
        { "<p>no title here</p>", std::nullopt },
        { "<title>never closed", std::nullopt },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.html);
        const std::optional<QString> title = PageTitle::extract(QString::fromUtf8(c.html));
        if (c.title)
            EXPECT_EQ(title, QString::fromUtf8(*c.title));
        else
            EXPECT_EQ(title, std::nullopt);
    }
}

TEST(PageTitle, ReadsThePageInTheCharsetItDeclares)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        QByteArray contentType;
        bool cut;
        QString text;
    };
    const Case cases[] = {
        { "UTF-8, undeclared", "caf\xc3\xa9", "text/html", false, QStringLiteral("caf\u00e9") },
        { "Latin-1, undeclared", "caf\xe9", "text/html", false, QStringLiteral("caf\u00e9") },
        { "Latin-1 in the header", "caf\xe9 \x93q\x94", "text/html; charset=ISO-8859-1", false,
            QStringLiteral("caf\u00e9 \u201cq\u201d") },
        { "Latin-1 in a meta element", "<meta charset=\"windows-1252\">caf\xe9", "text/html", false,
            QStringLiteral("<meta charset=\"windows-1252\">caf\u00e9") },
        { "UTF-8 declared by http-equiv", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\xc3\xa9",
            "", false, QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\u00e9") },
        // Cut inside the last character: the rest is still UTF-8, not Latin-1.
        { "UTF-8 cut mid-character", "caf\xc3\xa9 \xe2\x82", "text/html", true, QStringLiteral("caf\u00e9 ") },
        { "a label nobody knows", "caf\xc3\xa9", "text/html; charset=x-made-up", false, QStringLiteral("caf\u00e9") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PageTitle::decode(c.bytes, c.contentType, c.cut), c.text);
    }
}

namespace {

class PageTitleFetch : public ::testing::Test {
protected:
    // The title, or nothing; fails the test when no answer comes at all.
    std::optional<QString> fetch(const QString& path)
    {
        bool answered = false;
        std::optional<QString> title;
        auto request = PageTitle::fetch(web, QUrl(server.root() + path), [&](std::optional<QString> found) {
            answered = true;
            title = std::move(found);
        });
        EXPECT_TRUE(Testing::waitUntil([&] { return answered; }, 8000)) << path.toStdString();
        return title;
    }

    LocalHttpServer server;
    QtWebRequests web;
};

}

TEST_F(PageTitleFetch, ReadsTitlesWithinTheFirst64KiB)
{
    server.set(QStringLiteral("/plain"), LocalHttpServer::page("<html><title>Plain page</title>"));
    server.set(QStringLiteral("/entities"), LocalHttpServer::page("<title>Fish &amp; Chips &#8211; Menu</title>"));
    server.set(QStringLiteral("/late"), LocalHttpServer::page(QByteArray(PageTitle::maxBytes, ' ') + "<title>Too late</title>"));
    server.set(QStringLiteral("/edge"),
        LocalHttpServer::page(QByteArray(PageTitle::maxBytes - 22, ' ') + "<title>Just in</title>" + QByteArray(100000, 'x')));
    server.set(QStringLiteral("/latin1"), LocalHttpServer::page("<title>Caf\xe9</title>", "text/html; charset=iso-8859-1"));
    server.set(QStringLiteral("/utf8"), LocalHttpServer::page("<title>Caf\xc3\xa9 \xe2\x98\x95</title>", "text/html; charset=utf-8"));
    server.set(QStringLiteral("/empty"), LocalHttpServer::page("<title> </title>"));
    server.set(QStringLiteral("/missing"), { 404, "<title>Not Found</title>", false, "text/html" });

    EXPECT_EQ(fetch(QStringLiteral("/plain")), QStringLiteral("Plain page"));
    EXPECT_EQ(fetch(QStringLiteral("/entities")), QStringLiteral("Fish & Chips \u2013 Menu"));
    EXPECT_EQ(fetch(QStringLiteral("/late")), std::nullopt);
    EXPECT_EQ(fetch(QStringLiteral("/edge")), QStringLiteral("Just in"));
    EXPECT_EQ(fetch(QStringLiteral("/latin1")), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(fetch(QStringLiteral("/utf8")), QStringLiteral("Caf\u00e9 \u2615"));
    EXPECT_EQ(fetch(QStringLiteral("/empty")), std::nullopt);
    // The status is not looked at: an error page's title is the page's title.
    EXPECT_EQ(fetch(QStringLiteral("/missing")), QStringLiteral("Not Found"));
    EXPECT_EQ(server.requests().size(), 8);
}

TEST_F(PageTitleFetch, FollowsFiveRedirectsOnlyToTheWeb)
{
    // /a5 → /a4 → … → /a0 is five redirects; /b6 needs six.
    for (int i = 1; i <= 5; ++i)
        server.set(QStringLiteral("/a%1").arg(i), LocalHttpServer::redirect(QStringLiteral("/a%1").arg(i - 1)));
    server.set(QStringLiteral("/a0"), LocalHttpServer::page("<title>Arrived</title>"));
    for (int i = 1; i <= 6; ++i)
        server.set(QStringLiteral("/b%1").arg(i), LocalHttpServer::redirect(QStringLiteral("/b%1").arg(i - 1)));
    server.set(QStringLiteral("/b0"), LocalHttpServer::page("<title>Too far</title>"));
    server.set(QStringLiteral("/to-file"), LocalHttpServer::redirect(QStringLiteral("file:///etc/hostname")));

    EXPECT_EQ(fetch(QStringLiteral("/a5")), QStringLiteral("Arrived"));
    EXPECT_EQ(fetch(QStringLiteral("/b6")), std::nullopt);
    EXPECT_FALSE(server.requests().contains(QStringLiteral("/b0")));
    EXPECT_EQ(fetch(QStringLiteral("/to-file")), std::nullopt) << "neither the redirect page's title nor the file";
}

TEST_F(PageTitleFetch, GivesUpOnAServerThatNeverAnswers)
{
    server.set(QStringLiteral("/silent"), { 200, {}, true });
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(fetch(QStringLiteral("/silent")), std::nullopt);
    // Not a refusal: it waited for the answer that never came.
    EXPECT_GE(elapsed.elapsed(), PageTitle::timeoutMs / 2);
}
