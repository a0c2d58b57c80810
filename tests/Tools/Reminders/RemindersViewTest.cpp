#include "Tools/Reminders/RemindersView.h"

#include "Base/Preferences.h"
#include "Platform/Fake/FakeRemindersDatabase.h"
#include "Tools/Reminders/EnglishDateDetector.h"
#include "Tools/Reminders/RemindersStore.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

using namespace Quickhalo;
using Quickhalo::Testing::TemporaryFolder;

namespace {

const QDateTime now(QDate(2026, 12, 10), QTime(10, 0));

class RemindersViewTest : public ::testing::Test {
protected:
    RemindersViewTest() { database.listed = { { QStringLiteral("home"), QStringLiteral("Reminders") } }; }

    std::unique_ptr<RemindersView> show()
    {
        auto view = std::make_unique<RemindersView>(store, QStringLiteral("~/.local/share/calendars"), [] { return now; });
        view->show();
        store.waitForIdle();
        return view;
    }

    TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("Quickhalo.conf")) };
    FakeRemindersDatabase database;
    EnglishDateDetector detector;
    RemindersStore store { database, preferences, detector, [] { return now; } };
};

}

TEST_F(RemindersViewTest, ShowsEachOpenReminderWithHowFarOffItIsAndTicksItOff)
{
    database.items[QStringLiteral("home")] = {
        { QStringLiteral("a"), QStringLiteral("call mum"), now.addSecs(-3600), false, false, {}, {}, {} },
        { QStringLiteral("b"), QStringLiteral("pay rent"), QDateTime(QDate(2026, 12, 11), QTime(12, 0)), true, false, {}, {}, {} },
        { QStringLiteral("c"), QString(), std::nullopt, false, false, {}, {}, {} },
    };
    auto view = show();
    EXPECT_EQ(view->rows(), (QStringList { QStringLiteral("call mum · 1 hour ago"), QStringLiteral("pay rent · tomorrow"),
                                QStringLiteral("Untitled") }));
    EXPECT_EQ(view->listPicker()->currentText(), QStringLiteral("Reminders"));
    EXPECT_TRUE(view->input()->hasFocus() || !view->isActiveWindow());
    const QList<QLabel*> overdue = view->findChildren<QLabel*>();
    EXPECT_EQ(std::count_if(overdue.cbegin(), overdue.cend(), [](const QLabel* label) { return label->property("overdue").toBool(); }), 1)
        << "only the one an hour ago is red";

    QList<QToolButton*> ticks = view->findChildren<QToolButton*>();
    ASSERT_EQ(ticks.size(), 3);
    QTest::mouseClick(ticks.first(), Qt::LeftButton);
    store.waitForIdle();
    EXPECT_EQ(view->rows().size(), 2) << "the ticked one is gone after the reload";
}

TEST_F(RemindersViewTest, ReturnAddsTheTypedLineAndEmptiesTheField)
{
    auto view = show();
    EXPECT_EQ(view->rows(), QStringList { QStringLiteral("All done") });
    EXPECT_EQ(view->input()->placeholderText(), RemindersView::placeholder);
    view->input()->setText(QStringLiteral("call mum tomorrow 6pm"));
    QTest::keyClick(view->input(), Qt::Key_Return);
    EXPECT_TRUE(view->input()->text().isEmpty());
    store.waitForIdle();
    ASSERT_EQ(database.added.size(), 1);
    EXPECT_EQ(database.added[0].summary, QStringLiteral("call mum"));
    EXPECT_EQ(view->rows(), QStringList { QStringLiteral("call mum · tomorrow") });
    QTest::keyClick(view->input(), Qt::Key_Return);
    store.waitForIdle();
    EXPECT_EQ(database.added.size(), 1) << "an empty line adds nothing";
}

TEST_F(RemindersViewTest, WithoutAccessItSaysWhy)
{
    database.problem = QStringLiteral("/home/u/.local/share/calendars cannot be read and written");
    auto view = show();
    EXPECT_TRUE(view->problemLine()->isVisible());
    EXPECT_EQ(view->problemLine()->text(),
        QStringLiteral("Quickhalo cannot use your reminders: /home/u/.local/share/calendars cannot be read and written."));
}
