#include "Tools/Notes/NotesDocument.h"

#include "Base/Log.h"
#include "Base/UserFile.h"
#include "Platform/Fake/FakeClock.h"
#include "support/TemporaryFolder.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSignalSpy>

using namespace Quickhalo;
using Quickhalo::Testing::waitUntil;

namespace {

class NotesDocumentTest : public ::testing::Test {
protected:
    std::unique_ptr<NotesDocument> open(const QString& relative = QStringLiteral("notes.txt"))
    {
        auto document = std::make_unique<NotesDocument>(folder.filePath(relative), clock, [] {
            return QDateTime(QDate(2026, 12, 11), QTime(16, 30));
        });
        document->waitForIdle();
        EXPECT_TRUE(document->isLoaded());
        return document;
    }
    // Lets the worker finish and its answers arrive, as the main loop would.
    void settle(NotesDocument& document) { document.waitForIdle(); }
    QStringList keptCopies() const
    {
        return QDir(folder.path()).entryList({ QStringLiteral("notes.txt.kept-*") }, QDir::Files);
    }

    Testing::TemporaryFolder folder;
    FakeClock clock;
    Log::Capture log;
};

}

TEST_F(NotesDocumentTest, TypingIsSavedOnceAPauseAfterTheLastKeystroke)
{
    auto notes = open();
    QString typed;
    for (int i = 0; i < 10; ++i) {
        typed += QChar(u'a' + i);
        notes->edit(typed);
        clock.advance(i < 9 ? 0.2 : 0.59);
        settle(*notes);
        EXPECT_FALSE(folder.exists(QStringLiteral("notes.txt"))) << "keystroke " << i + 1;
    }
    clock.advance(0.011);
    settle(*notes);
    EXPECT_EQ(folder.read(QStringLiteral("notes.txt")), "abcdefghij");
    EXPECT_EQ(clock.activeTimers(), 0u) << "one save, and nothing left to run";
}

TEST_F(NotesDocumentTest, ClosingSavesAtOnceAndAnEmptiedNoteIsAnEmptyFile)
{
    folder.write(QStringLiteral("notes.txt"), "before");
    auto notes = open();
    EXPECT_EQ(notes->text(), QStringLiteral("before"));
    notes->edit(QStringLiteral("after"));
    clock.advance(0.1);
    notes->close();
    settle(*notes);
    EXPECT_EQ(folder.read(QStringLiteral("notes.txt")), "after");
    EXPECT_EQ(clock.activeTimers(), 0u);

    notes->edit(QString());
    notes->close();
    settle(*notes);
    EXPECT_TRUE(folder.exists(QStringLiteral("notes.txt")));
    EXPECT_EQ(folder.read(QStringLiteral("notes.txt")).size(), 0);
    EXPECT_EQ(open()->text(), QString());
}

TEST_F(NotesDocumentTest, TheFirstSaveMakesTheMissingFolders)
{
    auto notes = open(QStringLiteral("support/Quickhalo/notes.txt"));
    notes->edit(QStringLiteral("first"));
    clock.advance(NotesDocument::saveDelay);
    settle(*notes);
    EXPECT_EQ(folder.read(QStringLiteral("support/Quickhalo/notes.txt")), "first");
}

TEST_F(NotesDocumentTest, ANoteThatIsNotUtf8IsKeptAsideBeforeTheFirstEdit)
{
    const QByteArray users = "caf\xe9 au lait\n"; // Latin-1, not UTF-8
    folder.write(QStringLiteral("notes.txt"), users);
    auto notes = open();
    EXPECT_TRUE(notes->text().isEmpty());
    EXPECT_TRUE(notes->startedFromUnreadableFile());
    notes->close();
    settle(*notes);
    EXPECT_EQ(folder.read(QStringLiteral("notes.txt")), users) << "an untouched note writes nothing back";

    notes->edit(QStringLiteral("new"));
    clock.advance(NotesDocument::saveDelay);
    settle(*notes);
    EXPECT_EQ(folder.read(QStringLiteral("notes.txt")), "new");
    const QStringList kept = keptCopies();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(folder.read(kept[0]), users);

    notes->edit(QStringLiteral("newer"));
    clock.advance(NotesDocument::saveDelay);
    settle(*notes);
    EXPECT_EQ(keptCopies().size(), 1) << "kept once, not at every save";

    // Ending inside a character is no more UTF-8 than Latin-1 is.
    folder.write(QStringLiteral("cut/notes.txt"), "price: 5 \xe2\x82");
    EXPECT_TRUE(open(QStringLiteral("cut/notes.txt"))->startedFromUnreadableFile());
}

TEST_F(NotesDocumentTest, AFailedSaveIsToldAndTriedAgainWithTheNextChange)
{
    // A plain file where the folder should be: no folder, no save.
    folder.write(QStringLiteral("support"), "in the way");
    auto notes = open(QStringLiteral("support/notes.txt"));
    QSignalSpy problems(notes.get(), &NotesDocument::saveProblemChanged);
    notes->edit(QStringLiteral("precious"));
    clock.advance(NotesDocument::saveDelay);
    settle(*notes);
    EXPECT_FALSE(notes->saveProblem().isEmpty());
    EXPECT_EQ(problems.size(), 1);
    EXPECT_EQ(notes->text(), QStringLiteral("precious")) << "the text stays";

    ASSERT_TRUE(QFile::remove(folder.filePath(QStringLiteral("support"))));
    notes->edit(QStringLiteral("precious!"));
    clock.advance(NotesDocument::saveDelay);
    settle(*notes);
    EXPECT_TRUE(notes->saveProblem().isEmpty());
    EXPECT_EQ(problems.size(), 2);
    EXPECT_EQ(folder.read(QStringLiteral("support/notes.txt")), "precious!");
}

TEST_F(NotesDocumentTest, AnotherProgramsChangeIsFollowedUnlessTheUserHasTypedSince)
{
    folder.write(QStringLiteral("notes.txt"), "mine");
    auto notes = open();
    QSignalSpy loaded(notes.get(), &NotesDocument::loaded);
    QSignalSpy conflicts(notes.get(), &NotesDocument::conflictKeptAside);

    // Nothing typed: the note becomes theirs.
    ASSERT_FALSE(UserFile::write(folder.filePath(QStringLiteral("notes.txt")), "theirs"));
    ASSERT_TRUE(waitUntil([&] { return loaded.size() == 1; }));
    EXPECT_EQ(notes->text(), QStringLiteral("theirs"));
    EXPECT_TRUE(keptCopies().isEmpty());

    // Our own save is not someone else's change.
    notes->edit(QStringLiteral("theirs, then mine"));
    clock.advance(NotesDocument::saveDelay);
    settle(*notes);
    QTest::qWait(100);
    EXPECT_EQ(loaded.size(), 1);

    // Typed since: ours stays and is saved, theirs is kept aside.
    notes->edit(QStringLiteral("typing on"));
    ASSERT_FALSE(UserFile::write(folder.filePath(QStringLiteral("notes.txt")), "theirs again"));
    ASSERT_TRUE(waitUntil([&] { return conflicts.size() == 1; }));
    settle(*notes);
    EXPECT_EQ(notes->text(), QStringLiteral("typing on"));
    EXPECT_EQ(folder.read(QStringLiteral("notes.txt")), "typing on");
    const QStringList kept = keptCopies();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(folder.read(kept[0]), "theirs again");
    EXPECT_EQ(notes->lastConflictCopy(), folder.filePath(kept[0]));
    EXPECT_EQ(loaded.size(), 1);
}
