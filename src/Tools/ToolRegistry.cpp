#include "Tools/ToolRegistry.h"

#include "Config/DefaultConfig.h"

#include <algorithm>

namespace Quickhalo::ToolRegistry {

namespace {

struct Row {
    const char* rawValue;
    ToolRun run;
    std::optional<ToolPanelFace> panel = std::nullopt;
    ToolBadge badge = ToolBadge::none;
    RingPage (*ringPage)() = nullptr;
};

std::vector<ToolEntry> makeEntries()
{
    const Row rows[] = {
        { "clipboard", ToolRun::panel, ToolPanelFace { QStringLiteral("clipboard"), QSizeF(360, 420) } },
        { "screenshot", ToolRun::action },
        { "notes", ToolRun::panel, ToolPanelFace { QStringLiteral("notes"), QSizeF(360, 400) } },
        { "calculator", ToolRun::panel, ToolPanelFace { QStringLiteral("calculator"), QSizeF(340, 170) } },
        { "timer", ToolRun::panel, ToolPanelFace { QStringLiteral("timer"), QSizeF(380, 440) }, ToolBadge::countdown },
        { "colorPicker", ToolRun::action },
        { "mute", ToolRun::action },
        { "sleepDisplay", ToolRun::action },
        { "windows", ToolRun::ring, std::nullopt, ToolBadge::none, &DefaultConfig::windowsPage },
        { "volume", ToolRun::action },
        { "todo", ToolRun::panel, ToolPanelFace { QStringLiteral("todo"), QSizeF(340, 420) }, ToolBadge::openTodos },
        { "links", ToolRun::panel, ToolPanelFace { QStringLiteral("links"), QSizeF(380, 420) } },
        { "screenRecord", ToolRun::panel },
        { "voiceMemo", ToolRun::panel, std::nullopt, ToolBadge::recording },
        { "units", ToolRun::panel, ToolPanelFace { QStringLiteral("units"), QSizeF(420, 230) } },
        { "reminders", ToolRun::panel, ToolPanelFace { QStringLiteral("reminders"), QSizeF(360, 440) } },
    };
    std::vector<ToolEntry> entries;
    for (const Row& row : rows) {
        const QString raw = QLatin1String(row.rawValue);
        const std::optional<BuiltinTool> tool = BuiltinTools::fromRawValue(raw);
        Q_ASSERT_X(tool, "ToolRegistry", "an entry names no stored tool");
        if (tool)
            entries.push_back({ raw, *tool, row.run, row.panel, row.badge, row.ringPage });
    }
    return entries;
}

}

const std::vector<ToolEntry>& all()
{
    static const std::vector<ToolEntry> entries = makeEntries();
    return entries;
}

const ToolEntry& entry(BuiltinTool tool)
{
    const std::vector<ToolEntry>& entries = all();
    const auto found
        = std::find_if(entries.begin(), entries.end(), [tool](const ToolEntry& e) { return e.tool == tool; });
    Q_ASSERT_X(found != entries.end(), "ToolRegistry", "a built-in tool has no entry");
    return found != entries.end() ? *found : entries.front();
}

const ToolEntry* find(QStringView rawValue)
{
    const std::vector<ToolEntry>& entries = all();
    const auto found = std::find_if(
        entries.begin(), entries.end(), [rawValue](const ToolEntry& e) { return e.rawValue == rawValue; });
    return found != entries.end() ? &*found : nullptr;
}

}
