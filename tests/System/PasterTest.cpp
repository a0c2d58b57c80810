#include "System/Paster.h"

#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include "Base/Preferences.h"
#include "Base/ToastPresenter.h"
#include "Platform/Fake/FakeAccessibility.h"
#include "Platform/Fake/FakeClock.h"
#include "Platform/Fake/FakePasteInput.h"

using namespace Quickhalo;

namespace {

class JournalToasts final : public ToastPresenter {
public:
    explicit JournalToasts(QStringList& journal)
        : m_journal(journal)
    {
    }
    void show(const QString& text, const QString& symbol) override { m_journal << text + QStringLiteral(" / ") + symbol; }

private:
    QStringList& m_journal;
};

class PasterTest : public ::testing::Test {
protected:
    Testing::TemporaryFolder folder;
    Preferences preferences { folder.filePath(QStringLiteral("prefs.conf")) };
    QStringList journal;
    FakeAccessibility accessibility;
    FakePasteInput input { journal };
    JournalToasts toasts { journal };
    FakeClock clock;
    std::optional<TargetApplication> target = TargetApplication { 0x400007, 4242, QStringLiteral("Mousepad") };
    Paster paster { { preferences, accessibility, input, toasts, clock } };

    const QString copied = QStringLiteral("Copied #1E90FF / checkmark.circle.fill");
};

}

TEST_F(PasterTest, PastesIntoTheTargetAfterShowingPasted)
{
    EXPECT_TRUE(paster.autoPasteEnabled()) << "on unless switched off";
    paster.pasteOrToast(QStringLiteral("Copied #1E90FF"), target);
    EXPECT_EQ(journal,
        QStringList({ QStringLiteral("activate 4194311"), QStringLiteral("Pasted / doc.on.clipboard") }));

    clock.advance(Paster::keystrokeDelay - 0.01);
    EXPECT_EQ(journal.size(), 2) << "the window gets time to come forward";
    clock.advance(0.01);
    EXPECT_EQ(journal.last(), QStringLiteral("ctrl+v"));
    clock.runLater();
    clock.advance(1);
    EXPECT_EQ(journal.count(QStringLiteral("ctrl+v")), 1) << "one keystroke per paste";
    EXPECT_EQ(clock.activeTimers(), 0u);
    EXPECT_EQ(accessibility.promptCount, 0);
}

TEST_F(PasterTest, TwoPastesInsideTheDelaySendTwoKeystrokesAndTerminalsGetShift)
{
    target->windowClass = QStringLiteral("XTerm");
    paster.pasteOrToast(QStringLiteral("Copied 1"), target);
    clock.advance(0.05);
    paster.pasteOrToast(QStringLiteral("Copied 2"), target);
    clock.advance(Paster::keystrokeDelay);
    EXPECT_EQ(journal.count(QStringLiteral("ctrl+shift+v")), 2);
    EXPECT_EQ(journal.count(QStringLiteral("ctrl+v")), 0);
}

TEST_F(PasterTest, OnlyConfirmsTheCopyWhenPastingIsOffImpossibleOrTargetless)
{
    struct Case {
        const char* what;
        bool autoPaste;
        bool trusted;
        bool hasTarget;
        int prompts;
    };
    const Case cases[] = {
        { "auto-paste off, whatever the permission", false, false, true, 0 },
        { "no permission: asks once per run", true, false, true, 1 },
        { "no target application", true, true, false, 0 },
    };
    for (const Case& c : cases) {
        journal.clear();
        preferences.setFlag(PreferenceKey::autoPaste, c.autoPaste);
        FakeAccessibility permission;
        permission.trusted = c.trusted;
        Paster local({ preferences, permission, input, toasts, clock });
        const std::optional<TargetApplication> caseTarget = c.hasTarget ? target : std::nullopt;
        local.pasteOrToast(QStringLiteral("Copied #1E90FF"), caseTarget);
        local.pasteOrToast(QStringLiteral("Copied #1E90FF"), caseTarget);
        clock.advance(1);
        EXPECT_EQ(journal, QStringList({ copied, copied })) << c.what;
        EXPECT_EQ(permission.promptCount, c.prompts) << c.what;
    }
}

TEST_F(PasterTest, TellsTerminalsByTheirWindowClass)
{
    for (const char* terminal : { "XTerm", "URxvt", "Gnome-terminal", "konsole", "Alacritty", "kitty", "Xfce4-terminal" })
        EXPECT_TRUE(Paster::isTerminal(QString::fromLatin1(terminal))) << terminal;
    for (const char* other : { "Mousepad", "firefox", "Code", "", "terminal-notes" })
        EXPECT_FALSE(Paster::isTerminal(QString::fromLatin1(other))) << other;
}
