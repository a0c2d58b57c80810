#include "Config/ConfigMigrations.h"

#include "Config/DefaultConfig.h"
#include "Platform/Fake/FakeDefaultApplications.h"

#include <gtest/gtest.h>

using namespace Quickhalo;

namespace {

RingPage ringWith(const QString& name, std::vector<std::optional<Slice>> slices)
{
    return RingPage { QUuid::createUuid(), name, RingPage::normalised(slices) };
}

Slice shell(const QString& title)
{
    return Slice { QUuid::createUuid(), title, QStringLiteral("terminal"), Actions::Shell { QStringLiteral("true") } };
}

std::vector<std::optional<Slice>> fullOfShells()
{
    std::vector<std::optional<Slice>> slices;
    for (int i = 0; i < 8; ++i)
        slices.emplace_back(shell(QString::number(i)));
    return slices;
}

bool holds(const std::optional<Slice>& slot, BuiltinTool tool)
{
    return slot && slot->kind == ActionKind(Actions::Builtin { tool });
}

}

TEST(ConfigMigrations, EveryMigrationLeavesItsInputAloneOnceFlagged)
{
    QuickhaloConfig config { { ringWith(QStringLiteral("A"), { Slice::forTool(BuiltinTool::mute) }),
        ringWith(QStringLiteral("B"), { Slice { QUuid::createUuid(), QStringLiteral("Timer"), QStringLiteral("timer"),
                                           Actions::Builtin { BuiltinTool::timer } } }) } };
    for (auto migrate : { &ConfigMigrations::addingWindowsTool, &ConfigMigrations::replacingMuteWithVolume,
             &ConfigMigrations::addingMoreRing }) {
        const auto flagged = migrate(config, true);
        EXPECT_EQ(flagged.config, config);
        EXPECT_TRUE(flagged.migrated);
        const auto unflagged = migrate(config, false);
        EXPECT_NE(unflagged.config, config) << "the fixture gives every migration something to do";
        EXPECT_TRUE(unflagged.migrated);
    }
}

TEST(ConfigMigrations, WindowsToolGoesIntoTheSecondRingsFirstEmptySlot)
{
    std::vector<std::optional<Slice>> second = fullOfShells();
    second[2].reset();
    second[5].reset();
    const QuickhaloConfig config { { ringWith(QStringLiteral("A"), {}), ringWith(QStringLiteral("B"), second) } };

    const auto result = ConfigMigrations::addingWindowsTool(config, false);
    const auto& slots = result.config.rings[1].slices;
    EXPECT_TRUE(holds(slots[2], BuiltinTool::windows));
    EXPECT_EQ(slots[2]->title, QStringLiteral("Windows"));
    EXPECT_EQ(slots[2]->symbol, QStringLiteral("macwindow"));
    EXPECT_FALSE(slots[5].has_value());
    EXPECT_EQ(result.config.rings[0], config.rings[0]);
}

TEST(ConfigMigrations, WindowsToolIsNotAddedWhenItCannotOrNeedNot)
{
    struct Case {
        const char* name;
        QuickhaloConfig config;
    } cases[] = {
        { "second ring full", { { ringWith(QStringLiteral("A"), {}), ringWith(QStringLiteral("B"), fullOfShells()) } } },
        { "single ring", { { ringWith(QStringLiteral("A"), {}) } } },
        { "already on a later ring", { { ringWith(QStringLiteral("A"), {}), ringWith(QStringLiteral("B"), {}),
                                         ringWith(QStringLiteral("C"), { Slice::forTool(BuiltinTool::windows) }) } } },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConfigMigrations::addingWindowsTool(c.config, false).config, c.config) << c.name;
}

TEST(ConfigMigrations, MuteBecomesVolumeInPlaceKeepingItsId)
{
    Slice mute = Slice::forTool(BuiltinTool::mute);
    mute.title = QStringLiteral("Silence!");
    const QuickhaloConfig config { { ringWith(QStringLiteral("A"), { shell(QStringLiteral("x")), mute, mute }) } };

    const auto result = ConfigMigrations::replacingMuteWithVolume(config, false);
    for (const int slot : { 1, 2 }) {
        const auto& migrated = result.config.rings[0].slices[static_cast<std::size_t>(slot)];
        ASSERT_TRUE(holds(migrated, BuiltinTool::volume));
        EXPECT_EQ(migrated->id, mute.id);
        EXPECT_EQ(migrated->title, QStringLiteral("Volume"));
        EXPECT_EQ(migrated->symbol, QStringLiteral("speaker.wave.2.fill"));
    }
    EXPECT_EQ(result.config.rings[0].slices[0], config.rings[0].slices[0]);
}

TEST(ConfigMigrations, MoreRingIsAppendedUnlessOneOfItsToolsIsPresent)
{
    const Slice timer { QUuid::createUuid(), QStringLiteral("Timer"), QStringLiteral("timer"), Actions::Builtin { BuiltinTool::timer } };
    const Slice renamedByUser { QUuid::createUuid(), QStringLiteral("Eggs"), QStringLiteral("timer"), Actions::Builtin { BuiltinTool::timer } };
    const Slice timerTitledShell { QUuid::createUuid(), QStringLiteral("Timer"), QStringLiteral("t"), Actions::Shell { QStringLiteral("x") } };

    const QuickhaloConfig plain { { ringWith(QStringLiteral("A"), { timer, renamedByUser, timerTitledShell }) } };
    const auto added = ConfigMigrations::addingMoreRing(plain, false).config;
    ASSERT_EQ(added.rings.size(), 2u);
    const auto& slots = added.rings[0].slices;
    EXPECT_EQ(slots[0]->title, QStringLiteral("Clock"));
    EXPECT_EQ(slots[0]->symbol, QStringLiteral("clock"));
    EXPECT_EQ(slots[0]->id, timer.id);
    EXPECT_EQ(slots[1], renamedByUser);
    EXPECT_EQ(slots[2], timerTitledShell);

    const RingPage& more = added.rings[1];
    EXPECT_EQ(more.name, QStringLiteral("More"));
    const BuiltinTool expected[] = { BuiltinTool::todo, BuiltinTool::links, BuiltinTool::screenRecord,
        BuiltinTool::voiceMemo, BuiltinTool::units, BuiltinTool::reminders };
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_TRUE(holds(more.slices[i], expected[i])) << i;
        EXPECT_EQ(more.slices[i]->title, BuiltinTools::title(expected[i]));
    }
    EXPECT_FALSE(more.slices[6] || more.slices[7]);

    // Any one of the six tools anywhere stops the ring being added, but not the rename.
    for (const BuiltinTool tool : expected) {
        const QuickhaloConfig withTool { { ringWith(QStringLiteral("A"), { timer }),
            ringWith(QStringLiteral("B"), { std::nullopt, Slice::forTool(tool) }) } };
        const auto result = ConfigMigrations::addingMoreRing(withTool, false).config;
        EXPECT_EQ(result.rings.size(), 2u) << BuiltinTools::rawValue(tool).toStdString();
        EXPECT_EQ(result.rings[0].slices[0]->title, QStringLiteral("Clock"));
    }
}
