#include "Tools/Notes/NotesView.h"

#include "Base/Log.h"
#include "Platform/Fake/FakeClock.h"
#include "Tools/Notes/NotesDocument.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

using namespace Quickhalo;

namespace {

class NotesViewTest : public ::testing::Test {
protected:
    std::unique_ptr<NotesView> show(const QString& relative = QStringLiteral("notes.txt"))
    {
        auto view = std::make_unique<NotesView>(folder.filePath(relative), clock);
        view->resize(360, 400);
        view->show();
        view->document().waitForIdle();
        return view;
    }

    Testing::TemporaryFolder folder;
    FakeClock clock;
    Log::Capture log;
};

}

TEST_F(NotesViewTest, WhatIsTypedIsSavedAfterAPauseAndOnClose)
{
    folder.write(QStringLiteral("notes.txt"), "shopping:");
    auto view = show();
    EXPECT_EQ(view->editor()->toPlainText(), QStringLiteral("shopping:"));
    EXPECT_FALSE(view->editor()->isReadOnly());
    EXPECT_FALSE(view->statusLine()->isVisible());

    view->editor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(view->editor(), QStringLiteral(" eggs"));
    clock.advance(NotesDocument::saveDelay);
    view->document().waitForIdle();
    EXPECT_EQ(folder.read(QStringLiteral("notes.txt")), "shopping: eggs");

    QTest::keyClicks(view->editor(), QStringLiteral(", milk"));
    view->hide(); // the panel closes
    view->document().waitForIdle();
    EXPECT_EQ(folder.read(QStringLiteral("notes.txt")), "shopping: eggs, milk");
}

TEST_F(NotesViewTest, TheLineUnderTheNoteSaysWhatHappenedToTheFile)
{
    folder.write(QStringLiteral("notes.txt"), "\xff\xfe not text");
    auto view = show();
    EXPECT_TRUE(view->statusLine()->isVisible());
    EXPECT_TRUE(view->statusLine()->text().contains(QStringLiteral("notes.txt")));
    view.reset();

    folder.write(QStringLiteral("blocked"), "a file, not a folder");
    view = show(QStringLiteral("blocked/notes.txt"));
    QTest::keyClicks(view->editor(), QStringLiteral("x"));
    clock.advance(NotesDocument::saveDelay);
    view->document().waitForIdle();
    EXPECT_TRUE(view->statusLine()->isVisible());
    EXPECT_TRUE(view->statusLine()->text().startsWith(QStringLiteral("Your notes could not be saved")))
        << view->statusLine()->text().toStdString();
}
