#include "Tools/Links/LinksView.h"

#include "Base/Log.h"
#include "Platform/Fake/FakeClipboard.h"
#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakePasteInput.h"
#include "Tools/Clipboard/ClipboardStore.h"
#include "Tools/Links/CurrentTabReader.h"
#include "Tools/Links/LinksStore.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

using namespace Quickhalo;

namespace {

class LinksViewTest : public ::testing::Test {
protected:
    std::unique_ptr<LinksView> show(std::optional<TargetApplication> target = std::nullopt)
    {
        auto view = std::make_unique<LinksView>(LinksViewServices { store, history, clipboard,
            [this](const QUrl& url) { opened << url.toString(); },
            [this](const QString& text, const QString& symbol) { toasts << text + QStringLiteral(" / ") + symbol; },
            std::move(target), &reader, nullptr, {}, [this] { ++closes; } });
        view->resize(380, 420);
        view->show();
        return view;
    }
    void key(LinksView& view, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(view.search(), key, modifiers);
    }

    Testing::TemporaryFolder folder;
    Log::Capture log;
    LinksStore store { folder.filePath(QStringLiteral("links.json")) };
    FakeClipboard clipboard;
    FakeClock clock;
    ClipboardStore history { clipboard, clock };
    QStringList journal;
    FakePasteInput keys { journal };
    CurrentTabReader reader { { keys, clipboard, clock, &history } };
    QStringList opened;
    QStringList toasts;
    int closes = 0;
};

}

TEST_F(LinksViewTest, TheKeyboardMovesOpensAndCopies)
{
    for (const char* url : { "https://c.example/", "https://b.example/", "https://a.example/" })
        store.add(QString::fromLatin1(url));
    auto view = show();
    key(*view, Qt::Key_Up);
    EXPECT_EQ(view->selection(), 0) << "the first row stays the first";
    for (int i = 0; i < 5; ++i)
        key(*view, Qt::Key_Down);
    EXPECT_EQ(view->selection(), 2) << "the last row stays the last";

    key(*view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard.text(), QStringLiteral("https://c.example/"));
    EXPECT_EQ(history.items(), QStringList { QStringLiteral("https://c.example/") }) << "recorded once";
    EXPECT_EQ(toasts, QStringList { QStringLiteral("Copied link / checkmark.circle.fill") });

    QTest::keyClicks(view->search(), QStringLiteral("EXAMPLE"));
    EXPECT_EQ(view->selection(), 0) << "typing goes back to the first row";
    view->search()->selectAll();
    key(*view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(toasts.size(), 1) << "with text in the line, Ctrl+C is the line's";

    view->search()->setText(QStringLiteral("b.ex"));
    EXPECT_EQ(view->shown(), QList<int> { 1 });
    key(*view, Qt::Key_Return);
    EXPECT_EQ(opened, QStringList { QStringLiteral("https://b.example/") });
    EXPECT_EQ(closes, 1);

    view->search()->setText(QStringLiteral("nothing like it"));
    EXPECT_EQ(view->emptyLine()->text(), QStringLiteral("No matches"));
    key(*view, Qt::Key_Return);
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(LinksViewTest, ClicksOpenCopyAndDelete)
{
    store.add(QStringLiteral("https://b.example/"));
    store.add(QStringLiteral("https://a.example/"));
    auto view = show();
    QListView& list = *view->list();
    const QRect first = list.visualRect(list.model()->index(0, 0));
    // The delete button at the right end, then the copy button beside it.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(first.right() - 16, first.center().y() - 1));
    QCoreApplication::processEvents();
    EXPECT_EQ(store.links().size(), 1);
    EXPECT_EQ(store.links()[0].url, QStringLiteral("https://b.example/"));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(first.right() - 40, first.center().y() - 1));
    QCoreApplication::processEvents();
    EXPECT_EQ(clipboard.text(), QStringLiteral("https://b.example/"));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, first.center() - QPoint(60, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(opened, QStringList { QStringLiteral("https://b.example/") });
}

TEST_F(LinksViewTest, TheButtonsFollowTheClipboardAndTheWindowBehind)
{
    auto view = show();
    EXPECT_EQ(view->emptyLine()->text(), QStringLiteral("No saved links yet"));
    EXPECT_FALSE(view->addFromClipboardButton()->isEnabled());
    EXPECT_EQ(view->saveTabButton(), nullptr) << "no window behind the ring";
    view.reset();

    clipboard.copyText(QStringLiteral("  https://example.com/read-later  "));
    view = show(TargetApplication { 7, 8, QStringLiteral("Mousepad") });
    EXPECT_EQ(view->saveTabButton(), nullptr) << "a text editor has no tab";
    ASSERT_TRUE(view->addFromClipboardButton()->isEnabled());
    QTest::mouseClick(view->addFromClipboardButton(), Qt::LeftButton);
    ASSERT_EQ(store.links().size(), 1);
    EXPECT_EQ(store.links()[0].title, QStringLiteral("example.com"));
    view.reset();

    view = show(TargetApplication { 7, 8, QStringLiteral("Chromium"), QStringLiteral("Docs - Chromium") });
    ASSERT_NE(view->saveTabButton(), nullptr);
    EXPECT_EQ(view->saveTabButton()->text(), QStringLiteral("Save current tab"));
    keys.onShortcut = [this](const QString& shortcut) {
        if (shortcut == QLatin1String("ctrl+c"))
            clipboard.copyText(QStringLiteral("https://docs.example/page"));
    };
    QTest::mouseClick(view->saveTabButton(), Qt::LeftButton);
    EXPECT_FALSE(view->saveTabButton()->isEnabled()) << "busy while the browser is asked";
    for (int step = 0; step < 40 && reader.isReading(); ++step)
        clock.advance(0.05);
    ASSERT_FALSE(reader.isReading());
    EXPECT_TRUE(view->saveTabButton()->isEnabled());
    EXPECT_EQ(store.links()[0].url, QStringLiteral("https://docs.example/page"));
    EXPECT_EQ(store.links()[0].title, QStringLiteral("Docs"));
    EXPECT_EQ(toasts.last(), QStringLiteral("Link saved / link"));
    EXPECT_EQ(clipboard.text(), QStringLiteral("  https://example.com/read-later  ")) << "the user's clipboard is back";

    // A browser that copies nothing: told, and nothing saved.
    keys.onShortcut = nullptr;
    QTest::mouseClick(view->saveTabButton(), Qt::LeftButton);
    for (int step = 0; step < 60 && reader.isReading(); ++step)
        clock.advance(0.05);
    EXPECT_EQ(toasts.last(), QStringLiteral("Couldn't read the current tab / exclamationmark.triangle.fill"));
    EXPECT_EQ(store.links().size(), 2);
}

TEST_F(LinksViewTest, AnUnreadableFileIsSaid)
{
    folder.write(QStringLiteral("other.json"), "{ not json");
    LinksStore broken(folder.filePath(QStringLiteral("other.json")));
    auto view = std::make_unique<LinksView>(LinksViewServices { broken, history, clipboard, [](const QUrl&) {},
        [](const QString&, const QString&) {} });
    ASSERT_NE(view->keptAsideLine(), nullptr);
    EXPECT_TRUE(view->keptAsideLine()->text().contains(QStringLiteral("links.json")));
    EXPECT_EQ(view->keptAsideLine()->parent(), view.get());
}
