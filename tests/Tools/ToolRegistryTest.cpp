#include "Tools/ToolRegistry.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace Quickhalo;

TEST(ToolRegistry, EveryStoredToolHasOneEntryFoundByItsRawText)
{
    QSet<QString> seen;
    for (const BuiltinTool tool : BuiltinTools::all()) {
        const QString raw = BuiltinTools::rawValue(tool);
        SCOPED_TRACE(raw.toStdString());
        const ToolEntry& entry = ToolRegistry::entry(tool);
        EXPECT_EQ(entry.tool, tool);
        EXPECT_EQ(entry.rawValue, raw);
        EXPECT_EQ(ToolRegistry::find(raw), &entry);
        EXPECT_EQ(entry.title(), BuiltinTools::title(tool)) << "titles are the model's";
        seen.insert(raw);
    }
    EXPECT_EQ(ToolRegistry::all().size(), BuiltinTools::all().size()) << "an entry names a tool twice";
    EXPECT_EQ(static_cast<std::size_t>(seen.size()), ToolRegistry::all().size());
}

TEST(ToolRegistry, TextNoToolIsStoredAsFindsNothing)
{
    for (const char* raw : { "", "Clipboard", "clipboard ", "colourPicker", "windows\n" })
        EXPECT_EQ(ToolRegistry::find(QString::fromLatin1(raw)), nullptr) << raw;
}

TEST(ToolRegistry, EachWayOfRunningHasWhatItNeeds)
{
    QSet<QString> panelIds;
    for (const ToolEntry& entry : ToolRegistry::all()) {
        SCOPED_TRACE(entry.rawValue.toStdString());
        switch (entry.run) {
        case ToolRun::panel:
            if (entry.panel) {
                EXPECT_FALSE(entry.panel->id.isEmpty());
                EXPECT_FALSE(panelIds.contains(entry.panel->id)) << "two tools would share one panel";
                panelIds.insert(entry.panel->id);
                EXPECT_GT(entry.panel->size.width(), 0);
                EXPECT_GT(entry.panel->size.height(), 0);
            }
            EXPECT_EQ(entry.ringPage, nullptr);
            break;
        case ToolRun::ring:
            ASSERT_NE(entry.ringPage, nullptr);
            EXPECT_FALSE(entry.panel.has_value());
            break;
        case ToolRun::action:
            EXPECT_FALSE(entry.panel.has_value());
            EXPECT_EQ(entry.ringPage, nullptr);
            break;
        }
    }
}

TEST(ToolRegistry, HowTheToolsOfTodayRun)
{
    struct Case {
        BuiltinTool tool;
        ToolRun run;
        bool hasPanel;
        ToolBadge badge;
    };
    const Case cases[] = {
        { BuiltinTool::clipboard, ToolRun::panel, true, ToolBadge::none },
        { BuiltinTool::calculator, ToolRun::panel, true, ToolBadge::none },
        { BuiltinTool::notes, ToolRun::panel, true, ToolBadge::none },
        { BuiltinTool::screenshot, ToolRun::action, false, ToolBadge::none },
        { BuiltinTool::colorPicker, ToolRun::action, false, ToolBadge::none },
        { BuiltinTool::mute, ToolRun::action, false, ToolBadge::none },
        { BuiltinTool::volume, ToolRun::action, false, ToolBadge::none },
        { BuiltinTool::sleepDisplay, ToolRun::action, false, ToolBadge::none },
        { BuiltinTool::windows, ToolRun::ring, false, ToolBadge::none },
        { BuiltinTool::timer, ToolRun::panel, true, ToolBadge::countdown },
        { BuiltinTool::todo, ToolRun::panel, true, ToolBadge::openTodos },
        { BuiltinTool::voiceMemo, ToolRun::panel, false, ToolBadge::recording },
        { BuiltinTool::links, ToolRun::panel, true, ToolBadge::none },
        { BuiltinTool::screenRecord, ToolRun::panel, false, ToolBadge::none },
        { BuiltinTool::units, ToolRun::panel, true, ToolBadge::none },
        { BuiltinTool::reminders, ToolRun::panel, true, ToolBadge::none },
    };
    for (const Case& c : cases) {
        const ToolEntry& entry = ToolRegistry::entry(c.tool);
        SCOPED_TRACE(entry.rawValue.toStdString());
        EXPECT_EQ(entry.run, c.run);
        EXPECT_EQ(entry.panel.has_value(), c.hasPanel);
        EXPECT_EQ(entry.badge, c.badge);
    }
    const RingPage positions = ToolRegistry::entry(BuiltinTool::windows).ringPage();
    EXPECT_EQ(positions.name, QStringLiteral("Windows"));
    for (std::size_t slot = 0; slot < RingPage::slotCount; ++slot) {
        ASSERT_TRUE(positions.slices[slot].has_value());
        EXPECT_EQ(positions.slices[slot]->kind, ActionKind { Actions::Snap { WindowPositions::all()[slot] } });
    }
}
