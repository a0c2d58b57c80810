#include "Config/DefaultConfig.h"

#include "Platform/Fake/FakeDefaultApplications.h"

#include <gtest/gtest.h>

#include <set>

using namespace Quickhalo;

namespace {

std::vector<BuiltinTool> toolsOf(const RingPage& ring)
{
    std::vector<BuiltinTool> tools;
    for (const auto& slot : ring.slices) {
        if (slot) {
            if (const auto* builtin = std::get_if<Actions::Builtin>(&slot->kind))
                tools.push_back(builtin->tool);
        }
    }
    return tools;
}

}

TEST(DefaultConfig, ToolsAndMoreRingsAreFixed)
{
    const QuickhaloConfig config = DefaultConfig::make(FakeDefaultApplications {});
    ASSERT_EQ(config.rings.size(), 3u);
    EXPECT_EQ(config.rings[0].name, QStringLiteral("Tools"));
    EXPECT_EQ(config.rings[1].name, QStringLiteral("Launch"));
    EXPECT_EQ(config.rings[2].name, QStringLiteral("More"));

    EXPECT_EQ(toolsOf(config.rings[0]),
        (std::vector { BuiltinTool::clipboard, BuiltinTool::screenshot, BuiltinTool::notes, BuiltinTool::calculator,
            BuiltinTool::timer, BuiltinTool::colorPicker, BuiltinTool::volume, BuiltinTool::sleepDisplay }));
    EXPECT_EQ(config.rings[0].slices[4]->title, QStringLiteral("Clock"));
    EXPECT_EQ(config.rings[0].slices[3]->symbol, QStringLiteral("plus.forwardslash.minus"));

    EXPECT_EQ(toolsOf(config.rings[2]),
        (std::vector { BuiltinTool::todo, BuiltinTool::links, BuiltinTool::screenRecord, BuiltinTool::voiceMemo,
            BuiltinTool::units, BuiltinTool::reminders }));
    EXPECT_FALSE(config.rings[2].slices[6] || config.rings[2].slices[7]);
}

TEST(DefaultConfig, LaunchRingUsesTheMachinesApplications)
{
    FakeDefaultApplications applications;
    applications.applications = {
        { ApplicationRole::fileManager, { QStringLiteral("/usr/share/applications/pcmanfm.desktop"), QStringLiteral("File Manager PCManFM") } },
        { ApplicationRole::webBrowser, { QStringLiteral("/usr/share/applications/firefox-esr.desktop"), QStringLiteral("Firefox ESR") } },
        { ApplicationRole::terminal, { QStringLiteral("/usr/share/applications/xterm.desktop"), QStringLiteral("XTerm") } },
        { ApplicationRole::systemMonitor, { QStringLiteral("/usr/share/applications/htop.desktop"), QStringLiteral("Htop") } },
    };
    const RingPage launch = DefaultConfig::make(applications).rings[1];

    struct Expected {
        const char* title;
        const char* symbol;
        ActionKind kind;
    } expected[] = {
        { "File Manager PCManFM", "folder", Actions::App { QStringLiteral("/usr/share/applications/pcmanfm.desktop") } },
        { "Firefox ESR", "safari", Actions::App { QStringLiteral("/usr/share/applications/firefox-esr.desktop") } },
        { "XTerm", "terminal", Actions::App { QStringLiteral("/usr/share/applications/xterm.desktop") } },
        { "Downloads", "arrow.down.circle", Actions::Shell { QStringLiteral("xdg-open ~/Downloads") } },
        { "Htop", "waveform.path.ecg", Actions::App { QStringLiteral("/usr/share/applications/htop.desktop") } },
        { "GitHub", "globe", Actions::Url { QStringLiteral("https://github.com") } },
        { "Windows", "macwindow", Actions::Builtin { BuiltinTool::windows } },
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(launch.slices[i].has_value());
        EXPECT_EQ(launch.slices[i]->title, QString::fromUtf8(expected[i].title));
        EXPECT_EQ(launch.slices[i]->symbol, QString::fromUtf8(expected[i].symbol));
        EXPECT_EQ(launch.slices[i]->kind, expected[i].kind);
    }
    EXPECT_FALSE(launch.slices[7].has_value());
}

TEST(DefaultConfig, MissingApplicationsFallBack)
{
    const RingPage launch = DefaultConfig::make(FakeDefaultApplications {}).rings[1];
    ASSERT_TRUE(launch.slices[0].has_value());
    EXPECT_EQ(launch.slices[0]->kind, ActionKind(Actions::Shell { QStringLiteral("xdg-open ~") }));
    // No browser, terminal or monitor: the slots stay empty rather than naming a missing program,
    // and the other slots keep their places.
    EXPECT_FALSE(launch.slices[1] || launch.slices[2] || launch.slices[4]);
    EXPECT_EQ(launch.slices[3]->title, QStringLiteral("Downloads"));
    EXPECT_EQ(launch.slices[6]->kind, ActionKind(Actions::Builtin { BuiltinTool::windows }));
}

TEST(DefaultConfig, EveryCallMakesFreshDistinctIds)
{
    std::set<QUuid> ids;
    std::size_t count = 0;
    for (int call = 0; call < 2; ++call) {
        for (const RingPage& ring : DefaultConfig::make(FakeDefaultApplications {}).rings) {
            ids.insert(ring.id);
            ++count;
            for (const auto& slot : ring.slices) {
                if (slot) {
                    ids.insert(slot->id);
                    ++count;
                }
            }
        }
    }
    EXPECT_EQ(ids.size(), count);
    EXPECT_FALSE(ids.contains(QUuid()));
}
