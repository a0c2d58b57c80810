// The clipboard history on the real X server, fed by other clients.
#include "Tools/Clipboard/ClipboardStore.h"

#include "Platform/Qt/QtClock.h"
#include "Platform/X11/X11Clipboard.h"
#include "support/DesktopTestSupport.h"
#include "support/TemporaryFolder.h"

#include <QElapsedTimer>
#include <QImage>

#include <csignal>

#include <gtest/gtest.h>

using namespace Quickhalo;
using Quickhalo::Testing::waitUntil;

namespace {

class ClipboardHistoryDesktop : public ::testing::Test {
protected:
    ~ClipboardHistoryDesktop() override
    {
        for (QProcess* owner : owners) {
            owner->kill();
            owner->waitForFinished();
            delete owner;
        }
    }

    // Copies as another application would; waits until this process has seen the change.
    void xclip(const QStringList& arguments, const QByteArray& input = {})
    {
        const quint64 before = clipboard.changeCount();
        ASSERT_NO_FATAL_FAILURE(Testing::xclipCopy(arguments, input));
        ASSERT_TRUE(waitUntil([&] { return clipboard.changeCount() != before; })) << "the copy was not noticed";
    }
    void copyText(const QString& text) { xclip({ QStringLiteral("-i") }, text.toUtf8()); }

    // A client that offers several formats at once, as password managers do.
    void copyWithFormats(const QStringList& arguments)
    {
        const quint64 before = clipboard.changeCount();
        auto* owner = new QProcess;
        owners << owner;
        owner->start(QStringLiteral(CLIPBOARD_OWNER), arguments);
        ASSERT_TRUE(owner->waitForReadyRead(10000)) << "the clipboard owner did not start";
        ASSERT_TRUE(waitUntil([&] { return clipboard.changeCount() != before; }));
    }

    // Long enough for the poller to have looked at least twice.
    static void letThePollerRun() { QTest::qWait(1200); }

    int captures = 0;
    X11Clipboard clipboard;
    QtClock clock;
    ClipboardStore store { clipboard, clock, [this] {
                              ++captures;
                              return QDateTime::currentDateTimeUtc();
                          } };
    QList<QProcess*> owners;
};

}

TEST_F(ClipboardHistoryDesktop, RecordsCopiesOfOtherClientsOnceNewestFirst)
{
    copyText(QStringLiteral("already there"));
    store.start();
    letThePollerRun();
    EXPECT_TRUE(store.items().isEmpty()) << "what the clipboard held at start is not taken";

    for (const char* text : { "alpha", "beta", "alpha" }) {
        copyText(QString::fromUtf8(text));
        ASSERT_TRUE(waitUntil([&] { return !store.items().isEmpty() && store.items().first() == QString::fromUtf8(text); }))
            << text << " was not recorded";
    }
    EXPECT_EQ(store.items(), (QStringList { QStringLiteral("alpha"), QStringLiteral("beta") }));

    copyText(QStringLiteral("  grüße, 😀\n"));
    ASSERT_TRUE(waitUntil([&] { return store.items().size() == 3; }));
    EXPECT_EQ(store.items().first(), QStringLiteral("  grüße, 😀\n")) << "recorded as copied, untrimmed";
}

TEST_F(ClipboardHistoryDesktop, ALargeCopyArrivesWholeInChunks)
{
    // More than one X request carries (16 MiB here), so the owner sends it in chunks.
    QString large;
    for (int line = 0; large.size() < 20 * 1024 * 1024; ++line)
        large += QStringLiteral("line %1: ünïcödé text that goes on and on\n").arg(line);
    Testing::TemporaryFolder folder;
    const QString file = folder.write(QStringLiteral("large.txt"), large.toUtf8());
    store.start();
    copyWithFormats({ QStringLiteral("--text-file"), file });
    ASSERT_TRUE(waitUntil([&] { return !store.items().isEmpty(); }, 15000));
    EXPECT_EQ(store.items().first().size(), large.size());
    EXPECT_TRUE(store.items().first() == large);
}

TEST_F(ClipboardHistoryDesktop, KeepsTheNewestFiftyOf51Copies)
{
    store.start();
    for (int i = 1; i <= 51; ++i) {
        const QString text = QStringLiteral("copy %1").arg(i);
        copyText(text);
        // Waiting for each poll would take half a minute; the poll reads the real clipboard all the same.
        store.poll();
        ASSERT_TRUE(waitUntil([&] { return !store.items().isEmpty() && store.items().first() == text; })) << i;
    }
    ASSERT_EQ(store.items().size(), ClipboardStore::capacity);
    EXPECT_EQ(store.items().first(), QStringLiteral("copy 51"));
    EXPECT_EQ(store.items().last(), QStringLiteral("copy 2"));
}

TEST_F(ClipboardHistoryDesktop, SkipsSecretAndNonTextCopiesAndTakesTheNextOrdinaryOne)
{
    Testing::TemporaryFolder folder;
    const QString picture = folder.path() + QStringLiteral("/picture.png");
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(picture));

    struct Case {
        const char* what;
        std::function<void()> copy;
    };
    const Case cases[] = {
        { "password manager hint",
            [&] { copyWithFormats({ QStringLiteral("--text"), QStringLiteral("hunter2"), ClipboardStore::passwordManagerHint, QStringLiteral("secret") }); } },
        { "concealed type",
            [&] { copyWithFormats({ QStringLiteral("--text"), QStringLiteral("hunter2"), QStringLiteral("org.nspasteboard.ConcealedType"), QString() }); } },
        { "image only", [&] { xclip({ QStringLiteral("-t"), QStringLiteral("image/png"), QStringLiteral("-i"), picture }); } },
        { "spaces and a line break", [&] { copyText(QStringLiteral("   \n")); } },
    };
    store.start();
    int ordinary = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.copy();
        if (HasFatalFailure())
            return;
        letThePollerRun();
        EXPECT_TRUE(store.items().isEmpty() || !store.items().first().contains(QStringLiteral("hunter2")));
        EXPECT_EQ(store.items().size(), ordinary);

        const QString next = QStringLiteral("ordinary %1").arg(++ordinary);
        copyText(next);
        EXPECT_TRUE(waitUntil([&] { return !store.items().isEmpty() && store.items().first() == next; }));
    }
    for (const QString& item : store.items())
        EXPECT_FALSE(item.contains(QStringLiteral("hunter2")));
}

TEST_F(ClipboardHistoryDesktop, OwnCopyReachesOtherClientsAndIsRecordedOnce)
{
    store.start();
    copyText(QStringLiteral("earlier"));
    ASSERT_TRUE(waitUntil([&] { return store.items().size() == 1; }));

    const int capturesBefore = captures;
    store.copy(QStringLiteral("15"));
    EXPECT_EQ(Testing::xclipPaste(), QStringLiteral("15"));
    letThePollerRun();
    EXPECT_EQ(store.items(), (QStringList { QStringLiteral("15"), QStringLiteral("earlier") }));
    EXPECT_EQ(captures, capturesBefore + 1) << "the poller took the copy a second time";
}

TEST_F(ClipboardHistoryDesktop, AHungOwnerNeitherFreezesTheAppNorStopsTheHistory)
{
    store.start();
    copyWithFormats({ QStringLiteral("--text"), QStringLiteral("from a hung application") });
    ASSERT_FALSE(HasFatalFailure());
    const qint64 owner = owners.last()->processId();
    ASSERT_EQ(::kill(static_cast<pid_t>(owner), SIGSTOP), 0);

    // Qt alone waits five seconds per request on such an owner, with the interface frozen.
    QElapsedTimer polling;
    polling.start();
    store.poll();
    EXPECT_LT(polling.elapsed(), 1000);

    QTest::qWait(500);
    EXPECT_TRUE(store.items().isEmpty());
    copyText(QStringLiteral("from a live one"));
    EXPECT_TRUE(waitUntil([&] { return store.items() == QStringList { QStringLiteral("from a live one") }; }, 10000))
        << "the history carries on once the stuck read has timed out";
    ::kill(static_cast<pid_t>(owner), SIGCONT);
}
