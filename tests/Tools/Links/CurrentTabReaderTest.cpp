#include "Tools/Links/CurrentTabReader.h"

#include "Platform/Fake/FakeClipboard.h"
#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakePasteInput.h"
#include "Tools/Clipboard/ClipboardStore.h"

#include <gtest/gtest.h>

using namespace Quickhalo;

namespace {

const TargetApplication firefox { 0x1400003, 4711, QStringLiteral("firefox-esr"),
    QStringLiteral("Local Test Page \u2014 Mozilla Firefox") };

class CurrentTabReaderTest : public ::testing::Test {
protected:
    CurrentTabReaderTest()
    {
        clipboard.copy({ { FakeClipboard::textFormat, "the user's text" }, { QStringLiteral("text/html"), "<b>the user's</b>" },
            { QStringLiteral("TARGETS"), "ignored" } });
        history.start();
        clock.advance(ClipboardStore::pollInterval);
    }
    // Runs the reader to its answer, with the clock moving as a main loop would.
    std::optional<std::optional<BrowserTab>> read(const TargetApplication& target)
    {
        std::optional<std::optional<BrowserTab>> answer;
        reader.read(target, [&](std::optional<BrowserTab> tab) { answer = std::move(tab); });
        for (int step = 0; step < 100 && !answer; ++step) {
            clock.runLater();
            clock.advance(0.05);
        }
        clock.runLater();
        clock.advance(1.0); // the history listens again
        return answer;
    }
    // What the browser puts on the clipboard for Ctrl+C, if anything.
    void browserCopies(std::optional<QString> address)
    {
        keys.onShortcut = [this, address](const QString& shortcut) {
            if (shortcut == QLatin1String("ctrl+c") && address)
                clipboard.copy({ { FakeClipboard::textFormat, address->toUtf8() }, { QStringLiteral("text/x-moz-url"), "x" } });
        };
    }

    QStringList journal;
    FakePasteInput keys { journal };
    FakeClipboard clipboard;
    FakeClock clock;
    ClipboardStore history { clipboard, clock };
    CurrentTabReader reader { { keys, clipboard, clock, &history } };
};

}

TEST_F(CurrentTabReaderTest, ReadsTheAddressAndPutsTheClipboardBack)
{
    const QMap<QString, QByteArray> before = clipboard.contents;
    browserCopies(QStringLiteral("http://127.0.0.1:8000/page.html\n"));
    const auto answer = read(firefox);
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, (BrowserTab { QStringLiteral("http://127.0.0.1:8000/page.html"), QStringLiteral("Local Test Page") }));
    EXPECT_EQ(journal, (QStringList { QStringLiteral("activate 20971523"), QStringLiteral("ctrl+l"), QStringLiteral("ctrl+c"),
                           QStringLiteral("Escape") }));
    QMap<QString, QByteArray> expected = before;
    expected.remove(QStringLiteral("TARGETS"));
    EXPECT_EQ(clipboard.contents, expected) << "every format back, byte for byte";
    clock.advance(5);
    EXPECT_TRUE(history.items().isEmpty()) << history.items().join(u'|').toStdString();

    // The history still records what is copied afterwards.
    clipboard.copyText(QStringLiteral("later"));
    clock.advance(ClipboardStore::pollInterval);
    EXPECT_EQ(history.items(), QStringList { QStringLiteral("later") });
}

TEST_F(CurrentTabReaderTest, ACopySentBeforeTheAddressBarIsReadyIsSentAgain)
{
    int copies = 0;
    keys.onShortcut = [&](const QString& shortcut) {
        if (shortcut == QLatin1String("ctrl+c") && ++copies == 2)
            clipboard.copyText(QStringLiteral("https://example.com/second-try"));
    };
    const auto answer = read(firefox);
    ASSERT_TRUE(answer && *answer);
    EXPECT_EQ((*answer)->url, QStringLiteral("https://example.com/second-try"));
    EXPECT_EQ(copies, 2);
    EXPECT_EQ(journal.last(), QStringLiteral("Escape"));
    EXPECT_EQ(clipboard.text(), QStringLiteral("the user's text"));
}

TEST_F(CurrentTabReaderTest, ChangesNothingWhenNoWebAddressComes)
{
    struct Case {
        const char* name;
        std::optional<QString> copied;
    };
    const Case cases[] = {
        { "the browser copies nothing within a second", std::nullopt },
        { "an address that is not http(s)", QStringLiteral("about:preferences") },
        { "text that is not an address", QStringLiteral("hello") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QMap<QString, QByteArray> before = clipboard.contents;
        const quint64 changes = clipboard.changes;
        browserCopies(c.copied);
        const auto answer = read(firefox);
        ASSERT_TRUE(answer);
        EXPECT_EQ(*answer, std::nullopt);
        EXPECT_EQ(clipboard.text(), QStringLiteral("the user's text"));
        EXPECT_EQ(clipboard.contents.value(QStringLiteral("text/html")), before.value(QStringLiteral("text/html")));
        if (!c.copied) {
            EXPECT_EQ(clipboard.changes, changes) << "an untouched clipboard is not rewritten";
        }
        EXPECT_TRUE(history.items().isEmpty());
    }
}

TEST_F(CurrentTabReaderTest, OnlyBrowserWindowsAreAsked)
{
    TargetApplication editor = firefox;
    editor.windowClass = QStringLiteral("Mousepad");
    EXPECT_EQ(CurrentTabReader::browserOf(editor), nullptr);
    EXPECT_EQ(CurrentTabReader::browserOf(std::nullopt), nullptr);
    const auto answer = read(editor);
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, std::nullopt);
    EXPECT_TRUE(journal.isEmpty()) << "no keys for a window that is not a browser";
}
